// PNG pictures, read by libpng. Every colour type is expanded to 8-bit B, G, R, A bytes,
// which on this little-endian machine are the ARGB texels themselves. Gamma chunks are not
// applied: the stored values are the colours, as for every other kind of picture.
//
// The file is given to libpng's progressive reader piece by piece, and reading stops as
// soon as the last row of the last pass is in: whatever follows it (more compressed data,
// however much it would inflate to, a damaged chunk, or the end of a file cut short) is
// never looked at. The sequential reader would inflate all picture data after the last row
// before it returned.
//
// libpng reports errors by longjmp: the functions that call into it hold nothing that
// needs destroying, and the texel memory is taken in its callbacks.
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <vector>

#include "platform/image/formats.h"

namespace image {

namespace {

// The first piece of the file given to the reader; each further piece is as long as all
// before it, so that a chunk the reader has to hold whole costs no more than twice its
// length in copying, and at most as much again as was needed is read past the last row.
constexpr size_t kFirstPiece = 16 * 1024;

struct PngDecode {
    Picture* out;
    std::vector<png_bytep> rows;
    int lastPass;  // the pass whose last row ends the picture: 6 interlaced, 0 plain
    bool tooLarge;
    bool rowsDone;  // the last row of the last pass is in
    char error[160];
};

void OnError(png_structp png, png_const_charp message) {
    auto* decode = static_cast<PngDecode*>(png_get_error_ptr(png));
    std::snprintf(decode->error, sizeof decode->error, "%s", message ? message : "");
    png_longjmp(png, 1);
}

// Warnings (a damaged ancillary chunk, which libpng skips, or data after the last row) are
// not errors: a picture whose rows do not all come is refused by the caller.
void OnWarning(png_structp, png_const_charp) {}

// The header is in: checks the size, sets up the expansion to B, G, R, A bytes and takes
// the texel memory.
void OnHeader(png_structp png, png_infop info) {
    auto* decode = static_cast<PngDecode*>(png_get_progressive_ptr(png));
    png_uint_32 width = 0, height = 0;
    int depth = 0, colourType = 0;
    png_get_IHDR(png, info, &width, &height, &depth, &colourType, nullptr, nullptr, nullptr);
    if (!PictureSizeFits(width, height)) {
        decode->tooLarge = true;
        png_error(png, "picture too large");
    }
    png_set_expand(png);  // palette to colour, grey below 8 bits to 8, transparency to alpha
    png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        png_set_gray_to_rgb(png);
    }
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);  // opaque alpha where there is none
    png_set_bgr(png);
    // With the passes combined here, each pass calls OnRow for every row of the picture.
    decode->lastPass = png_set_interlace_handling(png) - 1;
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != static_cast<size_t>(width) * 4) {
        png_error(png, "a row of another size than four bytes a texel");
    }
    Picture* out = decode->out;
    out->width = width;
    out->height = height;
    out->texels.assign(static_cast<size_t>(width) * height, 0);
    decode->rows.resize(height);
    for (png_uint_32 y = 0; y < height; ++y) {
        decode->rows[y] = reinterpret_cast<png_bytep>(&out->texels[static_cast<size_t>(y) * width]);
    }
}

// A row of a pass; null when the pass has no texels in that row.
void OnRow(png_structp png, png_bytep row, png_uint_32 number, int pass) {
    auto* decode = static_cast<PngDecode*>(png_get_progressive_ptr(png));
    if (number >= decode->rows.size()) return;
    if (row) png_progressive_combine_row(png, decode->rows[number], row);
    if (number + 1 == decode->rows.size() && pass == decode->lastPass) decode->rowsDone = true;
}

// Gives the reader the next piece of the file. False on a libpng error.
bool ReadPiece(png_structp png, png_infop info, const uint8_t* data, size_t size) {
    if (setjmp(png_jmpbuf(png))) return false;
    // libpng only reads the bytes it is given.
    png_process_data(png, info, const_cast<png_bytep>(data), size);
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
    PngDecode decode{out, {}, 0, false, false, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &decode, OnError, OnWarning);
    if (!png) return fail("no memory to read the PNG file");
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return fail("no memory to read the PNG file");
    }
    png_set_progressive_read_fn(png, &decode, OnHeader, OnRow, nullptr);
    // Text and other chunks the picture does not need are bounded, not collected.
    png_set_chunk_malloc_max(png, 8u << 20);

    size_t at = 0, piece = kFirstPiece;
    bool failed = false;
    while (at < bytes.size() && !decode.rowsDone && !failed) {
        const size_t size = std::min(piece, bytes.size() - at);
        failed = !ReadPiece(png, info, bytes.data() + at, size);
        at += size;
        piece = at;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    // An error in what follows the last row (in the same piece) does not matter.
    if (decode.rowsDone) return true;
    *out = Picture{};
    if (decode.tooLarge) return fail("picture too large");
    if (!failed) {
        std::snprintf(decode.error, sizeof decode.error,
                      "the picture data ends before its last row");
    }
    return fail(ReasonWithDetail("damaged PNG file", decode.error));
}

}  // namespace image
