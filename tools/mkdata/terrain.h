// Courses: the rail a stage's camera follows and the ground built along it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/mkdata/geom.h"
#include "tools/mkdata/image.h"

namespace mk {

// A smooth closed or open curve through control points (Catmull-Rom), resampled at an
// even spacing: the keys of a camera path.
std::vector<V3> SampleCourse(const std::vector<V3>& control, bool closed, float spacing,
                             size_t maxKeys = 7500);

// The direction of the course at key i (unit, in x-z mostly).
V3 CourseDir(const std::vector<V3>& keys, size_t i, bool closed);

// Cross-section of a ribbon: height of the ground relative to the rail point, at a lateral
// offset (units from the rail, positive to the course's right) for the station at
// distance `along`.
using Profile = std::function<float(float lateral, float along)>;

struct Ribbon {
    float halfWidth = 600;
    int lateralSteps = 24;
    int keyStep = 8;  // one station every keyStep keys
    float uvScale = 1 / 120.0f;
    int material = 0;
    uint32_t tint = 0xFFFFFFFF;
    float apron = 600;  // ground beyond the ends of an open course
};

// Builds the ground along keys[first .. last] (inclusive) into `mesh`.
void BuildRibbon(Mesh& mesh, const std::vector<V3>& keys, bool closed, size_t first, size_t last,
                 const Ribbon& r, const Profile& profile,
                 const std::function<int(float lateral, float along)>& materialAt = nullptr);

// A tileable ground texture of a theme.
enum class Ground {
    Grass,
    Rock,
    Sand,
    Water,
    Road,
    Facade,
    Metal,
    Stone,
    Cloud,
    Crystal,
    Snow,
    Rail,
    Dirt,
    Lava
};
Image GroundTexture(Ground g, int size, uint32_t seed, Color tint);

}  // namespace mk
