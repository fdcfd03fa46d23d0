// The preferences file, with the real file in a temporary XDG_CONFIG_HOME: byte-exact records of
// every type code, damaged and hostile files, round trips and saves that fail.
#include "framework/folders.h"
#include "shell/preferences.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <initializer_list>
#include <random>
#include <sys/resource.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using fw::Variant;

QByteArray bytes(std::initializer_list<int> list) {
    QByteArray b;
    for (int v : list) b.append(static_cast<char>(v));
    return b;
}

// One record: length byte, key, type code, value bytes.
QByteArray record(const QByteArray& key, int code, const QByteArray& value) {
    QByteArray r;
    r.append(static_cast<char>(key.size()));
    r.append(key);
    r.append(static_cast<char>(code));
    r.append(value);
    return r;
}

class PrefsFile : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        saved = qgetenv("XDG_CONFIG_HOME");
        folder = dir.filePath(QStringLiteral("config"));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    }
    void TearDown() override { qputenv("XDG_CONFIG_HOME", saved); }

    QString path() const { return QDir(folder).filePath(QStringLiteral("Quorril prefs.")); }
    void writeFile(const QByteArray& content) {
        ASSERT_TRUE(fw::MakeFolder(folder));
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(content), content.size());
    }
    QByteArray readFile() const {
        QFile f(path());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
    }
    Preferences loadFrom(const QByteArray& content) {
        writeFile(content);
        Preferences p;
        EXPECT_TRUE(p.LoadPrefs());
        return p;
    }
    // Whatever is in the folder besides the preferences file (a temporary file left behind).
    QStringList strays() const {
        QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        names.removeAll(QStringLiteral("Quorril prefs."));
        return names;
    }

    QTemporaryDir dir;
    QByteArray saved;
    QString folder;
};

TEST_F(PrefsFile, FolderIsTheXdgConfigHomeAndTheFileLiesDirectlyInIt) {
    EXPECT_EQ(fw::PreferencesFolder(), folder);
    EXPECT_EQ(Preferences::FilePath(), path());
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(fw::PreferencesFolder(), QDir::cleanPath(QFile::decodeName(qgetenv("HOME")) + QStringLiteral("/.config")));
}

TEST_F(PrefsFile, EveryTypeCodeLoadsAsItsKind) {
    struct Case {
        const char* name;
        QByteArray value;  // the bytes after the type code
        int code;
        Variant expected;
    };
    const Case cases[] = {
        {"int32", bytes({0xFF, 0xFF, 0xFF, 0xFE}), 2, Variant(-2)},
        {"int32 big-endian", bytes({0x12, 0x34, 0x56, 0x78}), 2, Variant(0x12345678)},
        {"int64 from 32 bits", bytes({0, 0, 0, 1}), 3, Variant(std::int64_t(1))},
        {"int64 sign-extended", bytes({0xFF, 0xFF, 0xFF, 0xFE}), 3, Variant(std::int64_t(-2))},
        {"single", bytes({0x3F, 0xC0, 0, 0}), 4, Variant(1.5f)},
        {"double", bytes({0x3F, 0xF8, 0, 0, 0, 0, 0, 0}), 5, Variant(1.5)},
        {"currency", bytes({0, 0, 0, 0, 0, 0, 0x30, 0x39}), 6, Variant(fw::Currency{12345})},
        {"date", bytes({0x41, 0xCD, 0xCD, 0x65, 0, 0, 0, 0}), 7, Variant(fw::Date{1.0e9})},
        {"string", bytes({0, 0, 0, 3, 'a', 'b', 'c'}), 8, Variant("abc")},
        {"empty string", bytes({0, 0, 0, 0}), 8, Variant("")},
        {"utf-8 string", bytes({0, 0, 0, 4, 'Z', 'o', 0xC3, 0xA9}), 8, Variant(QStringLiteral("Zoé"))},
        {"object", bytes({0}), 9, Variant()},
        {"nil", bytes({7}), 0, Variant()},
        {"true", bytes({1}), 11, Variant(true)},
        {"false", bytes({0}), 11, Variant(false)},
        {"colour", bytes({18, 52, 86}), 16, Variant(fw::Colour{18, 52, 86})},
    };
    for (const Case& c : cases) {
        // A second record after it shows that exactly the value's bytes were read.
        const Preferences p = loadFrom(record("k", c.code, c.value) + record("after", 2, bytes({0, 0, 0, 9})));
        EXPECT_TRUE(p.HasKey(QStringLiteral("k"))) << c.name;
        EXPECT_EQ(p.GetItem(QStringLiteral("k"), Variant("absent")), c.expected) << c.name;
        EXPECT_EQ(p.GetIntegerItem(QStringLiteral("after")), 9) << c.name;
    }
}

