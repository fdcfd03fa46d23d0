// A seated guest floods the host with chat: 30 frames as long as a frame can be, then 3000 short
// ones. The application runs as main() runs it (its event loop, its signal handling), hosting
// the game on 127.0.0.1:1234; afterwards it still answers a list request and a move at once,
// and a SIGTERM still ends it at once, with its chat log bounded and its newest line in view.
// Then a burst of 100 000 lines of 300 characters in one write: the program's loop keeps turning
// while it reads them, a few hundred lines a turn, and the log ends with the burst's last lines.
#include "framework/socket.h"
#include "net/client.h"
#include "net/framecodec.h"
#include "net/twin.h"
#include "peer.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "sprites/kxmap.h"
#include "windows/game.h"
#include "windows/outilcontain.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>

namespace {

// Far above what the program needs; it only tells a slow answer from none at all. The
// measured times are printed.
constexpr int kAnswerMs = 5000;
// What the system still holds of a flood when the peer has handed it over is read a slice per
// turn of the loop, and the test's own waiting sleeps between turns: the answer after a flood
// takes longer here than under the program's own loop (bench/chatflood measures that one).
constexpr int kAfterFloodMs = kEventuallyMs;

// A frame from participant 1 to the host.
QByteArray toHost(const QString& payload) { return net::MakeFrame(1, net::kTagToId + net::Pad5(0) + payload); }

qint64 waitMs(const std::function<bool()>& done, int ceilingMs = kAnswerMs) {
    QElapsedTimer t;
    t.start();
    if (!QTest::qWaitFor(done, ceilingMs)) return -1;
    return t.elapsed();
}

struct Outcome {
    QElapsedTimer sinceSigterm;
};

// The guest takes its seat at the host's game; the drawer with the chat log shows.
void seat(RawPeer& peer) {
    twin().LaunchServer(-1);
    ASSERT_TRUE(peer.connected());
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.got.contains("TCOL-1"); }, kEventuallyMs));
    peer.write(toHost(QStringLiteral("ISOK")));
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<class wnd::game>() && game().moutil(); }, kEventuallyMs));
    ASSERT_EVENTUALLY(game().moutil()->isVisible());
}

void flood() {
    RawPeer peer;
    ASSERT_NO_FATAL_FAILURE(seat(peer));
    OutilContain& panel = *game().moutil();

    // Each long frame fills its six-digit length: the sender's 5 digits and a body of 999994.
    const QString head = net::kTagToId + net::Pad5(0) + QStringLiteral("MESS<client>");
    const QByteArray longFrame = toHost(QStringLiteral("MESS<client>") + QString(999994 - head.size(), QLatin1Char('x')));
    ASSERT_EQ(longFrame.size(), 6 + 999999);
    QElapsedTimer sending;
    sending.start();
    for (int i = 0; i < 30; ++i) peer.s->write(longFrame);
    for (int i = 0; i < 3000; ++i) peer.s->write(toHost(QStringLiteral("MESS<client>court %1").arg(i)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.s->bytesToWrite() == 0; }, 120000));
    std::printf("flood handed to the system in %lld ms\n", static_cast<long long>(sending.elapsed()));

    // A list request is answered at once.
    peer.got.clear();
    peer.write(net::MakeFrame(1, net::kTagList));
    const qint64 listMs = waitMs([&] { return peer.got.contains("[SRLISTI]0|1|"); }, kAfterFloodMs);
    EXPECT_GE(listMs, 0) << "no answer to the list request";
    std::printf("list answered after %lld ms\n", static_cast<long long>(listMs));
    EXPECT_TRUE(panel.ChatLog().endsWith(QStringLiteral("<client>court 2999\r")));

    // So is a move: the host's own goes out, the guest's lands.
    KxMap& board = *game().KxGrid;
    ASSERT_TRUE(board.GameMain);
    QTest::mouseClick(&board, Qt::LeftButton, {}, QPoint(75 + 70 * 3 + 35, 200));
    const qint64 ownMs = waitMs([&] { return peer.got.contains("IPLA3#-1"); });
    EXPECT_GE(ownMs, 0) << "the host's move did not go out";
    peer.write(toHost(QStringLiteral("IPLA4#1")));
    const qint64 theirsMs = waitMs([&] {
        return board.gameMap.CountJeton(4) == 1 && !board.animTomberInst->IsRunning() && board.GameMain;
    });
    EXPECT_GE(theirsMs, 0) << "the guest's move did not land";
    std::printf("host's move out after %lld ms (a fall included), guest's move landed after %lld ms\n",
                static_cast<long long>(ownMs), static_cast<long long>(theirsMs));

    // The log holds its bound and shows its newest line.
    const QString log = panel.ChatLog();
    EXPECT_LE(log.count(QChar(13)), OutilContain::kMaxLogLines);
    EXPECT_LE(log.size(), OutilContain::kMaxLogChars + OutilContain::kMaxLogLines);
    auto* view = panel.findChild<QPlainTextEdit*>(QStringLiteral("EditField1"));
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_EQ(view->cursorForPosition(QPoint(4, view->viewport()->height() - 4)).block().text(),
              QStringLiteral("<client>court 2999"));
}

// One chat line of the burst: 300 characters that carry its number.
QString burstLine(int i) {
    QString line = QStringLiteral("<client>%1 ").arg(i, 6, 10, QLatin1Char('0'));
    return line + QString(300 - line.size(), QLatin1Char('x'));
}

