#include "framework/variant.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace fw {

namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The leading decimal number of a text: blanks, an optional sign, then digits; saturates.
std::int64_t leadingNumber(const QString& s) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n && s.at(i).isSpace()) ++i;
    bool negative = false;
    if (i < n && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+'))) {
        negative = s.at(i) == QLatin1Char('-');
        ++i;
    }
    // Accumulate as a negative number, whose range is the larger one.
    std::int64_t v = 0;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    bool saturated = false;
    for (; i < n; ++i) {
        const QChar c = s.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) break;
        const int digit = c.unicode() - '0';
        if (saturated) continue;
        if (v < (kMin + digit) / 10) {
            saturated = true;
            continue;
        }
        v = v * 10 - digit;
    }
    if (saturated) return negative ? kMin : std::numeric_limits<std::int64_t>::max();
    if (negative) return v;
    return v == kMin ? std::numeric_limits<std::int64_t>::max() : -v;
}

// Saturating conversions shared by the kinds (NaN gives 0).
std::int32_t SaturateToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::int64_t SaturateToInt64(double v) {
    if (std::isnan(v)) return 0;
    // 2^63 is exact as a double; anything at or above it saturates.
    if (v >= 9223372036854775808.0) return std::numeric_limits<std::int64_t>::max();
    if (v <= -9223372036854775808.0) return std::numeric_limits<std::int64_t>::min();
    return static_cast<std::int64_t>(v);
}

std::int32_t SaturateToInt32(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace

Variant Variant::FromObject(std::shared_ptr<void> object) {
    Variant v;
    v.kind_ = Kind::Object;
    v.object_ = std::move(object);
    return v;
}

bool Variant::ToBoolean() const {
    switch (kind_) {
    case Kind::Nil:
        return false;
    case Kind::Int32:
    case Kind::Int64:
    case Kind::Boolean:
    case Kind::Colour:
    case Kind::Currency:
        return i_ != 0;
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
        return !std::isnan(d_) && d_ != 0;
    case Kind::String:
        if (s_.trimmed().compare(QLatin1String("true"), Qt::CaseInsensitive) == 0) return true;
        return leadingNumber(s_) != 0;
    case Kind::Object:
        return object_ != nullptr;
    }
    return false;
}

std::int64_t Variant::ToInt64() const {
    switch (kind_) {
    case Kind::Nil:
    case Kind::Object:
        return 0;
    case Kind::Int32:
    case Kind::Int64:
    case Kind::Boolean:
    case Kind::Colour:
        return i_;
    case Kind::Currency:
        return i_ / Currency::kScale;
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
        return SaturateToInt64(d_);
    case Kind::String:
        return leadingNumber(s_);
    }
    return 0;
}

std::int32_t Variant::ToInt32() const {
    switch (kind_) {
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
        return SaturateToInt32(d_);
    default:
        return SaturateToInt32(ToInt64());
    }
}

double Variant::ToDouble() const {
    switch (kind_) {
    case Kind::Single:
    case Kind::Double:
    case Kind::Date:
        return d_;
    case Kind::Currency:
        return static_cast<double>(i_) / Currency::kScale;
    case Kind::String: {
        bool ok = false;
        const double d = s_.trimmed().toDouble(&ok);
        return ok ? d : static_cast<double>(leadingNumber(s_));
    }
    default:
        return static_cast<double>(ToInt64());
    }
}

QString Variant::ToString() const {
    switch (kind_) {
    case Kind::Nil:
    case Kind::Object:
        return QString();
    case Kind::Boolean:
        return i_ ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Int32:
    case Kind::Int64:
    case Kind::Colour:
        return QString::number(i_);
    case Kind::Currency: {
        const std::int64_t whole = i_ / Currency::kScale;
        const std::int64_t frac = i_ % Currency::kScale;
        QString s = (i_ < 0 && whole == 0) ? QStringLiteral("-0") : QString::number(whole);
        return s + QLatin1Char('.') + QStringLiteral("%1").arg(frac < 0 ? -frac : frac, 4, 10, QLatin1Char('0'));
    }
    case Kind::Single:
        return QString::number(d_, 'g', 9);
    case Kind::Double:
    case Kind::Date:
        return QString::number(d_, 'g', 17);
    case Kind::String:
        return s_;
    }
    return QString();
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.kind_ != b.kind_) return false;
    switch (a.kind_) {
    case Variant::Kind::Nil:
        return true;
    case Variant::Kind::Single:
    case Variant::Kind::Double:
    case Variant::Kind::Date:
        return sameBits(a.d_, b.d_);
    case Variant::Kind::String:
        return a.s_ == b.s_;
    case Variant::Kind::Object:
        return a.object_ == b.object_;
    default:
        return a.i_ == b.i_;
    }
}

}  // namespace fw
