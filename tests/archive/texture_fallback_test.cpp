// Pictures missing as loose files are loaded from either archive by the picture loaders.
#include <string>

#include "engine/archive/archive.h"
#include "engine/archive/archive_format.h"
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
}

// LZ-packed entries whose data does not decode to the size their index gives, or that
// reach back before the start of their output: each is told once as a picture that cannot
// be loaded, and nothing is drawn. So is an entry whose size does not fit the read buffer,
// as a file too large.
TEST_F(ArchivedTextureTest, DamagedVolumeEntriesAreToldAndNotDrawn) {
    TestPicture picture = SolidPicture(16, 16, 0xFF2040A0u);
    for (uint32_t i = 0; i < picture.texels.size(); i += 3) picture.texels[i] = 0xFF80C020u;
    const std::vector<uint8_t> bmp = EncodeBmp24(picture);
    const std::vector<uint8_t> packed = pack::PackLz(bmp);
    const auto size = static_cast<uint32_t>(bmp.size());
    auto patched = [&packed](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> out = packed;
        std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<ptrdiff_t>(at));
        return out;
    };
    const struct {
        const char* name;
        std::vector<uint8_t> data;
        uint32_t unpacked;
        bool tooLarge = false;
    } cases[] = {
        {"twenty bytes changed inside", patched(packed.size() / 2, std::vector<uint8_t>(20, 0)),
         size},
        {"the end token before the size", packed, size + 10},
        {"the data going on past the size", packed, size - 10},
        {"a match before the first byte", {0x40, 'a', 0x01, 0x02, 0x80, 0x00, 0x00}, 8},
        {"no end token", std::vector<uint8_t>(packed.begin(), packed.end() - 2), size},
        {"a size larger than any read buffer", packed, 0x7FFFFFFF, true},
    };
    int index = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CloseDataArchives();
        const std::string name = "bmp/lz" + std::to_string(index++) + ".bmp";
        std::vector<uint8_t> entry(4 + 64, 0);
        entry[3] = 1;
        std::copy(name.begin(), name.end(), entry.begin() + 4);
        archive::WriteBe32(&entry[4 + 52], c.unpacked);
        archive::WriteBe32(&entry[4 + 60], static_cast<uint32_t>(c.data.size()));
        WriteFileBytes(folder_ + "/pakindex.bin", entry);
        WriteFileBytes(folder_ + "/bin/data000.bin", c.data);
        OpenDataArchives();
        const std::string messages = Messages([&] {
            LoadTexture(TextureGroup::Play, &h_[0], name.c_str(), 16, 16);
            LoadTexture(TextureGroup::Play, &h_[0], name.c_str(), 16, 16);
        });
        const std::string told =
            c.tooLarge ? "[Error] File Too Large " + name : "[Error] " + name + " (";
        EXPECT_NE(messages.find(told), std::string::npos) << messages;
        EXPECT_EQ(messages.find("[Error]"), messages.rfind("[Error]")) << messages;
        EXPECT_EQ(h_[0].texture, nullptr);
        ReleaseTextureGroup(TextureGroup::Play);
    }
}

}  // namespace
}  // namespace vqtest
