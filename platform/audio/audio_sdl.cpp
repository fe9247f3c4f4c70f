// The SDL2 audio device: the audio subsystem only, in the mixer's format (SDL converts
// when the hardware wants another one), its thread pulling from the mixer.
//
// Opening a device can take a tenth of a second (a sound server starting, or drivers tried
// one after another when there is none), so it may begin on a thread of its own while the
// program starts: the device is opened paused there, and OpenSdlOutput takes that attempt's
// result and lets the device pull from the mixer once the mixer is ready.
#include <SDL.h>

#include <thread>

#include "platform/audio/audio.h"
#include "platform/audio/output.h"
#include "platform/system/system.h"

namespace audio::detail {

namespace {

// Written by the opening thread until it is joined; afterwards only by the main thread.
SDL_AudioDeviceID gDevice = 0;

// A program that ends without closing the output still waits for an opening under way.
struct OpeningThread {
    std::thread thread;
    ~OpeningThread() {
        if (thread.joinable()) thread.join();
    }
} gOpening;

void SDLCALL FillBuffer(void*, Uint8* stream, int bytes) {
    uint32_t frames = static_cast<uint32_t>(bytes) / (kChannels * sizeof(int16_t));
    Mix(reinterpret_cast<int16_t*>(stream), frames);
}

// Opens the device paused; gDevice stays 0 when there is none.
void OpenPaused() {
    std::lock_guard<std::mutex> hold(sys::DeviceStartLock());
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = 1024;
    want.callback = FillBuffer;
    SDL_AudioSpec have{};
    gDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (gDevice == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void FinishOpening() {
    if (gOpening.thread.joinable()) gOpening.thread.join();
}

}  // namespace

void BeginSdlOutput() {
    if (gDevice != 0 || gOpening.thread.joinable()) return;
    gOpening.thread = std::thread(OpenPaused);
}

bool OpenSdlOutput() {
    if (gOpening.thread.joinable()) {
        FinishOpening();
    } else if (gDevice == 0) {
        OpenPaused();
    }
    if (gDevice == 0) return false;
    SDL_PauseAudioDevice(gDevice, 0);
    return true;
}

void CloseSdlOutput() {
    // An opening that was begun but never taken is finished and closed here too.
    FinishOpening();
    if (gDevice == 0) return;
    std::lock_guard<std::mutex> hold(sys::DeviceStartLock());
    SDL_CloseAudioDevice(gDevice);
    gDevice = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace audio::detail
