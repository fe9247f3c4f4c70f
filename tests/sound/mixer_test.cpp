// The mixer on the null backend: levels, the silence floor, clipping, paths, segments that
// end or repeat, primary replacement, the stream; and the WAVE decoder.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "platform/audio/audio.h"
#include "tests/sound/wave_bytes.h"
#include "tests/support/temp_folder.h"

namespace {

using vqtest::ConstantWave;
using vqtest::PcmWave;

class MixerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(audio::Open(audio::Backend::Null)); }
    void TearDown() override {
        for (audio::Segment* s : segments_) audio::FreeSegment(s);
        audio::Close();
    }

    audio::Segment* Constant(int16_t value, uint32_t frames, bool repeat = false) {
        audio::Segment* s = audio::LoadSegment(ConstantWave(value, frames));
        EXPECT_NE(s, nullptr);
        audio::SetRepeat(s, repeat);
        segments_.push_back(s);
        return s;
    }

    std::vector<int16_t> Render(uint32_t frames) {
        std::vector<int16_t> out(frames * audio::kChannels);
        audio::Render(out.data(), frames);
        return out;
    }

    std::vector<audio::Segment*> segments_;
};

TEST_F(MixerTest, APathAtFullVolumePassesSamplesUnchanged) {
    audio::PathId path = audio::CreatePath();
    audio::PlayPrimary(path, Constant(10000, 4000, true));
    for (int16_t v : Render(1000)) ASSERT_EQ(v, 10000);
}

TEST_F(MixerTest, PathVolumeFollowsTheDecibelCurve) {
    audio::PathId path = audio::CreatePath();
    audio::PlayPrimary(path, Constant(20000, 4000, true));
    const int32_t volumes[] = {-100, -600, -2000, -4231, -6000};
    for (int32_t volume : volumes) {
        audio::SetPathVolume(path, volume);
        double expected = 20000.0 * std::pow(10.0, volume / 2000.0);
        std::vector<int16_t> out = Render(64);
        EXPECT_NEAR(out[0], expected, 1.0) << volume;
        EXPECT_NEAR(out[127], expected, 1.0) << volume;
    }
}

TEST_F(MixerTest, TheFloorAndAnythingBelowItIsSilence) {
    audio::PathId path = audio::CreatePath();
    audio::PlayPrimary(path, Constant(32767, 4000, true));
    for (int32_t volume : {-9600, -9601, -10000, -20000, INT_MIN}) {
        audio::SetPathVolume(path, volume);
        EXPECT_EQ(audio::PathGain(path), 0.0f) << volume;
        for (int16_t v : Render(32)) ASSERT_EQ(v, 0) << volume;
    }
    // Just above the floor is very quiet but not a larger gain.
    EXPECT_GT(audio::GainOfVolume(-9599), 0.0f);
    EXPECT_LT(audio::GainOfVolume(-9599), 0.0001f);
    // No path amplifies.
    audio::SetPathVolume(path, 1500);
    EXPECT_EQ(audio::PathGain(path), 1.0f);
    EXPECT_EQ(Render(1)[0], 32767);
}

TEST_F(MixerTest, LoudVoicesClipInsteadOfWrapping) {
    audio::PathId path = audio::CreatePath();
    audio::PlaySecondary(path, Constant(30000, 4000, true));
    audio::PlaySecondary(path, Constant(30000, 4000, true));
    for (int16_t v : Render(100)) ASSERT_EQ(v, 32767);
    audio::StopAll();
    audio::PlaySecondary(path, Constant(-30000, 4000, true));
    audio::PlaySecondary(path, Constant(-30000, 4000, true));
    for (int16_t v : Render(100)) ASSERT_EQ(v, -32768);
}

TEST_F(MixerTest, TwoPathsMixWithTheirOwnVolumes) {
    audio::PathId music = audio::CreatePath();
    audio::PathId effects = audio::CreatePath();
    ASSERT_NE(music, effects);
    audio::SetPathVolume(music, -2000);  // a tenth
    audio::PlayPrimary(music, Constant(20000, 4000, true));
    audio::PlaySecondary(effects, Constant(3000, 4000, true));
    EXPECT_NEAR(Render(8)[0], 2000 + 3000, 1);
    // A volume change applies to what is already sounding.
    audio::SetPathVolume(effects, audio::kSilenceVolume);
    EXPECT_NEAR(Render(8)[0], 2000, 1);
    audio::DestroyPath(music);
    EXPECT_EQ(Render(8)[0], 0);
}

