#include "tests/support/play_run.h"

#include <algorithm>
#include <cinttypes>
#include <cstddef>
#include <cstring>

#include "engine/core/context.h"
#include "engine/core/frame_state.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "play/craft/partner.h"
#include "play/enemies/enemy_pool.h"
#include "play/pickups/particles.h"
#include "play/pickups/pickups.h"
#include "play/shots/shot_pool.h"
#include "play/step/game_step.h"
#include "play/step/run_start.h"
#include "tests/support/headless_game.h"
#include "tests/support/pictures.h"
#include "world/rail/camera_rail.h"

namespace vqtest {

namespace {

int64_t gSoundsRequested = 0;
uint64_t gDrawsBase = 0;  // draws taken before the run began
int64_t gTicksRun = 0;

void CountSoundRequests() {
    for (uint8_t r : gSoundState.effectRequests) gSoundsRequested += r != 0;
}

bool IsPlaying() {
    return gGameState.scene == SceneId::Play && !IsLoaderBusy();
}

// The test aids and the presses the scenes between stages wait for, after the pads are
// read (where the partner's bits are made too).
void ApplyAids(const PlayRunOptions& o, int64_t tick) {
    if (IsPlaying()) {
        if (o.autopilot == 0 || o.autopilot == 1) {
            PadState& pad = gPadState[o.autopilot];
            pad.held = PartnerHeldBits(o.autopilot, pad.previous);
        }
        if (o.invulnerable) {
            for (PlayerCraft& c : gPlayerCrafts) c.invulnerable = std::max(c.invulnerable, 2);
        }
        return;
    }
    if (IsLoaderBusy() || gGameState.scene == SceneId::Title) return;
    // Result, event, ending, game-over picture: decide on every other tick; the shop is left
    // with cancel.
    uint8_t button = gGameState.scene == SceneId::Shop ? kPadCancel : kPadDecide;
    gPadState[0].held = tick % 2 == 0 ? button : 0;
}

void WriteSnapshot(const PlayRunOptions& o, int64_t tick, PlayRunResult* result) {
    TestPicture picture;
    gfx::Device* device = Device3D();
    if (!device || !device->ReadBackBuffer(&picture.texels, &picture.width, &picture.height))
        return;
    char name[64];
    std::snprintf(name, sizeof name, "/tick_%06" PRId64 ".png", tick);
    if (WriteFileBytes(o.outFolder + name, EncodePng(picture))) result->snapshotsWritten += 1;
}

void Fill(PlayRunResult* r) {
    const GameState& g = gGameState;
    r->ticks = gTicksRun;
    r->scene = g.scene;
    r->mode = g.gameMode;
    r->stage = g.stage;
    r->phase = g.playPhase;
    r->score = g.score;
    r->credits = g.credits;
    r->spawned = g.enemiesAppeared;
    r->destroyed = g.enemiesDestroyed;
    r->life[0] = static_cast<int32_t>(gPlayerCrafts[0].life);
    r->life[1] = static_cast<int32_t>(gPlayerCrafts[1].life);
}

}  // namespace

uint64_t PlayStateHash() {
    // Every record of the game, and the camera the game step placed.
    uint64_t h = StateDigest();
    for (const float v : {gGraphics.eye.x, gGraphics.eye.y, gGraphics.eye.z, gGraphics.target.x,
                          gGraphics.target.y, gGraphics.target.z, gGraphics.heading}) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (int k = 0; k < 4; ++k) {
            h ^= (bits >> (8 * k)) & 0xFFu;
            h *= 1099511628211ull;
        }
    }
    return h;
}

