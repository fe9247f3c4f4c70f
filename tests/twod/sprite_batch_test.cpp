// The sprite batch: quad geometry and texture coordinates, the screen shake, flushing,
// the batch's capacity and the score digits.
#include "engine/graphics/texture_groups.h"
#include "tests/twod/twod_fixture.h"

namespace vqtest {
namespace {

using SpriteBatchTest = TwoDTest;

TextureHolder Holder(int32_t w, int32_t h) {
    return TextureHolder{nullptr, w, h, TextureGroup::None};
}

TEST_F(SpriteBatchTest, AQuadIsSnappedAndItsFarTexelEdgesPulledIn) {
    TextureHolder holder = Holder(64, 64);
    SpriteRect dest{10.7f, 20.2f, 32.0f, 32.0f};
    AddSpriteQuad(dest, TexelRect{0, 0, 32, 32}, holder, 0x80FF0000u);
    ASSERT_EQ(gSpriteBatch.count, 6);
    const auto& v = gSpriteBatch.vertices;
    // Bottom right, bottom left, top right, bottom left, top left, top right.
    const float expected[6][4] = {
        {42, 52, 0.4921875f, 0.4921875f}, {10, 52, 0, 0.4921875f}, {42, 20, 0.4921875f, 0},
        {10, 52, 0, 0.4921875f},          {10, 20, 0, 0},          {42, 20, 0.4921875f, 0}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].x, expected[i][0]) << i;
        EXPECT_EQ(v[i].y, expected[i][1]) << i;
        EXPECT_EQ(v[i].u, expected[i][2]) << i;
        EXPECT_EQ(v[i].v, expected[i][3]) << i;
        EXPECT_EQ(v[i].diffuse, 0x80FF0000u);
        EXPECT_EQ(v[i].z, 0.0f);
        EXPECT_EQ(v[i].rhw, 1.0f);
        EXPECT_EQ(v[i].specular, 0u);
    }
    // The caller's rectangle now holds the snapped position.
    EXPECT_EQ(dest.x, 10.0f);
    EXPECT_EQ(dest.y, 20.0f);
    EXPECT_EQ(dest.width, 32.0f);
}

TEST_F(SpriteBatchTest, TheScreenShakeMovesEveryQuad) {
    gGameState.shake.offset[0] = 3;
    gGameState.shake.offset[1] = -2;
    AddSpriteQuad(SpriteRect{10.7f, 20.2f, 32.0f, 32.0f}, TexelRect{0, 0, 32, 32}, Holder(64, 64),
                  0xFFFFFFFFu);
    EXPECT_EQ(gSpriteBatch.vertices[4].x, 13.0f);
    EXPECT_EQ(gSpriteBatch.vertices[4].y, 18.0f);
    // Snapping truncates toward zero, also for negative positions.
    gGameState.shake.offset[0] = gGameState.shake.offset[1] = 0;
    AddSpriteQuad(SpriteRect{-5.5f, -0.5f, 4.0f, 4.0f}, TexelRect{0, 0, 4, 4}, Holder(4, 4),
                  0xFFFFFFFFu);
    EXPECT_EQ(gSpriteBatch.vertices[10].x, -5.0f);
    EXPECT_EQ(gSpriteBatch.vertices[10].y, 0.0f);
}

