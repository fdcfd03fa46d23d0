// The real plug-in under a daemon that misbehaves (tests/support/with-avahi.sh drives it): the
// daemon stopped, killed and started again while a control and the new-game dialog list few or
// many services; and the daemon stalled (SIGSTOP: it takes requests and answers none) while the
// dialog lists games and asks for more, and while the controls go as at quit: the window keeps
// answering all along.
#include "framework/bonjour.h"
#include "framework/buttons.h"
#include "framework/listbox.h"
#include "framework/pluginhost.h"
#include "windows/newgame.h"
#include "announced.h"
#include "failing_search.h"
#include "qstring_print.h"
#include "../net/netfixture.h"
#include "eventually.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

const QString kType = QStringLiteral("_servquorril._tcp.");
constexpr int kWait = kEventuallyMs;

bool ctl(const char* what) {
    const char* script = std::getenv("QUORRIL_AVAHI_CTL");
    return script && QProcess::execute(QString::fromLocal8Bit(script), {QString::fromLatin1(what)}) == 0;
}

// Services the daemon itself publishes, from static service files: it publishes exactly these once
// it has started again, they go with it and come back with it.
class StaticServices {
public:
    StaticServices(int n, const QString& prefix) : StaticServices(numbered(n, prefix)) {}
    explicit StaticServices(const QStringList& names) : dir_(qEnvironmentVariable("QUORRIL_AVAHI_SERVICES")) {
        for (int k = 0; k < names.size(); ++k) {
            QFile f(dir_.filePath(QStringLiteral("partie-%1.service").arg(k)));
            if (!f.open(QIODevice::WriteOnly)) continue;
            f.write(QStringLiteral("<?xml version=\"1.0\" standalone='no'?>\n"
                                   "<!DOCTYPE service-group SYSTEM \"avahi-service.dtd\">\n"
                                   "<service-group><name>%1</name>"
                                   "<service><type>_servquorril._tcp</type><port>%2</port></service></service-group>\n")
                        .arg(names[k].toHtmlEscaped())
                        .arg(4000 + k)
                        .toUtf8());
        }
        restarted_ = ctl("stop") && ctl("start");
    }
    ~StaticServices() {
        for (const QString& f : dir_.entryList({QStringLiteral("*.service")}, QDir::Files)) dir_.remove(f);
    }
    bool Published() const { return restarted_; }

private:
    static QStringList numbered(int n, const QString& prefix) {
        QStringList names;
        for (int k = 0; k < n; ++k) names << QStringLiteral("%1 %2").arg(prefix).arg(k);
        return names;
    }
    QDir dir_;
    bool restarted_ = false;
};


// A timer beats on the GUI thread; another thread watches the beats and keeps the longest time the
// loop went without one. A loop stuck for longer than kStuck resumes the daemon, so that a test
// of a window that freezes ends in a failure rather than in minutes of waiting.
class Heartbeat {
public:
    static constexpr auto kStuck = std::chrono::seconds(15);

    Heartbeat() {
        beat();
        QObject::connect(&timer_, &QTimer::timeout, [this] { beat(); });
        timer_.start(10);
        watcher_ = std::thread([this] {
            bool rescued = false;
            while (!done_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                const auto gap = std::chrono::nanoseconds(now() - last_.load());
                if (gap > longest_.load()) longest_ = gap;
                if (gap > kStuck && !rescued) {
                    rescued = true;
                    ctl("resume");
                }
            }
        });
    }
    ~Heartbeat() {
        done_ = true;
        watcher_.join();
    }
    std::chrono::nanoseconds Longest() const { return longest_.load(); }
    double LongestSeconds() const { return std::chrono::duration<double>(Longest()).count(); }

private:
    static std::int64_t now() { return std::chrono::steady_clock::now().time_since_epoch().count(); }
    void beat() { last_ = now(); }
    QTimer timer_;
    std::atomic<std::int64_t> last_{0};
    std::atomic<std::chrono::nanoseconds> longest_{std::chrono::nanoseconds(0)};
    std::atomic<bool> done_{false};
    std::thread watcher_;
};

