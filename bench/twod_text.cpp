// The text font: one shadowed line of 40 characters (Japanese and ASCII) with the glyphs
// already in the atlas, as the menus and dialogue draw every frame; on the null device
// (layout and vertices) and on gl33 (with the draw submission).
#include <benchmark/benchmark.h>

#include <memory>

#include "engine/graphics/text_font.h"
#include "engine/main/app.h"
#include "platform/gfx/device.h"
#include "platform/text/cp932.h"

namespace {

constexpr auto kLine = text::Cp932(u8"ステージ１をクリアしました！ Score 0123456789 ｽｺｱｶｳﾝﾄ!");

void DrawLine(benchmark::State& state, gfx::Device* device) {
    gPlatform.device = device;
    device->BeginScene();
    SetLargeTextFont();
    DrawShadowedText(20.0f, 300.0f, kLine.c_str(), 255, 255, 255, 0);  // fills the atlas
    for (auto _ : state) {
        DrawShadowedText(20.0f, 300.0f, kLine.c_str(), 255, 255, 255, 0);
    }
    state.counters["characters"] = 40;
    gTextFont.ReleaseTextFont();
    device->EndScene();
    gPlatform.device = nullptr;
}

void BM_ShadowedFortyCharacterLine_Null(benchmark::State& state) {
    std::unique_ptr<gfx::Device> device(gfx::CreateNullDevice(gfx::PresentParams{}));
    DrawLine(state, device.get());
}
BENCHMARK(BM_ShadowedFortyCharacterLine_Null);

void BM_ShadowedFortyCharacterLine_Gl33(benchmark::State& state) {
    std::unique_ptr<gfx::GlSurface> surface(gfx::CreateHeadlessGlSurface());
    std::unique_ptr<gfx::Device> device(
        surface ? gfx::CreateGl33Device(surface.get(), gfx::PresentParams{}) : nullptr);
    if (!device) {
        state.SkipWithError("no gl33 device");
        return;
    }
    DrawLine(state, device.get());
}
BENCHMARK(BM_ShadowedFortyCharacterLine_Gl33);

}  // namespace

BENCHMARK_MAIN();
