#include "engine/graphics/projection.h"

#include "engine/core/context.h"

ScreenProjection gScreenProjection;

void UpdateViewMatrix() {
    gfx::Mat4 look = gfx::LookAtRH(gGraphics.eye, gGraphics.target, gfx::Vec3{0.0f, 1.0f, 0.0f});
    gGraphics.view = gfx::Multiply(look, gfx::RotationZ(gScreenProjection.viewRoll / 2.0f));
}

void UpdateProjectionScale(const gfx::Mat4& p) {
    gfx::Viewport vp{0, 0, 640, 480, 0.0f, 1.0f};
    if (gfx::Device* device = Device3D()) device->GetViewport(&vp);
    float px = p.m[0][0] + p.m[1][0] + p.m[2][0] + p.m[3][0];
    float py = p.m[0][1] + p.m[1][1] + p.m[2][1] + p.m[3][1];
    gScreenProjection.sx = static_cast<float>(vp.width) * px / 2.0f;
    gScreenProjection.sy = static_cast<float>(vp.height) * py / 2.0f;
}

void ProjectToScreen(ProjectedPointF* out, const gfx::Vec3& point, const gfx::Mat4& matrix) {
    UpdateProjectionScale(gGraphics.projection);
    gfx::Vec3 v = gfx::TransformCoord(point, matrix);
    out->x = 320.0f - v.x * gScreenProjection.sx / v.z;
    out->y = v.y * gScreenProjection.sy / v.z + 240.0f;
    out->z = v.z;
}

void ProjectPoint(float x, float y, float z, ProjectedPoint* out) {
    ProjectedPointF p;
    ProjectToScreen(&p, gfx::Vec3{x, y, z}, gGraphics.view);
    out->x = p.x;
    out->y = p.y;
    out->depth = static_cast<int32_t>(p.z);
}

bool IsPointOnScreen(float x, float y, float z, float margin) {
    ProjectedPoint p;
    ProjectPoint(x, y, z, &p);
    if (p.depth >= 0) return false;
    return p.x >= -margin && p.x <= 640.0f + margin && p.y >= -margin && p.y <= 480.0f + margin;
}

void CaptureViewProjection() {
    ScreenProjection& s = gScreenProjection;
    s.view = gGraphics.view;
    s.projection = gGraphics.projection;
    s.centreX = 320.0f;
    s.centreY = 240.0f;
    const gfx::Mat4& p = gGraphics.projection;
    s.scaleX = p.m[2][3] != 0.0f ? 320.0f * p.m[0][0] / p.m[2][3] : 0.0f;
    s.scaleY = p.m[2][3] != 0.0f ? -240.0f * p.m[1][1] / p.m[2][3] : 0.0f;
    s.unitX = 1.0f;
    s.unitY = 1.0f;
}
