// Run and stage start: what a run carries from stage to stage is cleared once per run, and
// every stage starts from a complete set of play records.
#pragma once

// Once at the start of a run (a game started from the title, the practice restart).
void ResetRunState();
// Before every stage: the play fields of the game state, both crafts, the pools, the stage's
// enemies, set pieces and boss. The stage's resources (collision, camera rail) are loaded.
// Runs on the loader thread in the play scene's load step.
void StartStage();
// The main-thread share of the stage start: the small text font and the field of view.
// The play scene's load calls it on the main thread once the loader is done; the practice
// restart calls it with StartStage.
void StartStageOnMainThread();
