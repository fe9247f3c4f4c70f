#include "tests/support/sample_pictures.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "tests/support/pictures.h"

namespace vqtest {

namespace {

struct Rgb {
    int r, g, b;
};

// A whole number in [0, n).
int Pick(std::mt19937& rng, int n) {
    return static_cast<int>(rng() % static_cast<uint32_t>(std::max(1, n)));
}

}  // namespace

std::vector<uint8_t> MakeSamplePicture(int width, int height, uint32_t seed) {
    std::mt19937 rng(seed);
    // Ordered dithering of the gradients, as 16-bit-era pictures carry it.
    static const int kDither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    std::vector<Rgb> pixels(static_cast<size_t>(width) * height);

    // Sky: a vertical gradient between two colours of the seed.
    const Rgb top{Pick(rng, 96), Pick(rng, 128), 128 + Pick(rng, 128)};
    const Rgb bottom{160 + Pick(rng, 96), 120 + Pick(rng, 100), Pick(rng, 160)};
    for (int y = 0; y < height; ++y) {
        const float t = static_cast<float>(y) / static_cast<float>(height);
        for (int x = 0; x < width; ++x) {
            Rgb& p = pixels[static_cast<size_t>(y) * width + x];
            const int d = kDither[y & 3][x & 3] / 4 - 2;
            p.r = static_cast<int>(top.r + (bottom.r - top.r) * t) + d;
            p.g = static_cast<int>(top.g + (bottom.g - top.g) * t) + d;
            p.b = static_cast<int>(top.b + (bottom.b - top.b) * t) + d;
        }
    }
    // A sprite sheet area: transparent green cells with a shaded ball in each.
    const int cell = std::max(8, width / 8);
    const int sheetRows = std::max(1, height / cell / 3);
    for (int cy = 0; cy < sheetRows; ++cy) {
        for (int cx = 0; cx < width / cell; ++cx) {
            const int radius = cell / 3 + Pick(rng, cell / 8);
            const Rgb tint{Pick(rng, 256), Pick(rng, 256), Pick(rng, 256)};
            for (int y = 0; y < cell; ++y) {
                for (int x = 0; x < cell; ++x) {
                    Rgb& p = pixels[static_cast<size_t>(cy * cell + y) * width + cx * cell + x];
                    const float dx = static_cast<float>(x - cell / 2);
                    const float dy = static_cast<float>(y - cell / 2);
                    const float d = std::sqrt(dx * dx + dy * dy) / static_cast<float>(radius);
                    if (d > 1.0f) {
                        p = Rgb{0, 255, 0};
                    } else {
                        const float light = 1.0f - 0.7f * d;
                        p = Rgb{static_cast<int>(tint.r * light), static_cast<int>(tint.g * light),
                                static_cast<int>(tint.b * light)};
                    }
                }
            }
        }
    }
    // Hard-edged details: rectangles of flat colour with a one-pixel outline.
    for (int i = 0; i < 24; ++i) {
        const int w = 4 + Pick(rng, width / 6);
        const int h = 4 + Pick(rng, height / 6);
        const int x0 = Pick(rng, width - w);
        const int y0 = height / 2 + Pick(rng, height / 2 - h);
        const Rgb fill{Pick(rng, 256), Pick(rng, 256), Pick(rng, 256)};
        for (int y = y0; y < std::min(height, y0 + h); ++y) {
            for (int x = x0; x < std::min(width, x0 + w); ++x) {
                const bool edge = y == y0 || x == x0 || y == y0 + h - 1 || x == x0 + w - 1;
                pixels[static_cast<size_t>(y) * width + x] = edge ? Rgb{16, 16, 16} : fill;
            }
        }
    }

    TestPicture picture;
    picture.width = static_cast<uint32_t>(width);
    picture.height = static_cast<uint32_t>(height);
    picture.texels.reserve(pixels.size());
    for (const Rgb& p : pixels) {
        picture.texels.push_back(0xFF000000u |
                                 static_cast<uint32_t>(std::clamp(p.r, 0, 255)) << 16 |
                                 static_cast<uint32_t>(std::clamp(p.g, 0, 255)) << 8 |
                                 static_cast<uint32_t>(std::clamp(p.b, 0, 255)));
    }
    return EncodeBmp24(picture);
}

}  // namespace vqtest
