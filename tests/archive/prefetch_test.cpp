// Pictures decoded ahead on worker threads: the loaders must end with exactly the textures
// (and the messages) they would make on their own, from loose files and from both archives,
// and the archives must give the right bytes to several threads at once.
#include <sys/stat.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/archive/archive.h"
#include "engine/graphics/picture_prefetch.h"
#include "tests/twod/twod_fixture.h"
#include "tools/pack/pack.h"

namespace vqtest {
namespace {

// Every texel of every level.
std::vector<std::vector<uint32_t>> Texels(const gfx::Texture* t) {
    std::vector<std::vector<uint32_t>> levels;
    for (uint32_t l = 0; l < t->LevelCount(); ++l) {
        const uint32_t* data = t->LevelData(l);
        levels.emplace_back(data, data + size_t{t->Width(l)} * t->Height(l));
    }
    return levels;
}

TestPicture Pattern(int w, int h, uint32_t seed) {
    TestPicture p = SolidPicture(w, h, 0xFF000000u);
    for (size_t i = 0; i < p.texels.size(); ++i) {
        p.texels[i] = 0xFF000000u | static_cast<uint32_t>((i * 2654435761u + seed) & 0xFFFFFFu);
    }
    p.texels[1] = 0xFF00FF00u;  // the transparent key
    return p;
}

class PrefetchTest : public TwoDTest {
protected:
    void SetUp() override {
        TwoDTest::SetUp();
        std::string error;
        pack::PictureArchiveWriter pictures;
        ASSERT_TRUE(pictures.Add("bmp/packed.bmp", EncodeBmp24(Pattern(64, 32, 1)), &error));
        ASSERT_TRUE(pictures.Add("bmp/packed2.bmp", EncodeBmp24(Pattern(32, 32, 2)), &error));
        ASSERT_TRUE(pictures.Write(folder_, &error)) << error;
        pack::VolumeArchiveWriter volumes;
        ASSERT_TRUE(volumes.Add("bmp/volume.bmp", EncodeBmp24(Pattern(16, 16, 3)), &error));
        ASSERT_TRUE(volumes.Write(folder_, &error)) << error;
        OpenDataArchives();
        WritePicture("bmp/loose.tga", Pattern(48, 24, 4));
        mkdir((folder_ + "/xfile").c_str(), 0755);
        mkdir((folder_ + "/xfile/m").c_str(), 0755);
        WritePicture("xfile/m/skin.bmp", Pattern(20, 12, 5));
        const char* model =
            "xof 0302txt 0032\n"
            "Material a { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"skin.bmp\"; } }\n"
            "Material b { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"skin.bmp\"; } }\n"
            "Material c { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"gone.bmp\"; } }\n";
        WriteWholeFile(folder_ + "/xfile/m/m.x", model);
    }
    void TearDown() override {
        DropPrefetchedPictures();
        CloseDataArchives();
        TwoDTest::TearDown();
    }

