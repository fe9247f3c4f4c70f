#include "engine/core/frame_state.h"

FrameClock gFrameClock;
LoaderStatus gLoaderStatus;

bool IsLoaderBusy() {
    return gLoaderStatus.busy.load(std::memory_order_acquire) != 0;
}
