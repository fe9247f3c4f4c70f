// The fixture of the demo data tests: the generated run folder as the current folder, a
// headless main window for the message boxes, a null device inside a scene, and the data
// archives open, as the game has them after its start-up.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "engine/archive/archive.h"
#include "engine/core/game_state.h"
#include "engine/graphics/texture.h"
#include "engine/main/app.h"
#include "engine/models/static_mesh.h"
#include "platform/gfx/device.h"
#include "platform/window/window.h"

namespace vqtest {

class DataTest : public ::testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        oldFolder_ = cwd;
        ASSERT_EQ(chdir(VQ_RUN_DIR), 0)
            << "the run folder " << VQ_RUN_DIR << " is made by the build";
        window_.reset(win::CreateHeadlessWindow());
        gPlatform.mainWindow = window_.get();
        device_ = std::make_unique<gfx::NullDevice>(gfx::PresentParams{});
        device_->BeginScene();
        gPlatform.device = device_.get();
        gGameState = GameState{};
        OpenDataArchives();
    }

    void TearDown() override {
        // The shared mesh textures were made on this test's device, which goes now: a test
        // that loads meshes leaves the table empty, or a later stage release would let go of
        // textures that are gone.
        int held = 0;
        for (const gfx::Texture* texture : gSharedMeshTextures.textures) held += texture != nullptr;
        EXPECT_EQ(held, 0);
        EXPECT_EQ(gSharedMeshTextures.count, 0);
        CloseDataArchives();
        ClearTextureRegistry();
        device_->EndScene();
        gPlatform.device = nullptr;
        gPlatform.mainWindow = nullptr;
        device_.reset();
        window_.reset();
        EXPECT_EQ(chdir(oldFolder_.c_str()), 0);
    }

    static std::vector<uint8_t> ReadBytes(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(f),
                                    std::istreambuf_iterator<char>());
    }
    static bool Exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

    std::unique_ptr<gfx::NullDevice> device_;

private:
    std::string oldFolder_;
    std::unique_ptr<win::Window> window_;
};

// Where a file of the data set is kept.
enum class Kept { Loose, PictureArchive, VolumeArchive };

struct PictureFile {
    const char* path;
    int width, height;
    Kept kept;
};

// Every picture the game opens, at the size it asks for.
inline const std::vector<PictureFile>& PictureCatalogue() {
    static const std::vector<PictureFile> list = {
        {"bmp/pasemenu.bmp", 512, 256, Kept::PictureArchive},
        {"bmp/system.bmp", 128, 128, Kept::PictureArchive},
        {"bmp/fps.tga", 128, 16, Kept::PictureArchive},
        {"bmp/suji_score.tga", 256, 64, Kept::PictureArchive},
        {"bmp/nowloading.tga", 256, 64, Kept::PictureArchive},
        {"bmp/chr00.bmp", 512, 512, Kept::PictureArchive},
        {"bmp/chr01.bmp", 512, 512, Kept::PictureArchive},
        {"bmp/masc02.bmp", 256, 256, Kept::PictureArchive},
        {"bmp/title.bmp", 1024, 512, Kept::Loose},
        {"bmp/title2.bmp", 1024, 512, Kept::Loose},
        {"bmp/fam_nomal.tga", 1024, 512, Kept::Loose},
        {"bmp/title_sel.tga", 1024, 512, Kept::Loose},
        {"bmp/pracss.bmp", 512, 1024, Kept::Loose},
        {"bmp/selectchapter.tga", 512, 512, Kept::Loose},
        {"bmp/selectchr.tga", 1024, 1024, Kept::Loose},
        {"bmp/hiscore_title.tga", 512, 64, Kept::Loose},
        {"bmp/item_mini.tga", 256, 256, Kept::VolumeArchive},
        {"bmp/soundoption_menu.tga", 512, 256, Kept::Loose},
        {"bmp/gameover.bmp", 1024, 512, Kept::Loose},
        {"bmp/result_bg.bmp", 1024, 512, Kept::Loose},
        {"bmp/result_messe.tga", 512, 256, Kept::Loose},
        {"bmp/result_messe2.tga", 256, 512, Kept::Loose},
        {"bmp/ed_bg.bmp", 1024, 512, Kept::Loose},
        {"bmp/ed_bg2.bmp", 1024, 512, Kept::Loose},
        {"bmp/last_cut.bmp", 1024, 512, Kept::Loose},
        {"bmp/extra_cl.bmp", 1024, 512, Kept::Loose},
        {"bmp/shop_bg.bmp", 1024, 512, Kept::Loose},
        {"bmp/shop.tga", 1024, 512, Kept::Loose},
        {"bmp/item.tga", 512, 512, Kept::VolumeArchive},
        {"bmp/item_name.tga", 512, 512, Kept::Loose},
        {"bmp/item2.tga", 512, 512, Kept::Loose},
        {"bmp/item2_name.tga", 512, 512, Kept::Loose},
        {"bmp/gameover.tga", 512, 256, Kept::VolumeArchive},
        {"bmp/itemslot01.tga", 512, 512, Kept::VolumeArchive},
        {"bmp/weponsel_pil0.tga", 256, 256, Kept::VolumeArchive},
        {"bmp/weponsel_pil1.tga", 256, 256, Kept::VolumeArchive},
        {"bmp/weponsel_pil2.tga", 256, 256, Kept::VolumeArchive},
        {"bmp/weponsel_pil3.tga", 256, 256, Kept::VolumeArchive},
        {"bmp/effect.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/effect_opa.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/effect_sun.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/effect_shot.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/b_coin.tga", 256, 256, Kept::VolumeArchive},
        {"bmp/murabito.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/walk_masc.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/enemy_board.bmp", 256, 128, Kept::VolumeArchive},
        {"bmp/walk_figure.bmp", 512, 256, Kept::VolumeArchive},
        {"bmp/roll_efect.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/shade.bmp", 256, 256, Kept::VolumeArchive},
        {"bmp/pc_gage.tga", 512, 512, Kept::VolumeArchive},
        {"bmp/clear_messe.tga", 512, 128, Kept::VolumeArchive},
        {"bmp/ivent/ive_window.tga", 1024, 512, Kept::Loose},
        {"bmp/ivent/ivent_face01.tga", 1024, 1024, Kept::Loose},
        {"bmp/ivent/ivent_face02.tga", 1024, 1024, Kept::Loose},
        {"bmp/ivent/tukue.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/cafe_hiru.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/ive_bg_sky.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/cafe_yoru.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/shop_bg.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/ive_bg_yuhi.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/departstore.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/hero.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/ive_bg_hosi.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/departstore_yoru.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/ive_bg_kumo.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/ruins_a.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/ruins_entrance1.bmp", 1024, 512, Kept::Loose},
        {"bmp/ivent/rui_core.bmp", 1024, 512, Kept::Loose},
    };
    return list;
}

