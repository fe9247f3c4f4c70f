#include "platform/xfile/xfile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_map>

#include "platform/system/system.h"

namespace xfile {

namespace {

// Deeper nesting than this is refused: real files nest a few levels per bone chain.
constexpr int kMaxDepth = 256;

enum class Token {
    End,
    Name,    // identifier or object name
    Number,  // numeric literal
    Text,    // "quoted"
    Guid,    // <...>
    Open,    // {
    Close,   // }
    Error,
};

bool IsNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool IsNumberStart(const char* p, const char* end) {
    char c = *p;
    if (c >= '0' && c <= '9') return true;
    if ((c == '-' || c == '+' || c == '.') && p + 1 < end) {
        char d = p[1];
        if (d >= '0' && d <= '9') return true;
        if (c != '.' && d == '.' && p + 2 < end && p[2] >= '0' && p[2] <= '9') return true;
    }
    return false;
}

class Lexer {
public:
    Lexer(const char* begin, const char* end) : p_(begin), end_(end) {}

    // Reads the next token; separators and comments are skipped.
    Token Next() {
        SkipBlank();
        tokenLine_ = line_;
        if (p_ >= end_) return Token::End;
        char c = *p_;
        if (c == '{') {
            ++p_;
            return Token::Open;
        }
        if (c == '}') {
            ++p_;
            return Token::Close;
        }
        if (c == '"') {
            const char* q = static_cast<const char*>(std::memchr(p_ + 1, '"', end_ - p_ - 1));
            if (!q) return Fail("text without its closing '\"'");
            for (const char* r = p_ + 1; r < q; ++r) {
                if (*r == '\n') ++line_;
            }
            text_ = std::string_view(p_ + 1, q - p_ - 1);
            p_ = q + 1;
            return Token::Text;
        }
        if (c == '<') {
            const char* q = static_cast<const char*>(std::memchr(p_, '>', end_ - p_));
            if (!q) return Fail("GUID without its closing '>'");
            text_ = std::string_view(p_ + 1, q - p_ - 1);
            if (text_.find('\n') != std::string_view::npos) return Fail("GUID broken across lines");
            p_ = q + 1;
            return Token::Guid;
        }
        if (IsNumberStart(p_, end_)) return LexNumber();
        // Names may also begin with a digit or '-' ("1_arm"): a run that is not a number.
        if (IsNameStart(c) || (c >= '0' && c <= '9') || c == '-') return LexName();
        char shown[8];
        if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7F) {
            std::snprintf(shown, sizeof shown, "'%c'", c);
        } else {
            std::snprintf(shown, sizeof shown, "0x%02X", static_cast<unsigned char>(c));
        }
        return Fail(std::string("unexpected character ") + shown);
    }

    // Skips a template declaration's body: the text up to the '}' that closes the '{' just read.
    bool SkipBlock() {
        int depth = 1;
        while (p_ < end_) {
            SkipBlank();
            if (p_ >= end_) break;
            char c = *p_++;
            if (c == '{') {
                ++depth;
            } else if (c == '}') {
                if (--depth == 0) return true;
            } else if (c == '"') {
                while (p_ < end_ && *p_ != '"') {
                    if (*p_ == '\n') ++line_;
                    ++p_;
                }
                if (p_ < end_) ++p_;
            }
        }
        return false;
    }

    std::string_view text() const { return text_; }
    double number() const { return number_; }
    uint32_t line() const { return tokenLine_; }
    const std::string& error() const { return error_; }

private:
    void SkipBlank() {
        while (p_ < end_) {
            char c = *p_;
            if (c == '\n') {
                ++line_;
                ++p_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == ',' || c == ';' || c == '\f' ||
                       c == '\v' || c == 0x1A) {
                ++p_;
            } else if (c == '#' || (c == '/' && p_ + 1 < end_ && p_[1] == '/')) {
                while (p_ < end_ && *p_ != '\n') ++p_;
            } else {
                break;
            }
        }
    }

