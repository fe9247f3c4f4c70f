// Indexed triangle meshes on the graphics device: a vertex buffer in one vertex format, an
// index buffer of triangles, one attribute (material number) per triangle and the attribute
// table that groups the triangles of each attribute into one contiguous range, so that a
// subset draws with one indexed draw call. Skin meshes add bones that influence vertices and
// turn into meshes for the device's indexed skinning programs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gfx/device.h"

namespace gfx {

// One subset of a mesh: the triangles faceStart .. faceStart + faceCount - 1 all carry
// attribId and use only the vertices vertexStart .. vertexStart + vertexCount - 1.
struct AttributeRange {
    uint32_t attribId;
    uint32_t faceStart;
    uint32_t faceCount;
    uint32_t vertexStart;
    uint32_t vertexCount;
};

// Offsets of a vertex format's parts in bytes (-1 when absent).
struct VertexLayout {
    uint32_t size;
    uint32_t blendFloats;  // weight slots after the position, the index slot included
    bool indexedBlend;     // the last slot holds four palette indices as bytes
    int32_t normal;
    int32_t diffuse;
    int32_t specular;
    int32_t texCoords;  // first texture set
    uint32_t texSets;
};
// False for formats a mesh cannot hold (pre-transformed positions, five weight slots, no
// position at all).
bool GetVertexLayout(uint32_t fvf, VertexLayout* out);

class Mesh {
public:
    // An empty mesh of the given size: 16-bit indices while the vertices fit, else 32-bit.
    static Result Create(Device* device, uint32_t faceCount, uint32_t vertexCount, uint32_t fvf,
                         Mesh** out);

    uint32_t AddRef() { return ++refs_; }
    uint32_t Release();

    Device* GetDevice() const { return device_; }
    uint32_t GetFvf() const { return fvf_; }
    uint32_t GetNumVertices() const { return vertexCount_; }
    uint32_t GetNumFaces() const { return faceCount_; }
    uint32_t GetNumBytesPerVertex() const { return stride_; }
    // The buffers stay owned by the mesh.
    VertexBuffer* GetVertexBuffer() const { return vertices_; }
    IndexBuffer* GetIndexBuffer() const { return indices_; }
    bool Uses32BitIndices() const { return indices_->GetFormat() == Format::Index32; }

    // Triangle corners as vertex numbers, whatever the index size.
    uint32_t GetIndex(uint32_t corner) const;
    void SetIndex(uint32_t corner, uint32_t vertex);
    // Writes every corner at once: three vertex numbers per triangle.
    void WriteIndices(const std::vector<uint32_t>& corners);

    // The attribute of each triangle.
    std::vector<uint32_t>& Attributes() { return attributes_; }
    const std::vector<uint32_t>& Attributes() const { return attributes_; }
    const std::vector<AttributeRange>& AttributeTable() const { return table_; }
    void SetAttributeTable(std::vector<AttributeRange> table) { table_ = std::move(table); }

    // Puts the triangles in attribute order (keeping their order within an attribute) and
    // builds the attribute table. faceRemap, when given, receives for each new triangle the
    // number it had before.
    void SortByAttribute(std::vector<uint32_t>* faceRemap = nullptr);

    // A copy of the mesh in another vertex format: parts both formats have are copied, new
    // parts are zero except the diffuse colour, which becomes opaque white.
    Result CloneFvf(uint32_t fvf, Mesh** out) const;

    // Draws the triangles of one attribute with the fixed-function pipeline (the mesh's
    // vertex format becomes the device's vertex shader). An attribute without triangles
    // draws nothing.
    Result DrawSubset(uint32_t attribId);

private:
    Mesh(Device* device, uint32_t fvf, uint32_t stride)
        : device_(device), fvf_(fvf), stride_(stride) {}
    ~Mesh();

    Device* device_;
    uint32_t fvf_;
    uint32_t stride_;
    uint32_t vertexCount_ = 0;
    uint32_t faceCount_ = 0;
    VertexBuffer* vertices_ = nullptr;
    IndexBuffer* indices_ = nullptr;
    std::vector<uint32_t> attributes_;
    std::vector<AttributeRange> table_;
    uint32_t refs_ = 1;
};

// The most bones one draw of the skinning programs can use.
constexpr uint32_t kMaxPaletteSize = 28;
// The most bones that influence one vertex of an indexed blended mesh.
constexpr uint32_t kMaxVertexInfluences = 4;
constexpr uint32_t kUnusedBone = 0xFFFFFFFFu;

// One draw of an indexed blended mesh: a range of triangles of one material whose vertices
// refer to at most a palette's worth of bones. boneId[i] is the bone whose matrix goes into
// palette entry i, or kUnusedBone.
struct BoneCombination {
    uint32_t attribId;
    uint32_t faceStart;
    uint32_t faceCount;
    uint32_t vertexStart;
    uint32_t vertexCount;
    std::array<uint32_t, kMaxPaletteSize> boneId;
};

struct Bone {
    std::string name;
    Mat4 offset;  // from the mesh's space into the bone's space
    // The vertices of the mesh the bone moves and how strongly (0 .. 1).
    std::vector<uint32_t> vertices;
    std::vector<float> weights;
};

// A mesh with the bones that deform it.
class SkinMesh {
public:
    // Takes over one reference of the mesh.
    SkinMesh(Mesh* mesh, std::vector<Bone> bones) : mesh_(mesh), bones_(std::move(bones)) {}
    ~SkinMesh();
    SkinMesh(const SkinMesh&) = delete;
    SkinMesh& operator=(const SkinMesh&) = delete;

    uint32_t GetNumBones() const { return static_cast<uint32_t>(bones_.size()); }
    const Bone& GetBone(uint32_t i) const { return bones_[i]; }
    // The mesh the bones refer to (no reference added).
    Mesh* GetOriginalMesh() const { return mesh_; }

    // Builds the mesh for the indexed skinning programs. Each vertex keeps its
    // kMaxVertexInfluences strongest bones, their weights scaled to sum to 1; the triangles
    // of each material are cut into bone combinations of at most paletteSize bones (at most
    // kMaxPaletteSize), and each combination gets its own copies of the vertices it uses,
    // with palette entries in place of bone numbers. The new mesh's format holds as many
    // weight slots as the most influenced vertex needs (the last slot carries the palette
    // indices as four bytes, influence k in byte k from the lowest), then the original's
    // normal, colour and texture sets.
    Result ConvertToIndexedBlendedMesh(uint32_t paletteSize, Mesh** out,
                                       std::vector<BoneCombination>* combinations) const;

private:
    Mesh* mesh_;
    std::vector<Bone> bones_;
};

// Adjacency of triangles: for each triangle three entries, the triangle across its edges
// (corner 0-1, 1-2, 2-0), or 0xFFFFFFFF. Vertices are matched by pointRep[vertex] when
// given (vertices split from one point count as the same), else by number.
std::vector<uint32_t> ComputeAdjacency(const Mesh& mesh, const std::vector<uint32_t>* pointRep);

}  // namespace gfx
