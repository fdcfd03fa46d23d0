// Reading and writing the game messages that the computer player exchanges with the host.
// Nothing here throws: a malformed message yields 0 or an empty text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorril::game {

// The decimal integer at the start of text (optional sign, then digits); 0 when there is
// none. Values beyond +-2147483647 saturate there.
std::int32_t LeadingNumber(std::string_view text);

// "IPLA" argument "4#1" -> 4: the number before the first "#" (or of the whole argument).
std::int32_t MoveColumnOf(std::string_view iplaArgument);

// "MESS" argument "<serveur>bonjour" -> "bonjour": the text after the first ">", or all of it.
std::string_view ChatTextOf(std::string_view messArgument);

// "IPLA3#-1"
std::string MovePayload(std::int32_t column, std::int32_t colour);
// "MESS<IA>" + text
std::string ChatPayload(std::string_view text);

}  // namespace quorril::game
