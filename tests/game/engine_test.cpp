#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/ia_texts.h"
#include "harness.h"

namespace {

using Rows = std::array<std::string, 6>;
using Lines = std::vector<std::string>;

std::string Taunt(const char* kind, std::size_t i) {
    return "MESS<IA>" + std::string(quorril::game::TauntList(kind)[i]);
}

const Rows kEmpty = {".......", ".......", ".......", ".......", ".......", "......."};
// 40 tokens, no line, and no winning cell for either side in columns 5 and 6.
const Rows kTwoFree = {"JBJBJ..", "BBJBJBJ", "BBJBBJB", "JJBJBJB", "BJJJBBJ", "JJBBJJJ"};

struct LevelCase {
    int level;
    Lines log;
};

class EveryLevel : public testing::TestWithParam<int> {};

TEST_P(EveryLevel, TakesItsWinBeforeBlockingAndTauntsAfterTheMove) {
    Harness h(GetParam(), {0.5});
    h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", "......J", "BBB...J"}));
    h.engine.AdvPlaceJeton(6);  // the host now threatens column 6 too
    EXPECT_EQ(h.sent, (Lines{"IPLA3#1", Taunt("gagne", 6)}));
    EXPECT_TRUE(h.draws.empty());
    EXPECT_FALSE(h.engine.IsEndedGame());
}

TEST_P(EveryLevel, BlocksASingleThreatAndSaysSo) {
    Harness h(GetParam(), {0.0});
    h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", ".......", "JJ...BB"}));
    h.engine.AdvPlaceJeton(2);
    EXPECT_EQ(h.sent, (Lines{"IPLA3#1", Taunt("evite", 0)}));
    EXPECT_TRUE(h.draws.empty());
}

TEST_P(EveryLevel, BlocksTheLowerOfTwoThreatsSilently) {
    Harness h(GetParam());
    h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", ".......", ".JJ..BB"}));
    h.engine.AdvPlaceJeton(3);
    EXPECT_EQ(h.sent, (Lines{"IPLA0#1"}));
}

TEST_P(EveryLevel, PlaysTheOnlyFreeColumn) {
    Harness h(GetParam(), {0.9, 0.9});
    h.engine.SetGrid(Picture(kTwoFree));
    h.engine.AdvPlaceJeton(5);
    EXPECT_EQ(h.sent, (Lines{"IPLA6#1"}));
    EXPECT_TRUE(h.engine.Grid().IsFullGame());
}

TEST_P(EveryLevel, AWinningMoveOfTheHostEndsTheGameWithOnlyATaunt) {
    Harness h(GetParam(), {0.99});
    h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", ".......", "JJJ..BB"}));
    h.engine.AdvPlaceJeton(3);
    EXPECT_EQ(h.sent, (Lines{Taunt("perdu", 8)}));
    EXPECT_TRUE(h.engine.IsEndedGame());
    h.engine.AdvPlaceJeton(4);
    EXPECT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.engine.Grid().CountJeton(4), 0);
}

TEST_P(EveryLevel, FillingTheBoardEndsTheGameInSilence) {
    Harness h(GetParam());
    KxMapGest board = Picture(kTwoFree);
    board.PlaceJeton(6, B);
    h.engine.SetGrid(board);
    h.engine.AdvPlaceJeton(5);
    EXPECT_EQ(h.sent, Lines{});
    EXPECT_TRUE(h.engine.IsEndedGame());
    h.engine.NewGame();
    EXPECT_FALSE(h.engine.IsEndedGame());
    EXPECT_EQ(h.engine.Grid().CountJeton(5), 0);
}

TEST_P(EveryLevel, MovesTheBoardRefusesAreNotAnswered) {
    Harness h(GetParam());
    KxMapGest board = Picture({"J......", "B......", "J......", "B......", "J......", "B......"});
    h.engine.SetGrid(board);
    for (int column : {-1, 7, 1000, 0}) h.engine.AdvPlaceJeton(column);
    EXPECT_EQ(h.sent, Lines{});
    EXPECT_EQ(h.engine.Grid().CountJeton(0), 6);
    EXPECT_FALSE(h.engine.IsEndedGame());
}

