// The gl33 backend against the classic fixed-function rules, pixel by pixel: rasterisation,
// blending, alpha test, texture stages, addressing and filtering, culling, depth, transforms,
// lighting and fog, buffers, threads and device loss.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <numeric>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/golden.h"

namespace {

using namespace gfx;
using vqtest::At;
using vqtest::PushQuad;
using vqtest::ScreenVertex;

struct Rgba {
    float r, g, b, a;
};

Rgba Unpack(uint32_t c) {
    return {float((c >> 16) & 0xFF) / 255.0f, float((c >> 8) & 0xFF) / 255.0f,
            float(c & 0xFF) / 255.0f, float(c >> 24) / 255.0f};
}

uint32_t Pack(Rgba c) {
    auto q = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return q(c.a) << 24 | q(c.r) << 16 | q(c.g) << 8 | q(c.b);
}

// Largest difference over the colour channels (the back buffer's alpha is always one).
int RgbDifference(uint32_t a, uint32_t b) {
    int worst = 0;
    for (int shift = 0; shift < 24; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

#define EXPECT_RGB_NEAR(actual, expected, tolerance, what)                                 \
    EXPECT_LE(RgbDifference(actual, expected), tolerance)                                  \
        << (what) << ": drawn 0x" << std::hex << (actual) << ", expected 0x" << (expected) \
        << std::dec

class Gl33 : public vqtest::GlDeviceTest {
protected:
    // Stage 0 passes the vertex colour through.
    void UseDiffuseOnly() {
        device()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        device()->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
        device()->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
        device()->SetTextureStageState(0, TSS_ALPHAARG1, TA_DIFFUSE);
    }
    // An 8 x 8 cell of the 80 x 60 grid, drawn in one colour.
    void FillCell(int cell, uint32_t color) {
        std::vector<ScreenVertex> v;
        PushQuad(&v, float(cell % 80 * 8), float(cell / 80 * 8), 8, 8, color);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
    }
    static uint32_t CellCentre(const vqtest::TestPicture& p, int cell) {
        return At(p, uint32_t(cell % 80 * 8 + 4), uint32_t(cell / 80 * 8 + 4));
    }
};

// Screen quads, one texel per pixel, wherever they lie (on screen, hanging off any side,
// on fractional coordinates): a pixel is covered when its centre lies inside, with centres
// on the top and left edges in and on the bottom and right edges out, and it shows the
// texel under its centre. Whole-pixel quads put texel edges on pixel centres, where the
// texel after the edge is the one meant (the ending's scrolled backdrop showed the texel
// before, so the top row sampled the far end of its picture).
TEST_F(Gl33, ScreenQuadsCoverByTheTopLeftRuleAndShowTheTexelsTheyName) {
    constexpr uint32_t kW = 1024, kH = 512;
    // Never the clear colour, and each channel at most 0x7F, so a pixel drawn by both
    // triangles of a quad (added together below) cannot pass for a texel.
    auto texel = [](uint32_t u, uint32_t v) {
        return 0xFF000040u | (v & 127) << 16 | (u & 127) << 8 | (u >> 7) << 2 | v >> 7;
    };
    std::vector<uint32_t> texels(kW * kH);
    for (uint32_t v = 0; v < kH; ++v)
        for (uint32_t u = 0; u < kW; ++u) texels[v * kW + u] = texel(u, v);
    Texture* picture = MakeTexture(kW, kH, texels);

    struct Case {
        float x, y, w, h;
    };
    const Case cases[] = {
        {10, 20, 32, 32},            // on screen
        {208, 52, 114, 136},         // on screen, far into the texture
        {-490, 0, 640, 480},         // a full-height backdrop scrolled off the left ...
        {150, 0, 640, 480},          // ... and its neighbour, off the right
        {-1, 0, 200, 100},           // one pixel off the left
        {-5, -7, 20, 20},            // off the top-left corner
        {30, -10, 16, 20},           // off the top
        {319, 211, 327, 223},        // off the right
        {630, 470, 20, 20},          // off the bottom-right corner
        {-300, -200, 700, 600},      // off every side
        {50.5f, 60.25f, 10, 10.5f},  // fractional edges
        {99.5f, 99.5f, 4, 4},        // edges between pixel centres: texel centres sampled
    };
    // Whole pixels of [lo, hi) on the screen: the first covered one and one past the last.
    auto span = [](float lo, float hi, int size) {
        const int first = std::clamp(int(std::ceil(lo)), 0, size);
        return std::pair<int, int>{first, std::clamp(int(std::ceil(hi)), first, size)};
    };
    for (const Case& c : cases) {
        BeginFrame(0xFF000000);
        device()->SetTexture(0, picture);
        device()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        device()->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
        device()->SetRenderState(RS_ALPHABLENDENABLE, kTrue);
        device()->SetRenderState(RS_SRCBLEND, BLEND_ONE);
        device()->SetRenderState(RS_DESTBLEND, BLEND_ONE);
        std::vector<ScreenVertex> v;
        PushQuad(&v, c.x, c.y, c.w, c.h, 0xFFFFFFFF, 0, 0, c.w / kW, c.h / kH);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
        EndFrame();

        const vqtest::TestPicture p = Read();
        const auto [left, right] = span(c.x, c.x + c.w, 640);
        const auto [top, bottom] = span(c.y, c.y + c.h, 480);
        std::ostringstream quad;
        quad << "quad (" << c.x << ", " << c.y << ", " << c.w << ", " << c.h << ")";
        int wrong = 0, minX = 640, maxX = -1, minY = 480, maxY = -1;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                const uint32_t drawn = At(p, uint32_t(x), uint32_t(y));
                if (drawn != 0xFF000000u) {
                    minX = std::min(minX, x), maxX = std::max(maxX, x);
                    minY = std::min(minY, y), maxY = std::max(maxY, y);
                }
                const bool inside = x >= left && x < right && y >= top && y < bottom;
                const uint32_t expected = inside ? texel(uint32_t(std::floor(float(x) - c.x)) % kW,
                                                         uint32_t(std::floor(float(y) - c.y)) % kH)
                                                 : 0xFF000000u;
                if (drawn != expected && wrong++ < 3)
                    ADD_FAILURE() << quad.str() << " pixel " << x << ", " << y << ": drawn 0x"
                                  << std::hex << drawn << ", expected 0x" << expected;
            }
        }
        EXPECT_EQ(wrong, 0) << quad.str() << " covers columns " << minX << ".." << maxX << ", rows "
                            << minY << ".." << maxY << "; expected columns " << left << ".."
                            << right - 1 << ", rows " << top << ".." << bottom - 1;
    }
}

// Every source and destination factor, over a known background, against
// result = source x source factor + destination x destination factor.
TEST_F(Gl33, BlendFactorsAndOperations) {
    const uint32_t background = 0xFF4080C0, source = 0x80FF4020;
    const Rgba d = Unpack(background), s = Unpack(source);
    // Factors by number; the back buffer has no alpha, so destination alpha reads as one.
    // The two "both" factors set the destination factor as well (below).
    auto factor = [&](uint32_t f, float sc, float dc) {
        const float values[] = {-1,      0,      1, sc, 1 - sc, s.a,
                                1 - s.a, 1,      0, dc, 1 - dc, std::min(s.a, 0.0f),
                                s.a,     1 - s.a};
        return values[f];
    };
    struct Case {
        uint32_t src, dst, op;
    };
    std::vector<Case> cases;
    for (uint32_t src = BLEND_ZERO; src <= BLEND_BOTHINVSRCALPHA; ++src)
        for (uint32_t dst = BLEND_ZERO; dst <= BLEND_INVDESTCOLOR; ++dst)
            cases.push_back({src, dst, BLENDOP_ADD});
    for (uint32_t op = BLENDOP_SUBTRACT; op <= BLENDOP_MAX; ++op)
        cases.push_back({BLEND_SRCALPHA, BLEND_DESTCOLOR, op});

    BeginFrame(background);
    UseDiffuseOnly();
    device()->SetRenderState(RS_ALPHABLENDENABLE, kTrue);
    for (size_t i = 0; i < cases.size(); ++i) {
        device()->SetRenderState(RS_SRCBLEND, cases[i].src);
        device()->SetRenderState(RS_DESTBLEND, cases[i].dst);
        device()->SetRenderState(RS_BLENDOP, cases[i].op);
        FillCell(int(i), source);
    }
    EndFrame();
    const vqtest::TestPicture p = Read();
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        auto channel = [&](float sc, float dc) {
            float fs = factor(c.src, sc, dc), fd = factor(c.dst, sc, dc);
            if (c.src == BLEND_BOTHSRCALPHA) fs = s.a, fd = 1 - s.a;
            if (c.src == BLEND_BOTHINVSRCALPHA) fs = 1 - s.a, fd = s.a;
            switch (c.op) {
                case BLENDOP_SUBTRACT:
                    return sc * fs - dc * fd;
                case BLENDOP_REVSUBTRACT:
                    return dc * fd - sc * fs;
                case BLENDOP_MIN:
                    return std::min(sc, dc);
                case BLENDOP_MAX:
                    return std::max(sc, dc);
            }
            return sc * fs + dc * fd;
        };
        const uint32_t expected =
            Pack({channel(s.r, d.r), channel(s.g, d.g), channel(s.b, d.b), 1});
        EXPECT_RGB_NEAR(CellCentre(p, int(i)), expected, 2,
                        "src " + std::to_string(c.src) + " dst " + std::to_string(c.dst) + " op " +
                            std::to_string(c.op));
    }
}