TEST_F(PrefsFile, NilFromTheFileKeepsTheKeyAgainstDefaults) {
    Preferences p = loadFrom(record("obj", 9, bytes({0})) + record("nil", 0, bytes({0})));
    for (const char* key : {"obj", "nil"}) {
        const QString k = QString::fromLatin1(key);
        p.FixItem(k, Variant(true));
        EXPECT_TRUE(p.GetItem(k, Variant(5)).IsNil()) << key;
        EXPECT_FALSE(p.GetBooleanItem(k));
        EXPECT_EQ(p.GetIntegerItem(k), 0);
    }
    // Nil has no record, so the key is gone from the next file.
    ASSERT_TRUE(p.SavePrefs());
    EXPECT_EQ(readFile(), QByteArray());
}

TEST_F(PrefsFile, UnknownCodeDropsItsKeyAndTheNextRecordFollowsTheCode) {
    const Preferences p = loadFrom(record("odd", 10, QByteArray()) + record("b", 11, bytes({1})));
    EXPECT_FALSE(p.HasKey(QStringLiteral("odd")));
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("b")));
    EXPECT_EQ(p.Count(), 1);
}

TEST_F(PrefsFile, LaterRecordWins) {
    const Preferences p = loadFrom(record("d", 2, bytes({0, 0, 0, 1})) + record("d", 8, bytes({0, 0, 0, 1, 'x'})));
    EXPECT_EQ(p.GetItem(QStringLiteral("d")), Variant("x"));
    EXPECT_EQ(p.Count(), 1);
}

TEST_F(PrefsFile, LoadKeepsEntriesTheFileLacksAndAnEmptyFileLoadsNothing) {
    writeFile(QByteArray());
    Preferences p;
    p.SetItem(QStringLiteral("mine"), Variant(4));
    EXPECT_TRUE(p.LoadPrefs());
    EXPECT_EQ(p.Keys(), QStringList{QStringLiteral("mine")});
}

