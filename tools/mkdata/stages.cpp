// The nineteen stages: the stage index, each stage's map meshes (its course), its sky and
// its camera paths, with the course textures.
//
// Scale: a rail key is about 5 units of travel; the crafts fly within 60 units of the rail
// sideways and 26 up and down; the ground lies about 45 units under the rail. Enemy
// waves come from 1000 units ahead.
#include "tools/mkdata/stages.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include "tools/mkdata/layout.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/render3d.h"
#include "tools/mkdata/scenery.h"
#include "tools/mkdata/terrain.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

constexpr float kKey = 5.0f;

enum Theme {
    kValley,
    kCoast,
    kShip,
    kCanyon,
    kForest,
    kSunsetSea,
    kTunnel,
    kCity,
    kRailway,
    kSpeedway,
    kGate,
    kCrater,
    kStormSea,
    kRuins,
    kRuinArena,
    kCloudFloor,
    kCrystalArena,
    kDuskClouds,
    kFortress,
};

const StageLook kLooks[kStageCount] = {
    {"1-1", "緑の谷", Rgb(0x3A7AE0), Rgb(0xCCE8FF), Rgb(0xB8D8F0), Rgb(0x5A9A3A), Rgb(0xFFE080), 1,
     false, kValley},
    {"1-2", "海岸線", Rgb(0x2A8AE8), Rgb(0xD8F4FF), Rgb(0xC0E4F4), Rgb(0x2A7AC0), Rgb(0xF0E0A0), 1,
     false, kCoast},
    {"1-3", "空中戦艦", Rgb(0x3A6ACA), Rgb(0xE8F0FF), Rgb(0xD0DCEC), Rgb(0x4A6A9A), Rgb(0xC0C8D8),
     1, false, kShip},
    {"2-1", "赤い峡谷", Rgb(0x4A8ADA), Rgb(0xFFE8C8), Rgb(0xF0D0A8), Rgb(0xC07A3A), Rgb(0xFFC060),
     1, false, kCanyon},
    {"2-2", "森と川", Rgb(0x3A8ACA), Rgb(0xD8F0E8), Rgb(0xB8D8C8), Rgb(0x3A7A2A), Rgb(0x80C0FF), 0,
     false, kForest},
    {"2-3", "夕焼けの海", Rgb(0x2A2A6A), Rgb(0xFFB080), Rgb(0xE89A7A), Rgb(0x6A3A5A), Rgb(0xFFD080),
     1, false, kSunsetSea},
    {"3-1", "地下坑道", Rgb(0x101018), Rgb(0x2A2A34), Rgb(0x1A1A24), Rgb(0x5A4A3A), Rgb(0xFFB040),
     0, true, kTunnel},
    {"3-2", "夜の街", Rgb(0x06081A), Rgb(0x2A3A6A), Rgb(0x1A2040), Rgb(0x3A4050), Rgb(0xFFD890), 2,
     true, kCity},
    {"3-3", "鉄道平原", Rgb(0x2A3A8A), Rgb(0xFFA878), Rgb(0xD89A80), Rgb(0x7A6A3A), Rgb(0xE0E0E8),
     1, false, kRailway},
    {"4-1", "高速回廊", Rgb(0x4A7ACA), Rgb(0xE8E0D0), Rgb(0xD8CCB8), Rgb(0xA8784A), Rgb(0xFFE0A0),
     1, false, kSpeedway},
    {"4-2", "城門", Rgb(0x3A5A9A), Rgb(0xC8D4E4), Rgb(0xA8B4C8), Rgb(0x6A7A8A), Rgb(0xB0C0D0), 0,
     false, kGate},
    {"4-3", "月の火口", Rgb(0x04060F), Rgb(0x1A2A4A), Rgb(0x141E34), Rgb(0x4A4A5A), Rgb(0xC0D0FF),
     2, true, kCrater},
    {"5-1", "嵐の海", Rgb(0x0A0E1E), Rgb(0x3A4A6A), Rgb(0x2A3448), Rgb(0x1A2A4A), Rgb(0xA0C0FF), 2,
     true, kStormSea},
    {"5-2", "古代遺跡", Rgb(0x5A8ACA), Rgb(0xEAE0C8), Rgb(0xD8CCB0), Rgb(0x9A8A6A), Rgb(0xE0D0A0),
     0, false, kRuins},
    {"5-3", "遺跡の中心", Rgb(0x2A1A3A), Rgb(0x8A6A7A), Rgb(0x6A5060), Rgb(0x7A6A5A), Rgb(0xFFC060),
     0, false, kRuinArena},
    {"6-1", "雲の上", Rgb(0x1A4AAA), Rgb(0xD8ECFF), Rgb(0xE0ECF8), Rgb(0xE8F0FF), Rgb(0xFFFFFF), 1,
     false, kCloudFloor},
    {"6-2", "水晶の間", Rgb(0x0A0620), Rgb(0x3A2A6A), Rgb(0x2A1E4A), Rgb(0x3A2A6A), Rgb(0x9AE0FF),
     0, true, kCrystalArena},
    {"6-3", "黄昏の空", Rgb(0x2A1A5A), Rgb(0xFF9A6A), Rgb(0xD8907A), Rgb(0xE0B0A0), Rgb(0xFFD0A0),
     1, false, kDuskClouds},
    {"7-1", "最終要塞", Rgb(0x1A0A1A), Rgb(0x6A2A3A), Rgb(0x4A2030), Rgb(0x4A3A44), Rgb(0xFF6A4A),
     0, true, kFortress},
};

std::string Num(float v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.1f", static_cast<double>(v));
    return b;
}

// Everything one stage writes.
class StageBuild {
public:
    StageBuild(Output& out, int stage, StageScene* scene)
        : out_(out), stage_(stage), scene_(scene) {
        char d[32];
        std::snprintf(d, sizeof d, "xfile/stage%02d/", stage);
        dir_ = d;
    }
    const StageLook& Look() const { return kLooks[stage_]; }
    const std::string& Dir() const { return dir_; }
    Output& Out() { return out_; }

    // A material with a ground texture written beside the maps; named after the texture
    // unless `material` names it.
    int Texture(const std::string& name, Ground g, Color tint, int size = 512,
                const std::string& material = "") {
        for (size_t i = 0; i < mats_.size(); ++i)
            if (mats_[i].texture == name) return static_cast<int>(i);
        Image img = GroundTexture(
            g, size, static_cast<uint32_t>(stage_ * 131 + mats_.size() * 17 + 3), tint);
        AddBmp(out_, dir_ + name, img, BmpMode::Opaque, Place::VolumeArchive);
        return TexturedMaterial(material.empty() ? name : material, name, img);
    }
    // A material whose texture (already written by the caller) is `img`.
    int TexturedMaterial(const std::string& name, const std::string& texture, const Image& img) {
        int m = AddMaterial(name, texture);
        if (scene_) scene_->textures[static_cast<size_t>(m)] = img;
        return m;
    }
    void Floor(float mapx, float mapz, int numx, int numz, float mapposy, float scroll) {
        if (!scene_) return;
        scene_->floor = true;
        scene_->mapx = mapx;
        scene_->mapz = mapz;
        scene_->mapnumx = numx;
        scene_->mapnumz = numz;
        scene_->mapposy = mapposy;
        scene_->scroll = scroll;
    }
    // An untextured material whose name marks where map enemies stand.
    int Mark(const std::string& kind) {
        for (size_t i = 0; i < mats_.size(); ++i)
            if (mats_[i].name == kind) return static_cast<int>(i);
        Material m;
        m.name = kind;
        m.diffuse = {1, 0, 0, 1};
        mats_.push_back(m);
        if (scene_) scene_->textures.emplace_back();
        return static_cast<int>(mats_.size()) - 1;
    }

    // Writes one map file from its parts (one frame per mesh); returns its path.
    std::string Map(std::vector<Mesh> parts, const std::string& file = "",
                    const Mat4& root = Mat4{}) {
        char n[32];
        std::snprintf(n, sizeof n, "map%02zu.x", maps_.size());
        std::string path = file.empty() ? dir_ + n : file;
        Model m;
        m.materials = mats_;
        m.root.name = "Root";
        m.root.local = root;
        for (size_t i = 0; i < parts.size(); ++i) {
            if (parts[i].tris.empty()) continue;
            if (scene_) scene_->parts.push_back({parts[i], root});
            Frame f;
            f.name = "part" + std::to_string(i);
            parts[i].name = "mesh" + std::to_string(i);
            f.meshes.push_back(parts[i]);
            m.root.children.push_back(f);
        }
        out_.AddText(path, WriteX(m));
        maps_.push_back(path);
        return path;
    }

    void Sky() {
        const StageLook& l = Look();
        Image tex(512, 256);
        PaintSky(tex, l.skyTop, Mix(l.skyTop, l.skyHorizon, 0.6f), l.skyHorizon, 150);
        tex.FillRect(0, 150, 512, 106,
                     Linear(0, 150, 0, 256, {{0, l.skyHorizon}, {1, Scale(l.fog, 0.9f)}}));
        if (l.night) PaintStars(tex, 700 + stage_, 160, 130, 0.9f);
        PaintClouds(tex, 710 + stage_, 60, 160, 60, l.night ? 0.25f : 0.4f,
                    Mix(l.skyHorizon, Rgb(0xFFFFFF), 0.6f), Mix(l.skyTop, l.skyHorizon, 0.5f), 512,
                    l.night ? 0.5f : 0.85f);
        Mesh dome;
        dome.name = "sky";
        const int rings = 10, sides = 24;
        const float R = 14000;
        std::vector<std::vector<int>> idx(rings + 1);
        for (int i = 0; i <= rings; ++i) {
            float phi = i * (kPi * 0.58f) / rings;  // from the zenith to a little below the horizon
            for (int s = 0; s <= sides; ++s) {
                float th = 2 * kPi * s / sides;
                V3 p{std::sin(phi) * std::cos(th) * R, std::cos(phi) * R - 1500,
                     std::sin(phi) * std::sin(th) * R};
                Vertex v;
                v.p = p;
                v.n = Normalize(p * -1.0f);
                v.u = static_cast<float>(s) / sides * 2;
                v.v = 0.02f + 0.96f * static_cast<float>(i) / rings;
                dome.verts.push_back(v);
                idx[i].push_back(static_cast<int>(dome.verts.size()) - 1);
            }
        }
        int mat = AddMaterial("sky", "sky.bmp");
        AddBmp(out_, dir_ + "sky.bmp", tex, BmpMode::Opaque, Place::VolumeArchive);
        for (int i = 0; i < rings; ++i)
            for (int s = 0; s < sides; ++s) {
                int a = idx[i][s], b = idx[i][s + 1], c = idx[i + 1][s + 1], d = idx[i + 1][s];
                // Faces seen from inside: (b - a) x (c - a) toward the centre.
                auto add = [&](int p, int q, int r) {
                    V3 n =
                        Cross(dome.verts[q].p - dome.verts[p].p, dome.verts[r].p - dome.verts[p].p);
                    if (Length(n) < 1e-6f) return;
                    if (Dot(n, dome.verts[p].n) < 0) std::swap(q, r);
                    dome.tris.push_back({p, q, r, mat});
                };
                add(a, b, c);
                add(a, c, d);
            }
        Model m;
        m.materials = {mats_[static_cast<size_t>(mat)]};
        dome.tris.front().material = 0;
        for (Tri& t : dome.tris) t.material = 0;
        m.root.name = "Root";
        Frame f;
        f.name = "dome";
        f.meshes.push_back(dome);
        m.root.children.push_back(f);
        sky_ = dir_ + "sky.x";
        out_.AddText(sky_, WriteX(m));
        if (scene_) {
            scene_->sky = dome;
            scene_->skyTexture = tex;
        }
    }

