#include "engine/random/random.h"

namespace {
constexpr int kN = 624;
constexpr int kM = 397;
constexpr uint32_t kMatrix[2] = {0u, 0x9908B0DFu};
constexpr uint32_t kUpperMask = 0x80000000u;
constexpr uint32_t kLowerMask = 0x7FFFFFFFu;
}  // namespace

RandomState gRandomState = {{}, kN + 1};
uint64_t gRandomDraws = 0;

void SeedRandom(uint32_t seed) {
    uint32_t* mt = gRandomState.words;
    mt[0] = seed;
    for (uint32_t i = 1; i < kN; ++i) mt[i] = 1812433253u * (mt[i - 1] ^ (mt[i - 1] >> 30)) + i;
    gRandomState.index = kN;
}

void SeedRandomByArray(const uint32_t* key, int length) {
    uint32_t* mt = gRandomState.words;
    SeedRandom(19650218u);
    uint32_t i = 1, j = 0;
    uint32_t len = length > 0 ? static_cast<uint32_t>(length) : 0u;
    for (uint32_t k = kN > len ? kN : len; k; --k) {
        mt[i] = (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1664525u)) + (len ? key[j] : 0u) + j;
        ++i;
        ++j;
        if (i >= kN) {
            mt[0] = mt[kN - 1];
            i = 1;
        }
        if (j >= len) j = 0;
    }
    for (uint32_t k = kN - 1; k; --k) {
        mt[i] = (mt[i] ^ ((mt[i - 1] ^ (mt[i - 1] >> 30)) * 1566083941u)) - i;
        ++i;
        if (i >= kN) {
            mt[0] = mt[kN - 1];
            i = 1;
        }
    }
    mt[0] = 0x80000000u;
}

void SeedRandomDefault(uint32_t) {
    static const uint32_t kKey[4] = {0x123, 0x234, 0x345, 0x456};
    SeedRandomByArray(kKey, 4);
}

uint32_t NextRandom32() {
    ++gRandomDraws;
    uint32_t* mt = gRandomState.words;
    if (gRandomState.index >= kN) {
        if (gRandomState.index == kN + 1) SeedRandom(5489u);
        int k = 0;
        uint32_t y;
        for (; k < kN - kM; ++k) {
            y = (mt[k] & kUpperMask) | (mt[k + 1] & kLowerMask);
            mt[k] = mt[k + kM] ^ (y >> 1) ^ kMatrix[y & 1u];
        }
        for (; k < kN - 1; ++k) {
            y = (mt[k] & kUpperMask) | (mt[k + 1] & kLowerMask);
            mt[k] = mt[k + (kM - kN)] ^ (y >> 1) ^ kMatrix[y & 1u];
        }
        y = (mt[kN - 1] & kUpperMask) | (mt[0] & kLowerMask);
        mt[kN - 1] = mt[kM - 1] ^ (y >> 1) ^ kMatrix[y & 1u];
        gRandomState.index = 0;
    }
    uint32_t y = mt[gRandomState.index++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

int32_t RandomInt() {
    uint32_t u = NextRandom32();
    // 0x80000000 has no positive counterpart in 32 bits; it is read as the largest value.
    if (u == 0x80000000u) return 0x7FFFFFFF;
    int32_t v = static_cast<int32_t>(u);
    return v < 0 ? -v : v;
}

float RandomUnit() {
    return static_cast<float>(NextRandom32() & 0xFFFFu) / 65535.0f;
}
