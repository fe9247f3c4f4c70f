// Enemy behaviours: movement rules, firing moments, leaving, and rail-relative placement.
#include "play/enemies/behaviours.h"

#include <algorithm>
#include <cmath>

#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/bosses/boss_movement.h"
#include "play/craft/craft.h"
#include "play/enemies/bullet_patterns.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "world/rail/camera_rail.h"

namespace {

constexpr float kPi = gfx::kPi;
constexpr int32_t kAnimationStep = 17;  // milliseconds of model animation a tick

// Sound effects of the firing enemies.
constexpr SoundEffectId kSoundMissile = 292;
constexpr SoundEffectId kSoundShot = 294;
constexpr SoundEffectId kSoundHeavy = 303;

void Fire(Enemy* e, int32_t pattern, SoundEffectId sound) {
    FireEnemyBulletPattern(e, pattern);
    PlaySoundEffect(sound);
}

void Animate(Enemy* e) {
    e->animationClock += kAnimationStep;
}

// From player 1 to the enemy, in the world.
gfx::Vec3 FromPlayer1(const Enemy& e) {
    return gfx::Sub(EnemyWorldBase(e), gPlayerCrafts[0].position);
}

bool OnScreen(const Enemy& e) {
    gfx::Vec3 b = EnemyWorldBase(e);
    return IsPointOnScreen(b.x, b.y, b.z, 0.0f);
}

float Wrap(float a) {
    while (a < -kPi) a += 2.0f * kPi;
    while (a > kPi) a -= 2.0f * kPi;
    return a;
}

// How a behaviour's enemy takes its world position after its rule.
enum class Placement { None, CameraHeading, FollowRail };

Placement PlacementOf(int32_t behaviour) {
    switch (behaviour) {
        case 22:
        case 24:
        case 25:
        case 26:
        case 27:
            return Placement::CameraHeading;
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 11:
        case 12:
        case 16:
        case 17:
        case 18:
        case 20:
        case 21:
            return Placement::FollowRail;
        default:
            return Placement::None;
    }
}

void PlaceByCameraHeading(Enemy* e) {
    gfx::Vec3 a = RailPoint(0);
    gfx::Vec3 turned = gfx::TransformCoord(e->formationOffset, gGameState.cameraDirection);
    e->basePosition = gfx::Add(a, turned);
    e->yaw = e->heading - gGameState.cameraHeading;
}

void PlaceOnRail(Enemy* e) {
    float k = e->formationOffset.z / gEnemyRailFrame.step;
    gfx::Vec3 c = RailPoint(k);
    gfx::Vec3 d = RailPoint(k + 1.0f);
    gfx::Vec3 dir{d.x - c.x, 0, c.z - d.z};
    gfx::Mat4 look = gfx::LookAtRH(gfx::Vec3{0, 0, 0}, dir, gfx::Vec3{0, 1, 0});
    e->yaw = e->heading - std::atan2(dir.x, dir.z);
    gfx::Vec3 across =
        gfx::TransformCoord(gfx::Vec3{e->formationOffset.x, e->formationOffset.y, 0}, look);
    gfx::Vec3 base = gfx::Add(c, across);
    e->velocity = gfx::Sub(base, e->basePosition);
    e->basePosition = base;
}

// Aiming ground turret (behaviour 23).
void StepAimingTurret(Enemy* e) {
    gfx::Vec3 d = FromPlayer1(*e);
    if (e->type != 17) e->yaw = std::atan2(d.x, d.z);
    UpdateEnemyWorldPoints(e);
    if (e->state == EnemyState::Free) return;
    if (OnScreen(*e) && gfx::Length(d) < 500.0f) {
        e->fireTimer += 1;
        if (e->fireTimer == 120) {
            e->fireTimer = 0;
            Fire(e, 23, kSoundMissile);
            const gfx::Vec3& c = e->centre;
            SpawnParticleBurst(nullptr, c.x, c.y, c.z, particle_kind::kSmoke, 2.5f, 2);
            SpawnParticleBurst(nullptr, c.x, c.y, c.z, particle_kind::kSpark, 2.5f, 2);
        }
    }
    Animate(e);
}

// Ground turret (behaviour 14).
void StepGroundTurret(Enemy* e) {
    gfx::Vec3 d = FromPlayer1(*e);
    if (OnScreen(*e) && gfx::Length(d) < 2000.0f) {
        e->fireTimer += 1;
        if (e->fireTimer == 80) {
            e->fireTimer = 0;
            Fire(e, 23, kSoundMissile);
        }
    }
    Animate(e);
}

// Map turrets (behaviours 6 and 7).
void StepMapTurret(Enemy* e) {
    gfx::Vec3 d = FromPlayer1(*e);
    if (e->behaviour == 6) e->yaw = std::atan2(d.x, d.z);
    bool inRange = (e->type == 55 || e->type == 7) && OnScreen(*e) && gfx::Length(d) < 1000.0f;
    if (inRange && e->type == 55) {
        e->fireTimer += 1;
        if (e->fireTimer == 120) {
            e->fireTimer = 0;
            if (RandomInt() % 2 == 0) {
                Fire(e, 16, kSoundMissile);
            } else {
                Fire(e, 3, kSoundShot);
            }
        }
    } else if (inRange) {
        e->fireTimer += 1;
        if (e->fireTimer == 150) {
            e->fireTimer = 0;
            Fire(e, 3, kSoundShot);
        }
    }
    Animate(e);
}

// Standing fortress part (behaviour 10).
void StepStandingPart(Enemy* e) {
    e->fireTimer += 1;
    Animate(e);
    const int32_t t = e->fireTimer;
    switch (e->type) {
        case 22:
        case 23:
            if (t >= 30 && t < 60 && t % 8 == 0) Fire(e, 19, kSoundShot);
            break;
        case 20:
            if (t == 120) Fire(e, 21, kSoundMissile);
            break;
        case 21:
            if (t < 30 || t > 59) {
                gfx::Vec3 d = FromPlayer1(*e);
                e->yaw = TurnAngleToward(e->yaw, std::atan2(d.x, d.z), kPi / 100.0f);
            } else if (t % 8 == 0) {
                Fire(e, 20, kSoundShot);
            }
            break;
        default:
            return;
    }
    if (e->fireTimer >= 120) e->fireTimer = 0;
}

// Curving crossers (behaviours 22 and 25).
void StepCurvingCrosser(Enemy* e) {
    const bool narrow = e->behaviour == 22;
    const float v = narrow ? 3.0f : 2.0f;
    const float w = narrow ? 0.02f : 0.01f;
    float a0 = narrow ? kPi / 2 : 0.9f * kPi;
    if (e->side == 1) a0 = -a0;
    e->counter += 1;
    float a = a0;
    if (e->counter > 60) {
        float turn = static_cast<float>(e->counter - 60) * w;
        if (e->side == 1) {
            a = a0 + turn;
            if (narrow && a > 0) a = 0;
        } else {
            a = a0 - turn;
            if (narrow && a < 0) a = 0;
        }
    }
    e->formationOffset.x += v * std::sin(a);
    e->formationOffset.z += v * std::cos(a);
    e->heading = 0.25f * a + kPi;
    e->roll = e->side == 1 ? 0.2f * kPi : -0.2f * kPi;
    e->fireTimer += 1;
    if (e->fireMode == 1 && e->fireTimer == 65) Fire(e, 16, kSoundMissile);
    if (e->fireMode == 2 && e->fireTimer % 4 == 0) FireEnemyBulletPattern(e, 1);
    Animate(e);
}

// Heavy flier (behaviour 11).
void StepHeavyFlier(Enemy* e) {
    e->fireTimer += 1;
    const int32_t t = e->fireTimer;
    if (t > 150) e->heading = Wrap(e->heading + (e->side == 0 ? 0.008f : -0.008f));
    float speed = 4.5f;
    if (t > 230) speed = std::max(1.0f, 4.5f - 0.03f * static_cast<float>(t - 230));
    e->formationOffset.x += speed * std::sin(e->heading);
    e->formationOffset.z += speed * std::cos(e->heading);
    if (t > 200) {
        e->counter += 1;
        if (e->counter > 149) {
            e->counter = 100;
            Fire(e, 22, kSoundMissile);
        }
    }
    e->roll = 0;
    Animate(e);
}

// A part mounted on another enemy (behaviour 13). Returns false when its parent slot is not
// a pool index (the part is freed).
bool StepMountedPart(Enemy* e) {
    if (e->parent < 0 || e->parent >= kEnemyPoolSize || e->parent == EnemyIndex(*e)) {
        FreeEnemy(e);
        return false;
    }
    const Enemy& parent = gEnemyPool[e->parent];
    e->yaw = parent.yaw;
    e->pitch = parent.pitch;
    e->roll = parent.roll;
    gfx::Mat4 r =
        gfx::RotationYawPitchRoll(e->yaw, e->pitch, e->roll + 0.1f * std::sin(e->wobblePhase));
    gfx::Vec3 mount = gfx::TransformNormal(e->formationOffset, r);

    e->fireTimer += 1;
    const bool armed = e->untargetable == 0;
    const int32_t t = e->fireTimer;
    bool volleyA = false, volleyB = false, volleyC = false;
    switch (e->type) {
        case 48:
            if (t > 179 && t % 4 == 0 && armed) {
                volleyA = true;
                e->jitter = 2;
            }
            if (t > 189) e->fireTimer = 0;
            break;
        case 44:
            if (t > 39) {
                e->fireTimer = 0;
                volleyC = armed;
            }
            break;
        case 42:
        case 43:
        case 45:
            if (t > 119) {
                e->fireTimer = 0;
                if (armed) {
                    volleyB = true;
                    e->jitter = 4;
                }
            }
            break;
        case 46:
        case 47:
            if (t > 119 && t % 8 == 0 && armed) {
                volleyA = true;
                e->jitter = 2;
            }
            if (t > 139) e->fireTimer = 0;
            break;
        default:
            break;
    }
    gfx::Vec3 shake{0, 0, 0};
    if (e->jitter >= 1) {
        e->jitter -= 1;
        shake.x = 5.0f * (RandomUnit() - 0.5f);
        shake.y = 5.0f * (RandomUnit() - 0.5f);
        shake.z = 5.0f * (RandomUnit() - 0.5f);
    }
    e->basePosition = gfx::Add(gfx::Add(mount, EnemyWorldBase(parent)), shake);
    if (e->type == 47) e->roll = parent.roll - kPi / 4;
    if (e->type == 46) e->roll = parent.roll + kPi / 4;
    if (e->type == 43 || e->type == 48) e->pitch = parent.pitch - kPi / 2;
    UpdateEnemyWorldPoints(e);
    if (e->state == EnemyState::Free) return false;

    const gfx::Vec3& p0 = e->points[0];
    if (volleyA) {
        Fire(e, 29, kSoundShot);
        SpawnParticle(e, p0.x, p0.y, p0.z, particle_kind::kMuzzleFlash, 1.5f);
    }
    if (volleyB) {
        Fire(e, 28, kSoundMissile);
        SpawnParticleBurst(nullptr, p0.x, p0.y, p0.z, particle_kind::kSmoke, 2.5f, 2);
        SpawnParticleBurst(nullptr, p0.x, p0.y, p0.z, particle_kind::kSpark, 2.5f, 2);
        SpawnParticle(e, p0.x, p0.y, p0.z, particle_kind::kMuzzleSpark, 2.5f);
    }
    if (volleyC) {
        const EnemyType& type = gEnemyTypeTable[e->type];
        gfx::Vec3 muzzle = type.centre;
        muzzle.x = (RandomInt() & 1) ? -10.0f : 10.0f;
        e->centre = gfx::Add(gfx::TransformNormal(muzzle, e->rotation), EnemyWorldBase(*e));
        Fire(e, 30, kSoundShot);
    }
    return true;
}

// The formation steps of the wave fliers. Returns false when the enemy was freed.
bool StepFormation(Enemy* e) {
    gfx::Vec3& o = e->formationOffset;
    const float age = static_cast<float>(e->age);
    switch (e->behaviour) {
        case 0:
        case 1: {
            float s;
            if (e->behaviour == 0) {
                s = 10.0f;
                if (e->age > 50) s = 10.0f - 0.1f * (age - 50);
            } else {
                s = 12.0f;
                if (e->age > 40) s = 12.0f - 0.2f * (age - 40);
                if (e->age > 200) s -= 0.1f * (age - 200);
            }
            if (e->age < 10) e->subState = e->basePosition.x >= 0 ? 0 : 1;
            float dx = 0.1f * s;
            if (e->subState == 0) dx = -dx;
            if (e->behaviour == 0) {
                float dy = 0;
                if (e->age > 70) dy = std::min(0.35f, 0.01f * (age - 70));
                o = gfx::Add(o, gfx::Vec3{dx, dy, 0.6f});
            } else {
                o = gfx::Add(o, gfx::Vec3{dx, 0, 2.0f});
                if ((e->fireMode == 1 && e->age == 230) || (e->fireMode == 2 && e->age == 160)) {
                    Fire(e, 16, kSoundMissile);
                }
            }
            e->heading = 0;
            e->roll = -0.2f * dx;
            break;
        }
        case 2: {
            if (e->subState == 1) {
                e->counter += 1;
                float ux = RandomUnit() - 0.5f;
                float uz = RandomUnit() - 0.5f;
                o = gfx::Vec3{e->anchorPoint.x + ux, e->anchorPoint.y, e->anchorPoint.z + uz};
                if (e->counter == 10) e->subState = 0;
            } else {
                e->fireTimer += 1;
                const int32_t t = e->fireTimer;
                if (t < 10) {
                    e->swoopVelocity = gfx::Vec3{0, 0, -3.0f};
                    e->heading = kPi;
                }
                if (t > 300) {
                    e->swoopVelocity.z =
                        -2.0f * std::max(0.0f, 1.0f - 0.01f * static_cast<float>(t - 300));
                }
                if (t > 380) {
                    if (e->side == 1) {
                        e->swoopVelocity.x = std::max(-6.0f, e->swoopVelocity.x - 0.2f);
                    } else {
                        e->swoopVelocity.x = std::min(6.0f, e->swoopVelocity.x + 0.2f);
                    }
                }
                if (t > 310 && t < 390) {
                    float b = (static_cast<float>(t - 310) / 80.0f) * 1.5f * kPi;
                    float lean = 0.2f * kPi * std::sin(b);
                    e->heading = e->side == 1 ? kPi + lean : kPi - lean;
                    e->anchorPoint = o;
                    if (e->fireMode > 0 && (t == 350 || t == 365 || t == 380)) {
                        e->subState = 1;
                        e->counter = 0;
                        Fire(e, 17, kSoundShot);
                    }
                }
            }
            o = gfx::Add(o, e->swoopVelocity);
            break;
        }
        case 3: {
            const float f = static_cast<float>(e->speedBonus + 1);
            e->counter += 1;
            e->fireTimer += 1;
            if (e->fireTimer < 10) e->heading = 0;
            if (static_cast<float>(e->fireTimer) * f > 290.0f) {
                if (e->side == 1) {
                    e->heading = std::min(0.2f * kPi, e->heading + 0.01f * f);
                } else {
                    e->heading = std::max(-0.2f * kPi, e->heading - 0.01f * f);
                }
                e->roll = -0.5f * e->heading;
            }
            if (static_cast<float>(e->counter) * f >= 200.0f && e->fireMode > 0) {
                e->counter = -10000;
                Fire(e, 16, kSoundMissile);
            }
            o.x -= 3.0f * f * std::sin(e->heading);
            o.z -= 3.0f * f * std::cos(e->heading);
            break;
        }
        case 4:
        case 5: {
            const float f = static_cast<float>(e->speedBonus + 3);
            o.z -= f;
            e->fireTimer += 1;
            if (e->fireTimer == 100 && e->fireMode > 0) Fire(e, 16, kSoundMissile);
            break;
        }
        case 12:
            e->heading += 0.1f;
            e->fireTimer += 1;
            if (e->fireTimer % 4 == 0) FireEnemyBulletPattern(e, 1);
            break;
        case 16: {
            const float f = static_cast<float>(e->speedBonus + 3);
            o.z -= f;
            e->fireTimer += 1;
            if (e->age > 120) {
                e->pitch = std::min(kPi / 4, e->pitch + 0.01f);
                e->heading += e->side == 0 ? -0.01f : 0.01f;
            }
            o.x -= f * std::sin(e->heading);
            o.y += 3.0f * f * std::sin(e->pitch);
            o.z -= f * std::cos(e->heading);
            if ((e->fireTimer == 100 || e->fireTimer == 130) && e->fireMode > 0) {
                Fire(e, 16, kSoundMissile);
            }
            break;
        }
        case 17:
        case 18: {
            if (e->behaviour == 17 && e->counter <= 0) {
                // The ring's size divides its members' angles.
                FreeEnemy(e);
                return false;
            }
            e->fireTimer += 1;
            if (e->fireTimer == 130) Fire(e, 16, kSoundMissile);
            float dz = 3.0f * std::sin(0.05f * age) + 2.0f;
            if (e->fireTimer > 200) dz -= static_cast<float>(e->fireTimer - 200);
            const float t = static_cast<float>(e->fireTimer);
            if (e->behaviour == 17) {
                float a = 0.05f * t +
                          2.0f * kPi * static_cast<float>(e->side) / static_cast<float>(e->counter);
                float r = std::max(-80.0f, 80.0f - static_cast<float>(e->age / 2));
                o = gfx::Vec3{r * std::sin(a), r * std::cos(a), o.z + dz};
                e->roll = Wrap(a);
            } else {
                float a = 0.05f * t;
                if (e->side != 0) a = -a;
                o = gfx::Vec3{60.0f * std::sin(a), 60.0f * std::cos(a), o.z + dz};
                e->roll = Wrap(a + kPi);
            }
            e->heading = 0;
            break;
        }
        default:
            break;
    }
    return true;
}

bool HasFormationStep(int32_t behaviour) {
    return (behaviour >= 0 && behaviour <= 5) || behaviour == 12 ||
           (behaviour >= 16 && behaviour <= 18);
}

}  // namespace

