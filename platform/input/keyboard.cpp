#include "platform/input/keyboard.h"

#include <array>
#include <atomic>
#include <mutex>

namespace input {

namespace {

std::atomic<uint8_t> gKeys[kKeyCount];

std::mutex gEventLock;
KeyEvent gEvents[kKeyEventCapacity];
int gEventFirst = 0;
int gEventCount = 0;

void QueueEvent(uint8_t code, bool down) {
    std::lock_guard<std::mutex> lock(gEventLock);
    if (gEventCount == kKeyEventCapacity) return;
    gEvents[(gEventFirst + gEventCount) % kKeyEventCapacity] = KeyEvent{code, down};
    ++gEventCount;
}

// Linux input-event codes (the X server's hardware key code minus 8) to key codes. Codes
// 1 to 88 of the main block, the numeric pad and F1 to F12 are the same in both
// numberings; the keys added later (cursor block, right-hand modifiers, ...) are listed.
constexpr std::array<uint8_t, 256> MakeEvdevTable() {
    std::array<uint8_t, 256> t{};
    for (int code = 1; code <= 88; ++code) t[code] = static_cast<uint8_t>(code);
    t[84] = 0;      // no key
    t[85] = 0x94;   // zenkaku/hankaku (kanji)
    t[89] = 0x73;   // ro
    t[92] = 0x79;   // henkan (convert)
    t[93] = 0x70;   // katakana/hiragana (kana)
    t[94] = 0x7B;   // muhenkan (no convert)
    t[96] = 0x9C;   // numeric pad enter
    t[97] = 0x9D;   // right control
    t[98] = 0xB5;   // numeric pad slash
    t[99] = 0xB7;   // print screen
    t[100] = 0xB8;  // right alt
    t[102] = 0xC7;  // home
    t[103] = 0xC8;  // up
    t[104] = 0xC9;  // page up
    t[105] = 0xCB;  // left
    t[106] = 0xCD;  // right
    t[107] = 0xCF;  // end
    t[108] = 0xD0;  // down
    t[109] = 0xD1;  // page down
    t[110] = 0xD2;  // insert
    t[111] = 0xD3;  // delete
    t[117] = 0x8D;  // numeric pad equals
    t[119] = 0xC5;  // pause
    t[121] = 0xB3;  // numeric pad comma
    t[124] = 0x7D;  // yen
    t[125] = 0xDB;  // left windows
    t[126] = 0xDC;  // right windows
    t[127] = 0xDD;  // menu
    return t;
}

constexpr std::array<uint8_t, 256> kEvdevToKeyCode = MakeEvdevTable();

}  // namespace

void SetKey(uint8_t code, bool down) {
    if (code == 0) return;
    uint8_t value = down ? 0x80 : 0;
    if (gKeys[code].exchange(value, std::memory_order_relaxed) != value) QueueEvent(code, down);
}

void ClearKeyboard() {
    for (int code = 1; code < kKeyCount; ++code) SetKey(static_cast<uint8_t>(code), false);
}

void ReadKeyboard(uint8_t state[kKeyCount]) {
    for (int i = 0; i < kKeyCount; ++i) state[i] = gKeys[i].load(std::memory_order_relaxed);
}

uint8_t KeyCodeFromHardware(uint32_t hardwareKeycode) {
    if (hardwareKeycode < 8 || hardwareKeycode - 8 >= kEvdevToKeyCode.size()) return 0;
    return kEvdevToKeyCode[hardwareKeycode - 8];
}

bool TakeKeyEvent(KeyEvent* event) {
    std::lock_guard<std::mutex> lock(gEventLock);
    if (gEventCount == 0) return false;
    *event = gEvents[gEventFirst];
    gEventFirst = (gEventFirst + 1) % kKeyEventCapacity;
    --gEventCount;
    return true;
}

void ClearKeyEvents() {
    std::lock_guard<std::mutex> lock(gEventLock);
    gEventFirst = 0;
    gEventCount = 0;
}

}  // namespace input
