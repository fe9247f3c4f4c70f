// The frame loop's shared records: its clock (read by the frame-rate display) and the
// scene loader's status (asked by every service that must not run while a scene loads).
#pragma once

#include <atomic>
#include <cstdint>

struct FrameClock {
    uint32_t now;
    uint32_t last;
    uint32_t accumulator;  // thirds of a millisecond
    uint32_t remainder;
    uint32_t framesDrawn;
    uint32_t measuredRate;
    uint32_t rateTime;
    uint32_t rateFrames;
    uint32_t frameCost;  // thirds of a millisecond, at most 400
};

// Frame periods in thirds of a millisecond by frame-rate setting (1, 2 and 3 ticks).
inline constexpr uint32_t kFramePeriodTable[3] = {50, 100, 150};

struct LoaderStatus {
    std::atomic<int32_t> busy;
    std::atomic<int32_t> justStarted;
    int32_t titlePending;  // set by the practice pause menu's return to the title
};

extern FrameClock gFrameClock;
extern LoaderStatus gLoaderStatus;

// True while the scene loader thread runs.
bool IsLoaderBusy();
// Starts the scene loader thread on the load step of the scene now set (the last step of
// every scene change; the scenes and stage play call it). Defined by the frame loop.
void StartLoaderThread();
