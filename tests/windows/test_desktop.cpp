// The program on a desktop with a real window manager (openbox on a private X display): the
// window manager sees one window, every menu title answers a real click, and a click anywhere in
// the frame leaves the game and its drawer on top.
#include "framework/application.h"
#include "framework/window.h"
#include "game/ia.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/preferences.h"
#include "framework/buttons.h"
#include "framework/listbox.h"
#include "framework/msgbox.h"
#include "windows/butonsokcancel.h"
#include "windows/colorchoice.h"
#include "windows/game.h"
#include "windows/newgame.h"
#include "windows/outil_mac.h"

#include "app_fixture.h"
#include "desktop_input.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QLineEdit>
#include <QProcess>
#include <QTimer>
#include <QTest>

namespace {

// The windows the window manager manages.
int managedWindows() {
    QProcess p;
    p.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    p.waitForFinished();
    const QString out = QString::fromLatin1(p.readAllStandardOutput());
    return out.count(QStringLiteral("0x"));
}

bool inside(QWidget* w, QWidget* owner) { return w && (w == owner || owner->isAncestorOf(w)); }

// Counts the mouse releases that reach the program's windows from the window manager.
struct ReleaseCounter : QObject {
    int count = 0;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (o->isWindowType() && e->type() == QEvent::MouseButtonRelease) ++count;
        return false;
    }
};

class DesktopTest : public AppFixture {
protected:
    void SetUp() override { StartQuietApp(); }
    fw::Frame& frame() { return app->FrameWindow(); }
};

TEST_F(DesktopTest, MenusAnswerRealClicksAndNoClickHidesTheGame) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    frame().Maximize();
    twin().Show();
    game().Launch(QStringLiteral("serveur"), -1);
    wnd::Outil_Mac& drawer = *game().o_mac;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame(), kEventuallyMs));
    ASSERT_EVENTUALLY(!drawer.IsClosed() && drawer.isVisible());
    ASSERT_EVENTUALLY(frame().isMaximized());
    QTest::qWait(300);  // the window manager's placement settles

    EXPECT_EQ(managedWindows(), 1);

    // The whole menu bar shows, and each title opens its menu.
    QMenuBar* bar = frame().menuBar();
    const QList<QAction*> titles = bar->actions();
    ASSERT_EQ(titles.size(), 4);
    for (QAction* title : titles) {
        SCOPED_TRACE(title->text().toStdString());
        const QPoint at = bar->mapToGlobal(bar->actionGeometry(title).center());
        EXPECT_EQ(QApplication::widgetAt(at), bar);
        clickAt(at);
        ASSERT_EVENTUALLY(QApplication::activePopupWidget() == static_cast<QWidget*>(title->menu()));
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        ASSERT_EVENTUALLY(!QApplication::activePopupWidget());
    }

    // A click on the frame's title bar, on its empty area and on the menu bar's empty end.
    QWidget* area = frame().Area().viewport();
    const QPoint board = game().mapToGlobal(game().rect().center());
    const QPoint panel = drawer.mapToGlobal(drawer.rect().center());
    const QPoint spots[] = {
        QPoint(frame().frameGeometry().center().x(), frame().frameGeometry().top() + 6),
        area->mapToGlobal(area->rect().bottomRight() - QPoint(30, 30)),
        bar->mapToGlobal(QPoint(bar->width() - 40, bar->height() / 2)),
    };
    for (const QPoint& spot : spots) {
        SCOPED_TRACE(spot.x());
        clickAt(spot);
        QTest::qWait(300);
        EXPECT_TRUE(game().Visible());
        EXPECT_TRUE(drawer.isVisible());
        EXPECT_TRUE(inside(QApplication::widgetAt(board), &game()));
        EXPECT_TRUE(inside(QApplication::widgetAt(panel), &drawer));
        EXPECT_EQ(managedWindows(), 1);
    }
}

// Keys go where the user clicked last: into the chat entry after a click there, to the game
// window (its hidden word) after a click on the board.
TEST_F(DesktopTest, TypedKeysGoWhereTheUserClicked) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    frame().Maximize();
    game().Launch(QStringLiteral("serveur"), -1);
    wnd::Outil_Mac& drawer = *game().o_mac;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame(), kEventuallyMs));
    ASSERT_EVENTUALLY(!drawer.IsClosed() && drawer.isVisible());
    ASSERT_EVENTUALLY(frame().isMaximized());
    QTest::qWait(300);
    ASSERT_FALSE(ia().Visible());

    auto* entry = drawer.findChild<QLineEdit*>(QStringLiteral("EditField2"));
    ASSERT_TRUE(entry);
    clickAt(entry->mapToGlobal(entry->rect().center()));
    xdotool({QStringLiteral("type"), QStringLiteral("salut")});
    ASSERT_EVENTUALLY(entry->text() == QStringLiteral("salut"));

    // The opponent's rack: a click there starts no move.
    clickAt(game().mapToGlobal(QPoint(40, 200)));
    xdotool({QStringLiteral("type"), QStringLiteral("@qwelt")});
    ASSERT_EVENTUALLY(ia().Visible());
    EXPECT_EQ(entry->text(), QStringLiteral("salut"));
}

