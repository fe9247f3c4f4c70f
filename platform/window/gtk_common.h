// What the GTK window backend's files share: toolkit start-up, the program icon, texts and
// the dialogs.
#pragma once

#include <gtk/gtk.h>

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
// and the caller waits until the box is closed.
int MessageDialogFromThread(GtkWindow* parent, const char* text, const char* caption);
// Closes every dialog these functions have open, as if cancelled (the program is ending).
void CloseOpenDialogs();
// The modal about box.
int RunAboutDialog(GtkWindow* parent, const char* caption, const char* const* lines, int lineCount);

}  // namespace win::gtk
