// The game program. It reads no command line.
#include "engine/main/app.h"
#include "platform/system/system.h"
#include "scenes/scene_table.h"

namespace {

// The stop signals are handled from the first moment of the process: this runs before any
// library initialises (loading the toolkits takes a good part of a second), so a stop asked
// for during the start-up still gets the normal shut-down.
void InstallStopSignalsFirst(int, char**, char**) {
    sys::InstallStopSignalHandlers();
}

[[gnu::used, gnu::section(".preinit_array")]] void (*const kInstallStopSignalsFirst)(
    int, char**, char**) = InstallStopSignalsFirst;

}  // namespace

int main() {
    InstallGameHooks();
    return RunGameProgram(GameBackends());
}
