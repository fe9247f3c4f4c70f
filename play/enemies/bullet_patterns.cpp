// Enemy bullet patterns: each volley's bullets claimed from the shot pool, placed at their
// muzzles and sent off.
#include "play/enemies/bullet_patterns.h"

#include <cmath>

#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/random/random.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/shots/shot_pool.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

namespace {

constexpr float kPi = gfx::kPi;

struct FanMuzzle {
    float x, y, yawOffset;
};
// The fan's eight muzzles: four on each side.
constexpr FanMuzzle kFanMuzzles[8] = {
    {160, 255, -0.07f * kPi}, {160, 255, -0.07f * kPi}, {160, 255, -0.07f * kPi},
    {160, 255, -0.07f * kPi}, {-160, 255, 0.07f * kPi}, {-160, 255, 0.07f * kPi},
    {-160, 255, 0.07f * kPi}, {-160, 255, 0.07f * kPi},
};

// Bullets of a volley and the kind they are made as.
struct PatternShape {
    int count;
    int32_t kind;
};

// Zero bullets for a number that is no pattern.
PatternShape ShapeOf(int32_t pattern) {
    switch (pattern) {
        case 1:
        case 24:
            return {2, pattern};
        case 14:
            return {3, pattern};
        case 15:
            return {8, pattern};
        case 29:
            return {1, 17};
        case 28:
            return {1, 16};
        case 3:
        case 12:
        case 16:
        case 17:
        case 19:
        case 20:
        case 21:
        case 22:
        case 23:
        case 25:
        case 30:
        case 31:
            return {1, pattern};
        default:
            return {0, 0};
    }
}

gfx::Vec3 Norm(const gfx::Vec3& v, float length) {
    return gfx::Scale(gfx::Normalize(v), length);
}

float Centred() {
    return RandomUnit() - 0.5f;
}

// The player craft a volley aims at: player 1, or with a second craft now and then player 2.
int ChooseAimedPlayer() {
    switch (gGameState.playerSetup) {
        case PlayerSetup::TwoPlayers:
            return (RandomInt() & 1) ? 1 : 0;
        case PlayerSetup::ComputerPartner:
            return (RandomInt() & 3) == 0 ? 1 : 0;
        default:
            return 0;
    }
}

void SetPosition(Shot* s, const gfx::Vec3& p) {
    s->position[0] = p.x;
    s->position[1] = p.y;
    s->position[2] = p.z;
}

void SetVelocity(Shot* s, const gfx::Vec3& v) {
    s->velocity[0] = v.x;
    s->velocity[1] = v.y;
    s->velocity[2] = v.z;
}

void RandomSpin(Shot* s) {
    for (float& spin : s->spin) spin = 20.0f * Centred();
}

bool ScrollsObjects() {
    return gCurrentStage && gCurrentStage->scrollOffset == 1;
}

// Launch angles and velocity of a missile (patterns 16, 21, 22, 23 and 28).
void LaunchMissile(Shot* s, Enemy* e, int32_t pattern, const PlayerCraft& target,
                   const gfx::Vec3& m) {
    if (e->type == 38 || e->type == 39) s->kindValueA = 2;
    const gfx::Vec3 base = EnemyWorldBase(*e);
    float yaw = 0, pitch = 0;
    switch (pattern) {
        case 22: {
            const bool ahead = e->heading >= 0;
            float z = (RandomInt() & 1) ? -33.0f : -45.0f;
            gfx::Vec3 muzzle{ahead ? -30.0f : 30.0f, -24.0f, z};
            SetPosition(s, gfx::Add(gfx::TransformNormal(muzzle, e->rotation), base));
            yaw = ahead ? e->yaw - kPi / 2 : e->yaw + kPi / 2;
            break;
        }
        case 21:
            pitch = e->pitch + kPi / 2;
            yaw = e->yaw;
            break;
        case 23:
            if (e->behaviour == 23) {
                gfx::Vec3 d = gfx::Sub(base, gPlayerCrafts[0].position);
                pitch = std::atan2(-d.y, std::sqrt(d.x * d.x + d.z * d.z));
            }
            yaw = e->yaw + kPi;
            break;
        case 28: {
            SetPosition(s, base);
            gfx::Vec3 d = gfx::Sub(target.position, e->centre);
            yaw = std::atan2(d.x, d.z);
            break;
        }
        default: {  // 16
            gfx::Vec3 d = gfx::Sub(target.position, e->centre);
            pitch = -0.1f * kPi;
            bool even = RandomInt() % 2 == 0;
            float swing = (0.1f * RandomUnit() + 0.1f) * kPi;
            yaw = std::atan2(d.x, d.z) + (even ? -swing : swing);
            break;
        }
    }
    s->yaw = yaw;
    s->pitch = pitch;
    SetVelocity(s, gfx::Vec3{2.0f * std::sin(yaw) + m.x, 2.0f * std::sin(pitch) + m.y,
                             2.0f * std::cos(yaw) + m.z});
    RandomSpin(s);
    ProjectedPoint screen{};
    ProjectPoint(target.position.x, target.position.y, target.position.z, &screen);
    if (screen.depth < 0) {
        SpawnParticleBurst(nullptr, screen.x, screen.y, 0, particle_kind::kMarker, 1.0f, 1);
    }
}

}  // namespace

