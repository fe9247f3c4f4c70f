// What the settings tool reads and writes: defaults with no file, OK with every key in
// order and the other sections kept, Cancel and the close button writing nothing.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/game_state.h"
#include "engine/input/bindings.h"
#include "engine/main/app.h"
#include "engine/settings/settings.h"
#include "platform/input/keyboard.h"
#include "platform/input/scripted.h"
#include "platform/profile/profile.h"
#include "platform/system/system.h"
#include "tests/support/temp_folder.h"
#include "tests/tool/fake_dialog.h"
#include "tool/main/settings_tool.h"

namespace {

// The tool's keys in the order it writes them, with the values of a fresh default file.
std::string DefaultToolSections() {
    std::string text = "[setup]\nwinmode=0\nfps=0\ndispfps=0\ntexmode=0\nmapmode=0\ndemomode=0\n";
    text += "\n[option]\n";
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 8; ++c) {
            text += "pad" + std::to_string(r) + std::to_string(c) + "=" +
                    std::to_string(DefaultBinding(r, c)) + "\n";
        }
    }
    return text;
}

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        sys::SetProgramDirectory(folder_.Path().c_str());
        input::scripted::Reset();
        SetCaptureBackend(input::Backend::Scripted);
    }
    void TearDown() override {
        sys::SetProgramDirectory(nullptr);
        SetCaptureBackend(input::Backend::Sdl);
    }
    std::string Read() const { return vqtest::ReadWholeFile(path_); }
    void Write(const std::string& text) const { vqtest::WriteWholeFile(path_, text); }

    vqtest::TempFolder folder_;
    std::string path_ = folder_.File("v_quorl.ini");
    vqtest::FakeDialog dialog_;
};

TEST_F(SettingsFileTest, WithNoFileTheDialogShowsTheDefaultsAndOkWritesEveryKey) {
    dialog_.user = [](vqtest::FakeDialog& d) {
        EXPECT_TRUE(d.At(kIdFullScreen).checked);
        EXPECT_FALSE(d.At(kIdWindow).checked);
        EXPECT_TRUE(d.At(kIdFps60).checked);
        EXPECT_TRUE(d.At(kIdShowFps).checked);
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 0), "↑");
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 4), "Ｚ");
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 8), "P1 上");
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 16), " ");
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 31), "P2 ボタン4");
        d.Click(kIdSave);
    };
    EXPECT_EQ(RunSettingsTool(&dialog_), 1);
    EXPECT_EQ(Read(), DefaultToolSections());
}

TEST_F(SettingsFileTest, OkUpdatesTheToolsKeysInPlaceAndKeepsEverythingElse) {
    const std::string before =
        "; hand-made\n"
        "[record]\ngametime=77\nclearstage=3\n\n"
        "[setup]\nfps=1\nwinmode=0\ntexmode=1\n\n"
        "[option]\npad00=14\npad37=500\n\n"
        "[config]\nse=4\n\n[other]\nx=y\n";
    Write(before);
    dialog_.user = [](vqtest::FakeDialog& d) {
        EXPECT_TRUE(d.At(kIdFps30).checked);
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 0), "Ａ");
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 31), " ");  // 500 has no name
        d.Click(kIdWindow);
        d.Click(kIdFps20);
        d.Click(kIdShowFps);  // unchecked: the digits are hidden
        d.Click(kIdSave);
    };
    EXPECT_EQ(RunSettingsTool(&dialog_), 1);
    std::string expected =
        "; hand-made\n"
        "[record]\ngametime=77\nclearstage=3\n\n"
        "[setup]\nfps=2\nwinmode=1\ntexmode=1\ndispfps=1\nmapmode=0\ndemomode=0\n\n"
        "[option]\npad00=14\npad37=500\n";
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 8; ++c) {
            if ((r == 0 && c == 0) || (r == 3 && c == 7)) continue;
            expected += "pad" + std::to_string(r) + std::to_string(c) + "=" +
                        std::to_string(DefaultBinding(r, c)) + "\n";
        }
    }
    expected += "\n[config]\nse=4\n\n[other]\nx=y\n";
    EXPECT_EQ(Read(), expected);
}

