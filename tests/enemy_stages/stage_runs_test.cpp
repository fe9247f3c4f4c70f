// Every stage of the demo data played headless for its whole course, both crafts flown by
// the computer partner's logic and unharmed: enemies appear, move, fire and leave or are
// freed, and the pool never fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "engine/stagefiles/camera_path.h"
#include "play/enemies/enemy_pool.h"
#include "play/shots/shot_pool.h"
#include "tests/support/play_run.h"
#include "world/stage/stage_index.h"

namespace {

// What the ticks of one run saw of the enemy pool.
struct PoolWatch {
    std::array<EnemyState, kEnemyPoolSize> state;
    std::array<gfx::Vec3, kEnemyPoolSize> base;
    int mostActive;
    int moved;        // ticks in which an enemy that was active before had moved
    int freed;        // active enemies that were freed (by leaving, a set piece's end or a reset)
    int mostBullets;  // enemy bullets in flight at once
};
PoolWatch gWatch;

void Watch(int64_t) {
    int active = 0;
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        const Enemy& e = gEnemyPool[i];
        if (e.state == EnemyState::Active) ++active;
        if (gWatch.state[i] != EnemyState::Free && e.state == EnemyState::Free) ++gWatch.freed;
        if (gWatch.state[i] == EnemyState::Active) {
            if (e.state == EnemyState::Active &&
                (e.basePosition.x != gWatch.base[i].x || e.basePosition.y != gWatch.base[i].y ||
                 e.basePosition.z != gWatch.base[i].z)) {
                ++gWatch.moved;
            }
        }
        gWatch.state[i] = e.state;
        gWatch.base[i] = e.basePosition;
    }
    gWatch.mostActive = std::max(gWatch.mostActive, active);
    int bullets = 0;
    for (const Shot& s : gShotPool.shots) bullets += s.kind != 0 && s.side == kShotSideEnemy;
    gWatch.mostBullets = std::max(gWatch.mostBullets, bullets);
}

class StageRunTest : public ::testing::TestWithParam<int> {};

TEST_P(StageRunTest, EnemiesAppearMoveFireAndLeaveWithoutFillingThePool) {
    const int stage = GetParam();
    gWatch = PoolWatch{};
    vqtest::PlayRunOptions options;
    options.mode = GameMode::Practice;
    options.setup = PlayerSetup::ComputerPartner;
    options.stage = stage;
    options.autopilot = 0;
    options.invulnerable = true;
    options.ticks = 7000;  // the longest course and its waves
    options.beforeTick = Watch;
    vqtest::PlayRunResult result;
    ASSERT_TRUE(vqtest::RunPlay(options, &result, nullptr));

    EXPECT_GT(result.spawned, 0) << "no enemy appeared";
    EXPECT_GT(gWatch.mostActive, 0);
    EXPECT_LT(gWatch.mostActive, kEnemyPoolSize) << "the pool filled";
    EXPECT_GT(gWatch.moved, 0) << "no enemy moved";
    EXPECT_GT(gWatch.mostBullets, 0) << "no enemy fired";
    // Stages with waves see their fliers leave the view or fall.
    if (stage != 8 && stage != 16 && stage != 17) {
        EXPECT_GT(gWatch.freed, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(DemoStages, StageRunTest, ::testing::Range(0, 19),
                         [](const ::testing::TestParamInfo<int>& p) {
                             return "stage" + std::to_string(p.param);
                         });

}  // namespace
