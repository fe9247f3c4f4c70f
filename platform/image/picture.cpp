#include "platform/image/picture.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/image/formats.h"
#include "platform/image/tga.h"

namespace image {

namespace {

// One destination texel's filter taps along one axis.
struct Taps {
    uint32_t first;  // first source index
    uint32_t count;
    uint32_t offset;  // into the weight list
};

// Tent-filter taps for scaling n source texels to m destination texels.
void BuildTaps(uint32_t n, uint32_t m, std::vector<Taps>* taps, std::vector<float>* weights) {
    taps->clear();
    weights->clear();
    double scale = static_cast<double>(m) / n;
    double radius = scale < 1.0 ? 1.0 / scale : 1.0;
    for (uint32_t i = 0; i < m; ++i) {
        double centre = (i + 0.5) / scale - 0.5;
        auto lo = static_cast<int64_t>(std::ceil(centre - radius));
        auto hi = static_cast<int64_t>(std::floor(centre + radius));
        // Taps beyond the edges fold onto the edge texel.
        int64_t first = std::max<int64_t>(lo, 0);
        int64_t last = std::min<int64_t>(hi, static_cast<int64_t>(n) - 1);
        if (last < first) first = last = std::clamp<int64_t>(std::llround(centre), 0, n - 1);
        Taps t{static_cast<uint32_t>(first), static_cast<uint32_t>(last - first + 1),
               static_cast<uint32_t>(weights->size())};
        weights->resize(weights->size() + t.count, 0.0f);
        double total = 0.0;
        for (int64_t j = lo; j <= hi; ++j) {
            double w = 1.0 - std::fabs(j - centre) / radius;
            if (w <= 0.0) continue;
            int64_t k = std::clamp<int64_t>(j, first, last);
            (*weights)[t.offset + (k - first)] += static_cast<float>(w);
            total += w;
        }
        if (total <= 0.0) {
            (*weights)[t.offset] = 1.0f;
        } else {
            for (uint32_t k = 0; k < t.count; ++k) {
                (*weights)[t.offset + k] = static_cast<float>((*weights)[t.offset + k] / total);
            }
        }
        taps->push_back(t);
    }
}

uint8_t ToByte(float v) {
    float r = std::floor(v + 0.5f);
    if (r < 0.0f) return 0;
    if (r > 255.0f) return 255;
    return static_cast<uint8_t>(r);
}

}  // namespace

const char* ReasonWithDetail(const char* what, const char* detail) {
    if (!detail || !*detail) return what;
    thread_local char text[256];
    std::snprintf(text, sizeof text, "%s: %s", what, detail);
    return text;
}

bool DecodePicture(std::span<const uint8_t> bytes, Picture* out, const char** reason) {
    out->width = out->height = 0;
    out->texels.clear();
    auto fail = [reason](const char* why) {
        if (reason) *reason = why;
        return false;
    };
    if (bytes.empty()) return fail("empty file");
    if (bytes.size() > static_cast<size_t>(INT_MAX)) return fail("file too large");
    // TGA files have no signature: a header that reads as one is a TGA. No other kind's
    // first bytes do (their second byte is never 0 or 1).
    if (IsTgaHeader(bytes)) return DecodeTga(bytes, out, reason);
    if (IsBmp(bytes)) return DecodeBmp(bytes, out, reason);
    if (IsPng(bytes)) return DecodePng(bytes, out, reason);
    if (IsJpeg(bytes)) return DecodeJpeg(bytes, out, reason);
    if (IsDds(bytes)) return DecodeDds(bytes, out, reason);
    if (IsPnm(bytes)) return DecodePnm(bytes, out, reason);
    return fail("not a picture of a kind that is read");
}

void ApplyColorKey(Picture* picture, uint32_t key) {
    for (uint32_t& t : picture->texels) {
        if (t == key) t = 0;
    }
}

void ResamplePicture(const Picture& source, uint32_t width, uint32_t height, Picture* out) {
    out->width = width;
    out->height = height;
    out->texels.assign(static_cast<size_t>(width) * height, 0);
    if (width == 0 || height == 0 || source.width == 0 || source.height == 0) return;
    if (width == source.width && height == source.height) {
        out->texels = source.texels;
        return;
    }
    std::vector<Taps> xTaps, yTaps;
    std::vector<float> xWeights, yWeights;
    BuildTaps(source.width, width, &xTaps, &xWeights);
    BuildTaps(source.height, height, &yTaps, &yWeights);

    // Horizontal pass into a float buffer of width x source height, four channels.
    std::vector<float> rows(static_cast<size_t>(width) * source.height * 4, 0.0f);
    for (uint32_t y = 0; y < source.height; ++y) {
        const uint32_t* src = &source.texels[static_cast<size_t>(y) * source.width];
        float* dst = &rows[static_cast<size_t>(y) * width * 4];
        for (uint32_t x = 0; x < width; ++x) {
            const Taps& t = xTaps[x];
            float acc[4] = {0, 0, 0, 0};
            for (uint32_t k = 0; k < t.count; ++k) {
                uint32_t c = src[t.first + k];
                float w = xWeights[t.offset + k];
                acc[0] += w * static_cast<float>(c >> 24);
                acc[1] += w * static_cast<float>((c >> 16) & 0xFF);
                acc[2] += w * static_cast<float>((c >> 8) & 0xFF);
                acc[3] += w * static_cast<float>(c & 0xFF);
            }
            std::memcpy(dst + x * 4, acc, sizeof acc);
        }
    }
    // Vertical pass into the texels.
    for (uint32_t y = 0; y < height; ++y) {
        const Taps& t = yTaps[y];
        for (uint32_t x = 0; x < width; ++x) {
            float acc[4] = {0, 0, 0, 0};
            for (uint32_t k = 0; k < t.count; ++k) {
                const float* s = &rows[(static_cast<size_t>(t.first + k) * width + x) * 4];
                float w = yWeights[t.offset + k];
                for (int c = 0; c < 4; ++c) acc[c] += w * s[c];
            }
            out->texels[static_cast<size_t>(y) * width + x] =
                static_cast<uint32_t>(ToByte(acc[0])) << 24 |
                static_cast<uint32_t>(ToByte(acc[1])) << 16 |
                static_cast<uint32_t>(ToByte(acc[2])) << 8 | ToByte(acc[3]);
        }
    }
}

void HalvePicture(const Picture& source, Picture* out) {
    uint32_t w = std::max(1u, source.width / 2);
    uint32_t h = std::max(1u, source.height / 2);
    out->width = w;
    out->height = h;
    out->texels.assign(static_cast<size_t>(w) * h, 0);
    if (source.width == 0 || source.height == 0) return;
    for (uint32_t y = 0; y < h; ++y) {
        uint32_t y0 = std::min(y * 2, source.height - 1);
        uint32_t y1 = std::min(y * 2 + 1, source.height - 1);
        for (uint32_t x = 0; x < w; ++x) {
            uint32_t x0 = std::min(x * 2, source.width - 1);
            uint32_t x1 = std::min(x * 2 + 1, source.width - 1);
            const uint32_t c[4] = {source.texels[static_cast<size_t>(y0) * source.width + x0],
                                   source.texels[static_cast<size_t>(y0) * source.width + x1],
                                   source.texels[static_cast<size_t>(y1) * source.width + x0],
                                   source.texels[static_cast<size_t>(y1) * source.width + x1]};
            uint32_t result = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                uint32_t sum = 0;
                for (uint32_t v : c) sum += (v >> shift) & 0xFF;
                result |= ((sum + 2) / 4) << shift;
            }
            out->texels[static_cast<size_t>(y) * w + x] = result;
        }
    }
}

