// The title inside the real engine, headless, from the demo data's run folder, driven by
// scripted key presses through the frame loop: every main-menu choice reaching its scene
// with the right game mode, stage and event number, the practice return to the stage
// select, Esc on the press-start screen and on a menu, the exit without a loader thread,
// and the attract movie after the idle ticks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/graphics/texture_groups.h"
#include "engine/input/pad.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/movie/movie.h"
#include "engine/overlay/fade.h"
#include "engine/sound/sound.h"
#include "platform/movie/movie.h"
#include "scenes/title/title.h"
#include "tests/support/headless_game.h"
#include "tests/support/scripted_input.h"
#include "tests/support/temp_folder.h"

namespace {

// A script of single-tick key presses, each followed by some idle ticks.
class Keys {
public:
    // Holds the keys for one tick, then nothing for `after` ticks.
    Keys& Press(const std::string& keys, int after = 24) {
        text_ += std::to_string(tick_) + " " + keys + "\n";
        text_ += std::to_string(tick_ + 1) + " -\n";
        tick_ += 1 + static_cast<uint32_t>(after);
        return *this;
    }
    Keys& Wait(int ticks) {
        tick_ += static_cast<uint32_t>(ticks);
        return *this;
    }
    uint32_t Ticks() const { return tick_; }
    const std::string& Text() const { return text_; }

private:
    std::string text_ = "0 -\n";
    uint32_t tick_ = 1;
};

class TitleGame : public ::testing::Test {
protected:
    // Starts the game with these settings lines and this key script.
    void Start(const std::string& settings, const Keys& keys) {
        vqtest::WriteWholeFile(folder_.File("v_quorl.ini"), settings);
        std::string error;
        ASSERT_TRUE(script_.Parse(keys.Text(), &error)) << error;
        vqtest::HeadlessOptions options;
        options.runFolder = VQ_RUN_DIR;
        options.programFolder = folder_.Path();
        options.padScript = &script_;
        ASSERT_TRUE(vqtest::StartHeadlessGame(options));
        started_ = true;
        ASSERT_EQ(gGameState.scene, SceneId::Title);
        ASSERT_EQ(IsPressStartScreen(), 1);
    }
    void TearDown() override {
        if (started_) vqtest::StopHeadlessGame();
    }
    // Runs frames (one tick each) until the script has been fed to its end.
    static void RunTo(uint32_t tick) {
        for (int guard = 0; vqtest::FedTicks() < tick && guard < 100000; ++guard)
            vqtest::RunFrame();
    }
    static void RunFrames(int n) {
        for (int i = 0; i < n; ++i) vqtest::RunFrame();
    }

    // From the press-start screen to a main-menu item (downs from the top), its set-up
    // (downs) and the craft select.
    static Keys& ToCraftSelect(Keys& k, int menuDowns, int setupDowns) {
        k.Press("Z", 30);
        for (int i = 0; i < menuDowns; ++i) k.Press("DOWN", 2);
        k.Press("Z");
        for (int i = 0; i < setupDowns; ++i) k.Press("DOWN", 2);
        return k.Press("Z");
    }

