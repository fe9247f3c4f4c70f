// Every boss stage of the demo data fought to its clear through the real engine: the gauge
// starts at the boss enemies' hit points, only enemies that may be hit are struck, and the
// stage clears on the very tick the gauge empties, never before.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "engine/core/game_state.h"
#include "engine/overlay/fade.h"
#include "play/bosses/boss_encounters.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/step/game_step.h"
#include "play/waves/waves.h"
#include "tests/bosses/boss_fixture.h"
#include "world/rail/camera_rail.h"

namespace vqtest {
namespace {

// Stage 3-3's order: a group's parts open when its shield falls, a segment when its group is
// gone, the next shield when the segment behind it falls, group 0 when segment 1 falls.
void ExpectStage8Order() {
    const Stage8SetPieceSlots& s = gStage8SetPieceSlots;
    auto live = [](int slot, int32_t type) {
        if (slot < 0) return false;
        const Enemy& e = gEnemyPool[static_cast<size_t>(slot)];
        return e.state == EnemyState::Active && e.type == type;
    };
    std::array<int, 4> partsLeft{};
    for (const Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || e.behaviour != 13) continue;
        for (int k = 0; k < 4; ++k) partsLeft[static_cast<size_t>(k)] += e.parent == s.segments[k];
    }
    for (const Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || e.untargetable != 0) continue;
        if (e.type >= 8 && e.type <= 11) {
            EXPECT_EQ(partsLeft[static_cast<size_t>(e.type - 8)], 0)
                << "segment type " << e.type << " open with parts left";
        }
        if (e.behaviour != 13) continue;
        for (int k = 1; k < 4; ++k) {
            if (e.parent != s.segments[k] || e.type == 49) continue;
            EXPECT_FALSE(live(s.mounts[k - 1], 49)) << "group " << k << " open behind its shield";
        }
        if (e.parent == s.segments[0]) {
            EXPECT_FALSE(live(s.segments[1], 9)) << "group 0 open before segment 1 fell";
        }
    }
    const Enemy* m0 = s.mounts[0] >= 0 ? &gEnemyPool[static_cast<size_t>(s.mounts[0])] : nullptr;
    const Enemy* m1 = s.mounts[1] >= 0 ? &gEnemyPool[static_cast<size_t>(s.mounts[1])] : nullptr;
    if (m1 && m1->state == EnemyState::Active && m1->untargetable == 0) {
        EXPECT_FALSE(live(s.segments[3], 11)) << "second shield open before segment 3 fell";
    }
    if (m0 && m0->state == EnemyState::Active && m0->untargetable == 0) {
        EXPECT_FALSE(live(s.segments[2], 10)) << "first shield open before segment 2 fell";
    }
}

struct ClearRecord {
    bool cleared = false;
    bool transitioned = false;
    int64_t clearTick = -1;
};

// Strikes the boss until the stage clears; checks the gauge and the clear on every tick.
ClearRecord FightToClear(BossStageRun& run, int32_t stage, int64_t maxTicks) {
    ClearRecord rec;
    for (int64_t t = 0; t < maxTicks; ++t) {
        float before = gGameState.bossGauge.current;
        if (gGameState.bossTransitionCounter == 0 && gGameState.playPhase == PlayPhase::Playing &&
            t % 2 == 0) {
            run.StrikeBoss(6);
        }
        run.Tick();
        if (stage == 8) ExpectStage8Order();
        if (gGameState.railSlot == 1) rec.transitioned = true;
        const BossGauge& g = gGameState.bossGauge;
        EXPECT_GE(g.current, 0.0f);
        EXPECT_LE(g.current, g.maximum);
        if (gGameState.playPhase == PlayPhase::StageClear) {
            rec.cleared = true;
            rec.clearTick = t;
            EXPECT_EQ(g.current, 0.0f) << "stage " << stage << " cleared with a full gauge";
            EXPECT_EQ(gGameState.bossTransitionCounter, 0);
            EXPECT_GT(before, 0.0f) << "the gauge emptied on the clear tick";
            return rec;
        }
        if (g.current == 0.0f && gGameState.bossTransitionCounter == 0 && t > 0) {
            ADD_FAILURE() << "stage " << stage << ": the gauge is empty but the stage goes on";
            return rec;
        }
    }
    return rec;
}

