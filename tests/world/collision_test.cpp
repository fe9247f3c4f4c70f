// The course collision over triangles written by the tests: the polygon build, the ray
// query with its order, mirroring, offsets and looping, and the walk over marked triangles.
#include "world/course/collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "world/course/course_grid.h"

namespace {

struct Point {
    float x, y, z;
};

class CollisionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (CollisionSegment& s : gCollisionSegments) s.count = 0;
        std::memset(&stage_, 0, sizeof stage_);
        stage_.mapType = 2;
        stage_.mapCount = 1;
        gCurrentStage = &stage_;
        std::memset(gGameState.segmentOffset, 0, sizeof gGameState.segmentOffset);
        gMapPlacementSpawners = {};
    }
    void TearDown() override {
        gCurrentStage = nullptr;
        gMapPlacementSpawners = {};
    }

    // Adds a triangle with the corners in file order to the reader's tables.
    void Add(Point a, Point b, Point c, int32_t kind = 0) {
        int v = static_cast<int>(vertices_);
        gMapVertices[v] = {a.x, a.y, a.z};
        gMapVertices[v + 1] = {b.x, b.y, b.z};
        gMapVertices[v + 2] = {c.x, c.y, c.z};
        gMapTriangles[triangles_] = MapTriangle{{v, v + 1, v + 2}, kind, {0, 0, 0}};
        vertices_ += 3;
        triangles_ += 1;
    }
    // A level triangle facing up at height y over x0..x1, z0..z1 (its right angle at x0, z0).
    void AddGround(float x0, float x1, float z0, float z1, float y = 0.0f, int32_t kind = 0) {
        Add({x0, y, z0}, {x0, y, z1}, {x1, y, z0}, kind);
    }
    // Builds the triangles added so far into a segment and starts a new list.
    void Build(int slot) {
        BuildCollisionSegment(0, triangles_, slot);
        vertices_ = 0;
        triangles_ = 0;
    }

    // The ray straight down from (x, y, z) by depth; -1 when it misses.
    float Down(float x, float y, float z, float depth = 100.0f) {
        float t = -1.0f;
        return RaycastCourse(x, y, z, 0.0f, -depth, 0.0f, &t) ? t : -1.0f;
    }

    StageInfo stage_;
    int vertices_ = 0;
    int triangles_ = 0;
};

TEST_F(CollisionTest, APolygonTakesItsCornersSwappedWithAWidenedBox) {
    gMapVertices[0] = {0.0f, 0.0f, 0.0f};  // A
    gMapVertices[1] = {0.0f, 0.0f, 2.0f};  // B
    gMapVertices[2] = {4.0f, 1.0f, 0.0f};  // C
    CollisionPolygon p;
    BuildCollisionPolygon(&p, 0, 1, 2);
    // V0 = A, V1 = C, V2 = B.
    EXPECT_EQ(p.vx[1], 4.0f);
    EXPECT_EQ(p.vz[2], 2.0f);
    EXPECT_EQ(p.ex[0], 4.0f);   // C - A
    EXPECT_EQ(p.ez[1], 2.0f);   // B - C
    EXPECT_EQ(p.ex[2], 0.0f);   // A - B
    EXPECT_EQ(p.ez[2], -2.0f);  // A - B
    // n = (B - A) x (C - A) = (0, 0, 2) x (4, 1, 0) = (-2, 8, 0); d = -(n . A) = 0.
    EXPECT_EQ(p.normal[0], -2.0f);
    EXPECT_EQ(p.normal[1], 8.0f);
    EXPECT_EQ(p.normal[2], 0.0f);
    EXPECT_EQ(p.distance, 0.0f);
    EXPECT_EQ(p.boxMin[0], -50.0f);
    EXPECT_EQ(p.boxMax[0], 54.0f);
    EXPECT_EQ(p.boxMax[1], 51.0f);
    EXPECT_EQ(p.boxMin[2], -50.0f);
}

