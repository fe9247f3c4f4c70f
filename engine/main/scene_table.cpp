// The scene dispatch tables: each scene's update (per tick), draw (per frame) and load
// step (on the loader thread), by scene number.
#include "engine/graphics/texture_groups.h"
#include "engine/main/frame.h"

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
    nullptr,  // title
    nullptr,  // play
    nullptr,  // game-over picture
    nullptr,  // ending
    nullptr,  // result
    nullptr,  // story event
    nullptr,  // shop
};

const SceneStep kSceneLoad[kSceneCount] = {
    LoadTitleResources,     // title
    nullptr,                // play
    LoadGameOverResources,  // game-over picture
    LoadEndingResources,    // ending
    LoadResultResources,    // result
    nullptr,                // story event
    LoadShopResources,      // shop
};

const SceneStep kSceneReload[kSceneCount] = {
    nullptr,  // title
    nullptr,  // play
    nullptr,  // game-over picture
    nullptr,  // ending
    nullptr,  // result
    nullptr,  // story event
    nullptr,  // shop
};
