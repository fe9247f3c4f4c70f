#include "play/display/play_display.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/overlay/overlays.h"
#include "play/craft/craft.h"
#include "play/craft/weapons.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "world/effects/effects.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr gfx::Color kWhite = 0xFFFFFFFFu;
constexpr gfx::Color kBlackOpaque = 0xFF000000u;
constexpr int32_t kWeaponCells = 12;  // icon cells of the weapon pictures, four a row
constexpr int32_t kSmokeCells = 8;    // smoke cells in a row of "bmp/effect.bmp"

gfx::Device* gDevice = nullptr;  // the device of the frame being drawn

void SetColorOp(uint32_t op) {
    gDevice->SetTextureStageState(0, gfx::TSS_COLOROP, op);
}
void SetFilter(uint32_t filter) {
    gDevice->SetTextureStageState(0, gfx::TSS_MINFILTER, filter);
    gDevice->SetTextureStageState(0, gfx::TSS_MAGFILTER, filter);
}
void SetBlend(uint32_t source, uint32_t destination) {
    gDevice->SetRenderState(gfx::RS_SRCBLEND, source);
    gDevice->SetRenderState(gfx::RS_DESTBLEND, destination);
}

gfx::Color WithAlpha(uint32_t alpha, gfx::Color rgb = 0xFFFFFF) {
    return std::min(alpha, 255u) << 24 | (rgb & 0xFFFFFFu);
}
// A shown life or heat within a range that whole-number conversion can hold (the gauges
// stay far inside it).
float ClampGauge(float value) {
    return value > -4096.0f && value < 4096.0f ? value : 0.0f;
}
uint32_t ClampAlpha(float value) {
    if (!(value > 0.0f)) return 0;
    return value >= 255.0f ? 255u : static_cast<uint32_t>(value);
}

void Quad(const TextureHolder& picture, float x, float y, float w, float h, TexelRect source,
          gfx::Color color) {
    AddSpriteQuad(SpriteRect{x, y, w, h}, source, picture, color);
}

// A 64 x 64 cell (or 128 x 128 in the big pictures) of a four-a-row weapon picture.
TexelRect WeaponCell(int32_t cell, float size) {
    float left = static_cast<float>(cell % 4) * size, top = static_cast<float>(cell / 4) * size;
    return TexelRect{left, top, left + size, top + size};
}
bool IsWeaponCell(int32_t cell) {
    return cell >= 0 && cell < kWeaponCells;
}

// Four corners drawn as one triangle strip around (cx, cy): corner k at angle
// angle + order_k x pi / 2 and distance radius, with its texture coordinate.
struct StripCorner {
    float x, y, u, v;
};
void DrawStrip(const std::array<StripCorner, 4>& corners, gfx::Color color) {
    std::array<SpriteVertex, 4> v{};
    for (size_t k = 0; k < 4; ++k) {
        v[k] = SpriteVertex{corners[k].x, corners[k].y, 0.0f, 1.0f, color, 0,
                            corners[k].u, corners[k].v};
    }
    gDevice->SetVertexShader(kSpriteFvf);
    gDevice->DrawPrimitiveUP(gfx::PT_TRIANGLESTRIP, 2, v.data(), sizeof(SpriteVertex));
}
constexpr std::array<int, 4> kCornerOrder = {0, 1, 3, 2};
void DrawTurnedSquare(float cx, float cy, float angle, float radius,
                      const std::array<std::array<float, 2>, 4>& uv, gfx::Color color) {
    std::array<StripCorner, 4> c{};
    for (size_t k = 0; k < 4; ++k) {
        float b = angle + static_cast<float>(kCornerOrder[k]) * kPi / 2.0f;
        c[k] = {cx - std::sin(b) * radius, cy - std::cos(b) * radius, uv[k][0], uv[k][1]};
    }
    DrawStrip(c, color);
}

