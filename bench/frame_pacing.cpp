// The message loop's pacing on the GTK window (needs a display: run under Xvfb): how late
// each frame starts against its due time, and the process's CPU use meanwhile, on the
// title with the null device (the loop alone) and with gl33 (Mesa drawing and presenting).
//
// The game's own window is wrapped: the loop tells the wrapper when the next frame is due
// (WaitUntil), and the frame starts as soon as that wait returns.
#include <benchmark/benchmark.h>
#include <gtk/gtk.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "platform/system/system.h"
#include "tests/support/temp_folder.h"

namespace {

int64_t MonotonicUs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// The monotonic microsecond at which the 32-bit millisecond clock reaches dueMs.
int64_t DueUs(uint32_t dueMs) {
    int64_t nowUs = MonotonicUs();
    int64_t nowMs = nowUs / 1000;
    int32_t ahead = static_cast<int32_t>(dueMs - static_cast<uint32_t>(nowMs));
    return (nowMs + ahead) * 1000;
}

std::vector<int64_t> gLateness;  // microseconds, one per frame

class TimingWindow : public win::Window {
public:
    explicit TimingWindow(win::Window* inner) : inner_(inner) {}
    ~TimingWindow() override { delete inner_; }
    bool Create(const win::WindowDesc& d, win::WindowHost* h) override {
        return inner_->Create(d, h);
    }
    bool PumpEvents() override { return inner_->PumpEvents(); }
    void WaitEvents(int ms) override { inner_->WaitEvents(ms); }
    void WaitUntil(uint32_t dueMs) override {
        // A frame ran since the last wait: it started when that wait returned.
        if (framesSeen_ != gFrameClock.framesDrawn && lastDueUs_ != 0) {
            gLateness.push_back(returnedUs_ - lastDueUs_);
        }
        framesSeen_ = gFrameClock.framesDrawn;
        lastDueUs_ = DueUs(dueMs);
        inner_->WaitUntil(dueMs);
        returnedUs_ = MonotonicUs();
    }
    void Quit() override { inner_->Quit(); }
    bool IsQuitting() const override { return inner_->IsQuitting(); }
    void SetClientSize(int w, int h) override { inner_->SetClientSize(w, h); }
    void GetClientSize(int* w, int* h) const override { inner_->GetClientSize(w, h); }
    win::FrameMetrics Metrics() const override { return inner_->Metrics(); }
    void DesktopMode(int* w, int* h, int* hz) const override { inner_->DesktopMode(w, h, hz); }
    void CheckMenuItem(int id, bool c) override { inner_->CheckMenuItem(id, c); }
    void PostClose() override { inner_->PostClose(); }
    void Destroy() override { inner_->Destroy(); }
    int MessageBox(const char* t, const char* c) override { return win::ConsoleMessageBox(t, c); }
    int AboutBox(const char* c, const char* const* l, int n) override {
        return inner_->AboutBox(c, l, n);
    }
    gfx::GlSurface* Surface() override { return inner_->Surface(); }
    void ShowOverlayFrame(const uint8_t* p, int w, int h) override {
        inner_->ShowOverlayFrame(p, w, h);
    }

private:
    win::Window* inner_;
    int64_t returnedUs_ = 0;
    int64_t lastDueUs_ = 0;
    uint32_t framesSeen_ = 0;
};

double CpuSeconds() {
    rusage u;
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void BM_Pacing(benchmark::State& state) {
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs a display (run under xvfb-run)");
        return;
    }
    bool gl33 = state.range(0) != 0;
    int seconds = static_cast<int>(state.range(1));
    vqtest::TempFolder folder;
    vqtest::WriteWholeFile(folder.File("v_quorl.ini"), "[setup]\nwinmode=1\nfps=0\n");
    sys::SetProgramDirectory(folder.Path().c_str());
    for (auto _ : state) {
        gGameState = GameState{};
        gLateness.clear();
        PlatformBackends b = GameBackends();
        b.createWindow = []() -> win::Window* {
            win::Window* inner = win::CreateGtkWindow();
            return inner ? new TimingWindow(inner) : nullptr;
        };
        if (!gl33) b.graphics = PlatformBackends::Graphics::Null;
        if (!StartGame(b) || !Device3D()) {
            state.SkipWithError("start-up failed");
            ShutdownGame();
            break;
        }
        g_timeout_add_seconds(
            static_cast<guint>(seconds),
            [](gpointer) -> gboolean {
                OnMainWindowCommand(kCmdExit);
                return G_SOURCE_REMOVE;
            },
            nullptr);
        double cpu0 = CpuSeconds();
        int64_t wall0 = MonotonicUs();
        RunMessageLoop();
        double cpu = CpuSeconds() - cpu0;
        double wall = static_cast<double>(MonotonicUs() - wall0) / 1e6;
        ShutdownGame();

        std::vector<int64_t> late = gLateness;
        std::sort(late.begin(), late.end());
        size_t n = late.size();
        if (n == 0) continue;
        double sum = 0;
        size_t within = 0;
        for (int64_t l : late) {
            sum += static_cast<double>(l);
            if (l < 1000) ++within;
        }
        state.counters["frames"] = static_cast<double>(n);
        state.counters["late_mean_us"] = sum / static_cast<double>(n);
        state.counters["late_p50_us"] = static_cast<double>(late[n / 2]);
        state.counters["late_p99_us"] = static_cast<double>(late[n * 99 / 100]);
        state.counters["late_max_us"] = static_cast<double>(late.back());
        state.counters["within_1ms_pct"] =
            100.0 * static_cast<double>(within) / static_cast<double>(n);
        state.counters["cpu_pct"] = 100.0 * cpu / wall;
    }
    sys::SetProgramDirectory(nullptr);
}
BENCHMARK(BM_Pacing)
    ->ArgNames({"gl33", "seconds"})
    ->Args({0, 5})
    ->Args({1, 5})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
