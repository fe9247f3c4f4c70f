// The main window on GTK 3: a menu bar over the area that shows the game's picture.
//
// Where Mesa's surfaceless EGL is available, the graphics device draws in a context of its
// own and each finished picture is read into memory and painted into a plain drawing area:
// on a software rasteriser that costs far less than letting the toolkit composite the whole
// window with GL every frame. Elsewhere a GL area shares its context with the device.
#include <epoxy/gl.h>
#include <glib-unix.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/input/keyboard.h"
#include "platform/system/system.h"
#include "platform/window/gl_present.h"
#include "platform/window/gtk_common.h"
#include "platform/window/window.h"

namespace win {

namespace {

// Which edge a resize moved, judged from the old and the new window rectangle: GTK reports
// the new size and position but not the edge that was dragged.
SizingEdge EdgeOfResize(const WindowRect& before, const WindowRect& after) {
    bool widthChanged = after.right - after.left != before.right - before.left;
    bool heightChanged = after.bottom - after.top != before.bottom - before.top;
    bool leftMoved = widthChanged && after.left != before.left;
    bool topMoved = heightChanged && after.top != before.top;
    if (topMoved) {
        if (!widthChanged) return SizingEdge::Top;
        return leftMoved ? SizingEdge::TopLeft : SizingEdge::TopRight;
    }
    if (heightChanged) {
        if (!widthChanged) return SizingEdge::Bottom;
        return leftMoved ? SizingEdge::BottomLeft : SizingEdge::BottomRight;
    }
    return leftMoved ? SizingEdge::Left : SizingEdge::Right;
}

bool SameRect(const WindowRect& a, const WindowRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class GtkMainWindow : public Window, public gfx::GlSurface {
public:
    GtkMainWindow() = default;
    ~GtkMainWindow() override;

    bool Create(const WindowDesc& desc, WindowHost* host) override;
    bool PumpEvents() override;
    void WaitEvents(int timeoutMs) override;
    void WaitUntil(uint32_t dueMs) override;
    void Quit() override { quitting_ = true; }
    bool IsQuitting() const override { return quitting_.load(); }

    void SetClientSize(int width, int height) override;
    void GetClientSize(int* width, int* height) const override;
    FrameMetrics Metrics() const override { return FrameMetrics{0, 0, MenuBarHeight()}; }
    void DesktopMode(int* width, int* height, int* refreshHz) const override;
    void CheckMenuItem(int id, bool checked) override;
    void PostClose() override;
    void Destroy() override;

    int MessageBox(const char* text, const char* caption) override;
    int AboutBox(const char* caption, const char* const* lines, int lineCount) override;

    gfx::GlSurface* Surface() override { return glReady_ ? this : nullptr; }
    void ShowOverlayFrame(const uint8_t* rgba, int width, int height) override;

    // gfx::GlSurface
    bool MakeCurrent() override;
    void Show(uint32_t glTexture, uint32_t width, uint32_t height) override;

private:
    GtkWidget* BuildMenuBar(const MenuEntry* menu, int count);
    // Resizes the window (frame included), moving it first when a position is given.
    void ResizeWindow(const WindowRect* position, int width, int height);
    int MenuBarHeight() const;
    GtkWindow* Parent() const { return destroyed_ ? nullptr : GTK_WINDOW(window_); }

    static void OnMenuItem(GtkMenuItem* item, gpointer self);
    static gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnKeyRelease(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer self);
    static gboolean OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer self);
    static gboolean OnMap(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self);
    static void OnMenuShown(GtkWidget*, gpointer);
    static void OnAreaRealize(GtkGLArea* area, gpointer self);
    static void OnAreaUnrealize(GtkGLArea* area, gpointer self);
    static gboolean OnAreaRender(GtkGLArea* area, GdkGLContext*, gpointer self);
    static gboolean OnAreaDraw(GtkWidget* area, cairo_t* cr, gpointer self);
    // The drawing area's size in device pixels.
    void AreaPixels(int* width, int* height) const;
    // Reads the shown texture (the overlay or the picture) into frame_ at the area's size.
    void ReadFrame();
    static gboolean OnTimer(gint fd, GIOCondition, gpointer);
    static gboolean OnStopSignal(gpointer self);
    static gboolean OnPostedClose(gpointer self);

    void ReportActivation();

    WindowHost* host_ = nullptr;
    GtkWidget* window_ = nullptr;
    GtkWidget* menuBar_ = nullptr;
    GtkWidget* area_ = nullptr;
    std::vector<std::pair<int, GtkWidget*>> items_;
    bool fullScreen_ = false;
    std::atomic<bool> quitting_{false};  // MessageBox reads it on other threads too
    bool destroyed_ = false;
    bool focused_ = false;
    bool iconified_ = false;
    bool mapped_ = false;

    // The last window rectangle seen, and a size this window asked for itself (not a drag).
    WindowRect lastRect_{0, 0, 0, 0};
    bool haveRect_ = false;
    int requestedWidth_ = -1, requestedHeight_ = -1;

    // Presentation.
    bool glReady_ = false;
    gfx::GlSurface* offscreen_ = nullptr;  // the device's own context; null: the GL area's
    cairo_surface_t* frame_ = nullptr;     // the last picture read, at the area's size
    bool frameCurrent_ = false;            // frame_ holds what is shown now
    GlPresenter presenter_;
    uint32_t pictureTexture_ = 0;
    bool overlayShown_ = false;

    int timerFd_ = -1;
    guint timerSource_ = 0;
    guint signalSources_[2] = {0, 0};
    guint closeSource_ = 0;
};

GtkMainWindow::~GtkMainWindow() {
    for (guint& source : signalSources_) {
        if (source) g_source_remove(source);
        source = 0;
    }
    // The toolkit left the default action behind: the program's own handlers go back.
    sys::RestoreStopSignalHandlers();
    if (closeSource_) g_source_remove(closeSource_);
    if (timerSource_) g_source_remove(timerSource_);
    if (timerFd_ >= 0) close(timerFd_);
    if (window_) {
        g_signal_handlers_disconnect_by_data(window_, this);
        if (area_) {
            g_signal_handlers_disconnect_by_data(area_, this);
            if (glReady_ && MakeCurrent()) presenter_.Release();
        }
        if (frame_) cairo_surface_destroy(frame_);
        frame_ = nullptr;
        for (auto& item : items_) g_signal_handlers_disconnect_by_data(item.second, this);
        gtk_widget_destroy(window_);
        window_ = nullptr;
        // Let the toolkit finish the destruction.
        for (int i = 0; i < 64 && g_main_context_iteration(nullptr, FALSE); ++i) {
        }
    }
    delete offscreen_;
}

bool GtkMainWindow::Create(const WindowDesc& desc, WindowHost* host) {
    host_ = host;
    fullScreen_ = desc.fullScreen;

    window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window_), gtk::Utf8(desc.title).c_str());
    GList* icons = nullptr;
    for (int size : {16, 32, 48, 64}) icons = g_list_append(icons, gtk::ProgramIcon(size));
    gtk_window_set_icon_list(GTK_WINDOW(window_), icons);
    g_list_free_full(icons, g_object_unref);

    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    menuBar_ = BuildMenuBar(desc.menu, desc.menuCount);
    offscreen_ = gfx::CreateHeadlessGlSurface();
    if (offscreen_) {
        area_ = gtk_drawing_area_new();
        glReady_ = offscreen_->MakeCurrent() && presenter_.Init();
    } else {
        area_ = gtk_gl_area_new();
        gtk_gl_area_set_required_version(GTK_GL_AREA(area_), 3, 3);
        gtk_gl_area_set_has_alpha(GTK_GL_AREA(area_), FALSE);
        gtk_gl_area_set_has_depth_buffer(GTK_GL_AREA(area_), FALSE);
    }
    gtk_widget_set_hexpand(area_, TRUE);
    gtk_widget_set_vexpand(area_, TRUE);
    gtk_box_pack_start(GTK_BOX(box), menuBar_, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(box), area_, TRUE, TRUE, 0);
    gtk_container_add(GTK_CONTAINER(window_), box);

