#include "engine/main/frame.h"

#include <cstdio>

#include "engine/graphics/projection.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/app.h"
#include "engine/main/shell_hooks.h"
#include "engine/movie/movie.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/overlays.h"
#include "engine/overlay/pause_menu.h"
#include "engine/sound/sound.h"
#include "platform/system/system.h"

ShellHooks gShellHooks;

namespace {

bool gDeviceUsable = true;

// Runs one step of the current scene's row (a member pointer into SceneRow).
void RunSceneStep(SceneStep SceneRow::*step) {
    const SceneRow* row = CurrentSceneRow();
    if (row && row->*step) (row->*step)();
}

void LoadSceneResourcesThread(void*) {
    RunSceneStep(&SceneRow::load);
    gLoaderStatus.busy.store(0, std::memory_order_release);
}

// The clear colour of the current scene.
gfx::Color SceneClearColor() {
    uint32_t color = gShellHooks.clearColor ? gShellHooks.clearColor() : 0;
    return color != 0 ? color : 0xFFE6F0FFu;
}

// The scene, the overlays and the present of one frame.
void DrawFrame(gfx::Device* device) {
    EmptySpriteBatch();
    device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, SceneClearColor(), 1.0f, 0);
    device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
    device->SetTransform(gfx::TS_VIEW, gGraphics.view);
    device->BeginScene();
    if (gLoaderStatus.justStarted.load(std::memory_order_acquire) != 1) {
        RunSceneStep(&SceneRow::draw);
    }

    device->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
    DrawFrameOverlays();
    device->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    DrawFrameDiagnostics();
    device->SetTexture(0, nullptr);
    device->EndScene();
    if (device->Present() == gfx::Result::DeviceLost) gDeviceUsable = false;
}

// After a loss, once the device can be reset: release what the scenes hold, reset, and
// load again what the current scene needs. Resources are released and reloaded, so this
// waits for a running loader thread (it is tried again at the next frame).
void TryResetDevice(gfx::Device* device) {
    if (device->TestCooperativeLevel() != gfx::Result::DeviceNotReset) return;
    if (IsLoaderBusy()) return;
    if (gShellHooks.releaseSceneResources) gShellHooks.releaseSceneResources();
    if (gfx::Failed(device->Reset(gGraphics.presentParams))) return;
    gDeviceUsable = true;
    LoadCommonResources();
    RunSceneStep(&SceneRow::reload);
}

void MeasureFrameRate() {
    gFrameClock.framesDrawn += 1;
    uint32_t t = sys::TimeMs();
    if (t - gFrameClock.rateTime > 1000) {
        gFrameClock.measuredRate =
            (gFrameClock.framesDrawn - gFrameClock.rateFrames) * 1000u / (t - gFrameClock.rateTime);
        gFrameClock.rateTime = t;
        gFrameClock.rateFrames = gFrameClock.framesDrawn;
    }
}

}  // namespace

const SceneRow* SceneRowOf(SceneId scene) {
    int32_t index = static_cast<int32_t>(scene);
    if (!gShellHooks.scenes || index < 0 || index >= kSceneCount) return nullptr;
    return &gShellHooks.scenes[index];
}

const SceneRow* CurrentSceneRow() {
    return SceneRowOf(gGameState.scene);
}

int32_t FrameRateInForce() {
    // The setting comes from the settings file: anything but 0, 1 or 2 is used as 0.
    int32_t setting = gGameState.frameRateSetting;
    return setting >= 0 && setting <= 2 ? setting : 0;
}

bool PaceFrame(FrameClock* clock, uint32_t now, uint32_t period) {
    clock->now = now;
    clock->accumulator = (now - clock->last) * 3u + clock->remainder;
    if (clock->accumulator < period) return false;
    // Only the part below one period is carried: whole periods beyond the first are
    // dropped, never made up.
    clock->remainder = clock->accumulator % period;
    clock->last = now;
    return true;
}

uint32_t NextFrameDueTime() {
    uint32_t period = kFramePeriodTable[FrameRateInForce()];
    uint32_t carried = gFrameClock.remainder;
    if (carried >= period) return gFrameClock.last;
    // The first whole millisecond at which (t - last) x 3 + remainder reaches the period.
    return gFrameClock.last + (period - carried + 2) / 3;
}

bool IsDeviceUsable() {
    return gDeviceUsable;
}

void MarkDeviceUsable() {
    gDeviceUsable = true;
}

int RunFrame() {
    gGameState.frameRate = FrameRateInForce();
    UpdateSound(SoundUpdate::LoopPass);
    uint32_t period = kFramePeriodTable[gGameState.frameRate];
    if (!PaceFrame(&gFrameClock, sys::TimeMs(), period)) return 1;
    return RunFrameWork();
}

int RunFrameWork() {
    uint32_t workStart = sys::TimeMs();
    // A pause toggled since the last frame shows from this frame on.
    gPauseState.visible = gPauseState.requested;

    for (int32_t tick = 0; tick <= gGameState.frameRate; ++tick) {
        ReadPads();
        UpdateFrame();
        UpdateSound(SoundUpdate::Tick);
    }

    if (!gPlatform.direct3d || !Device3D()) return 0;
    RenderFrame();

    uint32_t cost = (sys::TimeMs() - workStart) * 3u;
    gFrameClock.frameCost = cost > 400 ? 400 : cost;
    char line[16];
    std::snprintf(line, sizeof line, "%3d ", static_cast<int>(gFrameClock.frameCost));
    PutDebugText(0, 58, line);
    return 1;
}

