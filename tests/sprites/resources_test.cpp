#include <gtest/gtest.h>

#include <QFile>

#include "helpers.h"
#include "sprites/resources.h"

namespace {

int Luma(const QColor& c) { return qGray(c.rgb()); }

TEST(Resources, ElevenPicturesWithTheirSizes) {
    struct Case { std::shared_ptr<fw::Picture> (*get)(); int w, h; const char* name; };
    const Case cases[] = {
        {masque, 70, 70, "masque"}, {jaune, 70, 70, "jaune"}, {bleu, 70, 70, "bleu"},
        {jauneSelect, 70, 70, "jauneSelect"}, {bleuSelect, 70, 70, "bleuSelect"},
        {jaunePush, 70, 70, "jaunePush"}, {bleuPush, 70, 70, "bleuPush"},
        {BackCredit, 300, 100, "BackCredit"}, {FrontCredit, 300, 100, "FrontCredit"},
        {MasqueCredit, 300, 100, "MasqueCredit"}, {plateau, 640, 420, "plateau"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto p = c.get();
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->Width(), c.w);
        EXPECT_EQ(p->Height(), c.h);
    }
}

TEST(Resources, TokensReadAsTheirColoursAndPushLooksAreDimmer) {
    const QColor y = At(*jaune(), 35, 35), b = At(*bleu(), 35, 35);
    EXPECT_GT(y.red(), 180);
    EXPECT_GT(y.green(), 140);
    EXPECT_LT(y.blue(), 100);
    EXPECT_GT(b.blue(), 160);
    EXPECT_LT(b.red(), 100);
    EXPECT_LT(Luma(At(*jaunePush(), 35, 35)), Luma(y) - 40);
    EXPECT_LT(Luma(At(*bleuPush(), 35, 35)), Luma(b) - 20);
    // The mask: an opaque disc, transparent corners.
    EXPECT_EQ(At(*masque(), 35, 35), QColor(0, 0, 0));
    EXPECT_EQ(At(*masque(), 1, 1), QColor(255, 255, 255));
    // The selection mark lies inside the disc: the looks differ there.
    bool differs = false;
    for (int x = 20; x < 50; ++x) differs |= At(*jauneSelect(), x, 35) != At(*jaune(), x, 35);
    EXPECT_TRUE(differs);
}

TEST(Resources, BoardHolesLieWhereTokensLand) {
    auto board = plateau();
    for (int c = 0; c < 7; ++c)
        for (int n = 0; n < 6; ++n) {
            const int cx = 75 + 70 * c + 35, cy = 350 - 70 * n + 35;
            // Between two holes of a row the frame is lighter than the hole's middle.
            EXPECT_LT(Luma(At(*board, cx, cy)), Luma(At(*board, cx + 35, cy)) - 10) << c << "," << n;
        }
    // Light in the middle, under the end-of-game panel.
    EXPECT_GT(Luma(At(*board, 320 + 35, 210)), 170);
}

TEST(Resources, SoundsExistAndTheAmbientLoopLastsAtLeastTwentySeconds) {
    for (auto get : {place_pion, ambiance, loser, winner, message}) EXPECT_NE(get(), nullptr);
    QFile f(":/snd/169.wav");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray head = f.read(44);
    const auto u32 = [&](int at) {
        return quint32(quint8(head[at])) | quint32(quint8(head[at + 1])) << 8 | quint32(quint8(head[at + 2])) << 16 |
               quint32(quint8(head[at + 3])) << 24;
    };
    const double seconds = double(u32(40)) / u32(28);  // data bytes / bytes per second
    EXPECT_GE(seconds, 20.0);
}

TEST(Resources, PlayingAndStoppingNeverBlocks) {
    ambiance()->PlayLooping();
    EXPECT_TRUE(ambiance()->IsLooping());  // the object the next caller stops
    ambiance()->Stop();
    EXPECT_FALSE(ambiance()->IsLooping());
    place_pion()->Play();
    place_pion()->Stop();
    fw::Beep();
}

TEST(Resources, CachedUntilReleased) {
    auto first = jaune();
    EXPECT_EQ(jaune(), first);
    auto sound = winner();
    EXPECT_EQ(winner(), sound);
    ReleaseResources();
    EXPECT_NE(jaune(), first);  // first is still held, so a new object has another address
    EXPECT_NE(winner(), sound);
}

TEST(Resources, MissingResourceIsAskedForAgainAtEveryUse) {
    CachedResource<fw::Picture> missing([] { return FetchPicture(4242); });
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_EQ(missing.Fetches(), 2);
    EXPECT_EQ(FetchSound(4242), nullptr);

    CachedResource<fw::Picture> present([] { return FetchPicture(168); });
    EXPECT_NE(present.Get(), nullptr);
    present.Get();
    EXPECT_EQ(present.Fetches(), 1);
}

}  // namespace
