// The stage content of the waves: every wave list against the summary of its stage (entry
// count, first and last frame, behaviours, type pairs) and the rules every list keeps.
#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "play/enemies/enemy_pool.h"
#include "play/waves/tables/wave_tables.h"

namespace {

struct ListSummary {
    int list;
    int entries;
    int32_t firstFrame, lastFrame;
    std::set<int32_t> behaviours;
    std::set<std::pair<int32_t, int32_t>> types;
};

const std::vector<ListSummary>& Summaries() {
    static const std::vector<ListSummary> kSummaries = {
        {0, 35, 30, 2950, {0, 4, 7}, {{1, 0}, {4, 4}}},
        {1, 25, 50, 2450, {1, 3, 5}, {{1, 0}}},
        {2, 4, 100, 550, {22}, {{1, 0}}},
        {3, 22, 50, 2300, {1, 3, 5, 11}, {{1, 0}, {14, 14}}},
        {4, 22, 50, 2500, {3}, {{3, 2}}},
        {5, 4, 100, 550, {22}, {{1, 0}}},
        {6, 19, 50, 2550, {1, 5, 11}, {{1, 0}, {14, 14}}},
        {7, 32, 50, 4500, {3, 14}, {{1, 1}, {3, 2}, {4, 4}}},
        {9, 54, 100, 5600, {4}, {{1, 0}, {3, 2}}},
        {10, 39, 100, 6400, {22}, {{1, 0}}},
        {11, 6, 100, 620, {22, 25}, {{1, 0}}},
        {12, 4, 100, 600, {1, 22}, {{1, 0}, {3, 2}}},
        {13, 28, 100, 6500, {22}, {{1, 0}, {1, 1}, {3, 1}, {3, 2}}},
        {14, 6, 100, 620, {22, 25}, {{3, 1}}},
        {15, 27, 50, 2500, {0, 5, 16, 17, 18}, {{38, 39}}},
        {18, 8, 10, 280, {22, 24}, {{52, 52}, {53, 53}, {54, 54}}},
    };
    return kSummaries;
}

int Length(const WaveList& list) {
    int n = 0;
    while (n < kWaveListLength && list[n].spawnFrame != kWaveEnd) ++n;
    return n;
}

TEST(WaveTables, EveryListMatchesItsStageSummary) {
    for (const ListSummary& s : Summaries()) {
        SCOPED_TRACE("list " + std::to_string(s.list));
        const WaveList& list = kWaveTable[s.list];
        int n = Length(list);
        ASSERT_EQ(n, s.entries);
        EXPECT_EQ(list[0].spawnFrame, s.firstFrame);
        EXPECT_EQ(list[n - 1].spawnFrame, s.lastFrame);
        std::set<int32_t> behaviours;
        std::set<std::pair<int32_t, int32_t>> types;
        for (int i = 0; i < n; ++i) {
            behaviours.insert(list[i].behaviour);
            types.insert({list[i].firstType, list[i].memberType});
        }
        EXPECT_EQ(behaviours, s.behaviours);
        EXPECT_EQ(types, s.types);
    }
    for (int empty : {8, 16, 17, 19}) EXPECT_EQ(Length(kWaveTable[empty]), 0) << empty;
    for (int unused = 20; unused < kWaveListCount; ++unused) {
        for (const WaveEntry& e : kWaveTable[unused]) {
            EXPECT_EQ(e.spawnFrame, 0);
            EXPECT_EQ(e.count, 0);
        }
    }
}

TEST(WaveTables, EveryListKeepsTheFormatRules) {
    const std::set<int32_t> speedBonuses = {0, 2, 3, 4, 5, 6};
    for (int s = 0; s < 20; ++s) {
        SCOPED_TRACE("list " + std::to_string(s));
        const WaveList& list = kWaveTable[s];
        int n = Length(list);
        ASSERT_LT(n, kWaveListLength);  // every played list has its end mark
        int32_t previous = 0;
        for (int i = 0; i < n; ++i) {
            const WaveEntry& e = list[i];
            EXPECT_GT(e.spawnFrame, previous) << "frames rise strictly, entry " << i;
            previous = e.spawnFrame;
            EXPECT_GE(e.count, 1);
            EXPECT_LE(e.count, 16);
            for (int32_t type : {e.firstType, e.memberType}) {
                EXPECT_GE(type, 0);
                EXPECT_LT(type, kDefinedEnemyTypes);
            }
            for (int32_t mode : {e.firstFireMode, e.memberFireMode}) {
                EXPECT_GE(mode, 0);
                EXPECT_LE(mode, 2);
            }
            EXPECT_TRUE(speedBonuses.count(e.speedBonus)) << "entry " << i;
            EXPECT_GE(e.variant, 0);
            EXPECT_LE(e.variant, 3);
            EXPECT_GE(e.side, 0);
            EXPECT_LE(e.side, 2);
        }
        if (n > 0 && kWaveLoopFrames[s] >= 1) {
            EXPECT_LE(list[n - 1].spawnFrame, kWaveLoopFrames[s]) << "reached before the loop";
        }
    }
}

bool Same(const WaveEntry& a, const WaveEntry& b) {
    return a.spawnFrame == b.spawnFrame && a.count == b.count && a.firstType == b.firstType &&
           a.memberType == b.memberType && a.firstFireMode == b.firstFireMode &&
           a.memberFireMode == b.memberFireMode && a.behaviour == b.behaviour &&
           a.speedBonus == b.speedBonus && a.variant == b.variant && a.side == b.side;
}

TEST(WaveTables, TheListsGivenInFullAreExact) {
    struct Row {
        int list, index;
        WaveEntry entry;
    };
    const std::vector<Row> rows = {
        {0, 0, {30, 5, 1, 0, 0, 0, 0, 0, 0, 1}},      {0, 1, {140, 5, 1, 0, 0, 0, 0, 0, 0, 2}},
        {2, 0, {100, 3, 1, 0, 1, 0, 22, 0, 1, 2}},    {2, 1, {250, 3, 1, 0, 1, 0, 22, 0, 1, 1}},
        {2, 2, {400, 3, 1, 0, 1, 0, 22, 0, 1, 2}},    {2, 3, {550, 3, 1, 0, 1, 0, 22, 0, 1, 1}},
        {11, 0, {100, 5, 1, 0, 1, 0, 25, 0, 1, 2}},   {11, 1, {200, 5, 1, 0, 1, 0, 25, 0, 1, 1}},
        {11, 2, {300, 5, 1, 0, 1, 0, 22, 0, 1, 2}},   {11, 3, {400, 5, 1, 0, 1, 0, 22, 0, 1, 1}},
        {11, 4, {600, 5, 1, 0, 1, 0, 25, 0, 1, 2}},   {11, 5, {620, 5, 1, 0, 1, 0, 25, 0, 1, 1}},
        {18, 0, {10, 3, 54, 54, 0, 0, 24, 0, 1, 1}},  {18, 1, {50, 3, 52, 52, 2, 2, 22, 0, 1, 1}},
        {18, 2, {100, 3, 52, 52, 2, 2, 22, 0, 1, 1}}, {18, 3, {150, 3, 53, 53, 2, 2, 22, 0, 1, 2}},
        {18, 4, {170, 3, 54, 54, 0, 0, 24, 0, 1, 2}}, {18, 5, {200, 3, 53, 53, 2, 2, 22, 0, 1, 2}},
        {18, 6, {250, 3, 54, 54, 0, 0, 24, 0, 1, 1}}, {18, 7, {280, 3, 54, 54, 0, 0, 24, 0, 1, 2}},
    };
    for (const Row& r : rows) {
        EXPECT_TRUE(Same(kWaveTable[r.list][r.index], r.entry)) << r.list << ":" << r.index;
    }
    for (int i = 0; i < 5; ++i) EXPECT_TRUE(Same(kWaveTable[5][i], kWaveTable[2][i])) << i;

    // List 0: the first ground turrets at 450 and the first head-on group at 800.
    auto find = [](int list, int32_t frame) -> const WaveEntry* {
        for (const WaveEntry& e : kWaveTable[list]) {
            if (e.spawnFrame == frame) return &e;
        }
        return nullptr;
    };
    ASSERT_NE(find(0, 450), nullptr);
    EXPECT_TRUE(Same(*find(0, 450), {450, 2, 4, 4, 0, 0, 7, 0, 0, 1}));
    ASSERT_NE(find(0, 800), nullptr);
    EXPECT_TRUE(Same(*find(0, 800), {800, 3, 1, 0, 0, 0, 4, 0, 1, 0}));
    // List 15: a ring of 16 at 2200, and speed bonus 2 wherever it flies behaviours 0 and 5.
    ASSERT_NE(find(15, 2200), nullptr);
    const WaveEntry& ring = *find(15, 2200);
    EXPECT_EQ(ring.count, 16);
    EXPECT_EQ(ring.behaviour, 5);
    EXPECT_EQ(ring.variant, 3);
    for (const WaveEntry& e : kWaveTable[15]) {
        if (e.spawnFrame == kWaveEnd) break;
        if (e.behaviour == 0 || e.behaviour == 5) {
            EXPECT_EQ(e.speedBonus, 2) << e.spawnFrame;
        }
    }
    EXPECT_EQ(kWaveLoopFrames, (std::array<int32_t, kWaveListCount>{
                                   -1,  -1, 600, -1, -1,  600, -1,  -1, -1, -1, -1, 700,
                                   800, -1, 700, -1, 500, -1,  300, -1, -1, 0,  0,  0}));
}

}  // namespace
