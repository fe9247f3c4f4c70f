#include "play/pickups/effects_step.h"

void UpdatePickups(const gfx::Vec3&) {}

void UpdateParticles(const gfx::Vec3&) {}
