// A fixture for the tests of the screens between stages: a headless window and a recording
// null device installed as the game's, a temporary run folder, and clean game records. The
// scenes' own records are reset by each test's SetUp through the layer's reset.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/sound/sound.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"
#include "tests/support/temp_folder.h"

namespace vqtest {

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldFolder_ = cwd;
        ASSERT_FALSE(temp_.Path().empty());
        ASSERT_EQ(chdir(temp_.Path().c_str()), 0);
        window_.reset(win::CreateHeadlessWindow());
        gPlatform.mainWindow = window_.get();
        device_ = new gfx::NullDevice(gfx::PresentParams{});
        device_->SetRecording(true);
        gPlatform.device = device_;
        gGameState = GameState{};
        gPadState[0] = gPadState[1] = PadState{};
        gPauseState = PauseState{};
        gSpriteBatch.count = 0;
        ResetSpriteVertices();
        SetFadeLength(17);
        for (uint8_t& r : gSoundState.effectRequests) r = 0;
    }

    void TearDown() override {
        WaitForLoader();
        gLoaderStatus.justStarted = 0;
        ClearTextureRegistry();
        gTextFont.ReleaseTextFont();
        gPlatform.device = nullptr;
        gPlatform.mainWindow = nullptr;
        delete device_;
        window_.reset();
        gSpriteBatch.count = 0;
        EXPECT_EQ(chdir(oldFolder_.c_str()), 0);
    }

    // Holds exactly these bits on a pad for the next tick, with the edges a pad step forms.
    static void Hold(int pad, uint8_t bits) {
        PadState& p = gPadState[pad];
        p.previous = p.held;
        p.held = bits;
        p.pressed = static_cast<uint8_t>(bits & ~p.previous);
        p.repeat = p.pressed;
    }
    static void Release() {
        Hold(0, 0);
        Hold(1, 0);
    }
    // Whether an effect was requested since the last call; clears the requests.
    static bool TakeSound(SoundEffectId id) {
        int32_t slot = FindEffectSlot(id);
        bool requested = slot >= 0 && gSoundState.effectRequests[slot] != 0;
        for (uint8_t& r : gSoundState.effectRequests) r = 0;
        return requested;
    }
    // Runs the fade out to its end, as the frame loop's ticks would.
    static void FinishFade() {
        for (int i = 0; i < 200 && !IsFadeOutDone(); ++i) AdvanceFade();
    }

    gfx::NullDevice* device_ = nullptr;
    std::unique_ptr<win::Window> window_;
    TempFolder temp_;
    std::string oldFolder_;
};

}  // namespace vqtest
