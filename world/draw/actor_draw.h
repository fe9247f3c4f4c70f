// The actors of a stage's world: blob shadows under the crafts, the enemies and the coins;
// the craft models with their riders; the enemies drawn as form sprites; the eight-way
// sprites of the particles; the enemy models and the lit marker quads over some enemies.
// Drawing reads the play records through the views that the play layer hands over here and
// changes none of them.
#pragma once

#include <cstdint>

#include "platform/gfx/math.h"

// What the actor pass reads of one player craft.
struct CraftDrawView {
    gfx::Vec3 position;
    int32_t craft;  // 0..3
    int32_t state;  // 4: down
    int32_t stateTicks;
    gfx::Mat4 rotation;
    int32_t overheatLock;
    int32_t hitFlash;
    float scale;
    const int32_t* animation;  // kActorAnimationSlots times
    int32_t spriteCounter;     // the rider's animation counter
    float spriteYaw;
    float spritePitch;
};

// What the actor pass reads of one enemy slot and its type.
struct EnemyDrawView {
    int32_t state;  // 0 free, 1 active, 2 shot down
    int32_t spawnDelay;
    gfx::Vec3 base;
    gfx::Mat4 rotation;
    float yaw;
    int32_t hitFlash;
    int32_t onSegment;  // the position is relative to a course segment
    int32_t segment;
    float drawOffsetY;
    int32_t animationCounter;
    int32_t model;  // -1 none
    float modelScale;
    float shadowWidth, shadowDepth;
    int32_t alwaysDrawn;
    int32_t shadowKind;  // 0 template A, 1 template B, 2 none
};

// What the actor pass reads of one coin.
struct PickupDrawView {
    gfx::Vec3 position;
    float shadowHeight;
    int32_t kind;  // 1..3 live
    int32_t timer;
};

constexpr int kActorAnimationSlots = 50;
constexpr int kActorEnemySlots = 300;
constexpr int kActorPickupSlots = 1024;

// The play layer's views of its records. Each returns false when there is nothing to read
// (a free slot may be returned with its state or kind 0). Empty hooks: nothing of that kind
// is drawn.
struct ActorDrawSources {
    bool (*craft)(int player, CraftDrawView* out);
    bool (*enemy)(int slot, EnemyDrawView* out);
    bool (*pickup)(int slot, PickupDrawView* out);
};
extern ActorDrawSources gActorDrawSources;

// The actor pass, inside the scene with the world projection and view in force.
void DrawActors();

// Shadow size for a hit fraction t of the downward ray.
float ShadowScale(float t);
// Grey level of a craft's and an enemy's shadow for a hit fraction t.
int32_t CraftShadowGrey(float t);
int32_t EnemyShadowGrey(float t);
// The marker cell of a view angle: cell number 0..15 and whether it is mirrored.
int32_t MarkerCell(float angle, bool* mirrored);
