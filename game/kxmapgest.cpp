#include "game/kxmapgest.h"

#include <cstring>

namespace {

struct Step {
    int dc;
    int dr;
};

// Scan sections: the direction of the four cells and how many extension cells they carry.
constexpr Step kSectionStep[4] = {{0, 1}, {1, 0}, {1, 1}, {-1, 1}};
constexpr int kSectionExtensions[4] = {2, 3, 2, 2};

bool OnBoard(int c, int r) { return c >= 0 && c <= 6 && r >= 1 && r <= 6; }

}  // namespace

KxMapGest::KxMapGest() { Init(); }

KxMapGest::KxMapGest(const KxMapGest& other) { CopyFrom(other); }

KxMapGest& KxMapGest::operator=(const KxMapGest& other) {
    if (this != &other) CopyFrom(other);
    return *this;
}

void KxMapGest::Init() { std::memset(GameStruct, 0, sizeof GameStruct); }

void KxMapGest::CopyFrom(const KxMapGest& other) {
    for (int i = 0; i < kColumns; ++i) {
        for (int j = 0; j <= kRows; ++j) {
            GameStruct[i][j] = other.GameStruct[i][j];
            JetonStruct[i][j] = other.JetonStruct[i][j];
        }
    }
}

bool KxMapGest::PlaceJeton(std::int32_t column, std::int32_t colour, JetonRef token) {
    if (column < 0 || column > 6) return false;
    const std::int32_t h = GameStruct[column][0];
    // A height outside 0..5 can only mean a full column; never index with it.
    if (h >= kRows || h < 0) return false;
    GameStruct[column][0] = h + 1;
    GameStruct[column][6 - h] = colour;
    JetonStruct[column][6 - h] = std::move(token);
    return true;
}

std::int32_t KxMapGest::RemoveJeton(std::int32_t column) {
    if (column < 0 || column > 6) return 0;
    const std::int32_t h = GameStruct[column][0];
    if (h <= 0 || h > kRows) return 0;
    const std::int32_t c = GameStruct[column][7 - h];
    GameStruct[column][7 - h] = 0;
    JetonStruct[column][7 - h] = nullptr;
    GameStruct[column][0] = h - 1;
    return c;
}

std::int32_t KxMapGest::CountJeton(std::int32_t column) const {
    if (column < 0 || column > 6) return 0;
    return GameStruct[column][0];
}

bool KxMapGest::IsFullColumn(std::int32_t column) const {
    if (column < 0 || column > 6) return true;
    return GameStruct[column][0] == kRows;
}

bool KxMapGest::IsFullGame() const {
    for (int i = 0; i < kColumns; ++i) {
        if (GameStruct[i][0] != kRows) return false;
    }
    return true;
}

std::int32_t KxMapGest::GetStructValue(std::int32_t i, std::int32_t j) const {
    return InRange(i, j) ? GameStruct[i][j] : 0;
}

JetonRef KxMapGest::GetStructJeton(std::int32_t i, std::int32_t j) const {
    return InRange(i, j) ? JetonStruct[i][j] : nullptr;
}

void KxMapGest::SetStructJeton(std::int32_t i, std::int32_t j, JetonRef token) {
    if (InRange(i, j)) JetonStruct[i][j] = std::move(token);
}

bool KxMapGest::IsEqualLine(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
    if (a == 0) return false;
    if (a != b) return false;
    if (b != c) return false;
    return c == d;
}

bool KxMapGest::Scan(const Grid& g, Hit& hit) {
    for (int c = 0; c <= 6; ++c) {
        for (int r = 1; r <= 3; ++r) {
            if (IsEqualLine(g[c][r], g[c][r + 1], g[c][r + 2], g[c][r + 3])) {
                hit = {0, c, r};
                return true;
            }
        }
    }
    for (int c = 0; c <= 3; ++c) {
        for (int r = 1; r <= 6; ++r) {
            if (IsEqualLine(g[c][r], g[c + 1][r], g[c + 2][r], g[c + 3][r])) {
                hit = {1, c, r};
                return true;
            }
        }
    }
    for (int c = 0; c <= 3; ++c) {
        for (int r = 1; r <= 3; ++r) {
            if (IsEqualLine(g[c][r], g[c + 1][r + 1], g[c + 2][r + 2], g[c + 3][r + 3])) {
                hit = {2, c, r};
                return true;
            }
        }
    }
    for (int c = 6; c >= 3; --c) {
        for (int r = 1; r <= 3; ++r) {
            if (IsEqualLine(g[c][r], g[c - 1][r + 1], g[c - 2][r + 2], g[c - 3][r + 3])) {
                hit = {3, c, r};
                return true;
            }
        }
    }
    return false;
}

