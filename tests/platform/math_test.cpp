// The matrix and quaternion routines against the documented formulas.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/gfx/math.h"

namespace {

using gfx::Mat4;
using gfx::Vec3;

void ExpectMatNear(const Mat4& a, const Mat4& b, float eps = 1e-5f) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], eps) << i << "," << j;
}

TEST(Math, PerspectiveFovRH) {
    Mat4 p = gfx::PerspectiveFovRH(gfx::kPi / 4, 4.0f / 3.0f, 10.0f, 20000.0f);
    float y = 1.0f / std::tan(gfx::kPi / 8);
    EXPECT_NEAR(p.m[1][1], y, 1e-5);
    EXPECT_NEAR(p.m[0][0], y * 0.75f, 1e-5);
    EXPECT_NEAR(p.m[2][2], 20000.0f / (10.0f - 20000.0f), 1e-6);
    EXPECT_EQ(p.m[2][3], -1.0f);
    EXPECT_NEAR(p.m[3][2], 10.0f * 20000.0f / (10.0f - 20000.0f), 1e-3);
    EXPECT_EQ(p.m[3][3], 0.0f);
}

TEST(Math, LookAtRHMapsEyeToOriginAndTargetToMinusZ) {
    Vec3 eye{3, 4, 5}, at{-1, 2, 0};
    Mat4 v = gfx::LookAtRH(eye, at, Vec3{0, 1, 0});
    Vec3 e = gfx::TransformCoord(eye, v);
    EXPECT_NEAR(e.x, 0, 1e-5);
    EXPECT_NEAR(e.y, 0, 1e-5);
    EXPECT_NEAR(e.z, 0, 1e-5);
    Vec3 t = gfx::TransformCoord(at, v);
    EXPECT_NEAR(t.x, 0, 1e-5);
    EXPECT_NEAR(t.y, 0, 1e-5);
    EXPECT_NEAR(t.z, -gfx::Length(gfx::Sub(eye, at)), 1e-4);
}

TEST(Math, RotationsTurnCounterClockwiseInRowVectorForm) {
    Vec3 x = gfx::TransformNormal(Vec3{1, 0, 0}, gfx::RotationZ(gfx::kPi / 2));
    EXPECT_NEAR(x.x, 0, 1e-6);
    EXPECT_NEAR(x.y, 1, 1e-6);
    Vec3 y = gfx::TransformNormal(Vec3{0, 1, 0}, gfx::RotationX(gfx::kPi / 2));
    EXPECT_NEAR(y.z, 1, 1e-6);
    Vec3 z = gfx::TransformNormal(Vec3{0, 0, 1}, gfx::RotationY(gfx::kPi / 2));
    EXPECT_NEAR(z.x, 1, 1e-6);
}

TEST(Math, YawPitchRollIsRollThenPitchThenYaw) {
    float yaw = 0.3f, pitch = -0.7f, roll = 1.1f;
    Mat4 expected = gfx::Multiply(gfx::Multiply(gfx::RotationZ(roll), gfx::RotationX(pitch)),
                                  gfx::RotationY(yaw));
    ExpectMatNear(gfx::RotationYawPitchRoll(yaw, pitch, roll), expected);
}

TEST(Math, QuaternionMatrixAgreesWithAxisRotation) {
    Vec3 axis = gfx::Normalize(Vec3{1, 2, 3});
    float angle = 0.8f;
    float s = std::sin(angle / 2);
    gfx::Quat q{axis.x * s, axis.y * s, axis.z * s, std::cos(angle / 2)};
    ExpectMatNear(gfx::RotationQuaternion(q), gfx::RotationAxis(axis, angle));
    gfx::Quat back = gfx::QuatRotationMatrix(gfx::RotationQuaternion(q));
    EXPECT_NEAR(back.x, q.x, 1e-5);
    EXPECT_NEAR(back.w, q.w, 1e-5);
}

TEST(Math, SlerpTakesTheShortWayAndHitsTheEnds) {
    gfx::Quat a = gfx::QuatIdentity();
    gfx::Quat b{0, std::sin(0.5f), 0, std::cos(0.5f)};  // 1 radian about y
    gfx::Quat mid = gfx::Slerp(a, b, 0.5f);
    EXPECT_NEAR(mid.y, std::sin(0.25f), 1e-5);
    EXPECT_NEAR(mid.w, std::cos(0.25f), 1e-5);
    gfx::Quat negB{-b.x, -b.y, -b.z, -b.w};
    gfx::Quat viaNeg = gfx::Slerp(a, negB, 0.5f);
    // b and -b are one rotation: the short way gives the same result as with b.
    EXPECT_NEAR(viaNeg.y, std::sin(0.25f), 1e-5);
    EXPECT_NEAR(viaNeg.w, std::cos(0.25f), 1e-5);
    gfx::Quat end = gfx::Slerp(a, b, 1.0f);
    EXPECT_NEAR(end.y, b.y, 1e-5);
}

TEST(Math, InverseUndoesAndRefusesSingular) {
    Mat4 m = gfx::Multiply(gfx::RotationYawPitchRoll(0.2f, 0.4f, 0.6f), gfx::Translation(5, -3, 2));
    m = gfx::Multiply(gfx::Scaling(2, 3, 4), m);
    Mat4 inv;
    ASSERT_TRUE(gfx::Inverse(m, &inv));
    ExpectMatNear(gfx::Multiply(m, inv), gfx::Identity(), 1e-4f);
    Mat4 singular = gfx::Scaling(1, 0, 1);
    float det = 1;
    EXPECT_FALSE(gfx::Inverse(singular, &inv, &det));
    EXPECT_EQ(det, 0.0f);
}

TEST(Math, BoundingSphereIsCentroidAndFarthestPoint) {
    float pts[] = {0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 2};
    Vec3 c;
    float r;
    gfx::ComputeBoundingSphere(pts, 4, 12, &c, &r);
    EXPECT_NEAR(c.x, 0.5f, 1e-6);
    EXPECT_NEAR(c.y, 0.5f, 1e-6);
    EXPECT_NEAR(r, std::sqrt(1.5f * 1.5f + 0.5f), 1e-5);
}

}  // namespace
