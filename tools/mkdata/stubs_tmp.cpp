#include "tools/mkdata/pictures.h"
namespace mk {
void AddMusicJobs(std::vector<Job>&) {}
void DebugSheets(std::vector<Job>&);
void AddMovieJobs(std::vector<Job>& j) {
    DebugSheets(j);
}
}  // namespace mk
#include "tools/mkdata/chara.h"
#include "tools/mkdata/ui.h"
namespace mk {
void DebugSheets(std::vector<Job>& jobs) {
    jobs.push_back({"zzdebug_chara", [](Output& out) {
                        Image img(1400, 1100, Rgb(0x88AACC));
                        for (int w = 0; w < 6; ++w)
                            for (int v = 0; v < 5; ++v) {
                                Pose p;
                                p.turn = v * kPi / 4;
                                p.expr = static_cast<Expr>(w % 9);
                                p.frame = v % 3;
                                DrawCharacter(img, static_cast<Who>(w), 80 + v * 140.0f,
                                              180 + (w % 3) * 180.0f + (w / 3) * 540.0f, 170, p);
                            }
                        for (int v = 0; v < 5; ++v)
                            DrawMascot(img, 800 + v * 110.0f, 160, 100, v * kPi / 4, v % 3, false);
                        DrawShopkeeper(img, 900, 500, 300, 0);
                        DrawShopkeeper(img, 1200, 500, 300, 1);
                        for (int i = 0; i < 22; ++i)
                            DrawIcon(img, i, 760 + (i % 8) * 80.0f, 600 + (i / 8) * 80.0f, 72);
                        for (int c = 0; c < 4; ++c) {
                            DrawCraftTop(img, c, 780 + c * 150.0f, 900, 130);
                            DrawCraftSide(img, c, 780 + c * 150.0f, 1030, 130);
                        }
                        AddTga(out, "debug/chara.tga", img);
                    }});
}
}  // namespace mk
