// The real libBonjour.so, loaded by the program's plug-in host, against a daemon of the test's own
// (tests/support/with-avahi.sh): publishing and browsing in one process, the index rules as the
// daemon drives them, a daemon that goes away and comes back, a plug-in that finds the host's
// routines missing, and controls made and destroyed while services come and go.
#include "framework/bonjour.h"
#include "framework/msgbox.h"
#include "framework/plugin_interface.h"
#include "framework/pluginhost.h"
#include "plugin/logic.h"

#include "no_entry.h"
#include "qstring_print.h"
#include "registrations.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString kType = QStringLiteral("_servquorril._tcp.");
constexpr int kWait = kEventuallyMs;

// Every event of one control, in order, with what the accessors answered inside the handler.
struct Watch {
    fw::Bonjour& b;
    QStringList log;
    explicit Watch(fw::Bonjour& control) : b(control) {
        b.Browsing_Found = [this](std::int32_t i) {
            log << QStringLiteral("found %1 %2 %3").arg(i).arg(b.Browsing_Name(i)).arg(b.Browsing_CountAddresses(i));
        };
        b.Browsing_Resolved = [this](std::int32_t i) { log << QStringLiteral("resolved %1 %2").arg(i).arg(b.Browsing_Name(i)); };
        b.Browsing_Removed = [this](std::int32_t i) { log << QStringLiteral("removed %1 %2").arg(i).arg(b.Browsing_Name(i)); };
        b.Publish_Published = [this] { log << QStringLiteral("published"); };
        b.Publish_Stopped = [this] { log << QStringLiteral("stopped"); };
        b.Publish_Error = [this](std::int32_t e) { log << QStringLiteral("error %1").arg(e); };
    }
    bool has(const QString& prefix) const {
        for (const QString& l : log)
            if (l.startsWith(prefix)) return true;
        return false;
    }
    bool waitFor(const QString& prefix, int ms = kWait) {
        return QTest::qWaitFor([&] { return has(prefix); }, ms);
    }
    int count(const QString& prefix) const {
        int n = 0;
        for (const QString& l : log) n += l.startsWith(prefix);
        return n;
    }
};

// The index of the listed service with that name, or -1.
int indexOf(fw::Bonjour& b, const QString& name) {
    for (int i = 0; i < b.Browsing_Count(); ++i)
        if (b.Browsing_Name(i) == name) return i;
    return -1;
}

QStringList names(fw::Bonjour& b) {
    QStringList out;
    for (int i = 0; i < b.Browsing_Count(); ++i) out << b.Browsing_Name(i);
    return out;
}

bool ctl(const char* what) {
    const char* script = std::getenv("QUORRIL_AVAHI_CTL");
    return script && QProcess::execute(QString::fromLocal8Bit(script), {QString::fromLatin1(what)}) == 0;
}

class Plugin : public ::testing::Test {
protected:
    void SetUp() override {
        // Never the machine's own bus: these tests run beside a daemon of their own only.
        if (!std::getenv("QUORRIL_AVAHI_CTL")) GTEST_SKIP() << "run through tests/support/with-avahi.sh";
        registrations::Watch();
        ASSERT_TRUE(registrations::Load(QStringLiteral(QUORRIL_PLUGIN_PATH)));
        // What an earlier test published takes a moment to go: each test starts on an empty network.
        fw::Bonjour look;
        look.Browsing_Start(kType);
        QElapsedTimer all, quiet;
        all.start();
        quiet.start();
        while (quiet.elapsed() < 400 && all.elapsed() < 5000) {
            QTest::qWait(50);
            if (look.Browsing_Count() > 0) quiet.restart();
        }
    }
    void TearDown() override {
        fw::SetPluginResolverHook(nullptr);
        QTest::qWait(10);  // what the controls left to delete later
    }
};

TEST_F(Plugin, BindsEveryMethodAndAnswersAboutBonjour) {
    EXPECT_TRUE(registrations::Last().control);
    EXPECT_EQ(registrations::Last().classMethods, registrations::kBonjourMethods);
    EXPECT_EQ(registrations::Last().functions, std::vector<std::string>{"AboutBonjour() as string"});
    fw::Bonjour b;
    EXPECT_TRUE(b.is_available());
}

