// Picture decoding, the transparent colour key, resampling and mip chains.
#include <gtest/gtest.h>

#include <memory>

#include "platform/gfx/device.h"
#include "platform/image/picture.h"
#include "tests/support/pictures.h"

namespace {

using image::Picture;
using vqtest::TestPicture;

// An 8 x 8 JPEG of the colour 0x3060C0.
const uint8_t kSolidJpeg[] = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x02, 0x00, 0x00,
    0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xfe, 0x00, 0x10, 0x4c, 0x61, 0x76, 0x63, 0x35, 0x39,
    0x2e, 0x33, 0x37, 0x2e, 0x31, 0x30, 0x30, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x08, 0x04,
    0x04, 0x04, 0x04, 0x04, 0x05, 0x05, 0x05, 0x05, 0x05, 0x05, 0x06, 0x06, 0x06, 0x06, 0x06,
    0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x06, 0x07, 0x07, 0x07, 0x08, 0x08, 0x08, 0x07,
    0x07, 0x07, 0x06, 0x06, 0x07, 0x07, 0x08, 0x08, 0x08, 0x08, 0x09, 0x09, 0x09, 0x08, 0x08,
    0x08, 0x08, 0x09, 0x09, 0x0a, 0x0a, 0x0a, 0x0c, 0x0c, 0x0b, 0x0b, 0x0e, 0x0e, 0x0e, 0x11,
    0x11, 0x14, 0xff, 0xc4, 0x00, 0x4c, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x01, 0x01, 0x01, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x06, 0x10,
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x11, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc0, 0x00, 0x11, 0x08, 0x00, 0x08, 0x00, 0x08, 0x03,
    0x01, 0x12, 0x00, 0x02, 0x12, 0x00, 0x03, 0x12, 0x00, 0xff, 0xda, 0x00, 0x0c, 0x03, 0x01,
    0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3f, 0x00, 0x9c, 0x17, 0x02, 0x7c, 0x7f, 0xff, 0xd9};

TestPicture Checker() {
    TestPicture p;
    p.width = 3;
    p.height = 2;
    p.texels = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF102030u, 0xFFFFFFFFu, 0xFF000000u};
    return p;
}

Picture Make(uint32_t w, uint32_t h, std::vector<uint32_t> texels) {
    Picture p;
    p.width = w;
    p.height = h;
    p.texels = std::move(texels);
    return p;
}

bool Decode(const std::vector<uint8_t>& bytes, Picture* out) {
    return image::DecodePicture(std::span(bytes.data(), bytes.size()), out);
}

TEST(PictureDecoding, EachFileKindGivesTheSameTexels) {
    TestPicture source = Checker();
    Picture bmp, tga, png;
    ASSERT_TRUE(Decode(vqtest::EncodeBmp24(source), &bmp));
    ASSERT_TRUE(Decode(vqtest::EncodeTga32(source), &tga));
    ASSERT_TRUE(Decode(vqtest::EncodePng(source), &png));
    for (const Picture* p : {&bmp, &tga, &png}) {
        EXPECT_EQ(p->width, 3u);
        EXPECT_EQ(p->height, 2u);
        EXPECT_EQ(p->texels, source.texels);
    }
}

TEST(PictureDecoding, KeepsTheAlphaOfPicturesThatHaveIt) {
    TestPicture source = vqtest::SolidPicture(2, 2, 0x80FF8040u);
    Picture tga, png;
    ASSERT_TRUE(Decode(vqtest::EncodeTga32(source), &tga));
    ASSERT_TRUE(Decode(vqtest::EncodePng(source), &png));
    EXPECT_EQ(tga.texels[3], 0x80FF8040u);
    EXPECT_EQ(png.texels[3], 0x80FF8040u);
}

TEST(PictureDecoding, ReadsJpeg) {
    Picture p;
    ASSERT_TRUE(image::DecodePicture(std::span(kSolidJpeg, sizeof kSolidJpeg), &p));
    ASSERT_EQ(p.width, 8u);
    ASSERT_EQ(p.height, 8u);
    uint32_t c = p.texels[27];
    EXPECT_EQ(c >> 24, 0xFFu);
    EXPECT_NEAR(static_cast<int>((c >> 16) & 0xFF), 0x30, 3);
    EXPECT_NEAR(static_cast<int>((c >> 8) & 0xFF), 0x60, 3);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 0xC0, 3);
}

TEST(PictureDecoding, RefusesPicturesLargerThanAnyTexture) {
    // The header claims 5000 x 8 texels; no texel memory is taken for it.
    std::vector<uint8_t> bmp = vqtest::EncodeBmp24(vqtest::SolidPicture(1, 8, 0xFF000000u));
    bmp[18] = 5000 & 0xFF;
    bmp[19] = 5000 >> 8;
    Picture p;
    const char* reason = nullptr;
    EXPECT_FALSE(image::DecodePicture(std::span(bmp.data(), bmp.size()), &p, &reason));
    EXPECT_STREQ(reason, "picture too large");
}