    Token LexNumber() {
        const char* q = p_;
        bool negative = false;
        if (*q == '+' || *q == '-') {
            negative = *q == '-';
            ++q;
        }
        double v = 0.0;
        auto [end, ec] = std::from_chars(q, end_, v, std::chars_format::general);
        if (ec == std::errc::result_out_of_range) {
            return Fail("number out of range");
        }
        if (ec != std::errc() || end == q) return Fail("malformed number");
        if (!std::isfinite(v)) return Fail("number out of range");
        if (end < end_ && IsNameChar(*end)) {
            // Digits running on into letters make a name, as "2nd_wing" does; a run with a
            // sign or a point in it is neither.
            const char* r = p_;
            while (r < end_ && IsNameChar(*r) && *r != '.') ++r;
            if (*p_ != '+' && (r == end_ || !IsNameChar(*r))) return LexName();
            return Fail("malformed number");
        }
        number_ = negative ? -v : v;
        p_ = end;
        return Token::Number;
    }

    Token LexName() {
        const char* q = p_ + 1;
        while (q < end_ && IsNameChar(*q)) ++q;
        text_ = std::string_view(p_, q - p_);
        p_ = q;
        return Token::Name;
    }

    Token Fail(std::string message) {
        error_ = std::move(message);
        return Token::Error;
    }

    const char* p_;
    const char* end_;
    uint32_t line_ = 1;
    uint32_t tokenLine_ = 1;
    std::string_view text_;
    double number_ = 0.0;
    std::string error_;
};

struct PendingReference {
    int32_t owner;  // object holding the reference
    size_t child;   // index into its children
    std::string name;
    std::string guid;
    uint32_t line;
};

class Parser {
public:
    Parser(const char* begin, const char* end, Document* document)
        : lexer_(begin, end), doc_(document) {}

    bool Run() {
        Token t = lexer_.Next();
        while (t != Token::End) {
            if (t == Token::Error) return LexError();
            if (t != Token::Name) return Fail(lexer_.line(), "expected a template or data object");
            std::string type(lexer_.text());
            uint32_t line = lexer_.line();
            if (type == "template") {
                if (!SkipTemplate()) return false;
                t = lexer_.Next();
                continue;
            }
            int32_t index = -1;
            if (!ParseObject(std::move(type), line, 0, &index)) return false;
            doc_->topLevel.push_back(index);
            t = lexer_.Next();
        }
        return ResolveReferences();
    }

    ParseError error;

private:
    bool SkipTemplate() {
        uint32_t line = lexer_.line();
        if (lexer_.Next() != Token::Name) return Fail(line, "template without a name");
        if (lexer_.Next() != Token::Open) return Fail(line, "template without '{'");
        if (!lexer_.SkipBlock()) return Fail(line, "template without its closing '}'");
        return true;
    }

    // Parses a data object whose template name has just been read.
    bool ParseObject(std::string type, uint32_t line, int depth, int32_t* out) {
        if (depth >= kMaxDepth) return Fail(line, "objects nested too deeply");
        int32_t index = static_cast<int32_t>(doc_->objects.size());
        doc_->objects.emplace_back();
        doc_->objects[index].type = std::move(type);
        doc_->objects[index].line = line;

        Token t = lexer_.Next();
        if (t == Token::Name) {
            doc_->objects[index].name = std::string(lexer_.text());
            t = lexer_.Next();
        }
        if (t == Token::Error) return LexError();
        if (t != Token::Open) {
            return Fail(lexer_.line(), "expected '{' after '" + doc_->objects[index].type + "'");
        }
        t = lexer_.Next();
        if (t == Token::Guid) t = lexer_.Next();  // the object's own identifier: not used

        for (;;) {
            switch (t) {
                case Token::End:
                    return Fail(line,
                                "'" + doc_->objects[index].type + "' without its closing '}'");
                case Token::Error:
                    return LexError();
                case Token::Close:
                    *out = index;
                    return true;
                case Token::Number:
                    doc_->objects[index].values.push_back(Value{lexer_.number(), -1});
                    break;
                case Token::Text:
                    doc_->objects[index].values.push_back(
                        Value{0.0, static_cast<int32_t>(doc_->texts.size())});
                    doc_->texts.emplace_back(lexer_.text());
                    break;
                case Token::Guid:
                    return Fail(lexer_.line(), "unexpected GUID");
                case Token::Open:
                    if (!ParseReference(index)) return false;
                    break;
                case Token::Name: {
                    std::string childType(lexer_.text());
                    uint32_t childLine = lexer_.line();
                    int32_t child = -1;
                    if (!ParseObject(std::move(childType), childLine, depth + 1, &child)) {
                        return false;
                    }
                    doc_->objects[index].children.push_back(Child{child, false});
                    break;
                }
            }
            t = lexer_.Next();
        }
    }

