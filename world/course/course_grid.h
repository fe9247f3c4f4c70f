// An index of a course segment's solid polygons by where they lie in x and z, so that a short
// query tests only the polygons near it instead of the whole segment. A query gets the cells
// its segment of space crosses; their polygons come out in ascending order, so the first one
// that passes is the first polygon of the segment that passes, as without the index.
//
// The one exception is a segment of space that runs along a polygon's plane (its slope to the
// plane below about 1/10,000) from a start within the rounding of that plane. There the
// float edge tests no longer tell inside from outside, and a test of every polygon may pass
// one far away from the segment; the index does not offer such polygons, so the two answers
// may differ. Elsewhere, also for segments that graze the course at small angles, they agree.
#pragma once

#include <cstdint>

#include "world/course/collision.h"

constexpr int kCourseGridSide = 128;  // most cells along x or z
constexpr int kCourseGridCells = kCourseGridSide * kCourseGridSide;
constexpr int kCourseGridEntries = kCollisionPolygonsPerSegment * 16;

struct CourseGrid {
    bool usable;  // false: the segment is tested polygon by polygon
    int columns, rows;
    float originX, originZ;
    float cellWidth, cellDepth;
    // Cell c holds entries[cellStart[c] .. cellStart[c + 1] - 1], cells row by row (z).
    uint32_t cellStart[kCourseGridCells + 1];
    uint16_t entries[kCourseGridEntries];
};

// Indexes the segment's solid polygons (part kind 0), each by its box widened by a margin
// that covers the rounding of the ray test. A segment whose polygons would overflow the
// entries is left unusable.
void BuildCourseGrid(const CollisionSegment& segment, CourseGrid* grid);

struct CourseCells {
    int c0, c1, r0, r1;  // columns c0 .. c1, rows r0 .. r1
};

// The cells a box in x and z meets (clamped to the grid). False when the grid cannot answer
// (unusable, or a bound that is not a finite number): every polygon is then to be tested.
bool FindCourseCells(const CourseGrid& grid, float minX, float minZ, float maxX, float maxZ,
                     CourseCells* cells);
