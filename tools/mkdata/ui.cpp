#include "tools/mkdata/ui.h"

#include <algorithm>
#include <cmath>

namespace mk {

TextStyle MenuText(float size, Color top, Color bottom, Color outline, float outlineWidth) {
    TextStyle st;
    st.size = size;
    st.bold = size * 0.035f;
    st.gradient = true;
    st.gradTop = top;
    st.gradBottom = bottom;
    st.outline = outline;
    st.outlineWidth = outlineWidth > 0 ? outlineWidth : std::max(1.5f, size * 0.09f);
    return st;
}

TextStyle GoldText(float size) {
    TextStyle st = MenuText(size, pal::kGold, pal::kAmber, Rgb(0x3A1E05));
    st.bold = size * 0.05f;
    st.shadow = Rgb(0x000000, 0.6f);
    st.shadowDx = size * 0.06f;
    st.shadowDy = size * 0.08f;
    return st;
}

TextStyle PlainText(float size, Color c) {
    TextStyle st;
    st.size = size;
    st.fill = Solid(c);
    st.bold = size * 0.02f;
    return st;
}

void Plate(Image& img, float x, float y, float w, float h, float radius, Color top, Color bottom,
           Color rim, float rimWidth, float alpha) {
    Path outer;
    outer.RoundRect(x, y, w, h, radius);
    img.Fill(outer, rim, alpha);
    Path inner;
    inner.RoundRect(x + rimWidth, y + rimWidth, w - 2 * rimWidth, h - 2 * rimWidth,
                    std::max(0.0f, radius - rimWidth));
    img.Fill(inner, Linear(0, y, 0, y + h, {{0, top}, {1, bottom}}), 1, Blend::Replace);
    if (alpha < 1) {
        // Replace wrote full alpha; scale the body down to the plate's alpha.
        Mask m = Rasterize(inner, img.W(), img.H());
        for (int j = 0; j < m.h; ++j)
            for (int i = 0; i < m.w; ++i) {
                float c = m.cov[static_cast<size_t>(j) * m.w + i];
                if (c <= 0) continue;
                Color& p = img.Px(m.x0 + i, m.y0 + j);
                float k = 1 - c + c * alpha;
                p.r *= k;
                p.g *= k;
                p.b *= k;
                p.a *= k;
            }
    }
    // Gloss on the upper half.
    Path gloss;
    gloss.RoundRect(x + rimWidth + 2, y + rimWidth + 1, w - 2 * rimWidth - 4, h * 0.42f,
                    std::max(0.0f, radius - 3));
    img.Fill(gloss,
             Linear(0, y, 0, y + h * 0.45f, {{0, Rgb(0xFFFFFF, 0.22f)}, {1, Rgb(0xFFFFFF, 0.0f)}}));
}

void TextPlate(Image& img, float x, float y, float w, float h, float radius, Color rim,
               float rimWidth) {
    Plate(img, x, y, w, h, radius, Rgb(0xFFFFFF), Rgb(0xFCF8EE), rim, rimWidth);
}

void MenuPlate(Image& img, float x, float y, float w, float h, float alpha) {
    Plate(img, x, y, w, h, std::min(16.0f, h * 0.3f), Rgb(0x21468F), Rgb(0x0C1A42), pal::kGold, 3,
          alpha);
    Path line;
    line.RoundRect(x + 6, y + 6, w - 12, h - 12, std::min(12.0f, h * 0.25f));
    Path stroke;
    const auto& c = line.Contours()[0];
    stroke.Stroke(c, 1.2f, true);
    img.Fill(stroke, Rgb(0x9CC7FF, 0.45f));
}

void GlowBar(Image& img, float x, float y, float w, float h, Color c) {
    img.FillRect(x, y, w, h, [=](float px, float py) {
        float t = (px - x) / w, e = std::min(t, 1 - t) * 6;
        float v = 1 - std::fabs((py - y) / h - 0.5f) * 2;
        return WithAlpha(Mix(c, pal::kWhite, v * 0.5f),
                         std::clamp(e, 0.0f, 1.0f) * (0.35f + 0.65f * v) * c.a);
    });
}

void DrawHand(Image& img, float x, float y, float s) {
    // A gloved hand pointing right.
    Path p;
    float k = s / 64.0f;
    p.RoundRect(x + 8 * k, y + 22 * k, 26 * k, 26 * k, 8 * k);     // palm
    p.RoundRect(x + 26 * k, y + 22 * k, 32 * k, 9 * k, 4.5f * k);  // pointing finger
    p.RoundRect(x + 26 * k, y + 31 * k, 14 * k, 8 * k, 4 * k);
    p.RoundRect(x + 26 * k, y + 38 * k, 12 * k, 8 * k, 4 * k);
    p.RoundRect(x + 18 * k, y + 14 * k, 10 * k, 14 * k, 5 * k);  // thumb
    p.RoundRect(x + 2 * k, y + 26 * k, 10 * k, 18 * k, 3 * k);   // cuff
    img.Shadow(p, 2 * k, 3 * k, 2 * k, Rgb(0, 0.5f));
    img.FillOutlined(p,
                     Linear(0, y + 14 * k, 0, y + 48 * k, {{0, pal::kWhite}, {1, Rgb(0xC9D8F0)}}),
                     pal::kInk, 2 * k);
    Path cuff;
    cuff.RoundRect(x + 2 * k, y + 26 * k, 10 * k, 18 * k, 3 * k);
    img.Fill(cuff, pal::kRed);
}

void DrawEmblem(Image& img, float cx, float cy, float r, Color main, Color accent) {
    Path disc;
    disc.Circle(cx, cy, r);
    img.Fill(disc, Radial(cx, cy - r * 0.3f, r * 1.3f,
                          {{0, Mix(main, pal::kWhite, 0.35f)}, {1, Scale(main, 0.5f)}}));
    Path ring;
    ring.Ring(cx, cy, r, r * 0.9f);
    img.Fill(ring, accent);
    Path ring2;
    ring2.Ring(cx, cy, r * 0.62f, r * 0.56f);
    img.Fill(ring2, WithAlpha(accent, 0.8f));
    // Compass rose: eight points, the four main ones longer.
    for (int i = 0; i < 8; ++i) {
        float a = kPi / 4 * i;
        float len = (i % 2 == 0) ? r * 0.86f : r * 0.55f;
        float wdt = (i % 2 == 0) ? r * 0.14f : r * 0.1f;
        float ca = std::cos(a), sa = std::sin(a);
        Path pt;
        pt.Polygon({{cx + ca * len, cy + sa * len},
                    {cx - sa * wdt, cy + ca * wdt},
                    {cx - ca * r * 0.12f, cy - sa * r * 0.12f},
                    {cx + sa * wdt, cy - ca * wdt}});
        img.FillOutlined(pt, Solid(i % 2 ? Mix(accent, pal::kWhite, 0.3f) : accent), Rgb(0x2A1A05),
                         1.2f);
    }
    // Tick marks on the outer ring.
    for (int i = 0; i < 32; ++i) {
        float a = 2 * kPi * i / 32;
        Path t;
        t.Stroke({{cx + std::cos(a) * r * 0.9f, cy + std::sin(a) * r * 0.9f},
                  {cx + std::cos(a) * r * 0.78f, cy + std::sin(a) * r * 0.78f}},
                 r * 0.025f);
        img.Fill(t, WithAlpha(accent, 0.9f));
    }
    Path hub;
    hub.Circle(cx, cy, r * 0.1f);
    img.FillOutlined(hub, Solid(pal::kCream), Rgb(0x2A1A05), 1.5f);
}

// ---------------------------------------------------------------- crafts in 2D

Color CraftColor(int craft, int which) {
    static const uint32_t colors[4][3] = {
        {0xD8342C, 0xF4F1EA, 0xF2C14E},  // Lark: red, ivory, gold
        {0x2F6FD6, 0xEAF2FF, 0x9BE7FF},  // Heron: blue, white, ice
        {0x5F9E3A, 0xE8D7A0, 0xF08A24},  // Boulder: green, sand, orange
        {0x3A2A55, 0x201A2E, 0xE04BD8},  // Phantom: violet, black, magenta
    };
    return Rgb(colors[craft & 3][which % 3]);
}

std::string CraftName(int craft) {
    static const char* names[4] = {"ラーク", "ヘロン", "ボルダー", "ファントム"};
    return names[craft & 3];
}

namespace {

// Craft outlines in a unit box, nose toward -y, x to the right.
void CraftShapes(int craft, Path& body, Path& wings, Path& canopy, Path& trim,
                 std::vector<Vec2>& fans) {
    switch (craft & 3) {
        case 0:
            body.Polygon({{0, -0.95f},
                          {0.1f, -0.6f},
                          {0.12f, 0.5f},
                          {0.07f, 0.85f},
                          {-0.07f, 0.85f},
                          {-0.12f, 0.5f},
                          {-0.1f, -0.6f}});
            wings.Polygon({{0.1f, -0.1f},
                           {0.85f, 0.35f},
                           {0.85f, 0.5f},
                           {0.12f, 0.35f},
                           {-0.12f, 0.35f},
                           {-0.85f, 0.5f},
                           {-0.85f, 0.35f},
                           {-0.1f, -0.1f}});
            wings.Polygon({{0.07f, 0.6f},
                           {0.35f, 0.9f},
                           {0.3f, 0.98f},
                           {0.0f, 0.85f},
                           {-0.3f, 0.98f},
                           {-0.35f, 0.9f},
                           {-0.07f, 0.6f}});
            canopy.Ellipse(0, -0.42f, 0.07f, 0.18f);
            trim.Polygon({{0.45f, 0.14f}, {0.85f, 0.37f}, {0.85f, 0.45f}, {0.45f, 0.24f}});
            trim.Polygon({{-0.45f, 0.14f}, {-0.85f, 0.37f}, {-0.85f, 0.45f}, {-0.45f, 0.24f}});
            fans = {{0.5f, 0.22f}, {-0.5f, 0.22f}};
            break;
        case 1:
            body.RoundRect(-0.16f, -0.85f, 0.32f, 1.6f, 0.14f);
            wings.Polygon({{0.15f, -0.05f},
                           {0.9f, 0.0f},
                           {0.9f, 0.3f},
                           {0.15f, 0.3f},
                           {-0.15f, 0.3f},
                           {-0.9f, 0.3f},
                           {-0.9f, 0.0f},
                           {-0.15f, -0.05f}});
            wings.Polygon({{0.12f, 0.6f},
                           {0.45f, 0.7f},
                           {0.45f, 0.85f},
                           {-0.45f, 0.85f},
                           {-0.45f, 0.7f},
                           {-0.12f, 0.6f}});
            canopy.Ellipse(0, -0.5f, 0.1f, 0.2f);
            trim.Rect(-0.05f, -0.3f, 0.1f, 1.0f);
            fans = {{0.82f, 0.15f}, {-0.82f, 0.15f}};
            break;
        case 2:
            body.RoundRect(-0.24f, -0.8f, 0.48f, 1.55f, 0.22f);
            wings.Polygon({{0.2f, -0.2f},
                           {0.7f, -0.05f},
                           {0.75f, 0.3f},
                           {0.2f, 0.35f},
                           {-0.2f, 0.35f},
                           {-0.75f, 0.3f},
                           {-0.7f, -0.05f},
                           {-0.2f, -0.2f}});
            canopy.RoundRect(-0.12f, -0.62f, 0.24f, 0.3f, 0.1f);
            trim.Rect(-0.24f, 0.2f, 0.48f, 0.1f);
            fans = {{0.55f, 0.1f}, {-0.55f, 0.1f}, {0, 0.62f}};
            break;
        default:
            body.Polygon(
                {{0, -1.0f}, {0.09f, -0.5f}, {0.1f, 0.8f}, {-0.1f, 0.8f}, {-0.09f, -0.5f}});
            wings.Polygon({{0.06f, -0.35f},
                           {0.9f, 0.75f},
                           {0.7f, 0.82f},
                           {0.1f, 0.6f},
                           {-0.1f, 0.6f},
                           {-0.7f, 0.82f},
                           {-0.9f, 0.75f},
                           {-0.06f, -0.35f}});
            wings.Polygon({{0.07f, -0.7f},
                           {0.28f, -0.55f},
                           {0.25f, -0.5f},
                           {-0.25f, -0.5f},
                           {-0.28f, -0.55f},
                           {-0.07f, -0.7f}});
            canopy.Ellipse(0, -0.38f, 0.06f, 0.16f);
            trim.Polygon({{0.2f, 0.05f}, {0.8f, 0.72f}, {0.75f, 0.75f}, {0.18f, 0.15f}});
            trim.Polygon({{-0.2f, 0.05f}, {-0.8f, 0.72f}, {-0.75f, 0.75f}, {-0.18f, 0.15f}});
            fans = {{0.06f, 0.82f}, {-0.06f, 0.82f}, {0, 0.85f}};
            break;
    }
}

}  // namespace

TexelBox CraftTopBox(int craft, float cx, float cy, float size, float angle) {
    Path body, wings, canopy, trim;
    std::vector<Vec2> fans;
    CraftShapes(craft, body, wings, canopy, trim, fans);
    float s = size * 0.5f;
    float c = std::cos(angle), sn = std::sin(angle);
    Path all;
    all.Add(wings).Add(body);
    for (Vec2 f : fans) all.Circle(f.x, f.y, 0.13f);
    TexelBox box{1e9f, 1e9f, -1e9f, -1e9f};
    const Path placed = all.Transformed(c * s, -sn * s, cx, sn * s, c * s, cy);
    for (const auto& contour : placed.Contours())
        for (Vec2 v : contour) {
            box.left = std::min(box.left, v.x);
            box.top = std::min(box.top, v.y);
            box.right = std::max(box.right, v.x);
            box.bottom = std::max(box.bottom, v.y);
        }
    // The outline is drawn half outside the shapes.
    float edge = std::max(1.0f, size * 0.015f);
    return {box.left - edge, box.top - edge, box.right + edge, box.bottom + edge};
}

void DrawCraftTop(Image& img, int craft, float cx, float cy, float size, float angle, float alpha,
                  bool silhouette, Color silhouetteColor) {
    Path body, wings, canopy, trim;
    std::vector<Vec2> fans;
    CraftShapes(craft, body, wings, canopy, trim, fans);
    float s = size * 0.5f;
    float c = std::cos(angle), sn = std::sin(angle);
    auto place = [&](const Path& p) {
        return p.Transformed(c * s, -sn * s, cx, sn * s, c * s, cy);
    };
    Path all;
    all.Add(wings).Add(body);
    for (Vec2 f : fans) all.Circle(f.x, f.y, 0.13f);
    if (silhouette) {
        img.Fill(place(all), silhouetteColor, alpha);
        return;
    }
    Color main = CraftColor(craft, 0), second = CraftColor(craft, 1), accent = CraftColor(craft, 2);
    img.Shadow(place(all), size * 0.03f, size * 0.05f, size * 0.03f, Rgb(0, 0.45f * alpha));
    img.FillOutlined(place(wings),
                     Linear(cx, cy - s, cx, cy + s,
                            {{0, Mix(second, pal::kWhite, 0.2f)}, {1, Scale(second, 0.75f)}}),
                     WithAlpha(pal::kInk, alpha), std::max(1.0f, size * 0.015f));
    img.Fill(place(trim), accent, alpha);
    img.FillOutlined(place(body),
                     Linear(cx - s * 0.2f, cy, cx + s * 0.2f, cy,
                            {{0, Mix(main, pal::kWhite, 0.25f)}, {1, Scale(main, 0.7f)}}),
                     WithAlpha(pal::kInk, alpha), std::max(1.0f, size * 0.015f));
    img.Fill(place(canopy), Linear(cx, cy - s, cx, cy, {{0, Rgb(0xCFF3FF)}, {1, Rgb(0x2A6FA0)}}),
             alpha);
    for (Vec2 f : fans) {
        Path disc;
        disc.Circle(f.x, f.y, 0.13f);
        img.FillOutlined(place(disc),
                         Radial(0, 0, 1, {{0, Rgb(0xE8F4FF, 0.55f)}, {1, Rgb(0xE8F4FF, 0.55f)}}),
                         WithAlpha(pal::kInk, alpha), 1);
        Path blade;
        blade.Stroke({{f.x - 0.12f, f.y - 0.02f}, {f.x + 0.12f, f.y + 0.02f}}, 0.035f);
        blade.Stroke({{f.x - 0.02f, f.y + 0.12f}, {f.x + 0.02f, f.y - 0.12f}}, 0.035f);
        img.Fill(place(blade), Rgb(0x3A3F4A), alpha * 0.8f);
    }
}

void DrawCraftSide(Image& img, int craft, float cx, float cy, float size, float alpha) {
    float s = size * 0.5f;
    auto place = [&](const Path& p) { return p.Transformed(s, 0, cx, 0, s, cy); };
    Color main = CraftColor(craft, 0), second = CraftColor(craft, 1), accent = CraftColor(craft, 2);
    Path hull, fin, wing, canopy, stripe;
    switch (craft & 3) {
        case 0:
            hull.Polygon({{1.0f, 0.02f},
                          {0.6f, -0.12f},
                          {-0.6f, -0.14f},
                          {-0.95f, -0.05f},
                          {-0.9f, 0.1f},
                          {0.5f, 0.14f}});
            fin.Polygon({{-0.55f, -0.12f}, {-0.85f, -0.5f}, {-0.98f, -0.5f}, {-0.88f, -0.08f}});
            wing.Polygon({{0.2f, 0.04f}, {-0.45f, 0.08f}, {-0.5f, 0.16f}, {0.1f, 0.12f}});
            canopy.Ellipse(0.45f, -0.13f, 0.22f, 0.08f);
            stripe.Polygon({{0.7f, -0.02f}, {-0.8f, -0.04f}, {-0.8f, 0.02f}, {0.7f, 0.04f}});
            break;
        case 1:
            hull.RoundRect(-0.9f, -0.16f, 1.85f, 0.32f, 0.15f);
            fin.Polygon({{-0.6f, -0.14f}, {-0.8f, -0.45f}, {-0.92f, -0.45f}, {-0.85f, -0.1f}});
            wing.RoundRect(-0.25f, 0.0f, 0.6f, 0.1f, 0.05f);
            canopy.Ellipse(0.5f, -0.15f, 0.24f, 0.1f);
            stripe.Rect(-0.85f, -0.02f, 1.7f, 0.05f);
            break;
        case 2:
            hull.RoundRect(-0.85f, -0.22f, 1.75f, 0.46f, 0.2f);
            fin.Polygon({{-0.5f, -0.2f}, {-0.65f, -0.45f}, {-0.8f, -0.45f}, {-0.75f, -0.15f}});
            wing.RoundRect(-0.3f, 0.05f, 0.7f, 0.12f, 0.06f);
            canopy.RoundRect(0.25f, -0.32f, 0.4f, 0.16f, 0.07f);
            stripe.Rect(-0.85f, 0.12f, 1.75f, 0.05f);
            break;
        default:
            hull.Polygon({{1.0f, 0.0f},
                          {0.4f, -0.09f},
                          {-0.8f, -0.08f},
                          {-0.95f, 0.0f},
                          {-0.8f, 0.08f},
                          {0.4f, 0.08f}});
            fin.Polygon({{-0.5f, -0.07f}, {-0.85f, -0.42f}, {-0.95f, -0.42f}, {-0.82f, -0.05f}});
            wing.Polygon({{0.3f, 0.02f}, {-0.75f, 0.1f}, {-0.78f, 0.14f}, {0.25f, 0.06f}});
            canopy.Ellipse(0.35f, -0.09f, 0.2f, 0.06f);
            stripe.Polygon({{0.8f, -0.01f}, {-0.85f, -0.02f}, {-0.85f, 0.02f}, {0.8f, 0.01f}});
            break;
    }
    Path all;
    all.Add(hull).Add(fin).Add(wing);
    img.Shadow(place(all), size * 0.02f, size * 0.04f, size * 0.03f, Rgb(0, 0.4f * alpha));
    img.FillOutlined(place(fin), Solid(Scale(main, 0.8f)), WithAlpha(pal::kInk, alpha),
                     std::max(1.0f, size * 0.012f));
    img.FillOutlined(place(hull),
                     Linear(0, cy - s * 0.2f, 0, cy + s * 0.2f,
                            {{0, Mix(main, pal::kWhite, 0.3f)}, {1, Scale(main, 0.6f)}}),
                     WithAlpha(pal::kInk, alpha), std::max(1.0f, size * 0.012f));
    img.Fill(place(stripe), second, alpha);
    img.FillOutlined(place(wing), Solid(second), WithAlpha(pal::kInk, alpha),
                     std::max(1.0f, size * 0.01f));
    img.Fill(place(canopy),
             Linear(0, cy - s * 0.25f, 0, cy, {{0, Rgb(0xDDF6FF)}, {1, Rgb(0x2A6FA0)}}), alpha);
    Path glint;
    glint.Circle(0, 0, 1);
    (void)accent;
}

// ---------------------------------------------------------------- icons

std::string ItemName(int id) {
    static const char* names[] = {"ホーミング",     "花火",           "ハンマー",     "かぼちゃ",
                                  "火炎放射",       "リングレーザー", "マルチロック", "チェイン",
                                  "チャージ",       "ドリル",         "オプション",   "ランダム",
                                  "エンジン強化",   "機銃強化",       "冷却強化",     "リフレクト",
                                  "クレジット",     "３号機",         "４号機",       "エクストラ",
                                  "スタッフロール", "コンティニュー"};
    if (id < 0 || id > 21) return "";
    return names[id];
}

namespace {

Color BadgeColor(int id) {
    if (id <= 10) return Rgb(0x2C5FC4);
    if (id == kIconRandom) return Rgb(0x6A4BC4);
    if (id <= 15) return Rgb(0xD07A1C);
    if (id == kIconCredit || id == kIconStartCredit) return Rgb(0x2F9C52);
    return Rgb(0x8A3CB8);
}

// The coverage of an image's visible texels: none below half of `cut`, full from one and a
// half times it, so that a soft glow adds little and a drawn shape all of itself.
Mask AlphaMask(const Image& src, float cut) {
    Mask m;
    m.w = src.W();
    m.h = src.H();
    m.cov.resize(static_cast<size_t>(m.w) * m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x)
            m.cov[static_cast<size_t>(y) * m.w + x] =
                std::clamp((src.Px(x, y).a - 0.5f * cut) / cut, 0.0f, 1.0f);
    return m;
}

void Outlined(Image& img, const Path& p, const Paint& paint, float s) {
    img.FillOutlined(p, paint, Rgb(0x10131E), std::max(1.0f, s * 0.025f));
}

void IconSymbol(Image& img, int id, float cx, float cy, float s) {
    auto P = [&](float x, float y) { return Vec2{cx + x * s, cy + y * s}; };
    switch (id) {
        case 0: {  // homing missile
            Path body;
            body.Polygon({P(-0.28f, 0.24f), P(0.18f, -0.22f), P(0.3f, -0.3f), P(0.22f, -0.18f),
                          P(-0.24f, 0.28f)});
            Path fins;
            fins.Polygon({P(-0.22f, 0.1f), P(-0.36f, 0.1f), P(-0.28f, 0.2f)});
            fins.Polygon({P(-0.1f, 0.26f), P(-0.1f, 0.38f), P(-0.2f, 0.3f)});
            Path flame;
            flame.Ellipse(cx - 0.33f * s, cy + 0.33f * s, 0.09f * s, 0.09f * s);
            img.Fill(flame, Radial(cx - 0.33f * s, cy + 0.33f * s, 0.12f * s,
                                   {{0, Rgb(0xFFFBD0)}, {1, Rgb(0xFF7A1A, 0)}}));
            Outlined(img, fins, Solid(pal::kRed), s);
            Outlined(img, body,
                     Linear(cx - 0.2f * s, cy - 0.2f * s, cx, cy,
                            {{0, pal::kWhite}, {1, Rgb(0xB8C4D8)}}),
                     s);
            Path ring;
            ring.Ring(cx + 0.22f * s, cy - 0.3f * s, 0.1f * s, 0.07f * s);
            img.Fill(ring, Rgb(0xFF5050));
            break;
        }
        case 1: {  // firework
            for (int i = 0; i < 8; ++i) {
                float a = 2 * kPi * i / 8;
                Path r;
                r.Stroke({P(std::cos(a) * 0.12f, std::sin(a) * 0.12f),
                          P(std::cos(a) * 0.36f, std::sin(a) * 0.36f)},
                         s * 0.045f);
                img.Fill(r, i % 2 ? Rgb(0xFFE36B) : Rgb(0xFF6BC8));
                Path d;
                d.Circle(cx + std::cos(a) * 0.38f * s, cy + std::sin(a) * 0.38f * s, s * 0.035f);
                img.Fill(d, pal::kWhite);
            }
            Path ball;
            ball.Circle(cx, cy, s * 0.12f);
            Outlined(img, ball,
                     Radial(cx - s * 0.04f, cy - s * 0.04f, s * 0.14f,
                            {{0, pal::kWhite}, {1, Rgb(0xFF9A3A)}}),
                     s);
            break;
        }
        case 2: {  // hammer
            Path handle;
            handle.Polygon({P(-0.04f, -0.05f), P(0.3f, 0.33f), P(0.24f, 0.38f), P(-0.1f, 0.0f)});
            Outlined(img, handle, Solid(Rgb(0xA56A2C)), s);
            Path head;
            head.Polygon({P(-0.36f, -0.06f), P(-0.08f, -0.36f), P(0.08f, -0.2f), P(-0.2f, 0.1f)});
            Outlined(img, head,
                     Linear(cx - 0.3f * s, cy - 0.3f * s, cx, cy,
                            {{0, Rgb(0xE8EEF6)}, {1, Rgb(0x7C8696)}}),
                     s);
            break;
        }
        case 3: {  // pumpkin bomb
            Path p;
            for (int i = -1; i <= 1; ++i)
                p.Ellipse(cx + i * 0.13f * s, cy + 0.05f * s, 0.2f * s, 0.26f * s);
            Outlined(img, p,
                     Radial(cx - 0.1f * s, cy - 0.1f * s, s * 0.4f,
                            {{0, Rgb(0xFFC04A)}, {1, Rgb(0xD4620E)}}),
                     s);
            Path stem;
            stem.RoundRect(cx - 0.04f * s, cy - 0.3f * s, 0.08f * s, 0.12f * s, 0.02f * s);
            Outlined(img, stem, Solid(Rgb(0x4F8A2A)), s);
            Path face;
            face.Polygon({P(-0.16f, -0.02f), P(-0.06f, -0.02f), P(-0.11f, -0.1f)});
            face.Polygon({P(0.06f, -0.02f), P(0.16f, -0.02f), P(0.11f, -0.1f)});
            face.Polygon(
                {P(-0.16f, 0.1f), P(0.16f, 0.1f), P(0.1f, 0.18f), P(0.0f, 0.14f), P(-0.1f, 0.18f)});
            img.Fill(face, Rgb(0x3A1400));
            break;
        }
        case 4: {  // flame
            Path f;
            f.MoveTo(cx, cy + 0.36f * s);
            f.CubicTo(cx - 0.34f * s, cy + 0.3f * s, cx - 0.3f * s, cy - 0.05f * s, cx - 0.08f * s,
                      cy - 0.38f * s);
            f.CubicTo(cx - 0.05f * s, cy - 0.15f * s, cx + 0.1f * s, cy - 0.1f * s, cx + 0.12f * s,
                      cy - 0.26f * s);
            f.CubicTo(cx + 0.35f * s, cy - 0.02f * s, cx + 0.32f * s, cy + 0.3f * s, cx,
                      cy + 0.36f * s);
            Outlined(img, f,
                     Linear(0, cy - 0.38f * s, 0, cy + 0.36f * s,
                            {{0, Rgb(0xFF3A10)}, {0.6f, Rgb(0xFF9A20)}, {1, Rgb(0xFFE870)}}),
                     s);
            Path in;
            in.Ellipse(cx, cy + 0.16f * s, 0.1f * s, 0.16f * s);
            img.Fill(in, Rgb(0xFFF8C0));
            break;
        }
        case 5: {  // ring laser
            for (int i = 0; i < 2; ++i) {
                Path r;
                float rr = (0.24f + 0.13f * i) * s;
                r.Ring(cx, cy, rr, rr - 0.065f * s);
                img.Glow(r, s * 0.05f, Rgb(0x60FFFF, 0.7f));
                img.Fill(r, i == 0 ? pal::kWhite : Rgb(0x7FFFFF));
            }
            break;
        }
        case 6: {  // multi-lock
            for (int i = 0; i < 3; ++i) {
                float x = -0.2f + 0.2f * i, y = (i == 1) ? -0.18f : 0.05f;
                Path t;
                t.Ring(cx + x * s, cy + y * s, 0.12f * s, 0.09f * s);
                t.Rect(cx + (x - 0.015f) * s, cy + (y - 0.17f) * s, 0.03f * s, 0.34f * s);
                t.Rect(cx + (x - 0.17f) * s, cy + (y - 0.015f) * s, 0.34f * s, 0.03f * s);
                img.Fill(t, i == 1 ? Rgb(0xFF5A5A) : Rgb(0xFFD24A));
            }
            Path m;
            m.Polygon({P(-0.3f, 0.36f), P(0.1f, 0.2f), P(0.16f, 0.24f), P(-0.26f, 0.4f)});
            Outlined(img, m, Solid(pal::kWhite), s);
            break;
        }
        case 7: {  // chain laser
            Path z;
            z.Stroke({P(-0.34f, 0.3f), P(-0.12f, -0.05f), P(0.02f, 0.12f), P(0.32f, -0.32f)},
                     s * 0.09f);
            img.Glow(z, s * 0.08f, Rgb(0x8A5CFF, 0.8f));
            img.Fill(z, Rgb(0xD8C8FF));
            Path core;
            core.Stroke({P(-0.34f, 0.3f), P(-0.12f, -0.05f), P(0.02f, 0.12f), P(0.32f, -0.32f)},
                        s * 0.035f);
            img.Fill(core, pal::kWhite);
            break;
        }
        case 8: {  // charge laser
            Path beam;
            beam.RoundRect(cx - 0.05f * s, cy - 0.4f * s, 0.1f * s, 0.5f * s, 0.05f * s);
            img.Glow(beam, s * 0.08f, Rgb(0xFF60E0, 0.8f));
            img.Fill(beam, pal::kWhite);
            Path orb;
            orb.Circle(cx, cy + 0.14f * s, 0.2f * s);
            img.Glow(orb, s * 0.1f, Rgb(0xFF8AF0, 0.9f));
            img.Fill(orb, Radial(cx - 0.05f * s, cy + 0.08f * s, 0.22f * s,
                                 {{0, pal::kWhite}, {1, Rgb(0xE040C0)}}));
            break;
        }
        case 9: {  // drill
            Path d;
            d.Polygon({P(0.34f, -0.34f), P(-0.02f, -0.06f), P(-0.18f, -0.22f)});
            Path cone;
            cone.Polygon({P(0.34f, -0.34f), P(-0.12f, 0.0f), P(0.02f, 0.14f)});
            cone.Polygon({P(0.34f, -0.34f), P(-0.2f, -0.08f), P(-0.12f, 0.0f)});
            Outlined(img, cone,
                     Linear(cx, cy - 0.3f * s, cx, cy + 0.1f * s,
                            {{0, Rgb(0xF0F4FA)}, {1, Rgb(0x8090A8)}}),
                     s);
            for (int i = 0; i < 3; ++i) {
                float t = 0.25f + 0.22f * i;
                Path g;
                g.Stroke({P(0.34f - 0.5f * t - 0.06f, -0.34f + 0.42f * t + 0.04f),
                          P(0.34f - 0.42f * t + 0.04f, -0.34f + 0.5f * t - 0.06f)},
                         s * 0.03f);
                img.Fill(g, Rgb(0x4A5468));
            }
            Path base;
            base.Polygon({P(-0.2f, -0.08f), P(0.02f, 0.14f), P(-0.14f, 0.3f), P(-0.36f, 0.08f)});
            Outlined(img, base, Solid(Rgb(0xF2B43C)), s);
            break;
        }
        case 10: {  // option
            Path link;
            link.Stroke({P(-0.22f, 0.12f), P(0.22f, -0.12f)}, s * 0.05f);
            img.Glow(link, s * 0.06f, Rgb(0x6AFF9A, 0.8f));
            img.Fill(link, pal::kWhite);
            for (int i = 0; i < 2; ++i) {
                float x = i ? 0.22f : -0.22f, y = i ? -0.12f : 0.12f;
                Path o;
                o.Circle(cx + x * s, cy + y * s, 0.14f * s);
                Outlined(img, o,
                         Radial(cx + (x - 0.04f) * s, cy + (y - 0.05f) * s, 0.18f * s,
                                {{0, pal::kWhite}, {1, Rgb(0x2FB86A)}}),
                         s);
            }
            break;
        }
        case kIconRandom: {
            TextStyle st = MenuText(s * 0.7f, pal::kWhite, pal::kWhite, pal::kInk);
            st.face = Face::Gothic;
            DrawText(img, "?", cx, cy, Align::Center, st);
            break;
        }
        case kIconEngine: {
            Path ring;
            ring.Ring(cx, cy, 0.32f * s, 0.24f * s);
            Outlined(img, ring, Solid(Rgb(0xC8D0DC)), s);
            for (int i = 0; i < 8; ++i) {
                Path b;
                float a = 2 * kPi * i / 8;
                b.Polygon({P(0, 0), P(std::cos(a) * 0.24f, std::sin(a) * 0.24f),
                           P(std::cos(a + 0.5f) * 0.22f, std::sin(a + 0.5f) * 0.22f)});
                img.Fill(b, Rgb(0x5A6474));
            }
            Path hub;
            hub.Circle(cx, cy, 0.07f * s);
            img.Fill(hub, Rgb(0xFFB040));
            break;
        }
        case kIconGun: {
            // Three rounds fanned out from their bases, the middle one in front.
            for (int i : {0, 2, 1}) {
                float x = cx + 0.07f * s * static_cast<float>(i - 1);
                Path b;
                b.RoundRect(x - 0.06f * s, cy - 0.06f * s, 0.12f * s, 0.36f * s, 0.02f * s);
                b.Ellipse(x, cy - 0.06f * s, 0.06f * s, 0.18f * s);
                b = b.Rotated(0.42f * static_cast<float>(i - 1), x, cy + 0.3f * s);
                Outlined(img, b,
                         Linear(cx, cy - 0.3f * s, cx, cy + 0.3f * s,
                                {{0, Rgb(0xFFE08A)}, {1, Rgb(0xB8781E)}}),
                         s);
            }
            break;
        }
        case kIconCooling: {
            for (int i = 0; i < 3; ++i) {
                float a = kPi / 3 * i;
                Path l;
                l.Stroke({P(std::cos(a) * 0.34f, std::sin(a) * 0.34f),
                          P(-std::cos(a) * 0.34f, -std::sin(a) * 0.34f)},
                         s * 0.06f);
                img.FillOutlined(l, Solid(Rgb(0xE8FAFF)), Rgb(0x1A4A7A), s * 0.02f);
            }
            Path c;
            c.Circle(cx, cy, 0.08f * s);
            img.Fill(c, Rgb(0x8AE0FF));
            break;
        }
        case kIconReflect: {
            Path sh;
            sh.MoveTo(cx, cy - 0.36f * s);
            sh.LineTo(cx + 0.3f * s, cy - 0.24f * s);
            sh.CubicTo(cx + 0.3f * s, cy + 0.1f * s, cx + 0.15f * s, cy + 0.28f * s, cx,
                       cy + 0.38f * s);
            sh.CubicTo(cx - 0.15f * s, cy + 0.28f * s, cx - 0.3f * s, cy + 0.1f * s, cx - 0.3f * s,
                       cy - 0.24f * s);
            Outlined(img, sh,
                     Linear(cx - 0.3f * s, cy, cx + 0.3f * s, cy,
                            {{0, Rgb(0xFFE9A0)}, {1, Rgb(0xD08A20)}}),
                     s);
            Path arr;
            arr.Stroke({P(-0.16f, -0.14f), P(0.0f, 0.08f), P(0.16f, -0.14f)}, s * 0.06f);
            img.Fill(arr, Rgb(0x8A3A10));
            break;
        }
        case kIconCredit:
        case kIconStartCredit: {
            Path coin;
            coin.Circle(cx, cy, 0.3f * s);
            Outlined(img, coin,
                     Radial(cx - 0.1f * s, cy - 0.1f * s, 0.4f * s,
                            {{0, Rgb(0xFFF3A0)}, {1, Rgb(0xD09A10)}}),
                     s);
            TextStyle st = MenuText(s * 0.34f, pal::kWhite, pal::kWhite, Rgb(0x5A3A00));
            DrawText(img, id == kIconCredit ? "+1" : "UP", cx, cy, Align::Center, st);
            break;
        }
        case kIconCraft2:
        case kIconCraft3: {
            DrawCraftTop(img, id == kIconCraft2 ? 2 : 3, cx, cy + 0.02f * s, s * 0.72f);
            TextStyle st = MenuText(s * 0.28f, pal::kGold, pal::kGold, pal::kInk);
            DrawText(img, id == kIconCraft2 ? "3" : "4", cx + 0.27f * s, cy + 0.28f * s,
                     Align::Center, st);
            break;
        }
        case kIconExtra: {
            Path star;
            star.Star(cx, cy, 0.36f * s, 0.16f * s, 5);
            img.Glow(star, s * 0.08f, Rgb(0xFFE060, 0.7f));
            Outlined(img, star,
                     Radial(cx, cy - 0.1f * s, 0.4f * s, {{0, pal::kWhite}, {1, Rgb(0xFFC030)}}),
                     s);
            TextStyle st = MenuText(s * 0.2f, Rgb(0xC02060), Rgb(0xC02060), pal::kWhite, 1.5f);
            DrawText(img, "EX", cx, cy + 0.04f * s, Align::Center, st);
            break;
        }
        case kIconStaff: {
            Path reel;
            reel.Circle(cx, cy, 0.32f * s);
            Outlined(img, reel, Solid(Rgb(0x3A3F4A)), s);
            for (int i = 0; i < 6; ++i) {
                float a = 2 * kPi * i / 6;
                Path h;
                h.Circle(cx + std::cos(a) * 0.19f * s, cy + std::sin(a) * 0.19f * s, 0.07f * s);
                img.Fill(h, Rgb(0xD8DDE6));
            }
            Path c;
            c.Circle(cx, cy, 0.05f * s);
            img.Fill(c, Rgb(0xFFC040));
            break;
        }
        default:
            break;
    }
}

}  // namespace

void DrawIcon(Image& img, int id, float cx, float cy, float size) {
    // The symbol on a sticker cut around it: a rim in the item's colour with a dark edge
    // follows the symbol's own outline, and nothing lies outside it, so the icon's alpha is
    // its shape (drawn in black, a locked weapon shows as its own silhouette).
    const int span = static_cast<int>(std::ceil(size * 1.3f)) + 8;
    const int ox = static_cast<int>(std::floor(cx)) - span / 2;
    const int oy = static_cast<int>(std::floor(cy)) - span / 2;
    const float lx = cx - static_cast<float>(ox), ly = cy - static_cast<float>(oy);
    Image symbol(span, span);
    IconSymbol(symbol, id, lx, ly, size);
    const Mask shape = AlphaMask(symbol, 0.5f);
    const float rim = size * 0.05f, edge = std::max(1.0f, size * 0.016f);
    const Mask body = Dilate(shape, rim, span, span);
    const Mask outline = Dilate(shape, rim + edge, span, span);
    Mask drop = outline;
    drop.x0 += static_cast<int>(std::lround(size * 0.02f));
    drop.y0 += static_cast<int>(std::lround(size * 0.035f));
    Image sticker(span, span);
    sticker.FillMask(BlurMask(drop, size * 0.025f, span, span), Solid(Rgb(0, 0.45f)));
    sticker.FillMask(outline, Solid(pal::kInk));
    const Color c = BadgeColor(id);
    const float h = size * 0.46f;
    sticker.FillMask(body,
                     Radial(lx - h * 0.4f, ly - h * 0.6f, size * 1.1f,
                            {{0, Mix(c, pal::kWhite, 0.45f)}, {0.6f, c}, {1, Scale(c, 0.45f)}}));
    sticker.FillMask(body, Linear(0, ly - h, 0, ly - h * 0.1f,
                                  {{0, Rgb(0xFFFFFF, 0.35f)}, {1, Rgb(0xFFFFFF, 0)}}));
    sticker.Draw(symbol, 0, 0);
    img.Draw(sticker, ox, oy);
}

Path ShieldPath(float x, float y, float k, float in) {
    const std::vector<Vec2> outline = {
        {14, 4},     {50, 4},        {59, 4},  {59, 13},       {59, 16},   {59, 19.5f},
        {57.2f, 22}, {35.5f, 51.5f}, {32, 57}, {28.5f, 51.5f}, {6.8f, 22}, {5, 19.5f},
        {5, 16},     {5, 13},        {5, 4},   {14, 4},
    };
    // Lines between the points, with quadratic corners: entries 2, 5, 8, 11 and 14 are the
    // corners' control points.
    Path p;
    p.MoveTo(outline[0].x, outline[0].y);
    for (size_t i = 1; i < outline.size(); ++i) {
        if (i % 3 == 2) {
            p.QuadTo(outline[i].x, outline[i].y, outline[i + 1].x, outline[i + 1].y);
            ++i;
        } else {
            p.LineTo(outline[i].x, outline[i].y);
        }
    }
    p.Close();
    float f = 1 - in / 27;
    return p.Scaled(f, f, 32, 28).Scaled(k, k, 0, 0).Translated(x, y);
}

void DrawWeaponEmblem(Image& img, int id, float x, float y, float k) {
    Path shield = ShieldPath(x, y, k, 0);
    img.Shadow(shield, 1.2f * k, 2.0f * k, 2.0f * k, Rgb(0, 0.45f));
    img.Fill(shield, Rgb(0x0A0F24));
    Path in = ShieldPath(x, y, k, 2.2f);
    Color c = BadgeColor(id);
    img.Fill(in, Radial(x + 22 * k, y + 14 * k, 60 * k,
                        {{0, Mix(c, pal::kWhite, 0.45f)}, {0.6f, c}, {1, Scale(c, 0.45f)}}));
    Path gloss;
    gloss.RoundRect(x + 9 * k, y + 8 * k, 46 * k, 14 * k, 6 * k);
    img.Fill(gloss, Linear(0, y + 6 * k, 0, y + 24 * k,
                           {{0, Rgb(0xFFFFFF, 0.35f)}, {1, Rgb(0xFFFFFF, 0)}}));
    // The symbol, a little smaller than on a square badge, kept inside the shield.
    Image symbol(img.W(), img.H());
    IconSymbol(symbol, id, x + 32 * k, y + 27 * k, 42 * k);
    symbol.ClipTo(in);
    img.Draw(symbol, 0, 0);
    // A thin cut through the shield around the symbol: drawn dimmed in one colour, the
    // shield still shows its weapon.
    const Mask shape = AlphaMask(symbol, 0.3f);
    Mask cut = Dilate(shape, 1.4f * k, img.W(), img.H());
    for (int cy = 0; cy < cut.h; ++cy)
        for (int cx = 0; cx < cut.w; ++cx) {
            float& v = cut.cov[static_cast<size_t>(cy) * cut.w + cx];
            v = std::max(0.0f, v - shape.At(cut.x0 + cx, cut.y0 + cy));
        }
    img.FillMask(cut, Solid(Color{}), 1, Blend::Replace);
}

}  // namespace mk
