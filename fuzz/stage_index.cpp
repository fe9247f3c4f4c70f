// The stage index reader over arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "world/stage/stage_index.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (!f) return 0;
    ReadStageIndex(f);
    std::fclose(f);
    return 0;
}
