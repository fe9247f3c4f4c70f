// Data-file opening with the fallbacks for letter case and backslashes, and the refusal of
// what is no regular file or longer than its reader can use.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

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

// Only a regular file is a data file: a folder, a pipe (which must not hold the reader up)
// or a link to either reads as a missing file, and a file longer than its reader can use is
// refused before anything is read.
TEST_F(DataFileTest, OnlyRegularFilesWithinTheReadersBoundAreRead) {
    fs::create_directories(root_ / "Data" / "Folder.x" / "inside");
    ASSERT_EQ(::mkfifo((root_ / "Data" / "pipe.wav").c_str(), 0600), 0);
    fs::create_symlink(root_ / "Data" / "Folder.x", root_ / "Data" / "link.x");
    fs::create_symlink(root_ / "Data" / "Bmp" / "Title.BMP", root_ / "Data" / "title.bmp");
    std::ofstream(root_ / "Data" / "empty.x").flush();
    struct Case {
        const char* path;
        size_t bound;
        sys::DataFileRead result;
        const char* bytes;  // what is read
    };
    const Case cases[] = {
        {"data/bmp/title.bmp", 5, sys::DataFileRead::Read, "hello"},
        {"Data/title.bmp", 5, sys::DataFileRead::Read, "hello"},  // a link to a file
        {"data/bmp/title.bmp", 4, sys::DataFileRead::TooLarge, ""},
        {"Data/empty.x", 0, sys::DataFileRead::Read, ""},
        {"data/folder.x", 1 << 20, sys::DataFileRead::Missing, ""},
        {"Data/Folder.x/", 1 << 20, sys::DataFileRead::Missing, ""},
        {"Data/link.x", 1 << 20, sys::DataFileRead::Missing, ""},
        {"Data/pipe.wav", 1 << 20, sys::DataFileRead::Missing, ""},
        {"Data/none.x", 1 << 20, sys::DataFileRead::Missing, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        sys::DataFileBytes bytes;
        EXPECT_EQ(sys::ReadWholeDataFile(c.path, c.bound, &bytes), c.result);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes.data.get()), bytes.size),
                  c.bytes);
        FILE* f = sys::OpenDataFile(c.path, "rb");
        EXPECT_EQ(f != nullptr, c.result != sys::DataFileRead::Missing);
        if (f) std::fclose(f);
        char real[256];
        EXPECT_EQ(sys::ResolveDataPath(c.path, real, sizeof real),
                  c.result != sys::DataFileRead::Missing);
    }
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
