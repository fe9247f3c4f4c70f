// The GTK main window on a display of the test's own (synthetic keys and focus changes must
// not meet other tests' windows): menu, sizes, aspect lock, keys, dialogs, the picture in
// the picture area and the message loop, driven through the real start-up.
#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/core/message_box.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "platform/input/keyboard.h"
#include "platform/system/system.h"
#include "platform/text/cp932.h"
#include "platform/window/gl_present.h"
#include "tests/support/own_display.h"

namespace {

namespace fs = std::filesystem;

void Pump() {
    for (int i = 0; i < 1000 && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
}

// Pumps events until the condition holds or the time is up. The bound only keeps a broken
// window from hanging the test: a loaded machine may take seconds for a round trip.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
    uint32_t start = sys::TimeMs();
    while (!done()) {
        if (sys::TimeMs() - start > static_cast<uint32_t>(timeoutMs)) return false;
        Pump();
        sys::SleepMs(2);
    }
    return true;
}

void PumpFor(int ms) {
    uint32_t start = sys::TimeMs();
    while (sys::TimeMs() - start < static_cast<uint32_t>(ms)) {
        Pump();
        sys::SleepMs(2);
    }
}

GtkWidget* FindChild(GtkWidget* widget, GType type) {
    if (G_TYPE_CHECK_INSTANCE_TYPE(widget, type)) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* c = children; c && !found; c = c->next) {
        found = FindChild(GTK_WIDGET(c->data), type);
    }
    g_list_free(children);
    return found;
}

std::vector<GtkWidget*> Children(GtkWidget* shell) {
    std::vector<GtkWidget*> out;
    GList* children = gtk_container_get_children(GTK_CONTAINER(shell));
    for (GList* c = children; c; c = c->next) out.push_back(GTK_WIDGET(c->data));
    g_list_free(children);
    return out;
}

// The visible toplevel whose title is the given text.
GtkWindow* FindToplevel(const std::string& title) {
    GList* all = gtk_window_list_toplevels();
    GtkWindow* found = nullptr;
    for (GList* w = all; w && !found; w = w->next) {
        GtkWindow* window = GTK_WINDOW(w->data);
        const char* t = gtk_window_get_title(window);
        if (t && title == t && gtk_widget_get_visible(GTK_WIDGET(window))) found = window;
    }
    g_list_free(all);
    return found;
}

std::string Label(GtkWidget* item) {
    const char* label = gtk_menu_item_get_label(GTK_MENU_ITEM(item));
    return label ? label : "";
}

