#include "tools/mkdata/chara.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace mk {

namespace {

enum class Hair { Spiky, LongTail, Short, Swept, Bald, Bun, Bob, Cap };

struct Look {
    Color skin, hair, hairDark, eye, coat, coat2, pants, boots, accent;
    Hair hair_style;
    bool goggles = false, scarf = false, ribbon = false, beard = false, glasses = false,
         cape = false;
    float build = 1;  // shoulder width factor
};

Look LookOf(Who who) {
    Look l;
    l.skin = Rgb(0xFFE0C8);
    l.boots = Rgb(0x5A3A22);
    switch (who) {
        case Who::Kai:
            l.hair = Rgb(0x8A4A22);
            l.hairDark = Rgb(0x5A2A10);
            l.eye = Rgb(0xD98A1E);
            l.coat = Rgb(0xF4F1EA);
            l.coat2 = Rgb(0xD8342C);
            l.pants = Rgb(0x3A4A66);
            l.accent = Rgb(0xF2C14E);
            l.hair_style = Hair::Spiky;
            l.goggles = true;
            l.scarf = true;
            break;
        case Who::Mira:
            l.hair = Rgb(0x8EC8F2);
            l.hairDark = Rgb(0x4A86C4);
            l.eye = Rgb(0x2F6FD6);
            l.coat = Rgb(0xEAF2FF);
            l.coat2 = Rgb(0x2F6FD6);
            l.pants = Rgb(0x24365C);
            l.boots = Rgb(0xF4F6FA);
            l.accent = Rgb(0xFFFFFF);
            l.hair_style = Hair::LongTail;
            l.ribbon = true;
            break;
        case Who::Gant:
            l.skin = Rgb(0xE8B890);
            l.hair = Rgb(0x2F4A2A);
            l.hairDark = Rgb(0x1A2A16);
            l.eye = Rgb(0x6A4A22);
            l.coat = Rgb(0x5F9E3A);
            l.coat2 = Rgb(0xE8D7A0);
            l.pants = Rgb(0x4A5A36);
            l.accent = Rgb(0xF08A24);
            l.hair_style = Hair::Cap;
            l.build = 1.25f;
            break;
        case Who::Zeno:
            l.skin = Rgb(0xF6E2D4);
            l.hair = Rgb(0xDCDDEA);
            l.hairDark = Rgb(0x9A9CB4);
            l.eye = Rgb(0xB03AD0);
            l.coat = Rgb(0x2A2238);
            l.coat2 = Rgb(0x3A2A55);
            l.pants = Rgb(0x1A1624);
            l.boots = Rgb(0x141018);
            l.accent = Rgb(0xE04BD8);
            l.hair_style = Hair::Swept;
            l.cape = true;
            break;
        case Who::Professor:
            l.hair = Rgb(0xF2F2F2);
            l.hairDark = Rgb(0xB8B8C0);
            l.eye = Rgb(0x4A6A8A);
            l.coat = Rgb(0xF8F8F4);
            l.coat2 = Rgb(0x8A6A4A);
            l.pants = Rgb(0x5A4A3A);
            l.accent = Rgb(0x3A8AD0);
            l.hair_style = Hair::Bald;
            l.beard = true;
            l.glasses = true;
            break;
        case Who::Commander:
            l.skin = Rgb(0xF8E4D8);
            l.hair = Rgb(0x6A1E3A);
            l.hairDark = Rgb(0x3A0A1E);
            l.eye = Rgb(0xE0A020);
            l.coat = Rgb(0x3A1A2A);
            l.coat2 = Rgb(0xC8A040);
            l.pants = Rgb(0x24101A);
            l.boots = Rgb(0x1A0A12);
            l.accent = Rgb(0xC8A040);
            l.hair_style = Hair::Bun;
            l.cape = true;
            break;
        default: {
            int v = static_cast<int>(who) - static_cast<int>(Who::Villager1);
            static const uint32_t hair[5] = {0x3A2A1A, 0xC88A3A, 0x6A3A1A, 0x1A1A22, 0xA0A0A0};
            static const uint32_t coat[5] = {0xC84A3A, 0x4A8AC8, 0x6AA84A, 0xE0B040, 0x8A6AB8};
            static const Hair styles[5] = {Hair::Short, Hair::Bob, Hair::Spiky, Hair::Bun,
                                           Hair::Bald};
            l.hair = Rgb(hair[v % 5]);
            l.hairDark = Scale(l.hair, 0.6f);
            l.eye = Rgb(0x3A2A1A);
            l.coat = Rgb(coat[v % 5]);
            l.coat2 = Mix(Rgb(coat[v % 5]), Rgb(0xFFFFFF), 0.5f);
            l.pants = Rgb(0x4A3A2A);
            l.accent = Rgb(0xF0E0C0);
            l.hair_style = styles[v % 5];
            l.beard = v == 4;
            break;
        }
    }
    return l;
}

const Color kLine = Rgb(0x1E1420);

// A drawing command with its depth (larger = nearer the viewer).
struct Piece {
    float depth;
    std::function<void()> draw;
};

class Figure {
public:
    Figure(Image& img, float cx, float footY, float h) : img_(img), cx_(cx), fy_(footY), h_(h) {}
    float X(float x) const { return cx_ + x * h_; }
    float Y(float y) const { return fy_ + y * h_; }
    Vec2 P(float x, float y) const { return {X(x), Y(y)}; }
    float L(float v) const { return v * h_; }
    Path Ell(float x, float y, float rx, float ry) const {
        Path p;
        p.Ellipse(X(x), Y(y), std::max(0.001f, rx * h_), std::max(0.001f, ry * h_));
        return p;
    }
    Path Poly(std::vector<Vec2> pts) const {
        for (Vec2& v : pts) v = P(v.x, v.y);
        Path p;
        p.Polygon(pts);
        return p;
    }
    Path Limb(float x0, float y0, float x1, float y1, float w) const {
        Path p;
        p.Stroke({P(x0, y0), P(x1, y1)}, w * h_);
        return p;
    }
    void Ink(const Path& p, const Paint& fill, float w = 0.008f) {
        img_.FillOutlined(p, fill, kLine, std::max(0.8f, w * h_));
    }
    void Flat(const Path& p, Color c, float opacity = 1) { img_.Fill(p, c, opacity); }
    Image& img_;
    float cx_, fy_, h_;
};

Paint Shade(const Figure& f, Color c, float x, float y, float r) {
    return Radial(f.X(x), f.Y(y), r * f.h_,
                  {{0, Mix(c, Rgb(0xFFFFFF), 0.18f)}, {0.7f, c}, {1, Scale(c, 0.78f)}});
}

void DrawEye(Figure& f, float x, float y, float w, float hgt, const Look& l, Expr e, bool left) {
    if (w < 0.004f) return;
    bool closed = e == Expr::Smile || e == Expr::Grin || (e == Expr::Wink && left);
    if (closed) {
        Path arc;
        std::vector<Vec2> pts;
        for (int i = 0; i <= 8; ++i) {
            float t = -1 + 2.0f * i / 8;
            pts.push_back(f.P(x + t * w, y - (1 - t * t) * hgt * 0.45f + hgt * 0.1f));
        }
        arc.Stroke(pts, 0.018f * f.h_);
        f.Flat(arc, kLine);
        return;
    }
    float eh = hgt;
    if (e == Expr::Angry || e == Expr::Shout || e == Expr::Determined) eh *= 0.78f;
    if (e == Expr::Surprised) eh *= 1.05f;
    // White, iris, pupil, highlights, upper lash line.
    f.Ink(f.Ell(x, y, w, eh), Solid(Rgb(0xFFFFFF)), 0.006f);
    float iw = w * (e == Expr::Surprised ? 0.55f : 0.78f),
          ih = eh * (e == Expr::Surprised ? 0.55f : 0.86f);
    f.img_.Fill(f.Ell(x, y + eh * 0.08f, iw, ih),
                Linear(0, f.Y(y - ih), 0, f.Y(y + ih),
                       {{0, Scale(l.eye, 0.55f)}, {1, Mix(l.eye, Rgb(0xFFFFFF), 0.35f)}}));
    f.Flat(f.Ell(x, y + eh * 0.12f, iw * 0.48f, ih * 0.5f), Rgb(0x140C18));
    f.Flat(f.Ell(x - iw * 0.35f, y - ih * 0.35f, iw * 0.28f, ih * 0.25f), Rgb(0xFFFFFF));
    f.Flat(f.Ell(x + iw * 0.3f, y + ih * 0.45f, iw * 0.14f, ih * 0.12f), Rgb(0xFFFFFF, 0.8f));
    Path lash;
    std::vector<Vec2> pts;
    for (int i = 0; i <= 8; ++i) {
        float t = -1.05f + 2.1f * i / 8;
        pts.push_back(f.P(x + t * w, y - std::sqrt(std::max(0.0f, 1 - t * t * 0.85f)) * eh));
    }
    lash.Stroke(pts, 0.016f * f.h_);
    f.Flat(lash, kLine);
}

void DrawBrow(Figure& f, float x, float y, float w, Expr e, bool left, Color c) {
    float tilt = 0;
    if (e == Expr::Angry || e == Expr::Shout) tilt = 0.5f;
    if (e == Expr::Determined) tilt = 0.3f;
    if (e == Expr::Sad) tilt = -0.45f;
    if (e == Expr::Surprised) y -= 0.012f;
    float s = left ? 1.0f : -1.0f;
    // Inner end lower for an angry brow.
    Path b;
    b.Stroke({f.P(x - s * w, y - tilt * 0.01f), f.P(x + s * w * 0.2f, y - 0.006f),
              f.P(x + s * w, y + tilt * 0.025f)},
             0.011f * f.h_);
    f.Flat(b, Scale(c, 0.6f));
}

void DrawMouth(Figure& f, float x, float y, float w, Expr e) {
    if (w < 0.003f) return;
    switch (e) {
        case Expr::Grin:
        case Expr::Shout:
        case Expr::Surprised: {
            float oh = e == Expr::Surprised ? 0.022f : 0.026f;
            float ow = e == Expr::Surprised ? w * 0.5f : w;
            Path m;
            if (e == Expr::Surprised) {
                m = f.Ell(x, y + 0.004f, ow, oh);
            } else {
                m.MoveTo(f.X(x - ow), f.Y(y - 0.004f));
                m.LineTo(f.X(x + ow), f.Y(y - 0.004f));
                m.QuadTo(f.X(x + ow * 0.7f), f.Y(y + oh * 1.6f), f.X(x), f.Y(y + oh * 1.6f));
                m.QuadTo(f.X(x - ow * 0.7f), f.Y(y + oh * 1.6f), f.X(x - ow), f.Y(y - 0.004f));
            }
            f.Ink(m, Solid(Rgb(0x8A1E2A)), 0.006f);
            f.Flat(f.Ell(x, y + oh * (e == Expr::Surprised ? 0.5f : 1.0f), ow * 0.5f, oh * 0.4f),
                   Rgb(0xE86A7A));
            break;
        }
        default: {
            float curve = 0.012f;
            if (e == Expr::Sad || e == Expr::Angry) curve = -0.01f;
            if (e == Expr::Determined) curve = -0.002f;
            std::vector<Vec2> pts;
            for (int i = 0; i <= 6; ++i) {
                float t = -1 + 2.0f * i / 6;
                pts.push_back(f.P(x + t * w * 0.6f, y + (1 - t * t) * curve));
            }
            Path m;
            m.Stroke(pts, 0.009f * f.h_);
            f.Flat(m, Rgb(0x6A2A2A));
            break;
        }
    }
}

// The head's centre in figure units (x from the centre line, y up from the feet negative)
// for the pose: the upper body leans and bobs.
struct HeadPlace {
    float x, y, bob, leanDrop;
};
constexpr float kHeadRadius = 0.2f;

HeadPlace PlaceHead(const Pose& pose) {
    const float fr = static_cast<float>(pose.frame);
    float bob = pose.walking ? std::fabs(std::sin(fr * 2.1f)) * -0.01f : 0;
    float leanDrop = std::fabs(pose.lean) * 0.12f;
    float leanX = -std::sin(pose.turn) * pose.lean * 0.18f;  // in profile the body tips sideways
    return {leanX * 1.2f, -0.76f + leanDrop + bob, bob, leanDrop};
}

}  // namespace