TEST_P(EveryLevel, SilencedMessagesStillPlay) {
    Harness h(GetParam());
    h.messages = false;
    h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", "......J", "BBB...J"}));
    h.engine.AdvPlaceJeton(6);
    EXPECT_EQ(h.sent, (Lines{"IPLA3#1"}));
}

INSTANTIATE_TEST_SUITE_P(Levels, EveryLevel, testing::Values(1, 2, 3, 0, 4, -1));

TEST(Level1, DrawsAmongTheFreeColumnsByFloor) {
    struct Case {
        Rows rows;
        double draw;
        const char* move;
    };
    const Rows col0Full = {"J......", "B......", "J......", "B......", "J......", "B......"};
    for (const Case& k : {Case{kEmpty, 0.0, "IPLA0#1"}, Case{kEmpty, 0.5, "IPLA3#1"},
                          Case{kEmpty, 0.99, "IPLA6#1"}, Case{col0Full, 0.0, "IPLA1#1"},
                          Case{col0Full, 0.999, "IPLA6#1"}}) {
        Harness h(1, {k.draw});
        h.engine.SetGrid(Picture(k.rows));
        h.engine.AdvPlaceJeton(3);
        EXPECT_EQ(h.sent, Lines{k.move}) << k.draw;
        EXPECT_EQ(h.cleared, 0);
        EXPECT_EQ(h.log, Lines{});
    }
}

