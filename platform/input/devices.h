// The input devices: the input system, the keyboard device over the keyboard state of
// keyboard.h, and game controllers. A device is read only while it is acquired; a
// controller that was unplugged reports InputLost until it can be acquired again.
//
// Backends: sdl (SDL2 joysticks, joystick subsystem only), scripted (controllers and
// failures set by tests, advanced one step per UpdateDevices) and keyboard-only.
#pragma once

#include <cstdint>

namespace input {

enum class Backend { KeyboardOnly, Sdl, Scripted };

enum class Result {
    Ok,
    Failed,       // the call failed for another reason
    InputLost,    // the device was lost (unplugged, or taken away); acquire it again
    NotAcquired,  // the device is not acquired
};

// Opens the input system with a backend. False when it cannot be used at all. A backend
// whose controllers cannot be opened still serves the keyboard, with no controllers.
bool OpenSystem(Backend backend);
// Closes every device and the system.
void CloseSystem();
bool IsSystemOpen();
// The last failure's name, for reports ("" when none is known).
const char* LastErrorName();

// Fetches new device data; once before each read of the devices.
void UpdateDevices();

// Attached controllers, in enumeration order.
int AttachedControllerCount();

// The state of a controller: axes scaled to -1000..1000, buttons 0..15 (0x80 when held).
constexpr int kControllerButtons = 16;
struct ControllerState {
    int32_t x, y;
    uint8_t buttons[kControllerButtons];
};

struct Controller;
// Opens attached controller `index`; nullptr on failure.
Controller* OpenController(int index);
void CloseController(Controller* controller);
// Reads the device's capabilities.
Result QueryController(Controller* controller);
// Sets the controller up for reading: absolute axes in -1000..1000, buttons 0..15.
Result ConfigureController(Controller* controller);
Result AcquireController(Controller* controller);
Result UnacquireController(Controller* controller);
// Asks the device for new data (Ok, or why it cannot be read).
Result PollController(Controller* controller);
Result ReadController(Controller* controller, ControllerState* state);

// The keyboard device over the keyboard state.
Result OpenKeyboardDevice();
void CloseKeyboardDevice();
Result AcquireKeyboard();
Result UnacquireKeyboard();
// The 256-byte key state (0x80 per held key).
Result ReadKeyboardDevice(uint8_t state[256]);
// Takes one queued key event: Ok with *got true when one was taken, Ok with *got false when
// the queue is empty.
Result ReadKeyboardEvent(bool* got);

}  // namespace input
