// Skinned models, animation and drawing: key sampling (matrix keys snap, slerp with the
// negated w, time wrap, tracks without length), the newest-first node order, frame matrices, the
// program constants per bone combination, plain containers, and release.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "engine/main/app.h"
#include "engine/models/skinned_model.h"
#include "engine/overlay/fade.h"
#include "tests/models/model_fixture.h"

namespace {

void ExpectMatrixNear(const gfx::Mat4& a, const gfx::Mat4& b) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) EXPECT_NEAR(a.m[i][j], b.m[i][j], 1e-5) << i << "," << j;
    }
}

TEST(ModelAnimation, MatrixKeysSnapToTheNearerKey) {
    ModelFrame target, node;
    node.animatedTarget = &target;
    for (uint32_t i = 0; i < 3; ++i) {
        node.matrixKeys.push_back(
            MatrixKey{i * 100, gfx::Translation(static_cast<float>(i), 0, 0)});
    }
    SampleFrameAnimation(&node, 160.0f);  // fraction 0.6 towards the key at 200
    EXPECT_FLOAT_EQ(target.local.m[3][0], 2.0f);
    SampleFrameAnimation(&node, 140.0f);  // fraction 0.4: the key at 100
    EXPECT_FLOAT_EQ(target.local.m[3][0], 1.0f);
    SampleFrameAnimation(&node, 360.0f);  // wraps to 160
    EXPECT_FLOAT_EQ(target.local.m[3][0], 2.0f);
    SampleFrameAnimation(&node, 200.0f);  // wraps to 0
    EXPECT_FLOAT_EQ(target.local.m[3][0], 0.0f);
}

TEST(ModelAnimation, RotationIsSlerpedWithItsWNegated) {
    ModelFrame target, node;
    target.original = gfx::Translation(1, 2, 3);
    node.animatedTarget = &target;
    float s = std::sin(gfx::kPi / 4), c = std::cos(gfx::kPi / 4);
    node.rotationKeys.push_back(RotationKey{0, gfx::Quat{0, 0, 0, 1}});
    node.rotationKeys.push_back(RotationKey{100, gfx::Quat{0, s, 0, c}});  // a quarter turn
    SampleFrameAnimation(&node, 250.0f);                                   // t = 50: halfway
    // The half-way quaternion with w negated turns the other way round; without position keys
    // the frame keeps its original position.
    gfx::Mat4 expected = gfx::Multiply(gfx::RotationY(-gfx::kPi / 4), gfx::Translation(1, 2, 3));
    ExpectMatrixNear(target.local, expected);
}

TEST(ModelAnimation, ScaleRotationAndPositionCombineInThatOrder) {
    ModelFrame target, node;
    node.animatedTarget = &target;
    node.scaleKeys = {VectorKey{0, {1, 1, 1}}, VectorKey{100, {3, 3, 3}}};
    node.rotationKeys = {RotationKey{0, {0, 0, 0, 1}}, RotationKey{100, {0, 0, 0, 1}}};
    node.positionKeys = {VectorKey{0, {0, 0, 0}}, VectorKey{100, {10, 20, 30}}};
    SampleFrameAnimation(&node, 50.0f);
    gfx::Mat4 expected = gfx::Multiply(gfx::Scaling(2, 2, 2), gfx::Translation(5, 10, 15));
    ExpectMatrixNear(target.local, expected);
    // Before the first key's time both ends are the first key.
    node.positionKeys = {VectorKey{50, {7, 0, 0}}, VectorKey{100, {9, 0, 0}}};
    node.scaleKeys.clear();
    SampleFrameAnimation(&node, 10.0f);
    EXPECT_FLOAT_EQ(target.local.m[3][0], 7.0f);
}

// A track whose keys all lie at time 0 holds its first key: a constant rotation stays on a
// frame whose position moves.
TEST(ModelAnimation, TracksWithoutLengthHoldTheirFirstKeyAndNodesWithoutFramesAreSkipped) {
    ModelFrame target, node;
    target.local = gfx::Translation(4, 4, 4);
    node.animatedTarget = &target;
    node.positionKeys = {VectorKey{0, {9, 9, 9}}};
    SampleFrameAnimation(&node, 30.0f);
    EXPECT_FLOAT_EQ(target.local.m[3][0], 9.0f);

    const float s = std::sin(gfx::kPi / 4), c = std::cos(gfx::kPi / 4);
    node.rotationKeys = {RotationKey{0, gfx::Quat{0, s, 0, c}}};
    node.positionKeys = {VectorKey{0, {0, 0, 0}}, VectorKey{100, {10, 0, 0}}};
    SampleFrameAnimation(&node, 50.0f);
    ExpectMatrixNear(target.local,
                     gfx::Multiply(gfx::RotationY(-gfx::kPi / 2), gfx::Translation(5, 0, 0)));

    node.matrixKeys = {MatrixKey{0, gfx::Translation(1, 2, 3)}};
    SampleFrameAnimation(&node, 30.0f);
    ExpectMatrixNear(target.local, gfx::Translation(1, 2, 3));

    ModelFrame loose;
    loose.positionKeys = {VectorKey{0, {1, 1, 1}}, VectorKey{10, {2, 2, 2}}};
    SampleFrameAnimation(&loose, 5.0f);  // no frame to drive: nothing happens
}

