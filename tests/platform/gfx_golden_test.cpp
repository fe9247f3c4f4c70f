// Golden pictures of the gl33 backend: whole scenes that mix the features the game's
// drawing relies on, compared with tests/golden/gfx/*.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/support/golden.h"

namespace {

using namespace gfx;
using vqtest::At;
using vqtest::PushQuad;
using vqtest::ScreenVertex;

uint32_t Argb(float a, float r, float g, float b) {
    auto q = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
    return q(a) << 24 | q(r) << 16 | q(g) << 8 | q(b);
}

// A soft round spot: opaque in the middle, fading to transparent at the rim.
std::vector<uint32_t> Spot(uint32_t size, float r, float g, float b) {
    std::vector<uint32_t> t(size * size);
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const float dx = (float(x) + 0.5f) / float(size) * 2 - 1;
            const float dy = (float(y) + 0.5f) / float(size) * 2 - 1;
            const float d = std::sqrt(dx * dx + dy * dy);
            const float a = std::clamp(1.4f - 1.4f * d, 0.0f, 1.0f);
            t[y * size + x] = Argb(a, r * (1 - 0.5f * d), g * (1 - 0.3f * d), b);
        }
    return t;
}

std::vector<uint32_t> Checker(uint32_t size, uint32_t cell, uint32_t a, uint32_t b) {
    std::vector<uint32_t> t(size * size);
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) t[y * size + x] = ((x / cell + y / cell) & 1) ? a : b;
    return t;
}

// A picture with structure in every channel: hue across, alpha down.
std::vector<uint32_t> Ramp(uint32_t size) {
    std::vector<uint32_t> t(size * size);
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const float u = float(x) / float(size - 1), v = float(y) / float(size - 1);
            t[y * size + x] = Argb(1 - 0.8f * v, u, 1 - u, 0.5f + 0.5f * std::sin(u * 6.28f));
        }
    return t;
}

class Golden : public vqtest::GlDeviceTest {
protected:
    void Quads(const std::vector<ScreenVertex>& v) {
        ASSERT_EQ(vqtest::DrawScreenTriangles(device(), v), Result::Ok);
    }
    void Blend(uint32_t src, uint32_t dst) {
        device()->SetRenderState(RS_ALPHABLENDENABLE, kTrue);
        device()->SetRenderState(RS_SRCBLEND, src);
        device()->SetRenderState(RS_DESTBLEND, dst);
    }
    // A background of four coloured corners.
    void Background() {
        device()->SetTexture(0, nullptr);
        const ScreenVertex v[4] = {{0, 0, 0.9f, 1, 0xFF203060, 0, 0, 0},
                                   {640, 0, 0.9f, 1, 0xFF602040, 0, 0, 0},
                                   {0, 480, 0.9f, 1, 0xFF306040, 0, 0, 0},
                                   {640, 480, 0.9f, 1, 0xFFC0B060, 0, 0, 0}};
        device()->SetVertexShader(vqtest::kScreenVertexFvf);
        ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, v, sizeof(ScreenVertex)),
                  Result::Ok);
    }
};

