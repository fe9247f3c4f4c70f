// A story run through the real frame loop and scene table, headless: from the title's story
// choice (decide through its menus) through every event, result and shop of the story in
// their order, to the staff roll and back to the title.
// Each stage is cleared on its first tick and left through the game step's own fly-out,
// so the run checks the hand-overs between play and the screens and the numbering of
// events and stages, and the story as it reads in a run: the lines the events show, over
// which picture, and in what order around the stages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/core/frame_state.h"
#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "engine/overlay/fade.h"
#include "platform/text/cp932.h"
#include "play/step/run_start.h"
#include "scenes/event/event.h"
#include "scenes/event/story/story.h"
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

// One text block as the player saw it: the event, the picture behind it, its lines.
struct ShownBlock {
    int event;
    int32_t picture;
    int32_t first;
    int32_t count;
};

// What a story run showed: the screens in order and the text blocks of the events, with
// the index of the screen each block was shown on.
struct StoryRunLog {
    std::vector<std::string> screens;
    std::vector<int32_t> clearBonuses;
    std::vector<ShownBlock> blocks;
    std::vector<size_t> blockScreens;
};

// Plays a story from the title's story choice until the run is back at the title.
StoryRunLog PlayStoryFromTheTitle() {
    StoryRunLog log;
    GameState& g = gGameState;
    log.screens = {Name(g.scene)};
    SceneId last = g.scene;
    int lastEvent = g.eventNumber;
    int32_t lastFirst = -1;
    for (int tick = 0; tick < 400000 && !(g.scene == SceneId::Title && log.screens.size() > 1);
         ++tick) {
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
            log.screens.push_back(Name(g.scene));
            if (g.scene == SceneId::Result) log.clearBonuses.push_back(gResultShop.clearBonus);
            last = g.scene;
            lastEvent = g.eventNumber;
            lastFirst = -1;
        }
        const EventState& e = gEventState;
        if (g.scene == SceneId::Event && e.firstLine >= 0 && e.firstLine != lastFirst) {
            log.blocks.push_back(ShownBlock{e.eventNumber, e.background, e.firstLine, e.lineCount});
            log.blockScreens.push_back(log.screens.size() - 1);
        }
        lastFirst = g.scene == SceneId::Event ? e.firstLine : -1;
    }
    return log;
}

TEST(StoryRun, FromTheTitlesStoryChoiceToTheStaffRollAndBack) {
    ASSERT_TRUE(StartHeadlessGame());
    GameState& g = gGameState;
    StoryRunLog log = PlayStoryFromTheTitle();
    int32_t clearStage = g.records.words[record::kClearStage];
    StopHeadlessGame();
    EXPECT_EQ(clearStage, 18) << "the closing events reach no stage past 18";

    const std::vector<std::string> expected = {
        "T",   "E0",  "P0",  "E1",  "P1",  "E2",  "P2",  "R",   "E3",  "P3",  "E4",  "P4",  "E5",
        "P5",  "R",   "E6",  "P6",  "E7",  "P7",  "E8",  "P8",  "R",   "E9",  "P9",  "E10", "P10",
        "E11", "P11", "R",   "E12", "P12", "E13", "P13", "E14", "P14", "R",   "S",   "E16", "P15",
        "E17", "P16", "E18", "P17", "R",   "E19", "P18", "E20", "E21", "E22", "E23", "End", "T"};
    EXPECT_EQ(log.screens, expected);
    // Each chapter's result tallies the chapter just cleared.
    EXPECT_EQ(log.clearBonuses,
              (std::vector<int32_t>{300'000, 360'000, 450'000, 600'000, 750'000, 900'000}));
}

// The line number of a line of the story's text.
int LineNumber(const char* cp932) {
    for (int i = 0; i < kEventTextLineCount; ++i) {
        if (std::strcmp(kEventTextLines[static_cast<size_t>(i)].c_str(), cp932) == 0) return i;
    }
    return -1;
}

