// One drawn frame of the real engine, headless, with pictures of its own: the layers over
// the scene come in their order, and a device reset loads the common and the current
// scene's pictures again from their files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/texture_groups.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/overlays.h"
#include "engine/overlay/pause_menu.h"
#include "platform/gfx/device.h"
#include "scenes/scene_table.h"
#include "tests/support/headless_game.h"
#include "tests/support/pictures.h"
#include "tests/support/temp_folder.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace {

constexpr uint32_t kFirstColour = 0xFF203040u;
constexpr uint32_t kSecondColour = 0xFF605040u;

// A picture of one colour, small: the loader scales it to the size each holder asks for.
void WritePicture(const std::string& folder, const std::string& path, uint32_t colour) {
    vqtest::TestPicture picture = vqtest::SolidPicture(8, 8, colour);
    std::vector<uint8_t> bytes =
        path.ends_with(".tga") ? vqtest::EncodeTga32(picture) : vqtest::EncodeBmp24(picture);
    ASSERT_TRUE(vqtest::WriteFileBytes(folder + "/" + path, bytes)) << path;
}

// The colour of a holder's picture, 0 when it has none.
uint32_t PictureColour(const TextureHolder& holder) {
    return holder.texture ? holder.texture->LevelData(0)[0] : 0u;
}

class FrameDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldFolder_ = cwd;
        for (const char* path : kCommonPictures) WritePicture(run_.Path(), path, kFirstColour);
        for (const ScenePicture& s : kScenePictures) {
            WritePicture(run_.Path(), s.path, kFirstColour);
        }
        testing::internal::CaptureStderr();  // the messages about the data left out
        vqtest::HeadlessOptions options;
        options.runFolder = run_.Path();
        started_ = vqtest::StartHeadlessGame(options);
        ASSERT_TRUE(started_);
        device_ = static_cast<gfx::NullDevice*>(Device3D());
        ASSERT_EQ(device_->Kind(), gfx::BackendKind::Null);
    }
    void TearDown() override {
        if (started_) vqtest::StopHeadlessGame();
        testing::internal::GetCapturedStderr();
        ResetGameGlobals();
        EXPECT_EQ(chdir(oldFolder_.c_str()), 0);
    }

    static constexpr const char* kCommonPictures[] = {"bmp/system.bmp", "bmp/pasemenu.bmp",
                                                      "bmp/fps.tga", "bmp/nowloading.tga"};
    struct ScenePicture {
        SceneId scene;
        const TextureHolder* holder;
        const char* path;
    };
    static inline const ScenePicture kScenePictures[] = {
        {SceneId::Title, &gTitleTextures.title, "bmp/title.bmp"},
        {SceneId::Play, &gPlayTextures.gameOver, "bmp/gameover.tga"},
        {SceneId::GameOver, &gGameOverTextures.picture, "bmp/gameover.bmp"},
        {SceneId::Ending, &gEndingTextures.background, "bmp/ed_bg.bmp"},
        {SceneId::Result, &gResultTextures.background, "bmp/result_bg.bmp"},
        {SceneId::Shop, &gShopTextures.background, "bmp/shop_bg.bmp"},
    };

    vqtest::TempFolder run_;
    std::string oldFolder_;
    bool started_ = false;
    gfx::NullDevice* device_ = nullptr;
};

