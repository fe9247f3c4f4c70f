// The story events' pictures (texture group 8, loose under bmp/ivent/): the message
// window, the two face sheets and the fourteen backgrounds.
#include <algorithm>
#include <cmath>

#include "tools/mkdata/chara.h"
#include "tools/mkdata/layout.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/scenery.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

// The message window. The window (0, 0)-(640, 160) rises from the bottom of the screen and
// rests at y 320; the text box (0, 160)-(640, 320) is drawn at y 312 while a line is shown.
// Both carry the same cream paper at the same place on the screen, so that the paper sits in
// its blue frame as one window, and the window between two lines (the frame alone) looks the
// same as with a line on it.
constexpr float kWindowRestY = 320, kTextBoxY = 312;
constexpr float kFrameX = 4, kFrameY = 2, kFrameW = 632, kFrameH = 156;
constexpr float kPaperInset = 12;

void Paper(Image& img, float cellTop, float screenTop) {
    float y = cellTop + kFrameY + kPaperInset + (kWindowRestY - screenTop);
    Plate(img, kFrameX + kPaperInset, y, kFrameW - 2 * kPaperInset, kFrameH - 2 * kPaperInset, 12,
          Rgb(0xFFFBF0), Rgb(0xF2E6CA), Rgb(0x8A6A3A), 2);
}

void EventWindow(Output& out) {
    Image img(1024, 512);
    Plate(img, kFrameX, kFrameY, kFrameW, kFrameH, 18, Rgb(0x2A4A9A), Rgb(0x0E1C4A), Rgb(0xC8DCFF),
          2.5f);
    // A gold line around the paper, and gold studs at the frame's corners.
    Path line;
    line.RoundRect(kFrameX + kPaperInset - 4, kFrameY + kPaperInset - 4,
                   kFrameW - 2 * kPaperInset + 8, kFrameH - 2 * kPaperInset + 8, 15);
    Path ring;
    ring.Stroke(line.Contours()[0], 1.6f, true);
    img.Fill(ring, pal::kGold);
    for (float x : {kFrameX + 9, kFrameX + kFrameW - 9})
        for (float y : {kFrameY + 9, kFrameY + kFrameH - 9}) {
            Path stud;
            stud.Circle(x, y, 3.2f);
            img.FillOutlined(stud, Radial(x - 1, y - 1, 4, {{0, Rgb(0xFFF4C0)}, {1, pal::kAmber}}),
                             Rgb(0x3A2205), 0.8f);
        }
    Paper(img, 0, kWindowRestY);
    Paper(img, 160, kTextBoxY);
    // The speaker marker (0, 320)-(32, 352): a downward pointer.
    Path mark;
    mark.Polygon({{4, 324}, {28, 324}, {16, 348}});
    img.FillOutlined(mark, Linear(0, 324, 0, 348, {{0, pal::kGold}, {1, pal::kAmber}}),
                     Rgb(0x3A1A05), 2);
    AddTga(out, "bmp/ivent/ive_window.tga", img);
}

// A face cell: the figure's head and shoulders, the same size in both sheets. The event
// draws the cells from the top of the screen, so the whole head, hair and goggles included,
// stays inside the cell, as it does within the 240 columns of the first sheet.
constexpr float kPortraitHeight = 440;
constexpr float kPortraitFoot = 40 + kPortraitHeight;

Pose PortraitPose(Expr e) {
    Pose p;
    p.expr = e;
    p.turn = 0.12f;
    return p;
}

// The shopkeeper's two cells on the second sheet. The keeper stands on the right of the
// scenes, so it stands right of the cell's centre, its raised arm and wings clear of a
// neighbour's face.
constexpr float kKeeperX = 180, kKeeperFoot = 340, kKeeperHeight = 280;

