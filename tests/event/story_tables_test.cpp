// The story's tables as data: script sizes, how often each command is used and the exact
// arguments the scripts use, the background pictures each event loads and shows, the
// dialogue lines in CP932 within the event window's text box, and every line the scripts
// use shown exactly once, in order, without running past the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/graphics/text_font.h"
#include "platform/gfx/device.h"
#include "platform/text/cp932.h"
#include "platform/text/font.h"
#include "scenes/event/event.h"
#include "scenes/event/story/story.h"

namespace {

constexpr int kScriptSizes[kEventCount] = {199, 46, 45, 60, 197, 45,  66, 138, 130, 53, 104, 204,
                                           239, 75, 77, 80, 55,  110, 61, 55,  61,  74, 120, 117};
constexpr int kLinesUsed = 379;

// The commands of a script before its null command.
std::span<const EventCommand> Commands(int event) {
    std::span<const EventCommand> s = kEventScripts[static_cast<size_t>(event)];
    size_t n = 0;
    while (n < s.size() && s[n].op != EventOp::None) ++n;
    return s.first(n);
}

TEST(StoryTables, EveryScriptHasItsSizeAndEndsWithEndEventScriptThenNull) {
    int total = 0;
    for (int e = 0; e < kEventCount; ++e) {
        SCOPED_TRACE("event " + std::to_string(e));
        std::span<const EventCommand> all = kEventScripts[static_cast<size_t>(e)];
        std::span<const EventCommand> c = Commands(e);
        EXPECT_EQ(static_cast<int>(c.size()), kScriptSizes[e]);
        ASSERT_FALSE(c.empty());
        EXPECT_EQ(c.back().op, EventOp::EndEventScript);
        ASSERT_EQ(all.size(), c.size() + 1) << "the null command closes the array";
        for (size_t i = 0; i + 1 < c.size(); ++i) {
            EXPECT_NE(c[i].op, EventOp::EndEventScript) << "command " << i;
        }
        total += static_cast<int>(c.size());
    }
    EXPECT_EQ(total, 2411);
}

// How often each command is used over all the scripts: a script that grows one command
// must give up another of the same kind elsewhere.
TEST(StoryTables, EachCommandIsUsedAsOftenAsTheStoryCalls) {
    const std::map<EventOp, int> kUses = {
        {EventOp::WaitEventFrames, 392},    {EventOp::WaitEventConfirm, 249},
        {EventOp::ShowEventText, 249},      {EventOp::SetEventSpeaker, 247},
        {EventOp::HideEventText, 208},      {EventOp::MoveActor, 159},
        {EventOp::SetActorFace, 153},       {EventOp::SetActorMirror, 137},
        {EventOp::SetActorVisible, 134},    {EventOp::PlaceActor, 133},
        {EventOp::SetActorSpeed, 133},      {EventOp::StartEventFade, 73},
        {EventOp::SetEventWindowSlide, 37}, {EventOp::SetEventBackground, 37},
        {EventOp::SetActorBob, 33},         {EventOp::EndEventScript, 24},
        {EventOp::ResetEventScene, 13}};
    std::map<EventOp, int> used;
    for (int e = 0; e < kEventCount; ++e) {
        for (const EventCommand& k : Commands(e)) ++used[k.op];
    }
    for (int op = 1; op < kEventOpCount; ++op) {
        auto o = static_cast<EventOp>(op);
        auto want = kUses.find(o);
        EXPECT_EQ(used[o], want == kUses.end() ? 0 : want->second) << "command " << op;
    }
}

// The arguments of every command: each stays within its command's range, and over all the
// scripts the values used are exactly the story's (each value used, no other).
TEST(StoryTables, TheScriptsUseExactlyTheStorysArguments) {
    std::set<int32_t> images, actors, speeds, faces, waits, fadeLengths;
    int32_t leftmost = 0, rightmost = 0;
    int farMoves = 0;
    for (int e = 0; e < kEventCount; ++e) {
        std::span<const EventCommand> c = Commands(e);
        for (size_t i = 0; i < c.size(); ++i) {
            SCOPED_TRACE("event " + std::to_string(e) + " command " + std::to_string(i));
            const EventCommand& k = c[i];
            switch (k.op) {
                case EventOp::SetEventBackground:
                    images.insert(k.a);
                    break;
                case EventOp::SetEventWindowSlide:
                    EXPECT_EQ(k.a, 0);
                    break;
                case EventOp::ShowEventText:
                    EXPECT_TRUE(k.a == -1 || (k.a >= 0 && k.a < kLinesUsed)) << k.a;
                    EXPECT_TRUE(k.b >= 1 && k.b <= 4) << k.b;
                    break;
                case EventOp::SetEventSpeaker:
                    actors.insert(k.a);
                    break;
                case EventOp::SetActorVisible:
                case EventOp::SetActorBob:
                    actors.insert(k.a);
                    EXPECT_TRUE(k.b == 0 || k.b == 1) << k.b;
                    break;
                case EventOp::SetActorMirror:
                    actors.insert(k.a);
                    EXPECT_TRUE(k.b >= 0 && k.b <= 2) << k.b;
                    break;
                case EventOp::MoveActor:
                case EventOp::PlaceActor:
                    actors.insert(k.a);
                    if (k.op == EventOp::MoveActor && k.b == 9600) {
                        ++farMoves;
                        break;
                    }
                    leftmost = std::min(leftmost, k.b);
                    rightmost = std::max(rightmost, k.b);
                    break;
                case EventOp::SetActorSpeed:
                    actors.insert(k.a);
                    speeds.insert(k.b);
                    break;
                case EventOp::SetActorFace:
                    actors.insert(k.a);
                    faces.insert(k.b);
                    break;
                case EventOp::WaitEventFrames:
                    waits.insert(k.a);
                    break;
                case EventOp::StartEventFade:
                    EXPECT_TRUE(k.a >= 1 && k.a <= 4) << k.a;
                    fadeLengths.insert(k.b);
                    break;
                default:
                    break;
            }
        }
    }
    EXPECT_EQ(images, (std::set<int32_t>{0, 1, 2, 3, 5, 6, 7, 8, 9, 10, 11, 12, 13}));
    EXPECT_EQ(actors, (std::set<int32_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(speeds, (std::set<int32_t>{10, 14, 16, 20}));
    EXPECT_EQ(faces, (std::set<int32_t>{0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17,
                                        18, 19}));
    EXPECT_EQ(waits, (std::set<int32_t>{10, 15, 20, 30, 40, 60, 120, 150}));
    EXPECT_EQ(fadeLengths, (std::set<int32_t>{20, 60, 120}));
    EXPECT_EQ(leftmost, -304);
    EXPECT_EQ(rightmost, 960);
    EXPECT_EQ(farMoves, 1) << "one portrait leaves for x 9600";
}

// Each event loads the pictures of its row and shows each of them, once and in the row's
// order, one per scene; it shows no picture it did not load.
TEST(StoryTables, EachEventLoadsItsPicturesAndShowsEveryOneOfThem) {
    const std::vector<int32_t> kRows[kEventCount] = {
        {0, 1, 2},    {2},    {2}, {3}, {1, 0, 2}, {2},      {2},  {2}, {1, 5}, {5},  {5},  {5, 6},
        {6, 3, 7, 2}, {8, 9}, {8}, {8}, {0, 1, 2}, {10, 11}, {12}, {0}, {13},   {13}, {13}, {1}};
    for (int e = 0; e < kEventCount; ++e) {
        SCOPED_TRACE("event " + std::to_string(e));
        const auto& row = kEventBackgroundLists[static_cast<size_t>(e)];
        auto end = std::find(row.begin(), row.end(), -1);
        ASSERT_NE(end, row.end());
        EXPECT_EQ(std::vector<int32_t>(row.begin(), end), kRows[e]);
        for (auto it = row.begin(); it != end; ++it) EXPECT_NE(EventImageName(*it), nullptr);
        std::vector<int32_t> shown;
        for (const EventCommand& k : Commands(e)) {
            if (k.op == EventOp::SetEventBackground) shown.push_back(k.a);
        }
        EXPECT_EQ(shown, kRows[e]);
    }
}

// Every line is CP932 within the table's bytes; each line the scripts show, drawn as the
// event player draws it (the large font, 30 pixels at weight 300, from x 64), ends inside
// the text box's plate with a margin like the one on its left.
TEST(StoryTables, LinesAreCp932AndFitTheTextBox) {
    constexpr int32_t kTextX = 64;
    constexpr float kRightmost = 640.0f - 48.0f;
    std::unique_ptr<gfx::NullDevice> device(
        static_cast<gfx::NullDevice*>(gfx::CreateNullDevice(gfx::PresentParams{})));
    device->SetRecording(true);
    device->BeginScene();
    ResetTextFontSettings();
    const TextFontSettings& f = gTextFontSettings;
    text::FontResult result = text::FontResult::NoTexture;
    std::unique_ptr<text::Font> font = text::Font::Create(
        device.get(), text::FontRequest{f.faceNames[f.faceIndex], 30, 300}, &result);
    ASSERT_EQ(result, text::FontResult::Ok);
    for (int i = 0; i < kEventTextLineCount; ++i) {
        const EventTextLine& line = kEventTextLines[static_cast<size_t>(i)];
        std::string utf8;
        EXPECT_TRUE(text::Cp932ToUtf8(line.view(), &utf8));
        SCOPED_TRACE("line " + std::to_string(i) + " " + utf8);
        ASSERT_LE(line.length, static_cast<size_t>(kEventTextLineBytes));
        EXPECT_EQ(line.bytes[line.length], '\0');
        EXPECT_EQ(std::string(line.c_str()).size(), line.length);
        if (i >= kLinesUsed) {
            EXPECT_EQ(line.length, 0u) << "a line past the story's is not shown";
            continue;
        }
        EXPECT_GT(line.length, 0u) << "a line the scripts show is empty";
        device->ClearDraws();
        font->Draw(line.view(), kTextX, 338, 640, 480, 0xFFFFFFFFu);
        float right = 0.0f;
        for (const gfx::DrawRecord& d : device->Draws()) {
            for (size_t v = 0; v < d.vertices.size() / d.vertexStride; ++v) {
                float x;
                std::memcpy(&x, &d.vertices[v * d.vertexStride], sizeof x);
                right = std::max(right, x);
            }
        }
        EXPECT_LE(right, kRightmost);
    }
    font.reset();
    device->EndScene();
}

// Follows the text blocks of every script as the player does (-1 continues after the last
// block, also from the event before): every line 0..378 is shown exactly once, in order.
TEST(StoryTables, EveryLineUsedIsReachedOnceInOrder) {
    std::vector<int> shown;
    int next = 0;
    for (int e = 0; e < kEventCount; ++e) {
        bool first = true;
        for (const EventCommand& k : Commands(e)) {
            if (k.op != EventOp::ShowEventText) continue;
            if (first) {
                EXPECT_NE(k.a, -1) << "event " << e << " starts its text where it stands";
            }
            first = false;
            int start = k.a == -1 ? next : k.a;
            ASSERT_LE(start + k.b, kEventTextLineCount) << "event " << e;
            for (int i = 0; i < k.b; ++i) shown.push_back(start + i);
            next = start + k.b;
        }
    }
    ASSERT_EQ(static_cast<int>(shown.size()), kLinesUsed);
    for (int i = 0; i < kLinesUsed; ++i) EXPECT_EQ(shown[static_cast<size_t>(i)], i);
}

}  // namespace
