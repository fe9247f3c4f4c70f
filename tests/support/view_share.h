// How much of the screen one recorded draw covers: its triangles brought into clip space as
// the device would (fixed-function matrices or the skinning program's constants), clipped to
// the near plane, projected into the viewport and set on a coarse grid of it, where the
// texel and vertex colour under each cell, through the blending in force, show.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/device.h"

namespace vqtest {

// A cell counts as covered where the draw changes its pixel by at least this much of full
// strength (opacity, or the brightness it adds or takes away): a faint haze does not hide
// the view, an opaque petal does.
constexpr float kVisibleChange = 0.25f;

struct ScreenCover {
    float share = 0.0f;  // grid cells whose centre the draw visibly covers / all cells
    float boxShare =
        0.0f;              // bounding box of the clipped triangles (visible or not) in the viewport
    float nearest = 0.0f;  // smallest view depth (clip w) of a vertex in front of the eye
    bool inFront = false;  // some part of the draw lies in front of the near plane
};

// A grid of 4 x 4 pixel cells over the viewport, reused from draw to draw. A frame is
// measured in two passes over its draws: every draw adds its depth where it shows and writes
// depth (AddOccluder), then each draw to measure counts the cells where it shows and nothing
// drawn lies nearer (Measure), so that a wreck sunk under the course counts only what shows.
class CoverGrid {
public:
    void BeginFrame();
    void AddOccluder(const gfx::DrawRecord& draw);
    ScreenCover Measure(const gfx::DrawRecord& draw);

    // A vertex in clip space with what its colour is made of.
    struct Clip {
        float x, y, z, w;
        float u, v;
        float r, g, b, a;  // vertex colour, 0..1
    };

private:
    static constexpr float kFar = 1e30f;
    // Calls cell(index, view depth) for each cell the draw visibly covers; false when the
    // draw is not one this grid measures.
    template <typename CellFn>
    bool Raster(const gfx::DrawRecord& draw, ScreenCover* cover, CellFn&& cell);

    std::vector<uint8_t> cells_;
    std::vector<float> depth_;
    std::vector<Clip> clip_;
    std::vector<uint8_t> done_;
    int columns_ = 0, rows_ = 0;
};

// Pre-transformed vertices: the 2D overlays, which cover the screen by design.
bool IsScreenSpaceDraw(const gfx::DrawRecord& draw);

}  // namespace vqtest