const Enemy* LiveEnemy(int32_t index) {
    if (index < 0 || index >= kEnemyPoolSize) return nullptr;
    const Enemy& e = gEnemyPool[static_cast<size_t>(index)];
    return e.state == EnemyState::Active ? &e : nullptr;
}
int32_t LockPointCount(const Enemy& e) {
    const EnemyType* type = EnemyTypeOf(e);
    if (!type) return 0;
    return std::clamp(type->pointCount, 0, kEnemyPointCount);
}
bool Project(const gfx::Vec3& p, ProjectedPoint* out) {
    ProjectPoint(p.x, p.y, p.z, out);
    return out->depth < 0;
}
// The enemy's marked attachment point; its centre when the mark is not a point of the type.
gfx::Vec3 MarkedPoint(const Enemy& e) {
    if (e.markerPoint >= 0 && e.markerPoint < LockPointCount(e))
        return e.points[static_cast<size_t>(e.markerPoint)];
    return e.centre;
}

int32_t PlayersInPlay() {
    return std::clamp(gGameState.playerCount, 0, kPlayers);
}

// 2. Lock markers.
void DrawLockMarkers(const TextureHolder& gauge) {
    for (const Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || e.spawnDelay > 0) continue;
        int32_t points = LockPointCount(e);
        for (int32_t a = 0; a < points; ++a) {
            auto slot = static_cast<size_t>(a);
            int32_t countdown = e.lockCountdowns[slot];
            int32_t owner = e.lockOwners[slot];
            if (countdown == 0 || owner < 0 || owner >= kPlayers) continue;
            ProjectedPoint p{};
            if (!Project(e.points[slot], &p)) continue;
            LockMarkerLook look = LockMarkerLookOf(e.lockAges[slot]);
            TexelRect source = owner == 0 ? (countdown == -1 ? TexelRect{320, 0, 384.5f, 64.5f}
                                                             : TexelRect{256, 0, 320.5f, 64.5f})
                                          : (countdown == -1 ? TexelRect{448, 128, 512.5f, 192.5f}
                                                             : TexelRect{384, 128, 448.5f, 192.5f});
            Quad(gauge, p.x - look.size / 2.0f, p.y - look.size / 2.0f, look.size, look.size,
                 source, WithAlpha(look.alpha));
        }
    }
}

// 3. Target markers.
void DrawTargetMarkers(const TextureHolder& gauge) {
    for (const Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || e.markerCountdown == 0) continue;
        ProjectedPoint p{};
        if (!Project(MarkedPoint(e), &p)) continue;
        float passed = 60.0f - static_cast<float>(e.markerCountdown);
        float size = std::max(256.0f - 16.0f * passed, 64.0f);
        Quad(gauge, p.x - size / 2.0f, p.y - size / 2.0f, 2.0f * size, size,
             TexelRect{320, 64, 448.5f, 128.5f}, WithAlpha(ClampAlpha(16.0f * passed)));
    }
}

// 4. The lock-on flashes around player 1's craft.
void DrawCraftFlashes(const TextureHolder& gauge) {
    const PlayerCraft& c = gPlayerCrafts[0];
    for (const Particle& q : gParticlePool.particles) {
        if (q.kind != particle_kind::kMarker) continue;
        ProjectedPoint p{};
        ProjectPoint(c.position.x + 1.0f, c.position.y + 3.0f, c.position.z, &p);
        float size =
            q.age < 10 ? std::sin(static_cast<float>(q.age) * 2.1991148f / 10.0f) * 96.0f : 64.0f;
        Quad(gauge, p.x - 0.78f * size, p.y - 0.78f * size, size, size,
             TexelRect{320, 128, 384, 192}, kWhite);
    }
}

