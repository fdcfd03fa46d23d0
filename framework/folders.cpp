#include "framework/folders.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
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

// The name path finally stands for: each symbolic link on the way is replaced by what it
// points to (relative to the link's folder), so the file is written where it really lives.
// Nothing when the links go round in circles or cannot be read.
std::optional<QByteArray> followLinks(QByteArray path) {
    for (int hops = 0; hops < 40; ++hops) {
        char buf[PATH_MAX];
        const ssize_t n = ::readlink(path.constData(), buf, sizeof buf);
        if (n < 0) {
            // Not a link, or nothing there yet: this is the name.
            if (errno == EINVAL || errno == ENOENT) return path;
            return std::nullopt;
        }
        if (n >= ssize_t(sizeof buf)) return std::nullopt;
        QByteArray next(buf, n);
        // Kept as written: ".." after a linked folder means what the system makes of it.
        if (!next.startsWith('/')) next = path.left(path.lastIndexOf('/') + 1) + next;
        path = next;
    }
    return std::nullopt;
}

// Takes the folder's lock, waiting a little for another save to end; false when it stays taken.
bool lockFolder(int dir) {
    for (int tries = 0; tries < 200; ++tries) {
        if (::flock(dir, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        ::usleep(10000);
    }
    return false;
}

// The temporary files of name's saves: "." + name + "." + six letters or digits (mkostemp's).
void removeStaleTemporaries(const QByteArray& folder, const QByteArray& name) {
    const QByteArray prefix = "." + name + ".";
    DIR* d = ::opendir(folder.constData());
    if (!d) return;
    while (const dirent* e = ::readdir(d)) {
        const QByteArray entry(e->d_name);
        if (entry.size() != prefix.size() + 6 || !entry.startsWith(prefix)) continue;
        const QByteArray tail = entry.mid(prefix.size());
        if (!std::all_of(tail.begin(), tail.end(), [](char c) { return std::isalnum(static_cast<unsigned char>(c)); }))
            continue;
        const QByteArray full = folder + "/" + entry;
        struct stat st {};
        if (::lstat(full.constData(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(full.constData());
    }
    ::closedir(d);
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

std::optional<QByteArray> ReadFileBytes(const QString& path, qsizetype maxBytes, bool* unreadable) {
    bool dummy = false;
    bool& failed = unreadable ? *unreadable : dummy;
    failed = false;
    // O_NONBLOCK: opening a FIFO with no writer must not hang the program.
    const int fd = retryOpen(nativePath(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // No entry, or a link that leads nowhere: there is nothing to read. Anything else is
        // there but closed to us (permissions, a loop of links, an I/O error).
        failed = errno != ENOENT && errno != ENOTDIR;
        return std::nullopt;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        failed = true;
        return std::nullopt;
    }
    // Reading only the first maxBytes of a larger file would pass a part for the whole.
    if (st.st_size > maxBytes) {
        ::close(fd);
        failed = true;
        return std::nullopt;
    }
    const qsizetype want = static_cast<qsizetype>(st.st_size);
    QByteArray data;
    data.resize(want);
    qsizetype got = 0;
    while (got < want) {
        const ssize_t r = ::read(fd, data.data() + got, static_cast<size_t>(want - got));
        if (r < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            failed = true;
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
    const std::optional<QByteArray> resolved = followLinks(nativePath(QFileInfo(path).absoluteFilePath()));
    if (!resolved) return false;
    const QByteArray& target = *resolved;
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray("/");
    const QByteArray name = target.mid(slash + 1);

    const int dir = retryOpen(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // Saves of this file take turns, so a temporary file found while holding the turn is one an
    // interrupted save left behind.
    if (dir >= 0 && lockFolder(dir)) removeStaleTemporaries(folder, name);

    QByteArray tmpl = folder + "/." + name + ".XXXXXX";
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) {
        if (dir >= 0) ::close(dir);
        return false;
    }
    // The file keeps the permissions it had.
    struct stat old {};
    if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    bool ok = writeAll(fd, data.constData(), data.size());
    ok = ok && ::fsync(fd) == 0;
    // close() may report a deferred write error (network file systems); it counts too.
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(tmpl.constData(), target.constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.constData());
        if (dir >= 0) ::close(dir);
        return false;
    }
    // Makes the rename itself durable; the new content is in place whatever this answers.
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);  // ends the turn too
    }
    return true;
}

}  // namespace fw
