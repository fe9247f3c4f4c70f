// The window's size rules: the zoom commands and the aspect lock.
#include <gtest/gtest.h>

#include "engine/main/app.h"

namespace {

TEST(Zoom, EachCommandGivesItsClientSize) {
    struct Case {
        int command, w, h;
    } cases[] = {{kCmdZoom50, 320, 240},
                 {kCmdZoom100, 640, 480},
                 {kCmdZoom150, 960, 720},
                 {kCmdZoom200, 1280, 960},
                 {kCmdZoom300, 1920, 1440}};
    for (const Case& c : cases) {
        int w = 0, h = 0;
        ZoomClientSize(c.command, &w, &h);
        EXPECT_EQ(w, c.w) << c.command;
        EXPECT_EQ(h, c.h) << c.command;
    }
}

TEST(AspectLock, SideAndBottomEdgesSetTheBottom) {
    win::FrameMetrics m{4, 20, 19};
    for (win::SizingEdge e :
         {win::SizingEdge::Left, win::SizingEdge::Right, win::SizingEdge::Bottom,
          win::SizingEdge::BottomLeft, win::SizingEdge::BottomRight}) {
        win::WindowRect r{100, 50, 100 + 800 + 8, 300};
        ApplyAspectLock(e, m, &r);
        EXPECT_EQ(r.top, 50);
        EXPECT_EQ(r.bottom, 50 + 600 + 20 + 8 + 19);
    }
}

TEST(AspectLock, TopEdgesMoveTheTopAndStopAtZero) {
    win::FrameMetrics m{4, 20, 19};
    win::WindowRect r{0, 500, 648, 1200};
    ApplyAspectLock(win::SizingEdge::Top, m, &r);
    int h = 480 + 20 + 8 + 19;
    EXPECT_EQ(r.bottom, 1200);
    EXPECT_EQ(r.top, 1200 - h);

    win::WindowRect high{0, -30, 648, 200};
    ApplyAspectLock(win::SizingEdge::TopRight, m, &high);
    EXPECT_EQ(high.top, 0);
    EXPECT_EQ(high.bottom, h);
}

TEST(AspectLock, TheClientHeightIsTruncated) {
    win::FrameMetrics m{0, 0, 0};
    win::WindowRect r{0, 0, 641, 0};
    ApplyAspectLock(win::SizingEdge::Right, m, &r);
    EXPECT_EQ(r.bottom, 641 * 480 / 640);
}

}  // namespace
