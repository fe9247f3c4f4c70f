// The effect sheets of the play scene (volume archive): additive sheets on black, the
// opaque sheet with its colour key, the sun and flare sheet, coins, the roll ring and the
// shadow sheet on white.
#include <cmath>

#include "tools/mkdata/pictures.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

// A soft round glow, additive.
void GlowDot(Image& img, float cx, float cy, float r, Color c, float core = 0.25f) {
    Path p;
    p.Circle(cx, cy, r);
    img.Fill(p,
             Radial(cx, cy, r, {{0, Mix(c, pal::kWhite, 0.8f)}, {core, c}, {1, WithAlpha(c, 0)}}),
             1, Blend::Add);
}

// A puff of smoke or fire in a cell, frame t of 8 (0 young .. 7 old).
void Puff(Image& img, float x, float y, float size, int t, uint32_t seed, Color inner, Color outer,
          float bright) {
    Rng rng(seed);
    float grow = 0.6f + 0.4f * t / 7.0f, fade = 1 - t / 9.0f;
    for (int i = 0; i < 7; ++i) {
        float a = rng.Unit() * 2 * kPi, d = rng.Unit() * size * 0.16f * grow;
        float r = size * (0.2f + rng.Unit() * 0.12f) * grow;
        Path p;
        p.Circle(x + size / 2 + std::cos(a) * d, y + size / 2 + std::sin(a) * d, r);
        img.Fill(p,
                 Radial(x + size / 2, y + size / 2, size * 0.5f * grow,
                        {{0, Scale(inner, bright * fade)}, {1, Scale(outer, bright * fade)}}),
                 0.6f, Blend::Add);
    }
}

void AdditiveSheet(Output& out) {
    Image img(256, 256, Rgb(0x000000));
    // Row 0: muzzle flashes (64c, 0), c = 0, 1; then two spare sparks.
    for (int c = 0; c < 4; ++c) {
        float cx = 64.0f * c + 32;
        Path star;
        star.Star(cx, 32, 30, 6, c % 2 ? 6 : 4, c * 0.4f);
        img.Fill(
            star,
            Radial(cx, 32, 30, {{0, Rgb(0xFFFFFF)}, {0.5f, Rgb(0xFFD060)}, {1, Rgb(0xFF6010, 0)}}),
            1, Blend::Add);
        GlowDot(img, cx, 32, 18, Rgb(0xFFB040));
    }
    // Sparkle cells (32k, 128)-(32k + 32, 160), k = 0..4.
    GlowDot(img, 16, 144, 15, Rgb(0xFFC860));
    {
        Path s;
        s.Star(48, 144, 15, 3, 4);
        img.Fill(s, Rgb(0xFFF0C0), 1, Blend::Add);
        GlowDot(img, 48, 144, 8, Rgb(0xFFE080));
    }
    GlowDot(img, 80, 144, 10, Rgb(0x80D0FF));
    {
        Path r;
        r.Ring(112, 144, 13, 9);
        img.Fill(r, Rgb(0xFFE0A0), 1, Blend::Add);
    }
    {
        Path x;
        x.Stroke({{132, 132}, {156, 156}}, 3);
        x.Stroke({{156, 132}, {132, 156}}, 3);
        img.Fill(x, Rgb(0xFFFFFF), 0.8f, Blend::Add);
        GlowDot(img, 144, 144, 9, Rgb(0xFF80C0));
    }
    // Template 27 (224, 96)-(256, 160): a tall scraping spark.
    {
        Path s;
        s.Ellipse(240, 128, 5, 30);
        img.Fill(s,
                 Radial(240, 128, 30,
                        {{0, Rgb(0xFFFFFF)}, {0.4f, Rgb(0xFFC040)}, {1, Rgb(0xFF6010, 0)}}),
                 1, Blend::Add);
    }
    // Smoke (row 160), fire (row 192) and bright blasts (row 224), eight frames each.
    for (int f = 0; f < 8; ++f) {
        Puff(img, 32.0f * f, 160, 32, f, 100 + f, Rgb(0xD8D8D8), Rgb(0x303030), 0.9f);
        Puff(img, 32.0f * f, 192, 32, f, 200 + f, Rgb(0xFFE8A0), Rgb(0xC03A08), 1.0f);
        Puff(img, 32.0f * f, 224, 32, f, 300 + f, Rgb(0xFFFFFF), Rgb(0xFF8A20), 1.1f);
    }
    AddBmp(out, "bmp/effect.bmp", img, BmpMode::Opaque, Place::VolumeArchive);
}