    g_signal_connect(window_, "delete-event", G_CALLBACK(OnDeleteEvent), this);
    g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKeyPress), this);
    g_signal_connect(window_, "key-release-event", G_CALLBACK(OnKeyRelease), this);
    g_signal_connect(window_, "focus-in-event", G_CALLBACK(OnFocusIn), this);
    g_signal_connect(window_, "focus-out-event", G_CALLBACK(OnFocusOut), this);
    g_signal_connect(window_, "map-event", G_CALLBACK(OnMap), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(window_, "configure-event", G_CALLBACK(OnConfigure), this);
    if (offscreen_) {
        g_signal_connect(area_, "draw", G_CALLBACK(OnAreaDraw), this);
    } else {
        g_signal_connect(area_, "realize", G_CALLBACK(OnAreaRealize), this);
        g_signal_connect(area_, "unrealize", G_CALLBACK(OnAreaUnrealize), this);
        g_signal_connect(area_, "render", G_CALLBACK(OnAreaRender), this);
    }

    if (fullScreen_) {
        // Full screen: the whole desktop shows the picture, letterboxed; no menu bar.
        gtk_widget_set_no_show_all(menuBar_, TRUE);
        int width = 640, height = 480, refresh = 60;
        DesktopMode(&width, &height, &refresh);
        gtk_window_set_default_size(GTK_WINDOW(window_), width, height);
        gtk_window_fullscreen(GTK_WINDOW(window_));
    } else {
        gtk_widget_show_all(menuBar_);
        gtk_window_set_default_size(GTK_WINDOW(window_), desc.clientWidth,
                                    desc.clientHeight + MenuBarHeight());
        requestedWidth_ = desc.clientWidth;
        requestedHeight_ = desc.clientHeight + MenuBarHeight();
    }
    gtk_widget_show_all(window_);
    gtk_widget_realize(area_);

    timerFd_ = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (timerFd_ >= 0) timerSource_ = g_unix_fd_add(timerFd_, G_IO_IN, OnTimer, this);
    signalSources_[0] = g_unix_signal_add(SIGINT, OnStopSignal, this);
    signalSources_[1] = g_unix_signal_add(SIGTERM, OnStopSignal, this);

    // Let the window appear before the game goes on.
    for (int i = 0; i < 64 && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    // A stop asked for before the window existed closes it in the first pass of the loop.
    if (sys::TakeStopSignal()) PostClose();
    return true;
}

GtkWidget* GtkMainWindow::BuildMenuBar(const MenuEntry* menu, int count) {
    GtkWidget* bar = gtk_menu_bar_new();
    // The open levels: the bar, then each popup's menu.
    std::vector<GtkWidget*> levels{bar};
    for (int i = 0; i < count; ++i) {
        const MenuEntry& e = menu[i];
        GtkWidget* shell = levels.back();
        switch (e.kind) {
            case MenuKind::Popup: {
                GtkWidget* item =
                    gtk_menu_item_new_with_mnemonic(gtk::MnemonicLabel(e.text).c_str());
                GtkWidget* sub = gtk_menu_new();
                gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), sub);
                g_signal_connect(sub, "show", G_CALLBACK(OnMenuShown), nullptr);
                gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
                levels.push_back(sub);
                break;
            }
            case MenuKind::Item:
            case MenuKind::CheckItem: {
                std::string label = gtk::MnemonicLabel(e.text);
                GtkWidget* item = e.kind == MenuKind::CheckItem
                                      ? gtk_check_menu_item_new_with_mnemonic(label.c_str())
                                      : gtk_menu_item_new_with_mnemonic(label.c_str());
                g_object_set_data(G_OBJECT(item), "vq-command", GINT_TO_POINTER(e.id));
                g_signal_connect(item, "activate", G_CALLBACK(OnMenuItem), this);
                gtk_menu_shell_append(GTK_MENU_SHELL(shell), item);
                items_.emplace_back(e.id, item);
                break;
            }
            case MenuKind::Separator:
                gtk_menu_shell_append(GTK_MENU_SHELL(shell), gtk_separator_menu_item_new());
                break;
            case MenuKind::End:
                if (levels.size() > 1) levels.pop_back();
                break;
        }
    }
    return bar;
}

