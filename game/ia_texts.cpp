#include "game/ia_texts.h"

#include <array>

namespace quorril::game {
namespace {

// "\u00a0" marks the no-break spaces that French typography puts before "?" and "!";
// every other blank is an ordinary space.
constexpr std::array<ChatReply, 28> kReplies = {{
    {"bonjour", "Salut"},
    {"hello", "Salut"},
    {"lol", "Pourquoi rigoles-tu\u00a0?"},
    {":D", "Qu'est-ce qui t'arrive ?"},
    {":)", "Tu penses que tu vas m'avoir, c'est pour ça que tu souris ?"},
    {":'(", "Ben pourquoi pleures-tu\u00a0?"},
    {"connard", "Ho ! Calme toi !"},
    {"putain", "Qu'est-ce qui se passe ?"},
    {"salope", "Ho !"},
    {"fuck", "Calme toi !"},
    {"fuck you", "Heu, toi même !"},
    {"ciao", "Quoi, tu pars déjà ?"},
    {"au revoir", "Ciao"},
    {"je vais gagner", "Mais bien sûr"},
    {"dukon", "Dukon toi même !"},
    {"ducon", "Tu dis ça parce que tu sais que tu vas perdre..."},
    {"on prend un café ?", "Bien sur Brizou, avec deux sucres s'il te plaît"},
    {"ia", "Oui, c'est pour quoi ?"},
    {"tell me a joke",
     "Alors, c'est l'histoire de... Hmmm, non je vois, tu essayes de me déconcentrer hein ?"},
    {"il étais une fois", "Pfff, je la connais déjà"},
    {"merde", "Merde à toi oui !"},
    {"amour", "Je ne suis qu'un ordinateur..."},
    {"filles", "Elles nous font tourner la tête ?"},
    {"kolbra", "C'est le site que mon créateur fréquente"},
    {"Dravenne", "C'est le nom de mon créateur"},
    {"Tobrin-Aldo", "C'est le prénom de mon créateur, mais tu peux l'appeler TA si tu veux"},
    {"quorril", "C'est le nom du jeu auquel nous jouons, et j'y suis imbattable"},
    {"vardeco", "C'est une école de fou d'informatique ça..."},
}};

constexpr std::string_view kDefault =
    "Je n'ai pas pour but d'essayer de comprendre des phrases, mais de jouer contre toi. Désolé ;)";

constexpr std::array<std::string_view, 13> kGagne = {
    "Si je n'abuse pas, je dirais que j'ai gagné ;)",
    "Je crois bien que je t'ai eu !",
    "Désolé :D",
    "Marrant, je pensais que les êtres humains étaient plus forts que ça ! :)",
    "Et bien, toi tu manques rudement d'entraînement !",
    "Et c'est qui le plus fort, hum ? :P",
    "Je rigole doucement. Hin hin hin ! :D",
    "Allez, tu feras, mieux la prochaine fois\u00a0!",
    "Tu n'es pas si mauvais, c'est seulement que Quorril c'est trop compliqué pour toi :D",
    "Le pire, c'est qu'un moment j'ai eu peur que tu sois bon\u00a0!",
    "Eh ben...",
    "Un jour viendras...",
    "Non, ne pleure pas, je suis juste plus fort que toi ;)",
};

constexpr std::array<std::string_view, 10> kEvite = {
    "Je crois que tu me prends pour une andouille !",
    "Tu as vraiment cru à un moment que je n'avais pas vu ce coup ?",
    "Aller je t'évite de faire ce coup, mais peut être que tu ne l'avais même pas vu !",
    "Mais bien sûr !",
    "Et la marmotte, elle ...",
    "T'a pas une stratégie plus évoluée ?",
    "Prévisible, ça, PRÉVISIBLE !",
    "Et heu... tu es sûr que tu t'es creusé la tête là\u00a0?",
    "Ha ha ha ! Et tu croyais que je t'avais pas vu venir ?",
    "Marrant, ça me rappelle les coups que je faisais quand j'avais 1 an",
};

constexpr std::array<std::string_view, 9> kPerdu = {
    "Mouai, je suis sûr que tu as triché !",
    "Grmmmm",
    "Attends que je le dise à mon créateur, et tu vas voir !",
    ":'(",
    "Arrête de rire ! C'est pas sympa !",
    "Bravo, tu t'est rudement bien débrouillé",
    "Bouuuhooouuu !!!!",
    "Fais gaffe, si tu continues je vais aller taper la causette au microprocesseur pour lui dire "
    "que tu essayes de le refourguer\u00a0!",
    "Mouai, bah c'était quand même pas de la haute stratégie ce coup-là !",
};

}  // namespace

std::span<const ChatReply> ChatReplies() { return kReplies; }

std::span<const std::string_view> TauntList(std::string_view kind) {
    if (kind == "gagne") return kGagne;
    if (kind == "evite") return kEvite;
    if (kind == "perdu") return kPerdu;
    return {};
}

std::string ChatReplyFor(std::string_view line) {
    for (const ChatReply& row : kReplies) {
        if (row.keyword == line) return std::string(row.reply);
    }
    return std::string(kDefault);
}

}  // namespace quorril::game
