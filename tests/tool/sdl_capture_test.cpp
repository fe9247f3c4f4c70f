// A controller capture through SDL2, with virtual joysticks in place of real controllers.
#include <SDL.h>
#include <gtest/gtest.h>

#include "engine/input/devices.h"
#include "platform/system/system.h"
#include "tests/tool/fake_dialog.h"
#include "tool/main/settings_tool.h"

namespace {

uint32_t gNow = 5000;
uint32_t FakeClock() {
    return gNow;
}

TEST(SdlCapture, VirtualControllersAreCapturedInSlotOrderAcrossCaptures) {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
    if (SDL_NumJoysticks() != 0) {
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        GTEST_SKIP() << "real controllers are attached";
    }
    int devices[2];
    SDL_Joystick* sticks[2];
    for (int i = 0; i < 2; ++i) {
        devices[i] = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 16, 0);
        ASSERT_GE(devices[i], 0) << SDL_GetError();
        sticks[i] = SDL_JoystickOpen(devices[i]);
    }
    sys::SetClockSource(FakeClock);
    SetCaptureBackend(input::Backend::Sdl);
    RestoreDefaultSettings();
    gCaptureState = CaptureState{};
    vqtest::FakeDialog dialog;
    SettingsDialogHost host(&dialog);
    dialog.Open(SettingsDialogDesc(), &host);
    auto step = [&] {
        gNow += 17;
        dialog.TimerFires();
    };

    dialog.Click(kIdCapturePad2);
    EXPECT_EQ(gInputDevices.controllerCount, 2);
    SDL_JoystickSetVirtualButton(sticks[1], 6, 1);  // second controller, button 7
    step();
    SDL_JoystickSetVirtualButton(sticks[1], 6, 0);
    step();
    EXPECT_EQ(gSettingsRecord.bindings[3][0], 60 + 4 + 6);
    SDL_JoystickSetVirtualAxis(sticks[0], 0, -32768);  // first controller, left
    step();
    EXPECT_EQ(gSettingsRecord.bindings[3][1], 40 + 3);
    SDL_JoystickSetVirtualAxis(sticks[0], 0, 0);
    step();

    // A new capture opens the controllers again in the same slots.
    dialog.Click(kIdCapturePad1);
    SDL_JoystickSetVirtualButton(sticks[0], 0, 1);
    step();
    EXPECT_EQ(gSettingsRecord.bindings[1][0], 44);
    dialog.Click(kIdCancel);
    EXPECT_FALSE(gInputDevices.system);

    for (int i = 1; i >= 0; --i) {
        SDL_JoystickClose(sticks[i]);
        SDL_JoystickDetachVirtual(devices[i]);
    }
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    sys::SetClockSource(nullptr);
}

}  // namespace
