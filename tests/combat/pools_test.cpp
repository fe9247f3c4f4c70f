// The three pools' claim rules at their limits, the particle bursts by kind, the coin split,
// the coins' payout and the ageing of particles and hit rings.
#include <vector>

#include "play/pickups/effects_step.h"
#include "tests/combat/combat_fixture.h"
#include "world/rail/camera_rail.h"

namespace vqtest {
namespace {

using PoolTest = CombatTest;

TEST_F(PoolTest, AShotClaimFindsTheOneFreeSlotWhereverTheCursorStands) {
    for (int freeSlot : {0, 17, 255, 511}) {
        for (int cursor : {0, 300, 511}) {
            for (Shot& s : gShotPool.shots) s.kind = shot_kind::kBullet;
            gShotPool.shots[static_cast<size_t>(freeSlot)].kind = shot_kind::kFree;
            gShotPool.cursor = cursor;
            Shot* shot = ClaimFreeShotSlot();
            ASSERT_NE(shot, nullptr) << freeSlot << " " << cursor;
            EXPECT_EQ(ShotIndex(shot), freeSlot);
            EXPECT_EQ(gShotPool.cursor, (freeSlot + 1) % kShotPoolSize);
        }
    }
    // Full: none, after the cursor has passed every slot once.
    for (Shot& s : gShotPool.shots) s.kind = shot_kind::kBullet;
    gShotPool.cursor = 123;
    EXPECT_EQ(ClaimFreeShotSlot(), nullptr);
    EXPECT_EQ(gShotPool.cursor, 123);
    EXPECT_EQ(SpawnShotKind7FromOwner(&Craft(0), 0.0f), -1);
    EXPECT_EQ(SpawnShotKind33Or34FromOwner(&Craft(0), 0.0f, 1), -1);
    FirePlayerWeapon(&Craft(0), shot_kind::kTwin);
    EXPECT_EQ(ShotsOfKind(shot_kind::kTwin), 0);
}

TEST_F(PoolTest, AReclaimedShotSlotKeepsNothingOfItsLastShot) {
    int index = SpawnShotKind7FromOwner(&Craft(0), 1.0f);
    ASSERT_EQ(index, 0);
    Shot& old = gShotPool.shots[0];
    old.timer = 99;
    old.target = 12;
    old.straightTicks = 40;
    old.kindValueA = 2;
    old.kindValueB = 5.0f;
    old.spin[0] = 3.0f;
    old.kind = shot_kind::kFree;
    gShotPool.cursor = 0;
    EXPECT_EQ(SpawnShotKind33Or34FromOwner(&Craft(0), 0.5f, 0), 0);
    const Shot& s = gShotPool.shots[0];
    EXPECT_EQ(s.kind, shot_kind::kChargeCore);
    EXPECT_EQ(s.timer, 0);
    EXPECT_EQ(s.target, -1);
    EXPECT_EQ(s.straightTicks, 0);
    EXPECT_EQ(s.kindValueA, 0);
    EXPECT_EQ(s.kindValueB, 0.0f);
    EXPECT_EQ(s.spin[0], 0.0f);
    EXPECT_EQ(s.radius, 10.0f);
    EXPECT_EQ(s.pitch, 0.5f);
    EXPECT_EQ(NextShotSerial(), 0);
    EXPECT_EQ(NextShotSerial(), 1);
}

struct BurstCase {
    int32_t kind;
    int32_t count;
    int made;
    int32_t storedKind;
};

TEST_F(PoolTest, BurstsMakeTheirKindsParticleCounts) {
    const BurstCase cases[] = {
        {1, 1, 8, 1},   {2, 1, 1, 2},   {3, 1, 16, 3},    {5, 1, 4, 5},     {6, 1, 8, 6},
        {9, 3, 3, 9},   {17, 2, 2, 17}, {10, 1, 256, 10}, {13, 1, 256, 10}, {15, 1, 4, 15},
        {16, 1, 1, 16}, {22, 1, 1, 22}, {29, 1, 1, 29},   {31, 1, 1, 31},   {36, 1, 1, 36},
    };
    for (const BurstCase& c : cases) {
        FreeAllParticles();
        SpawnParticleBurst(&Craft(0), 1.0f, 2.0f, 3.0f, c.kind, 1.0f, c.count);
        EXPECT_EQ(CountParticles(), c.made) << c.kind;
        EXPECT_EQ(ParticlesOfKind(c.storedKind), c.made) << c.kind;
    }
    // Fireworks keep their colour in the variant.
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind == particle_kind::kFirework) {
            EXPECT_EQ(p.variant, 3);
        }
    }
}

