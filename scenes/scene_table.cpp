// The scene table: each scene's load step (on the loader thread), update (per tick), draw
// (per frame), release and reload after a device reset, by scene number; and the other
// hooks the shell calls.
#include "scenes/scene_table.h"

#include "engine/core/context.h"
#include "engine/core/frame_state.h"
#include "engine/graphics/texture_groups.h"
#include "engine/main/engine_globals.h"
#include "engine/models/skinned_model.h"
#include "engine/sound/sound.h"
#include "play/craft/partner.h"
#include "play/display/play_display.h"
#include "play/play_globals.h"
#include "play/step/game_step.h"
#include "play/step/run_start.h"
#include "scenes/ending/ending.h"
#include "scenes/event/event.h"
#include "scenes/game_over/game_over.h"
#include "scenes/result/result.h"
#include "scenes/scene_globals.h"
#include "scenes/shop/shop.h"
#include "scenes/title/title.h"
#include "world/draw/world_draw.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"
#include "world/world_globals.h"

namespace {

// The play scene's load step, on the loader thread: the stage's resources, the stage start
// (which places the stage's enemies), then the enemy models they need.
void LoadPlayScene() {
    LoadStageResources();
    StartStage();
    LoadStageEnemyModels();
}

// After a device reset in play: the stage again, and the enemy models it had flagged.
void ReloadPlayScene() {
    LoadStageResources();
    ReloadStageEnemyModels();
}

// The play scene's frame: the world, then the play display over it.
void DrawPlayScene() {
    DrawGameWorld();
    DrawGameHud();
}

// Pad bits the game makes itself: the computer partner flies the second craft in play and
// in the staff roll.
void MakeGamePadBits() {
    if (gGameState.playerSetup != PlayerSetup::ComputerPartner) return;
    if (gGameState.scene == SceneId::Play) DrivePartnerInput();
    if (gGameState.scene == SceneId::Ending) UpdateEndingPartnerInput();
}

// Start-up: the stage index, and the model code's device set-up.
void LoadGameData() {
    InitModelsForDevice(Device3D());
    LoadStageIndex();
}

// In play the picture is cleared to the stage's back colour; elsewhere the default.
uint32_t ClearColor() {
    if (gGameState.scene != SceneId::Play) return 0;
    // Opaque black while no stage is current, so the picture is never left undefined.
    // While the loader thread runs it is the one that sets the current stage, so the
    // record is not read then: the fade covers the whole picture until the load is done.
    if (IsLoaderBusy() || !gCurrentStage) return 0xFF000000u;
    const int32_t* c = gCurrentStage->backColor;
    return gfx::MakeArgb(0xFF, static_cast<uint32_t>(c[0]) & 0xFF,
                         static_cast<uint32_t>(c[1]) & 0xFF, static_cast<uint32_t>(c[2]) & 0xFF);
}

}  // namespace

const SceneRow kSceneTable[kSceneCount] = {
    // load, update, draw, release, reload
    {LoadTitleScene, UpdateTitle, DrawTitle, ReleaseTitleResources, LoadTitleScene},
    {LoadPlayScene, UpdateGame, DrawPlayScene, ReleaseStageResources, ReloadPlayScene},
    {LoadGameOverResources, UpdateGameOver, DrawGameOver, ReleaseGameOverResources,
     LoadGameOverResources},
    {LoadEndingResources, UpdateEnding, DrawEnding, ReleaseEndingResources, LoadEndingResources},
    {LoadResultResources, UpdateResult, DrawResult, ReleaseResultResources, LoadResultResources},
    // The event's script is started on the main thread by whoever enters the scene; the
    // loader thread only loads its pictures.
    {LoadEventResources, UpdateEvent, DrawEvent, ReleaseEventResources, LoadEventResources},
    {LoadShopResources, UpdateShop, DrawShop, ReleaseShopResources, LoadShopResources},
};

void InstallGameHooks() {
    gShellHooks = ShellHooks{};
    gShellHooks.scenes = kSceneTable;
    gShellHooks.loadGameData = LoadGameData;
    gShellHooks.releaseSceneResources = ReleaseAllSceneResources;
    gShellHooks.clearColor = ClearColor;
    gShellHooks.padsUpdated = MakeGamePadBits;
    // The title: entered at start-up and on every return to it; Esc on its menus.
    gShellHooks.gameStarted = InitTitle;
    gShellHooks.titleEntered = InitTitle;
    gShellHooks.titleEscape = OnTitleEscape;
    gSelectPanelQuery = IsSelectPanelOpen;
    // The scenes the title starts.
    gTitleExits.startEvent = StartEvent;
    gTitleExits.openShop = OpenShop;
    gTitleExits.initEnding = InitEnding;
    // The scenes the game step hands over to.
    gGameStepHooks.initTitle = InitTitle;
    gGameStepHooks.initResult = InitResult;
    gGameStepHooks.startEvent = StartEvent;
    // The scenes the title hands over to.
    gTitleExits.startEvent = StartEvent;
    gTitleExits.openShop = OpenShop;
    gTitleExits.initEnding = InitEnding;
    InstallPlayHooks();
}

void ResetGameGlobals() {
    ResetSceneGlobals();
    ResetPlayGlobals();
    ResetWorldGlobals();
    ResetEngineGlobals();
}
