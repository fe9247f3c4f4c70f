#include "tools/mkdata/image.h"

#include <algorithm>
#include <cmath>

namespace mk {

Color Rgb(uint32_t rgb, float a) {
    return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, a};
}

Color Mix(Color x, Color y, float t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

Color Scale(Color c, float k) {
    return {c.r * k, c.g * k, c.b * k, c.a};
}

Color WithAlpha(Color c, float a) {
    return {c.r, c.g, c.b, a};
}

// ---------------------------------------------------------------- paths

Path& Path::MoveTo(float x, float y) {
    contours_.push_back({{x, y}});
    return *this;
}

Path& Path::LineTo(float x, float y) {
    if (contours_.empty()) contours_.push_back({});
    contours_.back().push_back({x, y});
    return *this;
}

Path& Path::QuadTo(float cx, float cy, float x, float y) {
    if (contours_.empty() || contours_.back().empty()) return LineTo(x, y);
    Vec2 p0 = contours_.back().back();
    const int n = 12;
    for (int i = 1; i <= n; ++i) {
        float t = static_cast<float>(i) / n, u = 1 - t;
        LineTo(u * u * p0.x + 2 * u * t * cx + t * t * x,
               u * u * p0.y + 2 * u * t * cy + t * t * y);
    }
    return *this;
}

Path& Path::CubicTo(float c1x, float c1y, float c2x, float c2y, float x, float y) {
    if (contours_.empty() || contours_.back().empty()) return LineTo(x, y);
    Vec2 p0 = contours_.back().back();
    const int n = 16;
    for (int i = 1; i <= n; ++i) {
        float t = static_cast<float>(i) / n, u = 1 - t;
        float a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
        LineTo(a * p0.x + b * c1x + c * c2x + d * x, a * p0.y + b * c1y + c * c2y + d * y);
    }
    return *this;
}

Path& Path::Close() {
    return *this;
}  // contours are always closed when filled

Path& Path::Add(const Path& other) {
    contours_.insert(contours_.end(), other.contours_.begin(), other.contours_.end());
    return *this;
}

Path& Path::Rect(float x, float y, float w, float h) {
    MoveTo(x, y);
    LineTo(x + w, y);
    LineTo(x + w, y + h);
    LineTo(x, y + h);
    return *this;
}

Path& Path::RoundRect(float x, float y, float w, float h, float r) {
    r = std::min(r, std::min(w, h) * 0.5f);
    if (r <= 0) return Rect(x, y, w, h);
    const int n = 8;
    auto arc = [&](float cx, float cy, float a0) {
        for (int i = 0; i <= n; ++i) {
            float a = a0 + (kPi / 2) * i / n;
            LineTo(cx + std::cos(a) * r, cy + std::sin(a) * r);
        }
    };
    contours_.push_back({});
    arc(x + w - r, y + r, -kPi / 2);
    arc(x + w - r, y + h - r, 0);
    arc(x + r, y + h - r, kPi / 2);
    arc(x + r, y + r, kPi);
    return *this;
}

Path& Path::Ellipse(float cx, float cy, float rx, float ry) {
    int n = std::clamp(static_cast<int>(std::max(rx, ry) * 1.5f), 16, 256);
    contours_.push_back({});
    for (int i = 0; i < n; ++i) {
        float a = 2 * kPi * i / n;
        contours_.back().push_back({cx + std::cos(a) * rx, cy + std::sin(a) * ry});
    }
    return *this;
}

Path& Path::Polygon(const std::vector<Vec2>& pts) {
    contours_.push_back(pts);
    return *this;
}

Path& Path::Star(float cx, float cy, float outer, float inner, int points, float rot) {
    contours_.push_back({});
    for (int i = 0; i < points * 2; ++i) {
        float a = rot - kPi / 2 + kPi * i / points;
        float r = (i % 2) ? inner : outer;
        contours_.back().push_back({cx + std::cos(a) * r, cy + std::sin(a) * r});
    }
    return *this;
}

namespace {

// Orients a contour counter-clockwise in y-down screen space (positive signed area as
// computed here), so that pieces of one stroke add up under the non-zero rule.
void OrientPositive(std::vector<Vec2>& c) {
    float area = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        const Vec2& a = c[i];
        const Vec2& b = c[(i + 1) % c.size()];
        area += a.x * b.y - b.x * a.y;
    }
    if (area < 0) std::reverse(c.begin(), c.end());
}

}  // namespace

