// Golden image of the story shop: four items in view with one sold out, the cursor's item
// from the name sheet, the shopkeeper, the window, the turning emblem, the money and the
// price, the item's lines and the credits.
#include "scenes/shop/shop.h"
#include "tests/support/scene_golden.h"

namespace vqtest {
namespace {

class ShopGolden : public SceneGolden {};

TEST_F(ShopGolden, StoryShopWithASoldOutItem) {
    if (!device()) return;
    Use(&gShopTextures.background, 1024, 512, PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
        return PatternCell(x, y, 640, 480, 0xFF705040u, 1);
    }));
    Use(&gShopTextures.shop, 1024, 512, PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
        if (y < 360 && x < 312) return PatternCell(x, y, 312, 360, 0xFF40A060u, 1);
        if (y < 360 && x < 624) return PatternCell(x - 312, y, 312, 360, 0xFF60C080u, 2);
        if (y < 160 && x >= 624) return PatternCell(x - 624, y, 400, 160, 0xFF202840u, 3);
        if (y >= 160 && y < 340 && x >= 624 && x < 804)
            return PatternCell(x - 624, y - 160, 180, 180, 0xFFC08020u, 4);
        if (y >= 368 && y < 384 && x < 320) return PatternCell(x, y - 368, 320, 16, 0xFFE0E0E0u, 1);
        if (y >= 384 && x < 128) return PatternCell(x, y - 384, 128, 128, 0xFF808080u, 5);
        return 0u;
    }));
    Use(&gShopTextures.item, 512, 512, CellSheet(512, 512, 128, 128, 0x404080));
    Use(&gShopTextures.itemName, 512, 512, CellSheet(512, 512, 128, 128, 0x804040));
    Use(&gShopTextures.item2, 512, 512, PaintPicture(512, 512, [](uint32_t x, uint32_t y) {
        if (x >= 128 && x < 256 && y >= 128 && y < 256)
            return (x + y) % 16 < 4 ? 0xFFFF0000u : 0u;  // the sold-out stripes
        return PatternCell(x % 128, y % 128, 128, 128, 0xFF408040u, (y / 128) * 4 + x / 128 + 1);
    }));
    Use(&gShopTextures.item2Name, 512, 512, CellSheet(512, 512, 128, 128, 0x408080));
    Use(&gShopTextures.gameOver, 512, 256, PaintPicture(512, 256, [](uint32_t x, uint32_t y) {
        if (y >= 192 && x < 160) return PatternCell(x, y - 192, 160, 48, 0xFFA0A030u, 1);
        if (y >= 192 && x < 480)
            return PatternCell((x - 160) % 32, y - 192, 32, 48, 0xFFC03030u, (x - 160) / 32 + 1);
        return 0u;
    }));
    ResetResultGlobals();
    gGameState.stage = 15;
    gGameState.score = 2'500'000;
    gGameState.credits = 3;
    gGameState.records.words[record::kOwnedWeapons + 2] = 1;  // item 2 sold out
    OpenShop(1);
    gResultShop.cursor = 2;
    gResultShop.scrollTop = 1;
    gResultShop.shopTimer = 100;
    gResultShop.emblemAngle = 0.3f;
    DrawScene([] { DrawShop(); });
    EXPECT_TRUE(MatchesGolden(device(), "scenes/shop"));
}

}  // namespace
}  // namespace vqtest
