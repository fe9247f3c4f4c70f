// Golden image of the result with both players: the portraits (player 1 mirrored, the
// winner in the ready pose), the bar, the six captions, the rows' numbers and the score.
#include "scenes/result/result.h"
#include "tests/support/scene_golden.h"

namespace vqtest {
namespace {

class ResultGolden : public SceneGolden {};

TEST_F(ResultGolden, BothPlayersAfterTheTally) {
    if (!device()) return;
    Use(&gResultTextures.background, 1024, 512, PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
        return PatternCell(x, y, 640, 480, 0xFF406080u, 1);
    }));
    Use(&gResultTextures.selectCraft, 1024, 1024, CellSheet(1024, 1024, 256, 384, 0x306090));
    Use(&gResultTextures.message, 512, 256, PaintPicture(512, 256, [](uint32_t x, uint32_t y) {
        if (y >= 240 && x < 480) return PatternCell(x, y - 240, 480, 16, 0xFFC0C040u, 1);
        if (y < 96 && x >= 160 && x < 256) return PatternCell(x - 160, y, 96, 96, 0xFFFF4040u, 2);
        return 0u;
    }));
    Use(&gResultTextures.message2, 256, 512, CellSheet(256, 512, 160, 48, 0x508030));
    ResetResultGlobals();
    gGameState.playerCount = 2;
    gGameState.craft[0] = 1;
    gGameState.craft[1] = 2;
    gGameState.gameMode = GameMode::Story;
    gGameState.score = 1'234'567;
    int32_t rows[2][6] = {{180'000, 200'000, 37'000, 12'345, 600'000, 1'029'345},
                          {180'000, 200'000, 5'000, 900, 30'000, 415'900}};
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 6; ++i) gResultShop.rows[j][i] = rows[j][i];
    const int32_t captions[6] = {0, 1, 2, 3, 7, 6};
    for (int i = 0; i < 6; ++i) gResultShop.captions[i] = captions[i];
    gResultShop.resultTicks = 200;
    DrawScene([] { DrawResult(); });
    EXPECT_TRUE(MatchesGolden(device(), "scenes/result"));
}

}  // namespace
}  // namespace vqtest
