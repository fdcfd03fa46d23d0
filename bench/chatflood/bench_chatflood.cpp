// A seated guest's chat burst: N lines of 300 characters in one write, then a list request. The
// program hosts the game as it does for a user (its application object, its frame, its event
// loop, the drawer showing the chat log, on the offscreen platform); the guest is a plain socket
// on another thread, so its own work never takes the program's turns. Measured, for 10 000,
// 30 000 and 100 000 lines: the longest time the program's event loop went without a turn while
// the burst was read (a zero timer ticks on every turn), how long after the burst's first byte
// the list request was answered, and how long after its last byte had been handed to the system.
#include "framework/socket.h"
#include "framework/system.h"
#include "net/client.h"
#include "net/twin.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "windows/game.h"
#include "windows/outilcontain.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// The burst as the guest writes it: N chat lines of 300 characters to the host, then "[S_LISTI]".
std::string burst(int lines) {
    std::string out;
    out.reserve(std::size_t(lines) * 330 + 32);
    for (int i = 0; i < lines; ++i) {
        QString line = QStringLiteral("<client>%1 ").arg(i, 7, 10, QLatin1Char('0'));
        line += QString(300 - line.size(), QLatin1Char('x'));
        out += net::MakeFrame(1, net::kTagToId + net::Pad5(0) + QStringLiteral("MESS") + line).toStdString();
    }
    out += net::MakeFrame(1, net::kTagList).toStdString();
    return out;
}

struct Guest {
    int fd = -1;
    std::string got;

    bool connect() {
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(1234);
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    bool writeAll(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return false;
            done += std::size_t(n);
        }
        return true;
    }
    // Reads until what has arrived holds text, or the connection ends.
    bool readUntil(const std::string& text) {
        char buf[65536];
        while (got.find(text) == std::string::npos) {
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0) return false;
            got.append(buf, std::size_t(n));
        }
        return true;
    }
};

struct Figures {
    int lines = 0;
    double freeze = 0;       // the longest gap between two turns of the program's loop, s
    double answered = 0;     // from the burst's first byte to the list answer, s
    double afterWrite = 0;   // from the burst's last byte handed to the system to the answer, s
    bool logRight = false;   // the log ends with the burst's last line
};

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);
    const std::vector<int> sizes = {10000, 30000, 100000};
    std::vector<Figures> figures;
    int status = 0;
    {
        QApplication qt(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        fw::SetURLHandler([](const QString&) {});
        {
            Preferences p;
            p.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(false));
            p.SetItem(QStringLiteral("sndAmbiance"), fw::Variant(false));
            QFile f(Preferences::FilePath());
            if (f.open(QIODevice::WriteOnly)) f.write(p.Serialise());
        }
        fw::TCPSocket::SetListenAddress(QStringLiteral("127.0.0.1"));
        auto* app = new shell::App();
        shell::Prepare(*app);

        Guest guest;
        std::atomic<int> step{0};        // 1: seated, 2k+2: burst k written, 2k+3: burst k answered
        std::atomic<bool> failed{false};
        Clock::time_point firstByte, lastByte, answer;
        std::thread peer;

        // The loop's turns: the longest gap between two while a burst is under way.
        Clock::time_point lastTurn = Clock::now();
        double longest = 0;
        bool measuring = false;
        QTimer turns;
        turns.setInterval(0);
        QObject::connect(&turns, &QTimer::timeout, [&] {
            const Clock::time_point now = Clock::now();
            if (measuring) longest = std::max(longest, std::chrono::duration<double>(now - lastTurn).count());
            lastTurn = now;
        });

        std::size_t current = 0;
        QTimer driver;
        driver.setInterval(20);
        QObject::connect(&driver, &QTimer::timeout, [&] {
            if (failed) {
                status = 1;
                app->Quit();
                return;
            }
            const int s = step.load();
            if (s == 1 && fw::Exists<class wnd::game>() && game().moutil() && game().moutil()->isVisible()) {
                // Seated, the drawer showing: the first burst.
                lastTurn = Clock::now();
                longest = 0;
                measuring = true;
                step = 2;
            } else if (s >= 3 && (s - 3) % 2 == 0 && std::size_t((s - 3) / 2) == current) {
                measuring = false;
                Figures f;
                f.lines = sizes[current];
                f.freeze = longest;
                f.answered = std::chrono::duration<double>(answer - firstByte).count();
                f.afterWrite = std::chrono::duration<double>(answer - lastByte).count();
                const QString last = QStringLiteral("<client>%1 ").arg(sizes[current] - 1, 7, 10, QLatin1Char('0'));
                const QStringList log = game().moutil()->ChatLog().split(QChar(13), Qt::SkipEmptyParts);
                f.logRight = !log.isEmpty() && log.last().startsWith(last);
                figures.push_back(f);
                ++current;
                if (current == sizes.size()) {
                    app->Quit();
                    return;
                }
                lastTurn = Clock::now();
                longest = 0;
                measuring = true;
                step = s + 1;
            }
        });

        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] {
                twin().LaunchServer(-1);
                peer = std::thread([&] {
                    if (!guest.connect() || !guest.readUntil("TCOL-1") ||
                        !guest.writeAll(net::MakeFrame(1, net::kTagToId + net::Pad5(0) + QStringLiteral("ISOK")).toStdString())) {
                        failed = true;
                        return;
                    }
                    step = 1;
                    for (std::size_t k = 0; k < sizes.size(); ++k) {
                        const std::string bytes = burst(sizes[k]);
                        while (step.load() != int(2 * k + 2)) std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        guest.got.clear();
                        firstByte = Clock::now();
                        if (!guest.writeAll(bytes)) {
                            failed = true;
                            return;
                        }
                        lastByte = Clock::now();
                        if (!guest.readUntil("[SRLISTI]0|1|")) {
                            failed = true;
                            return;
                        }
                        answer = Clock::now();
                        step = int(2 * k + 3);
                    }
                });
                turns.start();
                driver.start();
            });
        });
        status = std::max(status, app->Run());
        turns.stop();
        driver.stop();
        if (guest.fd >= 0) ::shutdown(guest.fd, SHUT_RDWR);
        if (peer.joinable()) peer.join();
        if (guest.fd >= 0) ::close(guest.fd);
        app->Finalise();
        shell::ReleaseMenu();
        delete app;
    }
    for (const Figures& f : figures)
        std::printf("chat burst of %6d lines of 300 characters: longest wait for a turn %6.3f s; list request answered "
                    "%6.3f s after the burst's first byte, %6.3f s after its last (goal: a second or two); log %s\n",
                    f.lines, f.freeze, f.answered, f.afterWrite, f.logRight ? "ends with the last line" : "WRONG");
    if (figures.size() != sizes.size()) {
        std::printf("chat burst: the guest could not take its seat or lost its connection\n");
        return 1;
    }
    return status;
}
