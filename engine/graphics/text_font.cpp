#include "engine/graphics/text_font.h"

#include <cstring>

#include "engine/core/context.h"
#include "engine/core/message_box.h"
#include "platform/text/cp932.h"
#include "platform/text/font.h"

namespace {

constexpr auto kFaceMincho = text::Cp932(u8"ＭＳ 明朝");
constexpr auto kFacePGothic = text::Cp932(u8"ＭＳ Ｐゴシック");

constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;
constexpr int32_t kHeaviestWeight = 1000;

gfx::Color OpaqueColor(const int32_t (&rgb)[3]) {
    return gfx::MakeArgb(0xFF, static_cast<uint32_t>(rgb[0]), static_cast<uint32_t>(rgb[1]),
                         static_cast<uint32_t>(rgb[2]));
}

}  // namespace

constexpr TextFontSettings kInitialTextFontSettings = {
    {kFaceMincho.c_str(), kFacePGothic.c_str(), "Terminal", "Lucida Sans Unicode",
     "Microsoft Sans Serif", "MS UI Gothic", "Tahoma"},
    5,
    30,
    300,
    {99, 75, 48},
    {159, 114, 90},
};

TextFontSettings gTextFontSettings = kInitialTextFontSettings;

void ResetTextFontSettings() {
    gTextFontSettings = kInitialTextFontSettings;
}

TextFont gTextFont;

TextFont::TextFont() = default;
TextFont::~TextFont() = default;

int TextFont::CreateTextFont(gfx::Device* device, int32_t size, int32_t height) {
    (void)size;
    const TextFontSettings& s = gTextFontSettings;
    int32_t index = s.faceIndex >= 0 && s.faceIndex < 7 ? s.faceIndex : 5;
    text::FontRequest request{};
    request.faceName = s.faceNames[index];
    request.height = height;
    // Weights beyond the usual range are taken as the heaviest.
    request.weight = s.weight < 0 || s.weight > kHeaviestWeight ? kHeaviestWeight : s.weight;

    text::FontResult result = text::FontResult::NoFace;
    std::unique_ptr<text::Font> font = text::Font::Create(device, request, &result);
    if (result == text::FontResult::NoFace) return 0;
    font_ = std::move(font);
    if (!font_) {
        ShowMessageBox("D3DXCreateFontIndirect FALSE", "ok");
        return 0;
    }
    return 1;
}

void TextFont::DrawTextAt(const char* text, int32_t x, int32_t y, gfx::Color color) {
    if (!font_ || !text) return;
    font_->Draw(std::string_view(text, std::strlen(text)), x, y, kScreenWidth, kScreenHeight,
                color);
}

void TextFont::ReleaseTextFont() {
    font_.reset();
}

void RecreateTextFont() {
    gTextFont.CreateTextFont(Device3D(), 12, gTextFontSettings.height);
}

void SetLargeTextFont() {
    gTextFontSettings.height = 30;
    gTextFontSettings.weight = 300;
    RecreateTextFont();
}

void SetSmallTextFont() {
    gTextFontSettings.height = 15;
    gTextFontSettings.weight = 3000;
    RecreateTextFont();
}

void DrawShadowedText(float x, float y, const char* text, int32_t red, int32_t green, int32_t blue,
                      int32_t ignored) {
    (void)red;
    (void)green;
    (void)blue;
    (void)ignored;
    auto px = static_cast<int32_t>(x);
    auto py = static_cast<int32_t>(y);
    gTextFont.DrawTextAt(text, px + 1, py, OpaqueColor(gTextFontSettings.shadowColor));
    gTextFont.DrawTextAt(text, px, py, OpaqueColor(gTextFontSettings.textColor));
}
