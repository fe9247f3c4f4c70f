#include "tools/mkdata/modelkit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <mutex>

namespace mk {

namespace {

std::mutex gThumbLock;
bool gCollect = false;
std::vector<std::pair<std::string, Image>> gThumbs;

void PaintSwatch(Image& tex, int cell, const Palette& p, uint32_t seed) {
    const int x0 = (cell % 4) * 64, y0 = (cell / 4) * 64;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float u = x / 64.0f, v = y / 64.0f;
            float n = Fbm(u * 4, v * 4, seed + cell, 3, 4);
            Color c;
            switch (cell) {
                case kMain:
                case kSecond: {
                    c = cell == kMain ? p.main : p.second;
                    c = Scale(c, 0.88f + 0.2f * n);
                    if (x % 32 == 0 || y % 24 == 0) c = Scale(c, 0.7f);  // panel lines
                    if ((x % 32 == 4) && (y % 8 == 4)) c = Mix(c, Rgb(0xFFFFFF), 0.4f);  // rivets
                    break;
                }
                case kDark:
                    c = Scale(p.dark, 0.85f + 0.3f * n);
                    break;
                case kLight:
                    c = Scale(p.light, 0.9f + 0.2f * n);
                    if (y % 16 == 0) c = Scale(c, 0.8f);
                    break;
                case kGlass:
                    c = Mix(Rgb(0x2A5A90), Rgb(0xC8F0FF),
                            std::pow(1 - v, 2.0f) * 0.8f + (u + v < 0.6f ? 0.2f : 0));
                    break;
                case kGlow:
                    c = Mix(p.glow, Rgb(0xFFFFFF),
                            std::max(0.0f, 1 - std::hypot(u - 0.5f, v - 0.5f) * 2.2f));
                    break;
                case kStripe:
                    if (p.hatched) {
                        c = ((x + y) / 8) % 2 ? p.stripe : Scale(p.stripe, 0.25f);
                    } else {
                        c = Scale(p.stripe, 0.9f + 0.15f * n);
                        if (x % 32 == 0 || y % 24 == 0) c = Scale(c, 0.75f);  // panel lines
                    }
                    break;
                case kBlack:
                    c = Scale(Rgb(0x202228), 0.8f + 0.4f * n);
                    break;
                case kEye: {
                    float d = std::hypot(u - 0.5f, v - 0.5f);
                    c = d < 0.2f    ? Rgb(0x101010)
                        : d < 0.4f  ? p.glow
                        : d < 0.48f ? Rgb(0x303030)
                                    : p.dark;
                    if (std::hypot(u - 0.42f, v - 0.4f) < 0.07f) c = Rgb(0xFFFFFF);
                    break;
                }
                case kWood:
                    c = Mix(Rgb(0x6A4020), Rgb(0xA87040), 0.5f + 0.5f * std::sin(v * 40 + n * 6));
                    break;
                case kNumber:
                    c = p.main;
                    if (std::fabs(u - 0.5f) < 0.3f && std::fabs(v - 0.5f) < 0.3f &&
                        (std::fabs(u - 0.5f) > 0.18f || std::fabs(v - 0.5f) > 0.18f))
                        c = p.stripe;
                    break;
                case kCamo:
                    c = n > 0.55f ? Scale(p.main, 0.7f) : n > 0.45f ? p.second : p.main;
                    break;
                case kGold:
                    c = Mix(Rgb(0xB07A10), Rgb(0xFFE9A0), n);
                    break;
                case kRed:
                    c = Mix(Rgb(0xA01A10), Rgb(0xFF5A3A), n);
                    break;
                case kPanel:
                    c = Scale(p.light, 0.7f + 0.3f * n);
                    if (x % 16 < 2 || y % 16 < 2) c = Scale(p.dark, 0.8f);
                    break;
                default:  // tread
                    c = (y / 6) % 2 ? Rgb(0x2A2A2A) : Rgb(0x4A4A48);
                    break;
            }
            c.a = 1;
            tex.Px(x0 + x, y0 + y) = c;
        }
}

}  // namespace

Kit::Kit(std::string path, uint32_t seed, Palette pal, std::string texture)
    : path_(std::move(path)), tex_(256, 256), pal_(pal) {
    size_t slash = path_.rfind('/');
    folder_ = path_.substr(0, slash + 1);
    std::string base = path_.substr(slash + 1);
    texName_ = texture.empty() ? base.substr(0, base.find('.')) + ".bmp" : texture;
    for (int c = 0; c < 16; ++c) PaintSwatch(tex_, c, pal_, seed);
    nodes_.push_back({"Root", -1, Mat4{}, {}});
}

int Kit::Node(int parent, const std::string& name, const Mat4& local) {
    nodes_.push_back({name, parent, local, {}});
    return static_cast<int>(nodes_.size()) - 1;
}

