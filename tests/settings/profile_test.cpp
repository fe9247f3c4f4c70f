// The profile-file reader and writer: lookups, integer values and in-place updates.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "platform/profile/profile.h"
#include "tests/support/temp_folder.h"

namespace {

struct ReadCase {
    const char* name;
    const char* file;
    const char* section;
    const char* key;
    int32_t expected;  // with default 77
};

const ReadCase kReadCases[] = {
    {"plain", "[a]\nk=5\n", "a", "k", 5},
    {"missing key", "[a]\nk=5\n", "a", "j", 77},
    {"missing section", "[a]\nk=5\n", "b", "k", 77},
    {"key of another section", "[a]\nk=5\n[b]\nj=1\n", "b", "k", 77},
    {"key before any section", "k=5\n[a]\n", "a", "k", 77},
    {"section case", "[SeTuP]\nk=5\n", "setup", "k", 5},
    {"key case", "[a]\nWinMode=1\n", "a", "winmode", 1},
    {"blanks around names", "  [ a ]  \n\t k \t= 5\n", "a", "k", 5},
    {"blanks around the value", "[a]\nk=  \t-12  \n", "a", "k", -12},
    {"plus sign", "[a]\nk=+8\n", "a", "k", 8},
    {"minus sign", "[a]\nk=-3\n", "a", "k", -3},
    {"trailing garbage", "[a]\nk=42abc\n", "a", "k", 42},
    {"garbage", "[a]\nk=abc\n", "a", "k", 0},
    {"sign alone", "[a]\nk=-\n", "a", "k", 0},
    {"blank inside the number", "[a]\nk=1 2\n", "a", "k", 1},
    {"hex is not read", "[a]\nk=0x1F\n", "a", "k", 0},
    {"empty value gives the default", "[a]\nk=\n", "a", "k", 77},
    {"name without '='", "[a]\nk\n", "a", "k", 77},
    {"first duplicate key wins", "[a]\nk=1\nk=2\n", "a", "k", 1},
    {"first duplicate section wins", "[a]\nk=1\n[a]\nk=2\nj=3\n", "a", "j", 77},
    {"comment is no key", "[a]\n;k=4\n", "a", "k", 77},
    {"CR LF lines", "[a]\r\nk=9\r\n", "a", "k", 9},
    {"no final newline", "[a]\nk=9", "a", "k", 9},
    {"unclosed header", "[a\nk=6\n", "a", "k", 6},
    {"wraps at 32 bits", "[a]\nk=4294967295\n", "a", "k", -1},
    {"largest int", "[a]\nk=2147483647\n", "a", "k", 2147483647},
    {"value with '='", "[a]\nk=3=4\n", "a", "k", 3},
    {"empty file", "", "a", "k", 77},
};

TEST(ProfileRead, TableOfCases) {
    for (const ReadCase& c : kReadCases) {
        profile::Document doc;
        doc.Parse(c.file);
        EXPECT_EQ(doc.ReadInt(c.section, c.key, 77), c.expected) << c.name;
    }
}

struct WriteCase {
    const char* name;
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* after;
};

const WriteCase kWriteCases[] = {
    {"new file", "", "record", "gametime", "5", "[record]\ngametime=5\n"},
    {"in place", "[a]\nk=1\nj=2\n", "a", "k", "7", "[a]\nk=7\nj=2\n"},
    {"in place keeps the key's spelling", "[a]\n  Key  = 1  \n", "a", "key", "3",
     "[a]\n  Key  =3\n"},
    {"appended after the section's last key", "[a]\nk=1\n\n; about b\n[b]\nx=1\n", "a", "j", "2",
     "[a]\nk=1\nj=2\n\n; about b\n[b]\nx=1\n"},
    {"into an empty section", "[a]\n[b]\n", "a", "k", "1", "[a]\nk=1\n[b]\n"},
    {"new section at the end", "; top\n[a]\nk=1\n", "b", "x", "-4",
     "; top\n[a]\nk=1\n\n[b]\nx=-4\n"},
    {"section found without regard to case", "[Config]\nse=1\n", "config", "mu", "9",
     "[Config]\nse=1\nmu=9\n"},
    {"first of duplicate keys", "[a]\nk=1\nk=2\n", "a", "k", "3", "[a]\nk=3\nk=2\n"},
    {"a name without '=' gets its value", "[a]\nk\n", "a", "k", "4", "[a]\nk=4\n"},
    {"comments and unknown lines kept", "[a]\n; note\nodd line\nk=1\n[zz]\nq=w\n", "a", "k", "2",
     "[a]\n; note\nodd line\nk=2\n[zz]\nq=w\n"},
    {"CR LF kept", "[a]\r\nk=1\r\n", "a", "j", "2", "[a]\r\nk=1\r\nj=2\r\n"},
    {"final newline added", "[a]\nk=1", "a", "k", "2", "[a]\nk=2\n"},
    {"each line keeps its ending", "[a]\r\nk=1\nj=2\r\n", "a", "k", "5", "[a]\r\nk=5\nj=2\r\n"},
    {"a carriage return without a newline stays", "[a]\nx=\r", "a", "k", "1", "[a]\nx=\r\nk=1\n"},
    {"a name ending the file with a carriage return gets its value", "[a]\nk \r", "a", "k", "4",
     "[a]\nk=4\r\n"},
};

TEST(ProfileWrite, TableOfCases) {
    for (const WriteCase& c : kWriteCases) {
        profile::Document doc;
        doc.Parse(c.before);
        doc.SetString(c.section, c.key, c.value);
        EXPECT_EQ(doc.Text(), c.after) << c.name;
    }
}

TEST(ProfileWrite, ParseIntMatchesTheReader) {
    EXPECT_EQ(profile::ParseInt(" 15 "), 15);
    EXPECT_EQ(profile::ParseInt("-0"), 0);
    EXPECT_EQ(profile::ParseInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(profile::ParseInt(""), 0);
    EXPECT_EQ(profile::ParseInt("99999999999"), static_cast<int32_t>(99999999999ull & 0xFFFFFFFFu));
}

class ProfileFileTest : public ::testing::Test {
protected:
    std::string Read() const { return vqtest::ReadWholeFile(path_); }
    void Write(const std::string& text) const { vqtest::WriteWholeFile(path_, text); }
    int FilesInFolder() const { return folder_.EntryCount(); }
    vqtest::TempFolder folder_;
    std::string path_ = folder_.File("v_quorl.ini");
};

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndAWriteCreatesIt) {
    EXPECT_EQ(profile::ReadInt(path_.c_str(), "config", "se", 9), 9);
    EXPECT_TRUE(profile::WriteString(path_.c_str(), "config", "se", "4"));
    EXPECT_EQ(profile::ReadInt(path_.c_str(), "config", "se", 9), 4);
    EXPECT_EQ(Read(), "[config]\nse=4\n");
    EXPECT_EQ(FilesInFolder(), 1);  // no temporary file is left behind
}

TEST_F(ProfileFileTest, AWriteReplacesTheFileKeepingEverythingElseAndItsMode) {
    Write("; settings\n[setup]\nwinmode=1\n\n[mine]\nfoo = bar\n");
    chmod(path_.c_str(), 0640);
    EXPECT_TRUE(profile::WriteString(path_.c_str(), "setup", "fps", "2"));
    EXPECT_EQ(Read(), "; settings\n[setup]\nwinmode=1\nfps=2\n\n[mine]\nfoo = bar\n");
    struct stat st;
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesInFolder(), 1);
}

TEST_F(ProfileFileTest, AFailedSaveLeavesTheOldFile) {
    Write("[a]\nk=1\n");
    profile::Document doc;
    ASSERT_TRUE(doc.Load(path_.c_str()));
    doc.SetString("a", "k", "2");
    // The folder does not exist: no temporary file can be made.
    EXPECT_FALSE(doc.Save((folder_.File("missing/v_quorl.ini")).c_str()));
    EXPECT_EQ(Read(), "[a]\nk=1\n");
}

}  // namespace
