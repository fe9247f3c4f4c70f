// The scripted input backend: controllers whose states and failures tests set, and a feed
// that tests install to change the keyboard and controller states before each read.
#pragma once

#include "platform/input/devices.h"

namespace input::scripted {

constexpr int kMaxControllers = 8;

enum class Fault {
    None,
    OpenFails,       // the controller cannot be opened
    QueryFails,      // its capabilities cannot be read
    ConfigureFails,  // it cannot be set up
    ReadFails,       // its state cannot be read
    Lost,            // unplugged: poll and acquire answer InputLost until the fault is cleared
};

// No controllers, no faults, no feed; the system and the keyboard open.
void Reset();
// The number of attached controllers (0 .. kMaxControllers).
void SetControllerCount(int count);
void SetControllerState(int index, const ControllerState& state);
void SetControllerFault(int index, Fault fault);
// The whole input system, or the keyboard device, fails to open.
void SetSystemFails(bool fails);
void SetKeyboardFails(bool fails);
// Acquire calls made on a controller since the last Reset.
int AcquireCalls(int index);

// Called at every UpdateDevices while the scripted system is open.
using TickFeed = void (*)(void* user);
void SetTickFeed(TickFeed feed, void* user);

}  // namespace input::scripted
