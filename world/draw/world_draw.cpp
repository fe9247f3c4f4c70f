#include "world/draw/world_draw.h"

#include <cmath>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "world/draw/actor_draw.h"
#include "world/draw/sun_flare.h"
#include "world/draw/world_objects_draw.h"
#include "world/rail/camera_rail.h"
#include "world/stage/stage_resources.h"

namespace {

constexpr uint32_t kStageMeshFvf =
    gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

constexpr uint32_t kColorOps[7] = {
    gfx::TOP_SELECTARG1, gfx::TOP_MODULATE, gfx::TOP_MODULATE2X, gfx::TOP_ADD,
    gfx::TOP_ADDSIGNED,  gfx::TOP_SUBTRACT, gfx::TOP_ADDSMOOTH,
};

// Every world matrix mirrors x.
gfx::Mat4 MirroredAt(float x, float y, float z) {
    return gfx::Multiply(gfx::Scaling(-1.0f, 1.0f, 1.0f), gfx::Translation(x, y, z));
}

// Draws the subsets of the mesh that use shared texture `texture`, each with its material;
// with `bind` set, the texture is bound before the first of them.
void DrawSubsetsOfTexture(gfx::Device* device, const StaticMesh& mesh, int texture, bool bind) {
    for (int j = 0; j < mesh.subsetCount; ++j) {
        if (mesh.textureIndices[j] != texture) continue;
        if (bind) {
            device->SetTexture(0, gSharedMeshTextures.textures[texture]);
            bind = false;
        }
        device->SetMaterial(mesh.materials[j]);
        mesh.mesh->DrawSubset(static_cast<uint32_t>(j));
    }
}

int SharedTextureCount() {
    int count = gSharedMeshTextures.count;
    if (count < 0) return 0;
    return count < kSharedMeshTextureSlots ? count : kSharedMeshTextureSlots;
}

}  // namespace

uint32_t StageColorOp(int mode) {
    int r = mode % 7;
    return r < 0 ? 0 : kColorOps[r];
}

void SetStageColorOp(int mode) {
    uint32_t op = StageColorOp(mode);
    if (op != 0) Device3D()->SetTextureStageState(0, gfx::TSS_COLOROP, op);
}

gfx::Color StageFogColor(const StageInfo& stage) {
    return gfx::MakeArgb(0xFF, static_cast<uint32_t>(stage.fogColor[0]),
                         static_cast<uint32_t>(stage.fogColor[1]),
                         static_cast<uint32_t>(stage.fogColor[2]));
}

gfx::Mat4 StageProjection(float fieldOfViewDegrees, const StageInfo& stage) {
    return gfx::PerspectiveFovRH(fieldOfViewDegrees * 0.017453292f, 1.3333334f, 1.0f,
                                 static_cast<float>(stage.farClip));
}

gfx::Vec3 FloorTilePosition(const StageInfo& stage, int column, int row, float base) {
    float x = static_cast<float>(column) * stage.tileWidth -
              static_cast<float>(stage.tileColumns - 1) * stage.tileWidth / 2.0f;
    return gfx::Vec3{x, stage.floorHeight, static_cast<float>(row) * stage.tileDepth + base};
}

float FloorTileBase(float railZ, float tileDepth) {
    return std::trunc(railZ / tileDepth) * tileDepth;
}

bool IsBeyondViewArea(const CollisionSegment& segment, const gfx::Vec3& eye, int viewArea) {
    if (viewArea < 1) return false;
    float cx = -(segment.minX + (segment.maxX - segment.minX) * 0.5f);
    float cz = segment.minZ + (segment.maxZ - segment.minZ) * 0.5f;
    float dx = cx - eye.x;
    float dz = cz - eye.z;
    return static_cast<float>(viewArea) < std::sqrt(dx * dx + dz * dz);
}

void DrawMeshSetByTexture(const StaticMesh& mesh) {
    gfx::Device* device = Device3D();
    int count = SharedTextureCount();
    for (int i = 0; i < count; ++i) {
        if (mesh.mesh) DrawSubsetsOfTexture(device, mesh, i, true);
    }
}

void DrawStageMeshes() {
    gfx::Device* device = Device3D();
    if (!device || !gCurrentStage) return;
    const StageInfo& stage = *gCurrentStage;
    int maps = StageMeshSlotCount(stage);
    gfx::Mat4 world[kStageMeshSlots];
    for (int s = 0; s < maps; ++s) {
        const float* offset = gGameState.segmentOffset[s];
        world[s] = MirroredAt(offset[0], offset[1], offset[2]);
    }
    if (gGameState.flashCountdown != 0) SetStageColorOp(2);  // doubled brightness

    int textures = SharedTextureCount();
    for (int i = 0; i < textures; ++i) {
        device->SetTexture(0, gSharedMeshTextures.textures[i]);
        for (int s = 0; s < maps; ++s) {
            if (IsBeyondViewArea(gCollisionSegments[s], gGraphics.eye, stage.mapViewArea)) {
                continue;
            }
            device->SetTransform(gfx::TS_WORLD, world[s]);
            const StaticMesh& mesh = gStageMeshes[s];
            if (mesh.mesh) DrawSubsetsOfTexture(device, mesh, i, false);
        }
    }
    SetStageColorOp(stage.drawCode);
}

