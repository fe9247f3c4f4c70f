#include "play/hits/hits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>

#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_pool.h"
#include "play/shots/vec3_fields.h"
#include "play/step/camera.h"

int32_t gPlayerHitFlag;
BossHooks gBossHooks;

namespace {

// Four floats worked on at once, and the lanes' results of comparing them.
using Lanes = float __attribute__((vector_size(16)));
using LaneFlags = int32_t __attribute__((vector_size(16)));
constexpr int kLanes = 4;
// The live enemies are looked at eight at a time.
constexpr int kLiveBlock = 2 * kLanes;
constexpr size_t kLiveSlots = (kEnemyPoolSize + kLiveBlock - 1) / kLiveBlock * kLiveBlock;

Lanes LoadLanes(const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

bool AnyLane(LaneFlags flags) {
    uint64_t words[2];
    std::memcpy(words, &flags, sizeof words);
    return (words[0] | words[1]) != 0;
}

// The spread of each enemy's attachment points around its first, measured at the start of
// the shot pass.
struct PointSpread {
    bool valid;
    std::array<gfx::Vec3, kEnemyPoolSize> first;
    std::array<float, kEnemyPoolSize> spread;
    // The enemies a player shot may strike, in pool order, as they stood at the start: the
    // pool index, the first point and how far from it a point's hit sphere reaches. Read
    // a block at a time (the slots past the count are ignored).
    std::array<int16_t, kLiveSlots> live;
    std::array<float, kLiveSlots> liveX, liveY, liveZ, liveBound;
    int liveCount;
    // Each block's box around its hit spheres' reach, per axis, and how far beyond rounding
    // a test against it must keep off.
    std::array<std::array<float, kLiveSlots / kLiveBlock>, 3> blockLow, blockHigh;
    std::array<float, kLiveSlots / kLiveBlock> blockSlack;
};
PointSpread gPointSpread;

// A boss routine may bring enemies in or move them: the rest of the pass looks at every
// slot as it stands.
void ForgetPassSnapshot() {
    gPointSpread.valid = false;
}

// How far from an enemy's first point a shot may lie and still be within reach of one of its
// points, when every point lies within `bound` (its spread and the reach of a point) of the
// first: the bound with room for the rounding of the lengths compared, which grows with them.
template <typename T>
T FarWithinReach(T bound) {
    return bound * 1.001f + 0.01f;
}

// True when no attachment point of the enemy can lie within reach of p: every point is
// within the spread of the first one.
bool OutOfReach(int index, const Enemy& enemy, const float (&p)[3], float reach) {
    if (!gPointSpread.valid) return false;
    const gfx::Vec3& first = enemy.points[0];
    const gfx::Vec3& kept = gPointSpread.first[static_cast<size_t>(index)];
    if (first.x != kept.x || first.y != kept.y || first.z != kept.z) return false;
    float dx = p[0] - first.x, dy = p[1] - first.y, dz = p[2] - first.z;
    float far = FarWithinReach(reach + gPointSpread.spread[static_cast<size_t>(index)]);
    return dx * dx + dy * dy + dz * dz > far * far;
}

constexpr float kPi = gfx::kPi;

float Distance(const float (&a)[3], const gfx::Vec3& b) {
    float dx = a[0] - b.x, dy = a[1] - b.y, dz = a[2] - b.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

void BurstAt(const gfx::Vec3& p, int32_t kind, float scale) {
    SpawnParticleBurst(nullptr, p.x, p.y, p.z, kind, scale, 1);
}

void BurstAt(const float (&p)[3], int32_t kind, float scale) {
    SpawnParticleBurst(nullptr, p[0], p[1], p[2], kind, scale, 1);
}

int CraftsInPlay() {
    return std::clamp(gGameState.playerCount, 0, 2);
}

// A rolling craft of a run that owns the reflect item turns a bullet back.
bool TurnBack(Shot* shot) {
    if (gGameState.shopBoosts[3] == 0) return false;
    for (int i = 0; i < CraftsInPlay(); ++i) {
        const PlayerCraft& craft = gPlayerCrafts[static_cast<size_t>(i)];
        if (craft.rollDirection == 0 || Distance(shot->position, craft.position) >= 30.0f) continue;
        shot->side = kShotSideTurned;
        if (IsKnockDownKind(shot->kind)) {
            shot->yaw += kPi;
        } else {
            for (float& v : shot->velocity) v = -v;
        }
        return true;
    }
    return false;
}

void DownCraft(PlayerCraft* craft, int index) {
    craft->life = 0.0f;
    craft->stateTicks = 0;
    switch (gGameState.playerSetup) {
        case PlayerSetup::TwoPlayers:
            craft->state = CraftState::Down;
            craft->out = 1;
            break;
        case PlayerSetup::ComputerPartner:
            craft->state = index == 0 ? CraftState::Destroyed : CraftState::Down;
            break;
        default:
            craft->state = CraftState::Destroyed;
            break;
    }
}

int ResolveEnemyBullet(Shot* shot) {
    if (TurnBack(shot)) return 0;
    if (gGameState.bossTransitionCounter != 0 || gGameState.playPhase != PlayPhase::Playing) {
        return 0;
    }
    bool gun = shot->kind == shot_kind::kTwin || shot->kind == shot_kind::kTwinCraft1;
    float reach = gun ? 20.0f : 10.0f;
    for (int i = 0; i < CraftsInPlay(); ++i) {
        PlayerCraft& craft = gPlayerCrafts[static_cast<size_t>(i)];
        if (craft.invulnerable != 0) continue;
        if (craft.state != CraftState::Flying && craft.state != CraftState::Bumped) continue;
        if (Distance(shot->position, craft.position) >= reach) continue;
        gPlayerHitFlag = 1;
        if (craft.weapon == 8 && craft.orbitCounters[0] > 0 && craft.orbitCounters[0] < 1200) {
            craft.orbitCounters[0] = 0;
            craft.heat = 0.0f;
        }
        BurstAt(shot->position, particle_kind::kExplosion, 1.0f);
        if (IsKnockDownKind(shot->kind)) {
            craft.state = CraftState::KnockedDown;
            craft.stateTicks = 0;
            BurstAt(shot->position, particle_kind::kDebris, 2.0f);
            BurstAt(shot->position, particle_kind::kSpark, 2.0f);
            PlaySoundEffect(291);
            craft.holdFire = 0;
        }
        craft.rollTicks = 0;
        craft.rollDirection = 0;
        craft.rollAngle = 0.0f;
        craft.invulnerable = 60;
        craft.hitFlash = 8;
        float armour = craft.spec ? craft.spec->armour : 0.0f;
        craft.life -= (2.0f - armour) * (gun ? 1.0f : 5.0f);
        if (craft.life < 0.0f) DownCraft(&craft, i);
        PlaySoundEffect(290);
        return 1;
    }
    return 0;
}

// Damage of a player shot of the kind; particle kind 1 and the lock reset of the lock-on
// kinds, and the combo window raise of the others, are their caller's.
float ShotDamage(const Shot& shot, float f) {
    const PlayerCraft* owner = shot.owner;
    float shotPower = owner && owner->spec ? owner->spec->shotPower : 1.0f;
    float gunPower = owner && owner->spec ? owner->spec->gunPower : 1.0f;
    switch (shot.kind) {
        case 2:
            return f * 30.0f * shotPower;
        case 5:
            return f * 10.0f * shotPower;
        case 6:
            return f * 60.0f * shotPower;
        case 9:
            return f * 15.0f * shotPower;
        case 8:
            return f * 40.0f * shotPower;
        case 32:
            return f * 10.0f * shotPower;
        case 35:
            return f * 2.0f;
        case 1:
        case 24: {
            float d = gunPower * 2.0f * f * shotPower;
            return gGameState.shopBoosts[0] != 0 ? d * 1.5f : d;
        }
        case 10:
            return f * 1.2f * shotPower;
        case 11:
            return f * 3.0f * shotPower;
        case 7:
            return f * 10.0f * shotPower;
        default:
            return f * 1.0f * shotPower;
    }
}

void RaiseComboWindow() {
    if (gGameState.comboWindow >= 1 && gGameState.comboWindow <= 9) gGameState.comboWindow = 10;
}

bool RingHolds(const Enemy& enemy, int32_t serial) {
    for (int32_t id : enemy.hitRing) {
        if (id == serial) return true;
    }
    return false;
}

void Kill(Shot* shot, Enemy* enemy, const EnemyType& type, int k) {
    enemy->hitPoints = 0.0f;
    switch (type.model) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 8:
        case 9:
            BurstAt(EnemyWorldBase(*enemy), particle_kind::kWreckSpark, 1.0f);
            break;
        default:
            break;
    }
    GameState& g = gGameState;
    g.comboWindow = 30;
    g.combo = std::min(g.combo + 1, 999);
    g.comboBounce = 8;
    g.bestCombo = std::max(g.bestCombo, g.combo);
    PlayerCraft* owner = shot->owner;
    if (owner && owner->player >= 0 && owner->player < kPlayers) {
        g.enemyPoints[owner->player] += type.score;
        g.kills[owner->player] += 1;
    }
    if (enemy->segmentBound != 0) {
        StartSmokeEmitter(enemy->basePosition, enemy->segment, -1, 1.0f);
        DetachEnemyFromSegment(enemy);
    }
    if (enemy->type == 12 || enemy->type == 18 || (enemy->type >= 28 && enemy->type <= 37)) {
        ForgetPassSnapshot();
    }
    if (enemy->type >= 28 && enemy->type <= 37) {
        if (gBossHooks.recordPartDestroyed) gBossHooks.recordPartDestroyed(enemy);
    } else if (enemy->type == 18) {
        if (gBossHooks.countDownStage18) gBossHooks.countDownStage18();
    } else if (enemy->type == 12) {
        if (gBossHooks.beginTransition) gBossHooks.beginTransition();
    }
    int32_t amount = (RandomInt() % 10 + 90) * std::min(g.combo, 20);
    gfx::Vec3 base = EnemyWorldBase(*enemy);
    SpawnMoneyPickups(owner, base.x, base.y, base.z, amount);
    g.enemiesDestroyed += 1;
    if (type.shakeOnDeath != 0) StartScreenShake(10, 2, 2, 2);
    enemy->state = EnemyState::ShotDown;
    PlaySoundEffect(291);

    const gfx::Vec3& p = enemy->points[static_cast<size_t>(k)];
    if (shot->kind != shot_kind::kLockLaser) BurstAt(p, particle_kind::kExplosion, 2.0f);
    if (shot->kind == shot_kind::kBigBurst || shot->kind == shot_kind::kHomingSmall) {
        BurstAt(p, 10 + RandomInt() % 5, 0.8f);
    } else if (shot->kind == shot_kind::kBurst) {
        BurstAt(p, particle_kind::kDebrisDark, 1.0f);
    } else {
        BurstAt(p, particle_kind::kDebris, 2.0f);
    }
    BurstAt(p, particle_kind::kSpark, 2.0f);
    if (shot->kind != shot_kind::kLockLaser) {
        bool big = shot->kind == shot_kind::kBigBurst || shot->kind == shot_kind::kHomingSmall;
        SpawnShotAt(owner, p.x, p.y, p.z, big ? shot_kind::kBigBurst : shot_kind::kBurst);
    }
}

void Strike(Shot* shot, Enemy* enemy, const EnemyType& type, int k) {
    enemy->damageDisplay = 30;
    if (shot->kind == shot_kind::kRing) {
        int index = std::clamp(enemy->hitRingIndex, 0, kEnemyHitRing - 1);
        enemy->hitRing[static_cast<size_t>(index)] = shot->serial;
        enemy->hitRingIndex = (index + 1) % kEnemyHitRing;
    }
    float before = enemy->hitPoints;
    enemy->hitPoints -= ShotDamage(*shot, DamageFactor(gGameState.playerSetup));
    if (IsLockOnKind(shot->kind)) {
        if (shot->kind != shot_kind::kLockLaser) {
            BurstAt(enemy->points[static_cast<size_t>(k)], particle_kind::kExplosion, 3.0f);
        }
        if (shot->target == EnemyIndex(*enemy) && shot->lockSlot >= 0 &&
            shot->lockSlot < kEnemyLockSlots) {
            enemy->lockCountdowns[static_cast<size_t>(shot->lockSlot)] = 0;
        }
        PlaySoundEffect(290);
    } else if (shot->kind == shot_kind::kChargedLaser) {
        PlaySoundEffect(290);
    } else {
        RaiseComboWindow();
        if (shot->kind != shot_kind::kBurst && shot->kind != shot_kind::kBigBurst) {
            PlaySoundEffect(290);
        }
    }
    if (enemy->type == 16 || enemy->type == 55) ForgetPassSnapshot();
    if (enemy->type == 16 && gBossHooks.spawnDamageDebris) {
        gBossHooks.spawnDamageDebris(enemy, before - enemy->hitPoints);
    }
    if (enemy->type == 55 && gBossHooks.startStageFlash) gBossHooks.startStageFlash();
    if (enemy->hitPoints <= 0.0f) Kill(shot, enemy, type, k);
    enemy->hitBlink = 4;
}

bool IsStrikable(const Enemy& enemy) {
    return enemy.spawnDelay < 1 && enemy.untargetable != 1 && enemy.state == EnemyState::Active;
}

// Tests the shot against enemy i; returns 1 when it struck one of its points.
int TryEnemy(Shot* shot, int i) {
    Enemy& enemy = gEnemyPool[static_cast<size_t>(i)];
    if (!IsStrikable(enemy)) return 0;
    const EnemyType* type = EnemyTypeOf(enemy);
    if (!type) return 0;
    if (shot->kind == shot_kind::kLockLaser && type->model == 46) return 0;
    if (shot->kind == shot_kind::kRing && RingHolds(enemy, shot->serial)) return 0;
    int points = std::clamp(type->pointCount, 0, kEnemyPointCount);
    float reach = type->hitRadius + shot->radius;
    float reachSquared = reach * reach;
    if (points > 1 && OutOfReach(i, enemy, shot->position, reach)) return 0;
    for (int k = 0; k < points; ++k) {
        // The distance below the reach, compared squared.
        const gfx::Vec3& point = enemy.points[static_cast<size_t>(k)];
        float dx = shot->position[0] - point.x;
        float dy = shot->position[1] - point.y;
        float dz = shot->position[2] - point.z;
        if (!(reach > 0.0f && dx * dx + dy * dy + dz * dz < reachSquared)) continue;
        Strike(shot, &enemy, *type, k);
        return 1;
    }
    return 0;
}

// True when p lies so far outside block b's box that none of its enemies can be within reach
// (the shot's radius and 0.01): the box is kept off by far more than the rounding of the
// test of each enemy.
bool BlockOutOfReach(const PointSpread& c, size_t b, const float (&p)[3], float reach) {
    for (size_t axis = 0; axis < 3; ++axis) {
        float keepOff = reach * 1.001f + c.blockSlack[b] + 1.0e-3f * std::fabs(p[axis]);
        if (p[axis] < c.blockLow[axis][b] - keepOff || p[axis] > c.blockHigh[axis][b] + keepOff) {
            return true;
        }
    }
    return false;
}

int ResolvePlayerShot(Shot* shot) {
    if (gGameState.playPhase == PlayPhase::NoCreditPrompt ||
        gGameState.playPhase == PlayPhase::ContinuePrompt) {
        return 0;
    }
    // A lock-on shot tests its own target only.
    if (IsLockOnKind(shot->kind)) {
        if (shot->target < 0 || shot->target >= kEnemyPoolSize) return 0;
        return TryEnemy(shot, shot->target);
    }
    if (gPointSpread.valid) {
        // A block of enemies at a time is put aside when the shot is far from the block's
        // box or none of their points is within reach; the others are tried in pool order.
        const PointSpread& c = gPointSpread;
        const Lanes x = Lanes{} + shot->position[0], y = Lanes{} + shot->position[1],
                    z = Lanes{} + shot->position[2], radius = Lanes{} + shot->radius;
        auto near = [&](size_t m) {
            Lanes far = FarWithinReach(LoadLanes(&c.liveBound[m]) + radius);
            Lanes dx = x - LoadLanes(&c.liveX[m]);
            Lanes dy = y - LoadLanes(&c.liveY[m]);
            Lanes dz = z - LoadLanes(&c.liveZ[m]);
            return ~(dx * dx + dy * dy + dz * dz > far * far);
        };
        const float reach = shot->radius + 0.01f;
        for (int n = 0; n < c.liveCount && c.valid; n += kLiveBlock) {
            size_t m = static_cast<size_t>(n);
            if (BlockOutOfReach(c, m / kLiveBlock, shot->position, reach)) continue;
            LaneFlags low = near(m), high = near(m + kLanes);
            if (!AnyLane(low | high)) continue;
            for (int k = 0; k < kLiveBlock && n + k < c.liveCount && c.valid; ++k) {
                bool inReach = k < kLanes ? low[k] != 0 : high[k - kLanes] != 0;
                if (inReach && TryEnemy(shot, c.live[m + static_cast<size_t>(k)])) return 1;
            }
        }
        if (c.valid) return 0;
    }
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        if (TryEnemy(shot, i)) return 1;
    }
    return 0;
}

}  // namespace

