// Meshes from ".x" text: the merged mesh of a file, vertex splitting and formats, materials,
// malformed meshes, cloning, subset drawing and adjacency.
#include "platform/xfile/mesh_loader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

std::unique_ptr<gfx::Device> NullDevice() {
    return std::unique_ptr<gfx::Device>(gfx::CreateNullDevice(gfx::PresentParams{}));
}

bool ParseText(const std::string& text, xfile::Document* doc) {
    xfile::ParseError error;
    bool ok = xfile::Parse(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), doc,
        &error);
    EXPECT_TRUE(ok) << error.Describe();
    return ok;
}

xfile::LoadResult LoadText(gfx::Device* device, const std::string& body, xfile::LoadedMesh* out,
                           xfile::ParseError* error = nullptr) {
    xfile::Document doc;
    if (!ParseText("xof 0302txt 0032\n" + body, &doc)) return xfile::LoadResult::FileError;
    return xfile::LoadMeshFromDocument(doc, device, out, error);
}

gfx::Vec3 Position(const gfx::Mesh& mesh, uint32_t v) {
    gfx::Vec3 p;
    std::memcpy(&p, mesh.GetVertexBuffer()->Data() + v * mesh.GetNumBytesPerVertex(), sizeof p);
    return p;
}

// A unit quad in the z = 0 plane as one four-cornered polygon, with two materials named by
// the caller's material list.
const char* const kQuadMesh =
    "  Mesh Quad {\n"
    "    4; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 1.0;1.0;0.0;, 0.0;1.0;0.0;;\n"
    "    1; 4;0,1,2,3;;\n"
    "    MeshMaterialList { 1; 1; 0;; {Red} }\n"
    "  }\n";

// Four corners of a unit square in z = 0, for meshes of the tests to cut into faces.
const char* const kSquareVertices = "  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n";

const char* const kMaterials =
    "Material Red { 1.0;0.0;0.0;1.0;; 8.0; 0.5;0.5;0.5;; 0.0;0.0;0.0;;\n"
    "  TextureFilename { \"red.bmp\"; } }\n"
    "Material Blue { 0.0;0.0;1.0;0.5;; 1.0; 0.0;0.0;0.0;; 0.1;0.2;0.3;; }\n";

