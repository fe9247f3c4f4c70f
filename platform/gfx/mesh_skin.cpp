// Skin meshes and their conversion for the indexed skinning programs.
#include <algorithm>
#include <cstring>

#include "platform/gfx/mesh.h"

namespace gfx {

namespace {

struct Influence {
    uint32_t bone;
    float weight;
};

struct VertexInfluences {
    Influence item[kMaxVertexInfluences];
    uint32_t count;
};

// The strongest influences of every vertex, weights scaled to sum to 1. A vertex no bone
// moves follows bone 0 fully, so it stays with the model instead of collapsing to the origin.
std::vector<VertexInfluences> GatherInfluences(uint32_t vertexCount,
                                               const std::vector<Bone>& bones) {
    std::vector<std::vector<Influence>> all(vertexCount);
    for (uint32_t b = 0; b < bones.size(); ++b) {
        const Bone& bone = bones[b];
        size_t n = std::min(bone.vertices.size(), bone.weights.size());
        for (size_t i = 0; i < n; ++i) {
            uint32_t v = bone.vertices[i];
            float w = bone.weights[i];
            if (v >= vertexCount || !(w > 0.0f)) continue;
            all[v].push_back(Influence{b, w});
        }
    }
    std::vector<VertexInfluences> out(vertexCount);
    for (uint32_t v = 0; v < vertexCount; ++v) {
        std::vector<Influence>& list = all[v];
        std::stable_sort(list.begin(), list.end(), [](const Influence& a, const Influence& b) {
            return a.weight > b.weight;
        });
        VertexInfluences& vi = out[v];
        vi.count = static_cast<uint32_t>(std::min<size_t>(list.size(), kMaxVertexInfluences));
        float sum = 0.0f;
        for (uint32_t k = 0; k < vi.count; ++k) {
            vi.item[k] = list[k];
            sum += list[k].weight;
        }
        if (vi.count == 0 || !(sum > 0.0f)) {
            vi.count = 1;
            vi.item[0] = Influence{0, 1.0f};
            continue;
        }
        for (uint32_t k = 0; k < vi.count; ++k) vi.item[k].weight /= sum;
    }
    return out;
}

// Palette of one bone combination under construction.
struct Palette {
    uint32_t bone[kMaxPaletteSize];
    uint32_t count = 0;

