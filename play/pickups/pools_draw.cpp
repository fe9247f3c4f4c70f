#include "play/pickups/pools_draw.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/texture_groups.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_pool.h"
#include "play/shots/vec3_fields.h"
#include "world/draw/world_draw.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

namespace {

constexpr float kPi = gfx::kPi;
constexpr float kSheet = 256.0f;

gfx::Mat4 At(const float (&p)[3]) {
    return gfx::Translation(p[0], p[1], p[2]);
}

gfx::Mat4 Mul(const gfx::Mat4& a, const gfx::Mat4& b) {
    return gfx::Multiply(a, b);
}

gfx::Mat4 Billboard(const float (&p)[3], float size) {
    return BillboardWorld(p[0], p[1], p[2], size);
}

void DrawBillboard(int number, const float (&p)[3], float size) {
    DrawEffectQuad(number, Billboard(p, size));
}

// Rewrites the texel cell of a template of the 256 sheet.
void SetQuadCell(int number, float left, float top, float right, float bottom) {
    auto& c = gEffectQuads[static_cast<size_t>(number)].corners;
    float u0 = (left + 0.5f) / kSheet, u1 = (right - 0.5f) / kSheet;
    float v0 = (top + 0.5f) / kSheet, v1 = (bottom - 0.5f) / kSheet;
    c[0].u = u0, c[0].v = v0;
    c[1].u = u0, c[1].v = v1;
    c[2].u = u1, c[2].v = v0;
    c[3].u = u1, c[3].v = v1;
}

void Bind(const TextureHolder& holder) {
    BindTexture(holder);
}

// The inverse of a right-handed look-at from p toward `toward`, up = the camera eye - p:
// a template's long side (toward -z) then points along the line.
bool LookAlong(const gfx::Vec3& p, const gfx::Vec3& toward, gfx::Mat4* out) {
    gfx::Vec3 up = gfx::Sub(gGraphics.eye, p);
    gfx::Mat4 look = gfx::LookAtRH(p, toward, up);
    return gfx::Inverse(look, out);
}

void DrawShotModel(int mesh, const gfx::Mat4& world) {
    const StaticMesh& m = gObjectMeshes[static_cast<size_t>(mesh)];
    if (!m.mesh) return;
    Device3D()->SetTransform(gfx::TS_WORLD, world);
    DrawMeshSetByTexture(m);
}

// Pass 1: the shots drawn as models.
void DrawShotModels() {
    for (const Shot& s : gShotPool.shots) {
        gfx::Mat4 p = At(s.position);
        gfx::Mat4 small = gfx::Scaling(-0.4f, 0.4f, 0.4f);
        switch (s.kind) {
            case 2:
            case 16:
            case 21:
            case 22:
            case 23:
            case 27: {
                float k = s.kind == 23 ? 0.1f : (s.kind == 27 ? 0.08f : 0.15f);
                gfx::Mat4 w = Mul(Mul(Mul(gfx::Scaling(-k, k, k), gfx::RotationX(s.pitch)),
                                      gfx::RotationY(s.yaw + kPi)),
                                  p);
                DrawShotModel(0, w);
                break;
            }
            case 6:
            case 30:
                DrawShotModel(
                    s.kind == 6 ? 1 : 2,
                    Mul(Mul(small, gfx::RotationY(0.1f * static_cast<float>(s.timer))), p));
                break;
            case 34:
            case 33:
                DrawShotModel(s.kind == 34 ? 3 : 4, Mul(Mul(small, s.matrix), p));
                break;
            case 36: {
                gfx::Mat4 q = p;
                if (s.kindValueB > 0.0f) {
                    q = gfx::Translation(s.position[0] + s.spin[0], s.position[1] + s.spin[1],
                                         s.position[2] + s.spin[2]);
                }
                gfx::Mat4 w = Mul(
                    Mul(Mul(gfx::RotationZ(0.2f * static_cast<float>(s.timer)), small), s.matrix),
                    q);
                DrawShotModel(5, w);
                break;
            }
            case 37: {
                gfx::Mat4 w = Mul(Mul(Mul(Mul(gfx::RotationZ(s.yaw), gfx::RotationY(kPi)),
                                          gfx::Scaling(-0.2f, 0.2f, 0.2f)),
                                      s.matrix),
                                  p);
                DrawShotModel(6, w);
                break;
            }
            default:
                break;
        }
    }
}

void SetSpriteStates(gfx::Device* d) {
    SetEffectQuadStates(d);
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
}

// Pass 3: the coins narrow, stretch upward and brighten while they are collected.
void DrawCoins(gfx::Device* d) {
    Bind(gPlayTextures.coin);
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_ADD);
    for (const Pickup& coin : gPickupPool.pickups) {
        if (coin.kind < pickup_kind::kLarge || coin.kind > pickup_kind::kSmall) continue;
        int t = coin.timer;
        float a = 0.01f, b = 0.01f;
        int grey = 0;
        if (t > kCoinRiseTimer) {
            float over = static_cast<float>(t - kCoinRiseTimer);
            grey = static_cast<int>(over * 16.0f);
            a = 0.01f - over * 0.001f;
            b = 0.01f + over * 0.002f;
        }
        gfx::Mat4 w =
            Mul(Mul(gGameState.billboardMatrix, gfx::Scaling(0.6f * a, 0.6f * b, 0.6f * a)),
                At(coin.position));
        int f = (t / 2) % 6 + (coin.kind == pickup_kind::kMedium ? 6 : 0) +
                (coin.kind == pickup_kind::kSmall ? 12 : 0);
        float l = 48.0f * static_cast<float>(f % 5), top = 48.0f * static_cast<float>(f / 5);
        SetBillboardCell(l, top, l + 48.0f, top + 48.0f, kSheet, kSheet, 1.0f, grey);
        DrawEffectQuad(quad::kBillboard, w);
    }
}

