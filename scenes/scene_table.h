// The scene table and the hooks through which the shell reaches the stage world, play and
// the scenes. The program's main (and the headless harness) installs them before the shell
// starts.
#pragma once

#include "engine/main/shell_hooks.h"

extern const SceneRow kSceneTable[kSceneCount];

// Fills the shell's hooks with the game's scene table and steps.
void InstallGameHooks();

// Puts every global of the game (engine, world, play, scenes) back to its program-start
// value. Resources still held are released first; call it while no game runs.
void ResetGameGlobals();
