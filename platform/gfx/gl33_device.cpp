// The gl33 backend: the device's fixed-function pipeline on OpenGL 3.3 core.
//
// The picture is drawn into a back buffer of our own (a framebuffer with a colour texture
// and a depth buffer) and handed to the surface at Present. The classic rules are kept:
// pixel centres on whole screen coordinates, y down in screen space, clip z from 0 to w,
// culling by the winding on screen, alpha test by discard, an X8R8G8B8 back buffer whose
// alpha always reads as one.
//
// GL's window coordinates are used with y running down (the back buffer's first row is the
// top of the picture): screen and window coordinates then differ only by the half pixel,
// GL's fill rule includes the same top and left edges, and windings keep their sense.
//
// GL work happens only on the thread that made the device. Resources made on other threads
// keep their data in memory and are uploaded at first use; GL objects of released
// resources are deleted on the main thread at its next device call.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/gl33_batch.h"
#include "platform/gfx/gl33_cull.h"
#include "platform/gfx/gl33_shader_gen.h"

namespace gfx {

namespace {

using gl33::BatchKind;
using gl33::DrawBatch;
using gl33::FixedUniforms;
using gl33::Geometry;
using gl33::kMaxStages;
using gl33::ShaderKey;
using gl33::ShaderKeyHash;

constexpr uint32_t kUnknown = 0xFFFFFFFFu;
constexpr uint32_t kVertexRingSize = 4u << 20;
constexpr uint32_t kIndexRingSize = 1u << 20;
constexpr GLuint kFixedBinding = 0;
constexpr GLuint kConstantBinding = 1;
constexpr GLuint kBatchBinding = 2;
// A merged draw takes at most a quarter of a stream ring.
static_assert(gl33::kBatchVertexBytes <= kVertexRingSize / 4);
static_assert(gl33::kBatchIndexBytes <= kIndexRingSize / 4);
// The most vertex data of one draw from user memory.
constexpr uint64_t kMaxStreamedBytes = 256u << 20;

uint32_t Bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

float FloatFromBits(uint32_t u) {
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

void ArgbToVec4(Color c, float out[4]) {
    out[0] = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(c & 0xFF) / 255.0f;
    out[3] = static_cast<float>(c >> 24) / 255.0f;
}

void ColorToVec4(const ColorValue& c, float out[4]) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

// The device's numbered values to GL's, by table; a value outside a table takes the
// given fallback.
constexpr GLenum kNone = 0xFFFFFFFFu;  // no value of ours has this number

template <size_t N>
GLenum Lookup(const GLenum (&table)[N], uint32_t value, GLenum fallback) {
    return value < N && table[value] != kNone ? table[value] : fallback;
}

constexpr GLenum kBlendFactors[] = {kNone,
                                    GL_ZERO,
                                    GL_ONE,
                                    GL_SRC_COLOR,
                                    GL_ONE_MINUS_SRC_COLOR,
                                    GL_SRC_ALPHA,
                                    GL_ONE_MINUS_SRC_ALPHA,
                                    GL_DST_ALPHA,
                                    GL_ONE_MINUS_DST_ALPHA,
                                    GL_DST_COLOR,
                                    GL_ONE_MINUS_DST_COLOR,
                                    GL_SRC_ALPHA_SATURATE};
constexpr GLenum kBlendEquations[] = {
    kNone, GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
constexpr GLenum kCompareFuncs[] = {kNone,      GL_NEVER,    GL_LESS,   GL_EQUAL, GL_LEQUAL,
                                    GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
constexpr GLenum kPrimitiveModes[] = {
    kNone, GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
constexpr GLenum kAddressModes[] = {kNone, GL_REPEAT, GL_MIRRORED_REPEAT, GL_CLAMP_TO_EDGE,
                                    GL_CLAMP_TO_BORDER};

bool FormatHasAlpha(Format format) {
    switch (format) {
        case Format::R8G8B8:
        case Format::X8R8G8B8:
        case Format::R5G6B5:
        case Format::X1R5G5B5:
            return false;
        default:
            return true;
    }
}

// Where each vertex attribute sits in a vertex of one format.
struct AttribFormat {
    GLint size;  // 0: absent
    GLenum type;
    GLboolean normalized;
    uint32_t offset;
};
struct VertexLayout {
    AttribFormat attrs[gl33::kAttrCount];
};

VertexLayout LayoutFor(uint32_t vertexShader) {
    VertexLayout l{};
    auto put = [&l](uint32_t attr, GLint size, GLenum type, GLboolean norm, uint32_t offset) {
        l.attrs[attr] = AttribFormat{size, type, norm, offset};
    };
    if (vertexShader >= kShaderHandleBase) {
        // Skinning programs: position, influences - 1 weights, index bytes, normal, uv.
        const uint32_t influences = std::clamp(vertexShader - kShaderHandleBase, 1u, 4u);
        uint32_t o = 0;
        put(gl33::kAttrPosition, 3, GL_FLOAT, GL_FALSE, o);
        o += 12;
        if (influences > 1) put(gl33::kAttrWeights, GLint(influences - 1), GL_FLOAT, GL_FALSE, o);
        o += 4 * (influences - 1);
        put(gl33::kAttrIndices, 4, GL_UNSIGNED_BYTE, GL_TRUE, o);
        o += 4;
        put(gl33::kAttrNormal, 3, GL_FLOAT, GL_FALSE, o);
        o += 12;
        put(gl33::kAttrTex0, 2, GL_FLOAT, GL_FALSE, o);
        return l;
    }
    const uint32_t fvf = vertexShader;
    uint32_t o = 0;
    switch (fvf & FVF_POSITION_MASK) {
        case FVF_XYZ:
            put(gl33::kAttrPosition, 3, GL_FLOAT, GL_FALSE, 0);
            o = 12;
            break;
        case FVF_XYZRHW:
            put(gl33::kAttrPosition, 4, GL_FLOAT, GL_FALSE, 0);
            o = 16;
            break;
        case FVF_XYZB1:
        case FVF_XYZB2:
        case FVF_XYZB3:
        case FVF_XYZB4:
        case FVF_XYZB5: {
            // Blend weights are not used by the fixed-function path; skip them.
            put(gl33::kAttrPosition, 3, GL_FLOAT, GL_FALSE, 0);
            const uint32_t betas = ((fvf & FVF_POSITION_MASK) - FVF_XYZ) / 2;
            o = 12 + 4 * betas;
            break;
        }
        default:
            break;
    }
    if (fvf & FVF_NORMAL) {
        put(gl33::kAttrNormal, 3, GL_FLOAT, GL_FALSE, o);
        o += 12;
    }
    if (fvf & FVF_PSIZE) o += 4;
    if (fvf & FVF_DIFFUSE) {
        put(gl33::kAttrDiffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, o);
        o += 4;
    }
    if (fvf & FVF_SPECULAR) {
        put(gl33::kAttrSpecular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, o);
        o += 4;
    }
    const uint32_t sets = (fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT;
    for (uint32_t i = 0; i < sets; ++i) {
        if (i < gl33::kMaxTexSets) put(gl33::kAttrTex0 + i, 2, GL_FLOAT, GL_FALSE, o);
        o += 8;
    }
    return l;
}

// The GL object behind a device resource.
struct GlObject {
    GLuint name = 0;
    bool texture = false;
    bool opaque = false;            // textures: every texel of every level has alpha one
    uint32_t size = 0;              // buffers: bytes allocated; textures: not 0 once set up
    gl33::RangeBoundsCache bounds;  // vertex buffers: bounds found for earlier draws
};

// Whether GL holds the resource's data as it is now.
bool IsCurrent(const Resource* resource) {
    return resource->backendData && resource->backendVersion == resource->Version();
}

// A buffer written front to back; when full it is orphaned and written from the start.
struct StreamRing {
    GLuint name = 0;
    uint32_t size = 0;
    uint32_t offset = 0;
};

struct Program {
    GLuint name = 0;  // 0: the shaders did not build
};

// What the GL context is known to hold; kUnknown until set.
struct GlCache {
    uint32_t program = kUnknown;
    uint32_t arrayBuffer = kUnknown;
    uint32_t elementBuffer = kUnknown;
    uint32_t activeUnit = kUnknown;
    uint32_t textures[kMaxStages] = {kUnknown, kUnknown};
    uint32_t samplers[kMaxStages] = {kUnknown, kUnknown};
    uint32_t blend = kUnknown, blendSrc = kUnknown, blendDst = kUnknown, blendEq = kUnknown;
    uint32_t depthTest = kUnknown, depthMask = kUnknown, depthFunc = kUnknown;
    uint32_t cull = kUnknown, cullFace = kUnknown;
    uint32_t colorMask = kUnknown;
    uint32_t polygonMode = kUnknown;
    uint32_t depthClamp = kUnknown;
    uint32_t pointSize = kUnknown;
    // The device viewport (kept by the scissor), GL's viewport and the depth range.
    uint32_t scissor[4] = {kUnknown, kUnknown, kUnknown, kUnknown};
    uint32_t viewport[4] = {kUnknown, kUnknown, kUnknown, kUnknown};
    uint32_t depthRange[2] = {kUnknown, kUnknown};
    // Vertex attribute set-up: buffer, stride and format.
    uint32_t layoutBuffer = kUnknown, layoutStride = kUnknown, layoutShader = kUnknown;
};

template <class T>
bool Update(T* cached, T value) {
    if (*cached == value) return false;
    *cached = value;
    return true;
}

class Gl33Device final : public Device {
public:
    Gl33Device(GlSurface* surface, const PresentParams& params)
        : Device(params), surface_(surface), mainThread_(std::this_thread::get_id()) {}
    ~Gl33Device() override;

    bool Init();
    BackendKind Kind() const override { return BackendKind::Gl33; }
    bool ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) override;

protected:
    Result DoClear(uint32_t flags, Color color, float z, uint32_t stencil) override;
    Result DoDraw(const DrawCall& call) override;
    Result DoPresent() override;
    Result DoReset(const PresentParams& params) override;
    void DoDestroy(Resource* resource) override;

private:
    // Context housekeeping.
    bool BeginGlWork();
    void RestoreContext();
    bool MakeBackBuffer(uint32_t width, uint32_t height);
    void FreeBackBuffer();
    void RunPendingDeletes();
    void DeleteObject(const GlObject& object);

    // State flushing: each setter calls GL only when the value differs from the cache.
    const Program* ProgramFor(const ShaderKey& key);
    Program BuildProgram(const ShaderKey& key);
    void UseProgram(GLuint name);
    void ApplyRenderStates(Geometry geometry, bool blend);
    // Whether every fragment of the draw leaves the stages with alpha one (see
    // gl33::StagesGiveOpaqueAlpha); the stage textures must be uploaded.
    bool DrawGivesOpaqueAlpha(const ShaderKey& key, const DrawCall& call);
    bool ColorAlphaIsOne(const DrawCall& call, uint32_t attribute);
    void ScissorRect(uint32_t rect[4]) const;
    void ApplyScissor();
    void ApplyViewport(Geometry geometry);
    void ViewportFor(Geometry geometry, int32_t out[4]) const;
    void BindArrayBuffer(GLuint name);
    void BindElementBuffer(GLuint name);
    void BindCopyBuffer(GLuint name);
    void BindTexture(uint32_t unit, GLuint name);
    void ActivateUnit(uint32_t unit);
    GLuint SamplerFor(uint32_t stage);
    void UploadStageTextures(const ShaderKey& key);
    void BindStageTextures(const ShaderKey& key);
    void MakeFixedUniforms(FixedUniforms* u);
    void UploadFixedUniforms();
    void UploadConstants();
    void SetVertexLayout(GLuint buffer, uint32_t stride, uint32_t vertexShader);

    // Merged draws (see gl33_batch.h).
    bool JoinBatch(const DrawCall& call, const ShaderKey& key, GLuint program, bool blend);
    bool StartBatch(const DrawCall& call, const ShaderKey& key, GLuint program, bool blend);
    bool AppendStreamDraw(const DrawCall& call, const FixedUniforms& u);
    void FlushBatch();
    void DrawStreamBatch();
    void DrawBufferBatch();

    // Draws that leave no fragment: found before any GL work and left out.
    bool DrawIsOffScreen(const DrawCall& call);

    // Resources.
    GlObject* ObjectOf(Resource* resource, bool texture);
    GLuint TextureName(Texture* texture, uint32_t unit);
    GLuint BufferName(Resource* resource, const uint8_t* data, uint32_t size);
    uint32_t RingWrite(StreamRing* ring, const void* data, uint32_t bytes, uint32_t align);

    GlSurface* surface_;
    std::thread::id mainThread_;
    bool stale_ = true;  // the context may have been used by others since our last call

    GLuint framebuffer_ = 0, colorTexture_ = 0, depthBuffer_ = 0;
    uint32_t bufferWidth_ = 0, bufferHeight_ = 0;
    uint32_t guardBand_ = 0;  // width and height of GL's viewport for pre-transformed draws
    GLuint vertexArray_ = 0;
    GLuint fixedBuffer_ = 0, constantBuffer_ = 0, batchBuffer_ = 0;
    GLuint whiteTexture_ = 0;
    StreamRing vertexRing_, indexRing_;

    std::unordered_map<ShaderKey, Program, ShaderKeyHash> programs_;
    ShaderKey lastKey_{};
    const Program* lastProgram_ = nullptr;
    std::unordered_map<uint64_t, GLuint> samplers_;
    std::unordered_map<uint32_t, VertexLayout> layouts_;

    GlCache cache_;
    uint32_t copyBuffer_ = kUnknown;
    uint32_t enabledAttribs_ = kUnknown;
    FixedUniforms fixed_{};
    bool fixedValid_ = false;
    float constants_[kVertexShaderConstants][4] = {};
    bool constantsValid_ = false;

    // World x view and its normal matrix, rebuilt when world or view change.
    Mat4 lastWorld_{}, lastView_{};
    bool matricesValid_ = false;
    Mat4 worldView_{}, normalMatrix_{};

    gl33::OffScreenTest offScreen_;

    std::unordered_set<Resource*> live_;
    std::vector<GlObject> pendingDeletes_;

    DrawBatch batch_;
};

// --- set-up and teardown --------------------------------------------------------------------

bool Gl33Device::Init() {
    if (!surface_->MakeCurrent()) return false;
    if (epoxy_gl_version() < 33) {
        std::fprintf(stderr, "gl33: the context offers OpenGL %d.%d, 3.3 is needed\n",
                     epoxy_gl_version() / 10, epoxy_gl_version() % 10);
        return false;
    }
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);

    // The largest power of two GL accepts as a viewport, up to 8192.
    GLint maxViewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, maxViewport);
    const auto largest = static_cast<uint32_t>(std::min(maxViewport[0], maxViewport[1]));
    for (guardBand_ = 8192; guardBand_ > largest;) guardBand_ /= 2;

    auto makeBuffer = [](GLuint* name, uint32_t size, GLenum usage) {
        glGenBuffers(1, name);
        glBindBuffer(GL_COPY_WRITE_BUFFER, *name);
        glBufferData(GL_COPY_WRITE_BUFFER, size, nullptr, usage);
    };
    makeBuffer(&fixedBuffer_, sizeof(FixedUniforms), GL_DYNAMIC_DRAW);
    makeBuffer(&constantBuffer_, sizeof constants_, GL_DYNAMIC_DRAW);
    makeBuffer(&batchBuffer_, sizeof batch_.matrices, GL_DYNAMIC_DRAW);
    vertexRing_.size = kVertexRingSize;
    makeBuffer(&vertexRing_.name, vertexRing_.size, GL_STREAM_DRAW);
    indexRing_.size = kIndexRingSize;
    makeBuffer(&indexRing_.name, indexRing_.size, GL_STREAM_DRAW);

    // A stage that blends by its texture's alpha with no texture bound reads opaque white.
    const uint32_t white = 0xFFFFFFFFu;
    glGenTextures(1, &whiteTexture_);
    glBindTexture(GL_TEXTURE_2D, whiteTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);

    if (!MakeBackBuffer(params_.backBufferWidth, params_.backBufferHeight)) return false;
    const bool ok = glGetError() == GL_NO_ERROR;
    // The window may draw with the context before our first frame: bind everything again
    // at the first call.
    stale_ = true;
    return ok;
}

Gl33Device::~Gl33Device() {
    const bool gl = std::this_thread::get_id() == mainThread_ && surface_->MakeCurrent();
    for (Resource* r : live_) {
        auto* object = static_cast<GlObject*>(r->backendData);
        if (gl) DeleteObject(*object);
        delete object;
        r->backendData = nullptr;
        r->backendVersion = 0;
    }
    if (!gl) return;
    RunPendingDeletes();
    for (auto& [key, program] : programs_)
        if (program.name) glDeleteProgram(program.name);
    for (auto& [key, sampler] : samplers_) glDeleteSamplers(1, &sampler);
    const GLuint buffers[] = {fixedBuffer_, constantBuffer_, batchBuffer_, vertexRing_.name,
                              indexRing_.name};
    glDeleteBuffers(5, buffers);
    glDeleteTextures(1, &whiteTexture_);
    glDeleteVertexArrays(1, &vertexArray_);
    FreeBackBuffer();
}

bool Gl33Device::MakeBackBuffer(uint32_t width, uint32_t height) {
    glGenTextures(1, &colorTexture_);
    glBindTexture(GL_TEXTURE_2D, colorTexture_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(width), GLsizei(height), 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenRenderbuffers(1, &depthBuffer_);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, GLsizei(width), GLsizei(height));
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colorTexture_, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr, "gl33: the back buffer cannot be made\n");
        return false;
    }
    bufferWidth_ = width;
    bufferHeight_ = height;
    // A new back buffer is opaque black with the far depth.
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthMask(GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    stale_ = true;
    return true;
}

void Gl33Device::FreeBackBuffer() {
    glDeleteFramebuffers(1, &framebuffer_);
    glDeleteRenderbuffers(1, &depthBuffer_);
    glDeleteTextures(1, &colorTexture_);
    framebuffer_ = depthBuffer_ = colorTexture_ = 0;
}

// Our context may be shared with the window's own drawing between frames, so after
// handing a picture over everything we rely on is bound again and the cache forgotten.
void Gl33Device::RestoreContext() {
    cache_ = GlCache{};
    copyBuffer_ = kUnknown;
    enabledAttribs_ = kUnknown;
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glBindVertexArray(vertexArray_);
    glBindBufferBase(GL_UNIFORM_BUFFER, kFixedBinding, fixedBuffer_);
    glBindBufferBase(GL_UNIFORM_BUFFER, kConstantBinding, constantBuffer_);
    glBindBufferBase(GL_UNIFORM_BUFFER, kBatchBinding, batchBuffer_);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glEnable(GL_SCISSOR_TEST);
    glDisable(GL_STENCIL_TEST);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDisable(GL_SAMPLE_ALPHA_TO_COVERAGE);
    glFrontFace(GL_CCW);
    // Flat shading takes the colour of a triangle's first vertex.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
    stale_ = false;
}

bool Gl33Device::BeginGlWork() {
    if (std::this_thread::get_id() != mainThread_) return false;
    if (!surface_->MakeCurrent()) return false;
    if (stale_) RestoreContext();
    if (!pendingDeletes_.empty()) {
        FlushBatch();  // it may read what is deleted
        RunPendingDeletes();
    }
    return true;
}

void Gl33Device::DeleteObject(const GlObject& object) {
    if (object.texture) {
        glDeleteTextures(1, &object.name);
        for (auto& t : cache_.textures)
            if (t == object.name) t = kUnknown;
    } else {
        glDeleteBuffers(1, &object.name);
        if (cache_.arrayBuffer == object.name) cache_.arrayBuffer = kUnknown;
        if (cache_.elementBuffer == object.name) cache_.elementBuffer = kUnknown;
        if (cache_.layoutBuffer == object.name) cache_.layoutBuffer = kUnknown;
        if (copyBuffer_ == object.name) copyBuffer_ = kUnknown;
    }
}

void Gl33Device::RunPendingDeletes() {
    for (const GlObject& object : pendingDeletes_) DeleteObject(object);
    pendingDeletes_.clear();
}

// Called with the device lock held, on whichever thread released the last reference: the
// GL names wait for the main thread.
void Gl33Device::DoDestroy(Resource* resource) {
    auto* object = static_cast<GlObject*>(resource->backendData);
    if (!object) return;
    pendingDeletes_.push_back(std::move(*object));
    delete object;
    resource->backendData = nullptr;
    live_.erase(resource);
}

// --- resources ------------------------------------------------------------------------------

GlObject* Gl33Device::ObjectOf(Resource* resource, bool texture) {
    auto* object = static_cast<GlObject*>(resource->backendData);
    if (object) return object;
    object = new GlObject{};
    object->texture = texture;
    if (texture)
        glGenTextures(1, &object->name);
    else
        glGenBuffers(1, &object->name);
    resource->backendData = object;
    resource->backendVersion = 0;
    live_.insert(resource);
    return object;
}

GLuint Gl33Device::TextureName(Texture* texture, uint32_t unit) {
    GlObject* object = ObjectOf(texture, true);
    const uint64_t version = texture->Version();
    if (texture->backendVersion == version) return object->name;
    // Texture calls change what the active unit holds: the unit may hold the texture while
    // another one is active.
    ActivateUnit(unit);
    BindTexture(unit, object->name);
    const uint32_t levels = texture->LevelCount();
    bool opaque = true;
    for (uint32_t level = 0; level < levels; ++level) {
        const uint32_t* texels = texture->LevelData(level);
        const size_t count = size_t{texture->Width(level)} * texture->Height(level);
        glTexImage2D(GL_TEXTURE_2D, GLint(level), GL_RGBA8, GLsizei(texture->Width(level)),
                     GLsizei(texture->Height(level)), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                     texels);
        for (size_t i = 0; opaque && i < count; ++i) opaque = texels[i] >= 0xFF000000u;
    }
    // Formats without alpha read as opaque, whatever the stored alpha byte holds.
    object->opaque = opaque || !FormatHasAlpha(texture->GetFormat());
    if (object->size == 0) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels) - 1);
        // Formats without alpha read as opaque, whatever the stored alpha byte holds.
        if (!FormatHasAlpha(texture->GetFormat()))
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE);
        object->size = 1;
    }
    texture->backendVersion = version;
    return object->name;
}

