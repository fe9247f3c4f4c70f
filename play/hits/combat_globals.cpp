#include "play/hits/combat_globals.h"

#include <cstddef>

#include "play/craft/craft.h"
#include "play/craft/weapons.h"
#include "play/hits/hits.h"
#include "play/pickups/effects_step.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/pickups/pools_draw.h"
#include "play/shots/shot_pool.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"

namespace {

void FreeCombatPools() {
    FreeAllParticles();
    FreeAllPickups();
    FreeAllShots();
}

uint64_t Fold(uint64_t h, const void* data, size_t size) {
    const unsigned char* p = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 1099511628211ull;
    }
    return h;
}

template <typename T>
uint64_t FoldValue(uint64_t h, const T& value) {
    return Fold(h, &value, sizeof value);
}

int32_t CraftNumber(const PlayerCraft* craft) {
    for (size_t i = 0; i < gPlayerCrafts.size(); ++i) {
        if (craft == &gPlayerCrafts[i]) return static_cast<int32_t>(i);
    }
    return -1;
}

bool CraftPoseOf(int slot, CraftPose* pose) {
    if (slot < 0 || slot >= static_cast<int>(gPlayerCrafts.size())) return false;
    const PlayerCraft& craft = gPlayerCrafts[static_cast<size_t>(slot)];
    pose->position = craft.position;
    pose->rotation = craft.rotation;
    pose->scale = craft.scale;
    pose->craft = craft.craft;
    return true;
}

}  // namespace

void InstallCombatHooks() {
    gEffectPoolHooks.freePools = FreeCombatPools;
    gEffectPoolHooks.updatePickups = UpdatePickups;
    gEffectPoolHooks.updateParticles = UpdateParticles;
    gEffectPoolHooks.craftPose = CraftPoseOf;
    gWorldObjectsHooks.drawObjects = DrawPoolObjects;
    gWorldObjectsHooks.drawEightWay = DrawEightWayFigures;
}

void ResetCombatGlobals() {
    ResetShotPool();
    ResetParticlePool();
    ResetPickupPool();
    ResetWeaponGlobals();
    ResetHitGlobals();
}

uint64_t DigestCombatGlobals(uint64_t h) {
    for (const Shot& s : gShotPool.shots) {
        if (s.kind == shot_kind::kFree) continue;
        h = FoldValue(h, s.kind);
        h = FoldValue(h, s.side);
        h = FoldValue(h, CraftNumber(s.owner));
        h = Fold(h, s.position, sizeof s.position);
        h = Fold(h, s.velocity, sizeof s.velocity);
        h = FoldValue(h, s.timer);
        h = FoldValue(h, s.target);
        h = FoldValue(h, s.radius);
    }
    h = FoldValue(h, gShotPool.cursor);
    h = FoldValue(h, gShotPool.generation);
    h = FoldValue(h, gShotPool.serial);
    h = FoldValue(h, gOptionShotIndex);
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind == particle_kind::kFree) continue;
        h = FoldValue(h, p.kind);
        h = FoldValue(h, p.age);
        h = Fold(h, p.position, sizeof p.position);
    }
    h = FoldValue(h, gParticlePool.cursor);
    for (const Pickup& c : gPickupPool.pickups) {
        if (c.kind == pickup_kind::kFree) continue;
        h = FoldValue(h, c.kind);
        h = FoldValue(h, c.timer);
        h = Fold(h, c.position, sizeof c.position);
    }
    h = FoldValue(h, gPickupPool.cursor);
    h = Fold(h, gLaserLockOwners.owner.data(), sizeof gLaserLockOwners.owner);
    h = FoldValue(h, gGaugeShake);
    h = FoldValue(h, gPlayerHitFlag);
    return h;
}
