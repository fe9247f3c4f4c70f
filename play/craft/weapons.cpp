#include "play/craft/weapons.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/input/pad.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/shots/shot_pool.h"
#include "world/course/collision.h"
#include "world/stage/stage_index.h"

LaserLockOwners gLaserLockOwners;
GaugeShake gGaugeShake;

namespace {

constexpr float kPi = gfx::kPi;

struct Aim {
    float x, y;   // the aim point on the screen
    float angle;  // heading of the craft's nose in x and z
};

bool IsLiveEnemy(const Enemy& e) {
    return e.state == EnemyState::Active && e.spawnDelay < 1 && e.untargetable != 1;
}

bool OnScreen(const ProjectedPoint& p) {
    return p.x >= 0.0f && p.x <= 640.0f && p.y >= 0.0f && p.y <= 480.0f;
}

ProjectedPoint Project(const gfx::Vec3& p) {
    ProjectedPoint out{};
    ProjectPoint(p.x, p.y, p.z, &out);
    return out;
}

int32_t LongLock() {
    return gCurrentStage && gCurrentStage->longLock != 0 ? 1 : 0;
}

int PointCount(const Enemy& e) {
    const EnemyType* type = EnemyTypeOf(e);
    return type ? std::clamp(type->pointCount, 0, kEnemyPointCount) : 0;
}

const gfx::Vec3& LaserPoint(const Enemy& e) {
    return e.points[static_cast<size_t>(std::clamp(e.markerPoint, 0, kEnemyPointCount - 1))];
}

bool OwnsLaserLock(int enemy, const PlayerCraft& craft) {
    return gLaserLockOwners.owner[static_cast<size_t>(enemy)] == craft.player;
}

// The roll-axis angle of a craft's pose.
float RollAxis(const PlayerCraft& c) {
    return c.bank + c.rollAngle + std::sin(c.wobblePhase) * 0.05f +
           std::sin(c.gunWobblePhase) * 0.0125f + std::sin(c.bumpSpin) * 0.2f;
}

Aim AimOf(const PlayerCraft& craft) {
    gfx::Vec3 f = gfx::TransformNormal(gfx::Vec3{0.0f, 0.0f, 100.0f}, craft.rotation);
    ProjectedPoint a = Project(gfx::Add(craft.position, f));
    return Aim{a.x, a.y, std::atan2(f.x, f.z)};
}

// Step 3: drops the locks whose points have left the view; returns the number of ordinary
// locks kept, and whether this craft holds a laser lock on the screen.
int CheckLocks(PlayerCraft* craft, bool* laserOnScreen) {
    *laserOnScreen = false;
    int count = 0;
    float laserFar = -550.0f - static_cast<float>(LongLock()) * 400.0f;
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        if (!IsLiveEnemy(e)) continue;
        if (e.markerCountdown > 0) {
            ProjectedPoint p = Project(LaserPoint(e));
            float depth = static_cast<float>(p.depth);
            if (depth >= -100.0f || depth < laserFar) {
                e.markerCountdown = 0;
            } else if (!OnScreen(p)) {
                e.markerCountdown = 0;
                float x = std::clamp(p.x, 32.0f, 608.0f);
                float y = std::clamp(p.y, 32.0f, 448.0f);
                SpawnParticleBurst(craft, x, y, 0.0f, particle_kind::kLockMarker, 1.0f, 1);
            } else if (OwnsLaserLock(i, *craft)) {
                *laserOnScreen = true;
            }
        }
        for (int k = 0; k < kEnemyLockSlots; ++k) {
            int32_t& countdown = e.lockCountdowns[static_cast<size_t>(k)];
            if (countdown <= 0) continue;
            ProjectedPoint p = Project(e.points[static_cast<size_t>(k)]);
            if (p.depth >= -100 || !OnScreen(p)) {
                countdown = 0;
            } else {
                ++count;
            }
        }
    }
    return count;
}

