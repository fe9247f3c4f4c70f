// The crafts against the course of the demo data: the ray ahead bumps a craft in flight
// but never one destroyed or down, walls keep the craft aside, water splashes.
#include <gtest/gtest.h>

#include "play/craft/craft.h"
#include "play/step/camera.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

namespace {

class CourseContactTest : public ::testing::Test {
protected:
    void Start(int stage) {
        vqtest::PlayRunOptions o;
        o.stage = stage;
        o.ticks = 1;
        o.drawEveryTick = false;
        vqtest::PlayRunResult r;
        ASSERT_TRUE(vqtest::RunPlay(o, &r, nullptr, true));
        running_ = true;
    }
    void TearDown() override {
        if (running_) vqtest::StopHeadlessGame();
    }
    // Places craft 0 at the rail position and offset and runs its placement step.
    static void PlaceAt(float rail, gfx::Vec3 offset, CraftState state) {
        gRailPosition = rail;
        StepCamera();  // the camera direction of this rail position
        StepCamera();
        PlayerCraft& c = gPlayerCrafts[0];
        c.state = state;
        c.stateTicks = 0;
        c.offset = offset;
        gCraftTickFlags = CraftTickFlags{};
        StepCraftPlacement(&c);
    }
    bool running_ = false;
};

TEST_F(CourseContactTest, TheRayAheadBumpsOnlyACraftInFlight) {
    Start(0);
    // The course leaves the crafts room everywhere within their limits: find a place along
    // the rail where a craft sunk below them meets the rising ground ahead.
    float rail = -1.0f;
    gfx::Vec3 offset{};
    const int keys = RailKeyCount();
    for (int k = 2; k < keys - 2 && rail < 0.0f; k += 2) {
        for (float x = -600.0f; x <= 600.0f && rail < 0.0f; x += 300.0f) {
            for (float y = -300.0f; y >= -1500.0f; y -= 100.0f) {
                PlaceAt(static_cast<float>(k), gfx::Vec3{x, y, 0.0f}, CraftState::Flying);
                if (gPlayerCrafts[0].state == CraftState::Bumped) {
                    rail = static_cast<float>(k);
                    offset = gfx::Vec3{x, y, 0.0f};
                    break;
                }
            }
        }
    }
    ASSERT_GE(rail, 0.0f) << "no course ahead anywhere along stage 1-1";
    EXPECT_EQ(gCraftTickFlags.frontHit, 1);
    for (CraftState state : {CraftState::Destroyed, CraftState::Down}) {
        PlaceAt(rail, offset, state);
        EXPECT_EQ(gPlayerCrafts[0].state, state) << "not put back into a bump";
        EXPECT_EQ(gCraftTickFlags.frontHit, 0);
    }
    PlaceAt(rail, offset, CraftState::KnockedDown);
    EXPECT_EQ(gPlayerCrafts[0].state, CraftState::Bumped);
}

TEST_F(CourseContactTest, WaterBelowTenUnitsSplashesOnceAndCounts) {
    Start(1);  // 1-2 runs over water at -33
    ASSERT_GE(gCurrentStage->waterHeight, -1000.0f);
    PlayerCraft& c = gPlayerCrafts[0];
    c.waterTicks = 0;
    for (int i = 0; i < 3; ++i) PlaceAt(100.0f, gfx::Vec3{0.0f, -500.0f, 0.0f}, CraftState::Flying);
    if (c.position.y >= gCurrentStage->waterHeight + 10.0f) GTEST_SKIP() << "the craft is above";
    EXPECT_EQ(c.waterTicks, 3);
    PlaceAt(100.0f, gfx::Vec3{0.0f, 260.0f, 0.0f}, CraftState::Flying);
    EXPECT_EQ(c.waterTicks, 0);
}

}  // namespace
