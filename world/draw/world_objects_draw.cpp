#include "world/draw/world_objects_draw.h"

WorldObjectsHooks gWorldObjectsHooks;

void DrawWorldObjects() {
    if (gWorldObjectsHooks.drawObjects) gWorldObjectsHooks.drawObjects();
}

void DrawEightWaySprites() {
    if (gWorldObjectsHooks.drawEightWay) gWorldObjectsHooks.drawEightWay();
}

void DrawEffectQuad(int, const gfx::Mat4&) {}

gfx::Mat4 BillboardWorld(float x, float y, float z, float) {
    return gfx::Translation(x, y, z);
}

void SetBillboardCell(float, float, float, float, float, float, float, int) {}

gfx::Color GreyColor(int grey) {
    if (grey < 0) grey = 0;
    if (grey > 255) grey = 255;
    return gfx::MakeArgb(0xFF, static_cast<uint32_t>(grey), static_cast<uint32_t>(grey),
                         static_cast<uint32_t>(grey));
}
