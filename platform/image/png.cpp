// PNG pictures, read by libpng. Every colour type is expanded to 8-bit B, G, R, A bytes,
// which on this little-endian machine are the ARGB texels themselves. Gamma chunks are not
// applied: the stored values are the colours, as for every other kind of picture.
//
// libpng reports errors by longjmp: the functions that call into it hold nothing that
// needs destroying, and the texel memory is taken between those calls.
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/image/formats.h"

namespace image {

namespace {

struct PngSource {
    const uint8_t* data;
    size_t size;
    size_t position;
    bool tooLarge;
    bool rowsMissing;
    char error[160];
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->position) png_error(png, "the file is cut short");
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
}

void OnError(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    std::snprintf(source->error, sizeof source->error, "%s", message ? message : "");
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, which libpng skips) are not errors, except the one
// for image data that ends before the last row: the rows it leaves are not in the file.
void OnWarning(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    if (message && std::strstr(message, "Not enough image data")) {
        source->rowsMissing = true;
        std::snprintf(source->error, sizeof source->error, "%s", message);
    }
}

// Reads the header and sets up the expansion to B, G, R, A bytes. False on a libpng error.
bool ReadHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int depth = 0, colourType = 0;
    png_get_IHDR(png, info, width, height, &depth, &colourType, nullptr, nullptr, nullptr);
    if (!PictureSizeFits(*width, *height)) {
        static_cast<PngSource*>(png_get_error_ptr(png))->tooLarge = true;
        return false;
    }
    png_set_expand(png);  // palette to colour, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // opaque alpha where there is none
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == static_cast<size_t>(*width) * 4;
}

bool ReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

}  // namespace

bool IsPng(std::span<const uint8_t> bytes) {
    return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

bool DecodePng(std::span<const uint8_t> bytes, Picture* out, const char** reason) {
    auto fail = [reason](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    PngSource source{bytes.data(), bytes.size(), 0, false, false, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    if (!png) return fail("no memory to read the PNG file");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return fail("no memory to read the PNG file");
    }
    png_set_read_fn(png, &source, ReadFromMemory);
    // Text and other chunks the picture does not need are bounded, not collected.
    png_set_chunk_malloc_max(png, 8u << 20);

    png_uint_32 width = 0, height = 0;
    bool ok = ReadHeader(png, info, &width, &height);
    if (source.tooLarge) {
        png_destroy_read_struct(&png, &info, nullptr);
        return fail("picture too large");
    }
    if (ok) {
        out->width = width;
        out->height = height;
        out->texels.resize(static_cast<size_t>(width) * height);
        std::vector<png_bytep> rows(height);
        for (png_uint_32 y = 0; y < height; ++y) {
            rows[y] = reinterpret_cast<png_bytep>(&out->texels[static_cast<size_t>(y) * width]);
        }
        ok = ReadRows(png, rows.data()) && !source.rowsMissing;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        *out = Picture{};
        return fail(ReasonWithDetail("damaged PNG file", source.error));
    }
    return true;
}

}  // namespace image
