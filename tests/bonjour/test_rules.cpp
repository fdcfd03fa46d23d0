// The plug-in's rules that need no daemon: TXT records, address records, the published port,
// the index rules and the keyboard test at load.
#include "plugin/logic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace {

using bonjour::Bytes;

TEST(BonjourRules, TxtRecordEncodesEachStringWithItsLength) {
    struct Case {
        const char* name;
        std::vector<std::string> strings;
        Bytes record;
    };
    const std::string b300(300, 'b');
    Bytes cut{255};
    cut.insert(cut.end(), 255, 'b');
    Bytes cutThenX = cut;
    cutThenX.insert(cutThenX.end(), {1, 'x'});
    const std::vector<Case> cases = {
        {"no strings, no record", {}, {}},
        {"a, empty, bc", {"a", "", "bc"}, {1, 'a', 1, 0, 2, 'b', 'c'}},
        {"an empty string alone", {""}, {1, 0}},
        {"300 bytes cut to 255", {b300}, cut},
        {"what follows a cut string", {b300, "x"}, cutThenX},
        {"UTF-8 bytes count", {"é"}, {2, 0xC3, 0xA9}},
    };
    for (const Case& c : cases) EXPECT_EQ(bonjour::EncodeTxt(c.strings), c.record) << c.name;
}

TEST(BonjourRules, TxtWalkAnswersEachStringAndNothingPastTheData) {
    const Bytes abc = bonjour::EncodeTxt({"a", "", "bc"});
    EXPECT_EQ(bonjour::TxtString(abc, 0), "a");
    EXPECT_EQ(bonjour::TxtString(abc, 1), "");  // the one zero byte reads as an empty text
    EXPECT_EQ(bonjour::TxtString(abc, 2), "bc");
    EXPECT_EQ(bonjour::TxtString(abc, 3), std::nullopt);
    EXPECT_EQ(bonjour::TxtString(abc, -1), std::nullopt);
    EXPECT_EQ(bonjour::TxtString(Bytes{0}, 0), "");
    EXPECT_EQ(bonjour::TxtString(Bytes{}, 0), std::nullopt);
    // Text stops at the first zero byte.
    EXPECT_EQ(bonjour::TxtString(Bytes{3, 'a', 0, 'b'}, 0), "a");
    // A length byte that runs past the end: that string is not there, and nothing after it.
    const Bytes lying{1, 'z', 200, 'x', 'y'};
    EXPECT_EQ(bonjour::TxtString(lying, 0), "z");
    EXPECT_EQ(bonjour::TxtString(lying, 1), std::nullopt);
    EXPECT_EQ(bonjour::TxtString(lying, 2), std::nullopt);
    EXPECT_EQ(bonjour::TxtString(Bytes{255}, 0), std::nullopt);
    // Every string index over every cut of a record: a string is there exactly when the cut
    // holds all of it, and nothing is read past the data (ASan watches that too).
    const std::vector<std::string> strings = {"un", "deux", std::string(255, 'x'), "", "cinq"};
    const Bytes long_ = bonjour::EncodeTxt(strings);
    std::vector<std::size_t> ends;  // where each string's bytes end in the record
    for (const std::string& t : strings) ends.push_back((ends.empty() ? 0 : ends.back()) + 1 + std::max<std::size_t>(t.size(), 1));
    ASSERT_EQ(ends.back(), long_.size());
    for (std::size_t n = 0; n <= long_.size(); ++n) {
        const Bytes part(long_.begin(), long_.begin() + std::ptrdiff_t(n));
        for (int i = -1; i < 7; ++i) {
            const bool whole = i >= 0 && std::size_t(i) < strings.size() && ends[std::size_t(i)] <= n;
            EXPECT_EQ(bonjour::TxtString(part, i), whole ? std::optional(strings[std::size_t(i)]) : std::nullopt)
                << "cut at " << n << ", string " << i;
        }
    }
}

