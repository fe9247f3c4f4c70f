// The archive writers' rules: every entry they accept can be found again by its own name,
// and everything else is refused with a reason. The command-line packers end in error on
// the same faults.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/archive/archive.h"
#include "tests/support/temp_folder.h"
#include "tools/pack/pack.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const Bytes kSome = {1, 2, 3};

template <typename Writer>
std::string Refusal(Writer& writer, const std::string& name, const Bytes& bytes = kSome) {
    std::string error;
    if (writer.Add(name, bytes, &error)) return "";
    EXPECT_FALSE(error.empty());
    return error.empty() ? "refused" : error;
}

TEST(ArchiveWriterRules, NamesMustFitTheNameField) {
    pack::PictureArchiveWriter pictures;
    EXPECT_EQ(Refusal(pictures, std::string(20, 'p')), "");
    EXPECT_NE(Refusal(pictures, std::string(21, 'q')), "");
    pack::VolumeArchiveWriter volumes;
    EXPECT_EQ(Refusal(volumes, std::string(52, 'v')), "");
    EXPECT_NE(Refusal(volumes, std::string(53, 'w')), "");
    EXPECT_NE(Refusal(volumes, ""), "");
}

TEST(ArchiveWriterRules, NamesMustBePrintableAscii) {
    pack::VolumeArchiveWriter volumes;
    EXPECT_NE(Refusal(volumes, "bmp/\x83\x65.bmp"), "");
    EXPECT_NE(Refusal(volumes, std::string("a\0b", 3)), "");
    EXPECT_NE(Refusal(volumes, "tab\there"), "");
    EXPECT_EQ(Refusal(volumes, "bmp\\back slash.bmp"), "");
}

TEST(ArchiveWriterRules, EveryEntryMustBeFoundByItsOwnName) {
    pack::PictureArchiveWriter pictures;
    EXPECT_EQ(Refusal(pictures, "bmp/title.bmp"), "");
    const std::string duplicate = Refusal(pictures, "bmp/title.bmp");
    EXPECT_NE(duplicate.find("same name"), std::string::npos) << duplicate;
    // An earlier name that begins with the new one answers it first.
    EXPECT_NE(Refusal(pictures, "bmp/title"), "");
    // The other way round is fine: the longer name does not match the shorter stored one.
    EXPECT_EQ(Refusal(pictures, "bmp/title.bmp2"), "");
    // Upper case finds lower case in the picture archive.
    EXPECT_NE(Refusal(pictures, "BMP/TITLE.BMP"), "");
    EXPECT_EQ(Refusal(pictures, "BMP/OTHER.BMP"), "");
    EXPECT_EQ(Refusal(pictures, "bmp/other.bmp"), "");

    pack::VolumeArchiveWriter volumes;
    EXPECT_EQ(Refusal(volumes, "bmp/title.bmp"), "");
    EXPECT_EQ(Refusal(volumes, "BMP/TITLE.BMP"), "");
    EXPECT_NE(Refusal(volumes, "bmp/title.bmp"), "");
    // Names agreeing in their first 24 bytes cannot be told apart.
    EXPECT_EQ(Refusal(volumes, "bmp/event/picture_000001_a.bmp"), "");
    EXPECT_NE(Refusal(volumes, "bmp/event/picture_000001_b.bmp"), "");
    EXPECT_EQ(Refusal(volumes, "bmp/event/picture_000002_b.bmp"), "");
    EXPECT_EQ(volumes.EntryCount(), 4u);
}

TEST(ArchiveWriterRules, EmptyEntriesAreRefused) {
    pack::PictureArchiveWriter pictures;
    EXPECT_NE(Refusal(pictures, "empty.bmp", {}), "");
    pack::VolumeArchiveWriter volumes;
    EXPECT_NE(Refusal(volumes, "empty.bmp", {}), "");
    EXPECT_EQ(volumes.EntryCount(), 0u);
}

TEST(ArchiveWriterRules, WritingIntoAnUnwritableFolderFails) {
    pack::PictureArchiveWriter pictures;
    std::string error;
    ASSERT_TRUE(pictures.Add("a", kSome, &error));
    EXPECT_FALSE(pictures.Write("/proc/version/none", &error));
    EXPECT_FALSE(error.empty());
}

class PackerCommand : public testing::Test {
protected:
    void SetUp() override {
        folder_ = temp_.Path();
        fs::create_directories(folder_ / "in/bmp");
        fs::create_directories(folder_ / "out");
        for (const char* name : {"bmp/a.bmp", "bmp/b.bmp"}) {
            std::ofstream(folder_ / "in" / name) << "content of " << name;
        }
    }
    void TearDown() override {
        CloseDataArchives();
        fs::current_path(previous_);
    }
    int Run(const std::string& program, const std::string& names) {
        const std::string command = std::string(VQ_BINARY_DIR) + "/tools/" + program + " " +
                                    (folder_ / "out").string() + " " + (folder_ / "in").string() +
                                    " " + names + " 2>/dev/null";
        return std::system(command.c_str());
    }
    vqtest::TempFolder temp_;
    fs::path folder_;
    fs::path previous_ = fs::current_path();
};

TEST_F(PackerCommand, PacksFilesThatTheGameThenReads) {
    ASSERT_EQ(Run("pack_pictures", "bmp/a.bmp"), 0);
    ASSERT_EQ(Run("pack_volumes", "bmp/a.bmp bmp/b.bmp"), 0);
    fs::current_path(folder_ / "out");
    OpenDataArchives();
    Bytes buffer(64);
    const std::string a = "content of bmp/a.bmp";
    const std::string b = "content of bmp/b.bmp";
    ASSERT_EQ(ReadArchiveEntry("BMP/A.BMP", buffer), static_cast<int64_t>(a.size()));
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(a.size())), a);
    ASSERT_EQ(ReadArchiveEntry("bmp/b.bmp", buffer), static_cast<int64_t>(b.size()));
    EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + static_cast<long>(b.size())), b);
}

TEST_F(PackerCommand, FailsOnMissingFilesBrokenRulesAndBadUsage) {
    EXPECT_NE(Run("pack_pictures", "bmp/missing.bmp"), 0);
    EXPECT_NE(Run("pack_volumes", "bmp/a.bmp bmp/a.bmp"), 0);
    EXPECT_NE(std::system((std::string(VQ_BINARY_DIR) + "/tools/pack_volumes 2>/dev/null").c_str()),
              0);
}

}  // namespace
