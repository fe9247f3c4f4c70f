// The boss behaviours driven directly on pool enemies: the phase walk of behaviour 9, the
// manoeuvre cycles of behaviours 20 and 21, the evasion of lock-on shots, and behaviour 19's
// missiles from the far half of its sway.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "engine/core/game_state.h"
#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_movement.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/shots/shot_pool.h"
#include "scenes/scene_table.h"

namespace vqtest {
namespace {

class BossMovement : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameGlobals();
        InstallGameHooks();
    }
    void TearDown() override { ResetGameGlobals(); }

    static Enemy* Spawn(int32_t type, int32_t behaviour) {
        Enemy* e = AllocEnemy();
        EXPECT_NE(e, nullptr);
        EXPECT_TRUE(ActivateEnemy(e, type, behaviour));
        e->spawnDelay = 0;
        UpdateEnemyWorldPoints(e);
        return e;
    }
};

// One heavy hit from full to a tenth walks through the phases 1 to 4 on consecutive ticks,
// each restarting the hit reaction and the screen shake.
TEST_F(BossMovement, PhasesChangeOnceATick) {
    Enemy* boss = Spawn(13, 9);
    for (int t = 0; t < 5; ++t) {
        boss->age += 1;
        UpdateBossPhases(boss);
    }
    EXPECT_EQ(boss->counter, 0);
    EXPECT_EQ(gBossProgress.attackMode, 0);
    boss->hitPoints = 0.1f * boss->maxHitPoints;
    for (int phase = 1; phase <= 4; ++phase) {
        gGameState.shake.countdown = 0;
        boss->age += 1;
        UpdateBossPhases(boss);
        EXPECT_EQ(boss->counter, phase);
        EXPECT_EQ(gBossProgress.attackMode, 1);
        EXPECT_EQ(gBossProgress.attackTicks, 2);
        EXPECT_EQ(gGameState.shake.countdown, 16);
        EXPECT_EQ(boss->subState, 1);
    }
    gGameState.shake.countdown = 0;
    UpdateBossPhases(boss);
    EXPECT_EQ(boss->counter, 4);
    EXPECT_EQ(gGameState.shake.countdown, 0);
    // The hit reaction lasts 60 counts at 2 a tick, then the boss turns again.
    for (int t = 0; t < 40; ++t) UpdateBossPhases(boss);
    EXPECT_EQ(gBossProgress.attackMode, 0);
}

// The turn lasts past 120 counts (2 a tick), then one of the four attacks starts, aimed at the
// point where player 1 stood.
TEST_F(BossMovement, TurnThenAttack) {
    Enemy* boss = Spawn(13, 9);
    gPlayerCrafts[0].position = gfx::Vec3{100.0f, 0.0f, 300.0f};
    int turnTicks = 0;
    while (gBossProgress.attackMode == 0 && turnTicks < 200) {
        UpdateBossPhases(boss);
        ++turnTicks;
    }
    EXPECT_EQ(turnTicks, 61);
    EXPECT_GE(gBossProgress.attackMode, 2);
    EXPECT_LE(gBossProgress.attackMode, 5);
    EXPECT_FLOAT_EQ(boss->anchorPoint.x, 100.0f);
    EXPECT_FLOAT_EQ(boss->anchorPoint.z, 300.0f);
    EXPECT_FLOAT_EQ(boss->pitch, -0.15707964f);
}

// Behaviour 20 never enters the strafe run; behaviour 21 does after some of its curves.
TEST_F(BossMovement, OnlyBehaviour21MakesStrafeRuns) {
    for (int32_t behaviour : {20, 21}) {
        ResetGameGlobals();
        InstallGameHooks();
        Enemy* boss = Spawn(behaviour == 20 ? 50 : 51, behaviour);
        gBossProgress.manoeuvreRestart = 1;
        std::set<int32_t> modes;
        for (int t = 0; t < 20000; ++t) {
            UpdateBossManoeuvre(boss);
            modes.insert(gBossProgress.manoeuvreMode);
            ASSERT_TRUE(std::isfinite(boss->formationOffset.x));
        }
        EXPECT_TRUE(modes.count(0) && modes.count(1) && modes.count(2)) << behaviour;
        EXPECT_EQ(modes.count(3), behaviour == 21 ? 1u : 0u) << behaviour;
    }
}

