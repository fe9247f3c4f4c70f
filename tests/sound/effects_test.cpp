// The sound effects embedded into the program: every number is there, decodes, and is a
// short, audible, unclipped sound that starts and ends quietly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/sound/sound.h"
#include "resources/resources.h"

namespace {

struct Shape {
    double seconds;
    int peak;
    double rms;
};

Shape Measure(const std::vector<int16_t>& stereo) {
    Shape s{stereo.size() / 2.0 / audio::kSampleRate, 0, 0.0};
    double energy = 0.0;
    for (int16_t v : stereo) {
        s.peak = std::max(s.peak, std::abs(static_cast<int>(v)));
        energy += static_cast<double>(v) * v;
    }
    s.rms = std::sqrt(energy / stereo.size());
    return s;
}

TEST(SoundEffects, EveryEffectIsAShortAudibleUnclippedSound) {
    for (SoundEffectId id = kFirstSoundEffect; id <= kLastSoundEffect; ++id) {
        std::span<const uint8_t> wave = FindEmbeddedResource(id, "WAVE");
        ASSERT_FALSE(wave.empty()) << id;
        std::vector<int16_t> pcm;
        ASSERT_TRUE(audio::DecodeWave(wave, &pcm)) << id;
        Shape shape = Measure(pcm);
        EXPECT_GT(shape.seconds, 0.03) << id;
        EXPECT_LT(shape.seconds, 1.0) << id;
        EXPECT_GT(shape.peak, 10000) << id;  // loud enough to be heard at full level
        EXPECT_LT(shape.peak, 32000) << id;  // and never at the clipping edge
        EXPECT_GT(shape.rms, 1000.0) << id;
        // No click at either end.
        EXPECT_LT(std::abs(static_cast<int>(pcm.front())), 2000) << id;
        EXPECT_LT(std::abs(static_cast<int>(pcm.back())), 200) << id;
    }
}

TEST(SoundEffects, TheLookupKnowsOnlyTheEffects) {
    EXPECT_TRUE(FindEmbeddedResource(kFirstSoundEffect - 1, "WAVE").empty());
    EXPECT_TRUE(FindEmbeddedResource(kLastSoundEffect + 1, "WAVE").empty());
    EXPECT_TRUE(FindEmbeddedResource(287, "BITMAP").empty());
    EXPECT_TRUE(FindEmbeddedResource(287, nullptr).empty());
    EXPECT_FALSE(FindEmbeddedResource(287, "wave").empty());  // types ignore letter case
}

TEST(SoundEffects, RapidFireSoundsAreShorterThanTheirRepeat) {
    // The vulcan sounds every 5th tick, the cursor at every 5th tick of auto-repeat: each
    // is over before it comes again, so a restart never cuts it audibly.
    for (SoundEffectId id : {294, 288}) {
        std::vector<int16_t> pcm;
        ASSERT_TRUE(audio::DecodeWave(FindEmbeddedResource(id, "WAVE"), &pcm));
        EXPECT_LT(Measure(pcm).seconds, 5.0 / 60.0 + 0.001) << id;
    }
}

}  // namespace
