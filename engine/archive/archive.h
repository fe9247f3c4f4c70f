// The packed data archive and the form table.
//
// Two independent indexes are read whole at start-up: "bmpdata.bin", whose LZW-packed
// entries follow its index in the same file, and "pakindex.bin", whose LZ-packed entries lie
// in the numbered volume files "bin/data%03d.bin". A lookup by name tries the first, then the
// second, and unpacks the entry into the caller's buffer. The form table is read whole by the
// same start-up step and used in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

// One file read whole at start-up.
struct ArchiveFile {
    FILE* file;           // kept open until shut-down; null when the file is absent
    uint8_t* data;        // the whole file
    size_t size;          // its length in bytes
    uint32_t entryCount;  // index files: the count from the file's first word
};

struct DataArchive {
    ArchiveFile pictures;   // "bmpdata.bin"
    ArchiveFile volumes;    // "pakindex.bin"
    ArchiveFile formTable;  // "data/formdata.bin", else "formdata.bin"
};

extern DataArchive gDataArchive;

// Start-up: opens and reads both indexes and the form table. A missing file leaves that
// archive (or the form table) absent; an index whose entries or data do not fit the file is
// treated as absent too.
void OpenDataArchives();

// Shut-down: closes each file that was opened and frees its buffer.
void CloseDataArchives();

// Results of ReadArchiveEntry for an entry whose unpacked size is larger than the buffer,
// and for one whose packed data is damaged.
inline constexpr int64_t kArchiveEntryTooLarge = -1;
inline constexpr int64_t kArchiveEntryDamaged = -2;

// Looks the name up in "bmpdata.bin", then in "pakindex.bin", and unpacks the first entry
// that matches into buffer. Returns the entry's unpacked size; 0 when no entry matches or
// its data cannot be read (outside its file, a volume missing or short: the caller treats
// these as a missing file); kArchiveEntryTooLarge when the entry does not fit the buffer;
// kArchiveEntryDamaged when its packed data cannot be decoded, or (for "pakindex.bin", whose
// data ends with an end token) decodes to another size than its index gives. A
// "bmpdata.bin" entry whose data ends before its unpacked size has the rest of that size
// cleared. Any thread may read while the archives are open; reads take turns.
int64_t ReadArchiveEntry(const char* name, std::span<uint8_t> buffer);

// The form table's bytes (empty when it is absent).
std::span<const uint8_t> FormTableBytes();

// Length of an open file: seek to the end, tell, seek back to the start. -1 on failure.
long GetOpenFileLength(FILE* file);

// The allocator of the archive's buffers (the indexes, the form table and a volume entry's
// packed bytes); tests replace it to make allocations fail. nullptr restores malloc.
using ArchiveAllocator = void* (*)(size_t size);
void SetArchiveAllocator(ArchiveAllocator allocator);
