#include "play/pickups/particles.h"

#include <cmath>
#include <cstddef>

#include "engine/random/random.h"
#include "play/craft/craft.h"
#include "play/shots/vec3_fields.h"
#include "world/effects/effects.h"

ParticlePool gParticlePool;

namespace {

constexpr float kTwoPi = 2.0f * gfx::kPi;

// One rotating-cursor claim pass shared by every particle of a request.
struct ParticleClaim {
    int stepsLeft = kParticlePoolSize;

    Particle* Next() {
        if (gParticlePool.knownFull) return nullptr;
        while (stepsLeft > 0) {
            --stepsLeft;
            Particle& p = gParticlePool.particles[static_cast<size_t>(gParticlePool.cursor)];
            gParticlePool.cursor = (gParticlePool.cursor + 1) % kParticlePoolSize;
            if (p.kind == particle_kind::kFree) return &p;
        }
        // Every slot was visited once and none was free (the ones this pass took are in use).
        gParticlePool.knownFull = 1;
        return nullptr;
    }
};

int BurstSize(int32_t kind, int32_t count) {
    switch (kind) {
        case 1:
        case 6:
        case 7:
            return 8;
        case 3:
        case 4:
            return 16;
        case 5:
        case 15:
            return 4;
        case 8:
        case 9:
        case 20:
        case 17:
        case 18:
        case 19:
            return count;
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
            return 256;
        default:
            return 1;
    }
}

// Ring velocity of the explosion-like kinds: r = k (u + 0.2), a = 2 pi u, y = 0.8 (u - 0.2).
void RingVelocity(Particle* p, float k) {
    float r = k * (RandomUnit() + 0.2f);
    float a = kTwoPi * RandomUnit();
    p->velocity[0] = r * std::sin(a);
    p->velocity[1] = 0.8f * (RandomUnit() - 0.2f);
    p->velocity[2] = r * std::cos(a);
}

void SetUp(Particle* p, int index, int32_t kind, const PlayerCraft* owner) {
    switch (kind) {
        case 1:
            RingVelocity(p, 2.0f);
            for (int i = 0; i < 3; ++i) p->position[i] += p->velocity[i];
            p->age = 8 - index;
            break;
        case 3:
        case 4:
            p->age = -index;
            p->variant = RandomInt() % 12;
            break;
        case 5: {
            gfx::Vec3 m = CourseCarry();
            RingVelocity(p, 2.0f);
            p->velocity[0] -= 0.3f * m.x;
            p->velocity[1] -= 0.3f * m.y;
            p->velocity[2] -= 0.3f * m.z;
            for (int i = 0; i < 3; ++i) p->position[i] -= p->velocity[i];
            break;
        }
        case 6:
        case 7:
            RingVelocity(p, 0.5f);
            break;
        case 8:
        case 9:
        case 20:
        case 17:
        case 18:
        case 19: {
            float r = 0.5f * RandomUnit();
            float a = kTwoPi * RandomUnit();
            p->velocity[0] = r * std::sin(a);
            p->velocity[1] = 0.5f * (RandomUnit() - 0.5f);
            p->velocity[2] = r * std::cos(a);
            p->angles[2] = kTwoPi * RandomUnit();
            break;
        }
        case 10:
        case 11:
        case 12:
        case 13:
        case 14: {
            gfx::Vec3 v{RandomUnit() - 0.5f, RandomUnit() - 0.5f, RandomUnit() - 0.5f};
            if (v.x == 0.0f && v.y == 0.0f && v.z == 0.0f) v.x = 0.1f;
            v = gfx::Scale(gfx::Normalize(v), 0.8f);
            SetVec(p->velocity, v);
            p->variant = kind - 10;
            p->kind = particle_kind::kFirework;
            break;
        }
        case 15: {
            // Water jets fanned out behind the craft, mirrored for every other one.
            float side = (index & 1) ? -1.0f : 1.0f;
            gfx::Mat4 m = owner ? owner->rotation : gfx::Identity();
            float along = (RandomUnit() + 0.5f) * 1.5f;
            float back = -(RandomUnit() + 0.5f) * 5.0f;
            gfx::Vec3 v = gfx::TransformNormal(gfx::Vec3{side * along, 0.0f, back}, m);
            gfx::Vec3 shift =
                gfx::TransformNormal(gfx::Vec3{side * 10.0f * RandomUnit(), 0.0f, 0.0f}, m);
            p->velocity[0] = v.x;
            p->velocity[2] = v.z;
            p->position[0] += shift.x;
            p->position[2] += shift.z;
            p->velocity[1] = 1.5f * (RandomUnit() + 0.5f);
            break;
        }
        case 16: {
            float r = 2.5f * RandomUnit();
            float a = kTwoPi * RandomUnit();
            p->velocity[0] = r * std::sin(a);
            p->velocity[1] = r * std::cos(a);
            break;
        }
        case 22: {
            float r = 1.5f * RandomUnit();
            float a = kTwoPi * RandomUnit();
            p->velocity[0] = r * std::sin(a);
            p->velocity[1] = 2.5f * (RandomUnit() + 0.5f);
            p->velocity[2] = r * std::cos(a);
            break;
        }
        case 29: {
            for (int i = 0; i < 3; ++i) p->angles[i] = p->position[i];
            float vx = RandomUnit() - 0.5f;
            float vz = RandomUnit() - 0.5f;
            if (vx == 0.0f && vz == 0.0f) {
                vx = 0.7f;
                vz = 0.7f;
            }
            float length = std::sqrt(vx * vx + vz * vz);
            p->velocity[0] = vx / length * 0.3f;
            p->velocity[2] = vz / length * 0.3f;
            p->velocity[1] = kTwoPi * RandomUnit();
            p->age = RandomInt() & 511;
            break;
        }
        case 36:
            // A beam from the owner's position to the given point.
            for (int i = 0; i < 3; ++i) p->velocity[i] = p->position[i];
            if (owner) SetVec(p->position, ToVec(owner->position));
            break;
        default:
            break;
    }
}

}  // namespace

void ResetParticlePool() {
    gParticlePool = ParticlePool{};
}

void FreeAllParticles() {
    for (Particle& p : gParticlePool.particles) p.kind = particle_kind::kFree;
    gParticlePool.knownFull = 0;
}

int CountParticles() {
    int n = 0;
    for (const Particle& p : gParticlePool.particles) n += p.kind != 0;
    return n;
}

void SpawnParticleBurst(const PlayerCraft* owner, float x, float y, float z, int32_t kind,
                        float scale, int32_t count) {
    if (kind <= 0) return;
    int n = BurstSize(kind, count);
    ParticleClaim claim;
    for (int i = 0; i < n; ++i) {
        Particle* p = claim.Next();
        if (!p) return;
        *p = Particle{};
        p->source = owner;
        p->position[0] = x;
        p->position[1] = y;
        p->position[2] = z;
        p->kind = kind;
        p->scale = scale;
        SetUp(p, i, kind, owner);
    }
}

void SpawnParticle(Enemy* enemy, float x, float y, float z, int32_t kind, float scale) {
    ParticleClaim claim;
    Particle* p = claim.Next();
    if (!p) return;
    *p = Particle{};
    p->enemy = enemy;
    p->position[0] = x;
    p->position[1] = y;
    p->position[2] = z;
    p->kind = kind;
    p->scale = scale;
    p->angles[2] = kTwoPi * RandomUnit();
}
