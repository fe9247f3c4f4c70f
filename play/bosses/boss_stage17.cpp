// Stage 6-3: the boss of type 16 flying ahead on the rail, with a cloud of waiting debris it
// sheds as it is damaged.
#include <array>
#include <cstdint>

#include "engine/core/game_state.h"
#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"
#include "play/enemies/enemy_pool.h"

namespace {
constexpr std::array<int32_t, 1> kStage17BossTypes = {16};
constexpr int kWaitingDebrisPieces = 200;
}  // namespace

void InitBossStage17() {
    boss::InitGauge(kStage17BossTypes);
    // The debris follows the last live type-16 enemy of the pool.
    for (const Enemy& e : gEnemyPool) {
        if (boss::IsLive(e) && e.type == 16) gBossProgress.currentBoss = EnemyIndex(e);
    }
    gGameState.bossGauge.current = gGameState.bossGauge.maximum;
    for (int i = 0; i < kWaitingDebrisPieces; ++i) SpawnWaitingBossDebris();
}

void UpdateBossStage17() {
    boss::UpdateGaugeCurrent(kStage17BossTypes);
}
