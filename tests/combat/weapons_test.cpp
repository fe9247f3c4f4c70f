// Firing, heat and lock-on of the crafts: every sub-weapon's trigger, heat and shots, the
// overheat lock's timing, weapon 8's charge and cooling, lock capacities and the shared
// lock count, laser locks owned by their craft, and the vulcan of two crafts.
#include "tests/combat/combat_fixture.h"

namespace vqtest {
namespace {

class WeaponsTest : public CombatTest {
protected:
    // The craft counters this test stands in for: the lock cooldown runs down.
    void CraftTick(int craft, uint8_t held, uint8_t pressed = 0) {
        PlayerCraft& c = Craft(craft);
        if (c.lockCooldown > 0) c.lockCooldown -= 1;
        Tick(craft, held, pressed);
    }
    // n enemies of type 0 close together around (0, 0, -300), in front of both crafts.
    void PlaceCluster(int n) {
        for (int i = 0; i < n; ++i) {
            PlaceEnemy(0, gfx::Vec3{static_cast<float>(i % 5) * 2.0f - 4.0f,
                                    static_cast<float>(i / 5) * 2.0f, -300.0f});
        }
    }
    // A lock of the player on point 0 of the enemy.
    static void GiveLock(Enemy* e, int player, int slot = 0) {
        e->lockCountdowns[static_cast<size_t>(slot)] = 100;
        e->lockOwners[static_cast<size_t>(slot)] = player;
    }
};

struct TriggerCase {
    int32_t weapon;
    int locks;  // locks of player 1 held beforehand
    bool hold;  // held instead of pressed
    float heat;
    int32_t kind;
    int shots;
    SoundEffectId sound;
};

TEST_F(WeaponsTest, EachSubWeaponFiresItsShotsForItsHeat) {
    const TriggerCase cases[] = {
        {0, 1, false, 13.0f, shot_kind::kHoming, 1, 296},
        {1, 1, false, 13.0f, shot_kind::kHomingSmall, 1, 305},
        {3, 1, false, 26.0f, shot_kind::kPumpkin, 1, 296},
        {6, 3, false, 52.0f, shot_kind::kMissile, 3, 299},
        {-1, 1, false, 52.0f, shot_kind::kMissile, 1, 299},
        {7, 1, false, 52.0f, shot_kind::kLockLaser, 1, 314},
        {9, 0, false, 26.0f, shot_kind::kDrill, 1, 311},
        {10, 0, false, 65.0f, shot_kind::kOption, 0, 303},
        {4, 0, true, 0.39f, shot_kind::kFlame, 1, 300},
        {5, 0, true, 3.9f, shot_kind::kRing, 1, 297},
        // Lock-on weapons without a lock do nothing.
        {0, 0, false, 0.0f, shot_kind::kHoming, 0, 0},
        {6, 0, false, 0.0f, shot_kind::kMissile, 0, 0},
    };
    for (const TriggerCase& c : cases) {
        ResetCombatGlobals();
        ResetEnemyGlobals();
        SetUpCraft(0, 0);
        ClearSounds();
        gGameState.optionTimer = 0;
        Craft(0).weapon = c.weapon;
        Craft(0).lockCooldown = 100;  // no new lock in this tick
        for (int i = 0; i < c.locks; ++i) {
            GiveLock(PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f - 10.0f * i}), 0);
        }
        if (c.hold) {
            Tick(0, kPadCancel, kPadCancel);
        } else {
            Tick(0, 0, kPadCancel);
        }
        EXPECT_NEAR(Craft(0).heat, c.heat, 1e-4f) << c.weapon;
        EXPECT_EQ(ShotsOfKind(c.kind), c.shots) << c.weapon;
        if (c.sound != 0) {
            EXPECT_TRUE(Requested(c.sound)) << c.weapon;
        }
        if (c.weapon == 10) {
            EXPECT_EQ(gGameState.optionTimer, 120);
        }
    }
}

