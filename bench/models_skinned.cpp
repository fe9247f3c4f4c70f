// Models: loading a 10,000-triangle model from its ".x" text (as a skinned model, as a static
// mesh, and the parse alone), and one frame's animation and skinned draw of a 28-bone model.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/main/app.h"
#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "platform/gfx/device.h"
#include "platform/xfile/xfile.h"
#include "tests/support/temp_folder.h"

namespace {

// A grid of columns x rows quads (two triangles each) bent by `bones` bones across its width:
// each vertex follows the bone of its band and, a quarter, the next one. Every bone has a
// frame and an animation of rotation and position keys.
std::string GridModel(int columns, int rows, int bones) {
    std::string s = "xof 0302txt 0032\nFrame Root {\n";
    for (int b = 0; b < bones; ++b) {
        s += " Frame Bone" + std::to_string(b) + " { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, " +
             "0,0,1,0, " + std::to_string(b * 2) + ",0,0,1;; } }\n";
    }
    const int across = columns + 1, vertices = across * (rows + 1);
    char number[64];
    s += " Mesh Grid {\n  " + std::to_string(vertices) + ";\n";
    for (int v = 0; v < vertices; ++v) {
        std::snprintf(number, sizeof number, "  %d.0;0.0;%d.0;%s\n", v % across, v / across,
                      v + 1 < vertices ? "," : ";");
        s += number;
    }
    s += "  " + std::to_string(columns * rows) + ";\n";
    for (int q = 0; q < columns * rows; ++q) {
        int v = (q / columns) * across + q % columns;
        std::snprintf(number, sizeof number, "  4;%d,%d,%d,%d;%s\n", v, v + 1, v + across + 1,
                      v + across, q + 1 < columns * rows ? "," : ";");
        s += number;
    }
    s += "  MeshNormals { 1; 0;1;0;; " + std::to_string(columns * rows) + ";";
    for (int q = 0; q < columns * rows; ++q)
        s += q + 1 < columns * rows ? " 4;0,0,0,0;," : " 4;0,0,0,0;;";
    s += " }\n  MeshTextureCoords { " + std::to_string(vertices) + ";";
    for (int v = 0; v < vertices; ++v) s += v + 1 < vertices ? " 0.5;0.5;," : " 0.5;0.5;;";
    s += " }\n  MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n";
    for (int b = 0; b < bones; ++b) {
        std::string indices, weights;
        int count = 0;
        for (int v = 0; v < vertices; ++v) {
            int band = (v % across) * bones / across;
            float w = band == b ? 0.75f : (band + 1 == b ? 0.25f : 0.0f);
            if (w == 0.0f) continue;
            indices += (count ? "," : "") + std::to_string(v);
            weights += (count ? "," : "") + std::to_string(w);
            ++count;
        }
        s += "  SkinWeights { \"Bone" + std::to_string(b) + "\"; " + std::to_string(count) + "; " +
             indices + "; " + weights + "; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
    }
    s += " }\n}\nAnimationSet Bend {\n";
    for (int b = 0; b < bones; ++b) {
        s += " Animation { {Bone" + std::to_string(b) +
             "}\n  AnimationKey { 0; 2; 0;4;1,0,0,0;;, 200;4;0.92,0,0.38,0;;; }\n"
             "  AnimationKey { 2; 2; 0;3;0,0,0;;, 200;3;0,1,0;;; } }\n";
    }
    return s + "}\n";
}

// The game's device for a benchmark: null, or gl33 on a surfaceless context.
struct BenchDevice {
    explicit BenchDevice(bool gl33 = false) {
        if (gl33) {
            surface.reset(gfx::CreateHeadlessGlSurface());
            if (surface) device = gfx::CreateGl33Device(surface.get(), gfx::PresentParams{});
        } else {
            device = gfx::CreateNullDevice(gfx::PresentParams{});
        }
        gPlatform.device = device;
    }
    ~BenchDevice() {
        gPlatform.device = nullptr;
        delete device;
    }
    std::unique_ptr<gfx::GlSurface> surface;
    gfx::Device* device = nullptr;
};

// 50 x 100 quads: 10,000 triangles.
std::string WriteGrid(const vqtest::TempFolder& folder, int bones) {
    std::string path = folder.File("grid.x");
    vqtest::WriteWholeFile(path, GridModel(50, 100, bones));
    return path;
}

void BM_LoadSkinnedModel10kTriangles(benchmark::State& state) {
    BenchDevice bench;
    vqtest::TempFolder folder;
    std::string path = WriteGrid(folder, 28);
    SkinnedModel model;
    InitModelDevice(&model, 0, bench.device);
    for (auto _ : state) {
        if (LoadModelFile(&model, path.c_str()) != kModelOk) state.SkipWithError("load failed");
        ReleaseModel(&model);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LoadSkinnedModel10kTriangles)->Unit(benchmark::kMillisecond);

void BM_LoadStaticMesh10kTriangles(benchmark::State& state) {
    BenchDevice bench;
    vqtest::TempFolder folder;
    std::string path = WriteGrid(folder, 28);
    StaticMesh mesh;
    for (auto _ : state) {
        ResetSharedTextures();
        if (LoadXMesh(&mesh, path.c_str(), 0) != 1) state.SkipWithError("load failed");
        ReleaseMesh(&mesh);
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_LoadStaticMesh10kTriangles)->Unit(benchmark::kMillisecond);

void BM_ParseText10kTriangles(benchmark::State& state) {
    std::string text = GridModel(50, 100, 28);
    for (auto _ : state) {
        xfile::Document doc;
        bool ok = xfile::Parse(
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
            &doc, nullptr);
        benchmark::DoNotOptimize(ok);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseText10kTriangles)->Unit(benchmark::kMillisecond);

// One drawn frame of a 28-bone model: sampling its 28 animation nodes, the frame matrices and
// the skinned draw (palette upload and one draw per bone combination). On gl33 the frame is
// cleared, drawn and finished by the GPU.
void BM_SkinnedDraw28Bones(benchmark::State& state) {
    const bool gl33 = state.range(1) != 0;
    BenchDevice bench(gl33);
    if (!bench.device) {
        state.SkipWithError("no gl33 device");
        return;
    }
    vqtest::TempFolder folder;
    std::string path = folder.File("model.x");
    vqtest::WriteWholeFile(path, GridModel(state.range(0), state.range(0), 28));
    SkinnedModel model;
    InitModelDevice(&model, 0, bench.device);
    if (LoadModelFile(&model, path.c_str()) != kModelOk) {
        state.SkipWithError("load failed");
        return;
    }
    gGraphics.view =
        gfx::LookAtRH(gfx::Vec3{20, 40, -60}, gfx::Vec3{20, 0, 20}, gfx::Vec3{0, 1, 0});
    std::vector<uint32_t> counters(kModelTimeSlots, 0);
    for (auto _ : state) {
        for (uint32_t& c : counters) c += 1;
        if (gl33) bench.device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        bench.device->BeginScene();
        AdvanceModelAnimation(&model, counters.data());
        if (RenderModel(&model) != kModelOk) state.SkipWithError("draw failed");
        bench.device->EndScene();
        if (gl33) glFinish();
    }
    state.counters["triangles"] = static_cast<double>(2 * state.range(0) * state.range(0));
    ReleaseModel(&model);
    gGraphics.view = gfx::Identity();
}
BENCHMARK(BM_SkinnedDraw28Bones)
    ->ArgNames({"grid", "gl33"})
    ->Args({10, 0})
    ->Args({40, 0})
    ->Args({10, 1})
    ->Args({40, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