TexelBox CharacterFaceBox(float cx, float footY, float height, const Pose& pose) {
    HeadPlace head = PlaceHead(pose);
    float x = cx + head.x * height, y = footY + head.y * height;
    float rx = kHeadRadius * height, ry = kHeadRadius * 0.95f * height;
    return {x - rx, y - ry, x + rx, y + ry};
}

void DrawCharacter(Image& img, Who who, float cx, float footY, float height, const Pose& pose) {
    Look l = LookOf(who);
    Figure f(img, cx, footY, height);
    const float th = pose.turn;
    const float fr = static_cast<float>(pose.frame);
    auto sx = [&](float phi, float r) { return r * std::sin(phi - th); };
    auto dz = [&](float phi, float r) { return r * std::cos(phi - th); };

    // Upper body offset for lean and a small bob while walking.
    const HeadPlace head = PlaceHead(pose);
    const float bob = head.bob, leanDrop = head.leanDrop;
    const float headY = head.y, headX = head.x;
    const float R = kHeadRadius;
    const float bw = 0.13f * l.build;  // half shoulder width
    const float torsoTop = -0.56f + leanDrop * 0.6f + bob, torsoBot = -0.27f;
    const float facing = std::cos(th);
    const float side = std::fabs(std::sin(th));
    std::vector<Piece> pieces;

    // ---- cape and scarf tails behind
    if (l.cape) {
        pieces.push_back({-0.3f * facing - 0.05f, [&, fr] {
                              float sway = std::sin(fr * 2.1f) * 0.02f;
                              f.Ink(f.Poly({{headX - bw * 1.2f, torsoTop + 0.02f},
                                            {headX + bw * 1.2f, torsoTop + 0.02f},
                                            {bw * 1.6f + sway, -0.05f},
                                            {-bw * 1.6f + sway, -0.05f}}),
                                    Solid(Scale(l.coat2, 0.8f)));
                          }});
    }
    if (l.scarf) {
        pieces.push_back(
            {-0.25f * facing, [&, fr] {
                 float flap = std::sin(fr * 2.1f + 1.0f) * 0.04f;
                 float dir = std::sin(th) >= 0 ? 1.0f : -1.0f;
                 if (side < 0.3f) dir = 0.6f;
                 f.Ink(f.Poly({{headX + 0.02f * dir, torsoTop + 0.01f},
                               {headX + (0.2f + flap) * dir, torsoTop + 0.05f + flap},
                               {headX + (0.28f + flap) * dir, torsoTop + 0.1f + flap * 0.5f},
                               {headX + (0.2f) * dir, torsoTop + 0.09f},
                               {headX + 0.0f, torsoTop + 0.06f}}),
                       Solid(l.coat2));
             }});
    }

    // ---- legs
    for (int k = -1; k <= 1; k += 2) {
        float phi = k * 0.55f;
        float step = pose.walking ? std::sin(fr * 2.1f + (k > 0 ? kPi : 0)) * 0.06f : 0;
        float x = sx(phi, 0.07f * l.build);
        pieces.push_back(
            {dz(phi, 0.07f) - 0.1f, [&, x, step] {
                 f.Ink(f.Limb(x, torsoBot + 0.02f, x + step * side, -0.06f, 0.085f * l.build),
                       Solid(l.pants));
                 f.Ink(f.Ell(x + step * side - 0.01f * std::sin(th), -0.035f, 0.05f + 0.02f * side,
                             0.04f),
                       Shade(f, l.boots, x, -0.05f, 0.06f));
             }});
    }

    // ---- arms
    for (int k = -1; k <= 1; k += 2) {
        // k = -1: the character's right arm (viewer's left when facing front).
        float phi = k * kPi / 2;
        float x0 = headX * 0.6f + sx(phi, bw * 1.05f);
        float raise = (k < 0 ? pose.wave : 0) + pose.cheer;
        raise = std::min(1.0f, raise);
        float swing = pose.walking ? std::sin(fr * 2.1f + (k > 0 ? 0 : kPi)) * 0.05f : 0;
        float hx = x0 + (raise > 0 ? sx(phi, 0.06f) : sx(phi, 0.03f)) + swing * side;
        float hy = torsoTop + 0.2f - raise * 0.42f;
        if (raise > 0 && k < 0 && pose.wave > 0) hx += std::sin(fr * 2.5f) * 0.04f;
        float d = dz(phi, bw) + 0.02f;
        pieces.push_back({d, [&, x0, hx, hy] {
                              f.Ink(f.Limb(x0, torsoTop + 0.04f, hx, hy, 0.075f * l.build),
                                    Solid(l.coat));
                              f.Ink(f.Ell(hx, hy + 0.01f, 0.035f, 0.035f), Solid(l.skin));
                          }});
    }

    // ---- torso
    pieces.push_back({0.0f, [&] {
                          float tx = headX * 0.6f;
                          float w = bw * (0.75f + 0.25f * facing * facing) + 0.02f * side;
                          Path body = f.Poly({{tx - w, torsoTop + 0.02f},
                                              {tx + w, torsoTop + 0.02f},
                                              {w * 0.9f, torsoBot + 0.03f},
                                              {-w * 0.9f, torsoBot + 0.03f}});
                          body.Add(f.Ell(tx, torsoTop + 0.03f, w, 0.035f));
                          f.Ink(body, Linear(f.X(-w), 0, f.X(w), 0,
                                             {{0, Mix(l.coat, Rgb(0xFFFFFF), 0.15f)},
                                              {1, Scale(l.coat, 0.8f)}}));
                          // Belt and front trim (only seen from the front half).
                          f.Ink(f.Poly({{-w * 0.92f, torsoBot - 0.005f},
                                        {w * 0.92f, torsoBot - 0.005f},
                                        {w * 0.9f, torsoBot + 0.03f},
                                        {-w * 0.9f, torsoBot + 0.03f}}),
                                Solid(Scale(l.coat2, 0.85f)), 0.005f);
                          if (facing > -0.2f) {
                              float zx = tx + sx(0, 0.06f);
                              f.Flat(f.Poly({{zx - 0.012f, torsoTop + 0.03f},
                                             {zx + 0.012f, torsoTop + 0.03f},
                                             {zx + 0.01f, torsoBot},
                                             {zx - 0.01f, torsoBot}}),
                                     l.coat2);
                              if (facing > 0.3f)
                                  f.Flat(f.Ell(zx, torsoBot + 0.012f, 0.018f, 0.012f), l.accent);
                          }
                          // Collar.
                          f.Ink(f.Ell(tx, torsoTop + 0.01f, w * 0.55f, 0.025f),
                                Solid(l.scarf ? l.coat2 : Scale(l.coat, 0.9f)), 0.005f);
                      }});

    // ---- head (with back hair behind it, face and front hair in front)
    // Back hair mass: behind the head when facing front, over it when facing away.
    pieces.push_back(
        {-0.2f * facing - 0.01f, [&, fr] {
             float sway = std::sin(fr * 2.1f) * 0.012f;
             switch (l.hair_style) {
                 case Hair::LongTail: {
                     f.Ink(f.Ell(headX, headY + 0.02f, R * 1.08f, R * 1.05f), Solid(l.hairDark));
                     // The long tail hangs down the back.
                     float tx = headX + sx(kPi, R * 0.8f);
                     f.Ink(f.Poly({{tx - 0.08f, headY - 0.05f},
                                   {tx + 0.08f, headY - 0.05f},
                                   {tx + 0.06f + sway, -0.42f},
                                   {tx + sway, -0.34f},
                                   {tx - 0.06f + sway, -0.42f}}),
                           Solid(l.hair));
                     break;
                 }
                 case Hair::Bun:
                     f.Ink(f.Ell(headX, headY, R * 1.06f, R * 1.04f), Solid(l.hairDark));
                     f.Ink(f.Ell(headX + sx(kPi, R * 0.9f), headY - R * 0.75f, 0.07f, 0.065f),
                           Solid(l.hair));
                     break;
                 case Hair::Bald:
                     break;
                 default:
                     f.Ink(f.Ell(headX, headY - 0.01f, R * 1.04f, R * 1.02f), Solid(l.hairDark));
                     break;
             }
         }});
    pieces.push_back({0.01f, [&] {
                          f.Ink(f.Ell(headX, headY, R, R * 0.95f),
                                Shade(f, l.skin, headX - 0.05f, headY - 0.05f, 0.3f));
                          // Ears at the sides.
                          for (int k = -1; k <= 1; k += 2) {
                              float phi = k * kPi / 2;
                              if (dz(phi, 1) > -0.2f)
                                  f.Ink(f.Ell(headX + sx(phi, R * 0.97f), headY + 0.02f,
                                              0.03f * (0.4f + 0.6f * std::fabs(std::sin(phi - th))),
                                              0.045f),
                                        Solid(l.skin));
                          }
                      }});
    // Face features.
    pieces.push_back(
        {0.02f + 0.2f * facing, [&] {
             if (facing < -0.05f) return;
             for (int k = -1; k <= 1; k += 2) {
                 float phi = k * 0.42f;
                 float c = std::cos(phi - th);
                 if (c < 0.15f) continue;
                 float ex = headX + sx(phi, R * 0.92f);
                 DrawEye(f, ex, headY + 0.035f, 0.045f * c, 0.06f, l, pose.expr, k > 0);
                 DrawBrow(f, ex, headY - 0.045f, 0.04f * c, pose.expr, k > 0, l.hair);
             }
             float mc = std::cos(th);
             float mx = headX + sx(0, R * 0.95f);
             DrawMouth(f, mx, headY + 0.115f, 0.045f * std::max(0.2f, mc), pose.expr);
             // Blush.
             for (int k = -1; k <= 1; k += 2) {
                 float phi = k * 0.62f, c = std::cos(phi - th);
                 if (c > 0.3f)
                     f.Flat(f.Ell(headX + sx(phi, R * 0.9f), headY + 0.09f, 0.03f * c, 0.014f),
                            Rgb(0xFF7A8A, 0.35f));
             }
             if (side > 0.6f) {  // a small nose in profile
                 float nx = headX + sx(0, R * 1.0f);
                 f.Flat(f.Poly({{nx, headY + 0.04f},
                                {nx + (std::sin(th) > 0 ? -0.018f : 0.018f), headY + 0.075f},
                                {nx, headY + 0.08f}}),
                        Scale(l.skin, 0.85f));
             }
             if (l.glasses) {
                 for (int k = -1; k <= 1; k += 2) {
                     float phi = k * 0.42f, c = std::cos(phi - th);
                     if (c < 0.15f) continue;
                     Path g;
                     g.Ring(f.X(headX + sx(phi, R * 0.95f)), f.Y(headY + 0.035f), 0.055f * f.h_,
                            0.045f * f.h_);
                     f.Flat(g.Scaled(c, 1, f.X(headX + sx(phi, R * 0.95f)), 0), Rgb(0x3A3A44));
                 }
             }
             if (l.beard) {
                 // A full beard from the cheeks to a rounded point, its lower edge in curls,
                 // shaded like the hair, with strands, and a moustache over the mouth, which
                 // is drawn again on top so that it shows between beard and moustache.
                 const float w = 0.15f * std::max(0.4f, facing);
                 const float bx = headX + sx(0, R * 0.6f), top = headY + 0.05f;
                 Path beard;
                 // Sideburns at the ears, the upper edge dipping under the cheeks.
                 const float burns = headY;
                 beard.MoveTo(f.X(bx - w * 1.1f), f.Y(burns));
                 beard.QuadTo(f.X(bx - w * 1.12f), f.Y(top + 0.12f), f.X(bx - w * 0.7f),
                              f.Y(top + 0.19f));
                 // Curls along the lower edge, from the left cheek to the point and back.
                 const int curls = 5;
                 for (int i = 0; i < curls; ++i) {
                     float t0 = static_cast<float>(i) / curls,
                           t1 = static_cast<float>(i + 1) / curls;
                     auto edge = [&](float t) {
                         float x = bx - w * 0.7f + 1.4f * w * t;
                         float y = top + 0.19f + 0.07f * (1 - std::fabs(2 * t - 1));
                         return Vec2{x, y};
                     };
                     Vec2 b = edge(t1), mid = edge((t0 + t1) / 2);
                     beard.QuadTo(f.X(mid.x), f.Y(mid.y + 0.035f), f.X(b.x), f.Y(b.y));
                 }
                 beard.QuadTo(f.X(bx + w * 1.12f), f.Y(top + 0.12f), f.X(bx + w * 1.1f),
                              f.Y(burns));
                 beard.QuadTo(f.X(bx + w * 0.95f), f.Y(top + 0.07f), f.X(bx + w * 0.45f),
                              f.Y(top + 0.075f));
                 beard.QuadTo(f.X(bx + w * 0.12f), f.Y(top + 0.07f), f.X(bx), f.Y(top + 0.05f));
                 beard.QuadTo(f.X(bx - w * 0.12f), f.Y(top + 0.07f), f.X(bx - w * 0.45f),
                              f.Y(top + 0.075f));
                 beard.QuadTo(f.X(bx - w * 0.95f), f.Y(top + 0.07f), f.X(bx - w * 1.1f),
                              f.Y(burns));
                 beard.Close();
                 f.Ink(beard, Linear(0, f.Y(top), 0, f.Y(top + 0.3f),
                                     {{0, Mix(l.hair, Rgb(0xFFFFFF), 0.3f)},
                                      {0.6f, l.hair},
                                      {1, Mix(l.hair, l.hairDark, 0.6f)}}));
                 for (int i = -2; i <= 2; ++i) {
                     Path strand;
                     float x0 = bx + i * w * 0.3f;
                     strand.Stroke({f.P(x0, top + 0.09f), f.P(x0 + i * 0.008f, top + 0.17f),
                                    f.P(x0 + i * 0.014f, top + 0.22f - std::fabs(i) * 0.02f)},
                                   0.006f * f.h_);
                     f.Flat(strand, l.hairDark, 0.55f);
                 }
                 // The mouth shows through an opening, under a moustache of two tufts.
                 f.Ink(f.Ell(mx, headY + 0.118f, 0.038f * std::max(0.3f, facing), 0.02f),
                       Solid(Rgb(0x7A3A3A)), 0.005f);
                 DrawMouth(f, mx, headY + 0.115f, 0.045f * std::max(0.2f, facing), pose.expr);
                 for (int k = -1; k <= 1; k += 2) {
                     Path tuft;
                     float s = static_cast<float>(k) * std::max(0.4f, facing);
                     tuft.MoveTo(f.X(mx), f.Y(headY + 0.085f));
                     tuft.QuadTo(f.X(mx + s * 0.06f), f.Y(headY + 0.06f), f.X(mx + s * 0.11f),
                                 f.Y(headY + 0.105f));
                     tuft.QuadTo(f.X(mx + s * 0.06f), f.Y(headY + 0.095f), f.X(mx),
                                 f.Y(headY + 0.1f));
                     tuft.Close();
                     f.Ink(tuft,
                           Linear(0, f.Y(headY + 0.07f), 0, f.Y(headY + 0.1f),
                                  {{0, Mix(l.hair, Rgb(0xFFFFFF), 0.3f)}, {1, l.hair}}),
                           0.005f);
                 }
             }
         }});
    // Front hair, goggles and ribbon.
    pieces.push_back(
        {0.03f + 0.2f * facing, [&, fr] {
             float sway = std::sin(fr * 2.1f) * 0.008f;
             if (l.hair_style == Hair::Bald) {
                 // A fringe of hair around the back and sides.
                 if (facing < 0.3f)
                     f.Ink(f.Ell(headX, headY - 0.02f, R * 0.98f, R * 0.8f), Solid(l.hair));
                 for (int k = -1; k <= 1; k += 2) {
                     float phi = k * 1.3f;
                     if (dz(phi, 1) > -0.3f)
                         f.Ink(f.Ell(headX + sx(phi, R * 0.95f), headY - 0.02f, 0.05f, 0.07f),
                               Solid(l.hair));
                 }
                 return;
             }
             if (facing < -0.1f) {
                 // Seen from behind: the back of the head is all hair.
                 f.Ink(f.Ell(headX, headY - 0.01f, R * 1.04f, R * 1.0f),
                       Shade(f, l.hair, headX, headY - 0.1f, 0.3f));
                 if (l.hair_style == Hair::Spiky) {
                     for (int i = -2; i <= 2; ++i) {
                         f.Ink(f.Poly({{headX + i * 0.07f - 0.05f, headY + 0.14f},
                                       {headX + i * 0.075f + sway, headY + 0.27f},
                                       {headX + i * 0.07f + 0.05f, headY + 0.14f}}),
                               Solid(l.hair), 0.005f);
                         f.Ink(f.Poly({{headX + i * 0.07f - 0.04f, headY - R * 0.85f},
                                       {headX + i * 0.09f + sway, headY - R * 1.35f},
                                       {headX + i * 0.07f + 0.04f, headY - R * 0.85f}}),
                               Solid(l.hair), 0.005f);
                     }
                     f.Flat(f.Ell(headX, headY, R * 0.98f, R * 0.92f), l.hair);
                 }
                 // A few strands down the back of the head.
                 for (int i = -2; i <= 2; ++i) {
                     Path s;
                     s.Stroke({f.P(headX + i * 0.05f, headY - R * 0.8f),
                               f.P(headX + i * 0.07f, headY + R * 0.6f)},
                              0.006f * f.h_);
                     f.Flat(s, l.hairDark, 0.6f);
                 }
                 if (l.hair_style == Hair::LongTail)
                     f.Ink(f.Poly({{headX - 0.09f, headY},
                                   {headX + 0.09f, headY},
                                   {headX + 0.07f + sway, -0.4f},
                                   {headX - 0.07f + sway, -0.4f}}),
                           Solid(l.hair));
             } else {
                 // Bangs: a band of locks over the forehead, following the turn.
                 float cxh = headX + sx(0, R * 0.35f);
                 std::vector<Vec2> pts;
                 pts.push_back({headX - R * 1.05f, headY + 0.02f});
                 int locks = l.hair_style == Hair::Short || l.hair_style == Hair::Cap ? 4 : 6;
                 for (int i = 0; i <= locks; ++i) {
                     float t = static_cast<float>(i) / locks;
                     float x = headX - R * 1.0f + 2 * R * t;
                     x = x + (cxh - headX) * (1 - std::fabs(2 * t - 1));
                     float yTip = headY - 0.02f + ((i % 2) ? 0.07f : 0.0f);
                     if (l.hair_style == Hair::Cap) yTip = headY - 0.1f;
                     if (l.hair_style == Hair::Swept) yTip += (t < 0.5f ? 0.12f * (1 - 2 * t) : 0);
                     pts.push_back({x, i % 2 ? yTip + 0.02f : headY - 0.06f});
                 }
                 pts.push_back({headX + R * 1.05f, headY + 0.02f});
                 pts.push_back({headX + R * 0.9f, headY - R * 0.75f});
                 pts.push_back({headX, headY - R * 1.05f});
                 pts.push_back({headX - R * 0.9f, headY - R * 0.75f});
                 f.Ink(f.Poly(pts), Shade(f, l.hair, headX - 0.05f, headY - 0.12f, 0.3f));
                 if (l.hair_style == Hair::Spiky)
                     for (int i = -2; i <= 2; ++i)
                         f.Ink(f.Poly({{headX + i * 0.07f - 0.04f, headY - R * 0.85f},
                                       {headX + i * 0.09f + sway, headY - R * 1.35f},
                                       {headX + i * 0.07f + 0.04f, headY - R * 0.85f}}),
                               Solid(l.hair), 0.005f);
                 if (l.hair_style == Hair::LongTail)
                     for (int k = -1; k <= 1; k += 2) {
                         float phi = k * 1.2f;
                         if (dz(phi, 1) > -0.1f)
                             f.Ink(f.Poly({{headX + sx(phi, R) - 0.03f, headY - 0.02f},
                                           {headX + sx(phi, R) + 0.03f, headY - 0.02f},
                                           {headX + sx(phi, R * 1.05f) + sway, headY + 0.22f}}),
                                   Solid(l.hair));
                     }
                 // A lock of hair covering one eye.
                 if (l.hair_style == Hair::Swept)
                     f.Ink(f.Poly({{headX - 0.02f, headY - 0.08f},
                                   {headX + sx(-0.4f, R) - 0.06f, headY + 0.08f},
                                   {headX + sx(-0.4f, R) + 0.02f, headY + 0.02f}}),
                           Solid(l.hair));
             }
             if (l.hair_style == Hair::Cap) {
                 // A bandana over the hair.
                 f.Ink(f.Poly({{headX - R * 1.02f, headY - 0.04f},
                               {headX + R * 1.02f, headY - 0.04f},
                               {headX + R * 0.85f, headY - R * 0.85f},
                               {headX, headY - R * 1.08f},
                               {headX - R * 0.85f, headY - R * 0.85f}}),
                       Solid(l.accent));
                 if (facing < 0.2f)
                     f.Ink(f.Poly({{headX + sx(kPi, R) - 0.02f, headY - 0.03f},
                                   {headX + sx(kPi, R) + 0.08f + sway, headY + 0.08f},
                                   {headX + sx(kPi, R) + 0.02f, headY + 0.06f}}),
                           Solid(l.accent));
             }
             if (l.goggles) {
                 float gy = headY - R * 0.62f;
                 f.Ink(f.Poly({{headX - R * 1.02f, gy - 0.02f},
                               {headX + R * 1.02f, gy - 0.02f},
                               {headX + R * 1.02f, gy + 0.02f},
                               {headX - R * 1.02f, gy + 0.02f}}),
                       Solid(Rgb(0x3A2A22)), 0.004f);
                 if (facing > -0.2f)
                     for (int k = -1; k <= 1; k += 2) {
                         float phi = k * 0.38f, c = std::cos(phi - th);
                         if (c < 0.1f) continue;
                         float gx = headX + sx(phi, R * 0.95f);
                         f.Ink(f.Ell(gx, gy, 0.05f * c, 0.04f),
                               Radial(f.X(gx - 0.015f), f.Y(gy - 0.015f), 0.06f * f.h_,
                                      {{0, Rgb(0xFFF0B0)}, {1, Rgb(0xE08A1E)}}));
                     }
             }
             if (l.ribbon) {
                 float rx = headX + sx(kPi * 0.75f, R), ry = headY - R * 0.7f;
                 if (dz(kPi * 0.75f, 1) > -0.6f) {
                     f.Ink(f.Poly({{rx, ry}, {rx - 0.07f, ry - 0.05f}, {rx - 0.07f, ry + 0.05f}}),
                           Solid(l.accent));
                     f.Ink(f.Poly({{rx, ry}, {rx + 0.07f, ry - 0.05f}, {rx + 0.07f, ry + 0.05f}}),
                           Solid(l.accent));
                     f.Ink(f.Ell(rx, ry, 0.02f, 0.02f), Solid(Rgb(0xE05A8A)));
                 }
             }
         }});

    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.depth < b.depth; });
    for (Piece& p : pieces) p.draw();
}

