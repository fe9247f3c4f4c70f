#include "engine/graphics/texture_groups.h"

#include <vector>

#include "engine/core/game_state.h"
#include "engine/graphics/picture_prefetch.h"
#include "engine/models/skinned_model.h"

CommonTextures gCommonTextures;
std::array<TextureHolder, kFormTextureCount> gFormTextures;
TitleTextures gTitleTextures;
PlayTextures gPlayTextures;
GameOverTextures gGameOverTextures;
ResultTextures gResultTextures;
EndingTextures gEndingTextures;
ShopTextures gShopTextures;
int32_t gEndingVariant;

namespace {

struct PictureEntry {
    TextureHolder* holder;
    const char* path;
    int32_t width, height;
};

template <size_t N>
void LoadPictures(TextureGroup group, const PictureEntry (&list)[N]) {
    for (const PictureEntry& e : list) LoadTexture(group, e.holder, e.path, e.width, e.height);
}

constexpr const char* kCraftModelFiles[] = {
    "xfile/craft0/craft0.x",
    "xfile/craft1/craft1.x",
    "xfile/craft2/craft2.x",
    "xfile/craft3/craft3.x",
};
static_assert(std::size(kCraftModelFiles) == kCraftModelCount);

const PictureEntry kCommonPictures[] = {
    {&gCommonTextures.pauseMenu, "bmp/pasemenu.bmp", 512, 256},
    {&gCommonTextures.system, "bmp/system.bmp", 128, 128},
    {&gCommonTextures.fps, "bmp/fps.tga", 128, 16},
    {&gCommonTextures.scoreDigits, "bmp/suji_score.tga", 256, 64},
    {&gCommonTextures.nowLoading, "bmp/nowloading.tga", 256, 64},
    {&gFormTextures[0], "bmp/chr00.bmp", 512, 512},
    {&gFormTextures[1], "bmp/chr01.bmp", 512, 512},
    {&gFormTextures[2], "bmp/chr02.bmp", 512, 512},
    {&gFormTextures[3], "bmp/chr03.bmp", 512, 512},
    {&gFormTextures[5], "bmp/masc02.bmp", 256, 256},
};

const PictureEntry kTitlePictures[] = {
    {&gTitleTextures.title, "bmp/title.bmp", 1024, 512},
    {&gTitleTextures.title2, "bmp/title2.bmp", 1024, 512},
    {&gTitleTextures.menu, "bmp/fam_nomal.tga", 1024, 512},
    {&gTitleTextures.titleSelect, "bmp/title_sel.tga", 1024, 512},
    {&gTitleTextures.practice, "bmp/pracss.bmp", 512, 1024},
    {&gTitleTextures.selectChapter, "bmp/selectchapter.tga", 512, 512},
    {&gTitleTextures.selectCraft, "bmp/selectchr.tga", 1024, 1024},
    {&gTitleTextures.hiscoreTitle, "bmp/hiscore_title.tga", 512, 64},
    {&gTitleTextures.itemMini, "bmp/item_mini.tga", 256, 256},
    {&gTitleTextures.soundOption, "bmp/soundoption_menu.tga", 512, 256},
};

}  // namespace

void PrefetchStartupPictures() {
    std::vector<PicturePrefetch> pictures;
    for (const PictureEntry& e : kCommonPictures) pictures.push_back({e.path, e.width, e.height});
    for (const PictureEntry& e : kTitlePictures) pictures.push_back({e.path, e.width, e.height});
    PrefetchPictures(pictures, kCraftModelFiles);
}

void LoadCommonResources() {
    ClearTextureRegistry();
    for (int i = 0; i < kCraftModelCount; ++i) {
        LoadModelFile(&gCraftModels[i], kCraftModelFiles[i]);
    }
    LoadPictures(TextureGroup::Common, kCommonPictures);
}

void ReleaseCommonResources() {
    ReleaseTextureGroup(TextureGroup::Common);
}

void LoadTitleResources() {
    LoadPictures(TextureGroup::Title, kTitlePictures);
}

void ReleaseTitleResources() {
    ReleaseTextureGroup(TextureGroup::Title);
}

void LoadGameOverResources() {
    LoadTexture(TextureGroup::GameOver, &gGameOverTextures.picture, "bmp/gameover.bmp", 1024, 512);
}

void ReleaseGameOverResources() {
    ReleaseTextureGroup(TextureGroup::GameOver);
}

void LoadResultResources() {
    ResultTextures& r = gResultTextures;
    const PictureEntry pictures[] = {
        {&r.background, "bmp/result_bg.bmp", 1024, 512},
        {&r.message, "bmp/result_messe.tga", 512, 256},
        {&r.selectCraft, "bmp/selectchr.tga", 1024, 1024},
        {&r.message2, "bmp/result_messe2.tga", 256, 512},
    };
    LoadPictures(TextureGroup::Result, pictures);
}

void ReleaseResultResources() {
    ReleaseTextureGroup(TextureGroup::Result);
}

void LoadEndingResources() {
    EndingTextures& e = gEndingTextures;
    bool extra = gEndingVariant == 1;
    const PictureEntry pictures[] = {
        {&e.background, extra ? "bmp/ed_bg2.bmp" : "bmp/ed_bg.bmp", 1024, 512},
        {&e.finalPicture, extra ? "bmp/extra_cl.bmp" : "bmp/last_cut.bmp", 1024, 512},
    };
    LoadPictures(TextureGroup::Ending, pictures);
}

void ReleaseEndingResources() {
    ReleaseTextureGroup(TextureGroup::Ending);
}

void LoadShopResources() {
    ShopTextures& s = gShopTextures;
    const PictureEntry pictures[] = {
        {&s.background, "bmp/shop_bg.bmp", 1024, 512},
        {&s.shop, "bmp/shop.tga", 1024, 512},
        {&s.item, "bmp/item.tga", 512, 512},
        {&s.itemName, "bmp/item_name.tga", 512, 512},
        {&s.item2, "bmp/item2.tga", 512, 512},
        {&s.item2Name, "bmp/item2_name.tga", 512, 512},
        {&s.gameOver, "bmp/gameover.tga", 512, 256},
    };
    LoadPictures(TextureGroup::Shop, pictures);
}

void ReleaseShopResources() {
    ReleaseTextureGroup(TextureGroup::Shop);
}

void ReleaseEventResources() {
    ReleaseTextureGroup(TextureGroup::Event);
}

const TextureHolder& GameOverSheet() {
    return gGameState.scene == SceneId::Shop ? gShopTextures.gameOver : gPlayTextures.gameOver;
}
