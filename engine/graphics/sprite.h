// Two-dimensional drawing: the shared batch of pre-transformed sprite vertices that every
// screen layer appends textured rectangles to and draws as one triangle list, the device
// states for 2D drawing, and the score-digit renderer.
#pragma once

#include <array>
#include <cstdint>

#include "engine/graphics/texture.h"
#include "platform/gfx/types.h"

// One pre-transformed vertex (vertex format kSpriteFvf).
struct SpriteVertex {
    float x, y;  // pixels of the 640 x 480 screen
    float z;     // always 0
    float rhw;   // always 1
    gfx::Color diffuse;
    gfx::Color specular;  // always 0
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 32);

constexpr uint32_t kSpriteFvf =
    gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE | gfx::FVF_SPECULAR | gfx::FVF_TEX1;
constexpr int32_t kSpriteBatchVertices = 8544;  // 1424 rectangles

struct SpriteBatch {
    std::array<SpriteVertex, kSpriteBatchVertices> vertices;
    int32_t count;  // vertices queued
};

extern SpriteBatch gSpriteBatch;

// A destination rectangle in screen pixels.
struct SpriteRect {
    float x, y, width, height;
};

// A source rectangle in texels of the picture. Right < left or bottom < top mirrors it.
struct TexelRect {
    float left, top, right, bottom;
};

// z = 0, rhw = 1 and specular = 0 in every vertex of the batch.
void ResetSpriteVertices();
// Drops whatever is queued (the start of each drawn frame).
void EmptySpriteBatch();
// Queues one rectangle: dest (snapped to whole pixels and moved by the screen shake, both
// written back into dest), the source texels of the holder's picture, and the colour that
// modulates it. A full batch is drawn first to make room.
void AddSpriteQuad(SpriteRect& dest, const TexelRect& source, const TextureHolder& holder,
                   gfx::Color color);
void AddSpriteQuad(const SpriteRect& dest, const TexelRect& source, const TextureHolder& holder,
                   gfx::Color color);
// Draws the queued rectangles with the texture and states the caller has set, then empties
// the batch.
void FlushSprites();
// Device states for two-dimensional drawing (alpha blending, point filtering, no fog).
void Begin2DDrawing();
// Draws a number in the score digits, its last digit's cell at x, with a separator before
// every group of three digits; then flushes.
void DrawNumber(int32_t x, int32_t y, int32_t value, int32_t ignored, gfx::Color color);
// Does nothing; the title and the story-event updates call it.
void EmptyOverlayHook();
