// Pictures of the screens outside play: the game-over picture, the result, the shop and
// the ending (loose files).
#include <cmath>

#include "tools/mkdata/chara.h"
#include "tools/mkdata/pictures.h"
#include "tools/mkdata/scenery.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

Image Canvas() {
    return Image(1024, 512, Rgb(0x000000));
}

void GameOverPicture(Output& out) {
    Image img = Canvas();
    Image art(640, 480);
    PaintSky(art, Rgb(0x0A0A18), Rgb(0x2A1A3A), Rgb(0x6A2A3A), 420);
    PaintClouds(art, 41, 0, 300, 160, 0.6f, Rgb(0x5A4A6A), Rgb(0x1A1020));
    PaintRidge(art, 42, 420, 80, 200, Rgb(0x2A1A2A), Rgb(0x100810));
    // A fallen craft trailing smoke.
    for (int i = 0; i < 14; ++i) {
        Path s;
        s.Circle(360 + i * 14.0f, 300 - i * 16.0f, 10 + i * 2.5f);
        art.Fill(s, Rgb(0x3A3A44, 0.35f - i * 0.02f));
    }
    DrawCraftSide(art, 0, 330, 330, 120);
    TextStyle st = MenuText(80, Rgb(0xFFB0A0), Rgb(0xC0201A), Rgb(0x1A0505), 5);
    st.spacing = 6;
    st.shadow = Rgb(0, 0.7f);
    st.shadowDx = 4;
    st.shadowDy = 6;
    st.shadowBlur = 6;
    DrawText(art, "GAME OVER", 320, 170, Align::Center, st);
    DrawText(art, "また挑戦してね", 320, 250, Align::Center,
             MenuText(28, pal::kWhite, Rgb(0xC8C8E0), pal::kInk, 2.5f));
    Vignette(art, 0.7f);
    img.Draw(art, 0, 0);
    AddBmp(out, "bmp/gameover.bmp", img, BmpMode::Opaque);
}

// A caption on a dark pill that names a number of the result or the shop.
void NumberCaption(Image& art, const char* text, float x, float y, float w, float h) {
    Path pill;
    pill.RoundRect(x, y, w, h, 8);
    art.Fill(pill, Rgb(0x1A0E06, 0.55f));
    DrawTextFit(art, text, x, y, w, h, Align::Center,
                MenuText(14, pal::kCream, pal::kGold, Rgb(0x2A1405), 2));
}

void ResultPictures(Output& out) {
    {
        Image img = Canvas();
        Image art(640, 480);
        PaintSky(art, Rgb(0x1A3A8A), Rgb(0x4A8AE0), Rgb(0xFFD8A0), 480);
        PaintSun(art, 320, 470, 60, Rgb(0xFFE0A0), Rgb(0xFFB060));
        PaintRays(art, 320, 470, Rgb(0xFFF0C0, 0.25f), 16, 5);
        PaintClouds(art, 51, 300, 480, 120, 0.5f, Rgb(0xFFE8D0), Rgb(0xB07A8A));
        // The tally board in the middle, ending under its last row (y 370): the pilots'
        // busts stand in the corners below it.
        Plate(art, 24, 66, 592, 310, 18, Rgb(0x10204A, 0.7f), Rgb(0x060E26, 0.8f), pal::kGold, 3,
              0.7f);
        // The score under the board is the points the player holds, as the shop calls it:
        // its heading stands over the digits' right end (the last digit ends at x 408).
        NumberCaption(art, "所持ポイント", 298, 392, 110, 20);
        TextStyle st = GoldText(40);
        st.spacing = 6;
        DrawText(art, "RESULT", 320, 36, Align::Center, st);
        img.Draw(art, 0, 0);
        AddBmp(out, "bmp/result_bg.bmp", img, BmpMode::Opaque);
    }
    {
        Image img(512, 256);
        // New-record badge (160, 0)-(256, 96).
        Path burst;
        burst.Star(208, 48, 46, 34, 14);
        img.FillOutlined(burst, Radial(208, 40, 50, {{0, Rgb(0xFFF6A0)}, {1, Rgb(0xF08A10)}}),
                         Rgb(0x5A2A05), 2);
        DrawText(img, "NEW", 208, 36, Align::Center,
                 MenuText(24, Rgb(0xE02A2A), Rgb(0xA00A0A), pal::kWhite, 2));
        DrawText(img, "RECORD!", 208, 60, Align::Center,
                 MenuText(17, Rgb(0xE02A2A), Rgb(0xA00A0A), pal::kWhite, 2));
        // The bar, read from (0, 240)-(480, 256) (its rectangle wraps round the sheet's height).
        GlowBar(img, 0, 241, 480, 14, Rgb(0xFFD060, 0.95f));
        AddTga(out, "bmp/result_messe.tga", img);
    }
    {
        Image img(256, 512);
        static const char* caps[8] = {"クリアボーナス", "タイムボーナス", "撃墜ボーナス",
                                      "エネミー得点",   "全滅ボーナス",   "タイムボーナス",
                                      "合計",           "ライフボーナス"};
        for (int c = 0; c < 8; ++c) {
            Color top = c == 6 ? pal::kGold : pal::kWhite,
                  bottom = c == 6 ? pal::kAmber : pal::kSky;
            DrawTextFit(img, caps[c], 0, 48.0f * c + 4, 160, 40, Align::Center,
                        MenuText(22, top, bottom, pal::kInk, 2.2f));
        }
        AddTga(out, "bmp/result_messe2.tga", img);
    }
}

