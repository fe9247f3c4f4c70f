// Puts every global record of the stage world back to its program-start value.
#pragma once

// Releases the stage's resources, then resets the stage index, collision, rail and
// drawing records and the hooks the play layer fills. Call it while no game runs.
void ResetWorldGlobals();
