#include "tests/support/view_share.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "platform/gfx/math.h"

namespace vqtest {

namespace {

constexpr int kCellPixels = 4;
constexpr float kMinW = 1e-4f;

using Clip = CoverGrid::Clip;

Clip Lerp(const Clip& a, const Clip& b, float t) {
    auto l = [t](float p, float q) { return p + (q - p) * t; };
    return {l(a.x, b.x), l(a.y, b.y), l(a.z, b.z), l(a.w, b.w), l(a.u, b.u),
            l(a.v, b.v), l(a.r, b.r), l(a.g, b.g), l(a.b, b.b), l(a.a, b.a)};
}

float ReadFloat(const uint8_t* p) {
    float v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Where the colour and the first texture coordinates lie in a vertex; -1 when absent.
struct Layout {
    int diffuse = -1;
    int uv = -1;
};

Layout LayoutOf(const gfx::DrawRecord& d) {
    Layout l;
    if (d.vertexShader >= gfx::kShaderHandleBase) {
        uint32_t influences = d.vertexShader - gfx::kShaderHandleBase;
        l.uv = static_cast<int>(12 + 4 * (influences - 1) + 4 + 12);
        return l;
    }
    uint32_t fvf = d.vertexShader;
    int offset = 12;
    uint32_t position = fvf & gfx::FVF_POSITION_MASK;
    if (position >= gfx::FVF_XYZB1 && position <= gfx::FVF_XYZB5)
        offset += 4 * static_cast<int>((position - gfx::FVF_XYZ) / 2);
    if (fvf & gfx::FVF_NORMAL) offset += 12;
    if (fvf & gfx::FVF_PSIZE) offset += 4;
    if (fvf & gfx::FVF_DIFFUSE) {
        l.diffuse = offset;
        offset += 4;
    }
    if (fvf & gfx::FVF_SPECULAR) offset += 4;
    if ((fvf & gfx::FVF_TEXCOUNT_MASK) != 0) l.uv = offset;
    return l;
}

// Clip-space position of vertex `local` (counted from the record's first vertex).
Clip VertexClip(const gfx::DrawRecord& d, const Layout& layout, const gfx::Mat4& wvp,
                uint32_t local) {
    const uint8_t* v = d.vertices.data() + static_cast<size_t>(local) * d.vertexStride;
    Clip out{};
    out.r = out.g = out.b = out.a = 1.0f;
    if (layout.uv >= 0 && static_cast<uint32_t>(layout.uv) + 8 <= d.vertexStride) {
        out.u = ReadFloat(v + layout.uv);
        out.v = ReadFloat(v + layout.uv + 4);
    }
    if (layout.diffuse >= 0) {
        uint32_t c;
        std::memcpy(&c, v + layout.diffuse, sizeof c);
        out.a = static_cast<float>(c >> 24) / 255.0f;
        out.r = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
        out.g = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
        out.b = static_cast<float>(c & 0xFF) / 255.0f;
    }
    float p[4] = {ReadFloat(v), ReadFloat(v + 4), ReadFloat(v + 8), 1.0f};
    if (d.vertexShader < gfx::kShaderHandleBase) {
        gfx::Vec4 c = gfx::Transform(gfx::Vec4{p[0], p[1], p[2], 1.0f}, wvp);
        out.x = c.x;
        out.y = c.y;
        out.z = c.z;
        out.w = c.w;
        return out;
    }
    // The skinning program: influences - 1 weights, then four palette bytes; each bone is
    // three constant rows of its bone x view matrix, from register 9 on.
    const uint32_t influences = d.vertexShader - gfx::kShaderHandleBase;
    const float* c = d.shaderConstants.data();
    auto row = [&](int r, const float* q) {
        const float* k = c + 4 * r;
        return k[0] * q[0] + k[1] * q[1] + k[2] * q[2] + k[3] * q[3];
    };
    const uint8_t* bytes = v + 12 + 4 * (influences - 1);
    float pos[3] = {0, 0, 0};
    float rest = 1.0f;
    for (uint32_t b = 0; b < influences; ++b) {
        float w = rest;
        if (b + 1 < influences) {
            w = ReadFloat(v + 12 + 4 * b);
            rest -= w;
        }
        int r = 9 + std::clamp(3 * static_cast<int>(bytes[b]), 0,
                               static_cast<int>(gfx::kVertexShaderConstants) - 12);
        for (int a = 0; a < 3; ++a) pos[a] += w * row(r + a, p);
    }
    float q[4] = {pos[0], pos[1], pos[2], 1.0f};
    out.x = row(2, q);
    out.y = row(3, q);
    out.z = row(4, q);
    out.w = row(5, q);
    return out;
}

// Keeps the part of a convex polygon in front of the near plane (clip z >= 0, where the
// view depth w is at least the near distance).
int ClipNear(const Clip* in, int n, Clip* out) {
    int m = 0;
    for (int i = 0; i < n; ++i) {
        const Clip& a = in[i];
        const Clip& b = in[(i + 1) % n];
        if (a.z >= 0) out[m++] = a;
        if ((a.z >= 0) != (b.z >= 0)) {
            Clip c = Lerp(a, b, a.z / (a.z - b.z));
            c.z = 0.0f;
            c.w = std::max(c.w, kMinW);
            out[m++] = c;
        }
    }
    return m;
}

float Luminance(float r, float g, float b) {
    return 0.3f * r + 0.59f * g + 0.11f * b;
}

// How strongly the draw changes a pixel where its colour is (r, g, b, a): 1 replaces it,
// 0 leaves it as it was, by the blending in force.
float PixelChange(const gfx::DrawRecord& d, float r, float g, float b, float a) {
    const uint32_t* rs = d.renderStates;
    if (rs[gfx::RS_ALPHATESTENABLE]) {
        float ref = static_cast<float>(rs[gfx::RS_ALPHAREF] & 0xFF) / 255.0f;
        uint32_t f = rs[gfx::RS_ALPHAFUNC];
        if ((f == gfx::CMP_GREATER && !(a > ref)) || (f == gfx::CMP_GREATEREQUAL && a < ref))
            return 0.0f;
    }
    if (!rs[gfx::RS_ALPHABLENDENABLE]) return 1.0f;
    uint32_t src = rs[gfx::RS_SRCBLEND], dst = rs[gfx::RS_DESTBLEND];
    float srcFactor = src == gfx::BLEND_ONE        ? 1.0f
                      : src == gfx::BLEND_SRCALPHA ? a
                      : src == gfx::BLEND_ZERO     ? 0.0f
                                                   : 1.0f;
    float lum = Luminance(r, g, b);
    switch (dst) {
        case gfx::BLEND_INVSRCALPHA:
            return a;
        case gfx::BLEND_ONE:
            return lum * srcFactor;
        case gfx::BLEND_INVSRCCOLOR:
            return src == gfx::BLEND_ZERO ? lum : lum * srcFactor;
        case gfx::BLEND_SRCCOLOR:
            return src == gfx::BLEND_ZERO ? 1.0f - lum : 1.0f;
        case gfx::BLEND_ZERO:
            return 1.0f;
        default:
            return a;
    }
}

// The texel under (u, v), nearest, with wrapping; opaque white without a texture.
void Sample(const gfx::Texture* t, float u, float v, float* rgba) {
    rgba[0] = rgba[1] = rgba[2] = rgba[3] = 1.0f;
    if (!t) return;
    const uint32_t* texels = t->LevelData(0);
    uint32_t w = t->Width(0), h = t->Height(0);
    if (!texels || w == 0 || h == 0) return;
    auto wrap = [](float c, uint32_t n) {
        float f = c - std::floor(c);
        auto i = static_cast<uint32_t>(f * static_cast<float>(n));
        return i < n ? i : n - 1;
    };
    uint32_t c = texels[static_cast<size_t>(wrap(v, h)) * w + wrap(u, w)];
    bool alpha = t->GetFormat() == gfx::Format::A8R8G8B8 ||
                 t->GetFormat() == gfx::Format::A1R5G5B5 || t->GetFormat() == gfx::Format::A4R4G4B4;
    rgba[3] = alpha ? static_cast<float>(c >> 24) / 255.0f : 1.0f;
    rgba[0] = static_cast<float>((c >> 16) & 0xFF) / 255.0f;
    rgba[1] = static_cast<float>((c >> 8) & 0xFF) / 255.0f;
    rgba[2] = static_cast<float>(c & 0xFF) / 255.0f;
}

}  // namespace

bool IsScreenSpaceDraw(const gfx::DrawRecord& draw) {
    return draw.vertexShader < gfx::kShaderHandleBase &&
           (draw.vertexShader & gfx::FVF_POSITION_MASK) == gfx::FVF_XYZRHW;
}

template <typename CellFn>
bool CoverGrid::Raster(const gfx::DrawRecord& d, ScreenCover* cover, CellFn&& cell) {
    if (IsScreenSpaceDraw(d) || d.vertexStride < 12) return false;
    if (d.vertexShader >= gfx::kShaderHandleBase &&
        d.shaderConstants.size() < gfx::kVertexShaderConstants * 4)
        return false;
    if (d.primitive != gfx::PT_TRIANGLELIST && d.primitive != gfx::PT_TRIANGLESTRIP &&
        d.primitive != gfx::PT_TRIANGLEFAN)
        return false;
    const gfx::Viewport& vp = d.viewport;
    if (vp.width < kCellPixels || vp.height < kCellPixels) return false;
    const int columns = static_cast<int>(vp.width) / kCellPixels;
    const int rows = static_cast<int>(vp.height) / kCellPixels;
    if (columns != columns_ || rows != rows_) {
        columns_ = columns;
        rows_ = rows;
        cells_.assign(static_cast<size_t>(columns) * static_cast<size_t>(rows), 0);
        depth_.assign(cells_.size(), kFar);
    }
    const gfx::Mat4 wvp = gfx::Multiply(gfx::Multiply(d.world, d.view), d.projection);
    const Layout layout = LayoutOf(d);
    const bool modulate = d.stage0[gfx::TSS_COLOROP] != gfx::TOP_ADD;
    const bool textured = d.texture0 && layout.uv >= 0;

    const uint32_t corners = gfx::Device::PrimitiveVertexCount(d.primitive, d.primitiveCount);
    auto vertexOf = [&](uint32_t i) -> int64_t {
        if (d.indexed && i >= d.indices.size()) return -1;
        int64_t local = d.indexed ? static_cast<int64_t>(d.indices[i]) - d.firstVertex : i;
        if (local < 0 || local >= d.vertexCount) return -1;
        return local;
    };

    clip_.resize(d.vertexCount);
    done_.assign(d.vertexCount, 0);
    const float vl = static_cast<float>(vp.x), vt = static_cast<float>(vp.y);
    const float vr = vl + static_cast<float>(vp.width), vb = vt + static_cast<float>(vp.height);
    float left = 1e30f, top = 1e30f, right = -1e30f, bottom = -1e30f;
    bool inFront = false;
    float nearest = 1e30f;
    for (uint32_t t = 0; t + 2 < corners;) {
        uint32_t idx[3];
        if (d.primitive == gfx::PT_TRIANGLELIST) {
            idx[0] = t;
            idx[1] = t + 1;
            idx[2] = t + 2;
            t += 3;
        } else if (d.primitive == gfx::PT_TRIANGLESTRIP) {
            idx[0] = t;
            idx[1] = t + 1;
            idx[2] = t + 2;
            t += 1;
        } else {
            idx[0] = 0;
            idx[1] = t + 1;
            idx[2] = t + 2;
            t += 1;
        }
        Clip tri[3];
        bool ok = true;
        for (int k = 0; k < 3 && ok; ++k) {
            int64_t local = vertexOf(idx[k]);
            if (local < 0) {
                ok = false;
                break;
            }
            auto l = static_cast<size_t>(local);
            if (!done_[l]) {
                clip_[l] = VertexClip(d, layout, wvp, static_cast<uint32_t>(local));
                done_[l] = 1;
            }
            tri[k] = clip_[l];
        }
        if (!ok) continue;
        Clip poly[8];
        int n = ClipNear(tri, 3, poly);
        if (n < 3) continue;
        inFront = true;
        std::array<float, 8> sx{}, sy{};
        for (int k = 0; k < n; ++k) {
            auto ks = static_cast<size_t>(k);
            nearest = std::min(nearest, poly[k].w);
            sx[ks] = vl + (poly[k].x / poly[k].w + 1.0f) * 0.5f * static_cast<float>(vp.width);
            sy[ks] = vt + (1.0f - poly[k].y / poly[k].w) * 0.5f * static_cast<float>(vp.height);
        }
        // The clipped polygon as a fan of triangles, each set on the cells whose centre it
        // covers.
        for (int f = 1; f + 1 < n; ++f) {
            const int v[3] = {0, f, f + 1};
            float pl = 1e30f, pt = 1e30f, pr = -1e30f, pb = -1e30f;
            for (int k : v) {
                auto ks = static_cast<size_t>(k);
                pl = std::min(pl, sx[ks]);
                pr = std::max(pr, sx[ks]);
                pt = std::min(pt, sy[ks]);
                pb = std::max(pb, sy[ks]);
            }
            pl = std::max(pl, vl);
            pt = std::max(pt, vt);
            pr = std::min(pr, vr);
            pb = std::min(pb, vb);
            if (pl >= pr || pt >= pb) continue;
            left = std::min(left, pl);
            top = std::min(top, pt);
            right = std::max(right, pr);
            bottom = std::max(bottom, pb);
            const auto a0 = static_cast<size_t>(v[0]), a1 = static_cast<size_t>(v[1]),
                       a2 = static_cast<size_t>(v[2]);
            float area =
                (sx[a1] - sx[a0]) * (sy[a2] - sy[a0]) - (sy[a1] - sy[a0]) * (sx[a2] - sx[a0]);
            if (area == 0) continue;
            int c0 = std::max(0, static_cast<int>((pl - vl) / kCellPixels - 0.5f));
            int c1 = std::min(columns - 1, static_cast<int>((pr - vl) / kCellPixels + 0.5f));
            int r0 = std::max(0, static_cast<int>((pt - vt) / kCellPixels - 0.5f));
            int r1 = std::min(rows - 1, static_cast<int>((pb - vt) / kCellPixels + 0.5f));
            const Clip& p0 = poly[v[0]];
            const Clip& p1 = poly[v[1]];
            const Clip& p2 = poly[v[2]];
            for (int r = r0; r <= r1; ++r) {
                float py = vt + (static_cast<float>(r) + 0.5f) * kCellPixels;
                for (int c = c0; c <= c1; ++c) {
                    float px = vl + (static_cast<float>(c) + 0.5f) * kCellPixels;
                    // Barycentric weights of the cell centre.
                    float b1 =
                        ((px - sx[a0]) * (sy[a2] - sy[a0]) - (py - sy[a0]) * (sx[a2] - sx[a0])) /
                        area;
                    float b2 =
                        ((sx[a1] - sx[a0]) * (py - sy[a0]) - (sy[a1] - sy[a0]) * (px - sx[a0])) /
                        area;
                    float b0 = 1.0f - b1 - b2;
                    if (b0 < 0 || b1 < 0 || b2 < 0) continue;
                    // Perspective-correct attributes; the view depth is 1 / (the sum of the
                    // weights over w).
                    float q0 = b0 / p0.w, q1 = b1 / p1.w, q2 = b2 / p2.w;
                    float qs = q0 + q1 + q2;
                    auto at = [&](float Clip::*m) {
                        return (p0.*m * q0 + p1.*m * q1 + p2.*m * q2) / qs;
                    };
                    float tex[4] = {1, 1, 1, 1};
                    if (textured) Sample(d.texture0, at(&Clip::u), at(&Clip::v), tex);
                    float cr = at(&Clip::r), cg = at(&Clip::g), cb = at(&Clip::b);
                    float rgb[3] = {modulate ? tex[0] * cr : std::min(1.0f, tex[0] + cr),
                                    modulate ? tex[1] * cg : std::min(1.0f, tex[1] + cg),
                                    modulate ? tex[2] * cb : std::min(1.0f, tex[2] + cb)};
                    float alpha = tex[3] * at(&Clip::a);
                    if (PixelChange(d, rgb[0], rgb[1], rgb[2], alpha) < kVisibleChange) continue;
                    cell(static_cast<size_t>(r) * static_cast<size_t>(columns) +
                             static_cast<size_t>(c),
                         1.0f / qs);
                }
            }
        }
    }
    if (cover) {
        cover->inFront = inFront;
        cover->nearest = inFront ? nearest : 0.0f;
        if (right > left && bottom > top) {
            cover->boxShare = (right - left) * (bottom - top) /
                              (static_cast<float>(vp.width) * static_cast<float>(vp.height));
        }
    }
    return true;
}

void CoverGrid::BeginFrame() {
    std::fill(depth_.begin(), depth_.end(), kFar);
}

void CoverGrid::AddOccluder(const gfx::DrawRecord& d) {
    if (!d.renderStates[gfx::RS_ZENABLE] || !d.renderStates[gfx::RS_ZWRITEENABLE]) return;
    Raster(d, nullptr, [this](size_t cell, float w) { depth_[cell] = std::min(depth_[cell], w); });
}

ScreenCover CoverGrid::Measure(const gfx::DrawRecord& d) {
    ScreenCover cover;
    size_t first = cells_.size(), last = 0;
    const bool tested = d.renderStates[gfx::RS_ZENABLE] != 0;
    if (!Raster(d, &cover, [&](size_t cell, float w) {
            // Hidden where something drawn in the frame lies nearer (by more than the depth
            // buffer's own rounding).
            if (tested && w > depth_[cell] * 1.002f + 0.01f) return;
            cells_[cell] = 1;
            first = std::min(first, cell);
            last = std::max(last, cell);
        }))
        return cover;
    int covered = 0;
    for (size_t c = first; c <= last && c < cells_.size(); ++c) {
        covered += cells_[c];
        cells_[c] = 0;
    }
    cover.share = static_cast<float>(covered) / static_cast<float>(cells_.size());
    return cover;
}

}  // namespace vqtest
