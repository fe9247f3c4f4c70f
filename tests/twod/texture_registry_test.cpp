// The texture registry, the picture loaders and the scene texture groups.
#include <array>
#include <map>

#include "engine/graphics/texture_groups.h"
#include "platform/text/cp932.h"
#include "tests/twod/twod_fixture.h"

namespace vqtest {
namespace {

class TextureRegistryTest : public TwoDTest {
protected:
    void TearDown() override {
        // Holders of the scene records must not keep textures of this test's device.
        ClearTextureRegistry();
        TwoDTest::TearDown();
    }

    int RegisteredCount() const {
        int n = 0;
        for (TextureHolder* h : gTextureRegistry.slots) n += h != nullptr;
        return n;
    }

    // Holders outlive the test body: the registry points at them until the tear-down.
    std::array<TextureHolder, 70> h_{};
};

TEST_F(TextureRegistryTest, LoadsALooseFileScaledToTheRequestedSize) {
    TestPicture p = SolidPicture(16, 8, 0xFF3366CCu);
    p.texels[0] = 0xFF00FF00u;
    WritePicture("bmp/pic.bmp", p);
    TextureHolder& holder = h_[0];
    std::string messages =
        Messages([&] { LoadTexture(TextureGroup::Title, &holder, "bmp/pic.bmp", 32, 16); });
    EXPECT_EQ(messages, "");
    ASSERT_NE(holder.texture, nullptr);
    EXPECT_EQ(holder.texture->Width(), 32u);
    EXPECT_EQ(holder.texture->Height(), 16u);
    EXPECT_EQ(holder.texture->LevelCount(), 1u);
    EXPECT_EQ(holder.width, 32);
    EXPECT_EQ(holder.group, TextureGroup::Title);
    EXPECT_EQ(gTextureRegistry.slots[0], &holder);
    // The transparent green corner is transparent; the far corner keeps its colour.
    EXPECT_EQ(holder.texture->LevelData(0)[0] >> 24, 0u);
    EXPECT_EQ(holder.texture->LevelData(0)[32 * 16 - 1], 0xFF3366CCu);
}

TEST_F(TextureRegistryTest, FindsFilesWhateverTheirLetterCase) {
    WritePicture("BMP/Pic.TGA", SolidPicture(4, 4, 0x80FFFFFFu));
    TextureHolder& holder = h_[0];
    LoadTexture(TextureGroup::Common, &holder, "bmp/pic.tga", 4, 4);
    ASSERT_NE(holder.texture, nullptr);
    EXPECT_EQ(holder.texture->LevelData(0)[5], 0x80FFFFFFu);
}

TEST_F(TextureRegistryTest, AMissingPictureIsReportedAndLeavesTheHolderEmpty) {
    TextureHolder& holder = h_[0];
    std::string messages =
        Messages([&] { LoadTexture(TextureGroup::Play, &holder, "bmp/none.bmp", 64, 32); });
    EXPECT_NE(messages.find("Not File Found bmp/none.bmp"), std::string::npos) << messages;
    EXPECT_NE(messages.find("[Error]"), std::string::npos);
    EXPECT_EQ(holder.texture, nullptr);
    EXPECT_EQ(holder.width, 64);
    EXPECT_EQ(holder.height, 32);
    EXPECT_EQ(holder.group, TextureGroup::Play);
    EXPECT_EQ(RegisteredCount(), 1);
}

TEST_F(TextureRegistryTest, AMissingPictureIsReportedOncePerRunWhoeverAsks) {
    // An empty file is as good as none.
    ASSERT_TRUE(WriteFileBytes(folder_ + "/bmp/empty.bmp", {}));
    auto count = [](const std::string& text, const std::string& word) {
        int n = 0;
        for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
            ++n;
        return n;
    };
    gfx::Texture* textures[4] = {};
    std::string messages = Messages([&] {
        for (int i = 0; i < 3; ++i) {
            LoadTexture(TextureGroup::Play, &h_[i], "bmp/none.bmp", 8, 8);
            LoadTexture(TextureGroup::Play, &h_[3 + i], "bmp/empty.bmp", 8, 8);
        }
        for (gfx::Texture*& t : textures) LoadTextureAnySize(&t, "xfile/none.bmp");
    });
    EXPECT_EQ(count(messages, "Not File Found bmp/none.bmp"), 1) << messages;
    EXPECT_EQ(count(messages, "Not File Found bmp/empty.bmp"), 1) << messages;
    EXPECT_EQ(count(messages, "Not File Found xfile/none.bmp"), 1) << messages;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(h_[i].texture, nullptr);
    for (gfx::Texture* t : textures) EXPECT_EQ(t, nullptr);

    // After a reset each missing picture is reported again, once.
    ResetMissingPictureReports();
    messages = Messages([&] {
        LoadTexture(TextureGroup::Play, &h_[0], "bmp/none.bmp", 8, 8);
        LoadTexture(TextureGroup::Play, &h_[1], "bmp/none.bmp", 8, 8);
    });
    EXPECT_EQ(count(messages, "Not File Found bmp/none.bmp"), 1) << messages;
}

TEST_F(TextureRegistryTest, AFileLargerThanTheReadBufferIsRefused) {
    // 4 x 4 texels give a 128-byte buffer; the file has 1078 bytes.
    WritePicture("bmp/big.bmp", SolidPicture(16, 16, 0xFF000000u));
    TextureHolder& holder = h_[0];
    std::string messages =
        Messages([&] { LoadTexture(TextureGroup::Play, &holder, "bmp/big.bmp", 4, 4); });
    EXPECT_NE(messages.find("File Too Large bmp/big.bmp"), std::string::npos) << messages;
    EXPECT_EQ(holder.texture, nullptr);
}

TEST_F(TextureRegistryTest, ASizeNoBufferCanHoldIsReportedAsMemoryShortage) {
    TextureHolder& holder = h_[0];
    std::string messages =
        Messages([&] { LoadTexture(TextureGroup::Play, &holder, "bmp/x.bmp", 0, 16); });
    std::string expected;
    text::Cp932ToUtf8(text::Cp932(u8"メモリが足りません。w:0 h:16").c_str(), &expected);
    EXPECT_NE(messages.find(expected), std::string::npos) << messages;
    EXPECT_NE(messages.find("[bmp/x.bmp]"), std::string::npos) << messages;
    EXPECT_EQ(holder.texture, nullptr);
}

TEST_F(TextureRegistryTest, TheSixtyFifthPictureIsRefusedWithoutLeaking) {
    WritePicture("bmp/p.bmp", SolidPicture(2, 2, 0xFFFFFFFFu));
    TextureHolder* holders = h_.data();
    for (int i = 0; i < 64; ++i) LoadTexture(TextureGroup::Play, &holders[i], "bmp/p.bmp", 8, 8);
    EXPECT_EQ(RegisteredCount(), 64);
    std::string messages =
        Messages([&] { LoadTexture(TextureGroup::Play, &holders[64], "bmp/p.bmp", 8, 8); });
    std::string expected;
    text::Cp932ToUtf8(text::Cp932(u8"setTextureオーバー").c_str(), &expected);
    EXPECT_NE(messages.find("[error] " + expected), std::string::npos) << messages;
    EXPECT_EQ(holders[64].texture, nullptr);
    EXPECT_EQ(holders[64].group, TextureGroup::Play);

    ReleaseTextureGroup(TextureGroup::Play);
    EXPECT_EQ(RegisteredCount(), 0);
    EXPECT_EQ(device_->destroyed, 64);
    for (int i = 0; i < 65; ++i) EXPECT_EQ(holders[i].texture, nullptr);
}

TEST_F(TextureRegistryTest, AGroupReleaseLeavesTheOtherGroups) {
    WritePicture("bmp/p.bmp", SolidPicture(2, 2, 0xFFFFFFFFu));
    TextureHolder &common = h_[0], &title = h_[1], &play = h_[2];
    LoadTexture(TextureGroup::Common, &common, "bmp/p.bmp", 8, 8);
    LoadTexture(TextureGroup::Title, &title, "bmp/p.bmp", 8, 8);
    LoadTexture(TextureGroup::Play, &play, "bmp/p.bmp", 8, 8);
    ReleaseTextureGroup(TextureGroup::Play);
    EXPECT_EQ(play.texture, nullptr);
    EXPECT_NE(common.texture, nullptr);
    EXPECT_NE(title.texture, nullptr);
    EXPECT_EQ(gTextureRegistry.slots[0], &common);
    EXPECT_EQ(gTextureRegistry.slots[1], &title);
    EXPECT_EQ(gTextureRegistry.slots[2], nullptr);
    // The freed slot is the first one the next picture takes.
    LoadTexture(TextureGroup::Shop, &play, "bmp/p.bmp", 8, 8);
    EXPECT_EQ(gTextureRegistry.slots[2], &play);
}

TEST_F(TextureRegistryTest, AHolderLoadedTwiceKeepsOneTextureAndFreesBothSlots) {
    WritePicture("bmp/p.bmp", SolidPicture(2, 2, 0xFFFFFFFFu));
    TextureHolder& holder = h_[0];
    LoadTexture(TextureGroup::Play, &holder, "bmp/p.bmp", 8, 8);
    LoadTexture(TextureGroup::Play, &holder, "bmp/p.bmp", 16, 16);
    EXPECT_EQ(RegisteredCount(), 2);
    EXPECT_EQ(device_->destroyed, 1);  // the first texture went when the second came
    ASSERT_NE(holder.texture, nullptr);
    EXPECT_EQ(holder.texture->Width(), 16u);
    ReleaseTextureGroup(TextureGroup::Play);
    EXPECT_EQ(RegisteredCount(), 0);
    EXPECT_EQ(device_->destroyed, 2);
}

TEST_F(TextureRegistryTest, ClearingTheRegistryReleasesWhatItForgets) {
    WritePicture("bmp/p.bmp", SolidPicture(2, 2, 0xFFFFFFFFu));
    TextureHolder &a = h_[0], &b = h_[1];
    LoadTexture(TextureGroup::Common, &a, "bmp/p.bmp", 8, 8);
    LoadTexture(TextureGroup::Title, &b, "bmp/p.bmp", 8, 8);
    ClearTextureRegistry();
    EXPECT_EQ(RegisteredCount(), 0);
    EXPECT_EQ(a.texture, nullptr);
    EXPECT_EQ(b.texture, nullptr);
    EXPECT_EQ(device_->destroyed, 2);
}

TEST_F(TextureRegistryTest, ModelPicturesKeepTheirSizeWithAFullMipChain) {
    WritePicture("xfile/skin.bmp", SolidPicture(8, 4, 0xFF204060u));
    gfx::Texture* texture = nullptr;
    LoadTextureAnySize(&texture, "xfile/skin.bmp");
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->Width(), 8u);
    EXPECT_EQ(texture->Height(), 4u);
    EXPECT_EQ(texture->LevelCount(), 4u);
    EXPECT_EQ(texture->LevelData(3)[0], 0xFF204060u);
    EXPECT_EQ(RegisteredCount(), 0);
    texture->Release();