// How many of the control's entries are resolved.
int resolved(fw::Bonjour& b) {
    int n = 0;
    for (int i = 0; i < b.Browsing_Count(); ++i) n += b.Browsing_Name(i) != fw::Bonjour::Null();
    return n;
}

class DaemonTrouble : public NetApp {
protected:
    void SetUp() override {
        if (!std::getenv("QUORRIL_AVAHI_CTL")) GTEST_SKIP() << "run through tests/support/with-avahi.sh";
        ASSERT_TRUE(fw::LoadPlugin(QStringLiteral(QUORRIL_PLUGIN_PATH)));
        NetApp::SetUp();
    }
    void TearDown() override {
        NetApp::TearDown();
        // The daemon runs for the next test whatever this one left.
        ctl("resume");
        if (!ctl("reload")) ctl("start");  // reload answers whether it runs
    }
};

// The daemon stopped, or killed without a goodbye, while services are listed: every one is
// reported removed with an index it can still be read at, the list empties, and all come back
// with the daemon.
TEST_F(DaemonTrouble, AControlListingFewOrManyServicesSeesThemGoWithTheDaemonAndComeBack) {
    struct Case {
        const char* end;
        int services;
    };
    for (const Case& c : {Case{"stop", 3}, Case{"kill", 3}, Case{"stop", 300}, Case{"kill", 300}}) {
        SCOPED_TRACE(testing::Message() << c.end << " with " << c.services << " services");
        StaticServices published(c.services, QStringLiteral("Partie"));
        ASSERT_TRUE(published.Published());
        fw::Bonjour b;
        int removed = 0, unreadable = 0;
        b.Browsing_Removed = [&](std::int32_t i) {
            ++removed;
            if (i < 0 || i >= b.Browsing_Count() || b.Browsing_Name(i) == fw::Bonjour::Null()) ++unreadable;
        };
        b.Browsing_Start(kType);
        ASSERT_TRUE(QTest::qWaitFor([&] { return b.Browsing_Count() == c.services && resolved(b) == c.services; }, kWait))
            << b.Browsing_Count() << " listed, " << resolved(b) << " resolved";

        ASSERT_TRUE(ctl(c.end));
        EXPECT_TRUE(QTest::qWaitFor([&] { return b.Browsing_Count() == 0; }, kWait)) << b.Browsing_Count();
        EXPECT_EQ(removed, c.services);
        EXPECT_EQ(unreadable, 0);

        ASSERT_TRUE(ctl("start"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return b.Browsing_Count() == c.services && resolved(b) == c.services; }, kWait))
            << b.Browsing_Count() << " listed, " << resolved(b) << " resolved";
    }
}

TEST_F(DaemonTrouble, TheDialogListingManyGamesEmptiesWhenTheDaemonStopsAndFillsWhenItIsBack) {
    constexpr int kGames = 300;
    StaticServices published(kGames, QStringLiteral("Partie"));
    ASSERT_TRUE(published.Published());
    wnd::newgame& d = newgame();
    QTest::mouseClick(d.GameStyle[1], Qt::LeftButton, {}, d.GameStyle[1]->rect().center());
    fw::ListBox& list = *d.ListBox1;
    auto named = [&] {
        int n = 0;
        for (int i = 0; i < list.ListCount(); ++i) n += list.Cell(i, 0).startsWith(QStringLiteral("Partie "));
        return n;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return list.ListCount() == kGames && named() == kGames; }, kWait)) << list.ListCount();
    ASSERT_TRUE(ctl("stop"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.ListCount() == 0; }, kWait)) << list.ListCount();
    ASSERT_TRUE(ctl("start"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return list.ListCount() == kGames && named() == kGames; }, kWait)) << list.ListCount();
}

