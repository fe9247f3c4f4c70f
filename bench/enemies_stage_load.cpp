// The play scene's load step of every demo stage, as the loader thread runs it: the stage's
// resources, the enemy pool filled by the map marks and the set pieces, and the enemy models
// the wave list and the placed enemies need; on the null device, from the run folder the
// build fills with the demo data. The release after each load is not measured.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <memory>

#include "engine/archive/archive.h"
#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture.h"
#include "platform/gfx/device.h"
#include "play/enemies/enemy_pool.h"
#include "play/waves/waves.h"
#include "world/course/collision.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace {

void StageLoadWithEnemies(benchmark::State& state) {
    const int stage = static_cast<int>(state.range(0));
    if (chdir(VQ_RUN_DIR) != 0) {
        state.SkipWithError("the run folder with the demo data is made by the build");
        return;
    }
    auto device = std::make_unique<gfx::NullDevice>(gfx::PresentParams{});
    gPlatform.device = device.get();
    OpenDataArchives();
    LoadStageIndex();
    gGameState.stage = stage;
    int enemies = 0;
    for (auto _ : state) {
        LoadStageResources();
        ResetEnemies();
        SpawnMapPlacedEnemies();
        SpawnStageSetPieces();
        LoadStageEnemyModels();
        state.PauseTiming();
        enemies = 0;
        for (const Enemy& e : gEnemyPool) enemies += e.state != EnemyState::Free ? 1 : 0;
        ReleaseStageResources();
        state.ResumeTiming();
    }
    state.counters["enemies"] = enemies;
    ResetEnemies();
    CloseDataArchives();
    ClearTextureRegistry();
    gCurrentStage = nullptr;
    gPlatform.device = nullptr;
}
BENCHMARK(StageLoadWithEnemies)->DenseRange(0, 18)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
