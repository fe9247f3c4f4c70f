// Where enemies come from: the stage's wave list, a timetable of formations released by a
// frame counter; the set pieces placed once at stage start; and the map-marked turrets the
// course collision finds in the stage's map meshes. Also tells the stage loader which enemy
// models the wave list needs.
#pragma once

#include <cstdint>

#include "platform/gfx/math.h"

struct CollisionPolygon;
struct WaveEntry;

// Timetable state: the frame counts ticks of wave play from 0 at stage start; the cursor is
// the next entry of the current stage's list. Both are cleared by ResetEnemies.
struct WaveState {
    int32_t frame;
    int32_t cursor;
};
extern WaveState gWaveState;

// One tick of the current stage's wave timetable.
void SpawnEnemyWaves();
// Spawns one group of a wave list now: every member claims a slot and takes its formation
// place; a full pool skips the members it has no room for.
void SpawnWaveGroup(const WaveEntry& entry);
// Flags the models of the current stage's wave list as needed by the stage loader.
void MarkStageEnemyModels();
// Flags the model of every live enemy of the pool (those stage start placed).
void MarkPlacedEnemyModels();
// Places the set pieces of the current stage (by its stage index record's number).
void SpawnStageSetPieces();
// A map-placed enemy standing on a marked polygon of course segment `segment`.
void SpawnEnemyOnPolygon(const CollisionPolygon& polygon, int32_t type, int32_t segment);
// A map-placed turret at world point p whose surface vector (unnormalised) is m.
void SpawnEnemyAtPoint(const gfx::Vec3& p, const gfx::Vec3& m, int32_t type, int32_t segment);

// The pool slots stage 3-3's set pieces claimed for its four boss segments and its three
// shield mounts (-1 where the pool was full). The segments' parts name these slots as their
// parent.
struct Stage8SetPieceSlots {
    int32_t segments[4];
    int32_t mounts[3];
};
extern Stage8SetPieceSlots gStage8SetPieceSlots;

// Hands the spawners above to the course collision and the model markers to the stage
// loader. ResetEnemies calls it, so every stage start has them in place.
void InstallEnemyHooks();
