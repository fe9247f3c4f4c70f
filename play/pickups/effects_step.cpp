#include "play/pickups/effects_step.h"

#include <cmath>
#include <cstddef>

#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/hits.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/vec3_fields.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"

namespace {

constexpr float kPi = gfx::kPi;

void Add(float (&p)[3], const gfx::Vec3& v) {
    p[0] += v.x;
    p[1] += v.y;
    p[2] += v.z;
}

void AddScaled(float (&p)[3], const float (&v)[3], float k) {
    for (int i = 0; i < 3; ++i) p[i] += v[i] * k;
}

void Damp(float (&v)[3], float k) {
    for (float& c : v) c *= k;
}

void UpdateCoin(Pickup& coin, const gfx::Vec3& carry) {
    Add(coin.position, gfx::Scale(carry, 0.9f));
    AddScaled(coin.position, coin.velocity, coin.scale);
    Damp(coin.velocity, 0.97f);
    if (coin.timer < kCoinRiseTimer) {
        coin.velocity[1] -= 0.1f;
        if ((coin.timer & 7) == 0) {
            float t = 0.0f;
            float x = coin.position[0], y = coin.position[1], z = coin.position[2];
            if (RaycastCourse(x, y - 3.0f, z, 0.0f, -1000.0f, 0.0f, &t)) {
                coin.groundHeight = (y - 3.0f) - 1000.0f * t;
            } else {
                coin.groundHeight = kNoGroundHeight;
            }
            // Walls to either side across the view push the coin back.
            gfx::Mat4 view;
            CopyViewMatrix(&view);
            for (float offset : {-10.0f, 10.0f}) {
                gfx::Mat4 m = gfx::Multiply(gfx::Translation(offset, 0.0f, 0.0f), view);
                float vx = m.m[3][0], vy = m.m[3][1], vz = m.m[3][2];
                if (RaycastCourse(x, y, z, vx, vy, vz, &t)) {
                    coin.velocity[0] -= 0.1f * vx;
                    coin.velocity[2] -= 0.1f * vz;
                }
            }
        }
        if (coin.position[1] - 3.0f < coin.groundHeight) coin.velocity[1] = -coin.velocity[1];
    } else {
        coin.velocity[0] = 0.0f;
        coin.velocity[1] = static_cast<float>(coin.timer - kCoinRiseTimer) * 0.5f;
        coin.velocity[2] = 0.0f;
        if (coin.timer >= kCoinPayTimer) {
            AddScore(CoinValue(coin.kind));
            coin.kind = pickup_kind::kFree;
            return;
        }
    }
    coin.timer += 1;
}

// Sparks from the muzzles, placed at their craft on their first live tick.
void PlaceGunSpark(Particle& p) {
    const PlayerCraft* craft = p.source;
    float s = p.kind == particle_kind::kGunSparkRight ? 3.2f : -3.2f;
    float k = craft->scale;
    gfx::Vec3 offset{s * k, -1.0f * k, 0.0f};
    switch (craft->craft) {
        case 1:
            offset = gfx::Vec3{s * k, -0.5f * k, 0.0f};
            break;
        case 2:
            offset = gfx::Vec3{1.15f * s * k, 0.5f * k, 0.0f};
            break;
        case 3:
            offset = gfx::Vec3{0.2f * s * k, 0.0f, 0.0f};
            break;
        default:
            break;
    }
    gfx::Vec3 at = gfx::Add(ToVec(craft->position), gfx::TransformNormal(offset, craft->rotation));
    SetVec(p.position, at);
    float r = (RandomUnit() + 0.2f) * 0.4f;
    float a = RandomUnit() * kPi * 0.5f;
    gfx::Vec3 v{std::sin(a) * r, -(RandomUnit() + 0.5f) * 0.5f, -std::cos(a) * r};
    SetVec(p.velocity, gfx::Add(v, ToVec(craft->travel)));
}

// Debris waiting around the current boss, bouncing inside its box.
bool OrbitBoss(Particle& p) {
    const Enemy* boss = gBossHooks.currentBoss ? gBossHooks.currentBoss() : nullptr;
    if (!boss || boss->state == EnemyState::Free) return false;
    p.angles[0] += p.velocity[0];
    p.angles[2] += p.velocity[2];
    if (p.angles[0] < -5.0f || p.angles[0] > 5.0f) {
        p.angles[0] = p.angles[0] < -5.0f ? -5.0f : 5.0f;
        p.velocity[0] = -p.velocity[0];
    }
    if (p.angles[2] < -2.5f || p.angles[2] > 12.5f) {
        p.angles[2] = p.angles[2] < -2.5f ? -2.5f : 12.5f;
        p.velocity[2] = -p.velocity[2];
    }
    gfx::Vec3 facing =
        gfx::TransformNormal(gfx::Vec3{p.velocity[0], 0.0f, p.velocity[2]}, boss->rotation);
    p.variant = (facing.x > 0.0f ? 1 : 0) | (facing.z > 0.0f ? 2 : 0);
    p.velocity[1] = WrapAngle(p.velocity[1] + 0.1f);
    float h = 5.0f * std::sin(p.velocity[1]);
    if (h < 0.0f) h = 0.0f;
    gfx::Vec3 local{p.angles[0], h + p.angles[1], p.angles[2]};
    gfx::Vec3 at = gfx::Add(gfx::TransformNormal(local, boss->rotation), ToVec(boss->basePosition));
    SetVec(p.position, at);
    return true;
}

// Moves one particle by its kind; returns its lifetime (the age at which it is freed), 0
// for never, or -1 when its link is gone and it ends now.
int StepParticle(Particle& p, const gfx::Vec3& carry) {
    bool started = p.age != 0;
    switch (p.kind) {
        case 1:
            AddScaled(p.position, p.velocity, p.scale);
            Add(p.position, carry);
            Damp(p.velocity, 0.97f);
            return 24;
        case 2:
            if (started) Add(p.position, carry);
            return 16;
        case 3:
        case 4:
            if (p.age == 0) {
                if (!p.source) return -1;
                PlaceGunSpark(p);
            } else if (p.age > 0) {
                AddScaled(p.position, p.velocity, 1.0f);
                p.velocity[1] -= 0.05f;
                Damp(p.velocity, 0.99f);
                p.variant += 1;
            }
            return 120;
        case 5:
            if (started) {
                AddScaled(p.position, p.velocity, p.scale);
                Add(p.position, carry);
                Damp(p.velocity, 0.97f);
                p.velocity[1] -= 0.05f;
            }
            return 40;
        case 6:
        case 7:
            AddScaled(p.position, p.velocity, p.scale);
            Add(p.position, carry);
            Damp(p.velocity, 0.97f);
            return 40;  // freed once past 39, ageing by 2
        case 8:
        case 9:
        case 20:
            if (started) {
                AddScaled(p.position, p.velocity, p.scale);
                Add(p.position, carry);
                Damp(p.velocity, 0.95f);
            }
            return 32;
        case 10:
            Add(p.position, gfx::Scale(carry, 0.8f));
            AddScaled(p.position, p.velocity, p.scale);
            Damp(p.velocity, 0.95f);
            p.velocity[1] -= 0.005f;
            return 64;
        case 15:
            if (started) {
                Add(p.position, carry);
                AddScaled(p.position, p.velocity, p.scale);
                Damp(p.velocity, 0.95f);
                p.velocity[1] -= 0.1f;
            }
            return 32;
        case 16:
            p.position[0] += p.velocity[0] * p.scale;
            p.position[1] += p.velocity[1] * p.scale;
            Damp(p.velocity, 0.95f);
            return 32;
        case 17:
        case 18:
        case 19:
            if (started) {
                AddScaled(p.position, p.velocity, 1.0f);
                p.velocity[1] += p.kind == 17 ? 0.1f : (p.kind == 18 ? 0.15f : 0.05f);
                Damp(p.velocity, 0.95f);
                p.angles[2] += 0.05f;
            }
            return 32;
        case 21:
            return 60;
        case 22:
            if (started) {
                Add(p.position, gfx::Scale(carry, 0.7f));
                AddScaled(p.position, p.velocity, p.scale);
                Damp(p.velocity, 0.95f);
            }
            p.velocity[1] -= 0.01f;
            return 256;
        case 28:
        case 35:
            if (started) Add(p.position, carry);
            return 64;
        case 29:
            return OrbitBoss(p) ? 0 : -1;
        case 30:
            Add(p.position, gfx::Scale(carry, 0.9f));
            AddScaled(p.position, p.velocity, p.scale);
            Damp(p.velocity, 0.95f);
            p.velocity[1] -= 0.1f;
            return 128;
        case 31:
            if (!p.source) return -1;
            SetVec(p.position, ToVec(p.source->position));
            return 24;
        case 32:
            return 60;
        case 33:
        case 34:
            // Muzzle particles stay on the muzzle (point 0) of the enemy that fired.
            if (p.enemy) {
                if (p.enemy->state == EnemyState::Free) return -1;
                SetVec(p.position, ToVec(p.enemy->points[0]));
            }
            if (p.kind == 34) p.angles[2] += 0.1f;
            return p.kind == 33 ? 8 : 24;
        case 36:
            if (started) {
                Add(p.position, carry);
                Add(p.velocity, carry);
            }
            return 30;
        case 37:
            return 0;
        default:
            return 0;
    }
}

}  // namespace

void UpdatePickups(const gfx::Vec3& carry) {
    for (Pickup& coin : gPickupPool.pickups) {
        if (coin.kind < pickup_kind::kLarge || coin.kind > pickup_kind::kSmall) continue;
        UpdateCoin(coin, carry);
    }
}

void UpdateParticles(const gfx::Vec3& carry) {
    gParticlePool.knownFull = 0;
    for (Particle& p : gParticlePool.particles) {
        if (p.kind == particle_kind::kFree) continue;
        int kind = p.kind;
        int life = StepParticle(p, carry);
        if (life < 0) {
            p.kind = particle_kind::kFree;
            continue;
        }
        bool known = life > 0 || kind == 29 || kind == 37;
        if (!known) continue;  // kinds without a rule are left alone
        p.age += (kind == 6 || kind == 7) ? 2 : 1;
        if (kind == 6 || kind == 7) {
            if (p.age > 39) p.kind = particle_kind::kFree;
        } else if (life > 0 && p.age == life) {
            p.kind = particle_kind::kFree;
        }
    }
}
