#include "engine/overlay/overlays.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "engine/core/context.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/texture_groups.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/pause_menu.h"

bool gDebugOverlayEnabled = false;
float gLoadingAngle = 0.0f;

namespace {

constexpr gfx::Color kWhite = 0xFFFFFFFFu;
// The solid patch of the system picture: the fade colour.
constexpr TexelRect kSystemPatch{9.0f, 1.0f, 15.0f, 7.0f};

void SetFilter(uint32_t filter) {
    gfx::Device* d = Device3D();
    if (!d) return;
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, filter);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, filter);
}

void SetColorOp(uint32_t op) {
    if (gfx::Device* d = Device3D()) d->SetTextureStageState(0, gfx::TSS_COLOROP, op);
}

SpriteRect Rect(double x, double y, double width, double height) {
    return SpriteRect{static_cast<float>(x), static_cast<float>(y), static_cast<float>(width),
                      static_cast<float>(height)};
}

}  // namespace

void SetOverlayBlendStates() {
    gfx::Device* d = Device3D();
    if (!d) return;
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHAREF, 0);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
}

void DrawScreenCover(uint32_t color) {
    const TextureHolder& system = gCommonTextures.system;
    BindTexture(system);
    AddSpriteQuad(SpriteRect{0.0f, 0.0f, 640.0f, 480.0f}, kSystemPatch, system, color);
    FlushSprites();
}

void DrawTwoDigitNumber(int32_t x, int32_t y, int32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%2d", std::clamp(value, 0, 99));
    const TextureHolder& sheet = GameOverSheet();
    BindTexture(sheet);
    auto cx = static_cast<float>(x);
    for (int i = 0; i < 2; ++i) {
        if (text[i] < '0' || text[i] > '9') continue;  // the leading blank takes no room
        float c = static_cast<float>(text[i] - '0');
        AddSpriteQuad(SpriteRect{cx, static_cast<float>(y), 32.0f, 48.0f},
                      TexelRect{160.0f + 32.0f * c, 192.0f, 192.0f + 32.0f * c, 240.0f}, sheet,
                      kWhite);
        cx += 24.0f;
    }
    FlushSprites();
}

void DrawContinuePrompt() {
    int64_t t = gGameState.phaseTicks;
    int64_t d = gGameState.continueTicks;
    PlayPhase phase = gGameState.playPhase;

    int64_t shade = std::min<int64_t>(8 * t, 127);
    if (d > 15) shade -= 8 * d - 120;
    shade = std::max<int64_t>(shade, 0);
    SetOverlayBlendStates();
    DrawScreenCover(static_cast<uint32_t>(shade) << 24);

    int64_t b = 255;
    if (d > 15) b -= 16 * (d - 15);
    b = std::max<int64_t>(b, 0);
    double o = static_cast<double>(std::min<int64_t>(32 * t - 640, 0));
    gfx::Color color = static_cast<uint32_t>(b) << 24 | 0xFFFFFFu;

    const TextureHolder& sheet = GameOverSheet();
    BindTexture(sheet);
    AddSpriteQuad(Rect(140 + o, 128, 360, 48), TexelRect{0, 0, 360, 48}, sheet, color);
    if (phase == PlayPhase::ContinuePrompt) {
        AddSpriteQuad(Rect(208 - o, 224, 224, 48), TexelRect{64, 48, 288, 96}, sheet, color);
        AddSpriteQuad(Rect(192 + o, 300, 128, 48), TexelRect{112, 96, 240, 144}, sheet, color);
        AddSpriteQuad(Rect(320 + o, 300, 128, 48), TexelRect{112, 144, 240, 192}, sheet, color);
        FlushSprites();

        // The cursor glows: its colour is added to the picture for a while after a choice.
        uint32_t k = 0;
        if (d <= 15)
            k = static_cast<uint32_t>(std::sin(static_cast<double>(d) * std::numbers::pi / 15.0) *
                                      127.0);
        gfx::Color glow = static_cast<uint32_t>(b) << 24 | k << 16 | k << 8 | k;
        SetColorOp(gfx::TOP_ADD);
        AddSpriteQuad(Rect(160 + 128.0 * gGameState.continueCursor - o, 292, 64, 64),
                      TexelRect{368, 128, 432, 192}, sheet, glow);
        FlushSprites();
        SetColorOp(gfx::TOP_MODULATE);

        AddSpriteQuad(Rect(208 + o, 360, 160, 48), TexelRect{0, 192, 160, 240}, sheet, color);
        DrawTwoDigitNumber(static_cast<int32_t>(368 + o), 360, gGameState.credits);
    }
    FlushSprites();
}

void DrawFade() {
    const ScreenFade& fade = gGameState.fade;
    char line[32];
    std::snprintf(line, sizeof line, "FCOUNT %d ", fade.counter);
    PutDebugText(0, 1, line);
    std::snprintf(line, sizeof line, "FALPHA %d ", FadeAlphaUnclamped());
    PutDebugText(0, 2, line);
    std::snprintf(line, sizeof line, "FTIMEE %d ", gFadeLength);
    PutDebugText(0, 3, line);
    std::snprintf(line, sizeof line, "FTYPE %d ", fade.direction);
    PutDebugText(0, 4, line);
    if (fade.counter == 0) return;

    SetOverlayBlendStates();
    DrawScreenCover(static_cast<uint32_t>(FadeAlpha()) << 24 | 0xFFFFFFu);
    DrawLoadingScreen();
}

