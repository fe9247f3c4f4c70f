// The game's text font: the shadowed text, the large and small forms, and running on
// without a font.
#include "platform/text/font.h"
#include "tests/twod/twod_fixture.h"

namespace vqtest {
namespace {

class TextFontTest : public TwoDTest {
protected:
    void SetUp() override {
        TwoDTest::SetUp();
        saved_ = gTextFontSettings;
    }
    void TearDown() override {
        gTextFontSettings = saved_;
        TwoDTest::TearDown();
    }
    // Left and top of the first glyph of a draw, and its colour.
    static Box FirstGlyph(const gfx::DrawRecord& d) {
        float x, y;
        uint32_t color;
        std::memcpy(&x, &d.vertices[0], 4);
        std::memcpy(&y, &d.vertices[4], 4);
        std::memcpy(&color, &d.vertices[16], 4);
        float left = x, top = y;
        for (size_t k = 1; k < 6; ++k) {
            std::memcpy(&x, &d.vertices[k * d.vertexStride], 4);
            std::memcpy(&y, &d.vertices[k * d.vertexStride + 4], 4);
            left = std::min(left, x);
            top = std::min(top, y);
        }
        return Box{left, top, 0, 0, color};
    }
    TextFontSettings saved_{};
};

TEST_F(TextFontTest, ShadowedTextDrawsTheShadowOnePixelRightThenTheText) {
    SetLargeTextFont();
    ASSERT_TRUE(gTextFont.HasFont());
    DrawShadowedText(100.9f, 50.5f, "Hi", 255, 255, 255, 0);
    ASSERT_EQ(Draws().size(), 2u);
    Box shadow = FirstGlyph(Draws()[0]);
    Box text = FirstGlyph(Draws()[1]);
    EXPECT_EQ(shadow.left - text.left, 1.0f);
    EXPECT_EQ(shadow.top, text.top);
    EXPECT_EQ(shadow.color, 0xFF9F725Au);
    EXPECT_EQ(text.color, 0xFF634B30u);
    // The position is truncated: a glyph cell starting at 100 holds the text.
    gTextFont.DrawTextAt("Hi", 100, 50, 0xFFFFFFFFu);
    EXPECT_EQ(FirstGlyph(Draws()[2]).left, text.left);
}

TEST_F(TextFontTest, TheSmallFormIsHeavyAndTheLargeFormLight) {
    SetSmallTextFont();
    EXPECT_EQ(gTextFontSettings.height, 15);
    EXPECT_EQ(gTextFontSettings.weight, 3000);
    ASSERT_TRUE(gTextFont.HasFont());
    EXPECT_EQ(gTextFont.Font()->CellHeight(), 15);
    EXPECT_TRUE(gTextFont.Font()->Emboldened());
    SetLargeTextFont();
    EXPECT_EQ(gTextFontSettings.height, 30);
    EXPECT_EQ(gTextFontSettings.weight, 300);
    EXPECT_EQ(gTextFont.Font()->CellHeight(), 30);
    EXPECT_FALSE(gTextFont.Font()->Emboldened());
}

TEST_F(TextFontTest, WithoutAFontTextDrawsNothing) {
    SetLargeTextFont();
    ASSERT_TRUE(gTextFont.HasFont());
    // The font cannot be made without a device: the old one is gone and a box says so.
    ::testing::internal::CaptureStderr();
    gTextFont.CreateTextFont(nullptr, 12, 30);
    std::string messages = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(messages.find("[ok] D3DXCreateFontIndirect FALSE"), std::string::npos) << messages;
    EXPECT_FALSE(gTextFont.HasFont());
    DrawShadowedText(10, 10, "text", 255, 255, 255, 0);
    gTextFont.DrawTextAt("text", 10, 10, 0xFFFFFFFFu);
    EXPECT_TRUE(Draws().empty());
    // A later re-creation brings it back.
    RecreateTextFont();
    EXPECT_TRUE(gTextFont.HasFont());
}

TEST_F(TextFontTest, AnUnknownFaceIndexFallsBackToTheUsualFace) {
    gTextFontSettings.faceIndex = 42;
    RecreateTextFont();
    ASSERT_TRUE(gTextFont.HasFont());
    gTextFont.DrawTextAt("A", 0, 0, 0xFFFFFFFFu);
    EXPECT_EQ(Draws().size(), 1u);
}

}  // namespace
}  // namespace vqtest
