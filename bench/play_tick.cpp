// One tick of stage play (UpdateGame) with both crafts in flight on stage 1-1 of the demo
// data, its wave enemies alive: the craft control and course contact, the camera, the
// enemies, weapons, shots and effects, on the null device (the tick draws nothing).
#include <benchmark/benchmark.h>

#include <algorithm>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "play/craft/craft.h"
#include "play/step/game_step.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "world/rail/camera_rail.h"

namespace {

void BM_PlayTickTwoCrafts(benchmark::State& state) {
    vqtest::PlayRunOptions o;
    o.setup = PlayerSetup::TwoPlayers;
    o.stage = 0;
    o.ticks = 1;
    o.drawEveryTick = false;
    vqtest::PlayRunResult r;
    if (!vqtest::RunPlay(o, &r, nullptr, true)) {
        state.SkipWithError("the game did not start");
        return;
    }
    // Both crafts past the weapon select, steering and firing.
    gGameState.weaponSelect = 0;
    for (PlayerCraft& c : gPlayerCrafts) c.weapon = 0;
    gRailPosition = 200.0f;
    int64_t tick = 0;
    for (auto _ : state) {
        // A weave of both crafts with the fire button held, as play goes.
        uint8_t side = (tick / 90) % 2 ? kPadLeft : kPadRight;
        gPadState[0].held = static_cast<uint8_t>(side | kPadDecide);
        gPadState[1].held = static_cast<uint8_t>((side ^ (kPadLeft | kPadRight)) | kPadDecide);
        // The crafts stay in flight: a tick of the continue prompt or of a scene change
        // would measure nothing of play.
        for (PlayerCraft& c : gPlayerCrafts) c.invulnerable = std::max(c.invulnerable, 2);
        UpdateGame();
        if (gGameState.scene != SceneId::Play || gGameState.playPhase != PlayPhase::Playing) {
            state.SkipWithError("play left its playing phase");
            break;
        }
        // Stay in the middle of the course, in play.
        if (gRailPosition > 2000.0f) gRailPosition = 200.0f;
        ++tick;
    }
    state.counters["enemies"] = static_cast<double>(gGameState.enemiesAppeared);
    vqtest::StopHeadlessGame();
}
BENCHMARK(BM_PlayTickTwoCrafts)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
