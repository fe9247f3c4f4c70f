// The table-described modal dialog on GTK 3: a window with a grid of controls, group
// boxes as frames with grids of their own, and a nested main loop for modality.
#include <gtk/gtk.h>

#include <cstdio>
#include <map>
#include <string>

#include "platform/input/keyboard.h"
#include "platform/text/cp932.h"
#include "platform/window/dialog.h"

namespace win {

namespace {

constexpr int kSpacing = 6;

std::string Utf8(const char* cp932) {
    std::string out;
    text::Cp932ToUtf8(cp932 ? cp932 : "", &out);
    return out;
}

GtkWidget* NewGrid() {
    GtkWidget* grid = gtk_grid_new();
    gtk_grid_set_row_spacing(GTK_GRID(grid), kSpacing);
    gtk_grid_set_column_spacing(GTK_GRID(grid), kSpacing);
    return grid;
}

class GtkTableDialog : public Dialog {
public:
    ~GtkTableDialog() override {
        StopTimer();
        if (window_) gtk_widget_destroy(window_);
    }

    int Run(const DialogDesc& desc, DialogHost* host) override {
        host_ = host;
        code_ = -1;
        Build(desc);
        host_->OnInit();
        gtk_widget_show_all(window_);
        gtk_window_present(GTK_WINDOW(window_));
        loop_ = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(loop_);
        g_main_loop_unref(loop_);
        loop_ = nullptr;
        StopTimer();
        input::ClearKeyboard();
        gtk_widget_destroy(window_);
        window_ = nullptr;
        widgets_.clear();
        while (gtk_events_pending()) gtk_main_iteration();
        return code_;
    }

    void End(int code) override {
        code_ = code;
        if (loop_) g_main_loop_quit(loop_);
    }

    bool HasControl(int id) const override { return widgets_.count(id) != 0; }

    void SetChecked(int id, bool checked) override {
        if (GtkWidget* w = Find(id); w && GTK_IS_TOGGLE_BUTTON(w)) {
            gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), checked);
        }
    }

    bool IsChecked(int id) const override {
        GtkWidget* w = Find(id);
        return w && GTK_IS_TOGGLE_BUTTON(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
    }

    void SetText(int id, const char* text) override {
        GtkWidget* w = Find(id);
        if (!w) return;
        std::string utf8 = Utf8(text);
        if (GTK_IS_ENTRY(w)) {
            gtk_entry_set_text(GTK_ENTRY(w), utf8.c_str());
            gtk_editable_set_position(GTK_EDITABLE(w), 0);
        } else if (GTK_IS_LABEL(w)) {
            gtk_label_set_text(GTK_LABEL(w), utf8.c_str());
        } else if (GTK_IS_BUTTON(w)) {
            gtk_button_set_label(GTK_BUTTON(w), utf8.c_str());
        }
    }

    void Enable(int id, bool enabled) override {
        if (GtkWidget* w = Find(id)) gtk_widget_set_sensitive(w, enabled);
    }

    void StartTimer(int ms) override {
        StopTimer();
        timer_ = g_timeout_add(static_cast<guint>(ms), OnTimerThunk, this);
    }

    void StopTimer() override {
        if (timer_) g_source_remove(timer_);
        timer_ = 0;
    }

    void SetKeyCapture(bool on) override { keyCapture_ = on; }

    int MessageBox(const char* text, const char* caption) override {
        GtkWidget* box =
            gtk_message_dialog_new(window_ ? GTK_WINDOW(window_) : nullptr, GTK_DIALOG_MODAL,
                                   GTK_MESSAGE_INFO, GTK_BUTTONS_OK, "%s", Utf8(text).c_str());
        gtk_window_set_title(GTK_WINDOW(box), Utf8(caption).c_str());
        gtk_dialog_run(GTK_DIALOG(box));
        gtk_widget_destroy(box);
        return 1;
    }

private:
    GtkWidget* Find(int id) const {
        auto it = widgets_.find(id);
        return it == widgets_.end() ? nullptr : it->second;
    }

    void Build(const DialogDesc& desc) {
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_title(GTK_WINDOW(window_), Utf8(desc.caption).c_str());
        gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
        gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
        g_signal_connect(window_, "delete-event", G_CALLBACK(OnDeleteThunk), this);
        g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKeyThunk), this);
        g_signal_connect(window_, "key-release-event", G_CALLBACK(OnKeyThunk), this);
        g_signal_connect(window_, "focus-in-event", G_CALLBACK(OnFocusInThunk), this);
        g_signal_connect(window_, "focus-out-event", G_CALLBACK(OnFocusOutThunk), this);

        GtkWidget* top = NewGrid();
        g_object_set(top, "margin", 10, nullptr);
        gtk_container_add(GTK_CONTAINER(window_), top);