TEST_F(PrefsFile, NoFileLoadsNothingAndCreatesTheFolder) {
    folder = dir.filePath(QStringLiteral("a/b/config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    Preferences p;
    EXPECT_FALSE(p.LoadPrefs());
    EXPECT_EQ(p.Count(), 0);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(folder).constData(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(PrefsFile, SaveWritesTheRecordsByteForByteInTheStoresOrder) {
    Preferences p;
    p.SetItem(QStringLiteral("iaMessage"), Variant(true));
    p.SetItem(QStringLiteral("skipped"), Variant());
    p.SetItem(QStringLiteral("i"), Variant(-2));
    p.SetItem(QStringLiteral("big"), Variant((std::int64_t(1) << 32) + 1));
    p.SetItem(QStringLiteral("f"), Variant(1.5f));
    p.SetItem(QStringLiteral("d"), Variant(1.5));
    p.SetItem(QStringLiteral("c"), Variant(fw::Currency{12345}));
    p.SetItem(QStringLiteral("t"), Variant(fw::Date{1.0e9}));
    p.SetItem(QStringLiteral("s"), Variant(QStringLiteral("Zoé")));
    p.SetItem(QStringLiteral("e"), Variant(""));
    p.SetItem(QStringLiteral("o"), Variant::FromObject(std::make_shared<int>(1)));
    p.SetItem(QStringLiteral("rgb"), Variant(fw::Colour{18, 52, 86}));
    p.SetItem(QString(256, QLatin1Char('k')), Variant(1));  // too long for its length byte
    p.SetItem(QString(255, QLatin1Char('m')), Variant(false));
    // Replacing a value keeps the key's place.
    p.SetItem(QStringLiteral("i"), Variant(-3));
    ASSERT_TRUE(p.SavePrefs());
    EXPECT_TRUE(p.LastSaveSucceeded());

    const QByteArray expected = bytes({9, 'i', 'a', 'M', 'e', 's', 's', 'a', 'g', 'e', 11, 1}) +
                                record("i", 2, bytes({0xFF, 0xFF, 0xFF, 0xFD})) +
                                record("big", 3, bytes({0, 0, 0, 1})) +
                                record("f", 4, bytes({0x3F, 0xC0, 0, 0})) +
                                record("d", 5, bytes({0x3F, 0xF8, 0, 0, 0, 0, 0, 0})) +
                                record("c", 6, bytes({0, 0, 0, 0, 0, 0, 0x30, 0x39})) +
                                record("t", 7, bytes({0x41, 0xCD, 0xCD, 0x65, 0, 0, 0, 0})) +
                                record("s", 8, bytes({0, 0, 0, 4, 'Z', 'o', 0xC3, 0xA9})) +
                                record("e", 8, bytes({0, 0, 0, 0})) + record("o", 9, bytes({0})) +
                                record("rgb", 16, bytes({18, 52, 86})) +
                                record(QByteArray(255, 'm'), 11, bytes({0}));
    EXPECT_EQ(readFile().toHex(' ').toStdString(), expected.toHex(' ').toStdString());
    EXPECT_TRUE(strays().isEmpty());
}

TEST_F(PrefsFile, SaveThenLoadRoundTrips) {
    Preferences p;
    p.SetItem(QStringLiteral("name_0"), Variant(QStringLiteral("Zoé")));
    p.SetItem(QStringLiteral("score_0"), Variant(1234));
    p.SetItem(QStringLiteral("plain"), Variant("Nobody"));
    p.SetItem(QStringLiteral("empty"), Variant(""));
    p.SetItem(QStringLiteral("on"), Variant(true));
    p.SetItem(QStringLiteral("big"), Variant(std::int64_t(-2)));
    p.SetItem(QStringLiteral("f"), Variant(-0.25f));
    p.SetItem(QStringLiteral("d"), Variant(3.141592653589793));
    p.SetItem(QStringLiteral("c"), Variant(fw::Currency{-7}));
    p.SetItem(QStringLiteral("t"), Variant(fw::Date{-12.5}));
    p.SetItem(QStringLiteral("rgb"), Variant(fw::Colour{255, 0, 128}));
    p.SetItem(QStringLiteral("clé"), Variant(QStringLiteral("日本")));
    ASSERT_TRUE(p.SavePrefs());

    Preferences q;
    ASSERT_TRUE(q.LoadPrefs());
    EXPECT_EQ(q.Keys(), p.Keys());
    for (const QString& k : p.Keys()) EXPECT_EQ(q.GetItem(k), p.GetItem(k)) << k.toStdString();

    // The file the second store writes is the same file.
    const QByteArray first = readFile();
    ASSERT_TRUE(q.SavePrefs());
    EXPECT_EQ(readFile(), first);
}

TEST_F(PrefsFile, CutFileKeepsTheRecordsBeforeTheCut) {
    const QByteArray a = record("a", 2, bytes({0, 0, 0, 1}));
    const QByteArray b = record("bb", 8, bytes({0, 0, 0, 2, 'h', 'i'}));
    const QByteArray c = record("c", 16, bytes({1, 2, 3}));
    const QByteArray whole = a + b + c;
    for (qsizetype cut = 0; cut <= whole.size(); ++cut) {
        Preferences p = loadFrom(whole.left(cut));
        const qsizetype records = (cut >= a.size()) + (cut >= a.size() + b.size()) + (cut == whole.size());
        EXPECT_EQ(p.Count(), records) << "cut at " << cut;
        EXPECT_EQ(p.GetIntegerItem(QStringLiteral("a")), cut >= a.size() ? 1 : 0) << "cut at " << cut;
    }
}

TEST_F(PrefsFile, HostileLengthsEndReadingAndKeepWhatCameBefore) {
    const QByteArray good = record("good", 11, bytes({1}));
    const QByteArray hostile[] = {
        record("neg", 8, bytes({0xFF, 0xFF, 0xFF, 0xFF, 'x'})),
        record("min", 8, bytes({0x80, 0, 0, 0})),
        record("huge", 8, bytes({0x7F, 0xFF, 0xFF, 0xFF, 'x', 'y'})),
        bytes({200, 'k'}),  // a key longer than the bytes left
    };
    for (const QByteArray& h : hostile) {
        Preferences p = loadFrom(good + h + record("later", 11, bytes({1})));
        EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("good")));
        EXPECT_FALSE(p.HasKey(QStringLiteral("later")));
        EXPECT_EQ(p.Count(), 1);
    }
}

TEST_F(PrefsFile, RandomBytesNeverCrash) {
    std::mt19937 rng(12345);
    for (int round = 0; round < 2000; ++round) {
        QByteArray junk(static_cast<qsizetype>(rng() % 64), '\0');
        for (char& ch : junk) ch = static_cast<char>(rng());
        Preferences p;
        p.Deserialise(junk);
        EXPECT_LE(p.Count(), junk.size());
    }
}

TEST_F(PrefsFile, SomethingOtherThanAFileLoadsNothingAndNeverBlocks) {
    ASSERT_TRUE(fw::MakeFolder(folder));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path()).constData(), 0600), 0);
    Preferences p;
    EXPECT_FALSE(p.LoadPrefs());
    ASSERT_TRUE(QFile::remove(path()));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("Quorril prefs.")));
    EXPECT_FALSE(p.LoadPrefs());
    EXPECT_EQ(p.Count(), 0);
}

