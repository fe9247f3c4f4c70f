#include "world/course/course_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// Cell of a coordinate along one axis, clamped to 0 .. count - 1.
int CellOf(double value, double origin, double size, int count) {
    double f = (value - origin) / size;
    if (!(f >= 1.0)) return 0;
    if (f >= static_cast<double>(count - 1)) return count - 1;
    return static_cast<int>(f);  // the whole part of a positive number
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
        PolygonExtent e = ExtentOf(p, margin);
        int c0 = CellOf(e.minX, grid.originX, grid.cellWidth, grid.columns);
        int c1 = CellOf(e.maxX, grid.originX, grid.cellWidth, grid.columns);
        int r0 = CellOf(e.minZ, grid.originZ, grid.cellDepth, grid.rows);
        int r1 = CellOf(e.maxZ, grid.originZ, grid.cellDepth, grid.rows);
        total += static_cast<uint64_t>(c1 - c0 + 1) * static_cast<uint64_t>(r1 - r0 + 1);
        if (total > kCourseGridEntries) return false;
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) visit(i, r * grid.columns + c);
        }
    }
    return true;
}

// Lays the grid over the extent in about `target` cells of even shape.
void Shape(CourseGrid* grid, float minX, float minZ, float width, float depth, int target) {
    double aspect = static_cast<double>(width) / static_cast<double>(depth);
    int columns = std::clamp(static_cast<int>(std::sqrt(target * aspect)), 1, kCourseGridSide);
    int rows = std::clamp(target / columns, 1, kCourseGridSide);
    grid->columns = columns;
    grid->rows = rows;
    grid->originX = minX;
    grid->originZ = minZ;
    grid->cellWidth = width / static_cast<float>(columns);
    grid->cellDepth = depth / static_cast<float>(rows);
}

}  // namespace

void BuildCourseGrid(const CollisionSegment& segment, CourseGrid* grid) {
    grid->usable = false;
    int solid = 0;
    float minX = 0.0f, minZ = 0.0f, maxX = 0.0f, maxZ = 0.0f, highY = 0.0f;
    for (int i = 0; i < segment.count; ++i) {
        const CollisionPolygon& p = segment.polygons[i];
        if (p.kind != 0) continue;
        PolygonExtent e = ExtentOf(p, 0.0f);
        if (!std::isfinite(e.minX) || !std::isfinite(e.minZ) || !std::isfinite(e.maxX) ||
            !std::isfinite(e.maxZ) || !std::isfinite(p.vy[0]) || !std::isfinite(p.vy[1]) ||
            !std::isfinite(p.vy[2])) {
            return;  // such a polygon cannot be placed in a cell
        }
        if (solid == 0) {
            minX = e.minX, minZ = e.minZ, maxX = e.maxX, maxZ = e.maxZ;
        } else {
            minX = std::min(minX, e.minX), minZ = std::min(minZ, e.minZ);
            maxX = std::max(maxX, e.maxX), maxZ = std::max(maxZ, e.maxZ);
        }
        highY = std::max({highY, std::fabs(p.vy[0]), std::fabs(p.vy[1]), std::fabs(p.vy[2])});
        ++solid;
    }
    if (solid == 0) return;

    // Far more than the ray test's rounding moves a hit (but for the segments along a
    // polygon's plane that the header tells of).
    float reach = std::max({std::fabs(minX), std::fabs(maxX), std::fabs(minZ), std::fabs(maxZ)});
    float margin = 1.0f + 1.0e-3f * reach;
    float marginY = 1.0f + 1.0e-3f * std::max(reach, highY);
    float width = (maxX - minX) + 2.0f * margin;
    float depth = (maxZ - minZ) + 2.0f * margin;

    // Count the entries of each cell (in cellStart[c + 1]), in cells as fine as the entries
    // allow: about two cells a polygon, fewer when large polygons would outgrow the entries.
    auto count = [&](int, int cell) { grid->cellStart[cell + 1] += 1; };
    bool fits = false;
    for (int target = 2 * solid; !fits; target /= 4) {
        Shape(grid, minX - margin, minZ - margin, width, depth,
              std::clamp(target, 1, kCourseGridCells));
        std::fill(grid->cellStart, grid->cellStart + grid->columns * grid->rows + 1, 0u);
        fits = ForEachPolygonCell(segment, *grid, margin, count);
        if (!fits && target <= 1) return;
    }
    int cells = grid->columns * grid->rows;
    for (int c = 0; c < cells; ++c) grid->cellStart[c + 1] += grid->cellStart[c];

    // Fill in polygon order, so every cell lists its polygons ascending. Each start moves on
    // to the next cell's start while filling and is moved back afterwards.
    std::fill(grid->cellLowY, grid->cellLowY + cells, INFINITY);
    std::fill(grid->cellHighY, grid->cellHighY + cells, -INFINITY);
    ForEachPolygonCell(segment, *grid, margin, [&](int polygon, int cell) {
        grid->entries[grid->cellStart[cell]++] = static_cast<uint16_t>(polygon);
        const float* y = segment.polygons[polygon].vy;
        grid->cellLowY[cell] =
            std::min(grid->cellLowY[cell], std::min({y[0], y[1], y[2]}) - marginY);
        grid->cellHighY[cell] =
            std::max(grid->cellHighY[cell], std::max({y[0], y[1], y[2]}) + marginY);
    });
    for (int c = cells; c > 0; --c) grid->cellStart[c] = grid->cellStart[c - 1];
    grid->cellStart[0] = 0;
    grid->lowY = *std::min_element(grid->cellLowY, grid->cellLowY + cells);
    grid->highY = *std::max_element(grid->cellHighY, grid->cellHighY + cells);
    grid->usable = true;
}

