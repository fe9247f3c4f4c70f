// The play display's pictures (texture group 3, volume archive) and the item pictures
// that the shop shares.
#include <cmath>

#include "tools/mkdata/chara.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

const Color kP1 = Rgb(0xFF5A4A), kP2 = Rgb(0x4AA8FF);

// A lock-on marker: four corner brackets around a diamond.
void LockMark(Image& img, float cx, float cy, Color c, bool fired) {
    for (int sxn = -1; sxn <= 1; sxn += 2)
        for (int syn = -1; syn <= 1; syn += 2) {
            Path b;
            b.Stroke({{cx + sxn * 24.0f, cy + syn * 12.0f},
                      {cx + sxn * 24.0f, cy + syn * 24.0f},
                      {cx + sxn * 12.0f, cy + syn * 24.0f}},
                     3.5f);
            img.FillOutlined(b, Solid(c), Rgb(0x000000, 0.6f), 1);
        }
    Path d;
    d.Polygon({{cx, cy - 9}, {cx + 9, cy}, {cx, cy + 9}, {cx - 9, cy}});
    if (fired)
        img.FillOutlined(d, Solid(Mix(c, pal::kWhite, 0.5f)), Rgb(0, 0.6f), 1);
    else {
        Path ring;
        ring.Ring(cx, cy, 10, 7);
        img.Fill(ring, c);
    }
}

void Reticle(Image& img, float cx, float cy, Color c) {
    Path ring;
    ring.Ring(cx, cy, 26, 23);
    img.Fill(ring, c);
    for (int k = 0; k < 4; ++k) {
        float a = kPi / 2 * k;
        Path t;
        t.Stroke({{cx + std::cos(a) * 14, cy + std::sin(a) * 14},
                  {cx + std::cos(a) * 30, cy + std::sin(a) * 30}},
                 3);
        img.Fill(t, c);
    }
    Path dot;
    dot.Circle(cx, cy, 2.5f);
    img.Fill(dot, c);
}

// Player 2's panel is player 1's frame drawn mirrored, so the frame holds no lettering:
// its marks are a heart by the life bar and a flame at the hot end of the heat bar, both
// the same either way round.
void HeartMark(Image& img, float cx, float cy, float s) {
    Path h;
    h.MoveTo(cx, cy + 0.45f * s);
    h.CubicTo(cx - 0.35f * s, cy + 0.15f * s, cx - 0.55f * s, cy - 0.1f * s, cx - 0.45f * s,
              cy - 0.3f * s);
    h.CubicTo(cx - 0.35f * s, cy - 0.5f * s, cx - 0.05f * s, cy - 0.5f * s, cx, cy - 0.22f * s);
    h.CubicTo(cx + 0.05f * s, cy - 0.5f * s, cx + 0.35f * s, cy - 0.5f * s, cx + 0.45f * s,
              cy - 0.3f * s);
    h.CubicTo(cx + 0.55f * s, cy - 0.1f * s, cx + 0.35f * s, cy + 0.15f * s, cx, cy + 0.45f * s);
    img.FillOutlined(h,
                     Linear(0, cy - 0.5f * s, 0, cy + 0.45f * s,
                            {{0, Rgb(0xFFB0A8)}, {0.5f, Rgb(0xF04A4A)}, {1, Rgb(0xA01A2A)}}),
                     pal::kInk, 1.2f);
}

