// The stage result: the bonus rows of each mode, the tally's timing, the score cap, and the
// scene that follows and the best record entered in every mode.
#include <gtest/gtest.h>

#include "engine/graphics/texture_groups.h"
#include "play/craft/craft.h"
#include "scenes/ending/ending.h"
#include "scenes/event/event.h"
#include "scenes/result/result.h"
#include "tests/support/scene_fixture.h"

namespace vqtest {
namespace {

class Result : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        ResetResultGlobals();
        ResetEventGlobals();
        ResetEndingGlobals();
        gGameState.playerCount = 1;
    }
    const int32_t* Row(int player) { return gResultShop.rows[player]; }
};

TEST(ResultBonus, TimeBonusByStage) {
    struct Case {
        int stage, ticks, bonus;
    };
    for (Case c : {Case{0, 100, -1}, Case{2, 2000, 500'000}, Case{2, 3000, 0}, Case{2, 2999, 500},
                   Case{5, 0, 500'000}, Case{10, 1199, 500'000}, Case{10, 1200, 200'000},
                   Case{10, 8199, 200'000}, Case{10, 8200, 0}, Case{18, 9000, 500'000},
                   Case{19, 0, 1'500'000}, Case{20, 0, -1}, Case{-1, 0, -1}}) {
        EXPECT_EQ(ComputeTimeBonus(c.stage, c.ticks), c.bonus) << c.stage << " " << c.ticks;
    }
}

TEST_F(Result, PracticeRowsOfOneStage) {
    gGameState.gameMode = GameMode::Practice;
    gGameState.stage = 4;  // no time limit
    gGameState.allDestroyed[4] = 1;
    gGameState.kills[0] = 37;
    gGameState.enemyPoints[0] = 12'345;
    gGameState.lifeAtClear[0][4] = 30;
    gGameState.shopBoosts[1] = 1;
    InitResult();
    EXPECT_EQ(Row(0)[0], 120'000);
    EXPECT_EQ(Row(0)[1], 300'000) << "all killed on a stage without a time limit";
    EXPECT_EQ(Row(0)[2], 37'000);
    EXPECT_EQ(Row(0)[3], 12'345);
    EXPECT_EQ(Row(0)[4], 30'000);
    EXPECT_EQ(Row(0)[5], 120'000 + 300'000 + 37'000 + 12'345 + 30'000);
    EXPECT_EQ(gResultShop.captions[1], 4);
    EXPECT_EQ(gGameState.shopBoosts[1], 0) << "the boosts last one stage";

    gGameState.allDestroyed[4] = 0;
    gGameState.lifeAtClear[0][4] = 42;
    InitResult();
    EXPECT_EQ(Row(0)[1], 0);
    EXPECT_EQ(Row(0)[4], 200'000) << "full life pays the chapter's base";

    gGameState.stage = 10;
    gGameState.clearTicks[10] = 1000;
    InitResult();
    EXPECT_EQ(Row(0)[1], 500'000);
    EXPECT_EQ(gResultShop.captions[1], 5);
    EXPECT_EQ(Row(0)[0], 200'000);
}

TEST_F(Result, ChapterRowsSumTheThreeStagesAndTwoPlayersHalveTheShares) {
    gGameState.gameMode = GameMode::Story;
    gGameState.stage = 5;  // stages 3, 4, 5
    gGameState.clearTicks[5] = 800;
    gGameState.allDestroyed[3] = 1;
    gGameState.allDestroyed[4] = 0;
    gGameState.lifeAtClear[0][5] = 42;
    gGameState.lifeAtClear[1][5] = 10;
    gGameState.kills[1] = 5;
    gGameState.playerCount = 1;
    InitResult();
    EXPECT_EQ(Row(0)[0], 360'000);
    EXPECT_EQ(Row(0)[1], 300'000 + 0 + 100'000);
    EXPECT_EQ(Row(0)[4], 3 * 200'000);
    EXPECT_EQ(gResultShop.captions[1], 1);
    EXPECT_EQ(Row(1)[5], 0) << "no second player";

    gGameState.playerCount = 2;
    InitResult();
    EXPECT_EQ(Row(0)[0], 180'000);
    EXPECT_EQ(Row(1)[0], 180'000);
    EXPECT_EQ(Row(0)[1], 200'000);
    EXPECT_EQ(Row(1)[2], 5'000) << "kills are each player's own";
    EXPECT_EQ(Row(1)[4], 30'000);
}

TEST_F(Result, TheExtraStageSumsTheEntriesThatExist) {
    gGameState.gameMode = GameMode::Extra;
    gGameState.stage = 18;
    gGameState.clearTicks[18] = 10'000;
    InitResult();
    EXPECT_EQ(Row(0)[0], 300'000 + 1'000'000);
    EXPECT_EQ(Row(0)[1], 0);
}

TEST_F(Result, TheTallyDecideAndSounds) {
    gGameState.gameMode = GameMode::Practice;
    gGameState.stage = 0;
    gGameState.score = 999'900'000;  // the stage pays 200,000
    gGameState.lifeAtClear[0][0] = 42;
    InitResult();
    Release();
    for (int t = 1; t <= 160; ++t) {
        Hold(0, t % 2 ? kPadDecide : 0);
        UpdateResult();
        bool rowSound = TakeSound(306);
        EXPECT_EQ(rowSound, t == 60 || t == 84 || t == 108 || t == 132 || t == 156) << t;
        ASSERT_EQ(gResultShop.resultLeaving, 0) << "decide is ignored up to tick 160, at " << t;
    }
    EXPECT_EQ(gGameState.score, 999'999'999) << "the score is capped";
    Hold(1, kPadDecide);
    Hold(0, 0);
    UpdateResult();
    EXPECT_EQ(gResultShop.resultLeaving, 0) << "pad 2 does not leave";
    Hold(0, kPadDecide);
    UpdateResult();
    EXPECT_EQ(gResultShop.resultLeaving, 1);
    EXPECT_EQ(gGameState.fade.direction, 1);
}

// The scene after the fade-out and the best record it enters, for every mode, as the game
// step leaves the stage number: the record takes the score before the title banks it.
TEST_F(Result, TheNextSceneAndTheBestRecordOfEveryMode) {
    constexpr int32_t kCrafts = 1 << 8 | 2;      // player 2 flies craft 1, player 1 craft 2
    constexpr int32_t kWeapons = 6 << 8 | 4;     // the crafts' weapons now
    constexpr int32_t kRunWeapons = 5 << 8 | 3;  // the run's first chapter
    struct Case {
        GameMode mode;
        int stage;
        PlayerSetup setup;
        SceneId scene;
        int eventAfter;
        int best;  // the record word that takes the score (its pairs follow by set-up), -1 none
    };
    const Case cases[] = {
        {GameMode::Extra, 18, PlayerSetup::TwoPlayers, SceneId::Ending, 7, record::kExtraBest + 2},
        {GameMode::Practice, 4, PlayerSetup::ComputerPartner, SceneId::Title, 7,
         record::kPracticeBest + 24},
        {GameMode::StagesInARow, 18, PlayerSetup::OnePlayer, SceneId::Title, 7, record::kRunBest},
        {GameMode::StagesInARow, 6, PlayerSetup::OnePlayer, SceneId::Shop, 7, -1},
        {GameMode::Story, 15, PlayerSetup::OnePlayer, SceneId::Shop, 8, -1},
        {GameMode::Story, 18, PlayerSetup::TwoPlayers, SceneId::Event, 7, record::kRunBest + 2},
        {GameMode::Story, 3, PlayerSetup::OnePlayer, SceneId::Event, 7, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(static_cast<int>(c.mode)) + " stage " +
                     std::to_string(c.stage));
        auto& words = gGameState.records.words;
        words = {};
        words[record::kRunWeaponsP1] = 3;
        words[record::kRunWeaponsP2] = 5;
        gGameState.gameMode = c.mode;
        gGameState.playerSetup = c.setup;
        gGameState.craft[0] = 2;
        gGameState.craft[1] = 1;
        gPlayerCrafts[0].weapon = 4;
        gPlayerCrafts[1].weapon = 6;
        gGameState.stage = c.stage;
        gGameState.eventNumber = 7;
        gGameState.scene = SceneId::Result;
        gGameState.score = 1234;
        gGameState.pointsTotal = 100;
        InitResult();
        gResultShop.resultTicks = 200;
        Hold(0, kPadDecide);
        UpdateResult();
        FinishFade();
        Release();
        UpdateResult();
        WaitForLoader();
        EXPECT_EQ(gGameState.scene, c.scene);
        EXPECT_EQ(gGameState.eventNumber, c.eventAfter);
        EXPECT_EQ(gGameState.fade.direction, -1);
        if (c.scene == SceneId::Ending) {
            EXPECT_EQ(gEndingState.variant, 1);
        }
        if (c.scene == SceneId::Shop) {
            EXPECT_EQ(gResultShop.fromResult, 1);
        }
        if (c.scene == SceneId::Event) {
            EXPECT_EQ(gEventState.eventNumber, 7);
        }
        if (c.scene == SceneId::Title) {
            EXPECT_EQ(gGameState.score, 0);
            EXPECT_EQ(gGameState.pointsTotal, 1334) << "the title banked the score";
        }
        // The mode's best with its pairs, and no other best word.
        int32_t expected[record::kGetExtra] = {};
        if (c.best >= record::kExtraBest) {
            expected[c.best] = 1234;
            expected[c.best + 3] = kCrafts;
            expected[c.best + 6] = kWeapons;
        } else if (c.best >= record::kRunBest) {
            int setup = c.best - record::kRunBest;
            expected[c.best] = 1234;
            expected[c.best + 3] = kCrafts;
            expected[record::kRunBestWeapons + 6 * setup] = kRunWeapons;
        } else if (c.best >= 0) {
            expected[c.best] = 1234;
            expected[c.best + 60] = kCrafts;
            expected[c.best + 120] = kWeapons;
        }
        for (int w = 0; w < record::kGetExtra; ++w) {
            bool bestWord = w < record::kOwnedWeapons ||
                            (w >= record::kRunBest && w < record::kRunWeaponsP1) ||
                            w >= record::kExtraBest;
            if (!bestWord) continue;
            EXPECT_EQ(words[static_cast<size_t>(w)], expected[w]) << "word " << w;
        }
    }
}

}  // namespace
}  // namespace vqtest
