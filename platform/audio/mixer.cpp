// The mixer: fixed tables of paths and voices, the stream ring, and the mixing itself.
// Gains are 16.16 fixed point; each voice adds its samples times its path's gain into a
// 32-bit accumulator, and the sum is clipped to 16 bits once at the end.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <mutex>

#include "platform/audio/audio.h"
#include "platform/audio/output.h"

namespace audio {

struct Segment {
    std::vector<int16_t> samples;  // interleaved stereo
    uint32_t frames = 0;
    bool repeat = false;
};

namespace {

constexpr int32_t kUnityGain = 1 << 16;
constexpr uint32_t kMixChunk = 512;  // frames mixed per pass of the accumulator

struct Path {
    bool used;
    int32_t gain;  // 16.16
    VoiceId primary;
};

struct Voice {
    VoiceId id;  // kNoVoice when free
    const Segment* segment;
    PathId path;
    uint32_t position;  // next frame to mix
    uint64_t played;    // frames mixed in all
};

struct Mixer {
    std::mutex lock;
    bool open = false;
    Backend backend = Backend::Null;
    int pathFailures = 0;  // test hook
    std::array<Path, kPathCount> paths{};
    std::array<Voice, kVoiceCount> voices{};
    VoiceId nextId = 1;
    // The stream ring: interleaved frames, read at head, written at head + count.
    std::vector<int16_t> ring;
    uint32_t ringHead = 0;
    uint32_t ringCount = 0;
    bool streaming = false;
};

Mixer gMixer;

int32_t FixedGain(int32_t volume) {
    return static_cast<int32_t>(std::lround(GainOfVolume(volume) * kUnityGain));
}

bool ValidPath(PathId path) {
    return path >= 0 && path < kPathCount && gMixer.paths[path].used;
}

Voice* FindVoice(VoiceId id) {
    if (id == kNoVoice) return nullptr;
    for (Voice& v : gMixer.voices) {
        if (v.id == id) return &v;
    }
    return nullptr;
}

void StopVoice(Voice* v) {
    v->id = kNoVoice;
    v->segment = nullptr;
}

VoiceId StartVoice(PathId path, const Segment* segment) {
    for (Voice& v : gMixer.voices) {
        if (v.id != kNoVoice) continue;
        VoiceId id = gMixer.nextId++;
        if (gMixer.nextId == kNoVoice) gMixer.nextId = 1;
        v = Voice{id, segment, path, 0, 0};
        return id;
    }
    return kNoVoice;  // every voice sounds: the play is dropped
}

// dst[i] += src[i] x gain (16.16); the two never overlap.
void AddScaled(int32_t* __restrict dst, const int16_t* __restrict src, uint32_t count,
               int32_t gain) {
    for (uint32_t i = 0; i < count; ++i) dst[i] += (src[i] * gain) >> 16;
}

void ClipTo16(int16_t* __restrict out, const int32_t* __restrict acc, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        out[i] = static_cast<int16_t>(std::clamp(acc[i], -32768, 32767));
    }
}

// Adds one voice's next frames to the accumulator; returns false when it ended.
bool MixVoice(Voice* v, int32_t gain, int32_t* acc, uint32_t frames) {
    const Segment* s = v->segment;
    uint32_t done = 0;
    while (done < frames) {
        if (v->position >= s->frames) {
            if (!s->repeat) return false;
            v->position = 0;
        }
        uint32_t n = std::min(frames - done, s->frames - v->position);
        if (gain != 0) {
            AddScaled(acc + static_cast<size_t>(done) * kChannels,
                      s->samples.data() + static_cast<size_t>(v->position) * kChannels,
                      n * kChannels, gain);
        }
        v->position += n;
        v->played += n;
        done += n;
    }
    if (v->position >= s->frames && !s->repeat) return false;
    return true;
}

void MixStream(int32_t* acc, uint32_t frames) {
    uint32_t n = std::min(frames, gMixer.ringCount);
    const uint32_t capacity = kStreamCapacity;
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t at = (gMixer.ringHead + i) % capacity * kChannels;
        acc[i * kChannels] += gMixer.ring[at];
        acc[i * kChannels + 1] += gMixer.ring[at + 1];
    }
    gMixer.ringHead = (gMixer.ringHead + n) % capacity;
    gMixer.ringCount -= n;
}

void MixLocked(int16_t* out, uint32_t frames) {
    int32_t acc[kMixChunk * kChannels];
    while (frames > 0) {
        uint32_t n = std::min(frames, kMixChunk);
        std::memset(acc, 0, sizeof(int32_t) * n * kChannels);
        for (Voice& v : gMixer.voices) {
            if (v.id == kNoVoice) continue;
            int32_t gain = ValidPath(v.path) ? gMixer.paths[v.path].gain : 0;
            if (!MixVoice(&v, gain, acc, n)) StopVoice(&v);
        }
        if (gMixer.streaming) MixStream(acc, n);
        ClipTo16(out, acc, n * kChannels);
        out += n * kChannels;
        frames -= n;
    }
}

}  // namespace

namespace detail {

void Mix(int16_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!gMixer.open) {
        std::memset(out, 0, sizeof(int16_t) * frames * kChannels);
        return;
    }
    MixLocked(out, frames);
}

}  // namespace detail

bool Open(Backend backend) {
    {
        std::lock_guard<std::mutex> hold(gMixer.lock);
        if (gMixer.open) return true;
        gMixer.paths = {};
        gMixer.voices = {};
        gMixer.ring.assign(static_cast<size_t>(kStreamCapacity) * kChannels, 0);
        gMixer.ringHead = gMixer.ringCount = 0;
        gMixer.streaming = false;
        gMixer.backend = backend;
        gMixer.open = true;
    }
    // The device thread may call Mix as soon as it starts: the mixer is ready before it.
    if (backend == Backend::Sdl && !detail::OpenSdlOutput()) {
        std::lock_guard<std::mutex> hold(gMixer.lock);
        gMixer.open = false;
        gMixer.ring = {};
        return false;
    }
    return true;
}

