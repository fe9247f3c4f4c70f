// The frame loop's pacing arithmetic, the tick order and the loader protocol.
#include <gtest/gtest.h>

#include "engine/input/pad.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/main/game_state.h"
#include "engine/overlay/fade.h"
#include "platform/system/system.h"

namespace {

// Counts the accepted frames over a stretch of milliseconds, one pass per millisecond,
// as the loop polls the clock.
int FramesOver(uint32_t period, uint32_t startMs, uint32_t ms, FrameClock* clock) {
    int frames = 0;
    for (uint32_t t = startMs; t < startMs + ms; ++t) {
        if (PaceFrame(clock, t, period)) ++frames;
    }
    return frames;
}

TEST(Pacing, EachSettingGivesItsFrameRate) {
    // 60, 30 and 20 frames per second: one frame every 50, 100 or 150 thirds of a ms.
    for (int setting = 0; setting < 3; ++setting) {
        FrameClock clock{};
        int frames = FramesOver(kFramePeriodTable[setting], 1, 60000, &clock);
        int expected = 60 * 60 / (setting + 1);
        EXPECT_NEAR(frames, expected, 1) << "setting " << setting;
    }
}

TEST(Pacing, FramesAreSpacedByWholePeriodsWithTheRemainderCarried) {
    FrameClock clock{};
    clock.last = 1000;
    // 16 ms is 48 thirds: not yet.
    EXPECT_FALSE(PaceFrame(&clock, 1016, 50));
    // 17 ms is 51 thirds: a frame, 1 third carried.
    EXPECT_TRUE(PaceFrame(&clock, 1017, 50));
    EXPECT_EQ(clock.remainder, 1u);
    EXPECT_EQ(clock.last, 1017u);
    // The carried third makes 16 ms + 1/3 short of... 16 ms = 48 + 1 = 49: still not.
    EXPECT_FALSE(PaceFrame(&clock, 1033, 50));
    // 17 ms more: 51 + 1 = 52, remainder 2.
    EXPECT_TRUE(PaceFrame(&clock, 1034, 50));
    EXPECT_EQ(clock.remainder, 2u);
}

TEST(Pacing, AStallDropsTheLatePeriods) {
    FrameClock clock{};
    clock.last = 5000;
    // One second late: a single frame is accepted and the carried remainder stays below
    // one period, so no catch-up frames follow.
    EXPECT_TRUE(PaceFrame(&clock, 6000, 50));
    EXPECT_LT(clock.remainder, 50u);
    EXPECT_EQ(clock.remainder, 3000u % 50u);
    EXPECT_FALSE(PaceFrame(&clock, 6001, 50));
}

TEST(Pacing, TheClockMayWrap) {
    FrameClock clock{};
    clock.last = 0xFFFFFFF0u;
    EXPECT_TRUE(PaceFrame(&clock, 0x00000001u, 50));  // 17 ms across the wrap
    EXPECT_EQ(clock.remainder, 1u);
}

TEST(Pacing, AFrameRateSettingOutOfRangeIsUsedAsZero) {
    GameState saved = gGameState;
    for (int32_t v : {-1, 3, 100}) {
        gGameState.frameRateSetting = v;
        EXPECT_EQ(FrameRateInForce(), 0) << v;
    }
    gGameState.frameRateSetting = 2;
    EXPECT_EQ(FrameRateInForce(), 2);
    gGameState = saved;
}

class TickTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = gGameState;
        ResetGameState();
        gPadState[0] = PadState{};
        gPadState[1] = PadState{};
        gPauseState = PauseState{};
        gLoaderStatus.busy = 0;
        gLoaderStatus.justStarted = 0;
        gLoaderStatus.titlePending = 0;
    }
    void TearDown() override {
        gGameState = saved_;
        gLoaderStatus.busy = 0;
        gLoaderStatus.justStarted = 0;
        gPauseState = PauseState{};
    }
    GameState saved_;
};

TEST_F(TickTest, AnIdleTickCountsAndAdvancesTheFade) {
    StartFadeOut(0);
    UpdateFrame();
    EXPECT_EQ(gGameState.updateCounter, 1);
    EXPECT_EQ(gGameState.fade.counter, 1);
}

TEST_F(TickTest, NothingRunsWhileTheLoaderIsBusy) {
    gGameState.scene = SceneId::Result;
    StartFadeIn(0);
    gLoaderStatus.busy = 1;
    gLoaderStatus.justStarted = 1;
    gPadState[0].held = kPadUp;
    for (int i = 0; i < 5; ++i) UpdateFrame();
    EXPECT_EQ(gGameState.updateCounter, 0);
    EXPECT_EQ(gGameState.fade.counter, 0);
    EXPECT_EQ(gPadState[0].pressed, 0);  // no pad step either
    EXPECT_EQ(gLoaderStatus.justStarted, 1);

    gLoaderStatus.busy = 0;
    UpdateFrame();
    EXPECT_EQ(gLoaderStatus.justStarted, 0);  // cleared by the first tick after the load
    EXPECT_EQ(gGameState.updateCounter, 1);
    EXPECT_EQ(gPadState[0].pressed, kPadUp);
}

TEST_F(TickTest, ThePauseButtonTogglesOutsideTheTitleOnly) {
    gPadState[1].pressed = kPadPause;
    gGameState.scene = SceneId::Title;
    UpdateFrame();
    EXPECT_EQ(gPauseState.requested, 0);

    gGameState.scene = SceneId::Result;
    gPadState[1].pressed = kPadPause;
    gPauseState.cursor = 1;
    UpdateFrame();
    EXPECT_EQ(gPauseState.requested, 1);
    EXPECT_EQ(gPauseState.cursor, 0);
}

TEST_F(TickTest, ThePauseButtonDoesNothingWhileLoading) {
    gGameState.scene = SceneId::Result;
    gLoaderStatus.busy = 1;
    gPadState[0].pressed = kPadPause;
    UpdateFrame();
    EXPECT_EQ(gPauseState.requested, 0);
}

TEST_F(TickTest, TheLoaderThreadRunsAndClearsBusy) {
    gGameState.scene = SceneId::GameOver;
    StartLoaderThread();
    EXPECT_EQ(gLoaderStatus.justStarted, 1);
    WaitForLoader();
    EXPECT_FALSE(IsLoaderBusy());
    EXPECT_EQ(gLoaderStatus.justStarted, 1);  // until the next tick
}

TEST_F(TickTest, ResetGameStateReturnsToTheTitle) {
    gGameState.gameMode = GameMode::Practice;
    gGameState.scene = SceneId::Shop;
    gGameState.updateCounter = 99;
    gGameState.score = 1234;
    gGameState.stage = 7;
    SetFadeLength(150);
    ResetGameState();
    EXPECT_EQ(gGameState.gameMode, GameMode::Story);
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_EQ(gGameState.updateCounter, 0);
    EXPECT_EQ(gGameState.score, 0);
    EXPECT_EQ(gFadeLength, 17);
    EXPECT_EQ(gGameState.stage, 7);  // other fields are left as they were
}

}  // namespace
