// The headless game driven by a pad script: the scripted keys and controllers reach the
// pad state of the right player in the right tick.
#include <gtest/gtest.h>

#include "engine/input/devices.h"
#include "engine/input/pad.h"
#include "tests/support/headless_game.h"
#include "tests/support/scripted_input.h"

namespace {

TEST(HeadlessScript, ScriptedInputsReachThePadStatePerTick) {
    vqtest::PadScript script;
    std::string error;
    ASSERT_TRUE(
        script.Parse("# tick inputs\n"
                     "2 Z\n"
                     "4 Z UP\n"
                     "6 C1:B1 C1:LEFT\n"
                     "8 -\n",
                     &error))
        << error;
    vqtest::HeadlessOptions options;
    options.padScript = &script;
    ASSERT_TRUE(vqtest::StartHeadlessGame(options));
    EXPECT_EQ(gInputDevices.controllerCount, 2);
    const uint8_t p1[] = {0, 0, kPadDecide, kPadDecide, kPadDecide | kPadUp, kPadDecide | kPadUp,
                          0, 0, 0};
    const uint8_t p2[] = {0, 0, 0, 0, 0, 0, kPadDecide | kPadLeft, kPadDecide | kPadLeft, 0};
    const uint8_t pressed1[] = {0, 0, kPadDecide, 0, kPadUp, 0, 0, 0, 0};
    for (int tick = 0; tick < 9; ++tick) {
        vqtest::RunFrame();  // one tick per frame at 60 frames per second
        EXPECT_EQ(gPadState[0].held, p1[tick]) << tick;
        EXPECT_EQ(gPadState[1].held, p2[tick]) << tick;
        EXPECT_EQ(gPadState[0].pressed, pressed1[tick]) << tick;
    }
    EXPECT_EQ(vqtest::FedTicks(), 9u);
    vqtest::StopHeadlessGame();
}

TEST(HeadlessScript, BadScriptsAreRefusedWithTheLine) {
    vqtest::PadScript script;
    std::string error;
    EXPECT_FALSE(script.Parse("0 Z\n1 SHIFTY\n", &error));
    EXPECT_NE(error.find("line 2"), std::string::npos) << error;
    EXPECT_FALSE(script.Parse("x Z\n", &error));
    EXPECT_FALSE(script.Parse("0 C9:UP\n", &error));
    EXPECT_FALSE(script.Parse("0 C0:B17\n", &error));
    EXPECT_TRUE(script.Parse("0 C3:B16 NUMPAD8 LCONTROL\n", &error));
    EXPECT_EQ(script.ControllerCount(), 4);
}

}  // namespace
