// Draws that leave no pixel: the gl33 backend leaves out a draw whose vertices all lie beyond
// one edge of the view before it does any GL work for it. The test works on the box around
// the positions the draw may read: screen positions against the device viewport, transformed
// positions against the clip volume of world x view x projection.
//
// This file knows no GL.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"

namespace gfx::gl33 {

// An axis-aligned box around positions; `finite` is false when some coordinate it was
// made from was not a finite number (such a box bounds nothing and culls nothing).
struct Box {
    float lo[3], hi[3];
    bool finite;
};

// The box around `count` positions `stride` bytes apart. Positions sit at the start of every
// vertex: x, y, z and for screen positions 1/w. `floats` (3 or 4) of them are checked for
// being finite, the first three are bounded. No positions give a box that is not finite.
Box PositionBounds(const uint8_t* data, uint32_t stride, uint32_t count, uint32_t floats);

// The clip space of transformed draws: clip = (x, y, z, 1) x world x view x projection,
// drawn where -w <= x <= w, -w <= y <= w and 0 <= z <= w. A box is outside when all its
// corners lie beyond one and the same of these planes: the clip coordinates of every point
// in the box are a blend of the corners' with weights that sum to one, and the tests below
// stay true under such blends (they are convex in the clip coordinates, whatever the signs
// of w), so every triangle made of points in the box is clipped away whole.
//
// Each test keeps a slack: `slackX` and `slackY` times |w| in x and y (a few pixels, for
// the half-pixel shift the vertex shader adds, for point sizes and line widths), and for
// rounding a bound of what float arithmetic can be off by in the shader's two products.
// Without `nearPlane` the plane z = 0 is not tested.
class ClipVolume {
public:
    void Set(const Mat4& world, const Mat4& view, const Mat4& projection, double slackX,
             double slackY, bool nearPlane);
    bool Outside(const Box& box) const;

private:
    double matrix_[4][4] = {};
    double boundWorldView_[4][4] = {}, boundProjection_[4][4] = {};
    double slackX_ = 0.0, slackY_ = 0.0;
    bool nearPlane_ = true;
};

// The bounds of vertex ranges of one buffer, kept while its data stays the same version.
class RangeBoundsCache {
public:
    // The bounds of `count` vertices from `first` on (see PositionBounds).
    Box Bounds(uint64_t version, const uint8_t* data, uint32_t first, uint32_t count,
               uint32_t stride, uint32_t floats);

private:
    struct Range {
        uint32_t first, count, stride, floats;
        Box box;
    };
    uint64_t version_ = 0;
    std::vector<Range> ranges_;
};

// The test itself, with the clip volume of the last transformed draws kept for the next.
class OffScreenTest {
public:
    // Whether the draw, made with the state, leaves no pixel in `viewport` (x, y, width and
    // height of the device viewport within the back buffer). `bounds` keeps the bounds of
    // the draw's vertex buffer; null for a draw from user memory, whose bounds are not kept.
    bool Outside(const DeviceState& state, const DrawCall& call, const uint32_t viewport[4],
                 RangeBoundsCache* bounds);

private:
    const ClipVolume& VolumeOf(const DeviceState& state, const uint32_t viewport[4]);

    ClipVolume clip_;
    bool valid_ = false;
    Mat4 world_{}, view_{}, projection_{};
    uint32_t viewport_[4] = {};
    uint32_t pointSize_ = 0;
};

}  // namespace gfx::gl33
