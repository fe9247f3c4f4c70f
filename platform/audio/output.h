// Between the mixer and the device backends (private to platform/audio).
#pragma once

#include <cstdint>

namespace audio::detail {

// Mixes the next frames of every voice and the stream into out (interleaved stereo).
void Mix(int16_t* out, uint32_t frames);

// The SDL2 device: opened with the mixer's format; its thread calls Mix. BeginSdlOutput
// starts opening it on a thread of its own; OpenSdlOutput takes that attempt (or opens the
// device itself) and starts the device; CloseSdlOutput also ends an attempt never taken.
void BeginSdlOutput();
bool OpenSdlOutput();
void CloseSdlOutput();

}  // namespace audio::detail
