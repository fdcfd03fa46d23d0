#include "game/ia_search.h"

#include <cstring>

namespace quorril::game {

namespace {

// Index steps: a column is 8 cells, a row 1; rows grow downwards.
constexpr int kRight = 8;
constexpr int kDown = 1;
constexpr int kUpRight = 8 - 1;
constexpr int kUpLeft = -8 - 1;

}  // namespace

bool SearchBoard::Accepts(const KxMapGest& board) {
    for (int c = 0; c < 7; ++c) {
        const std::int32_t h = board.GetStructValue(c, 0);
        if (h < 0 || h > 6) return false;
        for (int r = 1; r <= 6; ++r) {
            const std::int32_t v = board.GetStructValue(c, r);
            if (r <= 6 - h ? v != 0 : (v != 1 && v != -1)) return false;
        }
    }
    return !board.HaveWinner();
}

SearchBoard::SearchBoard(const KxMapGest& board) {
    std::memset(cell_, kOff, sizeof cell_);
    for (int c = 0; c < 7; ++c) {
        height_[c] = board.GetStructValue(c, 0);
        for (int r = 1; r <= 6; ++r) cell_[Index(c, r)] = static_cast<std::int8_t>(board.GetStructValue(c, r));
    }
}

bool SearchBoard::WinsAt(int p, int colour) const {
    const std::int8_t s = static_cast<std::int8_t>(colour);
    for (int d : {kDown, kRight, kUpRight, kUpLeft}) {
        int n = 1;
        for (int q = p + d; cell_[q] == s; q += d) ++n;
        for (int q = p - d; cell_[q] == s; q -= d) ++n;
        if (n >= 4) return true;
    }
    return false;
}

// The evaluation tier of the line a token of colour would make at cell p: the longest
// line through p, with the open flag of the first direction that reaches that length.
std::int32_t SearchBoard::Tier(int p, int colour) const {
    const std::int8_t s = static_cast<std::int8_t>(colour);
    const std::int8_t* cell = cell_;
    int best = 0;
    bool flag = false;
    auto line = [&](int dA, int dB, bool twoWalks) {
        int n = 1;
        int q = p + dA;
        while (cell[q] == s) {
            ++n;
            q += dA;
        }
        bool open = cell[q] == 0;
        if (twoWalks) {
            q = p + dB;
            while (cell[q] == s) {
                ++n;
                q += dB;
            }
            open = open || cell[q] == 0;
        }
        if (n > best) {
            best = n;
            flag = open;
        }
    };
    line(kRight, -kRight, true);
    line(kDown, 0, false);
    line(kUpRight, -kUpRight, true);
    line(kUpLeft, -kUpLeft, true);
    return LineTier(best, flag);
}

std::int32_t SearchBoard::Evaluate(int colour) const {
    std::int32_t score = 0;
    for (int c = 0; c < 7; ++c) {
        if (height_[c] >= 6) continue;
        const int p = Landing(c);
        score += Tier(p, colour);
        score -= Tier(p, -colour);
    }
    return score;
}

std::int32_t SearchBoard::MinMaxLeaf(int colour, std::int32_t bound) {
    std::int32_t best = kSearchStart;
    bool any = false;
    for (int c = 0; c < 7; ++c) {
        if (height_[c] >= 6) continue;
        any = true;
        ++nodes;
        const int p = Landing(c);
        if (WinsAt(p, colour)) return kSearchWin;
        Place(c, colour);
        const std::int32_t val = Evaluate(colour);
        Remove(c);
        if (val > best) {
            best = val;
            if (val >= bound) return val;
        }
    }
    // A full board is a draw.
    return any ? best : 0;
}

std::int32_t SearchBoard::MinMax(int colour, int depth, std::int32_t bound) {
    if (depth <= 0) return MinMaxLeaf(colour, bound);
    std::int32_t best = kSearchStart;
    bool any = false;
    for (int c = 0; c < 7; ++c) {
        if (height_[c] >= 6) continue;
        any = true;
        ++nodes;
        const int p = Landing(c);
        if (WinsAt(p, colour)) return kSearchWin;
        Place(c, colour);
        const std::int32_t val = -MinMax(-colour, depth - 1, -best);
        Remove(c);
        if (val > best) {
            best = val;
            if (val >= bound) return val;
        }
    }
    return any ? best : 0;
}

}  // namespace quorril::game
