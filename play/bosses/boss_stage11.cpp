// Stage 4-3: the two-form boss. When the first form (type 12) is destroyed the screen fades
// out for a long while; then the view moves to the second camera rail, every enemy is cleared
// and the second form (type 55) appears with a gauge of its own. The stage is cleared only
// when the second form's gauge is emptied.
#include <array>
#include <cstdint>

#include "engine/core/game_state.h"
#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"
#include "play/enemies/enemy_pool.h"
#include "world/rail/camera_rail.h"

namespace {

constexpr std::array<int32_t, 1> kFirstFormTypes = {12};
constexpr std::array<int32_t, 1> kSecondFormTypes = {55};
constexpr int32_t kSecondFormType = 55;
constexpr int32_t kSecondFormBehaviour = 7;
constexpr gfx::Vec3 kSecondFormBase{0.0f, 250.0f, -2300.0f};

void SpawnSecondForm() {
    Enemy* e = AllocEnemy();
    if (!e) return;
    if (!ActivateEnemy(e, kSecondFormType, kSecondFormBehaviour)) return;
    const EnemyType* t = EnemyTypeOf(*e);
    auto hp = static_cast<float>(t ? t->hitPoints : 0);
    e->maxHitPoints = hp;
    e->hitPoints = hp;
    gGameState.bossGauge.maximum = hp;
    e->spawnDelay = 0;
    e->counter = 0;
    e->yaw = 0.0f;
    e->basePosition = kSecondFormBase;
}

// The change of form, once the long fade-out is over.
void ChangeForm() {
    boss::EndTransitionFade();
    boss::SwitchToSecondRail();
    gRailPosition = 0.0f;
    gGameState.bossTransitionCounter = 0;
    ResetEnemies();
    SpawnSecondForm();
}

}  // namespace

void BeginBossTransition() {
    gGameState.bossTransitionCounter += 1;
    boss::StartTransitionFade();
}

void InitBossStage11() {
    boss::InitGauge(kFirstFormTypes);
    gBossProgress.attackMode = 0;
    gBossProgress.attackTicks = 0;
}

void UpdateBossStage11() {
    if (gGameState.bossTransitionCounter != 0) {
        // The gauge keeps its last value meanwhile, so the stage cannot clear.
        if (boss::TransitionFadeEnded()) ChangeForm();
        return;
    }
    if (gGameState.railSlot == 1) {
        boss::UpdateGaugeCurrent(kSecondFormTypes);
    } else {
        boss::UpdateGaugeCurrent(kFirstFormTypes);
    }
}
