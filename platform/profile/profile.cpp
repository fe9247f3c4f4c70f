#include "platform/profile/profile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace profile {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) return false;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

// The longest settings file read; a longer one is no settings file and is not replaced.
constexpr size_t kMaxFileBytes = size_t{16} << 20;

// Appends a code point (or a lone surrogate, kept as the unit it was) in UTF-8.
void AppendUtf8(uint32_t c, std::string* out) {
    if (c < 0x80) {
        out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out->push_back(static_cast<char>(0xC0 | c >> 6));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out->push_back(static_cast<char>(0xE0 | c >> 12));
        out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out->push_back(static_cast<char>(0xF0 | c >> 18));
        out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
        out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// UTF-16 text (without its mark) as UTF-8. Surrogates that pair make one code point; a lone
// one is kept as its own unit, so that writing the text back gives the same units. An odd
// last byte is no unit and is dropped.
std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::string out;
    out.reserve(bytes.size());
    auto unit = [&](size_t i) {
        auto a = static_cast<uint8_t>(bytes[i]), b = static_cast<uint8_t>(bytes[i + 1]);
        return static_cast<uint32_t>(bigEndian ? a << 8 | b : b << 8 | a);
    };
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t u = unit(i);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low < 0xE000) {
                AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), &out);
                i += 2;
                continue;
            }
        }
        AppendUtf8(u, &out);
    }
    return out;
}

// The next code point of UTF-8 text at *i (moved past it). A byte that begins no whole
// sequence reads as U+FFFD; a lone surrogate's sequence gives the surrogate.
uint32_t NextCodePoint(std::string_view text, size_t* i) {
    auto lead = static_cast<uint8_t>(text[*i]);
    ++*i;
    if (lead < 0x80) return lead;
    size_t more = (lead & 0xE0) == 0xC0   ? 1
                  : (lead & 0xF0) == 0xE0 ? 2
                  : (lead & 0xF8) == 0xF0 ? 3
                                          : 0;
    if (more == 0 || text.size() - *i < more) return 0xFFFD;
    uint32_t code = lead & (0x3Fu >> more);
    for (size_t k = 0; k < more; ++k) {
        auto next = static_cast<uint8_t>(text[*i + k]);
        if ((next & 0xC0) != 0x80) return 0xFFFD;
        code = code << 6 | (next & 0x3Fu);
    }
    *i += more;
    return code <= 0x10FFFF ? code : 0xFFFD;
}

// UTF-8 text as UTF-16 (without its mark).
std::string EncodeUtf16(std::string_view text, bool bigEndian) {
    std::string out;
    out.reserve(text.size() * 2);
    auto put = [&](uint32_t u) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    };
    for (size_t i = 0; i < text.size();) {
        uint32_t c = NextCodePoint(text, &i);
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

// A value enclosed in a matching pair of double or single quotes stands for what is
// between them.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value.remove_prefix(1);
        value.remove_suffix(1);
    }
    return value;
}

// The folder part of a path, with its trailing '/' ("" for a bare name).
std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file a path names once its symbolic links are followed (the path itself when it is
// no link; a link to a missing file gives that file's path). False with errno in *error
// when a link cannot be read or the links loop.
bool FollowLinks(const std::string& path, std::string* target, int* error) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            *target = current;
            return true;
        }
        std::string link(256, '\0');
        for (;;) {
            ssize_t n = ::readlink(current.c_str(), link.data(), link.size());
            if (n < 0) {
                *error = errno;
                return false;
            }
            if (static_cast<size_t>(n) < link.size()) {
                link.resize(static_cast<size_t>(n));
                break;
            }
            link.resize(link.size() * 2);
        }
        current = !link.empty() && link[0] == '/' ? link : FolderOf(current) + link;
    }
    *error = ELOOP;
    return false;
}

// Whether a file may not be written. The owner's write bit decides for the owner (also for
// the superuser's own files, whom the system would let write anyway): a file its owner
// made read-only stays read-only. For anyone else the system's permission check decides.
bool IsReadOnly(const std::string& path, const struct stat& st) {
    if (st.st_uid == ::geteuid()) return (st.st_mode & S_IWUSR) == 0;
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

// Whether an entry name is one of the temporary files "<base>.XXXXXX" of a write of base.
bool IsTemporaryName(std::string_view name, std::string_view base) {
    if (name.size() != base.size() + 7 || name.substr(0, base.size()) != base ||
        name[base.size()] != '.') {
        return false;
    }
    for (char c : name.substr(base.size() + 1)) {
        bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!alnum) return false;
    }
    return true;
}

// Removes the temporary files that writes of target left behind when they were killed
// before their rename. A write in progress holds a lock on its temporary file until it has
// renamed it, so only abandoned ones are taken.
void RemoveAbandonedTemporaries(const std::string& target, const std::string& own) {
    std::string folder = FolderOf(target);
    std::string base = target.substr(folder.size());
    std::string ownName = own.substr(folder.size());
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name == ownName || !IsTemporaryName(name, base)) continue;
        std::string path = folder + std::string(name);
        int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// Writes all bytes to a descriptor, retrying short writes.
bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Flushes a folder's entries to disk, so a rename in it survives a crash.
void SyncFolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

int32_t ParseInt(std::string_view text) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    uint32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

Document::Line Document::NewLine(std::string text) const {
    return ParseLine(std::move(text), crlf_ ? "\r\n" : "\n");
}

Document::Line Document::ParseLine(std::string text, const char* eol) {
    Line line{std::move(text), Kind::Blank, 0, 0, 0, 0, false, eol};
    const std::string& t = line.text;
    size_t n = t.size();
    size_t start = 0;
    while (start < n && IsBlank(t[start])) ++start;
    if (start == n) return line;
    auto span = [&](size_t begin, size_t end, uint32_t* b, uint32_t* e) {
        while (begin < end && IsBlank(t[begin])) ++begin;
        while (end > begin && IsBlank(t[end - 1])) --end;
        *b = static_cast<uint32_t>(begin);
        *e = static_cast<uint32_t>(end);
    };
    if (t[start] == ';') {
        line.kind = Kind::Comment;
    } else if (t[start] == '[') {
        line.kind = Kind::Section;
        size_t close = t.find(']', start + 1);
        span(start + 1, close == std::string::npos ? n : close, &line.nameBegin, &line.nameEnd);
    } else {
        size_t eq = t.find('=', start);
        if (eq == std::string::npos) {
            // A name without a value: it answers as a key with an empty value.
            line.kind = Kind::Other;
            span(start, n, &line.nameBegin, &line.nameEnd);
        } else {
            line.kind = Kind::Key;
            line.hasValue = true;
            span(start, eq, &line.nameBegin, &line.nameEnd);
            span(eq + 1, n, &line.valueBegin, &line.valueEnd);
        }
    }
    return line;
}

std::string_view Document::Name(const Line& line) const {
    return std::string_view(line.text).substr(line.nameBegin, line.nameEnd - line.nameBegin);
}

bool Document::Load(const char* path, int* error) {
    lines_.clear();
    crlf_ = false;
    encoding_ = Encoding::Bytes;
    auto fail = [error](int code) {
        if (error) *error = code != 0 ? code : EIO;
        return false;
    };
    // Opened without waiting, so that a pipe in the file's place cannot hold the reader up;
    // only a regular file of a settings file's size is read.
    int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return fail(errno);
    struct stat st;
    int code = 0;
    if (::fstat(fd, &st) != 0) {
        code = errno;
    } else if (S_ISDIR(st.st_mode)) {
        code = EISDIR;
    } else if (!S_ISREG(st.st_mode)) {
        code = EINVAL;
    } else if (static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
        code = EFBIG;
    }
    std::string bytes;
    char buffer[4096];
    while (code == 0) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) code = errno;
        if (n <= 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
        // A file that grows while it is read is taken up to the bound only.
        if (bytes.size() > kMaxFileBytes) code = EFBIG;
    }
    ::close(fd);
    if (code != 0) return fail(code);
    Parse(bytes);
    if (error) *error = 0;
    return true;
}

void Document::Parse(std::string_view bytes) {
    lines_.clear();
    // A UTF-16 file is read as its text; it is held as UTF-8 and written back as it came.
    std::string decoded;
    encoding_ = Encoding::Bytes;
    if (bytes.starts_with(kByteOrderMark)) {
        encoding_ = Encoding::Utf8Mark;
        bytes.remove_prefix(kByteOrderMark.size());
    } else if (bytes.starts_with(kUtf16LeMark) || bytes.starts_with(kUtf16BeMark)) {
        bool bigEndian = bytes.starts_with(kUtf16BeMark);
        encoding_ = bigEndian ? Encoding::Utf16Be : Encoding::Utf16Le;
        decoded = DecodeUtf16(bytes.substr(kUtf16LeMark.size()), bigEndian);
        bytes = decoded;
    }
    size_t firstNewline = bytes.find('\n');
    crlf_ = firstNewline != std::string_view::npos && firstNewline > 0 &&
            bytes[firstNewline - 1] == '\r';
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find('\n', pos);
        const char* eol = "";
        size_t next = bytes.size();
        if (end == std::string_view::npos) {
            end = bytes.size();
            // A carriage return ending the file ends its last line: the line is written back
            // with a newline after it, which would make the pair a line ending anyway.
            if (end > pos && bytes[end - 1] == '\r') {
                --end;
                eol = "\r\n";
            }
        } else {
            next = end + 1;
            eol = "\n";
            if (end > pos && bytes[end - 1] == '\r') {
                --end;
                eol = "\r\n";
            }
        }
        lines_.push_back(ParseLine(std::string(bytes.substr(pos, end - pos)), eol));
        pos = next;
    }
}

