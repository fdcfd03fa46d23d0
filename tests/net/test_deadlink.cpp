// A network game whose link goes silent: the other machine's cable is pulled (its end of the link
// goes down: nothing says goodbye, every segment is lost). The program, as the host and as the
// guest, and the computer player's own connection, learn it within the bound and end the game
// through the hub's error path; the program goes on. A link that lives stays up however long the
// game waits, and a join started during the cut fails the same way.
//
// Runs on one machine of a two-machine network (tests/support/with-avahi-pair.sh); the other
// machine's side is played by the test, on sockets made in that machine's network.
#include "framework/menu.h"
#include "framework/socket.h"
#include "framework/system.h"
#include "game/ia.h"
#include "net/client.h"
#include "net/serveur.h"
#include "net/twin.h"
#include "net/waitconnect.h"
#include "shell/menu.h"
#include "sprites/kxmap.h"
#include "windows/game.h"

#include "netfixture.h"
#include "eventually.h"
#include "peer_network.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTest>

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

// How long a silent link may take to end the game: the socket's bound, with room for the last
// probe's interval and a slow machine.
constexpr int kEndsWithinMs = 3 * fw::TCPSocket::kSilentPeerMs;

QString peerAddress() { return QString::fromLocal8Bit(qgetenv("QUORRIL_PEER_ADDRESS")); }

// The other machine's cable is pulled: its end of the link goes down, and ours hears nothing more.
void pullTheCable() {
    const int status = QProcess::execute(QStringLiteral("nsenter"), {QStringLiteral("--net=") + QString::fromLocal8Bit(qgetenv("QUORRIL_PEER_NETNS")),
                                                                     QStringLiteral("ip"), QStringLiteral("link"), QStringLiteral("set"),
                                                                     QStringLiteral("quorril1"), QStringLiteral("down")});
    ASSERT_EQ(status, 0);
}

// What the system says of this machine's connections on port 1234: for each, how long ago data
// last came and how long ago anything (data or an answer to a probe) was last acknowledged, ms.
struct Quiet {
    qint64 lastData = -1, lastAck = -1;
};
std::vector<Quiet> connectionsOnTheGamePort() {
    QProcess ss;
    ss.start(QStringLiteral("ss"), {QStringLiteral("-tinH"), QStringLiteral("state"), QStringLiteral("established"),
                                    QStringLiteral("( sport = :1234 or dport = :1234 )")});
    ss.waitForFinished(kEventuallyMs);
    std::vector<Quiet> out;
    static const QRegularExpression rcv(QStringLiteral("lastrcv:(\\d+)")), ack(QStringLiteral("lastack:(\\d+)"));
    // Each connection's second line tells its state; a time that is 0 is left out of it.
    for (const QString& line : QString::fromLocal8Bit(ss.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        if (!line.contains(QStringLiteral(" rto:"))) continue;
        const auto r = rcv.match(line), a = ack.match(line);
        out.push_back({r.hasMatch() ? r.captured(1).toLongLong() : 0, a.hasMatch() ? a.captured(1).toLongLong() : 0});
    }
    return out;
}

class DeadLink : public NetApp {
protected:
    void SetUp() override {
        // Only between the two private networks the pair's script makes.
        if (!qEnvironmentVariableIsSet("QUORRIL_PEER_NETNS") || !qEnvironmentVariableIsSet("QUORRIL_GUEST_ADDRESS"))
            GTEST_SKIP() << "run through tests/support/with-avahi-pair.sh";
        NetApp::SetUp();
        fw::TCPSocket::SetListenAddress(QString());
    }
    void TearDown() override {
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
        NetApp::TearDown();
    }
    // The hub's error path: a beep, the game window closed, « Nouvelle partie ... » enabled.
    bool errorPathTaken(int beepsBefore) const {
        return fw::BeepCount() > beepsBefore && !fw::Exists<class wnd::game>() && !App().isOpenedGame &&
               !fw::Exists<class wnd::waitconnect>();
    }
    // Waits for the error path, and says how long it took since the cut.
    qint64 waitForTheErrorPath(int beepsBefore, const QElapsedTimer& since) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return errorPathTaken(beepsBefore); }, kEndsWithinMs))
            << "still nothing " << since.elapsed() << " ms after the cut";
        return since.elapsed();
    }
    void expectTheProgramGoesOn() {
        App().Event_EnableMenuItems();
        EXPECT_TRUE(JeuNewGame().Enabled());
        EXPECT_TRUE(fw::Exists<class wnd::twin>());
    }
};

