#include "engine/overlay/pause_menu.h"

#include "engine/core/context.h"
#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/overlays.h"
#include "engine/sound/sound.h"

PauseMenuHooks gPauseMenuHooks;

namespace {

bool IsPractice() {
    return gGameState.gameMode == GameMode::Practice;
}

// Practice: resume, return to the title through the fade and the loader, restart the stage.
void ChoosePracticeItem(int32_t cursor) {
    switch (cursor) {
        case 1:
            gLoaderStatus.titlePending = 1;
            StartFadeOut(0);
            break;
        case 2:
            if (gPauseMenuHooks.restartStage) gPauseMenuHooks.restartStage();
            break;
        default:
            break;
    }
}

// Other modes: resume, or return to the title at once.
void ChooseItem(int32_t cursor) {
    if (cursor == 1 && gPauseMenuHooks.returnToTitle) gPauseMenuHooks.returnToTitle();
}

}  // namespace

int32_t PauseMenuItemCount() {
    return gGameState.scene == SceneId::Play && IsPractice() ? 3 : 2;
}

bool UpdatePauseMenu() {
    int32_t n = PauseMenuItemCount();
    uint8_t pressed = gPadState[0].pressed | gPadState[1].pressed;
    if (pressed & kPadDecide) {
        PlaySoundEffect(kSoundDecide);
        gPauseState.requested = 0;
        if (IsPractice()) {
            ChoosePracticeItem(gPauseState.cursor);
        } else {
            ChooseItem(gPauseState.cursor);
        }
        // The decide press stays held so that it does not reach the scene.
        PadState& p1 = gPadState[0];
        p1.held = kPadDecide;
        p1.previous = kPadDecide;
        p1.pressed = 0;
        p1.repeat = 0;
        return true;
    }
    uint8_t repeat = gPadState[0].repeat | gPadState[1].repeat;
    if (repeat & kPadUp) {
        gPauseState.cursor = (gPauseState.cursor + n - 1) % n;
        PlaySoundEffect(kSoundCursor);
    }
    if (repeat & kPadDown) {
        gPauseState.cursor = (gPauseState.cursor + n + 1) % n;
        PlaySoundEffect(kSoundCursor);
    }
    return false;
}

void DrawPauseMenu() {
    SetOverlayBlendStates();
    DrawScreenCover(0x7F000000u);

    const TextureHolder& picture = gCommonTextures.pauseMenu;
    BindTexture(picture);
    AddSpriteQuad(SpriteRect{160.0f, 128.0f, 320.0f, 96.0f}, TexelRect{0.0f, 0.0f, 319.0f, 95.0f},
                  picture, 0xFFFFFFFFu);
    bool practice = IsPractice();
    int32_t n = PauseMenuItemCount();
    for (int32_t j = 0; j < n; ++j) {
        // Practice items and the first item come from the right half of the picture.
        float left = practice || j == 0 ? 256.0f : 0.0f;
        auto top = static_cast<float>(96 + 48 * j);
        gfx::Color color = j == gPauseState.cursor ? 0xFFFFFFFFu : 0xFF9B9B9Bu;
        AddSpriteQuad(SpriteRect{192.0f, static_cast<float>(216 + 48 * j), 256.0f, 48.0f},
                      TexelRect{left, top, left + 255.0f, top + 47.0f}, picture, color);
    }
    FlushSprites();
}