void FireEnemyBulletPattern(Enemy* e, int32_t pattern) {
    const PatternShape shape = ShapeOf(pattern);
    if (shape.count == 0) return;
    const gfx::Vec3 m = ComputeRailMotion();
    const int aimed = ChooseAimedPlayer();
    const PlayerCraft& target = gPlayerCrafts[aimed];
    const gfx::Vec3& c = e->centre;
    const gfx::Vec3 base = EnemyWorldBase(*e);
    const gfx::Vec3 toTarget = gfx::Sub(target.position, c);

    for (int i = 0; i < shape.count; ++i) {
        Shot* s = ClaimFreeShotSlot();
        if (!s) return;
        s->side = kShotSideEnemy;
        s->aimedPlayer = aimed;
        s->timer = 0;
        s->yaw = 0;
        s->kind = shape.kind;
        SetPosition(s, c);
        SetVelocity(s, gfx::Vec3{0, 0, 0});
        s->matrix = e->rotation;
        s->kindValueA = 0;
        switch (pattern) {
            case 1:
            case 24: {
                const float sign = i == 0 ? 1.0f : -1.0f;
                gfx::Vec3 muzzle =
                    gfx::TransformNormal(gfx::Vec3{0.8f * sign, 0, 0},
                                         gfx::RotationZ(0.15f * static_cast<float>(e->fireTimer)));
                muzzle = gfx::Add(muzzle, gfx::Vec3{0, -3.125f, 5.0f});
                SetPosition(s, gfx::Add(gfx::TransformNormal(muzzle, e->rotation), base));
                gfx::Vec3 v = gfx::TransformNormal(gfx::Vec3{0, 0, 20.0f}, e->rotation);
                if (ScrollsObjects()) v = gfx::Add(v, e->velocity);
                SetVelocity(s, v);
                s->radius = 15.0f;
                break;
            }
            case 3:
                SetVelocity(s, gfx::Add(Norm(toTarget, 12.0f), m));
                break;
            case 29:
                SetVelocity(s, gfx::Add(Norm(toTarget, 4.0f), m));
                break;
            case 30:
                SetVelocity(s, gfx::Add(Norm(gfx::Add(toTarget, gfx::Vec3{0, 30.0f, 0}), 4.0f), m));
                break;
            case 31: {
                gfx::Vec3 r0 = RailPoint(0);
                gfx::Vec3 r1 = RailPoint(36.0f * gGameState.railSpeed);
                gfx::Vec3 v = gfx::Add(gfx::Sub(r1, r0), toTarget);
                v.y += 20.0f * target.velocity.y;
                SetVelocity(s, Norm(v, 8.0f));
                break;
            }
            case 19:
            case 20: {
                gfx::Vec3 d = gfx::Sub(base, target.position);
                float yaw = TurnAngleToward(e->yaw, -std::atan2(d.x, d.z), 0.1f * kPi);
                float pitch = TurnAngleToward(0, std::atan2(d.y, std::sqrt(d.x * d.x + d.z * d.z)),
                                              0.1f * kPi);
                s->yaw = yaw;
                s->pitch = pitch;
                SetVelocity(s, gfx::Vec3{-6.0f * std::sin(yaw), -6.0f * std::sin(pitch),
                                         -6.0f * std::cos(yaw)});
                break;
            }
            case 17:
                SetVelocity(s,
                            gfx::Add(gfx::TransformNormal(gfx::Vec3{0, 0, -2.0f}, e->rotation), m));
                break;
            case 25: {
                float pitch = 0.2f * kPi * Centred();
                float yaw = 2.0f * kPi * RandomUnit();
                s->yaw = yaw;
                s->pitch = pitch;
                SetVelocity(s, gfx::Vec3{2.0f * std::sin(yaw) + m.x, 2.0f * std::sin(pitch) + m.y,
                                         2.0f * std::cos(yaw) + m.z});
                RandomSpin(s);
                break;
            }
            case 12: {
                gfx::Vec3 v = Norm(gfx::Sub(e->anchorPoint, c), 20.0f);
                float h = std::sqrt(v.x * v.x + v.z * v.z);
                SetVelocity(s, gfx::Vec3{-h * std::sin(e->yaw), v.y, -h * std::cos(e->yaw)});
                break;
            }
            case 14: {
                int k = RandomInt() & 7;
                float a = 2.0f * kPi * static_cast<float>(k) / 7.0f;
                gfx::Vec3 muzzle{110.0f + 25.0f * std::sin(a), 120.0f + 25.0f * std::cos(a),
                                 -140.0f};
                gfx::Vec3 p = gfx::Add(gfx::TransformNormal(muzzle, e->rotation), base);
                SetPosition(s, p);
                float ux = 260.0f * Centred();
                float uy = 120.0f * Centred();
                float uz = 260.0f * Centred();
                gfx::Vec3 v = gfx::Add(gfx::Sub(e->anchorPoint, p), gfx::Vec3{ux, uy, uz});
                SetVelocity(s, Norm(v, 12.0f));
                break;
            }
            case 15: {
                const FanMuzzle& row = kFanMuzzles[i];
                gfx::Vec3 p =
                    gfx::Add(gfx::TransformNormal(gfx::Vec3{row.x, row.y, 0}, e->rotation), base);
                SetPosition(s, p);
                float b = e->yaw + row.yawOffset;
                SetVelocity(
                    s, gfx::Vec3{-15.0f * std::sin(b), -1.0f - 0.7f * static_cast<float>(i % 4),
                                 -15.0f * std::cos(b)});
                break;
            }
            default:  // the missiles: 16, 21, 22, 23 and 28
                LaunchMissile(s, e, pattern, target, m);
                break;
        }
    }
}
