// The shop: the greeting, prices and what buying does, the sold-out rules, the cursor and
// scrolling, the farewell and where the shop returns to.
#include <gtest/gtest.h>

#include "scenes/event/event.h"
#include "scenes/shop/shop.h"
#include "tests/support/scene_fixture.h"

namespace vqtest {
namespace {

class Shop : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        ResetResultGlobals();
        ResetEventGlobals();
        gGameState.records.words[record::kTotalCredit] = 2;
        gGameState.records.words[record::kOwnedWeapons] = 1;
    }
    // Opens the shop and lets the greeting pass.
    void Open(int fromResult) {
        OpenShop(fromResult);
        Release();
        for (int i = 0; i < kShopGreetingTicks; ++i) UpdateShop();
    }
    void Press(uint8_t bits) {
        Hold(0, bits);
        UpdateShop();
        Release();
        UpdateShop();
    }
    int32_t& Word(int index) { return gGameState.records.words[static_cast<size_t>(index)]; }
};

TEST_F(Shop, ListsOfTheStoryAndTheTitle) {
    gGameState.stage = 15;
    OpenShop(1);
    ASSERT_EQ(gResultShop.itemCount, 15);
    EXPECT_EQ(gResultShop.items[0], 1);
    EXPECT_EQ(gResultShop.items[10], 12);
    EXPECT_EQ(gResultShop.items[14], 16);
    gGameState.stage = 99;  // past the seven chapters: the last list
    OpenShop(1);
    EXPECT_EQ(gResultShop.itemCount, 15);
    OpenShop(0);
    ASSERT_EQ(gResultShop.itemCount, 4);
    EXPECT_EQ(gResultShop.items[3], 11);
}

