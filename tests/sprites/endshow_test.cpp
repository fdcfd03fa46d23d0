#include <gtest/gtest.h>

#include <cmath>

#include "helpers.h"
#include "sprites/endshow.h"
#include "sprites/jetonlist.h"
#include "sprites/resources.h"

namespace {

TEST(EndShowScore, FormulaByDifficulty) {
    struct Case { int difficulty, seconds, moves, strategy, score; };
    const Case cases[] = {
        {2, 50, 12, 30, 156},  // (40 + 8 + 30) x 2
        {1, 60, 15, 0, 0},
        {1, 10, 4, 5, (35 + 6 + 5) * 1},
        {3, 130, 50, 25, 75},  // time and move points are floored at 0
        {3, 20, 10, 0, (100 + 30) * 3},
        {0, 100, 7, 5, 0},     // an unknown level multiplies by itself
        {4, 100, 7, 5, (100 + 7 + 5) * 4},
        // A damaged level saturates instead of overflowing.
        {2147483647, 2147483647, 2147483647, 2147483647, 2147483647},
        {-2147483647 - 1, 100, 7, 5, -2147483647 - 1},
        {2147483647, 0, 0, -2147483647 - 1, -2147483647 - 1},
        {-1, 2147483647, 2147483647, 0, -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EndShow::Score(c.difficulty, c.seconds, c.moves, c.strategy), c.score)
            << c.difficulty << " " << c.seconds << " " << c.moves << " " << c.strategy;
}

struct Show : ::testing::Test {
    SMSpriteSurface board;
    JetonList rack{1, true, "right"};
    void SetUp() override {
        board.resize(640, 420);
        rack.GlueOnMap(board);
        board.SetBackdrop(plateau());
    }
};

TEST_F(Show, StartDrawsNothingAndSlidesInSixteenTicksToTheCentre) {
    const QImage before = board.BackingImage();
    EndShow show(&board);
    EXPECT_EQ(show.Start(2, 50, 12, 30, true), 156);
    EXPECT_EQ(board.BackingImage(), before);
    ASSERT_EQ(show.Lines().size(), 3u);
    ASSERT_NE(show.Panel(), nullptr);
    EXPECT_EQ(board.Sprites().size(), 21u + 4u);
    EXPECT_EQ(show.Animator()->Period(), 25);
    EXPECT_EQ(show.Animator()->Mode(), fw::Timer::ModeMultiple);

    int widest = 0, stack = 0;
    for (int i = 0; i < 3; ++i) {
        const auto& line = show.Lines()[i];
        EXPECT_EQ(line->order(), 501 + i);
        EXPECT_EQ(line->y(), -line->height());
        widest = std::max(widest, line->width());
        stack += line->height();
    }
    const auto& panel = show.Panel();
    EXPECT_EQ(panel->order(), 500);
    EXPECT_EQ(panel->width(), widest + 20);
    EXPECT_EQ(panel->height(), stack + 20);
    EXPECT_EQ(panel->x(), std::lround((640 - panel->width()) / 2.0));
    // The lines read as their texts: "Coup : 8" has the width of that text built alone.
    EXPECT_EQ(show.Lines()[0]->width(), EndShow::BuildPicturedText("Coup : 8")->Width());
    EXPECT_EQ(show.Lines()[2]->width(), EndShow::BuildPicturedText("Temps : 40")->Width());

    for (int tick = 1; tick <= 15; ++tick) show.TimerAction(*show.Animator());
    EXPECT_EQ(show.Animator()->Mode(), fw::Timer::ModeMultiple);
    EXPECT_LT(show.Phase(), EndShow::kEndPhase);
    show.TimerAction(*show.Animator());
    EXPECT_EQ(show.Animator()->Mode(), fw::Timer::ModeOff);
    EXPECT_EQ(show.Phase(), EndShow::kEndPhase);

    int y = (420 - stack) / 2;
    for (const auto& line : show.Lines()) {
        EXPECT_NEAR(line->y(), y, 1);
        EXPECT_EQ(line->x(), panel->x() + 10);
        y += line->height();
    }
    EXPECT_NEAR(panel->y(), (420 - stack) / 2 - 10, 1);
    // The panel darkens the board through its grey mask; its text is black.
    const QColor under = At(*plateau(), panel->x() + 5, panel->y() + 5);
    const QColor shown = At(board, panel->x() + 5, panel->y() + 5);
    EXPECT_TRUE(Near(shown, QColor(under.red() * 130 / 255, under.green() * 130 / 255, under.blue() * 130 / 255), 3));
}

TEST_F(Show, LostGameShowsOneLineAndStillReturnsTheScore) {
    EndShow show(&board);
    EXPECT_EQ(show.Start(2, 50, 12, 30, false), 156);
    ASSERT_EQ(show.Lines().size(), 1u);
    EXPECT_EQ(show.Lines()[0]->order(), 501);
    EXPECT_EQ(show.Lines()[0]->width(), EndShow::BuildPicturedText("Vous avez perdu !")->Width());
    EXPECT_EQ(show.Panel()->width(), show.Lines()[0]->width() + 20);
    EXPECT_EQ(show.Panel()->height(), show.Lines()[0]->height() + 20);
}

TEST_F(Show, StopRestoresTheBoardAndStopsTheTimer) {
    const QImage before = board.BackingImage();
    EndShow show(&board);
    show.Start(3, 10, 5, 0, true);
    for (int i = 0; i < 16; ++i) show.TimerAction(*show.Animator());
    EXPECT_NE(board.BackingImage(), before);
    show.Stop();
    EXPECT_EQ(board.Sprites().size(), 21u);
    EXPECT_EQ(board.BackingImage(), before);
    EXPECT_EQ(show.Panel(), nullptr);
}

TEST_F(Show, StopDuringTheSlideLeavesNoTickBehind) {
    EndShow show(&board);
    show.Start(1, 10, 5, 0, true);
    show.TimerAction(*show.Animator());
    show.Stop();
    EXPECT_EQ(show.Animator()->Mode(), fw::Timer::ModeOff);
    const QImage after = board.BackingImage();
    show.TimerAction(*show.Animator());  // a tick already queued finds no panel
    EXPECT_EQ(board.BackingImage(), after);
}

TEST(EndShowPictures, TextIsBlackGlyphsOnATransparentGround) {
    auto p = EndShow::BuildPicturedText("Temps : 0");
    ASSERT_GT(p->Width(), 100);
    ASSERT_TRUE(p->HasMask());
    int ink = 0;
    for (int y = 0; y < p->Height(); ++y)
        for (int x = 0; x < p->Width(); ++x) {
            EXPECT_EQ(p->Pixel(x, y) & 0xffffff, 0u);
            ink += qGray(p->Mask().Pixel(x, y)) < 128;
        }
    EXPECT_GT(ink, 200);
    EXPECT_EQ(qGray(p->Mask().Pixel(0, 0)), 255);
    // Nothing to write gives a 1 x 1 picture rather than none.
    EXPECT_EQ(EndShow::BuildPicturedText("")->Width(), 1);
}

TEST(EndShowPictures, NoSurfaceStillGivesTheScore) {
    EndShow show(nullptr);
    EXPECT_EQ(show.Start(2, 50, 12, 30, true), 156);
    EXPECT_EQ(show.Animator(), nullptr);
    show.Stop();
}

}  // namespace