struct LaunchCase {
    int32_t kind;
    float speed;
    float radius;
    bool pulledBack;  // the first move brings it to the muzzle
};

TEST_F(WeaponsTest, LaunchedKindsLeaveTheMuzzleAtTheirSpeeds) {
    // Craft 0 at the origin facing -z, scale 1.25: the muzzle (0, -s, 16 s) lies at
    // (0, -1.25, -20) in the world.
    const LaunchCase cases[] = {
        {shot_kind::kChargedLaser, 30.0f, 20.0f, true},
        {shot_kind::kRing, 10.0f, 20.0f, true},
        {shot_kind::kFlame, 10.0f, 20.0f, true},
        {shot_kind::kDrill, 4.0f, 40.0f, false},
    };
    for (const LaunchCase& c : cases) {
        FreeAllShots();
        gShotPool.cursor = 0;
        FirePlayerWeapon(&Craft(0), c.kind);
        const Shot& s = gShotPool.shots[0];
        ASSERT_EQ(s.kind, c.kind);
        EXPECT_EQ(ShotsOfKind(c.kind), 1);
        EXPECT_NEAR(s.velocity[2], -c.speed, 1e-4f) << c.kind;
        EXPECT_NEAR(s.velocity[0], 0.0f, 1e-4f);
        float z = c.pulledBack ? s.position[2] + s.velocity[2] : s.position[2];
        EXPECT_NEAR(z, -20.0f, 1e-4f) << c.kind;
        EXPECT_NEAR(s.position[1], -1.25f, 1e-4f) << c.kind;
        EXPECT_EQ(s.radius, c.radius);
        EXPECT_EQ(s.owner, &Craft(0));
        EXPECT_EQ(s.serial, gShotPool.serial - 1);
    }
    // Homing kinds start 5 below the craft and aim through their lock.
    FreeAllShots();
    gShotPool.cursor = 0;
    Enemy* e = PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f});
    GiveLock(e, 0);
    FirePlayerWeapon(&Craft(0), shot_kind::kPumpkin);
    const Shot& bomb = gShotPool.shots[0];
    EXPECT_NEAR(bomb.position[1], -5.0f, 1e-4f);
    EXPECT_EQ(bomb.target, EnemyIndex(*e));
    // The lob starts at speed 10 toward the target, lifted for its fall.
    EXPECT_LT(bomb.velocity[2], -9.0f);
    EXPECT_GT(bomb.velocity[1], 0.5f);
}

// A volley takes one lock per missile in rising countdown order, and claims on through one
// whole pass of the pool: every free slot it meets after the locks ran out is claimed and
// freed again, so the cursor comes back where it started and each claim takes a serial.
TEST_F(WeaponsTest, MissilesTakeOneLockEachAndTheVolleyClaimsOneWholePass) {
    struct Case {
        int locks;
        int32_t cursor;
        int busy;  // live bullets from the cursor on
    };
    const Case cases[] = {{3, 0, 0}, {1, 300, 40}, {0, 511, 5}};
    const int32_t countdowns[3] = {90, 30, 60};
    const int expectedTargets[3] = {1, 2, 0};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.locks << " locks from " << c.cursor);
        ResetCombatGlobals();
        ResetEnemyGlobals();
        Enemy* enemies[3];
        for (int i = 0; i < 3; ++i) {
            enemies[i] = PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f - 50.0f * i});
            // The locks beyond the case's count belong to the other player.
            GiveLock(enemies[i], i < c.locks ? 0 : 1);
            enemies[i]->lockCountdowns[0] = c.locks == 3 ? countdowns[i] : 50;
        }
        for (int k = 0; k < c.busy; ++k) {
            gShotPool.shots[static_cast<size_t>((c.cursor + k) % kShotPoolSize)].kind =
                shot_kind::kBullet;
        }
        gShotPool.cursor = c.cursor;
        gShotPool.serial = 0;
        FirePlayerWeapon(&Craft(0), shot_kind::kMissile);
        EXPECT_EQ(ShotsOfKind(shot_kind::kMissile), c.locks);
        EXPECT_EQ(CountShots(), c.busy + c.locks);
        EXPECT_EQ(gShotPool.cursor, c.cursor);
        EXPECT_EQ(gShotPool.serial, kShotPoolSize - c.busy);
        if (c.locks == 3) {
            for (int i = 0; i < 3; ++i) {
                EXPECT_EQ(gShotPool.shots[static_cast<size_t>(i)].target, expectedTargets[i]);
                EXPECT_EQ(enemies[i]->lockCountdowns[0], -1);  // spent
            }
        }
    }
}

