#include "platform/gfx/device.h"

#include <algorithm>
#include <cstring>

namespace gfx {

namespace {

uint32_t FloatBits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

uint32_t IndexSize(Format format) {
    return format == Format::Index32 ? 4u : 2u;
}

}  // namespace

uint32_t FvfVertexSize(uint32_t fvf) {
    uint32_t size = 0;
    switch (fvf & FVF_POSITION_MASK) {
        case FVF_XYZ:
            size = 12;
            break;
        case FVF_XYZRHW:
            size = 16;
            break;
        case FVF_XYZB1:
            size = 16;
            break;
        case FVF_XYZB2:
            size = 20;
            break;
        case FVF_XYZB3:
            size = 24;
            break;
        case FVF_XYZB4:
            size = 28;
            break;
        case FVF_XYZB5:
            size = 32;
            break;
        default:
            break;
    }
    if (fvf & FVF_NORMAL) size += 12;
    if (fvf & FVF_PSIZE) size += 4;
    if (fvf & FVF_DIFFUSE) size += 4;
    if (fvf & FVF_SPECULAR) size += 4;
    size += ((fvf & FVF_TEXCOUNT_MASK) >> FVF_TEXCOUNT_SHIFT) * 8;
    return size;
}

uint32_t VertexInputSize(uint32_t fvfOrHandle) {
    if (fvfOrHandle >= kShaderHandleBase) {
        // Position, influences - 1 weights, four index bytes, normal, one uv pair.
        const uint32_t influences = std::clamp(fvfOrHandle - kShaderHandleBase, 1u, 4u);
        return 12 + 4 * (influences - 1) + 4 + 12 + 8;
    }
    return FvfVertexSize(fvfOrHandle);
}

void SetDefaultState(DeviceState* s, bool autoDepthStencil) {
    std::memset(s, 0, sizeof *s);
    uint32_t* rs = s->renderStates;
    rs[RS_ZENABLE] = autoDepthStencil ? ZB_TRUE : ZB_FALSE;
    rs[RS_FILLMODE] = FILL_SOLID;
    rs[RS_SHADEMODE] = SHADE_GOURAUD;
    rs[RS_ZWRITEENABLE] = kTrue;
    rs[RS_ALPHATESTENABLE] = kFalse;
    rs[RS_LASTPIXEL] = kTrue;
    rs[RS_SRCBLEND] = BLEND_ONE;
    rs[RS_DESTBLEND] = BLEND_ZERO;
    rs[RS_CULLMODE] = CULL_CCW;
    rs[RS_ZFUNC] = CMP_LESSEQUAL;
    rs[RS_ALPHAREF] = 0;
    rs[RS_ALPHAFUNC] = CMP_ALWAYS;
    rs[RS_DITHERENABLE] = kFalse;
    rs[RS_ALPHABLENDENABLE] = kFalse;
    rs[RS_FOGENABLE] = kFalse;
    rs[RS_SPECULARENABLE] = kFalse;
    rs[RS_FOGCOLOR] = 0;
    rs[RS_FOGTABLEMODE] = FOG_NONE;
    rs[RS_FOGSTART] = FloatBits(0.0f);
    rs[RS_FOGEND] = FloatBits(1.0f);
    rs[RS_FOGDENSITY] = FloatBits(1.0f);
    rs[RS_ZBIAS] = 0;
    rs[RS_RANGEFOGENABLE] = kFalse;
    rs[RS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[RS_LIGHTING] = kTrue;
    rs[RS_AMBIENT] = 0;
    rs[RS_FOGVERTEXMODE] = FOG_NONE;
    rs[RS_COLORVERTEX] = kTrue;
    rs[RS_LOCALVIEWER] = kTrue;
    rs[RS_NORMALIZENORMALS] = kFalse;
    rs[RS_DIFFUSEMATERIALSOURCE] = MCS_COLOR1;
    rs[RS_SPECULARMATERIALSOURCE] = MCS_COLOR2;
    rs[RS_AMBIENTMATERIALSOURCE] = MCS_MATERIAL;
    rs[RS_EMISSIVEMATERIALSOURCE] = MCS_MATERIAL;
    rs[RS_VERTEXBLEND] = 0;
    rs[RS_SOFTWAREVERTEXPROCESSING] = kFalse;
    rs[RS_POINTSIZE] = FloatBits(1.0f);
    rs[RS_INDEXEDVERTEXBLENDENABLE] = kFalse;
    rs[RS_COLORWRITEENABLE] = 0xF;
    rs[RS_BLENDOP] = BLENDOP_ADD;

    for (uint32_t stage = 0; stage < kTextureStages; ++stage) {
        uint32_t* ts = s->stageStates[stage];
        ts[TSS_COLOROP] = stage == 0 ? TOP_MODULATE : TOP_DISABLE;
        ts[TSS_COLORARG1] = TA_TEXTURE;
        ts[TSS_COLORARG2] = TA_CURRENT;
        ts[TSS_ALPHAOP] = stage == 0 ? TOP_SELECTARG1 : TOP_DISABLE;
        ts[TSS_ALPHAARG1] = TA_TEXTURE;
        ts[TSS_ALPHAARG2] = TA_CURRENT;
        ts[TSS_TEXCOORDINDEX] = stage;
        ts[TSS_ADDRESSU] = TADDRESS_WRAP;
        ts[TSS_ADDRESSV] = TADDRESS_WRAP;
        ts[TSS_ADDRESSW] = TADDRESS_WRAP;
        ts[TSS_MAGFILTER] = TEXF_POINT;
        ts[TSS_MINFILTER] = TEXF_POINT;
        ts[TSS_MIPFILTER] = TEXF_NONE;
        ts[TSS_MAXANISOTROPY] = 1;
        ts[TSS_COLORARG0] = TA_CURRENT;
        ts[TSS_ALPHAARG0] = TA_CURRENT;
        ts[TSS_RESULTARG] = TA_CURRENT;
        s->textureTransforms[stage] = Identity();
    }
    s->view = Identity();
    s->projection = Identity();
    for (auto& w : s->world) w = Identity();
    s->light.type = LIGHT_DIRECTIONAL;
    s->light.diffuse = ColorValue{1.0f, 1.0f, 1.0f, 0.0f};
    s->light.direction[2] = 1.0f;
    s->lightEnabled = false;
    s->vertexShader = 0;
}

uint64_t HashDrawState(const DeviceState& state) {
    // FNV-1a over the render states and stage 0.
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        for (size_t i = 0; i < n; ++i) {
            h ^= b[i];
            h *= 1099511628211ull;
        }
    };
    mix(state.renderStates, sizeof state.renderStates);
    mix(state.stageStates[0], sizeof state.stageStates[0]);
    mix(&state.vertexShader, sizeof state.vertexShader);
    return h;
}

// --- resources ------------------------------------------------------------------------------

uint32_t Resource::Release() {
    uint32_t left = --refs_;
    if (left == 0) device_->DestroyResource(this);
    return left;
}

Texture::Texture(Device* device, uint32_t width, uint32_t height, uint32_t levels, Format format)
    : Resource(device), format_(format) {
    uint32_t w = width, h = height;
    for (uint32_t i = 0; i < levels; ++i) {
        widths_.push_back(w);
        heights_.push_back(h);
        levels_.emplace_back(static_cast<size_t>(w) * h, 0u);
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
}

Texture::Texture(Device* device, uint32_t width, uint32_t height,
                 std::vector<std::vector<uint32_t>>* levels, Format format)
    : Resource(device), format_(format), levels_(std::move(*levels)) {
    levels->clear();
    uint32_t w = width, h = height;
    for (size_t i = 0; i < levels_.size(); ++i) {
        widths_.push_back(w);
        heights_.push_back(h);
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
}

uint32_t Texture::Width(uint32_t level) const {
    return level < widths_.size() ? widths_[level] : 0;
}
uint32_t Texture::Height(uint32_t level) const {
    return level < heights_.size() ? heights_[level] : 0;
}

uint32_t* Texture::LockRect(uint32_t level, uint32_t* pitch) {
    if (level >= levels_.size()) return nullptr;
    if (pitch) *pitch = widths_[level];
    return levels_[level].data();
}

void Texture::UnlockRect(uint32_t) {
    Touch();
}

const uint32_t* Texture::LevelData(uint32_t level) const {
    return level < levels_.size() ? levels_[level].data() : nullptr;
}

VertexBuffer::VertexBuffer(Device* device, uint32_t size, uint32_t fvf)
    : Resource(device), data_(size, 0), fvf_(fvf) {}

void* VertexBuffer::Lock(uint32_t offset, uint32_t) {
    if (offset > data_.size()) return nullptr;
    return data_.data() + offset;
}

void VertexBuffer::Unlock() {
    Touch();
}

IndexBuffer::IndexBuffer(Device* device, uint32_t size, Format format)
    : Resource(device), data_(size, 0), format_(format) {}

void* IndexBuffer::Lock(uint32_t offset, uint32_t) {
    if (offset > data_.size()) return nullptr;
    return data_.data() + offset;
}

void IndexBuffer::Unlock() {
    Touch();
}

// --- device ---------------------------------------------------------------------------------

Device::Device(const PresentParams& params) : params_(params) {
    SetDefaultState(&state_, params.autoDepthStencil);
    state_.viewport = Viewport{0, 0, params.backBufferWidth, params.backBufferHeight, 0.0f, 1.0f};
}

Device::~Device() = default;

void Device::DestroyResource(Resource* resource) {
    {
        std::lock_guard lock(mutex_);
        for (auto& t : state_.textures) {
            if (t == resource) t = nullptr;
        }
        if (state_.stream == resource) state_.stream = nullptr;
        if (state_.indices == resource) state_.indices = nullptr;
        DoDestroy(resource);
    }
    delete resource;
}

Result Device::SetRenderState(RenderState state, uint32_t value) {
    if (state >= kRenderStateCount) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    state_.renderStates[state] = value;
    return Result::Ok;
}

Result Device::SetRenderStateF(RenderState state, float value) {
    return SetRenderState(state, FloatBits(value));
}

uint32_t Device::GetRenderState(RenderState state) const {
    if (state >= kRenderStateCount) return 0;
    std::lock_guard lock(mutex_);
    return state_.renderStates[state];
}

Result Device::SetTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) {
    if (stage >= kTextureStages || type >= kTextureStageStateCount) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    state_.stageStates[stage][type] = value;
    return Result::Ok;
}

uint32_t Device::GetTextureStageState(uint32_t stage, TextureStageState type) const {
    if (stage >= kTextureStages || type >= kTextureStageStateCount) return 0;
    std::lock_guard lock(mutex_);
    return state_.stageStates[stage][type];
}

Result Device::SetTexture(uint32_t stage, Texture* texture) {
    if (stage >= kTextureStages) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    state_.textures[stage] = texture;
    return Result::Ok;
}

Texture* Device::GetTexture(uint32_t stage) const {
    if (stage >= kTextureStages) return nullptr;
    std::lock_guard lock(mutex_);
    return state_.textures[stage];
}

Result Device::SetTransform(uint32_t type, const Mat4& matrix) {
    std::lock_guard lock(mutex_);
    if (type == TS_VIEW) {
        state_.view = matrix;
    } else if (type == TS_PROJECTION) {
        state_.projection = matrix;
    } else if (type >= TS_TEXTURE0 && type < TS_TEXTURE0 + kTextureStages) {
        state_.textureTransforms[type - TS_TEXTURE0] = matrix;
    } else if (type >= TS_WORLD && type < TS_WORLD + kWorldMatrices) {
        state_.world[type - TS_WORLD] = matrix;
    } else {
        return Result::InvalidCall;
    }
    return Result::Ok;
}

Result Device::GetTransform(uint32_t type, Mat4* matrix) const {
    std::lock_guard lock(mutex_);
    if (type == TS_VIEW) {
        *matrix = state_.view;
    } else if (type == TS_PROJECTION) {
        *matrix = state_.projection;
    } else if (type >= TS_TEXTURE0 && type < TS_TEXTURE0 + kTextureStages) {
        *matrix = state_.textureTransforms[type - TS_TEXTURE0];
    } else if (type >= TS_WORLD && type < TS_WORLD + kWorldMatrices) {
        *matrix = state_.world[type - TS_WORLD];
    } else {
        return Result::InvalidCall;
    }
    return Result::Ok;
}

Result Device::SetLight(uint32_t index, const Light& light) {
    if (index != 0) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    state_.light = light;
    return Result::Ok;
}

Result Device::LightEnable(uint32_t index, bool enable) {
    if (index != 0) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    state_.lightEnabled = enable;
    return Result::Ok;
}

Result Device::SetMaterial(const Material& material) {
    std::lock_guard lock(mutex_);
    state_.material = material;
    return Result::Ok;
}

Result Device::GetMaterial(Material* material) const {
    std::lock_guard lock(mutex_);
    *material = state_.material;
    return Result::Ok;
}

Result Device::SetViewport(const Viewport& viewport) {
    std::lock_guard lock(mutex_);
    if (viewport.x + viewport.width > params_.backBufferWidth ||
        viewport.y + viewport.height > params_.backBufferHeight)
        return Result::InvalidCall;
    state_.viewport = viewport;
    return Result::Ok;
}

Result Device::GetViewport(Viewport* viewport) const {
    std::lock_guard lock(mutex_);
    *viewport = state_.viewport;
    return Result::Ok;
}

Result Device::SetVertexShader(uint32_t fvfOrHandle) {
    std::lock_guard lock(mutex_);
    if (fvfOrHandle >= kShaderHandleBase && fvfOrHandle - kShaderHandleBase > programCount_)
        return Result::InvalidCall;
    state_.vertexShader = fvfOrHandle;
    return Result::Ok;
}

uint32_t Device::GetVertexShader() const {
    std::lock_guard lock(mutex_);
    return state_.vertexShader;
}

Result Device::SetVertexShaderConstant(uint32_t reg, const void* data, uint32_t count) {
    if (reg >= kVertexShaderConstants || count > kVertexShaderConstants - reg)
        return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    std::memcpy(state_.shaderConstants[reg], data, static_cast<size_t>(count) * 16);
    return Result::Ok;
}

Result Device::SetStreamSource(uint32_t stream, VertexBuffer* buffer, uint32_t stride) {
    if (stream != 0) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    state_.stream = buffer;
    state_.streamStride = stride;
    return Result::Ok;
}

Result Device::SetIndices(IndexBuffer* buffer, uint32_t baseVertexIndex) {
    std::lock_guard lock(mutex_);
    state_.indices = buffer;
    state_.baseVertexIndex = baseVertexIndex;
    return Result::Ok;
}

Result Device::CreateTexture(uint32_t width, uint32_t height, uint32_t levels, Format format,
                             Texture** out) {
    *out = nullptr;
    if (width == 0 || height == 0 || width > 4096 || height > 4096) return Result::InvalidCall;
    uint32_t full = 1;
    for (uint32_t w = width, h = height; w > 1 || h > 1;
         w = std::max(1u, w / 2), h = std::max(1u, h / 2))
        ++full;
    if (levels == 0 || levels > full) levels = full;
    std::lock_guard lock(mutex_);
    *out = new Texture(this, width, height, levels, format);
    return Result::Ok;
}

Result Device::AdoptTexture(uint32_t width, uint32_t height,
                            std::vector<std::vector<uint32_t>>* levels, Format format,
                            Texture** out) {
    *out = nullptr;
    if (width == 0 || height == 0 || width > 4096 || height > 4096 || levels->empty()) {
        return Result::InvalidCall;
    }
    uint32_t w = width, h = height;
    for (size_t i = 0; i < levels->size(); ++i) {
        if ((*levels)[i].size() != static_cast<size_t>(w) * h) return Result::InvalidCall;
        if (w == 1 && h == 1 && i + 1 < levels->size()) return Result::InvalidCall;
        w = std::max(1u, w / 2);
        h = std::max(1u, h / 2);
    }
    std::lock_guard lock(mutex_);
    *out = new Texture(this, width, height, levels, format);
    return Result::Ok;
}

Result Device::CreateVertexBuffer(uint32_t size, uint32_t fvf, VertexBuffer** out) {
    *out = nullptr;
    if (size == 0) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    *out = new VertexBuffer(this, size, fvf);
    return Result::Ok;
}

Result Device::CreateIndexBuffer(uint32_t size, Format format, IndexBuffer** out) {
    *out = nullptr;
    if (size == 0 || (format != Format::Index16 && format != Format::Index32))
        return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    *out = new IndexBuffer(this, size, format);
    return Result::Ok;
}

Result Device::CreateVertexProgram(VertexProgram program, uint32_t* handle) {
    uint32_t n = static_cast<uint32_t>(program);
    if (n < 1 || n > 4) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    // Programs are built in; the handle names the program itself.
    *handle = kShaderHandleBase + n;
    programCount_ = std::max(programCount_, n);
    return Result::Ok;
}

Result Device::Clear(uint32_t flags, Color color, float z, uint32_t stencil) {
    std::lock_guard lock(mutex_);
    if (loss_ != Loss::None) return Result::DeviceLost;
    return DoClear(flags, color, z, stencil);
}

Result Device::BeginScene() {
    std::lock_guard lock(mutex_);
    if (inScene_) return Result::InvalidCall;
    inScene_ = true;
    return Result::Ok;
}

Result Device::EndScene() {
    std::lock_guard lock(mutex_);
    if (!inScene_) return Result::InvalidCall;
    inScene_ = false;
    return Result::Ok;
}

uint32_t Device::PrimitiveVertexCount(PrimitiveType type, uint32_t n) {
    uint64_t count = 0;
    switch (type) {
        case PT_POINTLIST:
            count = n;
            break;
        case PT_LINELIST:
            count = uint64_t{n} * 2;
            break;
        case PT_LINESTRIP:
            count = uint64_t{n} + 1;
            break;
        case PT_TRIANGLELIST:
            count = uint64_t{n} * 3;
            break;
        case PT_TRIANGLESTRIP:
        case PT_TRIANGLEFAN:
            count = uint64_t{n} + 2;
            break;
    }
    // A count no draw can have (it would not fit the 32-bit range) reads as none.
    return count > kMaxDrawVertices ? 0 : static_cast<uint32_t>(count);
}

uint32_t IndexAt(const DrawCall& call, uint32_t i) {
    const size_t n = static_cast<size_t>(call.startIndex) + i;
    if (call.indexFormat == Format::Index32) {
        uint32_t v;
        std::memcpy(&v, call.indexData + n * 4, 4);
        return v;
    }
    uint16_t v;
    std::memcpy(&v, call.indexData + n * 2, 2);
    return v;
}

namespace {

// Every index of an indexed draw must name a vertex of the range the caller declared, so
// no backend reads outside the vertices it was given.
bool IndicesInRange(const DrawCall& call, uint32_t indexCount) {
    const uint64_t first = call.firstVertex;
    const uint64_t end = first + call.vertexCount;
    for (uint32_t i = 0; i < indexCount; ++i) {
        const uint32_t v = IndexAt(call, i);
        if (v < first || v >= end) return false;
    }
    return true;
}

}  // namespace

Result Device::SubmitDraw(const DrawCall& call) {
    if (!inScene_) return Result::InvalidCall;
    if (call.primitiveCount == 0) return Result::Ok;
    const uint32_t count = PrimitiveVertexCount(call.primitive, call.primitiveCount);
    if (count == 0) return Result::InvalidCall;
    if (call.vertexStride < VertexInputSize(state_.vertexShader)) return Result::InvalidCall;
    if (call.indexed) {
        if (call.indexFormat != Format::Index16 && call.indexFormat != Format::Index32)
            return Result::InvalidCall;
        if (!IndicesInRange(call, count)) return Result::InvalidCall;
    }
    if (loss_ != Loss::None) return Result::Ok;  // draws while lost are dropped silently
    return DoDraw(call);
}

Result Device::DrawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                               uint32_t stride) {
    if (!vertices || stride == 0) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    DrawCall call{};
    call.primitive = type;
    call.primitiveCount = primitiveCount;
    call.vertexData = static_cast<const uint8_t*>(vertices);
    call.vertexStride = stride;
    call.firstVertex = 0;
    call.vertexCount = PrimitiveVertexCount(type, primitiveCount);
    return SubmitDraw(call);
}

Result Device::DrawIndexedPrimitiveUP(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                      uint32_t primitiveCount, const void* indices,
                                      Format indexFormat, const void* vertices, uint32_t stride) {
    if (!vertices || !indices || stride == 0) return Result::InvalidCall;
    std::lock_guard lock(mutex_);
    DrawCall call{};
    call.primitive = type;
    call.primitiveCount = primitiveCount;
    call.vertexData = static_cast<const uint8_t*>(vertices);
    call.vertexStride = stride;
    call.firstVertex = minIndex;
    call.vertexCount = numVertices;
    call.indexed = true;
    call.indexData = static_cast<const uint8_t*>(indices);
    call.indexFormat = indexFormat;
    return SubmitDraw(call);
}

Result Device::DrawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
    std::lock_guard lock(mutex_);
    VertexBuffer* vb = state_.stream;
    if (!vb || state_.streamStride == 0) return Result::InvalidCall;
    uint32_t count = PrimitiveVertexCount(type, primitiveCount);
    uint64_t end = (static_cast<uint64_t>(startVertex) + count) * state_.streamStride;
    if (end > vb->Size()) return Result::InvalidCall;
    DrawCall call{};
    call.primitive = type;
    call.primitiveCount = primitiveCount;
    call.vertexData = vb->Data();
    call.vertexStride = state_.streamStride;
    call.firstVertex = startVertex;
    call.vertexCount = count;
    call.vertexBuffer = vb;
    return SubmitDraw(call);
}