Path& Path::Stroke(const std::vector<Vec2>& pts, float width, bool closed) {
    if (pts.empty()) return *this;
    float h = width * 0.5f;
    size_t n = pts.size();
    size_t segs = closed ? n : n - 1;
    for (size_t i = 0; i < segs; ++i) {
        Vec2 a = pts[i], b = pts[(i + 1) % n];
        float dx = b.x - a.x, dy = b.y - a.y, l = std::sqrt(dx * dx + dy * dy);
        if (l < 1e-6f) continue;
        float nx = -dy / l * h, ny = dx / l * h;
        std::vector<Vec2> q = {
            {a.x + nx, a.y + ny}, {b.x + nx, b.y + ny}, {b.x - nx, b.y - ny}, {a.x - nx, a.y - ny}};
        OrientPositive(q);
        contours_.push_back(q);
    }
    for (size_t i = 0; i < n; ++i) {
        Path c;
        c.Circle(pts[i].x, pts[i].y, h);
        std::vector<Vec2> q = c.contours_[0];
        OrientPositive(q);
        contours_.push_back(q);
    }
    return *this;
}

Path& Path::Ring(float cx, float cy, float outer, float inner) {
    Path o, i;
    o.Circle(cx, cy, outer);
    i.Circle(cx, cy, inner);
    std::vector<Vec2> oc = o.contours_[0], ic = i.contours_[0];
    OrientPositive(oc);
    OrientPositive(ic);
    std::reverse(ic.begin(), ic.end());
    contours_.push_back(oc);
    contours_.push_back(ic);
    return *this;
}

Path Path::Transformed(float a, float b, float c, float d, float e, float f) const {
    Path out;
    for (const auto& ct : contours_) {
        out.contours_.push_back({});
        for (const Vec2& p : ct)
            out.contours_.back().push_back({a * p.x + b * p.y + c, d * p.x + e * p.y + f});
    }
    return out;
}

Path Path::Scaled(float sx, float sy, float ox, float oy) const {
    return Transformed(sx, 0, ox - sx * ox, 0, sy, oy - sy * oy);
}

Path Path::Rotated(float angle, float ox, float oy) const {
    float c = std::cos(angle), s = std::sin(angle);
    return Transformed(c, -s, ox - c * ox + s * oy, s, c, oy - s * ox - c * oy);
}

// ---------------------------------------------------------------- rasteriser

float Mask::At(int x, int y) const {
    x -= x0;
    y -= y0;
    if (x < 0 || y < 0 || x >= w || y >= h) return 0;
    return cov[static_cast<size_t>(y) * w + x];
}

