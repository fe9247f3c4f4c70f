#include "engine/overlay/fade.h"

#include <cstring>

#include "engine/core/game_state.h"

PauseState gPauseState;
DebugTextGrid gDebugText;
int32_t gFadeLength = 17;

void SetFadeLength(int32_t ticks) {
    gFadeLength = ticks;
}

void StartFadeOut(int32_t style) {
    gGameState.fade.counter = 0;
    gGameState.fade.direction = 1;
    gGameState.fade.style = style;
}

void StartFadeIn(int32_t style) {
    gGameState.fade.counter = 0;
    gGameState.fade.direction = -1;
    gGameState.fade.style = style;
}

void AdvanceFade() {
    ScreenFade& f = gGameState.fade;
    if (f.direction == 1) {
        if (f.counter < gFadeLength + 1) ++f.counter;
    } else if (f.direction == -1) {
        ++f.counter;
        if (f.counter > gFadeLength) {
            f.counter = 0;
            f.direction = 0;
        }
    }
}

bool IsFadeOutDone() {
    return gGameState.fade.direction == 1 && gGameState.fade.counter == gFadeLength;
}

int32_t FadeAlphaUnclamped() {
    const ScreenFade& f = gGameState.fade;
    // A length of 2 or less would divide by zero; such a fade is a cut.
    float step = gFadeLength > 2 ? 256.0f / static_cast<float>(gFadeLength - 2) : 256.0f;
    float a;
    if (f.direction == 1) {
        a = static_cast<float>(f.counter) * step;
    } else {
        a = 255.0f - static_cast<float>(f.counter - 2) * step;
    }
    return static_cast<int32_t>(a);
}

int32_t FadeAlpha() {
    int32_t a = FadeAlphaUnclamped();
    if (a < 0) a = 0;
    if (a >= 255) a = 255;
    return a;
}

void TogglePauseRequest() {
    gPauseState.requested = gPauseState.requested ? 0 : 1;
    if (gPauseState.requested == 1) gPauseState.cursor = 0;
}

void ClearDebugText() {
    std::memset(&gDebugText, 0, sizeof gDebugText);
}

void PutDebugText(int column, int row, const char* text) {
    if (!text || column < 0 || row < 0) return;
    int cell = row * 80 + column;
    int8_t* cells = &gDebugText.cells[0][0];
    for (int i = 0; i < 80 && text[i] != 0; ++i, ++cell) {
        if (cell >= 60 * 80) break;
        cells[cell] = static_cast<int8_t>(text[i]);
    }
}