TEST_F(Golden, SpritesWithBlendingAlphaTestAndModulation) {
    BeginFrame();
    Background();
    Texture* spot = MakeTexture(64, 64, Spot(64, 1.0f, 0.9f, 0.5f));
    device()->SetTexture(0, spot);
    device()->SetTextureStageState(0, TSS_ALPHAOP, TOP_MODULATE);
    device()->SetTextureStageState(0, TSS_MAGFILTER, TEXF_LINEAR);
    device()->SetTextureStageState(0, TSS_MINFILTER, TEXF_LINEAR);
    std::vector<ScreenVertex> v;
    // Alpha blended, tinted by the vertex colour, one at half cover, one mirrored.
    Blend(BLEND_SRCALPHA, BLEND_INVSRCALPHA);
    const uint32_t tints[4] = {0xFFFFFFFF, 0xFFFF4040, 0xFF40FF40, 0x804040FF};
    for (int i = 0; i < 4; ++i) PushQuad(&v, 20.0f + 70 * float(i), 20, 96, 96, tints[i]);
    PushQuad(&v, 320, 20, 96, 96, 0xFFFFFFFF, 1, 0, 0.25f, 1);
    Quads(v);
    // Additive glows over each other: black at the rim adds nothing.
    Blend(BLEND_ONE, BLEND_ONE);
    std::vector<uint32_t> glow = Spot(64, 1.0f, 0.9f, 0.5f);
    for (uint32_t& t : glow) {
        const float a = float(t >> 24) / 255.0f;
        t = Argb(1, a * float((t >> 16) & 0xFF) / 255, a * float((t >> 8) & 0xFF) / 255,
                 a * float(t & 0xFF) / 255);
    }
    device()->SetTexture(0, MakeTexture(64, 64, glow));
    v.clear();
    for (int i = 0; i < 5; ++i)
        PushQuad(&v, 40.0f + 40 * float(i), 160 + 10 * float(i % 2), 80, 80, 0xFF6060A0);
    Quads(v);
    // Multiplicative shadow decals: the frame times the colour.
    Blend(BLEND_ZERO, BLEND_SRCCOLOR);
    device()->SetTextureStageState(0, TSS_COLOROP, TOP_ADD);
    std::vector<uint32_t> shade = Spot(64, 1.0f, 1.0f, 1.0f);
    for (uint32_t& t : shade) {
        const float g = 1 - float(t >> 24) / 255.0f;  // dark in the middle, white outside
        t = Argb(1, g, g, g);
    }
    device()->SetTexture(0, MakeTexture(64, 64, shade));
    v.clear();
    PushQuad(&v, 330, 170, 120, 60, 0xFF404040);
    PushQuad(&v, 470, 150, 140, 100, 0xFF808080);
    Quads(v);
    // Alpha test with a hard edge, no blending.
    device()->SetRenderState(RS_ALPHABLENDENABLE, kFalse);
    device()->SetTextureStageState(0, TSS_COLOROP, TOP_MODULATE);
    device()->SetTexture(0, spot);
    device()->SetRenderState(RS_ALPHATESTENABLE, kTrue);
    device()->SetRenderState(RS_ALPHAFUNC, CMP_GREATER);
    device()->SetRenderState(RS_ALPHAREF, 0x80);
    v.clear();
    PushQuad(&v, 40, 300, 128, 128, 0xFFFFFFFF);
    device()->SetTextureStageState(0, TSS_MAGFILTER, TEXF_POINT);
    PushQuad(&v, 200, 300, 128, 128, 0xFFFFC080);
    Quads(v);
    // A sprite turned by 30 degrees, as a fan, blended.
    device()->SetRenderState(RS_ALPHATESTENABLE, kFalse);
    Blend(BLEND_SRCALPHA, BLEND_INVSRCALPHA);
    ScreenVertex fan[4];
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int k = 0; k < 4; ++k) {
        const float a = 0.5236f + float(k) * 1.5708f - 2.356f;
        fan[k] = {480 + 70 * std::cos(a),
                  360 + 70 * std::sin(a),
                  0,
                  1,
                  0xFFFFFFFF,
                  0,
                  uv[k][0],
                  uv[k][1]};
    }
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLEFAN, 2, fan, sizeof(ScreenVertex)), Result::Ok);
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "gfx/sprites"));
}