TEST_F(DeadLink, TheHostLearnsItsGuestIsGoneAndALiveLinkStaysUp) {
    twin().LaunchServer(-1);
    // The guest on the other machine joins and accepts its colour.
    auto guest = onThePeer([] {
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(qEnvironmentVariable("QUORRIL_GUEST_ADDRESS"), 1234);
        return s;
    });
    ASSERT_TRUE(guest);
    QByteArray got;
    QObject::connect(guest.get(), &QIODevice::readyRead, [&] { got += guest->readAll(); });
    ASSERT_EVENTUALLY(got.contains("TCOL-1"));
    guest->write(net::MakeFrame(1, net::kTagToId + net::Pad5(0) + QStringLiteral("ISOK")));
    ASSERT_EVENTUALLY(fw::Exists<class wnd::game>() && game().KxGrid->GameMain);

    // The game waits, its link alive: past the silence bound and several probes, nothing ends.
    // The system still hears its peer answer the probes though no data comes.
    ASSERT_TRUE(QTest::qWaitFor([] {
        const auto c = connectionsOnTheGamePort();
        return c.size() == 1 && c[0].lastData > fw::TCPSocket::kSilentPeerMs + fw::TCPSocket::kProbeSeconds * 1000;
    }, 3 * fw::TCPSocket::kSilentPeerMs)) << "the connection did not stay quiet";
    const auto quiet = connectionsOnTheGamePort();
    ASSERT_EQ(quiet.size(), 1u);
    EXPECT_LT(quiet[0].lastAck, 2 * fw::TCPSocket::kProbeSeconds * 1000) << "no probe was answered";
    EXPECT_TRUE(fw::Exists<class wnd::game>());
    EXPECT_TRUE(App().isOpenedGame);

    // The guest's cable is pulled; the host plays, and its move goes unanswered.
    const int beeps = fw::BeepCount();
    QElapsedTimer since;
    since.start();
    pullTheCable();
    QTest::mouseClick(game().KxGrid, Qt::LeftButton, {}, QPoint(75 + 70 * 3 + 10, 200));
    ASSERT_EVENTUALLY(game().KxGrid->gameMap.CountJeton(3) == 1 && !game().KxGrid->GameMain);
    const qint64 ms = waitForTheErrorPath(beeps, since);
    std::printf("[ measure  ] the host's game ended %lld ms after its guest's cable was pulled, with a move unanswered\n", ms);
    expectTheProgramGoesOn();
}

TEST_F(DeadLink, TheGuestAndTheComputerPlayersConnectionLearnTheirHostIsGone) {
    // The other machine hosts: its relay offers blue, and takes the computer player's client too.
    // (Its listening socket is handed on at each client it takes, on the same address.)
    fw::TCPSocket::SetListenAddress(peerAddress());
    auto host = onThePeer([] {
        auto s = std::make_unique<net::Serveur>();
        s->StatChanged = [raw = s.get()](std::int32_t code, const QString&, const QString&) {
            if (code == 2) raw->Send(QStringLiteral("TCOL1"), false, 1);
        };
        s->Launch(1234);
        return s;
    });
    ASSERT_TRUE(host);
    twin().LaunchConnexion(peerAddress());
    ASSERT_EVENTUALLY(fw::Exists<class wnd::game>() && game().type == QStringLiteral("client"));
    // The computer player's own connection, to the same host.
    wnd::ComIA& com = *wnd::ia().Control<wnd::ComIA>(QStringLiteral("ComIA"));
    bool comConnected = false, comLost = false;
    auto before = com.StatChanged;
    com.StatChanged = [&, before](std::int32_t code, const QString& info) {
        if (code == 2) comConnected = true;
        if (code == 0) comLost = true;
        if (before) before(code, info);
    };
    com.Launch(1234, peerAddress());
    ASSERT_EVENTUALLY(comConnected);

    // Both wait for the host, with nothing to send, when its cable is pulled.
    const int beeps = fw::BeepCount();
    QElapsedTimer since;
    since.start();
    pullTheCable();
    const qint64 ms = waitForTheErrorPath(beeps, since);
    EXPECT_TRUE(QTest::qWaitFor([&] { return comLost; }, kEndsWithinMs));
    const qint64 comMs = since.elapsed();
    std::printf("[ measure  ] the guest's game ended %lld ms after its host's cable was pulled; the computer player's "
                "connection was lost %lld ms after\n", ms, comMs);
    expectTheProgramGoesOn();

    // A join started during the cut fails as a refused one would.
    const int beepsBeforeJoin = fw::BeepCount();
    QElapsedTimer join;
    join.start();
    twin().LaunchConnexion(peerAddress());
    ASSERT_TRUE(fw::Exists<class wnd::waitconnect>());
    EXPECT_TRUE(QTest::qWaitFor([&] { return errorPathTaken(beepsBeforeJoin); }, kEndsWithinMs));
    std::printf("[ measure  ] a join during the cut failed after %lld ms\n", join.elapsed());
    expectTheProgramGoesOn();
}

}  // namespace
