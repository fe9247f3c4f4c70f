// The settings dialog's controls: the window style and frame-rate groups on top, one group
// per player with its capture buttons, its prompt line and its two rows of binding boxes
// (keyboard, then pad) under the eight action captions, and the buttons at the bottom.
#include "platform/text/cp932.h"
#include "tool/main/settings_tool.h"

namespace {

using win::ControlKind;
using win::DialogControl;

constexpr auto kCaption = text::Cp932(u8"VELDRAN QUORL　環境カスタム");
constexpr auto kWindowStyle = text::Cp932(u8"ウインドウスタイル");
constexpr auto kFullScreen = text::Cp932(u8"フルスクリーン");
constexpr auto kWindowed = text::Cp932(u8"ウィンドウ");
constexpr auto kShowFps = text::Cp932(u8"FPSを表示する");
constexpr auto kPlayer1 = text::Cp932(u8"１Ｐの操作");
constexpr auto kPlayer2 = text::Cp932(u8"２Ｐの操作");
constexpr auto kSetKeys = text::Cp932(u8"キーボードを設定");
constexpr auto kSetPad = text::Cp932(u8"パッドを設定");
constexpr auto kKeysCaption = text::Cp932(u8"キーボードの設定");
constexpr auto kPadCaption = text::Cp932(u8"パッドの設定");
constexpr auto kDefaults = text::Cp932(u8"デフォルト設定に戻す");
constexpr auto kSave = text::Cp932(u8"設定を保存して終了");
constexpr auto kCancel = text::Cp932(u8"ｷｬﾝｾﾙ");
constexpr auto kUp = text::Cp932(u8"上");
constexpr auto kRight = text::Cp932(u8"右");
constexpr auto kDown = text::Cp932(u8"下");
constexpr auto kLeft = text::Cp932(u8"左");
constexpr auto kVulcan = text::Cp932(u8"ヴァルカン");
constexpr auto kSubWeapon = text::Cp932(u8"サブウェポン");
constexpr auto kRoll = text::Cp932(u8"ロール");
constexpr auto kPause = text::Cp932(u8"ポーズ");

const char* const kColumnCaptions[kBindingColumns] = {
    kUp.c_str(),     kRight.c_str(),     kDown.c_str(), kLeft.c_str(),
    kVulcan.c_str(), kSubWeapon.c_str(), kRoll.c_str(), kPause.c_str(),
};

constexpr int kMaxControls = 96;
constexpr int kPromptChars = 28;
constexpr int kBindingChars = 9;

struct Layout {
    DialogControl controls[kMaxControls];
    int count;

    int Add(ControlKind kind, int id, const char* text, int parent, int row, int column,
            int columnSpan = 1, int radioGroup = 0, int widthChars = 0) {
        controls[count] = DialogControl{kind,   id, text,       parent,     row,
                                        column, 1,  columnSpan, radioGroup, widthChars};
        return count++;
    }

    // One player's group: capture buttons and prompt, captions, two rows of boxes.
    void AddPlayer(int row, const char* caption, int keysId, int padId, int promptId,
                   int firstMode) {
        int group = Add(ControlKind::Group, 0, caption, -1, row, 0, 4);
        Add(ControlKind::PushButton, keysId, kSetKeys.c_str(), group, 0, 0, 2);
        Add(ControlKind::PushButton, padId, kSetPad.c_str(), group, 0, 2, 2);
        Add(ControlKind::ReadOnlyEdit, promptId, "", group, 0, 4, 6, 0, kPromptChars);
        for (int c = 0; c < kBindingColumns; ++c) {
            Add(ControlKind::Label, 0, kColumnCaptions[c], group, 1, 2 + c);
        }
        const char* rowCaptions[2] = {kKeysCaption.c_str(), kPadCaption.c_str()};
        for (int r = 0; r < 2; ++r) {
            int mode = firstMode + r;
            Add(ControlKind::Label, 0, rowCaptions[r], group, 2 + r, 0, 2);
            for (int c = 0; c < kBindingColumns; ++c) {
                Add(ControlKind::ReadOnlyEdit, kIdFirstBinding + kBindingColumns * mode + c, "",
                    group, 2 + r, 2 + c, 1, 0, kBindingChars);
            }
        }
    }
};

Layout BuildLayout() {
    Layout l{};
    int style = l.Add(ControlKind::Group, 0, kWindowStyle.c_str(), -1, 0, 0, 2);
    l.Add(ControlKind::RadioButton, kIdFullScreen, kFullScreen.c_str(), style, 0, 0, 1, 1);
    l.Add(ControlKind::RadioButton, kIdWindow, kWindowed.c_str(), style, 1, 0, 1, 1);
    int fps = l.Add(ControlKind::Group, 0, "FPS", -1, 0, 2, 2);
    l.Add(ControlKind::RadioButton, kIdFps60, "60", fps, 0, 0, 1, 2);
    l.Add(ControlKind::RadioButton, kIdFps30, "30", fps, 0, 1, 1, 2);
    l.Add(ControlKind::RadioButton, kIdFps20, "20", fps, 0, 2, 1, 2);
    l.Add(ControlKind::CheckBox, kIdShowFps, kShowFps.c_str(), fps, 1, 0, 3);
    l.AddPlayer(1, kPlayer1.c_str(), kIdCaptureKeys1, kIdCapturePad1, kIdPrompt1, 0);
    l.AddPlayer(2, kPlayer2.c_str(), kIdCaptureKeys2, kIdCapturePad2, kIdPrompt2, 2);
    l.Add(ControlKind::PushButton, kIdDefaults, kDefaults.c_str(), -1, 3, 0);
    l.Add(ControlKind::DefaultButton, kIdSave, kSave.c_str(), -1, 3, 2);
    l.Add(ControlKind::PushButton, kIdCancel, kCancel.c_str(), -1, 3, 3);
    return l;
}

}  // namespace

win::DialogDesc SettingsDialogDesc() {
    static const Layout layout = BuildLayout();
    return win::DialogDesc{kCaption.c_str(), layout.controls, layout.count};
}
