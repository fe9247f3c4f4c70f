// The per-tick flight of every live shot: motion by kind, homing, lifetimes, the
// off-screen and course tests, and when each kind asks the hit resolution.
#pragma once

// Moves every live shot once (both sides), in pool order.
void UpdateShots();
