// The stages: the stage index, every map through the course reader and the mesh loader,
// every camera path through its reader, and the ground the crafts fly over.
#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "engine/models/static_mesh.h"
#include "engine/stagefiles/camera_path.h"
#include "engine/stagefiles/map_mesh.h"
#include "tests/data/data_fixture.h"
#include "world/stage/stage_index.h"

namespace vqtest {
namespace {

struct Triangle {
    MapVertex a, b, c;
    int32_t kind;
};

// The course triangles of a stage, read map by map through the course reader.
std::vector<std::vector<Triangle>> CourseOf(const StageInfo& s) {
    std::vector<std::vector<Triangle>> maps;
    for (int m = 0; m < s.mapCount; ++m) {
        MapMeshCounts counts{};
        EXPECT_EQ(ReadMapMesh(s.mapNames[m], &counts), MapReadResult::Read) << s.mapNames[m];
        std::vector<Triangle> tris;
        for (int t = 0; t < counts.triangles; ++t) {
            const MapTriangle& mt = gMapTriangles[t];
            tris.push_back({gMapVertices[mt.vertex[0]], gMapVertices[mt.vertex[1]],
                            gMapVertices[mt.vertex[2]], mt.kind});
        }
        maps.push_back(tris);
    }
    return maps;
}

// Distance along (0, -1, 0) from p to the first solid triangle below it, or -1.
float GroundBelow(const std::vector<std::vector<Triangle>>& maps, float x, float y, float z) {
    float best = -1;
    for (const auto& tris : maps)
        for (const Triangle& t : tris) {
            if (t.kind != 0) continue;
            float ax = t.a.x, az = t.a.z, bx = t.b.x, bz = t.b.z, cx = t.c.x, cz = t.c.z;
            float d = (bz - cz) * (ax - cx) + (cx - bx) * (az - cz);
            if (std::fabs(d) < 1e-6f) continue;
            float u = ((bz - cz) * (x - cx) + (cx - bx) * (z - cz)) / d;
            float v = ((cz - az) * (x - cx) + (ax - cx) * (z - cz)) / d;
            float w = 1 - u - v;
            if (u < 0 || v < 0 || w < 0) continue;
            float h = u * t.a.y + v * t.b.y + w * t.c.y;
            if (h > y) continue;
            if (best < 0 || y - h < best) best = y - h;
        }
    return best;
}

class CourseTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        LoadStageIndex();
    }
};

