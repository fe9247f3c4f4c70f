// The sound updates of the frame loop: one after every tick, one on every pass of the loop;
// the music fade counts ticks only, at any frame rate.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/game_state.h"
#include "engine/main/frame.h"
#include "engine/sound/sound.h"
#include "platform/system/system.h"
#include "scenes/scene_table.h"
#include "tests/sound/wave_bytes.h"
#include "tests/support/headless_game.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

uint32_t gNow = 0;
uint32_t FakeClock() {
    return gNow;
}

TEST(FrameLoopSound, TheFadeCountsTicksNotPassesOfTheLoop) {
    ResetGameGlobals();
    fs::path old = fs::current_path();
    vqtest::TempFolder folder;
    fs::create_directories(folder.File("BGM"));
    std::vector<uint8_t> wave = vqtest::ConstantWave(1000, 4410);
    for (const char* name : {"title.wav", "result.wav"}) {
        vqtest::WriteWholeFile(folder.File(std::string("BGM/") + name),
                               std::string(wave.begin(), wave.end()));
    }
    gNow = 1000;
    sys::SetClockSource(FakeClock);
    vqtest::HeadlessOptions options;
    options.runFolder = folder.Path();
    ASSERT_TRUE(vqtest::StartHeadlessGame(options));
    ASSERT_EQ(gSoundState.ready, 1);
    WaitForMusicTrack(kTrackTitle);  // the start-up decodes the music in the background
    ASSERT_NE(gSoundState.musicSegments[kTrackTitle], nullptr);

    gGameState.frameRateSetting = 2;  // 20 frames a second: three ticks a frame
    gGameState.titleIdleTicks = 1;
    vqtest::RunFrame();
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);

    gGameState.scene = SceneId::Result;
    vqtest::RunFrame();  // tick 1 sees the change, ticks 2 and 3 fade
    EXPECT_EQ(gSoundState.fadeActive, 1);
    EXPECT_EQ(gSoundState.fadeCounter, 2);

    // Passes of the loop that find no frame due leave the fade where it is.
    gFrameClock.last = gNow;
    gFrameClock.remainder = 0;
    for (int pass = 0; pass < 100; ++pass) EXPECT_EQ(::RunFrame(), 1);
    EXPECT_EQ(gSoundState.fadeCounter, 2);
    // A frame that is due runs its three ticks.
    gNow += 50;
    ::RunFrame();
    EXPECT_EQ(gSoundState.fadeCounter, 5);
    for (int frame = 0; frame < 4; ++frame) vqtest::RunFrame();
    EXPECT_EQ(gSoundState.currentTrack, kTrackResult);  // 15 ticks of fade, then the track

    vqtest::StopHeadlessGame();
    EXPECT_EQ(gSoundState.ready, 0);
    EXPECT_FALSE(audio::IsOpen());
    sys::SetClockSource(nullptr);
    fs::current_path(old);
    fs::remove_all(folder.File("BGM"));
    ResetGameGlobals();
}

}  // namespace