// Who fills each face cell: the twelve of the first sheet, then the nine of the second (the
// first two of those are the shopkeeper's poses).
struct FaceCell {
    Who who;
    Expr e;
};
constexpr int kFirstSheetCells = 12, kSecondSheetCells = 9;
constexpr FaceCell kFaceCells[kFirstSheetCells + kSecondSheetCells] = {
    {Who::Kai, Expr::Normal},       {Who::Kai, Expr::Grin},
    {Who::Kai, Expr::Angry},        {Who::Kai, Expr::Surprised},
    {Who::Mira, Expr::Normal},      {Who::Mira, Expr::Smile},
    {Who::Mira, Expr::Sad},         {Who::Mira, Expr::Surprised},
    {Who::Gant, Expr::Grin},        {Who::Gant, Expr::Determined},
    {Who::Zeno, Expr::Normal},      {Who::Zeno, Expr::Angry},
    {Who::Professor, Expr::Normal}, {Who::Professor, Expr::Normal},  // unused: the keeper
    {Who::Professor, Expr::Smile},  {Who::Professor, Expr::Surprised},
    {Who::Commander, Expr::Smile},  {Who::Commander, Expr::Angry},
    {Who::Kai, Expr::Determined},   {Who::Mira, Expr::Determined},
    {Who::Zeno, Expr::Smile},
};

// The scripts stand portraits at x 108 (mirrored, on the left), 320 and 532 (on the right),
// and one walking in from off the screen stops up to 12 pixels short of its mark, further
// out. So of a cell w columns wide the screen always shows the inner w / 2 + 96 columns
// (column 0 faces the middle of the screen, mirrored or not); the figure keeps a margin of
// 4 columns inside them.
constexpr float kCellMargin = 4;
float ShownColumns(int cellWidth) {
    return static_cast<float>(cellWidth) / 2 + 96 - kCellMargin;
}

// Where a figure stands in its cell: its middle column and its height.
struct FigurePlace {
    float cx, height;
};

// Moves a figure drawn at `at`, whose drawn columns run from `left` to `right`, toward the
// cell's column 0 until it ends inside the shown columns, but not past `innerLimit`; when it
// is wider than that, it is made smaller about its foot.
FigurePlace FitFigure(FigurePlace at, float left, float right, float innerLimit, float shown) {
    if (right <= shown) return at;
    float scale = std::min(1.0f, (shown - innerLimit) / (right - left));
    float l = at.cx + (left - at.cx) * scale, r = at.cx + (right - at.cx) * scale;
    float shift = std::min(r - shown, l - innerLimit);
    return {at.cx - std::max(shift, 0.0f), at.height * scale};
}

// The columns with anything drawn in them.
void DrawnColumns(const Image& img, float* left, float* right) {
    int l = img.W(), r = 0;
    for (int y = 0; y < img.H(); ++y)
        for (int x = 0; x < img.W(); ++x)
            if (img.Px(x, y).a * 255 >= 0.5f) {  // what the picture file keeps
                l = std::min(l, x);
                r = std::max(r, x + 1);
            }
    *left = static_cast<float>(l);
    *right = static_cast<float>(r);
}

bool IsKeeperCell(int face) {
    return face == kFirstSheetCells || face == kFirstSheetCells + 1;
}

void DrawFaceFigure(Image& cell, int face, FigurePlace at) {
    if (IsKeeperCell(face)) {
        DrawShopkeeper(cell, at.cx, kKeeperFoot, at.height, face - kFirstSheetCells);
    } else {
        DrawCharacter(cell, kFaceCells[face].who, at.cx, kPortraitFoot, at.height,
                      PortraitPose(kFaceCells[face].e));
    }
}

int FaceCellWidth(int face) {
    return face < kFirstSheetCells ? 240 : 320;
}

// Where face cell `face` draws its figure: a person at the cell's middle, the keeper right
// of it, each then fitted into the shown columns (the keeper keeps its left edge, clear of
// a neighbour's face).
FigurePlace PlaceFaceCell(int face) {
    const int w = FaceCellWidth(face);
    const bool keeper = IsKeeperCell(face);
    const FigurePlace at =
        keeper ? FigurePlace{kKeeperX, kKeeperHeight} : FigurePlace{w * 0.5f, kPortraitHeight};
    Image probe(w, 320);
    DrawFaceFigure(probe, face, at);
    float left, right;
    DrawnColumns(probe, &left, &right);
    return FitFigure(at, left, right, keeper ? left : kCellMargin, ShownColumns(w));
}

Image FaceCellPicture(int face) {
    Image cell(FaceCellWidth(face), 320);
    DrawFaceFigure(cell, face, PlaceFaceCell(face));
    return cell;
}

