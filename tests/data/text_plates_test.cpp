// The texts the scenes draw on window plates, set in the real text face over the plates of
// the demo data: every line stays inside its plate, clear of the plate's edges, and the
// text colour stands out from the plate under it.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "engine/graphics/text_font.h"
#include "platform/text/cp932.h"
#include "platform/text/font.h"
#include "play/display/play_display.h"
#include "scenes/event/story/story.h"
#include "scenes/shop/shop.h"
#include "scenes/title/title.h"
#include "tests/data/data_fixture.h"

namespace vqtest {
namespace {

// A picture drawn as a sprite quad: its source texels onto a screen rectangle (a negative
// width or height mirrors it), its colour white with the given alpha.
struct Layer {
    const char* path;
    int width, height;  // as the scene loads it
    float l, t, r, b;   // source texel corners
    float x, y, w, h;   // destination
    int alpha;
};

struct Line {
    std::string text;  // CP932
    int x, y;
};

// One screen's texts on one plate, with the pictures drawn under the plate. Black stands
// for what changes under a plate (the world under the weapon select, the event pictures
// under the text box): it is the darkest that could be there. The craft models that turn
// behind the craft select's window are left out.
struct PlatedTexts {
    std::string screen;
    bool largeFont;
    std::vector<Layer> under;
    Layer plate;
    std::vector<Line> lines;
};

const Layer kTitleBackground = {"bmp/title2.bmp", 1024, 512, 0, 0, 640, 480, 0, 0, 640, 480, 255};
const Layer kSetupWindow = {
    "bmp/fam_nomal.tga", 1024, 512, 0, 288, 480, 416, 80, 320, 480, 128, 255};
const Layer kCraftWindow = {
    "bmp/fam_nomal.tga", 1024, 512, 0, 288, 480, 416, 48, 352, 360, 128, 0x9B};
const Layer kWeaponPlate[2] = {
    {"bmp/itemslot01.tga", 512, 512, 0, 416, 280, 512, 160, 96, 280, 96, 255},
    {"bmp/itemslot01.tga", 512, 512, 0, 416, 280, 512, 480, 288, -280, -96, 255},
};
const Layer kShopBackground = {"bmp/shop_bg.bmp", 1024, 512, 0, 0, 640, 480, 0, 0, 640, 480, 255};
const Layer kShopKeeper[2] = {
    {"bmp/shop.tga", 1024, 512, 0, 0, 312, 360, 328, 120, 312, 360, 255},    // waiting
    {"bmp/shop.tga", 1024, 512, 312, 0, 624, 360, 328, 120, 312, 360, 255},  // greeting, thanks
};
const Layer kShopWindow = {"bmp/shop.tga", 1024, 512, 624, 0, 1024, 160, 16, 288, 400, 160, 0xBF};
const Layer kEventTextBox = {
    "bmp/ivent/ive_window.tga", 1024, 512, 0, 160, 640, 320, 0, 312, 640, 160, 255};

// Every text drawn on a plate, where the scenes draw it.
std::vector<PlatedTexts> TextsOnPlates() {
    std::vector<PlatedTexts> all;

    PlatedTexts setup{"player set-up", true, {kTitleBackground}, kSetupWindow, {}};
    for (const auto& rows : kPlayerSetupTexts) {
        setup.lines.push_back({rows[0], 116, 360});
        setup.lines.push_back({rows[1], 116, 394});
    }
    all.push_back(setup);

    PlatedTexts craft{"craft select", false, {kTitleBackground}, kCraftWindow, {}};
    for (const auto& rows : kCraftTexts)
        for (int i = 0; i < 4; ++i) craft.lines.push_back({rows[i], 64, 384 + 20 * i});
    all.push_back(craft);

    for (int p = 0; p < 2; ++p) {
        PlatedTexts weapons{
            "weapon select, player " + std::to_string(p + 1), false, {}, kWeaponPlate[p], {}};
        int x = p ? 212 : 208, y = p ? 210 : 118;
        weapons.lines.push_back({kWeaponRandomText.c_str(), x, y});
        weapons.lines.push_back({kWeaponUnavailableText.c_str(), x, y});
        for (const WeaponDescription& d : kWeaponDescriptionTable)
            for (int i = 0; i < kWeaponDescriptionLines; ++i)
                weapons.lines.push_back({d[static_cast<size_t>(i)].c_str(), x, y + 18 * i});
        all.push_back(weapons);
    }

    // The greeting and the farewell show the keeper's second pose; an item's lines show
    // either pose (the second while thanking).
    for (int pose = 0; pose < 2; ++pose) {
        PlatedTexts shop{pose ? "shop, greeting keeper" : "shop, waiting keeper",
                         false,
                         {kShopBackground, kShopKeeper[pose]},
                         kShopWindow,
                         {}};
        for (size_t row = pose ? 0 : 2; row < kShopTexts.size(); ++row)
            for (int i = 0; i < 3; ++i)
                shop.lines.push_back(
                    {kShopTexts[row][static_cast<size_t>(i)].c_str(), 64, 328 + 32 * i});
        all.push_back(shop);
    }

    // The event lines at the rows the scripts show them on, in the order a story run plays
    // the events.
    PlatedTexts event{"event", true, {}, kEventTextBox, {}};
    int32_t next = 0;
    for (const auto& script : kEventScripts) {
        for (const EventCommand& c : script) {
            if (c.op != EventOp::ShowEventText) continue;
            int32_t first = c.a == -1 ? next : c.a;
            for (int32_t i = 0; i < c.b; ++i) {
                if (first + i < 0 || first + i >= kEventTextLineCount) continue;
                event.lines.push_back(
                    {kEventTextLines[static_cast<size_t>(first + i)].c_str(), 64, 338 + 30 * i});
            }
            next = first + c.b;
        }
    }
    all.push_back(event);
    return all;
}

// The screen pixels a line's ink covers, its shadow one pixel to the right included.
struct Ink {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
    bool empty = true;
};

// Screen colour over the pictures of a plate, composed as the device blends them.
class PlateView {
public:
    explicit PlateView(const PlatedTexts& p) {
        for (const Layer& l : p.under) Add(l);
        Add(p.plate);
    }
    ~PlateView() { ReleaseTextureGroup(TextureGroup::Common); }
    PlateView(const PlateView&) = delete;
    PlateView& operator=(const PlateView&) = delete;