Result Device::DrawIndexedPrimitive(PrimitiveType type, uint32_t minIndex, uint32_t numVertices,
                                    uint32_t startIndex, uint32_t primitiveCount) {
    std::lock_guard lock(mutex_);
    VertexBuffer* vb = state_.stream;
    IndexBuffer* ib = state_.indices;
    if (!vb || !ib || state_.streamStride == 0) return Result::InvalidCall;
    uint32_t isize = IndexSize(ib->GetFormat());
    uint64_t iend =
        (static_cast<uint64_t>(startIndex) + PrimitiveVertexCount(type, primitiveCount)) * isize;
    if (iend > ib->Size()) return Result::InvalidCall;
    uint64_t vend = (static_cast<uint64_t>(state_.baseVertexIndex) + minIndex + numVertices) *
                    state_.streamStride;
    if (vend > vb->Size()) return Result::InvalidCall;
    DrawCall call{};
    call.primitive = type;
    call.primitiveCount = primitiveCount;
    call.vertexData = vb->Data();
    call.vertexStride = state_.streamStride;
    call.firstVertex = minIndex;
    call.vertexCount = numVertices;
    call.indexed = true;
    call.indexData = ib->Data();
    call.indexFormat = ib->GetFormat();
    call.startIndex = startIndex;
    call.baseVertex = static_cast<int32_t>(state_.baseVertexIndex);
    call.vertexBuffer = vb;
    call.indexBuffer = ib;
    return SubmitDraw(call);
}

