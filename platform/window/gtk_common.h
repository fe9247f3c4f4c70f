// What the GTK window backend's files share: toolkit start-up, the program icon, texts and
// the dialogs.
#pragma once

#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace win::gtk {

// Starts the toolkit once; false when no display can be opened.
bool EnsureGtk();
// True on the thread that started the toolkit (the main thread).
bool IsGtkThread();

// A CP932 text as UTF-8 for the toolkit.
std::string Utf8(const char* cp932);
// A menu text with '&' marking the mnemonic, as the toolkit writes it ('_').
std::string MnemonicLabel(const char* cp932);

// The program's icon, drawn at the given size (a new reference).
GdkPixbuf* ProgramIcon(int size);

// A modal message box with an OK button; returns when it is closed. Main thread only.
int RunMessageDialog(GtkWindow* parent, const char* text, const char* caption);
// The same from any other thread: the main thread shows the box while its loop runs on,
// and the caller waits until the box is closed. The owner is asked for on the main thread
// when the box is due; when owner answers false (the program is ending and nobody is there
// to close the box) the text goes to standard error instead.
int MessageDialogFromThread(const std::function<bool(GtkWindow** parent)>& owner, const char* text,
                            const char* caption);
// Closes every dialog these functions have open, as if cancelled (the program is ending).
void CloseOpenDialogs();
// The modal about box.
int RunAboutDialog(GtkWindow* parent, const char* caption, const char* const* lines, int lineCount);

}  // namespace win::gtk