TEST_F(Shop, PricesGrowWithCreditsAndWithBoostsBoughtInTheRun) {
    struct Case {
        int total, creditsBought, boostsBought, id, price;
    };
    for (Case c :
         {Case{2, 0, 0, 11, 1'000'000}, Case{3, 0, 0, 11, 3'000'000}, Case{5, 0, 0, 11, 7'000'000},
          Case{0, 0, 0, 11, 1'000'000}, Case{99999, 0, 0, 11, 999'999'999},
          Case{2, 0, 0, 16, 1'000'000}, Case{2, 2, 0, 16, 5'000'000}, Case{2, 0, 0, 13, 500'000},
          Case{2, 0, 3, 13, 2'000'000}, Case{2, 0, 0, 0, 50}, Case{2, 0, 0, 19, 50'000'000},
          Case{2, 0, 0, 21, 999'999'999}}) {
        Word(record::kTotalCredit) = c.total;
        gGameState.purchases[4] = c.creditsBought;
        gGameState.purchases[1] = c.boostsBought;
        EXPECT_EQ(GetShopItemPrice(c.id), c.price) << "item " << c.id << " total " << c.total;
    }
}

TEST_F(Shop, WhatBuyingDoesAndWhenAnItemIsSoldOut) {
    for (int id = 0; id <= 10; ++id) {
        Word(record::kOwnedWeapons + id) = 0;
        EXPECT_FALSE(IsShopItemSoldOut(id));
        ApplyShopItem(id);
        EXPECT_EQ(Word(record::kOwnedWeapons + id), 1);
        EXPECT_TRUE(IsShopItemSoldOut(id));
    }
    Word(record::kTotalCredit) = 98;
    EXPECT_FALSE(IsShopItemSoldOut(11));
    ApplyShopItem(11);
    EXPECT_TRUE(IsShopItemSoldOut(11));
    Word(record::kTotalCredit) = 150;  // a settings file may hold more
    EXPECT_TRUE(IsShopItemSoldOut(11));

    // The boosts set the flags in the order gun, speed, cooling, reflect.
    const int flagOf[4] = {1, 0, 2, 3};
    for (int id = 12; id <= 15; ++id) {
        EXPECT_FALSE(IsShopItemSoldOut(id));
        ApplyShopItem(id);
        EXPECT_EQ(gGameState.shopBoosts[flagOf[id - 12]], 1) << id;
        EXPECT_EQ(gGameState.purchases[id - 12], 1);
        EXPECT_TRUE(IsShopItemSoldOut(id));
    }
    gGameState.credits = 98;
    ApplyShopItem(16);
    EXPECT_EQ(gGameState.credits, 99);
    EXPECT_EQ(gGameState.purchases[4], 1);
    EXPECT_TRUE(IsShopItemSoldOut(16));
    const int unlock[4] = {record::kGetCraft2, record::kGetCraft3, record::kGetExtra,
                           record::kGetStaff};
    for (int id = 17; id <= 20; ++id) {
        EXPECT_FALSE(IsShopItemSoldOut(id));
        ApplyShopItem(id);
        EXPECT_EQ(Word(unlock[id - 17]), 1);
        EXPECT_TRUE(IsShopItemSoldOut(id));
    }
    EXPECT_TRUE(IsShopItemSoldOut(21)) << "no such item";
    EXPECT_TRUE(IsShopItemSoldOut(-1));
}

TEST_F(Shop, TheGreetingTakesNoInputAndBuyingSpendsTheScoreOrThePoints) {
    gGameState.stage = 3;
    gGameState.score = 300'000;  // item 1 costs exactly that
    OpenShop(1);
    Release();
    for (int i = 0; i < kShopGreetingTicks - 1; ++i) {
        Hold(0, i % 2 ? kPadDecide : kPadCancel);
        UpdateShop();
    }
    EXPECT_EQ(gResultShop.farewell, 0);
    EXPECT_EQ(gGameState.score, 300'000) << "no input during the greeting";
    Release();
    UpdateShop();
    Press(kPadDecide);
    EXPECT_EQ(gGameState.score, 0) << "buying with exactly the price leaves nothing";
    EXPECT_EQ(Word(record::kOwnedWeapons + 1), 1);
    EXPECT_EQ(gResultShop.thanksTimer, 59);
    Press(kPadDecide);
    EXPECT_TRUE(TakeSound(289)) << "sold out now: refused";

    Press(kPadRight);
    gGameState.score = 499'999;
    Press(kPadDecide);
    EXPECT_TRUE(TakeSound(289)) << "too dear";
    EXPECT_EQ(Word(record::kOwnedWeapons + 2), 0);

    gGameState.pointsTotal = 600'000;
    Open(0);  // the title shop spends the points total
    Press(kPadDecide);
    EXPECT_EQ(gGameState.pointsTotal, 600'000) << "item 1 is owned already";
    Press(kPadRight);
    Press(kPadDecide);
    EXPECT_EQ(gGameState.pointsTotal, 100'000);
    EXPECT_EQ(gGameState.score, 499'999);
}

TEST_F(Shop, TheCursorKeepsWithinFourVisibleItems) {
    Open(1);
    for (int i = 0; i < 20; ++i) Press(kPadRight);
    EXPECT_EQ(gResultShop.cursor, 14);
    EXPECT_EQ(gResultShop.scrollTop, 11);
    for (int i = 0; i < 3; ++i) Press(kPadLeft);
    EXPECT_EQ(gResultShop.cursor, 11);
    EXPECT_EQ(gResultShop.scrollTop, 11);
    Press(kPadLeft);
    EXPECT_EQ(gResultShop.scrollTop, 10);
    for (int i = 0; i < 20; ++i) Press(kPadLeft);
    EXPECT_EQ(gResultShop.cursor, 0);
    EXPECT_EQ(gResultShop.scrollTop, 0);
}

// Cancel: the farewell shows for 59 ticks, then the fade-out; decide does nothing meanwhile;
// then the shop returns to where it came from.
TEST_F(Shop, TheFarewellAndWhereTheShopReturns) {
    struct Case {
        int fromResult;
        GameMode mode;
        SceneId scene;
    };
    for (Case c :
         {Case{0, GameMode::Story, SceneId::Title}, Case{1, GameMode::StagesInARow, SceneId::Play},
          Case{1, GameMode::Story, SceneId::Event}}) {
        SCOPED_TRACE(c.fromResult);
        gGameState.gameMode = c.mode;
        gGameState.scene = SceneId::Shop;
        gGameState.eventNumber = 16;
        gGameState.score = 10'000'000;
        Open(c.fromResult);
        Hold(0, kPadCancel);
        UpdateShop();
        EXPECT_TRUE(TakeSound(289));
        EXPECT_EQ(gResultShop.farewell, 1);
        for (int i = 0; i < 58; ++i) {
            Hold(0, i % 2 ? kPadDecide : 0);
            UpdateShop();
        }
        EXPECT_EQ(gResultShop.shopLeaving, 0);
        EXPECT_EQ(gGameState.score, 10'000'000) << "decide does nothing in the farewell";
        UpdateShop();
        EXPECT_EQ(gResultShop.shopLeaving, 1);
        FinishFade();
        UpdateShop();
        WaitForLoader();
        EXPECT_EQ(gGameState.scene, c.scene);
        if (c.scene == SceneId::Event) {
            EXPECT_EQ(gEventState.eventNumber, 16);
        }
    }
}

}  // namespace
}  // namespace vqtest
