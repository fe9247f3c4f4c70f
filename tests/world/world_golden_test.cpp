// Golden images of the world frame on gl33: a stage of placed meshes under a sky with fog,
// a tiled floor seen from the rail, and form sprites seen from two directions.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <vector>

#include "engine/archive/archive.h"
#include "engine/graphics/texture_groups.h"
#include "tests/support/golden.h"
#include "tests/world/world_fixture.h"
#include "world/draw/form_sprite.h"
#include "world/draw/world_draw.h"

namespace {

// A checker of two colours, cells of `cell` texels.
std::vector<uint32_t> Checker(uint32_t size, uint32_t cell, uint32_t a, uint32_t b) {
    std::vector<uint32_t> t(size * size);
    for (uint32_t y = 0; y < size; ++y) {
        for (uint32_t x = 0; x < size; ++x) t[y * size + x] = ((x / cell + y / cell) % 2) ? a : b;
    }
    return t;
}

// Top to bottom from one colour to another.
std::vector<uint32_t> Gradient(uint32_t size, uint32_t top, uint32_t bottom) {
    std::vector<uint32_t> t(size * size);
    for (uint32_t y = 0; y < size; ++y) {
        uint32_t c = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8) {
            int from = static_cast<int>(top >> shift & 0xFF);
            int to = static_cast<int>(bottom >> shift & 0xFF);
            c |= static_cast<uint32_t>(from + (to - from) * static_cast<int>(y) /
                                                  static_cast<int>(size - 1))
                 << shift;
        }
        for (uint32_t x = 0; x < size; ++x) t[y * size + x] = c;
    }
    return t;
}

class WorldGolden : public vqtest::GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        gPlatform.device = device();
        std::memset(&stage_, 0, sizeof stage_);
        stage_.farClip = 59000;
        gCurrentStage = &stage_;
        gGameState = GameState{};
        gGraphics.fieldOfView = 45.0f;
        gRailPosition = 0.0f;
        ResetSharedTextures();
        for (CollisionSegment& s : gCollisionSegments) s.count = 0;
    }
    void TearDown() override {
        for (StaticMesh& m : gStageMeshes) ReleaseMesh(&m);
        ResetSharedTextures();  // the textures are the fixture's
        gCurrentStage = nullptr;
        gPlatform.device = nullptr;
        GlDeviceTest::TearDown();
    }
    void Share(int index, gfx::Texture* texture) {
        gSharedMeshTextures.textures[index] = texture;
        if (gSharedMeshTextures.count <= index) gSharedMeshTextures.count = index + 1;
    }
    void LookFrom(gfx::Vec3 eye, gfx::Vec3 target) {
        gGraphics.eye = eye;
        gGraphics.view = gfx::LookAtRH(eye, target, gfx::Vec3{0.0f, 1.0f, 0.0f});
        device()->SetTransform(gfx::TS_VIEW, gGraphics.view);
    }

    StageInfo stage_;
};

// Quads facing the viewer once mirrored in x.
void Ground(vqtest::MeshBuilder& b, int subset, float x0, float x1, float z0, float z1, float y,
            float repeat, uint32_t color = 0xFFFFFFFFu) {
    b.Quad(subset, {x0, y, z0}, {x0, y, z1}, {x1, y, z1}, {x1, y, z0}, color, repeat);
}

TEST_F(WorldGolden, PlacedMeshesUnderASkyWithFog) {
    Share(0, MakeTexture(64, 64, Checker(64, 8, 0xFF3C8C3Cu, 0xFF70B050u)));
    Share(1, MakeTexture(64, 64, Checker(64, 16, 0xFF8C6C4Cu, 0xFFB09070u)));
    Share(2, MakeTexture(64, 64, Gradient(64, 0xFF2040A0u, 0xFFB0D0F0u)));

    stage_.mapType = 2;
    stage_.mapCount = 2;
    stage_.hasBackground = 1;
    vqtest::SetFog(&stage_, 300.0f, 1500.0f, 200, 210, 230);
    stage_.drawCode = 1;
    stage_.scroll = 10.0f;

    {  // a long field and a raised block of rock beside it, on a second segment
        vqtest::MeshBuilder b;
        Ground(b, 0, -300.0f, 300.0f, -200.0f, 2000.0f, 0.0f, 12.0f);
        b.Build(device(), &gStageMeshes[0], {0});
    }
    {
        vqtest::MeshBuilder b;
        Ground(b, 0, 0.0f, 120.0f, 0.0f, 200.0f, 40.0f, 2.0f);
        b.Quad(0, {0, 0, 0}, {0, 40, 0}, {120, 40, 0}, {120, 0, 0}, 0xFFC0C0C0u, 2.0f);
        b.Build(device(), &gStageMeshes[1], {1});
    }
    gGameState.segmentOffset[1][0] = 150.0f;
    gGameState.segmentOffset[1][2] = 300.0f;
    {  // the sky: walls and a ceiling around the rail point, seen from inside
        vqtest::MeshBuilder b;
        b.SkyBox(0, 3000.0f, 1500.0f);
        b.Build(device(), &BackgroundMesh(), {2});
    }

    LookFrom({0.0f, 120.0f, -150.0f}, {0.0f, 20.0f, 400.0f});
    BeginFrame(0xFF000000u);
    DrawGameWorld();
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "world/placed_stage_sky_fog"));
}