Mask Rasterize(const Path& path, int imageW, int imageH) {
    Mask m;
    float minx = 1e30f, miny = 1e30f, maxx = -1e30f, maxy = -1e30f;
    for (const auto& c : path.Contours())
        for (const Vec2& p : c) {
            minx = std::min(minx, p.x);
            miny = std::min(miny, p.y);
            maxx = std::max(maxx, p.x);
            maxy = std::max(maxy, p.y);
        }
    if (minx > maxx) return m;
    m.x0 = std::max(0, static_cast<int>(std::floor(minx)));
    m.y0 = std::max(0, static_cast<int>(std::floor(miny)));
    int x1 = std::min(imageW, static_cast<int>(std::ceil(maxx)) + 1);
    int y1 = std::min(imageH, static_cast<int>(std::ceil(maxy)) + 1);
    if (x1 <= m.x0 || y1 <= m.y0) {
        m.w = m.h = 0;
        return m;
    }
    m.w = x1 - m.x0;
    m.h = y1 - m.y0;
    m.cov.assign(static_cast<size_t>(m.w) * m.h, 0.0f);

    struct Edge {
        float x0, y0, x1, y1;
        int dir;
    };
    std::vector<Edge> edges;
    for (const auto& c : path.Contours()) {
        size_t n = c.size();
        if (n < 3) continue;
        for (size_t i = 0; i < n; ++i) {
            Vec2 a = c[i], b = c[(i + 1) % n];
            if (a.y == b.y) continue;
            if (a.y < b.y)
                edges.push_back({a.x, a.y, b.x, b.y, 1});
            else
                edges.push_back({b.x, b.y, a.x, a.y, -1});
        }
    }
    std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) { return a.y0 < b.y0; });

    const int kSub = 5;  // sub-scanlines per pixel row
    const float kSubW = 1.0f / kSub;
    std::vector<std::pair<float, int>> xs;
    std::vector<float> row(static_cast<size_t>(m.w) + 2);
    for (int y = 0; y < m.h; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        bool any = false;
        for (int s = 0; s < kSub; ++s) {
            float sy = m.y0 + y + (s + 0.5f) * kSubW;
            xs.clear();
            for (size_t e = 0; e < edges.size(); ++e) {
                const Edge& ed = edges[e];
                if (ed.y0 > sy) break;
                if (ed.y1 <= sy) continue;
                float t = (sy - ed.y0) / (ed.y1 - ed.y0);
                xs.push_back({ed.x0 + (ed.x1 - ed.x0) * t - m.x0, ed.dir});
            }
            if (xs.size() < 2) continue;
            std::sort(xs.begin(), xs.end(),
                      [](const auto& a, const auto& b) { return a.first < b.first; });
            int wind = 0;
            for (size_t i = 0; i + 1 < xs.size(); ++i) {
                wind += xs[i].second;
                if (wind == 0) continue;
                float a = std::max(0.0f, xs[i].first),
                      b = std::min(static_cast<float>(m.w), xs[i + 1].first);
                if (b <= a) continue;
                any = true;
                int ia = static_cast<int>(a), ib = static_cast<int>(b);
                if (ia == ib) {
                    row[ia] += (b - a) * kSubW;
                } else {
                    row[ia] += (ia + 1 - a) * kSubW;
                    for (int x = ia + 1; x < ib; ++x) row[x] += kSubW;
                    if (ib < m.w) row[ib] += (b - ib) * kSubW;
                }
            }
        }
        if (!any) continue;
        float* out = &m.cov[static_cast<size_t>(y) * m.w];
        for (int x = 0; x < m.w; ++x) out[x] = std::min(1.0f, row[x]);
    }
    return m;
}

namespace {

Mask Expand(const Mask& m, int grow, int imageW, int imageH) {
    Mask o;
    o.x0 = std::max(0, m.x0 - grow);
    o.y0 = std::max(0, m.y0 - grow);
    int x1 = std::min(imageW, m.x0 + m.w + grow), y1 = std::min(imageH, m.y0 + m.h + grow);
    o.w = std::max(0, x1 - o.x0);
    o.h = std::max(0, y1 - o.y0);
    o.cov.assign(static_cast<size_t>(o.w) * o.h, 0.0f);
    return o;
}

}  // namespace

Mask Dilate(const Mask& m, float r, int imageW, int imageH) {
    int g = static_cast<int>(std::ceil(r)) + 1;
    Mask o = Expand(m, g, imageW, imageH);
    // Disk offsets with a soft rim.
    struct Off {
        int dx, dy;
        float k;
    };
    std::vector<Off> offs;
    for (int dy = -g; dy <= g; ++dy)
        for (int dx = -g; dx <= g; ++dx) {
            float d = std::sqrt(static_cast<float>(dx * dx + dy * dy));
            float k = std::clamp(r + 0.5f - d, 0.0f, 1.0f);
            if (k > 0) offs.push_back({dx, dy, k});
        }
    for (int y = 0; y < o.h; ++y)
        for (int x = 0; x < o.w; ++x) {
            float best = 0;
            int ix = o.x0 + x, iy = o.y0 + y;
            for (const Off& f : offs) {
                float v = m.At(ix + f.dx, iy + f.dy) * f.k;
                if (v > best) best = v;
                if (best >= 1) break;
            }
            o.cov[static_cast<size_t>(y) * o.w + x] = best;
        }
    return o;
}

