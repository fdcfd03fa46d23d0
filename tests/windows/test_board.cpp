// The board canvas in its game window, without a peer: refusals and their remarks, flights
// home, a new game during a fall, the hidden word, the Audio items and the window's close.
#include "framework/sound.h"
#include "framework/window.h"
#include "game/ia.h"
#include "net/serveur.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "sprites/endshow.h"
#include "sprites/kxmap.h"
#include "sprites/resources.h"
#include "windows/game.h"
#include "windows/outil_mac.h"
#include "windows/outilcontain.h"

#include "app_fixture.h"
#include "fake_bonjour.h"
#include "qstring_print.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPaintEvent>
#include <QPushButton>
#include <QRegion>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <vector>

namespace {

class BoardTest : public AppFixture {
protected:
    UseFakeBonjour fakeBonjour;
    void SetUp() override {
        StartApp();
        Preferences& p = store();
        p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        p.SetItem(QStringLiteral("sndBruitage"), fw::Variant(true));
        p.SetItem(QStringLiteral("sndEndgame"), fw::Variant(true));
        p.SetItem(QStringLiteral("clickForJeton"), fw::Variant(false));
        p.SetItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(3)));
        twin().server = true;
        twin().connectServ->NewTrame = [this](std::int32_t, std::int32_t, const QString& d, const QString& x) {
            if (d == QLatin1String(">")) sent.push_back(x);
        };
    }
    void launch(const char* mode) { game().Launch(QString::fromLatin1(mode), -1); }
    KxMap& k() { return *game().KxGrid; }
    QString remark() { return game().moutil()->findChild<QLabel*>(QStringLiteral("StaticText7"))->text(); }
    bool settle() {
        return QTest::qWaitFor([&] { return !k().animTomberInst->IsRunning() && !k().animReturnInst->IsRunning(); }, kEventuallyMs);
    }
    void press(QPoint p) { QTest::mousePress(&k(), Qt::LeftButton, {}, p); }
    void dropAt(QPoint to) {
        std::shared_ptr<Jeton> t = k().ListSelf->GetActJeton();
        const QPoint from(t->x() + 35, t->y() + 35);
        QTest::mousePress(&k(), Qt::LeftButton, {}, from);
        QTest::mouseMove(&k(), to);
        QTest::mouseRelease(&k(), Qt::LeftButton, {}, to);
    }
    // One local move into col, then the opponent's answer into reply; both allowed to land.
    void exchange(int col, int reply) {
        dropAt(QPoint(75 + 70 * col + 35, 40));
        ASSERT_TRUE(settle());
        ASSERT_TRUE(k().AcceptsOpponentMove(reply, 1));
        k().PlaceJeton(reply, 2, 0, 1);
        ASSERT_TRUE(settle());
    }
    std::vector<QString> sent;
};

TEST_F(BoardTest, PressesThatAreRefusedSayWhy) {
    launch("client");
    press(QPoint(600, 400));
    EXPECT_EQ(remark(), QStringLiteral("Ce n'est pas à vous de jouer"));

    launch("serveur");
    std::shared_ptr<Jeton> lit = k().ListSelf->GetActJeton();
    press(QPoint(lit->x(), lit->y() + 35));  // on the left edge: a miss
    EXPECT_EQ(remark(), QStringLiteral("Vous devez cliquer sur le pion clair"));
    press(QPoint(300, 200));
    EXPECT_EQ(remark(), QStringLiteral("Vous devez cliquer sur le pion clair"));
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(), [](const QString& m) { return m.startsWith(QLatin1String("IPLA")); }));
}

TEST_F(BoardTest, ReleasesOffTheBoardFlyHomeAndTheEdgesCount) {
    launch("serveur");
    std::shared_ptr<Jeton> t = k().ListSelf->GetActJeton();
    const QPoint home(t->x(), t->y());
    dropAt(QPoint(74, 200));
    EXPECT_TRUE(k().animReturnInst->IsRunning());
    ASSERT_TRUE(settle());
    EXPECT_EQ(QPoint(t->x(), t->y()), home);
    EXPECT_TRUE(k().GameMain);
    EXPECT_EQ(k().statCountCoup, 0);

    dropAt(QPoint(75, 200));
    ASSERT_TRUE(settle());
    EXPECT_EQ(k().gameMap.CountJeton(0), 1);
    EXPECT_EQ(sent.back(), QStringLiteral("IPLA0#-1"));
    EXPECT_FALSE(k().GameMain);
}