TEST_F(Plugin, PublishedServicesAreFoundResolvedAndRemovedByIndex) {
    fw::Bonjour browser, first, second;
    Watch seen(browser), one(first), two(second);
    browser.Browsing_Start(kType);
    EXPECT_EQ(browser.Browsing_Count(), 0);

    QElapsedTimer clock;
    qint64 foundAt = -1;
    browser.Browsing_Found = [&](std::int32_t i) {
        if (foundAt < 0) foundAt = clock.elapsed();
        seen.log << QStringLiteral("found %1 %2 %3").arg(i).arg(browser.Browsing_Name(i)).arg(browser.Browsing_CountAddresses(i));
    };
    clock.start();
    first.Publishing_Start(kType, QStringLiteral("Partie un"), {QStringLiteral("a"), QString(), QStringLiteral("bc")});
    EXPECT_TRUE(one.log.isEmpty());  // nothing is raised from inside the call
    ASSERT_TRUE(seen.waitFor(QStringLiteral("resolved 0 Partie un")));
    const qint64 resolvedMs = clock.elapsed();
    // Found came first, with the entry listed but not resolved yet.
    ASSERT_GE(seen.log.size(), 2);
    EXPECT_EQ(seen.log.first(), QStringLiteral("found 0 (null) -1"));
    EXPECT_TRUE(one.waitFor(QStringLiteral("published")));

    EXPECT_EQ(browser.Browsing_Count(), 1);
    EXPECT_TRUE(browser.Browsing_HostName(0).endsWith(QStringLiteral(".local")));
    ASSERT_EQ(browser.Browsing_CountAddresses(0), 1);
    // In the test's network the daemon answers for the host with 127.0.0.2.
    EXPECT_EQ(browser.Browsing_Addresses(0, 0), QStringLiteral("127.0.0.2"));
    const std::int32_t port = browser.Browsing_Port(0, 0);
    EXPECT_GT(port, 0);
    EXPECT_NE(port, 1234);
    EXPECT_EQ(browser.Browsing_Str(0, 0), QStringLiteral("a"));
    EXPECT_EQ(browser.Browsing_Str(0, 1), QString());
    EXPECT_EQ(browser.Browsing_Str(0, 2), QStringLiteral("bc"));
    EXPECT_EQ(browser.Browsing_Str(0, 3), QStringLiteral("(null)"));
    // Every index outside the list, and every missing sub-index, answers its failure value.
    for (std::int32_t i : {-1, 1, fw::Bonjour::kNotFound}) ExpectNoEntry(browser, i);
    for (std::int32_t k : {-1, 1}) {
        EXPECT_EQ(browser.Browsing_Addresses(0, k), QStringLiteral("(null)")) << k;
        EXPECT_EQ(browser.Browsing_Port(0, k), -1) << k;
    }

    // A second service, on a port of its own choice, takes index 1.
    second.Publishing_StartPort(kType, QStringLiteral("Partie deux"), {}, 5000);
    ASSERT_TRUE(seen.waitFor(QStringLiteral("resolved 1 Partie deux")));
    EXPECT_EQ(browser.Browsing_Port(1, 0), 5000);
    EXPECT_EQ(browser.Browsing_Str(1, 0), QStringLiteral("(null)"));  // no TXT strings published

    // Withdrawing the first: Removed names index 0 while it is still there; the second moves up.
    clock.restart();
    first.Publishing_Stop();
    EXPECT_FALSE(one.has(QStringLiteral("stopped")));
    ASSERT_TRUE(seen.waitFor(QStringLiteral("removed 0 Partie un")));
    const qint64 removedMs = clock.elapsed();
    EXPECT_TRUE(one.has(QStringLiteral("stopped")));
    EXPECT_EQ(browser.Browsing_Count(), 1);
    EXPECT_EQ(browser.Browsing_Name(0), QStringLiteral("Partie deux"));
    std::printf("[ measure  ] found %lld ms after the start (the daemon probes the name first), resolved %lld ms after "
                "it was found; withdrawal seen %lld ms after the stop\n",
                foundAt, resolvedMs - foundAt, removedMs);

    // Clean empties the list without events; the search goes on and finds what comes next.
    const int before = seen.log.size();
    browser.Browsing_Clean();
    EXPECT_EQ(browser.Browsing_Count(), 0);
    first.Publishing_Start(kType, QStringLiteral("Partie trois"), {});
    ASSERT_TRUE(seen.waitFor(QStringLiteral("resolved 0 Partie trois")));
    EXPECT_EQ(seen.log.mid(before).first(), QStringLiteral("found 0 (null) -1"));
    // A service that goes after a clean is reported with the not-found index.
    second.Publishing_Stop();
    ASSERT_TRUE(seen.waitFor(QStringLiteral("removed 2147483647")));
    EXPECT_EQ(browser.Browsing_Count(), 1);

    // Stop ends the search and empties the list, without events: a search still running hears
    // the withdrawal that follows, the stopped one would have heard it by then.
    fw::Bonjour witness;
    Watch heard(witness);
    witness.Browsing_Start(kType);
    ASSERT_TRUE(heard.waitFor(QStringLiteral("resolved 0 Partie trois")));
    const int beforeStop = seen.log.size();
    browser.Browsing_Stop();
    EXPECT_EQ(browser.Browsing_Count(), 0);
    first.Publishing_Stop();
    ASSERT_TRUE(heard.waitFor(QStringLiteral("removed 0 Partie trois")));
    EXPECT_EQ(seen.log.size(), beforeStop);
}

