#include "game/game_messages.h"

#include <limits>

namespace quorril::game {

std::int32_t LeadingNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    // Saturate symmetrically, so that the negated colour of an offer is always defined.
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > kLimit) value = kLimit;
    }
    if (negative) value = -value;
    return static_cast<std::int32_t>(value);
}

std::int32_t MoveColumnOf(std::string_view iplaArgument) {
    return LeadingNumber(iplaArgument.substr(0, iplaArgument.find('#')));
}

std::string_view ChatTextOf(std::string_view messArgument) {
    const std::size_t gt = messArgument.find('>');
    return gt == std::string_view::npos ? messArgument : messArgument.substr(gt + 1);
}

std::string MovePayload(std::int32_t column, std::int32_t colour) {
    return "IPLA" + std::to_string(column) + "#" + std::to_string(colour);
}

std::string ChatPayload(std::string_view text) {
    std::string out = "MESS<IA>";
    out += text;
    return out;
}

}  // namespace quorril::game
