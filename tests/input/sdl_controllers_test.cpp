// Game controllers through SDL2, with SDL's virtual joysticks standing in for real ones.
#include <SDL.h>
#include <gtest/gtest.h>

#include "engine/core/game_state.h"
#include "engine/input/bindings.h"
#include "engine/input/devices.h"
#include "engine/input/pad.h"
#include "platform/input/backend.h"

namespace {

int CountBoxes(const char*, const char*) {
    return 1;
}

class SdlControllersTest : public ::testing::Test {
protected:
    void SetUp() override {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        if (SDL_NumJoysticks() != 0) GTEST_SKIP() << "real controllers are attached";
        for (int i = 0; i < 2; ++i) {
            devices_[i] = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 16, 0);
            ASSERT_GE(devices_[i], 0) << SDL_GetError();
            // Keep a handle of our own to move the virtual sticks.
            sticks_[i] = SDL_JoystickOpen(devices_[i]);
            ASSERT_NE(sticks_[i], nullptr);
        }
        for (int r = 0; r < kBindingRows; ++r) {
            for (int c = 0; c < kBindingColumns; ++c) {
                gGameState.padBindings[r][c] = DefaultBinding(r, c);
            }
        }
        ASSERT_EQ(OpenInputDevices(input::Backend::Sdl, CountBoxes), 1);
    }
    void TearDown() override {
        ReleaseDirectInput();
        for (int i = 1; i >= 0; --i) {
            if (sticks_[i]) SDL_JoystickClose(sticks_[i]);
            if (devices_[i] >= 0) SDL_JoystickDetachVirtual(devices_[i]);
        }
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }
    int devices_[2] = {-1, -1};
    SDL_Joystick* sticks_[2] = {nullptr, nullptr};
};

TEST_F(SdlControllersTest, BothControllersAreFoundAndPlayTheirPlayer) {
    EXPECT_EQ(gInputDevices.controllerCount, 2);

    SDL_JoystickSetVirtualAxis(sticks_[0], 0, 32767);   // right
    SDL_JoystickSetVirtualButton(sticks_[0], 1, 1);     // button 2
    SDL_JoystickSetVirtualAxis(sticks_[1], 1, -32768);  // up
    SDL_JoystickSetVirtualButton(sticks_[1], 3, 1);     // button 4
    ReadPads();
    EXPECT_EQ(gPadState[0].held, kPadRight | kPadCancel);
    EXPECT_EQ(gPadState[1].held, kPadUp | kPadPause);

    SDL_JoystickSetVirtualAxis(sticks_[0], 0, 0);
    SDL_JoystickSetVirtualButton(sticks_[0], 1, 0);
    SDL_JoystickSetVirtualAxis(sticks_[1], 1, 0);
    SDL_JoystickSetVirtualButton(sticks_[1], 3, 0);
    ReadPads();
    EXPECT_EQ(gPadState[0].held, 0);
    EXPECT_EQ(gPadState[1].held, 0);
}

TEST_F(SdlControllersTest, AxesAreScaledTo1000WithTheThresholdAt500) {
    EXPECT_EQ(input::sdl::ScaleAxis(32767), 1000);
    EXPECT_EQ(input::sdl::ScaleAxis(-32768), -1000);
    EXPECT_EQ(input::sdl::ScaleAxis(0), 0);
    EXPECT_EQ(input::sdl::ScaleAxis(16384), 500);
    EXPECT_EQ(input::sdl::ScaleAxis(-16384), -500);
    EXPECT_EQ(input::sdl::ScaleAxis(16417), 501);

    SDL_JoystickSetVirtualAxis(sticks_[0], 1, 16384);
    ReadPads();
    EXPECT_EQ(gPadState[0].held, 0);
    SDL_JoystickSetVirtualAxis(sticks_[0], 1, 16417);
    ReadPads();
    EXPECT_EQ(gPadState[0].held, kPadDown);
}

TEST_F(SdlControllersTest, AnUnpluggedControllerGivesNothingAndDoesNotStopTheOther) {
    SDL_JoystickSetVirtualButton(sticks_[1], 0, 1);
    SDL_JoystickClose(sticks_[0]);
    sticks_[0] = nullptr;
    ASSERT_EQ(SDL_JoystickDetachVirtual(devices_[0]), 0);
    devices_[0] = -1;
    for (int tick = 0; tick < 3; ++tick) {
        ReadPads();
        EXPECT_EQ(gPadState[0].held, 0);
        EXPECT_EQ(gPadState[1].held, kPadDecide);
    }
}

}  // namespace