TEST_F(WeaponsTest, TheLockLaserFiresWithoutALockOnceAtATime) {
    Craft(0).weapon = 7;
    Craft(0).lockCooldown = 100;
    // Without a lock of its own the laser's shot is not kept; with one it is, and a second
    // press does nothing while it exists.
    Tick(0, 0, kPadCancel);
    EXPECT_FLOAT_EQ(Craft(0).heat, 52.0f);
    EXPECT_EQ(ShotsOfKind(shot_kind::kLockLaser), 0);
    GiveLock(PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f}), 0);
    Craft(0).heat = 0.0f;
    Tick(0, 0, kPadCancel);
    EXPECT_EQ(ShotsOfKind(shot_kind::kLockLaser), 1);
    Craft(0).heat = 0.0f;
    Tick(0, 0, kPadCancel);
    EXPECT_EQ(ShotsOfKind(shot_kind::kLockLaser), 1);
    EXPECT_FLOAT_EQ(Craft(0).heat, 0.0f);
}

TEST_F(WeaponsTest, HammersOrbitAndAreThrownAtALock) {
    Craft(0).weapon = 2;
    Craft(0).lockCooldown = 1000;
    Tick(0, 0);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHammer), 2);
    EXPECT_FLOAT_EQ(Craft(0).heat, 0.0f);
    GiveLock(PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f}), 0);
    // Too young to be thrown: the timer must be past 20.
    for (int t = 0; t < 20; ++t) UpdateShots();
    Tick(0, 0, kPadCancel);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHammerThrown), 0);
    UpdateShots();
    Tick(0, 0, kPadCancel);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHammerThrown), 1);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHammer), 1);
    EXPECT_FLOAT_EQ(Craft(0).heat, 20.0f);
    EXPECT_EQ(Craft(0).hammerIndex, 1);
    EXPECT_EQ(Craft(0).orbitShots[6], -1);
    EXPECT_EQ(Craft(0).orbitCounters[6], 60);
    EXPECT_TRUE(Requested(306));
    // The thrown one is replaced 60 ticks later.
    for (int t = 0; t < 60; ++t) Tick(0, 0);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHammer), 1);
    Tick(0, 0);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHammer), 2);
}

TEST_F(WeaponsTest, AnOverheatBlocksTheSubWeaponUntilTheHeatIsBackToZero) {
    Craft(0).weapon = 0;  // craft 0 cools 0.5 a tick
    Craft(0).lockCooldown = 10000;
    GiveLock(PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f}), 0);
    Craft(0).heat = 131.0f;
    int ended = 0;
    for (int t = 1; t <= 400 && ended == 0; ++t) {
        Tick(0, 0, kPadCancel);
        if (t == 1) {
            EXPECT_FLOAT_EQ(Craft(0).heat, 130.0f);
            EXPECT_EQ(Craft(0).overheatLock, 29);
            EXPECT_GT(ParticlesOfKind(particle_kind::kSteam), 0);
        }
        if (t == 29) {
            EXPECT_EQ(Craft(0).overheatLock, 1);
        }
        if (Craft(0).overheatLock == 0) ended = t;
        if (ended == 0) {
            EXPECT_EQ(ShotsOfKind(shot_kind::kHoming), 0) << t;
        }
    }
    // 29 ticks of lock, 260 of cooling by 0.5 from 130, then the tick that sees 0.
    EXPECT_EQ(ended, 290);
    Tick(0, 0, kPadCancel);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHoming), 1);
    EXPECT_EQ(gGaugeShake.offset[0][0], 0.0f);
}