GLuint Gl33Device::BufferName(Resource* resource, const uint8_t* data, uint32_t size) {
    GlObject* object = ObjectOf(resource, false);
    const uint64_t version = resource->Version();
    if (resource->backendVersion == version) return object->name;
    BindCopyBuffer(object->name);
    glBufferData(GL_COPY_WRITE_BUFFER, size, data, GL_STATIC_DRAW);
    object->size = size;
    resource->backendVersion = version;
    return object->name;
}

uint32_t Gl33Device::RingWrite(StreamRing* ring, const void* data, uint32_t bytes, uint32_t align) {
    BindCopyBuffer(ring->name);
    uint32_t start = (ring->offset + align - 1) / align * align;
    if (start + uint64_t{bytes} > ring->size) {
        // Full: orphan the storage (draws in flight keep the old one) and start again.
        if (bytes > ring->size) ring->size = std::max(bytes, ring->size * 2);
        glBufferData(GL_COPY_WRITE_BUFFER, ring->size, nullptr, GL_STREAM_DRAW);
        start = 0;
    }
    void* target = glMapBufferRange(
        GL_COPY_WRITE_BUFFER, start, bytes,
        GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
    if (target) {
        std::memcpy(target, data, bytes);
        glUnmapBuffer(GL_COPY_WRITE_BUFFER);
    } else {
        glBufferSubData(GL_COPY_WRITE_BUFFER, start, bytes, data);
    }
    ring->offset = start + bytes;
    return start;
}

// --- state flushing -------------------------------------------------------------------------

void Gl33Device::UseProgram(GLuint name) {
    if (Update(&cache_.program, uint32_t{name})) glUseProgram(name);
}

void Gl33Device::BindArrayBuffer(GLuint name) {
    if (Update(&cache_.arrayBuffer, uint32_t{name})) glBindBuffer(GL_ARRAY_BUFFER, name);
}

void Gl33Device::BindElementBuffer(GLuint name) {
    if (Update(&cache_.elementBuffer, uint32_t{name})) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
}

void Gl33Device::BindCopyBuffer(GLuint name) {
    if (Update(&copyBuffer_, uint32_t{name})) glBindBuffer(GL_COPY_WRITE_BUFFER, name);
}

void Gl33Device::BindTexture(uint32_t unit, GLuint name) {
    if (cache_.textures[unit] == name) return;
    ActivateUnit(unit);
    glBindTexture(GL_TEXTURE_2D, name);
    cache_.textures[unit] = name;
}

void Gl33Device::ActivateUnit(uint32_t unit) {
    if (Update(&cache_.activeUnit, unit)) glActiveTexture(GL_TEXTURE0 + unit);
}

Program Gl33Device::BuildProgram(const ShaderKey& key) {
    auto compile = [](GLenum type, const std::string& source) -> GLuint {
        GLuint shader = glCreateShader(type);
        const char* text = source.c_str();
        glShaderSource(shader, 1, &text, nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        if (!ok) {
            char log[2048] = {};
            glGetShaderInfoLog(shader, sizeof log, nullptr, log);
            std::fprintf(stderr, "gl33: shader does not compile:\n%s\n%s\n", log, text);
            glDeleteShader(shader);
            return 0;
        }
        return shader;
    };
    Program program;
    GLuint vs = compile(GL_VERTEX_SHADER, gl33::VertexShaderSource(key));
    GLuint fs = compile(GL_FRAGMENT_SHADER, gl33::FragmentShaderSource(key));
    if (vs && fs) {
        GLuint name = glCreateProgram();
        glAttachShader(name, vs);
        glAttachShader(name, fs);
        glLinkProgram(name);
        GLint ok = 0;
        glGetProgramiv(name, GL_LINK_STATUS, &ok);
        if (ok) {
            program.name = name;
        } else {
            char log[2048] = {};
            glGetProgramInfoLog(name, sizeof log, nullptr, log);
            std::fprintf(stderr, "gl33: program does not link:\n%s\n", log);
            glDeleteProgram(name);
        }
    }
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    if (!program.name) return program;

    const GLuint fixed = glGetUniformBlockIndex(program.name, gl33::kFixedBlockName);
    if (fixed != GL_INVALID_INDEX) glUniformBlockBinding(program.name, fixed, kFixedBinding);
    const GLuint constants = glGetUniformBlockIndex(program.name, gl33::kConstantBlockName);
    if (constants != GL_INVALID_INDEX)
        glUniformBlockBinding(program.name, constants, kConstantBinding);
    const GLuint batch = glGetUniformBlockIndex(program.name, gl33::kBatchBlockName);
    if (batch != GL_INVALID_INDEX) glUniformBlockBinding(program.name, batch, kBatchBinding);
    UseProgram(program.name);
    for (uint32_t i = 0; i < kMaxStages; ++i) {
        const GLint location = glGetUniformLocation(program.name, gl33::kSamplerNames[i]);
        if (location >= 0) glUniform1i(location, GLint(i));
    }
    return program;
}

const Program* Gl33Device::ProgramFor(const ShaderKey& key) {
    if (lastProgram_ && key == lastKey_) return lastProgram_;
    auto it = programs_.find(key);
    if (it == programs_.end()) it = programs_.emplace(key, BuildProgram(key)).first;
    lastKey_ = key;
    lastProgram_ = &it->second;
    return lastProgram_;
}

// Whether the colour attribute's alpha byte is 255 in every vertex the draw may read.
bool Gl33Device::ColorAlphaIsOne(const DrawCall& call, uint32_t attribute) {
    auto it = layouts_.find(state_.vertexShader);
    if (it == layouts_.end())
        it = layouts_.emplace(state_.vertexShader, LayoutFor(state_.vertexShader)).first;
    const AttribFormat& f = it->second.attrs[attribute];
    if (!f.size) return false;
    const int64_t first = int64_t{call.firstVertex} + (call.indexed ? call.baseVertex : 0);
    if (first < 0) return false;
    // The byte order of a colour is B, G, R, A.
    const uint8_t* alpha = call.vertexData + uint64_t(first) * call.vertexStride + f.offset + 3;
    for (uint32_t v = 0; v < call.vertexCount; ++v, alpha += call.vertexStride)
        if (*alpha != 0xFF) return false;
    return true;
}

bool Gl33Device::DrawGivesOpaqueAlpha(const ShaderKey& key, const DrawCall& call) {
    const auto geometry = static_cast<Geometry>(key.geometry);
    if (geometry == Geometry::Program) return false;
    gl33::AlphaFacts facts{};
    for (uint32_t i = 0; i < key.stageCount; ++i) {
        facts.texture[i] = true;
        Texture* texture = state_.textures[i];
        if (!key.stages[i].samples || !texture) continue;  // none: the white texture
        const auto* object = static_cast<const GlObject*>(texture->backendData);
        const uint32_t* ts = state_.stageStates[i];
        const bool border =
            ts[TSS_ADDRESSU] == TADDRESS_BORDER || ts[TSS_ADDRESSV] == TADDRESS_BORDER;
        facts.texture[i] =
            object && object->opaque && (!border || ts[TSS_BORDERCOLOR] >= 0xFF000000u);
    }
    facts.factor = state_.renderStates[RS_TEXTUREFACTOR] >= 0xFF000000u;
    // The vertex colours are looked at only when the answer depends on them.
    facts.diffuse = facts.specular = true;
    if (!gl33::StagesGiveOpaqueAlpha(key, facts)) return false;
    facts.diffuse = false;
    if (!gl33::StagesGiveOpaqueAlpha(key, facts)) {
        const bool lit = key.lighting != 0;
        if (lit && key.diffuseFrom == gl33::kFromMaterial)
            facts.diffuse = state_.material.diffuse.a >= 1.0f;
        else if (lit && key.diffuseFrom == gl33::kFromSpecular)
            facts.diffuse = ColorAlphaIsOne(call, gl33::kAttrSpecular);
        else
            facts.diffuse = !key.hasDiffuse || ColorAlphaIsOne(call, gl33::kAttrDiffuse);
        if (!facts.diffuse) return false;
    }
    facts.specular = false;
    if (gl33::StagesGiveOpaqueAlpha(key, facts)) return true;
    // Without specular colours in the vertices their alpha is zero.
    return key.hasSpecular && ColorAlphaIsOne(call, gl33::kAttrSpecular);
}

void Gl33Device::ApplyRenderStates(Geometry geometry, bool blendOn) {
    const uint32_t* rs = state_.renderStates;

    const uint32_t blend = blendOn ? 1 : 0;
    if (Update(&cache_.blend, blend)) blend ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
    if (blend) {
        GLenum src = Lookup(kBlendFactors, rs[RS_SRCBLEND], GL_ONE);
        GLenum dst = Lookup(kBlendFactors, rs[RS_DESTBLEND], GL_ZERO);
        if (rs[RS_SRCBLEND] == BLEND_BOTHSRCALPHA) {
            src = GL_SRC_ALPHA;
            dst = GL_ONE_MINUS_SRC_ALPHA;
        } else if (rs[RS_SRCBLEND] == BLEND_BOTHINVSRCALPHA) {
            src = GL_ONE_MINUS_SRC_ALPHA;
            dst = GL_SRC_ALPHA;
        }
        const bool srcChanged = Update(&cache_.blendSrc, uint32_t{src});
        const bool dstChanged = Update(&cache_.blendDst, uint32_t{dst});
        if (srcChanged || dstChanged) glBlendFunc(src, dst);
        const GLenum equation = Lookup(kBlendEquations, rs[RS_BLENDOP], GL_FUNC_ADD);
        if (Update(&cache_.blendEq, uint32_t{equation})) glBlendEquation(equation);
    }

    const uint32_t depth = rs[RS_ZENABLE] != ZB_FALSE ? 1 : 0;
    if (Update(&cache_.depthTest, depth))
        depth ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
    if (depth) {
        const uint32_t write = rs[RS_ZWRITEENABLE] ? 1 : 0;
        if (Update(&cache_.depthMask, write)) glDepthMask(write ? GL_TRUE : GL_FALSE);
        const GLenum func = Lookup(kCompareFuncs, rs[RS_ZFUNC], GL_ALWAYS);
        if (Update(&cache_.depthFunc, uint32_t{func})) glDepthFunc(func);
    }

    // Clockwise on screen is counter-clockwise in GL's terms (GL's orientation assumes y
    // up), so culling the screen's counter-clockwise faces culls GL's back faces.
    const uint32_t cullMode = rs[RS_CULLMODE];
    const uint32_t cull = cullMode == CULL_CW || cullMode == CULL_CCW ? 1 : 0;
    if (Update(&cache_.cull, cull)) cull ? glEnable(GL_CULL_FACE) : glDisable(GL_CULL_FACE);
    if (cull) {
        const GLenum face = cullMode == CULL_CW ? GL_FRONT : GL_BACK;
        if (Update(&cache_.cullFace, uint32_t{face})) glCullFace(face);
    }

    // The back buffer has no alpha of its own: its alpha channel stays at one.
    const uint32_t mask = rs[RS_COLORWRITEENABLE] & 7u;
    if (Update(&cache_.colorMask, mask))
        glColorMask(mask & 1 ? GL_TRUE : GL_FALSE, mask & 2 ? GL_TRUE : GL_FALSE,
                    mask & 4 ? GL_TRUE : GL_FALSE, GL_FALSE);

    GLenum fill = GL_FILL;
    if (rs[RS_FILLMODE] == FILL_POINT) fill = GL_POINT;
    if (rs[RS_FILLMODE] == FILL_WIREFRAME) fill = GL_LINE;
    if (Update(&cache_.polygonMode, uint32_t{fill})) glPolygonMode(GL_FRONT_AND_BACK, fill);

    // Pre-transformed depth is used as given, never clipped.
    const uint32_t clamp = geometry == Geometry::Pretransformed ? 1 : 0;
    if (Update(&cache_.depthClamp, clamp))
        clamp ? glEnable(GL_DEPTH_CLAMP) : glDisable(GL_DEPTH_CLAMP);

    const float size = std::clamp(FloatFromBits(rs[RS_POINTSIZE]), 1.0f, 64.0f);
    if (Update(&cache_.pointSize, Bits(size))) glPointSize(size);
}

// The device viewport within the back buffer.
void Gl33Device::ScissorRect(uint32_t rect[4]) const {
    const Viewport& vp = state_.viewport;
    rect[0] = std::min(vp.x, bufferWidth_);
    rect[1] = std::min(vp.y, bufferHeight_);
    rect[2] = std::min(vp.width, bufferWidth_ - rect[0]);
    rect[3] = std::min(vp.height, bufferHeight_ - rect[1]);
}

// The device viewport only clips: the scissor keeps every draw and clear inside it.
void Gl33Device::ApplyScissor() {
    uint32_t rect[4];
    ScissorRect(rect);
    if (!std::equal(rect, rect + 4, cache_.scissor)) {
        glScissor(GLint(rect[0]), GLint(rect[1]), GLsizei(rect[2]), GLsizei(rect[3]));
        std::copy(rect, rect + 4, cache_.scissor);
    }
}

// GL's viewport for a draw. The classic device does not clip pre-transformed triangles in x
// and y, its viewport only cuts the picture; GL clips whatever leaves its viewport, and the
// corners it adds carry texture coordinates rounded enough to pick the wrong texel where a
// texel edge lies on a pixel centre (as on every sprite hanging off the screen).
// Pre-transformed draws therefore get a guard band: a GL viewport guardBand_ pixels square
// with the device viewport at its middle, so only what lies thousands of pixels off the
// screen is still clipped, while the scissor keeps the picture to the device viewport. Its
// power-of-two size also maps screen positions to GL's window coordinates exactly.
void Gl33Device::ViewportFor(Geometry geometry, int32_t out[4]) const {
    const auto x = static_cast<int32_t>(cache_.scissor[0]);
    const auto y = static_cast<int32_t>(cache_.scissor[1]);
    const auto w = static_cast<int32_t>(cache_.scissor[2]);
    const auto h = static_cast<int32_t>(cache_.scissor[3]);
    const auto band = static_cast<int32_t>(guardBand_);
    if (geometry == Geometry::Pretransformed && band >= w && band >= h) {
        out[0] = x - (band - w) / 2;
        out[1] = y - (band - h) / 2;
        out[2] = out[3] = band;
    } else {
        out[0] = x, out[1] = y, out[2] = w, out[3] = h;
    }
}

void Gl33Device::ApplyViewport(Geometry geometry) {
    ApplyScissor();
    int32_t rect[4];
    ViewportFor(geometry, rect);
    uint32_t bits[4];
    std::copy(rect, rect + 4, bits);
    if (!std::equal(bits, bits + 4, cache_.viewport)) {
        glViewport(rect[0], rect[1], rect[2], rect[3]);
        std::copy(bits, bits + 4, cache_.viewport);
    }
    const Viewport& vp = state_.viewport;
    const uint32_t depth[2] = {Bits(vp.minZ), Bits(vp.maxZ)};
    if (!std::equal(depth, depth + 2, cache_.depthRange)) {
        glDepthRange(vp.minZ, vp.maxZ);
        std::copy(depth, depth + 2, cache_.depthRange);
    }
}

GLuint Gl33Device::SamplerFor(uint32_t stage) {
    const uint32_t* ts = state_.stageStates[stage];
    const uint32_t mag = std::min(ts[TSS_MAGFILTER], 3u);
    const uint32_t min = std::min(ts[TSS_MINFILTER], 3u);
    const uint32_t mip = std::min(ts[TSS_MIPFILTER], 3u);
    const uint32_t u = std::min(ts[TSS_ADDRESSU], 7u);
    const uint32_t v = std::min(ts[TSS_ADDRESSV], 7u);
    uint64_t key = mag | min << 2 | mip << 4 | u << 6 | v << 9;
    if (u == TADDRESS_BORDER || v == TADDRESS_BORDER) key |= uint64_t{ts[TSS_BORDERCOLOR]} << 32;
    auto it = samplers_.find(key);
    if (it != samplers_.end()) return it->second;

    GLuint sampler = 0;
    glGenSamplers(1, &sampler);
    const bool linearMag = mag == TEXF_LINEAR || mag == TEXF_ANISOTROPIC;
    const bool linearMin = min == TEXF_LINEAR || min == TEXF_ANISOTROPIC;
    GLenum minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
    if (mip == TEXF_POINT)
        minFilter = linearMin ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mip == TEXF_LINEAR || mip == TEXF_ANISOTROPIC)
        minFilter = linearMin ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, linearMag ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GLint(minFilter));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GLint(Lookup(kAddressModes, u, GL_REPEAT)));
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GLint(Lookup(kAddressModes, v, GL_REPEAT)));
    float border[4];
    ArgbToVec4(ts[TSS_BORDERCOLOR], border);
    glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
    samplers_.emplace(key, sampler);
    return sampler;
}

