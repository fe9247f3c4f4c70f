#include "play/craft/craft.h"

#include <cmath>

std::array<PlayerCraft, 2> gPlayerCrafts;
CraftTickFlags gCraftTickFlags;

float WrapAngle(float angle) {
    if (!std::isfinite(angle)) return 0.0f;
    while (angle < -gfx::kPi) angle += 2.0f * gfx::kPi;
    while (angle > gfx::kPi) angle -= 2.0f * gfx::kPi;
    return angle;
}

float TurnAngleToward(float angle, float target, float step) {
    float a = WrapAngle(angle);
    float b = WrapAngle(target);
    float d = std::fabs(a - b);
    if (step > d || d > 2.0f * gfx::kPi - step) return b;
    bool down = (a >= b && a - b <= gfx::kPi) || (a < b && b - a > gfx::kPi);
    return WrapAngle(down ? a - step : a + step);
}

int AddCraftHeat(PlayerCraft* craft, float amount) {
    craft->heat += amount;
    craft->coolDelay = 30;
    return 1;
}

void SetBankPose(PlayerCraft*, float) {}
void StepCraftCounters(PlayerCraft*) {}
void StepCraftAnimation(PlayerCraft*) {}
void StepCraftControl(PlayerCraft*, uint8_t, uint8_t) {}
void StepCraftPlacement(PlayerCraft*) {}

void ResetCraftGlobals() {
    gPlayerCrafts = {};
    gCraftTickFlags = {};
}
