// Every stage of the data set loaded by the real engine, headless: the play scene's load
// step on the loader thread, the world drawn, the course query along the rail, the map
// placements, the view-area culling and the reload after a device reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "engine/core/game_state.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/stagefiles/camera_path.h"
#include "platform/gfx/device.h"
#include "play/waves/tables/wave_tables.h"
#include "tests/support/headless_game.h"
#include "world/course/collision.h"
#include "world/draw/world_draw.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace {

// Stages whose rail runs over a course of placed meshes, and the floor stages.
constexpr int kGroundStages[] = {0, 7, 8, 9, 13};
constexpr int kFloorStages[] = {1, 3, 4, 6, 15, 17};

class StagePlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        vqtest::HeadlessOptions options;
        options.runFolder = VQ_RUN_DIR;
        ASSERT_TRUE(vqtest::StartHeadlessGame(options));
        ASSERT_EQ(gGameState.stageCount, 19);
    }
    void TearDown() override {
        gMapPlacementSpawners = {};
        vqtest::StopHeadlessGame();
    }
    static gfx::NullDevice* Null() { return static_cast<gfx::NullDevice*>(Device3D()); }

    // Loads a stage as starting play does: the load step runs on the loader thread.
    static void Play(int stage) {
        gGameState.stage = stage;
        gGameState.scene = SceneId::Play;
        gRailPosition = 0;
        StartLoaderThread();
        vqtest::RunFrame();
    }

    // Distance down from (x, y, z) in world coordinates to the solid course, or -1.
    static float GroundBelow(const gfx::Vec3& p, float reach) {
        float t;
        if (!RaycastCourse(p.x, p.y, p.z, 0.0f, -reach, 0.0f, &t)) return -1;
        return t * reach;
    }
};

TEST_F(StagePlayTest, EveryStageLoadsItsMeshesRailAndCourseAndIsDrawn) {
    for (int i = 0; i < 19; ++i) {
        SCOPED_TRACE(i);
        Play(i);
        ASSERT_EQ(gCurrentStage, &gStageInfo[i]);
        const StageInfo& s = *gCurrentStage;
        for (int m = 0; m < StageMeshSlotCount(s); ++m) {
            EXPECT_NE(gStageMeshes[static_cast<size_t>(m)].mesh, nullptr) << s.mapNames[m];
            EXPECT_GT(gCollisionSegments[static_cast<size_t>(m)].count, 0) << s.mapNames[m];
            EXPECT_LT(gCollisionSegments[static_cast<size_t>(m)].count,
                      kCollisionPolygonsPerSegment)
                << s.mapNames[m] << " fills its segment: triangles may be cut off";
        }
        EXPECT_NE(BackgroundMesh().mesh, nullptr);
        for (int slot = 0; slot < kObjectMeshSlots; ++slot) {
            if (ObjectMeshFile(slot)) {
                EXPECT_NE(gObjectMeshes[static_cast<size_t>(slot)].mesh, nullptr) << slot;
            }
        }
        // Every shared texture the meshes name was found.
        for (int t = 0; t < gSharedMeshTextures.count; ++t)
            EXPECT_NE(gSharedMeshTextures.textures[t], nullptr) << gSharedMeshTextures.names[t];
        // The shortest rail is a loop round an arena; the rail position wraps round it.
        EXPECT_GT(gCameraRail.keyCount[0], 500);
        if (s.cameraCount == 2) {
            EXPECT_GT(gCameraRail.keyCount[1], 500);
        }

        uint32_t before = Null()->DrawCount();
        vqtest::RunFrame();
        // The sky and at least one course mesh.
        EXPECT_GE(Null()->DrawCount() - before, 2u);
        ReturnToTitle();
        EXPECT_EQ(gStageMeshes[0].mesh, nullptr);
    }
}

// A wave list that restarts when the wave frame passes the rail's key count plays to its
// end only if its last group's frame lies within that count.
TEST_F(StagePlayTest, EveryWaveListThatRestartsWithTheRailEndsWithinIt) {
    int checked = 0;
    for (int i = 0; i < 19; ++i) {
        const WaveList& list = kWaveTable[static_cast<size_t>(i)];
        if (kWaveLoopFrames[static_cast<size_t>(i)] >= 1 || list[0].spawnFrame == kWaveEnd)
            continue;
        SCOPED_TRACE(i);
        Play(i);
        int32_t last = 0;
        for (const WaveEntry& e : list) {
            if (e.spawnFrame == kWaveEnd) break;
            last = e.spawnFrame;
        }
        EXPECT_LE(last, gCameraRail.keyCount[0]);
        ++checked;
        ReturnToTitle();
    }
    EXPECT_GT(checked, 0);
}