    // Writes a camera path; `target` gives the looked-at point of each key.
    void Camera(const std::vector<V3>& rail, const std::vector<V3>& target) {
        if (scene_ && cameras_.empty()) {
            scene_->rail = rail;
            scene_->look = target;
        }
        std::string path = dir_ + "rail" + std::to_string(cameras_.size()) + ".x";
        out_.AddText(path, WriteCameraPath(rail, target));
        cameras_.push_back(path);
    }

    // The stage's block of the index.
    std::string IndexBlock(const std::vector<std::string>& settings) const {
        std::string s = std::string("stage:") + Look().code + "\n";
        for (const std::string& line : settings) s += line + "\n";
        for (const std::string& m : maps_) s += "map:" + m + "\n";
        if (!sky_.empty()) s += "mapbg:" + sky_ + "\n";
        for (const std::string& c : cameras_) s += "mapcamera:" + c + "\n";
        s += "fogcolor:" + Color3(Look().fog) + "\n";
        s += "backcolor:" + Color3(Look().fog) + "\n";
        return s;
    }
    static std::string Color3(Color c) {
        auto ch = [](float v) {
            return std::to_string(static_cast<int>(std::clamp(v, 0.0f, 1.0f) * 255.0f + 0.5f));
        };
        return ch(c.r) + ":" + ch(c.g) + ":" + ch(c.b);
    }

    int AddMaterial(const std::string& name, const std::string& texture) {
        Material m;
        m.name = name;
        std::replace(m.name.begin(), m.name.end(), '.', '_');
        m.diffuse = {1, 1, 1, 1};
        m.specular = {0, 0, 0, 1};
        m.texture = texture;
        mats_.push_back(m);
        if (scene_) scene_->textures.emplace_back();
        return static_cast<int>(mats_.size()) - 1;
    }

private:
    Output& out_;
    int stage_;
    StageScene* scene_;
    std::string dir_;
    std::vector<Material> mats_;
    std::vector<std::string> maps_, cameras_;
    std::string sky_;
};

// ---------------------------------------------------------------- shared pieces

struct Light {
    V3 dir;
    Color color, ambient;
};

Light LightOf(int stage) {
    const StageLook& l = kLooks[stage];
    if (l.night) return {{-0.3f, -1.0f, 0.5f}, Rgb(0x8A9AC8), Rgb(0x3A4460)};
    if (l.theme == kSunsetSea || l.theme == kRailway || l.theme == kDuskClouds)
        return {{0.6f, -0.5f, 0.6f}, Rgb(0xFFC8A0), Rgb(0x6A5060)};
    return {{-0.4f, -1.0f, 0.55f}, Rgb(0xFFF4E0), Rgb(0x6A7488)};
}

void Bake(Mesh& m, int stage, Color tint = {1, 1, 1, 1}) {
    Light l = LightOf(stage);
    // Course meshes are drawn unlit with modulation: bake a soft light into their colours.
    BakeLight(m, l.dir, Scale(l.color, 0.55f), Scale(Mix(l.ambient, Rgb(0xFFFFFF), 0.35f), 0.75f),
              tint);
}

// A marker triangle, front face up (or down for a ceiling), centred on p.
void MarkAt(Mesh& m, V3 p, int material, bool ceiling = false) {
    int base = static_cast<int>(m.verts.size());
    V3 pts[3] = {{p.x - 3, p.y, p.z - 2}, {p.x + 3, p.y, p.z - 2}, {p.x, p.y, p.z + 3.5f}};
    for (V3 q : pts) {
        Vertex v;
        v.p = q;
        v.n = {0, ceiling ? -1.0f : 1.0f, 0};
        m.verts.push_back(v);
    }
    // (b - a) x (c - a) of (a, c, b) points up for these points.
    if (ceiling)
        m.tris.push_back({base, base + 1, base + 2, material});
    else
        m.tris.push_back({base, base + 2, base + 1, material});
}

// A flat, upward-facing plane split into cells (vertex fog needs small triangles).
Mesh FlatGrid(float x0, float z0, float x1, float z1, float y, float cell, int material,
              float uvScale) {
    Mesh m;
    int nx = std::max(1, static_cast<int>((x1 - x0) / cell)),
        nz = std::max(1, static_cast<int>((z1 - z0) / cell));
    for (int j = 0; j < nz; ++j)
        for (int i = 0; i < nx; ++i) {
            float ax = x0 + (x1 - x0) * i / nx, bx = x0 + (x1 - x0) * (i + 1) / nx;
            float az = z0 + (z1 - z0) * j / nz, bz = z0 + (z1 - z0) * (j + 1) / nz;
            int base = static_cast<int>(m.verts.size());
            for (V3 p : {V3{ax, y, az}, V3{ax, y, bz}, V3{bx, y, bz}, V3{bx, y, az}}) {
                Vertex v;
                v.p = p;
                v.n = {0, 1, 0};
                v.u = p.x * uvScale;
                v.v = p.z * uvScale;
                m.verts.push_back(v);
            }
            // (b - a) x (c - a) up: a (ax, az), b (ax, bz), c (bx, bz).
            m.tris.push_back({base, base + 1, base + 2, material});
            m.tris.push_back({base, base + 2, base + 3, material});
        }
    return m;
}

void Tree(Mesh& m, V3 base, float h, int trunkMat, int leafMat, uint32_t seed) {
    MeshBuilder b(m);
    b.Mat(trunkMat).At(Mat4::RotationX(-kPi / 2) * Mat4::Translation(base));
    b.Cylinder(h * 0.06f, h * 0.35f, 6, false);
    Rng r(seed);
    b.Mat(leafMat).At(Mat4::RotationX(-kPi / 2) * Mat4::Translation(base + V3{0, h * 0.25f, 0}));
    b.Lathe({{0, h * 0.28f}, {h * 0.35f, h * 0.24f}, {h * 0.55f, h * 0.14f}, {h * 0.75f, 0}},
            7 + static_cast<int>(r.Next() % 3));
}

void Building(Mesh& m, V3 base, float w, float d, float h, int wallMat, int roofMat) {
    MeshBuilder b(m);
    size_t firstVert = m.verts.size(), firstTri = m.tris.size();
    b.Mat(wallMat).At(Mat4{});
    b.Box({base.x, base.y + h / 2, base.z}, {w, h, d});
    // Texture coordinates in world units, so that windows keep their size.
    for (size_t i = firstVert; i < m.verts.size(); ++i) {
        Vertex& v = m.verts[i];
        bool side = std::fabs(v.n.y) < 0.5f;
        v.u = side ? (std::fabs(v.n.x) > 0.5f ? v.p.z : v.p.x) / 48.0f : v.p.x / 48.0f;
        v.v = side ? -v.p.y / 48.0f : v.p.z / 48.0f;
    }
    for (size_t t = firstTri; t < m.tris.size(); ++t)
        m.tris[t].material =
            m.verts[static_cast<size_t>(m.tris[t].a)].n.y > 0.5f ? roofMat : wallMat;
}

void Column(Mesh& m, V3 base, float r, float h, int mat) {
    MeshBuilder b(m);
    b.Mat(mat).At(Mat4::RotationX(-kPi / 2) * Mat4::Translation(base));
    b.Lathe({{0, r * 1.4f},
             {r * 0.4f, r * 1.4f},
             {r * 0.5f, r},
             {h - r * 0.5f, r},
             {h - r * 0.4f, r * 1.4f},
             {h, r * 1.4f}},
            10);
}

std::vector<V3> LookAhead(const std::vector<V3>& keys, bool closed, int ahead, float drop) {
    std::vector<V3> t(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) {
        size_t j = closed ? (i + static_cast<size_t>(ahead)) % keys.size()
                          : std::min(keys.size() - 1, i + static_cast<size_t>(ahead));
        V3 p = keys[j];
        if (!closed && i + static_cast<size_t>(ahead) >= keys.size())
            p = p +
                CourseDir(keys, keys.size() - 1, false) * (kKey * (i + ahead - keys.size() + 1));
        t[i] = p + V3{0, -drop, 0};
    }
    return t;
}

// A course along the keys: ground ribbons cut into `segments` map meshes, with each
// segment's decorations and marks.
struct CourseParts {
    std::vector<std::vector<Mesh>> segments;  // per segment: ground, decorations, marks...
};

CourseParts RibbonCourse(StageBuild& sb, const std::vector<V3>& keys, bool closed, int segments,
                         const Ribbon& r, const Profile& profile,
                         const std::function<int(float, float)>& mat) {
    CourseParts parts;
    size_t n = keys.size();
    size_t per = (n + segments - 1) / segments;
    for (int s = 0; s < segments; ++s) {
        size_t first = s * per, last = std::min(n - (closed ? 0 : 1), (s + 1) * per);
        if (first >= n) break;
        Mesh ground;
        BuildRibbon(ground, keys, closed, first, last, r, profile, mat);
        Bake(ground, static_cast<int>(&sb.Look() - kLooks));
        parts.segments.push_back({ground});
    }
    return parts;
}

size_t SegmentOf(size_t key, size_t n, int segments) {
    return std::min<size_t>(segments - 1, key / ((n + segments - 1) / segments));
}

void WriteCourse(StageBuild& sb, CourseParts& parts) {
    for (auto& seg : parts.segments) sb.Map(seg);
}

V3 Side(const std::vector<V3>& keys, size_t k, bool closed, float lateral, float y) {
    V3 d = CourseDir(keys, k % keys.size(), closed);
    V3 right = Normalize(V3{d.z, 0, -d.x});
    V3 p = keys[k % keys.size()];
    return {p.x + right.x * lateral, y, p.z + right.z * lateral};
}

