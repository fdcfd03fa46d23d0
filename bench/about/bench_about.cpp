// CPU the program uses while the about window scrolls its credits for 10 s, and for 10 s after the
// window has closed. The program runs as it does for a user (its application object, its frame
// and its event loop) on a private Xvfb display, without a game at start-up.
#include "framework/menu.h"
#include "framework/system.h"
#include "info/about.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kSeconds = 10;

double CpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double WallSeconds() { return fw::Microseconds() / 1e6; }

// Starts Xvfb on the first free display; answers its pid and sets DISPLAY, or answers -1.
pid_t StartXvfb() {
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Xvfb writes the display number on descriptor 3.
        if (fds[1] != 3) {
            ::dup2(fds[1], 3);
            ::close(fds[1]);
        }
        if (fds[0] != 3) ::close(fds[0]);
        std::freopen("/dev/null", "w", stderr);
        ::execlp("Xvfb", "Xvfb", "-displayfd", "3", "-screen", "0", "1280x800x24", "-nolisten", "tcp", nullptr);
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string number;
    char c;
    while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(fds[0]);
    if (pid < 0 || number.empty()) return -1;
    ::setenv("DISPLAY", (":" + number).c_str(), 1);
    return pid;
}

struct Span {
    double cpu = 0, wall = 0;
    std::int32_t scrolled = 0;  // rows the credits moved
    double Percent() const { return wall > 0 ? 100.0 * cpu / wall : 0; }
};

}  // namespace

int main(int argc, char** argv) {
    const pid_t xvfb = StartXvfb();
    if (xvfb < 0) {
        std::printf("about window: Xvfb could not start; nothing measured\n");
        return 0;
    }
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QTemporaryDir config;
    ::setenv("XDG_CONFIG_HOME", config.path().toUtf8().constData(), 1);
    int status = 0;
    Span open, closed;
    {
        QApplication qt(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        // The addresses are never opened here.
        fw::SetURLHandler([](const QString&) {});
        {
            Preferences p;
            p.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(false));
            QFile f(Preferences::FilePath());
            if (f.open(QIODevice::WriteOnly)) f.write(p.Serialise());
        }
        auto* app = new shell::App();
        shell::Prepare(*app);

        double cpu0 = 0, wall0 = 0;
        std::int32_t i0 = 0;
        auto start = [&] {
            cpu0 = CpuSeconds();
            wall0 = WallSeconds();
        };
        auto stop = [&](Span& s) {
            s.cpu = CpuSeconds() - cpu0;
            s.wall = WallSeconds() - wall0;
        };
        // Past the start-up and its splash the credits open; the measure starts once they scroll,
        // and again a second after the window has closed.
        QTimer::singleShot(3000, [&] {
            shell::TheMenu().Choose(QStringLiteral("AppleAproposdeTarvelle4"));
            QTimer::singleShot(2000, [&] {
                i0 = ::about().i;
                start();
                QTimer::singleShot(kSeconds * 1000, [&] {
                    stop(open);
                    wnd::about& w = ::about();
                    open.scrolled = i0 - w.i;
                    if (open.scrolled < 0) open.scrolled += w.hi + 110;
                    w.Close();
                    QTimer::singleShot(1000, [&] {
                        start();
                        QTimer::singleShot(kSeconds * 1000, [&] {
                            stop(closed);
                            app->Quit();
                        });
                    });
                });
            });
        });
        status = app->Run();
        app->Finalise();
        shell::ReleaseMenu();
        delete app;
    }
    ::kill(xvfb, SIGTERM);
    ::waitpid(xvfb, nullptr, 0);
    std::printf("about window open, credits scrolling: %5.2f %% of one core over %.1f s (%d rows scrolled, goal: a few %%)\n",
                open.Percent(), open.wall, open.scrolled);
    std::printf("after it closed:                       %5.2f %% of one core over %.1f s (goal: idle)\n",
                closed.Percent(), closed.wall);
    return status;
}
