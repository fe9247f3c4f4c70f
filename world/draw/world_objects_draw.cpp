#include "world/draw/world_objects_draw.h"

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "world/effects/effects.h"

WorldObjectsHooks gWorldObjectsHooks;

void DrawWorldObjects() {
    if (gWorldObjectsHooks.drawObjects) gWorldObjectsHooks.drawObjects();
}

void DrawEightWaySprites() {
    if (gWorldObjectsHooks.drawEightWay) gWorldObjectsHooks.drawEightWay();
}

void DrawEffectQuad(int number, const gfx::Mat4& world) {
    gfx::Device* device = Device3D();
    if (!device || number < 0 || number >= kEffectQuadCount) return;
    device->SetTransform(gfx::TS_WORLD, world);
    device->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2,
                            gEffectQuads[static_cast<size_t>(number)].corners.data(),
                            sizeof(EffectVertex));
}

gfx::Mat4 BillboardWorld(float x, float y, float z, float size) {
    return gfx::Multiply(gfx::Multiply(gGameState.billboardMatrix, gfx::Scaling(size, size, size)),
                         gfx::Translation(x, y, z));
}

gfx::Color GreyColor(int grey) {
    if (grey < 0) grey = 0;
    if (grey > 255) grey = 255;
    uint32_t g = static_cast<uint32_t>(grey);
    return gfx::MakeArgb(0xFF, g, g, g);
}

void SetBillboardCell(float left, float top, float right, float bottom, float width, float height,
                      float bottomInset, int grey) {
    auto& c = gEffectQuads[quad::kBillboard].corners;
    float u0 = (left + 0.5f) / width;
    float u1 = (right - 0.5f) / width;
    float v0 = (top + 0.5f) / height;
    float v1 = (bottom - bottomInset) / height;
    const float us[4] = {u0, u0, u1, u1};
    const float vs[4] = {v0, v1, v0, v1};
    gfx::Color color = GreyColor(grey);
    for (int i = 0; i < 4; ++i) {
        c[static_cast<size_t>(i)].u = us[i];
        c[static_cast<size_t>(i)].v = vs[i];
        c[static_cast<size_t>(i)].diffuse = color;
    }
}
