// Helpers of the stage-play tests: fresh play records, pad bits for a craft, and the sound
// requests a step raised.
#pragma once

#include <gtest/gtest.h>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "play/craft/partner.h"
#include "play/step/game_step.h"
#include "scenes/scene_table.h"

namespace vqtest {

// Play records as at program start, with a craft set up as the stage start leaves it.
inline void FreshPlayRecords() {
    ResetGameGlobals();
    gGameState.playPhase = PlayPhase::Playing;
    gGameState.playerCount = 1;
    for (int i = 0; i < 2; ++i) {
        PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        c.player = i;
        c.spec = &kCraftSpecTable[0];
        c.life = kFullLife;
        c.scale = 1.25f;
        c.yaw = gfx::kPi;
        c.lastDirection = i == 0 ? -1 : 1;
        c.weapon = 0;
        c.rotation = gfx::Identity();
    }
}

inline bool SoundRequested(SoundEffectId id) {
    int32_t slot = FindEffectSlot(id);
    return slot >= 0 && gSoundState.effectRequests[slot] != 0;
}

inline void ClearSoundRequests() {
    for (auto& r : gSoundState.effectRequests) r = 0;
}

}  // namespace vqtest
