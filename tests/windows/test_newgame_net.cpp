// The new-game dialog's OK buttons over real sockets on loopback: a game against the computer,
// hosting for a scripted guest, joining a scripted host on 127.0.0.2, the local addresses that
// get a message box, a refused connection, Cancel after hosting, a change of role, and a
// handshake that closes the dialog while its message box waits. Every guest OK here connects to
// 127.0.0.2; the dialog's own "192.168.1.1" is never used.
#include "fake_bonjour.h"
#include "framework/application.h"
#include "framework/buttons.h"
#include "framework/listbox.h"
#include "framework/msgbox.h"
#include "framework/socket.h"
#include "framework/sound.h"
#include "game/ia.h"
#include "net/client.h"
#include "net/serveur.h"
#include "net/twin.h"
#include "net/waitconnect.h"
#include "shell/app.h"
#include "shell/preferences.h"
#include "sprites/kxmap.h"
#include "windows/butonsokcancel.h"
#include "windows/colorchoice.h"
#include "windows/game.h"
#include "windows/newgame.h"

#include "app_fixture.h"
#include "qstring_print.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

constexpr int kWait = kEventuallyMs;
const QString kLocalRefusal = QStringLiteral("Vous ne pouvez pas utiliser une adresse locale à l'ordinateur");

std::int32_t tokens(const KxMap& board) {
    std::int32_t n = 0;
    for (int c = 0; c < 7; ++c) n += board.gameMap.CountJeton(c);
    return n;
}

net::Client& comIA() { return *ia().Control<wnd::ComIA>(QStringLiteral("ComIA")); }

// A guest of the test's own on 127.0.0.1:1234 that answers "ISOK" only when told.
struct ScriptedGuest {
    net::Client client;
    QString tcol;
    ScriptedGuest() {
        client.NewTrame = [this](std::int32_t, std::int32_t, const QString& dir, const QString& text) {
            if (dir == net::kDirDelivered && text.startsWith(QLatin1String("TCOL"))) tcol = text;
        };
        client.Launch(net::kGamePort, QStringLiteral("127.0.0.1"));
    }
    void sendIsok() { client.Send(QStringLiteral("ISOK"), false, 0); }
};

// A host of the test's own on 127.0.0.2:1234 that offers its colour only when told. It speaks the
// relay's frames itself, so that nothing of it listens on the program's own address.
struct ScriptedHost {
    QTcpServer server;
    QPointer<QTcpSocket> peer;
    QByteArray got;
    ScriptedHost() {
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QIODevice::readyRead, [this] { got += peer->readAll(); });
        });
        EXPECT_TRUE(server.listen(QHostAddress(QStringLiteral("127.0.0.2")), quint16(net::kGamePort)));
    }
    bool connected() const { return peer && peer->state() == QAbstractSocket::ConnectedState; }
    void offer(std::int32_t colour) {
        if (peer) peer->write(net::MakeFrame(0, QStringLiteral("TCOL") + QString::number(colour)));
    }
    bool gotIsok() const { return got.contains("ISOK"); }
};

// What the test saw of a message box from inside its loop.
struct Box {
    bool seen = false;
    QString text;
    QWidget* parent = nullptr;
    bool inDialog = false;
};

class NewGameNet : public AppFixture {
protected:
    // The hub's publication and the dialog's search, seen by the test.
    UseFakeBonjour fakeBonjour;

