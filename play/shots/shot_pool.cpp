#include "play/shots/shot_pool.h"

#include <cmath>
#include <cstddef>

#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/shots/vec3_fields.h"
#include "world/stage/stage_index.h"

ShotPool gShotPool;
int32_t gOptionShotIndex = -1;

namespace {

constexpr float kPi = gfx::kPi;

bool StageCarriesObjects() {
    return gCurrentStage && gCurrentStage->scrollOffset == 1;
}

// The claim rule: up to one pass round the pool from the cursor.
Shot* ClaimSlot() {
    for (int step = 0; step < kShotPoolSize; ++step) {
        Shot& shot = gShotPool.shots[static_cast<size_t>(gShotPool.cursor)];
        gShotPool.cursor = (gShotPool.cursor + 1) % kShotPoolSize;
        if (shot.kind == shot_kind::kFree) return &shot;
    }
    return nullptr;
}

// Every field of a claimed slot cleared, so nothing of the slot's previous shot stays.
void Clear(Shot* shot) {
    *shot = Shot{};
    shot->target = -1;
    shot->scale = 1.0f;
    shot->matrix = gfx::Identity();
}

// The initial values every player-side spawner gives its slot.
void StartPlayerShot(Shot* shot, PlayerCraft* owner, int32_t kind) {
    Clear(shot);
    shot->kind = kind;
    shot->side = kShotSidePlayer;
    shot->owner = owner;
    if (owner) {
        SetVec(shot->position, owner->position);
        shot->matrix = owner->rotation;
    }
}

gfx::Vec3 Through(const gfx::Vec3& v, const gfx::Mat4& m) {
    return gfx::TransformNormal(v, m);
}

// Position at the muzzle, velocity v along the craft's heading (plus the craft's move while
// the course carries objects), pulled back one move so the first move reaches the muzzle.
void Launch(Shot* shot, const PlayerCraft& craft, const gfx::Vec3& muzzle, float v) {
    gfx::Vec3 at = gfx::Add(craft.position, Through(muzzle, craft.rotation));
    gfx::Vec3 velocity = Through(gfx::Vec3{0.0f, 0.0f, v}, craft.rotation);
    if (StageCarriesObjects()) velocity = gfx::Add(velocity, craft.travel);
    SetVec(shot->position, gfx::Sub(at, velocity));
    SetVec(shot->velocity, velocity);
}

gfx::Vec3 TwinMuzzle(const PlayerCraft& craft, float sign) {
    float s = craft.scale;
    float x = 3.2f * sign * s;
    switch (craft.craft) {
        case 1:
            return gfx::Vec3{x, -0.5f * s, 16.0f * s};
        case 2:
            return gfx::Vec3{1.15f * x, 0.5f * s, 12.0f * s};
        case 3: {
            gfx::Vec3 m = gfx::TransformNormal(gfx::Vec3{0.2f * x, 0.0f, 0.0f},
                                               gfx::RotationZ(0.15f * craft.bank));
            return gfx::Add(m, gfx::Vec3{0.0f, -2.5f * s, 8.0f * s});
        }
        default:
            return gfx::Vec3{x, -s, 16.0f * s};
    }
}

// The lock of the player's with the smallest countdown below 600 (the first found wins a
// tie), over the live enemies; false when there is none.
bool FindOwnLock(int32_t player, int* enemyIndex, int* slot) {
    int32_t best = 600;
    bool found = false;
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        if (e.state != EnemyState::Active || e.spawnDelay >= 1) continue;
        for (int k = 0; k < kEnemyLockSlots; ++k) {
            int32_t c = e.lockCountdowns[static_cast<size_t>(k)];
            if (c > 0 && e.lockOwners[static_cast<size_t>(k)] == player && c < best) {
                best = c;
                *enemyIndex = i;
                *slot = k;
                found = true;
            }
        }
    }
    return found;
}

}  // namespace

void ResetShotPool() {
    gShotPool = ShotPool{};
    for (Shot& shot : gShotPool.shots) Clear(&shot);
    gOptionShotIndex = -1;
}

void FreeAllShots() {
    for (Shot& shot : gShotPool.shots) shot.kind = shot_kind::kFree;
}

int CountShots() {
    int n = 0;
    for (const Shot& shot : gShotPool.shots) n += shot.kind != shot_kind::kFree;
    return n;
}

int ShotIndex(const Shot* shot) {
    const Shot* first = gShotPool.shots.data();
    if (shot < first || shot >= first + kShotPoolSize) return -1;
    return static_cast<int>(shot - first);
}

Shot* ShotAtIndex(int index) {
    if (index < 0 || index >= kShotPoolSize) return nullptr;
    return &gShotPool.shots[static_cast<size_t>(index)];
}

