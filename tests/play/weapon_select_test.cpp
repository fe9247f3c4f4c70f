// The weapon select: the cursor and its slide, the random candidate, refusals, the ready
// count and its end, taking a choice back, the two-player option and the run's record.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/random/random.h"
#include "play/display/play_display.h"
#include "play/step/weapon_select.h"
#include "scenes/shop/shop.h"
#include "tests/play/play_fixture.h"

namespace {

using vqtest::FreshPlayRecords;
using vqtest::SoundRequested;

class WeaponSelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        FreshPlayRecords();
        SeedRandomDefault(0);
        gGameState.weaponSelect = 1;
        auto& w = gGameState.records.words;
        w[record::kOwnedWeapons + 0] = 1;
        w[record::kOwnedWeapons + 3] = 1;
        w[record::kOwnedWeapons + 10] = 1;
        for (PlayerCraft& c : gPlayerCrafts) c.weapon = -1;
    }

    // One tick of the phase for the crafts in play, each with its pad bits.
    void Tick(uint8_t held0 = 0, uint8_t pressed0 = 0, uint8_t held1 = 0, uint8_t pressed1 = 0) {
        vqtest::ClearSoundRequests();
        StepWeaponSelectPhase();
        if (gGameState.weaponSelect != 1) return;
        StepCraftWeaponChoice(&gPlayerCrafts[0], held0, pressed0);
        if (gGameState.playerCount == 2) StepCraftWeaponChoice(&gPlayerCrafts[1], held1, pressed1);
    }
    PlayerCraft& a = gPlayerCrafts[0];
    PlayerCraft& b = gPlayerCrafts[1];
};

TEST_F(WeaponSelectTest, ListHoldsOwnedWeaponsAndTheOptionOnlyForTwoCrafts) {
    gGameState.playerCount = 1;
    BuildWeaponList();
    EXPECT_EQ(gGameState.records.words[record::kWeaponListLength], 2);
    EXPECT_EQ(gGameState.weaponList[0], 0);
    EXPECT_EQ(gGameState.weaponList[1], 3);
    gGameState.playerCount = 2;
    BuildWeaponList();
    EXPECT_EQ(gGameState.records.words[record::kWeaponListLength], 3);
    EXPECT_EQ(gGameState.weaponList[2], 10);
}

// The settings file may hold any value in an owned flag: the list offers a weapon exactly
// when the choice accepts it, the panel shows it as available and the shop has sold it.
TEST_F(WeaponSelectTest, OneOwnershipRuleForTheListTheChoiceThePanelAndTheShop) {
    gGameState.playerCount = 1;
    for (int32_t flag : {0, 1, 2, 3084, -1}) {
        SCOPED_TRACE(flag);
        gGameState.records.words[record::kOwnedWeapons + 5] = flag;
        bool owned = flag != 0;
        BuildWeaponList();
        const int32_t* list = gGameState.weaponList;
        int32_t length = gGameState.records.words[record::kWeaponListLength];
        EXPECT_EQ(std::find(list, list + length, 5) != list + length, owned);
        a.weapon = -1;
        gGameState.weaponCursor[0] = 5;
        Tick(0, kPadDecide);
        EXPECT_EQ(a.weapon == 5, owned);
        EXPECT_EQ(IsWeaponSlotAvailable(5), owned);
        EXPECT_EQ(IsShopItemSoldOut(5), owned);
    }
}

TEST_F(WeaponSelectTest, CursorSlidesOneSlotEveryTenTicksAndWraps) {
    gGameState.weaponCursor[0] = 0;
    Tick(kPadLeft);
    EXPECT_EQ(gGameState.weaponCursorSlide[0], 1);
    EXPECT_TRUE(SoundRequested(288));
    for (int i = 0; i < 8; ++i) Tick(kPadLeft);
    EXPECT_EQ(gGameState.weaponCursor[0], 0);
    Tick(kPadLeft);
    EXPECT_EQ(gGameState.weaponCursor[0], 1) << "one slot after ten ticks";
    EXPECT_EQ(gGameState.weaponCursorSlide[0], 0);

    gGameState.weaponCursor[0] = 11;
    for (int i = 0; i < 10; ++i) Tick(kPadUp);
    EXPECT_EQ(gGameState.weaponCursor[0], 0) << "slot 11 plus one";
    for (int i = 0; i < 10; ++i) Tick(kPadDown);
    EXPECT_EQ(gGameState.weaponCursor[0], 11) << "slot 0 minus one";
    // Both directions held: the second test wins.
    Tick(kPadLeft | kPadRight);
    EXPECT_EQ(gGameState.weaponCursorSlide[0], -1);
}

TEST_F(WeaponSelectTest, DecideRefusalsAndChoices) {
    gGameState.playerCount = 1;
    BuildWeaponList();
    gGameState.weaponCursor[0] = 10;
    Tick(0, kPadDecide);
    EXPECT_EQ(a.weapon, -1) << "the option is refused to one craft";
    EXPECT_TRUE(SoundRequested(289));
    gGameState.weaponCursor[0] = 5;
    Tick(0, kPadDecide);
    EXPECT_EQ(a.weapon, -1) << "a weapon not owned";
    EXPECT_TRUE(SoundRequested(289));
    gGameState.weaponCursor[0] = 3;
    Tick(0, kPadDecide);
    EXPECT_EQ(a.weapon, 3);
    EXPECT_TRUE(SoundRequested(287));
    EXPECT_EQ(gGameState.records.words[record::kSelectWeapon], 3);
}