void FlameMark(Image& img, float cx, float cy, float s) {
    auto flame = [&](float k) {
        Path f;
        f.MoveTo(cx, cy - 0.5f * s * k);
        f.CubicTo(cx + 0.12f * s * k, cy - 0.2f * s * k, cx + 0.38f * s * k, cy - 0.05f * s * k,
                  cx + 0.34f * s * k, cy + 0.2f * s * k);
        f.CubicTo(cx + 0.3f * s * k, cy + 0.45f * s * k, cx + 0.1f * s * k, cy + 0.5f * s * k, cx,
                  cy + 0.5f * s * k);
        f.CubicTo(cx - 0.1f * s * k, cy + 0.5f * s * k, cx - 0.3f * s * k, cy + 0.45f * s * k,
                  cx - 0.34f * s * k, cy + 0.2f * s * k);
        f.CubicTo(cx - 0.38f * s * k, cy - 0.05f * s * k, cx - 0.12f * s * k, cy - 0.2f * s * k, cx,
                  cy - 0.5f * s * k);
        return f;
    };
    img.FillOutlined(flame(1),
                     Linear(0, cy - 0.5f * s, 0, cy + 0.5f * s,
                            {{0, Rgb(0xFF3A10)}, {0.6f, Rgb(0xFF9A20)}, {1, Rgb(0xFFD040)}}),
                     pal::kInk, 1.2f);
    Path core = flame(0.45f).Translated(0, 0.22f * s);
    img.Fill(core, Rgb(0xFFF4B0));
}

