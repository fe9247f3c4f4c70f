// A window without a display: events come from nothing, waits sleep, message boxes are
// written to standard error. Used by tests and the headless harness.
#include <csignal>
#include <cstdio>
#include <string>

#include "platform/system/system.h"
#include "platform/text/cp932.h"
#include "platform/window/window.h"

namespace win {

namespace {

volatile std::sig_atomic_t gStopRequested = 0;

void OnStopSignal(int) {
    gStopRequested = 1;
}

class HeadlessWindow : public Window {
public:
    ~HeadlessWindow() override {
        if (created_) {
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGTERM, SIG_DFL);
            sys::RestoreStopSignalHandlers();
        }
    }
    bool Create(const WindowDesc& desc, WindowHost* host) override {
        host_ = host;
        width_ = desc.clientWidth;
        height_ = desc.clientHeight;
        created_ = true;
        gStopRequested = 0;
        std::signal(SIGINT, OnStopSignal);
        std::signal(SIGTERM, OnStopSignal);
        // A stop asked for before the window existed closes it at once.
        if (sys::TakeStopSignal()) closeRequested_ = true;
        if (host_) host_->OnActivate(true, false);
        return true;
    }
    bool PumpEvents() override {
        if (closeRequested_ || gStopRequested) {
            closeRequested_ = false;
            gStopRequested = 0;
            Destroy();
        }
        return !quitting_;
    }
    void WaitEvents(int timeoutMs) override {
        if (timeoutMs > 0) sys::SleepMs(static_cast<uint32_t>(timeoutMs));
    }
    void WaitUntil(uint32_t dueMs) override {
        int32_t wait = static_cast<int32_t>(dueMs - sys::TimeMs());
        if (wait > 1000) wait = 1000;
        if (wait > 0) sys::SleepMs(static_cast<uint32_t>(wait));
    }
    void Quit() override { quitting_ = true; }
    bool IsQuitting() const override { return quitting_; }
    void SetClientSize(int width, int height) override {
        width_ = width;
        height_ = height;
    }
    void GetClientSize(int* width, int* height) const override {
        *width = width_;
        *height = height_;
    }
    FrameMetrics Metrics() const override { return FrameMetrics{0, 0, 0}; }
    void DesktopMode(int* width, int* height, int* refreshHz) const override {
        *width = 640;
        *height = 480;
        *refreshHz = 60;
    }
    void CheckMenuItem(int, bool) override {}
    void PostClose() override { closeRequested_ = true; }
    void Destroy() override {
        if (destroyed_) return;
        destroyed_ = true;
        if (host_) host_->OnDestroy();
        quitting_ = true;
    }
    int MessageBox(const char* text, const char* caption) override {
        return ConsoleMessageBox(text, caption);
    }
    int AboutBox(const char*, const char* const*, int) override { return kIdOk; }
    gfx::GlSurface* Surface() override { return nullptr; }
    void ShowOverlayFrame(const uint8_t*, int, int) override {}

private:
    WindowHost* host_ = nullptr;
    int width_ = 640, height_ = 480;
    bool created_ = false;
    bool quitting_ = false;
    bool closeRequested_ = false;
    bool destroyed_ = false;
};

}  // namespace

Window* CreateHeadlessWindow() {
    return new HeadlessWindow();
}

}  // namespace win
