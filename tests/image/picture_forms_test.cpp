// Every form of every kind of picture file the decoder reads, each written here from one
// picture and decoded back: the texels must come out where and as they went in (within a
// tolerance for the lossy forms).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/image/picture.h"
#include "tests/support/library_pictures.h"
#include "tests/support/pictures.h"
#include "tests/twod/twod_fixture.h"

namespace {

using vqtest::TestPicture;
using Bytes = std::vector<uint8_t>;

void Put16(Bytes* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes* b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

uint32_t Red(uint32_t c) {
    return (c >> 16) & 0xFF;
}
uint32_t Green(uint32_t c) {
    return (c >> 8) & 0xFF;
}
uint32_t Blue(uint32_t c) {
    return c & 0xFF;
}

// The picture's colours in order of first use, and each texel's index among them.
struct Palette {
    std::vector<uint32_t> colours;
    std::vector<uint32_t> indices;
};

Palette MakePalette(const TestPicture& p) {
    Palette pal;
    std::map<uint32_t, uint32_t> seen;
    for (uint32_t c : p.texels) {
        auto [it, added] = seen.emplace(c, static_cast<uint32_t>(pal.colours.size()));
        if (added) pal.colours.push_back(c);
        pal.indices.push_back(it->second);
    }
    return pal;
}

// BMP: a Windows header of 40 or 124 bytes or an OS/2 one of 12; texels plain, run-length
// packed (8 or 4 bits) or given by bit masks.
enum class BmpPack { kNone, kRle, kMasks };

struct BmpForm {
    int bpp;
    bool topDown = false;
    BmpPack pack = BmpPack::kNone;
    std::array<uint32_t, 4> masks = {};  // red, green, blue, alpha for kMasks
    uint32_t header = 40;
    bool clearAlpha = false;  // 32 bits: every alpha byte written as 0
};

// One texel's value under the masks: each channel cut to the mask's width.
uint32_t MaskedValue(uint32_t c, const std::array<uint32_t, 4>& masks) {
    const int shifts[4] = {16, 8, 0, 24};
    uint32_t v = 0;
    for (int k = 0; k < 4; ++k) {
        if (masks[k] == 0) continue;
        const int low = std::countr_zero(masks[k]);
        const int bits = std::popcount(masks[k]);
        v |= (((c >> shifts[k]) & 0xFF) >> (8 - bits)) << low;
    }
    return v;
}

// The run-length packing of one row of indices: runs of two or more as counted runs, three
// or more single indices as an absolute stretch (padded to two bytes), then end of line.
void PackRleRow(const std::vector<uint32_t>& indices, int bpp, Bytes* out) {
    auto pair = [bpp](uint32_t a, uint32_t b) {
        return static_cast<uint8_t>(bpp == 8 ? a : (a << 4 | b));
    };
    for (size_t i = 0; i < indices.size();) {
        size_t run = 1;
        while (i + run < indices.size() && indices[i + run] == indices[i]) ++run;
        if (run >= 2) {
            out->insert(out->end(), {static_cast<uint8_t>(run), pair(indices[i], indices[i])});
            i += run;
            continue;
        }
        size_t single = 1;
        while (
            i + single < indices.size() && single < 255 &&
            (i + single + 1 == indices.size() || indices[i + single] != indices[i + single + 1])) {
            ++single;
        }
        if (single < 3) {
            out->insert(out->end(), {1, pair(indices[i], indices[i])});
            ++i;
            continue;
        }
        out->insert(out->end(), {0, static_cast<uint8_t>(single)});
        Bytes stretch;
        for (size_t k = 0; k < single; k += bpp == 8 ? 1 : 2) {
            const uint32_t second = k + 1 < single ? indices[i + k + 1] : 0;
            stretch.push_back(pair(indices[i + k], second));
        }
        if (stretch.size() % 2) stretch.push_back(0);
        out->insert(out->end(), stretch.begin(), stretch.end());
        i += single;
    }
    out->insert(out->end(), {0, 0});
}

Bytes Bmp(const TestPicture& p, const BmpForm& f) {
    Palette pal = MakePalette(p);
    const bool paletted = f.bpp <= 8;
    const bool os2 = f.header == 12;
    const bool separateMasks = f.pack == BmpPack::kMasks && f.header == 40;
    const uint32_t entryBytes = os2 ? 3 : 4;
    const uint32_t paletteBytes = paletted ? entryBytes << f.bpp : 0;
    const uint32_t offset = 14 + f.header + paletteBytes + (separateMasks ? 12 : 0);
    const uint32_t stride = (p.width * f.bpp + 31) / 32 * 4;

    Bytes data;
    for (uint32_t r = 0; r < p.height; ++r) {
        const uint32_t y = f.topDown ? r : p.height - 1 - r;
        if (f.pack == BmpPack::kRle) {
            std::vector<uint32_t> row(pal.indices.begin() + y * p.width,
                                      pal.indices.begin() + (y + 1) * p.width);
            PackRleRow(row, f.bpp, &data);
            continue;
        }
        Bytes row(stride, 0);
        for (uint32_t x = 0; x < p.width; ++x) {
            const uint32_t i = y * p.width + x;
            const uint32_t c = p.texels[i];
            if (paletted) {
                const uint32_t bit = x * f.bpp;
                row[bit / 8] |= static_cast<uint8_t>(pal.indices[i] << (8 - f.bpp - bit % 8));
                continue;
            }
            uint32_t v = 0;
            if (f.pack == BmpPack::kMasks) {
                v = MaskedValue(c, f.masks);
            } else if (f.bpp == 16) {
                v = (Red(c) >> 3) << 10 | (Green(c) >> 3) << 5 | Blue(c) >> 3;
            } else {
                v = f.clearAlpha ? c & 0xFFFFFF : c;
            }
            for (int k = 0; k < f.bpp / 8; ++k) row[x * (f.bpp / 8) + k] = (v >> (8 * k)) & 0xFF;
        }
        data.insert(data.end(), row.begin(), row.end());
    }
    if (f.pack == BmpPack::kRle) data.insert(data.end(), {0, 1});

    Bytes b = {'B', 'M'};
    Put32(&b, offset + static_cast<uint32_t>(data.size()));
    Put32(&b, 0);
    Put32(&b, offset);
    Put32(&b, f.header);
    if (os2) {
        Put16(&b, p.width);
        Put16(&b, p.height);
        Put16(&b, 1);
        Put16(&b, static_cast<uint32_t>(f.bpp));
    } else {
        Put32(&b, p.width);
        Put32(&b, f.topDown ? static_cast<uint32_t>(-static_cast<int32_t>(p.height)) : p.height);
        Put16(&b, 1);
        Put16(&b, static_cast<uint32_t>(f.bpp));
        const uint32_t compression = f.pack == BmpPack::kMasks ? 3
                                     : f.pack == BmpPack::kRle ? (f.bpp == 8 ? 1 : 2)
                                                               : 0;
        Put32(&b, compression);
        Put32(&b, static_cast<uint32_t>(data.size()));
        for (int i = 0; i < 4; ++i) Put32(&b, 0);
        if (f.header > 40) {
            for (uint32_t m : f.masks) Put32(&b, m);
            b.resize(14 + f.header, 0);
        }
        if (separateMasks) {
            for (int k = 0; k < 3; ++k) Put32(&b, f.masks[k]);
        }
    }
    if (paletted) {
        EXPECT_LE(pal.colours.size(), 1u << f.bpp);
        for (uint32_t i = 0; i < (1u << f.bpp); ++i) {
            uint32_t c = i < pal.colours.size() ? pal.colours[i] : 0;
            b.insert(b.end(), {static_cast<uint8_t>(Blue(c)), static_cast<uint8_t>(Green(c)),
                               static_cast<uint8_t>(Red(c))});
            if (!os2) b.push_back(0);
        }
    }
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

// TGA: image type 1 (colour-mapped), 2 (true colour) or 3 (grey), packed or not, with the
// descriptor's origin and alpha bits.
struct TgaForm {
    uint8_t type;
    uint8_t depth;  // of the texels (an index for colour-mapped pictures)
    bool packed;
    uint8_t descriptor;
    uint8_t mapDepth = 0;
    uint16_t mapFirst = 0;
    std::string id = {};
};

// A colour as `depth` bits (15, 16, 24 or 32), B, G, R(, A) little-endian.
void PutTgaColour(Bytes* b, uint32_t c, uint8_t depth) {
    if (depth == 15 || depth == 16) {
        uint32_t v = (c >> 24 >= 0x80 ? 0x8000u : 0u) | (Red(c) >> 3) << 10 | (Green(c) >> 3) << 5 |
                     Blue(c) >> 3;
        Put16(b, v);
        return;
    }
    b->insert(b->end(), {static_cast<uint8_t>(Blue(c)), static_cast<uint8_t>(Green(c)),
                         static_cast<uint8_t>(Red(c))});
    if (depth == 32) b->push_back(static_cast<uint8_t>(c >> 24));
}

Bytes Tga(const TestPicture& p, const TgaForm& f) {
    Palette pal = MakePalette(p);
    bool mapped = f.type == 1;
    Bytes b = {static_cast<uint8_t>(f.id.size()), mapped ? uint8_t{1} : uint8_t{0},
               static_cast<uint8_t>(f.type | (f.packed ? 8 : 0))};
    Put16(&b, mapped ? f.mapFirst : 0);
    Put16(&b, mapped ? static_cast<uint32_t>(pal.colours.size()) : 0);
    b.push_back(mapped ? f.mapDepth : 0);
    Put16(&b, 0);
    Put16(&b, 0);
    Put16(&b, p.width);
    Put16(&b, p.height);
    b.push_back(f.depth);
    b.push_back(f.descriptor);
    b.insert(b.end(), f.id.begin(), f.id.end());
    if (mapped) {
        for (uint32_t c : pal.colours) PutTgaColour(&b, c, f.mapDepth);
    }
    // The texels in file order, each as its stored bytes.
    std::vector<Bytes> texels;
    for (uint32_t r = 0; r < p.height; ++r) {
        uint32_t y = (f.descriptor & 0x20) ? r : p.height - 1 - r;
        for (uint32_t col = 0; col < p.width; ++col) {
            uint32_t x = (f.descriptor & 0x10) ? p.width - 1 - col : col;
            uint32_t i = y * p.width + x;
            Bytes t;
            if (mapped) {
                uint32_t value = pal.indices[i] + f.mapFirst;
                if (f.depth == 8) {
                    t.push_back(static_cast<uint8_t>(value));
                } else {
                    Put16(&t, value);
                }
            } else if (f.type == 3) {
                t.push_back(static_cast<uint8_t>(Red(p.texels[i])));
            } else {
                PutTgaColour(&t, p.texels[i], f.depth);
            }
            texels.push_back(t);
        }
    }
    if (!f.packed) {
        for (const Bytes& t : texels) b.insert(b.end(), t.begin(), t.end());
        return b;
    }
    // Runs of equal texels as repeat packets, the rest as raw packets, across rows.
    for (size_t i = 0; i < texels.size();) {
        size_t run = 1;
        while (i + run < texels.size() && run < 128 && texels[i + run] == texels[i]) ++run;
        if (run >= 2) {
            b.push_back(static_cast<uint8_t>(0x80 | (run - 1)));
            b.insert(b.end(), texels[i].begin(), texels[i].end());
        } else {
            while (i + run < texels.size() && run < 128 && texels[i + run] != texels[i + run - 1]) {
                ++run;
            }
            if (i + run < texels.size() && run > 1) --run;  // leave the run's start
            b.push_back(static_cast<uint8_t>(run - 1));
            for (size_t k = 0; k < run; ++k)
                b.insert(b.end(), texels[i + k].begin(), texels[i + k].end());
        }
        i += run;
    }
    return b;
}

// Colours a form can hold: every channel of 8 bits, or cut to 5 or 6 bits and widened back
// by repeating its high bits, with alpha opaque, 0 or 255, or any.
enum class Alpha { kOpaque, kOneBit, kAny };

uint32_t Widen(uint32_t v, int bits) {
    v >>= 8 - bits;
    return (v << (8 - bits) | v >> (2 * bits - 8)) & 0xFF;
}

std::vector<uint32_t> Colours(int count, int redBits, int greenBits, int blueBits, Alpha alpha,
                              bool grey = false) {
    std::vector<uint32_t> colours;
    uint32_t seed = 0x2468ACE1u;
    for (int i = 0; i < count; ++i) {
        seed = seed * 1664525u + 1013904223u;
        uint32_t r = Widen(seed >> 24, redBits), g = Widen((seed >> 16) & 0xFF, greenBits),
                 b = Widen((seed >> 8) & 0xFF, blueBits);
        if (grey) g = b = r;
        uint32_t a = alpha == Alpha::kOpaque   ? 0xFFu
                     : alpha == Alpha::kOneBit ? (i % 3 == 1 ? 0x00u : 0xFFu)
                                               : (seed & 0xFF);
        colours.push_back(a << 24 | r << 16 | g << 8 | b);
    }
    return colours;
}

// A 7 x 4 picture (odd rows need padding) with runs and single texels, no two rows alike.
TestPicture Sample(const std::vector<uint32_t>& colours) {
    TestPicture p;
    p.width = 7;
    p.height = 4;
    for (uint32_t y = 0; y < p.height; ++y) {
        for (uint32_t x = 0; x < p.width; ++x) {
            uint32_t i = x < 3 && y != 2 ? y : x * 3 + y * 5 + x * y;
            p.texels.push_back(colours[i % colours.size()]);
        }
    }
    return p;
}

// DDS with a plain texel format given by its flags and masks.
struct DdsForm {
    uint32_t flags;  // 0x1 alpha present, 0x2 alpha only, 0x40 colour, 0x20000 luminance
    int bpp;
    std::array<uint32_t, 4> masks;  // red (or luminance), green, blue, alpha
};

Bytes DdsHeader(uint32_t width, uint32_t height, uint32_t flags, uint32_t fourCc, int bpp,
                const std::array<uint32_t, 4>& masks) {
    Bytes b = {'D', 'D', 'S', ' '};
    Put32(&b, 124);
    Put32(&b, 0x1007);  // caps, height, width, pixel format
    Put32(&b, height);
    Put32(&b, width);
    Put32(&b, 0);
    Put32(&b, 0);
    Put32(&b, 1);
    b.resize(76, 0);
    Put32(&b, 32);
    Put32(&b, flags);
    Put32(&b, fourCc);
    Put32(&b, static_cast<uint32_t>(bpp));
    for (uint32_t m : masks) Put32(&b, m);
    Put32(&b, 0x1000);  // a texture
    b.resize(128, 0);
    return b;
}

Bytes Dds(const TestPicture& p, const DdsForm& f) {
    Bytes b = DdsHeader(p.width, p.height, f.flags, 0, f.bpp, f.masks);
    // Luminance is stored from the red channel.
    const std::array<uint32_t, 4> masks =
        f.flags & 0x20000 ? std::array<uint32_t, 4>{f.masks[0], 0, 0, f.masks[3]} : f.masks;
    for (uint32_t c : p.texels) {
        const uint32_t v = MaskedValue(c, masks);
        for (int k = 0; k < f.bpp / 8; ++k) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
    }
    return b;
}

// A picture and its DXT file, made together: each 4 x 4 block has two end colours of 5-6-5
// bits and uses all four of its codes (in DXT1's three-colour blocks, the fourth is
// transparent black); DXT3 alphas are 4 bits, DXT5 alphas use both of its code sets. The
// picture holds the colours the codes name, the in-between ones rounded.
struct DxtSample {
    TestPicture picture;
    Bytes file;
};

uint32_t Expand565(uint32_t v) {
    const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
    return 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2);
}

// (wa * a + wb * b) / (wa + wb) for each of the low three channels, rounded.
uint32_t Blend(uint32_t a, uint32_t b, uint32_t wa, uint32_t wb) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        const uint32_t v =
            (wa * ((a >> shift) & 0xFF) + wb * ((b >> shift) & 0xFF) + (wa + wb) / 2) / (wa + wb);
        out |= v << shift;
    }
    return out;
}

