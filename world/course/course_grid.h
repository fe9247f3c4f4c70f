// An index of a course segment's solid polygons by where they lie in x and z, so that a query
// tests only the polygons near the segment of space it follows instead of the whole segment.
// A query gets the cells along its path; their polygons come out in ascending order, so the
// first one that passes is the first polygon of the segment that passes, as without the index.
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
    // The heights the polygons of each cell span, widened like their boxes (an empty cell
    // spans nothing: its lowest is above its highest), and those of the whole grid.
    float cellLowY[kCourseGridCells], cellHighY[kCourseGridCells];
    float lowY, highY;
};

// Indexes the segment's solid polygons (part kind 0), each by its box widened by a margin
// that covers the rounding of the ray test, in cells of about half a polygon's size, or
// coarser where large polygons would outgrow the entries. A segment with a polygon whose
// corners are not finite numbers is left unusable.
void BuildCourseGrid(const CollisionSegment& segment, CourseGrid* grid);

// The cells a segment of space meets, row by row: row r of firstRow .. lastRow holds the
// columns firstColumn[r] .. lastColumn[r] (none when the first is beyond the last), which the
// segment crosses at heights lowY[r] .. highY[r]. No rows (lastRow < firstRow) when it
// passes beside the grid.
struct CourseCellSpans {
    int firstRow, lastRow;
    int16_t firstColumn[kCourseGridSide], lastColumn[kCourseGridSide];
    double lowY[kCourseGridSide], highY[kCourseGridSide];
};

// The cells that the segment of space from p along d (course coordinates) meets, widened by
// the ray test's rounding. False when the grid cannot answer (unusable, or a value that is
// not a finite number): every polygon is then to be tested.
bool FindCourseCellSpans(const CourseGrid& grid, const float p[3], const float d[3],
                         CourseCellSpans* spans);