void ShopRoom(Image& art, uint32_t seed, bool night) {
    // A cosy wooden shop: back wall with shelves, lanterns and a counter.
    art.FillRect(0, 0, 640, 480,
                 Linear(0, 0, 0, 480,
                        {{0, night ? Rgb(0x2A1A14) : Rgb(0x6A4028)},
                         {1, night ? Rgb(0x140A08) : Rgb(0x3A2012)}}));
    for (int i = 0; i < 12; ++i) art.FillRect(i * 56.0f, 0, 2, 480, Rgb(0x000000, 0.25f));
    Rng rng(seed);
    for (int s = 0; s < 3; ++s) {
        float y = 80.0f + s * 90;
        art.FillRect(20, y, 600, 10, Rgb(0x8A5A34));
        art.FillRect(20, y + 10, 600, 4, Rgb(0x2A1408, 0.6f));
        for (float x = 30; x < 600; x += 20 + rng.Unit() * 30) {
            float h = 24 + rng.Unit() * 36, w = 12 + rng.Unit() * 18;
            Path b;
            if (rng.Unit() < 0.5f)
                b.RoundRect(x, y - h, w, h, 3);
            else
                b.Ellipse(x + w / 2, y - h / 2, w / 2, h / 2);
            Color c = Mix(Rgb(static_cast<uint32_t>(rng.Next() & 0xFFFFFF)), Rgb(0x8A5A34), 0.35f);
            art.FillOutlined(
                b, Linear(x, 0, x + w, 0, {{0, Mix(c, Rgb(0xFFFFFF), 0.3f)}, {1, Scale(c, 0.6f)}}),
                Rgb(0x1A0A04), 1);
        }
    }
    for (int l = 0; l < 3; ++l) {
        float x = 120.0f + l * 200;
        Path lamp;
        lamp.Ellipse(x, 34, 16, 20);
        art.Glow(lamp, 30, Rgb(0xFFB050, 0.5f));
        art.FillOutlined(lamp, Radial(x, 30, 22, {{0, Rgb(0xFFF0C0)}, {1, Rgb(0xE07A20)}}),
                         Rgb(0x3A1A08), 1.5f);
    }
    // Counter.
    art.FillRect(0, 380, 640, 100,
                 Linear(0, 380, 0, 480, {{0, Rgb(0xB07A44)}, {1, Rgb(0x5A3418)}}));
    art.FillRect(0, 376, 640, 8, Rgb(0xD8A060));
    Vignette(art, 0.45f);
}

