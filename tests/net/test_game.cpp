// Whole games over real sockets: against the computer over 127.0.0.1:1234, and a guest that
// joins a host on 127.0.0.2; failures beep and close the game's windows.
#include "fake_bonjour.h"
#include "framework/sound.h"
#include "game/ia.h"
#include "game/iaclassengine.h"
#include "net/client.h"
#include "net/serveur.h"
#include "net/showcolor.h"
#include "net/twin.h"
#include "net/waitconnect.h"
#include "netfixture.h"
#include "peer.h"
#include "sprites/kxmap.h"
#include "windows/game.h"
#include "windows/outilcontain.h"
#include "eventually.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTcpServer>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int kWait = kEventuallyMs;

KxMap& board() { return *game().KxGrid; }

bool settled(KxMap& b) { return !(b.animTomberInst && b.animTomberInst->IsRunning()); }

std::int32_t tokens(const KxMapGest& g) {
    std::int32_t n = 0;
    for (int c = 0; c < 7; ++c) n += g.CountJeton(c);
    return n;
}

// The host's own moves, chosen by a strong player so that the game is won.
std::int32_t chooseColumn(const KxMap& b) {
    IAClassEngine oracle;
    std::int32_t chosen = -1;
    oracle.SetHost(IAEngineHost{[&](const std::string& m) {
                                    if (m.rfind("IPLA", 0) == 0) chosen = std::stoi(m.substr(4));
                                },
                                [] { return false; }, [] { return false; }});
    oracle.SetColor(b.CouleurAdv, true);
    oracle.SetColor(b.CouleurSelf, false);
    oracle.Level = 3;
    oracle.SetGrid(b.gameMap);
    if (tokens(b.gameMap) == 0) return 3;
    oracle.IAMotor();
    return chosen;
}

void click(std::int32_t column) { QTest::mouseClick(game().KxGrid, Qt::LeftButton, {}, QPoint(75 + 70 * column + 35, 200)); }

// Plays the host's side to the end; answers whether the host won.
bool playToTheEnd() {
    while (true) {
        KxMap& b = board();
        EXPECT_TRUE(QTest::qWaitFor([&] { return settled(b) && (b.GameMain || b.EndedGame); }, kWait));
        if (b.EndedGame) break;
        const std::int32_t before = tokens(b.gameMap);
        click(chooseColumn(b));
        // The move went out, and the computer's answer came back and landed (or the game ended).
        EXPECT_TRUE(QTest::qWaitFor([&] { return settled(b) && (b.EndedGame || (b.GameMain && tokens(b.gameMap) == before + 2)); }, kWait));
        if (::testing::Test::HasFailure()) return false;
        // Both boards hold the same game.
        EXPECT_TRUE(QTest::qWaitFor([&] { return tokens(ia().IAEngine->Grid()) == tokens(b.gameMap); }, kWait));
        for (int c = 0; c < 7; ++c)
            for (int r = 0; r <= 6; ++r) EXPECT_EQ(ia().IAEngine->Grid().GetStructValue(c, r), b.gameMap.GetStructValue(c, r));
    }
    bool found = false;
    std::int32_t colour = 0;
    board().gameMap.HaveWinner(found, colour);
    return found && colour == board().CouleurSelf;
}

net::Client& comIA() { return *ia().Control<wnd::ComIA>(QStringLiteral("ComIA")); }

// A game against the computer, up to the host's game window in mode "serveur".
void startAgainstComputer(std::int32_t colour) {
    // As the application's opening does it.
    ia().SetVisible(false);
    twin().LaunchServer(colour);
    comIA().Launch(net::kGamePort, QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(fw::Exists<class wnd::waitconnect>());
    EXPECT_EQ(waitconnect().Status(), QStringLiteral("Attente d'une connexion ..."));
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<class wnd::game>() && game().type == QLatin1String("serveur"); }, kWait));
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_EQ(ia().IAEngine->GetCouleurIA(), -colour);
    EXPECT_EQ(board().CouleurSelf, colour);
    // The publication stopped once the guest came.
    EXPECT_FALSE(FakeBonjour::Of(twin().Bonjour1)->published);
}

class NetGame : public NetApp {
protected:
    UseFakeBonjour fakeBonjour;
};

}  // namespace

