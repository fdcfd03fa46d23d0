#include <gtest/gtest.h>

#include "framework/guard.h"
#include "helpers.h"
#include "sprites/sprite.h"
#include "sprites/surface.h"

namespace {

const QColor kBack(40, 40, 40), kRed(220, 0, 0), kGreen(0, 200, 0), kBlue(0, 0, 230), kSmudge(255, 0, 255);

struct Fixture : ::testing::Test {
    SMSpriteSurface surface;
    void SetUp() override {
        surface.resize(200, 120);
        surface.SetBackdrop(Solid(200, 120, kBack));
    }
    std::shared_ptr<SMSprite> Add(int x, int y, QColor c, int order, int size = 10) {
        auto s = std::make_shared<SMSprite>();
        s->setImage(Solid(size, size, c));
        s->setX(x);
        s->setY(y);
        s->setOrder(order);
        surface.AddSprite(s);
        return s;
    }
};

TEST(SpriteSetters, MarkOnlyOnChangeOfPositionButAlwaysOnOtherProperties) {
    SMSprite s;
    s.setImage(Solid(5, 5, kRed));
    s.WasReloaded();
    s.setX(0);
    EXPECT_FALSE(s.ShouldReload());
    s.setOrder(0);
    EXPECT_TRUE(s.ShouldReload());
    s.WasReloaded();
    s.setImage(s.image());
    EXPECT_TRUE(s.ShouldReload());
    s.WasReloaded();
    s.setHidded(false);
    EXPECT_TRUE(s.ShouldReload());
}

TEST(SpriteSetters, FirstMoveSetsLastPositionToTheNewValueLaterMovesToThePrevious) {
    SMSprite s;
    int lx = -1, ly = -1;
    s.setX(40);
    s.setY(30);
    s.GetLastPosition(lx, ly);
    EXPECT_EQ(lx, 40);
    EXPECT_EQ(ly, 30);
    s.setX(55);
    s.GetLastPosition(lx, ly);
    EXPECT_EQ(lx, 40);
    s.WasReloaded();
    s.GetLastPosition(lx, ly);
    EXPECT_EQ(lx, 55);
    EXPECT_EQ(ly, 30);
}

TEST(SpriteSetters, RectanglesTouchingOnEdgesOverlap) {
    // Tokens of 70 at 75 and 145 touch; at 75 and 146 they do not.
    SMSprite a, b;
    a.setImage(Solid(70, 70, kRed));
    b.setImage(Solid(70, 70, kRed));
    a.setX(75);
    b.setX(145);
    EXPECT_TRUE(a.IntersectWith(b, false));
    b.setX(146);
    EXPECT_FALSE(a.IntersectWith(b, false));
    EXPECT_FALSE(b.IntersectWith(a, false));
}

TEST_F(Fixture, DrawsByAscendingOrder) {
    auto a = Add(20, 20, kRed, 2);
    auto b = Add(25, 25, kGreen, 1);
    surface.Reload();
    EXPECT_EQ(At(surface, 27, 27), kRed);
    EXPECT_EQ(At(surface, 32, 32), kGreen);
    a->setOrder(0);
    surface.Reload();
    EXPECT_EQ(At(surface, 27, 27), kGreen);
    EXPECT_EQ(At(surface, 22, 22), kRed);
}

// A moves from (20, 20) to (80, 20); B stands where the table says. Edges and corners count.
TEST(SurfaceReload, RedrawsExactlyTheSpritesTouchingTheOldOrNewPlace) {
    struct Case { int bx, by; bool redrawn; const char* what; };
    const Case cases[] = {
        {30, 20, true, "right edge of the old place"},
        {31, 20, false, "one pixel right of the old place"},
        {30, 30, true, "lower right corner of the old place"},
        {31, 31, false, "one pixel off the corner"},
        {10, 10, true, "upper left corner of the old place"},
        {70, 20, true, "left edge of the new place"},
        {69, 40, false, "apart from both"},
        {90, 30, true, "lower right corner of the new place"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SMSpriteSurface surface;
        surface.resize(200, 120);
        surface.SetBackdrop(Solid(200, 120, kBack));
        auto a = std::make_shared<SMSprite>();
        a->setImage(Solid(10, 10, kRed));
        a->setX(20);
        a->setY(20);
        a->setOrder(1);
        auto b = std::make_shared<SMSprite>();
        b->setImage(Solid(10, 10, kBlue));
        b->setX(c.bx);
        b->setY(c.by);
        surface.AddSprite(a);
        surface.AddSprite(b);
        surface.Reload();
        a->setX(80);
        Smudge(surface, c.bx + 5, c.by + 5);
        surface.Reload();
        EXPECT_EQ(At(surface, c.bx + 5, c.by + 5) == kBlue, c.redrawn);
        EXPECT_EQ(surface.LastDrawn(), c.redrawn ? 2 : 1);
        EXPECT_FALSE(b->ShouldReload());
    }
}

TEST_F(Fixture, OldPlaceIsErasedFromTheBackdrop) {
    auto a = Add(20, 20, kRed, 1);
    surface.Reload();
    a->setY(60);
    surface.Reload();
    EXPECT_EQ(At(surface, 25, 25), kBack);
    EXPECT_EQ(At(surface, 25, 65), kRed);
}

TEST_F(Fixture, ChainOfTouchingSpritesRedrawsLowerOrdersFirst) {
    // Only A moves; B touches A's old place, C touches B and overlaps it.
    auto a = Add(20, 20, kRed, 5);
    auto b = Add(30, 20, kGreen, 3);
    auto c = Add(35, 25, kBlue, 4);
    surface.Reload();
    a->setX(150);
    Smudge(surface, 32, 22);
    Smudge(surface, 42, 32);
    Smudge(surface, 37, 27);
    surface.Reload();
    EXPECT_EQ(surface.LastDrawn(), 3);
    EXPECT_EQ(At(surface, 32, 22), kGreen);
    EXPECT_EQ(At(surface, 42, 32), kBlue);
    EXPECT_EQ(At(surface, 37, 27), kBlue);  // C is drawn over B
}

TEST_F(Fixture, HiddenSpriteIsErasedNotDrawnAndUnmarked) {
    auto a = Add(20, 20, kRed, 1);
    surface.Reload();
    a->setHidded(true);
    surface.Reload();
    EXPECT_EQ(At(surface, 25, 25), kBack);
    EXPECT_FALSE(a->ShouldReload());
    EXPECT_EQ(surface.LastDrawn(), 0);
    EXPECT_EQ(surface.LastErased(), 1);
}

TEST_F(Fixture, ReloadWithoutChangeDrawsNothing) {
    Add(20, 20, kRed, 1);
    surface.Reload();
    Smudge(surface, 25, 25);
    surface.Reload();
    EXPECT_EQ(At(surface, 25, 25), kSmudge);
    EXPECT_EQ(surface.LastDrawn(), 0);
}

TEST_F(Fixture, NewBackdropRedrawsEverySpriteOverIt) {
    Add(20, 20, kRed, 1);
    Add(100, 50, kGreen, 2);
    surface.Reload();
    Smudge(surface, 0, 0, 200, 120);
    surface.SetBackdrop(Solid(200, 120, kBlue));
    EXPECT_EQ(At(surface, 25, 25), kRed);
    EXPECT_EQ(At(surface, 105, 55), kGreen);
    EXPECT_EQ(At(surface, 150, 100), kBlue);
}

TEST_F(Fixture, PaintingOnlyCopiesTheBackingImage) {
    auto a = Add(20, 20, kRed, 1);
    surface.Reload();
    a->setX(60);
    surface.grab();  // runs a paint event
    EXPECT_TRUE(a->ShouldReload());
    EXPECT_EQ(At(surface, 25, 25), kRed);
}

TEST_F(Fixture, RemoveHiddenSpriteAndNilSprites) {
    auto a = Add(20, 20, kRed, 1);
    auto b = Add(60, 20, kRed, 2);
    surface.AddSprite(nullptr);
    EXPECT_EQ(surface.Sprites().size(), 2u);
    surface.RemoveHiddenSprite();
    EXPECT_EQ(surface.Sprites().size(), 2u);
    b->setHidded(true);
    surface.RemoveHiddenSprite();
    ASSERT_EQ(surface.Sprites().size(), 1u);
    EXPECT_EQ(surface.Sprites()[0], a);
    a->setHidded(true);
    surface.RemoveHiddenSprite();
    EXPECT_TRUE(surface.Sprites().empty());
}

TEST(SurfaceWithoutBackdrop, ReloadDrawsNothingAndKeepsTheMarks) {
    SMSpriteSurface surface;
    surface.resize(50, 50);
    auto s = std::make_shared<SMSprite>();
    s->setImage(Solid(10, 10, kRed));
    s->setX(5);
    surface.AddSprite(s);
    surface.Reload();
    EXPECT_TRUE(s->ShouldReload());
    EXPECT_EQ(surface.BackingImage().pixelColor(7, 3).alpha(), 0);
    surface.SetBackdrop(Solid(50, 50, kBack));
    EXPECT_EQ(At(surface, 7, 3), kRed);
}

TEST_F(Fixture, SpriteWithoutImageIsSkipped) {
    auto s = std::make_shared<SMSprite>();
    s->setX(10);
    surface.AddSprite(s);
    Add(20, 20, kRed, 1);
    surface.Reload();
    EXPECT_EQ(surface.LastDrawn(), 1);
    EXPECT_FALSE(s->ShouldReload());
}

TEST(Pictures, MaskBlendsAndTheComposedFormIsCached) {
    fw::Picture target(4, 1);
    target.Graphics().ForeColor = QColor(0, 0, 0);
    target.Graphics().FillRect(0, 0, 4, 1);
    auto p = Solid(4, 1, QColor(200, 100, 0));
    EXPECT_FALSE(p->HasMask());
    fw::Picture& m = p->Mask();  // a new mask is black: still opaque
    m.Graphics().SetPixel(1, 0, QColor(255, 255, 255));
    m.Graphics().SetPixel(2, 0, QColor(128, 128, 128));
    target.Graphics().DrawPicture(*p, 0, 0);
    EXPECT_EQ(At(target, 0, 0), QColor(200, 100, 0));
    EXPECT_EQ(At(target, 1, 0), QColor(0, 0, 0));
    EXPECT_TRUE(Near(At(target, 2, 0), QColor(100, 50, 0)));
    EXPECT_EQ(At(target, 3, 0), QColor(200, 100, 0));

    const auto builds = p->ComposeCount();
    target.Graphics().DrawPicture(*p, 0, 0);
    target.Graphics().DrawPicture(*p, 0, 0);
    EXPECT_EQ(p->ComposeCount(), builds);
    m.Graphics().SetPixel(0, 0, QColor(255, 255, 255));
    target.Graphics().DrawPicture(*p, 0, 0);
    EXPECT_EQ(p->ComposeCount(), builds + 1);
    p->Graphics().SetPixel(3, 0, QColor(1, 2, 3));
    target.Graphics().DrawPicture(*p, 0, 0);
    EXPECT_EQ(p->ComposeCount(), builds + 2);
}

TEST(Pictures, NewPictureIsWhiteAndBadSizesAreRefused) {
    fw::Picture p(3, 2);
    EXPECT_EQ(At(p, 2, 1), QColor(255, 255, 255));
    EXPECT_EQ(p.Depth(), 32);
    EXPECT_EQ(fw::Picture::New(0, 5), nullptr);
    EXPECT_EQ(fw::Picture::New(5, -1), nullptr);
    EXPECT_THROW(p.Graphics().DrawPicture(std::shared_ptr<fw::Picture>(), 0, 0), fw::NilObjectException);
}

}  // namespace
