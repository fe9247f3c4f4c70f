// Data-file opening with the fallbacks for letter case and backslashes.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/system/system.h"

namespace {

namespace fs = std::filesystem;

class DataFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("vq_sys_" + std::to_string(::getpid()));
        fs::create_directories(root_ / "Data" / "Bmp");
        std::ofstream(root_ / "Data" / "Bmp" / "Title.BMP") << "hello";
        old_ = fs::current_path();
        fs::current_path(root_);
    }
    void TearDown() override {
        fs::current_path(old_);
        fs::remove_all(root_);
    }
    fs::path root_, old_;
};

TEST_F(DataFileTest, ExactCaseBackslashesAndMissing) {
    FILE* f = sys::OpenDataFile("Data/Bmp/Title.BMP", "rb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(sys::FileLength(f), 5);
    std::fclose(f);

    f = sys::OpenDataFile("data\\bmp\\title.bmp", "rb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);

    char real[256];
    ASSERT_TRUE(sys::ResolveDataPath("DATA/BMP/TITLE.bmp", real, sizeof real));
    EXPECT_STREQ(real, "Data/Bmp/Title.BMP");
    EXPECT_FALSE(sys::ResolveDataPath("DATA/BMP/TITLE.bmp", real, 4));  // too small

    EXPECT_EQ(sys::OpenDataFile("data/bmp/none.bmp", "rb"), nullptr);
    EXPECT_EQ(sys::OpenDataFile("", "rb"), nullptr);
}

TEST(Clock, IsReplaceableAndWraps) {
    sys::SetClockSource([]() -> uint32_t { return 0xFFFFFFFFu; });
    uint32_t before = sys::TimeMs();
    sys::SetClockSource([]() -> uint32_t { return 4u; });
    EXPECT_EQ(sys::TimeMs() - before, 5u);
    sys::SetClockSource(nullptr);
    uint32_t a = sys::TimeMs();
    sys::SleepMs(5);
    EXPECT_GE(sys::TimeMs() - a, 5u);
}

TEST(Threads, StartRunsTheEntry) {
    static std::atomic<int> ran{0};
    ASSERT_TRUE(
        sys::StartThread([](void* p) { static_cast<std::atomic<int>*>(p)->store(7); }, &ran));
    for (int i = 0; i < 1000 && ran.load() != 7; ++i) sys::SleepMs(1);
    EXPECT_EQ(ran.load(), 7);
}

}  // namespace