TEST_F(Plugin, ASecondStartLeavesOnePublicationAndStopWithNothingDoesNothing) {
    fw::Bonjour browser, host;
    Watch seen(browser), hosted(host);
    browser.Browsing_Start(kType);

    host.Publishing_Stop();  // nothing published: nothing happens
    host.Publishing_Start(kType, QStringLiteral("Premier"), {});
    ASSERT_TRUE(seen.waitFor(QStringLiteral("resolved 0 Premier")));
    host.Publishing_Start(kType, QStringLiteral("Second"), {});
    EXPECT_FALSE(hosted.has(QStringLiteral("stopped")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return names(browser) == QStringList{QStringLiteral("Second")}; }, kWait)) << names(browser).join(',').toStdString();
    EXPECT_EQ(hosted.log.first(), QStringLiteral("published"));
    EXPECT_EQ(hosted.count(QStringLiteral("stopped")), 1);

    host.Publishing_Stop();
    host.Publishing_Stop();
    ASSERT_TRUE(seen.waitFor(QStringLiteral("removed 0 Second")));
    // A stop asked of another control afterwards is told on a later turn: once it has come, a stop
    // the second call had made up would have come before it.
    fw::Bonjour marker;
    Watch marked(marker);
    marker.Publishing_Start(kType, QStringLiteral("Repère"), {});
    marker.Publishing_Stop();
    ASSERT_TRUE(marked.waitFor(QStringLiteral("stopped")));
    EXPECT_EQ(hosted.count(QStringLiteral("stopped")), 2);
}

TEST_F(Plugin, AnEmptyNameIsTheMachinesAndASecondOneGetsTheNextFreeName) {
    fw::Bonjour browser, a, b;
    Watch seen(browser);
    browser.Browsing_Start(kType);
    a.Publishing_Start(kType, QString(), {});
    ASSERT_TRUE(seen.waitFor(QStringLiteral("resolved 0")));
    const QString host = browser.Browsing_HostName(0).chopped(int(std::strlen(".local")));
    EXPECT_EQ(browser.Browsing_Name(0), host);
    // A second Quorril on the same machine publishes too, under the daemon's alternative name.
    b.Publishing_Start(kType, QString(), {});
    ASSERT_TRUE(seen.waitFor(QStringLiteral("resolved 1")));
    EXPECT_EQ(browser.Browsing_Name(1), host + QStringLiteral(" #2"));
}

