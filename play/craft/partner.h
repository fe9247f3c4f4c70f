// The computer partner: with the one-player-and-computer set-up the second craft is flown
// by making up player 2's held pad bits each tick, before the edges are formed, so that
// everything downstream treats them like a person's input.
#pragma once

#include <cstdint>

struct PartnerAutopilot {
    int32_t weaveTicks;   // ticks of the autopilot outside the weapon select
    int32_t selectTicks;  // ticks spent in the weapon select
};
extern PartnerAutopilot gPartnerAutopilot;

// Player 2's held bits for this tick; every tick of the play scene with the partner set-up.
void DrivePartnerInput();
void StepPartnerWeaponSelect();
void StepPartnerAutopilot();
// At every stage start.
void ResetPartnerAutopilot();

// The bits the partner would hold this tick for craft `player` (0 or 1), given that craft's
// previous bits; the autopilot's logic without writing any pad. Counters advance as in
// DrivePartnerInput.
uint8_t PartnerHeldBits(int player, uint8_t previous);

void ResetPartnerGlobals();