int GtkMainWindow::MenuBarHeight() const {
    if (!menuBar_ || fullScreen_) return 0;
    int allocated = gtk_widget_get_allocated_height(menuBar_);
    if (gtk_widget_get_realized(menuBar_) && allocated > 1) return allocated;
    int minimum = 0, natural = 0;
    gtk_widget_get_preferred_height(menuBar_, &minimum, &natural);
    return natural;
}

bool GtkMainWindow::PumpEvents() {
    for (int i = 0; i < 256 && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    return !quitting_;
}

void GtkMainWindow::WaitEvents(int timeoutMs) {
    if (timeoutMs < 0) {
        g_main_context_iteration(nullptr, TRUE);
        return;
    }
    WaitUntil(sys::TimeMs() + static_cast<uint32_t>(timeoutMs));
}

void GtkMainWindow::WaitUntil(uint32_t dueMs) {
    // sys::TimeMs is the monotonic clock in milliseconds, cut to 32 bits: the due time is
    // the moment that clock reaches dueMs. A timer descriptor wakes the loop there to the
    // microsecond (a plain timeout source would round to whole milliseconds).
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t nowMs =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    int32_t wait = static_cast<int32_t>(dueMs - static_cast<uint32_t>(nowMs));
    if (wait <= 0 || timerFd_ < 0) {
        g_main_context_iteration(nullptr, FALSE);
        return;
    }
    if (wait > 1000) wait = 1000;
    uint64_t due = nowMs + static_cast<uint64_t>(wait);
    itimerspec spec{};
    spec.it_value.tv_sec = static_cast<time_t>(due / 1000u);
    spec.it_value.tv_nsec = static_cast<long>(due % 1000u) * 1000000L;
    timerfd_settime(timerFd_, TFD_TIMER_ABSTIME, &spec, nullptr);
    g_main_context_iteration(nullptr, TRUE);
}

gboolean GtkMainWindow::OnTimer(gint fd, GIOCondition, gpointer) {
    uint64_t expirations;
    ssize_t n = read(fd, &expirations, sizeof expirations);
    (void)n;
    return G_SOURCE_CONTINUE;
}

void GtkMainWindow::SetClientSize(int width, int height) {
    if (!window_ || fullScreen_) return;
    int windowHeight = height + MenuBarHeight();
    requestedWidth_ = width;
    requestedHeight_ = windowHeight;
    ResizeWindow(nullptr, width, windowHeight);
}

void GtkMainWindow::ResizeWindow(const WindowRect* position, int width, int height) {
    // The toolkit skips a size it asked for last time, even when a drag has changed the
    // window since: tell it, and ask the window system directly as well.
    gtk_window_resize(GTK_WINDOW(window_), width, height);
    GdkWindow* gdkWindow = gtk_widget_get_window(window_);
    if (position) {
        gtk_window_move(GTK_WINDOW(window_), position->left, position->top);
        if (gdkWindow)
            gdk_window_move_resize(gdkWindow, position->left, position->top, width, height);
    } else if (gdkWindow) {
        gdk_window_resize(gdkWindow, width, height);
    }
}

void GtkMainWindow::GetClientSize(int* width, int* height) const {
    *width = area_ ? gtk_widget_get_allocated_width(area_) : 0;
    *height = area_ ? gtk_widget_get_allocated_height(area_) : 0;
}

void GtkMainWindow::DesktopMode(int* width, int* height, int* refreshHz) const {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = nullptr;
    if (display) {
        GdkWindow* gdkWindow = window_ ? gtk_widget_get_window(window_) : nullptr;
        monitor = gdkWindow ? gdk_display_get_monitor_at_window(display, gdkWindow)
                            : gdk_display_get_primary_monitor(display);
        if (!monitor && gdk_display_get_n_monitors(display) > 0) {
            monitor = gdk_display_get_monitor(display, 0);
        }
    }
    if (!monitor) {
        *width = 640;
        *height = 480;
        *refreshHz = 60;
        return;
    }
    GdkRectangle geometry;
    gdk_monitor_get_geometry(monitor, &geometry);
    int scale = gdk_monitor_get_scale_factor(monitor);
    *width = geometry.width * scale;
    *height = geometry.height * scale;
    int milliHz = gdk_monitor_get_refresh_rate(monitor);
    *refreshHz = milliHz > 0 ? (milliHz + 500) / 1000 : 60;
}

void GtkMainWindow::CheckMenuItem(int id, bool checked) {
    for (auto& item : items_) {
        if (item.first != id || !GTK_IS_CHECK_MENU_ITEM(item.second)) continue;
        // Setting the state activates the item: keep that from coming back as a command.
        g_signal_handlers_block_by_func(item.second, reinterpret_cast<gpointer>(OnMenuItem), this);
        gtk_check_menu_item_set_active(GTK_CHECK_MENU_ITEM(item.second), checked);
        g_signal_handlers_unblock_by_func(item.second, reinterpret_cast<gpointer>(OnMenuItem),
                                          this);
    }
}

void GtkMainWindow::PostClose() {
    if (!closeSource_) closeSource_ = g_idle_add(OnPostedClose, this);
}

gboolean GtkMainWindow::OnPostedClose(gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    w->closeSource_ = 0;
    w->Destroy();
    return G_SOURCE_REMOVE;
}

void GtkMainWindow::Destroy() {
    if (destroyed_) return;
    destroyed_ = true;
    // The widgets stay until the object is deleted: the device may still use the GL area.
    if (window_) gtk_widget_hide(window_);
    input::ClearKeyboard();
    if (host_) host_->OnDestroy();
    quitting_ = true;
}

int GtkMainWindow::MessageBox(const char* text, const char* caption) {
    // Once the program is ending (closed, or stopped by a signal) nobody is there to answer.
    if (quitting_) return ConsoleMessageBox(text, caption);
    if (gtk::IsGtkThread()) return gtk::RunMessageDialog(Parent(), text, caption);
    // The window may close before the main thread gets to the box: it looks again then.
    return gtk::MessageDialogFromThread(
        [this](GtkWindow** parent) {
            if (quitting_) return false;
            *parent = Parent();
            return true;
        },
        text, caption);
}

int GtkMainWindow::AboutBox(const char* caption, const char* const* lines, int lineCount) {
    return gtk::RunAboutDialog(Parent(), caption, lines, lineCount);
}

void GtkMainWindow::ShowOverlayFrame(const uint8_t* rgba, int width, int height) {
    if (!rgba) {
        overlayShown_ = false;
    } else if (glReady_ && MakeCurrent()) {
        presenter_.UploadOverlay(rgba, width, height);
        overlayShown_ = true;
    }
    if (offscreen_) {
        frameCurrent_ = false;
        if (area_) gtk_widget_queue_draw(area_);
    } else if (area_) {
        gtk_gl_area_queue_render(GTK_GL_AREA(area_));
    }
}

bool GtkMainWindow::MakeCurrent() {
    if (offscreen_) return offscreen_->MakeCurrent();
    if (!area_ || !gtk_widget_get_realized(area_)) return false;
    gtk_gl_area_make_current(GTK_GL_AREA(area_));
    return gtk_gl_area_get_error(GTK_GL_AREA(area_)) == nullptr &&
           gtk_gl_area_get_context(GTK_GL_AREA(area_)) != nullptr;
}

void GtkMainWindow::Show(uint32_t glTexture, uint32_t, uint32_t) {
    pictureTexture_ = glTexture;
    if (!area_) return;
    if (!offscreen_) {
        gtk_gl_area_queue_render(GTK_GL_AREA(area_));
        return;
    }
    // Read now, while the texture holds this picture; the toolkit paints it at its next turn.
    ReadFrame();
    gtk_widget_queue_draw(area_);
}

void GtkMainWindow::AreaPixels(int* width, int* height) const {
    int scale = gtk_widget_get_scale_factor(area_);
    *width = gtk_widget_get_allocated_width(area_) * scale;
    *height = gtk_widget_get_allocated_height(area_) * scale;
}

void GtkMainWindow::ReadFrame() {
    frameCurrent_ = false;
    int width = 0, height = 0;
    AreaPixels(&width, &height);
    if (!glReady_ || width <= 0 || height <= 0 || !MakeCurrent()) return;
    uint32_t texture = pictureTexture_;
    int textureWidth = 640, textureHeight = 480;
    PresentRect rect =
        fullScreen_ ? LetterboxRect(width, height, 640, 480) : PresentRect{0, 0, width, height};
    if (overlayShown_ && presenter_.OverlayTexture()) {
        // The movie covers the whole client area, stretched.
        texture = presenter_.OverlayTexture();
        presenter_.OverlaySize(&textureWidth, &textureHeight);
        rect = PresentRect{0, 0, width, height};
    }
    if (!texture) return;
    if (!frame_ || cairo_image_surface_get_width(frame_) != width ||
        cairo_image_surface_get_height(frame_) != height) {
        if (frame_) cairo_surface_destroy(frame_);
        frame_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        int scale = gtk_widget_get_scale_factor(area_);
        cairo_surface_set_device_scale(frame_, scale, scale);
    }
    if (cairo_surface_status(frame_) != CAIRO_STATUS_SUCCESS) return;
    cairo_surface_flush(frame_);
    frameCurrent_ = presenter_.ReadPicture(texture, textureWidth, textureHeight, rect, width,
                                           height, cairo_image_surface_get_data(frame_),
                                           cairo_image_surface_get_stride(frame_));
    cairo_surface_mark_dirty(frame_);
}

gboolean GtkMainWindow::OnAreaDraw(GtkWidget*, cairo_t* cr, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    int width = 0, height = 0;
    w->AreaPixels(&width, &height);
    // A new size (or an overlay shown or taken away) is read again from the texture, which
    // still holds the last picture.
    if (!w->frameCurrent_ || !w->frame_ || cairo_image_surface_get_width(w->frame_) != width ||
        cairo_image_surface_get_height(w->frame_) != height) {
        w->ReadFrame();
    }
    if (w->frameCurrent_) {
        cairo_set_source_surface(cr, w->frame_, 0, 0);
    } else {
        cairo_set_source_rgb(cr, 0, 0, 0);
    }
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    return TRUE;
}

void GtkMainWindow::OnAreaRealize(GtkGLArea* area, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    gtk_gl_area_make_current(area);
    if (GError* error = gtk_gl_area_get_error(area)) {
        std::fprintf(stderr, "vq: OpenGL 3.3 is not available: %s\n", error->message);
        return;
    }
    w->glReady_ = w->presenter_.Init();
}

void GtkMainWindow::OnAreaUnrealize(GtkGLArea* area, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    gtk_gl_area_make_current(area);
    if (w->glReady_ && !gtk_gl_area_get_error(area)) w->presenter_.Release();
    w->glReady_ = false;
}

gboolean GtkMainWindow::OnAreaRender(GtkGLArea* area, GdkGLContext*, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    int scale = gtk_widget_get_scale_factor(GTK_WIDGET(area));
    int fbWidth = gtk_widget_get_allocated_width(GTK_WIDGET(area)) * scale;
    int fbHeight = gtk_widget_get_allocated_height(GTK_WIDGET(area)) * scale;
    if (!w->glReady_) return TRUE;
    if (w->overlayShown_ && w->presenter_.OverlayTexture()) {
        // The movie covers the whole client area, stretched.
        w->presenter_.Draw(w->presenter_.OverlayTexture(), PresentRect{0, 0, fbWidth, fbHeight},
                           fbWidth, fbHeight, true);
    } else if (w->pictureTexture_) {
        // A window shows the back buffer stretched to its client area; full screen keeps
        // the picture's proportions with black bars.
        PresentRect rect = w->fullScreen_ ? LetterboxRect(fbWidth, fbHeight, 640, 480)
                                          : PresentRect{0, 0, fbWidth, fbHeight};
        w->presenter_.Draw(w->pictureTexture_, rect, fbWidth, fbHeight, true);
    } else {
        w->presenter_.Clear(fbWidth, fbHeight);
    }
    return TRUE;
}

void GtkMainWindow::OnMenuItem(GtkMenuItem* item, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(item), "vq-command"));
    if (GTK_IS_CHECK_MENU_ITEM(item)) {
        // The toolkit has already flipped the mark; the game sets it as it sees fit.
        bool now = gtk_check_menu_item_get_active(GTK_CHECK_MENU_ITEM(item));
        w->CheckMenuItem(id, !now);
    }
    if (w->host_ && !w->destroyed_) w->host_->OnCommand(id);
}