TEST_F(SettingsFileTest, CancelAndTheCloseButtonWriteNothing) {
    const std::string before = "[setup]\nwinmode=1\n; note\n";
    Write(before);
    dialog_.user = [](vqtest::FakeDialog& d) {
        d.Click(kIdFullScreen);
        d.Click(kIdDefaults);
        d.Click(kIdCancel);
    };
    EXPECT_EQ(RunSettingsTool(&dialog_), 0);
    EXPECT_EQ(Read(), before);
    EXPECT_EQ(gSettingsRecord.windowMode, -1);

    // The window's close button arrives as Cancel.
    dialog_.user = [](vqtest::FakeDialog& d) { d.Click(kIdCancel); };
    EXPECT_EQ(RunSettingsTool(&dialog_), 0);
    EXPECT_EQ(Read(), before);

    // A dialog that never ran writes nothing either, and no file is made.
    std::remove(path_.c_str());
    dialog_.user = nullptr;
    EXPECT_EQ(RunSettingsTool(&dialog_), 0);
    EXPECT_EQ(folder_.EntryCount(), 0);
}

TEST_F(SettingsFileTest, RestoringTheDefaultsResetsEveryControl) {
    Write("[setup]\nwinmode=1\nfps=2\ndispfps=1\ntexmode=1\n[option]\npad10=3\n");
    dialog_.user = [](vqtest::FakeDialog& d) {
        EXPECT_TRUE(d.At(kIdWindow).checked);
        EXPECT_TRUE(d.At(kIdFps20).checked);
        EXPECT_FALSE(d.At(kIdShowFps).checked);
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 8), "↓");
        d.Click(kIdDefaults);
        EXPECT_TRUE(d.At(kIdFullScreen).checked);
        EXPECT_TRUE(d.At(kIdFps60).checked);
        EXPECT_TRUE(d.At(kIdShowFps).checked);
        EXPECT_EQ(d.Utf8Text(kIdFirstBinding + 8), "P1 上");
        d.Click(kIdSave);
    };
    EXPECT_EQ(RunSettingsTool(&dialog_), 1);
    profile::Document doc;
    doc.Parse(Read());
    for (const char* key : {"winmode", "fps", "dispfps", "texmode", "mapmode", "demomode"}) {
        EXPECT_EQ(doc.ReadInt("setup", key, -1), 0) << key;
    }
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 8; ++c) {
            std::string key = "pad" + std::to_string(r) + std::to_string(c);
            EXPECT_EQ(doc.ReadInt("option", key, -1), DefaultBinding(r, c)) << key;
        }
    }
}

TEST_F(SettingsFileTest, ACapturedBindingIsSavedByOk) {
    input::scripted::SetControllerCount(1);
    dialog_.user = [](vqtest::FakeDialog& d) {
        d.Click(kIdCapturePad2);
        input::ControllerState s{};
        s.buttons[5] = 0x80;
        input::scripted::SetControllerState(0, s);
        d.TimerFires();
        d.Click(kIdSave);  // the capture ends with the dialog
    };
    EXPECT_EQ(RunSettingsTool(&dialog_), 1);
    std::string text = Read();
    EXPECT_NE(text.find("pad30=49\n"), std::string::npos) << text;
}

TEST_F(SettingsFileTest, TheGameReadsWhatTheToolSaved) {
    static uint32_t now = 1000;
    sys::SetClockSource([] { return now += 17; });  // a step's time between timer messages
    dialog_.user = [](vqtest::FakeDialog& d) {
        d.Click(kIdWindow);
        d.Click(kIdFps30);
        d.Click(kIdShowFps);
        // Player 2's keyboard row: Q W E R T Y U I.
        d.Click(kIdCaptureKeys2);
        for (uint8_t code : {0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17}) {
            input::SetKey(code, true);
            d.TimerFires();
            input::SetKey(code, false);
            d.TimerFires();
        }
        d.Click(kIdSave);
    };
    EXPECT_EQ(RunSettingsTool(&dialog_), 1);
    sys::SetClockSource(nullptr);

    const GameState saved = gGameState;
    std::snprintf(gPlatform.settingsPath, sizeof gPlatform.settingsPath, "%s", path_.c_str());
    LoadSettings();
    EXPECT_EQ(gGameState.windowMode, 1);
    EXPECT_EQ(gGameState.frameRateSetting, 1);
    EXPECT_EQ(gGameState.showFrameRate, 1);
    const int16_t row2[] = {30, 36, 18, 31, 33, 38, 34, 22};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(gGameState.padBindings[2][c], row2[c]) << c;
    for (int r : {0, 1, 3}) {
        for (int c = 0; c < 8; ++c) EXPECT_EQ(gGameState.padBindings[r][c], DefaultBinding(r, c));
    }
    // And the game's own sections go in beside the tool's, which stay as saved.
    const std::string toolFile = Read();
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Read().substr(0, toolFile.size()), toolFile);
    gGameState = saved;
    gPlatform.settingsPath[0] = 0;
}

}  // namespace
