// The window the user works in is the active one, on a desktop with a real window manager
// (openbox on a private 1280 x 1024 display, real pointer and key events): a click in the game's
// drawer makes the game window active, so that the menus serve it; a window that closes leaves
// the one beneath it active, and the frame minimised and restored leaves the active one as it
// was; and a close or minimise box answers the first click after a drag.
#include "framework/application.h"
#include "framework/menu.h"
#include "framework/window.h"
#include "info/about.h"
#include "info/help.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/pref.h"
#include "shell/preferences.h"
#include "shell/scores.h"
#include "windows/game.h"
#include "windows/outil_mac.h"

#include "app_fixture.h"
#include "desktop_input.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTest>

#include <functional>

namespace {

constexpr int kWait = kEventuallyMs;

// Where a box of a window's title bar is on screen, as its frame lays it out.
QPoint titleBarBox(QMdiSubWindow* s, QStyle::SubControl box) {
    QStyleOptionTitleBar opt;
    opt.initFrom(s);
    opt.subControls = QStyle::SC_All;
    opt.titleBarFlags = s->windowFlags();
    opt.titleBarState = int(s->windowState());
    opt.text = s->windowTitle();
    const int border = s->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, s);
    const int height = s->style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, s);
    opt.rect = QRect(border, border, s->width() - 2 * border, height - border);
    const QRect r = s->style()->subControlRect(QStyle::CC_TitleBar, &opt, box, s);
    return s->mapToGlobal(r.center());
}

// Drags a window by its title bar as a hand does: pressed, moved in small steps, released.
void dragTitleBar(QMdiSubWindow* s, QPoint by) {
    const QPoint from = s->mapToGlobal(QPoint(s->width() / 3, 12));
    moveTo(from);
    xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
    constexpr int kSteps = 12;
    for (int k = 1; k <= kSteps; ++k) moveTo(from + by * k / kSteps);
    xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
}

// Moves the pointer to a point in small steps from where it is, and clicks once.
void reachAndClick(QPoint to) {
    const QPoint from = QCursor::pos();
    constexpr int kSteps = 8;
    for (int k = 1; k <= kSteps; ++k) moveTo(from + (to - from) * k / kSteps);
    xdotool({QStringLiteral("click"), QStringLiteral("1")});
}

class ActivationTest : public AppFixture {
protected:
    void SetUp() override { StartQuietApp(); }
    fw::Frame& frame() { return app->FrameWindow(); }
    QMdiArea& area() { return frame().Area(); }

    void maximised() {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        frame().Maximize();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame(), kWait));
        // Maximised by the window manager: the area takes most of the screen.
        const int screenHeight = QGuiApplication::primaryScreen()->geometry().height();
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame().isMaximized() && area().viewport()->height() > screenHeight - 130; }, kWait));
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame().isActiveWindow(); }, kWait));
    }
    wnd::Outil_Mac& gameOnScreen() {
        game().Launch(QStringLiteral("serveur"), -1);
        wnd::Outil_Mac& drawer = *game().o_mac;
        EXPECT_TRUE(QTest::qWaitFor([&] { return !drawer.IsClosed() && drawer.isVisible(); }, kWait));
        return drawer;
    }
    void choose(const QString& title, const QString& item) { ::choose(frame(), title, item); }
    // The window is the active one: its frame lit, the menus serving it.
    static bool active(fw::Window& w) {
        QMdiSubWindow* s = qobject_cast<QMdiSubWindow*>(&w.Host());
        return s && s->mdiArea() && s->mdiArea()->activeSubWindow() == s && fw::FrontProgramWindow() == &w;
    }
    static bool audioEnabled() {
        shell::TheMenu().UpdateEnabled();
        return AudioBruitage().Enabled() && AudioMusiqueambiante().Enabled() && AudioSonfindepartie().Enabled();
    }
    // The area's windows from the bottom of the stack, hidden ones in brackets.
    static std::string stack(QMdiArea& a) {
        QStringList r;
        for (QMdiSubWindow* s : a.subWindowList(QMdiArea::StackingOrder))
            r << (s->isVisible() ? s->windowTitle() : QStringLiteral("[%1]").arg(s->windowTitle()));
        return r.join(QStringLiteral(", ")).toStdString();
    }
    static QString activeTitle(QMdiArea& a) { return a.activeSubWindow() ? a.activeSubWindow()->windowTitle() : QStringLiteral("(none)"); }
};

TEST_F(ActivationTest, AClickInTheDrawerMakesTheGameWindowActiveAndItsMenusServeIt) {
    maximised();
    wnd::Outil_Mac& drawer = gameOnScreen();
    choose(QStringLiteral("Édition"), QStringLiteral("Préférences..."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fw::Exists<wnd::pref>() && pref().Visible() && active(pref()); }, kWait));
    EXPECT_FALSE(audioEnabled());

    QLineEdit* entry = drawer.findChild<QLineEdit*>();
    ASSERT_TRUE(entry);
    clickOn(entry, entry->rect().center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return active(game()); }, kWait)) << "active: " << activeTitle(area()).toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return entry->hasFocus(); }, kWait)) << "the entry lost the keyboard";
    EXPECT_TRUE(audioEnabled());
    xdotool({QStringLiteral("type"), QStringLiteral("salut")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return entry->text() == QStringLiteral("salut"); }, kWait)) << entry->text().toStdString();

    // « Fermer » now serves the game window, which closes: the preferences behind it stay open.
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+w")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fw::Exists<wnd::game>() || game().IsClosed() || (fw::Exists<wnd::pref>() && pref().IsClosed()); }, kWait));
    EXPECT_TRUE(fw::Exists<wnd::pref>() && !pref().IsClosed()) << "Ctrl+W closed the window behind";
}

