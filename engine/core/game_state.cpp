#include "engine/core/game_state.h"

GameState gGameState;
