// Craft control: angle turning, the bank pose, steering, the roll and weapon cycle, the
// state motions and the limits of the offset.
#include <gtest/gtest.h>

#include <cmath>

#include "tests/play/play_fixture.h"

namespace {

using vqtest::FreshPlayRecords;
using vqtest::SoundRequested;

class CraftControlTest : public ::testing::Test {
protected:
    void SetUp() override { FreshPlayRecords(); }
    PlayerCraft& c = gPlayerCrafts[0];
};

TEST(TurnAngleToward, TurnsTheShortWayByAtMostTheStep) {
    struct Case {
        float angle, target, step, expected;
    };
    const float pi = gfx::kPi;
    const Case cases[] = {
        {0.0f, 1.0f, 0.1f, 0.1f},              // up toward a larger angle
        {1.0f, 0.0f, 0.1f, 0.9f},              // down toward a smaller one
        {0.0f, 0.05f, 0.1f, 0.05f},            // within a step: lands on the target
        {3.0f, -3.0f, 0.1f, 3.1f},             // across pi the short way: up, then wrapped
        {-3.0f, 3.0f, 0.1f, -3.1f},            // and the other way round
        {3.1f, -3.1f, 0.2f, -3.1f},            // closer than a step across pi: the target
        {2.0f * pi + 0.5f, 0.5f, 0.1f, 0.5f},  // both wrapped first
        {-0.5f, 7.0f, 0.1f, -0.4f},
    };
    for (const Case& k : cases) {
        EXPECT_NEAR(TurnAngleToward(k.angle, k.target, k.step), k.expected, 1e-4f)
            << k.angle << " -> " << k.target << " by " << k.step;
    }
    EXPECT_NEAR(WrapAngle(3.5f * pi), -0.5f * pi, 1e-4f);
    EXPECT_NEAR(WrapAngle(-3.5f * pi), 0.5f * pi, 1e-4f);
}

TEST_F(CraftControlTest, BankPoseByCraftModel) {
    struct Case {
        int craft;
        float bank;
        int frames[4];
        int values[4];
    };
    const Case cases[] = {
        {0, 0.5f, {5, 1, 3, -1}, {357, 357, 0, 0}},   {0, -0.5f, {5, 3, 1, -1}, {1139, 1139, 0, 0}},
        {0, 0.0f, {5, 3, 1, -1}, {782, 782, 0, 0}},   {1, 0.5f, {3, 9, -1, -1}, {178, 0, 0, 0}},
        {1, -1.0f, {9, 3, -1, -1}, {357, 0, 0, 0}},   {2, 1.0f, {9, 1, 4, -1}, {357, 238, 0, 0}},
        {2, -1.0f, {4, 1, 9, -1}, {357, 612, 0, 0}},  {3, 1.0f, {4, 6, -1, -1}, {745, 745, 0, 0}},
        {3, -0.5f, {4, 6, -1, -1}, {178, 178, 0, 0}},
    };
    for (const Case& k : cases) {
        FreshPlayRecords();
        c.craft = k.craft;
        for (int& a : c.animation) a = 99;
        SetBankPose(&c, k.bank);
        for (int i = 0; i < 4; ++i) {
            if (k.frames[i] < 0) continue;
            EXPECT_EQ(c.animation[k.frames[i]], k.values[i])
                << "craft " << k.craft << " bank " << k.bank << " frame " << k.frames[i];
        }
        EXPECT_EQ(c.animation[0], 99) << "frames outside the pose are left alone";
    }
}

TEST_F(CraftControlTest, RunningAnimationAddsSeventeenToTheModelsFrames) {
    c.craft = 2;
    StepCraftAnimation(&c);
    StepCraftAnimation(&c);
    EXPECT_EQ(c.animation[6], 34);
    EXPECT_EQ(c.animation[7], 34);
    EXPECT_EQ(c.animation[12], 34);
    EXPECT_EQ(c.animation[13], 0);
}

TEST_F(CraftControlTest, SteeringStepBySpeedItemAndFireButton) {
    struct Case {
        int craft;
        int speedItem;
        uint8_t held;
        float velocityX;
    };
    const Case cases[] = {
        {0, 0, kPadRight, 5.0f},
        {0, 1, kPadRight, 7.5f},
        {0, 0, kPadRight | kPadDecide, 2.0f},
        {0, 1, kPadRight | kPadDecide, 2.0f},  // firing ignores the item
        {2, 0, kPadLeft, -2.5f},
        {1, 0, kPadLeft | kPadRight, -3.5f},  // left wins
    };
    for (const Case& k : cases) {
        FreshPlayRecords();
        c.craft = k.craft;
        c.spec = &kCraftSpecTable[static_cast<size_t>(k.craft)];
        gGameState.shopBoosts[1] = k.speedItem;
        StepCraftControl(&c, k.held, 0);
        // Integration took 0.3 of the velocity into the offset, then kept 0.8 of it.
        EXPECT_NEAR(c.offset.x, k.velocityX * 0.3f, 1e-4f);
        EXPECT_NEAR(c.velocity.x, k.velocityX * 0.8f, 1e-4f);
    }
}

TEST_F(CraftControlTest, VerticalSenseSwapsUpAndDownForVelocityAndPitch) {
    StepCraftControl(&c, kPadDown, 0);
    EXPECT_LT(c.velocity.y, 0.0f);
    EXPECT_NEAR(c.pitch, 0.02f, 1e-6f);
    FreshPlayRecords();
    c.sense = 1;
    StepCraftControl(&c, kPadDown, 0);
    EXPECT_GT(c.velocity.y, 0.0f);
    EXPECT_NEAR(c.pitch, -0.02f, 1e-6f);
}

TEST_F(CraftControlTest, BankAndPitchLimitsAndReturnToLevel) {
    for (int i = 0; i < 40; ++i) StepCraftControl(&c, kPadLeft | kPadDown, 0);
    EXPECT_FLOAT_EQ(c.bank, -1.0f);
    EXPECT_FLOAT_EQ(c.pitch, 0.2f);
    c.holdFire = 1;
    for (int i = 0; i < 40; ++i) StepCraftControl(&c, kPadLeft | kPadDown, 0);
    EXPECT_FLOAT_EQ(c.bank, -1.2f);
    EXPECT_FLOAT_EQ(c.pitch, 0.4f);
    for (int i = 0; i < 100; ++i) StepCraftControl(&c, 0, 0);
    EXPECT_EQ(c.bank, 0.0f);
    EXPECT_EQ(c.pitch, 0.0f);
    EXPECT_FLOAT_EQ(c.wobbleRate, 0.05f);
}

TEST_F(CraftControlTest, RollDirectionsHeatAndLastDirection) {
    // A roll with no direction held rolls toward the last direction and forgets it.
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.rollDirection, -1);
    EXPECT_EQ(c.lastDirection, 0);
    EXPECT_FLOAT_EQ(c.heat, 10.0f);
    EXPECT_EQ(c.coolDelay, 30);
    EXPECT_EQ(c.invulnerable, 10);
    EXPECT_EQ(c.rollTicks, 1);
    EXPECT_TRUE(SoundRequested(310));
    // A neutral roll moves nothing sideways.
    EXPECT_EQ(c.velocity.x, 0.0f);
    for (int i = 0; i < 18; ++i) StepCraftControl(&c, 0, 0);
    EXPECT_EQ(c.rollTicks, 19);
    EXPECT_NEAR(c.rollAngle, 19 * 0.31415927f * -1, 1e-4f);
    StepCraftControl(&c, 0, 0);
    EXPECT_EQ(c.rollDirection, 0);
    EXPECT_EQ(c.rollAngle, 0.0f);
    // The next neutral roll goes left: nothing was held since.
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.rollDirection, -1);

    // A directional roll dashes sideways, and holding roll rolls again at once.
    FreshPlayRecords();
    gGameState.shopBoosts[3] = 1;
    for (int i = 0; i < 20; ++i) StepCraftControl(&c, kPadRoll | kPadRight, 0);
    EXPECT_EQ(c.rollDirection, 0);
    EXPECT_EQ(c.invulnerable, 25);
    StepCraftControl(&c, kPadRoll | kPadRight, 0);
    EXPECT_EQ(c.rollDirection, 1);
    EXPECT_FLOAT_EQ(c.heat, 20.0f);

    // Heat above the limit, an overheat lock or a charging weapon 8 start no roll.
    FreshPlayRecords();
    c.heat = 130.5f;
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.rollDirection, 0);
    c.heat = 130.0f;
    c.overheatLock = 5;
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.rollDirection, 0);
    c.overheatLock = 0;
    c.weapon = 8;
    c.orbitCounters[0] = 3;
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.rollDirection, 0);
    c.orbitCounters[0] = 0;
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.rollDirection, -1);
}

