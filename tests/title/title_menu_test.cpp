// The title's step driven tick by tick with pad edges and repeats set by hand: the panels'
// slides, the main menu, the player set-up, the craft-select rules of the three set-ups,
// the options levels, the records pages, the press-start screen's idle count and the
// banking of the score.
#include <gtest/gtest.h>

#include <vector>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/overlay/fade.h"
#include "engine/sound/sound.h"
#include "scenes/title/title.h"

namespace {

constexpr uint8_t R = kPadRight, L = kPadLeft, U = kPadUp, Dn = kPadDown;
constexpr uint8_t kDecide = kPadDecide, kCancel = kPadCancel;

class TitleStep : public ::testing::Test {
protected:
    void SetUp() override {
        gGameState = GameState{};
        gGameState.stageCount = 19;
        gGameState.musicVolume = 5;
        gGameState.soundVolume = 5;
        ResetTitleGlobals();
        ClearSounds();
        InitTitle();
    }

    static void ClearSounds() {
        for (uint8_t& r : gSoundState.effectRequests) r = 0;
    }

    // One tick with pad 1 (and pad 2) pressing and repeating these bits; returns the
    // sounds requested during it.
    std::vector<int> Tick(uint8_t pressed = 0, uint8_t repeat = 0, uint8_t pressed2 = 0,
                          uint8_t repeat2 = 0) {
        ClearSounds();
        gPadState[0].pressed = pressed;
        gPadState[0].repeat = repeat;
        gPadState[1].pressed = pressed2;
        gPadState[1].repeat = repeat2;
        UpdateTitle();
        AdvanceFade();
        gPadState[0] = PadState{};
        gPadState[1] = PadState{};
        std::vector<int> sounds;
        for (int id : {287, 288, 289}) {
            if (gSoundState.effectRequests[static_cast<size_t>(FindEffectSlot(id))]) {
                sounds.push_back(id);
            }
        }
        return sounds;
    }
    void Idle(int ticks) {
        for (int i = 0; i < ticks; ++i) Tick();
    }
    // Press, then wait until every panel has come to rest.
    std::vector<int> Press(uint8_t pressed, uint8_t pressed2 = 0) {
        auto s = Tick(pressed, 0, pressed2, 0);
        Idle(20);
        return s;
    }
    std::vector<int> Move(uint8_t repeat, uint8_t repeat2 = 0) {
        return Tick(0, repeat, 0, repeat2);
    }

