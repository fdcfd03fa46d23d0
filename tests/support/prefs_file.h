#pragma once
// A preferences file as a test's program finds it at start-up.
#include "framework/variant.h"
#include "shell/preferences.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <utility>
#include <vector>

// Writes p as the preferences file at path, in place of what it held; false unless it was
// written whole.
inline bool WritePrefsFile(const QString& path, const Preferences& p) {
    const QByteArray bytes = p.Serialise();
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

// The same for a file that holds the items, in their order.
inline bool WritePrefsFile(const QString& path, const std::vector<std::pair<QString, fw::Variant>>& items) {
    Preferences p;
    for (const auto& [key, value] : items) p.SetItem(key, value);
    return WritePrefsFile(path, p);
}
