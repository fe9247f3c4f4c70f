// The input devices both programs open: the input system, the keyboard and up to four game
// controllers in enumeration order, with their set-up, acquisition, reading and release.
#pragma once

#include <cstdint>

#include "platform/input/devices.h"

constexpr int kMaxControllers = 4;

struct InputDevices {
    bool system;    // the input system is open
    bool keyboard;  // the keyboard device exists
    input::Controller* controllers[kMaxControllers];
    int32_t controllerCount;
    int32_t controllerSettingUp;  // the slot being set up
    // The program's window is deactivated: devices are held only in the foreground, so
    // none can be acquired until the window is activated again.
    bool background;
};

extern InputDevices gInputDevices;

// How a program shows a failure to the user (text and caption in CP932).
using InputFailureBox = int (*)(const char* text, const char* caption);

// Opens the input system, the keyboard and the attached controllers (at most four) and
// acquires them. Returns 1 when the system and the keyboard exist (controllers may be
// missing), else 0 after reporting the failure through `box`.
int OpenInputDevices(input::Backend backend, InputFailureBox box);
// Takes the attached controller `deviceIndex` into the next slot; false stops the
// enumeration (four slots filled).
bool EnumGameControllerCallback(int deviceIndex);
// Unacquires and releases every device; the controller count goes back to 0.
void ReleaseDirectInput();

// The window's activation: acquire or unacquire the keyboard and the controllers. While
// the window is deactivated no read acquires a device again.
void AcquireInputDevices();
void UnacquireInputDevices();

// The inputs of the controller in `slot` as a bit set (bit 0 up, 1 right, 2 down, 3 left
// at an axis beyond 500, 4 + k button k). A lost controller is acquired again a bounded
// number of times, in the foreground only. False when it cannot be read this time.
bool ReadControllerInputs(int slot, uint32_t* inputs);
// The input bits of one controller state.
uint32_t ControllerInputBits(const input::ControllerState& state);

// Reads the keyboard's 256-byte state; a lost keyboard is acquired again. False when it
// cannot be read this time.
bool ReadKeyboardInputs(uint8_t state[256]);
// Empties the keyboard's event queue (the events are not used: the state counts).
void DrainKeyboardBuffer();
