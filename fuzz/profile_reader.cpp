// The profile reader over arbitrary bytes: lookups, updates and a second reading of the
// result must agree, and every line the updates do not touch survives the save, in order and
// in the file's encoding (bytes, UTF-8 or UTF-16 behind a byte-order mark).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/profile.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16Marks[2] = {"\xFF\xFE", "\xFE\xFF"};

// The mark a file starts with ("" for none).
std::string_view MarkOf(std::string_view bytes) {
    for (std::string_view mark : {kByteOrderMark, kUtf16Marks[0], kUtf16Marks[1]}) {
        if (bytes.starts_with(mark)) return mark;
    }
    return {};
}

// The text of a file behind its mark. UTF-16 units are spelt out: ASCII as itself, any other
// unit as three bytes of 0x80 and above, so that the line and key structure stays the ASCII
// one; an odd last byte is no unit.
std::string TextOf(std::string_view bytes) {
    std::string_view mark = MarkOf(bytes);
    bytes.remove_prefix(mark.size());
    if (mark.size() != 2) return std::string(bytes);
    std::string text;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
        unsigned unit = mark == kUtf16Marks[1] ? a << 8 | b : b << 8 | a;
        if (unit < 0x80) {
            text += static_cast<char>(unit);
        } else {
            text += static_cast<char>(0x80 | unit >> 12);
            text += static_cast<char>(0x80 | (unit >> 6 & 0x3F));
            text += static_cast<char>(0x80 | (unit & 0x3F));
        }
    }
    return text;
}

// The lines of a file's text without their endings, as the reader sees them: a line ends at
// '\n' with a '\r' before it dropped, and a '\r' ending the file ends its last line.
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        pos = next;
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The key name of a line ("" for a section header or a comment), blanks removed.
std::string KeyName(std::string_view line) {
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == ';' || line.front() == '[') return "";
    line = line.substr(0, line.find('='));
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    std::string name;
    for (char c : line) name += Lower(c);
    return name;
}

// The line an update of a key's value makes of its old line.
std::string Updated(std::string_view line, std::string_view value) {
    size_t eq = line.find('=');
    std::string text;
    if (eq != std::string_view::npos) {
        text = std::string(line.substr(0, eq + 1));
    } else {
        while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
        text = std::string(line) + "=";
    }
    return text + std::string(value);
}

struct Update {
    const char* section;
    const char* key;
    const char* value;
};

constexpr Update kUpdates[] = {{"setup", "fps", "123"}, {"brand new", "key", "-5"}};

// Whether the saved lines are the old ones in order, with only the updates' lines added
// and each updated key's old line (at most one per update) replaced.
bool ForeignLinesSurvive(const std::vector<std::string_view>& before,
                         const std::vector<std::string_view>& after) {
    bool replaced[2] = {false, false};
    size_t j = 0;
    for (std::string_view line : before) {
        for (;;) {
            if (j == after.size()) return false;
            if (after[j] == line) {
                ++j;
                break;
            }
            // The updated key's own line, changed in place.
            std::string name = KeyName(line);
            bool changed = false;
            for (int u = 0; u < 2 && !changed; ++u) {
                if (!replaced[u] && name == kUpdates[u].key &&
                    after[j] == Updated(line, kUpdates[u].value)) {
                    replaced[u] = changed = true;
                }
            }
            if (changed) {
                ++j;
                break;
            }
            // A line the updates added: a key, its new section, or the blank before that.
            std::string_view added = after[j];
            if (added != "fps=123" && added != "key=-5" && added != "[setup]" &&
                added != "[brand new]" && !added.empty()) {
                return false;
            }
            ++j;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    profile::Document doc;
    doc.Parse(bytes);
    static const char* const kKeys[] = {"winmode", "fps", "pad00", "gametime", "se"};
    static const char* const kSections[] = {"setup", "option", "record", "config"};
    for (const char* section : kSections) {
        for (const char* key : kKeys) (void)doc.ReadInt(section, key, 7);
    }
    for (const Update& u : kUpdates) doc.SetString(u.section, u.key, u.value);
    std::string saved = doc.Text();
    profile::Document again;
    again.Parse(saved);
    if (again.ReadInt("setup", "fps", 0) != 123) __builtin_trap();
    if (again.ReadInt("BRAND NEW", "KEY", 0) != -5) __builtin_trap();
    // Writing the same again changes nothing.
    again.SetString("setup", "fps", "123");
    if (again.Text() != saved) __builtin_trap();
    // A byte-order mark stays with its encoding, and nothing else of the file is lost or
    // reordered.
    if (MarkOf(saved) != MarkOf(bytes)) __builtin_trap();
    if (MarkOf(saved).size() == 2 && saved.size() % 2 != 0) __builtin_trap();
    std::string before = TextOf(bytes), after = TextOf(saved);
    if (!ForeignLinesSurvive(Lines(before), Lines(after))) __builtin_trap();
    return 0;
}