// Opaque alpha (255) is among the values: draws whose alpha is one everywhere are tested
// the same way.
TEST_F(Gl33, AlphaTestComparesEightBitAlphaWithTheReference) {
    BeginFrame(0xFF000000);
    UseDiffuseOnly();
    device()->SetRenderState(RS_ALPHATESTENABLE, kTrue);
    const uint32_t alphas[4] = {0x7F, 0x80, 0x81, 0xFF};
    // Only the reference's low byte counts: 0x180 is 0x80.
    const uint32_t refs[2] = {0x180, 0xFF};
    for (int r = 0; r < 2; ++r) {
        device()->SetRenderState(RS_ALPHAREF, refs[r]);
        for (uint32_t func = CMP_NEVER; func <= CMP_ALWAYS; ++func) {
            device()->SetRenderState(RS_ALPHAFUNC, func);
            for (int k = 0; k < 4; ++k)
                FillCell(int((r * 9 + func) * 4 + k), alphas[k] << 24 | 0xFFFFFF);
        }
    }
    EndFrame();
    const vqtest::TestPicture p = Read();
    for (int r = 0; r < 2; ++r) {
        for (uint32_t func = CMP_NEVER; func <= CMP_ALWAYS; ++func) {
            for (int k = 0; k < 4; ++k) {
                const uint32_t a = alphas[k], ref = refs[r] & 0xFF;
                const bool pass[9] = {false,    false,    a<ref, a == ref, a <= ref, a> ref,
                                      a != ref, a >= ref, true};
                EXPECT_EQ(CellCentre(p, int((r * 9 + func) * 4 + k)),
                          pass[func] ? 0xFFFFFFFFu : 0xFF000000u)
                    << "func " << func << " alpha " << a << " reference " << ref;
            }
        }
    }
}

// Blending by the source alpha and the alpha test, with that alpha from each input a stage
// reads: where it is one everywhere the source covers the background exactly, and wherever
// some of it is below one (one texel, the vertices, the factor, a complement, the border)
// the blend and the test still see it.
TEST_F(Gl33, SourceAlphaFromEveryInputBlendsAndTests) {
    const uint32_t background = 0xFF0000FF, green = 0xFF00FF00;
    Texture* opaque = SolidTexture(2, 2, green);
    // The cell's centre samples texel (1, 1) with point filtering.
    Texture* holed = MakeTexture(2, 2, {green, green, green, 0x8000FF00});
    struct Case {
        const char* what;
        Texture* texture;
        uint32_t alphaOp, alphaArg1, alphaArg2;
        uint32_t vertexAlpha, factorAlpha;
        float u0;     // 2: beyond the texture, where the border is read
        float alpha;  // the alpha the cell's centre gets
    };
    const Case cases[] = {
        {"opaque texture", opaque, TOP_SELECTARG1, TA_TEXTURE, 0, 0xFF, 0xFF, 0, 1.0f},
        {"one texel half", holed, TOP_SELECTARG1, TA_TEXTURE, 0, 0xFF, 0xFF, 0, 0x80 / 255.0f},
        {"vertex alpha", opaque, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, 0x80, 0xFF, 0,
         0x80 / 255.0f},
        {"opaque vertices", opaque, TOP_MODULATE, TA_TEXTURE, TA_DIFFUSE, 0xFF, 0x80, 0, 1.0f},
        {"factor alpha", opaque, TOP_SELECTARG1, TA_TFACTOR, 0, 0xFF, 0x80, 0, 0x80 / 255.0f},
        {"complement", opaque, TOP_SELECTARG1, TA_TEXTURE | TA_COMPLEMENT, 0, 0xFF, 0xFF, 0, 0},
        {"sum clamped", opaque, TOP_ADD, TA_DIFFUSE, TA_TEXTURE, 0x40, 0xFF, 0, 1.0f},
        {"border", opaque, TOP_SELECTARG1, TA_TEXTURE, 0, 0xFF, 0xFF, 2, 0},
    };
    BeginFrame(background);
    device()->SetRenderState(RS_ALPHABLENDENABLE, kTrue);
    device()->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    device()->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    device()->SetRenderState(RS_ALPHATESTENABLE, kTrue);
    device()->SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
    device()->SetRenderState(RS_ALPHAREF, 0);
    device()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device()->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    device()->SetTextureStageState(0, TSS_MAGFILTER, TEXF_POINT);
    device()->SetTextureStageState(0, TSS_MINFILTER, TEXF_POINT);
    device()->SetTextureStageState(0, TSS_BORDERCOLOR, 0x00FFFFFF);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        device()->SetTexture(0, c.texture);
        const uint32_t address = c.u0 > 1 ? TADDRESS_BORDER : TADDRESS_CLAMP;
        device()->SetTextureStageState(0, TSS_ADDRESSU, address);
        device()->SetTextureStageState(0, TSS_ADDRESSV, address);
        device()->SetTextureStageState(0, TSS_ALPHAOP, c.alphaOp);
        device()->SetTextureStageState(0, TSS_ALPHAARG1, c.alphaArg1);
        device()->SetTextureStageState(0, TSS_ALPHAARG2, c.alphaArg2);
        device()->SetRenderState(RS_TEXTUREFACTOR, c.factorAlpha << 24 | 0xFFFFFF);
        std::vector<ScreenVertex> v;
        PushQuad(&v, float(i * 8), 0, 8, 8, c.vertexAlpha << 24 | 0x00FF00, c.u0, c.u0, c.u0 + 1,
                 c.u0 + 1);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
    }
    EndFrame();
    const vqtest::TestPicture p = Read();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const float a = cases[i].alpha;
        EXPECT_RGB_NEAR(CellCentre(p, int(i)), Pack({0, a, 1 - a, 1}), 1, cases[i].what);
    }
}