    // From the press-start screen to the main menu.
    void OpenMenu() {
        Tick(kDecide);
        Idle(20);
        ASSERT_EQ(gTitleState.pressStart, 0);
    }
    void MenuTo(TitleMenuItem item) {
        for (int i = 0; i < kTitleMenuMax && ChosenMenuItem() != item; ++i) Move(Dn);
        ASSERT_EQ(ChosenMenuItem(), item);
    }
    // Main menu item, then the set-up: the craft select is open.
    void ToCraftSelect(TitleMenuItem item, PlayerSetup setup) {
        OpenMenu();
        MenuTo(item);
        Press(kDecide);
        for (int i = 0; i < static_cast<int>(setup); ++i) Move(Dn);
        Press(kDecide);
        ASSERT_EQ(gTitleState.craftSelect.open, 1);
        ASSERT_EQ(gTitleState.setup.open, 0);
    }
    static const TitlePlayerChoice& Player(int i) {
        return gTitleState.players[static_cast<size_t>(i)];
    }
};

using Sounds = std::vector<int>;

TEST_F(TitleStep, PressStartOpensTheMenuAfterSixteenTransitionTicksAndCancelReturns) {
    EXPECT_EQ(IsPressStartScreen(), 1);
    Tick(kPadRoll);  // roll also starts
    EXPECT_EQ(gTitleState.transition, 1);
    for (int i = 0; i < 15; ++i) Tick();
    EXPECT_EQ(gTitleState.pressStart, 1);
    Tick();
    EXPECT_EQ(gTitleState.transition, 17);
    EXPECT_EQ(IsPressStartScreen(), 0);

    EXPECT_EQ(Tick(kCancel), Sounds{289});
    EXPECT_EQ(gTitleState.transition, -1);
    EXPECT_EQ(IsPressStartScreen(), 1);
    Idle(16);
    EXPECT_EQ(gTitleState.transition, 0);
    EXPECT_EQ(IsPressStartScreen(), 1);
}

TEST_F(TitleStep, IdlingStartsTheFadeAndTheMovieAndCancelBringsThemNear) {
    // A cancel jumps the idle count: the fade-out 3 ticks later, the movie 20 ticks later.
    Tick(kCancel);
    EXPECT_EQ(gGameState.titleIdleTicks, kIdleCancelTicks);
    Idle(2);
    EXPECT_EQ(gGameState.fade.direction, 0);
    Tick();
    EXPECT_EQ(gGameState.fade.direction, 1);
    Idle(16);
    EXPECT_NE(gGameState.titleIdleTicks, 0);
    Tick();
    // The movie was asked for (none plays here) and the count starts again with a fade-in.
    EXPECT_EQ(gGameState.titleIdleTicks, 0);
    EXPECT_EQ(gGameState.fade.direction, -1);

    // Without a cancel it takes the whole idle time; presses past 5020 start nothing.
    InitTitle();
    for (int i = 1; i < kIdleCancelTicks - 1; ++i) Tick();
    EXPECT_EQ(gGameState.titleIdleTicks, kIdleCancelTicks - 1);
    Tick(kDecide);
    EXPECT_EQ(gGameState.titleIdleTicks, kIdleCancelTicks);
    EXPECT_EQ(gTitleState.transition, 0);
    Idle(kIdleMovieTicks - kIdleCancelTicks);
    EXPECT_EQ(gGameState.titleIdleTicks, 0);
}

TEST_F(TitleStep, MenuOffersExtraAndStaffRollOnlyWhenUnlockedAndWraps) {
    struct Case {
        int extra, staff;
        std::vector<TitleMenuItem> items;
    };
    using I = TitleMenuItem;
    const Case cases[] = {
        {0, 0, {I::Story, I::StagesInARow, I::Practice, I::Shop, I::Records, I::Options, I::Exit}},
        {1,
         0,
         {I::Story, I::StagesInARow, I::Practice, I::Extra, I::Shop, I::Records, I::Options,
          I::Exit}},
        {0,
         1,
         {I::Story, I::StagesInARow, I::Practice, I::Shop, I::Records, I::StaffRoll, I::Options,
          I::Exit}},
        {1,
         1,
         {I::Story, I::StagesInARow, I::Practice, I::Extra, I::Shop, I::Records, I::StaffRoll,
          I::Options, I::Exit}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "extra " << c.extra << " staff " << c.staff);
        gGameState.records.words[record::kGetExtra] = c.extra;
        gGameState.records.words[record::kGetStaff] = c.staff;
        InitTitle();
        ASSERT_EQ(gTitleState.menuCount, static_cast<int>(c.items.size()));
        for (size_t i = 0; i < c.items.size(); ++i) EXPECT_EQ(gTitleState.menuItems[i], c.items[i]);
        OpenMenu();
        EXPECT_EQ(Move(U), Sounds{288});
        EXPECT_EQ(ChosenMenuItem(), I::Exit);
        EXPECT_EQ(Move(Dn), Sounds{288});
        EXPECT_EQ(ChosenMenuItem(), I::Story);
    }
}

TEST_F(TitleStep, PanelSlidingInBlocksInputAndSlidingOutStillTakesIt) {
    OpenMenu();
    MenuTo(TitleMenuItem::Options);
    Tick(kDecide);
    // Sliding in: ten busy ticks in which nothing is read.
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(Tick(0, Dn), Sounds{}) << i;
        EXPECT_EQ(gTitleState.optionsCursor, 0);
    }
    EXPECT_EQ(gTitleState.options.open, 0);
    Tick(0, Dn);  // the tick on which the slide reaches 0 is still busy
    EXPECT_EQ(gTitleState.options.open, 1);
    EXPECT_EQ(gTitleState.optionsCursor, 0);
    EXPECT_EQ(Move(Dn), Sounds{288});
    EXPECT_EQ(gTitleState.optionsCursor, 1);

