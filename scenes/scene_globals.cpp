#include "scenes/scene_globals.h"

#include <cstddef>

#include "scenes/ending/ending.h"
#include "scenes/event/event.h"
#include "scenes/game_over/game_over.h"
#include "scenes/result/result.h"
#include "scenes/title/title.h"

namespace {

uint64_t Fold(uint64_t digest, const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        digest ^= bytes[i];
        digest *= 1099511628211ull;
    }
    return digest;
}

template <typename T>
uint64_t FoldValue(uint64_t digest, const T& value) {
    return Fold(digest, &value, sizeof value);
}

// The event player's record without its script pointer, which differs from run to run.
uint64_t FoldEventState(uint64_t digest) {
    const EventState& s = gEventState;
    digest = FoldValue(digest, s.actors);
    const int32_t values[] = {s.firstLine,   s.lineCount,  s.commandIndex, s.wait,
                              s.scroll,      s.background, s.scrollSpeed,  s.eventNumber,
                              s.speaker,     s.fadeMode,   s.fadeLength,   s.fadeCounter,
                              s.windowSlide, s.nextLine,   s.finished,     s.flicker};
    return FoldValue(digest, values);
}

}  // namespace

void ResetSceneGlobals() {
    // Each scene resets its own records here.
    ResetEventGlobals();
    ResetResultGlobals();  // with the shop's part of the shared record
    ResetEndingGlobals();
    ResetGameOverGlobals();
    ResetTitleGlobals();
}

uint64_t DigestSceneGlobals(uint64_t digest) {
    // Each scene folds its records in here.
    digest = DigestTitleGlobals(digest);
    digest = FoldEventState(digest);
    digest = FoldValue(digest, gResultShop);
    digest = FoldValue(digest, gEndingState);
    digest = FoldValue(digest, gGameOverState);
    return digest;
}
