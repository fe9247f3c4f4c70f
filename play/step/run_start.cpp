#include "play/step/run_start.h"

#include <algorithm>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/text_font.h"
#include "engine/sound/sound.h"
#include "play/bosses/boss_stages.h"
#include "play/craft/craft.h"
#include "play/craft/partner.h"
#include "play/craft/weapons.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/hits.h"
#include "play/step/game_step.h"
#include "play/step/weapon_select.h"
#include "play/waves/waves.h"
#include "world/course/collision.h"
#include "world/effects/effects.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

namespace {

constexpr int32_t kNoWeaponRecord = 255;
constexpr int32_t kRunChapters = 6;

bool IsChapterStart() {
    if (gGameState.gameMode == GameMode::Practice) return true;
    return gGameState.stage % 3 == 0;
}

void InitStageBoss(int32_t stageNumber) {
    switch (stageNumber) {
        case 2:
            InitBossStage02();
            break;
        case 5:
            InitBossStage05();
            break;
        case 8:
            InitBossStage08();
            break;
        case 10:
            InitBossStage10();
            break;
        case 11:
            InitBossStage11();
            break;
        case 12:
            InitBossStage12();
            break;
        case 14:
            InitBossStage14();
            break;
        case 16:
            InitBossStage16();
            break;
        case 17:
            InitBossStage17();
            break;
        case 18:
            InitBossStage18();
            break;
        default:
            break;
    }
}

void StartCraft(int32_t i) {
    PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
    GameState& g = gGameState;
    bool partner = g.playerSetup == PlayerSetup::ComputerPartner;

    c.player = i;
    int32_t craft = g.craft[i];
    c.craft = craft >= 0 && craft < kCraftKinds ? craft : 0;
    c.spec = &kCraftSpecTable[static_cast<size_t>(c.craft)];

    c.age = 0;
    c.sense = g.upDownSense[i];

    c.position = gfx::Vec3{0.0f, 0.0f, 0.0f};
    c.pitch = 0.0f;
    c.yaw = 3.1415927f;
    c.bank = 0.0f;
    c.overheatPhase = 0.0f;
    c.waterTicks = 0;
    c.scrapeTicks = 0;

    const auto& words = g.records.words;
    if (i == 0) {
        g.weaponCursor[i] = SavedWeaponCursor(words[record::kSelectWeapon]);
    } else {
        g.weaponCursor[i] = g.playerSetup == PlayerSetup::TwoPlayers
                                ? SavedWeaponCursor(words[record::kSelectWeapon + 1])
                                : 0;
    }
    g.weaponCursorSlide[i] = 0;
    g.weaponReadyTicks[i] = 0;
    gGaugeShake.offset[i][0] = gGaugeShake.offset[i][1] = 0.0f;

    c.heat = 0.0f;
    c.shownHeat = 0.0f;
    c.overheatLock = 0;
    c.coolDelay = 0;
    c.stateTicks = 0;

    if (partner || c.out == 0) {
        c.state = CraftState::Flying;
    } else {
        c.life = 0.0f;
        c.state = CraftState::Down;
        c.stateTicks = 60;
    }

    c.shownLife = c.life;
    c.invulnerable = 0;
    c.hitFlash = 0;

    if (c.out == 0 && g.weaponSelect == 1 && c.craft != 3) c.weapon = -1;
    // Craft 3 goes on with its weapon, but only with one this run offers: a weapon left
    // from an earlier run (none, one not owned, the option without a second craft) would
    // stand through the select and could not be cycled away.
    if (g.weaponSelect == 1 && c.craft == 3) c.weapon = ListedWeaponOrFirst(c.weapon);

    c.wobblePhase = 0.0f;
    c.wobbleRate = 0.0f;
    c.gunWobblePhase = 0.0f;
    c.bumpSpin = 0.0f;

    float lateral = 0.0f;
    if (g.playerCount != 1) lateral = i == 0 ? -120.0f : 120.0f;
    c.offset = gfx::Vec3{lateral, 0.0f, 0.0f};
    c.travel = gfx::Vec3{0.0f, 0.0f, 0.0f};
    c.velocity = gfx::Vec3{0.0f, 0.0f, 0.0f};

    c.scale = 1.25f;
    c.rollTicks = 0;
    c.rollDirection = 0;
    c.lastDirection = i == 0 ? -1 : 1;
    c.rollAngle = 0.0f;

    c.gunTicks = 0;
    c.burst = 0;
    c.subHoldTicks = 0;
    c.holdTicks = 0;
    c.holdFire = 0;
    c.lockCooldown = 60;

    std::fill(std::begin(c.orbitShots), std::end(c.orbitShots), -1);
    std::fill(std::begin(c.orbitCounters), std::end(c.orbitCounters), 0);
    c.orbitAngle = 0.0f;
    c.hammerIndex = 0;

    std::fill(std::begin(c.animation), std::end(c.animation), 0);
}

}  // namespace

