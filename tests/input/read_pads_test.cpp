// The poll from devices to held bits through the scripted backend: the binding rules, the
// thresholds, absent and lost devices, and the device set-up and its failures.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/game_state.h"
#include "engine/input/bindings.h"
#include "engine/input/devices.h"
#include "engine/input/pad.h"
#include "platform/input/keyboard.h"
#include "platform/input/scripted.h"
#include "platform/text/cp932.h"

namespace {

namespace scripted = input::scripted;

std::string gLastBox;
int gBoxes = 0;
int RecordBox(const char* text, const char*) {
    gLastBox = text;
    ++gBoxes;
    return 1;
}

constexpr uint8_t kKeyZ = 0x2C, kKeyX = 0x2D, kKeyC = 0x2E, kKeyV = 0x2F, kKeyA = 0x1E;
constexpr uint8_t kKeyUp = 0xC8, kKeyRight = 0xCD, kKeyDown = 0xD0, kKeyLeft = 0xCB;

class ReadPadsTest : public ::testing::Test {
protected:
    void SetUp() override { Open(2); }
    void TearDown() override {
        ReleaseDirectInput();
        input::ClearKeyboard();
        input::ClearKeyEvents();
        scripted::Reset();
    }
    void Open(int controllers) {
        ReleaseDirectInput();
        scripted::Reset();
        scripted::SetControllerCount(controllers);
        gInputDevices.background = false;  // the window has the focus
        gBoxes = 0;
        gLastBox.clear();
        for (int r = 0; r < kBindingRows; ++r) {
            for (int c = 0; c < kBindingColumns; ++c) {
                gGameState.padBindings[r][c] = DefaultBinding(r, c);
            }
        }
        opened_ = OpenInputDevices(input::Backend::Scripted, RecordBox);
    }
    static void Stick(int slot, int x, int y) {
        input::ControllerState s{};
        s.x = x;
        s.y = y;
        scripted::SetControllerState(slot, s);
    }
    static void Button(int slot, int k) {
        input::ControllerState s{};
        s.buttons[k] = 0x80;
        scripted::SetControllerState(slot, s);
    }
    static uint8_t Held(int player) {
        ReadPads();
        return gPadState[player].held;
    }
    int opened_ = 0;
};

TEST_F(ReadPadsTest, AxisValuesBeyond500AreDirections) {
    struct Case {
        int x, y;
        uint8_t bits;
    } cases[] = {
        {0, 0, 0},
        {500, 0, 0},
        {501, 0, kPadRight},
        {-500, 0, 0},
        {-501, 0, kPadLeft},
        {0, -500, 0},
        {0, -501, kPadUp},
        {0, 500, 0},
        {0, 501, kPadDown},
        {1000, 1000, kPadRight | kPadDown},
        {-1000, -1000, kPadLeft | kPadUp},
    };
    for (const Case& c : cases) {
        Stick(0, c.x, c.y);
        EXPECT_EQ(Held(0), c.bits) << c.x << "," << c.y;
    }
}

TEST_F(ReadPadsTest, DefaultBindingsOfBothPlayers) {
    struct KeyCase {
        uint8_t code, bit;
    } keys[] = {{kKeyUp, kPadUp},     {kKeyRight, kPadRight}, {kKeyDown, kPadDown},
                {kKeyLeft, kPadLeft}, {kKeyZ, kPadDecide},    {kKeyX, kPadCancel},
                {kKeyC, kPadRoll},    {kKeyV, kPadPause}};
    for (const KeyCase& k : keys) {
        input::SetKey(k.code, true);
        EXPECT_EQ(Held(0), k.bit) << int(k.code);
        EXPECT_EQ(gPadState[1].held, 0) << "player 2 has no default keys";
        input::SetKey(k.code, false);
    }
    input::SetKey(kKeyA, true);
    EXPECT_EQ(Held(0), 0);
    input::SetKey(kKeyA, false);

    // Controller 0 plays player 1 with buttons 1 to 4; controller 1 plays player 2.
    const uint8_t buttonBits[4] = {kPadDecide, kPadCancel, kPadRoll, kPadPause};
    for (int slot = 0; slot < 2; ++slot) {
        for (int k = 0; k < 4; ++k) {
            Button(slot, k);
            ReadPads();
            EXPECT_EQ(gPadState[slot].held, buttonBits[k]) << slot << " button " << k;
            EXPECT_EQ(gPadState[1 - slot].held, 0);
        }
        Button(slot, 4);  // button 5 is not bound
        EXPECT_EQ(Held(slot), 0);
        Stick(slot, 0, -1000);
        EXPECT_EQ(Held(slot), kPadUp);
        Stick(slot, 0, 0);
    }
}

TEST_F(ReadPadsTest, KeyboardValuesFeedThePlayerOfTheirRow) {
    gGameState.padBindings[1][4] = 14;  // A, in player 1's controller row
    gGameState.padBindings[2][0] = 1;   // cursor up, in player 2's keyboard row
    gGameState.padBindings[3][6] = 39;  // Z, in player 2's controller row
    input::SetKey(kKeyA, true);
    EXPECT_EQ(Held(0), kPadDecide);
    input::SetKey(kKeyA, false);
    input::SetKey(kKeyUp, true);  // also player 1's default up
    ReadPads();
    EXPECT_EQ(gPadState[0].held, kPadUp);
    EXPECT_EQ(gPadState[1].held, kPadUp);
    input::SetKey(kKeyUp, false);
    input::SetKey(kKeyZ, true);
    ReadPads();
    EXPECT_EQ(gPadState[0].held, kPadDecide);
    EXPECT_EQ(gPadState[1].held, kPadRoll);
}

TEST_F(ReadPadsTest, BindingsNamingAbsentControllersOrNothingNeverFire) {
    // Controllers 2 and 3 are not attached; values outside 0..119 name nothing.
    gGameState.padBindings[0][0] = 40 + 20 * 3 + 0;
    gGameState.padBindings[0][1] = 40 + 20 * 2 + 4;
    gGameState.padBindings[0][2] = 120;
    gGameState.padBindings[0][3] = -1;
    gGameState.padBindings[0][4] = 32767;
    gGameState.padBindings[0][5] = -32768;
    gGameState.padBindings[0][6] = 0;
    gGameState.padBindings[0][7] = 40;  // controller 0 up, not a key
    gGameState.padBindings[1][0] = 0;
    // Every key down, including one the key table does not know.
    for (int code = 0; code < 256; ++code) input::SetKey(static_cast<uint8_t>(code), true);
    input::SetKey(input::KeyCodeFromHardware(0xFFFF), true);
    EXPECT_EQ(Held(0), 0);
    input::ClearKeyboard();
    Stick(0, 0, -1000);
    EXPECT_EQ(Held(0), kPadPause);  // only value 40, as controller 0's up
}

TEST_F(ReadPadsTest, AButtonAboveTheFourthAndTheSixteenthCanBeBound) {
    gGameState.padBindings[1][4] = 40 + 4 + 15;  // button 16 of controller 0
    gGameState.padBindings[3][5] = 60 + 4 + 9;   // button 10 of controller 1
    Button(0, 15);
    Button(1, 9);
    ReadPads();
    EXPECT_EQ(gPadState[0].held, kPadDecide);
    EXPECT_EQ(gPadState[1].held, kPadCancel);
}

TEST_F(ReadPadsTest, ALostControllerIsAskedBackAFewTimesPerTick) {
    Button(0, 0);
    EXPECT_EQ(Held(0), kPadDecide);
    scripted::SetControllerFault(0, scripted::Fault::Lost);
    int before = scripted::AcquireCalls(0);
    for (int tick = 0; tick < 10; ++tick) EXPECT_EQ(Held(0), 0);
    int calls = scripted::AcquireCalls(0) - before;
    EXPECT_GT(calls, 0);
    EXPECT_LE(calls, 10 * 3);
    // Controller 1 goes on working meanwhile.
    Button(1, 1);
    EXPECT_EQ(Held(1), kPadCancel);
    // Plugged in again: acquired at the next read.
    scripted::SetControllerFault(0, scripted::Fault::None);
    EXPECT_EQ(Held(0), kPadDecide);
}

TEST_F(ReadPadsTest, ADeactivatedWindowGetsNoInputUntilActivatedAgain) {
    input::SetKey(kKeyZ, true);
    Button(1, 0);
    UnacquireInputDevices();
    const int before = scripted::AcquireCalls(1);
    // Frames go on while the window is deactivated, but no device can be taken back: the
    // keyboard and the controllers stay quiet for every tick.
    for (int tick = 0; tick < 3; ++tick) {
        ReadPads();
        EXPECT_EQ(gPadState[0].held, 0) << tick;
        EXPECT_EQ(gPadState[1].held, 0) << tick;
    }
    EXPECT_EQ(scripted::AcquireCalls(1), before);
    AcquireInputDevices();
    ReadPads();
    EXPECT_EQ(gPadState[0].held, kPadDecide);
    EXPECT_EQ(gPadState[1].held, kPadDecide);
    // In the foreground a controller that dropped out is taken back by the poll.
    input::UnacquireController(gInputDevices.controllers[1]);
    EXPECT_EQ(Held(1), kPadDecide);
}

TEST_F(ReadPadsTest, TheKeyboardQueueIsEmptiedEachTick) {
    for (int i = 0; i < 150; ++i) input::SetKey(kKeyA, i % 2 == 0);
    ReadPads();
    input::KeyEvent e;
    EXPECT_FALSE(input::TakeKeyEvent(&e));
}

TEST_F(ReadPadsTest, DeviceSetUpTakesAtMostFourControllersInOrder) {
    Open(6);
    EXPECT_EQ(opened_, 1);
    EXPECT_EQ(gInputDevices.controllerCount, 4);
    // A controller that cannot be opened or queried is skipped: the next one takes its slot.
    ReleaseDirectInput();
    scripted::Reset();
    scripted::SetControllerCount(3);
    scripted::SetControllerFault(0, scripted::Fault::OpenFails);
    scripted::SetControllerFault(1, scripted::Fault::QueryFails);
    EXPECT_EQ(OpenInputDevices(input::Backend::Scripted, RecordBox), 1);
    EXPECT_EQ(gInputDevices.controllerCount, 1);
    Button(2, 0);
    EXPECT_EQ(Held(0), kPadDecide);  // attached controller 2 is slot 0
    EXPECT_EQ(gBoxes, 0);
}

TEST_F(ReadPadsTest, AFailedSetUpLeavesThatControllerAndLaterOnesUnread) {
    ReleaseDirectInput();
    scripted::Reset();
    scripted::SetControllerCount(3);
    scripted::SetControllerFault(1, scripted::Fault::ConfigureFails);
    EXPECT_EQ(OpenInputDevices(input::Backend::Scripted, RecordBox), 1);
    EXPECT_EQ(gInputDevices.controllerCount, 3);
    gGameState.padBindings[1][0] = 40 + 4;  // controller 0 button 1
    gGameState.padBindings[1][1] = 60 + 4;  // controller 1 button 1
    gGameState.padBindings[1][2] = 80 + 4;  // controller 2 button 1
    for (int slot = 0; slot < 3; ++slot) Button(slot, 0);
    // Controller 0 works (its button 1 is also the default decide); 1 and 2 give nothing.
    EXPECT_EQ(Held(0), kPadUp | kPadDecide);
}

TEST_F(ReadPadsTest, StartUpFailuresAreReportedAndLeaveNoDevices) {
    const std::string systemText = text::Cp932(u8"DirectInput8オブジェクトの作成に失敗").c_str();
    const std::string keyboardText =
        text::Cp932(u8"DirectInputDevice8オブジェクトの作成に失敗").c_str();

    ReleaseDirectInput();
    scripted::Reset();
    scripted::SetSystemFails(true);
    scripted::SetControllerCount(1);
    EXPECT_EQ(OpenInputDevices(input::Backend::Scripted, RecordBox), 0);
    EXPECT_EQ(gBoxes, 1);
    EXPECT_NE(gLastBox.find("Calling: " + systemText), std::string::npos) << gLastBox;
    EXPECT_EQ(gLastBox.rfind("File: ", 0), 0u);
    EXPECT_FALSE(gInputDevices.system);

    ReleaseDirectInput();
    scripted::Reset();
    scripted::SetKeyboardFails(true);
    scripted::SetControllerCount(1);
    EXPECT_EQ(OpenInputDevices(input::Backend::Scripted, RecordBox), 0);
    EXPECT_EQ(gBoxes, 2);
    EXPECT_NE(gLastBox.find("Calling: " + keyboardText), std::string::npos);
    EXPECT_FALSE(gInputDevices.keyboard);
    EXPECT_EQ(gInputDevices.controllerCount, 0);  // no controllers are looked for

    // Polling without devices is harmless and gives nothing.
    input::SetKey(kKeyZ, true);
    EXPECT_EQ(Held(0), 0);
}

TEST_F(ReadPadsTest, ReleaseEmptiesTheSlotsAndMayBeRepeated) {
    EXPECT_EQ(gInputDevices.controllerCount, 2);
    ReleaseDirectInput();
    EXPECT_EQ(gInputDevices.controllerCount, 0);
    EXPECT_EQ(gInputDevices.controllers[0], nullptr);
    EXPECT_FALSE(gInputDevices.system);
    ReleaseDirectInput();
    Open(1);
    EXPECT_EQ(gInputDevices.controllerCount, 1);
}

TEST(KeyTable, HardwareKeyCodesOfEveryTableKey) {
    // The X server's key codes (Linux input codes + 8) of the keys the table names.
    struct Case {
        uint32_t x11;
        uint8_t code;
    } cases[] = {
        {111, 0xC8}, {114, 0xCD}, {116, 0xD0}, {113, 0xCB}, {62, 0x36}, {105, 0x9D}, {65, 0x39},
        {50, 0x2A},  {37, 0x1D},  {80, 0x48},  {85, 0x4D},  {88, 0x50}, {83, 0x4B},  {38, 0x1E},
        {56, 0x30},  {54, 0x2E},  {40, 0x20},  {26, 0x12},  {41, 0x21}, {42, 0x22},  {43, 0x23},
        {31, 0x17},  {44, 0x24},  {45, 0x25},  {46, 0x26},  {58, 0x32}, {57, 0x31},  {32, 0x18},
        {33, 0x19},  {24, 0x10},  {27, 0x13},  {39, 0x1F},  {28, 0x14}, {30, 0x16},  {55, 0x2F},
        {25, 0x11},  {53, 0x2D},  {29, 0x15},  {52, 0x2C},  {9, 0x01},
    };
    for (const Case& c : cases) EXPECT_EQ(input::KeyCodeFromHardware(c.x11), c.code) << c.x11;
    // Every table key is reachable from some hardware key.
    for (int i = 0; i < kKeyboardKeys - 1; ++i) {
        bool found = false;
        for (uint32_t hw = 0; hw < 300 && !found; ++hw) {
            found = input::KeyCodeFromHardware(hw) == KeyboardKeyTable[i];
        }
        EXPECT_TRUE(found) << "table index " << i;
    }
    EXPECT_EQ(input::KeyCodeFromHardware(0), 0);
    EXPECT_EQ(input::KeyCodeFromHardware(7), 0);
    EXPECT_EQ(input::KeyCodeFromHardware(100000), 0);
}

TEST(KeyTable, DefaultsAndBindingDecoding) {
    EXPECT_EQ(DefaultBinding(0, 4), 39);  // Z
    EXPECT_EQ(KeyboardKeyTable[DefaultBinding(0, 4) - 1], 0x2C);
    EXPECT_EQ(DefaultBinding(2, 0), 0);
    EXPECT_EQ(DefaultBinding(1, 0), 40);
    EXPECT_EQ(DefaultBinding(3, 7), 67);
    EXPECT_EQ(BindingKeyCode(40), 0);  // the 40th entry holds no key
    EXPECT_EQ(BindingKeyCode(0), 0);
    EXPECT_EQ(BindingKeyCode(41), 0);
    EXPECT_EQ(BindingKeyCode(-3), 0);
    int slot = -1, in = -1;
    EXPECT_TRUE(BindingControllerInput(119, &slot, &in));
    EXPECT_EQ(slot, 3);
    EXPECT_EQ(in, 19);
    EXPECT_FALSE(BindingControllerInput(120, &slot, &in));
    EXPECT_FALSE(BindingControllerInput(39, &slot, &in));
}

}  // namespace
