// The text ".x" reader: headers, templates, comments, names, nesting, references, values and
// the errors on malformed files.
#include "platform/xfile/xfile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool ParseText(const std::string& text, xfile::Document* doc, xfile::ParseError* error) {
    return xfile::Parse(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()), doc,
        error);
}

const xfile::Object& Top(const xfile::Document& doc, size_t i) {
    return doc.objects[doc.topLevel[i]];
}

const xfile::Object& ChildOf(const xfile::Document& doc, const xfile::Object& o, size_t i) {
    return doc.objects[o.children[i].object];
}

TEST(XFileHeader, AcceptsTextVersionsAndFloatSizes) {
    xfile::Document doc;
    xfile::ParseError error;
    EXPECT_TRUE(ParseText("xof 0302txt 0032\n", &doc, &error)) << error.Describe();
    EXPECT_FALSE(doc.doubleFloats);
    EXPECT_TRUE(ParseText("xof 0303txt 0064\nHeader { 1; 0; 1; }\n", &doc, &error));
    EXPECT_TRUE(doc.doubleFloats);
    ASSERT_EQ(doc.topLevel.size(), 1u);
    EXPECT_EQ(Top(doc, 0).type, "Header");
}

TEST(XFileHeader, RefusesBinaryCompressedAndForeignFiles) {
    xfile::Document doc;
    xfile::ParseError error;
    EXPECT_FALSE(ParseText("xof 0302bin 0032\x01\x02", &doc, &error));
    EXPECT_NE(error.message.find("binary"), std::string::npos);
    EXPECT_FALSE(ParseText("xof 0302tzip0032", &doc, &error));
    EXPECT_NE(error.message.find("compressed"), std::string::npos);
    EXPECT_FALSE(ParseText("xof 0201txt 0032\n", &doc, &error));
    EXPECT_FALSE(ParseText("xof 0302txt 0016\n", &doc, &error));
    EXPECT_FALSE(ParseText("BM\x10\x00", &doc, &error));
    EXPECT_FALSE(ParseText("", &doc, &error));
    EXPECT_EQ(error.line, 1u);
}

TEST(XFileParse, SkipsTemplatesAndCommentsAndReadsNestedObjects) {
    const std::string text =
        "xof 0302txt 0032\n"
        "template Vector {\n"
        " <3D82AB5E-62DA-11cf-AB39-0020AF71E433>\n"
        " FLOAT x; FLOAT y; FLOAT z;\n"
        "}\n"
        "template Mesh { <3D82AB44-62DA-11cf-AB39-0020AF71E433> DWORD n; [...] }\n"
        "// a comment { with braces }\n"
        "# another comment\n"
        "Frame Root {\n"
        "  FrameTransformMatrix { 1.0, 0.0, 0.0, 0.0,\n"
        "    0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0, 10.5, -2, 3e2, 1.0;; }\n"
        "  Frame Child { }\n"
        "  Mesh {  // unnamed\n"
        "    1; -1.5; 2.25; .5;;\n"
        "  }\n"
        "}\n";
    xfile::Document doc;
    xfile::ParseError error;
    ASSERT_TRUE(ParseText(text, &doc, &error)) << error.Describe();
    ASSERT_EQ(doc.topLevel.size(), 1u);
    const xfile::Object& root = Top(doc, 0);
    EXPECT_EQ(root.type, "Frame");
    EXPECT_EQ(root.name, "Root");
    EXPECT_EQ(root.line, 9u);
    ASSERT_EQ(root.children.size(), 3u);
    const xfile::Object& matrix = ChildOf(doc, root, 0);
    EXPECT_EQ(matrix.type, "FrameTransformMatrix");
    ASSERT_EQ(matrix.values.size(), 16u);
    EXPECT_DOUBLE_EQ(matrix.values[12].number, 10.5);
    EXPECT_DOUBLE_EQ(matrix.values[13].number, -2.0);
    EXPECT_DOUBLE_EQ(matrix.values[14].number, 300.0);
    EXPECT_EQ(ChildOf(doc, root, 1).name, "Child");
    const xfile::Object& mesh = ChildOf(doc, root, 2);
    EXPECT_EQ(mesh.type, "Mesh");
    EXPECT_TRUE(mesh.name.empty());
    ASSERT_EQ(mesh.values.size(), 4u);
    EXPECT_DOUBLE_EQ(mesh.values[3].number, 0.5);
}

