// The text font: one shadowed line of 40 characters (Japanese and ASCII) with the glyphs
// already in the atlas, as the menus and dialogue draw every frame.
#include <benchmark/benchmark.h>

#include "engine/graphics/text_font.h"
#include "engine/main/app.h"
#include "platform/gfx/device.h"
#include "platform/text/cp932.h"

namespace {

constexpr auto kLine = text::Cp932(u8"ステージ１をクリアしました！ Score 0123456789 ｽｺｱｶｳﾝﾄ!");

void BM_ShadowedFortyCharacterLine(benchmark::State& state) {
    gfx::Device* device = gfx::CreateNullDevice(gfx::PresentParams{});
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
    delete device;
}
BENCHMARK(BM_ShadowedFortyCharacterLine);

}  // namespace

BENCHMARK_MAIN();
