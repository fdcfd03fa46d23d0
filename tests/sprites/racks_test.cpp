#include <gtest/gtest.h>

#include "helpers.h"
#include "sprites/jetonlist.h"
#include "sprites/resources.h"

namespace {

bool Lit(const Jeton& t, int colour) {
    return At(*t.image(), 35, 35) == At(*(colour < 0 ? jaune() : bleu()), 35, 35);
}

TEST(Racks, LayoutBySide) {
    struct Case { const char* side; int x, offset; };
    for (const Case& c : {Case{"left", 7, 0}, Case{"right", 563, 1}, Case{"middle", 0, 0}}) {
        SCOPED_TRACE(c.side);
        JetonList rack(1, true, c.side);
        EXPECT_EQ(rack.GetMaxID(), 20);
        for (int i = 0; i <= 20; ++i) {
            auto t = rack.GetJeton(i);
            ASSERT_NE(t, nullptr);
            EXPECT_EQ(t->x(), c.x);
            EXPECT_EQ(t->y(), 10 + 16 * i);
            EXPECT_EQ(t->order(), 2 * i + c.offset);
        }
    }
}

TEST(Racks, OnlyTheNextTokenOfTheSideToMoveIsLit) {
    JetonList lit(-1, true, "right"), dim(-1, false, "left");
    for (int i = 0; i <= 20; ++i) {
        EXPECT_EQ(Lit(*lit.GetJeton(i), -1), i == 20) << i;
        EXPECT_FALSE(Lit(*dim.GetJeton(i), -1)) << i;
        EXPECT_EQ(At(*dim.GetJeton(i)->image(), 35, 35), At(*jaunePush(), 35, 35));
    }
    dim.LightJeton();
    EXPECT_TRUE(Lit(*dim.GetJeton(20), -1));
}

TEST(Racks, HandsOutFromTheBottomUntilEmpty) {
    JetonList rack(1, true, "right");
    auto last = rack.GetJeton(20);
    EXPECT_EQ(rack.GetActJeton(), last);
    EXPECT_EQ(rack.GiveJeton(), last);
    EXPECT_EQ(rack.GetActJeton(), rack.GetJeton(19));
    rack.LightJeton();
    EXPECT_TRUE(Lit(*rack.GetJeton(19), 1));
    for (int i = 19; i >= 0; --i) EXPECT_EQ(rack.GiveJeton(), rack.GetJeton(i));
    EXPECT_EQ(rack.GiveJeton(), nullptr);
    EXPECT_EQ(rack.GetActJeton(), nullptr);
    rack.LightJeton();  // nothing left to light
    EXPECT_EQ(rack.GetJeton(20), last);
    EXPECT_EQ(rack.GetJeton(21), nullptr);
    EXPECT_EQ(rack.GetJeton(-1), nullptr);
}

TEST(Racks, PictureOfNoColourIsBlankWithTheTokenMask) {
    auto p = GetPictWithGamer(0, "clair");
    ASSERT_EQ(p->Width(), 70);
    EXPECT_EQ(At(*p, 35, 35), QColor(255, 255, 255));
    ASSERT_TRUE(p->HasMask());
    EXPECT_EQ(p->Mask().Pixel(35, 35), masque()->Pixel(35, 35));
    EXPECT_EQ(p->Mask().Pixel(1, 1), masque()->Pixel(1, 1));
    EXPECT_NE(GetPictWithGamer(1, "clair"), GetPictWithGamer(1, "clair"));
}

TEST(Racks, BothRacksOnTheBoardShowTheLitTokenWhole) {
    SMSpriteSurface board;
    board.resize(640, 420);
    JetonList adv(-1, false, "left"), self(1, true, "right");
    adv.GlueOnMap(board);
    self.GlueOnMap(board);
    EXPECT_EQ(board.Sprites().size(), 42u);
    board.SetBackdrop(plateau());
    EXPECT_EQ(At(board, 563 + 35, 330 + 35), At(*bleu(), 35, 35));
    EXPECT_EQ(At(board, 7 + 35, 330 + 35), At(*jaunePush(), 35, 35));
    EXPECT_EQ(At(board, 563 + 35, 10 + 8), At(*bleuPush(), 35, 8));
    // Outside the disc the board shows through.
    EXPECT_EQ(At(board, 563, 400), At(*plateau(), 563, 400));
}

}  // namespace
