// The computer partner: with the one-player-and-computer set-up the second craft is flown
// by making up player 2's held pad bits each tick, before the edges are formed, so that
// everything downstream treats them like a person's input.
#pragma once

#include <array>
#include <cstdint>

struct PartnerAutopilot {
    int32_t weaveTicks;   // ticks of the autopilot outside the weapon select
    int32_t selectTicks;  // ticks spent in the weapon select
};
// The partner flies craft 1 with the counters of entry 1. Entry 0 serves the test aid that
// lets the same logic fly craft 0.
extern std::array<PartnerAutopilot, 2> gPartnerAutopilots;

// Player 2's held bits for this tick; every tick of the play scene with the partner set-up.
void DrivePartnerInput();
// At every stage start.
void ResetPartnerAutopilot();

// The bits the partner logic holds this tick for craft `player` (0 or 1), from that craft's
// bits of the last tick; advances that craft's counters.
uint8_t PartnerHeldBits(int player, uint8_t previous);
uint8_t StepPartnerWeaponSelect(int player, uint8_t previous);
uint8_t StepPartnerAutopilot(int player, uint8_t previous);

void ResetPartnerGlobals();
