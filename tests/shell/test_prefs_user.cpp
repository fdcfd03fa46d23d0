// The real program, run as a normal user (through setpriv when the suite runs as root, since root
// reads every file): a preferences file that user cannot read is left as it is at quit, with a
// word on stderr; one they can read is rewritten as ever.
#include "shell/preferences.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kUser = 65534;  // nobody
constexpr gid_t kGroup = 65534;

void giveToUser(const QString& path, mode_t mode) {
    const QByteArray p = QFile::encodeName(path);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(p.constData(), kUser, kGroup), 0) << p.constData();
    }
    ASSERT_EQ(::chmod(p.constData(), mode), 0) << p.constData();
}

struct Outcome {
    int exitCode = -1;
    QString errors;
};

// Runs the program as the user with config as its preferences folder, until a SIGTERM.
Outcome runAsUser(const QString& binary, const QString& config, const QString& home) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home);
    if (::geteuid() == 0) {
        // setpriv replaces itself with the program, which keeps its process id.
        program.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=%1").arg(kUser), QStringLiteral("--regid=%1").arg(kGroup),
                                                  QStringLiteral("--clear-groups"), QStringLiteral("--"), binary});
    } else {
        program.start(binary, {});
    }
    Outcome r;
    if (!program.waitForStarted(5000)) return r;
    QTest::qWait(1500);  // past the start-up, into the event loop
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    if (!program.waitForFinished(10000)) {
        program.kill();
        program.waitForFinished();
        return r;
    }
    r.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    r.errors = QString::fromLocal8Bit(program.readAllStandardError());
    return r;
}

TEST(PrefsAsAUser, AFileTheUserCannotReadIsLeftAsItIsAndOneTheyCanIsRewritten) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    giveToUser(base.path(), 0700);
    // The program is copied where the user may run it; its pictures and sounds are inside it.
    const QString binary = base.filePath(QStringLiteral("quorril"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUORRIL_BINARY), binary));
    giveToUser(binary, 0755);
    const QString config = base.filePath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkdir(config));
    giveToUser(config, 0700);
    const QString file = QDir(config).filePath(QStringLiteral("Quorril prefs."));

    Preferences old;
    old.SetItem(QStringLiteral("name_0"), fw::Variant(QStringLiteral("Zoé")));
    old.SetItem(QStringLiteral("score_0"), fw::Variant(std::int32_t(900)));
    // No game at start-up once the file is read.
    old.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(false));
    const QByteArray content = old.Serialise();

    for (const mode_t mode : {mode_t(0000), mode_t(0600)}) {
        {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(f.write(content), content.size());
        }
        giveToUser(file, mode);
        const Outcome r = runAsUser(binary, config, base.path());
        ASSERT_EQ(r.exitCode, 0) << "mode " << mode << ": " << r.errors.toStdString();

        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, mode);
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0600), 0);
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray after = f.readAll();
        if (mode == 0000) {
            EXPECT_EQ(after, content) << "the high scores were lost";
            EXPECT_TRUE(r.errors.contains(QStringLiteral("could not be read"))) << r.errors.toStdString();
        } else {
            // The quit wrote the file: the defaults joined the scores.
            Preferences written;
            written.Deserialise(after);
            EXPECT_EQ(written.GetItem(QStringLiteral("name_0")), fw::Variant(QStringLiteral("Zoé")));
            EXPECT_EQ(written.GetIntegerItem(QStringLiteral("difficulty")), 3);
            EXPECT_FALSE(r.errors.contains(QStringLiteral("could not be read"))) << r.errors.toStdString();
        }
        // No temporary file is left beside it (the sound system may add a folder of its own).
        const QStringList strays = QDir(config).entryList({QStringLiteral(".Quorril*")}, QDir::AllEntries | QDir::Hidden);
        EXPECT_TRUE(strays.isEmpty()) << strays.join(QLatin1Char(' ')).toStdString();
    }
}

}  // namespace
