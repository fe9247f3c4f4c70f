// The staff roll: the pools' limits, the loop and the stun, shots tested on screen only,
// the last strip's stop, the roll's end and decide, and the computer partner's pad.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "engine/graphics/texture_groups.h"
#include "scenes/ending/ending.h"
#include "tests/support/scene_fixture.h"

namespace vqtest {
namespace {

class Ending : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        ResetEndingGlobals();
        gGameState.playerSetup = PlayerSetup::OnePlayer;
    }
    EndingPlayer& P(int i) { return gEndingState.players[static_cast<size_t>(i)]; }
    int Flying() {
        int n = 0;
        for (const EndingTarget& t : gEndingState.targets) n += t.state == 1;
        return n;
    }
    int Shots() {
        int n = 0;
        for (const EndingShot& s : gEndingState.shots) n += s.active;
        return n;
    }
};

TEST_F(Ending, InitPlacesThePlayersOfTheSetUp) {
    InitEnding(1);
    EXPECT_EQ(gGameState.playerCount, 1);
    EXPECT_EQ(gEndingVariant, 1);
    EXPECT_EQ(P(0).state, 1);
    EXPECT_FLOAT_EQ(P(0).x, 560.0f);
    EXPECT_FLOAT_EQ(P(0).y, 64.0f);
    EXPECT_EQ(P(1).state, 0);
    gGameState.playerSetup = PlayerSetup::ComputerPartner;
    InitEnding(0);
    EXPECT_EQ(gGameState.playerCount, 2);
    EXPECT_FLOAT_EQ(P(1).y, 128.0f);
    EXPECT_EQ(P(1).state, 1);
}

TEST_F(Ending, ThePoolsRefuseWhenFull) {
    InitEnding(0);
    for (int i = 0; i < kEndingTargets + 5; ++i) SpawnEndingTarget();
    EXPECT_EQ(Flying(), kEndingTargets);
    for (int i = 0; i < kEndingShots + 5; ++i) SpawnEndingShot(300, 100, 0);
    EXPECT_EQ(Shots(), kEndingShots);
    for (const EndingTarget& t : gEndingState.targets) {
        EXPECT_FLOAT_EQ(t.x, -64.0f);
        EXPECT_GE(t.y, 32.0f);
        EXPECT_LE(t.y, 287.0f);
    }
}

TEST_F(Ending, TargetsAreSpawnedEveryThirtiethTickAndDriftAcross) {
    InitEnding(0);
    Release();
    for (int i = 0; i < 90; ++i) UpdateEnding();
    EXPECT_EQ(Flying(), 3);
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    InitEnding(0);
    for (int i = 0; i < 80; ++i) UpdateEnding();
    EXPECT_GE(Flying(), 4) << "every 20th tick with two players";
    // A flying target leaves past x 688: (688 + 64) / 2 = 376 ticks.
    ResetEndingGlobals();
    InitEnding(0);
    SpawnEndingTarget();
    gEndingState.ticks = 1;  // no spawns of their own for a while
    for (int i = 0; i < 376; ++i) {
        gEndingState.ticks = 1;
        UpdateEnding();
    }
    EXPECT_EQ(gEndingState.targets[0].state, 1);
    UpdateEnding();
    EXPECT_EQ(gEndingState.targets[0].state, 0);
}

TEST_F(Ending, AHitScoresAndAShotOffScreenHitsNothing) {
    InitEnding(0);
    gGameState.pointsTotal = 999'999'950;
    SpawnEndingTarget();
    EndingTarget& t = gEndingState.targets[0];
    t.x = 300;
    t.y = 100;
    SpawnEndingShot(320, 100, 0);
    Release();
    UpdateEnding();  // the shot moves to 314: within 24
    EXPECT_EQ(t.state, 2);
    EXPECT_EQ(Shots(), 0);
    EXPECT_TRUE(TakeSound(290));
    EXPECT_EQ(gGameState.pointsTotal, 999'999'999) << "capped";
    for (int i = 0; i < 15; ++i) UpdateEnding();
    EXPECT_EQ(t.state, 0) << "free again 15 ticks after the hit";

    // Off the screen a shot passes through a target there.
    SpawnEndingTarget();
    EndingTarget& off = gEndingState.targets[0];
    off.x = -20;
    off.y = 100;
    SpawnEndingShot(-10, 100, 0);
    UpdateEnding();
    EXPECT_EQ(off.state, 1);
    EXPECT_EQ(Shots(), 1);
    for (int i = 0; i < 5; ++i) UpdateEnding();
    EXPECT_EQ(Shots(), 0) << "ends outside -32";
}

