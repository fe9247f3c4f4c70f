// Game controllers through SDL2's joystick subsystem (no SDL video, no SDL signal
// handlers). States are fetched by SDL_JoystickUpdate at each UpdateDevices.
#include <SDL.h>

#include "platform/input/backend.h"
#include "platform/system/system.h"

namespace input::sdl {

namespace {

SDL_Joystick* Joystick(const Controller* c) {
    return static_cast<SDL_Joystick*>(c->handle);
}

}  // namespace

bool Open() {
    std::lock_guard<std::mutex> hold(sys::DeviceStartLock());
    // The program handles SIGINT and SIGTERM itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
    // States are read directly; nobody takes joystick events from SDL's queue.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_EventState(SDL_JOYDEVICEADDED, SDL_IGNORE);
    SDL_EventState(SDL_JOYDEVICEREMOVED, SDL_IGNORE);
    return true;
}

void Close() {
    std::lock_guard<std::mutex> hold(sys::DeviceStartLock());
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

void Update() {
    SDL_JoystickUpdate();
}

int Count() {
    int n = SDL_NumJoysticks();
    return n < 0 ? 0 : n;
}

bool OpenController(Controller* c) {
    c->handle = SDL_JoystickOpen(c->index);
    return c->handle != nullptr;
}

void CloseController(Controller* c) {
    if (c->handle) SDL_JoystickClose(Joystick(c));
    c->handle = nullptr;
}

bool IsAttached(const Controller* c) {
    return c->handle && SDL_JoystickGetAttached(Joystick(c)) == SDL_TRUE;
}

int32_t ScaleAxis(int16_t value) {
    // Rounded to the nearest step; both ends reach exactly -1000 and 1000.
    if (value >= 0) return (static_cast<int32_t>(value) * 1000 + 32767 / 2) / 32767;
    return -((-static_cast<int32_t>(value) * 1000 + 32768 / 2) / 32768);
}

void Read(const Controller* c, ControllerState* state) {
    SDL_Joystick* j = Joystick(c);
    int axes = SDL_JoystickNumAxes(j);
    if (axes > 0) state->x = ScaleAxis(SDL_JoystickGetAxis(j, 0));
    if (axes > 1) state->y = ScaleAxis(SDL_JoystickGetAxis(j, 1));
    int buttons = SDL_JoystickNumButtons(j);
    for (int b = 0; b < kControllerButtons && b < buttons; ++b) {
        state->buttons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
    }
}

const char* ErrorName() {
    const char* e = SDL_GetError();
    return e && *e ? e : "E_FAIL";
}

}  // namespace input::sdl