DxtSample Dxt(int kind) {
    DxtSample s;
    s.picture.width = 7;
    s.picture.height = 6;
    s.picture.texels.assign(7 * 6, 0);
    const uint32_t fourCc = 0x31545844u + static_cast<uint32_t>(kind - 1) * 0x01000000u;
    s.file = DdsHeader(7, 6, 0x4, fourCc, 0, {});
    uint32_t seed = 0x13579BDFu;
    auto next = [&seed]() { return (seed = seed * 1664525u + 1013904223u) >> 16; };
    for (uint32_t block = 0; block < 4; ++block) {
        const uint32_t bx = block % 2 * 4, by = block / 2 * 4;
        uint32_t c0 = next(), c1 = next();
        // Four-colour blocks put the larger end first; DXT1's last block has three colours.
        const bool three = kind == 1 && block == 3;
        if ((c0 > c1) == three || c0 == c1) std::swap(c0, c1);
        if (c0 == c1) c0 ^= 0x0821;
        const uint32_t e0 = Expand565(c0), e1 = Expand565(c1);
        const uint32_t codes[4] = {e0, e1, three ? Blend(e0, e1, 1, 1) : Blend(e0, e1, 2, 1),
                                   three ? 0u : Blend(e0, e1, 1, 2)};
        uint32_t indices = 0;
        uint64_t alphaBits = 0;
        // DXT5: the first two blocks use eight alpha codes, the others six plus 0 and 255.
        const uint32_t a0 = block < 2 ? 0xE0 - block * 0x30 : 0x20 + block * 0x10;
        const uint32_t a1 = block < 2 ? 0x10 + block * 0x20 : 0xC0;
        for (uint32_t i = 0; i < 16; ++i) {
            const uint32_t x = bx + i % 4, y = by + i / 4;
            const uint32_t code = (i + block + i / 4) % 4;
            indices |= code << (2 * i);
            uint32_t alpha = 0xFF;
            if (kind == 3) {
                const uint32_t a4 = (i * 3 + block * 5) % 16;
                alphaBits |= static_cast<uint64_t>(a4) << (4 * i);
                alpha = a4 * 17;
            } else if (kind == 5) {
                const uint32_t a3 = (i + block * 3) % 8;
                alphaBits |= static_cast<uint64_t>(a3) << (3 * i);
                if (a3 == 0) {
                    alpha = a0;
                } else if (a3 == 1) {
                    alpha = a1;
                } else if (a0 > a1) {
                    alpha = ((8 - a3) * a0 + (a3 - 1) * a1 + 3) / 7;
                } else if (a3 < 6) {
                    alpha = ((6 - a3) * a0 + (a3 - 1) * a1 + 2) / 5;
                } else {
                    alpha = a3 == 6 ? 0 : 0xFF;
                }
            }
            if (x < 7 && y < 6) {
                const uint32_t c = codes[code];
                s.picture.texels[y * 7 + x] = c == 0 ? 0 : (c & 0xFFFFFF) | alpha << 24;
            }
        }
        if (kind == 3) {
            for (int k = 0; k < 8; ++k)
                s.file.push_back(static_cast<uint8_t>(alphaBits >> (8 * k)));
        } else if (kind == 5) {
            s.file.push_back(static_cast<uint8_t>(a0));
            s.file.push_back(static_cast<uint8_t>(a1));
            for (int k = 0; k < 6; ++k)
                s.file.push_back(static_cast<uint8_t>(alphaBits >> (8 * k)));
        }
        Put16(&s.file, c0);
        Put16(&s.file, c1);
        Put32(&s.file, indices);
    }
    return s;
}

