// Puts every global record of the scenes (title, events, result, shop, ending, game
// over) back to its program-start value.
#pragma once

#include <cstdint>

void ResetSceneGlobals();

// Folds every record of the scenes into a running FNV-1a digest.
uint64_t DigestSceneGlobals(uint64_t digest);