// Uploads the textures the stages sample whose texels changed, after making a held batch
// (it reads the texels as they were).
void Gl33Device::UploadStageTextures(const ShaderKey& key) {
    for (uint32_t i = 0; i < key.stageCount; ++i) {
        Texture* texture = state_.textures[i];
        if (!key.stages[i].samples || !texture) continue;
        if (IsCurrent(texture)) continue;
        FlushBatch();
        TextureName(texture, i);
    }
}

void Gl33Device::BindStageTextures(const ShaderKey& key) {
    for (uint32_t i = 0; i < key.stageCount; ++i) {
        if (!key.stages[i].samples) continue;
        Texture* texture = state_.textures[i];
        BindTexture(i, texture ? TextureName(texture, i) : whiteTexture_);
        const GLuint sampler = SamplerFor(i);
        if (Update(&cache_.samplers[i], uint32_t{sampler})) glBindSampler(i, sampler);
    }
}

void Gl33Device::MakeFixedUniforms(FixedUniforms* out) {
    const uint32_t* rs = state_.renderStates;
    FixedUniforms& u = *out;
    u = FixedUniforms{};

    const Mat4& world = state_.world[0];
    const Mat4& view = state_.view;
    if (!matricesValid_ || std::memcmp(&world, &lastWorld_, sizeof world) != 0 ||
        std::memcmp(&view, &lastView_, sizeof view) != 0) {
        worldView_ = Multiply(world, view);
        Mat4 inverse;
        normalMatrix_ = Inverse(worldView_, &inverse) ? Transpose(inverse) : Identity();
        lastWorld_ = world;
        lastView_ = view;
        matricesValid_ = true;
    }
    std::memcpy(u.worldView, &worldView_, sizeof u.worldView);
    std::memcpy(u.projection, &state_.projection, sizeof u.projection);
    std::memcpy(u.normalMatrix, &normalMatrix_, sizeof u.normalMatrix);

    const Material& m = state_.material;
    ColorToVec4(m.diffuse, u.matDiffuse);
    ColorToVec4(m.ambient, u.matAmbient);
    ColorToVec4(m.specular, u.matSpecular);
    ColorToVec4(m.emissive, u.matEmissive);
    const Light& light = state_.light;
    ColorToVec4(light.diffuse, u.lightDiffuse);
    ColorToVec4(light.specular, u.lightSpecular);
    ColorToVec4(light.ambient, u.lightAmbient);
    // The light shines along its direction; lighting wants the way towards it, in view space.
    const Vec3 toLight = Normalize(
        TransformNormal(Vec3{-light.direction[0], -light.direction[1], -light.direction[2]}, view));
    u.lightDir[0] = toLight.x;
    u.lightDir[1] = toLight.y;
    u.lightDir[2] = toLight.z;

    ArgbToVec4(rs[RS_AMBIENT], u.ambient);
    const float start = FloatFromBits(rs[RS_FOGSTART]);
    const float end = FloatFromBits(rs[RS_FOGEND]);
    u.fog[0] = start;
    u.fog[1] = end;
    u.fog[2] = FloatFromBits(rs[RS_FOGDENSITY]);
    // Equal ends make a hard edge: everything beyond the end is fog.
    u.fog[3] = end != start ? 1.0f / (end - start) : 1e30f;
    ArgbToVec4(rs[RS_FOGCOLOR], u.fogColor);
    ArgbToVec4(rs[RS_TEXTUREFACTOR], u.textureFactor);

    // Pre-transformed pixels (x, y) to GL, in the viewport they are drawn with: pixel
    // centres sit on whole screen coordinates here and at half coordinates in GL.
    int32_t band[4];
    ViewportFor(Geometry::Pretransformed, band);
    const float bx = static_cast<float>(band[0]);
    const float by = static_cast<float>(band[1]);
    const float bw = static_cast<float>(std::max(band[2], 1));
    const float bh = static_cast<float>(std::max(band[3], 1));
    u.screen[0] = 2.0f / bw;
    u.screen[1] = 2.0f / bh;
    u.screen[2] = (0.5f - bx) * 2.0f / bw - 1.0f;
    u.screen[3] = (0.5f - by) * 2.0f / bh - 1.0f;
    // The same half-pixel shift for transformed vertices, in clip space.
    u.fixup[0] = 1.0f / static_cast<float>(std::max(cache_.scissor[2], 1u));
    u.fixup[1] = 1.0f / static_cast<float>(std::max(cache_.scissor[3], 1u));
    u.fixup[2] = static_cast<float>(rs[RS_ALPHAREF] & 0xFF);
    u.fixup[3] = m.power;
}

