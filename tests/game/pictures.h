// Boards drawn as six rows, top row first: 'B' blue (+1), 'J' yellow (-1), '.' empty.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "game/kxmapgest.h"

// The sprite engine's token, reduced to an identity for these tests.
class Jeton {
public:
    explicit Jeton(int id_) : id(id_) {}
    int id;
};

constexpr int B = 1;
constexpr int J = -1;

// Every token carries id 10 * column + row.
inline KxMapGest Picture(const std::array<std::string, 6>& rows) {
    KxMapGest board;
    for (int c = 0; c < 7; ++c) {
        for (int r = 6; r >= 1; --r) {
            const char ch = rows[r - 1].at(c);
            if (ch == '.') continue;
            EXPECT_TRUE(board.PlaceJeton(c, ch == 'B' ? B : J, std::make_shared<Jeton>(10 * c + r))) << "floating token in column " << c;
        }
    }
    return board;
}