void PlayGauges(Output& out) {
    Image img(512, 512);
    // Player panel frame (0, 0)-(256, 128), drawn at the bottom left of the screen.
    {
        Path panel;
        panel.MoveTo(4, 124);
        panel.LineTo(4, 40);
        panel.QuadTo(4, 20, 24, 20);
        panel.LineTo(140, 20);
        panel.QuadTo(158, 20, 168, 34);
        panel.LineTo(180, 50);
        panel.LineTo(236, 50);
        panel.QuadTo(252, 50, 252, 66);
        panel.LineTo(252, 124);
        img.Shadow(panel, 0, 3, 2, Rgb(0, 0.5f));
        img.FillOutlined(
            panel, Linear(0, 20, 0, 124, {{0, Rgb(0x2A4A8A, 0.92f)}, {1, Rgb(0x0E1A3A, 0.92f)}}),
            pal::kGold, 2.5f);
        // Sockets: the craft icon and the weapon icon.
        Path sock;
        sock.Circle(48, 64, 32);
        img.FillOutlined(sock, Radial(48, 56, 36, {{0, Rgb(0x3A5AA0)}, {1, Rgb(0x0A1430)}}),
                         Rgb(0xA8C8FF), 2);
        // The panel is drawn over the icon and the bars: their places are holes.
        Path sockHole;
        sockHole.Circle(48, 64, 29);
        img.Fill(sockHole, Rgb(0, 0), 1, Blend::Replace);
        // The weapon icon lands on (70..134, 14..78) for player 1 and, mirrored, on (74..138,
        // 14..78) for player 2: its shield-shaped socket sits between the two, its point
        // clear of the life trough's end.
        Path wsock = ShieldPath(72, 14, 1, -1.5f);
        img.FillOutlined(wsock, Solid(Rgb(0x0A1430, 0.85f)), Rgb(0x8AA8D8), 1.5f);
        // Life trough (125, 53)-(167, 61) and heat trough (104, 72)-(234, 94).
        Path lt;
        lt.RoundRect(123, 51, 46, 12, 3);
        img.FillOutlined(lt, Solid(Rgb(0x08101E)), Rgb(0x8AA8D8), 1);
        Path ht;
        ht.RoundRect(102, 70, 134, 26, 5);
        img.FillOutlined(ht, Solid(Rgb(0x08101E)), Rgb(0x8AA8D8), 1);
        Path lifeHole;
        lifeHole.Rect(125, 53, 42, 8);
        img.Fill(lifeHole, Rgb(0, 0), 1, Blend::Replace);
        Path heatHole;
        heatHole.Rect(104, 72, 130, 22);
        img.Fill(heatHole, Rgb(0, 0), 1, Blend::Replace);
        // The troughs' wells (256, 304)-(512, 432), in the frame's own layout: drawn under
        // the bars, so that what a bar leaves empty reads as the well's dark glass.
        Path lw;
        lw.Rect(256 + 123, 304 + 51, 46, 12);
        Path hw;
        hw.Rect(256 + 102, 304 + 70, 134, 26);
        img.Fill(lw, Linear(0, 304 + 53, 0, 304 + 61, {{0, Rgb(0x020408)}, {1, Rgb(0x101C34)}}));
        img.Fill(hw, Linear(0, 304 + 72, 0, 304 + 94, {{0, Rgb(0x020408)}, {1, Rgb(0x122040)}}));
        // Faint scale lines inside the heat well, where the bar has not reached.
        for (int i = 1; i < 6; ++i)
            img.FillRect(256 + 104 + 130.0f * i / 6, 304 + 74, 1, 18, Rgb(0x2A3A60));
        HeartMark(img, 182, 57, 14);
        for (int i = 1; i < 6; ++i) img.FillRect(104 + 130.0f * i / 6, 94, 1, 3, Rgb(0x8AA8D8));
        FlameMark(img, 233, 109, 19);
    }
    // Craft icons (64k, 128)-(64k + 64, 192).
    for (int k = 0; k < 4; ++k) {
        float cx = 64.0f * k + 32;
        Path disc;
        disc.Circle(cx, 160, 29);
        img.Fill(disc, Radial(cx, 150, 32,
                              {{0, Mix(CraftColor(k, 0), pal::kWhite, 0.5f)},
                               {1, Scale(CraftColor(k, 0), 0.4f)}}));
        DrawCraftTop(img, k, cx, 162, 48);
    }
    // Heat bar (0, 192)-(130, 214): cool blue to hot red.
    img.FillRect(0, 192, 130, 22, [](float x, float y) {
        Color c = SampleStops({{0, Rgb(0x3AB8FF)}, {0.55f, Rgb(0xFFE040)}, {1, Rgb(0xFF3A2A)}},
                              x / 130.0f);
        float v = 1 - std::fabs((y - 192) / 22.0f - 0.35f) * 1.2f;
        return Mix(Scale(c, 0.7f), pal::kWhite, std::max(0.0f, v) * 0.35f);
    });
    // Life bar (144, 192)-(186, 200).
    img.FillRect(144, 192, 42, 8, [](float, float y) {
        return Mix(Rgb(0x2AC85A), Rgb(0xC8FFB0), std::max(0.0f, 1 - std::fabs(y - 194.5f) / 3));
    });
    // Enemy health bar caps, middle and fill.
    img.FillRect(192, 192, 8, 6, Rgb(0xE8E8F0));
    img.FillRect(193, 193, 7, 4, Rgb(0x101420));
    img.FillRect(200, 192, 16, 6, Rgb(0xE8E8F0));
    img.FillRect(200, 193, 16, 4, Rgb(0x101420));
    img.FillRect(216, 192, 9, 6, Rgb(0xE8E8F0));
    img.FillRect(216, 193, 7, 4, Rgb(0x101420));
    img.FillRect(240, 192, 16, 4, Rgb(0xFF4A3A));
    // Heat bubble (0, 224)-(4, 228).
    Path bubble;
    bubble.Circle(1.75f, 225.75f, 1.75f);
    img.Fill(bubble, Rgb(0xFFFFFF, 0.9f));
    // Boss gauge bar (142, 208)-(500, 224) and frame (142, 224)-(508, 248).
    img.FillRect(142, 208, 358, 16, [](float, float y) {
        return Mix(Rgb(0xD0201A), Rgb(0xFFB060), std::max(0.0f, 1 - std::fabs(y - 212) / 6));
    });
    {
        Path fr;
        fr.RoundRect(143, 225, 364, 22, 6);
        img.FillOutlined(fr, Solid(Rgb(0x1A0A0A, 0.8f)), pal::kGold, 2);
        Path hole;
        hole.Rect(146, 228, 358, 16);
        img.Fill(hole, Rgb(0, 0), 1, Blend::Replace);
    }
    // Combo digits (32d, 248)-(32d + 32, 296) and the label (320, 248)-(400, 296).
    TextStyle dig = MenuText(44, pal::kWhite, Rgb(0xFFC040), Rgb(0x3A1A05), 3);
    dig.face = Face::GothicMono;
    dig.bold = 1.5f;
    dig.stretchX = 1.1f;
    for (int d = 0; d < 10; ++d)
        DrawText(img, std::to_string(d), 32.0f * d + 16, 272, Align::Center, dig);
    TextStyle hits = MenuText(30, Rgb(0xFFE0A0), Rgb(0xFF7A20), Rgb(0x3A1A05), 3);
    DrawTextFit(img, "HITS!", 320, 256, 80, 36, Align::Center, hits);
    // Lock markers: craft 0 taking / fired, craft 1 taking / fired.
    LockMark(img, 288, 32, kP1, false);
    LockMark(img, 352, 32, kP1, true);
    LockMark(img, 416, 160, kP2, false);
    LockMark(img, 480, 160, kP2, true);
    // Target marker (320, 64)-(448, 128): a wide bracket pair.
    {
        Path t;
        t.Stroke({{334, 70}, {324, 70}, {324, 122}, {334, 122}}, 3.5f);
        t.Stroke({{434, 70}, {444, 70}, {444, 122}, {434, 122}}, 3.5f);
        img.FillOutlined(t, Solid(Rgb(0xFFE040)), Rgb(0, 0.6f), 1);
        TextStyle lk = MenuText(16, Rgb(0xFFE040), Rgb(0xFFB020), pal::kInk, 1.5f);
        DrawText(img, "TARGET", 384, 96, Align::Center, lk);
    }
    // Reticles: plain (256, 128) and locking (256, 64).
    Reticle(img, 288, 160, Rgb(0x7FFF9A));
    Reticle(img, 288, 96, Rgb(0xFF6AE0));
    // Particle cells (320, 128) and (384, 0): a bright ring burst and a star.
    {
        Path r;
        r.Ring(352, 160, 28, 22);
        img.Glow(r, 4, Rgb(0xFFFFFF, 0.7f));
        img.Fill(r, Rgb(0xFFF0A0));
        Path s;
        s.Star(416, 32, 28, 9, 4);
        img.Glow(s, 5, Rgb(0xFFE080, 0.7f));
        img.Fill(s, Rgb(0xFFFFFF));
    }
    // Speed dial (0, 304)-(180, 484), its pivot at (88, 91) in the dial; needle (192, 304)-(208,
    // 432).
    {
        float cx = 88, cy = 395, r = 84;
        Path face;
        face.Circle(cx, cy, r);
        img.FillOutlined(face,
                         Radial(cx, cy - 20, r * 1.2f, {{0, Rgb(0x2A3A5A)}, {1, Rgb(0x0A101E)}}),
                         pal::kGold, 3);
        // The scale from the needle's slowest to fastest angle.
        for (int i = 0; i <= 19; ++i) {
            float ratio = i / 19.0f * 1.2f;
            float a = -1.8849558f - 2.2933629f * ratio;  // the needle's angle at this ratio
            float sa = std::sin(a), ca = std::cos(a);
            Path t;
            float r0 = i % 5 == 0 ? r - 18 : r - 11;
            t.Stroke({{cx + sa * r0, cy + ca * r0}, {cx + sa * (r - 4), cy + ca * (r - 4)}},
                     i % 5 == 0 ? 3.0f : 1.5f);
            img.Fill(t, ratio >= 1.0f ? Rgb(0xFF4A3A) : pal::kWhite);
        }
        TextStyle sp = MenuText(16, pal::kWhite, pal::kSky, pal::kInk, 1.5f);
        DrawText(img, "SPEED", cx, cy + 40, Align::Center, sp);
        Path hub;
        hub.Circle(cx, cy, 7);
        img.Fill(hub, pal::kGold);
        // The needle: tip at the top, pivot 63 texels down.
        Path n;
        n.Polygon({{200, 306}, {206, 367}, {203, 430}, {197, 430}, {194, 367}});
        img.FillOutlined(n, Linear(192, 0, 208, 0, {{0, Rgb(0xFF6A5A)}, {1, Rgb(0xC01A10)}}),
                         Rgb(0x2A0A05), 1);
    }
    AddTga(out, "bmp/pc_gage.tga", img, Place::VolumeArchive);
}

