// The device states of the title's craft preview, and the screen projection on devices
// whose viewport is not the 640 x 480 back buffer, on the null device.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>

#include "engine/core/context.h"
#include "engine/graphics/projection.h"
#include "engine/main/frame.h"
#include "platform/gfx/device.h"
#include "scenes/scene_table.h"

namespace {

// A null device of the given back buffer installed as the game's device.
class OnNullDevice : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGameGlobals();
        Install(640, 480);
    }
    void TearDown() override {
        gPlatform.device = nullptr;
        ResetGameGlobals();
    }
    void Install(uint32_t width, uint32_t height) {
        gfx::PresentParams params;
        params.backBufferWidth = width;
        params.backBufferHeight = height;
        device_ = std::make_unique<gfx::NullDevice>(params);
        gPlatform.device = device_.get();
    }

    std::unique_ptr<gfx::NullDevice> device_;
};

void ExpectMatrix(const gfx::Mat4& actual, const float (&expected)[4][4], const char* what) {
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_NEAR(actual.m[r][c], expected[r][c], 1e-4f)
                << what << " [" << r << "][" << c << "]";
        }
    }
}

TEST_F(OnNullDevice, TheCraftPreviewSetsEveryStateItNeeds) {
    gfx::Device* d = device_.get();
    struct StateCase {
        gfx::RenderState state;
        uint32_t expected;
        uint32_t before;  // a different value, so a state left alone is seen
    };
    const StateCase states[] = {
        {gfx::RS_SHADEMODE, gfx::SHADE_GOURAUD, gfx::SHADE_FLAT},
        {gfx::RS_AMBIENT, 0xFF404040u, 0x12345678u},
        {gfx::RS_ZENABLE, gfx::kFalse, gfx::kTrue},
        {gfx::RS_ZWRITEENABLE, gfx::kTrue, gfx::kFalse},
        {gfx::RS_NORMALIZENORMALS, gfx::kTrue, gfx::kFalse},
        {gfx::RS_ALPHAREF, 0u, 0x80u},
        {gfx::RS_ALPHATESTENABLE, gfx::kTrue, gfx::kFalse},
        {gfx::RS_ALPHAFUNC, gfx::CMP_GREATER, gfx::CMP_ALWAYS},
        {gfx::RS_ZFUNC, gfx::CMP_LESSEQUAL, gfx::CMP_ALWAYS},
        {gfx::RS_SRCBLEND, gfx::BLEND_ONE, gfx::BLEND_SRCALPHA},
        {gfx::RS_DESTBLEND, gfx::BLEND_ONE, gfx::BLEND_INVSRCALPHA},
        {gfx::RS_LIGHTING, gfx::kTrue, gfx::kFalse},
        {gfx::RS_ALPHABLENDENABLE, gfx::kFalse, gfx::kTrue},
    };
    struct StageCase {
        gfx::TextureStageState type;
        uint32_t expected, before;
    };
    const StageCase stages[] = {
        {gfx::TSS_MAGFILTER, gfx::TEXF_LINEAR, gfx::TEXF_POINT},
        {gfx::TSS_MINFILTER, gfx::TEXF_LINEAR, gfx::TEXF_POINT},
        {gfx::TSS_ALPHAOP, gfx::TOP_SELECTARG1, gfx::TOP_MODULATE},
    };
    for (const StateCase& c : states) d->SetRenderState(c.state, c.before);
    for (const StageCase& c : stages) d->SetTextureStageState(0, c.type, c.before);
    d->LightEnable(0, false);
    d->SetVertexShader(gfx::FVF_XYZ);
    gfx::Light stale{};
    stale.type = gfx::LIGHT_POINT;
    stale.specular = gfx::ColorValue{1, 1, 1, 1};
    stale.position[0] = 5.0f;
    stale.range = 100.0f;
    stale.attenuation1 = 1.0f;
    stale.theta = 0.5f;
    d->SetLight(0, stale);
    // The default material keeps its alpha components and power; the rest is set.
    gGraphics.defaultMaterial = gfx::Material{{0.1f, 0.2f, 0.3f, 0.25f},
                                              {0.4f, 0.5f, 0.6f, 0.5f},
                                              {0.7f, 0.8f, 0.9f, 0.75f},
                                              {0.3f, 0.2f, 0.1f, 0.125f},
                                              7.0f};
    // The screen projection takes the context's view and projection as they are on entry.
    gGraphics.view = gfx::Identity();
    gGraphics.view.m[3][0] = 12.0f;
    gGraphics.projection = gfx::Identity();
    gGraphics.projection.m[2][3] = -1.0f;

    SetupDeviceStates();

    for (const StateCase& c : states) {
        EXPECT_EQ(d->GetRenderState(c.state), c.expected) << "render state " << c.state;
    }
    for (const StageCase& c : stages) {
        EXPECT_EQ(d->GetTextureStageState(0, c.type), c.expected) << "stage state " << c.type;
    }
    EXPECT_TRUE(d->State().lightEnabled);
    EXPECT_EQ(d->GetVertexShader(), gfx::FVF_XYZ | gfx::FVF_NORMAL | gfx::FVF_TEX1);

    // A right-handed perspective of pi/4, 4:3, 10 to 20000: y scale cot(pi/8).
    const float ys = 1.0f / std::tan(3.14159265f / 8.0f), xs = ys * 3.0f / 4.0f;
    const float q = 20000.0f / (10.0f - 20000.0f);
    const float projection[4][4] = {
        {xs, 0, 0, 0}, {0, ys, 0, 0}, {0, 0, q, -1}, {0, 0, 10.0f * q, 0}};
    // Looking from (0, 0, 550) at the origin: a move of the world by -550 in z.
    const float view[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, -550, 1}};
    gfx::Mat4 m;
    ASSERT_EQ(d->GetTransform(gfx::TS_PROJECTION, &m), gfx::Result::Ok);
    ExpectMatrix(m, projection, "projection");
    ASSERT_EQ(d->GetTransform(gfx::TS_VIEW, &m), gfx::Result::Ok);
    ExpectMatrix(m, view, "view");

    const gfx::Light& light = d->State().light;
    EXPECT_EQ(light.type, gfx::LIGHT_DIRECTIONAL);
    const float lightValues[][2] = {
        {light.diffuse.r, 1},    {light.diffuse.g, 1},    {light.diffuse.b, 1},
        {light.diffuse.a, 0},    {light.specular.r, 0},   {light.specular.g, 0},
        {light.specular.b, 0},   {light.specular.a, 0},   {light.ambient.r, 0.5f},
        {light.ambient.g, 0.5f}, {light.ambient.b, 0.5f}, {light.ambient.a, 0},
        {light.position[0], 0},  {light.position[1], 0},  {light.position[2], 0},
        {light.direction[0], 0}, {light.direction[1], 0}, {light.direction[2], 1},
        {light.range, 0},        {light.falloff, 0},      {light.attenuation0, 0},
        {light.attenuation1, 0}, {light.attenuation2, 0}, {light.theta, 0},
        {light.phi, 0}};
    for (size_t i = 0; i < std::size(lightValues); ++i) {
        EXPECT_EQ(lightValues[i][0], lightValues[i][1]) << "light value " << i;
    }

    const gfx::Material& mat = gGraphics.defaultMaterial;
    const float materialValues[][2] = {
        {mat.diffuse.r, 1},  {mat.diffuse.g, 1},  {mat.diffuse.b, 1},  {mat.diffuse.a, 0.25f},
        {mat.ambient.r, 1},  {mat.ambient.g, 1},  {mat.ambient.b, 1},  {mat.ambient.a, 0.5f},
        {mat.specular.r, 0}, {mat.specular.g, 0}, {mat.specular.b, 0}, {mat.specular.a, 0.75f},
        {mat.emissive.r, 0}, {mat.emissive.g, 0}, {mat.emissive.b, 0}, {mat.emissive.a, 0.125f},
        {mat.power, 7.0f}};
    for (size_t i = 0; i < std::size(materialValues); ++i) {
        EXPECT_EQ(materialValues[i][0], materialValues[i][1]) << "material value " << i;
    }
    gfx::Material onDevice;
    ASSERT_EQ(d->GetMaterial(&onDevice), gfx::Result::Ok);
    EXPECT_EQ(std::memcmp(&onDevice, &mat, sizeof mat), 0);

    EXPECT_EQ(gScreenProjection.view.m[3][0], 12.0f);
    EXPECT_EQ(gScreenProjection.projection.m[2][3], -1.0f);

    // Without a device there is nothing to set up.
    gPlatform.device = nullptr;
    SetupDeviceStates();
}

