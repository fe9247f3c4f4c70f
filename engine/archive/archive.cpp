#include "engine/archive/archive.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "engine/archive/archive_format.h"
#include "engine/archive/decompress.h"
#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "platform/system/system.h"
#include "platform/text/cp932.h"

DataArchive gDataArchive;

namespace {

constexpr auto kOutOfMemory = text::Cp932(u8"メモリが足りません。");

ArchiveAllocator gAllocator = nullptr;

uint8_t* Allocate(size_t size) {
    void* p = gAllocator ? gAllocator(size) : std::malloc(size);
    if (!p) ShowMessageBox(kOutOfMemory.c_str(), "Error");
    return static_cast<uint8_t*>(p);
}

void Release(ArchiveFile* f) {
    if (f->file) std::fclose(f->file);
    std::free(f->data);
    *f = ArchiveFile{};
}

// Reads an open file whole into f, which takes the handle. f is left empty (and the file
// closed) when it is empty, unreadable or its buffer cannot be had.
void ReadWholeFile(FILE* file, ArchiveFile* f) {
    *f = ArchiveFile{};
    const long length = GetOpenFileLength(file);
    uint8_t* data = length > 0 ? Allocate(static_cast<size_t>(length)) : nullptr;
    if (!data ||
        std::fread(data, 1, static_cast<size_t>(length), file) != static_cast<size_t>(length)) {
        std::free(data);
        std::fclose(file);
        return;
    }
    f->file = file;
    f->data = data;
    f->size = static_cast<size_t>(length);
}

// Reads an index file and takes its entry count, which must fit the file.
void OpenIndex(const char* path, size_t entrySize, ArchiveFile* f) {
    *f = ArchiveFile{};
    FILE* file = sys::OpenDataFile(path, "rb");
    if (!file) return;
    ReadWholeFile(file, f);
    if (!f->data) return;
    uint32_t count = 0;
    if (!archive::ReadBe32At({f->data, f->size}, 0, &count) ||
        count > (f->size - archive::kCountSize) / entrySize) {
        Release(f);
        return;
    }
    f->entryCount = count;
}

// The first entry whose name field answers the query, or -1.
int64_t FindEntry(const ArchiveFile& f, size_t entrySize, size_t nameSize, bool foldCase,
                  const char* name) {
    const uint8_t* entry = f.data + archive::kCountSize;
    for (uint32_t k = 0; k < f.entryCount; ++k, entry += entrySize) {
        if (archive::NameMatches(name, entry, nameSize, foldCase)) return k;
    }
    return -1;
}

// The caller's result for the LZW decoder's output, which may end with the packed bytes
// before the unpacked size: that size from the index, with any part of it the data did not
// fill cleared.
int64_t FinishEntry(ptrdiff_t written, uint32_t unpacked, std::span<uint8_t> buffer) {
    if (written < 0) return kArchiveEntryDamaged;
    if (static_cast<size_t>(written) < unpacked) {
        std::memset(buffer.data() + written, 0, unpacked - static_cast<size_t>(written));
    }
    return unpacked;
}

int64_t ReadPictureEntry(int64_t k, std::span<uint8_t> buffer) {
    const ArchiveFile& f = gDataArchive.pictures;
    const uint8_t* entry = f.data + archive::kCountSize + k * archive::kPictureEntrySize;
    const uint32_t unpacked = archive::ReadBe32(entry + archive::kPictureUnpackedAt);
    const uint32_t offset = archive::ReadBe32(entry + archive::kPictureOffsetAt);
    const uint32_t packed = archive::ReadBe32(entry + archive::kPicturePackedAt);
    const size_t dataStart = archive::kCountSize + f.entryCount * archive::kPictureEntrySize;
    const size_t available = f.size - dataStart;
    if (offset > available || packed > available - offset) return 0;
    if (unpacked > buffer.size()) return kArchiveEntryTooLarge;
    const ptrdiff_t written = DecompressLzwBlock({f.data + dataStart + offset, packed}, buffer);
    return FinishEntry(written, unpacked, buffer);
}

FILE* OpenVolume(int64_t volume) {
    char path[32];
    std::snprintf(path, sizeof path, archive::kVolumePathFormat, static_cast<int>(volume));
    return sys::OpenDataFile(path, "rb");
}

// Reads set bytes [offset, offset + size) of the volume set into out, running on from the
// end of one volume into the next. False when a volume is missing or too short.
bool ReadVolumeRange(int64_t offset, int64_t size, uint8_t* out) {
    int64_t volume = offset / archive::kVolumeSize;
    int64_t position = offset % archive::kVolumeSize;
    while (size > 0) {
        const int64_t chunk = std::min(size, archive::kVolumeSize - position);
        FILE* file = OpenVolume(volume);
        if (!file) return false;
        const bool ok =
            std::fseek(file, static_cast<long>(position), SEEK_SET) == 0 &&
            std::fread(out, 1, static_cast<size_t>(chunk), file) == static_cast<size_t>(chunk);
        std::fclose(file);
        if (!ok) return false;
        out += chunk;
        size -= chunk;
        volume += 1;
        position = 0;
    }
    return true;
}

// Whether every volume that set bytes [offset, offset + size) fall in exists and is long
// enough, checked before a buffer of the packed size is taken.
bool VolumesHoldRange(int64_t offset, int64_t size) {
    const int64_t end = offset + size;
    const int64_t lastVolume = (end - 1) / archive::kVolumeSize;
    for (int64_t volume = offset / archive::kVolumeSize; volume <= lastVolume; ++volume) {
        const int64_t needed =
            volume == lastVolume ? end - volume * archive::kVolumeSize : archive::kVolumeSize;
        FILE* file = OpenVolume(volume);
        if (!file) return false;
        const long length = GetOpenFileLength(file);
        std::fclose(file);
        if (length < needed) return false;
    }
    return true;
}

int64_t ReadVolumeEntry(int64_t k, std::span<uint8_t> buffer) {
    const ArchiveFile& f = gDataArchive.volumes;
    const uint8_t* entry = f.data + archive::kCountSize + k * archive::kVolumeEntrySize;
    const uint32_t unpacked = archive::ReadBe32(entry + archive::kVolumeUnpackedAt);
    const auto offset = static_cast<int32_t>(archive::ReadBe32(entry + archive::kVolumeOffsetAt));
    const auto packed = static_cast<int32_t>(archive::ReadBe32(entry + archive::kVolumePackedAt));
    if (offset < 0 || packed <= 0) return 0;
    if (unpacked > buffer.size()) return kArchiveEntryTooLarge;
    if (!VolumesHoldRange(offset, packed)) return 0;
    uint8_t* work = Allocate(static_cast<size_t>(packed));
    if (!work) return 0;
    int64_t result = 0;
    if (ReadVolumeRange(offset, packed, work)) {
        // The data ends only at its end token, which must come exactly at the unpacked size:
        // output that stops short or runs on (into the rest of the buffer) is damage.
        const ptrdiff_t written =
            DecompressLzBlock({work, static_cast<size_t>(packed)}, buffer.first(unpacked));
        result = written == static_cast<ptrdiff_t>(unpacked) ? unpacked : kArchiveEntryDamaged;
    }
    std::free(work);
    return result;
}

}  // namespace

