#include "scenes/scene_globals.h"

#include <cstddef>

#include "scenes/ending/ending.h"
#include "scenes/game_over/game_over.h"

namespace {

uint64_t Fold(uint64_t digest, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        digest ^= bytes[i];
        digest *= 1099511628211ull;
    }
    return digest;
}

template <typename T>
uint64_t FoldValue(uint64_t digest, const T& value) {
    return Fold(digest, &value, sizeof value);
}

}  // namespace

void ResetSceneGlobals() {
    // Each scene resets its own records here.
    ResetEndingGlobals();
    ResetGameOverGlobals();
}

uint64_t DigestSceneGlobals(uint64_t digest) {
    // Each scene folds its records in here.
    digest = FoldValue(digest, gEndingState);
    digest = FoldValue(digest, gGameOverState);
    return digest;
}
