// Golden-image fixture for the screens between stages: a gl33 device installed as the
// game's, and pattern pictures put straight into the scenes' texture holders, so that a
// misplaced, mirrored or wrongly sized source rectangle shows in the picture.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/texture_groups.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "tests/support/golden.h"

namespace vqtest {

// A picture of w x h texels whose colour comes from f(x, y).
template <typename F>
std::vector<uint32_t> PaintPicture(uint32_t w, uint32_t h, F f) {
    std::vector<uint32_t> texels(size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) texels[size_t{y} * w + x] = f(x, y);
    return texels;
}

// A cell of a picture: a white frame, a black diagonal from the top left, and `marks`
// yellow squares along the top telling the cells apart.
inline uint32_t PatternCell(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t color,
                            uint32_t marks) {
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return 0xFFFFFFFFu;
    if (x * h / w == y) return 0xFF000000u;
    if (y >= 3 && y < 9 && x >= 3 && (x - 3) % 8 < 6 && (x - 3) / 8 < marks) return 0xFFFFFF00u;
    return color;
}

// A picture of equal cells, each its own colour and numbered by its marks (1 + index).
inline std::vector<uint32_t> CellSheet(uint32_t w, uint32_t h, uint32_t cw, uint32_t ch,
                                       uint32_t seed) {
    return PaintPicture(w, h, [=](uint32_t x, uint32_t y) {
        uint32_t col = x / cw, row = y / ch;
        uint32_t index = row * (w / cw) + col;
        uint32_t c = (seed + index * 0x3A5F17u) & 0x00FFFFFFu;
        return PatternCell(x % cw, y % ch, cw, ch, 0xFF000000u | c | 0x00404040u, index % 8 + 1);
    });
}

class SceneGolden : public GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (!device()) return;
        gPlatform.device = device();
        gGameState = GameState{};
        gSpriteBatch.count = 0;
        ResetSpriteVertices();
        SetFadeLength(17);
        savedFont_ = gTextFontSettings;
        // The system picture: cell A white, cell B black; the score digits and their mark.
        Use(&gCommonTextures.system, 128, 128, PaintPicture(128, 128, [](uint32_t x, uint32_t y) {
            if (y < 8 && x < 8) return 0xFFFFFFFFu;
            if (y < 8 && x < 16) return 0xFF000000u;
            return 0u;
        }));
        Use(&gCommonTextures.scoreDigits, 256, 64,
            PaintPicture(256, 64, [](uint32_t x, uint32_t y) {
                if (y < 24 && x < 240)
                    return PatternCell(x % 24, y, 24, 24, 0xFF2060C0u, x / 24 + 1);
                if (y >= 32 && y < 56 && x < 24) return x >= 8 && x < 14 ? 0xFFFFFFFFu : 0u;
                if (y >= 32 && x >= 32 && x < 64)
                    return PatternCell(x - 32, y - 32, 32, 32, 0xFFE0A020u, 2);
                return 0u;
            }));
    }

    void TearDown() override {
        gTextFont.ReleaseTextFont();
        gTextFontSettings = savedFont_;
        for (TextureHolder* h : used_) *h = TextureHolder{};
        gPlatform.device = nullptr;
        GlDeviceTest::TearDown();
    }

    void Use(TextureHolder* holder, uint32_t w, uint32_t h, const std::vector<uint32_t>& texels) {
        *holder = TextureHolder{MakeTexture(w, h, texels), static_cast<int32_t>(w),
                                static_cast<int32_t>(h), TextureGroup::None};
        used_.push_back(holder);
    }

    // Draws as the frame does: clear, culling off, the scene's draw step.
    template <typename F>
    void DrawScene(F draw) {
        BeginFrame(0xFFE6F0FFu);
        device()->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        draw();
        EndFrame();
    }

    std::vector<TextureHolder*> used_;
    TextFontSettings savedFont_{};
};

}  // namespace vqtest