void FaceSheets(Output& out) {
    Image first(1024, 1024), second(1024, 1024);
    for (int f = 0; f < kFirstSheetCells; ++f)
        first.Draw(FaceCellPicture(f), (f % 4) * 240, (f / 4) * 320);
    for (int k = 0; k < kSecondSheetCells; ++k)
        second.Draw(FaceCellPicture(kFirstSheetCells + k), (k % 3) * 320, (k / 3) * 320);
    AddTga(out, "bmp/ivent/ivent_face01.tga", first);
    AddTga(out, "bmp/ivent/ivent_face02.tga", second);
}

// A background that scrolls: 1024 wide, tiling across its width.
void ScrollingSky(Output& out, const char* name, int kind) {
    Image img(1024, 512, Rgb(0x000000));
    Image art(1024, 480);
    switch (kind) {
        case 0:  // day sky
            PaintSky(art, Rgb(0x2A6ADA), Rgb(0x7AC0F4), Rgb(0xE0F4FF), 480);
            PaintClouds(art, 201, 40, 300, 200, 0.45f, Rgb(0xFFFFFF), Rgb(0xB0C8E8), 1024);
            PaintClouds(art, 202, 300, 480, 130, 0.6f, Rgb(0xFFFFFF), Rgb(0xC0D4EE), 1024);
            break;
        case 1:  // sunset
            PaintSky(art, Rgb(0x2A2A6A), Rgb(0xD86A5A), Rgb(0xFFD080), 480);
            PaintClouds(art, 211, 60, 300, 200, 0.45f, Rgb(0xFFC0A0), Rgb(0x7A3A5A), 1024);
            PaintRidge(art, 212, 480, 90, 260, Rgb(0x5A2A4A), Rgb(0x2A1020), 1024);
            break;
        case 2:  // stars
            PaintSky(art, Rgb(0x02040E), Rgb(0x0A1434), Rgb(0x1A2A5A), 480);
            PaintStars(art, 221, 500, 480);
            PaintClouds(art, 222, 100, 400, 260, 0.3f, Rgb(0x6A4A9A), Rgb(0x1A1038), 1024, 0.45f);
            break;
        default:  // heavy clouds
            PaintSky(art, Rgb(0x4A5A7A), Rgb(0x8A9AB4), Rgb(0xC8D0DC), 480);
            PaintClouds(art, 231, 0, 480, 180, 0.7f, Rgb(0xE8ECF4), Rgb(0x6A7A94), 1024);
            break;
    }
    img.Draw(art, 0, 0);
    AddBmp(out, name, img, BmpMode::Opaque);
}

// A room seen from its front: back wall, floor and the two side walls in perspective.
void Room(Image& art, Color wall, Color floorC, Color side) {
    art.FillRect(0, 0, 640, 480, wall);
    Path floorP;
    floorP.Polygon({{0, 480}, {640, 480}, {520, 330}, {120, 330}});
    art.Fill(floorP, Linear(0, 330, 0, 480, {{0, Scale(floorC, 0.8f)}, {1, floorC}}));
    Path l, r;
    l.Polygon({{0, 0}, {120, 60}, {120, 330}, {0, 480}});
    r.Polygon({{640, 0}, {520, 60}, {520, 330}, {640, 480}});
    art.Fill(l, side);
    art.Fill(r, side);
    Path ceil;
    ceil.Polygon({{0, 0}, {640, 0}, {520, 60}, {120, 60}});
    art.Fill(ceil, Scale(wall, 0.75f));
    for (int i = 0; i < 8; ++i) {
        Path plank;
        plank.Stroke({{120 + 400.0f * i / 7, 330}, {640.0f * i / 7, 480}}, 1.5f);
        art.Fill(plank, Rgb(0x000000, 0.2f));
    }
}

void Window(Image& art, float x, float y, float w, float h, bool night) {
    Path frame;
    frame.Rect(x - 6, y - 6, w + 12, h + 12);
    art.Fill(frame, Rgb(0x6A4A2A));
    Image view(static_cast<int>(w), static_cast<int>(h));
    if (night) {
        PaintSky(view, Rgb(0x06081A), Rgb(0x141E44), Rgb(0x2A3A6A), h);
        PaintStars(view, 5, 60, h);
        PaintCity(view, 6, h, h * 0.5f, Rgb(0x0A0E1E), 0.35f);
    } else {
        PaintSky(view, Rgb(0x4A8AE0), Rgb(0x9ACCF4), Rgb(0xE0F4FF), h);
        PaintClouds(view, 7, 0, h * 0.6f, 60, 0.4f, Rgb(0xFFFFFF), Rgb(0xC0D4EE));
        PaintCity(view, 8, h, h * 0.45f, Rgb(0x7A8AA8), 0);
    }
    art.Draw(view, static_cast<int>(x), static_cast<int>(y));
    art.FillRect(x + w / 2 - 3, y, 6, h, Rgb(0x6A4A2A));
    art.FillRect(x, y + h / 2 - 3, w, 6, Rgb(0x6A4A2A));
}

