#include "engine/input/pad.h"

PadState gPadState[2];

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
