// The world frame on the recording device: colour operations, fog, projection, the sky, the
// grouping by shared texture, placed meshes with their offsets and view area, floor tiles.
#include "world/draw/world_draw.h"

#include <gtest/gtest.h>

#include <climits>

#include "tests/world/world_fixture.h"

namespace {

class WorldDrawTest : public vqtest::WorldTest {
protected:
    // A mesh of one quad per subset in a stage slot.
    void MeshIn(StaticMesh* record, const std::vector<int32_t>& textures) {
        vqtest::MeshBuilder b;
        for (size_t j = 0; j < textures.size(); ++j) {
            b.Quad(static_cast<int>(j), {0, 0, 0}, {0, 0, 10}, {10, 0, 10}, {10, 0, 0});
        }
        b.Build(device_, record, textures);
    }
    uint32_t ColorOp() const { return device_->GetTextureStageState(0, gfx::TSS_COLOROP); }
    const std::vector<vqtest::WorldDraw>& Draws() const { return device_->draws; }
};

void ExpectPlacedAt(const gfx::Mat4& world, float x, float y, float z) {
    EXPECT_EQ(world.m[0][0], -1.0f);  // every world matrix mirrors x
    EXPECT_EQ(world.m[1][1], 1.0f);
    EXPECT_FLOAT_EQ(world.m[3][0], x);
    EXPECT_FLOAT_EQ(world.m[3][1], y);
    EXPECT_FLOAT_EQ(world.m[3][2], z);
}

TEST_F(WorldDrawTest, ColourOperationsFollowTheModeRemainder) {
    const struct {
        int mode;
        uint32_t op;
    } cases[] = {
        {0, gfx::TOP_SELECTARG1},  {1, gfx::TOP_MODULATE},   {2, gfx::TOP_MODULATE2X},
        {3, gfx::TOP_ADD},         {4, gfx::TOP_ADDSIGNED},  {5, gfx::TOP_SUBTRACT},
        {6, gfx::TOP_ADDSMOOTH},   {7, gfx::TOP_SELECTARG1}, {9, gfx::TOP_MODULATE2X},
        {-7, gfx::TOP_SELECTARG1},
    };
    for (const auto& c : cases) {
        SetStageColorOp(c.mode);
        EXPECT_EQ(ColorOp(), c.op) << c.mode;
    }
    // A negative remainder sets nothing.
    SetStageColorOp(3);
    SetStageColorOp(-3);
    SetStageColorOp(INT_MIN);
    EXPECT_EQ(ColorOp(), gfx::TOP_ADD);
    EXPECT_EQ(StageColorOp(-3), 0u);
}

TEST_F(WorldDrawTest, FogNeedsAStartAndMasksItsColour) {
    stage_.mapType = 2;
    stage_.mapCount = 1;
    ShareTextures({0xFFFFFFFF});
    MeshIn(&gStageMeshes[0], {0});

    stage_.fogEnd = 500.0f;  // a fog end alone leaves fog off
    DrawStageScene();
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].fog, gfx::kFalse);

    vqtest::SetFog(&stage_, 100.0f, 900.0f, 300, 0, 0);
    DrawStageScene();
    ASSERT_EQ(Draws().size(), 2u);
    const vqtest::WorldDraw& d = Draws()[1];
    EXPECT_EQ(d.fog, gfx::kTrue);
    EXPECT_EQ(d.fogColor, 0xFF2C0000u);
    EXPECT_EQ(d.fogStart, 100.0f);
    EXPECT_EQ(d.fogEnd, 900.0f);
    EXPECT_EQ(device_->GetRenderState(gfx::RS_FOGVERTEXMODE), gfx::FOG_LINEAR);
    EXPECT_EQ(device_->GetRenderState(gfx::RS_FOGTABLEMODE), gfx::FOG_NONE);

    stage_.fogColor[0] = 255, stage_.fogColor[1] = 128, stage_.fogColor[2] = 0;
    EXPECT_EQ(StageFogColor(stage_), 0xFFFF8000u);
}