void Table(Image& art, float cx, float y, float w, Color top) {
    Path legs;
    legs.Rect(cx - w * 0.4f, y, 8, 70);
    legs.Rect(cx + w * 0.4f - 8, y, 8, 70);
    art.Fill(legs, Rgb(0x4A2A14));
    Path t;
    t.Ellipse(cx, y, w / 2, w * 0.12f);
    art.FillOutlined(t, Radial(cx, y - 5, w / 2, {{0, Mix(top, Rgb(0xFFFFFF), 0.3f)}, {1, top}}),
                     Rgb(0x2A1408), 1.5f);
    Path cup;
    cup.RoundRect(cx - 10, y - 20, 20, 18, 4);
    art.FillOutlined(cup, Solid(Rgb(0xFFFFFF)), Rgb(0x3A2A1A), 1);
}

void StaticScene(Output& out, const char* name, int kind) {
    Image img(1024, 512, Rgb(0x000000));
    Image art(640, 480);
    Rng rng(300 + kind);
    switch (kind) {
        case 0: {  // the workshop desk
            Room(art, Rgb(0x7A6A5A), Rgb(0x6A4A2A), Rgb(0x5A4A3A));
            Window(art, 380, 100, 120, 120, false);
            art.FillRect(60, 300, 520, 30, Rgb(0x8A5A2A));
            art.FillRect(60, 330, 520, 150, Rgb(0x5A3A1A));
            for (int i = 0; i < 3; ++i) {
                Path paper;
                paper.Polygon({{140.0f + i * 130, 250},
                               {250.0f + i * 130, 255},
                               {245.0f + i * 130, 300},
                               {135.0f + i * 130, 296}});
                art.FillOutlined(paper, Solid(Rgb(0xD8E8FF)), Rgb(0x3A5A8A), 1);
                Image craft(100, 40);
                DrawCraftTop(craft, i, 50, 20, 36, kPi / 2);
                art.Draw(craft, 145 + i * 130, 256, 0.7f);
            }
            Path lamp;
            lamp.Polygon({{80, 120}, {130, 120}, {150, 170}, {60, 170}});
            art.Glow(lamp, 40, Rgb(0xFFD080, 0.4f));
            art.Fill(lamp, Rgb(0x3A6A3A));
            break;
        }
        case 1:    // cafe, day
        case 2: {  // cafe, night
            bool night = kind == 2;
            Room(art, night ? Rgb(0x3A2A2A) : Rgb(0xE8D0B0), night ? Rgb(0x3A2414) : Rgb(0x9A6A3A),
                 night ? Rgb(0x2A1E1E) : Rgb(0xD0B898));
            Window(art, 150, 90, 140, 150, night);
            Window(art, 350, 90, 140, 150, night);
            Table(art, 200, 360, 150, Rgb(0xA0703A));
            Table(art, 460, 380, 170, Rgb(0xA0703A));
            for (int l = 0; l < 2; ++l) {
                Path lamp;
                lamp.Ellipse(220.0f + l * 200, 60, 26, 14);
                if (night) art.Glow(lamp, 40, Rgb(0xFFC060, 0.5f));
                art.Fill(lamp, night ? Rgb(0xFFD890) : Rgb(0xF0E0C0));
            }
            if (night) Vignette(art, 0.5f);
            break;
        }
        case 3: {  // the shop's front
            PaintSky(art, Rgb(0x4A8AE0), Rgb(0x9ACCF4), Rgb(0xE0F4FF), 300);
            PaintClouds(art, 311, 0, 200, 120, 0.4f, Rgb(0xFFFFFF), Rgb(0xC0D4EE));
            art.FillRect(0, 300, 640, 180, Rgb(0xB8A888));
            art.FillRect(80, 110, 480, 250, Rgb(0x8A5A34));
            Path roof;
            roof.Polygon({{50, 120}, {590, 120}, {540, 60}, {100, 60}});
            art.Fill(roof, Rgb(0x9A2A1A));
            for (int i = 0; i < 8; ++i)
                art.FillRect(60 + i * 66.0f, 120, 33, 26, i % 2 ? Rgb(0xF0E0C0) : Rgb(0xC03A2A));
            Path sign;
            sign.RoundRect(200, 150, 240, 50, 10);
            art.FillOutlined(sign, Solid(Rgb(0x3A2A1A)), pal::kGold, 3);
            DrawTextFit(art, "VELDRAN'S SHOP", 205, 150, 230, 50, Align::Center, GoldText(26));
            art.FillRect(140, 220, 150, 140, Rgb(0x2A1A10));
            Window(art, 350, 230, 160, 90, false);
            break;
        }
        case 4:    // department store, day
        case 5: {  // department store, night
            bool night = kind == 5;
            Room(art, night ? Rgb(0x2A2A3A) : Rgb(0xF0ECE4), night ? Rgb(0x4A4A5A) : Rgb(0xD8D0C8),
                 night ? Rgb(0x22222E) : Rgb(0xE0DCD4));
            for (int i = 0; i < 4; ++i) {
                float x = 140 + i * 100.0f;
                art.FillRect(x, 140, 80, 180, night ? Rgb(0x3A3A4A) : Rgb(0xC8D8E8));
                for (int s = 0; s < 3; ++s)
                    for (int b = 0; b < 4; ++b) {
                        Path item;
                        item.RoundRect(x + 6 + b * 18, 150.0f + s * 58, 14, 40, 3);
                        Color c = Rgb(static_cast<uint32_t>(rng.Next() & 0xFFFFFF));
                        art.Fill(item, night ? Scale(c, 0.4f) : Mix(c, Rgb(0xFFFFFF), 0.3f));
                    }
            }
            for (int l = 0; l < 4; ++l) {
                Path light;
                light.Ellipse(170.0f + l * 100, 40, 30, 8);
                art.Glow(light, 20, night ? Rgb(0x8AA0FF, 0.3f) : Rgb(0xFFFFFF, 0.5f));
                art.Fill(light, night ? Rgb(0x9AB0FF) : Rgb(0xFFFFF0));
            }
            if (night) Vignette(art, 0.55f);
            break;
        }
        case 6: {  // the hangar with the crafts
            Room(art, Rgb(0x5A6070), Rgb(0x4A4E58), Rgb(0x4A5060));
            Path door;
            door.Rect(160, 80, 320, 250);
            art.Fill(door, Rgb(0x000000));
            Image sky(320, 250);
            PaintSky(sky, Rgb(0x4A8AE0), Rgb(0x9ACCF4), Rgb(0xE0F4FF), 250);
            PaintClouds(sky, 9, 50, 250, 80, 0.5f, Rgb(0xFFFFFF), Rgb(0xC0D4EE));
            art.Draw(sky, 160, 80);
            DrawCraftSide(art, 0, 230, 380, 210);
            DrawCraftSide(art, 1, 440, 400, 190);
            break;
        }
        case 7:    // ruins
        case 8: {  // ruins entrance
            PaintSky(art, Rgb(0x6A8ABA), Rgb(0xB8C8D8), Rgb(0xE8E0C8), 330);
            PaintClouds(art, 321 + kind, 0, 220, 140, 0.4f, Rgb(0xFFFFFF), Rgb(0xB0B8C8));
            PaintRidge(art, 331 + kind, 330, 120, 220, Rgb(0x8A8A7A), Rgb(0x6A6A5A));
            art.FillRect(0, 330, 640, 150,
                         Linear(0, 330, 0, 480, {{0, Rgb(0xA89A7A)}, {1, Rgb(0x6A5A40)}}));
            PaintColumns(art, 341 + kind, 360, 230, Rgb(0xC8BCA0), kind == 7 ? 6 : 3);
            if (kind == 8) {
                Path arch;
                arch.MoveTo(200, 360);
                arch.LineTo(200, 170);
                arch.QuadTo(320, 60, 440, 170);
                arch.LineTo(440, 360);
                art.Fill(arch, Rgb(0xB0A488));
                Path hole;
                hole.MoveTo(250, 360);
                hole.LineTo(250, 200);
                hole.QuadTo(320, 120, 390, 200);
                hole.LineTo(390, 360);
                art.Fill(hole, Linear(0, 150, 0, 360, {{0, Rgb(0x1A1420)}, {1, Rgb(0x3A2A40)}}));
                art.Glow(hole, 20, Rgb(0x80C0FF, 0.2f));
            }
            break;
        }
        default: {  // the ruins' core
            PaintSky(art, Rgb(0x06040E), Rgb(0x1A0E2A), Rgb(0x3A1A4A), 480);
            PaintRays(art, 320, 200, Rgb(0x9AD0FF, 0.25f), 18, 12);
            for (int i = 0; i < 6; ++i) {
                Path ring;
                ring.Ring(320, 220, 60.0f + i * 28, 56.0f + i * 28);
                art.Fill(ring, Rgb(0x6AB0FF, 0.4f - i * 0.05f));
            }
            Path crystal;
            crystal.Polygon({{320, 110}, {370, 220}, {320, 330}, {270, 220}});
            art.Glow(crystal, 40, Rgb(0x80E0FF, 0.7f));
            art.FillOutlined(crystal,
                             Linear(270, 0, 370, 0, {{0, Rgb(0xC8F4FF)}, {1, Rgb(0x3A8AD0)}}),
                             Rgb(0x0A2A5A), 2);
            art.FillRect(0, 400, 640, 80, Rgb(0x140A1E));
            PaintColumns(art, 351, 400, 260, Rgb(0x3A2A4A), 4);
            break;
        }
    }
    img.Draw(art, 0, 0);
    AddBmp(out, name, img, BmpMode::Opaque);
}

}  // namespace

