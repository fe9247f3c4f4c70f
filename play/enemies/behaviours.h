// What each enemy does while it is alive: one movement rule per behaviour number, the moments
// it fires, when it leaves the view, and how rail-relative fliers take their world position
// from their formation offset.
#pragma once

struct Enemy;

// One tick of an active enemy's behaviour (its age, rule, formation step and placement).
// Returns false when the enemy was freed and the rest of its tick is skipped.
bool RunEnemyBehaviour(Enemy* enemy);
