#include "play/step/camera.h"

#include <algorithm>
#include <cmath>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "play/craft/craft.h"
#include "world/course/collision.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

namespace {

// The camera's sideways values kept in the game state's follow values.
float& CameraLateral() {
    return gGameState.follow[0];
}
float& GroundX() {
    return gGameState.follow[1];
}
float& GroundZ() {
    return gGameState.follow[2];
}

// The translation part of Translation(x, y, z) x m.
gfx::Vec3 TranslationThrough(float x, float y, float z, const gfx::Mat4& m) {
    return gfx::TransformCoord(gfx::Vec3{x, y, z}, m);
}

}  // namespace

bool HasLookAtTrack() {
    return RailKeyCount() > 0 && gCameraRail.lookAt != 0;
}

int32_t RailWrapKeyCount() {
    return gCameraRail.keyCount[0] > 0 ? gCameraRail.keyCount[0] : 0;
}

void StartScreenShake(int32_t duration, int32_t amplitudeX, int32_t amplitudeY,
                      int32_t amplitudeZ) {
    ScreenShake& s = gGameState.shake;
    s.countdown = duration;
    s.offset[0] = s.offset[1] = s.offset[2] = 0;
    s.amplitude[0] = amplitudeX;
    s.amplitude[1] = amplitudeY;
    s.amplitude[2] = amplitudeZ;
}

void StepCourseSway() {
    if (!gCurrentStage || gCurrentStage->flying == 0) return;
    gGameState.swayPhase += 0.01f;
    float phase = gGameState.swayPhase;
    bool verticalOnly = gGameState.stage == 14 || gGameState.stage == 16;
    for (auto& offset : gGameState.segmentOffset) {
        offset[1] = 30.0f * std::sin(phase);
        if (verticalOnly) continue;
        offset[0] = 30.0f * std::cos(0.6f * phase);
        offset[2] = 30.0f * std::cos(0.3f * phase);
    }
}

void AdvanceRail() {
    gRailPosition += gGameState.railSpeed;
    auto keys = static_cast<float>(RailWrapKeyCount());
    if (keys <= 0.0f) return;
    if (!(gRailPosition < keys)) gRailPosition -= keys;
    if (gRailPosition < 0.0f) gRailPosition += keys;
}

void StepStage9Speed(int32_t playerHit) {
    float& speed = gGameState.targetSpeed;
    float& shown = gGameState.currentSpeed;
    speed += 0.00035f;
    if (gCraftTickFlags.scrape) speed -= 0.0035f;
    if (gCraftTickFlags.frontHit) speed -= 0.07f;
    if (playerHit) speed -= 0.07f;
    speed = std::clamp(speed, 0.3f, 2.2f);
    if (std::fabs(shown - speed) < 0.01f) {
        shown = speed;
    } else {
        shown += (speed - shown) / 10.0f;
    }
}

void StepCraftSpacingAndFollow() {
    PlayerCraft& a = gPlayerCrafts[0];
    PlayerCraft& b = gPlayerCrafts[1];
    bool two = CraftsInPlay() == 2;
    if (two) {
        float apart = std::fabs(a.offset.x - b.offset.x);
        if (apart > 560.0f) {
            float half = (apart - 560.0f) / 2.0f;
            float towardB = b.offset.x > a.offset.x ? 1.0f : -1.0f;
            a.offset.x += towardB * half;
            b.offset.x -= towardB * half;
        }
    }
    float centre = two ? (a.offset.x + b.offset.x) / 2.0f : a.offset.x;
    float margin = two ? 100.0f : 300.0f;
    float& lateral = CameraLateral();
    if (centre - margin > lateral) lateral = centre - margin;
    if (centre + margin < lateral) lateral = centre + margin;
    lateral = std::clamp(lateral, -300.0f, 300.0f);

    gfx::Vec3 rail;
    GetRailPoint(&rail, 0.0f);
    gfx::Vec3 side = TranslationThrough(0.1f * lateral, 0.0f, 0.0f, gGameState.cameraDirection);
    GroundX() = rail.x + side.x;
    GroundZ() = rail.z + side.z;

    if (!two) return;
    float dx = a.offset.x - b.offset.x;
    float dy = a.offset.y - b.offset.y;
    float distance = std::sqrt(dx * dx + dy * dy);
    if (!(distance < 100.0f)) return;
    // Away from the other craft; at the very same point craft 0 goes straight down and
    // craft 1 straight up.
    float ux = 0.0f, uy = -1.0f;
    if (distance > 0.0f) {
        ux = dx / distance;
        uy = dy / distance;
    }
    a.velocity.x = 10.0f * ux;
    a.velocity.y = 10.0f * uy;
    b.velocity.x = -10.0f * ux;
    b.velocity.y = -10.0f * uy;
    PlayerCraft& higher = a.offset.y > b.offset.y ? a : b;
    PlayerCraft& lower = a.offset.y > b.offset.y ? b : a;
    higher.velocity.y += 20.0f;
    lower.velocity.y -= 20.0f;
}

