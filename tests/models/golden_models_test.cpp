// Golden pictures of meshes and models drawn by gl33: a lit, textured static mesh in linear
// vertex fog, and a skinned model at two times of its animation.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/main/app.h"
#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "tests/models/scratch_folder.h"
#include "tests/support/golden.h"
#include "tests/support/pictures.h"

namespace {

std::string Num(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.4f", v);
    return text;
}

// A rolling terrain of n x n quads, 200 units across, with normals and texture coordinates
// repeating the picture four times.
std::string Terrain(int n) {
    auto height = [](float x, float z) {
        return 12.0f * std::sin(x * 0.05f) * std::cos(z * 0.04f);
    };
    const int across = n + 1;
    std::string vertices, normals, coords, faces;
    for (int j = 0; j <= n; ++j) {
        for (int i = 0; i <= n; ++i) {
            float x = -100.0f + 200.0f * i / n, z = -100.0f + 200.0f * j / n;
            float y = height(x, z);
            float dx = height(x + 1, z) - height(x - 1, z),
                  dz = height(x, z + 1) - height(x, z - 1);
            float len = std::sqrt(dx * dx + 4.0f + dz * dz);
            bool last = i == n && j == n;
            vertices += Num(x) + ";" + Num(y) + ";" + Num(z) + (last ? ";;\n" : ";,\n");
            normals += Num(-dx / len) + ";" + Num(2.0f / len) + ";" + Num(-dz / len) +
                       (last ? ";;\n" : ";,\n");
            coords += Num(4.0f * i / n) + ";" + Num(4.0f * j / n) + (last ? ";;\n" : ";,\n");
        }
    }
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            int v = j * across + i;
            bool last = i == n - 1 && j == n - 1;
            // The normals are indexed like the positions, so the faces serve for both.
            std::string f = "4;" + std::to_string(v) + "," + std::to_string(v + across) + "," +
                            std::to_string(v + across + 1) + "," + std::to_string(v + 1);
            faces += f + (last ? ";;\n" : ";,\n");
        }
    }
    std::string count = std::to_string(across * across), quads = std::to_string(n * n);
    return "xof 0302txt 0032\n"
           "Material Ground { 1.0;0.9;0.8;1.0;; 0.0; 0;0;0;; 0;0;0;; TextureFilename { "
           "\"ground.bmp\"; } }\n"
           "Frame Land {\n Mesh {\n" +
           count + ";\n" + vertices + quads + ";\n" + faces + " MeshNormals {\n" + count + ";\n" +
           normals + quads + ";\n" + faces + " }\n MeshTextureCoords {\n" + count + ";\n" + coords +
           " }\n MeshVertexColors { 1; 0; 1;1;1;1;; }\n"
           " MeshMaterialList { 1; 1; 0;; {Ground} }\n }\n}\n";
}

