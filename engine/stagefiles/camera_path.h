// The camera-path file reader: a stage's camera path is a text ".x" animation exported for
// the camera frame and, optionally, the point it looks at. The reader counts the
// "  AnimationKey {" blocks in file order: the first holds the camera's rotation keys, the
// third the camera's position keys and, when there is a fourth, the sixth the looked-at
// point's position keys.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/gfx/math.h"

constexpr int kRailSlots = 2;
constexpr int kRailRotationKeys = 7500;
constexpr int kRailPositionKeys = 10000;

struct CameraRail {
    // The four values of each rotation key in file order, used as quaternion x, y, z, w.
    float rotationKeys[kRailSlots][kRailRotationKeys][4];
    gfx::Vec3 cameraPath[kRailSlots][kRailPositionKeys];
    gfx::Vec3 targetPath[kRailSlots][kRailPositionKeys];
    // Usable keys of the rail. LoadAnimationKeys always writes the first; the stage load moves
    // slot 1's count into the second.
    int32_t keyCount[kRailSlots];
    int32_t lookAt;  // 1 when the file read last has a looked-at point
};

extern CameraRail gCameraRail;

// How many keys each block of the last file gave (kept apart so that no block's keys are
// used beyond what it holds).
struct CameraPathCounts {
    int32_t rotation;
    int32_t camera;
    int32_t target;
};

// Reads one camera-path file into rail slot 0 or 1. The key count becomes the smallest
// count of the blocks the file gave, so every key index below it is filled in each block in
// use. A file whose looked-at frame has no position keys (the block missing or empty) is
// read as one without a looked-at frame: no look-at, the camera's keys kept. Keys beyond a table's
// room are dropped. A missing file shows the "file not found" message and empties the slot (key
// count 0, no look-at).
void LoadAnimationKeys(const char* path, int slot);

// The block counts of the last file read.
CameraPathCounts LastCameraPathCounts();
void ResetCameraPathCounts();

// The reading itself, on a buffer holding a whole file (for tests and fuzzing).
void ReadAnimationKeys(const char* data, size_t size, int slot);
