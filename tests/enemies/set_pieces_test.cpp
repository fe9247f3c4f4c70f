// The set pieces each stage places at its start.
#include <cmath>

#include "play/waves/tables/wave_tables.h"
#include "tests/enemies/enemy_fixture.h"

namespace vqtest {
namespace {

using SetPieceTest = EnemyTest;

std::vector<const Enemy*> Live() {
    std::vector<const Enemy*> live;
    for (const Enemy& e : gEnemyPool) {
        if (e.state == EnemyState::Active) live.push_back(&e);
    }
    return live;
}

void Place(StageInfo* stage, int32_t number) {
    stage->stageNumber = number;
    ResetEnemies();
    SpawnStageSetPieces();
}

TEST_F(SetPieceTest, StagesWithoutSetPiecesPlaceNoEnemies) {
    for (int32_t number : {1, 3, 4, 6, 7, 15, 18, 19}) {
        Place(&stage_, number);
        EXPECT_TRUE(Live().empty()) << number;
    }
}

TEST_F(SetPieceTest, TheStage2FortressStandsOnSegmentZero) {
    Place(&stage_, 2);
    auto live = Live();
    ASSERT_EQ(live.size(), 20u);
    for (int i = 0; i < 20; ++i) {
        const Enemy& e = *live[i];
        const StagePartPlacement& p = kSetPieceTables.stage2Placements[i];
        EXPECT_EQ(e.type, kSetPieceTables.stage2PartTypes[i]);
        EXPECT_EQ(e.behaviour, 10);
        EXPECT_EQ(e.segmentBound, 1);
        EXPECT_EQ(e.segment, 0);
        EXPECT_EQ(e.age, 34 * i);
        EXPECT_EQ(e.animationClock, 85 * i);
        EXPECT_FLOAT_EQ(e.yaw, p.yaw);
        EXPECT_FLOAT_EQ(e.basePosition.z, p.z);
        EXPECT_EQ(e.hitPoints, static_cast<float>(gEnemyTypeTable[e.type].hitPoints));
    }
}

TEST_F(SetPieceTest, Stage8PartsNameTheSlotsTheirSegmentsGot) {
    // Two map-placed turrets claim slots 0 and 1 before the set pieces.
    stage_.stageNumber = 8;
    ResetEnemies();
    Spawn(6, 6);
    Spawn(7, 7);
    SpawnStageSetPieces();
    ASSERT_EQ(Live().size(), 2u + 4 + 3 + 13 + 11 + 1 + 6);
    const Stage8SetPieceSlots& slots = gStage8SetPieceSlots;
    for (int i = 0; i < 4; ++i) {
        ASSERT_EQ(slots.segments[i], 2 + i);
        const Enemy& s = gEnemyPool[slots.segments[i]];
        EXPECT_EQ(s.type, 8 + i);
        EXPECT_EQ(s.behaviour, 8);
        EXPECT_EQ(s.counter, 25 * i);
        EXPECT_EQ(s.untargetable, 1);
    }
    for (int i = 0; i < 3; ++i) {
        const Enemy& m = gEnemyPool[slots.mounts[i]];
        EXPECT_EQ(m.type, 49);
        EXPECT_EQ(m.parent, slots.segments[i + 1]);
        EXPECT_EQ(m.untargetable, i == 2 ? 0 : 1);
    }
    // The parts by parent: 13 on segment 0, 11 on 1, one on 2 and six on 3, besides the mounts.
    int onSegment[4] = {};
    for (const Enemy* e : Live()) {
        if (e->behaviour != 13 || e->type == 49) continue;
        for (int i = 0; i < 4; ++i) onSegment[i] += e->parent == slots.segments[i] ? 1 : 0;
        EXPECT_EQ(e->untargetable, 1);
    }
    EXPECT_EQ(onSegment[0], 13);
    EXPECT_EQ(onSegment[1], 11);
    EXPECT_EQ(onSegment[2], 1);
    EXPECT_EQ(onSegment[3], 6);
    // The segments stand at rail key 301 facing back along the rail.
    EXPECT_FLOAT_EQ(gEnemyPool[2].basePosition.z, 3010.0f);
    EXPECT_FLOAT_EQ(gEnemyPool[2].yaw, gfx::kPi);

    // A pool with room for two segments only: the others and every mount are left out.
    ResetEnemies();
    for (int i = 0; i < kEnemyPoolSize - 2; ++i) Spawn(6, 6);
    SpawnStageSetPieces();
    EXPECT_EQ(gStage8SetPieceSlots.segments[0], kEnemyPoolSize - 2);
    EXPECT_EQ(gStage8SetPieceSlots.segments[2], -1);
    EXPECT_EQ(gStage8SetPieceSlots.mounts[0], -1);
}

TEST_F(SetPieceTest, Stage10ColumnsStage13TurretsAndTheBossStages) {
    Place(&stage_, 10);
    auto live = Live();
    ASSERT_EQ(live.size(), 10u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(live[i]->type, 28 + i);
        EXPECT_EQ(live[i]->behaviour, 7);
        EXPECT_EQ(live[i]->segment, kSetPieceTables.stage10Segments[i]);
        EXPECT_EQ(live[i]->age, 34 * i);
    }

    Place(&stage_, 13);
    live = Live();
    ASSERT_EQ(live.size(), 36u);
    for (size_t i = 0; i < live.size(); ++i) {
        EXPECT_EQ(live[i]->type, 4);
        EXPECT_EQ(live[i]->behaviour, 23);
        EXPECT_EQ(live[i]->age, 34 * static_cast<int>(i / 3));
    }
    // The first group's centre lies above the course: its turrets stand on it.
    EXPECT_FLOAT_EQ(live[0]->basePosition.y, 0.0f);
    EXPECT_FLOAT_EQ(live[0]->basePosition.x, 62.0f);
    EXPECT_FLOAT_EQ(live[0]->basePosition.z, -329.0f + 20.0f);

    struct Boss {
        int32_t stage, type, behaviour, counter;
        float y;
    };
    for (const Boss& b : {Boss{5, 50, 20, 0, 0}, Boss{12, 51, 21, 0, 0}, Boss{11, 12, 9, 0, -650},
                          Boss{14, 13, 9, 0, -100}, Boss{17, 16, 19, 125, kRailHeight}}) {
        Place(&stage_, b.stage);
        live = Live();
        ASSERT_EQ(live.size(), 1u) << b.stage;
        EXPECT_EQ(live[0]->type, b.type);
        EXPECT_EQ(live[0]->behaviour, b.behaviour);
        EXPECT_EQ(live[0]->counter, b.counter);
        if (b.stage != 5 && b.stage != 12) {
            EXPECT_FLOAT_EQ(live[0]->basePosition.y, b.y);
        }
    }

    Place(&stage_, 16);
    live = Live();
    ASSERT_EQ(live.size(), 3u);
    EXPECT_EQ(live[0]->behaviour, 15);
    EXPECT_EQ(live[1]->type, 57);
    EXPECT_EQ(live[1]->untargetable, 1);
    EXPECT_EQ(live[2]->behaviour, 27);
    EXPECT_EQ(live[2]->counter, 50);
    EXPECT_EQ(CountParticles(particle_kind::kFigure), 1);
}

TEST_F(SetPieceTest, SceneryStagesPlaceFiguresButNoEnemies) {
    Place(&stage_, 0);
    EXPECT_TRUE(Live().empty());
    int figures = 0;
    for (int32_t k = particle_kind::kVillagerFirst; k <= particle_kind::kVillagerLast; ++k) {
        figures += CountParticles(k);
    }
    EXPECT_EQ(figures, 100);
    ResetParticlePool();
    Place(&stage_, 9);
    figures = 0;
    for (int32_t k = particle_kind::kVillagerFirst; k <= particle_kind::kVillagerLast; ++k) {
        figures += CountParticles(k);
    }
    EXPECT_EQ(figures, 200);
}

}  // namespace
}  // namespace vqtest
