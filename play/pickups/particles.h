// The visual debris of the world (sparks, smoke, flames, fireworks, markers, scenery
// figures): Particle records in one fixed pool of 4096, claimed from a rotating cursor.
// Their per-tick motion and ageing is particles_step.cpp's, their drawing the world
// objects pass's.
#pragma once

#include <array>
#include <cstdint>

struct PlayerCraft;
struct Enemy;

namespace particle_kind {
constexpr int32_t kFree = 0;
constexpr int32_t kExplosion = 1;
constexpr int32_t kGlow = 2;
constexpr int32_t kGunSparkRight = 3;  // sparks from the muzzles when hold-fire ends
constexpr int32_t kGunSparkLeft = 4;
constexpr int32_t kTrail = 5;
constexpr int32_t kDebris = 6;
constexpr int32_t kDebrisDark = 7;
constexpr int32_t kSpark = 8;
constexpr int32_t kSmoke = 9;
constexpr int32_t kFirework = 10;  // kinds 10..14 are requested, all are stored as 10
constexpr int32_t kJet = 15;       // water jets behind a craft
constexpr int32_t kSteam = 16;     // overheat steam on the screen
constexpr int32_t kPuffRising = 17;
constexpr int32_t kPuffHeavy = 18;
constexpr int32_t kPuffFlame = 19;
constexpr int32_t kSmokeThin = 20;
constexpr int32_t kMarker = 21;
constexpr int32_t kWreckSpark = 22;
constexpr int32_t kVillagerFirst = 23;  // 23..27: scenery figures
constexpr int32_t kVillagerLast = 27;
constexpr int32_t kChargeGlow = 28;
constexpr int32_t kBossDebris = 29;  // waiting debris orbiting the current boss
constexpr int32_t kWalker = 30;
constexpr int32_t kRollRing = 31;
constexpr int32_t kLockMarker = 32;  // laser lock that left the screen
constexpr int32_t kMuzzleFlash = 33;
constexpr int32_t kMuzzleSpark = 34;
constexpr int32_t kBulletGlow = 35;
constexpr int32_t kBeam = 36;
constexpr int32_t kFigure = 37;  // eight-way walking figure
}  // namespace particle_kind

struct Particle {
    float position[3];
    float velocity[3];          // kind 36: the beam's second point; kind 29: x, phase, z rates
    float angles[3];            // the third is the spin angle of spinning kinds
    int32_t kind;               // 0 free
    int32_t age;                // ticks; may start negative (a delayed start)
    float scale;                // the spawner's scale; a speed and size factor
    int32_t variant;            // firework colour, spark sheet frame, counter or facing flags
    const PlayerCraft* source;  // the craft a particle follows or starts from (3, 4, 15, 31, 36)
    Enemy* enemy;               // the enemy a muzzle particle (33, 34) belongs to
};

constexpr int kParticlePoolSize = 4096;

struct ParticlePool {
    std::array<Particle, kParticlePoolSize> particles;
    int32_t cursor;
    // Set when a claim went once round the pool without finding a free slot; only the
    // particle update and the frees of this module free slots, so until one of them runs
    // every further claim would fail the same way (and leave the cursor where it is).
    int32_t knownFull;
};

extern ParticlePool gParticlePool;

void ResetParticlePool();
void FreeAllParticles();
// Live particles (kind not 0).
int CountParticles();

// One burst of a particle kind at (x, y, z); count is used by the kinds 8, 9, 17..20.
void SpawnParticleBurst(const PlayerCraft* owner, float x, float y, float z, int32_t kind,
                        float scale, int32_t count);
// One spinning muzzle particle (kind 33 or 34) that follows the enemy.
void SpawnParticle(Enemy* enemy, float x, float y, float z, int32_t kind, float scale);
