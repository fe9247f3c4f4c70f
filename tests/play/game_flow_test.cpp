// Whole stages through the real engine, headless: the stage clear by its rule and the scene
// each game mode goes to, the fly-out and its refill, the continue prompt with and without
// credits, the two-player rejoin and game over, the stage-9 speed and the boss gauge.
#include <gtest/gtest.h>

#include "engine/core/frame_state.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/step/game_step.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "world/rail/camera_rail.h"

namespace {

using vqtest::PlayRunOptions;
using vqtest::PlayRunResult;

// What the callbacks of a run do, set by each test.
struct Script {
    int64_t jumpAt = -1;  // the tick at which the rail jumps near the stage's end
    float jumpTo = 0.0f;
    int64_t destroyAt = -1;  // player 1's craft destroyed 60 ticks before this tick
    int64_t bothDownAt = -1;
    float lifeAtJump = -1.0f;
    uint8_t pad0[4096] = {};  // held bits of pad 0 and pad 1 by tick (0 keeps the pads)
    uint8_t pad1[4096] = {};
    int32_t minCredits = 0;
};
Script gScript;

void BeforeTick(int64_t tick) {
    if (tick == gScript.jumpAt) {
        gRailPosition = gScript.jumpTo;
        if (gScript.lifeAtJump >= 0.0f) {
            for (PlayerCraft& c : gPlayerCrafts) c.life = gScript.lifeAtJump;
        }
    }
    if (tick == gScript.destroyAt) {
        gPlayerCrafts[0].state = CraftState::Destroyed;
        gPlayerCrafts[0].stateTicks = 59;
    }
    if (tick == gScript.bothDownAt) {
        for (PlayerCraft& c : gPlayerCrafts) {
            c.state = CraftState::Down;
            c.stateTicks = 61;
            c.life = 0.0f;
        }
    }
}

void AfterPadsRead(int64_t tick) {
    if (tick < 0 || tick >= 4096) return;
    if (gScript.pad0[tick]) gPadState[0].held = gScript.pad0[tick] == 0xFF ? 0 : gScript.pad0[tick];
    if (gScript.pad1[tick]) gPadState[1].held = gScript.pad1[tick] == 0xFF ? 0 : gScript.pad1[tick];
}

class GameFlowTest : public ::testing::Test {
protected:
    void SetUp() override { gScript = Script{}; }
    void TearDown() override {
        if (running_) vqtest::StopHeadlessGame();
    }
    PlayRunOptions Options(GameMode mode, PlayerSetup setup, int stage, int64_t ticks) {
        PlayRunOptions o;
        o.mode = mode;
        o.setup = setup;
        o.stage = stage;
        o.ticks = ticks;
        o.autopilot = 0;  // chooses a weapon and weaves
        o.invulnerable = true;
        o.beforeTick = BeforeTick;
        o.afterPadsRead = AfterPadsRead;
        o.drawEveryTick = false;
        return o;
    }
    // Runs and leaves the game running for the checks.
    PlayRunResult Run(const PlayRunOptions& o) {
        PlayRunResult r;
        EXPECT_TRUE(vqtest::RunPlay(o, &r, nullptr, true));
        running_ = true;
        return r;
    }
    void Continue(const PlayRunOptions& o, int64_t ticks, PlayRunResult* r) {
        vqtest::ContinuePlay(o, ticks, r, nullptr);
    }
    bool running_ = false;
};

// Stage 1 (1-2) has no camera file and no boss: it clears past rail position 2800. The
// clear comes 180 ticks of fly-out and a 17-tick fade before the next scene.
TEST_F(GameFlowTest, ARailClearedStageGoesWhereItsGameModeSends) {
    struct Case {
        GameMode mode;
        int stage;
        SceneId scene;
        int nextStage;
        int lifeAfter;  // after the fly-out's refill, from 10
    };
    const Case cases[] = {
        {GameMode::Story, 1, SceneId::Event, 2, 24},
        {GameMode::StagesInARow, 1, SceneId::Play, 2, 24},
        {GameMode::Practice, 1, SceneId::Result, 1, 10},
        {GameMode::Extra, 1, SceneId::Result, 1, 10},
        {GameMode::Story, 2, SceneId::Result, 3, 42},  // a chapter's last stage: full
        {GameMode::StagesInARow, 2, SceneId::Result, 3, 42},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message()
                     << "mode " << static_cast<int>(k.mode) << " stage " << k.stage);
        gScript = Script{};
        gScript.jumpAt = 70;
        gScript.lifeAtJump = 10.0f;
        // Stage 2 runs on its camera path: it clears 200 keys before the path's end.
        gScript.jumpTo = k.stage == 1 ? 2798.5f : -1.0f;
        PlayRunOptions o = Options(k.mode, PlayerSetup::OnePlayer, k.stage, 70);
        PlayRunResult r = Run(o);
        if (k.stage == 2) gRailPosition = static_cast<float>(RailKeyCount() - 201) - 0.5f;
        ASSERT_EQ(gGameState.playPhase, PlayPhase::Playing);
        Continue(o, 1, &r);
        // Stage 1-3 ends in its boss and clears only when the boss gauge empties: its
        // enemies are taken away for the tick on which the rail reaches its clear.
        if (k.stage == 2) {
            for (Enemy& e : gEnemyPool) e.state = EnemyState::Free;
        }
        Continue(o, 2, &r);
        ASSERT_EQ(gGameState.playPhase, PlayPhase::StageClear);
        EXPECT_EQ(gGameState.lifeAtClear[0][k.stage], 10) << "stored on the clear tick";
        int32_t playTicks = gGameState.playTicks;
        Continue(o, 180 + 17 - 3, &r);
        EXPECT_EQ(gGameState.scene, SceneId::Play) << "the fade-out is still running";
        Continue(o, 5, &r);
        EXPECT_EQ(gGameState.scene, k.scene);
        EXPECT_EQ(gGameState.stage, k.nextStage);
        EXPECT_EQ(static_cast<int>(gPlayerCrafts[0].life), k.lifeAfter);
        EXPECT_GE(gGameState.clearTicks[k.stage], playTicks);
        if (k.nextStage != k.stage) {
            EXPECT_EQ(gGameState.records.words[record::kClearStage], k.nextStage);
        }
        if (k.scene == SceneId::Play) {
            // The next stage was loaded and started.
            EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
            EXPECT_LT(gRailPosition, 10.0f);
        }
        vqtest::StopHeadlessGame();
        running_ = false;
    }
}

