// One case of bench_bonjour, beside a daemon of its own (QUORRIL_AVAHI_CTL, QUORRIL_AVAHI_SERVICES):
//   stall    5 services listed, the daemon stopped (SIGSTOP) for QUORRIL_BENCH_STALL_S seconds
//            (30), nobody touching anything
//   busy     a search running while another client has the daemon take 2 000 publications at once
//   quit     the controls go, as at quit, while the daemon is stopped with 5 services listed and a
//            publication out
//   restart  500 services listed, the daemon stopped and started again
// For each it prints the longest time the GUI thread went without a turn of its event loop (a
// 10 ms timer beats there; another thread watches the beats), and the time spent in turns longer
// than 100 ms.
#include "framework/bonjour.h"
#include "framework/pluginhost.h"

#include <avahi-client/client.h>
#include <avahi-client/publish.h>
#include <avahi-common/simple-watch.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
const QString kType = QStringLiteral("_servquorril._tcp.");

template <class F>
bool spinUntil(F done, int ms);

// Drives the daemon while the loop goes on turning: the bench measures the plug-in, not the wait
// for the script.
bool ctl(const char* what) {
    const char* script = std::getenv("QUORRIL_AVAHI_CTL");
    if (!script) return false;
    QProcess p;
    p.start(QString::fromLocal8Bit(script), {QString::fromLatin1(what)});
    if (!p.waitForStarted()) return false;
    spinUntil([&] { return p.state() == QProcess::NotRunning; }, 60000);
    return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

class Heartbeat {
public:
    Heartbeat() {
        last_ = Clock::now().time_since_epoch().count();
        QObject::connect(&timer_, &QTimer::timeout, [this] { last_ = Clock::now().time_since_epoch().count(); });
        timer_.start(10);
        watcher_ = std::thread([this] {
            std::int64_t seen = last_;
            while (!done_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                const std::int64_t now = Clock::now().time_since_epoch().count();
                const std::int64_t beat = last_;
                const Clock::duration gap(now - beat);
                if (gap > longest_.load()) longest_ = gap;
                if (beat != seen) {
                    // The loop came back: what it was away for counts when it was long.
                    seen = beat;
                    if (lastGap_ > std::chrono::milliseconds(100)) stuck_ = stuck_.load() + lastGap_;
                }
                lastGap_ = gap;
            }
            if (lastGap_ > std::chrono::milliseconds(100)) stuck_ = stuck_.load() + lastGap_;
        });
    }
    ~Heartbeat() { Stop(); }
    void Stop() {
        if (done_.exchange(true)) return;
        watcher_.join();
    }
    double Longest() const { return seconds(longest_.load()); }
    double Stuck() const { return seconds(stuck_.load()); }

private:
    QTimer timer_;
    std::atomic<std::int64_t> last_{0};
    std::atomic<Clock::duration> longest_{Clock::duration(0)}, stuck_{Clock::duration(0)};
    Clock::duration lastGap_{0};
    std::atomic<bool> done_{false};
    std::thread watcher_;
};

// Runs the loop until done() or the time is up; answers whether done() came.
template <class F>
bool spinUntil(F done, int ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

void spinFor(int ms) { spinUntil([] { return false; }, ms); }

int resolved(fw::Bonjour& b) {
    int n = 0;
    for (int i = 0; i < b.Browsing_Count(); ++i) n += b.Browsing_Name(i) != fw::Bonjour::Null();
    return n;
}

struct Announce {
    QProcess p;
    explicit Announce(const QString& name) {
        p.start(QStringLiteral("avahi-publish"), {QStringLiteral("-s"), name, QStringLiteral("_servquorril._tcp"), QStringLiteral("4321")});
        p.waitForStarted();
    }
    ~Announce() {
        p.terminate();
        p.waitForFinished();
    }
};

std::vector<std::unique_ptr<Announce>> fiveGames() {
    std::vector<std::unique_ptr<Announce>> games;
    for (int k = 1; k <= 5; ++k) games.push_back(std::make_unique<Announce>(QStringLiteral("Partie %1").arg(k)));
    return games;
}

void writeServices(int n) {
    QDir dir(qEnvironmentVariable("QUORRIL_AVAHI_SERVICES"));
    for (int k = 0; k < n; ++k) {
        QFile f(dir.filePath(QStringLiteral("partie-%1.service").arg(k)));
        if (!f.open(QIODevice::WriteOnly)) continue;
        f.write(QStringLiteral("<?xml version=\"1.0\" standalone='no'?>\n<!DOCTYPE service-group SYSTEM \"avahi-service.dtd\">\n"
                               "<service-group><name>Partie %1</name><service><type>_servquorril._tcp</type><port>%2</port>"
                               "</service></service-group>\n")
                    .arg(k)
                    .arg(5000 + k % 1000)
                    .toUtf8());
    }
}

int stall() {
    const int stallS = qEnvironmentVariableIsSet("QUORRIL_BENCH_STALL_S") ? qEnvironmentVariableIntValue("QUORRIL_BENCH_STALL_S") : 30;
    auto games = fiveGames();
    fw::Bonjour b;
    b.Browsing_Start(kType);
    if (!spinUntil([&] { return resolved(b) == 5; }, 30000)) return std::printf("stall: the 5 services were not listed\n"), 1;
    Heartbeat heart;
    ctl("pause");
    spinFor(stallS * 1000);
    ctl("resume");
    heart.Stop();
    std::printf("daemon stopped %d s, 5 services listed, nothing touched: longest freeze %.2f s, %.2f s frozen in all\n", stallS,
                heart.Longest(), heart.Stuck());
    return 0;
}

// The other client: n services, each in an entry group of its own, asked for as fast as the daemon
// takes them; then it keeps them until it is ended.
int publishLoad(int first, int n) {
    AvahiSimplePoll* poll = avahi_simple_poll_new();
    int error = 0;
    AvahiClient* c = avahi_client_new(avahi_simple_poll_get(poll), AvahiClientFlags(0), nullptr, nullptr, &error);
    if (!c) return 1;
    for (int k = first; k < first + n; ++k) {
        AvahiEntryGroup* g = avahi_entry_group_new(c, nullptr, nullptr);
        if (!g) break;
        const std::string name = "Charge " + std::to_string(k);
        avahi_entry_group_add_service(g, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, AvahiPublishFlags(0), name.c_str(), "_servquorril._tcp",
                                      nullptr, nullptr, std::uint16_t(5000 + k % 1000), nullptr);
        avahi_entry_group_commit(g);
    }
    std::printf("published\n");
    std::fflush(stdout);
    avahi_simple_poll_loop(poll);
    return 0;
}

int busy(const char* self) {
    constexpr int kPublications = 2000;
    fw::Bonjour b;
    b.Browsing_Start(kType);
    spinFor(500);
    Heartbeat heart;
    QElapsedTimer t;
    t.start();
    // Eight clients at once, so the daemon always has requests waiting.
    constexpr int kClients = 8;
    std::vector<std::unique_ptr<QProcess>> load;
    for (int k = 0; k < kClients; ++k) {
        load.push_back(std::make_unique<QProcess>());
        load.back()->start(QString::fromLocal8Bit(self), {QStringLiteral("load"), QString::number(k * kPublications / kClients),
                                                          QString::number(kPublications / kClients)});
    }
    // The list holds 512 at most; the case ends once it is full and resolved, or 5 s after the
    // last change once every client has had its publications taken, or after a minute.
    int last = 0;
    QElapsedTimer quiet;
    quiet.start();
    auto loaded = [&] {
        for (auto& p : load)
            if (!p->readAllStandardOutput().isEmpty()) p->setProperty("loaded", true);
        for (auto& p : load)
            if (!p->property("loaded").toBool() && p->state() == QProcess::Running) return false;
        return true;
    };
    spinUntil([&] {
        const int now = resolved(b) + b.Browsing_Count();
        if (now != last) {
            last = now;
            quiet.restart();
        }
        return resolved(b) >= 512 || (loaded() && quiet.elapsed() > 5000);
    }, 60000);
    const double took = t.elapsed() / 1000.0;
    heart.Stop();
    for (auto& p : load) {
        p->kill();
        p->waitForFinished();
    }
    std::printf("daemon busy with %d publications: longest freeze %.2f s, %.2f s frozen in all; %d listed, %d resolved after %.1f s\n",
                kPublications, heart.Longest(), heart.Stuck(), b.Browsing_Count(), resolved(b), took);
    return 0;
}

int quit() {
    auto games = fiveGames();
    auto browser = std::make_unique<fw::Bonjour>();
    browser->Browsing_Start(kType);
    auto host = std::make_unique<fw::Bonjour>();
    bool published = false;
    host->Publish_Published = [&] { published = true; };
    host->Publishing_Start(kType, QStringLiteral("Hote"), {});
    // The five games and the hosted one.
    if (!spinUntil([&] { return resolved(*browser) == 6 && published; }, 30000)) return std::printf("quit: nothing listed\n"), 1;
    ctl("pause");
    QElapsedTimer t;
    t.start();
    host.reset();
    browser.reset();
    QCoreApplication::processEvents();
    const double took = t.elapsed() / 1000.0;
    ctl("resume");
    std::printf("quit with the daemon stopped (5 services listed, a publication out): the controls went in %.3f s\n", took);
    return 0;
}

int restart() {
    constexpr int kServices = 500;
    writeServices(kServices);
    ctl("stop");
    ctl("start");
    fw::Bonjour b;
    b.Browsing_Start(kType);
    if (!spinUntil([&] { return resolved(b) == kServices; }, 60000))
        return std::printf("restart: %d of %d services listed and resolved\n", resolved(b), kServices), 1;
    Heartbeat heart;
    QElapsedTimer t;
    t.start();
    ctl("stop");
    const bool emptied = spinUntil([&] { return b.Browsing_Count() == 0; }, 60000);
    const double gone = t.elapsed() / 1000.0;
    t.restart();
    ctl("start");
    spinUntil([&] { return resolved(b) == kServices; }, 120000);
    const double again = t.elapsed() / 1000.0;
    heart.Stop();
    std::printf("%d services, daemon restarted: list empty %s %.2f s after the stop, %d of %d back and resolved %.2f s after the start; "
                "longest freeze %.2f s\n",
                kServices, emptied ? "" : "NOT", gone, resolved(b), kServices, again, heart.Longest());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || !std::getenv("QUORRIL_AVAHI_CTL")) {
        std::fprintf(stderr, "usage: with-avahi.sh %s stall|busy|quit|restart PLUGIN\n", argv[0]);
        return 2;
    }
    const std::string scenario = argv[1];
    if (scenario == "load") return publishLoad(std::atoi(argv[2]), argc > 3 ? std::atoi(argv[3]) : 0);
    QApplication qt(argc, argv);
    if (!fw::LoadPlugin(QString::fromLocal8Bit(argv[2]))) return std::printf("%s: the plug-in did not load\n", argv[1]), 1;
    if (scenario == "stall") return stall();
    if (scenario == "busy") return busy(argv[0]);
    if (scenario == "quit") return quit();
    if (scenario == "restart") return restart();
    return 2;
}
