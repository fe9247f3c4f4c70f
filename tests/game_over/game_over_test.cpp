// The game-over picture: decide starts the fade-out, and the title follows it.
#include <gtest/gtest.h>

#include "scenes/game_over/game_over.h"
#include "tests/support/scene_fixture.h"

namespace vqtest {
namespace {

class GameOver : public SceneTest {};

TEST_F(GameOver, DecideReturnsToTheTitle) {
    gGameState.scene = SceneId::GameOver;
    ResetGameOver();
    Release();
    for (int i = 0; i < 10; ++i) UpdateGameOver();
    EXPECT_EQ(gGameOverState.leaving, 0);
    Hold(1, kPadDecide);
    UpdateGameOver();
    EXPECT_EQ(gGameOverState.leaving, 1);
    EXPECT_EQ(gGameState.fade.direction, 1);
    Release();
    UpdateGameOver();
    EXPECT_EQ(gGameState.scene, SceneId::GameOver) << "waits for the fade";
    FinishFade();
    UpdateGameOver();
    WaitForLoader();
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_EQ(gGameState.fade.direction, -1);
    ResetGameOver();
    EXPECT_EQ(gGameOverState.leaving, 0);
}

}  // namespace
}  // namespace vqtest
