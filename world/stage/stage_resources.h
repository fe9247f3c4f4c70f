// A stage's resources: the play pictures, the map meshes (drawn, and read again for the
// course collision), the background mesh, the shot and object meshes, the camera paths and
// the enemy models the stage can show. The play scene's load step brings them in on the
// loader thread; leaving play, a device reset and the return to the title release them.
#pragma once

#include <array>
#include <cstdint>

#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "world/stage/stage_index.h"

constexpr int kStageMeshSlots = 20;
// The background mesh shares the last map-mesh slot: a stage with a background has room for
// 19 map meshes.
constexpr int kBackgroundMeshSlot = 19;
constexpr int kObjectMeshSlots = 10;
constexpr int kEnemyModelSlots = 50;

extern std::array<StaticMesh, kStageMeshSlots> gStageMeshes;
extern std::array<StaticMesh, kObjectMeshSlots> gObjectMeshes;
extern std::array<SkinnedModel, kEnemyModelSlots> gEnemyModels;
// Model slots the current stage needs (set by LoadStageEnemyModels' markers).
extern std::array<int32_t, kEnemyModelSlots> gEnemyModelNeeded;

inline StaticMesh& BackgroundMesh() {
    return gStageMeshes[kBackgroundMeshSlot];
}

// The model file of an enemy model slot; null for slots without one (and outside 0..49).
const char* EnemyModelFile(int slot);
// The file of an object mesh slot; null for slots that are never loaded.
const char* ObjectMeshFile(int slot);

// Map-mesh slots a stage draws: its map count, without the background's slot when it has one.
int StageMeshSlotCount(const StageInfo& stage);
// The rail's key count of a stage without camera files, from its tile depth.
int32_t StraightRailKeyCount(float tileDepth);

// The stage of the game state's stage number: pictures, meshes, collision and camera paths.
// A stage number outside the table loads the pictures only and leaves no stage current.
void LoadStageResources();

// Who flags the enemy models a stage needs: the stage's wave list and the enemies stage
// start placed. Both belong to the enemy pool; until it fills them in, only what is flagged
// with MarkEnemyModelNeeded elsewhere is loaded.
struct StageEnemyModelMarkers {
    void (*markWaveModels)();    // the models of the stage's wave list
    void (*markPlacedModels)();  // the model of every live enemy in the pool
};
extern StageEnemyModelMarkers gStageEnemyModelMarkers;
// Flags a model slot as needed; -1 (no model) and numbers outside the table flag nothing.
void MarkEnemyModelNeeded(int model);

// Clears the flags, lets the markers flag the models, then loads each flagged slot that has
// a file.
void LoadStageEnemyModels();
// Loads the flagged slots again (after a device reset during play).
void ReloadStageEnemyModels();

// Releases what the two loads above brought in.
void ReleaseStageResources();
// ReleaseStageResources, then the title, game-over, result, ending, shop and event
// pictures.
void ReleaseAllSceneResources();

// Once at start-up, after the device exists: prepares the craft and the enemy models for it.
void InitModelsForDevice(gfx::Device* device);
