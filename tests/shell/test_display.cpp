// The run ends without « Quitter »: the display goes away under the program (the X server dies, as
// at the end of a desktop session), or the session manager asks Qt's application to quit. Either
// way what the run changed reaches the preferences file, and the program ends by itself, without
// a hang or a crash.
#include "framework/application.h"
#include "framework/menu.h"
#include "shell/app.h"
#include "shell/menu.h"
#include "shell/preferences.h"
#include "shell/scores.h"
#include "sprites/resources.h"

#include "eventually.h"
#include "prefs_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

Preferences readFile(const QString& path) {
    Preferences p;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) p.Deserialise(f.readAll());
    return p;
}

// A private X display with a window manager, for the program to lose.
class Desktop {
public:
    bool start(const QString& home) {
        xvfb_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                             QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                                             QStringLiteral("tcp")});
        if (!xvfb_.waitForStarted(kEventuallyMs)) return false;
        QByteArray number;
        if (!QTest::qWaitFor([&] {
                number += xvfb_.readAllStandardOutput();
                return number.contains('\n') || xvfb_.state() == QProcess::NotRunning;
            }, kEventuallyMs) || !number.contains('\n'))
            return false;
        display_ = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("HOME"), home);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home);
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home);
        wm_.setProcessEnvironment(env);
        // As with-desktop.sh does: the display answers first, and a window manager that ended
        // before it was ready starts again.
        if (!QTest::qWaitFor([&] { return !run(QStringLiteral("xprop"), {QStringLiteral("-root")}).isEmpty(); }, kEventuallyMs)) return false;
        for (int attempt = 0; attempt < 3; ++attempt) {
            wm_.start(QStringLiteral("openbox"), {QStringLiteral("--sm-disable")});
            if (!wm_.waitForStarted(kEventuallyMs)) return false;
            QProcess ready;
            ready.setProcessEnvironment(environment());
            ready.start(QStringLiteral(QUORRIL_SOURCE_DIR "/tests/support/wm-ready.sh"), {QString::number(wm_.processId())});
            if (ready.waitForFinished(kEventuallyMs + 5000) && ready.exitStatus() == QProcess::NormalExit && ready.exitCode() == 0) return true;
            wm_.kill();
            wm_.waitForFinished();
        }
        return false;
    }
    ~Desktop() {
        for (QProcess* p : {&wm_, &xvfb_}) {
            p->kill();
            p->waitForFinished();
        }
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        return env;
    }
    // A tool's standard output, run against this display.
    QByteArray run(const QString& tool, const QStringList& args) const {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(tool, args);
        if (!p.waitForFinished(kEventuallyMs)) {
            p.kill();
            p.waitForFinished();
        }
        return p.readAllStandardOutput();
    }
    QImage grab() const { return QImage::fromData(run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), QStringLiteral("png:-")})); }
    void key(const QString& k) const { run(QStringLiteral("xdotool"), {QStringLiteral("key"), k}); }
    // The X server dies without a word, as it does when the session's display goes.
    void kill() {
        xvfb_.kill();
        xvfb_.waitForFinished();
    }

private:
    QProcess xvfb_, wm_;
    QString display_;
};

// Pixels that differ between two pictures of the screen within r.
int changed(const QImage& a, const QImage& b, const QRect& r) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
    return n;
}

