// Puts every global record of the engine back to its program-start value.
#pragma once

// Releases what the engine's records still hold (textures, models, the font, archives,
// sound and input devices), then resets each record. Call it while no game runs.
void ResetEngineGlobals();
