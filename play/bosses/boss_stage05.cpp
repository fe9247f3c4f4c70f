// Stages 2-3 and 5-1: a manoeuvring boss (types 50 and 51) that restarts its manoeuvre cycle
// at every stage start.
#include <array>
#include <cstdint>

#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"

namespace {
constexpr std::array<int32_t, 2> kManoeuvringBossTypes = {50, 51};
}  // namespace

void InitBossStage05() {
    boss::InitGauge(kManoeuvringBossTypes);
    gBossProgress.manoeuvreRestart = 1;
}

void UpdateBossStage05() {
    boss::UpdateGaugeCurrent(kManoeuvringBossTypes);
}

void InitBossStage12() {
    InitBossStage05();
}

void UpdateBossStage12() {
    UpdateBossStage05();
}
