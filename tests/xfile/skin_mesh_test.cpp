// Skin meshes: bones from SkinWeights and the conversion for the indexed skinning programs
// (strongest four influences, palette split, vertex copies per bone combination).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "platform/xfile/mesh_loader.h"

namespace {

std::unique_ptr<gfx::Device> NullDevice() {
    return std::unique_ptr<gfx::Device>(gfx::CreateNullDevice(gfx::PresentParams{}));
}

struct SkinFixture {
    std::unique_ptr<gfx::Device> device = NullDevice();
    xfile::Document doc;
    xfile::LoadedSkinMesh loaded;

    xfile::LoadResult Load(const std::string& body, xfile::ParseError* error = nullptr) {
        std::string text = "xof 0302txt 0032\n" + body;
        if (!xfile::Parse(std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()),
                                                   text.size()),
                          &doc, error)) {
            return xfile::LoadResult::FileError;
        }
        return xfile::LoadSkinMesh(doc, doc.objects[doc.topLevel[0]], device.get(), &loaded, error);
    }
    ~SkinFixture() { delete loaded.skin; }
};

std::string Weights(const char* bone, const std::string& list, const char* offset = nullptr) {
    return std::string("SkinWeights { \"") + bone + "\"; " + list + " " +
           (offset ? offset : "1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;;") + " }\n";
}

struct BlendedVertex {
    gfx::Vec3 position;
    float weights[3];
    uint8_t index[4];
};

TEST(SkinMesh, StrongestFourInfluencesAreKeptAndRescaled) {
    SkinFixture f;
    std::string body =
        "Mesh Skin {\n"
        "  3; 0;0;0;, 1;0;0;, 0;1;0;;\n"
        "  1; 3;0,1,2;;\n"
        "  XSkinMeshHeader { 5; 5; 5; }\n" +
        Weights("b0", "3; 0,1,2; 0.1,1.0,1.0;") + Weights("b1", "1; 0; 0.2;") +
        Weights("b2", "1; 0; 0.3;", "2,0,0,0, 0,2,0,0, 0,0,2,0, 1,2,3,1;;") +
        Weights("b3", "1; 0; 0.25;") + Weights("b4", "1; 0; 0.15;") + "}\n";
    ASSERT_EQ(f.Load(body), xfile::LoadResult::Ok);
    gfx::SkinMesh* skin = f.loaded.skin;
    ASSERT_EQ(skin->GetNumBones(), 5u);
    EXPECT_EQ(skin->GetBone(2).name, "b2");
    EXPECT_FLOAT_EQ(skin->GetBone(2).offset.m[3][1], 2.0f);

    gfx::Mesh* mesh = nullptr;
    std::vector<gfx::BoneCombination> combos;
    ASSERT_EQ(skin->ConvertToIndexedBlendedMesh(28, &mesh, &combos), gfx::Result::Ok);
    EXPECT_EQ(mesh->GetFvf(), static_cast<uint32_t>(gfx::FVF_XYZB4 | gfx::FVF_LASTBETA_UBYTE4));
    ASSERT_EQ(mesh->GetNumBytesPerVertex(), sizeof(BlendedVertex));
    ASSERT_EQ(combos.size(), 1u);
    // Palette in order of first use: vertex 0's bones strongest first (b0's 0.1 is dropped),
    // then b0 for the other corners.
    EXPECT_EQ(combos[0].boneId[0], 2u);
    EXPECT_EQ(combos[0].boneId[1], 3u);
    EXPECT_EQ(combos[0].boneId[2], 1u);
    EXPECT_EQ(combos[0].boneId[3], 4u);
    EXPECT_EQ(combos[0].boneId[4], 0u);
    EXPECT_EQ(combos[0].boneId[5], gfx::kUnusedBone);

    BlendedVertex v[3];
    std::memcpy(v, mesh->GetVertexBuffer()->Data(), sizeof v);
    EXPECT_NEAR(v[0].weights[0], 0.3f / 0.9f, 1e-6);
    EXPECT_NEAR(v[0].weights[1], 0.25f / 0.9f, 1e-6);
    EXPECT_NEAR(v[0].weights[2], 0.2f / 0.9f, 1e-6);
    EXPECT_EQ(v[0].index[0], 0);
    EXPECT_EQ(v[0].index[3], 3);
    // A single influence: full weight in the first slot, the other slots weigh nothing.
    EXPECT_FLOAT_EQ(v[1].weights[0], 1.0f);
    EXPECT_FLOAT_EQ(v[1].weights[1], 0.0f);
    EXPECT_FLOAT_EQ(v[1].weights[2], 0.0f);
    EXPECT_EQ(v[1].index[0], 4);
    EXPECT_EQ(v[1].index[3], 4);
    mesh->Release();
}

