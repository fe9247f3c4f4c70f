// The title's screens drawn by the real engine on gl33 from the demo data, compared with
// golden images: the press-start screen mid-pulse, the main menu, the player set-up, the
// craft select with one and two players, the stage select with a locked stage, the
// options and both records pages. The title is stepped with pad bits set by hand.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "platform/gfx/device.h"
#include "scenes/title/title.h"
#include "tests/support/golden.h"
#include "tests/support/headless_game.h"

namespace {

constexpr uint8_t kDecide = kPadDecide, kCancel = kPadCancel;

class TitleDraw : public ::testing::Test {
protected:
    void SetUp() override {
        vqtest::HeadlessOptions options;
        options.runFolder = VQ_RUN_DIR;
        options.gl33 = true;
        ASSERT_TRUE(vqtest::StartHeadlessGame(options));
        ResetTitleGlobals();
        InitTitle();
    }
    void TearDown() override { vqtest::StopHeadlessGame(); }

    static void Tick(uint8_t pressed = 0, uint8_t repeat = 0, uint8_t pressed2 = 0) {
        gPadState[0].pressed = pressed;
        gPadState[0].repeat = repeat;
        gPadState[1].pressed = pressed2;
        gPadState[1].repeat = 0;
        UpdateTitle();
        AdvanceFade();
        gPadState[0] = PadState{};
        gPadState[1] = PadState{};
    }
    static void Idle(int n) {
        for (int i = 0; i < n; ++i) Tick();
    }
    static void Press(uint8_t pressed, uint8_t pressed2 = 0) {
        Tick(pressed, 0, pressed2);
        Idle(20);
    }
    static void OpenMenu() {
        Tick(kDecide);
        Idle(20);
    }
    static void MenuTo(TitleMenuItem item) {
        for (int i = 0; i < kTitleMenuMax && ChosenMenuItem() != item; ++i) Tick(0, kPadDown);
    }
    static void ToCraftSelect(TitleMenuItem item, int setupDowns) {
        OpenMenu();
        MenuTo(item);
        Press(kDecide);
        for (int i = 0; i < setupDowns; ++i) Tick(0, kPadDown);
        Press(kDecide);
    }

