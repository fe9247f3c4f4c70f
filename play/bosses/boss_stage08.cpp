// Stage 3-3: the four-segment boss on the rail. Each of segments 1 to 3 carries a group of
// parts behind a shield mount; the groups open one after the other from the back, a segment
// can be hit once its group is gone, and the boss closes in as it loses its groups.
//
// The segments and mounts are found by the roles the set pieces gave them (the pool slots
// recorded in gStage8SetPieceSlots), so enemies claimed before them cannot shift them. A part
// belongs to group k when it is mounted on segment k (its parent is that segment's slot).
#include <array>
#include <cstdint>

#include "engine/core/game_state.h"
#include "play/bosses/boss_encounters.h"
#include "play/bosses/boss_internal.h"
#include "play/bosses/boss_stages.h"
#include "play/enemies/enemy_pool.h"
#include "play/waves/waves.h"

namespace {

constexpr int kSegments = 4;
constexpr int kMounts = 3;
constexpr int32_t kFirstSegmentType = 8;  // segment i is type 8 + i
constexpr int32_t kMountType = 49;
constexpr int32_t kMountedBehaviour = 13;
constexpr float kStartDistance = 250.0f;
constexpr float kApproachDistance = 270.0f;
constexpr int32_t kApproachTicks = 300;
constexpr float kCloseInRate = 0.3f;
constexpr std::array<float, 4> kClosestDistance = {0.0f, 80.0f, 60.0f, 40.0f};  // by phase

// The group (segment number 0..3) of a mounted part, or -1.
int GroupOf(const Enemy& e) {
    if (e.behaviour != kMountedBehaviour || e.parent < 0) return -1;
    for (int k = 0; k < kSegments; ++k) {
        if (gStage8SetPieceSlots.segments[k] == e.parent) return k;
    }
    return -1;
}

// The shield mount of group k + 1 (k = 0..2) when it still stands.
Enemy* LiveMount(int k) {
    return boss::LiveEnemyOfType(gStage8SetPieceSlots.mounts[k], kMountType);
}

// Makes the mount of group k + 1 targetable, when its slot still holds it.
void OpenMount(int k) {
    int32_t slot = gStage8SetPieceSlots.mounts[k];
    if (slot < 0 || slot >= kEnemyPoolSize) return;
    Enemy& e = gEnemyPool[static_cast<size_t>(slot)];
    if (e.type == kMountType && e.state != EnemyState::Free) e.untargetable = 0;
}

void OpenGroup(int group) {
    for (Enemy& e : gEnemyPool) {
        if (boss::IsLive(e) && GroupOf(e) == group) e.untargetable = 0;
    }
}

}  // namespace

void InitBossStage08() {
    gBossProgress.stage8Distance = kStartDistance;
    gBossProgress.stage8Phase = 0;
    boss::InitGauge(kBossPartTypesStage08);
}

void UpdateBossStage08() {
    BossProgress& p = gBossProgress;
    // A fallen shield opens its group.
    for (int k = 0; k < kMounts; ++k) {
        if (!LiveMount(k)) OpenGroup(k + 1);
    }
    // A segment opens once its group is gone.
    std::array<int, kSegments> left{};
    std::array<bool, kSegments> segmentLive{};
    for (const Enemy& e : gEnemyPool) {
        if (!boss::IsLive(e)) continue;
        int g = GroupOf(e);
        if (g >= 0) left[static_cast<size_t>(g)] += 1;
        int s = e.type - kFirstSegmentType;
        if (s >= 0 && s < kSegments) segmentLive[static_cast<size_t>(s)] = true;
    }
    for (Enemy& e : gEnemyPool) {
        if (!boss::IsLive(e)) continue;
        int s = e.type - kFirstSegmentType;
        if (s >= 0 && s < kSegments && left[static_cast<size_t>(s)] == 0) e.untargetable = 0;
    }
    // The next shield opens when a segment falls; the groups fall from the back.
    if (!segmentLive[3]) {
        OpenMount(1);
        p.stage8Phase = 1;
    }
    if (!segmentLive[2]) {
        OpenMount(0);
        p.stage8Phase = 2;
    }
    if (!segmentLive[1]) {
        p.stage8Phase = 3;
        OpenGroup(0);
    }
    // The boss comes into view, then closes in as it loses its groups.
    int32_t ticks = gGameState.playTicks;
    if (ticks < kApproachTicks)
        p.stage8Distance = kApproachDistance - static_cast<float>(ticks / 2);
    if (p.stage8Phase >= 1 && p.stage8Phase <= 3 &&
        p.stage8Distance > kClosestDistance[static_cast<size_t>(p.stage8Phase)]) {
        p.stage8Distance -= kCloseInRate;
    }
    boss::UpdateGaugeCurrent(kBossPartTypesStage08);
}