TEST(XFileParse, ResolvesReferencesForwardAndBackward) {
    const std::string text =
        "xof 0302txt 0032\n"
        "Material Red { 1.0;0.0;0.0;1.0;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;;\n"
        "  TextureFilename { \"red tex.bmp\"; } }\n"
        "Mesh M {\n"
        "  MeshMaterialList { 2; 1; 0;;\n"
        "    {Red}\n"
        "    { Blue <11111111-2222-3333-4444-555555555555> }\n"
        "  }\n"
        "}\n"
        "Material Blue { 0.0;0.0;1.0;1.0;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";
    xfile::Document doc;
    xfile::ParseError error;
    ASSERT_TRUE(ParseText(text, &doc, &error)) << error.Describe();
    const xfile::Object& list = ChildOf(doc, Top(doc, 1), 0);
    ASSERT_EQ(list.children.size(), 2u);
    EXPECT_TRUE(list.children[0].reference);
    EXPECT_EQ(ChildOf(doc, list, 0).name, "Red");
    EXPECT_EQ(ChildOf(doc, list, 1).name, "Blue");
    EXPECT_EQ(ChildOf(doc, list, 1).type, "Material");

    const xfile::Object& red = Top(doc, 0);
    xfile::ValueReader texture(doc, ChildOf(doc, red, 0));
    std::string_view name;
    ASSERT_TRUE(texture.ReadText(&name));
    EXPECT_EQ(name, "red tex.bmp");
}

// A reference to a name the file does not hold is kept, pointing at a stand-in of that name
// with no type, so that the reader of the object decides what a missing target means.
TEST(XFileParse, ReferencesToMissingObjectsPointAtStandIns) {
    const std::string text =
        "xof 0302txt 0032\n"
        "Frame A { { Missing } { Gone } }\n"
        "Frame B { { Missing } { A } }\n";
    xfile::Document doc;
    xfile::ParseError error;
    ASSERT_TRUE(ParseText(text, &doc, &error)) << error.Describe();
    ASSERT_EQ(doc.topLevel.size(), 2u);
    const xfile::Object& a = Top(doc, 0);
    const xfile::Object& b = Top(doc, 1);
    ASSERT_EQ(a.children.size(), 2u);
    EXPECT_TRUE(a.children[0].reference);
    const xfile::Object& missing = ChildOf(doc, a, 0);
    EXPECT_EQ(missing.name, "Missing");
    EXPECT_TRUE(missing.type.empty());
    EXPECT_TRUE(missing.values.empty());
    EXPECT_TRUE(missing.children.empty());
    EXPECT_EQ(ChildOf(doc, a, 1).name, "Gone");
    // One stand-in per name; references to objects that exist still find them.
    EXPECT_EQ(&ChildOf(doc, b, 0), &missing);
    EXPECT_EQ(&ChildOf(doc, b, 1), &a);
    EXPECT_EQ(doc.objects.size(), 4u);
}

// Object names are runs of letters, digits, '_' and '-' that are not numbers, so exported
// names such as "1_arm" are names, and references find them.
TEST(XFileParse, NamesMayBeginWithDigits) {
    const std::string text =
        "xof 0302txt 0032\n"
        "Frame 1_arm { Frame 2nd-wing { } }\n"
        "AnimationSet 0a { Animation { {1_arm} AnimationKey { 2; 1; 0;3;1,-2,3;;; } } }\n";
    xfile::Document doc;
    xfile::ParseError error;
    ASSERT_TRUE(ParseText(text, &doc, &error)) << error.Describe();
    EXPECT_EQ(Top(doc, 0).name, "1_arm");
    EXPECT_EQ(ChildOf(doc, Top(doc, 0), 0).name, "2nd-wing");
    EXPECT_EQ(Top(doc, 1).name, "0a");
    const xfile::Object& animation = ChildOf(doc, Top(doc, 1), 0);
    EXPECT_EQ(&ChildOf(doc, animation, 0), &Top(doc, 0));
    const xfile::Object& key = ChildOf(doc, animation, 1);
    ASSERT_EQ(key.values.size(), 7u);
    EXPECT_DOUBLE_EQ(key.values[5].number, -2.0);
}

