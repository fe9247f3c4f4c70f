// The two archive formats the game reads: the picture archive "bmpdata.bin" (LZW-packed
// entries after a 32-byte-per-entry index) and the volume archive "pakindex.bin" (64-byte
// entries pointing into LZ-packed data spread over 10,485,760-byte volumes).
#pragma once

#include <string>
#include <vector>

#include "tools/mkdata/imagefile.h"

namespace mk {

constexpr size_t kVolumeSize = 10485760;

struct ArchiveEntry {
    std::string name;
    Bytes data;
};

Bytes PackLz(const Bytes& in);
Bytes PackLzw(const Bytes& in);
// Reference decoders, used to check every packed entry before it is written.
Bytes UnpackLz(const Bytes& in, size_t expected);
Bytes UnpackLzw(const Bytes& in, size_t expected);

// Checks the lookup rules of each index: every name fits its field and is found as
// itself by the game's name comparison (24 bytes; the picture archive folds upper-case
// queries). Returns an empty string or the first problem.
std::string CheckPictureArchiveNames(const std::vector<std::string>& names);
std::string CheckVolumeArchiveNames(const std::vector<std::string>& names);

Bytes BuildPictureArchive(const std::vector<ArchiveEntry>& entries);
// The index and the volumes; `straddler` receives the name of an entry that runs from
// one volume into the next ("" when none does).
void BuildVolumeArchive(const std::vector<ArchiveEntry>& entries, Bytes& index,
                        std::vector<Bytes>& volumes, std::string& straddler);

}  // namespace mk
