// Merged draws of the gl33 backend. Consecutive draws that GL can make as one with the same
// pixels are held back and made together, in one of two kinds:
// - Stream: transformed triangle lists and strips from user memory that differ at most in
//   the world matrix. Their vertices are copied one after the other, each with the index of
//   its draw; the batched program takes world x view and the normal matrix of that draw
//   from the Batch block, so every vertex is computed as its own draw would have computed it.
// - Buffer: indexed lists from the same vertex and index buffers in the same state, whose
//   indices are concatenated.
// GL keeps the order of primitives inside a draw, so the merged draw paints what the
// sequence would have painted. A batch of one draw is made as that draw was given.
//
// This file knows no GL: it decides which draws merge and gathers what the merged draw
// reads; the device makes the draw.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/gl33_shader_gen.h"

namespace gfx::gl33 {

// Only draws this small gain from merging (the cost of a larger one is its triangles); a
// batch holds at most this many vertex and index bytes.
constexpr uint32_t kBatchPrimitives = 256;
constexpr uint32_t kBatchVertexBytes = 1u << 20;
constexpr uint32_t kBatchIndexBytes = 1u << 18;

enum class BatchKind : uint8_t { None, Stream, Buffer };

// The kind of batch a draw with the state and key can be held in.
BatchKind BatchKindOf(const DeviceState& state, const DrawCall& call, const ShaderKey& key);

// Whether two sets of fixed uniforms agree in everything but world x view and the normal
// matrix.
bool SameButWorld(const FixedUniforms& a, const FixedUniforms& b);

struct DrawBatch {
    // Holds the draw's state; a Buffer batch holds the draw itself, a Stream batch holds it
    // once AppendStreamDraw has added it. `drawProgram` is the GL program of the draw,
    // `drawFixed` its fixed uniforms.
    void Start(BatchKind batchKind, const DeviceState& state, const DrawCall& call,
               const ShaderKey& drawKey, uint32_t drawProgram, bool drawBlend,
               const FixedUniforms& drawFixed);
    // Whether the draw may join the batch by its state (its fixed uniforms aside).
    bool SharesState(const DeviceState& state, const ShaderKey& drawKey, uint32_t drawProgram,
                     bool drawBlend) const;
    // Whether one more Stream draw fits.
    bool StreamDrawFits(const DrawCall& call) const;
    // Copies a Stream draw that fits, with its world x view and normal matrix from `u`.
    void AppendStreamDraw(const DrawCall& call, const FixedUniforms& u);
    // Adds a Buffer draw's indices when it reads the batch's buffers the same way; GL must
    // hold both buffers as they are now (their copies in memory are what it draws).
    bool AppendBufferDraw(const DrawCall& call);

    BatchKind kind = BatchKind::None;
    uint32_t draws = 0;
    // What every draw of the batch shares.
    ShaderKey key{};
    uint32_t program = 0;
    uint32_t batchedProgram = 0;  // Stream: the program of the merged draw, made by the device
    bool blend = false;
    uint32_t vertexShader = 0;
    uint32_t stride = 0;
    uint32_t renderStates[kRenderStateCount];
    uint32_t stageStates[kMaxStages][kTextureStageStateCount];
    Texture* textures[kMaxStages];
    Viewport viewport;
    FixedUniforms fixed;
    // The first draw as it was given.
    PrimitiveType primitive;
    uint32_t count;  // its vertices or indices
    bool indexed;
    Format indexFormat;
    uint32_t firstVertex;
    uint32_t startIndex;
    int32_t baseVertex;
    // Index bytes as given: Stream, the first draw's; Buffer, every draw's once two are held.
    std::vector<uint8_t> rawIndices;
    // Stream: the vertices (stride + 4 bytes, the draw index last), the triangle lists of
    // every draw into them, and each draw's matrices.
    std::vector<uint8_t> vertices;
    std::vector<uint32_t> indices;
    BatchDraw matrices[kBatchDraws];
    // Buffer: the buffers, and their GL names, set by the device.
    VertexBuffer* vertexBuffer;
    IndexBuffer* indexBuffer;
    uint32_t vertexName, indexName;
};

}  // namespace gfx::gl33
