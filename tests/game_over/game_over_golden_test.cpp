// Golden image of the game-over picture.
#include "scenes/game_over/game_over.h"
#include "tests/support/scene_golden.h"

namespace vqtest {
namespace {

class GameOverGolden : public SceneGolden {};

TEST_F(GameOverGolden, ThePicture) {
    if (!device()) return;
    Use(&gGameOverTextures.picture, 1024, 512, PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
        return PatternCell(x, y, 640, 480, 0xFF802020u, 5);
    }));
    DrawScene([] { DrawGameOver(); });
    EXPECT_TRUE(MatchesGolden(device(), "scenes/game_over"));
}

}  // namespace
}  // namespace vqtest
