// Run and stage start through the real engine: the weapon select by mode and stage, the
// credits, the crafts' starting places and states, the saved cursors, the option's shot.
#include <gtest/gtest.h>

#include "play/craft/craft.h"
#include "play/shots/shot_pool.h"
#include "play/step/run_start.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "world/rail/camera_rail.h"

namespace {

class StageStartTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (running_) vqtest::StopHeadlessGame();
    }
    // Starts a run at the stage and lets the loader start it; no tick runs.
    void Start(GameMode mode, PlayerSetup setup, int stage, int credits = 3) {
        if (running_) vqtest::StopHeadlessGame();
        vqtest::PlayRunOptions o;
        o.mode = mode;
        o.setup = setup;
        o.stage = stage;
        o.ticks = 0;
        o.totalCredit = credits;
        vqtest::PlayRunResult r;
        ASSERT_TRUE(vqtest::RunPlay(o, &r, nullptr, true));
        running_ = true;
        ASSERT_EQ(gGameState.scene, SceneId::Play);
    }
    static bool ListHolds(int weapon) {
        for (int i = 0; i < gGameState.records.words[record::kWeaponListLength]; ++i) {
            if (gGameState.weaponList[i] == weapon) return true;
        }
        return false;
    }
    static int OptionShots() {
        int n = 0;
        for (const Shot& s : gShotPool.shots) n += s.kind == shot_kind::kOption;
        return n;
    }
    bool running_ = false;
};

TEST_F(StageStartTest, WeaponSelectAndCreditsByModeAndStage) {
    for (int stage : {0, 1, 2, 3, 4, 9, 12, 17, 18}) {
        SCOPED_TRACE(stage);
        Start(GameMode::Practice, PlayerSetup::OnePlayer, stage);
        EXPECT_EQ(gGameState.weaponSelect, 1) << "practice selects at every stage";
        EXPECT_EQ(gGameState.credits, 0);
        EXPECT_EQ(gPlayerCrafts[0].weapon, -1);
        Start(GameMode::StagesInARow, PlayerSetup::OnePlayer, stage);
        EXPECT_EQ(gGameState.weaponSelect, stage % 3 == 0 ? 1 : 0);
        EXPECT_EQ(gGameState.credits, 3);
    }
    Start(GameMode::Extra, PlayerSetup::OnePlayer, 18);
    EXPECT_EQ(gGameState.credits, 0);
}

TEST_F(StageStartTest, CraftsStartOnTheirPlacesWithTheirSpecs) {
    Start(GameMode::StagesInARow, PlayerSetup::OnePlayer, 0);
    EXPECT_EQ(gGameState.playerCount, 1);
    EXPECT_EQ(gPlayerCrafts[0].offset.x, 0.0f);
    EXPECT_FALSE(ListHolds(10));
    EXPECT_TRUE(ListHolds(0));
    EXPECT_EQ(gGameState.bossGauge.maximum, 0.0f);
    EXPECT_EQ(gGameState.bossGauge.current, 0.0f);
    EXPECT_EQ(gRailPosition, 1.0f);
    EXPECT_EQ(gGameState.playPhase, PlayPhase::Playing);
    EXPECT_FLOAT_EQ(gGameState.targetSpeed, 0.3f);

    gGameState.records.words[record::kOwnedWeapons + 10] = 1;
    gGameState.craft[0] = 2;
    gGameState.craft[1] = 3;
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    StartStage();
    EXPECT_EQ(gGameState.playerCount, 2);
    EXPECT_EQ(gPlayerCrafts[0].offset.x, -120.0f);
    EXPECT_EQ(gPlayerCrafts[1].offset.x, 120.0f);
    EXPECT_TRUE(ListHolds(10));
    EXPECT_EQ(gPlayerCrafts[0].spec, &kCraftSpecTable[2]);
    EXPECT_EQ(gPlayerCrafts[1].spec, &kCraftSpecTable[3]);
    EXPECT_EQ(gPlayerCrafts[0].lastDirection, -1);
    EXPECT_EQ(gPlayerCrafts[1].lastDirection, 1);
    EXPECT_FLOAT_EQ(gPlayerCrafts[1].yaw, gfx::kPi);
    EXPECT_EQ(gPlayerCrafts[1].orbitShots[7], -1);
    EXPECT_EQ(gPlayerCrafts[1].lockCooldown, 60);
}