TEST_F(WeaponsTest, CoolingWaitsAfterHeatAndScalesWithTheItem) {
    struct Case {
        int model;
        int item;
        float perTick;
    };
    const Case cases[] = {{0, 0, 0.5f}, {1, 0, 0.25f}, {2, 1, 0.525f}, {3, 1, 0.525f}};
    for (const Case& c : cases) {
        SetUpCraft(0, c.model);
        gGameState.shopBoosts[2] = c.item;
        AddCraftHeat(&Craft(0), 50.0f);
        for (int t = 0; t < 30; ++t) Tick(0, 0);
        EXPECT_FLOAT_EQ(Craft(0).heat, 50.0f) << c.model;
        Tick(0, 0);
        EXPECT_NEAR(Craft(0).heat, 50.0f - c.perTick, 1e-5f) << c.model;
    }
}

TEST_F(WeaponsTest, WeaponEightChargesFiresAndCoolsAfterwards) {
    Craft(0).weapon = 8;
    Craft(0).lockCooldown = 100000;
    Tick(0, 0);
    EXPECT_EQ(ShotsOfKind(shot_kind::kChargeCore), 1);
    Tick(0, 0, kPadCancel);
    EXPECT_EQ(ShotsOfKind(shot_kind::kChargeSatellite), 5);
    EXPECT_EQ(Craft(0).orbitCounters[0], 1);
    EXPECT_TRUE(Requested(302));
    int lasers = 0;
    for (int t = 2; t <= 1200; ++t) {
        ClearSounds();
        Tick(0, 0);
        if (t == 600) {
            EXPECT_NEAR(Craft(0).heat, 65.0f, 1e-3f);
        }
        if (t == 1200) {
            EXPECT_TRUE(Requested(312));
        }
        lasers += ShotsOfKind(shot_kind::kChargedLaser);
        UpdateShots();
    }
    EXPECT_FLOAT_EQ(Craft(0).heat, 130.0f);
    EXPECT_EQ(lasers, 1);  // the first charged laser at counter 1200
    for (int t = 1201; t <= 1800; ++t) {
        Tick(0, 0);
        UpdateShots();
    }
    EXPECT_EQ(Craft(0).orbitCounters[0], 0);
    Tick(0, 0);
    EXPECT_EQ(ShotsOfKind(shot_kind::kChargeSatellite), 0);  // the satellites go
    // Between charges weapon 8 cools like the others, so rolls that overheat it do not lock
    // it for the rest of the stage.
    AddCraftHeat(&Craft(0), 140.0f);
    int ticks = 0;
    do {
        Tick(0, 0);
        ++ticks;
    } while ((Craft(0).overheatLock != 0 || Craft(0).heat > 0.0f) && ticks < 2000);
    EXPECT_LT(ticks, 2000);
    EXPECT_EQ(Craft(0).overheatLock, 0);
}

TEST_F(WeaponsTest, LockCapacityByWeaponAndOneLockPerTick) {
    struct Case {
        int32_t weapon;
        int locks;
    };
    const Case cases[] = {{0, 10}, {2, 3}, {3, 5}, {4, 0},  {5, 0},  {6, 10},
                          {7, 10}, {8, 0}, {9, 0}, {10, 0}, {-1, 10}};
    for (const Case& c : cases) {
        ResetEnemyGlobals();
        ResetCombatGlobals();
        SetUpCraft(0, 0);
        Craft(0).weapon = c.weapon;
        PlaceCluster(12);
        CraftTick(0, 0);
        EXPECT_EQ(LocksHeld(), c.locks > 0 ? 1 : 0) << c.weapon;
        if (c.locks > 0) {
            EXPECT_EQ(Craft(0).lockCooldown, 10);
            EXPECT_TRUE(Requested(293));
        }
        for (int t = 0; t < 200; ++t) CraftTick(0, 0);
        EXPECT_EQ(LocksHeld(), c.locks) << c.weapon;
    }
}