// Step 5: the first attachment point near the aim point, in range and in clear view.
void ScanForLock(PlayerCraft* craft, const Aim& aim) {
    bool holdFire = craft->holdFire == 1;
    float laserFar = -550.0f - static_cast<float>(LongLock()) * 400.0f;
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        if (!IsLiveEnemy(e)) continue;
        const EnemyType* type = EnemyTypeOf(e);
        int points = PointCount(e);
        for (int k = 0; k < points; ++k) {
            const gfx::Vec3& point = e.points[static_cast<size_t>(k)];
            ProjectedPoint p = Project(point);
            float depth = static_cast<float>(p.depth);
            if (!(p.depth < -100 && OnScreen(p))) continue;
            if (holdFire) {
                if (depth < laserFar) continue;
            } else {
                float far = type && type->farVisible != 0 ? -1300.0f : -1000.0f;
                if (depth < far) continue;
            }
            float dx = point.x - craft->position.x;
            float dz = point.z - craft->position.z;
            if (std::fabs(std::atan2(dx, dz)) - std::fabs(aim.angle) > 1.5707964f) continue;
            if (k < kEnemyLockSlots && e.lockCountdowns[static_cast<size_t>(k)] != 0) continue;
            float sx = p.x - aim.x, sy = p.y - aim.y;
            if (!(std::sqrt(sx * sx + sy * sy) < 40.0f)) continue;
            float t = 0.0f;
            gfx::Vec3 v = gfx::Sub(point, craft->position);
            if (RaycastCourse(craft->position.x, craft->position.y, craft->position.z, v.x, v.y,
                              v.z, &t)) {
                continue;
            }
            if (holdFire) {
                if (std::sqrt(dx * dx + dz * dz) < 4000.0f) {
                    e.markerCountdown = 60;
                    e.markerPoint = k;
                    gLaserLockOwners.owner[static_cast<size_t>(i)] = craft->player;
                }
            } else {
                craft->lockCooldown = 10;
                e.lockCountdowns[static_cast<size_t>(k)] = 120;
                e.lockOwners[static_cast<size_t>(k)] = craft->player;
                e.lockAges[static_cast<size_t>(k)] = 0;
                PlaySoundEffect(293);
            }
            return;
        }
    }
}

// Step 6: in hold-fire mode the craft turns toward its laser lock.
void AimAtLaserLock(PlayerCraft* craft) {
    craft->aimTarget = -1;
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        if (!IsLiveEnemy(e) || e.markerCountdown <= 0 || !OwnsLaserLock(i, *craft)) continue;
        craft->aimTarget = i;
        gfx::Vec3 d = gfx::Sub(LaserPoint(e), craft->position);
        const gfx::Mat4& m = gGameState.cameraDirection;
        gfx::Vec3 c = gfx::TransformNormal(gfx::Vec3{0.0f, 0.0f, 20.0f}, m);
        // The aim stays in the craft: the next tick's pose and the charge shots, which take
        // their owner's yaw and pitch, start from it.
        craft->yaw = WrapAngle(std::atan2(d.x, d.z) - std::atan2(c.x, c.z));
        craft->pitch = WrapAngle(-std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z)) -
                                 std::atan2(c.y, std::sqrt(c.x * c.x + c.z * c.z)));
        craft->bank = 0.0f;
        craft->rotation =
            gfx::Multiply(gfx::RotationYawPitchRoll(craft->yaw, craft->pitch, RollAxis(*craft)), m);
    }
}

void StepGunFrames(PlayerCraft* craft, bool firing) {
    int frame = 9;
    if (craft->craft == 1 || craft->craft == 2) frame = 11;
    if (craft->craft == 3) frame = 2;
    for (int f : {frame, 0}) {
        int32_t& t = craft->animation[f];
        if (!firing) {
            t = 0;
            continue;
        }
        t += 17;
        if (t > 199) t = 0;
    }
}