TEST_F(MixerTest, ASegmentPlaysOnceOrRepeats) {
    audio::PathId path = audio::CreatePath();
    audio::VoiceId once = audio::PlaySecondary(path, Constant(1000, 100));
    std::vector<int16_t> out = Render(150);
    EXPECT_EQ(out[99 * 2], 1000);
    EXPECT_EQ(out[100 * 2], 0);
    EXPECT_FALSE(audio::IsVoicePlaying(once));

    audio::VoiceId loop = audio::PlaySecondary(path, Constant(2000, 100, true));
    out = Render(1000);
    for (int16_t v : out) ASSERT_EQ(v, 2000);
    EXPECT_TRUE(audio::IsVoicePlaying(loop));
    EXPECT_EQ(audio::VoicePosition(loop), 1000u);
}

TEST_F(MixerTest, ANewPrimarySegmentReplacesTheOldOne) {
    audio::PathId path = audio::CreatePath();
    audio::VoiceId a = audio::PlayPrimary(path, Constant(1000, 4000, true));
    audio::VoiceId extra = audio::PlaySecondary(path, Constant(10, 4000, true));
    audio::VoiceId b = audio::PlayPrimary(path, Constant(3000, 4000, true));
    EXPECT_GT(b, a);
    EXPECT_FALSE(audio::IsVoicePlaying(a));
    EXPECT_TRUE(audio::IsVoicePlaying(extra));  // only the primary is replaced
    EXPECT_EQ(Render(4)[0], 3010);
}

TEST_F(MixerTest, StoppingASegmentStopsEveryPlayOfIt) {
    audio::PathId path = audio::CreatePath();
    audio::Segment* s = Constant(500, 4000, true);
    audio::VoiceId v1 = audio::PlaySecondary(path, s);
    audio::VoiceId v2 = audio::PlaySecondary(path, s);
    audio::VoiceId other = audio::PlaySecondary(path, Constant(7, 4000, true));
    EXPECT_EQ(Render(1)[0], 1007);
    audio::StopSegment(s);
    EXPECT_FALSE(audio::IsVoicePlaying(v1));
    EXPECT_FALSE(audio::IsVoicePlaying(v2));
    EXPECT_TRUE(audio::IsVoicePlaying(other));
    EXPECT_EQ(Render(1)[0], 7);
}

TEST_F(MixerTest, PlaysBeyondTheVoiceCountAreDropped) {
    audio::PathId path = audio::CreatePath();
    audio::Segment* s = Constant(1, 4000, true);
    for (int i = 0; i < audio::kVoiceCount; ++i) {
        ASSERT_NE(audio::PlaySecondary(path, s), audio::kNoVoice);
    }
    EXPECT_EQ(audio::PlaySecondary(path, s), audio::kNoVoice);
    EXPECT_EQ(Render(1)[0], audio::kVoiceCount);
}

TEST_F(MixerTest, PathsAreLimited) {
    for (int i = 0; i < audio::kPathCount; ++i) EXPECT_NE(audio::CreatePath(), audio::kNoPath);
    EXPECT_EQ(audio::CreatePath(), audio::kNoPath);
    // Playing on a path that does not exist plays nothing.
    EXPECT_EQ(audio::PlayPrimary(audio::kNoPath, Constant(1, 10)), audio::kNoVoice);
    EXPECT_EQ(audio::PlayPrimary(99, Constant(1, 10)), audio::kNoVoice);
}

TEST_F(MixerTest, TheStreamPlaysWhatIsQueuedAtFullVolume) {
    audio::StartStream();
    std::vector<int16_t> frames;
    for (int i = 0; i < 300; ++i) {
        frames.push_back(static_cast<int16_t>(i));
        frames.push_back(static_cast<int16_t>(-i));
    }
    EXPECT_EQ(audio::WriteStream(frames.data(), 300), 300u);
    EXPECT_EQ(audio::StreamQueued(), 300u);
    std::vector<int16_t> out = Render(400);
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(out[i * 2], i);
        ASSERT_EQ(out[i * 2 + 1], -i);
    }
    EXPECT_EQ(out[300 * 2], 0);  // an empty queue is silence
    EXPECT_EQ(audio::StreamQueued(), 0u);
}

