// The replay harness's run is reproducible: the same start and pad script give the same
// digest lines, and the digest sees a change of any play record.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "play/craft/craft.h"
#include "tests/support/headless_game.h"
#include "tests/support/play_run.h"
#include "tests/support/scripted_input.h"

namespace {

std::string RunDigests(const vqtest::PlayRunOptions& o) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&buffer, &size);
    vqtest::PlayRunResult r;
    EXPECT_TRUE(vqtest::RunPlay(o, &r, out));
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text + vqtest::PlayResultLine(r);
}

TEST(ReplayTest, TheSameStartAndScriptGiveTheSameDigestEveryRun) {
    vqtest::PadScript script;
    std::string error;
    ASSERT_TRUE(
        script.Parse("0 -\n10 Z C1:B1\n11 -\n40 LEFT C C1:RIGHT\n90 X Z C1:B2\n140 -\n", &error))
        << error;
    vqtest::PlayRunOptions o;
    o.setup = PlayerSetup::TwoPlayers;
    o.crafts[0] = 3;
    o.crafts[1] = 2;
    o.stage = 6;
    o.ticks = 240;
    o.digestEvery = 20;
    o.padScript = &script;
    std::string first = RunDigests(o);
    std::string second = RunDigests(o);
    EXPECT_EQ(first, second);
    EXPECT_NE(first.find("tick=240"), std::string::npos);

    // The partner's logic on pad 0 is as reproducible, and differs from the script's run.
    o.padScript = nullptr;
    o.autopilot = 0;
    std::string partner = RunDigests(o);
    EXPECT_EQ(partner, RunDigests(o));
    EXPECT_NE(partner, first);
}

TEST(ReplayTest, TheDigestSeesEveryCraftField) {
    vqtest::HeadlessOptions headless;
    headless.runFolder = VQ_RUN_DIR;
    ASSERT_TRUE(vqtest::StartHeadlessGame(headless));
    uint64_t before = vqtest::PlayStateHash();
    gPlayerCrafts[1].scrapeTicks += 1;
    uint64_t after = vqtest::PlayStateHash();
    EXPECT_NE(before, after);
    gPlayerCrafts[1].scrapeTicks -= 1;
    EXPECT_EQ(vqtest::PlayStateHash(), before);
    gPlayerCrafts[0].spec = &kCraftSpecTable[1];
    EXPECT_NE(vqtest::PlayStateHash(), before);
    vqtest::StopHeadlessGame();
}

}  // namespace
