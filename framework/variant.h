#pragma once
// A tagged preference value. The kind's number is also its type code in the preferences file.
// Conversions between kinds are total: they never throw and never overflow.
#include <QString>

#include <concepts>
#include <cstdint>
#include <memory>

namespace fw {

// 8-bit red, green and blue; as one integer, red is bits 16 to 23, green 8 to 15, blue 0 to 7.
struct Colour {
    std::uint8_t red = 0, green = 0, blue = 0;

    constexpr std::int32_t Rgb() const { return (std::int32_t(red) << 16) | (std::int32_t(green) << 8) | blue; }
    static constexpr Colour FromRgb(std::int32_t rgb) {
        return Colour{std::uint8_t((rgb >> 16) & 0xFF), std::uint8_t((rgb >> 8) & 0xFF), std::uint8_t(rgb & 0xFF)};
    }
    friend constexpr bool operator==(const Colour&, const Colour&) = default;
};

// A fixed-point amount in ten-thousandths.
struct Currency {
    static constexpr std::int64_t kScale = 10000;
    std::int64_t raw = 0;
    friend constexpr bool operator==(const Currency&, const Currency&) = default;
};

// A moment as its total seconds since 1970-01-01 00:00 UTC.
struct Date {
    double totalSeconds = 0;
    friend constexpr bool operator==(const Date&, const Date&) = default;
};

class Variant {
public:
    enum class Kind : std::int8_t {
        Nil = 0,
        Int32 = 2,
        Int64 = 3,
        Single = 4,
        Double = 5,
        Currency = 6,
        Date = 7,
        String = 8,
        Object = 9,
        Boolean = 11,
        Colour = 16,
    };

    Variant() = default;
    Variant(bool b) : kind_(Kind::Boolean), i_(b ? 1 : 0) {}
    Variant(std::int32_t v) : kind_(Kind::Int32), i_(v) {}
    Variant(std::int64_t v) : kind_(Kind::Int64), i_(v) {}
    // Other integer types (long long, unsigned, short, char...) take the narrowest kind that holds
    // them, so no call is ambiguous; an unsigned value above INT64_MAX saturates.
    template <std::integral T>
        requires(!std::same_as<T, bool> && !std::same_as<T, std::int32_t> && !std::same_as<T, std::int64_t>)
    Variant(T v) {
        if constexpr (std::is_signed_v<T> && sizeof(T) <= 4) {
            kind_ = Kind::Int32;
            i_ = static_cast<std::int32_t>(v);
        } else if constexpr (std::is_unsigned_v<T> && sizeof(T) < 4) {
            kind_ = Kind::Int32;
            i_ = static_cast<std::int32_t>(v);
        } else if constexpr (std::is_signed_v<T>) {
            kind_ = Kind::Int64;
            i_ = static_cast<std::int64_t>(v);
        } else {
            kind_ = Kind::Int64;
            i_ = v > static_cast<std::uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<std::int64_t>(v);
        }
    }
    Variant(float v) : kind_(Kind::Single), d_(v) {}
    Variant(double v) : kind_(Kind::Double), d_(v) {}
    Variant(const QString& s) : kind_(Kind::String), s_(s) {}
    Variant(const char* utf8) : kind_(Kind::String), s_(QString::fromUtf8(utf8)) {}
    // Any other pointer would silently become a boolean.
    template <class T>
    Variant(const T*) = delete;
    Variant(std::nullptr_t) = delete;
    Variant(Colour c) : kind_(Kind::Colour), i_(c.Rgb()) {}
    Variant(Currency c) : kind_(Kind::Currency), i_(c.raw) {}
    Variant(Date d) : kind_(Kind::Date), d_(d.totalSeconds) {}

    // An object reference; a null one is still of kind Object.
    static Variant FromObject(std::shared_ptr<void> object);

    Kind GetKind() const { return kind_; }
    // The type code of the preferences file.
    std::int8_t TypeCode() const { return static_cast<std::int8_t>(kind_); }
    bool IsNil() const { return kind_ == Kind::Nil; }

    // Total conversions. Reals truncate toward zero and saturate; NaN gives 0. A string gives
    // its leading decimal number (after blanks, with an optional sign), else 0; "true" is true.
    bool ToBoolean() const;
    std::int32_t ToInt32() const;
    std::int64_t ToInt64() const;
    double ToDouble() const;
    QString ToString() const;

    // The payload of one kind, or the kind's zero when the value is of another kind.
    float SingleValue() const { return kind_ == Kind::Single ? static_cast<float>(d_) : 0.0f; }
    Colour ColourValue() const { return kind_ == Kind::Colour ? Colour::FromRgb(static_cast<std::int32_t>(i_)) : Colour{}; }
    Currency CurrencyValue() const { return kind_ == Kind::Currency ? Currency{i_} : Currency{}; }
    Date DateValue() const { return kind_ == Kind::Date ? Date{d_} : Date{}; }

    // Same kind and same payload (reals compare bitwise, so a NaN equals itself).
    friend bool operator==(const Variant& a, const Variant& b);

private:
    Kind kind_ = Kind::Nil;
    std::int64_t i_ = 0;  // Int32, Int64, Boolean, Colour, Currency
    double d_ = 0;        // Single, Double, Date
    QString s_;
    std::shared_ptr<void> object_;
};

}  // namespace fw
