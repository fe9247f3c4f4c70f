#include "play/play_globals.h"

#include "play/enemies/enemy_pool.h"
#include "play/waves/waves.h"

void ResetPlayGlobals() {
    // Each role of play resets its own records here.
    ResetEnemyGlobals();
}

void InstallPlayHooks() {
    // Each role of play that the stage world calls fills its hook here.
    InstallEnemyHooks();
}

uint64_t DigestPlayGlobals(uint64_t digest) {
    // Each role of play folds its records in here.
    digest = DigestEnemyGlobals(digest);
    return digest;
}