bool IsShotGenerationStale(int32_t generation) {
    return generation != gShotPool.generation;
}

void NextShotGeneration() {
    gShotPool.generation += 1;
}

int32_t NextShotSerial() {
    return gShotPool.serial++;
}

Shot* ClaimFreeShotSlot() {
    Shot* shot = ClaimSlot();
    if (shot) Clear(shot);
    return shot;
}

void SpawnShotAt(PlayerCraft* owner, float x, float y, float z, int32_t kind) {
    Shot* shot = ClaimSlot();
    if (!shot) return;
    StartPlayerShot(shot, owner, kind);
    shot->position[0] = x;
    shot->position[1] = y;
    shot->position[2] = z;
    shot->radius = kind == shot_kind::kBigBurst ? 60.0f : 18.0f;
    shot->generation = gShotPool.generation;
}

int SpawnShotKind7FromOwner(PlayerCraft* owner, float orbitAngle) {
    Shot* shot = ClaimSlot();
    if (!shot) return -1;
    StartPlayerShot(shot, owner, shot_kind::kHammer);
    shot->radius = 20.0f;
    shot->pitch = orbitAngle;
    return ShotIndex(shot);
}

int SpawnShotKind33Or34FromOwner(PlayerCraft* owner, float orbitAngle, int flag) {
    Shot* shot = ClaimSlot();
    if (!shot) return -1;
    StartPlayerShot(shot, owner, flag == 0 ? shot_kind::kChargeCore : shot_kind::kChargeSatellite);
    shot->radius = 10.0f;
    shot->pitch = orbitAngle;
    return ShotIndex(shot);
}

void SpawnShotKind8InSlot(PlayerCraft* owner, int slot) {
    Shot* shot = ShotAtIndex(slot);
    if (!shot) return;
    // The thrown hammer starts where it orbited.
    float position[3] = {shot->position[0], shot->position[1], shot->position[2]};
    StartPlayerShot(shot, owner, shot_kind::kHammerThrown);
    for (int i = 0; i < 3; ++i) shot->position[i] = position[i];
    shot->radius = 20.0f;
    if (owner) AimHomingShot(owner, shot);
}

void FirePlayerWeapon(PlayerCraft* craft, int32_t kind) {
    if (!craft) return;
    float s = craft->scale;
    int made = 0;
    for (int step = 0; step < kShotPoolSize; ++step) {
        Shot& slot = gShotPool.shots[static_cast<size_t>(gShotPool.cursor)];
        gShotPool.cursor = (gShotPool.cursor + 1) % kShotPoolSize;
        if (slot.kind != shot_kind::kFree) continue;
        Shot* shot = &slot;
        StartPlayerShot(shot, craft, kind);
        shot->serial = NextShotSerial();
        switch (kind) {
            case shot_kind::kTwin:
            case shot_kind::kTwinCraft1:
                Launch(shot, *craft, TwinMuzzle(*craft, made == 0 ? 1.0f : -1.0f), 40.0f);
                shot->radius = 15.0f;
                if (++made < 2) continue;
                return;
            case shot_kind::kOption:
                gOptionShotIndex = ShotIndex(shot);
                return;
            case shot_kind::kLockLaser: {
                int enemy = -1, lock = 0;
                if (FindOwnLock(craft->player, &enemy, &lock)) {
                    shot->target = enemy;
                    shot->lockSlot = lock;
                } else {
                    shot->kind = shot_kind::kFree;
                }
                return;
            }
            case shot_kind::kChargedLaser:
                Launch(shot, *craft, gfx::Vec3{0.0f, -s, 16.0f * s}, 30.0f);
                shot->radius = 20.0f;
                return;
            case shot_kind::kRing:
                Launch(shot, *craft, gfx::Vec3{0.0f, -s, 16.0f * s}, 10.0f);
                shot->radius = 20.0f;
                return;
            case shot_kind::kDrill: {
                gfx::Vec3 at = gfx::Add(craft->position,
                                        Through(gfx::Vec3{0.0f, -s, 16.0f * s}, craft->rotation));
                SetVec(shot->position, at);
                SetVec(shot->velocity, Through(gfx::Vec3{0.0f, 0.0f, 4.0f}, craft->rotation));
                shot->radius = 40.0f;
                return;
            }
            case shot_kind::kFlame:
                Launch(shot, *craft, gfx::Vec3{0.0f, -s, 16.0f * s}, 10.0f);
                shot->yaw = 2.0f * kPi * RandomUnit();
                shot->radius = 20.0f;
                return;
            case shot_kind::kHoming:
            case shot_kind::kHomingSmall:
            case shot_kind::kPumpkin:
            case shot_kind::kMissile: {
                gfx::Vec3 at = gfx::Add(craft->position,
                                        Through(gfx::Vec3{0.0f, -5.0f, 0.0f}, craft->rotation));
                SetVec(shot->position, at);
                shot->radius = 20.0f;
                AimHomingShot(craft, shot);
                // Kind 9 claims on through one whole pass of the pool: one shot per lock, and
                // every claim after the locks ran out is freed again (each took a serial).
                if (kind == shot_kind::kMissile) continue;
                return;
            }
            default:
                return;
        }
    }
}

