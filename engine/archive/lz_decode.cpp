// The volume archive's LZ77 decoder.
//
// Packed data is a sequence of groups: a flag byte, then eight tokens described by its bits,
// most significant first. A 0 bit is a literal byte. A 1 bit is a match of two or three bytes
// b0 b1 [b2]: distance (b0 >> 4) * 256 + b1, length (b0 & 15) + 1 for a nibble of 1 to 15,
// or b2 + 17 when the nibble is 0 and a third byte follows. Distance 0 ends the data.
//
// The copy loops work eight bytes at a time where the buffer leaves room for it; the bytes
// that land past the match's end are overwritten by what follows, so the output is the
// same as a byte-by-byte copy.
#include <cstring>

#include "engine/archive/decompress.h"

namespace {

inline void Copy8(uint8_t* dst, const uint8_t* src) {
    uint64_t v;
    std::memcpy(&v, src, 8);
    std::memcpy(dst, &v, 8);
}

// Copies a match of length bytes from distance bytes back. The caller has checked that the
// source lies inside the output and that length bytes fit.
inline void CopyMatch(uint8_t* out, uint8_t* outEnd, size_t distance, size_t length) {
    const uint8_t* src = out - distance;
    if (static_cast<size_t>(outEnd - out) >= length + 8) {
        if (distance >= 8) {
            uint8_t* end = out + length;
            do {
                Copy8(out, src);
                out += 8;
                src += 8;
            } while (out < end);
            return;
        }
        // A short distance repeats a pattern of distance bytes. Write its first eight bytes
        // one at a time; from then on the same bytes lie a whole number of periods back at a
        // distance of eight or more, and the copy goes on eight bytes at a time.
        uint8_t* end = out + length;
        for (int i = 0; i < 8; ++i) out[i] = src[i];
        const size_t step = distance * ((8 + distance - 1) / distance);
        out += 8;
        src = out - step;
        while (out < end) {
            Copy8(out, src);
            out += 8;
            src += 8;
        }
        return;
    }
    for (size_t i = 0; i < length; ++i) out[i] = src[i];
}

}  // namespace

ptrdiff_t DecompressLzBlock(std::span<const uint8_t> source, std::span<uint8_t> destination) {
    const uint8_t* in = source.data();
    const uint8_t* const inEnd = in + source.size();
    uint8_t* const outStart = destination.data();
    uint8_t* out = outStart;
    uint8_t* const outEnd = outStart + destination.size();

    for (;;) {
        if (in == inEnd) return kCorruptEntry;
        unsigned flags = *in++;
        // Eight literals in a row copy as one block.
        if (flags == 0 && inEnd - in >= 8 && outEnd - out >= 8) {
            Copy8(out, in);
            in += 8;
            out += 8;
            continue;
        }
        for (int token = 0; token < 8; ++token, flags <<= 1) {
            if ((flags & 0x80) == 0) {
                if (in == inEnd || out == outEnd) return kCorruptEntry;
                *out++ = *in++;
                continue;
            }
            if (inEnd - in < 2) return kCorruptEntry;
            const unsigned b0 = in[0];
            const size_t distance = (b0 >> 4) << 8 | in[1];
            if (distance == 0) return out - outStart;
            size_t length = (b0 & 0x0F) + 1;
            if (length > 1) {
                in += 2;
            } else {
                if (inEnd - in < 3) return kCorruptEntry;
                length = static_cast<size_t>(in[2]) + archive::kLzMaxShortMatch + 1;
                in += 3;
            }
            if (distance > static_cast<size_t>(out - outStart) ||
                length > static_cast<size_t>(outEnd - out)) {
                return kCorruptEntry;
            }
            CopyMatch(out, outEnd, distance, length);
            out += length;
        }
    }
}
