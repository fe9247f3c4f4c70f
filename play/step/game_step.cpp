#include "play/step/game_step.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/core/digest.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "engine/settings/settings.h"
#include "engine/sound/sound.h"
#include "play/bosses/boss_stages.h"
#include "play/craft/craft.h"
#include "play/craft/weapons.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/hits.h"
#include "play/shots/shot_flight.h"
#include "play/shots/shot_pool.h"
#include "play/step/camera.h"
#include "play/step/run_start.h"
#include "play/step/weapon_select.h"
#include "world/effects/effects.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

GameStepState gGameStepState;
GameStepHooks gGameStepHooks;

namespace {

constexpr int32_t kContinueDelay = 30;
constexpr int32_t kGameOverTicks = 60;
constexpr int32_t kFlyOutTicks = 180;
constexpr int32_t kRefillTick = 120;
constexpr int32_t kDownTicks = 60;
constexpr int32_t kLastStage = 18;  // the extra stage, the last of a story run

GameState& G() {
    return gGameState;
}

PlayerCraft& Craft(int i) {
    return gPlayerCrafts[static_cast<size_t>(i)];
}

bool IsStageSlot(int32_t stage) {
    return stage >= 0 && stage < kStageSlots;
}

void UpdateStageBoss(int32_t stageNumber) {
    switch (stageNumber) {
        case 2:
            UpdateBossStage02();
            break;
        case 5:
            UpdateBossStage05();
            break;
        case 8:
            UpdateBossStage08();
            break;
        case 10:
            UpdateBossStage10();
            break;
        case 11:
            UpdateBossStage11();
            break;
        case 12:
            UpdateBossStage12();
            break;
        case 14:
            UpdateBossStage14();
            break;
        case 16:
            UpdateBossStage16();
            break;
        case 17:
            UpdateBossStage17();
            break;
        case 18:
            UpdateBossStage18();
            break;
        default:
            break;
    }
}

void PutDebugLine(int column, int row, const char* format, int value) {
    char line[32];
    std::snprintf(line, sizeof line, format, value);
    PutDebugText(column, row, line);
}

// The weapons of the two crafts as the records keep them.
int32_t WeaponPair() {
    return MakePair(Craft(0).weapon, Craft(1).weapon);
}

// Back to the title from the continue prompt or the two-player game over.
void QuitToTitle() {
    G().scene = SceneId::Title;
    switch (G().gameMode) {
        case GameMode::Story:
        case GameMode::StagesInARow:
            UpdateRunBestRecord();
            break;
        case GameMode::Practice:
            if (IsStageSlot(G().stage)) UpdatePracticeBestRecord(G().stage, WeaponPair());
            break;
        case GameMode::Extra:
            UpdateExtraBestRecord(WeaponPair());
            break;
    }
    if (gGameStepHooks.initTitle) gGameStepHooks.initTitle();
    StartFadeIn(0);
    ReleaseStageResources();
    StartLoaderThread();
}

// The continue prompt (phases 2 and 3), read from player 1's pad only.
void ContinuePrompt() {
    GameState& g = G();
    const PadState& pad = gPadState[0];
    g.phaseTicks += 1;
    if (g.continueTicks == 0) {
        if (pad.pressed & kPadDecide) {
            if (g.continueCursor == 1 || g.credits == 0) {
                g.continueCursor = 1;
                StartFadeOut(0);
            } else {
                g.credits -= 1;
            }
            PlaySoundEffect(kSoundDecide);
            g.continueTicks = 1;
        } else if (g.credits > 0 && (pad.pressed & (kPadLeft | kPadRight))) {
            g.continueCursor = g.continueCursor == 0 ? 1 : 0;
            PlaySoundEffect(kSoundCursor);
        }
        return;
    }
    if (g.continueCursor == 1) {
        if (IsFadeOutDone()) QuitToTitle();
        return;
    }
    g.continueTicks += 1;
    if (g.continueTicks == kContinueDelay) {
        g.playPhase = PlayPhase::Playing;
        PlayerCraft& c = Craft(0);
        c.life = kFullLife;
        c.state = CraftState::Flying;
        c.stateTicks = 0;
        c.invulnerable = 120;
    }
}

bool IsDownLong(const PlayerCraft& c) {
    return c.state == CraftState::Down && c.stateTicks > kDownTicks;
}

// Two players: the game over, the rejoin of a downed craft. Returns true when the tick ends.
bool TwoPlayerFlow() {
    GameState& g = G();
    if (g.playPhase == PlayPhase::GameOver) {
        if (g.continueTicks < kGameOverTicks) {
            g.continueTicks += 1;
            if (g.continueTicks == kGameOverTicks) StartFadeOut(0);
        } else if (IsFadeOutDone()) {
            QuitToTitle();
            return true;
        }
        return false;
    }
    bool bothDown = IsDownLong(Craft(0)) && IsDownLong(Craft(1));
    if (bothDown && g.credits == 0) {
        g.playPhase = PlayPhase::GameOver;
        g.continueTicks = 0;
    }
    for (int i = 0; i < CraftsInPlay(); ++i) {
        PlayerCraft& c = Craft(i);
        if (!IsDownLong(c) || g.credits <= 0) continue;
        if (!(gPadState[i].pressed & kPadDecide)) continue;
        g.credits -= 1;
        c.life = kFullLife;
        c.state = CraftState::Flying;
        c.invulnerable = 120;
        c.stateTicks = 0;
        c.out = 0;
        if (g.weaponSelect == 1) c.weapon = -1;
    }
    return bothDown;
}

// Who is refilled and reset at the clear: the crafts still in the run.
bool TakesPartInClear(int i) {
    switch (G().playerSetup) {
        case PlayerSetup::OnePlayer:
            return i == 0;
        case PlayerSetup::ComputerPartner:
            return true;
        case PlayerSetup::TwoPlayers:
            return Craft(i).out == 0;
    }
    return false;
}

bool StageClearRuleHolds() {
    GameState& g = G();
    if (g.stage == 9) return g.targetSpeed > 2.0f;
    if (g.bossGauge.maximum > 0.0f) return g.bossGauge.current == 0.0f;
    if (gCurrentStage && gCurrentStage->cameraCount != 0) {
        return gRailPosition > static_cast<float>(RailWrapKeyCount() - 200);
    }
    int32_t clearAt = g.stage >= 0 && g.stage < kStageClearRailSlots
                          ? kStageClearRailPositions[static_cast<size_t>(g.stage)]
                          : -1;
    return gRailPosition > static_cast<float>(clearAt);
}

void ClearStage() {
    GameState& g = G();
    g.playPhase = PlayPhase::StageClear;
    g.phaseTicks = 0;
    if (IsStageSlot(g.stage)) {
        for (int i = 0; i < kPlayers; ++i) {
            g.lifeAtClear[i][g.stage] = static_cast<int32_t>(Craft(i).life);
        }
    }
    for (int i = 0; i < kPlayers; ++i) {
        if (!TakesPartInClear(i)) continue;
        Craft(i).state = CraftState::Flying;
        Craft(i).stateTicks = 0;
    }
}

// Hands over to the scene after the stage once the fly-out's fade is done.
void LeaveStage() {
    GameState& g = G();
    if (IsStageSlot(g.stage)) {
        g.clearTicks[g.stage] = g.playTicks;
        g.allDestroyed[g.stage] = g.enemiesAppeared == g.enemiesDestroyed ? 1 : 0;
    }
    bool singleStage = g.gameMode == GameMode::Practice || g.gameMode == GameMode::Extra;
    // Stages in a row end in the result at the last stage whatever its place in a chapter,
    // so play never starts a stage past it. A story goes on from it to its closing events,
    // which follow one another without play.
    bool lastInARow = g.gameMode == GameMode::StagesInARow && g.stage >= kLastStage;
    bool chapterEnd = g.stage % 3 == 2 || lastInARow;
    void (*init)() = nullptr;
    if (singleStage || chapterEnd) {
        g.scene = SceneId::Result;
        init = gGameStepHooks.initResult;
    } else if (g.gameMode == GameMode::Story) {
        g.scene = SceneId::Event;
        init = gGameStepHooks.startEvent;
    } else {
        g.scene = SceneId::Play;
    }
    // The next scene's init comes first: the result tallies the stage just cleared.
    if (init) init();
    if (!singleStage) {
        g.stage += 1;
        // The story's last stage is 18: the closing events after it reach no further stage.
        int32_t reached = std::min(g.stage, kLastStage);
        int32_t& cleared = g.records.words[record::kClearStage];
        if (cleared < reached) cleared = reached;
    }
    StartFadeIn(0);
    ReleaseStageResources();
    StartLoaderThread();
}

// The fly-out after the clear. Returns true once the next scene's load has started.
bool FlyOut() {
    GameState& g = G();
    g.phaseTicks += 1;
    int32_t t = std::min(g.phaseTicks, kFlyOutTicks);
    float k = 1.0f - std::cos(static_cast<float>(t) * (gfx::kPi / 2.0f) / 180.0f);
    if (g.stage != 13) {
        float climb = g.stage == 9 ? 10.0f : 3.0f;
        for (PlayerCraft& c : gPlayerCrafts) {
            c.offset.y += climb * k;
            c.offset.z -= 20.0f * k;
        }
    }
    bool refills = g.gameMode == GameMode::Story || g.gameMode == GameMode::StagesInARow;
    if (g.phaseTicks == kRefillTick && refills) {
        for (int i = 0; i < kPlayers; ++i) {
            if (!TakesPartInClear(i)) continue;
            PlayerCraft& c = Craft(i);
            c.life += 14.0f;
            if (g.stage % 3 == 2) c.life += 42.0f;
            c.life = std::min(c.life, kFullLife);
        }
    }
    if (g.phaseTicks == kFlyOutTicks) StartFadeOut(0);
    if (g.phaseTicks > kFlyOutTicks && IsFadeOutDone()) {
        LeaveStage();
        return true;
    }
    return false;
}

// The end of play: fly-out, player 1 destroyed, or the stage-clear test. Returns true once
// the next scene's load has started.
bool EndOfPlayFlow() {
    GameState& g = G();
    if (g.playPhase == PlayPhase::StageClear) return FlyOut();
    const PlayerCraft& p1 = Craft(0);
    if (p1.state == CraftState::Destroyed && p1.stateTicks >= 60) {
        g.playPhase = g.credits == 0 ? PlayPhase::NoCreditPrompt : PlayPhase::ContinuePrompt;
        g.phaseTicks = 0;
        g.continueCursor = 0;
        g.continueTicks = 0;
        return false;
    }
    if (StageClearRuleHolds()) ClearStage();
    return false;
}

void StepCrafts() {
    for (int i = 0; i < CraftsInPlay(); ++i) {
        PlayerCraft& c = Craft(i);
        const PadState& pad = gPadState[i];
        StepCraftCounters(&c);
        if (G().weaponSelect == 1) StepCraftWeaponChoice(&c, pad.held, pad.pressed);
        StepCraftAnimation(&c);
        if (G().weaponSelect == 0) StepCraftControl(&c, pad.held, pad.pressed);
        StepCraftPlacement(&c);
    }
}

}  // namespace