    void SetUp() override {
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
        StartApp();
        store().SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
        store().SetItem(QStringLiteral("sndBruitage"), fw::Variant(false));
        store().SetItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(1)));
        store().SetItem(QStringLiteral("iaMessage"), fw::Variant(false));
        store().SetItem(QStringLiteral("clickForJeton"), fw::Variant(true));
        // The hub lives for the whole run, as the application's opening makes it.
        twin().SetVisible(false);
    }
    void TearDown() override {
        StopApp();
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
    }

    wnd::newgame& dialog() { return newgame(); }
    FakeBonjour& publication() { return *FakeBonjour::Of(twin().Bonjour1); }

    static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center()); }
    static void click(fw::RadioButton* r) { QTest::mouseClick(r, Qt::LeftButton, {}, QPoint(8, r->height() / 2)); }
    static void clickColour(ColorChoice* chooser, int index) { click(chooser->Button(index)); }
    void network(bool host) {
        click(dialog().GameStyle[1]);
        click(dialog().NetMode[host ? 1 : 0]);
    }
    // "Via IP" with the address typed into the field.
    void typeAddress(const QString& address) {
        network(false);
        click(dialog().RadioButton2);
        dialog().CltIP->selectAll();
        QTest::keyClicks(dialog().CltIP, address);
        ASSERT_EQ(dialog().choosen_ip, address);
    }
    // The guest's OK, pressed only for an address on loopback.
    void pressGuestOk() {
        const QString a = dialog().choosen_ip.trimmed();
        ASSERT_TRUE(a.startsWith(QLatin1String("127.")) || IsLocalAddress(a)) << a.toStdString();
        click(dialog().ButonsOkCancel2->PushButton1);
    }
    void hostAs(std::int32_t colour) {
        network(true);
        clickColour(dialog().CCNet, colour < 0 ? 0 : 1);
        click(dialog().ButonsOkCancel3->PushButton1);
    }
    // Answers the next message box from inside its own loop, after running during.
    static void answerNextBox(Box& box, std::function<void()> during = {}) {
        QTimer::singleShot(0, [&box, during] {
            auto* b = fw::Application::Current()->FrameWindow().findChild<QMessageBox*>(QStringLiteral("MsgBox"));
            if (!b || !b->isVisible()) return;
            box.seen = true;
            box.text = b->text();
            box.parent = b->window();
            box.inDialog = fw::Exists<wnd::newgame>() && newgame().isAncestorOf(b);
            if (during) during();
            QTest::mouseClick(b->button(QMessageBox::Ok), Qt::LeftButton);
        });
    }
    // Whether something answers on 127.0.0.1:1234.
    static bool hostListens() {
        QTcpSocket s;
        s.connectToHost(QStringLiteral("127.0.0.1"), 1234);
        const bool ok = s.waitForConnected(kEventuallyMs);
        s.abort();
        return ok;
    }
    bool gameIs(const char* mode, std::int32_t colour) {
        return fw::Exists<class wnd::game>() && game().type == QLatin1String(mode) && game().KxGrid->CouleurSelf == colour;
    }
};

TEST_F(NewGameNet, AgainstTheComputerInBlueTheDialogClosesAtIsok) {
    // Whether the dialog was there when the host received "ISOK", and after.
    int before = -1, after = -1;
    auto previous = twin().connectServ->NewTrame;
    twin().connectServ->NewTrame = [&, previous](std::int32_t f, std::int32_t t, const QString& d, const QString& x) {
        const bool isok = d == net::kDirDelivered && x == QLatin1String("ISOK");
        if (isok) before = fw::Exists<wnd::newgame>();
        if (previous) previous(f, t, d, x);
        if (isok) after = fw::Exists<wnd::newgame>();
    };

    wnd::newgame& d = dialog();
    clickColour(d.CCOrd, 1);
    click(d.ButonsOkCancel1->PushButton1);
    EXPECT_TRUE(twin().server);
    EXPECT_EQ(twin().mcol, 1);
    ASSERT_TRUE(fw::Exists<class wnd::waitconnect>());
    EXPECT_EQ(waitconnect().Status(), QStringLiteral("Attente d'une connexion ..."));
    EXPECT_TRUE(publication().published);
    EXPECT_EQ(publication().service, QStringLiteral("_servquorril._tcp."));

    ASSERT_TRUE(QTest::qWaitFor([&] { return gameIs("serveur", 1); }, kWait));
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_TRUE(comIA().IsConnected());
    EXPECT_FALSE(publication().published);

    // The computer plays blue's opponent: a move of ours gets its answer.
    KxMap& board = *game().KxGrid;
    ASSERT_TRUE(QTest::qWaitFor([&] { return board.GameMain; }, kWait));
    QTest::mouseClick(&board, Qt::LeftButton, {}, QPoint(75 + 70 * 3 + 35, 200));
    EXPECT_TRUE(QTest::qWaitFor([&] { return tokens(board) == 2 && board.GameMain; }, kWait));
}