TEST(ModelAnimation, CombinedMatricesAreLocalThenParentThenPost) {
    ModelFrame root, child;
    root.firstChild = &child;
    root.local = gfx::Scaling(2, 2, 2);
    root.post = gfx::Translation(0, 0, 5);
    child.local = gfx::Translation(1, 0, 0);
    UpdateFrameMatrices(&root, gfx::Identity());
    gfx::Vec4 p = gfx::Transform(gfx::Vec3{0, 0, 0}, child.combined);
    EXPECT_FLOAT_EQ(p.x, 2.0f);
    EXPECT_FLOAT_EQ(p.z, 5.0f);
    root.firstChild = nullptr;
}

class SkinnedModelDrawTest : public vqtest::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        InitModelDevice(&model_, 0, device_);
        gGraphics.view = gfx::Translation(0, 0, -3);
    }
    void TearDown() override {
        ReleaseModel(&model_);
        gGraphics.view = gfx::Identity();
        ModelTest::TearDown();
    }
    SkinnedModel model_;
};

const char* const kSkinned =
    "Frame Root {\n"
    " Frame Arm { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,5,0,1;; } }\n"
    " Mesh Skin {\n"
    "  3; 1;0;0;, 0;1;0;, 0;0;1;;\n"
    "  1; 3;0,1,2;;\n"
    "  MeshNormals { 1; 0;0;1;; 1; 3;0,0,0;; }\n"
    "  MeshMaterialList { 1; 1; 0;;\n"
    "   Material { 0.5;0.25;1;1;; 0; 0;0;0;; 0.1;0.2;0.3;; } }\n"
    "  SkinWeights { \"Root\"; 2; 0,1; 1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
    "  SkinWeights { \"Arm\"; 1; 2; 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-5,0,1;; }\n"
    " }\n"
    "}\n"
    "AnimationSet Wave {\n"
    " Animation { {Root} AnimationKey { 2; 2; 0;3;0,0,0;;, 100;3;10,0,0;;; } }\n"
    " Animation { {Arm} AnimationKey { 2; 2; 0;3;0,5,0;;, 100;3;0,15,0;;; } }\n"
    "}\n";

TEST_F(SkinnedModelDrawTest, NodesAreSampledNewestFirstAtTheirCounters) {
    WriteModel("m.x", kSkinned);
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    model_.startTime = 5;
    uint32_t counters[kModelTimeSlots] = {};
    counters[0] = 5 + 10;  // the Arm animation, the last in the file
    counters[1] = 5;
    AdvanceModelAnimation(&model_, counters);
    EXPECT_FLOAT_EQ(model_.element->timeSlots[0], 48.0f);
    EXPECT_FLOAT_EQ(model_.element->timeSlots[1], 0.0f);
    ModelFrame* arm = FindFrame(model_.element->root, "Arm");
    ModelFrame* root = FindFrame(model_.element->root, "Root");
    EXPECT_FLOAT_EQ(arm->local.m[3][1], 5.0f + 10.0f * 0.48f);
    EXPECT_FLOAT_EQ(root->local.m[3][0], 0.0f);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&gDebugText.cells[2][5]), 9), "SPEED 2  ");
}

TEST_F(SkinnedModelDrawTest, EachBoneCombinationDrawsWithItsPaletteAndMaterial) {
    WriteModel("m.x", kSkinned);
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    model_.translation = gfx::Translation(0, 0, -10);
    device_->ClearDraws();
    ASSERT_EQ(RenderModel(&model_), kModelOk);
    ASSERT_EQ(device_->Draws().size(), 1u);
    const gfx::DrawRecord& d = device_->Draws()[0];
    EXPECT_EQ(d.primitive, gfx::PT_TRIANGLELIST);
    EXPECT_EQ(d.primitiveCount, 1u);
    EXPECT_EQ(d.vertexShader, model_.vertexShaders[0]);  // one influence a vertex
    const gfx::DeviceState& s = device_->State();
    EXPECT_FLOAT_EQ(s.shaderConstants[0][3], 765.01f);
    // Both bones end up at the model's place: offset x frame x view, transposed, three rows.
    // (The root's rotation matrix takes the place of its centring when drawn.)
    gfx::Mat4 bone = gfx::Multiply(gfx::Translation(0, 0, -10), gGraphics.view);
    gfx::Mat4 rows = gfx::Transpose(bone);
    for (int r = 0; r < 3; ++r) {
        for (int k = 0; k < 4; ++k) {
            EXPECT_NEAR(s.shaderConstants[9 + r][k], rows.m[r][k], 1e-5);
            EXPECT_NEAR(s.shaderConstants[12 + r][k], rows.m[r][k], 1e-5);
        }
    }
    EXPECT_FLOAT_EQ(s.shaderConstants[8][1], 0.25f);  // diffuse
    EXPECT_FLOAT_EQ(s.shaderConstants[7][0], 0.1f);   // ambient / 4 + emissive
    EXPECT_FLOAT_EQ(s.shaderConstants[7][2], 0.3f);
    EXPECT_FLOAT_EQ(s.shaderConstants[7][3], 1.0f);
    ExpectMatrixNear(s.view, gGraphics.view);
}