TEST(XFileParse, ReportsMalformedInputWithItsLine) {
    struct Case {
        const char* body;
        uint32_t line;
        const char* words;
    };
    const Case cases[] = {
        {"Frame A {\n  Frame B {\n", 2, "closing '}'"},
        {"Frame A {\n\n  \"open text\n}\n", 3, "closing '\"'"},
        {"Frame A {\n  1.0x;\n}\n", 2, "malformed number"},
        {"Frame A {\n  @\n}\n", 2, "unexpected character '@'"},
        {"}\n", 1, "expected a template"},
        {"Frame A B C {\n}\n", 1, "expected '{'"},
        {"Frame A {\n  { }\n}\n", 2, "malformed reference"},
        {"template T {\n <1-2> DWORD x;\n", 1, "template"},
        {"Frame A {\n  1e999;\n}\n", 2, "out of range"},
    };
    for (const Case& c : cases) {
        xfile::Document doc;
        xfile::ParseError error;
        std::string text = std::string("xof 0302txt 0032\n") + c.body;
        ASSERT_FALSE(ParseText(text, &doc, &error)) << c.body;
        EXPECT_EQ(error.line, c.line + 1) << c.body;
        EXPECT_NE(error.message.find(c.words), std::string::npos) << error.Describe();
        EXPECT_TRUE(doc.objects.empty());
    }
}

TEST(XFileParse, RefusesNestingBeyondItsDepth) {
    std::string text = "xof 0302txt 0032\n";
    for (int i = 0; i < 300; ++i) text += "Frame {\n";
    for (int i = 0; i < 300; ++i) text += "}\n";
    xfile::Document doc;
    xfile::ParseError error;
    EXPECT_FALSE(ParseText(text, &doc, &error));
    EXPECT_NE(error.message.find("nested"), std::string::npos);
}

TEST(XFileValues, ReaderChecksKindRangeAndEnd) {
    const std::string text =
        "xof 0302txt 0032\n"
        "Data { 3; -1; 2.5; 4294967295; 4294967296; \"name\"; 1e40; }\n";
    xfile::Document doc;
    ASSERT_TRUE(ParseText(text, &doc, nullptr));
    xfile::ValueReader r(doc, Top(doc, 0));
    uint32_t u = 0;
    float f = 0.0f;
    std::string_view s;
    EXPECT_TRUE(r.ReadUint(&u));
    EXPECT_EQ(u, 3u);
    EXPECT_FALSE(r.ReadUint(&u));  // negative
    EXPECT_FALSE(r.ReadText(&s));  // a number is not a text
    EXPECT_TRUE(r.ReadFloat(&f));
    EXPECT_FLOAT_EQ(f, -1.0f);
    EXPECT_FALSE(r.ReadUint(&u));  // fractional
    EXPECT_TRUE(r.ReadFloat(&f));
    EXPECT_TRUE(r.ReadUint(&u));
    EXPECT_EQ(u, 4294967295u);
    EXPECT_FALSE(r.ReadUint(&u));  // beyond 32 bits
    EXPECT_TRUE(r.ReadFloat(&f));
    float pair[2] = {7.0f, 7.0f};
    EXPECT_FALSE(r.ReadFloats(pair, 2));  // the text stops it; nothing written
    EXPECT_EQ(pair[0], 7.0f);
    EXPECT_FALSE(r.ReadFloat(&f));
    EXPECT_TRUE(r.ReadText(&s));
    EXPECT_EQ(s, "name");
    EXPECT_TRUE(r.ReadFloat(&f));  // clamped to the float range
    EXPECT_EQ(f, 3.4028234663852886e38f);
    EXPECT_EQ(r.Remaining(), 0u);
    EXPECT_FALSE(r.ReadFloat(&f));
}

TEST(XFileParse, MissingFileIsAnError) {
    xfile::Document doc;
    xfile::ParseError error;
    EXPECT_FALSE(xfile::ParseFile("no/such/model.x", &doc, &error));
    EXPECT_EQ(error.line, 0u);
    EXPECT_NE(error.Describe().find("no/such/model.x"), std::string::npos);
}

}  // namespace
