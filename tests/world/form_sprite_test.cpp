// Form sprites on form tables written by the tests: the table layout, view directions and
// mirroring, pitch poses, the narrow form, and tables and pictures that do not fit.
#include "world/draw/form_sprite.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "engine/archive/archive.h"
#include "engine/graphics/texture_groups.h"
#include "tests/twod/twod_fixture.h"

namespace {

// A form's frames: frame number -> the cell numbers its list entries show.
using Form = std::map<int, std::vector<uint16_t>>;

void PutU16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

// The table: a u32 offset per form, then each form's block (256 unread bytes, the cell
// counts, the first entries, the cell list in frame order).
std::vector<uint8_t> BuildTable(const std::vector<Form>& forms) {
    std::vector<uint8_t> b(4 * forms.size(), 0);
    for (size_t f = 0; f < forms.size(); ++f) {
        size_t block = b.size();
        b[4 * f] = static_cast<uint8_t>(block >> 24);
        b[4 * f + 1] = static_cast<uint8_t>(block >> 16);
        PutU16(b, 4 * f + 2, static_cast<uint32_t>(block & 0xFFFF));
        b.resize(block + kFormCellListOffset, 0xEE);
        int entry = 0;
        for (const auto& [frame, cells] : forms[f]) {
            PutU16(b, block + kFormCellCountsOffset + 2 * frame,
                   static_cast<uint32_t>(cells.size()));
            PutU16(b, block + kFormFirstEntryOffset + 2 * frame, static_cast<uint32_t>(entry));
            for (uint16_t c : cells) {
                b.resize(b.size() + 2);
                PutU16(b, b.size() - 2, c);
                ++entry;
            }
        }
        // Frames the form does not list have no cells.
        for (int frame = 0; frame < kFormFrames; ++frame) {
            if (forms[f].count(frame)) continue;
            PutU16(b, block + kFormCellCountsOffset + 2 * frame, 0);
            PutU16(b, block + kFormFirstEntryOffset + 2 * frame, 0);
        }
    }
    return b;
}

class FormSpriteTest : public ::testing::Test {
protected:
    int Build(const std::vector<uint8_t>& table, int form, int frame, float angle, float pitch,
              int width = 512, int height = 512) {
        vertices_.assign(kFormSpriteCellLimit * 6, LitSpriteVertex{});
        return BuildFormSpriteVertices(table, form, frame, angle, pitch, width, height,
                                       vertices_.data());
    }
    std::vector<LitSpriteVertex> vertices_;
};

constexpr float kPi = gfx::kPi;

TEST_F(FormSpriteTest, ACellBecomesTwoTrianglesPlacedByItsNumber) {
    // Form 1, frame 32 (seen from the front, direction 0): entries 0 and 1 show cells 0 and 17.
    Form form1{{32, {0, 17}}};
    std::vector<uint8_t> table = BuildTable({Form{}, form1});
    ASSERT_EQ(Build(table, 1, 0, 0.0f, 0.0f, 512, 256), 2);

    const LitSpriteVertex* v = vertices_.data();
    // Cell 0: column 0, row 0: x -64 .. -56, y 120 .. 128; corners 0, 1, 2, 3, 0, 2.
    EXPECT_EQ(v[0].x, -56.0f);
    EXPECT_EQ(v[0].y, 128.0f);
    EXPECT_EQ(v[1].x, -56.0f);
    EXPECT_EQ(v[1].y, 120.0f);
    EXPECT_EQ(v[2].x, -64.0f);
    EXPECT_EQ(v[2].y, 120.0f);
    EXPECT_EQ(v[3].x, -64.0f);
    EXPECT_EQ(v[3].y, 128.0f);
    EXPECT_EQ(v[4].x, v[0].x);
    EXPECT_EQ(v[5].y, v[2].y);
    EXPECT_EQ(v[0].z, 0.0f);
    EXPECT_EQ(v[0].diffuse, 0xFF7F7F7Fu);
    // Normals lean outwards from the middle.
    EXPECT_FLOAT_EQ(v[2].nx, -0.5f);
    EXPECT_FLOAT_EQ(v[2].ny, 120.0f / 128.0f);
    EXPECT_EQ(v[2].nz, 1.0f);
    // Entry 0 shows texture cell 0, 0.1 texel inside its edges.
    EXPECT_FLOAT_EQ(v[0].u, 7.9f / 512.0f);
    EXPECT_FLOAT_EQ(v[0].v, 0.1f / 256.0f);
    EXPECT_FLOAT_EQ(v[2].u, 0.1f / 512.0f);
    EXPECT_FLOAT_EQ(v[2].v, 7.9f / 256.0f);
    // Cell 17: column 1, row 1; entry 1 is texture cell 1.
    EXPECT_EQ(v[6].x, -48.0f);
    EXPECT_EQ(v[6].y, 120.0f);
    EXPECT_FLOAT_EQ(v[6].u, 15.9f / 512.0f);
}

TEST_F(FormSpriteTest, TextureCellsFollowTheListRowByRow) {
    std::vector<uint16_t> cells(70, 0);
    std::vector<uint8_t> table = BuildTable({Form{{32, cells}}});
    ASSERT_EQ(Build(table, 0, 0, 0.0f, 0.0f, 256, 512), 70);
    // 32 cells a row: entry 69 is column 5 of row 2.
    const LitSpriteVertex* v = &vertices_[69 * 6];
    EXPECT_FLOAT_EQ(v[3].u, 40.1f / 256.0f);
    EXPECT_FLOAT_EQ(v[3].v, 16.1f / 512.0f);
}

TEST_F(FormSpriteTest, ViewDirectionsByAngle) {
    EXPECT_EQ(FormViewDirection(0.0f), 0);
    EXPECT_EQ(FormViewDirection(kPi / 4.0f), 1);
    EXPECT_EQ(FormViewDirection(kPi), 4);
    EXPECT_EQ(FormViewDirection(-kPi), 4);
    EXPECT_EQ(FormViewDirection(kPi / 8.0f - 0.001f), 0);
    EXPECT_EQ(FormViewDirection(kPi / 8.0f + 0.001f), 1);
    EXPECT_EQ(FormViewDirection(-kPi / 2.0f), 6);
    // Angles are brought into [-pi, pi] first, however far out they are.
    EXPECT_EQ(FormViewDirection(kPi / 4.0f + 6.0f * kPi), 1);
    EXPECT_EQ(FormViewDirection(1.0e20f), FormViewDirection(std::remainder(1.0e20f, 2.0f * kPi)));
    EXPECT_EQ(FormViewDirection(NAN), 0);
    EXPECT_EQ(FormViewDirection(INFINITY), 0);
}

TEST_F(FormSpriteTest, FrameBasesAndMirroringByDirection) {
    const int bases[8] = {32, 24, 16, 8, 0, 8, 16, 24};
    const bool mirrored[8] = {false, true, true, true, false, false, false, false};
    for (int d = 0; d < 8; ++d) {
        bool m = true;
        float angle = static_cast<float>(d) * kPi / 4.0f;
        EXPECT_EQ(FormSpriteFrame(2, 3, angle, 0.0f, &m), bases[d] + 3) << d;
        EXPECT_EQ(m, mirrored[d]) << d;
    }
}

TEST_F(FormSpriteTest, MirroringMovesTheCellsButKeepsTheirPicture) {
    Form form{{24, {0}}, {32, {0}}};
    std::vector<uint8_t> table = BuildTable({form});
    PutU16(table, 4 + kFormFirstEntryOffset + 2 * 32, 0);  // both frames show entry 0
    ASSERT_EQ(Build(table, 0, 0, 0.0f, 0.0f), 1);
    std::vector<LitSpriteVertex> plain(vertices_.begin(), vertices_.begin() + 6);
    ASSERT_EQ(Build(table, 0, 0, kPi / 4.0f, 0.0f), 1);  // direction 1: frame 24 mirrored
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(vertices_[k].x, -plain[k].x) << k;
        EXPECT_EQ(vertices_[k].y, plain[k].y);
        EXPECT_EQ(vertices_[k].u, plain[k].u);
        EXPECT_EQ(vertices_[k].nx, -plain[k].nx);
    }
}

