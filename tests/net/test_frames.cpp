// The relay frame without sockets: the writer's bytes, and the reader under every cut.
#include "net/framecodec.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace net;

namespace {

std::string frame(std::int32_t sender, const std::string& body) {
    std::string out;
    EXPECT_TRUE(BuildFrame(sender, body, out));
    return out;
}

std::vector<std::string> readAll(FrameReader& r) {
    std::vector<std::string> out;
    std::u32string f;
    while (r.Next(f)) out.push_back(ToUtf8(f));
    return out;
}

struct Example {
    std::int32_t sender;
    std::string body;
    std::string wire;
};

const std::vector<Example> kExamples = {
    {0, "[S_YOID_]00001", "00001900000[S_YOID_]00001"},
    {0, "[S_NEWCL]", "00001400000[S_NEWCL]"},
    {1, "[S_LISTI]", "00001400001[S_LISTI]"},
    {0, "[SRLISTI]0|1|", "00001800000[SRLISTI]0|1|"},
    {0, "TCOL-1", "00001100000TCOL-1"},
    {1, "[S_TOID_]00000IPLA3#-1", "00002700001[S_TOID_]00000IPLA3#-1"},
    {1, "[S_TOALL]MESSx", "00001900001[S_TOALL]MESSx"},
    {1, "[S_TOID_]00000", "00001900001[S_TOID_]00000"},
    // "é" and the no-break space count one character each, two bytes each on the wire.
    {1, "[S_TOID_]00000MESS<client>\xC3\xA9t\xC3\xA9\xC2\xA0!", "00003600001[S_TOID_]00000MESS<client>\xC3\xA9t\xC3\xA9\xC2\xA0!"},
    // A character outside the BMP counts one too.
    {0, "MESS\xF0\x9F\x98\x80", "00001000000MESS\xF0\x9F\x98\x80"},
};

}  // namespace

TEST(NetFrames, WriterIsByteExact) {
    for (const Example& e : kExamples) EXPECT_EQ(frame(e.sender, e.body), e.wire) << e.body;
}

TEST(NetFrames, EveryCutOfEveryExampleArrivesWhole) {
    for (const Example& e : kExamples) {
        const std::string two = e.wire + kExamples[4].wire;
        for (std::size_t cut = 0; cut <= two.size(); ++cut) {
            FrameReader r;
            r.Feed(two.substr(0, cut));
            std::vector<std::string> got = readAll(r);
            r.Feed(two.substr(cut));
            for (auto& f : readAll(r)) got.push_back(f);
            ASSERT_EQ(got.size(), 2u) << e.wire << " cut at " << cut;
            EXPECT_EQ(got[0], e.wire);
            EXPECT_EQ(got[1], kExamples[4].wire);
        }
    }
}

TEST(NetFrames, ByteByByteStreamOfAllExamples) {
    std::string all;
    for (const Example& e : kExamples) all += e.wire;
    FrameReader r;
    std::vector<std::string> got;
    for (char c : all) {
        r.Feed(&c, 1);
        for (auto& f : readAll(r)) got.push_back(f);
    }
    ASSERT_EQ(got.size(), kExamples.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], kExamples[i].wire);
}

TEST(NetFrames, MalformedLengthTakesSixCharactersAndSparesTheNextFrame) {
    const std::vector<std::string> fields = {"abcdef", "-00001", "12345x", "      ", "+00011", "0x0001", "\xC3\xA9" "00001"};
    for (const std::string& bad : fields) {
        FrameReader r;
        r.Feed(bad + kExamples[4].wire);
        const auto got = readAll(r);
        ASSERT_EQ(got.size(), 2u) << bad;
        EXPECT_EQ(got[0], bad);
        EXPECT_EQ(got[1], kExamples[4].wire);
        EXPECT_EQ(SplitFrame(DecodeUtf8(got[0])).from12.size(), 0u);
    }
}