    // Opaque RGB of the screen pixel, and the alpha the plate (the last layer) gave it.
    void Pixel(int px, int py, float rgb[3], float* plateAlpha) const {
        rgb[0] = rgb[1] = rgb[2] = 0;
        *plateAlpha = 0;
        for (const Loaded& l : layers_) {
            uint32_t texel = 0;
            if (!Texel(l, px, py, &texel)) {
                *plateAlpha = 0;
                continue;
            }
            float a =
                static_cast<float>(texel >> 24) / 255 * static_cast<float>(l.layer.alpha) / 255;
            for (int c = 0; c < 3; ++c) {
                auto v = static_cast<float>(texel >> (16 - 8 * c) & 0xFF);
                rgb[c] = v * a + rgb[c] * (1 - a);
            }
            *plateAlpha = static_cast<float>(texel >> 24);
        }
    }

private:
    struct Loaded {
        Layer layer;
        TextureHolder holder;
    };

    void Add(const Layer& l) {
        // The registry keeps the holder's address: each holder stays where it is loaded.
        Loaded& x = layers_.emplace_back(Loaded{l, {}});
        LoadTexture(TextureGroup::Common, &x.holder, l.path, l.width, l.height);
        ASSERT_NE(x.holder.texture, nullptr) << l.path;
    }

    // The texel a sprite quad puts on the pixel's centre.
    static bool Texel(const Loaded& l, int px, int py, uint32_t* texel) {
        const Layer& q = l.layer;
        float fx = (static_cast<float>(px) + 0.5f - q.x) / q.w;
        float fy = (static_cast<float>(py) + 0.5f - q.y) / q.h;
        if (fx < 0 || fx >= 1 || fy < 0 || fy >= 1) return false;
        auto u = static_cast<int>(std::floor(q.l + fx * (q.r - q.l)));
        auto v = static_cast<int>(std::floor(q.t + fy * (q.b - q.t)));
        u = std::clamp(u, 0, q.width - 1);
        v = std::clamp(v, 0, q.height - 1);
        *texel = l.holder.texture->LevelData(0)[static_cast<size_t>(v) * q.width + u];
        return true;
    }