TEST(BonjourRules, AddressRecordsReadAsDottedTextAndPort) {
    const unsigned char v4[4] = {192, 168, 1, 20};
    const Bytes r4 = bonjour::Ipv4Record(v4, 1234);
    EXPECT_EQ(bonjour::RecordAddress(r4), "192.168.1.20");
    EXPECT_EQ(bonjour::RecordPort(r4), 1234);
    // The highest port stays positive.
    EXPECT_EQ(bonjour::RecordPort(bonjour::Ipv4Record(v4, 65535)), 65535);
    // Records too short to hold what is asked answer nothing.
    EXPECT_EQ(bonjour::RecordAddress(Bytes(7, 1)), std::nullopt);
    EXPECT_EQ(bonjour::RecordPort(Bytes(3, 1)), std::nullopt);
    EXPECT_EQ(bonjour::RecordPort(Bytes{0, 0, 0x12, 0x34}), 0x1234);
}

TEST(BonjourRules, PublishedPortKeepsLow16BitsOrAsksTheSystem) {
    EXPECT_EQ(bonjour::PublishedPort(0), 0);
    EXPECT_EQ(bonjour::PublishedPort(5000), 5000);
    EXPECT_EQ(bonjour::PublishedPort(70000), 4464);
    EXPECT_EQ(bonjour::PublishedPort(65535), 65535);
    // A throw-away port: one the system handed out, free again once read.
    for (std::int32_t negative : {-1, -5000}) {
        const auto port = bonjour::PublishedPort(negative);
        ASSERT_TRUE(port.has_value());
        EXPECT_GT(*port, 0);
    }
}

TEST(BonjourRules, AnEventNamesTheFirstEqualEntryOrTheNotFoundIndex) {
    const bonjour::ServiceKey a{"jeu", "_servquorril._tcp", "local"};
    const bonjour::ServiceKey a2 = a;
    const bonjour::ServiceKey b{"jeu", "_servquorril._tcp", "ailleurs"};
    const bonjour::ServiceKey c{"autre", "_servquorril._tcp", "local"};
    const bonjour::ServiceKey d{"jeu", "_http._tcp", "local"};
    EXPECT_EQ(bonjour::FirstIndex({}, a), bonjour::kNotFound);
    EXPECT_EQ(bonjour::kNotFound, 2147483647);
    // Equal means name, type and domain equal.
    EXPECT_EQ(bonjour::FirstIndex({&b, &c, &d, &a, &a2}, a), 3);
    EXPECT_EQ(bonjour::FirstIndex({&b, &c, &d, &a, &a2}, a2), 3);
    EXPECT_EQ(bonjour::FirstIndex({&b, &c, &d}, a), bonjour::kNotFound);
}

TEST(BonjourRules, CreditsShowOnlyForExactlyTheFourKeys) {
    auto map = [](std::initializer_list<int> down) {
        std::vector<unsigned char> m(16, 0);
        for (int k : down) m[std::size_t(k / 8)] |= static_cast<unsigned char>(1 << (k % 8));
        return m;
    };
    EXPECT_TRUE(bonjour::CheckCredits(map({3, 9, 12, 14}).data()));
    EXPECT_FALSE(bonjour::CheckCredits(map({}).data()));
    EXPECT_FALSE(bonjour::CheckCredits(map({3, 9, 12}).data()));
    EXPECT_FALSE(bonjour::CheckCredits(map({3, 9, 12, 14, 0}).data()));
    EXPECT_FALSE(bonjour::CheckCredits(map({3, 9, 12, 14, 127}).data()));
    EXPECT_FALSE(bonjour::CheckCredits(map({2, 9, 12, 14}).data()));
}

TEST(BonjourRules, AboutTextHasItsLines) {
    const std::string& t = bonjour::AboutText();
    std::vector<std::string> lines;
    std::string::size_type start = 0, end;
    while ((end = t.find('\n', start)) != std::string::npos) {
        lines.push_back(t.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(t.substr(start));
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1], "Version 1.0.6");
    EXPECT_EQ(lines[2], "Nouveauté :");
    EXPECT_EQ(lines[3], "- Possibilité de gérer les ports");
    EXPECT_EQ(lines[4], "");
}

}  // namespace