float Smooth(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

// ---------------------------------------------------------------- floor-tile stages

struct TileSpec {
    float mapx, mapz;
    int mapnumx, mapnumz;
    float scroll, mapposy;
    int waterheight;  // -1000 for none
};

// A floor tile mesh spanning x -mapx/2..mapx/2 and z 0..mapz, seamless along z.
Mesh FloorTile(const TileSpec& t, int nx, int nz,
               const std::function<float(float x, float z)>& height,
               const std::function<int(float x, float z, float h)>& mat, float uvScale) {
    Mesh m;
    std::vector<std::vector<V3>> g(static_cast<size_t>(nz) + 1,
                                   std::vector<V3>(static_cast<size_t>(nx) + 1));
    for (int j = 0; j <= nz; ++j)
        for (int i = 0; i <= nx; ++i) {
            float x = -t.mapx / 2 + t.mapx * i / nx, z = t.mapz * j / nz;
            float zz = j == nz ? 0.0f : z;  // the far edge repeats the near one
            g[j][i] = {x, height(x, zz), z};
        }
    for (int j = 0; j < nz; ++j)
        for (int i = 0; i < nx; ++i) {
            V3 c[4] = {g[j][i], g[j][i + 1], g[j + 1][i + 1], g[j + 1][i]};
            V3 n = Normalize(Cross(c[2] - c[0], c[1] - c[0]));
            if (n.y < 0) n = n * -1.0f;
            float h = (c[0].y + c[1].y + c[2].y + c[3].y) / 4;
            int material = mat((c[0].x + c[2].x) / 2, (c[0].z + c[2].z) / 2, h);
            int base = static_cast<int>(m.verts.size());
            for (V3 p : c) {
                Vertex v;
                v.p = p;
                v.n = n;
                v.u = p.x * uvScale;
                v.v = p.z * uvScale;
                m.verts.push_back(v);
            }
            V3 fn = Cross(c[1] - c[0], c[2] - c[0]);
            if (fn.y >= 0) {
                m.tris.push_back({base, base + 1, base + 2, material});
                m.tris.push_back({base, base + 2, base + 3, material});
            } else {
                m.tris.push_back({base, base + 2, base + 1, material});
                m.tris.push_back({base, base + 3, base + 2, material});
            }
        }
    return m;
}

std::vector<std::string> TileSettings(const TileSpec& t) {
    std::vector<std::string> s = {"maptype:1",
                                  "mapx:" + std::to_string(static_cast<int>(t.mapx)),
                                  "mapz:" + std::to_string(static_cast<int>(t.mapz)),
                                  "mapnumx:" + std::to_string(t.mapnumx),
                                  "mapnumz:" + std::to_string(t.mapnumz),
                                  "scroll:" + Num(t.scroll),
                                  "mapposy:" + Num(t.mapposy)};
    if (t.waterheight > -1000) s.push_back("waterheight:" + std::to_string(t.waterheight));
    return s;
}

// Noise that repeats every `mapz` along z.
float TileNoise(float x, float z, float mapz, float scale, uint32_t seed) {
    float sum = 0, amp = 0.6f, norm = 0;
    for (int o = 0; o < 3; ++o) {
        int per = std::max(1, static_cast<int>(std::lround(mapz / scale))) << o;
        float k = static_cast<float>(per) / mapz;
        sum +=
            ValueNoise(z * k, x / scale * static_cast<float>(1 << o) + 17.3f * o, seed + o, per) *
            amp;
        norm += amp;
        amp *= 0.5f;
    }
    return sum / norm;
}

// ---------------------------------------------------------------- common settings

std::vector<std::string> Atmosphere(int stage, float fogStart, float fogEnd, int farclip,
                                    V3 sunpos) {
    Light l = LightOf(stage);
    std::vector<std::string> s;
    s.push_back("fog:" + Num(fogStart) + ":" + Num(fogEnd));
    V3 d = Normalize(l.dir);
    char b[96];
    std::snprintf(b, sizeof b, "lightdir:%.3f:%.3f:%.3f", static_cast<double>(d.x),
                  static_cast<double>(d.y), static_cast<double>(d.z));
    s.push_back(b);
    std::snprintf(b, sizeof b, "lightcolor:%.2f:%.2f:%.2f", static_cast<double>(l.color.r),
                  static_cast<double>(l.color.g), static_cast<double>(l.color.b));
    s.push_back(b);
    std::snprintf(b, sizeof b, "lightamb:%.2f:%.2f:%.2f", static_cast<double>(l.ambient.r),
                  static_cast<double>(l.ambient.g), static_cast<double>(l.ambient.b));
    s.push_back(b);
    s.push_back("farclip:" + std::to_string(farclip));
    s.push_back("drawcode:1");
    if (kLooks[stage].sun == 1) {
        std::snprintf(b, sizeof b, "sunpos:%.1f:%.1f:%.1f", static_cast<double>(sunpos.x),
                      static_cast<double>(sunpos.y), static_cast<double>(sunpos.z));
        s.push_back(b);
    } else if (kLooks[stage].sun == 2) {
        std::snprintf(b, sizeof b, "moonpos:%.1f:%.1f:%.1f", static_cast<double>(sunpos.x),
                      static_cast<double>(sunpos.y), static_cast<double>(sunpos.z));
        s.push_back(b);
    }
    return s;
}

}  // namespace

