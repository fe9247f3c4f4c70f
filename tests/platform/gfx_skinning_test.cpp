// The four skinning vertex programs on gl33 against a CPU reference of the same formulas:
// every vertex of a 28-bone palette, drawn as a point, must land where the reference puts
// it, in the colour the reference lights it with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tests/support/golden.h"

namespace {

using namespace gfx;
using vqtest::At;

struct Lcg {
    uint32_t s = 12345;
    float Next(float lo, float hi) {
        s = s * 1664525u + 1013904223u;
        return lo + (hi - lo) * float(s >> 8) / float(1u << 24);
    }
};

float Dot4(const float* a, const float* b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

class Skinning : public vqtest::GlDeviceTest {};

TEST_F(Skinning, ProgramsMatchTheReferenceForOneToFourInfluences) {
    constexpr int kBones = 28;
    Lcg rng;
    float c[kVertexShaderConstants][4] = {};
    const float c0[4] = {1, 0, 0, 765.01f};
    std::memcpy(c[0], c0, sizeof c0);
    const Vec3 light = Normalize(Vec3{0.3f, 0.5f, 0.8f});
    const float c1[4] = {light.x, light.y, light.z, 0};
    std::memcpy(c[1], c1, sizeof c1);
    const Mat4 view = LookAtRH(Vec3{0, 0, 60}, Vec3{0, 0, 0}, Vec3{0, 1, 0});
    const Mat4 proj = Transpose(PerspectiveFovRH(kPi / 4, 4.0f / 3.0f, 1, 500));
    std::memcpy(c[2], &proj, sizeof proj);
    const float ambient[4] = {0.1f, 0.05f, 0.2f, 1}, diffuse[4] = {0.8f, 0.9f, 0.6f, 1};
    std::memcpy(c[7], ambient, sizeof ambient);
    std::memcpy(c[8], diffuse, sizeof diffuse);
    for (int b = 0; b < kBones; ++b) {
        const Mat4 bone =
            Multiply(RotationYawPitchRoll(rng.Next(-1, 1), rng.Next(-1, 1), rng.Next(-1, 1)),
                     Translation(rng.Next(-8, 8), rng.Next(-6, 6), rng.Next(-5, 5)));
        const Mat4 rows = Transpose(Multiply(bone, view));
        std::memcpy(c[9 + 3 * b], &rows, 48);
    }

    BeginFrame(0xFF000000);
    device()->SetVertexShaderConstant(0, c, kVertexShaderConstants);
    device()->SetTextureStageState(0, TSS_COLOROP, TOP_SELECTARG1);
    device()->SetTextureStageState(0, TSS_COLORARG1, TA_DIFFUSE);
    device()->SetRenderStateF(RS_POINTSIZE, 3.0f);
    device()->SetRenderState(RS_ZENABLE, ZB_FALSE);
    EndFrame();

    for (uint32_t n = 1; n <= 4; ++n) {
        uint32_t handle = 0;
        ASSERT_EQ(device()->CreateVertexProgram(VertexProgram(n), &handle), Result::Ok);
        const uint32_t stride = VertexInputSize(handle);
        for (int v = 0; v < 24; ++v) {
            // One vertex: position, n - 1 weights, index bytes, normal, uv.
            float p[4] = {rng.Next(-4, 4), rng.Next(-4, 4), rng.Next(-4, 4), 1};
            float w[4] = {};
            float rest = 1;
            for (uint32_t k = 0; k + 1 < n; ++k) rest -= (w[k] = rng.Next(0, rest));
            w[n - 1] = rest;
            uint8_t index[4] = {};
            for (uint32_t k = 0; k < n; ++k) index[k] = uint8_t(rng.Next(0, kBones - 0.01f));
            const float normal[3] = {rng.Next(-1, 1), rng.Next(-1, 1), rng.Next(0.2f, 1)};
            std::vector<uint8_t> vertex(stride);
            uint8_t* o = vertex.data();
            std::memcpy(o, p, 12);
            std::memcpy(o + 12, w, 4 * (n - 1));
            std::memcpy(o + 12 + 4 * (n - 1), index, 4);
            std::memcpy(o + 16 + 4 * (n - 1), normal, 12);

            // The reference.
            float pos[4] = {0, 0, 0, 1}, nrm[3] = {};
            for (uint32_t k = 0; k < n; ++k) {
                const int r = 9 + int(std::floor(float(index[k]) / 255.0f * 765.01f));
                for (int a = 0; a < 3; ++a) {
                    pos[a] += w[k] * Dot4(p, c[r + a]);
                    nrm[a] += w[k] * (normal[0] * c[r + a][0] + normal[1] * c[r + a][1] +
                                      normal[2] * c[r + a][2]);
                }
            }
            const float len = std::sqrt(nrm[0] * nrm[0] + nrm[1] * nrm[1] + nrm[2] * nrm[2]);
            const float intensity =
                std::max(0.0f, (nrm[0] * c1[0] + nrm[1] * c1[1] + nrm[2] * c1[2]) / len);
            const float clip[4] = {Dot4(pos, c[2]), Dot4(pos, c[3]), Dot4(pos, c[4]),
                                   Dot4(pos, c[5])};
            const long sx = std::lround((clip[0] / clip[3] + 1) * 320);
            const long sy = std::lround((1 - clip[1] / clip[3]) * 240);
            ASSERT_TRUE(clip[3] > 0 && sx > 2 && sx < 637 && sy > 2 && sy < 477) << v;
            uint32_t expected = 0xFF000000u;
            for (int a = 0; a < 3; ++a) {
                const float value = std::clamp(intensity * diffuse[a] + ambient[a], 0.0f, 1.0f);
                expected |= uint32_t(std::lround(value * 255)) << (16 - 8 * a);
            }

            BeginFrame(0xFF000000);
            device()->SetVertexShader(handle);
            ASSERT_EQ(device()->DrawPrimitiveUP(PT_POINTLIST, 1, vertex.data(), stride),
                      Result::Ok);
            EndFrame();
            const uint32_t drawn = At(Read(), uint32_t(sx), uint32_t(sy));
            for (int shift = 0; shift < 24; shift += 8)
                EXPECT_NEAR(int((drawn >> shift) & 0xFF), int((expected >> shift) & 0xFF), 2)
                    << n << " influences, vertex " << v << std::hex << ": drawn " << drawn
                    << ", expected " << expected;
        }
    }
}

}  // namespace