// The pixel at (x, y) of what the picture area shows, as 0xRRGGBB: a drawing area is asked
// to paint into memory, a GL area is read from its own framebuffer. Never from the screen:
// it may have other tests' windows over this one.
uint32_t PixelAt(GtkWidget* area, int x, int y) {
    int scale = gtk_widget_get_scale_factor(area);
    if (!GTK_IS_GL_AREA(area)) {
        int width = gtk_widget_get_allocated_width(area);
        int height = gtk_widget_get_allocated_height(area);
        cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        cairo_t* cr = cairo_create(image);
        gtk_widget_draw(area, cr);
        cairo_destroy(cr);
        cairo_surface_flush(image);
        uint32_t pixel = 0;
        if (x >= 0 && y >= 0 && x < width && y < height) {
            const unsigned char* row =
                cairo_image_surface_get_data(image) + y * cairo_image_surface_get_stride(image);
            std::memcpy(&pixel, row + 4 * x, 4);
        }
        cairo_surface_destroy(image);
        return pixel & 0xFFFFFFu;
    }
    gtk_gl_area_make_current(GTK_GL_AREA(area));
    gtk_gl_area_attach_buffers(GTK_GL_AREA(area));
    int height = gtk_widget_get_allocated_height(area) * scale;
    uint8_t p[4] = {};
    glReadPixels(x * scale, height - 1 - y * scale, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 | p[2];
}

// Keeps a screenshot of a window in the build folder, for a look by eye.
void SaveScreenshot(GtkWidget* widget, const char* name) {
    GdkWindow* window = gtk_widget_get_window(widget);
    GdkPixbuf* pb = gdk_pixbuf_get_from_window(window, 0, 0, gdk_window_get_width(window),
                                               gdk_window_get_height(window));
    if (!pb) return;
    std::string path = std::string(VQ_BINARY_DIR) + "/tests/" + name + ".png";
    gdk_pixbuf_save(pb, path.c_str(), "png", nullptr, nullptr);
    g_object_unref(pb);
}

void SendKey(GtkWidget* window, guint keyval, guint16 hardware, bool press) {
    GdkEvent* e = gdk_event_new(press ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
    e->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    e->key.send_event = TRUE;
    e->key.time = GDK_CURRENT_TIME;
    e->key.keyval = keyval;
    e->key.hardware_keycode = hardware;
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    gdk_event_set_device(e, gdk_seat_get_keyboard(seat));
    gtk_main_do_event(e);
    gdk_event_free(e);
}

// Closes the message boxes the start-up shows for the data these tests do not have.
gboolean DismissMessageBoxes(gpointer) {
    GList* all = gtk_window_list_toplevels();
    for (GList* w = all; w; w = w->next) {
        if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
            gtk_dialog_response(GTK_DIALOG(w->data), GTK_RESPONSE_OK);
        }
    }
    g_list_free(all);
    return G_SOURCE_CONTINUE;
}

bool AMessageBoxIsShown() {
    bool shown = false;
    GList* all = gtk_window_list_toplevels();
    for (GList* w = all; w; w = w->next) {
        if (GTK_IS_MESSAGE_DIALOG(w->data) && gtk_widget_get_visible(GTK_WIDGET(w->data))) {
            shown = true;
        }
    }
    g_list_free(all);
    return shown;
}

class GtkGame : public ::testing::Test {
protected:
    void SetUp() override {
        if (!vqtest::UseOwnDisplay()) GTEST_SKIP() << "no X server of its own (Xvfb)";
        // The settings file (window mode) and an empty data folder.
        folder_ = fs::temp_directory_path() / ("vq_gtk_" + std::to_string(::getpid()));
        fs::create_directories(folder_);
        std::ofstream(folder_ / "v_quorl.ini") << "[setup]\nwinmode=" << windowMode_ << "\n";
        sys::SetProgramDirectory(folder_.c_str());
        oldFolder_ = fs::current_path();
        fs::current_path(folder_);
        gGameState = GameState{};
        PlatformBackends backends = HeadlessBackends();
        backends.createWindow = win::CreateGtkWindow;
        if (gl33_) backends.graphics = PlatformBackends::Graphics::Gl33;
        guint dismiss = g_timeout_add(20, DismissMessageBoxes, nullptr);
        bool started = StartGame(backends);
        g_source_remove(dismiss);
        ASSERT_TRUE(started);
        ASSERT_NE(gPlatform.mainWindow, nullptr);
        ASSERT_NE(Device3D(), nullptr);
        window_ = GTK_WIDGET(FindToplevel("ＶＥＬＤＲＡＮ　ＱＵＯＲＬ ver.1.01"));
        ASSERT_NE(window_, nullptr);
        // The picture's area: a drawing area where the device has a context of its own.
        area_ = FindChild(window_, GTK_TYPE_DRAWING_AREA);
        if (!area_) area_ = FindChild(window_, GTK_TYPE_GL_AREA);
        menuBar_ = FindChild(window_, GTK_TYPE_MENU_BAR);
        ASSERT_NE(area_, nullptr);
        ASSERT_NE(menuBar_, nullptr);
    }
    void TearDown() override {
        if (gPlatform.mainWindow) ShutdownGame();
        sys::SetProgramDirectory(nullptr);
        if (!oldFolder_.empty()) fs::current_path(oldFolder_);
        std::error_code ec;
        fs::remove_all(folder_, ec);
    }

    bool ClientIs(int w, int h) {
        int cw = 0, ch = 0;
        gPlatform.mainWindow->GetClientSize(&cw, &ch);
        return cw == w && ch == h;
    }
    // Waits until the client area shows the colour at (x, y).
    bool PixelBecomes(int x, int y, uint32_t rgb) {
        uint32_t seen = 0;
        bool ok = PumpUntil([&] { return (seen = PixelAt(area_, x, y)) == rgb; });
        if (!ok) ADD_FAILURE() << "pixel (" << x << ", " << y << ") is " << std::hex << seen;
        return ok;
    }
    std::string ClientSize() {
        int cw = 0, ch = 0;
        gPlatform.mainWindow->GetClientSize(&cw, &ch);
        return std::to_string(cw) + " x " + std::to_string(ch);
    }
    // The menu item reached by labels, from the menu bar down.
    GtkWidget* Item(std::initializer_list<const char*> path) {
        GtkWidget* shell = menuBar_;
        GtkWidget* item = nullptr;
        for (const char* label : path) {
            item = nullptr;
            for (GtkWidget* child : Children(shell)) {
                if (GTK_IS_MENU_ITEM(child) && Label(child) == label) item = child;
            }
            if (!item) return nullptr;
            GtkWidget* sub = gtk_menu_item_get_submenu(GTK_MENU_ITEM(item));
            if (sub) shell = sub;
        }
        return item;
    }

    int windowMode_ = 1;

    bool gl33_ = false;  // draw with the real gl33 device in the window
    fs::path folder_, oldFolder_;
    GtkWidget* window_ = nullptr;
    GtkWidget* area_ = nullptr;
    GtkWidget* menuBar_ = nullptr;
};

TEST_F(GtkGame, TheMenuBarHasEveryTextInItsPlace) {
    std::vector<std::string> top;
    for (GtkWidget* c : Children(menuBar_)) top.push_back(Label(c));
    EXPECT_EQ(top, (std::vector<std::string>{"ファイル(_F)", "表示(_V)", "ヘルプ(_H)"}));

    std::vector<std::string> file;
    GtkWidget* fileMenu = gtk_menu_item_get_submenu(GTK_MENU_ITEM(Item({"ファイル(_F)"})));
    for (GtkWidget* c : Children(fileMenu)) {
        file.push_back(GTK_IS_SEPARATOR_MENU_ITEM(c) ? "-" : Label(c));
    }
    EXPECT_EQ(file,
              (std::vector<std::string>{"タイトルに戻る(_R)", "-", "アプリケーションの終了(_X)"}));

    GtkWidget* aspect = Item({"表示(_V)", "アスペクト比を固定する(_A)"});
    ASSERT_NE(aspect, nullptr);
    EXPECT_TRUE(GTK_IS_CHECK_MENU_ITEM(aspect));
    EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(aspect)));
    std::vector<std::string> zoom;
    GtkWidget* zoomMenu =
        gtk_menu_item_get_submenu(GTK_MENU_ITEM(Item({"表示(_V)", "表示倍率(_S)"})));
    for (GtkWidget* c : Children(zoomMenu)) zoom.push_back(Label(c));
    EXPECT_EQ(zoom, (std::vector<std::string>{"50%", "100%", "150%", "200%", "300%"}));
    EXPECT_NE(Item({"ヘルプ(_H)", "バージョン情報(_A)..."}), nullptr);
    for (GtkWidget* c : Children(menuBar_)) {
        EXPECT_TRUE(gtk_menu_item_get_use_underline(GTK_MENU_ITEM(c))) << Label(c);
    }
    SaveScreenshot(window_, "gtk_main_window");
}

