// The mixer's cost per second of sound: the music and ten effects sounding at once.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/audio/audio.h"
#include "resources/resources.h"
#include "tests/sound/wave_bytes.h"

namespace {

void MixOneSecondOfMusicAndTenEffects(benchmark::State& state) {
    audio::Open(audio::Backend::Null);
    audio::PathId music = audio::CreatePath();
    audio::PathId effects = audio::CreatePath();
    audio::SetPathVolume(music, -371);
    audio::SetPathVolume(effects, -93);

    // Ten seconds of a changing stereo signal for the music.
    std::vector<int32_t> samples(44100 * 10 * 2);
    uint32_t x = 1;
    for (int32_t& s : samples) {
        x = x * 1664525u + 1013904223u;
        s = static_cast<int16_t>(x >> 16) / 4;
    }
    audio::Segment* track = audio::LoadSegment(vqtest::PcmWave(44100, 2, 16, samples));
    audio::SetRepeat(track, true);
    audio::PlayPrimary(music, track);
    std::vector<audio::Segment*> sounds;
    for (int32_t id = 290; id < 300; ++id) {
        audio::Segment* s = audio::LoadSegment(FindEmbeddedResource(id, "WAVE"));
        audio::SetRepeat(s, true);  // keep all ten sounding through the measurement
        audio::PlaySecondary(effects, s);
        sounds.push_back(s);
    }

    std::vector<int16_t> out(audio::kSampleRate * audio::kChannels);
    for (auto _ : state) {
        audio::Render(out.data(), audio::kSampleRate);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("per second of sound");

    for (audio::Segment* s : sounds) audio::FreeSegment(s);
    audio::FreeSegment(track);
    audio::Close();
}
BENCHMARK(MixOneSecondOfMusicAndTenEffects)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
