// Golden images of the two-dimensional drawing on gl33 (Mesa's software renderer): sprite
// quads, numbers, the text font, the fade, the loading screen, the pause menu and the
// continue prompt. The pictures they use are made here, in patterns that show a misplaced
// or mirrored source rectangle.
#include <span>

#include "engine/graphics/sprite.h"
#include "engine/graphics/text_font.h"
#include "engine/graphics/texture_groups.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "engine/overlay/overlays.h"
#include "platform/image/picture.h"
#include "platform/text/cp932.h"
#include "tests/support/golden.h"
#include "tests/support/pictures.h"

namespace vqtest {
namespace {

// A picture of w x h texels whose colour comes from f(x, y).
template <typename F>
std::vector<uint32_t> Paint(uint32_t w, uint32_t h, F f) {
    std::vector<uint32_t> texels(size_t{w} * h);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) texels[size_t{y} * w + x] = f(x, y);
    return texels;
}

// Cells of a picture: a frame in the colour, a diagonal, and `marks` small squares along
// the top telling the cells apart.
uint32_t Cell(uint32_t x, uint32_t y, uint32_t w, uint32_t h, uint32_t color, uint32_t marks) {
    if (x == 0 || y == 0 || x == w - 1 || y == h - 1) return 0xFFFFFFFFu;
    if (x * h / w == y) return 0xFF000000u;
    if (y >= 3 && y < 7 && x >= 3 && (x - 3) % 6 < 4 && (x - 3) / 6 < marks) return 0xFFFFFF00u;
    return color;
}

class TwoDGolden : public GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (!device()) return;
        gPlatform.device = device();
        gGameState = GameState{};
        gPauseState = PauseState{};
        gSpriteBatch.count = 0;
        ResetSpriteVertices();
        SetFadeLength(17);
        savedFont_ = gTextFontSettings;

        // System picture: the fade patch at (9, 1)-(15, 7) is black; the rest transparent.
        Use(&gCommonTextures.system, 128, 128, Paint(128, 128, [](uint32_t x, uint32_t y) {
            return x >= 8 && x < 16 && y < 8 ? 0xFF000000u : 0x00000000u;
        }));
        // Pause menu: the plate and, per row, different left and right halves.
        Use(&gCommonTextures.pauseMenu, 512, 256, Paint(512, 256, [](uint32_t x, uint32_t y) {
            if (y < 96) return x < 320 ? Cell(x, y, 320, 96, 0xFF3050A0u, 1) : 0u;
            uint32_t row = (y - 96) / 48;
            uint32_t cx = x % 256, cy = (y - 96) % 48;
            return Cell(cx, cy, 256, 48, x < 256 ? 0xFF806020u : 0xFF207040u, row + 1);
        }));
        // Loading picture: the icon cell and the caption.
        Use(&gCommonTextures.nowLoading, 256, 64, Paint(256, 64, [](uint32_t x, uint32_t y) {
            if (x < 64) return Cell(x, y, 64, 64, 0xFF4080FFu, 1);
            if (x < 192) return Cell(x - 64, y, 128, 64, 0xFFE05050u, 2);
            return 0u;
        }));
        // Score digits: 24 x 24 cells with d + 1 marks; the separator below.
        Use(&gCommonTextures.scoreDigits, 256, 64, Paint(256, 64, [](uint32_t x, uint32_t y) {
            if (y < 24 && x < 240) return Cell(x % 24, y, 24, 24, 0xFF2060C0u, x / 24 + 1);
            if (y >= 32 && y < 56 && x < 24) return x >= 8 && x < 14 ? 0xFFFFFFFFu : 0u;
            return 0u;
        }));
        // Game-over sheet: banners and choices in their own colours; large digits below.
        Use(&gPlayTextures.gameOver, 512, 256, Paint(512, 256, [](uint32_t x, uint32_t y) {
            if (y >= 192 && x >= 160 && x < 480) {
                uint32_t c = (x - 160) / 32;
                return Cell((x - 160) % 32, y - 192, 32, 48, 0xFFC03030u, c + 1);
            }
            if (y < 48 && x < 360) return Cell(x, y, 360, 48, 0xFF8030A0u, 1);
            if (y >= 48 && y < 96 && x >= 64 && x < 288)
                return Cell(x - 64, y - 48, 224, 48, 0xFF3080A0u, 2);
            if (y >= 96 && y < 192 && x >= 112 && x < 240)
                return Cell(x - 112, (y - 96) % 48, 128, 48, 0xFF30A050u, (y - 96) / 48 + 1);
            if (y >= 128 && y < 192 && x >= 368 && x < 432)
                return Cell(x - 368, y - 128, 64, 64, 0xFF404040u, 3);
            if (y >= 192 && x < 160) return Cell(x, y - 192, 160, 48, 0xFFA0A030u, 4);
            return 0u;
        }));
    }

    void TearDown() override {
        gTextFont.ReleaseTextFont();
        gTextFontSettings = savedFont_;
        for (TextureHolder* h : used_) *h = TextureHolder{};
        gLoaderStatus.justStarted = 0;
        gPlatform.device = nullptr;
        GlDeviceTest::TearDown();
    }

    void Use(TextureHolder* holder, uint32_t w, uint32_t h, const std::vector<uint32_t>& texels) {
        *holder = TextureHolder{MakeTexture(w, h, texels), static_cast<int32_t>(w),
                                static_cast<int32_t>(h), TextureGroup::Common};
        used_.push_back(holder);
    }

    // A scene behind the overlays: coloured bands and a white grid.
    void DrawBackdrop() {
        TextureHolder white{SolidTexture(4, 4, 0xFFFFFFFFu), 4, 4, TextureGroup::None};
        Begin2DDrawing();
        BindTexture(white);
        const uint32_t bands[4] = {0xFFD04040u, 0xFF40D040u, 0xFF4040D0u, 0xFFD0D040u};
        for (int i = 0; i < 4; ++i) {
            AddSpriteQuad(SpriteRect{160.0f * i, 0, 160, 480}, TexelRect{0, 0, 4, 4}, white,
                          bands[i]);
        }
        for (int i = 0; i < 12; ++i) {
            AddSpriteQuad(SpriteRect{0, 40.0f * i, 640, 2}, TexelRect{0, 0, 4, 4}, white,
                          0xFFFFFFFFu);
        }
        FlushSprites();
    }

    // The overlays as the frame draws them: after the scene, with culling off.
    void DrawOverlays() {
        device()->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_NONE);
        device()->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
        DrawFrameOverlays();
    }

    std::vector<TextureHolder*> used_;
    TextFontSettings savedFont_{};
};