// What a symbolic link says, as written; empty when path is no link.
std::string linkText(const QString& path) {
    char buf[4096];
    const ssize_t n = ::readlink(QFile::encodeName(path).constData(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<std::size_t>(n));
}

// The store this test saves is larger than the old file.
Preferences largerStore() {
    Preferences p;
    for (int i = 0; i < 50; ++i) p.SetItem(QStringLiteral("key_%1").arg(i), Variant(QString(40, QLatin1Char('x'))));
    return p;
}

TEST_F(PrefsFile, SaveOnAFullDiskKeepsTheOldFile) {
    const QByteArray old = record("old", 11, bytes({1}));
    writeFile(old);
    // A file-size limit stands in for a full disk: writes past it fail with EFBIG, also as root.
    struct sigaction ignore {}, previous {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previous), 0);
    rlimit was {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &was), 0);
    rlimit small = was;
    small.rlim_cur = 100;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    Preferences p = largerStore();
    const bool ok = p.SavePrefs();
    ::setrlimit(RLIMIT_FSIZE, &was);
    ::sigaction(SIGXFSZ, &previous, nullptr);

    EXPECT_FALSE(ok);
    EXPECT_FALSE(p.LastSaveSucceeded());
    EXPECT_EQ(readFile(), old);
    EXPECT_TRUE(strays().isEmpty()) << strays().join(QLatin1Char(' ')).toStdString();
}

TEST_F(PrefsFile, SaveThatCannotReplaceTheFileFails) {
    // A folder in the file's place: the rename fails, and the folder stays as it was.
    ASSERT_TRUE(fw::MakeFolder(path() + QStringLiteral("/inside")));
    Preferences p = largerStore();
    EXPECT_FALSE(p.SavePrefs());
    EXPECT_TRUE(QFileInfo(path() + QStringLiteral("/inside")).isDir());
    EXPECT_TRUE(strays().isEmpty());
}

TEST_F(PrefsFile, SaveWhereTheFolderCannotBeMadeFails) {
    // A file where a parent folder should be: no folder can be made, also as root.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.filePath(QStringLiteral("blocker/config"))));
    Preferences p = largerStore();
    EXPECT_FALSE(p.LoadPrefs());
    EXPECT_FALSE(p.SavePrefs());
    EXPECT_EQ(p.Count(), 50);
}

