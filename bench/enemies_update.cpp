// The enemy update: one tick of a full pool of 300 enemies of mixed behaviours (fliers in
// formation, crossers, rings, heavy fliers, ground and map turrets, standing and mounted
// parts), and a stage's whole wave list played at full speed (ticks per second). The stage is
// made in memory: a straight rail and a flat course; no device is involved.
#include <benchmark/benchmark.h>

#include <array>
#include <cstring>

#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "engine/stagefiles/camera_path.h"
#include "engine/stagefiles/map_mesh.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/shots/shot_pool.h"
#include "play/waves/waves.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

namespace {

constexpr int kKeys = 8000;
StageInfo gStage;

void BuildStage(int32_t stage) {
    std::memset(&gStage, 0, sizeof gStage);
    gStage.mapType = kPlacedMeshCourse;
    gStage.mapCount = 1;
    gStage.cameraCount = 1;
    gStage.stageNumber = stage;
    gCurrentStage = &gStage;
    gGameState.stage = stage;
    gGameState.railSpeed = 1.0f;
    gGameState.weaponSelect = 0;
    gGameState.cameraDirection = gfx::Identity();
    std::memset(gGameState.segmentOffset, 0, sizeof gGameState.segmentOffset);
    gRailPosition = 1.0f;
    gCameraRail.keyCount[0] = gCameraRail.keyCount[1] = kKeys;
    for (int k = 0; k < kKeys; ++k) gCameraRail.cameraPath[0][k] = {0, 50.0f, 10.0f * k};
    const float g = 100000.0f;
    gMapVertices[0] = {-g, 0, -g};
    gMapVertices[1] = {-g, 0, g};
    gMapVertices[2] = {g, 0, -g};
    gMapVertices[3] = {g, 0, g};
    gMapTriangles[0] = MapTriangle{{0, 1, 2}, 0, {0, 0, 0}};
    gMapTriangles[1] = MapTriangle{{2, 1, 3}, 0, {0, 0, 0}};
    BuildCollisionSegment(0, 2, 0);
    for (PlayerCraft& c : gPlayerCrafts) c.position = {0, 50.0f, 0};
    ResetEnemyGlobals();
    ResetShotPool();
    ResetParticlePool();
    SeedRandom(1);
}

Enemy* Spawn(int32_t type, int32_t behaviour) {
    Enemy* e = AllocEnemy();
    if (e && !ActivateEnemy(e, type, behaviour)) return nullptr;
    return e;
}

// 300 enemies: 20 boss segments each carrying 4 mounted parts, and 200 others of mixed kinds.
void FillPool() {
    struct Kind {
        int32_t type, behaviour;
    };
    constexpr Kind kKinds[] = {{0, 0},  {1, 1},   {2, 3},   {0, 4},   {0, 5},   {1, 22},
                               {1, 25}, {54, 24}, {39, 17}, {39, 18}, {14, 11}, {4, 14},
                               {4, 23}, {7, 7},   {6, 6},   {22, 10}, {21, 10}, {39, 16}};
    for (int s = 0; s < 20; ++s) {
        Enemy* segment = Spawn(8, 8);
        segment->basePosition = {0, 0, 500.0f + 40.0f * s};
        int parent = EnemyIndex(*segment);
        for (int p = 0; p < 4; ++p) {
            Enemy* part = Spawn(45 + p, 13);
            part->parent = parent;
            part->formationOffset = {10.0f * p, 10, 0};
        }
    }
    for (int i = 0; gEnemyPool[kEnemyPoolSize - 1].state == EnemyState::Free; ++i) {
        const Kind& k = kKinds[i % std::size(kKinds)];
        Enemy* e = Spawn(k.type, k.behaviour);
        e->formationOffset = {static_cast<float>(i % 20) * 10 - 100, 0, 300.0f + i};
        e->basePosition = {static_cast<float>(i % 20) * 20 - 200, 0, 200.0f + 5.0f * i};
        e->counter = 8;
        e->fireMode = 1 + i % 2;
        e->side = i % 2;
    }
}

void BM_UpdateEnemiesFullPool(benchmark::State& state) {
    BuildStage(19);  // no waves
    FillPool();
    std::array<Enemy, kEnemyPoolSize> start = gEnemyPool;
    int ticks = 0;
    for (auto _ : state) {
        if (++ticks == 300) {  // before the fliers leave: back to the full pool
            state.PauseTiming();
            gEnemyPool = start;
            ResetShotPool();
            ResetParticlePool();
            ticks = 0;
            state.ResumeTiming();
        }
        UpdateEnemies();
    }
    state.counters["ticks/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_UpdateEnemiesFullPool);

// Stage 4-1's list (54 groups over 5600 frames) from the first frame to the last.
void BM_WaveListStage9(benchmark::State& state) {
    int64_t ticks = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BuildStage(9);
        state.ResumeTiming();
        for (int t = 0; t < 5600; ++t) {
            UpdateEnemies();
            if ((t & 63) == 0) FreeAllShots();  // the shots' own pass is not measured here
        }
        ticks += 5600;
    }
    state.counters["ticks/s"] =
        benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_WaveListStage9)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
