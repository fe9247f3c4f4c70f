#include "tests/support/scripted_input.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/input/bindings.h"
#include "platform/input/keyboard.h"
#include "platform/input/scripted.h"

namespace vqtest {

namespace {

// Names of KeyboardKeyTable's keys, by index.
const char* const kKeyNames[kKeyboardKeys] = {
    "UP",       "RIGHT",   "DOWN",    "LEFT",    "RSHIFT",  "RCONTROL", "SPACE", "LSHIFT",
    "LCONTROL", "NUMPAD8", "NUMPAD6", "NUMPAD2", "NUMPAD4", "A",        "B",     "C",
    "D",        "E",       "F",       "G",       "H",       "I",        "J",     "K",
    "L",        "M",       "N",       "O",       "P",       "Q",        "R",     "S",
    "T",        "U",       "V",       "W",       "X",       "Y",        "Z",     "",
};

struct Feed {
    const PadScript* script;
    uint32_t tick;
    std::vector<uint8_t> held;
};
Feed gFeed;

void OnTick(void*) {
    if (!gFeed.script) return;
    const HeldInputs& now = gFeed.script->At(gFeed.tick);
    for (uint8_t code : gFeed.held) {
        if (std::find(now.keys.begin(), now.keys.end(), code) == now.keys.end()) {
            input::SetKey(code, false);
        }
    }
    for (uint8_t code : now.keys) input::SetKey(code, true);
    gFeed.held = now.keys;
    for (int i = 0; i < input::scripted::kMaxControllers; ++i) {
        input::scripted::SetControllerState(i, now.controllers[i]);
    }
    ++gFeed.tick;
}

bool ParseControllerInput(const std::string& token, HeldInputs* inputs) {
    // C<slot>:<name>
    if (token.size() < 4 || token[0] != 'C' || token[2] != ':') return false;
    int slot = token[1] - '0';
    if (slot < 0 || slot >= input::scripted::kMaxControllers) return false;
    std::string name = token.substr(3);
    input::ControllerState& s = inputs->controllers[slot];
    if (name == "UP") {
        s.y = -1000;
    } else if (name == "DOWN") {
        s.y = 1000;
    } else if (name == "LEFT") {
        s.x = -1000;
    } else if (name == "RIGHT") {
        s.x = 1000;
    } else if (name.size() >= 2 && name[0] == 'B') {
        int button = std::atoi(name.c_str() + 1);
        if (button < 1 || button > input::kControllerButtons) return false;
        s.buttons[button - 1] = 0x80;
    } else {
        return false;
    }
    inputs->controllerCount = std::max(inputs->controllerCount, slot + 1);
    return true;
}

}  // namespace

uint8_t KeyCodeByName(const std::string& name) {
    for (int i = 0; i < kKeyboardKeys; ++i) {
        if (name == kKeyNames[i] && *kKeyNames[i]) return KeyboardKeyTable[i];
    }
    return 0;
}

void PadScript::At(uint32_t tick, const HeldInputs& inputs) {
    auto pos = std::find_if(changes_.begin(), changes_.end(),
                            [&](const Change& c) { return c.tick >= tick; });
    if (pos != changes_.end() && pos->tick == tick) {
        pos->inputs = inputs;
    } else {
        changes_.insert(pos, Change{tick, inputs});
    }
}

const HeldInputs& PadScript::At(uint32_t tick) const {
    const HeldInputs* held = &none_;
    for (const Change& c : changes_) {
        if (c.tick > tick) break;
        held = &c.inputs;
    }
    return *held;
}

int PadScript::ControllerCount() const {
    int n = 0;
    for (const Change& c : changes_) n = std::max(n, c.inputs.controllerCount);
    return n;
}

bool PadScript::Parse(const std::string& text, std::string* error) {
    std::istringstream lines(text);
    std::string line;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string tickText;
        if (!(words >> tickText)) continue;
        char* end = nullptr;
        unsigned long tick = std::strtoul(tickText.c_str(), &end, 10);
        if (!end || *end) {
            *error = "line " + std::to_string(number) + ": bad tick '" + tickText + "'";
            return false;
        }
        HeldInputs inputs;
        std::string token;
        while (words >> token) {
            if (token == "-") continue;
            if (uint8_t code = KeyCodeByName(token)) {
                inputs.keys.push_back(code);
            } else if (!ParseControllerInput(token, &inputs)) {
                *error = "line " + std::to_string(number) + ": unknown input '" + token + "'";
                return false;
            }
        }
        At(static_cast<uint32_t>(tick), inputs);
    }
    return true;
}

bool PadScript::Load(const char* path, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = std::string("cannot read ") + path;
        return false;
    }
    std::stringstream all;
    all << in.rdbuf();
    return Parse(all.str(), error);
}

void FeedPadScript(const PadScript* script) {
    StopPadScript();
    gFeed.script = script;
    gFeed.tick = 0;
    input::scripted::SetControllerCount(script->ControllerCount());
    input::scripted::SetTickFeed(OnTick, nullptr);
}

void StopPadScript() {
    input::scripted::SetTickFeed(nullptr, nullptr);
    for (uint8_t code : gFeed.held) input::SetKey(code, false);
    gFeed = Feed{};
}

uint32_t FedTicks() {
    return gFeed.tick;
}

}  // namespace vqtest
