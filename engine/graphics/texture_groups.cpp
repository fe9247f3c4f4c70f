#include "engine/graphics/texture_groups.h"

#include "engine/core/game_state.h"
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

}  // namespace

void LoadCommonResources() {
    ClearTextureRegistry();
    LoadModelFile(&gCraftModels[0], "xfile/craft0/craft0.x");
    LoadModelFile(&gCraftModels[1], "xfile/craft1/craft1.x");
    LoadModelFile(&gCraftModels[2], "xfile/craft2/craft2.x");
    LoadModelFile(&gCraftModels[3], "xfile/craft3/craft3.x");
    CommonTextures& c = gCommonTextures;
    const PictureEntry pictures[] = {
        {&c.pauseMenu, "bmp/pasemenu.bmp", 512, 256},
        {&c.system, "bmp/system.bmp", 128, 128},
        {&c.fps, "bmp/fps.tga", 128, 16},
        {&c.scoreDigits, "bmp/suji_score.tga", 256, 64},
        {&c.nowLoading, "bmp/nowloading.tga", 256, 64},
        {&gFormTextures[0], "bmp/chr00.bmp", 512, 512},
        {&gFormTextures[1], "bmp/chr01.bmp", 512, 512},
        {&gFormTextures[2], "bmp/chr02.bmp", 512, 512},
        {&gFormTextures[3], "bmp/chr03.bmp", 512, 512},
        {&gFormTextures[5], "bmp/masc02.bmp", 256, 256},
    };
    LoadPictures(TextureGroup::Common, pictures);
}

void ReleaseCommonResources() {
    ReleaseTextureGroup(TextureGroup::Common);
}

void LoadTitleResources() {
    TitleTextures& t = gTitleTextures;
    const PictureEntry pictures[] = {
        {&t.title, "bmp/title.bmp", 1024, 512},
        {&t.title2, "bmp/title2.bmp", 1024, 512},
        {&t.menu, "bmp/fam_nomal.tga", 1024, 512},
        {&t.titleSelect, "bmp/title_sel.tga", 1024, 512},
        {&t.practice, "bmp/pracss.bmp", 512, 1024},
        {&t.selectChapter, "bmp/selectchapter.tga", 512, 512},
        {&t.selectCraft, "bmp/selectchr.tga", 1024, 1024},
        {&t.hiscoreTitle, "bmp/hiscore_title.tga", 512, 64},
        {&t.itemMini, "bmp/item_mini.tga", 256, 256},
        {&t.soundOption, "bmp/soundoption_menu.tga", 512, 256},
    };
    LoadPictures(TextureGroup::Title, pictures);
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
