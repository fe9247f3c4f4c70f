#include "tools/mkdata/scenery.h"

#include <algorithm>
#include <cmath>

namespace mk {

void PaintSky(Image& img, Color top, Color mid, Color bottom, float horizonY, float x0, float w) {
    if (w <= 0) w = static_cast<float>(img.W()) - x0;
    img.FillRect(x0, 0, w, static_cast<float>(img.H()),
                 Linear(0, 0, 0, horizonY, {{0, top}, {0.6f, mid}, {1, bottom}}));
}

void PaintStars(Image& img, uint32_t seed, int count, float maxY, float brightness) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float x = rng.Unit() * img.W(), y = rng.Unit() * maxY;
        float r = 0.5f + rng.Unit() * rng.Unit() * 1.6f;
        float a = (0.3f + 0.7f * rng.Unit()) * brightness * (1 - y / maxY * 0.6f);
        Path p;
        p.Circle(x, y, r);
        Color c = rng.Unit() < 0.2f   ? Rgb(0xFFE8C0)
                  : rng.Unit() < 0.3f ? Rgb(0xC0D8FF)
                                      : Rgb(0xFFFFFF);
        img.Fill(p, WithAlpha(c, a), 1, Blend::Add);
        if (r > 1.4f) {
            Path s;
            s.Stroke({{x - r * 3, y}, {x + r * 3, y}}, 0.6f);
            s.Stroke({{x, y - r * 3}, {x, y + r * 3}}, 0.6f);
            img.Fill(s, WithAlpha(c, a * 0.5f), 1, Blend::Add);
        }
    }
}

void PaintClouds(Image& img, uint32_t seed, float y0, float y1, float scale, float coverage,
                 Color light, Color shade, int period, float opacity) {
    int ys = std::max(0, static_cast<int>(y0)), ye = std::min(img.H(), static_cast<int>(y1));
    int per = period > 0 ? std::max(1, static_cast<int>(std::lround(period / scale))) : 0;
    float kx = per > 0 ? static_cast<float>(per) / period : 1.0f / scale;
    for (int y = ys; y < ye; ++y) {
        float band = (y - y0) / std::max(1.0f, y1 - y0);
        float fade = std::clamp(std::min(band, 1 - band) * 5, 0.0f, 1.0f);
        for (int x = 0; x < img.W(); ++x) {
            float nx = x * kx, ny = y / scale * 2.2f;
            float n = Fbm(nx, ny, seed, 5, per);
            float d = (n - (1 - coverage)) / std::max(0.05f, coverage);
            if (d <= 0) continue;
            float a = std::clamp(d * 2.5f, 0.0f, 1.0f) * fade * opacity;
            float lit = Fbm(nx + 0.35f, ny - 0.6f, seed, 4, per);
            float k = std::clamp((n - lit) * 3 + 0.6f, 0.0f, 1.0f);
            Color c = Mix(shade, light, k);
            Color& p = img.Px(x, y);
            p.r = c.r * a + p.r * (1 - a);
            p.g = c.g * a + p.g * (1 - a);
            p.b = c.b * a + p.b * (1 - a);
            p.a = a + p.a * (1 - a);
        }
    }
}

void PaintRidge(Image& img, uint32_t seed, float baseY, float height, float scale, Color top,
                Color bottom, int period, float sharp) {
    int per = period > 0 ? std::max(1, static_cast<int>(std::lround(period / scale))) : 0;
    float kx = per > 0 ? static_cast<float>(per) / period : 1.0f / scale;
    std::vector<Vec2> pts;
    pts.push_back({-1, static_cast<float>(img.H()) + 1});
    for (int x = -1; x <= img.W() + 1; x += 2) {
        float n = Fbm(x * kx, 0.5f, seed, 6, per);
        float ridge = 1 - std::fabs(n * 2 - 1);  // sharper peaks
        float v = n * (1 - sharp) + ridge * sharp;
        pts.push_back({static_cast<float>(x), baseY - height * v});
    }
    pts.push_back({static_cast<float>(img.W()) + 1, static_cast<float>(img.H()) + 1});
    Path p;
    p.Polygon(pts);
    img.Fill(p, Linear(0, baseY - height, 0, baseY + height * 0.3f, {{0, top}, {1, bottom}}));
}

