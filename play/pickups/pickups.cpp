#include "play/pickups/pickups.h"

#include "engine/core/game_state.h"

PickupPool gPickupPool;

void ResetPickupPool() {
    gPickupPool = PickupPool{};
}

void FreeAllPickups() {
    for (Pickup& p : gPickupPool.pickups) p.kind = pickup_kind::kFree;
}

int CountPickups() {
    int n = 0;
    for (const Pickup& p : gPickupPool.pickups) n += p.kind != 0;
    return n;
}

int32_t CoinValue(int32_t kind) {
    switch (kind) {
        case pickup_kind::kLarge:
            return 500;
        case pickup_kind::kMedium:
            return 100;
        case pickup_kind::kSmall:
            return 10;
        default:
            return 0;
    }
}

void AddScore(int32_t amount) {
    int64_t score = static_cast<int64_t>(gGameState.score) + amount;
    gGameState.score = static_cast<int32_t>(score > kScoreCap ? kScoreCap : score);
}

void SpawnMoneyPickups(PlayerCraft*, float, float, float, int32_t) {}

void SpawnPickups(PlayerCraft*, float, float, float, int32_t, int32_t) {}
