// The binding map's vocabulary: what a binding value names, the keys a value 1..40 stands
// for and the default bindings. Shared by the game and the settings tool.
#pragma once

#include <array>
#include <cstdint>

// A binding value: 0 nothing; 1..40 KeyboardKeyTable[value - 1]; 40 + 20 x controller +
// input for input 0..19 of controller 0..3 (0 up, 1 right, 2 down, 3 left, 4 + k button k).
using BindingValue = int16_t;

constexpr int kBindingRows = 4;  // 0 P1 keyboard, 1 P1 controller, 2 P2 keyboard, 3 P2 controller
constexpr int kBindingColumns = 8;  // up, right, down, left, decide, cancel, roll, pause
constexpr int kKeyboardKeys = 40;
constexpr int kControllerSlots = 4;
constexpr int kControllerInputs = 20;
constexpr int kFirstControllerValue = 40;
constexpr int kBindingValueCount = kFirstControllerValue + kControllerSlots * kControllerInputs;

// The key codes behind the binding values 1..40 (index = value - 1); the last holds no key.
inline constexpr std::array<uint8_t, kKeyboardKeys> KeyboardKeyTable = {
    0xC8, 0xCD, 0xD0, 0xCB,        // up, right, down, left
    0x36, 0x9D, 0x39, 0x2A, 0x1D,  // right shift, right ctrl, space, left shift, left ctrl
    0x48, 0x4D, 0x50, 0x4B,        // numeric pad 8, 6, 2, 4
    0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23,  // A B C D E F G H
    0x17, 0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19,  // I J K L M N O P
    0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D,  // Q R S T U V W X
    0x15, 0x2C,                                      // Y Z
    0x00,                                            // none
};

// The default binding values minus 1 (so -1 stands for nothing), by row and column.
inline constexpr int8_t DefaultPadBindings[kBindingRows][kBindingColumns] = {
    {0, 1, 2, 3, 38, 36, 15, 34},      // arrows, Z, X, C, V
    {39, 40, 41, 42, 43, 44, 45, 46},  // controller 0: directions, buttons 1 to 4
    {-1, -1, -1, -1, -1, -1, -1, -1},
    {59, 60, 61, 62, 63, 64, 65, 66},  // controller 1
};

// The action bit of each binding column.
inline constexpr uint8_t kColumnPadBits[kBindingColumns] = {0x04, 0x01, 0x08, 0x02,
                                                            0x10, 0x20, 0x40, 0x80};

// The key code a binding value names, or 0 when it names no keyboard key. Only values
// 1..40 index the key table.
constexpr uint8_t BindingKeyCode(int32_t value) {
    return value >= 1 && value <= kKeyboardKeys ? KeyboardKeyTable[value - 1] : 0;
}

// The controller slot and input a binding value names; false for values outside
// 40..119.
constexpr bool BindingControllerInput(int32_t value, int* slot, int* input) {
    if (value < kFirstControllerValue || value >= kBindingValueCount) return false;
    *slot = (value - kFirstControllerValue) / kControllerInputs;
    *input = (value - kFirstControllerValue) % kControllerInputs;
    return true;
}

constexpr BindingValue DefaultBinding(int row, int column) {
    return static_cast<BindingValue>(DefaultPadBindings[row][column] + 1);
}
