#include "engine/main/app.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "engine/archive/archive.h"
#include "engine/core/game_state.h"
#include "engine/core/message_box.h"
#include "engine/graphics/picture_prefetch.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/devices.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/main/shell_hooks.h"
#include "engine/models/skinned_model.h"
#include "engine/movie/movie.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/pause_menu.h"
#include "engine/random/random.h"
#include "engine/settings/settings.h"
#include "engine/sound/sound.h"
#include "platform/system/system.h"
#include "platform/text/cp932.h"
#include "platform/text/font.h"

namespace {

constexpr auto kWindowTitle = text::Cp932(u8"ＶＥＬＤＲＡＮ　ＱＵＯＲＬ ver.1.01");
constexpr auto kMenuFile = text::Cp932(u8"ファイル(&F)");
constexpr auto kMenuReturn = text::Cp932(u8"タイトルに戻る(&R)");
constexpr auto kMenuExit = text::Cp932(u8"アプリケーションの終了(&X)");
constexpr auto kMenuView = text::Cp932(u8"表示(&V)");
constexpr auto kMenuAspect = text::Cp932(u8"アスペクト比を固定する(&A)");
constexpr auto kMenuZoom = text::Cp932(u8"表示倍率(&S)");
constexpr auto kMenuHelp = text::Cp932(u8"ヘルプ(&H)");
constexpr auto kMenuAbout = text::Cp932(u8"バージョン情報(&A)...");
constexpr auto kAboutCaption = text::Cp932(u8"バージョン情報");
constexpr auto kAboutLine2 = text::Cp932(u8"Linux 版");
constexpr auto kAboutLine3 = text::Cp932(u8"(C) VQ Team");
constexpr auto kGraphicsError = text::Cp932(
    u8"グラフィックの初期化に失敗しました。\nビデオボードがスペックを満たしているか、"
    u8"ドライバに問題が無いか確かめてください。");

const win::MenuEntry kMainMenu[] = {
    {win::MenuKind::Popup, 0, kMenuFile.c_str()},
    {win::MenuKind::Item, kCmdReturnToTitle, kMenuReturn.c_str()},
    {win::MenuKind::Separator, 0, nullptr},
    {win::MenuKind::Item, kCmdExit, kMenuExit.c_str()},
    {win::MenuKind::End, 0, nullptr},
    {win::MenuKind::Popup, 0, kMenuView.c_str()},
    {win::MenuKind::CheckItem, kCmdFixedAspect, kMenuAspect.c_str()},
    {win::MenuKind::Popup, 0, kMenuZoom.c_str()},
    {win::MenuKind::Item, kCmdZoom50, "50%"},
    {win::MenuKind::Item, kCmdZoom100, "100%"},
    {win::MenuKind::Item, kCmdZoom150, "150%"},
    {win::MenuKind::Item, kCmdZoom200, "200%"},
    {win::MenuKind::Item, kCmdZoom300, "300%"},
    {win::MenuKind::End, 0, nullptr},
    {win::MenuKind::End, 0, nullptr},
    {win::MenuKind::Popup, 0, kMenuHelp.c_str()},
    {win::MenuKind::Item, kCmdAbout, kMenuAbout.c_str()},
    {win::MenuKind::End, 0, nullptr},
};

// The return to the title releases scene resources, so it waits until no loader thread
// fills them: a request made while one runs is kept here and carried out afterwards.
bool gReturnToTitleDeferred = false;
bool gShuttingDown = false;

class MainWindowHost : public win::WindowHost {
public:
    void OnActivate(bool active, bool minimized) override {
        OnMainWindowActivate(active, minimized);
    }
    void OnCommand(int id) override { OnMainWindowCommand(id); }
    void OnEscape() override { OnMainWindowEscape(); }
    void OnSizing(win::SizingEdge edge, win::WindowRect* rect) override {
        if (gGameState.fixedAspect == 1 && gPlatform.mainWindow) {
            ApplyAspectLock(edge, gPlatform.mainWindow->Metrics(), rect);
        }
    }
    void OnDestroy() override { OnMainWindowDestroy(); }
};

MainWindowHost gMainWindowHost;

// One try at making the device on the chosen backend.
gfx::Device* CreateDevice(int attempt) {
    const PlatformBackends& b = gPlatform.backends;
    if (attempt < b.refusedDeviceAttempts) return nullptr;
    const gfx::PresentParams& pp = gGraphics.presentParams;
    switch (b.graphics) {
        case PlatformBackends::Graphics::Null:
            return gfx::CreateNullDevice(pp);
        case PlatformBackends::Graphics::Gl33: {
            gfx::GlSurface* surface = nullptr;
            if (b.headlessGl) {
                if (!gPlatform.headlessSurface) {
                    gPlatform.headlessSurface = gfx::CreateHeadlessGlSurface();
                }
                surface = gPlatform.headlessSurface;
            } else {
                surface = gPlatform.mainWindow->Surface();
            }
            return surface ? gfx::CreateGl33Device(surface, pp) : nullptr;
        }
    }
    return nullptr;
}

}  // namespace

