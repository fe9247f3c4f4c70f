// What the overlays draw, read back from the null device's draw records: the two-digit
// numbers, the frame-rate digits, the fade quad and loading screen, the pause menu, the
// continue prompt and the debug text.
#include <cmath>

#include "engine/graphics/texture_groups.h"
#include "engine/overlay/overlays.h"
#include "tests/twod/twod_fixture.h"

namespace vqtest {
namespace {

class OverlayDrawTest : public TwoDTest {
protected:
    void SetUp() override {
        TwoDTest::SetUp();
        gCommonTextures.system = TextureHolder{nullptr, 128, 128, TextureGroup::Common};
        gCommonTextures.pauseMenu = TextureHolder{nullptr, 512, 256, TextureGroup::Common};
        gCommonTextures.fps = TextureHolder{nullptr, 128, 16, TextureGroup::Common};
        gCommonTextures.nowLoading = TextureHolder{nullptr, 256, 64, TextureGroup::Common};
        gPlayTextures.gameOver = TextureHolder{nullptr, 512, 256, TextureGroup::Play};
        gLoaderStatus.justStarted = 0;
        gGameState.showFrameRate = 1;
        gDebugOverlayEnabled = false;
    }
    void TearDown() override {
        gLoaderStatus.justStarted = 0;
        gDebugOverlayEnabled = false;
        gFrameClock = FrameClock{};
        TwoDTest::TearDown();
    }
    // The left edges of a draw's quads.
    static std::vector<float> Lefts(const gfx::DrawRecord& d) {
        std::vector<float> x;
        for (const Box& b : Boxes(d)) x.push_back(b.left);
        return x;
    }
    // The source texel left edge of quad i of a draw, on a picture w texels wide.
    static float SourceLeft(const gfx::DrawRecord& d, size_t i, float w) {
        return Vertices(d)[i * 6 + 4].u * w;
    }
};

TEST_F(OverlayDrawTest, TwoDigitNumbersAreClampedAndSkipTheLeadingBlank) {
    gGameState.scene = SceneId::Play;
    DrawTwoDigitNumber(100, 50, 7);
    DrawTwoDigitNumber(100, 50, 42);
    DrawTwoDigitNumber(100, 50, 150);
    DrawTwoDigitNumber(100, 50, -5);
    ASSERT_EQ(Draws().size(), 4u);
    EXPECT_EQ(Lefts(Draws()[0]), (std::vector<float>{100}));
    EXPECT_EQ(SourceLeft(Draws()[0], 0, 512), 160 + 32 * 7);
    EXPECT_EQ(Lefts(Draws()[1]), (std::vector<float>{100, 124}));
    EXPECT_EQ(SourceLeft(Draws()[1], 0, 512), 160 + 32 * 4);
    EXPECT_EQ(SourceLeft(Draws()[2], 0, 512), 160 + 32 * 9);
    EXPECT_EQ(SourceLeft(Draws()[2], 1, 512), 160 + 32 * 9);
    EXPECT_EQ(Lefts(Draws()[3]), (std::vector<float>{100}));
    EXPECT_EQ(SourceLeft(Draws()[3], 0, 512), 160);
    Box cell = Boxes(Draws()[0])[0];
    EXPECT_EQ(cell.right - cell.left, 32.0f);
    EXPECT_EQ(cell.bottom - cell.top, 48.0f);
    EXPECT_EQ(cell.color, 0xFFFFFFFFu);
}

TEST_F(OverlayDrawTest, TheShopDrawsNumbersFromItsOwnSheet) {
    gfx::Texture* shopSheet = nullptr;
    ASSERT_EQ(device_->CreateTexture(4, 4, 1, gfx::Format::A8R8G8B8, &shopSheet), gfx::Result::Ok);
    gShopTextures.gameOver = TextureHolder{shopSheet, 512, 256, TextureGroup::Shop};
    gGameState.scene = SceneId::Shop;
    DrawTwoDigitNumber(0, 0, 3);
    ASSERT_EQ(Draws().size(), 1u);
    EXPECT_EQ(Draws()[0].texture0, shopSheet);
    gShopTextures.gameOver.texture = nullptr;
    shopSheet->Release();
}

TEST_F(OverlayDrawTest, FrameRateDigitsAreShownOnlyWhenAskedFor) {
    gGameState.showFrameRate = 0;
    gFrameClock.measuredRate = 7;
    DrawFrameDiagnostics();
    gFrameClock.measuredRate = 59;
    DrawFrameDiagnostics();
    gFrameClock.measuredRate = 123;
    DrawFrameDiagnostics();
    gGameState.showFrameRate = 1;
    DrawFrameDiagnostics();
    ASSERT_EQ(Draws().size(), 3u);
    EXPECT_EQ(Lefts(Draws()[0]), (std::vector<float>{594, 616}));
    EXPECT_EQ(SourceLeft(Draws()[0], 1, 128), 32 + 8 * 7);
    EXPECT_EQ(Lefts(Draws()[1]), (std::vector<float>{594, 616, 624}));
    EXPECT_EQ(SourceLeft(Draws()[2], 2, 128), 32 + 8 * 2);  // "123" shows its first two
    EXPECT_EQ(Draws()[0].stage0[gfx::TSS_MAGFILTER], gfx::TEXF_POINT);
    Box digit = Boxes(Draws()[1])[1];
    EXPECT_EQ(digit.right - digit.left, 9.0f);
    EXPECT_EQ(digit.top, 468.0f);
}

TEST_F(OverlayDrawTest, TheFadeQuadCoversTheScreenWithTheFadeAlpha) {
    DrawFrameOverlays();
    EXPECT_TRUE(Draws().empty());
    StartFadeOut(0);
    gGameState.fade.counter = 8;
    DrawFrameOverlays();
    ASSERT_EQ(Draws().size(), 1u);
    const gfx::DrawRecord& d = Draws()[0];
    Box cover = Boxes(d).at(0);
    EXPECT_EQ(cover.left, 0.0f);
    EXPECT_EQ(cover.top, 0.0f);
    EXPECT_EQ(cover.right, 640.0f);
    EXPECT_EQ(cover.bottom, 480.0f);
    EXPECT_EQ(cover.color, 0x88FFFFFFu);
    EXPECT_EQ(SourceLeft(d, 0, 128), 9.0f);
    EXPECT_EQ(d.renderStates[gfx::RS_ALPHABLENDENABLE], gfx::kTrue);
    EXPECT_EQ(d.renderStates[gfx::RS_SRCBLEND], gfx::BLEND_SRCALPHA);
    EXPECT_EQ(d.renderStates[gfx::RS_DESTBLEND], gfx::BLEND_INVSRCALPHA);
    EXPECT_EQ(d.renderStates[gfx::RS_ALPHAREF], 0u);
    EXPECT_EQ(d.stage0[gfx::TSS_ALPHAOP], gfx::TOP_MODULATE);
    EXPECT_EQ(d.stage0[gfx::TSS_MAGFILTER], gfx::TEXF_LINEAR);
    // The fade values go to the debug grid.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gDebugText.cells[1]), 9), "FCOUNT 8 ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gDebugText.cells[2]), 11), "FALPHA 136 ");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(gDebugText.cells[4]), 8), "FTYPE 1 ");
}

TEST_F(OverlayDrawTest, TheLoadingScreenSpinsOverTheFullCover) {
    StartFadeIn(0);
    gGameState.fade.counter = 1;
    gLoaderStatus.justStarted = 1;
    gLoadingAngle = 0.0f;
    DrawFrameOverlays();
    ASSERT_EQ(Draws().size(), 3u);
    EXPECT_EQ(Boxes(Draws()[0])[0].color, 0xFFFFFFFFu);
    Box caption = Boxes(Draws()[1])[0];
    EXPECT_EQ(caption.left, 512.0f);
    EXPECT_EQ(caption.top, 400.0f);
    EXPECT_EQ(caption.right, 640.0f);
    EXPECT_EQ(SourceLeft(Draws()[1], 0, 256), 64.0f);
    const gfx::DrawRecord& icon = Draws()[2];
    EXPECT_EQ(icon.primitive, gfx::PT_TRIANGLESTRIP);
    EXPECT_EQ(icon.primitiveCount, 2u);
    EXPECT_EQ(icon.stage0[gfx::TSS_MINFILTER], gfx::TEXF_LINEAR);
    std::vector<SpriteVertex> v = Vertices(icon);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(gLoadingAngle, 0.3f);
    // Corner order 0, 1, 3, 2 around the centre (496, 440) at radius 32 x sqrt(2).
    const int corner[4] = {0, 1, 3, 2};
    for (int k = 0; k < 4; ++k) {
        float a = corner[k] / 4.0f * 2.0f * 3.14159265f + 0.3f;
        EXPECT_NEAR(v[k].x, 496.0f - std::sin(a) * 45.254834f, 1e-3f);
        EXPECT_NEAR(v[k].y, 440.0f - std::cos(a) * 45.254834f, 1e-3f);
        EXPECT_EQ(v[k].diffuse, 0xFFFFFFFFu);
        EXPECT_EQ(v[k].rhw, 1.0f);
    }
    EXPECT_FLOAT_EQ(v[1].v, 1.0f);
    EXPECT_FLOAT_EQ(v[2].u, 0.25f);
    // Once the loader is done only the fade remains.
    gLoaderStatus.justStarted = 0;
    device_->ClearDraws();
    DrawFrameOverlays();
    EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(OverlayDrawTest, ThePauseMenuShowsTheItemsOfTheMode) {
    gPauseState.visible = 1;
    gGameState.scene = SceneId::Play;
    gGameState.gameMode = GameMode::Practice;
    gPauseState.cursor = 2;
    DrawFrameOverlays();
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Boxes(Draws()[0])[0].color, 0x7F000000u);
    std::vector<Box> items = Boxes(Draws()[1]);
    ASSERT_EQ(items.size(), 4u);
    EXPECT_EQ(items[0].left, 160.0f);
    EXPECT_EQ(items[0].top, 128.0f);
    EXPECT_EQ(items[0].right, 480.0f);
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(items[j + 1].top, 216.0f + 48.0f * j);
        EXPECT_EQ(SourceLeft(Draws()[1], j + 1, 512), 256.0f);
        EXPECT_EQ(items[j + 1].color, j == 2 ? 0xFFFFFFFFu : 0xFF9B9B9Bu);
    }