void ResetRunState() {
    GameState& g = gGameState;
    std::fill(std::begin(g.purchases), std::end(g.purchases), 0);
    g.score = 0;
    std::fill(std::begin(g.shopBoosts), std::end(g.shopBoosts), 0);

    bool noCredits = g.gameMode == GameMode::Practice || g.gameMode == GameMode::Extra;
    g.credits = noCredits ? 0 : g.records.words[record::kTotalCredit];

    for (PlayerCraft& c : gPlayerCrafts) {
        c.out = 0;
        c.life = kFullLife;
    }
    for (int32_t k = 0; k < kRunChapters; ++k) {
        g.records.words[static_cast<size_t>(record::kRunWeaponsP1 + k)] = kNoWeaponRecord;
        g.records.words[static_cast<size_t>(record::kRunWeaponsP2 + k)] = kNoWeaponRecord;
    }
    std::fill(std::begin(g.clearTicks), std::end(g.clearTicks), 0);
    std::fill(std::begin(g.allDestroyed), std::end(g.allDestroyed), 0);
}

void StartRun(const RunChoice& choice) {
    GameState& g = gGameState;
    g.gameMode = static_cast<GameMode>(std::clamp(static_cast<int32_t>(choice.mode), 0, 3));
    g.playerSetup = static_cast<PlayerSetup>(std::clamp(static_cast<int32_t>(choice.setup), 0, 2));
    for (int i = 0; i < kPlayers; ++i) g.craft[i] = std::clamp(choice.craft[i], 0, kCraftKinds - 1);
    g.stage = std::clamp(choice.stage, 0, kStageRecords - 2);
    ResetRunState();
}

void StartStage() {
    GameState& g = gGameState;
    // The text font is switched by the main thread before the first tick of the stage.
    gGameStepState.mainThreadStartPending = 1;
    gGraphics.fieldOfView = 45.0f;
    // The rail's own length, for a restart after a boss has switched rails.
    gGameStepState.loadedRailKeys = gCameraRail.keyCount[0];

    g.enemiesAppeared = 0;
    g.enemiesDestroyed = 0;
    g.bossTransitionCounter = 0;
    g.flashCountdown = 0;
    g.playTicks = 0;

    gRailPosition = 1.0f;
    g.railSpeed = 0.0f;
    gPlayerHitFlag = 0;
    g.optionTimer = 0;
    g.bossGauge = BossGauge{0.0f, 0.0f};

    g.playPhase = PlayPhase::Playing;
    g.phaseTicks = 0;

    g.targetSpeed = 0.3f;
    g.currentSpeed = 0.0f;

    for (auto& offset : g.segmentOffset) offset[0] = offset[1] = offset[2] = 0.0f;
    g.swayPhase = 0.0f;

    g.follow[0] = g.follow[1] = g.follow[2] = 0.0f;
    g.sunVisible = 0;
    g.railSlot = 0;

    g.playerCount = g.playerSetup == PlayerSetup::OnePlayer ? 1 : 2;

    g.weaponSelectTicks = 0;
    g.weaponSelect = IsChapterStart() ? 1 : 0;
    if (g.weaponSelect == 1) {
        g.enemyPoints[0] = g.enemyPoints[1] = 0;
        g.kills[0] = g.kills[1] = 0;
        g.bestCombo = 0;
    }
    BuildWeaponList();

    StartCraft(0);
    StartCraft(1);

    InitEffectQuads();
    // The effect quads emptied the shot pool: the two-player option held through the
    // chapter makes its shot again (a weapon select makes it when it ends).
    if (g.weaponSelect == 0 && g.playerCount == 2 && gPlayerCrafts[0].weapon == kTwoPlayerOption &&
        gPlayerCrafts[1].weapon == kTwoPlayerOption) {
        FireTwoPlayerOption();
    }
    ResetEnemies();
    NotifySoundStageStart(0, 0);
    SpawnMapPlacedEnemies();
    SpawnStageSetPieces();
    if (gCurrentStage) InitStageBoss(gCurrentStage->stageNumber);
    ResetPartnerAutopilot();
    // The enemies placed above get their world points and matrices before the first draw.
    UpdateEnemies();
}

void StartStageOnMainThread() {
    SetSmallTextFont();
    gGameStepState.mainThreadStartPending = 0;
}
