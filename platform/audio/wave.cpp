// WAVE decoding: SDL reads the RIFF file and expands its coding to plain samples; an SDL
// audio conversion brings them to the mixer's format.
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

}  // namespace

bool DecodeWave(std::span<const uint8_t> wave, std::vector<int16_t>* stereo) {
    stereo->clear();
    if (wave.empty() || wave.size() > static_cast<size_t>(INT_MAX)) return false;
    SDL_RWops* rw = SDL_RWFromConstMem(wave.data(), static_cast<int>(wave.size()));
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
