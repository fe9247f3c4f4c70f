// The attract movie in the engine: playing over the client area, polling, its end, the
// decide press through the frame loop, failures, and the path limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/main/app.h"
#include "engine/main/frame.h"
#include "engine/movie/movie.h"
#include "platform/system/system.h"
#include "tests/support/headless_game.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

uint32_t gNow = 0;
uint32_t FakeClock() {
    return gNow;
}

// A window that keeps what the movie shows on it.
class RecordingWindow : public win::Window {
public:
    bool Create(const win::WindowDesc&, win::WindowHost*) override { return true; }
    bool PumpEvents() override { return true; }
    void WaitEvents(int) override {}
    void WaitUntil(uint32_t) override {}
    void Quit() override {}
    bool IsQuitting() const override { return false; }
    void SetClientSize(int w, int h) override {
        width = w;
        height = h;
    }
    void GetClientSize(int* w, int* h) const override {
        *w = width;
        *h = height;
    }
    win::FrameMetrics Metrics() const override { return {}; }
    void DesktopMode(int* w, int* h, int* hz) const override {
        *w = 640;
        *h = 480;
        *hz = 60;
    }
    void CheckMenuItem(int, bool) override {}
    void PostClose() override {}
    void Destroy() override {}
    int MessageBox(const char*, const char*) override { return win::kIdOk; }
    int AboutBox(const char*, const char* const*, int) override { return win::kIdOk; }
    gfx::GlSurface* Surface() override { return nullptr; }
    void ShowOverlayFrame(const uint8_t* rgba, int w, int h) override {
        ++shows;
        showing = rgba != nullptr;
        if (rgba) {
            frameWidth = w;
            frameHeight = h;
            centreRed = rgba[(static_cast<size_t>(h / 2) * w + w / 2) * 4];
        }
    }

    int width = 640, height = 480;
    int shows = 0;
    bool showing = false;
    int frameWidth = 0, frameHeight = 0;
    int centreRed = -1;
};

class AttractMovie : public ::testing::Test {
protected:
    void SetUp() override {
        savedPlatform_ = gPlatform;
        savedState_ = gGameState;
        gPlatform.mainWindow = &window_;
        gPlatform.backends.movie = PlatformBackends::Movie::Ffmpeg;
        sys::SetProgramDirectory(VQ_TEST_CLIP_DIR);
        gNow = 100000;
        sys::SetClockSource(FakeClock);
    }
    void TearDown() override {
        StopMovie();
        sys::SetClockSource(nullptr);
        sys::SetProgramDirectory(nullptr);
        movie::SetNullClipLength(0);
        movie::SetNullClipFails(false);
        gPadState[0] = PadState{};
        gPadState[1] = PadState{};
        gPlatform = savedPlatform_;
        gGameState = savedState_;
    }

    RecordingWindow window_;
    PlatformContext savedPlatform_;
    GameState savedState_;
};

TEST_F(AttractMovie, WithNoMoviePollingReturnsZeroAndTouchesNothing) {
    EXPECT_EQ(PollMovie(), 0);
    StopMovie();  // safe without a movie
    EXPECT_EQ(window_.shows, 0);
}

TEST_F(AttractMovie, AMissingFileFailsAndLeavesNoMovie) {
    EXPECT_EQ(PlayMovie("vq_no_such_movie.wmv"), 0);
    EXPECT_EQ(gMoviePlayer.clip, nullptr);
    EXPECT_EQ(PollMovie(), 0);
    EXPECT_EQ(window_.shows, 0);
}

TEST_F(AttractMovie, ItPlaysOverTheClientAreaAndEndsByItsEnd) {
    ASSERT_EQ(PlayMovie("clip_wmv2.wmv"), 1);
    EXPECT_EQ(PollMovie(), 1);
    EXPECT_TRUE(window_.showing);
    EXPECT_EQ(window_.frameWidth, 160);
    EXPECT_EQ(window_.frameHeight, 120);
    EXPECT_GT(window_.centreRed, 220);
    gNow += 1500;
    EXPECT_EQ(PollMovie(), 1);
    EXPECT_LT(window_.centreRed, 40);  // blue by now
    // The poll that finds the end stops the movie and still reports it; the next reports
    // none.
    gNow += 600;
    EXPECT_EQ(PollMovie(), 1);
    EXPECT_FALSE(window_.showing);
    EXPECT_EQ(gMoviePlayer.clip, nullptr);
    EXPECT_EQ(PollMovie(), 0);
}

TEST_F(AttractMovie, APictureIsHandedOverOnlyWhenItChangesOrTheWindowDoes) {
    ASSERT_EQ(PlayMovie("clip_wmv2.wmv"), 1);
    PollMovie();
    int shows = window_.shows;
    PollMovie();
    PollMovie();
    EXPECT_EQ(window_.shows, shows);
    // A zoom command changes the client area: the same picture is shown again to fill it.
    window_.SetClientSize(1280, 960);
    PollMovie();
    EXPECT_EQ(window_.shows, shows + 1);
    EXPECT_EQ(gMoviePlayer.clientRect.right, 1280);
    EXPECT_EQ(gMoviePlayer.clientRect.bottom, 960);
    gNow += 40;
    PollMovie();
    EXPECT_EQ(window_.shows, shows + 2);
}