TEST_F(SpriteBatchTest, AReversedSourceMirrorsThePicture) {
    AddSpriteQuad(SpriteRect{0, 0, 16, 16}, TexelRect{16, 0, 0, 16}, Holder(16, 16), 0xFFFFFFFFu);
    const auto& v = gSpriteBatch.vertices;
    EXPECT_EQ(v[4].u, 1.0f);           // top left shows the right edge
    EXPECT_EQ(v[0].u, -0.5f / 16.0f);  // bottom right: the given right value, pulled in
    // A holder without a size still gives finite coordinates.
    AddSpriteQuad(SpriteRect{0, 0, 16, 16}, TexelRect{0, 0, 1, 1}, Holder(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(v[6].u, 0.5f);
}

TEST_F(SpriteBatchTest, FlushDrawsOneTriangleListAndEmptiesTheBatch) {
    FlushSprites();
    EXPECT_TRUE(Draws().empty());
    TextureHolder holder = Holder(32, 32);
    AddSpriteQuad(SpriteRect{0, 0, 8, 8}, TexelRect{0, 0, 8, 8}, holder, 0xFFFFFFFFu);
    AddSpriteQuad(SpriteRect{8, 0, 8, 8}, TexelRect{0, 0, 8, 8}, holder, 0xFFFFFFFFu);
    FlushSprites();
    ASSERT_EQ(Draws().size(), 1u);
    const gfx::DrawRecord& d = Draws()[0];
    EXPECT_EQ(d.primitive, gfx::PT_TRIANGLELIST);
    EXPECT_EQ(d.primitiveCount, 4u);
    EXPECT_EQ(d.vertexShader, 0x1C4u);
    EXPECT_EQ(d.vertexStride, 32u);
    EXPECT_EQ(gSpriteBatch.count, 0);
    FlushSprites();
    EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(SpriteBatchTest, AFullBatchIsDrawnBeforeTheNextQuad) {
    TextureHolder holder = Holder(32, 32);
    for (int i = 0; i < kSpriteBatchVertices / 6; ++i) {
        AddSpriteQuad(SpriteRect{static_cast<float>(i % 640), 0, 1, 1}, TexelRect{0, 0, 1, 1},
                      holder, 0xFFFFFFFFu);
    }
    EXPECT_EQ(gSpriteBatch.count, kSpriteBatchVertices);
    EXPECT_TRUE(Draws().empty());
    AddSpriteQuad(SpriteRect{5, 7, 1, 1}, TexelRect{0, 0, 1, 1}, holder, 0xFF00FF00u);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].primitiveCount, static_cast<uint32_t>(kSpriteBatchVertices / 3));
    EXPECT_EQ(gSpriteBatch.count, 6);
    EXPECT_EQ(gSpriteBatch.vertices[4].x, 5.0f);
    EXPECT_EQ(gSpriteBatch.vertices[4].diffuse, 0xFF00FF00u);
}

TEST_F(SpriteBatchTest, ResetWritesTheFixedFieldsOfEveryVertex) {
    for (SpriteVertex& v : gSpriteBatch.vertices) v = SpriteVertex{1, 2, 3, 4, 5, 6, 7, 8};
    ResetSpriteVertices();
    for (const SpriteVertex& v : gSpriteBatch.vertices) {
        ASSERT_EQ(v.z, 0.0f);
        ASSERT_EQ(v.rhw, 1.0f);
        ASSERT_EQ(v.specular, 0u);
    }
    EXPECT_EQ(gSpriteBatch.vertices[0].x, 1.0f);
}

TEST_F(SpriteBatchTest, BeginTwoDDrawingSetsBlendingAndPointFiltering) {
    device_->SetRenderState(gfx::RS_FOGENABLE, gfx::kTrue);
    Begin2DDrawing();
    const gfx::DeviceState& s = device_->State();
    EXPECT_EQ(s.renderStates[gfx::RS_FOGENABLE], gfx::kFalse);
    EXPECT_EQ(s.renderStates[gfx::RS_ALPHABLENDENABLE], gfx::kTrue);
    EXPECT_EQ(s.renderStates[gfx::RS_SRCBLEND], gfx::BLEND_SRCALPHA);
    EXPECT_EQ(s.renderStates[gfx::RS_DESTBLEND], gfx::BLEND_INVSRCALPHA);
    EXPECT_EQ(s.stageStates[0][gfx::TSS_ALPHAOP], gfx::TOP_MODULATE);
    EXPECT_EQ(s.stageStates[0][gfx::TSS_MAGFILTER], gfx::TEXF_POINT);
    EXPECT_EQ(s.vertexShader, 0x142u);
}

// The cells DrawNumber drew: destination left, top and the digit (-1 for the separator).
std::vector<std::pair<float, int>> NumberCells(const gfx::DrawRecord& d) {
    std::vector<std::pair<float, int>> cells;
    std::vector<SpriteVertex> v(d.vertices.size() / sizeof(SpriteVertex));
    std::memcpy(v.data(), d.vertices.data(), v.size() * sizeof(SpriteVertex));
    for (size_t i = 0; i + 6 <= v.size(); i += 6) {
        int digit = v[i + 4].v > 0.4f ? -1 : static_cast<int>(v[i + 4].u * 256.0f / 24.0f + 0.5f);
        cells.emplace_back(v[i + 4].x, digit);
    }
    return cells;
}

TEST_F(SpriteBatchTest, NumbersAreDrawnRightAlignedWithSeparators) {
    gCommonTextures.scoreDigits = Holder(256, 64);
    DrawNumber(300, 10, 0, 0, 0xFFFFFFFFu);
    DrawNumber(300, 10, 999, 0, 0xFFFFFFFFu);
    DrawNumber(300, 10, 1000, 0, 0xFFFFFFFFu);
    DrawNumber(300, 10, 1234567, 0, 0xFFFFFFFFu);
    ASSERT_EQ(Draws().size(), 4u);
    using Cells = std::vector<std::pair<float, int>>;
    EXPECT_EQ(NumberCells(Draws()[0]), (Cells{{300, 0}}));
    EXPECT_EQ(NumberCells(Draws()[1]), (Cells{{300, 9}, {282, 9}, {264, 9}}));
    // The separator stands 10 pixels left of the digit before it; the next digit 22.
    EXPECT_EQ(NumberCells(Draws()[2]), (Cells{{300, 0}, {282, 0}, {264, 0}, {254, -1}, {242, 1}}));
    Cells seven = NumberCells(Draws()[3]);
    ASSERT_EQ(seven.size(), 9u);
    EXPECT_EQ(seven[3].second, -1);
    EXPECT_EQ(seven[7].second, -1);
    EXPECT_EQ(seven[8], (std::pair<float, int>{184, 1}));
    // The separator cell sits 4 pixels lower.
    std::vector<SpriteVertex> v = Vertices(Draws()[2]);
    EXPECT_EQ(v[3 * 6 + 4].y, 14.0f);
}

TEST_F(SpriteBatchTest, ANegativeNumberDrawsOnlyItsDigits) {
    gCommonTextures.scoreDigits = Holder(256, 64);
    DrawNumber(300, 10, -42, 0, 0xFFFFFFFFu);
    ASSERT_EQ(Draws().size(), 1u);
    using Cells = std::vector<std::pair<float, int>>;
    EXPECT_EQ(NumberCells(Draws()[0]), (Cells{{300, 2}, {282, 4}}));
}

}  // namespace
}  // namespace vqtest
