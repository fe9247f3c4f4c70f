// The archive as the game reads it from its folder: the lookup rules, entries across two
// volumes, the form table, refusal of corrupt or unreadable archives, allocation failures,
// and the start-up and shut-down that open and close it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/archive/archive.h"
#include "engine/archive/archive_format.h"
#include "engine/archive/decompress.h"
#include "tests/support/headless_game.h"
#include "tests/support/sample_pictures.h"
#include "tests/support/temp_folder.h"
#include "tools/pack/pack.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void WriteBytes(const fs::path& path, const Bytes& bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

void PutBe32(Bytes* out, uint32_t v) {
    out->resize(out->size() + 4);
    archive::WriteBe32(out->data() + out->size() - 4, v);
}

// A raw index entry, written field by field so that tests can store what the writers refuse.
struct RawEntry {
    std::string name;
    uint32_t unpacked;
    uint32_t offset;
    uint32_t packed;
};

Bytes RawIndex(const std::vector<RawEntry>& entries, size_t nameSize, uint32_t count) {
    Bytes out;
    PutBe32(&out, count);
    for (const RawEntry& e : entries) {
        Bytes name(nameSize, 0);
        std::memcpy(name.data(), e.name.data(), std::min(e.name.size(), nameSize));
        out.insert(out.end(), name.begin(), name.end());
        PutBe32(&out, e.unpacked);
        PutBe32(&out, e.offset);
        PutBe32(&out, e.packed);
    }
    return out;
}

// bmpdata.bin from raw entries and the data after the index.
void WritePictureArchive(const std::vector<RawEntry>& entries, const Bytes& data,
                         uint32_t count = UINT32_MAX) {
    Bytes file = RawIndex(entries, archive::kPictureNameSize,
                          count == UINT32_MAX ? static_cast<uint32_t>(entries.size()) : count);
    file.insert(file.end(), data.begin(), data.end());
    WriteBytes(archive::kPictureIndexPath, file);
}

// pakindex.bin from raw entries (the volumes are written separately).
void WriteVolumeIndex(const std::vector<RawEntry>& entries, uint32_t count = UINT32_MAX) {
    WriteBytes(archive::kVolumeIndexPath,
               RawIndex(entries, archive::kVolumeNameSize,
                        count == UINT32_MAX ? static_cast<uint32_t>(entries.size()) : count));
}

// One entry packed as the picture archive packs it, at offset 0 of the data.
void WriteOnePicture(const std::string& name, const Bytes& content) {
    const Bytes packed = pack::PackLzw(content);
    WritePictureArchive(
        {{name, static_cast<uint32_t>(content.size()), 0, static_cast<uint32_t>(packed.size())}},
        packed);
}

// One entry packed as the volume archive packs it, alone in volume 0.
void WriteOneVolumeEntry(const std::string& name, const Bytes& content) {
    const Bytes packed = pack::PackLz(content);
    WriteVolumeIndex(
        {{name, static_cast<uint32_t>(content.size()), 0, static_cast<uint32_t>(packed.size())}});
    WriteBytes("bin/data000.bin", packed);
}

// Each test runs in a fresh current folder, as the game reads its data from there.
class ArchiveFolder : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(temp_.Path().empty());
        folder_ = temp_.Path();
        fs::current_path(folder_);
    }

    void TearDown() override {
        CloseDataArchives();
        SetArchiveAllocator(nullptr);
        fs::current_path(previous_);
    }

    // Looks a name up into a buffer of the given size; the bytes it returned, or nothing.
    static Bytes Read(const char* name, size_t capacity = 1 << 16) {
        Bytes buffer(capacity, 0xEE);
        const int64_t n = ReadArchiveEntry(name, buffer);
        buffer.resize(n > 0 ? static_cast<size_t>(n) : 0);
        return buffer;
    }

    vqtest::TempFolder temp_;
    fs::path folder_;
    fs::path previous_ = fs::current_path();
};

using ArchiveLookup = ArchiveFolder;