TEST_F(AttractMovie, PlayingAgainStartsFromTheBeginning) {
    ASSERT_EQ(PlayMovie("clip_wmv2.wmv"), 1);
    gNow += 1500;
    PollMovie();
    EXPECT_LT(window_.centreRed, 40);
    ASSERT_EQ(PlayMovie("clip_wmv2.wmv"), 1);
    PollMovie();
    EXPECT_GT(window_.centreRed, 220);
    EXPECT_EQ(gMoviePlayer.clip->PictureCount(), 1u);
}

TEST_F(AttractMovie, PlayerOnesDecidePressEndsItAndNothingElseRunsMeanwhile) {
    ASSERT_EQ(PlayMovie("clip_wmv2.wmv"), 1);
    gGameState.scene = SceneId::Title;
    int32_t counter = gGameState.updateCounter;
    // Player 2's decide and player 1's other buttons do not end it.
    gPadState[1].held = kPadDecide;
    UpdateFrame();
    gPadState[0].held = kPadCancel | kPadRoll;
    UpdateFrame();
    EXPECT_NE(gMoviePlayer.clip, nullptr);
    EXPECT_EQ(gGameState.updateCounter, counter);  // no scene update while it plays
    gPadState[0].held = kPadDecide;
    UpdateFrame();
    EXPECT_EQ(gMoviePlayer.clip, nullptr);
    EXPECT_FALSE(window_.showing);
    EXPECT_EQ(PollMovie(), 0);
    // A decide still held does not count again: the scene runs on.
    UpdateFrame();
    EXPECT_EQ(gGameState.updateCounter, counter + 1);
}

TEST_F(AttractMovie, ADecodingErrorEndsItLikeItsEnd) {
    gPlatform.backends.movie = PlatformBackends::Movie::Null;
    movie::SetNullClipLength(300);
    movie::SetNullClipFails(true);
    ASSERT_EQ(PlayMovie("clip_wmv2.wmv"), 1);
    EXPECT_EQ(PollMovie(), 1);
    gNow += 300;
    EXPECT_EQ(PollMovie(), 1);
    EXPECT_EQ(PollMovie(), 0);
    EXPECT_FALSE(window_.showing);
}

class MoviePathLimit : public AttractMovie {
protected:
    void TearDown() override {
        AttractMovie::TearDown();
        fs::remove_all(root_.File("d"));
    }

    // A folder whose path with a trailing '/' is exactly length bytes, holding the clip.
    std::string FolderOfLength(size_t length) {
        std::string folder = root_.File("d");
        while (folder.size() + 1 < length) {
            size_t part = std::min<size_t>(100, length - folder.size() - 2);
            folder += "/" + std::string(part, 'd');
        }
        fs::create_directories(folder);
        fs::copy_file(std::string(VQ_TEST_CLIP_DIR) + "/clip_wmv2.wmv", folder + "/m.wmv",
                      fs::copy_options::overwrite_existing);
        return folder + "/";
    }

    vqtest::TempFolder root_;
};

TEST_F(MoviePathLimit, APathAtTheLimitPlaysAndALongerOneIsRefused) {
    // "m.wmv" is 5 bytes: a folder of limit - 5 bytes makes a path of exactly the limit.
    std::string atLimit = FolderOfLength(kMoviePathLimit - 5);
    ASSERT_EQ(atLimit.size() + 5, static_cast<size_t>(kMoviePathLimit));
    sys::SetProgramDirectory(atLimit.c_str());
    EXPECT_EQ(PlayMovie("m.wmv"), 1);
    StopMovie();
    // One byte longer is refused, although the file is there: cutting the path would name
    // another file.
    std::string over = FolderOfLength(kMoviePathLimit - 4);
    ASSERT_EQ(over.size() + 5, static_cast<size_t>(kMoviePathLimit) + 1);
    sys::SetProgramDirectory(over.c_str());
    EXPECT_EQ(PlayMovie("m.wmv"), 0);
    EXPECT_EQ(gMoviePlayer.clip, nullptr);
}

TEST(AttractMovieInTheGame, NothingIsDrawnWhileItPlays) {
    ASSERT_TRUE(vqtest::StartHeadlessGame());
    sys::SetProgramDirectory(VQ_TEST_CLIP_DIR);
    gNow = 5000;
    sys::SetClockSource(FakeClock);
    movie::SetNullClipLength(1000);
    ASSERT_EQ(PlayMovie("clip_wmv2.wmv"), 1);
    uint32_t drawn = gFrameClock.framesDrawn;
    for (int i = 0; i < 10; ++i) vqtest::RunFrame();
    EXPECT_EQ(gFrameClock.framesDrawn, drawn);
    gNow += 1000;
    vqtest::RunFrame();  // its first tick finds the end; the drawing runs again
    EXPECT_EQ(gMoviePlayer.clip, nullptr);
    EXPECT_EQ(gFrameClock.framesDrawn, drawn + 1);
    vqtest::StopHeadlessGame();
    sys::SetClockSource(nullptr);
    sys::SetProgramDirectory(nullptr);
    movie::SetNullClipLength(0);
}

}  // namespace