TEST_F(CraftControlTest, CraftThreeCyclesItsWeaponInEveryStateButNotTheOption) {
    c.craft = 3;
    c.spec = &kCraftSpecTable[3];
    gGameState.weaponList[0] = 0;
    gGameState.weaponList[1] = 4;
    gGameState.weaponList[2] = 7;
    gGameState.records.words[record::kWeaponListLength] = 3;
    c.weapon = 4;
    c.state = CraftState::KnockedDown;
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.weapon, 7);
    EXPECT_EQ(c.rollDirection, 0) << "craft 3 has no roll";
    EXPECT_TRUE(SoundRequested(288));
    StepCraftControl(&c, kPadRoll, 0);
    EXPECT_EQ(c.weapon, 7) << "held, not pressed";
    c.state = CraftState::Down;
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.weapon, 0) << "wraps at the list's end";
    c.weapon = 9;  // not in the list
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.weapon, 9);
    c.weapon = 10;
    StepCraftControl(&c, kPadRoll, kPadRoll);
    EXPECT_EQ(c.weapon, 10);
}

TEST_F(CraftControlTest, StateMotionsAndTheirEnds) {
    c.state = CraftState::Bumped;
    for (int i = 0; i < 19; ++i) StepCraftControl(&c, 0, 0);
    EXPECT_EQ(c.state, CraftState::Bumped);
    EXPECT_FLOAT_EQ(c.bumpSpin, 9.5f);
    StepCraftControl(&c, 0, 0);
    EXPECT_EQ(c.state, CraftState::Flying);
    EXPECT_EQ(c.bumpSpin, 0.0f);

    FreshPlayRecords();
    c.state = CraftState::KnockedDown;
    for (int i = 0; i < 20; ++i) StepCraftControl(&c, kPadLeft, 0);
    EXPECT_EQ(c.state, CraftState::Flying);
    EXPECT_EQ(c.stateTicks, 0);
    EXPECT_LT(c.offset.y, 0.0f) << "knocked down: it sank";
    EXPECT_EQ(c.offset.x, 0.0f) << "no steering outside flight";

    FreshPlayRecords();
    c.state = CraftState::Down;
    c.offset.y = 100.0f;
    for (int i = 0; i < 80; ++i) StepCraftControl(&c, 0, 0);
    EXPECT_EQ(c.stateTicks, 80);
    EXPECT_GT(c.offset.z, 0.0f) << "a downed craft drifts back and keeps its depth offset";
}

