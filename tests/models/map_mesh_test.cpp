// The map-mesh text reader: frames and meshes in the usual exported layout, part kinds from
// material names, the turned boss map, polygons, limits and malformed lines.
#include "engine/stagefiles/map_mesh.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(MapMeshReader, MalformedLinesEndTheReadingCleanly) {
    vqtest::ScratchFolder folder;
    // The second face names vertex 9 of a four-vertex mesh.
    folder.Write("bad_index.x", File(Part("P", 0, kSquare, "   3;0,1,2;,\n   3;0,2,9;;\n", 2,
                                          kOneMaterialList, "{l_houdai}")));
    MapMeshCounts c = Read("bad_index.x");
    EXPECT_EQ(c.vertices, 4);
    EXPECT_EQ(c.triangles, 1);
    EXPECT_EQ(gMapTriangles[0].kind, kPartGround);  // the list was never reached

    const std::string noSeparators = "   4;\n   0.0 0.0 0.0,\n";
    folder.Write("bad_vertex.x",
                 File(Part("P", 0, noSeparators, kTwoFaces, 2, kOneMaterialList, "{x}")));
    c = Read("bad_vertex.x");
    EXPECT_EQ(c.vertices, 0);
    EXPECT_EQ(c.triangles, 0);

    folder.Write("bad_face.x",
                 File(Part("P", 0, kSquare, "   3 0,1,2\n", 1, kOneMaterialList, "{x}")));
    EXPECT_EQ(Read("bad_face.x").triangles, 0);
    folder.Write("short_face.x",
                 File(Part("P", 0, kSquare, "   3;0,1;;\n", 1, kOneMaterialList, "{x}")));
    EXPECT_EQ(Read("short_face.x").triangles, 0);
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