TEST_F(CollisionTest, ASegmentKeepsItsPolygonsKindsAndPlainBox) {
    AddGround(-10.0f, 30.0f, 5.0f, 25.0f);
    AddGround(100.0f, 120.0f, -40.0f, 0.0f, 7.0f, kPartSmallTurret);
    Build(3);
    const CollisionSegment& s = gCollisionSegments[3];
    ASSERT_EQ(s.count, 2);
    EXPECT_EQ(s.polygons[1].kind, kPartSmallTurret);
    EXPECT_EQ(s.minX, -10.0f);
    EXPECT_EQ(s.maxX, 120.0f);
    EXPECT_EQ(s.minZ, -40.0f);
    EXPECT_EQ(s.maxZ, 25.0f);

    Build(4);  // no triangles
    EXPECT_EQ(gCollisionSegments[4].count, 0);
    EXPECT_EQ(gCollisionSegments[4].maxX, 0.0f);
}

TEST_F(CollisionTest, BadBuildRequestsWriteNothingOutsideTheTables) {
    AddGround(0.0f, 10.0f, 0.0f, 10.0f);
    Build(5);
    BuildCollisionSegment(1, 1, 5);  // other modes build nothing
    EXPECT_EQ(gCollisionSegments[5].count, 1);
    BuildCollisionSegment(0, 1, -1);
    BuildCollisionSegment(0, 1, kMapSegments);

    // A triangle naming a vertex beyond the table is left out.
    AddGround(0.0f, 10.0f, 0.0f, 10.0f);
    AddGround(0.0f, 10.0f, 0.0f, 10.0f);
    gMapTriangles[0].vertex[2] = kMapVertexMax;
    gMapTriangles[1].vertex[0] = -1;
    AddGround(0.0f, 10.0f, 0.0f, 10.0f);
    Build(6);
    EXPECT_EQ(gCollisionSegments[6].count, 1);

    BuildCollisionSegment(0, kMapTriangleMax + 500, 7);
    EXPECT_LE(gCollisionSegments[7].count, kCollisionPolygonsPerSegment);
}

TEST_F(CollisionTest, ARayFromAboveHitsWithTheFractionAndTheUnitNormal) {
    AddGround(-100.0f, 300.0f, -100.0f, 300.0f);
    Build(0);
    float t = -1.0f;
    ASSERT_EQ(RaycastCourse(-20.0f, 50.0f, -40.0f, 0.0f, -100.0f, 0.0f, &t), 1);
    EXPECT_FLOAT_EQ(t, 0.5f);
    // The unit of E0 x E1: the other way round from the polygon's own normal.
    EXPECT_FLOAT_EQ(gCourseHitNormal.x, 0.0f);
    EXPECT_FLOAT_EQ(gCourseHitNormal.y, -1.0f);
    EXPECT_FLOAT_EQ(gCourseHitNormal.z, 0.0f);

    // A miss leaves the fraction and the normal untouched.
    gCourseHitNormal = {9.0f, 9.0f, 9.0f};
    t = 7.0f;
    EXPECT_EQ(RaycastCourse(-250.0f, 50.0f, 250.0f, 0.0f, -100.0f, 0.0f, &t),
              0);  // beyond the diagonal
    EXPECT_EQ(t, 7.0f);
    EXPECT_EQ(gCourseHitNormal.x, 9.0f);
}

TEST_F(CollisionTest, BackSidesParallelRaysAndShortRaysMiss) {
    AddGround(-100.0f, 300.0f, -100.0f, 300.0f);
    Build(0);
    float t;
    EXPECT_EQ(RaycastCourse(0.0f, -10.0f, 0.0f, 0.0f, 100.0f, 0.0f, &t), 0);  // from below
    EXPECT_EQ(RaycastCourse(0.0f, -10.0f, 0.0f, 0.0f, -100.0f, 0.0f, &t), 0);
    EXPECT_EQ(RaycastCourse(-50.0f, 10.0f, -50.0f, 30.0f, 0.0f, 0.0f, &t), 0);  // parallel
    EXPECT_EQ(Down(-10.0f, 50.0f, -10.0f, 49.9f), -1.0f);                       // t > 1
    EXPECT_FLOAT_EQ(Down(-10.0f, 50.0f, -10.0f, 50.0f), 1.0f);                  // t = 1 hits
}