Result Device::Present() {
    std::lock_guard lock(mutex_);
    if (loss_ != Loss::None) {
        // The first failing present makes the device resettable.
        loss_ = Loss::Resettable;
        return Result::DeviceLost;
    }
    return DoPresent();
}

Result Device::TestCooperativeLevel() {
    std::lock_guard lock(mutex_);
    switch (loss_) {
        case Loss::None:
            return Result::Ok;
        case Loss::Lost:
            return Result::DeviceLost;
        case Loss::Resettable:
            return Result::DeviceNotReset;
    }
    return Result::Ok;
}

Result Device::Reset(const PresentParams& params) {
    std::lock_guard lock(mutex_);
    if (loss_ == Loss::Lost) return Result::DeviceLost;
    Result r = DoReset(params);
    if (Failed(r)) return r;
    params_ = params;
    SetDefaultState(&state_, params.autoDepthStencil);
    state_.viewport = Viewport{0, 0, params.backBufferWidth, params.backBufferHeight, 0.0f, 1.0f};
    inScene_ = false;
    loss_ = Loss::None;
    return Result::Ok;
}

void Device::SimulateDeviceLoss() {
    std::lock_guard lock(mutex_);
    loss_ = Loss::Lost;
}

// --- null backend ---------------------------------------------------------------------------