void ShopPictures(Output& out) {
    {
        Image img = Canvas();
        Image art(640, 480);
        ShopRoom(art, 61, false);
        // What the numbers are: the points held (the first row, with the coin mark), the
        // price under it, and the points left after buying (the coin mark again, under the
        // bar). The price row has no coin: a tag in its place names it.
        NumberCaption(art, "所持ポイント", 300, 160, 110, 20);
        Path tag;
        tag.RoundRect(189, 217, 38, 22, 7);
        art.FillOutlined(tag, Linear(0, 217, 0, 239, {{0, Rgb(0xFFF4D6)}, {1, Rgb(0xE8C880)}}),
                         Rgb(0x5A3A0A), 1.5f);
        DrawTextFit(art, "価格", 189, 217, 38, 22, Align::Center,
                    MenuText(14, Rgb(0x7A2A0A), Rgb(0x4A1A05), Rgb(0xFFF8E8), 1.2f));
        // The points left after buying: a caption under the start of the last row's digits
        // (from x 232), beside its coin and left of the keeper's wing (from x 344), above
        // the text window (from y 290).
        NumberCaption(art, "購入後", 230, 273, 66, 17);
        img.Draw(art, 0, 0);
        AddBmp(out, "bmp/shop_bg.bmp", img, BmpMode::Opaque);
    }
    Image img(1024, 512);
    // Keeper poses: (0, 0)-(312, 360) welcoming, (312, 0)-(624, 360) bowing.
    for (int pose = 0; pose < 2; ++pose) {
        Image cell(312, 360);
        DrawShopkeeper(cell, 156, 392, 330, pose);
        img.Draw(cell, 312 * pose, 0);
    }
    // Text window (624, 0)-(1024, 160).
    TextPlate(img, 626, 2, 396, 156, 16, Rgb(0x8A5A2A), 4);
    // Bar (0, 368)-(320, 384).
    GlowBar(img, 0, 369, 320, 14, Rgb(0xFFC060, 0.9f));
    // Item frame (0, 384)-(128, 512).
    {
        Path f;
        f.RoundRect(4, 388, 120, 120, 16);
        img.Fill(f, pal::kGold);
        Path hole;
        hole.RoundRect(10, 394, 108, 108, 12);
        img.Fill(hole, Rgb(0x1A0E06, 0.55f), 1, Blend::Replace);
    }
    // The emblem (624, 160)-(804, 340), turning about (96, 216) on the screen: small enough
    // that it never reaches the item frames above it (down to y 144) nor the text window.
    DrawEmblem(img, 714, 250, 68, Rgb(0x8A3A2A), pal::kGold);
    AddTga(out, "bmp/shop.tga", img);
}

// One horizontally tiling 640 x 480 sky with a floor of clouds.
void EndingSky(Image& art, uint32_t seed, bool night) {
    if (night) {
        PaintSky(art, Rgb(0x060A20), Rgb(0x1A2A5A), Rgb(0x4A5A9A), 480);
        PaintStars(art, seed, 220, 360);
    } else {
        PaintSky(art, Rgb(0x3A7ADA), Rgb(0x8AC4F4), Rgb(0xFFE8C8), 480);
    }
    PaintClouds(art, seed + 1, 40, 200, 160, 0.35f, night ? Rgb(0x8A9AC8) : Rgb(0xFFFFFF),
                night ? Rgb(0x2A3A6A) : Rgb(0xB8CCEA), 640, 0.8f);
    PaintRidge(art, seed + 2, 420, 90, 220, night ? Rgb(0x2A3A6A) : Rgb(0x7A9AD0),
               night ? Rgb(0x1A2448) : Rgb(0x5A78B0), 640, 0.5f);
    PaintClouds(art, seed + 3, 330, 480, 110, 0.6f, night ? Rgb(0x9AA8D8) : Rgb(0xFFFFFF),
                night ? Rgb(0x3A4A7A) : Rgb(0xC0D0EA), 640);
}

