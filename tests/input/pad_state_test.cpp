// Edges and auto-repeat of the per-tick pad step.
#include <gtest/gtest.h>

#include <vector>

#include "engine/input/pad.h"

namespace {

class PadStepTest : public ::testing::Test {
protected:
    void SetUp() override {
        gPadState[0] = PadState{};
        gPadState[1] = PadState{};
    }
    // Runs ticks with the given held bits for player 1 and returns the ticks (from 0) in
    // which `bit` was set in the chosen field.
    std::vector<int> TicksWith(uint8_t PadState::*field, uint8_t bit, int ticks,
                               uint8_t (*held)(int tick)) {
        std::vector<int> out;
        for (int t = 0; t < ticks; ++t) {
            gPadState[0].held = held(t);
            UpdatePadStates();
            if (gPadState[0].*field & bit) out.push_back(t);
        }
        return out;
    }
};

TEST_F(PadStepTest, AHeldButtonIsPressedOnceAndRepeatsAt0_13_18_23) {
    auto hold = [](int) -> uint8_t { return kPadDecide; };
    EXPECT_EQ(TicksWith(&PadState::pressed, kPadDecide, 40, hold), std::vector<int>{0});
    SetUp();
    EXPECT_EQ(TicksWith(&PadState::repeat, kPadDecide, 40, hold),
              (std::vector<int>{0, 13, 18, 23, 28, 33, 38}));
}

TEST_F(PadStepTest, AChangeOfTheHeldBitsRestartsTheRepeatForAll) {
    // Up from tick 0; decide joins at tick 7: both repeat at 7, then 20, 25, ...
    auto hold = [](int t) -> uint8_t {
        return static_cast<uint8_t>(kPadUp | (t >= 7 ? kPadDecide : 0));
    };
    EXPECT_EQ(TicksWith(&PadState::repeat, kPadUp, 30, hold), (std::vector<int>{0, 7, 20, 25}));
    SetUp();
    EXPECT_EQ(TicksWith(&PadState::pressed, kPadDecide, 30, hold), std::vector<int>{7});
    SetUp();
    // Letting go of one button is a change too.
    auto release = [](int t) -> uint8_t {
        return static_cast<uint8_t>(kPadUp | (t < 3 ? kPadDecide : 0));
    };
    EXPECT_EQ(TicksWith(&PadState::repeat, kPadUp, 25, release), (std::vector<int>{0, 3, 16, 21}));
}

TEST_F(PadStepTest, PlayersAreIndependentAndTheCounterStaysInRange) {
    gPadState[1].counter = 200;  // as a stray value could leave it
    for (int t = 0; t < 3; ++t) {
        gPadState[0].held = kPadLeft;
        gPadState[1].held = 0;
        UpdatePadStates();
        EXPECT_LE(gPadState[1].counter, 12);
    }
    EXPECT_EQ(gPadState[1].pressed, 0);
    EXPECT_EQ(gPadState[1].repeat, 0);
    EXPECT_EQ(gPadState[0].previous, kPadLeft);
}

}  // namespace