// Step 7: the vulcan, its burst and the hold-fire mode.
void StepVulcan(PlayerCraft* craft, const PadState& pad) {
    if (pad.pressed & kPadDecide) craft->burst = 120;
    if (pad.held & kPadDecide) {
        craft->holdTicks += 1;
        if (craft->holdTicks > 19) craft->holdFire = 1;
    } else {
        craft->holdTicks = 0;
        if (craft->holdFire != 0) {
            craft->holdFire = 0;
            craft->burst = 0;
            PlaySoundEffect(295);
            const gfx::Vec3& p = craft->position;
            SpawnParticleBurst(craft, p.x, p.y, p.z, particle_kind::kGunSparkRight, 1.0f, 1);
            SpawnParticleBurst(craft, p.x, p.y, p.z, particle_kind::kGunSparkLeft, 1.0f, 1);
        }
    }
    if (craft->burst > 0 || craft->holdFire == 1) {
        craft->gunTicks += 1;
        if (craft->gunTicks % 5 == 1) {
            FirePlayerWeapon(craft, craft->craft == 1 ? shot_kind::kTwinCraft1 : shot_kind::kTwin);
            PlaySoundEffect(294);
        }
        craft->gunWobblePhase += 1.0f;
        StepGunFrames(craft, true);
    } else {
        craft->gunTicks = 0;
        craft->gunWobblePhase = 0.0f;
        StepGunFrames(craft, false);
    }
    if (craft->burst > 0) craft->burst -= 1;
}

// An orbiting shot index that no longer names this craft's shot of the kind is forgotten.
void ForgetLostOrbitShot(PlayerCraft* craft, int k, int32_t kindA, int32_t kindB) {
    int32_t& index = craft->orbitShots[k];
    if (index == -1) return;
    const Shot* shot = ShotAtIndex(index);
    if (!shot || shot->owner != craft || (shot->kind != kindA && shot->kind != kindB)) index = -1;
}

void FreeOrbitShot(PlayerCraft* craft, int k) {
    int32_t& index = craft->orbitShots[k];
    if (index == -1) return;
    if (Shot* shot = ShotAtIndex(index)) shot->kind = shot_kind::kFree;
    index = -1;
}

bool AnyLockHeld() {
    for (const Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || e.spawnDelay >= 1) continue;
        for (int32_t c : e.lockCountdowns) {
            if (c > 0) return true;
        }
    }
    return false;
}

bool HasLockLaser(const PlayerCraft* craft) {
    for (const Shot& shot : gShotPool.shots) {
        if (shot.kind == shot_kind::kLockLaser && shot.owner == craft) return true;
    }
    return false;
}

void Fire(PlayerCraft* craft, float heat, int32_t kind, int32_t sound) {
    AddCraftHeat(craft, heat);
    FirePlayerWeapon(craft, kind);
    PlaySoundEffect(sound);
}

void StepHammers(PlayerCraft* craft, bool press, bool lock) {
    for (int k = 0; k < 2; ++k) {
        if (craft->orbitShots[6 + k] != -1) continue;
        if (craft->orbitCounters[6 + k] == 0) {
            float angle = static_cast<float>(k) * kPi + craft->orbitAngle;
            craft->orbitShots[6 + k] = SpawnShotKind7FromOwner(craft, angle);
        } else {
            craft->orbitCounters[6 + k] -= 1;
        }
    }
    int next = 6 + (craft->hammerIndex == 1 ? 1 : 0);
    const Shot* hammer = ShotAtIndex(craft->orbitShots[next]);
    if (press && lock && hammer && hammer->timer > 20) {
        SpawnShotKind8InSlot(craft, craft->orbitShots[next]);
        craft->orbitShots[next] = -1;
        craft->orbitCounters[next] = 60;
        craft->hammerIndex = craft->hammerIndex == 1 ? 0 : 1;
        PlaySoundEffect(306);
        AddCraftHeat(craft, 20.0f);
    }
}