TEST_F(CourseTest, TheIndexDescribesNineteenStagesInOrder) {
    ASSERT_EQ(gGameState.stageCount, 19);
    for (int i = 0; i < 19; ++i) {
        const StageInfo& s = gStageInfo[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(s.stageNumber, i);
        EXPECT_GE(s.mapCount, 1);
        EXPECT_LE(s.mapCount + s.hasBackground, 20);
        EXPECT_EQ(s.hasBackground, 1);
        EXPECT_TRUE(Exists(s.backgroundName)) << s.backgroundName;
        for (int m = 0; m < s.mapCount; ++m) EXPECT_TRUE(Exists(s.mapNames[m])) << s.mapNames[m];
        for (int c = 0; c < s.cameraCount; ++c)
            EXPECT_TRUE(Exists(s.cameraNames[c])) << s.cameraNames[c];
        EXPECT_GT(s.fogStart, 0);
        EXPECT_GT(s.fogEnd, s.fogStart);
        EXPECT_EQ(s.drawCode, 1);
        EXPECT_GT(s.farClip, 14000);  // beyond the sky dome
    }
    // Floor stages: no camera file, a tile course; the stage-clear positions of the floor
    // stages are reached within their course.
    for (int i : {1, 3, 4, 6, 15, 17}) {
        const StageInfo& s = gStageInfo[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(s.cameraCount, 0);
        EXPECT_NE(s.mapType, 2);
        EXPECT_GT(s.tileWidth, 0);
        EXPECT_GT(s.tileDepth, 0);
        EXPECT_GE(s.tileColumns, 1);
        EXPECT_GE(s.tileRows, 1);
        EXPECT_GT(s.scroll, 0);
        EXPECT_LT(s.floorHeight, -26);
    }
    // Boss transitions switch to a second rail on stages 4-3 and 7-1.
    EXPECT_EQ(gStageInfo[11].cameraCount, 2);
    EXPECT_EQ(gStageInfo[18].cameraCount, 2);
    // The arenas turn with the crafts' steering.
    for (int i : {11, 14, 16}) EXPECT_EQ(gStageInfo[i].loopCamera, 1) << i;
    EXPECT_EQ(gStageInfo[7].moon, 1);
    EXPECT_EQ(gStageInfo[0].sun, 1);
}

TEST_F(CourseTest, EveryMapLoadsAsCourseAndAsDrawnMesh) {
    for (int i = 0; i < 19; ++i) {
        const StageInfo& s = gStageInfo[i];
        SCOPED_TRACE(i);
        ResetSharedTextures();
        for (int m = 0; m < s.mapCount; ++m) {
            MapMeshCounts counts{};
            ASSERT_EQ(ReadMapMesh(s.mapNames[m], &counts), MapReadResult::Read) << s.mapNames[m];
            EXPECT_GT(counts.triangles, 0);
            StaticMesh mesh;
            ASSERT_EQ(LoadXMesh(&mesh, s.mapNames[m], m), 1) << s.mapNames[m];
            // Every subset is drawn with a texture, except the placement marks.
            int drawn = 0;
            for (int k = 0; k < mesh.subsetCount; ++k) {
                int32_t t = mesh.textureIndices[static_cast<size_t>(k)];
                if (t < 0) continue;
                ++drawn;
                EXPECT_NE(gSharedMeshTextures.textures[t], nullptr) << gSharedMeshTextures.names[t];
            }
            EXPECT_GT(drawn, 0) << s.mapNames[m];
            ReleaseMesh(&mesh);
        }
        StaticMesh sky;
        ASSERT_EQ(LoadXMesh(&sky, s.backgroundName, -1), 1);
        EXPECT_GE(sky.textureIndices[0], 0);
        ReleaseMesh(&sky);
        EXPECT_LE(gSharedMeshTextures.count,
                  kSharedMeshTextureSlots - 6);  // room for the object meshes
        ReleaseSharedTextures();
    }
}

// The map marks place the enemies the stages' set-ups count on.
TEST_F(CourseTest, MarkedTrianglesPlaceTheStageEnemies) {
    auto kinds = [](const std::vector<std::vector<Triangle>>& maps) {
        std::vector<int> count(8, 0);
        for (const auto& tris : maps)
            for (const Triangle& t : tris) ++count[static_cast<size_t>(std::clamp(t.kind, 0, 7))];
        return count;
    };
    // 4-2: the gate's two combat cores are the boss.
    auto gate = kinds(CourseOf(gStageInfo[10]));
    EXPECT_EQ(gate[kPartBattleCore], 2);
    // 7-1: two cores, in two maps, and the wall turrets.
    auto fortressMaps = CourseOf(gStageInfo[18]);
    auto fortress = kinds(fortressMaps);
    EXPECT_EQ(fortress[kPartMobCore], 2);
    EXPECT_GE(fortress[kPartMobSmallTurret], 6);
    std::vector<size_t> coreMaps;
    for (size_t m = 0; m < fortressMaps.size(); ++m)
        for (const Triangle& t : fortressMaps[m])
            if (t.kind == kPartMobCore) coreMaps.push_back(m);
    ASSERT_EQ(coreMaps.size(), 2u);
    EXPECT_NE(coreMaps[0], coreMaps[1]);
    // Turrets stand on the hills of 1-1 and the roofs of 3-2.
    EXPECT_GT(kinds(CourseOf(gStageInfo[0]))[kPartSmallTurret], 0);
    EXPECT_GT(kinds(CourseOf(gStageInfo[7]))[kPartSmallTurret], 0);
}

// The battleship map is turned by the course reader; its own root frame turns the drawn
// mesh the same way, so collision and picture agree.
TEST_F(CourseTest, TheBattleshipCollidesWhereItIsDrawn) {
    const char* path = "xfile/bossS01/boss01.x";
    MapMeshCounts counts{};
    ASSERT_EQ(ReadMapMesh(path, &counts), MapReadResult::Read);
    float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
    for (int v = 0; v < counts.vertices; ++v) {
        const float p[3] = {gMapVertices[v].x, gMapVertices[v].y, gMapVertices[v].z};
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], p[a]);
            hi[a] = std::max(hi[a], p[a]);
        }
    }
    StaticMesh mesh;
    ASSERT_EQ(LoadXMesh(&mesh, path, 0), 1);
    // The drawn mesh's bounding sphere centre lies inside the collision's box, and the box
    // is the ship's: long along z, bow toward -z.
    for (int a = 0; a < 3; ++a) {
        const float c[3] = {mesh.centre.x, mesh.centre.y, mesh.centre.z};
        EXPECT_GE(c[a], lo[a] - 1);
        EXPECT_LE(c[a], hi[a] + 1);
    }
    EXPECT_GT(hi[2] - lo[2], hi[0] - lo[0]);
    EXPECT_LT(lo[2], -100);
    EXPECT_GT(hi[2], 200);
    ReleaseMesh(&mesh);
    ReleaseSharedTextures();
}