TEST_F(PrefsFile, SaveCreatesAMissingFolder) {
    folder = dir.filePath(QStringLiteral("new/config"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
    Preferences p;
    p.SetItem(QStringLiteral("x"), Variant(1));
    ASSERT_TRUE(p.SavePrefs());
    EXPECT_EQ(readFile(), record("x", 2, bytes({0, 0, 0, 1})));
    EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);
}

TEST_F(PrefsFile, ALinkStaysALinkAndTheFileItLeadsToTakesTheSave) {
    // A relative link to a link to the real file, in folders of their own.
    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere"));
    const QString real = elsewhere + QStringLiteral("/real prefs");
    ASSERT_TRUE(fw::MakeFolder(folder));
    ASSERT_TRUE(fw::MakeFolder(elsewhere));
    ASSERT_EQ(::symlink("../elsewhere/middle", QFile::encodeName(path()).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(real).constData(), QFile::encodeName(elsewhere + QStringLiteral("/middle")).constData()), 0);
    {
        QFile f(real);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(record("old", 11, bytes({1})));
    }
    ASSERT_EQ(::chmod(QFile::encodeName(real).constData(), 0640), 0);

    Preferences p;
    ASSERT_TRUE(p.LoadPrefs());
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("old")));
    p.SetItem(QStringLiteral("new"), Variant(7));
    ASSERT_TRUE(p.SavePrefs());

    EXPECT_EQ(linkText(path()), "../elsewhere/middle");
    EXPECT_EQ(linkText(elsewhere + QStringLiteral("/middle")), QFile::encodeName(real).toStdString());
    QFile f(real);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), record("old", 11, bytes({1})) + record("new", 2, bytes({0, 0, 0, 7})));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_TRUE(strays().isEmpty());
    EXPECT_EQ(QDir(elsewhere).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{QStringLiteral("middle"), QStringLiteral("real prefs")}));

    // A link whose file does not exist yet: the save makes the file there.
    ASSERT_TRUE(QFile::remove(real));
    ASSERT_TRUE(p.SavePrefs());
    EXPECT_EQ(linkText(path()), "../elsewhere/middle");
    EXPECT_TRUE(QFileInfo(real).isFile());
}

TEST_F(PrefsFile, TemporaryFilesAnInterruptedSaveLeftAreRemovedAtTheNextSave) {
    writeFile(record("old", 11, bytes({1})));
    // What a save killed between its temporary file and its rename leaves, next to files that
    // only look alike.
    const QStringList stale = {QStringLiteral(".Quorril prefs..a1B2c3"), QStringLiteral(".Quorril prefs..ZZZZZZ")};
    const QStringList kept = {QStringLiteral(".Quorril prefs..keep"), QStringLiteral(".Quorril prefs..abc-12"),
                              QStringLiteral("Quorril prefs..a1B2c3"), QStringLiteral(".Other prefs..a1B2c3")};
    for (const QString& name : stale + kept) {
        QFile f(QDir(folder).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("half a save");
    }
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral(".Quorril prefs..dir123")));
    Preferences p;
    p.SetItem(QStringLiteral("x"), Variant(1));
    ASSERT_TRUE(p.SavePrefs());
    EXPECT_EQ(readFile(), record("x", 2, bytes({0, 0, 0, 1})));
    QStringList expected = kept;
    expected << QStringLiteral(".Quorril prefs..dir123");
    QStringList left = strays();
    left.sort();
    expected.sort();
    EXPECT_EQ(left, expected);
}

TEST_F(PrefsFile, AFileThatIsThereButCannotBeReadIsNeverReplaced) {
    // A loop of links cannot be read, also by root (the permission case runs as a user in
    // shell_prefs_user).
    ASSERT_TRUE(fw::MakeFolder(folder));
    ASSERT_EQ(::symlink("Quorril prefs.", QFile::encodeName(path()).constData()), 0);
    Preferences p;
    EXPECT_FALSE(p.LoadPrefs());
    p.SetItem(QStringLiteral("x"), Variant(1));
    EXPECT_FALSE(p.SavePrefs());
    EXPECT_FALSE(p.LastSaveSucceeded());
    EXPECT_EQ(linkText(path()), "Quorril prefs.");
    EXPECT_TRUE(strays().isEmpty());

    // Nothing there at all is no reason to keep anything.
    ASSERT_TRUE(QFile::remove(path()));
    Preferences q;
    EXPECT_FALSE(q.LoadPrefs());
    EXPECT_TRUE(q.SavePrefs());
}

// What fn writes on stderr.
QString stderrOf(const std::function<void()>& fn) {
    QTemporaryFile capture;
    if (!capture.open()) return QStringLiteral("<no capture>");
    std::fflush(stderr);
    const int saved = ::dup(2);
    ::dup2(capture.handle(), 2);
    fn();
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
    capture.seek(0);
    return QString::fromLocal8Bit(capture.readAll());
}

