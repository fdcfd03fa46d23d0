// A desktop logout (SIGHUP), Ctrl+C (SIGINT) or a plain kill (SIGTERM) ends the real program with
// its normal quit, so the preferences file is still written once.
#include "shell/preferences.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

// Whether the process has a handler for sig (the SigCgt mask of /proc/PID/status).
bool catches(qint64 pid, int sig) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return false;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("SigCgt:")) return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    return false;
}

TEST(Signals, EachEndsTheProgramWithItsNormalQuit) {
    for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
        QTemporaryDir config;
        {
            // No game at start-up: the program needs no port for this.
            Preferences p;
            p.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(false));
            QFile f(config.filePath(QStringLiteral("Quorril prefs.")));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(p.Serialise());
        }
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(QUORRIL_BINARY), {});
        ASSERT_TRUE(program.waitForStarted(5000));
        // Past the start-up, into the event loop: the program catches the signal by then.
        ASSERT_TRUE(QTest::qWaitFor([&] { return catches(program.processId(), sig); }, 10000)) << sig;
        ::kill(static_cast<pid_t>(program.processId()), sig);
        ASSERT_TRUE(program.waitForFinished(10000)) << sig;
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
