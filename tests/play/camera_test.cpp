// The game step's view: loop-camera rail speed, the stage-9 speed, the two-craft spacing and
// the camera follow, the push-apart, and the screen shake.
#include <gtest/gtest.h>

#include <set>

#include "engine/random/random.h"
#include "play/step/camera.h"
#include "tests/play/play_fixture.h"

namespace {

using vqtest::FreshPlayRecords;

class CameraStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        FreshPlayRecords();
        SeedRandomDefault(0);
        gGameState.cameraDirection = gfx::Identity();
    }
    PlayerCraft& a = gPlayerCrafts[0];
    PlayerCraft& b = gPlayerCrafts[1];
};

TEST(LoopCameraRailSpeed, TurnsOnlyWhileACraftPressesToASide) {
    struct Case {
        float hi, lo, speed;
    };
    const Case cases[] = {
        {0.0f, 0.0f, 0.0f},     {300.0f, -300.0f, 0.0f}, {300.5f, 0.0f, 1.0f},
        {361.0f, 0.0f, 2.0f},   {421.0f, 0.0f, 3.0f},    {481.0f, -481.0f, 3.0f},
        {0.0f, -300.5f, -1.0f}, {0.0f, -361.0f, -2.0f},  {0.0f, -421.0f, -3.0f},
        {0.0f, -600.0f, -3.0f}, {301.0f, -600.0f, 1.0f},  // the right side is tested first
    };
    for (const Case& k : cases) {
        EXPECT_EQ(LoopCameraRailSpeed(k.hi, k.lo), k.speed) << k.hi << " " << k.lo;
    }
}

TEST_F(CameraStepTest, NextRailSpeedByPhaseAndStage) {
    gGameState.stage = 9;
    gGameState.targetSpeed = 1.7f;
    gGameState.weaponSelect = 1;
    EXPECT_EQ(NextRailSpeed(), 0.0f);
    gGameState.weaponSelect = 0;
    EXPECT_FLOAT_EQ(NextRailSpeed(), 1.7f);
    gGameState.stage = 3;
    EXPECT_EQ(NextRailSpeed(), 1.0f);
}

TEST_F(CameraStepTest, Stage9SpeedStaysWithinItsBoundsAndTakesAbout4858TicksToClear) {
    gGameState.targetSpeed = 0.3f;
    int ticks = 0;
    while (gGameState.targetSpeed <= 2.0f && ticks < 10000) {
        StepStage9Speed(0);
        ++ticks;
    }
    EXPECT_NEAR(ticks, 4858, 5);
    for (int i = 0; i < 5000; ++i) StepStage9Speed(0);
    EXPECT_FLOAT_EQ(gGameState.targetSpeed, 2.2f);
    EXPECT_FLOAT_EQ(gGameState.currentSpeed, 2.2f) << "the shown value caught up";

    gCraftTickFlags.frontHit = 1;
    StepStage9Speed(1);
    EXPECT_NEAR(gGameState.targetSpeed, 2.2f + 0.00035f - 0.14f, 1e-5f);
    EXPECT_NEAR(gGameState.currentSpeed, 2.2f + (gGameState.targetSpeed - 2.2f) / 10.0f, 1e-5f);
    gCraftTickFlags.scrape = 1;
    for (int i = 0; i < 200; ++i) StepStage9Speed(1);
    EXPECT_FLOAT_EQ(gGameState.targetSpeed, 0.3f);
}

TEST_F(CameraStepTest, SingleCraftMoves300BeforeTheCameraFollows) {
    gGameState.playerCount = 1;
    a.offset.x = 300.0f;
    StepCraftSpacingAndFollow();
    EXPECT_EQ(gGameState.follow[0], 0.0f);
    a.offset.x = 450.0f;
    StepCraftSpacingAndFollow();
    EXPECT_FLOAT_EQ(gGameState.follow[0], 150.0f);
    a.offset.x = -600.0f;
    StepCraftSpacingAndFollow();
    EXPECT_FLOAT_EQ(gGameState.follow[0], -300.0f);
}

