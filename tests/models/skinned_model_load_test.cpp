// Skinned models, loading: the frame tree, containers, materials and textures, bones bound to
// frames, animation nodes and their keys, the bounds and the projection, and the refusals.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/graphics/texture_groups.h"
#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "tests/models/model_fixture.h"

namespace {

std::string Translation(float x, float y, float z) {
    return "FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, " + std::to_string(x) + "," +
           std::to_string(y) + "," + std::to_string(z) + ",1;; }\n";
}

const char* const kHull =
    "  Mesh Hull {\n"
    "    4; 0;0;0;, 2;0;0;, 2;2;0;, 0;2;0;;\n"
    "    2; 3;0,1,2;, 3;0,2,3;;\n"
    "  }\n";

class SkinnedModelLoadTest : public vqtest::ModelTest {
protected:
    void SetUp() override {
        ModelTest::SetUp();
        InitModelDevice(&model_, 0, device_);
    }
    void TearDown() override {
        ReleaseModel(&model_);
        ModelTest::TearDown();
    }
    SkinnedModel model_;
};

TEST_F(SkinnedModelLoadTest, FramesMeshesAndAnimationSetsFormTheTree) {
    WriteModel("xfile/craft0/craft0.x",
               "Frame Body {\n" + Translation(0, 1, 0) + kHull +
                   "}\n"
                   "AnimationSet Fly { Animation { {Body}\n"
                   "  AnimationKey { 2; 2; 0;3;0,0,0;;, 100;3;10,0,0;;; } } }\n");
    ASSERT_EQ(LoadModelFile(&model_, "xfile/craft0/craft0.x"), kModelOk);
    EXPECT_STREQ(gModelFolder, "xfile/craft0/");
    ModelDrawElement* e = model_.element;
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->name, "xfile/craft0/craft0.x");
    ModelFrame* body = e->root->firstChild;
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->name, "Body");
    ASSERT_NE(body->containers, nullptr);
    EXPECT_EQ(body->containers->name, "Hull");
    EXPECT_EQ(body->containers->skin, nullptr);
    EXPECT_EQ(body->containers->attributeGroupCount, 1u);
    // Without materials the mesh is drawn in opaque grey.
    ASSERT_EQ(body->containers->materials.size(), 1u);
    EXPECT_FLOAT_EQ(body->containers->materials[0].diffuse.r, 0.5f);
    EXPECT_FLOAT_EQ(body->containers->materials[0].diffuse.a, 1.0f);
    EXPECT_FLOAT_EQ(body->containers->materials[0].ambient.a, 1.0f);
    EXPECT_EQ(body->containers->textures[0], nullptr);
    EXPECT_FLOAT_EQ(body->original.m[3][1], 1.0f);

    ModelFrame* set = body->sibling;
    ASSERT_NE(set, nullptr);
    EXPECT_EQ(set->name, "Fly");
    EXPECT_EQ(set->animation, 1);
    ASSERT_NE(set->firstChild, nullptr);
    EXPECT_EQ(e->animatedFrames, set->firstChild);
    EXPECT_EQ(e->animatedFrames->animatedTarget, body);
    EXPECT_EQ(e->animatedFrames->positionKeys.size(), 2u);
    EXPECT_FLOAT_EQ(e->animatedFrames->positionKeys[1].value.x, 10.0f);

    // Bounds: the vertex at the origin does not count; the root is moved onto the centre.
    EXPECT_NEAR(e->centre.x, 4.0f / 3.0f, 1e-5);
    EXPECT_NEAR(e->centre.y, 7.0f / 3.0f, 1e-5);
    EXPECT_NEAR(e->radius, std::sqrt(20.0f / 9.0f), 1e-5);
    EXPECT_NEAR(e->root->local.m[3][0], -4.0f / 3.0f, 1e-5);
    EXPECT_NEAR(e->root->original.m[3][1], -7.0f / 3.0f, 1e-5);
}

TEST_F(SkinnedModelLoadTest, LaterChildrenGoRightAfterTheFirst) {
    WriteModel("m.x", "Frame P { Frame A { } Frame B { } Frame C { } }\n");
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    ModelFrame* p = model_.element->root->firstChild;
    ASSERT_NE(p->firstChild, nullptr);
    EXPECT_EQ(p->firstChild->name, "A");
    EXPECT_EQ(p->firstChild->sibling->name, "C");
    EXPECT_EQ(p->firstChild->sibling->sibling->name, "B");
    EXPECT_EQ(FindFrame(model_.element->root, "B"), p->firstChild->sibling->sibling);
    EXPECT_EQ(FindFrame(model_.element->root, "b"), nullptr);
    // No vertices: no extent.
    EXPECT_FLOAT_EQ(model_.element->radius, 0.0f);
}

