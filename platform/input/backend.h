// The controller backends behind devices.cpp (internal to the input library).
#pragma once

#include "platform/input/devices.h"

namespace input {

// What devices.cpp keeps per open controller; the backend fills `handle` and `index`.
struct Controller {
    Backend backend;
    int index;  // attached-controller index it was opened with
    void* handle;
    bool acquired;
    bool configured;  // set up for reading
};

namespace sdl {
bool Open();  // false: no controllers (the keyboard still works)
void Close();
void Update();
int Count();
bool OpenController(Controller* c);
void CloseController(Controller* c);
bool IsAttached(const Controller* c);
void Read(const Controller* c, ControllerState* state);
const char* ErrorName();
// An SDL axis value scaled to -1000..1000.
int32_t ScaleAxis(int16_t value);
}  // namespace sdl

namespace scripted {
bool SystemOpens();
bool KeyboardOpens();
void Update();
int Count();
bool OpenController(Controller* c);
bool QueryOk(const Controller* c);
bool ConfigureOk(const Controller* c);
bool IsAttached(const Controller* c);  // false while the controller is lost
bool ReadOk(const Controller* c);
void CountAcquire(const Controller* c);
void Read(const Controller* c, ControllerState* state);
}  // namespace scripted

}  // namespace input