TEST_F(PoolTest, ExplosionsAndMuzzleSparksStartAtStaggeredAges) {
    gParticlePool.cursor = 0;
    SpawnParticleBurst(nullptr, 0, 0, 0, particle_kind::kExplosion, 1.0f, 1);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(gParticlePool.particles[i].age, 8 - i);
    FreeAllParticles();
    gParticlePool.cursor = 0;
    SpawnParticleBurst(&Craft(0), 0, 0, 0, particle_kind::kGunSparkLeft, 1.0f, 1);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(gParticlePool.particles[i].age, -i);
        EXPECT_GE(gParticlePool.particles[i].variant, 0);
        EXPECT_LT(gParticlePool.particles[i].variant, 12);
    }
}

TEST_F(PoolTest, AFullParticlePoolCutsABurstShort) {
    for (int i = 0; i < kParticlePoolSize - 100; ++i) {
        gParticlePool.particles[static_cast<size_t>(i)].kind = particle_kind::kMarker;
    }
    gParticlePool.cursor = 2000;
    SpawnParticleBurst(nullptr, 0, 0, 0, 11, 1.0f, 1);
    EXPECT_EQ(ParticlesOfKind(particle_kind::kFirework), 100);
    EXPECT_EQ(CountParticles(), kParticlePoolSize);
    SpawnParticleBurst(nullptr, 0, 0, 0, particle_kind::kSmoke, 1.0f, 5);
    EXPECT_EQ(ParticlesOfKind(particle_kind::kSmoke), 0);
}

struct CoinCase {
    int32_t amount;
    int small, medium, large;
};

TEST_F(PoolTest, MoneySplitsIntoCoinsWorthTenTimesTheAmountAndPaysInSeventyTicks) {
    const CoinCase cases[] = {{0, 0, 0, 0}, {9, 9, 0, 0}, {100, 0, 0, 2}, {1234, 4, 3, 24}};
    for (const CoinCase& c : cases) {
        FreeAllPickups();
        gGameState.score = 0;
        SpawnMoneyPickups(&Craft(0), 0.0f, 100.0f, 0.0f, c.amount);
        int counts[4] = {};
        for (const Pickup& p : gPickupPool.pickups) {
            counts[p.kind] += 1;
            if (p.kind != 0) {
                EXPECT_GE(p.timer, 0);
                EXPECT_LE(p.timer, 7);
                EXPECT_EQ(p.owner, &Craft(0));
            }
        }
        EXPECT_EQ(counts[pickup_kind::kSmall], c.small) << c.amount;
        EXPECT_EQ(counts[pickup_kind::kMedium], c.medium) << c.amount;
        EXPECT_EQ(counts[pickup_kind::kLarge], c.large) << c.amount;
        // Without ground below every coin falls, rises from timer 60 and pays at 70.
        int ticks = 0;
        while (CountPickups() > 0 && ticks < 200) {
            UpdatePickups(gfx::Vec3{0.0f, 0.0f, 0.0f});
            ++ticks;
        }
        EXPECT_LE(ticks, 71) << c.amount;
        EXPECT_EQ(gGameState.score, 10 * c.amount) << c.amount;
    }
}

