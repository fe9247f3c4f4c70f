// The music decoded in the background at start-up: a track started before its turn is
// waited for, every track ends up as the synchronous start-up makes it, and a shut-down
// while the decoding runs ends it without waiting for the rest.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/sound/sound.h"
#include "platform/audio/audio.h"

namespace {

class MusicStartUp : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldFolder_ = cwd;
        ASSERT_EQ(chdir(VQ_RUN_DIR), 0) << "the run folder is made by the build";
        gPlatform.backends.audio = PlatformBackends::Audio::Null;
        gGameState = GameState{};
        gGameState.musicVolume = 9;
    }
    void TearDown() override {
        ShutdownSound();
        EXPECT_EQ(chdir(oldFolder_.c_str()), 0);
    }
    std::string oldFolder_;
};

TEST_F(MusicStartUp, ATrackStartedEarlyIsWaitedForAndEveryTrackArrives) {
    ASSERT_EQ(InitSound(MusicLoad::Background), 1);
    // The last track of the decoding order, asked for at once.
    PlayBgm(kTrackGameOver);
    ASSERT_NE(gSoundState.musicSegments[kTrackGameOver], nullptr);
    EXPECT_TRUE(audio::IsVoicePlaying(gSoundState.musicStates[kTrackGameOver]));

    WaitForMusicLoaded();
    uint32_t frames[kMusicTrackCount];
    for (int32_t t = 0; t < kMusicTrackCount; ++t) {
        ASSERT_NE(gSoundState.musicSegments[t], nullptr) << t;
        frames[t] = audio::SegmentFrames(gSoundState.musicSegments[t]);
        bool once = t == kTrackResult || t == kTrackGameOver;
        EXPECT_EQ(audio::SegmentRepeats(gSoundState.musicSegments[t]), !once) << t;
    }
    ShutdownSound();

    // The same segments as when everything is decoded before the start-up goes on.
    ASSERT_EQ(InitSound(MusicLoad::Now), 1);
    for (int32_t t = 0; t < kMusicTrackCount; ++t) {
        ASSERT_NE(gSoundState.musicSegments[t], nullptr) << t;
        EXPECT_EQ(audio::SegmentFrames(gSoundState.musicSegments[t]), frames[t]) << t;
    }
}

TEST_F(MusicStartUp, AShutDownWhileDecodingEndsItAndLeavesNothingBehind) {
    ASSERT_EQ(InitSound(MusicLoad::Background), 1);
    ReleaseSoundSegments();
    for (audio::Segment* s : gSoundState.musicSegments) EXPECT_EQ(s, nullptr);
    // Waiting afterwards returns at once: nothing decodes any more.
    WaitForMusicLoaded();
    PlayBgm(kTrackTitle);
    EXPECT_EQ(gSoundState.musicSegments[kTrackTitle], nullptr);
}

}  // namespace
