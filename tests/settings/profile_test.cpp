// The profile-file reader and writer: lookups, integer values and in-place updates, and
// the replacement of the file: through symbolic links, refused writes, left-over
// temporary files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/profile.h"
#include "tests/settings/utf16_text.h"
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
    {"byte-order mark before the first section", "\xEF\xBB\xBF[a]\nk=5\n", "a", "k", 5},
    {"byte-order mark with CR LF lines", "\xEF\xBB\xBF[a]\r\nk=6\r\n", "a", "k", 6},
    {"a mark later in the file is text", "[b]\n\xEF\xBB\xBF[a]\nk=5\n", "a", "k", 77},
    {"double quotes", "[a]\nk=\"5\"\n", "a", "k", 5},
    {"single quotes", "[a]\nk='-4'\n", "a", "k", -4},
    {"blanks inside the quotes", "[a]\nk = \" 8 \" \n", "a", "k", 8},
    {"empty quotes give the default", "[a]\nk=\"\"\n", "a", "k", 77},
    {"an opening quote alone", "[a]\nk=\"5\n", "a", "k", 0},
    {"quotes that do not match", "[a]\nk=\"5'\n", "a", "k", 0},
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
    {"byte-order mark kept, key in place", "\xEF\xBB\xBF[a]\nk=1\n", "a", "k", "2",
     "\xEF\xBB\xBF[a]\nk=2\n"},
    {"byte-order mark kept, the first section found", "\xEF\xBB\xBF[record]\r\nk=1\r\n", "record",
     "j", "2", "\xEF\xBB\xBF[record]\r\nk=1\r\nj=2\r\n"},
    {"a file of only the mark", "\xEF\xBB\xBF", "a", "k", "1", "\xEF\xBB\xBF[a]\nk=1\n"},
    {"a quoted value is replaced whole", "[a]\nk=\"1\"\n", "a", "k", "2", "[a]\nk=2\n"},
};

TEST(ProfileWrite, TableOfCases) {
    for (const WriteCase& c : kWriteCases) {
        profile::Document doc;
        doc.Parse(c.before);
        doc.SetString(c.section, c.key, c.value);
        EXPECT_EQ(doc.Text(), c.after) << c.name;
    }
}

