#pragma once
// An application object with its preferences, as the program has them after start-up, without
// running its Open event; and a watch on which program windows ever appear on screen.
#include "framework/socket.h"
#include "framework/window.h"
#include "net/client.h"
#include "net/serveur.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "sprites/resources.h"

#include "app_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QSet>
#include <QStringList>
#include <QTest>

#include <memory>

// Records the class of every program window that receives a Show event.
class ShowWatch : public QObject {
public:
    QSet<QString> shown;
    ShowWatch() { qApp->installEventFilter(this); }
    ~ShowWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Show && qobject_cast<fw::Window*>(o)) shown.insert(QString::fromLatin1(o->metaObject()->className()));
        return false;
    }
};

// Cached sounds must go before the Qt application does.
class ReleaseResourcesAtEnd : public ::testing::Environment {
public:
    void TearDown() override { ReleaseResources(); }
};
inline ::testing::Environment* const kReleaseResourcesAtEnd = ::testing::AddGlobalTestEnvironment(new ReleaseResourcesAtEnd);

class NetApp : public AppFixture {
protected:
    void SetUp() override {
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
        StartApp();
        Preferences& p = store();
        p.FixItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        p.FixItem(QStringLiteral("sndBruitage"), fw::Variant(true));
        p.FixItem(QStringLiteral("sndEndgame"), fw::Variant(false));
        p.FixItem(QStringLiteral("sndEndgameType"), fw::Variant(std::int32_t(1)));
        p.FixItem(QStringLiteral("iaMessage"), fw::Variant(true));
        p.FixItem(QStringLiteral("clickForJeton"), fw::Variant(true));
        p.FixItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(1)));
    }
};

// Another machine's Quorril hosting a game at 127.0.0.2:1234: it takes blue, so the guest that
// joins gets yellow, and keeps every frame delivered to it.
class HostAt127002 : public net::Serveur {
public:
    QStringList received;
    HostAt127002() {
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.2"));
        StatChanged = [this](std::int32_t code, const QString&, const QString&) {
            if (code == 2) Send(QStringLiteral("TCOL1"), false, 1);
        };
        NewTrame = [this](std::int32_t, std::int32_t, const QString& dir, const QString& text) {
            if (dir == net::kDirDelivered) received << text;
        };
        Launch(1234);
    }
};