TEST_F(NewGameNet, TheHostWaitsForItsGuestAndTheGameStartsAtIsok) {
    hostAs(-1);
    ASSERT_TRUE(fw::Exists<class wnd::waitconnect>());
    EXPECT_EQ(waitconnect().Status(), QStringLiteral("Attente d'une connexion ..."));
    EXPECT_TRUE(publication().published);
    // OK leaves the dialog open and itself enabled; the computer player stays out of it.
    ASSERT_TRUE(fw::Exists<wnd::newgame>());
    EXPECT_TRUE(dialog().ButonsOkCancel3->PushButton1->isEnabled());
    QTest::qWait(100);
    EXPECT_FALSE(comIA().IsConnected());

    ScriptedGuest guest;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !guest.tcol.isEmpty(); }, kWait));
    EXPECT_EQ(guest.tcol, QStringLiteral("TCOL-1"));
    QTest::qWait(50);
    EXPECT_TRUE(fw::Exists<wnd::newgame>());
    EXPECT_FALSE(fw::Exists<class wnd::game>());
    guest.sendIsok();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gameIs("serveur", -1); }, kWait));
    EXPECT_FALSE(fw::Exists<wnd::newgame>());
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_FALSE(publication().published);
}

class GuestJoins : public NewGameNet {
protected:
    // Joins a scripted host with the address chosen by choose; the dialog closes at "TCOL".
    void joinWith(const std::function<void()>& choose) {
        ScriptedHost host;
        choose();
        ASSERT_EQ(dialog().choosen_ip, QStringLiteral("127.0.0.2"));
        ASSERT_TRUE(dialog().ButonsOkCancel2->PushButton1->isEnabled());
        pressGuestOk();
        EXPECT_FALSE(twin().server);
        ASSERT_TRUE(QTest::qWaitFor([&] { return host.connected(); }, kWait));
        QTest::qWait(50);
        EXPECT_TRUE(fw::Exists<wnd::newgame>());
        EXPECT_TRUE(fw::Exists<class wnd::waitconnect>());
        host.offer(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return host.gotIsok(); }, kWait));
        EXPECT_TRUE(gameIs("client", -1));
        EXPECT_FALSE(fw::Exists<wnd::newgame>());
        EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    }
};

TEST_F(GuestJoins, ByATypedAddress) {
    joinWith([&] { typeAddress(QStringLiteral("127.0.0.2")); });
}

TEST_F(GuestJoins, ByAGameFoundOnTheNetwork) {
    joinWith([&] {
        network(false);
        FakeBonjour& b = *FakeBonjour::Of(dialog().Object1);
        // The host's published port is not the one joined: guests always use 1234.
        b.services.push_back({QStringLiteral("hote"), QStringLiteral("hote.local"), true, {QStringLiteral("127.0.0.2")}, {5000}, false, {}});
        dialog().Object1->RaiseBrowsingFound(0);
        dialog().Object1->RaiseBrowsingResolved(0);
        fw::ListBox* list = dialog().ListBox1;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->topLevelItem(0)).center());
    });
}

TEST_F(NewGameNet, LocalAddressesGetTheMessageBoxAndNoConnection) {
    for (const char* address : {"localhost", "127.0.0.1", "LocalHost", " 127.0.0.1 "}) {
        SCOPED_TRACE(address);
        // The computer player's client is connected (to a host of the test's own): every OK
        // closes it, a refused one too.
        ScriptedHost host;
        comIA().Launch(net::kGamePort, QStringLiteral("127.0.0.2"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return comIA().IsConnected() && host.connected(); }, kWait));
        typeAddress(QString::fromLatin1(address));
        const std::uint64_t generation = twin().connectClt->Generation();
        const int boxes = fw::MsgBoxCount();
        Box box;
        answerNextBox(box);
        pressGuestOk();
        EXPECT_TRUE(box.seen);
        EXPECT_EQ(box.text, kLocalRefusal);
        // A box of the frame's, not of the dialog's.
        EXPECT_EQ(box.parent, &app->FrameWindow());
        EXPECT_FALSE(box.inDialog);
        EXPECT_EQ(fw::MsgBoxCount(), boxes + 1);
        EXPECT_EQ(twin().connectClt->Generation(), generation);
        EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
        EXPECT_TRUE(fw::Exists<wnd::newgame>());
        EXPECT_FALSE(comIA().IsConnected());
    }
}

