// Windows-style profile (ini) files: "[section]" headers and "key=value" lines.
//
// Reading: section and key names match without regard to ASCII letter case; blanks (spaces
// and tabs) around names and values are ignored; the first matching section and the first
// matching key in it count. A value enclosed in a pair of double (or single) quotes reads
// as what is between them. An integer value is an optional sign and the decimal digits
// that follow it (anything after them is ignored, no digits read as 0); a missing file,
// section or key, or an empty value, gives the caller's default. A UTF-8 byte-order mark
// at the start of the file is no part of its first line. A file that starts with a UTF-16
// byte-order mark (little- or big-endian) is read as the text it holds, as Windows reads
// such a profile; any other file is read byte for byte. Only a regular file of at most
// 16 MiB is read.
//
// Writing: a key is updated in place, or appended after the last key of its section, or
// appended with a new section at the end of the file. Every other line (comments, blank
// lines, unknown sections, text that is no key) stays as it was, in the encoding the file
// came in (with its byte-order mark, UTF-8 or UTF-16). A file is replaced by
// writing a temporary file beside it and renaming it over the old one, so an interrupted
// write never leaves a torn or empty file; temporary files that interrupted writes left
// behind are removed by the next write. A file reached through symbolic links is replaced
// at the links' end, the links stay. A file without write permission is not replaced.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace profile {

// The integer of a value text: optional blanks, optional sign, leading decimal digits
// (wrapping modulo 2^32 as the 32-bit conversion does); 0 when no digit follows.
int32_t ParseInt(std::string_view text);

// Why a file could not be written.
struct SaveError {
    enum class Cause : uint8_t {
        None,
        Unreadable,  // the file exists but could not be read (code: errno)
        ReadOnly,    // the file has no write permission; it was left as it was
        System,      // a call failed (code: errno)
    };
    Cause cause = Cause::None;
    int code = 0;
};

// A whole profile file held in memory, line by line.
class Document {
public:
    // Reads the file; false when it cannot be read (the document is then empty), with the
    // errno of the failure in *error (ENOENT: there is no such file).
    bool Load(const char* path, int* error = nullptr);
    // Takes the file's bytes directly.
    void Parse(std::string_view bytes);

    // The value of a key, blanks and enclosing quotes removed; false when the section or key
    // is missing.
    bool Find(std::string_view section, std::string_view key, std::string_view* value) const;
    // The integer value of a key, or the default when it is missing or empty.
    int32_t ReadInt(std::string_view section, std::string_view key, int32_t defaultValue) const;

    // Sets a key's value text (in place, appended to its section, or in a new section).
    void SetString(std::string_view section, std::string_view key, std::string_view value);

    // The file's text as it would be saved.
    std::string Text() const;
    // Replaces the file atomically (temporary file, then rename). False on failure, in
    // which case the old file is left untouched and *error says why.
    bool Save(const char* path, SaveError* error = nullptr) const;

private:
    enum class Kind : uint8_t { Blank, Comment, Section, Key, Other };
    struct Line {
        std::string text;
        Kind kind;
        // Section: the name; Key: the key name. Offsets into text.
        uint32_t nameBegin, nameEnd;
        // Key: the value, blanks removed; empty for a key line without '='.
        uint32_t valueBegin, valueEnd;
        bool hasValue;
        // The line's own ending: "\r\n", "\n", or "" for a last line without one.
        const char* eol;
    };
    static Line ParseLine(std::string text, const char* eol);
    Line NewLine(std::string text) const;
    std::string_view Name(const Line& line) const;
    // Index of the first section header with this name, or -1.
    int FindSection(std::string_view section) const;

    // How the file's text is stored: bytes as they are, or UTF-8 or UTF-16 text behind a
    // byte-order mark. The lines hold UTF-16 text as UTF-8.
    enum class Encoding : uint8_t { Bytes, Utf8Mark, Utf16Le, Utf16Be };

    std::vector<Line> lines_;
    bool crlf_ = false;  // new lines end in CR LF, as the file's first line does
    Encoding encoding_ = Encoding::Bytes;
};

// One-shot helpers over a file path. A file that exists but cannot be read is not
// replaced.
int32_t ReadInt(const char* path, const char* section, const char* key, int32_t defaultValue);
bool WriteString(const char* path, const char* section, const char* key, const char* value,
                 SaveError* error = nullptr);

}  // namespace profile
