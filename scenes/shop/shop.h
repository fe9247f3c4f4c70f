// The shop (scene 6): sub-weapons, boosts for the next stage, credits and unlocks. The title
// shop spends the banked points total; the story shop, after a result, spends the running
// game's score.
#pragma once

#include <array>
#include <cstdint>

#include "platform/text/cp932.h"
#include "scenes/result/result.h"

constexpr int kShopItemIds = 21;
constexpr int32_t kShopGreetingTicks = 60;

inline constexpr std::array<int32_t, kShopItemIds> kShopPriceTable = {
    50,        300'000,   500'000,   600'000,   500'000,    700'000,    1'000'000,
    6'000'000, 9'000'000, 6'000'000, 3'000'000, 1'000'000,  500'000,    500'000,
    500'000,   500'000,   1'000'000, 5'000'000, 10'000'000, 50'000'000, 500'000};

// The item lists: seven story lists (one per chapter) and the title list, each ending at -1.
constexpr int kShopListSlots = 20;
constexpr int kStoryShopLists = 7;
extern const std::array<std::array<int32_t, kShopListSlots>, kStoryShopLists> kStoryShopItemLists;
extern const std::array<int32_t, kShopListSlots> kTitleShopItemList;

// Row 0 the greeting, row 1 the farewell, row id + 2 the description of item id.
constexpr int kShopTextRows = 23;
using ShopTextLine = text::Cp932Text<64>;
extern const std::array<std::array<ShopTextLine, 3>, kShopTextRows> kShopTexts;

// Opens the shop: 1 the story shop after a result, 0 the title shop.
void OpenShop(int32_t fromResult);
bool IsShopItemSoldOut(int32_t id);
void ApplyShopItem(int32_t id);
int32_t GetShopItemPrice(int32_t id);
void UpdateShop();
void DrawShop();
