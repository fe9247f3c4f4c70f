// Enemy behaviours: when each leaves, the firing edge cases, the mounted parts, the turrets'
// ranges, the ring's radius and the two rail-relative placements.
#include <cmath>

#include "engine/core/context.h"
#include "engine/graphics/projection.h"
#include "tests/enemies/enemy_fixture.h"

namespace vqtest {
namespace {

constexpr float kPi = gfx::kPi;

class BehaviourTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        // The camera 100 units behind player 1, looking down the rail.
        gGraphics.eye = {0, kRailHeight, -100};
        gGraphics.target = {0, kRailHeight, 1000};
        gGraphics.projection =
            gfx::PerspectiveFovRH(45.0f * kPi / 180.0f, 4.0f / 3.0f, 1.0f, 20000.0f);
        gScreenProjection.viewRoll = 0;
        UpdateViewMatrix();
    }

    static void Run(int ticks) {
        for (int i = 0; i < ticks; ++i) UpdateEnemies();
    }
};

struct LeaveCase {
    int32_t behaviour;
    int32_t type;
    int leavesAt;  // 0: stays
};

class LeaveTest : public BehaviourTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(LeaveTest, LeavesAtItsAgeOrStays) {
    const LeaveCase& c = GetParam();
    Enemy* e = Spawn(c.type, c.behaviour);
    ASSERT_NE(e, nullptr);
    e->counter = 4;  // the ring's size
    e->formationOffset = {0, 0, 1000};
    e->basePosition = {0, 0, 3000};
    const int last = c.leavesAt ? c.leavesAt : 1500;
    Run(last - 1);
    EXPECT_EQ(e->state, EnemyState::Active);
    UpdateEnemies();
    EXPECT_EQ(e->state, c.leavesAt ? EnemyState::Free : EnemyState::Active);
}

INSTANTIATE_TEST_SUITE_P(
    Behaviours, LeaveTest,
    ::testing::Values(LeaveCase{0, 0, 390}, LeaveCase{1, 0, 390}, LeaveCase{2, 0, 390},
                      LeaveCase{3, 2, 390}, LeaveCase{4, 0, 390}, LeaveCase{5, 0, 390},
                      LeaveCase{12, 0, 390}, LeaveCase{16, 39, 390}, LeaveCase{17, 39, 390},
                      LeaveCase{18, 39, 390}, LeaveCase{22, 0, 390}, LeaveCase{25, 0, 390},
                      LeaveCase{24, 54, 1200}, LeaveCase{28, 0, 390}, LeaveCase{11, 14, 0},
                      LeaveCase{14, 4, 0}, LeaveCase{23, 4, 0}, LeaveCase{6, 6, 0},
                      LeaveCase{7, 7, 0}, LeaveCase{10, 20, 0}, LeaveCase{15, 15, 0},
                      LeaveCase{26, 57, 0}, LeaveCase{8, 8, 0}, LeaveCase{20, 50, 0}),
    [](const ::testing::TestParamInfo<LeaveCase>& p) {
        return "behaviour" + std::to_string(p.param.behaviour);
    });

TEST_F(BehaviourTest, ANarrowCrosserTurnsFromAQuarterTurnToStraightOver79Ticks) {
    Enemy* e = Spawn(1, 22);
    e->side = 0;
    e->formationOffset = {-300, 0, -200};
    Run(60);
    EXPECT_FLOAT_EQ(e->heading, 0.25f * kPi / 2 + kPi);
    EXPECT_FLOAT_EQ(e->roll, -0.2f * kPi);
    Run(78);  // counter 138: still turning
    EXPECT_GT(e->heading, kPi);
    UpdateEnemies();  // counter 139: straight ahead, and it stays so
    EXPECT_FLOAT_EQ(e->heading, kPi);
    float x = e->formationOffset.x;
    Run(10);
    EXPECT_FLOAT_EQ(e->formationOffset.x, x);
}

TEST_F(BehaviourTest, ACurvingFlierFiresOnlyWithAFireModeAndThenOnce) {
    Enemy* quiet = Spawn(3, 3);
    quiet->fireMode = 0;
    quiet->formationOffset = {0, 0, 1000};
    Run(389);
    EXPECT_EQ(CountShots(), 0);
    Enemy* armed = Spawn(3, 3);
    armed->fireMode = 1;
    armed->formationOffset = {0, 0, 1000};
    Run(389);
    EXPECT_EQ(CountShots(16), 1);
    EXPECT_LT(armed->counter, 0);
}

TEST_F(BehaviourTest, AMountedPartFollowsItsParentAndFiresOnlyWhenTargetable) {
    Enemy* segment = Spawn(25, 10);  // a standing part that neither turns nor fires
    segment->basePosition = {0, 20, 500};
    segment->yaw = 0.5f;
    Enemy* part = Spawn(45, 13);
    part->parent = EnemyIndex(*segment);
    part->formationOffset = {10, 0, 0};
    part->untargetable = 1;
    Run(300);
    EXPECT_EQ(CountShots(), 0);
    EXPECT_LE(part->fireTimer, 120);
    EXPECT_FLOAT_EQ(part->yaw, 0.5f);
    gfx::Vec3 mount = gfx::TransformNormal(
        {10, 0, 0}, gfx::RotationYawPitchRoll(0.5f, 0, 0.1f * std::sin(part->wobblePhase)));
    EXPECT_NEAR(part->basePosition.x, 0 + mount.x, 1e-3f);
    EXPECT_NEAR(part->basePosition.z, 500 + mount.z, 1e-3f);

    part->untargetable = 0;
    part->fireTimer = 0;
    Run(120);
    EXPECT_EQ(CountShots(16), 1);  // volley B: a missile from the base position
    EXPECT_EQ(part->jitter, 3);    // set to 4, one shake spent

    Enemy* orphan = Spawn(45, 13);
    orphan->parent = -1;
    Enemy* own = Spawn(48, 13);
    own->parent = EnemyIndex(*own);
    UpdateEnemies();
    EXPECT_EQ(orphan->state, EnemyState::Free);
    EXPECT_EQ(own->state, EnemyState::Free);
}