TEST(DisplayLost, TheRunsChangesReachTheFileAndTheProgramEndsByItself) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString config = home.filePath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkdir(config));
    const QString file = QDir(config).filePath(QStringLiteral("Quorril prefs."));
    // The start-up game against the computer, without its music.
    ASSERT_TRUE(WritePrefsFile(file, {{QStringLiteral("sndAmbiance"), fw::Variant(false)}}));
    Desktop desk;
    ASSERT_TRUE(desk.start(home.path()));

    QProcess program;
    QProcessEnvironment env = desk.environment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    program.start(QStringLiteral(QUORRIL_BINARY), {});
    ASSERT_TRUE(program.waitForStarted(kEventuallyMs));

    // The game window is up once its empty board is on screen, where the board origin says.
    const QStringList origin = QString::fromLatin1(desk.run(QStringLiteral(QUORRIL_SOURCE_DIR "/tests/support/board-origin.sh"), {})).split(QLatin1Char(' '));
    ASSERT_EQ(origin.size(), 2);
    const QPoint board(origin[0].toInt(), origin[1].toInt());
    const QImage plateau = ::plateau()->Image().convertToFormat(QImage::Format_RGB32);
    QImage before;
    ASSERT_EVENTUALLY([&] {
        before = desk.grab().convertToFormat(QImage::Format_RGB32);
        if (before.isNull()) return false;
        for (const QPoint p : {QPoint(110, 110), QPoint(320, 210), QPoint(530, 400), QPoint(150, 380)})
            if (before.pixel(board + p) != plateau.pixel(p)) return false;
        return true;
    }());

    // Audio > Bruitage from the keyboard: its check mark goes, and the preference with it. The
    // menu opens under the menu bar, over the game window's title bar.
    const QRect menu(board.x() - 3, board.y() - 45, 320, 110);
    desk.key(QStringLiteral("alt"));
    desk.key(QStringLiteral("Right"));
    desk.key(QStringLiteral("Right"));
    desk.key(QStringLiteral("Down"));
    ASSERT_EVENTUALLY(changed(before, desk.grab().convertToFormat(QImage::Format_RGB32), menu) > 2000);
    desk.key(QStringLiteral("Return"));
    // The item acts before its menu goes from the screen.
    ASSERT_EVENTUALLY(changed(before, desk.grab().convertToFormat(QImage::Format_RGB32), menu) < 100);

    QElapsedTimer gone;
    gone.start();
    desk.kill();
    ASSERT_TRUE(program.waitForFinished(kEventuallyMs)) << "still running " << gone.elapsed() << " ms after its display went";
    std::printf("[ measure  ] the program ended %lld ms after its display went\n", gone.elapsed());
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << "ended by a signal";

    const Preferences written = readFile(file);
    EXPECT_TRUE(written.HasKey(QStringLiteral("sndBruitage")) && !written.GetBooleanItem(QStringLiteral("sndBruitage")));
    EXPECT_TRUE(written.GetBooleanItem(QStringLiteral("sndEndgame")));
    EXPECT_EQ(written.GetIntegerItem(QStringLiteral("difficulty")), 3);
}

// Runs the program's event loop with its preferences in the test's folder, runs step once it
// is open, and ends the process with check's answer (0 when everything went as it should).
[[noreturn]] void runWith(void (*step)(shell::App&), bool (*check)(int status), shell::App* (*make)() = [] { return new shell::App(); }) {
    // No game at start-up: the program needs no port for this.
    if (!WritePrefsFile(Preferences::FilePath(), {{QStringLiteral("newGameAtStartup"), fw::Variant(false)}})) std::_Exit(2);
    shell::App* app = make();
    shell::Prepare(*app);
    QTimer::singleShot(0, [app, step] { QTimer::singleShot(0, [app, step] { step(*app); }); });
    const int status = app->Run();
    std::_Exit(check(status) ? 0 : 1);
}

// What the run changed: a name in the top ten and a sound turned off.
void changeTheRun(shell::App& app) {
    scores().AddScore(QStringLiteral("Zoé"), 777);
    app.Prefs().SetItem(QStringLiteral("sndBruitage"), fw::Variant(false));
}

bool fileHoldsTheRun() {
    const Preferences p = readFile(Preferences::FilePath());
    const bool ok = p.GetItem(QStringLiteral("name_0")).ToString() == QStringLiteral("Zoé") &&
                    p.GetIntegerItem(QStringLiteral("score_0")) == 777 && !p.GetBooleanItem(QStringLiteral("sndBruitage")) &&
                    p.GetIntegerItem(QStringLiteral("difficulty")) == 3;
    if (!ok) std::fprintf(stderr, "the file does not hold the run's changes\n");
    return ok;
}

