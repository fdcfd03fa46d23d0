#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "helpers.h"
#include "sprites/animators.h"
#include "sprites/jetonlist.h"
#include "sprites/resources.h"

namespace {

// A board that records the landings it hears of, and what the animator looked like then.
struct Board : SMSpriteSurface, FallListener {
    std::vector<int> landed;
    AnimTomber* fall = nullptr;
    bool runningAtReport = true;
    int modeAtReport = -1;
    Board() {
        resize(640, 420);
        SetBackdrop(plateau());
    }
    void TomberAnimFinish(int col) override {
        landed.push_back(col);
        runningAtReport = fall->IsRunning();
        modeAtReport = fall->Mode();
    }
};

std::shared_ptr<Jeton> Token(SMSpriteSurface& s, int x, int y, int colour = -1) {
    auto t = std::make_shared<Jeton>();
    t->setImage(GetPictWithGamer(colour, "clair"));
    t->setX(x);
    t->setY(y);
    s.AddSprite(t);
    return t;
}

TEST(Fall, StepsThirtyPixelsATickThenLandsAndReportsOnce) {
    Board board;
    AnimTomber fall;
    board.fall = &fall;
    auto t = Token(board, 75, -18);
    fall.Tomber(-18, 350, 0, t, &board);
    EXPECT_EQ(fall.Mode(), fw::Timer::ModeMultiple);
    std::vector<int> ys;
    for (int tick = 0; tick < 14; ++tick) {
        fall.Step();
        ys.push_back(t->y());
    }
    std::vector<int> want;
    for (int y = -18; y < 350; y += 30) want.push_back(y);
    want.push_back(350);
    EXPECT_EQ(ys, want);
    EXPECT_TRUE(board.landed.empty());
    EXPECT_EQ(At(board, 75 + 35, 350 + 35), At(*jaune(), 35, 35));
    fall.Step();  // the 15th tick reports
    EXPECT_EQ(board.landed, std::vector<int>{0});
    EXPECT_FALSE(board.runningAtReport);
    EXPECT_EQ(board.modeAtReport, fw::Timer::ModeOff);
    fall.Step();
    EXPECT_EQ(board.landed.size(), 1u);
}

TEST(Fall, StartAtOrBelowTheLandingGoesStraightThere) {
    struct Case { int start, target; };
    for (const Case& c : {Case{280, 280}, Case{300, 210}}) {
        Board board;
        AnimTomber fall;
        board.fall = &fall;
        auto t = Token(board, 145, c.start);
        fall.Tomber(c.start, c.target, 1, t, &board);
        fall.Step();
        EXPECT_EQ(t->y(), c.target);
        EXPECT_TRUE(board.landed.empty());
        fall.Step();
        EXPECT_EQ(board.landed, std::vector<int>{1});
    }
}

TEST(Fall, IgnoredWithoutTokenOrWhileRunning) {
    Board board;
    AnimTomber fall;
    board.fall = &fall;
    fall.Tomber(0, 350, 2, nullptr, &board);
    EXPECT_FALSE(fall.IsRunning());
    EXPECT_EQ(fall.Mode(), fw::Timer::ModeOff);
    auto a = Token(board, 215, 0), b = Token(board, 285, 0);
    fall.Tomber(0, 350, 2, a, &board);
    fall.Tomber(0, 280, 3, b, &board);
    while (fall.IsRunning()) fall.Step();
    EXPECT_EQ(a->y(), 350);
    EXPECT_EQ(b->y(), 0);
    EXPECT_EQ(board.landed, std::vector<int>{2});
}

TEST(Animators, TickAtMostOncePerFrame) {
    AnimTomber fall;
    AnimWinner pulse;
    AnimReturn flight;
    fall.SetPeriod(1);
    pulse.SetPeriod(1);
    flight.SetPeriod(1);
    EXPECT_EQ(fall.Period(), FrameAnimator::kFrameMs);
    EXPECT_EQ(pulse.Period(), FrameAnimator::kFrameMs);
    EXPECT_EQ(flight.Period(), FrameAnimator::kFrameMs);
}

// The opaque span of a pulsing token's row 35, from its mask.
std::pair<int, int> OpaqueSpan(const fw::Picture& p) {
    int first = -1, last = -1;
    for (int x = 0; x < 70; ++x)
        if (qGray(p.MaskIfAny()->Pixel(x, 35)) < 128) {
            if (first < 0) first = x;
            last = x;
        }
    return {first, last};
}

TEST(Pulse, InsetsFollowTheCosineAndAllTokensOfTheLineShareThePicture) {
    Board board;
    std::vector<std::shared_ptr<Jeton>> tokens;
    for (int c = 0; c < 5; ++c) tokens.push_back(Token(board, 75 + 70 * c, 350, 1));
    Quadruplet line(1, tokens[0], tokens[1], tokens[2], tokens[3], tokens[4], nullptr, nullptr);
    AnimWinner pulse;
    pulse.Animer(line, &board);
    ASSERT_TRUE(pulse.IsRunning());
    struct Case { int tick; int inset; };
    // Tick k uses phase 1.570796327 + 0.1 (k - 1): about 5 at first, 0 near pi, 10 near 2 pi.
    const Case cases[] = {{1, 5}, {17, 0}, {33, 5}, {48, 10}};
    int done = 0;
    for (const Case& c : cases) {
        while (done < c.tick) {
            pulse.Step();
            ++done;
        }
        SCOPED_TRACE(c.tick);
        EXPECT_NEAR(pulse.Inset(), (std::cos(1.570796327 + 0.1 * (c.tick - 1)) + 1) * 5, 1e-9);
        EXPECT_EQ(std::lround(pulse.Inset()), c.inset);
        const auto& pic = tokens[0]->image();
        for (const auto& t : tokens) EXPECT_EQ(t->image(), pic);
        const auto [first, last] = OpaqueSpan(*pic);
        EXPECT_NEAR(first, c.inset + 1, 1);
        EXPECT_NEAR(last, 69 - c.inset - 1, 1);
        EXPECT_TRUE(Near(At(*pic, 35, 35), At(*bleu(), 35, 35), 12));  // scaled: near, not equal
    }
    // A second line while it runs is ignored; StopIt stops.
    auto other = Token(board, 75, 280, -1);
    Quadruplet second(-1, other, other, other, other, nullptr, nullptr, nullptr);
    const auto before = other->image();
    pulse.Animer(second, &board);
    pulse.Step();
    EXPECT_EQ(other->image(), before);
    pulse.StopIt();
    EXPECT_FALSE(pulse.IsRunning());
    EXPECT_EQ(pulse.Mode(), fw::Timer::ModeOff);
}

// The timer's side of the pulse, as its events would run it.
struct TimedPulse : AnimWinner {
    using AnimWinner::Action;
};

TEST(Pulse, TheTimerWakesOnlyForTicksThatChangeThePictureAndKeepsTheirPace) {
    Board board;
    std::vector<std::shared_ptr<Jeton>> tokens;
    for (int c = 0; c < 4; ++c) tokens.push_back(Token(board, 75 + 70 * c, 350, -1));
    Quadruplet line(-1, tokens[0], tokens[1], tokens[2], tokens[3], nullptr, nullptr, nullptr);
    TimedPulse timed;
    AnimWinner everyTick;  // a pulse stepped at every tick, on its own tokens
    Board other;
    std::vector<std::shared_ptr<Jeton>> mine;
    for (int c = 0; c < 4; ++c) mine.push_back(Token(other, 75 + 70 * c, 350, -1));
    timed.Animer(line, &board);
    everyTick.Animer(Quadruplet(-1, mine[0], mine[1], mine[2], mine[3], nullptr, nullptr, nullptr), &other);
    ASSERT_EQ(timed.Period(), FrameAnimator::kFrameMs);
    int ticks = 0, wakes = 0, due = 1;
    while (ticks < 2 * 63) {
        const auto before = tokens[0]->image();
        timed.Action();
        ++wakes;
        for (int i = 0; i < due; ++i) everyTick.Step();
        ticks += due;
        // Every wake shows a new picture, the one a tick-by-tick pulse shows at that time.
        EXPECT_NE(tokens[0]->image(), before) << "tick " << ticks;
        EXPECT_EQ(std::lround(timed.Inset()), std::lround(everyTick.Inset())) << "tick " << ticks;
        EXPECT_EQ(OpaqueSpan(*tokens[0]->image()), OpaqueSpan(*mine[0]->image())) << "tick " << ticks;
        ASSERT_EQ(timed.Period() % FrameAnimator::kFrameMs, 0);
        due = timed.Period() / FrameAnimator::kFrameMs;
    }
    // Eleven insets, each met twice a pulse: about twenty wakes a pulse instead of 63.
    EXPECT_LE(wakes, 2 * 22);
}

TEST(Flight, AngleOfEachQuadrant) {
    struct Case { int dx, dy; double deg; };
    const Case cases[] = {{3, 4, 53.13}, {-3, 4, 126.87}, {-3, -4, 233.13}, {3, -4, 306.87},
                          {0, 5, 90}, {0, -5, 270}, {5, 0, 0}, {-5, 0, 180}, {0, 0, 0}};
    for (const Case& c : cases) EXPECT_NEAR(AnimReturn::getangleinterne(c.dx, c.dy), c.deg, 0.01) << c.dx << "," << c.dy;
}

TEST(Flight, FliesHomeTwentyFivePixelsATick) {
    struct Case { int sx, sy, hx, hy, ticks; };
    const Case cases[] = {{100, 200, 563, 330, 21}, {563, 390, 563, 330, 4}, {400, 100, 400, 100, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.ticks);
        Board board;
        auto t = Token(board, c.sx, c.sy);
        AnimReturn flight;
        flight.MoveFrom(c.hx, c.hy, c.sx, c.sy, t, &board);
        int ticks = 0;
        while (flight.IsRunning() && ticks < 100) {
            flight.Step();
            if (++ticks == 1 && c.ticks > 1) {
                EXPECT_NEAR(t->x(), c.sx, 1);
                EXPECT_NEAR(t->y(), c.sy, 1);
            }
        }
        EXPECT_EQ(ticks, c.ticks);
        EXPECT_EQ(t->x(), c.hx);
        EXPECT_EQ(t->y(), c.hy);
        EXPECT_EQ(flight.Mode(), fw::Timer::ModeOff);
    }
}

TEST(Animators, WithoutBoardOrTokenNothingStarts) {
    Board board;
    auto t = Token(board, 0, 0);
    AnimReturn flight;
    flight.MoveFrom(10, 10, 0, 0, nullptr, &board);
    flight.MoveFrom(10, 10, 0, 0, t, nullptr);
    EXPECT_FALSE(flight.IsRunning());
    AnimWinner pulse;
    pulse.Animer(Quadruplet(), nullptr);
    EXPECT_FALSE(pulse.IsRunning());
    flight.Step();
    pulse.Step();
}

TEST(Animators, BoardGoneMidFlightStopsQuietly) {
    auto board = std::make_unique<Board>();
    AnimTomber fall;
    board->fall = &fall;
    auto t = Token(*board, 75, 0);
    fall.Tomber(0, 350, 0, t, board.get());
    fall.Step();
    board.reset();
    fall.Step();
    EXPECT_FALSE(fall.IsRunning());
    EXPECT_EQ(fall.Mode(), fw::Timer::ModeOff);
}

}  // namespace
