#include "play/play_globals.h"

void ResetPlayGlobals() {
    // Each role of play resets its own records here.
}

void InstallPlayHooks() {
    // Each role of play that the stage world calls fills its hook here.
}

uint64_t DigestPlayGlobals(uint64_t digest) {
    // Each role of play folds its records in here.
    return digest;
}
