// The stage result's tally and tick: the bonus rows, the score, the best records and the
// scene that follows.
#include <algorithm>
#include <cstdio>

#include "engine/core/game_state.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/settings/settings.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "scenes/ending/ending.h"
#include "scenes/event/event.h"
#include "scenes/result/result.h"
#include "scenes/shop/shop.h"
#include "scenes/title/title.h"

namespace {

constexpr int32_t kScoreCap = 999'999'999;
constexpr int32_t kFullLifeAtClear = 42;  // the life at clear of an undamaged craft
constexpr int32_t kAllKilledBonus = 300'000;
constexpr int32_t kTallyTick = 156;
constexpr int32_t kDecideAfter = 160;
constexpr SoundEffectId kRowSound = 306;
constexpr SoundEffectId kTotalSound = 304;

bool ValidStage(int32_t stage) {
    return stage >= 0 && stage < kResultStages;
}

int32_t ClearBonusAt(int32_t index) {
    // The extra stage's chapter reaches past the table: only the entries that exist count.
    return ValidStage(index) ? kClearBonusTable[static_cast<size_t>(index)] : 0;
}

// The time bonus of one stage: its time bonus, else the all-killed bonus of a stage without
// a time limit.
int32_t StageTimeBonus(int32_t stage) {
    if (!ValidStage(stage)) return 0;
    auto s = static_cast<size_t>(stage);
    int32_t t = ComputeTimeBonus(stage, gGameState.clearTicks[s]);
    if (t >= 0) return t;
    return gGameState.allDestroyed[s] != 0 ? kAllKilledBonus : 0;
}

int32_t PlayerCount() {
    return std::clamp(gGameState.playerCount, 1, 2);
}

int32_t WeaponPair() {
    return MakePair(gPlayerCrafts[0].weapon, gPlayerCrafts[1].weapon);
}

void AddToScore(int32_t value) {
    int64_t sum = int64_t{gGameState.score} + value;
    gGameState.score = static_cast<int32_t>(std::clamp<int64_t>(sum, 0, kScoreCap));
}

void LeaveResult() {
    GameState& g = gGameState;
    switch (g.gameMode) {
        case GameMode::Extra:
            g.scene = SceneId::Ending;
            InitEnding(1);
            ReleaseResultResources();
            UpdateExtraBestRecord(WeaponPair());
            break;
        case GameMode::Practice:
            g.scene = SceneId::Title;
            UpdatePracticeBestRecord(g.stage, WeaponPair());
            InitTitle();
            ReleaseResultResources();
            break;
        case GameMode::StagesInARow:
            if (g.stage >= 18) {
                g.scene = SceneId::Title;
                UpdateRunBestRecord();
                InitTitle();
            } else {
                // Between chapters the run calls at the shop, which then starts the next stage.
                g.scene = SceneId::Shop;
                OpenShop(1);
            }
            ReleaseResultResources();
            break;
        case GameMode::Story:
        default:
            if (g.stage == 15) {
                g.scene = SceneId::Shop;
                OpenShop(1);
                g.eventNumber += 1;
            } else {
                if (g.stage == 18) UpdateRunBestRecord();
                g.scene = SceneId::Event;
                StartEvent();
            }
            ReleaseResultResources();
            break;
    }
    StartFadeIn(0);
    StartLoaderThread();
}

}  // namespace

int32_t ComputeTimeBonus(int32_t stage, int32_t ticks) {
    if (!ValidStage(stage)) return -1;
    int32_t limit = kClearTimeTable[static_cast<size_t>(stage)];
    if (limit == -1) return -1;
    if (stage == 10) {
        if (ticks < 1200) return 500'000;
        if (ticks < 8200) return 200'000;
        return 0;
    }
    return ticks < limit ? (limit - ticks) * 500 : 0;
}

void InitResult() {
    GameState& g = gGameState;
    ResultShopState& r = gResultShop;
    int32_t stage = g.stage;
    int32_t first = (stage / 3) * 3;
    bool single = g.gameMode == GameMode::Practice || g.gameMode == GameMode::Extra;
    int32_t players = PlayerCount();

    int32_t clear = 0;
    if (g.gameMode == GameMode::Practice) {
        clear = ClearBonusAt(stage);
    } else {
        for (int k = 0; k < 3; ++k) clear += ClearBonusAt(first + k);
    }
    if (players == 2) clear /= 2;
    r.clearBonus = clear;

    r.captions[0] = 0;
    r.captions[2] = 2;
    r.captions[3] = 3;
    r.captions[4] = 7;
    r.captions[5] = 6;
    if (!single) {
        r.captions[1] = 1;
    } else {
        r.captions[1] = ComputeTimeBonus(stage, 0) == -1 ? 4 : 5;
    }

    int32_t time = 0;
    if (single) {
        time = StageTimeBonus(stage);
    } else {
        for (int k = 0; k < 3; ++k) time += StageTimeBonus(first + k);
    }
    if (players == 2) time /= 2;

    int32_t base = (stage / 3 + 1) * 100'000;
    for (int j = 0; j < 2; ++j) {
        int32_t* row = r.rows[j];
        std::fill(row, row + kResultRows, 0);
        if (j >= players) continue;
        int32_t life = ValidStage(stage) ? g.lifeAtClear[j][stage] : 0;
        row[0] = clear;
        row[1] = time;
        row[2] = g.kills[j] * 1000;
        row[3] = g.enemyPoints[j];
        if (single) {
            row[4] = life == kFullLifeAtClear ? base : life * 1000;
        } else {
            row[4] = life == kFullLifeAtClear ? 3 * base : life * 3000;
        }
        int64_t total = 0;
        for (int i = 0; i < 5; ++i) total += row[i];
        row[5] = static_cast<int32_t>(std::min<int64_t>(total, kScoreCap));
    }
    r.resultTicks = 0;
    r.resultLeaving = 0;
    for (int32_t& boost : g.shopBoosts) boost = 0;
}

void UpdateResult() {
    ResultShopState& r = gResultShop;
    r.resultTicks += 1;
    char line[32];
    std::snprintf(line, sizeof line, "STAGE %d   ", gGameState.stage);
    PutDebugText(24, 10, line);

    if (r.resultLeaving != 0) {
        if (IsFadeOutDone()) {
            LeaveResult();
            return;
        }
    } else if (r.resultTicks > kDecideAfter && (gPadState[0].pressed & kPadDecide)) {
        r.resultLeaving = 1;
        StartFadeOut(0);
    }
    if (r.resultTicks == kTallyTick) {
        for (int j = 0; j < PlayerCount(); ++j) AddToScore(r.rows[j][5]);
    }
    int32_t t = r.resultTicks;
    if (t == 60 || t == 84 || t == 108 || t == 132 || t == 156) PlaySoundEffect(kRowSound);
    if (t == 180) PlaySoundEffect(kTotalSound);
}