void ContinueSheet(Output& out) {
    Image img(512, 256);
    TextStyle big = MenuText(40, pal::kWhite, Rgb(0xFF8A6A), Rgb(0x2A0505), 3.5f);
    big.spacing = 4;
    DrawTextFit(img, "GAME OVER", 0, 0, 360, 48, Align::Center, big);
    DrawTextFit(img, "CONTINUE?", 64, 48, 224, 48, Align::Center,
                MenuText(34, pal::kWhite, pal::kSky, pal::kInk, 3));
    // The answers (112, 96)-(240, 192), 128 wide each, side by side: the cursor ring is
    // drawn centred on an answer's left edge, so a word stands between its own ring and the
    // ring of the answer to its right.
    DrawTextFit(img, "YES", 150, 96, 58, 48, Align::Center,
                MenuText(34, pal::kWhite, Rgb(0xB0FFB0), pal::kInk, 3));
    DrawTextFit(img, "NO", 150, 144, 58, 48, Align::Center,
                MenuText(34, pal::kWhite, Rgb(0xFFB0B0), pal::kInk, 3));
    // Cursor (368, 128)-(432, 192): a bright ring drawn additively.
    Path ring;
    ring.Ring(400, 160, 28, 20);
    img.Glow(ring, 4, Rgb(0xFFFFFF, 0.8f));
    img.Fill(ring, Rgb(0xFFF4C0));
    DrawTextFit(img, "CREDIT", 0, 192, 160, 48, Align::Center,
                MenuText(30, pal::kGold, pal::kAmber, Rgb(0x2A1605), 3));
    TextStyle dig = MenuText(40, pal::kWhite, pal::kGold, Rgb(0x2A1605), 3);
    dig.face = Face::GothicMono;
    dig.bold = 1.5f;
    for (int c = 0; c < 10; ++c)
        DrawText(img, std::to_string(c), 176.0f + 32 * c, 216, Align::Center, dig);
    AddTga(out, "bmp/gameover.tga", img, Place::VolumeArchive);
}

