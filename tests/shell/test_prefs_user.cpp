// The real program, run as a normal user: a preferences file that user cannot read is left as it
// is at quit, with a word on stderr; one they can read is rewritten as ever. Root (also the root of
// the user namespace an ordinary user's suite runs in) reads every file, so the program then runs
// without any capability: for the files the test makes, it is then a user like any other.
#include "shell/preferences.h"

#include "child.h"
#include "eventually.h"
#include "prefs_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kWait = kEventuallyMs;

struct Outcome {
    int exitCode = -1;
    QString errors;
};

// Runs the program with config as its preferences folder, until a SIGTERM once it is past its
// start-up.
Outcome runAsUser(const QString& config, const QString& home) {
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    program.setProcessEnvironment(env);
    program.setWorkingDirectory(home);
    const QString binary = QStringLiteral(QUORRIL_BINARY);
    if (::geteuid() == 0) {
        // setpriv replaces itself with the program, which keeps its process id.
        program.start(QStringLiteral("setpriv"), {QStringLiteral("--inh-caps=-all"), QStringLiteral("--bounding-set=-all"),
                                                  QStringLiteral("--no-new-privs"), QStringLiteral("--"), binary});
    } else {
        program.start(binary, {});
    }
    Outcome r;
    if (!program.waitForStarted(kWait)) return r;
    const bool ready = QTest::qWaitFor([&] { return catchesSignal(program, SIGTERM); }, kWait);
    if (!ready || !signalChild(program, SIGTERM) || !program.waitForFinished(kWait)) {
        program.kill();
        program.waitForFinished();
        r.errors = QString::fromLocal8Bit(program.readAllStandardError());
        return r;
    }
    r.exitCode = program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1;
    r.errors = QString::fromLocal8Bit(program.readAllStandardError());
    return r;
}

TEST(PrefsAsAUser, AFileTheUserCannotReadIsLeftAsItIsAndOneTheyCanIsRewritten) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString config = base.filePath(QStringLiteral("config"));
    ASSERT_TRUE(QDir().mkdir(config));
    const QString file = QDir(config).filePath(QStringLiteral("Quorril prefs."));

    Preferences old;
    old.SetItem(QStringLiteral("name_0"), fw::Variant(QStringLiteral("Zoé")));
    old.SetItem(QStringLiteral("score_0"), fw::Variant(std::int32_t(900)));
    // No game at start-up once the file is read.
    old.SetItem(QStringLiteral("newGameAtStartup"), fw::Variant(false));
    const QByteArray content = old.Serialise();

    for (const mode_t mode : {mode_t(0000), mode_t(0600)}) {
        ASSERT_TRUE(WritePrefsFile(file, old));
        ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), mode), 0);
        const Outcome r = runAsUser(config, base.path());
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
