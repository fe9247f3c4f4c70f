// The state digest: a 64-bit FNV-1a fold of the bytes of the game's records. Each layer's
// Digest*Globals folds its own records into the running value, so two runs that end with
// the same records give the same digest.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint64_t kDigestPrime = 1099511628211ull;

// Folds size bytes from data into digest.
inline uint64_t FoldDigest(uint64_t digest, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        digest ^= bytes[i];
        digest *= kDigestPrime;
    }
    return digest;
}

// Folds the bytes of one record (padding included) into digest.
template <typename T>
uint64_t FoldDigestValue(uint64_t digest, const T& value) {
    return FoldDigest(digest, &value, sizeof value);
}
