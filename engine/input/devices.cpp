#include "engine/input/devices.h"

#include <cstdio>

#include "platform/input/keyboard.h"
#include "platform/text/cp932.h"

InputDevices gInputDevices;

namespace {

// A lost device is asked this many times per read to come back.
constexpr int kAcquireTries = 3;

constexpr auto kSystemFailed = text::Cp932(u8"DirectInput8オブジェクトの作成に失敗");
constexpr auto kKeyboardFailed = text::Cp932(u8"DirectInputDevice8オブジェクトの作成に失敗");

// The developer's failure report: source file, line, error and what was being done.
void ReportFailure(InputFailureBox box, const char* file, int line, const char* message) {
    if (!box) return;
    char lineText[16];
    std::snprintf(lineText, sizeof lineText, "%d", line);
    char text[512];
    std::snprintf(text, sizeof text, "File: %s\nLine: %s\nError Code: %s\nCalling: %s", file,
                  lineText, input::LastErrorName(), message);
    box(text, "Unexpected error encountered");
}

}  // namespace

int OpenInputDevices(input::Backend backend, InputFailureBox box) {
    if (!input::OpenSystem(backend)) {
        ReportFailure(box, __FILE__, __LINE__, kSystemFailed.c_str());
        return 0;
    }
    gInputDevices.system = true;
    if (input::OpenKeyboardDevice() != input::Result::Ok) {
        ReportFailure(box, __FILE__, __LINE__, kKeyboardFailed.c_str());
        return 0;
    }
    gInputDevices.keyboard = true;
    input::AcquireKeyboard();

    int attached = input::AttachedControllerCount();
    for (int i = 0; i < attached; ++i) {
        if (!EnumGameControllerCallback(i)) break;
    }
    // A controller that cannot be set up stops the set-up of it and of every later one;
    // they stay in their slots and their reads fail.
    for (int slot = 0; slot < gInputDevices.controllerCount; ++slot) {
        input::Controller* c = gInputDevices.controllers[slot];
        if (!c) break;
        gInputDevices.controllerSettingUp = slot;
        if (input::ConfigureController(c) != input::Result::Ok) break;
        input::AcquireController(c);
    }
    return 1;
}

bool EnumGameControllerCallback(int deviceIndex) {
    int slot = gInputDevices.controllerCount;
    if (slot >= kMaxControllers) return false;
    input::Controller* c = input::OpenController(deviceIndex);
    if (!c) return true;
    if (input::QueryController(c) != input::Result::Ok) {
        input::CloseController(c);
        return true;
    }
    gInputDevices.controllers[slot] = c;
    gInputDevices.controllerCount = slot + 1;
    return gInputDevices.controllerCount < kMaxControllers;
}

void ReleaseDirectInput() {
    if (gInputDevices.keyboard) {
        input::UnacquireKeyboard();
        input::CloseKeyboardDevice();
        gInputDevices.keyboard = false;
    }
    for (int slot = 0; slot < gInputDevices.controllerCount; ++slot) {
        if (input::Controller* c = gInputDevices.controllers[slot]) {
            input::UnacquireController(c);
            input::CloseController(c);
            gInputDevices.controllers[slot] = nullptr;
        }
    }
    gInputDevices.controllerCount = 0;
    if (gInputDevices.system) {
        input::CloseSystem();
        gInputDevices.system = false;
    }
}

void AcquireInputDevices() {
    gInputDevices.background = false;
    if (!gInputDevices.system) return;
    if (gInputDevices.keyboard) input::AcquireKeyboard();
    for (int slot = 0; slot < gInputDevices.controllerCount; ++slot) {
        if (gInputDevices.controllers[slot])
            input::AcquireController(gInputDevices.controllers[slot]);
    }
}

void UnacquireInputDevices() {
    gInputDevices.background = true;
    if (!gInputDevices.system) return;
    if (gInputDevices.keyboard) input::UnacquireKeyboard();
    for (int slot = 0; slot < gInputDevices.controllerCount; ++slot) {
        if (gInputDevices.controllers[slot]) {
            input::UnacquireController(gInputDevices.controllers[slot]);
        }
    }
}

uint32_t ControllerInputBits(const input::ControllerState& s) {
    uint32_t bits = 0;
    if (s.y < -500) bits |= 1u << 0;
    if (s.x > 500) bits |= 1u << 1;
    if (s.y > 500) bits |= 1u << 2;
    if (s.x < -500) bits |= 1u << 3;
    for (int k = 0; k < input::kControllerButtons; ++k) {
        if (s.buttons[k] & 0x80) bits |= 1u << (4 + k);
    }
    return bits;
}

bool ReadControllerInputs(int slot, uint32_t* inputs) {
    *inputs = 0;
    if (!gInputDevices.system || slot < 0 || slot >= gInputDevices.controllerCount) return false;
    input::Controller* c = gInputDevices.controllers[slot];
    if (!c) return false;
    if (input::PollController(c) != input::Result::Ok) {
        // A device cannot be taken while another window has the focus.
        if (gInputDevices.background) return false;
        for (int tries = 0; tries < kAcquireTries; ++tries) {
            if (input::AcquireController(c) != input::Result::InputLost) break;
        }
    }
    input::ControllerState state;
    if (input::ReadController(c, &state) != input::Result::Ok) return false;
    *inputs = ControllerInputBits(state);
    return true;
}

bool ReadKeyboardInputs(uint8_t state[256]) {
    if (!gInputDevices.keyboard) return false;
    input::Result r = input::ReadKeyboardDevice(state);
    if (r == input::Result::Ok) return true;
    if (r == input::Result::InputLost && !gInputDevices.background) input::AcquireKeyboard();
    return false;
}

void DrainKeyboardBuffer() {
    if (!gInputDevices.keyboard) return;
    // The queue holds at most its capacity; a lost keyboard is asked a few times only.
    int lostTries = 0;
    for (int taken = 0; taken <= input::kKeyEventCapacity; ++taken) {
        bool got = false;
        input::Result r = input::ReadKeyboardEvent(&got);
        if (r == input::Result::InputLost) {
            if (gInputDevices.background || ++lostTries > kAcquireTries) break;
            input::AcquireKeyboard();
            continue;
        }
        if (r != input::Result::Ok || !got) break;
    }
}
