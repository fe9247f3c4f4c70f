// The title's pictures (texture group 2), loose files.
#include <cmath>

#include "tools/mkdata/chara.h"
#include "tools/mkdata/layout.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/scenery.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

// The game's logo, centred on (cx, cy).
void DrawLogo(Image& img, float cx, float cy, float size) {
    TextStyle st = MenuText(size, Rgb(0xFFF8E0), pal::kGold, Rgb(0x2A1405), size * 0.07f);
    st.bold = size * 0.06f;
    st.spacing = size * 0.04f;
    st.glow = Rgb(0xFFD080, 0.55f);
    st.glowRadius = size * 0.25f;
    st.shadow = Rgb(0x000000, 0.55f);
    st.shadowDx = size * 0.04f;
    st.shadowDy = size * 0.07f;
    st.shadowBlur = size * 0.05f;
    DrawText(img, "VELDRAN", cx, cy - size * 0.55f, Align::Center, st);
    DrawText(img, "QUORL", cx, cy + size * 0.5f, Align::Center, st);
    // A swoosh under the logo.
    Path swoosh;
    swoosh.MoveTo(cx - size * 2.6f, cy + size * 1.15f);
    swoosh.QuadTo(cx, cy + size * 0.75f, cx + size * 2.7f, cy + size * 1.0f);
    swoosh.QuadTo(cx, cy + size * 0.95f, cx - size * 2.6f, cy + size * 1.15f);
    img.Fill(swoosh, Linear(cx - size * 2.6f, 0, cx + size * 2.7f, 0,
                            {{0, Rgb(0xFF6A3A, 0)}, {0.5f, Rgb(0xFFB040)}, {1, Rgb(0xFFE080, 0)}}));
    TextStyle sub = MenuText(size * 0.3f, pal::kWhite, pal::kSky, pal::kInk, size * 0.04f);
    sub.spacing = size * 0.05f;
    DrawText(img, "ヴェルドラン・クォール", cx, cy + size * 1.45f, Align::Center, sub);
}

void SkyBackdrop(Image& img, uint32_t seed, bool dusk) {
    if (dusk)
        PaintSky(img, Rgb(0x1A2A6A), Rgb(0x6A5AA8), Rgb(0xFFB08A), 400);
    else
        PaintSky(img, Rgb(0x2A6ADA), Rgb(0x6AB4F4), Rgb(0xD8F0FF), 420);
    PaintSun(img, 470, 150, 34, dusk ? Rgb(0xFFD8A0) : Rgb(0xFFFBE8),
             dusk ? Rgb(0xFF9A5A) : Rgb(0xFFFFFF));
    PaintClouds(img, seed, 20, 220, 180, 0.45f, dusk ? Rgb(0xFFE0D0) : Rgb(0xFFFFFF),
                dusk ? Rgb(0x8A6AA8) : Rgb(0xA8C4E8));
    PaintRidge(img, seed + 1, 400, 110, 260, dusk ? Rgb(0x5A4A8A) : Rgb(0x7A9AD0),
               dusk ? Rgb(0x3A2A5A) : Rgb(0x5A7AB8), 0, 0.6f);
    PaintClouds(img, seed + 2, 330, 480, 120, 0.55f, dusk ? Rgb(0xFFD0C0) : Rgb(0xFFFFFF),
                dusk ? Rgb(0x7A5A98) : Rgb(0xB0C8E8));
    PaintIsland(img, 120, 300, 110, Rgb(0x6AB84A), Rgb(0x8A6A4A), seed + 3);
    PaintIsland(img, 560, 260, 70, Rgb(0x6AB84A), Rgb(0x8A6A4A), seed + 4);
}

}  // namespace

