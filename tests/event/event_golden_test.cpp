// Golden image of a story event: the scrolling sky in its two copies, two portraits (one of
// each face sheet, one mirrored), the risen window, the text box, the speaker marker and
// two lines of dialogue.
#include "scenes/event/event.h"
#include "tests/support/scene_golden.h"

namespace vqtest {
namespace {

class EventGolden : public SceneGolden {
protected:
    void SetUp() override {
        SceneGolden::SetUp();
        if (!device()) return;
        ResetEventGlobals();
        Use(&gEventTextures.window, 1024, 512, PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
            if (y < 160 && x < 640) return PatternCell(x, y, 640, 160, 0xD0304080u, 1);
            if (y >= 160 && y < 320 && x < 640)
                return PatternCell(x, y - 160, 640, 160, 0xE0F0E0C0u, 2);
            if (y >= 320 && y < 352 && x < 32)
                return PatternCell(x, y - 320, 32, 32, 0xFFE08020u, 3);
            return 0u;
        }));
        Use(&gEventTextures.faces1, 1024, 1024, CellSheet(1024, 1024, 240, 320, 0x205080));
        Use(&gEventTextures.faces2, 1024, 1024, CellSheet(1024, 1024, 320, 320, 0x802050));
        Use(&gEventTextures.images[2], 1024, 512,
            PaintPicture(1024, 512, [](uint32_t x, uint32_t y) {
                return PatternCell(x, y, 1024, 480, 0xFF60A0E0u, 4);
            }));
    }
};

TEST_F(EventGolden, BackgroundPortraitsWindowSpeakerAndText) {
    if (!device()) return;
    EventState& s = gEventState;
    ResetEventState();
    s.background = 2;
    s.scroll = -300;
    s.windowSlide = 40;
    s.actors[0] = EventActor{160, 160, 14, 1, 1, 0, 5};   // first sheet, mirrored
    s.actors[1] = EventActor{480, 480, 14, 1, 0, 1, 14};  // second sheet
    s.speaker = 1;
    s.firstLine = 0;
    s.lineCount = 2;
    SetLargeTextFont();
    DrawScene([] { DrawEvent(); });
    EXPECT_TRUE(MatchesGolden(device(), "scenes/event"));
}

}  // namespace
}  // namespace vqtest
