#include "tools/mkdata/geom.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/gfx/math.h"

namespace mk {

// ---------------------------------------------------------------- matrices
// The generator's matrices have the game's layout; the arithmetic is the game's own.

namespace {

gfx::Mat4 ToGfx(const Mat4& a) {
    gfx::Mat4 r;
    std::memcpy(r.m, a.m, sizeof r.m);
    return r;
}

Mat4 FromGfx(const gfx::Mat4& a) {
    Mat4 r;
    std::memcpy(r.m, a.m, sizeof r.m);
    return r;
}

gfx::Vec3 ToGfx(V3 v) {
    return gfx::Vec3{v.x, v.y, v.z};
}

}  // namespace

Mat4 Mat4::Translation(float x, float y, float z) {
    return FromGfx(gfx::Translation(x, y, z));
}
Mat4 Mat4::Scaling(float x, float y, float z) {
    return FromGfx(gfx::Scaling(x, y, z));
}
Mat4 Mat4::RotationX(float a) {
    return FromGfx(gfx::RotationX(a));
}
Mat4 Mat4::RotationY(float a) {
    return FromGfx(gfx::RotationY(a));
}
Mat4 Mat4::RotationZ(float a) {
    return FromGfx(gfx::RotationZ(a));
}
Mat4 Mat4::RotationAxis(V3 axis, float a) {
    return FromGfx(gfx::RotationAxis(ToGfx(axis), a));
}
Mat4 Mat4::YawPitchRoll(float yaw, float pitch, float roll) {
    return FromGfx(gfx::RotationYawPitchRoll(yaw, pitch, roll));
}

Mat4 Mat4::LookAlong(V3 dir, V3 up) {
    V3 z = Normalize(dir);
    V3 x = Cross(up, z);
    if (Length(x) < 1e-5f) x = Cross(V3{1, 0, 0}, z);
    x = Normalize(x);
    V3 y = Cross(z, x);
    Mat4 r;
    r.m[0][0] = x.x;
    r.m[0][1] = x.y;
    r.m[0][2] = x.z;
    r.m[1][0] = y.x;
    r.m[1][1] = y.y;
    r.m[1][2] = y.z;
    r.m[2][0] = z.x;
    r.m[2][1] = z.y;
    r.m[2][2] = z.z;
    return r;
}

Mat4 operator*(const Mat4& a, const Mat4& b) {
    return FromGfx(gfx::Multiply(ToGfx(a), ToGfx(b)));
}

V3 TransformPoint(V3 p, const Mat4& m) {
    gfx::Vec4 r = gfx::Transform(ToGfx(p), ToGfx(m));
    return {r.x, r.y, r.z};
}

V3 TransformNormal(V3 n, const Mat4& m) {
    // Inverse transpose of the 3 x 3 part, so that scaled primitives keep true normals.
    float a = m.m[0][0], b = m.m[0][1], c = m.m[0][2];
    float d = m.m[1][0], e = m.m[1][1], f = m.m[1][2];
    float g = m.m[2][0], h = m.m[2][1], i = m.m[2][2];
    float A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    float D = -(b * i - c * h), E = a * i - c * g, F = -(a * h - b * g);
    float G = b * f - c * e, H = -(a * f - c * d), I = a * e - b * d;
    // For row vectors the normal transform is n (M^-1)^T, which is proportional to n times
    // the cofactor matrix.
    V3 r{n.x * A + n.y * B + n.z * C, n.x * D + n.y * E + n.z * F, n.x * G + n.y * H + n.z * I};
    float det = a * A + b * B + c * C;
    if (det < 0) r = r * -1.0f;
    return Normalize(r);
}

Mat4 Inverse(const Mat4& m) {
    gfx::Mat4 r;
    if (!gfx::Inverse(ToGfx(m), &r)) return Mat4{};
    return FromGfx(r);
}

Quat QuatFromAxisAngle(V3 axis, float a) {
    V3 u = Normalize(axis);
    float s = std::sin(a * 0.5f);
    return {u.x * s, u.y * s, u.z * s, std::cos(a * 0.5f)};
}

Quat QuatFromMatrix(const Mat4& m) {
    gfx::Quat q = gfx::QuatRotationMatrix(ToGfx(m));
    return {q.x, q.y, q.z, q.w};
}

// ---------------------------------------------------------------- writing ".x" text

namespace {

class Out {
public:
    void Line(int indent, const char* fmt, ...) __attribute__((format(printf, 3, 4))) {
        s_.append(static_cast<size_t>(indent), ' ');
        char buf[512];
        va_list ap;
        va_start(ap, fmt);
        std::vsnprintf(buf, sizeof buf, fmt, ap);
        va_end(ap);
        s_ += buf;
        s_ += '\n';
    }
    void Raw(const std::string& t) { s_ += t; }
    std::string& Str() { return s_; }

private:
    std::string s_;
};

// Fixed-point text of a float, with negative zero written as zero.
std::string F(float v) {
    if (std::fabs(v) < 5e-7f) v = 0;
    char b[48];
    std::snprintf(b, sizeof b, "%.6f", static_cast<double>(v));
    return b;
}

void WriteMatrix(Out& o, int ind, const Mat4& m) {
    o.Line(ind, "FrameTransformMatrix {");
    for (int r = 0; r < 4; ++r)
        o.Line(ind + 1, "%s,%s,%s,%s%s", F(m.m[r][0]).c_str(), F(m.m[r][1]).c_str(),
               F(m.m[r][2]).c_str(), F(m.m[r][3]).c_str(), r == 3 ? ";;" : ",");
    o.Line(ind, "}");
}

void WriteMaterial(Out& o, const Material& mt) {
    o.Line(0, "Material %s {", mt.name.c_str());
    o.Line(1, "%s;%s;%s;%s;;", F(mt.diffuse.r).c_str(), F(mt.diffuse.g).c_str(),
           F(mt.diffuse.b).c_str(), F(mt.diffuse.a).c_str());
    o.Line(1, "%s;", F(mt.power).c_str());
    o.Line(1, "%s;%s;%s;;", F(mt.specular.r).c_str(), F(mt.specular.g).c_str(),
           F(mt.specular.b).c_str());
    o.Line(1, "%s;%s;%s;;", F(mt.emissive.r).c_str(), F(mt.emissive.g).c_str(),
           F(mt.emissive.b).c_str());
    if (!mt.texture.empty()) {
        o.Line(1, "TextureFilename {");
        o.Line(2, "\"%s\";", mt.texture.c_str());
        o.Line(1, "}");
    }
    o.Line(0, "}");
    o.Line(0, "%s", "");
}

void WriteMesh(Out& o, int ind, const Mesh& mesh, const std::vector<Material>& mats) {
    const size_t nv = mesh.verts.size(), nf = mesh.tris.size();
    o.Line(ind, "Mesh %s {", mesh.name.c_str());
    o.Line(ind + 1, "%zu;", nv);
    for (size_t i = 0; i < nv; ++i) {
        const V3& p = mesh.verts[i].p;
        o.Line(ind + 1, "%s;%s;%s;%s", F(p.x).c_str(), F(p.y).c_str(), F(p.z).c_str(),
               i + 1 < nv ? "," : ";");
    }
    o.Line(ind + 1, "%zu;", nf);
    for (size_t i = 0; i < nf; ++i) {
        const Tri& t = mesh.tris[i];
        o.Line(ind + 1, "3;%d,%d,%d;%s", t.a, t.b, t.c, i + 1 < nf ? "," : ";");
    }
    // The material list comes right after the faces: the course reader expects it there.
    std::vector<int> used;
    for (const Tri& t : mesh.tris)
        if (std::find(used.begin(), used.end(), t.material) == used.end())
            used.push_back(t.material);
    std::sort(used.begin(), used.end());
    o.Line(ind + 1, "MeshMaterialList {");
    o.Line(ind + 2, "%zu;", used.size());
    o.Line(ind + 2, "%zu;", nf);
    std::string line;
    for (size_t i = 0; i < nf; ++i) {
        int local = static_cast<int>(std::find(used.begin(), used.end(), mesh.tris[i].material) -
                                     used.begin());
        line += std::to_string(local);
        if (i + 1 < nf) {
            line += ",";
            if (line.size() > 60) {
                o.Line(ind + 2, "%s", line.c_str());
                line.clear();
            }
        } else {
            line += "; ;";
        }
    }
    o.Line(ind + 2, "%s", line.c_str());
    for (int m : used) o.Line(ind + 2, "{%s}", mats[static_cast<size_t>(m)].name.c_str());
    o.Line(ind + 1, "}");

    o.Line(ind + 1, "MeshNormals {");
    o.Line(ind + 2, "%zu;", nv);
    for (size_t i = 0; i < nv; ++i) {
        const V3& n = mesh.verts[i].n;
        o.Line(ind + 2, "%s;%s;%s;%s", F(n.x).c_str(), F(n.y).c_str(), F(n.z).c_str(),
               i + 1 < nv ? "," : ";");
    }
    o.Line(ind + 2, "%zu;", nf);
    for (size_t i = 0; i < nf; ++i) {
        const Tri& t = mesh.tris[i];
        o.Line(ind + 2, "3;%d,%d,%d;%s", t.a, t.b, t.c, i + 1 < nf ? "," : ";");
    }
    o.Line(ind + 1, "}");

    o.Line(ind + 1, "MeshTextureCoords {");
    o.Line(ind + 2, "%zu;", nv);
    for (size_t i = 0; i < nv; ++i)
        o.Line(ind + 2, "%s;%s;%s", F(mesh.verts[i].u).c_str(), F(mesh.verts[i].v).c_str(),
               i + 1 < nv ? "," : ";");
    o.Line(ind + 1, "}");

    if (mesh.colors) {
        o.Line(ind + 1, "MeshVertexColors {");
        o.Line(ind + 2, "%zu;", nv);
        for (size_t i = 0; i < nv; ++i) {
            uint32_t c = mesh.verts[i].color;
            o.Line(ind + 2, "%zu;%s;%s;%s;%s;%s", i, F(((c >> 16) & 0xFF) / 255.0f).c_str(),
                   F(((c >> 8) & 0xFF) / 255.0f).c_str(), F((c & 0xFF) / 255.0f).c_str(),
                   F(((c >> 24) & 0xFF) / 255.0f).c_str(), i + 1 < nv ? ";," : ";;");
        }
        o.Line(ind + 1, "}");
    }

    if (!mesh.skin.empty()) {
        // Largest number of bones on one vertex and on one face.
        std::vector<int> perVertex(nv, 0);
        for (const SkinWeight& s : mesh.skin)
            for (int v : s.vertices) ++perVertex[static_cast<size_t>(v)];
        int maxV = 0, maxF = 0;
        for (int c : perVertex) maxV = std::max(maxV, c);
        for (const Tri& t : mesh.tris) {
            int count = 0;
            for (const SkinWeight& s : mesh.skin) {
                bool in = false;
                for (int v : s.vertices) in = in || v == t.a || v == t.b || v == t.c;
                count += in;
            }
            maxF = std::max(maxF, count);
        }
        o.Line(ind + 1, "XSkinMeshHeader {");
        o.Line(ind + 2, "%d;", maxV);
        o.Line(ind + 2, "%d;", maxF);
        o.Line(ind + 2, "%zu;", mesh.skin.size());
        o.Line(ind + 1, "}");
        for (const SkinWeight& s : mesh.skin) {
            o.Line(ind + 1, "SkinWeights {");
            o.Line(ind + 2, "\"%s\";", s.bone.c_str());
            const size_t n = s.vertices.size();
            o.Line(ind + 2, "%zu;", n);
            for (size_t i = 0; i < n; ++i)
                o.Line(ind + 2, "%d%s", s.vertices[i], i + 1 < n ? "," : ";");
            for (size_t i = 0; i < n; ++i)
                o.Line(ind + 2, "%s%s", F(s.weights[i]).c_str(), i + 1 < n ? "," : ";");
            std::string m;
            for (int r = 0; r < 4; ++r)
                for (int c = 0; c < 4; ++c)
                    m += F(s.offset.m[r][c]) + (r == 3 && c == 3 ? ";;" : ",");
            o.Line(ind + 2, "%s", m.c_str());
            o.Line(ind + 1, "}");
        }
    }
    o.Line(ind, "}");
}

void WriteFrame(Out& o, int ind, const Frame& f, const std::vector<Material>& mats) {
    o.Line(ind, "Frame %s {", f.name.c_str());
    WriteMatrix(o, ind + 1, f.local);
    for (const Mesh& m : f.meshes) WriteMesh(o, ind + 1, m, mats);
    for (const Frame& c : f.children) WriteFrame(o, ind + 1, c, mats);
    o.Line(ind, "}");
}

// Rotation keys as ".x" files store them: w first, and the conjugate of the rotation,
// which the model loader turns back by negating w.
std::string RotText(const Quat& q) {
    return F(q.w) + "," + F(-q.x) + "," + F(-q.y) + "," + F(-q.z);
}

}  // namespace

std::string WriteX(const Model& model) {
    Out o;
    o.Line(0, "xof 0302txt 0032");
    o.Line(0, "%s", "");
    for (const Material& m : model.materials) WriteMaterial(o, m);
    WriteFrame(o, 0, model.root, model.materials);
    for (const AnimationSet& set : model.sets) {
        o.Line(0, "%s", "");
        o.Line(0, "AnimationSet %s {", set.name.c_str());
        for (const Animation& a : set.anims) {
            o.Line(1, "Animation %s {", a.name.c_str());
            o.Line(2, "{%s}", a.frame.c_str());
            if (!a.rot.empty()) {
                o.Line(2, "AnimationKey {");
                o.Line(3, "0;");
                o.Line(3, "%zu;", a.rot.size());
                for (size_t i = 0; i < a.rot.size(); ++i)
                    o.Line(3, "%u;4;%s;;%s", a.rot[i].time, RotText(a.rot[i].q).c_str(),
                           i + 1 < a.rot.size() ? "," : ";");
                o.Line(2, "}");
            }
            if (!a.scale.empty()) {
                o.Line(2, "AnimationKey {");
                o.Line(3, "1;");
                o.Line(3, "%zu;", a.scale.size());
                for (size_t i = 0; i < a.scale.size(); ++i) {
                    const V3& v = a.scale[i].v;
                    o.Line(3, "%u;3;%s,%s,%s;;%s", a.scale[i].time, F(v.x).c_str(), F(v.y).c_str(),
                           F(v.z).c_str(), i + 1 < a.scale.size() ? "," : ";");
                }
                o.Line(2, "}");
            }
            if (!a.pos.empty()) {
                o.Line(2, "AnimationKey {");
                o.Line(3, "2;");
                o.Line(3, "%zu;", a.pos.size());
                for (size_t i = 0; i < a.pos.size(); ++i) {
                    const V3& v = a.pos[i].v;
                    o.Line(3, "%u;3;%s,%s,%s;;%s", a.pos[i].time, F(v.x).c_str(), F(v.y).c_str(),
                           F(v.z).c_str(), i + 1 < a.pos.size() ? "," : ";");
                }
                o.Line(2, "}");
            }
            o.Line(1, "}");
        }
        o.Line(0, "}");
    }
    return o.Str();
}

std::string WriteCameraPath(const std::vector<V3>& rail, const std::vector<V3>& target) {
    Out o;
    o.Line(0, "xof 0302txt 0032");
    o.Line(0, "%s", "");
    o.Line(0, "Frame rail {");
    WriteMatrix(o, 1, Mat4{});
    o.Line(0, "}");
    if (!target.empty()) {
        o.Line(0, "Frame look {");
        WriteMatrix(o, 1, Mat4{});
        o.Line(0, "}");
    }
    o.Line(0, "%s", "");
    o.Line(0, "AnimationSet course {");
    auto blocks = [&](const char* name, const char* frame, const std::vector<V3>& pts,
                      bool withHeading) {
        const size_t n = pts.size();
        o.Line(1, "Animation %s {", name);
        o.Line(1, "{%s}", frame);
        // Rotation keys, in the order the rail code reads them: x, y, z, w of a turn about y
        // that faces the course direction (the camera looks along the next point).
        o.Line(2, "AnimationKey {");
        o.Line(2, "0;");
        o.Line(2, "%zu;", n);
        for (size_t i = 0; i < n; ++i) {
            float ang = 0;
            if (withHeading && n > 1) {
                V3 d = pts[std::min(i + 1, n - 1)] - pts[i == n - 1 ? i - 1 : i];
                // World x is the file's x negated; the heading is pi minus the world angle.
                ang = kPi - std::atan2(-d.x, d.z);
            }
            o.Line(3, "%zu;4;%s,%s,%s,%s;;%s", i, F(0).c_str(), F(std::sin(ang * 0.5f)).c_str(),
                   F(0).c_str(), F(std::cos(ang * 0.5f)).c_str(), i + 1 < n ? "," : ";");
        }
        o.Line(2, "}");
        o.Line(2, "AnimationKey {");
        o.Line(2, "1;");
        o.Line(2, "%zu;", n);
        for (size_t i = 0; i < n; ++i)
            o.Line(3, "%zu;3;1.000000,1.000000,1.000000;;%s", i, i + 1 < n ? "," : ";");
        o.Line(2, "}");
        o.Line(2, "AnimationKey {");
        o.Line(2, "2;");
        o.Line(2, "%zu;", n);
        for (size_t i = 0; i < n; ++i)
            o.Line(3, "%zu;3;%s,%s,%s;;%s", i, F(pts[i].x).c_str(), F(pts[i].y).c_str(),
                   F(pts[i].z).c_str(), i + 1 < n ? "," : ";");
        o.Line(2, "}");
        o.Line(1, "}");
    };
    blocks("rail_keys", "rail", rail, true);
    if (!target.empty()) blocks("look_keys", "look", target, false);
    o.Line(0, "}");
    return o.Str();
}

// ---------------------------------------------------------------- mesh builder

int MeshBuilder::AddVertex(V3 p, V3 n, float u, float v) {
    Vertex vx;
    vx.p = TransformPoint(p, xf_);
    vx.n = TransformNormal(n, xf_);
    vx.u = sw_.u0 + (sw_.u1 - sw_.u0) * u;
    vx.v = sw_.v0 + (sw_.v1 - sw_.v0) * v;
    vx.color = tint_;
    mesh_.verts.push_back(vx);
    return static_cast<int>(mesh_.verts.size()) - 1;
}

void MeshBuilder::AddTri(int a, int b, int c) {
    // Front faces: (b - a) x (c - a) points outward. Orient by the vertex normals.
    V3 pa = mesh_.verts[a].p, pb = mesh_.verts[b].p, pc = mesh_.verts[c].p;
    V3 fn = Cross(pb - pa, pc - pa);
    V3 avg = mesh_.verts[a].n + mesh_.verts[b].n + mesh_.verts[c].n;
    if (Length(fn) < 1e-9f) return;  // degenerate
    if (Dot(fn, avg) < 0) std::swap(b, c);
    mesh_.tris.push_back({a, b, c, mat_});
}

void MeshBuilder::Quad(V3 a, V3 b, V3 c, V3 d, V3 outward) {
    V3 n = Cross(b - a, c - a);
    if (Length(n) < 1e-9f) n = Cross(c - a, d - a);
    n = Normalize(n);
    if (Length(outward) > 0 && Dot(n, outward) < 0) n = n * -1.0f;
    int ia = AddVertex(a, n, 0, 0), ib = AddVertex(b, n, 1, 0), ic = AddVertex(c, n, 1, 1),
        id = AddVertex(d, n, 0, 1);
    AddTri(ia, ib, ic);
    AddTri(ia, ic, id);
}

void MeshBuilder::Box(V3 c, V3 s) {
    V3 h = s * 0.5f;
    struct FaceDef {
        V3 n, u, v;
    };
    const FaceDef faces[6] = {
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        {{0, 0, 1}, {-1, 0, 0}, {0, 1, 0}}, {{0, 0, -1}, {1, 0, 0}, {0, 1, 0}},
    };
    for (const FaceDef& f : faces) {
        V3 center = c + V3{f.n.x * h.x, f.n.y * h.y, f.n.z * h.z};
        V3 du{f.u.x * h.x, f.u.y * h.y, f.u.z * h.z}, dv{f.v.x * h.x, f.v.y * h.y, f.v.z * h.z};
        V3 p[4] = {center - du - dv, center + du - dv, center + du + dv, center - du + dv};
        float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
        int id[4];
        for (int k = 0; k < 4; ++k) id[k] = AddVertex(p[k], f.n, uv[k][0], uv[k][1]);
        AddTri(id[0], id[1], id[2]);
        AddTri(id[0], id[2], id[3]);
    }
}

void MeshBuilder::Lathe(const std::vector<std::pair<float, float>>& profile, int sides, bool smooth,
                        float squashY) {
    std::vector<Ring> rings;
    for (const auto& [z, r] : profile) rings.push_back({z, r, r * squashY, 0});
    (void)smooth;
    Loft(rings, sides, true);
}

void MeshBuilder::Loft(const std::vector<Ring>& rings, int sides, bool capEnds) {
    const size_t n = rings.size();
    if (n < 2) return;
    // Arc length along the profile for the v coordinate.
    std::vector<float> along(n, 0);
    for (size_t i = 1; i < n; ++i)
        along[i] = along[i - 1] + std::fabs(rings[i].z - rings[i - 1].z) +
                   std::fabs(rings[i].hw - rings[i - 1].hw);
    float total = std::max(along.back(), 1e-6f);
    std::vector<std::vector<int>> idx(n);
    for (size_t i = 0; i < n; ++i) {
        const Ring& r = rings[i];
        const Ring& prev = rings[i > 0 ? i - 1 : i];
        const Ring& next = rings[i + 1 < n ? i + 1 : i];
        float dz = next.z - prev.z;
        float dr = (next.hw + next.hh) * 0.5f - (prev.hw + prev.hh) * 0.5f;
        for (int s = 0; s <= sides; ++s) {
            float a = 2 * kPi * s / sides;
            float ca = std::cos(a), sa = std::sin(a);
            V3 p{ca * r.hw, sa * r.hh + r.y, r.z};
            // Radial normal tilted by the profile slope.
            V3 radial = Normalize(V3{ca / std::max(r.hw, 1e-4f), sa / std::max(r.hh, 1e-4f), 0});
            float slope = dz != 0 ? -dr / dz : 0;
            V3 nn = Normalize(radial + V3{0, 0, slope});
            if (r.hw < 1e-4f && r.hh < 1e-4f) nn = V3{0, 0, (i == 0) ? -1.0f : 1.0f};
            idx[i].push_back(AddVertex(p, nn, static_cast<float>(s) / sides, along[i] / total));
        }
    }
    for (size_t i = 0; i + 1 < n; ++i)
        for (int s = 0; s < sides; ++s) {
            int a = idx[i][s], b = idx[i][s + 1], c = idx[i + 1][s + 1], d = idx[i + 1][s];
            AddTri(a, b, c);
            AddTri(a, c, d);
        }
    if (capEnds) {
        for (int end = 0; end < 2; ++end) {
            const Ring& r = rings[end ? n - 1 : 0];
            if (r.hw < 1e-4f && r.hh < 1e-4f) continue;
            V3 nn{0, 0, end ? 1.0f : -1.0f};
            int centre = AddVertex({0, r.y, r.z}, nn, 0.5f, 0.5f);
            std::vector<int> rim;
            for (int s = 0; s <= sides; ++s) {
                float a = 2 * kPi * s / sides;
                rim.push_back(AddVertex({std::cos(a) * r.hw, std::sin(a) * r.hh + r.y, r.z}, nn,
                                        0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)));
            }
            for (int s = 0; s < sides; ++s) AddTri(centre, rim[s], rim[s + 1]);
        }
    }
}