class BossStageClear : public ::testing::TestWithParam<int32_t> {};

TEST_P(BossStageClear, GaugeFillsAndTheStageClearsWhenItEmpties) {
    int32_t stage = GetParam();
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = stage;
    setup.mode = stage == 18 ? GameMode::Extra : GameMode::StagesInARow;
    ASSERT_TRUE(run.Start(setup));
    // The gauge holds the table hit points of the stage's live boss enemies.
    float expected = ExpectedGaugeMaximum(stage);
    if (stage == 11) expected = static_cast<float>(gEnemyTypeTable[12].hitPoints);
    EXPECT_GT(expected, 0.0f) << "the demo stage has its boss";
    EXPECT_FLOAT_EQ(gGameState.bossGauge.maximum, expected);
    // The first tick's boss update fills the current value.
    run.Tick();
    EXPECT_FLOAT_EQ(gGameState.bossGauge.current, expected);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);

    ClearRecord rec = FightToClear(run, stage, 20000);
    EXPECT_TRUE(rec.cleared) << "stage " << stage << " not cleared";
    if (stage == 11 || stage == 18) {
        EXPECT_TRUE(rec.transitioned) << "no change of form";
        EXPECT_EQ(gFadeLength, kNormalFadeTicks);
    }
    if (stage == 8) {
        EXPECT_EQ(gBossProgress.stage8Phase, 3) << "every group fell in turn";
        EXPECT_LT(gBossProgress.stage8Distance, 250.0f) << "the boss closed in";
    }
    if (stage == 11) {
        EXPECT_FLOAT_EQ(gGameState.bossGauge.maximum,
                        static_cast<float>(gEnemyTypeTable[55].hitPoints));
    }
}

// The computer partner only weaves and fires; it never climbs or dives. With both crafts
// flown by its logic (unharmed), every boss must still fall: the course brings each boss
// into the line of fire of crafts that follow the rail, within two laps of the longest rail.
int64_t gPartnerClearTick;
float gGaugeAtClear;

void WatchForTheClear(int64_t tick) {
    if (gPartnerClearTick >= 0 || gGameState.scene != SceneId::Play) return;
    if (gGameState.playPhase != PlayPhase::StageClear) return;
    gPartnerClearTick = tick;
    gGaugeAtClear = gGameState.bossGauge.current;
}

TEST_P(BossStageClear, BothCraftsOnThePartnersAutopilotClearIt) {
    int32_t stage = GetParam();
    PlayRunOptions o;
    o.mode = stage == 18 ? GameMode::Extra : GameMode::Practice;
    o.setup = PlayerSetup::ComputerPartner;
    o.stage = stage;
    o.autopilot = 0;
    o.invulnerable = true;
    o.ticks = 15000;
    o.beforeTick = WatchForTheClear;
    gPartnerClearTick = -1;
    PlayRunResult result;
    ASSERT_TRUE(RunPlay(o, &result, nullptr));
    ASSERT_GE(gPartnerClearTick, 0)
        << "stage " << stage << " still fighting after " << o.ticks << " ticks";
    EXPECT_EQ(gGaugeAtClear, 0.0f);
    RecordProperty("clear_tick", std::to_string(gPartnerClearTick));
}

INSTANTIATE_TEST_SUITE_P(DemoData, BossStageClear,
                         ::testing::Values(2, 5, 8, 10, 11, 12, 14, 16, 17, 18),
                         [](const ::testing::TestParamInfo<int32_t>& param) {
                             char name[16];
                             std::snprintf(name, sizeof name, "Stage%02d", param.param);
                             return std::string(name);
                         });