    // One title frame as the frame loop draws it, left in the back buffer.
    static void Draw() {
        gfx::Device* d = Device3D();
        EmptySpriteBatch();
        d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        d->SetTransform(gfx::TS_VIEW, gGraphics.view);
        d->BeginScene();
        DrawTitle();
        d->EndScene();
    }
    static ::testing::AssertionResult Golden(const std::string& name) {
        return vqtest::MatchesGolden(Device3D(), "title/" + name);
    }
};

TEST_F(TitleDraw, PressStartScreenMidPulse) {
    Idle(8);
    Draw();
    EXPECT_TRUE(Golden("press_start"));
}

TEST_F(TitleDraw, MainMenuAndPlayerSetUpWithItsText) {
    gGameState.records.words[record::kGetExtra] = 1;
    InitTitle();
    OpenMenu();
    Tick(0, kPadDown);
    Draw();
    EXPECT_TRUE(Golden("main_menu"));

    Press(kDecide);
    Tick(0, kPadDown);
    Draw();
    EXPECT_TRUE(Golden("player_setup"));
}

TEST_F(TitleDraw, CraftSelectWithOneAndWithTwoPlayers) {
    ToCraftSelect(TitleMenuItem::StagesInARow, 0);
    Tick(0, kPadRight);
    Press(kDecide);  // the sense boxes
    Draw();
    EXPECT_TRUE(Golden("craft_select_one"));

    InitTitle();
    ToCraftSelect(TitleMenuItem::StagesInARow, 2);
    Press(0, kDecide);
    Draw();
    EXPECT_TRUE(Golden("craft_select_two"));
}

TEST_F(TitleDraw, StageSelectWithALockedStageAndAPracticeRecord) {
    RecordBlock& r = gGameState.records;
    r.words[record::kClearStage] = 4;
    // One player's best on stage 3 with craft 1 and weapon 5.
    r.words[record::kPracticeBest + 3] = 123450;
    r.words[record::kPracticeBestCraft + 3] = 1;
    r.words[record::kPracticeBestWeapon + 3] = 5;
    InitTitle();
    ToCraftSelect(TitleMenuItem::Practice, 0);
    Press(kDecide);
    Press(kDecide);
    Idle(20);
    Tick(0, kPadDown);
    ASSERT_EQ(ChosenPracticeStage(), 3);
    Draw();
    EXPECT_TRUE(Golden("stage_select"));
}

TEST_F(TitleDraw, OptionsPanel) {
    gGameState.musicVolume = 7;
    gGameState.soundVolume = 3;
    OpenMenu();
    MenuTo(TitleMenuItem::Options);
    Press(kDecide);
    Tick(0, kPadDown);
    Draw();
    EXPECT_TRUE(Golden("options"));
}

TEST_F(TitleDraw, RecordsPagesOfRunsAndOfTheExtraStage) {
    RecordBlock& r = gGameState.records;
    r.words[record::kGetExtra] = 1;
    // One player: craft 2, three chapters' weapons, then the end of the list.
    r.words[record::kRunBest + 0] = 987654;
    r.words[record::kRunBestCraft + 0] = 2;
    r.words[record::kRunBestWeapons + 0] = 1;
    r.words[record::kRunBestWeapons + 1] = 4;
    r.words[record::kRunBestWeapons + 2] = 7;
    r.words[record::kRunBestWeapons + 3] = 255;
    // Two players: crafts 0 and 3 (craft 3 shows no weapons), all six entries filled.
    r.words[record::kRunBest + 2] = 55555;
    r.words[record::kRunBestCraft + 2] = 0 | (3 << 8);
    for (int j = 0; j < 6; ++j) r.words[record::kRunBestWeapons + 12 + j] = j | ((j + 1) << 8);
    // The extra stage: a computer partner game.
    r.words[record::kExtraBest + 1] = 31000;
    r.words[record::kExtraBestCraft + 1] = 1 | (0 << 8);
    r.words[record::kExtraBestWeapon + 1] = 2 | (9 << 8);
    InitTitle();
    OpenMenu();
    MenuTo(TitleMenuItem::Records);
    Press(kDecide);
    Draw();
    EXPECT_TRUE(Golden("records_runs"));
    Tick(0, kPadRight);
    Draw();
    EXPECT_TRUE(Golden("records_extra"));
}

TEST_F(TitleDraw, RecordValuesOutsideTheirTablesPickNoPictureCell) {
    // Crafts, weapons and the chosen stage beyond their pictures: the portraits and icons
    // are left out, the stage pictures come from the first row.
    RecordBlock& r = gGameState.records;
    for (int t = 0; t < 3; ++t) {
        r.words[record::kRunBest + t] = 1000;
        r.words[record::kRunBestCraft + t] = 0x7F7F;
        r.words[record::kExtraBest + t] = 1000;
        r.words[record::kExtraBestCraft + t] = -1;
        r.words[record::kExtraBestWeapon + t] = 0x6463;
        for (int j = 0; j < 6; ++j) r.words[record::kRunBestWeapons + 6 * t + j] = 200 + j;
    }
    r.words[record::kGetExtra] = 1;
    InitTitle();
    OpenMenu();
    MenuTo(TitleMenuItem::Records);
    Press(kDecide);
    Draw();
    Tick(0, kPadRight);
    Draw();

    InitTitle();
    ToCraftSelect(TitleMenuItem::Practice, 0);
    Press(kDecide);
    Press(kDecide);
    Idle(20);
    gTitleState.stagePage = 40;
    gTitleState.stageColumn = 7;
    gTitleState.players[0].cursor = 9;
    Draw();
    gTitleState.stagePage = -3;
    Draw();
    EXPECT_FALSE(IsPracticeStageOpen(ChosenPracticeStage()));
}

}  // namespace