void OpaqueSheet(Output& out) {
    Image img(256, 256);
    // Row 0: four frames of a spinning energy star (shot kind 5).
    for (int c = 0; c < 4; ++c) {
        float cx = 64.0f * c + 32;
        Path s;
        s.Star(cx, 32, 26, 11, 4, c * kPi / 8);
        img.FillOutlined(
            s, Radial(cx, 32, 26, {{0, Rgb(0xFFFFFF)}, {0.5f, Rgb(0x9AF0FF)}, {1, Rgb(0x2A8AE0)}}),
            Rgb(0x0A2A5A), 2);
    }
    // Main-gun tracers (0, 64)-(16, 112) and (112, 64)-(128, 112).
    for (int t = 0; t < 2; ++t) {
        float x = t ? 112.0f : 0.0f;
        Path p;
        p.RoundRect(x + 3, 66, 10, 44, 5);
        Color c = t ? Rgb(0x8AE0FF) : Rgb(0xFFE070);
        img.FillOutlined(p,
                         Linear(x, 0, x + 16, 0,
                                {{0, Scale(c, 0.7f)}, {0.5f, Rgb(0xFFFFFF)}, {1, Scale(c, 0.7f)}}),
                         Scale(c, 0.4f), 1);
    }
    // Damage sparks (16 + 32f, 64)-(48 + 32f, 96), f = 0..2.
    for (int f = 0; f < 3; ++f) {
        float cx = 32.0f + 32 * f;
        Path s;
        s.Star(cx, 80, 13 - f * 2.0f, 5, 5, f * 0.6f);
        img.FillOutlined(s, Solid(f == 2 ? Rgb(0x8A8A8A) : Rgb(0xFFB040)), Rgb(0x4A1A05), 1);
    }
    // Enemy shots (0, 128)-(64, 192): a pink orb.
    {
        Path o;
        o.Circle(32, 160, 24);
        img.FillOutlined(
            o,
            Radial(26, 152, 28, {{0, Rgb(0xFFFFFF)}, {0.45f, Rgb(0xFF7AC8)}, {1, Rgb(0xC0105A)}}),
            Rgb(0x4A0520), 2.5f);
    }
    // Particle 22 (128, 128)-(256, 256): a drifting petal, small in the middle of its cell.
    // The cell is drawn about 6 units across, and the petals rise from shot-down fliers and
    // drift back with the course past the camera: a petal filling its cell would cover much
    // of the view when one passes close.
    {
        Path p;
        p.MoveTo(192, 174);
        p.CubicTo(209, 181, 207, 201, 192, 211);
        p.CubicTo(177, 201, 175, 181, 192, 174);
        img.FillOutlined(p, Linear(178, 174, 206, 211, {{0, Rgb(0xFFE0F0)}, {1, Rgb(0xF080B0)}}),
                         Rgb(0x8A2A5A), 1.5f);
        Path v;
        v.Stroke({{192, 178}, {193, 207}}, 1);
        img.Fill(v, Rgb(0xC05A8A));
    }
    AddBmp(out, "bmp/effect_opa.bmp", img, BmpMode::Keyed, Place::VolumeArchive);
}

