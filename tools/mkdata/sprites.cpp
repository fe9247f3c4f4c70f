// The form sprites and the small sheets of figures: the riders' cell sheets with the form
// table that lists their cells, the mascot markers, the villagers and the walking mascots.
#include <cmath>

#include "tools/mkdata/chara.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/sprites.h"
#include "tools/mkdata/ui.h"

namespace mk {

namespace {

constexpr int kFrames = 256;

// One form: its frames' cell lists and the texture holding the cells in list order.
struct FormBuild {
    std::vector<uint16_t> count = std::vector<uint16_t>(kFrames, 0),
                          first = std::vector<uint16_t>(kFrames, 0);
    std::vector<uint16_t> cells;  // cell number shown by list entry n
    Image texture;
    int width = 128;
};

// Adds one 128-tall picture as frame `frame`: every 8 x 8 cell with an opaque texel
// becomes a list entry, and its texels go to texture cell (entry number).
void AddFrame(FormBuild& f, int frame, const Image& pic) {
    const int cols = f.width / 8, texCols = f.texture.W() / 8;
    f.first[frame] = static_cast<uint16_t>(f.cells.size());
    uint16_t n = 0;
    for (int row = 0; row < 16; ++row)
        for (int col = 0; col < cols; ++col) {
            bool any = false;
            for (int y = 0; y < 8 && !any; ++y)
                for (int x = 0; x < 8 && !any; ++x)
                    any = pic.Px(col * 8 + x, row * 8 + y).a >= 0.5f;
            if (!any) continue;
            size_t entry = f.cells.size();
            if (entry >= static_cast<size_t>(texCols * (f.texture.H() / 8)))
                return;  // the sheet is full
            f.cells.push_back(static_cast<uint16_t>(row * cols + col));
            int tx = static_cast<int>(entry % texCols) * 8,
                ty = static_cast<int>(entry / texCols) * 8;
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x)
                    f.texture.Px(tx + x, ty + y) = pic.Px(col * 8 + x, row * 8 + y);
            ++n;
        }
    f.count[frame] = n;
}

// Frame `frame` shows the same cells as an earlier frame.
void ShareFrame(FormBuild& f, int frame, int from) {
    f.count[frame] = f.count[from];
    f.first[frame] = f.first[from];
}

Image RiderPicture(Who who, float turn, int anim, float lean) {
    Image pic(128, 128);
    Pose p;
    p.turn = turn;
    p.frame = anim;
    p.lean = lean;
    p.expr = Expr::Determined;
    DrawCharacter(pic, who, 64, 126, 104, p);
    pic.Threshold(0.5f);
    return pic;
}

FormBuild RiderForm(Who who, bool pitchPoses) {
    FormBuild f;
    f.texture = Image(512, 512);
    // Views by frame base: 0 back, 8 back-quarter, 16 side, 24 front-quarter, 32 front,
    // all facing the viewer's left; the drawing mirrors them for the other side.
    const float turns[5] = {kPi, kPi * 0.75f, kPi * 0.5f, kPi * 0.25f, 0};
    for (int v = 0; v < 5; ++v) {
        for (int a = 0; a < 3; ++a) AddFrame(f, v * 8 + a, RiderPicture(who, turns[v], a, 0));
        for (int a = 3; a < 8; ++a) ShareFrame(f, v * 8 + a, v * 8 + a % 3);
    }
    if (pitchPoses) {
        // 40..42 lean back (climbing), 43..45 lean forward (diving), seen from behind.
        const float leans[6] = {-0.25f, -0.45f, -0.65f, 0.25f, 0.45f, 0.65f};
        for (int k = 0; k < 6; ++k) AddFrame(f, 40 + k, RiderPicture(who, kPi, 0, leans[k]));
    }
    return f;
}

void PutBe16(Bytes& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v >> 8));
    b.push_back(static_cast<uint8_t>(v));
}

void PutBe32(Bytes& b, uint32_t v) {
    PutBe16(b, static_cast<uint16_t>(v >> 16));
    PutBe16(b, static_cast<uint16_t>(v));
}

}  // namespace

Bytes BuildFormTable(const std::vector<FormFrames>& forms) {
    Bytes out;
    const size_t n = forms.size();
    std::vector<Bytes> blocks;
    for (const FormFrames& f : forms) {
        Bytes b(256, 0);
        for (int k = 0; k < kFrames; ++k)
            PutBe16(b, k < static_cast<int>(f.count.size()) ? f.count[k] : 0);
        for (int k = 0; k < kFrames; ++k)
            PutBe16(b, k < static_cast<int>(f.first.size()) ? f.first[k] : 0);
        for (uint16_t c : f.cells) PutBe16(b, c);
        blocks.push_back(b);
    }
    uint32_t offset = static_cast<uint32_t>(4 * n);
    for (const Bytes& b : blocks) {
        PutBe32(out, offset);
        offset += static_cast<uint32_t>(b.size());
    }
    for (const Bytes& b : blocks) out.insert(out.end(), b.begin(), b.end());
    return out;
}