TEST_F(BoardTest, AFullColumnSendsTheTokenBackAndKeepsTheTurn) {
    launch("serveur");
    for (int i = 0; i < 3; ++i) exchange(2, 2);
    ASSERT_TRUE(k().gameMap.IsFullColumn(2));
    const int moves = k().statCountCoup;
    const std::size_t out = sent.size();
    EXPECT_FALSE(k().AcceptsOpponentMove(2, 1));
    dropAt(QPoint(75 + 70 * 2 + 35, 40));
    EXPECT_TRUE(k().animReturnInst->IsRunning());
    ASSERT_TRUE(settle());
    EXPECT_EQ(k().statCountCoup, moves);
    EXPECT_TRUE(k().GameMain);
    EXPECT_EQ(sent.size(), out);
}

TEST_F(BoardTest, AFourInARowEndsTheGameAndLaterPressesSaySo) {
    launch("serveur");
    for (int i = 0; i < 3; ++i) exchange(0, 6);
    const int plays = place_pion()->PlayCount();
    dropAt(QPoint(75 + 35, 40));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(k().EndedGame);
    EXPECT_EQ(sent.back(), QStringLiteral("IPLA0#-1"));  // the winning move goes out too
    EXPECT_EQ(place_pion()->PlayCount(), plays + 1);
    EXPECT_TRUE(k().animWinnerInst->IsRunning());
    EXPECT_TRUE(game().moutil()->IsRecordScoreMode());  // an empty table takes any winning score
    EXPECT_FALSE(k().AcceptsOpponentMove(1, 1));
    press(QPoint(600, 400));
    EXPECT_EQ(remark(), QStringLiteral("La partie est finie"));
}

TEST_F(BoardTest, APressDuringTheLastFallOfADrawnGameSaysMatchNul) {
    // 42 moves, the host's first, that fill the board without a four in a row.
    const int moves[42] = {0, 3, 0, 6, 1, 3, 0, 5, 4, 1, 1, 1, 1, 2, 4, 3, 5, 2, 3, 3, 1,
                           0, 0, 5, 3, 0, 2, 6, 6, 2, 2, 6, 6, 4, 6, 2, 4, 4, 5, 5, 4, 5};
    launch("serveur");
    // During a fall, a press that would start a move is ignored, without a remark.
    store().SetItem(QStringLiteral("clickForJeton"), fw::Variant(true));
    QTest::mouseClick(&k(), Qt::LeftButton, {}, QPoint(75 + 70 * moves[0] + 35, 40));
    ASSERT_TRUE(k().animTomberInst->IsRunning());
    press(QPoint(75 + 70 * 5 + 35, 40));
    EXPECT_EQ(k().gameMap.CountJeton(5), 0);
    EXPECT_EQ(remark(), QStringLiteral("Aucune"));
    ASSERT_TRUE(settle());
    store().SetItem(QStringLiteral("clickForJeton"), fw::Variant(false));
    k().PlaceJeton(moves[1], 2, 0, 1);
    ASSERT_TRUE(settle());

    for (int i = 2; i < 40; i += 2) exchange(moves[i], moves[i + 1]);
    dropAt(QPoint(75 + 70 * moves[40] + 35, 40));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(k().AcceptsOpponentMove(moves[41], 1));
    k().PlaceJeton(moves[41], 2, 0, 1);
    ASSERT_TRUE(k().animTomberInst->IsRunning());
    press(QPoint(600, 400));
    EXPECT_EQ(remark(), QStringLiteral("Match nul"));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(k().EndedGame);
    EXPECT_EQ(remark(), QStringLiteral("La partie est finie, car le plateau est plein"));
    EXPECT_FALSE(k().animWinnerInst->IsRunning());
    press(QPoint(600, 400));
    EXPECT_EQ(remark(), QStringLiteral("La partie est finie"));
}

// Records the region of every paint the board receives.
struct PaintWatch : QObject {
    QRegion painted;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(e)->region();
        return false;
    }
};

