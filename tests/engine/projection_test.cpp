// Screen projection and the view matrix against hand-computed values.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/graphics/projection.h"
#include "engine/main/app.h"
#include "scenes/scene_table.h"

namespace {

class ProjectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameGlobals();
        // No device: the viewport is taken as 640 x 480.
        ASSERT_EQ(Device3D(), nullptr);
    }
    void TearDown() override { ResetGameGlobals(); }
};

TEST_F(ProjectionTest, ScaleComesFromTheViewportAndTheMatrix) {
    gfx::Mat4 p{};
    p.m[0][0] = 1.0f;
    p.m[1][1] = 1.333f;
    UpdateProjectionScale(p);
    EXPECT_FLOAT_EQ(gScreenProjection.sx, 320.0f);
    EXPECT_NEAR(gScreenProjection.sy, 319.92f, 1e-3);
}

TEST_F(ProjectionTest, APointStraightAheadIsAtTheCentre) {
    gGraphics.projection = gfx::PerspectiveFovRH(gfx::kPi / 4, 4.0f / 3.0f, 1.0f, 1000.0f);
    gGraphics.view = gfx::Identity();  // camera at the origin looking down -z
    ProjectedPoint pt;
    ProjectPoint(0.0f, 0.0f, -10.0f, &pt);
    EXPECT_FLOAT_EQ(pt.x, 320.0f);
    EXPECT_FLOAT_EQ(pt.y, 240.0f);
    EXPECT_EQ(pt.depth, -10);
}

TEST_F(ProjectionTest, ScreenAxesFollowTheFormula) {
    gfx::Mat4 p{};
    p.m[0][0] = 1.0f;
    p.m[1][1] = 1.0f;
    gGraphics.projection = p;
    gGraphics.view = gfx::Identity();
    ProjectedPoint pt;
    // x' = 320 - x sx / z, y' = y sy / z + 240 with sx = 320, sy = 240.
    ProjectPoint(1.0f, 2.0f, -4.0f, &pt);
    EXPECT_FLOAT_EQ(pt.x, 320.0f - 1.0f * 320.0f / -4.0f);
    EXPECT_FLOAT_EQ(pt.y, 2.0f * 240.0f / -4.0f + 240.0f);
    ProjectPoint(0.0f, 0.0f, -0.5f, &pt);
    EXPECT_EQ(pt.depth, 0);  // truncated toward zero: not in front
}

TEST_F(ProjectionTest, PointsBehindOrBesideTheScreen) {
    gfx::Mat4 p{};
    p.m[0][0] = 1.0f;
    p.m[1][1] = 1.0f;
    gGraphics.projection = p;
    gGraphics.view = gfx::Identity();
    ProjectedPoint behind;
    ProjectPoint(0.0f, 0.0f, 5.0f, &behind);
    EXPECT_EQ(behind.depth, 5);
    EXPECT_FALSE(IsPointOnScreen(0.0f, 0.0f, 5.0f, 1000.0f));  // behind the camera
    // 20 pixels left of the screen: x' = -20 -> 320 - x 320 / z = -20 with z = -10.
    float x = (-20.0f - 320.0f) * -10.0f / -320.0f;
    EXPECT_TRUE(IsPointOnScreen(x, 0.0f, -10.0f, 20.0f));
    EXPECT_FALSE(IsPointOnScreen(x, 0.0f, -10.0f, 19.0f));
}

TEST_F(ProjectionTest, ViewMatrixIsTheRightHandedLookAt) {
    gGraphics.eye = gfx::Vec3{0.0f, 0.0f, 10.0f};
    gGraphics.target = gfx::Vec3{0.0f, 0.0f, 0.0f};
    UpdateViewMatrix();
    gfx::Vec3 v = gfx::TransformCoord(gfx::Vec3{1.0f, 2.0f, 0.0f}, gGraphics.view);
    EXPECT_NEAR(v.x, 1.0f, 1e-6);
    EXPECT_NEAR(v.y, 2.0f, 1e-6);
    EXPECT_NEAR(v.z, -10.0f, 1e-6);
}

TEST_F(ProjectionTest, RollTurnsTheViewByHalfItsAngle) {
    gGraphics.eye = gfx::Vec3{0.0f, 0.0f, 10.0f};
    gGraphics.target = gfx::Vec3{0.0f, 0.0f, 0.0f};
    gScreenProjection.viewRoll = gfx::kPi / 2;
    UpdateViewMatrix();
    gfx::Vec3 v = gfx::TransformCoord(gfx::Vec3{1.0f, 0.0f, 0.0f}, gGraphics.view);
    // A quarter-pi turn about the line of sight.
    EXPECT_NEAR(v.x, std::cos(gfx::kPi / 4), 1e-6);
    EXPECT_NEAR(v.y, std::sin(gfx::kPi / 4), 1e-6);
}

}  // namespace
