// The archive's index readers over arbitrary index files. The first byte chooses the
// index ("bmpdata.bin" when even, "pakindex.bin" when odd); the rest is the file. Every
// name field of the file is looked up, with a few fixed names, into a buffer of a size
// taken from the input. Fixed volume files lie beside it: volume 0 of full size, volume 1
// short, both full of small valid LZ blocks.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "engine/archive/archive.h"
#include "engine/archive/archive_format.h"

namespace {

// The archive is read from the current folder: each input is tried in this folder, and
// the fuzzer's own folder is restored afterwards (its corpus paths may be relative).
char gFolder[] = "/tmp/vq_fuzz_index_XXXXXX";
int gHome = -1;

void WriteFile(const char* path, const uint8_t* data, size_t size) {
    FILE* f = std::fopen(path, "wb");
    if (!f) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
    std::fclose(f);
}

// Volume content: the block "A" + a match of distance 1 and length 4 + end, repeated.
std::vector<uint8_t> VolumeBytes(size_t size) {
    static const uint8_t kBlock[] = {0x60, 0x41, 0x03, 0x01, 0x00, 0x00};
    std::vector<uint8_t> v(size);
    for (size_t i = 0; i < size; ++i) v[i] = kBlock[i % sizeof kBlock];
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gHome = open(".", O_RDONLY | O_DIRECTORY);
    if (gHome < 0 || !mkdtemp(gFolder) || chdir(gFolder) != 0) std::abort();
    if (mkdir("bin", 0755) != 0) std::abort();
    const std::vector<uint8_t> full = VolumeBytes(archive::kVolumeSize);
    WriteFile("bin/data000.bin", full.data(), full.size());
    WriteFile("bin/data001.bin", full.data(), 4096);
    if (fchdir(gHome) != 0) std::abort();
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(gFolder, ec);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || chdir(gFolder) != 0) return 0;
    const bool pictures = (data[0] & 1) == 0;
    const size_t capacity = static_cast<size_t>(data[1]) * 64;
    std::remove(archive::kPictureIndexPath);
    std::remove(archive::kVolumeIndexPath);
    WriteFile(pictures ? archive::kPictureIndexPath : archive::kVolumeIndexPath, data + 2,
              size - 2);
    OpenDataArchives();

    const size_t entrySize = pictures ? archive::kPictureEntrySize : archive::kVolumeEntrySize;
    const size_t nameSize = pictures ? archive::kPictureNameSize : archive::kVolumeNameSize;
    std::vector<uint8_t> buffer(capacity);
    for (size_t at = 2 + archive::kCountSize; at + entrySize <= size && at < 2 + 4 + 64 * 64;
         at += entrySize) {
        char name[64] = {};
        std::memcpy(name, data + at, nameSize);
        ReadArchiveEntry(name, buffer);
    }
    for (const char* name : {"", "a", "bmp/title.bmp", "BMP/TITLE.BMP"}) {
        ReadArchiveEntry(name, buffer);
    }
    CloseDataArchives();
    if (fchdir(gHome) != 0) std::abort();
    return 0;
}