// The new-game dialog from the menu, as a user reaches it: real clicks through the window manager,
// the message box a local address gets as a window of its own over the frame, and Escape. No OK
// here connects anywhere.
TEST_F(DesktopTest, TheNewGameDialogAnswersRealClicksAndKeys) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    frame().Maximize();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame(), kEventuallyMs));
    ASSERT_EVENTUALLY(frame().isMaximized());
    QTest::qWait(300);

    QMenuBar* bar = frame().menuBar();
    QAction* jeu = bar->actions().value(0);
    ASSERT_TRUE(jeu && jeu->menu());
    clickOn(bar, bar->actionGeometry(jeu).center());
    QMenu* menu = jeu->menu();
    ASSERT_EVENTUALLY(QApplication::activePopupWidget() == static_cast<QWidget*>(menu));
    QAction* item = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == QLatin1String("Nouvelle partie ...")) item = a;
    ASSERT_TRUE(item);
    clickOn(menu, menu->actionGeometry(item).center());
    ASSERT_EVENTUALLY(fw::Exists<wnd::newgame>() && newgame().isVisible());
    wnd::newgame& d = newgame();
    EXPECT_EQ(d.Height(), 225);
    EXPECT_EQ(managedWindows(), 1);
    const int frameExtra = d.FrameGeometry().height() - d.Height();

    clickOn(d.GameStyle[1], d.GameStyle[1]->rect().center());
    ASSERT_EVENTUALLY(d.Height() == 319);
    EXPECT_TRUE(d.ListBox1->isVisible());
    clickOn(d.NetMode[1], QPoint(8, d.NetMode[1]->height() / 2));
    ASSERT_EVENTUALLY(d.Height() == 273);
    clickOn(d.CCNet->Button(1), QPoint(35, 35));
    ASSERT_EVENTUALLY(d.CCNet->Button(1)->Active());
    EXPECT_TRUE(d.ButonsOkCancel3->PushButton1->isEnabled());
    // The frame around the content follows each height.
    EXPECT_EQ(d.FrameGeometry().height(), 273 + frameExtra);

    // A local address: the box is a modal dialog frame in the area, centred above the other
    // windows, with a close box and nothing to maximise; a click beside it does nothing; Return
    // answers it.
    clickOn(d.NetMode[0], QPoint(8, d.NetMode[0]->height() / 2));
    clickOn(d.RadioButton2, QPoint(8, d.RadioButton2->height() / 2));
    ASSERT_EVENTUALLY(d.CltIP->isEnabled());
    // The field's own default is another machine's address: it goes before any key reaches the
    // dialog, so no Return here can ever aim beyond loopback.
    d.CltIP->setText(QStringLiteral("127.0.0.2"));
    clickOn(d.CltIP, d.CltIP->rect().center());
    xdotool({QStringLiteral("key"), QStringLiteral("ctrl+a")});
    xdotool({QStringLiteral("type"), QStringLiteral("localhost")});
    ASSERT_EVENTUALLY(d.choosen_ip == QStringLiteral("localhost"));
    const int boxes = fw::MsgBoxCount();
    bool seen = false, centred = false, onTop = false, noMaximise = false, keyboard = false, held = false;
    int windows = 0;
    ReleaseCounter releases;
    // The box runs its own loop: a watch that ticks in it looks at it, clicks « Annuler » beside
    // it, and once that click has come and gone answers the box.
    QTimer watch;
    int ticks = 0;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = frame().findChild<QMessageBox*>(QStringLiteral("MsgBox"));
        if (!box || !box->isVisible() || ++ticks < 6) return;
        if (!seen) {
            seen = true;
            windows = managedWindows();
            QMdiSubWindow* sub = nullptr;
            for (QWidget* p = box; p && !sub; p = p->parentWidget()) sub = qobject_cast<QMdiSubWindow*>(p);
            if (!sub) return;
            QWidget* area = frame().Area().viewport();
            centred = (sub->geometry().center() - area->rect().center()).manhattanLength() <= 2;
            const QList<QMdiSubWindow*> stack = frame().Area().subWindowList(QMdiArea::StackingOrder);
            for (QMdiSubWindow* s : stack)
                if (s->isVisible()) onTop = s == sub;
            noMaximise = !(sub->windowFlags() & Qt::WindowMaximizeButtonHint) && (sub->windowFlags() & Qt::WindowCloseButtonHint);
            keyboard = box->isAncestorOf(QApplication::focusWidget());
            qApp->installEventFilter(&releases);
            clickOn(d.ButonsOkCancel2->PushButton2, d.ButonsOkCancel2->PushButton2->rect().center());
            return;
        }
        if (releases.count == 0) return;
        watch.stop();
        qApp->removeEventFilter(&releases);
        held = fw::Exists<wnd::newgame>() && box->isVisible();
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    });
    watch.start(50);
    xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    ASSERT_EVENTUALLY(fw::MsgBoxCount() == boxes + 1 && !fw::MsgBoxWaiting());
    EXPECT_TRUE(seen);
    EXPECT_EQ(windows, 1);
    EXPECT_TRUE(centred);
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(noMaximise);
    EXPECT_TRUE(keyboard);
    EXPECT_TRUE(held);
    ASSERT_TRUE(fw::Exists<wnd::newgame>());

    // Escape presses the cancel button of the group on screen.
    clickOn(&d, QPoint(5, 5));
    xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
    ASSERT_EVENTUALLY(!fw::Exists<wnd::newgame>());
}

}  // namespace
