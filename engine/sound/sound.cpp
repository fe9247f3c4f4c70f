#include "engine/sound/sound.h"

#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/core/context.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "platform/system/system.h"
#include "resources/resources.h"

namespace {

constexpr SoundState InitialSoundState() {
    SoundState s{};
    s.musicPath = audio::kNoPath;
    s.effectPath = audio::kNoPath;
    s.currentTrack = kNoMusic;
    s.fadeLength = 60;
    s.fadeDone = 1;
    return s;
}

struct MusicFile {
    const char* path;
    bool loops;
};

constexpr MusicFile kMusicFiles[kMusicTrackCount] = {
    {"BGM/title.wav", true},  {"BGM/stage1.wav", true},   {"BGM/stage2.wav", true},
    {"BGM/stage3.wav", true}, {"BGM/intervel.wav", true}, {"BGM/shop.wav", true},
    {"BGM/ed.wav", true},     {"BGM/staff.wav", true},    {"BGM/result.wav", false},
    {"BGM/over.wav", false},  {"BGM/select.wav", true},
};

constexpr double kPi = 3.14159265358979323846;

audio::Backend OutputBackend() {
    return gPlatform.backends.audio == PlatformBackends::Audio::Sdl ? audio::Backend::Sdl
                                                                    : audio::Backend::Null;
}

int32_t ClampLevel(int32_t level) {
    return level < 0 ? 0 : level > 9 ? 9 : level;
}

// 9600 x cos((9 - level) x pi x 0.4 / 9): the level's distance below full volume.
double LevelCurve(int32_t level) {
    return 9600.0 * std::cos((9 - level) * kPi * 0.4 / 9.0);
}

// The music decoded on a thread of its own at start-up, so that the title does not wait
// for tracks it does not play yet. A track is used only once it is marked decoded.
struct MusicLoader {
    std::thread worker;
    std::atomic<bool> stop{false};
    std::atomic<uint8_t> decoded[kMusicTrackCount] = {};
    std::mutex lock;
    std::condition_variable changed;
};
MusicLoader gMusicLoader;

// The title's track first, then the select track the title plays next, then the others.
constexpr int32_t kMusicLoadOrder[kMusicTrackCount] = {
    kTrackTitle, kTrackSelect, kTrackStage1, kTrackStage2, kTrackStage3,   kTrackInterval,
    kTrackShop,  kTrackEnding, kTrackStaff,  kTrackResult, kTrackGameOver,
};

// A track whose file is missing, is no regular file, is longer than the decoder takes or
// cannot be read stays silent.
void LoadMusicTrack(int32_t track) {
    sys::DataFileBytes bytes;
    if (sys::ReadWholeDataFile(kMusicFiles[track].path, audio::kMaxWaveBytes, &bytes) !=
        sys::DataFileRead::Read) {
        return;
    }
    audio::Segment* segment = audio::LoadSegment(bytes.Bytes());
    if (!segment) return;
    audio::SetRepeat(segment, kMusicFiles[track].loops);
    gSoundState.musicSegments[track] = segment;
}

void MarkDecoded(int32_t track) {
    {
        std::lock_guard<std::mutex> hold(gMusicLoader.lock);
        gMusicLoader.decoded[track].store(1, std::memory_order_release);
    }
    gMusicLoader.changed.notify_all();
}

void DecodeMusicInBackground() {
    for (int32_t track : kMusicLoadOrder) {
        // A track not decoded when the sound shuts down is left empty.
        if (!gMusicLoader.stop.load(std::memory_order_acquire)) LoadMusicTrack(track);
        MarkDecoded(track);
    }
}

// Ends the decoding thread, if one runs; the tracks it did not reach stay empty.
void StopMusicLoader() {
    if (!gMusicLoader.worker.joinable()) return;
    gMusicLoader.stop.store(true, std::memory_order_release);
    gMusicLoader.worker.join();
    gMusicLoader.stop.store(false, std::memory_order_release);
}

}  // namespace

SoundState gSoundState = InitialSoundState();

void WaitForMusicTrack(int32_t track) {
    if (track < 0 || track >= kMusicTrackCount) return;
    if (gMusicLoader.decoded[track].load(std::memory_order_acquire)) return;
    // Nothing decodes: the track is as InitSound left it.
    if (!gMusicLoader.worker.joinable()) return;
    std::unique_lock<std::mutex> hold(gMusicLoader.lock);
    gMusicLoader.changed.wait(
        hold, [track] { return gMusicLoader.decoded[track].load(std::memory_order_acquire) != 0; });
}

