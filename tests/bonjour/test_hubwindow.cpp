// The hub window (twin) publishes the game it hosts through the real plug-in: avahi-browse lists
// it under the machine's name on a port of its own (never the game port), until the guest has
// joined.
#include "framework/bonjour.h"
#include "framework/pluginhost.h"
#include "game/ia.h"
#include "net/client.h"
#include "net/twin.h"
#include "windows/game.h"

#include "../net/netfixture.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QHostInfo>
#include <QProcess>
#include <QTest>

namespace {

constexpr int kWait = kEventuallyMs;

struct Listed {
    QString name, host, address;
    int port = 0;
};

// What avahi-browse lists, resolved, of the game's service type.
std::vector<Listed> browse() {
    QProcess p;
    p.start(QStringLiteral("avahi-browse"), {QStringLiteral("-r"), QStringLiteral("-t"), QStringLiteral("-p"), QStringLiteral("_servquorril._tcp")});
    p.waitForFinished(kWait);
    std::vector<Listed> out;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList f = line.split(QLatin1Char(';'));
        // =;interface;protocol;name;type;domain;host;address;port;txt
        if (f.size() >= 9 && f[0] == QLatin1String("=")) out.push_back({f[3], f[6], f[7], f[8].toInt()});
    }
    return out;
}

class HubPublication : public NetApp {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QUORRIL_AVAHI_CTL")) GTEST_SKIP() << "run through tests/support/with-avahi.sh";
        ASSERT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
        NetApp::SetUp();
    }
};

TEST_F(HubPublication, AHostedGameIsListedUntilItsGuestJoins) {
    ASSERT_TRUE(twin().Bonjour1->is_available());
    twin().LaunchServer(-1);
    std::vector<Listed> listed;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(listed = browse()).empty(); }, kWait));
    ASSERT_EQ(listed.size(), 1u);
    // Under the machine's name, on a throw-away port: guests dial 1234 whatever is published.
    const QString machine = QHostInfo::localHostName().section(QLatin1Char('.'), 0, 0);
    EXPECT_EQ(listed[0].name, machine);
    EXPECT_EQ(listed[0].host, machine + QStringLiteral(".local"));
    EXPECT_EQ(listed[0].address, QStringLiteral("127.0.0.2"));
    EXPECT_GT(listed[0].port, 0);
    EXPECT_NE(listed[0].port, 1234);

    // The computer player joins as the guest: the handshake runs and the publication goes.
    ia().SetVisible(false);
    ia().Control<wnd::ComIA>(QStringLiteral("ComIA"))->Launch(1234, QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<class wnd::game>() && game().type == QLatin1String("serveur"); }, kWait));
    EXPECT_TRUE(QTest::qWaitFor([&] { return browse().empty(); }, kWait));
}

}  // namespace