TEST_F(WorldDrawTest, TheProjectionUsesTheFieldOfViewAndTheFarClip) {
    stage_.farClip = 40000;
    gGraphics.fieldOfView = 30.0f;
    DrawGameWorld();
    gfx::Mat4 expected = gfx::PerspectiveFovRH(30.0f * 0.017453292f, 1.3333334f, 1.0f, 40000.0f);
    gfx::Mat4 set;
    device_->GetTransform(gfx::TS_PROJECTION, &set);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(gGraphics.projection.m[r][c], expected.m[r][c]);
            EXPECT_EQ(set.m[r][c], expected.m[r][c]);
        }
    }
    // Without a current stage nothing is drawn.
    gCurrentStage = nullptr;
    DrawGameWorld();
    EXPECT_TRUE(Draws().empty());
}

TEST_F(WorldDrawTest, TheSkyIsCentredOnTheRailPointWithoutDepth) {
    stage_.mapType = 2;
    stage_.scroll = 10.0f;
    gRailPosition = 5.0f;
    ShareTextures({0xFF0000FF});
    MeshIn(&BackgroundMesh(), {0});

    DrawStageScene();  // no "mapbg:" line: the mesh is not drawn
    EXPECT_TRUE(Draws().empty());

    stage_.hasBackground = 1;
    DrawStageScene();
    ASSERT_EQ(Draws().size(), 1u);
    ExpectPlacedAt(Draws()[0].world, 0.0f, 0.0f, 50.0f);
    EXPECT_EQ(Draws()[0].zEnable, gfx::kFalse);
    EXPECT_EQ(Draws()[0].zWrite, gfx::kFalse);
    EXPECT_EQ(Draws()[0].fog, gfx::kFalse);
    EXPECT_EQ(device_->GetRenderState(gfx::RS_ZENABLE), gfx::kTrue);  // on for the course
}

TEST_F(WorldDrawTest, AMeshIsDrawnTextureByTextureAndUntexturedSubsetsNotAtAll) {
    ShareTextures({0xFF111111, 0xFF222222});
    StaticMesh mesh;
    MeshIn(&mesh, {1, -1, 0, 1});
    DrawMeshSetByTexture(mesh);
    ASSERT_EQ(Draws().size(), 3u);
    EXPECT_EQ(Draws()[0].subset, 2);
    EXPECT_EQ(Draws()[0].texture, gSharedMeshTextures.textures[0]);
    EXPECT_EQ(Draws()[1].subset, 0);
    EXPECT_EQ(Draws()[1].texture, gSharedMeshTextures.textures[1]);
    EXPECT_EQ(Draws()[2].subset, 3);
    EXPECT_EQ(Draws()[0].primitives, 2u);
    ReleaseMesh(&mesh);

    DrawMeshSetByTexture(StaticMesh{});  // an empty record draws nothing
    EXPECT_EQ(Draws().size(), 3u);
}

TEST_F(WorldDrawTest, PlacedMeshesGoTextureByTextureAtTheirSegmentOffsets) {
    stage_.mapType = 2;
    stage_.mapCount = 2;
    stage_.drawCode = 3;
    ShareTextures({0xFF111111, 0xFF222222});
    MeshIn(&gStageMeshes[0], {0, 1});
    MeshIn(&gStageMeshes[1], {1, 0, -1});
    gGameState.segmentOffset[1][0] = 100.0f;
    gGameState.segmentOffset[1][1] = 20.0f;
    gGameState.segmentOffset[1][2] = 300.0f;

    DrawStageScene();
    ASSERT_EQ(Draws().size(), 4u);
    const int subsets[] = {0, 1, 1, 0};  // texture 0: slot 0, slot 1; texture 1: slot 0, slot 1
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(Draws()[k].subset, subsets[k]) << k;
        EXPECT_EQ(Draws()[k].texture, gSharedMeshTextures.textures[k / 2]);
        EXPECT_EQ(Draws()[k].colorOp, gfx::TOP_ADD);
        EXPECT_EQ(Draws()[k].zEnable, gfx::kTrue);
    }
    ExpectPlacedAt(Draws()[0].world, 0.0f, 0.0f, 0.0f);
    ExpectPlacedAt(Draws()[1].world, 100.0f, 20.0f, 300.0f);

    // A stage flash doubles the brightness, then the draw code is back (the actors that
    // follow in the stage scene set their own).
    gGameState.flashCountdown = 5;
    device_->draws.clear();
    DrawStageMeshes();
    ASSERT_FALSE(Draws().empty());
    EXPECT_EQ(Draws()[0].colorOp, gfx::TOP_MODULATE2X);
    EXPECT_EQ(ColorOp(), gfx::TOP_ADD);
}