void Gl33Device::UploadFixedUniforms() {
    FixedUniforms u;
    MakeFixedUniforms(&u);
    if (fixedValid_ && std::memcmp(&u, &fixed_, sizeof u) == 0) return;
    BindCopyBuffer(fixedBuffer_);
    glBufferSubData(GL_COPY_WRITE_BUFFER, 0, sizeof u, &u);
    fixed_ = u;
    fixedValid_ = true;
}

void Gl33Device::UploadConstants() {
    const auto& current = state_.shaderConstants;
    uint32_t first = 0, last = kVertexShaderConstants;
    if (constantsValid_) {
        while (first < last && std::memcmp(current[first], constants_[first], 16) == 0) ++first;
        while (last > first && std::memcmp(current[last - 1], constants_[last - 1], 16) == 0)
            --last;
        if (first == last) return;
    }
    BindCopyBuffer(constantBuffer_);
    glBufferSubData(GL_COPY_WRITE_BUFFER, first * 16, (last - first) * 16, current[first]);
    std::memcpy(constants_[first], current[first], (last - first) * 16);
    constantsValid_ = true;
}

void Gl33Device::SetVertexLayout(GLuint buffer, uint32_t stride, uint32_t vertexShader) {
    if (cache_.layoutBuffer == buffer && cache_.layoutStride == stride &&
        cache_.layoutShader == vertexShader)
        return;
    auto it = layouts_.find(vertexShader);
    if (it == layouts_.end()) it = layouts_.emplace(vertexShader, LayoutFor(vertexShader)).first;
    const VertexLayout& layout = it->second;
    BindArrayBuffer(buffer);
    uint32_t enabled = 0;
    for (uint32_t a = 0; a < gl33::kAttrCount; ++a) {
        const AttribFormat& f = layout.attrs[a];
        if (!f.size) continue;
        enabled |= 1u << a;
        glVertexAttribPointer(a, f.size, f.type, f.normalized, GLsizei(stride),
                              reinterpret_cast<const void*>(uintptr_t{f.offset}));
    }
    for (uint32_t a = 0; a < gl33::kAttrCount; ++a) {
        const uint32_t bit = 1u << a;
        if (enabledAttribs_ != kUnknown && (enabledAttribs_ & bit) == (enabled & bit)) continue;
        (enabled & bit) ? glEnableVertexAttribArray(a) : glDisableVertexAttribArray(a);
    }
    enabledAttribs_ = enabled;
    cache_.layoutBuffer = buffer;
    cache_.layoutStride = stride;
    cache_.layoutShader = vertexShader;
}

