// The frame loop's pacing arithmetic, the tick order and the loader protocol.
#include <gtest/gtest.h>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "platform/gfx/device.h"
#include "platform/system/system.h"
#include "scenes/scene_table.h"
#include "tests/support/temp_folder.h"
#include "world/stage/stage_index.h"

#include <thread>

namespace {

// The clock the engine reads in these tests.
uint32_t gFakeNow = 0;
uint32_t FakeClock() {
    return gFakeNow;
}

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

TEST(Pacing, TheNextDueTimeIsTheFirstMillisecondThatPassesThePacing) {
    // For every carried remainder and setting, the loop's wake-up time is exactly the
    // first millisecond at which the pacing lets a frame through.
    ResetGameGlobals();
    for (int32_t setting = 0; setting < 3; ++setting) {
        gGameState.frameRateSetting = setting;
        uint32_t period = kFramePeriodTable[setting];
        for (uint32_t remainder = 0; remainder < period; ++remainder) {
            gFrameClock.last = 0xFFFFFF00u;  // across the clock's wrap too
            gFrameClock.remainder = remainder;
            uint32_t due = NextFrameDueTime();
            FrameClock early = gFrameClock, onTime = gFrameClock;
            EXPECT_FALSE(PaceFrame(&early, due - 1, period)) << setting << " " << remainder;
            EXPECT_TRUE(PaceFrame(&onTime, due, period)) << setting << " " << remainder;
        }
    }
    ResetGameGlobals();
}

TEST(Pacing, AFrameRateSettingOutOfRangeIsUsedAsZero) {
    ResetGameGlobals();
    for (int32_t v : {-1, 3, 100}) {
        gGameState.frameRateSetting = v;
        EXPECT_EQ(FrameRateInForce(), 0) << v;
    }
    gGameState.frameRateSetting = 2;
    EXPECT_EQ(FrameRateInForce(), 2);
    ResetGameGlobals();
}

class TickTest : public ::testing::Test {
protected:
    void SetUp() override {
        sys::SetClockSource(nullptr);
        ResetGameGlobals();
        ResetGameState();
    }
    void TearDown() override { ResetGameGlobals(); }
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

TEST_F(TickTest, ALoaderThatCannotStartLoadsOnTheCallingThread) {
    gGameState.scene = SceneId::Ending;
    sys::SetThreadStartsFail(true);
    StartLoaderThread();
    sys::SetThreadStartsFail(false);
    EXPECT_FALSE(IsLoaderBusy());  // done before the call returned
    EXPECT_EQ(gLoaderStatus.justStarted, 1);
    UpdateFrame();
    EXPECT_EQ(gLoaderStatus.justStarted, 0);
}

TEST_F(TickTest, ThePracticeReturnToTitleWaitsForItsFadeOut) {
    gGameState.scene = SceneId::Play;
    gLoaderStatus.titlePending = 1;
    StartFadeOut(0);
    for (int i = 0; i < 17; ++i) UpdateFrame();
    EXPECT_EQ(gGameState.scene, SceneId::Play);
    EXPECT_EQ(gGameState.updateCounter, 0);  // no scene update meanwhile
    UpdateFrame();                           // the fade-out is done in this tick
    EXPECT_EQ(gLoaderStatus.titlePending, 0);
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_EQ(gGameState.fade.direction, -1);
    EXPECT_EQ(gGameState.fade.counter, 1);  // the fade step still ran
    EXPECT_EQ(gLoaderStatus.justStarted, 1);
    WaitForLoader();
}

TEST_F(TickTest, APauseButtonPressedStillUpdatesTheRestOfTheTick) {
    gGameState.scene = SceneId::Result;
    gPadState[0].pressed = kPadPause;
    UpdateFrame();
    EXPECT_EQ(gPauseState.requested, 1);
    EXPECT_EQ(gPauseState.visible, 0);       // shown from the next frame
    EXPECT_EQ(gGameState.updateCounter, 1);  // the scene still updated
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

// The real engine on the headless window and the null device, with the clock in the
// test's hands.
class HeadlessEngine : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameGlobals();
        InstallGameHooks();
        gFakeNow = 100000;
        sys::SetClockSource(FakeClock);
        vqtest::WriteWholeFile(folder_.File("v_quorl.ini"), "[setup]\nwinmode=1\n");
        sys::SetProgramDirectory(folder_.Path().c_str());
        testing::internal::CaptureStderr();  // the missing data's messages
        bool started = StartGame(Backends());
        testing::internal::GetCapturedStderr();
        ASSERT_TRUE(started);
        ASSERT_NE(Device3D(), nullptr);
        device_ = static_cast<gfx::NullDevice*>(Device3D());
    }
    void TearDown() override {
        gLoaderStatus.busy = 0;
        ShutdownGame();
        sys::SetClockSource(nullptr);
        sys::SetThreadStartsFail(false);
        sys::SetProgramDirectory(nullptr);
    }
    virtual PlatformBackends Backends() { return HeadlessBackends(); }

