// Animated, skinned models (the crafts, the enemies and the stage models). A model loads one
// ".x" file into a tree of frames that carry mesh containers, bone links and animation keys.
// Each frame of an animation is sampled at a time the caller gives, the tree is turned into
// combined matrices, and each mesh container is drawn: meshes with bones through the
// device's indexed skinning programs (up to 4 bones a vertex, a palette of up to 28 bones a
// draw), meshes without bones through the fixed-function pipeline.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/mesh.h"

// Results of the model operations (0 = success).
constexpr int32_t kModelOk = 0;
constexpr int32_t kModelFail = static_cast<int32_t>(0x80004005u);
constexpr int32_t kModelOutOfMemory = static_cast<int32_t>(0x8007000Eu);
constexpr int32_t kModelInvalidArg = static_cast<int32_t>(0x80070057u);

constexpr int kModelPathBytes = 260;
// Animation nodes a model may have: one time slot each.
constexpr int kModelTimeSlots = 50;
// Skinning methods; only indexed blending in a vertex program is ever used.
constexpr int32_t kSkinningIndexedShader = 3;
constexpr int32_t kSkinningNone = 4;

struct RotationKey {
    uint32_t time;
    gfx::Quat value;  // x, y, z, w
};

struct VectorKey {
    uint32_t time;
    gfx::Vec3 value;
};

struct MatrixKey {
    uint32_t time;
    gfx::Mat4 value;
};

struct MeshContainer;

struct ModelFrame {
    MeshContainer* containers = nullptr;  // newest first
    gfx::Mat4 local = gfx::Identity();
    gfx::Mat4 post = gfx::Identity();  // applied after the parent's combined matrix
    gfx::Mat4 original = gfx::Identity();
    gfx::Mat4 combined = gfx::Identity();
    std::vector<VectorKey> positionKeys;
    std::vector<RotationKey> rotationKeys;
    std::vector<VectorKey> scaleKeys;
    std::vector<MatrixKey> matrixKeys;
    ModelFrame* nextAnimated = nullptr;
    ModelFrame* animatedTarget = nullptr;  // the frame this node's keys drive
    ModelFrame* sibling = nullptr;
    ModelFrame* firstChild = nullptr;
    uint8_t animation = 0;  // 1 for animation sets and animation nodes
    std::string name;
};

struct MeshContainer {
    gfx::Mesh* drawMesh = nullptr;
    std::vector<gfx::Material> materials;
    std::vector<gfx::Texture*> textures;  // per material; null = none
    uint32_t attributeGroupCount = 0;     // bone combinations, or materials without bones
    uint32_t materialCount = 0;
    MeshContainer* next = nullptr;
    std::string name;
    gfx::SkinMesh* skin = nullptr;               // null for a mesh without bones
    std::vector<const gfx::Mat4*> boneMatrices;  // combined matrix of each bone's frame
    std::vector<gfx::Mat4> boneOffsets;
    std::vector<uint32_t> adjacency;
    uint32_t maxFaceInfluences = 1;
    std::vector<gfx::BoneCombination> boneCombinations;
    int32_t methodGenerated = kSkinningNone;
    uint32_t paletteSize = 0;
    int32_t softwareProcessing = 0;
};

struct ModelDrawElement {
    std::string name;  // the loaded file's path
    ModelFrame* root = nullptr;
    ModelFrame* animatedFrames = nullptr;  // newest first, linked through nextAnimated
    gfx::Vec3 centre{0.0f, 0.0f, 0.0f};
    float radius = 1.0f;
    float timeSlots[kModelTimeSlots] = {};  // last sampled time of each animation node
};

// One model. Objects live for the whole run; the destructor releases nothing (the scenes
// release what they loaded with ReleaseModel).
struct SkinnedModel {
    char path[kModelPathBytes] = {};
    gfx::Device* device = nullptr;
    uint32_t backBufferWidth = 640;
    uint32_t backBufferHeight = 480;
    uint32_t startTime = 0;
    ModelDrawElement* element = nullptr;  // null when not loaded
    int32_t bonePaletteSize = 0;          // largest bone count of the model's meshes
    int32_t skinningMethod = kSkinningIndexedShader;
    uint32_t vertexShaders[4] = {};  // programs for 1 to 4 influences
    gfx::Mat4 rotation = gfx::Identity();
    gfx::Mat4 translation = gfx::Identity();
};

// The player crafts' models, by craft number; the common resources load the first two.
constexpr int kCraftModelCount = 4;
extern SkinnedModel gCraftModels[kCraftModelCount];

// Once per model when the device exists: stores the start time and the device, reads the
// back buffer's size and creates the four skinning programs.
void InitModelDevice(SkinnedModel* model, uint32_t startTime, gfx::Device* device);
// The device states the model drawing relies on, and the model's projection.
void SetModelRenderStates(SkinnedModel* model, gfx::Device* device);
// Perspective projection from the model's bounding sphere, set on the device and in the
// programs' constants c2..c5.
void SetModelProjection(SkinnedModel* model);

// Loads a ".x" file into the model (replacing what it held). Returns kModelOk or the
// failing result; a path of kModelPathBytes or more is refused. A file that cannot be loaded
// (missing, empty, damaged) is told to the user by a message naming it; the model keeps
// what it held.
int32_t LoadModelFile(SkinnedModel* model, const char* path);
// Loads the file named by model->path (with the same message on failure).
int32_t LoadModelHierarchy(SkinnedModel* model);

// Builds the container's drawable mesh for the model's skinning method from its skin mesh.
int32_t GenerateSkinnedMesh(SkinnedModel* model, MeshContainer* container);
// Frees an element with its whole tree (textures, meshes and skin meshes included).
void FreeModelElement(ModelDrawElement* element);

// Depth first from the frame: the frame itself, its children's subtrees, then its
// siblings' subtrees; exact, case-sensitive names. Null when none matches.
ModelFrame* FindFrame(ModelFrame* frame, const char* name);

// Samples every animation node at (counters[i] - start time) x 4.8 key-time units, i
// counting the nodes newest first. counters holds kModelTimeSlots values.
void AdvanceModelAnimation(SkinnedModel* model, const uint32_t* counters);
// Writes the local matrix of the node's animated frame for the time.
void SampleFrameAnimation(ModelFrame* node, float time);
// combined = local x parent x post, down the tree.
void UpdateFrameMatrices(ModelFrame* frame, const gfx::Mat4& parent);

// Draws the model with its rotation and translation matrices. Returns kModelOk (also for a
// model that is not loaded) or the first failure.
int32_t RenderModel(SkinnedModel* model);
// Frees everything the model loaded.
void ReleaseModel(SkinnedModel* model);