TEST_F(GtkGame, TheClientAreaStartsAt640x480AndEachZoomSetsItExactly) {
    EXPECT_TRUE(PumpUntil([&] { return ClientIs(640, 480); })) << ClientSize();
    struct Case {
        const char* label;
        int w, h;
    } cases[] = {{"50%", 320, 240},
                 {"300%", 1920, 1440},
                 {"150%", 960, 720},
                 {"200%", 1280, 960},
                 {"100%", 640, 480}};
    int menu = gtk_widget_get_allocated_height(menuBar_);
    for (const Case& c : cases) {
        gtk_menu_item_activate(GTK_MENU_ITEM(Item({"表示(_V)", "表示倍率(_S)", c.label})));
        EXPECT_TRUE(PumpUntil([&] { return ClientIs(c.w, c.h); }))
            << c.label << ": " << ClientSize();
        // After a drag to another size the same command still gives the same size.
        gdk_window_resize(gtk_widget_get_window(window_), 700, 300 + menu);
        EXPECT_TRUE(PumpUntil([&] { return ClientIs(700, 300); })) << ClientSize();
        gtk_menu_item_activate(GTK_MENU_ITEM(Item({"表示(_V)", "表示倍率(_S)", c.label})));
        EXPECT_TRUE(PumpUntil([&] { return ClientIs(c.w, c.h); }))
            << c.label << " again: " << ClientSize();
    }
}

