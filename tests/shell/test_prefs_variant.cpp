// The preference value: which kind each constructor makes, and the total conversions.
#include "framework/variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

using fw::Variant;
using Kind = Variant::Kind;

constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();

TEST(PrefsVariant, ConstructorsPickTheKindAndTypeCode) {
    struct Case {
        Variant v;
        Kind kind;
        int code;
    };
    const Case cases[] = {
        {Variant(), Kind::Nil, 0},
        {Variant(3), Kind::Int32, 2},
        {Variant(std::int32_t(-1)), Kind::Int32, 2},
        {Variant(std::int64_t(3)), Kind::Int64, 3},
        {Variant(3LL), Kind::Int64, 3},
        {Variant(3u), Kind::Int64, 3},
        {Variant(short(3)), Kind::Int32, 2},
        {Variant(1.5f), Kind::Single, 4},
        {Variant(1.5), Kind::Double, 5},
        {Variant(fw::Currency{15000}), Kind::Currency, 6},
        {Variant(fw::Date{1.0e9}), Kind::Date, 7},
        {Variant("abc"), Kind::String, 8},
        {Variant(QStringLiteral("abc")), Kind::String, 8},
        {Variant::FromObject(nullptr), Kind::Object, 9},
        {Variant(true), Kind::Boolean, 11},
        {Variant(false), Kind::Boolean, 11},
        {Variant(fw::Colour{18, 52, 86}), Kind::Colour, 16},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.v.GetKind(), c.kind) << c.code;
        EXPECT_EQ(c.v.TypeCode(), c.code);
    }
}

TEST(PrefsVariant, BooleanAndIntegerConversionsAreTotal) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        Variant v;
        bool b;
        std::int32_t i;
    };
    const Case cases[] = {
        {Variant(), false, 0},
        {Variant::FromObject(nullptr), false, 0},
        {Variant(true), true, 1},
        {Variant(false), false, 0},
        {Variant(0), false, 0},
        {Variant(-7), true, -7},
        {Variant(std::int64_t(1) << 40), true, kMax32},
        {Variant(-(std::int64_t(1) << 40)), true, kMin32},
        {Variant(2.9), true, 2},
        {Variant(-2.9), true, -2},
        {Variant(0.4f), true, 0},
        {Variant(0.0), false, 0},
        {Variant(1e300), true, kMax32},
        {Variant(-1e300), true, kMin32},
        {Variant(inf), true, kMax32},
        {Variant(-inf), true, kMin32},
        {Variant(nan), false, 0},
        {Variant(fw::Date{nan}), false, 0},
        {Variant(fw::Currency{25000}), true, 2},
        {Variant(fw::Currency{std::numeric_limits<std::int64_t>::min()}), true, kMin32},
        {Variant("42abc"), true, 42},
        {Variant("  -17 "), true, -17},
        {Variant("+5"), true, 5},
        {Variant("abc"), false, 0},
        {Variant(""), false, 0},
        {Variant("-"), false, 0},
        {Variant("True"), true, 0},
        {Variant("99999999999999999999999"), true, kMax32},
        {Variant("-99999999999999999999999"), true, kMin32},
        {Variant("3.7"), true, 3},
        {Variant(fw::Colour{0, 1, 2}), true, 0x000102},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.v.ToBoolean(), c.b) << c.v.ToString().toStdString();
        EXPECT_EQ(c.v.ToInt32(), c.i) << c.v.ToString().toStdString();
    }
}

TEST(PrefsVariant, Int64SaturatesFromRealsAndStrings) {
    EXPECT_EQ(Variant(1e30).ToInt64(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(Variant(-1e30).ToInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Variant("-9223372036854775808").ToInt64(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(Variant("9223372036854775808").ToInt64(), std::numeric_limits<std::int64_t>::max());
}

TEST(PrefsVariant, ColourPacksRedGreenBlue) {
    const fw::Colour c{18, 52, 86};
    EXPECT_EQ(c.Rgb(), 0x123456);
    EXPECT_EQ(fw::Colour::FromRgb(0x123456), c);
    EXPECT_EQ(Variant(c).ColourValue(), c);
}

TEST(PrefsVariant, EqualityComparesKindAndPayload) {
    EXPECT_EQ(Variant(1), Variant(1));
    EXPECT_NE(Variant(1), Variant(std::int64_t(1)));
    EXPECT_NE(Variant(1), Variant(true));
    EXPECT_EQ(Variant("a"), Variant(QStringLiteral("a")));
    EXPECT_EQ(Variant(std::numeric_limits<double>::quiet_NaN()), Variant(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_EQ(Variant(), Variant());
}

TEST(PrefsVariant, StringsOfTheOtherKinds) {
    EXPECT_EQ(Variant(true).ToString(), QStringLiteral("True"));
    EXPECT_EQ(Variant(-3).ToString(), QStringLiteral("-3"));
    EXPECT_EQ(Variant(fw::Currency{-5}).ToString(), QStringLiteral("-0.0005"));
    EXPECT_EQ(Variant(fw::Currency{123456}).ToString(), QStringLiteral("12.3456"));
    EXPECT_TRUE(Variant().ToString().isEmpty());
}

}  // namespace