TEST_F(ArchiveLookup, UpperCaseQueriesFindLowerCaseNamesOfThePictureArchiveOnly) {
    WriteOnePicture("bmp/title.bmp", Text("picture"));
    WriteOneVolumeEntry("bmp/stage.bmp", Text("volume"));
    OpenDataArchives();
    EXPECT_EQ(Read("BMP/TITLE.BMP"), Text("picture"));
    EXPECT_EQ(Read("Bmp/Title.bmp"), Text("picture"));
    EXPECT_EQ(Read("bmp/stage.bmp"), Text("volume"));
    EXPECT_EQ(Read("BMP/STAGE.BMP"), Bytes{});
}

TEST_F(ArchiveLookup, LowerCaseQueriesDoNotFindUpperCaseNames) {
    WriteOnePicture("BMP/TITLE.BMP", Text("picture"));
    WriteOneVolumeEntry("BMP/STAGE.BMP", Text("volume"));
    OpenDataArchives();
    EXPECT_EQ(Read("bmp/title.bmp"), Bytes{});
    EXPECT_EQ(Read("bmp/stage.bmp"), Bytes{});
    EXPECT_EQ(Read("BMP/TITLE.BMP"), Text("picture"));
    EXPECT_EQ(Read("BMP/STAGE.BMP"), Text("volume"));
}

TEST_F(ArchiveLookup, TheFirstMatchWinsAndAPrefixMatches) {
    pack::PictureArchiveWriter pictures;
    std::string error;
    ASSERT_TRUE(pictures.Add("bmp/title.bmp", Text("first"), &error)) << error;
    ASSERT_TRUE(pictures.Add("bmp/two.bmp", Text("second"), &error)) << error;
    ASSERT_TRUE(pictures.Write(".", &error)) << error;
    pack::VolumeArchiveWriter volumes;
    ASSERT_TRUE(volumes.Add("bmp/title.bmp", Text("shadowed"), &error)) << error;
    ASSERT_TRUE(volumes.Add("bmp/other.bmp", Text("other"), &error)) << error;
    ASSERT_TRUE(volumes.Write(".", &error)) << error;
    OpenDataArchives();
    EXPECT_EQ(Read("bmp/t"), Text("first"));
    EXPECT_EQ(Read("bmp/tw"), Text("second"));
    // The picture archive is asked first.
    EXPECT_EQ(Read("bmp/title.bmp"), Text("first"));
    EXPECT_EQ(Read("bmp/o"), Text("other"));
    EXPECT_EQ(Read("bmp/x"), Bytes{});
}

TEST_F(ArchiveLookup, NamesAreToldApartByTheirFirst24Bytes) {
    // Two volume entries whose names agree in their first 24 bytes: both names find the
    // first one.
    const Bytes a = pack::PackLz(Text("first"));
    const Bytes b = pack::PackLz(Text("second"));
    Bytes volume = a;
    volume.insert(volume.end(), b.begin(), b.end());
    WriteBytes("bin/data000.bin", volume);
    WriteVolumeIndex({{"bmp/event/picture_000001_a.bmp", 5, 0, static_cast<uint32_t>(a.size())},
                      {"bmp/event/picture_000001_b.bmp", 6, static_cast<uint32_t>(a.size()),
                       static_cast<uint32_t>(b.size())}});
    OpenDataArchives();
    EXPECT_EQ(Read("bmp/event/picture_000001_a.bmp"), Text("first"));
    EXPECT_EQ(Read("bmp/event/picture_000001_b.bmp"), Text("first"));
    EXPECT_EQ(Read("bmp/event/picture_000001"), Text("first"));
}

TEST_F(ArchiveLookup, LongQueriesGoOnToTheVolumeArchive) {
    // A picture entry's name field is 20 bytes: a longer query never matches it, even when
    // its 21st to 24th characters equal the bytes stored after the field (here the unpacked
    // size 0x61626364, "abcd"), and the lookup goes on to the volume archive.
    const std::string longName = "bmp/event/ev0123.bmpabcd";
    const Bytes packed = pack::PackLzw(Text("picture"));
    WritePictureArchive(
        {{longName.substr(0, 20), 0x61626364, 0, static_cast<uint32_t>(packed.size())}}, packed);
    WriteOneVolumeEntry(longName, Text("volume"));
    OpenDataArchives();
    EXPECT_EQ(Read(longName.c_str()), Text("volume"));
    // A query of exactly 20 characters still finds the picture entry, which is taken
    // (and refused, its size being far larger than the buffer) although the volume
    // entry's name also begins with the query.
    Bytes buffer(64);
    EXPECT_EQ(ReadArchiveEntry(longName.substr(0, 20).c_str(), buffer), kArchiveEntryTooLarge);
}

