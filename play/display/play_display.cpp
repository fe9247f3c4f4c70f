#include "play/display/play_display.h"

void DrawGameHud() {}
