// The game program. It reads no command line.
#include "engine/main/app.h"

int main() {
    return RunGameProgram(GameBackends());
}