void ClearCaption(Output& out) {
    Image img(512, 128);
    TextStyle st = GoldText(72);
    st.spacing = 6;
    st.glow = Rgb(0xFFF0A0, 0.7f);
    st.glowRadius = 14;
    DrawTextFit(img, "STAGE CLEAR", 0, 0, 512, 128, Align::Center, st);
    AddTga(out, "bmp/clear_messe.tga", img, Place::VolumeArchive);
}

void SlotWheel(Output& out) {
    Image img(512, 512);
    // The wheel (0, 0)-(320, 320): a ring band carrying twelve sockets at radius 132.
    float cx = 160, cy = 160;
    Path band;
    band.Ring(cx, cy, 158, 104);
    img.Shadow(band, 0, 3, 4, Rgb(0, 0.5f));
    img.Fill(band, Radial(cx, cy, 160,
                          {{0.6f, Rgb(0x0E1A3A, 0.9f)},
                           {0.8f, Rgb(0x2A4A8A, 0.95f)},
                           {1, Rgb(0x0E1A3A, 0.9f)}}));
    Path rims;
    rims.Ring(cx, cy, 158, 154);
    rims.Ring(cx, cy, 108, 104);
    img.Fill(rims, pal::kGold);
    // Twelve sockets under the slot icons: as the display turns the wheel, the icons stay over
    // the places at every 30 degrees from the picture's top. The sockets are light glass: a
    // weapon not yet bought is drawn dimmed to black over its socket and must still show there.
    for (int k = 0; k < 12; ++k) {
        float a = 2 * kPi * k / 12;
        float x = cx + std::sin(a) * 132, y = cy + std::cos(a) * 132;
        Path s;
        s.Circle(x, y, 24);
        img.FillOutlined(
            s, Radial(x - 6, y - 8, 34, {{0, Rgb(0xC4D8F8, 0.95f)}, {1, Rgb(0x5C7CB8, 0.95f)}}),
            Rgb(0x061026), 1.5f);
    }
    // Cursor frame (320, 0)-(448, 128), a little inside its cell: the description plates
    // come up to its sides.
    {
        Path f;
        f.RoundRect(328, 8, 112, 112, 14);
        Path hole;
        hole.RoundRect(335, 15, 98, 98, 9);
        img.Fill(f, pal::kGold);
        // The window behind the big icon is light, so that a weapon not yet bought, drawn
        // in black, stands out as its silhouette.
        img.Fill(hole, Radial(384, 52, 80, {{0, Rgb(0xFFFCF2)}, {1, Rgb(0xC9D8EE)}}), 1,
                 Blend::Replace);
        for (int k = 0; k < 4; ++k) {
            float x = k % 2 ? 436.5f : 331.5f, y = k / 2 ? 116.5f : 11.5f;
            Path d;
            d.Circle(x, y, 4.5f);
            img.FillOutlined(d, Solid(Rgb(0xFFF0B0)), Rgb(0x5A3A05), 1);
        }
    }
    // Title plate (0, 320)-(400, 416), drawn at (120, 16): the plate lies between the score
    // above it (down to y 40) and player 1's description plate below (from y 112).
    Plate(img, 6, 346, 388, 66, 20, Rgb(0x2F5FC0), Rgb(0x142E6A), pal::kGold, 3);
    DrawTextFit(img, "WEAPON SELECT", 12, 348, 376, 40, Align::Center, GoldText(34));
    DrawTextFit(img, "サブウェポンを選んでください", 12, 386, 376, 22, Align::Center,
                MenuText(15, pal::kWhite, pal::kSky, pal::kInk, 1.5f));
    // Text plate (0, 416)-(280, 512). Player 1's is drawn at (160, 96), player 2's turned
    // half round at (480, 288): the plate's band from 16 to 82 carries both players' three
    // lines and keeps the two plates apart; from 38 to the right end it carries the longest
    // lines and stays clear of the big icons' frames on either side.
    TextPlate(img, 38, 432, 242, 66, 12, pal::kGold, 2);
    AddTga(out, "bmp/itemslot01.tga", img, Place::VolumeArchive);
}

