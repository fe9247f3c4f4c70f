#include "world/course/collision.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "world/course/course_grid.h"

std::array<CollisionSegment, kMapSegments> gCollisionSegments;
gfx::Vec3 gCourseHitNormal;
MapPlacementSpawners gMapPlacementSpawners;

namespace {

inline void Cross(float ax, float ay, float az, float bx, float by, float bz, float out[3]) {
    out[0] = ay * bz - az * by;
    out[1] = az * bx - ax * bz;
    out[2] = ax * by - ay * bx;
}

bool IsVertexIndex(int i) {
    return i >= 0 && i < kMapVertexMax;
}

int SegmentCount(const StageInfo& stage) {
    if (stage.mapCount < 0) return 0;
    return stage.mapCount < kMapSegments ? stage.mapCount : kMapSegments;
}

// The index of each segment's solid polygons.
std::array<CourseGrid, kMapSegments> gCourseGrids;

constexpr int kPolygonWords = kCollisionPolygonsPerSegment / 64;

// One polygon tested against the point p (in the course's coordinates) moving by d; qmin/qmax
// is the query box, used only when boxed is set. The tests run cheapest first.
bool TestPolygon(const CollisionPolygon& poly, const float p[3], const float d[3],
                 const float qmin[3], const float qmax[3], bool boxed, float* tOut) {
    if (poly.kind != 0) return false;
    if (boxed &&
        !(poly.boxMin[0] <= qmax[0] && poly.boxMax[0] >= qmin[0] && poly.boxMin[1] <= qmax[1] &&
          poly.boxMax[1] >= qmin[1] && poly.boxMin[2] <= qmax[2] && poly.boxMax[2] >= qmin[2])) {
        return false;
    }
    const float* n = poly.normal;
    float side = n[0] * p[0] + n[1] * p[1] + n[2] * p[2] + poly.distance;
    if (!(side >= 0.0f)) return false;
    float facing = n[0] * d[0] + n[1] * d[1] + n[2] * d[2];
    if (!(facing < 0.0f)) return false;
    for (int k = 0; k < 3; ++k) {
        float c[3];
        Cross(d[0], d[1], d[2], poly.ex[k], poly.ey[k], poly.ez[k], c);
        float along =
            (p[0] - poly.vx[k]) * c[0] + (p[1] - poly.vy[k]) * c[1] + (p[2] - poly.vz[k]) * c[2];
        if (!(along >= 0.0f)) return false;
    }
    float t = -side / facing;
    if (!(t <= 1.0f)) return false;

    float m[3];
    Cross(poly.ex[0], poly.ey[0], poly.ez[0], poly.ex[1], poly.ey[1], poly.ez[1], m);
    float length = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    gCourseHitNormal = gfx::Vec3{m[0] / length, m[1] / length, m[2] / length};
    *tOut = t;
    return true;
}

// The segment's polygons in order against p moving by d. Only polygons whose cells the
// segment of space from p to p + d meets can pass, so only those are tested, still in order.
bool RaycastSegment(int slot, const float p[3], const float d[3], const float qmin[3],
                    const float qmax[3], bool boxed, float* tOut) {
    const CollisionSegment& segment = gCollisionSegments[slot];
    const CourseGrid& grid = gCourseGrids[slot];
    int count = segment.count;
    CourseCellSpans spans;
    if (!FindCourseCellSpans(grid, p, d, &spans)) {
        for (int i = 0; i < count; ++i) {
            if (TestPolygon(segment.polygons[i], p, d, qmin, qmax, boxed, tOut)) return true;
        }
        return false;
    }
    if (spans.lastRow < spans.firstRow) return false;
    // A cell whose polygons lie wholly above or below the path where it crosses the row
    // holds nothing it can meet.
    auto beside = [&](size_t row, int cell) {
        return grid.cellHighY[cell] < spans.lowY[row] || grid.cellLowY[cell] > spans.highY[row];
    };
    size_t first = static_cast<size_t>(spans.firstRow);
    if (spans.firstRow == spans.lastRow && spans.firstColumn[first] == spans.lastColumn[first]) {
        int cell = spans.firstRow * grid.columns + spans.firstColumn[first];
        if (beside(first, cell)) return false;
        for (uint32_t e = grid.cellStart[cell]; e < grid.cellStart[cell + 1]; ++e) {
            int i = grid.entries[e];
            if (i < count && TestPolygon(segment.polygons[i], p, d, qmin, qmax, boxed, tOut)) {
                return true;
            }
        }
        return false;
    }
    // Several cells: their polygons are gathered as bits and visited in ascending order.
    // Each cell lists its polygons ascending, so its first and last bound the bits to clear.
    int low = kPolygonWords, high = -1;
    for (int r = spans.firstRow; r <= spans.lastRow; ++r) {
        size_t row = static_cast<size_t>(r);
        for (int c = spans.firstColumn[row]; c <= spans.lastColumn[row]; ++c) {
            int cell = r * grid.columns + c;
            if (grid.cellStart[cell] == grid.cellStart[cell + 1] || beside(row, cell)) continue;
            low = std::min(low, grid.entries[grid.cellStart[cell]] >> 6);
            high = std::max(high, grid.entries[grid.cellStart[cell + 1] - 1] >> 6);
        }
    }
    uint64_t bits[kPolygonWords];
    for (int w = low; w <= high; ++w) bits[w] = 0;
    for (int r = spans.firstRow; r <= spans.lastRow; ++r) {
        size_t row = static_cast<size_t>(r);
        for (int c = spans.firstColumn[row]; c <= spans.lastColumn[row]; ++c) {
            int cell = r * grid.columns + c;
            if (beside(row, cell)) continue;
            for (uint32_t e = grid.cellStart[cell]; e < grid.cellStart[cell + 1]; ++e) {
                int i = grid.entries[e];
                bits[i >> 6] |= uint64_t{1} << (i & 63);
            }
        }
    }
    for (int w = low; w <= high; ++w) {
        uint64_t word = bits[w];
        while (word) {
            int i = w * 64 + std::countr_zero(word);
            word &= word - 1;
            if (i < count && TestPolygon(segment.polygons[i], p, d, qmin, qmax, boxed, tOut)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

void ClearMapTriangleMarks() {
    for (MapTriangle& triangle : gMapTriangles) triangle.kind = 0;
}

void BuildCollisionPolygon(CollisionPolygon* polygon, int a, int b, int c) {
    const MapVertex& v0 = gMapVertices[a];
    const MapVertex& v1 = gMapVertices[c];
    const MapVertex& v2 = gMapVertices[b];
    CollisionPolygon& p = *polygon;
    p.vx[0] = v0.x, p.vx[1] = v1.x, p.vx[2] = v2.x;
    p.vy[0] = v0.y, p.vy[1] = v1.y, p.vy[2] = v2.y;
    p.vz[0] = v0.z, p.vz[1] = v1.z, p.vz[2] = v2.z;

    const float* axes[3] = {p.vx, p.vy, p.vz};
    for (int axis = 0; axis < 3; ++axis) {
        const float* v = axes[axis];
        float lo = v[0], hi = v[0];
        for (int k = 1; k < 3; ++k) {
            if (v[k] < lo) lo = v[k];
            if (v[k] > hi) hi = v[k];
        }
        p.boxMin[axis] = lo - kPolygonBoxMargin;
        p.boxMax[axis] = hi + kPolygonBoxMargin;
    }

    for (int k = 0; k < 3; ++k) {
        int next = (k + 1) % 3;
        p.ex[k] = p.vx[next] - p.vx[k];
        p.ey[k] = p.vy[next] - p.vy[k];
        p.ez[k] = p.vz[next] - p.vz[k];
    }
    Cross(p.ex[1], p.ey[1], p.ez[1], p.ex[0], p.ey[0], p.ez[0], p.normal);
    p.distance = -(p.normal[0] * p.vx[0] + p.normal[1] * p.vy[0] + p.normal[2] * p.vz[0]);
}

void BuildCollisionSegment(int mode, int count, int slot) {
    if (mode != 0 || slot < 0 || slot >= kMapSegments) return;
    if (count < 0) count = 0;
    if (count > kMapTriangleMax) count = kMapTriangleMax;

    CollisionSegment& segment = gCollisionSegments[slot];
    segment.count = 0;
    for (int i = 0; i < count; ++i) {
        const MapTriangle& triangle = gMapTriangles[i];
        const int32_t* v = triangle.vertex;
        // A triangle naming a vertex the table does not have cannot be built.
        if (!IsVertexIndex(v[0]) || !IsVertexIndex(v[1]) || !IsVertexIndex(v[2])) continue;
        CollisionPolygon& polygon = segment.polygons[segment.count];
        BuildCollisionPolygon(&polygon, v[0], v[1], v[2]);
        polygon.kind = triangle.kind;
        segment.count += 1;
    }

    if (segment.count == 0) {
        segment.minX = segment.minZ = segment.maxX = segment.maxZ = 0.0f;
        return;
    }
    segment.minX = segment.maxX = segment.polygons[0].vx[0];
    segment.minZ = segment.maxZ = segment.polygons[0].vz[0];
    for (int i = 0; i < segment.count; ++i) {
        const CollisionPolygon& p = segment.polygons[i];
        for (int k = 0; k < 3; ++k) {
            if (p.vx[k] < segment.minX) segment.minX = p.vx[k];
            if (p.vx[k] > segment.maxX) segment.maxX = p.vx[k];
            if (p.vz[k] < segment.minZ) segment.minZ = p.vz[k];
            if (p.vz[k] > segment.maxZ) segment.maxZ = p.vz[k];
        }
    }
    BuildCourseGrid(segment, &gCourseGrids[slot]);
}

bool IsLoopingCourse(const StageInfo& stage) {
    return stage.mapType != kPlacedMeshCourse && stage.tileDepth > 0.0f;
}

int RaycastCourse(float x, float y, float z, float dx, float dy, float dz, float* tOut) {
    const StageInfo* stage = gCurrentStage;
    if (!stage) return 0;
    bool placed = stage->mapType == kPlacedMeshCourse;
    bool looping = IsLoopingCourse(*stage);
    float length = stage->tileDepth;

    if (!placed) {
        // Brings z into (0, length]: the same as taking the length off while z is beyond
        // it, in one step, so a far start (or an infinite one) cannot hold the query up.
        if (looping && z > length) {
            z = std::fmod(z, length);
            if (z <= 0.0f) z += length;
        }
        y -= stage->floorHeight;
    }

    float xm = -x;
    const float d[3] = {-dx, dy, dz};
    const float qmin[3] = {xm - std::fabs(d[0]), y - std::fabs(dy), z - std::fabs(dz)};
    const float qmax[3] = {xm + std::fabs(d[0]), y + std::fabs(dy), z + std::fabs(dz)};

    int segments = SegmentCount(*stage);
    int passes = looping ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        float zp = pass == 0 ? z : z - length;
        for (int s = 0; s < segments; ++s) {
            const CollisionSegment& segment = gCollisionSegments[s];
            if (placed && !(segment.minX <= qmax[0] && segment.maxX >= qmin[0] &&
                            segment.minZ <= qmax[2] && segment.maxZ >= qmin[2])) {
                continue;
            }
            const float* offset = gGameState.segmentOffset[s];
            const float p[3] = {xm + offset[0], y - offset[1], zp - offset[2]};
            if (RaycastSegment(s, p, d, qmin, qmax, placed, tOut)) return 1;
        }
    }
    return 0;
}

MapPlacementRule MapPlacementRuleOf(int32_t kind) {
    // By part kind: ground and links place nothing.
    constexpr MapPlacementRule kRules[] = {
        {MapPlacementAction::None, 0},       {MapPlacementAction::AtPoint, 6},
        {MapPlacementAction::AtPoint, 7},    {MapPlacementAction::None, 0},
        {MapPlacementAction::AtPoint, 26},   {MapPlacementAction::AtPoint, 27},
        {MapPlacementAction::OnPolygon, 17}, {MapPlacementAction::OnPolygon, 18},
    };
    if (kind < 0 || kind >= static_cast<int32_t>(std::size(kRules))) return kRules[0];
    return kRules[kind];
}

void SpawnMapPlacedEnemies() {
    const StageInfo* stage = gCurrentStage;
    if (!stage) return;
    int segments = SegmentCount(*stage);
    for (int s = 0; s < segments; ++s) {
        const CollisionSegment& segment = gCollisionSegments[s];
        for (int i = 0; i < segment.count; ++i) {
            const CollisionPolygon& p = segment.polygons[i];
            if (p.kind == 0) continue;
            MapPlacementRule rule = MapPlacementRuleOf(p.kind);
            switch (rule.action) {
                case MapPlacementAction::AtPoint: {
                    if (!gMapPlacementSpawners.atPoint) break;
                    gfx::Vec3 centre{-(p.vx[0] + p.vx[1] + p.vx[2]) / 3.0f,
                                     (p.vy[0] + p.vy[1] + p.vy[2]) / 3.0f,
                                     (p.vz[0] + p.vz[1] + p.vz[2]) / 3.0f};
                    float m[3];
                    Cross(p.ex[0], p.ey[0], p.ez[0], p.ex[1], p.ey[1], p.ez[1], m);
                    gMapPlacementSpawners.atPoint(centre, gfx::Vec3{m[0], m[1], m[2]},
                                                  rule.enemyType, s);
                    break;
                }
                case MapPlacementAction::OnPolygon:
                    if (gMapPlacementSpawners.onPolygon) {
                        gMapPlacementSpawners.onPolygon(p, rule.enemyType, s);
                    }
                    break;
                case MapPlacementAction::None:
                    break;
            }
        }
    }
}

void ClearCollisionSegments() {
    for (CollisionSegment& segment : gCollisionSegments) {
        segment.count = 0;
        segment.minX = segment.minZ = segment.maxX = segment.maxZ = 0.0f;
    }
    for (CourseGrid& grid : gCourseGrids) grid.usable = false;
}