TEST_F(GtkGame, TheAspectLockKeepsResizesAtFourToThree) {
    ASSERT_TRUE(PumpUntil([&] { return ClientIs(640, 480); }));
    GtkWidget* aspect = Item({"表示(_V)", "アスペクト比を固定する(_A)"});
    int menu = gtk_widget_get_allocated_height(menuBar_);

    // Unlocked, any size stays as dragged.
    gtk_window_resize(GTK_WINDOW(window_), 700, 300 + menu);
    EXPECT_TRUE(PumpUntil([&] { return ClientIs(700, 300); })) << ClientSize();

    gtk_menu_item_activate(GTK_MENU_ITEM(aspect));
    EXPECT_EQ(gGameState.fixedAspect, 1);
    EXPECT_TRUE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(aspect)));

    // A drag that makes the window wider sets its height from the width.
    gtk_window_resize(GTK_WINDOW(window_), 800, 300 + menu);
    EXPECT_TRUE(PumpUntil([&] { return ClientIs(800, 600); })) << ClientSize();

    // A drag of the top edge keeps the bottom where it was.
    int x = 0, y = 0;
    gtk_window_get_position(GTK_WINDOW(window_), &x, &y);
    int bottom = y + 600 + menu;
    // As a window manager does it: one move and resize together.
    gdk_window_move_resize(gtk_widget_get_window(window_), x, y + 100, 800, 500 + menu);
    PumpFor(300);
    EXPECT_TRUE(PumpUntil([&] { return ClientIs(800, 600); })) << ClientSize();
    int nx = 0, ny = 0;
    gtk_window_get_position(GTK_WINDOW(window_), &nx, &ny);
    EXPECT_EQ(ny + 600 + menu, bottom);

    // Unchecking turns it off again.
    gtk_menu_item_activate(GTK_MENU_ITEM(aspect));
    EXPECT_EQ(gGameState.fixedAspect, 0);
    EXPECT_FALSE(gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(aspect)));
    gtk_window_resize(GTK_WINDOW(window_), 500, 200 + menu);
    EXPECT_TRUE(PumpUntil([&] { return ClientIs(500, 200); })) << ClientSize();
}

TEST_F(GtkGame, EscapeClosesFromTheTitleAndPausesElsewhere) {
    gGameState.scene = SceneId::Result;
    gPauseState = PauseState{};
    SendKey(window_, GDK_KEY_Escape, 9, true);
    Pump();
    EXPECT_EQ(gPauseState.requested, 1);
    SendKey(window_, GDK_KEY_Escape, 9, true);  // every press, repeats included
    Pump();
    EXPECT_EQ(gPauseState.requested, 0);

    gLoaderStatus.busy = 1;
    SendKey(window_, GDK_KEY_Escape, 9, true);
    Pump();
    EXPECT_EQ(gPauseState.requested, 0);
    EXPECT_FALSE(gPlatform.mainWindow->IsQuitting());
    gLoaderStatus.busy = 0;

    gGameState.scene = SceneId::Title;
    SendKey(window_, GDK_KEY_Escape, 9, true);
    EXPECT_TRUE(PumpUntil([] { return gPlatform.mainWindow->IsQuitting(); }));
    EXPECT_FALSE(gtk_widget_get_visible(window_));
}

