#include "world/effects/effects.h"

#include <cstddef>

#include "engine/core/game_state.h"
#include "engine/random/random.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

std::array<EffectQuad, kEffectQuadCount> gEffectQuads;
std::array<HitRing, kHitRingCount> gHitRings;
std::array<std::array<WingtipTrail, 2>, 2> gWingtipTrails;
EffectPoolHooks gEffectPoolHooks;

namespace {

constexpr float kSheet = 256.0f;
constexpr uint32_t kWhite = 0xFFFFFFFFu;
constexpr uint32_t kDimGrey = 0xFF696969u;

enum class Plane { Upright, Ground };

// One template: its plane, its extent (x, then y or z with the top edge first), its texel
// cell and its colour.
struct QuadTemplate {
    Plane plane;
    float x0, x1;
    float top, bottom;
    float left, texTop, right, texBottom;
    uint32_t color;
};

constexpr QuadTemplate Square(Plane plane, float left, float top, float right, float bottom,
                              uint32_t color = kWhite) {
    return QuadTemplate{plane, -256.0f, 256.0f, 256.0f, -256.0f, left, top, right, bottom, color};
}

constexpr std::array<QuadTemplate, kEffectQuadCount> MakeTemplates() {
    std::array<QuadTemplate, kEffectQuadCount> t{};
    t[0] = Square(Plane::Ground, 0, 0, 128, 112);
    t[1] = Square(Plane::Ground, 128, 0, 256, 112);
    t[2] = Square(Plane::Ground, 0, 112, 128, 224);
    t[3] = Square(Plane::Ground, 128, 112, 256, 224);
    t[4] = Square(Plane::Upright, 0, 0, 64, 64);
    for (int k = 0; k < 5; ++k) {
        float l = 32.0f * static_cast<float>(k);
        t[5 + k] = Square(Plane::Upright, l, 128, l + 32, 160);
    }
    for (int k = 0; k < 6; ++k) {
        float l = 32.0f * static_cast<float>(k);
        t[10 + k] = Square(Plane::Ground, l, 224, l + 32, 256);
    }
    t[16] = Square(Plane::Ground, 480, 480, 512, 512);
    for (int k = 0; k < 6; ++k) {
        float l = 64.0f + 32.0f * static_cast<float>(k);
        t[17 + k] = QuadTemplate{Plane::Ground, -256.0f, 256.0f, 32.0f, -1024.0f, l,
                                 192.0f,        l + 32,  256.0f, kWhite};
    }
    t[23] = Square(Plane::Upright, 0, 64, 32, 96);
    t[24] = Square(Plane::Upright, 128, 128, 256, 256);
    t[25] = Square(Plane::Ground, 0, 64, 16, 112);
    t[26] = Square(Plane::Ground, 112, 64, 128, 112);
    t[27] = Square(Plane::Upright, 224, 96, 256, 160);
    t[28] = Square(Plane::Ground, 448, 480, 480, 512);
    t[29] = Square(Plane::Upright, 0, 0, 256, 256);
    for (int k = 0; k < 16; ++k) {
        float l = 64.0f * static_cast<float>(k % 4);
        float top = 64.0f * static_cast<float>(k / 4);
        t[30 + k] = QuadTemplate{Plane::Upright, -256.0f,  256.0f, 512.0f, 0.0f, l, top,
                                 l + 64,         top + 64, kWhite};
    }
    t[46] = Square(Plane::Upright, 0, 128, 64, 192);
    t[47] = Square(Plane::Upright, 0, 192, 64, 256);
    t[48] = Square(Plane::Ground, 0, 64, 16, 128, kDimGrey);
    t[49] = Square(Plane::Ground, 16, 64, 32, 128, kDimGrey);
    return t;
}

constexpr std::array<QuadTemplate, kEffectQuadCount> kTemplates = MakeTemplates();

EffectVertex Corner(const QuadTemplate& t, bool right, bool bottom) {
    EffectVertex v{};
    v.x = right ? t.x1 : t.x0;
    float along = bottom ? t.bottom : t.top;
    if (t.plane == Plane::Upright) {
        v.y = along;
    } else {
        v.z = along;
    }
    v.diffuse = t.color;
    // Half-texel inset on every side.
    v.u = right ? (t.right - 0.5f) / kSheet : (t.left + 0.5f) / kSheet;
    v.v = bottom ? (t.texBottom - 0.5f) / kSheet : (t.texTop + 0.5f) / kSheet;
    return v;
}

void BuildTemplates() {
    for (size_t i = 0; i < kTemplates.size(); ++i) {
        const QuadTemplate& t = kTemplates[i];
        EffectQuad& q = gEffectQuads[i];
        q.corners[0] = Corner(t, false, false);
        q.corners[1] = Corner(t, false, true);
        q.corners[2] = Corner(t, true, false);
        q.corners[3] = Corner(t, true, true);
    }
}

void BuildTrails() {
    for (auto& craft : gWingtipTrails) {
        for (WingtipTrail& trail : craft) {
            for (int k = 0; k < kWingtipPairs; ++k) {
                uint32_t g = static_cast<uint32_t>(255 - 28 * k);
                uint32_t color = 0xFF000000u | g << 16 | g << 8 | g;
                float v = (64.5f + 7.0f * static_cast<float>(k)) / kSheet;
                EffectVertex& a = trail.vertices[static_cast<size_t>(2 * k)];
                EffectVertex& b = trail.vertices[static_cast<size_t>(2 * k + 1)];
                a = EffectVertex{0.0f, 0.0f, 0.0f, color, 0.5f / kSheet, v};
                b = EffectVertex{0.0f, 0.0f, 0.0f, color, 31.5f / kSheet, v};
            }
        }
    }
}

void UpdateRings() {
    for (HitRing& ring : gHitRings) {
        ring.timer += 1;
        if (ring.timer >= 0) ring.size += 0.5f;
        if (ring.size >= 24.0f) {
            ring.size = 0.0f;
            ring.timer = -1;
        }
    }
}

void SetVertexPosition(EffectVertex* v, const gfx::Vec3& p) {
    v->x = p.x;
    v->y = p.y;
    v->z = p.z;
}

}  // namespace