TEST_F(CollisionTest, TheFirstPolygonInOrderWinsNotTheNearest) {
    AddGround(-100.0f, 300.0f, -100.0f, 300.0f, 0.0f);   // farther, first
    AddGround(-100.0f, 300.0f, -100.0f, 300.0f, 20.0f);  // nearer, second
    Build(0);
    EXPECT_FLOAT_EQ(Down(0.0f, 50.0f, 0.0f), 0.5f);

    // The same across segments: segment 0 before segment 1.
    AddGround(-100.0f, 300.0f, -100.0f, 300.0f, 0.0f);
    Build(0);
    AddGround(-100.0f, 300.0f, -100.0f, 300.0f, 40.0f);
    Build(1);
    stage_.mapCount = 2;
    EXPECT_FLOAT_EQ(Down(0.0f, 50.0f, 0.0f), 0.5f);
    stage_.mapCount = 1;  // segments beyond the map count are not tested
    gCollisionSegments[0].count = 0;
    EXPECT_EQ(Down(0.0f, 50.0f, 0.0f), -1.0f);
}

TEST_F(CollisionTest, MarkedTrianglesAreNeverSolid) {
    for (int32_t kind = 1; kind <= 7; ++kind) {
        AddGround(-100.0f, 300.0f, -100.0f, 300.0f, 0.0f, kind);
        Build(0);
        EXPECT_EQ(Down(0.0f, 50.0f, 0.0f), -1.0f) << "kind " << kind;
    }
}

TEST_F(CollisionTest, WorldXIsTheMirroredFileX) {
    AddGround(10.0f, 210.0f, -100.0f, 100.0f);
    Build(0);
    EXPECT_FLOAT_EQ(Down(-50.0f, 50.0f, 0.0f), 0.5f);
    EXPECT_EQ(Down(50.0f, 50.0f, 0.0f), -1.0f);
}

TEST_F(CollisionTest, SegmentOffsetsMoveTheirSegmentOnly) {
    AddGround(0.0f, 200.0f, 0.0f, 200.0f);
    Build(0);
    AddGround(0.0f, 200.0f, 0.0f, 200.0f);
    Build(1);
    stage_.mapCount = 2;
    stage_.mapType = 0;  // a course without box tests
    stage_.tileDepth = 100000.0f;
    gGameState.segmentOffset[1][0] = 1000.0f;  // drawn at offset_x - x
    gGameState.segmentOffset[1][1] = 300.0f;
    gGameState.segmentOffset[1][2] = 5000.0f;
    // Segment 1's ground lies at world x 800..1000, height 300, z 5000..5200.
    EXPECT_FLOAT_EQ(Down(950.0f, 350.0f, 5020.0f), 0.5f);
    EXPECT_EQ(Down(-20.0f, 350.0f, 5020.0f), -1.0f);  // segment 0 is not there
    EXPECT_FLOAT_EQ(Down(-20.0f, 50.0f, 20.0f), 0.5f);
}

TEST_F(CollisionTest, APlacedCourseSkipsSegmentsBesideTheQuery) {
    AddGround(-10.0f, 10.0f, -10.0f, 10.0f);
    Build(0);
    // The segment is moved beside its own box: the query box (not moved by the offsets)
    // does not meet the segment box, so the placed course skips it...
    gGameState.segmentOffset[0][0] = 1000.0f;
    EXPECT_EQ(Down(995.0f, 50.0f, -8.0f), -1.0f);
    // ...while a looping course tests every segment.
    stage_.mapType = 0;
    stage_.tileDepth = 100000.0f;
    EXPECT_FLOAT_EQ(Down(995.0f, 50.0f, -8.0f), 0.5f);
}

TEST_F(CollisionTest, ALoopingCourseWrapsTheStartAndTriesOneLengthBack) {
    stage_.mapType = 0;
    stage_.tileDepth = 1000.0f;
    stage_.floorHeight = 200.0f;
    AddGround(-100.0f, 100.0f, 400.0f, 700.0f);  // covers z 500 near x 0
    Build(0);
    // z 2500 is tested at 500; the floor height lowers the start.
    EXPECT_FLOAT_EQ(Down(0.0f, 250.0f, 2500.0f), 0.5f);

    AddGround(-100.0f, 100.0f, -600.0f, -300.0f);  // covers z -500
    Build(0);
    EXPECT_FLOAT_EQ(Down(0.0f, 250.0f, 2500.0f), 0.5f);  // second pass at -500
    EXPECT_EQ(Down(0.0f, 250.0f, 2200.0f), -1.0f);       // 200 and -800 miss

    AddGround(-100.0f, 100.0f, 950.0f, 1200.0f);
    Build(0);
    EXPECT_FLOAT_EQ(Down(0.0f, 250.0f, 1000.0f), 0.5f);  // exactly one length: not wrapped
    EXPECT_EQ(Down(0.0f, 250.0f, 0.0f), -1.0f);
}

