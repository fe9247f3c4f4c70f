// The application shell: start-up, the message loop, shut-down, the main window's
// behaviour, the graphics device with its default camera, light and material, and the
// return to the title.
#pragma once

#include "engine/core/context.h"

// The backends of the game program and of the headless harness.
PlatformBackends GameBackends();
PlatformBackends HeadlessBackends();

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
