#include "play/hits/combat_globals.h"

#include <cstddef>

#include "engine/core/digest.h"
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
        h = FoldDigestValue(h, s.kind);
        h = FoldDigestValue(h, s.side);
        h = FoldDigestValue(h, CraftNumber(s.owner));
        h = FoldDigest(h, s.position, sizeof s.position);
        h = FoldDigest(h, s.velocity, sizeof s.velocity);
        h = FoldDigestValue(h, s.timer);
        h = FoldDigestValue(h, s.target);
        h = FoldDigestValue(h, s.radius);
    }
    h = FoldDigestValue(h, gShotPool.cursor);
    h = FoldDigestValue(h, gShotPool.generation);
    h = FoldDigestValue(h, gShotPool.serial);
    h = FoldDigestValue(h, gOptionShotIndex);
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind == particle_kind::kFree) continue;
        h = FoldDigestValue(h, p.kind);
        h = FoldDigestValue(h, p.age);
        h = FoldDigest(h, p.position, sizeof p.position);
    }
    h = FoldDigestValue(h, gParticlePool.cursor);
    for (const Pickup& c : gPickupPool.pickups) {
        if (c.kind == pickup_kind::kFree) continue;
        h = FoldDigestValue(h, c.kind);
        h = FoldDigestValue(h, c.timer);
        h = FoldDigest(h, c.position, sizeof c.position);
    }
    h = FoldDigestValue(h, gPickupPool.cursor);
    h = FoldDigest(h, gLaserLockOwners.owner.data(), sizeof gLaserLockOwners.owner);
    h = FoldDigestValue(h, gGaugeShake);
    h = FoldDigestValue(h, gPlayerHitFlag);
    return h;
}
