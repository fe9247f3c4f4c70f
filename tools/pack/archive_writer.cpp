// The two archive writers: the index entries, the checks that every entry can be found by
// its own name, and the files.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <limits>
#include <system_error>

#include "engine/archive/archive_format.h"
#include "tools/pack/pack.h"

namespace pack {

namespace {

// The name as the index stores it: zero-padded to the field.
std::vector<uint8_t> NameField(std::string_view name, size_t fieldSize) {
    std::vector<uint8_t> field(fieldSize, 0);
    for (size_t i = 0; i < name.size(); ++i) field[i] = static_cast<uint8_t>(name[i]);
    return field;
}

// Checks a new name against the rules of an index whose entries are entrySize bytes with a
// name field of fieldSize, given the index so far.
bool CheckName(std::string_view name, const std::vector<std::string>& names,
               const std::vector<uint8_t>& index, size_t entrySize, size_t fieldSize, bool foldCase,
               std::string* error) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    if (name.empty()) {
        *error = "empty entry name";
        return false;
    }
    if (name.size() > fieldSize) {
        *error = "entry name " + quoted + " is " + std::to_string(name.size()) +
                 " bytes long; this index holds names of at most " + std::to_string(fieldSize);
        return false;
    }
    for (char c : name) {
        const auto b = static_cast<uint8_t>(c);
        if (b < 0x20 || b >= 0x7F) {
            *error = "entry name " + quoted +
                     " holds a byte outside printable ASCII, which no lookup can match";
            return false;
        }
    }
    for (size_t k = 0; k < names.size(); ++k) {
        if (archive::NameMatches(std::string(name).c_str(), index.data() + k * entrySize, fieldSize,
                                 foldCase)) {
            *error = "entry name " + quoted + " would find the earlier entry \"" + names[k] +
                     "\" instead (" +
                     (names[k] == name ? std::string("the same name")
                                       : "names are told apart by their first " +
                                             std::to_string(archive::kComparedNameLength) +
                                             " bytes and a stored name that begins with the "
                                             "query answers it") +
                     ")";
            return false;
        }
    }
    return true;
}

bool WriteFile(const std::filesystem::path& path, std::span<const uint8_t> head,
               std::span<const uint8_t> body, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        *error = "cannot make folder " + path.parent_path().string() + ": " + ec.message();
        return false;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(head.data()),
               static_cast<std::streamsize>(head.size()));
    file.write(reinterpret_cast<const char*>(body.data()),
               static_cast<std::streamsize>(body.size()));
    file.close();
    if (!file) {
        *error = "cannot write " + path.string();
        return false;
    }
    return true;
}

std::vector<uint8_t> CountWord(size_t count) {
    std::vector<uint8_t> word(archive::kCountSize);
    archive::WriteBe32(word.data(), static_cast<uint32_t>(count));
    return word;
}

std::vector<uint8_t> Concat(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    std::vector<uint8_t> all(a.begin(), a.end());
    all.insert(all.end(), b.begin(), b.end());
    return all;
}

// What tells the two indexes apart.
struct IndexLayout {
    size_t entrySize;
    size_t nameSize;
    size_t unpackedAt;
    size_t offsetAt;
    size_t packedAt;
    bool foldCase;      // the lookup lets upper-case queries find lower-case names
    uint64_t dataSize;  // the most packed data the offsets can address
    std::vector<uint8_t> (*pack)(std::span<const uint8_t>);
    const char* dataName;
};

const IndexLayout kVolumeLayout = {archive::kVolumeEntrySize,
                                   archive::kVolumeNameSize,
                                   archive::kVolumeUnpackedAt,
                                   archive::kVolumeOffsetAt,
                                   archive::kVolumePackedAt,
                                   false,
                                   std::numeric_limits<int32_t>::max(),
                                   PackLz,
                                   "the volume set's 2 GB"};

const IndexLayout kPictureLayout = {archive::kPictureEntrySize,
                                    archive::kPictureNameSize,
                                    archive::kPictureUnpackedAt,
                                    archive::kPictureOffsetAt,
                                    archive::kPicturePackedAt,
                                    true,
                                    std::numeric_limits<uint32_t>::max(),
                                    PackLzw,
                                    "the picture archive's 4 GB"};

bool AddEntry(const IndexLayout& layout, std::string_view name, std::span<const uint8_t> bytes,
              IndexedEntries* entries, std::string* error) {
    if (!CheckName(name, entries->names, entries->index, layout.entrySize, layout.nameSize,
                   layout.foldCase, error)) {
        return false;
    }
    const std::string quoted = "entry \"" + std::string(name) + "\"";
    if (bytes.empty()) {
        *error = quoted + " is empty, which reads as a missing file";
        return false;
    }
    if (bytes.size() > std::numeric_limits<uint32_t>::max()) {
        *error = quoted + " is larger than 4 GB";
        return false;
    }
    const std::vector<uint8_t> packed = layout.pack(bytes);
    const size_t offset = entries->data.size();
    if (offset + packed.size() > layout.dataSize) {
        *error = quoted + " would end beyond " + layout.dataName;
        return false;
    }
    std::vector<uint8_t> entry = NameField(name, layout.nameSize);
    entry.resize(layout.entrySize);
    archive::WriteBe32(&entry[layout.unpackedAt], static_cast<uint32_t>(bytes.size()));
    archive::WriteBe32(&entry[layout.offsetAt], static_cast<uint32_t>(offset));
    archive::WriteBe32(&entry[layout.packedAt], static_cast<uint32_t>(packed.size()));
    entries->index.insert(entries->index.end(), entry.begin(), entry.end());
    entries->data.insert(entries->data.end(), packed.begin(), packed.end());
    entries->names.emplace_back(name);
    return true;
}

}  // namespace

bool VolumeArchiveWriter::Add(std::string_view name, std::span<const uint8_t> bytes,
                              std::string* error) {
    return AddEntry(kVolumeLayout, name, bytes, &entries_, error);
}

bool VolumeArchiveWriter::Write(const std::filesystem::path& folder, std::string* error) const {
    if (!WriteFile(folder / archive::kVolumeIndexPath, CountWord(entries_.names.size()),
                   entries_.index, error)) {
        return false;
    }
    size_t start = 0;
    int volume = 0;
    while (start < entries_.data.size()) {
        const size_t length =
            std::min(entries_.data.size() - start, static_cast<size_t>(archive::kVolumeSize));
        char name[32];
        std::snprintf(name, sizeof name, archive::kVolumePathFormat, volume);
        if (!WriteFile(folder / name, std::span(entries_.data).subspan(start, length), {}, error)) {
            return false;
        }
        start += length;
        ++volume;
    }
    return true;
}

bool PictureArchiveWriter::Add(std::string_view name, std::span<const uint8_t> bytes,
                               std::string* error) {
    return AddEntry(kPictureLayout, name, bytes, &entries_, error);
}

bool PictureArchiveWriter::Write(const std::filesystem::path& folder, std::string* error) const {
    return WriteFile(folder / archive::kPictureIndexPath,
                     Concat(CountWord(entries_.names.size()), entries_.index), entries_.data,
                     error);
}

}  // namespace pack