// Colour and alpha operations of stages 0 and 1 with every argument source and modifier,
// against the documented formulas.
TEST_F(Gl33, TextureStageOperations) {
    const uint32_t texel = 0xCC8040C0, diffuse = 0x6660A020, factor = 0x33102030,
                   specular = 0x00302010;
    const Rgba T = Unpack(texel), D = Unpack(diffuse), F = Unpack(factor), S = Unpack(specular);
    auto arg = [&](uint32_t a, Rgba current) {
        const Rgba sources[] = {D, current, T, F, S};
        Rgba v = sources[a & TA_SELECTMASK];
        if (a & TA_ALPHAREPLICATE) v = {v.a, v.a, v.a, v.a};
        if (a & TA_COMPLEMENT) v = {1 - v.r, 1 - v.g, 1 - v.b, 1 - v.a};
        return v;
    };
    // The operations by number, on one channel.
    auto op = [&](uint32_t o, float x, float y, Rgba current) {
        const float results[] = {-1,
                                 -1,
                                 x,
                                 y,
                                 x * y,
                                 2 * x * y,
                                 4 * x * y,
                                 x + y,
                                 x + y - 0.5f,
                                 2 * (x + y - 0.5f),
                                 x - y,
                                 x + y - x * y,
                                 x * D.a + y * (1 - D.a),
                                 x * T.a + y * (1 - T.a),
                                 x * F.a + y * (1 - F.a),
                                 x + y * (1 - T.a),
                                 x * current.a + y * (1 - current.a)};
        return results[o];
    };
    auto sat = [](float v) { return std::clamp(v, 0.0f, 1.0f); };

    struct Case {
        uint32_t stage, colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    };
    std::vector<Case> cases;
    for (uint32_t o = TOP_SELECTARG1; o <= TOP_BLENDCURRENTALPHA; ++o) {
        cases.push_back({0, o, TA_TEXTURE, TA_DIFFUSE, TOP_SELECTARG1, TA_TEXTURE, 0});
        cases.push_back(
            {0, o, TA_TFACTOR | TA_COMPLEMENT, TA_SPECULAR, TOP_SELECTARG1, TA_TEXTURE, 0});
        cases.push_back({0, o, TA_DIFFUSE | TA_ALPHAREPLICATE, TA_TEXTURE | TA_ALPHAREPLICATE,
                         TOP_SELECTARG1, TA_TEXTURE, 0});
        // Alpha operations, made visible by stage 1 replicating the alpha.
        cases.push_back({0, TOP_SELECTARG1, TA_DIFFUSE, 0, o, TA_TEXTURE, TA_DIFFUSE});
        cases.push_back(
            {0, TOP_SELECTARG1, TA_DIFFUSE, 0, o, TA_TFACTOR | TA_COMPLEMENT, TA_TEXTURE});
        // Stage 1 on top of a modulating stage 0.
        cases.push_back({1, o, TA_TEXTURE, TA_CURRENT, TOP_SELECTARG1, TA_CURRENT, 0});
    }

    BeginFrame(0xFF000000);
    device()->SetTexture(0, SolidTexture(2, 2, texel));
    device()->SetTexture(1, SolidTexture(2, 2, texel));
    device()->SetRenderState(RS_TEXTUREFACTOR, factor);
    std::vector<ScreenVertex> quads;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        const bool alphaCase =
            c.stage == 0 && c.colorOp == TOP_SELECTARG1 && c.colorArg1 == TA_DIFFUSE;
        for (uint32_t st = 0; st < 2; ++st) {
            const bool mine = st == c.stage;
            device()->SetTextureStageState(st, TSS_COLOROP, mine ? c.colorOp : TOP_MODULATE);
            device()->SetTextureStageState(st, TSS_COLORARG1, mine ? c.colorArg1 : TA_TEXTURE);
            device()->SetTextureStageState(st, TSS_COLORARG2, mine ? c.colorArg2 : TA_CURRENT);
            device()->SetTextureStageState(st, TSS_ALPHAOP, mine ? c.alphaOp : TOP_MODULATE);
            device()->SetTextureStageState(st, TSS_ALPHAARG1, mine ? c.alphaArg1 : TA_TEXTURE);
            device()->SetTextureStageState(st, TSS_ALPHAARG2, mine ? c.alphaArg2 : TA_CURRENT);
        }
        if (alphaCase) {
            device()->SetTextureStageState(1, TSS_COLOROP, TOP_SELECTARG1);
            device()->SetTextureStageState(1, TSS_COLORARG1, TA_CURRENT | TA_ALPHAREPLICATE);
        } else if (c.stage == 0) {
            device()->SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
        }
        quads.clear();
        PushQuad(&quads, float(i % 80 * 8), float(i / 80 * 8), 8, 8, diffuse);
        for (auto& q : quads) q.specular = specular;
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), quads), Result::Ok);
    }
    EndFrame();

    const vqtest::TestPicture p = Read();
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        Rgba current = D;
        if (c.stage == 1)
            current = {sat(T.r * D.r), sat(T.g * D.g), sat(T.b * D.b), sat(T.a * D.a)};
        const Rgba x = arg(c.colorArg1, current), y = arg(c.colorArg2, current);
        const Rgba ax = arg(c.alphaArg1, current), ay = arg(c.alphaArg2, current);
        Rgba out{sat(op(c.colorOp, x.r, y.r, current)), sat(op(c.colorOp, x.g, y.g, current)),
                 sat(op(c.colorOp, x.b, y.b, current)), sat(op(c.alphaOp, ax.a, ay.a, current))};
        const bool alphaCase =
            c.stage == 0 && c.colorOp == TOP_SELECTARG1 && c.colorArg1 == TA_DIFFUSE;
        if (alphaCase) out = {out.a, out.a, out.a, 1};
        EXPECT_RGB_NEAR(CellCentre(p, int(i)), Pack(out), 2,
                        "case " + std::to_string(i) + " stage " + std::to_string(c.stage) +
                            " colour op " + std::to_string(c.colorOp) + " alpha op " +
                            std::to_string(c.alphaOp));
    }
}

// A stage whose operation takes a texture argument while no texture is bound passes the
// previous result through: an untextured model part keeps its lit colour under MODULATE2X
// and ADDSMOOTH and its own alpha, instead of meeting an opaque white texture.
TEST_F(Gl33, StagesReadingAMissingTexturePassThePreviousResult) {
    const uint32_t diffuse = 0x80604020;
    struct Case {
        uint32_t colorOp, colorArg1, colorArg2;
        bool textured;
        uint32_t expected;  // over black, blended by the stage's alpha
    };
    const Case cases[] = {
        {TOP_MODULATE2X, TA_TEXTURE, TA_DIFFUSE, false, 0xFF302010},
        {TOP_ADDSMOOTH, TA_DIFFUSE, TA_TEXTURE, false, 0xFF302010},
        {TOP_ADD, TA_TEXTURE, TA_DIFFUSE, false, 0xFF302010},
        // Taking the other argument alone reads no texture.
        {TOP_SELECTARG2, TA_TEXTURE, TA_DIFFUSE, false, 0xFF302010},
        // With a white texture bound the operations apply (and the alpha is the texture's).
        {TOP_MODULATE2X, TA_TEXTURE, TA_DIFFUSE, true, 0xFFC08040},
        {TOP_ADDSMOOTH, TA_DIFFUSE, TA_TEXTURE, true, 0xFFFFFFFF},
    };
    Texture* white = SolidTexture(2, 2, 0xFFFFFFFF);
    BeginFrame(0xFF000000);
    device()->SetRenderState(RS_ALPHABLENDENABLE, kTrue);
    device()->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
    device()->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
    device()->SetTextureStageState(0, TSS_ALPHAOP, TOP_SELECTARG1);
    device()->SetTextureStageState(0, TSS_ALPHAARG1, TA_TEXTURE);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        device()->SetTexture(0, c.textured ? white : nullptr);
        device()->SetTextureStageState(0, TSS_COLOROP, c.colorOp);
        device()->SetTextureStageState(0, TSS_COLORARG1, c.colorArg1);
        device()->SetTextureStageState(0, TSS_COLORARG2, c.colorArg2);
        FillCell(int(i), diffuse);
    }
    // Stage 1 without a texture leaves stage 0's result as it is.
    device()->SetTexture(0, SolidTexture(2, 2, 0xFF808080));
    device()->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    device()->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    device()->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
    device()->SetTextureStageState(1, TSS_COLOROP, TOP_MODULATE2X);
    device()->SetTextureStageState(1, TSS_COLORARG1, TA_TEXTURE);
    device()->SetTextureStageState(1, TSS_COLORARG2, TA_CURRENT);
    device()->SetTexture(1, nullptr);
    FillCell(int(std::size(cases)), 0xFFFFFFFF);
    EndFrame();

    const vqtest::TestPicture p = Read();
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_RGB_NEAR(CellCentre(p, int(i)), cases[i].expected, 2, "case " + std::to_string(i));
    EXPECT_RGB_NEAR(CellCentre(p, int(std::size(cases))), 0xFF808080, 2, "stage 1 unbound");
}