TEST_F(BoardTest, TheWinningLinePulsesByRepaintingItsOwnTokensOnly) {
    launch("serveur");
    game().Show();
    for (int i = 0; i < 3; ++i) exchange(0, 6);
    dropAt(QPoint(75 + 35, 40));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(k().animWinnerInst->IsRunning());
    // The end-of-game show slides in first; what follows is the pulse alone.
    ASSERT_TRUE(QTest::qWaitFor([] { return !game().endGame->Animator() || game().endGame->Animator()->Mode() == fw::Timer::ModeOff; }, kEventuallyMs));
    // The hub's splash over the board goes too, so nothing but the pulse paints the board.
    twin().SetVisible(false);
    QTest::qWait(50);
    // The board covers what lies beneath it, so nothing under it is painted again.
    EXPECT_TRUE(k().testAttribute(Qt::WA_OpaquePaintEvent));

    QRegion line;
    for (int n = 0; n < 4; ++n) line += QRect(75, 350 - 70 * n, 70, 70);
    PaintWatch watch;
    k().installEventFilter(&watch);
    // A good part of a pulse: the tokens take several of their sizes.
    std::set<int> sizes;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        sizes.insert(int(std::lround(k().animWinnerInst->Inset())));
        return sizes.size() >= 5;
    }, kEventuallyMs));
    k().removeEventFilter(&watch);
    EXPECT_FALSE(watch.painted.isEmpty());
    EXPECT_TRUE((watch.painted - line).isEmpty()) << "painted beyond the line, in a box of "
                                                 << (watch.painted - line).boundingRect().width() << " x "
                                                 << (watch.painted - line).boundingRect().height();
}

TEST_F(BoardTest, AWinTooLowForTheTopTenIsToldInTheChat) {
    for (int r = 0; r < 10; ++r) {
        store().SetItem(QStringLiteral("name_%1").arg(r), fw::Variant(QStringLiteral("As")));
        store().SetItem(QStringLiteral("score_%1").arg(r), fw::Variant(std::int32_t(1000000)));
    }
    launch("serveur");
    for (int i = 0; i < 3; ++i) exchange(0, 6);
    dropAt(QPoint(75 + 35, 40));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(k().EndedGame);
    OutilContain& panel = *game().moutil();
    EXPECT_FALSE(panel.IsRecordScoreMode());
    EXPECT_TRUE(panel.ChatLog().startsWith(QStringLiteral("<Quorril>Bravo, vous avez gagné avec un score de ")));
    EXPECT_TRUE(panel.ChatLog().endsWith(QStringLiteral(". Mais ça n'est pas sufisant pour entrer dans le Top 10 !") + QChar(13)));
}

TEST_F(BoardTest, ALostGameShowsTheScoreAndLeavesTheDrawerAlone) {
    launch("serveur");
    exchange(1, 5);
    exchange(2, 5);
    exchange(1, 5);
    dropAt(QPoint(75 + 70 * 2 + 35, 40));
    ASSERT_TRUE(settle());
    k().PlaceJeton(5, 2, 0, 1);  // the fourth in column 5
    ASSERT_TRUE(settle());
    ASSERT_TRUE(k().EndedGame);
    EXPECT_TRUE(game().endGame);
    EXPECT_FALSE(game().moutil()->IsRecordScoreMode());
    EXPECT_TRUE(game().moutil()->ChatLog().isEmpty());
    EXPECT_EQ(game().moutil()->findChild<QLabel*>(QStringLiteral("StaticText3"))->text(),
              QStringLiteral("Votre adversaire gagne la partie"));
}

TEST_F(BoardTest, ASecondLaunchRestartsInPlaceAndKeepsTheDrawer) {
    launch("serveur");
    game().SetLeft(300);
    game().SetTop(200);
    QPointer<wnd::Outil_Mac> drawer = game().o_mac;
    game().Launch(QStringLiteral("client"), 1);
    EXPECT_EQ(QPoint(game().Left(), game().Top()), QPoint(3, 45));
    EXPECT_EQ(game().o_mac, drawer);
    EXPECT_EQ(game().moutil()->findChild<QLabel*>(QStringLiteral("StaticText1"))->text(), QStringLiteral("Vous êtes client"));
    // The new-game button keeps the visibility of the first game.
    EXPECT_FALSE(game().moutil()->findChild<QPushButton*>(QStringLiteral("PushButton1"))->isHidden());
    EXPECT_EQ(k().CouleurSelf, 1);
    EXPECT_FALSE(k().GameMain);
}

TEST_F(BoardTest, ReceivedMovesAreCheckedBeforeTheyArePlayed) {
    launch("serveur");
    EXPECT_FALSE(k().AcceptsOpponentMove(3, 1));  // not the opponent's turn yet
    dropAt(QPoint(75 + 70 * 3 + 35, 40));
    ASSERT_TRUE(settle());
    struct Case {
        int col, colour;
        bool ok;
    } cases[] = {{3, 1, true}, {3, -1, false}, {-1, 1, false}, {7, 1, false}, {0, 0, false}};
    for (const Case& c : cases) EXPECT_EQ(k().AcceptsOpponentMove(c.col, c.colour), c.ok) << c.col << " " << c.colour;
}