// PPM or PGM with the given maximum value; samples scaled to it from 8 bits.
Bytes Pnm(const TestPicture& p, bool colour, uint32_t most) {
    const std::string header = std::string(colour ? "P6" : "P5") + "\n# made by a test\n" +
                               std::to_string(p.width) + " " + std::to_string(p.height) + "\n" +
                               std::to_string(most) + "\n";
    Bytes b(header.begin(), header.end());
    for (uint32_t c : p.texels) {
        for (int shift : {16, 8, 0}) {
            const uint32_t v = (((c >> shift) & 0xFF) * most + 127) / 255;
            if (most > 255) b.push_back(static_cast<uint8_t>(v >> 8));
            b.push_back(static_cast<uint8_t>(v));
            if (!colour) break;
        }
    }
    return b;
}

struct Form {
    std::string name;
    TestPicture reference;
    Bytes file;
    int tolerance;  // the most a channel may differ: 0 for lossless forms
};

// Alpha cut to `bits` and widened back, as a form with that many alpha bits holds it.
std::vector<uint32_t> WithAlphaBits(std::vector<uint32_t> colours, int bits) {
    for (uint32_t& c : colours) c = (c & 0xFFFFFF) | Widen(c >> 24, bits) << 24;
    return colours;
}

// The forms of every kind the decoder reads, each made from its reference picture.
std::vector<Form> EveryForm() {
    std::vector<Form> forms;
    auto Add = [&forms](const char* name, const std::vector<uint32_t>& colours, auto encode,
                        int tolerance = 0) {
        TestPicture p = Sample(colours);
        Bytes file = encode(p);
        forms.push_back(Form{name, std::move(p), std::move(file), tolerance});
    };
    const std::vector<uint32_t> full = Colours(40, 8, 8, 8, Alpha::kOpaque);
    const std::vector<uint32_t> c555 = Colours(40, 5, 5, 5, Alpha::kOpaque);
    const std::vector<uint32_t> c565 = Colours(40, 5, 6, 5, Alpha::kOpaque);
    const std::vector<uint32_t> c1555 = Colours(40, 5, 5, 5, Alpha::kOneBit);
    const std::vector<uint32_t> c4444 = WithAlphaBits(Colours(40, 4, 4, 4, Alpha::kAny), 4);
    const std::vector<uint32_t> withAlpha = Colours(40, 8, 8, 8, Alpha::kAny);
    const std::vector<uint32_t> grey = Colours(40, 8, 8, 8, Alpha::kOpaque, true);
    const std::vector<uint32_t> greyAlpha = Colours(40, 8, 8, 8, Alpha::kAny, true);
    const std::vector<uint32_t> grey4 = Colours(16, 4, 4, 4, Alpha::kOpaque, true);
    const std::vector<uint32_t> two = Colours(2, 8, 8, 8, Alpha::kOpaque);
    const std::vector<uint32_t> sixteen = Colours(16, 8, 8, 8, Alpha::kOpaque);
    std::vector<uint32_t> alphaOnly = withAlpha;
    for (uint32_t& c : alphaOnly) c &= 0xFF000000u;
    std::vector<uint32_t> oneClear = full;
    oneClear[1] &= 0xFFFFFF;

    // BMP.
    const std::array<uint32_t, 4> argb = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    Add("bmp 1-bit", two, [](const TestPicture& p) { return Bmp(p, {1}); });
    Add("bmp 4-bit", sixteen, [](const TestPicture& p) { return Bmp(p, {4}); });
    Add("bmp 8-bit", full, [](const TestPicture& p) { return Bmp(p, {8}); });
    Add("bmp 4-bit run-length packed", sixteen, [](const TestPicture& p) {
        return Bmp(p, {4, false, BmpPack::kRle});
    });
    Add("bmp 8-bit run-length packed", full, [](const TestPicture& p) {
        return Bmp(p, {8, false, BmpPack::kRle});
    });
    Add("bmp 16-bit 555", c555, [](const TestPicture& p) { return Bmp(p, {16}); });
    Add("bmp 16-bit 565 masks", c565, [](const TestPicture& p) {
        return Bmp(p, {16, false, BmpPack::kMasks, {0xF800, 0x07E0, 0x001F, 0}});
    });
    Add("bmp 16-bit 1555 masks, v5 header", c1555, [](const TestPicture& p) {
        return Bmp(p, {16, false, BmpPack::kMasks, {0x7C00, 0x03E0, 0x001F, 0x8000}, 124});
    });
    Add("bmp 16-bit 4444 masks, v5 header", c4444, [](const TestPicture& p) {
        return Bmp(p, {16, false, BmpPack::kMasks, {0x0F00, 0x00F0, 0x000F, 0xF000}, 124});
    });
    Add("bmp 24-bit", full, [](const TestPicture& p) { return Bmp(p, {24}); });
    Add("bmp 32-bit without alpha", full, [](const TestPicture& p) {
        return Bmp(p, {32, false, BmpPack::kNone, {}, 40, true});
    });
    Add("bmp 32-bit with alpha", withAlpha, [](const TestPicture& p) { return Bmp(p, {32}); });
    Add("bmp 32-bit alpha mask, v5 header", withAlpha, [&argb](const TestPicture& p) {
        return Bmp(p, {32, false, BmpPack::kMasks, argb, 124});
    });
    Add("bmp 32-bit masks blue first", full, [](const TestPicture& p) {
        return Bmp(p, {32, false, BmpPack::kMasks, {0xFF, 0xFF00, 0xFF0000, 0}});
    });
    Add("bmp 1-bit top-down", two, [](const TestPicture& p) { return Bmp(p, {1, true}); });
    Add("bmp 4-bit top-down", sixteen, [](const TestPicture& p) { return Bmp(p, {4, true}); });
    Add("bmp 8-bit top-down", full, [](const TestPicture& p) { return Bmp(p, {8, true}); });
    Add("bmp 16-bit 555 top-down", c555, [](const TestPicture& p) { return Bmp(p, {16, true}); });
    Add("bmp 16-bit 565 top-down", c565, [](const TestPicture& p) {
        return Bmp(p, {16, true, BmpPack::kMasks, {0xF800, 0x07E0, 0x001F, 0}});
    });
    Add("bmp 24-bit top-down", full, [](const TestPicture& p) { return Bmp(p, {24, true}); });
    Add("bmp 32-bit top-down", full, [](const TestPicture& p) { return Bmp(p, {32, true}); });
    Add("bmp os/2 8-bit", full, [](const TestPicture& p) {
        return Bmp(p, {8, false, BmpPack::kNone, {}, 12});
    });
    Add("bmp os/2 24-bit", full, [](const TestPicture& p) {
        return Bmp(p, {24, false, BmpPack::kNone, {}, 12});
    });

    // TGA.
    Add("tga 24-bit bottom-left", full, [](const TestPicture& p) {
        return Tga(p, {2, 24, false, 0x00});
    });
    Add("tga 24-bit top-left", full, [](const TestPicture& p) {
        return Tga(p, {2, 24, false, 0x20});
    });
    Add("tga 24-bit bottom-right", full, [](const TestPicture& p) {
        return Tga(p, {2, 24, false, 0x10});
    });
    Add("tga 24-bit top-right", full, [](const TestPicture& p) {
        return Tga(p, {2, 24, false, 0x30});
    });
    Add("tga 24-bit with an id field", full, [](const TestPicture& p) {
        return Tga(p, {2, 24, false, 0x00, 0, 0, "made by a test"});
    });
    Add("tga 32-bit", withAlpha, [](const TestPicture& p) { return Tga(p, {2, 32, false, 0x28}); });
    Add("tga 32-bit right-to-left", withAlpha, [](const TestPicture& p) {
        return Tga(p, {2, 32, false, 0x18});
    });
    Add("tga 16-bit with its alpha bit", c1555, [](const TestPicture& p) {
        return Tga(p, {2, 16, false, 0x01});
    });
    Add("tga 16-bit top-right with its alpha bit", c1555, [](const TestPicture& p) {
        return Tga(p, {2, 16, false, 0x31});
    });
    Add("tga 16-bit without alpha bits", c555, [](const TestPicture& p) {
        return Tga(p, {2, 16, false, 0x20});
    });
    Add("tga 15-bit", c555, [](const TestPicture& p) { return Tga(p, {2, 15, false, 0x00}); });
    Add("tga grey", Colours(40, 8, 8, 8, Alpha::kOpaque, true), [](const TestPicture& p) {
        return Tga(p, {3, 8, false, 0x00});
    });
    Add("tga colour-mapped 24-bit map", full, [](const TestPicture& p) {
        return Tga(p, {1, 8, false, 0x00, 24});
    });
    Add("tga colour-mapped 32-bit map from entry 5", withAlpha, [](const TestPicture& p) {
        return Tga(p, {1, 8, false, 0x28, 32, 5});
    });
    Add("tga colour-mapped 16-bit map with its alpha bit", c1555, [](const TestPicture& p) {
        return Tga(p, {1, 8, false, 0x01, 16});
    });
    Add("tga colour-mapped 16-bit indices", full, [](const TestPicture& p) {
        return Tga(p, {1, 16, false, 0x10, 24, 300});
    });
    Add("tga packed 24-bit", full, [](const TestPicture& p) {
        return Tga(p, {2, 24, true, 0x00});
    });
    Add("tga packed 32-bit top-right", withAlpha, [](const TestPicture& p) {
        return Tga(p, {2, 32, true, 0x38});
    });
    Add("tga packed 16-bit with its alpha bit", c1555, [](const TestPicture& p) {
        return Tga(p, {2, 16, true, 0x21});
    });
    Add("tga packed grey right-to-left", Colours(40, 8, 8, 8, Alpha::kOpaque, true),
        [](const TestPicture& p) {
            return Tga(p, {3, 8, true, 0x10});
        });
    Add("tga packed colour-mapped", full, [](const TestPicture& p) {
        return Tga(p, {1, 8, true, 0x20, 24});
    });

    // PNG.
    using vqtest::PngColour;
    using vqtest::WritePng;
    Add("png rgba", withAlpha, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Rgba, 8, false, false});
    });
    Add("png rgba 16-bit", withAlpha, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Rgba, 16, false, false});
    });
    Add("png rgb", full, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Rgb, 8, false, false});
    });
    Add("png rgb 16-bit", full, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Rgb, 16, false, false});
    });
    Add("png rgb with a transparent colour", oneClear, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Rgb, 8, false, true});
    });
    Add("png grey", grey, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Grey, 8, false, false});
    });
    Add("png grey 4-bit", grey4, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Grey, 4, false, false});
    });
    Add("png grey 16-bit", grey, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Grey, 16, false, false});
    });
    Add("png grey with alpha", greyAlpha, [](const TestPicture& p) {
        return WritePng(p, {PngColour::GreyAlpha, 8, false, false});
    });
    Add("png palette", full, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Palette, 8, false, false});
    });
    Add("png palette 4-bit", sixteen, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Palette, 4, false, false});
    });
    Add("png palette 1-bit", two, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Palette, 1, false, false});
    });
    Add("png palette with alphas", withAlpha, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Palette, 8, false, true});
    });
    Add("png rgba interlaced", withAlpha, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Rgba, 8, true, false});
    });
    Add("png palette 4-bit interlaced", sixteen, [](const TestPicture& p) {
        return WritePng(p, {PngColour::Palette, 4, true, false});
    });

    // JPEG: lossy, so within a tolerance, at full quality and full colour resolution.
    using vqtest::WriteJpeg;
    constexpr int kJpegTolerance = 8;
    struct JpegRow {
        const char* name;
        bool progressive, grey;
    };
    for (const JpegRow& row :
         {JpegRow{"jpeg baseline", false, false}, JpegRow{"jpeg progressive", true, false},
          JpegRow{"jpeg grey", false, true}, JpegRow{"jpeg grey progressive", true, true}}) {
        Add(
            row.name, row.grey ? grey : full,
            [row](const TestPicture& p) {
                return WriteJpeg(p, {100, row.progressive, row.grey, true});
            },
            kJpegTolerance);
    }

    // DDS.
    Add("dds a8r8g8b8", withAlpha, [&argb](const TestPicture& p) {
        return Dds(p, {0x41, 32, argb});
    });
    Add("dds x8r8g8b8", full, [](const TestPicture& p) {
        return Dds(p, {0x40, 32, {0xFF0000, 0xFF00, 0xFF, 0}});
    });
    Add("dds a8b8g8r8", withAlpha, [](const TestPicture& p) {
        return Dds(p, {0x41, 32, {0xFF, 0xFF00, 0xFF0000, 0xFF000000}});
    });
    Add("dds r8g8b8", full, [](const TestPicture& p) {
        return Dds(p, {0x40, 24, {0xFF0000, 0xFF00, 0xFF, 0}});
    });
    Add("dds r5g6b5", c565, [](const TestPicture& p) {
        return Dds(p, {0x40, 16, {0xF800, 0x07E0, 0x001F, 0}});
    });
    Add("dds x1r5g5b5", c555, [](const TestPicture& p) {
        return Dds(p, {0x40, 16, {0x7C00, 0x03E0, 0x001F, 0}});
    });
    Add("dds a1r5g5b5", c1555, [](const TestPicture& p) {
        return Dds(p, {0x41, 16, {0x7C00, 0x03E0, 0x001F, 0x8000}});
    });
    Add("dds a4r4g4b4", c4444, [](const TestPicture& p) {
        return Dds(p, {0x41, 16, {0x0F00, 0x00F0, 0x000F, 0xF000}});
    });
    Add("dds l8", grey, [](const TestPicture& p) { return Dds(p, {0x20000, 8, {0xFF, 0, 0, 0}}); });
    Add("dds a8l8", greyAlpha, [](const TestPicture& p) {
        return Dds(p, {0x20001, 16, {0xFF, 0, 0, 0xFF00}});
    });
    Add("dds a8", alphaOnly, [](const TestPicture& p) {
        return Dds(p, {0x2, 8, {0, 0, 0, 0xFF}});
    });
    // Block-compressed: the in-between codes may round either way.
    for (int kind : {1, 3, 5}) {
        DxtSample dxt = Dxt(kind);
        forms.push_back(
            Form{"dds dxt" + std::to_string(kind), std::move(dxt.picture), std::move(dxt.file), 1});
    }

    // Binary PNM.
    Add("ppm", full, [](const TestPicture& p) { return Pnm(p, true, 255); });
    Add("ppm 16-bit", full, [](const TestPicture& p) { return Pnm(p, true, 65535); });
    Add("pgm", grey, [](const TestPicture& p) { return Pnm(p, false, 255); });
    Add("pgm up to 15", grey4, [](const TestPicture& p) { return Pnm(p, false, 15); });
    return forms;
}

