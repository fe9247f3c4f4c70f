#include "play/shots/shot_pool.h"

#include <cstddef>

ShotPool gShotPool;

void ResetShotPool() {
    gShotPool = ShotPool{};
}

void FreeAllShots() {
    for (Shot& shot : gShotPool.shots) shot.kind = shot_kind::kFree;
}

int ShotIndex(const Shot* shot) {
    const Shot* first = gShotPool.shots.data();
    if (shot < first || shot >= first + kShotPoolSize) return -1;
    return static_cast<int>(shot - first);
}

Shot* ShotAtIndex(int index) {
    if (index < 0 || index >= kShotPoolSize) return nullptr;
    return &gShotPool.shots[static_cast<size_t>(index)];
}

bool IsShotGenerationStale(int32_t generation) {
    return generation != gShotPool.generation;
}

void NextShotGeneration() {
    gShotPool.generation += 1;
}

int32_t NextShotSerial() {
    return gShotPool.serial++;
}

Shot* ClaimFreeShotSlot() {
    return nullptr;
}

void SpawnShotAt(PlayerCraft*, float, float, float, int32_t) {}

int SpawnShotKind7FromOwner(PlayerCraft*, float) {
    return -1;
}

int SpawnShotKind33Or34FromOwner(PlayerCraft*, float, int) {
    return -1;
}

void SpawnShotKind8InSlot(PlayerCraft*, int) {}

void FirePlayerWeapon(PlayerCraft*, int32_t) {}

void AimHomingShot(PlayerCraft*, Shot*) {}

void SpawnEnemyMissile(Enemy*, const float*) {}
