#include "framework/folders.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fw {

namespace {

QByteArray nativePath(const QString& path) { return QFile::encodeName(path); }

bool isFolder(const QByteArray& path) {
    struct stat st {};
    return ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

int retryOpen(const char* path, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(path, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAll(int fd, const char* p, qsizetype n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, static_cast<size_t>(n));
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (w == 0) return false;
        p += w;
        n -= w;
    }
    return true;
}

}  // namespace

QString PreferencesFolder() {
    const QString xdg = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    // XDG base directories ignore a relative value.
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return QDir::cleanPath(xdg);
    QString home = QFile::decodeName(qgetenv("HOME"));
    if (home.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) home = QFile::decodeName(pw->pw_dir);
    }
    if (home.isEmpty()) home = QDir::homePath();
    return QDir::cleanPath(home + QStringLiteral("/.config"));
}

bool MakeFolder(const QString& folder) {
    const QString clean = QDir::cleanPath(folder);
    if (clean.isEmpty()) return false;
    if (isFolder(nativePath(clean))) return true;
    const QString parent = QFileInfo(clean).path();
    if (parent != clean && !MakeFolder(parent)) return false;
    if (::mkdir(nativePath(clean).constData(), 0700) == 0) return true;
    // Someone else may have made it in the meantime.
    return errno == EEXIST && isFolder(nativePath(clean));
}

std::optional<QByteArray> ReadFileBytes(const QString& path, qsizetype maxBytes) {
    // O_NONBLOCK: opening a FIFO with no writer must not hang the program.
    const int fd = retryOpen(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    const qsizetype want = st.st_size < maxBytes ? static_cast<qsizetype>(st.st_size) : maxBytes;
    QByteArray data;
    data.resize(want);
    qsizetype got = 0;
    while (got < want) {
        const ssize_t r = ::read(fd, data.data() + got, static_cast<size_t>(want - got));
        if (r < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (r == 0) break;  // the file shrank while we read it
        got += r;
    }
    ::close(fd);
    data.truncate(got);
    return data;
}

bool WriteFileAtomically(const QString& path, const QByteArray& data) {
    const QFileInfo info(path);
    const QByteArray target = nativePath(info.absoluteFilePath());
    QByteArray tmpl = nativePath(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data.constData(), data.size());
    ok = ok && ::fsync(fd) == 0;
    // close() may report a deferred write error (network file systems); it counts too.
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        return false;
    }
    // Makes the rename itself durable; the new content is in place whatever this answers.
    const int dir = retryOpen(nativePath(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

}  // namespace fw
