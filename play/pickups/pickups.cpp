#include "play/pickups/pickups.h"

#include <cmath>
#include <cstddef>

#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "platform/gfx/math.h"

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

void SpawnMoneyPickups(PlayerCraft* owner, float x, float y, float z, int32_t amount) {
    int32_t small = amount % 10;
    int32_t medium = (amount / 10) % 10;
    int32_t large = ((amount / 10) - medium) / 5;
    SpawnPickups(owner, x, y, z, pickup_kind::kSmall, small);
    SpawnPickups(owner, x, y, z, pickup_kind::kMedium, medium);
    SpawnPickups(owner, x, y, z, pickup_kind::kLarge, large);
}

void SpawnPickups(PlayerCraft* owner, float x, float y, float z, int32_t kind, int32_t n) {
    if (n <= 0) return;
    int stepsLeft = kPickupPoolSize;
    for (int made = 0; made < n;) {
        if (stepsLeft-- <= 0) return;  // one full pass: the rest is dropped
        Pickup& coin = gPickupPool.pickups[static_cast<size_t>(gPickupPool.cursor)];
        gPickupPool.cursor = (gPickupPool.cursor + 1) % kPickupPoolSize;
        if (coin.kind != pickup_kind::kFree) continue;
        coin = Pickup{};
        coin.owner = owner;
        coin.position[0] = x;
        coin.position[1] = y;
        coin.position[2] = z;
        coin.timer = RandomInt() & 7;
        coin.kind = kind;
        coin.scale = 1.0f;
        // No ground is known until the coin's first downward ray, up to 7 ticks away: it
        // falls until then rather than bouncing off a ground at height 0.
        coin.groundHeight = kNoGroundHeight;
        float r = 2.0f * (RandomUnit() + 0.2f);
        float a = 2.0f * gfx::kPi * RandomUnit();
        coin.velocity[0] = r * std::sin(a);
        coin.velocity[1] = 1.8f * (RandomUnit() + 0.2f);
        coin.velocity[2] = r * std::cos(a);
        ++made;
    }
}
