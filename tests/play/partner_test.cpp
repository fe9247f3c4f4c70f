// The computer partner's pad bits: the weapon select's confirming press, the weave, the
// pause and the phases in which it presses nothing.
#include <gtest/gtest.h>

#include "play/enemies/enemy_pool.h"
#include "tests/play/play_fixture.h"

namespace {

using vqtest::FreshPlayRecords;

class PartnerTest : public ::testing::Test {
protected:
    void SetUp() override {
        FreshPlayRecords();
        gGameState.playerCount = 2;
        gGameState.playerSetup = PlayerSetup::ComputerPartner;
    }
    // One tick as the frame makes it: the partner's bits, then the edges.
    uint8_t Tick() {
        DrivePartnerInput();
        uint8_t held = gPadState[1].held;
        gPadState[1].previous = held;
        return held;
    }
};

TEST_F(PartnerTest, SelectionPressesDecideOnThe30thTickOnly) {
    gGameState.weaponSelect = 1;
    gPlayerCrafts[1].weapon = -1;
    for (int i = 1; i <= 29; ++i) EXPECT_EQ(Tick(), 0) << i;
    EXPECT_EQ(Tick(), kPadDecide);
    gPlayerCrafts[1].weapon = 0;  // the press took
    for (int i = 0; i < 10; ++i) EXPECT_EQ(Tick(), 0);
}

TEST_F(PartnerTest, SelectionWaitsForThePauseAndPressesAgainUntilAWeaponIsHeld) {
    gGameState.weaponSelect = 1;
    gPlayerCrafts[1].weapon = -1;
    for (int i = 0; i < 20; ++i) Tick();
    gPauseState.requested = 1;
    for (int i = 0; i < 40; ++i) EXPECT_EQ(Tick(), 0) << "nothing while the pause is asked for";
    gPauseState.requested = 0;
    gPauseState.visible = 1;
    EXPECT_EQ(Tick(), 0);
    gPauseState.visible = 0;
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Tick(), 0);
    EXPECT_EQ(Tick(), kPadDecide) << "the count resumed where it stopped";
    // The press did not take (the weapon is still none): it presses every other tick.
    EXPECT_EQ(Tick(), 0);
    EXPECT_EQ(Tick(), kPadDecide);
    EXPECT_EQ(Tick(), 0);
    EXPECT_EQ(Tick(), kPadDecide);
}

TEST_F(PartnerTest, WeaveDriftsRightThenLeftAndStopsOutsidePlay) {
    int right = 0, left = 0, still = 0;
    for (int i = 1; i <= 314; ++i) {
        uint8_t h = Tick();
        if (i == 79) {
            EXPECT_EQ(h, kPadRight);
        }
        if (i == 25) {
            EXPECT_EQ(h, 0) << "s = sin(0.5): standing still";
        }
        if (h == kPadRight) ++right;
        if (h == kPadLeft) ++left;
        if (h == 0) ++still;
    }
    EXPECT_GT(right, 50);
    EXPECT_GT(left, 50);
    EXPECT_GT(still, 100);

    gGameState.playPhase = PlayPhase::ContinuePrompt;
    for (int i = 0; i < 314; ++i) EXPECT_EQ(Tick(), 0);
    gGameState.playPhase = PlayPhase::Playing;
    gPauseState.visible = 1;
    for (int i = 0; i < 314; ++i) EXPECT_EQ(Tick(), 0);
}

// An active enemy with its first lock slot held by craft 1.
Enemy& LockedEnemy() {
    Enemy& e = gEnemyPool[5];
    e.state = EnemyState::Active;
    e.spawnDelay = 0;
    e.type = 0;
    e.lockOwners[0] = 1;
    e.lockCountdowns[0] = 30;
    return e;
}

TEST_F(PartnerTest, FiresOnEveryOtherTickAtActiveEnemiesAndLaunchesAtItsLocks) {
    ASSERT_GE(gEnemyTypeTable[0].pointCount, 1);
    Enemy& e = LockedEnemy();
    gPlayerCrafts[1].weapon = 0;
    uint8_t fire = kPadDecide | kPadCancel;
    EXPECT_EQ(Tick() & fire, fire);
    EXPECT_EQ(Tick() & fire, 0);
    EXPECT_EQ(Tick() & fire, fire);
    // The option's beam is held tick after tick while the heat is below 39.
    gPlayerCrafts[1].weapon = 10;
    gPlayerCrafts[1].heat = 38.9f;
    EXPECT_TRUE(Tick() & kPadCancel);
    EXPECT_TRUE(Tick() & kPadCancel);
    gPlayerCrafts[1].heat = 39.0f;
    EXPECT_FALSE(Tick() & kPadCancel);
    // A lock of the other craft, or one whose countdown ran out, launches nothing.
    gPlayerCrafts[1].weapon = 0;
    e.lockOwners[0] = 0;
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(Tick() & kPadCancel);
    e.lockOwners[0] = 1;
    e.lockCountdowns[0] = 0;
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(Tick() & kPadCancel);
    // A waiting enemy (still to appear) draws no fire.
    e.spawnDelay = 3;
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(Tick() & kPadDecide);
}

TEST_F(PartnerTest, StageStartResetsBothCounters) {
    gGameState.weaponSelect = 1;
    for (int i = 0; i < 5; ++i) Tick();
    ResetPartnerAutopilot();
    EXPECT_EQ(gPartnerAutopilots[1].selectTicks, 0);
    EXPECT_EQ(gPartnerAutopilots[1].weaveTicks, 0);
}

}  // namespace
