// The sprite batch: filling a whole batch of rectangles and drawing it in one flush, on the
// null device (the batch's own cost) and on gl33 (with the upload and draw submission).
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/graphics/sprite.h"
#include "engine/main/app.h"
#include "platform/gfx/device.h"

namespace {

void FillAndFlush(benchmark::State& state, gfx::Device* device) {
    gPlatform.device = device;
    device->BeginScene();
    ResetSpriteVertices();
    gfx::Texture* texture = nullptr;
    device->CreateTexture(256, 256, 1, gfx::Format::A8R8G8B8, &texture);
    TextureHolder holder{texture, 256, 256, TextureGroup::Common};
    BindTexture(holder);
    constexpr int kQuads = kSpriteBatchVertices / 6;
    for (auto _ : state) {
        for (int i = 0; i < kQuads; ++i) {
            SpriteRect dest{static_cast<float>(i % 40) * 16.0f + 0.5f,
                            static_cast<float>(i / 40) * 13.0f, 16.0f, 16.0f};
            AddSpriteQuad(dest, TexelRect{16.0f, 0.0f, 32.0f, 16.0f}, holder, 0xFFFFFFFFu);
        }
        FlushSprites();
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kQuads);
    device->SetTexture(0, nullptr);
    if (texture) texture->Release();
    device->EndScene();
    gPlatform.device = nullptr;
}

void BM_FillAndFlushFullBatch_Null(benchmark::State& state) {
    std::unique_ptr<gfx::Device> device(gfx::CreateNullDevice(gfx::PresentParams{}));
    FillAndFlush(state, device.get());
}
BENCHMARK(BM_FillAndFlushFullBatch_Null);

void BM_FillAndFlushFullBatch_Gl33(benchmark::State& state) {
    std::unique_ptr<gfx::GlSurface> surface(gfx::CreateHeadlessGlSurface());
    std::unique_ptr<gfx::Device> device(
        surface ? gfx::CreateGl33Device(surface.get(), gfx::PresentParams{}) : nullptr);
    if (!device) {
        state.SkipWithError("no gl33 device");
        return;
    }
    FillAndFlush(state, device.get());
}
BENCHMARK(BM_FillAndFlushFullBatch_Gl33);

}  // namespace

BENCHMARK_MAIN();
