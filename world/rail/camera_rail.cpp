#include "world/rail/camera_rail.h"

#include <algorithm>
#include <cmath>

#include "engine/core/game_state.h"
#include "world/stage/stage_index.h"

float gRailPosition = 10.0f;

namespace {

int RailSlot() {
    return gGameState.railSlot == 1 ? 1 : 0;
}

// Key index of a whole number of keys, wrapped into 0 .. count - 1 (count > 0).
int WrapKey(double keys, int count) {
    if (!std::isfinite(keys)) return 0;
    double wrapped = std::fmod(keys, static_cast<double>(count));
    if (wrapped < 0.0) wrapped += count;
    int index = static_cast<int>(wrapped);
    return index < count ? index : 0;
}

}  // namespace

int RailKeyCount() {
    const StageInfo* stage = gCurrentStage;
    if (!stage || stage->cameraCount == 0) return 0;
    int count = gCameraRail.keyCount[0];
    if (RailSlot() == 1) count = std::min(count, static_cast<int>(gCameraRail.keyCount[1]));
    return std::clamp(count, 0, kRailPositionKeys);
}

gfx::Vec3* GetRailPoint(gfx::Vec3* out, float offset) {
    int count = RailKeyCount();
    if (count == 0) {
        float scroll = gCurrentStage ? gCurrentStage->scroll : 0.0f;
        *out = gfx::Vec3{0.0f, 0.0f, (gRailPosition + offset) * scroll};
        return out;
    }
    float wholePosition = std::trunc(gRailPosition);
    float wholeOffset = std::trunc(offset);
    int i0 = WrapKey(static_cast<double>(wholePosition) + wholeOffset, count);
    int i1 = i0 + 1 < count ? i0 + 1 : 0;
    float f = (gRailPosition - wholePosition) + (offset - wholeOffset);

    const gfx::Vec3* path = gCameraRail.cameraPath[RailSlot()];
    const gfx::Vec3& a = path[i0];
    const gfx::Vec3& b = path[i1];
    *out = gfx::Vec3{-a.x + (-b.x - -a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
    return out;
}

void ComputeCameraRotation(gfx::Mat4* out) {
    int count = RailKeyCount();
    if (count == 0) {
        *out = gfx::RotationY(gfx::kPi);
        return;
    }
    int slot = RailSlot();
    double key = std::trunc(static_cast<double>(gRailPosition));
    if (gCameraRail.lookAt) {
        int i = WrapKey(key, count);
        const gfx::Vec3& c = gCameraRail.cameraPath[slot][i];
        const gfx::Vec3& t = gCameraRail.targetPath[slot][i];
        gfx::Vec3 direction{c.x - t.x, t.y - c.y, t.z - c.z};
        *out = gfx::LookAtRH(gfx::Vec3{0.0f, 0.0f, 0.0f}, direction, gfx::Vec3{0.0f, 1.0f, 0.0f});
        return;
    }
    // The rotation table is shorter than the position tables.
    int i = WrapKey(key, std::min(count, kRailRotationKeys));
    const float* q = gCameraRail.rotationKeys[slot][i];
    *out = gfx::RotationQuaternion(gfx::Quat{q[0], q[1], q[2], q[3]});
}

void CopyViewMatrix(gfx::Mat4* out) {
    *out = gGameState.cameraDirection;
}