bool RunEnemyBehaviour(Enemy* e) {
    e->age += 1;
    switch (e->behaviour) {
        case 23:
            StepAimingTurret(e);
            if (e->state == EnemyState::Free) return false;
            break;
        case 14:
            StepGroundTurret(e);
            break;
        case 26:
        case 27:
            e->formationOffset = gfx::Vec3{e->behaviour == 26 ? -80.0f : 80.0f, 0, -300.0f};
            e->fireTimer += 1;
            if (e->fireTimer == 120) {
                e->fireTimer = RandomInt() & 63;
                Fire(e, 31, kSoundHeavy);
            }
            break;
        case 15:
            e->fireTimer += 1;
            if (e->fireTimer == 30) {
                e->fireTimer = 0;
                Fire(e, 25, kSoundHeavy);
            }
            e->yaw += 0.02f;
            break;
        case 6:
        case 7:
            StepMapTurret(e);
            break;
        case 13:
            return StepMountedPart(e);
        case 20:
        case 21:
            UpdateBossManoeuvre(e);
            break;
        case 10:
            StepStandingPart(e);
            break;
        case 24:
            e->formationOffset.x += e->side == 1 ? -0.5f : 0.5f;
            Animate(e);
            if (e->age >= kCrosserLifetime) {
                FreeEnemy(e);
                return false;
            }
            break;
        case 22:
        case 25:
            StepCurvingCrosser(e);
            if (e->age >= kFlierLifetime) {
                FreeEnemy(e);
                return false;
            }
            break;
        case 11:
            StepHeavyFlier(e);
            break;
        case 9:
            UpdateBossPhases(e);
            break;
        case 19:
            UpdateBossOnPath(e);
            break;
        case 8:
            PlaceBossOnPath(e);
            break;
        default:
            Animate(e);
            if (e->age >= kFlierLifetime) {
                FreeEnemy(e);
                return false;
            }
            break;
    }
    if (e->state == EnemyState::Free) return false;

    if (HasFormationStep(e->behaviour)) {
        Animate(e);
        if (!StepFormation(e)) return false;
    }
    switch (PlacementOf(e->behaviour)) {
        case Placement::CameraHeading:
            PlaceByCameraHeading(e);
            break;
        case Placement::FollowRail:
            PlaceOnRail(e);
            break;
        case Placement::None:
            break;
    }
    return true;
}
