// Static meshes: loading into records, the shared texture table and its limits, the kept and
// reduced vertex formats, the model folder, release and the missing file.
#include "engine/models/static_mesh.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/models/model_fixture.h"

namespace {

std::string Material(const char* name, const std::string& texture) {
    std::string s = std::string("Material ") + name + " { 1.0;0.5;0.25;1.0;; 4.0; 0;0;0;; 0;0;0;;";
    if (!texture.empty()) s += " TextureFilename { \"" + texture + "\"; }";
    return s + " }\n";
}

// A quad of two triangles with one material per triangle.
std::string Quad(const std::string& materials, const char* refs, bool lit = false) {
    std::string s = materials +
                    "Mesh Quad {\n"
                    " 4; 0;0;0;, 2;0;0;, 2;2;0;, 0;2;0;;\n"
                    " 2; 3;0,1,2;, 3;0,2,3;;\n"
                    " MeshMaterialList { 2; 2; 0, 1;; " +
                    std::string(refs) + " }\n";
    if (lit) {
        s += " MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
             " MeshVertexColors { 1; 0; 1;1;1;1;; }\n"
             " MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n";
    }
    return s + "}\n";
}

class StaticMeshTest : public vqtest::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        ResetSharedTextures();
    }
    void TearDown() override {
        ReleaseMesh(&a_);
        ReleaseMesh(&b_);
        ReleaseSharedTextures();
        ModelTest::TearDown();
    }
    StaticMesh a_, b_;
};

TEST_F(StaticMeshTest, MeshesOfAStageShareTexturesByWholeName) {
    WriteTexture("xfile/stage1/grass.bmp");
    WriteTexture("xfile/stage1/rock.bmp");
    WriteModel("xfile/stage1/map01.x",
               Quad(Material("G", "grass.bmp") + Material("R", "rock.bmp"), "{G} {R}"));
    WriteModel("xfile/stage1/map02.x",
               Quad(Material("R", "rock.bmp") + Material("S", "grass"), "{R} {S}"));
    ASSERT_EQ(LoadXMesh(&a_, "xfile/stage1/map01.x", 0), 1);
    ASSERT_EQ(LoadXMesh(&b_, "xfile/stage1/map02.x", 1), 1);
    EXPECT_STREQ(gModelFolder, "xfile/stage1/");
    EXPECT_EQ(a_.subsetCount, 2);
    EXPECT_EQ(a_.textureIndices[0], 0);
    EXPECT_EQ(a_.textureIndices[1], 1);
    EXPECT_EQ(b_.textureIndices[0], 1);  // the same picture: the same entry
    // "grass" is a name of its own, not a prefix of "grass.bmp".
    EXPECT_EQ(b_.textureIndices[1], 2);
    ASSERT_EQ(gSharedMeshTextures.count, 3);
    EXPECT_STREQ(gSharedMeshTextures.names[2], "grass");
    EXPECT_NE(gSharedMeshTextures.textures[0], nullptr);
    EXPECT_NE(gSharedMeshTextures.textures[1], nullptr);
    EXPECT_EQ(gSharedMeshTextures.textures[2], nullptr);  // no such file, still counted
    // Materials: ambient follows diffuse.
    EXPECT_FLOAT_EQ(a_.materials[0].ambient.g, 0.5f);
    EXPECT_FLOAT_EQ(a_.materials[0].power, 4.0f);
}

TEST_F(StaticMeshTest, TurretMountsGetNoTextureAndTheTableRefusesWhatItCannotHold) {
    std::string materials = Material("T", "l_houdai.tga") + Material("L", std::string(300, 'n'));
    WriteModel("m.x", Quad(materials, "{T} {L}"));
    ASSERT_EQ(LoadXMesh(&a_, "m.x", -1), 1);
    EXPECT_STREQ(gModelFolder, "");
    EXPECT_EQ(a_.textureIndices[0], -1);
    EXPECT_EQ(a_.textureIndices[1], -1);  // longer than a table name
    EXPECT_EQ(gSharedMeshTextures.count, 0);

    gSharedMeshTextures.count = kSharedMeshTextureSlots;
    for (int i = 0; i < kSharedMeshTextureSlots; ++i) {
        std::snprintf(gSharedMeshTextures.names[i], kSharedTextureNameBytes, "t%d.bmp", i);
    }
    WriteModel("n.x", Quad(Material("A", "t7.bmp") + Material("B", "new.bmp"), "{A} {B}"));
    ASSERT_EQ(LoadXMesh(&b_, "n.x", -1), 1);
    EXPECT_EQ(b_.textureIndices[0], 7);
    EXPECT_EQ(b_.textureIndices[1], -1);  // the table is full
    EXPECT_EQ(gSharedMeshTextures.count, kSharedMeshTextureSlots);
    ResetSharedTextures();
}