TEST_F(BehaviourTest, MapTurretsFireOnlyAsTheirTypeAllowsAndWithinRange) {
    struct Case {
        int32_t type, behaviour;
        float z;
        int shots;  // after 300 ticks
    };
    for (const Case& c : {Case{6, 6, 500, 0}, Case{7, 7, 500, 2}, Case{7, 7, 1500, 0},
                          Case{55, 7, 500, 2}, Case{26, 7, 500, 0}}) {
        ResetEnemies();
        ResetShotPool();
        Enemy* e = Spawn(c.type, c.behaviour);
        e->basePosition = {0, 0, c.z};
        Run(300);
        EXPECT_EQ(CountShots(), c.shots) << "type " << c.type << " at " << c.z;
    }
}

TEST_F(BehaviourTest, AHeavyFlierFiresFirstAtTick350ThenEvery50) {
    Enemy* e = Spawn(14, 11);
    e->formationOffset = {40, 0, 1500};
    e->heading = 0.9f * kPi;
    Run(349);
    EXPECT_EQ(CountShots(22), 0);
    UpdateEnemies();
    EXPECT_EQ(CountShots(22), 1);
    Run(50);
    EXPECT_EQ(CountShots(22), 2);
}

TEST_F(BehaviourTest, AStandingGunTurnsTowardThePlayerAndBurstsInItsWindow) {
    Enemy* e = Spawn(21, 10);
    e->basePosition = {500, 0, 500};
    e->yaw = 0;
    UpdateEnemies();
    EXPECT_NEAR(e->yaw, kPi / 100, 1e-6f);  // a step toward atan2(500, 500)
    Run(119);
    EXPECT_EQ(CountShots(20), 4);  // fire timer 32, 40, 48 and 56
    EXPECT_EQ(e->fireTimer, 0);
}

TEST_F(BehaviourTest, TheRingClosesThroughItsCentreAndOpensOnTheOtherSide) {
    Enemy* e = Spawn(39, 17);
    e->counter = 4;
    e->side = 1;
    e->formationOffset = {80, 0, -30};
    auto radius = [&] { return std::hypot(e->formationOffset.x, e->formationOffset.y); };
    Run(160);
    EXPECT_NEAR(radius(), 0.0f, 1e-4f);
    Run(160);
    EXPECT_NEAR(radius(), 80.0f, 1e-3f);
    Run(50);
    EXPECT_NEAR(radius(), 80.0f, 1e-3f);

    Enemy* bad = Spawn(39, 17);
    bad->counter = 0;  // no ring size to divide by
    UpdateEnemies();
    EXPECT_EQ(bad->state, EnemyState::Free);
}

TEST_F(BehaviourTest, RailFliersFollowTheRailAndCrossersTheCameraHeading) {
    Enemy* flier = Spawn(0, 4);  // 3 units a tick toward the view
    flier->formationOffset = {20, 5, 1000};
    flier->basePosition = {0, 0, 0};
    Enemy* crosser = Spawn(54, 24);
    crosser->side = 0;
    crosser->formationOffset = {-70, 0, -40};
    crosser->heading = 0.3f;
    gGameState.cameraHeading = 0.1f;
    UpdateEnemies();
    // Rail key 1 + 99.7 along the straight rail, the offset across it.
    EXPECT_NEAR(flier->basePosition.x, 20.0f, 1e-3f);
    EXPECT_NEAR(flier->basePosition.y, kRailHeight + 5.0f, 1e-3f);
    EXPECT_NEAR(flier->basePosition.z, 1007.0f, 1e-2f);
    EXPECT_NEAR(flier->velocity.z, 1007.0f, 1e-2f);
    EXPECT_NEAR(flier->yaw, -kPi, 1e-5f);
    EXPECT_NEAR(crosser->basePosition.x, -69.5f, 1e-4f);
    EXPECT_NEAR(crosser->basePosition.z, 10.0f - 40.0f, 1e-4f);
    EXPECT_FLOAT_EQ(crosser->yaw, 0.2f);
}

TEST_F(BehaviourTest, BossBehavioursHandTheirEnemiesToTheBossRoutines) {
    const gfx::Vec3 away{12345, 678, 9};
    Enemy* onPath = Spawn(8, 8);
    onPath->basePosition = away;
    Enemy* phased = Spawn(12, 9);
    phased->basePosition = away;
    Enemy* swaying = Spawn(16, 19);
    swaying->basePosition = away;
    UpdateEnemies();
    // Placed on the rail ahead, 30 below it.
    EXPECT_NE(onPath->basePosition.x, away.x);
    EXPECT_NEAR(onPath->basePosition.y, kRailHeight - 30.0f, 3.0f);
    EXPECT_FLOAT_EQ(phased->pitch, -0.15707964f);  // leaning toward the player
    EXPECT_NE(swaying->basePosition.x, away.x);    // swaying on the rail ahead
}

}  // namespace
}  // namespace vqtest
