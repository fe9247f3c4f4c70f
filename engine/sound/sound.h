// Sound effects and music. Callers raise a request flag by effect number
// (PlaySoundEffect); each sound update plays every requested effect once, chooses the
// music track from the scene, the stage and the play phase, and fades the music out
// before a change of track. The volumes follow the se and mu levels (0..9) of GameState.
//
// Main thread only. The scene loader thread never calls this module; the update only reads
// its busy flag to hold back a new track while a scene loads.
#pragma once

#include <array>
#include <cstdint>

#include "platform/audio/audio.h"

// A sound effect is named by its WAVE resource number, 287 to 316.
using SoundEffectId = int32_t;
constexpr SoundEffectId kFirstSoundEffect = 287;
constexpr SoundEffectId kLastSoundEffect = 316;

// The menu sounds every screen shares: a choice made, a cursor move, and a step back
// (also played when a choice is refused).
constexpr SoundEffectId kSoundDecide = 287;
constexpr SoundEffectId kSoundCursor = 288;
constexpr SoundEffectId kSoundCancel = 289;

constexpr int kMusicTrackCount = 11;
constexpr int kEffectSlotCount = 31;

// The effect number each slot holds: 288, 287, then 289 to 316 in turn, then 295 again.
// A request takes the first slot with its number, so the last slot is never played.
constexpr std::array<SoundEffectId, kEffectSlotCount> MakeEffectSlotIds() {
    std::array<SoundEffectId, kEffectSlotCount> ids{};
    ids[0] = 288;
    ids[1] = 287;
    for (int slot = 2; slot < 30; ++slot) ids[slot] = 287 + slot;
    ids[30] = 295;
    return ids;
}
inline constexpr std::array<SoundEffectId, kEffectSlotCount> kEffectSlotIds = MakeEffectSlotIds();

// Music tracks.
enum MusicTrack : int32_t {
    kNoMusic = -1,
    kTrackTitle = 0,
    kTrackStage1 = 1,
    kTrackStage2 = 2,
    kTrackStage3 = 3,
    kTrackInterval = 4,
    kTrackShop = 5,
    kTrackEnding = 6,
    kTrackStaff = 7,  // loaded; no scene chooses it
    kTrackResult = 8,
    kTrackGameOver = 9,
    kTrackSelect = 10,
};

// Every fade of the music lasts this many ticks.
constexpr int32_t kMusicFadeTicks = 15;
// The title's idle count at which the attract movie starts; the music stops there.
constexpr int32_t kTitleMovieIdleTicks = 5040;
// Volume of level 0: silence.
constexpr int32_t kMutedVolume = -10000;

struct SoundState {
    bool outputOpen;  // the sound output exists
    audio::PathId musicPath;
    audio::PathId effectPath;
    audio::Segment* musicSegments[kMusicTrackCount];  // null when the file did not load
    audio::VoiceId musicStates[kMusicTrackCount];     // the last play of each track
    audio::Segment* effectSegments[kEffectSlotCount];
    audio::VoiceId effectStates[kEffectSlotCount];
    uint8_t effectRequests[kEffectSlotCount];
    int32_t ready;         // 1 once start-up completed
    int32_t currentTrack;  // the track last started, kNoMusic for none
    int32_t fadeLength;    // in ticks
    int32_t fadeCounter;
    int32_t fadeActive;
    int32_t fadeDone;
};

extern SoundState gSoundState;

// When an update runs: on each pass of the frame loop, or after a tick's scene update.
// Effects are played and the track is chosen at both; a fade advances only with ticks.
enum class SoundUpdate { LoopPass, Tick };

// How the music files are decoded: before InitSound returns, or on a thread of its own
// (title track first) while the game goes on; a track is then waited for only when it is
// started.
enum class MusicLoad { Now, Background };

// Starts opening the sound output on a thread of its own, for InitSound to take later:
// a slow sound device then starts while the window opens.
void BeginSoundOutput();

// Start-up: opens the output and loads the music files and the effects. Returns 1 when
// sound is ready, 0 when it is off (the game then runs silent; no message is shown).
int InitSound(MusicLoad load = MusicLoad::Now);
// Blocks until the track (or every track) has been decoded; at once when nothing decodes.
void WaitForMusicTrack(int32_t track);
void WaitForMusicLoaded();
// Requests an effect for the next sound update. Any number of requests of one effect
// before that update play it once; a number that no slot holds is ignored.
void PlaySoundEffect(SoundEffectId id);
void UpdateSound(SoundUpdate when);
// Starts a music track unless it already is the current one.
void PlayBgm(int32_t track);
// Stops the current track's sound at once (it stays the current track).
void StopBgm();
// Sets the music volume from the mu level.
void ApplyBgmVolume();
// Called at stage start; there is nothing to do.
void NotifySoundStageStart(int32_t, int32_t);
// Shut-down, in this order.
void ReleaseSoundSegments();
void ShutdownSound();
// Puts the sound record back to its program-start value (after ShutdownSound).
void ResetSoundState();

// The volume of a level 0..9 in hundredths of a decibel (level 0 is silence); levels
// outside the range count as the nearest end.
int32_t VolumeOfLevel(int32_t level);
// The music volume of a fade at level, counter ticks into a fade of length ticks.
int32_t FadeVolume(int32_t level, int32_t counter, int32_t length);
// The track the scene, stage and play phase want now (kNoMusic for none).
int32_t ChooseMusicTrack();
// The same choice for a given state and whether a title select panel is open.
struct GameState;
int32_t ChooseMusicTrackFor(const GameState& g, bool selectPanelOpen);
// The first slot that holds the effect, or -1.
int32_t FindEffectSlot(SoundEffectId id);
// Plays a slot's effect now, cutting a still-sounding earlier play of it.
void PlaySoundEffectNow(int32_t slot);

// Asks whether the title's craft-select or stage-select panel is open (the select track then
// plays). The title scene sets it to its own query; while it is empty no panel is open.
extern int (*gSelectPanelQuery)();
