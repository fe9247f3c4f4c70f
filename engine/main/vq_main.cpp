// The game program. It reads no command line.
#include "engine/main/app.h"
#include "scenes/scene_table.h"

int main() {
    InstallGameHooks();
    return RunGameProgram(GameBackends());
}
