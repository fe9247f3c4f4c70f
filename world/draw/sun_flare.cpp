#include "world/draw/sun_flare.h"

#include <cmath>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/texture_groups.h"
#include "world/stage/stage_index.h"

namespace {

constexpr uint32_t kFlareFvf = gfx::FVF_XYZ | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;
constexpr float kScreenCentreX = 320.0f;
constexpr float kScreenCentreY = 240.0f;
// A sun this far from the centre or farther has no flare.
constexpr float kFlareReach = 448.0f;

constexpr LensFlareState kInitialState = {
    320.0f, 160.0f, kScreenCentreX - 320.0f, kScreenCentreY - 160.0f, 0.0f, 0.0f, 0,
};

// Alpha blending on, first as usual, then additive.
void SetAdditiveSpriteStates(gfx::Device* d) {
    d->SetVertexShader(kFlareFvf);
    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
}

TexelRect SourceOf(const SunPictureArea& a) {
    return TexelRect{a.left, a.top, a.left + a.width, a.top + a.height};
}

// The sun seen in front of the camera at (x, y): the flare's direction, distance and
// brightness.
void MeasureSun(LensFlareState& s, float x, float y) {
    s.sunX = x;
    s.sunY = y;
    float dx = kScreenCentreX - x, dy = kScreenCentreY - y;
    s.directionX = dx;
    s.directionY = dy;
    if (dx != 0.0f || dy != 0.0f) {
        float length = std::sqrt(dx * dx + dy * dy);
        s.directionX = dx / length;
        s.directionY = dy / length;
        s.distance = length;
        s.brightness = 1.0f - length / kFlareReach;
        if (s.brightness < 0.0f) s.brightness = 0.0f;
    } else {
        // Exactly at the centre: no direction, full brightness (what the formula gives at
        // distance 0) rather than whatever an earlier frame left.
        s.distance = 0.0f;
        s.brightness = 1.0f;
    }
    s.measured = 1;
}

}  // namespace

LensFlareState gLensFlareState = kInitialState;

void ResetLensFlareState() {
    gLensFlareState = kInitialState;
}

void DrawSunAndMeasureFlare() {
    gfx::Device* d = Device3D();
    LensFlareState& s = gLensFlareState;
    s.measured = 0;
    if (!d || !gCurrentStage) return;
    const StageInfo& stage = *gCurrentStage;

    CaptureViewProjection();
    SetAdditiveSpriteStates(d);
    BindTexture(gPlayTextures.effectSun);

    const float* p = stage.sunPosition;
    if (stage.moon) {
        // A moon has no flare: only its sprite, and its place on the screen.
        ProjectedPoint at{};
        ProjectPoint(p[0], p[1], p[2], &at);
        if (at.depth < 0) {
            s.sunX = at.x;
            s.sunY = at.y;
            AddSpriteQuad(SpriteRect{at.x - 64.0f, at.y - 64.0f, 128.0f, 128.0f},
                          SourceOf(kMoonArea), gPlayTextures.effectSun, 0xFFFFFFFFu);
            FlushSprites();
        } else {
            s.brightness = 0.0f;
        }
    } else if (stage.sun) {
        ProjectedPoint at{};
        ProjectPoint(p[0], p[1], p[2], &at);
        if (at.depth < 0) {
            MeasureSun(s, at.x, at.y);
        } else {
            s.brightness = 0.0f;
        }
        if (s.brightness > 0.0f) {
            AddSpriteQuad(SpriteRect{s.sunX - 32.0f, s.sunY - 32.0f, 64.0f, 64.0f},
                          SourceOf(kSunArea), gPlayTextures.effectSun, 0xFFFFFFFFu);
        }
        FlushSprites();
    }

    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
}

void DrawLensFlare() {
    gfx::Device* d = Device3D();
    LensFlareState& s = gLensFlareState;
    // Only this frame's measurement counts.
    int32_t measured = s.measured;
    s.measured = 0;
    if (!d || !gCurrentStage) return;

    SetAdditiveSpriteStates(d);
    if (!gGameState.sunVisible || !(s.brightness > 0.0f) || !gCurrentStage->sun ||
        gCurrentStage->moon || !measured) {
        return;
    }

    BindTexture(gPlayTextures.effectSun);
    auto grey = static_cast<uint32_t>(static_cast<int32_t>(s.brightness * 255.0f)) & 0xFFu;
    gfx::Color color = 0xFF000000u | grey << 16 | grey << 8 | grey;
    for (const LensFlareElement& e : kLensFlareElements) {
        const SunPictureArea& a = kFlareShapes[static_cast<size_t>(e.shape)];
        TexelRect source{a.left, a.top, a.left + a.width - 1.0f, a.top + a.height - 1.0f};
        float cx = s.sunX + s.directionX * e.position * s.distance;
        float cy = s.sunY + s.directionY * e.position * s.distance;
        AddSpriteQuad(SpriteRect{cx - e.size / 2.0f, cy - e.size / 2.0f, e.size, e.size}, source,
                      gPlayTextures.effectSun, color);
    }
    FlushSprites();
}
