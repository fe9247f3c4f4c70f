// Golden image of the staff roll mid-roll: the background in its two copies, targets
// flying and hit, a looping craft and a straight one, shots, the credit strips on their way
// and the final picture beginning to show.
#include "scenes/ending/ending.h"
#include "tests/support/scene_golden.h"

namespace vqtest {
namespace {

class EndingGolden : public SceneGolden {};

TEST_F(EndingGolden, MidRoll) {
    if (!device()) return;
    Use(&gEndingTextures.background, 1024, 512, PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
        if (x < 640) return PatternCell(x, y, 640, 480, 0xFF305070u, 1);
        if (x < 736 && y < 288) {
            uint32_t c = (y / 48) * 2 + (x - 640) / 48;
            return PatternCell((x - 640) % 48, y % 48, 48, 48,
                               0xFF000000u | (0x40A0F0u + c * 0x1F0F00u), c % 6 + 1);
        }
        if (x >= 736 && x < 752 && y < 16) return 0xFFFFFF80u;
        if (x >= 752 && x < 1008) {
            const uint32_t tops[6] = {0, 48, 176, 304, 432, 512};
            for (uint32_t k = 0; k < 5; ++k)
                if (y >= tops[k] && y < tops[k + 1])
                    return PatternCell(x - 752, y - tops[k], 256, tops[k + 1] - tops[k],
                                       0xFF806040u + k * 0x101010u, k + 1);
        }
        return 0u;
    }));
    Use(&gEndingTextures.finalPicture, 1024, 512,
        PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
            return PatternCell(x, y, 640, 480, 0xFFF0F0F0u, 3);
        }));
    ResetEndingGlobals();
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    gGameState.craft[0] = 0;
    gGameState.craft[1] = 3;
    InitEnding(0);
    EndingState& e = gEndingState;
    e.scrollX = 200;
    e.ticks = 2400;  // strips 3 and 4 in view
    e.endCounter = 20;
    e.players[0] = EndingPlayer{500, 100, 500, 100, 1, 1, 5, 0.0f, 0};
    e.players[1] = EndingPlayer{420, 200, 400, 190, 7, 1, 6, -1.2f, 6};
    e.targets[0] = EndingTarget{120, 80, 8, 1, 3, 0.0f};
    e.targets[1] = EndingTarget{260, 160, 11, 2, 9, 0.0f};
    e.shots[0] = EndingShot{300, 100, -6, 0, 1, 0};
    e.shots[1] = EndingShot{330, 200, -6, 0, 1, 1};
    DrawScene([] { DrawEnding(); });
    EXPECT_TRUE(MatchesGolden(device(), "scenes/ending"));
}

}  // namespace
}  // namespace vqtest
