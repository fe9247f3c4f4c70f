// What a shot hits in a tick and what follows: enemy bullets against the crafts (turned
// back, life lost, knock-down), player shots against the enemies' attachment points
// (damage, kills, combo, score, coins), and the combo's per-tick step.
#pragma once

#include <cstdint>

#include "engine/core/game_state.h"

struct Shot;
struct Enemy;

// Set when a bullet hits a craft; read and cleared by the stage-9 course speed step.
extern int32_t gPlayerHitFlag;

// What the boss encounters do on hits and kills of their enemies, and which enemy is the
// current boss. The boss encounters fill them; an empty hook does nothing (no boss).
struct BossHooks {
    void (*spawnDamageDebris)(Enemy* enemy, float damage);  // type 16 hit
    void (*startStageFlash)();                              // type 55 hit
    void (*recordPartDestroyed)(Enemy* enemy);              // types 28..37 destroyed
    void (*countDownStage18)();                             // type 18 destroyed
    void (*beginTransition)();                              // type 12 destroyed
    Enemy* (*currentBoss)();                                // null: none
};
extern BossHooks gBossHooks;

// Damage to enemies by player set-up: 1.0, 0.8 with the computer partner, 0.6 two players.
float DamageFactor(PlayerSetup setup);
// Shot kinds that knock a craft down, and the lock-on kinds that test only their target.
bool IsKnockDownKind(int32_t kind);
bool IsLockOnKind(int32_t kind);

// Returns 1 when the shot struck a craft or an enemy point (at most one), else 0.
int ResolveShotHits(Shot* shot);
// The shot pass brackets its hits with these: while a pass runs, an enemy whose attachment
// points are too far from a shot for any of them to be struck is passed over at once (each
// enemy's spread of points is measured at the start of the pass; one whose first point moves
// during the pass is tested point by point).
void BeginShotHitPass();
void EndShotHitPass();
// The combo window, the shown combo and the bounce, once per tick before the crafts.
void UpdateCombo();

void ResetHitGlobals();