// Pass 4: the opaque-sheet shots and sparks.
void DrawOpaqueSheet(gfx::Device* d) {
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    Bind(gPlayTextures.effectOpaque);
    for (const Shot& s : gShotPool.shots) {
        switch (s.kind) {
            case 1:
            case 24: {
                int number = s.kind == 1 ? quad::kTwinShot : quad::kTwinShotCraft1;
                gfx::Mat4 w =
                    Mul(Mul(Mul(gfx::RotationZ(kPi / 2.0f), gfx::Scaling(0.005f, 0.005f, 0.06f)),
                            s.matrix),
                        At(s.position));
                DrawEffectQuad(number, w);
                DrawEffectQuad(number, Mul(gfx::RotationZ(kPi / 2.0f), w));
                break;
            }
            case 7:
            case 8:
                DrawBillboard(quad::kShotRound, s.position, 0.02f);
                break;
            case 5: {
                float c = static_cast<float>((s.timer / 4) % 4);
                SetQuadCell(quad::kShot, 64.0f * c, 0.0f, 64.0f * c + 64.0f, 64.0f);
                DrawBillboard(quad::kShot, s.position, 0.02f);
                break;
            }
            default:
                break;
        }
    }
    for (size_t i = 0; i < gParticlePool.particles.size(); ++i) {
        const Particle& p = gParticlePool.particles[i];
        if ((p.kind == 3 || p.kind == 4) && p.age >= 0) {
            float f = static_cast<float>((p.variant / 4) % 3);
            float ua = (32.0f * f + 16.5f) / kSheet, ub = (32.0f * f + 47.5f) / kSheet;
            if (i % 2 == 0) std::swap(ua, ub);
            auto& c = gEffectQuads[quad::kBillboard].corners;
            float v0 = 64.5f / kSheet, v1 = 95.0f / kSheet;
            const float us[4] = {ua, ua, ub, ub};
            const float vs[4] = {v0, v1, v0, v1};
            for (int k = 0; k < 4; ++k) {
                c[static_cast<size_t>(k)].u = us[k];
                c[static_cast<size_t>(k)].v = vs[k];
                c[static_cast<size_t>(k)].diffuse = 0xFFFFFFFFu;
            }
            DrawBillboard(quad::kBillboard, p.position, 0.005f);
        } else if (p.kind == particle_kind::kWreckSpark) {
            DrawBillboard(quad::kParticleLarge, p.position, 0.012f);
        }
    }
}

