// The enemy pool, the per-tick enemy update and the smoke emitters of wrecks.
#include "play/enemies/enemy_pool.h"

#include <cmath>
#include <cstddef>

#include "engine/core/digest.h"
#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "play/enemies/behaviours.h"
#include "play/pickups/particles.h"
#include "play/waves/waves.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

std::array<Enemy, kEnemyPoolSize> gEnemyPool;
SmokeEmitter gSmokeEmitter;
EnemyRailFrame gEnemyRailFrame;

namespace {

gfx::Vec3 SegmentOffset(int32_t segment) {
    if (segment < 0 || segment >= kMapSegments) return gfx::Vec3{0, 0, 0};
    const float* o = gGameState.segmentOffset[segment];
    return gfx::Vec3{o[0], o[1], o[2]};
}

void Burst(const gfx::Vec3& at, int32_t kind, float scale, int32_t count) {
    SpawnParticleBurst(nullptr, at.x, at.y, at.z, kind, scale, count);
}

bool ScrollsObjects() {
    return gCurrentStage && gCurrentStage->scrollOffset == 1;
}

}  // namespace

const EnemyType* EnemyTypeOf(const Enemy& enemy) {
    if (enemy.type < 0 || enemy.type >= kDefinedEnemyTypes) return nullptr;
    return &gEnemyTypeTable[enemy.type];
}

int EnemyIndex(const Enemy& enemy) {
    return static_cast<int>(&enemy - gEnemyPool.data());
}

gfx::Vec3 EnemyWorldBase(const Enemy& enemy) {
    if (!enemy.segmentBound) return enemy.basePosition;
    return gfx::Add(enemy.basePosition, SegmentOffset(enemy.segment));
}

void DetachEnemyFromSegment(Enemy* enemy) {
    enemy->basePosition = EnemyWorldBase(*enemy);
    enemy->segmentBound = 0;
}

Enemy* AllocEnemy() {
    for (Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Free) continue;
        gGameState.enemiesAppeared += 1;
        e.segmentBound = 0;
        e.segment = 0;
        e.bossCounter = 0;
        e.lockCountdowns.fill(0);
        e.lockAges.fill(0);
        e.hitRing.fill(-1);
        e.hitRingIndex = 0;
        e.markerCountdown = 0;
        e.animationClock = 0;
        e.yaw = e.roll = e.pitch = 0;
        e.heading = 0;
        e.velocity = gfx::Vec3{0, 0, 0};
        e.swoopVelocity = gfx::Vec3{0, 0, 0};
        e.hitBlink = 0;
        e.damageDisplay = 0;
        e.age = 0;
        e.spawnDelay = 0;
        e.subState = 0;
        e.counter = 0;
        e.fireTimer = 0;
        e.wreckTimer = 0;
        e.untargetable = 0;
        e.jitter = 0;
        e.parent = -1;
        e.bobPhase = RandomUnit() * 2.0f * gfx::kPi;
        e.wobblePhase = RandomUnit() * 2.0f * gfx::kPi;
        return &e;
    }
    return nullptr;
}

bool ActivateEnemy(Enemy* enemy, int32_t type, int32_t behaviour) {
    enemy->type = type;
    enemy->behaviour = behaviour;
    const EnemyType* row = EnemyTypeOf(*enemy);
    if (!row) {
        FreeEnemy(enemy);
        return false;
    }
    enemy->state = EnemyState::Active;
    enemy->maxHitPoints = static_cast<float>(row->hitPoints);
    enemy->hitPoints = enemy->maxHitPoints;
    return true;
}

void ResetEnemies() {
    gSmokeEmitter.age.fill(0);
    for (Enemy& e : gEnemyPool) e.state = EnemyState::Free;
    gWaveState = WaveState{};
}

void StartSmokeEmitter(const gfx::Vec3& position, int32_t segment, int32_t lifetime, float scale) {
    for (int i = 0; i < kSmokeEmitterCount; ++i) {
        if (gSmokeEmitter.age[i] != 0) continue;
        gSmokeEmitter.age[i] = 1;
        gSmokeEmitter.position[i] = position;
        gSmokeEmitter.segment[i] = segment;
        gSmokeEmitter.lifetime[i] = lifetime;
        gSmokeEmitter.scale[i] = scale;
        return;
    }
}

