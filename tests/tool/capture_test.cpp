// The live capture of the settings tool, driven through the scripted input backend and a
// dialog without a toolkit: steps, prompts, press counters, slot and key order, disabled
// controls, the step clock and the failures.
#include <gtest/gtest.h>

#include <string>

#include "engine/input/devices.h"
#include "platform/input/keyboard.h"
#include "platform/input/scripted.h"
#include "platform/system/system.h"
#include "platform/text/cp932.h"
#include "tests/tool/fake_dialog.h"
#include "tool/main/settings_tool.h"

namespace {

namespace scripted = input::scripted;

uint32_t gNow = 1000;
uint32_t FakeClock() {
    return gNow;
}

std::string Utf8(const char* cp932) {
    std::string out;
    text::Cp932ToUtf8(cp932, &out);
    return out;
}

// Key codes of some table keys, with their binding values.
constexpr uint8_t kKeyQ = 0x10, kKeyW = 0x11, kKeyE = 0x12, kKeyR = 0x13, kKeyT = 0x14,
                  kKeyY = 0x15, kKeyU = 0x16, kKeyI = 0x17, kKeyZ = 0x2C, kKeyUp = 0xC8;

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        sys::SetClockSource(FakeClock);
        gNow = 1000;
        scripted::Reset();
        SetCaptureBackend(input::Backend::Scripted);
        RestoreDefaultSettings();
        gCaptureState = CaptureState{};
        gInputDevices.background = false;  // the dialog has the focus
        dialog_.Open(SettingsDialogDesc(), &host_);
        host_.OnInit();
    }
    void TearDown() override {
        ReleaseDirectInput();
        input::ClearKeyboard();
        scripted::Reset();
        sys::SetClockSource(nullptr);
        SetCaptureBackend(input::Backend::Sdl);
    }
    // One timer message a frame's time later (enough for one step).
    void Step() {
        gNow += 17;
        dialog_.TimerFires();
    }
    void PressKey(uint8_t code) {
        input::SetKey(code, true);
        Step();
        input::SetKey(code, false);
        Step();
    }
    void PressButton(int slot, int k) {
        input::ControllerState s{};
        s.buttons[k] = 0x80;
        scripted::SetControllerState(slot, s);
        Step();
        scripted::SetControllerState(slot, input::ControllerState{});
        Step();
    }
    std::string Prompt(int id) { return dialog_.Utf8Text(id); }
    std::string PromptText(int step) { return Utf8(CapturePrompt(step)); }

    vqtest::FakeDialog dialog_;
    SettingsDialogHost host_{&dialog_};
};

TEST_F(CaptureTest, PlayerOnesKeyboardTakesSevenKeysAndKeepsThePauseKey) {
    dialog_.Click(kIdCaptureKeys1);
    EXPECT_EQ(gCaptureState.step, 1);
    EXPECT_EQ(Prompt(kIdPrompt1), "上を押してください");
    EXPECT_TRUE(dialog_.TimerRunning());
    EXPECT_EQ(dialog_.TimerMs(), 8);
    EXPECT_TRUE(dialog_.KeyCapture());
    for (int id :
         {kIdCaptureKeys1, kIdFullScreen, kIdWindow, kIdFps60, kIdFps30, kIdFps20, kIdShowFps}) {
        EXPECT_FALSE(dialog_.At(id).enabled) << id;
    }
    for (int id :
         {kIdCapturePad1, kIdCaptureKeys2, kIdCapturePad2, kIdDefaults, kIdSave, kIdCancel}) {
        EXPECT_TRUE(dialog_.At(id).enabled) << id;
    }

    const uint8_t keys[] = {kKeyQ, kKeyW, kKeyE, kKeyR, kKeyT, kKeyY, kKeyU};
    const int16_t values[] = {30, 36, 18, 31, 33, 38, 34};
    for (int i = 0; i < 7; ++i) {
        PressKey(keys[i]);
        EXPECT_EQ(gSettingsRecord.bindings[0][i], values[i]) << i;
        if (i < 6) {
            EXPECT_EQ(Prompt(kIdPrompt1), PromptText(i + 1)) << i;
        }
    }
    EXPECT_EQ(Prompt(kIdPrompt1), "設定完了しました");
    EXPECT_EQ(gSettingsRecord.bindings[0][7], 35);  // V, as before
    EXPECT_EQ(dialog_.Utf8Text(kIdFirstBinding + 0), "Ｑ");
    EXPECT_EQ(dialog_.Utf8Text(kIdFirstBinding + 6), "Ｕ");
    EXPECT_EQ(dialog_.Utf8Text(kIdFirstBinding + 7), "Ｖ");
    // The capture is over: controls back, devices released, the clock stopped.
    EXPECT_EQ(gCaptureState.step, 0);
    EXPECT_TRUE(dialog_.At(kIdCaptureKeys1).enabled);
    EXPECT_TRUE(dialog_.At(kIdFullScreen).enabled);
    EXPECT_FALSE(dialog_.TimerRunning());
    EXPECT_FALSE(dialog_.KeyCapture());
    EXPECT_FALSE(gInputDevices.system);
    // Further keys change nothing.
    PressKey(kKeyI);
    EXPECT_EQ(gSettingsRecord.bindings[0][7], 35);
}

