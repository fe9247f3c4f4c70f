// The pause menu's sounds reach the sound requests: cursor moves and the choice.
#include <gtest/gtest.h>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/pause_menu.h"
#include "engine/sound/sound.h"
#include "scenes/scene_table.h"

namespace {

TEST(MenuSounds, ThePauseMenuRequestsTheCursorAndDecideSounds) {
    ResetGameGlobals();
    gGameState.scene = SceneId::Play;
    gGameState.gameMode = GameMode::Story;
    gPauseState.cursor = 0;
    for (uint8_t& r : gSoundState.effectRequests) r = 0;

    gPadState[0] = PadState{};
    gPadState[0].repeat = kPadDown;
    EXPECT_FALSE(UpdatePauseMenu());
    EXPECT_EQ(gSoundState.effectRequests[FindEffectSlot(288)], 1);
    EXPECT_EQ(gSoundState.effectRequests[FindEffectSlot(287)], 0);

    gPadState[0] = PadState{};
    gPadState[0].repeat = kPadUp;  // back on "resume"
    UpdatePauseMenu();
    EXPECT_EQ(gPauseState.cursor, 0);
    gPadState[0] = PadState{};
    gPadState[0].pressed = kPadDecide;
    EXPECT_TRUE(UpdatePauseMenu());
    EXPECT_EQ(gSoundState.effectRequests[FindEffectSlot(287)], 1);

    ResetGameGlobals();
}

}  // namespace