TEST_F(CollisionTest, ALoopingCourseWithoutLengthNeitherHangsNorLoops) {
    stage_.mapType = 0;
    stage_.tileDepth = 0.0f;
    AddGround(-100.0f, 100.0f, 2400.0f, 2700.0f);
    Build(0);
    EXPECT_FALSE(IsLoopingCourse(stage_));
    EXPECT_FLOAT_EQ(Down(0.0f, 50.0f, 2500.0f), 0.5f);  // tested where it starts
    stage_.tileDepth = -1000.0f;
    EXPECT_FLOAT_EQ(Down(0.0f, 50.0f, 2500.0f), 0.5f);

    // Far and infinite starts on a looping course return at once.
    stage_.tileDepth = 1000.0f;
    AddGround(-100.0f, 100.0f, 400.0f, 700.0f);
    Build(0);
    EXPECT_EQ(Down(0.0f, 50.0f, 1.0e30f), -1.0f);
    EXPECT_EQ(Down(0.0f, 50.0f, INFINITY), -1.0f);
    EXPECT_EQ(Down(0.0f, 50.0f, NAN), -1.0f);
    EXPECT_FLOAT_EQ(Down(0.0f, 50.0f, 2500.0f + 1000.0f * 4000.0f), 0.5f);
}

TEST_F(CollisionTest, WithoutACurrentStageNothingIsSolid) {
    AddGround(-100.0f, 300.0f, -100.0f, 300.0f);
    Build(0);
    gCurrentStage = nullptr;
    EXPECT_EQ(Down(0.0f, 50.0f, 0.0f), -1.0f);
}

TEST_F(CollisionTest, ClearingTheMarksResetsEveryTriangleKind) {
    gMapTriangles[0].kind = 5;
    gMapTriangles[kMapTriangleMax - 1].kind = 2;
    ClearMapTriangleMarks();
    EXPECT_EQ(gMapTriangles[0].kind, 0);
    EXPECT_EQ(gMapTriangles[kMapTriangleMax - 1].kind, 0);
}

struct Spawn {
    char how;  // 'p' at a point, 'g' on a polygon
    gfx::Vec3 centre, orientation;
    const CollisionPolygon* polygon;
    int type, segment;
};
std::vector<Spawn> gSpawns;

void SpawnAtPoint(const gfx::Vec3& c, const gfx::Vec3& m, int type, int segment) {
    gSpawns.push_back({'p', c, m, nullptr, type, segment});
}
void SpawnOnPolygon(const CollisionPolygon& p, int type, int segment) {
    gSpawns.push_back({'g', {}, {}, &p, type, segment});
}

TEST_F(CollisionTest, EachMarkedTrianglePlacesOneEnemyByItsKind) {
    AddGround(0.0f, 30.0f, 0.0f, 60.0f, 9.0f);  // ground: nothing
    Build(0);
    for (int32_t kind = 1; kind <= 7; ++kind) {
        AddGround(0.0f, 30.0f, 0.0f, 60.0f, 9.0f, kind);
    }
    Build(1);
    stage_.mapCount = 2;
    gSpawns.clear();

    SpawnMapPlacedEnemies();  // no spawners yet: nothing happens
    EXPECT_TRUE(gSpawns.empty());

    gMapPlacementSpawners = {SpawnAtPoint, SpawnOnPolygon};
    SpawnMapPlacedEnemies();
    ASSERT_EQ(gSpawns.size(), 6u);  // kind 3 places nothing
    const int types[] = {6, 7, 26, 27, 17, 18};
    for (size_t i = 0; i < gSpawns.size(); ++i) {
        EXPECT_EQ(gSpawns[i].type, types[i]);
        EXPECT_EQ(gSpawns[i].segment, 1);
    }
    // The centre is mirrored into the world; the orientation E0 x E1 is neither normalised
    // nor mirrored: E0 = (30, 0, 0), E1 = (-30, 0, 60).
    EXPECT_EQ(gSpawns[0].how, 'p');
    EXPECT_FLOAT_EQ(gSpawns[0].centre.x, -10.0f);
    EXPECT_FLOAT_EQ(gSpawns[0].centre.y, 9.0f);
    EXPECT_FLOAT_EQ(gSpawns[0].centre.z, 20.0f);
    EXPECT_FLOAT_EQ(gSpawns[0].orientation.x, 0.0f);
    EXPECT_FLOAT_EQ(gSpawns[0].orientation.y, -1800.0f);
    EXPECT_FLOAT_EQ(gSpawns[0].orientation.z, 0.0f);
    // Kinds 6 and 7 pass the polygon itself.
    EXPECT_EQ(gSpawns[4].how, 'g');
    EXPECT_EQ(gSpawns[4].polygon, &gCollisionSegments[1].polygons[5]);
    EXPECT_EQ(MapPlacementRuleOf(3).action, MapPlacementAction::None);
    EXPECT_EQ(MapPlacementRuleOf(99).action, MapPlacementAction::None);
}

}  // namespace