TEST(MergedMesh, TwoFramesAreMovedByTheirTransformsAndMerged) {
    auto device = NullDevice();
    std::string body = std::string(kMaterials) +
                       "Frame A {\n"
                       "  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }\n" +
                       kQuadMesh +
                       "  Frame B {\n"
                       "    FrameTransformMatrix { 2,0,0,0, 0,2,0,0, 0,0,2,0, 0,0,5,1;; }\n"
                       "    Mesh Tri {\n"
                       "      3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n"
                       "      1; 3;0,1,2;;\n"
                       "      MeshMaterialList { 2; 1; 1;; {Red} {Blue} }\n"
                       "    }\n"
                       "  }\n"
                       "}\n";
    xfile::LoadedMesh loaded;
    ASSERT_EQ(LoadText(device.get(), body, &loaded), xfile::LoadResult::Ok);
    gfx::Mesh* mesh = loaded.mesh;
    EXPECT_EQ(mesh->GetFvf(), static_cast<uint32_t>(gfx::FVF_XYZ));
    ASSERT_EQ(mesh->GetNumVertices(), 7u);
    ASSERT_EQ(mesh->GetNumFaces(), 3u);  // the quad as a fan of two, and the triangle

    // The quad is moved by A; the triangle by B, then by A.
    EXPECT_FLOAT_EQ(Position(*mesh, 2).x, 11.0f);
    EXPECT_FLOAT_EQ(Position(*mesh, 2).y, 1.0f);
    gfx::Vec3 p = Position(*mesh, 5);
    EXPECT_FLOAT_EQ(p.x, 12.0f);
    EXPECT_FLOAT_EQ(p.z, 5.0f);

    // Fan triangulation keeps the first corner.
    EXPECT_EQ(mesh->GetIndex(0), 0u);
    EXPECT_EQ(mesh->GetIndex(1), 1u);
    EXPECT_EQ(mesh->GetIndex(2), 2u);
    EXPECT_EQ(mesh->GetIndex(3), 0u);
    EXPECT_EQ(mesh->GetIndex(4), 2u);
    EXPECT_EQ(mesh->GetIndex(5), 3u);

    // Materials in file order: the quad's one, then the triangle's two.
    ASSERT_EQ(loaded.materials.size(), 3u);
    EXPECT_EQ(loaded.materials[0].textureFilename, "red.bmp");
    EXPECT_FLOAT_EQ(loaded.materials[0].material.power, 8.0f);
    EXPECT_FLOAT_EQ(loaded.materials[0].material.specular.a, 1.0f);
    EXPECT_EQ(loaded.materials[2].textureFilename, "");
    EXPECT_FLOAT_EQ(loaded.materials[2].material.diffuse.a, 0.5f);
    EXPECT_FLOAT_EQ(loaded.materials[2].material.emissive.b, 0.3f);

    const auto& table = mesh->AttributeTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].attribId, 0u);
    EXPECT_EQ(table[0].faceCount, 2u);
    EXPECT_EQ(table[0].vertexStart, 0u);
    EXPECT_EQ(table[0].vertexCount, 4u);
    EXPECT_EQ(table[1].attribId, 2u);  // Blue of the triangle's list
    EXPECT_EQ(table[1].faceStart, 2u);
    EXPECT_EQ(table[1].vertexStart, 4u);
    EXPECT_EQ(table[1].vertexCount, 3u);

    // The two fan triangles share their diagonal.
    ASSERT_EQ(loaded.adjacency.size(), 9u);
    EXPECT_EQ(loaded.adjacency[2], 1u);  // edge 2-0 of triangle 0
    EXPECT_EQ(loaded.adjacency[3 + 0], 0u);
    EXPECT_EQ(loaded.adjacency[0], 0xFFFFFFFFu);
    EXPECT_EQ(loaded.adjacency[6], 0xFFFFFFFFu);
    mesh->Release();
}

TEST(MergedMesh, NormalsSplitVerticesAndFormatFollowsTheParts) {
    auto device = NullDevice();
    const std::string body =
        "Mesh Corner {\n"
        "  3; 0.0;0.0;0.0;, 1.0;0.0;0.0;, 0.0;1.0;0.0;;\n"
        "  2; 3;0,1,2;, 3;0,2,1;;\n"
        "  MeshNormals { 2; 0.0;0.0;2.0;, 0.0;0.0;-1.0;; 2; 3;0,0,0;, 3;1,1,1;; }\n"
        "  MeshTextureCoords { 3; 0.0;0.0;, 1.0;0.0;, 0.0;1.0;; }\n"
        "  MeshVertexColors { 1; 2; 1.0;0.5;0.0;1.0;; }\n"
        "}\n";
    xfile::LoadedMesh loaded;
    ASSERT_EQ(LoadText(device.get(), body, &loaded), xfile::LoadResult::Ok);
    gfx::Mesh* mesh = loaded.mesh;
    EXPECT_EQ(mesh->GetFvf(), 0x152u);
    EXPECT_EQ(mesh->GetNumBytesPerVertex(), 36u);
    // Each corner is used with two normals: three more vertices.
    ASSERT_EQ(mesh->GetNumVertices(), 6u);
    gfx::VertexLayout l;
    ASSERT_TRUE(gfx::GetVertexLayout(mesh->GetFvf(), &l));
    const uint8_t* v = mesh->GetVertexBuffer()->Data();
    gfx::Vec3 n;
    std::memcpy(&n, v + 3 * 36 + l.normal, sizeof n);
    EXPECT_FLOAT_EQ(n.z, -1.0f);
    uint32_t colour;
    std::memcpy(&colour, v + 2 * 36 + l.diffuse, 4);
    EXPECT_EQ(colour, 0xFFFF8000u);
    std::memcpy(&colour, v + 0 * 36 + l.diffuse, 4);
    EXPECT_EQ(colour, 0xFFFFFFFFu);  // vertices without a colour are white
    gfx::Vec2 uv;
    std::memcpy(&uv, v + 5 * 36 + l.texCoords, sizeof uv);  // copy of vertex 1
    EXPECT_FLOAT_EQ(uv.x, 1.0f);
    // Without materials the mesh gets one opaque grey material.
    ASSERT_EQ(loaded.materials.size(), 1u);
    EXPECT_FLOAT_EQ(loaded.materials[0].material.diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(loaded.materials[0].material.diffuse.a, 1.0f);
    mesh->Release();
}

TEST(MergedMesh, ShortFaceListRepeatsItsLastMaterial) {
    auto device = NullDevice();
    std::string body = std::string(kMaterials) + "Mesh Strip {\n" + kSquareVertices +
                       "  3; 3;0,1,2;, 3;0,2,3;, 3;1,2,3;;\n"
                       "  MeshMaterialList { 2; 2; 1, 0;; {Red} {Blue} }\n"
                       "}\n";
    xfile::LoadedMesh loaded;
    ASSERT_EQ(LoadText(device.get(), body, &loaded), xfile::LoadResult::Ok);
    const auto& table = loaded.mesh->AttributeTable();
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].attribId, 0u);
    EXPECT_EQ(table[0].faceCount, 2u);
    EXPECT_EQ(table[1].attribId, 1u);
    EXPECT_EQ(table[1].faceCount, 1u);
    loaded.mesh->Release();
}

