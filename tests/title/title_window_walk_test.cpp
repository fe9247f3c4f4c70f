// The real game program under a display (Xvfb in CI), started from its run folder as a
// player starts it, walked with synthesized key presses from the press-start screen through
// the main menu, the player set-up, the craft select and the stage select into a practice
// stage. Every press must show in the picture: a decide by the change it makes, a direction
// by the menu item it chooses, read from where the cursor is. A screenshot of the client
// area is taken at each screen once it is at rest (written to <build>/title_walk/), and the
// program must keep running.
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
#include <memory>
#include <string>

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

struct PixbufUnref {
    void operator()(GdkPixbuf* p) const { g_object_unref(p); }
};
using Shot = std::unique_ptr<GdkPixbuf, PixbufUnref>;

// The bottom 640 x 480 of the window (the client area under the menu bar); empty when the
// window is gone.
Shot Screenshot(unsigned long xid) {
    GdkWindow* window = gdk_x11_window_foreign_new_for_display(gdk_display_get_default(), xid);
    if (!window) return nullptr;
    int w = gdk_window_get_width(window), h = gdk_window_get_height(window);
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(window, 0, h > 480 ? h - 480 : 0, w < 640 ? w : 640,
                                               h < 480 ? h : 480);
    g_object_unref(window);
    return Shot(pb);
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
    int nB = gdk_pixbuf_get_n_channels(b), strideB = gdk_pixbuf_get_rowstride(b);
    const guchar* pa = gdk_pixbuf_get_pixels(a);
    const guchar* pb = gdk_pixbuf_get_pixels(b);
    int x1 = r.x1 < w ? r.x1 : w, y1 = r.y1 < h ? r.y1 : h;
    long differ = 0, all = 0;
    for (int y = r.y0; y < y1; ++y) {
        for (int x = r.x0; x < x1; ++x) {
            const guchar* p = pa + y * stride + x * n;
            const guchar* q = pb + y * strideB + x * nB;
            if (std::abs(p[0] - q[0]) + std::abs(p[1] - q[1]) + std::abs(p[2] - q[2]) > 24)
                ++differ;
            ++all;
        }
    }
    return all > 0 ? static_cast<double>(differ) / static_cast<double>(all) : 0.0;
}

// Whether more than a tenth of the region is other than black (the start-up and the fades
// cover the client area in black).
bool Lit(GdkPixbuf* shot, Region region) {
    static const Shot black = [] {
        GdkPixbuf* pb = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 640, 480);
        gdk_pixbuf_fill(pb, 0x000000FFu);
        return Shot(pb);
    }();
    return Difference(black.get(), shot, region) > 0.1;
}

// A menu whose chosen item can be read from the picture: each item has a marker region (the
// first item's, moved by its index in steps of dx, dy) that shows one picture while the item
// is chosen and another while it is not. Against a picture taken with the home item chosen,
// the markers that differ are none (home is chosen) or home's and the chosen item's.
struct Menu {
    const char* name;
    Region first;
    int dx, dy;
    int count;
    int home;  // chosen when the menu first shows
};

Region Marker(const Menu& menu, int item) {
    return {menu.first.x0 + item * menu.dx, menu.first.y0 + item * menu.dy,
            menu.first.x1 + item * menu.dx, menu.first.y1 + item * menu.dy};
}

constexpr int kUnclear = -1;

// The chosen item, or kUnclear when the markers show no one item.
int ChosenItem(const Menu& menu, GdkPixbuf* reference, GdkPixbuf* now) {
    int differing = 0, other = kUnclear;
    bool homeDiffers = false;
    for (int i = 0; i < menu.count; ++i) {
        double d = Difference(reference, now, Marker(menu, i));
        if (d > 0.1 && d < 0.5) return kUnclear;
        if (d >= 0.5) {
            ++differing;
            if (i == menu.home) {
                homeDiffers = true;
            } else {
                other = i;
            }
        }
    }
    if (differing == 0) return menu.home;
    return differing == 2 && homeDiffers ? other : kUnclear;
}

