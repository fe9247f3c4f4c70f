// The game's one text font: CP932 text drawn with a one-pixel shadow, in a large (30
// pixels) and a small (15 pixels, heavy) form that the scenes switch between.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gfx/device.h"

namespace text {
class Font;
}

struct TextFontSettings {
    const char* faceNames[7];  // CP932
    int32_t faceIndex;
    int32_t height;  // cell height in pixels
    int32_t weight;  // 1..1000 (heavier values are taken as 1000)
    int32_t textColor[3];
    int32_t shadowColor[3];
};

extern TextFontSettings gTextFontSettings;
// Puts the font settings back to their program-start values.
void ResetTextFontSettings();

class TextFont {
public:
    TextFont();
    ~TextFont();
    TextFont(const TextFont&) = delete;
    TextFont& operator=(const TextFont&) = delete;

    // Makes the font at the given cell height with the face and weight of the settings.
    // Returns 0 when no face could be found (the old font stays); when the font cannot be
    // made on the device a message box says so and the game goes on without a font.
    int CreateTextFont(gfx::Device* device, int32_t size, int32_t height);
    // Draws zero-terminated CP932 text from (x, y), clipped to the screen; nothing without
    // a font.
    void DrawTextAt(const char* text, int32_t x, int32_t y, gfx::Color color);
    void ReleaseTextFont();
    bool HasFont() const { return font_ != nullptr; }
    text::Font* Font() { return font_.get(); }

private:
    std::unique_ptr<text::Font> font_;
};

extern TextFont gTextFont;

// Re-creates the font at the settings' height.
void RecreateTextFont();
// Height 30, weight 300.
void SetLargeTextFont();
// Height 15, weight 3000.
void SetSmallTextFont();
// Draws the text at (x, y) truncated to whole pixels in the text colour of the settings,
// over its shadow one pixel to the right. The colour arguments are not used.
void DrawShadowedText(float x, float y, const char* text, int32_t red, int32_t green, int32_t blue,
                      int32_t ignored);