TEST_F(GtkGame, LosingTheFocusReleasesEveryKey) {
    input::SetKey(0x2C, true);
    GdkEvent* e = gdk_event_new(GDK_FOCUS_CHANGE);
    e->focus_change.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window_)));
    e->focus_change.in = FALSE;
    gtk_widget_send_focus_change(window_, e);
    gdk_event_free(e);
    uint8_t keys[input::kKeyCount];
    input::ReadKeyboard(keys);
    EXPECT_EQ(keys[0x2C], 0);
    EXPECT_EQ(gPlatform.active, 1);  // not minimised: frames go on
}

TEST_F(GtkGame, TheAboutBoxShowsItsCaptionIconAndLines) {
    struct Seen {
        bool found = false;
        std::vector<std::string> labels;
        bool image = false;
    } seen;
    g_timeout_add(
        100,
        [](gpointer data) -> gboolean {
            auto* s = static_cast<Seen*>(data);
            GtkWindow* box = FindToplevel("バージョン情報");
            if (!box) return G_SOURCE_CONTINUE;
            s->found = true;
            std::function<void(GtkWidget*)> walk = [&](GtkWidget* w) {
                if (GTK_IS_LABEL(w)) s->labels.push_back(gtk_label_get_text(GTK_LABEL(w)));
                if (GTK_IS_IMAGE(w)) s->image = true;
                if (GTK_IS_CONTAINER(w)) {
                    for (GtkWidget* c : Children(w)) walk(c);
                }
            };
            walk(GTK_WIDGET(box));
            SaveScreenshot(GTK_WIDGET(box), "gtk_about_box");
            gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
            return G_SOURCE_REMOVE;
        },
        &seen);
    gtk_menu_item_activate(GTK_MENU_ITEM(Item({"ヘルプ(_H)", "バージョン情報(_A)..."})));
    EXPECT_TRUE(seen.found);
    EXPECT_TRUE(seen.image);
    ASSERT_GE(seen.labels.size(), 4u);
    EXPECT_EQ(seen.labels[0], "ＶＥＬＤＲＡＮ　ＱＵＯＲＬ ver.1.01");
    EXPECT_EQ(seen.labels.back(), "OK");
}

TEST_F(GtkGame, AMessageBoxFromTheLoaderThreadIsShownByTheMainThread) {
    int result = 0;
    std::atomic<bool> returned{false};
    static constexpr auto kText = text::Cp932(u8"テクスチャが見つかりません");
    std::thread loader([&] {
        result = ShowMessageBox(kText.c_str(), "error");
        returned = true;
    });
    GtkWindow* box = nullptr;
    EXPECT_TRUE(PumpUntil([&] { return (box = FindToplevel("error")) != nullptr; }));
    // The main loop goes on while the box is open.
    EXPECT_TRUE(gPlatform.mainWindow->PumpEvents());
    EXPECT_FALSE(returned);
    if (box) {
        gchar* shown = nullptr;
        g_object_get(box, "text", &shown, nullptr);
        EXPECT_STREQ(shown, "テクスチャが見つかりません");
        g_free(shown);
        EXPECT_EQ(gtk_window_get_transient_for(box), GTK_WINDOW(window_));
        gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    }
    EXPECT_TRUE(PumpUntil([&] { return returned.load(); }));
    loader.join();
    EXPECT_EQ(result, win::kIdOk);
}

