#include "platform/input/devices.h"

#include <cstring>

#include "platform/input/backend.h"
#include "platform/input/keyboard.h"

namespace input {

namespace {

bool gSystemOpen = false;
Backend gBackend = Backend::KeyboardOnly;
bool gControllersReady = false;  // the backend's controller side opened
bool gKeyboardOpen = false;
bool gKeyboardAcquired = false;
const char* gLastError = "";

bool Attached(const Controller* c) {
    switch (c->backend) {
        case Backend::Sdl:
            return sdl::IsAttached(c);
        case Backend::Scripted:
            return scripted::IsAttached(c);
        case Backend::KeyboardOnly:
            break;
    }
    return false;
}

}  // namespace

bool OpenSystem(Backend backend) {
    if (gSystemOpen) CloseSystem();
    gLastError = "";
    if (backend == Backend::Scripted && !scripted::SystemOpens()) {
        gLastError = "E_FAIL";
        return false;
    }
    gBackend = backend;
    gControllersReady = backend == Backend::Sdl ? sdl::Open() : backend == Backend::Scripted;
    gSystemOpen = true;
    return true;
}

void CloseSystem() {
    if (!gSystemOpen) return;
    CloseKeyboardDevice();
    if (gControllersReady && gBackend == Backend::Sdl) sdl::Close();
    gControllersReady = false;
    gSystemOpen = false;
}

bool IsSystemOpen() {
    return gSystemOpen;
}

const char* LastErrorName() {
    return gLastError;
}

void UpdateDevices() {
    if (!gSystemOpen || !gControllersReady) return;
    if (gBackend == Backend::Sdl) sdl::Update();
    if (gBackend == Backend::Scripted) scripted::Update();
}

int AttachedControllerCount() {
    if (!gSystemOpen || !gControllersReady) return 0;
    if (gBackend == Backend::Sdl) return sdl::Count();
    if (gBackend == Backend::Scripted) return scripted::Count();
    return 0;
}

Controller* OpenController(int index) {
    if (index < 0 || index >= AttachedControllerCount()) return nullptr;
    Controller* c = new Controller{gBackend, index, nullptr, false, false};
    bool ok = gBackend == Backend::Sdl ? sdl::OpenController(c) : scripted::OpenController(c);
    if (!ok) {
        gLastError = gBackend == Backend::Sdl ? sdl::ErrorName() : "E_FAIL";
        delete c;
        return nullptr;
    }
    return c;
}

void CloseController(Controller* c) {
    if (!c) return;
    if (c->backend == Backend::Sdl) sdl::CloseController(c);
    delete c;
}

Result QueryController(Controller* c) {
    if (!c) return Result::Failed;
    if (c->backend == Backend::Scripted && !scripted::QueryOk(c)) return Result::Failed;
    return Result::Ok;
}

Result ConfigureController(Controller* c) {
    if (!c) return Result::Failed;
    if (c->backend == Backend::Scripted && !scripted::ConfigureOk(c)) return Result::Failed;
    c->configured = true;
    return Result::Ok;
}

Result AcquireController(Controller* c) {
    if (!c) return Result::Failed;
    if (c->backend == Backend::Scripted) scripted::CountAcquire(c);
    if (!Attached(c)) {
        c->acquired = false;
        return Result::InputLost;
    }
    c->acquired = true;
    return Result::Ok;
}

Result UnacquireController(Controller* c) {
    if (!c) return Result::Failed;
    c->acquired = false;
    return Result::Ok;
}

Result PollController(Controller* c) {
    if (!c) return Result::Failed;
    if (!c->acquired) return Result::NotAcquired;
    if (!Attached(c)) {
        c->acquired = false;
        return Result::InputLost;
    }
    return Result::Ok;
}

Result ReadController(Controller* c, ControllerState* state) {
    Result r = PollController(c);
    if (r != Result::Ok) return r;
    if (!c->configured) return Result::Failed;
    if (c->backend == Backend::Scripted && !scripted::ReadOk(c)) return Result::Failed;
    std::memset(state, 0, sizeof *state);
    if (c->backend == Backend::Sdl) sdl::Read(c, state);
    if (c->backend == Backend::Scripted) scripted::Read(c, state);
    return Result::Ok;
}

Result OpenKeyboardDevice() {
    if (!gSystemOpen) return Result::Failed;
    if (gBackend == Backend::Scripted && !scripted::KeyboardOpens()) {
        gLastError = "E_FAIL";
        return Result::Failed;
    }
    gKeyboardOpen = true;
    gKeyboardAcquired = false;
    return Result::Ok;
}

void CloseKeyboardDevice() {
    gKeyboardOpen = false;
    gKeyboardAcquired = false;
}

Result AcquireKeyboard() {
    if (!gKeyboardOpen) return Result::Failed;
    if (!gKeyboardAcquired) ClearKeyEvents();  // events are queued for an acquired device only
    gKeyboardAcquired = true;
    return Result::Ok;
}

Result UnacquireKeyboard() {
    if (!gKeyboardOpen) return Result::Failed;
    gKeyboardAcquired = false;
    return Result::Ok;
}

Result ReadKeyboardDevice(uint8_t state[256]) {
    if (!gKeyboardOpen) return Result::Failed;
    if (!gKeyboardAcquired) return Result::NotAcquired;
    ReadKeyboard(state);
    return Result::Ok;
}

Result ReadKeyboardEvent(bool* got) {
    *got = false;
    if (!gKeyboardOpen) return Result::Failed;
    if (!gKeyboardAcquired) return Result::NotAcquired;
    KeyEvent event;
    *got = TakeKeyEvent(&event);
    return Result::Ok;
}

}  // namespace input