namespace {

// ---------------------------------------------------------------- builders

using Settings = std::vector<std::string>;

Settings Join(Settings a, const Settings& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A winding open course heading along +z.
std::vector<V3> WindingCourse(uint32_t seed, float length, float sway, float yBase, float yVar,
                              float step = 1300) {
    Rng r(seed);
    std::vector<V3> c;
    for (float z = -step; z <= length + 2 * step; z += step)
        c.push_back({std::sin(z * 0.00045f + r.Unit()) * sway + r.Range(-0.3f, 0.3f) * sway,
                     yBase + r.Range(-yVar, yVar), z});
    return c;
}

std::vector<V3> Loop(V3 centre, float rx, float rz, float yVar, int points, uint32_t seed,
                     float wobble = 0.12f) {
    Rng r(seed);
    std::vector<V3> c;
    for (int i = 0; i < points; ++i) {
        float a = 2 * kPi * i / points;
        float k = 1 + r.Range(-wobble, wobble);
        c.push_back({centre.x + std::sin(a) * rx * k, centre.y + r.Range(-yVar, yVar),
                     centre.z + std::cos(a) * rz * k});
    }
    return c;
}

// Trims or keeps keys so that a course is exactly `count` keys (open courses).
std::vector<V3> Keys(const std::vector<V3>& control, bool closed, size_t count) {
    std::vector<V3> k = SampleCourse(control, closed, kKey, count);
    return k;
}

// Keys one rail step apart round a closed course (the count follows from its length).
std::vector<V3> LoopKeys(const std::vector<V3>& control) {
    std::vector<V3> dense = SampleCourse(control, true, 1.0f, 1000000);
    size_t count = std::max<size_t>(3, static_cast<size_t>(std::lround(dense.size() / kKey)));
    std::vector<V3> out;
    for (size_t i = 0; i < count; ++i) out.push_back(dense[i * dense.size() / count]);
    return out;
}

std::string StageValley(StageBuild& sb) {
    const int st = 0;
    std::vector<V3> keys = Keys(WindingCourse(11, 18500, 500, 45, 25), false, 3400);
    int grass = sb.Texture("grass.bmp", Ground::Grass, {1, 1, 1, 1});
    int rock = sb.Texture("rock.bmp", Ground::Rock, {1, 1, 1, 1});
    int bark = sb.Texture("bark.bmp", Ground::Dirt, {1, 1, 1, 1}, 128);
    int leaf = sb.Texture("leaf.bmp", Ground::Grass, {0.7f, 0.9f, 0.6f, 1}, 128);
    int mark = sb.Mark("s_houdai"), markL = sb.Mark("l_houdai");
    Ribbon rb;
    rb.halfWidth = 700;
    auto prof = [](float lat, float along) {
        float a = std::fabs(lat);
        float floor = -45 + 6 * ValueNoise(along / 90, lat / 90, 5);
        float hill = a > 150 ? std::pow((a - 150) / 550, 1.6f) * 330 *
                                   (0.7f + 0.6f * ValueNoise(along / 400, lat > 0 ? 1.0f : 9.0f, 6))
                             : 0;
        return floor + hill;
    };
    CourseParts parts = RibbonCourse(sb, keys, false, 8, rb, prof, [&](float lat, float) {
        return std::fabs(lat) > 260 ? rock : grass;
    });
    Rng r(12);
    for (int i = 0; i < 160; ++i) {
        size_t k = static_cast<size_t>(r.Int(20, static_cast<int>(keys.size()) - 20));
        float lat = r.Range(170, 520) * (r.Unit() < 0.5f ? -1.0f : 1.0f);
        V3 p = Side(keys, k, false, lat, keys[k].y + prof(lat, k * kKey) - 3);
        Mesh t;
        Tree(t, p, r.Range(50, 110), bark, leaf, r.Next());
        Bake(t, st);
        parts.segments[SegmentOf(k, keys.size(), 8)].push_back(t);
    }
    for (int i = 0; i < 16; ++i) {
        size_t k = static_cast<size_t>(300 + i * 190);
        float lat = (i % 2 ? 1.0f : -1.0f) * (230 + (i % 3) * 40.0f);
        Mesh m;
        MarkAt(m, Side(keys, k, false, lat, keys[k].y + prof(lat, k * kKey)),
               i % 4 == 3 ? markL : mark);
        parts.segments[SegmentOf(k, keys.size(), 8)].push_back(m);
    }
    WriteCourse(sb, parts);
    sb.Sky();
    sb.Camera(keys, LookAhead(keys, false, 36, 10));
    return sb.IndexBlock(Join({"maptype:2", "windline:"},
                              Atmosphere(st, 1500, 9000, 40000, {-30000, 30000, 90000})));
}

std::string StageFloorCoast(StageBuild& sb) {
    const int st = 1;
    TileSpec t{1200, 1200, 3, 8, 6, -45, -33};
    int water = sb.Texture("water.bmp", Ground::Water, {1, 1, 1, 1});
    int sand = sb.Texture("sand.bmp", Ground::Sand, {1, 1, 1, 1});
    int grass = sb.Texture("grass.bmp", Ground::Grass, {1, 1, 1, 1});
    auto height = [&](float x, float z) {
        float n = 0;
        for (int o = 0; o < 3; ++o)
            n += ValueNoise((x + 600) / 1200 * (4 << o), z / 1200 * (4 << o), 31 + o, 4 << o) /
                 (1 << o);
        n /= 1.75f;
        float island = std::max(0.0f, n - 0.52f) * 220;
        island *= Smooth(140, 260, std::fabs(x));  // keep the lane above the sea clear
        return 12 + island;
    };
    Mesh tile = FloorTile(
        t, 40, 40, height,
        [&](float, float, float h) { return h < 12.5f ? water
                                            : h < 22  ? sand
                                                      : grass; },
        1 / 150.0f);
    Bake(tile, st);
    sb.Map({tile});
    sb.Floor(t.mapx, t.mapz, t.mapnumx, t.mapnumz, t.mapposy, t.scroll);
    sb.Sky();
    return sb.IndexBlock(Join(Join(TileSettings(t), {"windline:"}),
                              Atmosphere(st, 2000, 9000, 40000, {-20000, 25000, 90000})));
}

// The sky battleship: its hull in world coordinates; the map file's root frame turns it
// (the course reader applies the same turn to this file), so the stored points are turned back.
std::string StageShip(StageBuild& sb) {
    const int st = 2;
    Mat4 turn = Mat4::RotationZ(kPi) * Mat4::RotationY(kPi / 2);
    Mat4 back = Inverse(turn);
    // The ship's textures live in its own folder.
    Image hullTex = GroundTexture(Ground::Metal, 256, 77, {0.75f, 0.8f, 0.95f, 1});
    Image deckTex = GroundTexture(Ground::Stone, 256, 78, {0.8f, 0.7f, 0.55f, 1});
    AddBmp(sb.Out(), "xfile/bossS01/hull.bmp", hullTex, BmpMode::Opaque, Place::VolumeArchive);
    AddBmp(sb.Out(), "xfile/bossS01/deck.bmp", deckTex, BmpMode::Opaque, Place::VolumeArchive);
    int hull = sb.TexturedMaterial("hull", "hull.bmp", hullTex);
    int deck = sb.TexturedMaterial("deck", "deck.bmp", deckTex);
    Mesh ship;
    {
        MeshBuilder b(ship);
        // Hull: a long lofted body, bow toward -z. The bow rides high: the boss's chin guns
        // hang in a row down its front (z -90..-66, y 6..-28) and must stay outside the hull,
        // where shots from the rail round the ship reach them.
        b.Mat(hull).At(Mat4{});
        b.Loft({{-130, 0.1f, 0.1f, 22},
                {-100, 24, 11, 25},
                {-60, 40, 22, 8},
                {-40, 48, 30, -10},
                {60, 52, 32, -10},
                {170, 46, 28, -8},
                {220, 26, 16, -4}},
               16);
        b.Mat(deck).At(Mat4{});
        b.Box({0, 18, 40}, {80, 6, 200});
        b.Mat(hull);
        b.Box({0, 40, 90}, {44, 40, 70});  // bridge tower
        b.Box({0, 66, 100}, {28, 14, 40});
        b.Box({0, 25, 200}, {60, 20, 40});  // stern house
        // Wings carrying the fins.
        b.At(Mat4::Translation(40, 0, 80));
        b.Wing(70, 10, 60, 30, 55, 8, 0.05f);
        b.At(Mat4::Scaling(-1, 1, 1) * Mat4::Translation(-40, 0, 80));
        b.Wing(70, 10, 60, 30, 55, 8, 0.05f);
    }
    for (Vertex& v : ship.verts) {
        v.u = (v.p.x + v.p.z) / 64.0f;
        v.v = (v.p.y + v.p.z * 0.3f) / 64.0f;
    }
    Bake(ship, st);
    for (Vertex& v : ship.verts) {
        v.p = TransformPoint(v.p, back);
        v.n = TransformNormal(v.n, back);
    }
    sb.Map({ship}, "xfile/bossS01/boss01.x", turn);
    // The sea far below.
    int sea = sb.Texture("sea.bmp", Ground::Water, {0.8f, 0.9f, 1, 1});
    for (int q = 0; q < 4; ++q) {
        float x0 = (q % 2) ? 0.0f : -6000.0f, z0 = (q / 2) ? 0.0f : -6000.0f;
        Mesh m = FlatGrid(x0, z0, x0 + 6000, z0 + 6000, -700, 400, sea, 1 / 400.0f);
        Bake(m, st);
        sb.Map({m});
    }
    std::vector<V3> keys = LoopKeys(Loop({0, 60, 50}, 430, 520, 30, 10, 21, 0.08f));
    std::vector<V3> look = LookAhead(keys, true, 30, 0);
    for (V3& p : look) p = Lerp(p, V3{0, 20, 50}, 0.45f);
    sb.Sky();
    sb.Camera(keys, look);
    return sb.IndexBlock(Join({"maptype:2", "flying:", "windline:"},
                              Atmosphere(st, 3000, 12000, 40000, {-25000, 30000, 80000})));
}

std::string StageFloorCanyon(StageBuild& sb) {
    const int st = 3;
    TileSpec t{1600, 1000, 1, 12, 6, -45, -1000};
    int sand = sb.Texture("sand.bmp", Ground::Sand, {1, 0.92f, 0.85f, 1});
    int rock = sb.Texture("rock.bmp", Ground::Rock, {1, 0.7f, 0.55f, 1});
    auto height = [&](float x, float z) {
        float a = std::fabs(x);
        float wall = a > 150 ? std::pow((a - 150) / 650, 1.3f) * 420 : 0;
        float n = TileNoise(x, z, t.mapz, 120, 41);
        return 2 + n * 8 + wall * (0.75f + 0.5f * n);
    };
    Mesh tile = FloorTile(
        t, 44, 30, height, [&](float, float, float h) { return h > 20 ? rock : sand; }, 1 / 140.0f);
    Bake(tile, st);
    sb.Map({tile});
    sb.Floor(t.mapx, t.mapz, t.mapnumx, t.mapnumz, t.mapposy, t.scroll);
    sb.Sky();
    return sb.IndexBlock(
        Join(TileSettings(t), Atmosphere(st, 1500, 8000, 40000, {-40000, 40000, 80000})));
}

std::string StageFloorForest(StageBuild& sb) {
    const int st = 4;
    TileSpec t{1000, 1000, 3, 9, 6, -45, -30};
    int water = sb.Texture("river.bmp", Ground::Water, {0.7f, 0.9f, 0.9f, 1});
    int grass = sb.Texture("grass.bmp", Ground::Grass, {0.85f, 1, 0.85f, 1});
    int bark = sb.Texture("bark.bmp", Ground::Dirt, {1, 1, 1, 1}, 128);
    int leaf = sb.Texture("leaf.bmp", Ground::Grass, {0.6f, 0.85f, 0.55f, 1}, 128);
    auto river = [](float z) { return std::sin(z / 1000 * 2 * kPi) * 60; };
    auto height = [&](float x, float z) {
        float d = std::fabs(x - river(z));
        float bank = Smooth(125, 185, d) * 16;
        float n = 0;
        for (int o = 0; o < 2; ++o)
            n += ValueNoise((x + 500) / 1000 * (4 << o), z / 1000 * (4 << o), 51 + o, 4 << o) /
                 (1 << o);
        return 13 + bank + (d > 185 ? n * 14 : 0);
    };
    Mesh tile = FloorTile(
        t, 36, 36, height,
        [&](float x, float z, float h) {
            (void)x;
            (void)z;
            return h < 14 ? water : grass;
        },
        1 / 120.0f);
    Rng r(52);
    for (int i = 0; i < 26; ++i) {
        float z = r.Range(60, 940), x = r.Range(180, 480) * (r.Unit() < 0.5f ? -1.0f : 1.0f);
        Tree(tile, {x, height(x, z) - 2, z}, r.Range(45, 90), bark, leaf, r.Next());
    }
    Bake(tile, st);
    sb.Map({tile});
    sb.Floor(t.mapx, t.mapz, t.mapnumx, t.mapnumz, t.mapposy, t.scroll);
    sb.Sky();
    return sb.IndexBlock(Join(TileSettings(t), Atmosphere(st, 1200, 7000, 40000, {0, 0, 0})));
}

// An open-sky loop above a sea with islands: the rival's stages.
std::string StageSeaLoop(StageBuild& sb, int st, uint32_t seed, bool storm) {
    int water = sb.Texture("sea.bmp", Ground::Water,
                           storm ? Color{0.45f, 0.55f, 0.7f, 1} : Color{1, 0.75f, 0.75f, 1});
    int rock = sb.Texture("rock.bmp", Ground::Rock,
                          storm ? Color{0.6f, 0.6f, 0.7f, 1} : Color{0.9f, 0.75f, 0.75f, 1});
    std::vector<V3> keys = LoopKeys(Loop({0, 80, 0}, 1700, 1400, 40, 9, seed));
    // The sea: six flat strips under the whole loop.
    CourseParts parts;
    for (int q = 0; q < 6; ++q) {
        float x0 = -3600 + 1200.0f * q;
        parts.segments.push_back({FlatGrid(x0, -3600, x0 + 1200, 3600, 0, 300, water, 1 / 250.0f)});
    }
    Rng r(seed + 1);
    for (int i = 0; i < 14; ++i) {
        size_t k = static_cast<size_t>(i * keys.size() / 14 + r.Int(0, 40));
        float lat = r.Range(260, 900) * (r.Unit() < 0.5f ? -1.0f : 1.0f);
        V3 p = Side(keys, k, true, lat, -20);
        Mesh m;
        MeshBuilder b(m);
        b.Mat(rock).At(Mat4::Scaling(1, r.Range(1.5f, 3.0f), 1) * Mat4::RotationY(r.Unit() * 6) *
                       Mat4::Translation(p));
        b.Sphere({0, 0, 0}, r.Range(50, 110), 6, 9, {1, 1, 1});
        for (Vertex& v : m.verts) {
            v.u = (v.p.x + v.p.z) / 80;
            v.v = v.p.y / 80;
        }
        Bake(m, st);
        size_t strip = static_cast<size_t>(std::clamp(static_cast<int>((p.x + 3600) / 1200), 0, 5));
        parts.segments[strip].push_back(m);
    }
    for (auto& seg : parts.segments) Bake(seg[0], st, {1, 1, 1, 1});
    WriteCourse(sb, parts);
    sb.Sky();
    sb.Camera(keys, LookAhead(keys, true, 36, 6));
    return sb.IndexBlock(
        Join({"maptype:2", "flying:", "windline:"},
             Atmosphere(st, 2500, 12000, 40000,
                        storm ? V3{-20000, 30000, 60000} : V3{20000, 9000, 90000})));
}

std::string StageFloorTunnel(StageBuild& sb) {
    const int st = 6;
    TileSpec t{700, 800, 1, 9, 6, -45, -1000};
    int rock = sb.Texture("rock.bmp", Ground::Rock, {0.7f, 0.62f, 0.55f, 1});
    int rail = sb.Texture("rails.bmp", Ground::Rail, {1, 1, 1, 1});
    int beam = sb.Texture("beam.bmp", Ground::Metal, {0.8f, 0.6f, 0.4f, 1}, 128);
    // Floor with walls that close into a ceiling: built as a tube of cross-section rings.
    Mesh m;
    const int nz = 16, ns = 20;
    auto ring = [&](int s, float z) {
        float a = kPi * s / ns;  // 0 right floor edge .. pi left floor edge, over the top
        float n = TileNoise(std::cos(a) * 100, z, t.mapz, 100, 61);
        float rx = 150 + n * 25, ry = 100 + n * 12;
        return V3{std::cos(a) * rx, std::sin(a) * ry, z};
    };
    for (int j = 0; j < nz; ++j)
        for (int s = 0; s < ns; ++s) {
            float z0 = t.mapz * j / nz, z1 = t.mapz * (j + 1) / nz;
            float z1w = j + 1 == nz ? 0.0f : z1;
            V3 a = ring(s, z0), b = ring(s + 1, z0), c = ring(s + 1, z1w), d = ring(s, z1w);
            c.z = d.z = z1;
            int base = static_cast<int>(m.verts.size());
            V3 in = Normalize(V3{-(a.x + b.x), -(a.y + b.y - 30), 0});
            for (V3 p : {a, b, c, d}) {
                Vertex v;
                v.p = p;
                v.n = in;
                v.u = (s / static_cast<float>(ns)) * 4;
                v.v = p.z / 160;
                m.verts.push_back(v);
            }
            int mat = s >= 8 && s <= 11 ? rock : rock;
            V3 fn = Cross(b - a, c - a);
            if (Dot(fn, in) >= 0) {
                m.tris.push_back({base, base + 1, base + 2, mat});
                m.tris.push_back({base, base + 2, base + 3, mat});
            } else {
                m.tris.push_back({base, base + 2, base + 1, mat});
                m.tris.push_back({base, base + 3, base + 2, mat});
            }
        }
    // The floor: a flat bed with rails.
    {
        MeshBuilder b(m);
        b.Mat(rail);
        b.Quad({-150, 0.5f, 0}, {-150, 0.5f, t.mapz}, {150, 0.5f, t.mapz}, {150, 0.5f, 0},
               {0, 1, 0});
        size_t f = m.verts.size() - 4;
        for (size_t i = f; i < m.verts.size(); ++i) {
            m.verts[i].u = (m.verts[i].p.x + 150) / 300;
            m.verts[i].v = m.verts[i].p.z / 300;
        }
        // Timber arches along the walls and ceiling.
        for (int k = 0; k < 4; ++k) {
            float z = 100 + 200.0f * k;
            b.Mat(beam).At(Mat4{});
            b.Box({-140, 40, z}, {12, 80, 12});
            b.Box({140, 40, z}, {12, 80, 12});
            b.Box({0, 92, z}, {260, 10, 12});
        }
    }
    // Lamps brighten the baked light near the arches.
    Bake(m, st);
    for (Vertex& v : m.verts) {
        float lamp = 0;
        for (int k = 0; k < 4; ++k)
            lamp = std::max(lamp, 1 - std::fabs(v.p.z - (100 + 200.0f * k)) / 120);
        auto ch = [&](uint32_t c, float add) {
            return std::min<uint32_t>(255, c + static_cast<uint32_t>(add * 255));
        };
        uint32_t c = v.color;
        v.color = 0xFF000000u | ch((c >> 16) & 0xFF, lamp * 0.45f) << 16 |
                  ch((c >> 8) & 0xFF, lamp * 0.3f) << 8 | ch(c & 0xFF, lamp * 0.1f);
    }
    sb.Map({m});
    sb.Floor(t.mapx, t.mapz, t.mapnumx, t.mapnumz, t.mapposy, t.scroll);
    sb.Sky();
    return sb.IndexBlock(Join(TileSettings(t), Atmosphere(st, 600, 3600, 30000, {0, 0, 0})));
}

// Minimum distance from a point to the course (x-z), checked on every 10th key.
float DistanceToCourse(const std::vector<V3>& keys, float x, float z) {
    float best = 1e30f;
    for (size_t i = 0; i < keys.size(); i += 10)
        best = std::min(best, std::hypot(keys[i].x - x, keys[i].z - z));
    return best;
}

std::string StageCity(StageBuild& sb) {
    const int st = 7;
    // A route through the blocks: long straights joined by wide turns.
    std::vector<V3> control = {{0, 60, -1500},    {0, 60, 0},        {0, 70, 3000},
                               {600, 60, 4500},   {2500, 80, 5000},  {3600, 60, 6500},
                               {3600, 70, 9000},  {2600, 60, 10500}, {800, 90, 11500},
                               {0, 60, 13500},    {0, 60, 16000},    {900, 70, 18000},
                               {2500, 60, 19500}, {2500, 60, 23000}, {2500, 60, 27000}};
    std::vector<V3> keys = Keys(control, false, 4800);
    int road = sb.Texture("road.bmp", Ground::Road, {1, 1, 1, 1});
    int pave = sb.Texture("pave.bmp", Ground::Stone, {0.6f, 0.6f, 0.7f, 1});
    int facade = sb.Texture("facade.bmp", Ground::Facade, {1, 1, 1, 1});
    int roof = sb.Texture("roof.bmp", Ground::Metal, {0.6f, 0.6f, 0.7f, 1}, 128);
    int mark = sb.Mark("s_houdai");
    Ribbon rb;
    rb.halfWidth = 800;
    rb.lateralSteps = 16;
    auto prof = [](float, float) { return -45.0f; };
    const int segs = 10;
    CourseParts parts = RibbonCourse(sb, keys, false, segs, rb, prof, [&](float lat, float) {
        return std::fabs(lat) < 110 ? road : pave;
    });
    Rng r(71);
    int placed = 0;
    for (size_t k = 30; k + 30 < keys.size(); k += 9) {
        for (int side = -1; side <= 1; side += 2) {
            if (r.Unit() < 0.25f) continue;
            float lat = side * r.Range(170, 700);
            V3 p = Side(keys, k, false, lat, keys[k].y - 45);
            float w = r.Range(60, 130), d = r.Range(60, 130);
            if (DistanceToCourse(keys, p.x, p.z) < 120 + std::max(w, d) * 0.75f) continue;
            float h = r.Range(60, 420) * (std::fabs(lat) > 400 ? 1.3f : 1.0f);
            Mesh b;
            Building(b, p, w, d, h, facade, roof);
            Bake(b, st, {0.8f, 0.85f, 1, 1});
            size_t seg = SegmentOf(k, keys.size(), segs);
            parts.segments[seg].push_back(b);
            if (++placed % 9 == 0 && h < 200) {
                Mesh m;
                MarkAt(m, {p.x, p.y + h, p.z}, mark);
                parts.segments[seg].push_back(m);
            }
        }
    }
    WriteCourse(sb, parts);
    sb.Sky();
    sb.Camera(keys, LookAhead(keys, false, 36, 8));
    return sb.IndexBlock(Join({"maptype:2", "mapviewarea:9000"},
                              Atmosphere(st, 1200, 7000, 30000, {-8000, 9000, 40000})));
}

// The viaduct the train runs on: a deck along the keys at `deckY` under the rail, `half`
// units either side, with girders along its edges and piers down to `footY` every 40th key.
// Every face of it uses materials whose names begin "renketu": the course reader takes such
// faces as marks that place nothing and are never struck, so the viaduct is seen but not
// solid, and the train's wrecks fall through it to the plain below, out of the way of the
// camera that the rail carries over the place where they were shot down.
Mesh Viaduct(const std::vector<V3>& keys, size_t first, size_t last, float deckY, float footY,
             float half, int deckMat, int pierMat) {
    Mesh m;
    MeshBuilder b(m);
    const size_t n = keys.size();
    auto edge = [&](size_t k, float side, float dy) {
        V3 d = CourseDir(keys, k % n, true);
        V3 right = Normalize(V3{d.z, 0, -d.x});
        V3 p = keys[k % n];
        return V3{p.x + right.x * side * half, p.y + deckY + dy, p.z + right.z * side * half};
    };
    const float girder = 7;
    for (size_t k = first; k < last; k += 4) {
        size_t k1 = std::min(last, k + 4);
        V3 l0 = edge(k, -1, 0), r0 = edge(k, 1, 0), l1 = edge(k1, -1, 0), r1 = edge(k1, 1, 0);
        b.Mat(deckMat).At(Mat4{});
        b.Quad(l0, l1, r1, r0, {0, 1, 0});
        // Texture coordinates across the deck and along it, as the ground's track had them.
        for (size_t i = m.verts.size() - 4; i < m.verts.size(); ++i) {
            m.verts[i].u = m.verts[i].p.x / 120.0f;
            m.verts[i].v = m.verts[i].p.z / 120.0f;
        }
        b.Mat(pierMat);
        for (float side : {-1.0f, 1.0f}) {
            V3 t0 = edge(k, side, 0), t1 = edge(k1, side, 0);
            V3 b0 = edge(k, side, -girder), b1 = edge(k1, side, -girder);
            V3 out = edge(k, side, 0) - edge(k, -side, 0);
            b.Quad(t0, t1, b1, b0, out);
        }
        b.Quad(edge(k, -1, -girder), edge(k1, -1, -girder), edge(k1, 1, -girder),
               edge(k, 1, -girder), {0, -1, 0});
    }
    for (size_t k = first - first % 40 + 40; k < last; k += 40) {
        V3 d = CourseDir(keys, k % n, true);
        V3 p = keys[k % n];
        float top = p.y + deckY - girder, height = top - footY;
        b.Mat(pierMat).At(Mat4::RotationY(std::atan2(d.x, d.z)) *
                          Mat4::Translation(p.x, footY + height / 2, p.z));
        b.Box({0, 0, 0}, {half * 1.4f, height, 10});
    }
    for (Vertex& v : m.verts) {
        if (std::fabs(v.n.y) > 0.5f) continue;
        v.u = (v.p.x + v.p.z) / 60.0f;
        v.v = -v.p.y / 60.0f;
    }
    return m;
}

std::string StageRailway(StageBuild& sb) {
    const int st = 8;
    std::vector<V3> keys = LoopKeys(Loop({0, 40, 0}, 3200, 2600, 6, 12, 81, 0.1f));
    // The train runs 30 units under the rail, on a viaduct over the plain.
    const float deckY = -30, plainY = -120;
    int track = sb.Texture("track.bmp", Ground::Rail, {1, 1, 1, 1}, 512, "renketu_track");
    int grass = sb.Texture("grass.bmp", Ground::Grass, {1, 0.85f, 0.65f, 1});
    int rock = sb.Texture("rock.bmp", Ground::Rock, {1, 0.85f, 0.75f, 1});
    int pier = sb.Texture("pier.bmp", Ground::Stone, {0.85f, 0.8f, 0.75f, 1}, 256, "renketu_pier");
    Ribbon rb;
    rb.halfWidth = 900;
    rb.lateralSteps = 20;
    auto prof = [plainY](float lat, float along) {
        float a = std::fabs(lat);
        float hills = a > 300
                          ? std::pow((a - 300) / 600, 2.0f) * 350 *
                                (0.6f + 0.8f * ValueNoise(along / 700, lat > 0 ? 2.0f : 8.0f, 83))
                          : 0;
        return plainY + 6 * ValueNoise(along / 150, lat / 150, 84) + hills;
    };
    CourseParts parts = RibbonCourse(sb, keys, true, 8, rb, prof, [&](float lat, float) {
        return std::fabs(lat) > 420 ? rock : grass;
    });
    for (size_t s = 0; s < parts.segments.size(); ++s) {
        size_t per = (keys.size() + 7) / 8;
        size_t first = s * per, last = std::min(keys.size(), (s + 1) * per);
        Mesh v = Viaduct(keys, first, last, deckY, plainY, 24, track, pier);
        Bake(v, st);
        parts.segments[s].push_back(v);
    }
    WriteCourse(sb, parts);
    sb.Sky();
    sb.Camera(keys, LookAhead(keys, true, 36, 6));
    return sb.IndexBlock(
        Join({"maptype:2", "windline:"}, Atmosphere(st, 2000, 10000, 40000, {30000, 9000, 80000})));
}

std::string StageSpeedway(StageBuild& sb) {
    const int st = 9;
    // One lap of about 6000 keys: steady flight reaches the clearing speed near its end
    // (about 5600 keys), and the wave list, which restarts only with the lap, plays whole.
    std::vector<V3> keys = LoopKeys(Loop({0, 50, 0}, 4900, 3800, 40, 20, 91, 0.2f));
    int dirt = sb.Texture("dirt.bmp", Ground::Dirt, {1, 1, 1, 1});
    int rock = sb.Texture("rock.bmp", Ground::Rock, {1, 0.85f, 0.7f, 1});
    int metal = sb.Texture("gate.bmp", Ground::Metal, {1, 0.9f, 0.6f, 1}, 128);
    Ribbon rb;
    rb.halfWidth = 650;
    auto prof = [](float lat, float along) {
        float a = std::fabs(lat);
        float wall =
            a > 135 ? std::min(1.0f, (a - 135) / 60) * 220 + std::max(0.0f, a - 195) * 0.5f : 0;
        return -45 + 4 * ValueNoise(along / 60, lat / 60, 93) +
               wall * (0.8f + 0.4f * ValueNoise(along / 300, lat / 200, 94));
    };
    CourseParts parts = RibbonCourse(sb, keys, true, 10, rb, prof, [&](float lat, float) {
        return std::fabs(lat) > 140 ? rock : dirt;
    });
    // Gates over the course: two posts and a beam high above the crafts.
    for (size_t k = 100; k < keys.size(); k += 300) {
        Mesh g;
        MeshBuilder b(g);
        V3 d = CourseDir(keys, k, true);
        float yaw = std::atan2(d.x, d.z);
        b.Mat(metal).At(Mat4::RotationY(yaw) * Mat4::Translation(keys[k]));
        b.Box({-120, 30, 0}, {14, 150, 14});
        b.Box({120, 30, 0}, {14, 150, 14});
        b.Box({0, 100, 0}, {260, 14, 14});
        for (Vertex& v : g.verts) {
            v.u = (v.p.x + v.p.y) / 40;
            v.v = (v.p.z + v.p.y) / 40;
        }
        Bake(g, st);
        parts.segments[SegmentOf(k, keys.size(), 10)].push_back(g);
    }
    WriteCourse(sb, parts);
    sb.Sky();
    sb.Camera(keys, LookAhead(keys, true, 36, 8));
    return sb.IndexBlock(
        Join({"maptype:2"}, Atmosphere(st, 1500, 8000, 40000, {-30000, 30000, 60000})));
}

// Stage 10: four pillars in a row (segments 0..3), two side towers (4, 5), the gate with
// the combat cores (6), then the plain below with its ruins (7..). The rail is one long lap:
// it leaves the gate northward past the pillars, tours the plain (out on one side, back on
// the other), returns past the pillars and swings round in front of the gate twice,
// with the cores in reach, before the lap closes. The stage's waves run over the whole lap,
// so they build up toward the gate and end as it comes into reach.
// The two combat cores hang under the gate's lintel, one on each side of its middle. The
// swings in front of the gate come in on the +x side: the first turns the view to the core
// on that side, the second to the other.
constexpr std::array<V3, 2> kGateCores = {{{-130, -230, -2680}, {130, -230, -2680}}};

std::string StageGate(StageBuild& sb) {
    const int st = 10;
    int stone = sb.Texture("stone.bmp", Ground::Stone, {0.8f, 0.85f, 0.95f, 1});
    int metal = sb.Texture("metal.bmp", Ground::Metal, {1, 1, 1, 1});
    int ground = sb.Texture("ground.bmp", Ground::Rock, {0.7f, 0.75f, 0.85f, 1});
    int core = sb.Mark("sentou_koa");
    const float pillarZ[4] = {257, -199, -653, -1109};
    for (int c = 0; c < 4; ++c) {
        Mesh m;
        Column(m, {0, -800, pillarZ[c]}, 45, 940, stone);
        MeshBuilder b(m);
        b.Mat(metal).At(Mat4{});
        b.Box({0, 150, pillarZ[c]}, {130, 24, 130});
        for (Vertex& v : m.verts) {
            v.u = (v.p.x + v.p.z) / 60;
            v.v = v.p.y / 60;
        }
        Bake(m, st);
        sb.Map({m});
    }
    for (int side = 0; side < 2; ++side) {
        float x = side ? -655.0f : 655.0f;
        Mesh m;
        Column(m, {x, -900, -2282}, 60, 440, stone);
        MeshBuilder b(m);
        b.Mat(metal).At(Mat4{});
        b.Sphere({x, -440, -2282}, 70, 8, 12, {1, 0.7f, 1});
        for (Vertex& v : m.verts) {
            v.u = (v.p.x + v.p.z) / 60;
            v.v = v.p.y / 60;
        }
        Bake(m, st);
        sb.Map({m});
    }
    {
        Mesh gate;
        MeshBuilder b(gate);
        b.Mat(stone).At(Mat4{});
        b.Box({-380, -500, -2700}, {320, 700, 140});
        b.Box({380, -500, -2700}, {320, 700, 140});
        b.Box({0, -110, -2700}, {1080, 120, 160});
        b.Mat(metal);
        b.Box({0, -380, -2720}, {440, 300, 60});
        for (Vertex& v : gate.verts) {
            v.u = (v.p.x + v.p.z) / 80;
            v.v = v.p.y / 80;
        }
        Bake(gate, st);
        Mesh marks;
        for (const V3& at : kGateCores) MarkAt(marks, at, core);
        sb.Map({gate, marks});
    }
    // The lap starts just after the last swing in front of the gate, heading north on the
    // west side of the pillars.
    std::vector<V3> keys = LoopKeys({
        // North past the pillars.
        {-250, -120, -1600},
        {-270, -60, -600},
        {-260, -80, 900},
        // Out over the plain on one side...
        {-420, -40, 2600},
        {-1100, 0, 4300},
        {-2100, 60, 5800},
        {-2500, 20, 7600},
        {-1900, -40, 9300},
        {-2200, 30, 10900},
        {-900, 60, 12300},
        // ...and back on the other.
        {700, 20, 12500},
        {2000, -20, 11200},
        {2400, 40, 9300},
        {1800, 0, 7600},
        {2400, 60, 6000},
        {1900, -20, 4400},
        {900, -60, 3000},
        {300, -80, 1900},
        // South past the pillars and the first swing in front of the gate.
        {260, -80, 900},
        {270, -70, -600},
        {250, -120, -1600},
        {240, -160, -2100},
        {0, -175, -2340},
        {-240, -160, -2100},
        // Round below the last pillar and the second swing.
        {-300, -130, -1650},
        {0, -110, -1330},
        {300, -130, -1650},
        {240, -160, -2100},
        {0, -175, -2340},
        {-240, -160, -2100},
    });
    // The plain: ground under the whole lap, cut into quads (one map each) that also carry
    // the ruins standing on them.
    const float groundY = -860;
    float minX = 0, maxX = 0, minZ = 0, maxZ = 0;
    for (const V3& k : keys) {
        minX = std::min(minX, k.x);
        maxX = std::max(maxX, k.x);
        minZ = std::min(minZ, k.z);
        maxZ = std::max(maxZ, k.z);
    }
    const float margin = 5000;
    const int cols = 2, rows = 4;
    const float x0 = minX - margin, z0 = minZ - margin;
    const float qw = (maxX - minX + 2 * margin) / cols, qd = (maxZ - minZ + 2 * margin) / rows;
    std::vector<std::vector<Mesh>> quads(cols * rows);
    for (int q = 0; q < cols * rows; ++q) {
        float ax = x0 + qw * (q % cols), az = z0 + qd * (q / cols);
        Mesh m = FlatGrid(ax, az, ax + qw, az + qd, groundY, 500, ground, 1 / 300.0f);
        Bake(m, st);
        quads[static_cast<size_t>(q)].push_back(m);
    }
    auto quadOf = [&](V3 p) {
        int c = std::clamp(static_cast<int>((p.x - x0) / qw), 0, cols - 1);
        int r = std::clamp(static_cast<int>((p.z - z0) / qd), 0, rows - 1);
        return static_cast<size_t>(r * cols + c);
    };
    auto stoneUv = [](Mesh& m, float scale) {
        for (Vertex& v : m.verts) {
            v.u = (v.p.x + v.p.z) / scale;
            v.v = v.p.y / scale;
        }
    };
    // A column rising from the plain to `top`.
    auto column = [&](V3 at, float r, float top) {
        Mesh m;
        Column(m, {at.x, groundY - 10, at.z}, r, top - groundY + 10, stone);
        stoneUv(m, 60);
        Bake(m, st);
        quads[quadOf(at)].push_back(m);
    };
    // Where the ruins stand along the tour (key ranges of the lap); the pillars and the gate
    // keep the ends of the lap to themselves.
    const size_t n = keys.size();
    auto sideOf = [&](size_t k, float lateral) {
        return Side(keys, k, true, lateral, keys[k % n].y);
    };
    Rng r(1013);
    // An avenue of columns taller than the flight, pairs on both sides.
    auto avenue = [&](size_t from, size_t to, size_t step, float lateral) {
        for (size_t k = from; k < to; k += step) {
            for (float side : {-1.0f, 1.0f}) {
                V3 p = sideOf(k, side * (lateral + r.Range(-20, 30)));
                column(p, r.Range(24, 34), keys[k].y + r.Range(90, 220));
            }
        }
    };
    // Arches over the course: two columns and a lintel well above the crafts.
    auto arches = [&](size_t from, size_t to, size_t step) {
        for (size_t k = from; k < to; k += step) {
            V3 d = CourseDir(keys, k, true);
            float top = keys[k].y + 130;
            V3 a = sideOf(k, -210), b = sideOf(k, 210);
            column(a, 30, top);
            column(b, 30, top);
            Mesh m;
            MeshBuilder mb(m);
            mb.Mat(stone).At(Mat4::RotationY(std::atan2(d.x, d.z)) *
                             Mat4::Translation((a.x + b.x) / 2, top + 14, (a.z + b.z) / 2));
            mb.Box({0, 0, 0}, {500, 28, 60});
            stoneUv(m, 60);
            Bake(m, st);
            quads[quadOf(a)].push_back(m);
        }
    };
    // Broken walls and stumps off the course, below the flight: the plain's old city.
    auto ruins = [&](size_t from, size_t to, int count) {
        for (int i = 0; i < count; ++i) {
            size_t k = from + static_cast<size_t>(r.Int(0, static_cast<int>(to - from)));
            float lateral = r.Range(420, 1400) * (r.Unit() < 0.5f ? -1.0f : 1.0f);
            V3 p = sideOf(k, lateral);
            Mesh m;
            MeshBuilder mb(m);
            float h = r.Range(120, 420);
            mb.Mat(stone).At(Mat4::RotationY(r.Range(0, kPi)) *
                             Mat4::Translation(p.x, groundY + h / 2 - 10, p.z));
            mb.Box({0, 0, 0}, {r.Range(200, 600), h, r.Range(40, 90)});
            stoneUv(m, 80);
            Bake(m, st);
            quads[quadOf(p)].push_back(m);
            if (r.Unit() < 0.5f)
                column(sideOf(k + 20, lateral * 1.1f), r.Range(30, 50),
                       groundY + r.Range(200, 650));
        }
    };
    // Far towers on the horizon of the plain.
    auto towers = [&](size_t from, size_t to, size_t step) {
        for (size_t k = from; k < to; k += step) {
            float lateral = r.Range(1500, 2600) * (r.Unit() < 0.5f ? -1.0f : 1.0f);
            column(sideOf(k, lateral), r.Range(70, 110), keys[k].y + r.Range(300, 700));
        }
    };
    const size_t part = n / 20;  // a twentieth of the lap
    avenue(3 * part, 5 * part, 85, 240);
    ruins(5 * part, 8 * part, 14);
    towers(4 * part, 16 * part, 190);
    arches(8 * part, 9 * part + part / 2, 70);
    ruins(10 * part, 13 * part, 16);
    avenue(13 * part, 14 * part, 70, 230);
    arches(15 * part, 16 * part, 50);
    avenue(16 * part + part / 2, 17 * part + part / 2, 60, 240);
    for (auto& quad : quads) sb.Map(quad);
    // The view looks a little in toward the pillars, and while the rail heads for the gate
    // it turns to a core, so that the cores stay in sight until the rail swings away. The
    // crafts' guns point where the view does: each swing ends looking straight at one core,
    // the first swing at one and the second at the other, so that both take fire on every
    // lap from crafts that only follow the rail.
    std::vector<V3> look = LookAhead(keys, true, 36, 10);
    const V3 gateCentre{0, -260, -2690};
    int swing = -1;
    bool headingIn = false;
    for (size_t i = 0; i < n; ++i) {
        look[i].x *= 1 - 0.3f * Smooth(1600, 900, keys[i].z);
        V3 d = CourseDir(keys, i, true);
        V3 to{gateCentre.x - keys[i].x, 0, gateCentre.z - keys[i].z};
        float dist = Length(to);
        float facing = std::max(0.0f, Dot(Normalize(V3{d.x, 0, d.z}), to * (1 / dist)));
        float w = facing * facing * Smooth(2000, 1200, dist);
        if (w > 0 && !headingIn) ++swing;
        headingIn = w > 0;
        if (!headingIn) continue;
        // The core's middle, where its hit points hang.
        V3 aim = kGateCores[static_cast<size_t>(swing + 1) % kGateCores.size()] + V3{0, 50, 0};
        look[i] = Lerp(look[i], aim, w);
    }
    sb.Sky();
    sb.Camera(keys, look);
    return sb.IndexBlock(Join({"maptype:2"}, Atmosphere(st, 2500, 9000, 40000, {0, 0, 0})));
}

// A round arena: a polar ground grid around a centre, with walls rising at its rim.
Mesh Arena(V3 centre, float radius, float wallFrom, float wallHeight, int mat, int wallMat,
           uint32_t seed) {
    Mesh m;
    const int rings = 14, sides = 36;
    auto at = [&](int i, int s) {
        float t = static_cast<float>(i) / rings;
        float r = radius * t;
        float a = 2 * kPi * (s % sides) / sides;
        float h =
            r > wallFrom ? std::pow((r - wallFrom) / (radius - wallFrom), 1.5f) * wallHeight : 0;
        h *= 0.7f + 0.6f * ValueNoise(std::cos(a) * 3 + 5, std::sin(a) * 3 + 5, seed);
        h += 6 * ValueNoise(r / 80, a * 6, seed + 1);
        return V3{centre.x + std::cos(a) * r, centre.y + h, centre.z + std::sin(a) * r};
    };
    for (int i = 0; i < rings; ++i)
        for (int s = 0; s < sides; ++s) {
            V3 c[4] = {at(i, s), at(i, s + 1), at(i + 1, s + 1), at(i + 1, s)};
            bool wall = (i + 0.5f) / rings * radius > wallFrom;
            int base = static_cast<int>(m.verts.size());
            V3 n = Normalize(Cross(c[2] - c[0], c[1] - c[0]));
            if (n.y < 0) n = n * -1.0f;
            for (V3 p : c) {
                Vertex v;
                v.p = p;
                v.n = n;
                v.u = p.x / 150;
                v.v = (wall ? p.y : p.z) / 150;
                m.verts.push_back(v);
            }
            int mt = wall ? wallMat : mat;
            V3 fn = Cross(c[1] - c[0], c[2] - c[0]);
            if (Dot(fn, n) >= 0) {
                m.tris.push_back({base, base + 1, base + 2, mt});
                m.tris.push_back({base, base + 2, base + 3, mt});
            } else {
                m.tris.push_back({base, base + 2, base + 1, mt});
                m.tris.push_back({base, base + 3, base + 2, mt});
            }
        }
    return m;
}

std::vector<V3> Circle(V3 centre, float r, size_t keys, float wave) {
    std::vector<V3> k;
    for (size_t i = 0; i < keys; ++i) {
        float a = 2 * kPi * i / keys;
        k.push_back({centre.x + std::sin(a) * r, centre.y + std::sin(a * 3) * wave,
                     centre.z + std::cos(a) * r});
    }
    return k;
}

std::vector<V3> Focus(size_t n, V3 p) {
    return std::vector<V3>(n, p);
}

std::string StageCrater(StageBuild& sb) {
    const int st = 11;
    int rock = sb.Texture("rock.bmp", Ground::Rock, {0.55f, 0.6f, 0.75f, 1});
    int dust = sb.Texture("dust.bmp", Ground::Dirt, {0.5f, 0.5f, 0.6f, 1});
    int glow = sb.Texture("core.bmp", Ground::Crystal, {1, 1, 1, 1});
    Mesh arena = Arena({0, -650, -4250}, 2400, 1150, 700, dust, rock, 111);
    Bake(arena, st);
    sb.Map({arena});
    // The second form's shell: rings round an empty heart high above.
    Mesh shell;
    {
        MeshBuilder b(shell);
        b.Mat(glow);
        for (int i = 0; i < 3; ++i) {
            b.At(Mat4::RotationY(i * kPi / 3) * Mat4::RotationX(0.5f) *
                 Mat4::Translation(0, 250, -2300));
            b.Torus(170, 14, 28, 8);
        }
        for (int i = 0; i < 6; ++i) {
            float a = i * kPi / 3;
            b.At(Mat4::RotationZ(kPi / 2) * Mat4::RotationY(a) *
                 Mat4::Translation(std::cos(a) * 200, 250, -2300 + std::sin(a) * 200));
            b.Lathe({{0, 18}, {120, 0}}, 6);
        }
        for (Vertex& v : shell.verts) {
            v.u = (v.p.x + v.p.y) / 100;
            v.v = (v.p.z + v.p.y) / 100;
        }
    }
    Bake(shell, st, {1.2f, 1.2f, 1.4f, 1});
    sb.Map({shell});
    sb.Sky();
    // Rail 0 circles the first form; rail 1 the second, high above.
    std::vector<V3> r0 = Circle({0, -420, -4250}, 820, 1030, 30);
    sb.Camera(r0, Focus(r0.size(), {0, -470, -4250}));
    std::vector<V3> r1 = Circle({0, 250, -2300}, 700, 880, 25);
    sb.Camera(r1, Focus(r1.size(), {0, 250, -2300}));
    return sb.IndexBlock(Join({"maptype:2", "loopcamera:", "longlock:", "scrolloffsetoff:"},
                              Atmosphere(st, 2500, 11000, 40000, {-6000, 9000, -12000})));
}

std::string StageRuins(StageBuild& sb) {
    const int st = 13;
    // One lap round the ruins passes through the turret groups near the origin; the rail
    // makes the lap twice.
    std::vector<V3> lap = LoopKeys({{0, -50, 0},
                                    {1600, -30, 600},
                                    {2600, 0, 2600},
                                    {1600, -20, 4600},
                                    {0, 10, 5200},
                                    {-1600, -20, 4600},
                                    {-2600, 0, 2600},
                                    {-1600, -30, 600}});
    // The course starts on the far side of the lap, so the groups are met in the middle,
    // and runs long enough for the stage's last waves (frame 6500) before it ends.
    std::vector<V3> keys;
    for (size_t i = 0; i < 6900; ++i) keys.push_back(lap[(i + lap.size() / 2) % lap.size()]);
    int stone = sb.Texture("stone.bmp", Ground::Stone, {1, 1, 1, 1});
    int grass = sb.Texture("grass.bmp", Ground::Grass, {0.9f, 0.9f, 0.7f, 1});
    int rock = sb.Texture("rock.bmp", Ground::Rock, {1, 0.95f, 0.85f, 1});
    Ribbon rb;
    rb.halfWidth = 750;
    auto prof = [](float lat, float along) {
        float a = std::fabs(lat);
        return -45 - 10 * Smooth(100, 0, a) +
               (a > 300 ? std::pow((a - 300) / 450, 1.8f) * 180 *
                              (0.6f + 0.8f * ValueNoise(along / 500, lat / 300, 131))
                        : 0);
    };
    CourseParts parts = RibbonCourse(sb, lap, true, 8, rb, prof, [&](float lat, float along) {
        float a = std::fabs(lat);
        return a < 90    ? stone
               : a > 380 ? rock
                         : (ValueNoise(along / 200, lat / 200, 132) > 0.55f ? stone : grass);
    });
    Rng r(133);
    for (size_t k = 40; k < lap.size(); k += 55) {
        float lat = r.Range(160, 420) * (r.Unit() < 0.5f ? -1.0f : 1.0f);
        V3 p = Side(lap, k, true, lat, lap[k].y + prof(lat, k * kKey) - 4);
        Mesh m;
        Column(m, p, r.Range(14, 22), r.Range(60, 180), stone);
        for (Vertex& v : m.verts) {
            v.u = (v.p.x + v.p.z) / 60;
            v.v = v.p.y / 60;
        }
        Bake(m, st);
        parts.segments[SegmentOf(k, lap.size(), 8)].push_back(m);
    }
    WriteCourse(sb, parts);
    sb.Sky();
    sb.Camera(keys, LookAhead(keys, false, 36, 8));
    return sb.IndexBlock(Join({"maptype:2"}, Atmosphere(st, 1500, 8500, 40000, {0, 0, 0})));
}

std::string StageArena(StageBuild& sb, int st, V3 bossBase, float railR, float railY, float lookY,
                       Ground floorG, Ground wallG, Color tint, bool crystals) {
    int floorM = sb.Texture("floor.bmp", floorG, tint);
    int wallM = sb.Texture("wall.bmp", wallG, tint);
    Mesh arena = Arena(bossBase, 2000, 1000, 600, floorM, wallM, static_cast<uint32_t>(st * 7));
    Bake(arena, st);
    // Segment 0 is the arena floor the boss stands on; the ring of spires is segment 1.
    Mesh spires;
    Rng r(static_cast<uint32_t>(st * 11));
    for (int i = 0; i < 14; ++i) {
        float a = 2 * kPi * i / 14 + r.Range(-0.1f, 0.1f), d = r.Range(1050, 1400);
        V3 p{bossBase.x + std::cos(a) * d, bossBase.y - 20, bossBase.z + std::sin(a) * d};
        if (crystals) {
            MeshBuilder b(spires);
            b.Mat(floorM).At(Mat4::RotationX(-kPi / 2) * Mat4::RotationZ(r.Range(-0.3f, 0.3f)) *
                             Mat4::Translation(p));
            b.Lathe({{0, r.Range(40, 70)}, {r.Range(200, 420), 0}}, 6);
        } else {
            Column(spires, p, r.Range(24, 40), r.Range(160, 400), wallM);
        }
    }
    for (Vertex& v : spires.verts) {
        v.u = (v.p.x + v.p.z) / 100;
        v.v = v.p.y / 100;
    }
    Bake(spires, st, crystals ? Color{1.2f, 1.2f, 1.5f, 1} : Color{1, 1, 1, 1});
    sb.Map({arena});
    sb.Map({spires});
    sb.Sky();
    std::vector<V3> keys = Circle({bossBase.x, railY, bossBase.z}, railR,
                                  static_cast<size_t>(2 * kPi * railR / kKey), 20);
    sb.Camera(keys, Focus(keys.size(), {bossBase.x, lookY, bossBase.z}));
    return sb.IndexBlock(
        Join({"maptype:2", "loopcamera:", "flying:", "scrolloffsetoff:", "longlock:"},
             Atmosphere(st, 2000, 9000, 40000, {0, 0, 0})));
}

std::string StageFloorClouds(StageBuild& sb, int st, TileSpec t, Color tint, uint32_t seed) {
    int cloud = sb.Texture("cloud.bmp", Ground::Cloud, tint);
    auto height = [&](float x, float z) {
        float n = 0;
        for (int o = 0; o < 3; ++o)
            n += ValueNoise((x + t.mapx / 2) / t.mapx * (4 << o), z / t.mapz * (4 << o), seed + o,
                            4 << o) /
                 (1 << o);
        return n / 1.75f * 70;
    };
    Mesh tile = FloorTile(
        t, 30, 30, height, [&](float, float, float) { return cloud; }, 1 / 400.0f);
    Bake(tile, st, {1.1f, 1.1f, 1.1f, 1});
    sb.Map({tile});
    sb.Floor(t.mapx, t.mapz, t.mapnumx, t.mapnumz, t.mapposy, t.scroll);
    sb.Sky();
    return sb.IndexBlock(Join(Join(TileSettings(t), {"windline:"}),
                              Atmosphere(st, 3000, 14000, 50000, {-30000, 20000, 90000})));
}

// The extra stage: a fortress of two halves, each with its core; one rail round each half.
std::string StageFortress(StageBuild& sb) {
    const int st = 18;
    int metal = sb.Texture("metal.bmp", Ground::Metal, {0.8f, 0.6f, 0.65f, 1});
    int lava = sb.Texture("lava.bmp", Ground::Lava, {1, 1, 1, 1});
    int wall = sb.Texture("wall.bmp", Ground::Stone, {0.6f, 0.5f, 0.55f, 1});
    int turret = sb.Mark("mobu_s_houdai"), core = sb.Mark("mobu_core");
    // Segment 0: the lava floor under everything.
    {
        Mesh m = FlatGrid(-4000, -4000, 4000, 4000, -300, 400, lava, 1 / 300.0f);
        Bake(m, st, {1.4f, 1.2f, 1.2f, 1});
        sb.Map({m});
    }
    // Segments 1 and 2: the two halves. The core of segment 1 is met on the second rail,
    // the core of segment 2 on the first.
    for (int half = 0; half < 2; ++half) {
        float z = half ? 1100.0f : -1100.0f;
        Mesh m;
        MeshBuilder b(m);
        b.Mat(wall).At(Mat4{});
        b.Box({0, -200, z}, {1400, 200, 700});
        b.Box({-560, 0, z}, {120, 260, 600});
        b.Box({560, 0, z}, {120, 260, 600});
        b.Mat(metal);
        b.Box({0, -60, z}, {320, 80, 320});
        b.Sphere({0, 20, z}, 110, 8, 14, {1, 0.5f, 1});
        for (Vertex& v : m.verts) {
            v.u = (v.p.x + v.p.z) / 90;
            v.v = (v.p.y + v.p.z) / 90;
        }
        Bake(m, st);
        // A mesh takes the kind of its first material: one mesh per kind of mark.
        Mesh cores, turrets;
        MarkAt(cores, {0, 76, z}, core);
        for (int t = 0; t < 6; ++t)
            MarkAt(turrets, {-500.0f + 200 * t, -100, z + (t % 2 ? 330.0f : -330.0f)}, turret);
        sb.Map({m, cores, turrets});
    }
    // The second rail is the first one's mirror image, so both have the same keys count
    // (the rail changes at the transition, the position along it does not).
    // The rail circles its half well within lock-on reach of the core (about 1000 units),
    // outside the side walls and above their tops, and looks in at the core from above: the
    // core stands just over the dome, so shots from lower down strike the dome instead.
    std::vector<V3> r0 = LoopKeys(Loop({0, 140, 1100}, 800, 550, 20, 8, 181));
    std::vector<V3> r1 = r0;
    for (V3& p : r1) p.z = -p.z;
    std::vector<V3> l0 = LookAhead(r0, true, 40, 0), l1 = LookAhead(r1, true, 40, 0);
    for (V3& p : l0) p = Lerp(p, V3{0, 86, 1100}, 0.85f);
    for (V3& p : l1) p = Lerp(p, V3{0, 86, -1100}, 0.85f);
    sb.Sky();
    sb.Camera(r0, l0);
    sb.Camera(r1, l1);
    return sb.IndexBlock(Join({"maptype:2"}, Atmosphere(st, 1500, 8000, 40000, {0, 0, 0})));
}

std::string BuildStage(Output& out, int st, StageScene* scene) {
    StageBuild sb(out, st, scene);
    switch (st) {
        case 0:
            return StageValley(sb);
        case 1:
            return StageFloorCoast(sb);
        case 2:
            return StageShip(sb);
        case 3:
            return StageFloorCanyon(sb);
        case 4:
            return StageFloorForest(sb);
        case 5:
            return StageSeaLoop(sb, 5, 51, false);
        case 6:
            return StageFloorTunnel(sb);
        case 7:
            return StageCity(sb);
        case 8:
            return StageRailway(sb);
        case 9:
            return StageSpeedway(sb);
        case 10:
            return StageGate(sb);
        case 11:
            return StageCrater(sb);
        case 12:
            return StageSeaLoop(sb, 12, 121, true);
        case 13:
            return StageRuins(sb);
        case 14:
            return StageArena(sb, 14, {0, -100, 0}, 650, 40, 60, Ground::Stone, Ground::Rock,
                              {0.9f, 0.75f, 0.7f, 1}, false);
        case 15:
            return StageFloorClouds(sb, 15, {1500, 1500, 5, 7, 8, -140, -1000}, {1, 1, 1, 1}, 151);
        case 16:
            return StageArena(sb, 16, {0, -20, 0}, 560, 70, 90, Ground::Crystal, Ground::Crystal,
                              {1, 1, 1, 1}, true);
        case 17:
            return StageFloorClouds(sb, 17, {4000, 4000, 5, 6, 30, -300, -1000},
                                    {1, 0.8f, 0.75f, 1}, 171);
        default:
            return StageFortress(sb);
    }
}

}  // namespace

const StageLook& LookOfStage(int stage) {
    return kLooks[std::clamp(stage, 0, kStageCount - 1)];
}

std::string BuildStageInto(Output& out, int stage, StageScene* scene) {
    std::string block = BuildStage(out, stage, scene);
    if (scene) {
        size_t f = block.find("\nfog:");
        if (f != std::string::npos)
            std::sscanf(block.c_str() + f + 5, "%f:%f", &scene->fogStart, &scene->fogEnd);
    }
    return block;
}

void DrawStageInto(Renderer& r, const StageScene& sc, V3 eye, V3 target, float viewRadius) {
    View3D v;
    v.eye = eye;
    v.target = target;
    v.fovY = 45 * kPi / 180;
    v.farZ = 40000;
    r.SetView(v);
    r.Clear(Rgb(0x000000));
    Shading skySh;
    skySh.ambient = {1, 1, 1, 1};
    skySh.light = {0, 0, 0, 1};
    skySh.depthWrite = false;
    r.Draw(sc.sky, Mat4::Translation(eye.x, eye.y - 16, eye.z + 90), {&sc.skyTexture}, skySh);
    r.SetFog(sc.fogStart, sc.fogEnd, Rgb(0x000000));
    std::vector<const Image*> tex;
    for (const Image& t : sc.textures) tex.push_back(t.W() > 0 ? &t : nullptr);
    Shading sh;
    sh.useVertexColor = true;
    if (sc.floor) {
        // The rows start at the row under the eye, so that the ground reaches the view's
        // bottom edge even when the looked-at point lies on the first row's near edge.
        float base = std::floor(std::min(eye.z, target.z) / sc.mapz) * sc.mapz;
        for (int row = sc.mapnumz - 1; row >= 0; --row)
            for (int c = 0; c < sc.mapnumx; ++c)
                for (const auto& part : sc.parts)
                    r.Draw(
                        part.mesh,
                        part.world * Mat4::Translation(c * sc.mapx - (sc.mapnumx - 1) * sc.mapx / 2,
                                                       sc.mapposy, row * sc.mapz + base),
                        tex, sh);
        return;
    }
    for (const auto& part : sc.parts) {
        if (viewRadius > 0) {
            V3 c{};
            for (size_t i = 0; i < part.mesh.verts.size(); i += 97) c = c + part.mesh.verts[i].p;
            c = c * (97.0f / std::max<size_t>(1, part.mesh.verts.size()));
            if (Length(V3{c.x - eye.x, 0, c.z - eye.z}) > viewRadius) continue;
        }
        r.Draw(part.mesh, part.world, tex, sh);
    }
}

Image RenderStageView(const StageScene& sc, int w, int h, size_t key) {
    Renderer r(w, h);
    V3 eye, target;
    if (!sc.rail.empty()) {
        size_t k = key % sc.rail.size();
        V3 p = sc.rail[k], t = sc.look.empty() ? sc.rail[(k + 36) % sc.rail.size()] : sc.look[k];
        V3 d = Normalize(V3{t.x - p.x, 0, t.z - p.z});
        eye = p - d * 90 + V3{0, 16, 0};
        target = p + V3{0, 2, 0};
    } else {
        float z = key * sc.scroll;
        eye = {0, 16, z - 90};
        target = {0, 2, z};
    }
    DrawStageInto(r, sc, eye, target);
    // The game's world is the files' mirror image.
    return r.Frame().FlippedX();
}

namespace {

// The stage's code in the bottom left corner of its picture, on the line of its name: the
// stage select's pointing hand comes in at the pictures' upper half. Its style and where its
// em box lies.
TextStyle StageCodeStyle() {
    return MenuText(18, pal::kWhite, pal::kGold, pal::kInk, 2);
}
constexpr float kStageCodeX = 6, kStageCodeY = 106;

Image StagePicture(const StageScene& scene, int st) {
    Image pic = RenderStageView(scene, 160, 120, scene.rail.empty() ? 400 : scene.rail.size() / 5);
    DrawText(pic, kLooks[st].code, kStageCodeX, kStageCodeY, Align::Left, StageCodeStyle());
    TextStyle name = MenuText(13, pal::kWhite, pal::kSky, pal::kInk, 1.5f);
    DrawText(pic, kLooks[st].name, 154, 108, Align::Right, name);
    return pic;
}

Image StageSheet(const std::vector<Image>& pictures) {
    Image sheet(512, 1024, Rgb(0x000000));
    for (int st = 0; st < kStageCount; ++st)
        sheet.Draw(pictures[static_cast<size_t>(st)], 160 * (st % 3), 120 * (st / 3));
    // The two cells beside the extra stage: the emblem on a dark plate.
    for (int c = 1; c < 3; ++c) {
        Image cell(160, 120, Rgb(0x0A1030));
        DrawEmblem(cell, 80, 60, 48, Rgb(0x2A4AA0), pal::kGold);
        sheet.Draw(cell, 160 * c, 120 * 6);
    }
    return sheet;
}

}  // namespace

TexelBox StageCodeBox(int stage) {
    if (stage < 0 || stage >= kStageCount) return {0, 0, 0, 0};
    TextStyle st = StageCodeStyle();
    float w = TextWidth(kLooks[stage].code, st), half = st.size / 2 + st.outlineWidth;
    float x = static_cast<float>(160 * (stage % 3)), y = static_cast<float>(120 * (stage / 3));
    return {x + kStageCodeX - st.outlineWidth, y + kStageCodeY - half,
            x + kStageCodeX + w + st.outlineWidth, y + kStageCodeY + half};
}

void AddStageJobs(std::vector<Job>& jobs) {
    // One job per stage writes its files, its index block and its picture for the stage
    // select; the last one to finish writes the index and the sheet of pictures.
    struct Shared {
        std::vector<std::string> blocks = std::vector<std::string>(kStageCount);
        std::vector<Image> pictures = std::vector<Image>(kStageCount);
        std::atomic<int> done{0};
    };
    auto shared = std::make_shared<Shared>();
    for (int st = 0; st < kStageCount; ++st)
        jobs.push_back(
            {std::string("stage ") + kLooks[st].code, [st, shared](Output& out) {
                 StageScene scene;
                 shared->blocks[static_cast<size_t>(st)] = BuildStageInto(out, st, &scene);
                 shared->pictures[static_cast<size_t>(st)] = StagePicture(scene, st);
                 if (shared->done.fetch_add(1) + 1 != kStageCount) return;
                 std::string idx = "// Stage index: one block per stage, in stage order.\n";
                 for (const std::string& b : shared->blocks) idx += "\n" + b;
                 out.AddText("idx/stage.idx", idx);
                 AddBmp(out, "bmp/pracss.bmp", StageSheet(shared->pictures), BmpMode::Opaque);
             }});
}

}  // namespace mk
