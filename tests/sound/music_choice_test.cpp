// The volume levels, the fade curve, the effect slots and the choice of music track.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/game_state.h"
#include "engine/sound/sound.h"

namespace {

TEST(VolumeLevels, TheTableForLevels0To9) {
    const int32_t expected[10] = {-10000, -5391, -4231, -3176, -2245, -1458, -829, -371, -93, 0};
    for (int32_t level = 0; level <= 9; ++level) {
        EXPECT_EQ(VolumeOfLevel(level), expected[level]) << level;
    }
}

TEST(VolumeLevels, LevelZeroIsSilentAndOutOfRangeLevelsTakeTheNearestEnd) {
    EXPECT_EQ(audio::GainOfVolume(VolumeOfLevel(0)), 0.0f);
    EXPECT_GT(audio::GainOfVolume(VolumeOfLevel(1)), 0.0f);
    EXPECT_EQ(VolumeOfLevel(-1), VolumeOfLevel(0));
    EXPECT_EQ(VolumeOfLevel(10), VolumeOfLevel(9));
    EXPECT_EQ(VolumeOfLevel(INT32_MIN), -10000);
}

TEST(MusicFade, TheCurvePerTickAtFullLevel) {
    for (int32_t tick = 0; tick <= 15; ++tick) {
        int32_t expected =
            static_cast<int32_t>(9600.0 * std::cos(tick * 3.14159265358979 * 0.5 / 15) - 9600.0);
        EXPECT_EQ(FadeVolume(9, tick, 15), expected) << tick;
    }
    EXPECT_EQ(FadeVolume(9, 0, 15), 0);
    // The end of a fade lies at the floor: nothing of a full-scale sample is left.
    EXPECT_LE(FadeVolume(9, 15, 15), -9599);
    EXPECT_LT(audio::GainOfVolume(FadeVolume(9, 15, 15)) * 32767.0f, 1.0f);
}

TEST(MusicFade, TheCurveStartsAtTheLevelAndFallsEveryTick) {
    for (int32_t level = 1; level <= 9; ++level) {
        EXPECT_EQ(FadeVolume(level, 0, 15), VolumeOfLevel(level)) << level;
        for (int32_t tick = 1; tick <= 15; ++tick) {
            EXPECT_LT(FadeVolume(level, tick, 15), FadeVolume(level, tick - 1, 15))
                << level << " " << tick;
        }
        EXPECT_LT(audio::GainOfVolume(FadeVolume(level, 15, 15)) * 32767.0f, 1.0f) << level;
    }
    // Level 0 stays silent through the whole fade.
    for (int32_t tick = 0; tick <= 15; ++tick) EXPECT_EQ(FadeVolume(0, tick, 15), -10000);
}

TEST(EffectSlots, EachNumberHasItsFirstSlotAndOthersNone) {
    EXPECT_EQ(FindEffectSlot(288), 0);
    EXPECT_EQ(FindEffectSlot(287), 1);
    for (SoundEffectId id = 289; id <= 316; ++id) EXPECT_EQ(FindEffectSlot(id), id - 287) << id;
    EXPECT_EQ(kEffectSlotIds[30], 295);  // the second 295 is never chosen
    EXPECT_EQ(FindEffectSlot(295), 8);
    // A number outside the effects raises no request.
    for (SoundEffectId id : {-1, 0, 286, 317, 1000}) EXPECT_EQ(FindEffectSlot(id), -1) << id;
}

class MusicChoice : public ::testing::Test {
protected:
    int32_t Choose(SceneId scene, bool panel = false) {
        g.scene = scene;
        return ChooseMusicTrackFor(g, panel);
    }
    GameState g{};
};

TEST_F(MusicChoice, TitleByIdleCountAndSelectPanels) {
    g.titleIdleTicks = 0;
    EXPECT_EQ(Choose(SceneId::Title), kNoMusic);
    EXPECT_EQ(Choose(SceneId::Title, true), kNoMusic);
    for (int32_t idle : {1, 100, 5039}) {
        g.titleIdleTicks = idle;
        EXPECT_EQ(Choose(SceneId::Title), kTrackTitle) << idle;
        EXPECT_EQ(Choose(SceneId::Title, true), kTrackSelect) << idle;
    }
    for (int32_t idle : {5040, 5041}) {
        g.titleIdleTicks = idle;
        EXPECT_EQ(Choose(SceneId::Title, true), kNoMusic) << idle;
    }
}

TEST_F(MusicChoice, PlayByStageGroup) {
    for (PlayPhase phase : {PlayPhase::Playing, PlayPhase::StageClear}) {
        g.playPhase = phase;
        for (int32_t stage = 0; stage <= 5; ++stage) {
            g.stage = stage;
            EXPECT_EQ(Choose(SceneId::Play), kTrackStage1) << stage;
        }
        for (int32_t stage : {6, 7, 8, 9, 10, 11, 18}) {
            g.stage = stage;
            EXPECT_EQ(Choose(SceneId::Play), kTrackStage2) << stage;
        }
        for (int32_t stage = 12; stage <= 17; ++stage) {
            g.stage = stage;
            EXPECT_EQ(Choose(SceneId::Play), kTrackStage3) << stage;
        }
        for (int32_t stage : {19, 100, -1}) {
            g.stage = stage;
            EXPECT_EQ(Choose(SceneId::Play), kNoMusic) << stage;
        }
    }
}

TEST_F(MusicChoice, PlayPromptsAndGameOverHaveTheGameOverTrack) {
    for (PlayPhase phase :
         {PlayPhase::NoCreditPrompt, PlayPhase::ContinuePrompt, PlayPhase::GameOver}) {
        g.playPhase = phase;
        for (int32_t stage : {0, 7, 13, 18, 19}) {
            g.stage = stage;
            EXPECT_EQ(Choose(SceneId::Play), kTrackGameOver) << stage;
        }
    }
}

TEST_F(MusicChoice, TheOtherScenes) {
    EXPECT_EQ(Choose(SceneId::GameOver), kNoMusic);
    EXPECT_EQ(Choose(SceneId::Ending), kTrackEnding);
    EXPECT_EQ(Choose(SceneId::Result), kTrackResult);
    EXPECT_EQ(Choose(SceneId::Shop), kTrackShop);
    for (int32_t event : {0, 1, 22, 24}) {
        g.eventNumber = event;
        EXPECT_EQ(Choose(SceneId::Event), kTrackInterval) << event;
    }
    g.eventNumber = 23;
    EXPECT_EQ(Choose(SceneId::Event), kTrackEnding);
    EXPECT_EQ(Choose(static_cast<SceneId>(7)), kNoMusic);
    EXPECT_EQ(Choose(static_cast<SceneId>(-1)), kNoMusic);
    // The select panels count only on the title.
    EXPECT_EQ(Choose(SceneId::Shop, true), kTrackShop);
}

}  // namespace
