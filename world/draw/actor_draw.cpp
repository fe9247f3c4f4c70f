#include "world/draw/actor_draw.h"

#include <algorithm>
#include <cmath>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/graphics/texture_groups.h"
#include "engine/models/skinned_model.h"
#include "world/course/collision.h"
#include "world/draw/form_sprite.h"
#include "world/draw/world_draw.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

ActorDrawSources gActorDrawSources;

namespace {

constexpr int kColorOpModulate2x = 2;
constexpr int kColorOpAddSmooth = 6;
constexpr int kSpriteEnemyModel = 46;
constexpr int kAdditiveEnemyModel = 26;

// The four lights of one frame, from the stage.
struct ActorLights {
    gfx::Light stage, shaded, overheat, shadedOverheat;
};

gfx::Light DirectionalLight(const StageInfo& s, float diffuseScale,
                            const gfx::ColorValue& ambient) {
    gfx::Light l{};
    l.type = gfx::LIGHT_DIRECTIONAL;
    l.diffuse = gfx::ColorValue{s.lightColor[0] * diffuseScale, s.lightColor[1] * diffuseScale,
                                s.lightColor[2] * diffuseScale, 0.0f};
    l.ambient = ambient;
    l.direction[0] = s.lightDirection[0];
    l.direction[1] = s.lightDirection[1];
    l.direction[2] = s.lightDirection[2];
    return l;
}

ActorLights BuildLights(const StageInfo& s) {
    const float* a = s.lightAmbient;
    ActorLights l;
    l.stage = DirectionalLight(s, 1.0f, gfx::ColorValue{a[0], a[1], a[2], 0.0f});
    l.shaded = DirectionalLight(s, 0.5f, gfx::ColorValue{a[0] / 2, a[1] / 2, a[2] / 2, 0.0f});
    l.overheat =
        DirectionalLight(s, 1.0f, gfx::ColorValue{std::min(a[0] + 0.5f, 1.0f), a[1], a[2], 0.0f});
    l.shadedOverheat = DirectionalLight(
        s, 0.5f, gfx::ColorValue{std::min(a[0] / 2 + 0.25f, 1.0f), a[1] / 2, a[2] / 2, 0.0f});
    return l;
}

gfx::Color Grey(int32_t level) {
    auto g = static_cast<uint32_t>(level);
    return 0xFF000000u | g << 16 | g << 8 | g;
}

// Distance fraction to the course straight below, within 1000 units.
bool GroundBelow(const gfx::Vec3& p, float* t) {
    return RaycastCourse(p.x, p.y, p.z, 0.0f, -1000.0f, 0.0f, t) != 0;
}

// One shadow template in its grey, with the world transform in force.
void DrawShadowTemplate(gfx::Device* d, int quadTemplate, int32_t grey) {
    if (quadTemplate < 0 || quadTemplate >= kEffectQuadCount) return;
    SetQuadColor(quadTemplate, Grey(grey));
    const EffectQuad& q = gEffectQuads[static_cast<size_t>(quadTemplate)];
    d->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, q.corners.data(), sizeof(EffectVertex));
}

int32_t PlayerCount() {
    return gGameState.playerCount == 2 ? 2 : 1;
}

bool ReadCraft(int i, CraftDrawView* v) {
    return gActorDrawSources.craft && gActorDrawSources.craft(i, v);
}

bool ReadEnemy(int slot, EnemyDrawView* v) {
    return gActorDrawSources.enemy && gActorDrawSources.enemy(slot, v) && v->state != 0 &&
           v->spawnDelay <= 0;
}

void SetShadowStates(gfx::Device* d) {
    d->SetTexture(0, gPlayTextures.shade.texture);
    SetEffectQuadStates(d);
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_ADD);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ZERO);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_SRCCOLOR);
}

void DrawCraftShadows(gfx::Device* d) {
    for (int i = 0; i < PlayerCount(); ++i) {
        CraftDrawView c;
        if (!ReadCraft(i, &c)) continue;
        float t;
        if (!GroundBelow(c.position, &t)) continue;
        float s = ShadowScale(t);
        gfx::Mat4 world =
            gfx::Multiply(gfx::Multiply(c.rotation, gfx::Scaling(s, s, s)),
                          gfx::Translation(c.position.x, c.position.y - 1000.0f * t, c.position.z));
        d->SetTransform(gfx::TS_WORLD, world);
        DrawShadowTemplate(d, quad::kCraftShadowFirst + std::clamp(c.craft, 0, 3),
                           CraftShadowGrey(t));
    }
}

