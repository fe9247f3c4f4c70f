// The graphics device: a fixed-function pipeline with the state model the game's drawing
// code is written against. State set on the device stays until it is changed again; the
// initial state is the classic fixed-function default (see DefaultState).
//
// Two backends implement it: gl33 (OpenGL 3.3 core, in the window or on a surfaceless EGL
// context) and null (no GPU; it keeps the same state and records every draw).
//
// Threads: every call takes the device lock, so the scene loader thread may create and fill
// textures and buffers while the main thread draws. Resources created off the main thread
// keep their data in memory; the gl33 backend uploads them at first use.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/gfx/math.h"
#include "platform/gfx/types.h"

namespace gfx {

class Device;

// Reference-counted device resource. A new resource has one reference; Release drops one
// and destroys the resource at zero (backend objects are freed on the main thread).
class Resource {
public:
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    uint32_t AddRef() { return ++refs_; }
    uint32_t Release();
    Device* GetDevice() const { return device_; }

    // Backend bookkeeping: bumped by every Unlock so the backend knows to upload again.
    uint64_t Version() const { return version_.load(std::memory_order_acquire); }
    void* backendData = nullptr;  // owned by the backend
    uint64_t backendVersion = 0;  // version the backend last uploaded

protected:
    explicit Resource(Device* device) : device_(device) {}
    virtual ~Resource() = default;
    void Touch() { version_.fetch_add(1, std::memory_order_acq_rel); }

private:
    friend class Device;
    Device* device_;
    std::atomic<uint32_t> refs_{1};
    std::atomic<uint64_t> version_{1};
};

// A 2D texture with a chain of mip levels. Texels are 32-bit ARGB (0xAARRGGBB), rows
// top to bottom.
class Texture : public Resource {
public:
    uint32_t Width(uint32_t level = 0) const;
    uint32_t Height(uint32_t level = 0) const;
    uint32_t LevelCount() const { return static_cast<uint32_t>(levels_.size()); }
    Format GetFormat() const { return format_; }

