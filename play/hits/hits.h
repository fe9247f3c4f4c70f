// What a shot hits in a tick and what follows: enemy bullets against the crafts (turned
// back, life lost, knock-down), player shots against the enemies' attachment points
// (damage, kills, combo, score, coins), and the combo's per-tick step.
#pragma once

#include <cstdint>

#include "engine/core/game_state.h"

struct Shot;

// Set when a bullet hits a craft; read and cleared by the stage-9 course speed step.
extern int32_t gPlayerHitFlag;

// Damage to enemies by player set-up: 1.0, 0.8 with the computer partner, 0.6 two players.
float DamageFactor(PlayerSetup setup);
// Shot kinds that knock a craft down, and the lock-on kinds that test only their target.
bool IsKnockDownKind(int32_t kind);
bool IsLockOnKind(int32_t kind);

// Returns 1 when the shot struck a craft or an enemy point (at most one), else 0.
int ResolveShotHits(Shot* shot);
// The combo window, the shown combo and the bounce, once per tick before the crafts.
void UpdateCombo();