    std::string messages = Messages([&] { LoadTextureAnySize(&texture, "xfile/none.bmp"); });
    EXPECT_NE(messages.find("Not File Found xfile/none.bmp"), std::string::npos);
    EXPECT_EQ(texture, nullptr);
}

// Writes every picture of the scene groups as a small file of its own colour.
class TextureGroupTest : public TextureRegistryTest {
protected:
    void SetUp() override {
        TextureRegistryTest::SetUp();
        const char* files[] = {
            "bmp/pasemenu.bmp",     "bmp/system.bmp",
            "bmp/fps.tga",          "bmp/suji_score.tga",
            "bmp/nowloading.tga",   "bmp/chr00.bmp",
            "bmp/chr01.bmp",        "bmp/chr02.bmp",
            "bmp/chr03.bmp",        "bmp/masc02.bmp",
            "bmp/title.bmp",        "bmp/title2.bmp",
            "bmp/fam_nomal.tga",    "bmp/title_sel.tga",
            "bmp/pracss.bmp",       "bmp/selectchapter.tga",
            "bmp/selectchr.tga",    "bmp/hiscore_title.tga",
            "bmp/item_mini.tga",    "bmp/soundoption_menu.tga",
            "bmp/gameover.bmp",     "bmp/result_bg.bmp",
            "bmp/result_messe.tga", "bmp/result_messe2.tga",
            "bmp/ed_bg.bmp",        "bmp/ed_bg2.bmp",
            "bmp/extra_cl.bmp",     "bmp/last_cut.bmp",
            "bmp/shop_bg.bmp",      "bmp/shop.tga",
            "bmp/item.tga",         "bmp/item_name.tga",
            "bmp/item2.tga",        "bmp/item2_name.tga",
            "bmp/gameover.tga",
        };
        uint32_t colour = 0xFF000001u;
        for (const char* f : files) {
            colours_[f] = colour;
            WritePicture(f, SolidPicture(4, 4, colour++));
        }
    }