// The daemon stalls while the dialog lists five games: the list goes stale, never the window. The
// dialog is closed and opened again, a game is hosted and another guest's search starts, all while
// the daemon answers nothing and a game comes and another goes; the window keeps answering, and once
// the daemon runs again the list catches up.
TEST_F(DaemonTrouble, AStalledDaemonLeavesTheListStaleAndTheWindowAnswering) {
    std::vector<std::unique_ptr<Announce>> games;
    for (int k = 1; k <= 5; ++k) games.push_back(std::make_unique<Announce>(Announce::Game(QStringLiteral("Partie %1").arg(k))));
    auto rowsOf = [](wnd::newgame& d) {
        QStringList r;
        for (int i = 0; i < d.ListBox1->ListCount(); ++i) r << d.ListBox1->Cell(i, 0);
        r.sort();
        return r;
    };
    auto expect = [](int first, int last) {
        QStringList r;
        for (int k = first; k <= last; ++k) r << QStringLiteral("Partie %1").arg(k);
        r.sort();
        return r;
    };
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowsOf(newgame()) == expect(1, 5); }, kWait)) << rowsOf(newgame()).join('|').toStdString();

    Heartbeat heart;
    ASSERT_TRUE(ctl("pause"));
    // What the program asks is answered at once, from what the plug-in knows.
    EXPECT_TRUE(newgame().Object1->is_available());
    EXPECT_EQ(newgame().Object1->Browsing_Count(), 5);
    // A game comes and another goes while the daemon does not answer.
    Announce late(Announce::Game(QStringLiteral("Partie 6")));
    games.front().reset();
    // The dialog closed and opened again: the old search goes, a new one is asked for.
    fw::CloseInstance<wnd::newgame>();
    QTest::qWait(1);
    wnd::newgame& d = newgame();
    QTest::mouseClick(d.GameStyle[1], Qt::LeftButton, {}, d.GameStyle[1]->rect().center());
    // A game hosted, and stopped again.
    fw::Bonjour host;
    host.Publishing_Start(kType, QStringLiteral("Hote"), {});
    fw::Bonjour other;
    other.Browsing_Start(kType);
    // The daemon stays stalled past the time a resolution is given.
    QElapsedTimer stalled;
    stalled.start();
    (void)QTest::qWaitFor([&] { return stalled.elapsed() > 6000; }, kWait);
    host.Publishing_Stop();
    EXPECT_EQ(d.ListBox1->ListCount(), 0);  // the new search has heard nothing yet

    ASSERT_TRUE(ctl("resume"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rowsOf(d) == expect(2, 6); }, kWait)) << rowsOf(d).join('|').toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return other.Browsing_Count() == 5; }, kWait)) << other.Browsing_Count();
    EXPECT_LT(heart.Longest(), Heartbeat::kStuck) << "the window did not answer for " << heart.LongestSeconds() << " s";
}

// The controls go as at quit (the dialog, a hosted game, the hub's search) while the daemon is
// stalled with services listed and a publication out: the quit does not wait on the daemon.
TEST_F(DaemonTrouble, TheControlsGoAtQuitWhileTheDaemonIsStalled) {
    std::vector<std::unique_ptr<Announce>> games;
    for (int k = 1; k <= 5; ++k) games.push_back(std::make_unique<Announce>(Announce::Game(QStringLiteral("Partie %1").arg(k))));
    wnd::newgame& d = newgame();
    ASSERT_TRUE(QTest::qWaitFor([&] { return d.ListBox1->ListCount() == 5 && d.Object1->Browsing_Name(4) != fw::Bonjour::Null(); }, kWait));
    auto host = std::make_unique<fw::Bonjour>();
    bool published = false;
    host->Publish_Published = [&] { published = true; };
    host->Publishing_Start(kType, QStringLiteral("Hote"), {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return published; }, kWait));

    Heartbeat heart;
    ASSERT_TRUE(ctl("pause"));
    QElapsedTimer quit;
    quit.start();
    host.reset();
    app->IsTerminating = true;
    fw::DestroyAllWindows();
    QTest::qWait(1);
    const qint64 quitMs = quit.elapsed();
    std::printf("[ measure  ] the controls went in %lld ms with the daemon stalled\n", quitMs);
    // The avahi thread is given 300 ms at most (the plug-in's kEndMs), then left to end by itself;
    // a quit that waited on the stalled daemon would last the bus's own timeouts, many seconds.
    constexpr qint64 kQuitMs = 3000;
    EXPECT_LT(quitMs, kQuitMs) << "the quit waited on the stalled daemon";
    EXPECT_LT(heart.Longest(), Heartbeat::kStuck) << "the window did not answer for " << heart.LongestSeconds() << " s";
    ASSERT_TRUE(ctl("resume"));
}

