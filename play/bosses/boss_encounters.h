// The stage-level bookkeeping of the boss encounters: the boss gauge's enemies, the boss
// progress shared by the stages and the boss behaviours, and the hooks hit resolution calls
// when boss enemies are hit or destroyed. The per-stage set-up and update pairs are declared
// in boss_stages.h.
#pragma once

#include <array>
#include <cstdint>

struct Enemy;

constexpr int kBossColumns = 6;  // stage 4-2's collapsing columns

// What a boss stage remembers from tick to tick. Values a stage's set-up does not reset
// carry over from stage to stage.
struct BossProgress {
    // Pool slot of the type-16 boss remembered by stage 6-3's set-up (-1 none).
    int32_t currentBoss;
    // Stage 4-2: destroyed parts per column, and the update counter at which each column
    // started to fall (0 = standing).
    std::array<int32_t, kBossColumns> partCounters;
    std::array<int32_t, kBossColumns> fallStamps;
    // Behaviour 9's attack mode and attack tick count (shared by every enemy running it).
    int32_t attackMode;
    int32_t attackTicks;
    // Stage 3-3: how many groups have fallen (0..3), and the boss's distance ahead along the
    // rail, in rail keys.
    int32_t stage8Phase;
    float stage8Distance;
    // Stage 7-1: type-18 enemies still to be destroyed.
    int32_t stage18Remaining;
    // Behaviours 20 and 21: raised to restart the manoeuvre, and the manoeuvre in progress.
    int32_t manoeuvreRestart;
    int32_t manoeuvreMode;
};
extern BossProgress gBossProgress;

// The enemy types whose hit points make up the boss gauge of stages 1-3 and 3-3.
inline constexpr std::array<int32_t, 7> kBossPartTypesStage02 = {19, 24, 20, 21, 23, 22, 25};
inline constexpr std::array<int32_t, 14> kBossPartTypesStage08 = {8,  9,  10, 11, 40, 41, 42,
                                                                  43, 44, 45, 46, 47, 48, 49};

// Length of the fade that hides a two-form boss's change of form, and the normal fade.
constexpr int32_t kBossTransitionFadeTicks = 150;
constexpr int32_t kNormalFadeTicks = 17;

// Hit resolution's hooks.
// A part of types 28..37 was destroyed: stage 4-2's columns fall when both their parts are gone.
void RecordBossPartDestroyed(Enemy* enemy);
// A type-18 enemy was destroyed: the first of stage 7-1's two starts the change of form.
void CountDownBossStage18();
// The type-12 boss was destroyed: stage 4-3's change of form starts.
void BeginBossTransition();
// A type-55 enemy was hit: the course flashes for 4 ticks.
void StartStageFlash();
// A type-16 enemy was hit and lost `lost` hit points: debris for every 25 crossed.
void SpawnBossDamageDebris(Enemy* enemy, float lost);
// The boss stage 6-3 remembered, while its slot still holds a type-16 enemy; else null.
Enemy* GetCurrentBoss();

// Releases up to `count` waiting debris pieces (kind 29 -> falling kind 30), each replaced by a
// new waiting piece.
void ReleaseBossDebris(int count);
// One new waiting debris piece, placed as stage 6-3's set-up places them.
void SpawnWaitingBossDebris();

// Program-start state of the boss progress.
void ResetBossGlobals();
// Folds the boss progress into a running FNV-1a digest.
uint64_t DigestBossGlobals(uint64_t digest);
// Hands the hooks above to hit resolution and the particle update, and the boss behaviour
// routines to the enemy update.
void InstallBossHooks();
