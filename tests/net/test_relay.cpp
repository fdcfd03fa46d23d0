// The relay client and server over real sockets on 127.0.0.1:1234.
#include "net/client.h"
#include "net/serveur.h"
#include "peer.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QTcpServer>

#include <csignal>
#include <memory>

using namespace net;

namespace {

struct Event {
    QString kind;
    std::int32_t code;
    QString a, b;
    bool operator==(const Event& o) const { return kind == o.kind && code == o.code && a == o.a && b == o.b; }
};

std::ostream& operator<<(std::ostream& os, const Event& e) {
    return os << e.kind.toStdString() << "(" << e.code << "," << e.a.toStdString() << "," << e.b.toStdString() << ")";
}

// Records every event of a server, in order.
struct ServerLog {
    Serveur srv;
    std::vector<Event> ev;
    ServerLog() {
        srv.StatChanged = [this](std::int32_t c, const QString& a, const QString& b) { ev.push_back({"Stat", c, a, b}); };
        srv.ResultEvent = [this](std::int32_t c, const QString& t) { ev.push_back({"Result", c, t, {}}); };
        srv.Info = [this](const QString& t) { ev.push_back({"Info", 0, t, {}}); };
        srv.NewTrame = [this](std::int32_t from, std::int32_t to, const QString& dir, const QString& t) {
            ev.push_back({"Trame" + dir, from * 1000 + to, t, {}});
        };
    }
    std::vector<Event> take() { return std::exchange(ev, {}); }
    bool waitFor(const QString& kind, int ms = 5000) {
        QElapsedTimer t;
        t.start();
        auto has = [&] { return std::any_of(ev.begin(), ev.end(), [&](const Event& e) { return e.kind == kind; }); };
        while (!has() && t.elapsed() < ms) QTest::qWait(5);
        return has();
    }
    std::vector<Event> only(const QString& kind) const {
        std::vector<Event> out;
        for (const Event& e : ev)
            if (e.kind == kind) out.push_back(e);
        return out;
    }
};

struct ClientLog {
    Client c;
    std::vector<Event> ev;
    ClientLog() {
        c.StatChanged = [this](std::int32_t code, const QString& info) { ev.push_back({"Stat", code, info, {}}); };
        c.Info = [this](const QString& t, std::int32_t v) { ev.push_back({"Info", v, t, {}}); };
        c.ResultEvent = [this](std::int32_t code, const QString& t) { ev.push_back({"Result", code, t, {}}); };
        c.NewTrame = [this](std::int32_t from, std::int32_t to, const QString& dir, const QString& t) {
            ev.push_back({"Trame" + dir, from * 1000 + to, t, {}});
        };
    }
};

// Connects a raw peer and waits until the server has taken it in as id.
std::unique_ptr<RawPeer> join(ServerLog& s, std::int32_t id) {
    auto p = std::make_unique<RawPeer>();
    EXPECT_TRUE(p->connected());
    auto in = [&] {
        return std::any_of(s.srv.Sockets().begin(), s.srv.Sockets().end(),
                           [id](const SrvSocket* k) { return k->ID == id && !k->isListening(); });
    };
    EXPECT_TRUE(QTest::qWaitFor(in, kEventuallyMs));
    // "[S_YOID_]" and "[S_NEWCL]"
    EXPECT_TRUE(p->waitBytes(25 + 20));
    p->take(45);
    return p;
}

QByteArray wire(std::int32_t sender, const QString& body) { return MakeFrame(sender, body); }

class Relay : public ::testing::Test {
protected:
    void SetUp() override { fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1")); }
    void TearDown() override {
        // Let closed sockets go before the next test listens.
        QTest::qWait(20);
    }
};

}  // namespace

TEST_F(Relay, LaunchListensWithId1) {
    ServerLog s;
    s.srv.Launch(1234);
    EXPECT_EQ(s.take(), (std::vector<Event>{{"Result", 0, "0|", {}}, {"Stat", 1, "0", "1"}}));
    ASSERT_EQ(s.srv.Sockets().size(), 1u);
    EXPECT_EQ(s.srv.Sockets()[0]->ID, 1);
    EXPECT_TRUE(s.srv.Sockets()[0]->isListening());
}

TEST_F(Relay, FirstClientGetsItsIdThenTheNewClientNotice) {
    ServerLog s;
    s.srv.Launch(1234);
    s.take();
    RawPeer p;
    ASSERT_TRUE(p.connected());
    ASSERT_TRUE(p.waitBytes(45));
    EXPECT_EQ(p.got, QByteArray("00001900000[S_YOID_]00001" "00001400000[S_NEWCL]"));
    const auto stats = s.only("Stat");
    EXPECT_EQ(stats, (std::vector<Event>{{"Stat", 2, "0", "1"}, {"Stat", 1, "1", "2"}}));
    EXPECT_EQ(s.only("Result"), (std::vector<Event>{{"Result", 0, "0|1|", {}}}));
    ASSERT_EQ(s.srv.Sockets().size(), 2u);
    EXPECT_EQ(s.srv.Sockets()[1]->ID, 2);
}

TEST_F(Relay, ClientLearnsItsIdAndAsksForTheList) {
    ServerLog s;
    s.srv.Launch(1234);
    ClientLog c;
    c.c.Launch(1234, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(c.ev.front(), (Event{"Stat", 1, "", {}}));
    ASSERT_EVENTUALLY(std::any_of(c.ev.begin(), c.ev.end(), [](const Event& e) { return e.kind == "Result"; }));
    EXPECT_EQ(c.c.GetMyID(), 1);
    std::vector<Event> notices;
    for (const Event& e : c.ev)
        if (e.kind == "Stat" || e.kind == "Info" || e.kind == "Result") notices.push_back(e);
    EXPECT_EQ(notices, (std::vector<Event>{{"Stat", 1, "", {}}, {"Stat", 2, "", {}}, {"Info", 1, "Received ID", {}},
                                           {"Stat", 3, "", {}}, {"Result", 0, "0|1|", {}}}));
}

TEST_F(Relay, FreedIdIsGivenAgainAndTheListenerTakesTheLowestFree) {
    ServerLog s;
    s.srv.Launch(1234);
    auto a = join(s, 1);
    auto b = join(s, 2);
    ASSERT_TRUE(a->waitBytes(0));
    b->got.clear();
    a->s->abort();
    a.reset();
    ASSERT_TRUE(s.waitFor("Stat"));
    ASSERT_EVENTUALLY(!s.only("Stat").empty() && s.only("Stat").back().code == 0);
    s.take();
    ASSERT_TRUE(b->waitBytes(20));
    EXPECT_EQ(b->take(20), QByteArray("00001400000[S_CLOSC]"));
    auto c = join(s, 3);
    const auto& tb = s.srv.Sockets();
    ASSERT_EQ(tb.size(), 3u);
    EXPECT_EQ(tb[0]->ID, 2);
    EXPECT_EQ(tb[1]->ID, 3);
    EXPECT_EQ(tb[2]->ID, 1);
    EXPECT_TRUE(tb[2]->isListening());
    EXPECT_EQ(s.srv.GetListStr(), "0|2|3|");
}

TEST_F(Relay, RoutingToOneToAllAndToTheHost) {
    ServerLog s;
    s.srv.Launch(1234);
    auto one = join(s, 1);
    auto two = join(s, 2);
    one->got.clear();
    two->got.clear();
    // The "[S_NEWCL]" that client 1 got when 2 joined.
    s.take();

    struct Case {
        const char* name;
        RawPeer* from;
        QByteArray frame;
        QByteArray toOne, toTwo;   // what each client receives
        QString delivered;          // the payload the host gets, empty for none
    };
    const std::vector<Case> cases = {
        {"to one", one.get(), wire(1, "[S_TOID_]00002MESSsalut"), "", wire(1, "MESSsalut"), ""},
        {"to all, sender included", two.get(), wire(2, "[S_TOALL]MESSx"), wire(2, "MESSx"), wire(2, "MESSx"), "MESSx"},
        {"to the host", one.get(), wire(1, "[S_TOID_]00000IPLA3#-1"), "", "", "IPLA3#-1"},
        {"to nobody", one.get(), wire(1, "[S_TOID_]00009IPLA3#-1"), "", "", ""},
        // The connection says who sent it, whatever the sender field claims.
        {"claimed sender", one.get(), wire(2, "[S_TOID_]00002MESSfaux"), "", wire(1, "MESSfaux"), ""},
        {"list to the asker", one.get(), wire(2, "[S_LISTI]"), wire(0, "[SRLISTI]0|1|2|"), "", ""},
        {"bare payload", two.get(), wire(0, "ISOK"), "", "", "ISOK"},
    };
    for (const Case& c : cases) {
        s.take();
        c.from->write(c.frame);
        ASSERT_TRUE(s.waitFor("TrameP<")) << c.name;
        if (!c.toOne.isEmpty()) {
            ASSERT_TRUE(one->waitBytes(c.toOne.size())) << c.name;
        }
        if (!c.toTwo.isEmpty()) {
            ASSERT_TRUE(two->waitBytes(c.toTwo.size())) << c.name;
        }
        // Whatever else was to arrive has arrived behind a marker sent after it.
        s.srv.Send(QStringLiteral("MARK"), true, 0);
        ASSERT_TRUE(one->waitBytes(c.toOne.size() + 15) && two->waitBytes(c.toTwo.size() + 15)) << c.name;
        EXPECT_EQ(one->got, c.toOne + wire(0, "MARK")) << c.name;
        EXPECT_EQ(two->got, c.toTwo + wire(0, "MARK")) << c.name;
        one->got.clear();
        two->got.clear();
        std::vector<Event> delivered = s.only("Trame<");
        delivered.pop_back();  // the host's own "MARK"
        if (c.delivered.isEmpty()) {
            EXPECT_TRUE(delivered.empty()) << c.name;
        } else {
            ASSERT_EQ(delivered.size(), 1u) << c.name;
            EXPECT_EQ(delivered[0].a, c.delivered) << c.name;
        }
    }
}

TEST_F(Relay, HostSendsToAllToOneAndToItself) {
    ServerLog s;
    s.srv.Launch(1234);
    auto one = join(s, 1);
    auto two = join(s, 2);
    one->got.clear();
    s.take();
    s.srv.Send(QStringLiteral("NEWG"), true, 0);
    const QString f = QString::fromUtf8(wire(0, "NEWG"));
    EXPECT_EQ(s.take(), (std::vector<Event>{{"Trame>", 0, "NEWG", {}}, {"Trame>", 1, "NEWG", {}}, {"Trame>", 2, "NEWG", {}},
                                            {"Trame<", 0, "NEWG", {}}, {"TrameP>", 1, f, {}}, {"TrameP>", 2, f, {}}}));
    s.srv.Send(QStringLiteral("TCOL-1"), false, 1);
    EXPECT_EQ(s.take().size(), 2u);
    s.srv.Send(QStringLiteral("SELF"), false, 0);
    EXPECT_EQ(s.take(), (std::vector<Event>{{"Trame>", 0, "SELF", {}}, {"Trame<", 0, "SELF", {}}}));
    ASSERT_TRUE(one->waitBytes(15 + 17));
    EXPECT_EQ(one->got, wire(0, "NEWG") + "00001100000TCOL-1");
}

TEST_F(Relay, FrameCutAtEveryByteArrivesWhole) {
    ServerLog s;
    s.srv.Launch(1234);
    auto one = join(s, 1);
    const QByteArray f = wire(1, QStringLiteral("[S_TOID_]00000MESS<client>\u00e9t\u00e9\u00a0!"));
    SrvSocket* k = s.srv.Sockets()[0];
    for (qsizetype cut = 1; cut < f.size(); ++cut) {
        s.take();
        one->write(f.left(cut));
        // The host has read the first part (as characters or as a held partial character).
        ASSERT_EVENTUALLY(k->reader.HeldChars() + k->reader.HeldBytes() > 0);
        EXPECT_TRUE(s.only("Trame<").empty()) << cut;
        one->write(f.mid(cut));
        ASSERT_TRUE(s.waitFor("Trame<")) << cut;
        ASSERT_EQ(s.only("Trame<").size(), 1u);
        EXPECT_EQ(s.only("Trame<")[0].a, QStringLiteral("MESS<client>\u00e9t\u00e9\u00a0!")) << cut;
    }
}

TEST_F(Relay, HostileBytesNeverCorruptTheNextFrame) {
    ServerLog s;
    s.srv.Launch(1234);
    auto one = join(s, 1);
    const std::vector<QByteArray> garbage = {"abcdef", "-00001", "\xff\xfe\xfd\xfc\xfb\xfa", "00000600001\xc3", "000000", "00000500001"};
    for (const QByteArray& g : garbage) {
        s.take();
        one->write(g + wire(1, "[S_TOID_]00000IPLA3#-1"));
        ASSERT_EVENTUALLY(!s.only("Trame<").empty() && s.only("Trame<").back().a == "IPLA3#-1");
    }
    EXPECT_TRUE(s.srv.Sockets()[0]->IsConnected());
}

TEST_F(Relay, PortInUseIsReportedAfterLaunchReturns) {
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress(QStringLiteral("127.0.0.1")), 1234));
    ServerLog s;
    s.srv.Launch(1234);
    EXPECT_EQ(s.take(), (std::vector<Event>{{"Result", 0, "0|", {}}, {"Stat", 1, "0", "1"}}));
    ASSERT_TRUE(s.waitFor("Stat"));
    EXPECT_EQ(s.only("Stat"), (std::vector<Event>{{"Stat", 0, QString::number(fw::AddressInUseError), "1"}}));
    EXPECT_TRUE(s.srv.Sockets().empty());
}