// Everything that is drawn over a scene, in one frame: the continue prompt, the fade with
// the loading screen, the pause menu, then the debug text and the frame-rate digits.
TEST_F(FrameDrawTest, TheLayersOverTheSceneComeInTheirOrder) {
    LoadTexture(TextureGroup::Play, &gPlayTextures.gameOver, "bmp/gameover.tga", 512, 256);
    const std::map<const gfx::Texture*, std::string> names = {
        {gCommonTextures.system.texture, "system"},
        {gCommonTextures.pauseMenu.texture, "pause menu"},
        {gCommonTextures.fps.texture, "fps"},
        {gCommonTextures.nowLoading.texture, "loading"},
        {gPlayTextures.gameOver.texture, "game over"},
    };
    ASSERT_EQ(names.size(), 5u) << "a picture is missing";
    ASSERT_EQ(names.count(nullptr), 0u) << "a picture is missing";

    struct Case {
        const char* what;
        SceneId scene;
        PlayPhase phase;
        int32_t fadeDirection;  // 1 out, -1 in, 0 none
        int32_t loading;        // the loader has just started
        int32_t paused;
        bool debug;
        int32_t showFrameRate;  // 0 shows the digits
        std::vector<std::string> layers;
    };
    const Case cases[] = {
        {"every layer",
         SceneId::Play,
         PlayPhase::ContinuePrompt,
         -1,
         1,
         1,
         true,
         0,
         {"system", "game over", "system", "loading", "system", "pause menu", "system (ccw)",
          "fps (ccw)"}},
        {"a fade-out in the result with the digits",
         SceneId::Result,
         PlayPhase::ContinuePrompt,
         1,
         0,
         0,
         false,
         0,
         {"other", "system", "fps (ccw)"}},  // the result's own pictures first
        {"the pause menu alone, over a banner",
         SceneId::Play,
         PlayPhase::NoCreditPrompt,
         0,
         0,
         1,
         false,
         1,
         {"other", "system", "game over", "system", "pause menu"}},
        // "other": the play display drawn over the world.
        {"play without a prompt", SceneId::Play, PlayPhase::Playing, 0, 0, 0, false, 1, {"other"}},
    };
    for (const Case& c : cases) {
        gGameState.scene = c.scene;
        gGameState.playPhase = c.phase;
        gGameState.phaseTicks = 30;
        gGameState.continueTicks = 0;
        gGameState.credits = 3;
        gGameState.fade = ScreenFade{};
        if (c.fadeDirection == 1) StartFadeOut(0);
        if (c.fadeDirection == -1) StartFadeIn(0);
        if (c.fadeDirection != 0) gGameState.fade.counter = 8;
        // While the loader has just started the scene's own drawing is left out.
        gLoaderStatus.justStarted = c.loading;
        gPauseState.visible = c.paused;
        gDebugOverlayEnabled = c.debug;
        gGameState.showFrameRate = c.showFrameRate;
        gCurrentStage = nullptr;

        device_->SetRecording(true);
        device_->ClearDraws();
        RenderFrame();
        device_->SetRecording(false);

        // The layers by picture, a run of draws of one picture as one; the diagnostics
        // draw with counter-clockwise culling as the frame leaves it, the rest with none.
        std::vector<std::string> layers;
        for (const gfx::DrawRecord& d : device_->Draws()) {
            auto name = names.find(d.texture0);
            std::string layer = name == names.end() ? "other" : name->second;
            uint32_t cull = d.renderStates[gfx::RS_CULLMODE];
            if (cull == static_cast<uint32_t>(gfx::CULL_CCW)) {
                layer += " (ccw)";
            } else if (cull != static_cast<uint32_t>(gfx::CULL_NONE)) {
                layer += " (cull " + std::to_string(cull) + ")";
            }
            if (layers.empty() || layers.back() != layer) layers.push_back(layer);
            EXPECT_EQ(d.renderStates[gfx::RS_FOGENABLE], gfx::kFalse) << c.what << ": " << layer;
        }
        EXPECT_EQ(layers, c.layers) << c.what;
    }
}

// A lost device is reset once it can be: what every scene holds is let go, and the common
// pictures and the current scene's are read again from their files.
TEST_F(FrameDrawTest, ADeviceResetLoadsTheCommonAndTheScenesPicturesAgain) {
    for (const ScenePicture& s : kScenePictures) {
        const std::string label = s.path;
        ReleaseAllSceneResources();
        gGameState.scene = s.scene;
        gGameState.stage = 0;
        ASSERT_NE(SceneRowOf(s.scene), nullptr) << label;
        SceneRowOf(s.scene)->load();
        ASSERT_EQ(PictureColour(*s.holder), kFirstColour) << label;
        ASSERT_EQ(PictureColour(gCommonTextures.system), kFirstColour) << label;

        // The files change while the device is lost: what shows after the reset must have
        // been read again.
        WritePicture(run_.Path(), "bmp/system.bmp", kSecondColour);
        WritePicture(run_.Path(), s.path, kSecondColour);
        device_->SimulateDeviceLoss();
        RenderFrame();  // the present finds the device lost
        ASSERT_FALSE(IsDeviceUsable()) << label;
        RenderFrame();  // the reset
        ASSERT_TRUE(IsDeviceUsable()) << label;

        EXPECT_EQ(PictureColour(gCommonTextures.system), kSecondColour) << label;
        EXPECT_EQ(PictureColour(*s.holder), kSecondColour) << label;
        // The other scenes' pictures stay let go.
        for (const ScenePicture& other : kScenePictures) {
            if (other.scene == s.scene) continue;
            EXPECT_EQ(other.holder->texture, nullptr) << label << ": " << other.path;
        }
        WritePicture(run_.Path(), "bmp/system.bmp", kFirstColour);
        WritePicture(run_.Path(), s.path, kFirstColour);
        LoadCommonResources();
    }
}

}  // namespace