TEST_F(FormSpriteTest, FormZeroSeenFromTheFrontHalfShowsPitchPoses) {
    bool m = false;
    for (float angle : {3.0f * kPi / 4.0f, kPi, -3.0f * kPi / 4.0f}) {
        EXPECT_EQ(FormSpriteFrame(0, 1, angle, 0.2f, &m), 43);
        EXPECT_FALSE(m);  // not mirrored, even from direction 3
    }
    EXPECT_EQ(FormSpriteFrame(0, 1, 0.0f, 0.2f, &m), 33);  // direction 0 keeps its frame
    EXPECT_EQ(FormSpriteFrame(1, 1, kPi, 0.2f, &m), 1);    // other forms have no poses
    EXPECT_EQ(FormSpriteFrame(0, 1, kPi, 0.5f, &m), 45);
    EXPECT_EQ(FormSpriteFrame(0, 1, kPi, 0.4f, &m), 44);
    EXPECT_EQ(FormSpriteFrame(0, 1, kPi, -0.2f, &m), 40);
    EXPECT_EQ(FormSpriteFrame(0, 1, kPi, -0.4f, &m), 41);
    EXPECT_EQ(FormSpriteFrame(0, 1, kPi, -0.5f, &m), 42);
    EXPECT_EQ(FormSpriteFrame(0, 1, kPi, 0.15707964f, &m), 1);  // strict thresholds
    // A pitch that changes nothing keeps direction 3's mirroring.
    EXPECT_EQ(FormSpriteFrame(0, 1, 3.0f * kPi / 4.0f, 0.0f, &m), 9);
    EXPECT_TRUE(m);
}

