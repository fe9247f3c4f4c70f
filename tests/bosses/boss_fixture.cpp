#include "tests/bosses/boss_fixture.h"

#include <algorithm>

#include "engine/core/frame_state.h"
#include "engine/main/frame.h"
#include "play/craft/craft.h"
#include "play/hits/hits.h"
#include "play/shots/shot_pool.h"
#include "tests/support/headless_game.h"

namespace vqtest {

std::vector<int32_t> BossTypesOfStage(int32_t stage) {
    switch (stage) {
        case 2:
            return {19, 20, 21, 22, 23, 24, 25};
        case 5:
        case 12:
            return {50, 51};
        case 8:
            return {8, 9, 10, 11, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49};
        case 10:
            return {26};
        case 11:
            return {12, 55};
        case 14:
            return {13};
        case 16:
            return {15};
        case 17:
            return {16};
        case 18:
            return {18};
        default:
            return {};
    }
}

bool IsBossTypeOfStage(int32_t stage, int32_t type) {
    std::vector<int32_t> types = BossTypesOfStage(stage);
    return std::find(types.begin(), types.end(), type) != types.end();
}

float ExpectedGaugeMaximum(int32_t stage) {
    float sum = 0.0f;
    for (const Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || !IsBossTypeOfStage(stage, e.type)) continue;
        sum += static_cast<float>(gEnemyTypeTable[static_cast<size_t>(e.type)].hitPoints);
    }
    return sum;
}

std::vector<int> LiveEnemiesOfType(int32_t type) {
    std::vector<int> out;
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        if (e.state == EnemyState::Active && e.type == type) out.push_back(i);
    }
    return out;
}

bool BossStageRun::Start(const Setup& setup) {
    setup_ = setup;
    options_ = PlayRunOptions{};
    options_.mode = setup.mode;
    options_.setup = setup.players;
    options_.stage = setup.stage;
    options_.ticks = 0;
    options_.invulnerable = setup.invulnerable;
    options_.totalCredit = setup.credits;
    options_.padScript = &script_;
    if (!RunPlay(options_, &result_, nullptr, true)) return false;
    running_ = true;
    // The weapon selection: every craft takes weapon 0 at once.
    for (int i = 0; i < 200 && (gGameState.weaponSelect == 1 || IsLoaderBusy() ||
                                gGameState.scene != SceneId::Play);
         ++i) {
        if (gGameState.weaponSelect == 1) {
            for (PlayerCraft& c : gPlayerCrafts) {
                if (c.weapon < 0) c.weapon = 0;
            }
        }
        Tick();
    }
    return gGameState.scene == SceneId::Play && gGameState.weaponSelect == 0;
}

BossStageRun::~BossStageRun() {
    if (running_) StopHeadlessGame();
}

void BossStageRun::Tick(int64_t ticks) {
    ContinuePlay(options_, ticks, &result_, nullptr);
}

void BossStageRun::PressDecide() {
    HeldInputs decide;
    decide.keys.push_back(KeyCodeByName("Z"));
    uint32_t next = FedTicks() + 1;
    script_.At(next, decide);
    script_.At(next + 2, HeldInputs{});
}

int BossStageRun::Strike(std::initializer_list<int32_t> types, int hits) {
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        if (e.state != EnemyState::Active || e.untargetable == 1 || e.spawnDelay > 0) continue;
        if (std::find(types.begin(), types.end(), e.type) == types.end()) continue;
        for (int k = 0; k < hits && e.state == EnemyState::Active; ++k) {
            Shot shot{};
            shot.kind = shot_kind::kPumpkin;  // a lock-on kind: it tests only its target
            shot.side = kShotSidePlayer;
            shot.owner = &gPlayerCrafts[0];
            shot.position[0] = e.points[0].x;
            shot.position[1] = e.points[0].y;
            shot.position[2] = e.points[0].z;
            shot.radius = 20.0f;
            shot.target = i;
            shot.lockSlot = 0;
            ResolveShotHits(&shot);
        }
        return i;
    }
    return -1;
}

int BossStageRun::StrikeBoss(int hits) {
    std::vector<int32_t> types = BossTypesOfStage(setup_.stage);
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        if (e.state != EnemyState::Active || e.untargetable == 1 || e.spawnDelay > 0) continue;
        if (std::find(types.begin(), types.end(), e.type) == types.end()) continue;
        return Strike({e.type}, hits);
    }
    return -1;
}

void BossStageRun::Destroy(int index) {
    Enemy& e = gEnemyPool[static_cast<size_t>(index)];
    for (int k = 0; k < 10000 && e.state == EnemyState::Active; ++k) {
        Shot shot{};
        shot.kind = shot_kind::kPumpkin;
        shot.side = kShotSidePlayer;
        shot.owner = &gPlayerCrafts[0];
        shot.position[0] = e.points[0].x;
        shot.position[1] = e.points[0].y;
        shot.position[2] = e.points[0].z;
        shot.radius = 20.0f;
        shot.target = index;
        ResolveShotHits(&shot);
    }
}

}  // namespace vqtest