int ChannelDifference(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        worst = std::max(worst, d < 0 ? -d : d);
    }
    return worst;
}

TEST(PictureForms, EveryFormReadsBackItsTexels) {
    for (const Form& form : EveryForm()) {
        SCOPED_TRACE(form.name);
        const TestPicture& source = form.reference;
        image::Picture decoded;
        const char* reason = nullptr;
        bool read =
            image::DecodePicture(std::span(form.file.data(), form.file.size()), &decoded, &reason);
        EXPECT_TRUE(read) << (reason ? reason : "");
        EXPECT_EQ(decoded.width, source.width);
        EXPECT_EQ(decoded.height, source.height);
        if (!read || decoded.texels.size() != source.texels.size()) continue;
        int wrong = 0;
        for (size_t i = 0; i < source.texels.size(); ++i) {
            if (ChannelDifference(decoded.texels[i], source.texels[i]) <= form.tolerance) continue;
            // The first wrong texel says enough; the count says how far it goes.
            if (wrong++ == 0) {
                ADD_FAILURE() << "texel " << i % source.width << ", " << i / source.width << ": "
                              << std::hex << decoded.texels[i] << " instead of "
                              << source.texels[i];
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

// The PNG file with its compressed picture data running on for `zeros` zero bytes after the
// last row, the file ending inside them.
Bytes RunningOnPastTheLastRow(const Bytes& png, size_t zeros) {
    const uint8_t idatName[] = {'I', 'D', 'A', 'T'};
    const size_t idat =
        std::search(png.begin(), png.end(), std::begin(idatName), std::end(idatName)) - png.begin();
    const size_t length = size_t{png[idat - 4]} << 24 | size_t{png[idat - 3]} << 16 |
                          size_t{png[idat - 2]} << 8 | png[idat - 1];
    Bytes rows(1 << 16);
    uLongf rowBytes = rows.size();
    EXPECT_EQ(uncompress(rows.data(), &rowBytes, &png[idat + 4], length), Z_OK);
    rows.resize(rowBytes + zeros, 0);
    Bytes data(compressBound(rows.size()));
    uLongf dataBytes = data.size();
    EXPECT_EQ(compress2(data.data(), &dataBytes, rows.data(), rows.size(), 9), Z_OK);
    Bytes out(png.begin(), png.begin() + static_cast<ptrdiff_t>(idat - 4));
    for (int shift : {24, 16, 8, 0}) out.push_back(static_cast<uint8_t>(dataBytes >> shift));
    out.insert(out.end(), std::begin(idatName), std::end(idatName));
    out.insert(out.end(), data.begin(), data.begin() + static_cast<ptrdiff_t>(dataBytes - 16));
    return out;
}

// A damaged file of each kind: each is told once, with its path and what is wrong, under
// the missing picture's caption, however often it is loaded, and gives no texture. Damage
// after the last row of a PNG is not read: that picture is drawn, and nothing is told.
class DamagedPictures : public vqtest::TwoDTest {};

TEST_F(DamagedPictures, EachIsToldOncePerPathAndNotDrawn) {
    const TestPicture source = Sample(Colours(40, 8, 8, 8, Alpha::kOpaque));
    auto cut = [](Bytes b, size_t keep) {
        b.resize(keep);
        return b;
    };
    auto patched = [](Bytes b, size_t at, std::initializer_list<uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<ptrdiff_t>(at));
        return b;
    };
    const Bytes bmp = Bmp(source, {24});
    const Bytes rle = Bmp(source, {8, false, BmpPack::kRle});
    const Bytes tga = Tga(source, {2, 24, false, 0x00});
    const Bytes packedTga = Tga(source, {2, 24, true, 0x00});
    const Bytes mappedTga = Tga(source, {1, 8, false, 0x00, 24, 5});
    const Bytes png = vqtest::WritePng(source, {vqtest::PngColour::Rgb, 8, false, false});
    const uint8_t idatName[] = {'I', 'D', 'A', 'T'};
    const size_t idat =
        std::search(png.begin(), png.end(), std::begin(idatName), std::end(idatName)) - png.begin();
    const Bytes jpeg = vqtest::WriteJpeg(source, {90, false, false, false});
    const uint8_t scanMarker[] = {0xFF, 0xDA};
    const size_t scan =
        std::search(jpeg.begin(), jpeg.end(), std::begin(scanMarker), std::end(scanMarker)) -
        jpeg.begin();
    const Bytes dxt1 = Dxt(1).file;
    const Bytes plainDds = Dds(source, {0x40, 24, {0xFF0000, 0xFF00, 0xFF, 0}});
    const Bytes ppm = Pnm(source, true, 255);
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 37 + 11);
    const std::string gif = "GIF89a\x07\x00\x04\x00\x80\x00\x00";

    const struct {
        const char* name;
        Bytes file;
        bool drawn = false;
    } cases[] = {
        {"bmp cut short", cut(bmp, bmp.size() - 5)},
        {"bmp run-length packed, cut short", cut(rle, rle.size() - 6)},
        {"bmp with a header of unknown size", patched(bmp, 14, {20})},
        {"bmp header only", {'B', 'M', 0, 0}},
        {"bmp wider than any texture", patched(bmp, 18, {0x88, 0x13})},
        {"tga cut short", cut(tga, tga.size() - 1)},
        {"tga packed and cut short", cut(packedTga, packedTga.size() - 2)},
        // The last texel names entry 2, below the map's first entry.
        {"tga with a colour outside its map", patched(mappedTga, mappedTga.size() - 1, {2})},
        {"tga wider than any texture", patched(tga, 12, {0x01, 0x20})},
        {"png cut short", cut(png, png.size() / 2)},
        {"png with damaged image data", patched(png, idat + 8, {0x55, 0xAA})},
        // 256 KiB more to inflate, in a file of a few hundred bytes.
        {"png whose data runs on past its last row and is cut short there",
         RunningOnPastTheLastRow(png, 256 * 1024), true},
        {"jpeg cut short", cut(jpeg, scan + 40)},
        {"jpeg with the end marker inside its data", patched(jpeg, scan + 30, {0xFF, 0xD9})},
        {"dds dxt1 cut short", cut(dxt1, dxt1.size() - 1)},
        {"dds cut short", cut(plainDds, plainDds.size() - 1)},
        {"dds of a texel format not read",
         patched(plainDds, 80, {0x04, 0, 0, 0, 'A', 'T', 'I', '2'})},
        {"ppm cut short", cut(ppm, ppm.size() - 1)},
        {"a kind of picture not read", Bytes(gif.begin(), gif.end())},
        {"noise", noise},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = "bmp/damaged" + std::to_string(index++) + ".bmp";
        ASSERT_TRUE(vqtest::WriteFileBytes(folder_ + "/" + path, c.file));
        // The file fits the read buffer, so that what is told is what is wrong with it: a
        // path is told once, and a file too large for its buffer would be told as that.
        ASSERT_LE(c.file.size(), PictureReadCapacity(16, 16));
        TextureHolder holder{};
        gfx::Texture* model = nullptr;
        const std::string messages = Messages([&] {
            LoadTexture(TextureGroup::Play, &holder, path.c_str(), 16, 16);
            LoadTexture(TextureGroup::Play, &holder, path.c_str(), 16, 16);
            LoadTextureAnySize(&model, path.c_str());
        });
        if (c.drawn) {
            EXPECT_EQ(messages, "");
            EXPECT_NE(holder.texture, nullptr);
            if (model) {
                const std::span texels(model->LevelData(0), source.texels.size());
                EXPECT_TRUE(std::ranges::equal(texels, source.texels));
                model->Release();
            } else {
                ADD_FAILURE() << "no texture";
            }
        } else {
            const std::string told = "[Error] " + path + " (";
            EXPECT_NE(messages.find(told), std::string::npos) << messages;
            EXPECT_EQ(messages.find(told), messages.rfind("[Error]")) << messages;
            EXPECT_EQ(holder.texture, nullptr);
            EXPECT_EQ(model, nullptr);
        }
        ReleaseTextureGroup(TextureGroup::Play);
    }
}

}  // namespace