void AimHomingShot(PlayerCraft* craft, Shot* shot) {
    if (!craft || !shot) return;
    gfx::Vec3 f = Through(gfx::Vec3{0.0f, 0.0f, 80.0f}, craft->rotation);
    float h = std::atan2(f.x, f.z);
    SetVec(shot->velocity, gfx::Vec3{0.0f, 0.0f, 0.0f});
    shot->carrierSpeed = StageCarriesObjects() ? 0.0f : gfx::Length(craft->travel);

    int enemyIndex = -1, slot = 0;
    bool hasTarget = FindOwnLock(craft->player, &enemyIndex, &slot);
    int32_t kind = shot->kind;
    if (!hasTarget && (kind == shot_kind::kPumpkin || kind == shot_kind::kMissile)) {
        shot->kind = shot_kind::kFree;
        return;
    }
    float dist = 0.0f;
    if (hasTarget) {
        Enemy& enemy = gEnemyPool[static_cast<size_t>(enemyIndex)];
        shot->target = enemyIndex;
        shot->lockSlot = slot;
        enemy.lockCountdowns[static_cast<size_t>(slot)] = -1;  // spent
        gfx::Vec3 base = EnemyWorldBase(enemy);
        float dx = shot->position[0] - base.x;
        float dz = shot->position[2] - base.z;
        dist = std::sqrt(dx * dx + dz * dz);
        shot->yaw = std::atan2(dx, dz) + kPi;
        if (kind == shot_kind::kPumpkin) {
            // A lob: straight at the target, lifted by the fall it will make on the way.
            gfx::Vec3 d = gfx::Sub(base, ToVec(shot->position));
            float length = gfx::Length(d);
            gfx::Vec3 v = gfx::Scale(gfx::Normalize(d), 10.0f);
            int n = static_cast<int>(length / 10.0f);
            if (n > 0) v.y += 0.05f * static_cast<float>(n + 1);
            SetVec(shot->velocity, v);
            return;
        }
    }
    if (dist >= 100.0f || !hasTarget) {
        shot->straightTicks = static_cast<int32_t>((dist - 100.0f) / 20.0f);
        if (RandomInt() % 2 == 0) {
            shot->yaw = h + 0.05f * kPi * (RandomUnit() + 0.5f);
        } else {
            shot->yaw = h - 0.05f * kPi * (RandomUnit() + 0.5f);
        }
        if (kind == shot_kind::kPumpkin) shot->yaw = h;
    } else {
        shot->straightTicks = 0;
        shot->yaw = h + 0.1f * kPi * (RandomUnit() - 0.5f);
    }
    if (kind == shot_kind::kMissile) {
        shot->pitch = 0.2f * kPi * (RandomUnit() + 0.5f);
        shot->yaw = kPi * (RandomUnit() - 0.5f) + h + kPi;
    } else {
        shot->pitch = 0.2f * kPi * (RandomUnit() - 0.5f);
    }
}

void SpawnEnemyMissile(Enemy* enemy, const float offset[3]) {
    if (!enemy) return;
    Shot* shot = ClaimSlot();
    if (!shot) return;
    Clear(shot);
    shot->kind = shot_kind::kEnemyMissile;
    shot->side = kShotSideEnemy;
    gfx::Vec3 at =
        gfx::Add(EnemyWorldBase(*enemy),
                 gfx::TransformNormal(gfx::Vec3{offset[0], offset[1], offset[2]}, enemy->rotation));
    SetVec(shot->position, at);
    shot->aimedPlayer = 0;
    if (gGameState.playerSetup == PlayerSetup::TwoPlayers) {
        if (RandomInt() % 2 == 1) shot->aimedPlayer = 1;
    } else if (gGameState.playerSetup == PlayerSetup::ComputerPartner) {
        if ((RandomInt() & 3) == 0) shot->aimedPlayer = 1;
    }
    shot->matrix = enemy->rotation;
    shot->pitch = 0.0f;
    shot->yaw = enemy->yaw + kPi;
    for (float& s : shot->spin) s = 20.0f * (RandomUnit() - 0.5f);
}
