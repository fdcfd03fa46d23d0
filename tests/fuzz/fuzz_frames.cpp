// Arbitrary bytes into the frame reader, cut into reads where the input says, with the checks
// that hold for any stream: frames are whole, never longer than a length can announce, and
// their fields stay inside them.
#include "net/framecodec.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses how the stream is cut into reads.
    const std::size_t step = 1 + data[0] % 17;
    ++data;
    --size;
    net::FrameReader reader;
    std::u32string frame;
    std::size_t frames = 0;
    for (std::size_t pos = 0; pos < size; pos += step) {
        const std::size_t n = size - pos < step ? size - pos : step;
        reader.Feed(reinterpret_cast<const char*>(data) + pos, n);
        while (reader.Next(frame)) {
            ++frames;
            if (frame.size() < net::kLengthChars || frame.size() > net::kLengthChars + net::kMaxFrameChars) std::abort();
            if (frame.size() != net::kLengthChars + net::ParseLengthField(std::u32string_view(frame).substr(0, 6))) std::abort();
            const net::FrameFields f = net::SplitFrame(frame);
            if (f.from12.size() > frame.size() || f.tag.size() > net::kTagChars || f.argument.size() > net::kIdChars) std::abort();
            // What the program does with a payload: back to UTF-8 and read again.
            const std::string utf8 = net::ToUtf8(f.from12);
            if (net::DecodeUtf8(utf8).size() != f.from12.size()) std::abort();
            (void)net::ParseLeadingInt(f.argument);
            // Every frame read can be written again with the same character count.
            std::string again;
            if (!net::BuildFrame(f.sender, utf8, again) && f.from12.size() + 5 <= net::kMaxFrameChars) std::abort();
        }
        if (reader.HeldChars() > net::kLengthChars + net::kMaxFrameChars) std::abort();
        if (reader.HeldBytes() > step + 3) std::abort();
    }
    (void)frames;
    return 0;
}
