// Drawing of the stage result: background, the players' craft portraits, the new-record
// badge, the rows of bonuses and the score.
#include <algorithm>

#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/texture_groups.h"
#include "engine/settings/settings.h"
#include "scenes/result/result.h"

namespace {

constexpr gfx::Color kWhite = 0xFFFFFFFFu;
constexpr gfx::Color kScoreColor = 0xFFFFFF7Fu;
constexpr int32_t kCraftCount = 4;

void DrawPortraits(int32_t players, int32_t tick) {
    const ResultShopState& r = gResultShop;
    const TextureHolder& sheet = gResultTextures.selectCraft;
    BindTexture(sheet);
    for (int j = 0; j < players; ++j) {
        int32_t craft = std::clamp(gGameState.craft[j], 0, kCraftCount - 1);
        bool winning = tick > 179 && (players == 1 || r.rows[j][5] >= r.rows[1 - j][5]);
        auto left = static_cast<float>(256 * craft);
        TexelRect source =
            winning ? TexelRect{left, 384, left + 256, 728} : TexelRect{left, 0, left + 256, 344};
        SpriteRect dest = j == 0 ? SpriteRect{176, 136, -256, 344} : SpriteRect{464, 136, 256, 344};
        AddSpriteQuad(dest, source, sheet, kWhite);
    }
    FlushSprites();
}

void DrawNewRecordBadges(int32_t players, int32_t tick) {
    if (tick <= 179) return;
    const TextureHolder& sheet = gResultTextures.message;
    int32_t s = std::min(16 * (tick - 180), 96);
    int32_t alpha = tick >= 240 ? std::max(4095 - 16 * tick, 0) : 255;
    alpha = std::min(alpha, 255);
    auto color = static_cast<uint32_t>(alpha) << 24 | 0x00FFFFFFu;
    BindTexture(sheet);
    for (int m = 0; m < players; ++m) {
        auto size = static_cast<float>(s);
        AddSpriteQuad(
            SpriteRect{static_cast<float>(512 * m + 64) - size / 2, 192 - size, size, size},
            TexelRect{160, 0, 256, 96}, sheet, color);
    }
    FlushSprites();
}

}  // namespace

void DrawResult() {
    const ResultShopState& r = gResultShop;
    const GameState& g = gGameState;
    int32_t tick = r.resultTicks;
    int32_t players = std::clamp(g.playerCount, 1, 2);

    Begin2DDrawing();
    const TextureHolder& background = gResultTextures.background;
    BindTexture(background);
    AddSpriteQuad(SpriteRect{0, 0, 640, 480}, TexelRect{0, 0, 640, 480}, background, kWhite);
    FlushSprites();

    DrawPortraits(players, tick);
    if (g.gameMode == GameMode::Practice && tick > 179 && IsNewBestScore(g.stage)) {
        DrawNewRecordBadges(players, tick);
    }

    const TextureHolder& message = gResultTextures.message;
    BindTexture(message);
    AddSpriteQuad(SpriteRect{80, 320, 480, 16}, TexelRect{0, 496, 480, 512}, message, kWhite);
    FlushSprites();

    const TextureHolder& captions = gResultTextures.message2;
    BindTexture(captions);
    for (int i = 0; i < kResultRows; ++i) {
        auto c = static_cast<float>(std::clamp(r.captions[i], 0, 9));
        AddSpriteQuad(SpriteRect{224, static_cast<float>(80 + 50 * i), 160, 48},
                      TexelRect{0, 48 * c, 160, 48 * c + 48}, captions, kWhite);
    }
    FlushSprites();

    for (int i = 0; i < kResultRows; ++i) {
        if (tick <= 60 + 24 * i) continue;
        for (int j = 0; j < players; ++j) {
            DrawNumber(184 + 320 * j, 96 + 50 * i, r.rows[j][i], 0, kWhite);
        }
    }

    DrawNumber(384, 416, g.score, 0, kScoreColor);
    const TextureHolder& digits = gCommonTextures.scoreDigits;
    BindTexture(digits);
    AddSpriteQuad(SpriteRect{192, 416, 32, 32}, TexelRect{32, 32, 64, 64}, digits, kScoreColor);
    FlushSprites();
}
