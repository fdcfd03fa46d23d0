// A desktop logout (SIGHUP), Ctrl+C (SIGINT) or a plain kill (SIGTERM) ends the real program with
// its normal quit, so the preferences file is still written once.
#include "shell/preferences.h"

#include "child.h"
#include "eventually.h"
#include "prefs_file.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

TEST(Signals, EachEndsTheProgramWithItsNormalQuit) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir config;
        // No game at start-up: the program needs no port for this.
        ASSERT_TRUE(WritePrefsFile(config.filePath(QStringLiteral("Quorril prefs.")), {{QStringLiteral("newGameAtStartup"), fw::Variant(false)}}));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUORRIL_BINARY), {});
        ASSERT_TRUE(program.waitForStarted(kEventuallyMs));
        // Past the start-up, into the event loop: the program catches the signal by then.
        ASSERT_TRUE(QTest::qWaitFor([&] { return catchesSignal(program, sig); }, kEventuallyMs)) << sig;
        ASSERT_TRUE(signalChild(program, sig)) << sig;
        ASSERT_TRUE(program.waitForFinished(kEventuallyMs)) << sig;
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit) << sig;
        EXPECT_EQ(program.exitCode(), 0) << sig;

        QFile f(config.filePath(QStringLiteral("Quorril prefs.")));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        Preferences written;
        written.Deserialise(f.readAll());
        // The defaults were added at start-up and reached the disk at quit.
        EXPECT_EQ(written.GetIntegerItem(QStringLiteral("difficulty")), 3) << sig;
        EXPECT_FALSE(written.GetBooleanItem(QStringLiteral("newGameAtStartup"))) << sig;
    }
}

}  // namespace