int Document::FindSection(std::string_view section) const {
    section = Trim(section);
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section && SameName(Name(lines_[i]), section)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool Document::Find(std::string_view section, std::string_view key, std::string_view* value) const {
    int header = FindSection(section);
    if (header < 0) return false;
    key = Trim(key);
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Section) break;
        if ((line.kind == Kind::Key || line.kind == Kind::Other) && SameName(Name(line), key)) {
            *value = Unquote(std::string_view(line.text).substr(line.valueBegin,
                                                                line.valueEnd - line.valueBegin));
            return true;
        }
    }
    return false;
}

int32_t Document::ReadInt(std::string_view section, std::string_view key,
                          int32_t defaultValue) const {
    std::string_view value;
    if (!Find(section, key, &value) || value.empty()) return defaultValue;
    return ParseInt(value);
}

void Document::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    int header = FindSection(section);
    if (header < 0) {
        // A new section at the end, set off from what comes before by a blank line.
        if (!lines_.empty() && lines_.back().kind != Kind::Blank) lines_.push_back(NewLine(""));
        lines_.push_back(NewLine("[" + std::string(section) + "]"));
        lines_.push_back(NewLine(std::string(key) + "=" + std::string(value)));
        return;
    }
    size_t insertAt = static_cast<size_t>(header) + 1;
    for (size_t i = insertAt; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        if (line.kind == Kind::Section) break;
        if (line.kind != Kind::Key && line.kind != Kind::Other) continue;
        if (SameName(Name(line), key)) {
            // Keep the key as spelled (and any blanks before '='); replace the value.
            std::string text;
            if (line.kind == Kind::Key) {
                text = line.text.substr(0, line.text.find('=') + 1);
            } else {
                text = line.text.substr(0, line.nameEnd) + "=";
            }
            text += value;
            line = ParseLine(std::move(text), line.eol);
            return;
        }
        insertAt = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  NewLine(std::string(key) + "=" + std::string(value)));
}

std::string Document::Text() const {
    std::string out;
    const char* newline = crlf_ ? "\r\n" : "\n";
    for (const Line& line : lines_) {
        out += line.text;
        // Every line ends as it did; a last line without an ending gets one when written.
        out += *line.eol ? line.eol : newline;
    }
    switch (encoding_) {
        case Encoding::Bytes:
            break;
        case Encoding::Utf8Mark:
            out.insert(0, kByteOrderMark);
            break;
        case Encoding::Utf16Le:
            out = std::string(kUtf16LeMark) + EncodeUtf16(out, false);
            break;
        case Encoding::Utf16Be:
            out = std::string(kUtf16BeMark) + EncodeUtf16(out, true);
            break;
    }
    return out;
}

bool Document::Save(const char* path, SaveError* error) const {
    auto fail = [error](SaveError::Cause cause, int code) {
        if (error) *error = SaveError{cause, code};
        return false;
    };
    // The file at the end of the links is replaced; the links stay as they are.
    std::string target;
    int code = 0;
    if (!FollowLinks(path, &target, &code)) return fail(SaveError::Cause::System, code);
    // The new file keeps the old one's permissions, or takes the usual ones. A file
    // without write permission is not replaced behind its owner's back.
    struct stat st;
    mode_t mode;
    if (::stat(target.c_str(), &st) == 0) {
        if (S_ISREG(st.st_mode) && IsReadOnly(target, st)) {
            return fail(SaveError::Cause::ReadOnly, 0);
        }
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    std::string temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return fail(SaveError::Cause::System, errno);
    // The lock, held until the rename is done, tells other writers this file is in use.
    ::flock(fd, LOCK_EX | LOCK_NB);
    RemoveAbandonedTemporaries(target, temp);
    ::fchmod(fd, mode);
    bool ok =
        WriteAll(fd, Text()) && ::fsync(fd) == 0 && ::rename(temp.c_str(), target.c_str()) == 0;
    code = errno;
    if (!ok) ::unlink(temp.c_str());
    // The data is on disk after fsync: closing cannot lose it any more.
    ::close(fd);
    if (!ok) return fail(SaveError::Cause::System, code);
    SyncFolderOf(target);
    if (error) *error = SaveError{};
    return true;
}

int32_t ReadInt(const char* path, const char* section, const char* key, int32_t defaultValue) {
    Document doc;
    if (!doc.Load(path)) return defaultValue;
    return doc.ReadInt(section, key, defaultValue);
}

bool WriteString(const char* path, const char* section, const char* key, const char* value,
                 SaveError* error) {
    Document doc;
    int code = 0;
    if (!doc.Load(path, &code)) {
        // A file that exists but cannot be read must not be replaced by a new one.
        if (::access(path, F_OK) == 0) {
            if (error) *error = SaveError{SaveError::Cause::Unreadable, code};
            return false;
        }
    }
    doc.SetString(section, key, value);
    return doc.Save(path, error);
}

}  // namespace profile