void KxMapGest::HaveWinner(bool& found, std::int32_t& colour, Quadruplet& line) const {
    Hit hit{};
    if (!Scan(GameStruct, hit)) {
        found = false;
        return;
    }
    const Step s = kSectionStep[hit.section];
    const std::int32_t a = GameStruct[hit.c][hit.r];
    JetonRef ids[7];
    for (int k = 0; k < 4; ++k) ids[k] = JetonStruct[hit.c + k * s.dc][hit.r + k * s.dr];
    // The extension cells go on from the fourth cell while they hold the line's colour.
    for (int k = 4; k < 4 + kSectionExtensions[hit.section]; ++k) {
        const int cc = hit.c + k * s.dc;
        const int rr = hit.r + k * s.dr;
        if (!OnBoard(cc, rr) || GameStruct[cc][rr] != a) break;
        ids[k] = JetonStruct[cc][rr];
    }
    colour = a;
    line = Quadruplet(a, ids[0], ids[1], ids[2], ids[3], ids[4], ids[5], ids[6]);
    found = true;
}

void KxMapGest::HaveWinner(bool& found, std::int32_t& colour) const {
    Hit hit{};
    found = Scan(GameStruct, hit);
    if (found) colour = GameStruct[hit.c][hit.r];
}

bool KxMapGest::HaveWinner() const {
    Hit hit{};
    return Scan(GameStruct, hit);
}

bool KxMapGest::HaveWinner(std::int32_t colour) const {
    Hit hit{};
    return Scan(GameStruct, hit) && GameStruct[hit.c][hit.r] == colour;
}

std::int32_t KxMapGest::GetMaxJetonInPlace(std::int32_t column, std::int32_t colour, bool& openEnd) const {
    if (column < 0 || column > 6) return 0;
    const std::int32_t h = GameStruct[column][0];
    if (h <= 0 || h > kRows) return 0;
    const int t = 7 - h;

    struct Walk {
        int c0, r0, dc, dr;
    };
    struct Line {
        Walk a;
        Walk b;
        bool hasB;
    };
    const Line lines[4] = {
        {{column, t, 1, 0}, {column - 1, t, -1, 0}, true},
        {{column, t, 0, 1}, {0, 0, 0, 0}, false},
        {{column, t, 1, -1}, {column - 1, t + 1, -1, 1}, true},
        {{column, t, -1, -1}, {column + 1, t + 1, 1, 1}, true},
    };

    std::int32_t best = 0;
    for (const Line& line : lines) {
        std::int32_t n = 0;
        bool open = false;
        for (int w = 0; w < (line.hasB ? 2 : 1); ++w) {
            const Walk& walk = w == 0 ? line.a : line.b;
            int c = walk.c0;
            int r = walk.r0;
            while (OnBoard(c, r)) {
                const std::int32_t v = GameStruct[c][r];
                if (v == colour) {
                    ++n;
                    c += walk.dc;
                    r += walk.dr;
                    continue;
                }
                if (v == 0) open = true;
                break;
            }
        }
        if (n > best) {
            best = n;
            openEnd = open;
        }
    }
    return best;
}

std::int32_t KxMapGest::GetMaxJetonInPlace(std::int32_t column, std::int32_t colour) const {
    bool open = false;
    return GetMaxJetonInPlace(column, colour, open);
}

bool KxMapGest::TrialWins(std::int32_t colour, int c) const {
    Grid g;
    std::memcpy(g, GameStruct, sizeof g);
    const std::int32_t h = g[c][0];
    if (h >= 0 && h < kRows) {
        g[c][0] = h + 1;
        g[c][6 - h] = colour;
    }
    Hit hit{};
    return Scan(g, hit) && g[hit.c][hit.r] == colour;
}

bool KxMapGest::CanGamerWin(std::int32_t colour, std::int32_t& column) const {
    for (int c = 0; c <= 6; ++c) {
        if (TrialWins(colour, c)) {
            column = c;
            return true;
        }
    }
    return false;
}

bool KxMapGest::CanGamerWin(std::int32_t colour) const {
    std::int32_t column = 0;
    return CanGamerWin(colour, column);
}

bool KxMapGest::CanGamerWin(std::int32_t colour, std::vector<std::int32_t>& columns) const {
    bool any = false;
    for (int c = 0; c <= 6; ++c) {
        if (TrialWins(colour, c)) {
            columns.push_back(c);
            any = true;
        }
    }
    return any;
}