void OpenDataArchives() {
    CloseDataArchives();
    OpenIndex(archive::kVolumeIndexPath, archive::kVolumeEntrySize, &gDataArchive.volumes);
    OpenIndex(archive::kPictureIndexPath, archive::kPictureEntrySize, &gDataArchive.pictures);
    gDataArchive.formTable = ArchiveFile{};
    FILE* form = sys::OpenDataFile(archive::kFormTablePath, "rb");
    if (!form) form = sys::OpenDataFile(archive::kFormTableFallbackPath, "rb");
    if (form) ReadWholeFile(form, &gDataArchive.formTable);
}

void CloseDataArchives() {
    Release(&gDataArchive.volumes);
    Release(&gDataArchive.pictures);
    Release(&gDataArchive.formTable);
}

int64_t ReadArchiveEntry(const char* name, std::span<uint8_t> buffer) {
    if (!name) return 0;
    // The decoders work in one global record each: one entry is read at a time, whichever
    // thread asks (the start-up decodes pictures on several).
    static std::mutex readLock;
    std::lock_guard<std::mutex> hold(readLock);
    if (gDataArchive.pictures.data) {
        const int64_t k = FindEntry(gDataArchive.pictures, archive::kPictureEntrySize,
                                    archive::kPictureNameSize, true, name);
        if (k >= 0) return ReadPictureEntry(k, buffer);
    }
    if (gDataArchive.volumes.data) {
        const int64_t k = FindEntry(gDataArchive.volumes, archive::kVolumeEntrySize,
                                    archive::kVolumeNameSize, false, name);
        if (k >= 0) return ReadVolumeEntry(k, buffer);
    }
    return 0;
}

std::span<const uint8_t> FormTableBytes() {
    return {gDataArchive.formTable.data, gDataArchive.formTable.size};
}

long GetOpenFileLength(FILE* file) {
    // Measured from the start, where the file is left.
    if (!file || std::fseek(file, 0, SEEK_SET) != 0) return -1;
    return sys::FileLength(file);
}

void SetArchiveAllocator(ArchiveAllocator allocator) {
    gAllocator = allocator;
}