namespace {

void BoxBlurLine(float* data, int n, int stride, int r, std::vector<float>& tmp) {
    tmp.resize(n);
    float acc = 0;
    int win = 2 * r + 1;
    for (int i = -r; i <= r; ++i)
        acc += data[std::clamp(i, 0, n - 1) * stride] * (i >= 0 && i < n ? 1 : 0);
    for (int i = 0; i < n; ++i) {
        tmp[i] = acc / win;
        int add = i + r + 1, sub = i - r;
        if (add < n) acc += data[add * stride];
        if (sub >= 0) acc -= data[sub * stride];
    }
    for (int i = 0; i < n; ++i) data[i * stride] = tmp[i];
}

}  // namespace

Mask BlurMask(const Mask& m, float radius, int imageW, int imageH) {
    int r = std::max(1, static_cast<int>(radius / 1.7f + 0.5f));
    Mask o = Expand(m, 3 * r + 1, imageW, imageH);
    for (int y = 0; y < o.h; ++y)
        for (int x = 0; x < o.w; ++x)
            o.cov[static_cast<size_t>(y) * o.w + x] = m.At(o.x0 + x, o.y0 + y);
    std::vector<float> tmp;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < o.h; ++y)
            BoxBlurLine(&o.cov[static_cast<size_t>(y) * o.w], o.w, 1, r, tmp);
        for (int x = 0; x < o.w; ++x) BoxBlurLine(&o.cov[x], o.h, o.w, r, tmp);
    }
    return o;
}

// ---------------------------------------------------------------- paints

Paint Solid(Color c) {
    return [c](float, float) { return c; };
}

Color SampleStops(const std::vector<Stop>& stops, float t) {
    if (stops.empty()) return {};
    if (t <= stops.front().t) return stops.front().c;
    for (size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].t) {
            float span = stops[i].t - stops[i - 1].t;
            return Mix(stops[i - 1].c, stops[i].c, span > 0 ? (t - stops[i - 1].t) / span : 0);
        }
    return stops.back().c;
}

Paint Linear(float x0, float y0, float x1, float y1, std::vector<Stop> stops) {
    float dx = x1 - x0, dy = y1 - y0, l2 = dx * dx + dy * dy;
    return [=](float x, float y) {
        float t = l2 > 0 ? ((x - x0) * dx + (y - y0) * dy) / l2 : 0;
        return SampleStops(stops, t);
    };
}

Paint Radial(float cx, float cy, float r, std::vector<Stop> stops) {
    return [=](float x, float y) {
        float d = std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy));
        return SampleStops(stops, r > 0 ? d / r : 0);
    };
}

// ---------------------------------------------------------------- image

Image::Image(int w, int h, Color fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h) {
    Clear(fill);
}

void Image::Clear(Color c) {
    Color p{c.r * c.a, c.g * c.a, c.b * c.a, c.a};
    std::fill(px_.begin(), px_.end(), p);
}

Color Image::Straight(int x, int y) const {
    Color p = Px(x, y);
    if (p.a <= 0) return {0, 0, 0, 0};
    return {p.r / p.a, p.g / p.a, p.b / p.a, p.a};
}