void PaintSea(Image& img, uint32_t seed, float y0, Color far, Color near, int period) {
    int ys = std::max(0, static_cast<int>(y0));
    float h = static_cast<float>(img.H()) - y0;
    for (int y = ys; y < img.H(); ++y) {
        float t = (y - y0) / h;
        Color base = Mix(far, near, std::pow(t, 0.7f));
        for (int x = 0; x < img.W(); ++x) {
            float depth = 1 + t * 12;
            float sxs = 6.0f * depth;
            int per = period > 0 ? std::max(1, static_cast<int>(std::lround(period / sxs))) : 0;
            float kx = per > 0 ? static_cast<float>(per) / period : 1.0f / sxs;
            float n = ValueNoise(x * kx, y * 0.9f, seed, per);
            float glint = std::pow(std::max(0.0f, n - 0.55f) * 2.2f, 2.0f) * (1 - t * 0.5f);
            Color& p = img.Px(x, y);
            Color c = Mix(base, Rgb(0xFFFFFF), glint * 0.6f);
            p = {c.r, c.g, c.b, 1};
        }
    }
}

void PaintSun(Image& img, float x, float y, float r, Color core, Color glow) {
    Path halo;
    halo.Circle(x, y, r * 5);
    img.Fill(
        halo,
        Radial(
            x, y, r * 5,
            {{0, WithAlpha(glow, 0.55f)}, {0.3f, WithAlpha(glow, 0.18f)}, {1, WithAlpha(glow, 0)}}),
        1, Blend::Screen);
    Path disc;
    disc.Circle(x, y, r);
    img.Fill(disc, Radial(x, y, r, {{0, Rgb(0xFFFFFF)}, {0.7f, core}, {1, WithAlpha(core, 0.9f)}}));
}

void PaintMoon(Image& img, float x, float y, float r) {
    Path halo;
    halo.Circle(x, y, r * 3);
    img.Fill(halo, Radial(x, y, r * 3, {{0, Rgb(0xD8E4FF, 0.35f)}, {1, Rgb(0xD8E4FF, 0)}}), 1,
             Blend::Screen);
    Path disc;
    disc.Circle(x, y, r);
    img.Fill(disc, Radial(x - r * 0.3f, y - r * 0.3f, r * 1.5f,
                          {{0, Rgb(0xFFFFF4)}, {1, Rgb(0xC8D0E0)}}));
    Rng rng(77);
    for (int i = 0; i < 7; ++i) {
        Path c;
        float a = rng.Unit() * 2 * kPi, d = rng.Unit() * r * 0.65f;
        c.Circle(x + std::cos(a) * d, y + std::sin(a) * d, r * (0.08f + rng.Unit() * 0.12f));
        img.Fill(c, Rgb(0xA8B0C4, 0.45f));
    }
}

void PaintCity(Image& img, uint32_t seed, float baseY, float height, Color c, float lights,
               int period) {
    Rng rng(seed);
    float x = 0;
    float end = period > 0 ? static_cast<float>(period) : static_cast<float>(img.W());
    while (x < end) {
        float w = 14 + rng.Unit() * 36;
        if (x + w > end) w = end - x;
        float h = height * (0.3f + rng.Unit() * 0.7f);
        for (int rep = 0; rep < (period > 0 ? 2 : 1); ++rep) {
            float ox = x + rep * end;
            Path b;
            b.Rect(ox, baseY - h, w - 2, h + 2);
            if (rng.Unit() < 0.25f) b.Rect(ox + w * 0.35f, baseY - h - 10, 3, 12);  // antenna
            img.Fill(b, c);
            if (lights > 0) {
                Rng wl(seed + static_cast<uint32_t>(x * 7));
                for (float wy = baseY - h + 5; wy < baseY - 4; wy += 7)
                    for (float wx = ox + 3; wx < ox + w - 6; wx += 6)
                        if (wl.Unit() < lights) img.FillRect(wx, wy, 3, 3, Rgb(0xFFE9A8, 0.85f));
            }
        }
        x += w;
    }
}

