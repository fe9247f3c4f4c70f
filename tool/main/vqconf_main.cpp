// The settings tool program. It reads no command line.
#include <cstdio>

#include "platform/window/dialog.h"
#include "tool/main/settings_tool.h"

int main() {
    win::Dialog* dialog = win::CreateGtkDialog();
    if (!dialog) {
        std::fprintf(stderr, "vqconf: no display to show the settings dialog on\n");
        return 2;
    }
    SetCaptureBackend(input::Backend::Sdl);
    int result = RunSettingsTool(dialog);
    delete dialog;
    return result;
}