// 5. Reticles.
void DrawReticles(const TextureHolder& gauge) {
    constexpr std::array<std::array<float, 2>, 4> kUv = {{{256.0f / 512.0f, 64.0f / 512.0f},
                                                          {256.0f / 512.0f, 128.0f / 512.0f},
                                                          {320.0f / 512.0f, 64.0f / 512.0f},
                                                          {320.0f / 512.0f, 128.0f / 512.0f}}};
    for (int32_t i = 0; i < PlayersInPlay(); ++i) {
        const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        gfx::Vec3 aim;
        if (const Enemy* target = LiveEnemy(c.aimTarget)) {
            aim = MarkedPoint(*target);
        } else {
            gfx::Mat4 ahead = gfx::Multiply(gfx::Translation(0.0f, 0.0f, 200.0f), c.rotation);
            aim = gfx::Vec3{c.position.x + ahead.m[3][0], c.position.y + ahead.m[3][1],
                            c.position.z + ahead.m[3][2]};
        }
        ProjectedPoint p{};
        ProjectPoint(aim.x, aim.y, aim.z, &p);
        if (!c.holdFire) {
            Quad(gauge, p.x - 32.0f, p.y - 32.0f, 64.0f, 64.0f, TexelRect{256, 128, 320.5f, 192.5f},
                 kWhite);
        } else {
            FlushSprites();
            DrawTurnedSquare(p.x, p.y, 0.15f * static_cast<float>(c.holdTicks), std::sqrt(512.0f),
                             kUv, kWhite);
        }
    }
}

// 6. Laser locks that left the screen.
void DrawOffScreenLocks(const TextureHolder& gauge) {
    for (const Particle& q : gParticlePool.particles) {
        if (q.kind != particle_kind::kLockMarker) continue;
        uint32_t alpha =
            q.age > 44 ? ClampAlpha(255.0f - 16.0f * static_cast<float>(q.age - 44)) : 255u;
        Quad(gauge, q.position[0] - 32.0f, q.position[1] - 32.0f, 64.0f, 64.0f,
             TexelRect{384, 0, 448.5f, 64.5f}, WithAlpha(alpha));
    }
}

// 7. Boss gauge.
void DrawBossGauge(const TextureHolder& gauge) {
    const BossGauge& b = gGameState.bossGauge;
    if (!(b.maximum > 0.0f)) return;
    Quad(gauge, 139, 36, 366, 24, TexelRect{142, 224, 508, 248}, kWhite);
    float share = b.current / b.maximum;
    if (share > 0.0f)
        Quad(gauge, 143, 39, 358.0f * share, 16, TexelRect{142, 208, 500, 224}, kWhite);
}

// 8. Enemy health bars.
void DrawHealthBars(const TextureHolder& gauge) {
    for (const Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Active || e.spawnDelay > 0) continue;
        if (!(e.maxHitPoints >= 50.0f) || e.damageDisplay <= 0) continue;
        ProjectedPoint p{};
        if (!Project(e.centre, &p)) continue;
        float w = std::min(e.maxHitPoints, 300.0f), v = std::min(e.hitPoints, 300.0f);
        Quad(gauge, p.x - w / 2.0f - 2.0f, p.y, 8, 6, TexelRect{192, 192, 200, 198}, kWhite);
        Quad(gauge, p.x + w / 2.0f - 7.0f, p.y, 9, 6, TexelRect{216, 192, 225, 198}, kWhite);
        if (w > 12.0f)
            Quad(gauge, p.x - w / 2.0f + 4.0f, p.y, w - 8.0f, 6, TexelRect{200, 192, 216, 198},
                 kWhite);
        Quad(gauge, p.x - w / 2.0f, p.y + 2.0f, v, 2, TexelRect{240, 192, 256, 196}, kWhite);
    }
}

// 9. Boost icons: items 12 (engine), 13 (gun), 14 (cooling), 15 (reflect). The boost flags
// stand in the order gun, engine, cooling, reflect.
void DrawBoostIcons() {
    constexpr std::array<int, 4> kBoostOfItem = {1, 0, 2, 3};
    const TextureHolder& mini = gPlayTextures.itemMini;
    BindTexture(mini);
    for (int k = 0; k < 4; ++k) {
        if (!gGameState.shopBoosts[kBoostOfItem[static_cast<size_t>(k)]]) continue;
        float fk = static_cast<float>(k);
        Quad(mini, 248.0f + 36.0f * fk, 416, 64, 64, TexelRect{64 * fk, 192, 64 * fk + 64, 256},
             kWhite);
    }
    FlushSprites();
}