TEST_F(Golden, TextureOperationsOfTwoStages) {
    BeginFrame(0xFF404040);
    device()->SetTexture(0, MakeTexture(32, 32, Ramp(32)));
    device()->SetTexture(1, MakeTexture(32, 32, Checker(32, 8, 0xFFFFFFFF, 0x80404080)));
    device()->SetTextureStageState(0, TSS_MAGFILTER, TEXF_LINEAR);
    device()->SetTextureStageState(1, TSS_MAGFILTER, TEXF_LINEAR);
    device()->SetRenderState(RS_TEXTUREFACTOR, 0x80FF8000);
    Blend(BLEND_SRCALPHA, BLEND_INVSRCALPHA);
    int cell = 0;
    for (uint32_t op = TOP_SELECTARG1; op <= TOP_BLENDCURRENTALPHA; ++op) {
        for (uint32_t stage = 0; stage < 2; ++stage) {
            for (uint32_t variant = 0; variant < 3; ++variant) {
                device()->SetTextureStageState(0, TSS_COLOROP, stage ? TOP_MODULATE : op);
                device()->SetTextureStageState(0, TSS_ALPHAOP, stage ? TOP_MODULATE : op);
                device()->SetTextureStageState(1, TSS_COLOROP, stage ? op : TOP_DISABLE);
                device()->SetTextureStageState(1, TSS_ALPHAOP, TOP_SELECTARG2);
                const uint32_t args[3][2] = {{TA_TEXTURE, TA_DIFFUSE},
                                             {TA_TEXTURE | TA_COMPLEMENT, TA_TFACTOR},
                                             {TA_DIFFUSE | TA_ALPHAREPLICATE, TA_CURRENT}};
                device()->SetTextureStageState(stage, TSS_COLORARG1, args[variant][0]);
                device()->SetTextureStageState(stage, TSS_COLORARG2, args[variant][1]);
                std::vector<ScreenVertex> v;
                const float x = float(cell % 12) * 52 + 8, y = float(cell / 12) * 58 + 8;
                PushQuad(&v, x, y, 48, 48, 0xC0FFFFFF);
                v[0].diffuse = v[2].diffuse = v[5].diffuse = 0xFF2080FF;  // right side blue
                Quads(v);
                ++cell;
            }
        }
    }
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "gfx/texture_ops"));
}

TEST_F(Golden, FilteringAndAddressing) {
    BeginFrame(0xFF202020);
    device()->SetTexture(0, MakeTexture(8, 8, Checker(8, 1, 0xFFF0F0F0, 0xFF3060C0)));
    device()->SetTextureStageState(0, TSS_BORDERCOLOR, 0xFFC04020);
    const uint32_t filters[2] = {TEXF_POINT, TEXF_LINEAR};
    const uint32_t modes[4] = {TADDRESS_WRAP, TADDRESS_MIRROR, TADDRESS_CLAMP, TADDRESS_BORDER};
    for (int f = 0; f < 2; ++f) {
        device()->SetTextureStageState(0, TSS_MAGFILTER, filters[f]);
        device()->SetTextureStageState(0, TSS_MINFILTER, filters[f]);
        for (int m = 0; m < 4; ++m) {
            device()->SetTextureStageState(0, TSS_ADDRESSU, modes[m]);
            device()->SetTextureStageState(0, TSS_ADDRESSV, modes[3 - m]);
            std::vector<ScreenVertex> v;
            PushQuad(&v, 10 + 156 * float(m), 10 + 150 * float(f), 144, 144, 0xFFFFFFFF, -1, -1,
                     1.5f, 1.5f);
            Quads(v);
        }
    }
    // A fine checker shrunk: without mip levels it shimmers, with them it greys out.
    device()->SetTexture(0, MakeTexture(256, 256, Checker(256, 2, 0xFFFFFFFF, 0xFF000000), 0));
    device()->SetTextureStageState(0, TSS_ADDRESSU, TADDRESS_WRAP);
    device()->SetTextureStageState(0, TSS_ADDRESSV, TADDRESS_WRAP);
    const uint32_t mips[3] = {TEXF_NONE, TEXF_POINT, TEXF_LINEAR};
    for (int m = 0; m < 3; ++m) {
        device()->SetTextureStageState(0, TSS_MIPFILTER, mips[m]);
        // A trapezoid, so the shrinking varies across it.
        const float x = 210 * float(m);
        const ScreenVertex t[4] = {{x + 20, 310, 0, 1, 0xFFFFFFFF, 0, 0, 0},
                                   {x + 220, 310, 0, 1, 0xFFFFFFFF, 0, 1.5f, 0},
                                   {x + 60, 470, 0, 1, 0xFFFFFFFF, 0, 0, 0.5f},
                                   {x + 180, 470, 0, 1, 0xFFFFFFFF, 0, 1.5f, 0.5f}};
        device()->SetVertexShader(vqtest::kScreenVertexFvf);
        ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2, t, sizeof(ScreenVertex)),
                  Result::Ok);
    }
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "gfx/filtering"));
}

