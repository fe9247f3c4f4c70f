#include "platform/profile/profile.h"

#include <fcntl.h>
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

bool Document::Load(const char* path) {
    lines_.clear();
    crlf_ = false;
    FILE* f = std::fopen(path, "rb");
    if (!f) return false;
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) return false;
    Parse(bytes);
    return true;
}

void Document::Parse(std::string_view bytes) {
    lines_.clear();
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
            *value = std::string_view(line.text).substr(line.valueBegin,
                                                        line.valueEnd - line.valueBegin);
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
    return out;
}

bool Document::Save(const char* path) const {
    std::string target(path);
    std::string temp = target + ".XXXXXX";
    int fd = ::mkstemp(temp.data());
    if (fd < 0) return false;
    // The new file keeps the old one's permissions, or takes the usual ones.
    struct stat st;
    mode_t mode;
    if (::stat(path, &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);
    bool ok = WriteAll(fd, Text()) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path) == 0) {
        SyncFolderOf(target);
        return true;
    }
    ::unlink(temp.c_str());
    return false;
}

int32_t ReadInt(const char* path, const char* section, const char* key, int32_t defaultValue) {
    Document doc;
    if (!doc.Load(path)) return defaultValue;
    return doc.ReadInt(section, key, defaultValue);
}

bool WriteString(const char* path, const char* section, const char* key, const char* value) {
    Document doc;
    if (!doc.Load(path)) {
        // A file that exists but cannot be read must not be replaced by a new one.
        if (::access(path, F_OK) == 0) return false;
    }
    doc.SetString(section, key, value);
    return doc.Save(path);
}

}  // namespace profile