TEST(SkinMesh, FortyBonesSplitIntoPalettesOfTwentyEight) {
    SkinFixture f;
    std::string body = "Mesh Skin {\n  120;";
    for (int i = 0; i < 120; ++i) body += " " + std::to_string(i) + ";0;0;,";
    body.back() = ';';
    body += "\n  40;";
    for (int t = 0; t < 40; ++t) {
        body += " 3;" + std::to_string(3 * t) + "," + std::to_string(3 * t + 1) + "," +
                std::to_string(3 * t + 2) + ";,";
    }
    body.back() = ';';
    body += "\n";
    for (int b = 0; b < 40; ++b) {
        std::string list = "3; " + std::to_string(3 * b) + "," + std::to_string(3 * b + 1) + "," +
                           std::to_string(3 * b + 2) + "; 1,1,1;";
        body += Weights(("bone" + std::to_string(b)).c_str(), list);
    }
    body += "}\n";
    ASSERT_EQ(f.Load(body), xfile::LoadResult::Ok);
    gfx::Mesh* mesh = nullptr;
    std::vector<gfx::BoneCombination> combos;
    ASSERT_EQ(f.loaded.skin->ConvertToIndexedBlendedMesh(40, &mesh, &combos), gfx::Result::Ok);
    EXPECT_EQ(mesh->GetFvf(), static_cast<uint32_t>(gfx::FVF_XYZB1 | gfx::FVF_LASTBETA_UBYTE4));
    ASSERT_EQ(combos.size(), 2u);
    EXPECT_EQ(combos[0].faceCount, 28u);
    EXPECT_EQ(combos[0].boneId[27], 27u);
    EXPECT_EQ(combos[1].faceStart, 28u);
    EXPECT_EQ(combos[1].faceCount, 12u);
    EXPECT_EQ(combos[1].boneId[0], 28u);
    EXPECT_EQ(combos[1].boneId[11], 39u);
    EXPECT_EQ(combos[1].boneId[12], gfx::kUnusedBone);
    EXPECT_EQ(combos[1].vertexStart, 84u);
    EXPECT_EQ(combos[1].vertexCount, 36u);
    // Every corner's palette entry names the triangle's own bone.
    const uint8_t* data = mesh->GetVertexBuffer()->Data();
    uint32_t stride = mesh->GetNumBytesPerVertex();
    for (uint32_t face = 0; face < 40; ++face) {
        const gfx::BoneCombination& c = combos[face < 28 ? 0 : 1];
        uint32_t vertex = mesh->GetIndex(face * 3);
        EXPECT_GE(vertex, c.vertexStart);
        EXPECT_LT(vertex, c.vertexStart + c.vertexCount);
        uint8_t slot = data[vertex * stride + 12];
        EXPECT_EQ(c.boneId[slot], face) << face;
    }
    mesh->Release();
}

