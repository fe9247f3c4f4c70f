// A story run through the real frame loop and scene table, headless: from the title's story
// choice (decide through its menus) through every event, result and shop of the story in
// their order, to the staff roll and back to the title.
// Each stage is cleared on its first tick and left through the game step's own fly-out,
// so the run checks the hand-overs between play and the screens and the numbering of
// events and stages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "play/step/run_start.h"
#include "scenes/event/event.h"
#include "scenes/result/result.h"
#include "tests/support/headless_game.h"

namespace vqtest {
namespace {

std::string Name(SceneId scene) {
    const GameState& g = gGameState;
    switch (scene) {
        case SceneId::Title:
            return "T";
        case SceneId::Play:
            return "P" + std::to_string(g.stage);
        case SceneId::Ending:
            return "End";
        case SceneId::Result:
            return "R";
        case SceneId::Event:
            return "E" + std::to_string(g.eventNumber);
        case SceneId::Shop:
            return "S";
        default:
            return "?";
    }
}

TEST(StoryRun, FromTheTitlesStoryChoiceToTheStaffRollAndBack) {
    ASSERT_TRUE(StartHeadlessGame());
    GameState& g = gGameState;
    std::vector<std::string> seen = {Name(g.scene)};
    std::vector<int32_t> clearBonuses;
    SceneId last = g.scene;
    int lastEvent = g.eventNumber;
    for (int tick = 0; tick < 400000 && !(g.scene == SceneId::Title && seen.size() > 1); ++tick) {
        WaitForLoader();
        if (g.scene == SceneId::Play && g.playPhase == PlayPhase::Playing) {
            g.playPhase = PlayPhase::StageClear;  // as a clear rule does
            g.phaseTicks = 0;
        }
        // Roll speeds the events; decide, cancel and roll press on alternate ticks.
        uint8_t held = 0;
        switch (g.scene) {
            case SceneId::Title:
                held = tick % 2 ? kPadDecide : 0;  // the first choices: a story, one player
                break;
            case SceneId::Event:
                held = kPadRoll;
                break;
            case SceneId::Result:
                held = tick % 2 ? kPadDecide : 0;
                break;
            case SceneId::Shop:
                held = tick % 2 ? kPadCancel : 0;
                break;
            case SceneId::Ending:
                held = tick % 2 ? (kPadRoll | kPadDecide) : 0;
                break;
            default:
                break;
        }
        gPadState[0].held = held;
        gPadState[1].held = 0;
        UpdateFrame();
        if (g.scene != last || (g.scene == SceneId::Event && g.eventNumber != lastEvent)) {
            seen.push_back(Name(g.scene));
            if (g.scene == SceneId::Result) clearBonuses.push_back(gResultShop.clearBonus);
            last = g.scene;
            lastEvent = g.eventNumber;
        }
    }
    int32_t clearStage = g.records.words[record::kClearStage];
    StopHeadlessGame();
    EXPECT_EQ(clearStage, 18) << "the closing events reach no stage past 18";

    const std::vector<std::string> expected = {
        "T",   "E0",  "P0",  "E1",  "P1",  "E2",  "P2",  "R",   "E3",  "P3",  "E4",  "P4",  "E5",
        "P5",  "R",   "E6",  "P6",  "E7",  "P7",  "E8",  "P8",  "R",   "E9",  "P9",  "E10", "P10",
        "E11", "P11", "R",   "E12", "P12", "E13", "P13", "E14", "P14", "R",   "S",   "E16", "P15",
        "E17", "P16", "E18", "P17", "R",   "E19", "P18", "E20", "E21", "E22", "E23", "End", "T"};
    EXPECT_EQ(seen, expected);
    // Each chapter's result tallies the chapter just cleared.
    EXPECT_EQ(clearBonuses,
              (std::vector<int32_t>{300'000, 360'000, 450'000, 600'000, 750'000, 900'000}));
}

// The other modes from their start as the title makes it: stages in a row call at the shop
// between chapters and end at the title after the last chapter; practice and the extra
// stage end in their result, then the title or the staff roll.
TEST(StoryRun, TheOtherModesFromStartToTheirEnd) {
    struct Case {
        GameMode mode;
        int32_t stage;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {GameMode::StagesInARow, 0, {"P0",  "P1",  "P2",  "R", "S", "P3",  "P4",  "P5",  "R", "S",
                                     "P6",  "P7",  "P8",  "R", "S", "P9",  "P10", "P11", "R", "S",
                                     "P12", "P13", "P14", "R", "S", "P15", "P16", "P17", "R", "T"}},
        // A run of stages started at the last stage ends in its result, not in a stage past it.
        {GameMode::StagesInARow, 18, {"P18", "R", "T"}},
        {GameMode::Practice, 7, {"P7", "R", "T"}},
        {GameMode::Extra, 18, {"P18", "R", "End", "T"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        ASSERT_TRUE(StartHeadlessGame());
        GameState& g = gGameState;
        StartRun(RunChoice{c.mode, PlayerSetup::OnePlayer, {0, 1}, c.stage});
        g.scene = SceneId::Play;
        StartFadeIn(0);
        StartLoaderThread();
        std::vector<std::string> seen = {Name(g.scene)};
        SceneId last = g.scene;
        for (int tick = 0; tick < 200000 && g.scene != SceneId::Title; ++tick) {
            WaitForLoader();
            if (g.scene == SceneId::Play && g.playPhase == PlayPhase::Playing) {
                g.playPhase = PlayPhase::StageClear;
                g.phaseTicks = 0;
            }
            uint8_t held = 0;
            if (g.scene == SceneId::Result) held = tick % 2 ? kPadDecide : 0;
            if (g.scene == SceneId::Shop) held = tick % 2 ? kPadCancel : 0;
            if (g.scene == SceneId::Ending) held = tick % 2 ? (kPadRoll | kPadDecide) : 0;
            gPadState[0].held = held;
            gPadState[1].held = 0;
            int32_t stage = g.stage;
            UpdateFrame();
            if (g.scene != last || (g.scene == SceneId::Play && g.stage != stage)) {
                seen.push_back(Name(g.scene));
                last = g.scene;
            }
        }
        StopHeadlessGame();
        EXPECT_EQ(seen, c.expected);
    }
}

}  // namespace
}  // namespace vqtest
