// What the stage world reads of the play records: the views the actor pass draws from, and
// the digest of the crafts' records.
#pragma once

#include <cstdint>

struct CraftDrawView;
struct EnemyDrawView;
struct PickupDrawView;

// The actor pass's views of player craft `player` (0 or 1), of an enemy pool slot and of a
// coin slot; false for a number outside the records.
bool ReadCraftDrawView(int player, CraftDrawView* out);
bool ReadEnemyDrawView(int slot, EnemyDrawView* out);
bool ReadPickupDrawView(int slot, PickupDrawView* out);
// Hands the actor pass its views of the crafts (and of the pools of play).
void InstallActorDrawSources();

// Folds the craft records, the tick flags and the partner's counters into an FNV-1a digest.
uint64_t DigestCraftGlobals(uint64_t digest);