void PilotBackdrop(Output& out, int pilot) {
    Image img(256, 256);
    Path disc;
    disc.Circle(128, 128, 120);
    Color c = CraftColor(pilot, 0);
    img.Fill(disc, Radial(128, 110, 130,
                          {{0, WithAlpha(Mix(c, pal::kWhite, 0.5f), 0.9f)},
                           {0.8f, WithAlpha(c, 0.6f)},
                           {1, WithAlpha(c, 0)}}));
    // The pilot's head fills the disc and ends at its rim, a round medallion rather than a
    // figure cut off by the picture's edge.
    Image face(256, 256);
    Pose p;
    p.expr = Expr::Determined;
    p.turn = 0.3f;
    DrawCharacter(face, static_cast<Who>(pilot), 128, 560, 620, p);
    Path rim;
    rim.Circle(128, 128, 120);
    face.ClipTo(rim);
    img.Draw(face, 0, 0);
    constexpr const char* kNames[] = {"bmp/weponsel_pil0.tga", "bmp/weponsel_pil1.tga",
                                      "bmp/weponsel_pil2.tga", "bmp/weponsel_pil3.tga"};
    AddTga(out, kNames[pilot], img, Place::VolumeArchive);
}

// 128 x 128 item cells, four a row; `named` adds the item's name under a smaller icon. The
// shop draws the cells on its item frames, whose opening is (10, 10)-(118, 118) of the cell:
// the named cell's icon and name stay inside it.
void ItemCells(Image& img, int firstId, int count, bool named) {
    for (int i = 0; i < count; ++i) {
        int id = firstId + i;
        float x = (i % 4) * 128.0f, y = (i / 4) * 128.0f;
        int icon = id == 11 ? kIconStartCredit : id;
        if (named) {
            Path glow;
            glow.RoundRect(x + 4, y + 4, 120, 120, 18);
            img.Fill(glow, Radial(x + 64, y + 54, 80,
                                  {{0, Rgb(0xFFF0B0, 0.55f)}, {1, Rgb(0xFFF0B0, 0)}}));
            DrawIcon(img, icon, x + 64, y + 50, 78);
            DrawTextFit(img, ItemName(id == 11 ? 21 : id), x + 14, y + 91, 100, 24, Align::Center,
                        MenuText(17, pal::kWhite, pal::kGold, pal::kInk, 2));
        } else {
            DrawIcon(img, icon, x + 64, y + 64, 112);
        }
    }
}