// --- merged draws ---------------------------------------------------------------------------

// Adds the draw to the held batch when it can be merged with it; otherwise makes the batch.
// Called before the draw changes any GL state.
bool Gl33Device::JoinBatch(const DrawCall& call, const ShaderKey& key, GLuint program, bool blend) {
    DrawBatch& b = batch_;
    if (b.kind == BatchKind::None) return false;
    bool joined = false;
    if (gl33::BatchKindOf(state_, call, key) == b.kind && call.vertexStride == b.stride &&
        b.SharesState(state_, key, program, blend)) {
        FixedUniforms u;
        MakeFixedUniforms(&u);
        if (b.kind == BatchKind::Stream && gl33::SameButWorld(u, b.fixed)) {
            joined = AppendStreamDraw(call, u);
        } else if (b.kind == BatchKind::Buffer && std::memcmp(&u, &b.fixed, sizeof u) == 0) {
            // Neither buffer changed since it was uploaded.
            joined = IsCurrent(call.vertexBuffer) && IsCurrent(call.indexBuffer) &&
                     b.AppendBufferDraw(call);
        }
    }
    if (!joined) FlushBatch();
    return joined;
}

// Holds a draw that later ones may join, its state applied.
bool Gl33Device::StartBatch(const DrawCall& call, const ShaderKey& key, GLuint program,
                            bool blend) {
    const BatchKind kind = gl33::BatchKindOf(state_, call, key);
    if (kind == BatchKind::None) return false;
    DrawBatch& b = batch_;
    b.Start(kind, state_, call, key, program, blend, fixed_);
    if (kind == BatchKind::Buffer) {
        b.vertexName =
            BufferName(call.vertexBuffer, call.vertexBuffer->Data(), call.vertexBuffer->Size());
        b.indexName =
            BufferName(call.indexBuffer, call.indexBuffer->Data(), call.indexBuffer->Size());
        return true;
    }
    if (AppendStreamDraw(call, fixed_)) return true;
    b.kind = BatchKind::None;  // too large to hold
    return false;
}

