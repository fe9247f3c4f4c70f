// The enemy pool: every enemy of a stage (wave fliers, ground and scenery turrets, boss
// bodies and boss parts) is one Enemy record in a fixed pool of 300. This module owns the
// record, the design table of enemy types, the claim and reset of pool slots, the per-tick
// enemy update (timers, lock-on slot ageing, the fall of shot-down enemies, world points)
// and the smoke emitters that wrecks leave behind.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gfx/math.h"

constexpr int kEnemyPoolSize = 300;
constexpr int kEnemyTypeCount = 64;
constexpr int kDefinedEnemyTypes = 58;  // rows 58..63 are zero
constexpr int kEnemyPointCount = 6;     // attachment points of a type
constexpr int kEnemyLockSlots = 6;
constexpr int kEnemyHitRing = 10;
constexpr int kSmokeEmitterCount = 64;
// Wave fliers leave the view after these many ticks.
constexpr int32_t kFlierLifetime = 390;
constexpr int32_t kCrosserLifetime = 1200;
// A shot-down enemy is freed this many ticks after it was shot down at the latest.
constexpr int32_t kWreckLifetime = 300;
// Death kind 0: the wreck timer jumps here when it strikes the course (10 ticks left).
constexpr int32_t kWreckStruckTimer = 290;

enum class EnemyState : int32_t {
    Free = 0,
    Active = 1,
    ShotDown = 2,
};

// How a shot-down enemy falls.
enum class DeathKind : int32_t {
    FallAndStrike = 0,  // falls until it strikes the course, then rides with the view
    Fall = 1,
    FallAndBounce = 2,
    Burst = 3,  // bursts at once and leaves smoke
};

// One pool slot. All fields are 32 bits; positions are world units, angles radians.
struct Enemy {
    gfx::Vec3 centre;  // world position of the type's centre point, rebuilt every tick
    // World positions of the type's attachment points (hit spheres, muzzles, lock-on points);
    // only the first point count of the type are meaningful.
    std::array<gfx::Vec3, kEnemyPointCount> points;
    // Position of the enemy's origin: world, or relative to its course segment while
    // segment bound (use EnemyWorldBase for the world position).
    gfx::Vec3 basePosition;
    // Rail-relative behaviours: x and y across the camera rail, z the distance ahead.
    gfx::Vec3 formationOffset;
    float heading;            // course angle of rail-relative behaviours
    gfx::Mat4 rotation;       // from yaw, pitch and roll (plus the wobble), every tick
    gfx::Vec3 velocity;       // per-tick motion; the fall of a wreck; the last rail move
    gfx::Vec3 swoopVelocity;  // own velocity of the swooping behaviour
    float yaw, roll, pitch;
    int32_t type;  // row of gEnemyTypeTable
    EnemyState state;
    float hitPoints, maxHitPoints;
    int32_t damageDisplay;  // set to 30 by each hit; the play display shows the gauge meanwhile
    int32_t hitBlink;       // set to 4 by each hit; the model blinks while above 0
    int32_t behaviour;      // 0..27
    int32_t side;           // which way a behaviour turns or mirrors (ring: the member index)
    float bobPhase, bobOffset, wobblePhase;
    int32_t bossCounter;                              // counter of the boss routines
    std::array<int32_t, kEnemyLockSlots> lockOwners;  // player craft number per lock slot
    // Above 0 while a lock is held (counts down); -1 once a homing shot took the lock.
    std::array<int32_t, kEnemyLockSlots> lockCountdowns;
    std::array<int32_t, kEnemyLockSlots> lockAges;  // ticks since the lock was taken
    int32_t markerCountdown;  // 60 when the lock-on scan marks the enemy; rests at 1
    int32_t markerPoint;      // attachment point carrying the marker
    int32_t segmentBound;     // 1: base position is relative to the course segment
    int32_t segment;          // course segment 0..19
    int32_t animationClock;   // model animation time in milliseconds
    int32_t subState;         // behaviour-private flag
    // Behaviour-private counter (ring formation: its size; boss parts: their place index).
    int32_t counter;
    int32_t fireTimer;      // behaviour-private timer, mostly the firing clock
    gfx::Vec3 anchorPoint;  // hover point of the swoop; aim point of some bullet patterns
    int32_t jitter;         // countdown of a random shake
    int32_t parent;         // pool index of the enemy this one is mounted on, -1 none
    int32_t fireMode;       // which firing a behaviour uses (0 none)
    int32_t speedBonus;     // added to a behaviour's speed
    int32_t age;            // ticks since activation
    int32_t wreckTimer;     // ticks since shot down
    int32_t spawnDelay;     // while above 0: not updated, hit, locked or drawn
    int32_t untargetable;   // 1: shots and lock-on pass through it
    std::array<int32_t, kEnemyHitRing> hitRing;  // ids of the last piercing shots that hit
    int32_t hitRingIndex;
};