void UpdateFrame() {
    // The pause button, as the previous tick left the pads.
    if (((gPadState[0].pressed | gPadState[1].pressed) & kPadPause) && !IsLoaderBusy() &&
        gGameState.scene != SceneId::Title) {
        TogglePauseRequest();
    }
    // Nothing else while a scene loads: no pad step, no scene update, no fade step.
    if (IsLoaderBusy()) return;
    gLoaderStatus.justStarted.store(0, std::memory_order_release);

    // Pad bits the game makes itself (the computer partner's), before the edges are formed.
    if (gShellHooks.padsUpdated) gShellHooks.padsUpdated();
    UpdatePadStates();

    // While the attract movie plays only player 1's decide press is watched: it ends it.
    if (PollMovie()) {
        if (gPadState[0].pressed & kPadDecide) StopMovie();
        return;
    }

    // The practice pause menu's return to the title, once its fade-out is done.
    if (gLoaderStatus.titlePending == 1) {
        if (IsFadeOutDone()) {
            gGameState.scene = SceneId::Title;
            // The title's own start: back on the stage select with the choices kept.
            if (gShellHooks.titleEntered) gShellHooks.titleEntered();
            StartFadeIn(0);
            if (const SceneRow* play = SceneRowOf(SceneId::Play); play && play->release) {
                play->release();
            }
            StartLoaderThread();
            gLoaderStatus.titlePending = 0;
        }
        AdvanceFade();
        return;
    }

    // The visible pause menu freezes play until an item is chosen.
    if (gPauseState.visible && !UpdatePauseMenu()) return;

    RunSceneStep(&SceneRow::update);
    AdvanceFade();
    gGameState.updateCounter += 1;
}

void RenderFrame() {
    // The movie covers the client area: nothing is drawn or presented while it plays.
    if (PollMovie()) return;
    gfx::Device* device = Device3D();
    if (!device) return;
    if (gDeviceUsable) {
        DrawFrame(device);
        // Once the first frame is up, the movie decoders load in the background, ready for
        // the attract movie. Not earlier: their loading holds the dynamic loader, which
        // the first frame needs to find the graphics functions.
        if (gFrameClock.framesDrawn == 0 &&
            gPlatform.backends.movie == PlatformBackends::Movie::Ffmpeg) {
            movie::PreloadBackend(movie::Backend::Ffmpeg);
        }
    } else {
        // Ticks go on meanwhile; only the drawing stops.
        TryResetDevice(device);
    }
    MeasureFrameRate();
}

void ResetGameState() {
    gGameState.gameMode = GameMode::Story;
    SetFadeLength(17);
    gGameState.scene = SceneId::Title;
    gGameState.updateCounter = 0;
    gGameState.score = 0;
    ResetSpriteVertices();
}

void StartLoaderThread() {
    gLoaderStatus.busy.store(1, std::memory_order_release);
    gLoaderStatus.justStarted.store(1, std::memory_order_release);
    if (!sys::StartThread(LoadSceneResourcesThread, nullptr)) {
        // No thread could be made: the load runs here, and the busy flag clears with it.
        LoadSceneResourcesThread(nullptr);
    }
}

void WaitForLoader() {
    while (IsLoaderBusy()) {
        if (win::Window* window = gPlatform.mainWindow) {
            window->PumpEvents();
            window->WaitUntil(sys::TimeMs() + 1);
        } else {
            sys::SleepMs(1);
        }
    }
}

void SetupDeviceStates() {
    gfx::Device* d = Device3D();
    if (!d) return;
    CaptureViewProjection();
    d->SetRenderState(gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD);
    d->SetRenderState(gfx::RS_AMBIENT, 0xFF404040u);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_NORMALIZENORMALS, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHAREF, 0);
    d->SetRenderState(gfx::RS_ALPHATESTENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
    d->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_ONE);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_ONE);
    d->SetRenderState(gfx::RS_LIGHTING, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kFalse);
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
    d->LightEnable(0, true);
    d->SetVertexShader(gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1);

    gfx::Mat4 projection = gfx::PerspectiveFovRH(gfx::kPi / 4.0f, 4.0f / 3.0f, 10.0f, 20000.0f);
    gfx::Mat4 view = gfx::LookAtRH(gfx::Vec3{0.0f, 0.0f, 550.0f}, gfx::Vec3{0.0f, 0.0f, 0.0f},
                                   gfx::Vec3{0.0f, 1.0f, 0.0f});
    d->SetTransform(gfx::TS_VIEW, view);
    d->SetTransform(gfx::TS_PROJECTION, projection);

    gfx::Light light{};
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.diffuse = gfx::ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    light.ambient = gfx::ColorValue{0.5f, 0.5f, 0.5f, 0.0f};
    light.direction[2] = 1.0f;
    d->SetLight(0, light);

    gfx::Material& m = gGraphics.defaultMaterial;
    m.diffuse.r = m.diffuse.g = m.diffuse.b = 1.0f;
    m.ambient.r = m.ambient.g = m.ambient.b = 1.0f;
    m.specular.r = m.specular.g = m.specular.b = 0.0f;
    m.emissive.r = m.emissive.g = m.emissive.b = 0.0f;
    d->SetMaterial(m);
}
