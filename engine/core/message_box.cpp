#include "engine/core/message_box.h"

#include <cstdio>

#include "engine/core/context.h"

int ShowMessageBox(const char* text, const char* caption) {
    if (gPlatform.mainWindow) return gPlatform.mainWindow->MessageBox(text, caption);
    // No window: parts of the game run on their own (tests and tools).
    return win::ConsoleMessageBox(text, caption);
}

void ShowFileLineMessage(const char* path, int32_t line, const char* why, const char* caption) {
    char text[640];
    if (line > 0) {
        std::snprintf(text, sizeof text, "%s (line %d: %s)", path ? path : "",
                      static_cast<int>(line), why ? why : "damaged");
    } else {
        std::snprintf(text, sizeof text, "%s (%s)", path ? path : "", why ? why : "damaged");
    }
    ShowMessageBox(text, caption);
}

void ShowDamagedFileMessage(const char* path, int32_t line, const char* why) {
    ShowFileLineMessage(path, line, why, kFileNotFoundCaption.c_str());
}

void ShowDamagedPictureMessage(const char* path, const char* why) {
    char text[640];
    std::snprintf(text, sizeof text, "%s (%s)", path ? path : "", why ? why : "damaged");
    ShowMessageBox(text, kPictureErrorCaption);
}