PlatformBackends GameBackends() {
    PlatformBackends b{};
    b.createWindow = win::CreateGtkWindow;
    b.graphics = PlatformBackends::Graphics::Gl33;
    b.audio = PlatformBackends::Audio::Sdl;
    b.controllers = PlatformBackends::Controllers::Sdl;
    b.movie = PlatformBackends::Movie::Ffmpeg;
    return b;
}

PlatformBackends HeadlessBackends() {
    PlatformBackends b{};
    b.createWindow = win::CreateHeadlessWindow;
    b.graphics = PlatformBackends::Graphics::Null;
    b.audio = PlatformBackends::Audio::Null;
    b.controllers = PlatformBackends::Controllers::Scripted;
    b.movie = PlatformBackends::Movie::Null;
    return b;
}

bool CreateMainWindow() {
    gPlatform.active = 0;
    if (!gPlatform.backends.createWindow) return false;
    win::Window* window = gPlatform.backends.createWindow();
    if (!window) return false;
    win::WindowDesc desc{};
    desc.title = kWindowTitle.c_str();
    desc.clientWidth = 640;
    desc.clientHeight = 480;
    desc.fullScreen = gGameState.windowMode != 1;
    desc.menu = kMainMenu;
    desc.menuCount = static_cast<int>(sizeof kMainMenu / sizeof kMainMenu[0]);
    gPlatform.mainWindow = window;
    if (!window->Create(desc, &gMainWindowHost)) {
        // Not fatal here: without a window the device cannot be made, and that failure is
        // the one reported.
        gPlatform.mainWindow = nullptr;
        delete window;
    }
    return true;
}

int InitDirect3D() {
    if (!gPlatform.mainWindow) return 0;
    gPlatform.direct3d = true;
    int width = 640, height = 480, refresh = 60;
    gPlatform.mainWindow->DesktopMode(&width, &height, &refresh);
    gPlatform.displayMode = DisplayMode{static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                                        static_cast<uint32_t>(refresh), gfx::Format::X8R8G8B8};

    gfx::PresentParams& pp = gGraphics.presentParams;
    pp = gfx::PresentParams{};
    pp.backBufferWidth = 640;
    pp.backBufferHeight = 480;
    pp.autoDepthStencil = true;
    pp.depthFormat = gfx::Format::D16;
    if (gGameState.windowMode == 1) {
        pp.windowed = true;
        pp.backBufferFormat = gPlatform.displayMode.format;
    } else {
        pp.windowed = false;
        pp.backBufferFormat = gfx::Format::R5G6B5;
    }

    // Two tries. Every device takes its lock on every call, so the scene loader may use it
    // whichever try made it; the second covers a creation that fails once.
    gfx::Device* device = nullptr;
    for (int attempt = 0; attempt < 2 && !device; ++attempt) device = CreateDevice(attempt);
    if (!device) return 0;
    gPlatform.device = device;
    MarkDeviceUsable();

    ResetCamera();

    gfx::Light& light = gGraphics.defaultLight;
    std::memset(&light, 0, sizeof light);
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.diffuse = gfx::ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    light.specular = gfx::ColorValue{0.5f, 0.5f, 0.5f, 0.0f};
    light.ambient = gfx::ColorValue{0.4f, 0.4f, 0.4f, 0.0f};

    gfx::Material& m = gGraphics.defaultMaterial;
    std::memset(&m, 0, sizeof m);
    m.diffuse = gfx::ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    m.ambient = gfx::ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    return 1;
}