// The model files of the craft and of the enemy and stage model slots (the slots without
// a file are left out).
inline const std::vector<const char*>& ModelCatalogue() {
    static const std::vector<const char*> list = {
        "xfile/craft0/craft0.x",
        "xfile/craft1/craft1.x",
        "xfile/zako/fighterA_ani.x",
        "xfile/zako/fighterD_ani.x",
        "xfile/zako/gunshipA_ani.x",
        "xfile/zako/gunshipC_ani.x",
        "xfile/cannonS/cannonS.x",
        "xfile/tankA/tankA.x",
        "xfile/store/l_houdai.x",
        "xfile/store/s_houdai.x",
        "xfile/zako/escort_A.x",
        "xfile/zako/escort_B.x",
        "xfile/star_bul/star_bul.x",
        "xfile/store/renketu.x",
        "xfile/store/sentou_koa.x",
        "xfile/store/kurank.x",
        "xfile/fortress/guardian_a.x",
        "xfile/fortress/guardian_b.x",
        "xfile/fortress/guardian_c.x",
        "xfile/train/boss_train01.x",
        "xfile/train/boss_train02.x",
        "xfile/train/boss_train03.x",
        "xfile/train/boss_train04.x",
        "xfile/boss05/boss05_silver.x",
        "xfile/boss05/boss05_gold.x",
        "xfile/crystal/ruin_crystal.x",
        "xfile/bossR01/boss01_r.x",
        "xfile/fortress/mobu_s_houdai.x",
        "xfile/fortress/mobu_core.x",
        "xfile/bossS01/boss01s_xl_houdai.x",
        "xfile/bossS01/boss01s_l_houdai.x",
        "xfile/bossS01/boss01s_m_houdai.x",
        "xfile/bossS01/boss01s_s_houdai.x",
        "xfile/bossS01/boss01s_ss_houdai.x",
        "xfile/bossS01/boss01s_hane.x",
        "xfile/bossS01/boss01s_pera.x",
        "xfile/train/train_gun_ballon2.x",
        "xfile/train/train_gun_ballon.x",
        "xfile/train/train_gun_big2.x",
        "xfile/train/train_gun_big.x",
        "xfile/train/train_gun_box.x",
        "xfile/train/train_gun_lage.x",
        "xfile/train/train_gun_mid.x",
        "xfile/train/train_gun_small.x",
        "xfile/train/boss_kontena.x",
        "xfile/phantom3/phantom3.x",
    };
    return list;
}

inline const std::vector<const char*>& ObjectMeshCatalogue() {
    static const std::vector<const char*> list = {
        "xfile/misairu/misairu.x",      "xfile/kabocha/kabocha.x", "xfile/vecter/vecter_option.x",
        "xfile/vecter/vecter_cannon.x", "xfile/drill/drill.x",     "xfile/glider/glider.x",
    };
    return list;
}

}  // namespace vqtest