TEST(SkinMesh, CombinationsOfDifferentMaterialsGetTheirOwnVertexCopies) {
    SkinFixture f;
    std::string body =
        "Material A { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
        "Material B { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
        "Mesh Skin {\n"
        "  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
        "  2; 3;0,1,2;, 3;0,2,3;;\n"
        "  MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
        "  MeshMaterialList { 2; 2; 0, 1;; {A} {B} }\n" +
        Weights("root", "4; 0,1,2,3; 1,1,1,1;") + "}\n";
    // The mesh is the second top-level object.
    std::string text = "xof 0302txt 0032\n" + body;
    ASSERT_TRUE(xfile::Parse(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()),
        &f.doc, nullptr));
    ASSERT_EQ(xfile::LoadSkinMesh(f.doc, f.doc.objects[f.doc.topLevel[2]], f.device.get(),
                                  &f.loaded, nullptr),
              xfile::LoadResult::Ok);
    ASSERT_EQ(f.loaded.materials.size(), 2u);
    gfx::Mesh* mesh = nullptr;
    std::vector<gfx::BoneCombination> combos;
    ASSERT_EQ(f.loaded.skin->ConvertToIndexedBlendedMesh(28, &mesh, &combos), gfx::Result::Ok);
    EXPECT_EQ(mesh->GetFvf(),
              static_cast<uint32_t>(gfx::FVF_XYZB1 | gfx::FVF_LASTBETA_UBYTE4 | gfx::FVF_NORMAL));
    ASSERT_EQ(combos.size(), 2u);
    EXPECT_EQ(combos[0].attribId, 0u);
    EXPECT_EQ(combos[1].attribId, 1u);
    EXPECT_EQ(mesh->GetNumVertices(), 6u);  // the shared diagonal is copied
    EXPECT_EQ(combos[1].vertexStart, 3u);
    EXPECT_EQ(combos[1].vertexCount, 3u);
    mesh->Release();
}

TEST(SkinMesh, SplitVerticesFollowTheirBonesAndBadWeightsAreRefused) {
    SkinFixture f;
    std::string body =
        "Mesh Skin {\n"
        "  3; 0;0;0;, 1;0;0;, 0;1;0;;\n"
        "  2; 3;0,1,2;, 3;0,2,1;;\n"
        "  MeshNormals { 2; 0;0;1;, 0;0;-1;; 2; 3;0,0,0;, 3;1,1,1;; }\n" +
        Weights("arm", "1; 1; 0.5;") + "}\n";
    ASSERT_EQ(f.Load(body), xfile::LoadResult::Ok);
    const gfx::Bone& arm = f.loaded.skin->GetBone(0);
    ASSERT_EQ(arm.vertices.size(), 2u);  // vertex 1 and its copy with the other normal
    EXPECT_EQ(arm.vertices[0], 1u);
    EXPECT_GE(arm.vertices[1], 3u);
    EXPECT_FLOAT_EQ(arm.weights[1], 0.5f);

    SkinFixture g;
    xfile::ParseError error;
    EXPECT_EQ(g.Load("Mesh S { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n" +
                         Weights("b", "1; 7; 1.0;") + "}\n",
                     &error),
              xfile::LoadResult::InvalidData);
    EXPECT_NE(error.message.find("SkinWeights"), std::string::npos);
    EXPECT_EQ(g.loaded.skin, nullptr);

    SkinFixture h;
    EXPECT_EQ(h.Load("Mesh S { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                     "SkinWeights { \"b\"; 1; 0; 1.0; 1,0,0; } }\n",
                     &error),
              xfile::LoadResult::InvalidData);

    SkinFixture empty;
    EXPECT_EQ(empty.Load("Mesh S { 0;; 0;; }\n"), xfile::LoadResult::NoData);
}

TEST(SkinMesh, MeshWithoutBonesCannotBeConverted) {
    SkinFixture f;
    ASSERT_EQ(f.Load("Mesh S { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; }\n"),
              xfile::LoadResult::Ok);
    EXPECT_EQ(f.loaded.skin->GetNumBones(), 0u);
    gfx::Mesh* mesh = nullptr;
    std::vector<gfx::BoneCombination> combos;
    EXPECT_EQ(f.loaded.skin->ConvertToIndexedBlendedMesh(28, &mesh, &combos),
              gfx::Result::InvalidCall);
    EXPECT_EQ(mesh, nullptr);
    EXPECT_EQ(f.loaded.skin->GetOriginalMesh()->GetNumFaces(), 1u);
}

}  // namespace