bool Gl33Device::AppendStreamDraw(const DrawCall& call, const FixedUniforms& u) {
    DrawBatch& b = batch_;
    if (!b.StreamDrawFits(call)) return false;
    if (b.draws == 1 && !b.batchedProgram) {
        // The first merge: the batched program must exist.
        ShaderKey batched = b.key;
        batched.batched = 1;
        b.batchedProgram = ProgramFor(batched)->name;
        if (!b.batchedProgram) return false;
    }
    b.AppendStreamDraw(call, u);
    return true;
}

void Gl33Device::FlushBatch() {
    if (batch_.kind == BatchKind::None) return;
    if (batch_.kind == BatchKind::Stream)
        DrawStreamBatch();
    else
        DrawBufferBatch();
    batch_.kind = BatchKind::None;
}

void Gl33Device::DrawStreamBatch() {
    DrawBatch& b = batch_;
    const uint32_t wide = b.stride + 4;
    const uint32_t offset =
        RingWrite(&vertexRing_, b.vertices.data(), static_cast<uint32_t>(b.vertices.size()), wide);
    const int64_t ringFirst = offset / wide;
    if (b.draws == 1) {
        // As the draw was given; its vertices only lie wider apart.
        UseProgram(b.program);
        SetVertexLayout(vertexRing_.name, wide, b.vertexShader);
        const GLenum mode = Lookup(kPrimitiveModes, b.primitive, GL_TRIANGLES);
        if (!b.indexed) {
            glDrawArrays(mode, GLint(ringFirst), GLsizei(b.count));
            return;
        }
        const bool wideIndex = b.indexFormat == Format::Index32;
        const uint32_t indexOffset =
            RingWrite(&indexRing_, b.rawIndices.data(), static_cast<uint32_t>(b.rawIndices.size()),
                      wideIndex ? 4 : 2);
        BindElementBuffer(indexRing_.name);
        glDrawElementsBaseVertex(mode, GLsizei(b.count),
                                 wideIndex ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                                 reinterpret_cast<const void*>(uintptr_t{indexOffset}),
                                 GLint(ringFirst - int64_t{b.firstVertex}));
        return;
    }
    UseProgram(b.batchedProgram);
    BindCopyBuffer(batchBuffer_);
    glBufferSubData(GL_COPY_WRITE_BUFFER, 0, b.draws * sizeof(gl33::BatchDraw), b.matrices);
    const uint32_t indexOffset =
        RingWrite(&indexRing_, b.indices.data(), static_cast<uint32_t>(b.indices.size() * 4), 4);
    SetVertexLayout(vertexRing_.name, wide, b.vertexShader);
    BindArrayBuffer(vertexRing_.name);
    glVertexAttribIPointer(gl33::kAttrDrawIndex, 1, GL_UNSIGNED_INT, GLsizei(wide),
                           reinterpret_cast<const void*>(uintptr_t{b.stride}));
    const uint32_t bit = 1u << gl33::kAttrDrawIndex;
    if (!(enabledAttribs_ & bit)) glEnableVertexAttribArray(gl33::kAttrDrawIndex);
    enabledAttribs_ |= bit;
    cache_.layoutShader = kUnknown;  // the next layout switches the draw index off again
    BindElementBuffer(indexRing_.name);
    glDrawElementsBaseVertex(GL_TRIANGLES, GLsizei(b.indices.size()), GL_UNSIGNED_INT,
                             reinterpret_cast<const void*>(uintptr_t{indexOffset}),
                             GLint(ringFirst));
}