TEST_F(FormSpriteTest, FormFourIsHalfAsWide) {
    std::vector<uint8_t> table = BuildTable({{}, {}, {}, {}, Form{{32, {0, 7, 8}}}});
    ASSERT_EQ(Build(table, 4, 0, 0.0f, 0.0f), 3);
    EXPECT_EQ(vertices_[2].x, -32.0f);   // cell 0's left edge
    EXPECT_EQ(vertices_[6].x, 32.0f);    // cell 7's right edge
    EXPECT_EQ(vertices_[12].y, 120.0f);  // cell 8 starts the second row
    EXPECT_EQ(vertices_[14].x, -32.0f);
}

TEST_F(FormSpriteTest, FramesWithoutCellsOrOutsideTheTableDrawNothing) {
    std::vector<uint8_t> table = BuildTable({Form{{32, {0}}}});
    EXPECT_EQ(Build(table, 0, 1, 0.0f, 0.0f), 0);    // frame 33 has no cells
    EXPECT_EQ(Build(table, 1, 0, 0.0f, 0.0f), 0);    // no such form
    EXPECT_EQ(Build(table, -1, 0, 0.0f, 0.0f), 0);   // nor this one
    EXPECT_EQ(Build(table, 0, 300, 0.0f, 0.0f), 0);  // frame 332: beyond the 256 frames
    EXPECT_EQ(Build({}, 0, 0, 0.0f, 0.0f), 0);

    // A form offset that points past the end of the table.
    std::vector<uint8_t> bad = table;
    bad[0] = 0x7F;
    EXPECT_EQ(Build(bad, 0, 0, 0.0f, 0.0f), 0);
    // A table cut inside the frame counts.
    std::vector<uint8_t> cut(table.begin(), table.begin() + 4 + 256 + 100);
    EXPECT_EQ(Build(cut, 0, 0, 0.0f, 0.0f), 0);
}

