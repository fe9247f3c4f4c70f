// Plain (not animated) meshes loaded from ".x" files: stage courses, the background and the
// shot and object models. Their textures are shared by file name through one table, so the
// many stage meshes that use one picture load it once.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/mesh.h"

struct StaticMesh {
    gfx::Mesh* mesh = nullptr;  // null when not loaded
    // Per subset: the index into gSharedMeshTextures, or -1 for no texture.
    std::vector<int32_t> textureIndices;
    std::vector<gfx::Material> materials;  // per subset
    std::vector<uint32_t> adjacency;       // three entries per triangle
    int32_t subsetCount = 0;
    gfx::Vec3 centre{0.0f, 0.0f, 0.0f};  // bounding sphere, model space
    float radius = 0.0f;
};

constexpr int kSharedMeshTextureSlots = 50;
constexpr int kSharedTextureNameBytes = 256;
constexpr int kModelFolderBytes = 256;

struct SharedMeshTextures {
    gfx::Texture* textures[kSharedMeshTextureSlots];
    char names[kSharedMeshTextureSlots][kSharedTextureNameBytes];  // as the ".x" file gives it
    int32_t count;
};

extern SharedMeshTextures gSharedMeshTextures;
// The folder of the last mesh or model path loaded (up to and including its last '/'),
// where its textures are looked for.
extern char gModelFolder[kModelFolderBytes];

// Forgets every entry (the textures are released by the stage release before).
void ResetSharedTextures();
// Releases every texture the table holds, then forgets every entry: no entry is left
// naming a texture that is gone.
void ReleaseSharedTextures();

// Sets gModelFolder from a path; false (folder left empty) when it does not fit.
bool SetModelFolder(const char* path);

// Loads a ".x" file into the record; slot is the stage-mesh slot 0..19, or -1. Returns 1
// when loaded. A file that cannot be loaded shows "File Open Error" with the path and
// leaves the record empty; a record that held a mesh is released first.
int LoadXMesh(StaticMesh* record, const char* path, int slot);

// Frees a loaded record's mesh and arrays; a record without a mesh is left alone.
void ReleaseMesh(StaticMesh* record);