    // The colour of the picture the holder was loaded from.
    uint32_t Colour(const TextureHolder& h) const {
        return h.texture ? h.texture->LevelData(0)[0] : 0;
    }
    uint32_t FileColour(const char* file) { return colours_[file]; }

    std::map<std::string, uint32_t> colours_;
};

TEST_F(TextureGroupTest, EachSceneLoadsItsPicturesInItsGroup) {
    std::string messages = Messages([] {
        LoadCommonResources();
        LoadTitleResources();
        LoadGameOverResources();
        LoadResultResources();
        LoadEndingResources();
        LoadShopResources();
    });
    // Every picture is there; the crafts' models, which the common group also loads, are not.
    EXPECT_EQ(messages,
              "[File Open Error] xfile/craft0/craft0.x\n[File Open Error] xfile/craft1/craft1.x\n"
              "[File Open Error] xfile/craft2/craft2.x\n[File Open Error] xfile/craft3/craft3.x\n");
    EXPECT_EQ(RegisteredCount(), 10 + 10 + 1 + 4 + 2 + 7);
    EXPECT_EQ(gCommonTextures.pauseMenu.width, 512);
    EXPECT_EQ(gCommonTextures.pauseMenu.height, 256);
    EXPECT_EQ(gCommonTextures.pauseMenu.texture->Width(), 512u);
    EXPECT_EQ(Colour(gCommonTextures.system), FileColour("bmp/system.bmp"));
    EXPECT_EQ(Colour(gFormTextures[5]), FileColour("bmp/masc02.bmp"));
    EXPECT_EQ(gFormTextures[5].group, TextureGroup::Common);
    EXPECT_EQ(gTitleTextures.practice.height, 1024);
    EXPECT_EQ(Colour(gTitleTextures.soundOption), FileColour("bmp/soundoption_menu.tga"));
    EXPECT_EQ(Colour(gGameOverTextures.picture), FileColour("bmp/gameover.bmp"));
    EXPECT_EQ(gResultTextures.message2.width, 256);
    EXPECT_EQ(Colour(gShopTextures.gameOver), FileColour("bmp/gameover.tga"));
    EXPECT_EQ(gShopTextures.gameOver.group, TextureGroup::Shop);
    // The common pictures are the first ten in load order.
    EXPECT_EQ(gTextureRegistry.slots[0], &gCommonTextures.pauseMenu);
    EXPECT_EQ(gTextureRegistry.slots[9], &gFormTextures[5]);
}

TEST_F(TextureGroupTest, ReleasingAGroupFreesOnlyItsPictures) {
    LoadCommonResources();
    LoadTitleResources();
    LoadShopResources();
    ReleaseShopResources();
    EXPECT_EQ(gShopTextures.gameOver.texture, nullptr);
    EXPECT_EQ(gShopTextures.background.texture, nullptr);
    EXPECT_NE(gTitleTextures.title.texture, nullptr);
    ReleaseTitleResources();
    EXPECT_EQ(gTitleTextures.title.texture, nullptr);
    EXPECT_NE(gCommonTextures.system.texture, nullptr);
    EXPECT_EQ(RegisteredCount(), 10);
    ReleaseCommonResources();
    EXPECT_EQ(RegisteredCount(), 0);
    EXPECT_EQ(gCommonTextures.system.texture, nullptr);
}

TEST_F(TextureGroupTest, TheEndingPicturesFollowTheVariant) {
    gEndingVariant = 1;
    LoadEndingResources();
    EXPECT_EQ(Colour(gEndingTextures.background), FileColour("bmp/ed_bg2.bmp"));
    EXPECT_EQ(Colour(gEndingTextures.finalPicture), FileColour("bmp/extra_cl.bmp"));
    ReleaseEndingResources();
    gEndingVariant = 0;
    LoadEndingResources();
    EXPECT_EQ(Colour(gEndingTextures.background), FileColour("bmp/ed_bg.bmp"));
    EXPECT_EQ(Colour(gEndingTextures.finalPicture), FileColour("bmp/last_cut.bmp"));
    EXPECT_EQ(gEndingTextures.background.group, TextureGroup::Ending);
}

TEST_F(TextureGroupTest, ReloadingTheCommonGroupStartsFromAnEmptyRegistry) {
    LoadCommonResources();
    LoadTitleResources();
    int before = device_->destroyed;
    // After a device reset: the scene groups are gone and the common pictures come again.
    ReleaseTitleResources();
    LoadCommonResources();
    EXPECT_EQ(RegisteredCount(), 10);
    EXPECT_EQ(device_->destroyed - before, 10 + 10);
    EXPECT_NE(gCommonTextures.nowLoading.texture, nullptr);
}

TEST_F(TextureGroupTest, TheEventGroupIsReleasedByItsRoutine) {
    TextureHolder& event = h_[0];
    LoadTexture(TextureGroup::Event, &event, "bmp/title.bmp", 4, 4);
    LoadCommonResources();
    // The common load empties the registry first, so load the event picture again.
    LoadTexture(TextureGroup::Event, &event, "bmp/title.bmp", 4, 4);
    ReleaseEventResources();
    EXPECT_EQ(event.texture, nullptr);
    EXPECT_EQ(RegisteredCount(), 10);
}

}  // namespace
}  // namespace vqtest
