#include "platform/image/tga.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace image {

namespace {

constexpr size_t kHeaderBytes = 18;

// Image types: 1 colour-mapped, 2 true colour, 3 grey; 8 more for the run-length packed
// forms of each.
constexpr uint8_t kMapped = 1;
constexpr uint8_t kTrueColour = 2;
constexpr uint8_t kGrey = 3;
constexpr uint8_t kPacked = 8;

// Descriptor bits: the alpha bits of a texel, columns stored right to left, rows stored
// top to bottom.
constexpr uint8_t kAlphaBitsMask = 0x0F;
constexpr uint8_t kRightToLeft = 0x10;
constexpr uint8_t kTopToBottom = 0x20;

struct Header {
    uint8_t idLength;
    uint8_t mapType;
    uint8_t imageType;
    uint16_t mapFirst;
    uint16_t mapLength;
    uint8_t mapDepth;
    uint16_t width;
    uint16_t height;
    uint8_t depth;
    uint8_t descriptor;
};

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

Header ReadHeader(std::span<const uint8_t> b) {
    return Header{b[0], b[1],         b[2],         Le16(&b[3]), Le16(&b[5]),
                  b[7], Le16(&b[12]), Le16(&b[14]), b[16],       b[17]};
}

bool IsColourDepth(uint8_t depth) {
    return depth == 15 || depth == 16 || depth == 24 || depth == 32;
}

size_t BytesOf(uint8_t depth) {
    return (static_cast<size_t>(depth) + 7) / 8;
}

uint8_t Expand5(uint32_t v) {
    return static_cast<uint8_t>(v << 3 | v >> 2);
}

uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}

// One colour of `depth` bits (15, 16, 24 or 32) stored little-endian as B, G, R(, A).
uint32_t ReadColour(const uint8_t* p, uint8_t depth, bool alphaBit) {
    switch (depth) {
        case 15:
        case 16: {
            uint32_t v = Le16(p);
            uint32_t a = alphaBit && depth == 16 ? ((v & 0x8000u) ? 0xFFu : 0u) : 0xFFu;
            return Argb(a, Expand5((v >> 10) & 31), Expand5((v >> 5) & 31), Expand5(v & 31));
        }
        case 24:
            return Argb(0xFF, p[2], p[1], p[0]);
        default:
            return Argb(p[3], p[2], p[1], p[0]);
    }
}

}  // namespace

bool IsTgaHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderBytes) return false;
    Header h = ReadHeader(bytes);
    if (h.mapType > 1 || h.width == 0 || h.height == 0) return false;
    if (h.mapType == 1 && (h.mapLength == 0 || !IsColourDepth(h.mapDepth))) return false;
    switch (h.imageType & ~kPacked) {
        case kMapped:
            return h.mapType == 1 && (h.depth == 8 || h.depth == 16);
        case kTrueColour:
            return IsColourDepth(h.depth);
        case kGrey:
            return h.depth == 8 || h.depth == 16;
        default:
            return false;
    }
}

bool DecodeTga(std::span<const uint8_t> bytes, Picture* out, const char** reason) {
    out->width = out->height = 0;
    out->texels.clear();
    auto fail = [reason](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    if (!IsTgaHeader(bytes)) return fail("not a TGA picture");
    Header h = ReadHeader(bytes);
    if (h.width > kMaxPictureSide || h.height > kMaxPictureSide) {
        return fail("picture too large");
    }
    const bool alphaBit = (h.descriptor & kAlphaBitsMask) >= 1;
    const uint8_t type = h.imageType & ~kPacked;
    const bool packed = (h.imageType & kPacked) != 0;

    size_t at = kHeaderBytes + h.idLength;
    // The colour map, by texel value; it exists only in the file when mapType is 1.
    std::vector<uint32_t> map;
    if (h.mapType == 1) {
        size_t entry = BytesOf(h.mapDepth);
        size_t size = static_cast<size_t>(h.mapLength) * entry;
        if (bytes.size() < at || bytes.size() - at < size) return fail("corrupt picture");
        if (type == kMapped) {
            map.resize(h.mapLength);
            for (size_t i = 0; i < map.size(); ++i) {
                map[i] = ReadColour(&bytes[at + i * entry], h.mapDepth, alphaBit);
            }
        }
        at += size;
    }
    if (at > bytes.size()) return fail("corrupt picture");

    const size_t pixelBytes = BytesOf(h.depth);
    const size_t count = static_cast<size_t>(h.width) * h.height;
    // A file too short for its texels is refused before any memory is taken for them: a
    // packet holds at most 128 texels in at least 2 bytes.
    size_t left = bytes.size() - at;
    if (packed ? left < (count + 127) / 128 * 2 : left < count * pixelBytes) {
        return fail("corrupt picture");
    }
    // The texel values in file order; run-length packets may run on across rows.
    std::vector<uint8_t> raw(count * pixelBytes);
    if (!packed) {
        std::copy(bytes.begin() + static_cast<ptrdiff_t>(at),
                  bytes.begin() + static_cast<ptrdiff_t>(at + raw.size()), raw.begin());
    } else {
        size_t done = 0;
        while (done < count) {
            if (at >= bytes.size()) return fail("corrupt picture");
            uint8_t packet = bytes[at++];
            size_t run = std::min<size_t>((packet & 0x7F) + 1u, count - done);
            bool repeat = (packet & 0x80) != 0;
            size_t stored = repeat ? pixelBytes : run * pixelBytes;
            if (bytes.size() - at < stored) return fail("corrupt picture");
            for (size_t k = 0; k < run; ++k) {
                const uint8_t* from = &bytes[at + (repeat ? 0 : k * pixelBytes)];
                std::copy(from, from + pixelBytes, &raw[(done + k) * pixelBytes]);
            }
            at += stored;
            done += run;
        }
    }

    out->texels.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = &raw[i * pixelBytes];
        uint32_t colour = 0;
        if (type == kMapped) {
            uint32_t value = h.depth == 8 ? p[0] : Le16(p);
            if (value < h.mapFirst || value - h.mapFirst >= map.size()) {
                out->texels.clear();
                return fail("colour outside the colour map");
            }
            colour = map[value - h.mapFirst];
        } else if (type == kGrey) {
            colour = Argb(h.depth == 16 ? p[1] : 0xFFu, p[0], p[0], p[0]);
        } else {
            colour = ReadColour(p, h.depth, alphaBit);
        }
        // File order: rows bottom to top unless marked, columns left to right unless marked.
        size_t row = i / h.width, column = i % h.width;
        if (!(h.descriptor & kTopToBottom)) row = h.height - 1 - row;
        if (h.descriptor & kRightToLeft) column = h.width - 1 - column;
        out->texels[row * h.width + column] = colour;
    }
    out->width = h.width;
    out->height = h.height;
    return true;
}

}  // namespace image