TEST_F(Gl33, AddressingFilteringAndMipLevels) {
    const uint32_t black = 0xFF000000, white = 0xFFFFFFFF, border = 0xFF00FF00;
    BeginFrame(0xFF202020);
    device()->SetTexture(0, MakeTexture(2, 1, {black, white}));
    device()->SetTextureStageState(0, TSS_BORDERCOLOR, border);
    const uint32_t modes[4] = {TADDRESS_WRAP, TADDRESS_MIRROR, TADDRESS_CLAMP, TADDRESS_BORDER};
    for (uint32_t m = 0; m < 4; ++m) {
        device()->SetTextureStageState(0, TSS_ADDRESSU, modes[m]);
        std::vector<ScreenVertex> v;
        // Eight pixels whose centres sample u = -0.75, -0.25, ..., 2.75.
        PushQuad(&v, 9.5f, 9.5f + 4.0f * float(m), 8, 1, white, -1, 0, 3, 1);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
    }
    // Magnified 64 times: point keeps hard texels, linear blends them.
    for (uint32_t f = 0; f < 2; ++f) {
        device()->SetTextureStageState(0, TSS_ADDRESSU, TADDRESS_CLAMP);
        device()->SetTextureStageState(0, TSS_MAGFILTER, f ? TEXF_LINEAR : TEXF_POINT);
        std::vector<ScreenVertex> v;
        PushQuad(&v, 99.5f, 99.5f + 8.0f * float(f), 128, 4, white);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
    }
    // A red level 0 and a green level 1: shrinking 4 x 4 texels onto 2 x 2 pixels picks
    // level 1 only when a mip filter is set.
    Texture* mipped = nullptr;
    ASSERT_EQ(device()->CreateTexture(4, 4, 2, Format::A8R8G8B8, &mipped), Result::Ok);
    Own(mipped);
    for (uint32_t level = 0; level < 2; ++level) {
        uint32_t pitch = 0;
        uint32_t* texels = mipped->LockRect(level, &pitch);
        std::fill_n(texels, pitch * mipped->Height(level), level ? 0xFF00FF00u : 0xFFFF0000u);
        mipped->UnlockRect(level);
    }
    device()->SetTexture(0, mipped);
    device()->SetTextureStageState(0, TSS_MINFILTER, TEXF_POINT);
    for (uint32_t mip = 0; mip < 2; ++mip) {
        device()->SetTextureStageState(0, TSS_MIPFILTER, mip ? TEXF_POINT : TEXF_NONE);
        std::vector<ScreenVertex> v;
        PushQuad(&v, 199.5f + 8.0f * float(mip), 199.5f, 2, 2, white);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
    }
    EndFrame();

    const vqtest::TestPicture p = Read();
    const char* expected[4] = {"BWBWBWBW", "WBBWWBBW", "BBBWWWWW", "GGBWGGGG"};
    for (uint32_t m = 0; m < 4; ++m) {
        for (uint32_t i = 0; i < 8; ++i) {
            const char e = expected[m][i];
            EXPECT_EQ(At(p, 10 + i, 10 + 4 * m), e == 'B'   ? black
                                                 : e == 'W' ? white
                                                            : border)
                << "mode " << modes[m] << " pixel " << i;
        }
    }
    // Point: the left half black, the right half white. Linear: a ramp between them.
    EXPECT_EQ(At(p, 100 + 63, 100), black);
    EXPECT_EQ(At(p, 100 + 64, 100), white);
    EXPECT_RGB_NEAR(At(p, 100 + 64, 108), 0xFF808080u, 3, "linear middle");
    EXPECT_LT(At(p, 100 + 40, 108) & 0xFF, At(p, 100 + 60, 108) & 0xFF);
    EXPECT_EQ(At(p, 200, 200), 0xFFFF0000u);
    EXPECT_EQ(At(p, 208, 200), 0xFF00FF00u);
}

TEST_F(Gl33, CullingFollowsTheWindingOnScreen) {
    // Screen y runs down: (0,0) -> (20,0) -> (0,20) turns clockwise on screen.
    const ScreenVertex clockwise[3] = {{0, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                                       {20, 0, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                                       {0, 20, 0, 1, 0xFFFFFFFF, 0, 0, 0}};
    const ScreenVertex counter[3] = {clockwise[0], clockwise[2], clockwise[1]};
    BeginFrame(0xFF000000);
    UseDiffuseOnly();
    device()->SetVertexShader(vqtest::kScreenVertexFvf);
    const uint32_t modes[3] = {CULL_NONE, CULL_CW, CULL_CCW};
    for (uint32_t m = 0; m < 3; ++m) {
        device()->SetRenderState(RS_CULLMODE, modes[m]);
        for (int w = 0; w < 2; ++w) {
            ScreenVertex t[3];
            std::copy_n(w ? counter : clockwise, 3, t);
            for (auto& v : t) v.x += float(40 * (m * 2 + w)), v.y += 10;
            ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLELIST, 1, t, sizeof(ScreenVertex)),
                      Result::Ok);
        }
    }
    EndFrame();
    const vqtest::TestPicture p = Read();
    const bool drawn[3][2] = {{true, true}, {false, true}, {true, false}};
    for (uint32_t m = 0; m < 3; ++m)
        for (int w = 0; w < 2; ++w)
            EXPECT_EQ(At(p, 40 * (m * 2 + w) + 4, 14) == 0xFFFFFFFFu, drawn[m][w])
                << "cull " << modes[m] << (w ? " counter-clockwise" : " clockwise");
}

TEST_F(Gl33, DepthTestWritesAndColourMask) {
    BeginFrame(0xFF000000);
    UseDiffuseOnly();
    auto quad = [&](float x, float z, uint32_t color) {
        std::vector<ScreenVertex> v;
        PushQuad(&v, x, 0, 8, 8, color);
        for (auto& q : v) q.z = z;
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
    };
    for (uint32_t func = CMP_NEVER; func <= CMP_ALWAYS; ++func) {
        device()->SetRenderState(RS_ZFUNC, CMP_ALWAYS);
        quad(float(func * 8), 0.5f, 0xFF0000FF);
        device()->SetRenderState(RS_ZFUNC, func);
        quad(float(func * 8), 0.25f, 0xFF00FF00);  // nearer than what is there
    }
    // Depth writes off: a later draw still tests against the older depth.
    device()->SetRenderState(RS_ZFUNC, CMP_LESS);
    quad(100, 0.5f, 0xFF0000FF);
    device()->SetRenderState(RS_ZWRITEENABLE, kFalse);
    quad(100, 0.25f, 0xFF00FF00);
    device()->SetRenderState(RS_ZWRITEENABLE, kTrue);
    quad(100, 0.4f, 0xFFFF0000);
    // Depth test off: drawn whatever the depth.
    device()->SetRenderState(RS_ZENABLE, ZB_FALSE);
    quad(120, 0.9f, 0xFFFFFFFF);
    device()->SetRenderState(RS_ZENABLE, ZB_TRUE);
    // Only red and blue written.
    device()->SetRenderState(RS_ZFUNC, CMP_ALWAYS);
    device()->SetRenderState(RS_COLORWRITEENABLE, 0x5);
    quad(140, 0.1f, 0xFFFFFFFF);
    EndFrame();

    const vqtest::TestPicture p = Read();
    for (uint32_t func = CMP_NEVER; func <= CMP_ALWAYS; ++func) {
        const bool pass =
            func == CMP_LESS || func == CMP_LESSEQUAL || func == CMP_NOTEQUAL || func == CMP_ALWAYS;
        EXPECT_EQ(At(p, func * 8 + 4, 4), pass ? 0xFF00FF00u : 0xFF0000FFu) << "func " << func;
    }
    EXPECT_EQ(At(p, 104, 4), 0xFFFF0000u);
    EXPECT_EQ(At(p, 124, 4), 0xFFFFFFFFu);
    EXPECT_EQ(At(p, 144, 4), 0xFFFF00FFu);
}

struct ColorVertex {
    float x, y, z;
    uint32_t color;
};
constexpr uint32_t kColorVertexFvf = FVF_XYZ | FVF_DIFFUSE;

TEST_F(Gl33, TransformedVerticesLandWhereTheProjectionPutsThem) {
    const Mat4 view = LookAtRH(Vec3{3, 4, 10}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    const Mat4 proj = PerspectiveFovRH(kPi / 4, 4.0f / 3.0f, 1.0f, 100.0f);
    BeginFrame(0xFF000000);
    UseDiffuseOnly();
    device()->SetRenderState(RS_LIGHTING, kFalse);
    device()->SetTransform(TS_VIEW, view);
    device()->SetTransform(TS_PROJECTION, proj);
    device()->SetVertexShader(kColorVertexFvf);
    const ColorVertex points[4] = {{0, 0, 0, 0xFFFF0000},
                                   {1.3f, -0.7f, 0.4f, 0xFF00FF00},
                                   {-2.1f, 1.6f, -1.0f, 0xFF0000FF},
                                   {0, 0, 200, 0xFFFFFFFF}};  // behind the camera
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_POINTLIST, 4, points, sizeof(ColorVertex)), Result::Ok);
    // A triangle beyond the far plane is clipped away.
    const ColorVertex far[3] = {
        {-50, -50, -200, 0xFFFFFFFF}, {50, -50, -200, 0xFFFFFFFF}, {0, 50, -200, 0xFFFFFFFF}};
    device()->SetRenderState(RS_CULLMODE, CULL_NONE);
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLELIST, 1, far, sizeof(ColorVertex)), Result::Ok);
    EndFrame();

    const vqtest::TestPicture p = Read();
    std::vector<uint32_t> lit;
    for (uint32_t i = 0; i < p.texels.size(); ++i)
        if (p.texels[i] != 0xFF000000u) lit.push_back(i);
    ASSERT_EQ(lit.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        // The viewport transform: x = (ndc x + 1) x 320, y = (1 - ndc y) x 240, centres on
        // whole pixels.
        const Vec3 ndc =
            TransformCoord(Vec3{points[i].x, points[i].y, points[i].z}, Multiply(view, proj));
        const long sx = std::lround((ndc.x + 1) * 320), sy = std::lround((1 - ndc.y) * 240);
        const auto at = std::find_if(lit.begin(), lit.end(),
                                     [&](uint32_t k) { return p.texels[k] == points[i].color; });
        ASSERT_NE(at, lit.end()) << i;
        EXPECT_EQ(long(*at % 640), sx) << i;
        EXPECT_EQ(long(*at / 640), sy) << i;
    }
}