void StepCharge(PlayerCraft* craft, bool press) {
    int32_t& charge = craft->orbitCounters[0];
    if (craft->orbitShots[0] == -1 && charge == 0) {
        craft->orbitShots[0] = SpawnShotKind33Or34FromOwner(craft, craft->orbitAngle, 0);
    }
    if (charge == 0) {
        if (!press) return;
        for (int k = 1; k <= 5; ++k) {
            if (craft->orbitShots[k] != -1) continue;
            if (craft->orbitCounters[k] == 0) {
                float angle = 2.0f * static_cast<float>(k) * kPi / 5.0f + craft->orbitAngle;
                craft->orbitShots[k] = SpawnShotKind33Or34FromOwner(craft, angle, k);
            } else {
                craft->orbitCounters[k] -= 1;
            }
        }
        charge = 1;
        PlaySoundEffect(302);
        return;
    }
    charge += 1;
    if (charge < 1200) {
        craft->heat = static_cast<float>(charge) * 130.0f / 1200.0f;
    } else {
        if (charge == 1200) PlaySoundEffect(312);
        craft->heat = 130.0f - static_cast<float>(charge - 1200) * 130.0f / 600.0f;
        FirePlayerWeapon(craft, shot_kind::kChargedLaser);
    }
    if (charge > 1799) charge = 0;
}

// Step 9: the sub-weapon.
void StepSubWeapon(PlayerCraft* craft, const PadState& pad) {
    bool press = (pad.pressed & kPadCancel) != 0;
    bool held = (pad.held & kPadCancel) != 0;
    int32_t weapon = craft->weapon;
    if ((weapon == 4 || weapon == 5) && held) {
        craft->subHoldTicks += 1;
    } else if (!held) {
        craft->subHoldTicks = 0;
    }
    if (craft->heat > kHeatLimit || craft->overheatLock != 0) return;
    switch (weapon) {
        case 0:
            if (press && AnyLockHeld()) Fire(craft, 13.0f, shot_kind::kHoming, 296);
            break;
        case 1:
            if (press && AnyLockHeld()) Fire(craft, 13.0f, shot_kind::kHomingSmall, 305);
            break;
        case 2:
            StepHammers(craft, press, press && AnyLockHeld());
            break;
        case 3:
            if (press && AnyLockHeld()) Fire(craft, 26.0f, shot_kind::kPumpkin, 296);
            break;
        case 4:
            if (held) {
                AddCraftHeat(craft, 0.39f);
                FirePlayerWeapon(craft, shot_kind::kFlame);
                if (craft->subHoldTicks == 1) PlaySoundEffect(300);
            }
            break;
        case 5:
            if (held && (craft->subHoldTicks - 1) % 8 == 0) {
                Fire(craft, 3.9f, shot_kind::kRing, 297);
            }
            break;
        case 7:
            if (press && !HasLockLaser(craft)) Fire(craft, 52.0f, shot_kind::kLockLaser, 314);
            break;
        case 8:
            StepCharge(craft, press);
            break;
        case 9:
            if (press) Fire(craft, 26.0f, shot_kind::kDrill, 311);
            break;
        case 10:
            if (press) {
                AddCraftHeat(craft, 65.0f);
                gGameState.optionTimer += 120;
                PlaySoundEffect(303);
            }
            break;
        default:  // 6, and a craft without a weapon
            if (press && AnyLockHeld()) Fire(craft, 52.0f, shot_kind::kMissile, 299);
            break;
    }
}