// Passes 5 and 6: the villagers and the walking mascots.
void DrawFigures() {
    static constexpr int kVillagerCells[5] = {0, 4, 8, 9, 10};
    Bind(gPlayTextures.villager);
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind < particle_kind::kVillagerFirst || p.kind > particle_kind::kVillagerLast)
            continue;
        DrawBillboard(quad::kAnimatedFirst + kVillagerCells[p.kind - particle_kind::kVillagerFirst],
                      p.position, 0.025f);
    }
    Bind(gPlayTextures.walkingMascot);
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind != particle_kind::kBossDebris && p.kind != particle_kind::kWalker) continue;
        int f = (p.age / 4) % 3 + ((p.variant & 2) ? 4 : 0);
        float sx = (p.variant & 1) ? -0.0055f : 0.0055f;
        gfx::Mat4 w = Mul(Mul(gGameState.billboardMatrix, gfx::Scaling(sx, 0.0055f, 0.0055f)),
                          At(p.position));
        DrawEffectQuad(quad::kAnimatedFirst + f, w);
    }
}

struct GlowShot {
    int kind;
    int number;
    float size;
};
constexpr GlowShot kGlowShots[] = {
    {25, 7, 0.02f}, {9, 5, 0.01f},  {11, 47, 0.02f}, {38, 9, 0.05f}, {35, 9, 0.2f},
    {12, 5, 0.08f}, {13, 5, 0.08f}, {14, 5, 0.05f},  {15, 5, 0.09f}, {26, 5, 0.02f},
    {3, 5, 0.04f},  {20, 5, 0.04f}, {31, 5, 0.04f},  {17, 5, 0.02f}, {19, 5, 0.02f},
};

// Pass 7: additive shots, the flame, the gun glow and the beams.
void DrawShotGlow(gfx::Device* d) {
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kFalse);
    Bind(gPlayTextures.effectShot);
    for (const Shot& s : gShotPool.shots) {
        if (s.kind == shot_kind::kFree) continue;
        for (const GlowShot& g : kGlowShots) {
            if (g.kind != s.kind) continue;
            SetQuadColor(g.number, 0xFFFFFFFFu);
            DrawBillboard(g.number, s.position, g.size);
        }
        if (s.kind == shot_kind::kFlame) {
            float size = 0.01f * s.scale;
            gfx::Mat4 w = Mul(gfx::RotationZ(s.yaw), Billboard(s.position, size));
            float f = static_cast<float>(std::min(s.timer / 3, 7));
            int grey = 255;
            if (s.timer > 24) grey -= 16 * (s.timer - 24);
            grey /= 2;
            SetBillboardCell(32.0f * f, 0.0f, 32.0f * f + 32.0f, 32.0f, kSheet, kSheet, 0.5f, grey);
            DrawEffectQuad(quad::kBillboard, w);
        }
    }
    for (const Shot& s : gShotPool.shots) {
        if (s.kind != shot_kind::kTwin && s.kind != shot_kind::kTwinCraft1) continue;
        gfx::Mat4 w = Mul(Mul(gfx::Scaling(0.008f, 0.008f, 0.08f), s.matrix), At(s.position));
        DrawEffectQuad(s.kind == shot_kind::kTwin ? quad::kTwinGlow : quad::kTwinGlowCraft1, w);
    }
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind != particle_kind::kBeam) continue;
        gfx::Vec3 from = ToVec(p.position), to = ToVec(p.velocity);
        float r = std::min(0.2f * static_cast<float>(p.age) + 0.1f, 1.0f);
        float k = 0.005f * r * gfx::Length(gfx::Sub(to, from));
        gfx::Mat4 look;
        if (!LookAlong(from, to, &look)) continue;
        gfx::Mat4 w = Mul(gfx::Scaling(0.03f, 0.21f * k, 0.21f * k), look);
        int number = quad::kBeamFirst + ((p.age + 6) / 2) % 6;
        DrawEffectQuad(number, w);
        DrawEffectQuad(number, Mul(gfx::RotationZ(kPi / 2.0f), w));
    }
}

// Pass 8: the roll ring around its craft.
void DrawRollRings() {
    Bind(gPlayTextures.rollEffect);
    bool reflect = gGameState.shopBoosts[3] != 0;
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind != particle_kind::kRollRing || !p.source) continue;
        float age = static_cast<float>(p.age);
        float s = 0.002f * age * p.scale + 0.05f;
        if (reflect) s *= 1.3f;
        float sx = p.source->rollDirection == -1 ? s : -s;
        gfx::Mat4 w = Mul(Mul(Mul(gfx::RotationZ(0.3f * age), gfx::Scaling(sx, s, s)),
                              gGameState.billboardMatrix),
                          At(p.position));
        int grey = 255;
        if (p.age > 8) grey -= static_cast<int>(16.0f * (age - 8.0f));
        SetQuadColor(quad::kWholeSheet, GreyColor(grey));
        DrawEffectQuad(quad::kWholeSheet, w);
        if (reflect) DrawEffectQuad(quad::kWholeSheet, w);
    }
}

