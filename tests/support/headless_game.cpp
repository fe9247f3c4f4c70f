#include "tests/support/headless_game.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/core/digest.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "platform/gfx/math.h"
#include "platform/input/scripted.h"
#include "platform/system/system.h"
#include "play/craft/craft.h"
#include "play/play_globals.h"
#include "scenes/scene_globals.h"
#include "scenes/scene_table.h"
#include "tests/support/scripted_input.h"
#include "world/rail/camera_rail.h"

namespace vqtest {

namespace {

std::string gTempFolder;

void RemoveTempFolder() {
    if (gTempFolder.empty()) return;
    std::string settings = gTempFolder + "/v_quorl.ini";
    std::remove(settings.c_str());
    rmdir(gTempFolder.c_str());
    gTempFolder.clear();
}

}  // namespace

bool StartHeadlessGame(const HeadlessOptions& options) {
    if (!options.runFolder.empty() && chdir(options.runFolder.c_str()) != 0) return false;
    std::string folder = options.programFolder;
    if (folder.empty()) {
        char temp[] = "/tmp/vq_headless.XXXXXX";
        if (!mkdtemp(temp)) return false;
        gTempFolder = temp;
        folder = temp;
    }
    sys::SetProgramDirectory(folder.c_str());
    ResetGameGlobals();
    InstallGameHooks();
    input::scripted::Reset();
    if (options.padScript) FeedPadScript(options.padScript);
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
    h = FoldDigest(h, &gGameState, sizeof gGameState);
    h = FoldDigest(h, gPadState, sizeof gPadState);
    h = FoldDigest(h, &gRandomState, sizeof gRandomState);
    h = FoldDigest(h, &gPauseState, sizeof gPauseState);
    h = FoldDigest(h, &gFadeLength, sizeof gFadeLength);
    h = FoldDigest(h, gSoundState.effectRequests, sizeof gSoundState.effectRequests);
    h = FoldDigest(h, &gSoundState.currentTrack, sizeof gSoundState.currentTrack);
    h = FoldDigest(h, &gRailPosition, sizeof gRailPosition);
    h = DigestPlayGlobals(h);
    h = DigestSceneGlobals(h);
    return h;
}

void StopHeadlessGame() {
    ShutdownGame();
    StopPadScript();
    RemoveTempFolder();
    sys::SetProgramDirectory(nullptr);
}

std::string SettingsPath() {
    return gPlatform.settingsPath;
}

void PlaceTwoDisplayCrafts() {
    for (int i = 0; i < 2; ++i) {
        PlayerCraft& c = gPlayerCrafts[static_cast<size_t>(i)];
        c = PlayerCraft{};
        c.player = i;
        c.craft = i;
        c.weapon = -1;
        c.aimTarget = -1;
        c.rotation = gfx::Identity();
        c.position = {i == 0 ? -30.0f : 30.0f, -20.0f, 100.0f};
    }
}

const char* LoadPlayDisplayPictures() {
    struct Picture {
        TextureHolder* holder;
        const char* path;
        int32_t width, height;
    };
    const Picture pictures[] = {
        {&gPlayTextures.itemSlot, "bmp/itemslot01.tga", 512, 512},
        {&gPlayTextures.weaponSelect0, "bmp/weponsel_pil0.tga", 256, 256},
        {&gPlayTextures.weaponSelect1, "bmp/weponsel_pil1.tga", 256, 256},
        {&gPlayTextures.weaponSelect2, "bmp/weponsel_pil2.tga", 256, 256},
        {&gPlayTextures.weaponSelect3, "bmp/weponsel_pil3.tga", 256, 256},
        {&gPlayTextures.item, "bmp/item.tga", 512, 512},
        {&gPlayTextures.itemMini, "bmp/item_mini.tga", 256, 256},
        {&gPlayTextures.effect, "bmp/effect.bmp", 256, 256},
        {&gPlayTextures.effectSun, "bmp/effect_sun.bmp", 256, 256},
        {&gPlayTextures.craftGauge, "bmp/pc_gage.tga", 512, 512},
        {&gPlayTextures.clearMessage, "bmp/clear_messe.tga", 512, 128},
        {&gPlayTextures.gameOver, "bmp/gameover.tga", 512, 256},
    };
    const char* missing = nullptr;
    for (const Picture& p : pictures) {
        LoadTexture(TextureGroup::Play, p.holder, p.path, p.width, p.height);
        if (!p.holder->texture && !missing) missing = p.path;
    }
    return missing;
}

}  // namespace vqtest
