// Toolkit start-up, texts, the program icon and the dialogs of the GTK backend.
#include <cairo.h>

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/text/cp932.h"
#include "platform/window/gtk_common.h"
#include "platform/window/window.h"

namespace win {

namespace gtk {

namespace {

std::once_flag gInitOnce;
bool gHaveDisplay = false;
std::thread::id gGtkThread;
// The dialogs open now (main thread only).
std::vector<GtkWidget*> gOpenDialogs;

void Track(GtkWidget* dialog) {
    gOpenDialogs.push_back(dialog);
    g_signal_connect(dialog, "destroy",
                     G_CALLBACK(+[](GtkWidget* w, gpointer) { std::erase(gOpenDialogs, w); }),
                     nullptr);
}

// The about box is laid out in the dialog units of its 9-point font: 1.5 pixels each way.
int Dlu(int units) {
    return units * 3 / 2;
}

// The about box's font: a Japanese gothic face at 9 points, with a compact button.
void ApplyDialogFont(GtkWidget* widget) {
    static GtkCssProvider* provider = [] {
        GtkCssProvider* p = gtk_css_provider_new();
        gtk_css_provider_load_from_data(p,
                                        "* { font-family: \"IPAPGothic\", \"IPA PGothic\", "
                                        "sans-serif; font-size: 9pt; }\n"
                                        "button { padding: 0 4px; min-height: 0; }\n",
                                        -1, nullptr);
        return p;
    }();
    gtk_style_context_add_provider(gtk_widget_get_style_context(widget),
                                   GTK_STYLE_PROVIDER(provider),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    if (GTK_IS_CONTAINER(widget)) {
        gtk_container_foreach(
            GTK_CONTAINER(widget), [](GtkWidget* child, gpointer) { ApplyDialogFont(child); },
            nullptr);
    }
}

GtkWidget* NewMessageDialog(GtkWindow* parent, const char* text, const char* caption) {
    std::string body = Utf8(text);
    GtkWidget* dialog = gtk_message_dialog_new(
        parent, static_cast<GtkDialogFlags>(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        GTK_MESSAGE_OTHER, GTK_BUTTONS_OK, "%s", body.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), Utf8(caption).c_str());
    Track(dialog);
    return dialog;
}

// A message box asked for by another thread, shown by the main thread.
struct ThreadMessage {
    const std::function<bool(GtkWindow**)>* owner;
    const char* text;
    const char* caption;
    std::mutex mutex;
    std::condition_variable closed;
    bool done = false;
};

void OnThreadMessageResponse(GtkDialog* dialog, gint, gpointer data) {
    auto* message = static_cast<ThreadMessage*>(data);
    gtk_widget_destroy(GTK_WIDGET(dialog));
    std::lock_guard lock(message->mutex);
    message->done = true;
    message->closed.notify_all();
}

gboolean ShowThreadMessage(gpointer data) {
    auto* message = static_cast<ThreadMessage*>(data);
    GtkWindow* parent = nullptr;
    if (!(*message->owner)(&parent)) {
        ConsoleMessageBox(message->text, message->caption);
        std::lock_guard lock(message->mutex);
        message->done = true;
        message->closed.notify_all();
        return G_SOURCE_REMOVE;
    }
    GtkWidget* dialog = NewMessageDialog(parent, message->text, message->caption);
    g_signal_connect(dialog, "response", G_CALLBACK(OnThreadMessageResponse), message);
    gtk_widget_show_all(dialog);
    return G_SOURCE_REMOVE;
}

}  // namespace

bool EnsureGtk() {
    std::call_once(gInitOnce, [] {
        gHaveDisplay = gtk_init_check(nullptr, nullptr);
        gGtkThread = std::this_thread::get_id();
        if (!gHaveDisplay) std::fprintf(stderr, "vq: cannot open the display\n");
    });
    return gHaveDisplay;
}

bool IsGtkThread() {
    return gHaveDisplay && std::this_thread::get_id() == gGtkThread;
}

std::string Utf8(const char* cp932) {
    std::string out;
    if (cp932 && !text::Cp932ToUtf8(cp932, &out)) out = cp932;
    return out;
}

std::string MnemonicLabel(const char* cp932) {
    std::string utf8 = Utf8(cp932);
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        char c = utf8[i];
        if (c == '&') {
            if (i + 1 < utf8.size() && utf8[i + 1] == '&') {
                out += '&';
                ++i;
            } else {
                out += '_';
            }
        } else if (c == '_') {
            out += "__";
        } else {
            out += c;
        }
    }
    return out;
}

GdkPixbuf* ProgramIcon(int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / 32.0, size / 32.0);
    // A night-blue plate with a rounded frame.
    double r = 5.0;
    cairo_new_sub_path(cr);
    cairo_arc(cr, 32 - r - 1, r + 1, r, -M_PI / 2, 0);
    cairo_arc(cr, 32 - r - 1, 32 - r - 1, r, 0, M_PI / 2);
    cairo_arc(cr, r + 1, 32 - r - 1, r, M_PI / 2, M_PI);
    cairo_arc(cr, r + 1, r + 1, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, 32);
    cairo_pattern_add_color_stop_rgb(sky, 0, 0.10, 0.18, 0.42);
    cairo_pattern_add_color_stop_rgb(sky, 1, 0.02, 0.04, 0.12);
    cairo_set_source(cr, sky);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(sky);
    cairo_set_source_rgb(cr, 0.55, 0.70, 0.95);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    // A delta-wing craft climbing to the upper right, with its engine glow.
    cairo_translate(cr, 16, 17);
    cairo_rotate(cr, M_PI / 4);
    cairo_move_to(cr, 0, -12);
    cairo_line_to(cr, 9, 8);
    cairo_line_to(cr, 0, 5);
    cairo_line_to(cr, -9, 8);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.93, 0.95, 1.0);
    cairo_fill(cr);
    cairo_move_to(cr, 0, -6);
    cairo_line_to(cr, 2, 1);
    cairo_line_to(cr, -2, 1);
    cairo_close_path(cr);
    cairo_set_source_rgb(cr, 0.20, 0.45, 0.85);
    cairo_fill(cr);
    cairo_arc(cr, 0, 8, 2.2, 0, 2 * M_PI);
    cairo_set_source_rgb(cr, 1.0, 0.62, 0.15);
    cairo_fill(cr);
    cairo_destroy(cr);
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(surface, 0, 0, size, size);
    cairo_surface_destroy(surface);
    return pixbuf;
}