void SunSheet(Output& out) {
    Image img(256, 256, Rgb(0x000000));
    GlowDot(img, 32, 32, 31, Rgb(0xFFE8B0), 0.35f);
    GlowDot(img, 32, 32, 12, Rgb(0xFFFFFF), 0.6f);
    // Flare shapes: 0 a ring, 1 a soft disc, 2 a hexagon, 3 a thin ring, 4 a disc, 5 a star.
    {
        Path r;
        r.Ring(32, 96, 30, 24);
        img.Fill(r, Rgb(0x80A0FF, 0.5f), 1, Blend::Add);
    }
    GlowDot(img, 96, 96, 30, Rgb(0x70FFB0), 0.1f);
    {
        std::vector<Vec2> h;
        for (int i = 0; i < 6; ++i)
            h.push_back({144 + 14 * std::cos(kPi / 3 * i), 80 + 14 * std::sin(kPi / 3 * i)});
        Path p;
        p.Polygon(h);
        img.Fill(p, Rgb(0xFFB080, 0.6f), 1, Blend::Add);
    }
    {
        Path r;
        r.Ring(176, 80, 14, 11);
        img.Fill(r, Rgb(0xFFE080, 0.6f), 1, Blend::Add);
    }
    GlowDot(img, 208, 80, 14, Rgb(0xA080FF), 0.3f);
    {
        Path s;
        s.Star(240, 80, 15, 3, 6);
        img.Fill(s, Rgb(0xFFFFFF, 0.7f), 1, Blend::Add);
    }
    // Moon (0, 128)-(128, 256).
    {
        Path halo;
        halo.Circle(64, 192, 62);
        img.Fill(halo, Radial(64, 192, 62, {{0.6f, Rgb(0xC8D8FF, 0.4f)}, {1, Rgb(0xC8D8FF, 0)}}), 1,
                 Blend::Add);
        Path disc;
        disc.Circle(64, 192, 40);
        img.Fill(disc, Radial(54, 182, 52, {{0, Rgb(0xFFFFF0)}, {1, Rgb(0xB8C4DC)}}));
        Rng rng(9);
        for (int i = 0; i < 8; ++i) {
            Path c;
            float a = rng.Unit() * 2 * kPi, d = rng.Unit() * 26;
            c.Circle(64 + std::cos(a) * d, 192 + std::sin(a) * d, 3 + rng.Unit() * 5);
            img.Fill(c, Rgb(0x8A94B0, 0.5f));
        }
    }
    AddBmp(out, "bmp/effect_sun.bmp", img, BmpMode::Opaque, Place::VolumeArchive);
}

void ShotSheet(Output& out) {
    Image img(256, 256, Rgb(0x000000));
    // Flame frames (32f, 0), f = 0..7: a tongue of fire that grows and thins.
    for (int f = 0; f < 8; ++f) {
        float cx = 32.0f * f + 16, k = 0.8f + f / 35.0f;
        Path p;
        p.Ellipse(cx, 16, 14 * k, 14 * k);
        img.Fill(p,
                 Radial(cx, 18, 15 * k,
                        {{0, Rgb(0xFFFFE0)}, {0.4f, Rgb(0xFFB030)}, {1, Rgb(0xC02000, 0)}}),
                 1 - f / 12.0f, Blend::Add);
    }
    // Glow strips (0, 64)-(16, 128) and (16, 64)-(32, 128).
    for (int t = 0; t < 2; ++t)
        img.FillRect(16.0f * t, 64, 16, 64, [t](float x, float y) {
            float d = std::fabs(x - (t * 16 + 8)) / 8;
            float e = std::min(1.0f, std::min(y - 64, 128 - y) / 12);
            Color c = t ? Rgb(0x60D0FF) : Rgb(0xFFD060);
            return Scale(c, std::max(0.0f, 1 - d) * e);
        });
    // Shot glows (32k, 128)-(32k + 32, 160).
    GlowDot(img, 16, 144, 15, Rgb(0xFF60A0), 0.35f);
    GlowDot(img, 48, 144, 15, Rgb(0x60FFB0), 0.35f);
    GlowDot(img, 80, 144, 15, Rgb(0x60A0FF), 0.35f);
    GlowDot(img, 112, 144, 15, Rgb(0xFFE060), 0.35f);
    {
        Path r;
        r.Ring(144, 144, 14, 8);
        img.Fill(r, Rgb(0xC080FF), 1, Blend::Add);
        GlowDot(img, 144, 144, 10, Rgb(0xFFFFFF), 0.2f);
    }
    // Template 47 (0, 192)-(64, 256): a violet lock laser head.
    GlowDot(img, 32, 224, 30, Rgb(0xA060FF), 0.3f);
    GlowDot(img, 32, 224, 12, Rgb(0xFFFFFF), 0.5f);
    // Beam frames (64 + 32k, 192)-(96 + 32k, 256), k = 0..5.
    for (int k = 0; k < 6; ++k) {
        float x0 = 64.0f + 32 * k;
        img.FillRect(x0, 192, 32, 64, [=](float x, float y) {
            float d = std::fabs(x - (x0 + 16)) / 16;
            float wob = 0.15f * std::sin(y * 0.4f + k * 1.1f);
            float core = std::max(0.0f, 1 - d * (2.2f + wob));
            float glow = std::max(0.0f, 1 - d) * 0.5f;
            return Mix(Scale(Rgb(0x40A0FF), glow + core), Rgb(0xFFFFFF), core * core);
        });
    }
    AddBmp(out, "bmp/effect_shot.bmp", img, BmpMode::Opaque, Place::VolumeArchive);
}