namespace {

inline void Composite(Color& d, Color s, float k, Blend blend) {
    // s is straight; k is coverage x opacity.
    float a = std::clamp(s.a * k, 0.0f, 1.0f);
    float sr = s.r * a, sg = s.g * a, sb = s.b * a;
    switch (blend) {
        case Blend::Over:
            d.r = sr + d.r * (1 - a);
            d.g = sg + d.g * (1 - a);
            d.b = sb + d.b * (1 - a);
            d.a = a + d.a * (1 - a);
            break;
        case Blend::Add:
            d.r = std::min(1.0f, d.r + sr);
            d.g = std::min(1.0f, d.g + sg);
            d.b = std::min(1.0f, d.b + sb);
            d.a = std::min(1.0f, d.a + a);
            break;
        case Blend::Multiply:
            d.r *= 1 - a + a * s.r;
            d.g *= 1 - a + a * s.g;
            d.b *= 1 - a + a * s.b;
            break;
        case Blend::Screen:
            d.r = d.r + sr - d.r * sr;
            d.g = d.g + sg - d.g * sg;
            d.b = d.b + sb - d.b * sb;
            d.a = d.a + a - d.a * a;
            break;
        case Blend::Replace: {
            float ka = std::clamp(k, 0.0f, 1.0f);
            Color n{s.r * s.a, s.g * s.a, s.b * s.a, s.a};
            d = {d.r + (n.r - d.r) * ka, d.g + (n.g - d.g) * ka, d.b + (n.b - d.b) * ka,
                 d.a + (n.a - d.a) * ka};
            break;
        }
    }
}

}  // namespace

void Image::FillMask(const Mask& m, const Paint& paint, float opacity, Blend blend) {
    for (int y = 0; y < m.h; ++y) {
        int iy = m.y0 + y;
        if (iy < 0 || iy >= h_) continue;
        for (int x = 0; x < m.w; ++x) {
            int ix = m.x0 + x;
            if (ix < 0 || ix >= w_) continue;
            float c = m.cov[static_cast<size_t>(y) * m.w + x];
            if (c <= 0) continue;
            Composite(Px(ix, iy), paint(ix + 0.5f, iy + 0.5f), c * opacity, blend);
        }
    }
}

void Image::Fill(const Path& p, const Paint& paint, float opacity, Blend blend) {
    FillMask(Rasterize(p, w_, h_), paint, opacity, blend);
}

void Image::FillRect(float x, float y, float w, float h, const Paint& paint, Blend blend) {
    Path p;
    p.Rect(x, y, w, h);
    Fill(p, paint, 1, blend);
}

void Image::FillOutlined(const Path& p, const Paint& paint, Color outline, float width) {
    Mask m = Rasterize(p, w_, h_);
    FillMask(Dilate(m, width, w_, h_), Solid(outline));
    FillMask(m, paint);
}

void Image::Shadow(const Path& p, float dx, float dy, float blur, Color c) {
    Mask m = Rasterize(p.Translated(dx, dy), w_, h_);
    FillMask(BlurMask(m, blur, w_, h_), Solid(c));
}

void Image::Glow(const Path& p, float radius, Color c, Blend blend) {
    Mask m = Rasterize(p, w_, h_);
    FillMask(BlurMask(Dilate(m, radius * 0.3f, w_, h_), radius, w_, h_), Solid(c), 1, blend);
}

void Image::Draw(const Image& src, int dx, int dy, float opacity, Blend blend) {
    for (int y = 0; y < src.h_; ++y) {
        int iy = dy + y;
        if (iy < 0 || iy >= h_) continue;
        for (int x = 0; x < src.w_; ++x) {
            int ix = dx + x;
            if (ix < 0 || ix >= w_) continue;
            Color s = src.Straight(x, y);
            if (s.a <= 0) continue;
            Composite(Px(ix, iy), s, opacity, blend);
        }
    }
}

