// The keyboard state by key code. Key codes are the game's numbering of keys (the classic
// PC scan-code set: 0x01 Escape, 0x2C Z, 0xC8 cursor up, ...). The window layer feeds key
// events in; the game reads the whole state once per tick. Code 0 is "no key": it is never
// held.
#pragma once

#include <cstdint>

namespace input {

constexpr int kKeyCount = 256;

// Marks a key down or up (window layer). A change is also queued as a key event.
void SetKey(uint8_t code, bool down);
// Releases every key (the window lost the focus).
void ClearKeyboard();
// Copies the state: 0x80 for each key that is down, 0 otherwise.
void ReadKeyboard(uint8_t state[kKeyCount]);
// The key code of a hardware key code as the X server numbers keys (evdev code + 8);
// 0 when the key has no code in the game's numbering.
uint8_t KeyCodeFromHardware(uint32_t hardwareKeycode);

// Queued key changes, oldest first; at most kKeyEventCapacity are kept (later ones are
// dropped until the queue is read).
constexpr int kKeyEventCapacity = 100;
struct KeyEvent {
    uint8_t code;
    bool down;
};
// Takes the oldest queued event; false when none is queued.
bool TakeKeyEvent(KeyEvent* event);
void ClearKeyEvents();

}  // namespace input
