// Geometry for the demo models and courses: row-vector 4 x 4 matrices (the convention the
// game's ".x" files use: v' = v M, translation in the fourth row), meshes built from
// primitives, frames, skin weights and animation tracks.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/mkdata/image.h"

namespace mk {

struct V3 {
    float x = 0, y = 0, z = 0;
};
inline V3 operator+(V3 a, V3 b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline V3 operator-(V3 a, V3 b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline V3 operator*(V3 a, float k) {
    return {a.x * k, a.y * k, a.z * k};
}
inline float Dot(V3 a, V3 b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline V3 Cross(V3 a, V3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline float Length(V3 a) {
    return std::sqrt(Dot(a, a));
}
inline V3 Normalize(V3 a) {
    float l = Length(a);
    return l > 1e-12f ? a * (1.0f / l) : V3{0, 1, 0};
}
inline V3 Lerp(V3 a, V3 b, float t) {
    return a + (b - a) * t;
}

struct Mat4 {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
    static Mat4 Identity() { return {}; }
    static Mat4 Translation(float x, float y, float z);
    static Mat4 Translation(V3 v) { return Translation(v.x, v.y, v.z); }
    static Mat4 Scaling(float x, float y, float z);
    static Mat4 RotationX(float a);
    static Mat4 RotationY(float a);
    static Mat4 RotationZ(float a);
    static Mat4 RotationAxis(V3 axis, float a);
    static Mat4 YawPitchRoll(float yaw, float pitch, float roll);
    // Orientation that turns +z toward dir with +y as near up as possible.
    static Mat4 LookAlong(V3 dir, V3 up = {0, 1, 0});
};
Mat4 operator*(const Mat4& a, const Mat4& b);
V3 TransformPoint(V3 p, const Mat4& m);
V3 TransformNormal(V3 n, const Mat4& m);  // rotation part, renormalised
Mat4 Inverse(const Mat4& m);              // rigid or scaled affine matrices

struct Quat {
    float x = 0, y = 0, z = 0, w = 1;
};
Quat QuatFromAxisAngle(V3 axis, float a);
Quat QuatFromMatrix(const Mat4& m);

// One vertex of a mesh.
struct Vertex {
    V3 p, n;
    float u = 0, v = 0;
    uint32_t color = 0xFFFFFFFF;  // ARGB, used where the mesh keeps vertex colours
};

struct Tri {
    int a, b, c, material;
};

// One bone's influence on the vertices of a skinned mesh.
struct SkinWeight {
    std::string bone;
    std::vector<int> vertices;
    std::vector<float> weights;
    Mat4 offset;  // mesh space to bone space at the bind pose
};

struct Mesh {
    std::string name;
    std::vector<Vertex> verts;
    std::vector<Tri> tris;
    bool colors = false;  // write MeshVertexColors
    std::vector<SkinWeight> skin;
};

struct Material {
    std::string name;
    Color diffuse = {0.6f, 0.6f, 0.6f, 1.0f};
    float power = 8;
    Color specular = {0.2f, 0.2f, 0.2f, 1};
    Color emissive = {0, 0, 0, 1};
    std::string texture;  // file name beside the model, "" for none
};

struct Frame {
    std::string name;
    Mat4 local;
    std::vector<Mesh> meshes;
    std::vector<Frame> children;
};

struct RotKey {
    uint32_t time;
    Quat q;  // the rotation wanted (the writer stores it as the files expect)
};
struct VecKey {
    uint32_t time;
    V3 v;
};
struct Animation {
    std::string name, frame;
    std::vector<RotKey> rot;
    std::vector<VecKey> scale, pos;
};
struct AnimationSet {
    std::string name;
    std::vector<Animation> anims;
};

struct Model {
    std::vector<Material> materials;
    Frame root;
    std::vector<AnimationSet> sets;
};

// ".x" text of a model: materials at the top, the frame tree, then the animation sets.
// Each mesh's line layout suits the game's map-mesh reader as well (see CATALOGUE.md).
std::string WriteX(const Model& model);

// Writes a camera path file: rotation, scale and position keys of the rail frame, then
// (when target is not empty) the same three blocks for the looked-at frame.
std::string WriteCameraPath(const std::vector<V3>& rail, const std::vector<V3>& target);

// ---------------------------------------------------------------- building meshes

// A region of the model's texture that a primitive maps its coordinates into.
struct Swatch {
    float u0 = 0, v0 = 0, u1 = 1, v1 = 1;
};

class MeshBuilder {
public:
    explicit MeshBuilder(Mesh& mesh) : mesh_(mesh) {}
    MeshBuilder& At(const Mat4& m) {
        xf_ = m;
        return *this;
    }
    MeshBuilder& Mat(int material) {
        mat_ = material;
        return *this;
    }
    MeshBuilder& Uv(Swatch s) {
        sw_ = s;
        return *this;
    }
    MeshBuilder& Tint(uint32_t argb) {
        tint_ = argb;
        return *this;
    }

    int AddVertex(V3 p, V3 n, float u, float v);  // transformed by the current matrix
    void AddTri(int a, int b, int c);
    // A flat quad; its front faces the side `outward` points to (or (b - a) x (c - a) when zero).
    void Quad(V3 a, V3 b, V3 c, V3 d, V3 outward = {});

    // Primitives in their local frame (then moved by the current matrix).
    void Box(V3 centre, V3 size);
    // A solid of revolution along +z: profile points (z, radius), `sides` around.
    void Lathe(const std::vector<std::pair<float, float>>& profile, int sides, bool smooth = true,
               float squashY = 1.0f);
    // A closed tube of cross-sections along +z: each ring is (z, half width, half height, y
    // offset).
    struct Ring {
        float z, hw, hh, y;
    };
    void Loft(const std::vector<Ring>& rings, int sides, bool capEnds = true);
    void Cylinder(float r, float len, int sides, bool caps = true);  // along +z from 0 to len
    void Sphere(V3 centre, float r, int rings, int sides, V3 scale = {1, 1, 1});
    // A flat outline extruded along y (thickness), outline points in x-z, counter-clockwise from
    // above.
    void Slab(const std::vector<std::pair<float, float>>& outline, float y0, float y1);
    void Torus(float R, float r, int seg, int sides);  // around z
    // A wing: root chord at x=0 from zRootFront to zRootBack, tip at x=span, with thickness.
    void Wing(float span, float rootFront, float rootBack, float tipFront, float tipBack,
              float thick, float dihedral = 0, float sweepY = 0);

private:
    Mesh& mesh_;
    Mat4 xf_;
    int mat_ = 0;
    Swatch sw_;
    uint32_t tint_ = 0xFFFFFFFF;
};

// Bounding radius of a mesh's vertices around the origin.
float MeshRadius(const Mesh& m);
// Bakes simple lighting into vertex colours (for unlit course meshes).
void BakeLight(Mesh& m, V3 lightDir, Color light, Color ambient, Color tint);

}  // namespace mk