// The first form's fall does not clear stage 4-3: the transition runs its 150 ticks with the
// gauge held, then the second form stands on the second rail with a gauge of its own.
TEST(BossTransition, Stage11FirstFormDoesNotClear) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 11;
    ASSERT_TRUE(run.Start(setup));
    std::vector<int> first = LiveEnemiesOfType(12);
    ASSERT_EQ(first.size(), 1u);
    run.Tick();
    run.Destroy(first[0]);
    EXPECT_EQ(gGameState.bossTransitionCounter, 1);
    EXPECT_EQ(gFadeLength, kBossTransitionFadeTicks);
    int64_t ticks = 0;
    while (gGameState.bossTransitionCounter != 0 && ticks < 400) {
        run.Tick();
        ++ticks;
        EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
        if (gGameState.bossTransitionCounter != 0) {
            EXPECT_GT(gGameState.bossGauge.current, 0.0f);
        }
    }
    EXPECT_GE(ticks, kBossTransitionFadeTicks);
    EXPECT_LE(ticks, kBossTransitionFadeTicks + 2);
    EXPECT_EQ(gGameState.railSlot, 1);
    EXPECT_EQ(gFadeLength, kNormalFadeTicks);
    EXPECT_EQ(gGameState.fade.direction, -1);
    EXPECT_EQ(gCameraRail.keyCount[0], gCameraRail.keyCount[1]);
    std::vector<int> second = LiveEnemiesOfType(55);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(LiveEnemiesOfType(12).size(), 0u);
    run.Tick(5);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
    EXPECT_FLOAT_EQ(gGameState.bossGauge.current,
                    static_cast<float>(gEnemyTypeTable[55].hitPoints));
    // A hit on the second form flashes the course.
    run.Strike({55}, 1);
    EXPECT_EQ(gGameState.flashCountdown, 4);
}

// The craft is shot down during the fade: the fade ends while the continue prompt is open
// (no boss update runs then); once the player continues the change of form still happens
// and the screen fades back in.
TEST(BossTransition, CraftDestroyedDuringTheFadeStillChangesForm) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 11;
    setup.invulnerable = false;
    setup.credits = 3;
    ASSERT_TRUE(run.Start(setup));
    std::vector<int> first = LiveEnemiesOfType(12);
    ASSERT_EQ(first.size(), 1u);
    run.Tick();
    run.Destroy(first[0]);
    ASSERT_EQ(gGameState.bossTransitionCounter, 1);
    run.Tick(20);
    PlayerCraft& craft = gPlayerCrafts[0];
    craft.life = 0.0f;
    craft.state = CraftState::Destroyed;
    craft.stateTicks = 0;
    for (int i = 0; i < 300 && gGameState.playPhase == PlayPhase::Playing; ++i) run.Tick();
    ASSERT_EQ(gGameState.playPhase, PlayPhase::ContinuePrompt);
    // The fade-out ends while the prompt shows.
    run.Tick(kBossTransitionFadeTicks);
    EXPECT_EQ(gGameState.bossTransitionCounter, 1);
    EXPECT_EQ(gGameState.fade.direction, 1);
    run.PressDecide();
    for (int i = 0; i < 100 && gGameState.playPhase != PlayPhase::Playing; ++i) run.Tick();
    ASSERT_EQ(gGameState.playPhase, PlayPhase::Playing);
    run.Tick(2);
    EXPECT_EQ(gGameState.bossTransitionCounter, 0);
    EXPECT_EQ(gGameState.railSlot, 1);
    EXPECT_EQ(gFadeLength, kNormalFadeTicks);
    EXPECT_EQ(LiveEnemiesOfType(55).size(), 1u);
    run.Tick(kNormalFadeTicks + 2);
    EXPECT_EQ(gGameState.fade.direction, 0) << "the screen fades back in";
}

// Two players both down with credits left: nothing moves, so no boss update runs when the
// fade-out ends; once a player rejoins the change of form still happens.
TEST(BossTransition, BothCraftsDownDuringTheFadeStillChangesForm) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 11;
    setup.players = PlayerSetup::TwoPlayers;
    setup.invulnerable = false;
    setup.credits = 3;
    ASSERT_TRUE(run.Start(setup));
    std::vector<int> first = LiveEnemiesOfType(12);
    ASSERT_EQ(first.size(), 1u);
    run.Tick();
    run.Destroy(first[0]);
    ASSERT_EQ(gGameState.bossTransitionCounter, 1);
    for (PlayerCraft& c : gPlayerCrafts) {
        c.life = 0.0f;
        c.state = CraftState::Down;
        c.stateTicks = 61;
        c.out = 1;
    }
    run.Tick(kBossTransitionFadeTicks + 10);
    EXPECT_EQ(gGameState.bossTransitionCounter, 1) << "the world stands still";
    EXPECT_EQ(gGameState.fade.direction, 1);
    run.PressDecide();
    for (int i = 0; i < 20 && gGameState.bossTransitionCounter != 0; ++i) run.Tick();
    EXPECT_EQ(gGameState.bossTransitionCounter, 0);
    EXPECT_EQ(gGameState.railSlot, 1);
    EXPECT_EQ(gFadeLength, kNormalFadeTicks);
    EXPECT_EQ(LiveEnemiesOfType(55).size(), 1u);
}