TEST_F(CraftControlTest, OffsetLimitsAndTheirExceptions) {
    c.velocity = gfx::Vec3{10000.0f, -10000.0f, 50.0f};
    StepCraftControl(&c, 0, 0);
    EXPECT_FLOAT_EQ(c.offset.x, 600.0f);
    EXPECT_FLOAT_EQ(c.offset.y, -260.0f);
    EXPECT_EQ(c.offset.z, 0.0f);
    EXPECT_FLOAT_EQ(c.velocity.y, -20.0f);

    // A destroyed craft falls free of the box.
    FreshPlayRecords();
    c.state = CraftState::Destroyed;
    c.velocity = gfx::Vec3{10000.0f, -10000.0f, 0.0f};
    StepCraftControl(&c, 0, 0);
    EXPECT_GT(c.offset.x, 600.0f);
    EXPECT_LT(c.offset.y, -260.0f);

    // The fly-out lifts the vertical limit and keeps the depth.
    FreshPlayRecords();
    gGameState.playPhase = PlayPhase::StageClear;
    c.offset = gfx::Vec3{0.0f, 300.0f, -50.0f};
    StepCraftControl(&c, 0, 0);
    EXPECT_FLOAT_EQ(c.offset.y, 300.0f);
    EXPECT_FLOAT_EQ(c.offset.z, -50.0f);
}

TEST_F(CraftControlTest, CountersOfThePass) {
    c.orbitAngle = 3.1f;
    c.lockCooldown = 2;
    c.invulnerable = 1;
    c.hitFlash = 0;
    gGameState.weaponSelect = 1;
    StepCraftCounters(&c);
    EXPECT_NEAR(c.orbitAngle, 3.2f - 2.0f * gfx::kPi, 1e-4f);
    EXPECT_EQ(c.lockCooldown, 2) << "the lock cooldown waits during the weapon select";
    EXPECT_EQ(c.invulnerable, 0);
    EXPECT_EQ(c.hitFlash, 0);
    EXPECT_EQ(c.age, 1);
    gGameState.weaponSelect = 0;
    StepCraftCounters(&c);
    EXPECT_EQ(c.lockCooldown, 1);
}

}  // namespace
