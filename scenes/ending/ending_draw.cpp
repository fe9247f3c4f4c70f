// Drawing of the staff roll: the scrolling background, the targets and crafts, the shots,
// the credit strips and the final picture fading in.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/core/context.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/texture_groups.h"
#include "scenes/ending/ending.h"

namespace {

constexpr gfx::Color kWhite = 0xFFFFFFFFu;
constexpr float kPi = std::numbers::pi_v<float>;
constexpr int32_t kSpriteCells = 12;

}  // namespace

void DrawEndingSprite(float x, float y, int32_t cell, float angle) {
    if (cell < 0 || cell >= kSpriteCells) return;
    const TextureHolder& picture = gEndingTextures.background;
    constexpr int kOrder[4] = {0, 1, 3, 2};
    const float r = 24.0f * std::numbers::sqrt2_v<float>;
    float left = 640.5f + 48.0f * static_cast<float>(cell % 2);
    float top = 48.0f * static_cast<float>(cell / 2);
    const float u[4] = {left, left, left + 47.0f, left + 47.0f};
    const float v[4] = {top, top + 48.0f, top, top + 48.0f};
    SpriteVertex corners[4];
    for (int i = 0; i < 4; ++i) {
        float a = static_cast<float>(kOrder[i]) / 4.0f * 2.0f * kPi + angle + kPi / 4.0f;
        float dx = -r * std::sin(a);
        float dy = -r * std::cos(a);
        if (cell >= 8) dx = -dx;
        corners[i] =
            SpriteVertex{x + dx, y + dy, 0.0f, 1.0f, kWhite, 0, u[i] / 1024.0f, v[i] / 512.0f};
    }
    gfx::Device* device = Device3D();
    if (!device) return;
    BindTexture(picture);
    device->SetVertexShader(kSpriteFvf);
    device->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, corners, sizeof(SpriteVertex));
    device->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_POINT);
    device->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_POINT);
}

void DrawEnding() {
    const EndingState& e = gEndingState;
    Begin2DDrawing();
    const TextureHolder& picture = gEndingTextures.background;
    BindTexture(picture);
    auto sx = static_cast<float>(e.scrollX);
    AddSpriteQuad(SpriteRect{sx, 0, 640, 480}, TexelRect{0, 0, 640, 480}, picture, kWhite);
    AddSpriteQuad(SpriteRect{sx - 640, 0, 640, 480}, TexelRect{0, 0, 640, 480}, picture, kWhite);
    FlushSprites();

    for (const EndingTarget& t : e.targets) {
        if (t.state != 0) DrawEndingSprite(t.x, t.y, t.cell, t.angle);
    }
    for (const EndingPlayer& p : e.players) {
        if (p.state != 0) DrawEndingSprite(p.drawX, p.drawY, p.cell, p.angle);
    }

    BindTexture(picture);
    for (const EndingShot& s : e.shots) {
        if (s.active == 0) continue;
        AddSpriteQuad(SpriteRect{s.x - 8, s.y - 8, 16, 16}, TexelRect{736, 0, 752, 16}, picture,
                      kWhite);
    }
    auto t = static_cast<float>(e.ticks / 2);
    AddSpriteQuad(SpriteRect{t - 256, 352, 256, 48}, TexelRect{752, 0, 1008, 48}, picture, kWhite);
    AddSpriteQuad(SpriteRect{t - 768, 352, 256, 128}, TexelRect{752, 48, 1008, 176}, picture,
                  kWhite);
    AddSpriteQuad(SpriteRect{t - 1280, 352, 256, 128}, TexelRect{752, 176, 1008, 304}, picture,
                  kWhite);
    AddSpriteQuad(SpriteRect{t - 1792, 352, 256, 128}, TexelRect{752, 304, 1008, 432}, picture,
                  kWhite);
    AddSpriteQuad(SpriteRect{std::min(t - 2304, 192.0f), 352, 256, 80},
                  TexelRect{752, 432, 1008, 512}, picture, kWhite);
    FlushSprites();

    const TextureHolder& last = gEndingTextures.finalPicture;
    auto alpha = static_cast<uint32_t>(std::clamp(4 * e.endCounter, 0, 255));
    BindTexture(last);
    AddSpriteQuad(SpriteRect{0, 0, 640, 480}, TexelRect{0, 0, 640, 480}, last,
                  alpha << 24 | 0x00FFFFFFu);
    FlushSprites();
}
