#include "engine/input/pad.h"

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/core/message_box.h"
#include "engine/input/bindings.h"
#include "engine/input/devices.h"

PadState gPadState[2];

namespace {

input::Backend InputBackend() {
    switch (gPlatform.backends.controllers) {
        case PlatformBackends::Controllers::Sdl:
            return input::Backend::Sdl;
        case PlatformBackends::Controllers::Scripted:
            return input::Backend::Scripted;
        case PlatformBackends::Controllers::None:
            break;
    }
    return input::Backend::KeyboardOnly;
}

}  // namespace

int InitDirectInput() {
    return OpenInputDevices(InputBackend(), ShowMessageBox);
}

void ReadPads() {
    gPadState[0].held = 0;
    gPadState[1].held = 0;
    const int16_t(&bindings)[kBindingRows][kBindingColumns] = gGameState.padBindings;

    if (gInputDevices.system) {
        input::UpdateDevices();
        for (int slot = 0; slot < gInputDevices.controllerCount; ++slot) {
            uint32_t inputs;
            if (!ReadControllerInputs(slot, &inputs) || inputs == 0) continue;
            for (int row = 0; row < kBindingRows; ++row) {
                for (int column = 0; column < kBindingColumns; ++column) {
                    int bindingSlot, input;
                    if (BindingControllerInput(bindings[row][column], &bindingSlot, &input) &&
                        bindingSlot == slot && (inputs & (1u << input))) {
                        gPadState[row / 2].held |= kColumnPadBits[column];
                    }
                }
            }
        }
    }

    if (gInputDevices.keyboard) {
        uint8_t keys[256];
        if (ReadKeyboardInputs(keys)) {
            for (int row = 0; row < kBindingRows; ++row) {
                for (int column = 0; column < kBindingColumns; ++column) {
                    uint8_t code = BindingKeyCode(bindings[row][column]);
                    if (code != 0 && (keys[code] & 0x80)) {
                        gPadState[row / 2].held |= kColumnPadBits[column];
                    }
                }
            }
        }
        DrainKeyboardBuffer();
    }
}

void UpdatePadStates() {
    for (PadState& p : gPadState) {
        p.pressed = static_cast<uint8_t>(p.held & ~p.previous);
        p.repeat = p.held;
        if (p.held == p.previous) {
            if (p.counter > 12) p.counter = 12;
            if (p.counter > 0) {
                p.repeat = 0;
                --p.counter;
            } else {
                p.counter = 4;
            }
        } else {
            p.counter = 12;
        }
        p.previous = p.held;
    }
}
