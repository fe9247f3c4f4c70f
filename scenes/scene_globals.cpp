#include "scenes/scene_globals.h"

#include <cstddef>

#include "engine/core/digest.h"
#include "scenes/ending/ending.h"
#include "scenes/event/event.h"
#include "scenes/game_over/game_over.h"
#include "scenes/result/result.h"
#include "scenes/title/title.h"

namespace {

// The event player's record without its script pointer, which differs from run to run.
uint64_t FoldEventState(uint64_t digest) {
    const EventState& s = gEventState;
    digest = FoldDigestValue(digest, s.actors);
    const int32_t values[] = {s.firstLine,   s.lineCount,  s.commandIndex, s.wait,
                              s.scroll,      s.background, s.scrollSpeed,  s.eventNumber,
                              s.speaker,     s.fadeMode,   s.fadeLength,   s.fadeCounter,
                              s.windowSlide, s.nextLine,   s.finished,     s.flicker};
    return FoldDigestValue(digest, values);
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
    digest = FoldDigestValue(digest, gResultShop);
    digest = FoldDigestValue(digest, gEndingState);
    digest = FoldDigestValue(digest, gGameOverState);
    return digest;
}
