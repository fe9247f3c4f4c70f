// The time from starting the game program to its window and to its first presented frame,
// watched from outside on the display (run under Xvfb): the program is started as a player
// starts it, from a copy beside its own settings file, with the run folder as the current
// folder. The first frame is the first time the middle of the client area is not black
// (before its first picture the window shows black). Message boxes about missing data are
// closed as they come (xdotool), so without the demo data the figure includes them. The
// display is read through Xlib once a millisecond: watching costs the program under test
// next to nothing. Other windows must not cover the program's (nothing composites here).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <benchmark/benchmark.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/own_display.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

// Reads a window's property of 32-bit items; false when it has none.
bool CardinalProperty(Display* display, Window window, Atom property, unsigned long* value) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 1, False, AnyPropertyType, &type, &format,
                           &count, &after, &data) != Success) {
        return false;
    }
    bool ok = data && format == 32 && count == 1;
    if (ok) *value = *reinterpret_cast<unsigned long*>(data);
    if (data) XFree(data);
    return ok;
}

std::string WindowName(Display* display, Window window, Atom netWmName, Atom utf8) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string name;
    if (XGetWindowProperty(display, window, netWmName, 0, 256, False, utf8, &type, &format, &count,
                           &after, &data) == Success &&
        data) {
        name.assign(reinterpret_cast<char*>(data), count);
    }
    if (data) XFree(data);
    return name;
}

// The program's viewable top-level windows (there is no window manager on the test
// display, so they are the root's children): the main window (by its title) and the
// others. Other windows are message boxes; they are closed with Escape as they come.
void FindWindows(Display* display, pid_t pid, Window* main, bool* others) {
    *main = 0;
    *others = false;
    static const Atom kPid = XInternAtom(display, "_NET_WM_PID", False);
    static const Atom kName = XInternAtom(display, "_NET_WM_NAME", False);
    static const Atom kUtf8 = XInternAtom(display, "UTF8_STRING", False);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        return;
    }
    for (unsigned int i = 0; i < count; ++i) {
        unsigned long owner = 0;
        if (!CardinalProperty(display, children[i], kPid, &owner) ||
            owner != static_cast<unsigned long>(pid)) {
            continue;
        }
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) ||
            attributes.map_state != IsViewable) {
            continue;
        }
        std::string name = WindowName(display, children[i], kName, kUtf8);
        if (name.find("ver.1.01") != std::string::npos) {
            *main = children[i];
        } else if (!name.empty()) {
            *others = true;
            vqtest::ShellOutput("xdotool windowfocus --sync " + std::to_string(children[i]) +
                                " key Escape 2>/dev/null");
        }
    }
    if (children) XFree(children);
}

// True when the middle of the client area shows something other than black.
bool PictureShown(Display* display, Window window) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return false;
    XImage* image = XGetImage(display, window, attributes.width / 2, attributes.height / 2 + 12, 1,
                              1, AllPlanes, ZPixmap);
    if (!image) return false;
    unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    auto channel = [&](unsigned long mask) {
        unsigned long v = pixel & mask;
        while (mask && !(mask & 1)) {
            mask >>= 1;
            v >>= 1;
        }
        return v;
    };
    return channel(attributes.visual->red_mask) > 8 || channel(attributes.visual->green_mask) > 8 ||
           channel(attributes.visual->blue_mask) > 8;
}

int IgnoreXErrors(Display*, XErrorEvent*) {
    // A window may go away between listing it and reading it.
    return 0;
}

void BM_StartUp(benchmark::State& state) {
    Display* display = std::getenv("DISPLAY") ? XOpenDisplay(nullptr) : nullptr;
    if (!display) {
        state.SkipWithError("needs a display (run under xvfb-run)");
        return;
    }
    XSetErrorHandler(IgnoreXErrors);
    std::string runFolder = VQ_RUN_DIR;
    double windowSum = 0, frameSum = 0;
    int runs = 0;
    for (auto _ : state) {
        vqtest::TempFolder folder;
        std::string program = folder.File("vq");
        // VQ_STARTUP_PROGRAM names another build of the program to measure (comparisons).
        const char* other = std::getenv("VQ_STARTUP_PROGRAM");
        vqtest::ShellOutput("cp '" + (other ? std::string(other) : runFolder + "/vq") + "' '" +
                            program + "'");
        vqtest::WriteWholeFile(folder.File("v_quorl.ini"), "[setup]\nwinmode=1\nfps=0\n");
        if (chdir(runFolder.c_str()) != 0) {
            state.SkipWithError("no run folder");
            return;
        }
        char* argv[] = {program.data(), nullptr};
        pid_t pid = 0;
        double start = vqtest::NowSeconds();
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("vq did not start");
            return;
        }
        double windowAt = 0, frameAt = 0;
        while (vqtest::NowSeconds() - start < 30.0) {
            Window main = 0;
            bool others = false;
            FindWindows(display, pid, &main, &others);
            if (main && windowAt == 0) windowAt = vqtest::NowSeconds() - start;
            if (main && !others && PictureShown(display, main)) {
                frameAt = vqtest::NowSeconds() - start;
                break;
            }
            // Watching costs the display server little; a millisecond keeps the figure
            // within about a millisecond of the truth.
            usleep(1000);
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
    XCloseDisplay(display);
    state.counters["to_window_ms"] = 1000.0 * windowSum / runs;
    state.counters["to_first_frame_ms"] = 1000.0 * frameSum / runs;
}
BENCHMARK(BM_StartUp)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
