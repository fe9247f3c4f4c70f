#include "play/bosses/boss_encounters.h"

#include <algorithm>
#include <cmath>

#include "engine/core/digest.h"
#include "engine/core/game_state.h"
#include "engine/overlay/fade.h"
#include "engine/random/random.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_movement.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/hits.h"
#include "play/pickups/particles.h"
#include "world/rail/camera_rail.h"

namespace {

constexpr int32_t kFallingDebris = 30;     // a released debris piece
constexpr int32_t kDebrisPerRound = 20;    // pieces released by each 25 hit points lost
constexpr int32_t kDebrisStepPoints = 25;  // hit points between two rounds of debris
constexpr int32_t kDebrisLastStep = 975;

BossProgress InitialProgress() {
    BossProgress p{};
    p.currentBoss = -1;
    return p;
}

}  // namespace

// No current boss until stage 6-3 names one.
BossProgress gBossProgress = InitialProgress();

namespace boss {

bool IsLive(const Enemy& enemy) {
    return enemy.state == EnemyState::Active;
}

Enemy* LiveEnemyOfType(int32_t slot, int32_t type) {
    if (slot < 0 || slot >= kEnemyPoolSize) return nullptr;
    Enemy& e = gEnemyPool[static_cast<size_t>(slot)];
    return IsLive(e) && e.type == type ? &e : nullptr;
}

namespace {
bool IsOneOf(int32_t type, std::span<const int32_t> types) {
    return std::find(types.begin(), types.end(), type) != types.end();
}
}  // namespace

float InitGauge(std::span<const int32_t> types) {
    BossGauge& gauge = gGameState.bossGauge;
    gauge.maximum = 0.0f;
    gauge.current = 0.0f;
    for (const Enemy& e : gEnemyPool) {
        if (!IsLive(e) || !IsOneOf(e.type, types)) continue;
        const EnemyType* t = EnemyTypeOf(e);
        if (t) gauge.maximum += static_cast<float>(t->hitPoints);
    }
    return gauge.maximum;
}

void UpdateGaugeCurrent(std::span<const int32_t> types) {
    float current = 0.0f;
    for (const Enemy& e : gEnemyPool) {
        if (IsLive(e) && IsOneOf(e.type, types)) current += e.hitPoints;
    }
    gGameState.bossGauge.current = current;
}

bool TransitionFadeEnded() {
    const ScreenFade& f = gGameState.fade;
    return f.direction == 1 && f.counter >= gFadeLength;
}

void StartTransitionFade() {
    SetFadeLength(kBossTransitionFadeTicks);
    StartFadeOut(0);
}

void EndTransitionFade() {
    SetFadeLength(kNormalFadeTicks);
    StartFadeIn(0);
}

void SwitchToSecondRail() {
    gGameState.railSlot = 1;
    int32_t keys = gCameraRail.keyCount[1];
    // A stage without a second rail keeps the first rail's length.
    if (keys <= 0) return;
    gCameraRail.keyCount[0] = keys;
    float k = static_cast<float>(keys);
    if (!std::isfinite(gRailPosition)) gRailPosition = 0.0f;
    gRailPosition = std::fmod(gRailPosition, k);
    if (gRailPosition < 0.0f) gRailPosition += k;
    if (!(gRailPosition < k)) gRailPosition = 0.0f;
}

}  // namespace boss

void StartStageFlash() {
    gGameState.flashCountdown = 4;
}

Enemy* GetCurrentBoss() {
    int32_t slot = gBossProgress.currentBoss;
    if (slot < 0 || slot >= kEnemyPoolSize) return nullptr;
    Enemy& e = gEnemyPool[static_cast<size_t>(slot)];
    return e.state != EnemyState::Free && e.type == 16 ? &e : nullptr;
}

void SpawnWaitingBossDebris() {
    float r1 = RandomUnit();
    float r2 = RandomUnit();
    SpawnParticleBurst(nullptr, (r1 - 0.5f) * 10.0f, 12.5f, (r2 - 0.5f) * 15.0f + 5.0f,
                       particle_kind::kBossDebris, 1.0f, 1);
}

void ReleaseBossDebris(int count) {
    if (count <= 0) return;
    int released = 0;
    for (Particle& p : gParticlePool.particles) {
        if (released >= count) break;
        if (p.kind != particle_kind::kBossDebris) continue;
        p.kind = kFallingDebris;
        float rx = RandomUnit();
        float rz = RandomUnit();
        p.velocity[0] = (rx - 0.5f) * 3.0f;
        p.velocity[1] = 2.0f;
        p.velocity[2] = (rz - 0.5f) * 3.0f;
        p.age = 0;
        SpawnWaitingBossDebris();
        ++released;
    }
}

void SpawnBossDamageDebris(Enemy* enemy, float lost) {
    if (!enemy || enemy->type != 16) return;
    float after = enemy->hitPoints;
    const gfx::Vec3& at = enemy->basePosition;
    for (int32_t m = 0; m <= kDebrisLastStep; m += kDebrisStepPoints) {
        auto level = static_cast<float>(m);
        if (level < after || !(level < after + lost)) continue;
        SpawnParticleBurst(nullptr, at.x, at.y, at.z, particle_kind::kSmoke, 3.0f, 1);
        SpawnParticleBurst(nullptr, at.x, at.y, at.z, particle_kind::kDebris, 3.0f, 1);
        ReleaseBossDebris(kDebrisPerRound);
    }
}

void ResetBossGlobals() {
    gBossProgress = InitialProgress();
}

uint64_t DigestBossGlobals(uint64_t digest) {
    return FoldDigestValue(digest, gBossProgress);
}

void InstallBossHooks() {
    gBossHooks.spawnDamageDebris = SpawnBossDamageDebris;
    gBossHooks.startStageFlash = StartStageFlash;
    gBossHooks.recordPartDestroyed = RecordBossPartDestroyed;
    gBossHooks.countDownStage18 = CountDownBossStage18;
    gBossHooks.beginTransition = BeginBossTransition;
    gBossHooks.currentBoss = GetCurrentBoss;
}
