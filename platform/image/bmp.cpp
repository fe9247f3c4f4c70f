// BMP pictures, read by SDL's BMP loader: it takes every form Windows programs write
// (palettes of 1, 4 and 8 bits, run-length packed 4 and 8 bits, 16 and 32 bits with bit
// masks, 24 bits, top-down rows, OS/2 headers). Its surface is then converted to ARGB.
#include <SDL2/SDL.h>

#include <climits>
#include <cstring>

#include "platform/image/formats.h"

namespace image {

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr uint32_t kOs2HeaderBytes = 12;
// The shortest header that carries 32-bit sizes (OS/2 2.x may stop after 16 bytes).
constexpr uint32_t kShortestLongHeader = 16;

// The picture's size from the header, read before SDL takes memory for its texels; the
// reason when the header cannot be read.
const char* ReadBmpSize(std::span<const uint8_t> bytes, int64_t* width, int64_t* height) {
    constexpr const char* kCut = "the BMP header is cut short";
    if (bytes.size() < kFileHeaderBytes + 4) return kCut;
    const uint8_t* info = bytes.data() + kFileHeaderBytes;
    const uint32_t headerBytes = ReadLe32(info);
    if (headerBytes == kOs2HeaderBytes) {
        if (bytes.size() < kFileHeaderBytes + kOs2HeaderBytes) return kCut;
        *width = ReadLe16(info + 4);
        *height = ReadLe16(info + 6);
        return nullptr;
    }
    if (headerBytes < kShortestLongHeader) return "a BMP header of unknown size";
    if (bytes.size() < kFileHeaderBytes + 12) return kCut;
    *width = static_cast<int32_t>(ReadLe32(info + 4));
    // Rows stored top row first give the height negated.
    *height = static_cast<int32_t>(ReadLe32(info + 8));
    if (*height < 0) *height = -*height;
    return nullptr;
}

// The texels of a surface whose texels are given by masks, into out (already sized).
void ReadMaskedTexels(const SDL_Surface* surface, Picture* out) {
    const SDL_PixelFormat* f = surface->format;
    const MaskChannel red = MaskChannelOf(f->Rmask), green = MaskChannelOf(f->Gmask),
                      blue = MaskChannelOf(f->Bmask), alpha = MaskChannelOf(f->Amask);
    const size_t bytes = f->BytesPerPixel;
    const auto* row = static_cast<const uint8_t*>(surface->pixels);
    uint32_t* texel = out->texels.data();
    for (uint32_t y = 0; y < out->height; ++y, row += surface->pitch) {
        const uint8_t* p = row;
        for (uint32_t x = 0; x < out->width; ++x, p += bytes) {
            uint32_t v = 0;
            for (size_t k = 0; k < bytes; ++k) v |= static_cast<uint32_t>(p[k]) << (8 * k);
            *texel++ = ReadMasked8(v, alpha, 0xFF) << 24 | ReadMasked8(v, red, 0) << 16 |
                       ReadMasked8(v, green, 0) << 8 | ReadMasked8(v, blue, 0);
        }
    }
}

}  // namespace

bool IsBmp(std::span<const uint8_t> bytes) {
    return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M';
}

bool DecodeBmp(std::span<const uint8_t> bytes, Picture* out, const char** reason) {
    auto fail = [reason](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    int64_t width = 0, height = 0;
    if (const char* why = ReadBmpSize(bytes, &width, &height)) return fail(why);
    if (!PictureSizeFits(width, height)) return fail("picture too large");
    if (bytes.size() > static_cast<size_t>(INT_MAX)) return fail("file too large");

    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!source) return fail(ReasonWithDetail("the BMP file cannot be read", SDL_GetError()));
    SDL_Surface* loaded = SDL_LoadBMP_RW(source, 1);
    if (!loaded) return fail(ReasonWithDetail("damaged BMP file", SDL_GetError()));
    if (loaded->w != width || loaded->h != height) {
        SDL_FreeSurface(loaded);
        return fail("damaged BMP file");
    }
    out->width = static_cast<uint32_t>(width);
    out->height = static_cast<uint32_t>(height);
    out->texels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const SDL_PixelFormat* format = loaded->format;
    if (!format->palette && format->BytesPerPixel >= 2 && format->BytesPerPixel <= 4) {
        // Texels given by masks (16, 24 and 32 bits) are widened here as the device widens
        // them; SDL's conversion rounds 5- and 6-bit channels down instead.
        ReadMaskedTexels(loaded, out);
        SDL_FreeSurface(loaded);
        return true;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!argb) {
        *out = Picture{};
        return fail(ReasonWithDetail("the BMP file cannot be converted", SDL_GetError()));
    }
    const auto* row = static_cast<const uint8_t*>(argb->pixels);
    for (int64_t y = 0; y < height; ++y, row += argb->pitch) {
        std::memcpy(&out->texels[static_cast<size_t>(y * width)], row,
                    static_cast<size_t>(width) * sizeof(uint32_t));
    }
    SDL_FreeSurface(argb);
    return true;
}

}  // namespace image
