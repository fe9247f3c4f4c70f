// A stage's resources from files written by the tests: meshes and collision, the background,
// camera paths and key counts, the enemy models by their flags, and the releases.
#include "world/stage/stage_resources.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/graphics/texture_groups.h"
#include "engine/stagefiles/camera_path.h"
#include "tests/models/model_fixture.h"
#include "tests/world/stage_files.h"
#include "world/course/collision.h"

namespace {

using vqtest::CameraFile;
using vqtest::CameraKeys;
using vqtest::MapFile;
using vqtest::MapSquare;

class StageResourcesTest : public vqtest::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        std::memset(&gStageInfo[4], 0, sizeof(StageInfo));
        stage_ = &gStageInfo[4];
        stage_->stageNumber = 4;
        stage_->mapType = 2;
        gGameState.stage = 4;
        gStageEnemyModelMarkers = {};
        for (SkinnedModel& m : gEnemyModels) InitModelDevice(&m, 0, device_);
        WriteTexture("xfile/st/ground.bmp");
        WriteTexture("xfile/st/rock.bmp");
        Write("xfile/st/map0.x", MapFile({{0, 100, 0, 50, 0}}));
        Write("xfile/st/map1.x",
              MapFile({{0, 50, 0, 50, 10}, {0, 50, 60, 90, 20, "rock", "rock.bmp"}}));
        Write("xfile/st/sky.x", MapFile({{-500, 500, -500, 500, 300}}));
    }
    void TearDown() override {
        ReleaseAllSceneResources();
        gStageEnemyModelMarkers = {};
        gCurrentStage = nullptr;
        ModelTest::TearDown();
    }
    void AddMap(const char* name) { std::strcpy(stage_->mapNames[stage_->mapCount++], name); }
    void AddCamera(const char* name) {
        std::strcpy(stage_->cameraNames[stage_->cameraCount++], name);
    }
    static void Write(const std::string& path, const std::string& text) {
        vqtest::ScratchFolder::Write(path, text);
    }
    StageInfo* stage_ = nullptr;
};

TEST_F(StageResourcesTest, MapsAreLoadedForDrawingAndForCollision) {
    AddMap("xfile/st/map0.x");
    AddMap("xfile/st/map1.x");
    stage_->hasBackground = 1;
    std::strcpy(stage_->backgroundName, "xfile/st/sky.x");
    LoadStageResources();

    EXPECT_EQ(gCurrentStage, stage_);
    EXPECT_NE(gStageMeshes[0].mesh, nullptr);
    EXPECT_NE(gStageMeshes[1].mesh, nullptr);
    EXPECT_EQ(gStageMeshes[2].mesh, nullptr);
    EXPECT_NE(BackgroundMesh().mesh, nullptr);
    EXPECT_EQ(gCollisionSegments[0].count, 2);
    EXPECT_EQ(gCollisionSegments[1].count, 4);
    EXPECT_EQ(gCollisionSegments[1].maxZ, 90.0f);
    // The two map textures are shared by name; the sky's ground picture is the first one.
    EXPECT_EQ(gSharedMeshTextures.count, 2);
    // The play pictures are in their group, whether their files exist or not.
    EXPECT_EQ(gPlayTextures.clearMessage.width, 512);
    EXPECT_EQ(gPlayTextures.clearMessage.height, 128);
    EXPECT_EQ(gPlayTextures.shade.group, TextureGroup::Play);

    // A second map slot is found by the course query at the world position it is drawn at.
    float t;
    EXPECT_EQ(RaycastCourse(-25.0f, 70.0f, 75.0f, 0.0f, -100.0f, 0.0f, &t), 1);
    EXPECT_FLOAT_EQ(t, 0.5f);

    ReleaseStageResources();
    for (const StaticMesh& m : gStageMeshes) EXPECT_EQ(m.mesh, nullptr);
    for (gfx::Texture* texture : gSharedMeshTextures.textures) EXPECT_EQ(texture, nullptr);
}

TEST_F(StageResourcesTest, TwoCameraFilesKeepTwoKeyCounts) {
    Write("xfile/st/cam0.x", CameraFile({{{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}},
                                         {{0, 0, 0}, {0, 0, 10}, {0, 0, 20}},
                                         {}}));
    Write("xfile/st/cam1.x",
          CameraFile(
              {{{0, 0, 0, 1}, {0, 0, 0, 1}}, {{5, 0, 0}, {5, 0, 10}}, {{5, 0, 50}, {5, 0, 60}}}));
    AddCamera("xfile/st/cam0.x");
    gCameraRail.keyCount[1] = 77;
    LoadStageResources();
    EXPECT_EQ(gCameraRail.keyCount[0], 3);
    EXPECT_EQ(gCameraRail.keyCount[1], 77);  // one camera file: slot 1 is not read
    EXPECT_EQ(gCameraRail.cameraPath[0][2].z, 20.0f);

    ReleaseStageResources();
    AddCamera("xfile/st/cam1.x");
    LoadStageResources();
    EXPECT_EQ(gCameraRail.keyCount[0], 3);
    EXPECT_EQ(gCameraRail.keyCount[1], 2);
    EXPECT_EQ(gCameraRail.lookAt, 1);
    EXPECT_EQ(gCameraRail.targetPath[1][1].z, 60.0f);
}