TEST_F(MixerTest, AFullStreamDropsTheRestAndAStoppedOneTakesNothing) {
    std::vector<int16_t> second(audio::kSampleRate * 2, 5);
    EXPECT_EQ(audio::WriteStream(second.data(), 10), 0u);  // not started
    audio::StartStream();
    uint32_t written = 0;
    for (int i = 0; i < 3; ++i) written += audio::WriteStream(second.data(), audio::kSampleRate);
    EXPECT_EQ(written, audio::kStreamCapacity);
    audio::StopStream();
    EXPECT_EQ(audio::StreamQueued(), 0u);
    EXPECT_EQ(Render(1)[0], 0);
}

TEST(MixerClosed, WithoutADeviceEveryCallDoesNothing) {
    ASSERT_FALSE(audio::IsOpen());
    EXPECT_EQ(audio::LoadSegment(ConstantWave(1, 10)), nullptr);
    EXPECT_EQ(audio::CreatePath(), audio::kNoPath);
    EXPECT_EQ(audio::PlayPrimary(0, nullptr), audio::kNoVoice);
    audio::SetPathVolume(0, 0);
    audio::StartStream();
    int16_t frames[4] = {1, 2, 3, 4};
    EXPECT_EQ(audio::WriteStream(frames, 2), 0u);
    int16_t out[4] = {9, 9, 9, 9};
    audio::Render(out, 2);
    for (int16_t v : out) EXPECT_EQ(v, 0);
    audio::StopAll();
    audio::Close();
}

// Sets SDL's audio driver for a test and puts the old setting back.
class ScopedAudioDriver {
public:
    explicit ScopedAudioDriver(const char* driver) {
        const char* old = std::getenv("SDL_AUDIODRIVER");
        had_ = old != nullptr;
        if (old) saved_ = old;
        Set(driver);
    }
    ~ScopedAudioDriver() {
        if (had_) {
            setenv("SDL_AUDIODRIVER", saved_.c_str(), 1);
        } else {
            unsetenv("SDL_AUDIODRIVER");
        }
    }
    void Set(const char* driver) { setenv("SDL_AUDIODRIVER", driver, 1); }

private:
    bool had_ = false;
    std::string saved_;
};

TEST(MixerClosed, AnUnknownSdlDriverLeavesTheOutputClosed) {
    ScopedAudioDriver driver("vq-no-such-driver");
    EXPECT_FALSE(audio::Open(audio::Backend::Sdl));
    EXPECT_FALSE(audio::IsOpen());
}

// The output may begin opening on a thread of its own; Open takes that attempt, and Close
// ends one never taken.
TEST(MixerClosed, AnOpeningBegunEarlyIsTakenByOpenOrEndedByClose) {
    ScopedAudioDriver driver("dummy");
    audio::BeginOpen(audio::Backend::Sdl);
    EXPECT_TRUE(audio::Open(audio::Backend::Sdl));
    EXPECT_NE(audio::CreatePath(), audio::kNoPath);
    audio::Close();
    EXPECT_FALSE(audio::IsOpen());

    audio::BeginOpen(audio::Backend::Sdl);
    audio::Close();  // never taken
    EXPECT_FALSE(audio::IsOpen());
    EXPECT_TRUE(audio::Open(audio::Backend::Null));
    audio::BeginOpen(audio::Backend::Sdl);  // open already: nothing begins
    audio::Close();

    driver.Set("vq-no-such-driver");
    audio::BeginOpen(audio::Backend::Sdl);
    EXPECT_FALSE(audio::Open(audio::Backend::Sdl));
    EXPECT_FALSE(audio::IsOpen());
}

// ---- Decoding.

TEST(WaveDecoding, StereoAt44100IsTakenAsItIs) {
    std::vector<int32_t> samples = {1, -2, 300, -400, 32767, -32768};
    std::vector<int16_t> out;
    ASSERT_TRUE(audio::DecodeWave(PcmWave(44100, 2, 16, samples), &out));
    ASSERT_EQ(out.size(), samples.size());
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], samples[i]);
}