TEST_F(WorldDrawTest, TheViewAreaIsMeasuredOnTheGroundPlaneFromMirroredBoxCentres) {
    stage_.mapType = 2;
    stage_.mapCount = 2;
    stage_.mapViewArea = 5000;
    ShareTextures({0xFF111111});
    MeshIn(&gStageMeshes[0], {0});
    MeshIn(&gStageMeshes[1], {0});
    // Box centres (before mirroring): segment 0 at (4000, 5001), segment 1 at (4000, 5000).
    gCollisionSegments[0].minX = 3000.0f, gCollisionSegments[0].maxX = 5000.0f;
    gCollisionSegments[0].minZ = 4991.0f, gCollisionSegments[0].maxZ = 5011.0f;
    gCollisionSegments[1].minX = 3000.0f, gCollisionSegments[1].maxX = 5000.0f;
    gCollisionSegments[1].minZ = 4990.0f, gCollisionSegments[1].maxZ = 5010.0f;
    gGraphics.eye = gfx::Vec3{-4000.0f, 90000.0f, 0.0f};  // the height plays no part

    DrawStageScene();
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].world.m[3][0], 0.0f);
    EXPECT_FALSE(IsBeyondViewArea(gCollisionSegments[1], gGraphics.eye, 5000));
    EXPECT_TRUE(IsBeyondViewArea(gCollisionSegments[0], gGraphics.eye, 5000));
    // Measured from the mirrored centre: an eye at +4000 is 8000 away.
    EXPECT_TRUE(IsBeyondViewArea(gCollisionSegments[1], gfx::Vec3{4000.0f, 0.0f, 0.0f}, 5000));

    stage_.mapViewArea = 0;  // no culling
    device_->draws.clear();
    DrawStageScene();
    EXPECT_EQ(Draws().size(), 2u);
}

TEST_F(WorldDrawTest, FloorTilesAreCentredAndFollowTheRailTileByTile) {
    vqtest::SetTiledFloor(&stage_, 1000.0f, 3, 2, -50.0f);
    gRailPosition = 250.0f;  // rail point z 2500: the first row starts at 2000
    ShareTextures({0xFF111111});
    MeshIn(&gStageMeshes[0], {0});

    DrawStageScene();
    ASSERT_EQ(Draws().size(), 6u);
    const float xs[] = {-1000.0f, 0.0f, 1000.0f};
    for (int k = 0; k < 6; ++k) {
        float z = k < 3 ? 3000.0f : 2000.0f;  // the far row first
        ExpectPlacedAt(Draws()[k].world, xs[k % 3], -50.0f, z);
    }
    EXPECT_EQ(FloorTileBase(-2500.0f, 1000.0f), -2000.0f);  // toward zero
    EXPECT_EQ(FloorTileBase(999.9f, 1000.0f), 0.0f);
    gfx::Vec3 p = FloorTilePosition(stage_, 0, 0, 0.0f);
    EXPECT_EQ(p.x, -1000.0f);
}

TEST_F(WorldDrawTest, AFloorWithoutTileDepthIsNotTiled) {
    vqtest::SetTiledFloor(&stage_, 1000.0f, 3, 2, 0.0f);
    gRailPosition = 250.0f;
    ShareTextures({0xFF111111});
    MeshIn(&gStageMeshes[0], {0});
    for (float depth : {0.0f, -1000.0f}) {
        stage_.tileDepth = depth;
        DrawStageScene();
        EXPECT_TRUE(Draws().empty());
    }
}

}  // namespace
