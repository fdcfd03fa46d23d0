// The computer player's fixed French texts: chat replies and taunts (UTF-8).
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace quorril::game {

struct ChatReply {
    std::string_view keyword;
    std::string_view reply;
};

// Tested in order; the first keyword equal to the whole line gives the reply.
std::span<const ChatReply> ChatReplies();

// The taunt list of a kind ("gagne", "evite", "perdu"); empty for any other kind.
std::span<const std::string_view> TauntList(std::string_view kind);

// Reply to one chat text (the part after the sender tag); whole-line, case-sensitive.
std::string ChatReplyFor(std::string_view line);

}  // namespace quorril::game
