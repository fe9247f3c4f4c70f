// The record the stage result and the shop share (they never run at the same time).
#include "scenes/result/result.h"

ResultShopState gResultShop;

void ResetResultGlobals() {
    gResultShop = ResultShopState{};
}
