// The game step's share of the view: the rail speed, the sway of flying courses, the two-craft
// spacing and the camera's sideways follow, the stage-9 speed, the camera with its billboard
// matrices, the screen shake and the sun-visibility test.
#pragma once

#include <cstdint>

// A new shake replaces a running one.
void StartScreenShake(int32_t duration, int32_t amplitudeX, int32_t amplitudeY, int32_t amplitudeZ);

// Steps of the game step, in tick order.
void StepCourseSway();
void AdvanceRail();
void StepStage9Speed();
void StepCraftSpacingAndFollow();
float NextRailSpeed();
void StepSunVisibility();
void StepCamera();

// The rail speed of a loop-camera stage for the crafts' extreme lateral offsets.
float LoopCameraRailSpeed(float highest, float lowest);