void WaitForMusicLoaded() {
    for (int32_t track = 0; track < kMusicTrackCount; ++track) WaitForMusicTrack(track);
}

void ResetSoundState() {
    // No decoding thread may write into the record once it is reset.
    StopMusicLoader();
    gSoundState = InitialSoundState();
}

int32_t VolumeOfLevel(int32_t level) {
    level = ClampLevel(level);
    if (level == 0) return kMutedVolume;
    return static_cast<int32_t>(LevelCurve(level) - 9600.0);
}

int32_t FadeVolume(int32_t level, int32_t counter, int32_t length) {
    level = ClampLevel(level);
    if (level == 0 || length <= 0) return kMutedVolume;
    double fade = std::cos(counter * kPi * 0.5 / length);
    return static_cast<int32_t>(LevelCurve(level) * fade - 9600.0);
}

int32_t FindEffectSlot(SoundEffectId id) {
    for (int32_t slot = 0; slot < kEffectSlotCount; ++slot) {
        if (kEffectSlotIds[slot] == id) return slot;
    }
    return -1;
}

int (*gSelectPanelQuery)() = nullptr;

int32_t ChooseMusicTrack() {
    bool panelOpen =
        gGameState.scene == SceneId::Title && gSelectPanelQuery && gSelectPanelQuery() != 0;
    return ChooseMusicTrackFor(gGameState, panelOpen);
}

int32_t ChooseMusicTrackFor(const GameState& g, bool selectPanelOpen) {
    switch (g.scene) {
        case SceneId::Title:
            if (g.titleIdleTicks == 0 || g.titleIdleTicks >= kTitleMovieIdleTicks) return kNoMusic;
            return selectPanelOpen ? kTrackSelect : kTrackTitle;
        case SceneId::Play:
            if (g.playPhase == PlayPhase::NoCreditPrompt ||
                g.playPhase == PlayPhase::ContinuePrompt || g.playPhase == PlayPhase::GameOver) {
                return kTrackGameOver;
            }
            if (g.stage >= 0 && g.stage <= 5) return kTrackStage1;
            if ((g.stage >= 6 && g.stage <= 11) || g.stage == 18) return kTrackStage2;
            if (g.stage >= 12 && g.stage <= 17) return kTrackStage3;
            return kNoMusic;
        case SceneId::GameOver:
            return kNoMusic;
        case SceneId::Ending:
            return kTrackEnding;
        case SceneId::Result:
            return kTrackResult;
        case SceneId::Event:
            return g.eventNumber == 23 ? kTrackEnding : kTrackInterval;
        case SceneId::Shop:
            return kTrackShop;
    }
    return kNoMusic;
}

void BeginSoundOutput() {
    if (!gSoundState.outputOpen) audio::BeginOpen(OutputBackend());
}

int InitSound(MusicLoad load) {
    SoundState& s = gSoundState;
    for (uint8_t& r : s.effectRequests) r = 0;
    if (s.outputOpen) return s.ready;
    if (!audio::Open(OutputBackend())) return 0;
    s.outputOpen = true;

    // Without a music path the music stays silent; without an effect path sound is off.
    s.musicPath = audio::CreatePath();
    s.effectPath = audio::CreatePath();
    if (s.effectPath == audio::kNoPath) return 0;

    StopMusicLoader();
    for (auto& d : gMusicLoader.decoded) d.store(0, std::memory_order_release);
    if (load == MusicLoad::Background) {
        gMusicLoader.worker = std::thread(DecodeMusicInBackground);
    } else {
        for (int32_t track = 0; track < kMusicTrackCount; ++track) {
            LoadMusicTrack(track);
            MarkDecoded(track);
        }
    }
    for (int32_t slot = 0; slot < kEffectSlotCount; ++slot) {
        std::span<const uint8_t> wave = FindEmbeddedResource(kEffectSlotIds[slot], "WAVE");
        if (wave.empty()) continue;
        s.effectSegments[slot] = audio::LoadSegment(wave);
    }
    s.ready = 1;
    return 1;
}

void PlaySoundEffect(SoundEffectId id) {
    int32_t slot = FindEffectSlot(id);
    if (slot >= 0) gSoundState.effectRequests[slot] = 1;
}

