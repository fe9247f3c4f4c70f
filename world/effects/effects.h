// The shared quad templates the world's billboards, decals and shadows are drawn from, the
// hit rings of the play display, the crafts' wingtip ribbons, and the per-tick effect
// update that moves, ages and retires the coins and particles of stage play. The pools
// belong to the play layer: it hands them over through EffectPoolHooks.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gfx/device.h"
#include "platform/gfx/math.h"
#include "platform/gfx/types.h"

// Position, diffuse colour, one set of texture coordinates: 24 bytes.
struct EffectVertex {
    float x, y, z;
    uint32_t diffuse;
    float u, v;
};
constexpr uint32_t kEffectVertexFvf = gfx::FVF_XYZ | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;  // 0x142
static_assert(sizeof(EffectVertex) == 24);

// Four corners drawn as a strip of two triangles: (left, top), (left, bottom),
// (right, top), (right, bottom) of its texel cell.
struct EffectQuad {
    std::array<EffectVertex, 4> corners;
};

constexpr int kEffectQuadCount = 50;
extern std::array<EffectQuad, kEffectQuadCount> gEffectQuads;

// Template numbers with a fixed use.
namespace quad {
constexpr int kCraftShadowFirst = 0;  // 0..3 by craft
constexpr int kShot = 4;
constexpr int kParticleFirst = 5;     // 5..9
constexpr int kCoinShadowFirst = 10;  // 10..15
constexpr int kEnemyShadowA = 16;
constexpr int kBeamFirst = 17;  // 17..22
constexpr int kBillboard = 23;  // rewritten before every use
constexpr int kParticleLarge = 24;
constexpr int kTwinShot = 25;
constexpr int kTwinShotCraft1 = 26;
constexpr int kParticleTall = 27;
constexpr int kEnemyShadowB = 28;
constexpr int kWholeSheet = 29;
constexpr int kAnimatedFirst = 30;  // 30..45
constexpr int kShotRound = 46;
constexpr int kShotRing = 47;
constexpr int kTwinGlow = 48;
constexpr int kTwinGlowCraft1 = 49;
}  // namespace quad

constexpr int kHitRingCount = 24;
struct HitRing {
    float phase;  // RandomUnit x 128 at stage start; the play display places the ring by it
    float size;
    int32_t timer;  // the ring grows while it is 0 or more
};
extern std::array<HitRing, kHitRingCount> gHitRings;

// One ribbon behind a wingtip: 10 pairs of vertices, pair 0 the newest.
constexpr int kWingtipPairs = 10;
struct WingtipTrail {
    std::array<EffectVertex, 2 * kWingtipPairs> vertices;
};
// [craft slot][wingtip]
extern std::array<std::array<WingtipTrail, 2>, 2> gWingtipTrails;

struct WingtipOffset {
    float a, b, c;
};
constexpr std::array<WingtipOffset, 4> kWingtipOffsets = {{
    {5.0f, 0.2f, 0.0f},
    {5.0f, 1.3f, 0.0f},
    {3.5f, 0.2f, -5.0f},
    {6.0f, 1.3f, 0.0f},
}};

// Where a craft stands, for its wingtip ribbons.
struct CraftPose {
    gfx::Vec3 position;
    gfx::Mat4 rotation;
    float scale;
    int32_t craft;  // model 0..3
};

// What the play layer hands the effect update.
struct EffectPoolHooks {
    void (*freePools)();  // every shot, particle and coin freed
    void (*updatePickups)(const gfx::Vec3& carry);
    void (*updateParticles)(const gfx::Vec3& carry);
    // The pose of craft slot 0 or 1; false when there is none.
    bool (*craftPose)(int slot, CraftPose* pose);
};
extern EffectPoolHooks gEffectPoolHooks;

// Builds every template, the ribbons' colours and coordinates and the rings; frees the
// pools. Once per stage start.
void InitEffectQuads();
// Writes the colour into all four corners of a template (numbers outside 0..49: nothing).
void SetQuadColor(int number, gfx::Color color);
// Rings, coins, particles and the ribbons, once per tick of stage play.
void UpdateEffects();
// Moves the ribbons one pair back and puts pair 0 at the wingtips (stages with windline).
void DrawWingtipTrails();

// The states every effect quad is drawn with: effect vertices, unlit, without fog, alpha
// blended with no alpha test, seen from both sides, filtered linearly. The caller sets the
// colour and alpha operations, the depth writes and the blend factors it wants.
void SetEffectQuadStates(gfx::Device* d);

// The camera path's move over this tick when the stage carries its objects with the
// course (scroll-offset flag 1), else zero.
gfx::Vec3 CourseCarry();

// Templates, rings and ribbons back to their program-start values.
void ResetEffectGlobals();