void ItemSheets(Output& out) {
    {
        Image img(512, 512);
        ItemCells(img, 0, 16, false);
        AddTga(out, "bmp/item.tga", img, Place::VolumeArchive);
    }
    {
        Image img(512, 512);
        ItemCells(img, 0, 16, true);
        AddTga(out, "bmp/item_name.tga", img);
    }
    for (int named = 0; named < 2; ++named) {
        Image img(512, 512);
        ItemCells(img, 16, 5, named != 0);
        // The sold-out cell (128, 128)-(256, 256).
        Path stamp;
        stamp.RoundRect(140, 170, 104, 44, 8);
        Image st(512, 512);
        st.FillOutlined(stamp, Solid(Rgb(0xD02A2A, 0.85f)), Rgb(0xFFFFFF), 3);
        DrawTextFit(st, "SOLD OUT", 142, 170, 100, 44, Align::Center,
                    MenuText(22, pal::kWhite, pal::kWhite, Rgb(0x600A0A), 2));
        Image rot(512, 512);
        for (int y = 128; y < 256; ++y)
            for (int x = 128; x < 256; ++x) {
                float a = -0.35f, c = std::cos(a), s = std::sin(a);
                float dx = x + 0.5f - 192, dy = y + 0.5f - 192;
                int sx = static_cast<int>(192 + c * dx - s * dy),
                    sy = static_cast<int>(192 + s * dx + c * dy);
                if (sx >= 0 && sy >= 0 && sx < 512 && sy < 512) rot.Px(x, y) = st.Px(sx, sy);
            }
        img.Draw(rot, 0, 0);
        AddTga(out, named ? "bmp/item2_name.tga" : "bmp/item2.tga", img);
    }
}

void MiniIcons(Output& out) {
    Image img(256, 256);
    // The weapons are shields: on the play display each sits in its panel's socket just above
    // the inner end of the life bar and the top of the heat well, which the shield's point
    // leaves clear.
    for (int w = 0; w < 12; ++w) DrawWeaponEmblem(img, w, (w % 4) * 64.0f, (w / 4) * 64.0f, 1);
    for (int k = 0; k < 4; ++k) DrawIcon(img, 12 + k, 64.0f * k + 32, 224, 58);
    AddTga(out, "bmp/item_mini.tga", img, Place::VolumeArchive);
}

}  // namespace

void AddPlayPictureJobs(std::vector<Job>& jobs) {
    jobs.push_back({"pc_gage.tga", PlayGauges});
    jobs.push_back({"gameover.tga", ContinueSheet});
    jobs.push_back({"clear_messe.tga", ClearCaption});
    jobs.push_back({"itemslot01.tga", SlotWheel});
    jobs.push_back({"weponsel_pil0.tga", [](Output& out) { PilotBackdrop(out, 0); }});
    jobs.push_back({"weponsel_pil1.tga", [](Output& out) { PilotBackdrop(out, 1); }});
    jobs.push_back({"weponsel_pil2.tga", [](Output& out) { PilotBackdrop(out, 2); }});
    jobs.push_back({"weponsel_pil3.tga", [](Output& out) { PilotBackdrop(out, 3); }});
    jobs.push_back({"item.tga", ItemSheets});
    jobs.push_back({"item_mini.tga", MiniIcons});
}

}  // namespace mk