TEST_F(NewGameNet, ARefusedConnectionBeepsAndLeavesTheDialogOpen) {
    typeAddress(QStringLiteral("127.0.0.2"));
    const int beeps = fw::BeepCount();
    pressGuestOk();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fw::BeepCount() == beeps + 1; }, kWait));
    EXPECT_TRUE(fw::Exists<wnd::newgame>());
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_FALSE(fw::Exists<class wnd::game>());
    EXPECT_TRUE(dialog().ButonsOkCancel2->PushButton1->isEnabled());
}

TEST_F(NewGameNet, CancelAfterHostingLeavesTheGameHosted) {
    hostAs(1);
    click(dialog().ButonsOkCancel3->PushButton2);
    EXPECT_FALSE(fw::Exists<wnd::newgame>());
    EXPECT_TRUE(publication().published);
    ScriptedGuest guest;
    ASSERT_TRUE(QTest::qWaitFor([&] { return guest.tcol == QLatin1String("TCOL1"); }, kWait));
    guest.sendIsok();
    EXPECT_TRUE(QTest::qWaitFor([&] { return gameIs("serveur", 1); }, kWait));
}

TEST_F(NewGameNet, AChangeOfRoleStopsWhatTheOtherRoleStarted) {
    // Host, then guest: no listener and no publication stay behind.
    hostAs(-1);
    ASSERT_TRUE(publication().published);
    ASSERT_TRUE(hostListens());
    typeAddress(QStringLiteral("127.0.0.2"));
    const int beeps = fw::BeepCount();
    pressGuestOk();
    EXPECT_FALSE(twin().server);
    EXPECT_FALSE(publication().published);
    EXPECT_TRUE(twin().connectServ->Sockets().empty());
    EXPECT_FALSE(hostListens());
    // Nobody answers on 127.0.0.2 yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return fw::BeepCount() == beeps + 1; }, kWait));

    // Guest, then host: the connection to the other host goes, and the game is played as host.
    ScriptedHost other;
    pressGuestOk();
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.connected(); }, kWait));
    hostAs(1);
    EXPECT_TRUE(twin().server);
    EXPECT_FALSE(twin().connectClt->IsConnected());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !other.connected(); }, kWait));
    other.offer(-1);
    ScriptedGuest guest;
    ASSERT_TRUE(QTest::qWaitFor([&] { return guest.tcol == QLatin1String("TCOL1"); }, kWait));
    guest.sendIsok();
    ASSERT_TRUE(QTest::qWaitFor([&] { return gameIs("serveur", 1); }, kWait));
    EXPECT_FALSE(other.gotIsok());
}

TEST_F(NewGameNet, ReturnPressesTheOkOfTheGroupOnScreenOnly) {
    wnd::newgame& d = dialog();
    clickColour(d.CCOrd, 0);
    network(true);
    clickColour(d.CCNet, 1);
    ASSERT_TRUE(d.ButonsOkCancel1->PushButton1->isEnabled());
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_EQ(twin().mcol, 1);
    QTest::qWait(100);
    EXPECT_FALSE(comIA().IsConnected());

    click(d.GameStyle[0]);
    QTest::keyClick(&d, Qt::Key_Return);
    EXPECT_EQ(twin().mcol, -1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gameIs("serveur", -1); }, kWait));
}

TEST_F(NewGameNet, AHandshakeWhileTheMessageBoxWaitsClosesTheDialogSafely) {
    hostAs(-1);
    ScriptedGuest guest;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !guest.tcol.isEmpty(); }, kWait));
    typeAddress(QStringLiteral("localhost"));
    const std::uint64_t generation = twin().connectClt->Generation();
    Box box;
    answerNextBox(box, [&] {
        // The guest answers while the box is up: the hub closes the dialog, which goes at once.
        guest.sendIsok();
        EXPECT_TRUE(QTest::qWaitFor([] { return !fw::Exists<wnd::newgame>(); }, kWait));
        QTest::qWait(20);
    });
    pressGuestOk();
    EXPECT_TRUE(box.seen);
    EXPECT_EQ(box.parent, &app->FrameWindow());
    EXPECT_FALSE(box.inDialog);
    EXPECT_FALSE(fw::Exists<wnd::newgame>());
    EXPECT_TRUE(gameIs("serveur", -1));
    // The refused OK went no further.
    EXPECT_TRUE(twin().server);
    EXPECT_EQ(twin().connectClt->Generation(), generation);
}

}  // namespace
