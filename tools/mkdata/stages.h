// The stages: their entries in the stage index, their courses, skies and camera paths.
#pragma once

#include <string>
#include <vector>

#include "tools/mkdata/geom.h"
#include "tools/mkdata/image.h"

namespace mk {

// The look of a stage, shared by its course, its sky and its picture in the stage select.
struct StageLook {
    const char* code;  // "1-1" .. "7-1"
    const char* name;  // shown in the stage pictures
    Color skyTop, skyHorizon, fog, ground, accent;
    int sun;  // 0 none, 1 sun, 2 moon
    bool night;
    int theme;  // the kind of course (see stages.cpp)
};

const StageLook& LookOfStage(int stage);
constexpr int kStageCount = 19;

// What a stage's files hold, kept in memory for the generator's own renderings.
struct StageScene {
    struct Part {
        Mesh mesh;
        Mat4 world;
    };
    std::vector<Part> parts;      // the map meshes
    std::vector<Image> textures;  // by material index; empty for the untextured marks
    Mesh sky;
    Image skyTexture;
    std::vector<V3> rail, look;  // the first camera path, if any
    bool floor = false;          // a tiled floor instead of placed meshes
    float mapx = 0, mapz = 0, mapposy = 0, scroll = 0;
    int mapnumx = 0, mapnumz = 0;
    float fogStart = 0, fogEnd = 0;
};

// Builds one stage's files into `out` and returns its index block; `scene` (when given)
// receives the meshes and textures.
std::string BuildStageInto(class Output& out, int stage, StageScene* scene);
// Renders a stage as seen from its rail (mirrored like the game's world), w x h.
Image RenderStageView(const StageScene& scene, int w, int h, size_t key);
// Looks from eye at target and draws the stage's sky and course in the files' own
// coordinates (the caller mirrors the frame). With a view radius, placed course parts whose
// centre lies farther from the eye are left out.
void DrawStageInto(class Renderer& r, const StageScene& scene, V3 eye, V3 target,
                   float viewRadius = 0);

}  // namespace mk
