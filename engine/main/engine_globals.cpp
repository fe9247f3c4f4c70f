#include "engine/main/engine_globals.h"

#include "engine/archive/archive.h"
#include "engine/archive/decompress.h"
#include "engine/core/context.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/graphics/projection.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/devices.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/main/shell_hooks.h"
#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "engine/movie/movie.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/overlays.h"
#include "engine/overlay/pause_menu.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "engine/stagefiles/camera_path.h"
#include "engine/stagefiles/map_mesh.h"

void ResetEngineGlobals() {
    // What holds resources is released through its own routine first.
    StopMovie();
    ReleaseSoundSegments();
    ShutdownSound();
    ResetSoundState();
    ReleaseDirectInput();
    CloseDataArchives();
    ReleaseCommonResources();
    ReleaseTitleResources();
    ReleaseGameOverResources();
    ReleaseResultResources();
    ReleaseEndingResources();
    ReleaseShopResources();
    ReleaseEventResources();
    for (SkinnedModel& model : gCraftModels) ReleaseModel(&model);
    ClearTextureRegistry();
    ResetMissingPictureReports();
    gTextFont.ReleaseTextFont();
    ResetTextFontSettings();

    gGameState = GameState{};
    gFrameClock = FrameClock{};
    gLoaderStatus.busy.store(0);
    gLoaderStatus.justStarted.store(0);
    gLoaderStatus.titlePending = 0;
    MarkDeviceUsable();
    gShellHooks = ShellHooks{};

    gPadState[0] = PadState{};
    gPadState[1] = PadState{};
    gPauseState = PauseState{};
    gPauseMenuHooks = PauseMenuHooks{};
    gDebugText = DebugTextGrid{};
    gFadeLength = 17;
    gDebugOverlayEnabled = false;
    gLoadingAngle = 0.0f;
    gRandomState = RandomState{{}, 625};
    gSelectPanelQuery = nullptr;

    gScreenProjection = ScreenProjection{};
    gSpriteBatch.count = 0;
    gEndingVariant = 0;
    gSharedMeshTextures = SharedMeshTextures{};
    gModelFolder[0] = 0;
    gCameraRail = CameraRail{};
    ResetCameraPathCounts();
    gLzwState.nextCode = 0;

    // The device and the window belong to a running game; without one these are empty.
    if (!gPlatform.device && !gPlatform.mainWindow) {
        gPlatform = PlatformContext{};
        gGraphics = GraphicsContext{};
    }
}