TEST_F(BoardTest, ANewGameDuringAFallDropsTheOldMove) {
    launch("serveur");
    const std::size_t out = sent.size();
    dropAt(QPoint(75 + 70 * 4 + 35, 40));
    ASSERT_TRUE(k().animTomberInst->IsRunning());
    k().NewGame(game().type);
    EXPECT_FALSE(k().animTomberInst->IsRunning());
    QTest::qWait(200);
    EXPECT_EQ(sent.size(), out);
    EXPECT_EQ(k().gameMap.CountJeton(4), 0);
    EXPECT_TRUE(k().GameMain);
    EXPECT_EQ(k().statCountCoup, 0);
}

TEST_F(BoardTest, ADragBegunBeforeANewGameDoesNotPlayIntoIt) {
    launch("serveur");
    std::shared_ptr<Jeton> t = k().ListSelf->GetActJeton();
    QTest::mousePress(&k(), Qt::LeftButton, {}, QPoint(t->x() + 35, t->y() + 35));
    k().NewGame(game().type);
    const QPoint over(75 + 70 * 3 + 35, 40);
    QTest::mouseMove(&k(), over);
    QTest::mouseRelease(&k(), Qt::LeftButton, {}, over);
    ASSERT_TRUE(settle());
    EXPECT_EQ(k().gameMap.CountJeton(3), 0);
    EXPECT_TRUE(k().GameMain);
    EXPECT_TRUE(std::none_of(sent.begin(), sent.end(), [](const QString& m) { return m.startsWith(QLatin1String("IPLA")); }));
}

TEST_F(BoardTest, TheHiddenWordShowsTheComputerPlayersWindow) {
    launch("serveur");
    ia().SetVisible(false);
    QTest::keyClicks(&game(), QStringLiteral("xqwelt"));
    EXPECT_FALSE(ia().isVisible());
    QTest::keyClicks(&game(), QStringLiteral("@qwelt"));
    EXPECT_TRUE(ia().isVisible());
    ia().SetVisible(false);
    QTest::keyClicks(&game(), QStringLiteral("qwelt"));
    EXPECT_FALSE(ia().isVisible());
    // However much is typed, what is kept stays a word long, and the word still works after "@".
    QTest::keyClicks(&game(), QString(5000, QLatin1Char('q')));
    EXPECT_LE(game().keys.size(), 6u);
    QTest::keyClicks(&game(), QStringLiteral("@qwelt"));
    EXPECT_TRUE(ia().isVisible());
}

TEST_F(BoardTest, AudioItemsFlipTheirPreferenceAndMarkWhileTheGameIsInFront) {
    launch("serveur");
    game().Show();
    struct Item {
        const char* name;
        const char* key;
    } items[] = {{"AudioBruitage", "sndBruitage"}, {"AudioMusiqueambiante", "sndAmbiance"}, {"AudioSonfindepartie", "sndEndgame"}};
    for (const Item& it : items) {
        const QString name = QString::fromLatin1(it.name), key = QString::fromLatin1(it.key);
        for (int round = 0; round < 2; ++round) {
            const bool before = app->prefs->GetBooleanItem(key);
            EXPECT_FALSE(shell::TheMenu().Choose(name));
            EXPECT_EQ(app->prefs->GetBooleanItem(key), !before) << it.name;
            EXPECT_EQ(shell::TheMenu().Lookup(name)->Checked(), !before) << it.name;
            if (key == QLatin1String("sndAmbiance")) {
                EXPECT_EQ(ambiance()->IsLooping(), !before);
            }
        }
    }
}

TEST_F(BoardTest, ClosingTheGameStopsMusicRelayAndPublication) {
    app->prefs->SetItem(QStringLiteral("sndAmbiance"), fw::Variant(true));
    twin().LaunchServer(-1);
    launch("serveur");
    ASSERT_TRUE(ambiance()->IsLooping());
    ASSERT_TRUE(FakeBonjour::Of(twin().Bonjour1)->published);
    QPointer<wnd::Outil_Mac> drawer = game().o_mac;
    shell::TheMenu().UpdateEnabled();
    EXPECT_FALSE(JeuNewGame().Enabled());
    game().Close();
    EXPECT_FALSE(app->isOpenedGame);
    EXPECT_FALSE(ambiance()->IsLooping());
    EXPECT_FALSE(FakeBonjour::Of(twin().Bonjour1)->published);
    EXPECT_TRUE(twin().connectServ->Sockets().empty());
    EXPECT_TRUE(!drawer || drawer->IsClosed() || !drawer->isVisible());
    EXPECT_FALSE(fw::Exists<wnd::game>());
}

}  // namespace
