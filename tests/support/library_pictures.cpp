#include "tests/support/library_pictures.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <map>

// libjpeg's header needs size_t and FILE declared before it.
#include <jpeglib.h>

namespace vqtest {

namespace {

uint8_t Channel(uint32_t argb, int shift) {
    return static_cast<uint8_t>(argb >> shift);
}

void Append(png_structp png, png_bytep data, size_t size) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

void Flush(png_structp) {}

// Writes the prepared rows; false on a libpng error. Holds nothing that needs destroying.
bool WriteAll(png_structp png, png_infop info, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

// Packs samples of `depth` bits (1 to 8) most significant first, or 16 bits big-endian.
void PutSample(std::vector<uint8_t>* row, size_t index, uint32_t value, int depth) {
    if (depth == 16) {
        row->push_back(static_cast<uint8_t>(value >> 8));
        row->push_back(static_cast<uint8_t>(value));
        return;
    }
    if (depth == 8) {
        row->push_back(static_cast<uint8_t>(value));
        return;
    }
    const size_t bit = index * static_cast<size_t>(depth);
    if (bit % 8 == 0) row->push_back(0);
    row->back() |= static_cast<uint8_t>(value << (8 - depth - bit % 8));
}

}  // namespace

std::vector<uint8_t> WritePng(const TestPicture& picture, const PngForm& form) {
    const bool palette = form.colour == PngColour::Palette;
    const bool grey = form.colour == PngColour::Grey || form.colour == PngColour::GreyAlpha;
    const bool alpha = form.colour == PngColour::GreyAlpha || form.colour == PngColour::Rgba;
    const int channels = palette ? 1 : (grey ? 1 : 3) + (alpha ? 1 : 0);
    // A palette of the colours in order of first use.
    std::vector<uint32_t> colours;
    std::map<uint32_t, uint32_t> indexOf;
    for (uint32_t c : picture.texels) {
        if (indexOf.emplace(c, static_cast<uint32_t>(colours.size())).second) colours.push_back(c);
    }
    // The sample values of one texel, in file order.
    auto samples = [&](uint32_t c, uint32_t out[4]) {
        if (palette) {
            out[0] = indexOf[c];
            return;
        }
        const uint32_t scale = form.depth == 16 ? 257 : 1;
        const uint32_t cut = form.depth < 8 ? 8 - form.depth : 0;
        int n = 0;
        out[n++] = (Channel(c, 16) >> cut) * scale;
        if (!grey) {
            out[n++] = Channel(c, 8) * scale;
            out[n++] = Channel(c, 0) * scale;
        }
        if (alpha) out[n++] = Channel(c, 24) * scale;
    };
    std::vector<std::vector<uint8_t>> rows(picture.height);
    for (uint32_t y = 0; y < picture.height; ++y) {
        size_t index = 0;
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint32_t s[4];
            samples(picture.texels[y * picture.width + x], s);
            for (int k = 0; k < channels; ++k) PutSample(&rows[y], index++, s[k], form.depth);
        }
    }
    std::vector<png_bytep> rowPointers;
    for (auto& row : rows) rowPointers.push_back(row.data());

    std::vector<uint8_t> file;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &file, Append, Flush);
    png_set_IHDR(png, info, picture.width, picture.height, form.depth,
                 static_cast<int>(form.colour),
                 form.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> entries;
    std::vector<png_byte> alphas;
    for (uint32_t c : colours) {
        entries.push_back(png_color{Channel(c, 16), Channel(c, 8), Channel(c, 0)});
        alphas.push_back(Channel(c, 24));
    }
    if (palette) png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
    if (form.transparency && palette) {
        png_set_tRNS(png, info, alphas.data(), static_cast<int>(alphas.size()), nullptr);
    } else if (form.transparency) {
        // The colour of the first clear texel is the transparent one.
        png_color_16 clear{};
        for (uint32_t c : picture.texels) {
            if (Channel(c, 24) != 0) continue;
            const uint16_t scale = form.depth == 16 ? 257 : 1;
            clear.red = static_cast<uint16_t>(Channel(c, 16) * scale);
            clear.green = static_cast<uint16_t>(Channel(c, 8) * scale);
            clear.blue = static_cast<uint16_t>(Channel(c, 0) * scale);
            clear.gray = clear.red;
            break;
        }
        png_set_tRNS(png, info, nullptr, 0, &clear);
    }
    if (!WriteAll(png, info, rowPointers.data())) file.clear();
    png_destroy_write_struct(&png, &info);
    return file;
}

std::vector<uint8_t> WriteJpeg(const TestPicture& picture, const JpegForm& form) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* memory = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &memory, &size);
    info.image_width = picture.width;
    info.image_height = picture.height;
    info.input_components = form.grey ? 1 : 3;
    info.in_color_space = form.grey ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, form.quality, TRUE);
    if (form.fullChroma) {
        info.comp_info[0].h_samp_factor = 1;
        info.comp_info[0].v_samp_factor = 1;
    }
    if (form.progressive) jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> row(static_cast<size_t>(picture.width) * 3);
    while (info.next_scanline < info.image_height) {
        for (uint32_t x = 0; x < picture.width; ++x) {
            const uint32_t c = picture.texels[info.next_scanline * picture.width + x];
            if (form.grey) {
                row[x] = Channel(c, 16);
            } else {
                row[x * 3] = Channel(c, 16);
                row[x * 3 + 1] = Channel(c, 8);
                row[x * 3 + 2] = Channel(c, 0);
            }
        }
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&info, &pointer, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> file(memory, memory + size);
    jpeg_destroy_compress(&info);
    std::free(memory);
    return file;
}

}  // namespace vqtest
