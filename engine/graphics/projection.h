// World points to screen pixels, and the view matrix from the camera.
#pragma once

#include <cstdint>

#include "platform/gfx/math.h"

struct ScreenProjection {
    float sx, sy;                // projection scale, recomputed before every projection
    gfx::Mat4 view, projection;  // copies taken by CaptureViewProjection
    float centreX, centreY, scaleX, scaleY, unitX, unitY;
    // Roll of the view about the line of sight; the view is rolled by half of it. Stays 0
    // during play.
    float viewRoll;
};

struct ProjectedPoint {
    float x, y;     // pixels
    int32_t depth;  // view-space z truncated toward zero; negative in front of the camera
};

struct ProjectedPointF {
    float x, y, z;
};

extern ScreenProjection gScreenProjection;

void UpdateViewMatrix();
void UpdateProjectionScale(const gfx::Mat4& projection);
void ProjectPoint(float x, float y, float z, ProjectedPoint* out);
void ProjectToScreen(ProjectedPointF* out, const gfx::Vec3& point, const gfx::Mat4& matrix);
bool IsPointOnScreen(float x, float y, float z, float margin);
void CaptureViewProjection();