void DrawMascot(Image& img, float cx, float footY, float height, float turn, int frame,
                bool walking) {
    Figure f(img, cx, footY, height);
    const Color body = Rgb(0x6A4AA8), belly = Rgb(0xC8B4F0), horn = Rgb(0xF2E2B0),
                lens = Rgb(0xFFD24A);
    float th = turn, facing = std::cos(th);
    float fr = static_cast<float>(frame);
    auto sx = [&](float phi, float r) { return r * std::sin(phi - th); };
    float bob = walking ? -std::fabs(std::sin(fr * 2.1f)) * 0.04f : 0;
    float by = -0.45f + bob;
    std::vector<Piece> pieces;
    // Wings behind.
    for (int k = -1; k <= 1; k += 2) {
        float phi = k * 2.3f;
        float flap = std::sin(fr * 2.1f + k) * 0.06f;
        pieces.push_back({std::cos(phi - th) * 0.3f, [&, phi, flap] {
                              float wx = sx(phi, 0.3f);
                              float dir = wx >= 0 ? 1.0f : -1.0f;
                              f.Ink(f.Poly({{wx * 0.6f, by - 0.1f},
                                            {wx + dir * 0.28f, by - 0.3f - flap},
                                            {wx + dir * 0.22f, by - 0.05f},
                                            {wx + dir * 0.12f, by + 0.0f}}),
                                    Solid(Scale(body, 0.75f)), 0.012f);
                          }});
    }
    // Tail.
    pieces.push_back({-facing * 0.35f, [&] {
                          float tx = sx(kPi, 0.3f);
                          Path t;
                          t.Stroke({f.P(tx, by + 0.2f), f.P(tx * 1.6f + 0.1f, by + 0.3f),
                                    f.P(tx * 1.8f + 0.18f, by + 0.18f)},
                                   0.04f * f.h_);
                          f.Flat(t, Scale(body, 0.8f));
                      }});
    // Feet.
    for (int k = -1; k <= 1; k += 2) {
        float step = walking ? std::sin(fr * 2.1f + (k > 0 ? kPi : 0)) * 0.08f : 0;
        pieces.push_back({std::cos(k * 0.6f - th) * 0.2f - 0.1f, [&, k, step] {
                              float x = sx(k * 0.6f, 0.18f) + step * std::fabs(std::sin(th));
                              f.Ink(f.Ell(x, -0.05f, 0.1f, 0.06f), Solid(Rgb(0xF2B43C)), 0.012f);
                          }});
    }
    // Body.
    pieces.push_back(
        {0, [&] {
             f.Ink(f.Ell(0, by, 0.36f, 0.4f), Shade(f, body, -0.1f, by - 0.15f, 0.5f), 0.014f);
             if (facing > -0.3f)
                 f.Flat(f.Ell(sx(0, 0.15f), by + 0.12f, 0.2f * std::max(0.3f, facing), 0.22f),
                        belly);
         }});
    // Horns.
    for (int k = -1; k <= 1; k += 2) {
        float phi = k * 0.7f;
        pieces.push_back({std::cos(phi - th) * 0.3f, [&, phi] {
                              float hx = sx(phi, 0.28f);
                              f.Ink(f.Poly({{hx - 0.06f, by - 0.3f},
                                            {hx + 0.06f, by - 0.3f},
                                            {hx * 1.3f, by - 0.55f}}),
                                    Solid(horn), 0.012f);
                          }});
    }
    // Goggle eyes.
    pieces.push_back(
        {0.35f * facing, [&] {
             if (facing < -0.1f) return;
             for (int k = -1; k <= 1; k += 2) {
                 float phi = k * 0.4f, c = std::cos(phi - th);
                 if (c < 0.1f) continue;
                 float ex = sx(phi, 0.3f);
                 f.Ink(f.Ell(ex, by - 0.1f, 0.12f * c, 0.12f), Solid(Rgb(0x3A3A44)), 0.012f);
                 f.Flat(f.Ell(ex, by - 0.1f, 0.08f * c, 0.08f), lens);
                 f.Flat(f.Ell(ex - 0.02f, by - 0.13f, 0.03f * c, 0.03f), Rgb(0xFFFFFF));
             }
             float mx = sx(0, 0.33f);
             Path m;
             m.Stroke({f.P(mx - 0.08f * facing, by + 0.08f), f.P(mx, by + 0.12f),
                       f.P(mx + 0.08f * facing, by + 0.08f)},
                      0.025f * f.h_);
             f.Flat(m, Rgb(0x2A1440));
             f.Flat(f.Poly({{mx - 0.05f * facing, by + 0.09f},
                            {mx - 0.03f * facing, by + 0.15f},
                            {mx - 0.01f * facing, by + 0.1f}}),
                    Rgb(0xFFFFFF));
         }});
    std::stable_sort(pieces.begin(), pieces.end(),
                     [](const Piece& a, const Piece& b) { return a.depth < b.depth; });
    for (Piece& p : pieces) p.draw();
}

