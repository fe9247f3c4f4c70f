#include "platform/gfx/mesh.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

namespace gfx {

bool GetVertexLayout(uint32_t fvf, VertexLayout* out) {
    VertexLayout l{};
    uint32_t position = fvf & FVF_POSITION_MASK;
    switch (position) {
        case FVF_XYZ:
            l.blendFloats = 0;
            break;
        case FVF_XYZB1:
        case FVF_XYZB2:
        case FVF_XYZB3:
        case FVF_XYZB4:
            l.blendFloats = (position - FVF_XYZRHW) / 2;
            break;
        default:
            return false;
    }
    l.indexedBlend = (fvf & FVF_LASTBETA_UBYTE4) != 0;
    if (l.indexedBlend && l.blendFloats == 0) return false;
    uint32_t offset = 12 + 4 * l.blendFloats;
    l.normal = l.diffuse = l.specular = l.texCoords = -1;
    if (fvf & FVF_NORMAL) {
        l.normal = static_cast<int32_t>(offset);
        offset += 12;
    }
    if (fvf & FVF_PSIZE) offset += 4;
    if (fvf & FVF_DIFFUSE) {
        l.diffuse = static_cast<int32_t>(offset);
        offset += 4;
    }
    if (fvf & FVF_SPECULAR) {
        l.specular = static_cast<int32_t>(offset);
        offset += 4;
    }
    l.texSets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
    if (l.texSets > 0) l.texCoords = static_cast<int32_t>(offset);
    offset += 8 * l.texSets;
    l.size = offset;
    *out = l;
    return true;
}

Result Mesh::Create(Device* device, uint32_t faceCount, uint32_t vertexCount, uint32_t fvf,
                    Mesh** out) {
    *out = nullptr;
    VertexLayout layout;
    if (!device || faceCount == 0 || vertexCount == 0 || !GetVertexLayout(fvf, &layout)) {
        return Result::InvalidCall;
    }
    // Keep the buffers' sizes inside 32 bits.
    if (faceCount > 0x0FFFFFFFu / 4 || vertexCount > 0xFFFFFFFFu / layout.size) {
        return Result::OutOfMemory;
    }
    auto* mesh = new Mesh(device, fvf, layout.size);
    Format indexFormat = vertexCount > 0xFFFF ? Format::Index32 : Format::Index16;
    uint32_t indexSize = indexFormat == Format::Index32 ? 4 : 2;
    if (Failed(device->CreateVertexBuffer(vertexCount * layout.size, fvf, &mesh->vertices_)) ||
        Failed(
            device->CreateIndexBuffer(faceCount * 3 * indexSize, indexFormat, &mesh->indices_))) {
        mesh->Release();
        return Result::OutOfMemory;
    }
    mesh->vertexCount_ = vertexCount;
    mesh->faceCount_ = faceCount;
    mesh->attributes_.assign(faceCount, 0);
    *out = mesh;
    return Result::Ok;
}

Mesh::~Mesh() {
    if (vertices_) vertices_->Release();
    if (indices_) indices_->Release();
}

uint32_t Mesh::Release() {
    uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
}

uint32_t Mesh::GetIndex(uint32_t corner) const {
    const uint8_t* data = indices_->Data();
    if (Uses32BitIndices()) {
        uint32_t v;
        std::memcpy(&v, data + static_cast<size_t>(corner) * 4, 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, data + static_cast<size_t>(corner) * 2, 2);
    return v;
}

void Mesh::SetIndex(uint32_t corner, uint32_t vertex) {
    auto* data = static_cast<uint8_t*>(indices_->Lock());
    if (Uses32BitIndices()) {
        std::memcpy(data + static_cast<size_t>(corner) * 4, &vertex, 4);
    } else {
        auto v = static_cast<uint16_t>(vertex);
        std::memcpy(data + static_cast<size_t>(corner) * 2, &v, 2);
    }
    indices_->Unlock();
}

void Mesh::WriteIndices(const std::vector<uint32_t>& corners) {
    size_t n = std::min<size_t>(corners.size(), static_cast<size_t>(faceCount_) * 3);
    auto* data = static_cast<uint8_t*>(indices_->Lock());
    if (Uses32BitIndices()) {
        std::memcpy(data, corners.data(), n * 4);
    } else {
        for (size_t i = 0; i < n; ++i) {
            auto v = static_cast<uint16_t>(corners[i]);
            std::memcpy(data + i * 2, &v, 2);
        }
    }
    indices_->Unlock();
}

void Mesh::SortByAttribute(std::vector<uint32_t>* faceRemap) {
    std::vector<uint32_t> order(faceCount_);
    for (uint32_t i = 0; i < faceCount_; ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [this](uint32_t a, uint32_t b) { return attributes_[a] < attributes_[b]; });

    uint32_t indexSize = Uses32BitIndices() ? 4 : 2;
    std::vector<uint8_t> oldIndices(indices_->Data(), indices_->Data() + indices_->Size());
    std::vector<uint32_t> oldAttributes = attributes_;
    auto* data = static_cast<uint8_t*>(indices_->Lock());
    for (uint32_t f = 0; f < faceCount_; ++f) {
        std::memcpy(data + static_cast<size_t>(f) * 3 * indexSize,
                    oldIndices.data() + static_cast<size_t>(order[f]) * 3 * indexSize,
                    3 * indexSize);
        attributes_[f] = oldAttributes[order[f]];
    }
    indices_->Unlock();

    table_.clear();
    for (uint32_t f = 0; f < faceCount_; ++f) {
        uint32_t lo = 0xFFFFFFFFu, hi = 0;
        for (uint32_t k = 0; k < 3; ++k) {
            uint32_t v = GetIndex(f * 3 + k);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
        if (table_.empty() || table_.back().attribId != attributes_[f]) {
            table_.push_back(AttributeRange{attributes_[f], f, 0, lo, 0});
        }
        AttributeRange& r = table_.back();
        uint32_t end = std::max(r.vertexStart + r.vertexCount, hi + 1);
        r.vertexStart = std::min(r.vertexStart, lo);
        r.vertexCount = end - r.vertexStart;
        r.faceCount += 1;
    }
    if (faceRemap) *faceRemap = std::move(order);
}

Result Mesh::CloneFvf(uint32_t fvf, Mesh** out) const {
    *out = nullptr;
    VertexLayout from, to;
    if (!GetVertexLayout(fvf_, &from) || !GetVertexLayout(fvf, &to)) return Result::InvalidCall;
    Mesh* clone = nullptr;
    Result r = Create(device_, faceCount_, vertexCount_, fvf, &clone);
    if (Failed(r)) return r;

    const uint8_t* src = vertices_->Data();
    auto* dst = static_cast<uint8_t*>(clone->vertices_->Lock());
    uint32_t fromWeights = from.blendFloats - (from.indexedBlend ? 1 : 0);
    uint32_t toWeights = to.blendFloats - (to.indexedBlend ? 1 : 0);
    uint32_t weights = std::min(fromWeights, toWeights);
    uint32_t sets = std::min(from.texSets, to.texSets);
    const uint32_t white = 0xFFFFFFFFu;
    for (uint32_t v = 0; v < vertexCount_; ++v) {
        const uint8_t* s = src + static_cast<size_t>(v) * from.size;
        uint8_t* d = dst + static_cast<size_t>(v) * to.size;
        std::memcpy(d, s, 12 + 4 * weights);
        if (from.indexedBlend && to.indexedBlend) {
            std::memcpy(d + 12 + 4 * (to.blendFloats - 1), s + 12 + 4 * (from.blendFloats - 1), 4);
        }
        if (to.normal >= 0 && from.normal >= 0) std::memcpy(d + to.normal, s + from.normal, 12);
        if (to.diffuse >= 0) {
            std::memcpy(
                d + to.diffuse,
                from.diffuse >= 0 ? s + from.diffuse : reinterpret_cast<const uint8_t*>(&white), 4);
        }
        if (to.specular >= 0 && from.specular >= 0) {
            std::memcpy(d + to.specular, s + from.specular, 4);
        }
        if (sets > 0) std::memcpy(d + to.texCoords, s + from.texCoords, 8 * sets);
    }
    clone->vertices_->Unlock();

    std::memcpy(clone->indices_->Lock(), indices_->Data(),
                std::min(indices_->Size(), clone->indices_->Size()));
    clone->indices_->Unlock();
    if (clone->indices_->GetFormat() != indices_->GetFormat()) {
        std::vector<uint32_t> corners(static_cast<size_t>(faceCount_) * 3);
        for (uint32_t c = 0; c < faceCount_ * 3; ++c) corners[c] = GetIndex(c);
        clone->WriteIndices(corners);
    }
    clone->attributes_ = attributes_;
    clone->table_ = table_;
    *out = clone;
    return Result::Ok;
}

Result Mesh::DrawSubset(uint32_t attribId) {
    for (const AttributeRange& r : table_) {
        if (r.attribId != attribId || r.faceCount == 0) continue;
        std::lock_guard lock(device_->Lock());
        device_->SetVertexShader(fvf_);
        device_->SetStreamSource(0, vertices_, stride_);
        device_->SetIndices(indices_, 0);
        Result result = device_->DrawIndexedPrimitive(PT_TRIANGLELIST, r.vertexStart, r.vertexCount,
                                                      r.faceStart * 3, r.faceCount);
        if (Failed(result)) return result;
    }
    return Result::Ok;
}

std::vector<uint32_t> ComputeAdjacency(const Mesh& mesh, const std::vector<uint32_t>* pointRep) {
    uint32_t faces = mesh.GetNumFaces();
    std::vector<uint32_t> adjacency(static_cast<size_t>(faces) * 3, 0xFFFFFFFFu);
    auto point = [&](uint32_t v) { return pointRep && v < pointRep->size() ? (*pointRep)[v] : v; };
    // Each undirected edge remembers the first triangle side that had it.
    std::unordered_map<uint64_t, uint32_t> open;
    open.reserve(static_cast<size_t>(faces) * 2);
    for (uint32_t f = 0; f < faces; ++f) {
        for (uint32_t k = 0; k < 3; ++k) {
            uint32_t a = point(mesh.GetIndex(f * 3 + k));
            uint32_t b = point(mesh.GetIndex(f * 3 + (k + 1) % 3));
            if (a == b) continue;
            uint64_t key = static_cast<uint64_t>(std::min(a, b)) << 32 | std::max(a, b);
            auto [it, inserted] = open.emplace(key, f * 3 + k);
            if (inserted) continue;
            uint32_t side = it->second;
            if (side == 0xFFFFFFFFu || side / 3 == f) continue;
            adjacency[f * 3 + k] = side / 3;
            adjacency[side] = f;
            it->second = 0xFFFFFFFFu;  // an edge joins two triangles at most
        }
    }
    return adjacency;
}

}  // namespace gfx