void MeshBuilder::Cylinder(float r, float len, int sides, bool caps) {
    Loft({{0, r, r, 0}, {len, r, r, 0}}, sides, caps);
}

void MeshBuilder::Sphere(V3 c, float r, int rings, int sides, V3 scale) {
    std::vector<std::vector<int>> idx(static_cast<size_t>(rings) + 1);
    for (int i = 0; i <= rings; ++i) {
        float phi = kPi * i / rings;
        for (int s = 0; s <= sides; ++s) {
            float th = 2 * kPi * s / sides;
            V3 n{std::sin(phi) * std::cos(th), std::cos(phi), std::sin(phi) * std::sin(th)};
            V3 p = c + V3{n.x * r * scale.x, n.y * r * scale.y, n.z * r * scale.z};
            V3 nn = Normalize(V3{n.x / scale.x, n.y / scale.y, n.z / scale.z});
            idx[i].push_back(
                AddVertex(p, nn, static_cast<float>(s) / sides, static_cast<float>(i) / rings));
        }
    }
    for (int i = 0; i < rings; ++i)
        for (int s = 0; s < sides; ++s) {
            int a = idx[i][s], b = idx[i][s + 1], cc = idx[i + 1][s + 1], d = idx[i + 1][s];
            if (i > 0) AddTri(a, b, cc);
            if (i < rings - 1) AddTri(a, cc, d);
        }
}

