// The picture archive's LZW decoder over arbitrary bytes. The first two bytes choose the
// output buffer's size; the decoder must stay inside both buffers and be deterministic.
#include <cstring>
#include <vector>

#include "engine/archive/decompress.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t capacity = static_cast<size_t>(data[0]) << 8 | data[1];
    std::vector<uint8_t> packed(data + 2, data + size);
    std::vector<uint8_t> out(capacity);
    const ptrdiff_t n = DecompressLzwBlock(packed, out);
    if (n != kCorruptEntry && (n < 0 || static_cast<size_t>(n) > capacity)) __builtin_trap();
    std::vector<uint8_t> again(capacity);
    if (DecompressLzwBlock(packed, again) != n) __builtin_trap();
    if (n > 0 && std::memcmp(out.data(), again.data(), static_cast<size_t>(n)) != 0) {
        __builtin_trap();
    }
    return 0;
}
