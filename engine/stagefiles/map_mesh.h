// The map-mesh text reader: reads a stage's map mesh (a text ".x" file) line by line for
// what the course collision needs: the vertex positions of every mesh moved by its frame's
// matrix, the triangles, and one part kind per mesh taken from the name of its first
// material reference. The kinds mark triangles on which enemies and objects are placed.
#pragma once

#include <cstdint>
#include <cstdio>

constexpr int kMapVertexMax = 10240;
constexpr int kMapTriangleMax = 10240;
constexpr int kMapSlots = 20;

struct MapVertex {
    float x, y, z;
};

enum MapPartKind : int32_t {
    kPartGround = 0,  // plain ground: solid
    kPartLargeTurret = 1,
    kPartSmallTurret = 2,
    kPartLink = 3,
    kPartBattleCore = 4,
    kPartCrank = 5,
    kPartMobSmallTurret = 6,
    kPartMobCore = 7,
};

struct MapTriangle {
    int32_t vertex[3];  // into gMapVertices, already offset by the mesh's first vertex
    int32_t kind;       // MapPartKind
    uint8_t flags[3];   // never written by the reader
};

// Refilled from index 0 by every file read.
extern MapVertex gMapVertices[kMapVertexMax];
extern MapTriangle gMapTriangles[kMapTriangleMax];

// The part kind a material reference names (the text right after its '{').
int32_t MapPartKindFromName(const char* name);

enum class MapReadResult {
    Read,      // the tables hold the file's triangles
    Missing,   // the file could not be opened; the tables are as they were
    TooLarge,  // more vertices or triangles than the tables hold: nothing of it is kept
};

struct MapMeshCounts {
    int32_t vertices;
    int32_t triangles;
    int32_t enemies;  // triangles of kind 2
};

// Reads one map file into gMapVertices and gMapTriangles. A malformed line is passed over and
// the reading goes on with the next: a vertex that cannot be read keeps its place but no face
// uses it, a face that cannot be read (or names a vertex its mesh does not have) makes no
// triangles, a frame matrix row that cannot be read is the identity's, and a mesh with a
// negative vertex count is passed over up to the next frame.
MapReadResult ReadMapMesh(const char* path, MapMeshCounts* counts);
// The same on an open file; path only decides the turned boss map.
MapReadResult ReadMapMeshFile(FILE* file, const char* path, MapMeshCounts* counts);

// Reads a map file and builds collision segment `slot` (0 .. 19) from it, writing the counts
// to the debug text grid. Returns 1 after reading the file, 0 when it cannot be opened or
// the slot is out of range. A file beyond the tables' limits shows "File Open Error" with its
// path and leaves the slot's segment empty.
int LoadShipPartMesh(const char* path, int slot);

// Builds collision segment `slot` from gMapTriangles 0 .. count - 1 (mode 0); provided by the
// course collision.
void BuildCollisionSegment(int mode, int count, int slot);