void ResetCamera() {
    gGraphics.eye = gfx::Vec3{0.0f, 180.0f, -45.0f};
    gGraphics.target = gfx::Vec3{0.0f, 0.0f, 0.0f};
    gGraphics.heading = 0.0f;
    gGraphics.fieldOfView = 45.0f;
}

int ShutdownApplication() {
    if (gShellHooks.releaseSceneResources) gShellHooks.releaseSceneResources();
    ReleaseCommonResources();
    // The craft models hold meshes and textures of the device: they go before it.
    for (SkinnedModel& model : gCraftModels) ReleaseModel(&model);
    // Whatever is still registered and the font's atlas go before the device.
    ClearTextureRegistry();
    gTextFont.ReleaseTextFont();
    if (gPlatform.device) {
        delete gPlatform.device;
        gPlatform.device = nullptr;
    }
    if (gPlatform.headlessSurface) {
        delete gPlatform.headlessSurface;
        gPlatform.headlessSurface = nullptr;
    }
    gPlatform.direct3d = false;
    ReleaseDirectInput();
    StopMovie();
    ReleaseSoundSegments();
    ShutdownSound();
    return 1;
}

void ReturnToTitle() {
    if (gShellHooks.releaseSceneResources) gShellHooks.releaseSceneResources();
    ResetGameState();
    LoadTitleResources();
    if (gShellHooks.titleEntered) gShellHooks.titleEntered();
}

void OnMainWindowActivate(bool active, bool minimized) {
    gPlatform.active = minimized ? 0 : 1;
    // Deactivated but not minimised: the devices are let go; any other change takes them.
    if (!active && !minimized) {
        UnacquireInputDevices();
    } else {
        AcquireInputDevices();
    }
}

void OnMainWindowCommand(int id) {
    win::Window* window = gPlatform.mainWindow;
    if (gShuttingDown || !window) return;
    switch (id) {
        case kCmdReturnToTitle:
            if (IsLoaderBusy()) {
                gReturnToTitleDeferred = true;
            } else {
                ReturnToTitle();
            }
            break;
        case kCmdExit:
            // Ends the loop; the shut-down waits for a running loader before it releases
            // anything.
            window->Destroy();
            break;
        case kCmdFixedAspect:
            gGameState.fixedAspect = gGameState.fixedAspect == 1 ? 0 : 1;
            window->CheckMenuItem(kCmdFixedAspect, gGameState.fixedAspect == 1);
            break;
        case kCmdZoom50:
        case kCmdZoom100:
        case kCmdZoom150:
        case kCmdZoom200:
        case kCmdZoom300: {
            int w, h;
            ZoomClientSize(id, &w, &h);
            window->SetClientSize(w, h);
            break;
        }
        case kCmdAbout: {
            const char* lines[] = {kWindowTitle.c_str(), kAboutLine2.c_str(), kAboutLine3.c_str()};
            window->AboutBox(kAboutCaption.c_str(), lines, 3);
            break;
        }
        default:
            break;
    }
}

void RunDeferredCommands() {
    if (!gReturnToTitleDeferred || IsLoaderBusy() || gShuttingDown) return;
    gReturnToTitleDeferred = false;
    ReturnToTitle();
}

void OnMainWindowEscape() {
    if (gShuttingDown || IsLoaderBusy()) return;
    if (gGameState.scene == SceneId::Title) {
        // The press-start screen: ESC closes the program; the title's menus handle it.
        bool close = gShellHooks.titleEscape ? gShellHooks.titleEscape() : true;
        if (close && gPlatform.mainWindow) gPlatform.mainWindow->PostClose();
        return;
    }
    TogglePauseRequest();
}

void OnMainWindowDestroy() {
    if (gPlatform.mainWindow) gPlatform.mainWindow->Quit();
}

void ZoomClientSize(int command, int* width, int* height) {
    static const int kFactors[] = {1, 2, 3, 4, 6};
    int index = command - kCmdZoom50;
    if (index < 0 || index > 4) index = 1;
    *width = kFactors[index] * 640 / 2;
    *height = kFactors[index] * 480 / 2;
}

