// The whole engine, headless: a stage from a stage index written by the test is loaded on the
// loader thread by the play scene's load step, its world is drawn, it survives a device
// reset and the return to the title releases it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/game_state.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/stagefiles/camera_path.h"
#include "tests/models/scratch_folder.h"
#include "tests/support/headless_game.h"
#include "tests/support/pictures.h"
#include "tests/world/stage_files.h"
#include "world/course/collision.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace {

class StageLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        Write("idx/stage.idx",
              "// the one stage\r\n"
              "stage:1-1\r\n"
              "maptype:2\r\n"
              "map:xfile/st/map0.x\r\n"
              "map:xfile/st/map1.x\r\n"
              "mapbg:xfile/st/sky.x\r\n"
              "mapcamera:xfile/st/cam.x\r\n"
              "fog:100:2000\r\n"
              "fogcolor:10:20:30\r\n"
              "backcolor:40:50:60\r\n");
        Write("xfile/st/map0.x", vqtest::MapFile({{-100, 100, 0, 400, 0}}));
        Write("xfile/st/map1.x", vqtest::MapFile({{-100, 100, 400, 800, -10}}));
        Write("xfile/st/sky.x", vqtest::MapFile({{-900, 900, -900, 900, 500, "sky", "sky.bmp"}}));
        Write("xfile/st/cam.x", vqtest::CameraFile({{{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}},
                                                    {{0, 50, 0}, {0, 50, 100}, {0, 50, 200}},
                                                    {}}));
        ASSERT_TRUE(vqtest::WriteFileBytes(
            "xfile/st/ground.bmp", vqtest::EncodeBmp24(vqtest::SolidPicture(8, 8, 0xFF40A040u))));
        ASSERT_TRUE(vqtest::WriteFileBytes(
            "xfile/st/sky.bmp", vqtest::EncodeBmp24(vqtest::SolidPicture(8, 8, 0xFF4060C0u))));
        vqtest::HeadlessOptions options;
        options.runFolder = std::filesystem::current_path().string();
        ASSERT_TRUE(vqtest::StartHeadlessGame(options));
    }
    void TearDown() override { vqtest::StopHeadlessGame(); }
    static void Write(const std::string& path, const std::string& text) {
        vqtest::ScratchFolder::Write(path, text);
    }
    gfx::NullDevice* Null() { return static_cast<gfx::NullDevice*>(Device3D()); }

    vqtest::ScratchFolder folder_;  // the run folder while the test runs
};

TEST_F(StageLoadTest, APlayLoadRunsOnTheLoaderThreadAndTheWorldIsDrawn) {
    ASSERT_EQ(gGameState.stageCount, 1);
    gGameState.stage = 0;
    gGameState.scene = SceneId::Play;
    StartLoaderThread();
    vqtest::RunFrame();  // waits for the loader, then one frame

    ASSERT_EQ(gCurrentStage, &gStageInfo[0]);
    EXPECT_NE(gStageMeshes[0].mesh, nullptr);
    EXPECT_NE(gStageMeshes[1].mesh, nullptr);
    EXPECT_NE(BackgroundMesh().mesh, nullptr);
    EXPECT_EQ(gCollisionSegments[1].count, 2);
    EXPECT_EQ(gCameraRail.keyCount[0], 3);

    uint32_t before = Null()->DrawCount();
    vqtest::RunFrame();
    EXPECT_EQ(Null()->LastClearColor(), 0xFF28323Cu);  // the stage's back colour
    EXPECT_GE(Null()->DrawCount() - before, 3u);       // sky and both course meshes

    // Ground under the rail start, on the second map slot's lower floor.
    float t;
    ASSERT_EQ(RaycastCourse(0.0f, 40.0f, 500.0f, 0.0f, -100.0f, 0.0f, &t), 1);
    EXPECT_FLOAT_EQ(t, 0.5f);
}

TEST_F(StageLoadTest, ADeviceResetReloadsTheStageAndTheTitleReleasesIt) {
    gGameState.stage = 0;
    gGameState.scene = SceneId::Play;
    StartLoaderThread();
    vqtest::RunFrame();
    ASSERT_NE(gStageMeshes[0].mesh, nullptr);

    Device3D()->SimulateDeviceLoss();
    vqtest::RunFrame();  // the present finds the device lost
    vqtest::RunFrame();  // released, reset and loaded again
    EXPECT_NE(gStageMeshes[0].mesh, nullptr);
    EXPECT_NE(BackgroundMesh().mesh, nullptr);
    EXPECT_EQ(gSharedMeshTextures.count, 2);
    uint32_t before = Null()->DrawCount();
    vqtest::RunFrame();
    EXPECT_GE(Null()->DrawCount() - before, 3u);

    ReturnToTitle();
    EXPECT_EQ(gStageMeshes[0].mesh, nullptr);
    for (gfx::Texture* texture : gSharedMeshTextures.textures) EXPECT_EQ(texture, nullptr);
}

}  // namespace
