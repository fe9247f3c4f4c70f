#include "play/shots/shot_flight.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>

#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/overlay/fade.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/hits.h"
#include "play/pickups/particles.h"
#include "play/shots/shot_pool.h"
#include "play/shots/vec3_fields.h"
#include "world/course/collision.h"
#include "world/effects/effects.h"
#include "world/stage/stage_index.h"

namespace {

constexpr float kPi = gfx::kPi;

// What follows a kind's step.
enum class After {
    CourseTest,  // the course test runs (also on a shot the step has just freed)
    NextShot,    // straight to the next shot
};

void Free(Shot* shot) {
    shot->kind = shot_kind::kFree;
}

void AddCarry(Shot* shot, const gfx::Vec3& c) {
    shot->position[0] += c.x;
    shot->position[1] += c.y;
    shot->position[2] += c.z;
}

bool OnScreen(const Shot& shot) {
    return IsPointOnScreen(shot.position[0], shot.position[1], shot.position[2], 32.0f);
}

void Burst(const Shot& shot, int32_t kind, float scale) {
    SpawnParticleBurst(nullptr, shot.position[0], shot.position[1], shot.position[2], kind, scale,
                       1);
}

// The target enemy of a shot when it is a live pool record, else null.
Enemy* TargetEnemy(const Shot& shot) {
    if (shot.target < 0 || shot.target >= kEnemyPoolSize) return nullptr;
    return &gEnemyPool[static_cast<size_t>(shot.target)];
}

// Every lock of the shot's target enemy dropped.
void ClearTargetLocks(const Shot& shot) {
    Enemy* enemy = TargetEnemy(shot);
    if (!enemy) return;
    enemy->lockCountdowns.fill(0);
}

// The craft a shot belongs to, when it is one of the two craft records.
PlayerCraft* OwnerCraft(const Shot& shot) {
    for (PlayerCraft& craft : gPlayerCrafts) {
        if (shot.owner == &craft) return &craft;
    }
    return nullptr;
}

// The roll-axis angle of a craft's pose.
float RollAxis(const PlayerCraft& c) {
    return c.bank + c.rollAngle + std::sin(c.wobblePhase) * 0.05f +
           std::sin(c.gunWobblePhase) * 0.0125f + std::sin(c.bumpSpin) * 0.2f;
}

gfx::Mat4 OwnerPose(const PlayerCraft& c) {
    return gfx::Multiply(gfx::RotationYawPitchRoll(c.yaw, c.pitch, RollAxis(c)),
                         gGameState.cameraDirection);
}

After StepEnemyBullet(Shot* shot) {
    if (shot->kind == shot_kind::kFallingBullet) shot->velocity[1] -= 0.05f;
    if (!OnScreen(*shot)) {
        Free(shot);
        return After::CourseTest;
    }
    if (ResolveShotHits(shot) || shot->timer >= 200) Free(shot);
    return After::CourseTest;
}

void StepMissileHoming(Shot* shot, const gfx::Vec3& c) {
    int32_t kind = shot->kind;
    int player = shot->aimedPlayer == 1 ? 1 : 0;
    const PlayerCraft& craft = gPlayerCrafts[static_cast<size_t>(player)];
    gfx::Vec3 aim = gfx::Add(craft.position, ToVec(shot->spin));
    bool follows = kind == 16 || kind == 25 || kind == 27 || shot->timer < 60;
    if (follows) {
        SetVec(shot->flight, aim);
    } else {
        for (int i = 0; i < 3; ++i) shot->flight[i] += (&c.x)[i];
    }
    float dx = shot->flight[0] - shot->position[0];
    float dy = shot->flight[1] - shot->position[1];
    float dz = shot->flight[2] - shot->position[2];
    float h = std::sqrt(dx * dx + dz * dz);
    float rate = 0.02f;
    float minimum = 200.0f;
    bool turning = true;
    switch (kind) {
        case 21:
            rate = 0.05f;
            break;
        case 22:
            turning = shot->timer <= 200;
            break;
        case 27:
            rate = 0.1f;
            minimum = 100.0f;
            break;
        case 25:
            rate = 0.03f;
            turning = shot->timer >= 40 && shot->timer <= 200;
            minimum = 100.0f;
            break;
        case 16:
            minimum = 200.0f - static_cast<float>(shot->kindValueA) * 10.0f;
            break;
        default:
            break;
    }
    if (h > minimum && turning) {
        shot->yaw = TurnAngleToward(WrapAngle(shot->yaw), WrapAngle(std::atan2(dx, dz)), rate);
        shot->pitch = TurnAngleToward(WrapAngle(shot->pitch), WrapAngle(std::atan2(dy, h)), rate);
    }
    float cap = 2.0f;
    if (kind == 16) cap = static_cast<float>(shot->kindValueA) + 6.0f;
    if (kind == 25) cap = 3.5f;
    if (kind == 23) cap = 4.0f;
    float s = std::min(static_cast<float>(shot->timer) * 0.1f + 1.0f, cap);
    shot->velocity[0] = std::sin(shot->yaw) * s + c.x;
    shot->velocity[1] = std::sin(shot->pitch) * s + c.y;
    shot->velocity[2] = std::cos(shot->yaw) * s + c.z;
    if (kind == 25) {
        Burst(*shot, particle_kind::kChargeGlow, 1.0f);
    } else {
        Burst(*shot, particle_kind::kSmoke, kind == 27 ? 0.5f : 0.7f);
    }
}

After StepMissile(Shot* shot, const gfx::Vec3& c) {
    int32_t kind = shot->kind;
    bool leaves = kind == 16 || kind == 27;
    if (leaves && !OnScreen(*shot)) {
        Free(shot);
        return After::NextShot;
    }
    if (ResolveShotHits(shot)) {
        Free(shot);
        return After::NextShot;
    }
    StepMissileHoming(shot, c);
    if (shot->timer >= (leaves ? 200 : 600)) Free(shot);
    return kind == 25 ? After::NextShot : After::CourseTest;
}

// Lock-on shots speed up and turn toward their target's lock point, harder the longer they
// have flown past their straight start.
void StepLockOnHoming(Shot* shot) {
    float s = std::min(static_cast<float>(shot->timer) * 0.3f + shot->carrierSpeed, 10.0f);
    shot->velocity[0] = std::sin(shot->yaw) * s;
    shot->velocity[1] = std::sin(shot->pitch) * s;
    shot->velocity[2] = std::cos(shot->yaw) * s;
    Enemy* enemy = TargetEnemy(*shot);
    if (!enemy) {
        shot->target = -1;
        for (float& v : shot->velocity) v *= 0.95f;
        return;
    }
    if (enemy->state != EnemyState::Active) {
        shot->target = -1;
        return;
    }
    int slot = std::clamp(shot->lockSlot, 0, kEnemyPointCount - 1);
    gfx::Vec3 d = gfx::Sub(enemy->points[static_cast<size_t>(slot)], ToVec(shot->position));
    float rate = 0.1f;
    if (shot->timer > shot->straightTicks) {
        rate = static_cast<float>(shot->timer - shot->straightTicks) * 0.002f + 0.1f;
    }
    shot->yaw = TurnAngleToward(shot->yaw, std::atan2(d.x, d.z), rate);
    shot->pitch =
        TurnAngleToward(shot->pitch, std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z)), rate);
}

