// The picture archive's LZW decoder: 12-bit codes, most significant bit first; codes 0 to
// 255 are single bytes, 256 ends the data, 257 to 4095 are defined as the data goes. Once
// code 4095 is defined the dictionary stays as it is.
//
// Code i takes bits 12 i to 12 i + 11 of the input, so a code that would need a byte
// beyond the packed size (where the data ends without its end code) is simply never taken.
#include <cstring>

#include "engine/archive/decompress.h"

LzwState gLzwState;

namespace {

// Code i of the packed bytes; the caller has checked that its two bytes exist.
inline int CodeAt(const uint8_t* in, size_t i) {
    const uint8_t* p = in + i + (i >> 1);
    if (i & 1) return (p[0] & 0x0F) << 8 | p[1];
    return p[0] << 4 | p[1] >> 4;
}

}  // namespace

ptrdiff_t DecompressLzwBlock(std::span<const uint8_t> source, std::span<uint8_t> destination) {
    LzwState& s = gLzwState;
    s.nextCode = archive::kLzwFirstFreeCode;
    LzwString* const strings = s.strings;
    const uint8_t* const in = source.data();
    const size_t codeCount = source.size() * 8 / archive::kLzwCodeBits;
    uint8_t* const outStart = destination.data();
    const size_t capacity = destination.size();

    if (codeCount == 0) return 0;
    int code = CodeAt(in, 0);
    if (code == archive::kLzwEndCode) return 0;
    // The first code has no string before it: it can only be a single byte.
    if (code > 0xFF || capacity == 0) return kCorruptEntry;
    outStart[0] = static_cast<uint8_t>(code);
    size_t written = 1;
    // Where the previous string was written and its length.
    size_t previousStart = 0;
    size_t previousLength = 1;
    int nextCode = archive::kLzwFirstFreeCode;

    for (size_t i = 1; i < codeCount; ++i) {
        code = CodeAt(in, i);
        uint8_t* const out = outStart + written;
        const size_t room = capacity - written;
        size_t length;
        if (code < 256) {
            if (room == 0) return kCorruptEntry;
            *out = static_cast<uint8_t>(code);
            length = 1;
        } else if (code < nextCode) {
            if (code == archive::kLzwEndCode) break;
            const LzwString string = strings[code];
            length = string.length;
            if (length > room) return kCorruptEntry;
            const uint8_t* src = outStart + string.start;
            // The string lies wholly before out. Short strings copy as one block of 16 where
            // the block cannot reach out's own bytes nor leave the buffer.
            if (length <= 16 && room >= 16 && out - src >= 16) {
                std::memcpy(out, src, 16);
            } else {
                std::memcpy(out, src, length);
            }
        } else if (code == nextCode) {
            // The code about to be defined: the previous string and its own first byte.
            length = previousLength + 1;
            if (length > room) return kCorruptEntry;
            std::memcpy(out, outStart + previousStart, previousLength);
            out[previousLength] = outStart[previousStart];
        } else {
            return kCorruptEntry;
        }
        // The new code is the previous string followed by this string's first byte, which
        // is where the previous string was written, one byte longer.
        if (nextCode < archive::kLzwDictionarySize) {
            strings[nextCode] = LzwString{static_cast<uint32_t>(previousStart),
                                          static_cast<uint32_t>(previousLength + 1)};
            ++nextCode;
        }
        previousStart = written;
        previousLength = length;
        written += length;
    }
    s.nextCode = nextCode;
    return static_cast<ptrdiff_t>(written);
}