    // Closing: the panel keeps the input until its slide reaches 10.
    Tick(kCancel);
    EXPECT_EQ(gTitleState.options.mode, PanelMode::HideRight);
    for (int i = 0; i < 9; ++i) {
        ASSERT_EQ(gTitleState.options.open, 1);
        Move(Dn);
    }
    EXPECT_EQ(gTitleState.optionsCursor, (1 + 9) % 3);
    Tick();
    EXPECT_EQ(gTitleState.options.slide, 10);
    EXPECT_EQ(gTitleState.options.open, 0);
}

TEST_F(TitleStep, OptionLevelsStayWithinZeroToNineAndOnlyTheEffectLevelSounds) {
    OpenMenu();
    MenuTo(TitleMenuItem::Options);
    Press(kDecide);
    // Row 0: music level, silent; row 1: effect level, sound 288 on each change only.
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Move(R), Sounds{});
    EXPECT_EQ(gGameState.musicVolume, 9);
    for (int i = 0; i < 12; ++i) Move(L);
    EXPECT_EQ(gGameState.musicVolume, 0);
    Move(Dn);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Move(R), Sounds{288});
    EXPECT_EQ(gGameState.soundVolume, 9);
    EXPECT_EQ(Move(R), Sounds{});
    EXPECT_EQ(gGameState.soundVolume, 9);
    for (int i = 0; i < 9; ++i) Move(L);
    EXPECT_EQ(Move(L), Sounds{});
    EXPECT_EQ(gGameState.soundVolume, 0);
    // Decide on a level row does nothing; on the exit row it closes.
    EXPECT_EQ(Tick(kDecide), Sounds{});
    EXPECT_EQ(gTitleState.options.mode, PanelMode::Show);
    Move(Dn);
    EXPECT_EQ(Tick(kDecide), Sounds{287});
    EXPECT_EQ(gTitleState.options.mode, PanelMode::HideRight);
}

TEST_F(TitleStep, RecordsPageTurnsOnlyWithTheExtraStage) {
    OpenMenu();
    MenuTo(TitleMenuItem::Records);
    Press(kDecide);
    ASSERT_EQ(gTitleState.records.open, 1);
    EXPECT_EQ(Move(R), Sounds{});
    EXPECT_EQ(gTitleState.recordsPage, 0);
    Press(kCancel);

    gGameState.records.words[record::kGetExtra] = 1;
    InitTitle();
    OpenMenu();
    MenuTo(TitleMenuItem::Records);
    Press(kDecide);
    EXPECT_EQ(Move(Dn), Sounds{288});
    EXPECT_EQ(gTitleState.recordsPage, 1);
    Move(L);
    EXPECT_EQ(gTitleState.recordsPage, 0);
    EXPECT_EQ(Tick(kDecide), Sounds{287});
    EXPECT_EQ(gTitleState.records.mode, PanelMode::HideRight);
}

