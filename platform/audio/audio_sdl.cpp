// The SDL2 audio device: the audio subsystem only, in the mixer's format (SDL converts
// when the hardware wants another one), its thread pulling from the mixer.
#include <SDL.h>

#include "platform/audio/audio.h"
#include "platform/audio/output.h"

namespace audio::detail {

namespace {

SDL_AudioDeviceID gDevice = 0;

void SDLCALL FillBuffer(void*, Uint8* stream, int bytes) {
    uint32_t frames = static_cast<uint32_t>(bytes) / (kChannels * sizeof(int16_t));
    Mix(reinterpret_cast<int16_t*>(stream), frames);
}

}  // namespace

bool OpenSdlOutput() {
    if (gDevice != 0) return true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    SDL_AudioSpec want{};
    want.freq = kSampleRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = 1024;
    want.callback = FillBuffer;
    SDL_AudioSpec have{};
    gDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (gDevice == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    SDL_PauseAudioDevice(gDevice, 0);
    return true;
}

void CloseSdlOutput() {
    if (gDevice == 0) return;
    SDL_CloseAudioDevice(gDevice);
    gDevice = 0;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

}  // namespace audio::detail
