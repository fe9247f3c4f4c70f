#include "world/effects/effects.h"

std::array<EffectQuad, kEffectQuadCount> gEffectQuads;
std::array<HitRing, kHitRingCount> gHitRings;
std::array<std::array<WingtipTrail, 2>, 2> gWingtipTrails;
EffectPoolHooks gEffectPoolHooks;

void InitEffectQuads() {}

void SetQuadColor(int, gfx::Color) {}

void UpdateEffects() {}

void DrawWingtipTrails() {}

gfx::Vec3 CourseCarry() {
    return gfx::Vec3{0.0f, 0.0f, 0.0f};
}

void ResetEffectGlobals() {
    gEffectQuads = {};
    gHitRings = {};
    gWingtipTrails = {};
}
