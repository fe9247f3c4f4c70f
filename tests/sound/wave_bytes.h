// RIFF WAVE files built in memory, for the sound tests and benchmarks.
#pragma once

#include <cstdint>
#include <vector>

namespace vqtest {

inline void PutLe(std::vector<uint8_t>* out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

inline void PutTag(std::vector<uint8_t>* out, const char* tag) {
    for (int i = 0; i < 4; ++i) out->push_back(static_cast<uint8_t>(tag[i]));
}

// A PCM WAVE file of interleaved samples (8-bit samples are given unsigned, 0..255).
inline std::vector<uint8_t> PcmWave(int rate, int channels, int bits,
                                    const std::vector<int32_t>& samples) {
    std::vector<uint8_t> data;
    for (int32_t s : samples) PutLe(&data, static_cast<uint32_t>(s), bits / 8);
    std::vector<uint8_t> out;
    PutTag(&out, "RIFF");
    PutLe(&out, static_cast<uint32_t>(36 + data.size()), 4);
    PutTag(&out, "WAVE");
    PutTag(&out, "fmt ");
    PutLe(&out, 16, 4);
    PutLe(&out, 1, 2);
    PutLe(&out, static_cast<uint32_t>(channels), 2);
    PutLe(&out, static_cast<uint32_t>(rate), 4);
    PutLe(&out, static_cast<uint32_t>(rate * channels * bits / 8), 4);
    PutLe(&out, static_cast<uint32_t>(channels * bits / 8), 2);
    PutLe(&out, static_cast<uint32_t>(bits), 2);
    PutTag(&out, "data");
    PutLe(&out, static_cast<uint32_t>(data.size()), 4);
    for (uint8_t b : data) out.push_back(b);
    return out;
}

// frames of one constant 16-bit value on both channels at 44100 Hz.
inline std::vector<uint8_t> ConstantWave(int16_t value, uint32_t frames) {
    return PcmWave(44100, 2, 16, std::vector<int32_t>(frames * 2, value));
}

}  // namespace vqtest
