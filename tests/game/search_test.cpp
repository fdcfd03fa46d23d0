#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "game/ia_search.h"
#include "harness.h"

namespace {

using Lines = std::vector<std::string>;
constexpr std::int32_t kNone = IAClassEngine::kNotSearched;
using Roots = std::array<std::int32_t, 7>;

TEST(Evaluation, CountsEachColumnOnceForEachSideAtItsHighestTier) {
    struct Case {
        std::array<std::string, 6> rows;
        int colour;
        std::int32_t value;
    };
    const std::string e = ".......";
    for (const Case& k : {Case{{e, e, e, e, e, e}, B, 0},
                          // Columns 1 and 4 would make open threes; 2 and 3 only closed twos.
                          Case{{e, e, e, e, e, "..BB..."}, B, 1000}, Case{{e, e, e, e, e, "..BB..."}, J, -1000},
                          // Columns 0 and 4 would make open fours.
                          Case{{e, e, e, e, e, ".BBB..."}, B, 10000},
                          // Blue's closed five in column 3 counts nothing, and its open falling two
                          // in column 1 ties the closed vertical two found first; yellow's open
                          // diagonal twos in columns 1 and 5 count against blue.
                          Case{{e, e, e, e, e, "JBB.BBJ"}, B, -100}}) {
        KxMapGest board = Picture(k.rows);
        const KxMapGest before(board);
        EXPECT_EQ(IAClassEngine::ValeurPosition(board, k.colour), k.value) << k.rows[5];
        EXPECT_EQ(quorril::game::SearchBoard(board).Evaluate(k.colour), k.value) << k.rows[5];
        for (int c = 0; c < 7; ++c) EXPECT_EQ(board.CountJeton(c), before.CountJeton(c));
    }
}

// 40 tokens, no line, and no winning cell for either side in columns 5 and 6.
const std::array<std::string, 6> kTwoFree = {"JBJBJ..", "BBJBJBJ", "BBJBBJB", "JJBJBJB", "BJJJBBJ", "JJBBJJJ"};
// Column 6 has two free cells; a blue token in the lower one hands yellow the upper one.
const std::array<std::string, 6> kPoisoned = {"JBJJBJ.", "BJJJBJ.", "JBBBJJB", "JBJJBBJ", "BJBBJJB", "BBJBBBJ"};

TEST(Level3, AFullBoardIsADrawNotAWin) {
    KxMapGest board = Picture(kTwoFree);
    board.PlaceJeton(5, J);
    EXPECT_EQ(IAClassEngine::Min_Max(board, J, 3, 32000), 0);
    board.PlaceJeton(6, B);
    EXPECT_EQ(IAClassEngine::Min_Max(board, J, 3, 32000), 0);
    EXPECT_EQ(quorril::game::SearchBoard(board).MinMax(J, 3, 32000), 0);

    Harness h(3);
    board.RemoveJeton(6);
    h.engine.SetGrid(board);
    h.engine.IAMotor();
    EXPECT_EQ(h.engine.LastRootValues(), (Roots{kNone, kNone, kNone, kNone, kNone, kNone, 0}));
    EXPECT_EQ(h.log, (Lines{"IA reflexion = 6", "Place jeton at  6"}));
    EXPECT_EQ(h.sent, Lines{"IPLA6#1"});
}

TEST(Level3, TiesAtTheRootGoToTheCoin) {
    struct Case {
        double draw;
        int chosen;
    };
    for (const Case& k : {Case{0.3, 5}, Case{0.49, 5}, Case{0.5, 6}, Case{0.9, 6}}) {
        Harness h(3, {k.draw});
        h.engine.SetGrid(Picture(kTwoFree));
        h.engine.IAMotor();
        EXPECT_EQ(h.engine.LastRootValues(), (Roots{kNone, kNone, kNone, kNone, kNone, 0, 0}));
        const std::string c = std::to_string(k.chosen);
        EXPECT_EQ(h.log, (Lines{"IA reflexion = " + c, "Place jeton at  " + c}));
        EXPECT_EQ(h.sent, Lines{"IPLA" + c + "#1"});
        EXPECT_TRUE(h.draws.empty());
    }
}

TEST(Level3, SafetyCheckFallsBackToTheFirstFreeColumn) {
    Harness h(3);
    h.engine.SetGrid(Picture(kPoisoned));
    h.engine.IAMotor();
    EXPECT_EQ(h.engine.LastRootValues(), (Roots{kNone, kNone, kNone, kNone, kNone, kNone, -30000}));
    EXPECT_EQ(h.log, (Lines{"IA reflexion = 6", "Colomn full or bad reflexion, try an other place",
                            "Colomn full or bad reflexion and there is no ideal place, try the first place",
                            "Colomn chosed = 6"}));
    EXPECT_EQ(h.sent, Lines{"IPLA6#1"});
}

TEST(Level3, MinMaxStopsAtTheFirstWinningColumn) {
    const std::string e = ".......";
    KxMapGest board = Picture({e, e, e, e, e, ".BBB..."});
    EXPECT_EQ(IAClassEngine::Min_Max(board, B, 0, 32000), 30000);
    EXPECT_EQ(IAClassEngine::Min_Max(board, B, 3, 32000), 30000);
    EXPECT_EQ(quorril::game::SearchBoard(board).MinMax(B, 3, 32000), 30000);
}

// Random legal positions without a line, as the computer meets them.
std::vector<KxMapGest> RandomPositions(int count, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<KxMapGest> out;
    while (static_cast<int>(out.size()) < count) {
        const int tokens = std::uniform_int_distribution<int>(0, 38)(rng);
        KxMapGest board;
        int colour = J;
        bool ok = true;
        for (int t = 0; t < tokens && ok; ++t) {
            std::vector<int> free;
            for (int c = 0; c < 7; ++c) {
                if (!board.IsFullColumn(c)) free.push_back(c);
            }
            board.PlaceJeton(free[std::uniform_int_distribution<std::size_t>(0, free.size() - 1)(rng)], colour);
            ok = !board.HaveWinner() && !board.IsFullGame();
            colour = -colour;
        }
        if (ok) out.push_back(board);
    }
    return out;
}

TEST(Level3, CompactSearchGivesTheScratchBoardValues) {
    std::mt19937 rng(99);
    const std::int32_t bounds[] = {32000, 30000, 5000, 550, 50, 0, -50, -500, -30000, -32000};
    for (const KxMapGest& position : RandomPositions(150, 5)) {
        for (int colour : {B, J}) {
            KxMapGest board(position);
            quorril::game::SearchBoard compact(position);
            ASSERT_EQ(compact.Evaluate(colour), IAClassEngine::ValeurPosition(board, colour));
            const int depth = std::uniform_int_distribution<int>(0, 2)(rng);
            const std::int32_t bound = bounds[std::uniform_int_distribution<int>(0, 9)(rng)];
            ASSERT_EQ(compact.MinMax(colour, depth, bound), IAClassEngine::Min_Max(board, colour, depth, bound))
                << "depth " << depth << " bound " << bound;
        }
    }
}

// The root of the level played literally on a scratch board, with the same coin.
struct Reference {
    Roots values;
    int chosen;
};

Reference LiteralRoot(const KxMapGest& grid, int me, std::deque<double>& draws) {
    Reference ref{};
    ref.values.fill(kNone);
    std::int32_t best = -32000;
    ref.chosen = 0;
    KxMapGest scratch;
    for (int c = 0; c < 7; ++c) {
        scratch.CopyFrom(grid);
        if (scratch.IsFullColumn(c)) continue;
        scratch.PlaceJeton(c, me);
        const std::int32_t v = -IAClassEngine::Min_Max(scratch, -me, 3, -best);
        ref.values[c] = v;
        if (v == best) {
            const double r = draws.front();
            draws.pop_front();
            if (r >= 0.5) ref.chosen = c;
        } else if (v > best) {
            best = v;
            ref.chosen = c;
        }
        scratch.RemoveJeton(c);
    }
    return ref;
}

TEST(Level3, PlaysTheLiteralSearchChoice) {
    std::mt19937 rng(3);
    int searched = 0;
    for (const KxMapGest& position : RandomPositions(200, 11)) {
        std::deque<double> coins;
        for (int i = 0; i < 7; ++i) coins.push_back(std::uniform_real_distribution<double>(0, 1)(rng));
        Harness h(3, coins);
        h.engine.SetGrid(position);
        h.engine.IAMotor();
        if (h.engine.LastRootValues() == Roots{kNone, kNone, kNone, kNone, kNone, kNone, kNone}) continue;
        ++searched;
        std::deque<double> same = coins;
        const Reference ref = LiteralRoot(position, B, same);
        ASSERT_EQ(h.engine.LastRootValues(), ref.values);
        ASSERT_EQ(h.draws.size(), same.size());
        ASSERT_FALSE(h.log.empty());
        EXPECT_EQ(h.log.front(), "IA reflexion = " + std::to_string(ref.chosen));
    }
    EXPECT_GT(searched, 60);
}

TEST(Level3, UnusualColoursTakeTheScratchBoardSearch) {
    // Colours that are not +1/-1 opposites never reach the compact board; the move still comes.
    Harness h(3, {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1});
    h.engine.SetColor(0, true);
    h.engine.SetColor(0, false);
    h.engine.AdvPlaceJeton(3);
    ASSERT_EQ(h.sent.size(), 1u);
    EXPECT_EQ(h.sent[0].rfind("IPLA", 0), 0u);
}

}  // namespace
