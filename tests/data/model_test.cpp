// The models: every craft, enemy and stage model file through the model loader, with the
// animation tracks and bones the game drives; the object meshes through the mesh loader.
#include <cmath>

#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "tests/data/data_fixture.h"

namespace vqtest {
namespace {

class ModelDataTest : public DataTest {
protected:
    void Load(SkinnedModel* model, const char* path) {
        InitModelDevice(model, 0, device_.get());
        ASSERT_EQ(LoadModelFile(model, path), kModelOk) << path;
        ASSERT_NE(model->element, nullptr) << path;
    }
    // The animation node at a list index (newest first).
    static ModelFrame* Node(const SkinnedModel& m, int index) {
        ModelFrame* n = m.element->animatedFrames;
        for (int i = 0; n && i < index; ++i) n = n->nextAnimated;
        return n;
    }
    static int NodeCount(const SkinnedModel& m) {
        int n = 0;
        for (ModelFrame* f = m.element->animatedFrames; f; f = f->nextAnimated) ++n;
        return n;
    }
    static void Containers(ModelFrame* f, std::vector<MeshContainer*>& out) {
        for (; f; f = f->sibling) {
            for (MeshContainer* c = f->containers; c; c = c->next) out.push_back(c);
            Containers(f->firstChild, out);
        }
    }
    // The local matrix of the node's target after sampling all nodes at `counter`, with the
    // node at `index` sampled at `value` instead.
    static gfx::Mat4 Pose(SkinnedModel& m, int index, uint32_t value) {
        uint32_t counters[kModelTimeSlots] = {};
        counters[index] = value;
        AdvanceModelAnimation(&m, counters);
        return Node(m, index)->animatedTarget->local;
    }
    static float Difference(const gfx::Mat4& a, const gfx::Mat4& b) {
        float d = 0;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) d += std::fabs(a.m[r][c] - b.m[r][c]);
        return d;
    }
};

TEST_F(ModelDataTest, EveryModelLoadsWithItsTexturesTracksAndBones) {
    for (const char* path : ModelCatalogue()) {
        SCOPED_TRACE(path);
        SkinnedModel model;
        Load(&model, path);
        int nodes = NodeCount(model);
        EXPECT_GE(nodes, 1);
        EXPECT_LE(nodes, kModelTimeSlots);
        EXPECT_LE(model.bonePaletteSize, 28);
        EXPECT_GT(model.element->radius, 1.0f);
        std::vector<MeshContainer*> containers;
        Containers(model.element->root, containers);
        ASSERT_FALSE(containers.empty());
        for (MeshContainer* c : containers)
            for (gfx::Texture* t : c->textures) EXPECT_NE(t, nullptr);
        // Every track drives a frame and has keys after time 0, so sampling it loops.
        for (ModelFrame* n = model.element->animatedFrames; n; n = n->nextAnimated) {
            ASSERT_NE(n->animatedTarget, nullptr) << n->name;
            uint32_t last = 0;
            for (const RotationKey& k : n->rotationKeys) last = std::max(last, k.time);
            for (const VectorKey& k : n->scaleKeys) last = std::max(last, k.time);
            for (const VectorKey& k : n->positionKeys) last = std::max(last, k.time);
            EXPECT_GT(last, 0u) << n->name;
        }
        ReleaseModel(&model);
    }
}

// The craft's bank poses and running parts sit at the list indices the craft control
// writes: craft 0 banks on 1 (right), 3 (left) and 5 (both), runs 13, 14, 18, 19; craft 1
// banks on 3 and 9 and runs 6 and 7; craft 2 banks on 9, 4 and 1 and runs 6, 7, 12; craft 3
// banks on 4 and 6 and runs 10, 13, 15.
TEST_F(ModelDataTest, TheCraftTracksMoveWhereTheCraftControlDrivesThem) {
    {
        SkinnedModel m;
        Load(&m, "xfile/craft0/craft0.x");
        ASSERT_GE(NodeCount(m), 20);
        // Bank 1.0 right: frames 5 and 1 at 714; bank -1.0 left: frames 5 and 3 at 1496.
        EXPECT_GT(Difference(Pose(m, 1, 0), Pose(m, 1, 714)), 0.2f);
        EXPECT_GT(Difference(Pose(m, 3, 0), Pose(m, 3, 1496)), 0.2f);
        EXPECT_GT(Difference(Pose(m, 5, 782), Pose(m, 5, 1496)), 0.2f);
        EXPECT_GT(Difference(Pose(m, 5, 0), Pose(m, 5, 714)), 0.2f);
        // Level flight (bank 0) leaves the left pose at rest.
        EXPECT_LT(Difference(Pose(m, 3, 0), Pose(m, 3, 782)), 0.01f);
        for (int running : {13, 14, 18, 19})
            EXPECT_GT(Difference(Pose(m, running, 0), Pose(m, running, 17 * 3)), 0.01f) << running;
        ReleaseModel(&m);
    }
    {
        SkinnedModel m;
        Load(&m, "xfile/craft1/craft1.x");
        ASSERT_GE(NodeCount(m), 10);
        EXPECT_GT(Difference(Pose(m, 3, 0), Pose(m, 3, 357)), 0.2f);
        EXPECT_GT(Difference(Pose(m, 9, 0), Pose(m, 9, 357)), 0.2f);
        for (int running : {6, 7})
            EXPECT_GT(Difference(Pose(m, running, 0), Pose(m, running, 17 * 3)), 0.01f) << running;
        ReleaseModel(&m);
    }
    {
        SkinnedModel m;
        Load(&m, "xfile/craft2/craft2.x");
        ASSERT_GE(NodeCount(m), 13);
        // Bank 1.0 right: frame 9 at 357, frame 1 at 238; bank -1.0 left: frame 4 at 357,
        // frame 1 at 612 (374 at level flight on the left).
        EXPECT_GT(Difference(Pose(m, 9, 0), Pose(m, 9, 357)), 0.2f);
        EXPECT_GT(Difference(Pose(m, 4, 0), Pose(m, 4, 357)), 0.2f);
        EXPECT_GT(Difference(Pose(m, 1, 0), Pose(m, 1, 238)), 0.2f);
        EXPECT_GT(Difference(Pose(m, 1, 374), Pose(m, 1, 612)), 0.2f);
        EXPECT_LT(Difference(Pose(m, 1, 0), Pose(m, 1, 374)), 0.01f);
        for (int running : {6, 7, 12})
            EXPECT_GT(Difference(Pose(m, running, 0), Pose(m, running, 17 * 3)), 0.01f) << running;
        ReleaseModel(&m);
    }
    {
        SkinnedModel m;
        Load(&m, "xfile/craft3/craft3.x");
        ASSERT_GE(NodeCount(m), 16);
        // Bank 1.0 right: frames 4 and 6 at 745 (388 level); bank -1.0 left: 357 (0 level).
        for (int frame : {4, 6}) {
            EXPECT_GT(Difference(Pose(m, frame, 0), Pose(m, frame, 357)), 0.2f) << frame;
            EXPECT_GT(Difference(Pose(m, frame, 388), Pose(m, frame, 745)), 0.2f) << frame;
            EXPECT_LT(Difference(Pose(m, frame, 0), Pose(m, frame, 388)), 0.01f) << frame;
        }
        for (int running : {10, 13, 15})
            EXPECT_GT(Difference(Pose(m, running, 0), Pose(m, running, 17 * 3)), 0.01f) << running;
        ReleaseModel(&m);
    }
}

// The crafts bend their wings on bones; the giant bosses walk on theirs.
TEST_F(ModelDataTest, SkinnedModelsBindEveryBoneToAFrame) {
    for (const char* path :
         {"xfile/craft0/craft0.x", "xfile/boss05/boss05_silver.x", "xfile/boss05/boss05_gold.x"}) {
        SCOPED_TRACE(path);
        SkinnedModel m;
        Load(&m, path);
        std::vector<MeshContainer*> containers;
        Containers(m.element->root, containers);
        int skinned = 0;
        for (MeshContainer* c : containers) {
            if (!c->skin) continue;
            ++skinned;
            EXPECT_FALSE(c->boneMatrices.empty());
            for (const gfx::Mat4* b : c->boneMatrices) EXPECT_NE(b, nullptr);
            EXPECT_LE(c->maxFaceInfluences, 4u);
        }
        EXPECT_EQ(skinned, 1);
        ReleaseModel(&m);
    }
}

// The giants' clips: the phase routine holds its times within 0..1989 milliseconds of the
// clock (x 4.8 in key time); the arms must move between the clips.
TEST_F(ModelDataTest, TheGiantsArmsMoveBetweenTheirClips) {
    SkinnedModel m;
    Load(&m, "xfile/boss05/boss05_gold.x");
    ModelFrame* arm = nullptr;
    int index = 0;
    for (ModelFrame* n = m.element->animatedFrames; n; n = n->nextAnimated, ++index)
        if (n->animatedTarget && n->animatedTarget->name == "arm_L") {
            arm = n;
            break;
        }
    ASSERT_NE(arm, nullptr);
    uint32_t last = 0;
    for (const RotationKey& k : arm->rotationKeys) last = std::max(last, k.time);
    EXPECT_GE(last, static_cast<uint32_t>(1989 * 4.8f));
    gfx::Mat4 windUp = Pose(m, index, 100), idle = Pose(m, index, 1500), hit = Pose(m, index, 1960);
    EXPECT_GT(Difference(windUp, idle), 0.3f);
    EXPECT_GT(Difference(idle, hit), 0.3f);
    ReleaseModel(&m);
}

TEST_F(ModelDataTest, ObjectMeshesAreTexturedEverywhere) {
    ResetSharedTextures();
    for (const char* path : ObjectMeshCatalogue()) {
        SCOPED_TRACE(path);
        StaticMesh mesh;
        ASSERT_EQ(LoadXMesh(&mesh, path, -1), 1);
        ASSERT_GT(mesh.subsetCount, 0);
        for (int32_t t : mesh.textureIndices) {
            ASSERT_GE(t, 0);
            EXPECT_NE(gSharedMeshTextures.textures[t], nullptr);
        }
        EXPECT_GT(mesh.radius, 5.0f);
        ReleaseMesh(&mesh);
    }
    ReleaseSharedTextures();
}

}  // namespace
}  // namespace vqtest