void DrawLoadingScreen() {
    if (gLoaderStatus.justStarted.load(std::memory_order_acquire) != 1) return;
    gfx::Device* device = Device3D();
    if (!device) return;
    SetOverlayBlendStates();
    SetFilter(gfx::TEXF_LINEAR);

    const TextureHolder& picture = gCommonTextures.nowLoading;
    BindTexture(picture);
    AddSpriteQuad(SpriteRect{512.0f, 400.0f, 128.0f, 64.0f}, TexelRect{64.0f, 0.0f, 192.0f, 64.0f},
                  picture, kWhite);
    FlushSprites();

    gLoadingAngle += 0.3f;
    // The spinning icon: the picture's left 64 x 64 cell on a square turned by the angle.
    constexpr int kCorner[4] = {0, 1, 3, 2};
    constexpr float kTexel[4][2] = {{0.2f, 0.2f}, {0.2f, 64.0f}, {64.0f, 0.2f}, {64.0f, 64.0f}};
    const float radius = 32.0f * std::sqrt(2.0f);
    SpriteVertex strip[4];
    for (int k = 0; k < 4; ++k) {
        float a = static_cast<float>(kCorner[k]) / 4.0f * 2.0f * std::numbers::pi_v<float> +
                  gLoadingAngle;
        SpriteVertex& v = strip[k];
        v.x = 496.0f - std::sin(a) * radius;
        v.y = 440.0f - std::cos(a) * radius;
        v.z = 0.0f;
        v.rhw = 1.0f;
        v.diffuse = kWhite;
        v.specular = 0;
        v.u = kTexel[k][0] / 256.0f;
        v.v = kTexel[k][1] / 64.0f;
    }
    device->SetVertexShader(kSpriteFvf);
    device->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, strip, sizeof(SpriteVertex));
}

void DrawFps() {
    SetOverlayBlendStates();
    SetFilter(gfx::TEXF_POINT);
    const TextureHolder& picture = gCommonTextures.fps;
    BindTexture(picture);
    AddSpriteQuad(SpriteRect{594.0f, 468.0f, 23.0f, 12.0f}, TexelRect{0.0f, 0.0f, 23.0f, 12.0f},
                  picture, kWhite);
    char text[16];
    std::snprintf(text, sizeof text, "%2d", static_cast<int>(gFrameClock.measuredRate));
    float x = 616.0f;
    for (int i = 0; i < 2 && text[i] != 0; ++i) {
        if (text[i] < '0' || text[i] > '9') continue;
        float c = static_cast<float>(text[i] - '0');
        AddSpriteQuad(SpriteRect{x, 468.0f, 9.0f, 12.0f},
                      TexelRect{32.0f + 8.0f * c, 0.0f, 41.0f + 8.0f * c, 12.0f}, picture, kWhite);
        x += 8.0f;
    }
    FlushSprites();
}

void DrawDebugText() {
    const TextureHolder& system = gCommonTextures.system;
    BindTexture(system);
    for (int r = 0; r < 60; ++r) {
        for (int c = 0; c < 80; ++c) {
            int v = gDebugText.cells[r][c];
            if (v == 0) continue;
            auto gx = static_cast<float>(v % 16 * 8);
            auto gy = static_cast<float>(v / 16 * 8);
            AddSpriteQuad(SpriteRect{8.0f * c, 8.0f * r, 8.0f, 8.0f},
                          TexelRect{gx, gy, gx + 8.0f, gy + 8.0f}, system, kWhite);
        }
    }
    constexpr gfx::Color kBar = 0x7FFFFFFFu;
    AddSpriteQuad(SpriteRect{24.0f, 464.0f, 400.0f, 8.0f}, TexelRect{0.0f, 0.0f, 7.0f, 7.0f},
                  system, kBar);
    for (int k = 0; k < 8; ++k) {
        AddSpriteQuad(SpriteRect{74.0f + 50.0f * k, 464.0f, 2.0f, 8.0f},
                      TexelRect{8.0f, 0.0f, 15.0f, 7.0f}, system, kBar);
    }
    AddSpriteQuad(SpriteRect{24.0f, 466.0f, static_cast<float>(gFrameClock.frameCost), 4.0f},
                  TexelRect{16.0f, 0.0f, 23.0f, 7.0f}, system, kBar);
    FlushSprites();
}

void DrawFrameOverlays() {
    PlayPhase phase = gGameState.playPhase;
    if (gGameState.scene == SceneId::Play &&
        (phase == PlayPhase::NoCreditPrompt || phase == PlayPhase::ContinuePrompt)) {
        DrawContinuePrompt();
    }
    SetFilter(gfx::TEXF_LINEAR);
    DrawFade();
    if (gPauseState.visible) DrawPauseMenu();
}

void DrawFrameDiagnostics() {
    if (gDebugOverlayEnabled) DrawDebugText();
    if (gGameState.showFrameRate == 0) DrawFps();
}
