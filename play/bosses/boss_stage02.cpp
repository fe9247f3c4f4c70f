// Stage 1-3: the fortress of twenty standing parts; its seven part types make up the gauge.
#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"

void InitBossStage02() {
    boss::InitGauge(kBossPartTypesStage02);
}

void UpdateBossStage02() {
    boss::UpdateGaugeCurrent(kBossPartTypesStage02);
}
