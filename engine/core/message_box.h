// Message boxes for the player: owned by the main window while it exists, otherwise
// written to standard error.
#pragma once

// Shows a message box owned by the main window (without a window: on standard error).
// Callable from the loader thread.
int ShowMessageBox(const char* text, const char* caption);