    std::array<TextureHolder, 8> h_{};
};

struct Load {
    const char* path;
    int32_t width, height;
};
constexpr Load kLoads[] = {
    {"bmp/packed.bmp", 64, 32},   // picture archive
    {"bmp/packed2.bmp", 24, 24},  // picture archive, scaled down
    {"bmp/volume.bmp", 16, 16},   // volume archive
    {"bmp/loose.tga", 64, 32},    // loose file, scaled up
};
constexpr const char* kModels[] = {"xfile/m/m.x"};

TEST_F(PrefetchTest, PrefetchedPicturesBecomeTheTexturesALoadWouldMake) {
    // Loaded without a prefetch first: the reference.
    std::vector<std::vector<std::vector<uint32_t>>> expected;
    for (size_t i = 0; i < std::size(kLoads); ++i) {
        LoadTexture(TextureGroup::Title, &h_[i], kLoads[i].path, kLoads[i].width, kLoads[i].height);
        ASSERT_NE(h_[i].texture, nullptr) << kLoads[i].path;
        expected.push_back(Texels(h_[i].texture));
    }
    gfx::Texture* skin = nullptr;
    LoadTextureAnySize(&skin, "xfile/m/skin.bmp");
    ASSERT_NE(skin, nullptr);
    std::vector<std::vector<uint32_t>> expectedSkin = Texels(skin);
    skin->Release();
    ClearTextureRegistry();

    std::vector<PicturePrefetch> list;
    for (const Load& l : kLoads) list.push_back({l.path, l.width, l.height});
    PrefetchPictures(list, kModels);
    std::string messages = Messages([&] {
        for (size_t i = 0; i < std::size(kLoads); ++i) {
            LoadTexture(TextureGroup::Title, &h_[i], kLoads[i].path, kLoads[i].width,
                        kLoads[i].height);
        }
    });
    EXPECT_EQ(messages, "");
    for (size_t i = 0; i < std::size(kLoads); ++i) {
        ASSERT_NE(h_[i].texture, nullptr) << kLoads[i].path;
        EXPECT_EQ(Texels(h_[i].texture), expected[i]) << kLoads[i].path;
    }
    // Every mesh naming the model's texture gets its own texture of the same texels.
    for (int mesh = 0; mesh < 2; ++mesh) {
        gfx::Texture* t = nullptr;
        LoadTextureAnySize(&t, "xfile/m/skin.bmp");
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(Texels(t), expectedSkin);
        t->Release();
    }
}

TEST_F(PrefetchTest, WhatWasNotPrefetchedIsLoadedAndReportedAsUsual) {
    const PicturePrefetch list[] = {{"bmp/missing.bmp", 8, 8}, {"bmp/loose.tga", 64, 32}};
    PrefetchPictures(list, kModels);
    std::string messages = Messages([&] {
        LoadTexture(TextureGroup::Title, &h_[0], "bmp/missing.bmp", 8, 8);
        // Another size than the prefetched one is decoded for its own size.
        LoadTexture(TextureGroup::Title, &h_[1], "bmp/loose.tga", 40, 20);
        // The second load of a scene picture decodes it again.
        LoadTexture(TextureGroup::Title, &h_[2], "bmp/loose.tga", 64, 32);
        LoadTexture(TextureGroup::Title, &h_[3], "bmp/loose.tga", 64, 32);
    });
    EXPECT_EQ(messages.find("Not File Found bmp/missing.bmp"), messages.rfind("Not File Found"));
    EXPECT_NE(messages.find("Not File Found bmp/missing.bmp"), std::string::npos);
    EXPECT_EQ(h_[0].texture, nullptr);
    ASSERT_NE(h_[1].texture, nullptr);
    EXPECT_EQ(h_[1].texture->Width(), 40u);
    ASSERT_NE(h_[2].texture, nullptr);
    ASSERT_NE(h_[3].texture, nullptr);
    EXPECT_EQ(Texels(h_[2].texture), Texels(h_[3].texture));

    // A texture the model names but that does not exist is not found ahead.
    EXPECT_EQ(FindPrefetchedPicture("xfile/m/gone.bmp", 0, 0), nullptr);
    const image::TexturePicture* skin = FindPrefetchedPicture("xfile/m/skin.bmp", 0, 0);
    ASSERT_NE(skin, nullptr);
    EXPECT_EQ(skin->levels.size(), 5u);  // 20 x 12 down to 1 x 1
    EXPECT_EQ(FindPrefetchedPicture("xfile/m/skin.bmp", 0, 0), skin);
    DropPrefetchedPictures();
    EXPECT_EQ(FindPrefetchedPicture("xfile/m/skin.bmp", 0, 0), nullptr);
}

TEST_F(PrefetchTest, ArchivesGiveEachOfSeveralThreadsTheRightBytes) {
    const char* names[] = {"bmp/packed.bmp", "bmp/packed2.bmp", "bmp/volume.bmp"};
    std::vector<std::vector<uint8_t>> alone;
    for (const char* name : names) {
        std::vector<uint8_t> bytes(1 << 16);
        int64_t size = ReadArchiveEntry(name, bytes);
        ASSERT_GT(size, 0) << name;
        bytes.resize(static_cast<size_t>(size));
        alone.push_back(bytes);
    }
    std::vector<int> wrong(6, 0);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < wrong.size(); ++t) {
        threads.emplace_back([&, t] {
            std::vector<uint8_t> bytes(1 << 16);
            for (int round = 0; round < 40; ++round) {
                size_t k = (t + static_cast<size_t>(round)) % std::size(names);
                int64_t size = ReadArchiveEntry(names[k], bytes);
                if (size != static_cast<int64_t>(alone[k].size()) ||
                    !std::equal(alone[k].begin(), alone[k].end(), bytes.begin())) {
                    ++wrong[t];
                }
            }
        });
    }
    for (std::thread& t : threads) t.join();
    for (int w : wrong) EXPECT_EQ(w, 0);
}

}  // namespace
}  // namespace vqtest
