// The clip volume that finds transformed draws lying wholly off the screen: a box is outside
// only when every corner lies beyond one and the same plane, by more than the slack and the
// rounding; boxes behind the eye are outside, and boxes made from numbers that are not finite
// are never outside.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "platform/gfx/gl33_cull.h"

namespace {

using namespace gfx;

// Clip coordinates (x, y, z, w) = (x, y, z, 1) x the matrix.
Mat4 Diagonal(float x, float y, float z, float w) {
    Mat4 m = Scaling(x, y, z);
    m.m[3][3] = w;
    return m;
}

TEST(Gl33ClipVolume, OutsideOnlyWhenEveryCornerIsBeyondOnePlane) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    const Mat4 unit = Identity();               // clip space as given, w = 1
    const Mat4 doubled = Diagonal(1, 1, 1, 2);  // w = 2
    // The eye at the origin looking down -z: w is -z, below zero behind the eye.
    const Mat4 camera = PerspectiveFovRH(kPi / 2, 1, 1, 100);
    struct Case {
        const char* what;
        Mat4 world, projection;
        std::vector<Vec3> points;
        bool nearPlane, outside;
    };
    // The slack is a quarter of |w| in x and y; z has none.
    const Case cases[] = {
        {"the middle", unit, unit, {{0, 0, 0.5f}}, true, false},
        {"on the left plane", unit, unit, {{-1, 0, 0.5f}}, true, false},
        {"on the right plane", unit, unit, {{1, 0, 0.5f}}, true, false},
        {"on the bottom plane", unit, unit, {{0, -1, 0.5f}}, true, false},
        {"on the top plane", unit, unit, {{0, 1, 0.5f}}, true, false},
        {"on the near plane", unit, unit, {{0, 0, 0}}, true, false},
        {"on the far plane", unit, unit, {{0, 0, 1}}, true, false},
        {"at the left end of the slack", unit, unit, {{-1.25f, 0, 0.5f}}, true, false},
        {"at the right end of the slack", unit, unit, {{1.25f, 0, 0.5f}}, true, false},
        {"at the bottom end of the slack", unit, unit, {{0, -1.25f, 0.5f}}, true, false},
        {"at the top end of the slack", unit, unit, {{0, 1.25f, 0.5f}}, true, false},
        {"beyond the slack by less than rounding", unit, unit, {{1.25002f, 0, 0.5f}}, true, false},
        {"beyond the left slack", unit, unit, {{-1.3f, 0, 0.5f}}, true, true},
        {"beyond the right slack", unit, unit, {{1.3f, 0, 0.5f}}, true, true},
        {"beyond the bottom slack", unit, unit, {{0, -1.3f, 0.5f}}, true, true},
        {"beyond the top slack", unit, unit, {{0, 1.3f, 0.5f}}, true, true},
        {"before the near plane", unit, unit, {{0, 0, -0.001f}}, true, true},
        {"before the near plane, which is not tested", unit, unit, {{0, 0, -0.001f}}, false, false},
        {"beyond the far plane", unit, unit, {{0, 0, 1.001f}}, true, true},
        {"at the right end of the slack at w = 2", unit, doubled, {{2.5f, 0, 1}}, true, false},
        {"beyond the right slack at w = 2", unit, doubled, {{2.6f, 0, 1}}, true, true},
        {"a box beyond the right plane", unit, unit, {{1.5f, -3, 0.2f}, {4, 3, 0.9f}}, true, true},
        {"a box across the view", unit, unit, {{-4, 0, 0.5f}, {4, 0, 0.5f}}, true, false},
        {"a box with each corner beyond other planes",
         unit,
         unit,
         {{2, 2, 0.5f}, {-2, -2, 0.5f}},
         true,
         false},
        {"a box moved beyond the top by the world",
         Translation(0, 3, 0),
         unit,
         {{0, 0, 0.5f}},
         true,
         true},
        {"corners in front of the eye", unit, camera, {{-1, -1, -5}, {1, 1, -3}}, true, false},
        {"corners behind the eye", unit, camera, {{-1, -1, 1}, {1, 1, 3}}, true, true},
        {"a point behind the eye, the near plane not tested",
         unit,
         camera,
         {{0, 0, 2}},
         false,
         true},
        {"corners on both sides of the eye", unit, camera, {{-1, -1, -5}, {1, 1, 5}}, true, false},
        {"a NaN beside a point beyond the right plane",
         unit,
         unit,
         {{100, 0, 0.5f}, {nan, 0, 0.5f}},
         true,
         false},
        {"a NaN in z", unit, unit, {{100, 0, nan}}, true, false},
        {"an infinity", unit, unit, {{100, 0, 0.5f}, {inf, 0, 0.5f}}, true, false},
        {"a negative infinity", unit, unit, {{100, -inf, 0.5f}}, true, false},
        {"a NaN in the world matrix", Translation(nan, 0, 0), unit, {{100, 0, 0.5f}}, true, false},
        {"no points", unit, unit, {}, true, false},
    };
    for (const Case& c : cases) {
        gl33::ClipVolume volume;
        volume.Set(c.world, Identity(), c.projection, 0.25, 0.25, c.nearPlane);
        const gl33::Box box =
            gl33::PositionBounds(reinterpret_cast<const uint8_t*>(c.points.data()), sizeof(Vec3),
                                 static_cast<uint32_t>(c.points.size()), 3);
        EXPECT_EQ(volume.Outside(box), c.outside) << c.what;
    }
}

}  // namespace
