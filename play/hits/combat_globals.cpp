#include "play/hits/combat_globals.h"

#include "play/craft/weapons.h"
#include "play/hits/hits.h"
#include "play/pickups/effects_step.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_pool.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"

namespace {

void FreeCombatPools() {
    FreeAllParticles();
    FreeAllPickups();
    FreeAllShots();
}

}  // namespace

void InstallCombatHooks() {
    gEffectPoolHooks.freePools = FreeCombatPools;
    gEffectPoolHooks.updatePickups = UpdatePickups;
    gEffectPoolHooks.updateParticles = UpdateParticles;
}

void ResetCombatGlobals() {
    ResetShotPool();
    ResetParticlePool();
    ResetPickupPool();
    ResetWeaponGlobals();
    gPlayerHitFlag = 0;
}
