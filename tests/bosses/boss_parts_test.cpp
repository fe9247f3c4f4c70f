// Part logic of the boss stages through the real engine: stage 4-2's collapsing columns and
// stage 6-3's debris.
#include <gtest/gtest.h>

#include <array>

#include "engine/core/game_state.h"
#include "play/bosses/boss_encounters.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "tests/bosses/boss_fixture.h"

namespace vqtest {
namespace {

int CountParticlesOfKind(int32_t kind) {
    int n = 0;
    for (const Particle& p : gParticlePool.particles) n += p.kind == kind;
    return n;
}

// Both parts of column 3 bring columns 0 to 2 down with it, all stamped on the same tick; a
// later second part of column 0 stamps nothing new. The fallen segments sink ever faster.
TEST(BossColumns, Column3TakesTheLowerColumnsWithIt) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 10;
    ASSERT_TRUE(run.Start(setup));
    for (int32_t type = 28; type <= 37; ++type) {
        ASSERT_EQ(LiveEnemiesOfType(type).size(), 1u) << "column part of type " << type;
    }
    run.Destroy(LiveEnemiesOfType(31)[0]);
    EXPECT_EQ(gBossProgress.fallStamps[3], 0) << "one part is not enough";
    run.Destroy(LiveEnemiesOfType(28)[0]);  // column 0's first part
    run.Destroy(LiveEnemiesOfType(35)[0]);
    int32_t now = gBossProgress.fallStamps[3];
    EXPECT_NE(now, 0);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(gBossProgress.fallStamps[static_cast<size_t>(c)], now);
    EXPECT_EQ(gBossProgress.fallStamps[4], 0);
    EXPECT_EQ(gBossProgress.fallStamps[5], 0);
    run.Tick(10);
    run.Destroy(LiveEnemiesOfType(32)[0]);  // column 0's second part
    EXPECT_EQ(gBossProgress.fallStamps[0], now);
    EXPECT_EQ(gBossProgress.partCounters[0], 2);
    // The columns' segments sink, faster and faster; the others stay.
    float a = gGameState.segmentOffset[1][1];
    run.Tick(5);
    float b = gGameState.segmentOffset[1][1];
    run.Tick(5);
    float c = gGameState.segmentOffset[1][1];
    EXPECT_LT(b, a);
    EXPECT_LT(c - b, b - a);
    for (int col = 0; col < 4; ++col) EXPECT_LT(gGameState.segmentOffset[col][1], 0.0f);
    EXPECT_GT(gGameState.segmentOffset[4][1], -100.0f);
    run.Tick(2000);
    EXPECT_FLOAT_EQ(gGameState.segmentOffset[0][1], -5000.0f);
    // Columns 4 and 5 fall with their single part.
    run.Destroy(LiveEnemiesOfType(36)[0]);
    EXPECT_NE(gBossProgress.fallStamps[4], 0);
    EXPECT_EQ(gBossProgress.fallStamps[5], 0);
}

// A column brought down with a higher one is not stamped again by a later fall.
TEST(BossColumns, AFallenColumnKeepsItsStamp) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 10;
    ASSERT_TRUE(run.Start(setup));
    run.Destroy(LiveEnemiesOfType(29)[0]);
    run.Destroy(LiveEnemiesOfType(33)[0]);
    int32_t first = gBossProgress.fallStamps[1];
    EXPECT_NE(first, 0);
    EXPECT_EQ(gBossProgress.fallStamps[0], first);
    run.Tick(20);
    run.Destroy(LiveEnemiesOfType(30)[0]);
    run.Destroy(LiveEnemiesOfType(34)[0]);
    EXPECT_GT(gBossProgress.fallStamps[2], first);
    EXPECT_EQ(gBossProgress.fallStamps[1], first);
    EXPECT_EQ(gBossProgress.fallStamps[0], first);
}

// Stage 6-3: 200 pieces wait from the start; a hit from 110 to 70 hit points crosses 100 and
// 75, two rounds of 20 pieces; a hit that crosses no multiple of 25 sheds nothing.
TEST(BossDebris, AHitCrossingTwoStepsShedsTwoRounds) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 17;
    ASSERT_TRUE(run.Start(setup));
    std::vector<int> bosses = LiveEnemiesOfType(16);
    ASSERT_EQ(bosses.size(), 1u);
    Enemy& boss = gEnemyPool[static_cast<size_t>(bosses[0])];
    EXPECT_EQ(GetCurrentBoss(), &boss);
    EXPECT_EQ(CountParticlesOfKind(particle_kind::kBossDebris), 200);
    int falling = CountParticlesOfKind(30);

    boss.hitPoints = 70.0f;
    SpawnBossDamageDebris(&boss, 40.0f);
    EXPECT_EQ(CountParticlesOfKind(30) - falling, 40);
    EXPECT_EQ(CountParticlesOfKind(particle_kind::kBossDebris), 200);

    falling = CountParticlesOfKind(30);
    boss.hitPoints = 60.0f;
    SpawnBossDamageDebris(&boss, 10.0f);  // 70 -> 60 crosses nothing
    EXPECT_EQ(CountParticlesOfKind(30), falling);
    boss.hitPoints = 50.0f;
    SpawnBossDamageDebris(&boss, 10.0f);  // 60 -> 50 reaches 50
    EXPECT_EQ(CountParticlesOfKind(30) - falling, 20);
    // Hit resolution calls it with the hit points lost.
    boss.hitPoints = 500.0f;
    falling = CountParticlesOfKind(30);
    run.Strike({16}, 1);
    float lost = 500.0f - boss.hitPoints;
    ASSERT_GT(lost, 0.0f);
    int rounds = 0;
    for (int m = 0; m <= 975; m += 25) {
        rounds += static_cast<float>(m) >= boss.hitPoints && static_cast<float>(m) < 500.0f;
    }
    EXPECT_EQ(CountParticlesOfKind(30) - falling, 20 * rounds);
}

}  // namespace
}  // namespace vqtest
