// The story's tables as data: script sizes, the command set and its argument ranges, the
// dialogue lines in CP932 within one screen line, and every line the scripts use shown
// exactly once, in order, without running past the table.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "platform/text/cp932.h"
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

bool InSet(int32_t v, std::initializer_list<int32_t> set) {
    return std::find(set.begin(), set.end(), v) != set.end();
}

bool IsActor(int32_t a) {
    return a >= 0 && a <= 6;
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

TEST(StoryTables, CommandsStayWithinTheirArgumentRanges) {
    for (int e = 0; e < kEventCount; ++e) {
        const auto& images = kEventBackgroundLists[static_cast<size_t>(e)];
        std::span<const EventCommand> c = Commands(e);
        for (size_t i = 0; i < c.size(); ++i) {
            SCOPED_TRACE("event " + std::to_string(e) + " command " + std::to_string(i));
            const EventCommand& k = c[i];
            switch (k.op) {
                case EventOp::SetEventBackground:
                    EXPECT_TRUE(k.a >= 0 && k.a <= 13 && k.a != 4) << k.a;
                    EXPECT_NE(std::find(images.begin(), images.end(), k.a), images.end())
                        << "image " << k.a << " is not loaded by the event";
                    break;
                case EventOp::SetEventWindowSlide:
                    EXPECT_EQ(k.a, 0);
                    break;
                case EventOp::ShowEventText:
                    EXPECT_TRUE(k.a == -1 || (k.a >= 0 && k.a < kLinesUsed)) << k.a;
                    EXPECT_TRUE(k.b >= 1 && k.b <= 4) << k.b;
                    break;
                case EventOp::SetEventSpeaker:
                    EXPECT_TRUE(IsActor(k.a)) << k.a;
                    break;
                case EventOp::SetActorVisible:
                case EventOp::SetActorBob:
                    EXPECT_TRUE(IsActor(k.a)) << k.a;
                    EXPECT_TRUE(k.b == 0 || k.b == 1) << k.b;
                    break;
                case EventOp::SetActorMirror:
                    EXPECT_TRUE(IsActor(k.a)) << k.a;
                    EXPECT_TRUE(k.b >= 0 && k.b <= 2) << k.b;
                    break;
                case EventOp::PlaceActor:
                case EventOp::MoveActor:
                    EXPECT_TRUE(IsActor(k.a)) << k.a;
                    EXPECT_TRUE((k.b >= -304 && k.b <= 960) || k.b == 9600) << k.b;
                    break;
                case EventOp::SetActorSpeed:
                    EXPECT_TRUE(IsActor(k.a)) << k.a;
                    EXPECT_TRUE(InSet(k.b, {10, 14, 16, 20})) << k.b;
                    break;
                case EventOp::SetActorFace:
                    EXPECT_TRUE(IsActor(k.a)) << k.a;
                    EXPECT_TRUE(k.b == 0 || (k.b >= 2 && k.b <= 19)) << k.b;
                    break;
                case EventOp::WaitEventFrames:
                    EXPECT_TRUE(InSet(k.a, {10, 15, 20, 30, 40, 60, 120, 150})) << k.a;
                    break;
                case EventOp::StartEventFade:
                    EXPECT_TRUE(k.a >= 1 && k.a <= 4) << k.a;
                    EXPECT_TRUE(InSet(k.b, {20, 60, 120})) << k.b;
                    break;
                case EventOp::ResetEventScene:
                case EventOp::HideEventText:
                case EventOp::WaitEventConfirm:
                case EventOp::EndEventScript:
                    break;
                default:
                    ADD_FAILURE() << "command " << static_cast<int>(k.op)
                                  << " is used by no script";
            }
        }
    }
}

TEST(StoryTables, BackgroundListsLoadOnlyKnownImagesAndEndAtMinusOne) {
    for (int e = 0; e < kEventCount; ++e) {
        const auto& row = kEventBackgroundLists[static_cast<size_t>(e)];
        auto end = std::find(row.begin(), row.end(), -1);
        ASSERT_NE(end, row.begin()) << "event " << e << " loads no background";
        ASSERT_NE(end, row.end()) << "event " << e;
        for (auto it = row.begin(); it != end; ++it) EXPECT_NE(EventImageName(*it), nullptr);
    }
    EXPECT_EQ(kEventBackgroundLists[12][0], 6);
    EXPECT_EQ(kEventBackgroundLists[12][3], 2);
    EXPECT_EQ(kEventBackgroundLists[12][4], -1);
}

TEST(StoryTables, LinesAreOneScreenLineOfCp932) {
    for (int i = 0; i < kEventTextLineCount; ++i) {
        SCOPED_TRACE("line " + std::to_string(i));
        const EventTextLine& line = kEventTextLines[static_cast<size_t>(i)];
        ASSERT_LE(line.length, static_cast<size_t>(kEventTextLineBytes));
        EXPECT_EQ(line.bytes[line.length], '\0');
        EXPECT_EQ(std::string(line.c_str()).size(), line.length);
        std::string utf8;
        EXPECT_TRUE(text::Cp932ToUtf8(line.view(), &utf8));
        if (i < kLinesUsed) {
            EXPECT_GT(line.length, 0u) << "a line the scripts show is empty";
        } else {
            EXPECT_EQ(line.length, 0u) << "a line past the story's is not shown";
        }
    }
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
