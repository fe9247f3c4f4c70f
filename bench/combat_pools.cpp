// Ticks and the world-objects pass with every pool full: 300 enemies, 512 shots (enemy
// bullets, vulcan pairs, homing shots, hammers), 4096 particles and 1024 coins.
// - CombatTickFullPools: the combat share of a tick on its own (combo step, enemies, both
//   crafts' weapons with the vulcan held, every shot with its hits, the shot generation and
//   the effects), with no course.
// - GameTickFullPools: the whole game step (UpdateGame) on demo stage 1-2 of the real game,
//   started headless, with the pools filled around the crafts.
// Before every iteration the records are put back (untimed), so each measures the same tick.
// The drawing runs on the null device and on gl33 (surfaceless; the gl33 figures wait for
// the GPU).
#include <benchmark/benchmark.h>
#include <epoxy/gl.h>

#include <cmath>
#include <memory>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/random/random.h"
#include "play/craft/craft.h"
#include "play/craft/weapons.h"
#include "play/enemies/enemy_pool.h"
#include "play/hits/combat_globals.h"
#include "play/hits/hits.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_flight.h"
#include "play/shots/shot_pool.h"
#include "play/step/game_step.h"
#include "play/waves/waves.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"

namespace {

struct Snapshot {
    ShotPool shots;
    ParticlePool particles;
    PickupPool pickups;
    std::array<Enemy, kEnemyPoolSize> enemies;
    std::array<PlayerCraft, 2> crafts;
};

float Spread(int i, int n, float width) {
    return (static_cast<float>(i % n) - static_cast<float>(n) / 2.0f) * width;
}

// Every pool full, seen by a camera at z = 50 looking down -z.
void FillPools(StageInfo* stage) {
    ResetCombatGlobals();
    ResetEnemyGlobals();
    ResetCraftGlobals();
    InstallCombatHooks();
    gGameState = GameState{};
    gGameState.playPhase = PlayPhase::Playing;
    gGameState.playerCount = 2;
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    gGameState.cameraDirection = gfx::Identity();
    gGameState.billboardMatrix = gfx::Identity();
    *stage = StageInfo{};
    stage->windLine = 1;
    stage->scrollOffset = 1;
    gCurrentStage = stage;
    SeedRandom(5);
    gGraphics.eye = gfx::Vec3{0.0f, 0.0f, 50.0f};
    gGraphics.target = gfx::Vec3{0.0f, 0.0f, 0.0f};
    gGraphics.projection =
        gfx::PerspectiveFovRH(45.0f * gfx::kPi / 180.0f, 4.0f / 3.0f, 1.0f, 10000.0f);
    UpdateViewMatrix();
    InitEffectQuads();
    for (int i = 0; i < 2; ++i) {
        PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        c.position = gfx::Vec3{i == 0 ? -30.0f : 30.0f, 0.0f, 0.0f};
        c.rotation = gfx::RotationY(gfx::kPi);
        c.yaw = gfx::kPi;
        c.scale = 1.25f;
        c.craft = i;
        c.player = i;
        c.life = kFullLife;
        c.weapon = i == 0 ? 0 : 6;
        c.spec = &kCraftSpecTable[static_cast<size_t>(i)];
        for (int k = 0; k < kOrbitShots; ++k) c.orbitShots[k] = -1;
    }
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        Enemy* e = AllocEnemy();
        e->state = EnemyState::Active;
        e->type = 14;  // five attachment points
        e->hitPoints = e->maxHitPoints = 1.0e6f;
        e->basePosition = gfx::Vec3{Spread(i, 20, 30.0f), Spread(i / 20, 15, 20.0f),
                                    -400.0f - static_cast<float>(i % 7) * 150.0f};
        const EnemyType& type = gEnemyTypeTable[14];
        e->centre = gfx::Add(e->basePosition, type.centre);
        for (int k = 0; k < kEnemyPointCount; ++k) {
            e->points[static_cast<size_t>(k)] =
                gfx::Add(e->basePosition, type.points[static_cast<size_t>(k)]);
        }
    }
    for (int i = 0; i < kShotPoolSize; ++i) {
        Shot* s = ClaimFreeShotSlot();
        s->position[0] = Spread(i, 16, 8.0f);
        s->position[1] = Spread(i / 16, 32, 3.0f);
        s->position[2] = -50.0f - static_cast<float>(i % 23) * 10.0f;
        s->matrix = gfx::RotationY(gfx::kPi);
        switch (i % 4) {
            case 0:
                s->kind = shot_kind::kBullet;
                s->side = kShotSideEnemy;
                s->velocity[2] = 1.0f;
                break;
            case 1:
                s->kind = shot_kind::kTwin;
                s->owner = &gPlayerCrafts[0];
                s->velocity[2] = -4.0f;
                s->radius = 15.0f;
                break;
            case 2:
                s->kind = shot_kind::kHoming;
                s->owner = &gPlayerCrafts[1];
                s->target = i % kEnemyPoolSize;
                s->radius = 20.0f;
                break;
            default:
                s->kind = shot_kind::kHammer;
                s->owner = &gPlayerCrafts[0];
                s->radius = 20.0f;
                break;
        }
    }
    const int32_t kinds[8] = {1, 5, 8, 9, 10, 17, 22, 30};
    for (int i = 0; i < kParticlePoolSize; ++i) {
        Particle& p = gParticlePool.particles[static_cast<size_t>(i)];
        p = Particle{};
        p.kind = kinds[i % 8];
        p.age = 1 + i % 7;
        p.scale = 1.0f;
        p.position[0] = Spread(i, 64, 2.0f);
        p.position[1] = Spread(i / 64, 64, 2.0f);
        p.position[2] = -100.0f - static_cast<float>(i % 13) * 10.0f;
        p.velocity[0] = 0.1f;
        p.velocity[1] = 0.2f;
    }
    SpawnPickups(&gPlayerCrafts[0], 0.0f, 20.0f, -100.0f, pickup_kind::kSmall, kPickupPoolSize);
    for (int i = 0; i < kPickupPoolSize; ++i) {
        gPickupPool.pickups[static_cast<size_t>(i)].timer = i % 60;
    }
}

