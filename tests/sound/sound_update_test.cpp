// The sound module on the null output: start-up, effect requests, the music state machine
// with its fade, repeats, and running silent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/core/game_state.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/sound/sound.h"
#include "scenes/scene_table.h"
#include "tests/sound/wave_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

const char* const kMusicNames[kMusicTrackCount] = {
    "title.wav", "stage1.wav", "stage2.wav", "stage3.wav", "intervel.wav", "shop.wav",
    "ed.wav",    "staff.wav",  "result.wav", "over.wav",   "select.wav"};

// Each track is a constant: track t sounds as (t + 1) x 1000, so the output tells which
// track plays and how loud.
int16_t TrackLevel(int32_t track) {
    return static_cast<int16_t>((track + 1) * 1000);
}

constexpr uint32_t kTrackFrames = 4410;    // a tenth of a second
constexpr float kGainStep = 1.0f / 65536;  // the mixer's gain resolution

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameGlobals();
        gPlatform.backends.audio = PlatformBackends::Audio::Null;
        oldCwd_ = fs::current_path();
        fs::create_directories(folder_.File("BGM"));
        if (writeMusic_) {
            for (int32_t t = 0; t < kMusicTrackCount; ++t) {
                std::vector<uint8_t> wave = vqtest::ConstantWave(TrackLevel(t), kTrackFrames);
                vqtest::WriteWholeFile(folder_.File(std::string("BGM/") + kMusicNames[t]),
                                       std::string(wave.begin(), wave.end()));
            }
        }
        fs::current_path(folder_.Path());
        gGameState.musicVolume = 9;
        gGameState.soundVolume = 9;
        gGameState.scene = SceneId::Title;
        gGameState.titleIdleTicks = 1;
    }

    void TearDown() override {
        audio::FailNextPathCreations(0);
        ResetGameGlobals();
        fs::current_path(oldCwd_);
        fs::remove_all(folder_.File("BGM"));
    }

    // The level of the next mixed frame (left channel).
    int16_t Level() {
        int16_t out[2];
        audio::Render(out, 1);
        return out[0];
    }

    void Ticks(int n) {
        for (int i = 0; i < n; ++i) UpdateSound(SoundUpdate::Tick);
    }

    float MusicGain() { return audio::PathGain(gSoundState.musicPath); }

    bool writeMusic_ = true;
    fs::path oldCwd_;
    vqtest::TempFolder folder_;
};

TEST_F(SoundTest, StartUpLoadsTheMusicAndEveryEffect) {
    ASSERT_EQ(InitSound(), 1);
    EXPECT_EQ(gSoundState.ready, 1);
    EXPECT_NE(gSoundState.musicPath, audio::kNoPath);
    EXPECT_NE(gSoundState.effectPath, audio::kNoPath);
    for (int32_t t = 0; t < kMusicTrackCount; ++t) {
        ASSERT_NE(gSoundState.musicSegments[t], nullptr) << t;
        // The result and game-over tracks play once; every other track loops.
        bool once = t == kTrackResult || t == kTrackGameOver;
        EXPECT_EQ(audio::SegmentRepeats(gSoundState.musicSegments[t]), !once) << t;
    }
    for (int32_t slot = 0; slot < kEffectSlotCount; ++slot) {
        EXPECT_NE(gSoundState.effectSegments[slot], nullptr) << slot;
    }
    EXPECT_EQ(gSoundState.currentTrack, kNoMusic);
}

TEST_F(SoundTest, TheFirstTrackStartsAtOnceWithoutAFade) {
    ASSERT_EQ(InitSound(), 1);
    UpdateSound(SoundUpdate::Tick);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
    EXPECT_EQ(gSoundState.fadeActive, 0);
    EXPECT_TRUE(audio::IsVoicePlaying(gSoundState.musicStates[kTrackTitle]));
    EXPECT_EQ(Level(), TrackLevel(kTrackTitle));
}

