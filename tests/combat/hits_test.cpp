// Shots in flight and what they hit: damage by kind, set-up and craft, kills with combo,
// score and coins, bullets against the crafts, lifetimes, leaving the screen, the course,
// homing, piercing shots, the drill and the lock laser.
#include "tests/combat/combat_fixture.h"

namespace vqtest {
namespace {

class HitsTest : public CombatTest {
protected:
    // A player shot of the kind at p, fired by the craft.
    Shot* PlayerShot(int32_t kind, gfx::Vec3 p, int craft = 0) {
        Shot* s = ClaimFreeShotSlot();
        s->kind = kind;
        s->side = kShotSidePlayer;
        s->owner = &Craft(craft);
        s->position[0] = p.x, s->position[1] = p.y, s->position[2] = p.z;
        s->radius = 5.0f;
        s->serial = NextShotSerial();
        return s;
    }
    Shot* Bullet(int32_t kind, gfx::Vec3 p, gfx::Vec3 v = {0.0f, 0.0f, 0.0f}) {
        Shot* s = ClaimFreeShotSlot();
        s->kind = kind;
        s->side = kShotSideEnemy;
        s->position[0] = p.x, s->position[1] = p.y, s->position[2] = p.z;
        s->velocity[0] = v.x, s->velocity[1] = v.y, s->velocity[2] = v.z;
        return s;
    }
    static int CoinValueTotal() {
        int total = 0;
        for (const Pickup& p : gPickupPool.pickups) total += CoinValue(p.kind);
        return total;
    }
    // A floor at height y under the whole test area.
    void Floor(float y) {
        stage_ = StageInfo{};
        stage_.mapType = 2;
        stage_.mapCount = 1;
        gCurrentStage = &stage_;
        for (CollisionSegment& s : gCollisionSegments) s.count = 0;
        gMapVertices[0] = {-5000.0f, y, -5000.0f};
        gMapVertices[1] = {-5000.0f, y, 5000.0f};
        gMapVertices[2] = {5000.0f, y, -5000.0f};
        gMapTriangles[0] = MapTriangle{{0, 1, 2}, 0, {0, 0, 0}};
        BuildCollisionSegment(0, 1, 0);
    }
    StageInfo stage_{};
};

struct DamageCase {
    PlayerSetup setup;
    int model;
    int gunItem;
    int32_t kind;
    float damage;
    bool sound;
};

TEST_F(HitsTest, DamageBySetUpCraftAndShotKind) {
    const DamageCase cases[] = {
        {PlayerSetup::OnePlayer, 1, 0, 1, 2.0f, true},
        {PlayerSetup::OnePlayer, 1, 1, 24, 3.0f, true},
        {PlayerSetup::TwoPlayers, 1, 0, 1, 1.2f, true},
        {PlayerSetup::ComputerPartner, 1, 0, 1, 1.6f, true},
        {PlayerSetup::OnePlayer, 0, 0, 1, 1.0f, true},
        {PlayerSetup::OnePlayer, 2, 0, 2, 36.0f, true},
        {PlayerSetup::TwoPlayers, 0, 0, 6, 36.0f, true},
        {PlayerSetup::OnePlayer, 2, 0, 35, 2.0f, true},
        {PlayerSetup::OnePlayer, 0, 0, 10, 1.2f, true},
        {PlayerSetup::OnePlayer, 0, 0, 11, 3.0f, true},
        {PlayerSetup::OnePlayer, 0, 0, 7, 10.0f, true},
        {PlayerSetup::OnePlayer, 0, 0, 9, 15.0f, true},
        {PlayerSetup::OnePlayer, 0, 0, 8, 40.0f, true},
        {PlayerSetup::OnePlayer, 0, 0, 4, 1.0f, false},
        {PlayerSetup::OnePlayer, 2, 0, 3, 1.2f, true},
    };
    for (const DamageCase& c : cases) {
        ResetEnemyGlobals();
        FreeAllShots();
        ClearSounds();
        SetUpCraft(0, c.model);
        gGameState.playerSetup = c.setup;
        gGameState.shopBoosts[0] = c.gunItem;
        Enemy* e = PlaceEnemy(14, gfx::Vec3{0.0f, 0.0f, -300.0f});
        Shot* s = PlayerShot(c.kind, gfx::Vec3{0.0f, 0.0f, -300.0f});
        s->target = EnemyIndex(*e);
        ASSERT_EQ(ResolveShotHits(s), 1) << c.kind;
        EXPECT_NEAR(280.0f - e->hitPoints, c.damage, 1e-4f) << c.kind << " " << c.model;
        EXPECT_EQ(e->damageDisplay, 30);
        EXPECT_EQ(e->hitBlink, 4);
        EXPECT_EQ(Requested(290), c.sound) << c.kind;
    }
}

TEST_F(HitsTest, AKillPaysScoreCoinsAndComboAndLeavesABurst) {
    struct Case {
        int32_t comboBefore;
        int32_t shotKind;
        int32_t burstKind;
        int multiplier;
    };
    const Case cases[] = {{0, 2, shot_kind::kBurst, 1},
                          {24, 5, shot_kind::kBigBurst, 20},
                          {998, 1, shot_kind::kBurst, 20}};
    for (const Case& c : cases) {
        ResetEnemyGlobals();
        FreeAllShots();
        FreeAllPickups();
        gGameState.combo = c.comboBefore;
        gGameState.comboWindow = 12;
        gGameState.enemyPoints[0] = 0;
        gGameState.kills[0] = 0;
        gGameState.enemiesDestroyed = 0;
        Enemy* e = PlaceEnemy(1, gfx::Vec3{0.0f, 0.0f, -300.0f});  // 3 hit points, 300 points
        Shot* s = PlayerShot(c.shotKind, gfx::Vec3{0.0f, 0.0f, -300.0f});
        s->target = EnemyIndex(*e);
        s->radius = 20.0f;
        if (c.shotKind == 1) e->hitPoints = 1.0f;
        ASSERT_EQ(ResolveShotHits(s), 1);
        EXPECT_EQ(e->state, EnemyState::ShotDown);
        EXPECT_EQ(e->hitPoints, 0.0f);
        int combo = std::min(c.comboBefore + 1, 999);
        EXPECT_EQ(gGameState.combo, combo);
        EXPECT_EQ(gGameState.comboWindow, 30);
        EXPECT_EQ(gGameState.comboBounce, 8);
        EXPECT_EQ(gGameState.bestCombo, std::max(combo, gGameState.bestCombo));
        EXPECT_EQ(gGameState.enemyPoints[0], 300);
        EXPECT_EQ(gGameState.kills[0], 1);
        EXPECT_EQ(gGameState.enemiesDestroyed, 1);
        int value = CoinValueTotal();
        EXPECT_GE(value, 10 * 90 * c.multiplier) << c.comboBefore;
        EXPECT_LE(value, 10 * 99 * c.multiplier) << c.comboBefore;
        EXPECT_EQ(ShotsOfKind(c.burstKind), 1);
        EXPECT_TRUE(Requested(291));
    }
}

TEST_F(HitsTest, TheComboShownIsTheComboReachedHeldForSixtyTicks) {
    gGameState.combo = 7;
    gGameState.comboWindow = 30;
    gGameState.comboBounce = 8;
    for (int t = 0; t < 29; ++t) UpdateCombo();
    EXPECT_EQ(gGameState.combo, 7);
    EXPECT_EQ(gGameState.comboBounce, 0);
    UpdateCombo();
    EXPECT_EQ(gGameState.combo, 0);
    EXPECT_EQ(gGameState.comboShown, 7);
    EXPECT_EQ(gGameState.comboShownTicks, 60);
    for (int t = 0; t < 60; ++t) UpdateCombo();
    EXPECT_EQ(gGameState.comboShownTicks, 0);
    // A hit keeps at least 10 ticks of window.
    gGameState.comboWindow = 3;
    Enemy* e = PlaceEnemy(14, gfx::Vec3{0.0f, 0.0f, -300.0f});
    ASSERT_EQ(ResolveShotHits(PlayerShot(1, gfx::Vec3{0.0f, 0.0f, -300.0f})), 1);
    EXPECT_EQ(gGameState.comboWindow, 10);
    EXPECT_GT(e->hitPoints, 0.0f);
}

TEST_F(HitsTest, LockOnShotsPassEveryEnemyButTheirTargetAndRingsStrikeOnce) {
    Enemy* a = PlaceEnemy(14, gfx::Vec3{0.0f, 0.0f, -300.0f});
    Enemy* b = PlaceEnemy(14, gfx::Vec3{0.0f, 0.0f, -900.0f});
    Shot* s = PlayerShot(shot_kind::kHoming, gfx::Vec3{0.0f, 0.0f, -300.0f});
    s->target = EnemyIndex(*b);
    EXPECT_EQ(ResolveShotHits(s), 0);
    EXPECT_EQ(a->hitPoints, 280.0f);
    Shot* ring = PlayerShot(shot_kind::kRing, gfx::Vec3{0.0f, 0.0f, -300.0f});
    EXPECT_EQ(ResolveShotHits(ring), 1);
    EXPECT_EQ(ResolveShotHits(ring), 0);
    EXPECT_FLOAT_EQ(a->hitPoints, 277.0f);
    EXPECT_EQ(a->hitRing[0], ring->serial);
    // Untargetable and spawn-delayed enemies are passed by every shot.
    a->untargetable = 1;
    b->spawnDelay = 3;
    EXPECT_EQ(ResolveShotHits(PlayerShot(1, gfx::Vec3{0.0f, 0.0f, -300.0f})), 0);
}

struct BulletCase {
    PlayerSetup setup;
    int craft;
    int32_t kind;
    float lifeBefore;
    CraftState state;
    int out;
};

TEST_F(HitsTest, BulletsCostLifeAndDownTheCraftOnlyBelowZero) {
    // Craft 0 model 0 (armour 0.5): 7.5 a bullet, 1.5 a twin bullet.
    const BulletCase cases[] = {
        {PlayerSetup::OnePlayer, 0, 3, 7.5f, CraftState::Flying, 0},  // lands on 0: flies on
        {PlayerSetup::OnePlayer, 0, 3, 7.0f, CraftState::Destroyed, 0},
        {PlayerSetup::OnePlayer, 0, 1, 1.0f, CraftState::Destroyed, 0},
        {PlayerSetup::OnePlayer, 0, 16, 20.0f, CraftState::KnockedDown, 0},
        {PlayerSetup::TwoPlayers, 0, 3, 7.0f, CraftState::Down, 1},
        {PlayerSetup::ComputerPartner, 0, 3, 7.0f, CraftState::Destroyed, 0},
        {PlayerSetup::ComputerPartner, 1, 3, 7.0f, CraftState::Down, 0},
    };
    for (const BulletCase& c : cases) {
        FreeAllShots();
        ClearSounds();
        gPlayerHitFlag = 0;
        gGameState.playerSetup = c.setup;
        gGameState.playerCount = 2;
        SetUpCraft(0, 0, 0.0f);
        SetUpCraft(1, 0, 200.0f);
        PlayerCraft& craft = Craft(c.craft);
        craft.life = c.lifeBefore;
        craft.holdFire = 1;
        craft.rollDirection = 1;
        gfx::Vec3 at = craft.position;
        at.x += 5.0f;
        ASSERT_EQ(ResolveShotHits(Bullet(c.kind, at)), 1);
        EXPECT_EQ(craft.state, c.state) << c.kind << " " << c.lifeBefore;
        EXPECT_EQ(craft.out, c.out);
        EXPECT_GE(craft.life, 0.0f);
        EXPECT_EQ(craft.invulnerable, 60);
        EXPECT_EQ(craft.hitFlash, 8);
        EXPECT_EQ(craft.rollDirection, 0);
        EXPECT_EQ(craft.holdFire, c.kind == 16 ? 0 : 1);
        EXPECT_EQ(gPlayerHitFlag, 1);
        EXPECT_TRUE(Requested(290));
        // Invulnerable now: the next bullet passes.
        EXPECT_EQ(ResolveShotHits(Bullet(c.kind, at)), 0);
    }
}

TEST_F(HitsTest, BulletsHitOnlyInPlayAndRollingCraftsTurnThemBack) {
    Shot* b = Bullet(3, gfx::Vec3{0.0f, 0.0f, 0.0f}, gfx::Vec3{0.0f, 0.0f, 2.0f});
    gGameState.bossTransitionCounter = 1;
    EXPECT_EQ(ResolveShotHits(b), 0);
    gGameState.bossTransitionCounter = 0;
    gGameState.playPhase = PlayPhase::StageClear;
    EXPECT_EQ(ResolveShotHits(b), 0);
    gGameState.playPhase = PlayPhase::ContinuePrompt;
    EXPECT_EQ(ResolveShotHits(PlayerShot(1, gfx::Vec3{0.0f, 0.0f, -300.0f})), 0);
    gGameState.playPhase = PlayPhase::Playing;
    // A weapon-8 charge below 1200 is lost with the hit.
    Craft(0).weapon = 8;
    Craft(0).orbitCounters[0] = 700;
    Craft(0).heat = 75.0f;
    EXPECT_EQ(ResolveShotHits(b), 1);
    EXPECT_EQ(Craft(0).orbitCounters[0], 0);
    EXPECT_EQ(Craft(0).heat, 0.0f);

    SetUpCraft(0, 0);
    gGameState.shopBoosts[3] = 1;
    Craft(0).rollDirection = -1;
    Shot* near = Bullet(3, gfx::Vec3{0.0f, 0.0f, 25.0f}, gfx::Vec3{0.0f, 0.0f, -2.0f});
    EXPECT_EQ(ResolveShotHits(near), 0);
    EXPECT_EQ(near->side, kShotSideTurned);
    EXPECT_EQ(near->velocity[2], 2.0f);
    Shot* missile = Bullet(16, gfx::Vec3{0.0f, 0.0f, 5.0f});
    missile->yaw = 0.5f;
    EXPECT_EQ(ResolveShotHits(missile), 0);
    EXPECT_FLOAT_EQ(missile->yaw, 0.5f + gfx::kPi);
    EXPECT_EQ(ResolveShotHits(missile), 0);  // a turned shot hits nothing
    EXPECT_EQ(Craft(0).life, kFullLife);
}

TEST_F(HitsTest, ShotLifetimesTheScreenAndTheCourse) {
    struct Case {
        int32_t kind;
        int32_t side;
        int longLock;
        int life;
    };
    const Case cases[] = {{1, 0, 0, 15},  {24, 0, 1, 20}, {1, 1, 0, 40}, {10, 0, 0, 32},
                          {11, 0, 0, 50}, {35, 0, 0, 50}, {4, 0, 0, 30}, {3, 1, 0, 200}};
    for (const Case& c : cases) {
        FreeAllShots();
        stage_ = StageInfo{};
        stage_.longLock = c.longLock;
        gCurrentStage = &stage_;
        Shot* s = ClaimFreeShotSlot();
        s->kind = c.kind;
        s->side = c.side;
        s->position[2] = -300.0f;
        s->generation = gShotPool.generation - 1;
        int ticks = 0;
        while (CountShots() > 0 && ticks < 1000) {
            UpdateShots();
            NextShotGeneration();
            ++ticks;
        }
        EXPECT_EQ(ticks, c.life) << c.kind << " side " << c.side;
    }
    gCurrentStage = nullptr;
    // Enemy bullets and missiles 16 and 27 vanish off the screen.
    for (int32_t kind : {3, 16, 27}) {
        FreeAllShots();
        Bullet(kind, gfx::Vec3{5000.0f, 0.0f, -300.0f});
        UpdateShots();
        EXPECT_EQ(CountShots(), 0) << kind;
    }
    // Meeting the course ends a shot with a small explosion; kind 25 ignores the course.
    Floor(-10.0f);
    FreeAllShots();
    FreeAllParticles();
    Bullet(3, gfx::Vec3{0.0f, 15.0f, -300.0f}, gfx::Vec3{0.0f, -20.0f, 0.0f});
    Bullet(25, gfx::Vec3{0.0f, 15.0f, -310.0f}, gfx::Vec3{0.0f, -20.0f, 0.0f});
    UpdateShots();
    EXPECT_EQ(ShotsOfKind(3), 0);
    EXPECT_EQ(ShotsOfKind(25), 1);
    EXPECT_GT(ParticlesOfKind(particle_kind::kExplosion), 0);
    gCurrentStage = nullptr;
}

TEST_F(HitsTest, LockOnShotsHomeOnTheirTargetAndFlyOnWhenItDies) {
    Enemy* e = PlaceEnemy(14, gfx::Vec3{200.0f, 50.0f, -400.0f});
    e->lockCountdowns[0] = 100;
    e->lockOwners[0] = 0;
    Craft(0).weapon = 0;
    gShotPool.cursor = 0;
    FirePlayerWeapon(&Craft(0), shot_kind::kHoming);
    ASSERT_EQ(ShotsOfKind(shot_kind::kHoming), 1);
    Shot* s = &gShotPool.shots[0];
    EXPECT_EQ(s->target, EnemyIndex(*e));
    EXPECT_EQ(e->lockCountdowns[0], -1);
    int ticks = 0;
    while (ShotsOfKind(shot_kind::kHoming) > 0 && ticks < 200) {
        UpdateShots();
        ++ticks;
    }
    EXPECT_LT(ticks, 200);
    EXPECT_FLOAT_EQ(e->hitPoints, 280.0f - 30.0f);

    // Its target shot down, the shot flies straight on, slowing by 5 % a tick.
    FreeAllShots();
    e->lockCountdowns[0] = 100;
    gShotPool.cursor = 0;
    FirePlayerWeapon(&Craft(0), shot_kind::kHoming);
    ASSERT_EQ(s->kind, shot_kind::kHoming);
    UpdateShots();
    e->state = EnemyState::ShotDown;
    UpdateShots();
    EXPECT_EQ(s->target, -1);
    UpdateShots();
    float k = std::min(static_cast<float>(s->timer) * 0.3f, 10.0f) * 0.95f;
    EXPECT_NEAR(s->velocity[0], std::sin(s->yaw) * k, 1e-4f);
    EXPECT_NEAR(s->velocity[1], std::sin(s->pitch) * k, 1e-4f);
    EXPECT_NEAR(s->velocity[2], std::cos(s->yaw) * k, 1e-4f);
}

TEST_F(HitsTest, TheDrillGrindsAndTheLockLaserStrikesLiveLocks) {
    Enemy* e = PlaceEnemy(14, gfx::Vec3{0.0f, 0.0f, -300.0f});
    Shot* drill = PlayerShot(shot_kind::kDrill, gfx::Vec3{0.0f, 0.0f, -296.0f});
    drill->velocity[2] = -4.0f;
    UpdateShots();
    EXPECT_FLOAT_EQ(drill->kindValueB, 5.0f);
    EXPECT_FLOAT_EQ(drill->position[2], -300.0f + 8.0f);
    EXPECT_EQ(drill->kind, shot_kind::kDrill);
    for (int t = 0; t < 10; ++t) UpdateShots();
    EXPECT_FLOAT_EQ(e->hitPoints, 280.0f - 11 * 1.0f);

    // The lock laser strikes the smallest live countdown of its own player (using the lock
    // up) every 19 ticks, and ends when none is left; a spent lock (-1) is not a target.
    ResetEnemyGlobals();
    FreeAllShots();
    FreeAllParticles();
    Enemy* spent = PlaceEnemy(14, gfx::Vec3{0.0f, 0.0f, -500.0f});
    spent->lockCountdowns[0] = -1;
    spent->lockOwners[0] = 0;
    Enemy* first = PlaceEnemy(14, gfx::Vec3{100.0f, 0.0f, -500.0f});
    first->lockCountdowns[0] = 200;
    first->lockOwners[0] = 0;
    Enemy* second = PlaceEnemy(14, gfx::Vec3{-100.0f, 0.0f, -500.0f});
    second->lockCountdowns[0] = 300;
    second->lockOwners[0] = 0;
    Enemy* others = PlaceEnemy(14, gfx::Vec3{-100.0f, 100.0f, -500.0f});
    others->lockCountdowns[0] = 100;
    others->lockOwners[0] = 1;
    Craft(0).weapon = 7;
    FirePlayerWeapon(&Craft(0), shot_kind::kLockLaser);
    ASSERT_EQ(ShotsOfKind(shot_kind::kLockLaser), 1);
    for (int t = 0; t < 20; ++t) UpdateShots();
    EXPECT_FLOAT_EQ(first->hitPoints, 280.0f - 10.0f);
    EXPECT_EQ(first->lockCountdowns[0], 0);
    EXPECT_EQ(ParticlesOfKind(particle_kind::kBeam), 1);
    for (int t = 0; t < 19; ++t) UpdateShots();
    EXPECT_FLOAT_EQ(second->hitPoints, 280.0f - 10.0f);
    for (int t = 0; t < 19; ++t) UpdateShots();
    EXPECT_EQ(ShotsOfKind(shot_kind::kLockLaser), 0);
    EXPECT_EQ(spent->hitPoints, 280.0f);
    EXPECT_EQ(others->hitPoints, 280.0f);
}

TEST_F(HitsTest, TheTwoPlayerOptionFiresWithTheVulcansAndBeamsOnItsTimer) {
    gGameState.playerCount = 2;
    SetUpCraft(1, 1, 40.0f);
    FirePlayerWeapon(&Craft(0), shot_kind::kOption);
    ASSERT_EQ(ShotsOfKind(shot_kind::kOption), 1);
    ASSERT_GE(gOptionShotIndex, 0);
    // Without the timer it fires a vulcan pair on every fifth tick while a craft fires.
    Craft(1).burst = 50;
    for (int t = 0; t < 10; ++t) UpdateShots();
    const Shot& option = gShotPool.shots[static_cast<size_t>(gOptionShotIndex)];
    EXPECT_FLOAT_EQ(option.position[0], 20.0f);  // between the crafts
    EXPECT_EQ(ShotsOfKind(shot_kind::kTwin), 4);
    // With the timer it fires a beam every tick and counts the timer down.
    Craft(1).burst = 0;
    gGameState.optionTimer = 3;
    for (int t = 0; t < 5; ++t) UpdateShots();
    EXPECT_EQ(gGameState.optionTimer, 0);
    EXPECT_EQ(ShotsOfKind(shot_kind::kOptionBeam), 3);
}

// The hit pass of player shots sets live enemies aside eight at a time, by their blocks'
// boxes and then four by four. Without the pass's snapshot a shot searches the pool plainly,
// in order. Both must strike the same enemy with every shot and draw the same random numbers
// in the same order: at the edge of each point's reach and one float step to either side,
// far from the origin, with blocks whose boxes straddle two groups, with enemies within
// reach of one shot in different blocks, and with points and shots that are not finite.
TEST_F(HitsTest, TheHitPassStrikesAsAPlainSearchOfThePoolInOrder) {
    constexpr int kSlots = 30;
    // Every fourth slot is spent; the others alternate between two groups 3000 apart, one
    // of three an enemy of five points (type 14, hit radius 30), the others of one (type 1,
    // hit radius 0). Slots 25 and 29 stand where slots 2 and 6 do.
    struct Scene {
        float offset;        // added to every position
        bool nanPoint;       // slot 9's second point is not a number
        bool infiniteEnemy;  // slot 13 stands at +infinity in x
        bool wideSpread;     // slot 6's last point lies 2e5 from the others
    };
    const GameState start = gGameState;  // the combo and the scores of each run start alike
    auto place = [&](const Scene& scene, float hitPoints) {
        gGameState = start;
        ResetEnemyGlobals();
        FreeAllShots();
        FreeAllPickups();
        FreeAllParticles();
        SeedRandom(11);
        for (int i = 0; i < kSlots; ++i) {
            int at = i == 25 ? 2 : i == 29 ? 6 : i;
            gfx::Vec3 p{scene.offset + (at % 2 ? 3000.0f : 0.0f) + 37.0f * at,
                        scene.offset + 11.0f * at - 100.0f, scene.offset - 300.0f - 23.0f * at};
            Enemy* e = PlaceEnemy(at % 3 == 0 ? 14 : 1, p);
            ASSERT_NE(e, nullptr);
            e->hitPoints = hitPoints;
            if (i % 4 == 3) e->spawnDelay = 5;
        }
        if (scene.nanPoint) gEnemyPool[9].points[1].y = std::nanf("");
        if (scene.infiniteEnemy) gEnemyPool[13].points[0].x = INFINITY;
        if (scene.wideSpread) {
            // A spread so wide that the rounding of its length outgrows a fixed allowance.
            Enemy& wide = gEnemyPool[6];
            for (int k = 0; k < 4; ++k) wide.points[k] = {3494.87891f, -1031.5957f, 9064.72656f};
            wide.points[4] = gfx::Vec3{141355.203f, -103930.336f, -135474.312f};
        }
    };
    // Resolves the shots one after the other, in one pass or by the plain search; for each
    // shot the slot it struck (-1 none), then the random numbers drawn and the next one.
    auto resolve = [&](const std::vector<gfx::Vec3>& shots, bool pass) {
        std::vector<int64_t> out;
        uint64_t drawsBefore = gRandomDraws;
        if (pass) BeginShotHitPass();
        for (const gfx::Vec3& p : shots) {
            for (Enemy& e : gEnemyPool) e.damageDisplay = 0;
            Shot* s = PlayerShot(1, p);
            int hit = ResolveShotHits(s);
            int struck = -1;
            for (int i = 0; i < kEnemyPoolSize; ++i) {
                if (gEnemyPool[static_cast<size_t>(i)].damageDisplay == 30) struck = i;
            }
            out.push_back(hit ? struck : -1);
            s->kind = 0;
        }
        if (pass) EndShotHitPass();
        out.push_back(static_cast<int64_t>(gRandomDraws - drawsBefore));
        out.push_back(RandomInt());
        return out;
    };
    auto compare = [&](const Scene& scene, float hitPoints, const std::vector<gfx::Vec3>& shots) {
        place(scene, hitPoints);
        std::vector<int64_t> blocked = resolve(shots, true);
        place(scene, hitPoints);
        std::vector<int64_t> plain = resolve(shots, false);
        size_t first = 0;
        while (first < plain.size() && first < blocked.size() && plain[first] == blocked[first]) {
            ++first;
        }
        EXPECT_EQ(blocked, plain) << "first difference at " << first << " of " << plain.size()
                                  << " (the last two: random numbers drawn and the next one)";
        return plain;
    };

    const Scene scenes[] = {{0.0f, false, false, false},
                            {0.0f, true, true, true},
                            {1.0e5f, false, false, true},
                            {4.0e6f, true, false, false}};
    const float shotRadius = 5.0f;
    int struck = 0;
    for (const Scene& scene : scenes) {
        SCOPED_TRACE(testing::Message() << "scene " << &scene - scenes);
        // Shots at the edge of each point's reach, and one float step inside and outside it,
        // along each axis and a diagonal; every enemy keeps its life.
        place(scene, 1.0e6f);
        std::vector<std::vector<gfx::Vec3>> volleys;
        for (int i = 0; i < kSlots; ++i) {
            const Enemy& e = gEnemyPool[static_cast<size_t>(i)];
            const EnemyType& type = gEnemyTypeTable[static_cast<size_t>(e.type)];
            float reach = type.hitRadius + shotRadius;
            std::vector<gfx::Vec3> volley;
            for (int k = 0; k < type.pointCount; ++k) {
                const gfx::Vec3 point = e.points[static_cast<size_t>(k)];
                // The axes, a diagonal, and straight away from the first point, where a point
                // is farthest from it.
                gfx::Vec3 away = gfx::Sub(point, e.points[0]);
                float length = gfx::Length(away);
                away = length > 0.0f ? gfx::Scale(away, 1.0f / length) : gfx::Vec3{0, 1, 0};
                const gfx::Vec3 directions[] = {
                    {1, 0, 0}, {0, -1, 0}, {0, 0, 1}, {0.6f, 0.0f, -0.8f}, away};
                for (const gfx::Vec3& d : directions) {
                    gfx::Vec3 edge{point.x + d.x * reach, point.y + d.y * reach,
                                   point.z + d.z * reach};
                    volley.push_back(edge);
                    // One float step nearer and one farther in every coordinate that moved.
                    auto step = [&](float from, float dir, float toward) {
                        return dir == 0.0f ? from : std::nextafter(from, toward);
                    };
                    volley.push_back({step(edge.x, d.x, point.x), step(edge.y, d.y, point.y),
                                      step(edge.z, d.z, point.z)});
                    volley.push_back({step(edge.x, d.x, d.x * INFINITY),
                                      step(edge.y, d.y, d.y * INFINITY),
                                      step(edge.z, d.z, d.z * INFINITY)});
                }
            }
            volleys.push_back(volley);
        }
        for (const std::vector<gfx::Vec3>& volley : volleys) {
            std::vector<int64_t> plain = compare(scene, 1.0e6f, volley);
            for (size_t n = 0; n + 2 < plain.size(); ++n) struck += plain[n] >= 0;
        }
        // Shots that kill: each enemy's first point in turn from the last slot back (slots 25
        // and 29 share their spots with 2 and 6, in other blocks), then shots that are not
        // finite numbers.
        std::vector<gfx::Vec3> kills;
        for (int i = kSlots - 1; i >= 0; --i)
            kills.push_back(gEnemyPool[static_cast<size_t>(i)].points[0]);
        for (float bad : {std::nanf(""), INFINITY, -INFINITY}) {
            kills.push_back({bad, 0.0f, -300.0f});
            kills.push_back({scene.offset, bad, scene.offset - 300.0f});
            kills.push_back({bad, bad, bad});
        }
        compare(scene, 1.0f, kills);
    }
    EXPECT_GT(struck, 500);
}

TEST_F(HitsTest, ABurstMadeDuringThePassWaitsForTheNext) {
    Enemy* e = PlaceEnemy(14, gfx::Vec3{0.0f, 0.0f, -300.0f});
    SpawnShotAt(&Craft(0), 0.0f, 0.0f, -300.0f, shot_kind::kBurst);
    for (int t = 0; t < 6; ++t) UpdateShots();
    EXPECT_EQ(e->hitPoints, 280.0f);  // the same generation: not tested
    NextShotGeneration();
    for (int t = 0; t < 6; ++t) UpdateShots();
    EXPECT_LT(e->hitPoints, 280.0f);
}

}  // namespace
}  // namespace vqtest
