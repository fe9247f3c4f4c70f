// The course collision: the triangles of a stage's map meshes, one segment per placed map
// mesh, and the one query every solid-course test goes through. Collision data stays in the
// map meshes' own coordinates; a world query is brought into them by negating x (the world
// is mirrored in x), by the looping of a tiled course and by the segment offsets.
#pragma once

#include <array>
#include <cstdint>

#include "engine/core/game_state.h"
#include "engine/stagefiles/map_mesh.h"
#include "platform/gfx/math.h"
#include "world/stage/stage_index.h"

constexpr int kCollisionPolygonsPerSegment = 10240;
// How far a polygon's box reaches beyond its vertices on every side.
constexpr float kPolygonBoxMargin = 50.0f;

struct CollisionPolygon {
    float normal[3];  // not normalised
    float distance;   // -(normal . V0): normal . p + distance > 0 on the side the normal faces
    // Vertices V0, V1, V2 as the three x values, the three y values, the three z values.
    float vx[3], vy[3], vz[3];
    // Edges V1 - V0, V2 - V1, V0 - V2, stored the same way.
    float ex[3], ey[3], ez[3];
    float boxMin[3];  // of the vertices, widened by kPolygonBoxMargin
    float boxMax[3];
    int32_t kind;  // MapPartKind: 0 is solid ground, any other kind only marks a placement
};

struct CollisionSegment {
    CollisionPolygon polygons[kCollisionPolygonsPerSegment];
    int32_t count;
    // Box of the segment's vertices in x and z (not widened; y is not bounded).
    float minX, minZ, maxX, maxZ;
};

extern std::array<CollisionSegment, kMapSegments> gCollisionSegments;
// The unit normal of the last hit, in the course's own coordinates (x not mirrored back).
extern gfx::Vec3 gCourseHitNormal;

// Empties every segment and its index (the program-start state).
void ClearCollisionSegments();

// Sets the part kind of every map-reader triangle to 0.
void ClearMapTriangleMarks();
// Fills one polygon from three map vertices (the second and third are taken swapped).
void BuildCollisionPolygon(CollisionPolygon* polygon, int a, int b, int c);
// Mode 0 builds segment `slot` from the map reader's triangles 0 .. count - 1; any other
// mode builds nothing. A slot outside 0 .. 19 builds nothing; the count is bounded by the
// tables, and a triangle naming a vertex outside the vertex table is left out.
void BuildCollisionSegment(int mode, int count, int slot);

// Tests the segment from (x, y, z) along (dx, dy, dz), in world coordinates, against the
// current stage's course. On a hit returns 1, writes the hit fraction (0 .. 1 of the
// displacement) to *t and the unit normal to gCourseHitNormal. The first polygon that
// passes, in segment and then polygon order, is the hit (not the nearest one). Returns 0
// otherwise, leaving *t and the normal untouched.
int RaycastCourse(float x, float y, float z, float dx, float dy, float dz, float* t);

// The course loops (a tiled floor repeating every mapz) only on a stage that is not built
// of placed meshes and whose tile depth is positive: a depth of 0 cannot loop.
bool IsLoopingCourse(const StageInfo& stage);

// The spawners the map-placed enemies are made with. Their own behaviour is the enemy
// pool's; until it provides them (by filling gMapPlacementSpawners) nothing is spawned.
// atPoint: the triangle's centre in world coordinates, its unnormalised orientation
// (E0 x E1, not mirrored), the enemy type and the segment. onPolygon: the polygon itself,
// the enemy type and the segment.
struct MapPlacementSpawners {
    void (*atPoint)(const gfx::Vec3& centre, const gfx::Vec3& orientation, int enemyType,
                    int segment);
    void (*onPolygon)(const CollisionPolygon& polygon, int enemyType, int segment);
};
extern MapPlacementSpawners gMapPlacementSpawners;

// What a marked triangle of each part kind places.
enum class MapPlacementAction { None, AtPoint, OnPolygon };
struct MapPlacementRule {
    MapPlacementAction action;
    int enemyType;
};
// The rule of a part kind; kinds without one (0, 3 and unknown kinds) place nothing.
MapPlacementRule MapPlacementRuleOf(int32_t kind);

// Places one enemy on every marked triangle of the current stage's segments.
void SpawnMapPlacedEnemies();
