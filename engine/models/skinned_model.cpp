// Skinned models: device set-up, animation sampling, frame matrices and drawing.
#include "engine/models/skinned_model.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/core/context.h"
#include "engine/overlay/fade.h"

SkinnedModel gCraftModels[kCraftModelCount];

namespace {

// c0: the constants the programs need; w turns a colour byte (0..1) into index x 3.
constexpr float kProgramConstants[4] = {1.0f, 0.0f, 0.0f, 765.01f};
constexpr float kLightDirection[4] = {0.0f, 0.0f, 1.0f, 0.0f};
constexpr uint32_t kRegisterLight = 1;
constexpr uint32_t kRegisterProjection = 2;
constexpr uint32_t kRegisterAmbient = 7;
constexpr uint32_t kRegisterDiffuse = 8;
constexpr uint32_t kRegisterBones = 9;

// Key-time units per tick of the counters (288 a second at 60 ticks).
constexpr double kKeyTimePerTick = 4.8;

int32_t ToModelResult(gfx::Result r) {
    switch (r) {
        case gfx::Result::Ok:
            return kModelOk;
        case gfx::Result::OutOfMemory:
            return kModelOutOfMemory;
        case gfx::Result::InvalidCall:
            return kModelInvalidArg;
        default:
            return kModelFail;
    }
}

// The keys around t in a track: the first key later than t and the one before it (both the
// first key when none is later), with the fraction of the way between them.
template <typename Key>
void FindKeys(const std::vector<Key>& keys, float t, const Key** previous, const Key** next,
              float* fraction) {
    size_t i = 0;
    while (i < keys.size() && static_cast<float>(keys[i].time) <= t) ++i;
    if (i == keys.size()) {
        *previous = *next = &keys[0];
    } else {
        *next = &keys[i];
        *previous = &keys[i > 0 ? i - 1 : 0];
    }
    float span = static_cast<float>((*next)->time) - static_cast<float>((*previous)->time);
    *fraction = span == 0.0f ? 0.0f : (t - static_cast<float>((*previous)->time)) / span;
}

// The time within a track: time modulo its last key's time. A track whose keys all lie at
// time 0 (an exported constant pose) has no length and holds its first key.
template <typename Key>
bool TrackTime(const std::vector<Key>& keys, float time, float* t) {
    if (keys.empty()) return false;
    *t = keys.back().time == 0 ? 0.0f : std::fmod(time, static_cast<float>(keys.back().time));
    return true;
}

// The value of a scale or position track at the time; false for a track without keys.
bool SampleVectorTrack(const std::vector<VectorKey>& keys, float time, gfx::Vec3* out) {
    float t, f;
    if (!TrackTime(keys, time, &t)) return false;
    const VectorKey *previous, *next;
    FindKeys(keys, t, &previous, &next, &f);
    *out = gfx::Lerp(previous->value, next->value, f);
    return true;
}

void SetConstants(gfx::Device* d, uint32_t reg, const float* values, uint32_t count) {
    d->SetVertexShaderConstant(reg, values, count);
}

int32_t DrawPlainMeshContainer(gfx::Device* d, MeshContainer* c) {
    for (uint32_t i = 0; i < c->attributeGroupCount && i < c->materials.size(); ++i) {
        d->SetMaterial(c->materials[i]);
        d->SetTexture(0, c->textures[i]);
        gfx::Result r = c->drawMesh->DrawSubset(i);
        if (gfx::Failed(r)) return ToModelResult(r);
    }
    return kModelOk;
}

int32_t DrawShaderSkinnedContainer(SkinnedModel* model, gfx::Device* d, MeshContainer* c) {
    uint32_t influences = c->maxFaceInfluences;
    if (influences < 1 || influences > 4 || model->vertexShaders[influences - 1] == 0) {
        return kModelFail;  // no program for this mesh
    }
    std::lock_guard lock(d->Lock());
    SetConstants(d, 0, kProgramConstants, 1);
    if (c->softwareProcessing) d->SetRenderState(gfx::RS_SOFTWAREVERTEXPROCESSING, gfx::kTrue);
    gfx::Mesh* mesh = c->drawMesh;
    d->SetStreamSource(0, mesh->GetVertexBuffer(), mesh->GetNumBytesPerVertex());
    d->SetIndices(mesh->GetIndexBuffer(), 0);
    d->SetVertexShader(model->vertexShaders[influences - 1]);

    const gfx::Mat4& view = gGraphics.view;
    int32_t result = kModelOk;
    for (const gfx::BoneCombination& combo : c->boneCombinations) {
        for (uint32_t i = 0; i < c->paletteSize; ++i) {
            uint32_t id = combo.boneId[i];
            if (id == gfx::kUnusedBone || id >= c->boneMatrices.size() || !c->boneMatrices[id]) {
                continue;
            }
            gfx::Mat4 bone = gfx::Multiply(c->boneOffsets[id], *c->boneMatrices[id]);
            gfx::Mat4 rows = gfx::Transpose(gfx::Multiply(bone, view));
            SetConstants(d, kRegisterBones + 3 * i, &rows.m[0][0], 3);
        }
        if (combo.attribId < c->materials.size()) {
            const gfx::Material& m = c->materials[combo.attribId];
            float diffuse[4] = {m.diffuse.r, m.diffuse.g, m.diffuse.b, m.diffuse.a};
            float ambient[4] = {m.ambient.r * 0.25f + m.emissive.r,
                                m.ambient.g * 0.25f + m.emissive.g,
                                m.ambient.b * 0.25f + m.emissive.b, m.ambient.a + m.emissive.a};
            SetConstants(d, kRegisterDiffuse, diffuse, 1);
            SetConstants(d, kRegisterAmbient, ambient, 1);
            d->SetTexture(0, c->textures[combo.attribId]);
        }
        gfx::Result r =
            d->DrawIndexedPrimitive(gfx::PT_TRIANGLELIST, combo.vertexStart, combo.vertexCount,
                                    combo.faceStart * 3, combo.faceCount);
        if (gfx::Failed(r)) {
            result = ToModelResult(r);
            break;
        }
    }
    if (c->softwareProcessing) d->SetRenderState(gfx::RS_SOFTWAREVERTEXPROCESSING, gfx::kFalse);
    return result;
}

int32_t DrawMeshContainer(SkinnedModel* model, gfx::Device* d, MeshContainer* c) {
    if (!c->skin) return c->drawMesh ? DrawPlainMeshContainer(d, c) : kModelOk;
    if (c->methodGenerated != model->skinningMethod) {
        int32_t r = GenerateSkinnedMesh(model, c);
        if (r != kModelOk) return r;
    }
    return DrawShaderSkinnedContainer(model, d, c);
}

int32_t DrawFrameTree(SkinnedModel* model, gfx::Device* d, ModelFrame* frame) {
    for (; frame; frame = frame->sibling) {
        if (frame->containers) {
            d->SetTransform(gfx::TS_WORLD, frame->combined);
            for (MeshContainer* c = frame->containers; c; c = c->next) {
                int32_t r = DrawMeshContainer(model, d, c);
                if (r != kModelOk) return r;
            }
        }
        int32_t r = DrawFrameTree(model, d, frame->firstChild);
        if (r != kModelOk) return r;
    }
    return kModelOk;
}

void ReleaseDrawMeshes(ModelFrame* frame) {
    for (; frame; frame = frame->sibling) {
        for (MeshContainer* c = frame->containers; c; c = c->next) {
            if (!c->skin) continue;
            if (c->drawMesh) c->drawMesh->Release();
            c->drawMesh = nullptr;
            c->methodGenerated = kSkinningNone;
        }
        ReleaseDrawMeshes(frame->firstChild);
    }
}

}  // namespace

