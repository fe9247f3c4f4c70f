// One tick of stage play (the play scene's update step) and the play phases: the continue
// prompt, the two-player rejoin and game over, the stage clear with its fly-out and the
// choice of the next scene.
#pragma once

#include <array>
#include <cstdint>

constexpr int kStageClearRailSlots = 24;
// Rail positions that clear a stage without camera files or boss; -1 clears at once.
inline constexpr std::array<int32_t, kStageClearRailSlots> kStageClearRailPositions = {
    -1, 2800, -1, 3000, 2700, -1,   3000, -1, -1, -1, -1, -1,
    -1, -1,   -1, 3000, -1,   3000, -1,   -1, -1, -1, -1, -1,
};

// Working values of the game step that are not part of the game state.
struct GameStepState {
    float floorScroll;  // +0.1 a tick
    // The stage start ran on the loader thread; its main-thread share is still to come.
    int32_t mainThreadStartPending;
    // The first key count of the rail as the stage loaded it.
    int32_t loadedRailKeys;
};
extern GameStepState gGameStepState;

// The play scene's update step.
void UpdateGame();

// Hooks the layers above fill: the scenes the game step hands over to.
struct GameStepHooks {
    void (*initTitle)();   // the title's init (banks the score)
    void (*initResult)();  // the stage result's init
    void (*startEvent)();  // the story event's init
};
extern GameStepHooks gGameStepHooks;

// The practice restart of the pause menu: the run and the stage start again at once.
void RestartPracticeStage();

void ResetStepGlobals();
// Folds the game step's working values into an FNV-1a digest.
uint64_t DigestStepGlobals(uint64_t digest);