void MeshBuilder::Slab(const std::vector<std::pair<float, float>>& outline, float y0, float y1) {
    const size_t n = outline.size();
    if (n < 3) return;
    float minx = 1e30f, maxx = -1e30f, minz = 1e30f, maxz = -1e30f;
    for (const auto& [x, z] : outline) {
        minx = std::min(minx, x);
        maxx = std::max(maxx, x);
        minz = std::min(minz, z);
        maxz = std::max(maxz, z);
    }
    auto uv = [&](float x, float z) {
        return std::pair<float, float>{(x - minx) / std::max(maxx - minx, 1e-5f),
                                       (z - minz) / std::max(maxz - minz, 1e-5f)};
    };
    // Top and bottom as fans around the centroid (outlines are convex or star-shaped).
    float cx = 0, cz = 0;
    for (const auto& [x, z] : outline) {
        cx += x;
        cz += z;
    }
    cx /= n;
    cz /= n;
    for (int side = 0; side < 2; ++side) {
        float y = side ? y1 : y0;
        V3 nn{0, side ? 1.0f : -1.0f, 0};
        auto [cu, cv] = uv(cx, cz);
        int centre = AddVertex({cx, y, cz}, nn, cu, cv);
        std::vector<int> rim;
        for (const auto& [x, z] : outline) {
            auto [u, v] = uv(x, z);
            rim.push_back(AddVertex({x, y, z}, nn, u, v));
        }
        for (size_t i = 0; i < n; ++i) AddTri(centre, rim[i], rim[(i + 1) % n]);
    }
    for (size_t i = 0; i < n; ++i) {
        auto [x0, z0] = outline[i];
        auto [x1, z1] = outline[(i + 1) % n];
        V3 e{x1 - x0, 0, z1 - z0};
        V3 nn = Normalize(Cross(e, V3{0, 1, 0}));
        V3 mid{(x0 + x1) * 0.5f - cx, 0, (z0 + z1) * 0.5f - cz};
        if (Dot(nn, mid) < 0) nn = nn * -1.0f;
        int a = AddVertex({x0, y0, z0}, nn, 0, 1), b = AddVertex({x1, y0, z1}, nn, 1, 1);
        int c = AddVertex({x1, y1, z1}, nn, 1, 0), d = AddVertex({x0, y1, z0}, nn, 0, 0);
        AddTri(a, b, c);
        AddTri(a, c, d);
    }
}