TEST_F(ArchiveLookup, QueryBytesAbove127MatchNothing) {
    const std::string name = "bmp/\x83\x65.bmp";
    const Bytes packed = pack::PackLzw(Text("kana"));
    WritePictureArchive({{name, 4, 0, static_cast<uint32_t>(packed.size())}}, packed);
    OpenDataArchives();
    EXPECT_EQ(Read(name.c_str()), Bytes{});
    EXPECT_EQ(Read("bmp/"), Text("kana"));
    EXPECT_EQ(Read(nullptr), Bytes{});
}

using ArchiveVolumes = ArchiveFolder;

// A packed stream of exactly 100 bytes: ten groups of eight literals, then seven literals
// and the end token. It unpacks to 87 bytes.
Bytes HundredBytePackedStream(Bytes* content) {
    Bytes packed;
    content->clear();
    for (int group = 0; group < 10; ++group) {
        packed.push_back(0);
        for (int i = 0; i < 8; ++i) {
            packed.push_back(static_cast<uint8_t>(group * 8 + i + 1));
            content->push_back(static_cast<uint8_t>(group * 8 + i + 1));
        }
    }
    packed.push_back(0x01);
    for (int i = 0; i < 7; ++i) {
        packed.push_back(static_cast<uint8_t>(200 + i));
        content->push_back(static_cast<uint8_t>(200 + i));
    }
    packed.insert(packed.end(), {0x00, 0x00});
    return packed;
}

TEST_F(ArchiveVolumes, AnEntryRunsFromTheEndOfOneVolumeIntoTheNext) {
    Bytes content;
    const Bytes packed = HundredBytePackedStream(&content);
    ASSERT_EQ(packed.size(), 100u);
    // Set offset 10,485,700: the last 60 bytes of volume 0 and the first 40 of volume 1.
    fs::create_directories("bin");
    { std::ofstream v0("bin/data000.bin", std::ios::binary); }
    fs::resize_file("bin/data000.bin", archive::kVolumeSize - 60);
    {
        std::ofstream v0("bin/data000.bin", std::ios::binary | std::ios::app);
        v0.write(reinterpret_cast<const char*>(packed.data()), 60);
    }
    ASSERT_EQ(fs::file_size("bin/data000.bin"), static_cast<uintmax_t>(archive::kVolumeSize));
    Bytes v1(packed.begin() + 60, packed.end());
    v1.insert(v1.end(), 500, 0x77);
    WriteBytes("bin/data001.bin", v1);
    WriteVolumeIndex({{"bmp/across.bmp", 87, 10485700, 100}});
    OpenDataArchives();
    EXPECT_EQ(Read("bmp/across.bmp"), content);

    // Without the second volume the lookup fails instead of reading from nothing.
    fs::remove("bin/data001.bin");
    EXPECT_EQ(Read("bmp/across.bmp"), Bytes{});
    // A first volume cut short fails it too.
    WriteBytes("bin/data001.bin", v1);
    fs::resize_file("bin/data000.bin", archive::kVolumeSize - 1);
    EXPECT_EQ(Read("bmp/across.bmp"), Bytes{});
}

