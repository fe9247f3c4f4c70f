// The generator's drawing: path coverage, the text it writes into the pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tools/mkdata/image.h"
#include "tools/mkdata/text.h"

namespace {

using mk::Image;
using mk::Mask;
using mk::Path;

float CoverageSum(const Mask& m) {
    float sum = 0;
    for (float c : m.cov) sum += c;
    return sum;
}

// Coverage adds up to the shape's area; shapes that share an edge cover each pixel along it
// exactly once, so pictures built of pieces show no seams or doubled edges.
TEST(DrawingTest, FillingCoversTheAreaAndSharedEdgesLeaveNoSeam) {
    Path rect;
    rect.Rect(3.3f, 4.6f, 17.45f, 9.2f);
    EXPECT_NEAR(CoverageSum(mk::Rasterize(rect, 64, 64)), 17.45f * 9.2f, 0.02f);

    // A quadrilateral cut along its diagonal into two triangles, turned by 0.3 radians.
    const mk::Vec2 a{10.2f, 8.7f}, b{50.9f, 12.1f}, c{47.3f, 55.5f}, d{6.6f, 41.0f};
    Path first, second, whole;
    first.Polygon({a, b, c});
    second.Polygon({a, c, d});
    whole.Polygon({a, b, c, d});
    Mask m1 = mk::Rasterize(first.Rotated(0.3f, 32, 32), 64, 64);
    Mask m2 = mk::Rasterize(second.Rotated(0.3f, 32, 32), 64, 64);
    Mask mw = mk::Rasterize(whole.Rotated(0.3f, 32, 32), 64, 64);
    float worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            worst = std::max(worst, std::fabs(m1.At(x, y) + m2.At(x, y) - mw.At(x, y)));
    EXPECT_LT(worst, 0.01f);

    // Non-zero winding: two overlapping contours cover once, a ring's hole not at all.
    Path twice;
    twice.Rect(0, 0, 20, 20).Rect(10, 10, 20, 20);
    Mask t = mk::Rasterize(twice, 64, 64);
    EXPECT_NEAR(t.At(15, 15), 1.0f, 1e-4f);
    EXPECT_NEAR(CoverageSum(t), 2 * 400 - 100, 0.05f);
    Path ring;
    ring.Ring(32, 32, 20, 10);
    Mask r = mk::Rasterize(ring, 64, 64);
    EXPECT_EQ(r.At(32, 32), 0.0f);
    EXPECT_NEAR(r.At(32, 17), 1.0f, 1e-4f);
    EXPECT_NEAR(CoverageSum(r), 3.14159265f * (400 - 100), 2.0f);

    // Paths reaching past the picture are clipped to it.
    Path outside;
    outside.Rect(-30, -30, 40, 40);
    EXPECT_NEAR(CoverageSum(mk::Rasterize(outside, 64, 64)), 100, 0.02f);
}

// Text fitted into a box shrinks to stay inside it, and every character leaves ink.
TEST(DrawingTest, FittedTextStaysInsideItsBox) {
    mk::TextStyle style;
    style.size = 40;
    style.outline = mk::Rgb(0x000000);
    style.outlineWidth = 2;
    const std::string label = "ステージセレクト 1-1";
    ASSERT_GT(mk::TextWidth(label, style), 200);
    Image img(256, 64);
    const float bx = 20, by = 8, bw = 160, bh = 48;
    mk::DrawTextFit(img, label, bx, by, bw, bh, mk::Align::Center, style);
    int inkLeft = 256, inkRight = -1, inkTop = 64, inkBottom = -1;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            if (img.Px(x, y).a > 0.02f) {
                inkLeft = std::min(inkLeft, x);
                inkRight = std::max(inkRight, x);
                inkTop = std::min(inkTop, y);
                inkBottom = std::max(inkBottom, y);
            }
    ASSERT_GE(inkRight, 0);
    EXPECT_GE(inkLeft, bx);
    EXPECT_LE(inkRight, bx + bw);
    EXPECT_GE(inkTop, by);
    EXPECT_LE(inkBottom, by + bh);
    // Centred: the ink is about as far from either side of the box.
    EXPECT_NEAR((inkLeft - bx) - (bx + bw - inkRight), 0, 6);

    // Each character has its own outline and advance.
    mk::TextStyle plain;
    plain.size = 32;
    for (const char* ch : {"ア", "あ", "漢", "Ｂ", "7", "!"}) {
        SCOPED_TRACE(ch);
        EXPECT_FALSE(mk::TextPath(ch, plain, 0, 32).Empty());
        EXPECT_GT(mk::TextWidth(ch, plain), 4);
    }
    EXPECT_NEAR(mk::TextWidth("アアア", plain), 3 * mk::TextWidth("ア", plain), 0.01f);
}

// A character the font lacks stops the generator instead of drawing an empty box.
TEST(DrawingDeathTest, TextWithoutAGlyphStopsTheGenerator) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    mk::TextStyle plain;
    EXPECT_EXIT(mk::TextWidth("ア\xF0\x9F\x82\xA1", plain), testing::ExitedWithCode(1),
                "no glyph for U\\+1F0A1");
}

}  // namespace
