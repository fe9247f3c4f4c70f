// The stage index reader over arbitrary bytes: a file it refuses as damaged leaves no stage,
// and whatever it takes stays within what each field can hold; each value it refuses or
// changes is kept with its line and what was done.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine/core/game_state.h"
#include "world/stage/stage_index.h"

namespace {

bool Within(const float* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i]) || std::fabs(values[i]) > kStageReach) return false;
    }
    return true;
}

// Every name field holds its terminator.
bool NamesTerminated(const StageInfo& s) {
    auto terminated = [](const char* name) {
        return std::memchr(name, 0, kStageNameBytes) != nullptr;
    };
    for (const auto& name : s.mapNames) {
        if (!terminated(name)) return false;
    }
    for (const auto& name : s.cameraNames) {
        if (!terminated(name)) return false;
    }
    return terminated(s.backgroundName);
}

// Every record as the reader leaves it (a record never opened is all zero).
bool RecordWithin(const StageInfo& s) {
    const float reals[] = {s.tileWidth, s.tileDepth,   s.fogStart,   s.fogEnd,
                           s.scroll,    s.floorHeight, s.waterHeight};
    return s.tileColumns >= 0 && s.tileColumns <= kFloorTileColumnsMax && s.tileRows >= 0 &&
           s.tileRows <= kFloorTileRowsMax && s.farClip >= 0 &&
           s.farClip <= static_cast<int32_t>(kStageReach) && s.farClip != 1 && Within(reals, 7) &&
           Within(s.sunPosition, 3) && Within(s.lightDirection, 3) && Within(s.lightColor, 3) &&
           Within(s.lightAmbient, 3) && s.mapCount >= 0 && s.mapCount <= kStageMapNames &&
           s.cameraCount >= 0 && s.cameraCount <= kStageCameraNames && NamesTerminated(s);
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
    if (read.valueMessageCount < 0) __builtin_trap();
    for (int32_t i = 0; i < read.valueMessageCount && i < kStageIndexValueMessagesKept; ++i) {
        const StageIndexValueMessage& m = read.valueMessages[i];
        if (m.line <= 0 || m.text[0] == 0) __builtin_trap();
    }
    return 0;
}
