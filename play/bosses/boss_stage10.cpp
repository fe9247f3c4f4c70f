// Stage 4-2: the boss of type 26 behind six columns of two parts each. A column whose two
// parts are destroyed sinks its course segment, ever faster, and takes every lower-numbered
// column that still stands down with it.
#include <array>
#include <cstdint>

#include "engine/core/game_state.h"
#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"
#include "play/enemies/enemy_pool.h"

namespace {

constexpr std::array<int32_t, 1> kStage10BossTypes = {26};
constexpr float kFallRate = 0.05f;  // per update-counter tick since the column fell
constexpr float kFallFloor = -5000.0f;
constexpr int32_t kPartsPerColumn = 2;

bool IsStanding(int column) {
    return gBossProgress.fallStamps[static_cast<size_t>(column)] == 0;
}

// The update counter as a fall stamp; 0 means standing, so a fall at counter 0 is stamped 1.
int32_t Now() {
    int32_t now = gGameState.updateCounter;
    return now != 0 ? now : 1;
}

// One more part of the column is gone; with its second part the column falls together with
// every lower-numbered column that still stands and has not lost both its own parts.
void CountColumnPart(int column) {
    auto c = static_cast<size_t>(column);
    gBossProgress.partCounters[c] += 1;
    if (gBossProgress.partCounters[c] != kPartsPerColumn || !IsStanding(column)) return;
    int32_t now = Now();
    gBossProgress.fallStamps[c] = now;
    for (int lower = 0; lower < column; ++lower) {
        auto l = static_cast<size_t>(lower);
        if (gBossProgress.partCounters[l] < kPartsPerColumn && IsStanding(lower)) {
            gBossProgress.fallStamps[l] = now;
        }
    }
}

}  // namespace

void RecordBossPartDestroyed(Enemy* enemy) {
    if (!enemy) return;
    switch (enemy->type) {
        case 28:
        case 32:
            CountColumnPart(0);
            break;
        case 29:
        case 33:
            CountColumnPart(1);
            break;
        case 30:
        case 34:
            CountColumnPart(2);
            break;
        case 31:
        case 35:
            CountColumnPart(3);
            break;
        case 36:
            gBossProgress.fallStamps[4] = Now();
            break;
        case 37:
            gBossProgress.fallStamps[5] = Now();
            break;
        default:
            break;
    }
}

void InitBossStage10() {
    gBossProgress.partCounters.fill(0);
    gBossProgress.fallStamps.fill(0);
    boss::InitGauge(kStage10BossTypes);
}

void UpdateBossStage10() {
    int32_t now = gGameState.updateCounter;
    for (int c = 0; c < kBossColumns && c < kMapSegments; ++c) {
        int32_t stamp = gBossProgress.fallStamps[static_cast<size_t>(c)];
        if (stamp == 0) continue;
        float& y = gGameState.segmentOffset[c][1];
        y -= kFallRate * static_cast<float>(now - stamp);
        if (y < kFallFloor) y = kFallFloor;
    }
    boss::UpdateGaugeCurrent(kStage10BossTypes);
}