// Step 10: the heat gauge, the overheat lock and cooling.
void StepHeat(PlayerCraft* craft) {
    craft->wobblePhase += craft->wobbleRate;
    float c = (craft->spec ? craft->spec->cooling : 0.0f) * 0.5f;
    if (gGameState.shopBoosts[2] != 0) c *= 1.5f;
    if (craft->heat > kHeatLimit) {
        craft->heat = kHeatLimit;
        craft->overheatLock = 30;
    }
    int player = craft->player == 1 ? 1 : 0;
    float* shake = gGaugeShake.offset[player];
    shake[0] = 0.0f;
    shake[1] = 0.0f;
    if (craft->overheatLock > 0) {
        float r1 = RandomUnit();
        float r2 = RandomUnit();
        float x = player == 0 ? 32.0f + r2 * 192.0f : 608.0f - r2 * 192.0f;
        SpawnParticleBurst(nullptr, x, 420.0f + r1 * 32.0f, 0.0f, particle_kind::kSteam, 1.0f, 1);
        float r3 = RandomUnit();
        float r4 = RandomUnit();
        SpawnParticleBurst(nullptr, craft->position.x + (r4 - 0.5f) * 20.0f, craft->position.y,
                           craft->position.z + (r3 - 0.5f) * 20.0f, particle_kind::kSmoke, 1.0f, 1);
        float r5 = RandomUnit();
        float r6 = RandomUnit();
        shake[0] = (r5 - 0.5f) * 4.0f;
        shake[1] = (r6 - 0.5f) * 4.0f;
    }
    // Weapon 8 sets its heat itself while it charges; between charges it cools as any.
    bool cools = craft->weapon != 8 || craft->orbitCounters[0] == 0;
    if (cools) {
        if (craft->overheatLock >= 2) {
            craft->overheatLock -= 1;
        } else if (craft->coolDelay >= 1) {
            craft->coolDelay -= 1;
        } else if (craft->heat <= 0.0f) {
            craft->overheatLock = 0;
        } else {
            craft->heat -= c;
        }
    }
    if (std::fabs(craft->shownHeat - craft->heat) <= 3.0f) {
        craft->shownHeat = craft->heat;
    } else {
        craft->shownHeat += craft->shownHeat < craft->heat ? 3.0f : -3.0f;
    }
    if (craft->shownLife < craft->life) craft->shownLife += 1.0f;
    if (craft->shownLife > craft->life) craft->shownLife -= 1.0f;
}

}  // namespace

int32_t LockCapacity(int32_t weapon) {
    if (weapon < 0 || weapon >= kWeaponCount) return kLockCapacity[kWeaponCount];
    return kLockCapacity[static_cast<size_t>(weapon)];
}

void ResetWeaponGlobals() {
    gLaserLockOwners.owner.fill(-1);
    gGaugeShake = GaugeShake{};
}

void UpdateCraftWeapons(PlayerCraft* craft, const PadState& pad) {
    if (!craft) return;
    Aim aim = AimOf(*craft);
    if (craft->holdFire == 0) {
        for (int i = 0; i < kEnemyPoolSize; ++i) {
            Enemy& e = gEnemyPool[static_cast<size_t>(i)];
            if (IsLiveEnemy(e) && OwnsLaserLock(i, *craft)) e.markerCountdown = 0;
        }
    }
    bool laserOnScreen = false;
    int locks = CheckLocks(craft, &laserOnScreen);
    bool mayLock = (locks < LockCapacity(craft->weapon) || craft->holdFire == 1) &&
                   craft->lockCooldown == 0 && (craft->holdFire != 1 || !laserOnScreen);
    if (mayLock) ScanForLock(craft, aim);
    AimAtLaserLock(craft);

    for (int k = 0; k < kOrbitShots; ++k) {
        if (k <= 5) {
            ForgetLostOrbitShot(craft, k, shot_kind::kChargeCore, shot_kind::kChargeSatellite);
        } else {
            ForgetLostOrbitShot(craft, k, shot_kind::kHammer, shot_kind::kHammer);
        }
    }
    if (craft->state == CraftState::Flying) {
        StepVulcan(craft, pad);
        if (craft->weapon == 8 && craft->orbitCounters[0] == 0) {
            for (int k = 1; k <= 5; ++k) FreeOrbitShot(craft, k);
        }
        StepSubWeapon(craft, pad);
    }
    StepHeat(craft);
}