struct PanelOffset {
    float x, y;
};

// 10. The panel of a craft shakes with its gauge and slides off the bottom while it is down.
PanelOffset PanelOffsetOf(int32_t i) {
    const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
    PanelOffset o{gGaugeShake.offset[i][0], gGaugeShake.offset[i][1]};
    if (c.state == CraftState::Down)
        o.y += std::min(16.0f * static_cast<float>(std::max(c.stateTicks, 0)), 256.0f);
    return o;
}

// 11. Player panels.
void DrawPlayerPanel(int32_t i, PanelOffset o, const TextureHolder& gauge) {
    const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
    gfx::Color color = kBlackOpaque + (c.overheatLock > 0 ? 0x400000u : 0u);
    bool second = i == 1;
    float ox = o.x, oy = o.y;
    if (c.craft >= 0 && c.craft < kCraftKinds) {
        float cell = 64.0f * static_cast<float>(c.craft);
        Quad(gauge, ox + (second ? 560.0f : 16.0f), oy + 392, 64, 64,
             TexelRect{cell, 128, cell + 64, 192}, color);
    }
    // The gauges' wells, laid out as the frame: the frame has holes where the bars go, so
    // the part of a well that its bar leaves empty shows the well and not the world.
    Quad(gauge, second ? ox + 640 : ox, oy + 360, second ? -256.0f : 256.0f, 128,
         TexelRect{256, 304, 512, 432}, color);
    auto life = static_cast<float>(static_cast<int32_t>(ClampGauge(c.shownLife)));
    Quad(gauge, second ? ox + 516 : ox + 125, oy + 413, second ? -life : life, 8,
         TexelRect{144, 192, 186, 200}, color);
    auto heatUnits = static_cast<int32_t>(ClampGauge(c.shownHeat));
    auto heat = static_cast<float>(heatUnits);
    Quad(gauge, second ? ox + 536 : ox + 104, oy + 432, second ? -heat : heat, 22,
         TexelRect{0, 192, 130, 214}, color);
    gfx::Color bubble = (color & 0xFFFFFFu) | 0x9B000000u;
    for (int32_t r = 0; r < kHitRingCount && r <= heatUnits * 24 / 130; ++r) {
        const HitRing& ring = gHitRings[static_cast<size_t>(r)];
        if (ring.timer < 0 || !(ring.phase < heat - 2.0f)) continue;
        float x = std::sin(0.3f * static_cast<float>(ring.timer)) + ring.phase;
        Quad(gauge, second ? 536.0f - x : x + 104.0f, 454.0f - ring.size, second ? -3.0f : 3.0f, 3,
             TexelRect{0, 224, 3.5f, 227.5f}, bubble);
    }
    Quad(gauge, second ? ox + 640 : ox, oy + 360, second ? -256.0f : 256.0f, 128,
         TexelRect{0, 0, 256, 128}, color);
}

// 13. Stage 9's speed gauge.
void DrawSpeedGauge(const TextureHolder& gauge) {
    BindTexture(gauge);
    Quad(gauge, 16, 160, 180, 180, TexelRect{0, 304, 180, 484}, kWhite);
    FlushSprites();
    SetColorOp(gfx::TOP_ADD);
    float ratio = (gGameState.currentSpeed - 0.3f) * 1.2f / 1.9f;
    float angle = -1.8849558f - 2.2933629f * ratio;
    constexpr std::array<std::array<float, 2>, 4> kCorners = {
        {{-8.0f, -63.0f}, {-8.0f, 65.0f}, {8.0f, -63.0f}, {8.0f, 65.0f}}};
    constexpr std::array<std::array<float, 2>, 4> kUv = {
        {{192.0f, 304.0f}, {192.0f, 432.0f}, {208.0f, 304.0f}, {208.0f, 432.0f}}};
    std::array<StripCorner, 4> c{};
    for (size_t k = 0; k < 4; ++k) {
        float x = kCorners[k][0], y = kCorners[k][1];
        float r = std::sqrt(x * x + y * y), b = std::atan2(x, y) + angle;
        c[k] = {104.0f - std::sin(b) * r, 251.0f - std::cos(b) * r, kUv[k][0] / 512.0f,
                kUv[k][1] / 512.0f};
    }
    DrawStrip(c, ratio >= 1.0f ? 0xFF3C3C3Cu : 0xFF000000u);
    SetColorOp(gfx::TOP_MODULATE);
}