Swatch Kit::Region(Sw s) const {
    int c = static_cast<int>(s);
    float u0 = ((c % 4) * 64 + 4) / 256.0f, v0 = ((c / 4) * 64 + 4) / 256.0f;
    return {u0, v0, u0 + 56 / 256.0f, v0 + 56 / 256.0f};
}

Mesh& Kit::MeshOf(int node) {
    return nodes_[static_cast<size_t>(node)].mesh;
}

MeshBuilder Kit::Build(int node, Sw swatch) {
    MeshBuilder b(nodes_[static_cast<size_t>(node)].mesh);
    b.Uv(Region(swatch));
    return b;
}

void Kit::Hold(int node) {
    Animation a;
    a.frame = nodes_[static_cast<size_t>(node)].name;
    Quat q = QuatFromMatrix(nodes_[static_cast<size_t>(node)].local);
    a.rot = {{0, q}, {static_cast<uint32_t>(kTicks * 60), q}};
    anims_.push_back(a);
}

void Kit::Spin(int node, V3 axis, float periodTicks, float startTicks) {
    Animation a;
    a.frame = nodes_[static_cast<size_t>(node)].name;
    Mat4 base = nodes_[static_cast<size_t>(node)].local;
    base.m[3][0] = base.m[3][1] = base.m[3][2] = 0;
    for (int k = 0; k <= 4; ++k) {
        float ang = 2 * kPi * k / 4 + startTicks;
        Quat q = QuatFromMatrix(Mat4::RotationAxis(axis, ang) * base);
        a.rot.push_back({static_cast<uint32_t>(std::lround(periodTicks * kTicks * k / 4)), q});
    }
    anims_.push_back(a);
}

void Kit::Swing(int node, V3 axis, float amplitude, float periodTicks, float phase) {
    Animation a;
    a.frame = nodes_[static_cast<size_t>(node)].name;
    Mat4 base = nodes_[static_cast<size_t>(node)].local;
    base.m[3][0] = base.m[3][1] = base.m[3][2] = 0;
    for (int k = 0; k <= 8; ++k) {
        float ang = amplitude * std::sin(2 * kPi * k / 8 + phase);
        Quat q = QuatFromMatrix(Mat4::RotationAxis(axis, ang) * base);
        a.rot.push_back({static_cast<uint32_t>(std::lround(periodTicks * kTicks * k / 8)), q});
    }
    anims_.push_back(a);
}

void Kit::Pulse(int node, float amount, float periodTicks) {
    Animation a;
    a.frame = nodes_[static_cast<size_t>(node)].name;
    for (int k = 0; k <= 4; ++k) {
        float s = 1 + amount * ((k % 2) ? 1.0f : -0.3f);
        a.scale.push_back(
            {static_cast<uint32_t>(std::lround(periodTicks * kTicks * k / 4)), {s, s, s}});
    }
    Quat q = QuatFromMatrix(nodes_[static_cast<size_t>(node)].local);
    a.rot = {{0, q}, {static_cast<uint32_t>(std::lround(periodTicks * kTicks)), q}};
    anims_.push_back(a);
}

void Kit::Track(int node, const std::vector<RotKey>& keys) {
    Animation a;
    a.frame = nodes_[static_cast<size_t>(node)].name;
    a.rot = keys;
    anims_.push_back(a);
}

void Kit::OrderByListIndex(const std::vector<int>& index) {
    // The game lists the tracks newest first: list index i is file position n - 1 - i.
    const size_t n = anims_.size();
    if (index.size() != n) {
        std::fprintf(stderr, "mkdata: %s has %zu tracks, %zu places given\n", path_.c_str(), n,
                     index.size());
        std::exit(1);
    }
    std::vector<Animation> ordered(n);
    for (size_t k = 0; k < n; ++k) ordered[n - 1 - static_cast<size_t>(index[k])] = anims_[k];
    anims_ = ordered;
}

Mat4 Kit::BindMatrix(int node) const {
    Mat4 m;
    for (int n = node; n > 0; n = nodes_[static_cast<size_t>(n)].parent)
        m = m * nodes_[static_cast<size_t>(n)].local;
    return m;
}

void Kit::Skin(int node, const std::vector<int>& bones,
               const std::function<std::vector<float>(V3)>& weights) {
    Mesh& mesh = nodes_[static_cast<size_t>(node)].mesh;
    Mat4 meshBind = BindMatrix(node);
    mesh.skin.clear();
    for (int b : bones) {
        SkinWeight w;
        w.bone = nodes_[static_cast<size_t>(b)].name;
        // Mesh space to bone space at the bind pose.
        w.offset = meshBind * Inverse(BindMatrix(b));
        mesh.skin.push_back(w);
    }
    for (size_t v = 0; v < mesh.verts.size(); ++v) {
        std::vector<float> ws = weights(mesh.verts[v].p);
        float sum = 0;
        for (float x : ws) sum += x;
        for (size_t b = 0; b < bones.size() && b < ws.size(); ++b) {
            if (ws[b] <= 0.001f) continue;
            mesh.skin[b].vertices.push_back(static_cast<int>(v));
            mesh.skin[b].weights.push_back(ws[b] / sum);
        }
    }
    // A bone that moves no vertex is still listed with none.
}

