// The text font: a face found by fontconfig (a Japanese gothic face for the game's Windows
// face names), rendered by FreeType into a glyph atlas texture and drawn as textured quads
// on the graphics device. Texts are CP932 bytes.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/gfx/device.h"

namespace text {

struct FontRequest {
    const char* faceName;  // CP932; matched among faces for Japanese
    int32_t height;        // cell height in pixels (ascent + descent)
    int32_t weight;        // 1 (thin) .. 1000 (heaviest); 400 normal, 700 bold; 0 normal
};

enum class FontResult {
    Ok,
    NoFace,     // no face could be found or opened
    NoTexture,  // the glyph atlas could not be made on the device
};

class FontImpl;

// Loads the system's font configuration on a thread of its own, so that the first font
// anyone asks for (the window's menus, the game's text font) is found without that wait.
void WarmFontConfiguration();

class Font {
public:
    // Makes a font for the device. Null on failure, with the reason in *result.
    static std::unique_ptr<Font> Create(gfx::Device* device, const FontRequest& request,
                                        FontResult* result);
    ~Font();
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;

    // Draws the text from (x, y) (the top left of the first line's cell) in the ARGB
    // colour, clipped to the rectangle (x, y)-(clipRight, clipBottom). CR, LF and CR LF
    // each begin a new line one cell height lower; a tab moves to the next stop (every
    // eight average character widths from x); lines are not wrapped. The device's render
    // and texture-stage states, texture, and vertex format are left as they were.
    void Draw(std::string_view cp932, int32_t x, int32_t y, int32_t clipRight, int32_t clipBottom,
              gfx::Color color);

    int32_t CellHeight() const;
    int32_t Ascent() const;
    // The face's family name as fontconfig gave it (UTF-8).
    const char* FamilyName() const;
    // The face is drawn emboldened (a weight heavier than the face has).
    bool Emboldened() const;
    // The glyph atlas (for tests).
    const gfx::Texture* Atlas() const;

private:
    explicit Font(std::unique_ptr<FontImpl> impl);
    std::unique_ptr<FontImpl> impl_;
};

}  // namespace text