TEST_F(SkinnedModelLoadTest, ABadKeyTypeEndsItsAnimationSetButTheModelLoads) {
    WriteModel("m.x",
               "Frame A { } Frame B { }\n"
               "AnimationSet S {\n"
               " Animation { {A} AnimationKey { 2; 1; 0;3;1,2,3;;; }\n"
               "   AnimationKey { 3; 1; 0;3;0,0,0;;; }\n"
               "   AnimationKey { 0; 1; 0;4;1,0,0,0;;; } }\n"
               " Animation { {B} AnimationKey { 2; 1; 0;3;1,2,3;;; } }\n"
               "}\n"
               "AnimationSet T {\n"
               " Animation { {A} AnimationKey { 1; 1; 0;3;1,1,1;;; } AnimationKey { 1; 1; "
               "0;3;2,2,2;;; } }\n"
               " Animation { {B} }\n"
               "}\n");
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    int nodes = 0;
    for (ModelFrame* n = model_.element->animatedFrames; n; n = n->nextAnimated) ++nodes;
    EXPECT_EQ(nodes, 2);  // one of each set: the rest was not read
    ModelFrame* newest = model_.element->animatedFrames;
    EXPECT_EQ(newest->scaleKeys.size(), 1u);  // the second scale block ended the set
    ModelFrame* first = newest->nextAnimated;
    EXPECT_EQ(first->positionKeys.size(), 1u);
    EXPECT_TRUE(first->rotationKeys.empty());
}

TEST_F(SkinnedModelLoadTest, RotationKeysAreStoredXYZW) {
    WriteModel("m.x",
               "Frame A { }\n"
               "AnimationSet S { Animation { {A}\n"
               "  AnimationKey { 0; 1; 7;4;0.5,0.1,0.2,0.3;;; }\n"
               "  AnimationKey { 4; 1; 9;16;1,0,0,0,0,1,0,0,0,0,1,0,4,5,6,1;;; } } }\n");
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    const ModelFrame* n = model_.element->animatedFrames;
    ASSERT_EQ(n->rotationKeys.size(), 1u);
    EXPECT_EQ(n->rotationKeys[0].time, 7u);
    EXPECT_FLOAT_EQ(n->rotationKeys[0].value.x, 0.1f);
    EXPECT_FLOAT_EQ(n->rotationKeys[0].value.w, 0.5f);
    ASSERT_EQ(n->matrixKeys.size(), 1u);
    EXPECT_FLOAT_EQ(n->matrixKeys[0].value.m[3][2], 6.0f);
}

TEST_F(SkinnedModelLoadTest, BonesAreBoundToTheirFramesAndTexturesLoad) {
    WriteTexture("xfile/tank/skin.bmp");
    WriteModel("xfile/tank/tank.x",
               "Frame Root {\n"
               " Frame Arm { " +
                   Translation(0, 5, 0) +
                   " }\n"
                   " Mesh Skin {\n"
                   "  3; 1;0;0;, 0;1;0;, 0;0;1;;\n"
                   "  1; 3;0,1,2;;\n"
                   "  MeshMaterialList { 1; 1; 0;;\n"
                   "   Material { 0.5;0.25;1;1;; 0; 0;0;0;; 0.1;0.2;0.3;; TextureFilename { "
                   "\"skin.bmp\"; } } }\n"
                   "  SkinWeights { \"Root\"; 2; 0,1; 1,1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
                   "  SkinWeights { \"Arm\"; 1; 2; 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-5,0,1;; }\n"
                   " }\n"
                   "}\n");
    ASSERT_EQ(LoadModelFile(&model_, "xfile/tank/tank.x"), kModelOk);
    ModelFrame* root = FindFrame(model_.element->root, "Root");
    ModelFrame* arm = FindFrame(model_.element->root, "Arm");
    ASSERT_NE(root, nullptr);
    MeshContainer* c = root->containers;
    ASSERT_NE(c, nullptr);
    ASSERT_NE(c->skin, nullptr);
    EXPECT_EQ(model_.bonePaletteSize, 2);
    ASSERT_EQ(c->boneMatrices.size(), 2u);
    EXPECT_EQ(c->boneMatrices[0], &root->combined);
    EXPECT_EQ(c->boneMatrices[1], &arm->combined);
    EXPECT_FLOAT_EQ(c->boneOffsets[1].m[3][1], -5.0f);
    EXPECT_EQ(c->methodGenerated, kSkinningIndexedShader);
    EXPECT_EQ(c->maxFaceInfluences, 1u);
    EXPECT_EQ(c->paletteSize, 2u);
    EXPECT_EQ(c->attributeGroupCount, 1u);
    EXPECT_EQ(c->drawMesh->GetFvf(),
              static_cast<uint32_t>(gfx::FVF_XYZB1 | gfx::FVF_LASTBETA_UBYTE4 | gfx::FVF_NORMAL |
                                    gfx::FVF_TEX1));
    EXPECT_NE(c->textures[0], nullptr);
    EXPECT_EQ(c->adjacency.size(), 3u);
}

