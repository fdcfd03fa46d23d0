#pragma once
// The relay frame on the TCP stream, in plain C++ so that the fuzzer builds it alone:
//   6-digit length (characters after it) | 5-digit sender | body
// Lengths count Unicode code points. The reader keeps every incomplete tail (a cut frame, a cut
// UTF-8 character) until the rest arrives, so TCP may split the stream anywhere.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace net {

// A length field holds 6 digits, so a frame never carries more than this after it.
constexpr std::size_t kMaxFrameChars = 999999;
constexpr std::size_t kLengthChars = 6;
constexpr std::size_t kIdChars = 5;
constexpr std::size_t kTagChars = 9;

// The decimal number at the start of s (spaces, an optional sign, digits), 0 when there is none,
// clamped to the Int32 range. Never throws.
std::int32_t ParseLeadingInt(std::u32string_view s);
std::int32_t ParseLeadingInt(std::string_view s);

// A length field is exactly six ASCII digits; anything else counts as 0 (and still takes its six
// characters), so the reader always moves forward.
std::size_t ParseLengthField(std::u32string_view field);

// Zero-padded decimal of the given width; values outside 0..10^width-1 are clamped into it.
std::string PadNumber(std::int64_t value, int width);

// Code points of well-formed UTF-8.
std::size_t CountCodePoints(std::string_view utf8);

// The bytes of one frame: length, then sender, then body (UTF-8). False, and out untouched, when
// the text would exceed kMaxFrameChars: such a frame cannot be announced.
bool BuildFrame(std::int32_t sender, std::string_view bodyUtf8, std::string& out);

std::string ToUtf8(std::u32string_view text);

// One character at p (avail bytes there): false when the bytes are the valid start of a
// character whose end is missing. A byte that cannot start or continue a character is one
// character, U+FFFD.
bool DecodeOne(const unsigned char* p, std::size_t avail, char32_t& c, std::size_t& used);
// The whole text by the same rule; an incomplete character at the end is U+FFFD per byte.
std::u32string DecodeUtf8(std::string_view bytes);

// Cuts a byte stream into frames. Bytes that are not well-formed UTF-8 count as one character
// each and read as U+FFFD.
class FrameReader {
public:
    void Feed(const char* data, std::size_t size);
    void Feed(std::string_view bytes) { Feed(bytes.data(), bytes.size()); }
    // The next complete frame (length field included), if one has arrived.
    bool Next(std::u32string& frame);
    void Reset();

    // Characters of the frame being assembled plus undecoded bytes still held.
    std::size_t HeldChars() const { return chars_.size(); }
    std::size_t HeldBytes() const { return bytes_.size() - pos_; }

private:
    // Decodes one character at pos_; false when the bytes there are an incomplete sequence.
    bool decodeOne(char32_t& c);

    std::string bytes_;
    std::size_t pos_ = 0;
    std::u32string chars_;
    std::size_t need_ = kLengthChars;
};

// The fields of a frame by character position (1-based: length 1-6, sender 7-11, tag 12-20,
// argument 21-25). A field that runs past the end is cut short or empty.
struct FrameFields {
    std::int32_t sender = 0;
    std::u32string_view tag;
    std::u32string_view argument;
    std::u32string_view from12;  // the body
    std::u32string_view from21;  // data after a tag
    std::u32string_view from26;  // payload after a tag and its destination
};
FrameFields SplitFrame(std::u32string_view frame);

}  // namespace net