TEST_F(Ending, ALoopingCraftNeitherFiresNorIsStunnedAndAStunnedOneCrawls) {
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    InitEnding(0);
    Release();
    for (int i = 0; i < 40; ++i) UpdateEnding();  // past 30 timer ticks
    Hold(1, kPadCancel);
    UpdateEnding();
    EXPECT_EQ(P(1).loop, 2);
    Hold(1, kPadDecide);
    UpdateEnding();
    EXPECT_EQ(Shots(), 0) << "no shot while looping";
    // Player 1 fires at player 2 while player 2 loops: no stun.
    P(0).x = 400;
    P(0).y = 128;
    P(1).x = 380;
    P(1).y = 128;
    SpawnEndingShot(386, 128, 0);
    Release();
    UpdateEnding();
    EXPECT_EQ(P(1).state, 1);
    for (int i = 0; i < 40; ++i) UpdateEnding();
    ASSERT_EQ(P(1).loop, 0);
    for (EndingShot& s : gEndingState.shots) s.active = 0;
    SpawnEndingShot(P(1).x + 6, P(1).y, 0);
    UpdateEnding();
    EXPECT_EQ(P(1).state, 2) << "stunned by the partner's shot";
    float x = P(1).x;
    Hold(1, kPadLeft);
    UpdateEnding();
    EXPECT_FLOAT_EQ(P(1).x, x - 0.6f) << "a fifth of the speed";
    EXPECT_NEAR(P(1).drawX, P(1).x, 4.01f);
    Release();
    for (int i = 0; i < 30; ++i) UpdateEnding();
    EXPECT_EQ(P(1).state, 1);
    Hold(1, kPadLeft);
    x = P(1).x;
    UpdateEnding();
    EXPECT_FLOAT_EQ(P(1).x, x - 3.0f);
    Hold(1, kPadLeft | kPadUp);
    x = P(1).x;
    UpdateEnding();
    EXPECT_NEAR(P(1).x, x - std::sqrt(3.0f), 1e-4);
}

TEST_F(Ending, TheRollEndsAtItsLengthOrOnRollAndDecideCountsAfter80) {
    InitEnding(0);
    Release();
    for (int i = 0; i < kEndingRollTicks; ++i) UpdateEnding();
    EXPECT_EQ(gEndingState.endCounter, 0);
    UpdateEnding();
    EXPECT_EQ(gEndingState.endCounter, 1);
    for (int i = 0; i < 79; ++i) {
        Hold(0, i % 2 ? kPadDecide : 0);
        UpdateEnding();
    }
    EXPECT_EQ(gEndingState.finished, 0) << "decide before 80 does nothing";
    int ticks = gEndingState.ticks;
    Release();
    UpdateEnding();
    EXPECT_EQ(gEndingState.ticks, ticks) << "the game stands";
    Hold(1, kPadDecide);
    UpdateEnding();
    EXPECT_EQ(gEndingState.finished, 1);
    gGameState.scene = SceneId::Ending;
    FinishFade();
    UpdateEnding();
    WaitForLoader();
    EXPECT_EQ(gGameState.scene, SceneId::Title);

    InitEnding(0);
    Hold(1, kPadRoll);
    UpdateEnding();
    EXPECT_EQ(gEndingState.endCounter, 1) << "a roll press on either pad ends the roll";
}

TEST_F(Ending, TheComputerPartnerChasesOldTargetsAndLoopsWhenIdle) {
    gGameState.playerSetup = PlayerSetup::ComputerPartner;
    InitEnding(0);
    P(1).timer = 40;
    UpdateEndingPartnerInput();
    EXPECT_EQ(gPadState[1].held, kPadCancel) << "no target: a loop at timer 40";
    P(1).timer = 45;
    SpawnEndingTarget();
    EndingTarget& t = gEndingState.targets[0];
    t.x = 100;
    t.y = 110;
    t.timer = 90;
    P(1).x = 560;
    P(1).y = 128;
    UpdateEndingPartnerInput();
    EXPECT_EQ(gPadState[1].held, kPadUp | kPadLeft | kPadDecide);
    t.timer = 89;
    UpdateEndingPartnerInput();
    EXPECT_EQ(gPadState[1].held, 0) << "too young a target";
    t.timer = 90;
    SpawnEndingShot(200, 110, 1);
    SpawnEndingShot(300, 120, 1);
    UpdateEndingPartnerInput();
    EXPECT_EQ(gPadState[1].held, 0) << "two shots on their way already";
}

// The credit strips slide in at half the tick count; the last one stops at x 192.
TEST_F(Ending, TheLastStripStopsAt192) {
    InitEnding(0);
    for (EndingPlayer& p : gEndingState.players) p.state = 0;
    struct Case {
        int ticks;
        float lastStripX;
        float firstStripX;
    };
    for (Case c : {Case{0, -2304, -256}, Case{4800, 96, 2144}, Case{4992, 192, 2240},
                   Case{9000, 192, 4244}}) {
        gEndingState.ticks = c.ticks;
        device_->ClearDraws();
        device_->BeginScene();
        DrawEnding();
        device_->EndScene();
        // The draws: the background, the shots and strips together, the final picture.
        ASSERT_EQ(device_->Draws().size(), 3u);
        const gfx::DrawRecord& strips = device_->Draws()[1];
        ASSERT_EQ(strips.vertexCount, 30u) << "five strips, no shots";
        std::vector<SpriteVertex> v(strips.vertexCount);
        std::memcpy(v.data(), strips.vertices.data(), v.size() * sizeof(SpriteVertex));
        // Vertex 4 of each quad is its top left.
        EXPECT_FLOAT_EQ(v[4].x, c.firstStripX) << c.ticks;
        EXPECT_FLOAT_EQ(v[24 + 4].x, c.lastStripX) << c.ticks;
        EXPECT_FLOAT_EQ(v[24 + 4].y, 352.0f);
    }
}

}  // namespace
}  // namespace vqtest
