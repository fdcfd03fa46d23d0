// Damaged plug-in files, loaded by the program's host in this process: a library cut short (an
// interrupted copy or upgrade), a FIFO, an empty or text file, a folder, a library of another
// build, an unreadable file. Each one is no DNS-SD, as a missing file is, and neither crashes nor
// blocks; a whole copy, also one reached through a link, still loads afterwards.
#include "framework/bonjour.h"
#include "framework/pluginhost.h"

#include "registrations.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <elf.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <functional>

namespace {

QByteArray pluginBytes() {
    QFile f(QStringLiteral(QUORRIL_PLUGIN_PATH));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// Whether this process has that file mapped.
bool mapped(const QString& file) {
    QFile m(QStringLiteral("/proc/self/maps"));
    return m.open(QIODevice::ReadOnly) && m.readAll().contains(QFile::encodeName(file));
}

// The plug-in with one byte of its ELF header changed.
QByteArray patched(const QByteArray& whole, std::size_t offset, unsigned char value) {
    QByteArray b = whole;
    b[qsizetype(offset)] = char(value);
    return b;
}

TEST(DamagedPlugin, AnythingButAWholeLibraryOfThisBuildIsNoDnsSdAndAWholeOneStillLoads) {
    const QByteArray whole = pluginBytes();
    ASSERT_GT(whole.size(), 70 * 1024) << "the plug-in is larger than the largest cut below";
    registrations::Watch();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("libBonjour.so"));
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    const QString nothing = dir.filePath(QStringLiteral("nothing"));

    struct Case {
        QString name;
        std::function<bool()> make;  // puts the damaged file at path
    };
    std::vector<Case> cases;
    // Cut inside the ELF header, inside the program headers, inside the loadable segments (the
    // sizes an interrupted copy left, which faulted inside the loader), and just short of the end.
    for (const qsizetype size : {qsizetype(0), qsizetype(40), qsizetype(64), qsizetype(200), qsizetype(1024),
                                 qsizetype(4096), qsizetype(16384), qsizetype(65536), whole.size() - 3}) {
        cases.push_back({QStringLiteral("cut to %1 bytes").arg(size), [=] { return writeFile(path, whole.left(size)); }});
    }
    cases.push_back({QStringLiteral("a FIFO"), [=] { return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0; }});
    cases.push_back({QStringLiteral("a FIFO through a link"), [=] {
                         return ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 &&
                                QFile::link(fifo, path);
                     }});
    cases.push_back({QStringLiteral("a text file"), [=] { return writeFile(path, "INPUT(libBonjour.so.1)\n"); }});
    cases.push_back({QStringLiteral("a folder"), [=] { return QDir().mkdir(path); }});
    cases.push_back({QStringLiteral("a link to nothing"), [=] { return QFile::link(nothing, path); }});
    cases.push_back({QStringLiteral("another machine's library"), [=] {
                         return writeFile(path, patched(whole, offsetof(ElfW(Ehdr), e_machine), EM_S390));
                     }});
    cases.push_back({QStringLiteral("a library of the other word size"), [=] {
                         return writeFile(path, patched(whole, EI_CLASS, sizeof(void*) == 8 ? ELFCLASS32 : ELFCLASS64));
                     }});
    cases.push_back({QStringLiteral("a program, not a library"), [=] {
                         return writeFile(path, patched(whole, offsetof(ElfW(Ehdr), e_type), ET_EXEC));
                     }});
    // Root reads every file: the case is then one that can be read, and is left out.
    cases.push_back({QStringLiteral("an unreadable file"), [=] {
                         return writeFile(path, whole) && ::chmod(QFile::encodeName(path).constData(), 0) == 0 &&
                                ::access(QFile::encodeName(path).constData(), R_OK) != 0;
                     }});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ::unlink(QFile::encodeName(path).constData());
        ::rmdir(QFile::encodeName(path).constData());
        if (!c.make()) {
            ASSERT_EQ(c.name, QStringLiteral("an unreadable file")) << "the case could not be made";
            continue;
        }
        // Nothing of the file ran: it registered nothing.
        EXPECT_FALSE(registrations::Load(path));
        EXPECT_FALSE(registrations::Last().control);
        EXPECT_TRUE(registrations::Last().functions.empty());
        fw::Bonjour b;
        EXPECT_FALSE(b.is_available());
        EXPECT_EQ(b.Browsing_Count(), 0);
        EXPECT_FALSE(mapped(path));
    }

    // A whole copy reached through a link, as a library installed beside its versioned file is.
    ::unlink(QFile::encodeName(path).constData());
    ::rmdir(QFile::encodeName(path).constData());
    const QString versioned = dir.filePath(QStringLiteral("libBonjour.so.1.0.6"));
    ASSERT_TRUE(writeFile(versioned, whole));
    ASSERT_TRUE(QFile::link(versioned, path));
    EXPECT_TRUE(registrations::Load(path));
    EXPECT_EQ(registrations::Last().classMethods, registrations::kBonjourMethods);
    EXPECT_EQ(registrations::Last().functions, std::vector<std::string>{"AboutBonjour() as string"});
    // The file that was checked is the one loaded.
    EXPECT_TRUE(mapped(versioned));
    // Another whole file is loaded for what it is, not taken for the library already loaded.
    EXPECT_TRUE(registrations::Load(QStringLiteral(QUORRIL_PLUGIN_PATH)));
    EXPECT_EQ(registrations::Last().classMethods, registrations::kBonjourMethods);
    EXPECT_TRUE(mapped(QStringLiteral(QUORRIL_PLUGIN_PATH)));
}

}  // namespace