TEST_F(ArchiveVolumes, TheWriterFillsVolumesToTheirSizeAndEveryEntryReadsBack) {
    // Incompressible entries larger than a volume together: the writer cuts the set at
    // 10,485,760 bytes and the entry that crosses it is read from both volumes.
    std::mt19937 rng(21);
    pack::VolumeArchiveWriter writer;
    std::vector<Bytes> contents;
    std::string error;
    for (int i = 0; i < 4; ++i) {
        Bytes c(i == 3 ? 1000 : 3200000);
        for (auto& b : c) b = static_cast<uint8_t>(rng());
        ASSERT_TRUE(writer.Add("bin/entry" + std::to_string(i), c, &error)) << error;
        contents.push_back(std::move(c));
    }
    ASSERT_GT(writer.SetSize(), archive::kVolumeSize);
    ASSERT_TRUE(writer.Write(".", &error)) << error;
    EXPECT_EQ(fs::file_size("bin/data000.bin"), static_cast<uintmax_t>(archive::kVolumeSize));
    EXPECT_EQ(fs::file_size("bin/data001.bin"),
              static_cast<uintmax_t>(writer.SetSize() - archive::kVolumeSize));
    EXPECT_FALSE(fs::exists("bin/data002.bin"));
    OpenDataArchives();
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Read(("bin/entry" + std::to_string(i)).c_str(), 3200000), contents[i]) << i;
    }
}

using ArchiveCorrupt = ArchiveFolder;

TEST_F(ArchiveCorrupt, AnEntryCountBeyondTheFileLeavesTheArchiveAbsent) {
    const Bytes packed = pack::PackLzw(Text("picture"));
    WritePictureArchive({{"bmp/a.bmp", 7, 0, static_cast<uint32_t>(packed.size())}}, packed, 1000);
    const Bytes lz = pack::PackLz(Text("volume"));
    WriteVolumeIndex({{"bmp/a.bmp", 6, 0, static_cast<uint32_t>(lz.size())}}, 0x7FFFFFFF);
    WriteBytes("bin/data000.bin", lz);
    OpenDataArchives();
    EXPECT_EQ(gDataArchive.pictures.data, nullptr);
    EXPECT_EQ(gDataArchive.volumes.data, nullptr);
    EXPECT_EQ(Read("bmp/a.bmp"), Bytes{});

    // Files too short to hold a count are absent as well; a count of 0 is a valid archive.
    WriteBytes(archive::kPictureIndexPath, {0, 0});
    WriteBytes(archive::kVolumeIndexPath, {0, 0, 0, 0});
    OpenDataArchives();
    EXPECT_EQ(gDataArchive.pictures.data, nullptr);
    ASSERT_NE(gDataArchive.volumes.data, nullptr);
    EXPECT_EQ(gDataArchive.volumes.entryCount, 0u);
    EXPECT_EQ(Read("bmp/a.bmp"), Bytes{});
}

TEST_F(ArchiveCorrupt, PictureOffsetsAndSizesMustLieInTheData) {
    const Bytes packed = pack::PackLzw(Text("picture"));
    const auto size = static_cast<uint32_t>(packed.size());
    WritePictureArchive({{"a", 7, 0, size},
                         {"b", 7, size + 1, size},
                         {"c", 7, 1, size},
                         {"d", 7, 0xFFFFFFF0u, 0x20},
                         {"e", 7, 0, 0xFFFFFFFFu}},
                        packed);
    OpenDataArchives();
    EXPECT_EQ(Read("a"), Text("picture"));
    for (const char* name : {"b", "c", "d", "e"}) EXPECT_EQ(Read(name), Bytes{}) << name;
}

TEST_F(ArchiveCorrupt, VolumeOffsetsAndSizesMustLieInTheVolumes) {
    const Bytes packed = pack::PackLz(Text("volume"));
    const auto size = static_cast<uint32_t>(packed.size());
    WriteBytes("bin/data000.bin", packed);
    WriteVolumeIndex({{"ok", 6, 0, size},
                      {"negative offset", 6, 0xFFFFFFFFu, size},
                      {"negative size", 6, 0, 0xFFFFFFF0u},
                      {"zero size", 6, 0, 0},
                      {"past the volume", 6, 1, size},
                      {"missing volume", 6, 3 * 0xA00000u, size},
                      {"far volume", 6, 0x7FFFFF00u, 0xF0},
                      {"huge size", 6, 0, 0x7FFFFFFFu}});
    int allocations = 0;
    static int* counter;
    counter = &allocations;
    OpenDataArchives();
    SetArchiveAllocator([](size_t n) -> void* {
        ++*counter;
        return std::malloc(n);
    });
    EXPECT_EQ(Read("ok"), Text("volume"));
    EXPECT_EQ(allocations, 1);
    for (const char* name : {"negative offset", "negative size", "zero size", "past the volume",
                             "missing volume", "far volume", "huge size"}) {
        EXPECT_EQ(Read(name), Bytes{}) << name;
    }
    // None of the refused entries took a buffer of its packed size.
    EXPECT_EQ(allocations, 1);
}