TEST_F(TwoDGolden, SpriteQuadsWithBlendingAlphaTestAndModulation) {
    BeginFrame(0xFF203040u);
    DrawBackdrop();
    // A loaded picture whose green texels are transparent: a ring on a keyed background.
    TestPicture ring;
    ring.width = ring.height = 32;
    ring.texels = Paint(32, 32, [](uint32_t x, uint32_t y) {
        int dx = static_cast<int>(x) - 16, dy = static_cast<int>(y) - 16;
        int d = dx * dx + dy * dy;
        return d < 100 || d > 225 ? 0xFF00FF00u : (x < 16 ? 0xFFFF8000u : 0xFF0080FFu);
    });
    std::vector<uint8_t> bmp = EncodeBmp24(ring);
    gfx::Texture* loaded = nullptr;
    ASSERT_EQ(image::CreateTextureFromMemory(device(), std::span(bmp.data(), bmp.size()), 64, 64, 1,
                                             image::kTransparentKey, &loaded),
              gfx::Result::Ok);
    Own(loaded);
    TextureHolder ringHolder{loaded, 64, 64, TextureGroup::None};
    // Cells whose alpha rises from left to right.
    auto ramp = [](uint32_t x, uint32_t y) {
        return ((x * 4) & 0xFFu) << 24 | (Cell(x, y, 64, 64, 0xFFFFFFFFu, 2) & 0xFFFFFFu);
    };
    TextureHolder cells{MakeTexture(64, 64, Paint(64, 64, ramp)), 64, 64, TextureGroup::None};

    Begin2DDrawing();
    BindTexture(ringHolder);
    AddSpriteQuad(SpriteRect{40, 40, 128, 128}, TexelRect{0, 0, 64, 64}, ringHolder, 0xFFFFFFFFu);
    // Colour modulation and half transparency.
    AddSpriteQuad(SpriteRect{200, 40, 128, 128}, TexelRect{0, 0, 64, 64}, ringHolder, 0x80FF4040u);
    // Mirrored in x.
    AddSpriteQuad(SpriteRect{360, 40, 128, 128}, TexelRect{64, 0, 0, 64}, ringHolder, 0xFFFFFFFFu);
    FlushSprites();

    // An alpha ramp blended, then the same with the alpha test cutting below 128.
    BindTexture(cells);
    AddSpriteQuad(SpriteRect{40, 240, 256, 128}, TexelRect{0, 0, 64, 64}, cells, 0xFFFFFFFFu);
    FlushSprites();
    device()->SetRenderState(gfx::RS_ALPHATESTENABLE, gfx::kTrue);
    device()->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
    device()->SetRenderState(gfx::RS_ALPHAREF, 0x80);
    AddSpriteQuad(SpriteRect{340, 240, 256, 128}, TexelRect{0, 0, 64, 64}, cells, 0xFF80FF80u);
    FlushSprites();
    device()->SetRenderState(gfx::RS_ALPHATESTENABLE, gfx::kFalse);
    EndFrame();
    EXPECT_TRUE(MatchesGolden(device(), "twod/sprite_quads"));
}

