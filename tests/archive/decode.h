// Running either archive decoder from a test.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/archive/decompress.h"

namespace archivetest {

using Bytes = std::vector<uint8_t>;
using Decoder = ptrdiff_t (*)(std::span<const uint8_t>, std::span<uint8_t>);

// Decodes into a buffer of capacity bytes; the output, or nothing (with *corrupt set) when
// the decoder refuses the data.
inline Bytes Decode(Decoder decoder, const Bytes& packed, size_t capacity,
                    bool* corrupt = nullptr) {
    Bytes out(capacity, 0xEE);
    const ptrdiff_t n = decoder(packed, out);
    if (corrupt) *corrupt = n == kCorruptEntry;
    if (n < 0) return {};
    out.resize(static_cast<size_t>(n));
    return out;
}

inline Bytes Lz(const Bytes& packed, size_t capacity, bool* corrupt = nullptr) {
    return Decode(DecompressLzBlock, packed, capacity, corrupt);
}

inline Bytes Lzw(const Bytes& packed, size_t capacity, bool* corrupt = nullptr) {
    return Decode(DecompressLzwBlock, packed, capacity, corrupt);
}

}  // namespace archivetest