Snapshot* Save() {
    static Snapshot snapshot;
    snapshot.shots = gShotPool;
    snapshot.particles = gParticlePool;
    snapshot.pickups = gPickupPool;
    snapshot.enemies = gEnemyPool;
    snapshot.crafts = gPlayerCrafts;
    return &snapshot;
}

void Restore(const Snapshot& s) {
    gShotPool = s.shots;
    gParticlePool = s.particles;
    gPickupPool = s.pickups;
    gEnemyPool = s.enemies;
    gPlayerCrafts = s.crafts;
}

void CombatTickFullPools(benchmark::State& state) {
    StageInfo stage{};
    FillPools(&stage);
    const Snapshot* snapshot = Save();
    PadState firing{};
    firing.held = kPadDecide;
    for (auto _ : state) {
        state.PauseTiming();
        Restore(*snapshot);
        state.ResumeTiming();
        UpdateCombo();
        UpdateEnemies();
        for (PlayerCraft& c : gPlayerCrafts) UpdateCraftWeapons(&c, firing);
        UpdateShots();
        NextShotGeneration();
        UpdateEffects();
        benchmark::DoNotOptimize(gShotPool.shots[0].position[0]);
    }
    state.counters["shots"] = CountShots();
    state.counters["particles"] = CountParticles();
    state.counters["coins"] = CountPickups();
    gCurrentStage = nullptr;
}
BENCHMARK(CombatTickFullPools)->Unit(benchmark::kMicrosecond);

// Everything one tick of the running game changes that would carry it away from the measured
// state (the rail, the crafts, the pools, the random numbers).
struct GameSnapshot {
    GameState game;
    float rail;
    RandomState random;
    WaveState waves;
    GameStepState step;
    SmokeEmitter smoke;
};

