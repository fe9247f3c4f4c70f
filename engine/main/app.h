// The application shell: start-up, the message loop, shut-down, the main window's
// behaviour, the graphics device with its default camera, light and material, and the
// return to the title.
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

PlatformBackends GameBackends();
PlatformBackends HeadlessBackends();

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

// Menu command ids.
enum MenuCommandId {
    kCmdExit = 40002,
    kCmdReturnToTitle = 40003,
    kCmdFixedAspect = 40004,
    kCmdZoom50 = 40005,
    kCmdZoom100 = 40006,
    kCmdZoom150 = 40007,
    kCmdZoom200 = 40008,
    kCmdZoom300 = 40009,
    kCmdAbout = 40010,
};

// The whole program: start-up, message loop, shut-down. Returns the exit code: 0 after a
// normal run, 1 when the window or the graphics device could not be made.
int RunGameProgram(const PlatformBackends& backends);

// The pieces of RunGameProgram, for the headless harness.
// Start-up; returns false when the program is to end at once (no window); the device may
// still be missing, in which case the shut-down is all that remains.
bool StartGame(const PlatformBackends& backends);
// Runs frames until the window is closed; returns at once without a window or a device.
void RunMessageLoop();
// Shut-down; waits for a running loader thread first.
void ShutdownGame();

const char* GetProgramDirectory();
bool CreateMainWindow();
int InitDirect3D();
void ResetCamera();
int ShutdownApplication();
void ReturnToTitle();

// The main window's behaviour (what the window procedure does per message).
void OnMainWindowActivate(bool active, bool minimized);
void OnMainWindowCommand(int id);
void OnMainWindowEscape();
void OnMainWindowDestroy();
// A return to the title asked for while the loader thread ran is carried out once it is
// done; the message loop calls this on every pass.
void RunDeferredCommands();

// The aspect lock: keeps a dragged window rectangle at 4:3 client proportions.
void ApplyAspectLock(win::SizingEdge edge, const win::FrameMetrics& metrics, win::WindowRect* rect);
// The window size a zoom command asks for: client factor x 640 / 2 by factor x 480 / 2.
void ZoomClientSize(int command, int* width, int* height);

// Shows a message box owned by the main window (without a window: on standard error).
// Callable from the loader thread.
int ShowMessageBox(const char* text, const char* caption);
