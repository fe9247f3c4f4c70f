#include "tests/support/pictures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace vqtest {

namespace {

void Put16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>* out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void Put32Be(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(v >> shift));
}

void BmpHeaders(std::vector<uint8_t>* out, uint32_t width, uint32_t height, uint32_t bits,
                uint32_t compression, uint32_t paletteEntries, uint32_t imageSize) {
    uint32_t offset = 14 + 40 + paletteEntries * 4;
    out->push_back('B');
    out->push_back('M');
    Put32(out, offset + imageSize);
    Put32(out, 0);
    Put32(out, offset);
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, compression);
    Put32(out, imageSize);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, paletteEntries);
    Put32(out, 0);
}

uint32_t Crc32(const uint8_t* data, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PngChunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& data) {
    Put32Be(out, static_cast<uint32_t>(data.size()));
    size_t start = out->size();
    out->insert(out->end(), type, type + 4);
    out->insert(out->end(), data.begin(), data.end());
    Put32Be(out, Crc32(out->data() + start, out->size() - start));
}

}  // namespace

TestPicture SolidPicture(uint32_t width, uint32_t height, uint32_t argb) {
    TestPicture p;
    p.width = width;
    p.height = height;
    p.texels.assign(static_cast<size_t>(width) * height, argb);
    return p;
}

std::vector<uint8_t> EncodeBmp24(const TestPicture& picture) {
    uint32_t stride = (picture.width * 3 + 3) & ~3u;
    std::vector<uint8_t> out;
    BmpHeaders(&out, picture.width, picture.height, 24, 0, 0, stride * picture.height);
    for (uint32_t row = picture.height; row-- > 0;) {
        size_t start = out.size();
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint32_t c = picture.texels[static_cast<size_t>(row) * picture.width + x];
            out.push_back(static_cast<uint8_t>(c));
            out.push_back(static_cast<uint8_t>(c >> 8));
            out.push_back(static_cast<uint8_t>(c >> 16));
        }
        while (out.size() - start < stride) out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> EncodeTga32(const TestPicture& picture) {
    std::vector<uint8_t> out(18, 0);
    out[2] = 2;  // uncompressed true colour
    out[12] = static_cast<uint8_t>(picture.width);
    out[13] = static_cast<uint8_t>(picture.width >> 8);
    out[14] = static_cast<uint8_t>(picture.height);
    out[15] = static_cast<uint8_t>(picture.height >> 8);
    out[16] = 32;
    out[17] = 0x28;  // 8 alpha bits, origin at the top left
    for (uint32_t c : picture.texels) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
        out.push_back(static_cast<uint8_t>(c >> 16));
        out.push_back(static_cast<uint8_t>(c >> 24));
    }
    return out;
}

std::vector<uint8_t> EncodePng(const TestPicture& picture) {
    std::vector<uint8_t> raw;
    for (uint32_t y = 0; y < picture.height; ++y) {
        raw.push_back(0);  // no filter
        for (uint32_t x = 0; x < picture.width; ++x) {
            uint32_t c = picture.texels[static_cast<size_t>(y) * picture.width + x];
            raw.push_back(static_cast<uint8_t>(c >> 16));
            raw.push_back(static_cast<uint8_t>(c >> 8));
            raw.push_back(static_cast<uint8_t>(c));
            raw.push_back(static_cast<uint8_t>(c >> 24));
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(raw.size() - pos, 65535);
        bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        Put16(&z, static_cast<uint32_t>(n));
        Put16(&z, static_cast<uint32_t>(~n & 0xFFFF));
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
                 raw.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    Put32Be(&z, b << 16 | a);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32Be(&header, picture.width);
    Put32Be(&header, picture.height);
    header.insert(header.end(), {8, 6, 0, 0, 0});
    PngChunk(&out, "IHDR", header);
    PngChunk(&out, "IDAT", z);
    PngChunk(&out, "IEND", {});
    return out;
}

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    // An empty file is written by opening it alone (no data pointer to hand over).
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace vqtest