void InitEffectQuads() {
    BuildTemplates();
    BuildTrails();
    if (gEffectPoolHooks.freePools) gEffectPoolHooks.freePools();
    for (HitRing& ring : gHitRings) {
        ring.phase = RandomUnit() * 128.0f;
        ring.size = 0.0f;
        ring.timer = -(RandomInt() % 48);
    }
}

void SetQuadColor(int number, gfx::Color color) {
    if (number < 0 || number >= kEffectQuadCount) return;
    for (EffectVertex& v : gEffectQuads[static_cast<size_t>(number)].corners) v.diffuse = color;
}

gfx::Vec3 CourseCarry() {
    if (!gCurrentStage || gCurrentStage->scrollOffset != 1) return gfx::Vec3{0.0f, 0.0f, 0.0f};
    gfx::Vec3 now, before;
    GetRailPoint(&now, 0.0f);
    GetRailPoint(&before, -gGameState.railSpeed);
    return gfx::Sub(now, before);
}

void UpdateEffects() {
    UpdateRings();
    gfx::Vec3 carry = CourseCarry();
    if (gEffectPoolHooks.updatePickups) gEffectPoolHooks.updatePickups(carry);
    if (gEffectPoolHooks.updateParticles) gEffectPoolHooks.updateParticles(carry);
    DrawWingtipTrails();
}

// The ribbons are only moved here: the world-objects pass draws them inside the frame.
void DrawWingtipTrails() {
    if (!gCurrentStage || gCurrentStage->windLine == 0 || !gEffectPoolHooks.craftPose) return;
    for (int slot = 0; slot < 2; ++slot) {
        CraftPose pose{};
        if (!gEffectPoolHooks.craftPose(slot, &pose)) continue;
        int craft = pose.craft >= 0 && pose.craft < 4 ? pose.craft : 0;
        const WingtipOffset& o = kWingtipOffsets[static_cast<size_t>(craft)];
        float k = pose.scale;
        for (int w = 0; w < 2; ++w) {
            float s = w == 0 ? 1.0f : -1.0f;
            auto& vertices =
                gWingtipTrails[static_cast<size_t>(slot)][static_cast<size_t>(w)].vertices;
            for (int pair = kWingtipPairs - 1; pair >= 1; --pair) {
                for (int e = 0; e < 2; ++e) {
                    EffectVertex& to = vertices[static_cast<size_t>(2 * pair + e)];
                    const EffectVertex& from = vertices[static_cast<size_t>(2 * pair - 2 + e)];
                    to.x = from.x;
                    to.y = from.y;
                    to.z = from.z;
                }
            }
            gfx::Vec3 outer{2.0f * s * o.a * k, 2.0f * o.b * k, o.c * k};
            gfx::Vec3 inner{2.0f * s * (o.a - 0.5f) * k, 2.0f * o.b * k, o.c * k};
            SetVertexPosition(&vertices[0],
                              gfx::Add(pose.position, gfx::TransformNormal(outer, pose.rotation)));
            SetVertexPosition(&vertices[1],
                              gfx::Add(pose.position, gfx::TransformNormal(inner, pose.rotation)));
        }
    }
}

void ResetEffectGlobals() {
    gEffectQuads = {};
    gHitRings = {};
    gWingtipTrails = {};
}

void SetEffectQuadStates(gfx::Device* d) {
    d->SetVertexShader(kEffectVertexFvf);
    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHAREF, 0);
    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR);
    d->LightEnable(0, false);
    d->SetRenderState(gfx::RS_LIGHTING, gfx::kFalse);
}