TEST_F(WeaponsTest, TwoCraftsShareOneLockCount) {
    gGameState.playerCount = 2;
    SetUpCraft(1, 1, 0.0f);
    Craft(0).weapon = 2;
    Craft(1).weapon = 2;
    PlaceCluster(8);
    for (int t = 0; t < 100; ++t) CraftTick(0, 0);
    EXPECT_EQ(LocksHeld(), 3);
    for (int t = 0; t < 100; ++t) CraftTick(1, 0);
    EXPECT_EQ(LocksHeld(), 3);  // player 2 finds the count full
    // Player 1's locks let player 2 fire a lock-on weapon; its shot has no lock of its own
    // and flies on untargeted.
    Craft(1).weapon = 0;
    Craft(1).lockCooldown = 100;
    Tick(1, 0, kPadCancel);
    EXPECT_FLOAT_EQ(Craft(1).heat, 13.0f);
    EXPECT_EQ(ShotsOfKind(shot_kind::kHoming), 1);
    for (const Shot& s : gShotPool.shots) {
        if (s.kind == shot_kind::kHoming) {
            EXPECT_EQ(s.target, -1);
        }
    }
}

TEST_F(WeaponsTest, LocksLeaveWithTheScreenAndNotThroughTheCourse) {
    Craft(0).weapon = 0;
    Enemy* e = PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f});
    CraftTick(0, 0);
    ASSERT_EQ(e->lockCountdowns[0], 120);
    e->points[0] = gfx::Vec3{5000.0f, 0.0f, -300.0f};
    CraftTick(0, 0);
    EXPECT_EQ(e->lockCountdowns[0], 0);

    // A wall between the craft and the enemy (both windings; the back face does not count).
    StageInfo stage{};
    stage.mapType = 2;
    stage.mapCount = 1;
    gCurrentStage = &stage;
    for (CollisionSegment& s : gCollisionSegments) s.count = 0;
    gMapVertices[0] = {-500.0f, -500.0f, -150.0f};
    gMapVertices[1] = {-500.0f, 500.0f, -150.0f};
    gMapVertices[2] = {500.0f, 0.0f, -150.0f};
    gMapTriangles[0] = MapTriangle{{0, 1, 2}, 0, {0, 0, 0}};
    gMapTriangles[1] = MapTriangle{{0, 2, 1}, 0, {0, 0, 0}};
    BuildCollisionSegment(0, 2, 0);
    e->points[0] = gfx::Vec3{0.0f, 0.0f, -300.0f};
    for (int t = 0; t < 30; ++t) CraftTick(0, 0);
    EXPECT_EQ(e->lockCountdowns[0], 0);
    gCurrentStage = nullptr;
    for (int t = 0; t < 30; ++t) CraftTick(0, 0);
    EXPECT_EQ(e->lockCountdowns[0], 120);
}

TEST_F(WeaponsTest, ALaserLockBelongsToTheCraftThatSetIt) {
    gGameState.playerCount = 2;
    SetUpCraft(1, 1, 0.0f);
    Enemy* e = PlaceEnemy(0, gfx::Vec3{0.0f, 0.0f, -300.0f});
    // No ordinary lock on its one point before hold-fire starts at the 20th held tick.
    Craft(0).lockCooldown = 21;
    Craft(1).lockCooldown = 1000;
    for (int t = 0; t < 25; ++t) {
        CraftTick(0, kPadDecide, t == 0 ? kPadDecide : 0);
        CraftTick(1, 0);
    }
    EXPECT_EQ(Craft(0).holdFire, 1);
    EXPECT_EQ(e->markerCountdown, 60);
    EXPECT_EQ(Craft(0).aimTarget, EnemyIndex(*e));
    EXPECT_EQ(Craft(1).aimTarget, -1);
    EXPECT_EQ(LocksHeld(), 0);  // hold-fire takes the laser lock, not a lock slot
    // The combo window holds while a laser lock is held.
    gGameState.comboWindow = 5;
    UpdateCombo();
    EXPECT_EQ(gGameState.comboWindow, 5);
    // Releasing ends hold-fire with its sparks; the lock then goes with the craft's next tick.
    CraftTick(0, 0);
    EXPECT_EQ(Craft(0).holdFire, 0);
    EXPECT_TRUE(Requested(295));
    EXPECT_EQ(ParticlesOfKind(particle_kind::kGunSparkRight), 16);
    CraftTick(0, 0);
    EXPECT_EQ(e->markerCountdown, 0);
}