void UpdateEnemyWorldPoints(Enemy* enemy) {
    const EnemyType* type = EnemyTypeOf(*enemy);
    if (!type) {
        FreeEnemy(enemy);
        return;
    }
    enemy->rotation = gfx::RotationYawPitchRoll(enemy->yaw, enemy->pitch,
                                                enemy->roll + 0.1f * std::sin(enemy->wobblePhase));
    gfx::Vec3 base = EnemyWorldBase(*enemy);
    int count = type->pointCount;
    if (count > kEnemyPointCount) count = kEnemyPointCount;
    for (int i = 0; i < count; ++i) {
        enemy->points[i] = gfx::Add(gfx::TransformNormal(type->points[i], enemy->rotation), base);
    }
    enemy->centre = gfx::Add(gfx::TransformNormal(type->centre, enemy->rotation), base);
}

gfx::Vec3 ComputeRailMotion() {
    if (!ScrollsObjects()) return gfx::Vec3{0, 0, 0};
    gfx::Vec3 a = RailPoint(-gGameState.railSpeed);
    gfx::Vec3 b = RailPoint(0);
    return gfx::Sub(b, a);
}

void ResetEnemyGlobals() {
    for (Enemy& e : gEnemyPool) {
        e = Enemy{};
        e.rotation = gfx::Identity();
    }
    gSmokeEmitter = SmokeEmitter{};
    gWaveState = WaveState{};
    gEnemyRailFrame = EnemyRailFrame{};
    gStage8SetPieceSlots = Stage8SetPieceSlots{{-1, -1, -1, -1}, {-1, -1, -1}};
}

uint64_t DigestEnemyGlobals(uint64_t digest) {
    digest = FoldDigest(digest, &gEnemyPool, sizeof gEnemyPool);
    digest = FoldDigest(digest, &gSmokeEmitter, sizeof gSmokeEmitter);
    digest = FoldDigest(digest, &gWaveState, sizeof gWaveState);
    return digest;
}

namespace {

// The fall of a shot-down enemy. Returns false when the rest of the slot's tick is skipped
// (the wreck struck the course, burst, or was freed).
bool UpdateWreck(Enemy* e, const EnemyType& type) {
    e->basePosition = gfx::Add(e->basePosition, e->velocity);
    if (e->pitch > -gfx::kPi / 2) e->pitch -= 0.01f;
    if (e->roll < gfx::kPi / 2) e->roll += 0.01f;
    Burst(e->basePosition, particle_kind::kSmoke, 1.0f, 1);
    if (e->wreckTimer < kWreckStruckTimer) e->velocity.y -= 0.04f;
    gfx::Vec3 base = EnemyWorldBase(*e);
    switch (type.deathKind) {
        case DeathKind::FallAndStrike:
            if (e->wreckTimer < kWreckStruckTimer) {
                float t = 0;
                if (RaycastCourse(base.x, base.y - 10.0f, base.z, e->velocity.x, e->velocity.y,
                                  e->velocity.z, &t)) {
                    e->wreckTimer = kWreckStruckTimer;
                    e->velocity = gEnemyRailFrame.motion;
                    Burst(e->points[0], particle_kind::kDebris, 3.0f, 1);
                    Burst(e->basePosition, particle_kind::kExplosion, 2.0f, 1);
                    return false;
                }
            }
            break;
        case DeathKind::Burst: {
            int32_t lifetime = (gCurrentStage && gCurrentStage->stageNumber == 7) ? 20 : -1;
            StartSmokeEmitter(e->points[0], 0, lifetime, 0.75f);
            Burst(e->points[0], particle_kind::kDebris, 3.0f, 1);
            Burst(e->basePosition, particle_kind::kExplosion, 2.0f, 1);
            FreeEnemy(e);
            return false;
        }
        case DeathKind::FallAndBounce:
            if (e->velocity.y < 0) {
                float t = 0;
                if (RaycastCourse(base.x, base.y + 15.0f, base.z, 0, -100.0f, 0, &t)) {
                    float ground = base.y + 15.0f - 100.0f * t;
                    if (ground > base.y) {
                        e->basePosition.y += ground - base.y;
                        e->velocity.y = -0.2f * e->velocity.y;
                        e->velocity.x += 1.1f * gCourseHitNormal.x;
                        e->velocity.z += 1.1f * gCourseHitNormal.z;
                    }
                }
            }
            break;
        case DeathKind::Fall:
            break;
    }
    e->wreckTimer += 1;
    if (e->wreckTimer >= kWreckLifetime) {
        FreeEnemy(e);
        return false;
    }
    return true;
}

void UpdatePhases(Enemy* e) {
    switch (e->behaviour) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 20:
        case 21:
            e->bobPhase += 0.02f;
            e->wobblePhase += 0.05f;
            e->bobOffset = 0.5f * std::sin(e->bobPhase);
            break;
        case 11:
            e->bobPhase += 0.02f;
            e->bobOffset = 2.5f * std::sin(e->bobPhase);
            break;
        default:
            e->bobPhase = e->wobblePhase = e->bobOffset = 0;
            break;
    }
}

