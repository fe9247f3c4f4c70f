// Enemy bullet patterns: the bullets each volley makes, their kinds and directions, the
// choice of the aimed player and a full shot pool.
#include <cmath>
#include <cstring>

#include "play/enemies/bullet_patterns.h"
#include "tests/enemies/enemy_fixture.h"

namespace vqtest {
namespace {

constexpr float kPi = gfx::kPi;

class BulletPatternTest : public EnemyTest {
protected:
    void SetUp() override {
        EnemyTest::SetUp();
        enemy_ = Spawn(0, 4);
        enemy_->basePosition = {0, kRailHeight, 1000};
        enemy_->yaw = enemy_->pitch = enemy_->roll = 0;
        enemy_->wobblePhase = 0;
        UpdateEnemyWorldPoints(enemy_);
    }

    std::vector<const Shot*> Shots() const {
        std::vector<const Shot*> out;
        for (const Shot& s : gShotPool.shots) {
            if (s.kind != 0) out.push_back(&s);
        }
        return out;
    }

    static gfx::Vec3 Velocity(const Shot& s) {
        return {s.velocity[0], s.velocity[1], s.velocity[2]};
    }

    Enemy* enemy_ = nullptr;
};

TEST_F(BulletPatternTest, EveryPatternMakesItsBulletsOfItsKind) {
    struct Case {
        int32_t pattern;
        size_t bullets;
        int32_t kind;
    };
    const Case cases[] = {{1, 2, 1},   {24, 2, 24}, {3, 1, 3},   {12, 1, 12}, {14, 3, 14},
                          {15, 8, 15}, {16, 1, 16}, {17, 1, 17}, {19, 1, 19}, {20, 1, 20},
                          {21, 1, 21}, {22, 1, 22}, {23, 1, 23}, {25, 1, 25}, {28, 1, 16},
                          {29, 1, 17}, {30, 1, 30}, {31, 1, 31}, {2, 0, 0},   {99, 0, 0}};
    for (const Case& c : cases) {
        ResetShotPool();
        FireEnemyBulletPattern(enemy_, c.pattern);
        auto shots = Shots();
        ASSERT_EQ(shots.size(), c.bullets) << "pattern " << c.pattern;
        for (const Shot* s : shots) {
            EXPECT_EQ(s->kind, c.kind) << "pattern " << c.pattern;
            EXPECT_EQ(s->side, kShotSideEnemy);
            EXPECT_EQ(s->aimedPlayer, 0);
        }
    }
}

TEST_F(BulletPatternTest, AimedShotsHeadForThePlayerAtTheirSpeeds) {
    struct Case {
        int32_t pattern;
        gfx::Vec3 velocity;
    };
    const gfx::Vec3 high = gfx::Scale(gfx::Normalize({0, 30, -1000}), 4.0f);
    for (const Case& c : {Case{3, {0, 0, -12}}, Case{29, {0, 0, -4}}, Case{30, high},
                          Case{31, {0, 0, -8}}, Case{17, {0, 0, -2}}}) {
        ResetShotPool();
        FireEnemyBulletPattern(enemy_, c.pattern);
        ASSERT_EQ(Shots().size(), 1u) << c.pattern;
        gfx::Vec3 v = Velocity(*Shots()[0]);
        EXPECT_NEAR(v.x, c.velocity.x, 1e-4f) << c.pattern;
        EXPECT_NEAR(v.y, c.velocity.y, 1e-4f) << c.pattern;
        EXPECT_NEAR(v.z, c.velocity.z, 1e-4f) << c.pattern;
    }
}

TEST_F(BulletPatternTest, TheTwinGunsMirrorTheirMuzzlesAndTheFanSpreadsItsDrops) {
    FireEnemyBulletPattern(enemy_, 1);
    auto twin = Shots();
    ASSERT_EQ(twin.size(), 2u);
    EXPECT_FLOAT_EQ(twin[0]->position[0], 0.8f);
    EXPECT_FLOAT_EQ(twin[1]->position[0], -0.8f);
    EXPECT_FLOAT_EQ(twin[0]->position[1], kRailHeight - 3.125f);
    EXPECT_FLOAT_EQ(twin[0]->velocity[2], 20.0f);
    EXPECT_FLOAT_EQ(twin[0]->radius, 15.0f);
    // The muzzles turn about z with the fire timer.
    ResetShotPool();
    enemy_->fireTimer = 10;  // a turn of 1.5 radians
    FireEnemyBulletPattern(enemy_, 24);
    twin = Shots();
    ASSERT_EQ(twin.size(), 2u);
    EXPECT_NEAR(twin[0]->position[0], 0.8f * std::cos(1.5f), 1e-5f);
    EXPECT_NEAR(twin[1]->position[1], kRailHeight - 3.125f - 0.8f * std::sin(1.5f), 1e-5f);

    ResetShotPool();
    FireEnemyBulletPattern(enemy_, 15);
    auto fan = Shots();
    ASSERT_EQ(fan.size(), 8u);
    const float drops[4] = {-1.0f, -1.7f, -2.4f, -3.1f};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(fan[i]->velocity[1], drops[i % 4], 1e-5f) << i;
        EXPECT_FLOAT_EQ(fan[i]->position[0], i < 4 ? 160.0f : -160.0f);
        float b = i < 4 ? -0.07f * kPi : 0.07f * kPi;
        EXPECT_NEAR(fan[i]->velocity[0], -15.0f * std::sin(b), 1e-4f);
    }
}

TEST_F(BulletPatternTest, TurretBurstsAimAtMostATenthOfATurnFromTheirFacing) {
    gPlayerCrafts[0].position = {1000, kRailHeight, 1000};  // square to the enemy's side
    FireEnemyBulletPattern(enemy_, 19);
    ASSERT_EQ(Shots().size(), 1u);
    const Shot& s = *Shots()[0];
    EXPECT_NEAR(s.yaw, 0.1f * kPi, 1e-5f);
    EXPECT_NEAR(s.velocity[0], -6.0f * std::sin(0.1f * kPi), 1e-4f);
    EXPECT_NEAR(s.velocity[2], -6.0f * std::cos(0.1f * kPi), 1e-4f);
}

TEST_F(BulletPatternTest, MissilesLaunchAtTwoUnitsATickAndCarryTheirLevel) {
    for (int32_t type : {0, 38}) {
        ResetShotPool();
        enemy_->type = type;
        FireEnemyBulletPattern(enemy_, 16);
        ASSERT_EQ(Shots().size(), 1u);
        const Shot& s = *Shots()[0];
        EXPECT_EQ(s.kindValueA, type == 38 ? 2 : 0);
        EXPECT_NEAR(std::hypot(s.velocity[0], s.velocity[2]), 2.0f, 1e-4f);
        EXPECT_NEAR(s.velocity[1], 2.0f * std::sin(-0.1f * kPi), 1e-5f);
        // Swung off the line to the player by a tenth to a fifth of a half turn.
        float off = std::fabs(s.yaw - std::atan2(0.0f, -1000.0f));
        if (off > kPi) off = 2 * kPi - off;
        EXPECT_GE(off, 0.1f * kPi - 1e-5f);
        EXPECT_LE(off, 0.2f * kPi + 1e-5f);
    }
    ResetShotPool();
    enemy_->type = 0;
    enemy_->basePosition = {5, 6, 700};
    UpdateEnemyWorldPoints(enemy_);
    FireEnemyBulletPattern(enemy_, 28);
    ASSERT_EQ(Shots().size(), 1u);
    const Shot& s = *Shots()[0];
    EXPECT_EQ(s.kind, 16);
    EXPECT_FLOAT_EQ(s.position[2], 700.0f);
}

TEST_F(BulletPatternTest, TheAimedPlayerCostsOneDrawOnlyWithASecondCraft) {
    RandomState before = gRandomState;
    FireEnemyBulletPattern(enemy_, 3);
    EXPECT_EQ(std::memcmp(&before, &gRandomState, sizeof before), 0);

    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    before = gRandomState;
    int32_t draw = RandomInt();
    RandomState expected = gRandomState;
    gRandomState = before;
    FireEnemyBulletPattern(enemy_, 3);
    EXPECT_EQ(std::memcmp(&expected, &gRandomState, sizeof expected), 0);
    ASSERT_FALSE(Shots().empty());
    EXPECT_EQ(Shots().back()->aimedPlayer, (draw & 1) ? 1 : 0);
}

TEST_F(BulletPatternTest, AFullPoolCutsAVolleyShort) {
    for (int i = 0; i < kShotPoolSize - 1; ++i) {
        Shot* s = ClaimFreeShotSlot();
        ASSERT_NE(s, nullptr);
        s->kind = 3;
    }
    FireEnemyBulletPattern(enemy_, 15);
    EXPECT_EQ(CountShots(15), 1);
    FireEnemyBulletPattern(enemy_, 1);
    EXPECT_EQ(CountShots(1), 0);
}

}  // namespace
}  // namespace vqtest