void GtkMainWindow::OnMenuShown(GtkWidget*, gpointer) {
    // An open menu takes the keyboard: keys held now would never see their release.
    input::ClearKeyboard();
}

gboolean GtkMainWindow::OnDeleteEvent(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkMainWindow*>(self)->Destroy();
    return TRUE;  // the widgets stay until the object is deleted
}

gboolean GtkMainWindow::OnKeyPress(GtkWidget*, GdkEventKey* event, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    if (uint8_t code = input::KeyCodeFromHardware(event->hardware_keycode)) {
        input::SetKey(code, true);
    }
    if (event->keyval == GDK_KEY_Escape) {
        if (w->host_ && !w->destroyed_) w->host_->OnEscape();
        return TRUE;
    }
    return FALSE;  // menu mnemonics and F10 still reach the menu bar
}

gboolean GtkMainWindow::OnKeyRelease(GtkWidget*, GdkEventKey* event, gpointer) {
    if (uint8_t code = input::KeyCodeFromHardware(event->hardware_keycode)) {
        input::SetKey(code, false);
    }
    return FALSE;
}

void GtkMainWindow::ReportActivation() {
    if (host_ && !destroyed_) host_->OnActivate(focused_, iconified_);
}

gboolean GtkMainWindow::OnFocusIn(GtkWidget*, GdkEventFocus*, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    w->focused_ = true;
    w->ReportActivation();
    return FALSE;
}