// Pass 9: the billboard enemies of types 56 and 57.
void DrawBoardEnemies() {
    BindTexture(gPlayTextures.enemyBoard);
    for (const Enemy& e : gEnemyPool) {
        if (e.state == EnemyState::Free || e.spawnDelay > 0) continue;
        if (e.type != 56 && e.type != 57) continue;
        int segment = std::clamp(e.segment, 0, kMapSegments - 1);
        const float* o = gGameState.segmentOffset[segment];
        float p[3] = {e.basePosition.x + o[0], e.basePosition.y + o[1], e.basePosition.z + o[2]};
        float c = static_cast<float>((e.age / 4) % 4);
        float row = e.type == 56 ? 1.0f : 0.0f;
        SetBillboardCell(64.0f * c, 64.0f * row, 64.0f * c + 64.0f, 64.0f * row + 64.0f, 256.0f,
                         128.0f, 1.0f, 255);
        DrawBillboard(quad::kBillboard, p, 0.1f);
    }
}

// A streak along the particle's motion, fading after age 8.
void DrawStreak(const Particle& p, int number, const gfx::Mat4& scaling, int grey) {
    gfx::Vec3 from = ToVec(p.position);
    gfx::Mat4 look;
    if (!LookAlong(from, gfx::Add(from, ToVec(p.velocity)), &look)) return;
    SetQuadColor(number, GreyColor(grey));
    DrawEffectQuad(number, Mul(scaling, look));
}

void DrawSheetCell(const Particle& p, float size, float angle, float left, float top, int grey) {
    SetBillboardCell(left, top, left + 32.0f, top + 32.0f, kSheet, kSheet, 0.5f, grey);
    gfx::Mat4 w = Billboard(p.position, size);
    if (angle != 0.0f) w = Mul(gfx::RotationZ(angle), w);
    DrawEffectQuad(quad::kBillboard, w);
}

int FadeAfter(int age, int from, int step) {
    return age > from ? step * (age - from) : 0;
}