int RunMessageDialog(GtkWindow* parent, const char* text, const char* caption) {
    GtkWidget* dialog = NewMessageDialog(parent, text, caption);
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return kIdOk;
}

int MessageDialogFromThread(const std::function<bool(GtkWindow**)>& owner, const char* text,
                            const char* caption) {
    ThreadMessage message;
    message.owner = &owner;
    message.text = text;
    message.caption = caption;
    // An idle source of the main context: only the main thread, which iterates that
    // context, runs it (g_main_context_invoke could run it right here).
    GSource* source = g_idle_source_new();
    g_source_set_callback(source, ShowThreadMessage, &message, nullptr);
    g_source_attach(source, g_main_context_default());
    g_source_unref(source);
    std::unique_lock lock(message.mutex);
    message.closed.wait(lock, [&] { return message.done; });
    return kIdOk;
}

void CloseOpenDialogs() {
    std::vector<GtkWidget*> open = gOpenDialogs;
    for (GtkWidget* dialog : open) gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_CANCEL);
}

int RunAboutDialog(GtkWindow* parent, const char* caption, const char* const* lines,
                   int lineCount) {
    GtkWidget* dialog = gtk_dialog_new();
    Track(dialog);
    gtk_window_set_title(GTK_WINDOW(dialog), Utf8(caption).c_str());
    gtk_window_set_transient_for(GTK_WINDOW(dialog), parent);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_window_set_resizable(GTK_WINDOW(dialog), FALSE);
    gtk_window_set_skip_taskbar_hint(GTK_WINDOW(dialog), TRUE);

    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, Dlu(201), Dlu(73));

    GdkPixbuf* icon = ProgramIcon(32);
    GtkWidget* image = gtk_image_new_from_pixbuf(icon);
    g_object_unref(icon);
    gtk_fixed_put(GTK_FIXED(fixed), image, Dlu(7), Dlu(7));

    // The version line, then the two lines below it.
    static const int kLinePlaces[3][3] = {{53, 7, 120}, {44, 17, 136}, {72, 29, 60}};
    for (int i = 0; i < lineCount && i < 3; ++i) {
        GtkWidget* label = gtk_label_new(Utf8(lines[i]).c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        gtk_widget_set_size_request(label, Dlu(kLinePlaces[i][2]), Dlu(8));
        gtk_fixed_put(GTK_FIXED(fixed), label, Dlu(kLinePlaces[i][0]), Dlu(kLinePlaces[i][1]));
    }

    GtkWidget* ok = gtk_button_new_with_label("OK");
    gtk_widget_set_size_request(ok, Dlu(39), Dlu(14));
    gtk_fixed_put(GTK_FIXED(fixed), ok, Dlu(79), Dlu(44));
    g_signal_connect_swapped(
        ok, "clicked", G_CALLBACK(+[](GtkDialog* d) { gtk_dialog_response(d, GTK_RESPONSE_OK); }),
        dialog);

    gtk_container_add(GTK_CONTAINER(gtk_dialog_get_content_area(GTK_DIALOG(dialog))), fixed);
    ApplyDialogFont(dialog);
    gtk_widget_show_all(dialog);
    gtk_widget_set_can_default(ok, TRUE);
    gtk_widget_grab_default(ok);
    gtk_widget_grab_focus(ok);

    // OK ends the box with 1; Escape and the close button cancel it with 2.
    int response = gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
    return response == GTK_RESPONSE_OK ? kIdOk : kIdCancel;
}

}  // namespace gtk

int StandaloneMessageBox(const char* text, const char* caption) {
    if (gtk::EnsureGtk() && gtk::IsGtkThread()) {
        return gtk::RunMessageDialog(nullptr, text, caption);
    }
    return ConsoleMessageBox(text, caption);
}

}  // namespace win
