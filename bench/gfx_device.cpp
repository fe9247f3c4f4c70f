// Graphics device costs on the null backend and on gl33 (surfaceless, software GL in CI):
//   - one full sprite batch: 8544 pre-transformed vertices (1424 quads) in one draw;
//   - a frame of a few hundred state changes and draws, shaped like a play frame
//     (world meshes, skinned models, effect billboards, sprite flushes, present).
// The gl33 cases are measured twice: the submission alone, and the frame finished by the
// GPU (glFinish after each iteration).
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/gfx/device.h"

namespace {

using namespace gfx;

struct SpriteVertex {
    float x, y, z, rhw;
    uint32_t diffuse, specular;
    float u, v;
};

struct MeshVertex {
    float x, y, z, nx, ny, nz, u, v;
};

struct Fixture {
    GlSurface* surface = nullptr;
    Device* device = nullptr;
    std::vector<Texture*> textures;
    VertexBuffer* mesh = nullptr;
    IndexBuffer* indices = nullptr;
    uint32_t skin = 0;
    std::vector<SpriteVertex> batch;
    std::vector<uint8_t> skinVertices;

    explicit Fixture(bool gl) {
        if (gl) {
            surface = CreateHeadlessGlSurface();
            if (surface) device = CreateGl33Device(surface, PresentParams{});
        } else {
            device = CreateNullDevice(PresentParams{});
        }
        if (!device) return;
        for (int i = 0; i < 8; ++i) {
            Texture* t = nullptr;
            device->CreateTexture(256, 256, 1, Format::A8R8G8B8, &t);
            uint32_t pitch = 0;
            uint32_t* texels = t->LockRect(0, &pitch);
            for (uint32_t k = 0; k < 256 * 256; ++k)
                texels[k] = 0x80000000u | (k * 2654435761u >> 8);
            t->UnlockRect(0);
            textures.push_back(t);
        }
        // 1424 quads over the screen.
        for (int q = 0; q < 1424; ++q) {
            const float x = float(q % 40 * 16), y = float(q / 40 * 13);
            const SpriteVertex tl{x, y, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                tr{x + 16, y, 0, 1, 0xFFFFFFFF, 0, 1, 0}, bl{x, y + 13, 0, 1, 0xFFFFFFFF, 0, 0, 1},
                br{x + 16, y + 13, 0, 1, 0xFFFFFFFF, 0, 1, 1};
            batch.insert(batch.end(), {br, bl, tr, bl, tl, tr});
        }
        // A 2000-triangle grid mesh in buffers.
        device->CreateVertexBuffer(41 * 26 * sizeof(MeshVertex), 0x112, &mesh);
        auto* v = static_cast<MeshVertex*>(mesh->Lock());
        for (int z = 0; z < 26; ++z)
            for (int x = 0; x < 41; ++x)
                *v++ = {
                    float(x) * 10, std::sin(float(x + z)) * 3, float(z) * 10, 0, 1, 0, float(x) / 8,
                    float(z) / 8};
        mesh->Unlock();
        device->CreateIndexBuffer(40 * 25 * 6 * 2, Format::Index16, &indices);
        auto* i = static_cast<uint16_t*>(indices->Lock());
        for (int z = 0; z < 25; ++z)
            for (int x = 0; x < 40; ++x) {
                const auto k = uint16_t(z * 41 + x);
                for (uint16_t n : {k, uint16_t(k + 41), uint16_t(k + 1), uint16_t(k + 1),
                                   uint16_t(k + 41), uint16_t(k + 42)})
                    *i++ = n;
            }
        indices->Unlock();
        device->CreateVertexProgram(VertexProgram::Skin2, &skin);
        skinVertices.resize(300 * 3 * VertexInputSize(skin));
        for (size_t k = 0; k < skinVertices.size(); k += 4) {
            const float f = float(k % 97) * 0.1f;
            std::memcpy(&skinVertices[k], &f, 4);
        }
    }
    ~Fixture() {
        for (Texture* t : textures) t->Release();
        if (mesh) mesh->Release();
        if (indices) indices->Release();
        delete device;
        delete surface;
    }
    void Finish() {
        if (surface) glFinish();
    }
};

void FullBatch(benchmark::State& state, bool gl, bool finish) {
    Fixture f(gl);
    if (!f.device) {
        state.SkipWithError("no device");
        return;
    }
    Device& d = *f.device;
    d.SetTexture(0, f.textures[0]);
    d.SetRenderState(RS_ALPHABLENDENABLE, kTrue);
    d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    d.SetVertexShader(0x1C4);
    d.BeginScene();
    // The first draw builds the shader; keep it out of the measurement.
    d.DrawPrimitiveUP(PT_TRIANGLELIST, 8544 / 3, f.batch.data(), sizeof(SpriteVertex));
    f.Finish();
    for (auto _ : state) {
        d.DrawPrimitiveUP(PT_TRIANGLELIST, 8544 / 3, f.batch.data(), sizeof(SpriteVertex));
        if (finish) f.Finish();
    }
    d.EndScene();
    state.SetItemsProcessed(state.iterations() * 1424);
}

void PlayFrame(benchmark::State& state, bool gl, bool finish) {
    Fixture f(gl);
    if (!f.device) {
        state.SkipWithError("no device");
        return;
    }
    Device& d = *f.device;
    const Mat4 view = LookAtRH(Vec3{200, 80, -60}, Vec3{200, 0, 120}, Vec3{0, 1, 0});
    const Mat4 proj = PerspectiveFovRH(kPi / 4, 4.0f / 3.0f, 1, 3000);
    Light light{};
    light.type = LIGHT_DIRECTIONAL;
    light.diffuse = {1, 1, 1, 0};
    light.direction[1] = -1;
    Material material{};
    material.diffuse = material.ambient = {1, 1, 1, 1};
    float constants[kVertexShaderConstants][4] = {};
    constants[0][3] = 765.01f;
    uint64_t draws = 0;
    auto frame = [&] {
        d.Clear(CLEAR_TARGET | CLEAR_ZBUFFER, 0xFF203040, 1, 0);
        d.BeginScene();
        // World: course meshes with fog and lighting, by texture.
        d.SetTransform(TS_VIEW, view);
        d.SetTransform(TS_PROJECTION, proj);
        d.SetRenderState(RS_ZENABLE, ZB_TRUE);
        d.SetRenderState(RS_FOGENABLE, kTrue);
        d.SetRenderState(RS_FOGVERTEXMODE, FOG_LINEAR);
        d.SetRenderStateF(RS_FOGSTART, 500);
        d.SetRenderStateF(RS_FOGEND, 1500);
        d.SetLight(0, light);
        d.LightEnable(0, true);
        d.SetRenderState(RS_LIGHTING, kTrue);
        d.SetVertexShader(0x112);
        d.SetStreamSource(0, f.mesh, sizeof(MeshVertex));
        d.SetIndices(f.indices, 0);
        for (int m = 0; m < 40; ++m) {
            d.SetTexture(0, f.textures[m % 4]);
            d.SetMaterial(material);
            d.SetTransform(TS_WORLD, Translation(float(m % 8) * 400 - 1400, 0, float(m / 8) * 250));
            d.DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 41 * 26, 0, 40 * 25 * 2 / 8);
            ++draws;
        }
        // Skinned models: one draw per bone combination, constants between them.
        d.SetVertexShader(f.skin);
        for (int c = 0; c < 30; ++c) {
            constants[9 + c % 28][0] = float(c);
            d.SetVertexShaderConstant(0, constants, 96);
            d.SetTexture(0, f.textures[4 + c % 2]);
            d.DrawPrimitiveUP(PT_TRIANGLELIST, 100, f.skinVertices.data() + c % 3 * 300 * 48,
                              VertexInputSize(f.skin));
            ++draws;
        }
        // Effects: additive billboards with changing colour operations.
        d.SetRenderState(RS_LIGHTING, kFalse);
        d.SetRenderState(RS_FOGENABLE, kFalse);
        d.SetRenderState(RS_ALPHABLENDENABLE, kTrue);
        d.SetRenderState(RS_ZWRITEENABLE, kFalse);
        d.SetVertexShader(0x142);
        for (int e = 0; e < 120; ++e) {
            d.SetRenderState(RS_DESTBLEND, e % 2 ? BLEND_ONE : BLEND_INVSRCALPHA);
            d.SetTextureStageState(0, TSS_COLOROP, e % 3 ? TOP_MODULATE : TOP_ADD);
            d.SetTransform(TS_WORLD, Translation(float(e), float(e % 7), float(e % 11)));
            const float quad[4][6] = {
                {-5, 5, 0, 0, 0, 0}, {-5, -5, 0, 0, 0, 1}, {5, 5, 0, 0, 1, 0}, {5, -5, 0, 0, 1, 1}};
            d.DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, quad, 24);
            ++draws;
        }
        // 2D: sprite flushes of a few dozen quads each.
        d.SetRenderState(RS_ZENABLE, ZB_FALSE);
        d.SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
        d.SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
        d.SetVertexShader(0x1C4);
        for (int s = 0; s < 60; ++s) {
            d.SetTexture(0, f.textures[s % 8]);
            d.SetTextureStageState(0, TSS_MAGFILTER, s % 2 ? TEXF_LINEAR : TEXF_POINT);
            d.DrawPrimitiveUP(PT_TRIANGLELIST, 2 * 24, f.batch.data() + s * 144,
                              sizeof(SpriteVertex));
            ++draws;
        }
        d.EndScene();
        d.Present();
    };
    // The first frame builds the shaders; keep it out of the measurement.
    frame();
    f.Finish();
    draws = 0;
    for (auto _ : state) {
        frame();
        if (finish) f.Finish();
    }
    state.counters["draws/frame"] = double(draws) / double(state.iterations());
}

BENCHMARK_CAPTURE(FullBatch, null, false, false);
BENCHMARK_CAPTURE(FullBatch, gl33_submit, true, false);
BENCHMARK_CAPTURE(FullBatch, gl33_finished, true, true);
BENCHMARK_CAPTURE(PlayFrame, null, false, false);
BENCHMARK_CAPTURE(PlayFrame, gl33_submit, true, false);
BENCHMARK_CAPTURE(PlayFrame, gl33_finished, true, true);

}  // namespace

BENCHMARK_MAIN();