TEST_F(SkinnedModelLoadTest, AMissingTextureOfManyMaterialsIsReportedOnce) {
    std::string materials;
    for (int i = 0; i < 4; ++i) {
        materials +=
            "   Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"gone.bmp\"; } }\n";
    }
    const std::string body =
        "Frame Body {\n Mesh Hull {\n  4; 0;0;0;, 2;0;0;, 2;2;0;, 0;2;0;;\n"
        "  2; 3;0,1,2;, 3;0,2,3;;\n  MeshMaterialList { 4; 2; 0, 3;;\n" +
        materials + "  }\n }\n}\n";
    WriteModel("xfile/e1/e1.x", body);
    SkinnedModel second;
    InitModelDevice(&second, 0, device_);
    testing::internal::CaptureStderr();
    ASSERT_EQ(LoadModelFile(&model_, "xfile/e1/e1.x"), kModelOk);
    ASSERT_EQ(LoadModelFile(&second, "xfile/e1/e1.x"), kModelOk);
    std::string shown = testing::internal::GetCapturedStderr();
    ReleaseModel(&second);
    const std::string message = "Not File Found xfile/e1/gone.bmp";
    size_t first = shown.find(message);
    EXPECT_NE(first, std::string::npos) << shown;
    EXPECT_EQ(shown.find(message, first + 1), std::string::npos) << shown;
    for (gfx::Texture* t : model_.element->root->firstChild->containers->textures) {
        EXPECT_EQ(t, nullptr);
    }
}

TEST_F(SkinnedModelLoadTest, ProjectionAndStatesFollowTheLoad) {
    WriteModel("m.x", std::string("Frame Body {\n") + kHull + "}\n");
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    float r = model_.element->radius;
    gfx::Mat4 expected = gfx::PerspectiveFovRH(0.785398f, 640.0f / 480.0f, r / 64.0f, r * 200.0f);
    const gfx::DeviceState& s = device_->State();
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_FLOAT_EQ(s.projection.m[i][j], expected.m[i][j]);
            EXPECT_FLOAT_EQ(s.shaderConstants[2 + i][j], expected.m[j][i]);
        }
    }
    EXPECT_FLOAT_EQ(s.shaderConstants[1][2], 1.0f);
    EXPECT_EQ(s.renderStates[gfx::RS_COLORVERTEX], gfx::kFalse);
    EXPECT_EQ(s.renderStates[gfx::RS_ALPHABLENDENABLE], gfx::kTrue);
    EXPECT_EQ(s.renderStates[gfx::RS_DESTBLEND], gfx::BLEND_INVSRCALPHA);
    EXPECT_EQ(s.stageStates[0][gfx::TSS_ALPHAOP], gfx::TOP_MODULATE);
    // The four programs exist.
    for (uint32_t h : model_.vertexShaders) EXPECT_GE(h, gfx::kShaderHandleBase);
}

