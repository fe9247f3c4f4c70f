// Scripted pad input for tests and the headless harness: the keys and controller inputs
// held from a given tick on, fed to the scripted input backend before each pad read.
//
// Script text, one change per line ('#' starts a comment):
//   <tick> <input>...    hold exactly these inputs from this tick on ("-" for none)
// where an input is a key name of the binding key table ("UP", "Z", "NUMPAD8", ...) or a
// controller input "C<slot>:<UP|RIGHT|DOWN|LEFT|B1..B16>" (slot 0..7).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input/devices.h"

namespace vqtest {

struct HeldInputs {
    std::vector<uint8_t> keys;  // key codes
    int controllerCount = 0;    // controllers that exist for the script
    input::ControllerState controllers[8] = {};
};

class PadScript {
public:
    // Adds a change: from `tick` on, exactly `inputs` are held.
    void At(uint32_t tick, const HeldInputs& inputs);
    // Parses script text; false with a message on the first bad line.
    bool Parse(const std::string& text, std::string* error);
    bool Load(const char* path, std::string* error);
    // The inputs held at a tick.
    const HeldInputs& At(uint32_t tick) const;
    // The number of controllers any line of the script uses.
    int ControllerCount() const;

private:
    struct Change {
        uint32_t tick;
        HeldInputs inputs;
    };
    std::vector<Change> changes_;  // sorted by tick
    HeldInputs none_;
};

// Installs a script on the scripted backend: before each pad read the next tick's inputs
// are set (the keyboard state and the controllers). The script must outlive the feed.
void FeedPadScript(const PadScript* script);
// Removes the feed and releases every key.
void StopPadScript();
// Ticks fed since FeedPadScript.
uint32_t FedTicks();

// The key code of a key name of the binding key table; 0 when unknown.
uint8_t KeyCodeByName(const std::string& name);

}  // namespace vqtest
