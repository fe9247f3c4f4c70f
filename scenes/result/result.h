// The stage result (scene 4): the bonuses of a cleared chapter or single stage, added to
// the score, the mode's best record, and the choice of the next scene. Its record is
// shared with the shop, which never runs at the same time.
#pragma once

#include <array>
#include <cstdint>

constexpr int kResultRows = 6;  // clear, time, kills, enemy points, life, total
constexpr int kShopListMax = 21;

struct ResultShopState {
    // The result's part.
    int32_t rows[2][kResultRows];
    int32_t clearBonus;
    int32_t captions[kResultRows];
    int32_t resultLeaving;
    int32_t resultTicks;
    // The shop's part.
    int32_t items[kShopListMax];
    int32_t itemCount;
    int32_t cursor;
    int32_t scrollTop;
    int32_t shopTimer;
    int32_t thanksTimer;
    int32_t farewell;
    int32_t shopLeaving;
    float emblemAngle;
    int32_t fromResult;
};

extern ResultShopState gResultShop;

// Ticks allowed per stage (-1: no time limit) and the clear bonus per stage.
constexpr int kResultStages = 20;
inline constexpr std::array<int32_t, kResultStages> kClearTimeTable = {
    -1,   -1,   3000, -1, -1,   1000, -1,   -1,   4000,  10000,
    3000, 4000, 2000, -1, 2000, -1,   3000, 3000, 10000, 3000};
inline constexpr std::array<int32_t, kResultStages> kClearBonusTable = {
    100'000, 100'000, 100'000, 120'000, 120'000, 120'000, 150'000, 150'000, 150'000, 200'000,
    200'000, 200'000, 250'000, 250'000, 250'000, 300'000, 300'000, 300'000, 300'000, 1'000'000};

// The time bonus of a stage cleared in `ticks`; -1 when the stage has no time limit.
int32_t ComputeTimeBonus(int32_t stage, int32_t ticks);
// Fills the rows; the game step calls it at the clear, before the stage number advances.
void InitResult();
void UpdateResult();
void DrawResult();
void ResetResultGlobals();