    std::deque<Loaded> layers_;
};

double RelativeLuminance(const float rgb[3]) {
    double lin[3];
    for (int c = 0; c < 3; ++c) {
        double s = rgb[c] / 255.0;
        lin[c] = s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    }
    return 0.2126 * lin[0] + 0.7152 * lin[1] + 0.0722 * lin[2];
}

double ContrastRatio(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

class TextPlateTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        ResetTextFontSettings();
        device_->SetRecording(true);
    }
    void TearDown() override {
        gTextFont.ReleaseTextFont();
        ResetTextFontSettings();
        DataTest::TearDown();
    }

    // Sets the line in the text font of the game and measures its ink.
    Ink Measure(const Line& line) {
        text::Font* font = gTextFont.Font();
        Ink ink;
        if (!font) return ink;
        device_->ClearDraws();
        // No clipping: a line running off the screen is measured whole.
        font->Draw(line.text, line.x, line.y, 1 << 14, 1 << 14, 0xFFFFFFFFu);
        for (const gfx::DrawRecord& d : device_->Draws()) {
            size_t n = d.vertexStride ? d.vertices.size() / d.vertexStride : 0;
            for (size_t k = 0; k < n; ++k) {
                float x, y;
                std::memcpy(&x, &d.vertices[k * d.vertexStride], 4);
                std::memcpy(&y, &d.vertices[k * d.vertexStride + 4], 4);
                // Quad edges lie half a pixel before the pixel centres they cover.
                auto px = static_cast<int>(std::lround(x + 0.5f));
                auto py = static_cast<int>(std::lround(y + 0.5f));
                if (ink.empty) ink = {px, py, px, py, false};
                ink.left = std::min(ink.left, px);
                ink.top = std::min(ink.top, py);
                ink.right = std::max(ink.right, px);
                ink.bottom = std::max(ink.bottom, py);
            }
        }
        device_->ClearDraws();
        ink.right += 1;  // the shadow
        return ink;
    }

    void UseFont(bool large) {
        if (large)
            SetLargeTextFont();
        else
            SetSmallTextFont();
        ASSERT_TRUE(gTextFont.HasFont());
    }
};

// Pixels of clear plate kept between a line's ink and the plate's edge or rim.
constexpr int kEdgeMargin = 3;
// A plate texel at least this opaque is plate; below it, the plate's edge.
constexpr uint32_t kPlateAlpha = 224;
constexpr double kLeastContrast = 4.5;

TEST_F(TextPlateTest, EveryLineFitsInsideItsPlateAndStandsOutFromIt) {
    float textRgb[3];
    for (int c = 0; c < 3; ++c) textRgb[c] = static_cast<float>(gTextFontSettings.textColor[c]);
    const double textLuminance = RelativeLuminance(textRgb);

    for (const PlatedTexts& p : TextsOnPlates()) {
        SCOPED_TRACE(p.screen);
        ASSERT_FALSE(p.lines.empty());
        UseFont(p.largeFont);
        PlateView view(p);
        if (HasFatalFailure()) return;
        double leastRatio = 1e9;
        for (const Line& line : p.lines) {
            Ink ink = Measure(line);
            if (ink.empty) continue;  // a blank line
            // Inside the plate, clear of its edge.
            int outside = 0;
            for (int y = ink.top - kEdgeMargin; y < ink.bottom + kEdgeMargin; ++y)
                for (int x = ink.left - kEdgeMargin; x < ink.right + kEdgeMargin; ++x) {
                    float rgb[3], alpha;
                    view.Pixel(x, y, rgb, &alpha);
                    outside += alpha < static_cast<float>(kPlateAlpha);
                }
            std::string utf8;
            text::Cp932ToUtf8(line.text, &utf8);
            EXPECT_EQ(outside, 0) << "\"" << utf8 << "\" inks x " << ink.left << ".." << ink.right
                                  << ", y " << ink.top << ".." << ink.bottom;
            // The text colour against every pixel of the plate under the line.
            for (int y = ink.top; y < ink.bottom; ++y)
                for (int x = ink.left; x < ink.right; ++x) {
                    float rgb[3], alpha;
                    view.Pixel(x, y, rgb, &alpha);
                    leastRatio =
                        std::min(leastRatio, ContrastRatio(RelativeLuminance(rgb), textLuminance));
                }
        }
        EXPECT_GE(leastRatio, kLeastContrast);
    }
}

}  // namespace
}  // namespace vqtest
