#include "engine/models/static_mesh.h"

#include <cstdio>
#include <cstring>

#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "engine/graphics/texture.h"
#include "platform/xfile/mesh_loader.h"

SharedMeshTextures gSharedMeshTextures;
char gModelFolder[kModelFolderBytes];

namespace {

// The vertex format stage meshes keep as loaded; any other is reduced to position and one
// texture set.
constexpr uint32_t kLitColoredFormat =
    gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;
constexpr uint32_t kTexturedFormat = gfx::FVF_XYZ | gfx::FVF_TEX1;

// Material names the stage data gives to turret mounts, which are drawn as enemies instead.
constexpr char kTurretTexture[] = "l_houdai.tga";

// The shared texture entry of a file name, loading it on first use; -1 when the name
// cannot be kept.
int32_t SharedTextureIndex(const std::string& name) {
    SharedMeshTextures& shared = gSharedMeshTextures;
    for (int32_t i = 0; i < shared.count; ++i) {
        if (name == shared.names[i]) return i;
    }
    if (shared.count >= kSharedMeshTextureSlots || name.size() >= kSharedTextureNameBytes) {
        return -1;
    }
    int32_t index = shared.count;
    std::memcpy(shared.names[index], name.c_str(), name.size() + 1);
    char path[kModelFolderBytes + kSharedTextureNameBytes];
    std::snprintf(path, sizeof path, "%s%s", gModelFolder, name.c_str());
    LoadTextureAnySize(&shared.textures[index], path);
    shared.count += 1;
    return index;
}

}  // namespace

void ResetSharedTextures() {
    gSharedMeshTextures.count = 0;
    for (gfx::Texture*& t : gSharedMeshTextures.textures) t = nullptr;
}

void ReleaseSharedTextures() {
    for (gfx::Texture* t : gSharedMeshTextures.textures) {
        if (t) t->Release();
    }
    ResetSharedTextures();
}

bool SetModelFolder(const char* path) {
    const char* slash = path ? std::strrchr(path, '/') : nullptr;
    size_t length = slash ? static_cast<size_t>(slash - path) + 1 : 0;
    if (length >= sizeof gModelFolder) {
        gModelFolder[0] = 0;
        return false;
    }
    std::memcpy(gModelFolder, path, length);
    gModelFolder[length] = 0;
    return true;
}

int LoadXMesh(StaticMesh* record, const char* path, int slot) {
    (void)slot;  // the stage-mesh slot plays no part in loading
    ReleaseMesh(record);
    xfile::LoadedMesh loaded;
    if (!path || !SetModelFolder(path) ||
        xfile::LoadMeshFromFile(path, Device3D(), &loaded, nullptr) != xfile::LoadResult::Ok) {
        ShowMessageBox(path ? path : "", kFileOpenErrorCaption);
        return 0;
    }

    size_t count = loaded.materials.size();
    record->mesh = loaded.mesh;
    record->adjacency = std::move(loaded.adjacency);
    record->subsetCount = static_cast<int32_t>(count);
    record->textureIndices.assign(count, -1);
    record->materials.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const xfile::MeshMaterial& m = loaded.materials[i];
        record->materials[i] = m.material;
        record->materials[i].ambient = m.material.diffuse;
        if (m.textureFilename.empty()) continue;
        if (m.textureFilename.compare(0, sizeof kTurretTexture - 1, kTurretTexture) == 0) continue;
        record->textureIndices[i] = SharedTextureIndex(m.textureFilename);
    }

    gfx::Mesh* mesh = record->mesh;
    gfx::ComputeBoundingSphere(mesh->GetVertexBuffer()->Data(), mesh->GetNumVertices(),
                               mesh->GetNumBytesPerVertex(), &record->centre, &record->radius);

    if (mesh->GetFvf() != kLitColoredFormat) {
        gfx::Mesh* clone = nullptr;
        if (gfx::Failed(mesh->CloneFvf(kTexturedFormat, &clone))) {
            ReleaseMesh(record);
            ShowMessageBox(path, kFileOpenErrorCaption);
            return 0;
        }
        mesh->Release();
        record->mesh = clone;
    }
    return 1;
}

void ReleaseMesh(StaticMesh* record) {
    if (!record->mesh) return;
    record->textureIndices.clear();
    record->textureIndices.shrink_to_fit();
    record->materials.clear();
    record->materials.shrink_to_fit();
    record->mesh->Release();
    record->mesh = nullptr;
    record->adjacency.clear();
    record->adjacency.shrink_to_fit();
}
