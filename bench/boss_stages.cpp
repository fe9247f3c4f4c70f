// One game tick of each boss stage of the demo data at its busiest: the stage is run headless
// on the null device with an invulnerable craft flown and fired by the partner's logic until
// the boss has been fighting for a while (the pools filled), then the game step alone is
// timed tick after tick, the pads as the last read left them.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "play/craft/craft.h"
#include "play/step/game_step.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"

namespace {

void BM_BossStageTick(benchmark::State& state) {
    auto stage = static_cast<int32_t>(state.range(0));
    vqtest::PlayRunOptions options;
    options.stage = stage;
    options.mode = stage == 18 ? GameMode::Extra : GameMode::StagesInARow;
    options.invulnerable = true;
    options.autopilot = 0;  // the partner's logic flies and fires for player 1
    options.ticks = 0;
    vqtest::PlayRunResult result;
    if (!vqtest::RunPlay(options, &result, nullptr, true)) {
        state.SkipWithError("the game did not start");
        return;
    }
    // Past the weapon selection and well into the fight.
    for (int i = 0; i < 900; ++i) {
        if (gGameState.weaponSelect == 1) {
            for (PlayerCraft& c : gPlayerCrafts) {
                if (c.weapon < 0) c.weapon = 0;
            }
        }
        vqtest::ContinuePlay(options, 1, &result, nullptr);
    }
    if (gGameState.scene != SceneId::Play || gGameState.playPhase != PlayPhase::Playing) {
        vqtest::StopHeadlessGame();
        state.SkipWithError("the stage is not in play");
        return;
    }
    for (auto _ : state) {
        for (PlayerCraft& c : gPlayerCrafts) c.invulnerable = 2;
        UpdateGame();
    }
    state.counters["gauge"] = gGameState.bossGauge.current;
    vqtest::StopHeadlessGame();
}

}  // namespace

BENCHMARK(BM_BossStageTick)
    ->ArgName("stage")
    ->Arg(2)
    ->Arg(5)
    ->Arg(8)
    ->Arg(10)
    ->Arg(11)
    ->Arg(12)
    ->Arg(14)
    ->Arg(16)
    ->Arg(17)
    ->Arg(18)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(600);

BENCHMARK_MAIN();