void PaintIsland(Image& img, float cx, float cy, float w, Color grass, Color rock, uint32_t seed) {
    Rng rng(seed);
    std::vector<Vec2> under;
    int n = 14;
    for (int i = 0; i <= n; ++i) {
        float t = static_cast<float>(i) / n;
        float x = cx - w / 2 + w * t;
        float depth = std::sin(t * kPi) * w * (0.45f + 0.15f * rng.Unit());
        under.push_back({x, cy + depth * (0.7f + 0.3f * std::sin(t * 9 + seed))});
    }
    under.push_back({cx + w / 2, cy});
    Path rockP;
    rockP.Polygon(under);
    img.Fill(rockP, Linear(0, cy, 0, cy + w * 0.5f, {{0, rock}, {1, Scale(rock, 0.45f)}}));
    Path top;
    top.Ellipse(cx, cy, w / 2, w * 0.07f);
    img.Fill(top, Linear(0, cy - w * 0.07f, 0, cy + w * 0.07f,
                         {{0, Mix(grass, Rgb(0xFFFFFF), 0.2f)}, {1, Scale(grass, 0.7f)}}));
    for (int i = 0; i < 5; ++i) {
        float tx = cx - w * 0.35f + rng.Unit() * w * 0.7f, th = w * (0.08f + rng.Unit() * 0.08f);
        Path tree;
        tree.Ellipse(tx, cy - th, th * 0.55f, th * 0.7f);
        img.Fill(tree, Scale(grass, 0.75f + rng.Unit() * 0.2f));
    }
}

void PaintForest(Image& img, uint32_t seed, float baseY, float height, Color c, int period) {
    Rng rng(seed);
    float end = period > 0 ? static_cast<float>(period) : static_cast<float>(img.W());
    for (float x = 0; x < end; x += 6 + rng.Unit() * 8) {
        float h = height * (0.5f + rng.Unit() * 0.5f);
        for (int rep = 0; rep < (period > 0 ? 2 : 1); ++rep) {
            float ox = x + rep * end - (rep ? 0 : 0);
            Path t;
            t.Ellipse(ox, baseY - h * 0.5f, h * 0.35f, h * 0.55f);
            img.Fill(t, Scale(c, 0.8f + 0.25f * rng.Unit()));
        }
    }
    img.FillRect(0, baseY - 2, static_cast<float>(img.W()), static_cast<float>(img.H()) - baseY + 2,
                 c);
}

void PaintColumns(Image& img, uint32_t seed, float baseY, float height, Color c, int count) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float x = (i + 0.5f) * img.W() / count + rng.Range(-15, 15);
        float h = height * (0.4f + rng.Unit() * 0.6f), w = 18 + rng.Unit() * 10;
        Path col;
        col.Rect(x - w / 2, baseY - h, w, h);
        img.Fill(col, Linear(x - w / 2, 0, x + w / 2, 0,
                             {{0, Mix(c, Rgb(0xFFFFFF), 0.25f)}, {1, Scale(c, 0.6f)}}));
        Path cap;
        cap.Rect(x - w * 0.7f, baseY - h - 6, w * 1.4f, 7);
        img.Fill(cap, Scale(c, 0.85f));
        if (rng.Unit() < 0.5f) {
            Path broken;
            broken.Polygon({{x - w / 2, baseY - h},
                            {x + w / 2, baseY - h},
                            {x + w / 2, baseY - h - 10},
                            {x, baseY - h - 4}});
            img.Fill(broken, c);
        }
    }
}

void PaintRays(Image& img, float x, float y, Color c, int count, uint32_t seed) {
    Rng rng(seed);
    for (int i = 0; i < count; ++i) {
        float a = rng.Range(0.2f, kPi - 0.2f), spread = rng.Range(0.03f, 0.08f),
              len = img.H() * 1.5f;
        Path r;
        r.Polygon({{x, y},
                   {x + std::cos(a - spread) * len, y + std::sin(a - spread) * len},
                   {x + std::cos(a + spread) * len, y + std::sin(a + spread) * len}});
        img.Fill(r, Radial(x, y, len, {{0, WithAlpha(c, c.a)}, {1, WithAlpha(c, 0)}}), 1,
                 Blend::Screen);
    }
}

void Vignette(Image& img, float amount) {
    float cx = img.W() * 0.5f, cy = img.H() * 0.5f, r = std::sqrt(cx * cx + cy * cy);
    img.Tint(
        Radial(cx, cy, r, {{0, Rgb(0xFFFFFF, 0)}, {0.6f, Rgb(0xFFFFFF, 0)}, {1, Rgb(0x000000, 1)}}),
        amount);
}

}  // namespace mk
