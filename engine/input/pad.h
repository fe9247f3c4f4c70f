// The per-tick pad state of both players: eight action bits each, with edges and
// auto-repeat. Every scene reads only these records.
#pragma once

#include <cstdint>

enum PadBits : uint8_t {
    kPadRight = 0x01,
    kPadLeft = 0x02,
    kPadUp = 0x04,
    kPadDown = 0x08,
    kPadDecide = 0x10,  // vulcan in play
    kPadCancel = 0x20,  // sub-weapon in play
    kPadRoll = 0x40,
    kPadPause = 0x80,
};

struct PadState {
    uint8_t held;
    uint8_t previous;
    uint8_t pressed;
    uint8_t repeat;
    uint8_t counter;  // ticks to the next repeat, 0..12
};

extern PadState gPadState[2];

// Opens the keyboard and the game controllers on the program's input backend. Returns 1
// when the keyboard exists; a failure is reported in a message box and the game runs on
// without the missing devices.
int InitDirectInput();

// Forms the held bits of both players from the devices and the binding map of
// `GameState`; once per tick, before UpdateFrame. Rows 0 and 1 feed player 1, rows 2 and 3
// player 2, keyboard and controller values alike.
void ReadPads();

// Edges and auto-repeat for both players: a change of the held bits repeats at once, then
// 13 ticks later, then every 5th tick.
void UpdatePadStates();
