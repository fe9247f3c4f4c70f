// The sprite batch: filling a whole batch of rectangles and drawing it in one flush.
#include <benchmark/benchmark.h>

#include "engine/graphics/sprite.h"
#include "engine/main/app.h"
#include "platform/gfx/device.h"

namespace {

void BM_FillAndFlushFullBatch(benchmark::State& state) {
    gfx::Device* device = gfx::CreateNullDevice(gfx::PresentParams{});
    gPlatform.device = device;
    device->BeginScene();
    ResetSpriteVertices();
    TextureHolder holder{nullptr, 256, 256, TextureGroup::Common};
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
    device->EndScene();
    gPlatform.device = nullptr;
    delete device;
}
BENCHMARK(BM_FillAndFlushFullBatch);

}  // namespace

BENCHMARK_MAIN();