namespace {

// The course scan polygon by polygon, without any index: the reference the query must agree
// with whatever the index picks.
int ScanCourse(float x, float y, float z, float dx, float dy, float dz, float* tOut) {
    const StageInfo& stage = *gCurrentStage;
    bool placed = stage.mapType == 2;
    bool looping = IsLoopingCourse(stage);
    if (!placed) {
        if (looping) {
            while (z > stage.tileDepth) z -= stage.tileDepth;
        }
        y -= stage.floorHeight;
    }
    float xm = -x;
    float d[3] = {-dx, dy, dz};
    float qmin[3] = {xm - std::fabs(d[0]), y - std::fabs(dy), z - std::fabs(dz)};
    float qmax[3] = {xm + std::fabs(d[0]), y + std::fabs(dy), z + std::fabs(dz)};
    for (int pass = 0; pass < (looping ? 2 : 1); ++pass) {
        float zp = pass == 0 ? z : z - stage.tileDepth;
        for (int s = 0; s < stage.mapCount; ++s) {
            const CollisionSegment& seg = gCollisionSegments[s];
            if (placed && !(seg.minX <= qmax[0] && seg.maxX >= qmin[0] && seg.minZ <= qmax[2] &&
                            seg.maxZ >= qmin[2])) {
                continue;
            }
            const float* o = gGameState.segmentOffset[s];
            float p[3] = {xm + o[0], y - o[1], zp - o[2]};
            for (int i = 0; i < seg.count; ++i) {
                const CollisionPolygon& g = seg.polygons[i];
                if (g.kind != 0) continue;
                bool inBox = true;
                for (int a = 0; a < 3; ++a)
                    inBox = inBox && g.boxMin[a] <= qmax[a] && g.boxMax[a] >= qmin[a];
                if (placed && !inBox) continue;
                float side =
                    g.normal[0] * p[0] + g.normal[1] * p[1] + g.normal[2] * p[2] + g.distance;
                float facing = g.normal[0] * d[0] + g.normal[1] * d[1] + g.normal[2] * d[2];
                if (!(side >= 0.0f) || !(facing < 0.0f)) continue;
                bool inside = true;
                for (int k = 0; k < 3; ++k) {
                    float c[3] = {d[1] * g.ez[k] - d[2] * g.ey[k], d[2] * g.ex[k] - d[0] * g.ez[k],
                                  d[0] * g.ey[k] - d[1] * g.ex[k]};
                    float along =
                        (p[0] - g.vx[k]) * c[0] + (p[1] - g.vy[k]) * c[1] + (p[2] - g.vz[k]) * c[2];
                    inside = inside && along >= 0.0f;
                }
                float t = -side / facing;
                if (!inside || !(t <= 1.0f)) continue;
                *tOut = t;
                return s * 100000 + i + 1;
            }
        }
    }
    return 0;
}

// The unit normal of the polygon a scan answer names, as a hit on it reports it.
gfx::Vec3 NormalOfScanHit(int answer) {
    const CollisionPolygon& p = gCollisionSegments[static_cast<size_t>((answer - 1) / 100000)]
                                    .polygons[(answer - 1) % 100000];
    float m[3] = {p.ey[0] * p.ez[1] - p.ez[0] * p.ey[1], p.ez[0] * p.ex[1] - p.ex[0] * p.ez[1],
                  p.ex[0] * p.ey[1] - p.ey[0] * p.ex[1]};
    float length = std::sqrt(m[0] * m[0] + m[1] * m[1] + m[2] * m[2]);
    return gfx::Vec3{m[0] / length, m[1] / length, m[2] / length};
}

// The indexed query against the scan of every polygon: the same answer, the same fraction
// and the same polygon struck (told by its normal). *hits counts the hits.
testing::AssertionResult AgreesWithTheScan(float x, float y, float z, float dx, float dy, float dz,
                                           int* hits) {
    float t1 = -1.0f, t2 = -1.0f;
    int expected = ScanCourse(x, y, z, dx, dy, dz, &t1);
    int got = RaycastCourse(x, y, z, dx, dy, dz, &t2);
    if (got != (expected != 0)) {
        return testing::AssertionFailure() << "hit " << got << ", the scan " << (expected != 0);
    }
    if (!got) return testing::AssertionSuccess();
    if (t2 != t1) return testing::AssertionFailure() << "fraction " << t2 << ", the scan " << t1;
    gfx::Vec3 n = NormalOfScanHit(expected);
    const gfx::Vec3& h = gCourseHitNormal;
    if (h.x != n.x || h.y != n.y || h.z != n.z) {
        return testing::AssertionFailure()
               << "normal (" << h.x << ", " << h.y << ", " << h.z << "), the scan struck polygon "
               << (expected - 1) % 100000 << " of segment " << (expected - 1) / 100000 << " with ("
               << n.x << ", " << n.y << ", " << n.z << ")";
    }
    ++*hits;
    return testing::AssertionSuccess();
}

uint32_t gSeed = 1;
float Random(float lo, float hi) {
    gSeed = gSeed * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(gSeed >> 8) / 16777216.0f;
}

TEST_F(CollisionTest, TheIndexedQueryAgreesWithAScanOfEveryPolygon) {
    // Two segments of rolling ground with scattered triangles of every size on top, a few of
    // them marked, the second segment moved by offsets.
    for (int slot = 0; slot < 2; ++slot) {
        for (int zi = 0; zi < 30; ++zi) {
            for (int xi = 0; xi < 20; ++xi) {
                float x = xi * 20.0f - 200.0f, z = zi * 20.0f;
                Point a{x, Random(-5, 5), z}, b{x, Random(-5, 5), z + 20},
                    c{x + 20, Random(-5, 5), z + 20};
                Add(a, b, c);
                Add(a, c, {x + 20, Random(-5, 5), z});
            }
        }
        for (int k = 0; k < 400; ++k) {
            float size = k % 50 == 0 ? 400.0f : Random(1.0f, 40.0f);
            Point a{Random(-250, 250), Random(0, 60), Random(-50, 650)};
            Add(a, {a.x + Random(-size, size), a.y + Random(-9, 9), a.z + Random(-size, size)},
                {a.x + Random(-size, size), a.y + Random(-9, 9), a.z + Random(-size, size)},
                k % 37 == 0 ? 2 : 0);
        }
        Build(slot);
    }
    stage_.mapCount = 2;
    gGameState.segmentOffset[1][0] = 60.0f;
    gGameState.segmentOffset[1][1] = -8.0f;
    gGameState.segmentOffset[1][2] = 90.0f;

    int hits = 0;
    for (int course = 0; course < 2; ++course) {
        stage_.mapType = course == 0 ? 2 : 0;
        stage_.tileDepth = 600.0f;
        stage_.floorHeight = course == 0 ? 0.0f : 3.0f;
        for (int k = 0; k < 5000; ++k) {
            float x = Random(-300, 300), y = Random(-20, 120), z = Random(-100, 1400);
            float dx = 0.0f, dy = -Random(10, 1000), dz = 0.0f;
            if (k % 3 == 1) {  // slanted, sometimes long, sometimes far beyond the course
                dx = Random(-60, 60), dy = Random(-120, 40), dz = Random(-60, 60);
                if (k % 30 == 1) dx *= 20.0f, dz *= 20.0f;
                if (k % 30 == 4) dx *= 1000.0f, dy *= 1000.0f, dz *= 1000.0f;
            } else if (k % 3 == 2) {  // up from below
                dy = -dy;
            }
            ASSERT_TRUE(AgreesWithTheScan(x, y, z, dx, dy, dz, &hits))
                << "ray " << k << " course " << course;
        }
    }
    EXPECT_GT(hits, 2000);
}

TEST_F(CollisionTest, SegmentsGrazingTiltedGroundAgreeWithTheScan) {
    // A tilted plane of small coplanar quads, away from the origin; segments start on it or
    // just above and run along it, sinking into it at slopes from 1/3000 to 1/10, some of
    // them far beyond the plane. These are the queries where the ray test's rounding is
    // largest short of deciding the answer.
    const float kSlopeX = 0.26f, kSlopeZ = 0.142f, kSide = 50.0f, kOrigin = 3000.0f;
    auto height = [&](float x, float z) { return kSlopeX * x + kSlopeZ * z; };
    for (int zi = 0; zi < 40; ++zi) {
        for (int xi = 0; xi < 40; ++xi) {
            float x = kOrigin + xi * kSide, z = kOrigin + zi * kSide;
            Point a{x, height(x, z), z}, b{x, height(x, z + kSide), z + kSide},
                c{x + kSide, height(x + kSide, z + kSide), z + kSide},
                d{x + kSide, height(x + kSide, z), z};
            Add(a, b, c);
            Add(a, c, d);
        }
    }
    Build(0);
    stage_.mapType = 0;
    stage_.tileDepth = 1.0e6f;

    int hits = 0;
    for (int k = 0; k < 6000; ++k) {
        float x = kOrigin + Random(0, 40 * kSide), z = kOrigin + Random(0, 40 * kSide);
        float y = height(x, z) + (k % 3 == 0 ? 0.0f : Random(0.0f, 0.5f));
        float length = Random(1.0f, k % 4 == 0 ? 3000.0f : (k % 4 == 2 ? 100000.0f : 200.0f));
        float angle = Random(0.0f, 6.2831853f);
        float dx = std::cos(angle) * length, dz = std::sin(angle) * length;
        float dy = kSlopeX * dx + kSlopeZ * dz - std::pow(10.0f, Random(-3.5f, -1.0f)) * length;
        // World x is the mirrored course x.
        ASSERT_TRUE(AgreesWithTheScan(-x, y, z, -dx, dy, dz, &hits)) << "ray " << k;
    }
    EXPECT_GT(hits, 2000);
}

}  // namespace

