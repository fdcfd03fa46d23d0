// A network game whose link goes silent: the other machine's cable is pulled (its end of the link
// goes down: nothing says goodbye, every segment is lost). The program, as the host and as the
// guest, and the computer player's own connection, learn it within the bound and end the game
// through the hub's error path; the program goes on. A link that lives stays up however long the
// game waits, and a join to a host that answers nothing (its firewall drops the attempts while the
// link is up) fails the same way, within the connection bound.
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

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkInterface>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTest>

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace {

// Room for a busy machine between the moment the system ends a connection and the error path
// taken on screen: the kernel's timers are exact, the event loop may run late under load.
constexpr int kBusyMarginMs = 5000;
// How long a silent link may take to end the game: the socket's bound (the system ends the
// connection that long after its peer last answered), and the margin.
constexpr int kEndsWithinMs = fw::TCPSocket::kSilentPeerMs + kBusyMarginMs;
// How long an unanswered join may take to fail: the connection-attempt bound, and the margin.
constexpr int kJoinEndsWithinMs = fw::TCPSocket::kConnectMs + kBusyMarginMs;

QString peerAddress() { return QString::fromLocal8Bit(qgetenv("QUORRIL_PEER_ADDRESS")); }

// Runs a command on the other machine (in its network); its exit status, and what it wrote.
int onThePeerMachine(const QStringList& command, QByteArray* output = nullptr) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral("nsenter"), QStringList{QStringLiteral("--net=") + QString::fromLocal8Bit(qgetenv("QUORRIL_PEER_NETNS"))} + command);
    if (!p.waitForFinished(kEventuallyMs)) return -1;
    if (output) *output = p.readAllStandardOutput();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The other machine's cable is pulled: its end of the link goes down, and ours hears nothing more.
void pullTheCable() {
    ASSERT_EQ(onThePeerMachine({QStringLiteral("ip"), QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("quorril1"), QStringLiteral("down")}), 0);
}
void plugTheCableBackIn() {
    ASSERT_EQ(onThePeerMachine({QStringLiteral("ip"), QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("quorril1"), QStringLiteral("up")}), 0);
}

// The other machine's firewall drops every connection attempt to the game port, without a word
// back (no reset, no unreachable): only the program's own bound can end such an attempt. The
// attempts dropped are counted.
const QString kFirewall = QStringLiteral(
    "table inet quorril_peer {\n"
    "  counter unanswered { }\n"
    "  chain input {\n"
    "    type filter hook input priority 0; policy accept;\n"
    "    tcp dport 1234 tcp flags & (syn | ack) == syn counter name unanswered drop\n"
    "  }\n"
    "}\n");
