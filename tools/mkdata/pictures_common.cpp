// The common pictures (texture group 1): pause menu, system sheet, frame-rate digits,
// score digits and the loading caption. They go into the picture archive.
#include <cmath>

#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

void SystemSheet(Output& out) {
    Image img(128, 128);
    img.FillRect(0, 0, 8, 8, pal::kWhite);     // cell 0: the flicker and the frame-cost bar
    img.FillRect(8, 0, 8, 8, Rgb(0x000000));   // cell 1: the fade colour
    img.FillRect(16, 0, 8, 8, Rgb(0x40E0FF));  // cell 2: the frame-cost fill
    TextStyle st = PlainText(9.0f, pal::kWhite);
    st.face = Face::GothicMono;
    st.bold = 0.25f;
    for (int v = 33; v < 127; ++v) {
        Image glyph(8, 8);
        std::string s(1, static_cast<char>(v));
        DrawText(glyph, s, 4.0f, 3.6f, Align::Center, st);
        glyph.Threshold(0.42f);
        img.Draw(glyph, (v % 16) * 8, (v / 16) * 8);
    }
    AddBmp(out, "bmp/system.bmp", img, BmpMode::Keyed, Place::PictureArchive);
}

void FpsDigits(Output& out) {
    Image img(128, 16);
    TextStyle st = MenuText(11, pal::kWhite, Rgb(0xBFE6FF), pal::kInk, 1.2f);
    st.face = Face::GothicMono;
    st.bold = 0.3f;
    DrawTextFit(img, "FPS", 0, 0, 23, 12, Align::Center, st);
    for (int c = 0; c < 10; ++c)
        DrawTextFit(img, std::to_string(c), 32.0f + 8 * c, 0, 9, 12, Align::Center, st);
    AddTga(out, "bmp/fps.tga", img, Place::PictureArchive);
}

void ScoreDigits(Output& out) {
    Image img(256, 64);
    TextStyle st = MenuText(27, pal::kWhite, pal::kGold, Rgb(0x2A1605), 2.0f);
    st.face = Face::GothicMono;
    st.bold = 1.3f;
    st.stretchX = 1.15f;
    for (int d = 0; d < 10; ++d)
        DrawText(img, std::to_string(d), 24.0f * d + 12, 12.5f, Align::Center, st);
    // The group separator: a comma low in its cell.
    TextStyle comma = st;
    comma.size = 24;
    DrawText(img, ",", 12, 38, Align::Center, comma);
    // The score mark: a gold coin with a star.
    Path coin;
    coin.Circle(48, 48, 13);
    img.Shadow(coin, 1, 2, 1.5f, Rgb(0, 0.5f));
    img.FillOutlined(coin,
                     Radial(44, 43, 16, {{0, Rgb(0xFFF6B0)}, {0.7f, pal::kGold}, {1, pal::kAmber}}),
                     Rgb(0x3A2205), 1.6f);
    Path star;
    star.Star(48, 48.5f, 8, 3.5f, 5);
    img.Fill(star, Rgb(0xFFFDF0));
    AddTga(out, "bmp/suji_score.tga", img, Place::PictureArchive);
}

void LoadingCaption(Output& out) {
    Image img(256, 64);
    // The icon that spins in the corner: the emblem in its 64 x 64 cell.
    DrawEmblem(img, 32, 32, 27, pal::kBlue, pal::kGold);
    TextStyle st = MenuText(20, pal::kWhite, pal::kSky, pal::kInk, 2);
    DrawTextFit(img, "NOW", 64, 4, 128, 28, Align::Center, st);
    DrawTextFit(img, "LOADING", 64, 30, 128, 28, Align::Center, st);
    AddTga(out, "bmp/nowloading.tga", img, Place::PictureArchive);
}

void PauseMenu(Output& out) {
    Image img(512, 256);
    // Title plate (0, 0)-(319, 95).
    MenuPlate(img, 8, 8, 304, 80, 1.0f);
    TextStyle title = GoldText(44);
    title.spacing = 6;
    DrawText(img, "PAUSE", 160, 40, Align::Center, title);
    TextStyle sub = MenuText(14, pal::kCream, pal::kSky, pal::kInk, 1.5f);
    DrawText(img, "ポーズ中", 160, 74, Align::Center, sub);
    // Items, 256 x 48 each: right half for every item in practice and for item 0,
    // left half for the other items outside practice.
    const char* right[3] = {"ゲームに戻る", "ステージセレクトへ", "もう一度挑戦する"};
    const char* left[3] = {"ゲームに戻る", "タイトルに戻る", "もう一度挑戦する"};
    for (int j = 0; j < 3; ++j)
        for (int half = 0; half < 2; ++half) {
            float x = half ? 256.0f : 0.0f, y = 96.0f + 48 * j;
            Plate(img, x + 6, y + 4, 244, 40, 18, Rgb(0x3A72D8), Rgb(0x14306E), pal::kCream, 2.5f);
            TextStyle st = MenuText(22, pal::kWhite, Rgb(0xD8ECFF), pal::kInk, 2.2f);
            DrawTextFit(img, half ? right[j] : left[j], x + 10, y + 4, 236, 40, Align::Center, st);
        }
    AddBmp(out, "bmp/pasemenu.bmp", img, BmpMode::Keyed, Place::PictureArchive);
}

}  // namespace

void AddCommonPictureJobs(std::vector<Job>& jobs) {
    jobs.push_back({"system.bmp", SystemSheet});
    jobs.push_back({"fps.tga", FpsDigits});
    jobs.push_back({"suji_score.tga", ScoreDigits});
    jobs.push_back({"nowloading.tga", LoadingCaption});
    jobs.push_back({"pasemenu.bmp", PauseMenu});
}

}  // namespace mk