// The projection scale comes from the viewport, the screen centre stays at (320, 240).
TEST_F(OnNullDevice, ProjectionFollowsAViewportOtherThan640x480) {
    struct Case {
        uint32_t backWidth, backHeight;
        bool ownViewport;  // else the viewport is the whole back buffer
        gfx::Viewport viewport;
    };
    const Case cases[] = {
        {800, 600, false, {}},
        {320, 240, false, {}},
        {1280, 720, true, {100, 60, 1024, 600, 0.0f, 1.0f}},
        {640, 480, true, {0, 0, 320, 480, 0.0f, 1.0f}},
    };
    for (const Case& c : cases) {
        Install(c.backWidth, c.backHeight);
        if (c.ownViewport) {
            ASSERT_EQ(device_->SetViewport(c.viewport), gfx::Result::Ok);
        }
        const float width = static_cast<float>(c.ownViewport ? c.viewport.width : c.backWidth);
        const float height = static_cast<float>(c.ownViewport ? c.viewport.height : c.backHeight);
        const std::string label = std::to_string(static_cast<int>(width)) + " x " +
                                  std::to_string(static_cast<int>(height));

        // A perspective of x scale 1.5 and y scale 2, with a row below that the scale
        // sums take in (they transform (1, 1, 1)).
        gfx::Mat4 p{};
        p.m[0][0] = 1.5f;
        p.m[1][1] = 2.0f;
        p.m[2][2] = -1.0f;
        p.m[2][3] = -1.0f;
        p.m[3][0] = 0.25f;
        p.m[3][2] = -1.0f;
        gGraphics.projection = p;
        const float sx = width * 1.75f / 2.0f, sy = height * 2.0f / 2.0f;

        // A matrix that halves every point (w = 2), and a view that moves it by -10 in z.
        gfx::Mat4 halving = gfx::Identity();
        halving.m[3][3] = 2.0f;
        ProjectedPointF f;
        ProjectToScreen(&f, gfx::Vec3{4.0f, -6.0f, -20.0f}, halving);
        EXPECT_FLOAT_EQ(gScreenProjection.sx, sx) << label;
        EXPECT_FLOAT_EQ(gScreenProjection.sy, sy) << label;
        EXPECT_FLOAT_EQ(f.x, 320.0f - 2.0f * sx / -10.0f) << label;
        EXPECT_FLOAT_EQ(f.y, -3.0f * sy / -10.0f + 240.0f) << label;
        EXPECT_FLOAT_EQ(f.z, -10.0f) << label;

        gGraphics.view = gfx::Identity();
        gGraphics.view.m[3][2] = -10.0f;
        ProjectedPoint pt;
        ProjectPoint(0.0f, 0.0f, 0.0f, &pt);  // on the line of sight: the fixed centre
        EXPECT_FLOAT_EQ(pt.x, 320.0f) << label;
        EXPECT_FLOAT_EQ(pt.y, 240.0f) << label;
        EXPECT_EQ(pt.depth, -10) << label;
        ProjectPoint(1.0f, 1.0f, 0.5f, &pt);
        EXPECT_FLOAT_EQ(pt.x, 320.0f - sx / -9.5f) << label;
        EXPECT_FLOAT_EQ(pt.y, sy / -9.5f + 240.0f) << label;
        EXPECT_EQ(pt.depth, -9) << label;

        // The captured copies and the screen mapping do not depend on the viewport.
        CaptureViewProjection();
        EXPECT_EQ(std::memcmp(&gScreenProjection.view, &gGraphics.view, sizeof(gfx::Mat4)), 0);
        EXPECT_EQ(std::memcmp(&gScreenProjection.projection, &p, sizeof p), 0);
        EXPECT_EQ(gScreenProjection.centreX, 320.0f) << label;
        EXPECT_EQ(gScreenProjection.centreY, 240.0f) << label;
        EXPECT_FLOAT_EQ(gScreenProjection.scaleX, 320.0f * 1.5f / -1.0f) << label;
        EXPECT_FLOAT_EQ(gScreenProjection.scaleY, -240.0f * 2.0f / -1.0f) << label;
        EXPECT_EQ(gScreenProjection.unitX, 1.0f) << label;
        EXPECT_EQ(gScreenProjection.unitY, 1.0f) << label;
    }
}

}  // namespace
