// Binary PNM pictures: "P6" (colour) and "P5" (grey), one byte a sample for a maximum value
// below 256, two (most significant first) above; samples are scaled to 0..255.
#include "platform/image/formats.h"

namespace image {

namespace {

bool IsBlank(uint8_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads one header number after blanks and comments; false when there is none or it is
// larger than 'most'.
bool ReadNumber(std::span<const uint8_t> b, size_t* at, uint32_t most, uint32_t* out) {
    for (;;) {
        while (*at < b.size() && IsBlank(b[*at])) ++*at;
        if (*at == b.size() || b[*at] != '#') break;
        while (*at < b.size() && b[*at] != '\n' && b[*at] != '\r') ++*at;
    }
    if (*at == b.size() || b[*at] < '0' || b[*at] > '9') return false;
    uint64_t v = 0;
    while (*at < b.size() && b[*at] >= '0' && b[*at] <= '9') {
        v = v * 10 + (b[*at] - '0');
        if (v > most) return false;
        ++*at;
    }
    *out = static_cast<uint32_t>(v);
    return true;
}

}  // namespace

bool IsPnm(std::span<const uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 'P' && (bytes[1] == '5' || bytes[1] == '6') &&
           IsBlank(bytes[2]);
}

bool DecodePnm(std::span<const uint8_t> bytes, Picture* out, const char** reason) {
    auto fail = [reason](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    const bool colour = bytes[1] == '6';
    size_t at = 2;
    uint32_t width = 0, height = 0, most = 0;
    constexpr uint32_t kLargestNumber = 1u << 20;
    if (!ReadNumber(bytes, &at, kLargestNumber, &width) ||
        !ReadNumber(bytes, &at, kLargestNumber, &height) || !ReadNumber(bytes, &at, 65535, &most) ||
        most == 0 || at == bytes.size() || !IsBlank(bytes[at])) {
        return fail("damaged PNM header");
    }
    ++at;  // the one blank before the samples
    if (!PictureSizeFits(width, height)) return fail("picture too large");
    const size_t sampleBytes = most > 255 ? 2 : 1;
    const size_t texelBytes = sampleBytes * (colour ? 3 : 1);
    const size_t count = static_cast<size_t>(width) * height;
    if ((bytes.size() - at) / texelBytes < count) return fail("the PNM file is cut short");
    const uint8_t* p = bytes.data() + at;
    auto sample = [&]() {
        uint32_t v = sampleBytes == 2 ? static_cast<uint32_t>(p[0]) << 8 | p[1] : p[0];
        p += sampleBytes;
        if (v > most) v = most;
        return (v * 255 + most / 2) / most;
    };
    out->width = width;
    out->height = height;
    out->texels.resize(count);
    for (uint32_t& texel : out->texels) {
        const uint32_t r = sample();
        const uint32_t g = colour ? sample() : r;
        const uint32_t b = colour ? sample() : r;
        texel = 0xFF000000u | r << 16 | g << 8 | b;
    }
    return true;
}

}  // namespace image
