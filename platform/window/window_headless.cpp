// A window without a display: events come from nothing, waits sleep, message boxes are
// written to standard error. Used by tests and the headless harness.
#include <cstdio>
#include <string>

#include "platform/system/system.h"
#include "platform/text/cp932.h"
#include "platform/window/window.h"

namespace win {

namespace {

class HeadlessWindow : public Window {
public:
    bool Create(const WindowDesc& desc, WindowHost* host) override {
        host_ = host;
        width_ = desc.clientWidth;
        height_ = desc.clientHeight;
        if (host_) host_->OnActivate(true, false);
        return true;
    }
    bool PumpEvents() override {
        if (closeRequested_) {
            closeRequested_ = false;
            Destroy();
        }
        return !quitting_;
    }
    void WaitEvents(int timeoutMs) override {
        if (timeoutMs > 0) sys::SleepMs(static_cast<uint32_t>(timeoutMs));
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
    void CheckMenuItem(int id, bool checked) override {
        (void)id;
        (void)checked;
    }
    void PostClose() override { closeRequested_ = true; }
    void Destroy() override {
        if (destroyed_) return;
        destroyed_ = true;
        if (host_) host_->OnDestroy();
        quitting_ = true;
    }
    int MessageBox(const char* text, const char* caption) override {
        return StandaloneMessageBox(text, caption);
    }
    int AboutBox(const char*, const char* const*, int) override { return kIdOk; }
    gfx::GlSurface* Surface() override { return nullptr; }
    void ShowOverlayFrame(const uint8_t*, int, int) override {}

private:
    WindowHost* host_ = nullptr;
    int width_ = 640, height_ = 480;
    bool quitting_ = false;
    bool closeRequested_ = false;
    bool destroyed_ = false;
};

}  // namespace

Window* CreateHeadlessWindow() {
    return new HeadlessWindow();
}

}  // namespace win
