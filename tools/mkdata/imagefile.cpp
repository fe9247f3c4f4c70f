#include "tools/mkdata/imagefile.h"

#include <algorithm>
#include <cmath>

namespace mk {

namespace {

uint8_t ToByte(float v) {
    return static_cast<uint8_t>(std::clamp(std::lround(v * 255.0f), 0L, 255L));
}

void Put16(Bytes& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

Bytes EncodeBmp(const Image& img, BmpMode mode) {
    const int w = img.W(), h = img.H();
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t dataSize = static_cast<uint32_t>(stride) * h;
    Bytes b;
    b.reserve(54 + dataSize);
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + dataSize);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(w));
    Put32(b, static_cast<uint32_t>(h));
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);  // BI_RGB
    Put32(b, dataSize);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, 0);
    Put32(b, 0);
    for (int y = h - 1; y >= 0; --y) {
        size_t start = b.size();
        for (int x = 0; x < w; ++x) {
            uint8_t r, g, bl;
            if (mode == BmpMode::Keyed) {
                Color s = img.Straight(x, y);
                if (s.a < 0.5f) {
                    r = 0;
                    g = 255;
                    bl = 0;
                } else {
                    r = ToByte(s.r);
                    g = ToByte(s.g);
                    bl = ToByte(s.b);
                    if (r == 0 && g == 255 && bl == 0) g = 254;  // never the key by accident
                }
            } else {
                const Color& p = img.Px(x, y);  // premultiplied = over black
                r = ToByte(p.r);
                g = ToByte(p.g);
                bl = ToByte(p.b);
            }
            b.push_back(bl);
            b.push_back(g);
            b.push_back(r);
        }
        while (b.size() - start < static_cast<size_t>(stride)) b.push_back(0);
    }
    return b;
}

Bytes EncodeTga(const Image& img, bool premultiplied) {
    const int w = img.W(), h = img.H();
    Bytes b;
    b.reserve(18 + static_cast<size_t>(w) * h * 4);
    b.push_back(0);  // no id
    b.push_back(0);  // no colour map
    b.push_back(2);  // uncompressed true colour
    for (int i = 0; i < 5; ++i) b.push_back(0);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, static_cast<uint32_t>(w));
    Put16(b, static_cast<uint32_t>(h));
    b.push_back(32);
    b.push_back(8);  // 8 alpha bits, bottom-up rows
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            Color c = premultiplied ? img.Px(x, y) : img.Straight(x, y);
            float a = img.Px(x, y).a;
            b.push_back(ToByte(c.b));
            b.push_back(ToByte(c.g));
            b.push_back(ToByte(c.r));
            b.push_back(ToByte(a));
        }
    return b;
}

}  // namespace mk
