// Enemy behaviours: movement rules, firing moments, leaving, and rail-relative placement.
#include "play/enemies/behaviours.h"

#include "play/enemies/enemy_pool.h"

bool RunEnemyBehaviour(Enemy* enemy) {
    enemy->age += 1;
    return true;
}