// 15. The down banners of two-player play.
void DrawDownBanners() {
    const TextureHolder& sheet = GameOverSheet();
    for (int32_t i = 0; i < kPlayers; ++i) {
        const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        if (c.state != CraftState::Down) continue;
        float y = std::max(128.0f - 8.0f * static_cast<float>(std::max(c.stateTicks, 0)), -16.0f);
        float fi = static_cast<float>(i);
        BindTexture(sheet);
        if (gGameState.credits <= 0) {
            Quad(sheet, 320.0f * fi, y + 416.0f, 320, 48, TexelRect{0, 0, 360, 48}, kWhite);
            FlushSprites();
        } else {
            Quad(sheet, 368.0f * fi + 24.0f, y + 416.0f, 224, 48, TexelRect{64, 48, 288, 96},
                 kWhite);
            Quad(sheet, 368.0f * fi + 40.0f, y + 448.0f, 160, 48, TexelRect{0, 192, 160, 240},
                 kWhite);
            FlushSprites();
            DrawTwoDigitNumber(368 * i + 200, static_cast<int32_t>(y + 448.0f), gGameState.credits);
        }
    }
}

// 16. Overheat steam on the screen.
void DrawSteam() {
    const TextureHolder& effect = gPlayTextures.effect;
    BindTexture(effect);
    SetBlend(gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCCOLOR);
    for (const Particle& q : gParticlePool.particles) {
        if (q.kind != particle_kind::kSteam) continue;
        int32_t cell = q.age / 4;
        if (cell < 0 || cell >= kSmokeCells) continue;
        float size = 0.3f * static_cast<float>(q.age) + 32.0f;
        float left = 32.0f * static_cast<float>(cell);
        Quad(effect, q.position[0] - size / 2.0f, q.position[1] - size / 2.0f, size, size,
             TexelRect{left, 160, left + 32, 192}, 0xFF9B9B9Bu);
    }
    FlushSprites();
    SetBlend(gfx::BLEND_SRCALPHA, gfx::BLEND_INVSRCALPHA);
}

const TextureHolder* BackdropOf(int32_t craft) {
    switch (craft) {
        case 0:
            return &gPlayTextures.weaponSelect0;
        case 1:
            return &gPlayTextures.weaponSelect1;
        case 2:
            return &gPlayTextures.weaponSelect2;
        case 3:
            return &gPlayTextures.weaponSelect3;
        default:
            return nullptr;
    }
}

// The icon cell of a slot: the random slot shows the random pick.
int32_t SlotCell(int32_t slot, int32_t randomPick) {
    return slot == kRandomWeaponSlot ? randomPick : slot;
}

