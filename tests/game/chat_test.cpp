#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "game/game_messages.h"
#include "game/iaclassengine.h"
#include "game/ia_texts.h"

namespace {

using namespace quorril::game;

TEST(ChatReplies, WholeLineExactMatchElseTheDefault) {
    const std::string fallback =
        "Je n'ai pas pour but d'essayer de comprendre des phrases, mais de jouer contre toi. Désolé ;)";
    struct Case {
        std::string line;
        std::string reply;
    };
    const Case cases[] = {
        {"bonjour", "Salut"},
        {"hello", "Salut"},
        {"lol", "Pourquoi rigoles-tu\u00a0?"},
        {":'(", "Ben pourquoi pleures-tu\u00a0?"},
        {"fuck", "Calme toi !"},
        {"fuck you", "Heu, toi même !"},
        {"on prend un café ?", "Bien sur Brizou, avec deux sucres s'il te plaît"},
        {"on prend un café\u00a0?", fallback},
        {"Tobrin-Aldo", "C'est le prénom de mon créateur, mais tu peux l'appeler TA si tu veux"},
        {"vardeco", "C'est une école de fou d'informatique ça..."},
        {"bonjour ", fallback},
        {" bonjour", fallback},
        {"Bonjour", fallback},
        {"", fallback},
    };
    IAClassEngine engine;
    for (const Case& k : cases) EXPECT_EQ(engine.AdvResponce(k.line), k.reply) << "'" << k.line << "'";
}

TEST(ChatReplies, TableHasTwentyEightDistinctKeywords) {
    const auto rows = ChatReplies();
    ASSERT_EQ(rows.size(), 28u);
    EXPECT_EQ(rows[25].keyword, "Tobrin-Aldo");
    EXPECT_EQ(rows[27].keyword, "vardeco");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = i + 1; j < rows.size(); ++j) EXPECT_NE(rows[i].keyword, rows[j].keyword);
    }
    EXPECT_EQ(TauntList("gagne").size(), 13u);
    EXPECT_EQ(TauntList("evite").size(), 10u);
    EXPECT_EQ(TauntList("perdu").size(), 9u);
    EXPECT_TRUE(TauntList("autre").empty());
}

TEST(GameMessages, NumbersAreReadWithoutFailing) {
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    struct Case {
        const char* text;
        std::int32_t value;
    };
    for (const Case& k : {Case{"4", 4}, Case{"-1", -1}, Case{"+3", 3}, Case{"12abc", 12}, Case{"", 0},
                          Case{"abc", 0}, Case{" 3", 0}, Case{"-", 0}, Case{"99999999999", kMax},
                          Case{"-99999999999", -kMax}}) {
        EXPECT_EQ(LeadingNumber(k.text), k.value) << k.text;
    }
    for (const Case& k : {Case{"4#1", 4}, Case{"4", 4}, Case{"#1", 0}, Case{"6#", 6}, Case{"x#3", 0}}) {
        EXPECT_EQ(MoveColumnOf(k.text), k.value) << k.text;
    }
}

TEST(GameMessages, ChatTextAndPayloads) {
    EXPECT_EQ(ChatTextOf("<serveur>bonjour"), "bonjour");
    EXPECT_EQ(ChatTextOf("lol"), "lol");
    EXPECT_EQ(ChatTextOf("<a>b>c"), "b>c");
    EXPECT_EQ(ChatTextOf(""), "");
    EXPECT_EQ(MovePayload(3, -1), "IPLA3#-1");
    EXPECT_EQ(MovePayload(0, 1), "IPLA0#1");
    EXPECT_EQ(ChatPayload("Salut"), "MESS<IA>Salut");
}

}  // namespace