    device_->ClearDraws();
    gGameState.gameMode = GameMode::Story;
    gPauseState.cursor = 0;
    DrawFrameOverlays();
    items = Boxes(Draws().at(1));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(SourceLeft(Draws()[1], 1, 512), 256.0f);
    EXPECT_EQ(SourceLeft(Draws()[1], 2, 512), 0.0f);
    EXPECT_EQ(items[1].color, 0xFFFFFFFFu);
    EXPECT_EQ(items[2].color, 0xFF9B9B9Bu);
}

TEST_F(OverlayDrawTest, TheContinuePromptSlidesInAndFadesAfterAChoice) {
    gGameState.scene = SceneId::Play;
    gGameState.playPhase = PlayPhase::NoCreditPrompt;
    gGameState.phaseTicks = 4;
    DrawFrameOverlays();
    ASSERT_EQ(Draws().size(), 2u);
    EXPECT_EQ(Boxes(Draws()[0])[0].color, 32u << 24);
    std::vector<Box> banner = Boxes(Draws()[1]);
    ASSERT_EQ(banner.size(), 1u);
    EXPECT_EQ(banner[0].left, 140.0f + 32 * 4 - 640);

    device_->ClearDraws();
    gGameState.playPhase = PlayPhase::ContinuePrompt;
    gGameState.phaseTicks = 100;
    gGameState.continueCursor = 1;
    gGameState.continueTicks = 5;
    gGameState.credits = 3;
    DrawFrameOverlays();
    ASSERT_EQ(Draws().size(), 4u);
    EXPECT_EQ(Boxes(Draws()[0])[0].color, 127u << 24);
    std::vector<Box> pieces = Boxes(Draws()[1]);
    ASSERT_EQ(pieces.size(), 4u);
    EXPECT_EQ(pieces[0].left, 140.0f);
    EXPECT_EQ(pieces[1].left, 208.0f);
    EXPECT_EQ(pieces[3].left, 320.0f);
    // The cursor is added to its picture, glowing with sin(5 pi / 15) x 127 = 109.
    const gfx::DrawRecord& cursor = Draws()[2];
    EXPECT_EQ(cursor.stage0[gfx::TSS_COLOROP], gfx::TOP_ADD);
    EXPECT_EQ(Boxes(cursor)[0].left, 288.0f);
    EXPECT_EQ(Boxes(cursor)[0].color, 0xFF6D6D6Du);
    std::vector<Box> credit = Boxes(Draws()[3]);
    ASSERT_EQ(credit.size(), 2u);
    EXPECT_EQ(credit[0].left, 208.0f);
    EXPECT_EQ(credit[1].left, 368.0f);
    EXPECT_EQ(Draws()[3].stage0[gfx::TSS_COLOROP], gfx::TOP_MODULATE);

    // 20 ticks after the choice: the shade and the banners fade out.
    device_->ClearDraws();
    gGameState.continueTicks = 20;
    DrawFrameOverlays();
    EXPECT_EQ(Boxes(Draws()[0])[0].color, 87u << 24);
    EXPECT_EQ(Boxes(Draws()[1])[0].color, (255u - 80u) << 24 | 0xFFFFFFu);
    EXPECT_EQ(Boxes(Draws()[2])[0].color, (255u - 80u) << 24);

    // Other play phases and other scenes draw no prompt.
    device_->ClearDraws();
    gGameState.playPhase = PlayPhase::StageClear;
    DrawFrameOverlays();
    gGameState.playPhase = PlayPhase::ContinuePrompt;
    gGameState.scene = SceneId::Result;
    DrawFrameOverlays();
    EXPECT_TRUE(Draws().empty());
}

TEST_F(OverlayDrawTest, TheDebugTextDrawsGlyphsAndTheFrameCostBar) {
    ClearDebugText();
    gDebugOverlayEnabled = true;
    PutDebugText(2, 1, "A");
    gFrameClock.frameCost = 75;
    DrawFrameDiagnostics();
    ASSERT_EQ(Draws().size(), 1u);
    std::vector<Box> quads = Boxes(Draws()[0]);
    ASSERT_EQ(quads.size(), 1u + 1 + 8 + 1);
    EXPECT_EQ(quads[0].left, 16.0f);
    EXPECT_EQ(quads[0].top, 8.0f);
    EXPECT_EQ(SourceLeft(Draws()[0], 0, 128), 8.0f);  // 'A' = 65: column 1, row 4
    EXPECT_EQ(Vertices(Draws()[0])[4].v * 128.0f, 32.0f);
    EXPECT_EQ(quads[1].right - quads[1].left, 400.0f);
    EXPECT_EQ(quads[1].color, 0x7FFFFFFFu);
    EXPECT_EQ(quads[9].left, 74.0f + 50 * 7);
    EXPECT_EQ(quads[10].right - quads[10].left, 75.0f);
    EXPECT_EQ(quads[10].bottom - quads[10].top, 4.0f);
    ClearDebugText();
}

TEST_F(OverlayDrawTest, AFullDebugGridIsDrawnInSeveralBatches) {
    for (int r = 0; r < 60; ++r) {
        for (int c = 0; c < 80; ++c) gDebugText.cells[r][c] = '#';
    }
    gDebugOverlayEnabled = true;
    DrawFrameDiagnostics();
    uint32_t triangles = 0;
    for (const gfx::DrawRecord& d : Draws()) triangles += d.primitiveCount;
    EXPECT_EQ(triangles, (4800u + 10u) * 2u);
    EXPECT_GT(Draws().size(), 1u);
    ClearDebugText();
}

}  // namespace
}  // namespace vqtest
