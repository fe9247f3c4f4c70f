#include "play/craft/partner.h"

#include <algorithm>
#include <cmath>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"

std::array<PartnerAutopilot, 2> gPartnerAutopilots;

namespace {

constexpr int32_t kConfirmTick = 30;
constexpr int32_t kTwoPlayerOption = 10;
constexpr float kOptionHeatLimit = 39.0f;

bool PauseShownOrAsked() {
    return gPauseState.visible != 0 || gPauseState.requested != 0;
}

PartnerAutopilot& Counters(int player) {
    return gPartnerAutopilots[player == 0 ? 0 : 1];
}

}  // namespace

uint8_t StepPartnerWeaponSelect(int player, uint8_t previous) {
    // A pause shown during the selection stops the count, so the confirming press is not
    // taken by the pause menu.
    if (PauseShownOrAsked()) return 0;
    PartnerAutopilot& a = Counters(player);
    a.selectTicks += 1;
    if (a.selectTicks == kConfirmTick) return kPadDecide;
    // A press that did not take (the weapon is still to be chosen) is made again on every
    // other tick.
    if (a.selectTicks > kConfirmTick && gPlayerCrafts[player == 0 ? 0 : 1].weapon == -1 &&
        !(previous & kPadDecide)) {
        return kPadDecide;
    }
    return 0;
}

uint8_t StepPartnerAutopilot(int player, uint8_t previous) {
    PartnerAutopilot& counters = Counters(player);
    uint8_t h = 0;
    counters.weaveTicks += 1;
    float s = std::sin(static_cast<float>(counters.weaveTicks) * 0.02f);
    if (s > 0.8f) {
        h |= kPadRight;
    } else if (s < -0.8f) {
        h |= kPadLeft;
    }
    const PlayerCraft& craft = gPlayerCrafts[player == 0 ? 0 : 1];
    for (const Enemy& e : gEnemyPool) {
        if (e.spawnDelay > 0 || e.state != EnemyState::Active) continue;
        // Fire on every other tick while any enemy is active.
        if (!(previous & kPadDecide)) h |= kPadDecide;
        const EnemyType* type = EnemyTypeOf(e);
        int32_t points = type ? std::clamp(type->pointCount, 0, kEnemyLockSlots) : 0;
        for (int32_t slot = 0; slot < points; ++slot) {
            if (e.lockCountdowns[static_cast<size_t>(slot)] <= 0) continue;
            if (e.lockOwners[static_cast<size_t>(slot)] != player) continue;
            if (craft.weapon == kTwoPlayerOption) {
                // The option's beam is held while the heat allows.
                if (craft.heat < kOptionHeatLimit) h |= kPadCancel;
            } else if (!(previous & kPadCancel)) {
                h |= kPadCancel;
            }
        }
    }
    if (PauseShownOrAsked()) h = 0;
    if (gGameState.playPhase != PlayPhase::Playing) h = 0;
    return h;
}

uint8_t PartnerHeldBits(int player, uint8_t previous) {
    if (gGameState.weaponSelect == 1) return StepPartnerWeaponSelect(player, previous);
    return StepPartnerAutopilot(player, previous);
}

void DrivePartnerInput() {
    PadState& pad = gPadState[1];
    pad.held = 0;
    pad.held = PartnerHeldBits(1, pad.previous);
}

void ResetPartnerAutopilot() {
    gPartnerAutopilots = {};
}

void ResetPartnerGlobals() {
    gPartnerAutopilots = {};
}