TEST_F(SoundTest, AChangeOfTrackFadesOverFifteenTicksThenStartsTheNewTrack) {
    ASSERT_EQ(InitSound(), 1);
    Ticks(1);
    audio::VoiceId title = gSoundState.musicStates[kTrackTitle];
    gGameState.scene = SceneId::Result;
    Ticks(1);  // the change is seen: the fade begins
    EXPECT_EQ(gSoundState.fadeActive, 1);
    EXPECT_EQ(gSoundState.currentTrack, kNoMusic);
    EXPECT_EQ(MusicGain(), 1.0f);
    for (int32_t tick = 1; tick <= 15; ++tick) {
        // Passes of the loop between ticks do not move the fade.
        for (int pass = 0; pass < 50; ++pass) UpdateSound(SoundUpdate::LoopPass);
        EXPECT_EQ(gSoundState.fadeCounter, tick - 1);
        Ticks(1);
        EXPECT_NEAR(MusicGain(), audio::GainOfVolume(FadeVolume(9, tick, 15)), kGainStep) << tick;
        // The old track goes on, ever quieter, until the next one replaces it.
        EXPECT_TRUE(audio::IsVoicePlaying(title));
    }
    EXPECT_EQ(gSoundState.fadeActive, 0);
    EXPECT_EQ(gSoundState.fadeDone, 1);
    EXPECT_EQ(gSoundState.fadeCounter, 0);
    EXPECT_LE(MusicGain(), kGainStep);
    EXPECT_EQ(Level(), 0);
    Ticks(1);  // the tick after the fade starts the result track at full volume
    EXPECT_EQ(gSoundState.currentTrack, kTrackResult);
    EXPECT_FALSE(audio::IsVoicePlaying(title));
    EXPECT_EQ(MusicGain(), 1.0f);
    EXPECT_EQ(Level(), TrackLevel(kTrackResult));
}

TEST_F(SoundTest, TheResultTrackPlaysOnceWhileTheTitleTrackLoops) {
    ASSERT_EQ(InitSound(), 1);
    gGameState.scene = SceneId::Result;
    Ticks(1);
    std::vector<int16_t> out(kTrackFrames * 3 * 2);
    audio::Render(out.data(), kTrackFrames * 3);
    EXPECT_EQ(out[(kTrackFrames - 1) * 2], TrackLevel(kTrackResult));
    EXPECT_EQ(out[kTrackFrames * 2], 0);
    EXPECT_FALSE(audio::IsVoicePlaying(gSoundState.musicStates[kTrackResult]));
    // It stays the current track: it is not started again.
    Ticks(5);
    EXPECT_EQ(Level(), 0);

    // Game over (no credit prompt) plays its track once too.
    gGameState.scene = SceneId::Play;
    gGameState.playPhase = PlayPhase::NoCreditPrompt;
    Ticks(18);
    EXPECT_EQ(gSoundState.currentTrack, kTrackGameOver);
    audio::Render(out.data(), kTrackFrames * 3);
    EXPECT_EQ(out[0], TrackLevel(kTrackGameOver));
    EXPECT_EQ(out[kTrackFrames * 2 + 2], 0);

    gGameState.scene = SceneId::Title;
    Ticks(18);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
    audio::Render(out.data(), kTrackFrames * 3);
    for (size_t i = 0; i < out.size(); i += 2) ASSERT_EQ(out[i], TrackLevel(kTrackTitle));
}

TEST_F(SoundTest, AStageInTheSameGroupKeepsTheTrackWithoutAFade) {
    ASSERT_EQ(InitSound(), 1);
    gGameState.scene = SceneId::Play;
    gGameState.playPhase = PlayPhase::Playing;
    gGameState.stage = 1;
    Ticks(1);
    audio::VoiceId voice = gSoundState.musicStates[kTrackStage1];
    gGameState.stage = 2;
    Ticks(3);
    EXPECT_EQ(gSoundState.fadeActive, 0);
    EXPECT_EQ(gSoundState.musicStates[kTrackStage1], voice);
    EXPECT_TRUE(audio::IsVoicePlaying(voice));
}

TEST_F(SoundTest, TheTitleIdleCountReachingTheMovieFadesTheMusicOut) {
    ASSERT_EQ(InitSound(), 1);
    Ticks(1);
    gGameState.titleIdleTicks = kTitleMovieIdleTicks;
    Ticks(16);
    EXPECT_EQ(gSoundState.fadeDone, 1);
    Ticks(10);
    EXPECT_EQ(gSoundState.currentTrack, kNoMusic);
    EXPECT_EQ(Level(), 0);
    // Back on the press-start screen the title music starts again.
    gGameState.titleIdleTicks = 1;
    Ticks(1);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
    EXPECT_EQ(Level(), TrackLevel(kTrackTitle));
}