After StepLockOn(Shot* shot, const gfx::Vec3& c) {
    AddCarry(shot, c);
    StepLockOnHoming(shot);
    if (ResolveShotHits(shot)) {
        Free(shot);
        return After::NextShot;
    }
    if (shot->kind == shot_kind::kMissile) Burst(*shot, particle_kind::kGlow, 1.0f);
    if (shot->kind == shot_kind::kHoming) Burst(*shot, particle_kind::kSmokeThin, 0.7f);
    if (shot->timer >= 200) {
        ClearTargetLocks(*shot);
        Free(shot);
    }
    return After::CourseTest;
}

void StepPumpkin(Shot* shot, const gfx::Vec3& c) {
    AddCarry(shot, c);
    shot->radius = 30.0f;
    if (ResolveShotHits(shot)) {
        ClearTargetLocks(*shot);
        Free(shot);
        return;
    }
    shot->velocity[1] -= 0.1f;
    if (shot->timer >= 200) {
        ClearTargetLocks(*shot);
        Free(shot);
        return;
    }
    Enemy* enemy = TargetEnemy(*shot);
    if (enemy && shot->velocity[1] < 0.0f &&
        shot->position[1] < EnemyWorldBase(*enemy).y - 100.0f) {
        ClearTargetLocks(*shot);
        Free(shot);
    }
}