NullDevice::NullDevice(const PresentParams& params) : Device(params) {}

Result NullDevice::DoClear(uint32_t flags, Color color, float, uint32_t) {
    if (flags & CLEAR_TARGET) clearColor_ = color;
    return Result::Ok;
}

Result NullDevice::DoDraw(const DrawCall& call) {
    ++drawCount_;
    if (!recording_) return Result::Ok;
    DrawRecord r{};
    r.primitive = call.primitive;
    r.primitiveCount = call.primitiveCount;
    r.vertexShader = state_.vertexShader;
    r.texture0 = state_.textures[0];
    r.stateHash = HashDrawState(state_);
    r.vertexStride = call.vertexStride;
    r.firstVertex = call.firstVertex;
    r.vertexCount = call.vertexCount;
    r.indexed = call.indexed;
    r.baseVertex = call.baseVertex;
    const size_t first = static_cast<size_t>(call.baseVertex) + call.firstVertex;
    const uint8_t* begin = call.vertexData + first * call.vertexStride;
    r.vertices.assign(begin, begin + static_cast<size_t>(call.vertexCount) * call.vertexStride);
    if (call.indexed) {
        const uint32_t count = PrimitiveVertexCount(call.primitive, call.primitiveCount);
        r.indices.resize(count);
        for (uint32_t i = 0; i < count; ++i) r.indices[i] = IndexAt(call, i);
    }
    std::memcpy(r.renderStates, state_.renderStates, sizeof r.renderStates);
    std::memcpy(r.stage0, state_.stageStates[0], sizeof r.stage0);
    r.world = state_.world[0];
    r.view = state_.view;
    r.projection = state_.projection;
    r.material = state_.material;
    r.viewport = state_.viewport;
    r.vertexBuffer = call.vertexBuffer;
    if (state_.vertexShader >= kShaderHandleBase) {
        const float* c = &state_.shaderConstants[0][0];
        r.shaderConstants.assign(c, c + kVertexShaderConstants * 4);
    }
    draws_.push_back(std::move(r));
    return Result::Ok;
}

Result NullDevice::DoPresent() {
    ++presents_;
    return Result::Ok;
}

Result NullDevice::DoReset(const PresentParams&) {
    return Result::Ok;
}

void NullDevice::DoDestroy(Resource*) {}

bool NullDevice::ReadBackBuffer(std::vector<uint32_t>* pixels, uint32_t* width, uint32_t* height) {
    std::lock_guard lock(Lock());
    *width = params_.backBufferWidth;
    *height = params_.backBufferHeight;
    pixels->assign(static_cast<size_t>(*width) * *height, clearColor_);
    return true;
}

Device* CreateNullDevice(const PresentParams& params) {
    return new NullDevice(params);
}

}  // namespace gfx