TEST_F(CaptureTest, PlayerTwosKeyboardTakesAllEightKeys) {
    dialog_.Click(kIdCaptureKeys2);
    EXPECT_EQ(Prompt(kIdPrompt2), "上を押してください");
    EXPECT_TRUE(dialog_.At(kIdCaptureKeys1).enabled == false);
    const uint8_t keys[] = {kKeyQ, kKeyW, kKeyE, kKeyR, kKeyT, kKeyY, kKeyU, kKeyI};
    for (int i = 0; i < 8; ++i) {
        PressKey(keys[i]);
        if (i == 6) {
            EXPECT_EQ(Prompt(kIdPrompt2), "ポーズを押してください");
        }
    }
    EXPECT_EQ(gSettingsRecord.bindings[2][7], 22);  // I
    EXPECT_EQ(Prompt(kIdPrompt2), "設定完了しました");
    EXPECT_EQ(dialog_.Utf8Text(kIdFirstBinding + 16 + 7), "Ｉ");
    EXPECT_EQ(gCaptureState.step, 0);
    EXPECT_EQ(gSettingsRecord.bindings[0][0], 1);  // player 1 untouched
}

TEST_F(CaptureTest, AKeyHeldBeforeTheCaptureMustBeReleasedFirst) {
    input::SetKey(kKeyZ, true);
    dialog_.Click(kIdCaptureKeys2);
    for (int i = 0; i < 5; ++i) Step();
    EXPECT_EQ(gCaptureState.step, 1);
    input::SetKey(kKeyZ, false);
    Step();
    EXPECT_EQ(gCaptureState.step, 1);
    input::SetKey(kKeyZ, true);
    Step();
    EXPECT_EQ(gCaptureState.step, 2);
    EXPECT_EQ(gSettingsRecord.bindings[2][0], 39);
    // Held on: not taken again.
    for (int i = 0; i < 5; ++i) Step();
    EXPECT_EQ(gCaptureState.step, 2);
}

TEST_F(CaptureTest, KeysAreTakenInKeyCodeOrderAndOnlyFromTheTable) {
    dialog_.Click(kIdCaptureKeys2);
    input::SetKey(0x01, true);  // Escape is not in the table
    Step();
    EXPECT_EQ(gCaptureState.step, 1);
    input::SetKey(0x01, false);
    input::SetKey(kKeyUp, true);
    input::SetKey(kKeyQ, true);
    Step();
    EXPECT_EQ(gSettingsRecord.bindings[2][0], 30);  // Q (0x10) before cursor up (0xC8)
}

