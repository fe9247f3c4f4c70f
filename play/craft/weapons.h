// What a craft shoots with: the lock-on of enemy attachment points, the vulcan's hold-fire
// mode with its laser lock and aiming, the vulcan, the eleven sub-weapons, and the heat
// gauge with its cooling and overheat lock.
#pragma once

#include <array>
#include <cstdint>

struct PlayerCraft;
struct PadState;

constexpr int kWeaponCount = 11;  // sub-weapons 0..10; -1 is none
constexpr float kHeatLimit = 130.0f;

// The lock count below which a new lock may be taken, by weapon (index 11: no weapon).
constexpr std::array<int32_t, kWeaponCount + 1> kLockCapacity = {10, 10, 3, 5, 0, 0,
                                                                 10, 10, 0, 0, 0, 10};
int32_t LockCapacity(int32_t weapon);

constexpr int kLaserLockEnemies = 300;

// Who set each enemy's laser lock (the hold-fire marker): the player number, -1 none.
// A craft clears only its own laser locks.
struct LaserLockOwners {
    std::array<int32_t, kLaserLockEnemies> owner;
};
extern LaserLockOwners gLaserLockOwners;

// The heat gauge's shake per player (x, y), read by the play display.
struct GaugeShake {
    float offset[2][2];
};
extern GaugeShake gGaugeShake;

void ResetWeaponGlobals();

// One craft's tick of aiming, locks, firing and heat; pad is the craft's pad state.
void UpdateCraftWeapons(PlayerCraft* craft, const PadState& pad);
