// Form sprites: flat, lit pictures of characters that stand in the world and show one of
// eight view directions. Each frame of a form is a list of 8 x 8-texel cells; the form table
// says, per form and frame, which cells to draw and where. A sprite is drawn as one triangle
// list of small quads in its own x-y plane (bottom edge at y = 0, centred on x = 0) with the
// caller's world matrix.
#pragma once

#include <cstdint>
#include <span>

#include "platform/gfx/math.h"
#include "platform/gfx/types.h"

// A lit world vertex: position, normal, diffuse colour, one texture set (36 bytes).
struct LitSpriteVertex {
    float x, y, z;
    float nx, ny, nz;
    gfx::Color diffuse;
    float u, v;
};
static_assert(sizeof(LitSpriteVertex) == 36);
constexpr uint32_t kLitSpriteFvf =
    gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

// The most cells one sprite draws; a longer frame is clipped to it.
constexpr int kFormSpriteCellLimit = 4096;
constexpr int kFormFrames = 256;

// Byte offsets of a form's block.
constexpr uint32_t kFormCellCountsOffset = 256;  // u16 per frame
constexpr uint32_t kFormFirstEntryOffset = 768;  // u16 per frame
constexpr uint32_t kFormCellListOffset = 1280;   // u16 per list entry

// One frame of a form as the table gives it, checked against the table's size: every list
// entry first .. first + cellCount - 1 lies inside the table.
struct FormFrame {
    uint32_t block;  // offset of the form's block
    int cellCount;   // at most kFormSpriteCellLimit
    int firstEntry;
};

// Reads the frame's place in the table. False (nothing to draw) when the form's offset, the
// frame's counts or its block lie outside the table, or the frame is not 0 .. 255. A cell
// list that runs past the table's end, or beyond the cell limit, is clipped.
bool ReadFormFrame(std::span<const uint8_t> table, int form, int frame, FormFrame* out);

// The cell number that list entry `entry` of the form's block shows (the entry must lie in
// the table, as ReadFormFrame guarantees for a frame's entries).
uint16_t FormCellNumber(std::span<const uint8_t> table, uint32_t block, int entry);

// The view direction 0 .. 7 an angle (radians, any value) shows: near 0 gives 0, near pi 4.
int FormViewDirection(float angle);

// The frame of the table a sprite shows: the frame base of the view direction plus the
// animation frame, or for form 0 seen from the front half a pitch pose. *mirrored tells
// whether the picture is flipped.
int FormSpriteFrame(int form, int animationFrame, float angle, float pitch, bool* mirrored);

// Builds the sprite's vertices (six a cell) into out, which holds kFormSpriteCellLimit x 6
// vertices; returns the number of cells. textureWidth and textureHeight are the size of the
// form's picture; below one 8-texel cell across (no picture) the cells are untextured and
// their texture coordinates are 0.
int BuildFormSpriteVertices(std::span<const uint8_t> table, int form, int animationFrame,
                            float angle, float pitch, int textureWidth, int textureHeight,
                            LitSpriteVertex* out);

// Draws one frame of one form with the world matrix: sets the world transform and the
// stage-0 texture (the form's picture, or none); every other device state is the caller's.
void DrawFormSprite(int form, int animationFrame, const gfx::Mat4& world, float angle, float pitch);
