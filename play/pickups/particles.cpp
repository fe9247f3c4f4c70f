#include "play/pickups/particles.h"

ParticlePool gParticlePool;

void ResetParticlePool() {
    gParticlePool = ParticlePool{};
}

void FreeAllParticles() {
    for (Particle& p : gParticlePool.particles) p.kind = particle_kind::kFree;
}

int CountParticles() {
    int n = 0;
    for (const Particle& p : gParticlePool.particles) n += p.kind != 0;
    return n;
}

void SpawnParticleBurst(PlayerCraft*, float, float, float, int32_t, float, int32_t) {}

void SpawnParticle(Enemy*, float, float, float, int32_t, float) {}