TEST_F(NetGame, AgainstTheComputerFromHandshakeToAWinWithChatAndNewGames) {
    ShowWatch watch;
    startAgainstComputer(-1);
    ASSERT_FALSE(HasFailure());
    EXPECT_FALSE(ia().isVisible());
    EXPECT_FALSE(watch.shown.contains(QStringLiteral("wnd::showcolor")));  // the host learns no colour

    // Chat: the computer answers a line.
    twin().SendMessage(QStringLiteral("<serveur>bonjour"));
    EXPECT_TRUE(QTest::qWaitFor([] { return game().moutil()->ChatLog().contains(QStringLiteral("<IA>")); }, kWait));

    bool won = false;
    for (int g = 0; g < 3 && !won && !HasFailure(); ++g) {
        if (g > 0) {
            // The host's new-game button restarts both sides.
            game().moutil()->PushButton1_Action();
            EXPECT_EQ(tokens(board().gameMap), 0);
            EXPECT_TRUE(QTest::qWaitFor([] { return tokens(ia().IAEngine->Grid()) == 0 && !ia().IAEngine->IsEndedGame(); }, kWait));
        }
        won = playToTheEnd();
    }
    EXPECT_TRUE(won);
    EXPECT_TRUE(board().EndedGame);
    EXPECT_EQ(twin().connectServ->Sockets().size(), 2u);  // the guest and a listener
}

TEST_F(NetGame, AThirdConnectionDuringAGameIsClosedAndChangesNothing) {
    startAgainstComputer(1);
    ASSERT_FALSE(HasFailure());
    wnd::game* before = &game();
    const int beeps = fw::BeepCount();
    for (int i = 0; i < 2; ++i) {
        RawPeer stranger;
        ASSERT_TRUE(stranger.connected());
        EXPECT_TRUE(stranger.waitClosed());
        EXPECT_TRUE(stranger.got.isEmpty());
    }
    QTest::qWait(20);
    EXPECT_EQ(&game(), before);
    EXPECT_EQ(fw::BeepCount(), beeps);
    // The game goes on: a move is answered.
    click(3);
    EXPECT_TRUE(QTest::qWaitFor([] { return settled(board()) && board().GameMain && tokens(board().gameMap) == 2; }, kWait));
}

TEST_F(NetGame, LosingTheComputerPlayerBeepsAndClosesTheGame) {
    startAgainstComputer(-1);
    ASSERT_FALSE(HasFailure());
    const int beeps = fw::BeepCount();
    comIA().Close();
    EXPECT_TRUE(QTest::qWaitFor([] { return !fw::Exists<class wnd::game>(); }, kWait));
    EXPECT_EQ(fw::BeepCount(), beeps + 1);
    EXPECT_TRUE(twin().connectServ->Sockets().empty());
    EXPECT_FALSE(app->isOpenedGame);
    // The program goes on: a new game starts as before.
    startAgainstComputer(-1);
}

// Resident memory of this process, the program's windows and sockets included.
qint64 residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

TEST_F(NetGame, AGuestThatSendsAndNeverReadsIsDroppedAsALostPeer) {
    twin().LaunchServer(-1);
    // A plain socket that is never read, with the smallest receive window the system grants.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    const int small = 4096;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(1234);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    auto send = [fd](const QByteArray& b, qsizetype& at) {
        while (at < b.size()) {
            const ssize_t n = ::send(fd, b.constData() + at, size_t(b.size() - at), MSG_NOSIGNAL);
            if (n <= 0) return;
            at += n;
        }
    };
    ASSERT_TRUE(QTest::qWaitFor([] { return twin().connectServ->Sockets().size() == 2; }, kWait));
    QByteArray isok = net::MakeFrame(1, net::kTagToId + net::Pad5(0) + QStringLiteral("ISOK"));
    qsizetype at = 0;
    send(isok, at);
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<class wnd::game>(); }, kWait));

    // Chat lines to everyone come back to the sender too, who lets them pile up.
    const QByteArray line = net::MakeFrame(1, net::kTagToAll + QStringLiteral("MESS<client>") + QString(900000, QLatin1Char('x')));
    const int beeps = fw::BeepCount();
    QTest::qWait(50);
    const qint64 before = residentBytes();
    qint64 most = before;
    QElapsedTimer t;
    t.start();
    int frames = 0;
    at = 0;
    while (fw::BeepCount() == beeps && t.elapsed() < 30000 && most - before < 512 * 1024 * 1024) {
        send(line, at);
        if (at == line.size()) {
            at = 0;
            ++frames;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        most = std::max(most, residentBytes());
    }
    ::close(fd);
    std::printf("%d frames sent in %lld ms; memory grew by %lld MiB at most\n", frames,
                static_cast<long long>(t.elapsed()), static_cast<long long>((most - before) >> 20));
    EXPECT_EQ(fw::BeepCount(), beeps + 1);
#ifndef __SANITIZE_ADDRESS__
    // (AddressSanitizer holds freed memory back for a while, so the bound holds in plain builds.)
    EXPECT_LT(most - before, 48 * 1024 * 1024);
#endif
    // As for a lost peer: the game's windows close and the relay lets the guest go.
    EXPECT_TRUE(QTest::qWaitFor([] { return !fw::Exists<class wnd::game>(); }, kWait));
    EXPECT_TRUE(twin().connectServ->Sockets().empty());
    // The program goes on: the next game starts as ever.
    startAgainstComputer(-1);
}

