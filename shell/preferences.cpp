#include "shell/preferences.h"

#include "framework/binarystream.h"
#include "framework/folders.h"

#include <QDir>
#include <QFile>

#include <cstdio>
#include <limits>

namespace {

using Kind = fw::Variant::Kind;

QByteArray keyBytes(const QString& key) { return key.toUtf8(); }

// A value read, a code with no value (the key is dropped), or a record cut by the end.
enum class ReadResult { Value, NoValue, Cut };

// A number read by read, stored as the value As makes of it.
template <class As, class T>
ReadResult readNumber(fw::BinaryReader& in, bool (fw::BinaryReader::*read)(T&), fw::Variant& out) {
    T v{};
    if (!(in.*read)(v)) return ReadResult::Cut;
    out = fw::Variant(As{v});
    return ReadResult::Value;
}

ReadResult readValue(fw::BinaryReader& in, std::int8_t code, fw::Variant& out) {
    using R = fw::BinaryReader;
    switch (code) {
    case 2:
        return readNumber<std::int32_t>(in, &R::ReadInt32, out);
    case 3:
        // Only the low 32 bits are in the file.
        return readNumber<std::int64_t>(in, &R::ReadInt32, out);
    case 4:
        return readNumber<float>(in, &R::ReadSingle, out);
    case 5:
        return readNumber<double>(in, &R::ReadDouble, out);
    case 6:
        return readNumber<fw::Currency>(in, &R::ReadInt64, out);
    case 7:
        return readNumber<fw::Date>(in, &R::ReadDouble, out);
    case 8: {
        std::int32_t n;
        QByteArray bytes;
        if (!in.ReadInt32(n) || !in.ReadBytes(n, bytes)) return ReadResult::Cut;
        out = fw::Variant(QString::fromUtf8(bytes));
        return ReadResult::Value;
    }
    case 0:
    case 9: {
        // The object itself was never written; the key stays, with nil.
        std::uint8_t ignored;
        if (!in.ReadUInt8(ignored)) return ReadResult::Cut;
        out = fw::Variant();
        return ReadResult::Value;
    }
    case 11: {
        std::uint8_t b;
        if (!in.ReadUInt8(b)) return ReadResult::Cut;
        out = fw::Variant(b != 0);
        return ReadResult::Value;
    }
    case 16: {
        fw::Colour c;
        if (!in.ReadUInt8(c.red) || !in.ReadUInt8(c.green) || !in.ReadUInt8(c.blue)) return ReadResult::Cut;
        out = fw::Variant(c);
        return ReadResult::Value;
    }
    default:
        return ReadResult::NoValue;
    }
}

void writeValue(fw::BinaryWriter& out, const fw::Variant& v) {
    out.WriteInt8(v.TypeCode());
    switch (v.GetKind()) {
    case Kind::Int32:
        out.WriteInt32(v.ToInt32());
        break;
    case Kind::Int64:
        // The record holds the low 32 bits only (the conversion is modular).
        out.WriteInt32(static_cast<std::int32_t>(v.ToInt64()));
        break;
    case Kind::Single:
        out.WriteSingle(v.SingleValue());
        break;
    case Kind::Double:
        out.WriteDouble(v.ToDouble());
        break;
    case Kind::Currency:
        out.WriteInt64(v.CurrencyValue().raw);
        break;
    case Kind::Date:
        out.WriteDouble(v.DateValue().totalSeconds);
        break;
    case Kind::String: {
        const QByteArray bytes = v.ToString().toUtf8();
        out.WriteInt32(static_cast<std::int32_t>(bytes.size()));
        out.WriteBytes(bytes);
        break;
    }
    case Kind::Object:
        out.WriteUInt8(0);
        break;
    case Kind::Boolean:
        out.WriteUInt8(v.ToBoolean() ? 1 : 0);
        break;
    case Kind::Colour: {
        const fw::Colour c = v.ColourValue();
        out.WriteUInt8(c.red);
        out.WriteUInt8(c.green);
        out.WriteUInt8(c.blue);
        break;
    }
    case Kind::Nil:
        break;
    }
}

}  // namespace

