// Pictures missing as loose files are loaded from either archive by the picture loaders.
#include <string>

#include "engine/archive/archive.h"
#include "tests/twod/twod_fixture.h"
#include "tools/pack/pack.h"

namespace vqtest {
namespace {

class ArchivedTextureTest : public TwoDTest {
protected:
    void TearDown() override {
        CloseDataArchives();
        TwoDTest::TearDown();
    }

    // Packs the pictures into both archives of the run folder and opens them.
    void PackArchives(const std::vector<std::pair<std::string, TestPicture>>& pictures,
                      const std::vector<std::pair<std::string, TestPicture>>& volumes) {
        std::string error;
        pack::PictureArchiveWriter pictureWriter;
        for (const auto& [name, picture] : pictures) {
            ASSERT_TRUE(pictureWriter.Add(name, EncodeBmp24(picture), &error)) << error;
        }
        ASSERT_TRUE(pictureWriter.Write(folder_, &error)) << error;
        pack::VolumeArchiveWriter volumeWriter;
        for (const auto& [name, picture] : volumes) {
            ASSERT_TRUE(volumeWriter.Add(name, EncodeBmp24(picture), &error)) << error;
        }
        ASSERT_TRUE(volumeWriter.Write(folder_, &error)) << error;
        OpenDataArchives();
    }

    std::array<TextureHolder, 4> h_{};
};

TEST_F(ArchivedTextureTest, PicturesMissingAsLooseFilesComeFromEitherArchive) {
    TestPicture red = SolidPicture(8, 8, 0xFFCC2020u);
    red.texels[0] = 0xFF00FF00u;
    PackArchives({{"bmp/title.bmp", red}},
                 {{"bmp/stage/sky.bmp", SolidPicture(16, 4, 0xFF2040A0u)}});
    const std::string messages = Messages([&] {
        LoadTexture(TextureGroup::Title, &h_[0], "BMP/TITLE.BMP", 8, 8);
        LoadTexture(TextureGroup::Play, &h_[1], "bmp/stage/sky.bmp", 16, 4);
    });
    EXPECT_EQ(messages, "");
    ASSERT_NE(h_[0].texture, nullptr);
    EXPECT_EQ(h_[0].texture->LevelData(0)[0] >> 24, 0u);  // the green key stays transparent
    EXPECT_EQ(h_[0].texture->LevelData(0)[63], 0xFFCC2020u);
    ASSERT_NE(h_[1].texture, nullptr);
    EXPECT_EQ(h_[1].texture->LevelData(0)[5], 0xFF2040A0u);

    gfx::Texture* model = nullptr;
    LoadTextureAnySize(&model, "bmp/stage/sky.bmp");
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->Width(), 16u);
    model->Release();
}

TEST_F(ArchivedTextureTest, ALooseFileIsPreferredToTheArchivedCopy) {
    PackArchives({{"bmp/title.bmp", SolidPicture(4, 4, 0xFF111111u)}}, {});
    WritePicture("bmp/title.bmp", SolidPicture(4, 4, 0xFF222222u));
    LoadTexture(TextureGroup::Title, &h_[0], "bmp/title.bmp", 4, 4);
    ASSERT_NE(h_[0].texture, nullptr);
    EXPECT_EQ(h_[0].texture->LevelData(0)[0], 0xFF222222u);
}

TEST_F(ArchivedTextureTest, RefusedEntriesAreReportedAndLeaveNoTexture) {
    // 64 x 64 texels do not fit the buffer of a 2 x 2 request (32 bytes).
    PackArchives({{"bmp/big.bmp", SolidPicture(64, 64, 0xFF808080u)}}, {});
    std::string messages =
        Messages([&] { LoadTexture(TextureGroup::Title, &h_[0], "bmp/big.bmp", 2, 2); });
    EXPECT_NE(messages.find("bmp/big.bmp"), std::string::npos) << messages;
    EXPECT_EQ(h_[0].texture, nullptr);

    // A corrupt entry reads as missing.
    CloseDataArchives();
    std::vector<uint8_t> index(4 + 64, 0);
    index[3] = 1;
    const std::string name = "bmp/bad.bmp";
    std::copy(name.begin(), name.end(), index.begin() + 4);
    index[4 + 55] = 8;  // unpacked size 8
    index[4 + 63] = 7;  // packed size 7 at offset 0
    WriteFileBytes(folder_ + "/pakindex.bin", index);
    WriteFileBytes(folder_ + "/bin/data000.bin", {0x40, 'a', 0x01, 0x02, 0x80, 0x00, 0x00});
    OpenDataArchives();
    messages = Messages([&] { LoadTexture(TextureGroup::Title, &h_[1], "bmp/bad.bmp", 4, 4); });
    EXPECT_NE(messages.find("Not File Found bmp/bad.bmp"), std::string::npos) << messages;
    EXPECT_EQ(h_[1].texture, nullptr);
}

}  // namespace
}  // namespace vqtest
