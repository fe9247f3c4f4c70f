// Settings files as a text editor's "Unicode" save writes them, for the settings tests.
#pragma once

#include <string>
#include <string_view>

namespace vqtest {

// ASCII text as UTF-16 behind its byte-order mark, little- or big-endian.
inline std::string Utf16(std::string_view ascii, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : ascii) {
        out += bigEndian ? '\0' : c;
        out += bigEndian ? c : '\0';
    }
    return out;
}

}  // namespace vqtest