TEST_F(GtkGame, AMessageBoxDueAfterTheWindowClosedGoesToStandardError) {
    // The loader thread asks for a box; the window closes before the main thread gets to
    // it. Nobody is there to close a box any more, so the text goes to standard error and
    // the loader goes on.
    std::atomic<bool> returned{false};
    testing::internal::CaptureStderr();
    std::thread loader([&] {
        ShowMessageBox("xfile/late.x", "error");
        returned = true;
    });
    sys::SleepMs(100);  // the request waits for the main thread, which does not look yet
    gPlatform.mainWindow->Destroy();
    // Either the loader goes on, or (the fault) a box shows that nobody would close.
    bool done = false;
    PumpUntil([&] {
        done = returned.load();
        return done || AMessageBoxIsShown();
    });
    if (!done) {
        DismissMessageBoxes(nullptr);
        PumpUntil([&] { return returned.load(); });
    }
    loader.join();
    std::string written = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(done) << "a box was shown after the window had closed";
    EXPECT_NE(written.find("[error] xfile/late.x"), std::string::npos) << written;
}

// A picture in a GL texture of the area's context, in the device's row order (the first
// row is the picture's top): red above, blue below.
uint32_t MakePicture() {
    std::vector<uint8_t> texels(640 * 480 * 4);
    for (int row = 0; row < 480; ++row) {
        for (int x = 0; x < 640; ++x) {
            uint8_t* t = &texels[(row * 640 + x) * 4];
            bool top = row < 240;
            t[0] = top ? 255 : 0;
            t[1] = 0;
            t[2] = top ? 0 : 255;
            t[3] = 255;
        }
    }
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 640, 480, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texture;
}

TEST_F(GtkGame, ThePictureFillsTheClientAreaUprightAndTheOverlayCoversIt) {
    ASSERT_TRUE(PumpUntil([&] { return ClientIs(640, 480); }));
    gfx::GlSurface* surface = gPlatform.mainWindow->Surface();
    ASSERT_NE(surface, nullptr) << "no OpenGL 3.3 for the window";
    ASSERT_TRUE(surface->MakeCurrent());
    uint32_t picture = MakePicture();
    // GL state the device may have left: it must be the same after the picture is shown.
    glEnable(GL_BLEND);
    surface->Show(picture, 640, 480);
    EXPECT_TRUE(PixelBecomes(320, 10, 0xFF0000u));   // the picture's top
    EXPECT_TRUE(PixelBecomes(320, 470, 0x0000FFu));  // its bottom
    ASSERT_TRUE(surface->MakeCurrent());
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    glDisable(GL_BLEND);

    const uint8_t green[2 * 2 * 4] = {0, 255, 0, 255, 0, 255, 0, 255,
                                      0, 255, 0, 255, 0, 255, 0, 255};
    gPlatform.mainWindow->ShowOverlayFrame(green, 2, 2);
    EXPECT_TRUE(PixelBecomes(5, 5, 0x00FF00u));
    EXPECT_TRUE(PixelBecomes(635, 475, 0x00FF00u));
    gPlatform.mainWindow->ShowOverlayFrame(nullptr, 0, 0);
    EXPECT_TRUE(PixelBecomes(320, 470, 0x0000FFu));
    SaveScreenshot(window_, "gtk_picture");
    ASSERT_TRUE(surface->MakeCurrent());
    glDeleteTextures(1, &picture);
}

class GtkFullScreen : public GtkGame {
protected:
    GtkFullScreen() { windowMode_ = 0; }
};

TEST_F(GtkFullScreen, ThePictureIsLetterboxedWithoutAMenu) {
    EXPECT_FALSE(gtk_widget_get_visible(menuBar_));
    int w = 0, h = 0, hz = 0;
    gPlatform.mainWindow->DesktopMode(&w, &h, &hz);
    ASSERT_TRUE(PumpUntil([&] { return ClientIs(w, h); })) << ClientSize();
    gfx::GlSurface* surface = gPlatform.mainWindow->Surface();
    ASSERT_NE(surface, nullptr);
    ASSERT_TRUE(surface->MakeCurrent());
    uint32_t picture = MakePicture();
    surface->Show(picture, 640, 480);
    win::PresentRect r = win::LetterboxRect(w, h, 640, 480);
    EXPECT_TRUE(PixelBecomes(w / 2, r.y + 5, 0xFF0000u));
    if (r.x > 2) {
        EXPECT_EQ(PixelAt(area_, r.x / 2, h / 2), 0x000000u);  // side bar
    }
    if (r.y > 2) {
        EXPECT_EQ(PixelAt(area_, w / 2, r.y / 2), 0x000000u);  // top bar
    }
    EXPECT_EQ(PixelAt(area_, w / 2, h - r.y - 5), 0x0000FFu);
    SaveScreenshot(window_, "gtk_full_screen");
    ASSERT_TRUE(surface->MakeCurrent());
    glDeleteTextures(1, &picture);
}

