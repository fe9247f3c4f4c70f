// Fuzzes the map-mesh text reader on a file held in memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "engine/stagefiles/map_mesh.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the path, so the turned boss map is reached as well.
    const char* path = (data[0] & 1) ? "xfile/bossS01/boss01.x" : "xfile/stage1/map01.x";
    FILE* file = fmemopen(const_cast<uint8_t*>(data + 1), size - 1 ? size - 1 : 1, "r");
    if (!file) return 0;
    MapMeshCounts counts;
    ReadMapMeshFile(file, path, &counts);
    std::fclose(file);
    return 0;
}