TEST(NetFrames, InvalidBytesCountOneCharacterEach) {
    struct Case {
        std::string body;   // as sent, after the sender field
        std::size_t chars;  // as the length announces them
        std::string read;   // the body as read back
    };
    const std::vector<Case> cases = {
        {"\xFF" "ABCD", 5, "\xEF\xBF\xBD" "ABCD"},
        {"\xC3" "A", 2, "\xEF\xBF\xBD" "A"},            // a lead byte without its continuation
        {"\x80\x80", 2, "\xEF\xBF\xBD\xEF\xBF\xBD"},    // stray continuations
        {"\xED\xA0\x80", 3, "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"},  // an encoded surrogate
        {"\xC0\xAF", 2, "\xEF\xBF\xBD\xEF\xBF\xBD"},    // an overlong form
    };
    for (const Case& c : cases) {
        const std::string wire = PadNumber(std::int64_t(5 + c.chars), 6) + "00003" + c.body;
        FrameReader r;
        r.Feed(wire + kExamples[4].wire);
        const auto got = readAll(r);
        ASSERT_EQ(got.size(), 2u);
        EXPECT_EQ(got[0], PadNumber(std::int64_t(5 + c.chars), 6) + "00003" + c.read);
        EXPECT_EQ(got[1], kExamples[4].wire);
    }
}

TEST(NetFrames, ALyingLengthStallsWithoutGrowingBeyondOneFrame) {
    FrameReader r;
    r.Feed("99999900001");
    std::u32string f;
    EXPECT_FALSE(r.Next(f));
    // A million characters later the announced frame is complete, and the next one reads.
    std::string filler(kMaxFrameChars - 5, 'x');
    r.Feed(filler);
    ASSERT_TRUE(r.Next(f));
    EXPECT_EQ(f.size(), kMaxFrameChars + 6);
    EXPECT_EQ(r.HeldChars(), 0u);
    r.Feed(kExamples[4].wire);
    ASSERT_TRUE(r.Next(f));
    EXPECT_EQ(ToUtf8(f), kExamples[4].wire);
}

TEST(NetFrames, TooLongToAnnounceIsNotFramed) {
    std::string out = "unchanged";
    EXPECT_TRUE(BuildFrame(0, std::string(kMaxFrameChars - 5, 'a'), out));
    EXPECT_EQ(out.substr(0, 6), "999999");
    out = "unchanged";
    EXPECT_FALSE(BuildFrame(0, std::string(kMaxFrameChars - 4, 'a'), out));
    EXPECT_EQ(out, "unchanged");
}

TEST(NetFrames, FieldsByCharacterPosition) {
    const std::u32string f = DecodeUtf8("00002700001[S_TOID_]00002IPLA3#-1");
    const FrameFields x = SplitFrame(f);
    EXPECT_EQ(x.sender, 1);
    EXPECT_EQ(ToUtf8(x.tag), "[S_TOID_]");
    EXPECT_EQ(ParseLeadingInt(x.argument), 2);
    EXPECT_EQ(ToUtf8(x.from26), "IPLA3#-1");
    // Fields past the end are empty, never out of range.
    const std::u32string s = DecodeUtf8("00000900000ISOK");  // the fields view into it
    const FrameFields shortOne = SplitFrame(s);
    EXPECT_EQ(ToUtf8(shortOne.tag), "ISOK");
    EXPECT_TRUE(shortOne.argument.empty());
    EXPECT_TRUE(shortOne.from26.empty());
    EXPECT_TRUE(SplitFrame(std::u32string_view()).from12.empty());
}

TEST(NetFrames, NumbersNeverThrow) {
    struct Case {
        std::string text;
        std::int32_t value;
    };
    const std::vector<Case> cases = {
        {"", 0}, {"-1", -1}, {"3#-1", 3}, {"  42x", 42}, {"+7", 7}, {"-", 0}, {"abc", 0},
        {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}, {"00001", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(ParseLeadingInt(std::string_view(c.text)), c.value) << c.text;
}

TEST(NetFrames, PaddingClampsIntoItsWidth) {
    EXPECT_EQ(PadNumber(7, 5), "00007");
    EXPECT_EQ(PadNumber(-3, 5), "00000");
    EXPECT_EQ(PadNumber(123456, 5), "99999");
}
