// Text for the demo pictures: glyph outlines from the Japanese gothic face that the game's
// own font stack picks (fontconfig ":lang=ja"), turned into paths of the 2D library.
#pragma once

#include <string>

#include "tools/mkdata/image.h"

namespace mk {

enum class Face { Gothic, GothicMono };
enum class Align { Left, Center, Right };

struct TextStyle {
    float size = 24;  // pixel height of the em square
    Paint fill = Solid(Rgb(0xFFFFFF));
    // When set, the fill is a vertical gradient over the em box instead of `fill`.
    bool gradient = false;
    Color gradTop = {1, 1, 1, 1}, gradBottom = {1, 1, 1, 1};
    Color outline = {0, 0, 0, 0};
    float outlineWidth = 0;
    Color shadow = {0, 0, 0, 0};
    float shadowDx = 0, shadowDy = 0, shadowBlur = 0;
    Color glow = {0, 0, 0, 0};
    float glowRadius = 0;
    float bold = 0;      // outline strengthening in pixels
    float spacing = 0;   // extra advance between characters in pixels
    float stretchX = 1;  // horizontal scale of the glyphs
    Face face = Face::Gothic;
};

// The outline of a line of UTF-8 text whose baseline starts at (x, y).
Path TextPath(const std::string& utf8, const TextStyle& st, float x, float y,
              float* advance = nullptr);
float TextWidth(const std::string& utf8, const TextStyle& st);

// Draws text; y is the vertical centre of the text's em box.
void DrawText(Image& img, const std::string& utf8, float x, float y, Align align,
              const TextStyle& st);
// Draws text centred in a box, shrinking the size so that it fits the box's width.
void DrawTextFit(Image& img, const std::string& utf8, float bx, float by, float bw, float bh,
                 Align align, TextStyle st);

// The font file that fontconfig picks for the face, for the record.
std::string FontFile(Face face);

}  // namespace mk
