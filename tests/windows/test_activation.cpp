// The window the user works in is the active one, on a desktop with a real window manager
// (openbox on a private 1280 x 1024 display, real pointer and key events): a click in the game's
// drawer makes the game window active, so that the menus serve it; a window that closes leaves
// the one beneath it active, and the frame minimised and restored leaves the active one as it
// was; a close or minimise box answers the first click after a drag; and a window dragged by its
// title bar, anywhere, keeps that title bar within reach.
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

// A window's title bar as its frame lays it out, in the frame's coordinates.
QStyleOptionTitleBar titleBarOption(QMdiSubWindow* s) {
    QStyleOptionTitleBar opt;
    opt.initFrom(s);
    opt.subControls = QStyle::SC_All;
    opt.titleBarFlags = s->windowFlags();
    opt.titleBarState = int(s->windowState());
    opt.text = s->windowTitle();
    const int border = s->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, s);
    const int height = s->style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, s);
    opt.rect = QRect(border, border, s->width() - 2 * border, height - border);
    return opt;
}

// Where a box of a window's title bar is on screen.
QPoint titleBarBox(QMdiSubWindow* s, QStyle::SubControl box) {
    const QStyleOptionTitleBar opt = titleBarOption(s);
    const QRect r = s->style()->subControlRect(QStyle::CC_TitleBar, &opt, box, s);
    return s->mapToGlobal(r.center());
}

// The whole title bar, its frame's top edge included, in the area's coordinates.
QRect titleBarInArea(QMdiSubWindow* s) {
    const QStyleOptionTitleBar opt = titleBarOption(s);
    return QRect(s->pos(), QSize(s->width(), opt.rect.bottom() + 1));
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

// Counts the mouse releases that reach the program's windows from the window manager.
struct ReleaseCounter : QObject {
    int count = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o->isWindowType() && e->type() == QEvent::MouseButtonRelease) ++count;
        return false;
    }
};

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
    EXPECT_TRUE(QTest::qWaitFor([&] { return active(game()); }, kWait)) << "active: " << activeTitle().toStdString();
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
            << "active: " << activeTitle().toStdString() << "; from the bottom: " << stack(area());
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
        << "active: " << activeTitle().toStdString();

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
            << "active: " << activeTitle().toStdString() << "; from the bottom: " << stack(area());
        EXPECT_TRUE(pref().Visible() && !pref().IsClosed());
    }

    // « Fermer » serves the high scores, which go (they only hide, keeping their table); the
    // preferences beneath them take the active state.
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+w")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !scores().Visible() && fw::Exists<wnd::pref>() && active(pref()); }, kWait))
        << "active: " << activeTitle().toStdString();
}

// A window dragged by its title bar keeps that title bar within reach wherever the pointer goes,
// past the screen's edges included: its top never rises above the area's visible top, and a part
// of it long enough to take hold of again stays in view. Dragged straight up, its close box
// still answers a click.
TEST_F(ActivationTest, ADraggedWindowKeepsItsTitleBarWithinReach) {
    maximised();
    QWidget* view = area().viewport();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Drag {
        const char* where;
        QPoint to;  // where the pointer is taken, on the screen
        bool closeBoxInView;
    };
    const QPoint middle = screen.center();
    const std::vector<Drag> drags = {
        {"up past the screen's top", {middle.x(), -60}, true},
        {"up and left past the screen's corner", {-60, -60}, true},
        {"up and right past the screen's corner", {screen.width() + 60, -60}, false},
        {"left past the screen's edge", {-60, middle.y()}, true},
        {"right past the screen's edge", {screen.width() + 60, middle.y()}, false},
        {"down past the screen's bottom", {middle.x(), screen.height() + 60}, true},
        {"down and left past the screen's corner", {-60, screen.height() + 60}, true},
        {"down and right past the screen's corner", {screen.width() + 60, screen.height() + 60}, false},
    };
    for (const Drag& d : drags) {
        SCOPED_TRACE(d.where);
        choose(QStringLiteral("Édition"), QStringLiteral("Préférences..."));
        ASSERT_TRUE(QTest::qWaitFor([&] { return fw::Exists<wnd::pref>() && pref().Visible() && active(pref()); }, kWait));
        auto* s = qobject_cast<QMdiSubWindow*>(&pref().Host());
        ASSERT_TRUE(s);
        // From the middle of the area, where a user would have left it.
        s->move((view->width() - s->width()) / 2, (view->height() - s->height()) / 2);

        ReleaseCounter releases;
        qApp->installEventFilter(&releases);
        const QPoint from = s->mapToGlobal(QPoint(s->width() / 3, titleBarInArea(s).height() / 2));
        moveTo(from);
        xdotool({QStringLiteral("mousedown"), QStringLiteral("1")});
        constexpr int kSteps = 16;
        for (int k = 1; k <= kSteps; ++k) moveTo(from + (d.to - from) * k / kSteps);
        xdotool({QStringLiteral("mouseup"), QStringLiteral("1")});
        const bool released = QTest::qWaitFor([&] { return releases.count > 0; }, kWait);
        qApp->removeEventFilter(&releases);
        ASSERT_TRUE(released);

        // The title bar's top at or below the area's visible top; its whole height, and a length
        // of it to take hold of, in the area's view once the scroll bars have come or gone: the
        // pointer finds the frame there.
        EXPECT_GE(titleBarInArea(s).top(), 0) << "the title bar went above the area";
        const bool reachable = QTest::qWaitFor([&] {
            const QRect bar = titleBarInArea(s);
            const QRect seen = bar.intersected(view->rect());
            return seen.height() == bar.height() && seen.width() >= 60 && QApplication::widgetAt(view->mapToGlobal(seen.center())) == s;
        }, kWait);
        const QRect bar = titleBarInArea(s);
        EXPECT_TRUE(reachable) << "title bar at " << bar.x() << "," << bar.y() << " " << bar.width() << "x" << bar.height() << " in a view of "
                               << view->width() << "x" << view->height();
        EXPECT_TRUE(s->isVisible());

        if (d.closeBoxInView) {
            reachAndClick(titleBarBox(s, QStyle::SC_TitleBarCloseButton));
        } else {
            xdotool({QStringLiteral("key"), QStringLiteral("ctrl+w")});
        }
        EXPECT_TRUE(QTest::qWaitFor([&] { return !fw::Exists<wnd::pref>(); }, kWait)) << "the window did not close";
        if (fw::Exists<wnd::pref>()) pref().Close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !fw::Exists<wnd::pref>(); }, kWait));
    }
}

}  // namespace
