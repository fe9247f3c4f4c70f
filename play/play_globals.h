// The play layer's global records as a whole: their reset, and the hooks through which
// the stage world reaches play (map-placed enemies, the enemy models a stage needs).
#pragma once

#include <cstdint>

// Puts every record and pool of stage play back to its program-start value.
void ResetPlayGlobals();

// Fills the stage world's hooks into play.
void InstallPlayHooks();

// Folds every record and pool of stage play into a running FNV-1a digest (the replay
// harness's state digest).
uint64_t DigestPlayGlobals(uint64_t digest);
