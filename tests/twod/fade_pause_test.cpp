// The screen fade's state machine and alpha, the pause menu's choices and the debug grid.
#include "engine/input/pad.h"
#include "engine/overlay/pause_menu.h"
#include "tests/twod/twod_fixture.h"

namespace vqtest {
namespace {

class FadeTest : public TwoDTest {};

TEST_F(FadeTest, AFadeOutIsDoneInExactlyOneTickAndRestsAfterIt) {
    StartFadeOut(0);
    int doneTicks = 0, firstDone = -1;
    for (int step = 1; step <= 40; ++step) {
        AdvanceFade();
        if (IsFadeOutDone()) {
            ++doneTicks;
            if (firstDone < 0) firstDone = step;
        }
    }
    EXPECT_EQ(doneTicks, 1);
    EXPECT_EQ(firstDone, 17);
    EXPECT_EQ(gGameState.fade.counter, 18);
    EXPECT_EQ(gGameState.fade.direction, 1);
}

TEST_F(FadeTest, AFadeInEndsAfterItsLengthAndGoesIdle) {
    StartFadeIn(0);
    for (int step = 1; step <= 17; ++step) {
        AdvanceFade();
        EXPECT_EQ(gGameState.fade.counter, step);
        EXPECT_EQ(gGameState.fade.direction, -1);
    }
    AdvanceFade();
    EXPECT_EQ(gGameState.fade.counter, 0);
    EXPECT_EQ(gGameState.fade.direction, 0);
    AdvanceFade();
    EXPECT_EQ(gGameState.fade.counter, 0);
    EXPECT_FALSE(IsFadeOutDone());
}

TEST_F(FadeTest, AFadeInDuringAFadeOutRestartsTheCounter) {
    StartFadeOut(0);
    for (int i = 0; i < 5; ++i) AdvanceFade();
    StartFadeIn(0);
    EXPECT_EQ(gGameState.fade.counter, 0);
    EXPECT_EQ(gGameState.fade.direction, -1);
}

TEST_F(FadeTest, AlphaAtEachCounterOfASeventeenTickFade) {
    const int out[19] = {0,   17,  34,  51,  68,  85,  102, 119, 136, 153,
                         170, 187, 204, 221, 238, 255, 255, 255, 255};
    const int in[18] = {255, 255, 255, 237, 220, 203, 186, 169, 152,
                        135, 118, 101, 84,  67,  50,  33,  16,  0};
    StartFadeOut(0);
    for (int c = 0; c <= 18; ++c) {
        gGameState.fade.counter = c;
        EXPECT_EQ(FadeAlpha(), out[c]) << "out " << c;
    }
    StartFadeIn(0);
    for (int c = 0; c <= 17; ++c) {
        gGameState.fade.counter = c;
        EXPECT_EQ(FadeAlpha(), in[c]) << "in " << c;
    }
    // Full cover from tick 15 of a fade-out; before clamping the values run on.
    gGameState.fade.direction = 1;
    gGameState.fade.counter = 16;
    EXPECT_EQ(FadeAlphaUnclamped(), 273);
}

TEST_F(FadeTest, ALongFadeRunsTheSameFormulasOverItsLength) {
    SetFadeLength(150);
    StartFadeOut(0);
    int steps = 0;
    while (!IsFadeOutDone() && steps < 1000) {
        AdvanceFade();
        ++steps;
    }
    EXPECT_EQ(steps, 150);
    gGameState.fade.counter = 74;
    EXPECT_EQ(FadeAlpha(), 128);  // 74 x 256 / 148
    gGameState.fade.counter = 148;
    EXPECT_EQ(FadeAlpha(), 255);
}

class PauseMenuTest : public TwoDTest {
protected:
    void SetUp() override {
        TwoDTest::SetUp();
        for (PadState& p : gPadState) p = PadState{};
        gLoaderStatus.titlePending = 0;
        gPauseMenuHooks.returnToTitle = ReturnToTitle;
        gPauseState.requested = 1;
        gPauseState.visible = 1;
    }
    void TearDown() override {
        for (PadState& p : gPadState) p = PadState{};
        gLoaderStatus.titlePending = 0;
        gPauseState = PauseState{};
        gPauseMenuHooks = PauseMenuHooks{};
        TwoDTest::TearDown();
    }
    void Enter(SceneId scene, GameMode mode) {
        gGameState.scene = scene;
        gGameState.gameMode = mode;
    }
    bool Press(int player, uint8_t pressed, uint8_t repeat) {
        gPadState[player].pressed = pressed;
        gPadState[player].repeat = repeat;
        bool chosen = UpdatePauseMenu();
        gPadState[player].pressed = gPadState[player].repeat = 0;
        return chosen;
    }
};

TEST_F(PauseMenuTest, PracticePlayHasThreeItemsEverythingElseTwo) {
    Enter(SceneId::Play, GameMode::Practice);
    EXPECT_EQ(PauseMenuItemCount(), 3);
    Enter(SceneId::Play, GameMode::Story);
    EXPECT_EQ(PauseMenuItemCount(), 2);
    Enter(SceneId::Result, GameMode::Practice);
    EXPECT_EQ(PauseMenuItemCount(), 2);
    Enter(SceneId::Event, GameMode::Story);
    EXPECT_EQ(PauseMenuItemCount(), 2);
}

TEST_F(PauseMenuTest, TheCursorWrapsAndOnlyMovesWithoutAChoice) {
    Enter(SceneId::Play, GameMode::Practice);
    EXPECT_FALSE(Press(0, 0, kPadUp));
    EXPECT_EQ(gPauseState.cursor, 2);
    EXPECT_FALSE(Press(1, 0, kPadDown));
    EXPECT_EQ(gPauseState.cursor, 0);
    EXPECT_FALSE(Press(0, 0, kPadDown));
    EXPECT_EQ(gPauseState.cursor, 1);
    // Up and down in one tick cancel out.
    EXPECT_FALSE(Press(0, 0, kPadUp | kPadDown));
    EXPECT_EQ(gPauseState.cursor, 1);
    Enter(SceneId::Play, GameMode::StagesInARow);
    gPauseState.cursor = 0;
    EXPECT_FALSE(Press(0, 0, kPadUp));
    EXPECT_EQ(gPauseState.cursor, 1);
    EXPECT_FALSE(Press(0, 0, kPadUp));
    EXPECT_EQ(gPauseState.cursor, 0);
    EXPECT_EQ(gPauseState.requested, 1);
}

TEST_F(PauseMenuTest, ResumingKeepsTheDecideButtonHeld) {
    Enter(SceneId::Play, GameMode::Practice);
    gPadState[0].counter = 7;
    EXPECT_TRUE(Press(1, kPadDecide, 0));
    EXPECT_EQ(gPauseState.requested, 0);
    EXPECT_EQ(gLoaderStatus.titlePending, 0);
    const PadState& p1 = gPadState[0];
    EXPECT_EQ(p1.held, kPadDecide);
    EXPECT_EQ(p1.previous, kPadDecide);
    EXPECT_EQ(p1.pressed, 0);
    EXPECT_EQ(p1.repeat, 0);
    EXPECT_EQ(p1.counter, 7);
    // The next pad step makes no new press while the button stays down.
    UpdatePadStates();
    EXPECT_EQ(gPadState[0].pressed & kPadDecide, 0);
}

TEST_F(PauseMenuTest, PracticeReturnsToTheTitleThroughTheFade) {
    Enter(SceneId::Play, GameMode::Practice);
    gPauseState.cursor = 1;
    EXPECT_TRUE(Press(0, kPadDecide, 0));
    EXPECT_EQ(gPauseState.requested, 0);
    EXPECT_EQ(gLoaderStatus.titlePending, 1);
    EXPECT_EQ(gGameState.fade.direction, 1);
    EXPECT_EQ(gGameState.fade.counter, 0);
    EXPECT_EQ(gGameState.scene, SceneId::Play);

    gLoaderStatus.titlePending = 0;
    gPauseState.requested = 1;
    gPauseState.cursor = 2;
    EXPECT_TRUE(Press(0, kPadDecide, 0));
    EXPECT_EQ(gPauseState.requested, 0);
    EXPECT_EQ(gLoaderStatus.titlePending, 0);
}

TEST_F(PauseMenuTest, OtherModesReturnToTheTitleAtOnce) {
    Enter(SceneId::Play, GameMode::Story);
    gGameState.score = 1234;
    gPauseState.cursor = 1;
    ::testing::internal::CaptureStderr();  // the title's pictures are missing here
    EXPECT_TRUE(Press(0, kPadDecide, 0));
    ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_EQ(gGameState.score, 0);
    EXPECT_EQ(gPauseState.requested, 0);
    EXPECT_EQ(gLoaderStatus.titlePending, 0);

    Enter(SceneId::Shop, GameMode::StagesInARow);
    gPauseState.requested = 1;
    gPauseState.cursor = 0;
    EXPECT_TRUE(Press(0, kPadDecide, 0));
    EXPECT_EQ(gGameState.scene, SceneId::Shop);
}

TEST_F(PauseMenuTest, AVisibleMenuFreezesTheSceneUntilAChoice) {
    Enter(SceneId::Result, GameMode::Story);
    StartFadeIn(0);
    gGameState.updateCounter = 10;
    UpdateFrame();
    EXPECT_EQ(gGameState.updateCounter, 10);
    EXPECT_EQ(gGameState.fade.counter, 0);
    // Decide this tick: the choice is made and the scene tick goes on.
    gPadState[0].held = kPadDecide;
    UpdateFrame();
    EXPECT_EQ(gPauseState.requested, 0);
    EXPECT_EQ(gGameState.updateCounter, 11);
    EXPECT_EQ(gGameState.fade.counter, 1);
}

TEST(DebugGrid, TextWrapsIntoTheNextRowAndStopsAtTheGridsEnd) {
    ClearDebugText();
    PutDebugText(78, 3, "abcd");
    EXPECT_EQ(gDebugText.cells[3][78], 'a');
    EXPECT_EQ(gDebugText.cells[3][79], 'b');
    EXPECT_EQ(gDebugText.cells[4][0], 'c');
    EXPECT_EQ(gDebugText.cells[4][1], 'd');
    EXPECT_EQ(gDebugText.cells[4][2], 0);

    // At most 80 characters of a longer text.
    std::string longText(100, 'x');
    PutDebugText(0, 10, longText.c_str());
    EXPECT_EQ(gDebugText.cells[10][79], 'x');
    EXPECT_EQ(gDebugText.cells[11][0], 0);

    // Nothing beyond the last cell, nothing before the first.
    PutDebugText(78, 59, "1234");
    EXPECT_EQ(gDebugText.cells[59][78], '1');
    EXPECT_EQ(gDebugText.cells[59][79], '2');
    PutDebugText(0, 60, "zz");
    PutDebugText(-1, 0, "zz");
    PutDebugText(0, -1, "zz");
    PutDebugText(0, 0, nullptr);
    EXPECT_EQ(gDebugText.cells[0][0], 0);
    ClearDebugText();
    EXPECT_EQ(gDebugText.cells[59][78], 0);
}

}  // namespace
}  // namespace vqtest