void Kit::CentreAlongZ() {
    float lo = 1e9f, hi = -1e9f;
    for (size_t i = 1; i < nodes_.size(); ++i) {
        Mat4 bind = BindMatrix(static_cast<int>(i));
        for (const auto& v : nodes_[i].mesh.verts) {
            float z = TransformPoint(v.p, bind).z;
            lo = std::min(lo, z);
            hi = std::max(hi, z);
        }
    }
    if (lo <= hi) nodes_[0].local = Mat4::Translation(0, 0, -(lo + hi) / 2);
}

void Kit::FitTurningRadius(float radius) {
    float reach = 0;
    for (size_t i = 1; i < nodes_.size(); ++i) {
        Mat4 bind = BindMatrix(static_cast<int>(i)) * nodes_[0].local;
        for (const auto& v : nodes_[i].mesh.verts) {
            V3 p = TransformPoint(v.p, bind);
            reach = std::max(reach, std::hypot(p.x, p.z));
        }
    }
    if (reach > radius)
        nodes_[0].local =
            nodes_[0].local * Mat4::Scaling(radius / reach, radius / reach, radius / reach);
}

Frame Kit::BuildFrame(int node) const {
    const NodeData& d = nodes_[static_cast<size_t>(node)];
    Frame f;
    f.name = d.name;
    f.local = d.local;
    if (!d.mesh.tris.empty()) {
        Mesh m = d.mesh;
        m.name = d.name + "_mesh";
        f.meshes.push_back(m);
    }
    for (size_t i = 0; i < nodes_.size(); ++i)
        if (nodes_[i].parent == node) f.children.push_back(BuildFrame(static_cast<int>(i)));
    return f;
}

void Kit::Render(Renderer& r, const Mat4& world, const Shading& sh) const {
    std::vector<const Image*> tex = {&tex_};
    for (size_t i = 1; i < nodes_.size(); ++i)
        if (!nodes_[i].mesh.tris.empty())
            r.Draw(nodes_[i].mesh, BindMatrix(static_cast<int>(i)) * world, tex, sh);
}

void Kit::Write(Output& out) {
    Model m;
    Material mat;
    mat.name = "skin";
    mat.diffuse = {diffuse_, diffuse_, diffuse_, 1};
    mat.emissive = {emissive_, emissive_, emissive_, 1};
    mat.specular = {0.3f, 0.3f, 0.3f, 1};
    mat.power = 12;
    mat.texture = texName_;
    m.materials = {mat};
    // The root frame holds the parts.
    Frame root = BuildFrame(0);
    m.root = root;
    AnimationSet set;
    set.name = "motion";
    for (size_t i = 0; i < anims_.size(); ++i) {
        anims_[i].name = "track" + std::to_string(i);
        set.anims.push_back(anims_[i]);
    }
    if (!set.anims.empty()) m.sets.push_back(set);
    out.AddText(path_, WriteX(m));
    AddBmp(out, folder_ + texName_, tex_, BmpMode::Opaque, Place::VolumeArchive);
    if (gCollect) {
        float radius = 1;
        for (size_t i = 1; i < nodes_.size(); ++i)
            for (const Vertex& v : nodes_[i].mesh.verts)
                radius =
                    std::max(radius, Length(TransformPoint(v.p, BindMatrix(static_cast<int>(i)))));
        Image sheet(384, 128);
        for (int view = 0; view < 3; ++view) {
            Renderer r(128, 128);
            r.Clear(Rgb(0x506070));
            float a = view * 2.1f + 0.6f;
            View3D v;
            v.eye = {std::sin(a) * radius * 2.6f, radius * (view == 2 ? 2.0f : 0.8f),
                     std::cos(a) * radius * 2.6f};
            v.target = {0, 0, 0};
            v.farZ = radius * 10;
            r.SetView(v);
            Shading sh;
            Render(r, Mat4{}, sh);
            sheet.Draw(r.Frame(), view * 128, 0);
        }
        std::lock_guard<std::mutex> guard(gThumbLock);
        gThumbs.push_back({path_, sheet});
    }
}

void CollectModelThumbnails(bool on) {
    gCollect = on;
}

std::vector<std::pair<std::string, Image>> ModelThumbnails() {
    std::lock_guard<std::mutex> guard(gThumbLock);
    auto t = gThumbs;
    std::sort(t.begin(), t.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    return t;
}

}  // namespace mk