TEST(ColorKey, OnlyOpaquePureGreenBecomesTransparentBlack) {
    Picture p = Make(4, 1, {0xFF00FF00u, 0xFF00FE00u, 0x8000FF00u, 0xFF01FF00u});
    image::ApplyColorKey(&p, image::kTransparentKey);
    EXPECT_EQ(p.texels, (std::vector<uint32_t>{0, 0xFF00FE00u, 0x8000FF00u, 0xFF01FF00u}));
}

TEST(Resampling, SameSizeIsACopy) {
    Picture src = Make(3, 2, Checker().texels), out;
    image::ResamplePicture(src, 3, 2, &out);
    EXPECT_EQ(out.texels, src.texels);
}

TEST(Resampling, ReducingByTwoAveragesTheCoveredTexels) {
    // Columns of 0, 40, 80, 120 in every channel: halving gives a tent over four texels
    // (weights 1, 3, 3, 1) with the edge texel repeated beyond the picture.
    Picture src = Make(4, 1, {0x00000000u, 0x28282828u, 0x50505050u, 0x78787878u}), out;
    image::ResamplePicture(src, 2, 1, &out);
    ASSERT_EQ(out.texels.size(), 2u);
    // (0 + 0 x 3 + 40 x 3 + 80) / 8 = 25 and (40 + 80 x 3 + 120 x 3 + 120) / 8 = 95.
    EXPECT_EQ(out.texels[0], 0x19191919u);
    EXPECT_EQ(out.texels[1], 0x5F5F5F5Fu);
}

TEST(Resampling, EnlargingInterpolatesBetweenTexelCentres) {
    Picture src = Make(2, 1, {0xFF000000u, 0xFFC8C8C8u}), out;
    image::ResamplePicture(src, 4, 1, &out);
    // Destination centres at source x -0.25, 0.25, 0.75, 1.25.
    EXPECT_EQ(out.texels,
              (std::vector<uint32_t>{0xFF000000u, 0xFF323232u, 0xFF969696u, 0xFFC8C8C8u}));
}

TEST(Resampling, TheKeyedColourBlendsAsTransparentBlack) {
    // The key is applied before scaling: green contributes nothing but its transparency.
    Picture p = Make(2, 1, {0xFF00FF00u, 0xFFFF0000u}), out;
    image::ApplyColorKey(&p, image::kTransparentKey);
    image::ResamplePicture(p, 1, 1, &out);
    EXPECT_EQ(out.texels[0], 0x80800000u);
}

TEST(MipChain, EachLevelHalvesTheOneBefore) {
    Picture p = Make(4, 2,
                     {0xFF000000u, 0xFF080808u, 0xFF101010u, 0xFF181818u,  //
                      0xFF202020u, 0xFF282828u, 0xFF303030u, 0xFF383838u}),
            half, quarter;
    image::HalvePicture(p, &half);
    ASSERT_EQ(half.width, 2u);
    ASSERT_EQ(half.height, 1u);
    EXPECT_EQ(half.texels, (std::vector<uint32_t>{0xFF141414u, 0xFF242424u}));
    image::HalvePicture(half, &quarter);
    ASSERT_EQ(quarter.width, 1u);
    EXPECT_EQ(quarter.texels[0], 0xFF1C1C1Cu);
}

class TextureFromMemory : public ::testing::Test {
protected:
    std::unique_ptr<gfx::Device> device_{gfx::CreateNullDevice(gfx::PresentParams{})};
};

TEST_F(TextureFromMemory, ScalesKeysAndBuildsTheRequestedLevels) {
    TestPicture source = vqtest::SolidPicture(4, 4, 0xFFFF0000u);
    source.texels[0] = 0xFF00FF00u;
    std::vector<uint8_t> bmp = vqtest::EncodeBmp24(source);
    gfx::Texture* t = nullptr;
    ASSERT_EQ(image::CreateTextureFromMemory(device_.get(), std::span(bmp.data(), bmp.size()), 8, 2,
                                             1, image::kTransparentKey, &t),
              gfx::Result::Ok);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->Width(), 8u);
    EXPECT_EQ(t->Height(), 2u);
    EXPECT_EQ(t->LevelCount(), 1u);
    // The keyed corner has faded the top-left texel; the far corner is pure red.
    EXPECT_LT(t->LevelData(0)[0] >> 24, 0xFFu);
    EXPECT_EQ(t->LevelData(0)[15], 0xFFFF0000u);
    t->Release();

    ASSERT_EQ(image::CreateTextureFromMemory(device_.get(), std::span(bmp.data(), bmp.size()), 0, 0,
                                             0, image::kTransparentKey, &t),
              gfx::Result::Ok);
    EXPECT_EQ(t->Width(), 4u);
    EXPECT_EQ(t->LevelCount(), 3u);
    EXPECT_EQ(t->LevelData(0)[0], 0u);
    // Level 1 averages the keyed texel to 191 (rounded); level 2 averages that again.
    EXPECT_EQ(t->LevelData(1)[0], 0xBFBF0000u);
    EXPECT_EQ(t->LevelData(2)[0], 0xEFEF0000u);
    t->Release();
}

}  // namespace