    // A reference: "{ Name }", "{ <GUID> }" or "{ Name <GUID> }"; the '{' has been read.
    bool ParseReference(int32_t owner) {
        PendingReference ref{owner, doc_->objects[owner].children.size(), {}, {}, lexer_.line()};
        Token t = lexer_.Next();
        if (t == Token::Name) {
            ref.name = std::string(lexer_.text());
            t = lexer_.Next();
        }
        if (t == Token::Guid) {
            ref.guid = std::string(lexer_.text());
            t = lexer_.Next();
        }
        if (t == Token::Error) return LexError();
        if (t != Token::Close || (ref.name.empty() && ref.guid.empty())) {
            return Fail(ref.line, "malformed reference");
        }
        doc_->objects[owner].children.push_back(Child{-1, true});
        references_.push_back(std::move(ref));
        return true;
    }

    bool ResolveReferences() {
        if (references_.empty()) return true;
        // Room for a stand-in per reference, so that adding them never moves the names the
        // table below looks at.
        doc_->objects.reserve(doc_->objects.size() + references_.size());
        std::unordered_map<std::string_view, int32_t> byName;
        for (size_t i = 0; i < doc_->objects.size(); ++i) {
            const std::string& name = doc_->objects[i].name;
            if (!name.empty()) byName.emplace(name, static_cast<int32_t>(i));
        }
        for (const PendingReference& ref : references_) {
            if (ref.name.empty()) {
                // References by identifier alone name objects this reader does not keep.
                return Fail(ref.line, "reference by GUID only is not supported");
            }
            auto it = byName.find(ref.name);
            int32_t target = it == byName.end() ? MissingObject(ref.name) : it->second;
            doc_->objects[ref.owner].children[ref.child].object = target;
        }
        return true;
    }

    // The stand-in for a named object the file does not hold: an object without a type,
    // made once per name, that no top-level list or other object contains.
    int32_t MissingObject(const std::string& name) {
        auto it = missing_.find(name);
        if (it != missing_.end()) return it->second;
        auto index = static_cast<int32_t>(doc_->objects.size());
        doc_->objects.emplace_back();
        doc_->objects[index].name = name;
        missing_.emplace(name, index);
        return index;
    }

    bool LexError() { return Fail(lexer_.line(), lexer_.error()); }

    bool Fail(uint32_t line, std::string message) {
        error.line = line;
        error.message = std::move(message);
        return false;
    }

