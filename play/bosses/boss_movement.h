// The movement and attacks of the large boss enemies: four behaviour routines the enemy
// update calls once a tick for each enemy whose behaviour selects them.
//
// Enemy fields these routines use beyond their plain names: `counter` is the boss's place
// along the rail (behaviour 8), its phase 0..4 (behaviour 9) or its fire tick count
// (behaviours 20 and 21); `bossCounter` the ticks of the current manoeuvre; `subState` the
// animation state of behaviour 9; `swoopVelocity.y` the vertical drift and `jitter` the spin
// count of behaviours 20 and 21; `anchorPoint` the aim point of the bullet patterns.
#pragma once

struct Enemy;

// Behaviour 8: the segments of stage 3-3's boss riding the rail at the boss distance.
void PlaceBossOnPath(Enemy* enemy);
// Behaviour 9: the phased boss of stages 4-3 and 5-3 turning to the player and attacking.
void UpdateBossPhases(Enemy* enemy);
// Behaviour 19: stage 6-3's boss swaying ahead on the rail, firing missiles and shedding debris.
void UpdateBossOnPath(Enemy* enemy);
// Behaviours 20 and 21: the manoeuvring bosses of stages 2-3 and 5-1.
void UpdateBossManoeuvre(Enemy* enemy);
