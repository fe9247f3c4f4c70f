// Sound output: our own mixer with paths (groups of voices that share one volume),
// segments of decoded sound that play once or repeat forever, and one streamed voice fed
// while it plays (the attract movie's sound). Two backends take the mixed sound:
//   sdl   an SDL2 audio device (the driver SDL chooses; SDL_AUDIODRIVER is respected);
//   null  nothing is played: the mixer runs on demand into memory (Render), for tests.
//
// The mixer's format is interleaved signed 16-bit stereo at 44100 Hz; every segment is
// converted to it when loaded, so mixing is only gains and sums. When no device is open,
// every call does nothing: loads give no segment, plays give no voice, and the program
// runs silent.
//
// Threads: every call may be made from the main thread while the device thread mixes.
// Open, BeginOpen and Close are made from one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace audio {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kPathCount = 4;    // paths the mixer can hold at once
constexpr int kVoiceCount = 48;  // voices sounding at once; a play beyond them is dropped
// Volumes are in hundredths of a decibel; at or below this one a path is silent.
constexpr int32_t kSilenceVolume = -9600;
// The streamed voice buffers this many frames ahead of the listener.
constexpr uint32_t kStreamCapacity = kSampleRate * 2;
// Longest sound a WAVE may decode to (ten minutes); longer data is refused.
constexpr uint32_t kMaxSegmentFrames = kSampleRate * 600;
// Longest WAVE file the decoder takes (the most its reader addresses); longer files are
// refused before they are read.
constexpr size_t kMaxWaveBytes = 0x7FFFFFFF;

enum class Backend { Null, Sdl };

// Opens the output. False when no device could be opened (then everything stays silent).
bool Open(Backend backend);
// Starts opening the sdl device on a thread of its own, so that a slow device start-up
// overlaps the caller's other work; the next Open(Backend::Sdl) waits for it and takes its
// result. Nothing for the null backend or when the output is open.
void BeginOpen(Backend backend);
// Stops every voice, frees what the mixer holds (segments stay the caller's) and closes;
// also ends an opening begun and never taken.
void Close();
bool IsOpen();

// ---- Segments: decoded sound in the mixer's format.
struct Segment;

// Decodes a RIFF WAVE file: PCM of 8, 16, 24 or 32 bits, 32-bit float, Microsoft and IMA
// ADPCM, A-law and mu-law, one or more channels, any usual rate. Null on data that is
// not such a file, when it decodes to nothing or to more than kMaxSegmentFrames, and when
// no device is open. A new segment plays once.
Segment* LoadSegment(std::span<const uint8_t> wave);
// Stops every voice that plays the segment and frees it. Null does nothing.
void FreeSegment(Segment* segment);
void SetRepeat(Segment* segment, bool forever);
bool SegmentRepeats(const Segment* segment);
uint32_t SegmentFrames(const Segment* segment);

// The decoder alone (no device needed): the WAVE data as interleaved stereo at 44100 Hz.
bool DecodeWave(std::span<const uint8_t> wave, std::vector<int16_t>* stereo);

// ---- Paths.
using PathId = int32_t;
constexpr PathId kNoPath = -1;

// A new path at full volume; kNoPath when no device is open or every path is taken.
PathId CreatePath();
// Stops the path's voices and frees the path.
void DestroyPath(PathId path);
// The path's volume in hundredths of a decibel: gain 10^(volume / 2000). kSilenceVolume
// and anything below it is silence; above 0 is full volume (no path amplifies).
void SetPathVolume(PathId path, int32_t volume);
// The linear gain of a volume, as SetPathVolume applies it.
float GainOfVolume(int32_t volume);
// The linear gain the path mixes with now (0 for a path that does not exist).
float PathGain(PathId path);

// ---- Voices: one play of a segment on a path.
using VoiceId = uint32_t;  // a serial number: a later play has a larger id
constexpr VoiceId kNoVoice = 0;

// Plays the segment as the path's primary sound: the primary sound the path played
// before stops. kNoVoice when nothing could be played.
VoiceId PlayPrimary(PathId path, const Segment* segment);
// Plays the segment on the path beside whatever else sounds there.
VoiceId PlaySecondary(PathId path, const Segment* segment);
// Stops every voice that plays the segment, at once.
void StopSegment(const Segment* segment);
// Stops every voice and empties the stream.
void StopAll();
bool IsVoicePlaying(VoiceId voice);
// Frames the voice has played (counting round its repeats); 0 once it has stopped.
uint64_t VoicePosition(VoiceId voice);

// ---- The streamed voice: frames written now are heard after what is already queued.
// Starts (or restarts) the stream empty.
void StartStream();
// Queues interleaved stereo frames; returns how many fit (the rest is dropped).
uint32_t WriteStream(const int16_t* frames, uint32_t count);
uint32_t StreamQueued();
// Stops the stream and drops what is queued.
void StopStream();

// ---- Null backend.
// Mixes the next frames into out (interleaved stereo). Only the null backend renders on
// request (the sdl device mixes on its own thread); otherwise out is filled with silence.
void Render(int16_t* out, uint32_t frames);

// Test hook: the next count calls of CreatePath fail (0 ends the failures).
void FailNextPathCreations(int count);

}  // namespace audio
