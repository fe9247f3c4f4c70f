// The camera rail on keys written by the tests: interpolation, wrapping, the second slot,
// the straight rail without a camera path, and the camera orientation.
#include "world/rail/camera_rail.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "engine/core/game_state.h"
#include "scenes/scene_table.h"
#include "world/stage/stage_index.h"

namespace {

class CameraRailTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameGlobals();
        std::memset(&stage_, 0, sizeof stage_);
        stage_.cameraCount = 1;
        gCurrentStage = &stage_;
        gGameState.railSlot = 0;
        gCameraRail.lookAt = 0;
        gCameraRail.keyCount[1] = 0;
        // Slot 0: key i at (i, 2i, 10i); slot 1: key i at (1000 + i, 0, -i).
        SetKeys(0, 100, 0.0f);
        for (int i = 0; i < kRailPositionKeys; ++i) {
            gCameraRail.cameraPath[1][i] = {1000.0f + i, 0.0f, -static_cast<float>(i)};
        }
    }
    void TearDown() override { ResetGameGlobals(); }
    void SetKeys(int slot, int count, float base) {
        for (int i = 0; i < kRailPositionKeys; ++i) {
            float k = base + static_cast<float>(i);
            gCameraRail.cameraPath[slot][i] = {k, 2.0f * k, 10.0f * k};
        }
        gCameraRail.keyCount[slot] = count;
    }
    gfx::Vec3 Point(float position, float offset) {
        gRailPosition = position;
        gfx::Vec3 p;
        EXPECT_EQ(GetRailPoint(&p, offset), &p);
        return p;
    }

    StageInfo stage_;
};

void ExpectPoint(const gfx::Vec3& p, float x, float y, float z) {
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(p.z, z);
}

void ExpectMatrix(const gfx::Mat4& a, const gfx::Mat4& b) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) EXPECT_NEAR(a.m[r][c], b.m[r][c], 1e-6f) << r << "," << c;
    }
}

TEST_F(CameraRailTest, PointsInterpolateBetweenKeysWithXMirrored) {
    ExpectPoint(Point(3.0f, 0.0f), -3.0f, 6.0f, 30.0f);
    ExpectPoint(Point(3.25f, 0.0f), -3.25f, 6.5f, 32.5f);
    // Offset -0.5 at 3.25: keys 3 and 4, f = -0.25.
    ExpectPoint(Point(3.25f, -0.5f), -2.75f, 5.5f, 27.5f);
    // 5.75 and 1.5: keys 6 and 7, f = 1.25 (extrapolated past key 7).
    ExpectPoint(Point(5.75f, 1.5f), -7.25f, 14.5f, 72.5f);
}

TEST_F(CameraRailTest, TheLastKeyLeadsBackToTheFirst) {
    // Keys 99 and 0, f = 0.5: the midpoint of the last and the first key.
    ExpectPoint(Point(99.5f, 0.0f), -49.5f, 99.0f, 495.0f);
    ExpectPoint(Point(0.0f, -1.0f), -99.0f, 198.0f, 990.0f);
}

TEST_F(CameraRailTest, PositionsBeyondOneWrapWrapAgain) {
    ExpectPoint(Point(250.0f, 0.0f), -50.0f, 100.0f, 500.0f);
    ExpectPoint(Point(10.0f, -350.0f), -60.0f, 120.0f, 600.0f);
    ExpectPoint(Point(99.0f, 99.0f), -98.0f, 196.0f, 980.0f);
    ExpectPoint(Point(1.0e9f, 0.0f), 0.0f, 0.0f, 0.0f);  // 1e9 is a whole multiple of 100
    // A position that is not a number reads key 0 rather than anything outside.
    gfx::Vec3 p = Point(NAN, 0.0f);
    EXPECT_TRUE(std::isnan(p.x));
}

TEST_F(CameraRailTest, WithoutACameraPathTheRailIsStraight) {
    stage_.cameraCount = 0;
    stage_.scroll = 20.0f;
    ExpectPoint(Point(3.0f, 2.0f), 0.0f, 0.0f, 100.0f);
    gfx::Mat4 m;
    ComputeCameraRotation(&m);
    ExpectMatrix(m, gfx::RotationY(gfx::kPi));

    // A camera file that gave no keys is a straight rail too, not a division by zero.
    stage_.cameraCount = 1;
    gCameraRail.keyCount[0] = 0;
    ExpectPoint(Point(3.0f, 2.0f), 0.0f, 0.0f, 100.0f);
    ComputeCameraRotation(&m);
    ExpectMatrix(m, gfx::RotationY(gfx::kPi));
    gCurrentStage = nullptr;
    ExpectPoint(Point(3.0f, 2.0f), 0.0f, 0.0f, 0.0f);
}