void CoinSheet(Output& out) {
    Image img(256, 256);
    const Color metal[3][2] = {{Rgb(0xFFF2A0), Rgb(0xC88A10)},
                               {Rgb(0xFFFFFF), Rgb(0x8A9AB0)},
                               {Rgb(0xFFC8A0), Rgb(0x9A5020)}};
    for (int f = 0; f < 18; ++f) {
        int m = f / 6, phase = f % 6;
        float x = 48.0f * (f % 5) + 24, y = 48.0f * (f / 5) + 24;
        float w = std::fabs(std::cos(phase * kPi / 6)) * 19 + 3;
        Path edge;
        edge.Ellipse(x + 1.5f, y, w, 20);
        img.Fill(edge, Scale(metal[m][1], 0.7f));
        Path face;
        face.Ellipse(x, y, w, 20);
        img.FillOutlined(face,
                         Radial(x - w * 0.3f, y - 6, 26, {{0, metal[m][0]}, {1, metal[m][1]}}),
                         Scale(metal[m][1], 0.45f), 1.5f);
        if (w > 8) {
            Path star;
            star.Star(0, 0, 9, 4, 5);
            img.Fill(star.Transformed(w / 20, 0, x, 0, 1, y), Mix(metal[m][0], pal::kWhite, 0.5f));
        }
        Path shine;
        shine.Ellipse(x - w * 0.4f, y - 9, w * 0.2f, 4);
        img.Fill(shine, Rgb(0xFFFFFF, 0.8f));
    }
    AddTga(out, "bmp/b_coin.tga", img, Place::VolumeArchive, true);
}

void RollRing(Output& out) {
    Image img(256, 256, Rgb(0x000000));
    for (int i = 0; i < 3; ++i) {
        Path arc;
        std::vector<Vec2> pts;
        float r = 100 - i * 12;
        for (int k = 0; k <= 40; ++k) {
            float a = i * 2.1f + k * (kPi * 1.3f) / 40;
            pts.push_back({128 + std::cos(a) * r, 128 + std::sin(a) * r});
        }
        arc.Stroke(pts, 10 - i * 2.0f);
        img.Glow(arc, 8, Rgb(0x60C0FF, 0.8f), Blend::Add);
        img.Fill(arc, Rgb(0xE0F4FF), 0.9f, Blend::Add);
    }
    AddBmp(out, "bmp/roll_efect.bmp", img, BmpMode::Opaque, Place::VolumeArchive);
}

void ShadowSheet(Output& out) {
    Image img(256, 256, Rgb(0xFFFFFF));
    Image shadows(256, 256);
    // Crafts from above, nose up: (0, 0), (128, 0), (0, 112), (128, 112), 128 x 112 each.
    for (int c = 0; c < 4; ++c) {
        float x = (c % 2) * 128.0f + 64, y = (c / 2) * 112.0f + 56;
        DrawCraftTop(shadows, c, x, y, 100, 0, 1, true, Rgb(0x000000));
    }
    // Coin shadows (32k, 224), k = 0..5, and the enemy shadows B (192, 224) and A (224, 224).
    for (int k = 0; k < 6; ++k) {
        Path e;
        e.Ellipse(32.0f * k + 16, 240, std::fabs(std::cos(k * kPi / 6)) * 10 + 3, 11);
        shadows.Fill(e, Rgb(0x000000));
    }
    {
        Path b;
        b.Ellipse(208, 240, 8, 14);
        shadows.Fill(b, Rgb(0x000000));
        Path a;
        a.Circle(240, 240, 13);
        shadows.Fill(a, Rgb(0x000000));
    }
    shadows.Blur(3);
    img.Draw(shadows, 0, 0, 0.75f);
    AddBmp(out, "bmp/shade.bmp", img, BmpMode::Opaque, Place::VolumeArchive);
}

}  // namespace

void AddEffectPictureJobs(std::vector<Job>& jobs) {
    jobs.push_back({"effect.bmp", AdditiveSheet});
    jobs.push_back({"effect_opa.bmp", OpaqueSheet});
    jobs.push_back({"effect_sun.bmp", SunSheet});
    jobs.push_back({"effect_shot.bmp", ShotSheet});
    jobs.push_back({"b_coin.tga", CoinSheet});
    jobs.push_back({"roll_efect.bmp", RollRing});
    jobs.push_back({"shade.bmp", ShadowSheet});
}

}  // namespace mk