void Image::DrawScaled(const Image& src, float dx, float dy, float dw, float dh, float opacity) {
    int x0 = std::max(0, static_cast<int>(std::floor(dx))),
        y0 = std::max(0, static_cast<int>(std::floor(dy)));
    int x1 = std::min(w_, static_cast<int>(std::ceil(dx + dw))),
        y1 = std::min(h_, static_cast<int>(std::ceil(dy + dh)));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float u = (x + 0.5f - dx) / dw * src.w_ - 0.5f,
                  v = (y + 0.5f - dy) / dh * src.h_ - 0.5f;
            if (u < -0.5f || v < -0.5f || u > src.w_ - 0.5f || v > src.h_ - 0.5f) continue;
            int iu = static_cast<int>(std::floor(u)), iv = static_cast<int>(std::floor(v));
            float fu = u - iu, fv = v - iv;
            Color acc{};
            for (int k = 0; k < 4; ++k) {
                int sx = std::clamp(iu + (k & 1), 0, src.w_ - 1),
                    sy = std::clamp(iv + (k >> 1), 0, src.h_ - 1);
                float wgt = ((k & 1) ? fu : 1 - fu) * ((k >> 1) ? fv : 1 - fv);
                const Color& p = src.Px(sx, sy);
                acc.r += p.r * wgt;
                acc.g += p.g * wgt;
                acc.b += p.b * wgt;
                acc.a += p.a * wgt;
            }
            if (acc.a <= 0) continue;
            Composite(Px(x, y), {acc.r / acc.a, acc.g / acc.a, acc.b / acc.a, acc.a}, opacity,
                      Blend::Over);
        }
}

Image Image::Crop(int x, int y, int w, int h) const {
    Image o(w, h);
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i)
            if (x + i >= 0 && y + j >= 0 && x + i < w_ && y + j < h_) o.Px(i, j) = Px(x + i, y + j);
    return o;
}

Image Image::FlippedX() const {
    Image o(w_, h_);
    for (int j = 0; j < h_; ++j)
        for (int i = 0; i < w_; ++i) o.Px(i, j) = Px(w_ - 1 - i, j);
    return o;
}

void Image::Blur(float radius) {
    int r = std::max(1, static_cast<int>(radius / 1.7f + 0.5f));
    std::vector<float> ch(px_.size()), tmp;
    for (int c = 0; c < 4; ++c) {
        for (size_t i = 0; i < px_.size(); ++i) ch[i] = (&px_[i].r)[c];
        for (int pass = 0; pass < 3; ++pass) {
            for (int y = 0; y < h_; ++y)
                BoxBlurLine(&ch[static_cast<size_t>(y) * w_], w_, 1, r, tmp);
            for (int x = 0; x < w_; ++x) BoxBlurLine(&ch[x], h_, w_, r, tmp);
        }
        for (size_t i = 0; i < px_.size(); ++i) (&px_[i].r)[c] = ch[i];
    }
}

void Image::Tint(const Paint& paint, float amount) {
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            Color t = paint(x + 0.5f, y + 0.5f);
            Color& p = Px(x, y);
            float k = amount * t.a;
            p.r *= 1 - k + k * t.r;
            p.g *= 1 - k + k * t.g;
            p.b *= 1 - k + k * t.b;
        }
}

void Image::Threshold(float cut) {
    for (Color& p : px_) {
        if (p.a < cut) {
            p = {};
        } else {
            p = {p.r / p.a, p.g / p.a, p.b / p.a, 1};
        }
    }
}

void Image::ClipTo(const Path& p) {
    Mask m = Rasterize(p, w_, h_);
    for (int y = 0; y < h_; ++y)
        for (int x = 0; x < w_; ++x) {
            Color& c = Px(x, y);
            float k = m.At(x, y);
            c = {c.r * k, c.g * k, c.b * k, c.a * k};
        }
}

// ---------------------------------------------------------------- noise

float Hash2(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / 16777215.0f;
}

float ValueNoise(float x, float y, uint32_t seed, int period) {
    int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float fx = x - ix, fy = y - iy;
    auto wrap = [period](int v) { return period > 0 ? ((v % period) + period) % period : v; };
    float a = Hash2(wrap(ix), wrap(iy), seed), b = Hash2(wrap(ix + 1), wrap(iy), seed);
    float c = Hash2(wrap(ix), wrap(iy + 1), seed), d = Hash2(wrap(ix + 1), wrap(iy + 1), seed);
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    return (a + (b - a) * sx) * (1 - sy) + (c + (d - c) * sx) * sy;
}

float Fbm(float x, float y, uint32_t seed, int octaves, int period) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += ValueNoise(x, y, seed + o * 101u, period) * amp;
        norm += amp;
        amp *= 0.5f;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}

uint32_t Rng::Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
}

}  // namespace mk
