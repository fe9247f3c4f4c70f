#include "play/step/weapon_select.h"

void StepWeaponSelectPhase() {}
void StepCraftWeaponChoice(PlayerCraft*, uint8_t, uint8_t) {}
void BuildWeaponList() {}
int32_t SavedWeaponCursor(int32_t saved) {
    return saved >= 0 && saved < kWeaponCursorSlots ? saved : 0;
}
