// The ending (scene 3): the staff roll. Credit strips slide across the lower screen while
// the players fly their crafts in a small shooting game; each hit adds to the points total.
#pragma once

#include <array>
#include <cstdint>

constexpr int kEndingTargets = 300;
constexpr int kEndingShots = 30;
constexpr int32_t kEndingRollTicks = 5000;

struct EndingPlayer {
    float x, y;
    float drawX, drawY;
    int32_t cell;
    int32_t state;  // 0 none, 1 flying, 2 stunned
    int32_t timer;
    float angle;
    int32_t loop;  // 0 not looping, else 1..29
};

struct EndingTarget {
    float x, y;
    int32_t cell;
    int32_t state;  // 0 free, 1 flying, 2 hit
    int32_t timer;
    float angle;
};

struct EndingShot {
    float x, y, dx, dy;
    int32_t active;
    int32_t owner;  // player index
};

struct EndingState {
    std::array<EndingPlayer, 2> players;
    std::array<EndingTarget, kEndingTargets> targets;
    std::array<EndingShot, kEndingShots> shots;
    int32_t finished;
    int32_t scrollX;  // 0..639
    int32_t ticks;
    int32_t endCounter;
    int32_t variant;  // 0 normal, 1 after the extra stage
};

extern EndingState gEndingState;

// Starts the staff roll; variant 1 after the extra stage (it chooses the pictures).
void InitEnding(int32_t variant);
void UpdateEnding();
void DrawEnding();
void SpawnEndingTarget();
void SpawnEndingShot(float x, float y, int32_t owner);
void DrawEndingSprite(float x, float y, int32_t cell, float angle);
// Player 2's held pad bits when the computer flies it: called once per tick in scene 3 with
// the computer-partner set-up, before the pad edges are formed.
void UpdateEndingPartnerInput();
void ResetEndingGlobals();
