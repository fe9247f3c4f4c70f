// Stage play run headless from a chosen start, tick by tick, through every scene the run
// reaches: the heart of the replay harness (vq_headless) and of the whole-stage tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/core/game_state.h"

namespace vqtest {

class PadScript;

struct PlayRunOptions {
    GameMode mode = GameMode::StagesInARow;
    PlayerSetup setup = PlayerSetup::OnePlayer;
    int32_t crafts[2] = {0, 1};
    int32_t stage = 0;
    int64_t ticks = 600;  // stop after this many ticks
    const PadScript* padScript = nullptr;
    int autopilot = -1;                  // pad driven by the partner's logic, -1 none
    bool invulnerable = false;           // the crafts take no damage
    int64_t digestEvery = 0;             // a digest line every K ticks, 0 none
    std::vector<int64_t> snapshotTicks;  // ticks drawn into PNG pictures
    std::string outFolder = ".";         // where the pictures go
    bool gl33 = false;                   // draw with gl33 (snapshots need it)
    std::string runFolder;               // data folder; empty: the build's run folder
    std::string programFolder;           // settings folder; empty: a temporary one
    int32_t totalCredit = -1;            // start credits of the settings, -1: as read
    // Called before each tick with the tick number about to run (tests change records).
    void (*beforeTick)(int64_t tick) = nullptr;
    // Called after the pads were read and the aids applied, before the tick's update (tests
    // set held pad bits here).
    void (*afterPadsRead)(int64_t tick) = nullptr;
    // Draw a frame after every tick (the null device unless gl33); off, only the snapshot
    // ticks are drawn.
    bool drawEveryTick = true;
};

struct PlayRunResult {
    int64_t ticks = 0;
    bool backAtTitle = false;  // the run returned to the title
    SceneId scene = SceneId::Title;
    GameMode mode = GameMode::Story;
    int32_t stage = 0;
    PlayPhase phase = PlayPhase::None;
    int32_t score = 0;
    int32_t credits = 0;
    int32_t spawned = 0, destroyed = 0;
    int32_t life[2] = {0, 0};
    int snapshotsWritten = 0;
};

// The one-line digest of the play state now (phase, rail, crafts, pools, score, credits,
// random draws, sounds, scene) ending in a hash of every play record.
std::string PlayDigestLine(int64_t tick);
// The hash alone.
uint64_t PlayStateHash();

// Starts the game headless, begins the run and runs it. Digest lines go to `digests` when
// it is not null. False when the start-up failed. The game is stopped at the end unless
// keepRunning is set (then StopHeadlessGame is the caller's).
bool RunPlay(const PlayRunOptions& options, PlayRunResult* result, FILE* digests,
             bool keepRunning = false);

// Runs more ticks of a game RunPlay left running.
void ContinuePlay(const PlayRunOptions& options, int64_t ticks, PlayRunResult* result,
                  FILE* digests);

// The closing line: ticks, scene, mode, stage, phase, score, credits, spawned, destroyed,
// life0, life1 as key=value pairs.
std::string PlayResultLine(const PlayRunResult& result);

}  // namespace vqtest
