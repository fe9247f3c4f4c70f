#include "world/stage/stage_resources.h"

#include <algorithm>
#include <cmath>

#include "engine/core/game_state.h"
#include "engine/graphics/texture.h"
#include "engine/graphics/texture_groups.h"
#include "engine/stagefiles/camera_path.h"
#include "engine/stagefiles/map_mesh.h"
#include "world/course/collision.h"

std::array<StaticMesh, kStageMeshSlots> gStageMeshes;
std::array<StaticMesh, kObjectMeshSlots> gObjectMeshes;
std::array<SkinnedModel, kEnemyModelSlots> gEnemyModels;
std::array<int32_t, kEnemyModelSlots> gEnemyModelNeeded;
StageEnemyModelMarkers gStageEnemyModelMarkers;

namespace {

constexpr const char* kEnemyModelFiles[kEnemyModelSlots] = {
    "xfile/zako/fighterA_ani.x",          // 0
    "xfile/zako/fighterD_ani.x",          // 1
    "xfile/zako/gunshipA_ani.x",          // 2
    "xfile/zako/gunshipC_ani.x",          // 3
    "xfile/cannonS/cannonS.x",            // 4
    "xfile/tankA/tankA.x",                // 5
    "xfile/store/l_houdai.x",             // 6
    "xfile/store/s_houdai.x",             // 7
    "xfile/zako/escort_A.x",              // 8
    "xfile/zako/escort_B.x",              // 9
    "xfile/star_bul/star_bul.x",          // 10
    "xfile/store/renketu.x",              // 11
    "xfile/store/sentou_koa.x",           // 12
    "xfile/store/kurank.x",               // 13
    "xfile/fortress/guardian_a.x",        // 14
    "xfile/fortress/guardian_b.x",        // 15
    "xfile/fortress/guardian_c.x",        // 16
    nullptr,                              // 17
    nullptr,                              // 18
    nullptr,                              // 19
    "xfile/train/boss_train01.x",         // 20
    "xfile/train/boss_train02.x",         // 21
    "xfile/train/boss_train03.x",         // 22
    "xfile/train/boss_train04.x",         // 23
    "xfile/boss05/boss05_silver.x",       // 24
    "xfile/boss05/boss05_gold.x",         // 25
    "xfile/crystal/ruin_crystal.x",       // 26
    "xfile/bossR01/boss01_r.x",           // 27
    "xfile/fortress/mobu_s_houdai.x",     // 28
    "xfile/fortress/mobu_core.x",         // 29
    "xfile/bossS01/boss01s_xl_houdai.x",  // 30
    "xfile/bossS01/boss01s_l_houdai.x",   // 31
    "xfile/bossS01/boss01s_m_houdai.x",   // 32
    "xfile/bossS01/boss01s_s_houdai.x",   // 33
    "xfile/bossS01/boss01s_ss_houdai.x",  // 34
    "xfile/bossS01/boss01s_hane.x",       // 35
    "xfile/bossS01/boss01s_pera.x",       // 36
    "xfile/train/train_gun_ballon2.x",    // 37
    "xfile/train/train_gun_ballon.x",     // 38
    "xfile/train/train_gun_big2.x",       // 39
    "xfile/train/train_gun_big.x",        // 40
    "xfile/train/train_gun_box.x",        // 41
    "xfile/train/train_gun_lage.x",       // 42
    "xfile/train/train_gun_mid.x",        // 43
    "xfile/train/train_gun_small.x",      // 44
    "xfile/train/boss_kontena.x",         // 45
    "xfile/phantom3/phantom3.x",          // 46
    nullptr,                              // 47
    nullptr,                              // 48
    nullptr,                              // 49
};

constexpr const char* kObjectMeshFiles[kObjectMeshSlots] = {
    "xfile/misairu/misairu.x",       // 0 missile
    "xfile/kabocha/kabocha.x",       // 1 pumpkin
    nullptr,                         // 2 never loaded
    "xfile/vecter/vecter_option.x",  // 3 option
    "xfile/vecter/vecter_cannon.x",  // 4 cannon
    "xfile/drill/drill.x",           // 5 drill
    "xfile/glider/glider.x",         // 6 three-sided body
    nullptr,
    nullptr,
    nullptr,
};
// Object slots the stage release frees.
constexpr int kReleasedObjectMeshes = 7;

struct PlayPicture {
    TextureHolder PlayTextures::*holder;
    const char* path;
    int32_t width, height;
};

constexpr PlayPicture kPlayPictures[] = {
    {&PlayTextures::itemSlot, "bmp/itemslot01.tga", 512, 512},
    {&PlayTextures::weaponSelect0, "bmp/weponsel_pil0.tga", 256, 256},
    {&PlayTextures::weaponSelect1, "bmp/weponsel_pil1.tga", 256, 256},
    {&PlayTextures::weaponSelect2, "bmp/weponsel_pil2.tga", 256, 256},
    {&PlayTextures::weaponSelect3, "bmp/weponsel_pil3.tga", 256, 256},
    {&PlayTextures::item, "bmp/item.tga", 512, 512},
    {&PlayTextures::itemMini, "bmp/item_mini.tga", 256, 256},
    {&PlayTextures::effect, "bmp/effect.bmp", 256, 256},
    {&PlayTextures::effectOpaque, "bmp/effect_opa.bmp", 256, 256},
    {&PlayTextures::effectSun, "bmp/effect_sun.bmp", 256, 256},
    {&PlayTextures::effectShot, "bmp/effect_shot.bmp", 256, 256},
    {&PlayTextures::coin, "bmp/b_coin.tga", 256, 256},
    {&PlayTextures::villager, "bmp/murabito.bmp", 256, 256},
    {&PlayTextures::walkingMascot, "bmp/walk_masc.bmp", 256, 256},
    {&PlayTextures::rollEffect, "bmp/roll_efect.bmp", 256, 256},
    {&PlayTextures::shade, "bmp/shade.bmp", 256, 256},
    {&PlayTextures::craftGauge, "bmp/pc_gage.tga", 512, 512},
    {&PlayTextures::clearMessage, "bmp/clear_messe.tga", 512, 128},
    {&PlayTextures::gameOver, "bmp/gameover.tga", 512, 256},
    {&PlayTextures::enemyBoard, "bmp/enemy_board.bmp", 256, 128},
    {&PlayTextures::walkingFigure, "bmp/walk_figure.bmp", 512, 256},
};

// Set while a stage's meshes and shared textures are held.
bool gStageLoaded = false;

void LoadCameraPaths(const StageInfo& stage) {
    if (stage.cameraCount != 0) LoadAnimationKeys(stage.cameraNames[0], 0);
    if (stage.cameraCount == 2) {
        int32_t first = gCameraRail.keyCount[0];
        LoadAnimationKeys(stage.cameraNames[1], 1);
        gCameraRail.keyCount[1] = gCameraRail.keyCount[0];
        gCameraRail.keyCount[0] = first;
    }
    if (stage.cameraCount == 0) gCameraRail.keyCount[0] = StraightRailKeyCount(stage.tileDepth);
}

}  // namespace