float DamageFactor(PlayerSetup setup) {
    switch (setup) {
        case PlayerSetup::ComputerPartner:
            return 0.8f;
        case PlayerSetup::TwoPlayers:
            return 0.6f;
        default:
            return 1.0f;
    }
}

bool IsKnockDownKind(int32_t kind) {
    switch (kind) {
        case 16:
        case 21:
        case 22:
        case 23:
        case 27:
        case 30:
            return true;
        default:
            return false;
    }
}

bool IsLockOnKind(int32_t kind) {
    switch (kind) {
        case 2:
        case 5:
        case 6:
        case 8:
        case 9:
        case 32:
            return true;
        default:
            return false;
    }
}

int ResolveShotHits(Shot* shot) {
    if (!shot) return 0;
    switch (shot->side) {
        case kShotSideEnemy:
            return ResolveEnemyBullet(shot);
        case kShotSidePlayer:
            return ResolvePlayerShot(shot);
        default:
            return 0;
    }
}

void UpdateCombo() {
    GameState& g = gGameState;
    bool frozen = false;
    for (const Enemy& e : gEnemyPool) {
        if (e.spawnDelay < 1 && e.state == EnemyState::Active && e.markerCountdown > 0) {
            frozen = true;
            break;
        }
    }
    if (g.comboWindow > 0 && !frozen) g.comboWindow -= 1;
    if (g.comboShownTicks > 0) g.comboShownTicks -= 1;
    if (g.comboWindow == 0) {
        if (g.combo > 0) {
            g.comboShownTicks = 60;
            g.comboShown = g.combo;
        }
        g.combo = 0;
    }
    if (g.comboBounce > 0) g.comboBounce -= 1;
}

