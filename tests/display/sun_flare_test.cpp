// The sun, the moon and the lens flare on gl33 with the demo data's sun picture: golden
// images of a sun near and far from the screen centre and of a moon, and the rules of the
// flare's measurement: a moon (also beside a sun) never has a flare, a flare is drawn only
// from its own frame's measurement, a sun behind the camera or hidden by the course.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/display/display_fixture.h"
#include "world/draw/sun_flare.h"

namespace {

class SunFlare : public vqtest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        if (HasFatalFailure()) return;
        ResetLensFlareState();
        std::memset(&stage_, 0, sizeof stage_);
        stage_.farClip = 10000;
        gCurrentStage = &stage_;
        gGameState.sunVisible = 1;
    }
    void Sun(float x, float y, float z) {
        stage_.sun = 1;
        stage_.moon = 0;
        stage_.sunPosition[0] = x;
        stage_.sunPosition[1] = y;
        stage_.sunPosition[2] = z;
    }
    static void WorldPass() {
        DrawSunAndMeasureFlare();
        DrawLensFlare();
    }
    static size_t Differing(const vqtest::TestPicture& a, const vqtest::TestPicture& b) {
        size_t n = 0;
        for (size_t k = 0; k < a.texels.size() && k < b.texels.size(); ++k)
            n += a.texels[k] != b.texels[k];
        return n;
    }
    static bool AllClear(const vqtest::TestPicture& p) {
        for (uint32_t t : p.texels) {
            if (t != p.texels[0]) return false;
        }
        return true;
    }

    StageInfo stage_;
};

TEST_F(SunFlare, ASunNearTheCentreAndFarFromIt) {
    // The camera looks down +z from the origin: x is mirrored on the screen.
    Sun(-60.0f, 40.0f, 1000.0f);
    DrawHud(WorldPass);
    EXPECT_TRUE(Golden("sun_near"));
    EXPECT_GT(gLensFlareState.brightness, 0.6f);

    Sun(-420.0f, 300.0f, 1000.0f);
    DrawHud(WorldPass);
    EXPECT_TRUE(Golden("sun_far"));
    EXPECT_GT(gLensFlareState.brightness, 0.0f);
    EXPECT_LT(gLensFlareState.brightness, 0.4f);

    // 448 pixels or more away: neither sun nor flare.
    Sun(-2000.0f, 0.0f, 1000.0f);
    DrawHud(WorldPass);
    EXPECT_EQ(gLensFlareState.brightness, 0.0f);
    EXPECT_TRUE(AllClear(Picture()));
}

TEST_F(SunFlare, AMoonHasNoFlareEvenBesideASun) {
    stage_.moon = 1;
    stage_.sunPosition[0] = 80.0f;
    stage_.sunPosition[1] = 60.0f;
    stage_.sunPosition[2] = 1000.0f;
    DrawHud(WorldPass);
    EXPECT_TRUE(Golden("moon"));
    vqtest::TestPicture moon = Picture();

    // A sun stage measured a bright flare; the next stage gives both keys.
    Sun(-20.0f, 10.0f, 1000.0f);
    DrawHud(WorldPass);
    EXPECT_GT(gLensFlareState.brightness, 0.5f);
    stage_.moon = 1;
    stage_.sunPosition[0] = 80.0f;
    stage_.sunPosition[1] = 60.0f;
    DrawHud(WorldPass);
    EXPECT_EQ(Differing(Picture(), moon), 0u);
}

TEST_F(SunFlare, TheFlareIsDrawnOnlyFromItsOwnFramesMeasurement) {
    Sun(-20.0f, 10.0f, 1000.0f);
    DrawHud(WorldPass);
    EXPECT_FALSE(AllClear(Picture()));
    // A second flare without a new measurement draws nothing.
    DrawHud(DrawLensFlare);
    EXPECT_TRUE(AllClear(Picture()));
    // Nor does a stage without a sun or moon after it.
    DrawHud(WorldPass);
    stage_.sun = 0;
    DrawHud(WorldPass);
    EXPECT_TRUE(AllClear(Picture()));
}

TEST_F(SunFlare, BehindTheCameraHiddenOrAtTheCentre) {
    Sun(-20.0f, 10.0f, 1000.0f);
    DrawHud(WorldPass);
    Sun(0.0f, 0.0f, -1000.0f);  // behind: nothing, and the brightness is gone
    DrawHud(WorldPass);
    EXPECT_EQ(gLensFlareState.brightness, 0.0f);
    EXPECT_TRUE(AllClear(Picture()));

    // Back in view the measure is taken again at once; hidden by the course, only the sun.
    Sun(-20.0f, 10.0f, 1000.0f);
    DrawHud(DrawSunAndMeasureFlare);
    vqtest::TestPicture sunAlone = Picture();
    gGameState.sunVisible = 0;
    DrawHud(WorldPass);
    EXPECT_EQ(Differing(Picture(), sunAlone), 0u);
    EXPECT_FALSE(AllClear(sunAlone));

    // Exactly at the centre after a far sun: full brightness, every element on the sun.
    gGameState.sunVisible = 1;
    Sun(-2000.0f, 0.0f, 1000.0f);
    DrawHud(WorldPass);
    Sun(0.0f, 0.0f, 1000.0f);
    DrawHud(WorldPass);
    EXPECT_EQ(gLensFlareState.brightness, 1.0f);
    EXPECT_EQ(gLensFlareState.distance, 0.0f);
    EXPECT_FALSE(AllClear(Picture()));
}

}  // namespace