TEST_F(CameraStepTest, TwoCraftsStayWithin560AndTheCameraWithin100OfTheirMidpoint) {
    gGameState.playerCount = 2;
    a.offset.x = -300.0f;
    b.offset.x = 300.0f;
    StepCraftSpacingAndFollow();
    EXPECT_FLOAT_EQ(a.offset.x, -280.0f) << "each pulled 20 toward the other";
    EXPECT_FLOAT_EQ(b.offset.x, 280.0f);
    a.offset.x = 200.0f;
    b.offset.x = 600.0f;
    StepCraftSpacingAndFollow();
    EXPECT_FLOAT_EQ(gGameState.follow[0], 300.0f) << "clamped after following the midpoint";
    EXPECT_NEAR(gGameState.follow[1], 30.0f, 1e-4f) << "the ground point moves a tenth";
}

TEST_F(CameraStepTest, CloseCraftsPushApartAndTheHigherOneRises) {
    gGameState.playerCount = 2;
    a.offset = gfx::Vec3{0.0f, 0.0f, 0.0f};
    b.offset = gfx::Vec3{30.0f, 40.0f, 0.0f};
    StepCraftSpacingAndFollow();
    EXPECT_FLOAT_EQ(a.velocity.x, -6.0f);
    EXPECT_FLOAT_EQ(a.velocity.y, -8.0f - 20.0f);
    EXPECT_FLOAT_EQ(b.velocity.x, 6.0f);
    EXPECT_FLOAT_EQ(b.velocity.y, 8.0f + 20.0f);

    // At the very same point craft 1 goes up and craft 0 down.
    a.offset = b.offset = gfx::Vec3{50.0f, 50.0f, 0.0f};
    a.velocity = b.velocity = gfx::Vec3{0.0f, 0.0f, 0.0f};
    StepCraftSpacingAndFollow();
    EXPECT_FLOAT_EQ(a.velocity.x, 0.0f);
    EXPECT_FLOAT_EQ(a.velocity.y, -30.0f);
    EXPECT_FLOAT_EQ(b.velocity.y, 30.0f);

    a.offset = gfx::Vec3{0.0f, 0.0f, 0.0f};
    b.offset = gfx::Vec3{100.0f, 0.0f, 0.0f};
    a.velocity = b.velocity = gfx::Vec3{0.0f, 0.0f, 0.0f};
    StepCraftSpacingAndFollow();
    EXPECT_EQ(a.velocity.x, 0.0f) << "100 apart is not close";
}

TEST_F(CameraStepTest, ShakeOffsetsStayWithinTheAmplitudeAndStopAtTheEnd) {
    StartScreenShake(50, 2, 5, 0);
    std::set<int> seenX, seenY;
    for (int i = 0; i < 49; ++i) {
        StepScreenShake();
        seenX.insert(gGameState.shake.offset[0]);
        seenY.insert(gGameState.shake.offset[1]);
        EXPECT_EQ(gGameState.shake.offset[2], 0);
    }
    EXPECT_EQ(seenX, (std::set<int>{-1, 0}));
    EXPECT_EQ(seenY, (std::set<int>{-2, -1, 0, 1, 2}));
    StepScreenShake();
    EXPECT_EQ(gGameState.shake.countdown, 0);
    EXPECT_EQ(gGameState.shake.offset[0], 0);
    EXPECT_EQ(gGameState.shake.offset[1], 0);
    // A new shake replaces a running one.
    StartScreenShake(10, 2, 2, 2);
    StepScreenShake();
    StartScreenShake(16, 4, 4, 4);
    EXPECT_EQ(gGameState.shake.countdown, 16);
    EXPECT_EQ(gGameState.shake.offset[0], 0);
}

}  // namespace
