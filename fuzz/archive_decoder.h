// The check both decoder fuzz targets make: the first two bytes of the input choose the
// output buffer's size, the rest is packed data. The decoder must stay inside both
// (exact-size heap buffers, so the sanitizer sees any step outside), report a size within
// the buffer, and give the same result twice.
#pragma once

#include <cstring>
#include <vector>

#include "engine/archive/decompress.h"

inline void CheckArchiveDecoder(ptrdiff_t (*decoder)(std::span<const uint8_t>, std::span<uint8_t>),
                                const uint8_t* data, size_t size) {
    if (size < 2) return;
    const size_t capacity = static_cast<size_t>(data[0]) << 8 | data[1];
    const std::vector<uint8_t> packed(data + 2, data + size);
    std::vector<uint8_t> out(capacity);
    const ptrdiff_t n = decoder(packed, out);
    if (n != kCorruptEntry && (n < 0 || static_cast<size_t>(n) > capacity)) __builtin_trap();
    std::vector<uint8_t> again(capacity);
    if (decoder(packed, again) != n) __builtin_trap();
    if (n > 0 && std::memcmp(out.data(), again.data(), static_cast<size_t>(n)) != 0) {
        __builtin_trap();
    }
}