TEST_F(StageResourcesTest, AStraightRailTakesItsLengthFromTheTileDepth) {
    EXPECT_EQ(StraightRailKeyCount(400.0f), 80000);
    EXPECT_EQ(StraightRailKeyCount(499.9f), 99800);
    EXPECT_EQ(StraightRailKeyCount(1000.0f), 100000);
    EXPECT_EQ(StraightRailKeyCount(6000.0f), 60000);
    EXPECT_EQ(StraightRailKeyCount(0.0f), 0);
    EXPECT_EQ(StraightRailKeyCount(-400.0f), 0);
    EXPECT_EQ(StraightRailKeyCount(2.0e9f), 2147483647);  // beyond the int range: the largest

    stage_->tileDepth = 1000.0f;
    LoadStageResources();
    EXPECT_EQ(gCameraRail.keyCount[0], 100000);
}

TEST_F(StageResourcesTest, AStageNumberOutsideTheTableLeavesNoStageCurrent) {
    gCurrentStage = stage_;
    gGameState.stage = kStageRecords;
    LoadStageResources();
    EXPECT_EQ(gCurrentStage, nullptr);
    gGameState.stage = -1;
    LoadStageResources();
    EXPECT_EQ(gCurrentStage, nullptr);
}

TEST_F(StageResourcesTest, ABackgroundKeepsTheLastMapSlotForItself) {
    for (int i = 0; i < kStageMeshSlots; ++i)
        AddMap(i == 19 ? "xfile/st/map1.x" : "xfile/st/map0.x");
    stage_->hasBackground = 1;
    std::strcpy(stage_->backgroundName, "xfile/st/sky.x");
    EXPECT_EQ(StageMeshSlotCount(*stage_), 19);
    LoadStageResources();
    // Slot 19 holds the sky; the 20th map still has its collision.
    ASSERT_NE(BackgroundMesh().mesh, nullptr);
    EXPECT_EQ(BackgroundMesh().mesh->GetNumFaces(), 2u);
    EXPECT_EQ(gCollisionSegments[19].count, 4);
}

TEST_F(StageResourcesTest, ALoadOverAHeldStageReleasesItFirst) {
    AddMap("xfile/st/map0.x");
    LoadStageResources();
    gfx::Mesh* first = gStageMeshes[0].mesh;
    ASSERT_NE(first, nullptr);
    int destroyedBefore = device_->destroyed;
    LoadStageResources();  // as after a device reset outside play
    EXPECT_GT(device_->destroyed, destroyedBefore);
    EXPECT_EQ(gSharedMeshTextures.count, 1);
}

int gMarkedWaves = 0;

TEST_F(StageResourcesTest, EnemyModelsAreLoadedByTheirFlags) {
    Write("xfile/zako/fighterA_ani.x", vqtest::PlainModelFile());
    Write("xfile/zako/escort_A.x", vqtest::PlainModelFile());
    gStageEnemyModelMarkers.markWaveModels = [] {
        ++gMarkedWaves;
        MarkEnemyModelNeeded(0);
        MarkEnemyModelNeeded(-1);  // no model: flags nothing
        MarkEnemyModelNeeded(17);  // a slot without a file: loads nothing
        MarkEnemyModelNeeded(50);
    };
    gStageEnemyModelMarkers.markPlacedModels = [] { MarkEnemyModelNeeded(8); };
    gEnemyModelNeeded[30] = 1;  // cleared before the markers run
    gMarkedWaves = 0;
    LoadStageEnemyModels();
    EXPECT_EQ(gMarkedWaves, 1);
    EXPECT_EQ(gEnemyModelNeeded[0], 1);
    EXPECT_EQ(gEnemyModelNeeded[17], 1);
    EXPECT_EQ(gEnemyModelNeeded[30], 0);
    EXPECT_NE(gEnemyModels[0].element, nullptr);
    EXPECT_NE(gEnemyModels[8].element, nullptr);
    EXPECT_EQ(gEnemyModels[17].element, nullptr);
    EXPECT_EQ(EnemyModelFile(17), nullptr);
    EXPECT_EQ(EnemyModelFile(50), nullptr);
    EXPECT_STREQ(EnemyModelFile(46), "xfile/phantom3/phantom3.x");

    ReleaseStageResources();
    EXPECT_EQ(gEnemyModels[0].element, nullptr);
    // The flags stay, so a device reset during play can load the same models again.
    ReloadStageEnemyModels();
    EXPECT_NE(gEnemyModels[0].element, nullptr);
}

TEST_F(StageResourcesTest, ReleasingAllScenesFreesEveryGroupButTheCommonOne) {
    TextureHolder title{}, common{}, play{};
    WritePicture("a.bmp", vqtest::SolidPicture(4, 4, 0xFF00FF00u));
    LoadTexture(TextureGroup::Title, &title, "a.bmp", 4, 4);
    LoadTexture(TextureGroup::Common, &common, "a.bmp", 4, 4);
    LoadTexture(TextureGroup::Play, &play, "a.bmp", 4, 4);
    ASSERT_NE(title.texture, nullptr);
    ReleaseAllSceneResources();
    EXPECT_EQ(title.texture, nullptr);
    EXPECT_EQ(play.texture, nullptr);
    EXPECT_NE(common.texture, nullptr);
    ReleaseTextureGroup(TextureGroup::Common);  // the holders live on this stack frame only
}

}  // namespace