// A new coin knows no ground until its first downward ray: over a course with nothing below
// it only falls, wherever it was dropped and however long its first ray waits.
TEST_F(PoolTest, ANewCoinFallsUntilItsFirstRayFindsTheGround) {
    struct Case {
        float height;
        int32_t timer;
    };
    for (Case c : {Case{50.0f, 1}, Case{2.9f, 1}, Case{0.0f, 4}, Case{-40.0f, 1}}) {
        SCOPED_TRACE(::testing::Message() << "dropped at " << c.height << ", timer " << c.timer);
        FreeAllPickups();
        gPickupPool.cursor = 0;
        SpawnPickups(&Craft(0), 0.0f, c.height, 0.0f, pickup_kind::kSmall, 1);
        Pickup& coin = gPickupPool.pickups[0];
        coin.timer = c.timer;
        for (int t = 0; t < 20; ++t) {
            float before = coin.velocity[1];
            UpdatePickups(gfx::Vec3{0.0f, 0.0f, 0.0f});
            ASSERT_LT(coin.velocity[1], before) << "tick " << t;
        }
    }
}

TEST_F(PoolTest, TheScoreStopsAtItsCapAndAFullCoinPoolDropsTheRest) {
    gGameState.score = 999999950;
    SpawnPickups(&Craft(0), 0, 0, 0, pickup_kind::kLarge, 1);
    for (int t = 0; t < 80; ++t) UpdatePickups(gfx::Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_EQ(gGameState.score, kScoreCap);

    SpawnPickups(&Craft(0), 0, 0, 0, pickup_kind::kSmall, kPickupPoolSize - 3);
    gPickupPool.cursor = 700;
    SpawnPickups(&Craft(0), 0, 0, 0, pickup_kind::kMedium, 10);
    EXPECT_EQ(CountPickups(), kPickupPoolSize);
    int medium = 0;
    for (const Pickup& p : gPickupPool.pickups) medium += p.kind == pickup_kind::kMedium;
    EXPECT_EQ(medium, 3);
}

TEST_F(PoolTest, ACoinOnTheCourseBouncesAndStillPays) {
    StageInfo stage{};
    stage.mapType = 2;
    stage.mapCount = 1;
    gCurrentStage = &stage;
    for (CollisionSegment& s : gCollisionSegments) s.count = 0;
    // A floor at y = 0 under the coin (file x is the mirrored world x).
    gMapVertices[0] = {-200.0f, 0.0f, -200.0f};
    gMapVertices[1] = {-200.0f, 0.0f, 400.0f};
    gMapVertices[2] = {400.0f, 0.0f, -200.0f};
    gMapTriangles[0] = MapTriangle{{0, 1, 2}, 0, {0, 0, 0}};
    BuildCollisionSegment(0, 1, 0);
    gPickupPool.cursor = 0;
    SpawnPickups(&Craft(0), 0.0f, 50.0f, 0.0f, pickup_kind::kSmall, 1);
    gPickupPool.pickups[0].timer = 0;  // measures the ground at once
    UpdatePickups(gfx::Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_NEAR(gPickupPool.pickups[0].groundHeight, 0.0f, 1e-3f);
    for (int t = 0; t < 80; ++t) UpdatePickups(gfx::Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_EQ(gGameState.score, 10);
    gCurrentStage = nullptr;
}

struct CarryCase {
    enum Object { kShot, kCoin, kParticle } object;
    int32_t kind;
    int ticks;
    float share;  // of the course's move per tick, summed over the ticks
};

// On a stage that carries objects with the course, each object moves by its share of the
// rail's move beside where it would be without the carry. The rail climbs and turns, so every
// axis of the carry counts.
TEST_F(PoolTest, ObjectsRideWithTheCourseOnAStageThatCarriesThem) {
    const CarryCase cases[] = {
        {CarryCase::kShot, shot_kind::kHoming, 2, 2.0f},  // lock-on shots every tick
        {CarryCase::kShot, 21, 2, 1.0f},                  // missiles through their velocity
        {CarryCase::kCoin, pickup_kind::kSmall, 2, 1.8f},
        {CarryCase::kParticle, particle_kind::kExplosion, 2, 2.0f},
        {CarryCase::kParticle, particle_kind::kGlow, 2, 1.0f},  // not on its first tick
        {CarryCase::kParticle, particle_kind::kFirework, 2, 1.6f},
        {CarryCase::kParticle, particle_kind::kWreckSpark, 2, 0.7f},
    };
    StageInfo stage{};
    stage.cameraCount = 1;
    gCurrentStage = &stage;
    for (CollisionSegment& s : gCollisionSegments) s.count = 0;
    gCameraRail.keyCount[0] = 40;
    gCameraRail.lookAt = 0;
    for (int k = 0; k < 40; ++k) {
        // File x is mirrored: the world rail runs toward +x, up and along +z.
        gCameraRail.cameraPath[0][k] = gfx::Vec3{-2.0f * k, 1.0f * k, 10.0f * k};
    }
    gRailPosition = 5.0f;
    gGameState.railSpeed = 1.5f;
    const gfx::Vec3 move{3.0f, 1.5f, 15.0f};

    auto run = [&](const CarryCase& c, int32_t carries) {
        stage.scrollOffset = carries;
        ResetCombatGlobals();
        SeedRandom(7);
        float* position = nullptr;
        if (c.object == CarryCase::kShot) {
            Shot* s = ClaimFreeShotSlot();
            s->kind = c.kind;
            s->side = c.kind == shot_kind::kHoming ? kShotSidePlayer : kShotSideEnemy;
            s->owner = &Craft(0);
            s->yaw = gfx::kPi;
            s->position[2] = -200.0f;
            position = s->position;
        } else if (c.object == CarryCase::kCoin) {
            SpawnPickups(&Craft(0), 0.0f, 100.0f, -200.0f, c.kind, 1);
            position = gPickupPool.pickups[0].position;
        } else {
            Particle& p = gParticlePool.particles[0];
            p.kind = c.kind;
            p.scale = 1.0f;
            p.velocity[0] = 0.5f;
            p.position[2] = -200.0f;
            position = p.position;
        }
        for (int t = 0; t < c.ticks; ++t) {
            UpdateShots();
            UpdateEffects();
        }
        return gfx::Vec3{position[0], position[1], position[2]};
    };
    for (const CarryCase& c : cases) {
        SCOPED_TRACE(::testing::Message() << "object " << c.object << " kind " << c.kind);
        gfx::Vec3 still = run(c, 0);
        gfx::Vec3 carried = run(c, 1);
        EXPECT_NEAR(carried.x - still.x, c.share * move.x, 1e-3f);
        EXPECT_NEAR(carried.y - still.y, c.share * move.y, 1e-3f);
        EXPECT_NEAR(carried.z - still.z, c.share * move.z, 1e-3f);
    }
    gCameraRail.keyCount[0] = 0;
    gCurrentStage = nullptr;
}

struct LifeCase {
    int32_t kind;
    int ticks;  // ticks from the spawn to the tick that frees it
};

TEST_F(PoolTest, ParticlesAgeAndAreFreedByKind) {
    const LifeCase cases[] = {
        {1, 16},  {2, 16},  {5, 40},  {6, 20},   {7, 20},  {9, 32},   {10, 64}, {15, 32},
        {16, 32}, {17, 32}, {21, 60}, {22, 256}, {28, 64}, {30, 128}, {32, 60}, {36, 30},
    };
    for (const LifeCase& c : cases) {
        FreeAllParticles();
        gParticlePool.cursor = 0;
        SpawnParticleBurst(&Craft(0), 0, 0, -100.0f, c.kind, 1.0f, 1);
        // The youngest particle of the burst decides (explosions start at ages 8..1).
        int ticks = 0;
        while (CountParticles() > 0 && ticks < 1000) {
            UpdateParticles(gfx::Vec3{0.0f, 0.0f, 0.0f});
            ++ticks;
        }
        int expected = c.kind == 1 ? 24 - 1 : c.ticks;
        EXPECT_EQ(ticks, expected) << c.kind;
    }
    // Gun sparks start one after another and each lives 120 ticks from its start.
    FreeAllParticles();
    SpawnParticleBurst(&Craft(0), 0, 0, 0, particle_kind::kGunSparkRight, 1.0f, 1);
    int ticks = 0;
    while (CountParticles() > 0 && ticks < 1000) {
        UpdateParticles(gfx::Vec3{0.0f, 0.0f, 0.0f});
        ++ticks;
    }
    EXPECT_EQ(ticks, 135);
}

TEST_F(PoolTest, LinkedParticlesEndWithTheirLink) {
    // A roll ring without a craft, a muzzle flash whose enemy is gone, boss debris with no
    // boss: each ends at once instead of reading a stale record.
    SpawnParticleBurst(nullptr, 0, 0, 0, particle_kind::kRollRing, 1.0f, 1);
    Enemy* e = PlaceEnemy(20, gfx::Vec3{0.0f, 0.0f, -200.0f});
    SpawnParticle(e, 0, 0, -200.0f, particle_kind::kMuzzleFlash, 1.0f);
    SpawnParticleBurst(nullptr, 1, 2, 3, particle_kind::kBossDebris, 1.0f, 1);
    SpawnParticleBurst(nullptr, 0, 0, 0, particle_kind::kFigure, 1.0f, 1);
    UpdateParticles(gfx::Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_EQ(ParticlesOfKind(particle_kind::kRollRing), 0);
    EXPECT_EQ(ParticlesOfKind(particle_kind::kBossDebris), 0);
    EXPECT_EQ(ParticlesOfKind(particle_kind::kMuzzleFlash), 1);
    // The muzzle flash follows its enemy's muzzle.
    e->points[0] = gfx::Vec3{5.0f, 6.0f, 7.0f};
    UpdateParticles(gfx::Vec3{0.0f, 0.0f, 0.0f});
    for (const Particle& p : gParticlePool.particles) {
        if (p.kind == particle_kind::kMuzzleFlash) {
            EXPECT_EQ(p.position[1], 6.0f);
        }
    }
    FreeEnemy(e);
    UpdateParticles(gfx::Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_EQ(ParticlesOfKind(particle_kind::kMuzzleFlash), 0);
    // The walking figure never ends by itself.
    for (int t = 0; t < 600; ++t) UpdateParticles(gfx::Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_EQ(ParticlesOfKind(particle_kind::kFigure), 1);
}

TEST_F(PoolTest, StageStartEmptiesThePoolsAndStaggersTheHitRings) {
    SpawnShotKind7FromOwner(&Craft(0), 0.0f);
    SpawnParticleBurst(nullptr, 0, 0, 0, particle_kind::kMarker, 1.0f, 1);
    SpawnPickups(&Craft(0), 0, 0, 0, pickup_kind::kSmall, 4);
    InitEffectQuads();
    EXPECT_EQ(CountShots(), 0);
    EXPECT_EQ(CountParticles(), 0);
    EXPECT_EQ(CountPickups(), 0);
    for (const HitRing& r : gHitRings) {
        EXPECT_LE(r.timer, 0);
        EXPECT_GE(r.timer, -47);
        EXPECT_EQ(r.size, 0.0f);
    }
    // A ring waits 47 ticks, grows 0.5 a tick from its first tick at 0 and restarts (size 0,
    // timer -1) in the tick its size reaches 24.
    gHitRings[0].timer = -47;
    int firstGrowth = -1, grown = -1;
    for (int t = 1; t <= 100 && grown < 0; ++t) {
        UpdateEffects();
        if (firstGrowth < 0 && gHitRings[0].size > 0.0f) firstGrowth = t;
        if (firstGrowth > 0 && gHitRings[0].size == 0.0f) {
            EXPECT_EQ(gHitRings[0].timer, -1);
            grown = t;
        }
    }
    EXPECT_EQ(firstGrowth, 47);
    EXPECT_EQ(grown, 47 + 47);
    // Templates keep the half-texel inset; the coin shadow frames lie on the ground.
    EXPECT_FLOAT_EQ(gEffectQuads[4].corners[0].u, 0.5f / 256.0f);
    EXPECT_FLOAT_EQ(gEffectQuads[4].corners[3].v, 63.5f / 256.0f);
    EXPECT_EQ(gEffectQuads[12].corners[0].y, 0.0f);
    EXPECT_EQ(gEffectQuads[12].corners[0].z, 256.0f);
    EXPECT_EQ(gEffectQuads[48].corners[2].diffuse, 0xFF696969u);
    EXPECT_EQ(gWingtipTrails[1][0].vertices[19].diffuse, 0xFF030303u);
}

}  // namespace
}  // namespace vqtest