// A bar of three segments along y, skinned to two bones: the lower half follows Base, the
// upper half Tip, the middle ring both. Tip turns about z over 200 key-time units.
std::string Bar() {
    std::string vertices, faces, normalFaces;
    const float w = 6.0f;
    const float ys[4] = {0.0f, 20.0f, 40.0f, 60.0f};
    const float corners[4][2] = {{-w, -w}, {w, -w}, {w, w}, {-w, w}};
    for (int ring = 0; ring < 4; ++ring) {
        for (int c = 0; c < 4; ++c) {
            bool last = ring == 3 && c == 3;
            vertices += Num(corners[c][0]) + ";" + Num(ys[ring]) + ";" + Num(corners[c][1]) +
                        (last ? ";;\n" : ";,\n");
        }
    }
    int count = 0;
    for (int ring = 0; ring < 3; ++ring) {
        for (int c = 0; c < 4; ++c) {
            int a = ring * 4 + c, b = ring * 4 + (c + 1) % 4;
            // Clockwise seen from outside: the front faces of the default culling.
            faces += (count ? ",\n" : "") + std::string("4;") + std::to_string(a) + "," +
                     std::to_string(b) + "," + std::to_string(b + 4) + "," + std::to_string(a + 4) +
                     ";";
            normalFaces += (count ? ", " : "") + std::string("4;") + std::to_string(c) + "," +
                           std::to_string(c) + "," + std::to_string(c) + "," + std::to_string(c) +
                           ";";
            ++count;
        }
    }
    faces += ";\n";
    normalFaces += ";";
    return "xof 0302txt 0032\n"
           "Frame Base {\n"
           " Frame Tip { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,30,0,1;; } }\n"
           " Mesh Bar {\n16;\n" +
           vertices + std::to_string(count) + ";\n" + faces +
           "  MeshNormals { 4; 0;0;-1;, 1;0;0;, 0;0;1;, -1;0;0;; " + std::to_string(count) + "; " +
           normalFaces +
           " }\n"
           "  MeshTextureCoords { 16; 0;0;, 1;0;, 0;0;, 1;0;, 0;0.33;, 1;0.33;, 0;0.33;, 1;0.33;,\n"
           "   0;0.66;, 1;0.66;, 0;0.66;, 1;0.66;, 0;1;, 1;1;, 0;1;, 1;1;; }\n"
           "  MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0.1;0.1;0.1;;\n"
           "   TextureFilename { \"bar.bmp\"; } } }\n"
           "  SkinWeights { \"Base\"; 12; 0,1,2,3,4,5,6,7,8,9,10,11; "
           "1,1,1,1,1,1,1,1,0.5,0.5,0.5,0.5;\n"
           "   1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
           "  SkinWeights { \"Tip\"; 8; 8,9,10,11,12,13,14,15; 0.5,0.5,0.5,0.5,1,1,1,1;\n"
           "   1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-30,0,1;; }\n"
           " }\n"
           "}\n"
           "AnimationSet Bend { Animation { {Tip}\n"
           "  AnimationKey { 0; 3; 0;4;1,0,0,0;;, 100;4;0.866,0,0,0.5;;, 200;4;1,0,0,0;;; }\n"
           "  AnimationKey { 2; 2; 0;3;0,30,0;;, 200;3;0,30,0;;; } } }\n";
}

std::vector<uint32_t> Stripes(uint32_t size, uint32_t a, uint32_t b) {
    std::vector<uint32_t> t(size * size);
    for (uint32_t y = 0; y < size; ++y) {
        for (uint32_t x = 0; x < size; ++x) t[y * size + x] = ((x / 8 + y / 8) & 1) ? a : b;
    }
    return t;
}

void WritePicture(const std::string& path, uint32_t a, uint32_t b) {
    vqtest::TestPicture p;
    p.width = p.height = 64;
    p.texels = Stripes(64, a, b);
    ASSERT_TRUE(vqtest::WriteFileBytes(path, vqtest::EncodeBmp24(p)));
}

class ModelGolden : public vqtest::GlDeviceTest {
protected:
    void SetUp() override {
        GlDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        gPlatform.device = device();
    }
    void TearDown() override {
        gPlatform.device = nullptr;
        GlDeviceTest::TearDown();
    }
    vqtest::ScratchFolder folder_;
};

