// One title frame with the craft select open for two players: both craft models and their
// reflection, the half-seen background between the passes, the portraits, the craft list,
// the tabs and sense boxes. Drawn by the real engine on gl33 (surfaceless; software GL in
// CI) from the demo data, each frame presented; the figure waits for the GPU to finish.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "scenes/title/title.h"
#include "tests/support/headless_game.h"

namespace {

void Tick(uint8_t pressed, uint8_t repeat = 0, uint8_t pressed2 = 0) {
    gPadState[0].pressed = pressed;
    gPadState[0].repeat = repeat;
    gPadState[1].pressed = pressed2;
    UpdateTitle();
    AdvanceFade();
    gPadState[0] = PadState{};
    gPadState[1] = PadState{};
}

void Idle(int ticks) {
    for (int i = 0; i < ticks; ++i) Tick(0);
}

void BM_TitleCraftSelectFrame(benchmark::State& state) {
    vqtest::HeadlessOptions options;
    options.runFolder = VQ_RUN_DIR;
    options.gl33 = true;
    if (!vqtest::StartHeadlessGame(options)) {
        state.SkipWithError("no gl33 device or run folder");
        return;
    }
    ResetTitleGlobals();
    InitTitle();
    // Press-start, the menu's stages in a row, two players, player 2 on its sense.
    Tick(kPadDecide);
    Idle(20);
    Tick(0, kPadDown);
    Tick(kPadDecide);
    Idle(20);
    Tick(0, kPadDown);
    Tick(0, kPadDown);
    Tick(kPadDecide);
    Idle(20);
    Tick(0, 0, kPadDecide);
    Idle(20);

    gfx::Device* d = Device3D();
    for (auto _ : state) {
        EmptySpriteBatch();
        d->BeginScene();
        DrawTitle();
        d->EndScene();
        d->Present();
        glFinish();
    }
    vqtest::StopHeadlessGame();
}
BENCHMARK(BM_TitleCraftSelectFrame)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
