// The readers of the picture decoder other than TGA, one per kind of file, each told apart
// by the signature its files begin with. Each leaves *out empty and names the cause in
// *reason when it refuses a file; every one refuses a picture larger than kMaxPictureSide on
// a side before it takes texel memory for it.
#pragma once

#include <bit>
#include <cstdint>
#include <span>

#include "platform/image/picture.h"

namespace image {

// Little-endian numbers of a file held in memory; the caller has checked the length.
inline uint32_t ReadLe16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return ReadLe16(p) | ReadLe16(p + 2) << 16;
}

// True when the side lengths are those of a picture the decoder takes.
inline bool PictureSizeFits(int64_t width, int64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

// One channel of a texel given by a bit mask: where its bits lie and how many there are
// (from the lowest to the highest, so that a mask with gaps still gives values below 2 to
// the power of its bits).
struct MaskChannel {
    uint32_t mask;
    int shift;
    int bits;
};

inline MaskChannel MaskChannelOf(uint32_t mask) {
    if (mask == 0) return {0, 0, 0};
    const int shift = std::countr_zero(mask);
    return {mask, shift, static_cast<int>(std::bit_width(mask >> shift))};
}

// The channel's value widened to 8 bits (its high bits repeated below it, as the device
// widens a 5- or 6-bit channel) or cut to them; 'absent' when there is no such channel.
inline uint32_t ReadMasked8(uint32_t texel, const MaskChannel& c, uint32_t absent) {
    if (c.bits == 0) return absent;
    const uint32_t v = (texel & c.mask) >> c.shift;
    if (c.bits >= 8) return v >> (c.bits - 8);
    uint32_t wide = 0;
    int total = 0;
    for (; total < 8; total += c.bits) wide = wide << c.bits | v;
    return (wide >> (total - 8)) & 0xFF;
}

// A reason that names a library's own message after our words; the text lives until the
// thread's next call.
const char* ReasonWithDetail(const char* what, const char* detail);

// BMP ("BM"): Windows and OS/2 headers, 1, 4 and 8 bits with a palette (also run-length
// packed, 4 and 8 bits), 16 and 32 bits with or without bit masks, 24 bits, rows bottom-up
// or top-down. 32-bit texels keep their alpha unless every one of them is 0.
bool IsBmp(std::span<const uint8_t> bytes);
bool DecodeBmp(std::span<const uint8_t> bytes, Picture* out, const char** reason);

// PNG: every colour type and depth, interlaced or not; a transparency chunk becomes alpha.
bool IsPng(std::span<const uint8_t> bytes);
bool DecodePng(std::span<const uint8_t> bytes, Picture* out, const char** reason);

// JPEG: baseline and progressive, colour or grey. A file whose data is damaged or cut
// short is refused, not filled in.
bool IsJpeg(std::span<const uint8_t> bytes);
bool DecodeJpeg(std::span<const uint8_t> bytes, Picture* out, const char** reason);

// DDS ("DDS "): the largest level of its first surface, uncompressed (colour, luminance or
// alpha texels given by bit masks) or block-compressed (DXT1 to DXT5).
bool IsDds(std::span<const uint8_t> bytes);
bool DecodeDds(std::span<const uint8_t> bytes, Picture* out, const char** reason);

// Binary PNM ("P5" grey, "P6" colour), any maximum value up to 65535.
bool IsPnm(std::span<const uint8_t> bytes);
bool DecodePnm(std::span<const uint8_t> bytes, Picture* out, const char** reason);

}  // namespace image