TEST_F(WorldGolden, ATiledFloorFollowsTheRail) {
    Share(0, MakeTexture(64, 64, Checker(64, 16, 0xFF404890u, 0xFFA0A8E0u)));
    vqtest::SetTiledFloor(&stage_, 400.0f, 5, 6, -20.0f);
    gRailPosition = 130.0f;  // the rail point at z 1300: the tiles start at 1200
    {
        vqtest::MeshBuilder b;
        Ground(b, 0, -190.0f, 190.0f, 10.0f, 390.0f, 0.0f, 1.0f);
        b.Build(device(), &gStageMeshes[0], {0});
    }
    LookFrom({0.0f, 200.0f, 1200.0f}, {0.0f, 0.0f, 1800.0f});
    BeginFrame(0xFF101018u);
    DrawGameWorld();
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "world/tiled_floor"));
}

// A form table with one form: frame 32 (front) and frame 24 (seen from the side, drawn
// mirrored) made of cells picked out of a 16 x 16 grid.
std::vector<uint8_t> SpriteTable() {
    std::map<int, std::vector<uint16_t>> frames;
    for (uint16_t row = 2; row < 16; ++row) {
        for (uint16_t column = 4; column < 12; ++column) {
            // A body of rows 2..15 with a head: the side view leans to one side.
            if (row < 6 && (column < 6 || column > 9)) continue;
            frames[32].push_back(static_cast<uint16_t>(row * 16 + column));
            if (column < 10)
                frames[24].push_back(static_cast<uint16_t>(row * 16 + column + 2 * (row < 6)));
        }
    }
    std::vector<uint8_t> b(4, 0);
    b[3] = 4;
    b.resize(4 + kFormCellListOffset, 0);
    int entry = 0;
    for (const auto& [frame, cells] : frames) {
        b[4 + kFormCellCountsOffset + 2 * frame] = static_cast<uint8_t>(cells.size() >> 8);
        b[4 + kFormCellCountsOffset + 2 * frame + 1] = static_cast<uint8_t>(cells.size());
        b[4 + kFormFirstEntryOffset + 2 * frame] = static_cast<uint8_t>(entry >> 8);
        b[4 + kFormFirstEntryOffset + 2 * frame + 1] = static_cast<uint8_t>(entry);
        for (uint16_t c : cells) {
            b.push_back(static_cast<uint8_t>(c >> 8));
            b.push_back(static_cast<uint8_t>(c));
            ++entry;
        }
    }
    return b;
}

TEST_F(WorldGolden, FormSpritesFromTwoDirections) {
    std::vector<uint8_t> table = SpriteTable();
    ArchiveFile saved = gDataArchive.formTable;
    TextureHolder savedHolder = gFormTextures[0];
    gDataArchive.formTable.data = table.data();
    gDataArchive.formTable.size = table.size();
    // Each 8 x 8 cell of the picture has its own colour, so a flipped picture shows.
    std::vector<uint32_t> texels(256 * 256);
    for (uint32_t y = 0; y < 256; ++y) {
        for (uint32_t x = 0; x < 256; ++x) {
            uint32_t n = (y / 8) * 32 + x / 8;
            texels[y * 256 + x] = 0xFF000000u | (n * 37 % 200 + 55) << 16 |
                                  (n * 91 % 200 + 55) << 8 |
                                  ((x % 8 == 0 || y % 8 == 0) ? 40u : 230u);
        }
    }
    gFormTextures[0] = TextureHolder{MakeTexture(256, 256, texels), 256, 256, TextureGroup::Common};

    gfx::Device* d = device();
    LookFrom({0.0f, 3.0f, -12.0f}, {0.0f, 3.0f, 0.0f});
    d->SetTransform(gfx::TS_PROJECTION,
                    gfx::PerspectiveFovRH(0.7853982f, 1.3333334f, 1.0f, 1000.0f));
    BeginFrame(0xFF303040u);
    d->SetRenderState(gfx::RS_LIGHTING, gfx::kFalse);
    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::kTrue);
    d->SetVertexShader(kLitSpriteFvf);
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_POINT);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_POINT);
    gfx::Mat4 scale = gfx::Scaling(0.05f, 0.05f, 0.05f);
    DrawFormSprite(0, 0, gfx::Multiply(scale, gfx::Translation(-4.0f, 0.0f, 0.0f)), 0.0f, 0.0f);
    DrawFormSprite(0, 0, gfx::Multiply(scale, gfx::Translation(4.0f, 0.0f, 0.0f)), gfx::kPi / 4.0f,
                   0.0f);
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "world/form_sprites_two_directions"));

    gFormTextures[0] = savedHolder;
    gDataArchive.formTable = saved;
}

}  // namespace