void UpdateSmokeEmitters() {
    for (int i = 0; i < kSmokeEmitterCount; ++i) {
        if (gSmokeEmitter.age[i] <= 0) continue;
        gSmokeEmitter.age[i] += 1;
        if (gSmokeEmitter.lifetime[i] != -1 && gSmokeEmitter.lifetime[i] < gSmokeEmitter.age[i]) {
            gSmokeEmitter.age[i] = 0;
        }
        // Puffs by age: a rising, a heavy and a flame puff, then a rest.
        gfx::Vec3 at = gfx::Add(gSmokeEmitter.position[i], SegmentOffset(gSmokeEmitter.segment[i]));
        float scale = gSmokeEmitter.scale[i];
        switch (gSmokeEmitter.age[i] % 4) {
            case 0:
                Burst(at, particle_kind::kPuffRising, 2.5f * scale, 2);
                break;
            case 1:
                Burst(at, particle_kind::kPuffHeavy, 1.0f * scale, 2);
                break;
            case 2:
                Burst(at, particle_kind::kPuffFlame, 3.5f * scale, 2);
                break;
            default:
                break;
        }
    }
}

}  // namespace

void UpdateEnemies() {
    if (gGameState.weaponSelect == 0) SpawnEnemyWaves();

    gEnemyRailFrame.motion = ComputeRailMotion();
    int keys = RailKeyCount();
    gfx::Vec3 p1 = RailPoint(static_cast<float>(1 - keys));
    gfx::Vec3 p2 = RailPoint(static_cast<float>(2 - keys));
    float step = std::sqrt((p2.z - p1.z) * (p2.z - p1.z) + (p2.x - p1.x) * (p2.x - p1.x));
    gEnemyRailFrame.step = step < 0.1f ? 0.1f : step;

    for (Enemy& e : gEnemyPool) {
        if (e.state == EnemyState::Free) continue;
        if (e.spawnDelay > 0) {
            e.spawnDelay -= 1;
            if (e.spawnDelay > 0) continue;
        }
        if (e.hitBlink > 0) e.hitBlink -= 1;
        if (e.damageDisplay > 0) e.damageDisplay -= 1;
        for (int k = 0; k < kEnemyLockSlots; ++k) {
            if (e.lockCountdowns[k] > 0) e.lockCountdowns[k] -= 1;
            if (e.lockCountdowns[k] != 0) e.lockAges[k] += 1;
        }
        if (e.markerCountdown > 1) e.markerCountdown -= 1;
        e.rotation = gfx::RotationYawPitchRoll(e.yaw, e.pitch, e.roll);

        const EnemyType* type = EnemyTypeOf(e);
        if (!type) {
            FreeEnemy(&e);
            continue;
        }
        if (e.state == EnemyState::ShotDown) {
            if (!UpdateWreck(&e, *type)) continue;
        } else if (e.state == EnemyState::Active) {
            if (!RunEnemyBehaviour(&e)) continue;
        } else {
            // A state the pool does not know: the slot is given back.
            FreeEnemy(&e);
            continue;
        }
        UpdatePhases(&e);
        UpdateEnemyWorldPoints(&e);
    }

    UpdateSmokeEmitters();
}
