#include "engine/graphics/sprite.h"

#include <cstdio>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture_groups.h"

SpriteBatch gSpriteBatch;

void ResetSpriteVertices() {
    for (SpriteVertex& v : gSpriteBatch.vertices) {
        v.z = 0.0f;
        v.rhw = 1.0f;
        v.specular = 0;
    }
}

void EmptySpriteBatch() {
    gSpriteBatch.count = 0;
}

void AddSpriteQuad(SpriteRect& dest, const TexelRect& source, const TextureHolder& holder,
                   gfx::Color color) {
    // A full batch is drawn now: every rectangle of one flush shares the bound texture.
    if (gSpriteBatch.count < 0 || gSpriteBatch.count > kSpriteBatchVertices - 6) FlushSprites();

    // A holder that was never given a size maps its texels as if 1 x 1.
    float w = holder.width > 0 ? static_cast<float>(holder.width) : 1.0f;
    float h = holder.height > 0 ? static_cast<float>(holder.height) : 1.0f;

    dest.x = static_cast<float>(static_cast<int32_t>(dest.x)) +
             static_cast<float>(gGameState.shake.offset[0]);
    dest.y = static_cast<float>(static_cast<int32_t>(dest.y)) +
             static_cast<float>(gGameState.shake.offset[1]);

    // The far edges are pulled in by half a texel so that filtering stays inside the source.
    float uLeft = source.left / w;
    float vTop = source.top / h;
    float uRight = (source.right - 0.5f) / w;
    float vBottom = (source.bottom - 0.5f) / h;

    float left = dest.x, top = dest.y;
    float right = dest.x + dest.width, bottom = dest.y + dest.height;
    SpriteVertex* v = &gSpriteBatch.vertices[static_cast<size_t>(gSpriteBatch.count)];
    auto put = [color](SpriteVertex& out, float x, float y, float u, float tv) {
        out.x = x;
        out.y = y;
        out.diffuse = color;
        out.u = u;
        out.v = tv;
    };
    put(v[0], right, bottom, uRight, vBottom);
    put(v[1], left, bottom, uLeft, vBottom);
    put(v[2], right, top, uRight, vTop);
    put(v[3], left, bottom, uLeft, vBottom);
    put(v[4], left, top, uLeft, vTop);
    put(v[5], right, top, uRight, vTop);
    gSpriteBatch.count += 6;
}

void AddSpriteQuad(const SpriteRect& dest, const TexelRect& source, const TextureHolder& holder,
                   gfx::Color color) {
    SpriteRect copy = dest;
    AddSpriteQuad(copy, source, holder, color);
}

void FlushSprites() {
    int32_t count = gSpriteBatch.count;
    if (count <= 0 || count > kSpriteBatchVertices) {
        gSpriteBatch.count = 0;
        return;
    }
    if (gfx::Device* device = Device3D()) {
        device->SetVertexShader(kSpriteFvf);
        device->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, static_cast<uint32_t>(count / 3),
                                gSpriteBatch.vertices.data(), sizeof(SpriteVertex));
    }
    gSpriteBatch.count = 0;
}

void Begin2DDrawing() {
    gfx::Device* d = Device3D();
    if (!d) return;
    d->SetVertexShader(gfx::FVF_XYZ | gfx::FVF_DIFFUSE | gfx::FVF_TEX1);
    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_POINT);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_POINT);
}

void DrawNumber(int32_t x, int32_t y, int32_t value, int32_t ignored, gfx::Color color) {
    (void)ignored;
    char digits[16];
    int length = std::snprintf(digits, sizeof digits, "%d", value);
    const TextureHolder& picture = gCommonTextures.scoreDigits;
    BindTexture(picture);
    float cx = static_cast<float>(x);
    int group = 0;
    for (int i = length - 1; i >= 0; --i) {
        int d = digits[i] - '0';
        // A minus sign has no cell: only digits are drawn, in the same walk.
        if (d >= 0 && d <= 9) {
            AddSpriteQuad(SpriteRect{cx, static_cast<float>(y), 24.0f, 24.0f},
                          TexelRect{24.0f * d, 0.0f, 24.0f * d + 24.0f, 24.0f}, picture, color);
        }
        cx -= 18.0f;
        group += 1;
        if (i != 0 && group == 3) {
            group = 0;
            AddSpriteQuad(SpriteRect{cx + 8.0f, static_cast<float>(y) + 4.0f, 24.0f, 24.0f},
                          TexelRect{0.0f, 32.0f, 24.0f, 56.0f}, picture, color);
            cx -= 4.0f;
        }
    }
    FlushSprites();
}

void EmptyOverlayHook() {}