// The crafts fly within 26 units of the rail point. Over the ground courses the game's own
// course query finds ground below the rail everywhere, and none in the crafts' room.
TEST_F(StagePlayTest, TheCourseQueryFindsGroundUnderTheRailAndRoomAroundIt) {
    for (int i : kGroundStages) {
        SCOPED_TRACE(i);
        Play(i);
        const int keys = RailKeyCount();
        ASSERT_GT(keys, 0);
        int bare = 0, cramped = 0, holes = 0, samples = 0;
        for (int k = 0; k < keys; k += 23) {
            gRailPosition = static_cast<float>(k);
            gfx::Vec3 p;
            GetRailPoint(&p, 0.0f);
            ++samples;
            float below = GroundBelow({p.x, p.y + 26, p.z}, 400);
            bare += below < 0;
            cramped += below >= 0 && below < 52;
            // Across the course too, where the segments' pieces meet, there is no hole.
            gfx::Vec3 q;
            GetRailPoint(&q, 1.0f);
            float dx = q.x - p.x, dz = q.z - p.z, l = std::sqrt(dx * dx + dz * dz);
            for (float side : {-150.0f, -75.0f, 75.0f, 150.0f})
                holes +=
                    GroundBelow({p.x + dz / l * side, p.y + 400, p.z - dx / l * side}, 1000) < 0;
        }
        EXPECT_EQ(bare, 0) << "of " << samples;
        EXPECT_EQ(holes, 0) << "of " << samples * 4;
        EXPECT_LE(cramped, samples / 25) << "of " << samples;
        ReturnToTitle();
    }
    // The floor stages loop one tile: the query finds it under the crafts far along.
    for (int i : kFloorStages) {
        SCOPED_TRACE(i);
        Play(i);
        const StageInfo& s = *gCurrentStage;
        ASSERT_TRUE(IsLoopingCourse(s));
        for (float along : {0.0f, 0.37f, 5.5f, 40.25f}) {
            gfx::Vec3 p{0, 26, along * s.tileDepth};
            float below = GroundBelow(p, 600);
            ASSERT_GE(below, 0) << along;
            EXPECT_GT(below, 52) << along;
        }
        ReturnToTitle();
    }
}

// What the map marks place, counted through the spawners the enemy pool fills in.
std::map<int, int> gPlaced;
void CountAtPoint(const gfx::Vec3&, const gfx::Vec3&, int type, int) {
    ++gPlaced[type];
}
void CountOnPolygon(const CollisionPolygon&, int type, int) {
    ++gPlaced[type];
}

TEST_F(StagePlayTest, MapMarksPlaceTheTurretsCoresAndCranksOfTheirStages) {
    gMapPlacementSpawners = {CountAtPoint, CountOnPolygon};
    // The stage's resources alone: the stage start would place the marked enemies through
    // the enemy pool's own spawners.
    auto placed = [](int stage) {
        gGameState.stage = stage;
        LoadStageResources();
        gPlaced.clear();
        SpawnMapPlacedEnemies();
        std::map<int, int> result = gPlaced;
        ReleaseStageResources();
        return result;
    };
    // 1-1: turrets on the hills.
    auto hills = placed(0);
    EXPECT_GT(hills[7], 0);
    // 3-2: turrets on the roofs.
    EXPECT_GT(placed(7)[7], 0);
    // 4-2: the gate's two combat cores and its cranks.
    auto gate = placed(10);
    EXPECT_EQ(gate[26], 2);
    // 7-1: the fortress wall's turrets and its two cores.
    auto fortress = placed(18);
    EXPECT_GE(fortress[17], 6);
    EXPECT_EQ(fortress[18], 2);
    // Placements only on the stages built for them.
    for (int i : {2, 5, 11, 12, 14, 16}) EXPECT_TRUE(placed(i).empty()) << i;
}

// 3-2 culls its placed meshes beyond its view area: none that the fog lets the player see
// from the rail may be culled.
TEST_F(StagePlayTest, TheViewAreaKeepsEveryVisibleBlockOfTheCity) {
    Play(7);
    const StageInfo& s = *gCurrentStage;
    ASSERT_GT(s.mapViewArea, 0);
    const int keys = RailKeyCount();
    int culledInSight = 0;
    for (int k = 0; k < keys; k += 97) {
        gRailPosition = static_cast<float>(k);
        gfx::Vec3 eye;
        GetRailPoint(&eye, 0.0f);
        for (int m = 0; m < StageMeshSlotCount(s); ++m) {
            const CollisionSegment& seg = gCollisionSegments[static_cast<size_t>(m)];
            if (!IsBeyondViewArea(seg, eye, s.mapViewArea)) continue;
            bool inSight = false;
            for (int p = 0; p < seg.count && !inSight; ++p)
                for (int v = 0; v < 3; ++v) {
                    float dx = -seg.polygons[p].vx[v] - eye.x;
                    float dz = seg.polygons[p].vz[v] - eye.z;
                    inSight = inSight || std::sqrt(dx * dx + dz * dz) < s.fogEnd;
                }
            culledInSight += inSight;
        }
    }
    EXPECT_EQ(culledInSight, 0);
}

// After a device reset in play the stage comes back whole, with the same textures.
TEST_F(StagePlayTest, TheFortressComesBackWholeAfterADeviceReset) {
    Play(18);
    const int textures = gSharedMeshTextures.count;
    const int keys = gCameraRail.keyCount[1];
    ASSERT_GT(textures, 0);
    Device3D()->SimulateDeviceLoss();
    vqtest::RunFrame();
    vqtest::RunFrame();
    EXPECT_EQ(gSharedMeshTextures.count, textures);
    for (int m = 0; m < StageMeshSlotCount(*gCurrentStage); ++m)
        EXPECT_NE(gStageMeshes[static_cast<size_t>(m)].mesh, nullptr);
    EXPECT_EQ(gCameraRail.keyCount[1], keys);
    uint32_t before = Null()->DrawCount();
    vqtest::RunFrame();
    EXPECT_GE(Null()->DrawCount() - before, 2u);
}

}  // namespace
