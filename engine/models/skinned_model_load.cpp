// Loading a skinned model: the ".x" file's data objects become a tree of frames with mesh
// containers and animation nodes; bones are bound to the frames of their names; the model is
// centred on its bounding sphere.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "engine/graphics/texture.h"
#include "engine/models/skinned_model.h"
#include "engine/models/static_mesh.h"
#include "platform/xfile/mesh_loader.h"

namespace {

enum KeyType : uint32_t { kKeyRotation = 0, kKeyScale = 1, kKeyPosition = 2, kKeyMatrix = 4 };

// Everything the loading functions share.
struct LoadContext {
    const xfile::Document* document;
    ModelDrawElement* element;
    SkinnedModel* model;
};

// Makes `child` a child of `parent`: the first child when it has none, else right after the
// existing first child.
void AddChild(ModelFrame* parent, ModelFrame* child) {
    if (!parent->firstChild) {
        parent->firstChild = child;
    } else {
        child->sibling = parent->firstChild->sibling;
        parent->firstChild->sibling = child;
    }
}

void FreeContainer(MeshContainer* c) {
    for (gfx::Texture* t : c->textures) {
        if (t) t->Release();
    }
    if (c->drawMesh) c->drawMesh->Release();
    delete c->skin;
    delete c;
}

void FreeFrames(ModelFrame* frame) {
    while (frame) {
        FreeFrames(frame->firstChild);
        for (MeshContainer* c = frame->containers; c;) {
            MeshContainer* next = c->next;
            FreeContainer(c);
            c = next;
        }
        ModelFrame* sibling = frame->sibling;
        delete frame;
        frame = sibling;
    }
}

int32_t LoadModelFrame(ModelFrame* frame, const xfile::Object& object, LoadContext& ctx);

int32_t LoadModelMesh(ModelFrame* frame, const xfile::Object& object, LoadContext& ctx) {
    xfile::LoadedSkinMesh loaded;
    xfile::LoadResult r =
        xfile::LoadSkinMesh(*ctx.document, object, ctx.model->device, &loaded, nullptr);
    if (r == xfile::LoadResult::NoData) return kModelOk;  // nothing to draw: no container
    if (r == xfile::LoadResult::DeviceError) return kModelOutOfMemory;
    if (r != xfile::LoadResult::Ok) return kModelFail;

    auto* container = new MeshContainer;
    container->name = object.name;
    container->adjacency = std::move(loaded.adjacency);
    container->skin = loaded.skin;
    gfx::SkinMesh* skin = container->skin;
    uint32_t bones = skin->GetNumBones();
    if (bones > 0) {
        ctx.model->bonePaletteSize =
            std::max(ctx.model->bonePaletteSize, static_cast<int32_t>(bones));
        container->boneMatrices.assign(bones, nullptr);
        container->boneOffsets.resize(bones);
        for (uint32_t i = 0; i < bones; ++i) container->boneOffsets[i] = skin->GetBone(i).offset;
        if (GenerateSkinnedMesh(ctx.model, container) != kModelOk) {
            FreeContainer(container);
            return kModelOk;
        }
    } else {
        container->drawMesh = skin->GetOriginalMesh();
        container->drawMesh->AddRef();
        delete container->skin;
        container->skin = nullptr;
        container->attributeGroupCount = static_cast<uint32_t>(loaded.materials.size());
    }

    // The loader gives every mesh at least one material: an opaque grey one when the file
    // names none, so the mesh is visible.
    container->materialCount = static_cast<uint32_t>(loaded.materials.size());
    container->materials.resize(container->materialCount);
    container->textures.assign(container->materialCount, nullptr);
    for (uint32_t i = 0; i < container->materialCount; ++i) {
        const xfile::MeshMaterial& m = loaded.materials[i];
        container->materials[i] = m.material;
        if (m.textureFilename.empty()) continue;
        char path[kModelFolderBytes + kModelPathBytes];
        int n = std::snprintf(path, sizeof path, "%s%s", gModelFolder, m.textureFilename.c_str());
        if (n < 0 || static_cast<size_t>(n) >= sizeof path) continue;  // name too long: none
        LoadTextureAnySize(&container->textures[i], path);
    }

    container->next = frame->containers;
    frame->containers = container;
    return kModelOk;
}

// Reads an AnimationKey: its type, key count, then per key a time, a value count and the
// values. Rotation values come as w, x, y, z.
int32_t LoadAnimationKey(ModelFrame* node, const xfile::Object& object, LoadContext& ctx,
                         bool seen[5]) {
    xfile::ValueReader values(*ctx.document, object);
    uint32_t type = 0, count = 0;
    if (!values.ReadUint(&type) || !values.ReadUint(&count)) return kModelInvalidArg;
    if (type == 3 || type > 4 || seen[type]) return kModelInvalidArg;
    seen[type] = true;
    static constexpr uint32_t kValueCount[5] = {4, 3, 3, 0, 16};
    uint32_t want = kValueCount[type];
    if (count > values.Remaining() / (want + 2)) return kModelInvalidArg;
    for (uint32_t k = 0; k < count; ++k) {
        uint32_t time = 0, n = 0;
        float v[16];
        if (!values.ReadUint(&time) || !values.ReadUint(&n) || n != want ||
            !values.ReadFloats(v, want)) {
            return kModelInvalidArg;
        }
        switch (type) {
            case kKeyRotation:
                node->rotationKeys.push_back(RotationKey{time, gfx::Quat{v[1], v[2], v[3], v[0]}});
                break;
            case kKeyScale:
                node->scaleKeys.push_back(VectorKey{time, gfx::Vec3{v[0], v[1], v[2]}});
                break;
            case kKeyPosition:
                node->positionKeys.push_back(VectorKey{time, gfx::Vec3{v[0], v[1], v[2]}});
                break;
            default: {
                MatrixKey key{time, {}};
                std::memcpy(&key.value.m[0][0], v, sizeof key.value.m);
                node->matrixKeys.push_back(key);
                break;
            }
        }
    }
    return kModelOk;
}

int32_t LoadFrameAnimation(ModelFrame* setNode, const xfile::Object& object, LoadContext& ctx) {
    auto* node = new ModelFrame;
    node->animation = 1;
    AddChild(setNode, node);
    node->nextAnimated = ctx.element->animatedFrames;
    ctx.element->animatedFrames = node;

    bool seen[5] = {};
    for (const xfile::Child& child : object.children) {
        const xfile::Object& o = ctx.document->objects[child.object];
        if (child.reference) {
            // A reference to an object the file does not hold (no type) names a frame that
            // is not there: it ends this animation's set below.
            if (!o.type.empty() && o.type != "Frame") continue;
            if (o.name.empty() || node->animatedTarget) return kModelInvalidArg;
            ModelFrame* target = FindFrame(ctx.element->root, o.name.c_str());
            if (!target) return kModelInvalidArg;
            node->animatedTarget = target;
        } else if (o.type == "Frame") {
            int32_t r = LoadModelFrame(node, o, ctx);
            if (r != kModelOk) return r;
        } else if (o.type == "AnimationKey") {
            int32_t r = LoadAnimationKey(node, o, ctx, seen);
            if (r != kModelOk) return r;
        }
    }
    return kModelOk;
}

void LoadAnimationSet(ModelFrame* frame, const xfile::Object& object, LoadContext& ctx) {
    auto* node = new ModelFrame;
    node->animation = 1;
    node->name = object.name;
    AddChild(frame, node);
    for (const xfile::Child& child : object.children) {
        const xfile::Object& o = ctx.document->objects[child.object];
        if (child.reference || o.type != "Animation") continue;
        // A broken animation ends the set's reading; the keys read so far are kept.
        if (LoadFrameAnimation(node, o, ctx) != kModelOk) return;
    }
}

int32_t LoadModelFrame(ModelFrame* frame, const xfile::Object& object, LoadContext& ctx) {
    const std::string& type = object.type;
    if (type == "Mesh") return LoadModelMesh(frame, object, ctx);
    if (type == "FrameTransformMatrix") {
        xfile::ValueReader values(*ctx.document, object);
        gfx::Mat4 m;
        if (!values.ReadFloats(&m.m[0][0], 16)) return kModelFail;
        frame->local = m;
        frame->original = m;
        return kModelOk;
    }
    if (type == "AnimationSet") {
        LoadAnimationSet(frame, object, ctx);
        return kModelOk;
    }
    if (type == "Animation") {
        LoadFrameAnimation(frame, object, ctx);
        return kModelOk;
    }
    if (type != "Frame") return kModelOk;
    auto* child = new ModelFrame;
    child->name = object.name;
    AddChild(frame, child);
    for (const xfile::Child& c : object.children) {
        if (c.reference) continue;
        int32_t r = LoadModelFrame(child, ctx.document->objects[c.object], ctx);
        if (r != kModelOk) return r;
    }
    return kModelOk;
}

// Binds each bone to the combined matrix of the frame of its name. A bone no frame is named
// after makes the model unusable: its name is returned (null when every bone is bound).
const char* BindBones(ModelFrame* frame, ModelDrawElement* element) {
    for (; frame; frame = frame->sibling) {
        for (MeshContainer* c = frame->containers; c; c = c->next) {
            if (!c->skin) continue;
            for (uint32_t i = 0; i < c->skin->GetNumBones(); ++i) {
                const std::string& name = c->skin->GetBone(i).name;
                ModelFrame* bone = FindFrame(element->root, name.c_str());
                if (!bone) return name.c_str();
                c->boneMatrices[i] = &bone->combined;
            }
        }
        if (const char* unbound = BindBones(frame->firstChild, element)) return unbound;
    }
    return nullptr;
}

// Calls visit(position) for every vertex of every drawn mesh, moved by its frame's matrix.
template <typename Visit>
void ForEachModelVertex(const ModelFrame* frame, const gfx::Mat4& parent, Visit&& visit) {
    for (; frame; frame = frame->sibling) {
        gfx::Mat4 combined = gfx::Multiply(frame->local, parent);
        for (const MeshContainer* c = frame->containers; c; c = c->next) {
            const gfx::Mesh* mesh = c->drawMesh;
            if (!mesh) continue;
            const uint8_t* data = mesh->GetVertexBuffer()->Data();
            for (uint32_t v = 0; v < mesh->GetNumVertices(); ++v) {
                gfx::Vec3 p;
                std::memcpy(&p, data + static_cast<size_t>(v) * mesh->GetNumBytesPerVertex(),
                            sizeof p);
                if (p.x == 0.0f && p.y == 0.0f && p.z == 0.0f) continue;
                gfx::Vec4 t = gfx::Transform(p, combined);
                visit(gfx::Vec3{t.x, t.y, t.z});
            }
        }
        ForEachModelVertex(frame->firstChild, combined, visit);
    }
}

// Centre: the mean of the vertices that are not exactly at the origin; radius: the largest
// distance from it.
void ComputeModelBounds(ModelDrawElement* element) {
    gfx::Vec3 sum{0.0f, 0.0f, 0.0f};
    uint32_t count = 0;
    ForEachModelVertex(element->root, gfx::Identity(), [&](const gfx::Vec3& p) {
        sum = gfx::Add(sum, p);
        ++count;
    });
    if (count == 0) {
        element->centre = gfx::Vec3{0.0f, 0.0f, 0.0f};
        element->radius = 0.0f;
        return;
    }
    gfx::Vec3 centre = gfx::Scale(sum, 1.0f / static_cast<float>(count));
    float largest = 0.0f;
    ForEachModelVertex(element->root, gfx::Identity(), [&](const gfx::Vec3& p) {
        largest = std::max(largest, gfx::LengthSq(gfx::Sub(p, centre)));
    });
    element->centre = centre;
    element->radius = std::sqrt(largest);
}

size_t CountAnimationNodes(const ModelDrawElement* element) {
    size_t n = 0;
    for (const ModelFrame* f = element->animatedFrames; f; f = f->nextAnimated) ++n;
    return n;
}

}  // namespace

