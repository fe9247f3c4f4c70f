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

}  // namespace mk