namespace {

// The two crafts in flight on the title's key picture: craft, centre, size and turn. Both
// fly above the strip "PUSH START BUTTON" (from y 400) and beside the logo.
struct TitleCraft {
    int craft;
    float cx, cy, size, angle;
};
constexpr TitleCraft kTitleCrafts[2] = {{1, 470, 330, 150, 0.35f}, {0, 166, 330, 168, -0.3f}};

// The pilots' portraits. Both screens draw a whole cell from the top at y 136 and turn
// the first player's mirrored, so the cell's column 0 always faces the middle of the
// screen. The result shows only the cell's inner 176 columns and writes its rows of
// numbers down to y 370 (row 234 of the cell) across them; the craft select shows the
// whole cell: its crafts turn and its up/down pop-ups stand above row 184, a player's badge
// beside the face (see the player labels) and the craft's name plate, centred on column
// 128, from row 304 down. So each pilot is a small bust low in the cell over column 128:
// the face below the numbers and above the name plate, the hair and the glow behind inside
// the inner 176 columns.
constexpr float kPilotX = 128, kPilotHeight = 150, kPilotFoot = 389;
constexpr float kPilotShownColumns = 176;

Pose PilotPose(int craft, bool ready) {
    Pose p;
    p.expr = ready ? Expr::Grin : Expr::Normal;
    if (craft == 3) p.expr = ready ? Expr::Determined : Expr::Normal;
    if (ready) p.wave = 1;
    p.turn = ready ? 0 : 0.3f;
    return p;
}

}  // namespace

Image TitleArt(bool logo) {
    Image art(640, 480);
    SkyBackdrop(art, 11, false);
    for (const TitleCraft& c : kTitleCrafts)
        DrawCraftTop(art, c.craft, c.cx, c.cy, c.size, c.angle);
    if (logo) DrawLogo(art, 320, 150, 74);
    return art;
}

TexelBox TitleCraftBox(int which) {
    if (which < 0 || which > 1) return {0, 0, 0, 0};
    const TitleCraft& c = kTitleCrafts[which];
    return CraftTopBox(c.craft, c.cx, c.cy, c.size, c.angle);
}

TexelBox CraftPortraitFaceBox(int craft, bool ready) {
    if (craft < 0 || craft > 3) return {0, 0, 0, 0};
    TexelBox box = CharacterFaceBox(kPilotX, kPilotFoot, kPilotHeight, PilotPose(craft, ready));
    const auto x = static_cast<float>(256 * craft), y = ready ? 384.0f : 0.0f;
    return {box.left + x, box.top + y, box.right + x, box.bottom + y};
}

void DrawGameLogo(Image& img, float cx, float cy, float size) {
    DrawLogo(img, cx, cy, size);
}

