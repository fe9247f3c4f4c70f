// The pause menu: resume or return to the title (and, in practice, restart the stage).
#pragma once

#include <cstdint>

// What the menu's choices reach above the engine's services: the shell's return to the
// title, and the practice stage's restart in play. An empty hook does nothing.
struct PauseMenuHooks {
    void (*returnToTitle)();
    void (*restartStage)();
};
extern PauseMenuHooks gPauseMenuHooks;

// Items of the menu in the current scene and game mode: 3 in practice play, else 2.
int32_t PauseMenuItemCount();
// One tick of the visible menu. True when an item was chosen (the tick goes on with the
// scene update); false when the tick ends here with play frozen.
bool UpdatePauseMenu();
void DrawPauseMenu();