void MeshBuilder::Torus(float R, float r, int seg, int sides) {
    std::vector<std::vector<int>> idx(static_cast<size_t>(seg) + 1);
    for (int i = 0; i <= seg; ++i) {
        float a = 2 * kPi * i / seg;
        V3 c{std::cos(a) * R, std::sin(a) * R, 0};
        for (int s = 0; s <= sides; ++s) {
            float b = 2 * kPi * s / sides;
            V3 n{std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), std::sin(b)};
            idx[i].push_back(AddVertex(c + n * r, n, static_cast<float>(i) / seg,
                                       static_cast<float>(s) / sides));
        }
    }
    for (int i = 0; i < seg; ++i)
        for (int s = 0; s < sides; ++s) {
            int a = idx[i][s], b = idx[i + 1][s], c = idx[i + 1][s + 1], d = idx[i][s + 1];
            AddTri(a, b, c);
            AddTri(a, c, d);
        }
}

void MeshBuilder::Wing(float span, float rootFront, float rootBack, float tipFront, float tipBack,
                       float thick, float dihedral, float sweepY) {
    // A tapered slab with a thin trailing edge: root at x 0, tip at x = span.
    float ty = span * std::tan(dihedral) + sweepY;
    V3 rf{0, 0, rootFront}, rb{0, 0, rootBack}, tf{span, ty, tipFront}, tb{span, ty, tipBack};
    float h = thick * 0.5f, ht = thick * 0.2f;
    V3 up{0, 1, 0};
    // Upper and lower surfaces with a ridge along the chord's front third.
    auto ridge = [](V3 f, V3 b) { return Lerp(f, b, 0.35f); };
    V3 rr = ridge(rf, rb), tr = ridge(tf, tb);
    V3 U_rr = rr + up * h, U_tr = tr + up * ht, L_rr = rr - up * h, L_tr = tr - up * ht;
    V3 down{0, -1, 0}, out{1, 0, 0};
    Quad(rf, tf, U_tr, U_rr, up);
    Quad(U_rr, U_tr, tb, rb, up);
    Quad(rf, L_rr, L_tr, tf, down);
    Quad(L_rr, rb, tb, L_tr, down);
    Quad(tf, tb, U_tr, U_tr, out);
    Quad(tf, L_tr, tb, tb, out);
}

float MeshRadius(const Mesh& m) {
    float r = 0;
    for (const Vertex& v : m.verts) r = std::max(r, Length(v.p));
    return r;
}

void BakeLight(Mesh& m, V3 lightDir, Color light, Color ambient, Color tint) {
    V3 l = Normalize(lightDir * -1.0f);
    m.colors = true;
    for (Vertex& v : m.verts) {
        float k = std::max(0.0f, Dot(v.n, l));
        auto ch = [&](float amb, float li, float t, uint32_t base) {
            float b = static_cast<float>(base) / 255.0f;
            return static_cast<uint32_t>(std::clamp((amb + li * k) * t * b * 255.0f, 0.0f, 255.0f));
        };
        uint32_t c = v.color;
        uint32_t r = ch(ambient.r, light.r, tint.r, (c >> 16) & 0xFF);
        uint32_t g = ch(ambient.g, light.g, tint.g, (c >> 8) & 0xFF);
        uint32_t b = ch(ambient.b, light.b, tint.b, c & 0xFF);
        v.color = 0xFF000000u | r << 16 | g << 8 | b;
    }
}

}  // namespace mk