void StepDrill(Shot* shot, const gfx::Vec3& c) {
    AddCarry(shot, c);
    if (shot->kindValueB > 0.0f) shot->kindValueB -= 1.0f;
    for (float& s : shot->spin) s = 2.0f * (RandomUnit() - 0.5f);
    shot->matrix = gGameState.cameraDirection;
    shot->radius = 15.0f;
    if (shot->side == kShotSidePlayer && ResolveShotHits(shot)) {
        // Grinding: it steps back and hits again.
        for (int i = 0; i < 3; ++i) shot->position[i] -= 2.0f * shot->velocity[i];
        shot->kindValueB = 5.0f;
    }
    if (shot->timer >= 200) {
        Burst(*shot, particle_kind::kDebris, 2.0f);
        Free(shot);
    }
}

// The lock laser strikes the craft's oldest-running lock every 19 ticks.
void StepLockLaser(Shot* shot, const gfx::Vec3& c) {
    AddCarry(shot, c);
    if (shot->timer < 20) return;
    shot->timer = 1;
    PlayerCraft* craft = OwnerCraft(*shot);
    int target = -1;
    int slot = 0;
    if (craft) {
        int32_t best = 600;
        for (int i = 0; i < kEnemyPoolSize; ++i) {
            const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
            if (e.spawnDelay >= 1 || e.state != EnemyState::Active) continue;
            for (int k = 0; k < kEnemyLockSlots; ++k) {
                int32_t countdown = e.lockCountdowns[static_cast<size_t>(k)];
                if (countdown > 0 && e.lockOwners[static_cast<size_t>(k)] == craft->player &&
                    countdown < best) {
                    best = countdown;
                    target = i;
                    slot = k;
                }
            }
        }
    }
    if (target < 0) {
        Free(shot);
        return;
    }
    shot->target = target;
    shot->lockSlot = slot;
    gfx::Vec3 base = EnemyWorldBase(gEnemyPool[static_cast<size_t>(target)]);
    // The beam runs from where the laser stands to the target.
    gfx::Vec3 kept = craft->position;
    craft->position = ToVec(shot->position);
    SpawnParticleBurst(craft, base.x, base.y, base.z, particle_kind::kBeam, 1.0f, 1);
    craft->position = kept;
    SetVec(shot->position, base);
    shot->radius = 30.0f;
    ResolveShotHits(shot);
}

// A shot of the option: a kind-1 pair or one kind-38 beam, launched from the option.
void LaunchOptionShot(const Shot& option, int32_t kind, float xOffset, const gfx::Vec3& c) {
    Shot* shot = ClaimFreeShotSlot();
    if (!shot) return;
    shot->kind = kind;
    shot->side = kShotSidePlayer;
    shot->owner = option.owner;
    gfx::Vec3 offset = gfx::TransformNormal(gfx::Vec3{xOffset, 0.0f, 16.0f}, option.matrix);
    SetVec(shot->position, gfx::Add(ToVec(option.position), offset));
    shot->matrix = option.matrix;
    gfx::Vec3 v = gfx::TransformNormal(gfx::Vec3{0.0f, 0.0f, -40.0f}, option.matrix);
    SetVec(shot->velocity, gfx::Add(v, c));
    shot->radius = 15.0f;
}

