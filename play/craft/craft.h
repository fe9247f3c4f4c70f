// The player crafts in stage play: their records, the crafts' handling figures, steering from
// the pads, the roll, the five craft states, the placement on the camera rail, the contact
// with the course and the water, and the model's bank pose and animation.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gfx/math.h"

// One row of the crafts' handling table: speed, armour, gun power, agility, roll dash,
// cooling and shot power of one craft.
struct CraftSpec {
    float speed;      // steering step per tick = speed x 5.0 (x 2.0 while firing)
    float armour;     // life lost per enemy-bullet hit = (2.0 - armour) x 5.0
    float gunPower;   // damage factor of the vulcan shots
    float agility;    // bank and pitch rate in hold-fire mode
    float rollDash;   // lateral velocity of a directional roll = 60.0 x roll dash
    float cooling;    // heat cooled per tick = cooling x 0.5
    float shotPower;  // damage factor of every player shot but the charged laser
};

constexpr int kCraftKinds = 4;
inline constexpr std::array<CraftSpec, kCraftKinds> kCraftSpecTable = {{
    {1.0f, 0.5f, 0.5f, 0.5f, 0.7f, 1.0f, 1.0f},
    {0.7f, 0.7f, 1.0f, 0.7f, 0.7f, 0.5f, 1.0f},
    {0.5f, 1.0f, 0.7f, 1.0f, 1.0f, 0.7f, 1.2f},
    {0.7f, 0.7f, 0.7f, 0.7f, 0.0f, 0.7f, 1.0f},
}};

enum class CraftState : int32_t {
    Flying = 0,
    Bumped = 1,       // hit the course ahead, 20 ticks
    Destroyed = 2,    // falling; the end-of-play flow watches player 1's ticks in it
    KnockedDown = 3,  // 20 ticks
    Down = 4,         // out of play until it rejoins (or for good when out is 1)
};

constexpr int kCraftAnimationSlots = 50;
constexpr int kOrbitShots = 8;
constexpr float kFullLife = 42.0f;
constexpr float kMaxHeat = 130.0f;

struct PlayerCraft {
    gfx::Vec3 position;  // world position, recomputed every tick
    gfx::Vec3 travel;    // rail point now minus the rail point one rail-speed step behind
    gfx::Vec3 offset;    // from the rail point in the camera frame, tenths of a world unit
    gfx::Vec3 velocity;  // of the offset
    int32_t craft;       // craft model 0..3
    int32_t sense;       // up/down sense: 0 normal, other values swap up and down
    int32_t player;      // 0 or 1; also the owner number in enemy lock slots
    CraftState state;
    int32_t stateTicks;
    gfx::Mat4 rotation;  // model rotation, rebuilt every tick
    float bank;          // -1.2..1.2 in flight
    float pitch;
    float yaw;              // pi at stage start
    float scale;            // 1.25
    int32_t rollTicks;      // 0..19
    int32_t rollDirection;  // -1 left, 1 right, 0 not rolling
    int32_t lastDirection;  // -1 or 1; 0 after a neutral roll
    float rollAngle;
    float wobblePhase;
    float wobbleRate;
    float gunWobblePhase;
    float bumpSpin;
    float overheatPhase;
    int32_t age;
    int32_t lockCooldown;
    int32_t holdTicks;
    int32_t holdFire;
    int32_t aimTarget;  // enemy pool index aimed at in hold-fire mode, -1 none
    int32_t weapon;     // sub-weapon number, -1 none
    float heat;         // 0..130
    float shownHeat;
    int32_t coolDelay;
    int32_t overheatLock;
    float life;  // 42.0 full
    float shownLife;
    int32_t hitFlash;      // 8 after a bullet hit, counting down
    int32_t invulnerable;  // ticks, counting down
    int32_t subHoldTicks;
    int32_t gunTicks;
    int32_t burst;
    int32_t animation[kCraftAnimationSlots];  // per animated frame of the model
    int32_t orbitShots[kOrbitShots];          // shot pool indices, -1 none
    int32_t orbitCounters[kOrbitShots];
    float orbitAngle;
    int32_t hammerIndex;
    const CraftSpec* spec;
    int32_t out;  // 1 when out for the rest of the run (two players)
    int32_t waterTicks;
    int32_t scrapeTicks;
};

extern std::array<PlayerCraft, 2> gPlayerCrafts;

// Flags of the current tick raised by the craft control: a wall scrape and a hit of the
// course ahead (the stage-9 speed slows on them).
struct CraftTickFlags {
    int32_t scrape;
    int32_t frontHit;
};
extern CraftTickFlags gCraftTickFlags;

// Crafts in play (the player count of the game state as 1 or 2): the records below it
// fly, are hit, drawn and trailed; the other stands apart.
int32_t CraftsInPlay();

// Angles wrap into [-pi, pi] by whole turns.
float WrapAngle(float angle);
// The angle turned toward the target by at most step, the short way round.
float TurnAngleToward(float angle, float target, float step);

// The bank pose (b in -1..1) written into the craft's animation times.
void SetBankPose(PlayerCraft* craft, float bank);
// heat += amount and cooling waits 30 ticks; returns 1.
int AddCraftHeat(PlayerCraft* craft, float amount);

// The per-tick steps of one craft inside the game step's craft loop, driven by its pad.
// Counters at the start of the pass.
void StepCraftCounters(PlayerCraft* craft);
// Bank pose and the model's running animation.
void StepCraftAnimation(PlayerCraft* craft);
// Steering, state motion, roll and weapon cycle, integration and limits (outside the weapon
// select).
void StepCraftControl(PlayerCraft* craft, uint8_t held, uint8_t pressed);
// Placement on the rail, course contact, water contact and the pose.
void StepCraftPlacement(PlayerCraft* craft);

// Back to the program-start values.
void ResetCraftGlobals();