gboolean GtkMainWindow::OnFocusOut(GtkWidget*, GdkEventFocus*, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    w->focused_ = false;
    input::ClearKeyboard();
    w->ReportActivation();
    return FALSE;
}

gboolean GtkMainWindow::OnMap(GtkWidget*, GdkEvent*, gpointer self) {
    // A shown window is active even where no window manager hands it the focus.
    auto* w = static_cast<GtkMainWindow*>(self);
    if (!w->mapped_) {
        w->mapped_ = true;
        w->ReportActivation();
    }
    return FALSE;
}

gboolean GtkMainWindow::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    if (event->changed_mask & GDK_WINDOW_STATE_ICONIFIED) {
        w->iconified_ = (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) != 0;
        if (w->iconified_) input::ClearKeyboard();
        w->ReportActivation();
    }
    return FALSE;
}

gboolean GtkMainWindow::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer self) {
    auto* w = static_cast<GtkMainWindow*>(self);
    WindowRect now{event->x, event->y, event->x + event->width, event->y + event->height};
    WindowRect before = w->lastRect_;
    bool hadRect = w->haveRect_;
    w->lastRect_ = now;
    w->haveRect_ = true;
    if (w->fullScreen_ || w->destroyed_ || !w->host_) return FALSE;
    if (event->width == w->requestedWidth_ && event->height == w->requestedHeight_) {
        // The size this window asked for (a zoom command or an earlier correction).
        w->requestedWidth_ = w->requestedHeight_ = -1;
        return FALSE;
    }
    if (!hadRect || (before.right - before.left == event->width &&
                     before.bottom - before.top == event->height)) {
        return FALSE;  // a move, not a resize
    }
    WindowRect rect = now;
    w->host_->OnSizing(EdgeOfResize(before, now), &rect);
    if (SameRect(rect, now)) return FALSE;
    w->requestedWidth_ = rect.right - rect.left;
    w->requestedHeight_ = rect.bottom - rect.top;
    bool moved = rect.left != now.left || rect.top != now.top;
    w->ResizeWindow(moved ? &rect : nullptr, w->requestedWidth_, w->requestedHeight_);
    return FALSE;
}

gboolean GtkMainWindow::OnStopSignal(gpointer self) {
    gtk::CloseOpenDialogs();
    static_cast<GtkMainWindow*>(self)->Destroy();
    return G_SOURCE_CONTINUE;
}

}  // namespace

Window* CreateGtkWindow() {
    if (!gtk::EnsureGtk()) return nullptr;
    return new GtkMainWindow();
}

}  // namespace win
