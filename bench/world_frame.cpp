// One world frame: a placed-mesh stage of 10 segments (10,000 triangles in 30 subsets over 6
// shared textures) under a sky with fog, and a tiled-floor stage of 5 x 6 tiles, drawn by
// DrawGameWorld on the null device and on gl33 (surfaceless; software GL in CI), each frame
// presented. The gl33 figures wait for the GPU to finish the frame.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/world/stage_builders.h"
#include "world/draw/world_draw.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_resources.h"

namespace {

struct Frame {
    gfx::GlSurface* surface = nullptr;
    gfx::Device* device = nullptr;
    StageInfo stage{};

    Frame(bool gl, bool placed) {
        if (gl) {
            surface = gfx::CreateHeadlessGlSurface();
            if (surface) device = gfx::CreateGl33Device(surface, gfx::PresentParams{});
        } else {
            device = gfx::CreateNullDevice(gfx::PresentParams{});
        }
        if (!device) return;
        gPlatform.device = device;
        ResetSharedTextures();
        for (int i = 0; i < 6; ++i) {
            gfx::Texture* t = nullptr;
            device->CreateTexture(128, 128, 1, gfx::Format::A8R8G8B8, &t);
            uint32_t pitch;
            uint32_t* texels = t->LockRect(0, &pitch);
            for (uint32_t k = 0; k < 128 * 128; ++k)
                texels[k] = 0xFF000000u | (k * 2654435761u >> 8);
            t->UnlockRect(0);
            gSharedMeshTextures.textures[i] = t;
        }
        gSharedMeshTextures.count = 6;

        stage.farClip = 59000;
        vqtest::SetFog(&stage, 500.0f, 4000.0f, 180, 190, 210);
        stage.drawCode = 1;
        stage.scroll = 10.0f;
        if (placed) {
            stage.mapType = 2;
            stage.mapCount = 10;
            stage.hasBackground = 1;
            for (int s = 0; s < 10; ++s) {
                // 500 quads in three subsets: a strip of rolling ground.
                vqtest::MeshBuilder b;
                for (int q = 0; q < 500; ++q) {
                    float x = static_cast<float>(q % 20) * 20.0f - 200.0f;
                    float z = static_cast<float>(s * 25 + q / 20) * 20.0f;
                    float y = 10.0f * std::sin(0.1f * z + 0.2f * x);
                    b.Quad(q % 3, {x, y, z}, {x, y, z + 20}, {x + 20, y, z + 20}, {x + 20, y, z});
                }
                b.Build(device, &gStageMeshes[s], {s % 6, (s + 1) % 6, (s + 2) % 6});
            }
            vqtest::MeshBuilder sky;
            sky.SkyBox(0, 3000.0f, 1500.0f);
            sky.Build(device, &BackgroundMesh(), {5});
        } else {
            vqtest::SetTiledFloor(&stage, 400.0f, 5, 6, 0.0f);
            vqtest::MeshBuilder b;
            for (int q = 0; q < 400; ++q) {
                float x = static_cast<float>(q % 20) * 20.0f - 200.0f;
                float z = static_cast<float>(q / 20) * 20.0f;
                b.Quad(q % 2, {x, 0, z}, {x, 0, z + 20}, {x + 20, 0, z + 20}, {x + 20, 0, z});
            }
            b.Build(device, &gStageMeshes[0], {0, 1});
        }
        gCurrentStage = &stage;
        gGameState.segmentOffset[3][0] = 40.0f;
        gGraphics.fieldOfView = 45.0f;
        gGraphics.eye = gfx::Vec3{0.0f, 150.0f, -100.0f};
        gGraphics.view = gfx::LookAtRH(gGraphics.eye, gfx::Vec3{0.0f, 0.0f, 600.0f},
                                       gfx::Vec3{0.0f, 1.0f, 0.0f});
        gRailPosition = 25.0f;
    }
    ~Frame() {
        for (StaticMesh& m : gStageMeshes) ReleaseMesh(&m);
        ReleaseSharedTextures();
        gCurrentStage = nullptr;
        gPlatform.device = nullptr;
        delete device;
        delete surface;
    }
    void Draw() {
        device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->SetTransform(gfx::TS_VIEW, gGraphics.view);
        device->BeginScene();
        DrawGameWorld();
        device->EndScene();
        device->Present();
    }
};

void WorldFrame(benchmark::State& state, bool gl, bool placed) {
    Frame frame(gl, placed);
    if (!frame.device) {
        state.SkipWithError("no device");
        return;
    }
    for (auto _ : state) {
        frame.Draw();
        if (gl) glFinish();
    }
}
BENCHMARK_CAPTURE(WorldFrame, null_placed, false, true);
BENCHMARK_CAPTURE(WorldFrame, null_tiled, false, false);
BENCHMARK_CAPTURE(WorldFrame, gl33_placed, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WorldFrame, gl33_tiled, true, false)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
