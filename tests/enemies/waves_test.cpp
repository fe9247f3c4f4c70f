// The wave timetable (timing, loops, a full pool), the formation placements of each
// behaviour against hand-computed positions, the map-placed turrets and the model marks.
#include <cmath>
#include <functional>

#include "play/waves/tables/wave_tables.h"
#include "tests/enemies/enemy_fixture.h"
#include "world/stage/stage_resources.h"

namespace vqtest {
namespace {

using WavesTest = EnemyTest;

// Ticks of wave play, with the weapon select off.
void Play(int ticks) {
    for (int i = 0; i < ticks; ++i) SpawnEnemyWaves();
}

TEST_F(WavesTest, ABossStageListRestartsAfterItsLoopFrame) {
    gGameState.stage = 2;  // groups of 3 at 100, 250, 400, 550; loop 600
    Play(550);
    EXPECT_EQ(gGameState.enemiesAppeared, 12);
    EXPECT_EQ(gWaveState.cursor, 4);
    Play(50);
    EXPECT_EQ(gWaveState.frame, 600);  // the loop frame itself is still played
    Play(1);
    EXPECT_EQ(gWaveState.frame, 0);
    EXPECT_EQ(gWaveState.cursor, 0);
    Play(100);
    EXPECT_EQ(gEnemyPool[12].state, EnemyState::Active);
    EXPECT_EQ(gGameState.enemiesAppeared, 15);
}

TEST_F(WavesTest, AListWithoutLoopFrameRestartsAfterTheRailAndNotDuringTheWeaponSelect) {
    gGameState.stage = 0;  // first group: 5 at frame 30
    gCameraRail.keyCount[0] = 100;
    Play(100);
    EXPECT_EQ(gGameState.enemiesAppeared, 5);
    Play(1);  // frame 101 is beyond the 100 keys
    EXPECT_EQ(gWaveState.frame, 0);
    Play(30);
    EXPECT_EQ(gGameState.enemiesAppeared, 10);

    gGameState.weaponSelect = 1;
    int32_t frame = gWaveState.frame;
    UpdateEnemies();
    EXPECT_EQ(gWaveState.frame, frame);
}

TEST_F(WavesTest, AFullPoolSpawnsNothingButTheCursorAdvances) {
    for (int i = 0; i < kEnemyPoolSize; ++i) ASSERT_NE(Spawn(4, 14), nullptr);
    gGameState.stage = 2;
    Play(100);
    EXPECT_EQ(gWaveState.cursor, 1);
    EXPECT_EQ(gGameState.enemiesAppeared, kEnemyPoolSize);
    gEnemyPool[7].state = EnemyState::Free;
    Play(150);  // the group at 250 fills the one free slot with its first member
    EXPECT_EQ(gWaveState.cursor, 2);
    EXPECT_EQ(gEnemyPool[7].behaviour, 22);
    EXPECT_EQ(gEnemyPool[7].type, 1);
}

// The random draws of one group: r1, r2 and q once, then per member the two phases drawn by
// the claim, then the placement's own draws (each centred on 0 here).
struct GroupDraws {
    float r1, r2;
    int32_t q;
    std::function<float()> u;
};

struct PlacementCase {
    const char* name;
    WaveEntry entry;
    // Expected formation offset (or base position for the ground rows) of member i.
    std::function<gfx::Vec3(int i, GroupDraws& d)> expected;
    bool base = false;
};

class PlacementTest : public EnemyTest, public ::testing::WithParamInterface<PlacementCase> {};

TEST_P(PlacementTest, EveryMemberTakesItsPlace) {
    const PlacementCase& c = GetParam();
    SeedRandom(2024);
    GroupDraws d{RandomUnit(), RandomUnit(), RandomInt(), [] { return RandomUnit() - 0.5f; }};
    std::vector<gfx::Vec3> expected;
    for (int i = 0; i < c.entry.count; ++i) {
        RandomUnit();  // the claim's bob phase
        RandomUnit();  // and wobble phase
        expected.push_back(c.expected(i, d));
    }
    SeedRandom(2024);
    SpawnWaveGroup(c.entry);
    for (int i = 0; i < c.entry.count; ++i) {
        const Enemy& e = gEnemyPool[i];
        SCOPED_TRACE(std::string(c.name) + ", member " + std::to_string(i));
        ASSERT_EQ(e.state, EnemyState::Active);
        EXPECT_EQ(e.type, i == 0 ? c.entry.firstType : c.entry.memberType);
        EXPECT_EQ(e.fireMode, i == 0 ? c.entry.firstFireMode : c.entry.memberFireMode);
        const gfx::Vec3& got = c.base ? e.basePosition : e.formationOffset;
        EXPECT_NEAR(got.x, expected[i].x, 1e-3f);
        EXPECT_NEAR(got.y, expected[i].y, 1e-3f);
        EXPECT_NEAR(got.z, expected[i].z, 1e-3f);
    }
}

constexpr float kPi = gfx::kPi;
float K(int i) {
    return static_cast<float>((i + 1) / 2);
}
float S(int i) {
    return i % 2 ? -1.0f : 1.0f;
}

INSTANTIATE_TEST_SUITE_P(
    Behaviours, PlacementTest,
    ::testing::Values(PlacementCase{"side sweep, random side",
                                    {1, 3, 1, 0, 0, 0, 0, 0, 0, 0},
                                    [](int, GroupDraws& d) {
                                        float y = 10.0f * d.u();
                                        return gfx::Vec3{(d.q & 1) ? 80.0f : -80.0f, y, -30.0f};
                                    }},
                      PlacementCase{"side sweep, side 2",
                                    {1, 2, 1, 0, 0, 0, 1, 0, 0, 2},
                                    [](int, GroupDraws& d) {
                                        float y = 10.0f * d.u();
                                        return gfx::Vec3{-80.0f, y, -30.0f};
                                    }},
                      PlacementCase{"swoop, variant 1",
                                    {1, 3, 1, 0, 0, 0, 2, 0, 1, 0},
                                    [](int i, GroupDraws& d) {
                                        float x = 80 * (d.r1 - 0.5f) + 10.0f * i - 15 + 20 * d.u();
                                        float y = 20 * (d.r2 - 0.5f) + 4 * d.u();
                                        return gfx::Vec3{x, y, 1000};
                                    }},
                      PlacementCase{"curving from ahead, variant 0",
                                    {1, 4, 3, 2, 1, 0, 3, 0, 0, 0},
                                    [](int i, GroupDraws& d) {
                                        float x = 80 * (d.r1 - 0.5f) + 20 * K(i) * S(i) + 4 * d.u();
                                        float y = 40 * (d.r2 - 0.5f) + 4 * d.u();
                                        return gfx::Vec3{x, y, 1000 + 40 * K(i)};
                                    }},
                      PlacementCase{"head-on ring",
                                    {1, 8, 1, 0, 0, 0, 4, 0, 3, 0},
                                    [](int i, GroupDraws&) {
                                        float a = 2 * kPi * i / 8;
                                        return gfx::Vec3{80 * std::sin(a), 80 * std::cos(a), 1000};
                                    }},
                      PlacementCase{"head-on, side 1",
                                    {1, 3, 1, 0, 0, 0, 5, 0, 1, 1},
                                    [](int, GroupDraws& d) {
                                        float y = 80 * (d.r2 - 0.5f) + 4 * d.u();
                                        float x = 40 * (d.r1 - 1) + 20 * d.u();
                                        return gfx::Vec3{x, y, 1000};
                                    }},
                      PlacementCase{"head-on staggered",
                                    {1, 3, 1, 0, 0, 0, 4, 0, 0, 0},
                                    [](int i, GroupDraws& d) {
                                        return gfx::Vec3{40 * (d.r1 - 0.5f) + 10 * K(i) * S(i),
                                                         20 * (d.r2 - 0.5f), 1000 + 20 * K(i)};
                                    }},
                      PlacementCase{"ground row",
                                    {1, 3, 4, 4, 0, 0, 7, 0, 0, 0},
                                    [](int i, GroupDraws&) {
                                        // Rail key 201 (1 + 200) straight along +z; the row stands
                                        // on y 0.
                                        return gfx::Vec3{20.0f * i - 20, 0, 2010};
                                    },
                                    true},
                      PlacementCase{"heavy flier, side 1",
                                    {1, 1, 14, 14, 0, 0, 11, 0, 0, 1},
                                    [](int, GroupDraws& d) {
                                        float x = 20 * d.u() - 40;
                                        float y = 80 * (d.r2 - 0.5f) + 4 * d.u();
                                        return gfx::Vec3{x, y, 1500};
                                    }},
                      PlacementCase{"twin line",
                                    {1, 2, 1, 0, 0, 0, 12, 0, 0, 0},
                                    [](int i, GroupDraws&) {
                                        return gfx::Vec3{30.0f * i - 15, 10, 100};
                                    }},
                      PlacementCase{
                          "climbers, side 1",
                          {1, 3, 38, 39, 0, 0, 16, 0, 0, 1},
                          [](int i, GroupDraws& d) {
                              float x = 10 * (d.r1 - 0.5f) + 10 * K(i) * S(i) - 40;
                              return gfx::Vec3{-x, 10 * (d.r2 - 0.5f) - 40, 1000 + 20 * K(i)};
                          }},
                      PlacementCase{"ring round the view",
                                    {1, 6, 38, 39, 0, 0, 17, 0, 0, 0},
                                    [](int i, GroupDraws&) {
                                        float a = 2 * kPi * i / 6;
                                        return gfx::Vec3{80 * std::sin(a), 80 * std::cos(a), -30};
                                    }},
                      PlacementCase{"spiral",
                                    {1, 2, 38, 39, 0, 0, 18, 0, 0, 1},
                                    [](int, GroupDraws&) {
                                        return gfx::Vec3{0, 80, -30};
                                    }},
                      PlacementCase{
                          "crossers from the right",
                          {1, 3, 1, 0, 0, 0, 22, 0, 1, 2},
                          [](int i, GroupDraws&) {
                              return gfx::Vec3{300 + 20 * K(i), 0, 15 * K(i) * S(i) - 200};
                          }},
                      PlacementCase{"straight crossers",
                                    {1, 3, 54, 54, 0, 0, 24, 0, 1, 1},
                                    [](int i, GroupDraws& d) {
                                        return gfx::Vec3{-70.0f - 30 * i, 80 * (d.r2 - 0.5f), -40};
                                    }},
                      PlacementCase{"wide crossers from the right",
                                    {1, 3, 1, 0, 0, 0, 25, 0, 1, 2},
                                    [](int i, GroupDraws&) {
                                        return gfx::Vec3{100 + 20 * K(i), 0, 15 * K(i) * S(i)};
                                    }}),
    [](const ::testing::TestParamInfo<PlacementCase>& p) { return std::to_string(p.index); });

TEST_F(WavesTest, GroupsSetTheirSideFlagsDelaysAndHeadings) {
    SpawnWaveGroup({1, 3, 1, 0, 0, 0, 0, 0, 0, 1});
    EXPECT_EQ(gEnemyPool[2].spawnDelay, 30);
    SpawnWaveGroup({1, 3, 1, 0, 0, 0, 22, 0, 1, 2});
    EXPECT_EQ(gEnemyPool[3].side, 1);
    SpawnWaveGroup({1, 4, 38, 39, 0, 0, 17, 0, 0, 0});
    EXPECT_EQ(gEnemyPool[8].side, 2);
    EXPECT_EQ(gEnemyPool[8].counter, 4);
    EXPECT_EQ(gEnemyPool[8].spawnDelay, 2);
    SpawnWaveGroup({1, 1, 14, 14, 0, 0, 11, 0, 0, 2});
    EXPECT_EQ(gEnemyPool[10].side, 0);
    EXPECT_FLOAT_EQ(gEnemyPool[10].heading, 0.9f * kPi);
    SpawnWaveGroup({1, 1, 4, 5, 0, 0, 7, 0, 0, 0});  // a type-5 row turns round
    SpawnWaveGroup({1, 2, 5, 5, 0, 0, 14, 0, 0, 0});
    EXPECT_FLOAT_EQ(gEnemyPool[12].yaw, gEnemyPool[11].yaw + kPi);
}

TEST_F(WavesTest, MapMarksPlaceTurretsStandingOnTheirSegment) {
    stage_.mapCount = 2;
    // Segment 1: one mark of each placing kind, facing up, at x 100.. and z 500...
    int v = 0, t = 0;
    auto mark = [&](float x, float z, int32_t kind, float y0, float y1, float y2) {
        gMapVertices[v] = {x, y0, z};
        gMapVertices[v + 1] = {x, y1, z + 10};
        gMapVertices[v + 2] = {x + 10, y2, z};
        gMapTriangles[t++] = MapTriangle{{v, v + 1, v + 2}, kind, {0, 0, 0}};
        v += 3;
    };
    for (int32_t kind = 1; kind <= 7; ++kind) mark(100.0f * kind, 500, kind, 0, 0, 3);
    mark(900, 500, 6, 0, 0, 0);      // level: no vertex above its centroid
    BuildCollisionSegment(0, t, 1);  // segment 0 is the flat course built before
    ResetEnemies();                  // installs the spawners
    SpawnMapPlacedEnemies();

    struct Expect {
        int32_t type, behaviour;
    };
    const Expect expect[] = {{6, 6}, {7, 7}, {26, 7}, {27, 7}, {17, 23}, {18, 7}, {17, 23}};
    ASSERT_EQ(CountState(EnemyState::Active), 7);
    for (int i = 0; i < 7; ++i) {
        const Enemy& e = gEnemyPool[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(e.type, expect[i].type);
        EXPECT_EQ(e.behaviour, expect[i].behaviour);
        EXPECT_EQ(e.segmentBound, 1);
        EXPECT_EQ(e.segment, 1);
    }
    // A turret at a point: yaw pi, a fire timer below 150, the centre with x mirrored.
    EXPECT_FLOAT_EQ(gEnemyPool[0].yaw, kPi);
    EXPECT_LT(gEnemyPool[0].fireTimer, 150);
    EXPECT_NEAR(gEnemyPool[0].basePosition.x, -(100.0f + 100.0f + 110.0f) / 3.0f, 1e-3f);
    // On ground: tilted a little, yawed from its rim vertex, the last corner below the
    // centroid (taken in the polygon's stored order, x mirrored).
    const Enemy& onPolygon = gEnemyPool[4];
    EXPECT_FLOAT_EQ(onPolygon.roll, -0.1f * kPi);
    gfx::Vec3 c = onPolygon.basePosition;
    EXPECT_NEAR(c.y, 1.0f, 1e-5f);
    EXPECT_NEAR(onPolygon.yaw, std::atan2(c.x - -600.0f, c.z - 510.0f) + kPi / 2, 1e-5f);
    EXPECT_FLOAT_EQ(gEnemyPool[5].pitch, 0.0f);      // type 18 standing on ground stays upright
    EXPECT_NEAR(gEnemyPool[6].yaw, kPi / 2, 1e-6f);  // no rim vertex: straight ahead
}

TEST_F(WavesTest, TheWaveListAndThePlacedEnemiesFlagTheirModels) {
    gGameState.stage = 0;
    ResetEnemies();
    Spawn(26, 7);
    gEnemyModelNeeded.fill(0);
    MarkStageEnemyModels();
    MarkPlacedEnemyModels();
    for (int model = 0; model < kEnemyModelSlots; ++model) {
        bool needed = model == 0 || model == 1 || model == 4 || model == 12;
        EXPECT_EQ(gEnemyModelNeeded[model] != 0, needed) << model;
    }
    gGameState.stage = 99;  // outside the table: nothing
    gEnemyModelNeeded.fill(0);
    MarkStageEnemyModels();
    SpawnEnemyWaves();
    for (int32_t flag : gEnemyModelNeeded) EXPECT_EQ(flag, 0);
}

}  // namespace
}  // namespace vqtest
