// The settings dialog on GTK, on a display of the test's own (its key events must not
// meet the focus changes of other tests' windows): it opens with every control, a keyboard
// capture takes a key from the dialog's own key events, a screenshot is written into the
// build folder, and OK saves.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <set>
#include <string>

#include "engine/input/bindings.h"
#include "platform/input/scripted.h"
#include "platform/profile/profile.h"
#include "platform/system/system.h"
#include "platform/window/dialog.h"
#include "tests/support/own_display.h"
#include "tests/support/temp_folder.h"
#include "tool/main/settings_tool.h"

namespace {

struct Smoke {
    int phase = 0;
    GtkWidget* window = nullptr;
    std::set<std::string> names;  // widget names found in the window
    std::set<std::string> hidden;
    std::string title;
    bool screenshot = false;
    std::string textBeforePress;  // the binding box as the key goes down
    uint32_t pressedAt = 0;
    std::string capturedText;
};

void Collect(GtkWidget* widget, gpointer data) {
    auto* smoke = static_cast<Smoke*>(data);
    const char* name = gtk_widget_get_name(widget);
    if (name && std::string(name).rfind("control-", 0) == 0) {
        smoke->names.insert(name);
        if (!gtk_widget_get_mapped(widget)) smoke->hidden.insert(name);
    }
    if (GTK_IS_CONTAINER(widget)) gtk_container_forall(GTK_CONTAINER(widget), Collect, data);
}

GtkWidget* FindByName(GtkWidget* widget, const std::string& name) {
    const char* own = gtk_widget_get_name(widget);
    if (own && name == own) return widget;
    if (!GTK_IS_CONTAINER(widget)) return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
    GtkWidget* found = nullptr;
    for (GList* c = children; c && !found; c = c->next) {
        found = FindByName(GTK_WIDGET(c->data), name);
    }
    g_list_free(children);
    if (!found && GTK_IS_BIN(widget)) {
        if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(widget))) found = FindByName(child, name);
    }
    return found;
}

GtkWidget* Control(Smoke* s, int id) {
    char name[32];
    win::DialogControlName(id, name, sizeof name);
    return FindByName(s->window, name);
}

// Sends a key event to a window, as the X server numbers the key.
void SendKey(GtkWidget* window, guint16 hardwareKeycode, guint keyval, bool press) {
    GdkEvent* e = gdk_event_new(press ? GDK_KEY_PRESS : GDK_KEY_RELEASE);
    e->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(window)));
    e->key.hardware_keycode = hardwareKeycode;
    e->key.keyval = keyval;
    e->key.time = GDK_CURRENT_TIME;
    gdk_event_set_device(
        e, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(window, e);
    gdk_event_free(e);
}

// The dialog's window once it is shown, else nullptr.
GtkWidget* ShownWindow() {
    GtkWidget* shown = nullptr;
    GList* tops = gtk_window_list_toplevels();
    for (GList* t = tops; t; t = t->next) {
        if (gtk_widget_get_mapped(GTK_WIDGET(t->data))) shown = GTK_WIDGET(t->data);
    }
    g_list_free(tops);
    return shown;
}

// The first binding box of player 2's keys, where the captured key shows.
std::string BindingText(Smoke* s) {
    return gtk_entry_get_text(GTK_ENTRY(Control(s, kIdFirstBinding + 16)));
}