TEST(Level2, StagesRunInOrderAndLogTheirReasoning) {
    struct Case {
        const char* name;
        Rows before;
        int hostMove;
        std::deque<double> draws;
        Lines sent;
        Lines log;
    };
    const Case cases[] = {
        {"win", {".......", ".......", ".......", ".......", "......J", "BBB...J"}, 6, {0.5},
         {"IPLA3#1", Taunt("gagne", 6)}, {"Begin Etape 1", "Etape 1, give jeton in 3"}},
        {"block", {".......", ".......", ".......", ".......", ".......", "JJ...BB"}, 2, {0.0},
         {"IPLA3#1", Taunt("evite", 0)}, {"Begin Etape 1", "Begin Etape 2", "Etape 2, give jeton in 3"}},
        {"three", {".......", ".......", ".......", ".......", ".......", ".J....B"}, 3, {0.3},
         {"IPLA2#1"},
         {"Begin Etape 1", "Begin Etape 2", "Begin Etape 3", "Etape 3, adv can make 3 jeton in 2",
          "Etape 3, give jeton in 2"}},
        {"threat", {".......", ".......", ".......", ".......", ".......", "J.BB..."}, 6, {}, {"IPLA1#1"},
         {"Begin Etape 1", "Begin Etape 2", "Begin Etape 3", "Begin Etape 4", "Etape 4, give jeton in 1"}},
        {"longest_of_equals", kEmpty, 3, {0.5}, {"IPLA3#1"},
         {"Begin Etape 1", "Begin Etape 2", "Begin Etape 3", "Begin Etape 4", "Begin Etape 5",
          "Etape 5, can give jeton in 0 for max 1 aligned jetons", "Etape 5, can give jeton in 1 for max 1 aligned jetons",
          "Etape 5, can give jeton in 2 for max 1 aligned jetons", "Etape 5, can give jeton in 3 for max 1 aligned jetons",
          "Etape 5, can give jeton in 4 for max 1 aligned jetons", "Etape 5, can give jeton in 5 for max 1 aligned jetons",
          "Etape 5, can give jeton in 6 for max 1 aligned jetons", "Etape 5 : try position 3",
          "Etape 5, give jeton in 3 with serv can win=false and ubound=5"}},
        {"longest_first", {".......", ".......", ".......", ".......", ".......", "B......"}, 6, {0.6}, {"IPLA1#1"},
         {"Begin Etape 1", "Begin Etape 2", "Begin Etape 3", "Begin Etape 4", "Begin Etape 5",
          "Etape 5, can give jeton in 0 for max 2 aligned jetons", "Etape 5, can give jeton in 1 for max 2 aligned jetons",
          "Etape 5, can give jeton in 2 for max 1 aligned jetons", "Etape 5, can give jeton in 3 for max 1 aligned jetons",
          "Etape 5, can give jeton in 4 for max 1 aligned jetons", "Etape 5, can give jeton in 5 for max 1 aligned jetons",
          "Etape 5, can give jeton in 6 for max 1 aligned jetons", "Etape 5 : try position 1",
          "Etape 5, give jeton in 1 with serv can win=false and ubound=5"}},
        {"three_on_the_last_column", kTwoFree, 5, {0.0}, {"IPLA6#1"},
         {"Begin Etape 1", "Begin Etape 2", "Begin Etape 3", "Etape 3, adv can make 3 jeton in 6",
          "Etape 3, give jeton in 6"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        Harness h(2, k.draws);
        h.engine.SetGrid(Picture(k.before));
        h.engine.AdvPlaceJeton(k.hostMove);
        EXPECT_EQ(h.sent, k.sent);
        EXPECT_EQ(h.log, k.log);
        EXPECT_EQ(h.cleared, 1);
        EXPECT_TRUE(h.draws.empty());
    }
}

TEST(ReasoningLog, IsClearedButNotWrittenWhileTheWindowIsHidden) {
    Harness h(2, {0.5});
    h.visible = false;
    h.log = {"stale"};
    h.engine.AdvPlaceJeton(3);
    EXPECT_EQ(h.cleared, 1);
    EXPECT_EQ(h.log, Lines{});
    EXPECT_EQ(h.sent, Lines{"IPLA3#1"});
}

TEST(Taunts, PickRoundsToTheNearestEntrySoEveryEntryIsReachable) {
    struct Case {
        const char* kind;
        double draw;
        std::size_t index;
    };
    for (const Case& k : {Case{"perdu", 0.0, 0}, Case{"perdu", 0.0624, 0}, Case{"perdu", 0.0626, 1},
                          Case{"perdu", 0.9999, 8}, Case{"gagne", 0.99, 12}, Case{"gagne", 0.5, 6},
                          Case{"evite", 0.97, 9}}) {
        Harness h(1, {k.draw, 0.0});
        if (std::string(k.kind) == "perdu") {
            h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", ".......", "JJJ..BB"}));
            h.engine.AdvPlaceJeton(3);
            EXPECT_EQ(h.sent, Lines{Taunt("perdu", k.index)}) << k.draw;
        } else if (std::string(k.kind) == "gagne") {
            h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", "......J", "BBB...J"}));
            h.engine.AdvPlaceJeton(6);
            EXPECT_EQ(h.sent, (Lines{"IPLA3#1", Taunt("gagne", k.index)})) << k.draw;
        } else {
            h.engine.SetGrid(Picture({".......", ".......", ".......", ".......", ".......", "JJ...BB"}));
            h.engine.AdvPlaceJeton(2);
            EXPECT_EQ(h.sent, (Lines{"IPLA3#1", Taunt("evite", k.index)})) << k.draw;
        }
    }
}

TEST(Engine, ColoursComeFromTheOfferAndNewGameKeepsThem) {
    Harness h(1, {0.0});
    h.engine.SetColor(B, true);
    h.engine.SetColor(J, false);
    EXPECT_EQ(h.engine.GetCouleurServeur(), B);
    EXPECT_EQ(h.engine.GetCouleurIA(), J);
    h.engine.AdvPlaceJeton(3);
    EXPECT_EQ(h.sent, Lines{"IPLA0#-1"});
    EXPECT_EQ(h.engine.Grid().GetStructValue(3, 6), B);
    h.engine.NewGame();
    EXPECT_EQ(h.engine.GetCouleurIA(), J);
    EXPECT_EQ(h.engine.Level, 1);
    EXPECT_EQ(h.engine.Grid().CountJeton(3), 0);
}

}  // namespace