void DrawFloorTiles() {
    gfx::Device* device = Device3D();
    if (!device || !gCurrentStage) return;
    const StageInfo& stage = *gCurrentStage;
    if (!(stage.tileDepth > 0.0f)) return;
    const StaticMesh& mesh = gStageMeshes[0];
    int textures = SharedTextureCount();
    for (int i = 0; i < textures; ++i) {
        device->SetTexture(0, gSharedMeshTextures.textures[i]);
        gfx::Vec3 rail;
        GetRailPoint(&rail, 0.0f);
        float base = FloorTileBase(rail.z, stage.tileDepth);
        if (!mesh.mesh) continue;
        for (int j = 0; j < mesh.subsetCount; ++j) {
            if (mesh.textureIndices[j] != i) continue;
            for (int r = stage.tileRows - 1; r >= 0; --r) {
                for (int c = 0; c < stage.tileColumns; ++c) {
                    gfx::Vec3 p = FloorTilePosition(stage, c, r, base);
                    device->SetTransform(gfx::TS_WORLD, MirroredAt(p.x, p.y, p.z));
                    mesh.mesh->DrawSubset(static_cast<uint32_t>(j));
                }
            }
        }
    }
}

void DrawStageScene() {
    gfx::Device* d = Device3D();
    if (!d || !gCurrentStage) return;
    const StageInfo& stage = *gCurrentStage;

    d->SetRenderState(gfx::RS_CULLMODE, gfx::CULL_CCW);
    d->SetTextureStageState(0, gfx::TSS_MINFILTER, gfx::TEXF_LINEAR);
    d->SetTextureStageState(0, gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR);
    d->SetVertexShader(kStageMeshFvf);
    d->LightEnable(0, false);
    d->SetRenderState(gfx::RS_LIGHTING, gfx::kFalse);
    d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::kFalse);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kFalse);
    d->SetTextureStageState(0, gfx::TSS_COLOROP, gfx::TOP_MODULATE);

    // The sky stays centred on the rail point.
    const StaticMesh& sky = BackgroundMesh();
    if (stage.hasBackground && sky.mesh) {
        gfx::Vec3 rail;
        GetRailPoint(&rail, 0.0f);
        d->SetTransform(gfx::TS_WORLD, MirroredAt(rail.x, rail.y, rail.z));
        DrawMeshSetByTexture(sky);
    }
    DrawSunAndMeasureFlare();

    d->SetRenderState(gfx::RS_ZENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kTrue);

    if (stage.fogStart != 0.0f) {
        d->SetRenderState(gfx::RS_FOGENABLE, gfx::kTrue);
        d->SetRenderStateF(gfx::RS_FOGSTART, stage.fogStart);
        d->SetRenderStateF(gfx::RS_FOGEND, stage.fogEnd);
        d->SetRenderState(gfx::RS_FOGTABLEMODE, gfx::FOG_NONE);
        d->SetRenderState(gfx::RS_FOGVERTEXMODE, gfx::FOG_LINEAR);
        d->SetRenderState(gfx::RS_FOGCOLOR, StageFogColor(stage));
    } else {
        d->SetRenderState(gfx::RS_FOGENABLE, gfx::kFalse);
    }

    SetStageColorOp(stage.drawCode);
    if (stage.mapType == kPlacedMeshCourse) {
        DrawStageMeshes();
    } else {
        DrawFloorTiles();
    }
    DrawActors();
}

void DrawGameWorld() {
    gfx::Device* device = Device3D();
    if (!device || !gCurrentStage) return;
    gGraphics.projection = StageProjection(gGraphics.fieldOfView, *gCurrentStage);
    device->SetTransform(gfx::TS_PROJECTION, gGraphics.projection);
    DrawStageScene();
    DrawWorldObjects();
    DrawLensFlare();
}

void SetActorRenderStates() {
    gfx::Device* d = Device3D();
    d->LightEnable(0, true);
    d->SetRenderState(gfx::RS_LIGHTING, gfx::kTrue);
    d->SetRenderState(gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD);
    d->SetRenderState(gfx::RS_AMBIENT, 0xFF404040u);
    d->SetRenderState(gfx::RS_NORMALIZENORMALS, gfx::kTrue);
    d->SetRenderState(gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL);
    d->SetRenderState(gfx::RS_ZENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ZWRITEENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHAREF, 0);
    d->SetRenderState(gfx::RS_ALPHATESTENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_ALPHAFUNC, gfx::CMP_GREATER);
    d->SetRenderState(gfx::RS_ALPHABLENDENABLE, gfx::kTrue);
    d->SetRenderState(gfx::RS_SRCBLEND, gfx::BLEND_SRCALPHA);
    d->SetRenderState(gfx::RS_DESTBLEND, gfx::BLEND_INVSRCALPHA);
    d->SetTextureStageState(0, gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1);
    d->SetRenderState(gfx::RS_COLORVERTEX, gfx::kTrue);
    d->SetRenderState(gfx::RS_DIFFUSEMATERIALSOURCE, gfx::MCS_COLOR1);
    d->SetRenderState(gfx::RS_AMBIENTMATERIALSOURCE, gfx::MCS_COLOR1);
    d->SetTextureStageState(0, gfx::TSS_COLORARG2, gfx::TA_TEXTURE);
    d->SetTextureStageState(0, gfx::TSS_COLORARG1, gfx::TA_DIFFUSE);
    gfx::Material material{};
    material.diffuse = gfx::ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    material.ambient = gfx::ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
    d->SetMaterial(material);
}

void SetModelRotation(SkinnedModel* model, const gfx::Mat4& matrix) {
    model->rotation = matrix;
}

void SetModelTranslation(SkinnedModel* model, const gfx::Mat4& matrix) {
    model->translation = matrix;
}
