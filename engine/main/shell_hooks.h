// The shell's only ways up into the game. The shell (start-up, message loop, frame loop)
// stands below the stage world and the scenes: it reaches them through the scene table and
// the few start-up and shut-down steps below, which the program's main fills before the
// shell starts. An empty hook does nothing.
#pragma once

#include <cstdint>

#include "engine/core/game_state.h"

using SceneStep = void (*)();

// One scene's steps, by scene number.
struct SceneRow {
    SceneStep load;     // on the loader thread, after the scene was entered
    SceneStep update;   // once per tick
    SceneStep draw;     // once per drawn frame
    SceneStep release;  // the scene's own resources, when it is left for the title
    SceneStep reload;   // after a device reset, once the common pictures are back
};

struct ShellHooks {
    const SceneRow* scenes;  // kSceneCount rows, or null
    // Start-up, once the data archives are open: the stage index and the world's device
    // set-up.
    void (*loadGameData)();
    // The last step of the start-up, with the title's pictures loaded.
    void (*gameStarted)();
    // Releases whatever any scene holds (return to the title, device reset, shut-down).
    void (*releaseSceneResources)();
    // The title was entered again through the return to the title, or through the practice
    // pause menu's return once its fade-out is done.
    void (*titleEntered)();
    // The clear colour of the frame in the current scene; null or 0: the default.
    uint32_t (*clearColor)();
    // Each tick after the pads were read and before their edges and repeats are formed:
    // pad bits the game makes itself (the computer partner's held bits).
    void (*padsUpdated)();
    // The window's Esc on the title: true when the program is to close (the press-start
    // screen); false when the title handled it. Null: Esc on the title closes.
    bool (*titleEscape)();
};

extern ShellHooks gShellHooks;

// The row of a scene, or of the current scene; null without a table or for a number
// outside it.
const SceneRow* SceneRowOf(SceneId scene);
const SceneRow* CurrentSceneRow();
