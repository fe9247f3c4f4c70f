// The ground floor of the game program: the process-wide platform handles (window,
// graphics device, display mode, program folder) and the graphics context every drawing
// service reads (camera, light, material). Shell and services alike include this.
#pragma once

#include <cstdint>

#include "platform/gfx/device.h"
#include "platform/system/system.h"
#include "platform/window/window.h"

// Which platform backends a program runs on: the game uses the real ones, tests and the
// headless harness the headless ones.
struct PlatformBackends {
    enum class Graphics { Null, Gl33 };
    enum class Audio { Null, Sdl };
    enum class Controllers { None, Sdl, Scripted };
    enum class Movie { Null, Ffmpeg };

    win::Window* (*createWindow)();
    Graphics graphics;
    Audio audio;
    Controllers controllers;
    Movie movie;
    // Headless programs: draw with gl33 on a surfaceless EGL context instead of the
    // window's surface (golden images); ignored by the gtk window.
    bool headlessGl;
    // Tests: how many device creation attempts are made to fail before one may succeed.
    int refusedDeviceAttempts;
};

struct DisplayMode {
    uint32_t width, height, refreshRate;
    gfx::Format format;
};

// Process-wide platform handles.
struct PlatformContext {
    win::Window* mainWindow;
    int active;  // 1 while the main window is not minimised
    // Room for any folder the system reports, so neither path is ever cut short.
    char programDirectory[sys::kMaxPathBytes];
    char settingsPath[sys::kMaxPathBytes + 16];
    bool direct3d;  // the graphics system is available (the device factory)
    gfx::Device* device;
    DisplayMode displayMode;
    PlatformBackends backends;
    gfx::GlSurface* headlessSurface;  // owned when headless gl33 is used
};

struct GraphicsContext {
    gfx::PresentParams presentParams;
    gfx::Mat4 view;
    gfx::Mat4 projection;
    gfx::Vec3 eye;
    gfx::Vec3 target;
    gfx::Light defaultLight;
    // Camera heading: pi plus the angle of the eye-to-target direction in x and z, written
    // by the game step's camera and read by the world billboards.
    float heading;
    float fieldOfView;  // degrees
    gfx::Material defaultMaterial;
};

extern PlatformContext gPlatform;
extern GraphicsContext gGraphics;

// Shortcut for the device (null before the device exists and after shut-down).
inline gfx::Device* Device3D() {
    return gPlatform.device;
}

// The program's own folder, with a trailing '/' (kept in gPlatform.programDirectory).
const char* GetProgramDirectory();