        std::map<int, GtkWidget*> grids;  // control index of a group -> its grid
        std::map<int, GtkWidget*> radioLeaders;
        for (int i = 0; i < desc.controlCount; ++i) {
            const DialogControl& c = desc.controls[i];
            std::string text = Utf8(c.text);
            GtkWidget* w = nullptr;
            switch (c.kind) {
                case ControlKind::Group: {
                    w = gtk_frame_new(text.c_str());
                    GtkWidget* inner = NewGrid();
                    g_object_set(inner, "margin", kSpacing, nullptr);
                    gtk_container_add(GTK_CONTAINER(w), inner);
                    grids[i] = inner;
                    break;
                }
                case ControlKind::Label:
                    w = gtk_label_new(text.c_str());
                    gtk_label_set_xalign(GTK_LABEL(w), 0.0f);
                    break;
                case ControlKind::RadioButton: {
                    GtkWidget*& leader = radioLeaders[c.radioGroup];
                    w = leader ? gtk_radio_button_new_with_label_from_widget(
                                     GTK_RADIO_BUTTON(leader), text.c_str())
                               : gtk_radio_button_new_with_label(nullptr, text.c_str());
                    if (!leader) leader = w;
                    break;
                }
                case ControlKind::CheckBox:
                    w = gtk_check_button_new_with_label(text.c_str());
                    break;
                case ControlKind::PushButton:
                case ControlKind::DefaultButton:
                    w = gtk_button_new_with_label(text.c_str());
                    g_object_set_data(G_OBJECT(w), "dialog-id", GINT_TO_POINTER(c.id));
                    g_signal_connect(w, "clicked", G_CALLBACK(OnClickedThunk), this);
                    if (c.kind == ControlKind::DefaultButton) {
                        defaultId_ = c.id;
                        gtk_widget_set_can_default(w, TRUE);
                    }
                    break;
                case ControlKind::ReadOnlyEdit:
                    w = gtk_entry_new();
                    gtk_editable_set_editable(GTK_EDITABLE(w), FALSE);
                    gtk_widget_set_can_focus(w, FALSE);
                    gtk_entry_set_text(GTK_ENTRY(w), text.c_str());
                    if (c.widthChars > 0) gtk_entry_set_width_chars(GTK_ENTRY(w), c.widthChars);
                    break;
            }
            auto parent = grids.find(c.parent);
            GtkWidget* grid = parent == grids.end() ? top : parent->second;
            gtk_grid_attach(GTK_GRID(grid), w, c.column, c.row, c.columnSpan > 0 ? c.columnSpan : 1,
                            c.rowSpan > 0 ? c.rowSpan : 1);
            if (c.id != 0) {
                char name[32];
                DialogControlName(c.id, name, sizeof name);
                gtk_widget_set_name(w, name);
                widgets_[c.id] = w;
            }
        }
        if (GtkWidget* d = Find(defaultId_)) gtk_widget_grab_default(d);
    }

    static gboolean OnTimerThunk(gpointer self) {
        auto* d = static_cast<GtkTableDialog*>(self);
        if (d->host_) d->host_->OnTimer();
        return d->timer_ != 0 ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
    }

    static gboolean OnDeleteThunk(GtkWidget*, GdkEvent*, gpointer self) {
        auto* d = static_cast<GtkTableDialog*>(self);
        if (d->host_) d->host_->OnCommand(2);  // the close button is Cancel
        return TRUE;
    }

    static void OnClickedThunk(GtkWidget* button, gpointer self) {
        auto* d = static_cast<GtkTableDialog*>(self);
        int id = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(button), "dialog-id"));
        if (d->host_) d->host_->OnCommand(id);
    }

    static gboolean OnFocusInThunk(GtkWidget*, GdkEvent*, gpointer self) {
        auto* d = static_cast<GtkTableDialog*>(self);
        if (d->host_) d->host_->OnActivate(true);
        return FALSE;
    }

    static gboolean OnFocusOutThunk(GtkWidget*, GdkEvent*, gpointer self) {
        auto* d = static_cast<GtkTableDialog*>(self);
        input::ClearKeyboard();
        if (d->host_) d->host_->OnActivate(false);
        return FALSE;
    }

    static gboolean OnKeyThunk(GtkWidget* window, GdkEventKey* event, gpointer self) {
        auto* d = static_cast<GtkTableDialog*>(self);
        bool press = event->type == GDK_KEY_PRESS;
        input::SetKey(input::KeyCodeFromHardware(event->hardware_keycode), press);
        if (d->keyCapture_) return TRUE;  // keys being captured press no button
        if (!press || !d->host_) return FALSE;
        if (event->keyval == GDK_KEY_Escape) {
            d->host_->OnCommand(2);
            return TRUE;
        }
        if (event->keyval == GDK_KEY_Return || event->keyval == GDK_KEY_KP_Enter) {
            // Enter presses the focused push button, else the default button.
            GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
            if (focus && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) return FALSE;
            d->host_->OnCommand(d->defaultId_);
            return TRUE;
        }
        return FALSE;
    }

    GtkWidget* window_ = nullptr;
    GMainLoop* loop_ = nullptr;
    DialogHost* host_ = nullptr;
    std::map<int, GtkWidget*> widgets_;
    guint timer_ = 0;
    int code_ = -1;
    int defaultId_ = 1;
    bool keyCapture_ = false;
};

}  // namespace

Dialog* CreateGtkDialog() {
    if (!gtk_init_check(nullptr, nullptr)) return nullptr;
    return new GtkTableDialog();
}

void DialogControlName(int id, char* out, int outSize) {
    std::snprintf(out, static_cast<size_t>(outSize), "control-%d", id);
}

}  // namespace win