// The number of the newest burst line in the log; -1 before the first.
int newestBurstLine(const OutilContain& panel) {
    const QString log = panel.ChatLog();
    const qsizetype start = log.lastIndexOf(QChar(13), -2) + 1;
    if (log.mid(start, 8) != QLatin1String("<client>")) return -1;
    bool ok = false;
    const int n = log.mid(start + 8, 6).toInt(&ok);
    return ok ? n : -1;
}

void burst() {
    RawPeer peer;
    ASSERT_NO_FATAL_FAILURE(seat(peer));
    OutilContain& panel = *game().moutil();
    constexpr int kLines = 100000;
    QByteArray bytes;
    bytes.reserve(qsizetype(kLines) * 330);
    for (int i = 0; i < kLines; ++i) bytes += toHost(QStringLiteral("MESS") + burstLine(i));
    bytes += net::MakeFrame(1, net::kTagList);

    // At every turn of the loop, how many lines the log took since the turn before.
    int newest = -1, mostInOneTurn = 0, turns = 0;
    QTimer everyTurn;
    everyTurn.setInterval(0);
    QObject::connect(&everyTurn, &QTimer::timeout, [&] {
        const int n = newestBurstLine(panel);
        if (n > newest) {
            mostInOneTurn = std::max(mostInOneTurn, n - newest);
            ++turns;
        }
        newest = n;
    });
    everyTurn.start();
    peer.got.clear();
    peer.s->write(bytes);
    // Far above the time it takes (seconds; a minute under the sanitizers), and far below the
    // runner's own limit, so that a burst that never ends says so: the answer comes after the
    // whole burst, in order.
    constexpr int kBurstMs = 150000;
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.got.contains("[SRLISTI]0|1|"); }, kBurstMs)) << "no answer to the list request";
    everyTurn.stop();
    std::printf("%d turns of the loop took the burst's lines, at most %d lines in one\n", turns, mostInOneTurn);
    // The window had its turns all along: the burst came in slices, never all at once.
    EXPECT_LE(mostInOneTurn, 2000);

    // The log ends with exactly the burst's last lines, in order, within its bounds.
    QStringList expected;
    for (int i = kLines - OutilContain::kMaxLogLines; i < kLines; ++i) expected << burstLine(i);
    EXPECT_EQ(panel.ChatLog(), expected.join(QChar(13)) + QChar(13));
    EXPECT_LE(panel.ChatLog().size(), OutilContain::kMaxLogChars + OutilContain::kMaxLogLines);
    // The view shows them, the newest in view.
    auto* view = panel.findChild<QPlainTextEdit*>(QStringLiteral("EditField1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->document()->lastBlock().text() == expected.last(); }, kEventuallyMs));
    EXPECT_EQ(view->document()->blockCount(), OutilContain::kMaxLogLines);
    EXPECT_EQ(view->document()->firstBlock().text(), expected.first());
    EXPECT_EQ(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    EXPECT_TRUE(view->cursorForPosition(QPoint(4, view->viewport()->height() - 4)).block().text() == expected.last());

    // The guest is still seated: its move lands.
    KxMap& board = *game().KxGrid;
    board.GameMain = false;
    peer.write(toHost(QStringLiteral("IPLA4#1")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return board.gameMap.CountJeton(4) == 1; }, kEventuallyMs));
}

// Runs the application as main() does, with its preferences in config, with body on its loop,
// until a SIGTERM after it (or, where bySignal is false, its own quit: the signal reaches the
// first application of a process only); answers the exit status and the time the quit took.
int runAsMain(const QTemporaryDir& config, const std::function<void()>& body, qint64& quitMs, bool bySignal = true) {
    EXPECT_TRUE(config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    {
        Preferences p;
        p.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(false));
        p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        p.SetItem(QStringLiteral("clickForJeton"), fw::Variant(true));
        EXPECT_TRUE(p.SavePrefs());
    }
    fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));

    // As main() makes it.
    auto* app = new shell::App();
    shell::Prepare(*app);
    Outcome outcome;
    // Two turns of the loop: the application's Open event runs first.
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            body();
            outcome.sinceSigterm.start();
            if (bySignal)
                ::raise(SIGTERM);
            else
                App().Quit();
        });
    });
    const int status = app->Run();
    quitMs = outcome.sinceSigterm.elapsed();
    app->Finalise();
    shell::ReleaseMenu();
    delete app;
    return status;
}

TEST(ChatFlood, TheHostStaysResponsiveAndQuitsAtSigterm) {
    QTemporaryDir config;
    qint64 quitMs = 0;
    const int status = runAsMain(config, flood, quitMs);
    EXPECT_EQ(status, 0);
    EXPECT_LT(quitMs, kAnswerMs);
    std::printf("quit %lld ms after SIGTERM\n", static_cast<long long>(quitMs));
    // The normal quit wrote the file.
    Preferences written;
    ASSERT_TRUE(written.LoadPrefs());
    EXPECT_TRUE(written.HasKey(QStringLiteral("difficulty")));
}

TEST(ChatFlood, ALongBurstComesInSlicesAndTheLogKeepsItsLastLines) {
    QTemporaryDir config;
    qint64 quitMs = 0;
    EXPECT_EQ(runAsMain(config, burst, quitMs, false), 0);
    EXPECT_LT(quitMs, kAnswerMs);
}

}  // namespace