// Draws found to lie off the screen are left out before they reach GL; draws at the edges of
// the view or straddling the camera must still be drawn, and so must a buffer's vertices
// once they moved onto the screen or when a draw reads another range of them.
TEST_F(Gl33, DrawsAtTheEdgesOfTheViewAreDrawn) {
    // Camera at the origin looking down -z, 90 degrees high. Pixel centres sit on whole
    // screen coordinates: column 0 at ndc x -1, column 639 at 0.996875, row 0 at ndc y 1,
    // row 479 at -0.995833.
    using Quad = std::array<Vec3, 4>;
    auto ndc = [](float x0, float x1, float y0, float y1, float d) {
        const float sx = d * 4 / 3;
        return Quad{{{x0 * sx, y0 * d, -d},
                     {x1 * sx, y0 * d, -d},
                     {x0 * sx, y1 * d, -d},
                     {x1 * sx, y1 * d, -d}}};
    };
    struct Case {
        const char* what;
        Quad corners;
        uint32_t probeX, probeY;  // a pixel the quad covers
    };
    const Case cases[] = {
        {"left edge", ndc(-1.5f, -0.999f, -0.5f, 0.5f, 10), 0, 240},
        {"right edge", ndc(0.9965f, 1.5f, -0.5f, 0.5f, 10), 639, 240},
        {"top edge", ndc(-0.5f, 0.5f, 0.999f, 1.5f, 10), 320, 0},
        {"bottom edge", ndc(-0.5f, 0.5f, -1.5f, -0.995f, 10), 320, 479},
        {"just beyond the near plane", ndc(-0.5f, 0.5f, -0.5f, 0.5f, 1.001f), 320, 240},
        {"just before the far plane", ndc(-0.5f, 0.5f, -0.5f, 0.5f, 99.9f), 320, 240},
        // A floor reaching behind the camera: (0, -1, -2) shows at row 360.
        {"straddling the camera", Quad{{{-9, -1, 5}, {9, -1, 5}, {-9, -1, -9}, {9, -1, -9}}}, 320,
         360},
    };
    auto setUp = [&] {
        BeginFrame(0xFF000000);
        UseDiffuseOnly();
        device()->SetRenderState(RS_LIGHTING, kFalse);
        device()->SetRenderState(RS_CULLMODE, CULL_NONE);
        device()->SetTransform(TS_PROJECTION, PerspectiveFovRH(kPi / 2, 4.0f / 3.0f, 1, 100));
        device()->SetVertexShader(kColorVertexFvf);
        device()->SetViewport(Viewport{0, 0, 640, 480, 0, 1});
    };
    for (const Case& c : cases) {
        setUp();
        ColorVertex v[4];
        for (int i = 0; i < 4; ++i)
            v[i] = {c.corners[i].x, c.corners[i].y, c.corners[i].z, 0xFF00FF00};
        // First far above the view, left out; then where it shows.
        device()->SetTransform(TS_WORLD, Translation(0, 1000, 0));
        ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, v, sizeof v[0]), Result::Ok);
        device()->SetTransform(TS_WORLD, Identity());
        ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, v, sizeof v[0]), Result::Ok);
        EndFrame();
        EXPECT_EQ(At(Read(), c.probeX, c.probeY), 0xFF00FF00u) << c.what;
    }

    // Screen sprites over each edge of a device viewport away from the corner: x, y, w, h
    // and the pixel they must cover.
    const float sprites[][6] = {{60, 100, 40.25f, 10, 100, 105},
                                {298.9f, 100, 100, 10, 299, 105},
                                {150, 0, 10, 50.5f, 155, 50},
                                {150, 199, 10, 100, 155, 199}};
    for (const auto& s : sprites) {
        BeginFrame(0xFF000000);
        UseDiffuseOnly();
        device()->SetViewport(Viewport{100, 50, 200, 150, 0, 1});
        std::vector<ScreenVertex> v;
        PushQuad(&v, s[0], s[1], s[2], s[3], 0xFF0000FF);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
        EndFrame();
        EXPECT_EQ(At(Read(), uint32_t(s[4]), uint32_t(s[5])), 0xFF0000FFu) << s[0] << ", " << s[1];
    }

    // A buffer of two triangles, each over the middle of the screen or 1000 units above it.
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    ASSERT_EQ(device()->CreateVertexBuffer(6 * sizeof(ColorVertex), kColorVertexFvf, &vb),
              Result::Ok);
    ASSERT_EQ(device()->CreateIndexBuffer(6, Format::Index16, &ib), Result::Ok);
    Own(vb);
    Own(ib);
    const uint16_t indices[3] = {0, 1, 2};
    std::memcpy(ib->Lock(), indices, sizeof indices);
    ib->Unlock();
    auto fill = [&](float first, float second) {
        auto* v = static_cast<ColorVertex*>(vb->Lock());
        for (int k = 0; k < 6; ++k)
            v[k] = {float(k % 3) - 1, (k < 3 ? first : second) + (k % 3 == 2 ? 1.0f : -1.0f), -5,
                    0xFFFF0000};
        vb->Unlock();
    };
    // The first round gives the buffer its GL buffer; in the others the first triangle is
    // drawn off the screen first, then the same vertices moved, or the other triangle.
    for (int round = 0; round < 4; ++round) {
        setUp();
        device()->SetStreamSource(0, vb, sizeof(ColorVertex));
        device()->SetIndices(ib, 3);
        fill(round == 0 ? 0 : 1000, round == 1 ? 1000 : 0);
        ASSERT_EQ(device()->DrawPrimitive(PT_TRIANGLELIST, 0, 1), Result::Ok);
        if (round == 1) fill(0, 1000);
        const Result r = round == 1   ? device()->DrawPrimitive(PT_TRIANGLELIST, 0, 1)
                         : round == 2 ? device()->DrawPrimitive(PT_TRIANGLELIST, 3, 1)
                                      : device()->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 3, 0, 1);
        ASSERT_EQ(r, Result::Ok);
        EndFrame();
        EXPECT_EQ(At(Read(), 320, 240), 0xFFFF0000u) << "round " << round;
    }
}

struct LitVertex {
    float x, y, z, nx, ny, nz;
    uint32_t color;
};
constexpr uint32_t kLitVertexFvf = FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE;