gboolean Drive(gpointer data) {
    auto* s = static_cast<Smoke*>(data);
    if (!s->window) {
        s->window = ShownWindow();
        return G_SOURCE_CONTINUE;
    }
    switch (s->phase++) {
        case 0: {
            s->title = gtk_window_get_title(GTK_WINDOW(s->window));
            Collect(s->window, s);
            GdkWindow* w = gtk_widget_get_window(s->window);
            int width = gdk_window_get_width(w), height = gdk_window_get_height(w);
            if (GdkPixbuf* shot = gdk_pixbuf_get_from_window(w, 0, 0, width, height)) {
                std::string path = std::string(VQ_BINARY_DIR) + "/vqconf_dialog.png";
                s->screenshot = gdk_pixbuf_save(shot, path.c_str(), "png", nullptr, nullptr);
                g_object_unref(shot);
            }
            gtk_button_clicked(GTK_BUTTON(Control(s, kIdCaptureKeys2)));
            break;
        }
        case 1:
            s->textBeforePress = BindingText(s);
            s->pressedAt = sys::TimeMs();
            SendKey(s->window, 24, GDK_KEY_q, true);  // Q, as the X server numbers it
            break;
        case 2:
            // The key stays down until the capture has shown it, however late its timer
            // comes on a busy machine (a bound keeps a broken capture from hanging the test).
            if (BindingText(s) == s->textBeforePress && sys::TimeMs() - s->pressedAt < 30000) {
                s->phase = 2;
                return G_SOURCE_CONTINUE;
            }
            SendKey(s->window, 24, GDK_KEY_q, false);
            break;
        case 3:
            s->capturedText = BindingText(s);
            gtk_button_clicked(GTK_BUTTON(Control(s, kIdSave)));
            return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

TEST(SettingsDialogGtk, OpensWithEveryControlCapturesAKeyAndSavesOnOk) {
    if (!vqtest::UseOwnDisplay()) GTEST_SKIP() << "no X server of its own (Xvfb)";
    win::Dialog* dialog = win::CreateGtkDialog();
    if (!dialog) GTEST_SKIP() << "no display";
    vqtest::TempFolder folder;
    sys::SetProgramDirectory(folder.Path().c_str());
    input::scripted::Reset();
    SetCaptureBackend(input::Backend::Scripted);

    Smoke smoke;
    g_timeout_add(150, Drive, &smoke);
    int result = RunSettingsTool(dialog);
    delete dialog;
    sys::SetProgramDirectory(nullptr);
    SetCaptureBackend(input::Backend::Sdl);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(smoke.title, "VELDRAN QUORL　環境カスタム");
    win::DialogDesc desc = SettingsDialogDesc();
    int ids = 0;
    for (int i = 0; i < desc.controlCount; ++i) {
        if (desc.controls[i].id == 0) continue;
        ++ids;
        char name[32];
        win::DialogControlName(desc.controls[i].id, name, sizeof name);
        EXPECT_TRUE(smoke.names.count(name)) << name;
        EXPECT_FALSE(smoke.hidden.count(name)) << name;
    }
    EXPECT_EQ(ids, 5 + 1 + 4 + 2 + 32 +
                       3);  // radios, check box, capture buttons, prompts, boxes, buttons
    EXPECT_TRUE(smoke.screenshot);
    EXPECT_EQ(smoke.capturedText, "Ｑ");
    profile::Document doc;
    ASSERT_TRUE(doc.Load(folder.File("v_quorl.ini").c_str()));
    EXPECT_EQ(doc.ReadInt("option", "pad20", -1), 30);
    EXPECT_EQ(doc.ReadInt("option", "pad21", -1), 0);
    EXPECT_EQ(doc.ReadInt("setup", "winmode", -1), 0);
}

// Finds the dialog's window once it is shown, then closes it the way `close` says.
struct Closer {
    bool escape;  // the Escape key, else the window's close button
    GtkWidget* window = nullptr;
};

gboolean CloseWhenShown(gpointer data) {
    auto* c = static_cast<Closer*>(data);
    c->window = ShownWindow();
    if (!c->window) return G_SOURCE_CONTINUE;
    if (c->escape) {
        SendKey(c->window, 9, GDK_KEY_Escape, true);
    } else {
        GdkEvent* e = gdk_event_new(GDK_DELETE);
        e->any.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(c->window)));
        gtk_main_do_event(e);
        gdk_event_free(e);
    }
    return G_SOURCE_REMOVE;
}

TEST(SettingsDialogGtk, TheCloseButtonAndEscapeCancelWithoutWriting) {
    if (!vqtest::UseOwnDisplay()) GTEST_SKIP() << "no X server of its own (Xvfb)";
    for (bool escape : {false, true}) {
        win::Dialog* dialog = win::CreateGtkDialog();
        if (!dialog) GTEST_SKIP() << "no display";
        vqtest::TempFolder folder;
        const std::string before = "[setup]\nwinmode=1\n; kept as it is\n";
        vqtest::WriteWholeFile(folder.File("v_quorl.ini"), before);
        sys::SetProgramDirectory(folder.Path().c_str());
        Closer closer{escape};
        g_timeout_add(50, CloseWhenShown, &closer);
        const int result = RunSettingsTool(dialog);
        delete dialog;
        sys::SetProgramDirectory(nullptr);
        EXPECT_NE(closer.window, nullptr) << escape;
        EXPECT_EQ(result, 0) << escape;
        EXPECT_EQ(vqtest::ReadWholeFile(folder.File("v_quorl.ini")), before) << escape;
    }
}

}  // namespace
