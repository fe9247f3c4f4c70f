// The settings tool: one modal dialog that edits the window mode, the frame rate, the
// frame-rate display and the key and controller bindings of both players, capturing each
// binding from a live press, and saves them to the `setup` and `option` sections of the
// settings file beside the program.
#pragma once

#include <cstdint>

#include "engine/input/bindings.h"
#include "platform/input/devices.h"
#include "platform/window/dialog.h"

struct SettingsRecord {
    int32_t windowMode;  // 0 full screen, 1 window; -1 after Cancel
    int32_t frameRate;   // 0, 1, 2 = 60, 30, 20 frames per second
    int32_t textureMode, mapMode, demoMode;
    int32_t showFrameRate;  // dispfps: 0 shows the digits
    int16_t bindings[kBindingRows][kBindingColumns];
};

struct CaptureState {
    int32_t mode;  // 0 P1 keyboard, 1 P1 controller, 2 P2 keyboard, 3 P2 controller
    int32_t step;  // 0 idle, else the column being captured plus one
    int32_t padCounters[4];
    int32_t keyCounter;
    uint32_t last, accumulator, remainder;  // the step clock, as the game's frame clock
    bool timerRunning;
};

extern SettingsRecord gSettingsRecord;
extern CaptureState gCaptureState;

// Control ids of the dialog.
enum SettingsControlId {
    kIdSave = 1,
    kIdCancel = 2,
    kIdFullScreen = 1000,
    kIdWindow = 1001,
    kIdFps60 = 1002,
    kIdFps30 = 1003,
    kIdFps20 = 1013,
    kIdTextureA = 1014,
    kIdTextureB = 1015,
    kIdMapA = 1027,
    kIdMapB = 1028,
    kIdDemoA = 1029,
    kIdDemoB = 1030,
    kIdShowFps = 1017,
    kIdCaptureKeys1 = 1025,
    kIdCapturePad1 = 1067,
    kIdCaptureKeys2 = 1031,
    kIdCapturePad2 = 1068,
    kIdPrompt1 = 1026,
    kIdPrompt2 = 1033,
    kIdFirstBinding = 1035,  // + 8 x row + column
    kIdDefaults = 1032,
};

// The dialog's controls and layout.
win::DialogDesc SettingsDialogDesc();

// The name shown for a binding value (CP932); the blank for values outside 0..119.
const char* InputNameTable(int32_t value);
// The prompt after a completed step 0..8 (CP932).
const char* CapturePrompt(int32_t step);

void ReadSetupSettings(const char* path);
bool WriteSetupSettings(const char* path);

enum class DialogMessage { Init, Command, Timer };
// The dialog's behaviour by message; returns whether the message was handled.
bool HandleSettingsDialog(win::Dialog* dialog, DialogMessage message, int id);

// Passes the dialog's messages to HandleSettingsDialog.
class SettingsDialogHost : public win::DialogHost {
public:
    explicit SettingsDialogHost(win::Dialog* dialog) : dialog_(dialog) {}
    void OnInit() override;
    void OnCommand(int id) override;
    void OnTimer() override;
    // Devices are read only while the dialog has the focus.
    void OnActivate(bool active) override;

private:
    win::Dialog* dialog_;
};

void SetDialogButtons(win::Dialog* dialog);
void EnableSettingControls(win::Dialog* dialog, bool enable);
void RestoreDefaultSettings();
// Fills the 32 binding boxes.
void ShowAllBindings(win::Dialog* dialog);

// Opens the input devices for a capture; true when the system and the keyboard exist.
bool InitCaptureInput(win::Dialog* dialog);
void StartCapture(win::Dialog* dialog, int32_t mode);
void HandleCaptureTimer(win::Dialog* dialog);
void StepCapture(win::Dialog* dialog);
// The input 0..13 a controller slot starts pressing now, or -1.
int32_t ReadPadPress(int slot);
// The key-table index of the key that starts being pressed now, or -1.
int32_t ReadKeyPress();
void ShowCapturedInput(win::Dialog* dialog, int32_t step, int32_t value);

// The input backend the captures open (the program uses SDL; tests the scripted one).
void SetCaptureBackend(input::Backend backend);

// The whole program: reads the settings beside the program, runs the dialog and writes
// the settings on OK. Returns 1 after saving, 0 after Cancel.
int RunSettingsTool(win::Dialog* dialog);
