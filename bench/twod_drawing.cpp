// Two-dimensional drawing, on the null device (the game's own cost) and on gl33 (with the
// upload and draw submission on Mesa): filling a whole sprite batch and drawing it in one
// flush, and one shadowed 40-character text line with its glyphs already in the atlas.
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/main/app.h"
#include "platform/gfx/device.h"
#include "platform/text/cp932.h"

namespace {

constexpr auto kLine = text::Cp932(u8"ステージ１をクリアしました！ Score 0123456789 ｽｺｱｶｳﾝﾄ!");

// A device of either backend installed as the game's device for one benchmark.
class BenchDevice {
public:
    explicit BenchDevice(bool gl33) {
        if (gl33) {
            surface_.reset(gfx::CreateHeadlessGlSurface());
            if (surface_)
                device_.reset(gfx::CreateGl33Device(surface_.get(), gfx::PresentParams{}));
        } else {
            device_.reset(gfx::CreateNullDevice(gfx::PresentParams{}));
        }
        if (!device_) return;
        gPlatform.device = device_.get();
        device_->BeginScene();
    }
    ~BenchDevice() {
        if (!device_) return;
        device_->EndScene();
        gPlatform.device = nullptr;
    }
    gfx::Device* get() const { return device_.get(); }

private:
    std::unique_ptr<gfx::GlSurface> surface_;
    std::unique_ptr<gfx::Device> device_;
};

void BM_FillAndFlushFullBatch(benchmark::State& state) {
    BenchDevice device(state.range(0) != 0);
    if (!device.get()) {
        state.SkipWithError("no gl33 device");
        return;
    }
    ResetSpriteVertices();
    gfx::Texture* texture = nullptr;
    device.get()->CreateTexture(256, 256, 1, gfx::Format::A8R8G8B8, &texture);
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
    device.get()->SetTexture(0, nullptr);
    if (texture) texture->Release();
}
BENCHMARK(BM_FillAndFlushFullBatch)->ArgName("gl33")->Arg(0)->Arg(1);

void BM_ShadowedFortyCharacterLine(benchmark::State& state) {
    BenchDevice device(state.range(0) != 0);
    if (!device.get()) {
        state.SkipWithError("no gl33 device");
        return;
    }
    SetLargeTextFont();
    DrawShadowedText(20.0f, 300.0f, kLine.c_str(), 255, 255, 255, 0);  // fills the atlas
    for (auto _ : state) {
        DrawShadowedText(20.0f, 300.0f, kLine.c_str(), 255, 255, 255, 0);
    }
    state.SetItemsProcessed(state.iterations() * 40);
    gTextFont.ReleaseTextFont();
}
BENCHMARK(BM_ShadowedFortyCharacterLine)->ArgName("gl33")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
