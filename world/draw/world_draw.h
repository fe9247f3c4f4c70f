// The three-dimensional part of a play frame: the play projection, the base device states,
// the sky, fog and the course (the stage's placed map meshes, or one map mesh tiled as a
// floor), and the device-state helpers the actor drawing and the title's craft preview share.
#pragma once

#include <cstdint>

#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "platform/gfx/math.h"
#include "world/course/collision.h"
#include "world/stage/stage_index.h"

// The play scene's three-dimensional pass: projection, then the stage scene.
void DrawGameWorld();
// States, sky, fog and course.
void DrawStageScene();

// Texture stage 0's colour operation by mode: mode % 7 (truncating) picks select argument
// 1, modulate, modulate 2x, add, add signed, subtract or add smooth; a negative remainder
// sets nothing.
void SetStageColorOp(int mode);
// The operation SetStageColorOp sets for a mode; 0 when it sets none.
uint32_t StageColorOp(int mode);

// Draws a mesh grouped by shared texture: each texture is bound once, then every subset
// that uses it is drawn with its own material. Subsets without a texture are not drawn.
void DrawMeshSetByTexture(const StaticMesh& mesh);
// The course of placed map meshes, each at its segment's offsets, culled by `mapviewarea`.
void DrawStageMeshes();
// The first map mesh tiled `mapnumx` x `mapnumz` times, centred on x = 0 and following the
// rail point tile by tile. A stage whose tile depth is not positive has no floor to tile.
void DrawFloorTiles();

// Device states for lit, alpha-tested, alpha-blended models.
void SetActorRenderStates();
void SetModelRotation(SkinnedModel* model, const gfx::Mat4& matrix);
void SetModelTranslation(SkinnedModel* model, const gfx::Mat4& matrix);

// The stage's fog colour as an opaque ARGB colour (each component masked to 8 bits).
gfx::Color StageFogColor(const StageInfo& stage);
// The play projection for the stage: vertical field of view in degrees, far clip.
gfx::Mat4 StageProjection(float fieldOfViewDegrees, const StageInfo& stage);
// Where floor tile (column, row) lies before mirroring, for the tile row base `base`.
gfx::Vec3 FloorTilePosition(const StageInfo& stage, int column, int row, float base);
// The z at which the first tile row starts: the tile boundary at or below the rail point
// (toward zero). The tile depth must be positive.
float FloorTileBase(float railZ, float tileDepth);
// Whether a placed mesh lies beyond the stage's view area: its segment box's centre (x
// mirrored, offsets not applied) measured against the eye on the ground plane.
bool IsBeyondViewArea(const CollisionSegment& segment, const gfx::Vec3& eye, int viewArea);