bool PrepareTexturePicture(std::span<const uint8_t> bytes, uint32_t width, uint32_t height,
                           uint32_t levels, uint32_t colorKey, TexturePicture* out,
                           const char** reason) {
    out->levels.clear();
    Picture picture;
    if (!DecodePicture(bytes, &picture, reason)) return false;
    if (colorKey != 0) ApplyColorKey(&picture, colorKey);
    if (width == 0) width = picture.width;
    if (height == 0) height = picture.height;
    if (width > kMaxPictureSide || height > kMaxPictureSide) {
        if (reason) *reason = "picture too large";
        return false;
    }
    Picture sized;
    if (width != picture.width || height != picture.height) {
        ResamplePicture(picture, width, height, &sized);
    } else {
        sized = std::move(picture);
    }
    // The chain the device makes for this size: halving down to 1 x 1, or fewer levels
    // when fewer are asked for.
    out->levels.push_back(std::move(sized));
    while (levels != 1 && (out->levels.back().width > 1 || out->levels.back().height > 1)) {
        Picture next;
        HalvePicture(out->levels.back(), &next);
        out->levels.push_back(std::move(next));
        if (levels != 0 && out->levels.size() == levels) break;
    }
    return true;
}

gfx::Result CreateTextureFromPicture(gfx::Device* device, TexturePicture picture,
                                     gfx::Texture** out) {
    *out = nullptr;
    if (!device || picture.levels.empty()) return gfx::Result::InvalidCall;
    uint32_t width = picture.levels.front().width, height = picture.levels.front().height;
    std::vector<std::vector<uint32_t>> levels;
    levels.reserve(picture.levels.size());
    for (Picture& level : picture.levels) levels.push_back(std::move(level.texels));
    return device->AdoptTexture(width, height, &levels, gfx::Format::A8R8G8B8, out);
}

gfx::Result CreateTextureFromMemory(gfx::Device* device, std::span<const uint8_t> bytes,
                                    uint32_t width, uint32_t height, uint32_t levels,
                                    uint32_t colorKey, gfx::Texture** out, const char** reason) {
    *out = nullptr;
    if (!device) return gfx::Result::InvalidCall;
    TexturePicture picture;
    if (width > kMaxPictureSide || height > kMaxPictureSide) return gfx::Result::InvalidCall;
    if (!PrepareTexturePicture(bytes, width, height, levels, colorKey, &picture, reason)) {
        return gfx::Result::Fail;
    }
    return CreateTextureFromPicture(device, std::move(picture), out);
}

}  // namespace image