TEST_F(CourseTest, EveryRailHasMatchingKeyBlocksAtAnEvenPace) {
    for (int i = 0; i < 19; ++i) {
        const StageInfo& s = gStageInfo[i];
        int counts[2] = {0, 0};
        for (int c = 0; c < s.cameraCount; ++c) {
            SCOPED_TRACE(s.cameraNames[c]);
            LoadAnimationKeys(s.cameraNames[c], c);
            CameraPathCounts n = LastCameraPathCounts();
            EXPECT_EQ(n.rotation, n.camera);
            EXPECT_EQ(n.camera, n.target);
            EXPECT_LE(n.camera, kRailRotationKeys);
            EXPECT_EQ(gCameraRail.lookAt, 1);
            counts[c] = gCameraRail.keyCount[0];
            // One key is about 5 units of travel: the stages' timing counts on it.
            int uneven = 0;
            for (int k = 1; k < counts[c]; ++k) {
                const gfx::Vec3& a = gCameraRail.cameraPath[c][k - 1];
                const gfx::Vec3& b = gCameraRail.cameraPath[c][k];
                float d = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                                    (a.z - b.z) * (a.z - b.z));
                uneven += d < 3.5f || d > 6.5f;
            }
            EXPECT_LE(uneven, counts[c] / 100) << uneven << " uneven steps";
        }
        if (i == 18) {
            EXPECT_EQ(counts[0], counts[1]);  // the rail slot changes, the position stays
        }
    }
    // Stages cleared by the end of their rail keep their waves inside it (the last waves
    // of 1-1, 3-2 and 5-2 come at frames 2950, 4500 and 6500).
    const std::pair<int, int> lastWave[] = {{0, 2950}, {7, 4500}, {13, 6500}};
    for (auto [stage, frame] : lastWave) {
        LoadAnimationKeys(gStageInfo[stage].cameraNames[0], 0);
        EXPECT_GT(gCameraRail.keyCount[0] - 200, frame) << stage;
    }
}

// Along the rails of the ground courses there is ground under the crafts, and nothing
// solid in the room they fly in (60 units sideways, 26 up and down).
TEST_F(CourseTest, TheCraftsFlyAboveGroundAndInTheClear) {
    for (int i : {0, 7, 8, 9, 13}) {
        const StageInfo& s = gStageInfo[i];
        SCOPED_TRACE(i);
        auto maps = CourseOf(s);
        LoadAnimationKeys(s.cameraNames[0], 0);
        const int n = gCameraRail.keyCount[0];
        int blocked = 0, bare = 0, samples = 0;
        for (int k = 0; k < n; k += 97) {
            const gfx::Vec3& p = gCameraRail.cameraPath[0][k];
            const gfx::Vec3& q = gCameraRail.cameraPath[0][(k + 1) % n];
            float dx = q.x - p.x, dz = q.z - p.z, l = std::sqrt(dx * dx + dz * dz);
            float rx = dz / l, rz = -dx / l;
            ++samples;
            float below = GroundBelow(maps, p.x, p.y, p.z);
            bare += below < 0 || below > 200;
            for (float side : {-60.0f, 0.0f, 60.0f}) {
                float d = GroundBelow(maps, p.x + rx * side, p.y + 26, p.z + rz * side);
                blocked += d >= 0 && d < 52;  // solid between 26 above and 26 below the rail
            }
        }
        EXPECT_EQ(bare, 0) << "of " << samples;
        EXPECT_LE(blocked, samples / 20) << "of " << samples * 3;
    }
}

// On the floor stages the tile stays under the crafts' lowest flight (26 under the rail,
// which runs along x = 0 at height 0) and clear of their highest (26 above it).
TEST_F(CourseTest, FloorTilesLieUnderTheCrafts) {
    for (int i : {1, 3, 4, 6, 15, 17}) {
        const StageInfo& s = gStageInfo[i];
        SCOPED_TRACE(i);
        auto maps = CourseOf(s);
        for (float z = 0; z < s.tileDepth; z += s.tileDepth / 16)
            for (float x : {-60.0f, 0.0f, 60.0f}) {
                const float top =
                    26 - s.floorHeight;  // the highest craft, in the tile's own height
                float below = GroundBelow(maps, x, top, z);
                ASSERT_GE(below, 0) << x << "," << z;
                float ground = top - below + s.floorHeight;
                EXPECT_LT(ground, -26) << x << "," << z;
                EXPECT_GT(ground, -400) << x << "," << z;
            }
    }
}

}  // namespace
}  // namespace vqtest