TEST_F(Golden, PrimitiveTypesAndCulling) {
    BeginFrame(0xFF101820);
    device()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG2);
    device()->SetVertexShader(vqtest::kScreenVertexFvf);
    auto vertex = [](float x, float y, uint32_t c) { return ScreenVertex{x, y, 0, 1, c, 0, 0, 0}; };
    std::vector<ScreenVertex> list, strip, fan, lines, points;
    for (int i = 0; i < 4; ++i) {
        const float x = 20 + 70 * float(i);
        list.insert(list.end(), {vertex(x, 20, 0xFFFF0000), vertex(x + 60, 20, 0xFF00FF00),
                                 vertex(x + 30 * float(i % 2), 90, 0xFF0000FF)});
    }
    for (int i = 0; i < 10; ++i)
        strip.push_back(vertex(20 + 30 * float(i / 2), 180 - 60 * float(i % 2) + 4 * float(i),
                               i % 3 ? 0xFFFFFF00 : 0xFF00FFFF));
    fan.push_back(vertex(480, 100, 0xFFFFFFFF));
    for (int i = 0; i <= 8; ++i) {
        const float a = float(i) * 0.7f;
        fan.push_back(vertex(480 + 80 * std::cos(a), 100 + 80 * std::sin(a),
                             i % 2 ? 0xFFFF00FF : 0xFF2040FF));
    }
    for (int i = 0; i < 12; ++i) {
        lines.push_back(vertex(20 + 10 * float(i), 220, 0xFFFFFFFF));
        lines.push_back(vertex(30 + 20 * float(i), 300, 0xFFFF8000));
        points.push_back(vertex(300 + 11 * float(i), 230 + 3 * float(i), 0xFFFFFFFF));
    }
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLELIST, 4, list.data(), sizeof(ScreenVertex)),
              Result::Ok);
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 8, strip.data(), sizeof(ScreenVertex)),
              Result::Ok);
    device()->SetRenderState(RS_CULLMODE, CULL_NONE);  // the fan turns both ways
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLEFAN, 8, fan.data(), sizeof(ScreenVertex)),
              Result::Ok);
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_LINELIST, 12, lines.data(), sizeof(ScreenVertex)),
              Result::Ok);
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_LINESTRIP, 11, points.data(), sizeof(ScreenVertex)),
              Result::Ok);
    device()->SetRenderStateF(RS_POINTSIZE, 4.0f);
    for (auto& p : points) p.y += 40;
    ASSERT_EQ(device()->DrawPrimitiveUP(PT_POINTLIST, 12, points.data(), sizeof(ScreenVertex)),
              Result::Ok);
    // The same pair of opposite triangles under each cull mode.
    const uint32_t modes[3] = {CULL_NONE, CULL_CW, CULL_CCW};
    for (int m = 0; m < 3; ++m) {
        device()->SetRenderState(RS_CULLMODE, modes[m]);
        const float x = 40 + 200 * float(m);
        const ScreenVertex pair[6] = {
            vertex(x, 340, 0xFFFF4040),      vertex(x + 70, 340, 0xFFFF4040),
            vertex(x, 460, 0xFFFF4040),      vertex(x + 80, 340, 0xFF40FF40),
            vertex(x + 80, 460, 0xFF40FF40), vertex(x + 150, 460, 0xFF40FF40)};
        ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLELIST, 2, pair, sizeof(ScreenVertex)),
                  Result::Ok);
    }
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "gfx/primitives"));
}

struct MeshVertex {
    float x, y, z, nx, ny, nz, u, v;
};
constexpr uint32_t kMeshFvf = FVF_XYZ | FVF_NORMAL | FVF_TEX1;