    // Direct access to a level's texels; pitch is in texels. Unlock marks the texture
    // changed. Returns nullptr for a level that does not exist.
    uint32_t* LockRect(uint32_t level, uint32_t* pitch);
    void UnlockRect(uint32_t level);
    const uint32_t* LevelData(uint32_t level) const;

private:
    friend class Device;
    Texture(Device* device, uint32_t width, uint32_t height, uint32_t levels, Format format);
    Texture(Device* device, uint32_t width, uint32_t height,
            std::vector<std::vector<uint32_t>>* levels, Format format);
    Format format_;
    std::vector<std::vector<uint32_t>> levels_;
    std::vector<uint32_t> widths_, heights_;
};

// Vertex data of one vertex format (fvf may be 0 for data used with a vertex shader).
class VertexBuffer : public Resource {
public:
    uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
    uint32_t GetFvf() const { return fvf_; }
    // Whole-buffer or partial lock; offset and size in bytes (size 0: to the end).
    void* Lock(uint32_t offset = 0, uint32_t size = 0);
    void Unlock();
    const uint8_t* Data() const { return data_.data(); }

private:
    friend class Device;
    VertexBuffer(Device* device, uint32_t size, uint32_t fvf);
    std::vector<uint8_t> data_;
    uint32_t fvf_;
};

class IndexBuffer : public Resource {
public:
    uint32_t Size() const { return static_cast<uint32_t>(data_.size()); }
    Format GetFormat() const { return format_; }  // Index16 or Index32
    void* Lock(uint32_t offset = 0, uint32_t size = 0);
    void Unlock();
    const uint8_t* Data() const { return data_.data(); }

private:
    friend class Device;
    IndexBuffer(Device* device, uint32_t size, Format format);
    std::vector<uint8_t> data_;
    Format format_;
};

// The vertex programs the device offers beside the fixed-function pipeline: indexed
// skinning with 1 to 4 influences. Input per vertex: position (3 floats), influences - 1
// weights (floats; the last weight is 1 minus their sum), four palette indices as bytes
// (ARGB order: the index of influence k is byte k counted from the blue byte), normal
// (3 floats), texture coordinates (2 floats). Constants: c0 = (1, 0, 0, 765.01),
// c1 = light direction, c2..c5 = projection (transposed), c7 = ambient + emissive,
// c8 = diffuse, c9 + 3i .. c11 + 3i = bone i as the first three rows of its transposed
// (bone x view) matrix. Output: position x c2..c5; diffuse = min(max(0, n . c1) x c8 + c7, 1);
// specular 0. The texture stages, alpha test and blending apply as usual; vertex fog, when
// on, is measured from the view-space position the program computes.
enum class VertexProgram : uint32_t { Skin1 = 1, Skin2, Skin3, Skin4 };
constexpr uint32_t kShaderHandleBase = 0x10000;  // handles at or above are programs, below FVFs
constexpr uint32_t kVertexShaderConstants = 96;

// Bytes of one vertex that a draw with the given FVF code or program handle reads; a draw
// whose stride is smaller is refused.
uint32_t VertexInputSize(uint32_t fvfOrHandle);

// The presentation parameters the device was made with.
struct PresentParams {
    uint32_t backBufferWidth = 640;
    uint32_t backBufferHeight = 480;
    Format backBufferFormat = Format::X8R8G8B8;
    bool windowed = true;
    bool autoDepthStencil = true;
    Format depthFormat = Format::D16;
};

// The whole pipeline state. Backends read it when a draw is submitted.
struct DeviceState {
    uint32_t renderStates[kRenderStateCount];
    uint32_t stageStates[kTextureStages][kTextureStageStateCount];
    Texture* textures[kTextureStages];  // not referenced: the caller keeps them alive
    Mat4 view, projection;
    Mat4 world[kWorldMatrices];
    Mat4 textureTransforms[kTextureStages];
    Light light;  // light 0, the only one the game uses
    bool lightEnabled;
    Material material;
    Viewport viewport;
    uint32_t vertexShader;  // an FVF code, or a program handle
    float shaderConstants[kVertexShaderConstants][4];
    VertexBuffer* stream;
    uint32_t streamStride;
    IndexBuffer* indices;
    uint32_t baseVertexIndex;
};

// The classic fixed-function default state.
void SetDefaultState(DeviceState* state, bool autoDepthStencil);

// One draw as the backend receives it: either user memory or the bound buffers.
struct DrawCall {
    PrimitiveType primitive;
    uint32_t primitiveCount;
    // Vertices: user pointer (vertexData) or the bound stream.
    const uint8_t* vertexData;
    uint32_t vertexStride;
    uint32_t firstVertex;  // first vertex used
    uint32_t vertexCount;  // vertices that may be read from firstVertex on
    // Indices (indexed draws only): user pointer or the bound index buffer.
    bool indexed;
    const uint8_t* indexData;
    Format indexFormat;
    uint32_t startIndex;
    int32_t baseVertex;  // added to every index
    // The resources the data comes from; null for user memory.
    VertexBuffer* vertexBuffer;
    IndexBuffer* indexBuffer;
};

// Index i of an indexed draw, counted from its start index (the base vertex not added).
uint32_t IndexAt(const DrawCall& call, uint32_t i);

enum class BackendKind { Null, Gl33 };

class Device {
public:
    virtual ~Device();
    Device(const Device&) = delete;
    Device& operator=(const Device&) = delete;

    virtual BackendKind Kind() const = 0;

    // The lock every call takes; exposed for callers that need several calls to stay together.
    std::recursive_mutex& Lock() const { return mutex_; }

