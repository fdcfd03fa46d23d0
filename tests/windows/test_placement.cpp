// Where windows come up on a desktop with a real window manager (openbox on a private 1280 x 1024
// display, real pointer events): beside the game window and its drawer, never over them; the
// frame's area scrolls to what a smaller frame cuts off; the start-up splash is seen above the
// game window without taking the keyboard from it.
#include "framework/application.h"
#include "framework/timer.h"
#include "framework/window.h"
#include "game/ia.h"
#include "info/about.h"
#include "info/help.h"
#include "net/showcolor.h"
#include "net/twin.h"
#include "net/winip.h"
#include "shell/app.h"
#include "shell/pref.h"
#include "shell/preferences.h"
#include "shell/scores.h"
#include "windows/game.h"
#include "windows/outil_mac.h"
#include "windows/outilcontain.h"

#include "app_fixture.h"
#include "desktop_input.h"
#include "eventually.h"
#include "prefs_file.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScrollBar>
#include <QScreen>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kWait = kEventuallyMs;

std::string text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" + std::to_string(r.height());
}

class PlacementTest : public AppFixture {
protected:
    void SetUp() override { StartQuietApp(); }
    fw::Frame& frame() { return app->FrameWindow(); }
    QWidget* viewport() { return frame().Area().viewport(); }

    // The maximised frame on the large screen, as the window manager has settled it.
    void maximised() {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_EQ(QGuiApplication::primaryScreen()->size(), QSize(1280, 1024));
        frame().Maximize();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame(), kEventuallyMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame().isMaximized() && viewport()->height() > 900; }, kWait));
    }
    // A game on screen with its drawer open, as the hub starts one.
    wnd::Outil_Mac& gameOnScreen(const char* mode) {
        game().Launch(QString::fromLatin1(mode), -1);
        wnd::Outil_Mac& drawer = *game().o_mac;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !drawer.IsClosed() && drawer.isVisible(); }, kWait));
        return drawer;
    }
    void choose(const QString& title, const QString& item) { ::choose(frame(), title, item); }
    // The window covers neither the game window nor its drawer, and lies whole in the area.
    void besideTheGame(fw::Window& w, wnd::Outil_Mac& drawer) {
        const QRect at = w.FrameGeometry();
        EXPECT_FALSE(at.intersects(game().FrameGeometry())) << text(at) << " over the game at " << text(game().FrameGeometry());
        EXPECT_FALSE(at.intersects(drawer.FrameGeometry())) << text(at) << " over the drawer at " << text(drawer.FrameGeometry());
        EXPECT_TRUE(viewport()->rect().contains(at)) << text(at);
    }
};

TEST_F(PlacementTest, WindowsOpenedFromTheMenusCoverNeitherTheGameNorItsDrawer) {
    maximised();
    wnd::Outil_Mac& drawer = gameOnScreen("serveur");
    struct Case {
        const char* menu;
        const char* item;
        std::function<bool()> exists;
        std::function<fw::Window&()> window;
    };
    const std::vector<Case> cases = {
        {"Édition", "Préférences...", [] { return fw::Exists<wnd::pref>(); }, []() -> fw::Window& { return pref(); }},
        {"Jeu", "Meilleurs scores", [] { return fw::Exists<wnd::scores>() && scores().Visible(); }, []() -> fw::Window& { return scores(); }},
        {"Aide", "Adresse IP", [] { return fw::Exists<class wnd::WinIP>(); }, []() -> fw::Window& { return WinIP(); }},
        {"Aide", "À propos de Quorril", [] { return fw::Exists<wnd::about>(); }, []() -> fw::Window& { return about(); }},
        {"Aide", "Aide de Quorril", [] { return fw::Exists<wnd::help>(); }, []() -> fw::Window& { return help(); }},
    };
    // Each comes up beside the game while the ones before it are still open.
    for (const Case& c : cases) {
        SCOPED_TRACE(c.item);
        choose(QString::fromUtf8(c.menu), QString::fromUtf8(c.item));
        ASSERT_TRUE(QTest::qWaitFor([&] { return c.exists() && c.window().Visible(); }, kWait));
        besideTheGame(c.window(), drawer);
    }
    // The about window grows once its credits run, and stays beside the game.
    ASSERT_TRUE(QTest::qWaitFor([] { return about().Height() > 300; }, kWait));
    besideTheGame(about(), drawer);
}

TEST_F(PlacementTest, TheTopTenAfterAWinAndAGuestsColoursCoverNeitherTheGameNorItsDrawer) {
    maximised();
    // A guest's handshake: its game window opens, then the colour it plays.
    {
        wnd::Outil_Mac& drawer = gameOnScreen("client");
        showcolor().ShowTheColor(1);
        ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<class wnd::showcolor>() && showcolor().Visible(); }, kWait));
        besideTheGame(showcolor(), drawer);
        showcolor().Close();
    }
    game().Close();
    ASSERT_TRUE(QTest::qWaitFor([] { return !fw::Exists<wnd::game>(); }, kWait));

    // A won game whose score enters the top ten: the winner types a name in the drawer, the
    // high scores open.
    wnd::Outil_Mac& drawer = gameOnScreen("serveur");
    OutilContain& panel = *drawer.Tools();
    panel.setRecordScoreMode(true, 500);
    auto* entry = panel.findChild<QLineEdit*>(QStringLiteral("EditField2"));
    clickOn(entry, entry->rect().center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry->hasFocus(); }, kWait));
    xdotool({QStringLiteral("type"), QStringLiteral("Zoe")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return entry->text() == QStringLiteral("Zoe"); }, kWait));
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<wnd::scores>() && scores().Visible(); }, kWait));
    EXPECT_EQ(scores().namesArray[0], QStringLiteral("Zoe"));
    besideTheGame(scores(), drawer);
}

