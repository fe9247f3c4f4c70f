// A dialog without a toolkit for the settings tool's tests: it keeps each control's
// state, and Run plays a script of user actions between OnInit and the end.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/window/dialog.h"

namespace vqtest {

class FakeDialog : public win::Dialog {
public:
    struct Control {
        win::ControlKind kind;
        int radioGroup;
        bool checked = false;
        bool enabled = true;
        std::string text;  // CP932
    };

    // What the user does while the dialog runs (called after OnInit); it usually ends
    // with a command that ends the dialog.
    std::function<void(FakeDialog&)> user;

    int Run(const win::DialogDesc& desc, win::DialogHost* host) override;
    void End(int code) override {
        code_ = code;
        ended_ = true;
    }
    bool HasControl(int id) const override { return controls_.count(id) != 0; }
    void SetChecked(int id, bool checked) override;
    bool IsChecked(int id) const override {
        auto it = controls_.find(id);
        return it != controls_.end() && it->second.checked;
    }
    void SetText(int id, const char* text) override {
        if (HasControl(id)) controls_[id].text = text;
    }
    void Enable(int id, bool enabled) override {
        if (HasControl(id)) controls_[id].enabled = enabled;
    }
    void StartTimer(int ms) override { timerMs_ = ms; }
    void StopTimer() override { timerMs_ = 0; }
    void SetKeyCapture(bool on) override { keyCapture_ = on; }
    int MessageBox(const char* text, const char* caption) override {
        boxes_.push_back(std::string(caption) + ": " + text);
        return 1;
    }

    // The user's actions.
    void Click(int id);  // a button (or a radio or check box, which sends no command)
    void TimerFires();   // one timer message, when the timer runs
    void Activate(bool active) { host_->OnActivate(active); }  // the focus comes or goes

    // Prepares the controls without running (for tests that drive the handlers).
    void Open(const win::DialogDesc& desc, win::DialogHost* host);

    const Control& At(int id) { return controls_.at(id); }
    std::string Utf8Text(int id);
    bool TimerRunning() const { return timerMs_ != 0; }
    int TimerMs() const { return timerMs_; }
    bool KeyCapture() const { return keyCapture_; }
    bool Ended() const { return ended_; }
    const std::vector<std::string>& Boxes() const { return boxes_; }

private:
    std::map<int, Control> controls_;
    win::DialogHost* host_ = nullptr;
    int code_ = -1;
    bool ended_ = false;
    int timerMs_ = 0;
    bool keyCapture_ = false;
    std::vector<std::string> boxes_;
};

}  // namespace vqtest
