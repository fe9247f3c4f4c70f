#include "engine/core/message_box.h"

#include "engine/core/context.h"

int ShowMessageBox(const char* text, const char* caption) {
    if (gPlatform.mainWindow) return gPlatform.mainWindow->MessageBox(text, caption);
    // No window: parts of the game run on their own (tests and tools).
    return win::ConsoleMessageBox(text, caption);
}