bool FindCourseCellSpans(const CourseGrid& grid, const float p[3], const float d[3],
                         CourseCellSpans* spans) {
    if (!grid.usable || !std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2]) ||
        !std::isfinite(d[0]) || !std::isfinite(d[1]) || !std::isfinite(d[2])) {
        return false;
    }
    // In double, so that the path's own rounding stays far below the widening.
    const double x0 = p[0], y0 = p[1], z0 = p[2], dx = d[0], dy = d[1], dz = d[2];
    const double originX = grid.originX, originZ = grid.originZ;
    const double width = grid.cellWidth, depth = grid.cellDepth;
    const double endX = originX + width * grid.columns, endZ = originZ + depth * grid.rows;
    // The ray test's rounding moves a hit by a part of the distance from the start to the
    // polygon's corners (and of the coordinates, which the polygons' margin covers), however
    // long the segment runs on: the path is widened by a thousandth of the shorter of its
    // length and the farthest the grid reaches from its start.
    const double farthest = std::max(std::fabs(x0 - originX), std::fabs(x0 - endX)) +
                            std::max(std::fabs(y0 - grid.lowY), std::fabs(y0 - grid.highY)) +
                            std::max(std::fabs(z0 - originZ), std::fabs(z0 - endZ));
    const double reach = 1.0e-3 * std::min(std::fabs(dx) + std::fabs(dz), farthest);
    const double reachY = reach + 1.0e-3 * std::min(std::fabs(dy), farthest);
    const double lowX = std::min(x0, x0 + dx) - reach, highX = std::max(x0, x0 + dx) + reach;
    const double lowZ = std::min(z0, z0 + dz) - reach, highZ = std::max(z0, z0 + dz) + reach;
    spans->firstRow = 0;
    spans->lastRow = -1;
    if (highX < originX || lowX > endX || highZ < originZ || lowZ > endZ) return true;
    spans->firstRow = CellOf(lowZ, originZ, depth, grid.rows);
    spans->lastRow = CellOf(highZ, originZ, depth, grid.rows);
    for (int r = spans->firstRow; r <= spans->lastRow; ++r) {
        // The stretch of the path within the row (widened in z), then its x and y ranges.
        double t0 = 0.0, t1 = 1.0;
        if (spans->firstRow != spans->lastRow && dz != 0.0) {
            double bandLow = originZ + depth * r - reach, bandHigh = bandLow + depth + 2.0 * reach;
            double ta = (bandLow - z0) / dz, tb = (bandHigh - z0) / dz;
            t0 = std::clamp(std::min(ta, tb), 0.0, 1.0);
            t1 = std::clamp(std::max(ta, tb), 0.0, 1.0);
        }
        double xa = x0 + t0 * dx, xb = x0 + t1 * dx;
        double ya = y0 + t0 * dy, yb = y0 + t1 * dy;
        double fromX = std::min(xa, xb) - reach, toX = std::max(xa, xb) + reach;
        size_t row = static_cast<size_t>(r);
        spans->lowY[row] = std::min(ya, yb) - reachY;
        spans->highY[row] = std::max(ya, yb) + reachY;
        if (toX < originX || fromX > endX) {
            spans->firstColumn[row] = 1;
            spans->lastColumn[row] = 0;
            continue;
        }
        spans->firstColumn[row] = static_cast<int16_t>(CellOf(fromX, originX, width, grid.columns));
        spans->lastColumn[row] = static_cast<int16_t>(CellOf(toX, originX, width, grid.columns));
    }
    return true;
}