// Hold-fire turns the craft toward its laser lock: the aimed yaw and pitch stay in the craft
// (the next tick's pose and the charge shots start from them) with the bank levelled.
TEST_F(WeaponsTest, HoldFireKeepsTheAimedYawAndPitchInTheCraft) {
    const gfx::Vec3 points[] = {
        {0.0f, 0.0f, -300.0f}, {20.0f, 10.0f, -300.0f}, {-15.0f, -12.0f, -250.0f}};
    for (const gfx::Vec3& at : points) {
        SCOPED_TRACE(::testing::Message() << at.x << " " << at.y << " " << at.z);
        ResetEnemyGlobals();
        SetUpCraft(0, 0);
        Craft(0).bank = 0.7f;
        Craft(0).lockCooldown = 21;
        Enemy* e = PlaceEnemy(0, at);
        for (int t = 0; t < 25; ++t) CraftTick(0, kPadDecide, t == 0 ? kPadDecide : 0);
        ASSERT_EQ(Craft(0).aimTarget, EnemyIndex(*e));
        // The camera looks down -z with the identity direction: the aim is the point's own
        // heading and elevation from the craft.
        float flat = std::sqrt(at.x * at.x + at.z * at.z);
        EXPECT_NEAR(Craft(0).yaw, std::atan2(at.x, at.z), 1e-5f);
        EXPECT_NEAR(Craft(0).pitch, -std::atan2(at.y, flat), 1e-5f);
        EXPECT_EQ(Craft(0).bank, 0.0f);
    }
}

TEST_F(WeaponsTest, TheVulcanFiresMirroredPairsEveryFifthTickOfItsBurst) {
    gGameState.playerCount = 2;
    SetUpCraft(1, 1, 40.0f);
    gShotPool.cursor = 0;
    CraftTick(0, kPadDecide, kPadDecide);
    CraftTick(1, kPadDecide, kPadDecide);
    ASSERT_EQ(ShotsOfKind(shot_kind::kTwin), 2);
    ASSERT_EQ(ShotsOfKind(shot_kind::kTwinCraft1), 2);
    const Shot& a = gShotPool.shots[0];
    const Shot& b = gShotPool.shots[1];
    EXPECT_EQ(a.owner, &Craft(0));
    EXPECT_EQ(gShotPool.shots[2].owner, &Craft(1));
    // The pair mirrors in x about the craft (its first move brings it to the muzzle).
    EXPECT_NEAR(a.position[0] + a.velocity[0], -(b.position[0] + b.velocity[0]), 1e-4f);
    EXPECT_NEAR(a.position[0] + a.velocity[0], -4.0f, 1e-4f);  // 3.2 x 1.25, turned about y
    EXPECT_FLOAT_EQ(a.radius, 15.0f);
    EXPECT_TRUE(Requested(294));
    // A press gives a burst of 120 ticks: 24 pairs; the heat stays 0.
    for (int t = 1; t < 140; ++t) CraftTick(0, 0);
    EXPECT_EQ(ShotsOfKind(shot_kind::kTwin), 48);
    EXPECT_EQ(Craft(0).heat, 0.0f);
    EXPECT_EQ(Craft(0).gunTicks, 0);
}

}  // namespace
}  // namespace vqtest