void InitModelDevice(SkinnedModel* model, uint32_t startTime, gfx::Device* device) {
    model->startTime = startTime;
    model->device = device;
    if (!device) return;
    const gfx::PresentParams& pp = device->GetPresentParams();
    model->backBufferWidth = pp.backBufferWidth;
    model->backBufferHeight = pp.backBufferHeight;
    // The four programs, for one to four bones a vertex; the first failure stops the rest.
    for (uint32_t i = 0; i < 4; ++i) {
        model->vertexShaders[i] = 0;
    }
    for (uint32_t i = 0; i < 4; ++i) {
        auto program =
            static_cast<gfx::VertexProgram>(static_cast<uint32_t>(gfx::VertexProgram::Skin1) + i);
        if (gfx::Failed(device->CreateVertexProgram(program, &model->vertexShaders[i]))) break;
    }
}

void SetModelRenderStates(SkinnedModel* model, gfx::Device* d) {
    if (!d) return;
    d->SetRenderState(gfx::RS_DITHERENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::ZB_TRUE);
    d->SetRenderState(gfx::RS_SPECULARENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_NORMALIZENORMALS, gfx::kTrue);
    d->SetRenderState(gfx::RS_LIGHTING, gfx::kTrue);
    d->SetRenderState(gfx::RS_COLORVERTEX, gfx::kFalse);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHATESTENABLE, gfx::kTrue);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_MODULATE);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    if (model->element) SetModelProjection(model);
    SetConstants(d, kRegisterLight, kLightDirection, 1);
}

