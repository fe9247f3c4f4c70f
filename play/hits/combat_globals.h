// The combat roles' share of the play layer's set-up: the hooks the world's effect update
// and world-objects pass reach the pools through, and the reset of every combat global.
#pragma once

// Fills the world's EffectPoolHooks and WorldObjectsHooks with the play layer's pools.
void InstallCombatHooks();
// Shots, particles, coins, weapon records and the player hit flag back to their
// program-start values.
void ResetCombatGlobals();