TEST_F(ActivationTest, ClosingAWindowActivatesTheOneBeneath) {
    maximised();
    gameOnScreen();
    ASSERT_TRUE(QTest::qWaitFor([&] { return active(game()); }, kWait));
    struct Opened {
        const char* menu;
        const char* item;
        std::function<bool()> open;
        std::function<fw::Window&()> window;
    };
    const std::vector<Opened> windows = {
        {"Édition", "Préférences...", [] { return fw::Exists<wnd::pref>() && pref().Visible(); }, []() -> fw::Window& { return pref(); }},
        {"Jeu", "Meilleurs scores", [] { return fw::Exists<wnd::scores>() && scores().Visible(); }, []() -> fw::Window& { return scores(); }},
        // Once its credits run, at its full height.
        {"Aide", "À propos de Quorril", [] { return fw::Exists<wnd::about>() && about().Visible() && about().Height() == wnd::about::kOpenHeight; },
         []() -> fw::Window& { return about(); }},
    };
    for (const Opened& w : windows) {
        choose(QString::fromUtf8(w.menu), QString::fromUtf8(w.item));
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.open() && active(w.window()); }, kWait)) << w.item;
    }
    // Closed from the top down by their close boxes: each time the one beneath becomes active.
    for (int k = int(windows.size()) - 1; k >= 0; --k) {
        SCOPED_TRACE(windows[k].item);
        auto* s = qobject_cast<QMdiSubWindow*>(&windows[k].window().Host());
        ASSERT_TRUE(s);
        clickAt(titleBarBox(s, QStyle::SC_TitleBarCloseButton));
        fw::Window& beneath = k > 0 ? windows[k - 1].window() : static_cast<fw::Window&>(game());
        EXPECT_TRUE(QTest::qWaitFor([&] { return !windows[k].open() && active(beneath); }, kWait))
            << "active: " << activeTitle(area()).toStdString() << "; from the bottom: " << stack(area());
    }
    EXPECT_TRUE(audioEnabled());
}

TEST_F(ActivationTest, OneClickOnACloseOrMinimiseBoxActsAfterATitleBarDrag) {
    maximised();
    gameOnScreen();
    choose(QStringLiteral("Aide"), QStringLiteral("Aide de Quorril"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fw::Exists<wnd::help>() && help().Visible() && active(help()); }, kWait));
    auto* s = qobject_cast<QMdiSubWindow*>(&help().Host());
    const QPoint before = s->pos();
    dragTitleBar(s, QPoint(-60, 40));
    ASSERT_TRUE(QTest::qWaitFor([&] { return s->pos() == before + QPoint(-60, 40); }, kWait)) << s->pos().x() << "," << s->pos().y();
    reachAndClick(titleBarBox(s, QStyle::SC_TitleBarCloseButton));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !fw::Exists<wnd::help>() || !help().Visible(); }, kWait)) << "the first click was lost";

    // The game window's minimise box, after a drag of its own.
    ASSERT_TRUE(QTest::qWaitFor([&] { return active(game()); }, kWait));
    auto* g = qobject_cast<QMdiSubWindow*>(&game().Host());
    const QPoint gameAt = g->pos();
    dragTitleBar(g, QPoint(50, 30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return g->pos() == gameAt + QPoint(50, 30); }, kWait));
    reachAndClick(titleBarBox(g, QStyle::SC_TitleBarMinButton));
    EXPECT_TRUE(QTest::qWaitFor([&] { return game().Minimised(); }, kWait)) << "the first click was lost";
}

// The window manager minimises the frame and brings it back, round after round: the window that
// was active before stays the active one, and the menus and their keys still serve it.
TEST_F(ActivationTest, MinimisingAndRestoringTheFrameKeepsTheActiveWindow) {
    maximised();
    choose(QStringLiteral("Édition"), QStringLiteral("Préférences..."));
    ASSERT_TRUE(QTest::qWaitFor([&] { return fw::Exists<wnd::pref>() && pref().Visible() && active(pref()); }, kWait));
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+t")});
    ASSERT_TRUE(QTest::qWaitFor([&] { return fw::Exists<wnd::scores>() && scores().Visible() && active(scores()); }, kWait))
        << "active: " << activeTitle(area()).toStdString();

    const QString id = QString::number(frame().winId());
    for (int round = 1; round <= 4; ++round) {
        SCOPED_TRACE(round);
        xdotool({QStringLiteral("windowminimize"), QStringLiteral("--sync"), id});
        // Restored once the minimised frame has lost the keyboard, as by a hand, or (every other
        // round) at once, before it has.
        const bool atOnce = round % 2 == 0;
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame().isMinimized() && (atOnce || !frame().isActiveWindow()); }, kWait));
        xdotool({QStringLiteral("windowactivate"), id});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !frame().isMinimized() && frame().isActiveWindow(); }, kWait));
        EXPECT_TRUE(QTest::qWaitFor([&] { return active(scores()); }, kWait))
            << "active: " << activeTitle(area()).toStdString() << "; from the bottom: " << stack(area());
        EXPECT_TRUE(pref().Visible() && !pref().IsClosed());
    }

    // « Fermer » serves the high scores, which go (they only hide, keeping their table); the
    // preferences beneath them take the active state.
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+w")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !scores().Visible() && fw::Exists<wnd::pref>() && active(pref()); }, kWait))
        << "active: " << activeTitle(area()).toStdString();
}

}  // namespace