TEST_F(Plugin, WhatTheDaemonRefusesIsAnErrorOnALaterTurn) {
    fw::Bonjour p;
    Watch w(p);
    p.Publishing_Start(QStringLiteral("pas un type"), QStringLiteral("x"), {});
    EXPECT_TRUE(w.log.isEmpty());
    ASSERT_TRUE(w.waitFor(QStringLiteral("error -")));
    // Idle again: a stop does nothing, a new start publishes afresh.
    p.Publishing_Stop();
    p.Publishing_Start(kType, QStringLiteral("Apres erreur"), {});
    EXPECT_TRUE(w.waitFor(QStringLiteral("published")));
    EXPECT_FALSE(w.has(QStringLiteral("stopped")));
}

TEST_F(Plugin, ADaemonThatGoesAwayTakesItsServicesAndComesBackWithThem) {
    fw::Bonjour browser, host;
    Watch seen(browser);
    browser.Browsing_Start(kType);
    host.Publishing_Start(kType, QStringLiteral("Survivant"), {});
    ASSERT_TRUE(seen.waitFor(QStringLiteral("resolved 0 Survivant"))) << seen.log.join(" / ").toStdString();

    ASSERT_TRUE(ctl("stop"));
    ASSERT_TRUE(seen.waitFor(QStringLiteral("removed 0 Survivant")));
    EXPECT_EQ(browser.Browsing_Count(), 0);
    EXPECT_FALSE(browser.is_available());
    // Everything still answers, and nothing fails, while the daemon is away.
    EXPECT_EQ(browser.Browsing_Name(0), QStringLiteral("(null)"));
    host.Publishing_Stop();
    host.Publishing_Start(kType, QStringLiteral("Survivant"), {});
    fw::Bonjour late;
    EXPECT_FALSE(late.is_available());
    late.Browsing_Start(kType);
    QTest::qWait(200);

    // Back: the search and the publication resume on their own.
    const int before = seen.log.size();
    ASSERT_TRUE(ctl("start"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return browser.is_available() && late.is_available(); }, kWait));
    EXPECT_TRUE(QTest::qWaitFor([&] { return indexOf(browser, QStringLiteral("Survivant")) == 0; }, kWait));
    EXPECT_TRUE(QTest::qWaitFor([&] { return indexOf(late, QStringLiteral("Survivant")) == 0; }, kWait));
    EXPECT_EQ(seen.log.mid(before).first(), QStringLiteral("found 0 (null) -1"));
}

TEST_F(Plugin, AServiceThatNeverResolvesStaysWaiting) {
    fw::Bonjour browser;
    Watch seen(browser);
    browser.Browsing_Start(kType);
    // Its host has no address anywhere.
    QProcess ghost;
    ghost.start(QStringLiteral("avahi-publish"), {QStringLiteral("-s"), QStringLiteral("-H"), QStringLiteral("absent.local"),
                                                   QStringLiteral("Fantome"), QStringLiteral("_servquorril._tcp"), QStringLiteral("4000")});
    ASSERT_TRUE(ghost.waitForStarted());
    ASSERT_TRUE(seen.waitFor(QStringLiteral("found 0")));
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(6000);  // past the 5.0 s the resolution is given
    EXPECT_FALSE(seen.has(QStringLiteral("resolved")));
    EXPECT_EQ(browser.Browsing_Name(0), QStringLiteral("(null)"));
    EXPECT_EQ(browser.Browsing_HostName(0), QStringLiteral("(null)"));
    EXPECT_EQ(browser.Browsing_CountAddresses(0), -1);
    EXPECT_EQ(browser.Browsing_Addresses(0, 0), QStringLiteral("(null)"));
    ghost.terminate();
    ghost.waitForFinished();
    EXPECT_TRUE(seen.waitFor(QStringLiteral("removed 0 (null)")));
}

