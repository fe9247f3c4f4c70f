#include "play/play_globals.h"

#include "engine/overlay/pause_menu.h"
#include "play/bosses/boss_encounters.h"
#include "play/craft/craft.h"
#include "play/craft/partner.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/combat_globals.h"
#include "play/step/actor_views.h"
#include "play/step/game_step.h"
#include "play/waves/waves.h"

void ResetPlayGlobals() {
    // Each role of play resets its own records here.
    ResetCraftGlobals();
    ResetPartnerGlobals();
    ResetStepGlobals();
    ResetEnemyGlobals();
    ResetCombatGlobals();
    ResetBossGlobals();
}

void InstallPlayHooks() {
    // Each role of play that the stage world calls fills its hook here.
    InstallActorDrawSources();
    gPauseMenuHooks.restartStage = RestartPracticeStage;
    InstallEnemyHooks();
    InstallCombatHooks();
    InstallBossHooks();
}

uint64_t DigestPlayGlobals(uint64_t digest) {
    // Each role of play folds its records in here.
    digest = DigestCraftGlobals(digest);
    digest = DigestStepGlobals(digest);
    digest = DigestEnemyGlobals(digest);
    digest = DigestCombatGlobals(digest);
    digest = DigestBossGlobals(digest);
    return digest;
}