TEST_F(GameFlowTest, BossGaugeClearsOnlyWhenEmptyAndStage9ByItsSpeed) {
    // Past the weapon select of the chapter's first stage.
    PlayRunOptions o = Options(GameMode::StagesInARow, PlayerSetup::OnePlayer, 0, 70);
    PlayRunResult r = Run(o);
    gGameState.bossGauge = BossGauge{100.0f, 1.0f};
    gRailPosition = static_cast<float>(RailKeyCount() - 100);
    Continue(o, 3, &r);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing) << "the gauge is not empty";
    gGameState.bossGauge.current = 0.0f;
    gRailPosition = 10.0f;
    Continue(o, 1, &r);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::StageClear) << "wherever the rail is";
    vqtest::StopHeadlessGame();
    running_ = false;

    o = Options(GameMode::StagesInARow, PlayerSetup::OnePlayer, 9, 70);
    r = Run(o);
    EXPECT_FLOAT_EQ(gGameState.railSpeed, gGameState.targetSpeed) << "stage 9 runs at its speed";
    gRailPosition = static_cast<float>(RailKeyCount() - 10);
    Continue(o, 3, &r);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing) << "the rail does not clear stage 9";
    gGameState.targetSpeed = 2.0f;
    Continue(o, 1, &r);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::StageClear);
}

TEST_F(GameFlowTest, ContinuePromptWithACredit) {
    gScript.destroyAt = 70;
    PlayRunOptions o = Options(GameMode::StagesInARow, PlayerSetup::OnePlayer, 0, 70);
    o.invulnerable = false;
    o.totalCredit = 1;
    PlayRunResult r = Run(o);
    ASSERT_EQ(gGameState.playPhase, PlayPhase::ContinuePrompt);
    EXPECT_EQ(gGameState.continueCursor, 0);
    float rail = gRailPosition;
    // Right toggles to quit, left back to continue; the world stands still meanwhile.
    gScript.pad0[75] = kPadRight;
    gScript.pad0[76] = 0xFF;
    gScript.pad0[77] = kPadLeft;
    gScript.pad0[78] = 0xFF;
    gScript.pad0[79] = kPadDecide;
    Continue(o, 5, &r);
    EXPECT_EQ(gGameState.continueCursor, 1);
    Continue(o, 2, &r);
    EXPECT_EQ(gGameState.continueCursor, 0);
    EXPECT_EQ(gRailPosition, rail);
    Continue(o, 2, &r);  // tick 79: decide
    EXPECT_EQ(gGameState.credits, 0);
    EXPECT_EQ(gGameState.continueTicks, 1);
    Continue(o, 28, &r);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::ContinuePrompt);
    Continue(o, 1, &r);  // 29 ticks after the press
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
    EXPECT_EQ(gPlayerCrafts[0].state, CraftState::Flying);
    EXPECT_EQ(gPlayerCrafts[0].life, kFullLife);
    EXPECT_EQ(gPlayerCrafts[0].invulnerable, 120);
}

