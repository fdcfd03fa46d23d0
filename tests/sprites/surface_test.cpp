#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

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

// A (order 1) moves from (20, 20) to (80, 20); B (order 2) stands where the table says. Only
// A's two places are painted again: B there, and nowhere else (a smudge on B elsewhere stays).
TEST(SurfaceReload, RepaintsOnlyThePlacesAChangedSpriteLeftAndTakes) {
    // far: a pixel of B outside both places; over: one inside a place (when B reaches one).
    struct Case { int bx, by; bool drawn; int farX, farY, overX, overY; const char* what; };
    const Case cases[] = {
        {25, 25, true, 33, 33, 27, 27, "over the old place"},
        {85, 15, true, 93, 16, 86, 21, "over the new place"},
        {30, 20, false, 30, 20, 0, 0, "sharing the old place's edge"},
        {30, 30, false, 30, 30, 0, 0, "sharing its corner"},
        {70, 20, false, 79, 29, 0, 0, "sharing the new place's edge"},
        {50, 50, false, 55, 55, 0, 0, "apart from both"},
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
        b->setOrder(2);
        surface.AddSprite(a);
        surface.AddSprite(b);
        surface.Reload();
        a->setX(80);
        Smudge(surface, c.farX, c.farY);
        if (c.drawn) Smudge(surface, c.overX, c.overY);
        surface.Reload();
        EXPECT_EQ(surface.LastDrawn(), c.drawn ? 2 : 1);
        EXPECT_EQ(surface.LastErased(), 1);
        EXPECT_EQ(At(surface, c.farX, c.farY), kSmudge);
        EXPECT_EQ(At(surface, 21, 21), kBack);
        EXPECT_EQ(At(surface, 81, 21), kRed);
        if (c.drawn) {
            // Where B lies over a repainted place it is drawn again, above A's new place.
            EXPECT_EQ(At(surface, c.overX, c.overY), kBlue);
        }
        EXPECT_FALSE(b->ShouldReload());
    }
}

// A picture with a translucent mask, so blending is seen.
std::shared_ptr<fw::Picture> Translucent(int w, int h, QColor c) {
    auto p = Solid(w, h, c);
    p->Mask().Graphics().ForeColor = QColor(110, 110, 110);
    p->Mask().Graphics().FillRect(0, 0, w, h / 2);
    return p;
}

// The picture a full redraw would give: the backdrop, then every shown sprite by order.
QImage FullRedraw(SMSpriteSurface& surface) {
    QImage out(surface.BackingImage().size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    fw::Graphics g(&out);
    g.DrawPicture(*surface.Back(), 0, 0);
    std::vector<SMSprite*> shown;
    for (const auto& s : surface.Sprites())
        if (!s->hidded()) shown.push_back(s.get());
    std::stable_sort(shown.begin(), shown.end(), [](SMSprite* a, SMSprite* b) { return a->order() < b->order(); });
    for (SMSprite* s : shown) g.DrawPicture(*s->image(), s->x(), s->y());
    return out;
}

TEST_F(Fixture, EveryReloadLeavesWhatAFullRedrawWouldDrawingOnlyWhatChanged) {
    std::mt19937 rng(7);
    std::vector<std::shared_ptr<SMSprite>> all;
    const QColor colours[] = {kRed, kGreen, kBlue};
    for (int i = 0; i < 12; ++i) {
        auto s = Add(int(rng() % 180), int(rng() % 100), colours[i % 3], i, 10 + int(rng() % 15));
        if (i % 2) s->setImage(Translucent(s->width(), s->height(), colours[(i + 1) % 3]));
        all.push_back(s);
    }
    surface.Reload();
    for (int round = 0; round < 300; ++round) {
        SCOPED_TRACE(round);
        SMSprite& s = *all[rng() % all.size()];
        switch (rng() % 4) {
        case 0: s.setX(int(rng() % 190) - 5); break;
        case 1: s.setY(int(rng() % 110) - 5); break;
        case 2: s.setHidded(!s.hidded()); break;
        default: s.setOrder(int(rng() % 20)); break;
        }
        surface.Reload();
        EXPECT_LE(surface.LastErased(), 1);
        ASSERT_EQ(surface.BackingImage(), FullRedraw(surface));
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

TEST_F(Fixture, OverlappingSpritesAreDrawnAgainInTheirOrderWhereTheChangeIs) {
    // Only A moves; B and C overlap A's old place, C above B.
    auto a = Add(20, 20, kRed, 5);
    auto b = Add(25, 20, kGreen, 3);
    auto c = Add(27, 25, kBlue, 4);
    surface.Reload();
    a->setX(150);
    surface.Reload();
    EXPECT_EQ(surface.LastDrawn(), 3);
    EXPECT_EQ(At(surface, 26, 21), kGreen);
    EXPECT_EQ(At(surface, 28, 26), kBlue);  // C is drawn over B
    EXPECT_EQ(At(surface, 21, 21), kBack);
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
