#include "scenes/scene_globals.h"

#include "scenes/title/title.h"

void ResetSceneGlobals() {
    // Each scene resets its own records here.
    ResetTitleGlobals();
}

uint64_t DigestSceneGlobals(uint64_t digest) {
    // Each scene folds its records in here.
    digest = DigestTitleGlobals(digest);
    return digest;
}
