#pragma once
// For DESKTOP tests (tests/support/with-desktop.sh): real pointer and key events, through the X
// server and the window manager, as a user's hand makes them.
#include "framework/application.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <QWidget>

inline void xdotool(const QStringList& args) { ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0); }
inline void moveTo(QPoint global) { xdotool({QStringLiteral("mousemove"), QStringLiteral("--"), QString::number(global.x()), QString::number(global.y())}); }
inline void clickAt(QPoint global) {
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--"), QString::number(global.x()), QString::number(global.y()), QStringLiteral("click"),
             QStringLiteral("1")});
}
inline void clickOn(QWidget* w, QPoint at) { clickAt(w->mapToGlobal(at)); }

// Chooses a menu item with real clicks: its menu's title in the frame's bar, then the item.
inline void choose(fw::Frame& frame, const QString& title, const QString& item) {
    QMenuBar* bar = frame.menuBar();
    QAction* menuAction = nullptr;
    for (QAction* a : bar->actions())
        if (a->text() == title) menuAction = a;
    ASSERT_TRUE(menuAction && menuAction->menu()) << title.toStdString();
    // Once the window manager has put the frame where it stays, the title is under the pointer.
    const QPoint at = bar->actionGeometry(menuAction).center();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::widgetAt(bar->mapToGlobal(at)) == bar; }, kEventuallyMs));
    clickOn(bar, at);
    QMenu* menu = menuAction->menu();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == menu; }, kEventuallyMs));
    QAction* chosen = nullptr;
    for (QAction* a : menu->actions())
        if (a->text() == item) chosen = a;
    ASSERT_TRUE(chosen) << item.toStdString();
    clickOn(menu, menu->actionGeometry(chosen).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !QApplication::activePopupWidget(); }, kEventuallyMs));
}