// Stage 7-1: the second type-18 enemy cannot be hit until the first has fallen and the
// transition has ended; the view then follows the second rail by its own key count.
TEST(BossTransition, Stage18SecondEnemyWaitsAndTheSecondRailCounts) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 18;
    setup.mode = GameMode::Extra;
    ASSERT_TRUE(run.Start(setup));
    std::vector<int> cores = LiveEnemiesOfType(18);
    ASSERT_EQ(cores.size(), 2u);
    const Enemy& second = gEnemyPool[static_cast<size_t>(cores[0])];
    EXPECT_EQ(second.untargetable, 1);
    EXPECT_EQ(gEnemyPool[static_cast<size_t>(cores[1])].untargetable, 0);
    // Strikes reach only the first.
    run.Strike({18}, 3);
    EXPECT_EQ(second.hitPoints, second.maxHitPoints);
    run.Destroy(cores[1]);
    EXPECT_EQ(gGameState.bossTransitionCounter, 1);
    EXPECT_EQ(gBossProgress.stage18Remaining, 1);
    // A shorter second rail, with the view beyond its end when the form changes.
    int32_t firstKeys = gCameraRail.keyCount[0];
    ASSERT_GT(firstKeys, 10);
    int32_t shorter = firstKeys / 2;
    gCameraRail.keyCount[1] = shorter;
    int64_t ticks = 0;
    while (gGameState.bossTransitionCounter != 0 && ticks < 400) {
        gRailPosition = static_cast<float>(firstKeys) - 1.5f;
        EXPECT_EQ(second.untargetable, 1);
        EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
        run.Tick();
        ++ticks;
    }
    EXPECT_EQ(gGameState.railSlot, 1);
    EXPECT_EQ(gCameraRail.keyCount[0], shorter);
    EXPECT_GE(gRailPosition, 0.0f);
    EXPECT_LT(gRailPosition, static_cast<float>(shorter));
    EXPECT_EQ(second.untargetable, 0);
    EXPECT_GT(gGameState.bossGauge.current, 0.0f);
    run.Tick(100);
    EXPECT_LT(gRailPosition, static_cast<float>(shorter));
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
}

// The pause menu's restart in practice during the fade: the stage starts over with its first
// form, the first rail and the normal fade, and no change of form follows.
TEST(BossTransition, PracticeRestartDuringTheFade) {
    BossStageRun run;
    BossStageRun::Setup setup;
    setup.stage = 11;
    setup.mode = GameMode::Practice;
    ASSERT_TRUE(run.Start(setup));
    int32_t keys = gCameraRail.keyCount[0];
    std::vector<int> first = LiveEnemiesOfType(12);
    ASSERT_EQ(first.size(), 1u);
    run.Tick();
    run.Destroy(first[0]);
    run.Tick(100);
    ASSERT_EQ(gGameState.bossTransitionCounter, 1);
    RestartPracticeStage();
    EXPECT_EQ(gGameState.bossTransitionCounter, 0);
    EXPECT_EQ(gFadeLength, kNormalFadeTicks);
    EXPECT_EQ(gGameState.railSlot, 0);
    EXPECT_EQ(gCameraRail.keyCount[0], keys);
    for (PlayerCraft& c : gPlayerCrafts) {
        if (c.weapon < 0) c.weapon = 0;
    }
    run.Tick(300);
    EXPECT_EQ(gGameState.railSlot, 0);
    EXPECT_EQ(LiveEnemiesOfType(12).size(), 1u);
    EXPECT_EQ(LiveEnemiesOfType(55).size(), 0u);
    EXPECT_FLOAT_EQ(gGameState.bossGauge.maximum,
                    static_cast<float>(gEnemyTypeTable[12].hitPoints));
    EXPECT_EQ(gGameState.fade.direction, 0);
}

}  // namespace
}  // namespace vqtest
