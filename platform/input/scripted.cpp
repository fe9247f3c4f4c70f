#include "platform/input/scripted.h"

#include "platform/input/backend.h"

namespace input {

namespace {

struct ScriptedController {
    ControllerState state;
    scripted::Fault fault;
    int acquireCalls;
};

struct ScriptedInput {
    int count;
    ScriptedController controllers[scripted::kMaxControllers];
    bool systemFails;
    bool keyboardFails;
    scripted::TickFeed feed;
    void* feedUser;
};

ScriptedInput gScripted;

bool Valid(int index) {
    return index >= 0 && index < scripted::kMaxControllers;
}

scripted::Fault FaultOf(const Controller* c) {
    return Valid(c->index) ? gScripted.controllers[c->index].fault : scripted::Fault::None;
}

}  // namespace

namespace scripted {

void Reset() {
    gScripted = ScriptedInput{};
}

void SetControllerCount(int count) {
    gScripted.count = count < 0 ? 0 : count > kMaxControllers ? kMaxControllers : count;
}

void SetControllerState(int index, const ControllerState& state) {
    if (Valid(index)) gScripted.controllers[index].state = state;
}

void SetControllerFault(int index, Fault fault) {
    if (Valid(index)) gScripted.controllers[index].fault = fault;
}

void SetSystemFails(bool fails) {
    gScripted.systemFails = fails;
}

void SetKeyboardFails(bool fails) {
    gScripted.keyboardFails = fails;
}

int AcquireCalls(int index) {
    return Valid(index) ? gScripted.controllers[index].acquireCalls : 0;
}

void SetTickFeed(TickFeed feed, void* user) {
    gScripted.feed = feed;
    gScripted.feedUser = user;
}

bool SystemOpens() {
    return !gScripted.systemFails;
}

bool KeyboardOpens() {
    return !gScripted.keyboardFails;
}

void Update() {
    if (gScripted.feed) gScripted.feed(gScripted.feedUser);
}

int Count() {
    return gScripted.count;
}

bool OpenController(Controller* c) {
    return Valid(c->index) && FaultOf(c) != Fault::OpenFails;
}

bool QueryOk(const Controller* c) {
    return FaultOf(c) != Fault::QueryFails;
}

bool ConfigureOk(const Controller* c) {
    return FaultOf(c) != Fault::ConfigureFails;
}

bool IsAttached(const Controller* c) {
    return Valid(c->index) && c->index < gScripted.count && FaultOf(c) != Fault::Lost;
}

bool ReadOk(const Controller* c) {
    return FaultOf(c) != Fault::ReadFails;
}

void CountAcquire(const Controller* c) {
    if (Valid(c->index)) ++gScripted.controllers[c->index].acquireCalls;
}

void Read(const Controller* c, ControllerState* state) {
    if (Valid(c->index)) *state = gScripted.controllers[c->index].state;
}

}  // namespace scripted

}  // namespace input
