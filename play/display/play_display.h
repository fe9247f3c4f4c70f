// The play display drawn over the world: lock and target markers, reticles, the boss gauge,
// enemy health bars, boost icons, the player panels, the stage-9 speed gauge, the combo, the
// down banners, the weapon-select panels, the stage-clear caption and the score.
#pragma once

#include <array>
#include <cstdint>

#include "platform/text/cp932.h"

// Three description lines per weapon-select slot (slot 11, the random choice, has its own
// line and none here).
constexpr int kWeaponDescriptionSlots = 12;
constexpr int kWeaponDescriptionLines = 3;
using WeaponDescriptionText = text::Cp932Text<64>;
using WeaponDescription = std::array<WeaponDescriptionText, kWeaponDescriptionLines>;
extern const std::array<WeaponDescription, kWeaponDescriptionSlots> kWeaponDescriptionTable;

// The weapon-select slot of the random choice.
constexpr int32_t kRandomWeaponSlot = 11;
// The one line shown in place of a description on the random slot and on a slot whose
// weapon is not available.
inline constexpr auto kWeaponRandomText = text::Cp932(u8"ランダムで選択します");
inline constexpr auto kWeaponUnavailableText = text::Cp932(u8"選択できません");

// Drawn after the world in every frame of the play scene; only reads game state.
void DrawGameHud();

// The combo number "%3dA" at (x, y): it slides down and fades in over its first 60 ticks of
// age, and the digits changed by the last increment jump by the bounce.
void DrawHitCount(int32_t x, int32_t y, int32_t count, int32_t age, int32_t bounce);

// The size and alpha of a lock marker of the given lock age.
struct LockMarkerLook {
    float size;
    uint32_t alpha;
};
LockMarkerLook LockMarkerLookOf(int32_t age);

// Whether weapon-select slot 0..11 can be chosen: the random slot always, weapons 0..10 by
// their availability flag; anything else never.
bool IsWeaponSlotAvailable(int32_t slot);