    Lexer lexer_;
    Document* doc_;
    std::vector<PendingReference> references_;
    std::unordered_map<std::string, int32_t> missing_;
};

bool CheckHeader(std::span<const uint8_t> text, Document* document, ParseError* error) {
    auto fail = [error](const char* message) {
        error->line = 1;
        error->message = message;
        return false;
    };
    if (text.size() < 16 || std::memcmp(text.data(), "xof ", 4) != 0) {
        return fail("not an .x file (no \"xof \" header)");
    }
    const char* h = reinterpret_cast<const char*>(text.data());
    if (std::memcmp(h + 4, "0302", 4) != 0 && std::memcmp(h + 4, "0303", 4) != 0) {
        return fail("unsupported .x version (0302 and 0303 are read)");
    }
    if (std::memcmp(h + 8, "txt ", 4) != 0) {
        if (std::memcmp(h + 8, "bin ", 4) == 0 || std::memcmp(h + 8, "bzip", 4) == 0 ||
            std::memcmp(h + 8, "tzip", 4) == 0) {
            return fail("binary and compressed .x files are not supported; save it as text");
        }
        return fail("unknown .x format (expected \"txt \")");
    }
    if (std::memcmp(h + 12, "0032", 4) == 0) {
        document->doubleFloats = false;
    } else if (std::memcmp(h + 12, "0064", 4) == 0) {
        document->doubleFloats = true;
    } else {
        return fail("unknown float size (expected 0032 or 0064)");
    }
    return true;
}

}  // namespace

std::string ParseError::Describe() const {
    if (line == 0) return message;
    return "line " + std::to_string(line) + ": " + message;
}

bool Parse(std::span<const uint8_t> text, Document* document, ParseError* error) {
    *document = Document{};
    ParseError local;
    if (!error) error = &local;
    *error = ParseError{};
    if (!CheckHeader(text, document, error)) return false;
    const char* begin = reinterpret_cast<const char*>(text.data());
    Parser parser(begin + 16, begin + text.size(), document);
    if (!parser.Run()) {
        *error = std::move(parser.error);
        bool doubles = document->doubleFloats;
        *document = Document{};
        document->doubleFloats = doubles;
        return false;
    }
    return true;
}

bool ParseFile(const char* path, Document* document, ParseError* error) {
    *document = Document{};
    ParseError local;
    if (!error) error = &local;
    if (!path) path = "(null)";
    sys::DataFileBytes bytes;
    switch (sys::ReadWholeDataFile(path, kMaxFileBytes, &bytes)) {
        case sys::DataFileRead::Read:
            return Parse(bytes.Bytes(), document, error);
        case sys::DataFileRead::Missing:
            *error = ParseError{0, std::string("cannot open ") + path};
            return false;
        case sys::DataFileRead::TooLarge:
            *error = ParseError{0, std::string("too large ") + path};
            return false;
        case sys::DataFileRead::Unreadable:
            break;
    }
    *error = ParseError{0, std::string("cannot read ") + path};
    return false;
}

bool ValueReader::ReadUint(uint32_t* out) {
    if (next_ >= values_->size()) return false;
    const Value& v = (*values_)[next_];
    if (v.text >= 0 || v.number < 0.0 || v.number > 4294967295.0 ||
        v.number != std::floor(v.number)) {
        return false;
    }
    *out = static_cast<uint32_t>(v.number);
    ++next_;
    return true;
}

bool ValueReader::ReadFloat(float* out) {
    if (next_ >= values_->size()) return false;
    const Value& v = (*values_)[next_];
    if (v.text >= 0) return false;
    // Values beyond the float range are clamped rather than becoming infinities.
    double d = v.number;
    if (d > 3.4028234663852886e38) d = 3.4028234663852886e38;
    if (d < -3.4028234663852886e38) d = -3.4028234663852886e38;
    *out = static_cast<float>(d);
    ++next_;
    return true;
}

bool ValueReader::ReadFloats(float* out, size_t count) {
    if (Remaining() < count) return false;
    for (size_t i = 0; i < count; ++i) {
        if ((*values_)[next_ + i].text >= 0) return false;
    }
    for (size_t i = 0; i < count; ++i) ReadFloat(&out[i]);
    return true;
}

bool ValueReader::ReadText(std::string_view* out) {
    if (next_ >= values_->size()) return false;
    const Value& v = (*values_)[next_];
    if (v.text < 0 || static_cast<size_t>(v.text) >= document_->texts.size()) return false;
    *out = document_->texts[v.text];
    ++next_;
    return true;
}

}  // namespace xfile