// A handler that runs an event loop of its own (as a message box does) gets no event meanwhile:
// the events that came in the while wait for it to return, and then arrive in order.
TEST_F(Plugin, AHandlerThatRunsALoopOfItsOwnGetsNoEventMeanwhile) {
    fw::Bonjour browser;
    QStringList log;
    int nested = -1;
    auto heardAll = [] {
        QProcess p;
        p.start(QStringLiteral("avahi-browse"), {QStringLiteral("-t"), QStringLiteral("-p"), QStringLiteral("_servquorril._tcp")});
        p.waitForFinished(kWait);
        return QString::fromUtf8(p.readAllStandardOutput()).count(QStringLiteral("Tour")) == 3;
    };
    browser.Browsing_Found = [&](std::int32_t i) {
        log << QStringLiteral("found %1").arg(i);
        if (nested >= 0) return;
        nested = 0;
        // Until the daemon has heard of all three: their reports are on their way meanwhile.
        EXPECT_TRUE(QTest::qWaitFor(heardAll, kWait));
        nested = int(log.size());
    };
    browser.Browsing_Resolved = [&](std::int32_t i) { log << QStringLiteral("resolved %1").arg(i); };
    browser.Browsing_Start(kType);
    std::vector<std::unique_ptr<QProcess>> games;
    for (const char* name : {"Tour 1", "Tour 2", "Tour 3"}) {
        games.push_back(std::make_unique<QProcess>());
        games.back()->start(QStringLiteral("avahi-publish"), {QStringLiteral("-s"), QString::fromLatin1(name), QStringLiteral("_servquorril._tcp"),
                                                              QStringLiteral("4000")});
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("found 2")) == 1 && log.filter(QStringLiteral("resolved")).size() >= 3; }, kWait))
        << log.join(" / ").toStdString();
    EXPECT_EQ(nested, 1) << log.join(" / ").toStdString();
    for (auto& g : games) {
        g->terminate();
        g->waitForFinished();
    }
}

// ---- A host that lacks routines, or answers them its own way ------------------------------------

std::vector<std::string> g_calls;
unsigned char g_keys[16];
PluginRegisterControlFn g_register = nullptr;

void keysHeld(unsigned char map[16]) { std::memcpy(map, g_keys, 16); }
void boxShown(PluginString* text) {
    g_calls.push_back(text ? "box" : "box without text");
}
void classRegistered(PluginControlRecord* r) {
    g_calls.push_back("register");
    g_register(r);
}

void holdKeys(std::initializer_list<int> down) {
    std::memset(g_keys, 0, sizeof g_keys);
    for (int k : down) g_keys[k / 8] |= static_cast<unsigned char>(1 << (k % 8));
}

TEST_F(Plugin, TheFourKeysAtLoadShowTheAboutTextBeforeTheClassIsRegistered) {
    fw::SetPluginResolverHook([](const char* name, void* own) -> void* {
        const std::string n = name;
        if (n == "PluginRegisterControl") {
            g_register = reinterpret_cast<PluginRegisterControlFn>(own);
            return reinterpret_cast<void*>(&classRegistered);
        }
        if (n == "RuntimeGetKeys") return reinterpret_cast<void*>(&keysHeld);
        if (n == "RuntimeMsgBox") return reinterpret_cast<void*>(&boxShown);
        return own;
    });
    struct Case {
        std::initializer_list<int> keys;
        std::vector<std::string> calls;
    };
    for (const Case& c : {Case{{3, 9, 12, 14}, {"box", "register"}}, Case{{3, 9, 12, 14, 0}, {"register"}},
                          Case{{}, {"register"}}}) {
        g_calls.clear();
        holdKeys(c.keys);
        EXPECT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
        EXPECT_EQ(g_calls, c.calls);
    }
    // The program's own resolver reports no key down: nothing shows.
    fw::SetPluginResolverHook([](const char* name, void* own) -> void* {
        if (std::string(name) == "RuntimeMsgBox") return reinterpret_cast<void*>(&boxShown);
        return own;
    });
    g_calls.clear();
    EXPECT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
    EXPECT_TRUE(g_calls.empty());

    // With the keys held, the program's own box shows the about text and waits for its OK.
    fw::SetPluginResolverHook([](const char* name, void* own) -> void* {
        return std::string(name) == "RuntimeGetKeys" ? reinterpret_cast<void*>(&keysHeld) : own;
    });
    holdKeys({3, 9, 12, 14});
    const int boxes = fw::MsgBoxCount();
    QString shown;
    QTimer::singleShot(0, [&shown] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        }
    });
    EXPECT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
    EXPECT_EQ(fw::MsgBoxCount(), boxes + 1);
    EXPECT_EQ(shown, QString::fromStdString(bonjour::AboutText()));
}

