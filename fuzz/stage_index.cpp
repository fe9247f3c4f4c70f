// The stage index reader over arbitrary bytes: a file it refuses as damaged leaves no stage,
// and whatever it takes stays within what each field can hold; each value it refuses is
// kept with its line and why.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "engine/core/game_state.h"
#include "world/stage/stage_index.h"

namespace {

bool Within(const float* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i]) || std::fabs(values[i]) > kStageReach) return false;
    }
    return true;
}

bool ColourWithin(const int32_t* rgb) {
    for (int i = 0; i < 3; ++i) {
        if (rgb[i] < 0 || rgb[i] > 255) return false;
    }
    return true;
}

// Every record as the reader leaves it (a record never opened is all zero).
bool RecordWithin(const StageInfo& s) {
    const float reals[] = {s.tileWidth, s.tileDepth,   s.fogStart,   s.fogEnd,
                           s.scroll,    s.floorHeight, s.waterHeight};
    return s.mapType >= 0 && s.mapType <= kPlacedMeshCourse && s.tileColumns >= 0 &&
           s.tileColumns <= kFloorTileColumnsMax && s.tileRows >= 0 &&
           s.tileRows <= kFloorTileRowsMax && s.drawCode >= 0 && s.drawCode < kStageDrawCodes &&
           s.farClip >= 0 && s.farClip <= static_cast<int32_t>(kStageReach) && s.farClip != 1 &&
           Within(reals, 7) && Within(s.sunPosition, 3) && Within(s.lightDirection, 3) &&
           Within(s.lightColor, 3) && Within(s.lightAmbient, 3) && ColourWithin(s.fogColor) &&
           ColourWithin(s.backColor) && (s.fogStart == 0.0f || s.fogEnd != s.fogStart);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!f) return 0;
    StageIndexRead read = ReadStageIndex(f);
    std::fclose(f);
    if (read.damagedLine > 0 && (read.stageFound || gGameState.stageCount != 0)) __builtin_trap();
    if (read.damagedLine == 0 && read.stageFound != (gGameState.stageCount > 0)) __builtin_trap();
    for (const StageInfo& s : gStageInfo) {
        if (!RecordWithin(s)) __builtin_trap();
    }
    if (read.refusedCount < 0) __builtin_trap();
    for (int32_t i = 0; i < read.refusedCount && i < kStageIndexRefusalsKept; ++i) {
        const StageIndexRefusal& r = read.refused[i];
        if (r.line <= 0 || r.why[0] == 0) __builtin_trap();
    }
    return 0;
}