// A sub-weapon shot near the boss loses its lock: the target's lock countdowns are cleared
// and the boss spins about two turns. A shot without a target loses nothing and touches no
// enemy; main-gun shots are ignored.
TEST_F(BossMovement, EvasionDropsLocks) {
    Enemy* boss = Spawn(50, 20);
    gBossProgress.manoeuvreRestart = 1;
    UpdateBossManoeuvre(boss);
    gfx::Vec3 at = EnemyWorldBase(*boss);
    Enemy& locked = gEnemyPool[static_cast<size_t>(EnemyIndex(*boss))];
    locked.lockCountdowns.fill(30);

    Shot& gun = gShotPool.shots[0];
    gun.kind = shot_kind::kTwin;
    gun.side = kShotSidePlayer;
    gun.target = EnemyIndex(*boss);
    gun.position[0] = at.x;
    gun.position[1] = at.y;
    gun.position[2] = at.z;
    Shot& loose = gShotPool.shots[1];
    loose = gun;
    loose.kind = shot_kind::kHoming;
    loose.target = -1;
    UpdateBossManoeuvre(boss);
    EXPECT_EQ(gun.target, EnemyIndex(*boss)) << "the main gun is not evaded";
    EXPECT_EQ(locked.lockCountdowns[0], 30);
    EXPECT_EQ(boss->jitter, 2) << "the spin started";

    // Wait for the spin to end, then a locked homing shot comes close.
    for (int t = 0; t < 40 && boss->jitter != 0; ++t) UpdateBossManoeuvre(boss);
    EXPECT_EQ(boss->jitter, 0);
    at = EnemyWorldBase(*boss);
    Shot& homing = gShotPool.shots[2];
    homing = loose;
    homing.target = EnemyIndex(*boss);
    homing.position[0] = at.x + 50.0f;
    homing.position[1] = at.y;
    homing.position[2] = at.z;
    loose.kind = shot_kind::kFree;
    UpdateBossManoeuvre(boss);
    EXPECT_EQ(homing.target, -1);
    for (int32_t c : locked.lockCountdowns) EXPECT_EQ(c, 0);
}

// Behaviour 19 launches missiles only while its sway carries it beyond 4 keys ahead.
TEST_F(BossMovement, MissilesOnlyFromTheFarHalfOfTheSway) {
    Enemy* boss = Spawn(16, 19);
    int near = 0, far = 0;
    for (int t = 0; t < 1300; ++t) {
        int before = 0;
        for (const Shot& s : gShotPool.shots) before += s.kind == shot_kind::kEnemyMissile;
        boss->age += 1;
        UpdateBossOnPath(boss);
        int after = 0;
        for (const Shot& s : gShotPool.shots) after += s.kind == shot_kind::kEnemyMissile;
        bool isFar = std::sin(0.01f * static_cast<float>(gGameState.playTicks)) > 0.0f;
        (isFar ? far : near) += after - before;
        for (Shot& s : gShotPool.shots) s.kind = shot_kind::kFree;
        gGameState.playTicks += 1;
    }
    EXPECT_EQ(near, 0);
    EXPECT_GT(far, 0);
}

// The stage-3-3 segments ride the rail at the boss distance, each behind the previous.
TEST_F(BossMovement, SegmentsFollowTheBossDistance) {
    gBossProgress.stage8Distance = 250.0f;
    Enemy* head = Spawn(8, 8);
    Enemy* tail = Spawn(11, 8);
    tail->counter = 75;
    PlaceBossOnPath(head);
    PlaceBossOnPath(tail);
    EXPECT_TRUE(std::isfinite(head->yaw));
    EXPECT_FLOAT_EQ(head->basePosition.y, -30.0f);
}

}  // namespace
}  // namespace vqtest
