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

#include "tests/support/own_display.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace {

void SleepSeconds(double s) {
    usleep(static_cast<useconds_t>(s * 1e6));
}

// The program's main window (by its title); other windows it shows (message boxes about
// missing data) are closed.
unsigned long FindMainWindow(pid_t pid) {
    unsigned long main = 0;
    std::string ids = vqtest::ShellOutput("xdotool search --onlyvisible --pid " +
                                          std::to_string(pid) + " 2>/dev/null");
    size_t pos = 0;
    while (pos < ids.size()) {
        size_t end = ids.find('\n', pos);
        if (end == std::string::npos) end = ids.size();
        std::string id = ids.substr(pos, end - pos);
        pos = end + 1;
        if (id.empty()) continue;
        std::string name = vqtest::ShellOutput("xdotool getwindowname " + id + " 2>/dev/null");
        if (name.find("ver.1.01") != std::string::npos) {
            main = std::stoul(id);
        } else if (!name.empty() && name != "\n") {
            vqtest::ShellOutput("xdotool windowfocus --sync " + id + " key Escape 2>/dev/null");
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

// A rectangle of the client area.
struct Region {
    int x0, y0, x1, y1;
};
constexpr Region kWhole{0, 0, 640, 480};

// Share of the region's pixels that differ between two screenshots of the same size.
double Difference(GdkPixbuf* a, GdkPixbuf* b, Region r = kWhole) {
    int w = gdk_pixbuf_get_width(a), h = gdk_pixbuf_get_height(a);
    if (w != gdk_pixbuf_get_width(b) || h != gdk_pixbuf_get_height(b)) return 1.0;
    int n = gdk_pixbuf_get_n_channels(a), stride = gdk_pixbuf_get_rowstride(a);
    int strideB = gdk_pixbuf_get_rowstride(b);
    const guchar* pa = gdk_pixbuf_get_pixels(a);
    const guchar* pb = gdk_pixbuf_get_pixels(b);
    int x1 = r.x1 < w ? r.x1 : w, y1 = r.y1 < h ? r.y1 : h;
    long differ = 0, all = 0;
    for (int y = r.y0; y < y1; ++y) {
        for (int x = r.x0; x < x1; ++x) {
            const guchar* p = pa + y * stride + x * n;
            const guchar* q = pb + y * strideB + x * n;
            if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 24)
                ++differ;
            ++all;
        }
    }
    return all > 0 ? static_cast<double>(differ) / static_cast<double>(all) : 0.0;
}

class TitleWindowWalk : public ::testing::Test {
protected:
    void SetUp() override {
        if (!vqtest::UseOwnDisplay() || !gtk_init_check(nullptr, nullptr)) {
            GTEST_SKIP() << "needs a display (run under xvfb-run)";
        }
        if (vqtest::ShellOutput("command -v xdotool").empty()) GTEST_SKIP() << "needs xdotool";
    }
    // The game ends before the folder it runs from goes: it writes its settings file there
    // on the way out.
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            int status = 0;
            waitpid(pid_, &status, 0);
            pid_ = 0;
        }
    }
    bool Alive() const {
        return pid_ > 0 && kill(pid_, 0) == 0 && waitpid(pid_, nullptr, WNOHANG) == 0;
    }

    void KeyDown(const char* key) {
        vqtest::ShellOutput("xdotool windowfocus --sync " + std::to_string(main_) + " keydown " +
                            key + " 2>/dev/null");
    }
    void KeyUp(const char* key) {
        vqtest::ShellOutput("xdotool windowfocus --sync " + std::to_string(main_) + " keyup " +
                            key + " 2>/dev/null");
    }
    // Polls until the region differs from `before` by more than `share`, for at most
    // `seconds`.
    bool WaitForChange(GdkPixbuf* before, Region region, double share, double seconds) {
        double start = vqtest::NowSeconds();
        while (vqtest::NowSeconds() - start < seconds) {
            GdkPixbuf* now = Screenshot(main_);
            bool changed = now && Difference(before, now, region) > share;
            if (now) g_object_unref(now);
            if (changed) return true;
            SleepSeconds(0.05);
        }
        return false;
    }
    // One press, waited for: the picture's region must change by the share. The game reads
    // the key state once a tick, however slowly it runs: decide is held until its effect
    // shows (only its first tick counts), a direction for less than its auto-repeat delay;
    // either is pressed again when it showed nothing for six seconds.
    bool Press(const char* key, Region region, double share) {
        GdkPixbuf* before = Screenshot(main_);
        if (!before) return false;
        bool seen = false;
        bool decide = std::string(key) == "z";
        // A press that lands on a busy tick (a panel still sliding) is lost: pressed again.
        // A loaded machine may leave the game without a frame for many seconds.
        for (int attempt = 0; attempt < 6 && !seen; ++attempt) {
            KeyDown(key);
            if (decide) {
                seen = WaitForChange(before, region, share, 15.0);
                KeyUp(key);
            } else {
                SleepSeconds(0.1);
                KeyUp(key);
                seen = WaitForChange(before, region, share, 15.0);
            }
        }
        g_object_unref(before);
        return seen;
    }

    vqtest::TempFolder folder_;  // outlives the game: see TearDown
    pid_t pid_ = 0;
    unsigned long main_ = 0;
};

TEST_F(TitleWindowWalk, FromThePressStartScreenIntoAPracticeStage) {
    vqtest::TempFolder& folder = folder_;
    std::string program = folder.File("vq");
    vqtest::ShellOutput("cp '" + std::string(VQ_RUN_DIR) + "/vq' '" + program + "'");
    vqtest::WriteWholeFile(folder.File("v_quorl.ini"),
                           "[setup]\nwinmode=1\nfps=0\n[record]\nclearstage=5\n");
    ASSERT_EQ(chdir(VQ_RUN_DIR), 0);
    char* argv[] = {program.data(), nullptr};
    ASSERT_EQ(posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ), 0);

    double start = vqtest::NowSeconds();
    while (!main_ && vqtest::NowSeconds() - start < 30.0) {
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
        Region region;  // where each press shows
        double share;   // of the region, beyond the title's own animation
    };
    const Region kMenu{0, 150, 640, 420};            // labels, bar and caption: nothing moves
    const Region kPortrait{440, 330, 570, 480};      // the chosen craft's pilot
    const Region kStagePictures{180, 40, 640, 170};  // the row of stage pictures
    const Step steps[] = {
        {"1_press_start", {}, kWhole, 0.0},
        {"2_main_menu", {"z"}, kWhole, 0.3},
        {"3_practice_item", {"Down", "Down"}, kMenu, 0.003},
        {"4_player_setup", {"z"}, kWhole, 0.3},
        {"5_craft_select", {"z"}, kWhole, 0.3},
        {"6_sense_choice", {"z"}, kPortrait, 0.1},
        {"7_stage_select", {"z"}, kWhole, 0.3},
        {"8_second_stage", {"Right"}, kStagePictures, 0.1},
        {"9_practice_stage", {"z"}, kWhole, 0.5},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        for (const char* key : step.keys) {
            ASSERT_TRUE(Press(key, step.region, step.share)) << key << " showed no effect";
        }
        // The panels come to rest (ten ticks) before the picture is kept and the next press.
        SleepSeconds(1.5);
        ASSERT_TRUE(Alive()) << "the game ended";
        GdkPixbuf* shot = Screenshot(main_);
        ASSERT_NE(shot, nullptr);
        gdk_pixbuf_save(shot, (shots + "/" + step.name + ".png").c_str(), "png", nullptr, nullptr);
        g_object_unref(shot);
    }
}

}  // namespace
