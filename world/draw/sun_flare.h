// The sun or moon of a stage, drawn as a screen-space sprite in the world pass, and the
// lens flare: fourteen additive sprites along the line from the sun through the screen
// centre, brighter the nearer the sun stands to the centre.
#pragma once

#include <array>
#include <cstdint>

// Where the sun was last seen on the screen and how strong its flare is.
struct LensFlareState {
    float sunX, sunY;              // last projected position of the sun or moon
    float directionX, directionY;  // unit vector from the sun towards the screen centre
    float distance;                // pixels from the sun to the screen centre
    float brightness;              // 1 - distance / 448, at least 0; 0 behind the camera
    // 1 when the world pass of the frame in progress measured a sun in front of the camera;
    // the flare of that frame uses it up, so no flare is drawn from an older measurement.
    int32_t measured;
};

extern LensFlareState gLensFlareState;

// One element of the flare: a shape of the sun picture, its place along the line from the
// sun (0) through the screen centre (1), and the side of its square in pixels.
struct LensFlareElement {
    int32_t shape;
    float position;
    float size;
};

// The areas of "bmp/effect_sun.bmp" as (left, top, width, height) in texels.
struct SunPictureArea {
    float left, top, width, height;
};

inline constexpr SunPictureArea kSunArea = {0.0f, 0.0f, 64.0f, 64.0f};
inline constexpr SunPictureArea kMoonArea = {0.0f, 128.0f, 128.0f, 128.0f};
inline constexpr std::array<SunPictureArea, 6> kFlareShapes = {{
    {0.0f, 64.0f, 64.0f, 64.0f},
    {64.0f, 64.0f, 64.0f, 64.0f},
    {128.0f, 64.0f, 32.0f, 32.0f},
    {160.0f, 64.0f, 32.0f, 32.0f},
    {192.0f, 64.0f, 32.0f, 32.0f},
    {224.0f, 64.0f, 32.0f, 32.0f},
}};

inline constexpr std::array<LensFlareElement, 14> kLensFlareElements = {{
    {3, -1.0f, 32.0f},
    {2, -0.5f, 48.0f},
    {0, 0.2f, 96.0f},
    {3, 0.4f, 128.0f},
    {4, 0.8f, 24.0f},
    {5, 1.1f, 16.0f},
    {2, 1.3f, 48.0f},
    {3, 1.4f, 48.0f},
    {4, 1.7f, 32.0f},
    {5, 1.8f, 32.0f},
    {0, 2.0f, 144.0f},
    {1, 2.4f, 128.0f},
    {2, 2.06f, 48.0f},
    {5, 2.8f, 32.0f},
}};

// Draws the stage's sun or moon sprite and measures the flare (right after the sky).
void DrawSunAndMeasureFlare();
// Draws the flare measured in this frame's world pass (at the end of the world drawing).
void DrawLensFlare();
// Back to the program-start values.
void ResetLensFlareState();
