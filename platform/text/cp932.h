// Conversion between UTF-8 (how the sources are written) and CP932 (the bytes the game keeps
// and draws). Game tables convert at compile time with Cp932(u8"..."); tools and the
// platform layer convert at run time with the iconv-backed functions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace text {

struct Cp932Pair {
    uint16_t unicode;
    uint16_t code;  // one byte (< 0x100) or lead byte << 8 | trail byte
};

inline constexpr Cp932Pair kCp932Table[] = {
#include "cp932_table.inc"
};

namespace detail {
// Not constexpr: reaching it in a constant evaluation stops the compilation, which is how
// a character without a CP932 code is reported.
void CharacterHasNoCp932Code();
void TextTooLongForItsBuffer();

constexpr uint16_t LookupCp932(uint32_t cp) {
    if (cp < 0x80) return static_cast<uint16_t>(cp);
    size_t lo = 0, hi = sizeof kCp932Table / sizeof kCp932Table[0];
    while (lo < hi) {
        size_t mid = (lo + hi) / 2;
        if (kCp932Table[mid].unicode < cp) {
            lo = mid + 1;
        } else {
            hi = mid;
        }
    }
    if (lo == sizeof kCp932Table / sizeof kCp932Table[0] || kCp932Table[lo].unicode != cp)
        CharacterHasNoCp932Code();
    return kCp932Table[lo].code;
}
}  // namespace detail

// A CP932 string converted at compile time, zero-terminated, in a buffer of N bytes.
template <size_t N>
struct Cp932Text {
    char bytes[N] = {};
    size_t length = 0;

    constexpr Cp932Text() = default;

    template <size_t M>
    consteval Cp932Text(const char8_t (&utf8)[M]) {  // NOLINT: implicit on purpose
        size_t i = 0;
        while (i < M && utf8[i] != 0) {
            uint32_t c = static_cast<uint8_t>(utf8[i]);
            uint32_t cp;
            int extra;
            if (c < 0x80) {
                cp = c;
                extra = 0;
            } else if ((c & 0xE0) == 0xC0) {
                cp = c & 0x1F;
                extra = 1;
            } else if ((c & 0xF0) == 0xE0) {
                cp = c & 0x0F;
                extra = 2;
            } else {
                cp = c & 0x07;
                extra = 3;
            }
            ++i;
            for (int k = 0; k < extra; ++k, ++i)
                cp = cp << 6 | (static_cast<uint8_t>(utf8[i]) & 0x3F);
            uint16_t code = detail::LookupCp932(cp);
            if (code >= 0x100) {
                if (length + 2 >= N) detail::TextTooLongForItsBuffer();
                bytes[length++] = static_cast<char>(code >> 8);
                bytes[length++] = static_cast<char>(code & 0xFF);
            } else {
                if (length + 1 >= N) detail::TextTooLongForItsBuffer();
                bytes[length++] = static_cast<char>(code);
            }
        }
        bytes[length] = 0;
    }

    constexpr const char* c_str() const { return bytes; }
    constexpr std::string_view view() const { return std::string_view(bytes, length); }
};

// Cp932(u8"...") converts a literal to a buffer of its own UTF-8 size (CP932 is never longer).
template <size_t M>
consteval Cp932Text<M> Cp932(const char8_t (&utf8)[M]) {
    return Cp932Text<M>(utf8);
}

// Run-time conversions. A byte sequence that cannot be converted becomes '?' and the
// functions return false; the rest of the text is still converted.
bool Utf8ToCp932(std::string_view utf8, std::string* out);
bool Cp932ToUtf8(std::string_view cp932, std::string* out);

// True when the byte starts a two-byte CP932 character.
constexpr bool IsCp932LeadByte(uint8_t b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

}  // namespace text
