// One drawn frame of stage play with both crafts in flight over stage 1-1 of the demo data:
// the sky, the placed course, the actors with their shadows and riders, the play display
// and the overlays, drawn by the real engine on gl33 (surfaceless; software GL in CI) and
// presented; the figure waits for the GPU to finish.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include "engine/core/game_state.h"
#include "engine/main/frame.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"

namespace {

void BM_PlayFrameTwoCrafts(benchmark::State& state) {
    vqtest::PlayRunOptions o;
    o.setup = PlayerSetup::ComputerPartner;
    o.stage = 0;
    o.ticks = 300;
    o.autopilot = 0;
    o.invulnerable = true;
    o.gl33 = true;
    o.drawEveryTick = false;
    vqtest::PlayRunResult r;
    if (!vqtest::RunPlay(o, &r, nullptr, true)) {
        state.SkipWithError("no gl33 device or run folder");
        return;
    }
    gGameState.showFrameRate = 1;
    for (auto _ : state) {
        RenderFrame();
        glFinish();
    }
    state.counters["enemies"] = static_cast<double>(gGameState.enemiesAppeared);
    vqtest::StopHeadlessGame();
}
BENCHMARK(BM_PlayFrameTwoCrafts)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
