// The per-tick motion, ageing, payout and removal of the coins and particles, run by the
// world's effect update through its hooks.
#pragma once

#include "platform/gfx/math.h"

// Coins: fall, bounce on the course, rise and pay at timer 70.
void UpdatePickups(const gfx::Vec3& carry);
// Particles by kind.
void UpdateParticles(const gfx::Vec3& carry);