TEST_F(WeaponSelectTest, RandomSlotTakesTheCandidateDrawnOnThePressTickAndNeverTheOption) {
    gGameState.playerCount = 1;
    BuildWeaponList();
    for (int run = 0; run < 50; ++run) {
        a.weapon = -1;
        gGameState.weaponCursor[0] = kWeaponRandomSlot;
        Tick(0, kPadDecide);
        EXPECT_EQ(a.weapon, gGameState.weaponCandidate[0]);
        EXPECT_TRUE(a.weapon == 0 || a.weapon == 3) << a.weapon;
    }
    EXPECT_EQ(gGameState.records.words[record::kSelectWeapon], kWeaponRandomSlot);
}

TEST_F(WeaponSelectTest, ReadyCountEndsThePhaseAndCancelledChoicesWait) {
    gGameState.playerCount = 2;
    gGameState.stage = 3;
    BuildWeaponList();
    gGameState.weaponCursor[0] = 0;
    gGameState.weaponCursor[1] = 3;
    Tick(0, kPadDecide, 0, 0);
    for (int i = 0; i < 10; ++i) Tick();
    Tick(0, 0, 0, kPadDecide);  // the second player chooses 11 ticks later
    int ticks = 0;
    while (gGameState.weaponSelect == 1 && ticks < 100) {
        Tick();
        ++ticks;
    }
    // The count reaches 30 in the craft step; the phase step ends it on the next tick.
    EXPECT_EQ(ticks, 31) << "the later player's choice must stand 30 ticks";
    EXPECT_EQ(gGameState.records.words[record::kRunWeaponsP1 + 1], 0);
    EXPECT_EQ(gGameState.records.words[record::kRunWeaponsP2 + 1], 3);
    EXPECT_EQ(gGameState.weaponSelectTicks, 10);
    Tick();
    EXPECT_EQ(gGameState.weaponSelectTicks, 9) << "the panel slides out";

    // A choice taken back on the tick it became final leaves the ready count at 30, but
    // the phase waits for a weapon.
    SetUp();
    gGameState.playerCount = 1;
    BuildWeaponList();
    Tick(0, kPadDecide);
    for (int i = 0; i < 29; ++i) Tick();
    ASSERT_EQ(gGameState.weaponReadyTicks[0], 29);
    Tick(0, kPadCancel);
    ASSERT_EQ(gGameState.weaponReadyTicks[0], 30);
    EXPECT_EQ(a.weapon, -1);
    EXPECT_TRUE(SoundRequested(289));
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_EQ(gGameState.weaponSelect, 1) << "no weapon: the phase goes on";
    Tick(0, kPadDecide);
    Tick();
    EXPECT_EQ(gGameState.weaponSelect, 0) << "the new choice is final at once";
}

TEST_F(WeaponSelectTest, CraftThreeCannotTakeItsChoiceBack) {
    gGameState.playerCount = 1;
    a.craft = 3;
    a.weapon = 3;
    for (int i = 0; i < 29; ++i) Tick();
    Tick(0, kPadCancel);
    EXPECT_EQ(a.weapon, 3);
}

TEST_F(WeaponSelectTest, OneCraftRecordsNoWeaponForPlayerTwoAndNothingForStage18) {
    gGameState.playerCount = 1;
    gGameState.stage = 6;
    BuildWeaponList();
    Tick(0, kPadDecide);
    for (int i = 0; i < 31; ++i) Tick();
    ASSERT_EQ(gGameState.weaponSelect, 0);
    EXPECT_EQ(gGameState.records.words[record::kRunWeaponsP1 + 2], 0);
    EXPECT_EQ(gGameState.records.words[record::kRunWeaponsP2 + 2], 255);

    SetUp();
    gGameState.playerCount = 1;
    gGameState.stage = 18;
    BuildWeaponList();
    gGameState.records.words[record::kRunWeaponsP1 + 5] = 77;
    Tick(0, kPadDecide);
    for (int i = 0; i < 31; ++i) Tick();
    ASSERT_EQ(gGameState.weaponSelect, 0);
    EXPECT_EQ(gGameState.records.words[record::kRunWeaponsP1 + 5], 77);
}

TEST_F(WeaponSelectTest, TwoPlayerOptionGoesToBothCrafts) {
    gGameState.playerCount = 2;
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    BuildWeaponList();
    gGameState.weaponCursor[0] = 0;
    gGameState.weaponCursor[1] = 10;
    Tick(0, kPadDecide, 0, kPadDecide);
    EXPECT_EQ(gGameState.records.words[record::kSelectWeapon + 1], 10)
        << "player 2's cursor is saved in two-player set-up";
    for (int i = 0; i < 31; ++i) Tick();
    EXPECT_EQ(a.weapon, 10);
    EXPECT_EQ(b.weapon, 10);
}

TEST_F(WeaponSelectTest, PartnersCursorIsNotSaved) {
    gGameState.playerCount = 2;
    gGameState.playerSetup = PlayerSetup::ComputerPartner;
    gGameState.records.words[record::kSelectWeapon + 1] = 4;
    BuildWeaponList();
    gGameState.weaponCursor[1] = 3;
    Tick(0, 0, 0, kPadDecide);
    EXPECT_EQ(b.weapon, 3);
    EXPECT_EQ(gGameState.records.words[record::kSelectWeapon + 1], 4);
}

TEST(SavedWeaponCursor, OutsideTheSlotsStartsAtZero) {
    EXPECT_EQ(SavedWeaponCursor(0), 0);
    EXPECT_EQ(SavedWeaponCursor(11), 11);
    EXPECT_EQ(SavedWeaponCursor(12), 0);
    EXPECT_EQ(SavedWeaponCursor(-1), 0);
    EXPECT_EQ(SavedWeaponCursor(255), 0);
}

}  // namespace