void StepOption(Shot* shot, const gfx::Vec3& c) {
    const PlayerCraft& a = gPlayerCrafts[0];
    const PlayerCraft& b = gPlayerCrafts[1];
    SetVec(shot->position, gfx::Scale(gfx::Add(a.position, b.position), 0.5f));
    shot->yaw = static_cast<float>(shot->timer) * 0.2f;
    shot->matrix = gGameState.cameraDirection;
    if (gGameState.optionTimer < 1) {
        bool firing = false;
        int count = std::clamp(gGameState.playerCount, 0, 2);
        for (int i = 0; i < count; ++i) {
            const PlayerCraft& craft = gPlayerCrafts[static_cast<size_t>(i)];
            firing = firing || craft.burst > 0 || craft.holdFire != 0;
        }
        if (shot->timer % 5 == 1 && firing) {
            PlaySoundEffect(294);
            LaunchOptionShot(*shot, shot_kind::kTwin, 3.2f, c);
            LaunchOptionShot(*shot, shot_kind::kTwin, -3.2f, c);
        }
    } else {
        gGameState.optionTimer -= 1;
        LaunchOptionShot(*shot, shot_kind::kOptionBeam, 0.0f, c);
    }
}

After StepShot(Shot* shot, const gfx::Vec3& c) {
    switch (shot->kind) {
        case 3:
        case 17:
        case 19:
        case 20:
        case 26:
        case 30:
            return StepEnemyBullet(shot);
        case 31: {
            bool hit = ResolveShotHits(shot) != 0;
            Burst(*shot, particle_kind::kBulletGlow, 1.0f);
            if (hit || shot->timer >= 200) Free(shot);
            return After::CourseTest;
        }
        case 12:
        case 13:
        case 14:
        case 15:
            if (ResolveShotHits(shot)) {
                Free(shot);
            } else if (shot->timer >= 200) {
                Free(shot);
            }
            return After::NextShot;
        case 16:
        case 21:
        case 22:
        case 23:
        case 25:
        case 27:
            return StepMissile(shot, c);
        case shot_kind::kTwin:
        case shot_kind::kTwinCraft1: {
            if (ResolveShotHits(shot)) {
                Free(shot);
                return After::NextShot;
            }
            bool longLock = gCurrentStage && gCurrentStage->longLock != 0;
            int life = shot->side == kShotSidePlayer ? (longLock ? 20 : 15) : 40;
            if (shot->timer >= life) Free(shot);
            return After::CourseTest;
        }
        case 2:
        case 5:
        case 8:
        case 9:
            return StepLockOn(shot, c);
        case shot_kind::kPumpkin:
            StepPumpkin(shot, c);
            return After::NextShot;
        case shot_kind::kDrill:
            StepDrill(shot, c);
            return After::CourseTest;
        case shot_kind::kRing: {
            shot->scale += 0.06f;
            shot->radius = shot->scale * 20.0f;
            bool hit = shot->side == kShotSidePlayer && ResolveShotHits(shot);
            if (shot->timer >= 50) Free(shot);
            return hit ? After::NextShot : After::CourseTest;
        }
        case shot_kind::kFlame:
            shot->yaw += 0.05f;
            shot->scale += 0.4f;
            shot->radius = shot->scale * 5.0f;
            if (shot->side == kShotSidePlayer && ResolveShotHits(shot)) {
                Free(shot);
                return After::NextShot;
            }
            if (shot->timer >= 32) Free(shot);
            return After::CourseTest;
        case shot_kind::kChargedLaser:
            shot->radius = 60.0f;
            if (shot->side == kShotSidePlayer) ResolveShotHits(shot);
            if (shot->timer >= 50) Free(shot);
            return After::NextShot;
        case shot_kind::kOptionBeam:
            shot->radius = 15.0f;
            if (shot->side == kShotSidePlayer && ResolveShotHits(shot)) {
                Free(shot);
                return After::NextShot;
            }
            if (shot->timer >= 50) Free(shot);
            return After::NextShot;
        case shot_kind::kLockLaser:
            StepLockLaser(shot, c);
            return After::CourseTest;
        case shot_kind::kBurst:
        case shot_kind::kBigBurst:
            // A burst made during this pass waits for the next one.
            if (!IsShotGenerationStale(shot->generation)) return After::NextShot;
            AddCarry(shot, c);
            if (shot->side == kShotSidePlayer && shot->timer > 5) ResolveShotHits(shot);
            if (shot->timer >= 30) Free(shot);
            return After::CourseTest;
        case shot_kind::kHammer: {
            PlayerCraft* owner = OwnerCraft(*shot);
            if (!owner) {
                Free(shot);
                return After::NextShot;
            }
            shot->yaw += 0.1f;
            shot->pitch += 0.1f;
            float r = std::min(static_cast<float>(shot->timer), 20.0f);
            shot->position[0] = owner->position.x + std::sin(shot->pitch) * r;
            shot->position[1] = owner->position.y;
            shot->position[2] = owner->position.z + std::cos(shot->pitch) * r;
            ResolveShotHits(shot);
            return After::CourseTest;
        }
        case shot_kind::kChargeCore:
        case shot_kind::kChargeSatellite: {
            PlayerCraft* owner = OwnerCraft(*shot);
            if (!owner) {
                Free(shot);
                return After::NextShot;
            }
            shot->matrix = OwnerPose(*owner);
            if (shot->kind == shot_kind::kChargeCore) {
                SetVec(shot->position, owner->position);
                return After::CourseTest;
            }
            int32_t charge = owner->orbitCounters[0];
            if (charge < 1081) {
                shot->pitch += 0.05f;
            } else {
                shot->pitch +=
                    std::min(static_cast<float>(charge - 1080) * kPi * 0.1f / 120.0f + 0.04712389f,
                             0.31415927f);
            }
            float r = std::min(static_cast<float>(shot->timer) * 0.2f, 15.0f);
            gfx::Vec3 local{std::sin(shot->pitch) * r, std::cos(shot->pitch) * r, 20.0f};
            SetVec(shot->position,
                   gfx::Add(owner->position, gfx::TransformNormal(local, owner->rotation)));
            if (charge >= 1081 && charge <= 1259) Burst(*shot, particle_kind::kChargeGlow, 1.0f);
            return After::CourseTest;
        }
        case shot_kind::kOption:
            StepOption(shot, c);
            return After::CourseTest;
        default:
            return After::CourseTest;
    }
}

