// Every picture of the data set, through the game's picture loader from where it is kept,
// with the rectangles the drawing reads filled.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/archive/archive_format.h"
#include "tests/data/data_fixture.h"

namespace vqtest {
namespace {

struct IndexEntry {
    std::string name;
    uint32_t unpacked = 0;
    int64_t offset = 0, packed = 0;
};

std::vector<IndexEntry> ReadIndex(const std::vector<uint8_t>& file, size_t entrySize,
                                  size_t nameSize) {
    std::vector<IndexEntry> out;
    if (file.size() < 4) return out;
    uint32_t n = archive::ReadBe32(file.data());
    for (uint32_t k = 0; k < n && 4 + (k + 1) * entrySize <= file.size(); ++k) {
        const uint8_t* e = file.data() + 4 + k * entrySize;
        IndexEntry x;
        x.name.assign(reinterpret_cast<const char*>(e),
                      strnlen(reinterpret_cast<const char*>(e), nameSize));
        x.unpacked = archive::ReadBe32(e + nameSize);
        x.offset = static_cast<int32_t>(archive::ReadBe32(e + nameSize + 4));
        x.packed = static_cast<int32_t>(archive::ReadBe32(e + nameSize + 8));
        out.push_back(x);
    }
    return out;
}

bool Holds(const std::vector<IndexEntry>& index, const char* name) {
    for (const IndexEntry& e : index)
        if (e.name == name) return true;
    return false;
}

// The share of a rectangle's texels that show something: opaque ones, and for sheets
// drawn additively (black is nothing) opaque ones that are not black.
float FilledShare(const gfx::Texture* t, int l, int top, int r, int b, bool additive) {
    const uint32_t* px = t->LevelData(0);
    const int w = static_cast<int>(t->Width());
    int filled = 0, all = 0;
    for (int y = top; y < b; ++y)
        for (int x = l; x < r; ++x) {
            uint32_t c = px[static_cast<size_t>(y) * w + x];
            bool opaque = (c >> 24) >= 0x80;
            bool black =
                (c & 0xFFFFFF) < 0x080808 || ((c >> 16 & 0xFF) + (c >> 8 & 0xFF) + (c & 0xFF)) < 24;
            filled += opaque && !(additive && black);
            ++all;
        }
    return all ? static_cast<float>(filled) / all : 0;
}

using PictureTest = DataTest;

TEST_F(PictureTest, EveryPictureLoadsAtItsSizeFromWhereItIsKept) {
    const auto pictures =
        ReadIndex(ReadBytes("bmpdata.bin"), archive::kPictureEntrySize, archive::kPictureNameSize);
    const auto volumes =
        ReadIndex(ReadBytes("pakindex.bin"), archive::kVolumeEntrySize, archive::kVolumeNameSize);
    for (const PictureFile& p : PictureCatalogue()) {
        SCOPED_TRACE(p.path);
        // Kept in one place only: a loose copy would hide the archive from the loader.
        EXPECT_EQ(Exists(p.path), p.kept == Kept::Loose);
        EXPECT_EQ(Holds(pictures, p.path), p.kept == Kept::PictureArchive);
        EXPECT_EQ(Holds(volumes, p.path), p.kept == Kept::VolumeArchive);
        TextureHolder holder{};
        LoadTexture(TextureGroup::Common, &holder, p.path, p.width, p.height);
        ASSERT_NE(holder.texture, nullptr);
        EXPECT_EQ(holder.texture->Width(), static_cast<uint32_t>(p.width));
        EXPECT_EQ(holder.texture->Height(), static_cast<uint32_t>(p.height));
        ReleaseTextureGroup(TextureGroup::Common);
    }
}

TEST_F(PictureTest, OneVolumeEntryRunsFromOneVolumeIntoTheNext) {
    const auto volumes =
        ReadIndex(ReadBytes("pakindex.bin"), archive::kVolumeEntrySize, archive::kVolumeNameSize);
    ASSERT_FALSE(volumes.empty());
    std::string straddler;
    int64_t end = 0;
    for (const IndexEntry& e : volumes) {
        if (straddler.empty() &&
            e.offset / archive::kVolumeSize != (e.offset + e.packed - 1) / archive::kVolumeSize)
            straddler = e.name;
        end = std::max(end, e.offset + e.packed);
    }
    ASSERT_FALSE(straddler.empty());
    // Every volume but the last is exactly full.
    for (int64_t v = 0; (v + 1) * archive::kVolumeSize < end; ++v) {
        char name[32];
        std::snprintf(name, sizeof name, archive::kVolumePathFormat, static_cast<int>(v));
        EXPECT_EQ(static_cast<int64_t>(ReadBytes(name).size()), archive::kVolumeSize) << name;
    }
    // The straddling entry unpacks whole through the game's lookup.
    std::vector<uint8_t> buffer(8 << 20);
    EXPECT_GT(ReadArchiveEntry(straddler.c_str(), buffer), 0) << straddler;
}

TEST_F(PictureTest, EveryArchivedNameFindsItsOwnEntry) {
    std::vector<uint8_t> buffer(16 << 20);
    for (const char* index : {"bmpdata.bin", "pakindex.bin"}) {
        bool pictures = std::strcmp(index, "bmpdata.bin") == 0;
        const auto entries = ReadIndex(
            ReadBytes(index), pictures ? archive::kPictureEntrySize : archive::kVolumeEntrySize,
            pictures ? archive::kPictureNameSize : archive::kVolumeNameSize);
        ASSERT_FALSE(entries.empty()) << index;
        for (const IndexEntry& e : entries)
            EXPECT_EQ(ReadArchiveEntry(e.name.c_str(), buffer), static_cast<int64_t>(e.unpacked))
                << e.name;
    }
}

// An icon cell's alpha is the icon's shape, for the scenes that draw it dimmed to black: the
// cell's edge is clear and the opaque texels fill at most this share of their own bounds (a
// square plate fills nearly all of them).
constexpr float kIconBoundsShare = 0.85f;

// Whether the texels along a rectangle's edge are (nearly) clear.
bool EdgeIsClear(const gfx::Texture* t, int l, int top, int r, int b) {
    const uint32_t* px = t->LevelData(0);
    const int w = static_cast<int>(t->Width());
    for (int y = top; y < b; ++y)
        for (int x = l; x < r; ++x)
            if ((y == top || y == b - 1 || x == l || x == r - 1) &&
                (px[static_cast<size_t>(y) * w + x] >> 24) > 0x10)
                return false;
    return true;
}

// The share of the opaque texels' bounding box that they fill.
float BoundsShare(const gfx::Texture* t, int l, int top, int r, int b) {
    const uint32_t* px = t->LevelData(0);
    const int w = static_cast<int>(t->Width());
    int x0 = r, y0 = b, x1 = l - 1, y1 = top - 1, opaque = 0;
    for (int y = top; y < b; ++y)
        for (int x = l; x < r; ++x)
            if ((px[static_cast<size_t>(y) * w + x] >> 24) >= 0x80) {
                ++opaque;
                x0 = std::min(x0, x);
                y0 = std::min(y0, y);
                x1 = std::max(x1, x);
                y1 = std::max(y1, y);
            }
    return opaque ? static_cast<float>(opaque) / static_cast<float>((x1 - x0 + 1) * (y1 - y0 + 1))
                  : 0;
}

struct Rect {
    const char* path;
    int width, height;
    int l, t, r, b;
    float atLeast;  // share of the rectangle that must show something
    bool additive;
    bool icon = false;  // an icon cell, shaped by its alpha
};

// Rectangles the drawing code reads, each of which must hold something to draw.
TEST_F(PictureTest, TheRectanglesTheDrawingReadsAreFilled) {
    std::vector<Rect> rects = {
        {"bmp/system.bmp", 128, 128, 8, 0, 16, 8, 1.0f, false},          // the fade colour
        {"bmp/pasemenu.bmp", 512, 256, 0, 0, 319, 95, 0.6f, false},      // title plate
        {"bmp/pasemenu.bmp", 512, 256, 256, 96, 512, 240, 0.5f, false},  // items
        {"bmp/fps.tga", 128, 16, 0, 0, 23, 12, 0.1f, false},
        {"bmp/suji_score.tga", 256, 64, 0, 0, 240, 24, 0.15f, false},  // digits
        {"bmp/suji_score.tga", 256, 64, 32, 32, 64, 64, 0.3f, false},  // score mark
        {"bmp/nowloading.tga", 256, 64, 0, 0, 64, 64, 0.4f, false},
        {"bmp/gameover.tga", 512, 256, 0, 0, 360, 48, 0.1f, false},
        {"bmp/gameover.tga", 512, 256, 160, 192, 480, 240, 0.1f, false},  // credit digits
        {"bmp/pc_gage.tga", 512, 512, 0, 0, 256, 128, 0.4f, false},       // player panel
        {"bmp/pc_gage.tga", 512, 512, 0, 304, 180, 484, 0.6f, false},     // speed dial
        {"bmp/pc_gage.tga", 512, 512, 142, 208, 500, 224, 0.9f, false},   // boss bar
        {"bmp/pc_gage.tga", 512, 512, 0, 248, 320, 296, 0.15f, false},    // combo digits
        {"bmp/itemslot01.tga", 512, 512, 0, 0, 320, 320, 0.3f, false},
        {"bmp/clear_messe.tga", 512, 128, 0, 0, 512, 128, 0.1f, false},
        {"bmp/effect.bmp", 256, 256, 0, 128, 160, 160, 0.1f, true},        // sparkles
        {"bmp/effect.bmp", 256, 256, 0, 160, 256, 256, 0.1f, true},        // smoke and fire
        {"bmp/effect_shot.bmp", 256, 256, 0, 0, 256, 32, 0.1f, true},      // flames
        {"bmp/effect_shot.bmp", 256, 256, 64, 192, 256, 256, 0.2f, true},  // beam frames
        {"bmp/effect_sun.bmp", 256, 256, 0, 0, 64, 64, 0.2f, true},
        {"bmp/effect_sun.bmp", 256, 256, 0, 128, 128, 256, 0.2f, true},  // moon
        {"bmp/effect_opa.bmp", 256, 256, 0, 0, 256, 64, 0.2f, false},
        {"bmp/b_coin.tga", 256, 256, 0, 0, 240, 192, 0.2f, false},
        {"bmp/roll_efect.bmp", 256, 256, 0, 0, 256, 256, 0.05f, true},
        {"bmp/murabito.bmp", 256, 256, 0, 0, 64, 64, 0.1f, false},
        {"bmp/walk_masc.bmp", 256, 256, 0, 0, 192, 64, 0.1f, false},
        {"bmp/enemy_board.bmp", 256, 128, 0, 0, 256, 128, 0.1f, false},
        {"bmp/walk_figure.bmp", 512, 256, 0, 0, 384, 256, 0.1f, false},
        {"bmp/masc02.bmp", 256, 256, 0, 192, 64, 256, 0.1f, false},
        {"bmp/selectchr.tga", 1024, 1024, 0, 0, 1024, 344, 0.05f, false},  // small busts
        {"bmp/selectchr.tga", 1024, 1024, 0, 384, 1024, 728, 0.05f, false},
        {"bmp/fam_nomal.tga", 1024, 512, 512, 192, 864, 384, 0.6f, false},
        {"bmp/title_sel.tga", 1024, 512, 0, 0, 144, 288, 0.1f, false},
        {"bmp/selectchapter.tga", 512, 512, 288, 256, 468, 436, 0.5f, false},
        {"bmp/soundoption_menu.tga", 512, 256, 0, 192, 320, 224, 0.1f, false},
        {"bmp/result_messe2.tga", 256, 512, 0, 0, 160, 384, 0.1f, false},
        {"bmp/shop.tga", 1024, 512, 0, 0, 624, 360, 0.2f, false},
        {"bmp/ed_bg.bmp", 1024, 512, 640, 0, 736, 288, 0.1f, false},  // sprite cells
        {"bmp/ivent/ivent_face01.tga", 1024, 1024, 0, 0, 960, 960, 0.3f, false},
        {"bmp/ivent/ivent_face02.tga", 1024, 1024, 0, 0, 960, 960, 0.3f, false},
    };
    // The sub-weapon and boost icons (64 x 64) and the item icons (128 x 128), four a row.
    for (int c = 0; c < 16; ++c) {
        int x = (c % 4) * 64, y = (c / 4) * 64;
        rects.push_back({"bmp/item_mini.tga", 256, 256, x, y, x + 64, y + 64, 0.15f, false, true});
        x *= 2;
        y *= 2;
        rects.push_back({"bmp/item.tga", 512, 512, x, y, x + 128, y + 128, 0.15f, false, true});
    }
    // Each stage's picture for the stage select shows its ground down to the bottom edge
    // (black there is the renderer's clear colour: nothing drawn).
    for (int stage = 0; stage < 19; ++stage) {
        int x = stage % 3 * 160, y = stage / 3 * 120;
        rects.push_back({"bmp/pracss.bmp", 512, 1024, x, y + 112, x + 160, y + 120, 0.95f, true});
    }
    for (const Rect& r : rects) {
        SCOPED_TRACE(std::string(r.path) + " " + std::to_string(r.l) + "," + std::to_string(r.t));
        TextureHolder holder{};
        LoadTexture(TextureGroup::Common, &holder, r.path, r.width, r.height);
        ASSERT_NE(holder.texture, nullptr);
        EXPECT_GE(FilledShare(holder.texture, r.l, r.t, r.r, r.b, r.additive), r.atLeast);
        if (r.icon) {
            EXPECT_TRUE(EdgeIsClear(holder.texture, r.l, r.t, r.r, r.b));
            EXPECT_LE(BoundsShare(holder.texture, r.l, r.t, r.r, r.b), kIconBoundsShare);
        }
        ReleaseTextureGroup(TextureGroup::Common);
    }
}

// Where the drawing meets the edge of a piece, the texels across it hold nothing or what
// continues the picture: the event draws its face cells from the top of the screen, so every
// head stays inside its cell, and where the scripts stand the portraits the screen shows
// only a cell's inner w / 2 + 96 columns; the result shows only the inner 176 columns of a
// pilot's portrait; the record portraits end above the digit row; the ending's scrolling
// background samples across the picture's wrap at its left edge, where the last column
// repeats its right edge.
TEST_F(PictureTest, PiecesEndWhereTheDrawingMeetsTheirEdges) {
    struct Clear {
        const char* path;
        int w, h, l, t, r, b;
    };
    std::vector<Clear> clear = {{"bmp/selectchapter.tga", 512, 512, 0, 350, 288, 352}};
    for (int f = 0; f < 12; ++f) {
        int x = (f % 4) * 240, y = (f / 4) * 320;
        clear.push_back({"bmp/ivent/ivent_face01.tga", 1024, 1024, x, y, x + 240, y + 3});
        clear.push_back({"bmp/ivent/ivent_face01.tga", 1024, 1024, x, y, x + 2, y + 300});
        clear.push_back({"bmp/ivent/ivent_face01.tga", 1024, 1024, x + 216, y, x + 240, y + 300});
    }
    for (int f = 0; f < 9; ++f) {
        int x = (f % 3) * 320, y = (f / 3) * 320;
        clear.push_back({"bmp/ivent/ivent_face02.tga", 1024, 1024, x, y, x + 320, y + 3});
        clear.push_back({"bmp/ivent/ivent_face02.tga", 1024, 1024, x + 256, y, x + 320, y + 300});
    }
    for (int k = 0; k < 4; ++k) {
        for (int y : {0, 384})
            clear.push_back(
                {"bmp/selectchr.tga", 1024, 1024, 256 * k + 176, y, 256 * k + 256, y + 344});
    }
    for (const Clear& c : clear) {
        SCOPED_TRACE(std::string(c.path) + " " + std::to_string(c.l) + "," + std::to_string(c.t));
        TextureHolder holder{};
        LoadTexture(TextureGroup::Common, &holder, c.path, c.w, c.h);
        ASSERT_NE(holder.texture, nullptr);
        const uint32_t* px = holder.texture->LevelData(0);
        int shown = 0;
        for (int y = c.t; y < c.b; ++y)
            for (int x = c.l; x < c.r; ++x)
                shown += (px[static_cast<size_t>(y) * c.w + x] >> 24) != 0;
        EXPECT_EQ(shown, 0);
        ReleaseTextureGroup(TextureGroup::Common);
    }
    for (const char* path : {"bmp/ed_bg.bmp", "bmp/ed_bg2.bmp"}) {
        SCOPED_TRACE(path);
        TextureHolder holder{};
        LoadTexture(TextureGroup::Common, &holder, path, 1024, 512);
        ASSERT_NE(holder.texture, nullptr);
        const uint32_t* px = holder.texture->LevelData(0);
        for (size_t y = 0; y < 480; ++y) ASSERT_EQ(px[y * 1024 + 1023], px[y * 1024 + 639]) << y;
        ReleaseTextureGroup(TextureGroup::Common);
    }
}

// Pictures blended over the scene keep their background clear: the colour key on the keyed
// pictures, alpha on the TGA pictures, white on the shadow sheet (multiplied) and black on
// the additive sheets.
TEST_F(PictureTest, BackgroundsAreClearForHowEachPictureIsBlended) {
    struct Corner {
        const char* path;
        int w, h, x, y;
        uint32_t expected;  // ARGB after loading
    };
    const Corner corners[] = {
        {"bmp/pasemenu.bmp", 512, 256, 511, 0, 0x00000000u},  // colour key: transparent black
        {"bmp/chr00.bmp", 512, 512, 511, 511, 0x00000000u},
        {"bmp/masc02.bmp", 256, 256, 100, 20, 0x00000000u},
        {"bmp/fam_nomal.tga", 1024, 512, 1000, 500, 0x00000000u},
        {"bmp/shade.bmp", 256, 256, 60, 120, 0xFFFFFFFFu},    // between the craft shadows: white
        {"bmp/effect.bmp", 256, 256, 250, 100, 0xFF000000u},  // additive: black
        {"bmp/effect_shot.bmp", 256, 256, 250, 100, 0xFF000000u},
        {"bmp/system.bmp", 128, 128, 4, 4, 0xFFFFFFFFu},  // cell 0: white
    };
    for (const Corner& c : corners) {
        SCOPED_TRACE(c.path);
        TextureHolder holder{};
        LoadTexture(TextureGroup::Common, &holder, c.path, c.w, c.h);
        ASSERT_NE(holder.texture, nullptr);
        EXPECT_EQ(holder.texture->LevelData(0)[static_cast<size_t>(c.y) * c.w + c.x], c.expected);
        ReleaseTextureGroup(TextureGroup::Common);
    }
}

}  // namespace
}  // namespace vqtest
