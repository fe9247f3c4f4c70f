// Every BMP and TGA form the picture decoder reads, each written here texel by texel from
// one picture and decoded back: the texels must come out where and as they went in.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/image/picture.h"
#include "tests/support/pictures.h"

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

// BMP with a 40-byte header. 16 bits: 5-5-5, or 5-6-5 given by bit masks.
enum class Bmp16 { k555, k565 };

Bytes Bmp(const TestPicture& p, int bpp, bool topDown, Bmp16 layout = Bmp16::k555) {
    Palette pal = MakePalette(p);
    bool paletted = bpp <= 8;
    bool masks = bpp == 16 && layout == Bmp16::k565;
    uint32_t paletteBytes = paletted ? 4u << bpp : 0;
    uint32_t offset = 14 + 40 + paletteBytes + (masks ? 12 : 0);
    uint32_t stride = (p.width * bpp + 31) / 32 * 4;
    Bytes b = {'B', 'M'};
    Put32(&b, offset + stride * p.height);
    Put32(&b, 0);
    Put32(&b, offset);
    Put32(&b, 40);
    Put32(&b, p.width);
    Put32(&b, topDown ? static_cast<uint32_t>(-static_cast<int32_t>(p.height)) : p.height);
    Put16(&b, 1);
    Put16(&b, static_cast<uint32_t>(bpp));
    Put32(&b, masks ? 3 : 0);
    for (int i = 0; i < 5; ++i) Put32(&b, 0);
    if (masks) {
        Put32(&b, 0xF800);
        Put32(&b, 0x07E0);
        Put32(&b, 0x001F);
    }
    if (paletted) {
        EXPECT_LE(pal.colours.size(), 1u << bpp);
        for (uint32_t i = 0; i < (1u << bpp); ++i) {
            uint32_t c = i < pal.colours.size() ? pal.colours[i] : 0;
            b.insert(b.end(), {static_cast<uint8_t>(Blue(c)), static_cast<uint8_t>(Green(c)),
                               static_cast<uint8_t>(Red(c)), 0});
        }
    }
    for (uint32_t r = 0; r < p.height; ++r) {
        uint32_t y = topDown ? r : p.height - 1 - r;
        Bytes row(stride, 0);
        for (uint32_t x = 0; x < p.width; ++x) {
            uint32_t i = y * p.width + x;
            uint32_t c = p.texels[i];
            switch (bpp) {
                case 1:
                case 4:
                case 8: {
                    uint32_t bit = x * bpp;
                    row[bit / 8] |= static_cast<uint8_t>(pal.indices[i] << (8 - bpp - bit % 8));
                    break;
                }
                case 16: {
                    uint32_t v = layout == Bmp16::k565
                                     ? (Red(c) >> 3) << 11 | (Green(c) >> 2) << 5 | Blue(c) >> 3
                                     : (Red(c) >> 3) << 10 | (Green(c) >> 3) << 5 | Blue(c) >> 3;
                    row[x * 2] = static_cast<uint8_t>(v);
                    row[x * 2 + 1] = static_cast<uint8_t>(v >> 8);
                    break;
                }
                default:
                    for (int k = 0; k < bpp / 8; ++k)
                        row[x * (bpp / 8) + k] = (c >> (8 * k)) & 0xFF;
                    break;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
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

struct Form {
    const char* name;
    std::vector<uint32_t> colours;
    Bytes (*encode)(const TestPicture&);
};

TEST(PictureForms, EveryBmpAndTgaFormReadsBackItsTexels) {
    const std::vector<uint32_t> full = Colours(40, 8, 8, 8, Alpha::kOpaque);
    const std::vector<uint32_t> c555 = Colours(40, 5, 5, 5, Alpha::kOpaque);
    const std::vector<uint32_t> c1555 = Colours(40, 5, 5, 5, Alpha::kOneBit);
    const std::vector<uint32_t> withAlpha = Colours(40, 8, 8, 8, Alpha::kAny);
    const Form forms[] = {
        {"bmp 1-bit", Colours(2, 8, 8, 8, Alpha::kOpaque),
         [](const TestPicture& p) { return Bmp(p, 1, false); }},
        {"bmp 4-bit", Colours(16, 8, 8, 8, Alpha::kOpaque),
         [](const TestPicture& p) { return Bmp(p, 4, false); }},
        {"bmp 8-bit", full, [](const TestPicture& p) { return Bmp(p, 8, false); }},
        {"bmp 16-bit 555", c555, [](const TestPicture& p) { return Bmp(p, 16, false); }},
        {"bmp 16-bit 565", Colours(40, 5, 6, 5, Alpha::kOpaque),
         [](const TestPicture& p) { return Bmp(p, 16, false, Bmp16::k565); }},
        {"bmp 24-bit", full, [](const TestPicture& p) { return Bmp(p, 24, false); }},
        {"bmp 32-bit", full, [](const TestPicture& p) { return Bmp(p, 32, false); }},
        {"bmp 1-bit top-down", Colours(2, 8, 8, 8, Alpha::kOpaque),
         [](const TestPicture& p) { return Bmp(p, 1, true); }},
        {"bmp 4-bit top-down", Colours(16, 8, 8, 8, Alpha::kOpaque),
         [](const TestPicture& p) { return Bmp(p, 4, true); }},
        {"bmp 8-bit top-down", full, [](const TestPicture& p) { return Bmp(p, 8, true); }},
        {"bmp 16-bit 555 top-down", c555, [](const TestPicture& p) { return Bmp(p, 16, true); }},
        {"bmp 16-bit 565 top-down", Colours(40, 5, 6, 5, Alpha::kOpaque),
         [](const TestPicture& p) { return Bmp(p, 16, true, Bmp16::k565); }},
        {"bmp 24-bit top-down", full, [](const TestPicture& p) { return Bmp(p, 24, true); }},
        {"bmp 32-bit top-down", full, [](const TestPicture& p) { return Bmp(p, 32, true); }},

        {"tga 24-bit bottom-left", full,
         [](const TestPicture& p) {
             return Tga(p, {2, 24, false, 0x00});
         }},
        {"tga 24-bit top-left", full,
         [](const TestPicture& p) {
             return Tga(p, {2, 24, false, 0x20});
         }},
        {"tga 24-bit bottom-right", full,
         [](const TestPicture& p) {
             return Tga(p, {2, 24, false, 0x10});
         }},
        {"tga 24-bit top-right", full,
         [](const TestPicture& p) {
             return Tga(p, {2, 24, false, 0x30});
         }},
        {"tga 24-bit with an id field", full,
         [](const TestPicture& p) {
             return Tga(p, {2, 24, false, 0x00, 0, 0, "made by a test"});
         }},
        {"tga 32-bit", withAlpha,
         [](const TestPicture& p) {
             return Tga(p, {2, 32, false, 0x28});
         }},
        {"tga 32-bit right-to-left", withAlpha,
         [](const TestPicture& p) {
             return Tga(p, {2, 32, false, 0x18});
         }},
        {"tga 16-bit with its alpha bit", c1555,
         [](const TestPicture& p) {
             return Tga(p, {2, 16, false, 0x01});
         }},
        {"tga 16-bit top-right with its alpha bit", c1555,
         [](const TestPicture& p) {
             return Tga(p, {2, 16, false, 0x31});
         }},
        {"tga 16-bit without alpha bits", c555,
         [](const TestPicture& p) {
             return Tga(p, {2, 16, false, 0x20});
         }},
        {"tga 15-bit", c555,
         [](const TestPicture& p) {
             return Tga(p, {2, 15, false, 0x00});
         }},
        {"tga grey", Colours(40, 8, 8, 8, Alpha::kOpaque, true),
         [](const TestPicture& p) {
             return Tga(p, {3, 8, false, 0x00});
         }},
        {"tga colour-mapped 24-bit map", full,
         [](const TestPicture& p) {
             return Tga(p, {1, 8, false, 0x00, 24});
         }},
        {"tga colour-mapped 32-bit map from entry 5", withAlpha,
         [](const TestPicture& p) {
             return Tga(p, {1, 8, false, 0x28, 32, 5});
         }},
        {"tga colour-mapped 16-bit map with its alpha bit", c1555,
         [](const TestPicture& p) {
             return Tga(p, {1, 8, false, 0x01, 16});
         }},
        {"tga colour-mapped 16-bit indices", full,
         [](const TestPicture& p) {
             return Tga(p, {1, 16, false, 0x10, 24, 300});
         }},
        {"tga packed 24-bit", full,
         [](const TestPicture& p) {
             return Tga(p, {2, 24, true, 0x00});
         }},
        {"tga packed 32-bit top-right", withAlpha,
         [](const TestPicture& p) {
             return Tga(p, {2, 32, true, 0x38});
         }},
        {"tga packed 16-bit with its alpha bit", c1555,
         [](const TestPicture& p) {
             return Tga(p, {2, 16, true, 0x21});
         }},
        {"tga packed grey right-to-left", Colours(40, 8, 8, 8, Alpha::kOpaque, true),
         [](const TestPicture& p) {
             return Tga(p, {3, 8, true, 0x10});
         }},
        {"tga packed colour-mapped", full,
         [](const TestPicture& p) {
             return Tga(p, {1, 8, true, 0x20, 24});
         }},
    };
    for (const Form& form : forms) {
        SCOPED_TRACE(form.name);
        TestPicture source = Sample(form.colours);
        Bytes file = form.encode(source);
        image::Picture decoded;
        const char* reason = nullptr;
        bool read = image::DecodePicture(std::span(file.data(), file.size()), &decoded, &reason);
        EXPECT_TRUE(read) << (reason ? reason : "");
        EXPECT_EQ(decoded.width, source.width);
        EXPECT_EQ(decoded.height, source.height);
        if (!read || decoded.texels.size() != source.texels.size()) continue;
        int wrong = 0;
        for (size_t i = 0; i < source.texels.size(); ++i) {
            if (decoded.texels[i] == source.texels[i]) continue;
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

TEST(PictureForms, DamagedTgaFilesAreRefused) {
    const std::vector<uint32_t> colours = Colours(40, 8, 8, 8, Alpha::kOpaque);
    TestPicture source = Sample(colours);
    image::Picture decoded;
    struct Case {
        const char* name;
        Bytes file;
    };
    Bytes cut = Tga(source, {2, 24, false, 0x00});
    cut.pop_back();
    Bytes packedCut = Tga(source, {2, 24, true, 0x00});
    packedCut.resize(packedCut.size() - 2);
    Bytes outsideMap = Tga(source, {1, 8, false, 0x00, 24, 5});
    outsideMap.back() = 2;  // below the map's first entry
    Bytes huge = Tga(source, {2, 24, false, 0x00});
    huge[12] = 0x01;
    huge[13] = 0x20;  // 8193 texels wide
    const Case cases[] = {
        {"cut short", cut},
        {"packed and cut short", packedCut},
        {"a colour outside the map", outsideMap},
        {"wider than any texture", huge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(image::DecodePicture(std::span(c.file.data(), c.file.size()), &decoded));
        EXPECT_TRUE(decoded.texels.empty());
    }
}

}  // namespace
