#include "play/craft/partner.h"

#include <cmath>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "play/craft/craft.h"

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
    PartnerAutopilot& a = Counters(player);
    uint8_t h = 0;
    a.weaveTicks += 1;
    float s = std::sin(static_cast<float>(a.weaveTicks) * 0.02f);
    if (s > 0.8f) {
        h |= kPadRight;
    } else if (s < -0.8f) {
        h |= kPadLeft;
    }
    (void)previous;
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
