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
// The stage-9 speed, slowed by this tick's scrape and front hit and by a bullet hit.
void StepStage9Speed(int32_t playerHit);
void StepCraftSpacingAndFollow();
float NextRailSpeed();
void StepSunVisibility();
void StepCamera();
void StepScreenShake();

// The camera rail has its look-at track.
bool HasLookAtTrack();
// The key count the rail position wraps by; 0 when the stage has no rail.
int32_t RailWrapKeyCount();

// The rail speed of a loop-camera stage for the crafts' extreme lateral offsets.
float LoopCameraRailSpeed(float highest, float lowest);