int32_t GenerateSkinnedMesh(SkinnedModel* model, MeshContainer* container) {
    if (container->drawMesh) {
        container->drawMesh->Release();
        container->drawMesh = nullptr;
    }
    if (model->skinningMethod != kSkinningIndexedShader || !container->skin) return kModelFail;
    uint32_t palette = std::min(container->skin->GetNumBones(), gfx::kMaxPaletteSize);
    container->paletteSize = palette;
    container->softwareProcessing = 0;
    gfx::Mesh* mesh = nullptr;
    if (gfx::Failed(container->skin->ConvertToIndexedBlendedMesh(palette, &mesh,
                                                                 &container->boneCombinations))) {
        return kModelFail;
    }
    container->attributeGroupCount = static_cast<uint32_t>(container->boneCombinations.size());
    uint32_t position = mesh->GetFvf() & gfx::FVF_POSITION_MASK;
    container->maxFaceInfluences = position == gfx::FVF_XYZ ? 1 : (position - 4) / 2;
    uint32_t wanted = position | gfx::FVF_NORMAL | gfx::FVF_TEX1 | gfx::FVF_LASTBETA_UBYTE4;
    if (mesh->GetFvf() != wanted) {
        gfx::Mesh* clone = nullptr;
        gfx::Result r = mesh->CloneFvf(wanted, &clone);
        mesh->Release();
        if (gfx::Failed(r)) return kModelFail;
        mesh = clone;
    }
    container->drawMesh = mesh;
    container->methodGenerated = model->skinningMethod;
    return kModelOk;
}

