#include "net/framecodec.h"

#include <limits>

namespace net {

namespace {

template <class Char>
std::int32_t parseLeading(std::basic_string_view<Char> s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == Char(' ') || s[i] == Char('\t'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == Char('-') || s[i] == Char('+'))) {
        negative = s[i] == Char('-');
        ++i;
    }
    std::int64_t v = 0;
    constexpr std::int64_t cap = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    for (; i < s.size() && s[i] >= Char('0') && s[i] <= Char('9'); ++i) {
        v = v * 10 + (s[i] - Char('0'));
        if (v > cap) v = cap;  // stays bounded however many digits follow
    }
    if (negative) v = -v;
    if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) v = std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::u32string_view cut(std::u32string_view s, std::size_t from, std::size_t count = std::u32string_view::npos) {
    if (from >= s.size()) return {};
    return s.substr(from, count);
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::int32_t ParseLeadingInt(std::u32string_view s) { return parseLeading(s); }
std::int32_t ParseLeadingInt(std::string_view s) { return parseLeading(s); }

std::size_t ParseLengthField(std::u32string_view field) {
    if (field.size() != kLengthChars) return 0;
    std::size_t v = 0;
    for (char32_t c : field) {
        if (c < U'0' || c > U'9') return 0;
        v = v * 10 + (c - U'0');
    }
    return v;
}

std::string PadNumber(std::int64_t value, int width) {
    std::int64_t max = 1;
    for (int i = 0; i < width; ++i) max *= 10;
    if (value < 0) value = 0;
    if (value >= max) value = max - 1;
    std::string s = std::to_string(value);
    if (s.size() < std::size_t(width)) s.insert(0, std::size_t(width) - s.size(), '0');
    return s;
}

std::size_t CountCodePoints(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char b : utf8)
        if ((b & 0xC0) != 0x80) ++n;
    return n;
}

bool BuildFrame(std::int32_t sender, std::string_view bodyUtf8, std::string& out) {
    const std::string id = PadNumber(sender, kIdChars);
    const std::size_t n = id.size() + CountCodePoints(bodyUtf8);
    if (n > kMaxFrameChars) return false;
    out = PadNumber(std::int64_t(n), kLengthChars);
    out += id;
    out.append(bodyUtf8.data(), bodyUtf8.size());
    return true;
}

std::string ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) appendUtf8(out, (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) ? U'\uFFFD' : c);
    return out;
}

void FrameReader::Feed(const char* data, std::size_t size) {
    if (size == 0) return;
    // Drop what has been decoded already, so the buffer never grows with the stream's history.
    if (pos_ > 0 && (pos_ >= bytes_.size() || pos_ > 4096)) {
        bytes_.erase(0, pos_);
        pos_ = 0;
    }
    bytes_.append(data, size);
}

void FrameReader::Reset() {
    bytes_.clear();
    pos_ = 0;
    chars_.clear();
    need_ = kLengthChars;
}

bool DecodeOne(const unsigned char* p, std::size_t avail, char32_t& c, std::size_t& used) {
    const unsigned char b0 = p[0];
    used = 1;
    if (b0 < 0x80) {
        c = b0;
        return true;
    }
    std::size_t len = 0;
    unsigned char lo = 0x80, hi = 0xBF;  // the allowed range of the second byte
    char32_t value = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        len = 2;
        value = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        len = 3;
        value = b0 & 0x0F;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;  // no surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        len = 4;
        value = b0 & 0x07;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        c = U'\uFFFD';
        return true;
    }
    for (std::size_t i = 1; i < len; ++i) {
        if (i >= avail) return false;  // a valid start whose end has not arrived yet
        const unsigned char b = p[i];
        const unsigned char l = i == 1 ? lo : 0x80;
        const unsigned char h = i == 1 ? hi : 0xBF;
        if (b < l || b > h) {
            // The lead byte alone is invalid; what follows is read again on its own.
            c = U'\uFFFD';
            return true;
        }
        value = (value << 6) | (b & 0x3F);
    }
    c = value;
    used = len;
    return true;
}

std::u32string DecodeUtf8(std::string_view bytes) {
    std::u32string out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t i = 0;
    while (i < bytes.size()) {
        char32_t c;
        std::size_t used;
        if (!DecodeOne(p + i, bytes.size() - i, c, used)) {
            c = U'\uFFFD';
            used = 1;
        }
        out.push_back(c);
        i += used;
    }
    return out;
}

bool FrameReader::decodeOne(char32_t& c) {
    std::size_t used;
    if (!DecodeOne(reinterpret_cast<const unsigned char*>(bytes_.data()) + pos_, bytes_.size() - pos_, c, used)) return false;
    pos_ += used;
    return true;
}

bool FrameReader::Next(std::u32string& frame) {
    while (true) {
        if (chars_.size() == need_) {
            if (need_ == kLengthChars) {
                need_ = kLengthChars + ParseLengthField(chars_);
                if (need_ > kLengthChars) continue;
            }
            frame.swap(chars_);
            chars_.clear();
            need_ = kLengthChars;
            return true;
        }
        if (pos_ >= bytes_.size()) return false;
        char32_t c;
        if (!decodeOne(c)) return false;
        chars_.push_back(c);
    }
}

FrameFields SplitFrame(std::u32string_view frame) {
    FrameFields f;
    f.sender = ParseLeadingInt(cut(frame, 6, kIdChars));
    f.tag = cut(frame, 11, kTagChars);
    f.argument = cut(frame, 20, kIdChars);
    f.from12 = cut(frame, 11);
    f.from21 = cut(frame, 20);
    f.from26 = cut(frame, 25);
    return f;
}

}  // namespace net
