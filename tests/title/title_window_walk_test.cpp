// The real game program under a display (Xvfb in CI), started from its run folder as a
// player starts it, walked with synthesized key presses from the press-start screen through
// the main menu, the player set-up, the craft select and the stage select into a practice
// stage. A screenshot of the client area is taken at each step (written to
// <build>/title_walk/); each step must change the picture and the program must keep running.
// GoogleTest before the X headers, whose None macro would meet its names.
#include <gtest/gtest.h>

#include <gdk/gdkx.h>
#include <gtk/gtk.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

double NowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void SleepSeconds(double s) {
    usleep(static_cast<useconds_t>(s * 1e6));
}

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

// The program's main window (by its title); other windows it shows (message boxes about
// missing data) are closed.
unsigned long FindMainWindow(pid_t pid) {
    unsigned long main = 0;
    std::string ids =
        Shell("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null");
    size_t pos = 0;
    while (pos < ids.size()) {
        size_t end = ids.find('\n', pos);
        if (end == std::string::npos) end = ids.size();
        std::string id = ids.substr(pos, end - pos);
        pos = end + 1;
        if (id.empty()) continue;
        std::string name = Shell("xdotool getwindowname " + id + " 2>/dev/null");
        if (name.find("ver.1.01") != std::string::npos) {
            main = std::stoul(id);
        } else if (!name.empty() && name != "\n") {
            Shell("xdotool windowfocus --sync " + id + " key Escape 2>/dev/null");
        }
    }
    return main;
}

// The bottom 640 x 480 of the window (the client area under the menu bar).
GdkPixbuf* Screenshot(unsigned long xid) {
    GdkWindow* window = gdk_x11_window_foreign_new_for_display(gdk_display_get_default(), xid);
    if (!window) return nullptr;
    int w = gdk_window_get_width(window), h = gdk_window_get_height(window);
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(window, 0, h > 480 ? h - 480 : 0, w < 640 ? w : 640,
                                               h < 480 ? h : 480);
    g_object_unref(window);
    return pb;
}

// Share of pixels that differ between two screenshots of the same size.
double Difference(GdkPixbuf* a, GdkPixbuf* b) {
    int w = gdk_pixbuf_get_width(a), h = gdk_pixbuf_get_height(a);
    if (w != gdk_pixbuf_get_width(b) || h != gdk_pixbuf_get_height(b)) return 1.0;
    int n = gdk_pixbuf_get_n_channels(a), stride = gdk_pixbuf_get_rowstride(a);
    int strideB = gdk_pixbuf_get_rowstride(b);
    const guchar* pa = gdk_pixbuf_get_pixels(a);
    const guchar* pb = gdk_pixbuf_get_pixels(b);
    long differ = 0;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const guchar* p = pa + y * stride + x * n;
            const guchar* q = pb + y * strideB + x * n;
            if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 24)
                ++differ;
        }
    }
    return static_cast<double>(differ) / (static_cast<double>(w) * h);
}

class TitleWindowWalk : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") || !gtk_init_check(nullptr, nullptr)) {
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        }
        if (Shell("command -v xdotool").empty()) GTEST_SKIP() << "needs xdotool";
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
        }
    }
    bool Alive() const {
        return pid_ > 0 && kill(pid_, 0) == 0 && waitpid(pid_, nullptr, WNOHANG) == 0;
    }

    // Holds a key for a tenth of a second, then lets the game run for a while.
    void Key(const char* key, double settle) {
        Shell("xdotool windowfocus --sync " + std::to_string(main_) + " keydown " + key +
              " sleep 0.12 keyup " + key + " 2>/dev/null");
        SleepSeconds(settle);
    }

    pid_t pid_ = 0;
    unsigned long main_ = 0;
};

TEST_F(TitleWindowWalk, FromThePressStartScreenIntoAPracticeStage) {
    vqtest::TempFolder folder;
    std::string program = folder.File("vq");
    Shell("cp '" + std::string(VQ_RUN_DIR) + "/vq' '" + program + "'");
    vqtest::WriteWholeFile(folder.File("v_quorl.ini"),
                           "[setup]\nwinmode=1\nfps=0\n[record]\nclearstage=5\n");
    ASSERT_EQ(chdir(VQ_RUN_DIR), 0);
    char* argv[] = {program.data(), nullptr};
    ASSERT_EQ(posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ), 0);

    double start = NowSeconds();
    while (!main_ && NowSeconds() - start < 30.0) {
        main_ = FindMainWindow(pid_);
        SleepSeconds(0.1);
    }
    ASSERT_NE(main_, 0u) << "no main window";
    SleepSeconds(1.5);  // the start-up settles; the press-start screen pulses

    std::string shots = std::string(VQ_BINARY_DIR) + "/title_walk";
    mkdir(shots.c_str(), 0755);
    struct Step {
        const char* name;
        std::vector<const char*> keys;
        double settle;
        double change;  // share of the picture the step changes at least
    };
    // Each step waits long enough for its panel to slide in (ten ticks) even on a slow,
    // loaded machine, so that the next press is taken.
    const Step steps[] = {
        {"1_press_start", {}, 0.0, 0.01},
        {"2_main_menu", {"z"}, 2.0, 0.3},
        {"3_practice_item", {"Down", "Down"}, 1.0, 0.001},
        {"4_player_setup", {"z"}, 2.0, 0.3},
        {"5_craft_select", {"z"}, 2.0, 0.3},
        {"6_sense_choice", {"z"}, 2.0, 0.01},
        {"7_stage_select", {"z"}, 3.0, 0.3},
        {"8_second_stage", {"Right"}, 1.0, 0.01},
        {"9_practice_stage", {"z"}, 8.0, 0.5},
    };
    GdkPixbuf* previous = nullptr;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        for (const char* key : step.keys) Key(key, 0.3);
        SleepSeconds(step.settle);
        ASSERT_TRUE(Alive()) << "the game ended";
        GdkPixbuf* shot = Screenshot(main_);
        ASSERT_NE(shot, nullptr);
        gdk_pixbuf_save(shot, (shots + "/" + step.name + ".png").c_str(), "png", nullptr, nullptr);
        if (previous) {
            EXPECT_GT(Difference(previous, shot), step.change)
                << "the step did not change the picture";
            g_object_unref(previous);
        }
        previous = shot;
    }
    if (previous) g_object_unref(previous);
}

}  // namespace
