// The scene dispatch tables: each scene's update (per tick), draw (per frame) and load
// step (on the loader thread), by scene number.
#include "engine/graphics/texture_groups.h"
#include "engine/main/frame.h"
#include "world/draw/world_draw.h"
#include "world/stage/stage_resources.h"

namespace {

// The play scene's load step, on the loader thread.
void LoadPlayScene() {
    LoadStageResources();
    LoadStageEnemyModels();
}

// After a device reset in play: the stage again, and the enemy models it had flagged.
void ReloadPlayScene() {
    LoadStageResources();
    ReloadStageEnemyModels();
}

// The play scene's frame: the world.
void DrawPlayScene() {
    DrawGameWorld();
}

}  // namespace

const SceneStep kSceneUpdate[kSceneCount] = {
    nullptr,  // title
    nullptr,  // play
    nullptr,  // game-over picture
    nullptr,  // ending
    nullptr,  // result
    nullptr,  // story event
    nullptr,  // shop
};

const SceneStep kSceneDraw[kSceneCount] = {
    nullptr,        // title
    DrawPlayScene,  // play
    nullptr,        // game-over picture
    nullptr,        // ending
    nullptr,        // result
    nullptr,        // story event
    nullptr,        // shop
};

const SceneStep kSceneLoad[kSceneCount] = {
    LoadTitleResources,     // title
    LoadPlayScene,          // play
    LoadGameOverResources,  // game-over picture
    LoadEndingResources,    // ending
    LoadResultResources,    // result
    nullptr,                // story event
    LoadShopResources,      // shop
};

const SceneStep kSceneReload[kSceneCount] = {
    LoadTitleResources,     // title
    ReloadPlayScene,        // play
    LoadGameOverResources,  // game-over picture
    LoadEndingResources,    // ending
    LoadResultResources,    // result
    nullptr,                // story event
    LoadShopResources,      // shop
};
