// Clip decoding: the test clips made at build time (two seconds at 25 pictures a second,
// red then blue, with a tone), damaged clips, and the null backend.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/audio/audio.h"
#include "platform/movie/movie.h"
#include "tests/support/temp_folder.h"

namespace {

std::string ClipPath(const char* name) {
    return std::string(VQ_TEST_CLIP_DIR) + "/" + name;
}

struct Colour {
    int r, g, b;
};

// The colour at the centre of the current picture.
Colour CentreColour(const movie::Clip* clip) {
    int w = 0, h = 0;
    const uint8_t* p = clip->Picture(&w, &h);
    if (!p) return {-1, -1, -1};
    const uint8_t* c = p + (static_cast<size_t>(h / 2) * w + w / 2) * 4;
    return {c[0], c[1], c[2]};
}

// Advances in steps of a millisecond-exact 10 ms until the clip stops; returns the time.
uint32_t PlayOut(movie::Clip* clip, uint32_t limitMs) {
    uint32_t t = 0;
    while (t <= limitMs && clip->Advance(t) == movie::ClipStatus::Playing) t += 10;
    return t;
}

class ClipTest : public ::testing::TestWithParam<const char*> {};

TEST_P(ClipTest, TwoSecondsGiveFiftyPicturesRedThenBlue) {
    movie::Clip* clip = movie::OpenClip(movie::Backend::Ffmpeg, ClipPath(GetParam()).c_str());
    ASSERT_NE(clip, nullptr);
    int w = 0, h = 0;
    EXPECT_EQ(clip->Picture(&w, &h), nullptr);  // nothing before the first advance
    ASSERT_EQ(clip->Advance(500), movie::ClipStatus::Playing);
    ASSERT_NE(clip->Picture(&w, &h), nullptr);
    EXPECT_EQ(w, 160);
    EXPECT_EQ(h, 120);
    Colour red = CentreColour(clip);
    EXPECT_GT(red.r, 220);
    EXPECT_LT(red.g, 40);
    EXPECT_LT(red.b, 40);
    ASSERT_EQ(clip->Advance(1500), movie::ClipStatus::Playing);
    Colour blue = CentreColour(clip);
    EXPECT_LT(blue.r, 40);
    EXPECT_LT(blue.g, 40);
    EXPECT_GT(blue.b, 220);
    EXPECT_EQ(clip->Advance(100000), movie::ClipStatus::Ended);
    EXPECT_EQ(clip->PictureCount(), 50u);
    movie::CloseClip(clip);
}

TEST_P(ClipTest, PicturesComeWhenTheyAreDueAndTheEndAfterTheLast) {
    movie::Clip* clip = movie::OpenClip(movie::Backend::Ffmpeg, ClipPath(GetParam()).c_str());
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->PictureCount(), 0u);
    clip->Advance(0);
    EXPECT_EQ(clip->PictureCount(), 1u);
    clip->Advance(39);
    EXPECT_EQ(clip->PictureCount(), 1u);
    clip->Advance(40);
    EXPECT_EQ(clip->PictureCount(), 2u);
    clip->Advance(1000);
    EXPECT_EQ(clip->PictureCount(), 26u);
    // The last picture is due at 1960 ms and has its 40 ms.
    EXPECT_EQ(clip->Advance(1999), movie::ClipStatus::Playing);
    EXPECT_EQ(clip->PictureCount(), 50u);
    EXPECT_EQ(clip->Advance(2000), movie::ClipStatus::Ended);
    EXPECT_EQ(clip->Advance(3000), movie::ClipStatus::Ended);  // it stays ended
    movie::CloseClip(clip);
}

INSTANTIATE_TEST_SUITE_P(Codecs, ClipTest, ::testing::Values("clip_wmv2.wmv", "clip_wmv1.wmv"));