TEST_F(NetGame, PortInUseBeepsAndClosesTheWindowsWithoutShowingThem) {
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress(QStringLiteral("127.0.0.1")), 1234));
    ShowWatch watch;
    const int beeps = fw::BeepCount();
    twin().LaunchServer(-1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return fw::BeepCount() == beeps + 1; }, kWait));
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_FALSE(fw::Exists<class wnd::game>());
    EXPECT_FALSE(fw::Exists<class wnd::showcolor>());
    EXPECT_FALSE(watch.shown.contains(QStringLiteral("wnd::game")));
    EXPECT_FALSE(watch.shown.contains(QStringLiteral("wnd::showcolor")));
    EXPECT_TRUE(twin().connectServ->Sockets().empty());
}

TEST_F(NetGame, RefusedJoinBeepsAndClosesTheWindows) {
    ShowWatch watch;
    const int beeps = fw::BeepCount();
    twin().LaunchConnexion(QStringLiteral("127.0.0.2"));
    ASSERT_TRUE(fw::Exists<class wnd::waitconnect>());
    EXPECT_EQ(waitconnect().Status(), QStringLiteral("Connexion en cours..."));
    EXPECT_TRUE(QTest::qWaitFor([&] { return fw::BeepCount() == beeps + 1; }, kWait));
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_FALSE(fw::Exists<class wnd::game>());
    EXPECT_FALSE(watch.shown.contains(QStringLiteral("wnd::game")));
}

TEST_F(NetGame, AGuestOn127002JoinsAHostAndPlaysItsRole) {
    HostAt127002 host;
    twin().LaunchConnexion(QStringLiteral("127.0.0.2"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.received.contains(QStringLiteral("ISOK")); }, kWait));
    ASSERT_TRUE(fw::Exists<class wnd::game>());
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_EQ(game().type, QStringLiteral("client"));
    EXPECT_EQ(board().CouleurSelf, -1);
    ASSERT_TRUE(fw::Exists<class wnd::showcolor>());
    // The host took blue, which leaves yellow.
    EXPECT_EQ(showcolor().StaticText2->text(), QStringLiteral("Bleu"));
    EXPECT_EQ(showcolor().StaticText4->text(), QStringLiteral("Jaune"));

    struct Step {
        const char* message;
        std::function<bool()> done;  // what the guest shows once it has acted
    };
    const std::vector<Step> steps = {
        // Moves of the wrong colour or out of range are not played; the host's own is.
        {"IPLA3#-1", [] { return tokens(board().gameMap) == 0; }},
        {"IPLA9#1", [] { return tokens(board().gameMap) == 0; }},
        {"IPLA3#1", [] { return settled(board()) && board().gameMap.CountJeton(3) == 1 && board().GameMain; }},
        {"MESS<serveur>salut \u00e9t\u00e9", [] { return game().moutil()->ChatLog().endsWith(QStringLiteral("<serveur>salut \u00e9t\u00e9\r")); }},
        // A host's "ISOK" means nothing to a guest.
        {"ISOK", [] { return game().type == QLatin1String("client"); }},
        {"NEWG", [] { return tokens(board().gameMap) == 0 && !board().GameMain; }},
    };
    for (const Step& s : steps) {
        host.Send(QString::fromUtf8(s.message), false, 1);
        EXPECT_TRUE(QTest::qWaitFor(s.done, kWait)) << s.message;
    }

    // The host leaves: the guest beeps and closes its windows.
    const int beeps = fw::BeepCount();
    host.Close();
    EXPECT_TRUE(QTest::qWaitFor([] { return !fw::Exists<class wnd::game>(); }, kWait));
    EXPECT_EQ(fw::BeepCount(), beeps + 1);
    EXPECT_FALSE(fw::Exists<class wnd::showcolor>());
}