// The main menu's cursor bar right of the labels, where the chosen item's caption rides on
// it; the stage select's chosen picture, lifted into the strip above the row.
constexpr Menu kMainMenu{"main menu", {200, 184, 600, 192}, 0, 30, 7, 0};
constexpr Menu kStageRow{"stage row", {200, 48, 312, 56}, 144, 0, 3, 0};

// A press in the walk and what it must show.
struct Step {
    const char* name;  // of the screenshot of the screen it reaches
    const char* key;
    // Either a cursor move to the menu's item ...
    const Menu* menu;
    int item;
    // ... or a change of more than the share of the region.
    Region region;
    double share;
    Region rest;  // still on the screen reached, once it is at rest; empty: not waited for
};

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
    static void Save(GdkPixbuf* shot, const std::string& name) {
        std::string folder = std::string(VQ_BINARY_DIR) + "/title_walk";
        mkdir(folder.c_str(), 0755);
        gdk_pixbuf_save(shot, (folder + "/" + name + ".png").c_str(), "png", nullptr, nullptr);
    }

    // One press: key down, a hold, key up, in one process, so that no start of a second
    // process stretches the hold. The game reads the keys once a tick, at most 60 ticks a
    // second (ticks missed are never made up), and a direction held for 13 ticks repeats:
    // a hold of 150 ms or less is never more than 11 ticks.
    void Press(const char* key, double holdSeconds) {
        char hold[32];
        std::snprintf(hold, sizeof hold, "%.3f", holdSeconds);
        vqtest::ShellOutput("xdotool windowfocus --sync " + std::to_string(main_) + " keydown " +
                            key + " sleep " + hold + " keyup " + key + " 2>/dev/null");
    }

    // The picture once the region shows the screen at rest: lit, and the same in every
    // screenshot for a second (a panel slides in over ten ticks, and a press made while it
    // slides is not taken). A screen that does not come to rest in the time is taken as it
    // is: a press it does not take is made again. Empty when the window gives no picture.
    Shot Settle(Region region) {
        Shot last = Screenshot(main_);
        double start = vqtest::NowSeconds(), still = start;
        while (last && vqtest::NowSeconds() - start < 30.0) {
            SleepSeconds(0.05);
            Shot now = Screenshot(main_);
            if (!now) return nullptr;
            if (!Lit(now.get(), region) || Difference(last.get(), now.get(), region) > 0.005) {
                still = vqtest::NowSeconds();
            }
            last = std::move(now);
            if (vqtest::NowSeconds() - still >= 1.0) break;
        }
        return last;
    }

    // Presses the step's key until the picture shows it; "" when it did, else what went
    // wrong. A press the game did not take (one that came and went within one frame's work,
    // or landed on a tick busy with a sliding panel) shows nothing: it is made again, held
    // longer. A press that moved a cursor anywhere but to the item meant is not made good
    // by another press. `screen` is the picture the press is made on; `reference` the
    // menu's with its home item chosen, `chosen` its item now.
    std::string Walk(const Step& step, GdkPixbuf* screen, GdkPixbuf* reference, int chosen) {
        // A press the game missed is held longer the next time: a direction up to the
        // longest hold that never repeats, a decide (it counts once however long it is
        // held) longer still.
        constexpr double kDirectionHolds[] = {0.08, 0.12, 0.15, 0.15};
        constexpr double kDecideHolds[] = {0.25, 0.5, 1.0, 1.0};
        for (int attempt = 0; attempt < 4; ++attempt) {
            Press(step.key, step.menu ? kDirectionHolds[attempt] : kDecideHolds[attempt]);
            // A loaded machine may leave the game without a frame for seconds.
            double pressed = vqtest::NowSeconds();
            while (vqtest::NowSeconds() - pressed < 15.0) {
                SleepSeconds(0.05);
                Shot now = Screenshot(main_);
                if (!now) return "the window is gone";
                bool shown = false;
                if (step.menu) {
                    int item = ChosenItem(*step.menu, reference, now.get());
                    if (item != step.item && item != kUnclear && item != chosen) {
                        Save(now.get(), std::string(step.name) + "_wrong");
                        return std::string(step.key) + " moved the " + step.menu->name +
                               "'s cursor from item " + std::to_string(chosen) + " to " +
                               std::to_string(item) + ", not " + std::to_string(step.item);
                    }
                    shown = item == step.item;
                } else {
                    shown = Difference(screen, now.get(), step.region) > step.share;
                }
                if (shown) {
                    std::printf("%s: %s shown after press %d, in %.1f s\n", step.name, step.key,
                                attempt + 1, vqtest::NowSeconds() - pressed);
                    return "";
                }
            }
        }
        return std::string(step.key) + " showed no effect in four presses";
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

    const Region kLogo{0, 0, 640, 240};        // the press-start screen's title
    const Region kMenuArea{0, 150, 640, 420};  // labels, bar and caption
    const Region kSetupButtons{150, 100, 560, 450};
    const Region kPortrait{440, 330, 570, 480};   // the chosen craft's pilot
    const Region kStagePanel{80, 384, 560, 480};  // the chosen stage's number and record
    const Region kNone{0, 0, 0, 0};
    const Step steps[] = {
        {"02_main_menu", "z", nullptr, 0, kWhole, 0.3, kMenuArea},
        {"03_second_item", "Down", &kMainMenu, 1, kNone, 0, kMenuArea},
        {"04_practice_item", "Down", &kMainMenu, 2, kNone, 0, kMenuArea},
        {"05_player_setup", "z", nullptr, 0, kWhole, 0.3, kSetupButtons},
        {"06_craft_select", "z", nullptr, 0, kWhole, 0.3, kPortrait},
        {"07_sense_choice", "z", nullptr, 0, kPortrait, 0.1, kPortrait},
        {"08_stage_select", "z", nullptr, 0, kWhole, 0.3, kStagePanel},
        {"09_second_stage", "Right", &kStageRow, 1, kNone, 0, kStagePanel},
        {"10_stage_loading", "z", nullptr, 0, kWhole, 0.5, kNone},
    };

    Shot screen = Settle(kLogo);
    ASSERT_TRUE(screen) << "no picture";
    Save(screen.get(), "01_press_start");
    // The picture each menu's cursor is read against, taken before its first move.
    const Menu* referenceMenu = nullptr;
    Shot reference;
    int chosen = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        if (step.menu && step.menu != referenceMenu) {
            reference.reset(gdk_pixbuf_copy(screen.get()));
            referenceMenu = step.menu;
            chosen = step.menu->home;
        }
        ASSERT_EQ(Walk(step, screen.get(), reference.get(), chosen), "");
        if (step.menu) chosen = step.item;
        screen = step.rest.x1 > 0 ? Settle(step.rest) : Screenshot(main_);
        ASSERT_TRUE(screen) << "no picture";
        Save(screen.get(), step.name);
        ASSERT_TRUE(Alive()) << "the game ended";
    }
    // The stage shows once loaded: the fade-out ends in black, and the loading screen (black
    // but for its mark) gives way to a lit picture.
    Shot stage;
    bool dark = false;
    start = vqtest::NowSeconds();
    while (vqtest::NowSeconds() - start < 90.0) {
        stage = Screenshot(main_);
        if (!stage) break;
        bool lit = Lit(stage.get(), kWhole);
        if (dark && lit) break;
        dark = dark || !lit;
        SleepSeconds(0.05);
    }
    ASSERT_TRUE(stage && dark && Lit(stage.get(), kWhole)) << "the practice stage never showed";
    Save(stage.get(), "11_practice_stage");
    ASSERT_TRUE(Alive()) << "the game ended";
}

}  // namespace