// Valid records (texts under four-letter keys), size bytes in all.
QByteArray recordsOfSize(qsizetype size) {
    constexpr qsizetype kChunk = 64 * 1024;
    constexpr qsizetype kOverhead = 1 + 4 + 1 + 4;  // length byte, key, code, text length
    QByteArray out;
    out.reserve(size);
    for (int i = 0; out.size() < size; ++i) {
        const qsizetype left = size - out.size();
        // The last record takes what is left; the one before it leaves room for one.
        const qsizetype take = left <= kChunk ? left : (left - kChunk < kOverhead ? left - kOverhead : kChunk);
        const qsizetype n = take - kOverhead;
        const QByteArray key = QByteArray::number(1000 + i);
        out += record(key, 8, bytes({int(n >> 24) & 0xFF, int(n >> 16) & 0xFF, int(n >> 8) & 0xFF, int(n) & 0xFF}) +
                                  QByteArray(n, 'x'));
    }
    return out;
}

TEST_F(PrefsFile, AFileLargerThanTheReaderReadsIsKeptAsItIsAndOneThatFitsIsRewritten) {
    const qsizetype cap = Preferences::kMaxFileBytes;
    struct Case {
        qsizetype size;
        bool fits;
    };
    for (const Case c : {Case{cap - 5, true}, Case{cap, true}, Case{cap + 1, false}, Case{cap + 300 * 1024, false}}) {
        SCOPED_TRACE(c.size);
        const QByteArray content = recordsOfSize(c.size);
        ASSERT_EQ(content.size(), c.size);
        writeFile(content);
        // Start-up and quit: load, the defaults, a change, the save.
        Preferences p;
        EXPECT_EQ(p.LoadPrefs(), c.fits);
        p.FixItem(QStringLiteral("difficulty"), Variant(std::int32_t(3)));
        p.SetItem(QStringLiteral("newGameAtStartup"), Variant(false));
        bool saved = false;
        const QString errors = stderrOf([&] { saved = p.SavePrefs(); });
        EXPECT_EQ(saved, c.fits);
        EXPECT_TRUE(strays().isEmpty());
        if (c.fits) {
            // Every record came back, with the run's own.
            Preferences written;
            written.Deserialise(readFile());
            EXPECT_EQ(written.Count(), p.Count());
            EXPECT_EQ(written.GetIntegerItem(QStringLiteral("difficulty")), 3);
            EXPECT_TRUE(written.HasKey(QStringLiteral("1000")));
            EXPECT_FALSE(errors.contains(QStringLiteral("could not be read"))) << errors.toStdString();
        } else {
            EXPECT_TRUE(readFile() == content) << "the file was rewritten";
            EXPECT_TRUE(errors.contains(QStringLiteral("could not be read"))) << errors.toStdString();
            EXPECT_TRUE(errors.contains(path())) << errors.toStdString();
        }
    }
}

TEST(PrefsStore, LookupsAndDefaults) {
    Preferences p;
    EXPECT_EQ(p.GetItem(QStringLiteral("x"), Variant(7)), Variant(7));
    EXPECT_TRUE(p.GetItem(QStringLiteral("x")).IsNil());
    EXPECT_FALSE(p.GetBooleanItem(QStringLiteral("x")));
    EXPECT_EQ(p.GetIntegerItem(QStringLiteral("x")), 0);
    p.SetItem(QStringLiteral("x"), Variant());
    EXPECT_TRUE(p.HasKey(QStringLiteral("x")));
    EXPECT_TRUE(p.GetItem(QStringLiteral("x"), Variant(7)).IsNil());
    p.FixItem(QStringLiteral("x"), Variant(7));
    EXPECT_TRUE(p.GetItem(QStringLiteral("x")).IsNil());
    p.FixItem(QStringLiteral("y"), Variant(7));
    p.FixItem(QStringLiteral("y"), Variant(8));
    EXPECT_EQ(p.GetIntegerItem(QStringLiteral("y")), 7);
    p.SetItem(QStringLiteral("s"), Variant("12 pions"));
    EXPECT_EQ(p.GetIntegerItem(QStringLiteral("s")), 12);
    EXPECT_TRUE(p.GetBooleanItem(QStringLiteral("s")));
    // Keys are compared exactly.
    EXPECT_FALSE(p.HasKey(QStringLiteral("Y")));
    EXPECT_EQ(p.Keys(), (QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("s")}));
}

}  // namespace