void DrawEnemyShadows(gfx::Device* d) {
    for (int slot = 0; slot < kActorEnemySlots; ++slot) {
        EnemyDrawView e;
        if (!ReadEnemy(slot, &e)) continue;
        if (e.shadowWidth == 0.0f || e.shadowKind == 2) continue;
        float t;
        if (!GroundBelow(e.base, &t)) continue;
        float s = ShadowScale(t);
        gfx::Mat4 world = gfx::Multiply(
            gfx::Multiply(gfx::Scaling(s * e.shadowWidth, s, s * e.shadowDepth), e.rotation),
            gfx::Translation(e.base.x, e.base.y - 1000.0f * t, e.base.z));
        d->SetTransform(gfx::TS_WORLD, world);
        DrawShadowTemplate(d, e.shadowKind == 0 ? quad::kEnemyShadowA : quad::kEnemyShadowB,
                           EnemyShadowGrey(t));
    }
}

void DrawCoinShadows(gfx::Device* d) {
    if (!gActorDrawSources.pickup) return;
    for (int slot = 0; slot < kActorPickupSlots; ++slot) {
        PickupDrawView p;
        if (!gActorDrawSources.pickup(slot, &p)) continue;
        if (p.kind < 1 || p.kind > 3 || !(p.shadowHeight < p.position.y)) continue;
        float h = p.position.y - p.shadowHeight;
        float s = 0.02f - 0.0001f * h;
        if (s < 0.0f) continue;
        int32_t frame = ((p.timer / 2) % 6 + 6) % 6;
        int32_t grey = std::clamp(static_cast<int32_t>(0.5f * h + 16.0f), 0, 255);
        gfx::Mat4 world =
            gfx::Multiply(gfx::Multiply(gGameState.billboardMatrix, gfx::Scaling(s, s, s)),
                          gfx::Translation(p.position.x, p.shadowHeight, p.position.z));
        d->SetTransform(gfx::TS_WORLD, world);
        DrawShadowTemplate(d, quad::kCoinShadowFirst + frame, grey);
    }
}

// The craft models; records which crafts the sun does not reach.
void DrawCraftModels(gfx::Device* d, const StageInfo& stage, const ActorLights& lights,
                     bool shaded[2]) {
    for (int i = 0; i < PlayerCount(); ++i) {
        CraftDrawView c;
        if (!ReadCraft(i, &c)) continue;
        if (c.state == 4 && c.stateTicks > 60) continue;
        int craft = std::clamp(c.craft, 0, kCraftModelCount - 1);
        SkinnedModel* model = &gCraftModels[craft];
        SetModelTranslation(model, gfx::Translation(c.position.x, c.position.y, c.position.z));
        bool locked = c.overheatLock > 0;
        if (stage.sun) {
            float t;
            const float* sun = stage.sunPosition;
            if (RaycastCourse(c.position.x, c.position.y, c.position.z, sun[0] - c.position.x,
                              sun[1] - c.position.y, sun[2] - c.position.z, &t)) {
                shaded[i] = true;
                d->SetLight(0, locked ? lights.shadedOverheat : lights.shaded);
            } else {
                d->SetLight(0, locked ? lights.overheat : lights.stage);
            }
        } else {
            // Without a sun the stage light is set here rather than left from before.
            d->SetLight(0, lights.stage);
        }
        SetStageColorOp(c.hitFlash != 0 ? kColorOpAddSmooth : kColorOpModulate2x);
        float k = 0.2f * c.scale;
        SetModelRotation(model, gfx::Multiply(gfx::Scaling(-k, k, k), c.rotation));
        uint32_t times[kModelTimeSlots] = {};
        if (c.animation) {
            for (int s = 0; s < kModelTimeSlots && s < kActorAnimationSlots; ++s) {
                times[s] = static_cast<uint32_t>(c.animation[s]);
            }
        }
        AdvanceModelAnimation(model, times);
        RenderModel(model);
    }
}

void DrawRiders(gfx::Device* d, const ActorLights& lights, const bool shaded[2]) {
    static constexpr float kSize[4] = {1.0f, 0.9f, 0.85f, 0.8f};
    static constexpr float kHeight[4] = {0.0f, -15.0f, -10.0f, -5.0f};
    for (int i = 0; i < PlayerCount(); ++i) {
        CraftDrawView c;
        if (!ReadCraft(i, &c)) continue;
        if (c.state == 4 && c.stateTicks > 60) continue;
        int craft = std::clamp(c.craft, 0, 3);
        d->SetLight(0, shaded[i] ? lights.shaded : lights.stage);
        float k = 0.05f * kSize[craft];
        gfx::Mat4 world = gfx::Multiply(
            gfx::Multiply(
                gfx::Multiply(gfx::RotationYawPitchRoll(-c.spriteYaw, 0.0f, 0.0f), c.rotation),
                gfx::Scaling(k, k, k)),
            gfx::Translation(c.position.x, c.position.y + 0.1f * kHeight[craft], c.position.z));
        DrawFormSprite(craft, (c.spriteCounter / 4 % 3 + 3) % 3, world, c.spriteYaw, c.spritePitch);
    }
}