TEST_F(ModelGolden, LitTexturedMeshInFog) {
    WritePicture("xfile/land/ground.bmp", 0xFF80C060, 0xFF406030);
    vqtest::ScratchFolder::Write("xfile/land/land.x", Terrain(24));
    ResetSharedTextures();
    StaticMesh mesh;
    ASSERT_EQ(LoadXMesh(&mesh, "xfile/land/land.x", 0), 1);
    ASSERT_EQ(mesh.mesh->GetFvf(), 0x152u);
    ASSERT_EQ(gSharedMeshTextures.count, 1);

    gfx::Device* d = device();
    BeginFrame(0xFF8090A0);
    d->SetTransform(gfx::TS_PROJECTION,
                    gfx::PerspectiveFovRH(gfx::kPi / 4, 4.0f / 3.0f, 1.0f, 1000.0f));
    d->SetTransform(gfx::TS_VIEW,
                    gfx::LookAtRH(gfx::Vec3{0, 60, 150}, gfx::Vec3{0, 0, -20}, gfx::Vec3{0, 1, 0}));
    d->SetTransform(gfx::TS_WORLD, gfx::Scaling(-1, 1, 1));
    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);  // as the course drawing does
    gfx::Light light{};
    light.type = gfx::LIGHT_DIRECTIONAL;
    light.diffuse = gfx::ColorValue{1.0f, 0.95f, 0.85f, 0.0f};
    light.ambient = gfx::ColorValue{0.25f, 0.25f, 0.3f, 0.0f};
    light.direction[0] = -0.5f;
    light.direction[1] = -0.8f;
    light.direction[2] = -0.3f;
    d->SetLight(0, light);
    d->LightEnable(0, true);
    d->SetRenderState(gfx::RS_LIGHTING, gfx::kTrue);
    d->SetRenderState(gfx::RS_AMBIENT, 0xFF404040u);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_FOGCOLOR, 0xFF8090A0u);
    d->SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_NONE);
    d->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
    d->SetRenderStateF(gfx::RS_FOGSTART, 90.0f);
    d->SetRenderStateF(gfx::RS_FOGEND, 250.0f);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR);
    d->SetTexture(0, gSharedMeshTextures.textures[0]);
    for (int j = 0; j < mesh.subsetCount; ++j) {
        if (mesh.textureIndices[j] != 0) continue;
        d->SetMaterial(mesh.materials[j]);
        ASSERT_EQ(mesh.mesh->DrawSubset(static_cast<uint32_t>(j)), gfx::Result::Ok);
    }
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(d, "models/lit_mesh_fog"));

    ReleaseMesh(&mesh);
    ReleaseSharedTextures();
}

TEST_F(ModelGolden, SkinnedModelAtTwoAnimationTimes) {
    WritePicture("xfile/bar/bar.bmp", 0xFFE0A040, 0xFF6040C0);
    vqtest::ScratchFolder::Write("xfile/bar/bar.x", Bar());
    SkinnedModel model;
    InitModelDevice(&model, 0, device());
    ASSERT_EQ(LoadModelFile(&model, "xfile/bar/bar.x"), kModelOk);
    gGraphics.view = gfx::LookAtRH(gfx::Vec3{0, 40, 110}, gfx::Vec3{0, 25, 0}, gfx::Vec3{0, 1, 0});
    model.rotation = gfx::RotationY(0.5f);
    model.translation = gfx::Translation(0, -5, 0);
    // The model's own projection frames its bounding sphere; keep the whole bar in view.
    device()->SetTransform(gfx::TS_PROJECTION,
                           gfx::PerspectiveFovRH(gfx::kPi / 4, 4.0f / 3.0f, 1.0f, 1000.0f));
    gfx::Mat4 projection =
        gfx::Transpose(gfx::PerspectiveFovRH(gfx::kPi / 4, 4.0f / 3.0f, 1.0f, 1000.0f));
    device()->SetVertexShaderConstant(2, &projection.m[0][0], 4);

    const uint32_t times[2] = {0, 21};  // 21 ticks: 100.8 key-time units, the bend's peak
    const char* names[2] = {"models/skinned_bar_t0", "models/skinned_bar_t1"};
    for (int k = 0; k < 2; ++k) {
        uint32_t counters[kModelTimeSlots];
        for (uint32_t& c : counters) c = times[k];
        AdvanceModelAnimation(&model, counters);
        BeginFrame(0xFF202830);
        ASSERT_EQ(RenderModel(&model), kModelOk);
        EndFrame();
        EXPECT_TRUE(vqtest::MatchesGolden(device(), names[k])) << names[k];
    }
    ReleaseModel(&model);
    gGraphics.view = gfx::Identity();
}

}  // namespace
