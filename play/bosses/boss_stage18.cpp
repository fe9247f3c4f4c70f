// Stage 7-1: two type-18 enemies placed by the map. The second cannot be hit while the first
// lives; the first one's fall starts a long fade-out, after which the view follows the second
// camera rail and the second enemy can be hit.
#include <array>
#include <cstdint>

#include "engine/core/game_state.h"
#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"
#include "play/enemies/enemy_pool.h"

namespace {

constexpr int32_t kStage18BossType = 18;
constexpr std::array<int32_t, 1> kStage18BossTypes = {kStage18BossType};

}  // namespace

void CountDownBossStage18() {
    gBossProgress.stage18Remaining -= 1;
    if (gBossProgress.stage18Remaining != 1) return;
    gGameState.bossTransitionCounter += 1;
    boss::StartTransitionFade();
}

void InitBossStage18() {
    gGameState.bossTransitionCounter = 0;
    gBossProgress.stage18Remaining = 2;
    boss::InitGauge(kStage18BossTypes);
    for (Enemy& e : gEnemyPool) {
        if (boss::IsLive(e) && e.type == kStage18BossType) {
            e.untargetable = 1;
            break;
        }
    }
}

void UpdateBossStage18() {
    gGameState.bossGauge.current = 0.0f;
    if (gGameState.bossTransitionCounter != 0 && boss::TransitionFadeEnded()) {
        boss::EndTransitionFade();
        boss::SwitchToSecondRail();
        gGameState.bossTransitionCounter = 0;
        for (Enemy& e : gEnemyPool) {
            if (boss::IsLive(e) && e.type == kStage18BossType) e.untargetable = 0;
        }
    }
    boss::UpdateGaugeCurrent(kStage18BossTypes);
}
