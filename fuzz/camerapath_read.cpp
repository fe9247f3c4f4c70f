// Fuzzes the camera-path reader on a file held in memory. Whatever it reads, a file it
// accepts gives a rail of finite keys, and one it refuses leaves the rail empty.
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "engine/stagefiles/camera_path.h"

namespace {

bool IsFinite(const gfx::Vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int slot = size > 0 ? data[0] & 1 : 0;
    CameraPathRead read = ReadAnimationKeys(reinterpret_cast<const char*>(data), size, slot);
    const CameraRail& rail = gCameraRail;
    if (read.damage != CameraPathDamage::None) {
        if (rail.keyCount[0] != 0 || rail.lookAt != 0 || !DescribeCameraPathDamage(read.damage))
            __builtin_trap();
        return 0;
    }
    // The rail flies the camera keys, turned by the rotation keys or toward the target keys.
    int32_t keys = rail.keyCount[0];
    if (keys <= 0 || keys > (rail.lookAt ? kRailPositionKeys : kRailRotationKeys)) __builtin_trap();
    for (int32_t i = 0; i < keys; ++i) {
        if (!IsFinite(rail.cameraPath[slot][i])) __builtin_trap();
        if (rail.lookAt) {
            if (!IsFinite(rail.targetPath[slot][i])) __builtin_trap();
            continue;
        }
        for (float v : rail.rotationKeys[slot][i]) {
            if (!std::isfinite(v)) __builtin_trap();
        }
    }
    return 0;
}
