// The attract movie's decoding cost per picture: a 640 x 480 WMV2 clip with WMA sound,
// each picture decoded and converted to RGBA, its sound resampled into the mixer.
#include <benchmark/benchmark.h>

#include <string>

#include "platform/audio/audio.h"
#include "platform/movie/movie.h"

namespace {

const std::string kClip = std::string(VQ_BINARY_DIR) + "/tests/movie/bench_640x480.wmv";

void DecodeOnePicture(benchmark::State& state) {
    audio::Open(audio::Backend::Null);
    movie::Clip* clip = movie::OpenClip(movie::Backend::Ffmpeg, kClip.c_str());
    if (!clip) {
        state.SkipWithError("no benchmark clip");
        audio::Close();
        return;
    }
    uint32_t t = 0;
    int16_t sink[2048];
    for (auto _ : state) {
        // One picture every 1000/30 ms; at the end the clip starts again (not timed).
        uint32_t before = clip->PictureCount();
        while (clip->PictureCount() == before) {
            if (clip->Advance(t) != movie::ClipStatus::Playing) {
                state.PauseTiming();
                movie::CloseClip(clip);
                clip = movie::OpenClip(movie::Backend::Ffmpeg, kClip.c_str());
                if (!clip) {
                    state.SkipWithError("the clip cannot be opened again");
                    audio::Close();
                    return;
                }
                t = 0;
                before = 0;
                state.ResumeTiming();
                continue;
            }
            t += 1000 / 30;
        }
        // Drain the mixer's stream as the device would.
        while (audio::StreamQueued() > 1024) audio::Render(sink, 1024);
    }
    state.SetLabel("per picture");
    movie::CloseClip(clip);
    audio::Close();
}
BENCHMARK(DecodeOnePicture)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