// A quad facing the camera, lit by the one directional light, against
// colour = emissive + ambient x (global ambient + light ambient) + diffuse x light x (n . l).
TEST_F(Gl33, LightingMaterialSourcesAndFog) {
    Light light{};
    light.type = LIGHT_DIRECTIONAL;
    light.diffuse = {0.9f, 0.8f, 1.0f, 0};
    light.ambient = {0.1f, 0.2f, 0.1f, 0};
    light.direction[1] = -0.8f;  // n . l = 0.6 for the normal (0, 0, 1)
    light.direction[2] = -0.6f;
    Material material{};
    material.diffuse = {0.5f, 0.25f, 1.0f, 1};
    material.ambient = {0.4f, 0.6f, 0.2f, 1};
    material.emissive = {0.05f, 0.0f, 0.1f, 1};
    const uint32_t vertexColor = 0xFF3366CC;
    const Rgba vc = Unpack(vertexColor), ga = Unpack(0xFF202020);

    BeginFrame(0xFF000000);
    UseDiffuseOnly();
    device()->SetLight(0, light);
    device()->LightEnable(0, true);
    device()->SetMaterial(material);
    device()->SetRenderState(RS_AMBIENT, 0xFF202020);
    device()->SetRenderState(RS_CULLMODE, CULL_NONE);
    device()->SetVertexShader(kLitVertexFvf);
    device()->SetTransform(TS_PROJECTION, OrthoRH(64, 48, 1, 200));
    device()->SetTransform(TS_VIEW, LookAtRH(Vec3{0, 0, 10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
    struct Case {
        uint32_t diffuseSource, colorVertex, normalize, fogMode, fogTable, rangeFog;
        float scale;
    };
    const Case cases[] = {
        {MCS_MATERIAL, 0, 0, 0, 0, 0, 1},
        {MCS_COLOR1, 1, 0, 0, 0, 0, 1},
        {MCS_COLOR1, 0, 0, 0, 0, 0, 1},    // colour vertex off: the material wins
        {MCS_MATERIAL, 0, 0, 0, 0, 0, 2},  // scaled normals weaken the light ...
        {MCS_MATERIAL, 0, 1, 0, 0, 0, 2},  // ... unless they are normalised
        {MCS_MATERIAL, 0, 0, FOG_LINEAR, 0, 0, 1},
        {MCS_MATERIAL, 0, 0, FOG_EXP, 0, 0, 1},
        {MCS_MATERIAL, 0, 0, FOG_EXP2, 0, 0, 1},
        {MCS_MATERIAL, 0, 0, FOG_LINEAR, 1, 0, 1},
        {MCS_MATERIAL, 0, 0, FOG_LINEAR, 0, 1, 1},
    };
    device()->SetRenderState(RS_FOGCOLOR, 0xFF80FF00);
    device()->SetRenderStateF(RS_FOGSTART, 4.0f);
    device()->SetRenderStateF(RS_FOGEND, 14.0f);
    device()->SetRenderStateF(RS_FOGDENSITY, 0.1f);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        device()->SetRenderState(RS_DIFFUSEMATERIALSOURCE, c.diffuseSource);
        device()->SetRenderState(RS_COLORVERTEX, c.colorVertex);
        device()->SetRenderState(RS_NORMALIZENORMALS, c.normalize);
        device()->SetRenderState(RS_FOGENABLE, c.fogMode != 0);
        device()->SetRenderState(RS_FOGVERTEXMODE, c.fogTable ? FOG_NONE : c.fogMode);
        device()->SetRenderState(RS_FOGTABLEMODE, c.fogTable ? c.fogMode : FOG_NONE);
        device()->SetRenderState(RS_RANGEFOGENABLE, c.rangeFog);
        // Cell i of a 16-column grid, 4 units across; the quad sits at z 0, 10 from the eye.
        const float x = -32 + 4 * float(i % 16) + 2, y = 24 - 4 * float(i / 16) - 2;
        device()->SetTransform(TS_WORLD,
                               Multiply(Scaling(c.scale, c.scale, c.scale), Translation(x, y, 0)));
        const float h = 1.5f / c.scale;
        const LitVertex quad[4] = {{-h, -h, 0, 0, 0, 1, vertexColor},
                                   {-h, h, 0, 0, 0, 1, vertexColor},
                                   {h, -h, 0, 0, 0, 1, vertexColor},
                                   {h, h, 0, 0, 0, 1, vertexColor}};
        ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, quad, sizeof(LitVertex)),
                  Result::Ok);
    }
    EndFrame();

    const vqtest::TestPicture p = Read();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const Rgba cd = c.diffuseSource == MCS_COLOR1 && c.colorVertex
                            ? vc
                            : Rgba{material.diffuse.r, material.diffuse.g, material.diffuse.b, 1};
        // Scaling by 2 halves the normals through the inverse transpose.
        const float ndl = 0.6f * (c.scale == 2 && !c.normalize ? 0.5f : 1.0f);
        auto lit = [&](float e, float a, float gam, float la, float d, float ld) {
            return e + a * (gam + la) + d * ld * ndl;
        };
        Rgba color{lit(material.emissive.r, material.ambient.r, ga.r, light.ambient.r, cd.r,
                       light.diffuse.r),
                   lit(material.emissive.g, material.ambient.g, ga.g, light.ambient.g, cd.g,
                       light.diffuse.g),
                   lit(material.emissive.b, material.ambient.b, ga.b, light.ambient.b, cd.b,
                       light.diffuse.b),
                   1};
        // The cell's centre is 10 units away along z (the range grows with x and y).
        const float cx = -32 + 4 * float(i % 16) + 2, cy = 24 - 4 * float(i / 16) - 2;
        const float d = c.rangeFog ? std::sqrt(100 + cx * cx + cy * cy) : 10.0f;
        float f = 1;
        if (c.fogMode == FOG_LINEAR) f = std::clamp((14 - d) / 10, 0.0f, 1.0f);
        if (c.fogMode == FOG_EXP) f = std::exp(-0.1f * d);
        if (c.fogMode == FOG_EXP2) f = std::exp(-(0.1f * d) * (0.1f * d));
        const Rgba fog = Unpack(0xFF80FF00);
        auto mix = [f](float fogc, float v) {
            return f * std::clamp(v, 0.0f, 1.0f) + (1 - f) * fogc;
        };
        color = {mix(fog.r, color.r), mix(fog.g, color.g), mix(fog.b, color.b), 1};
        const uint32_t px = uint32_t((cx + 32) * 10), py = uint32_t((24 - cy) * 10);
        EXPECT_RGB_NEAR(At(p, px, py), Pack(color), 3, "case " + std::to_string(i));
    }
}

TEST_F(Gl33, BuffersUploadAgainAfterUnlockAndIndexedDrawsUseTheirBase) {
    BeginFrame(0xFF000000);
    UseDiffuseOnly();
    VertexBuffer* vb = nullptr;
    ASSERT_EQ(device()->CreateVertexBuffer(8 * sizeof(ScreenVertex), vqtest::kScreenVertexFvf, &vb),
              Result::Ok);
    Own(vb);
    IndexBuffer* ib16 = nullptr;
    IndexBuffer* ib32 = nullptr;
    ASSERT_EQ(device()->CreateIndexBuffer(12, Format::Index16, &ib16), Result::Ok);
    ASSERT_EQ(device()->CreateIndexBuffer(24, Format::Index32, &ib32), Result::Ok);
    Own(ib16);
    Own(ib32);
    auto fill = [&](uint32_t color) {
        auto* v = static_cast<ScreenVertex*>(vb->Lock());
        for (int q = 0; q < 2; ++q) {
            const float x = float(q * 20);
            v[q * 4 + 0] = {x, 0, 0, 1, color, 0, 0, 0};
            v[q * 4 + 1] = {x + 10, 0, 0, 1, color, 0, 0, 0};
            v[q * 4 + 2] = {x, 10, 0, 1, color, 0, 0, 0};
            v[q * 4 + 3] = {x + 10, 10, 0, 1, color, 0, 0, 0};
        }
        vb->Unlock();
    };
    const uint16_t i16[6] = {0, 1, 2, 2, 1, 3};
    const uint32_t i32[6] = {0, 1, 2, 2, 1, 3};
    std::memcpy(ib16->Lock(), i16, sizeof i16);
    ib16->Unlock();
    std::memcpy(ib32->Lock(), i32, sizeof i32);
    ib32->Unlock();
    device()->SetVertexShader(vqtest::kScreenVertexFvf);
    device()->SetStreamSource(0, vb, sizeof(ScreenVertex));
    fill(0xFFFF0000);
    ASSERT_EQ(device()->DrawPrimitive(PT_TRIANGLESTRIP, 0, 2), Result::Ok);
    fill(0xFF00FF00);               // the second draw must see the new contents
    device()->SetIndices(ib16, 4);  // base 4: the second quad
    ASSERT_EQ(device()->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 4, 0, 2), Result::Ok);
    device()->SetIndices(ib32, 0);
    fill(0xFF0000FF);
    const auto* v = static_cast<const ScreenVertex*>(vb->Lock());
    std::vector<ScreenVertex> moved(v, v + 8);
    vb->Unlock();
    for (auto& m : moved) m.y += 20;
    // User memory with a first index of 4: only vertices 4..7 are given to the draw.
    const uint16_t up[6] = {4, 5, 6, 6, 5, 7};
    ASSERT_EQ(device()->DrawIndexedPrimitiveUP(PT_TRIANGLELIST, 4, 4, 2, up, Format::Index16,
                                               moved.data(), sizeof(ScreenVertex)),
              Result::Ok);
    ASSERT_EQ(device()->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 4, 0, 2), Result::Ok);
    EndFrame();
    const vqtest::TestPicture p = Read();
    EXPECT_EQ(At(p, 5, 5), 0xFF0000FFu);    // redrawn by the 32-bit indexed draw
    EXPECT_EQ(At(p, 25, 5), 0xFF00FF00u);   // the base vertex moved the 16-bit draw
    EXPECT_EQ(At(p, 25, 25), 0xFF0000FFu);  // user memory
    EXPECT_EQ(At(p, 5, 25), 0xFF000000u);
}