TEST(MergedMesh, MalformedMeshesAreRefusedWithAReason) {
    auto device = NullDevice();
    struct Case {
        const char* body;
        xfile::LoadResult result;
        const char* words;
    };
    const Case cases[] = {
        {"Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }", xfile::LoadResult::InvalidData,
         "vertex it does not have"},
        {"Mesh M { 3; 0;0;0;, 1;0;0;; }", xfile::LoadResult::InvalidData, "fewer vertices"},
        {"Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 2;0,1;; }", xfile::LoadResult::InvalidData,
         "fewer than three"},
        {"Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } }",
         xfile::LoadResult::InvalidData, "MeshNormals"},
        {"Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshTextureCoords { 2; 0;0;, 1;1;; } }",
         xfile::LoadResult::InvalidData, "MeshTextureCoords"},
        {"Material X { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"
         "Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshMaterialList { 1; 1; 4;; {X} } }",
         xfile::LoadResult::InvalidData, "material out of range"},
        {"Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
         " MeshMaterialList { 2; 1; 0;; } }",
         xfile::LoadResult::InvalidData, "fewer materials"},
        {"Mesh M { 0;; 0;; }", xfile::LoadResult::NoData, "no triangles"},
        {"Frame F { Frame G { } }", xfile::LoadResult::NoData, "no triangles"},
        {"Frame F { FrameTransformMatrix { 1, 2, 3; }\n"
         " Mesh M { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; } }",
         xfile::LoadResult::InvalidData, "FrameTransformMatrix"},
    };
    for (const Case& c : cases) {
        xfile::LoadedMesh loaded;
        xfile::ParseError error;
        EXPECT_EQ(LoadText(device.get(), c.body, &loaded, &error), c.result) << c.body;
        EXPECT_EQ(loaded.mesh, nullptr);
        EXPECT_NE(error.message.find(c.words), std::string::npos) << error.Describe();
    }
}