TEST_F(CameraRailTest, TheSecondSlotStaysWithinTheKeysItHolds) {
    stage_.cameraCount = 2;
    // After the stage routine's switch: slot 1 in use, its count copied into the first.
    gGameState.railSlot = 1;
    gCameraRail.keyCount[0] = 40;
    gCameraRail.keyCount[1] = 40;
    ExpectPoint(Point(10.0f, 0.0f), -1010.0f, 0.0f, -10.0f);
    ExpectPoint(Point(39.5f, 0.0f), -(1039.0f + 1000.0f) / 2.0f, 0.0f, -19.5f);
    // A device reset reloads the paths and puts slot 0's larger count back as the first:
    // slot 1 is still read only within its own 40 keys.
    gCameraRail.keyCount[0] = 100;
    EXPECT_EQ(RailKeyCount(), 40);
    ExpectPoint(Point(70.0f, 0.0f), -1030.0f, 0.0f, -30.0f);
    // Counts beyond the table are bounded by it.
    gGameState.railSlot = 0;
    gCameraRail.keyCount[0] = kRailPositionKeys + 5000;
    EXPECT_EQ(RailKeyCount(), kRailPositionKeys);
}

TEST_F(CameraRailTest, TheOrientationComesFromTheKeyNotInterpolated) {
    for (int i = 0; i < 100; ++i) {
        float* q = gCameraRail.rotationKeys[0][i];
        float half = 0.01f * static_cast<float>(i);
        q[0] = 0.0f, q[1] = std::sin(half), q[2] = 0.0f, q[3] = std::cos(half);
    }
    gfx::Mat4 m;
    gRailPosition = 3.9f;
    ComputeCameraRotation(&m);
    ExpectMatrix(m,
                 gfx::RotationQuaternion(gfx::Quat{0.0f, std::sin(0.03f), 0.0f, std::cos(0.03f)}));
    gRailPosition = 205.0f;  // wraps to key 5
    ComputeCameraRotation(&m);
    ExpectMatrix(m,
                 gfx::RotationQuaternion(gfx::Quat{0.0f, std::sin(0.05f), 0.0f, std::cos(0.05f)}));
}

TEST_F(CameraRailTest, ALookAtPathAimsFromTheCameraKeyAtTheTargetKey) {
    gCameraRail.lookAt = 1;
    gCameraRail.cameraPath[0][7] = {10.0f, 5.0f, 0.0f};
    gCameraRail.targetPath[0][7] = {4.0f, 8.0f, 20.0f};
    gRailPosition = 7.5f;
    gfx::Mat4 m;
    ComputeCameraRotation(&m);
    // v = (C.x - T.x, T.y - C.y, T.z - C.z): the direction in mirrored world coordinates.
    ExpectMatrix(m, gfx::LookAtRH(gfx::Vec3{0.0f, 0.0f, 0.0f}, gfx::Vec3{6.0f, 3.0f, 20.0f},
                                  gfx::Vec3{0.0f, 1.0f, 0.0f}));
}

TEST_F(CameraRailTest, RotationKeysAreNeverReadBeyondTheirTable) {
    // A position count above the rotation table (a look-at file's count) with the look-at
    // flag of another file cleared: the rotation index stays inside the table.
    gCameraRail.keyCount[0] = kRailPositionKeys;
    gRailPosition = static_cast<float>(kRailPositionKeys - 1);
    gfx::Mat4 m;
    ComputeCameraRotation(&m);
    EXPECT_TRUE(std::isfinite(m.m[0][0]));
}

TEST_F(CameraRailTest, TheViewMatrixCopyIsTheCameraDirection) {
    gGameState.cameraDirection = gfx::RotationX(0.3f);
    gfx::Mat4 m;
    CopyViewMatrix(&m);
    ExpectMatrix(m, gGameState.cameraDirection);
}

}  // namespace