TEST(WaveDecoding, EightBitMonoBecomesSixteenBitStereo) {
    std::vector<int32_t> samples(100, 192);  // 8-bit samples are unsigned: +64
    std::vector<int16_t> out;
    ASSERT_TRUE(audio::DecodeWave(PcmWave(44100, 1, 8, samples), &out));
    ASSERT_EQ(out.size(), 200u);
    for (int16_t v : out) ASSERT_EQ(v, 64 * 256);
}

TEST(WaveDecoding, OtherRatesAreResampledTo44100) {
    std::vector<int32_t> samples(22050, 8000);  // one second of a constant at 22050 Hz
    std::vector<int16_t> out;
    ASSERT_TRUE(audio::DecodeWave(PcmWave(22050, 1, 16, samples), &out));
    double frames = out.size() / 2.0;
    EXPECT_NEAR(frames, 44100.0, 441.0);
    EXPECT_NEAR(out[out.size() / 2], 8000, 80);
}

// The ADPCM sounds hold half a second of a 1 kHz tone at 22050 Hz.
void ExpectToneOf1kHz(const char* name) {
    std::string file = vqtest::ReadWholeFile(std::string(VQ_TEST_SOUND_DIR) + "/" + name);
    ASSERT_FALSE(file.empty()) << name;
    std::vector<uint8_t> bytes(file.begin(), file.end());
    std::vector<int16_t> out;
    ASSERT_TRUE(audio::DecodeWave(bytes, &out)) << name;
    // Whole blocks are coded: the end may carry up to a block of padding.
    size_t frames = out.size() / 2;
    EXPECT_GE(frames, 22050u) << name;
    EXPECT_LT(frames, 22050u + 4096u) << name;
    // Count the swings of the left channel from below -1000 to above 1000 over the
    // half second of tone: one per cycle, 500.
    int swings = 0;
    bool low = false;
    double energy = 0.0;
    for (size_t i = 0; i < 22050; ++i) {
        int16_t v = out[i * 2];
        if (v < -1000) low = true;
        if (v > 1000 && low) {
            ++swings;
            low = false;
        }
        energy += static_cast<double>(v) * v;
        ASSERT_EQ(v, out[i * 2 + 1]);  // mono: both channels alike
    }
    EXPECT_NEAR(swings, 500, 3) << name;
    EXPECT_GT(std::sqrt(energy / 22050), 1000.0) << name;
}

TEST(WaveDecoding, MicrosoftAdpcm) {
    ExpectToneOf1kHz("adpcm_ms.wav");
}

TEST(WaveDecoding, ImaAdpcm) {
    ExpectToneOf1kHz("adpcm_ima_wav.wav");
}

TEST(WaveDecoding, DataThatIsNoSoundIsRefused) {
    std::vector<int16_t> out;
    std::vector<uint8_t> good = PcmWave(44100, 2, 16, std::vector<int32_t>(64, 5));
    EXPECT_FALSE(audio::DecodeWave({}, &out));
    EXPECT_FALSE(audio::DecodeWave(std::vector<uint8_t>(good.begin(), good.begin() + 30), &out));
    std::vector<uint8_t> text(100, 'x');
    EXPECT_FALSE(audio::DecodeWave(text, &out));
    // No samples at all.
    EXPECT_FALSE(audio::DecodeWave(PcmWave(44100, 2, 16, {}), &out));
    // An unknown coding (format tag 0x1234).
    std::vector<uint8_t> unknown = good;
    unknown[20] = 0x34;
    unknown[21] = 0x12;
    EXPECT_FALSE(audio::DecodeWave(unknown, &out));
    // No channels; an absurd rate.
    std::vector<uint8_t> noChannels = good;
    noChannels[22] = 0;
    EXPECT_FALSE(audio::DecodeWave(noChannels, &out));
    EXPECT_FALSE(audio::DecodeWave(PcmWave(1, 1, 16, std::vector<int32_t>(64, 5)), &out));
    EXPECT_TRUE(out.empty());
}

TEST(WaveDecoding, SoundLongerThanTenMinutesIsRefused) {
    // 8-bit mono at 4000 Hz: 2,400,000 bytes are ten minutes; a little more is refused
    // before anything is converted.
    std::vector<int16_t> out;
    EXPECT_FALSE(audio::DecodeWave(PcmWave(4000, 1, 8, std::vector<int32_t>(2404000, 128)), &out));
}

}  // namespace