    // --- state ---------------------------------------------------------------------------
    Result SetRenderState(RenderState state, uint32_t value);
    Result SetRenderStateF(RenderState state, float value);  // stores the float's bits
    uint32_t GetRenderState(RenderState state) const;
    Result SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value);
    uint32_t GetTextureStageState(uint32_t stage, TextureStageState type) const;
    Result SetTexture(uint32_t stage, Texture* texture);
    Texture* GetTexture(uint32_t stage) const;
    Result SetTransform(uint32_t type, const Mat4& matrix);
    Result GetTransform(uint32_t type, Mat4* matrix) const;
    Result SetLight(uint32_t index, const Light& light);
    Result LightEnable(uint32_t index, bool enable);
    Result SetMaterial(const Material& material);
    Result GetMaterial(Material* material) const;
    Result SetViewport(const Viewport& viewport);
    Result GetViewport(Viewport* viewport) const;
    Result SetVertexShader(uint32_t fvfOrHandle);
    uint32_t GetVertexShader() const;
    Result SetVertexShaderConstant(uint32_t reg, const void* data, uint32_t count);
    Result SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride);
    Result SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex);
    const DeviceState& State() const { return state_; }

    // --- resources -----------------------------------------------------------------------
    // levels 0 makes the full chain down to 1 x 1.
    Result CreateTexture(uint32_t width, uint32_t height, uint32_t levels, Format format,
                         Texture** out);
    // A texture that takes over ready texel arrays, largest level first: each must hold the
    // texels of its level as CreateTexture would size it (width x height, then halving).
    // On failure nothing is taken.
    Result AdoptTexture(uint32_t width, uint32_t height, std::vector<std::vector<uint32_t>>* levels,
                        Format format, Texture** out);
    Result CreateVertexBuffer(uint32_t size, uint32_t fvf, VertexBuffer** out);
    Result CreateIndexBuffer(uint32_t size, Format format, IndexBuffer** out);
    Result CreateVertexProgram(VertexProgram program, uint32_t* handle);

    // --- drawing -------------------------------------------------------------------------
    // Draws are made between BeginScene and EndScene. A draw is refused (InvalidCall) when
    // its stride is below the vertex size of the current format or program, when it would
    // read beyond its buffers, and, for indexed draws, when an index lies outside
    // minIndex .. minIndex + numVertices - 1 or the index format is not Index16/Index32.
    Result Clear(uint32_t flags, Color color, float z, uint32_t stencil);
    Result BeginScene();
    Result EndScene();
    Result DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                           uint32_t stride);
    Result DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                  uint32_t primitiveCount, const void* indices, Format indexFormat,
                                  const void* vertices, uint32_t stride);
    Result DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount);
    Result DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                uint32_t startIndex, uint32_t primitiveCount);

    // Shows the back buffer. Returns DeviceLost once the device has been lost.
    Result Present();
    // Ok while usable; DeviceLost while lost and not yet resettable; DeviceNotReset when
    // Reset may be called.
    Result TestCooperativeLevel();
    Result Reset(const PresentParams& params);
    const PresentParams& GetPresentParams() const { return params_; }

    // Test hook: makes the device lost, as a display change would. The next Present fails
    // with DeviceLost; TestCooperativeLevel then reports DeviceNotReset.
    void SimulateDeviceLoss();

    // Reads the back buffer as ARGB rows, top to bottom. Null backend: a blank buffer of
    // the clear colour.
    virtual bool ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width,
                                uint32_t* height) = 0;

    // Vertices (or indices) a draw of primitiveCount primitives reads; 0 for an unknown
    // primitive type or a count beyond kMaxDrawVertices.
    static uint32_t PrimitiveVertexCount(PrimitiveType type, uint32_t primitiveCount);
    static constexpr uint32_t kMaxDrawVertices = 1u << 24;

protected:
    explicit Device(const PresentParams& params);

    // Backend hooks, called with the lock held and after validation.
    virtual Result DoClear(uint32_t flags, Color color, float z, uint32_t stencil) = 0;
    virtual Result DoDraw(const DrawCall& call) = 0;
    virtual Result DoPresent() = 0;
    virtual Result DoReset(const PresentParams& params) = 0;
    virtual void DoDestroy(Resource* resource) = 0;  // backend data of a dying resource

    DeviceState state_;
    PresentParams params_;
    bool inScene_ = false;