TEST_F(CaptureTest, TheStepClockRunsAtMostSixtyStepsASecond) {
    dialog_.Click(kIdCaptureKeys2);
    Step();  // the first message sets the clock going
    input::SetKey(kKeyQ, true);
    gNow += 10;  // 30 thirds of a millisecond: no step yet
    dialog_.TimerFires();
    EXPECT_EQ(gCaptureState.step, 1);
    gNow += 7;  // 51 thirds: one step
    dialog_.TimerFires();
    EXPECT_EQ(gCaptureState.step, 2);
    input::SetKey(kKeyQ, false);
    Step();  // a step with no key held: the next key is a new press
    // Many messages in one millisecond make at most one step.
    input::SetKey(kKeyW, true);
    gNow += 17;
    for (int i = 0; i < 10; ++i) dialog_.TimerFires();
    EXPECT_EQ(gCaptureState.step, 3);
}

TEST_F(CaptureTest, ControllersGiveTheirSlotsValuesAndButtonsUpToTheTenth) {
    scripted::SetControllerCount(2);
    dialog_.Click(kIdCapturePad1);
    EXPECT_EQ(Prompt(kIdPrompt1), "上を押してください");
    PressButton(1, 2);  // controller 1, button 3
    EXPECT_EQ(gSettingsRecord.bindings[1][0], 60 + 4 + 2);
    EXPECT_EQ(dialog_.Utf8Text(kIdFirstBinding + 8), "P2 ボタン3");
    PressButton(0, 9);  // button 10: the last that can be captured
    EXPECT_EQ(gSettingsRecord.bindings[1][1], 40 + 4 + 9);
    EXPECT_EQ(dialog_.Utf8Text(kIdFirstBinding + 9), "P1 ボタン10");
    PressButton(0, 10);  // button 11 is never captured
    PressButton(1, 15);
    EXPECT_EQ(gCaptureState.step, 3);
    // Both controllers at once: the lower slot wins.
    input::ControllerState left{};
    left.x = -501;
    scripted::SetControllerState(0, left);
    scripted::SetControllerState(1, left);
    Step();
    EXPECT_EQ(gSettingsRecord.bindings[1][2], 40 + 3);
    scripted::SetControllerState(0, input::ControllerState{});
    Step();
    // Controller 1's press is still new to it: taken in the next step.
    EXPECT_EQ(gSettingsRecord.bindings[1][3], 60 + 3);
    // An axis at 500 is no direction.
    input::ControllerState edge{};
    edge.y = 500;
    scripted::SetControllerState(1, edge);
    Step();
    EXPECT_EQ(gCaptureState.step, 5);
    edge.y = 501;
    scripted::SetControllerState(1, edge);
    Step();
    EXPECT_EQ(gSettingsRecord.bindings[1][4], 60 + 2);
    scripted::SetControllerState(1, input::ControllerState{});
    for (int k = 0; k < 3; ++k) PressButton(0, k);
    EXPECT_EQ(gCaptureState.step, 0);
    EXPECT_EQ(Prompt(kIdPrompt1), "設定完了しました");
    EXPECT_EQ(gSettingsRecord.bindings[1][7], 40 + 4 + 2);
}

TEST_F(CaptureTest, AControllerCaptureWithoutControllersWaitsUntilAnotherStarts) {
    dialog_.Click(kIdCapturePad2);
    for (int i = 0; i < 20; ++i) PressKey(kKeyQ);
    EXPECT_EQ(gCaptureState.step, 1);
    EXPECT_EQ(Prompt(kIdPrompt2), "上を押してください");
    // Another capture button takes over; the controllers come back in the same slots.
    scripted::SetControllerCount(1);
    dialog_.Click(kIdCapturePad1);
    EXPECT_EQ(gCaptureState.mode, 1);
    EXPECT_EQ(gCaptureState.step, 1);
    PressButton(0, 0);
    EXPECT_EQ(gSettingsRecord.bindings[1][0], 44);
    dialog_.Click(kIdCapturePad2);
    PressButton(0, 1);
    EXPECT_EQ(gSettingsRecord.bindings[3][0], 45);
    EXPECT_EQ(gInputDevices.controllerCount, 1);
}