TEST_F(GtkGame, TheLoopRunsFramesUntilTheWindowCloses) {
    // The window is closed from inside the loop once it has drawn a few frames (a loaded
    // machine may take long for them; the bound only keeps a loop that draws nothing from
    // hanging the test).
    struct Watch {
        uint32_t before, start;
    };
    static Watch watch;
    watch = Watch{gFrameClock.framesDrawn, sys::TimeMs()};
    g_timeout_add(
        20,
        [](gpointer) -> gboolean {
            if (gFrameClock.framesDrawn - watch.before < 3 && sys::TimeMs() - watch.start < 30000) {
                return G_SOURCE_CONTINUE;
            }
            OnMainWindowCommand(kCmdExit);
            return G_SOURCE_REMOVE;
        },
        nullptr);
    RunMessageLoop();
    uint32_t elapsed = sys::TimeMs() - watch.start;
    uint32_t frames = gFrameClock.framesDrawn - watch.before;
    // Frames ran until the close, never more than 60 a second (a late period is dropped,
    // not made up).
    EXPECT_GE(frames, 3u);
    EXPECT_LE(frames, elapsed * 60 / 1000 + 1);
    EXPECT_TRUE(gPlatform.mainWindow->IsQuitting());
}

TEST_F(GtkGame, SigtermEndsTheLoopThroughTheNormalShutdown) {
    g_timeout_add(
        200,
        [](gpointer) -> gboolean {
            std::raise(SIGTERM);
            return G_SOURCE_REMOVE;
        },
        nullptr);
    RunMessageLoop();
    EXPECT_TRUE(gPlatform.mainWindow->IsQuitting());
    ShutdownGame();
    EXPECT_EQ(gPlatform.mainWindow, nullptr);
    EXPECT_EQ(Device3D(), nullptr);
}

}  // namespace

namespace {

class GtkGameOnGl33 : public GtkGame {
protected:
    GtkGameOnGl33() { gl33_ = true; }
};

// The device's picture reaches the window the right way up: a red band drawn over the
// top half of the back buffer shows at the top of the client area.
TEST_F(GtkGameOnGl33, TheDevicePictureIsUpright) {
    ASSERT_TRUE(PumpUntil([&] { return ClientIs(640, 480); }));
    gfx::Device* d = Device3D();
    ASSERT_EQ(d->Kind(), gfx::BackendKind::Gl33);
    struct V {
        float x, y, z, rhw;
        uint32_t color;
    };
    const V band[4] = {{0, 0, 0, 1, 0xFFFF0000u},
                       {640, 0, 0, 1, 0xFFFF0000u},
                       {0, 240, 0, 1, 0xFFFF0000u},
                       {640, 240, 0, 1, 0xFFFF0000u}};
    for (int frame = 0; frame < 3; ++frame) {
        d->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0);
        d->BeginScene();
        d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        d->SetRenderState(gfx::RS_ZENABLE, gfx::kFalse);
        d->SetVertexShader(gfx::FVF_XYZRHW | gfx::FVF_DIFFUSE);
        d->SetTexture(0, nullptr);
        d->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, band, sizeof(V));
        d->EndScene();
        d->Present();
    }
    EXPECT_TRUE(PixelBecomes(320, 10, 0xFF0000u));
    EXPECT_TRUE(PixelBecomes(320, 470, 0x0000FFu));
}

}  // namespace