void FreeModelElement(ModelDrawElement* element) {
    if (!element) return;
    FreeFrames(element->root);
    delete element;
}

ModelFrame* FindFrame(ModelFrame* frame, const char* name) {
    for (; frame; frame = frame->sibling) {
        if (frame->name == name) return frame;
        if (ModelFrame* found = FindFrame(frame->firstChild, name)) return found;
    }
    return nullptr;
}

int32_t LoadModelHierarchy(SkinnedModel* model) {
    auto* element = new ModelDrawElement;
    element->root = new ModelFrame;
    // A file that cannot be read leaves the model out of the game: the user is told which.
    auto refuse = [&](int32_t result) {
        FreeModelElement(element);
        ShowMessageBox(model->path, kFileOpenErrorCaption);
        return result;
    };
    if (std::strlen(model->path) <= 1) return refuse(kModelFail);
    xfile::Document document;
    if (!xfile::ParseFile(model->path, &document, nullptr)) return refuse(kModelFail);
    LoadContext ctx{&document, element, model};
    for (int32_t index : document.topLevel) {
        int32_t r = LoadModelFrame(element->root, document.objects[index], ctx);
        if (r != kModelOk) return refuse(r);
    }
    // Bones without frames and more animation nodes than time slots are refused, and the
    // user is told which file and why: the model will be missing from the game.
    char message[kModelPathBytes + 160];
    size_t nodes = CountAnimationNodes(element);
    if (const char* bone = BindBones(element->root, element)) {
        std::snprintf(message, sizeof message, "Bone Not Found %s (%.120s)", model->path, bone);
        FreeModelElement(element);
        ShowMessageBox(message, "Error");
        return kModelFail;
    }
    if (nodes > kModelTimeSlots) {
        std::snprintf(message, sizeof message, "Too Many Animations %s (%zu of %d)", model->path,
                      nodes, kModelTimeSlots);
        FreeModelElement(element);
        ShowMessageBox(message, "Error");
        return kModelFail;
    }
    element->name = model->path;
    FreeModelElement(model->element);
    model->element = element;
    ComputeModelBounds(element);
    SetModelProjection(model);
    std::fill(std::begin(element->timeSlots), std::end(element->timeSlots), 0.0f);
    gfx::Mat4 centring =
        gfx::Translation(-element->centre.x, -element->centre.y, -element->centre.z);
    element->root->local = centring;
    element->root->original = centring;
    return kModelOk;
}

int32_t LoadModelFile(SkinnedModel* model, const char* path) {
    if (!path || std::strlen(path) >= sizeof model->path || !SetModelFolder(path)) {
        ShowMessageBox(path ? path : "", kFileOpenErrorCaption);
        return kModelFail;
    }
    std::memcpy(model->path, path, std::strlen(path) + 1);
    int32_t r = LoadModelHierarchy(model);
    if (r == kModelOk) SetModelRenderStates(model, model->device);
    return r;
}