namespace {

TEST_F(CollisionTest, ASegmentCrowdedWithWideTrianglesAgreesWithTheScan) {
    // Wide triangles that all cover the whole segment: in fine cells they would outgrow the
    // index, which takes coarse ones.
    for (int k = 0; k < 3000; ++k) {
        float y = Random(0, 100);
        AddGround(-500.0f, 500.0f + Random(0, 50), -500.0f, 500.0f, y);
    }
    Build(0);
    int hits = 0;
    for (int k = 0; k < 200; ++k) {
        float x = Random(-200, 200), z = Random(-200, 200);
        ASSERT_TRUE(AgreesWithTheScan(x, 150.0f, z, 0.0f, -200.0f, 0.0f, &hits)) << "ray " << k;
    }
    EXPECT_GT(hits, 50);
}

// Rays where the index's arithmetic decides most: exactly on the borders of its cells and one
// float step beside them, along a border, straight down or up, of no length, and with a
// component that is not a finite number.
TEST_F(CollisionTest, RaysOnCellBordersAndDegenerateRaysAgreeWithTheScan) {
    // Rolling ground of tilted squares whose corners stand away from the cell borders, and
    // small steep triangles on top.
    for (int zi = 0; zi < 24; ++zi) {
        for (int xi = 0; xi < 16; ++xi) {
            float x = xi * 25.0f - 190.0f, z = zi * 25.0f + 3.0f;
            Point a{x, Random(-5, 5), z}, b{x, Random(-5, 5), z + 25},
                c{x + 25, Random(-5, 5), z + 25};
            Add(a, b, c);
            Add(a, c, {x + 25, Random(-5, 5), z});
        }
    }
    for (int k = 0; k < 120; ++k) {
        Point a{Random(-190, 210), Random(0, 30), Random(3, 603)};
        Add(a, {a.x + Random(-8, 8), a.y + 20, a.z + Random(-8, 8)},
            {a.x + Random(-8, 8), a.y - 20, a.z + Random(-8, 8)});
    }
    Build(0);
    // The same index the query uses, for the positions of its borders (course coordinates;
    // world x is the mirrored course x).
    auto grid = std::make_unique<CourseGrid>();
    BuildCourseGrid(gCollisionSegments[0], grid.get());
    ASSERT_TRUE(grid->usable);
    ASSERT_GT(grid->columns, 4);
    ASSERT_GT(grid->rows, 4);
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto up = [](float v) { return std::nextafter(v, INFINITY); };
    auto down = [](float v) { return std::nextafter(v, -INFINITY); };

    struct Ray {
        const char* name;
        float x, y, z, dx, dy, dz;  // course coordinates
    };
    std::vector<Ray> rays;
    for (int border = 1; border < 4; ++border) {
        // The float nearest each border as the index places it.
        auto bx = static_cast<float>(static_cast<double>(grid->originX) +
                                     static_cast<double>(grid->cellWidth) * (border + 1));
        auto bz = static_cast<float>(static_cast<double>(grid->originZ) +
                                     static_cast<double>(grid->cellDepth) * (border + 2));
        float mx = bx + 0.37f * grid->cellWidth, mz = bz + 0.41f * grid->cellDepth;
        for (float x : {bx, down(bx), up(bx)}) {
            rays.push_back({"down on a column border", x, 60.0f, mz, 0.0f, -120.0f, 0.0f});
            rays.push_back({"up on a column border", x, -60.0f, mz, 0.0f, 120.0f, 0.0f});
            rays.push_back(
                {"along a column border", x, 30.0f, bz, 0.0f, -6.0f, 9.0f * grid->cellDepth});
            rays.push_back(
                {"slanted onto a column border", x - 40.0f, 40.0f, mz, 40.0f, -80.0f, 0.0f});
        }
        for (float z : {bz, down(bz), up(bz)}) {
            rays.push_back({"down on a row border", mx, 60.0f, z, 0.0f, -120.0f, 0.0f});
            rays.push_back(
                {"along a row border", bx, 30.0f, z, 9.0f * grid->cellWidth, -6.0f, 0.0f});
            rays.push_back(
                {"slanted onto a row border", mx, 40.0f, z - 40.0f, 0.0f, -80.0f, 40.0f});
        }
        for (float x : {bx, down(bx), up(bx)}) {
            for (float z : {bz, down(bz), up(bz)}) {
                rays.push_back({"down on a corner", x, 60.0f, z, 0.0f, -120.0f, 0.0f});
                rays.push_back(
                    {"through a corner", x - 30.0f, 40.0f, z - 30.0f, 60.0f, -80.0f, 60.0f});
                rays.push_back({"no length on a corner", x, 0.0f, z, 0.0f, 0.0f, 0.0f});
            }
        }
        rays.push_back({"no length above the ground", mx, 20.0f, mz, 0.0f, 0.0f, 0.0f});
        rays.push_back({"ending exactly at a border", mx, 40.0f, mz, bx - mx, -80.0f, 0.0f});
        rays.push_back({"starting exactly at a border", bx, 40.0f, mz, 25.0f, -80.0f, 0.0f});
    }
    // The grid's own outer borders.
    auto endX = static_cast<float>(static_cast<double>(grid->originX) +
                                   static_cast<double>(grid->cellWidth) * grid->columns);
    auto endZ = static_cast<float>(static_cast<double>(grid->originZ) +
                                   static_cast<double>(grid->cellDepth) * grid->rows);
    rays.push_back(
        {"down on the grid's first border", grid->originX, 60.0f, 100.0f, 0.0f, -120.0f, 0.0f});
    rays.push_back({"down on the grid's last border", endX, 60.0f, endZ, 0.0f, -120.0f, 0.0f});
    rays.push_back({"along the grid's last border", down(endX), 30.0f, 10.0f, 0.0f, -6.0f, 500.0f});
    const Ray sound{"", 10.0f, 60.0f, 200.0f, 3.0f, -120.0f, 2.0f};
    for (int component = 0; component < 6; ++component) {
        for (float bad : {nan, inf, -inf}) {
            Ray r = sound;
            r.name = bad != bad ? "a component that is not a number" : "an infinite component";
            float* fields[6] = {&r.x, &r.y, &r.z, &r.dx, &r.dy, &r.dz};
            *fields[component] = bad;
            rays.push_back(r);
        }
    }

    int hits = 0;
    for (size_t k = 0; k < rays.size(); ++k) {
        const Ray& r = rays[k];
        ASSERT_TRUE(AgreesWithTheScan(-r.x, r.y, r.z, -r.dx, r.dy, r.dz, &hits))
            << r.name << " (ray " << k << " from " << r.x << ", " << r.y << ", " << r.z << " by "
            << r.dx << ", " << r.dy << ", " << r.dz << ")";
    }
    EXPECT_GT(hits, static_cast<int>(rays.size()) / 3);
}

}  // namespace
