// The game-over picture (scene 2): one full-screen picture until decide, then the title.
#pragma once

#include <cstdint>

struct GameOverState {
    int32_t leaving;
};

extern GameOverState gGameOverState;

// Whoever switches to scene 2 calls this first.
void ResetGameOver();
void UpdateGameOver();
void DrawGameOver();
void ResetGameOverGlobals();
