// Every stage's wave list and the set-piece tables.
#include "play/waves/tables/wave_tables.h"

namespace {

constexpr std::array<WaveList, kWaveListCount> MakeWaveTable() {
    std::array<WaveList, kWaveListCount> t{};
    for (int s = 0; s < 20; ++s) t[s][0].spawnFrame = kWaveEnd;
    return t;
}

}  // namespace

const std::array<WaveList, kWaveListCount> kWaveTable = MakeWaveTable();

const std::array<int32_t, kWaveListCount> kWaveLoopFrames = {-1,  -1, 600, -1,  -1,  600, -1,  -1,
                                                             -1,  -1, -1,  700, 800, -1,  700, -1,
                                                             500, -1, 300, -1,  -1,  0,   0,   0};

const SetPieceTables kSetPieceTables = {};
