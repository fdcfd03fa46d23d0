// The colour notice, the connection-progress window, the own-address window with its HTTP
// client, and the computer player's window answering the host's messages.
#include "fake_bonjour.h"
#include "framework/canvas.h"
#include "framework/http.h"
#include "framework/timer.h"
#include "framework/socket.h"
#include "game/ia.h"
#include "game/iaclassengine.h"
#include "net/serveur.h"
#include "net/showcolor.h"
#include "net/twin.h"
#include "net/waitconnect.h"
#include "net/winip.h"
#include "netfixture.h"
#include "peer.h"
#include "eventually.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpServer>

#include <functional>

namespace {

constexpr int kWait = kEventuallyMs;

class NetWindows : public NetApp {
protected:
    UseFakeBonjour fakeBonjour;
    FakeBonjour& publication() { return *FakeBonjour::Of(twin().Bonjour1); }
};

// A web server on loopback that answers every request with one canned response.
struct PageServer {
    QTcpServer server;
    QByteArray response;
    QByteArray request;
    int requests = 0;
    explicit PageServer(QByteArray r) : response(std::move(r)) {
        server.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            QTcpSocket* s = server.nextPendingConnection();
            ++requests;
            QObject::connect(s, &QIODevice::readyRead, s, [this, s] {
                request += s->readAll();
                if (!request.endsWith("\r\n\r\n")) return;
                s->write(response);
                s->disconnectFromHost();
            });
        });
    }
    QString host() const { return QStringLiteral("127.0.0.1:") + QString::number(server.serverPort()); }
};

}  // namespace

TEST_F(NetWindows, ColourNoticeShowsBothSides) {
    struct Case {
        std::int32_t own;
        const char* opponent;
        const char* self;
    };
    for (const Case& c : {Case{1, "Jaune", "Bleu"}, Case{-1, "Bleu", "Jaune"}, Case{0, "Bleu", "Jaune"}, Case{7, "Bleu", "Jaune"}}) {
        showcolor().ShowTheColor(c.own);
        EXPECT_EQ(showcolor().StaticText2->text(), QString::fromUtf8(c.opponent)) << c.own;
        EXPECT_EQ(showcolor().StaticText4->text(), QString::fromUtf8(c.self)) << c.own;
        ASSERT_TRUE(showcolor().Canvas1->Backdrop() && showcolor().Canvas2->Backdrop());
        EXPECT_EQ(showcolor().Canvas1->Backdrop()->Width(), 70);
    }
    // One window took every call; Return closes it like "Ok".
    QTest::keyClick(&showcolor(), Qt::Key_Return);
    EXPECT_FALSE(fw::Exists<class wnd::showcolor>());
}

TEST_F(NetWindows, CancelStopsListeningSoALateGuestIsRefused) {
    twin().LaunchServer(-1);
    ASSERT_TRUE(fw::Exists<class wnd::waitconnect>());
    EXPECT_EQ(waitconnect().Status(), QStringLiteral("Attente d'une connexion ..."));
    // The game is published under the machine's name, with no TXT strings, on a port of the system's choice.
    EXPECT_TRUE(publication().published);
    EXPECT_EQ(publication().service, QStringLiteral("_servquorril._tcp."));
    EXPECT_EQ(publication().name, QString());
    EXPECT_TRUE(publication().txt.isEmpty());
    EXPECT_EQ(publication().port, -1);
    waitconnect().PushButton1->click();
    EXPECT_FALSE(fw::Exists<class wnd::waitconnect>());
    EXPECT_FALSE(publication().published);
    EXPECT_TRUE(twin().connectServ->Sockets().empty());
    QTest::qWait(20);  // the handed-over listener, if any, goes at the next pass
    RawPeer late;
    EXPECT_FALSE(late.connected(2000));
}

TEST_F(NetWindows, SplashHidesAtAClick) {
    twin().Show();
    ASSERT_TRUE(twin().isVisible());
    QTest::mouseClick(&twin(), Qt::LeftButton);
    EXPECT_FALSE(twin().isVisible());
    EXPECT_EQ(twin().Timer1->Period(), 2000);
}