TEST_F(ArchiveCorrupt, CorruptPackedDataIsDamaged) {
    // LZ: a literal, then a match reaching two bytes back.
    WriteBytes("bin/data000.bin", {0x40, 'a', 0x01, 0x02, 0x80, 0x00, 0x00});
    // LZW: 'a', then code 258 while 257 is the next free code.
    const Bytes lzw = {0x06, 0x11, 0x02, 0x10, 0x00};
    WritePictureArchive({{"bad lzw", 3, 0, static_cast<uint32_t>(lzw.size())}}, lzw);
    WriteVolumeIndex({{"bad lz", 3, 0, 7}});
    OpenDataArchives();
    Bytes buffer(64, 0xEE);
    EXPECT_EQ(ReadArchiveEntry("bad lzw", buffer), kArchiveEntryDamaged);
    EXPECT_EQ(ReadArchiveEntry("bad lz", buffer), kArchiveEntryDamaged);
}

TEST_F(ArchiveCorrupt, EntriesThatDoNotFitTheBufferAreRefused) {
    const Bytes content(1000, 'q');
    const Bytes lzw = pack::PackLzw(content);
    const Bytes lz = pack::PackLz(content);
    // One entry tells its size truly, one claims 10 bytes but unpacks to 1000.
    WritePictureArchive({{"true size", 1000, 0, static_cast<uint32_t>(lzw.size())},
                         {"false size", 10, 0, static_cast<uint32_t>(lzw.size())}},
                        lzw);
    WriteBytes("bin/data000.bin", lz);
    WriteVolumeIndex({{"true size v", 1000, 0, static_cast<uint32_t>(lz.size())},
                      {"false size v", 10, 0, static_cast<uint32_t>(lz.size())}});
    OpenDataArchives();
    for (const char* name : {"true size", "true size v"}) {
        // Refused as too large before anything was written.
        Bytes buffer(999, 0xEE);
        EXPECT_EQ(ReadArchiveEntry(name, buffer), kArchiveEntryTooLarge) << name;
        EXPECT_EQ(buffer, Bytes(999, 0xEE)) << name;
    }
    for (const char* name : {"false size", "false size v"}) {
        // Stopped as damaged where the output would leave the buffer.
        Bytes buffer(999, 0xEE);
        EXPECT_EQ(ReadArchiveEntry(name, buffer), kArchiveEntryDamaged) << name;
    }
    Bytes exact(1000);
    EXPECT_EQ(ReadArchiveEntry("true size", exact), 1000);
    EXPECT_EQ(exact, content);
    EXPECT_EQ(ReadArchiveEntry("true size v", exact), 1000);
    EXPECT_EQ(exact, content);
}

TEST_F(ArchiveCorrupt, DataShorterThanItsSizeIsPaddedWithZeros) {
    const Bytes lzw = pack::PackLzw(Text("short"));
    WritePictureArchive({{"short", 12, 0, static_cast<uint32_t>(lzw.size())}}, lzw);
    OpenDataArchives();
    Bytes expected = Text("short");
    expected.resize(12, 0);
    EXPECT_EQ(Read("short"), expected);
}

TEST_F(ArchiveCorrupt, AMissingNameLeavesTheBufferUntouched) {
    WriteOnePicture("bmp/a.bmp", Text("a"));
    OpenDataArchives();
    Bytes buffer(16, 0xEE);
    EXPECT_EQ(ReadArchiveEntry("bmp/b.bmp", buffer), 0);
    EXPECT_EQ(buffer, Bytes(16, 0xEE));
}

using ArchiveMemory = ArchiveFolder;

int CountOf(const std::string& haystack, const std::string& needle) {
    int n = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1)) {
        ++n;
    }
    return n;
}