TEST_F(SkinnedModelLoadTest, BrokenModelsAreRefusedAndKeepNothing) {
    WriteModel("ghost.x",
               "Frame Root {\n Mesh { 3; 1;0;0;, 0;1;0;, 0;0;1;; 1; 3;0,1,2;;\n"
               "  SkinWeights { \"Ghost\"; 1; 0; 1; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; } } }\n");
    std::string many = "Frame A { }\nAnimationSet S {\n";
    for (int i = 0; i < kModelTimeSlots + 1; ++i) many += " Animation { {A} }\n";
    WriteModel("many.x", many + "}\n");
    // Both refusals are told with the file's name and the cause.
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadModelFile(&model_, "ghost.x"), kModelFail);  // a bone without its frame
    EXPECT_EQ(model_.element, nullptr);
    EXPECT_EQ(LoadModelFile(&model_, "many.x"), kModelFail);  // more nodes than time slots
    std::string shown = testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("[Error] Bone Not Found ghost.x (Ghost)"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[Error] Too Many Animations many.x (51 of 50)"), std::string::npos)
        << shown;

    EXPECT_EQ(LoadModelFile(&model_, "missing.x"), kModelFail);
    WriteModel("bad.x", "Frame A { Mesh { 3; 0;0;0;; } }\n");
    EXPECT_EQ(LoadModelFile(&model_, "bad.x"), kModelFail);
    WriteModel("matrix.x", "Frame A { FrameTransformMatrix { 1, 2; } }\n");
    EXPECT_EQ(LoadModelFile(&model_, "matrix.x"), kModelFail);
    EXPECT_EQ(LoadModelFile(&model_, std::string(kModelPathBytes, 'x').c_str()), kModelFail);
    EXPECT_EQ(LoadModelFile(&model_, "x"), kModelFail);
    EXPECT_EQ(model_.element, nullptr);

    // An empty mesh is dropped; the model loads. A failed load keeps the loaded model.
    WriteModel("empty.x", "Frame A { Mesh Nothing { 0;; 0;; } }\n");
    ASSERT_EQ(LoadModelFile(&model_, "empty.x"), kModelOk);
    EXPECT_EQ(model_.element->root->firstChild->containers, nullptr);
    ModelDrawElement* kept = model_.element;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadModelFile(&model_, "ghost.x"), kModelFail);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(model_.element, kept);
}

TEST_F(SkinnedModelLoadTest, AnAnimationOfAMissingFrameEndsItsSetOnly) {
    WriteModel("m.x",
               "Frame A { } Frame B { }\n"
               "AnimationSet S {\n"
               " Animation { {A} AnimationKey { 2; 1; 0;3;1,2,3;;; } }\n"
               " Animation { {Gone} AnimationKey { 2; 1; 0;3;4,5,6;;; } }\n"
               " Animation { {B} AnimationKey { 2; 1; 0;3;7,8,9;;; } }\n"
               "}\n"
               "AnimationSet T { Animation { {B} AnimationKey { 1; 1; 0;3;2,2,2;;; } } }\n");
    testing::internal::CaptureStderr();
    ASSERT_EQ(LoadModelFile(&model_, "m.x"), kModelOk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    // Newest first: T's node, the node of the missing frame, then A's; B's node in S was
    // never read.
    std::vector<ModelFrame*> nodes;
    for (ModelFrame* n = model_.element->animatedFrames; n; n = n->nextAnimated) {
        nodes.push_back(n);
    }
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_EQ(nodes[0]->animatedTarget, FindFrame(model_.element->root, "B"));
    EXPECT_EQ(nodes[0]->scaleKeys.size(), 1u);
    EXPECT_EQ(nodes[1]->animatedTarget, nullptr);
    EXPECT_TRUE(nodes[1]->positionKeys.empty());
    EXPECT_EQ(nodes[2]->animatedTarget, FindFrame(model_.element->root, "A"));
    ASSERT_EQ(nodes[2]->positionKeys.size(), 1u);
    EXPECT_FLOAT_EQ(nodes[2]->positionKeys[0].value.z, 3.0f);
    // Sampling skips the node without a frame.
    uint32_t counters[kModelTimeSlots] = {};
    AdvanceModelAnimation(&model_, counters);
}

TEST_F(SkinnedModelLoadTest, CommonResourcesLoadTheFirstTwoCraftModels) {
    WriteModel("xfile/craft0/craft0.x", std::string("Frame Body {\n") + kHull + "}\n");
    WriteModel("xfile/craft1/craft1.x", std::string("Frame Wing {\n") + kHull + "}\n");
    for (SkinnedModel& m : gCraftModels) InitModelDevice(&m, 0, device_);
    testing::internal::CaptureStderr();  // the common pictures are missing here
    LoadCommonResources();
    testing::internal::GetCapturedStderr();
    ASSERT_NE(gCraftModels[0].element, nullptr);
    ASSERT_NE(gCraftModels[1].element, nullptr);
    EXPECT_NE(FindFrame(gCraftModels[1].element->root, "Wing"), nullptr);
    EXPECT_EQ(gCraftModels[2].element, nullptr);
    for (SkinnedModel& m : gCraftModels) ReleaseModel(&m);
}

}  // namespace