// The story as a run shows it. Event 15 is never played (the shop after the fifth chapter
// goes on with event 16), so nothing the story needs may live there: every other line is
// read once, in order, and the scenes that carry the story past the golden giant and the
// ones that must fit their picture are shown where they belong.
TEST(StoryRun, TheStoryReadsWholeAsPlayed) {
    ASSERT_TRUE(StartHeadlessGame());
    StoryRunLog log = PlayStoryFromTheTitle();
    StopHeadlessGame();

    int32_t unplayedFirst = -1, unplayedCount = 0;
    for (const EventCommand& k : kEventScripts[15]) {
        if (k.op != EventOp::ShowEventText) continue;
        if (unplayedFirst < 0) unplayedFirst = k.a;
        unplayedCount += k.b;
    }
    std::vector<int32_t> read;
    for (const ShownBlock& b : log.blocks) {
        EXPECT_NE(b.event, 15);
        for (int32_t i = 0; i < b.count; ++i) read.push_back(b.first + i);
    }
    std::vector<int32_t> story;
    for (int32_t i = 0; i < 379; ++i) {
        if (i < unplayedFirst || i >= unplayedFirst + unplayedCount) story.push_back(i);
    }
    EXPECT_EQ(read, story);

    struct Beat {
        int event;
        int32_t picture;
        EventTextLine line;
    };
    // In the order a run shows them.
    const Beat kBeats[] = {
        // Before the sunset sea, under the day sky.
        {5, 2, EventTextLine(u8"森を抜けたら、すぐ海だね。")},
        // Out of the mine by day, before the night town.
        {7, 2, EventTextLine(u8"日が暮れる前に、街へ戻るぞ！")},
        // Setting out toward the storm under a clear sky.
        {12, 2, EventTextLine(u8"この先が嵐だなんて、うそみたい。")},
        // The golden giant is Grim's decoy for the seventh stone.
        {14, 8, EventTextLine(u8"その間に、七つ目の石はいただくわ！")},
        // After the giant: how the seventh stone reached Grim, then all seven in her hands.
        {16, 0, EventTextLine(u8"グリムが七つ目の石を持ち去った。")},
        {16, 0, EventTextLine(u8"七つの石が、グリムの手にそろった。")},
        // What each of them will do afterwards, before the castle.
        {17, 10, EventTextLine(u8"新しい機体を、この手で作りたいんだ。")},
    };
    size_t from = 0;
    for (const Beat& beat : kBeats) {
        int line = LineNumber(beat.line.c_str());
        SCOPED_TRACE("event " + std::to_string(beat.event) + " line " + std::to_string(line));
        ASSERT_GE(line, 0);
        auto shown = std::find_if(
            log.blocks.begin() + static_cast<std::ptrdiff_t>(from), log.blocks.end(),
            [line](const ShownBlock& b) { return line >= b.first && line < b.first + b.count; });
        ASSERT_NE(shown, log.blocks.end()) << "not shown, or shown out of order";
        EXPECT_EQ(shown->event, beat.event);
        EXPECT_EQ(shown->picture, beat.picture);
        from = static_cast<size_t>(shown - log.blocks.begin());
    }
    // Grim's decoy comes before the giant's stage, the stone's fate after it.
    auto screenOf = [&](const char* cp932) {
        int line = LineNumber(cp932);
        for (size_t i = 0; i < log.blocks.size(); ++i) {
            const ShownBlock& b = log.blocks[i];
            if (line >= b.first && line < b.first + b.count) return log.blockScreens[i];
        }
        return log.screens.size();
    };
    size_t giant = static_cast<size_t>(std::find(log.screens.begin(), log.screens.end(), "P14") -
                                       log.screens.begin());
    ASSERT_LT(giant, log.screens.size());
    EXPECT_LT(screenOf(kBeats[3].line.c_str()), giant);
    EXPECT_GT(screenOf(kBeats[4].line.c_str()), giant);
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
