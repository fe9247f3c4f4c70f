// The play display drawn over the world: lock markers, gauges, weapon panels, score and
// counters.
#pragma once

// Drawn after the world in every frame of the play scene.
void DrawGameHud();