TexelBox EventFaceBox(int face) {
    if (face < 0 || face >= kFirstSheetCells + kSecondSheetCells) return {0, 0, 0, 0};
    float x, y;
    const FigurePlace at = PlaceFaceCell(face);
    TexelBox box;
    if (face < kFirstSheetCells) {
        x = static_cast<float>(face % 4 * 240);
        y = static_cast<float>(face / 4 * 320);
    } else {
        int k = face - kFirstSheetCells;
        x = static_cast<float>(k % 3 * 320);
        y = static_cast<float>(k / 3 * 320);
    }
    if (IsKeeperCell(face)) {
        box = ShopkeeperFaceBox(at.cx, kKeeperFoot, at.height, face - kFirstSheetCells);
    } else {
        box = CharacterFaceBox(at.cx, kPortraitFoot, at.height, PortraitPose(kFaceCells[face].e));
    }
    return {box.left + x, box.top + y, box.right + x, box.bottom + y};
}

void AddEventPictureJobs(std::vector<Job>& jobs) {
    jobs.push_back({"ive_window.tga", EventWindow});
    jobs.push_back({"ivent_face01.tga ivent_face02.tga", FaceSheets});
    jobs.push_back(
        {"ive_bg_sky.bmp", [](Output& o) { ScrollingSky(o, "bmp/ivent/ive_bg_sky.bmp", 0); }});
    jobs.push_back(
        {"ive_bg_yuhi.bmp", [](Output& o) { ScrollingSky(o, "bmp/ivent/ive_bg_yuhi.bmp", 1); }});
    jobs.push_back(
        {"ive_bg_hosi.bmp", [](Output& o) { ScrollingSky(o, "bmp/ivent/ive_bg_hosi.bmp", 2); }});
    jobs.push_back(
        {"ive_bg_kumo.bmp", [](Output& o) { ScrollingSky(o, "bmp/ivent/ive_bg_kumo.bmp", 3); }});
    const char* statics[10] = {"tukue",           "cafe_hiru",        "cafe_yoru", "shop_bg",
                               "departstore",     "departstore_yoru", "hero",      "ruins_a",
                               "ruins_entrance1", "rui_core"};
    const int kinds[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    for (int i = 0; i < 10; ++i) {
        std::string name = std::string("bmp/ivent/") + statics[i] + ".bmp";
        int kind = kinds[i];
        jobs.push_back({name, [name, kind](Output& o) { StaticScene(o, name.c_str(), kind); }});
    }
}

}  // namespace mk