    vqtest::TempFolder folder_;
    vqtest::PadScript script_;
    bool started_ = false;
};

constexpr const char* kUnlocked =
    "[setup]\nwinmode=1\n[record]\ngetextra=1\ngetstaff=1\nclearstage=18\n";

TEST_F(TitleGame, EveryMenuChoiceStartsItsSceneWithItsModeStageAndEvent) {
    struct Case {
        const char* name;
        int menuDowns;
        SceneId scene;
        GameMode mode;
        int32_t stage;
    };
    // Menu with every unlock: story, stages in a row, practice, extra, shop, records,
    // staff roll, options, exit.
    const Case cases[] = {
        {"story", 0, SceneId::Event, GameMode::Story, 0},
        {"stages in a row", 1, SceneId::Play, GameMode::StagesInARow, 0},
        {"extra stage", 3, SceneId::Play, GameMode::Extra, 18},
        {"staff roll", 6, SceneId::Ending, GameMode::Story, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Keys k;
        ToCraftSelect(k, c.menuDowns, 0).Press("Z").Press("Z").Wait(60);
        Start(kUnlocked, k);
        // A finished story left the event number past the last script.
        gGameState.eventNumber = 24;
        gGameState.stage = 7;
        RunTo(k.Ticks());
        EXPECT_EQ(gGameState.scene, c.scene);
        EXPECT_EQ(gGameState.gameMode, c.mode);
        EXPECT_EQ(gGameState.stage, c.stage);
        EXPECT_EQ(gGameState.eventNumber, 0);
        EXPECT_EQ(gGameState.playerSetup, PlayerSetup::OnePlayer);
        EXPECT_EQ(gGameState.craft[0], 0);
        // The title's pictures went with the title.
        EXPECT_EQ(gTitleTextures.title.texture, nullptr);
        vqtest::StopHeadlessGame();
        started_ = false;
    }
}

TEST_F(TitleGame, TwoPlayersOnTheirControllersStartARunOfStages) {
    Keys k;
    k.Press("C0:B1", 30).Press("C0:DOWN", 2).Press("C0:B1");   // stages in a row
    k.Press("C0:DOWN", 2).Press("C0:DOWN", 2).Press("C0:B1");  // two players
    // Each player takes the craft under the own cursor (0 and 1), then the sense.
    k.Press("C0:B1 C1:B1").Press("C1:DOWN", 2).Press("C0:B1 C1:B1").Wait(60);
    Start("[setup]\nwinmode=1\n", k);
    RunTo(k.Ticks());
    EXPECT_EQ(gGameState.scene, SceneId::Play);
    EXPECT_EQ(gGameState.gameMode, GameMode::StagesInARow);
    EXPECT_EQ(gGameState.playerSetup, PlayerSetup::TwoPlayers);
    EXPECT_EQ(gGameState.craft[0], 0);
    EXPECT_EQ(gGameState.craft[1], 1);
    EXPECT_EQ(gGameState.upDownSense[0], 1);
    EXPECT_EQ(gGameState.upDownSense[1], 0);  // player 2 turned the sense round
}

TEST_F(TitleGame, PracticeStartsTheChosenStageAndReturnsToTheStageSelect) {
    Keys k;
    // Practice with the computer partner: craft 1 for player 1, craft 0 for the partner.
    ToCraftSelect(k, 2, 1).Press("RIGHT", 2).Press("Z").Press("Z").Press("LEFT", 2).Press("Z");
    k.Wait(30).Press("DOWN", 2).Press("RIGHT", 2).Press("Z").Wait(60);
    Start(kUnlocked, k);
    RunTo(k.Ticks());
    ASSERT_EQ(gGameState.scene, SceneId::Play);
    EXPECT_EQ(gGameState.gameMode, GameMode::Practice);
    EXPECT_EQ(gGameState.stage, 4);
    EXPECT_EQ(gGameState.playerSetup, PlayerSetup::ComputerPartner);
    EXPECT_EQ(gGameState.craft[0], 1);
    EXPECT_EQ(gGameState.craft[1], 0);

    // The practice pause menu's return: the title comes back on the stage select.
    gLoaderStatus.titlePending = 1;
    StartFadeOut(0);
    RunFrames(40);
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_EQ(IsPressStartScreen(), 0);
    EXPECT_EQ(gTitleState.stageSelect.open, 1);
    EXPECT_EQ(ChosenPracticeStage(), 4);
    EXPECT_NE(gTitleTextures.title2.texture, nullptr);
}

TEST_F(TitleGame, TheSelectPanelsPlayTheSelectTrack) {
    Keys k;
    ToCraftSelect(k, 0, 0).Wait(40);
    Start("[setup]\nwinmode=1\n", k);
    RunFrames(5);
    EXPECT_EQ(gSoundState.currentTrack, kTrackTitle);
    RunTo(k.Ticks());
    ASSERT_EQ(IsSelectPanelOpen(), 1);
    EXPECT_EQ(gSoundState.currentTrack, kTrackSelect);
}

TEST_F(TitleGame, EscapeOnAMenuReturnsToThePressStartScreenAndThereClosesTheProgram) {
    Keys k;
    k.Press("Z", 30).Press("DOWN", 2);
    Start("[setup]\nwinmode=1\n", k);
    RunTo(k.Ticks());
    ASSERT_EQ(IsPressStartScreen(), 0);
    OnMainWindowEscape();
    EXPECT_EQ(IsPressStartScreen(), 1);
    EXPECT_EQ(gTitleState.menuCursor, 0);
    EXPECT_NE(gTitleTextures.title.texture, nullptr);
    EXPECT_TRUE(gPlatform.mainWindow->PumpEvents());

    OnMainWindowEscape();
    EXPECT_FALSE(gPlatform.mainWindow->PumpEvents());
}

TEST_F(TitleGame, ExitClosesTheProgramWithoutLoadingAnotherScene) {
    Keys k;
    // Exit is the last item: up from the top.
    k.Press("Z", 30).Press("UP", 2).Press("Z").Wait(30);
    Start("[setup]\nwinmode=1\n", k);
    RunTo(k.Ticks());
    EXPECT_FALSE(IsLoaderBusy());
    EXPECT_EQ(gGameState.scene, SceneId::Title);
    EXPECT_NE(gTitleTextures.title.texture, nullptr);
    EXPECT_FALSE(gPlatform.mainWindow->PumpEvents());
}

TEST_F(TitleGame, TheTitleShopOpensTheShopScene) {
    Keys k;
    k.Press("Z", 30).Press("DOWN", 2).Press("DOWN", 2).Press("DOWN", 2).Press("Z").Wait(40);
    Start("[setup]\nwinmode=1\n", k);
    RunTo(k.Ticks());
    EXPECT_EQ(gGameState.scene, SceneId::Shop);
    EXPECT_EQ(gTitleTextures.title.texture, nullptr);
}

TEST_F(TitleGame, IdlingPlaysTheAttractMovieAndDecideEndsIt) {
    movie::SetNullClipLength(600000);
    // The movie is played from the program's folder.
    ASSERT_EQ(symlink(VQ_RUN_DIR "/vq_demo.wmv", folder_.File("vq_demo.wmv").c_str()), 0);
    Keys k;
    // Cancel brings the movie 20 ticks near: it starts on tick 21; decide on tick 30.
    k.Press("X", 28).Press("Z", 10);
    Start("[setup]\nwinmode=1\n", k);
    RunTo(25);
    EXPECT_EQ(PollMovie(), 1);
    EXPECT_EQ(gGameState.titleIdleTicks, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&gDebugText.cells[0][40]), 5), "PAD 1");
    // While it plays the title stands still.
    int32_t frame = gTitleState.frameCounter;
    RunTo(29);
    EXPECT_EQ(gTitleState.frameCounter, frame);
    RunTo(k.Ticks());
    EXPECT_EQ(PollMovie(), 0);
    EXPECT_GT(gTitleState.frameCounter, frame);
    EXPECT_EQ(IsPressStartScreen(), 1);
    movie::SetNullClipLength(0);
}

}  // namespace
