// Helpers of the combat tests: a camera looking down -z from z = 50, crafts at the origin
// facing the same way, enemies placed in view, sound requests read back, shots counted.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/input/pad.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "play/craft/weapons.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/combat_globals.h"
#include "play/hits/hits.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_flight.h"
#include "play/shots/shot_pool.h"
#include "world/course/collision.h"
#include "world/effects/effects.h"
#include "world/stage/stage_index.h"

namespace vqtest {

class CombatTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetCombatGlobals();
        ResetEnemyGlobals();
        ResetCraftGlobals();
        InstallCombatHooks();
        gGameState = GameState{};
        gGameState.playPhase = PlayPhase::Playing;
        gGameState.playerCount = 1;
        gGameState.cameraDirection = gfx::Identity();
        gCurrentStage = nullptr;
        SeedRandom(7);
        gGraphics.eye = gfx::Vec3{0.0f, 0.0f, 50.0f};
        gGraphics.target = gfx::Vec3{0.0f, 0.0f, 0.0f};
        gGraphics.projection =
            gfx::PerspectiveFovRH(45.0f * gfx::kPi / 180.0f, 4.0f / 3.0f, 1.0f, 10000.0f);
        gScreenProjection.viewRoll = 0.0f;
        UpdateViewMatrix();
        for (int i = 0; i < 2; ++i) SetUpCraft(i, i == 0 ? 0 : 1);
        ClearSounds();
        std::memset(gPadState, 0, sizeof gPadState);
    }
    void TearDown() override {
        gCurrentStage = nullptr;
        ResetCombatGlobals();
        ResetEnemyGlobals();
        ResetCraftGlobals();
    }

    // A craft at (x, 0, 0) facing -z like the camera, with full life and no weapon.
    void SetUpCraft(int i, int model, float x = 0.0f) {
        PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        c = PlayerCraft{};
        c.position = gfx::Vec3{x, 0.0f, 0.0f};
        c.rotation = gfx::RotationY(gfx::kPi);
        c.yaw = gfx::kPi;
        c.scale = 1.25f;
        c.craft = model;
        c.player = i;
        c.state = CraftState::Flying;
        c.life = kFullLife;
        c.shownLife = kFullLife;
        c.weapon = -1;
        c.aimTarget = -1;
        c.spec = &kCraftSpecTable[static_cast<size_t>(model)];
        for (int k = 0; k < kOrbitShots; ++k) c.orbitShots[k] = -1;
    }
    PlayerCraft& Craft(int i) { return gPlayerCrafts[static_cast<size_t>(i)]; }

    // An active enemy of the type with every attachment point at p (point k shifted by
    // 10 k in x).
    Enemy* PlaceEnemy(int type, gfx::Vec3 p) {
        Enemy* e = AllocEnemy();
        if (!e) return nullptr;
        e->state = EnemyState::Active;
        e->type = type;
        e->hitPoints = e->maxHitPoints = static_cast<float>(gEnemyTypeTable[type].hitPoints);
        e->basePosition = p;
        e->centre = p;
        for (int k = 0; k < kEnemyPointCount; ++k) {
            e->points[static_cast<size_t>(k)] = gfx::Vec3{p.x + 10.0f * k, p.y, p.z};
        }
        return e;
    }

    static void ClearSounds() {
        for (uint8_t& r : gSoundState.effectRequests) r = 0;
    }
    static bool Requested(SoundEffectId id) {
        for (int s = 0; s < kEffectSlotCount; ++s) {
            if (kEffectSlotIds[static_cast<size_t>(s)] == id) {
                return gSoundState.effectRequests[static_cast<size_t>(s)] != 0;
            }
        }
        return false;
    }

    static int ShotsOfKind(int32_t kind) {
        int n = 0;
        for (const Shot& s : gShotPool.shots) n += s.kind == kind;
        return n;
    }
    static int ParticlesOfKind(int32_t kind) {
        int n = 0;
        for (const Particle& p : gParticlePool.particles) n += p.kind == kind;
        return n;
    }
    static int LocksHeld() {
        int n = 0;
        for (const Enemy& e : gEnemyPool) {
            for (int32_t c : e.lockCountdowns) n += c > 0;
        }
        return n;
    }

    // One weapons tick of a craft with the pad bits held and pressed.
    void Tick(int craft, uint8_t held, uint8_t pressed = 0) {
        PadState pad{};
        pad.held = held;
        pad.pressed = pressed;
        UpdateCraftWeapons(&Craft(craft), pad);
    }
};

}  // namespace vqtest