TEST_F(CaptureTest, NothingIsCapturedWhileAnotherWindowHasTheFocus) {
    scripted::SetControllerCount(1);
    dialog_.Click(kIdCapturePad2);
    dialog_.Activate(false);
    PressButton(0, 2);
    PressButton(0, 3);
    EXPECT_EQ(gCaptureState.step, 1);
    EXPECT_EQ(Prompt(kIdPrompt2), "上を押してください");
    dialog_.Activate(true);
    PressButton(0, 1);
    EXPECT_EQ(gSettingsRecord.bindings[3][0], 40 + 4 + 1);

    dialog_.Click(kIdCaptureKeys2);
    dialog_.Activate(false);
    PressKey(kKeyQ);
    EXPECT_EQ(gCaptureState.step, 1);
    dialog_.Activate(true);
    PressKey(kKeyW);
    EXPECT_EQ(gSettingsRecord.bindings[2][0], 36);
}

TEST_F(CaptureTest, DevicesThatCannotBeOpenedEndTheCaptureWithTheMessage) {
    scripted::SetSystemFails(true);
    dialog_.Click(kIdCaptureKeys1);
    ASSERT_EQ(dialog_.Boxes().size(), 1u);
    std::string box = Utf8(dialog_.Boxes()[0].c_str());
    EXPECT_NE(box.find("DirectInput8オブジェクトの作成に失敗"), std::string::npos) << box;
    EXPECT_EQ(gCaptureState.step, 0);
    EXPECT_FALSE(dialog_.TimerRunning());
    EXPECT_FALSE(dialog_.KeyCapture());
    EXPECT_TRUE(dialog_.At(kIdCaptureKeys1).enabled);
    EXPECT_TRUE(dialog_.At(kIdFullScreen).enabled);

    scripted::SetSystemFails(false);
    scripted::SetKeyboardFails(true);
    dialog_.Click(kIdCaptureKeys1);
    ASSERT_EQ(dialog_.Boxes().size(), 2u);
    box = Utf8(dialog_.Boxes()[1].c_str());
    EXPECT_NE(box.find("DirectInputDevice8オブジェクトの作成に失敗"), std::string::npos) << box;
    EXPECT_EQ(gCaptureState.step, 0);
    EXPECT_FALSE(gInputDevices.system);
}

TEST(InputNames, EveryBindingValueHasItsName) {
    const char* const keys[] = {"↑",          "→",          "↓",         "←",      "右Shift",
                                "右Ctrl",     "スペース",   "左Shift",   "左Ctrl", "テンキー８",
                                "テンキー６", "テンキー２", "テンキー４"};
    EXPECT_EQ(Utf8(InputNameTable(0)), " ");
    for (int v = 1; v <= 13; ++v) EXPECT_EQ(Utf8(InputNameTable(v)), keys[v - 1]) << v;
    const char* letters = "ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ";
    for (int v = 14; v <= 39; ++v) {
        EXPECT_EQ(Utf8(InputNameTable(v)), std::string(letters + 3 * (v - 14), 3)) << v;
    }
    const char* const directions[] = {"上", "右", "下", "左"};
    for (int p = 0; p < 4; ++p) {
        for (int i = 0; i < 20; ++i) {
            std::string expected =
                "P" + std::to_string(p + 1) + " " +
                (i < 4 ? std::string(directions[i]) : "ボタン" + std::to_string(i - 3));
            EXPECT_EQ(Utf8(InputNameTable(40 + 20 * p + i)), expected) << 40 + 20 * p + i;
        }
    }
    // Values outside 0..119 show the blank.
    for (int v : {-1, 120, 32767, -32768}) EXPECT_STREQ(InputNameTable(v), " ") << v;
}

TEST(InputNames, CapturePrompts) {
    const char* const prompts[] = {
        "上を押してください",     "右を押してください",         "下を押してください",
        "左を押してください",     "ヴァルカンを押してください", "サブウェポンを押してください",
        "ロールを押してください", "ポーズを押してください",     "設定完了しました"};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(Utf8(CapturePrompt(i)), prompts[i]);
}

}  // namespace
