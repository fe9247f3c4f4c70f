// The play display at its busiest: 300 enemies each with six lock markers, a target marker
// and a health bar, two players with reticles, panels and heat bubbles, the boss gauge, the
// combo, and the weapon-select panels of both players with their wheels and texts. Drawn
// on the null device (the display's own cost) and on gl33 (surfaceless; software GL in
// CI, each frame presented, waiting for the GPU to finish), from the demo data's pictures.
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "play/craft/craft.h"
#include "play/display/play_display.h"
#include "play/enemies/enemy_pool.h"
#include "tests/support/headless_game.h"
#include "world/effects/effects.h"

namespace {

bool StartWithPictures(bool gl33) {
    vqtest::HeadlessOptions options;
    options.runFolder = VQ_RUN_DIR;
    options.gl33 = gl33;
    if (!vqtest::StartHeadlessGame(options)) return false;
    if (vqtest::LoadPlayDisplayPictures()) return false;
    SetSmallTextFont();
    return true;
}

// The enemy type with the most attachment points.
int32_t TypeWithMostPoints() {
    int32_t best = 0;
    for (int32_t t = 0; t < kDefinedEnemyTypes; ++t) {
        if (gEnemyTypeTable[static_cast<size_t>(t)].pointCount >
            gEnemyTypeTable[static_cast<size_t>(best)].pointCount)
            best = t;
    }
    return best;
}

void BusiestDisplay() {
    GameState& g = gGameState;
    g.scene = SceneId::Play;
    g.playPhase = PlayPhase::Playing;
    g.playerCount = 2;
    g.playerSetup = PlayerSetup::TwoPlayers;
    g.bossGauge = {500.0f, 320.0f};
    g.combo = 120;
    g.comboBounce = 3;
    g.score = 987654321;
    g.weaponSelect = 1;
    g.weaponSelectTicks = 10;
    for (int w = 0; w <= 10; ++w)
        g.records.words[static_cast<size_t>(record::kOwnedWeapons + w)] = 1;
    g.weaponCursor[0] = 2;
    g.weaponCursorSlide[0] = 5;
    g.weaponCursor[1] = 8;
    g.weaponCursorSlide[1] = -3;
    for (int i = 0; i < 2; ++i) {
        PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        c = PlayerCraft{};
        c.player = i;
        c.craft = i;
        c.weapon = 4 + i;
        c.aimTarget = -1;
        c.holdFire = i;
        c.rotation = gfx::Identity();
        c.position = {i == 0 ? -30.0f : 30.0f, -20.0f, 100.0f};
        c.shownLife = 35.0f;
        c.shownHeat = 120.0f;
    }
    for (int r = 0; r < kHitRingCount; ++r) {
        gHitRings[static_cast<size_t>(r)] =
            HitRing{static_cast<float>(r * 5), static_cast<float>(r % 18), r};
    }
    for (int k = 0; k < kEnemyPoolSize; ++k) {
        Enemy& e = gEnemyPool[static_cast<size_t>(k)];
        e = Enemy{};
        e.state = EnemyState::Active;
        e.type = TypeWithMostPoints();
        float x = static_cast<float>(k % 20 - 10) * 30.0f,
              y = static_cast<float>(k / 20 - 7) * 20.0f;
        e.centre = {x, y, 600.0f};
        for (auto& p : e.points) p = e.centre;
        for (int s = 0; s < kEnemyLockSlots; ++s) {
            e.lockOwners[static_cast<size_t>(s)] = s % 2;
            e.lockCountdowns[static_cast<size_t>(s)] = s == 0 ? -1 : 5;
            e.lockAges[static_cast<size_t>(s)] = 10 + s;
        }
        e.markerCountdown = 30;
        e.maxHitPoints = 200.0f;
        e.hitPoints = 120.0f;
        e.damageDisplay = 30;
    }
    gGraphics.view = gfx::LookAtRH(gfx::Vec3{0, 0, 0}, gfx::Vec3{0, 0, 1}, gfx::Vec3{0, 1, 0});
    gGraphics.projection = gfx::PerspectiveFovRH(45.0f * 0.017453292f, 1.3333334f, 1.0f, 10000.0f);
}

void DrawFrames(benchmark::State& state, bool gl33) {
    if (!StartWithPictures(gl33)) {
        state.SkipWithError("no device or run folder");
        return;
    }
    BusiestDisplay();
    gfx::Device* d = Device3D();
    for (auto _ : state) {
        EmptySpriteBatch();
        d->BeginScene();
        DrawGameHud();
        d->EndScene();
        if (gl33) {
            d->Present();
            glFinish();
        }
    }
    vqtest::StopHeadlessGame();
}

void BM_GameHudBusiestNullDevice(benchmark::State& state) {
    DrawFrames(state, false);
}
BENCHMARK(BM_GameHudBusiestNullDevice)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

void BM_GameHudBusiestGl33(benchmark::State& state) {
    DrawFrames(state, true);
}
BENCHMARK(BM_GameHudBusiestGl33)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