// A texture whose texels change while another stage's unit is the active one is uploaded into
// its own GL texture: A drawn on stage 0 with B on stage 1, A changed, then A alone and B
// alone show their own texels.
TEST_F(Gl33, ATextureChangedAfterATwoStageDrawUploadsIntoItsOwn) {
    Texture* a = SolidTexture(2, 2, 0xFFFF0000);
    Texture* b = SolidTexture(2, 2, 0xFF0000FF);
    BeginFrame(0xFF000000);
    device()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device()->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
    device()->SetTextureStageState(1, TSS_COLOROP, TOP_ADD);
    device()->SetTextureStageState(1, TSS_COLORARG1, TA_TEXTURE);
    device()->SetTextureStageState(1, TSS_COLORARG2, TA_CURRENT);
    device()->SetTexture(0, a);
    device()->SetTexture(1, b);
    FillCell(0, 0xFFFFFFFF);
    uint32_t pitch = 0;
    std::fill_n(a->LockRect(0, &pitch), 4, 0xFF00FF00u);
    a->UnlockRect(0);
    device()->SetTextureStageState(1, TSS_COLOROP, TOP_DISABLE);
    FillCell(1, 0xFFFFFFFF);
    device()->SetTexture(0, b);
    FillCell(2, 0xFFFFFFFF);
    EndFrame();
    const vqtest::TestPicture p = Read();
    EXPECT_EQ(CellCentre(p, 0), 0xFFFF00FFu) << "A and B";
    EXPECT_EQ(CellCentre(p, 1), 0xFF00FF00u) << "A changed";
    EXPECT_EQ(CellCentre(p, 2), 0xFF0000FFu) << "B";
}

// Every shader the state can ask for builds: a sweep over the key's dimensions.
TEST_F(Gl33, EveryKindOfGeneratedShaderBuilds) {
    BeginFrame(0xFF000000);
    const float big[64] = {};
    auto draw = [&](uint32_t fvf, const std::string& what) {
        device()->SetVertexShader(fvf);
        EXPECT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLELIST, 1, big, 64), Result::Ok) << what;
    };
    for (uint32_t op = TOP_DISABLE; op <= TOP_BLENDCURRENTALPHA; ++op) {
        for (uint32_t st = 0; st < 2; ++st) {
            device()->SetTextureStageState(st, TSS_COLOROP, op);
            device()->SetTextureStageState(st, TSS_ALPHAOP, op);
            device()->SetTextureStageState(st, TSS_COLORARG2, TA_SPECULAR | TA_COMPLEMENT);
            device()->SetTextureStageState(st, TSS_ALPHAARG1, TA_TFACTOR);
            draw(0x1C4, "op " + std::to_string(op));
        }
    }
    const uint32_t fvfs[] = {FVF_XYZ,
                             FVF_XYZ | FVF_NORMAL,
                             FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE,
                             FVF_XYZ | FVF_NORMAL | FVF_SPECULAR | FVF_TEX2,
                             FVF_XYZB3 | FVF_LASTBETA_UBYTE4 | FVF_NORMAL | FVF_TEX1,
                             0x142,
                             0x152};
    device()->LightEnable(0, true);
    for (uint32_t fvf : fvfs) {
        for (uint32_t variant = 0; variant < 16; ++variant) {
            device()->SetRenderState(RS_LIGHTING, variant & 1);
            device()->SetRenderState(RS_SPECULARENABLE, (variant >> 1) & 1);
            device()->SetRenderState(RS_LOCALVIEWER, (variant >> 2) & 1);
            device()->SetRenderState(RS_SHADEMODE, variant & 8 ? SHADE_FLAT : SHADE_GOURAUD);
            device()->SetRenderState(RS_FOGENABLE, kTrue);
            device()->SetRenderState(RS_FOGVERTEXMODE, variant % 4);
            device()->SetRenderState(RS_FOGTABLEMODE, variant / 4 % 4);
            device()->SetRenderState(RS_RANGEFOGENABLE, variant & 2);
            device()->SetRenderState(RS_SPECULARMATERIALSOURCE, variant % 3);
            device()->SetRenderState(RS_AMBIENTMATERIALSOURCE, (variant + 1) % 3);
            device()->SetRenderState(RS_EMISSIVEMATERIALSOURCE, (variant + 2) % 3);
            device()->SetRenderState(RS_ALPHATESTENABLE, kTrue);
            device()->SetRenderState(RS_ALPHAFUNC, CMP_NEVER + variant % 8);
            draw(fvf, "fvf " + std::to_string(fvf) + " variant " + std::to_string(variant));
        }
    }
    for (uint32_t n = 1; n <= 4; ++n) {
        uint32_t handle = 0;
        ASSERT_EQ(device()->CreateVertexProgram(VertexProgram(n), &handle), Result::Ok);
        draw(handle, "program " + std::to_string(n));
    }
    EndFrame();
}

