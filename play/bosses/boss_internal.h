// Helpers shared by the boss stages: the gauge sums over a stage's boss types, live enemies of
// a type, and the end of a boss transition's fade.
#pragma once

#include <cstdint>
#include <span>

struct Enemy;

namespace boss {

// An enemy takes part in a boss gauge while it is active (state 1).
bool IsLive(const Enemy& enemy);
// The enemy of a pool slot when it is live and of the type; null otherwise (also for slots
// outside the pool).
Enemy* LiveEnemyOfType(int32_t slot, int32_t type);

// Gauge maximum = the table hit points of every live enemy whose type is one of `types`;
// current = the same. Returns the maximum.
float InitGauge(std::span<const int32_t> types);
// Gauge current = the current hit points of every live enemy of those types.
void UpdateGaugeCurrent(std::span<const int32_t> types);

// The fade-out of a boss transition has run its length. The fade framework reports a finished
// fade-out for one tick only; a transition whose boss update did not run on that tick (the
// continue prompt was open, or both crafts of a two-player game were down) still sees it
// ended as long as no other fade has started since.
bool TransitionFadeEnded();
// Starts the long fade-out of a change of form.
void StartTransitionFade();
// Ends it: the normal fade length, and the fade-in.
void EndTransitionFade();
// Switches the view to the second camera rail and takes its key count as the rail's length,
// the rail position wrapped into it.
void SwitchToSecondRail();

}  // namespace boss