const char* EnemyModelFile(int slot) {
    return slot >= 0 && slot < kEnemyModelSlots ? kEnemyModelFiles[slot] : nullptr;
}

const char* ObjectMeshFile(int slot) {
    return slot >= 0 && slot < kObjectMeshSlots ? kObjectMeshFiles[slot] : nullptr;
}

int StageMeshSlotCount(const StageInfo& stage) {
    int count = std::clamp(static_cast<int>(stage.mapCount), 0, kStageMeshSlots);
    // The background's slot holds no map mesh.
    if (stage.hasBackground && count > kBackgroundMeshSlot) count = kBackgroundMeshSlot;
    return count;
}

int32_t StraightRailKeyCount(float tileDepth) {
    if (!(tileDepth > 0.0f)) return 0;
    double whole = std::trunc(static_cast<double>(tileDepth));
    double keys = whole * (tileDepth < 500.0f ? 200.0 : tileDepth < 5000.0f ? 100.0 : 10.0);
    return keys < 2147483647.0 ? static_cast<int32_t>(keys) : 2147483647;
}

void LoadStageResources() {
    // A stage still held (its release was never reached) is let go first, so nothing is
    // loaded twice.
    if (gStageLoaded) ReleaseStageResources();
    gStageLoaded = true;
    for (const PlayPicture& p : kPlayPictures) {
        LoadTexture(TextureGroup::Play, &(gPlayTextures.*p.holder), p.path, p.width, p.height);
    }
    ResetSharedTextures();

    int number = gGameState.stage;
    if (number < 0 || number >= kStageRecords) {
        gCurrentStage = nullptr;
        return;
    }
    gCurrentStage = &gStageInfo[number];
    const StageInfo& stage = *gCurrentStage;

    ClearMapTriangleMarks();
    int maps = std::clamp(static_cast<int>(stage.mapCount), 0, kStageMeshSlots);
    int drawn = StageMeshSlotCount(stage);
    for (int i = 0; i < maps; ++i) {
        if (i < drawn) LoadXMesh(&gStageMeshes[i], stage.mapNames[i], i);
        LoadShipPartMesh(stage.mapNames[i], i);
    }
    if (stage.hasBackground) LoadXMesh(&BackgroundMesh(), stage.backgroundName, -1);
    for (int slot = 0; slot < kObjectMeshSlots; ++slot) {
        if (kObjectMeshFiles[slot]) LoadXMesh(&gObjectMeshes[slot], kObjectMeshFiles[slot], -1);
    }
    LoadCameraPaths(stage);
}

