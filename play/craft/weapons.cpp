#include "play/craft/weapons.h"

#include <cstddef>

LaserLockOwners gLaserLockOwners;
GaugeShake gGaugeShake;

int32_t LockCapacity(int32_t weapon) {
    if (weapon < 0 || weapon >= kWeaponCount) return kLockCapacity[kWeaponCount];
    return kLockCapacity[static_cast<size_t>(weapon)];
}

void ResetWeaponGlobals() {
    gLaserLockOwners.owner.fill(-1);
    gGaugeShake = GaugeShake{};
}

void UpdateCraftWeapons(PlayerCraft*, const PadState&) {}
