// The camera rail: the whole stage moves along its camera path, and the camera, the crafts,
// the waves, the bosses and the sky are placed relative to the point at the rail position.
// This module answers where a point at the rail position plus an offset lies and how the
// camera is oriented there; the game step advances the position.
#pragma once

#include "engine/stagefiles/camera_path.h"
#include "platform/gfx/math.h"

// Position along the rail in keys (key i at i.0).
extern float gRailPosition;

// The point at the rail position plus offset keys (x mirrored into the world). Without a
// camera path (no camera file, or a file that gave no keys) the rail is the straight line
// x = 0, y = 0 along z, `scroll` units a key. Key indices wrap round the key count however
// far the position and the offset reach. Returns out.
gfx::Vec3* GetRailPoint(gfx::Vec3* out, float offset);

// The same point, returned.
inline gfx::Vec3 RailPoint(float offset) {
    gfx::Vec3 p{};
    GetRailPoint(&p, offset);
    return p;
}

// The camera's orientation at the key of the rail position (not interpolated): a half turn
// about y without a camera path, a look-at towards the target path when the file has one,
// else the rotation key as a quaternion.
void ComputeCameraRotation(gfx::Mat4* out);

// The camera direction matrix the game step keeps in the game state.
void CopyViewMatrix(gfx::Mat4* out);

// Keys of the rail slot in use that may be read: the first key count bounds either slot,
// and no slot is read beyond the keys it holds. 0 when the stage has no camera path.
int RailKeyCount();