TEST_F(Plugin, MissingHostRoutinesCrashNothing) {
    auto hiding = [](std::vector<std::string> hidden) {
        return [hidden](const char* name, void* own) -> void* {
            for (const std::string& h : hidden)
                if (h == "*" || h == name) return nullptr;
            return own;
        };
    };
    // Nothing at all: no class is registered, and controls stay empty.
    fw::SetPluginResolverHook(hiding({"*"}));
    EXPECT_FALSE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
    {
        fw::Bonjour b;
        EXPECT_FALSE(b.is_available());
        b.Browsing_Start(kType);
        EXPECT_EQ(b.Browsing_Count(), 0);
    }
    struct Case {
        const char* name;
        std::vector<std::string> hidden;
    };
    const std::vector<Case> cases = {
        {"no event loop", {"RuntimeWatchSocket"}},
        {"no strings", {"StringFromBytes", "StringBytes", "StringSetEncoding", "StringRelease"}},
        {"no arrays", {"RuntimeUBound", "RuntimeDirectReadStringArray"}},
        {"no events", {"GetEventInstance"}},
        {"no version, bounds or keys", {"RegisterPluginVersion", "GetControlBounds", "RuntimeGetKeys", "PluginRegisterMethod"}},
    };
    for (const Case& c : cases) {
        fw::SetPluginResolverHook(hiding(c.hidden));
        ASSERT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH))) << c.name;
        fw::Bonjour browser, host;
        Watch seen(browser), hosted(host);
        browser.Browsing_Start(kType);
        host.Publishing_Start(kType, QStringLiteral("Sans"), {QStringLiteral("x")});
        QTest::qWait(300);
        for (int i = -1; i < 2; ++i) {
            (void)browser.Browsing_Name(i);
            (void)browser.Browsing_Str(i, 0);
            (void)browser.Browsing_Addresses(i, 0);
            (void)browser.Browsing_Port(i, 0);
        }
        (void)browser.is_available();
        host.Publishing_Stop();
        browser.Browsing_Stop();
        QTest::qWait(50);
        if (c.hidden[0] == "RuntimeWatchSocket") {
            EXPECT_FALSE(browser.is_available()) << c.name;
            EXPECT_TRUE(seen.log.isEmpty() && hosted.log.isEmpty()) << c.name;
        }
        if (c.hidden[0] == "GetEventInstance") {
            EXPECT_TRUE(seen.log.isEmpty() && hosted.log.isEmpty()) << c.name;
        }
    }
    // And back to the whole host.
    fw::SetPluginResolverHook(nullptr);
    EXPECT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
    fw::Bonjour b;
    EXPECT_TRUE(b.is_available());
}

// Controls made and destroyed while they search, publish and resolve, and while services come
// and go: no callback may reach a control that is gone.
TEST_F(Plugin, ControlsComeAndGoWhileServicesDo) {
    QProcess churn;
    churn.start(QStringLiteral("sh"), {QStringLiteral("-c"),
                                       QStringLiteral("i=0; while :; do i=$((i+1)); avahi-publish -s \"Va et vient $i\" _servquorril._tcp 4000 & "
                                                      "p=$!; sleep 1; kill $p; sleep 0.2; done")});
    ASSERT_TRUE(churn.waitForStarted());
    fw::Bonjour steady;
    Watch seen(steady);
    steady.Browsing_Start(kType);
    int found = 0;
    for (int round = 0; round < 50; ++round) {
        auto b = std::make_unique<fw::Bonjour>();
        Watch w(*b);
        b->Browsing_Start(kType);
        if (round % 2) b->Publishing_Start(kType, QStringLiteral("Tour %1").arg(round), {QStringLiteral("t")});
        (void)b->is_available();
        QTest::qWait(round % 5 == 0 ? 300 : 40);
        found += w.count(QStringLiteral("found"));
        if (round % 3 == 0) b->Browsing_Stop();
        b.reset();
    }
    churn.kill();
    churn.waitForFinished();
    QTest::qWait(300);
    EXPECT_GT(found, 0);
    EXPECT_GT(seen.count(QStringLiteral("removed")), 0);
    EXPECT_TRUE(steady.is_available());
}

}  // namespace
