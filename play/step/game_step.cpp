#include "play/step/game_step.h"

GameStepState gGameStepState;
GameStepHooks gGameStepHooks;

void UpdateGame() {}
void RestartPracticeStage() {}

void ResetStepGlobals() {
    gGameStepState = {};
}
