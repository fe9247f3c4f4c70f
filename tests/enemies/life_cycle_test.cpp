// The enemy pool's life cycle: claiming and clearing slots, the per-tick timers, the fall of
// shot-down enemies by their death kind, the smoke emitters and the world points.
#include <cmath>

#include "tests/enemies/enemy_fixture.h"

namespace vqtest {
namespace {

using LifeCycleTest = EnemyTest;

TEST_F(LifeCycleTest, AClaimTakesTheLowestFreeSlotAndClearsItsLifeFields) {
    for (int i = 0; i < 3; ++i) ASSERT_NE(Spawn(0, 24), nullptr);
    Enemy& old = gEnemyPool[1];
    old.lockOwners[2] = 1;
    old.lockCountdowns[2] = 40;
    old.hitRing[3] = 77;
    old.parent = 5;
    old.age = 99;
    old.spawnDelay = 8;
    old.formationOffset = {1, 2, 3};
    old.state = EnemyState::Free;
    const int32_t appeared = gGameState.enemiesAppeared;

    Enemy* e = AllocEnemy();
    ASSERT_EQ(e, &gEnemyPool[1]);
    EXPECT_EQ(gGameState.enemiesAppeared, appeared + 1);
    EXPECT_EQ(e->state, EnemyState::Free);  // the caller activates it
    EXPECT_EQ(e->lockOwners[2], 1);         // kept
    EXPECT_EQ(e->lockCountdowns[2], 0);
    EXPECT_EQ(e->hitRing[3], -1);
    EXPECT_EQ(e->parent, -1);
    EXPECT_EQ(e->age, 0);
    EXPECT_EQ(e->spawnDelay, 0);
    EXPECT_EQ(e->formationOffset.z, 3.0f);  // left to the spawner
    EXPECT_GE(e->bobPhase, 0.0f);
    EXPECT_LE(e->bobPhase, 2.0f * gfx::kPi);
}

TEST_F(LifeCycleTest, AFullPoolRefusesAndResetFreesEverything) {
    for (int i = 0; i < kEnemyPoolSize; ++i) ASSERT_NE(Spawn(0, 24), nullptr);
    EXPECT_EQ(AllocEnemy(), nullptr);
    EXPECT_EQ(gGameState.enemiesAppeared, kEnemyPoolSize);
    StartSmokeEmitter({0, 0, 0}, 0, -1, 1.0f);
    gWaveState = {50, 3};
    ResetEnemies();
    EXPECT_EQ(CountState(EnemyState::Free), kEnemyPoolSize);
    EXPECT_EQ(gSmokeEmitter.age[0], 0);
    EXPECT_EQ(gWaveState.frame, 0);
    EXPECT_EQ(gWaveState.cursor, 0);
}

TEST_F(LifeCycleTest, ASpawnDelayedEnemyIsFrozenUntilItsDelayRunsOut) {
    Enemy* e = Spawn(0, 24);
    e->spawnDelay = 3;
    e->hitBlink = 4;
    UpdateEnemies();
    UpdateEnemies();
    EXPECT_EQ(e->age, 0);
    EXPECT_EQ(e->hitBlink, 4);
    EXPECT_EQ(e->spawnDelay, 1);
    UpdateEnemies();  // the delay reaches 0: updated in this tick
    EXPECT_EQ(e->spawnDelay, 0);
    EXPECT_EQ(e->age, 1);
    EXPECT_EQ(e->hitBlink, 3);
}

TEST_F(LifeCycleTest, LockCountdownsAgeWhileHeldOrSpentAndTheMarkerRestsAtOne) {
    Enemy* e = Spawn(4, 14);
    e->lockCountdowns = {2, -1, 0, 0, 0, 0};
    e->markerCountdown = 3;
    for (int tick = 0; tick < 5; ++tick) UpdateEnemies();
    EXPECT_EQ(e->lockCountdowns[0], 0);
    EXPECT_EQ(e->lockAges[0], 1);  // 2 -> 1 aged, 1 -> 0 did not
    EXPECT_EQ(e->lockCountdowns[1], -1);
    EXPECT_EQ(e->lockAges[1], 5);
    EXPECT_EQ(e->lockAges[2], 0);
    EXPECT_EQ(e->markerCountdown, 1);
}

// Shoots the enemy down with no motion of its own.
void ShootDown(Enemy* e) {
    e->state = EnemyState::ShotDown;
    e->velocity = {0, 0, 0};
}

TEST_F(LifeCycleTest, AWreckThatStrikesTheCourseRidesWithTheViewForTenTicks) {
    stage_.scrollOffset = 1;
    gGameState.railSpeed = 1.0f;     // the view moves one key (10 units) a tick
    Enemy* e = Spawn(0, 24);         // death kind 0
    e->basePosition = {0, 40, 100};  // its ray starts 10 below it
    ShootDown(e);
    int struck = -1;
    for (int tick = 1; tick <= 300 && e->state != EnemyState::Free; ++tick) {
        UpdateEnemies();
        if (struck < 0 && e->wreckTimer == kWreckStruckTimer) {
            struck = tick;
            EXPECT_EQ(e->velocity.z, 10.0f);
        }
        if (e->state == EnemyState::Free) {
            EXPECT_EQ(tick, struck + 10);
        }
    }
    EXPECT_GT(struck, 0);
    EXPECT_EQ(e->state, EnemyState::Free);
    EXPECT_GT(CountParticles(particle_kind::kExplosion), 0);
}

struct FallCase {
    const char* name;
    int32_t type;
    float height;
    int freedAfter;  // ticks
};

class WreckFallTest : public EnemyTest, public ::testing::WithParamInterface<FallCase> {};

TEST_P(WreckFallTest, IsFreedAtTheLatestThreeHundredTicksAfterTheShotDown) {
    const FallCase& c = GetParam();
    Enemy* e = Spawn(c.type, 24);
    e->basePosition = {0, c.height, 100};
    ShootDown(e);
    int ticks = 0;
    while (e->state != EnemyState::Free && ticks < 400) {
        UpdateEnemies();
        ++ticks;
    }
    EXPECT_EQ(ticks, c.freedAfter) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    DeathKinds, WreckFallTest,
    ::testing::Values(FallCase{"strike, too high to reach the course", 0, 1.0e6f, 300},
                      FallCase{"fall", 15, 5.0f, 300}, FallCase{"bounce", 16, 5.0f, 300},
                      FallCase{"burst", 4, 5.0f, 1}),
    [](const ::testing::TestParamInfo<FallCase>& p) { return std::to_string(p.index); });

TEST_F(LifeCycleTest, ABouncingWreckStaysOnTheCourseAndRisesAgain) {
    Enemy* e = Spawn(16, 24);  // death kind 2
    e->basePosition = {0, 8, 100};
    ShootDown(e);
    float lowest = 1e9f;
    bool rose = false;
    for (int tick = 0; tick < 120; ++tick) {
        UpdateEnemies();
        lowest = std::min(lowest, e->basePosition.y);
        rose = rose || e->velocity.y > 0;
    }
    EXPECT_TRUE(rose);
    EXPECT_GT(lowest, -1.0f);  // held at the ground, give or take one tick's fall
}

TEST_F(LifeCycleTest, ABurstLeavesSmokeForeverOrForTwentyTicksOnStageSeven) {
    for (int32_t stageNumber : {3, 7}) {
        ResetEnemies();
        stage_.stageNumber = stageNumber;
        Enemy* e = Spawn(4, 14);
        e->basePosition = {0, 0, 300};
        ShootDown(e);
        UpdateEnemies();
        EXPECT_EQ(e->state, EnemyState::Free);
        EXPECT_EQ(gSmokeEmitter.age[0], 1 + 1);  // started and aged in the same tick
        EXPECT_EQ(gSmokeEmitter.lifetime[0], stageNumber == 7 ? 20 : -1);
        EXPECT_FLOAT_EQ(gSmokeEmitter.scale[0], 0.75f);
    }
}

TEST_F(LifeCycleTest, AnExpiringEmitterPuffsOnceMoreAndAFullTableDropsNewEmitters) {
    StartSmokeEmitter({0, 10, 0}, 0, 3, 1.0f);
    UpdateEnemies();  // age 2: a flame puff
    EXPECT_EQ(CountParticles(particle_kind::kPuffFlame), 2);
    UpdateEnemies();  // age 3: a rest
    EXPECT_EQ(CountParticles(particle_kind::kPuffRising), 0);
    UpdateEnemies();  // age 4 is beyond the lifetime: freed, and puffs as age 0
    EXPECT_EQ(gSmokeEmitter.age[0], 0);
    EXPECT_EQ(CountParticles(particle_kind::kPuffRising), 2);
    UpdateEnemies();
    EXPECT_EQ(CountParticles(particle_kind::kPuffRising), 2);

    for (int i = 0; i < kSmokeEmitterCount; ++i) StartSmokeEmitter({0, 0, 0}, 0, -1, 1.0f);
    StartSmokeEmitter({1, 2, 3}, 5, -1, 9.0f);
    for (int i = 0; i < kSmokeEmitterCount; ++i) EXPECT_EQ(gSmokeEmitter.scale[i], 1.0f);
}

TEST_F(LifeCycleTest, SegmentBoundPointsCarryTheSegmentOffsetAndABadTypeFreesTheEnemy) {
    Enemy* e = Spawn(7, 7);
    e->segmentBound = 1;
    e->segment = 3;
    e->basePosition = {10, 0, 20};
    e->wobblePhase = 0;
    gGameState.segmentOffset[3][0] = 100;
    gGameState.segmentOffset[3][1] = -50;
    UpdateEnemyWorldPoints(e);
    EXPECT_FLOAT_EQ(e->centre.x, 110.0f);
    EXPECT_FLOAT_EQ(e->centre.y, -25.0f);  // the type's centre is 25 up
    EXPECT_FLOAT_EQ(e->centre.z, 20.0f);
    DetachEnemyFromSegment(e);
    EXPECT_EQ(e->segmentBound, 0);
    EXPECT_FLOAT_EQ(e->basePosition.x, 110.0f);

    e->segmentBound = 1;
    e->segment = 40;  // outside the course: no offset
    EXPECT_FLOAT_EQ(EnemyWorldBase(*e).x, 110.0f);

    e->type = 63;  // a zero row beyond the defined types
    UpdateEnemies();
    EXPECT_EQ(e->state, EnemyState::Free);
}

}  // namespace
}  // namespace vqtest