void GameTickFullPools(benchmark::State& state) {
    vqtest::PlayRunOptions o;
    o.stage = 1;
    o.setup = PlayerSetup::TwoPlayers;
    o.ticks = 120;
    o.invulnerable = true;
    vqtest::PlayRunResult result;
    if (!vqtest::RunPlay(o, &result, nullptr, true) || gGameState.scene != SceneId::Play) {
        state.SkipWithError("the stage did not start");
        return;
    }
    const gfx::Vec3 at = gPlayerCrafts[0].position;
    for (Enemy& e : gEnemyPool) {
        if (e.state != EnemyState::Free) continue;
        Enemy* n = AllocEnemy();
        n->state = EnemyState::Active;
        n->type = 0;
        n->hitPoints = n->maxHitPoints = 1.0e6f;
    }
    for (int i = 0; i < kEnemyPoolSize; ++i) {
        Enemy& e = gEnemyPool[static_cast<size_t>(i)];
        e.hitPoints = e.maxHitPoints = 1.0e6f;
        e.basePosition = gfx::Vec3{at.x + Spread(i, 20, 30.0f), at.y + Spread(i / 20, 15, 20.0f),
                                   at.z + 300.0f + static_cast<float>(i % 7) * 150.0f};
    }
    for (Shot& s : gShotPool.shots) {
        if (s.kind != shot_kind::kFree) continue;
        int i = static_cast<int>(&s - gShotPool.shots.data());
        s = Shot{};
        s.kind = i % 2 ? shot_kind::kTwin : shot_kind::kBullet;
        s.side = i % 2 ? kShotSidePlayer : kShotSideEnemy;
        s.owner = &gPlayerCrafts[0];
        s.target = -1;
        s.scale = 1.0f;
        s.radius = 15.0f;
        s.matrix = gPlayerCrafts[0].rotation;
        s.position[0] = at.x + Spread(i, 16, 8.0f);
        s.position[1] = at.y + Spread(i / 16, 32, 3.0f);
        s.position[2] = at.z + 50.0f + static_cast<float>(i % 23) * 10.0f;
    }
    const int32_t kinds[8] = {1, 5, 8, 9, 10, 17, 22, 30};
    for (int i = 0; i < kParticlePoolSize; ++i) {
        Particle& p = gParticlePool.particles[static_cast<size_t>(i)];
        if (p.kind != particle_kind::kFree) continue;
        p = Particle{};
        p.kind = kinds[i % 8];
        p.age = 1 + i % 7;
        p.scale = 1.0f;
        p.position[0] = at.x + Spread(i, 64, 2.0f);
        p.position[1] = at.y + Spread(i / 64, 64, 2.0f);
        p.position[2] = at.z + 100.0f + static_cast<float>(i % 13) * 10.0f;
    }
    SpawnPickups(&gPlayerCrafts[0], at.x, at.y + 20.0f, at.z + 100.0f, pickup_kind::kSmall,
                 kPickupPoolSize);
    const Snapshot* pools = Save();
    static GameSnapshot game;
    game = GameSnapshot{gGameState, gRailPosition,  gRandomState,
                        gWaveState, gGameStepState, gSmokeEmitter};
    for (auto _ : state) {
        state.PauseTiming();
        Restore(*pools);
        gGameState = game.game;
        gRailPosition = game.rail;
        gRandomState = game.random;
        gWaveState = game.waves;
        gGameStepState = game.step;
        gSmokeEmitter = game.smoke;
        state.ResumeTiming();
        UpdateGame();
    }
    state.counters["shots"] = CountShots();
    state.counters["particles"] = CountParticles();
    state.counters["coins"] = CountPickups();
    vqtest::StopHeadlessGame();
}
BENCHMARK(GameTickFullPools)->Unit(benchmark::kMicrosecond);

void WorldObjectsFullPools(benchmark::State& state, bool gl) {
    std::unique_ptr<gfx::GlSurface> surface;
    std::unique_ptr<gfx::Device> device;
    if (gl) {
        surface.reset(gfx::CreateHeadlessGlSurface());
        if (surface) device.reset(gfx::CreateGl33Device(surface.get(), gfx::PresentParams{}));
    } else {
        device.reset(gfx::CreateNullDevice(gfx::PresentParams{}));
    }
    if (!device) {
        state.SkipWithError("no device");
        return;
    }
    gPlatform.device = device.get();
    StageInfo stage{};
    FillPools(&stage);
    std::vector<gfx::Texture*> textures;
    for (TextureHolder* h :
         {&gPlayTextures.coin, &gPlayTextures.effectOpaque, &gPlayTextures.effectShot,
          &gPlayTextures.effect, &gPlayTextures.rollEffect}) {
        gfx::Texture* t = nullptr;
        device->CreateTexture(256, 256, 1, gfx::Format::A8R8G8B8, &t);
        uint32_t pitch;
        uint32_t* texels = t->LockRect(0, &pitch);
        for (uint32_t k = 0; k < 256 * 256; ++k) texels[k] = 0x80000000u | (k * 2654435761u >> 8);
        t->UnlockRect(0);
        *h = TextureHolder{t, 256, 256, TextureGroup::Play};
        textures.push_back(t);
    }
    gGraphics.view = gfx::LookAtRH(gGraphics.eye, gGraphics.target, gfx::Vec3{0.0f, 1.0f, 0.0f});
    for (auto _ : state) {
        device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
        device->SetTransform(gfx::TS_VIEW, gGraphics.view);
        device->SetTransform(gfx::TS_PROJECTION, gGraphics.projection);
        device->BeginScene();
        DrawWorldObjects();
        device->EndScene();
        device->Present();
        if (gl) glFinish();
    }
    for (TextureHolder* h :
         {&gPlayTextures.coin, &gPlayTextures.effectOpaque, &gPlayTextures.effectShot,
          &gPlayTextures.effect, &gPlayTextures.rollEffect}) {
        *h = TextureHolder{};
    }
    for (gfx::Texture* t : textures) t->Release();
    gCurrentStage = nullptr;
    gPlatform.device = nullptr;
    ResetCombatGlobals();
}
BENCHMARK_CAPTURE(WorldObjectsFullPools, null, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(WorldObjectsFullPools, gl33, true)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