// Consecutive draws the backend merges paint what the same draws paint one at a time (a
// read-back between them makes each alone): lit strips and lists under their own world
// matrices, flat shaded, blended over each other, and a fan among them; indexed draws from
// one buffer; and what must end a held batch first: a texture or buffer changed after a draw,
// user memory reused, a clear, a buffer released.
TEST_F(Gl33, MergedDrawsPaintAsTheDrawsOneByOne) {
    struct MergeVertex {
        float x, y, z, nx, ny, nz;
        uint32_t color;
    };
    constexpr uint32_t kFvf = FVF_XYZ | FVF_NORMAL | FVF_DIFFUSE;
    // A unit quad as a strip, its corners in four colours of the given alpha.
    auto quad = [](uint32_t alpha, uint32_t tint) {
        std::array<MergeVertex, 4> q{};
        const float xy[4][2] = {{-1, -1}, {-1, 1}, {1, -1}, {1, 1}};
        const uint32_t rgb[4] = {0xE02020, 0x20E020, 0x2020E0, 0xE0E020};
        for (int i = 0; i < 4; ++i)
            q[i] = {xy[i][0], xy[i][1], 0, 0, 0.6f, 0.8f, alpha << 24 | (rgb[i] ^ tint)};
        return q;
    };
    auto place = [&](float x, float y, float turn) {
        device()->SetTransform(TS_WORLD, Multiply(RotationY(turn), Translation(x, y, 0)));
    };
    auto strip = [&](const std::array<MergeVertex, 4>& q) {
        ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, q.data(), sizeof(MergeVertex)),
                  Result::Ok);
    };
    Texture* texture = SolidTexture(2, 2, 0xFFFF8040);
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    auto makeBuffers = [&] {
        ASSERT_EQ(device()->CreateVertexBuffer(12 * sizeof(MergeVertex), kFvf, &vb), Result::Ok);
        ASSERT_EQ(device()->CreateIndexBuffer(36, Format::Index16, &ib), Result::Ok);
        auto* v = static_cast<MergeVertex*>(vb->Lock());
        for (int n = 0; n < 3; ++n) {
            const auto q = quad(0xFF, uint32_t(n) * 0x404040);
            for (int i = 0; i < 4; ++i) {
                v[n * 4 + i] = q[size_t(i)];
                v[n * 4 + i].x += float(n * 3 - 3);
            }
        }
        vb->Unlock();
        auto* index = static_cast<uint16_t*>(ib->Lock());
        for (uint16_t n = 0; n < 3; ++n) {
            const uint16_t list[6] = {0, 1, 2, 2, 1, 3};
            for (int i = 0; i < 6; ++i) index[n * 6 + i] = uint16_t(n * 4 + list[i]);
        }
        ib->Unlock();
        device()->SetStreamSource(0, vb, sizeof(MergeVertex));
        device()->SetIndices(ib, 0);
    };
    auto drawRange = [&](uint32_t n) {
        ASSERT_EQ(device()->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 12, n * 6, 2), Result::Ok);
    };
    auto release = [&] {
        device()->SetStreamSource(0, nullptr, 0);
        device()->SetIndices(nullptr, 0);
        vb->Release();
        ib->Release();
        vb = nullptr;
        ib = nullptr;
    };

    using Between = std::function<void()>;
    struct Case {
        const char* what;
        std::function<void(const Between&)> draw;
    };
    const Case cases[] = {
        {"lit flat strips, each turned its own way, blended over each other",
         [&](const Between& between) {
             device()->SetRenderState(RS_SHADEMODE, SHADE_FLAT);
             for (int i = 0; i < 5; ++i) {
                 place(float(i) * 1.2f - 2.4f, float(i % 2), float(i) * 0.5f);
                 strip(quad(0xA0, 0));
                 between();
             }
         }},
        {"a fan, lists and indexed user draws",
         [&](const Between& between) {
             // Merged as a list, this fan has 20 pixels one step off on the software
             // rasteriser.
             const MergeVertex fan[4] = {{0, -1.5f, 0, 0, 0.6f, 0.8f, 0xFFA1653D},
                                         {1.25f, -2, 0, 0, 0.6f, 0.8f, 0xFFF1A639},
                                         {0.75f, 0, 0, 0, 0.6f, 0.8f, 0xFF0350BF},
                                         {0.375f, 1.125f, 0, 0, 0.6f, 0.8f, 0xFFD4B560}};
             place(-0.125f, 0.5f, 0);
             ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, fan, sizeof(MergeVertex)),
                       Result::Ok);
             between();
             const auto q = quad(0xFF, 0x102030);
             place(0, 1, -0.4f);
             ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLELIST, 1, q.data(), sizeof(MergeVertex)),
                       Result::Ok);
             between();
             const MergeVertex ring[6] = {
                 {0, 0, 0, 0, 0, 1, 0xFFFFFFFF}, q[0], q[1], q[3], q[2], q[0]};
             const uint32_t indices[4] = {2, 3, 5, 4};  // a strip over vertices 2..5
             place(2, -1, 0.8f);
             ASSERT_EQ(device()->DrawIndexedPrimitiveUP(PT_TRIANGLESTRIP, 2, 4, 2, indices,
                                                        Format::Index32, ring, sizeof(MergeVertex)),
                       Result::Ok);
             between();
         }},
        {"a texture changed between two draws",
         [&](const Between& between) {
             uint32_t pitch = 0;
             std::fill_n(texture->LockRect(0, &pitch), 4, 0xFFFF8040u);
             texture->UnlockRect(0);
             device()->SetTexture(0, texture);
             place(-2, 0, 0);
             strip(quad(0xFF, 0));
             between();
             std::fill_n(texture->LockRect(0, &pitch), 4, 0xFF40A0FFu);
             texture->UnlockRect(0);
             place(2, 0, 0);
             strip(quad(0xFF, 0));
             between();
         }},
        {"user memory reused and a clear between draws",
         [&](const Between& between) {
             auto q = quad(0xFF, 0);
             place(-2, 0, 0);
             strip(q);
             between();
             q = quad(0xFF, 0xFFFFFF);
             place(2, 0, 0);
             strip(q);
             between();
             device()->Clear(CLEAR_TARGET, 0xFF000080, 1.0f, 0);
             place(0, 1, 0);
             strip(q);
             between();
         }},
        {"buffer ranges, the buffer changed, then released",
         [&](const Between& between) {
             makeBuffers();
             place(0, 0, 0.3f);
             for (uint32_t n : {0u, 2u}) {
                 drawRange(n);
                 between();
             }
             auto* v = static_cast<MergeVertex*>(vb->Lock());
             for (int i = 0; i < 12; ++i) v[i].y += 0.5f;
             vb->Unlock();
             drawRange(1);
             between();
             drawRange(0);
             between();
             release();
             place(0, -1, 0.2f);
             strip(quad(0xFF, 0));
             between();
         }},
    };

    for (const Case& c : cases) {
        vqtest::TestPicture pictures[2];
        for (int oneByOne = 0; oneByOne < 2; ++oneByOne) {
            BeginFrame(0xFF000000);
            Light light{};
            light.type = LIGHT_DIRECTIONAL;
            light.diffuse = {0.9f, 0.8f, 1.0f, 0};
            light.direction[2] = -1;
            device()->SetLight(0, light);
            device()->LightEnable(0, true);
            device()->SetRenderState(RS_DIFFUSEMATERIALSOURCE, MCS_COLOR1);
            device()->SetRenderState(RS_CULLMODE, CULL_NONE);
            device()->SetRenderState(RS_ALPHABLENDENABLE, kTrue);
            device()->SetRenderState(RS_SRCBLEND, BLEND_SRCALPHA);
            device()->SetRenderState(RS_DESTBLEND, BLEND_INVSRCALPHA);
            device()->SetRenderState(RS_SHADEMODE, SHADE_GOURAUD);
            device()->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
            device()->SetTextureStageState(0, TSS_COLORARG1, TA_TEXTURE);
            device()->SetTextureStageState(0, TSS_COLORARG2, TA_DIFFUSE);
            device()->SetTexture(0, nullptr);
            device()->SetVertexShader(kFvf);
            device()->SetTransform(TS_PROJECTION, OrthoRH(8, 6, 1, 100));
            device()->SetTransform(TS_VIEW, LookAtRH(Vec3{0, 0, 10}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
            std::vector<uint32_t> scratch;
            uint32_t w = 0, h = 0;
            c.draw([&] {
                if (oneByOne) {
                    ASSERT_TRUE(device()->ReadBackBuffer(&scratch, &w, &h));
                }
            });
            EndFrame();
            pictures[oneByOne] = Read();
        }
        const auto& merged = pictures[0].texels;
        const auto& single = pictures[1].texels;
        const auto differing = std::inner_product(merged.begin(), merged.end(), single.begin(),
                                                  size_t{0}, std::plus<>(), std::not_equal_to<>());
        EXPECT_EQ(differing, 0u) << c.what;
        EXPECT_GT(std::count_if(single.begin(), single.end(),
                                [&](uint32_t t) { return t != single.front(); }),
                  1000)
            << c.what << ": little was drawn";
    }
}

// Resources made and released on the loader thread, draws refused off the main thread,
// and every resource still valid after a device reset.
TEST_F(Gl33, LoaderThreadResourcesAndResetKeepEverything) {
    Texture* texture = nullptr;
    std::thread loader([&] {
        ASSERT_EQ(device()->CreateTexture(2, 2, 1, Format::X8R8G8B8, &texture), Result::Ok);
        uint32_t pitch = 0;
        std::fill_n(texture->LockRect(0, &pitch), 4, 0x00336699u);  // no alpha: reads opaque
        texture->UnlockRect(0);
    });
    loader.join();
    Own(texture);

    auto frame = [&](uint32_t x) {
        BeginFrame(0xFF000000);
        device()->SetTexture(0, texture);
        device()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
        device()->SetRenderState(RS_ALPHATESTENABLE, kTrue);
        device()->SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
        std::vector<ScreenVertex> v;
        PushQuad(&v, float(x), 0, 8, 8, 0xFFFFFFFF);
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
        Result refused = Result::Ok;
        std::thread other([&] { refused = vqtest::DrawScreenTriangles(device(), v); });
        other.join();
        EXPECT_EQ(refused, Result::InvalidCall);
        EndFrame();
    };
    frame(0);
    EXPECT_EQ(At(Read(), 4, 4), 0xFF336699u);

    device()->SimulateDeviceLoss();
    EXPECT_EQ(device()->Present(), Result::DeviceLost);
    EXPECT_EQ(device()->TestCooperativeLevel(), Result::DeviceNotReset);
    ASSERT_EQ(device()->Reset(device()->GetPresentParams()), Result::Ok);
    frame(16);
    EXPECT_EQ(At(Read(), 20, 4), 0xFF336699u);
    EXPECT_EQ(device()->Present(), Result::Ok);

    // A texture released on the loader thread after use: its GL object is deleted at the
    // next call on the main thread, and a texture made after it draws correctly.
    Texture* temporary = nullptr;
    ASSERT_EQ(device()->CreateTexture(2, 2, 1, Format::A8R8G8B8, &temporary), Result::Ok);
    std::swap(texture, temporary);
    frame(32);
    std::swap(texture, temporary);
    std::thread([&] { temporary->Release(); }).join();
    frame(48);
    EXPECT_EQ(At(Read(), 52, 4), 0xFF336699u);
}

}  // namespace
