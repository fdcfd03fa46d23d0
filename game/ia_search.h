// The level-3 search on a compact board that plays and takes back tokens in place.
//
// It gives exactly the values of the scratch-board search on KxMapGest
// (IAClassEngine::Min_Max) for every position it accepts: colours +1/-1, heights that match
// the cells, and no line of four already on the board. Anything else goes to the slow search.
#pragma once

#include <cstdint>

#include "game/kxmapgest.h"

namespace quorril::game {

// Shared by this search and the scratch-board one, which must give the same values.
inline constexpr std::int32_t kSearchWin = 30000;
inline constexpr std::int32_t kSearchStart = -32000;

// The evaluation score of a line of n tokens: nothing unless one of its ends is open.
constexpr std::int32_t LineTier(int n, bool open) {
    if (!open) return 0;
    if (n >= 4) return 5000;
    if (n == 3) return 500;
    if (n == 2) return 50;
    return 0;
}

class SearchBoard {
public:
    // Whether the compact search reproduces the scratch-board search on this position.
    static bool Accepts(const KxMapGest& board);

    explicit SearchBoard(const KxMapGest& board);

    bool IsFullColumn(int column) const { return height_[column] >= 6; }
    void Place(int column, int colour) {
        cell_[Landing(column)] = static_cast<std::int8_t>(colour);
        ++height_[column];
    }
    void Remove(int column) {
        --height_[column];
        cell_[Landing(column)] = 0;
    }

    // Negamax value for colour to move, searching depth more levels, stopping at bound.
    std::int32_t MinMax(int colour, int depth, std::int32_t bound);
    // The static evaluation from colour's side.
    std::int32_t Evaluate(int colour) const;

    std::uint64_t nodes = 0;

private:
    static constexpr std::int8_t kOff = 3;  // outside the board: neither a colour nor empty
    static int Index(int column, int row) { return (column + 1) * 8 + row; }
    int Landing(int column) const { return Index(column, 6 - height_[column]); }

    bool WinsAt(int p, int colour) const;
    std::int32_t Tier(int p, int colour) const;
    // MinMax at depth 0, kept apart: folding it in as a depth test costs about 3% of
    // nodes per second in bench_ai.
    std::int32_t MinMaxLeaf(int colour, std::int32_t bound);

    std::int8_t cell_[9 * 8];
    int height_[7];
};

}  // namespace quorril::game
