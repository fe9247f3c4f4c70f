// The combat roles' share of the play layer's set-up: the hooks the world's effect update
// and world-objects pass reach the pools through, and the reset of every combat global.
#pragma once

#include <cstdint>

// Fills the world's EffectPoolHooks and WorldObjectsHooks with the play layer's pools.
void InstallCombatHooks();
// Shots, particles, coins, weapon records and the player hit flag back to their
// program-start values.
void ResetCombatGlobals();
// Folds the shot, particle and coin pools, the weapon records and the hit flag into a
// running FNV-1a digest. Links to crafts are folded as craft numbers, so the digest is the
// same from run to run.
uint64_t DigestCombatGlobals(uint64_t digest);