TEST_F(Relay, RefusedConnectionIsReportedAfterLaunchReturns) {
    ClientLog c;
    c.c.Launch(1234, QStringLiteral("127.0.0.1"));
    ASSERT_EQ(c.ev.size(), 1u);
    ASSERT_EVENTUALLY(c.ev.size() == 2u);
    EXPECT_EQ(c.ev[1], (Event{"Stat", 0, QString::number(fw::LostConnection), {}}));
}

TEST_F(Relay, WritesWhenUnconnectedOrToAGonePeerAreDroppedQuietly) {
    // Even a test that found SIGPIPE at its default: the socket layer turns it off.
    std::signal(SIGPIPE, SIG_DFL);
    ClientLog c;
    struct sigaction now {};
    ::sigaction(SIGPIPE, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    c.c.Send(QStringLiteral("IPLA1#1"), false, 0);
    c.c.GiveList();
    EXPECT_EQ(c.ev.size(), 3u);  // ">" and two "P>": the events still tell what was handed over

    ServerLog s;
    s.srv.Launch(1234);
    auto one = join(s, 1);
    one->s->abort();
    for (int i = 0; i < 200; ++i) s.srv.Send(QString(1000, QLatin1Char('x')), false, 1);
    ASSERT_TRUE(s.waitFor("Stat"));
    ASSERT_EVENTUALLY(!s.only("Stat").empty() && s.only("Stat").back().code == 0);
    for (int i = 0; i < 10; ++i) s.srv.Send(QStringLiteral("late"), true, 0);
}

TEST_F(Relay, CloseRaisesNothingAndLaunchStartsAgainAtId1) {
    ServerLog s;
    s.srv.Launch(1234);
    auto one = join(s, 1);
    s.take();
    s.srv.Close();
    EXPECT_TRUE(s.srv.Sockets().empty());
    EXPECT_TRUE(one->waitClosed());
    EXPECT_TRUE(s.take().empty());
    s.srv.Launch(1234);
    ASSERT_EQ(s.srv.Sockets().size(), 1u);
    EXPECT_EQ(s.srv.Sockets()[0]->ID, 1);
}

TEST_F(Relay, SingleGuestClosesEveryFurtherConnectionSilently) {
    ServerLog s;
    s.srv.SetSingleGuest(true);
    s.srv.Launch(1234);
    auto one = join(s, 1);
    s.take();
    RawPeer stranger;
    ASSERT_TRUE(stranger.connected());
    EXPECT_TRUE(stranger.waitClosed());
    EXPECT_TRUE(stranger.got.isEmpty());
    QTest::qWait(20);
    EXPECT_TRUE(s.take().empty());
    EXPECT_TRUE(one->got.isEmpty());
    // The guest is still served, and a listener still waits.
    one->write(wire(1, "[S_TOID_]00000ISOK"));
    ASSERT_TRUE(s.waitFor("Trame<"));
    EXPECT_TRUE(s.srv.Sockets().back()->isListening());
}

// A peer that writes a burst far larger than one read and then leaves: every frame is delivered,
// in order, before the connection's end is reported, on the host and on a client alike.
TEST_F(Relay, ABurstThenAGoneConnectionDeliversEveryFrameBeforeTheError) {
    constexpr int kFrames = 20000;
    const QString pad(200, QLatin1Char('x'));
    auto payload = [&](int i) { return QStringLiteral("n%1 ").arg(i, 5, 10, QLatin1Char('0')) + pad; };
    // The payloads delivered, then where the error came among them.
    auto check = [&](const std::vector<Event>& ev, std::int32_t fromTo) {
        int delivered = 0;
        bool inOrder = true, errorLast = false;
        for (const Event& e : ev) {
            if (e.kind == "Trame<" && e.code == fromTo) {
                inOrder = inOrder && e.a == payload(delivered);
                ++delivered;
                errorLast = false;
            } else if (e.kind == "Stat" && e.code == 0) {
                errorLast = delivered == kFrames;
            }
        }
        EXPECT_EQ(delivered, kFrames);
        EXPECT_TRUE(inOrder);
        EXPECT_TRUE(errorLast) << "the error came before the last frame, or never";
    };

    {
        SCOPED_TRACE("host");
        ServerLog s;
        s.srv.Launch(1234);
        auto one = join(s, 1);
        s.take();
        QByteArray burst;
        for (int i = 0; i < kFrames; ++i) burst += wire(1, kTagToId + Pad5(0) + payload(i));
        one->s->write(burst);
        one->s->disconnectFromHost();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !s.only("Stat").empty(); }, kEventuallyMs));
        check(s.ev, 1000);
    }
    {
        SCOPED_TRACE("client");
        QTcpServer host;
        ASSERT_TRUE(host.listen(QHostAddress(QStringLiteral("127.0.0.1")), 1234));
        ClientLog c;
        c.c.Launch(1234, QStringLiteral("127.0.0.1"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return host.hasPendingConnections(); }, kEventuallyMs));
        std::unique_ptr<QTcpSocket> peer(host.nextPendingConnection());
        QByteArray burst;
        for (int i = 0; i < kFrames; ++i) burst += wire(0, payload(i));
        peer->write(burst);
        peer->disconnectFromHost();
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return std::any_of(c.ev.begin(), c.ev.end(), [](const Event& e) { return e.kind == "Stat" && e.code == 0; });
        }, kEventuallyMs));
        check(c.ev, 0);
    }
}