// One row of the enemy design table.
struct EnemyType {
    int32_t model;  // slot of the stage's enemy models; -1 draws nothing
    int32_t score;  // points paid on destruction
    int32_t hitPoints;
    int32_t pointCount;                              // 1..6
    gfx::Vec3 centre;                                // model space
    std::array<gfx::Vec3, kEnemyPointCount> points;  // model space
    float modelScale;                                // drawn at 0.16 x this
    float shadowWidth, shadowDepth;                  // 0: no shadow
    float hitRadius;  // a shot hits a point closer than hit radius + shot radius
    int32_t shakeOnDeath;
    int32_t farVisible;   // drawn without the screen tests; locked at a greater depth
    int32_t shadowShape;  // 0 and 1: two shadow quads, 2: none
    DeathKind deathKind;
};

// Smoke sources left by wrecks, held as parallel arrays of 64 slots.
struct SmokeEmitter {
    std::array<int32_t, kSmokeEmitterCount> age;  // 0 free, counts up from 1
    std::array<gfx::Vec3, kSmokeEmitterCount> position;
    std::array<int32_t, kSmokeEmitterCount> segment;   // its offset is added when puffing
    std::array<int32_t, kSmokeEmitterCount> lifetime;  // ticks, -1 forever
    std::array<float, kSmokeEmitterCount> scale;
};

extern std::array<Enemy, kEnemyPoolSize> gEnemyPool;
extern const std::array<EnemyType, kEnemyTypeCount> gEnemyTypeTable;
extern SmokeEmitter gSmokeEmitter;

// Rail values of the current tick, computed by UpdateEnemies before the behaviours run.
struct EnemyRailFrame {
    gfx::Vec3 motion;  // how far the view moved this tick (0 unless the stage scrolls objects)
    float step;        // length of one rail key, at least 0.1
};
extern EnemyRailFrame gEnemyRailFrame;

// The type row of an enemy; null when its type number lies outside the defined rows.
const EnemyType* EnemyTypeOf(const Enemy& enemy);
// The pool index of an enemy of the pool.
int EnemyIndex(const Enemy& enemy);
// The enemy's base position in the world (the segment offset added while segment bound).
gfx::Vec3 EnemyWorldBase(const Enemy& enemy);
// Makes a segment-bound enemy's base position a world position and unbinds it.
void DetachEnemyFromSegment(Enemy* enemy);
// Frees an enemy (state 0).
inline void FreeEnemy(Enemy* enemy) {
    enemy->state = EnemyState::Free;
}

// Claims the lowest free slot and clears its per-life fields; null when all 300 are in use.
// Counts the spawn in the game state. The caller sets the state, type, behaviour, hit points
// and its own fields.
Enemy* AllocEnemy();
// Makes a claimed slot an active enemy of the type and behaviour, with the type's full hit
// points. A type outside the table gives the slot back and returns false.
bool ActivateEnemy(Enemy* enemy, int32_t type, int32_t behaviour);
// Frees every enemy and smoke emitter and restarts the wave timetable.
void ResetEnemies();
// Claims the first free smoke emitter; nothing when all are busy. Lifetime -1: forever.
void StartSmokeEmitter(const gfx::Vec3& position, int32_t segment, int32_t lifetime, float scale);
// Rebuilds the rotation (with the wobble), the centre and the attachment points in the world.
void UpdateEnemyWorldPoints(Enemy* enemy);
// The rail motion of this tick: the rail point now minus the one a rail speed behind, when the
// current stage carries objects with the scroll (else 0).
gfx::Vec3 ComputeRailMotion();
// One tick of every enemy: the waves, the rail frame, each slot's timers, behaviour or fall,
// the world points, and the smoke emitters.
void UpdateEnemies();

// Program-start state of the pool, the smoke emitters and the wave state: every field zero,
// the rotation matrices identity.
void ResetEnemyGlobals();
// Folds the pool, the smoke emitters and the wave state into a running FNV-1a digest.
uint64_t DigestEnemyGlobals(uint64_t digest);