TEST_F(NetWindows, OwnAddressShowsThePageBodyAsItCame) {
    struct Case {
        const char* name;
        QByteArray response;
        QString shown;
    };
    const std::vector<Case> cases = {
        {"plain", "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n203.0.113.7", "203.0.113.7"},
        {"line end kept", "HTTP/1.0 200 OK\r\n\r\n203.0.113.7\n", "203.0.113.7\n"},
        {"by length", "HTTP/1.1 200 OK\r\nContent-Length: 8\r\n\r\n10.9.8.7trailing", "10.9.8.7"},
        {"error page", "HTTP/1.0 404 Not Found\r\n\r\n<b>absent</b>", "<b>absent</b>"},
    };
    for (const Case& c : cases) {
        PageServer page(c.response);
        wnd::WinIP::SetServiceHost(page.host());
        WinIP().Show();
        EXPECT_EQ(WinIP().LanIP->text(), fw::LocalNetworkAddress()) << c.name;
        EXPECT_TRUE(QTest::qWaitFor([&] { return WinIP().WanIP->text() == c.shown; }, kWait)) << c.name;
        EXPECT_EQ(page.request, "GET /divers/myip.php HTTP/1.0\r\nHost: " + page.host().toLatin1() + "\r\n\r\n") << c.name;
        // Asked again while open: the same window, no new request.
        WinIP().Show();
        QTest::qWait(20);
        EXPECT_EQ(page.requests, 1) << c.name;
        WinIP().Close();
    }
}

TEST_F(NetWindows, OwnAddressWaitsWhenNoPageComes) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress(QStringLiteral("127.0.0.1")), 0));
    const quint16 port = closed.serverPort();
    closed.close();
    wnd::WinIP::SetServiceHost(QStringLiteral("127.0.0.1:") + QString::number(port));
    std::int32_t error = -1;
    WinIP().wanLoader->Error = [&](std::int32_t code) { error = code; };
    EXPECT_TRUE(QTest::qWaitFor([&] { return error >= 0; }, kWait));
    EXPECT_EQ(WinIP().WanIP->text(), QStringLiteral("En attente..."));
    WinIP().Close();
    wnd::WinIP::SetServiceHost(QString());
    WinIP();
    QTest::qWait(20);
    EXPECT_EQ(WinIP().WanIP->text(), QStringLiteral("En attente..."));
}

TEST_F(NetWindows, ComputerPlayerAnswersTheHost) {
    net::Serveur host;
    QStringList got;
    host.NewTrame = [&](std::int32_t, std::int32_t, const QString& dir, const QString& t) {
        if (dir == net::kDirDelivered) got << t;
    };
    host.Launch(1234);
    ia().Control<wnd::ComIA>(QStringLiteral("ComIA"))->Launch(1234, QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.GetListStr() == QLatin1String("0|1|"); }, kWait));
    Preferences& p = *app->prefs;
    IAClassEngine& engine = *ia().IAEngine;
    EXPECT_EQ(engine.Level, 1);  // read at the connection

    struct Step {
        const char* send;
        std::function<void()> before;
        QStringList answers;               // the messages that come back, in order ("*" any)
        std::function<bool()> check;
        const char* marker = "TCOL-1";
    };
    const std::vector<Step> steps = {
        {"TCOL1", {}, {"ISOK"}, [&] { return engine.GetCouleurIA() == -1 && engine.GetCouleurServeur() == 1; }, "TCOL1"},
        {"TCOL-1", {}, {"ISOK"}, [&] { return engine.GetCouleurIA() == 1; }},
        {"IPLA4#-1", {}, {"IPLA*"}, [&] { return engine.Grid().CountJeton(4) >= 1; }},
        {"MESS<serveur>bonjour", {}, {"MESS<IA>*"}, {}},
        {"MESSlol", {}, {"MESS<IA>*"}, {}},
        {"MESS<serveur>bonjour", [&] { p.SetItem(QStringLiteral("iaMessage"), fw::Variant(false)); }, {}, {}},
        {"ISOK", {}, {}, {}},
        {"NEWG", [&] { p.SetItem(QStringLiteral("difficulty"), fw::Variant(std::int32_t(2))); }, {},
         [&] { return engine.Level == 2 && engine.Grid().CountJeton(4) == 0; }},
    };
    for (const Step& s : steps) {
        got.clear();
        if (s.before) s.before();
        host.Send(QString::fromUtf8(s.send), false, 1);
        // A colour offer behind each step: its "ISOK" marks the end of the step's answers.
        host.Send(QString::fromUtf8(s.marker), false, 1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !got.isEmpty() && got.back() == QLatin1String("ISOK"); }, kWait)) << s.send;
        got.removeLast();
        ASSERT_EQ(got.size(), s.answers.size()) << s.send << " got " << got.join(QLatin1Char(' ')).toStdString();
        for (qsizetype i = 0; i < got.size(); ++i) {
            const QString& want = s.answers[i];
            if (want.endsWith(QLatin1Char('*')))
                EXPECT_TRUE(got[i].startsWith(want.chopped(1))) << s.send;
            else
                EXPECT_EQ(got[i], want) << s.send;
        }
        if (s.check) {
            EXPECT_TRUE(s.check()) << s.send;
        }
    }
    EXPECT_FALSE(ia().isVisible());
}