namespace {

void TitlePicture(Output& out) {
    Image art = TitleArt(true);
    // The press-start strip (640, 0)-(1024, 80).
    // The strip is blended over the picture: only its letters are opaque.
    Image strip(384, 80);
    TextStyle st = MenuText(34, pal::kWhite, Rgb(0xFFE9A0), pal::kInk, 3.5f);
    st.spacing = 3;
    DrawTextFit(strip, "PUSH START BUTTON", 0, 0, 384, 80, Align::Center, st);
    Image whole(1024, 512);
    whole.Draw(art, 0, 0);
    whole.Draw(strip, 640, 0);
    AddBmp(out, "bmp/title.bmp", whole, BmpMode::Keyed);
}

void MenuBackground(Output& out) {
    Image img(1024, 512, Rgb(0x000000));
    Image art(640, 480);
    PaintSky(art, Rgb(0x0E1B4D), Rgb(0x2A4AA0), Rgb(0x6A9AE0), 480);
    PaintStars(art, 5, 120, 200, 0.6f);
    PaintClouds(art, 6, 220, 480, 150, 0.5f, Rgb(0xC8DCFF), Rgb(0x3A5AA0));
    // A soft grid of light lines and the emblem's watermark.
    for (int i = 0; i < 12; ++i) {
        Path l;
        l.Stroke({{0, 40.0f * i}, {640, 40.0f * i + 60}}, 1);
        art.Fill(l, Rgb(0xFFFFFF, 0.05f));
    }
    Image mark(300, 300);
    DrawEmblem(mark, 150, 150, 140, Rgb(0x2A4AA0), Rgb(0xA8C8FF));
    art.Draw(mark, 330, 200, 0.18f);
    Vignette(art, 0.5f);
    img.Draw(art, 0, 0);
    AddBmp(out, "bmp/title2.bmp", img, BmpMode::Opaque);
}

void SetupAndCraftSheet(Output& out) {
    Image img(1024, 512);
    // Craft-select caption strip (0, 64)-(480, 96).
    Plate(img, 2, 65, 476, 30, 12, Rgb(0x2F5FC0), Rgb(0x142E6A), pal::kGold, 2);
    DrawTextFit(img, "機体とパイロットを選んでください", 10, 64, 460, 32, Align::Center,
                MenuText(20, pal::kWhite, pal::kSky, pal::kInk, 2));
    // Player labels (0, 96 + 32m)-(128, 128 + 32m): a round badge at one end. The craft
    // select draws a label 64 columns in from the outer end of each pilot's portrait cell,
    // where the pilot's face would lie under the rest of it; the badge stands beside the
    // face, on the middle's side with two crafts (the second player's badge at the left
    // end, the first player's at the right end of the label).
    const Color playerColor[2] = {Rgb(0xE04A3A), Rgb(0x3A7AE0)};
    for (int m = 0; m < 2; ++m) {
        const float bx = m ? 14.0f : 114.0f, by = 112 + 32.0f * m;
        Path badge;
        badge.Circle(bx, by, 13);
        img.FillOutlined(badge,
                         Radial(bx - 3, by - 4, 16,
                                {{0, Mix(playerColor[m], pal::kWhite, 0.35f)},
                                 {1, Scale(playerColor[m], 0.6f)}}),
                         pal::kWhite, 2);
        DrawTextFit(img, m ? "2P" : "1P", bx - 11, by - 10, 22, 20, Align::Center,
                    MenuText(13, pal::kWhite, pal::kCream, pal::kInk, 1.5f));
        // Cursor tabs (128, 96 + 24m)-(184, 120 + 24m).
        Path tab;
        float ty = 96 + 24.0f * m;
        tab.Polygon({{130, ty + 2}, {182, ty + 2}, {182, ty + 16}, {156, ty + 23}, {130, ty + 16}});
        img.FillOutlined(tab, Solid(playerColor[m]), pal::kWhite, 1.5f);
        DrawTextFit(img, m ? "2P" : "1P", 130, ty, 52, 18, Align::Center,
                    MenuText(14, pal::kWhite, pal::kWhite, pal::kInk, 1.2f));
    }
    // Craft icons (128k, 160)-(128k + 128, 288).
    for (int k = 0; k < 4; ++k) {
        float cx = 128.0f * k + 64;
        Path ring;
        ring.Circle(cx, 224, 60);
        img.Fill(ring, Radial(cx, 205, 70,
                              {{0, Mix(CraftColor(k, 0), pal::kWhite, 0.55f)},
                               {1, Scale(CraftColor(k, 0), 0.35f)}}));
        Path rim;
        rim.Ring(cx, 224, 61, 56);
        img.Fill(rim, pal::kGold);
        DrawCraftTop(img, k, cx, 228, 100, 0);
    }
    // Text window (0, 288)-(480, 416).
    TextPlate(img, 2, 290, 476, 124, 14, pal::kGold, 2.5f);
    // Craft names (512, 32k)-(768, 32k + 32).
    static const char* latin[4] = {"LARK", "HERON", "BOULDER", "PHANTOM"};
    for (int k = 0; k < 4; ++k) {
        float y = 32.0f * k;
        GlowBar(img, 514, y + 4, 252, 24, WithAlpha(CraftColor(k, 0), 0.8f));
        TextStyle st =
            MenuText(20, pal::kWhite, Mix(CraftColor(k, 2), pal::kWhite, 0.4f), pal::kInk, 2);
        DrawTextFit(img, std::string(latin[k]) + "  " + CraftName(k), 516, y, 248, 32,
                    Align::Center, st);
    }
    // Sense boxes: (768, 0)-(896, 96) normal steering, (768, 96)-(896, 192) reversed. With one
    // player they stand over the turning craft model, so below the title band they are glass
    // that the craft shows through.
    for (int box = 0; box < 2; ++box) {
        float y = 96.0f * box;
        Color main = box ? Rgb(0x8A3AB0) : Rgb(0x2FA05A),
              deep = box ? Rgb(0x3A1450) : Rgb(0x104A24);
        Plate(img, 770, y + 2, 124, 92, 12, WithAlpha(Mix(main, pal::kWhite, 0.3f), 0.3f),
              WithAlpha(deep, 0.45f), pal::kWhite, 2);
        Path band;
        band.RoundRect(772, y + 4, 120, 28, 10);
        img.Fill(band, Linear(0, y + 4, 0, y + 32, {{0, main}, {1, deep}}));
        DrawTextFit(img, box ? "リバース" : "ノーマル", 772, y + 4, 120, 30, Align::Center,
                    MenuText(20, pal::kWhite, pal::kCream, pal::kInk, 2));
        // Stick up, craft up (or down).
        Path arrowStick;
        arrowStick.Polygon({{800, y + 62}, {812, y + 44}, {824, y + 62}});
        arrowStick.Rect(807, y + 62, 10, 20);
        img.FillOutlined(arrowStick, Solid(pal::kWhite), pal::kInk, 1.5f);
        DrawCraftSide(img, box ? 3 : 0, 858, y + (box ? 70 : 55), 44);
        Path arrowCraft;
        float ay = box ? y + 50 : y + 78;
        arrowCraft.Polygon({{852, ay}, {864, ay + (box ? 14.0f : -14.0f)}, {876, ay}});
        img.FillOutlined(arrowCraft, Solid(pal::kGold), pal::kInk, 1.2f);
    }
    // Sense tab (896, 0)-(1024, 32).
    Plate(img, 898, 2, 124, 28, 12, Rgb(0xF0A030), Rgb(0x9A5010), pal::kWhite, 2);
    DrawTextFit(img, "上下操作", 900, 0, 120, 32, Align::Center,
                MenuText(18, pal::kWhite, pal::kCream, pal::kInk, 2));
    // Set-up rows (512, 192 + 64i)-(864, 256 + 64i).
    static const char* rows[3] = {"ひとりで遊ぶ", "コンピュータと遊ぶ", "ふたりで遊ぶ"};
    for (int i = 0; i < 3; ++i) {
        float y = 192.0f + 64 * i;
        Plate(img, 516, y + 4, 344, 56, 22, Rgb(0x3A72D8), Rgb(0x14306E), pal::kGold, 3);
        // Little figures: one pilot, a pilot and a robot, two pilots.
        DrawCraftTop(img, 0, 556, y + 32, 40, -0.6f);
        if (i > 0) DrawCraftTop(img, i == 1 ? 3 : 1, 590, y + 32, 40, -0.6f);
        DrawTextFit(img, rows[i], 620, y + 4, 236, 56, Align::Center,
                    MenuText(24, pal::kWhite, Rgb(0xD8ECFF), pal::kInk, 2.2f));
    }
    // Caption strip (512, 384)-(768, 448): the title draws it over the main menu as well as
    // over the player set-up, so it names the menu.
    Plate(img, 514, 390, 252, 52, 18, Rgb(0xF2C14E), Rgb(0xB0701A), pal::kWhite, 3);
    DrawTextFit(img, "MAIN MENU", 516, 388, 248, 56, Align::Center,
                MenuText(28, pal::kWhite, pal::kCream, Rgb(0x4A2A05), 2.5f));
    // Hand cursor (768, 384)-(832, 448).
    DrawHand(img, 768, 384, 64);
    AddTga(out, "bmp/fam_nomal.tga", img);
}

void MainMenuSheet(Output& out) {
    Image img(1024, 512);
    static const char* labels[9] = {"ストーリー",     "連続プレイ", "プラクティス",
                                    "エクストラ",     "ショップ",   "レコード",
                                    "スタッフロール", "オプション", "ゲーム終了"};
    static const char* captions[9] = {
        "物語を楽しむ",         "全ステージに挑戦", "好きなステージを練習",
        "最難関ステージ",       "装備を購入する",   "ハイスコアを見る",
        "スタッフロールを見る", "音量を設定する",   "ゲームを終了する"};
    for (int c = 0; c < 9; ++c) {
        float y = 32.0f * c;
        DrawTextFit(img, labels[c], 0, y, 144, 32, Align::Center,
                    MenuText(22, pal::kWhite, Rgb(0xBFE0FF), pal::kInk, 2.2f));
        TextStyle cap = MenuText(17, pal::kCream, pal::kGold, Rgb(0x2A1A05), 1.8f);
        DrawTextFit(img, captions[c], 160, y, 192, 32, Align::Left, cap);
    }
    // The cursor bar (0, 288)-(640, 304).
    GlowBar(img, 0, 289, 640, 14, Rgb(0x7FC8FF, 0.9f));
    AddTga(out, "bmp/title_sel.tga", img);
}

void ChapterSheet(Output& out) {
    Image img(512, 512);
    // Caption (0, 0)-(320, 64), drawn at the top of the screen; the chosen stage's picture
    // rises to y 48, so the plate ends above it.
    Plate(img, 4, 2, 312, 44, 18, Rgb(0x2F5FC0), Rgb(0x142E6A), pal::kGold, 3);
    DrawTextFit(img, "STAGE SELECT", 8, 1, 304, 46, Align::Center, GoldText(30));
    // Record frame (0, 64)-(480, 160).
    Plate(img, 2, 66, 476, 92, 16, Rgb(0x18306A, 0.9f), Rgb(0x0A1636, 0.9f), Rgb(0xA8C8FF), 2.5f,
          0.85f);
    // Pilot portraits (144 x 96) for crafts 0..3: a narrow upright card of the pilot at
    // (22, 2)-(70, 94) of the cell, nothing else. The stage select and the records draw the
    // cell at the ends of their frames (player 2's mirrored), with the weapon icon outside
    // the card's outer edge and the labels and the score beside its inner edge: the card
    // stays clear of them all.
    for (int c = 0; c < 4; ++c) {
        float x = (c % 2) * 144.0f, y = (c / 2) * 96.0f + 160;
        Image cell(144, 96);
        constexpr float kCardX = 22, kCardY = 2, kCardW = 48, kCardH = 92;
        Plate(cell, kCardX, kCardY, kCardW, kCardH, 8, Mix(CraftColor(c, 0), pal::kWhite, 0.45f),
              Scale(CraftColor(c, 0), 0.55f), pal::kWhite, 2);
        Image inside(144, 96);
        Pose p;
        p.expr = Expr::Smile;
        DrawCharacter(inside, static_cast<Who>(c), kCardX + kCardW / 2, 122, 104, p);
        Path card;
        card.RoundRect(kCardX + 2, kCardY + 2, kCardW - 4, kCardH - 4, 6);
        inside.ClipTo(card);
        cell.Draw(inside, 0, 0);
        img.Draw(cell, static_cast<int>(x), static_cast<int>(y));
    }
    // Labels: "STAGE" (288, 160)-(384, 192), "SCORE" (288, 192)-(384, 224), the dash (288,
    // 224)-(384, 256).
    TextStyle lab = MenuText(22, pal::kWhite, pal::kSky, pal::kInk, 2);
    DrawTextFit(img, "STAGE", 288, 160, 96, 32, Align::Center, lab);
    DrawTextFit(img, "SCORE", 288, 192, 96, 32, Align::Center, lab);
    DrawText(img, "-", 336, 240, Align::Center, lab);
    // Digits (24d, 352)-(24d + 24, 384).
    TextStyle dig = MenuText(28, pal::kWhite, pal::kGold, Rgb(0x2A1605), 2.2f);
    dig.face = Face::GothicMono;
    dig.bold = 1;
    for (int d = 0; d < 10; ++d)
        DrawText(img, std::to_string(d), 24.0f * d + 12, 368, Align::Center, dig);
    // The turning emblem (288, 256)-(468, 436).
    DrawEmblem(img, 378, 346, 88, Rgb(0x2A5AB8), pal::kGold);
    AddTga(out, "bmp/selectchapter.tga", img);
}

void CraftPortraits(Output& out) {
    Image img(1024, 1024);
    for (int k = 0; k < 4; ++k) {
        for (int ready = 0; ready < 2; ++ready) {
            Image cell(256, 344);
            const Pose pose = PilotPose(k, ready != 0);
            const TexelBox face = CharacterFaceBox(kPilotX, kPilotFoot, kPilotHeight, pose);
            const float cx = (face.left + face.right) / 2, headY = (face.top + face.bottom) / 2;
            // The glow behind the bust, inside the shown columns.
            const float glowX = cx - 12, glowY = headY + 30, glow = kPilotShownColumns - glowX - 4;
            if (ready) {
                // Ready: a burst of light behind the pilot.
                Path rays;
                for (int i = 0; i < 16; ++i) {
                    float a0 = 2 * kPi * (i + 0.25f) / 16, a1 = 2 * kPi * (i + 0.75f) / 16;
                    rays.Polygon({{glowX, glowY},
                                  {glowX + std::sin(a0) * glow, glowY + std::cos(a0) * glow},
                                  {glowX + std::sin(a1) * glow, glowY + std::cos(a1) * glow}});
                }
                cell.Fill(rays,
                          Radial(glowX, glowY, glow,
                                 {{0, WithAlpha(Mix(CraftColor(k, 0), pal::kWhite, 0.7f), 0.95f)},
                                  {0.7f, WithAlpha(Mix(CraftColor(k, 0), pal::kWhite, 0.5f), 0.6f)},
                                  {1, WithAlpha(Mix(CraftColor(k, 0), pal::kWhite, 0.4f), 0)}}));
            }
            Path disc;
            disc.Circle(glowX, glowY, glow);
            cell.Fill(disc, Radial(glowX, glowY, glow,
                                   {{0, WithAlpha(Mix(CraftColor(k, 0), pal::kWhite, 0.6f), 0.9f)},
                                    {0.7f, WithAlpha(CraftColor(k, 0), 0.6f)},
                                    {1, WithAlpha(CraftColor(k, 0), 0)}}));
            DrawCharacter(cell, static_cast<Who>(k), kPilotX, kPilotFoot, kPilotHeight, pose);
            img.Draw(cell, 256 * k, ready ? 384 : 0);
        }
    }
    AddTga(out, "bmp/selectchr.tga", img);
}

void HiscoreCaption(Output& out) {
    Image img(512, 64);
    Plate(img, 4, 6, 312, 52, 20, Rgb(0xF2C14E), Rgb(0xA05A10), pal::kWhite, 3);
    DrawTextFit(img, "HIGH SCORE", 8, 4, 304, 56, Align::Center,
                MenuText(32, pal::kWhite, pal::kCream, Rgb(0x4A2A05), 3));
    AddTga(out, "bmp/hiscore_title.tga", img);
}

void SoundOptionSheet(Output& out) {
    Image img(512, 256);
    Plate(img, 4, 6, 280, 52, 20, Rgb(0x2F5FC0), Rgb(0x142E6A), pal::kGold, 3);
    DrawTextFit(img, "SOUND OPTION", 8, 4, 272, 56, Align::Center, GoldText(28));
    static const char* rows[3] = {"ＢＧＭ 音量", "効果音 音量", "もどる"};
    for (int i = 0; i < 3; ++i)
        DrawTextFit(img, rows[i], 0, 64.0f + 32 * i, 256, 32, Align::Left,
                    MenuText(22, pal::kWhite, Rgb(0xBFE0FF), pal::kInk, 2.2f));
    for (int side = 0; side < 2; ++side) {
        Path a;
        float x = side ? 64.0f : 0.0f;
        if (side)
            a.Polygon({{x + 22, 164}, {x + 46, 176}, {x + 22, 188}});
        else
            a.Polygon({{x + 42, 164}, {x + 18, 176}, {x + 42, 188}});
        img.FillOutlined(a, Linear(0, 164, 0, 188, {{0, pal::kWhite}, {1, pal::kGold}}), pal::kInk,
                         2);
    }
    TextStyle dig = MenuText(28, pal::kWhite, pal::kGold, Rgb(0x2A1605), 2.2f);
    dig.face = Face::GothicMono;
    for (int v = 0; v < 10; ++v)
        DrawText(img, std::to_string(v), 32.0f * v + 16, 208, Align::Center, dig);
    AddTga(out, "bmp/soundoption_menu.tga", img);
}

}  // namespace

void AddTitlePictureJobs(std::vector<Job>& jobs) {
    jobs.push_back({"title.bmp", TitlePicture});
    jobs.push_back({"title2.bmp", MenuBackground});
    jobs.push_back({"fam_nomal.tga", SetupAndCraftSheet});
    jobs.push_back({"title_sel.tga", MainMenuSheet});
    jobs.push_back({"selectchapter.tga", ChapterSheet});
    jobs.push_back({"selectchr.tga", CraftPortraits});
    jobs.push_back({"hiscore_title.tga", HiscoreCaption});
    jobs.push_back({"soundoption_menu.tga", SoundOptionSheet});
}

}  // namespace mk
