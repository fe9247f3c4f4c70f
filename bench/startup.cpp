// The time from starting the game program to its window and to its first presented frame,
// watched from outside on the display (run under Xvfb): the program is started as a player
// starts it, from a copy beside its own settings file, with the run folder as the current
// folder. The first frame is the first time the middle of the client area is not black
// (before its first picture the window shows black). Message boxes about missing data are
// closed as they come (xdotool), so without the demo data the figure includes them.
#include <benchmark/benchmark.h>
#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

double NowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

// The program's visible windows: the main window (by its title) and the others.
void FindWindows(pid_t pid, unsigned long* main, bool* others) {
    *main = 0;
    *others = false;
    std::string ids =
        Run("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null");
    size_t pos = 0;
    while (pos < ids.size()) {
        size_t end = ids.find('\n', pos);
        if (end == std::string::npos) end = ids.size();
        std::string id = ids.substr(pos, end - pos);
        pos = end + 1;
        if (id.empty()) continue;
        std::string name = Run("xdotool getwindowname " + id + " 2>/dev/null");
        if (name.find("ver.1.01") != std::string::npos) {
            *main = std::stoul(id);
        } else if (!name.empty() && name != "\n") {
            *others = true;
            Run("xdotool windowfocus --sync " + id + " key Escape 2>/dev/null");
        }
    }
}

// True when the middle of the client area shows something other than black.
bool PictureShown(GdkDisplay* display, unsigned long xid) {
    GdkWindow* window = gdk_x11_window_foreign_new_for_display(display, xid);
    if (!window) return false;
    int w = gdk_window_get_width(window), h = gdk_window_get_height(window);
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(window, w / 2, h / 2 + 12, 1, 1);
    g_object_unref(window);
    if (!pb) return false;
    const guchar* p = gdk_pixbuf_get_pixels(pb);
    bool shown = p[0] > 8 || p[1] > 8 || p[2] > 8;
    g_object_unref(pb);
    return shown;
}

void BM_StartUp(benchmark::State& state) {
    if (!std::getenv("DISPLAY") || !gtk_init_check(nullptr, nullptr)) {
        state.SkipWithError("needs a display (run under xvfb-run)");
        return;
    }
    GdkDisplay* display = gdk_display_get_default();
    std::string runFolder = VQ_RUN_DIR;
    double windowSum = 0, frameSum = 0;
    int runs = 0;
    for (auto _ : state) {
        vqtest::TempFolder folder;
        std::string program = folder.File("vq");
        Run("cp '" + runFolder + "/vq' '" + program + "'");
        vqtest::WriteWholeFile(folder.File("v_quorl.ini"), "[setup]\nwinmode=1\nfps=0\n");
        if (chdir(runFolder.c_str()) != 0) {
            state.SkipWithError("no run folder");
            return;
        }
        char* argv[] = {program.data(), nullptr};
        pid_t pid = 0;
        double start = NowSeconds();
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("vq did not start");
            return;
        }
        double windowAt = 0, frameAt = 0;
        while (NowSeconds() - start < 30.0) {
            unsigned long main = 0;
            bool others = false;
            FindWindows(pid, &main, &others);
            if (main && windowAt == 0) windowAt = NowSeconds() - start;
            if (main && !others && PictureShown(display, main)) {
                frameAt = NowSeconds() - start;
                break;
            }
        }
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        if (frameAt == 0) {
            state.SkipWithError("no picture within 30 s");
            return;
        }
        windowSum += windowAt;
        frameSum += frameAt;
        ++runs;
    }
    state.counters["to_window_ms"] = 1000.0 * windowSum / runs;
    state.counters["to_first_frame_ms"] = 1000.0 * frameSum / runs;
}
BENCHMARK(BM_StartUp)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
