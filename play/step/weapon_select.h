// The weapon select at the start of a chapter (every stage in practice): the players choose
// their sub-weapons while the rail stands still.
#pragma once

#include <cstdint>

struct PlayerCraft;

// Cursor slot 11 stands for the random choice; 0..10 are weapon numbers.
constexpr int32_t kWeaponRandomSlot = 11;
constexpr int32_t kWeaponCursorSlots = 12;
constexpr int32_t kTwoPlayerOption = 10;
constexpr int32_t kWeaponReadyTicks = 30;

// The global step, once per tick before the craft loop.
void StepWeaponSelectPhase();
// The per-craft step while the phase runs (craft i, pad i).
void StepCraftWeaponChoice(PlayerCraft* craft, uint8_t held, uint8_t pressed);
// The weapon list of the stage start: every available weapon 0..10, without the two-player
// option for one craft.
void BuildWeaponList();
// The weapon when the run's list offers it, else the list's first entry (the weapon as it is
// while the list is empty).
int32_t ListedWeaponOrFirst(int32_t weapon);
// The two-player option's one shot, made by craft 0 when both crafts hold the option.
void FireTwoPlayerOption();
// A saved cursor is a slot 0..11; anything else starts at 0.
int32_t SavedWeaponCursor(int32_t saved);