TEST_F(SkinnedModelDrawTest, FortyBonesDrawInTwoCombinations) {
    std::string text = "Frame Root {\n";
    for (int b = 0; b < 40; ++b) text += " Frame B" + std::to_string(b) + " { }\n";
    text += " Mesh Many {\n  120;";
    for (int i = 0; i < 120; ++i) text += " " + std::to_string(i) + ";1;0;,";
    text.back() = ';';
    text += "\n  40;";
    for (int t = 0; t < 40; ++t) {
        text += " 3;" + std::to_string(3 * t) + "," + std::to_string(3 * t + 1) + "," +
                std::to_string(3 * t + 2) + ";,";
    }
    text.back() = ';';
    text += "\n";
    for (int b = 0; b < 40; ++b) {
        text += "  SkinWeights { \"B" + std::to_string(b) + "\"; 3; " + std::to_string(3 * b) +
                "," + std::to_string(3 * b + 1) + "," + std::to_string(3 * b + 2) +
                "; 1,1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n";
    }
    text += " }\n}\n";
    WriteModel("many.x", text);
    ASSERT_EQ(LoadModelFile(&model_, "many.x"), kModelOk);
    EXPECT_EQ(model_.bonePaletteSize, 40);
    MeshContainer* c = FindFrame(model_.element->root, "Root")->containers;
    EXPECT_EQ(c->paletteSize, 28u);
    EXPECT_EQ(c->attributeGroupCount, 2u);
    device_->ClearDraws();
    ASSERT_EQ(RenderModel(&model_), kModelOk);
    ASSERT_EQ(device_->Draws().size(), 2u);
    EXPECT_EQ(device_->Draws()[0].primitiveCount, 28u);
    EXPECT_EQ(device_->Draws()[1].primitiveCount, 12u);
}

TEST_F(SkinnedModelDrawTest, MeshesWithoutBonesUseTheFixedPipeline) {
    WriteModel("plain.x",
               "Frame Body {\n"
               " FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,7,1;; }\n"
               " Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;; }\n"
               "}\n");
    ASSERT_EQ(LoadModelFile(&model_, "plain.x"), kModelOk);
    device_->ClearDraws();
    ASSERT_EQ(RenderModel(&model_), kModelOk);
    ASSERT_EQ(device_->Draws().size(), 1u);
    EXPECT_EQ(device_->Draws()[0].vertexShader, static_cast<uint32_t>(gfx::FVF_XYZ));
    const gfx::DeviceState& s = device_->State();
    EXPECT_FLOAT_EQ(s.material.diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(s.material.diffuse.a, 1.0f);
    EXPECT_EQ(s.textures[0], nullptr);
    // The world transform is the frame's combined matrix.
    EXPECT_FLOAT_EQ(s.world[0].m[3][2], 7.0f);
}

TEST_F(SkinnedModelDrawTest, ReleasedModelsDrawAndAnimateNothingAndLoadAgain) {
    WriteModel("m.x", kSkinned);
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    int before = device_->destroyed;
    ReleaseModel(&model_);
    EXPECT_EQ(model_.element, nullptr);
    EXPECT_GE(device_->destroyed - before, 4);  // the skin's mesh and the drawn mesh
    device_->ClearDraws();
    EXPECT_EQ(RenderModel(&model_), kModelOk);
    EXPECT_TRUE(device_->Draws().empty());
    uint32_t counters[kModelTimeSlots] = {};
    AdvanceModelAnimation(&model_, counters);
    ReleaseModel(&model_);
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    EXPECT_EQ(RenderModel(&model_), kModelOk);
    EXPECT_EQ(device_->Draws().size(), 1u);

    // A container whose drawn mesh was released is rebuilt when drawn.
    MeshContainer* c = FindFrame(model_.element->root, "Root")->containers;
    c->drawMesh->Release();
    c->drawMesh = nullptr;
    c->methodGenerated = kSkinningNone;
    EXPECT_EQ(RenderModel(&model_), kModelOk);
    EXPECT_EQ(c->methodGenerated, kSkinningIndexedShader);
    EXPECT_EQ(device_->Draws().size(), 2u);
}

}  // namespace