// 17. One player's weapon-select panel.
void DrawWeaponSelectPanel(int32_t i) {
    const GameState& g = gGameState;
    const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
    auto index = static_cast<size_t>(i);
    bool second = i == 1;
    float fi = static_cast<float>(i);
    float s = (static_cast<float>(g.weaponSelectTicks) - 10.0f) * 30.0f;
    if (second) s = -s;
    int32_t cursor = g.weaponCursor[index];
    int32_t turn = std::clamp(g.weaponCursorSlide[index], -10, 10);
    int32_t pick = g.weaponCandidate[index];
    bool cursorValid = cursor >= 0 && cursor < kWeaponCells;
    float g2 =
        (static_cast<float>(turn) / 120.0f + static_cast<float>(cursor) / 12.0f) * 2.0f * kPi +
        kPi / 4.0f;

    SetColorOp(gfx::TOP_ADD);
    if (const TextureHolder* backdrop = BackdropOf(c.craft)) {
        BindTexture(*backdrop);
        Quad(*backdrop, second ? s + 504.0f : s + 136.0f, 80, second ? 256.0f : -256.0f, 256,
             TexelRect{0, 0, 256, 256}, kBlackOpaque);
        FlushSprites();
    }

    const TextureHolder& slots = gPlayTextures.itemSlot;
    BindTexture(slots);
    constexpr std::array<std::array<float, 2>, 4> kRingUv = {{{0.0f, 0.0f},
                                                              {0.0f, 320.0f / 512.0f},
                                                              {320.0f / 512.0f, 0.0f},
                                                              {320.0f / 512.0f, 320.0f / 512.0f}}};
    DrawTurnedSquare(640.0f * fi + s, 200.0f, g2, std::sqrt(51200.0f), kRingUv, kBlackOpaque);

    SetColorOp(gfx::TOP_MODULATE);
    const TextureHolder& mini = gPlayTextures.itemMini;
    BindTexture(mini);
    for (int32_t k = 0; k < kWeaponCells; ++k) {
        int32_t slot = 11 - k;
        int32_t cell = k == 0 ? pick : slot;
        if (!IsWeaponCell(cell)) continue;
        float a = (static_cast<float>(k) + 2.5f) * 2.0f * kPi / 12.0f + g2;
        float x = 132.0f * std::sin(a), y = 132.0f * std::cos(a);
        if (second) {
            x = 640.0f - x;
            y = -y;
        }
        Quad(mini, x - 32.0f + s, 200.0f - 32.0f + y, 64, 64, WeaponCell(cell, 64.0f),
             IsWeaponSlotAvailable(slot) ? kWhite : 0x64000000u);
    }
    FlushSprites();

    SetColorOp(gfx::TOP_ADD);
    BindTexture(slots);
    Quad(slots, 368.0f * fi + 72.0f + s, 136, 128, 128, TexelRect{320, 0, 448, 128}, kBlackOpaque);
    FlushSprites();

    // The big icon of the cursor's slot, and while the cursor turns the slot it turns to.
    const TextureHolder& item = gPlayTextures.item;
    BindTexture(item);
    int32_t ready = std::clamp(g.weaponReadyTicks[index], -1000, 1000);
    auto p = static_cast<uint32_t>(std::clamp(
        static_cast<int32_t>(255.0f * std::sin(static_cast<float>(ready) * kPi / 30.0f)), 0, 255));
    int32_t turnSize = std::abs(turn);
    auto bigIcon = [&](int32_t slot, uint32_t alpha) {
        int32_t cell = SlotCell(slot, pick);
        if (!IsWeaponCell(slot) || !IsWeaponCell(cell)) return;
        bool available = IsWeaponSlotAvailable(slot);
        SetColorOp(available ? gfx::TOP_ADD : gfx::TOP_MODULATE);
        gfx::Color color = available ? (alpha << 24 | p << 16 | p << 8 | p) : alpha << 24;
        Quad(item, 368.0f * fi + 72.0f + s, 136, 128, 128, WeaponCell(cell, 128.0f), color);
        FlushSprites();
    };
    if (cursorValid) {
        bigIcon(cursor, static_cast<uint32_t>(255 - 25 * turnSize));
        if (turn < 0) bigIcon((cursor + 11) % 12, static_cast<uint32_t>(25 * turnSize));
        if (turn > 0) bigIcon((cursor + 13) % 12, static_cast<uint32_t>(25 * turnSize));
    }

    SetColorOp(gfx::TOP_ADD);
    BindTexture(slots);
    Quad(slots, second ? s + 480.0f : s + 160.0f, second ? 288.0f : 96.0f,
         second ? -280.0f : 280.0f, second ? -96.0f : 96.0f, TexelRect{0, 416, 280, 512},
         kBlackOpaque);
    FlushSprites();

    if (!cursorValid) return;
    float tx = second ? s + 212.0f : s + 208.0f, ty = second ? 210.0f : 118.0f;
    if (cursor == kRandomWeaponSlot) {
        DrawShadowedText(tx, ty, kWeaponRandomText.c_str(), 0, 0, 0, 0);
    } else if (!IsWeaponSlotAvailable(cursor)) {
        DrawShadowedText(tx, ty, kWeaponUnavailableText.c_str(), 0, 0, 0, 0);
    } else {
        const WeaponDescription& lines = kWeaponDescriptionTable[static_cast<size_t>(cursor)];
        for (int line = 0; line < kWeaponDescriptionLines; ++line) {
            DrawShadowedText(tx, ty + 18.0f * static_cast<float>(line),
                             lines[static_cast<size_t>(line)].c_str(), 0, 0, 0, 0);
        }
    }
}