// The daemon fails the dialog's search a moment after it listed a game: the list is not left
// frozen, since the search starts again by itself and a game announced after the failure is listed
// beside the first, while the dialog stays open.
TEST_F(DaemonTrouble, ASearchTheDaemonFailsStartsAgainWhileTheDialogIsOpen) {
    Announce first(Announce::Game(QStringLiteral("Partie 1")));
    const int failedBefore = QuorrilFailedSearches();
    QuorrilFailNextSearches(1, 1500);
    wnd::newgame& d = newgame();
    QTest::mouseClick(d.GameStyle[1], Qt::LeftButton, {}, d.GameStyle[1]->rect().center());
    auto rows = [&] {
        QStringList r;
        for (int i = 0; i < d.ListBox1->ListCount(); ++i) r << d.ListBox1->Cell(i, 0);
        r.sort();
        return r;
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == QStringList{QStringLiteral("Partie 1")}; }, kWait)) << rows().join('|').toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QuorrilFailedSearches() > failedBefore; }, kWait)) << "the search was not made to fail";
    Announce second(Announce::Game(QStringLiteral("Partie 2")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return rows() == (QStringList{QStringLiteral("Partie 1"), QStringLiteral("Partie 2")}); }, kWait))
        << rows().join('|').toStdString();
}

// Sixteen services of this machine hold the game's name and its next fifteen: each time the
// daemon comes back, the hosted game is announced again under the first free name, however many
// times it came back. Each run is judged on what the new daemon says: the game's publication
// reported again (or failed) and the game seen by a search started after the restart, never by
// what a search kept from the run before.
TEST_F(DaemonTrouble, AHostedGameIsAnnouncedAgainAfterEveryDaemonRestartHoweverManyRenamesItTook) {
    QStringList taken{QStringLiteral("Hote")};
    for (int k = 2; k <= 16; ++k) taken << QStringLiteral("Hote #%1").arg(k);
    StaticServices published(taken);
    ASSERT_TRUE(published.Published());
    constexpr int kPort = 4999;
    const QString expected = QStringLiteral("Hote #17");
    fw::Bonjour host;
    int announced = 0;
    QStringList errors;
    host.Publish_Published = [&] { ++announced; };
    host.Publish_Error = [&](std::int32_t e) { errors << QString::number(e); };
    host.Publishing_StartPort(kType, QStringLiteral("Hote"), {}, kPort);
    for (int run = 1; run <= 4; ++run) {
        SCOPED_TRACE(testing::Message() << "daemon run " << run);
        const int announcedBefore = announced;
        if (run > 1) {
            ASSERT_TRUE(ctl("stop"));
            // The plug-in has seen the daemon go, so what follows comes from the new one.
            ASSERT_TRUE(QTest::qWaitFor([&] { return !host.is_available(); }, kWait)) << "the daemon's stop was not seen";
            ASSERT_TRUE(ctl("start"));
        }
        // A search of this run's daemon: the game is the service on its own port.
        fw::Bonjour watcher;
        auto listed = [&] {
            for (int i = 0; i < watcher.Browsing_Count(); ++i)
                if (watcher.Browsing_Name(i) == expected && watcher.Browsing_Port(i, 0) == kPort) return true;
            return false;
        };
        watcher.Browsing_Start(kType);
        EXPECT_TRUE(QTest::qWaitFor([&] { return (announced > announcedBefore && listed()) || !errors.isEmpty(); }, kWait))
            << "announced " << announced - announcedBefore << " times, " << watcher.Browsing_Count() << " listed";
        EXPECT_EQ(errors, QStringList{});
        ASSERT_GT(announced, announcedBefore) << "the game was not announced again";
        ASSERT_TRUE(listed()) << expected.toStdString() << " is not listed";
    }
}

}  // namespace
