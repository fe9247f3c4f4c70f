// The archive packers: the coders the game's decoders read, and writers that assemble
// either archive from entries given by name and bytes.
//
//   pack::VolumeArchiveWriter volumes;               // "pakindex.bin" + "bin/data%03d.bin"
//   if (!volumes.Add("bmp/title.bmp", bytes, &error)) ...   // checks the archive's rules
//   if (!volumes.Write("build/game", &error)) ...
//
// A writer refuses (false, with the reason in *error) every entry the game could not find
// again by its own name: names that are empty, too long for the index's name field, hold
// bytes the lookup never matches, or that an earlier entry's name would answer (the lookup
// takes the first entry whose stored name begins with the query, comparing at most 24
// bytes, and "bmpdata.bin" also lets an upper-case query letter find a lower-case one).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pack {

// Packs bytes as one LZ77 block of the volume archive, closed by its end token.
std::vector<uint8_t> PackLz(std::span<const uint8_t> data);

// Packs bytes as one LZW block of the picture archive, closed by its end code. The
// dictionary stops growing after 3839 strings, so small pictures pack well and large ones
// may grow; the volume archive suits those.
std::vector<uint8_t> PackLzw(std::span<const uint8_t> data);

// The entries a writer has taken: their names, their index entries (without the count)
// and their packed data, in the order they were added.
struct IndexedEntries {
    std::vector<std::string> names;
    std::vector<uint8_t> index;
    std::vector<uint8_t> data;
};

// The volume archive: "pakindex.bin" with 64-byte entries (52-byte names) and the volume
// set "bin/data000.bin", "bin/data001.bin", ..., each exactly 10,485,760 bytes but the last.
// Entries lie in the set in the order they were added and may run from one volume into the
// next.
class VolumeArchiveWriter {
public:
    [[nodiscard]] bool Add(std::string_view name, std::span<const uint8_t> bytes,
                           std::string* error);
    // Writes the index and the volumes into folder (made when missing).
    [[nodiscard]] bool Write(const std::filesystem::path& folder, std::string* error) const;

    size_t EntryCount() const { return entries_.names.size(); }
    // Length of the whole volume set so far.
    int64_t SetSize() const { return static_cast<int64_t>(entries_.data.size()); }

private:
    IndexedEntries entries_;  // the data is the volume set
};

// The picture archive "bmpdata.bin": 32-byte entries (20-byte names) followed by the packed
// data of every entry.
class PictureArchiveWriter {
public:
    [[nodiscard]] bool Add(std::string_view name, std::span<const uint8_t> bytes,
                           std::string* error);
    [[nodiscard]] bool Write(const std::filesystem::path& folder, std::string* error) const;

    size_t EntryCount() const { return entries_.names.size(); }

private:
    IndexedEntries entries_;
};

}  // namespace pack