void CourseTest(Shot* shot) {
    float t = 0.0f;
    if (!RaycastCourse(shot->position[0], shot->position[1], shot->position[2], shot->velocity[0],
                       shot->velocity[1], shot->velocity[2], &t)) {
        return;
    }
    int32_t kind = shot->kind;
    Burst(*shot, particle_kind::kExplosion, 0.2f);
    if (kind == 16 || kind == 21 || kind == 22 || kind == 23 || kind == 25 || kind == 27) {
        float x = shot->position[0] - shot->velocity[0];
        float y = shot->position[1] - shot->velocity[1];
        float z = shot->position[2] - shot->velocity[2];
        SpawnParticleBurst(nullptr, x, y, z, particle_kind::kDebris, 2.0f, 1);
        SpawnParticleBurst(nullptr, x, y, z, particle_kind::kSpark, 2.0f, 1);
    }
    Free(shot);
    char line[32];
    for (int i = 0; i < 3; ++i) {
        std::snprintf(line, sizeof line, "HIT%c %8d", "XYZ"[i],
                      static_cast<int>(shot->position[i]));
        PutDebugText(0, 15 + i, line);
    }
    if (shot->side == kShotSidePlayer) ClearTargetLocks(*shot);
}

}  // namespace

void UpdateShots() {
    gfx::Vec3 c = CourseCarry();
    BeginShotHitPass();
    for (Shot& shot : gShotPool.shots) {
        if (shot.kind == shot_kind::kFree) continue;
        for (int i = 0; i < 3; ++i) shot.position[i] += shot.velocity[i];
        shot.timer += 1;
        if (StepShot(&shot, c) == After::CourseTest) CourseTest(&shot);
    }
    EndShotHitPass();
}
