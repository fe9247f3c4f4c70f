#include "tests/support/headless_game.h"

#include <unistd.h>

#include <cstring>

#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/main/game_state.h"
#include "engine/random/random.h"

namespace vqtest {

namespace {

uint64_t Fnv(uint64_t h, const void* p, size_t n) {
    const auto* b = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i) {
        h ^= b[i];
        h *= 1099511628211ull;
    }
    return h;
}

}  // namespace

bool StartHeadlessGame(const HeadlessOptions& options) {
    if (!options.runFolder.empty() && chdir(options.runFolder.c_str()) != 0) return false;
    PlatformBackends backends = HeadlessBackends();
    if (options.gl33) {
        backends.graphics = PlatformBackends::Graphics::Gl33;
        backends.headlessGl = true;
    }
    if (!StartGame(backends)) return false;
    return Device3D() != nullptr;
}

void RunFrame() {
    WaitForLoader();
    gGameState.frameRate = FrameRateInForce();
    RunFrameWork();
}

uint64_t StateDigest() {
    uint64_t h = 1469598103934665603ull;
    h = Fnv(h, &gGameState, sizeof gGameState);
    h = Fnv(h, gPadState, sizeof gPadState);
    h = Fnv(h, &gRandomState, sizeof gRandomState);
    return h;
}

void StopHeadlessGame() {
    ShutdownGame();
}

}  // namespace vqtest
