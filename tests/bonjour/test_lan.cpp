// Two machines on one local network, each with avahi-daemon as Debian ships it: IPv4 and IPv6,
// and A records not published over IPv6 (tests/support/with-avahi-pair.sh). Each game the other
// machine announces is one row of the new-game dialog, named, at that machine's IPv4 address; the
// rows go when the games do; and a guest joins a game hosted there, over the link.
#include "framework/bonjour.h"
#include "framework/buttons.h"
#include "framework/listbox.h"
#include "framework/pluginhost.h"
#include "framework/socket.h"
#include "windows/butonsokcancel.h"
#include "windows/game.h"
#include "windows/newgame.h"
#include "announced.h"
#include "qstring_print.h"
#include "../net/netfixture.h"
#include "eventually.h"
#include "peer_network.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QTcpServer>
#include <QTest>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <set>

namespace {

constexpr int kWait = kEventuallyMs;
const QString kType = QStringLiteral("_servquorril._tcp");

QString peerAddress() { return qEnvironmentVariable("QUORRIL_PEER_ADDRESS"); }

// A game announced on the other machine, for as long as it lives.
struct PeerGame : Announce {
    explicit PeerGame(const QString& name) : Announce(Game(name), qEnvironmentVariable("QUORRIL_PEER_BUS")) {}
};

// What this machine's own daemon has heard of the game type: each name with the protocols it was
// heard over ("IPv4", "IPv6").
std::map<QString, std::set<QString>> heard() {
    QProcess p;
    p.start(QStringLiteral("avahi-browse"), {QStringLiteral("-t"), QStringLiteral("-p"), kType});
    p.waitForFinished(kWait);
    std::map<QString, std::set<QString>> out;
    for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList f = line.split(QLatin1Char(';'));  // +;interface;protocol;name;type;domain
        if (f.size() >= 6 && f[0] == QLatin1String("+")) out[f[3]].insert(f[2]);
    }
    return out;
}

bool heardOverBoth(const QStringList& names) {
    const auto h = heard();
    const std::set<QString> both = {QStringLiteral("IPv4"), QStringLiteral("IPv6")};
    for (const QString& n : names) {
        auto it = h.find(n);
        if (it == h.end() || it->second != both) return false;
    }
    return true;
}

// The other machine's Quorril hosting a game on port 1234 of its address: it takes blue, so the
// guest that joins gets yellow, and keeps every frame delivered to it.
class PeerHost : public net::Serveur {
public:
    QStringList received;
    PeerHost() {
        fw::TCPSocket::SetListenAddress(peerAddress());
        StatChanged = [this](std::int32_t code, const QString&, const QString&) {
            if (code == 2) Send(QStringLiteral("TCOL1"), false, 1);
        };
        NewTrame = [this](std::int32_t, std::int32_t, const QString& dir, const QString& text) {
            if (dir == net::kDirDelivered) received << text;
        };
        Launch(1234);
    }
};

class DialogOnALan : public NetApp, public GameList {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QUORRIL_PEER_BUS")) GTEST_SKIP() << "run through tests/support/with-avahi-pair.sh";
        ASSERT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
        NetApp::SetUp();
    }
    void TearDown() override {
        NetApp::TearDown();
        fw::TCPSocket::SetListenAddress(QString());
    }

    static QStringList sortedRows() {
        QStringList r = rows();
        r.sort();
        return r;
    }
};

TEST_F(DialogOnALan, EachGameOnTheNetworkIsOneRowAtThePeersIpv4AddressUntilItGoes) {
    click(dialog().GameStyle[1]);  // « Réseau », « Client »: the list shows
    auto zoe = std::make_unique<PeerGame>(QStringLiteral("Zoe"));
    auto yann = std::make_unique<PeerGame>(QStringLiteral("Yann"));
    // The network is dual-stack: this machine's daemon hears both games over IPv4 and IPv6.
    ASSERT_TRUE(QTest::qWaitFor([] { return heardOverBoth({QStringLiteral("Zoe"), QStringLiteral("Yann")}); }, kWait));

    const QStringList both = {QStringLiteral("Yann"), QStringLiteral("Zoe")};
    ASSERT_TRUE(QTest::qWaitFor([&] { return sortedRows() == both; }, kWait)) << rows().join('|').toStdString();
    EXPECT_EQ(dialog().Object1->Browsing_Count(), 2);
    // Each row stands for a game the guest can join: the other machine's IPv4 address, Ok on.
    for (int row = 0; row < 2; ++row) {
        clickRow(row);
        EXPECT_EQ(dialog().Object1->Browsing_CountAddresses(row), 1) << row;
        EXPECT_EQ(dialog().choosen_ip, peerAddress()) << row;
        EXPECT_TRUE(dialog().ButonsOkCancel2->PushButton1->isEnabled()) << row;
    }

    zoe.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return rows() == QStringList{QStringLiteral("Yann")}; }, kWait)) << rows().join('|').toStdString();
    yann.reset();
    EXPECT_TRUE(QTest::qWaitFor([] { return list().ListCount() == 0; }, kWait)) << rows().join('|').toStdString();
    EXPECT_EQ(dialog().Object1->Browsing_Count(), 0);
}

TEST_F(DialogOnALan, AGuestJoinsTheGameHostedOnThePeer) {
    // The host on the other machine: the game on port 1234, its announcement on another port that
    // nobody may dial.
    auto host = onThePeer([] { return std::make_unique<PeerHost>(); });
    ASSERT_TRUE(host);
    auto announcedPort = onThePeer([] {
        auto s = std::make_unique<QTcpServer>();
        s->listen(QHostAddress(peerAddress()), 4321);
        return s;
    });
    ASSERT_TRUE(announcedPort->isListening());
    int dialled = 0;
    QObject::connect(announcedPort.get(), &QTcpServer::newConnection, [&] { ++dialled; });
    PeerGame announced(QStringLiteral("Partie de Zoe"));

    click(dialog().GameStyle[1]);
    ASSERT_TRUE(QTest::qWaitFor([] { return rows() == QStringList{QStringLiteral("Partie de Zoe")}; }, kWait)) << rows().join('|').toStdString();
    clickRow(0);
    ASSERT_EQ(dialog().choosen_ip, peerAddress());
    ASSERT_TRUE(dialog().ButonsOkCancel2->PushButton1->isEnabled());
    click(dialog().ButonsOkCancel2->PushButton1);

    // The handshake over the link: the dialog closes, the guest plays yellow against the peer.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host->received.contains(QStringLiteral("ISOK")); }, kWait)) << host->received.join('|').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([] { return !fw::Exists<wnd::newgame>(); }, kWait));
    ASSERT_TRUE(fw::Exists<wnd::game>());
    EXPECT_EQ(game().type, QStringLiteral("client"));
    EXPECT_EQ(dialled, 0);
}

}  // namespace