TEST(ClipSound, TheSoundGoesToTheMixerStreamAndStopsWithTheClip) {
    ASSERT_TRUE(audio::Open(audio::Backend::Null));
    movie::Clip* clip = movie::OpenClip(movie::Backend::Ffmpeg, ClipPath("clip_wmv2.wmv").c_str());
    ASSERT_NE(clip, nullptr);
    clip->Advance(1000);
    // About a second of sound is queued, a little ahead of the pictures.
    uint32_t queued = audio::StreamQueued();
    EXPECT_GT(queued, audio::kSampleRate * 8 / 10);
    EXPECT_LT(queued, audio::kSampleRate * 15 / 10);
    std::vector<int16_t> out(4410 * 2);
    audio::Render(out.data(), 4410);
    // A 440 Hz tone: its swings over a tenth of a second.
    int swings = 0;
    bool low = false;
    for (size_t i = 0; i < out.size(); i += 2) {
        if (out[i] < -1000) low = true;
        if (out[i] > 1000 && low) {
            ++swings;
            low = false;
        }
    }
    EXPECT_NEAR(swings, 44, 2);
    movie::CloseClip(clip);
    EXPECT_EQ(audio::StreamQueued(), 0u);
    audio::Close();
}

TEST(ClipSound, WithoutSoundOutputTheClipStillPlays) {
    ASSERT_FALSE(audio::IsOpen());
    movie::Clip* clip = movie::OpenClip(movie::Backend::Ffmpeg, ClipPath("clip_wmv2.wmv").c_str());
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(PlayOut(clip, 5000), 2000u);
    EXPECT_EQ(clip->PictureCount(), 50u);
    movie::CloseClip(clip);
}

class DamagedClip : public ::testing::Test {
protected:
    void SetUp() override {
        std::string clip = vqtest::ReadWholeFile(ClipPath("clip_wmv2.wmv"));
        ASSERT_FALSE(clip.empty());
        bytes_.assign(clip.begin(), clip.end());
    }

    movie::Clip* Open(const std::vector<uint8_t>& bytes) {
        std::string path = folder_.File("damaged.wmv");
        vqtest::WriteWholeFile(path, std::string(bytes.begin(), bytes.end()));
        return movie::OpenClip(movie::Backend::Ffmpeg, path.c_str());
    }

    std::vector<uint8_t> bytes_;
    vqtest::TempFolder folder_;
};

TEST_F(DamagedClip, FilesThatAreNoMovieDoNotOpen) {
    EXPECT_EQ(movie::OpenClip(movie::Backend::Ffmpeg, "/nonexistent/vq_demo.wmv"), nullptr);
    EXPECT_EQ(Open(std::vector<uint8_t>(4000, 'x')), nullptr);
    EXPECT_EQ(Open({}), nullptr);
    EXPECT_EQ(Open(std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + 200)), nullptr);
}

TEST_F(DamagedClip, ACutOrGarbledClipStillComesToAnEnd) {
    // Cut in the middle: the first half plays, then the clip ends.
    movie::Clip* clip =
        Open(std::vector<uint8_t>(bytes_.begin(), bytes_.begin() + bytes_.size() / 2));
    ASSERT_NE(clip, nullptr);
    EXPECT_LT(PlayOut(clip, 60000), 2000u);
    EXPECT_GT(clip->PictureCount(), 10u);
    EXPECT_LT(clip->PictureCount(), 50u);
    movie::CloseClip(clip);
    // Garbage over the second half.
    std::vector<uint8_t> garbled = bytes_;
    uint32_t x = 12345;
    for (size_t i = garbled.size() / 2; i < garbled.size(); ++i) {
        x = x * 1103515245u + 12345u;
        garbled[i] = static_cast<uint8_t>(x >> 16);
    }
    clip = Open(garbled);
    if (clip) {
        EXPECT_LT(PlayOut(clip, 60000), 60000u);
        movie::CloseClip(clip);
    }
}

TEST(NullClip, PlaysBlackForItsLengthWhenTheFileExists) {
    EXPECT_EQ(movie::OpenClip(movie::Backend::Null, "/nonexistent/vq_demo.wmv"), nullptr);
    movie::SetNullClipLength(500);
    movie::Clip* clip = movie::OpenClip(movie::Backend::Null, ClipPath("clip_wmv2.wmv").c_str());
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->Advance(0), movie::ClipStatus::Playing);
    EXPECT_EQ(CentreColour(clip).r, 0);
    EXPECT_EQ(clip->Advance(499), movie::ClipStatus::Playing);
    EXPECT_EQ(clip->Advance(500), movie::ClipStatus::Ended);
    movie::CloseClip(clip);
    movie::SetNullClipLength(0);
    clip = movie::OpenClip(movie::Backend::Null, ClipPath("clip_wmv2.wmv").c_str());
    EXPECT_EQ(clip->Advance(0), movie::ClipStatus::Ended);
    movie::CloseClip(clip);
    movie::CloseClip(nullptr);
}

}  // namespace