void ApplyAspectLock(win::SizingEdge edge, const win::FrameMetrics& metrics, win::WindowRect* r) {
    int w = (r->right - r->left) - 2 * metrics.frame;
    int h = w * 480 / 640 + metrics.caption + 2 * metrics.frame + metrics.menu;
    switch (edge) {
        case win::SizingEdge::Left:
        case win::SizingEdge::Right:
        case win::SizingEdge::Bottom:
        case win::SizingEdge::BottomLeft:
        case win::SizingEdge::BottomRight:
            r->bottom = r->top + h;
            break;
        case win::SizingEdge::Top:
        case win::SizingEdge::TopLeft:
        case win::SizingEdge::TopRight:
            r->top = r->bottom - h;
            if (r->top < 0) {
                r->top = 0;
                r->bottom = h;
            }
            break;
    }
}

bool StartGame(const PlatformBackends& backends) {
    // The system timer needs no resolution raised here: the clock reads to the millisecond
    // and the loop's wait wakes to the microsecond.
    gPlatform.backends = backends;
    gPauseMenuHooks.returnToTitle = ReturnToTitle;
    ResetGameState();
    SeedRandomDefault(static_cast<uint32_t>(std::time(nullptr)));
    std::snprintf(gPlatform.settingsPath, sizeof gPlatform.settingsPath, "%sv_quorl.ini",
                  GetProgramDirectory());
    LoadSettings();
    // Opening the window takes most of the start-up: meanwhile the sound device opens, the
    // font configuration loads and the first screen's pictures are decoded, on threads of
    // their own.
    BeginSoundOutput();
    text::WarmFontConfiguration();
    OpenDataArchives();
    PrefetchStartupPictures();

    if (!CreateMainWindow()) {
        DropPrefetchedPictures();
        return false;
    }
    if (!InitDirect3D()) {
        if (gPlatform.mainWindow) {
            ShowMessageBox(kGraphicsError.c_str(), "error");
        } else {
            win::StandaloneMessageBox(kGraphicsError.c_str(), "error");
        }
        return true;
    }
    // (No floating-point precision step: x86-64 computes floats and doubles with SSE,
    // which has no precision control to restore.)
    ClearDebugText();
    InitDirectInput();  // without input devices the game still runs
    if (gShellHooks.loadGameData) gShellHooks.loadGameData();
    // Without sound the game runs silent. The music decodes while the title starts.
    InitSound(MusicLoad::Background);
    RecreateTextFont();
    LoadCommonResources();
    LoadTitleResources();
    DropPrefetchedPictures();
    if (gShellHooks.gameStarted) gShellHooks.gameStarted();
    gFrameClock.last = sys::TimeMs();
    gFrameClock.rateTime = gFrameClock.last;
    // The first frame is due at once: the title shows as soon as it is ready, not a frame
    // period later.
    gFrameClock.remainder = kFramePeriodTable[FrameRateInForce()];
    return true;
}

void RunMessageLoop() {
    win::Window* window = gPlatform.mainWindow;
    if (!window || !Device3D()) return;
    while (window->PumpEvents()) {
        RunDeferredCommands();
        if (gPlatform.active != 1) {
            // Minimised: nothing runs until the window changes.
            window->WaitEvents(-1);
            continue;
        }
        // Sleep in the window's event wait until the next frame is due (input and window
        // events still wake it), then start the frame at once: the window's own work, such
        // as painting the last picture, waits for the next pass.
        window->WaitUntil(NextFrameDueTime());
        RunFrame();
    }
}

void ShutdownGame() {
    gShuttingDown = true;
    WaitForLoader();
    // A start-up that ended early may leave pictures decoding; they read the archives.
    DropPrefetchedPictures();
    SaveSettings();
    CloseDataArchives();
    ShutdownApplication();
    if (gPlatform.mainWindow) {
        delete gPlatform.mainWindow;
        gPlatform.mainWindow = nullptr;
    }
    gReturnToTitleDeferred = false;
    gShuttingDown = false;
}

int RunGameProgram(const PlatformBackends& backends) {
    // A stop asked for at any moment, even during start-up, gets the normal shut-down.
    sys::InstallStopSignalHandlers();
    if (!StartGame(backends)) return 1;
    bool started = Device3D() != nullptr;
    RunMessageLoop();
    ShutdownGame();
    return started ? 0 : 1;
}