TEST_F(FormSpriteTest, CellListsAreClippedToTheTableAndTheLimit) {
    std::vector<uint8_t> table = BuildTable({Form{{32, {1, 2, 3, 4}}}});
    table.resize(table.size() - 3);  // the last entry and half the one before are gone
    EXPECT_EQ(Build(table, 0, 0, 0.0f, 0.0f), 2);

    // A first entry far beyond the list.
    table = BuildTable({Form{{32, {1, 2}}}});
    PutU16(table, 4 + kFormFirstEntryOffset + 64, 0xFFFF);
    EXPECT_EQ(Build(table, 0, 0, 0.0f, 0.0f), 0);

    // More cells than the work buffer holds.
    table = BuildTable({Form{{32, std::vector<uint16_t>(kFormSpriteCellLimit + 100, 5)}}});
    EXPECT_EQ(Build(table, 0, 0, 0.0f, 0.0f), kFormSpriteCellLimit);
}

TEST_F(FormSpriteTest, AFormWithoutAPictureIsUntextured) {
    std::vector<uint8_t> table = BuildTable({Form{{32, {3}}}});
    for (int width : {0, 4}) {
        ASSERT_EQ(Build(table, 0, 0, 0.0f, 0.0f, width, 0), 1);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(vertices_[k].u, 0.0f);
            EXPECT_EQ(vertices_[k].v, 0.0f);
        }
    }
}

// DrawFormSprite on the recording device, with the table in the archive's place.
class FormSpriteDrawTest : public vqtest::TwoDTest {
protected:
    void SetUp() override {
        TwoDTest::SetUp();
        saved_ = gDataArchive.formTable;
        savedHolder_ = gFormTextures[0];
        table_ = BuildTable({Form{{32, {0, 1, 2}}, {40, {}}}});
        gDataArchive.formTable.data = table_.data();
        gDataArchive.formTable.size = table_.size();
    }
    void TearDown() override {
        gDataArchive.formTable = saved_;
        if (gFormTextures[0].texture) gFormTextures[0].texture->Release();
        gFormTextures[0] = savedHolder_;
        TwoDTest::TearDown();
    }
    ArchiveFile saved_;
    TextureHolder savedHolder_;
    std::vector<uint8_t> table_;
};

TEST_F(FormSpriteDrawTest, OneTriangleListWithTheWorldAndThePicture) {
    gfx::Texture* texture = nullptr;
    ASSERT_EQ(device_->CreateTexture(512, 512, 1, gfx::Format::A8R8G8B8, &texture),
              gfx::Result::Ok);
    gFormTextures[0] = TextureHolder{texture, 512, 512, TextureGroup::Common};
    gfx::Mat4 world = gfx::Translation(1.0f, 2.0f, 3.0f);
    DrawFormSprite(0, 0, world, 0.0f, 0.0f);
    ASSERT_EQ(Draws().size(), 1u);
    const gfx::DrawRecord& d = Draws()[0];
    EXPECT_EQ(d.primitive, gfx::PT_TRIANGLELIST);
    EXPECT_EQ(d.primitiveCount, 6u);
    EXPECT_EQ(d.vertexStride, 36u);
    EXPECT_EQ(d.texture0, texture);
    gfx::Mat4 set;
    device_->GetTransform(gfx::TS_WORLD, &set);
    EXPECT_EQ(set.m[3][2], 3.0f);

    // A frame without cells sets the world and the picture but draws nothing.
    DrawFormSprite(0, 8, world, 0.0f, 0.0f);
    EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(FormSpriteDrawTest, AFormWithoutAPictureDrawsUntextured) {
    gFormTextures[0] = TextureHolder{nullptr, 512, 512, TextureGroup::Common};
    DrawFormSprite(0, 0, gfx::Identity(), 0.0f, 0.0f);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].texture0, nullptr);
    DrawFormSprite(7, 0, gfx::Identity(), 0.0f, 0.0f);  // no picture slot, no form: nothing
    EXPECT_EQ(Draws().size(), 1u);
}

}  // namespace