void UpdateGame() {
    GameState& g = G();
    if (gGameStepState.mainThreadStartPending) StartStageOnMainThread();
    gCraftTickFlags = CraftTickFlags{};

    if (g.flashCountdown > 0) g.flashCountdown -= 1;
    if (g.playPhase == PlayPhase::NoCreditPrompt || g.playPhase == PlayPhase::ContinuePrompt) {
        ContinuePrompt();
        return;
    }
    if (g.playerSetup == PlayerSetup::TwoPlayers && g.playPhase != PlayPhase::StageClear) {
        if (TwoPlayerFlow()) return;
    }
    UpdateCombo();
    if (gCurrentStage && gCurrentStage->flying != 0) StepCourseSway();
    if (gCurrentStage) UpdateStageBoss(gCurrentStage->stageNumber);
    AdvanceRail();
    gGameStepState.floorScroll += 0.1f;
    PutDebugText(0, 1, HasLookAtTrack() ? "CAM:TAG" : "CAM:QTN");

    StepWeaponSelectPhase();
    StepCrafts();
    if (g.weaponSelect == 0) {
        StepStage9Speed(gPlayerHitFlag);
        gPlayerHitFlag = 0;
    }
    StepCraftSpacingAndFollow();
    if (g.weaponSelect == 0) {
        UpdateEnemies();
        for (int i = 0; i < CraftsInPlay(); ++i) UpdateCraftWeapons(&Craft(i), gPadState[i]);
    }
    UpdateShots();

    g.railSpeed = NextRailSpeed();
    NextShotGeneration();
    UpdateEffects();
    StepSunVisibility();
    if (EndOfPlayFlow()) return;

    const gfx::Vec3& p = Craft(0).position;
    PutDebugLine(30, 0, "POSX %4d", static_cast<int>(p.x));
    PutDebugLine(30, 1, "POSY %4d", static_cast<int>(p.y));
    PutDebugLine(30, 2, "POSZ %4d  ", static_cast<int>(p.z));
    StepCamera();
    PutDebugLine(0, 0, "IDX %4d", static_cast<int>(gRailPosition));
    PutDebugLine(8, 0, ":%4d  ", RailWrapKeyCount());

    g.updateCounter += 1;
    if (g.weaponSelect == 0) g.playTicks += 1;
    UpdateViewMatrix();
}

void RestartPracticeStage() {
    if (gGameStepState.loadedRailKeys > 0) gCameraRail.keyCount[0] = gGameStepState.loadedRailKeys;
    ResetRunState();
    StartStage();
    StartStageOnMainThread();
    SetFadeLength(17);
    StartFadeIn(0);
}

void ResetStepGlobals() {
    // The hooks stay: the program fills them once at start-up.
    gGameStepState = {};
}

uint64_t DigestStepGlobals(uint64_t digest) {
    return FoldDigestValue(digest, gGameStepState);
}
