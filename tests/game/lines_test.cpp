#include <gtest/gtest.h>

#include <vector>

#include "game/kxmapgest.h"
#include "pictures.h"

namespace {

int Id(const JetonRef& t) { return t ? t->id : -1; }

struct WinCase {
    const char* name;
    std::array<std::string, 6> rows;
    int colour;
    std::array<int, 7> ids;  // 10 * column + row of ID1..ID7, -1 for none
};

class WinScan : public testing::TestWithParam<WinCase> {};

TEST_P(WinScan, ReportsTheFirstLineWithItsTokens) {
    const WinCase& k = GetParam();
    const KxMapGest board = Picture(k.rows);
    bool found = false;
    int colour = 0;
    Quadruplet line;
    board.HaveWinner(found, colour, line);
    ASSERT_TRUE(found);
    EXPECT_EQ(colour, k.colour);
    EXPECT_EQ(line.colKind, k.colour);
    const std::array<int, 7> got = {Id(line.ID1), Id(line.ID2), Id(line.ID3), Id(line.ID4),
                                    Id(line.ID5), Id(line.ID6), Id(line.ID7)};
    EXPECT_EQ(got, k.ids);
    EXPECT_TRUE(board.HaveWinner());
    EXPECT_TRUE(board.HaveWinner(k.colour));
    EXPECT_FALSE(board.HaveWinner(-k.colour));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, WinScan,
    testing::Values(
        WinCase{"vertical", {".......", ".......", "..B....", "..B....", "..B....", "..B...."}, B,
                {23, 24, 25, 26, -1, -1, -1}},
        WinCase{"horizontal_of_seven", {".......", ".......", ".......", ".......", ".......", "JJJJJJJ"}, J,
                {6, 16, 26, 36, 46, 56, 66}},
        WinCase{"horizontal_of_five", {".......", ".......", ".......", ".......", ".......", "JBBBBBJ"}, B,
                {16, 26, 36, 46, 56, -1, -1}},
        WinCase{"down_left_of_five",
                {"......B", ".....BJ", "....BBJ", "...BJJB", "..BBJBJ", "..JBBBJ"}, B,
                {61, 52, 43, 34, 25, -1, -1}},
        WinCase{"down_right_of_five",
                {"B......", "JB.....", "JBB....", "BJJB...", "JBJBB..", "JBBBJ.."}, B,
                {1, 12, 23, 34, 45, -1, -1}},
        WinCase{"vertical_before_horizontal",
                {".......", ".......", "BBBB...", "JJJB...", "BJBB...", "JBJB..."}, B,
                {33, 34, 35, 36, -1, -1, -1}},
        WinCase{"horizontal_before_diagonal",
                {".......", ".......", "...J...", "..JB...", ".JBB...", "JBBBB.."}, B,
                {16, 26, 36, 46, -1, -1, -1}}),
    [](const testing::TestParamInfo<WinCase>& info) { return std::string(info.param.name); });

TEST(WinScanNone, WritesFoundFalseAndLeavesTheRest) {
    const KxMapGest board = Picture({".......", ".......", "..J....", "..B....", "..B....", "BBBJBBB"});
    bool found = true;
    int colour = 5;
    auto marker = std::make_shared<Jeton>(99);
    Quadruplet line(7, marker, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
    board.HaveWinner(found, colour, line);
    EXPECT_FALSE(found);
    EXPECT_EQ(colour, 5);
    EXPECT_EQ(line.colKind, 7);
    EXPECT_EQ(line.ID1, marker);
    found = true;
    board.HaveWinner(found, colour);
    EXPECT_FALSE(found);
    EXPECT_FALSE(board.HaveWinner());
    EXPECT_FALSE(board.HaveWinner(B));
    EXPECT_FALSE(board.HaveWinner(J));
}

struct RunCase {
    const char* name;
    std::array<std::string, 6> rows;
    int column;
    int colour;
    int length;
    bool open;
};

class RunLength : public testing::TestWithParam<RunCase> {};

TEST_P(RunLength, LongestRunThroughTheTopToken) {
    const RunCase& k = GetParam();
    const KxMapGest board = Picture(k.rows);
    for (bool preset : {false, true}) {
        bool open = preset;
        EXPECT_EQ(board.GetMaxJetonInPlace(k.column, k.colour, open), k.length);
        EXPECT_EQ(open, k.length == 0 ? preset : k.open);
    }
    EXPECT_EQ(board.GetMaxJetonInPlace(k.column, k.colour), k.length);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RunLength,
    testing::Values(
        RunCase{"empty_column", {".......", ".......", ".......", ".......", ".......", "B......"}, 3, B, 0, false},
        RunCase{"open_row_of_four", {".......", ".......", ".......", ".......", ".......", "..BBBB."}, 2, B, 4, true},
        RunCase{"row_closed_both_ends", {".......", ".......", ".......", ".......", ".......", "JBBBJ.."}, 2, B, 3,
                false},
        RunCase{"vertical_never_open", {".......", ".......", ".......", "B......", "B......", "B......"}, 0, B, 3,
                false},
        RunCase{"earlier_line_keeps_its_flag_on_a_tie",
                {".......", ".......", ".......", "BBB....", "JBJ....", "JBJ...."}, 1, B, 3, true},
        RunCase{"falling_diagonal_both_sides",
                {".......", ".......", ".......", ".JB....", ".JJB...", ".JJJB.."}, 2, B, 3, true},
        RunCase{"rising_diagonal", {".......", ".......", "...B...", "..BJ...", ".BJJ...", "JJBJ..."}, 3, B, 3,
                true},
        RunCase{"other_colour_on_top_counts_from_the_sides",
                {".......", ".......", ".......", ".......", ".......", ".BBJ..."}, 3, B, 2, true},
        RunCase{"other_colour_on_top_edge_closed",
                {".......", ".......", ".......", ".......", ".......", "BBJ...."}, 2, B, 2, false}),
    [](const testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

TEST(CanGamerWin, ListsEveryWinningColumnInOrder) {
    const KxMapGest board = Picture({".......", ".......", ".......", ".......", ".......", "J.BBB.J"});
    int column = 42;
    EXPECT_TRUE(board.CanGamerWin(B, column));
    EXPECT_EQ(column, 1);
    std::vector<int> columns = {9};
    EXPECT_TRUE(board.CanGamerWin(B, columns));
    EXPECT_EQ(columns, (std::vector<int>{9, 1, 5}));
    EXPECT_TRUE(board.CanGamerWin(B));

    column = 42;
    EXPECT_FALSE(board.CanGamerWin(J, column));
    EXPECT_EQ(column, 42);
    EXPECT_FALSE(board.CanGamerWin(J, columns));
    EXPECT_EQ(columns.size(), 3u);
}

TEST(CanGamerWin, FullColumnsNeverWinButAnExistingLineDoes) {
    const KxMapGest noLine = Picture({"J......", "B......", "J......", "B......", "J......", "JBBBJ.."});
    EXPECT_FALSE(noLine.CanGamerWin(B));

    const KxMapGest withLine = Picture({"J......", "B......", "J......", "B......", "J......", "JBBBB.."});
    int column = 42;
    EXPECT_TRUE(withLine.CanGamerWin(B, column));
    EXPECT_EQ(column, 0);
}

}  // namespace