float ViewAngle(float yaw) {
    float a = gfx::kPi - yaw + gGraphics.heading;
    if (!std::isfinite(a)) return 0.0f;
    while (a < -gfx::kPi) a += 2.0f * gfx::kPi;
    while (a > gfx::kPi) a -= 2.0f * gfx::kPi;
    return a;
}

void DrawSpriteEnemies() {
    for (int slot = 0; slot < kActorEnemySlots; ++slot) {
        EnemyDrawView e;
        if (!ReadEnemy(slot, &e) || e.model != kSpriteEnemyModel) continue;
        gfx::Mat4 world = gfx::Multiply(
            gfx::Multiply(gfx::Multiply(gfx::RotationYawPitchRoll(-e.yaw, 0.0f, 0.0f), e.rotation),
                          gfx::Scaling(0.04f, 0.04f, 0.04f)),
            gfx::Translation(e.base.x, e.base.y - 0.5f, e.base.z));
        DrawFormSprite(3, 0, world, ViewAngle(e.yaw), 0.0f);
    }
}

gfx::Vec3 EnemyPoint(const EnemyDrawView& e) {
    gfx::Vec3 p = e.base;
    if (e.onSegment && e.segment >= 0 && e.segment < kMapSegments) {
        const float* o = gGameState.segmentOffset[e.segment];
        p = gfx::Vec3{p.x + o[0], p.y + o[1], p.z + o[2]};
    }
    return p;
}

void DrawEnemyModels(gfx::Device* d) {
    for (int slot = 0; slot < kActorEnemySlots; ++slot) {
        EnemyDrawView e;
        if (!ReadEnemy(slot, &e)) continue;
        gfx::Vec3 p = EnemyPoint(e);
        if (!e.alwaysDrawn) {
            if (!IsPointOnScreen(p.x, p.y, p.z, 50.0f)) continue;
            ProjectedPoint projected;
            ProjectPoint(p.x, p.y, p.z, &projected);
            if (projected.depth < -1000) continue;
        }
        SetStageColorOp(e.hitFlash != 0 ? kColorOpAddSmooth : kColorOpModulate2x);
        if (e.model < 0 || e.model >= kEnemyModelSlots) continue;
        SkinnedModel* model = &gEnemyModels[static_cast<size_t>(e.model)];
        SetModelTranslation(model, gfx::Translation(p.x, p.y + e.drawOffsetY, p.z));
        float k = 0.16f * e.modelScale;
        SetModelRotation(model, gfx::Multiply(gfx::Scaling(-k, k, k), e.rotation));
        uint32_t times[kModelTimeSlots];
        std::fill(std::begin(times), std::end(times), static_cast<uint32_t>(e.animationCounter));
        AdvanceModelAnimation(model, times);
        if (e.model == kAdditiveEnemyModel) {
            d->LightEnable(0, false);
            d->SetRenderState(gfx::RS_LIGHTING, gfx::kFalse);
            d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
            d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
            RenderModel(model);
            // Back to the blend of the other actors.
            d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
            d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
            d->LightEnable(0, true);
            d->SetRenderState(gfx::RS_LIGHTING, gfx::kTrue);
        } else {
            RenderModel(model);
        }
    }
}

float MarkerDrop(int model) {
    switch (model) {
        case 0:
            return 1.3f;
        case 1:
            return 1.5f;
        case 2:
            return 1.4f;
        case 3:
            return 1.5f;
        case 8:
            return 1.5f;
        case 9:
            return 1.3f;
        default:
            return -1.0f;
    }
}

