// Golden image of the world objects on gl33: vulcan pairs of both crafts, sub-weapon shots
// (lock-on, hammers, ring, flame, charged laser, missile), coins of the three kinds at
// different times, smoke and dark smoke, sparks, a roll ring and the wingtip ribbons.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture_groups.h"
#include "engine/random/random.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/combat_globals.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_pool.h"
#include "tests/support/golden.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"
#include "world/stage/stage_index.h"

namespace {

// A sheet of round blobs in cells of `cell` texels: the colour fades out toward each
// cell's edge (premultiplied, so it suits both the additive and the blended passes).
std::vector<uint32_t> Blobs(uint32_t width, uint32_t height, uint32_t cell, uint32_t rgb) {
    std::vector<uint32_t> t(width * height);
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            float cx = static_cast<float>(x % cell) + 0.5f - static_cast<float>(cell) / 2.0f;
            float cy = static_cast<float>(y % cell) + 0.5f - static_cast<float>(cell) / 2.0f;
            float r = std::sqrt(cx * cx + cy * cy) / (static_cast<float>(cell) / 2.0f);
            float k = r >= 1.0f ? 0.0f : 1.0f - r;
            uint32_t a = static_cast<uint32_t>(k * 255.0f);
            uint32_t c = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                c |= static_cast<uint32_t>(static_cast<float>(rgb >> shift & 0xFF) * k) << shift;
            }
            t[y * width + x] = a << 24 | c;
        }
    }
    return t;
}

class ObjectsGolden : public vqtest::GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        gPlatform.device = device();
        ResetCombatGlobals();
        ResetEnemyGlobals();
        ResetCraftGlobals();
        InstallCombatHooks();
        gGameState = GameState{};
        gGameState.billboardMatrix = gfx::Identity();
        SeedRandom(11);
        stage_ = StageInfo{};
        stage_.windLine = 1;
        gCurrentStage = &stage_;
        InitEffectQuads();
        Sheet(&gPlayTextures.coin, 48, 0xFFD040u);
        Sheet(&gPlayTextures.effectOpaque, 16, 0xE0E0FFu);
        Sheet(&gPlayTextures.effectShot, 32, 0x60C0FFu);
        Sheet(&gPlayTextures.effect, 32, 0xFF9040u);
        Sheet(&gPlayTextures.rollEffect, 256, 0x40FFC0u);
        gGraphics.eye = gfx::Vec3{0.0f, 10.0f, 60.0f};
        gGraphics.view = gfx::LookAtRH(gGraphics.eye, gfx::Vec3{0.0f, 0.0f, -60.0f},
                                       gfx::Vec3{0.0f, 1.0f, 0.0f});
        gGraphics.projection =
            gfx::PerspectiveFovRH(45.0f * gfx::kPi / 180.0f, 4.0f / 3.0f, 1.0f, 2000.0f);
        device()->SetTransform(gfx::TS_VIEW, gGraphics.view);
        device()->SetTransform(gfx::TS_PROJECTION, gGraphics.projection);
    }
    void TearDown() override {
        for (TextureHolder* h :
             {&gPlayTextures.coin, &gPlayTextures.effectOpaque, &gPlayTextures.effectShot,
              &gPlayTextures.effect, &gPlayTextures.rollEffect}) {
            *h = TextureHolder{};
        }
        gCurrentStage = nullptr;
        ResetCombatGlobals();
        ResetCraftGlobals();
        gPlatform.device = nullptr;
        GlDeviceTest::TearDown();
    }
    void Sheet(TextureHolder* holder, uint32_t cell, uint32_t rgb) {
        *holder = TextureHolder{MakeTexture(256, 256, Blobs(256, 256, cell, rgb)), 256, 256,
                                TextureGroup::Play};
    }
    Shot* Put(int32_t kind, float x, float y, float z) {
        Shot* s = ClaimFreeShotSlot();
        s->kind = kind;
        s->position[0] = x, s->position[1] = y, s->position[2] = z;
        s->matrix = gfx::RotationY(gfx::kPi);
        return s;
    }
    StageInfo stage_{};
};

TEST_F(ObjectsGolden, ShotsCoinsSmokeAndRibbons) {
    // Two crafts side by side, each with a vulcan pair in front of it.
    for (int i = 0; i < 2; ++i) {
        PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        c.position = gfx::Vec3{i == 0 ? -20.0f : 20.0f, 0.0f, 0.0f};
        c.rotation = gfx::RotationY(gfx::kPi);
        c.scale = 1.25f;
        c.craft = i;
        c.rollDirection = -1;
    }
    for (int k = 0; k < 4; ++k) {
        float z = -20.0f - 25.0f * static_cast<float>(k);
        Put(shot_kind::kTwin, -24.0f, -1.0f, z);
        Put(shot_kind::kTwin, -16.0f, -1.0f, z);
        Put(shot_kind::kTwinCraft1, 16.0f, -1.0f, z);
        Put(shot_kind::kTwinCraft1, 24.0f, -1.0f, z);
    }
    Put(shot_kind::kHomingSmall, -30.0f, 15.0f, -60.0f)->timer = 5;
    Put(shot_kind::kHammer, -40.0f, 0.0f, -10.0f);
    Put(shot_kind::kHammerThrown, 40.0f, 0.0f, -10.0f);
    Put(shot_kind::kRing, 0.0f, 20.0f, -120.0f);
    Shot* flame = Put(shot_kind::kFlame, 0.0f, -10.0f, -40.0f);
    flame->scale = 6.0f;
    flame->timer = 9;
    Put(shot_kind::kChargedLaser, 0.0f, 30.0f, -200.0f);
    Put(shot_kind::kMissile, 30.0f, 15.0f, -60.0f);
    Put(shot_kind::kBullet, 10.0f, 5.0f, -30.0f);

    // Coins of the three kinds, one of them being collected.
    const int timers[6] = {4, 20, 40, 58, 63, 66};
    for (int i = 0; i < 6; ++i) {
        SpawnPickups(&gPlayerCrafts[0], -25.0f + 10.0f * static_cast<float>(i), -15.0f, -30.0f,
                     1 + i % 3, 1);
    }
    int n = 0;
    for (Pickup& p : gPickupPool.pickups) {
        if (p.kind != 0) p.timer = timers[n++];
    }

    // Smoke, dark smoke, sparks and a roll ring.
    SpawnParticleBurst(nullptr, -35.0f, 10.0f, -50.0f, particle_kind::kSmoke, 3.0f, 6);
    SpawnParticleBurst(nullptr, 35.0f, 10.0f, -50.0f, particle_kind::kSpark, 3.0f, 6);
    SpawnParticleBurst(nullptr, 0.0f, 0.0f, -80.0f, particle_kind::kExplosion, 2.0f, 1);
    SpawnParticleBurst(&gPlayerCrafts[0], -20.0f, 0.0f, 0.0f, particle_kind::kRollRing, 1.0f, 1);
    for (Particle& p : gParticlePool.particles) {
        if (p.kind != 0 && p.age == 0) p.age = 6;
    }

    // The ribbons: both crafts flying a gentle curve for ten ticks.
    for (int t = 0; t < 10; ++t) {
        for (PlayerCraft& c : gPlayerCrafts) {
            c.position.z += 3.0f;
            c.position.y = 4.0f * std::sin(0.4f * static_cast<float>(t));
        }
        DrawWingtipTrails();
    }

    BeginFrame(0xFF203040u);
    DrawWorldObjects();
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "combat/world_objects"));
}

}  // namespace