// A torus of rings x sides quads, in index and vertex buffers.
void MakeTorus(Device* device, int rings, int sides, VertexBuffer** vb, IndexBuffer** ib) {
    ASSERT_EQ(device->CreateVertexBuffer(uint32_t((rings + 1) * (sides + 1)) * sizeof(MeshVertex),
                                         kMeshFvf, vb),
              Result::Ok);
    ASSERT_EQ(device->CreateIndexBuffer(uint32_t(rings * sides * 6 * 2), Format::Index16, ib),
              Result::Ok);
    auto* v = static_cast<MeshVertex*>((*vb)->Lock());
    for (int r = 0; r <= rings; ++r)
        for (int s = 0; s <= sides; ++s) {
            const float a = float(r) / float(rings) * 2 * kPi,
                        b = float(s) / float(sides) * 2 * kPi;
            const float cx = std::cos(a), sx = std::sin(a), cb = std::cos(b), sb = std::sin(b);
            *v++ = {(3 + cb) * cx,
                    sb,
                    (3 + cb) * sx,
                    cb * cx,
                    sb,
                    cb * sx,
                    4 * float(r) / float(rings),
                    float(s) / float(sides)};
        }
    (*vb)->Unlock();
    auto* i = static_cast<uint16_t*>((*ib)->Lock());
    for (int r = 0; r < rings; ++r)
        for (int s = 0; s < sides; ++s) {
            const auto k = uint16_t(r * (sides + 1) + s), n = uint16_t(k + sides + 1);
            for (uint16_t idx : {k, uint16_t(k + 1), n, n, uint16_t(k + 1), uint16_t(n + 1)})
                *i++ = idx;
        }
    (*ib)->Unlock();
}

TEST_F(Golden, LitTexturedMeshWithFog) {
    VertexBuffer* vb = nullptr;
    IndexBuffer* ib = nullptr;
    MakeTorus(device(), 48, 16, &vb, &ib);
    Own(vb);
    Own(ib);
    BeginFrame(0xFF405060);
    device()->SetTexture(0, MakeTexture(64, 64, Checker(64, 8, 0xFFFFFFFF, 0xFFE08040), 0));
    device()->SetTextureStageState(0, TSS_MAGFILTER, TEXF_LINEAR);
    device()->SetTextureStageState(0, TSS_MINFILTER, TEXF_LINEAR);
    device()->SetTextureStageState(0, TSS_MIPFILTER, TEXF_LINEAR);
    Light light{};
    light.type = LIGHT_DIRECTIONAL;
    light.diffuse = {1, 0.95f, 0.9f, 0};
    light.ambient = {0.2f, 0.2f, 0.25f, 0};
    light.direction[0] = -0.4f;
    light.direction[1] = -0.7f;
    light.direction[2] = -0.6f;
    device()->SetLight(0, light);
    device()->LightEnable(0, true);
    Material material{};
    material.diffuse = {0.9f, 0.9f, 0.9f, 1};
    material.ambient = {0.6f, 0.6f, 0.7f, 1};
    device()->SetMaterial(material);
    device()->SetRenderState(RS_AMBIENT, 0xFF303030);
    device()->SetRenderState(RS_NORMALIZENORMALS, kTrue);
    device()->SetRenderState(RS_FOGENABLE, kTrue);
    device()->SetRenderState(RS_FOGVERTEXMODE, FOG_LINEAR);
    device()->SetRenderState(RS_FOGCOLOR, 0xFF405060);
    device()->SetRenderStateF(RS_FOGSTART, 14.0f);
    device()->SetRenderStateF(RS_FOGEND, 40.0f);
    device()->SetTransform(TS_VIEW, LookAtRH(Vec3{0, 6, 14}, Vec3{0, 0, 0}, Vec3{0, 1, 0}));
    device()->SetTransform(TS_PROJECTION, PerspectiveFovRH(kPi / 4, 4.0f / 3.0f, 1, 100));
    device()->SetVertexShader(kMeshFvf);
    device()->SetStreamSource(0, vb, sizeof(MeshVertex));
    device()->SetIndices(ib, 0);
    // The near torus is mirrored in x, as the game's world is.
    for (int k = 0; k < 4; ++k) {
        const Mat4 world = Multiply(
            Multiply(Scaling(k == 0 ? -1.0f : 1.0f, 1, 1), RotationX(0.5f + 0.3f * float(k))),
            Translation(-4.0f + 6.0f * float(k), 0, -12.0f * float(k)));
        device()->SetTransform(TS_WORLD, world);
        ASSERT_EQ(device()->DrawIndexedPrimitive(PT_TRIANGLELIST, 0, 49 * 17, 0, 48 * 16 * 2),
                  Result::Ok);
    }
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "gfx/lit_mesh_fog"));
}

