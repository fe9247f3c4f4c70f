// Helpers of the boss tests: a boss stage run headless through the real engine, tick by tick,
// with test aids between the ticks (the weapon chosen at once, hits struck on the boss
// enemies that may be hit), and the boss enemy types of each stage as the design gives them.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "engine/core/game_state.h"
#include "play/enemies/enemy_pool.h"
#include "tests/support/play_run.h"
#include "tests/support/scripted_input.h"

namespace vqtest {

// The enemy types whose hit points fill each boss stage's gauge.
std::vector<int32_t> BossTypesOfStage(int32_t stage);
bool IsBossTypeOfStage(int32_t stage, int32_t type);
// The table hit points of every live enemy of the stage's boss types.
float ExpectedGaugeMaximum(int32_t stage);

class BossStageRun {
public:
    struct Setup {
        int32_t stage = 2;
        GameMode mode = GameMode::StagesInARow;
        PlayerSetup players = PlayerSetup::OnePlayer;
        bool invulnerable = true;
        int32_t credits = -1;  // start credits of the settings; -1 as read
    };
    // Starts the game headless and loads the stage; the weapon selection, where the stage
    // opens with one, is over when this returns. False when the start-up failed.
    bool Start(const Setup& setup);
    ~BossStageRun();

    // Runs ticks of the game.
    void Tick(int64_t ticks = 1);
    // Player 1 holds decide on the next two ticks (one press).
    void PressDecide();
    int64_t TicksRun() const { return result_.ticks; }
    bool AtTitle() const { return result_.backAtTitle; }

    // Real hit resolution, between ticks: `hits` lock-on hits on the first live enemy (pool
    // order) of the given types that may be hit. Returns its pool index, or -1 when none.
    int Strike(std::initializer_list<int32_t> types, int hits);
    int StrikeBoss(int hits);
    // Destroys the enemy through hit resolution (repeated hits).
    void Destroy(int index);

private:
    Setup setup_;
    PlayRunOptions options_;
    PlayRunResult result_;
    PadScript script_;
    bool running_ = false;
};

// The live enemies of a type, in pool order.
std::vector<int> LiveEnemiesOfType(int32_t type);

}  // namespace vqtest