// Pass 10: the glowing particles and the wingtip ribbons.
void DrawGlowParticles(gfx::Device* d) {
    Bind(gPlayTextures.effect);
    for (const Particle& p : gParticlePool.particles) {
        float k = p.scale;
        switch (p.kind) {
            case 1:
            case 5: {
                float a = 0.02f - 0.001f * static_cast<float>(std::max(p.age - 8, 0));
                int grey = 255 - FadeAfter(p.age, 8, 32);
                if (a <= 0.0f || grey < 0) break;
                if (p.kind == 1) {
                    float y = 0.04725f * k;
                    DrawStreak(p, quad::kParticleFirst, gfx::Scaling(0.294f * k * a, y, 2.0f * y),
                               grey);
                } else {
                    DrawStreak(p, quad::kParticleTall,
                               gfx::Scaling(0.001f * k, 0.005f * k, 0.005f * k), grey);
                }
                break;
            }
            case 19: {
                float f = static_cast<float>(std::min(p.age / 3, 7));
                DrawSheetCell(p, 0.01f * k, 0.0f, 32.0f * f, 224.0f,
                              (255 - FadeAfter(p.age, 24, 16)) / 2);
                break;
            }
            case 10: {
                int number = quad::kParticleFirst + std::clamp(p.variant, 0, 4);
                SetQuadColor(number, GreyColor(255 - FadeAfter(p.age, 48, 16)));
                DrawBillboard(number, p.position, 0.008f * k);
                break;
            }
            case 33: {
                float c = static_cast<float>((p.age / 2) % 2);
                auto& q = gEffectQuads[quad::kBillboard].corners;
                float u0 = (128.0f * c + 0.5f) / 512.0f, u1 = (128.0f * c + 127.5f) / 512.0f;
                float v0 = 0.25f / kSheet, v1 = 63.75f / kSheet;
                const float us[4] = {u0, u0, u1, u1};
                const float vs[4] = {v0, v1, v0, v1};
                for (int i = 0; i < 4; ++i) {
                    q[static_cast<size_t>(i)].u = us[i];
                    q[static_cast<size_t>(i)].v = vs[i];
                    q[static_cast<size_t>(i)].diffuse = 0xFFFFFFFFu;
                }
                DrawBillboard(quad::kBillboard, p.position, 0.02f * k);
                break;
            }
            case 34: {
                float f = static_cast<float>(std::min(p.age / 2, 7));
                DrawSheetCell(p, 0.02f * k, p.angles[2], 32.0f * f, 224.0f,
                              255 - FadeAfter(p.age, 16, 32));
                break;
            }
            case 6:
            case 7: {
                float f = static_cast<float>(std::min(p.age / 3, 7));
                DrawSheetCell(p, 0.02f * k, 0.1f * static_cast<float>(p.age), 32.0f * f,
                              p.kind == 6 ? 224.0f : 192.0f, 255 - FadeAfter(p.age, 24, 16));
                break;
            }
            case 28:
            case 35:
            case 2: {
                int grey = p.kind == 2 ? 128 - 8 * p.age : 128 - FadeAfter(p.age, 32, 8);
                if (grey < 0) break;
                SetQuadColor(quad::kParticleFirst, GreyColor(grey));
                DrawBillboard(quad::kParticleFirst, p.position, p.kind == 35 ? 0.04f : 0.02f);
                break;
            }
            default:
                break;
        }
    }
    if (gCurrentStage && gCurrentStage->windLine != 0) {
        d->SetTransform(gfx::TS_WORLD, gfx::Identity());
        for (const auto& craft : gWingtipTrails) {
            for (const WingtipTrail& trail : craft) {
                d->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2 * kWingtipPairs - 2,
                                   trail.vertices.data(), sizeof(EffectVertex));
            }
        }
    }
}

// Passes 11 and 12: smoke lightens, dark smoke darkens the frame.
void DrawSmoke(gfx::Device* d) {
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCCOLOR);
    auto puff = [](const Particle& p, float angle, bool quarter) {
        float size = (0.00125f * static_cast<float>(p.age) + 0.01f) * p.scale;
        float f = static_cast<float>(std::min(p.age / 3, 7));
        int grey = 255 - FadeAfter(p.age, 24, 16);
        if (quarter) grey /= 4;
        DrawSheetCell(p, size, angle, 32.0f * f, 160.0f, grey);
    };
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind == 9 || p.kind == 17) puff(p, p.angles[2], true);
        if (p.kind == 20) puff(p, p.angles[2], false);
        if (p.kind == 15) puff(p, 0.05f * static_cast<float>(p.age), true);
    }
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ZERO);
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind == 8 || p.kind == 18) puff(p, p.angles[2], true);
    }
}

}  // namespace

void DrawPoolObjects() {
    gfx::Device* d = Device3D();
    if (!d) return;
    DrawShotModels();
    SetSpriteStates(d);
    DrawCoins(d);
    DrawOpaqueSheet(d);
    DrawFigures();
    DrawShotGlow(d);
    DrawRollRings();
    DrawBoardEnemies();
    DrawGlowParticles(d);
    DrawSmoke(d);
}

void DrawEightWayFigures() {
    gfx::Device* d = Device3D();
    if (!d) return;
    SetEffectQuadStates(d);
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    BindTexture(gPlayTextures.walkingFigure);
    static constexpr int kDirectionFrames[8] = {0, 8, 16, 24, 3, 11, 19, 27};
    int direction = static_cast<int>(8.0f * gGraphics.heading / (2.0f * kPi) + 8.0f) & 7;
    float lift = gGameState.segmentOffset[0][1];
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind != particle_kind::kFigure) continue;
        gfx::Mat4 w = BillboardWorld(p.position[0], p.position[1] + lift, p.position[2], 0.04f);
        int f = (p.age / 4) % 3 + kDirectionFrames[direction];
        float l = 64.0f * static_cast<float>(f % 8), t = 64.0f * static_cast<float>(f / 8);
        SetBillboardCell(l, t, l + 64.0f, t + 64.0f, 512.0f, 256.0f, 1.0f, 255);
        DrawEffectQuad(quad::kBillboard, w);
    }
}
