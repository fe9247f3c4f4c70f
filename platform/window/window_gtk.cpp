#include "platform/window/window.h"

namespace win {

int WriteMessageToStderr(const char* text, const char* caption);

Window* CreateGtkWindow() {
    return nullptr;
}

int StandaloneMessageBox(const char* text, const char* caption) {
    return WriteMessageToStderr(text, caption);
}

}  // namespace win
