// Stage 6-2: the spinning boss of type 15 (its two flanking guards cannot be hit and do not
// count).
#include <array>
#include <cstdint>

#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"

namespace {
constexpr std::array<int32_t, 1> kStage16BossTypes = {15};
}  // namespace

void InitBossStage16() {
    boss::InitGauge(kStage16BossTypes);
}

void UpdateBossStage16() {
    boss::UpdateGaugeCurrent(kStage16BossTypes);
}