private:
    friend class Resource;
    void DestroyResource(Resource* resource);
    Result SubmitDraw(const DrawCall& call);

    mutable std::recursive_mutex mutex_;
    enum class Loss { None, Lost, Resettable } loss_ = Loss::None;
    uint32_t programCount_ = 0;
};

// Every draw the null backend receives, for tests.
struct DrawRecord {
    PrimitiveType primitive;
    uint32_t primitiveCount;
    uint32_t vertexShader;
    const Texture* texture0;
    uint64_t stateHash;  // hash of the render and stage-0 states at the draw
    // Copy of the vertices the draw may read: from its first vertex (plus the base vertex
    // of an indexed draw), vertexCount of them.
    std::vector<uint8_t> vertices;
    uint32_t vertexStride;
    uint32_t firstVertex;
    uint32_t vertexCount;
    // Indexed draws: the indices read, as given (the base vertex is not added).
    bool indexed;
    std::vector<uint32_t> indices;
    int32_t baseVertex;
    uint32_t renderStates[kRenderStateCount];
    uint32_t stage0[kTextureStageStateCount];
    Mat4 world, view, projection;
    Material material;
    Viewport viewport;
    // The bound vertex buffer the data came from; null for user memory.
    const VertexBuffer* vertexBuffer;
    // Draws through a vertex program: its constant registers, four floats each.
    std::vector<float> shaderConstants;
};

class NullDevice : public Device {
public:
    explicit NullDevice(const PresentParams& params);
    BackendKind Kind() const override { return BackendKind::Null; }
    bool ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) override;

    // Recording: off by default so a long headless run keeps no history.
    void SetRecording(bool on) { recording_ = on; }
    const std::vector<DrawRecord>& Draws() const { return draws_; }
    void ClearDraws() { draws_.clear(); }
    uint32_t PresentCount() const { return presents_; }
    uint32_t DrawCount() const { return drawCount_; }
    Color LastClearColor() const { return clearColor_; }

protected:
    Result DoClear(uint32_t flags, Color color, float z, uint32_t stencil) override;
    Result DoDraw(const DrawCall& call) override;
    Result DoPresent() override;
    Result DoReset(const PresentParams& params) override;
    void DoDestroy(Resource* resource) override;

private:
    bool recording_ = false;
    std::vector<DrawRecord> draws_;
    uint32_t presents_ = 0;
    uint32_t drawCount_ = 0;
    Color clearColor_ = 0;
};

// Creates a null device. Never fails.
Device* CreateNullDevice(const PresentParams& params);

// The surface a gl33 device draws for: the window's GL area or a surfaceless EGL context.
class GlSurface {
public:
    virtual ~GlSurface() = default;
    // Makes the surface's GL context current on the calling thread (cheap when it already is).
    virtual bool MakeCurrent() = 0;
    // Shows the finished back buffer. Called from Present with the surface's context
    // current. glTexture is a GL_TEXTURE_2D of width x height texels holding the picture
    // top row first (texture row 0 is the top of the picture: draw it with v = 0 at the
    // top), alpha one; it stays unchanged until the device draws again. The surface draws
    // it scaled into its client area (letterboxed in full screen). The device rebinds
    // everything it relies on at its next call, so the surface may use the context freely.
    virtual void Show(uint32_t glTexture, uint32_t width, uint32_t height) = 0;
};

// Creates a gl33 device on the surface; nullptr when the context lacks OpenGL 3.3. The
// calling thread becomes the device's main thread: every draw, clear and present must come
// from it. Every resource must be released before the device is deleted, and the device
// before its surface.
Device* CreateGl33Device(GlSurface* surface, const PresentParams& params);

// A surfaceless EGL context (Mesa) for headless rendering; nullptr when EGL is unavailable.
GlSurface* CreateHeadlessGlSurface();

// Hash of the state a draw depends on (render states and stage-0 states), for digests.
uint64_t HashDrawState(const DeviceState& state);

}  // namespace gfx
