// Runs the real engine headless: headless window, null (or surfaceless gl33) graphics,
// scripted input, null sound. Ticks are driven one by one, without the wall clock.
#pragma once

#include <cstdint>
#include <string>

#include "engine/main/app.h"

namespace vqtest {

class PadScript;

struct HeadlessOptions {
    bool gl33 = false;      // draw with gl33 on a surfaceless EGL context
    std::string runFolder;  // current folder for the data files; empty: keep
    // The folder that stands for the program's own (the settings file is read from and
    // written to it); empty: a fresh temporary folder, removed by StopHeadlessGame.
    std::string programFolder;
    // Pad input per tick through the scripted backend; null: nothing pressed. Its
    // controllers are the ones the game finds at start-up.
    const PadScript* padScript = nullptr;
};

// Starts the game headless. False when the start-up failed.
bool StartHeadlessGame(const HeadlessOptions& options = {});
// Runs one accepted frame as the frame loop does (its ticks and the drawing), waiting
// first until no loader thread runs, so the result does not depend on the machine's speed.
void RunFrame();
// A digest of the game's logical state after the last tick.
uint64_t StateDigest();
void StopHeadlessGame();
// The settings file the headless game reads and writes.
std::string SettingsPath();
// Loads the pictures the play display draws with (from the current folder, as a stage
// start does). Returns the path of the first that gave no texture, null when all did.
const char* LoadPlayDisplayPictures();
// Sets both player crafts to a fresh record: player i flies craft i without a sub-weapon,
// unturned, left and right of the view's axis 100 units ahead.
void PlaceTwoDisplayCrafts();

}  // namespace vqtest
