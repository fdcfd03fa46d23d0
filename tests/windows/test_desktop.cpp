// The program on a desktop with a real window manager (openbox on a private X display): the
// window manager sees one window, every menu title answers a real click, and a click anywhere in
// the frame leaves the game and its drawer on top.
#include "framework/application.h"
#include "framework/window.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/preferences.h"
#include "windows/game.h"
#include "windows/outil_mac.h"

#include "app_fixture.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QTest>

namespace {

// Real pointer and key events, through the X server and the window manager.
void xdotool(const QStringList& args) { ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0); }
void clickAt(QPoint global) {
    xdotool({QStringLiteral("mousemove"), QString::number(global.x()), QString::number(global.y()), QStringLiteral("click"),
             QStringLiteral("1")});
}

// The windows the window manager manages.
int managedWindows() {
    QProcess p;
    p.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST")});
    p.waitForFinished();
    const QString out = QString::fromLatin1(p.readAllStandardOutput());
    return out.count(QStringLiteral("0x"));
}

bool inside(QWidget* w, QWidget* owner) { return w && (w == owner || owner->isAncestorOf(w)); }

class DesktopTest : public AppFixture {
protected:
    void SetUp() override {
        StartApp();
        store().SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        store().SetItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(3)));
    }
    fw::Frame& frame() { return app->FrameWindow(); }
};

TEST_F(DesktopTest, MenusAnswerRealClicksAndNoClickHidesTheGame) {
    ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
    frame().Maximize();
    twin().Show();
    game().Launch(QStringLiteral("serveur"), -1);
    wnd::Outil_Mac& drawer = *game().o_mac;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame()));
    QTRY_VERIFY_WITH_TIMEOUT(!drawer.IsClosed() && drawer.isVisible(), 5000);
    QTRY_VERIFY_WITH_TIMEOUT(frame().isMaximized(), 5000);
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
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::activePopupWidget(), static_cast<QWidget*>(title->menu()), 3000);
        xdotool({QStringLiteral("key"), QStringLiteral("Escape")});
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activePopupWidget(), 3000);
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

}  // namespace