void EndingPictures(Output& out, bool extra) {
    Image img(1024, 512);  // transparent outside the background, for the colour key
    Image art(640, 480);
    EndingSky(art, extra ? 91 : 81, extra);
    img.Draw(art, 0, 0);
    // Sprite cells (640 + 48 (c mod 2), 48 (c / 2)), 48 x 48: crafts 2k, 2k + 1 (facing left),
    // targets 8, 9 (stored facing left; drawn mirrored), hits 10, 11.
    for (int c = 0; c < 12; ++c) {
        Image cell(48, 48);
        if (c < 8) {
            Image side(48, 48);
            DrawCraftSide(side, c / 2, 24, 24 + (c % 2 ? 1.0f : 0.0f), 42);
            if (c % 2) {
                Path flame;
                flame.Ellipse(46, 25, 4, 3);
                side.Fill(flame, Rgb(0xFFC040));
            }
            cell = side.FlippedX();
        } else if (c < 10) {
            DrawMascot(cell, 24, 44, 40, kPi * 0.5f, c - 8, false);
        } else {
            Path boom;
            boom.Star(24, 24, c == 10 ? 16.0f : 22.0f, c == 10 ? 8.0f : 12.0f, 9);
            cell.Fill(
                boom,
                Radial(24, 24, 22, {{0, Rgb(0xFFFFE0)}, {0.5f, Rgb(0xFFB030)}, {1, Rgb(0xE04010)}}),
                c == 10 ? 1.0f : 0.7f);
        }
        cell.Threshold(0.5f);
        img.Draw(cell, 640 + 48 * (c % 2), 48 * (c / 2));
    }
    // The shot (736, 0)-(752, 16).
    {
        Path s;
        s.Ellipse(744, 8, 7, 4);
        img.FillOutlined(s, Solid(Rgb(0xFFF0A0)), Rgb(0xE08A10), 1);
    }
    // Credit strips in the column x 752..1008.
    struct Strip {
        float y, h;
        std::vector<const char*> lines;
    };
    const Strip strips[5] = {
        {0, 48, {"STAFF"}},
        {48, 128, {"ゲームデザイン", "THE VQ TEAM", "プログラム", "THE VQ TEAM"}},
        {176, 128, {"グラフィック", "THE VQ TEAM", "モデリング", "THE VQ TEAM"}},
        {304, 128, {"サウンド", "THE VQ TEAM", "スペシャルサンクス", "ALL PLAYERS"}},
        {432, 80, {"THANK YOU", "FOR PLAYING!"}},
    };
    for (const Strip& s : strips) {
        float lh = s.h / static_cast<float>(s.lines.size());
        for (size_t i = 0; i < s.lines.size(); ++i) {
            bool role = s.lines.size() == 4 && i % 2 == 0;
            TextStyle st = role ? MenuText(18, pal::kGold, pal::kAmber, Rgb(0x2A1605), 2)
                                : MenuText(s.lines.size() == 1 ? 34 : 24, pal::kWhite, pal::kSky,
                                           pal::kInk, 2.5f);
            DrawTextFit(img, s.lines[i], 752, s.y + lh * i, 256, lh, Align::Center, st);
        }
    }
    // The background is drawn twice side by side as it scrolls. Its left edge samples across
    // the picture's wrap into the last column, so that column continues the sky from the
    // background's right edge, and no line shows at the seam.
    for (int y = 0; y < 480; ++y) img.Px(1023, y) = art.Px(639, y);
    Image keyed = img;
    // The background part is opaque; the sprites, shot and strips keep the colour key.
    AddBmp(out, extra ? "bmp/ed_bg2.bmp" : "bmp/ed_bg.bmp", keyed, BmpMode::Keyed);

    // The final picture.
    Image fin = Canvas();
    Image art2(640, 480);
    if (extra) {
        PaintSky(art2, Rgb(0x0A0A30), Rgb(0x3A1A6A), Rgb(0xC05A9A), 480);
        PaintStars(art2, 97, 260, 400);
        PaintRays(art2, 320, 240, Rgb(0xFFE0FF, 0.3f), 20, 8);
        DrawCraftTop(art2, 3, 320, 300, 200, 0);
        TextStyle st = GoldText(60);
        st.glow = Rgb(0xFFE080, 0.6f);
        st.glowRadius = 12;
        DrawText(art2, "EXTRA STAGE", 320, 90, Align::Center, st);
        DrawText(art2, "CLEAR!", 320, 160, Align::Center, st);
        DrawText(art2, "おめでとう！ 真のエースの誕生だ", 320, 430, Align::Center,
                 MenuText(26, pal::kWhite, pal::kSky, pal::kInk, 2.5f));
    } else {
        PaintSky(art2, Rgb(0x2A3A8A), Rgb(0xE08A6A), Rgb(0xFFD090), 360);
        PaintSun(art2, 320, 330, 50, Rgb(0xFFE0A0), Rgb(0xFF9A50));
        PaintSea(art2, 87, 330, Rgb(0xE0A080), Rgb(0x3A2A5A));
        PaintIsland(art2, 520, 330, 160, Rgb(0x4A7A3A), Rgb(0x5A3A2A), 88);
        const Who who[4] = {Who::Gant, Who::Kai, Who::Mira, Who::Zeno};
        for (int i = 0; i < 4; ++i) {
            Pose p;
            p.turn = kPi;
            p.wave = i == 1 ? 1 : 0;
            p.frame = i;
            DrawCharacter(art2, who[i], 150 + i * 110.0f, 470, 170, p);
        }
        TextStyle st = GoldText(56);
        st.glow = Rgb(0xFFE0A0, 0.5f);
        st.glowRadius = 10;
        DrawText(art2, "THE END", 320, 80, Align::Center, st);
        DrawText(art2, "遊んでくれて ありがとう！", 320, 150, Align::Center,
                 MenuText(26, pal::kWhite, pal::kCream, pal::kInk, 2.5f));
    }
    fin.Draw(art2, 0, 0);
    AddBmp(out, extra ? "bmp/extra_cl.bmp" : "bmp/last_cut.bmp", fin, BmpMode::Opaque);
}

}  // namespace

void AddScenePictureJobs(std::vector<Job>& jobs) {
    jobs.push_back({"gameover.bmp", GameOverPicture});
    jobs.push_back({"result_bg.bmp result_messe", ResultPictures});
    jobs.push_back({"shop_bg.bmp shop.tga", ShopPictures});
    jobs.push_back({"ed_bg.bmp last_cut.bmp", [](Output& out) { EndingPictures(out, false); }});
    jobs.push_back({"ed_bg2.bmp extra_cl.bmp", [](Output& out) { EndingPictures(out, true); }});
}

}  // namespace mk
