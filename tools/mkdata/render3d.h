// A small software renderer for the generator's own pictures: the stage thumbnails and the
// attract movie are rendered from the generated courses and models.
#pragma once

#include <vector>

#include "tools/mkdata/geom.h"
#include "tools/mkdata/image.h"

namespace mk {

struct View3D {
    V3 eye, target, up{0, 1, 0};
    float fovY = 0.785f;
    float nearZ = 1, farZ = 40000;
};

struct Shading {
    bool useVertexColor = false;  // baked course colours, else lit by the light below
    V3 lightDir{-0.4f, -1, 0.5f};
    Color light{1, 1, 1, 1}, ambient{0.35f, 0.35f, 0.4f, 1};
    float brightness = 1;  // multiplies the result (2 for the game's doubled modulation)
    bool depthWrite = true, depthTest = true;
    bool additive = false;
};

// A vertex after projection.
struct Clip {
    float x, y, z, w;  // clip space
    float u, v;
    Color c;
    float viewZ;
};

class Renderer {
public:
    Renderer(int w, int h);
    void Clear(Color c);
    void SetView(const View3D& v);
    void SetFog(float start, float end, Color c);
    // Draws a mesh; `textures` by material index (null = untextured white).
    void Draw(const Mesh& mesh, const Mat4& world, const std::vector<const Image*>& textures,
              const Shading& sh);
    // Copies the frame into an image.
    Image Frame() const;
    const std::vector<Color>& Pixels() const { return color_; }

private:
    void Raster(const Clip& a, const Clip& b, const Clip& c, const Image* tex, const Shading& sh);
    int w_, h_;
    std::vector<Color> color_;
    std::vector<float> depth_;
    Mat4 view_, proj_;
    float fogStart_ = 0, fogEnd_ = 0;
    Color fog_{};
};

}  // namespace mk
