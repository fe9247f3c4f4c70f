// The settings file "v_quorl.ini" beside the program: the settings, the key bindings, the
// sound levels and the records. The game reads every section at start-up and writes its
// own two (`config` and `record`) at exit; the settings tool owns `setup` and `option`.
#pragma once

#include <cstdint>

// Reads the whole settings file into `GameState` (a missing file or key gives the
// defaults) and brings every value the game uses as an index or a count into its range.
void LoadSettings();
// Writes the `record` and `config` sections, leaving every other line as it was.
// Returns whether the file was written; when it was not, a message box names the file
// and the reason.
bool SaveSettings();
// Brings the values read from the file into range (part of LoadSettings).
void ClampLoadedSettings();

// A craft or weapon pair: player 2's value << 8 | player 1's.
constexpr int32_t MakePair(int32_t player1, int32_t player2) {
    return (player2 & 0xFF) << 8 | (player1 & 0xFF);
}

// The best records. `practiceStage` is the stage chosen in the title's stage select;
// `weaponPair` the two crafts' selected weapons (MakePair); the score, the player set-up
// and the crafts come from `GameState`. A best is replaced only by a higher score.
bool IsNewBestScore(int32_t practiceStage);
void UpdatePracticeBestRecord(int32_t practiceStage, int32_t weaponPair);
void UpdateRunBestRecord();
void UpdateExtraBestRecord(int32_t weaponPair);
