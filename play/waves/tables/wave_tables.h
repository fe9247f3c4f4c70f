// The stage content of the waves: every stage's wave list, the loop frames, and the tables
// of the set pieces. Constant data, compiled in.
#pragma once

#include <array>
#include <cstdint>

#include "platform/gfx/math.h"

constexpr int kWaveListCount = 24;
constexpr int kWaveListLength = 100;
// Spawn frame of the end mark of a list.
constexpr int32_t kWaveEnd = -1;

// One group of a wave list.
struct WaveEntry {
    int32_t spawnFrame;  // wave frame at which the group spawns; -1 ends the list
    int32_t count;       // members, 1..16
    int32_t firstType;   // enemy type of member 0
    int32_t memberType;  // enemy type of members 1..
    int32_t firstFireMode;
    int32_t memberFireMode;
    int32_t behaviour;
    int32_t speedBonus;
    int32_t variant;  // placement variant 0..3
    int32_t side;     // 0 random, 1 left, 2 right
};

using WaveList = std::array<WaveEntry, kWaveListLength>;

// List s serves stage s. Lists 20..23 are zeros and never played.
extern const std::array<WaveList, kWaveListCount> kWaveTable;
// By stage: 1 or more restarts the list after that frame; below 1 after the rail's key count.
extern const std::array<int32_t, kWaveListCount> kWaveLoopFrames;

// Set pieces.
struct StagePartPlacement {
    float x, y, z, pitch, yaw, roll;
};

struct SetPieceTables {
    std::array<int32_t, 24> stage8PartTypes;
    std::array<gfx::Vec3, 13> stage8OffsetsSegment0;
    std::array<gfx::Vec3, 11> stage8OffsetsSegment1;
    std::array<gfx::Vec3, 6> stage8OffsetsSegment3;
    std::array<gfx::Vec3, 12> stage13GroupCentres;
    std::array<int32_t, 20> stage2PartTypes;
    std::array<StagePartPlacement, 20> stage2Placements;
    std::array<gfx::Vec3, 10> stage10Positions;
    std::array<int32_t, 10> stage10Segments;
};
extern const SetPieceTables kSetPieceTables;
