// A story run on the demo data, headless: the title's story choice, then every stage played
// by the real game step with the crafts kept invulnerable and the guns firing while they
// sweep from side to side, every event, result and shop, the staff roll and the title.
// A stage that no rule clears within its time is cleared by hand, so a change of the
// stage play cannot stall the run; the screens' order is what is checked.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/main/frame.h"
#include "play/craft/craft.h"
#include "play/enemies/enemy_pool.h"
#include "tests/support/headless_game.h"

namespace vqtest {
namespace {

constexpr int kStageTicksAtMost = 15000;

bool HasDemoData() {
    struct stat st {};
    return stat((std::string(VQ_RUN_DIR) + "/idx/stage.idx").c_str(), &st) == 0;
}

TEST(StoryDemoRun, EveryScreenOfTheStoryInOrder) {
    if (!HasDemoData()) GTEST_SKIP() << "no demo data in " << VQ_RUN_DIR;
    HeadlessOptions options;
    options.runFolder = VQ_RUN_DIR;
    ASSERT_TRUE(StartHeadlessGame(options));
    GameState& g = gGameState;
    std::vector<std::string> seen = {"T"};
    SceneId last = SceneId::Title;
    int lastEvent = -1;
    int stageTicks = 0;
    int clearedByHand = 0;
    for (int tick = 0; tick < 600000; ++tick) {
        WaitForLoader();
        uint8_t held = 0;
        bool odd = tick % 2 != 0;
        switch (g.scene) {
            case SceneId::Title:
            case SceneId::Event:
            case SceneId::Result:
                held = odd ? kPadDecide : 0;
                break;
            case SceneId::Shop:
                held = odd ? kPadCancel : 0;
                break;
            case SceneId::Ending:
                held = odd ? (kPadRoll | kPadDecide) : 0;
                break;
            case SceneId::Play:
                held = (odd ? kPadDecide : 0) | ((tick / 200) % 2 ? kPadLeft : kPadRight);
                for (PlayerCraft& c : gPlayerCrafts) {
                    c.invulnerable = 5;
                    c.life = kFullLife;
                }
                if (++stageTicks > kStageTicksAtMost && g.playPhase == PlayPhase::Playing) {
                    // As if every enemy were shot down: a boss left alive could still be
                    // destroyed during the fly-out and start a form change of its own.
                    ResetEnemies();
                    g.playPhase = PlayPhase::StageClear;
                    g.phaseTicks = 0;
                    ++clearedByHand;
                }
                break;
            default:
                break;
        }
        gPadState[0].held = held;
        gPadState[1].held = 0;
        UpdateFrame();
        if (g.scene != last || (g.scene == SceneId::Event && g.eventNumber != lastEvent)) {
            switch (g.scene) {
                case SceneId::Title:
                    seen.push_back("T");
                    break;
                case SceneId::Play:
                    seen.push_back("P" + std::to_string(g.stage));
                    break;
                case SceneId::Ending:
                    seen.push_back("End");
                    break;
                case SceneId::Result:
                    seen.push_back("R");
                    break;
                case SceneId::Event:
                    seen.push_back("E" + std::to_string(g.eventNumber));
                    break;
                case SceneId::Shop:
                    seen.push_back("S");
                    break;
                default:
                    seen.push_back("?");
                    break;
            }
            last = g.scene;
            lastEvent = g.eventNumber;
            stageTicks = 0;
            if (g.scene == SceneId::Title) break;
        }
    }
    StopHeadlessGame();
    RecordProperty("stagesClearedByHand", clearedByHand);

    const std::vector<std::string> expected = {
        "T",   "E0",  "P0",  "E1",  "P1",  "E2",  "P2",  "R",   "E3",  "P3",  "E4",  "P4",  "E5",
        "P5",  "R",   "E6",  "P6",  "E7",  "P7",  "E8",  "P8",  "R",   "E9",  "P9",  "E10", "P10",
        "E11", "P11", "R",   "E12", "P12", "E13", "P13", "E14", "P14", "R",   "S",   "E16", "P15",
        "E17", "P16", "E18", "P17", "R",   "E19", "P18", "E20", "E21", "E22", "E23", "End", "T"};
    EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace vqtest
