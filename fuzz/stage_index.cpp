// The stage index reader over arbitrary bytes: a file it refuses as damaged leaves no stage.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "engine/core/game_state.h"
#include "world/stage/stage_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!f) return 0;
    StageIndexRead read = ReadStageIndex(f);
    std::fclose(f);
    if (read.damagedLine > 0 && (read.stageFound || gGameState.stageCount != 0)) __builtin_trap();
    if (read.damagedLine == 0 && read.stageFound != (gGameState.stageCount > 0)) __builtin_trap();
    return 0;
}
