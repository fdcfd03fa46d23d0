#include <gtest/gtest.h>

#include <memory>

#include "game/kxmapgest.h"
#include "pictures.h"

namespace {

void ExpectEmpty(const KxMapGest& board) {
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(board.CountJeton(i), 0);
        EXPECT_FALSE(board.IsFullColumn(i));
        for (int j = 0; j < 7; ++j) EXPECT_EQ(board.GetStructValue(i, j), 0) << i << "," << j;
    }
    EXPECT_FALSE(board.IsFullGame());
}

TEST(Board, NewAndInitBoardsAreEmptyButInitKeepsTokens) {
    KxMapGest board;
    ExpectEmpty(board);
    auto token = std::make_shared<Jeton>(7);
    ASSERT_TRUE(board.PlaceJeton(4, B, token));
    ASSERT_TRUE(board.PlaceJeton(4, J, nullptr));
    board.Init();
    ExpectEmpty(board);
    EXPECT_EQ(board.GetStructJeton(4, 6), token);
}

TEST(Board, DropFillsAColumnFromTheBottomThenRefuses) {
    KxMapGest board;
    for (int k = 0; k < 6; ++k) {
        ASSERT_TRUE(board.PlaceJeton(2, k % 2 ? J : B, std::make_shared<Jeton>(k)));
        EXPECT_EQ(board.CountJeton(2), k + 1);
        EXPECT_EQ(board.GetStructValue(2, 6 - k), k % 2 ? J : B);
        EXPECT_EQ(board.GetStructJeton(2, 6 - k)->id, k);
        if (k < 5) {
            EXPECT_EQ(board.GetStructValue(2, 5 - k), 0);
        }
    }
    EXPECT_TRUE(board.IsFullColumn(2));
    const KxMapGest before(board);
    EXPECT_FALSE(board.PlaceJeton(2, B));
    for (int j = 0; j < 7; ++j) EXPECT_EQ(board.GetStructValue(2, j), before.GetStructValue(2, j));
}

TEST(Board, RefusedColumnsChangeNothing) {
    for (int column : {-1, 7, -100000, 2147483647}) {
        KxMapGest board;
        EXPECT_FALSE(board.PlaceJeton(column, B)) << column;
        ExpectEmpty(board);
        // Every other operation tolerates the same index without reaching outside the board.
        EXPECT_EQ(board.RemoveJeton(column), 0);
        EXPECT_EQ(board.CountJeton(column), 0);
        EXPECT_TRUE(board.IsFullColumn(column));
        EXPECT_EQ(board.GetStructValue(column, 3), 0);
        EXPECT_EQ(board.GetStructJeton(column, 3), nullptr);
        board.SetStructJeton(column, 3, std::make_shared<Jeton>(1));
        bool open = true;
        EXPECT_EQ(board.GetMaxJetonInPlace(column, B, open), 0);
        ExpectEmpty(board);
    }
    KxMapGest board;
    EXPECT_EQ(board.GetStructValue(3, 7), 0);
    EXPECT_EQ(board.GetStructValue(3, -1), 0);
    EXPECT_EQ(board.RemoveJeton(3), 0);  // empty column
    ExpectEmpty(board);
}

TEST(Board, FullBoardRefusesEveryMove) {
    KxMapGest board;
    int placed = 0;
    for (int c = 0; c < 7; ++c) {
        for (int k = 0; k < 6; ++k) placed += board.PlaceJeton(c, (c + k) % 2 ? B : J) ? 1 : 0;
        EXPECT_EQ(board.IsFullGame(), c == 6);
    }
    EXPECT_EQ(placed, 42);
    for (int c = -1; c <= 7; ++c) EXPECT_FALSE(board.PlaceJeton(c, B));
}

TEST(Board, RemoveUndoesTheLastDrop) {
    KxMapGest board = Picture({".......", ".......", ".......", "..J....", "..BJ...", "..JBB.."});
    const KxMapGest before(board);
    for (int c = 0; c < 7; ++c) {
        const int row = 6 - board.CountJeton(c);
        ASSERT_TRUE(board.PlaceJeton(c, J, std::make_shared<Jeton>(c)));
        EXPECT_EQ(board.RemoveJeton(c), J);
        EXPECT_EQ(board.GetStructJeton(c, row), nullptr);
        for (int j = 0; j < 7; ++j) EXPECT_EQ(board.GetStructValue(c, j), before.GetStructValue(c, j));
        if (row < 6) {
            EXPECT_EQ(board.GetStructJeton(c, row + 1), before.GetStructJeton(c, row + 1));
        }
    }
}

TEST(Board, CopySharesTokensAndIsIndependent) {
    KxMapGest source;
    auto t1 = std::make_shared<Jeton>(1);
    auto t2 = std::make_shared<Jeton>(2);
    source.PlaceJeton(0, B, t1);
    source.PlaceJeton(0, J, t2);
    KxMapGest copy(source);
    EXPECT_EQ(copy.GetStructJeton(0, 6), t1);
    EXPECT_EQ(copy.GetStructJeton(0, 5), t2);
    EXPECT_EQ(copy.CountJeton(0), 2);
    copy.PlaceJeton(0, B);
    copy.PlaceJeton(3, B);
    EXPECT_EQ(source.CountJeton(0), 2);
    EXPECT_EQ(source.CountJeton(3), 0);
    copy.CopyFrom(source);
    EXPECT_EQ(copy.CountJeton(0), 2);
    EXPECT_EQ(copy.GetStructValue(0, 4), 0);
}

TEST(Board, IsEqualLine) {
    struct Case {
        int a, b, c, d;
        bool equal;
    };
    for (const Case& k : {Case{0, 0, 0, 0, false}, Case{1, 1, 1, 1, true}, Case{-1, -1, -1, -1, true},
                          Case{1, 1, 1, -1, false}, Case{1, 0, 1, 1, false}, Case{-1, -1, 1, -1, false}}) {
        EXPECT_EQ(KxMapGest::IsEqualLine(k.a, k.b, k.c, k.d), k.equal) << k.a << k.b << k.c << k.d;
    }
}

}  // namespace
