// The play display's tests: the real engine on gl33 with the demo data's play pictures, a
// fixed camera, and play records set by hand.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "play/craft/craft.h"
#include "play/craft/weapons.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "scenes/scene_table.h"
#include "tests/support/golden.h"
#include "tests/support/headless_game.h"
#include "world/effects/effects.h"
#include "world/stage/stage_index.h"

namespace vqtest {

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        HeadlessOptions options;
        options.runFolder = VQ_RUN_DIR;
        options.gl33 = true;
        ASSERT_TRUE(StartHeadlessGame(options));
        const char* missing = LoadPlayDisplayPictures();
        ASSERT_EQ(missing, nullptr) << missing;
        SetSmallTextFont();  // as the stage start leaves it
        gGameState.scene = SceneId::Play;
        gGameState.playPhase = PlayPhase::Playing;
        gGameState.playerCount = 1;
        gGameState.playerSetup = PlayerSetup::OnePlayer;
        gGameState.records.words[record::kOwnedWeapons] = 1;
        for (Enemy& e : gEnemyPool) e = Enemy{};
        for (Particle& q : gParticlePool.particles) q = Particle{};
        gHitRings = {};
        ResetWeaponGlobals();  // the gauge shake
        PlaceTwoDisplayCrafts();
        // The camera at the origin looking down +z.
        gGraphics.fieldOfView = 45.0f;
        gGraphics.view = gfx::LookAtRH(gfx::Vec3{0.0f, 0.0f, 0.0f}, gfx::Vec3{0.0f, 0.0f, 1.0f},
                                       gfx::Vec3{0.0f, 1.0f, 0.0f});
        gGraphics.projection =
            gfx::PerspectiveFovRH(45.0f * 0.017453292f, 1.3333334f, 1.0f, 10000.0f);
    }
    void TearDown() override {
        gCurrentStage = nullptr;
        StopHeadlessGame();
    }

    // One frame of the display alone, over a dark grey clear, left in the back buffer.
    static void DrawHud(void (*draw)()) {
        gfx::Device* d = Device3D();
        EmptySpriteBatch();
        d->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF202028u, 1.0f, 0);
        d->SetTransform(gfx::TS_VIEW, gGraphics.view);
        d->SetTransform(gfx::TS_PROJECTION, gGraphics.projection);
        d->BeginScene();
        draw();
        d->EndScene();
    }
    static ::testing::AssertionResult Golden(const std::string& name) {
        return MatchesGolden(Device3D(), "display/" + name);
    }
    static TestPicture Picture() {
        TestPicture p;
        EXPECT_TRUE(ReadPicture(Device3D(), &p));
        return p;
    }
};

// An active enemy at (x, y, z) of the given type with its points there.
inline Enemy& PlaceEnemy(int slot, gfx::Vec3 at, int32_t type = 0) {
    Enemy& e = gEnemyPool[static_cast<size_t>(slot)];
    e = Enemy{};
    e.state = EnemyState::Active;
    e.type = type;
    e.centre = at;
    for (size_t k = 0; k < e.points.size(); ++k)
        e.points[k] = {at.x + 6.0f * static_cast<float>(k), at.y, at.z};
    e.hitPoints = e.maxHitPoints = 10.0f;
    return e;
}

inline Particle& PlaceParticle(int slot, int32_t kind, float x, float y, float z, int32_t age) {
    Particle& q = gParticlePool.particles[static_cast<size_t>(slot)];
    q = Particle{};
    q.kind = kind;
    q.position[0] = x;
    q.position[1] = y;
    q.position[2] = z;
    q.age = age;
    return q;
}

}  // namespace vqtest