    // Passes of the loop, one per millisecond, over the given time.
    void RunFor(uint32_t ms) {
        for (uint32_t i = 0; i < ms; ++i) {
            ++gFakeNow;
            RunFrame();
        }
    }

    vqtest::TempFolder folder_;
    gfx::NullDevice* device_ = nullptr;
};

TEST_F(HeadlessEngine, TheFirstFrameIsDrawnAtOnceAfterTheStart) {
    RunFrame();  // no time has passed since the start
    EXPECT_EQ(device_->PresentCount(), 1u);
    EXPECT_EQ(gGameState.updateCounter, 1);
    RunFrame();  // the next one waits its period
    EXPECT_EQ(device_->PresentCount(), 1u);
}

TEST_F(HeadlessEngine, EachSettingDrawsItsFramesAndAlwaysSixtyTicksASecond) {
    for (int32_t setting : {0, 1, 2, 5}) {
        gGameState.frameRateSetting = setting;
        int32_t inForce = setting <= 2 ? setting : 0;  // 5 is out of range: used as 0
        RunFor(100);                                   // settle on the setting
        uint32_t presents = device_->PresentCount();
        int32_t ticks = gGameState.updateCounter;
        RunFor(3000);
        int frames = static_cast<int>(device_->PresentCount() - presents);
        EXPECT_NEAR(frames, 180 / (inForce + 1), 1) << "setting " << setting;
        EXPECT_NEAR(gGameState.updateCounter - ticks, 180, inForce + 1) << "setting " << setting;
        EXPECT_EQ(gGameState.frameRate, inForce);
    }
}

TEST_F(HeadlessEngine, AfterAStallOneFrameRunsAndTheLatePeriodsAreDropped) {
    for (int32_t setting = 0; setting < 3; ++setting) {
        gGameState.frameRateSetting = setting;
        RunFor(200);
        int32_t ticks = gGameState.updateCounter;
        uint32_t presents = device_->PresentCount();
        gFakeNow += 1000;  // the machine stalled for a second
        RunFrame();
        EXPECT_EQ(gGameState.updateCounter - ticks, setting + 1);
        EXPECT_EQ(device_->PresentCount() - presents, 1u);
        EXPECT_LT(gFrameClock.remainder, kFramePeriodTable[setting]);
        // No catch-up: the next frame comes a full period later.
        RunFrame();
        EXPECT_EQ(device_->PresentCount() - presents, 1u);
        gFakeNow = NextFrameDueTime();
        RunFrame();
        EXPECT_EQ(device_->PresentCount() - presents, 2u);
    }
}

TEST_F(HeadlessEngine, AFrameWritesItsCostAndMeasuresTheRateOncePerSecond) {
    RunFor(100);
    EXPECT_EQ(gDebugText.cells[58][0], ' ');
    EXPECT_EQ(gDebugText.cells[58][1], ' ');
    EXPECT_EQ(gDebugText.cells[58][2], '0');  // "%3d " of a cost of 0 on a still clock
    EXPECT_EQ(gDebugText.cells[58][3], ' ');
    EXPECT_EQ(gFrameClock.measuredRate, 0u);  // not a full second yet
    RunFor(1000);
    EXPECT_NEAR(gFrameClock.measuredRate, 60.0, 1.0);
}

TEST_F(HeadlessEngine, TheRateIsMeasuredOnlyOnceMoreThanASecondHasPassed) {
    gFrameClock.rateTime = gFakeNow;
    gFrameClock.rateFrames = gFrameClock.framesDrawn;
    gFrameClock.measuredRate = 0;
    for (int i = 0; i < 50; ++i) RenderFrame();
    gFakeNow += 1000;
    RenderFrame();
    EXPECT_EQ(gFrameClock.measuredRate, 0u);  // exactly one second: not yet
    gFakeNow += 1;
    RenderFrame();
    EXPECT_EQ(gFrameClock.measuredRate, 51u);  // 52 frames x 1000 / 1001 ms, rounded down
    EXPECT_EQ(gFrameClock.rateTime, gFakeNow);
    EXPECT_EQ(gFrameClock.rateFrames, gFrameClock.framesDrawn);
}

TEST_F(HeadlessEngine, EachSceneClearsWithItsColour) {
    // A scene number without a row: no draw of its own clears over the frame's clear.
    gGameState.scene = static_cast<SceneId>(kSceneCount);
    gFakeNow = NextFrameDueTime();
    RunFrame();
    EXPECT_EQ(device_->LastClearColor(), 0xFFE6F0FFu);
    gGameState.scene = SceneId::Play;  // no stage is current: opaque black
    gFakeNow = NextFrameDueTime();
    RunFrame();
    EXPECT_EQ(device_->LastClearColor(), 0xFF000000u);
    // The frame leaves fog off and culling counter-clockwise for whoever draws next.
    EXPECT_EQ(device_->GetRenderState(gfx::RS_FOGENABLE), gfx::kFalse);
    EXPECT_EQ(device_->GetRenderState(gfx::RS_CULLMODE), static_cast<uint32_t>(gfx::CULL_CCW));
    EXPECT_EQ(device_->GetTexture(0), nullptr);

    // The current stage's back colour, each component cut to its low 8 bits.
    StageInfo stage{};
    stage.backColor[0] = 300;
    stage.backColor[1] = -1;
    stage.backColor[2] = 0x12;
    gCurrentStage = &stage;
    gFakeNow = NextFrameDueTime();
    RunFrame();
    EXPECT_EQ(device_->LastClearColor(), 0xFF2CFF12u);
    // While the loader thread sets up the stage its record is not read: opaque black.
    gLoaderStatus.busy = 1;
    gFakeNow = NextFrameDueTime();
    RunFrame();
    EXPECT_EQ(device_->LastClearColor(), 0xFF000000u);
    gLoaderStatus.busy = 0;
    gCurrentStage = nullptr;
}

TEST_F(HeadlessEngine, APauseToggledDuringAFrameShowsFromTheNextFrame) {
    gGameState.scene = SceneId::Result;
    gFakeNow = NextFrameDueTime();
    RunFrame();
    TogglePauseRequest();  // ESC between frames
    EXPECT_EQ(gPauseState.visible, 0);
    gFakeNow = NextFrameDueTime();
    RunFrame();
    EXPECT_EQ(gPauseState.visible, 1);
}

TEST_F(HeadlessEngine, ALostDeviceIsResetOnlyWhenNoLoaderRuns) {
    gFakeNow = NextFrameDueTime();
    RunFrame();
    device_->SimulateDeviceLoss();
    gFakeNow = NextFrameDueTime();
    RunFrame();  // the present fails
    EXPECT_FALSE(IsDeviceUsable());
    uint32_t presents = device_->PresentCount();
    int32_t ticks = gGameState.updateCounter;

    gLoaderStatus.busy = 1;
    for (int i = 0; i < 3; ++i) {
        gFakeNow = NextFrameDueTime();
        RunFrame();
    }
    EXPECT_FALSE(IsDeviceUsable());  // the reset waits for the loader
    EXPECT_EQ(device_->TestCooperativeLevel(), gfx::Result::DeviceNotReset);

    gLoaderStatus.busy = 0;
    gFakeNow = NextFrameDueTime();
    RunFrame();
    EXPECT_TRUE(IsDeviceUsable());
    EXPECT_EQ(device_->TestCooperativeLevel(), gfx::Result::Ok);
    EXPECT_EQ(device_->PresentCount(), presents);  // nothing drawn while lost or resetting
    gFakeNow = NextFrameDueTime();
    RunFrame();
    EXPECT_EQ(device_->PresentCount(), presents + 1);
    EXPECT_EQ(gGameState.updateCounter - ticks, 2);  // ticks ran on while lost, not while busy
}

TEST_F(HeadlessEngine, ReturnToTitleWaitsForTheLoader) {
    gGameState.scene = SceneId::Shop;
    gGameState.score = 500;
    gLoaderStatus.busy = 1;
    OnMainWindowCommand(kCmdReturnToTitle);
    RunDeferredCommands();
    EXPECT_EQ(gGameState.scene, SceneId::Shop);  // not while the loader fills resources
    EXPECT_EQ(gGameState.score, 500);
    gLoaderStatus.busy = 0;
    RunDeferredCommands();
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_EQ(gGameState.score, 0);
    gGameState.scene = SceneId::Shop;
    RunDeferredCommands();  // carried out once only
    EXPECT_EQ(gGameState.scene, SceneId::Shop);
}

TEST_F(HeadlessEngine, ExitEndsTheLoopAndTheShutdownWaitsForTheLoader) {
    gLoaderStatus.busy = 1;
    OnMainWindowCommand(kCmdExit);
    EXPECT_TRUE(gPlatform.mainWindow->IsQuitting());
    EXPECT_NE(Device3D(), nullptr);
    std::thread loader([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        gLoaderStatus.busy = 0;
    });
    ShutdownGame();
    EXPECT_EQ(gLoaderStatus.busy, 0);  // the device went only after the load ended
    EXPECT_EQ(Device3D(), nullptr);
    loader.join();
}

TEST_F(HeadlessEngine, EscapeClosesTheTitleTogglesThePauseElsewhereAndWaitsWhileLoading) {
    gGameState.scene = SceneId::Play;
    OnMainWindowEscape();
    EXPECT_EQ(gPauseState.requested, 1);
    EXPECT_EQ(gPauseState.cursor, 0);
    gLoaderStatus.busy = 1;
    OnMainWindowEscape();
    EXPECT_EQ(gPauseState.requested, 1);
    gLoaderStatus.busy = 0;
    OnMainWindowEscape();
    EXPECT_EQ(gPauseState.requested, 0);
    gGameState.scene = SceneId::Title;
    OnMainWindowEscape();
    EXPECT_FALSE(gPlatform.mainWindow->PumpEvents());  // the posted close ends the loop
}

TEST_F(HeadlessEngine, MinimisingStopsFramesAndRestoringMakesNoCatchUp) {
    OnMainWindowActivate(false, true);
    EXPECT_EQ(gPlatform.active, 0);
    OnMainWindowActivate(false, false);  // deactivated but shown: frames go on
    EXPECT_EQ(gPlatform.active, 1);
    OnMainWindowActivate(true, false);
    EXPECT_EQ(gPlatform.active, 1);
}

TEST_F(HeadlessEngine, TheFixedAspectCommandTogglesItsFlag) {
    OnMainWindowCommand(kCmdFixedAspect);
    EXPECT_EQ(gGameState.fixedAspect, 1);
    OnMainWindowCommand(kCmdFixedAspect);
    EXPECT_EQ(gGameState.fixedAspect, 0);
    int w = 0, h = 0;
    OnMainWindowCommand(kCmdZoom150);
    gPlatform.mainWindow->GetClientSize(&w, &h);
    EXPECT_EQ(w, 960);
    EXPECT_EQ(h, 720);
}

TEST_F(HeadlessEngine, StartUpSetsTheCameraLightMaterialAndPresentation) {
    EXPECT_EQ(gGraphics.eye.y, 180.0f);
    EXPECT_EQ(gGraphics.eye.z, -45.0f);
    EXPECT_EQ(gGraphics.fieldOfView, 45.0f);
    EXPECT_EQ(gGraphics.defaultLight.type, gfx::LIGHT_DIRECTIONAL);
    EXPECT_EQ(gGraphics.defaultLight.diffuse.r, 1.0f);
    EXPECT_EQ(gGraphics.defaultLight.specular.g, 0.5f);
    EXPECT_EQ(gGraphics.defaultLight.ambient.b, 0.4f);
    EXPECT_EQ(gGraphics.defaultLight.diffuse.a, 0.0f);
    EXPECT_EQ(gGraphics.defaultMaterial.diffuse.r, 1.0f);
    EXPECT_EQ(gGraphics.defaultMaterial.ambient.g, 1.0f);
    EXPECT_EQ(gGraphics.defaultMaterial.specular.r, 0.0f);
    EXPECT_EQ(gGraphics.defaultMaterial.power, 0.0f);
    const gfx::PresentParams& pp = gGraphics.presentParams;
    EXPECT_EQ(pp.backBufferWidth, 640u);
    EXPECT_EQ(pp.backBufferHeight, 480u);
    EXPECT_TRUE(pp.windowed);
    EXPECT_EQ(pp.depthFormat, gfx::Format::D16);
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_EQ(gPlatform.active, 1);
}

// Start-up in a program folder of its own, with the given settings file.
class HeadlessStart : public ::testing::Test {
protected:
    void Settings(const std::string& text) {
        vqtest::WriteWholeFile(folder_.File("v_quorl.ini"), text);
        sys::SetProgramDirectory(folder_.Path().c_str());
        gGameState = GameState{};
    }
    void TearDown() override { sys::SetProgramDirectory(nullptr); }
    vqtest::TempFolder folder_;
};

TEST_F(HeadlessStart, FullScreenUsesA16BitBackBuffer) {
    Settings("[setup]\nwinmode=2\n");  // any value but 1
    testing::internal::CaptureStderr();
    ASSERT_TRUE(StartGame(HeadlessBackends()));
    testing::internal::GetCapturedStderr();
    EXPECT_FALSE(gGraphics.presentParams.windowed);
    EXPECT_EQ(gGraphics.presentParams.backBufferFormat, gfx::Format::R5G6B5);
    ShutdownGame();
}

TEST_F(HeadlessStart, ADeviceRefusedOnceIsMadeOnTheSecondTry) {
    Settings("");
    PlatformBackends b = HeadlessBackends();
    b.refusedDeviceAttempts = 1;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(StartGame(b));
    testing::internal::GetCapturedStderr();
    EXPECT_NE(Device3D(), nullptr);
    ShutdownGame();
}

TEST_F(HeadlessStart, ADeviceLostAtShutdownDoesNotKeepTheNextRunFromDrawing) {
    // Each start makes a new device, and a new device starts usable.
    Settings("");
    testing::internal::CaptureStderr();
    ASSERT_TRUE(StartGame(HeadlessBackends()));
    Device3D()->SimulateDeviceLoss();
    RunFrameWork();  // the present finds the device lost
    ASSERT_FALSE(IsDeviceUsable());
    ShutdownGame();

    ASSERT_TRUE(StartGame(HeadlessBackends()));
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(IsDeviceUsable());
    RunFrameWork();
    EXPECT_EQ(static_cast<gfx::NullDevice*>(Device3D())->PresentCount(), 1u);
    ShutdownGame();
}

TEST_F(HeadlessStart, WithoutADeviceTheProgramGoesStraightToTheShutdown) {
    Settings("[config]\nse=3\n");
    PlatformBackends b = HeadlessBackends();
    b.refusedDeviceAttempts = 2;
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunGameProgram(b), 1);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(message.find("[error]"), std::string::npos) << message;
    EXPECT_NE(message.find("グラフィックの初期化に失敗しました。"), std::string::npos) << message;
    EXPECT_EQ(Device3D(), nullptr);
    EXPECT_EQ(gPlatform.mainWindow, nullptr);
    // The settings file is still written.
    EXPECT_NE(vqtest::ReadWholeFile(folder_.File("v_quorl.ini")).find("[record]"),
              std::string::npos);
}

TEST_F(HeadlessStart, WithoutAWindowTheProgramEndsAtOnce) {
    Settings("");
    PlatformBackends b = HeadlessBackends();
    b.createWindow = []() -> win::Window* { return nullptr; };
    EXPECT_EQ(RunGameProgram(b), 1);
    EXPECT_EQ(Device3D(), nullptr);
}

}  // namespace
