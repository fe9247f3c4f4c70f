// Meshes from ".x" files: the whole file merged into one mesh (every Mesh object moved by
// the transforms of the frames around it), and single Mesh objects as skin meshes with the
// bones of their SkinWeights.
//
// Polygons are cut into fans of triangles; a vertex used with different normals on different
// faces is split into one vertex per normal. The vertex format follows the parts the file
// gives: position always, normal, diffuse colour and one texture set when present. Materials
// come in file order, one attribute per triangle; a mesh that names no material gets one
// opaque grey material, so it is visible.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/mesh.h"
#include "platform/xfile/xfile.h"

namespace xfile {

enum class LoadResult {
    Ok,
    FileError,    // missing, unreadable or malformed file
    NoData,       // the file holds no triangles
    InvalidData,  // a mesh whose parts do not agree (counts, indices)
    DeviceError,  // the device could not make the buffers
};

struct MeshMaterial {
    gfx::Material material;       // ambient is 0; specular and emissive alpha 1
    std::string textureFilename;  // as the file gives it; empty for none
};

struct LoadedMesh {
    gfx::Mesh* mesh = nullptr;  // one reference, owned by the caller
    std::vector<uint32_t> adjacency;
    std::vector<MeshMaterial> materials;
};

struct LoadedSkinMesh {
    gfx::SkinMesh* skin = nullptr;  // owned by the caller
    std::vector<uint32_t> adjacency;
    std::vector<MeshMaterial> materials;
};

// The grey a mesh without materials is drawn with.
gfx::Material DefaultMeshMaterial();

// Loads every Mesh of the file into one mesh.
LoadResult LoadMeshFromFile(const char* path, gfx::Device* device, LoadedMesh* out,
                            ParseError* error);
LoadResult LoadMeshFromDocument(const Document& document, gfx::Device* device, LoadedMesh* out,
                                ParseError* error);

// Loads one Mesh data object, with its SkinWeights as bones. A mesh without faces gives
// NoData.
LoadResult LoadSkinMesh(const Document& document, const Object& mesh, gfx::Device* device,
                        LoadedSkinMesh* out, ParseError* error);

}  // namespace xfile