TEST(SessionEnd, TheSessionManagersQuitIsTheProgramsOwnQuit) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runWith(
                    [](shell::App& app) {
                        changeTheRun(app);
                        // What Qt's X11 platform does when the session manager ends the session
                        // (its "die" message); the frame's close is the program's quit.
                        QEvent quit(QEvent::Quit);
                        QCoreApplication::sendEvent(qApp, &quit);
                    },
                    [](int status) {
                        // The quit ran whole: every window closed, the top ten stored, the file written.
                        const bool closed = !fw::Exists<wnd::scores>() && App().IsTerminating;
                        if (!closed) std::fprintf(stderr, "the windows were not closed by the quit\n");
                        return status == 0 && closed && fileHoldsTheRun();
                    }),
                ::testing::ExitedWithCode(0), "");
}

TEST(DisplayLost, WhatTheQuitDoesWithoutADisplayStoresTheTopTenThenWritesTheFile) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(runWith(
                    [](shell::App& app) {
                        changeTheRun(app);
                        // Asked from inside the loop, it runs once; the process then ends there.
                        const bool ended = fw::Application::EndWithoutDisplay() && fw::Application::EndWithoutDisplay();
                        std::_Exit(ended && App().IsTerminating && fileHoldsTheRun() ? 0 : 1);
                    },
                    [](int) { return false; }),
                ::testing::ExitedWithCode(0), "");
    // Outside a running loop, the process ends as it would have.
    EXPECT_FALSE(fw::Application::EndWithoutDisplay());
}

// The application that notes the thread its display-lost part, the one that writes the store,
// runs on.
class NotingApp : public shell::App {
public:
    void Event_DisplayLost() override {
        ranOn = std::this_thread::get_id();
        shell::App::Event_DisplayLost();
    }
    static inline std::atomic<std::thread::id> ranOn{};
};

// A thread other than the loop's ends the process (a library's thread calling exit()): the store
// is written on the loop's thread, never from the ending one, and the end never hangs, even when
// the loop's thread is waiting for the ending one.
TEST(DisplayLost, AnotherThreadsEndWritesTheFileOnTheLoopsThreadOnly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* what;
        void (*step)(shell::App&);
    };
    static std::thread::id loop;
    static std::thread ending;
    // The other thread ends the process with 0 when what it sees is right.
    static const auto end = [](bool loopWaits) {
        const bool ended = fw::Application::EndWithoutDisplay();
        const Preferences p = readFile(Preferences::FilePath());
        const bool notHere = NotingApp::ranOn.load() != std::this_thread::get_id();
        // A loop's thread that waits for the ending one cannot save: the file stays as it was.
        const bool file = loopWaits ? p.GetItem(QStringLiteral("name_0")).ToString() != QStringLiteral("Zoé") && NotingApp::ranOn.load() == std::thread::id()
                                    : NotingApp::ranOn.load() == loop && fileHoldsTheRun();
        if (!notHere) std::fprintf(stderr, "the ending thread wrote the store\n");
        std::_Exit(ended && notHere && file ? 0 : 1);
    };
    const Case cases[] = {
        {"the loop runs on", [](shell::App& app) {
             changeTheRun(app);
             loop = std::this_thread::get_id();
             ending = std::thread([] { end(false); });
         }},
        {"the loop's thread waits for the ending one", [](shell::App& app) {
             changeTheRun(app);
             loop = std::this_thread::get_id();
             ending = std::thread([] { end(true); });
             ending.join();
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EXIT(runWith(c.step, [](int) { return false; }, []() -> shell::App* { return new NotingApp(); }),
                    ::testing::ExitedWithCode(0), "");
    }
}

}  // namespace