void MarkEnemyModelNeeded(int model) {
    if (model >= 0 && model < kEnemyModelSlots) gEnemyModelNeeded[model] = 1;
}

void ReloadStageEnemyModels() {
    for (int slot = 0; slot < kEnemyModelSlots; ++slot) {
        if (gEnemyModelNeeded[slot] && kEnemyModelFiles[slot]) {
            LoadModelFile(&gEnemyModels[slot], kEnemyModelFiles[slot]);
        }
    }
}

void LoadStageEnemyModels() {
    gEnemyModelNeeded.fill(0);
    if (gStageEnemyModelMarkers.markWaveModels) gStageEnemyModelMarkers.markWaveModels();
    if (gStageEnemyModelMarkers.markPlacedModels) gStageEnemyModelMarkers.markPlacedModels();
    ReloadStageEnemyModels();
}

void ReleaseStageResources() {
    ReleaseTextureGroup(TextureGroup::Play);
    for (StaticMesh& mesh : gStageMeshes) ReleaseMesh(&mesh);
    ReleaseSharedTextures();
    for (int slot = 0; slot < kReleasedObjectMeshes; ++slot) ReleaseMesh(&gObjectMeshes[slot]);
    for (SkinnedModel& model : gEnemyModels) ReleaseModel(&model);
    gStageLoaded = false;
}

void ReleaseAllSceneResources() {
    ReleaseStageResources();
    ReleaseTextureGroup(TextureGroup::Title);
    ReleaseTextureGroup(TextureGroup::GameOver);
    ReleaseTextureGroup(TextureGroup::Result);
    ReleaseTextureGroup(TextureGroup::Ending);
    ReleaseTextureGroup(TextureGroup::Shop);
    ReleaseTextureGroup(TextureGroup::Event);
}

void InitModelsForDevice(gfx::Device* device) {
    for (SkinnedModel& model : gCraftModels) InitModelDevice(&model, 0, device);
    for (SkinnedModel& model : gEnemyModels) InitModelDevice(&model, 0, device);
}