TEST_F(SoundTest, ABusyLoaderHoldsBackTheNextTrack) {
    ASSERT_EQ(InitSound(), 1);
    gLoaderStatus.busy.store(1);
    Ticks(3);
    EXPECT_EQ(gSoundState.currentTrack, kNoMusic);
    gLoaderStatus.busy.store(0);
    Ticks(1);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
}

TEST_F(SoundTest, WithMusicLevelZeroTracksStartAndChangeSilently) {
    gGameState.musicVolume = 0;
    ASSERT_EQ(InitSound(), 1);
    Ticks(1);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
    EXPECT_EQ(Level(), 0);
    gGameState.scene = SceneId::Shop;
    for (int i = 0; i < 16; ++i) {
        Ticks(1);
        EXPECT_EQ(MusicGain(), 0.0f);
    }
    Ticks(1);
    EXPECT_EQ(gSoundState.currentTrack, kTrackShop);
    EXPECT_EQ(Level(), 0);
    // Raising the level applies at once.
    gGameState.musicVolume = 9;
    ApplyBgmVolume();
    EXPECT_EQ(Level(), TrackLevel(kTrackShop));
}

TEST_F(SoundTest, StopBgmSilencesTheTrackAtOnce) {
    ASSERT_EQ(InitSound(), 1);
    Ticks(1);
    StopBgm();
    EXPECT_EQ(Level(), 0);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
}

TEST_F(SoundTest, EffectsRequestedInOneTickPlayOnceInSlotOrder) {
    ASSERT_EQ(InitSound(), 1);
    gGameState.titleIdleTicks = 0;  // no music: only effects start voices
    PlaySoundEffect(287);
    PlaySoundEffect(287);
    PlaySoundEffect(288);
    PlaySoundEffect(287);
    UpdateSound(SoundUpdate::Tick);
    audio::VoiceId cursor = gSoundState.effectStates[0];
    audio::VoiceId decide = gSoundState.effectStates[1];
    ASSERT_NE(cursor, audio::kNoVoice);
    // 288 sits in slot 0 and plays first; 287 follows as the very next play.
    EXPECT_EQ(decide, cursor + 1);
    EXPECT_EQ(gSoundState.effectRequests[1], 0);
    // Nothing new is played by the next update.
    UpdateSound(SoundUpdate::Tick);
    EXPECT_EQ(gSoundState.effectStates[1], decide);
    EXPECT_TRUE(audio::IsVoicePlaying(decide));
}

TEST_F(SoundTest, AnEffectRequestedAgainRestartsFromItsBeginning) {
    ASSERT_EQ(InitSound(), 1);
    gGameState.titleIdleTicks = 0;
    PlaySoundEffect(291);  // the long explosion
    UpdateSound(SoundUpdate::Tick);
    audio::VoiceId first = gSoundState.effectStates[FindEffectSlot(291)];
    std::vector<int16_t> out(2000 * 2);
    audio::Render(out.data(), 2000);
    EXPECT_EQ(audio::VoicePosition(first), 2000u);
    PlaySoundEffect(291);
    UpdateSound(SoundUpdate::LoopPass);  // a pass of the loop plays requests too
    audio::VoiceId second = gSoundState.effectStates[FindEffectSlot(291)];
    EXPECT_NE(second, first);
    EXPECT_FALSE(audio::IsVoicePlaying(first));  // the earlier play is cut
    EXPECT_TRUE(audio::IsVoicePlaying(second));
    EXPECT_EQ(audio::VoicePosition(second), 0u);
}

TEST_F(SoundTest, Effect295TakesItsFirstSlotAndTheSecondSlotNeverPlays) {
    ASSERT_EQ(InitSound(), 1);
    ASSERT_NE(gSoundState.effectSegments[30], nullptr);
    PlaySoundEffect(295);
    EXPECT_EQ(gSoundState.effectRequests[8], 1);
    EXPECT_EQ(gSoundState.effectRequests[30], 0);
    UpdateSound(SoundUpdate::Tick);
    PlaySoundEffect(295);
    UpdateSound(SoundUpdate::Tick);
    EXPECT_NE(gSoundState.effectStates[8], audio::kNoVoice);
    EXPECT_EQ(gSoundState.effectStates[30], audio::kNoVoice);
}

