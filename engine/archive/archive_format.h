// The layout of the data archive's files and the rules by which a lookup matches a name.
// Shared by the game's readers and the packers that write the archives, so both sides
// agree on every offset and on which entry a name finds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace archive {

// "pakindex.bin": a count, then 64-byte entries pointing into the volume set, whose data
// is LZ-packed.
inline constexpr const char* kVolumeIndexPath = "pakindex.bin";
inline constexpr const char* kVolumePathFormat = "bin/data%03d.bin";
inline constexpr size_t kVolumeEntrySize = 64;
inline constexpr size_t kVolumeNameSize = 52;
inline constexpr size_t kVolumeUnpackedAt = 52;
inline constexpr size_t kVolumeOffsetAt = 56;
inline constexpr size_t kVolumePackedAt = 60;
// Every volume but the last is exactly this long; the set is one address space.
inline constexpr int64_t kVolumeSize = 0xA00000;

// "bmpdata.bin": a count, 32-byte entries, then the LZW-packed data of all entries.
inline constexpr const char* kPictureIndexPath = "bmpdata.bin";
inline constexpr size_t kPictureEntrySize = 32;
inline constexpr size_t kPictureNameSize = 20;
inline constexpr size_t kPictureUnpackedAt = 20;
inline constexpr size_t kPictureOffsetAt = 24;
inline constexpr size_t kPicturePackedAt = 28;

inline constexpr size_t kCountSize = 4;

// A lookup compares at most this many bytes of a name.
inline constexpr size_t kComparedNameLength = 24;

// The form table, read whole and used in place.
inline constexpr const char* kFormTablePath = "data/formdata.bin";
inline constexpr const char* kFormTableFallbackPath = "formdata.bin";

// LZ packing: tokens of a flag byte (most significant bit first, 1 = match).
inline constexpr int kLzMaxDistance = 4095;
inline constexpr int kLzMinMatch = 2;
inline constexpr int kLzMaxShortMatch = 16;  // two-byte token
inline constexpr int kLzMaxMatch = 272;      // three-byte token: third byte + 17

// LZW packing: 12-bit codes, most significant bit first.
inline constexpr int kLzwCodeBits = 12;
inline constexpr int kLzwEndCode = 256;
inline constexpr int kLzwFirstFreeCode = 257;
inline constexpr int kLzwDictionarySize = 4096;

// Big-endian words. The caller checks that the bytes exist.
inline uint32_t ReadBe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

inline uint16_t ReadBe16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}

inline void WriteBe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    p[1] = static_cast<uint8_t>(v >> 16);
    p[2] = static_cast<uint8_t>(v >> 8);
    p[3] = static_cast<uint8_t>(v);
}

// Bounds-checked big-endian reads from a loaded file: false when the word does not lie
// wholly inside the bytes.
inline bool ReadBe32At(std::span<const uint8_t> bytes, size_t offset, uint32_t* out) {
    if (offset > bytes.size() || bytes.size() - offset < 4) return false;
    *out = ReadBe32(bytes.data() + offset);
    return true;
}

inline bool ReadBe16At(std::span<const uint8_t> bytes, size_t offset, uint16_t* out) {
    if (offset > bytes.size() || bytes.size() - offset < 2) return false;
    *out = ReadBe16(bytes.data() + offset);
    return true;
}

// Whether a stored name field answers a query. Bytes are compared one by one for at most
// kComparedNameLength bytes; the query's terminating zero ends the comparison with success,
// so a stored name that merely begins with the query matches. A query byte of 0x80 or above
// matches nothing. With foldCase an upper-case query letter also matches the same letter
// stored in lower case (not the other way round). The comparison stays inside the query
// (up to its zero) and inside the field: a query still going on where the field ends does
// not match.
inline bool NameMatches(const char* query, const uint8_t* field, size_t fieldSize, bool foldCase) {
    for (size_t i = 0; i < kComparedNameLength; ++i) {
        const auto q = static_cast<uint8_t>(query[i]);
        if (q == 0) return true;
        if (q >= 0x80 || i >= fieldSize) return false;
        const uint8_t s = field[i];
        if (q == s) continue;
        if (foldCase && q >= 'A' && q <= 'Z' && s == q + ('a' - 'A')) continue;
        return false;
    }
    return true;
}

}  // namespace archive
