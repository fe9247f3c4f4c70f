#include "tools/mkdata/render3d.h"

#include <algorithm>
#include <cmath>

namespace mk {

Renderer::Renderer(int w, int h)
    : w_(w), h_(h), color_(static_cast<size_t>(w) * h), depth_(static_cast<size_t>(w) * h, 1e30f) {}

void Renderer::Clear(Color c) {
    std::fill(color_.begin(), color_.end(), Color{c.r, c.g, c.b, 1});
    std::fill(depth_.begin(), depth_.end(), 1e30f);
}

void Renderer::SetView(const View3D& v) {
    // Left-handed look-at and perspective, matching the models' own handedness.
    V3 z = Normalize(v.target - v.eye), x = Normalize(Cross(v.up, z)), y = Cross(z, x);
    Mat4 m;
    m.m[0][0] = x.x;
    m.m[1][0] = x.y;
    m.m[2][0] = x.z;
    m.m[0][1] = y.x;
    m.m[1][1] = y.y;
    m.m[2][1] = y.z;
    m.m[0][2] = z.x;
    m.m[1][2] = z.y;
    m.m[2][2] = z.z;
    m.m[3][0] = -Dot(x, v.eye);
    m.m[3][1] = -Dot(y, v.eye);
    m.m[3][2] = -Dot(z, v.eye);
    view_ = m;
    float f = 1 / std::tan(v.fovY / 2), aspect = static_cast<float>(w_) / h_;
    Mat4 p{};
    p.m[0][0] = f / aspect;
    p.m[1][1] = f;
    p.m[2][2] = v.farZ / (v.farZ - v.nearZ);
    p.m[2][3] = 1;
    p.m[3][2] = -v.nearZ * v.farZ / (v.farZ - v.nearZ);
    p.m[3][3] = 0;
    proj_ = p;
}

void Renderer::SetFog(float start, float end, Color c) {
    fogStart_ = start;
    fogEnd_ = end;
    fog_ = c;
}

namespace {

Color Sample(const Image* tex, float u, float v) {
    if (!tex) return {1, 1, 1, 1};
    float fu = u - std::floor(u), fv = v - std::floor(v);
    float x = fu * tex->W() - 0.5f, y = fv * tex->H() - 0.5f;
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float ax = x - ix, ay = y - iy;
    Color acc{};
    for (int k = 0; k < 4; ++k) {
        int sx = ((ix + (k & 1)) % tex->W() + tex->W()) % tex->W(),
            sy = ((iy + (k >> 1)) % tex->H() + tex->H()) % tex->H();
        float w = ((k & 1) ? ax : 1 - ax) * ((k >> 1) ? ay : 1 - ay);
        const Color& p = tex->Px(sx, sy);
        acc.r += p.r * w;
        acc.g += p.g * w;
        acc.b += p.b * w;
        acc.a += p.a * w;
    }
    return acc;
}

}  // namespace

void Renderer::Draw(const Mesh& mesh, const Mat4& world, const std::vector<const Image*>& textures,
                    const Shading& sh) {
    Mat4 wv = world * view_;
    Mat4 wvp = wv * proj_;
    V3 l = Normalize(sh.lightDir * -1.0f);
    std::vector<Clip> cv(mesh.verts.size());
    for (size_t i = 0; i < mesh.verts.size(); ++i) {
        const Vertex& v = mesh.verts[i];
        V3 p = v.p;
        Clip c;
        c.x = p.x * wvp.m[0][0] + p.y * wvp.m[1][0] + p.z * wvp.m[2][0] + wvp.m[3][0];
        c.y = p.x * wvp.m[0][1] + p.y * wvp.m[1][1] + p.z * wvp.m[2][1] + wvp.m[3][1];
        c.z = p.x * wvp.m[0][2] + p.y * wvp.m[1][2] + p.z * wvp.m[2][2] + wvp.m[3][2];
        c.w = p.x * wvp.m[0][3] + p.y * wvp.m[1][3] + p.z * wvp.m[2][3] + wvp.m[3][3];
        c.viewZ = TransformPoint(p, wv).z;
        c.u = v.u;
        c.v = v.v;
        if (sh.useVertexColor) {
            c.c = Rgb(v.color & 0xFFFFFF);
        } else {
            V3 n = TransformNormal(v.n, world);
            float k = std::max(0.0f, Dot(n, l));
            c.c = {sh.ambient.r + sh.light.r * k, sh.ambient.g + sh.light.g * k,
                   sh.ambient.b + sh.light.b * k, 1};
        }
        cv[i] = c;
    }
    auto lerp = [](const Clip& a, const Clip& b, float t) {
        Clip c;
        c.x = a.x + (b.x - a.x) * t;
        c.y = a.y + (b.y - a.y) * t;
        c.z = a.z + (b.z - a.z) * t;
        c.w = a.w + (b.w - a.w) * t;
        c.u = a.u + (b.u - a.u) * t;
        c.v = a.v + (b.v - a.v) * t;
        c.c = Mix(a.c, b.c, t);
        c.viewZ = a.viewZ + (b.viewZ - a.viewZ) * t;
        return c;
    };
    for (const Tri& t : mesh.tris) {
        const size_t mi = static_cast<size_t>(t.material);
        if (mi < textures.size() && !textures[mi]) continue;  // untextured subsets are not drawn
        const Image* tex = mi < textures.size() ? textures[mi] : nullptr;
        // Clip against the near plane (w >= 1), then draw the polygon as a fan.
        Clip in[3] = {cv[static_cast<size_t>(t.a)], cv[static_cast<size_t>(t.b)],
                      cv[static_cast<size_t>(t.c)]};
        Clip poly[4];
        int n = 0;
        for (int i = 0; i < 3; ++i) {
            const Clip& p = in[i];
            const Clip& q = in[(i + 1) % 3];
            bool pin = p.w >= 1, qin = q.w >= 1;
            if (pin) poly[n++] = p;
            if (pin != qin) poly[n++] = lerp(p, q, (1 - p.w) / (q.w - p.w));
        }
        for (int f = 1; f + 1 < n; ++f) Raster(poly[0], poly[f], poly[f + 1], tex, sh);
    }
}

void Renderer::Raster(const Clip& a, const Clip& b, const Clip& c, const Image* tex,
                      const Shading& sh) {
    {
        auto sx = [&](const Clip& p) { return (p.x / p.w * 0.5f + 0.5f) * w_; };
        auto sy = [&](const Clip& p) { return (0.5f - p.y / p.w * 0.5f) * h_; };
        float x0 = sx(a), y0 = sy(a), x1 = sx(b), y1 = sy(b), x2 = sx(c), y2 = sy(c);
        float area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0);
        if (std::fabs(area) < 1e-6f) return;
        int minx = std::max(0, static_cast<int>(std::floor(std::min({x0, x1, x2}))));
        int maxx = std::min(w_ - 1, static_cast<int>(std::ceil(std::max({x0, x1, x2}))));
        int miny = std::max(0, static_cast<int>(std::floor(std::min({y0, y1, y2}))));
        int maxy = std::min(h_ - 1, static_cast<int>(std::ceil(std::max({y0, y1, y2}))));
        float ia = 1 / a.w, ib = 1 / b.w, ic = 1 / c.w;
        for (int y = miny; y <= maxy; ++y)
            for (int x = minx; x <= maxx; ++x) {
                float px = x + 0.5f, py = y + 0.5f;
                float w0 = ((x1 - px) * (y2 - py) - (x2 - px) * (y1 - py)) / area;
                float w1 = ((x2 - px) * (y0 - py) - (x0 - px) * (y2 - py)) / area;
                float w2 = 1 - w0 - w1;
                if (w0 < 0 || w1 < 0 || w2 < 0) continue;
                float iw = w0 * ia + w1 * ib + w2 * ic;
                float depth = (w0 * a.viewZ * ia + w1 * b.viewZ * ib + w2 * c.viewZ * ic) / iw;
                size_t idx = static_cast<size_t>(y) * w_ + x;
                if (sh.depthTest && depth >= depth_[idx]) continue;
                float u = (w0 * a.u * ia + w1 * b.u * ib + w2 * c.u * ic) / iw;
                float v = (w0 * a.v * ia + w1 * b.v * ib + w2 * c.v * ic) / iw;
                Color shade{(w0 * a.c.r * ia + w1 * b.c.r * ib + w2 * c.c.r * ic) / iw,
                            (w0 * a.c.g * ia + w1 * b.c.g * ib + w2 * c.c.g * ic) / iw,
                            (w0 * a.c.b * ia + w1 * b.c.b * ib + w2 * c.c.b * ic) / iw, 1};
                Color tx = Sample(tex, u, v);
                Color out{std::min(1.0f, tx.r * shade.r * sh.brightness),
                          std::min(1.0f, tx.g * shade.g * sh.brightness),
                          std::min(1.0f, tx.b * shade.b * sh.brightness), 1};
                if (fogEnd_ > fogStart_ && fogStart_ > 0) {
                    float f = std::clamp((depth - fogStart_) / (fogEnd_ - fogStart_), 0.0f, 1.0f);
                    out = Mix(out, fog_, f);
                }
                Color& d = color_[idx];
                if (sh.additive) {
                    d = {std::min(1.0f, d.r + out.r), std::min(1.0f, d.g + out.g),
                         std::min(1.0f, d.b + out.b), 1};
                } else {
                    d = out;
                }
                if (sh.depthWrite) depth_[idx] = depth;
            }
    }
}

Image Renderer::Frame() const {
    Image img(w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) img.Px(x, y) = color_[static_cast<size_t>(y) * w_ + x];
    return img;
}

}  // namespace mk
