// The screen fade that hides scene changes, the pause state and the developer's debug text.
#pragma once

#include <cstdint>

struct PauseState {
    int32_t visible;    // copied from requested once per drawn frame
    int32_t cursor;     // item 0, 1 or 2
    int32_t requested;  // toggled by the pause button and ESC
};

// 60 rows of 80 character cells, 0 = empty.
struct DebugTextGrid {
    int8_t cells[60][80];
};

extern PauseState gPauseState;
extern DebugTextGrid gDebugText;
extern int32_t gFadeLength;

void SetFadeLength(int32_t ticks);
void StartFadeOut(int32_t style);
void StartFadeIn(int32_t style);
void AdvanceFade();
bool IsFadeOutDone();
// Alpha of the fade quad before clamping, for the current counter, direction and length.
int32_t FadeAlphaUnclamped();
int32_t FadeAlpha();

// Toggles the pause request; a new request puts the cursor on the first item.
void TogglePauseRequest();

void ClearDebugText();
void PutDebugText(int column, int row, const char* text);