void PlaySoundEffectNow(int32_t slot) {
    SoundState& s = gSoundState;
    if (slot < 0 || slot >= kEffectSlotCount) return;
    audio::Segment* segment = s.effectSegments[slot];
    if (!segment) return;
    audio::SetPathVolume(s.effectPath, VolumeOfLevel(gGameState.soundVolume));
    audio::StopSegment(segment);
    s.effectStates[slot] = audio::PlaySecondary(s.effectPath, segment);
}

void UpdateSound(SoundUpdate when) {
    SoundState& s = gSoundState;
    for (int32_t slot = 0; slot < kEffectSlotCount; ++slot) {
        if (!s.effectRequests[slot]) continue;
        s.effectRequests[slot] = 0;
        PlaySoundEffectNow(slot);
    }

    if (s.fadeActive) {
        // The fade is timed in ticks, so it lasts a quarter of a second on any machine.
        if (when != SoundUpdate::Tick) return;
        if (s.fadeCounter < s.fadeLength) s.fadeCounter += 1;
        int32_t volume = FadeVolume(gGameState.musicVolume, s.fadeCounter, s.fadeLength);
        if (s.fadeCounter >= s.fadeLength) {
            s.fadeActive = 0;
            s.fadeDone = 1;
        }
        audio::SetPathVolume(s.musicPath, volume);
        if (!s.fadeActive) s.fadeCounter = 0;
        return;
    }

    s.fadeLength = kMusicFadeTicks;
    int32_t wanted = ChooseMusicTrack();
    if (wanted == s.currentTrack) return;
    if (s.fadeDone || s.currentTrack == kNoMusic) {
        if (IsLoaderBusy()) return;
        if (wanted == kNoMusic) {
            s.currentTrack = kNoMusic;
        } else {
            PlayBgm(wanted);
        }
        s.fadeDone = 0;
    } else {
        // Another track plays: fade it out; the update after the fade starts the new one.
        // The faded segment goes on silently until the next track replaces it.
        s.fadeActive = 1;
        s.currentTrack = kNoMusic;
    }
}

void PlayBgm(int32_t track) {
    SoundState& s = gSoundState;
    if (!s.ready || track == s.currentTrack) return;
    if (track < 0 || track >= kMusicTrackCount) return;
    s.currentTrack = track;
    WaitForMusicTrack(track);
    audio::Segment* segment = s.musicSegments[track];
    // Music plays only on its own path, where the mu level controls it.
    if (!segment || s.musicPath == audio::kNoPath) return;
    s.musicStates[track] = audio::kNoVoice;
    ApplyBgmVolume();
    s.musicStates[track] = audio::PlayPrimary(s.musicPath, segment);
}

void StopBgm() {
    SoundState& s = gSoundState;
    int32_t track = s.currentTrack;
    WaitForMusicTrack(track);
    if (track < 0 || track >= kMusicTrackCount || !s.musicSegments[track]) return;
    audio::StopSegment(s.musicSegments[track]);
    s.musicStates[track] = audio::kNoVoice;
}

void ApplyBgmVolume() {
    const SoundState& s = gSoundState;
    if (s.musicPath == audio::kNoPath) return;
    audio::SetPathVolume(s.musicPath, VolumeOfLevel(gGameState.musicVolume));
}

void NotifySoundStageStart(int32_t, int32_t) {}

void ReleaseSoundSegments() {
    SoundState& s = gSoundState;
    StopMusicLoader();
    audio::StopAll();
    for (int32_t track = 0; track < kMusicTrackCount; ++track) {
        audio::FreeSegment(s.musicSegments[track]);
        s.musicSegments[track] = nullptr;
        s.musicStates[track] = audio::kNoVoice;
    }
    for (int32_t slot = 0; slot < kEffectSlotCount; ++slot) {
        audio::FreeSegment(s.effectSegments[slot]);
        s.effectSegments[slot] = nullptr;
        s.effectStates[slot] = audio::kNoVoice;
    }
}

void ShutdownSound() {
    SoundState& s = gSoundState;
    audio::DestroyPath(s.musicPath);
    audio::DestroyPath(s.effectPath);
    // Closed without InitSound, the output may still be opening: that attempt ends too.
    if (s.outputOpen || !audio::IsOpen()) audio::Close();
    // Segments not released before are freed with the record.
    ReleaseSoundSegments();
    s = InitialSoundState();
}
