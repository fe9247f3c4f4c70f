// Fuzzes the camera-path reader on a file held in memory.
#include <cstddef>
#include <cstdint>

#include "engine/stagefiles/camera_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int slot = size > 0 ? data[0] & 1 : 0;
    ReadAnimationKeys(reinterpret_cast<const char*>(data), size, slot);
    return 0;
}
