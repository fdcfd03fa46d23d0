// Quitting with the credits running, through the real event loop and the real quit sequence:
// by the menu and by SIGTERM. Each case runs in a process of its own (the program runs its event
// loop once), and must end with the producer stopped before the window's data went.
#include "framework/menu.h"
#include "framework/thread.h"
#include "info/about.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"

#include "prefs_file.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace {

// Runs the program's event loop with the about window opened from the menu, quits it with quit()
// once the credits run, and ends the process with 0 when everything went as it should.
[[noreturn]] void runAndQuit(void (*quit)()) {
    // No game at start-up: the program needs no port for this.
    if (!WritePrefsFile(Preferences::FilePath(), {{QStringLiteral("newGameAtStartup"), fw::Variant(false)}})) std::_Exit(2);
    // Readied as main() readies it, so the quit runs the program's own finalisers.
    auto* app = new shell::App();
    shell::Prepare(*app);
    QPointer<wnd::about> window;
    QPointer<fw::Thread> producer;
    bool credits = false;
    QTimer::singleShot(100, [&] {
        shell::TheMenu().Choose(QStringLiteral("AppleAproposdeTarvelle4"));
        window = &::about();
        producer = window->Buffering;
    });
    // Once the credits scroll (the window has grown and the producer runs), or after a generous
    // ceiling, which fails the run.
    QTimer watch;
    QElapsedTimer since;
    since.start();
    QObject::connect(&watch, &QTimer::timeout, [&] {
        credits = window && !window->first && producer;
        if (!credits && since.elapsed() < 60000) return;
        watch.stop();
        quit();
    });
    watch.start(20);
    const int status = app->Run();
    // The quit closed the window; once the event loop has let it go, its producer went with it.
    const bool closed = !window || window->IsClosed();
    app->Finalise();
    const bool gone = !window && !producer;
    shell::ReleaseMenu();
    delete app;
    std::fprintf(stderr, "status %d, credits ran %d, closed %d, window and producer gone %d\n", status, credits,
                 closed, gone);
    std::_Exit(status == 0 && credits && closed && gone ? 0 : 1);
}

TEST(AboutQuit, ByTheMenu) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runAndQuit([] { shell::TheMenu().Choose(QStringLiteral("FileQuit")); }), ::testing::ExitedWithCode(0),
                "");
}

TEST(AboutQuit, BySigterm) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runAndQuit([] { std::raise(SIGTERM); }), ::testing::ExitedWithCode(0), "");
}

}  // namespace
