// The world objects of stage play: every shot, coin and particle, the wingtip ribbons and
// the billboard enemies, drawn after the actors; and the eight-way walking figures drawn
// by the actor pass. The pools belong to the play layer, which draws them through the
// hooks below with the template helpers here.
#pragma once

#include <cstdint>

#include "platform/gfx/math.h"
#include "platform/gfx/types.h"

struct WorldObjectsHooks {
    void (*drawObjects)();   // the passes of DrawWorldObjects
    void (*drawEightWay)();  // the walking figures
};
extern WorldObjectsHooks gWorldObjectsHooks;

// Inside the scene, after the actors. Changes no record.
void DrawWorldObjects();
// Called by the actor pass.
void DrawEightWaySprites();

// Draws template `number` of the effect quads with the world matrix, as a strip of two
// triangles.
void DrawEffectQuad(int number, const gfx::Mat4& world);
// Billboard matrix of the game state x Scaling(size) x Translation(p).
gfx::Mat4 BillboardWorld(float x, float y, float z, float size);
// Rewrites the general billboard (template 23): grey corners (ARGB grey with alpha 255,
// clamped at 0..255) and the cell (left, top)-(right, bottom) of a width x height sheet,
// with v's bottom inset `bottomInset` texels.
void SetBillboardCell(float left, float top, float right, float bottom, float width, float height,
                      float bottomInset, int grey);
// Grey level as an opaque ARGB colour, clamped into 0..255.
gfx::Color GreyColor(int grey);
