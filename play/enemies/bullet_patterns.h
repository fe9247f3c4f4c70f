// Enemy volleys: each pattern number puts its bullets into the shot pool. The pattern number
// is also the shot kind of the bullets it makes (pattern 29 makes kind 17, pattern 28 kind 16).
#pragma once

#include <cstdint>

struct Enemy;

// Fires one volley of `pattern` from the enemy. A full shot pool drops the rest silently; an
// unknown pattern fires nothing.
void FireEnemyBulletPattern(Enemy* enemy, int32_t pattern);
