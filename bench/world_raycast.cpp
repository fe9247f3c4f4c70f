// The course query on a 10,000-triangle course: a rolling ground of 50 x 100 quads, 10 units
// a quad. Downward rays of 1000 units (the shadow and ground tests) from random points over
// the course, on a placed-mesh course (boxed tests) and on a looping course (every polygon
// tested until one passes), and a long sideways ray over the course that meets nothing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/core/game_state.h"
#include "world/course/collision.h"
#include "world/stage/stage_index.h"

namespace {

constexpr int kColumns = 50, kRows = 100;
constexpr float kCell = 10.0f;

StageInfo gStage;

float Height(int x, int z) {
    return 20.0f * std::sin(0.3f * static_cast<float>(x)) * std::cos(0.2f * static_cast<float>(z));
}

void BuildCourse(int mapType) {
    int v = 0;
    for (int z = 0; z <= kRows; ++z) {
        for (int x = 0; x <= kColumns; ++x) {
            gMapVertices[v++] = {static_cast<float>(x) * kCell - 250.0f, Height(x, z),
                                 static_cast<float>(z) * kCell};
        }
    }
    int t = 0;
    for (int z = 0; z < kRows; ++z) {
        for (int x = 0; x < kColumns; ++x) {
            int a = z * (kColumns + 1) + x;
            int b = a + kColumns + 1;
            gMapTriangles[t++] = MapTriangle{{a, b, b + 1}, 0, {0, 0, 0}};
            gMapTriangles[t++] = MapTriangle{{a, b + 1, a + 1}, 0, {0, 0, 0}};
        }
    }
    BuildCollisionSegment(0, t, 0);
    std::memset(&gStage, 0, sizeof gStage);
    gStage.mapType = mapType;
    gStage.mapCount = 1;
    gStage.tileDepth = kRows * kCell;
    gCurrentStage = &gStage;
    std::memset(gGameState.segmentOffset, 0, sizeof gGameState.segmentOffset);
}

// Start points spread over the course (world x is the mirrored course x).
std::vector<float> Starts() {
    std::vector<float> p;
    uint32_t seed = 12345;
    for (int i = 0; i < 1024; ++i) {
        seed = seed * 1664525u + 1013904223u;
        p.push_back(static_cast<float>(seed >> 8 & 0x1FF) - 250.0f);
        seed = seed * 1664525u + 1013904223u;
        p.push_back(static_cast<float>(seed >> 8 & 0x3FF) * 0.97f);
    }
    return p;
}

void Downward(benchmark::State& state, int mapType) {
    BuildCourse(mapType);
    std::vector<float> p = Starts();
    size_t i = 0;
    int hits = 0;
    for (auto _ : state) {
        float t;
        hits += RaycastCourse(p[i], 100.0f, p[i + 1], 0.0f, -1000.0f, 0.0f, &t);
        i = (i + 2) % p.size();
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(state.iterations());
    state.counters["hit share"] =
        static_cast<double>(hits) / static_cast<double>(state.iterations());
}
BENCHMARK_CAPTURE(Downward, placed, 2);
BENCHMARK_CAPTURE(Downward, looping, 0);

void Missing(benchmark::State& state, int mapType) {
    BuildCourse(mapType);
    int hits = 0;
    for (auto _ : state) {
        float t;
        hits += RaycastCourse(0.0f, 500.0f, 400.0f, 30.0f, 0.0f, 30.0f, &t);
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(Missing, placed, 2);
BENCHMARK_CAPTURE(Missing, looping, 0);

}  // namespace

BENCHMARK_MAIN();
