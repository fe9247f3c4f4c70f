#include "platform/input/keyboard.h"

#include <atomic>

namespace input {

namespace {
std::atomic<uint8_t> gKeys[kKeyCount];
}

void SetKey(uint8_t code, bool down) {
    gKeys[code].store(down ? 0x80 : 0, std::memory_order_relaxed);
}

void ClearKeyboard() {
    for (auto& k : gKeys) k.store(0, std::memory_order_relaxed);
}

void ReadKeyboard(uint8_t state[kKeyCount]) {
    for (int i = 0; i < kKeyCount; ++i) state[i] = gKeys[i].load(std::memory_order_relaxed);
}

uint8_t KeyCodeFromHardware(uint32_t) {
    return 0;
}

}  // namespace input
