// Enemy bullet patterns.
#include "play/enemies/bullet_patterns.h"

#include "play/enemies/enemy_pool.h"

void FireEnemyBulletPattern(Enemy*, int32_t) {}
