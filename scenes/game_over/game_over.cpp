// The game-over picture: shown until decide, then a fade back to the title.
#include "scenes/game_over/game_over.h"

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "scenes/title/title.h"

GameOverState gGameOverState;

void ResetGameOver() {
    gGameOverState.leaving = 0;
}

void UpdateGameOver() {
    if (gGameOverState.leaving == 0) {
        if ((gPadState[0].pressed | gPadState[1].pressed) & kPadDecide) {
            gGameOverState.leaving = 1;
            StartFadeOut(0);
        }
        return;
    }
    if (!IsFadeOutDone()) return;
    gGameState.scene = SceneId::Title;
    InitTitle();
    ReleaseGameOverResources();
    StartLoaderThread();
    StartFadeIn(0);
}

void DrawGameOver() {
    if (gfx::Device* device = Device3D()) {
        device->Clear(gfx::CLEAR_TARGET | gfx::CLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    }
    Begin2DDrawing();
    const TextureHolder& picture = gGameOverTextures.picture;
    BindTexture(picture);
    AddSpriteQuad(SpriteRect{0, 0, 640, 480}, TexelRect{0, 0, 640, 480}, picture, 0xFFFFFFFFu);
    FlushSprites();
}

void ResetGameOverGlobals() {
    gGameOverState = GameOverState{};
}
