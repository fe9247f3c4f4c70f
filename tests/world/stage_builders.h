// Stage pieces made in memory for the world tests and benchmarks: meshes with their
// materials, a device that records what each draw saw, tiled floors and fog.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/models/static_mesh.h"
#include "platform/gfx/device.h"
#include "platform/gfx/mesh.h"
#include "world/stage/stage_index.h"

namespace vqtest {

// A vertex of the stage meshes' lit, coloured format.
struct StageMeshVertex {
    float x, y, z;
    float nx, ny, nz;
    uint32_t diffuse;
    float u, v;
};
constexpr uint32_t kStageMeshVertexFvf =
    gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_DIFFUSE | gfx::FVF_TEX1;

// Quads (two triangles each) gathered by subset, then made into a StaticMesh.
class MeshBuilder {
public:
    // Corners in order around the quad; the texture spans (0, 0) .. (repeat, repeat).
    void Quad(int subset, gfx::Vec3 a, gfx::Vec3 b, gfx::Vec3 c, gfx::Vec3 d,
              uint32_t color = 0xFFFFFFFFu, float repeat = 1.0f) {
        uint32_t base = static_cast<uint32_t>(vertices_.size());
        gfx::Vec3 n = gfx::Normalize(gfx::Cross(gfx::Sub(b, a), gfx::Sub(c, a)));
        const gfx::Vec3 corners[4] = {a, b, c, d};
        const float uv[4][2] = {{0, 0}, {repeat, 0}, {repeat, repeat}, {0, repeat}};
        for (int k = 0; k < 4; ++k) {
            vertices_.push_back({corners[k].x, corners[k].y, corners[k].z, n.x, n.y, n.z, color,
                                 uv[k][0], uv[k][1]});
        }
        for (uint32_t k : {0u, 1u, 2u, 0u, 2u, 3u}) corners_.push_back(base + k);
        attributes_.push_back(static_cast<uint32_t>(subset));
        attributes_.push_back(static_cast<uint32_t>(subset));
    }

    // Three walls and a ceiling around the origin, seen from inside: a sky.
    void SkyBox(int subset, float radius, float height) {
        const float r = radius, h = height;
        Quad(subset, {-r, h, r}, {r, h, r}, {r, -h, r}, {-r, -h, r});
        Quad(subset, {r, h, r}, {r, h, -r}, {r, -h, -r}, {r, -h, r});
        Quad(subset, {-r, h, -r}, {-r, h, r}, {-r, -h, r}, {-r, -h, -r});
        Quad(subset, {-r, h, -r}, {r, h, -r}, {r, h, r}, {-r, h, r});
    }

    // The mesh with one subset per texture index given (-1: no texture); each subset's
    // material carries its number in the specular red (a marker for the tests).
    void Build(gfx::Device* device, StaticMesh* out, const std::vector<int32_t>& textures) {
        gfx::Mesh* mesh = nullptr;
        uint32_t faces = static_cast<uint32_t>(attributes_.size());
        if (gfx::Mesh::Create(device, faces, static_cast<uint32_t>(vertices_.size()),
                              kStageMeshVertexFvf, &mesh) != gfx::Result::Ok) {
            std::fprintf(stderr, "MeshBuilder: the device refused the mesh\n");
            std::abort();
        }
        void* data = mesh->GetVertexBuffer()->Lock();
        std::memcpy(data, vertices_.data(), vertices_.size() * sizeof(StageMeshVertex));
        mesh->GetVertexBuffer()->Unlock();
        mesh->WriteIndices(corners_);
        mesh->Attributes() = attributes_;
        mesh->SortByAttribute();
        out->mesh = mesh;
        out->subsetCount = static_cast<int32_t>(textures.size());
        out->textureIndices = textures;
        out->materials.assign(textures.size(), gfx::Material{});
        for (size_t j = 0; j < textures.size(); ++j) {
            gfx::Material& m = out->materials[j];
            m.diffuse = m.ambient = gfx::ColorValue{1.0f, 1.0f, 1.0f, 1.0f};
            m.specular.r = static_cast<float>(j);
        }
    }

private:
    std::vector<StageMeshVertex> vertices_;
    std::vector<uint32_t> corners_;
    std::vector<uint32_t> attributes_;
};

// What a draw saw of the device.
struct WorldDraw {
    gfx::Mat4 world;
    const gfx::Texture* texture;
    int subset;  // the material marker
    uint32_t colorOp;
    uint32_t fog, fogColor, zEnable, zWrite;
    float fogStart, fogEnd;
    uint32_t primitives;
};

class WorldDevice : public gfx::NullDevice {
public:
    WorldDevice() : gfx::NullDevice(gfx::PresentParams{}) {}
    std::vector<WorldDraw> draws;

protected:
    gfx::Result DoDraw(const gfx::DrawCall& call) override {
        const gfx::DeviceState& s = state_;
        float start, end;
        std::memcpy(&start, &s.renderStates[gfx::RS_FOGSTART], sizeof start);
        std::memcpy(&end, &s.renderStates[gfx::RS_FOGEND], sizeof end);
        draws.push_back(
            WorldDraw{s.world[0], s.textures[0], static_cast<int>(s.material.specular.r),
                      s.stageStates[0][gfx::TSS_COLOROP], s.renderStates[gfx::RS_FOGENABLE],
                      s.renderStates[gfx::RS_FOGCOLOR], s.renderStates[gfx::RS_ZENABLE],
                      s.renderStates[gfx::RS_ZWRITEENABLE], start, end, call.primitiveCount});
        return gfx::NullDevice::DoDraw(call);
    }
};

// A stage of one map mesh tiled as a floor, `columns` x `rows` tiles of `size` units.
inline void SetTiledFloor(StageInfo* stage, float size, int columns, int rows, float floorHeight) {
    stage->mapType = 0;
    stage->tileWidth = size;
    stage->tileDepth = size;
    stage->tileColumns = columns;
    stage->tileRows = rows;
    stage->floorHeight = floorHeight;
    stage->scroll = 10.0f;
}

// Linear fog from start to end in the colour given.
inline void SetFog(StageInfo* stage, float start, float end, int red, int green, int blue) {
    stage->fogStart = start;
    stage->fogEnd = end;
    stage->fogColor[0] = red, stage->fogColor[1] = green, stage->fogColor[2] = blue;
}

}  // namespace vqtest
