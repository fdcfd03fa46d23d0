// A seated guest floods the host with chat: 30 frames as long as a frame can be, then 3000 short
// ones. The application runs as main() runs it (its event loop, its signal handling), hosting
// the game on 127.0.0.1:1234; afterwards it still answers a list request and a move at once,
// and a SIGTERM still ends it at once, with its chat log bounded and its newest line in view.
#include "framework/socket.h"
#include "net/client.h"
#include "net/framecodec.h"
#include "net/twin.h"
#include "peer.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "sprites/kxmap.h"
#include "sprites/resources.h"
#include "windows/game.h"
#include "windows/outilcontain.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

#include <csignal>
#include <cstdio>

namespace {

// Far above what the program needs; it only tells a slow answer from none at all. The
// measured times are printed.
constexpr int kAnswerMs = 5000;

// A frame from participant 1 to the host.
QByteArray toHost(const QString& payload) { return net::MakeFrame(1, net::kTagToId + net::Pad5(0) + payload); }

qint64 waitMs(const std::function<bool()>& done) {
    QElapsedTimer t;
    t.start();
    if (!QTest::qWaitFor(done, kAnswerMs)) return -1;
    return t.elapsed();
}

struct Outcome {
    QElapsedTimer sinceSigterm;
};

void flood() {
    twin().LaunchServer(-1);
    RawPeer peer;
    ASSERT_TRUE(peer.connected());
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.got.contains("TCOL-1"); }, kAnswerMs));
    peer.write(toHost(QStringLiteral("ISOK")));
    ASSERT_TRUE(QTest::qWaitFor([] { return fw::Exists<class wnd::game>() && game().moutil(); }, kAnswerMs));
    OutilContain& panel = *game().moutil();
    QTRY_VERIFY_WITH_TIMEOUT(panel.isVisible(), kAnswerMs);

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
    const qint64 listMs = waitMs([&] { return peer.got.contains("[SRLISTI]0|1|"); });
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

TEST(ChatFlood, TheHostStaysResponsiveAndQuitsAtSigterm) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    {
        Preferences p;
        p.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(false));
        p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        p.SetItem(QStringLiteral("clickForJeton"), fw::Variant(true));
        ASSERT_TRUE(p.SavePrefs());
    }
    fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));

    // As main() makes it.
    auto* app = new shell::App();
    app->AtFinalise(ReleaseResources);
    app->SetMenuBar(&shell::TheMenu());
    app->Register();
    shell::AddApplicationMenuHandlers(*app);
    Outcome outcome;
    // Two turns of the loop: the application's Open event runs first.
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [&] {
            flood();
            outcome.sinceSigterm.start();
            ::raise(SIGTERM);
        });
    });
    const int status = app->Run();
    const qint64 quitMs = outcome.sinceSigterm.elapsed();
    app->Finalise();
    shell::ReleaseMenu();
    delete app;

    EXPECT_EQ(status, 0);
    EXPECT_LT(quitMs, kAnswerMs);
    std::printf("quit %lld ms after SIGTERM\n", static_cast<long long>(quitMs));
    // The normal quit wrote the file.
    Preferences written;
    ASSERT_TRUE(written.LoadPrefs());
    EXPECT_TRUE(written.HasKey(QStringLiteral("difficulty")));
}

}  // namespace
