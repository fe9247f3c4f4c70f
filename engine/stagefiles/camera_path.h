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
// The longest camera-path file the reader takes: six blocks of as many keys as a slot holds,
// every line as long as the reader reads one, fit in it.
constexpr size_t kCameraPathMaxBytes = size_t{32} << 20;

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

// What makes a camera-path file unusable. The reader checks what it reads beyond finding the
// blocks: a rail flown from a damaged file would leave the crafts far from the enemies.
enum class CameraPathDamage : int32_t {
    None = 0,
    NoCameraKeys,      // no usable key: no camera block, an empty one, or an empty file
    UnreadableCount,   // a block's key count is not a whole number of at least 0
    UnreadableKey,     // a key line without its time and value count, each ended by ';'
    WrongValueCount,   // a key without the 4 (rotation) or 3 (position) values of its block
    UnreadableNumber,  // a value that is not a finite number followed by its separator
    KeyCountDiffers,   // a block holds more or fewer keys than its count says
    CutShort,          // the file ends inside a block
};

struct CameraPathRead {
    CameraPathDamage damage;
    int32_t line;  // the file line where the damage was found (1 = first), 0 for none
};

// Reads one camera-path file into rail slot 0 or 1. The key count becomes the smallest
// count of the blocks the file gave, so every key index below it is filled in each block in
// use. A file whose looked-at frame has no position keys (the block missing or empty) is
// read as one without a looked-at frame: no look-at, the camera's keys kept. Keys beyond a
// table's room are dropped. A missing file (or a folder or pipe in its place) shows the "file
// not found" message and empties the slot (key count 0, no look-at); so does a damaged one or
// one longer than kCameraPathMaxBytes, whose message also says where and why.
void LoadAnimationKeys(const char* path, int slot);

// The block counts of the last file read.
CameraPathCounts LastCameraPathCounts();
void ResetCameraPathCounts();

// The reading itself, on a buffer holding a whole file (for tests and fuzzing). A damaged
// file leaves the rail as a missing one does: key count 0, no look-at, every block count 0.
CameraPathRead ReadAnimationKeys(const char* data, size_t size, int slot);

// The short English words for a damage ("unreadable number"), null for None.
const char* DescribeCameraPathDamage(CameraPathDamage damage);
