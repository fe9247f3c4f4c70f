// Movie playback: a clip is decoded in step with the time elapsed since it started, its
// pictures come out as RGBA and its sound goes into the mixer's streamed voice. Two
// backends:
//   ffmpeg  libavformat and libavcodec (WMV1/2/3 pictures, WMA sound and whatever else
//           the libraries read), swscale for the pictures, swresample for the sound; the
//           libraries are opened at run time, and a system without them plays no clip;
//   null    a clip of black pictures of a set length, for tests (no decoding).
#pragma once

#include <cstdint>

namespace movie {

enum class Backend { Null, Ffmpeg };

enum class ClipStatus {
    Playing,
    Ended,   // every picture has had its time
    Failed,  // the data could not be read or decoded any further
};

class Clip {
public:
    virtual ~Clip() = default;
    // Decodes up to the picture due elapsedMs after the start and makes it the current
    // one. Once the clip has ended or failed it stays so.
    virtual ClipStatus Advance(uint32_t elapsedMs) = 0;
    // The current picture (rows top to bottom, 4 bytes a pixel: R, G, B, A), or null
    // before the first one.
    virtual const uint8_t* Picture(int* width, int* height) const = 0;
    // Pictures made current so far; it changes whenever Picture does.
    virtual uint32_t PictureCount() const = 0;
};

// Opens a clip by file path; null when the file cannot be played (missing, unreadable,
// no picture stream, no decoder). The clip's sound starts the mixer's stream.
Clip* OpenClip(Backend backend, const char* path);
// Closes the clip and stops its sound. Null does nothing.
void CloseClip(Clip* clip);

// Readies the backend's decoders on a thread of its own so that the first clip opens
// without waiting for them; a clip opened meanwhile waits for that thread's work rather
// than doing it again. Only the first call does anything, and only the ffmpeg backend has
// anything to ready (its libraries are opened on first use otherwise). The program's end
// waits for work under way.
void PreloadBackend(Backend backend);

// Null backend: the length of its clips in milliseconds (0 by default: a clip ends at
// its first advance), and whether they end by failing as a broken file would. Its clips
// open only files that exist.
void SetNullClipLength(uint32_t ms);
void SetNullClipFails(bool fails);

}  // namespace movie
