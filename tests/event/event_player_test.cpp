// The event player: the script runner's speeds and tick ends, motion, text blocks, the
// fade, the reset, every story script played through, and the scene after an event.
#include <gtest/gtest.h>

#include <set>

#include "engine/graphics/texture_groups.h"
#include "scenes/ending/ending.h"
#include "scenes/event/event.h"
#include "scenes/event/story/story.h"
#include "tests/support/scene_fixture.h"

namespace vqtest {
namespace {

using enum EventOp;

class EventPlayer : public SceneTest {
protected:
    void SetUp() override {
        SceneTest::SetUp();
        ResetEventGlobals();
        ResetEventState();
    }
    // Runs a test script from its first command.
    void Play(std::span<const EventCommand> script) {
        gEventState.script = script;
        gEventState.commandIndex = 0;
        gEventState.finished = 0;
    }
};

TEST_F(EventPlayer, CancelDoublesAndRollOctuplesTheSteps) {
    static constexpr EventCommand kScript[] = {{WaitEventFrames, 120, 0}, {EndEventScript, 0, 0}};
    struct Case {
        uint8_t held;
        int steps;
    };
    for (Case c :
         {Case{0, 1}, Case{kPadCancel, 2}, Case{kPadRoll, 8}, Case{kPadCancel | kPadRoll, 2}}) {
        SCOPED_TRACE(static_cast<int>(c.held));
        ResetEventState();
        Play(kScript);
        gEventState.actors[0] = EventActor{0, 1000, 1, 1, 0, 0, 0};
        Release();
        RunEventScript();  // the wait starts
        Hold(1, c.held);   // either pad counts
        RunEventScript();
        EXPECT_EQ(gEventState.wait, 120 - c.steps);
        EXPECT_EQ(gEventState.scroll, -1 - c.steps) << "one step on the first tick";
        EXPECT_FLOAT_EQ(gEventState.actors[0].x, static_cast<float>(1 + c.steps));
    }
}

TEST_F(EventPlayer, ConfirmWaitsForDecideAndPassesWhileCancelOrRollIsHeld) {
    static constexpr EventCommand kScript[] = {{WaitEventConfirm, 0, 0},
                                               {WaitEventConfirm, 0, 0},
                                               {WaitEventConfirm, 0, 0},
                                               {EndEventScript, 0, 0}};
    Play(kScript);
    Release();
    for (int i = 0; i < 5; ++i) RunEventScript();
    EXPECT_EQ(gEventState.commandIndex, 0) << "no input: the command stays";
    Hold(1, kPadDecide);
    RunEventScript();
    EXPECT_EQ(gEventState.commandIndex, 1) << "decide on pad 2 passes, and ends the tick";
    EXPECT_TRUE(TakeSound(301));
    Hold(1, kPadDecide);  // held, not pressed again
    RunEventScript();
    EXPECT_EQ(gEventState.commandIndex, 1);
    Hold(0, kPadRoll);
    RunEventScript();
    EXPECT_EQ(gEventState.commandIndex, 2);
    EXPECT_FALSE(TakeSound(301)) << "passing on a held button is silent";
    Hold(0, kPadCancel);
    RunEventScript();
    EXPECT_EQ(gEventState.commandIndex, 3);
    EXPECT_EQ(RunEventScript(), 1);
}

TEST_F(EventPlayer, WaitsTextAndFadesEndTheTicksRun) {
    static constexpr EventCommand kScript[] = {{SetActorFace, 0, 5},   {WaitEventFrames, 2, 0},
                                               {SetActorFace, 0, 6},   {ShowEventText, 10, 2},
                                               {SetActorFace, 0, 7},   {StartEventFade, 2, 20},
                                               {SetActorFace, 0, 8},   {HideEventText, 0, 0},
                                               {EndEventScript, 0, 0}, {SetActorFace, 0, 9}};
    Play(kScript);
    Release();
    RunEventScript();
    EXPECT_EQ(gEventState.actors[0].face, 5);
    EXPECT_EQ(gEventState.commandIndex, 2);
    RunEventScript();  // wait 2 -> 1
    EXPECT_EQ(gEventState.commandIndex, 2);
    RunEventScript();  // wait 1 -> 0, then the commands go on
    EXPECT_EQ(gEventState.actors[0].face, 6);
    EXPECT_EQ(gEventState.firstLine, 10);
    EXPECT_EQ(gEventState.commandIndex, 4) << "ShowEventText stops the run";
    RunEventScript();
    EXPECT_EQ(gEventState.actors[0].face, 7);
    EXPECT_EQ(gEventState.fadeMode, 2);
    RunEventScript();
    EXPECT_EQ(gEventState.firstLine, -1);
    EXPECT_EQ(gEventState.commandIndex, 8) << "the end keeps its index";
    EXPECT_EQ(gEventState.actors[0].face, 8);
    EXPECT_EQ(RunEventScript(), 1);
    EXPECT_EQ(gEventState.commandIndex, 8);
}

TEST_F(EventPlayer, ScrollWrapsAtEitherEndAndActorsStopOnTheirTarget) {
    gEventState.scroll = -1020;
    gEventState.scrollSpeed = -1;
    static constexpr EventCommand kScript[] = {{WaitEventFrames, 150, 0}};
    Play(kScript);
    Release();
    for (int i = 0; i < 3; ++i) RunEventScript();
    EXPECT_EQ(gEventState.scroll, -1023);
    RunEventScript();
    EXPECT_EQ(gEventState.scroll, 0) << "-1024 wraps to 0";
    gEventState.scroll = 1022;
    gEventState.scrollSpeed = 1;
    RunEventScript();
    EXPECT_EQ(gEventState.scroll, 1023);
    RunEventScript();
    EXPECT_EQ(gEventState.scroll, 0);

    // An actor moving at 14 comes to rest within a step of its target and stays there.
    gEventState.actors[1] = EventActor{640, 496, 14, 1, 0, 0, 14};
    for (int i = 0; i < 30; ++i) RunEventScript();
    EXPECT_NEAR(gEventState.actors[1].x, 496.0f, 13.0f);
    float rest = gEventState.actors[1].x;
    RunEventScript();
    EXPECT_FLOAT_EQ(gEventState.actors[1].x, rest);
    // A hidden actor does not move.
    gEventState.actors[2] = EventActor{100, 300, 10, 0, 0, 0, 0};
    RunEventScript();
    EXPECT_FLOAT_EQ(gEventState.actors[2].x, 100.0f);
}

TEST_F(EventPlayer, TextBlocksContinueAndAreCutAtTheTablesEnd) {
    static constexpr EventCommand kScript[] = {{ShowEventText, 20, 2},  {ShowEventText, -1, 3},
                                               {ShowEventText, 399, 4}, {ShowEventText, -1, 1},
                                               {ShowEventText, 500, 1}, {EndEventScript, 0, 0}};
    Play(kScript);
    Release();
    RunEventScript();
    EXPECT_EQ(gEventState.firstLine, 20);
    EXPECT_EQ(gEventState.lineCount, 2);
    RunEventScript();
    EXPECT_EQ(gEventState.firstLine, 22) << "-1 goes on after the last block";
    EXPECT_EQ(gEventState.lineCount, 3);
    EXPECT_EQ(gEventState.nextLine, 25);
    RunEventScript();
    EXPECT_EQ(gEventState.firstLine, 399);
    EXPECT_EQ(gEventState.lineCount, 3) << "the block stops at the last line, 401";
    RunEventScript();
    EXPECT_EQ(gEventState.firstLine, -1) << "nothing is left after the last line";
    RunEventScript();
    EXPECT_EQ(gEventState.firstLine, -1);
}

TEST_F(EventPlayer, FadesCoverAndUncoverAndAFadeOfNoLengthIsAtOnce) {
    static constexpr EventCommand kScript[] = {{StartEventFade, 2, 20}, {WaitEventFrames, 60, 0},
                                               {StartEventFade, 1, 0},  {WaitEventFrames, 10, 0},
                                               {StartEventFade, 4, 0},  {WaitEventFrames, 10, 0},
                                               {EndEventScript, 0, 0}};
    Play(kScript);
    Release();
    RunEventScript();
    EXPECT_EQ(gEventState.fadeMode, 2);
    for (int i = 0; i < 20; ++i) RunEventScript();
    EXPECT_EQ(gEventState.fadeMode, 2);
    EXPECT_EQ(gEventState.fadeCounter, 20);
    RunEventScript();
    EXPECT_EQ(gEventState.fadeMode, 0) << "an uncovering fade switches off after its length";

    while (gEventState.commandIndex < 3) RunEventScript();
    EXPECT_EQ(gEventState.fadeMode, 1);
    DrawEventLayers();  // a fade of no length must not divide by it
    for (int i = 0; i < 5; ++i) RunEventScript();
    EXPECT_EQ(gEventState.fadeMode, 1) << "a covering fade stays";
    EXPECT_EQ(gEventState.fadeCounter, 0);
    DrawEventLayers();
    while (gEventState.commandIndex < 5) RunEventScript();
    EXPECT_EQ(gEventState.fadeMode, 4);
    RunEventScript();
    EXPECT_EQ(gEventState.fadeMode, 0) << "an uncovering fade of no length is over at once";
}

TEST_F(EventPlayer, ResetKeepsTheMirrorModes) {
    gEventState.actors[3] = EventActor{300, 300, 10, 1, 2, 1, 9};
    gEventState.actors[4].mirror = 1;
    gEventState.windowSlide = 40;
    gEventState.firstLine = 7;
    ResetEventState();
    const EventActor& a = gEventState.actors[3];
    EXPECT_EQ(a.mirror, 2);
    EXPECT_EQ(gEventState.actors[4].mirror, 1);
    EXPECT_EQ(a.visible, 0);
    EXPECT_FLOAT_EQ(a.x, 0.0f);
    EXPECT_FLOAT_EQ(a.targetX, 800.0f);
    EXPECT_FLOAT_EQ(a.speed, 2.0f);
    EXPECT_EQ(a.face, 0);
    EXPECT_EQ(a.bob, 0);
    EXPECT_EQ(gEventState.windowSlide, -1);
    EXPECT_EQ(gEventState.firstLine, -1);
    EXPECT_EQ(gEventState.scrollSpeed, -1);
}

TEST_F(EventPlayer, CommandsOnActorsOutsideTheTenAreIgnored) {
    for (EventOp op : {SetActorVisible, SetActorMirror, PlaceActor, SetActorSpeed, MoveActor,
                       SetActorFace, SetActorBob}) {
        EXPECT_EQ(RunEventCommand(EventCommand{op, 10, 1}), kEventNext);
        EXPECT_EQ(RunEventCommand(EventCommand{op, -1, 1}), kEventNext);
    }
    gEventState.actors[0] = EventActor{320, 320, 2, 1, 0, 0, 99};
    gEventState.speaker = 42;
    gEventState.firstLine = 0;
    gEventState.lineCount = 1;
    gEventState.background = 77;
    DrawEventLayers();  // a face, speaker and background out of range draw nothing
}

// Every story script, played by the real player with roll held: it ends, each text block
// has its speaker on screen, and the fade leaves the screen covered at the end.
TEST_F(EventPlayer, EveryStoryScriptPlaysToItsEndWithItsSpeakersOnScreen) {
    std::set<int> lines;
    for (int e = 0; e < kEventCount; ++e) {
        SCOPED_TRACE("event " + std::to_string(e));
        gGameState.eventNumber = e;
        StartEvent();
        EXPECT_EQ(gEventState.eventNumber, e);
        int ticks = 0;
        int ended = 0;
        while (!ended && ticks < 20000) {
            Hold(0, kPadRoll);
            ended = RunEventScript();
            ++ticks;
            if (gEventState.firstLine >= 0) {
                ASSERT_GE(gEventState.speaker, 0);
                ASSERT_LT(gEventState.speaker, kEventActors);
                const EventActor& s = gEventState.actors[static_cast<size_t>(gEventState.speaker)];
                EXPECT_NE(s.visible, 0)
                    << "speaker " << gEventState.speaker << " at line " << gEventState.firstLine;
                EXPECT_GE(s.targetX, 0.0f);
                EXPECT_LE(s.targetX, 640.0f);
                for (int i = 0; i < gEventState.lineCount; ++i)
                    lines.insert(gEventState.firstLine + i);
            }
        }
        EXPECT_EQ(ended, 1);
        EXPECT_TRUE(gEventState.fadeMode == 1 || gEventState.fadeMode == 3)
            << "the scene ends covered, in black or in white";
    }
    EXPECT_EQ(lines.size(), 379u);
    EXPECT_EQ(*lines.rbegin(), 378);
}

// After the script: event 23 leads to the ending, an event after the story's last stage to
// the next event, any other to play of the current stage; the event number goes on by one.
TEST_F(EventPlayer, TheNextSceneFollowsTheEventAndTheStage) {
    struct Case {
        int event;
        int stage;
        SceneId scene;
        int nextEvent;
    };
    for (Case c : {Case{0, 0, SceneId::Play, 1}, Case{19, 18, SceneId::Play, 20},
                   Case{20, 19, SceneId::Event, 21}, Case{22, 19, SceneId::Event, 23},
                   Case{23, 19, SceneId::Ending, 24}}) {
        SCOPED_TRACE("event " + std::to_string(c.event));
        gGameState.gameMode = GameMode::Story;
        gGameState.scene = SceneId::Event;
        gGameState.stage = c.stage;
        gGameState.eventNumber = c.event;
        StartEvent();
        static constexpr EventCommand kShort[] = {{EndEventScript, 0, 0}, {None, 0, 0}};
        Play(kShort);
        Release();
        UpdateEvent();
        EXPECT_EQ(gEventState.finished, 1);
        EXPECT_EQ(gGameState.fade.direction, 1);
        UpdateEvent();
        EXPECT_EQ(gGameState.scene, SceneId::Event) << "waits for the fade";
        FinishFade();
        UpdateEvent();
        WaitForLoader();
        EXPECT_EQ(gGameState.scene, c.scene);
        EXPECT_EQ(gGameState.eventNumber, c.nextEvent);
        EXPECT_EQ(gGameState.fade.direction, -1);
        if (c.scene == SceneId::Event) {
            EXPECT_EQ(gEventState.finished, 0) << "the next event starts at once";
            EXPECT_EQ(gEventState.eventNumber, c.nextEvent);
        }
        if (c.scene == SceneId::Ending) {
            EXPECT_EQ(gEndingState.variant, 0);
        }
    }
}

TEST_F(EventPlayer, AnEventNumberOutOfRangePlaysAnEventOfTheStory) {
    gGameState.eventNumber = 99;
    StartEvent();
    EXPECT_EQ(gEventState.eventNumber, kEventCount - 1);
    gGameState.eventNumber = -3;
    StartEvent();
    EXPECT_EQ(gEventState.eventNumber, 0);
    LoadEventResources();  // loads the clamped event's pictures; must not index past the lists
}

}  // namespace
}  // namespace vqtest
