// The map-mesh text reader: frames and meshes in the usual exported layout, part kinds from
// material names, the turned boss map, polygons, limits and malformed lines.
#include "engine/stagefiles/map_mesh.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/overlay/fade.h"
#include "tests/models/model_fixture.h"
#include "tests/models/scratch_folder.h"
#include "world/course/collision.h"

namespace {

std::string Matrix(const char* indent, float tx, float ty, float tz) {
    std::string s = std::string(indent) + "FrameTransformMatrix {\n";
    s += std::string(indent) + " 1.000000,0.000000,0.000000,0.000000,\n";
    s += std::string(indent) + " 0.000000,1.000000,0.000000,0.000000,\n";
    s += std::string(indent) + " 0.000000,0.000000,1.000000,0.000000,\n";
    s += std::string(indent) + " " + std::to_string(tx) + "," + std::to_string(ty) + "," +
         std::to_string(tz) + ",1.000000;;\n";
    s += std::string(indent) + "}\n";
    return s;
}

// One mesh part: a frame with its matrix and a mesh of the given vertices and faces, whose
// material list ends with `reference`.
std::string Part(const char* name, float tx, const std::string& vertices, const std::string& faces,
                 int faceCount, const std::string& list, const std::string& reference) {
    std::string s = std::string(" Frame ") + name + " {\n" + Matrix("  ", tx, 0.0f, 0.0f);
    s += "  Mesh {\n" + vertices + "   " + std::to_string(faceCount) + ";\n" + faces;
    s += "   MeshMaterialList {\n" + list + "    " + reference + "\n   }\n  }\n }\n";
    return s;
}

const std::string kSquare =
    "   4;\n"
    "   0.000000;0.000000;0.000000;,\n"
    "   1.000000;0.000000;0.000000;,\n"
    "   1.000000;0.000000;1.000000;,\n"
    "   0.000000;0.000000;1.000000;;\n";
const std::string kTwoFaces =
    "   3;0,1,2;,\n"
    "   3;0,2,3;;\n";
const std::string kOneMaterialList = "    1;\n    2;\n    0,\n    0;;\n";

std::string File(const std::string& parts) {
    return "xof 0302txt 0032\n\nFrame Root {\n" + Matrix(" ", 100.0f, 100.0f, 100.0f) + parts +
           "}\n";
}

MapMeshCounts Read(const std::string& path, MapReadResult expected = MapReadResult::Read) {
    MapMeshCounts counts{-1, -1, -1};
    EXPECT_EQ(ReadMapMesh(path.c_str(), &counts), expected);
    return counts;
}

TEST(MapMeshReader, TurretPartsGiveKindsAndEnemyCounts) {
    vqtest::ScratchFolder folder;
    folder.Write("xfile/stage1/map01.x",
                 File(Part("P", 0, kSquare, kTwoFaces, 2, kOneMaterialList, "{l_houdai}")));
    MapMeshCounts c = Read("xfile/stage1/map01.x");
    EXPECT_EQ(c.vertices, 4);
    EXPECT_EQ(c.triangles, 2);
    EXPECT_EQ(c.enemies, 0);
    EXPECT_EQ(gMapTriangles[0].kind, kPartLargeTurret);
    EXPECT_EQ(gMapTriangles[1].kind, kPartLargeTurret);
    EXPECT_EQ(gMapTriangles[1].vertex[2], 3);

    folder.Write("small.x",
                 File(Part("P", 0, kSquare, kTwoFaces, 2, kOneMaterialList, "{s_houdai}")));
    c = Read("small.x");
    EXPECT_EQ(c.enemies, 2);
    EXPECT_EQ(gMapTriangles[0].kind, kPartSmallTurret);
}

TEST(MapMeshReader, KindNamesArePrefixesRightAfterTheBrace) {
    EXPECT_EQ(MapPartKindFromName("l_houdai}"), kPartLargeTurret);
    EXPECT_EQ(MapPartKindFromName("l_houdai_big}"), kPartLargeTurret);
    EXPECT_EQ(MapPartKindFromName(" l_houdai}"), kPartGround);
    EXPECT_EQ(MapPartKindFromName("sentou_koa01"), kPartBattleCore);
    EXPECT_EQ(MapPartKindFromName("kurank"), kPartCrank);
    EXPECT_EQ(MapPartKindFromName("renketu"), kPartLink);
    EXPECT_EQ(MapPartKindFromName("mobu_s_houdai"), kPartMobSmallTurret);
    EXPECT_EQ(MapPartKindFromName("mobu_core}"), kPartMobCore);
    EXPECT_EQ(MapPartKindFromName("mobu_"), kPartGround);
    EXPECT_EQ(MapPartKindFromName("ground"), kPartGround);
    EXPECT_EQ(MapPartKindFromName(""), kPartGround);

    vqtest::ScratchFolder folder;
    folder.Write("blank.x",
                 File(Part("P", 0, kSquare, kTwoFaces, 2, kOneMaterialList, "{ l_houdai}")));
    Read("blank.x");
    EXPECT_EQ(gMapTriangles[0].kind, kPartGround);
    folder.Write("nobrace.x",
                 File(Part("P", 0, kSquare, kTwoFaces, 2, kOneMaterialList, "l_houdai")));
    EXPECT_EQ(Read("nobrace.x").triangles, 2);
    EXPECT_EQ(gMapTriangles[0].kind, kPartGround);
}

TEST(MapMeshReader, EachMeshUsesItsOwnFrameAndOffsetsItsIndices) {
    vqtest::ScratchFolder folder;
    const std::string twoMaterials = "    2;\n    2;\n    1,\n    0;;\n";
    std::string parts =
        Part("A", 10.0f, kSquare, kTwoFaces, 2, twoMaterials, "{kurank}\n    {l_houdai}") +
        Part("B", -5.0f, kSquare, kTwoFaces, 2, kOneMaterialList, "{ground}");
    folder.Write("two.x", File(parts));
    MapMeshCounts c = Read("two.x");
    EXPECT_EQ(c.vertices, 8);
    EXPECT_EQ(c.triangles, 4);
    // The root frame's matrix (100, 100, 100) is never applied.
    EXPECT_FLOAT_EQ(gMapVertices[1].x, 11.0f);
    EXPECT_FLOAT_EQ(gMapVertices[1].y, 0.0f);
    EXPECT_FLOAT_EQ(gMapVertices[5].x, -4.0f);
    // The first reference gives the kind of all the mesh's faces.
    EXPECT_EQ(gMapTriangles[0].kind, kPartCrank);
    EXPECT_EQ(gMapTriangles[1].kind, kPartCrank);
    EXPECT_EQ(gMapTriangles[2].kind, kPartGround);
    EXPECT_EQ(gMapTriangles[2].vertex[0], 4);
    EXPECT_EQ(gMapTriangles[3].vertex[2], 7);
}

TEST(MapMeshReader, TheTurnedBossMapIsTurnedUpright) {
    vqtest::ScratchFolder folder;
    const std::string point =
        "   3;\n"
        "   1.000000;0.000000;0.000000;,\n"
        "   0.000000;1.000000;0.000000;,\n"
        "   0.000000;0.000000;1.000000;;\n";
    std::string text =
        File(Part("P", 0, point, "   3;0,1,2;;\n", 1, "    1;\n    1;\n    0;;\n", "{x}"));
    folder.Write("xfile/bossS01/boss01.x", text);
    Read("xfile/bossS01/boss01.x");
    EXPECT_NEAR(gMapVertices[0].x, 0.0f, 1e-6);
    EXPECT_NEAR(gMapVertices[0].y, 0.0f, 1e-6);
    EXPECT_NEAR(gMapVertices[0].z, 1.0f, 1e-6);
    EXPECT_NEAR(gMapVertices[1].y, -1.0f, 1e-6);  // the half turn about z
    folder.Write("xfile/bossS01/boss02.x", text);
    Read("xfile/bossS01/boss02.x");
    EXPECT_FLOAT_EQ(gMapVertices[0].x, 1.0f);
}

TEST(MapMeshReader, PolygonsBecomeFansSoCollisionMatchesTheDrawing) {
    vqtest::ScratchFolder folder;
    folder.Write("quad.x", File(Part("P", 0, kSquare, "   4;0,1,2,3;;\n", 1,
                                     "    1;\n    1;\n    0;;\n", "{s_houdai}")));
    MapMeshCounts c = Read("quad.x");
    EXPECT_EQ(c.triangles, 2);
    EXPECT_EQ(c.enemies, 2);
    EXPECT_EQ(gMapTriangles[1].vertex[0], 0);
    EXPECT_EQ(gMapTriangles[1].vertex[1], 2);
    EXPECT_EQ(gMapTriangles[1].vertex[2], 3);
    EXPECT_EQ(gMapTriangles[1].kind, kPartSmallTurret);
}

// Each damaged mesh is followed by a sound one that must keep its collision: a damaged line
// costs its own vertex, face or row and nothing after it.
TEST(MapMeshReader, MalformedLinesArePassedOverAndLaterMeshesKeepTheirCollision) {
    struct Triangle {
        int32_t a, b, c, kind;
    };
    struct Case {
        const char* name;
        std::string damaged;  // the first mesh part
        int32_t vertices;
        std::vector<Triangle> triangles;  // of the whole file, the sound mesh's last
    };
    // The sound mesh: four vertices from `base` on, two small-turret triangles.
    auto sound = [](int32_t base) {
        return std::vector<Triangle>{{base, base + 1, base + 2, kPartSmallTurret},
                                     {base, base + 2, base + 3, kPartSmallTurret}};
    };
    auto join = [](std::vector<Triangle> a, const std::vector<Triangle>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const std::string badVertex =
        "   4;\n"
        "   0.0 0.0 0.0,\n"
        "   1.000000;0.000000;0.000000;,\n"
        "   1.000000;0.000000;1.000000;,\n"
        "   0.000000;0.000000;1.000000;;\n";
    const std::string negative = "   -4;\n   0.0;0.0;0.0;,\n   3;0,1,2;;\n";
    const Case cases[] = {
        {"a face naming a vertex its mesh lacks",
         Part("P", 0, kSquare, "   3;0,1,2;,\n   3;0,2,9;;\n", 2, kOneMaterialList, "{l_houdai}"),
         8, join({{0, 1, 2, kPartLargeTurret}}, sound(4))},
        {"a vertex without separators",
         Part("P", 0, badVertex, "   3;0,1,2;,\n   3;1,2,3;;\n", 2, kOneMaterialList, "{kurank}"),
         8, join({{1, 2, 3, kPartCrank}}, sound(4))},
        {"a face without its ';'",
         Part("P", 0, kSquare, "   3 0,1,2\n   3;0,2,3;;\n", 2, kOneMaterialList, "{kurank}"), 8,
         join({{0, 2, 3, kPartCrank}}, sound(4))},
        {"a face of two corners",
         Part("P", 0, kSquare, "   3;0,1;,\n   3;0,2,3;;\n", 2, kOneMaterialList, "{kurank}"), 8,
         join({{0, 2, 3, kPartCrank}}, sound(4))},
        {"a negative vertex count", Part("P", 0, negative, "", 1, kOneMaterialList, "{kurank}"), 4,
         sound(0)},
    };
    vqtest::ScratchFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.Write("map.x", File(c.damaged + Part("Q", 0, kSquare, kTwoFaces, 2, kOneMaterialList,
                                                    "{s_houdai}")));
        MapMeshCounts counts = Read("map.x");
        EXPECT_EQ(counts.vertices, c.vertices);
        EXPECT_EQ(counts.enemies, 2);
        EXPECT_EQ(counts.triangles, static_cast<int32_t>(c.triangles.size()));
        if (counts.triangles != static_cast<int32_t>(c.triangles.size())) continue;
        for (size_t t = 0; t < c.triangles.size(); ++t) {
            SCOPED_TRACE(t);
            const MapTriangle& got = gMapTriangles[t];
            const Triangle& want = c.triangles[t];
            EXPECT_EQ(got.vertex[0], want.a);
            EXPECT_EQ(got.vertex[1], want.b);
            EXPECT_EQ(got.vertex[2], want.c);
            EXPECT_EQ(got.kind, want.kind);
        }
    }
}

TEST(MapMeshReader, AFrameRowThatCannotBeReadIsTheIdentitys) {
    vqtest::ScratchFolder folder;
    std::string part = Part("P", 5.0f, kSquare, kTwoFaces, 2, kOneMaterialList, "{x}");
    // The first row loses its separators: read as far as it goes it would double x.
    const std::string row = "1.000000,0.000000,0.000000,0.000000,";
    part.replace(part.find(row), row.size(), "2.0 0.0 0.0 0.0");
    folder.Write("row.x", File(part));
    MapMeshCounts c = Read("row.x");
    EXPECT_EQ(c.triangles, 2);
    EXPECT_FLOAT_EQ(gMapVertices[1].x, 6.0f);
    EXPECT_FLOAT_EQ(gMapVertices[2].z, 1.0f);
}

TEST(MapMeshReader, FilesBeyondTheTablesAreRefused) {
    vqtest::ScratchFolder folder;
    std::string many = "   10241;\n";
    for (int i = 0; i < 10241; ++i) many += "   0.0;0.0;0.0;,\n";
    folder.Write("big.x", File(Part("P", 0, many, kTwoFaces, 2, kOneMaterialList, "{x}")));
    MapMeshCounts c = Read("big.x", MapReadResult::TooLarge);
    EXPECT_EQ(c.vertices, 0);
    EXPECT_EQ(c.triangles, 0);

    // Faces: 5121 quads would need 10242 triangles.
    std::string vertices =
        "   4;\n   0.0;0.0;0.0;,\n   1.0;0.0;0.0;,\n   1.0;1.0;0.0;,\n   0.0;1.0;0.0;;\n";
    std::string faces;
    for (int i = 0; i < 5121; ++i) faces += "   4;0,1,2,3;,\n";
    folder.Write("many_faces.x",
                 File(Part("P", 0, vertices, faces, 5121, kOneMaterialList, "{x}")));
    Read("many_faces.x", MapReadResult::TooLarge);

    Read("missing.x", MapReadResult::Missing);
}

// The hand-over to the course collision: the counts in the debug grid, the segment built from
// the file, a file beyond the tables reported and left without collision, a missing file
// silent with the segment as it was.
class ShipPartMeshTest : public vqtest::ModelTest {
protected:
    static std::string Row(int row) {
        return std::string(reinterpret_cast<const char*>(gDebugText.cells[row]), 6);
    }
};

TEST_F(ShipPartMeshTest, BuildsItsSegmentAndReportsWhatItCannotKeep) {
    vqtest::ScratchFolder::Write(
        "map.x", File(Part("P", 0, kSquare, kTwoFaces, 2, kOneMaterialList, "{s_houdai}")));
    EXPECT_EQ(LoadShipPartMesh("map.x", 3), 1);
    EXPECT_EQ(gCollisionSegments[3].count, 2);
    EXPECT_EQ(gCollisionSegments[3].polygons[0].kind, kPartSmallTurret);
    EXPECT_EQ(Row(5), "VERT:4");
    EXPECT_EQ(Row(6), "POLY:2");
    EXPECT_EQ(Row(7), "ENEM:2");

    std::string many = "   10241;\n";
    for (int i = 0; i < 10241; ++i) many += "   0.0;0.0;0.0;,\n";
    vqtest::ScratchFolder::Write("big.x",
                                 File(Part("P", 0, many, kTwoFaces, 2, kOneMaterialList, "{x}")));
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadShipPartMesh("big.x", 3), 1);
    const std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("[File Open Error] big.x"), std::string::npos) << shown;
    EXPECT_EQ(gCollisionSegments[3].count, 0);
    EXPECT_EQ(Row(5), "VERT:0");

    ASSERT_EQ(LoadShipPartMesh("map.x", 4), 1);
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadShipPartMesh("missing.x", 4), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(gCollisionSegments[4].count, 2);
    EXPECT_EQ(LoadShipPartMesh("map.x", kMapSlots), 0);
}

}  // namespace