TEST_F(GameFlowTest, WithoutCreditsTheContinuePromptOnlyQuitsToTheTitle) {
    gScript.destroyAt = 70;
    gScript.pad0[75] = kPadRight;
    gScript.pad0[76] = 0xFF;
    gScript.pad0[80] = kPadDecide;
    PlayRunOptions o = Options(GameMode::StagesInARow, PlayerSetup::OnePlayer, 0, 200);
    o.invulnerable = false;
    o.totalCredit = 0;
    PlayRunResult r = Run(o);
    EXPECT_TRUE(r.backAtTitle);
    EXPECT_EQ(r.scene, SceneId::Title);
    EXPECT_EQ(gGameState.continueCursor, 1) << "no credit: the cursor did not move, decide quits";
    EXPECT_LE(r.ticks, 80 + 17 + 2) << "the title follows the fade-out";
}

TEST_F(GameFlowTest, TwoPlayersRejoinWithACreditAndAreOverWithout) {
    gScript.bothDownAt = 70;
    // Stage 1 starts without a weapon select.
    PlayRunOptions o = Options(GameMode::StagesInARow, PlayerSetup::TwoPlayers, 1, 72);
    o.autopilot = -1;  // the pads press nothing but what the test gives
    o.invulnerable = false;
    o.totalCredit = 1;
    PlayRunResult r = Run(o);
    float rail = gRailPosition;
    Continue(o, 5, &r);
    EXPECT_EQ(gRailPosition, rail) << "nothing moves while both are down";
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
    gScript.pad1[78] = kPadDecide;
    Continue(o, 1, &r);
    EXPECT_EQ(gPlayerCrafts[1].state, CraftState::Flying);
    EXPECT_EQ(gPlayerCrafts[1].life, kFullLife);
    EXPECT_EQ(gPlayerCrafts[1].invulnerable, 120) << "the tick ended with both down";
    EXPECT_EQ(gPlayerCrafts[0].state, CraftState::Down);
    EXPECT_EQ(gGameState.credits, 0);
    Continue(o, 2, &r);
    EXPECT_NE(gRailPosition, rail) << "the world moves again";
    vqtest::StopHeadlessGame();
    running_ = false;

    // No credits: game over, 60 ticks, the fade-out and the title; the world keeps moving.
    gScript = Script{};
    gScript.bothDownAt = 70;
    o = Options(GameMode::StagesInARow, PlayerSetup::TwoPlayers, 1, 72);
    o.autopilot = -1;
    o.invulnerable = false;
    o.totalCredit = 0;
    r = Run(o);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::GameOver);
    rail = gRailPosition;
    Continue(o, 30, &r);
    EXPECT_GT(gRailPosition, rail);
    Continue(o, 60 + 17, &r);
    EXPECT_TRUE(r.backAtTitle);
    EXPECT_EQ(r.scene, SceneId::Title);
}

TEST_F(GameFlowTest, PracticeRestartStartsTheStageAgainWithoutACoveringFade) {
    PlayRunOptions o = Options(GameMode::Practice, PlayerSetup::OnePlayer, 11, 100);
    PlayRunResult r = Run(o);
    EXPECT_EQ(gGameState.credits, 0) << "practice plays without credits";
    int32_t keys = gCameraRail.keyCount[0];
    // A boss transition switched rails and lengthened the fade.
    gCameraRail.keyCount[0] = gCameraRail.keyCount[1];
    gGameState.railSlot = 1;
    SetFadeLength(150);
    gGameState.score = 1234;
    gPauseState.requested = 1;
    gPauseState.cursor = 2;
    gScript.pad0[102] = kPadDecide;
    Continue(o, 2, &r);
    ASSERT_EQ(gPauseState.requested, 0);
    EXPECT_EQ(gGameState.score, 0);
    EXPECT_EQ(gGameState.weaponSelect, 1) << "practice selects at every start";
    EXPECT_EQ(gGameState.railSlot, 0);
    EXPECT_EQ(gCameraRail.keyCount[0], keys);
    EXPECT_EQ(gFadeLength, 17);
    EXPECT_EQ(gGameState.fade.direction, -1) << "fading in";
    Continue(o, 20, &r);
    EXPECT_EQ(gGameState.fade.counter, 0) << "nothing covers the screen";
}

}  // namespace
