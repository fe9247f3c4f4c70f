// Pictures: decoding BMP, TGA, PNG, JPEG, DDS and PPM files held in memory, the transparent colour
// key, resampling to a requested size and mip chains, and textures made from them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gfx/device.h"

namespace image {

// A decoded picture: ARGB texels (0xAARRGGBB), rows top to bottom.
struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> texels;
};

// The largest picture side accepted (the device's largest texture).
constexpr uint32_t kMaxPictureSide = 4096;

// The colour that pictures use for "transparent": opaque pure green.
constexpr uint32_t kTransparentKey = 0xFF00FF00u;

// Decodes a picture file held in memory, of any kind the texture loader takes. BMP: 1, 4
// and 8 bits with a palette (also run-length packed, 4 and 8 bits), 16 and 32 bits with or
// without bit masks, 24 bits, rows bottom-up or top-down, Windows or OS/2 headers. TGA:
// true-colour (15, 16, 24, 32 bits), grey and colour-mapped, plain or run-length packed, in
// any origin. PNG, JPEG (baseline and progressive), DDS (uncompressed, DXT1 to DXT5) and
// binary PPM/PGM. False when the bytes are not a picture of a supported kind, are damaged
// or cut short, or the picture is larger than kMaxPictureSide on a side; reason then names
// the cause (valid until the thread's next decoding).
bool DecodePicture(std::span<const uint8_t> bytes, Picture* out, const char** reason = nullptr);

// Texels equal to key become transparent black (0x00000000).
void ApplyColorKey(Picture* picture, uint32_t key);

// Scales a picture to width x height with a triangle (tent) filter: bilinear when
// enlarging, an average over the covered texels when reducing. Each channel is filtered
// on its own (colours are not weighted by alpha).
void ResamplePicture(const Picture& source, uint32_t width, uint32_t height, Picture* out);

// The next smaller mip level: half the size (at least 1), each texel the average of the
// 2 x 2 (or 2 x 1) block it covers.
void HalvePicture(const Picture& source, Picture* out);

// A picture made ready to become a texture: every mip level, largest first.
struct TexturePicture {
    std::vector<Picture> levels;
};

// The decoding half of CreateTextureFromMemory, which needs no device (so it may run on
// any thread): the same decoding, colour key, scaling and mip chain. False when the bytes
// are not a picture or the size is out of range; reason then names the cause as
// DecodePicture does.
bool PrepareTexturePicture(std::span<const uint8_t> bytes, uint32_t width, uint32_t height,
                           uint32_t levels, uint32_t colorKey, TexturePicture* out,
                           const char** reason = nullptr);

// The device half: a texture that takes over the prepared levels (pass a copy to keep
// them).
gfx::Result CreateTextureFromPicture(gfx::Device* device, TexturePicture picture,
                                     gfx::Texture** out);

// Makes a texture from a picture file in memory, as the game's picture loader wants it:
// width and height 0 keep the picture's own size, otherwise the picture is scaled to
// them; levels 0 makes the full mip chain, 1 a single level; colorKey (when not 0)
// texels become transparent black before any scaling. On failure *out stays null, and
// reason names the cause when the bytes could not be decoded.
gfx::Result CreateTextureFromMemory(gfx::Device* device, std::span<const uint8_t> bytes,
                                    uint32_t width, uint32_t height, uint32_t levels,
                                    uint32_t colorKey, gfx::Texture** out,
                                    const char** reason = nullptr);

}  // namespace image