// UTF-16 units as the bytes of a little-endian file.
std::string Units(std::u16string_view units) {
    std::string out;
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

// A file saved as UTF-16 with its byte-order mark, in either byte order, is read as the text
// it holds and written back in its encoding: every read and write case above holds in it, and
// text beyond ASCII comes back unit for unit. Without the mark it is bytes, as any file.
TEST(ProfileUtf16, FilesAreReadAsTheirTextAndWrittenBackInTheirEncoding) {
    using namespace std::string_view_literals;
    for (bool big : {false, true}) {
        SCOPED_TRACE(big ? "big-endian" : "little-endian");
        for (const ReadCase& c : kReadCases) {
            if (std::string_view(c.file).find('\xEF') != std::string_view::npos) continue;
            profile::Document doc;
            doc.Parse(vqtest::Utf16(c.file, big));
            EXPECT_EQ(doc.ReadInt(c.section, c.key, 77), c.expected) << c.name;
        }
        for (const WriteCase& c : kWriteCases) {
            if (std::string_view(c.before).find('\xEF') != std::string_view::npos) continue;
            profile::Document doc;
            doc.Parse(vqtest::Utf16(c.before, big));
            doc.SetString(c.section, c.key, c.value);
            EXPECT_EQ(doc.Text(), vqtest::Utf16(c.after, big)) << c.name;
        }
    }
    struct Case {
        const char* name;
        std::string before, after;  // the file before and after gametime=7 is written
    };
    const Case cases[] = {
        {"Japanese comment and values",
         Units(u"\uFEFF; \u8A2D\u5B9A\r\n[record]\r\nname=\u30AF\u30EA\u30A2\r\ngametime=5\r\n"),
         Units(u"\uFEFF; \u8A2D\u5B9A\r\n[record]\r\nname=\u30AF\u30EA\u30A2\r\ngametime=7\r\n")},
        {"a surrogate pair", Units(u"\uFEFF[record]\nk=\U0001F600\n"),
         Units(u"\uFEFF[record]\nk=\U0001F600\ngametime=7\n")},
        {"lone surrogates", Units(u"\uFEFF;\xD800 \xDC00\xDBFF\n[record]\n"),
         Units(u"\uFEFF;\xD800 \xDC00\xDBFF\n[record]\ngametime=7\n")},
        {"a NUL unit", Units(u"\uFEFF;a\0b\n"sv),
         Units(u"\uFEFF;a\0b\n\n[record]\ngametime=7\n"sv)},
        {"an odd last byte is no unit", Units(u"\uFEFF[record]\n") + "\x41",
         Units(u"\uFEFF[record]\ngametime=7\n")},
        {"no mark: bytes", Units(u"[record]\ngametime=5\n"),
         // The last line, a NUL byte, gets its line end.
         Units(u"[record]\ngametime=5\n") + "\n\n[record]\ngametime=7\n"},
    };
    for (const Case& c : cases) {
        profile::Document doc;
        doc.Parse(c.before);
        doc.SetString("record", "gametime", "7");
        EXPECT_EQ(doc.Text(), c.after) << c.name;
        profile::Document again;
        again.Parse(c.after);
        EXPECT_EQ(again.ReadInt("record", "gametime", 77), 7) << c.name;
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

std::string LinkTarget(const std::string& path) {
    char buffer[4096];
    ssize_t n = readlink(path.c_str(), buffer, sizeof buffer);
    return n < 0 ? std::string() : std::string(buffer, static_cast<size_t>(n));
}

bool IsLink(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

TEST_F(ProfileFileTest, AWriteThroughSymbolicLinksUpdatesTheirTarget) {
    vqtest::TempFolder elsewhere;
    struct LinkCase {
        const char* name;
        std::string target;              // the file the links end at
        std::vector<std::string> links;  // link i points at links[i + 1], the last at target
        bool targetExists;
    };
    const std::string inFolder = folder_.File("real.ini");
    const LinkCase cases[] = {
        {"relative link beside the file", "real.ini", {path_}, true},
        {"absolute link into another folder", elsewhere.File("real.ini"), {path_}, true},
        {"a chain of two links", elsewhere.File("real.ini"), {path_, folder_.File("middle")}, true},
        {"a link to a file not made yet", elsewhere.File("new.ini"), {path_}, false},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string target = c.target[0] == '/' ? c.target : folder_.File(c.target);
        if (c.targetExists) vqtest::WriteWholeFile(target, "[a]\nk=1\n");
        for (size_t i = 0; i < c.links.size(); ++i) {
            std::string next = i + 1 < c.links.size() ? c.links[i + 1] : c.target;
            ASSERT_EQ(symlink(next.c_str(), c.links[i].c_str()), 0);
        }
        EXPECT_TRUE(profile::WriteString(path_.c_str(), "a", "k", "2"));
        EXPECT_EQ(vqtest::ReadWholeFile(target), "[a]\nk=2\n");
        for (size_t i = 0; i < c.links.size(); ++i) {
            std::string next = i + 1 < c.links.size() ? c.links[i + 1] : c.target;
            EXPECT_TRUE(IsLink(c.links[i])) << i;
            EXPECT_EQ(LinkTarget(c.links[i]), next) << i;
        }
        for (const std::string& link : c.links) unlink(link.c_str());
        unlink(target.c_str());
        EXPECT_EQ(FilesInFolder(), 0);
        EXPECT_EQ(elsewhere.EntryCount(), 0);
    }
}

TEST_F(ProfileFileTest, AbandonedTemporaryFilesAreRemovedByTheNextWrite) {
    Write("[a]\nk=1\n");
    const std::string abandoned[] = {path_ + ".Ab12Z9", path_ + ".000000"};
    const std::string kept[] = {
        path_ + ".bak",                    // not a temporary name
        path_ + ".Ab12Z",                  // one letter short
        path_ + ".Ab-2Z9",                 // not made by the temporary-file call
        folder_.File("other.ini.Ab12Z9"),  // another file's
        path_ + ".Busy01",                 // a write still in progress holds its lock
    };
    for (const std::string& p : abandoned) vqtest::WriteWholeFile(p, "[a]\nk=0\n");
    for (const std::string& p : kept) vqtest::WriteWholeFile(p, "[a]\nk=0\n");
    int busy = open(kept[4].c_str(), O_RDONLY);
    ASSERT_GE(busy, 0);
    ASSERT_EQ(flock(busy, LOCK_EX), 0);
    EXPECT_TRUE(profile::WriteString(path_.c_str(), "a", "k", "2"));
    close(busy);
    EXPECT_EQ(Read(), "[a]\nk=2\n");
    for (const std::string& p : abandoned) EXPECT_NE(access(p.c_str(), F_OK), 0) << p;
    for (const std::string& p : kept) EXPECT_EQ(access(p.c_str(), F_OK), 0) << p;
    EXPECT_EQ(FilesInFolder(), 6);
}

// A write that cannot be made leaves whatever is at the path as it was and says why. Every
// case here fails also for the superuser, who passes the system's permission checks.
TEST_F(ProfileFileTest, RefusedWritesLeaveThePathAndSayWhy) {
    struct FailureCase {
        const char* name;
        std::function<std::string()> prepare;  // returns the path to write
        profile::SaveError::Cause cause;
        int code;
    };
    const FailureCase cases[] = {
        {"a folder in the file's place",
         [&] {
             mkdir(path_.c_str(), 0755);
             return path_;
         },
         profile::SaveError::Cause::Unreadable, EISDIR},
        {"a path through a regular file",
         [&] {
             Write("[a]\nk=1\n");
             return path_ + "/v_quorl.ini";
         },
         profile::SaveError::Cause::System, ENOTDIR},
        {"a file its owner made read-only",
         [&] {
             Write("[a]\nk=1\n");
             chmod(path_.c_str(), 0444);
             return path_;
         },
         profile::SaveError::Cause::ReadOnly, 0},
        {"a link to a file made read-only",
         [&] {
             vqtest::WriteWholeFile(folder_.File("real.ini"), "[a]\nk=1\n");
             chmod(folder_.File("real.ini").c_str(), 0444);
             symlink("real.ini", path_.c_str());
             return path_;
         },
         profile::SaveError::Cause::ReadOnly, 0},
        {"links in a loop",
         [&] {
             symlink("v_quorl.ini", path_.c_str());
             return path_;
         },
         profile::SaveError::Cause::System, ELOOP},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = c.prepare();
        std::string before = Read();
        int entries = FilesInFolder();
        profile::SaveError error;
        EXPECT_FALSE(profile::WriteString(path.c_str(), "a", "k", "2", &error));
        EXPECT_EQ(error.cause, c.cause);
        EXPECT_EQ(error.code, c.code) << std::strerror(error.code);
        EXPECT_EQ(Read(), before);
        EXPECT_EQ(FilesInFolder(), entries);  // no temporary file is left behind
        std::filesystem::remove_all(path_);
        std::filesystem::remove(folder_.File("real.ini"));
    }
}

TEST_F(ProfileFileTest, AWriteIntoAReadOnlyFolderIsRefused) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "the superuser writes into read-only folders; the cases of "
                        "RefusedWritesLeaveThePathAndSayWhy cover refusals for every user";
    }
    Write("[a]\nk=1\n");
    chmod(folder_.Path().c_str(), 0555);
    profile::SaveError error;
    EXPECT_FALSE(profile::WriteString(path_.c_str(), "a", "k", "2", &error));
    chmod(folder_.Path().c_str(), 0755);
    EXPECT_EQ(error.cause, profile::SaveError::Cause::System);
    EXPECT_EQ(error.code, EACCES);
    EXPECT_EQ(Read(), "[a]\nk=1\n");
}

// Sets or clears the immutable attribute (chattr +i); false where the file system or the
// process's capabilities do not allow it.
bool SetImmutable(const std::string& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

TEST_F(ProfileFileTest, AnImmutableFileIsNotReplaced) {
    Write("[a]\nk=1\n");
    if (!SetImmutable(path_, true)) {
        GTEST_SKIP() << "the immutable attribute cannot be set here (file system or "
                        "CAP_LINUX_IMMUTABLE missing)";
    }
    profile::SaveError error;
    bool written = profile::WriteString(path_.c_str(), "a", "k", "2", &error);
    SetImmutable(path_, false);
    EXPECT_FALSE(written);
    EXPECT_EQ(error.cause, profile::SaveError::Cause::System);
    EXPECT_EQ(error.code, EPERM);
    EXPECT_EQ(Read(), "[a]\nk=1\n");
    EXPECT_EQ(FilesInFolder(), 1);
}

}  // namespace
