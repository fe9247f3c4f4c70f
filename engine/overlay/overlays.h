// The screen layers drawn over every scene: the continue prompt of stage play, the fade
// quad with the loading screen, the pause menu, the frame-rate digits and the developer's
// debug text.
#pragma once

#include <cstdint>

// The developer's switch for the debug text; nothing in the game turns it on.
extern bool gDebugOverlayEnabled;
// The loading icon's angle in radians, advanced once per drawn loading frame.
extern float gLoadingAngle;

// Draws a value of 0..99 (others are clamped) in the large digits of "bmp/gameover.tga",
// right-aligned in two cells from x; then flushes.
void DrawTwoDigitNumber(int32_t x, int32_t y, int32_t value);

// The overlays after the scene's drawing, in order: the continue prompt (play phases 2 and
// 3), linear filtering, the fade quad with the loading screen, the pause menu.
void DrawFrameOverlays();
// The last layers of a frame: the debug text when switched on, the frame-rate digits when
// they are shown.
void DrawFrameDiagnostics();

// The blend states every overlay draws with: alpha blending of the source alpha, alpha
// reference 0, texture alpha modulated by the vertex alpha.
void SetOverlayBlendStates();
// One rectangle of the system picture's solid patch over the whole screen, flushed.
void DrawScreenCover(uint32_t color);

void DrawContinuePrompt();
// The fade values into the debug grid, then the fade quad and the loading screen while
// the fade counter is not 0.
void DrawFade();
void DrawLoadingScreen();
void DrawFps();
void DrawDebugText();