    int32_t Find(uint32_t b) const {
        for (uint32_t i = 0; i < count; ++i) {
            if (bone[i] == b) return static_cast<int32_t>(i);
        }
        return -1;
    }
};

}  // namespace

SkinMesh::~SkinMesh() {
    if (mesh_) mesh_->Release();
}

Result SkinMesh::ConvertToIndexedBlendedMesh(uint32_t paletteSize, Mesh** out,
                                             std::vector<BoneCombination>* combinations) const {
    *out = nullptr;
    combinations->clear();
    if (!mesh_ || bones_.empty() || paletteSize == 0) return Result::InvalidCall;
    uint32_t palette = std::min({paletteSize, kMaxPaletteSize, GetNumBones()});

    VertexLayout from;
    if (!GetVertexLayout(mesh_->GetFvf(), &from)) return Result::InvalidCall;
    const uint32_t vertexCount = mesh_->GetNumVertices();
    const uint32_t faceCount = mesh_->GetNumFaces();
    std::vector<VertexInfluences> influences = GatherInfluences(vertexCount, bones_);

    uint32_t most = 1;
    for (uint32_t c = 0; c < faceCount * 3; ++c) {
        most = std::max(most, influences[mesh_->GetIndex(c)].count);
    }

    // Triangles in attribute order, then cut into combinations of at most `palette` bones.
    std::vector<uint32_t> order(faceCount);
    for (uint32_t f = 0; f < faceCount; ++f) order[f] = f;
    const std::vector<uint32_t>& attributes = mesh_->Attributes();
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return attributes[a] < attributes[b]; });

    struct Group {
        uint32_t attribId;
        uint32_t first, count;  // into `order`
        Palette palette;
    };
    std::vector<Group> groups;
    for (uint32_t i = 0; i < faceCount; ++i) {
        uint32_t f = order[i];
        uint32_t faceBones[3 * kMaxVertexInfluences];
        uint32_t n = 0;
        for (uint32_t k = 0; k < 3; ++k) {
            const VertexInfluences& vi = influences[mesh_->GetIndex(f * 3 + k)];
            for (uint32_t j = 0; j < vi.count; ++j) {
                uint32_t b = vi.item[j].bone;
                if (std::find(faceBones, faceBones + n, b) == faceBones + n) faceBones[n++] = b;
            }
        }
        if (n > palette) return Result::InvalidCall;  // one triangle needs more than a palette
        bool fits = !groups.empty() && groups.back().attribId == attributes[f];
        if (fits) {
            uint32_t added = 0;
            for (uint32_t j = 0; j < n; ++j) {
                if (groups.back().palette.Find(faceBones[j]) < 0) ++added;
            }
            fits = groups.back().palette.count + added <= palette;
        }
        if (!fits) groups.push_back(Group{attributes[f], i, 0, {}});
        Group& g = groups.back();
        for (uint32_t j = 0; j < n; ++j) {
            if (g.palette.Find(faceBones[j]) < 0) g.palette.bone[g.palette.count++] = faceBones[j];
        }
        g.count += 1;
    }

    // Each combination gets its own copies of the vertices it uses.
    std::vector<uint32_t> stamp(vertexCount, 0xFFFFFFFFu), remap(vertexCount, 0);
    std::vector<uint32_t> newSource;  // original vertex of each new vertex
    std::vector<uint32_t> newCorner(static_cast<size_t>(faceCount) * 3);
    std::vector<uint32_t> groupVertexStart(groups.size());
    for (uint32_t g = 0; g < groups.size(); ++g) {
        groupVertexStart[g] = static_cast<uint32_t>(newSource.size());
        for (uint32_t i = groups[g].first; i < groups[g].first + groups[g].count; ++i) {
            for (uint32_t k = 0; k < 3; ++k) {
                uint32_t v = mesh_->GetIndex(order[i] * 3 + k);
                if (stamp[v] != g) {
                    stamp[v] = g;
                    remap[v] = static_cast<uint32_t>(newSource.size());
                    newSource.push_back(v);
                }
                newCorner[static_cast<size_t>(i) * 3 + k] = remap[v];
            }
        }
    }

    uint32_t positionBits = FVF_XYZB1 + 2 * (most - 1);
    uint32_t fvf =
        positionBits | FVF_LASTBETA_UBYTE4 |
        (mesh_->GetFvf() & (FVF_NORMAL | FVF_DIFFUSE | FVF_SPECULAR | FVF_TEXCOUNT_MASK));
    VertexLayout to;
    if (!GetVertexLayout(fvf, &to)) return Result::InvalidCall;
    Mesh* result = nullptr;
    Result r = Mesh::Create(mesh_->GetDevice(), faceCount, static_cast<uint32_t>(newSource.size()),
                            fvf, &result);
    if (Failed(r)) return r;

    const uint8_t* src = mesh_->GetVertexBuffer()->Data();
    auto* dst = static_cast<uint8_t*>(result->GetVertexBuffer()->Lock());
    for (uint32_t g = 0; g < groups.size(); ++g) {
        uint32_t end = g + 1 < groups.size() ? groupVertexStart[g + 1]
                                             : static_cast<uint32_t>(newSource.size());
        for (uint32_t nv = groupVertexStart[g]; nv < end; ++nv) {
            uint32_t v = newSource[nv];
            const uint8_t* s = src + static_cast<size_t>(v) * from.size;
            uint8_t* d = dst + static_cast<size_t>(nv) * to.size;
            std::memcpy(d, s, 12);
            const VertexInfluences& vi = influences[v];
            // Unused slots: weight 0 and the first influence's palette entry.
            uint8_t index[4];
            for (uint32_t k = 0; k < 4; ++k) {
                uint32_t bone = vi.item[k < vi.count ? k : 0].bone;
                index[k] = static_cast<uint8_t>(groups[g].palette.Find(bone));
            }
            for (uint32_t k = 0; k + 1 < most; ++k) {
                float w = k < vi.count ? vi.item[k].weight : 0.0f;
                std::memcpy(d + 12 + 4 * k, &w, 4);
            }
            std::memcpy(d + 12 + 4 * (most - 1), index, 4);
            if (to.normal >= 0) std::memcpy(d + to.normal, s + from.normal, 12);
            if (to.diffuse >= 0) std::memcpy(d + to.diffuse, s + from.diffuse, 4);
            if (to.specular >= 0) std::memcpy(d + to.specular, s + from.specular, 4);
            if (to.texSets > 0) std::memcpy(d + to.texCoords, s + from.texCoords, 8 * to.texSets);
        }
    }
    result->GetVertexBuffer()->Unlock();

    result->WriteIndices(newCorner);
    std::vector<AttributeRange> table;
    for (uint32_t g = 0; g < groups.size(); ++g) {
        const Group& group = groups[g];
        uint32_t end = g + 1 < groups.size() ? groupVertexStart[g + 1]
                                             : static_cast<uint32_t>(newSource.size());
        BoneCombination bc{};
        bc.attribId = group.attribId;
        bc.faceStart = group.first;
        bc.faceCount = group.count;
        bc.vertexStart = groupVertexStart[g];
        bc.vertexCount = end - groupVertexStart[g];
        bc.boneId.fill(kUnusedBone);
        for (uint32_t i = 0; i < group.palette.count; ++i) bc.boneId[i] = group.palette.bone[i];
        combinations->push_back(bc);
        table.push_back(AttributeRange{bc.attribId, bc.faceStart, bc.faceCount, bc.vertexStart,
                                       bc.vertexCount});
        for (uint32_t i = group.first; i < group.first + group.count; ++i) {
            result->Attributes()[i] = group.attribId;
        }
    }
    result->SetAttributeTable(std::move(table));
    *out = result;
    return Result::Ok;
}

}  // namespace gfx
