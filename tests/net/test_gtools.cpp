// Text helpers: Mac OS Roman and UTF-8 into well-formed text.
#include "net/gtools.h"

#include <gtest/gtest.h>

#include <QSet>

#include <vector>

TEST(NetGTools, AsciiComesOutUnchanged) {
    for (const char* t : {"", "105", "TCOL-1", "IPLA3#-1", "MESS<IA>Salut"}) {
        EXPECT_EQ(GTools::MakeUTF(QByteArray(t)), QString::fromLatin1(t));
        EXPECT_EQ(GTools::RemakeUTF(QByteArray(t)), QString::fromLatin1(t));
        EXPECT_EQ(GTools::RemakeUTF(QString::fromLatin1(t)), QString::fromLatin1(t));
    }
}

TEST(NetGTools, MacRomanBytes) {
    struct Case {
        unsigned char byte;
        char16_t unicode;
    };
    // Spots across the table, its ends and its odd ones included.
    const std::vector<Case> cases = {
        {0x80, 0x00C4}, {0x8E, 0x00E9}, {0x9F, 0x00FC}, {0xA0, 0x2020}, {0xA5, 0x2022}, {0xAA, 0x2122},
        {0xB9, 0x03C0}, {0xBD, 0x03A9}, {0xCA, 0x00A0}, {0xCE, 0x0152}, {0xD2, 0x201C}, {0xD7, 0x25CA},
        {0xDB, 0x20AC}, {0xDE, 0xFB01}, {0xF0, 0xF8FF}, {0xF5, 0x0131}, {0xFF, 0x02C7}, {0x7F, 0x007F},
    };
    for (const Case& c : cases) {
        const QString s = GTools::MakeUTF(QByteArray(1, char(c.byte)));
        ASSERT_EQ(s.size(), 1);
        EXPECT_EQ(s[0].unicode(), c.unicode) << int(c.byte);
    }
    EXPECT_EQ(GTools::MakeUTF(QByteArray("\x8E")).toUtf8(), QByteArray("\xC3\xA9"));
}

TEST(NetGTools, EveryMacRomanByteIsOneCharacterAndTheTableIsOneToOne) {
    QByteArray all;
    for (int b = 0; b < 256; ++b) all += char(b);
    const QString s = GTools::MakeUTF(all);
    ASSERT_EQ(s.size(), 256);
    QSet<char16_t> seen;
    for (QChar c : s) seen.insert(c.unicode());
    EXPECT_EQ(seen.size(), 256);
}

TEST(NetGTools, RemakeGivesWellFormedText) {
    EXPECT_EQ(GTools::RemakeUTF(QByteArray("\xC3\xA9t\xC3\xA9")), QStringLiteral("\u00e9t\u00e9"));
    EXPECT_EQ(GTools::RemakeUTF(QByteArray("a\xC3")), QStringLiteral("a\ufffd"));
    EXPECT_EQ(GTools::RemakeUTF(QByteArray("\xFF" "b")), QStringLiteral("\ufffd" "b"));
    const QString lone = QString(QChar(0xD800)) + QStringLiteral("x");
    EXPECT_EQ(GTools::RemakeUTF(lone), QStringLiteral("\ufffdx"));
    const QString pair = QString::fromUtf8("\xF0\x9F\x98\x80");
    EXPECT_EQ(GTools::RemakeUTF(pair), pair);
}