TEST_F(ArchiveMemory, AFailedBufferShowsTheMessageAndLeavesThatFileAbsent) {
    WriteOnePicture("bmp/a.bmp", Text("a"));
    WriteOneVolumeEntry("bmp/b.bmp", Text("b"));
    WriteBytes("formdata.bin", Bytes(64, 1));
    SetArchiveAllocator([](size_t) -> void* { return nullptr; });
    testing::internal::CaptureStderr();
    OpenDataArchives();
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOf(messages, "[Error] メモリが足りません。"), 3) << messages;
    EXPECT_EQ(gDataArchive.pictures.data, nullptr);
    EXPECT_EQ(gDataArchive.pictures.file, nullptr);
    EXPECT_EQ(gDataArchive.volumes.data, nullptr);
    EXPECT_TRUE(FormTableBytes().empty());
    SetArchiveAllocator(nullptr);
    EXPECT_EQ(Read("bmp/a.bmp"), Bytes{});
    EXPECT_EQ(Read("bmp/b.bmp"), Bytes{});
}

TEST_F(ArchiveMemory, AFailedWorkBufferShowsTheMessageAndFailsTheLookup) {
    WriteOneVolumeEntry("bmp/b.bmp", Text("b"));
    OpenDataArchives();
    SetArchiveAllocator([](size_t) -> void* { return nullptr; });
    testing::internal::CaptureStderr();
    EXPECT_EQ(Read("bmp/b.bmp"), Bytes{});
    const std::string messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(CountOf(messages, "[Error] メモリが足りません。"), 1) << messages;
    SetArchiveAllocator(nullptr);
    EXPECT_EQ(Read("bmp/b.bmp"), Text("b"));
}

using FormTableFile = ArchiveFolder;

TEST_F(FormTableFile, IsReadWholeFromTheDataFolderElseTheCurrentFolder) {
    OpenDataArchives();
    EXPECT_TRUE(FormTableBytes().empty());

    WriteBytes("formdata.bin", {1, 2, 3});
    OpenDataArchives();
    EXPECT_EQ(Bytes(FormTableBytes().begin(), FormTableBytes().end()), (Bytes{1, 2, 3}));

    WriteBytes("data/formdata.bin", {4, 5, 6, 7});
    OpenDataArchives();
    EXPECT_EQ(Bytes(FormTableBytes().begin(), FormTableBytes().end()), (Bytes{4, 5, 6, 7}));
    EXPECT_NE(gDataArchive.formTable.file, nullptr);

    CloseDataArchives();
    EXPECT_TRUE(FormTableBytes().empty());
    EXPECT_EQ(gDataArchive.formTable.file, nullptr);
}

TEST_F(FormTableFile, GetOpenFileLengthRewindsTheFile) {
    WriteBytes("f.bin", Bytes(1234, 9));
    FILE* f = std::fopen("f.bin", "rb");
    ASSERT_NE(f, nullptr);
    std::fseek(f, 100, SEEK_SET);
    EXPECT_EQ(GetOpenFileLength(f), 1234);
    EXPECT_EQ(std::ftell(f), 0);
    std::fclose(f);
    EXPECT_EQ(GetOpenFileLength(nullptr), -1);
}

using ArchiveStartUp = ArchiveFolder;

TEST_F(ArchiveStartUp, TheGameOpensTheArchivesAtStartUpAndClosesThemAtShutDown) {
    pack::PictureArchiveWriter pictures;
    std::string error;
    const Bytes picture = vqtest::MakeSamplePicture(32, 32, 1);
    ASSERT_TRUE(pictures.Add("bmp/title.bmp", picture, &error)) << error;
    ASSERT_TRUE(pictures.Write(".", &error)) << error;
    WriteBytes("data/formdata.bin", Bytes(2048, 0));
    vqtest::HeadlessOptions options;
    options.runFolder = folder_.string();
    ASSERT_TRUE(vqtest::StartHeadlessGame(options));
    EXPECT_NE(gDataArchive.pictures.data, nullptr);
    EXPECT_EQ(FormTableBytes().size(), 2048u);
    EXPECT_EQ(Read("bmp/title.bmp", picture.size()), picture);
    vqtest::StopHeadlessGame();
    EXPECT_EQ(gDataArchive.pictures.data, nullptr);
    EXPECT_TRUE(FormTableBytes().empty());
}

}  // namespace
