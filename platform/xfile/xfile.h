// Reader of ".x" model files in the text format ("xof 0302txt 0032", also 0303 and 64-bit
// floats "0064"). It yields the file's data objects as a tree: each object has its template
// name, its optional name, its data values in file order, and its children, which are nested
// data objects or references to a named object elsewhere in the file ({ Name }).
//
// The reader does not interpret templates: template declarations are skipped, and the loaders
// read an object's values in the order the standard templates lay them out. Separators (','
// and ';') only delimit values; comments start with "//" or "#". Names are runs of letters,
// digits, '_' and '-' that do not read as a number ("1_arm" is a name). Binary and compressed
// files are refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xfile {

// One data value: a number, or a text given in double quotes.
struct Value {
    double number;  // 0 for a text
    int32_t text;   // index into Document::texts, -1 for a number
};

// A child of a data object: a nested object or a reference to another object of the file.
// A reference to a name no object of the file has points at a stand-in object of that name
// with an empty type (no values, no children); what a missing object means is the reader's
// to decide.
struct Child {
    int32_t object;  // index into Document::objects
    bool reference;
};

struct Object {
    std::string type;  // template name: "Mesh", "Frame", "AnimationKey", ...; empty for the
                       // stand-in of an object the file does not hold
    std::string name;  // empty when the object has none
    uint32_t line;     // line of the file where the object begins
    std::vector<Value> values;
    std::vector<Child> children;
};

struct Document {
    std::vector<Object> objects;    // every data object, nested ones included
    std::vector<int32_t> topLevel;  // the top-level objects in file order
    std::vector<std::string> texts;
    bool doubleFloats = false;  // the header announced 64-bit floats
};

struct ParseError {
    uint32_t line = 0;  // 0 when the error concerns the whole file
    std::string message;
    // "line N: message" (or the message alone).
    std::string Describe() const;
};

// Parses a whole file held in memory. On failure the document is left empty and the error
// says where and why.
bool Parse(std::span<const uint8_t> text, Document* document, ParseError* error);
// The longest file ParseFile takes. The parsed tree holds every value of a file several times
// over in memory; a model's file beyond this is no model the game can draw (the largest map
// mesh the course reader takes, 10240 vertices and triangles, is about 2 MB as text).
constexpr size_t kMaxFileBytes = size_t{64} << 20;

// Reads a data file (with the data-file fallbacks of the system layer) and parses it. A file
// that is missing, no regular file, longer than kMaxFileBytes or unreadable is refused.
bool ParseFile(const char* path, Document* document, ParseError* error);

// Reads an object's values in order, checking kind and range. Every Read fails (and leaves
// the output untouched) once the values run out or the next value has the wrong kind.
class ValueReader {
public:
    ValueReader(const Document& document, const Object& object)
        : document_(&document), values_(&object.values) {}

    bool ReadUint(uint32_t* out);  // a whole number 0 .. 2^32 - 1
    bool ReadFloat(float* out);
    bool ReadFloats(float* out, size_t count);
    bool ReadText(std::string_view* out);
    size_t Remaining() const { return values_->size() - next_; }

private:
    const Document* document_;
    const std::vector<Value>* values_;
    size_t next_ = 0;
};

}  // namespace xfile
