// The world objects pass on the null device: fading grey levels stop at 0 instead of
// wrapping, streaks stop being drawn once faded, and coins narrow to nothing as they pay.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "play/craft/craft.h"
#include "play/hits/combat_globals.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_pool.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"

namespace {

class ObjectsDrawTest : public ::testing::Test {
protected:
    void SetUp() override {
        device_.reset(new gfx::NullDevice(gfx::PresentParams{}));
        device_->SetRecording(true);
        gPlatform.device = device_.get();
        ResetCombatGlobals();
        InstallCombatHooks();
        gGameState = GameState{};
        gGameState.billboardMatrix = gfx::Identity();
        InitEffectQuads();
        device_->BeginScene();
    }
    void TearDown() override {
        device_->EndScene();
        gPlatform.device = nullptr;
        ResetCombatGlobals();
    }
    // Draws the pools and returns the diffuse colours of the quads drawn.
    std::vector<uint32_t> DrawnColours() {
        device_->ClearDraws();
        DrawWorldObjects();
        std::vector<uint32_t> colours;
        for (const gfx::DrawRecord& d : device_->Draws()) {
            EffectVertex v;
            if (d.vertices.size() < sizeof v) continue;
            std::memcpy(&v, d.vertices.data(), sizeof v);
            colours.push_back(v.diffuse);
        }
        return colours;
    }
    std::unique_ptr<gfx::NullDevice> device_;
};

TEST_F(ObjectsDrawTest, FadesStopAtBlackAndFadedStreaksAreNotDrawn) {
    struct Case {
        int32_t shotKind;  // 0: a particle of particleKind
        int32_t particleKind;
        int32_t timeOrAge;
        int draws;
        uint32_t colour;
    };
    const Case cases[] = {
        {shot_kind::kFlame, 0, 30, 1, 0xFF4F4F4Fu},  // (255 - 96) / 2
        {shot_kind::kFlame, 0, 45, 1, 0xFF000000u},  // below 0: black, not wrapped
        {0, particle_kind::kMuzzleSpark, 20, 1, 0xFF7F7F7Fu},
        {0, particle_kind::kMuzzleSpark, 30, 1, 0xFF000000u},
        {0, particle_kind::kExplosion, 12, 1, 0xFF7F7F7Fu},
        {0, particle_kind::kExplosion, 20, 0, 0},  // its grey would be negative
        {0, particle_kind::kGlow, 20, 0, 0},
    };
    for (const Case& c : cases) {
        FreeAllShots();
        FreeAllParticles();
        if (c.shotKind != 0) {
            Shot* s = ClaimFreeShotSlot();
            s->kind = c.shotKind;
            s->timer = c.timeOrAge;
            s->scale = 2.0f;
        } else {
            SpawnParticleBurst(nullptr, 0.0f, 0.0f, -50.0f, c.particleKind, 1.0f, 1);
            for (Particle& p : gParticlePool.particles) {
                if (p.kind == 0) continue;
                p.age = c.timeOrAge;
                p.velocity[2] = -1.0f;
            }
            // An explosion is eight particles: keep one.
            bool kept = false;
            for (Particle& p : gParticlePool.particles) {
                if (p.kind == 0) continue;
                if (kept) p.kind = 0;
                kept = true;
            }
        }
        std::vector<uint32_t> colours = DrawnColours();
        ASSERT_EQ(static_cast<int>(colours.size()), c.draws) << c.shotKind << " " << c.particleKind;
        if (c.draws > 0) {
            EXPECT_EQ(colours[0], c.colour) << c.shotKind << " " << c.particleKind;
        }
    }
}

TEST_F(ObjectsDrawTest, ACoinIsDrawnZeroWideInTheTickBeforeItPays) {
    SpawnPickups(&gPlayerCrafts[0], 0.0f, 0.0f, -50.0f, pickup_kind::kLarge, 1);
    for (Pickup& p : gPickupPool.pickups) {
        if (p.kind != 0) p.timer = kCoinPayTimer;
    }
    device_->ClearDraws();
    DrawWorldObjects();
    ASSERT_EQ(device_->Draws().size(), 1u);
    const gfx::DrawRecord& d = device_->Draws()[0];
    EXPECT_NEAR(d.world.m[0][0], 0.0f, 1e-6f);  // a = 0.01 - 10 x 0.001
    EXPECT_GT(d.world.m[1][1], 0.0f);
    EffectVertex v;
    std::memcpy(&v, d.vertices.data(), sizeof v);
    EXPECT_EQ(v.diffuse, 0xFFA0A0A0u);  // grey 160 added while it is collected
}

}  // namespace
