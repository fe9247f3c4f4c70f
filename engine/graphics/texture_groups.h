// The pictures of each scene, loaded on entering the scene and released as one texture
// group on leaving it. The common group stays loaded for the whole run.
#pragma once

#include <array>
#include <cstdint>

#include "engine/graphics/texture.h"

// Group 1: the engine's own pictures, and the form sprites' pictures.
struct CommonTextures {
    TextureHolder pauseMenu;    // "bmp/pasemenu.bmp" 512 x 256
    TextureHolder system;       // "bmp/system.bmp" 128 x 128: fade patch, debug glyphs
    TextureHolder fps;          // "bmp/fps.tga" 128 x 16
    TextureHolder scoreDigits;  // "bmp/suji_score.tga" 256 x 64
    TextureHolder nowLoading;   // "bmp/nowloading.tga" 256 x 64
};

// Group 2: the title's pictures.
struct TitleTextures {
    TextureHolder title;          // "bmp/title.bmp" 1024 x 512
    TextureHolder title2;         // "bmp/title2.bmp" 1024 x 512
    TextureHolder menu;           // "bmp/fam_nomal.tga" 1024 x 512
    TextureHolder titleSelect;    // "bmp/title_sel.tga" 1024 x 512
    TextureHolder practice;       // "bmp/pracss.bmp" 512 x 1024
    TextureHolder selectChapter;  // "bmp/selectchapter.tga" 512 x 512
    TextureHolder selectCraft;    // "bmp/selectchr.tga" 1024 x 1024
    TextureHolder hiscoreTitle;   // "bmp/hiscore_title.tga" 512 x 64
    TextureHolder itemMini;       // "bmp/item_mini.tga" 256 x 256
    TextureHolder soundOption;    // "bmp/soundoption_menu.tga" 512 x 256
};

// Group 3: the play scene's pictures, loaded and released by the stage resources.
struct PlayTextures {
    TextureHolder itemSlot;       // "bmp/itemslot01.tga" 512 x 512
    TextureHolder weaponSelect0;  // "bmp/weponsel_pil0.tga" 256 x 256
    TextureHolder weaponSelect1;  // "bmp/weponsel_pil1.tga" 256 x 256
    TextureHolder weaponSelect2;  // "bmp/weponsel_pil2.tga" 256 x 256
    TextureHolder weaponSelect3;  // "bmp/weponsel_pil3.tga" 256 x 256
    TextureHolder item;           // "bmp/item.tga" 512 x 512
    TextureHolder itemMini;       // "bmp/item_mini.tga" 256 x 256
    TextureHolder effect;         // "bmp/effect.bmp" 256 x 256
    TextureHolder effectOpaque;   // "bmp/effect_opa.bmp" 256 x 256
    TextureHolder effectSun;      // "bmp/effect_sun.bmp" 256 x 256
    TextureHolder effectShot;     // "bmp/effect_shot.bmp" 256 x 256
    TextureHolder coin;           // "bmp/b_coin.tga" 256 x 256
    TextureHolder villager;       // "bmp/murabito.bmp" 256 x 256
    TextureHolder walkingMascot;  // "bmp/walk_masc.bmp" 256 x 256
    TextureHolder rollEffect;     // "bmp/roll_efect.bmp" 256 x 256
    TextureHolder shade;          // "bmp/shade.bmp" 256 x 256
    TextureHolder craftGauge;     // "bmp/pc_gage.tga" 512 x 512
    TextureHolder clearMessage;   // "bmp/clear_messe.tga" 512 x 128
    TextureHolder gameOver;       // "bmp/gameover.tga" 512 x 256
    TextureHolder enemyBoard;     // "bmp/enemy_board.bmp" 256 x 128: billboard enemies
    TextureHolder walkingFigure;  // "bmp/walk_figure.bmp" 512 x 256: eight-way figures
};

// Group 4: the game-over picture.
struct GameOverTextures {
    TextureHolder picture;  // "bmp/gameover.bmp" 1024 x 512
};

// Group 5: the result's pictures.
struct ResultTextures {
    TextureHolder background;   // "bmp/result_bg.bmp" 1024 x 512
    TextureHolder message;      // "bmp/result_messe.tga" 512 x 256
    TextureHolder selectCraft;  // "bmp/selectchr.tga" 1024 x 1024
    TextureHolder message2;     // "bmp/result_messe2.tga" 256 x 512
};

// Group 6: the ending's pictures, by the ending variant.
struct EndingTextures {
    TextureHolder background;    // "bmp/ed_bg.bmp", or "bmp/ed_bg2.bmp" after the extra stage
    TextureHolder finalPicture;  // "bmp/last_cut.bmp", or "bmp/extra_cl.bmp"
};

// Group 7: the shop's pictures.
struct ShopTextures {
    TextureHolder background;  // "bmp/shop_bg.bmp" 1024 x 512
    TextureHolder shop;        // "bmp/shop.tga" 1024 x 512
    TextureHolder item;        // "bmp/item.tga" 512 x 512
    TextureHolder itemName;    // "bmp/item_name.tga" 512 x 512
    TextureHolder item2;       // "bmp/item2.tga" 512 x 512
    TextureHolder item2Name;   // "bmp/item2_name.tga" 512 x 512
    TextureHolder gameOver;    // "bmp/gameover.tga" 512 x 256
};

// The form sprites' pictures by form number; forms 0 to 3 and 5 belong to the common group.
constexpr int kFormTextureCount = 6;

extern CommonTextures gCommonTextures;
extern std::array<TextureHolder, kFormTextureCount> gFormTextures;
extern TitleTextures gTitleTextures;
extern PlayTextures gPlayTextures;
extern GameOverTextures gGameOverTextures;
extern ResultTextures gResultTextures;
extern EndingTextures gEndingTextures;
extern ShopTextures gShopTextures;

// The ending variant the ending's pictures are chosen by: 1 after the extra stage, 0
// otherwise. The ending's init sets it.
extern int32_t gEndingVariant;

// Starts decoding the craft models' pictures, the common pictures and the title's on
// worker threads (start-up, while the window opens): their loads then only make textures.
void PrefetchStartupPictures();

// Empties the registry (releasing what it held), then loads the craft models and the
// common pictures. Start-up, and again after a device reset.
void LoadCommonResources();
void ReleaseCommonResources();
void LoadTitleResources();
void ReleaseTitleResources();
void LoadGameOverResources();
void ReleaseGameOverResources();
void LoadResultResources();
void ReleaseResultResources();
void LoadEndingResources();
void ReleaseEndingResources();
void LoadShopResources();
void ReleaseShopResources();
void ReleaseEventResources();

// The "bmp/gameover.tga" picture of the scene in progress: the shop's in the shop, the
// play scene's elsewhere.
const TextureHolder& GameOverSheet();