// A tube along x bent by four bones; one tube per influence count.
TEST_F(Golden, SkinnedTubesWithOneToFourInfluences) {
    BeginFrame(0xFF203040);
    device()->SetTexture(0, MakeTexture(32, 32, Checker(32, 4, 0xFFFFFFFF, 0xFF60A0E0)));
    device()->SetTextureStageState(0, TSS_MAGFILTER, TEXF_LINEAR);
    const Mat4 view = LookAtRH(Vec3{0, 0, 40}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    float c[kVertexShaderConstants][4] = {};
    c[0][0] = 1;
    c[0][3] = 765.01f;
    const Vec3 l = Normalize(Vec3{0.2f, 0.6f, 0.8f});
    c[1][0] = l.x, c[1][1] = l.y, c[1][2] = l.z;
    const Mat4 proj = Transpose(PerspectiveFovRH(kPi / 4, 4.0f / 3.0f, 1, 200));
    std::memcpy(c[2], &proj, sizeof proj);
    const float ambient[4] = {0.15f, 0.12f, 0.1f, 1}, diffuse[4] = {0.9f, 0.85f, 0.7f, 1};
    std::memcpy(c[7], ambient, 16);
    std::memcpy(c[8], diffuse, 16);
    device()->SetRenderState(RS_CULLMODE, CULL_NONE);

    for (uint32_t n = 1; n <= 4; ++n) {
        // Bone b bends by 0.35 radians more than the one before and sits at x = 6 b - 9.
        for (int b = 0; b < 4; ++b) {
            const Mat4 bone = Multiply(
                Multiply(Translation(-(6.0f * float(b) - 9), 0, 0), RotationZ(0.35f * float(b))),
                Translation(6.0f * float(b) - 9, 8.5f - 5.5f * float(n), 0));
            const Mat4 rows = Transpose(Multiply(bone, view));
            std::memcpy(c[9 + 3 * b], &rows, 48);
        }
        device()->SetVertexShaderConstant(0, c, kVertexShaderConstants);
        uint32_t handle = 0;
        ASSERT_EQ(device()->CreateVertexProgram(VertexProgram(n), &handle), Result::Ok);
        device()->SetVertexShader(handle);
        const uint32_t stride = VertexInputSize(handle);
        // One vertex of the tube at x: the n bones nearest to it, weights falling off with
        // the distance.
        auto vertex = [&](float x, int side, uint8_t* out) {
            const float centre = (x + 9) / 6;
            float weights[4] = {}, total = 0;
            uint8_t index[4] = {};
            for (uint32_t k = 0; k < n; ++k) {
                const int bone = std::clamp(int(std::lround(centre)) + int(k) - int(n / 2), 0, 3);
                index[k] = uint8_t(bone);
                weights[k] = 1.0f / (1.0f + std::fabs(centre - float(bone)));
                total += weights[k];
            }
            const float a = float(side) / 10 * 2 * kPi;
            const float pos[3] = {x, 1.2f * std::cos(a), 1.2f * std::sin(a)};
            const float nrm[3] = {0, std::cos(a), std::sin(a)};
            const float uv[2] = {x / 6, float(side) / 10};
            std::memcpy(out, pos, 12);
            for (uint32_t k = 0; k + 1 < n; ++k) {
                const float w = weights[k] / total;
                std::memcpy(out + 12 + 4 * k, &w, 4);
            }
            std::memcpy(out + 12 + 4 * (n - 1), index, 4);
            std::memcpy(out + 16 + 4 * (n - 1), nrm, 12);
            std::memcpy(out + 28 + 4 * (n - 1), uv, 8);
        };
        // Each segment's ring of quads is one strip between two rings of vertices.
        constexpr int kSegments = 36, kSides = 10;
        std::vector<uint8_t> strip(size_t{2} * (kSides + 1) * stride);
        for (int s = 0; s < kSegments; ++s) {
            for (int side = 0; side <= kSides; ++side) {
                for (int edge = 0; edge < 2; ++edge)
                    vertex(-9 + 18 * float(s + edge) / kSegments, side,
                           strip.data() + size_t(side * 2 + edge) * stride);
            }
            ASSERT_EQ(device()->DrawPrimitiveUP(PT_TRIANGLESTRIP, 2 * kSides, strip.data(), stride),
                      Result::Ok);
        }
    }
    EndFrame();
    EXPECT_TRUE(vqtest::MatchesGolden(device(), "gfx/skinning"));
}

}  // namespace
