#pragma once
// The user's preferences folder and the whole-file reads and writes made in it.
#include <QByteArray>
#include <QString>

#include <optional>

namespace fw {

// $XDG_CONFIG_HOME when it is set to an absolute path, else ~/.config. Not created here.
QString PreferencesFolder();

// Creates folder and its missing parents with mode 0700. True when it exists as a folder.
bool MakeFolder(const QString& folder);

// The bytes of the regular file at path; nothing when there is no regular file there, it cannot
// be read, or it holds more than maxBytes. Never blocks on a FIFO or a device. unreadable, when
// given, tells these apart: true when something is at path (through any links) but could not be
// read whole as a file, false when nothing is there.
std::optional<QByteArray> ReadFileBytes(const QString& path, qsizetype maxBytes, bool* unreadable = nullptr);

// Replaces the file at path by data, or leaves it as it was: the bytes go to a temporary file
// in the same folder, every write is checked, the file is flushed to the disk, then renamed over
// path. When path is a symbolic link, the file it leads to is replaced that way, in that file's
// own folder, and the link stays. Temporary files that an interrupted save left there are
// removed. True when the new content is in place.
bool WriteFileAtomically(const QString& path, const QByteArray& data);

}  // namespace fw