void DrawWeaponSelect() {
    for (int32_t i = 0; i < PlayersInPlay(); ++i) {
        if (gPlayerCrafts[static_cast<size_t>(i)].out) continue;
        DrawWeaponSelectPanel(i);
    }
    const TextureHolder& slots = gPlayTextures.itemSlot;
    SetColorOp(gfx::TOP_ADD);
    BindTexture(slots);
    Quad(slots, 120, 16, 400, 96, TexelRect{0, 320, 400, 416}, kBlackOpaque);
    FlushSprites();
    SetColorOp(gfx::TOP_MODULATE);
}

}  // namespace

const std::array<WeaponDescription, kWeaponDescriptionSlots> kWeaponDescriptionTable = {{
    {{u8"最も基本的な武器", u8"ロックした敵をめがけて", u8"飛んでいきます"}},
    {{u8"巨大な花火で", u8"広範囲を攻撃できます", u8"　"}},
    {{u8"機体の周りをハンマーが", u8"くるくる回って", u8"ある程度攻撃を防いでくれます"}},
    {{u8"巨大なかぼちゃ爆弾投下", u8"当たりにくいけど当たれば強力です", u8"　"}},
    {{u8"前方に炎を噴出", u8"射程は短いけど連続で", u8"広範囲に攻撃できます"}},
    {{u8"丸いレーザーで広範囲を攻撃", u8"攻撃力は高くないけど", u8"敵を貫通します"}},
    {{u8"複数の敵をロックして", u8"一気に攻撃できます", u8"スカッと壮快"}},
    {{u8"撃ったあとのレーザーが", u8"画面内に出ている限り", u8"追加でロックができます"}},
    {{u8"エネルギーを集中させて", u8"超強力なレーザーを撃ちます",
      u8"撃つのにかなりの時間がかかります"}},
    {{u8"やっぱりドリルは男のロマン", u8"敵に当たるとダメージを与え続けます", u8"　"}},
    {{u8"２人同時プレイ専用ウェポンです", u8"２機の間にオプションが出て",
      u8"攻撃の補助をしてくれます"}},
    {{u8"", u8"", u8""}},
}};

LockMarkerLook LockMarkerLookOf(int32_t age) {
    float a = static_cast<float>(age);
    return LockMarkerLook{std::max(256.0f - 8.0f * a, 64.0f), ClampAlpha(16.0f * a)};
}

bool IsWeaponSlotAvailable(int32_t slot) {
    if (slot == kRandomWeaponSlot) return true;
    return IsSubWeaponOwned(gGameState.records, slot);
}

