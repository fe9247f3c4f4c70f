// The boss routines that move the enemies of behaviours 8, 9, 19, 20 and 21. They belong to
// the boss module, which installs them here; until it does, those enemies hold still (the
// manoeuvring bosses still follow the rail with their formation offset).
#pragma once

struct Enemy;

struct BossBehaviourRoutines {
    void (*placeBossOnPath)(Enemy* enemy);      // behaviour 8: PlaceBossOnPath
    void (*updateBossPhases)(Enemy* enemy);     // behaviour 9: UpdateBossPhases
    void (*updateBossOnPath)(Enemy* enemy);     // behaviour 19: UpdateBossOnPath
    void (*updateBossManoeuvre)(Enemy* enemy);  // behaviours 20, 21: UpdateBossManoeuvre
};
extern BossBehaviourRoutines gBossBehaviourRoutines;
