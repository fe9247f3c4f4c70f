#include "play/step/camera.h"

#include "engine/main/game_state.h"

void StartScreenShake(int32_t duration, int32_t amplitudeX, int32_t amplitudeY,
                      int32_t amplitudeZ) {
    ScreenShake& s = gGameState.shake;
    s.countdown = duration;
    s.offset[0] = s.offset[1] = s.offset[2] = 0;
    s.amplitude[0] = amplitudeX;
    s.amplitude[1] = amplitudeY;
    s.amplitude[2] = amplitudeZ;
}

void StepCourseSway() {}
void AdvanceRail() {}
void StepStage9Speed() {}
void StepCraftSpacingAndFollow() {}
float NextRailSpeed() {
    return 0.0f;
}
void StepSunVisibility() {}
void StepCamera() {}
float LoopCameraRailSpeed(float, float) {
    return 0.0f;
}
