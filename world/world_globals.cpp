#include "world/world_globals.h"

#include "world/course/collision.h"
#include "world/draw/form_sprite.h"
#include "world/draw/sun_flare.h"
#include "world/draw/world_objects_draw.h"
#include "world/effects/effects.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_index.h"
#include "world/stage/stage_resources.h"

void ResetWorldGlobals() {
    ReleaseAllSceneResources();
    gStageInfo = {};
    gCurrentStage = nullptr;
    gEnemyModelNeeded = {};
    gStageEnemyModelMarkers = StageEnemyModelMarkers{};
    ClearCollisionSegments();
    gCourseHitNormal = gfx::Vec3{};
    gMapPlacementSpawners = MapPlacementSpawners{};
    gRailPosition = 10.0f;
    ResetEffectGlobals();
    gEffectPoolHooks = EffectPoolHooks{};
    gWorldObjectsHooks = WorldObjectsHooks{};
    ResetLensFlareState();
}
