// The board of one four-in-a-row game: 7 columns of 6 cells, the drop rule, and the line queries.
//
// Cells are addressed [column, row]: column 0..6 from the left, row 1 (top) to 6 (bottom);
// row 0 of GameStruct holds each column's height. The k-th token of a column (k = 0 at the
// bottom) lies in row 6 - k. Colours: -1 yellow, +1 blue, 0 empty.
//
// Every operation accepts any index: out-of-range columns or cells read as empty/0 and are
// never written, so no caller can reach outside the arrays.
#pragma once

#include <cstdint>
#include <vector>

#include "game/jeton_fwd.h"
#include "game/quadruplet.h"

class KxMapGest {
public:
    static constexpr int kColumns = 7;
    static constexpr int kRows = 6;

    KxMapGest();
    KxMapGest(const KxMapGest& other);
    KxMapGest& operator=(const KxMapGest& other);

    // Empties every cell and height; the token references stay, as the canvas expects.
    void Init();
    void CopyFrom(const KxMapGest& other);

    // Drops a token into the lowest free cell; false (and no change) for a column outside
    // 0..6 or a full column. The colour is stored as given.
    bool PlaceJeton(std::int32_t column, std::int32_t colour, JetonRef token = nullptr);
    // Takes the top token out and returns its colour; 0 and no change on an empty or
    // out-of-range column.
    std::int32_t RemoveJeton(std::int32_t column);

    std::int32_t CountJeton(std::int32_t column) const;
    // Out-of-range columns count as full: nothing can be dropped there.
    bool IsFullColumn(std::int32_t column) const;
    bool IsFullGame() const;

    std::int32_t GetStructValue(std::int32_t i, std::int32_t j) const;
    JetonRef GetStructJeton(std::int32_t i, std::int32_t j) const;
    void SetStructJeton(std::int32_t i, std::int32_t j, JetonRef token);

    static bool IsEqualLine(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d);

    // Win scan: vertical, horizontal, down-right then down-left windows; first hit wins.
    // found is always written; colour and line only on a hit.
    void HaveWinner(bool& found, std::int32_t& colour, Quadruplet& line) const;
    void HaveWinner(bool& found, std::int32_t& colour) const;
    bool HaveWinner() const;
    // True when the first line that the scan finds has this colour.
    bool HaveWinner(std::int32_t colour) const;

    // Longest run of colour through the top token of column over the four directions;
    // openEnd is written only when a line improves the best length (so not on an empty column).
    std::int32_t GetMaxJetonInPlace(std::int32_t column, std::int32_t colour, bool& openEnd) const;
    std::int32_t GetMaxJetonInPlace(std::int32_t column, std::int32_t colour) const;

    // Can one more token of colour complete four in a row? column gets the lowest such column.
    bool CanGamerWin(std::int32_t colour, std::int32_t& column) const;
    bool CanGamerWin(std::int32_t colour) const;
    // Appends every winning column, in increasing order, to columns (not emptied first).
    bool CanGamerWin(std::int32_t colour, std::vector<std::int32_t>& columns) const;

private:
    static bool InRange(std::int32_t i, std::int32_t j) {
        return i >= 0 && i < kColumns && j >= 0 && j <= kRows;
    }
    // Index of the first window that passes the scan, or -1; the window's cells as output.
    struct Hit {
        int section;  // 0 vertical, 1 horizontal, 2 down-right, 3 down-left
        int c;
        int r;
    };
    using Grid = std::int32_t[kColumns][kRows + 1];
    static bool Scan(const Grid& g, Hit& hit);
    // Whether dropping colour into column c would make the scan's first line that colour's.
    bool TrialWins(std::int32_t colour, int c) const;

    std::int32_t GameStruct[kColumns][kRows + 1];
    JetonRef JetonStruct[kColumns][kRows + 1];
};