TEST_F(PlacementTest, AnUnmaximisedFrameScrollsToTheDrawer) {
    maximised();
    wnd::Outil_Mac& drawer = gameOnScreen("serveur");
    QScrollBar* bar = frame().Area().horizontalScrollBar();
    EXPECT_FALSE(bar->isVisible());

    frame().showNormal();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !frame().isMaximized() && viewport()->width() < drawer.FrameGeometry().right(); }, kWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isVisible(); }, kWait));
    // Clicks on the bar's right arrow until it can go no further.
    for (int click = 0; click < 40 && bar->value() < bar->maximum(); ++click) {
        const int before = bar->value();
        clickOn(bar, QPoint(bar->width() - bar->height() / 2, bar->height() / 2));
        ASSERT_TRUE(QTest::qWaitFor([&] { return bar->value() != before; }, kWait));
    }
    EXPECT_EQ(bar->value(), bar->maximum());
    // The whole drawer is on screen now, still glued to the game window.
    const QRect shown = viewport()->rect();
    EXPECT_TRUE(shown.contains(drawer.FrameGeometry())) << text(drawer.FrameGeometry()) << " in " << text(shown);
    EXPECT_EQ(drawer.FrameGeometry().left(), game().FrameGeometry().right() + 1);
    EXPECT_EQ(drawer.Top(), game().Top());
    auto* stop = drawer.findChild<QWidget*>(QStringLiteral("PushButton2"));
    const QPoint spot = stop->mapToGlobal(stop->rect().center());
    EXPECT_EQ(QApplication::widgetAt(spot), stop);
}

TEST_F(PlacementTest, TheSplashIsSeenAboveTheGameWithoutTakingItsKeyboard) {
    // The start-up as the program runs it, from a preferences file without sounds: the splash,
    // then a game against the computer.
    ASSERT_TRUE(WritePrefsFile(Preferences::FilePath(), {{QStringLiteral("sndAmbiance"), fw::Variant(false)},
                                                         {QStringLiteral("sndBruitage"), fw::Variant(false)},
                                                         {QStringLiteral("sndEndgame"), fw::Variant(false)}}));
    StopApp();
    OpenApp();
    frame().Maximize();
    // However long the handshake takes on a busy machine, the splash waits for the game here; its
    // two seconds start again once the game is on screen.
    ASSERT_TRUE(twin().Visible());
    twin().Timer1->SetMode(fw::Timer::ModeOff);
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<wnd::game>() && game().Visible(); }, kWait));
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame().isMaximized() && viewport()->height() > 900; }, kWait));
    ASSERT_TRUE(twin().Visible());
    QMdiSubWindow* splash = qobject_cast<QMdiSubWindow*>(&twin().Host());
    QMdiSubWindow* board = qobject_cast<QMdiSubWindow*>(&game().Host());
    ASSERT_TRUE(splash && board);
    const QList<QMdiSubWindow*> stack = frame().Area().subWindowList(QMdiArea::StackingOrder);
    EXPECT_GT(stack.indexOf(splash), stack.indexOf(board));
    // Centred in the area, and what the user sees there is the splash.
    EXPECT_LE((splash->geometry().center() - viewport()->rect().center()).manhattanLength(), 2);
    QWidget* seen = QApplication::widgetAt(twin().mapToGlobal(twin().rect().center()));
    EXPECT_TRUE(seen && (seen == &twin() || twin().isAncestorOf(seen)));
    // The keyboard is the game window's.
    QWidget* focus = QApplication::focusWidget();
    EXPECT_FALSE(focus && (focus == splash || splash->isAncestorOf(focus)));
    EXPECT_EQ(frame().Area().activeSubWindow(), board);
    // Typed at once, the hidden word reaches the game window, not the splash nor the chat entry.
    ASSERT_FALSE(ia().Visible());
    xdotool({QStringLiteral("type"), QStringLiteral("@qwelt")});
    EXPECT_TRUE(QTest::qWaitFor([] { return ia().Visible(); }, kWait));
    EXPECT_TRUE(game().o_mac->findChild<QLineEdit*>(QStringLiteral("EditField2"))->text().isEmpty());
    EXPECT_TRUE(twin().Visible());
    // Once its time is up it goes by itself.
    twin().Timer1->SetMode(fw::Timer::ModeSingle);
    EXPECT_TRUE(QTest::qWaitFor([] { return !twin().Visible(); }, kWait));
}

}  // namespace