TEST_F(TitleStep, CraftListFollowsTheUnlocksAndLeavesCraftThreeOutOfTheStory) {
    struct Case {
        int craft2, craft3;
        TitleMenuItem item;
        std::vector<int> list;
    };
    const Case cases[] = {
        {0, 0, TitleMenuItem::StagesInARow, {0, 1}},
        {1, 0, TitleMenuItem::StagesInARow, {0, 1, 2}},
        {0, 1, TitleMenuItem::StagesInARow, {0, 1, 3}},
        {1, 1, TitleMenuItem::StagesInARow, {0, 1, 2, 3}},
        {1, 1, TitleMenuItem::Practice, {0, 1, 2, 3}},
        {1, 1, TitleMenuItem::Story, {0, 1, 2}},
        {0, 1, TitleMenuItem::Story, {0, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.craft2 << c.craft3 << " item " << static_cast<int>(c.item));
        gGameState.records.words[record::kGetCraft2] = c.craft2;
        gGameState.records.words[record::kGetCraft3] = c.craft3;
        InitTitle();
        ToCraftSelect(c.item, PlayerSetup::OnePlayer);
        ASSERT_EQ(gTitleState.craftCount, static_cast<int>(c.list.size()));
        for (size_t i = 0; i < c.list.size(); ++i) EXPECT_EQ(gTitleState.craftList[i], c.list[i]);
        // The cursor wraps over the list.
        Move(L);
        EXPECT_EQ(Player(0).cursor, gTitleState.craftCount - 1);
        Move(R);
        EXPECT_EQ(Player(0).cursor, 0);
    }
}

TEST_F(TitleStep, OnePlayerChoosesCraftAndSenseAndCancelWalksBack) {
    ToCraftSelect(TitleMenuItem::StagesInARow, PlayerSetup::OnePlayer);
    Move(R);
    EXPECT_EQ(Press(kDecide), Sounds{287});
    EXPECT_EQ(Player(0).state, CraftChoice::Sense);
    EXPECT_EQ(Player(0).senseCounter, 8);
    EXPECT_EQ(Move(U), Sounds{288});
    EXPECT_EQ(Player(0).upDownToggle, 1);
    EXPECT_EQ(Press(kCancel), Sounds{289});
    EXPECT_EQ(Player(0).state, CraftChoice::Craft);
    // Pad 2 is not read with one player.
    Tick(0, 0, kDecide);
    EXPECT_EQ(Player(0).state, CraftChoice::Craft);
    // Cancel in state 0 goes back to the set-up.
    EXPECT_EQ(Press(kCancel), Sounds{289});
    EXPECT_EQ(gTitleState.craftSelect.open, 0);
    EXPECT_EQ(gTitleState.setup.open, 1);
}

TEST_F(TitleStep, TheComputerPartnerNeverTakesPlayerOnesCraft) {
    ToCraftSelect(TitleMenuItem::StagesInARow, PlayerSetup::ComputerPartner);
    Press(kDecide);
    Press(kDecide);
    ASSERT_EQ(Player(0).state, CraftChoice::Ready);
    // Player 1 has craft 0; the partner's cursor starts on 1, moved onto 0 it is refused.
    Move(L);
    EXPECT_EQ(Player(1).cursor, 0);
    EXPECT_EQ(Press(kDecide), Sounds{289});
    EXPECT_EQ(Player(1).state, CraftChoice::Craft);
    Move(R);
    // The partner's sense boxes slide in, then the choice completes.
    EXPECT_EQ(Tick(kDecide), Sounds{287});
    Idle(9);
    // Both chosen: the choice completes with different crafts.
    EXPECT_EQ(gGameState.craft[0], 0);
    EXPECT_EQ(gGameState.craft[1], 1);
    EXPECT_EQ(gGameState.upDownSense[0], 1);
    EXPECT_EQ(gTitleState.selectionLeaving, 1);
    EXPECT_EQ(gGameState.gameMode, GameMode::StagesInARow);
}

TEST_F(TitleStep, TwoPlayersCannotBothTakeOneCraft) {
    ToCraftSelect(TitleMenuItem::StagesInARow, PlayerSetup::TwoPlayers);
    // Player 1 moves onto player 2's craft and takes it first.
    Move(R);
    EXPECT_EQ(Player(0).cursor, 1);
    EXPECT_EQ(Press(kDecide), Sounds{287});
    EXPECT_EQ(Press(0, kDecide), Sounds{289});
    EXPECT_EQ(Player(1).state, CraftChoice::Craft);
    // Deciding together on one craft: player 1 is served first, player 2 refused.
    Press(kCancel);
    EXPECT_EQ(Player(0).state, CraftChoice::Craft);
    EXPECT_EQ(Press(kDecide, kDecide), (Sounds{287, 289}));
    EXPECT_EQ(Player(1).state, CraftChoice::Craft);
    Tick(0, 0, 0, L);
    Press(0, kDecide);
    Press(kDecide, kDecide);
    ASSERT_NE(gTitleState.selectionLeaving, 0);
    EXPECT_NE(gGameState.craft[0], gGameState.craft[1]);
}

TEST_F(TitleStep, AHalfMadeChoiceOfAnotherSetUpDoesNotCarryOver) {
    ToCraftSelect(TitleMenuItem::StagesInARow, PlayerSetup::TwoPlayers);
    Press(0, kDecide);  // player 2 takes craft 1
    ASSERT_EQ(Player(1).state, CraftChoice::Sense);
    Press(kCancel);  // back to the set-up, then the computer partner
    Move(U);
    Press(kDecide);
    ASSERT_EQ(gGameState.playerSetup, PlayerSetup::ComputerPartner);
    // Player 1 takes craft 1: the partner is not already chosen on it.
    Move(R);
    Press(kDecide);
    EXPECT_EQ(gTitleState.selectionLeaving, 0);
    EXPECT_EQ(Player(1).state, CraftChoice::Craft);
}

TEST_F(TitleStep, PracticeStageSelectRefusesLockedStagesAndReachesEveryChapter) {
    gGameState.records.words[record::kClearStage] = 4;
    ToCraftSelect(TitleMenuItem::Practice, PlayerSetup::OnePlayer);
    Press(kDecide);
    Press(kDecide);
    Idle(20);
    ASSERT_EQ(gTitleState.stageSelect.open, 1);
    EXPECT_EQ(gGameState.gameMode, GameMode::Practice);
    EXPECT_EQ(IsSelectPanelOpen(), 1);

    // Down to the second chapter: stages 3, 4 open, 5 locked.
    EXPECT_EQ(Move(Dn), Sounds{288});
    EXPECT_EQ(ChosenPracticeStage(), 3);
    Move(L);
    EXPECT_EQ(ChosenPracticeStage(), 5);
    EXPECT_EQ(Tick(kDecide), Sounds{289});
    EXPECT_EQ(gTitleState.selectionLeaving, 0);
    EXPECT_EQ(gGameState.fade.direction, 0);

    // Every stage of the index is reachable, and the rows wrap at its end.
    gGameState.records.words[record::kClearStage] = 18;
    Move(U);
    Move(U);
    EXPECT_EQ(gTitleState.stageRow + gTitleState.stagePage, 6);
    Move(R);
    EXPECT_EQ(ChosenPracticeStage(), 18);
    EXPECT_TRUE(IsPracticeStageOpen(18));
    Move(R);
    EXPECT_EQ(ChosenPracticeStage(), 19);
    EXPECT_EQ(Tick(kDecide), Sounds{289});  // beyond the stage index
    Move(Dn);
    EXPECT_EQ(gTitleState.stageRow + gTitleState.stagePage, 0);

    // Cancel goes back to the craft select, with player 1 choosing the sense again.
    EXPECT_EQ(Press(kCancel), Sounds{289});
    EXPECT_EQ(gTitleState.craftSelect.open, 1);
    EXPECT_EQ(Player(0).state, CraftChoice::Sense);
}

TEST_F(TitleStep, BankingCapsThePointsTotalAndClearsTheScore) {
    struct Case {
        int32_t total, score, expected;
    };
    const Case cases[] = {
        {100, 23, 123},
        {999999000, 999, 999999999},
        {999999000, 2000000000, 999999999},
        {999999999, 1, 999999999},
    };
    for (const Case& c : cases) {
        gGameState.pointsTotal = c.total;
        gGameState.score = c.score;
        InitTitle();
        EXPECT_EQ(gGameState.pointsTotal, c.expected) << c.total << " + " << c.score;
        EXPECT_EQ(gGameState.score, 0);
    }
}

TEST_F(TitleStep, AfterPracticeTheTitleOpensOnTheStageSelectWithTheChoicesKept) {
    gGameState.records.words[record::kClearStage] = 5;
    ToCraftSelect(TitleMenuItem::Practice, PlayerSetup::OnePlayer);
    Move(R);
    Press(kDecide);
    Press(kDecide);
    Idle(20);
    Move(R);
    int32_t stage = ChosenPracticeStage();
    InitTitle();  // game mode is practice
    EXPECT_EQ(IsPressStartScreen(), 0);
    EXPECT_EQ(gTitleState.stageSelect.open, 1);
    EXPECT_EQ(ChosenPracticeStage(), stage);
    EXPECT_EQ(Player(0).cursor, 1);
    EXPECT_EQ(ChosenMenuItem(), TitleMenuItem::Practice);

    // Any other entry starts on the press-start screen; after the title shop, on the menu.
    gGameState.gameMode = GameMode::Story;
    InitTitle();
    EXPECT_EQ(IsPressStartScreen(), 1);
    EXPECT_EQ(ChosenPracticeStage(), 0);
    ShowTitleMenuImmediately();
    EXPECT_EQ(IsPressStartScreen(), 0);
    Tick(0, Dn);
    EXPECT_EQ(ChosenMenuItem(), TitleMenuItem::StagesInARow);
}

}  // namespace