void BeginShotHitPass() {
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        const gfx::Vec3& first = e.points[0];
        const EnemyType* type = EnemyTypeOf(e);
        int points = type ? std::clamp(type->pointCount, 0, kEnemyPointCount) : 0;
        float spread = 0.0f;
        for (int k = 1; k < points; ++k) {
            spread =
                std::max(spread, gfx::Length(gfx::Sub(e.points[static_cast<size_t>(k)], first)));
        }
        gPointSpread.first[static_cast<size_t>(i)] = first;
        gPointSpread.spread[static_cast<size_t>(i)] = spread;
    }
    PointSpread& c = gPointSpread;
    c.liveCount = 0;
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        const EnemyType* type = EnemyTypeOf(e);
        if (!IsStrikable(e) || !type) continue;
        size_t m = static_cast<size_t>(c.liveCount++);
        c.live[m] = static_cast<int16_t>(i);
        c.liveX[m] = e.points[0].x;
        c.liveY[m] = e.points[0].y;
        c.liveZ[m] = e.points[0].z;
        c.liveBound[m] = c.spread[static_cast<size_t>(i)] + type->hitRadius;
    }
    for (int n = 0; n < c.liveCount; n += kLiveBlock) {
        size_t b = static_cast<size_t>(n / kLiveBlock);
        float largest = 0.0f;
        bool finite = true;
        const float* axes[3] = {c.liveX.data(), c.liveY.data(), c.liveZ.data()};
        for (size_t axis = 0; axis < 3; ++axis) {
            float low = INFINITY, high = -INFINITY;
            for (int k = n; k < std::min(n + kLiveBlock, c.liveCount); ++k) {
                float at = axes[axis][k], bound = c.liveBound[static_cast<size_t>(k)];
                finite = finite && std::isfinite(at) && std::isfinite(bound);
                low = std::min(low, at - bound);
                high = std::max(high, at + bound);
                largest = std::max({largest, std::fabs(at), std::fabs(bound)});
            }
            c.blockLow[axis][b] = low;
            c.blockHigh[axis][b] = high;
        }
        c.blockSlack[b] = 1.0e-3f * (1.0f + largest);
        // A value that is not a finite number leaves the block to the test of each enemy.
        if (!finite || !std::isfinite(c.blockSlack[b])) {
            for (size_t axis = 0; axis < 3; ++axis) {
                c.blockLow[axis][b] = -INFINITY;
                c.blockHigh[axis][b] = INFINITY;
            }
        }
    }
    gPointSpread.valid = true;
}

void EndShotHitPass() {
    gPointSpread.valid = false;
}

void ResetHitGlobals() {
    gPlayerHitFlag = 0;
    gPointSpread = PointSpread{};
}
