// The program itself with its plug-in: it loads libBonjour.so from the folder it runs from,
// wherever that folder is, and a machine without the daemon, a program without its plug-in or
// with a damaged one (cut short, a FIFO in its place), or a daemon that answers nothing, still
// starts, plays against the computer and quits.
#include "shell/preferences.h"

#include "child.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <sys/stat.h>

namespace {

constexpr int kWait = 15000;

// The program copied into a folder of its own, with or without its plug-in beside it.
struct Installed {
    QTemporaryDir dir, config;
    QProcess program;

    explicit Installed(bool withPlugin) {
        QFile::copy(QStringLiteral(QUORRIL_BINARY), dir.filePath(QStringLiteral("quorril")));
        QFile(dir.filePath(QStringLiteral("quorril"))).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (withPlugin) QFile::copy(QStringLiteral(QUORRIL_PLUGIN_PATH), dir.filePath(QStringLiteral("libBonjour.so")));
    }
    void start(const QString& bus) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus);
        program.setProcessEnvironment(env);
        program.start(dir.filePath(QStringLiteral("quorril")), {});
    }
    QString plugin() const { return dir.filePath(QStringLiteral("libBonjour.so")); }
    // Whether the running program has that file mapped.
    bool maps(const QString& file) const {
        QFile m(QStringLiteral("/proc/%1/maps").arg(program.processId()));
        return m.open(QIODevice::ReadOnly) && m.readAll().contains(file.toUtf8());
    }
    // The game against the computer runs: the computer player's connection to port 1234 is up.
    // Both ends show, the listener's side possibly as an IPv4-mapped IPv6 address.
    static bool gameUp() {
        int established = 0;
        for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
            QFile tcp(QString::fromLatin1(table));
            if (!tcp.open(QIODevice::ReadOnly)) continue;
            for (const QByteArray& line : tcp.readAll().split('\n')) {
                const QList<QByteArray> f = line.simplified().split(' ');
                // local address, remote address, state 01 (established), 127.0.0.1:1234 on either side
                if (f.size() > 3 && f[3] == "01" && (f[1].endsWith("0100007F:04D2") || f[2].endsWith("0100007F:04D2"))) ++established;
            }
        }
        return established >= 2;
    }
    // Quits as a desktop logout does; answers whether it ended normally and wrote its preferences.
    bool quit() {
        if (!QTest::qWaitFor([&] { return catchesSignal(program, SIGTERM); }, kWait) || !signalChild(program, SIGTERM)) return false;
        if (!program.waitForFinished(kWait) || program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0) return false;
        return QFile::exists(QDir(config.path()).filePath(QStringLiteral("Quorril prefs.")));
    }
};

QString privateBus() { return qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS"); }

bool ctl(const char* what) {
    return QProcess::execute(qEnvironmentVariable("QUORRIL_AVAHI_CTL"), {QString::fromLatin1(what)}) == 0;
}

TEST(Program, MovedToAnotherFolderItLoadsThePluginBesideIt) {
    if (!qEnvironmentVariableIsSet("QUORRIL_AVAHI_CTL")) GTEST_SKIP() << "run through tests/support/with-avahi.sh";
    Installed q(true);
    q.start(privateBus());
    ASSERT_TRUE(q.program.waitForStarted());
    EXPECT_TRUE(QTest::qWaitFor([&] { return q.maps(q.plugin()); }, kWait));
    // Not the one in the build folder.
    EXPECT_FALSE(q.maps(QStringLiteral(QUORRIL_PLUGIN_PATH)));
    EXPECT_TRUE(QTest::qWaitFor(Installed::gameUp, kWait));
    EXPECT_TRUE(q.quit());
}

TEST(Program, WithoutTheDaemonOrWithoutThePluginItStartsAndPlays) {
    struct Case {
        const char* name;
        bool plugin;
        bool daemon;
    };
    for (const Case& c : {Case{"no daemon", true, false}, Case{"no plug-in file", false, true}, Case{"neither", false, false}}) {
        if (c.daemon && !qEnvironmentVariableIsSet("QUORRIL_AVAHI_CTL")) continue;
        Installed q(c.plugin);
        q.start(c.daemon ? privateBus() : QStringLiteral("unix:path=/nonexistent/quorril-no-bus"));
        ASSERT_TRUE(q.program.waitForStarted()) << c.name;
        EXPECT_TRUE(QTest::qWaitFor(Installed::gameUp, kWait)) << c.name;
        EXPECT_EQ(q.maps(q.plugin()), c.plugin) << c.name;
        EXPECT_EQ(q.program.state(), QProcess::Running) << c.name;
        EXPECT_TRUE(q.quit()) << c.name;
    }
}

TEST(Program, WithADamagedPluginFileItStartsWithoutDnsSdAndPlays) {
    QFile real(QStringLiteral(QUORRIL_PLUGIN_PATH));
    ASSERT_TRUE(real.open(QIODevice::ReadOnly));
    const QByteArray whole = real.readAll();
    struct Case {
        QString name;
        std::function<bool(const QString& path)> make;
    };
    auto cut = [&](qsizetype size) {
        return Case{QStringLiteral("cut to %1 bytes").arg(size), [&whole, size](const QString& path) {
                        QFile f(path);
                        return f.open(QIODevice::WriteOnly) && f.write(whole.left(size)) == qMin(size, whole.size());
                    }};
    };
    const Case cases[] = {
        cut(4096),
        cut(65536),
        cut(whole.size() - 3),
        {QStringLiteral("a FIFO"), [](const QString& path) { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        Installed q(false);
        ASSERT_TRUE(c.make(q.plugin()));
        q.start(QStringLiteral("unix:path=/nonexistent/quorril-no-bus"));
        ASSERT_TRUE(q.program.waitForStarted());
        // The game against the computer comes up: the start went past the plug-in.
        EXPECT_TRUE(QTest::qWaitFor(Installed::gameUp, kWait));
        EXPECT_FALSE(q.maps(q.plugin()));
        EXPECT_EQ(q.program.state(), QProcess::Running);
        EXPECT_TRUE(q.quit());
        if (q.program.state() != QProcess::NotRunning) {
            q.program.kill();
            q.program.waitForFinished(kWait);
        }
    }
}

// The daemon is stopped (SIGSTOP: it takes requests and answers none) before the program starts
// and while it quits: the game against the computer starts, hosted and announced as ever, and
// the quit ends the program, both well before a request to the daemon would give up (25 s).
TEST(Program, ADaemonThatAnswersNothingHoldsNeitherTheStartNorTheQuit) {
    if (!qEnvironmentVariableIsSet("QUORRIL_AVAHI_CTL")) GTEST_SKIP() << "run through tests/support/with-avahi.sh";
    struct Resume {
        ~Resume() { ctl("resume"); }
    } resume;
    ASSERT_TRUE(ctl("pause"));
    Installed q(true);
    q.start(privateBus());
    ASSERT_TRUE(q.program.waitForStarted());
    EXPECT_TRUE(QTest::qWaitFor(Installed::gameUp, kWait));
    EXPECT_TRUE(q.quit());
}

}  // namespace