void Gl33Device::DrawBufferBatch() {
    DrawBatch& b = batch_;
    UseProgram(b.program);
    SetVertexLayout(b.vertexName, b.stride, b.vertexShader);
    const GLenum mode = Lookup(kPrimitiveModes, b.primitive, GL_TRIANGLES);
    const bool wideIndex = b.indexFormat == Format::Index32;
    const uint32_t size = wideIndex ? 4 : 2;
    uintptr_t indexOffset = uintptr_t{b.startIndex} * size;
    uint32_t count = b.count;
    if (b.draws == 1) {
        BindElementBuffer(b.indexName);
    } else {
        indexOffset = RingWrite(&indexRing_, b.rawIndices.data(),
                                static_cast<uint32_t>(b.rawIndices.size()), size);
        count = static_cast<uint32_t>(b.rawIndices.size() / size);
        BindElementBuffer(indexRing_.name);
    }
    glDrawElementsBaseVertex(mode, GLsizei(count), wideIndex ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(indexOffset), GLint(b.baseVertex));
}

// --- draws that leave no fragment ----------------------------------------------------------

bool Gl33Device::DrawIsOffScreen(const DrawCall& call) {
    // A copy too large for the stream is refused by the draw itself.
    if (!call.vertexBuffer && uint64_t{call.vertexCount} * call.vertexStride > kMaxStreamedBytes)
        return false;
    uint32_t rect[4];
    ScissorRect(rect);
    auto* object =
        call.vertexBuffer ? static_cast<GlObject*>(call.vertexBuffer->backendData) : nullptr;
    return offScreen_.Outside(state_, call, rect, object ? &object->bounds : nullptr);
}