TEST_F(TwoDGolden, ScoreDigitsAndTwoDigitNumbers) {
    BeginFrame(0xFF101010u);
    Begin2DDrawing();
    DrawNumber(600, 40, 1234567, 0, 0xFFFFFFFFu);
    DrawNumber(600, 80, 0, 0, 0xFFFFFF7Fu);
    DrawNumber(600, 120, 999, 0, 0xFFFF7F7Fu);
    DrawNumber(600, 160, 1000, 0, 0xFFFFFFFFu);
    DrawTwoDigitNumber(100, 240, 7);
    DrawTwoDigitNumber(100, 300, 42);
    DrawTwoDigitNumber(100, 360, 150);
    EndFrame();
    EXPECT_TRUE(MatchesGolden(device(), "twod/numbers"));
}

TEST_F(TwoDGolden, ShadowedJapaneseTextInBothSizes) {
    constexpr auto kLarge = text::Cp932(u8"ステージ１をクリア！\r\nｽｺｱ 12345 ｶﾀｶﾅ");
    constexpr auto kSmall = text::Cp932(u8"ランダムで選択します\n選択できません\tTab");
    BeginFrame(0xFFE6F0FFu);
    SetLargeTextFont();
    DrawShadowedText(40.6f, 40.2f, kLarge.c_str(), 255, 255, 255, 0);
    SetSmallTextFont();
    DrawShadowedText(40, 200, kSmall.c_str(), 255, 255, 255, 0);
    // Clipped at the screen's right and bottom edges.
    DrawShadowedText(560, 460, kSmall.c_str(), 255, 255, 255, 0);
    EndFrame();
    EXPECT_TRUE(MatchesGolden(device(), "twod/text"));
}

TEST_F(TwoDGolden, FadeQuadPartlyOutAndPartlyIn) {
    struct Case {
        int32_t direction, counter;
        const char* name;
    } cases[] = {{1, 6, "twod/fade_out_6"}, {-1, 12, "twod/fade_in_12"}};
    for (const Case& c : cases) {
        BeginFrame(0xFF000000u);
        DrawBackdrop();
        gGameState.fade = ScreenFade{c.counter, c.direction, 0};
        DrawOverlays();
        EndFrame();
        EXPECT_TRUE(MatchesGolden(device(), c.name));
    }
}

TEST_F(TwoDGolden, LoadingScreenOverTheFullCover) {
    BeginFrame(0xFFE6F0FFu);
    gGameState.fade = ScreenFade{1, -1, 0};
    gLoaderStatus.justStarted = 1;
    gLoadingAngle = 0.5f;
    DrawOverlays();
    EndFrame();
    EXPECT_TRUE(MatchesGolden(device(), "twod/loading"));
}

TEST_F(TwoDGolden, PauseMenuWithTwoAndThreeItems) {
    gPauseState.visible = 1;
    gGameState.scene = SceneId::Play;
    for (GameMode mode : {GameMode::Story, GameMode::Practice}) {
        gGameState.gameMode = mode;
        gPauseState.cursor = 1;
        BeginFrame(0xFF000000u);
        DrawBackdrop();
        DrawOverlays();
        EndFrame();
        EXPECT_TRUE(MatchesGolden(
            device(), mode == GameMode::Story ? "twod/pause_two_items" : "twod/pause_three_items"));
    }
}

TEST_F(TwoDGolden, ContinuePromptWithItsGlowingCursor) {
    gGameState.scene = SceneId::Play;
    gGameState.playPhase = PlayPhase::ContinuePrompt;
    gGameState.phaseTicks = 40;
    gGameState.continueCursor = 0;
    gGameState.continueTicks = 6;
    gGameState.credits = 3;
    BeginFrame(0xFF000000u);
    DrawBackdrop();
    DrawOverlays();
    EndFrame();
    EXPECT_TRUE(MatchesGolden(device(), "twod/continue_prompt"));
}

}  // namespace
}  // namespace vqtest