TEST_F(StageStartTest, DownAndOutCraftsByPlayerSetup) {
    Start(GameMode::StagesInARow, PlayerSetup::TwoPlayers, 1);
    PlayerCraft& b = gPlayerCrafts[1];
    b.out = 1;
    b.life = 17.0f;
    b.weapon = 4;
    gGameState.stage = 3;  // a chapter's first stage: a weapon select follows
    StartStage();
    EXPECT_EQ(b.state, CraftState::Down);
    EXPECT_EQ(b.life, 0.0f);
    EXPECT_EQ(b.stateTicks, 60);
    EXPECT_EQ(b.weapon, 4) << "a craft out of the run keeps its weapon";
    EXPECT_EQ(gPlayerCrafts[0].weapon, -1);

    Start(GameMode::StagesInARow, PlayerSetup::ComputerPartner, 1);
    b.state = CraftState::Down;
    b.life = 20.0f;
    b.out = 1;
    StartStage();
    EXPECT_EQ(b.state, CraftState::Flying) << "the partner flies again";
    EXPECT_EQ(b.life, 20.0f);
    EXPECT_EQ(b.shownLife, 20.0f);
}

// Craft 3 keeps its weapon into a weapon select, but only one the run's list offers: a weapon
// left from an earlier run of the program (the option of a two-player run, none, one not
// owned) becomes the list's first entry.
TEST_F(StageStartTest, CraftThreeStartsAWeaponSelectWithAWeaponOfTheList) {
    struct Case {
        PlayerSetup setup;
        int stage;
        int32_t held;
        int32_t expected;
    };
    const Case cases[] = {
        {PlayerSetup::OnePlayer, 0, 10, 0},   {PlayerSetup::OnePlayer, 3, -1, 0},
        {PlayerSetup::OnePlayer, 0, 7, 0},    {PlayerSetup::OnePlayer, 0, 4, 4},
        {PlayerSetup::TwoPlayers, 0, 10, 10}, {PlayerSetup::OnePlayer, 1, 10, 10},
    };
    Start(GameMode::StagesInARow, PlayerSetup::OnePlayer, 0);
    auto& words = gGameState.records.words;
    words[record::kOwnedWeapons + 4] = 1;
    words[record::kOwnedWeapons + 10] = 1;
    gGameState.craft[0] = 3;
    gGameState.craft[1] = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "stage " << c.stage << " weapon " << c.held);
        gGameState.playerSetup = c.setup;
        gGameState.stage = c.stage;
        gPlayerCrafts[0].weapon = c.held;
        StartStage();
        EXPECT_EQ(gPlayerCrafts[0].weapon, c.expected);
    }
}

TEST_F(StageStartTest, SavedCursorsOutsideTheSlotsStartAtZero) {
    Start(GameMode::StagesInARow, PlayerSetup::TwoPlayers, 0);
    auto& words = gGameState.records.words;
    words[record::kSelectWeapon] = 77;
    words[record::kSelectWeapon + 1] = 5;
    StartStage();
    EXPECT_EQ(gGameState.weaponCursor[0], 0);
    EXPECT_EQ(gGameState.weaponCursor[1], 5);
    gGameState.playerSetup = PlayerSetup::ComputerPartner;
    StartStage();
    EXPECT_EQ(gGameState.weaponCursor[1], 0) << "the partner's cursor starts on slot 0";
}

TEST_F(StageStartTest, TheOptionHeldThroughTheChapterMakesItsShotAtEveryStageStart) {
    Start(GameMode::StagesInARow, PlayerSetup::TwoPlayers, 1);
    EXPECT_EQ(OptionShots(), 0);
    FirePlayerWeapon(&gPlayerCrafts[0], shot_kind::kOption);
    if (OptionShots() == 0) GTEST_SKIP() << "the option's weapon makes no shot in this build";
    FreeAllShots();
    gPlayerCrafts[0].weapon = 10;
    gPlayerCrafts[1].weapon = 10;
    gGameState.stage = 2;
    StartStage();
    EXPECT_EQ(OptionShots(), 1);
    // At a chapter's first stage the weapon select makes it when it ends.
    gGameState.stage = 3;
    StartStage();
    EXPECT_EQ(OptionShots(), 0);
}

TEST(StartRun, TheChoiceIsBroughtIntoRange) {
    gGameState = GameState{};
    StartRun(RunChoice{static_cast<GameMode>(7), static_cast<PlayerSetup>(-2), {9, -1}, 40});
    EXPECT_EQ(gGameState.gameMode, GameMode::Extra);
    EXPECT_EQ(gGameState.playerSetup, PlayerSetup::OnePlayer);
    EXPECT_EQ(gGameState.craft[0], 3);
    EXPECT_EQ(gGameState.craft[1], 0);
    EXPECT_EQ(gGameState.stage, 18);
    EXPECT_EQ(gGameState.records.words[record::kRunWeaponsP1], 255);
    EXPECT_EQ(gPlayerCrafts[1].life, kFullLife);
}

}  // namespace
