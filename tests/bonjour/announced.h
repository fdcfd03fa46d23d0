#pragma once
// What the DNS-SD tests share: a service announced by avahi-publish for as long as it lives, and
// the new-game dialog's list of games as the user sees and clicks it.
#include "framework/listbox.h"
#include "windows/newgame.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTest>

// avahi-publish -s with args (name, type, port and any options before them) until it is
// destroyed; on another machine's bus when bus is given.
struct Announce {
    QProcess p;
    explicit Announce(const QStringList& args, const QString& bus = QString()) {
        if (!bus.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus);
            p.setProcessEnvironment(env);
        }
        p.start(QStringLiteral("avahi-publish"), QStringList{QStringLiteral("-s")} + args);
        p.waitForStarted();
    }
    // A game by that name, on a port no guest ever dials.
    static QStringList Game(const QString& name) { return {name, QStringLiteral("_servquorril._tcp"), QStringLiteral("4321")}; }
    ~Announce() {
        p.terminate();
        p.waitForFinished();
    }
};

// The new-game dialog's list of found games.
struct GameList {
    static wnd::newgame& dialog() { return newgame(); }
    static fw::ListBox& list() { return *dialog().ListBox1; }
    static QStringList rows() {
        QStringList r;
        for (int i = 0; i < list().ListCount(); ++i) r << list().Cell(i, 0);
        return r;
    }
    static void clickRow(int row) {
        const QRect r = list().visualItemRect(list().topLevelItem(row));
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, r.center());
    }
    static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
};
