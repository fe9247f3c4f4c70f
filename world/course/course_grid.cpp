#include "world/course/course_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cell of a coordinate along one axis, clamped to 0 .. count - 1.
int CellOf(float value, float origin, float size, int count) {
    float f = std::floor((value - origin) / size);
    if (!(f > 0.0f)) return 0;
    if (f >= static_cast<float>(count - 1)) return count - 1;
    return static_cast<int>(f);
}

struct PolygonExtent {
    float minX, minZ, maxX, maxZ;
};

PolygonExtent ExtentOf(const CollisionPolygon& p, float margin) {
    return PolygonExtent{std::min({p.vx[0], p.vx[1], p.vx[2]}) - margin,
                         std::min({p.vz[0], p.vz[1], p.vz[2]}) - margin,
                         std::max({p.vx[0], p.vx[1], p.vx[2]}) + margin,
                         std::max({p.vz[0], p.vz[1], p.vz[2]}) + margin};
}

// Calls visit(polygon, cell) for every cell each solid polygon's widened box meets, polygons
// in order. False (stopped before the polygon that would pass it) when the entries would
// outgrow the grid.
template <typename Visit>
bool ForEachPolygonCell(const CollisionSegment& segment, const CourseGrid& grid, float margin,
                        Visit visit) {
    uint64_t total = 0;
    for (int i = 0; i < segment.count; ++i) {
        const CollisionPolygon& p = segment.polygons[i];
        if (p.kind != 0) continue;
        CourseCells c;
        PolygonExtent e = ExtentOf(p, margin);
        FindCourseCells(grid, e.minX, e.minZ, e.maxX, e.maxZ, &c);
        total += static_cast<uint64_t>(c.c1 - c.c0 + 1) * static_cast<uint64_t>(c.r1 - c.r0 + 1);
        if (total > kCourseGridEntries) return false;
        for (int r = c.r0; r <= c.r1; ++r) {
            for (int col = c.c0; col <= c.c1; ++col) visit(i, r * grid.columns + col);
        }
    }
    return true;
}

}  // namespace

void BuildCourseGrid(const CollisionSegment& segment, CourseGrid* grid) {
    grid->usable = false;
    int solid = 0;
    float minX = 0.0f, minZ = 0.0f, maxX = 0.0f, maxZ = 0.0f;
    for (int i = 0; i < segment.count; ++i) {
        const CollisionPolygon& p = segment.polygons[i];
        if (p.kind != 0) continue;
        PolygonExtent e = ExtentOf(p, 0.0f);
        if (!std::isfinite(e.minX) || !std::isfinite(e.minZ) || !std::isfinite(e.maxX) ||
            !std::isfinite(e.maxZ)) {
            return;  // such a polygon cannot be placed in a cell
        }
        if (solid == 0) {
            minX = e.minX, minZ = e.minZ, maxX = e.maxX, maxZ = e.maxZ;
        } else {
            minX = std::min(minX, e.minX), minZ = std::min(minZ, e.minZ);
            maxX = std::max(maxX, e.maxX), maxZ = std::max(maxZ, e.maxZ);
        }
        ++solid;
    }
    if (solid == 0) return;

    // Far more than the ray test's rounding moves a hit (but for the segments along a
    // polygon's plane that the header tells of).
    float reach = std::max({std::fabs(minX), std::fabs(maxX), std::fabs(minZ), std::fabs(maxZ)});
    float margin = 1.0f + 1.0e-3f * reach;
    float width = (maxX - minX) + 2.0f * margin;
    float depth = (maxZ - minZ) + 2.0f * margin;
    int target = std::clamp(solid / 2, 1, kCourseGridCells);
    double aspect = static_cast<double>(width) / static_cast<double>(depth);
    int columns = std::clamp(static_cast<int>(std::sqrt(target * aspect)), 1, kCourseGridSide);
    int rows = std::clamp(target / columns, 1, kCourseGridSide);
    grid->columns = columns;
    grid->rows = rows;
    grid->originX = minX - margin;
    grid->originZ = minZ - margin;
    grid->cellWidth = width / static_cast<float>(columns);
    grid->cellDepth = depth / static_cast<float>(rows);

    // Count the entries of each cell (in cellStart[c + 1]), then turn the counts into starts.
    int cells = columns * rows;
    std::fill(grid->cellStart, grid->cellStart + cells + 1, 0u);
    auto count = [&](int, int cell) { grid->cellStart[cell + 1] += 1; };
    if (!ForEachPolygonCell(segment, *grid, margin, count)) return;
    for (int c = 0; c < cells; ++c) grid->cellStart[c + 1] += grid->cellStart[c];

    // Fill in polygon order, so every cell lists its polygons ascending. Each start moves on
    // to the next cell's start while filling and is moved back afterwards.
    ForEachPolygonCell(segment, *grid, margin, [&](int polygon, int cell) {
        grid->entries[grid->cellStart[cell]++] = static_cast<uint16_t>(polygon);
    });
    for (int c = cells; c > 0; --c) grid->cellStart[c] = grid->cellStart[c - 1];
    grid->cellStart[0] = 0;
    grid->usable = true;
}

bool FindCourseCells(const CourseGrid& grid, float minX, float minZ, float maxX, float maxZ,
                     CourseCells* cells) {
    if (!std::isfinite(minX) || !std::isfinite(minZ) || !std::isfinite(maxX) ||
        !std::isfinite(maxZ) || grid.columns < 1 || grid.rows < 1) {
        return false;
    }
    cells->c0 = CellOf(minX, grid.originX, grid.cellWidth, grid.columns);
    cells->c1 = CellOf(maxX, grid.originX, grid.cellWidth, grid.columns);
    cells->r0 = CellOf(minZ, grid.originZ, grid.cellDepth, grid.rows);
    cells->r1 = CellOf(maxZ, grid.originZ, grid.cellDepth, grid.rows);
    return true;
}
