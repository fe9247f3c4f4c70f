#include "platform/gfx/gl33_batch.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace gfx::gl33 {

namespace {

bool IsList(PrimitiveType primitive) {
    return primitive == PT_POINTLIST || primitive == PT_LINELIST || primitive == PT_TRIANGLELIST;
}

uint32_t IndexSize(Format format) {
    return format == Format::Index32 ? 4 : 2;
}

// The triangles of a list or a strip.
uint32_t TriangleCount(const DrawCall& call) {
    const uint32_t n = Device::PrimitiveVertexCount(call.primitive, call.primitiveCount);
    return call.primitive == PT_TRIANGLELIST ? n / 3 : n - 2;
}

}  // namespace

BatchKind BatchKindOf(const DeviceState& state, const DrawCall& call, const ShaderKey& key) {
    if (call.primitiveCount > kBatchPrimitives) return BatchKind::None;
    const auto geometry = static_cast<Geometry>(key.geometry);
    if (!call.vertexBuffer) {
        // Strips become lists: only filled triangles keep their picture for sure. Fans are
        // left out: split into a list, their triangles start at another vertex, and the
        // software rasteriser then paints some of their pixels one step off.
        const bool triangles =
            call.primitive == PT_TRIANGLELIST || call.primitive == PT_TRIANGLESTRIP;
        const bool filled = state.renderStates[RS_FILLMODE] == FILL_SOLID;
        const bool aligned = call.vertexStride % 4 == 0;  // the draw index follows a vertex
        return geometry == Geometry::Transformed && triangles && filled && aligned
                   ? BatchKind::Stream
                   : BatchKind::None;
    }
    if (geometry == Geometry::Program || !call.indexed || !call.indexBuffer ||
        !IsList(call.primitive))
        return BatchKind::None;
    return BatchKind::Buffer;
}

bool SameButWorld(const FixedUniforms& a, const FixedUniforms& b) {
    constexpr size_t rest = offsetof(FixedUniforms, matDiffuse);
    return std::memcmp(a.projection, b.projection, sizeof a.projection) == 0 &&
           std::memcmp(reinterpret_cast<const uint8_t*>(&a) + rest,
                       reinterpret_cast<const uint8_t*>(&b) + rest, sizeof a - rest) == 0;
}

void DrawBatch::Start(BatchKind batchKind, const DeviceState& state, const DrawCall& call,
                      const ShaderKey& drawKey, uint32_t drawProgram, bool drawBlend,
                      const FixedUniforms& drawFixed) {
    kind = batchKind;
    draws = 0;
    key = drawKey;
    program = drawProgram;
    batchedProgram = 0;
    blend = drawBlend;
    vertexShader = state.vertexShader;
    stride = call.vertexStride;
    std::memcpy(renderStates, state.renderStates, sizeof renderStates);
    std::memcpy(stageStates, state.stageStates, sizeof stageStates);
    std::copy(state.textures, state.textures + kMaxStages, textures);
    viewport = state.viewport;
    fixed = drawFixed;
    primitive = call.primitive;
    count = Device::PrimitiveVertexCount(call.primitive, call.primitiveCount);
    indexed = call.indexed;
    indexFormat = call.indexFormat;
    firstVertex = call.firstVertex;
    startIndex = call.startIndex;
    baseVertex = call.baseVertex;
    rawIndices.clear();
    vertices.clear();
    indices.clear();
    if (kind == BatchKind::Buffer) {
        vertexBuffer = call.vertexBuffer;
        indexBuffer = call.indexBuffer;
        draws = 1;
        return;
    }
    if (call.indexed) {
        const uint32_t size = IndexSize(call.indexFormat);
        const uint8_t* first = call.indexData + size_t{call.startIndex} * size;
        rawIndices.assign(first, first + size_t{count} * size);
    }
}