QString Preferences::FilePath() { return QDir(fw::PreferencesFolder()).filePath(QString::fromLatin1(kFileName)); }

void Preferences::set(const QByteArray& key, const fw::Variant& value) {
    if (auto it = index_.constFind(key); it != index_.constEnd()) {
        items_[*it].second = value;
        return;
    }
    index_.insert(key, items_.size());
    items_.emplace_back(key, value);
}

const fw::Variant* Preferences::find(const QByteArray& key) const {
    auto it = index_.constFind(key);
    return it == index_.constEnd() ? nullptr : &items_[*it].second;
}

void Preferences::SetItem(const QString& key, const fw::Variant& value) { set(keyBytes(key), value); }

fw::Variant Preferences::GetItem(const QString& key, const fw::Variant& defaultValue) const {
    const fw::Variant* v = find(keyBytes(key));
    return v ? *v : defaultValue;
}

fw::Variant Preferences::GetItem(const QString& key) const { return GetItem(key, fw::Variant()); }

void Preferences::FixItem(const QString& key, const fw::Variant& value) {
    const QByteArray k = keyBytes(key);
    if (!find(k)) set(k, value);
}

bool Preferences::GetBooleanItem(const QString& key) const { return GetItem(key).ToBoolean(); }

std::int32_t Preferences::GetIntegerItem(const QString& key) const { return GetItem(key).ToInt32(); }

bool Preferences::HasKey(const QString& key) const { return find(keyBytes(key)) != nullptr; }

QStringList Preferences::Keys() const {
    QStringList keys;
    keys.reserve(static_cast<qsizetype>(items_.size()));
    for (const auto& [k, v] : items_) keys.append(QString::fromUtf8(k));
    return keys;
}

void Preferences::Deserialise(const QByteArray& bytes) {
    fw::BinaryReader in(bytes);
    while (!in.AtEnd()) {
        std::uint8_t keyLength;
        QByteArray key;
        std::int8_t code;
        if (!in.ReadUInt8(keyLength) || !in.ReadBytes(keyLength, key) || !in.ReadInt8(code)) return;
        fw::Variant value;
        switch (readValue(in, code, value)) {
        case ReadResult::Value:
            set(key, value);
            break;
        case ReadResult::NoValue:
            break;
        case ReadResult::Cut:
            return;
        }
    }
}

QByteArray Preferences::Serialise() const {
    fw::BinaryWriter out;
    for (const auto& [key, value] : items_) {
        // A nil value has no record; a key too long for its length byte cannot have one, nor a
        // text too long for its length field.
        if (value.IsNil() || key.size() > 255) continue;
        if (value.GetKind() == Kind::String && value.ToString().size() > std::numeric_limits<std::int32_t>::max() / 3 &&
            value.ToString().toUtf8().size() > std::numeric_limits<std::int32_t>::max())
            continue;
        out.WriteUInt8(static_cast<std::uint8_t>(key.size()));
        out.WriteBytes(key);
        writeValue(out, value);
    }
    return out.Data();
}

bool Preferences::LoadPrefs() {
    // The folder is made on a first start, so the save at quit finds it.
    fw::MakeFolder(fw::PreferencesFolder());
    bool unreadable = false;
    const std::optional<QByteArray> bytes = fw::ReadFileBytes(FilePath(), kMaxFileBytes, &unreadable);
    // A file this run could not read, or not read whole, holds settings it never saw (the high
    // scores among them): writing the store over it would lose them.
    keepFile_ = keepFile_ || unreadable;
    if (!bytes) return false;
    Deserialise(*bytes);
    return true;
}

bool Preferences::SavePrefs() {
    if (keepFile_) {
        std::fprintf(stderr, "quorril: %s could not be read, so it is left as it is; this run's settings are not saved\n",
                     QFile::encodeName(FilePath()).constData());
        std::fflush(stderr);
        lastSaveOk_ = false;
        return false;
    }
    lastSaveOk_ = fw::MakeFolder(fw::PreferencesFolder()) && fw::WriteFileAtomically(FilePath(), Serialise());
    return lastSaveOk_;
}