std::string PlayDigestLine(int64_t tick) {
    const GameState& g = gGameState;
    char line[1024];
    int n = std::snprintf(line, sizeof line,
                          "tick=%" PRId64 " scene=%d phase=%d select=%d rail=%.3f speed=%.3f", tick,
                          static_cast<int>(g.scene), static_cast<int>(g.playPhase), g.weaponSelect,
                          static_cast<double>(gRailPosition), static_cast<double>(g.railSpeed));
    for (int i = 0; i < 2; ++i) {
        const PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n),
                           " c%d=%d/%.1f/%.1f,%.1f,%.1f/w%d/h%.1f", i, static_cast<int>(c.state),
                           static_cast<double>(c.life), static_cast<double>(c.position.x),
                           static_cast<double>(c.position.y), static_cast<double>(c.position.z),
                           c.weapon, static_cast<double>(c.heat));
    }
    int enemies = 0, shots = 0;
    for (const Enemy& e : gEnemyPool) enemies += e.state != EnemyState::Free;
    for (const Shot& s : gShotPool.shots) shots += s.kind != 0;
    n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n), " pools=%d,%d,%d,%d",
                       enemies, shots, CountParticles(), CountPickups());
    n += std::snprintf(line + n, sizeof line - static_cast<size_t>(n),
                       " score=%d credits=%d draws=%" PRIu64 " sounds=%" PRId64 " hash=%016" PRIx64,
                       g.score, g.credits, gRandomDraws - gDrawsBase, gSoundsRequested,
                       PlayStateHash());
    return line;
}

std::string PlayResultLine(const PlayRunResult& r) {
    char line[512];
    std::snprintf(line, sizeof line,
                  "ticks=%" PRId64
                  " scene=%d mode=%d stage=%d phase=%d score=%d credits=%d spawned=%d "
                  "destroyed=%d life0=%d life1=%d",
                  r.ticks, static_cast<int>(r.scene), static_cast<int>(r.mode), r.stage,
                  static_cast<int>(r.phase), r.score, r.credits, r.spawned, r.destroyed, r.life[0],
                  r.life[1]);
    return line;
}

void ContinuePlay(const PlayRunOptions& o, int64_t ticks, PlayRunResult* result, FILE* digests) {
    for (int64_t k = 0; k < ticks; ++k) {
        WaitForLoader();
        gGameState.frameRateSetting = 0;
        gGameState.frameRate = 0;
        // A pause toggled since the last frame shows from this frame on.
        gPauseState.visible = gPauseState.requested;
        int64_t tick = gTicksRun + 1;
        if (o.beforeTick) o.beforeTick(tick);
        ReadPads();
        ApplyAids(o, tick);
        if (o.afterPadsRead) o.afterPadsRead(tick);
        UpdateFrame();
        CountSoundRequests();
        UpdateSound(SoundUpdate::Tick);
        gTicksRun = tick;
        bool snapshot = std::find(o.snapshotTicks.begin(), o.snapshotTicks.end(), tick) !=
                        o.snapshotTicks.end();
        if (o.drawEveryTick || snapshot) RenderFrame();
        if (snapshot) WriteSnapshot(o, tick, result);
        if (digests && o.digestEvery > 0 && tick % o.digestEvery == 0) {
            std::fprintf(digests, "%s\n", PlayDigestLine(tick).c_str());
        }
        if (gGameState.scene == SceneId::Title && !IsLoaderBusy()) {
            result->backAtTitle = true;
            break;
        }
    }
    WaitForLoader();
    Fill(result);
}

bool RunPlay(const PlayRunOptions& o, PlayRunResult* result, FILE* digests, bool keepRunning) {
    HeadlessOptions headless;
    headless.runFolder = o.runFolder.empty() ? std::string(VQ_RUN_DIR) : o.runFolder;
    headless.programFolder = o.programFolder;
    headless.padScript = o.padScript;
    headless.gl33 = o.gl33 || !o.snapshotTicks.empty();
    if (!StartHeadlessGame(headless)) return false;
    gSoundsRequested = 0;
    gTicksRun = 0;
    gDrawsBase = gRandomDraws;
    if (o.totalCredit >= 0) gGameState.records.words[record::kTotalCredit] = o.totalCredit;

    // As the title starts a run: the choice, the run's reset, then the scene change.
    RunChoice choice{o.mode, o.setup, {o.crafts[0], o.crafts[1]}, o.stage};
    StartRun(choice);
    gGameState.scene = SceneId::Play;
    StartFadeIn(0);
    StartLoaderThread();

    ContinuePlay(o, o.ticks, result, digests);
    if (!keepRunning) StopHeadlessGame();
    return true;
}

}  // namespace vqtest