void DrawMarkers(gfx::Device* d) {
    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    d->SetVertexShader(kLitSpriteFvf);
    d->SetTexture(0, gFormTextures[5].texture);
    static constexpr LitSpriteVertex kCorners[4] = {
        {32.0f, 128.0f, 0.0f, -1.0f, 1.0f, -1.0f, 0xFF7F7F7Fu, 0.0f, 0.0f},
        {32.0f, 64.0f, 0.0f, -1.0f, -1.0f, -1.0f, 0xFF7F7F7Fu, 0.0f, 0.0f},
        {-32.0f, 64.0f, 0.0f, 1.0f, -1.0f, -1.0f, 0xFF7F7F7Fu, 0.0f, 0.0f},
        {-32.0f, 128.0f, 0.0f, 1.0f, 1.0f, -1.0f, 0xFF7F7F7Fu, 0.0f, 0.0f},
    };
    for (int slot = 0; slot < kActorEnemySlots; ++slot) {
        EnemyDrawView e;
        if (!ReadEnemy(slot, &e) || e.state != 1) continue;
        float drop = MarkerDrop(e.model);
        if (drop < 0.0f) continue;
        gfx::Mat4 world = gfx::Multiply(
            gfx::Multiply(
                gfx::Multiply(gfx::Multiply(gGameState.billboardYaw,
                                            gfx::RotationYawPitchRoll(-e.yaw, 0.0f, 0.0f)),
                              e.rotation),
                gfx::Scaling(0.05f, 0.05f, 0.05f)),
            gfx::Translation(e.base.x, e.base.y - drop, e.base.z));
        d->SetTransform(gfx::TS_WORLD, world);

        bool mirrored;
        int32_t cell = MarkerCell(ViewAngle(e.yaw), &mirrored);
        float left = 64.0f * static_cast<float>(cell % 4);
        float top = 64.0f * static_cast<float>(cell / 4);
        LitSpriteVertex v[4];
        std::copy(std::begin(kCorners), std::end(kCorners), v);
        float uNear = (left + 64.0f) / 256.0f;
        float uFar = left / 256.0f;
        if (mirrored) std::swap(uNear, uFar);
        v[0].u = v[1].u = uNear;
        v[2].u = v[3].u = uFar;
        v[0].v = v[3].v = top / 256.0f;
        v[1].v = v[2].v = (top + 64.0f) / 256.0f;
        const LitSpriteVertex list[6] = {v[0], v[1], v[2], v[3], v[0], v[2]};
        d->DrawPrimitiveUP(gfx::PT_TRIANGLELIST, 2, list, sizeof(LitSpriteVertex));
    }
}

}  // namespace

float ShadowScale(float t) {
    float s = 0.046f - 0.1f * t;
    if (s > 0.045f) s = 0.045f;
    if (s < 0.025f) s = 0.025f;
    return s;
}

int32_t CraftShadowGrey(float t) {
    return std::clamp(static_cast<int32_t>(t * 2000.0f), 0, 255);
}

int32_t EnemyShadowGrey(float t) {
    return std::clamp(static_cast<int32_t>(t * 1200.0f), 64, 120);
}

int32_t MarkerCell(float angle, bool* mirrored) {
    static constexpr int32_t kCell[8] = {12, 9, 6, 3, 0, 3, 6, 9};
    static constexpr bool kMirrored[8] = {false, true, true, true, false, false, false, false};
    int d =
        static_cast<int>((angle + gfx::kPi / 8.0f + 2.0f * gfx::kPi) * 8.0f / (2.0f * gfx::kPi)) &
        7;
    *mirrored = kMirrored[d];
    return kCell[d];
}

void DrawActors() {
    gfx::Device* d = Device3D();
    if (!d || !gCurrentStage) return;
    const StageInfo& stage = *gCurrentStage;

    SetShadowStates(d);
    DrawCraftShadows(d);
    DrawEnemyShadows(d);
    DrawCoinShadows(d);

    d->SetRenderState(gfx::RS_ZENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kTrue);
    ActorLights lights = BuildLights(stage);
    SetActorRenderStates();
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_LINEAR);
    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);

    bool shaded[2] = {false, false};
    DrawCraftModels(d, stage, lights, shaded);

    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_POINT);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_POINT);
    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    d->SetVertexShader(kLitSpriteFvf);
    DrawRiders(d, lights, shaded);
    DrawSpriteEnemies();
    DrawEightWaySprites();

    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_FOGCOLOR,
                      gGameState.scene == SceneId::Play ? StageFogColor(stage) : 0xFF000000u);
    d->SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_NONE);
    d->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
    d->SetRenderStateF(gfx::RS_FOGSTART, 2700.0f);
    d->SetRenderStateF(gfx::RS_FOGEND, 2900.0f);
    d->SetLight(0, lights.stage);
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_LINEAR);
    DrawEnemyModels(d);

    DrawMarkers(d);
    SetStageColorOp(kColorOpModulate2x);
}
