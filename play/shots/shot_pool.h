// Every projectile of both sides (the players' gun and sub-weapon shots, hit bursts, enemy
// bullets and missiles) is a Shot in one fixed pool of 512. Slots are claimed from a
// rotating cursor; a full pool drops the request. The spawners here make the player-side
// shots and the enemies' missiles; the flight rules are in shot_flight.h.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gfx/math.h"

struct PlayerCraft;
struct Enemy;

// Shot kinds: one number space for every projectile. An enemy bullet pattern's number is
// the kind of the bullets it makes.
namespace shot_kind {
constexpr int32_t kFree = 0;
constexpr int32_t kTwin = 1;          // main gun
constexpr int32_t kHoming = 2;        // sub-weapon 0
constexpr int32_t kBullet = 3;        // enemy bullet
constexpr int32_t kBurst = 4;         // follow-up burst after a kill
constexpr int32_t kHomingSmall = 5;   // sub-weapon 1
constexpr int32_t kPumpkin = 6;       // sub-weapon 3, a lobbed bomb
constexpr int32_t kHammer = 7;        // sub-weapon 2, orbiting
constexpr int32_t kHammerThrown = 8;  // sub-weapon 2, thrown at a lock
constexpr int32_t kMissile = 9;       // sub-weapon 6 and no weapon, one per lock
constexpr int32_t kFlame = 10;        // sub-weapon 4
constexpr int32_t kRing = 11;         // sub-weapon 5, ring laser
constexpr int32_t kEnemyMissileA = 16;
constexpr int32_t kBigBurst = 18;    // follow-up burst of kinds 5 and 18
constexpr int32_t kTwinCraft1 = 24;  // main gun of craft 1
constexpr int32_t kEnemyMissile = 27;
constexpr int32_t kFallingBullet = 30;
constexpr int32_t kLockLaser = 32;   // sub-weapon 7
constexpr int32_t kChargeCore = 33;  // sub-weapon 8, centre
constexpr int32_t kChargeSatellite = 34;
constexpr int32_t kChargedLaser = 35;
constexpr int32_t kDrill = 36;   // sub-weapon 9
constexpr int32_t kOption = 37;  // sub-weapon 10, the two-player option
constexpr int32_t kOptionBeam = 38;
}  // namespace shot_kind

// Shot sides.
constexpr int32_t kShotSidePlayer = 0;
constexpr int32_t kShotSideEnemy = 1;
constexpr int32_t kShotSideTurned = 2;  // turned back by a rolling craft: hits nothing

struct Shot {
    int32_t kind;  // 0 free
    int32_t side;
    PlayerCraft* owner;  // the firing craft of a player shot
    float position[3];
    float velocity[3];
    // Missiles: rotation rates, random in [-10, 10); they also serve as the aim offset from
    // the target craft. The drill: its grinding jitter (drawn while kindValueB is above 0).
    float spin[3];
    // Values of the flight rules: the missiles' target point.
    float flight[3];
    float yaw, pitch;       // heading; pitch is the orbit angle of kinds 7, 33 and 34
    int32_t timer;          // ticks since spawn
    int32_t straightTicks;  // homing shots: ticks of straight flight before homing
    int32_t target;         // EnemyPool index of the locked target, -1 none
    int32_t lockSlot;       // lock slot 0..5 of the target
    float radius;           // hit radius
    float carrierSpeed;     // speed of the owner when aimed (0 when the stage scrolls the view)
    int32_t aimedPlayer;    // enemy bullets: the player craft they aim at
    gfx::Mat4 matrix;       // orientation, copied from the owner
    float scale;            // drawn scale, 1.0 at spawn; the growth of kinds 10 and 11
    int32_t kindValueA;     // the level of enemy missiles (bullet patterns set 0 or 2)
    float kindValueB;       // the drill's grinding countdown
    int32_t serial;         // NextShotSerial value; kind 11's id in the enemies' hit rings
    int32_t generation;     // shot generation at spawn (kinds 4 and 18)
};

constexpr int kShotPoolSize = 512;

struct ShotPool {
    std::array<Shot, kShotPoolSize> shots;
    int32_t cursor;      // claim cursor
    int32_t generation;  // shot generation, advanced once per tick
    int32_t serial;      // next shot serial
};

extern ShotPool gShotPool;
// The pool index of the two-player option's shot (kind 37), -1 none.
extern int32_t gOptionShotIndex;

// Every slot free, cursor, generation and serial back to 0.
void ResetShotPool();
// Frees every slot (stage start); the counters run on.
void FreeAllShots();
// Live shots (kind not 0).
int CountShots();

// Index of a shot of the pool; -1 for a pointer outside it.
int ShotIndex(const Shot* shot);
// The shot of a pool index, or null outside 0..511.
Shot* ShotAtIndex(int index);

bool IsShotGenerationStale(int32_t generation);
void NextShotGeneration();
int32_t NextShotSerial();

// The raw claim: the first free slot from the cursor, with radius 0, scale 1.0 and kind
// value B 0; null when the pool is full. The caller sets the kind.
Shot* ClaimFreeShotSlot();
// A hit burst of kind 4 or 18 at a point, carrying the current generation.
void SpawnShotAt(PlayerCraft* owner, float x, float y, float z, int32_t kind);
// One orbiting kind-7 shot; its slot index, or -1 when the pool is full.
int SpawnShotKind7FromOwner(PlayerCraft* owner, float orbitAngle);
// One kind-33 (flag 0) or kind-34 (other flags) shot; its slot index, or -1.
int SpawnShotKind33Or34FromOwner(PlayerCraft* owner, float orbitAngle, int flag);
// Turns the shot in the given slot into a kind-8 homing shot and aims it.
void SpawnShotKind8InSlot(PlayerCraft* owner, int slot);
// The shots of one trigger of a player weapon kind.
void FirePlayerWeapon(PlayerCraft* craft, int32_t kind);
// Picks the shot's target among the craft's locks and sets its heading.
void AimHomingShot(PlayerCraft* craft, Shot* shot);
// One kind-27 missile from the enemy, offset through its rotation.
void SpawnEnemyMissile(Enemy* enemy, const float offset[3]);
