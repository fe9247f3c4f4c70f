// WAVE decoding: our own walk over the RIFF chunks makes every declared length fit the
// bytes that are really there; SDL then reads the file and expands its coding to plain
// samples, and an SDL audio conversion brings them to the mixer's format.
#include <SDL.h>

#include <climits>
#include <cstring>

#include "platform/audio/audio.h"

namespace audio {

namespace {

// Rates outside this range are not sound files we can make sense of.
constexpr int kMinRate = 4000;
constexpr int kMaxRate = 192000;

struct LoadedWave {
    SDL_AudioSpec spec{};
    Uint8* data = nullptr;
    Uint32 length = 0;
    ~LoadedWave() {
        if (data) SDL_FreeWAV(data);
    }
};

uint32_t ReadLe32(const uint8_t* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void WriteLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// A copy of a RIFF WAVE file in which the RIFF length and every chunk length are cut to
// the bytes that follow them: a file cut short keeps what it has, and no reader is led to
// expect (or allocate for) data that is not there. False when it is no RIFF WAVE file.
bool FitChunkLengths(std::span<const uint8_t> wave, std::vector<uint8_t>* out) {
    if (wave.size() < 12 || std::memcmp(wave.data(), "RIFF", 4) != 0 ||
        std::memcmp(wave.data() + 8, "WAVE", 4) != 0) {
        return false;
    }
    out->assign(wave.begin(), wave.end());
    uint8_t* bytes = out->data();
    size_t end = out->size();
    if (ReadLe32(bytes + 4) > end - 8) WriteLe32(bytes + 4, static_cast<uint32_t>(end - 8));
    size_t at = 12;
    while (at + 8 <= end) {
        size_t room = end - at - 8;
        size_t length = ReadLe32(bytes + at + 4);
        if (length > room) {
            length = room;
            WriteLe32(bytes + at + 4, static_cast<uint32_t>(length));
        }
        at += 8 + length + (length & 1);  // chunks are padded to even lengths
    }
    return true;
}

}  // namespace

bool DecodeWave(std::span<const uint8_t> wave, std::vector<int16_t>* stereo) {
    stereo->clear();
    if (wave.size() > kMaxWaveBytes) return false;
    std::vector<uint8_t> file;
    if (!FitChunkLengths(wave, &file)) return false;
    SDL_RWops* rw = SDL_RWFromConstMem(file.data(), static_cast<int>(file.size()));
    if (!rw) return false;
    LoadedWave in;
    if (!SDL_LoadWAV_RW(rw, 1, &in.spec, &in.data, &in.length)) {
        in.data = nullptr;
        return false;
    }
    const SDL_AudioSpec& spec = in.spec;
    if (spec.freq < kMinRate || spec.freq > kMaxRate || spec.channels == 0) return false;
    uint32_t frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    if (frameBytes == 0) return false;
    uint64_t inFrames = in.length / frameBytes;
    uint64_t outFrames = inFrames * kSampleRate / static_cast<uint64_t>(spec.freq);
    if (inFrames == 0 || outFrames > kMaxSegmentFrames) return false;

    if (spec.format == AUDIO_S16SYS && spec.channels == kChannels && spec.freq == kSampleRate) {
        stereo->resize(inFrames * kChannels);
        std::memcpy(stereo->data(), in.data, inFrames * frameBytes);
        return true;
    }

    // One conversion of the whole buffer: coding, channels and rate.
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, spec.format, spec.channels, spec.freq, AUDIO_S16SYS, kChannels,
                          kSampleRate) < 0) {
        return false;
    }
    size_t inBytes = static_cast<size_t>(inFrames) * frameBytes;
    size_t room = inBytes * static_cast<size_t>(cvt.len_mult);
    if (room > static_cast<size_t>(INT_MAX)) return false;
    std::vector<uint8_t> work(room);
    std::memcpy(work.data(), in.data, inBytes);
    cvt.buf = work.data();
    cvt.len = static_cast<int>(inBytes);
    if (SDL_ConvertAudio(&cvt) != 0 || cvt.len_cvt <= 0) return false;
    size_t samples = static_cast<size_t>(cvt.len_cvt) / sizeof(int16_t);
    samples -= samples % kChannels;
    if (samples == 0 || samples / kChannels > kMaxSegmentFrames) return false;
    stereo->resize(samples);
    std::memcpy(stereo->data(), work.data(), samples * sizeof(int16_t));
    return true;
}

}  // namespace audio