namespace {

void FormsAndRiders(Output& out) {
    // The riders of the crafts 0 to 3; form 3 also stands for the rival's sprite enemy.
    const FormBuild riders[4] = {RiderForm(Who::Kai, true), RiderForm(Who::Mira, false),
                                 RiderForm(Who::Gant, false), RiderForm(Who::Zeno, false)};
    std::vector<FormFrames> forms(6);
    for (int r = 0; r < 4; ++r) forms[r] = {riders[r].count, riders[r].first, riders[r].cells};
    // Forms 4 and 5 hold no cells: their sprites draw nothing.
    out.Add("data/formdata.bin", BuildFormTable(forms));
    for (int r = 0; r < 4; ++r) {
        AddBmp(out, "bmp/chr0" + std::to_string(r) + ".bmp", riders[r].texture, BmpMode::Keyed,
               Place::PictureArchive);
    }
}

void MascotMarkers(Output& out) {
    Image img(256, 256);
    // Cells 0, 3, 6, 9, 12: back, back-quarter, side, front-quarter, front.
    const int cells[5] = {0, 3, 6, 9, 12};
    const float turns[5] = {kPi, kPi * 0.75f, kPi * 0.5f, kPi * 0.25f, 0};
    for (int v = 0; v < 5; ++v) {
        float x = (cells[v] % 4) * 64.0f, y = (cells[v] / 4) * 64.0f;
        Image cell(64, 64);
        DrawMascot(cell, 32, 62, 56, turns[v], 0, false);
        cell.Threshold(0.5f);
        img.Draw(cell, static_cast<int>(x), static_cast<int>(y));
    }
    AddBmp(out, "bmp/masc02.bmp", img, BmpMode::Keyed, Place::PictureArchive);
}

void Villagers(Output& out) {
    Image img(256, 256);
    const int cells[5] = {0, 4, 8, 9, 10};
    for (int v = 0; v < 5; ++v) {
        Image cell(64, 64);
        Pose p;
        p.expr = v % 2 ? Expr::Grin : Expr::Smile;
        p.wave = 1;
        p.frame = v;
        DrawCharacter(cell, static_cast<Who>(static_cast<int>(Who::Villager1) + v), 32, 63, 60, p);
        cell.Threshold(0.5f);
        img.Draw(cell, (cells[v] % 4) * 64, (cells[v] / 4) * 64);
    }
    AddBmp(out, "bmp/murabito.bmp", img, BmpMode::Keyed, Place::VolumeArchive);
}

void WalkingMascots(Output& out) {
    Image img(256, 256);
    for (int k = 0; k < 8; ++k) {
        if (k == 3 || k == 7) continue;
        bool away = k >= 4;
        Image cell(64, 64);
        DrawMascot(cell, 32, 62, 54, away ? kPi * 0.75f : kPi * 0.25f, k % 4, true);
        cell.Threshold(0.5f);
        img.Draw(cell, (k % 4) * 64, (k / 4) * 64);
    }
    AddBmp(out, "bmp/walk_masc.bmp", img, BmpMode::Keyed, Place::VolumeArchive);
}

// The billboard enemies: 64 x 64 cells, four animation columns; row 0 shows type 57, row 1
// type 56.
void EnemyBoards(Output& out) {
    Image img(256, 128);
    for (int row = 0; row < 2; ++row) {
        for (int c = 0; c < 4; ++c) {
            Image cell(64, 64);
            DrawMascot(cell, 32, 60 - 2 * (c % 2), 52, row == 0 ? 0.0f : kPi, c, false);
            cell.Threshold(0.5f);
            img.Draw(cell, c * 64, row * 64);
        }
    }
    AddBmp(out, "bmp/enemy_board.bmp", img, BmpMode::Keyed, Place::VolumeArchive);
}

// The eight-way walking figures: 64 x 64 cells; direction d (0..7) walks in the three cells
// from cell {0, 8, 16, 24, 3, 11, 19, 27}[d] of the 8 x 4 grid.
void WalkingFigures(Output& out) {
    Image img(512, 256);
    const int first[8] = {0, 8, 16, 24, 3, 11, 19, 27};
    for (int d = 0; d < 8; ++d) {
        for (int f = 0; f < 3; ++f) {
            int cellNumber = first[d] + f;
            Image cell(64, 64);
            DrawMascot(cell, 32, 62, 54, kPi * 0.25f * static_cast<float>(d), f, true);
            cell.Threshold(0.5f);
            img.Draw(cell, (cellNumber % 8) * 64, (cellNumber / 8) * 64);
        }
    }
    AddBmp(out, "bmp/walk_figure.bmp", img, BmpMode::Keyed, Place::VolumeArchive);
}

}  // namespace

void AddSpriteJobs(std::vector<Job>& jobs) {
    jobs.push_back({"formdata.bin chr00.bmp .. chr03.bmp", FormsAndRiders});
    jobs.push_back({"masc02.bmp", MascotMarkers});
    jobs.push_back({"murabito.bmp", Villagers});
    jobs.push_back({"walk_masc.bmp", WalkingMascots});
    jobs.push_back({"enemy_board.bmp", EnemyBoards});
    jobs.push_back({"walk_figure.bmp", WalkingFigures});
}

}  // namespace mk