TEST(MeshOperations, CloneKeepsSharedPartsAndDrawSubsetDrawsOneRange) {
    auto device = NullDevice();
    std::string body = std::string(kMaterials) + "Mesh M {\n" + kSquareVertices +
                       "  2; 3;0,1,2;, 3;0,2,3;;\n"
                       "  MeshMaterialList { 2; 2; 1, 0;; {Red} {Blue} }\n"
                       "  MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0.25;0.75;; }\n"
                       "}\n";
    xfile::LoadedMesh loaded;
    ASSERT_EQ(LoadText(device.get(), body, &loaded), xfile::LoadResult::Ok);
    gfx::Mesh* clone = nullptr;
    ASSERT_EQ(loaded.mesh->CloneFvf(0x152, &clone), gfx::Result::Ok);
    EXPECT_EQ(clone->GetNumVertices(), 4u);
    EXPECT_EQ(clone->AttributeTable().size(), 2u);
    gfx::VertexLayout l;
    gfx::GetVertexLayout(0x152, &l);
    const uint8_t* v = clone->GetVertexBuffer()->Data() + 3 * l.size;
    gfx::Vec2 uv;
    std::memcpy(&uv, v + l.texCoords, sizeof uv);
    EXPECT_FLOAT_EQ(uv.x, 0.25f);
    EXPECT_FLOAT_EQ(uv.y, 0.75f);
    uint32_t colour;
    std::memcpy(&colour, v + l.diffuse, 4);
    EXPECT_EQ(colour, 0xFFFFFFFFu);
    gfx::Vec3 normal;
    std::memcpy(&normal, v + l.normal, sizeof normal);
    EXPECT_FLOAT_EQ(normal.z, 0.0f);

    auto* null = static_cast<gfx::NullDevice*>(device.get());
    null->SetRecording(true);
    device->BeginScene();
    EXPECT_EQ(clone->DrawSubset(1), gfx::Result::Ok);  // the first triangle carries material 1
    EXPECT_EQ(clone->DrawSubset(7), gfx::Result::Ok);  // no such subset: nothing
    device->EndScene();
    ASSERT_EQ(null->Draws().size(), 1u);
    EXPECT_EQ(null->Draws()[0].primitive, gfx::PT_TRIANGLELIST);
    EXPECT_EQ(null->Draws()[0].primitiveCount, 1u);
    EXPECT_EQ(null->Draws()[0].vertexShader, 0x152u);
    EXPECT_EQ(clone->AttributeTable()[1].faceStart, 1u);
    clone->Release();
    loaded.mesh->Release();
}

TEST(MeshOperations, VertexLayoutsAgreeWithTheDeviceSizes) {
    const uint32_t formats[] = {0x002,          0x102,          0x112,          0x152,
                                0x1C2,          0x006 | 0x1000, 0x00C | 0x1110, 0x008 | 0x110,
                                0x00A | 0x1050, 0x202};
    for (uint32_t fvf : formats) {
        gfx::VertexLayout l;
        ASSERT_TRUE(gfx::GetVertexLayout(fvf, &l)) << std::hex << fvf;
        EXPECT_EQ(l.size, gfx::FvfVertexSize(fvf)) << std::hex << fvf;
    }
    gfx::VertexLayout l;
    gfx::GetVertexLayout(0x00C | 0x1110, &l);  // four influences: three weights, the indices
    EXPECT_EQ(l.blendFloats, 4u);
    EXPECT_EQ(l.normal, 28);
    EXPECT_EQ(l.texCoords, 40);
    EXPECT_FALSE(gfx::GetVertexLayout(0x004, &l));           // pre-transformed
    EXPECT_FALSE(gfx::GetVertexLayout(0x00E, &l));           // five weight slots
    EXPECT_FALSE(gfx::GetVertexLayout(0x002 | 0x1000, &l));  // indices without a slot
}

TEST(MeshOperations, LargeMeshesUse32BitIndices) {
    auto device = NullDevice();
    gfx::Mesh* mesh = nullptr;
    ASSERT_EQ(gfx::Mesh::Create(device.get(), 2, 70000, gfx::FVF_XYZ, &mesh), gfx::Result::Ok);
    EXPECT_TRUE(mesh->Uses32BitIndices());
    mesh->WriteIndices({0, 1, 69999, 69999, 1, 2});
    EXPECT_EQ(mesh->GetIndex(2), 69999u);
    mesh->Release();
    gfx::Mesh* small = nullptr;
    ASSERT_EQ(gfx::Mesh::Create(device.get(), 1, 3, gfx::FVF_XYZ, &small), gfx::Result::Ok);
    EXPECT_FALSE(small->Uses32BitIndices());
    EXPECT_EQ(gfx::Mesh::Create(device.get(), 0, 3, gfx::FVF_XYZ, &mesh), gfx::Result::InvalidCall);
    EXPECT_EQ(gfx::Mesh::Create(device.get(), 1, 3, gfx::FVF_XYZRHW, &mesh),
              gfx::Result::InvalidCall);
    small->Release();
}

}  // namespace
