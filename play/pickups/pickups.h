// The coins destroyed enemies drop: Pickup records in one fixed pool of 1024, claimed from
// a rotating cursor. A coin falls, bounces, rises and pays its value into the score.
#pragma once

#include <array>
#include <cstdint>

struct PlayerCraft;

namespace pickup_kind {
constexpr int32_t kFree = 0;
constexpr int32_t kLarge = 1;   // pays 500
constexpr int32_t kMedium = 2;  // pays 100
constexpr int32_t kSmall = 3;   // pays 10
}  // namespace pickup_kind

// Timer value at which a coin pays and is freed.
constexpr int32_t kCoinPayTimer = 70;
// Timer value from which a coin rises.
constexpr int32_t kCoinRiseTimer = 60;
constexpr int32_t kScoreCap = 999999999;
// The ground height of a coin with no ground found below it (yet).
constexpr float kNoGroundHeight = -10000.0f;

struct Pickup {
    float position[3];
    float velocity[3];
    float groundHeight;  // course height below the coin; kNoGroundHeight with none found
    int32_t kind;        // 0 free
    int32_t timer;       // starts at 0..7
    float scale;         // 1.0 at spawn; scales the coin's own motion
    PlayerCraft* owner;  // the craft whose kill dropped it
};

constexpr int kPickupPoolSize = 1024;

struct PickupPool {
    std::array<Pickup, kPickupPoolSize> pickups;
    int32_t cursor;
};

extern PickupPool gPickupPool;

void ResetPickupPool();
void FreeAllPickups();
int CountPickups();
// What a coin of the kind pays (0 for other kinds).
int32_t CoinValue(int32_t kind);
// Adds to the score, capped at kScoreCap.
void AddScore(int32_t amount);

// Coins worth ten times the amount: amount mod 10 small, (amount / 10) mod 10 medium and
// 2 x (amount / 100) large ones.
void SpawnMoneyPickups(PlayerCraft* owner, float x, float y, float z, int32_t amount);
// n coins of one kind; nothing for n <= 0.
void SpawnPickups(PlayerCraft* owner, float x, float y, float z, int32_t kind, int32_t n);