void BeginOpen(Backend backend) {
    if (backend != Backend::Sdl || IsOpen()) return;
    detail::BeginSdlOutput();
}

void Close() {
    bool open;
    {
        std::lock_guard<std::mutex> hold(gMixer.lock);
        open = gMixer.open;
    }
    // Also when the mixer is closed: an opening begun and never taken ends here.
    detail::CloseSdlOutput();
    if (!open) return;
    std::lock_guard<std::mutex> hold(gMixer.lock);
    gMixer.open = false;
    gMixer.paths = {};
    gMixer.voices = {};
    gMixer.ring = {};
    gMixer.ringHead = gMixer.ringCount = 0;
    gMixer.streaming = false;
}

bool IsOpen() {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    return gMixer.open;
}

Segment* LoadSegment(std::span<const uint8_t> wave) {
    if (!IsOpen()) return nullptr;
    auto* segment = new Segment;
    if (!DecodeWave(wave, &segment->samples)) {
        delete segment;
        return nullptr;
    }
    segment->frames = static_cast<uint32_t>(segment->samples.size() / kChannels);
    return segment;
}

void FreeSegment(Segment* segment) {
    if (!segment) return;
    StopSegment(segment);
    delete segment;
}

void SetRepeat(Segment* segment, bool forever) {
    if (!segment) return;
    std::lock_guard<std::mutex> hold(gMixer.lock);
    segment->repeat = forever;
}

bool SegmentRepeats(const Segment* segment) {
    return segment && segment->repeat;
}

uint32_t SegmentFrames(const Segment* segment) {
    return segment ? segment->frames : 0;
}

PathId CreatePath() {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!gMixer.open) return kNoPath;
    if (gMixer.pathFailures > 0) {
        --gMixer.pathFailures;
        return kNoPath;
    }
    for (int i = 0; i < kPathCount; ++i) {
        if (gMixer.paths[i].used) continue;
        gMixer.paths[i] = Path{true, kUnityGain, kNoVoice};
        return i;
    }
    return kNoPath;
}

void DestroyPath(PathId path) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!ValidPath(path)) return;
    for (Voice& v : gMixer.voices) {
        if (v.id != kNoVoice && v.path == path) StopVoice(&v);
    }
    gMixer.paths[path] = Path{};
}

float GainOfVolume(int32_t volume) {
    if (volume <= kSilenceVolume) return 0.0f;
    if (volume >= 0) return 1.0f;
    return static_cast<float>(std::pow(10.0, volume / 2000.0));
}

void SetPathVolume(PathId path, int32_t volume) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!ValidPath(path)) return;
    gMixer.paths[path].gain = FixedGain(volume);
}

float PathGain(PathId path) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!ValidPath(path)) return 0.0f;
    return static_cast<float>(gMixer.paths[path].gain) / kUnityGain;
}

VoiceId PlayPrimary(PathId path, const Segment* segment) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!ValidPath(path) || !segment) return kNoVoice;
    if (Voice* old = FindVoice(gMixer.paths[path].primary)) StopVoice(old);
    VoiceId id = StartVoice(path, segment);
    gMixer.paths[path].primary = id;
    return id;
}

VoiceId PlaySecondary(PathId path, const Segment* segment) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!ValidPath(path) || !segment) return kNoVoice;
    return StartVoice(path, segment);
}

void StopSegment(const Segment* segment) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    for (Voice& v : gMixer.voices) {
        if (v.id != kNoVoice && v.segment == segment) StopVoice(&v);
    }
}

void StopAll() {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    for (Voice& v : gMixer.voices) StopVoice(&v);
    gMixer.ringHead = gMixer.ringCount = 0;
    gMixer.streaming = false;
}

bool IsVoicePlaying(VoiceId voice) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    return FindVoice(voice) != nullptr;
}

uint64_t VoicePosition(VoiceId voice) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    const Voice* v = FindVoice(voice);
    return v ? v->played : 0;
}

void StartStream() {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!gMixer.open) return;
    gMixer.ringHead = gMixer.ringCount = 0;
    gMixer.streaming = true;
}

uint32_t WriteStream(const int16_t* frames, uint32_t count) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!gMixer.open || !gMixer.streaming) return 0;
    uint32_t n = std::min(count, kStreamCapacity - gMixer.ringCount);
    for (uint32_t i = 0; i < n; ++i) {
        uint32_t at = (gMixer.ringHead + gMixer.ringCount + i) % kStreamCapacity * kChannels;
        gMixer.ring[at] = frames[i * kChannels];
        gMixer.ring[at + 1] = frames[i * kChannels + 1];
    }
    gMixer.ringCount += n;
    return n;
}

uint32_t StreamQueued() {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    return gMixer.streaming ? gMixer.ringCount : 0;
}

void StopStream() {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    gMixer.ringHead = gMixer.ringCount = 0;
    gMixer.streaming = false;
}

void Render(int16_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    if (!gMixer.open || gMixer.backend != Backend::Null) {
        std::memset(out, 0, sizeof(int16_t) * frames * kChannels);
        return;
    }
    MixLocked(out, frames);
}

void FailNextPathCreations(int count) {
    std::lock_guard<std::mutex> hold(gMixer.lock);
    gMixer.pathFailures = std::max(count, 0);
}

}  // namespace audio