// --- device hooks ---------------------------------------------------------------------------

Result Gl33Device::DoClear(uint32_t flags, Color color, float z, uint32_t) {
    if (!BeginGlWork()) return Result::InvalidCall;
    FlushBatch();
    ApplyScissor();  // the clear stays inside the viewport
    GLbitfield mask = 0;
    if (flags & CLEAR_TARGET) {
        if (Update(&cache_.colorMask, 0xFu)) glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        float c[4];
        ArgbToVec4(color, c);
        glClearColor(c[0], c[1], c[2], 1.0f);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & CLEAR_ZBUFFER) {
        if (Update(&cache_.depthMask, 1u)) glDepthMask(GL_TRUE);
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (mask) glClear(mask);
    return Result::Ok;
}

Result Gl33Device::DoDraw(const DrawCall& call) {
    // A draw wholly off the screen changes nothing: what it would have bound and uploaded is
    // cached by value and version, so the next draw that shows does that work instead.
    if (std::this_thread::get_id() == mainThread_ && DrawIsOffScreen(call)) return Result::Ok;
    if (!BeginGlWork()) return Result::InvalidCall;
    const uint32_t vertexShader = state_.vertexShader;
    ShaderKey key = gl33::DescribeState(state_, vertexShader);
    const auto geometry = static_cast<Geometry>(key.geometry);
    UploadStageTextures(key);

    // A draw whose alpha is one everywhere needs neither its alpha test nor a blend by that
    // alpha: without them the rasteriser writes the same picture for less.
    const uint32_t* rs = state_.renderStates;
    bool blend = rs[RS_ALPHABLENDENABLE] != 0;
    const bool replaces = blend && gl33::BlendReplacesAtOpaqueAlpha(
                                       rs[RS_SRCBLEND], rs[RS_DESTBLEND], rs[RS_BLENDOP]);
    const bool tested =
        key.alphaFunc && gl33::AlphaTestPassesOpaque(key.alphaFunc, rs[RS_ALPHAREF]);
    if ((replaces || tested) && DrawGivesOpaqueAlpha(key, call)) {
        if (tested) key.alphaFunc = 0;
        if (replaces) blend = false;
    }
    const Program* program = ProgramFor(key);
    if (!program->name) return Result::Fail;

    const uint32_t count = PrimitiveVertexCount(call.primitive, call.primitiveCount);
    const uint32_t stride = call.vertexStride;
    const uint64_t vertexBytes = uint64_t{call.vertexCount} * stride;
    if (!call.vertexBuffer && vertexBytes > kMaxStreamedBytes) return Result::InvalidCall;

    if (JoinBatch(call, key, program->name, blend)) return Result::Ok;
    BindStageTextures(key);
    UseProgram(program->name);
    ApplyRenderStates(geometry, blend);
    ApplyViewport(geometry);
    UploadFixedUniforms();
    if (geometry == Geometry::Program) UploadConstants();
    if (StartBatch(call, key, program->name, blend)) return Result::Ok;

    // Vertices: the resource's own buffer, or user memory copied into the stream ring at
    // a whole number of vertices, so the attribute set-up stays put between draws.
    GLuint vertexBuffer;
    int64_t ringFirst = 0;
    if (call.vertexBuffer) {
        vertexBuffer =
            BufferName(call.vertexBuffer, call.vertexBuffer->Data(), call.vertexBuffer->Size());
    } else {
        const uint8_t* source = call.vertexData + size_t{call.firstVertex} * stride;
        const uint32_t offset =
            RingWrite(&vertexRing_, source, static_cast<uint32_t>(vertexBytes), stride);
        vertexBuffer = vertexRing_.name;
        ringFirst = offset / stride;
    }
    SetVertexLayout(vertexBuffer, stride, vertexShader);

    const GLenum mode = Lookup(kPrimitiveModes, call.primitive, GL_TRIANGLES);
    if (!call.indexed) {
        const int64_t first = call.vertexBuffer ? int64_t{call.firstVertex} : ringFirst;
        glDrawArrays(mode, GLint(first), GLsizei(count));
        return Result::Ok;
    }
    const bool wide = call.indexFormat == Format::Index32;
    const uint32_t indexSize = wide ? 4 : 2;
    uintptr_t indexOffset;
    int64_t baseVertex;
    if (call.indexBuffer) {
        BindElementBuffer(
            BufferName(call.indexBuffer, call.indexBuffer->Data(), call.indexBuffer->Size()));
        indexOffset = uintptr_t{call.startIndex} * indexSize;
        baseVertex = call.baseVertex;
    } else {
        const uint8_t* source = call.indexData + size_t{call.startIndex} * indexSize;
        indexOffset = RingWrite(&indexRing_, source, count * indexSize, indexSize);
        BindElementBuffer(indexRing_.name);
        // The copied vertices start at ringFirst with the caller's first vertex.
        baseVertex = ringFirst - int64_t{call.firstVertex};
    }
    glDrawElementsBaseVertex(mode, GLsizei(count), wide ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                             reinterpret_cast<const void*>(indexOffset), GLint(baseVertex));
    return Result::Ok;
}

Result Gl33Device::DoPresent() {
    if (!BeginGlWork()) return Result::InvalidCall;
    FlushBatch();
    // Hand the surface a tidy context: no samplers overriding its texture settings.
    for (uint32_t i = 0; i < kMaxStages; ++i)
        if (cache_.samplers[i] != 0) glBindSampler(i, 0);
    glUseProgram(0);
    glBindVertexArray(0);
    surface_->Show(colorTexture_, bufferWidth_, bufferHeight_);
    stale_ = true;
    return Result::Ok;
}

// GL keeps every object through a reset; only a new back-buffer size needs new storage.
Result Gl33Device::DoReset(const PresentParams& params) {
    if (params.backBufferWidth == 0 || params.backBufferHeight == 0 ||
        params.backBufferWidth > 4096 || params.backBufferHeight > 4096)
        return Result::InvalidCall;
    if (!BeginGlWork()) return Result::InvalidCall;
    FlushBatch();
    if (params.backBufferWidth != bufferWidth_ || params.backBufferHeight != bufferHeight_) {
        FreeBackBuffer();
        if (!MakeBackBuffer(params.backBufferWidth, params.backBufferHeight)) return Result::Fail;
    }
    stale_ = true;
    return Result::Ok;
}

bool Gl33Device::ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) {
    std::lock_guard lock(Lock());
    if (!BeginGlWork()) return false;
    FlushBatch();
    const uint32_t w = bufferWidth_, h = bufferHeight_;
    pixels->resize(size_t{w} * h);
    glReadPixels(0, 0, GLsizei(w), GLsizei(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 pixels->data());
    *width = w;
    *height = h;
    return true;
}

}  // namespace

Device* CreateGl33Device(GlSurface* surface, const PresentParams& params) {
    if (!surface) return nullptr;
    auto device = std::make_unique<Gl33Device>(surface, params);
    if (!device->Init()) return nullptr;
    return device.release();
}

}  // namespace gfx
