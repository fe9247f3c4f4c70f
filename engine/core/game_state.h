// The one global record of the game program: the settings, where the program stands, the
// progress of the current run, the working values of stage play that several modules read,
// and the record block stored in the settings file. Fields stand in a fixed order.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/gfx/math.h"

enum class SceneId : int32_t {
    Title = 0,
    Play = 1,
    GameOver = 2,
    Ending = 3,
    Result = 4,
    Event = 5,
    Shop = 6,
};
constexpr int32_t kSceneCount = 7;

enum class GameMode : int32_t {
    Story = 0,
    StagesInARow = 1,
    Practice = 2,
    Extra = 3,
};

enum class PlayerSetup : int32_t {
    OnePlayer = 0,
    ComputerPartner = 1,
    TwoPlayers = 2,
};

enum class PlayPhase : int32_t {
    None = 0,
    Playing = 1,
    NoCreditPrompt = 2,  // player 1 destroyed with no credit left: the prompt offers quitting
    ContinuePrompt = 3,
    StageClear = 4,  // cleared, with the fly-out
    GameOver = 5,    // game over of a two-player game
};

constexpr int kPlayers = 2;
constexpr int kStageSlots = 20;     // stage numbers 0..19 (19 is never played)
constexpr int kMapSegments = 20;    // placed course segments of a stage
constexpr int kWeaponListMax = 12;  // weapons offered in the weapon select
constexpr int kRecordWords = 247;

// Indices of the record block's words.
namespace record {
constexpr int kPracticeBest = 0;        // [20 x set-up + stage]
constexpr int kPracticeBestCraft = 60;  // craft pair of that best
constexpr int kPracticeBestWeapon = 120;
constexpr int kOwnedWeapons = 180;  // 12 flags; 180 (weapon 0) always 1
constexpr int kRunBest = 192;       // per set-up
constexpr int kRunBestCraft = 195;
constexpr int kRunBestWeapons = 198;  // 6 per set-up
constexpr int kRunWeaponsP1 = 216;    // 6, 255 = none; not stored
constexpr int kRunWeaponsP2 = 222;
constexpr int kExtraBest = 228;
constexpr int kExtraBestCraft = 231;
constexpr int kExtraBestWeapon = 234;
constexpr int kGetExtra = 237;
constexpr int kGetStaff = 238;
constexpr int kGetCraft2 = 239;
constexpr int kGetCraft3 = 240;
constexpr int kTotalCredit = 241;
constexpr int kClearStage = 242;
constexpr int kWeaponListLength = 243;  // working value, not stored
constexpr int kSelectWeapon = 244;      // selectwepon1..3
}  // namespace record

struct RecordBlock {
    std::array<int32_t, kRecordWords> words;
};

constexpr int32_t kSubWeapons = 11;  // sub-weapons 0..10

// A sub-weapon is owned when its flag word is set, whatever value the settings file gave it.
// The weapon select's list and choice, the play display and the shop all ask this one rule,
// so a weapon is offered exactly when it can be chosen.
inline bool IsSubWeaponOwned(const RecordBlock& records, int32_t weapon) {
    return weapon >= 0 && weapon < kSubWeapons &&
           records.words[static_cast<size_t>(record::kOwnedWeapons + weapon)] != 0;
}

struct ScreenFade {
    int32_t counter;    // 0 when no fade is drawn
    int32_t direction;  // 1 fading out, -1 fading in, 0 idle
    int32_t style;
};

struct ScreenShake {
    int32_t countdown;
    int32_t offset[3];
    int32_t amplitude[3];
};

struct BossGauge {
    float maximum;
    float current;
};

struct GameState {
    // settings
    int32_t windowMode;  // 1 window, other values full screen
    int32_t textureMode, mapMode, demoMode;
    // run
    int32_t eventNumber;
    int32_t credits;
    int32_t continueCursor, continueTicks;
    // stage
    int32_t enemiesAppeared, enemiesDestroyed;
    // play
    int32_t optionTimer;
    // scene
    SceneId scene;
    GameMode gameMode;
    // play: gun power, steering speed, faster cooling, bullet reflection
    int32_t shopBoosts[4];
    // run
    int32_t stage;
    // play
    int32_t flashCountdown;
    int32_t bossTransitionCounter;
    // run
    int32_t score;
    int32_t enemyPoints[kPlayers];
    int32_t kills[kPlayers];
    int32_t lifeAtClear[kPlayers][kStageSlots];
    int32_t bestCombo;
    int32_t playerCount;
    int32_t craft[kPlayers];
    int32_t upDownSense[kPlayers];
    PlayerSetup playerSetup;
    // play
    PlayPhase playPhase;
    int32_t phaseTicks;
    int32_t playTicks;
    // run
    int32_t clearTicks[kStageSlots];
    int32_t allDestroyed[kStageSlots];
    // frame
    int32_t updateCounter;
    // world
    int32_t stageCount;
    // play
    float railSpeed;
    float targetSpeed, currentSpeed;
    // world
    int32_t railSlot;
    // play: combo and its display
    int32_t comboWindow, combo, comboBounce, comboShownTicks, comboShown;
    float follow[4];
    // title
    int32_t titleIdleTicks;
    // frame
    ScreenFade fade;
    // play
    int32_t sunVisible;
    int32_t weaponSelect;       // WeaponSelectPhase
    int32_t weaponSelectTicks;  // panel slide count
    int32_t weaponCursor[kPlayers];
    int32_t weaponCursorSlide[kPlayers];
    int32_t weaponCandidate[kPlayers];
    int32_t weaponStep[kPlayers];
    int32_t weaponReadyTicks[kPlayers];
    int32_t weaponList[kWeaponListMax];
    // world
    float segmentOffset[kMapSegments][3];
    // play
    float swayPhase;
    // frame
    ScreenShake shake;
    // play
    BossGauge bossGauge;
    // frame
    int32_t frameRate;         // in force, copied from the setting each frame
    int32_t frameRateSetting;  // fps: 0, 1, 2 = 60, 30, 20 frames per second
    int32_t showFrameRate;     // dispfps: 0 shows the digits
    int32_t fixedAspect;
    // input: binding value per row (0 P1 keyboard, 1 P1 pad, 2 P2 keyboard, 3 P2 pad) and column
    int16_t padBindings[4][8];
    // settings
    int32_t freeCamera;
    // run
    int32_t purchases[5];
    // world: billboard tilt, billboard yaw, their product, camera direction (rotation only)
    gfx::Mat4 billboardTilt, billboardYaw, billboardMatrix, cameraDirection;
    float cameraHeading;
    // settings
    int32_t soundVolume, musicVolume;  // se, mu: 0..9
    // run
    int32_t pointsTotal;
    // records
    RecordBlock records;
};

extern GameState gGameState;
