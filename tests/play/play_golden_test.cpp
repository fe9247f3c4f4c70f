// Golden images of stage play on gl33: a craft pair in flight over a course of placed meshes
// and over a tiled floor, with their shadows and riders, one craft in its hit flash.
#include <gtest/gtest.h>

#include "engine/core/context.h"
#include "engine/main/frame.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_pool.h"
#include "tests/support/golden.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"

namespace {

class PlayGolden : public ::testing::Test {
protected:
    void TearDown() override {
        if (running_) vqtest::StopHeadlessGame();
    }
    // Flies the pair on the partner's logic for `ticks`, then draws one frame with the pools
    // emptied (the picture shows the crafts and the course alone) and craft 1 hit.
    void FlyAndDraw(int stage, int craft0, int craft1, int64_t ticks) {
        vqtest::PlayRunOptions o;
        o.setup = PlayerSetup::ComputerPartner;
        o.crafts[0] = craft0;
        o.crafts[1] = craft1;
        o.stage = stage;
        o.ticks = ticks;
        o.autopilot = 0;
        o.invulnerable = true;
        o.gl33 = true;
        o.drawEveryTick = false;
        vqtest::PlayRunResult r;
        ASSERT_TRUE(vqtest::RunPlay(o, &r, nullptr, true));
        running_ = true;
        ASSERT_EQ(r.ticks, ticks);
        for (Enemy& e : gEnemyPool) e.state = EnemyState::Free;
        FreeAllShots();
        FreeAllParticles();
        FreeAllPickups();
        gPlayerCrafts[1].hitFlash = 5;
        gGameState.showFrameRate = 1;  // no frame-rate digits
        RenderFrame();
    }
    bool running_ = false;
};

TEST_F(PlayGolden, CraftPairOverAPlacedCourse) {
    FlyAndDraw(0, 0, 1, 150);
    EXPECT_TRUE(vqtest::MatchesGolden(Device3D(), "play/crafts_placed_course"));
}

TEST_F(PlayGolden, CraftPairOverATiledFloor) {
    FlyAndDraw(1, 2, 3, 150);
    EXPECT_TRUE(vqtest::MatchesGolden(Device3D(), "play/crafts_tiled_floor"));
}

}  // namespace