void SetModelProjection(SkinnedModel* model) {
    if (!model->element || !model->device) return;
    float radius = model->element->radius;
    // A model without vertices has no extent to frame: the projection is left as it was.
    if (!(radius > 0.0f)) return;
    float aspect = static_cast<float>(model->backBufferWidth) /
                   static_cast<float>(model->backBufferHeight ? model->backBufferHeight : 1);
    gfx::Mat4 projection =
        gfx::PerspectiveFovRH(0.785398f, aspect, radius / 64.0f, radius * 200.0f);
    if (gfx::Failed(model->device->SetTransform(gfx::TS_PROJECTION, projection))) return;
    gfx::Mat4 t = gfx::Transpose(projection);
    SetConstants(model->device, kRegisterProjection, &t.m[0][0], 4);
}

void AdvanceModelAnimation(SkinnedModel* model, const uint32_t* counters) {
    ModelDrawElement* element = model->element;
    if (!element) return;
    int i = 0;
    for (ModelFrame* node = element->animatedFrames; node && i < kModelTimeSlots;
         node = node->nextAnimated, ++i) {
        auto time = static_cast<float>(static_cast<double>(counters[i] - model->startTime) *
                                       kKeyTimePerTick);
        element->timeSlots[i] = time;
        SampleFrameAnimation(node, time);
    }
    char text[24];
    std::snprintf(text, sizeof text, "SPEED %d  ", i);
    PutDebugText(5, 2, text);
}

void SampleFrameAnimation(ModelFrame* node, float time) {
    ModelFrame* target = node->animatedTarget;
    if (!target) return;  // an animation without its frame drives nothing
    float t, f;
    if (!node->matrixKeys.empty()) {
        if (!TrackTime(node->matrixKeys, time, &t)) return;
        const MatrixKey *previous, *next;
        FindKeys(node->matrixKeys, t, &previous, &next, &f);
        target->local = f > 0.5f ? next->value : previous->value;
        return;
    }
    gfx::Mat4 m = gfx::Identity();
    bool sampled = false;
    gfx::Vec3 v;
    if (SampleVectorTrack(node->scaleKeys, time, &v)) {
        m = gfx::Multiply(m, gfx::Scaling(v.x, v.y, v.z));
        sampled = true;
    }
    if (TrackTime(node->rotationKeys, time, &t)) {
        const RotationKey *previous, *next;
        FindKeys(node->rotationKeys, t, &previous, &next, &f);
        gfx::Quat q = gfx::Slerp(previous->value, next->value, f);
        q.w = -q.w;
        m = gfx::Multiply(m, gfx::RotationQuaternion(q));
        sampled = true;
    }
    if (SampleVectorTrack(node->positionKeys, time, &v)) {
        sampled = true;
    } else {
        const float* row = target->original.m[3];
        v = gfx::Vec3{row[0], row[1], row[2]};
    }
    m = gfx::Multiply(m, gfx::Translation(v.x, v.y, v.z));
    if (sampled) target->local = m;
}

void UpdateFrameMatrices(ModelFrame* frame, const gfx::Mat4& parent) {
    for (; frame; frame = frame->sibling) {
        frame->combined = gfx::Multiply(gfx::Multiply(frame->local, parent), frame->post);
        UpdateFrameMatrices(frame->firstChild, frame->combined);
    }
}

int32_t RenderModel(SkinnedModel* model) {
    ModelDrawElement* element = model->element;
    gfx::Device* d = model->device;
    if (!element || !d) return kModelOk;
    element->root->local = model->rotation;
    element->root->post = model->translation;
    gfx::Result r = d->SetTransform(gfx::TS_VIEW, gGraphics.view);
    if (gfx::Failed(r)) return ToModelResult(r);
    UpdateFrameMatrices(element->root, gfx::Identity());
    return DrawFrameTree(model, d, element->root);
}

void ReleaseModel(SkinnedModel* model) {
    if (!model->element) return;
    ReleaseDrawMeshes(model->element->root);
    FreeModelElement(model->element);
    model->element = nullptr;
}
