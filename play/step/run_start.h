// Run and stage start: what a run carries from stage to stage is cleared once per run, and
// every stage starts from a complete set of play records.
#pragma once

#include <cstdint>

#include "engine/core/game_state.h"

// Once at the start of a run (a game started from the title, the practice restart).
void ResetRunState();

// What the title chose for a new run.
struct RunChoice {
    GameMode mode;
    PlayerSetup setup;
    int32_t craft[2];  // 0..3
    int32_t stage;     // the first stage, 0..18
};
// A new run from the title: the choice written into the game state (values out of range
// are brought to the nearest valid one), then ResetRunState. The caller then changes the
// scene to play, whose load starts the stage.
void StartRun(const RunChoice& choice);
// Before every stage: the play fields of the game state, both crafts, the pools, the stage's
// enemies, set pieces and boss. The stage's resources (collision, camera rail) are loaded.
// Runs on the loader thread in the play scene's load step.
void StartStage();
// The main-thread share of the stage start: the small text font and the field of view.
// The play scene's load calls it on the main thread once the loader is done; the practice
// restart calls it with StartStage.
void StartStageOnMainThread();
