#include "tool/main/settings_tool.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/input/devices.h"
#include "engine/settings/profile_int.h"
#include "platform/profile/profile.h"
#include "platform/system/system.h"
#include "platform/text/cp932.h"

SettingsRecord gSettingsRecord;
CaptureState gCaptureState;

namespace {

constexpr int kTimerMs = 8;
constexpr uint32_t kStepPeriod = 50;  // thirds of a millisecond: at most 60 steps a second
constexpr int kCapturedButtons = 10;  // buttons above the tenth are never captured
constexpr int kCapturedInputs = 4 + kCapturedButtons;

input::Backend gCaptureBackend = input::Backend::Sdl;

constexpr auto kKeyNames = text::Cp932(
    u8"↑\n→\n↓\n←\n右Shift\n右Ctrl\nスペース\n左Shift\n左Ctrl\nテンキー８\nテンキー６\nテンキー２\n"
    u8"テンキー４");
constexpr auto kLetters = text::Cp932(u8"ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ");
constexpr auto kDirections = text::Cp932(u8"上右下左");
constexpr auto kButton = text::Cp932(u8"ボタン");

constexpr auto kPrompts = text::Cp932(
    u8"上を押してください\n右を押してください\n下を押してください\n左を押してください\n"
    u8"ヴァルカンを押してください\nサブウェポンを押してください\nロールを押してください\n"
    u8"ポーズを押してください\n設定完了しました");

constexpr int kNameSize = 24;
constexpr int kPromptSize = 48;
using NameTable = std::array<std::array<char, kNameSize>, kBindingValueCount>;
using PromptTable = std::array<std::array<char, kPromptSize>, 9>;

// Splits a converted list on '\n' (never a byte of a two-byte CP932 character).
template <size_t N, size_t Size>
void SplitLines(const text::Cp932Text<N>& list, std::array<char, Size>* out, int count) {
    std::string_view rest = list.view();
    for (int i = 0; i < count; ++i) {
        size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        std::snprintf(out[i].data(), Size, "%.*s", static_cast<int>(line.size()), line.data());
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
}

NameTable BuildNameTable() {
    NameTable t{};
    std::snprintf(t[0].data(), kNameSize, " ");
    SplitLines(kKeyNames, &t[1], 13);
    for (int i = 0; i < 26; ++i) {
        std::snprintf(t[14 + i].data(), kNameSize, "%.2s", kLetters.c_str() + 2 * i);
    }
    for (int p = 0; p < kControllerSlots; ++p) {
        for (int i = 0; i < kControllerInputs; ++i) {
            char* name = t[kFirstControllerValue + kControllerInputs * p + i].data();
            if (i < 4) {
                std::snprintf(name, kNameSize, "P%d %.2s", p + 1, kDirections.c_str() + 2 * i);
            } else {
                std::snprintf(name, kNameSize, "P%d %s%d", p + 1, kButton.c_str(), i - 3);
            }
        }
    }
    return t;
}

PromptTable BuildPrompts() {
    PromptTable t{};
    SplitLines(kPrompts, t.data(), 9);
    return t;
}

int BindingEditId(int32_t row, int32_t column) {
    return kIdFirstBinding + kBindingColumns * row + column;
}

// Radio pairs the dialog may carry for the texture, map and demo modes.
struct RadioPair {
    int first, second;
    int32_t SettingsRecord::*field;
};
constexpr RadioPair kModePairs[] = {
    {kIdTextureA, kIdTextureB, &SettingsRecord::textureMode},
    {kIdMapA, kIdMapB, &SettingsRecord::mapMode},
    {kIdDemoA, kIdDemoB, &SettingsRecord::demoMode},
};

win::Dialog* gBoxOwner = nullptr;  // the dialog that shows a failure of the devices

int FailureBox(const char* text, const char* caption) {
    return gBoxOwner ? gBoxOwner->MessageBox(text, caption) : 1;
}

// Ends a capture: the devices are let go, the controls come back, the clock stops.
void EndCapture(win::Dialog* dialog) {
    gCaptureState.step = 0;
    EnableSettingControls(dialog, true);
    ReleaseDirectInput();
    dialog->StopTimer();
    dialog->SetKeyCapture(false);
    gCaptureState.timerRunning = false;
}

}  // namespace

void SettingsDialogHost::OnInit() {
    HandleSettingsDialog(dialog_, DialogMessage::Init, 0);
}

void SettingsDialogHost::OnCommand(int id) {
    HandleSettingsDialog(dialog_, DialogMessage::Command, id);
}

void SettingsDialogHost::OnTimer() {
    HandleSettingsDialog(dialog_, DialogMessage::Timer, 0);
}

void SettingsDialogHost::OnActivate(bool active) {
    if (active) {
        AcquireInputDevices();
    } else {
        UnacquireInputDevices();
    }
}

const char* InputNameTable(int32_t value) {
    static const NameTable table = BuildNameTable();
    if (value < 0 || value >= kBindingValueCount) value = 0;
    return table[static_cast<size_t>(value)].data();
}

const char* CapturePrompt(int32_t step) {
    static const PromptTable prompts = BuildPrompts();
    if (step < 0 || step > 8) return "";
    return prompts[static_cast<size_t>(step)].data();
}

void SetCaptureBackend(input::Backend backend) {
    gCaptureBackend = backend;
}

void ReadSetupSettings(const char* path) {
    profile::Document doc;
    doc.Load(path);
    SettingsRecord& s = gSettingsRecord;
    int32_t* const setup[kSetupKeyCount] = {&s.windowMode,  &s.frameRate, &s.showFrameRate,
                                            &s.textureMode, &s.mapMode,   &s.demoMode};
    ReadSetupValues(doc, setup);
    ReadPadBindings(doc, s.bindings);
}

bool WriteSetupSettings(const char* path) {
    const SettingsRecord& s = gSettingsRecord;
    BeginProfileWrites(path);
    const int32_t setup[kSetupKeyCount] = {s.windowMode,  s.frameRate, s.showFrameRate,
                                           s.textureMode, s.mapMode,   s.demoMode};
    for (int i = 0; i < kSetupKeyCount; ++i)
        WriteProfileInt("setup", kSetupKeys[i], setup[i], path);
    char key[16];
    for (int row = 0; row < kBindingRows; ++row) {
        for (int column = 0; column < kBindingColumns; ++column) {
            std::snprintf(key, sizeof key, "pad%d%d", row, column);
            WriteProfileInt("option", key, s.bindings[row][column], path);
        }
    }
    return EndProfileWrites();
}

void ShowAllBindings(win::Dialog* dialog) {
    for (int row = 0; row < kBindingRows; ++row) {
        for (int column = 0; column < kBindingColumns; ++column) {
            dialog->SetText(BindingEditId(row, column),
                            InputNameTable(gSettingsRecord.bindings[row][column]));
        }
    }
}

bool HandleSettingsDialog(win::Dialog* dialog, DialogMessage message, int id) {
    SettingsRecord& s = gSettingsRecord;
    switch (message) {
        case DialogMessage::Init:
            ShowAllBindings(dialog);
            SetDialogButtons(dialog);
            return true;
        case DialogMessage::Timer:
            HandleCaptureTimer(dialog);
            return true;
        case DialogMessage::Command:
            break;
    }
    switch (id) {
        case kIdSave:
            if (dialog->IsChecked(kIdFullScreen)) s.windowMode = 0;
            if (dialog->IsChecked(kIdWindow)) s.windowMode = 1;
            if (dialog->IsChecked(kIdFps60)) s.frameRate = 0;
            if (dialog->IsChecked(kIdFps30)) s.frameRate = 1;
            if (dialog->IsChecked(kIdFps20)) s.frameRate = 2;
            for (const RadioPair& pair : kModePairs) {
                if (dialog->HasControl(pair.first) && dialog->IsChecked(pair.first))
                    s.*pair.field = 0;
                if (dialog->HasControl(pair.second) && dialog->IsChecked(pair.second)) {
                    s.*pair.field = 1;
                }
            }
            s.showFrameRate = dialog->IsChecked(kIdShowFps) ? 0 : 1;
            if (gCaptureState.step > 0) EndCapture(dialog);
            dialog->End(1);
            return true;
        case kIdCancel:
            s.windowMode = -1;
            if (gCaptureState.step > 0) EndCapture(dialog);
            dialog->End(2);
            return true;
        case kIdCaptureKeys1:
            StartCapture(dialog, 0);
            return true;
        case kIdCapturePad1:
            StartCapture(dialog, 1);
            return true;
        case kIdCaptureKeys2:
            StartCapture(dialog, 2);
            return true;
        case kIdCapturePad2:
            StartCapture(dialog, 3);
            return true;
        case kIdDefaults:
            RestoreDefaultSettings();
            SetDialogButtons(dialog);
            ShowAllBindings(dialog);
            return true;
        default:
            return true;
    }
}

void SetDialogButtons(win::Dialog* dialog) {
    const SettingsRecord& s = gSettingsRecord;
    dialog->SetChecked(kIdFullScreen, s.windowMode == 0);
    dialog->SetChecked(kIdWindow, s.windowMode != 0);
    dialog->SetChecked(kIdFps60, s.frameRate == 0);
    dialog->SetChecked(kIdFps30, s.frameRate == 1);
    dialog->SetChecked(kIdFps20, s.frameRate != 0 && s.frameRate != 1);
    for (const RadioPair& pair : kModePairs) {
        dialog->SetChecked(pair.first, s.*pair.field == 0);
        dialog->SetChecked(pair.second, s.*pair.field != 0);
    }
    dialog->SetChecked(kIdShowFps, s.showFrameRate == 0);
}

void EnableSettingControls(win::Dialog* dialog, bool enable) {
    static const int kIds[] = {kIdCaptureKeys1, kIdFullScreen, kIdWindow,   kIdFps60, kIdFps30,
                               kIdFps20,        kIdTextureA,   kIdTextureB, kIdMapA,  kIdMapB,
                               kIdDemoA,        kIdDemoB,      kIdShowFps};
    for (int id : kIds) dialog->Enable(id, enable);
}

void RestoreDefaultSettings() {
    SettingsRecord& s = gSettingsRecord;
    s.windowMode = s.frameRate = s.showFrameRate = 0;
    s.textureMode = s.mapMode = s.demoMode = 0;
    for (int row = 0; row < kBindingRows; ++row) {
        for (int column = 0; column < kBindingColumns; ++column) {
            s.bindings[row][column] = DefaultBinding(row, column);
        }
    }
}

bool InitCaptureInput(win::Dialog* dialog) {
    gBoxOwner = dialog;
    bool ok = OpenInputDevices(gCaptureBackend, FailureBox) == 1;
    gBoxOwner = nullptr;
    if (!ok) return false;
    // What is held as the capture starts must be let go first: the counters start as if
    // the current press had already been seen.
    input::UpdateDevices();
    uint8_t keys[256];
    gCaptureState.keyCounter = 0;
    if (ReadKeyboardInputs(keys)) {
        for (int i = 0; i < kKeyboardKeys; ++i) {
            if (KeyboardKeyTable[i] != 0 && (keys[KeyboardKeyTable[i]] & 0x80)) {
                gCaptureState.keyCounter = 1;
            }
        }
    }
    for (int slot = 0; slot < kMaxControllers; ++slot) {
        uint32_t inputs = 0;
        ReadControllerInputs(slot, &inputs);
        gCaptureState.padCounters[slot] = (inputs & ((1u << kCapturedInputs) - 1)) ? 1 : 0;
    }
    return true;
}

void StartCapture(win::Dialog* dialog, int32_t mode) {
    gCaptureState.mode = mode;
    dialog->StopTimer();
    gCaptureState.timerRunning = false;
    if (gCaptureState.step > 0) ReleaseDirectInput();
    gCaptureState.step = 0;
    if (!InitCaptureInput(dialog)) {
        // The failure was shown; without devices there is nothing to capture.
        ReleaseDirectInput();
        EnableSettingControls(dialog, true);
        return;
    }
    dialog->StartTimer(kTimerMs);
    gCaptureState.timerRunning = true;
    gCaptureState.step = 1;
    ShowCapturedInput(dialog, 0, 0);
    EnableSettingControls(dialog, false);
    dialog->SetKeyCapture(true);
}

void HandleCaptureTimer(win::Dialog* dialog) {
    CaptureState& c = gCaptureState;
    uint32_t now = sys::TimeMs();
    c.accumulator = (now - c.last) * 3u + c.remainder;
    if (c.accumulator < kStepPeriod) return;
    c.remainder = c.accumulator % kStepPeriod;
    c.last = now;
    StepCapture(dialog);
}

void StepCapture(win::Dialog* dialog) {
    CaptureState& c = gCaptureState;
    if (c.step <= 0) return;
    input::UpdateDevices();
    if (c.mode == 1 || c.mode == 3) {
        for (int slot = 0; slot < gInputDevices.controllerCount; ++slot) {
            int32_t in = ReadPadPress(slot);
            if (in < 0) continue;
            ShowCapturedInput(dialog, c.step,
                              kFirstControllerValue + kControllerInputs * slot + in);
            ++c.step;
            break;
        }
    } else {
        int32_t key = ReadKeyPress();
        if (key >= 0) {
            ShowCapturedInput(dialog, c.step, key + 1);
            ++c.step;
        }
    }
    if ((c.mode == 0 && c.step >= 8) || c.step >= 9) EndCapture(dialog);
}

int32_t ReadPadPress(int slot) {
    if (!gInputDevices.system || slot < 0 || slot >= gInputDevices.controllerCount ||
        !gInputDevices.controllers[slot]) {
        return -1;
    }
    uint32_t inputs;
    if (!ReadControllerInputs(slot, &inputs)) return -1;
    int32_t found = -1;
    for (int i = 0; i < kCapturedInputs; ++i) {
        if (inputs & (1u << i)) {
            found = i;
            break;
        }
    }
    int32_t& counter = gCaptureState.padCounters[slot];
    counter = found < 0 ? 0 : counter + 1;
    return counter == 1 ? found : -1;
}

int32_t ReadKeyPress() {
    if (!gInputDevices.keyboard) return -1;
    uint8_t keys[256];
    int32_t found = -1;
    if (ReadKeyboardInputs(keys)) {
        for (int code = 1; code < 256 && found < 0; ++code) {
            if (!(keys[code] & 0x80)) continue;
            for (int i = 0; i < kKeyboardKeys; ++i) {
                if (KeyboardKeyTable[i] == code) {
                    found = i;
                    break;
                }
            }
        }
    }
    DrainKeyboardBuffer();
    int32_t& counter = gCaptureState.keyCounter;
    counter = found < 0 ? 0 : counter + 1;
    return counter == 1 ? found : -1;
}

void ShowCapturedInput(win::Dialog* dialog, int32_t step, int32_t value) {
    const int32_t mode = gCaptureState.mode;
    if (step > 0 && step <= kBindingColumns) {
        dialog->SetText(kIdFirstBinding - 1 + kBindingColumns * mode + step, InputNameTable(value));
        gSettingsRecord.bindings[mode][step - 1] = static_cast<int16_t>(value);
    }
    if (mode == 2 || mode == 3) {
        dialog->SetText(kIdPrompt2, CapturePrompt(step));
    } else if (mode == 1) {
        dialog->SetText(kIdPrompt1, CapturePrompt(step));
    } else {
        dialog->SetText(kIdPrompt1, CapturePrompt(step == 7 ? 8 : step));
    }
}

int RunSettingsTool(win::Dialog* dialog) {
    std::string path = std::string(sys::ProgramDirectory()) + "v_quorl.ini";
    ReadSetupSettings(path.c_str());
    gCaptureState = CaptureState{};
    SettingsDialogHost host(dialog);
    int code = dialog->Run(SettingsDialogDesc(), &host);
    if (gCaptureState.step > 0) EndCapture(dialog);
    // Cancel, the close button, or a dialog that could not be shown: nothing is written.
    if (code != 1 || gSettingsRecord.windowMode == -1) return 0;
    WriteSetupSettings(path.c_str());
    return 1;
}