TEST_F(SoundTest, TheEffectLevelSetsTheEffectVolumeAtEachPlay) {
    ASSERT_EQ(InitSound(), 1);
    gGameState.soundVolume = 0;
    PlaySoundEffect(290);
    UpdateSound(SoundUpdate::Tick);
    EXPECT_EQ(audio::PathGain(gSoundState.effectPath), 0.0f);
    gGameState.soundVolume = 5;
    PlaySoundEffect(290);
    UpdateSound(SoundUpdate::Tick);
    EXPECT_NEAR(audio::PathGain(gSoundState.effectPath), audio::GainOfVolume(VolumeOfLevel(5)),
                kGainStep);
}

TEST_F(SoundTest, WithoutAMusicPathMusicIsSilentAndEffectsStillPlay) {
    audio::FailNextPathCreations(1);  // the music path, made first, fails
    ASSERT_EQ(InitSound(), 1);
    EXPECT_EQ(gSoundState.musicPath, audio::kNoPath);
    Ticks(1);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
    EXPECT_EQ(gSoundState.musicStates[kTrackTitle], audio::kNoVoice);
    EXPECT_EQ(Level(), 0);
    PlaySoundEffect(287);
    Ticks(1);
    EXPECT_TRUE(audio::IsVoicePlaying(gSoundState.effectStates[1]));
}

TEST_F(SoundTest, WithoutAnEffectPathSoundIsOff) {
    audio::FailNextPathCreations(2);
    EXPECT_EQ(InitSound(), 0);
    EXPECT_EQ(gSoundState.ready, 0);
    Ticks(1);
    EXPECT_EQ(gSoundState.currentTrack, kNoMusic);
}

class SoundWithoutMusicFiles : public SoundTest {
protected:
    SoundWithoutMusicFiles() { writeMusic_ = false; }
};

TEST_F(SoundWithoutMusicFiles, AMissingFileLeavesOnlyItsTrackSilent) {
    ASSERT_EQ(InitSound(), 1);
    for (audio::Segment* s : gSoundState.musicSegments) EXPECT_EQ(s, nullptr);
    Ticks(1);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
    EXPECT_EQ(Level(), 0);
    PlaySoundEffect(288);
    Ticks(1);
    EXPECT_NE(gSoundState.effectStates[0], audio::kNoVoice);
}

// Sets SDL_AUDIODRIVER for one test and puts it back.
class DriverOverride {
public:
    explicit DriverOverride(const char* driver) {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        had_ = old != nullptr;
        if (had_) old_ = old;
        setenv("SDL_AUDIODRIVER", driver, 1);
    }
    ~DriverOverride() {
        if (had_) {
            setenv("SDL_AUDIODRIVER", old_.c_str(), 1);
        } else {
            unsetenv("SDL_AUDIODRIVER");
        }
    }

private:
    bool had_;
    std::string old_;
};

TEST_F(SoundTest, WithoutAnAudioDeviceTheGameRunsSilent) {
    DriverOverride driver("vq-no-such-driver");
    gPlatform.backends.audio = PlatformBackends::Audio::Sdl;
    EXPECT_EQ(InitSound(), 0);
    EXPECT_EQ(gSoundState.ready, 0);
    EXPECT_FALSE(gSoundState.outputOpen);
    // Every call goes on doing nothing.
    for (int i = 0; i < 40; ++i) {
        PlaySoundEffect(287 + i % 30);
        gGameState.scene = i < 20 ? SceneId::Title : SceneId::Result;
        UpdateSound(i % 2 ? SoundUpdate::Tick : SoundUpdate::LoopPass);
    }
    PlayBgm(kTrackTitle);
    ApplyBgmVolume();
    StopBgm();
    EXPECT_EQ(gSoundState.currentTrack, kNoMusic);
    for (audio::VoiceId v : gSoundState.effectStates) EXPECT_EQ(v, audio::kNoVoice);
}

TEST_F(SoundTest, TheSdlDeviceRunsWithTheDummyDriver) {
    DriverOverride driver("dummy");
    gPlatform.backends.audio = PlatformBackends::Audio::Sdl;
    ASSERT_EQ(InitSound(), 1);
    gGameState.scene = SceneId::Title;
    Ticks(1);
    audio::VoiceId voice = gSoundState.musicStates[kTrackTitle];
    ASSERT_TRUE(audio::IsVoicePlaying(voice));
    // The device thread pulls the music along.
    for (int i = 0; i < 200 && audio::VoicePosition(voice) == 0; ++i) usleep(5000);
    EXPECT_GT(audio::VoicePosition(voice), 0u);
}

}  // namespace
