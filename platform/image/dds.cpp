// DDS pictures: the header is read here, block-compressed texels (DXT1 to DXT5) are
// decoded by libsquish, uncompressed texels (any layout the header's bit masks give) here.
// Only the largest level of the first surface is read; further mip levels, cube faces or
// volume slices that follow it are left alone, as they are for a texture of one level.
#include <squish.h>

#include <cstring>

#include "platform/image/formats.h"

namespace image {

namespace {

constexpr size_t kMagicBytes = 4;
constexpr size_t kHeaderBytes = 124;
constexpr size_t kDataAt = kMagicBytes + kHeaderBytes;

// Offsets in the file of the header's fields.
constexpr size_t kHeightAt = 12;
constexpr size_t kWidthAt = 16;
constexpr size_t kFormatFlagsAt = 80;
constexpr size_t kFourCcAt = 84;
constexpr size_t kBitCountAt = 88;
constexpr size_t kRedMaskAt = 92;
constexpr size_t kGreenMaskAt = 96;
constexpr size_t kBlueMaskAt = 100;
constexpr size_t kAlphaMaskAt = 104;

// Pixel format flags.
constexpr uint32_t kHasAlpha = 0x1;
constexpr uint32_t kAlphaOnly = 0x2;
constexpr uint32_t kFourCc = 0x4;
constexpr uint32_t kRgb = 0x40;
constexpr uint32_t kLuminance = 0x20000;

constexpr uint32_t FourCc(const char (&s)[5]) {
    return static_cast<uint32_t>(s[0]) | static_cast<uint32_t>(s[1]) << 8 |
           static_cast<uint32_t>(s[2]) << 16 | static_cast<uint32_t>(s[3]) << 24;
}

bool DecodeBlocks(std::span<const uint8_t> data, uint32_t width, uint32_t height, int flags,
                  size_t blockBytes, Picture* out) {
    const size_t across = (width + 3) / 4, down = (height + 3) / 4;
    if (data.size() / blockBytes < across * down) return false;
    out->width = width;
    out->height = height;
    out->texels.resize(static_cast<size_t>(width) * height);
    uint8_t rgba[16 * 4];
    const uint8_t* block = data.data();
    for (size_t by = 0; by < down; ++by) {
        for (size_t bx = 0; bx < across; ++bx, block += blockBytes) {
            squish::Decompress(rgba, block, flags);
            for (size_t i = 0; i < 16; ++i) {
                const size_t x = bx * 4 + i % 4, y = by * 4 + i / 4;
                if (x >= width || y >= height) continue;
                const uint8_t* p = &rgba[i * 4];
                out->texels[y * width + x] = static_cast<uint32_t>(p[3]) << 24 |
                                             static_cast<uint32_t>(p[0]) << 16 |
                                             static_cast<uint32_t>(p[1]) << 8 | p[2];
            }
        }
    }
    return true;
}

}  // namespace

bool IsDds(std::span<const uint8_t> bytes) {
    return bytes.size() >= kMagicBytes && std::memcmp(bytes.data(), "DDS ", kMagicBytes) == 0;
}

bool DecodeDds(std::span<const uint8_t> bytes, Picture* out, const char** reason) {
    auto fail = [reason](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    if (bytes.size() < kDataAt) return fail("the DDS header is cut short");
    const uint8_t* b = bytes.data();
    const uint32_t width = ReadLe32(b + kWidthAt), height = ReadLe32(b + kHeightAt);
    if (!PictureSizeFits(width, height)) return fail("picture too large");
    const uint32_t flags = ReadLe32(b + kFormatFlagsAt);
    const std::span<const uint8_t> data = bytes.subspan(kDataAt);

    if (flags & kFourCc) {
        int squishFlags = 0;
        size_t blockBytes = 16;
        switch (ReadLe32(b + kFourCcAt)) {
            case FourCc("DXT1"):
                squishFlags = squish::kDxt1;
                blockBytes = 8;
                break;
            // DXT2 and DXT4 hold colours multiplied by alpha; they are read as stored.
            case FourCc("DXT2"):
            case FourCc("DXT3"):
                squishFlags = squish::kDxt3;
                break;
            case FourCc("DXT4"):
            case FourCc("DXT5"):
                squishFlags = squish::kDxt5;
                break;
            default:
                return fail("a DDS texel format that is not read");
        }
        if (!DecodeBlocks(data, width, height, squishFlags, blockBytes, out)) {
            *out = Picture{};
            return fail("the DDS file is cut short");
        }
        return true;
    }

    const uint32_t bitCount = ReadLe32(b + kBitCountAt);
    if ((flags & (kRgb | kLuminance | kAlphaOnly)) == 0 ||
        (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)) {
        return fail("a DDS texel format that is not read");
    }
    const size_t texelBytes = bitCount / 8;
    if (data.size() / texelBytes / width < height) return fail("the DDS file is cut short");
    // Luminance formats keep their one channel in the red mask.
    const MaskChannel red =
        MaskChannelOf(flags & (kRgb | kLuminance) ? ReadLe32(b + kRedMaskAt) : 0);
    const MaskChannel green =
        flags & kLuminance ? red : MaskChannelOf(flags & kRgb ? ReadLe32(b + kGreenMaskAt) : 0);
    const MaskChannel blue =
        flags & kLuminance ? red : MaskChannelOf(flags & kRgb ? ReadLe32(b + kBlueMaskAt) : 0);
    const MaskChannel alpha =
        MaskChannelOf(flags & (kHasAlpha | kAlphaOnly) ? ReadLe32(b + kAlphaMaskAt) : 0);
    out->width = width;
    out->height = height;
    out->texels.resize(static_cast<size_t>(width) * height);
    const uint8_t* p = data.data();
    for (uint32_t& texel : out->texels) {
        uint32_t v = 0;
        for (size_t k = 0; k < texelBytes; ++k) v |= static_cast<uint32_t>(p[k]) << (8 * k);
        p += texelBytes;
        texel = ReadMasked8(v, alpha, 0xFF) << 24 | ReadMasked8(v, red, 0) << 16 |
                ReadMasked8(v, green, 0) << 8 | ReadMasked8(v, blue, 0);
    }
    return true;
}

}  // namespace image
