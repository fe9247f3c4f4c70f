// Stage 5-3: the phased boss of type 13, whose attack cycle starts from its turn.
#include <array>
#include <cstdint>

#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"

namespace {
constexpr std::array<int32_t, 1> kStage14BossTypes = {13};
}  // namespace

void InitBossStage14() {
    boss::InitGauge(kStage14BossTypes);
    gBossProgress.attackMode = 0;
    gBossProgress.attackTicks = 0;
}

void UpdateBossStage14() {
    boss::UpdateGaugeCurrent(kStage14BossTypes);
}