namespace {

// The keeper's head centre and radii in figure units; bowing lowers it and moves it aside.
struct KeeperHead {
    float x, y, rx, ry;
};
KeeperHead PlaceKeeperHead(int pose) {
    bool bow = pose == 1;
    return {bow ? 0.04f : 0.0f, bow ? -0.62f : -0.7f, 0.2f, 0.17f};
}

}  // namespace

TexelBox ShopkeeperFaceBox(float cx, float footY, float height, int pose) {
    KeeperHead h = PlaceKeeperHead(pose);
    float x = cx + h.x * height, y = footY + h.y * height;
    return {x - h.rx * height, y - h.ry * height, x + h.rx * height, y + h.ry * height};
}

void DrawShopkeeper(Image& img, float cx, float footY, float height, int pose) {
    Figure f(img, cx, footY, height);
    const Color scale = Rgb(0x4FA85A), belly = Rgb(0xF2E2A0), apron = Rgb(0xF6F0E4),
                hat = Rgb(0x8A3A2A);
    bool bow = pose == 1;
    const KeeperHead head = PlaceKeeperHead(pose);
    float hy = head.y, hx = head.x;
    // Tail curling from behind.
    Path tail;
    tail.Stroke({f.P(0.18f, -0.12f), f.P(0.38f, -0.2f), f.P(0.42f, -0.36f), f.P(0.34f, -0.42f)},
                0.07f * f.h_);
    f.Ink(tail, Solid(scale));
    // Wings.
    for (int k = -1; k <= 1; k += 2)
        f.Ink(
            f.Poly(
                {{k * 0.16f, -0.5f}, {k * 0.42f, -0.72f}, {k * 0.38f, -0.5f}, {k * 0.3f, -0.42f}}),
            Solid(Scale(scale, 0.8f)));
    // Body and belly.
    f.Ink(f.Ell(0, -0.28f, 0.26f, 0.3f), Shade(f, scale, -0.08f, -0.38f, 0.4f));
    f.Flat(f.Ell(0, -0.24f, 0.17f, 0.22f), belly);
    // Apron with a pocket and a coin badge.
    f.Ink(f.Poly({{-0.17f, -0.4f}, {0.17f, -0.4f}, {0.2f, -0.04f}, {-0.2f, -0.04f}}), Solid(apron));
    f.Ink(f.Poly({{-0.09f, -0.22f}, {0.09f, -0.22f}, {0.09f, -0.12f}, {-0.09f, -0.12f}}),
          Solid(Rgb(0xE6DCC8)), 0.005f);
    f.Ink(f.Ell(0, -0.32f, 0.035f, 0.035f),
          Radial(f.X(-0.01f), f.Y(-0.33f), 0.04f * f.h_, {{0, Rgb(0xFFF3A0)}, {1, Rgb(0xD09A10)}}),
          0.005f);
    // Arms: one waves a welcome (or both clasped when bowing).
    if (bow) {
        f.Ink(f.Limb(-0.2f, -0.42f, -0.04f, -0.34f, 0.08f), Solid(scale));
        f.Ink(f.Limb(0.2f, -0.42f, 0.04f, -0.34f, 0.08f), Solid(scale));
        f.Ink(f.Ell(0, -0.34f, 0.05f, 0.04f), Solid(Mix(scale, belly, 0.3f)));
    } else {
        f.Ink(f.Limb(-0.2f, -0.42f, -0.34f, -0.62f, 0.08f), Solid(scale));
        f.Ink(f.Ell(-0.35f, -0.65f, 0.05f, 0.05f), Solid(Mix(scale, belly, 0.3f)));
        f.Ink(f.Limb(0.2f, -0.42f, 0.24f, -0.26f, 0.08f), Solid(scale));
    }
    // Head: a round snout, big eyes, little horns and a merchant's cap.
    for (int k = -1; k <= 1; k += 2)
        f.Ink(f.Poly({{hx + k * 0.09f, hy - 0.14f},
                      {hx + k * 0.16f, hy - 0.3f},
                      {hx + k * 0.04f, hy - 0.16f}}),
              Solid(Rgb(0xF2E2B0)));
    f.Ink(f.Ell(hx, hy, head.rx, head.ry), Shade(f, scale, hx - 0.06f, hy - 0.08f, 0.3f));
    f.Ink(f.Ell(hx, hy + 0.08f, 0.13f, 0.08f), Solid(Mix(scale, belly, 0.55f)));
    f.Flat(f.Ell(hx - 0.04f, hy + 0.07f, 0.012f, 0.008f), Rgb(0x1E3A1E));
    f.Flat(f.Ell(hx + 0.04f, hy + 0.07f, 0.012f, 0.008f), Rgb(0x1E3A1E));
    for (int k = -1; k <= 1; k += 2) {
        float ex = hx + k * 0.08f, ey = hy - 0.04f;
        if (bow) {
            Path a;
            a.Stroke({f.P(ex - 0.04f, ey), f.P(ex, ey - 0.025f), f.P(ex + 0.04f, ey)},
                     0.014f * f.h_);
            f.Flat(a, kLine);
        } else {
            f.Ink(f.Ell(ex, ey, 0.045f, 0.055f), Solid(Rgb(0xFFFFFF)), 0.006f);
            f.Flat(f.Ell(ex, ey + 0.01f, 0.03f, 0.04f), Rgb(0xC87A10));
            f.Flat(f.Ell(ex, ey + 0.012f, 0.016f, 0.024f), Rgb(0x1A1008));
            f.Flat(f.Ell(ex - 0.012f, ey - 0.012f, 0.011f, 0.011f), Rgb(0xFFFFFF));
        }
    }
    Path smile;
    smile.Stroke({f.P(hx - 0.07f, hy + 0.11f), f.P(hx, hy + 0.14f), f.P(hx + 0.07f, hy + 0.11f)},
                 0.012f * f.h_);
    f.Flat(smile, kLine);
    f.Ink(f.Poly({{hx - 0.13f, hy - 0.12f},
                  {hx + 0.13f, hy - 0.12f},
                  {hx + 0.1f, hy - 0.24f},
                  {hx - 0.1f, hy - 0.24f}}),
          Solid(hat));
    f.Ink(f.Ell(hx, hy - 0.12f, 0.17f, 0.03f), Solid(Scale(hat, 0.8f)));
    f.Flat(f.Poly({{hx - 0.1f, hy - 0.17f},
                   {hx + 0.1f, hy - 0.17f},
                   {hx + 0.1f, hy - 0.15f},
                   {hx - 0.1f, hy - 0.15f}}),
           Rgb(0xF2C14E));
}

}  // namespace mk