float LoopCameraRailSpeed(float hi, float lo) {
    if (hi > 480.0f) return 3.0f;
    if (hi > 420.0f) return 3.0f;
    if (hi > 360.0f) return 2.0f;
    if (hi > 300.0f) return 1.0f;
    if (lo < -480.0f) return -3.0f;
    if (lo < -420.0f) return -3.0f;
    if (lo < -360.0f) return -2.0f;
    if (lo < -300.0f) return -1.0f;
    return 0.0f;
}

float NextRailSpeed() {
    if (gGameState.weaponSelect == 1) return 0.0f;
    if (gCurrentStage && gCurrentStage->loopCamera != 0) {
        float hi = gPlayerCrafts[0].offset.x;
        float lo = hi;
        for (int i = 1; i < CraftsInPlay(); ++i) {
            hi = std::max(hi, gPlayerCrafts[static_cast<size_t>(i)].offset.x);
            lo = std::min(lo, gPlayerCrafts[static_cast<size_t>(i)].offset.x);
        }
        return LoopCameraRailSpeed(hi, lo);
    }
    if (gGameState.stage == 9) return gGameState.targetSpeed;
    return 1.0f;
}

void StepSunVisibility() {
    gGameState.sunVisible = 1;
    if (!gCurrentStage) return;
    const float* sun = gCurrentStage->sunPosition;
    gfx::Vec3 start{gGraphics.target.x, gGraphics.target.y + 30.0f, gGraphics.target.z};
    float t;
    if (RaycastCourse(start.x, start.y, start.z, sun[0] - start.x, sun[1] - start.y,
                      sun[2] - start.z, &t)) {
        gGameState.sunVisible = 0;
    }
}

void StepScreenShake() {
    ScreenShake& s = gGameState.shake;
    if (s.countdown <= 0) return;
    s.countdown -= 1;
    if (s.countdown == 0) {
        s.offset[0] = s.offset[1] = s.offset[2] = 0;
        return;
    }
    for (int axis = 0; axis < 3; ++axis) {
        int32_t a = s.amplitude[axis];
        if (a > 0) s.offset[axis] = RandomInt() % a - a / 2;
    }
}

void StepCamera() {
    gfx::Vec3 p;
    GetRailPoint(&p, 0.0f);
    p.x = GroundX();
    p.z = GroundZ();
    gfx::Vec3 target{p.x, p.y + 2.0f, p.z};

    gfx::Mat4 rotation;
    ComputeCameraRotation(&rotation);
    bool lookAt = HasLookAtTrack();
    gfx::Vec3 eye;
    if (lookAt) {
        gfx::Vec3 m = TranslationThrough(0.0f, 16.0f, 90.0f, gGameState.cameraDirection);
        eye = gfx::Vec3{p.x + m.x, p.y + m.y, p.z + m.z};
    } else {
        gfx::Vec3 m = TranslationThrough(0.0f, 0.0f, 90.0f, rotation);
        eye = gfx::Vec3{p.x - m.x, p.y + 16.0f, p.z + m.z};
    }

    float yaw = std::atan2(eye.x - target.x, eye.z - target.z) + gfx::kPi;
    gGraphics.heading = yaw;
    float dx = eye.x - target.x;
    float dz = eye.z - target.z;
    float d = std::sqrt(dx * dx + dz * dz);
    gGameState.billboardTilt =
        d != 0.0f ? gfx::RotationX(1.57f - std::atan2(d, eye.y - target.y)) : gfx::Identity();
    gGameState.billboardYaw = gfx::RotationY(yaw);
    gGameState.billboardMatrix = gfx::Multiply(gGameState.billboardTilt, gGameState.billboardYaw);

    gfx::Vec3 m = TranslationThrough(0.0f, 0.0f, -80.0f, rotation);
    gfx::Vec3 forward{m.x, lookAt ? m.y : 0.0f, m.z};
    // A direction straight up or down (or none) gives no look-at: the last one stays.
    if (std::fabs(forward.x) + std::fabs(forward.z) > 1e-6f) {
        gGameState.cameraDirection =
            gfx::LookAtRH(gfx::Vec3{0.0f, 0.0f, 0.0f}, forward, gfx::Vec3{0.0f, 1.0f, 0.0f});
    }
    gGameState.cameraHeading = std::atan2(m.x, m.z);

    StepScreenShake();
    auto lift = static_cast<float>(gGameState.shake.offset[2]);
    eye.y += lift;
    target.y += lift;
    gGraphics.eye = eye;
    gGraphics.target = target;
}
