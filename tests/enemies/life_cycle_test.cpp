// The enemy pool's life cycle: claiming and clearing slots, the per-tick timers, the fall of
// shot-down enemies by their death kind, the smoke emitters, the world points and the
// types' design table.
#include <cmath>
#include <vector>

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

// Every defined type of the design table, column by column; the rows after them are empty.
TEST(EnemyTypeTable, TheDefinedTypesHoldTheirDesignValues) {
    struct Row {
        int32_t model, score, hp;
        gfx::Vec3 centre;
        std::vector<gfx::Vec3> points;  // empty: one point, at the centre
        float scale, shadowWidth, shadowDepth, radius;
        int32_t shake, farVisible, shadowShape, death;
    };
    // clang-format off
    const Row rows[kDefinedEnemyTypes] = {
        {0, 100, 10, {0, 0, 0}, {}, 1, 1, 1, 0, 0, 0, 0, 0},  // 0
        {1, 300, 3, {0, 0, 0}, {}, 1.3f, 1, 1, 0, 0, 0, 0, 0},  // 1
        {2, 500, 11, {0, 0, 0}, {}, 1.35f, 1, 1, 0, 0, 0, 0, 0},  // 2
        {3, 800, 11, {0, 0, 0}, {}, 1.25f, 1, 1, 0, 0, 0, 0, 0},  // 3
        {4, 300, 5, {0, 13, -30}, {{0, 13, 0}}, 1, 1, 1, 0, 1, 0, 2, 3},  // 4
        {5, 600, 10, {0, 5, 0}, {}, 1, 1, 1, 0, 1, 0, 1, 3},  // 5
        {6, 600, 10, {0, 25, 0}, {}, 6.5f, 1, 1, 0, 1, 0, 0, 3},  // 6
        {7, 300, 10, {0, 25, 0}, {}, 6.5f, 1, 1, 0, 1, 0, 0, 3},  // 7
        {20, 3000, 100, {14, 10, -30}, {{14, 10, -30}, {-14, 10, -30}, {0, 30, -30}}, 4, 4, 6, 10, 0, 1, 1, 2},  // 8
        {21, 3000, 100, {14, 16, -30}, {{14, 16, -30}, {-14, 16, -30}, {0, 30, -30}}, 4, 4, 6, 10, 0, 1, 1, 2},  // 9
        {22, 3000, 100, {10, 15, -30}, {{10, 15, -30}, {-10, 15, -30}, {10, 30, -20}, {-10, 30, -20}}, 4, 4, 6, 10, 0, 1, 1, 2},  // 10
        {23, 3000, 100, {14, 16, -30}, {{14, 16, -30}, {-14, 16, -30}, {14, 30, -20}, {-14, 30, -20}, {14, 45, -10}, {-14, 45, -10}}, 4, 4, 6, 10, 0, 1, 1, 2},  // 11
        {24, 10000, 400, {0, 200, 0}, {{0, 200, 0}, {80, 200, 0}, {-80, 200, 0}, {50, 50, 0}, {-50, 50, 0}}, 8, 1, 1, 100, 1, 1, 1, 0},  // 12
        {25, 20000, 1000, {0, 150, 0}, {}, 6, 1, 1, 100, 1, 1, 1, 0},  // 13
        {10, 3000, 280, {0, 20, 20}, {{0, 20, 20}, {0, 20, -50}, {0, -30, -50}, {50, 20, -50}, {-50, 20, -50}}, 6, 1, 1, 30, 1, 1, 0, 0},  // 14
        {26, 10000, 900, {0, 0, 0}, {}, 22, 1, 1, 100, 1, 0, 2, 1},  // 15
        {27, 8000, 1000, {0, 10, 0}, {}, 1.5f, 4, 6, 10, 1, 0, 0, 2},  // 16
        {28, 30000, 200, {0, 10, 0}, {}, 6.5f, 1, 1, 20, 1, 1, 2, 1},  // 17
        {29, 50000, 300, {0, 10, 0}, {}, 6.5f, 1, 1, 20, 1, 1, 2, 1},  // 18
        {30, 3000, 300, {0, 20, 0}, {{0, 20, 0}, {0, 40, -50}, {0, 40, -80}, {0, 40, -110}, {0, 40, -140}}, 6.5f, 0, 0, 20, 1, 1, 0, 0},  // 19
        {31, 2000, 90, {0, 25, 0}, {}, 6.5f, 0, 0, 20, 1, 1, 0, 1},  // 20
        {32, 1000, 60, {0, 19, -35}, {}, 6.5f, 0, 0, 20, 1, 1, 0, 3},  // 21
        {33, 500, 10, {0, 0, -15}, {}, 6.5f, 0, 0, 20, 1, 1, 0, 1},  // 22
        {34, 500, 20, {0, 0, -5}, {}, 6.5f, 0, 0, 20, 1, 1, 0, 1},  // 23
        {35, 1000, 90, {30, 0, 0}, {}, 6.5f, 0, 0, 20, 1, 1, 0, 1},  // 24
        {36, 1000, 60, {0, 0, 0}, {}, 6.5f, 0, 0, 20, 1, 1, 0, 1},  // 25
        {12, 3000, 120, {0, 20, 0}, {{0, 20, 0}, {0, 50, 0}, {0, 80, 0}}, 6.5f, 0, 0, 80, 1, 1, 0, 1},  // 26
        {13, 30000, 60, {150, 0, 0}, {{150, 0, 0}, {-150, 0, 0}}, 6.5f, 0, 0, 180, 1, 1, 0, 1},  // 27
        {11, 10000, 30, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 28
        {11, 10000, 50, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 29
        {11, 10000, 70, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 30
        {11, 10000, 90, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 31
        {11, 10000, 30, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 32
        {11, 10000, 50, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 33
        {11, 10000, 70, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 34
        {11, 10000, 90, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 35
        {11, 10000, 10, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 36
        {11, 10000, 10, {0, 0, 0}, {}, 6.5f, 0, 0, 30, 1, 1, 0, 1},  // 37
        {8, 1000, 25, {0, 0, 0}, {}, 1.3f, 1, 1, 0, 0, 0, 0, 0},  // 38
        {9, 3000, 25, {0, 0, 0}, {}, 1.4f, 1, 1, 0, 0, 0, 0, 0},  // 39
        {37, 1000, 40, {0, 10, 0}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 40
        {38, 1000, 40, {0, 10, 0}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 41
        {39, 1000, 300, {0, 10, 0}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 42
        {40, 1000, 300, {0, 10, 0}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 43
        {41, 1000, 300, {0, 10, 0}, {}, 4, 0, 0, 80, 1, 1, 0, 2},  // 44
        {42, 1000, 60, {0, 10, -10}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 45
        {43, 1000, 70, {0, 10, 0}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 46
        {43, 1000, 70, {0, 10, 0}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 47
        {44, 1000, 50, {0, 10, 0}, {}, 3.5f, 0, 0, 80, 1, 1, 0, 2},  // 48
        {45, 1000, 60, {0, 20, 0}, {}, 4.8f, 0, 0, 80, 1, 1, 0, 2},  // 49
        {46, 10000, 100, {0, 0, 0}, {}, 1.56525f, 1, 1, 0, 0, 0, 0, 0},  // 50
        {46, 20000, 200, {0, 0, 0}, {}, 1.56525f, 1, 1, 0, 0, 0, 0, 0},  // 51
        {14, 1000, 10, {0, 0, 0}, {}, 1, 1, 1, 0, 0, 0, 0, 0},  // 52
        {15, 1000, 3, {0, 0, 0}, {}, 1, 1, 1, 0, 0, 0, 0, 0},  // 53
        {16, 10000, 256, {0, 0, 0}, {}, 3, 1, 1, 10, 0, 0, 0, 0},  // 54
        {-1, 10000, 500, {0, 0, 0}, {}, 3, 1, 1, 10, 0, 0, 2, 0},  // 55
        {-1, 1000, 10, {0, 0, 0}, {}, 1, 1, 1, 0, 0, 0, 2, 0},  // 56
        {-1, 1000, 10, {0, 0, 0}, {}, 1, 1, 1, 0, 0, 0, 2, 0},  // 57
    };
    // clang-format on
    for (int t = 0; t < kEnemyTypeCount; ++t) {
        SCOPED_TRACE(::testing::Message() << "type " << t);
        const EnemyType& type = gEnemyTypeTable[static_cast<size_t>(t)];
        if (t >= kDefinedEnemyTypes) {
            EXPECT_EQ(type.model, 0);
            EXPECT_EQ(type.pointCount, 0);
            EXPECT_EQ(type.hitPoints, 0);
            continue;
        }
        const Row& r = rows[t];
        std::vector<gfx::Vec3> points =
            r.points.empty() ? std::vector<gfx::Vec3>{r.centre} : r.points;
        EXPECT_EQ(type.model, r.model);
        EXPECT_EQ(type.score, r.score);
        EXPECT_EQ(type.hitPoints, r.hp);
        ASSERT_EQ(type.pointCount, static_cast<int32_t>(points.size()));
        auto expectPoint = [](const gfx::Vec3& a, const gfx::Vec3& b, const char* what) {
            EXPECT_TRUE(a.x == b.x && a.y == b.y && a.z == b.z)
                << what << " " << a.x << ":" << a.y << ":" << a.z;
        };
        expectPoint(type.centre, r.centre, "centre");
        for (size_t k = 0; k < points.size(); ++k) expectPoint(type.points[k], points[k], "point");
        EXPECT_EQ(type.modelScale, r.scale);
        EXPECT_EQ(type.shadowWidth, r.shadowWidth);
        EXPECT_EQ(type.shadowDepth, r.shadowDepth);
        EXPECT_EQ(type.hitRadius, r.radius);
        EXPECT_EQ(type.shakeOnDeath, r.shake);
        EXPECT_EQ(type.farVisible, r.farVisible);
        EXPECT_EQ(type.shadowShape, r.shadowShape);
        EXPECT_EQ(static_cast<int32_t>(type.deathKind), r.death);
    }
}

}  // namespace
}  // namespace vqtest