bool DrawBatch::SharesState(const DeviceState& state, const ShaderKey& drawKey,
                            uint32_t drawProgram, bool drawBlend) const {
    return drawProgram == program && drawBlend == blend && drawKey == key &&
           state.vertexShader == vertexShader &&
           std::memcmp(state.renderStates, renderStates, sizeof renderStates) == 0 &&
           std::memcmp(state.stageStates, stageStates, sizeof stageStates) == 0 &&
           std::equal(textures, textures + kMaxStages, state.textures) &&
           std::memcmp(&state.viewport, &viewport, sizeof viewport) == 0;
}

bool DrawBatch::StreamDrawFits(const DrawCall& call) const {
    if (draws >= kBatchDraws) return false;
    const uint32_t triangles = TriangleCount(call);
    const size_t vertexBytes = vertices.size() + size_t{call.vertexCount} * (stride + 4);
    const size_t indexBytes = (indices.size() + size_t{triangles} * 3) * 4;
    return vertexBytes <= kBatchVertexBytes && indexBytes <= kBatchIndexBytes;
}

// The vertices go in with the draw index after each, the triangles as a list into them.
// Strips are split as GL splits them with the first vertex provoking: the same three
// vertices in the same order.
void DrawBatch::AppendStreamDraw(const DrawCall& call, const FixedUniforms& u) {
    const uint32_t wide = stride + 4;
    const uint32_t triangles = TriangleCount(call);
    const size_t vertexBytes = vertices.size() + size_t{call.vertexCount} * wide;

    const auto base = static_cast<uint32_t>(vertices.size() / wide);
    const uint32_t drawIndex = draws;
    std::memcpy(matrices[drawIndex].worldView, u.worldView, sizeof u.worldView);
    std::memcpy(matrices[drawIndex].normalMatrix, u.normalMatrix, sizeof u.normalMatrix);
    vertices.resize(vertexBytes);
    uint8_t* out = vertices.data() + vertexBytes - size_t{call.vertexCount} * wide;
    const uint8_t* in = call.vertexData + size_t{call.firstVertex} * stride;
    for (uint32_t v = 0; v < call.vertexCount; ++v, in += stride, out += wide) {
        std::memcpy(out, in, stride);
        std::memcpy(out + stride, &drawIndex, 4);
    }

    auto vertex = [&](uint32_t i) {
        return base + (call.indexed ? IndexAt(call, i) - call.firstVertex : i);
    };
    const size_t at = indices.size();
    indices.resize(at + size_t{triangles} * 3);
    uint32_t* tri = indices.data() + at;
    for (uint32_t t = 0; t < triangles; ++t, tri += 3) {
        if (call.primitive == PT_TRIANGLESTRIP) {  // odd triangles swap their last two vertices
            tri[0] = vertex(t);
            tri[1] = vertex(t + 1 + (t & 1));
            tri[2] = vertex(t + 2 - (t & 1));
        } else {
            tri[0] = vertex(3 * t);
            tri[1] = vertex(3 * t + 1);
            tri[2] = vertex(3 * t + 2);
        }
    }
    draws += 1;
}

bool DrawBatch::AppendBufferDraw(const DrawCall& call) {
    if (call.vertexBuffer != vertexBuffer || call.indexBuffer != indexBuffer ||
        call.baseVertex != baseVertex || call.primitive != primitive)
        return false;
    const uint32_t size = IndexSize(indexFormat);
    const uint32_t n = Device::PrimitiveVertexCount(call.primitive, call.primitiveCount);
    const size_t held = draws == 1 ? size_t{count} * size : rawIndices.size();
    if (held + size_t{n} * size > kBatchIndexBytes) return false;
    const uint8_t* data = call.indexBuffer->Data();
    if (draws == 1) {
        const uint8_t* first = data + size_t{startIndex} * size;
        rawIndices.assign(first, first + held);
    }
    const uint8_t* next = data + size_t{call.startIndex} * size;
    rawIndices.insert(rawIndices.end(), next, next + size_t{n} * size);
    draws += 1;
    return true;
}

}  // namespace gfx::gl33
