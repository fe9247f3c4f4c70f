// The game's one random number generator: MT19937 with its standard seeding routines.
// Main thread only.
#pragma once

#include <cstdint>

struct RandomState {
    uint32_t words[624];
    uint32_t index;  // 625: never seeded; 624: all words used
};

extern RandomState gRandomState;
// Numbers drawn since program start (the replay harness reports it).
extern uint64_t gRandomDraws;

void SeedRandom(uint32_t seed);
void SeedRandomByArray(const uint32_t* key, int length);
// Seeds with the fixed key {0x123, 0x234, 0x345, 0x456}; the time is not used, so every run
// draws the same sequence.
void SeedRandomDefault(uint32_t time);
uint32_t NextRandom32();
// 0 .. 2,147,483,647.
int32_t RandomInt();
// 0.0 .. 1.0, both included, in steps of 1/65535.
float RandomUnit();
