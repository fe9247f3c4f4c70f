// The wave timetable, the map-placed enemies and the model markers of the stage loader.
#include "play/waves/waves.h"

#include "play/enemies/enemy_pool.h"
#include "play/waves/tables/wave_tables.h"
#include "world/course/collision.h"
#include "world/stage/stage_resources.h"

WaveState gWaveState;

void SpawnEnemyWaves() {}
void MarkStageEnemyModels() {}
void MarkPlacedEnemyModels() {}
void SpawnStageSetPieces() {}
void SpawnEnemyOnPolygon(const CollisionPolygon&, int32_t, int32_t) {}
void SpawnEnemyAtPoint(const gfx::Vec3&, const gfx::Vec3&, int32_t, int32_t) {}

void InstallEnemyHooks() {
    gMapPlacementSpawners.atPoint = [](const gfx::Vec3& centre, const gfx::Vec3& orientation,
                                       int type, int segment) {
        SpawnEnemyAtPoint(centre, orientation, type, segment);
    };
    gMapPlacementSpawners.onPolygon = [](const CollisionPolygon& polygon, int type, int segment) {
        SpawnEnemyOnPolygon(polygon, type, segment);
    };
    gStageEnemyModelMarkers.markWaveModels = MarkStageEnemyModels;
    gStageEnemyModelMarkers.markPlacedModels = MarkPlacedEnemyModels;
}
