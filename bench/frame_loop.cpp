// The frame loop's own cost per tick on the null backend: the pacing test of a loop pass
// that runs no frame, and whole frames of one, two and three ticks (pad read, tick, sound
// update, the drawn frame with its overlays) on the real engine started headless.
#include <benchmark/benchmark.h>

#include "engine/core/game_state.h"
#include "engine/main/frame.h"
#include "platform/system/system.h"
#include "tests/support/headless_game.h"

namespace {

uint32_t gBenchNow = 0;
uint32_t BenchClock() {
    return gBenchNow;
}

class HeadlessRun {
public:
    HeadlessRun() {
        // The run folder's data is not needed: what is measured is the loop itself.
        std::fflush(stderr);
        ok_ = vqtest::StartHeadlessGame();
    }
    ~HeadlessRun() {
        if (ok_) vqtest::StopHeadlessGame();
    }
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

void BM_LoopPassWithoutFrame(benchmark::State& state) {
    HeadlessRun run;
    if (!run.ok()) {
        state.SkipWithError("headless start-up failed");
        return;
    }
    sys::SetClockSource(BenchClock);
    gBenchNow = gFrameClock.last;  // never due: every pass returns after the pacing test
    for (auto _ : state) benchmark::DoNotOptimize(RunFrame());
    sys::SetClockSource(nullptr);
}
BENCHMARK(BM_LoopPassWithoutFrame);

void BM_FramePerTick(benchmark::State& state) {
    HeadlessRun run;
    if (!run.ok()) {
        state.SkipWithError("headless start-up failed");
        return;
    }
    int32_t setting = static_cast<int32_t>(state.range(0));
    gGameState.frameRateSetting = setting;
    sys::SetClockSource(BenchClock);
    gBenchNow = gFrameClock.last;
    int64_t ticks = 0;
    for (auto _ : state) {
        gBenchNow = NextFrameDueTime();
        RunFrame();
        ticks += setting + 1;
    }
    sys::SetClockSource(nullptr);
    state.counters["per_tick"] = benchmark::Counter(
        static_cast<double>(ticks), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FramePerTick)->Arg(0)->Arg(1)->Arg(2);

}  // namespace

BENCHMARK_MAIN();
