// One drawn frame of stage play with both crafts in flight over stage 1-1 of the demo data:
// the sky, the placed course, the actors with their shadows and riders, the play display
// and the overlays, drawn by the real engine on gl33 (surfaceless; software GL in CI) and
// presented; the figure waits for the GPU to finish.
//
// The counters split a frame: submit_ms is the wall time the engine and the device take to
// hand the frame to GL, finish_ms the wait for the rasteriser after that, and cpu_all_ms
// the processor time of every thread of the process (the rasteriser's own threads
// included), all per frame. The null-device figure is the engine's own share of submit_ms.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>
#include <time.h>

#include "engine/core/game_state.h"
#include "engine/main/frame.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"

namespace {

double Seconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

bool StartPlay(bool gl33) {
    vqtest::PlayRunOptions o;
    o.setup = PlayerSetup::ComputerPartner;
    o.stage = 0;
    o.ticks = 300;
    o.autopilot = 0;
    o.invulnerable = true;
    o.gl33 = gl33;
    o.drawEveryTick = false;
    vqtest::PlayRunResult r;
    if (!vqtest::RunPlay(o, &r, nullptr, true)) return false;
    gGameState.showFrameRate = 1;
    return true;
}

void BM_PlayFrameTwoCrafts(benchmark::State& state) {
    if (!StartPlay(true)) {
        state.SkipWithError("no gl33 device or run folder");
        return;
    }
    double submit = 0, finish = 0;
    const double cpuStart = Seconds(CLOCK_PROCESS_CPUTIME_ID);
    for (auto _ : state) {
        const double t0 = Seconds(CLOCK_MONOTONIC);
        RenderFrame();
        const double t1 = Seconds(CLOCK_MONOTONIC);
        glFinish();
        finish += Seconds(CLOCK_MONOTONIC) - t1;
        submit += t1 - t0;
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["submit_ms"] = submit * 1e3 / frames;
    state.counters["finish_ms"] = finish * 1e3 / frames;
    state.counters["cpu_all_ms"] = (Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart) * 1e3 / frames;
    state.counters["enemies"] = static_cast<double>(gGameState.enemiesAppeared);
    vqtest::StopHeadlessGame();
}
BENCHMARK(BM_PlayFrameTwoCrafts)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_PlayFrameTwoCraftsNullDevice(benchmark::State& state) {
    if (!StartPlay(false)) {
        state.SkipWithError("no run folder");
        return;
    }
    for (auto _ : state) RenderFrame();
    vqtest::StopHeadlessGame();
}
BENCHMARK(BM_PlayFrameTwoCraftsNullDevice)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
