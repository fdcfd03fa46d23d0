#pragma once
// An application object with its preferences, as the program has them after start-up, without
// running its Open event; and a watch on which program windows ever appear on screen.
#include "framework/socket.h"
#include "framework/window.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "sprites/resources.h"

#include "app_fixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QSet>
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