void dropTheAttemptsToTheGamePort() {
    QTemporaryFile rules;
    ASSERT_TRUE(rules.open());
    rules.write(kFirewall.toUtf8());
    rules.flush();
    ASSERT_EQ(onThePeerMachine({QStringLiteral("nft"), QStringLiteral("-f"), rules.fileName()}), 0) << "nft cannot set the other machine's firewall";
}
// How many connection attempts the other machine dropped; -1 when it cannot be read.
int attemptsDropped() {
    QByteArray out;
    if (onThePeerMachine({QStringLiteral("nft"), QStringLiteral("list"), QStringLiteral("counter"), QStringLiteral("inet"), QStringLiteral("quorril_peer"),
                          QStringLiteral("unanswered")}, &out) != 0)
        return -1;
    static const QRegularExpression packets(QStringLiteral("packets (\\d+)"));
    const auto m = packets.match(QString::fromUtf8(out));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// What the system says of this machine's connections on port 1234 that this program holds: for
// each, how long ago data last came and how long ago anything (data or an answer to a probe) was
// last acknowledged, ms. The connections are this network's established ones (the thread's
// /proc/net tables), read through the program's own descriptors (TCP_INFO): no other process.
struct Quiet {
    qint64 lastData = -1, lastAck = -1;
};
std::set<QByteArray> establishedOnTheGamePort() {
    std::set<QByteArray> inodes;
    for (const char* table : {"/proc/thread-self/net/tcp", "/proc/thread-self/net/tcp6"}) {
        QFile f(QString::fromLatin1(table));
        if (!f.open(QIODevice::ReadOnly)) continue;
        f.readLine();  // the heading
        // sl local_address rem_address st tx_queue:rx_queue tr:tm->when retrnsmt uid timeout inode ...
        for (QByteArray line = f.readLine(); !line.isEmpty(); line = f.readLine()) {
            const QList<QByteArray> field = line.simplified().split(' ');
            if (field.size() < 10 || field[3] != "01") continue;  // 01: established
            auto port = [](const QByteArray& address) { return address.mid(address.indexOf(':') + 1).toInt(nullptr, 16); };
            if (port(field[1]) == 1234 || port(field[2]) == 1234) inodes.insert(field[9]);
        }
    }
    return inodes;
}
std::vector<Quiet> connectionsOnTheGamePort() {
    const std::set<QByteArray> inodes = establishedOnTheGamePort();
    std::vector<Quiet> out;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& name : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        char target[64];
        const ssize_t n = ::readlink(QFile::encodeName(fds.filePath(name)).constData(), target, sizeof target);
        // A socket's link reads "socket:[INODE]".
        const QByteArray link(target, n > 0 ? int(n) : 0);
        if (!link.startsWith("socket:[") || !inodes.count(link.mid(8, link.size() - 9))) continue;
        tcp_info info{};
        socklen_t size = sizeof info;
        if (::getsockopt(name.toInt(), IPPROTO_TCP, TCP_INFO, &info, &size) != 0) continue;
        out.push_back({qint64(info.tcpi_last_data_recv), qint64(info.tcpi_last_ack_recv)});
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
    // Waits for what is checked until the bound, counted from since, has passed; says how long
    // it took.
    static qint64 waitWithin(const std::function<bool()>& came, const QElapsedTimer& since, qint64 boundMs, const char* what) {
        EXPECT_TRUE(QTest::qWaitFor(came, int(std::max<qint64>(0, boundMs - since.elapsed()))))
            << what << ": still nothing after " << since.elapsed() << " ms (bound " << boundMs << " ms)";
        return since.elapsed();
    }
    // Waits for the error path, and says how long it took since the cut.
    qint64 waitForTheErrorPath(int beepsBefore, const QElapsedTimer& since) {
        return waitWithin([&] { return errorPathTaken(beepsBefore); }, since, kEndsWithinMs, "the error path");
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
    // (The times move by seconds: a look every quarter of a second is plenty.)
    QElapsedTimer looked;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (looked.isValid() && looked.elapsed() < 250) return false;
        looked.start();
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
    const qint64 comMs = waitWithin([&] { return comLost; }, since, kEndsWithinMs, "the computer player's connection");
    std::printf("[ measure  ] the guest's game ended %lld ms after its host's cable was pulled; the computer player's "
                "connection was lost %lld ms after\n", ms, comMs);
    expectTheProgramGoesOn();

    // A join while the other machine answers nothing: its cable is back, but its firewall drops
    // every attempt without a word. Only the program's own bound ends the attempt (the system's
    // retries would go on for minutes), and the join fails as a refused one would.
    dropTheAttemptsToTheGamePort();
    plugTheCableBackIn();
    ASSERT_EVENTUALLY(QNetworkInterface::interfaceFromName(QStringLiteral("quorril0")).flags().testFlag(QNetworkInterface::IsRunning));
    const int beepsBeforeJoin = fw::BeepCount();
    QElapsedTimer join;
    join.start();
    twin().LaunchConnexion(peerAddress());
    ASSERT_TRUE(fw::Exists<class wnd::waitconnect>());
    const qint64 joinMs = waitWithin([&] { return errorPathTaken(beepsBeforeJoin); }, join, kJoinEndsWithinMs, "the join");
    std::printf("[ measure  ] a join the other machine never answered failed after %lld ms\n", joinMs);
    // The attempt reached the other machine and went unanswered, and was given its whole time
    // (a coarse timer may fire a little early).
    EXPECT_GT(attemptsDropped(), 0) << "no attempt reached the other machine's firewall";
    EXPECT_GE(joinMs, fw::TCPSocket::kConnectMs * 95 / 100) << "the join was given up before its bound";
    expectTheProgramGoesOn();
}

}  // namespace