TEST_F(StaticMeshTest, LitColouredMeshesKeepTheirFormatOthersAreReduced) {
    WriteModel("lit.x", Quad(Material("A", "") + Material("B", ""), "{A} {B}", true));
    WriteModel("plain.x", Quad(Material("A", "") + Material("B", ""), "{A} {B}"));
    ASSERT_EQ(LoadXMesh(&a_, "lit.x", 0), 1);
    ASSERT_EQ(LoadXMesh(&b_, "plain.x", 1), 1);
    EXPECT_EQ(a_.mesh->GetFvf(), 0x152u);
    EXPECT_EQ(b_.mesh->GetFvf(), 0x102u);
    EXPECT_EQ(b_.mesh->GetNumFaces(), 2u);
    // Bounding sphere of the loaded vertices.
    EXPECT_FLOAT_EQ(a_.centre.x, 1.0f);
    EXPECT_FLOAT_EQ(a_.centre.y, 1.0f);
    EXPECT_NEAR(a_.radius, 1.41421356f, 1e-6);
    EXPECT_EQ(a_.adjacency.size(), 6u);
}

TEST_F(StaticMeshTest, ADotInAFolderNameDoesNotBreakTheTextureFolder) {
    WriteTexture("xfile/v1.5/stage/wall.bmp");
    WriteModel("xfile/v1.5/stage/map.x",
               Quad(Material("W", "wall.bmp") + Material("X", ""), "{W} {X}"));
    ASSERT_EQ(LoadXMesh(&a_, "xfile/v1.5/stage/map.x", 0), 1);
    EXPECT_STREQ(gModelFolder, "xfile/v1.5/stage/");
    ASSERT_EQ(gSharedMeshTextures.count, 1);
    EXPECT_NE(gSharedMeshTextures.textures[0], nullptr);
}

TEST_F(StaticMeshTest, MissingFilesAreReportedAndReleaseIsSafe) {
    ReleaseMesh(&a_);  // never loaded: nothing happens
    EXPECT_EQ(a_.mesh, nullptr);

    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadXMesh(&a_, "xfile/none.x", 0), 0);
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("[File Open Error] xfile/none.x"), std::string::npos) << shown;
    EXPECT_EQ(a_.mesh, nullptr);

    WriteModel("broken.x", "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,7;; }\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadXMesh(&a_, "broken.x", 0), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("broken.x"), std::string::npos);

    std::string deep(300, 'd');
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadXMesh(&a_, (deep + "/m.x").c_str(), 0), 0);  // folder longer than its field
    testing::internal::GetCapturedStderr();

    WriteModel("ok.x", Quad(Material("A", "") + Material("B", ""), "{A} {B}", true));
    ASSERT_EQ(LoadXMesh(&a_, "ok.x", 0), 1);
    int before = device_->destroyed;
    ReleaseMesh(&a_);
    EXPECT_EQ(a_.mesh, nullptr);
    EXPECT_TRUE(a_.materials.empty());
    EXPECT_EQ(device_->destroyed - before, 2);  // its vertex and index buffers
    // Loading into a record that holds a mesh releases the old one first.
    ASSERT_EQ(LoadXMesh(&a_, "ok.x", 0), 1);
    before = device_->destroyed;
    ASSERT_EQ(LoadXMesh(&a_, "ok.x", 0), 1);
    EXPECT_EQ(device_->destroyed - before, 2);
}

}  // namespace