void DrawHitCount(int32_t x, int32_t y, int32_t count, int32_t age, int32_t bounce) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%3dA", count);
    float top = static_cast<float>(y);
    uint32_t alpha = 255;
    if (age < 60) {
        top = static_cast<float>(y) + static_cast<float>(age) - 60.0f;
        alpha = ClampAlpha(4.25f * static_cast<float>(age));
    }
    float jump = top - 32.0f * std::sin(static_cast<float>(bounce) * kPi / 8.0f);
    // The digits the last increment changed: the ones always, the tens on a multiple of 10,
    // the hundreds on a multiple of 100 (places 2, 1 and 0 of the three-digit field).
    std::array<bool, 3> changed = {count % 100 == 0, count % 10 == 0, true};
    const TextureHolder& gauge = gPlayTextures.craftGauge;
    BindTexture(gauge);
    gfx::Color color = WithAlpha(alpha);
    float cx = static_cast<float>(x);
    for (size_t k = 0; k < 4 && digits[k] != 0; ++k) {
        char ch = digits[k];
        if (ch == ' ') {
            cx += 32.0f;
        } else if (ch == 'A') {
            Quad(gauge, cx, top, 80, 48, TexelRect{320, 248, 400, 296}, color);
        } else if (ch >= '0' && ch <= '9') {
            float d = static_cast<float>(ch - '0');
            bool bounces = k < changed.size() && changed[k];
            Quad(gauge, cx, bounces ? jump : top, 32, 48, TexelRect{32 * d, 248, 32 * d + 32, 296},
                 color);
            cx += 24.0f;
        }
    }
    FlushSprites();
}

void DrawGameHud() {
    gDevice = Device3D();
    if (!gDevice) return;
    const GameState& g = gGameState;
    const TextureHolder& gauge = gPlayTextures.craftGauge;

    // 1. Screen projection, two-dimensional states.
    CaptureViewProjection();
    Begin2DDrawing();
    gDevice->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    SetFilter(gfx::TEXF_LINEAR);
    BindTexture(gauge);
    DrawLockMarkers(gauge);
    FlushSprites();

    SetFilter(gfx::TEXF_POINT);
    DrawTargetMarkers(gauge);
    DrawCraftFlashes(gauge);
    DrawReticles(gauge);
    FlushSprites();

    SetFilter(gfx::TEXF_POINT);
    DrawOffScreenLocks(gauge);
    DrawBossGauge(gauge);
    DrawHealthBars(gauge);
    FlushSprites();

    DrawBoostIcons();

    // Player panels, added over the world.
    std::array<PanelOffset, kPlayers> offsets{};
    for (int32_t i = 0; i < kPlayers; ++i) offsets[static_cast<size_t>(i)] = PanelOffsetOf(i);
    BindTexture(gauge);
    SetColorOp(gfx::TOP_ADD);
    for (int32_t i = 0; i < PlayersInPlay(); ++i)
        DrawPlayerPanel(i, offsets[static_cast<size_t>(i)], gauge);
    FlushSprites();

    SetColorOp(gfx::TOP_MODULATE);
    const TextureHolder& mini = gPlayTextures.itemMini;
    BindTexture(mini);
    for (int32_t i = 0; i < PlayersInPlay(); ++i) {
        int32_t w = gPlayerCrafts[static_cast<size_t>(i)].weapon;
        if (!IsWeaponCell(w)) continue;
        const PanelOffset& o = offsets[static_cast<size_t>(i)];
        Quad(mini, 70.0f + 432.0f * static_cast<float>(i) + o.x, o.y + 374.0f, 64, 64,
             WeaponCell(w, 64.0f), kWhite);
    }
    FlushSprites();

    if (g.stage == 9) DrawSpeedGauge(gauge);

    if (g.comboShownTicks > 0) DrawHitCount(64, 128, g.comboShown, g.comboShownTicks, 0);
    if (g.combo > 0) DrawHitCount(64, 128, g.combo, 60, g.comboBounce);

    if (g.playerSetup == PlayerSetup::TwoPlayers) DrawDownBanners();
    DrawSteam();

    if (g.weaponSelect || g.weaponSelectTicks > 0) DrawWeaponSelect();

    if (g.playPhase == PlayPhase::StageClear) {
        const TextureHolder& clear = gPlayTextures.clearMessage;
        BindTexture(clear);
        Quad(clear, 64, 112, 512, 128, TexelRect{0, 0, 512, 128}, kWhite);
        FlushSprites();
    }

    const TextureHolder& digits = gCommonTextures.scoreDigits;
    BindTexture(digits);
    Quad(digits, 200, 8, 32, 32, TexelRect{32, 32, 64, 64}, kWhite);
    FlushSprites();
    DrawNumber(360, 8, g.score, 0, kWhite);
}
