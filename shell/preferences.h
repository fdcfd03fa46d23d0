#pragma once
// The typed key-value store of the program's settings and its file "Quorril prefs." in the
// preferences folder. The file is a sequence of records (key length, key bytes, type code,
// value), big-endian, with no header. Keys are compared byte for byte, case counts.
#include "framework/variant.h"

#include <QByteArray>
#include <QLatin1String>
#include <QHash>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

// The keys of the program's settings, each named here once. The high scores are stored under
// kNamePrefix and kScorePrefix followed by their rank, 0 to 9.
namespace prefkey {
inline constexpr QLatin1String kNewGameAtStartup{"newGameAtStartup"};
inline constexpr QLatin1String kNewGameStartupColor{"newGameStartupColor"};
inline constexpr QLatin1String kSndBruitage{"sndBruitage"};
inline constexpr QLatin1String kSndAmbiance{"sndAmbiance"};
inline constexpr QLatin1String kSndEndgame{"sndEndgame"};
inline constexpr QLatin1String kSndEndgameType{"sndEndgameType"};
inline constexpr QLatin1String kIaMessage{"iaMessage"};
inline constexpr QLatin1String kClickForJeton{"clickForJeton"};
inline constexpr QLatin1String kDifficulty{"difficulty"};
inline constexpr QLatin1String kNamePrefix{"name_"};
inline constexpr QLatin1String kScorePrefix{"score_"};
}  // namespace prefkey

class Preferences {
public:
    Preferences() = default;

    static constexpr const char* kFileName = "Quorril prefs.";
    // Far above any file the program writes. A larger file is not read: it is kept as it is, as
    // one that cannot be read, since a file written from a part of it would lose the rest.
    static constexpr qsizetype kMaxFileBytes = 16 * 1024 * 1024;
    // The file's path in the current preferences folder.
    static QString FilePath();

    // Reads the file into the store; a key already present takes the file's value. Answers whether
    // a file was read (none on a first start). A damaged file keeps the records before the damage.
    bool LoadPrefs();
    // Replaces the file by the store's non-nil entries, in the store's order. Answers whether the
    // new file is in place; on failure the old file is untouched. LastSaveSucceeded() keeps it.
    // A file that was there but could not be read whole when loading is never replaced (stderr
    // says so).
    bool SavePrefs();
    bool LastSaveSucceeded() const { return lastSaveOk_; }

    // Replaces any earlier value; a nil value leaves the key present with no value.
    void SetItem(const QString& key, const fw::Variant& value);
    // The stored value; default when the key is absent (a key present with nil gives nil).
    fw::Variant GetItem(const QString& key, const fw::Variant& defaultValue) const;
    fw::Variant GetItem(const QString& key) const;
    // Stores value only when the key is absent.
    void FixItem(const QString& key, const fw::Variant& value);
    bool GetBooleanItem(const QString& key) const;
    std::int32_t GetIntegerItem(const QString& key) const;

    bool HasKey(const QString& key) const;
    // The keys in the store's own order (first insertion first).
    QStringList Keys() const;
    qsizetype Count() const { return static_cast<qsizetype>(items_.size()); }

    // The file's bytes for the store, and the store's records read from bytes, as LoadPrefs and
    // SavePrefs use them.
    QByteArray Serialise() const;
    void Deserialise(const QByteArray& bytes);

private:
    void set(const QByteArray& key, const fw::Variant& value);
    const fw::Variant* find(const QByteArray& key) const;

    // Keys are kept as their bytes, so a key that is not valid UTF-8 in a file survives a save.
    std::vector<std::pair<QByteArray, fw::Variant>> items_;
    QHash<QByteArray, std::size_t> index_;
    bool lastSaveOk_ = false;
    bool keepFile_ = false;
};
