// The decoder libraries are opened at run time: not by the program's start nor by a game
// without movies, once only when loading ahead and first clips meet on several threads.
// A process started for one of these tests alone starts with nothing loaded; where one
// process runs many tests, an earlier one may have loaded the decoders already.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "engine/main/frame.h"
#include "platform/movie/movie.h"
#include "tests/support/headless_game.h"
#include "tests/support/temp_folder.h"

namespace {

// Whether a library whose file name holds the text is mapped into this process.
bool LibraryMapped(const char* name) {
    return vqtest::ReadWholeFile("/proc/self/maps").find(name) != std::string::npos;
}

// True when this process runs the current test alone, so nothing was loaded before it.
bool RunsAlone() {
    return ::testing::UnitTest::GetInstance()->test_to_run_count() == 1;
}

// Opens the red-then-blue test clip and reads its first picture's centre: the red
// channel, or -1 when the clip does not open or shows nothing.
int FirstPictureRed() {
    std::string path = std::string(VQ_TEST_CLIP_DIR) + "/clip_wmv2.wmv";
    movie::Clip* clip = movie::OpenClip(movie::Backend::Ffmpeg, path.c_str());
    if (!clip) return -1;
    clip->Advance(0);
    int w = 0, h = 0;
    const uint8_t* p = clip->Picture(&w, &h);
    int red = p ? p[(static_cast<size_t>(h / 2) * w + w / 2) * 4] : -1;
    movie::CloseClip(clip);
    return red;
}

TEST(BackendLoading, AGameWithoutMoviesNeverLoadsTheDecoders) {
    if (!RunsAlone() && LibraryMapped("libavcodec")) GTEST_SKIP() << "loaded by an earlier test";
    EXPECT_FALSE(LibraryMapped("libavcodec"));
    movie::PreloadBackend(movie::Backend::Null);
    ASSERT_TRUE(vqtest::StartHeadlessGame());
    for (int i = 0; i < 5; ++i) vqtest::RunFrame();
    EXPECT_GT(gFrameClock.framesDrawn, 0u);
    vqtest::StopHeadlessGame();
    EXPECT_FALSE(LibraryMapped("libavcodec"));
    EXPECT_FALSE(LibraryMapped("libavformat"));
}

TEST(BackendLoading, ClipsOpenWhileTheLoadingAheadRunsAndAfterIt) {
    if (RunsAlone()) {
        EXPECT_FALSE(LibraryMapped("libavcodec"));
    }
    movie::PreloadBackend(movie::Backend::Ffmpeg);
    // Two first clips on two threads meet the loading under way.
    int reds[2] = {-1, -1};
    std::thread other([&] { reds[1] = FirstPictureRed(); });
    reds[0] = FirstPictureRed();
    other.join();
    EXPECT_GT(reds[0], 220);
    EXPECT_GT(reds[1], 220);
    EXPECT_TRUE(LibraryMapped("libavcodec"));
    // Asking again changes nothing.
    movie::PreloadBackend(movie::Backend::Ffmpeg);
    EXPECT_GT(FirstPictureRed(), 220);
}

}  // namespace
