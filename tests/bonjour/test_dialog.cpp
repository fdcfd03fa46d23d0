// The new-game dialog over the real plug-in and a daemon of the test's own: it lists the games
// announced on the network, names them once resolved and drops them when they go; a guest picks
// one, presses Ok and plays the game hosted at its address on port 1234 (never the announced
// port); and the dialog survives being opened and closed while games come and go.
#include "framework/bonjour.h"
#include "framework/buttons.h"
#include "framework/listbox.h"
#include "framework/pluginhost.h"
#include "net/twin.h"
#include "sprites/kxmap.h"
#include "windows/butonsokcancel.h"
#include "windows/game.h"
#include "windows/newgame.h"
#include "announced.h"
#include "qstring_print.h"
#include "../net/netfixture.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QHostInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

namespace {

constexpr int kWait = kEventuallyMs;
const QString kWaiting = QStringLiteral("En attente d'informations...");

class DialogOverAvahi : public NetApp, public GameList {
protected:
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("QUORRIL_AVAHI_CTL")) GTEST_SKIP() << "run through tests/support/with-avahi.sh";
        ASSERT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
        NetApp::SetUp();
    }
};

TEST_F(DialogOverAvahi, ListsAnAnnouncedGameByItsNameAndDropsItsRowWhenItGoes) {
    EXPECT_EQ(dialog().RadioButton3->Caption(), QStringLiteral("Via Bonjour"));
    click(dialog().GameStyle[1]);  // « Réseau », « Client » chosen: the list shows

    {
        Announce zoe(Announce::Game(QStringLiteral("Partie de Zoé")));
        ASSERT_TRUE(QTest::qWaitFor([] { return rows() == QStringList{QStringLiteral("Partie de Zoé")}; }, kWait)) << rows().join('|').toStdString();
        // A game whose host has no address is listed, and stays waiting for its details.
        Announce ghost({QStringLiteral("-H"), QStringLiteral("absent.local"), QStringLiteral("Fantome"), QStringLiteral("_servquorril._tcp"),
                        QStringLiteral("4000")});
        ASSERT_TRUE(QTest::qWaitFor([] { return list().ListCount() == 2; }, kWait));
        QTest::qWait(6000);  // past the 5.0 s its resolution is given
        EXPECT_EQ(rows(), (QStringList{QStringLiteral("Partie de Zoé"), kWaiting}));
        // Picking it leaves the guest's Ok disabled: there is no address to join.
        clickRow(1);
        EXPECT_FALSE(dialog().ButonsOkCancel2->PushButton1->isEnabled());
    }
    // Both went: their rows go too.
    EXPECT_TRUE(QTest::qWaitFor([] { return list().ListCount() == 0; }, kWait)) << rows().join('|').toStdString();
}

TEST_F(DialogOverAvahi, AGuestPicksTheRowPressesOkAndPlaysTheGameHostedThere) {
    // The host, at 127.0.0.2: the game on port 1234, and its announcement as the hub makes it,
    // under the machine's name, on another port that nobody may dial.
    HostAt127002 host;
    QTcpServer announcedPort;
    ASSERT_TRUE(announcedPort.listen(QHostAddress(QStringLiteral("127.0.0.2")), 4321));
    int dialled = 0;
    QObject::connect(&announcedPort, &QTcpServer::newConnection, [&] { ++dialled; });
    fw::Bonjour announce;
    announce.Publishing_StartPort(net::kServiceType, QString(), {}, 4321);

    click(dialog().GameStyle[1]);
    const QString machine = QHostInfo::localHostName().section(QLatin1Char('.'), 0, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rows() == QStringList{machine}; }, kWait)) << rows().join('|').toStdString();
    clickRow(0);
    // Ok is pressed only for the loopback address the row stands for.
    ASSERT_EQ(dialog().choosen_ip, QStringLiteral("127.0.0.2"));
    ASSERT_TRUE(dialog().ButonsOkCancel2->PushButton1->isEnabled());
    click(dialog().ButonsOkCancel2->PushButton1);

    // The handshake: the dialog closes, the guest plays blue's opponent, yellow.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.received.contains(QStringLiteral("ISOK")); }, kWait));
    EXPECT_TRUE(QTest::qWaitFor([] { return !fw::Exists<wnd::newgame>(); }, kWait));
    ASSERT_TRUE(fw::Exists<wnd::game>());
    EXPECT_EQ(game().type, QStringLiteral("client"));
    KxMap& board = *game().KxGrid;
    EXPECT_EQ(board.CouleurSelf, -1);

    // The host moves first; the guest answers with a click on a column.
    host.Send(QStringLiteral("IPLA3#1"), false, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.gameMap.CountJeton(3) == 1 && board.GameMain; }, kWait));
    QTest::mouseClick(&board, Qt::LeftButton, {}, QPoint(75 + 70 * 4 + 35, 200));
    EXPECT_TRUE(QTest::qWaitFor([&] { return host.received.contains(QStringLiteral("IPLA4#-1")); }, kWait)) << host.received.join('|').toStdString();
    host.Send(QStringLiteral("IPLA3#1"), false, 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return board.gameMap.CountJeton(3) == 2 && board.GameMain; }, kWait));
    EXPECT_EQ(dialled, 0);
}

TEST_F(DialogOverAvahi, WithoutTheDaemonBonjourReadsUnavailableAndTheListFillsOnceItIsBack) {
    ASSERT_EQ(QProcess::execute(qEnvironmentVariable("QUORRIL_AVAHI_CTL"), {QStringLiteral("stop")}), 0);
    EXPECT_EQ(dialog().RadioButton3->Caption(), QStringLiteral("Via Bonjour (Non disponible sur cet ordinateur)"));
    click(dialog().GameStyle[1]);
    EXPECT_EQ(list().ListCount(), 0);
    // The daemon comes back while the dialog is open: the search it started goes on from there.
    ASSERT_EQ(QProcess::execute(qEnvironmentVariable("QUORRIL_AVAHI_CTL"), {QStringLiteral("start")}), 0);
    Announce late(Announce::Game(QStringLiteral("Partie tardive")));
    EXPECT_TRUE(QTest::qWaitFor([] { return rows() == QStringList{QStringLiteral("Partie tardive")}; }, kWait)) << rows().join('|').toStdString();
    // The next dialog finds Bonjour available again.
    fw::CloseInstance<wnd::newgame>();
    QTest::qWait(1);
    EXPECT_EQ(dialog().RadioButton3->Caption(), QStringLiteral("Via Bonjour"));
}

TEST_F(DialogOverAvahi, SurvivesFiftyOpeningsAndClosingsWhileGamesComeAndGo) {
    QProcess churn;
    churn.start(QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("i=0; while :; do i=$((i+1)); avahi-publish -s \"Partie $i\" _servquorril._tcp 4000 & "
                                                                            "p=$!; sleep 0.7; kill $p; sleep 0.1; done")});
    ASSERT_TRUE(churn.waitForStarted());
    int listed = 0;
    for (int round = 0; round < 50; ++round) {
        dialog();
        if (round % 2) click(dialog().GameStyle[1]);
        QTest::qWait(round % 5 == 0 ? 400 : 30);
        listed += list().ListCount();
        fw::CloseInstance<wnd::newgame>();
        QTest::qWait(round % 7 == 0 ? 0 : 5);
    }
    churn.kill();
    churn.waitForFinished();
    QTest::qWait(50);
    EXPECT_GT(listed, 0);
}

}  // namespace
