// The stage index reader on files written by the test.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/game_state.h"
#include "engine/core/message_box.h"
#include "tests/models/scratch_folder.h"
#include "world/stage/stage_index.h"

namespace {

class StageIndexTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (StageInfo& s : gStageInfo) std::memset(&s, 0, sizeof s);
        gGameState.stageCount = -1;
    }
    void Read(const std::string& text) {
        FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
        ASSERT_NE(f, nullptr);
        ReadStageIndex(f);
        std::fclose(f);
    }
};

TEST_F(StageIndexTest, TheStageCountComesFromTheLastBlock) {
    Read("stage:1-1\n");
    EXPECT_EQ(gGameState.stageCount, 1);
    Read("stage:1-1\nstage:1-2\nstage:1-3\n");
    EXPECT_EQ(gGameState.stageCount, 3);
    Read("stage:1-2\nstage:1-3\nstage:1-1\n");
    EXPECT_EQ(gGameState.stageCount, 1);
    Read("// nothing\n");
    EXPECT_EQ(gGameState.stageCount, 0);
}

TEST_F(StageIndexTest, EveryKeyFillsItsField) {
    Read(
        "stage:2-3xyz\n"
        "maptype:2\n"
        "map:xfile/stage5/map01.x\r\n"
        "map: xfile/stage5/map02.x\n"
        "mapbg:xfile/stage5/sky.x\n"
        "mapcamera:xfile/stage5/cam0.x\n"
        "mapcamera:xfile/stage5/cam1.x\n"
        "loopcamera:\n"
        "flying:1\n"
        "mapx:1000.7\n"
        "mapz:2000\n"
        "mapnumx:4\n"
        "mapnumz:6\n"
        "scroll:12.5\n"
        "mapposy:-30.25\n"
        "fog:100.5:900\n"
        "fogcolor:255:128:0\n"
        "backcolor:10:20:30\n"
        "lightdir:0.5:-1:0.25\n"
        "lightcolor:0.9:0.8:0.7\n"
        "lightamb:0.1:0.2:0.3\n"
        "windline:\n"
        "longlock:\n"
        "scrolloffsetoff\n"
        "sunpos:1:2:3\n"
        "waterheight:-12\n"
        "farclip:40000\n"
        "drawcode:4\n"
        "mapviewarea:3000\n");
    EXPECT_EQ(gGameState.stageCount, 6);
    const StageInfo& s = gStageInfo[5];
    EXPECT_EQ(s.stageNumber, 5);
    EXPECT_EQ(s.mapType, 2);
    EXPECT_EQ(s.mapCount, 2);
    EXPECT_STREQ(s.mapNames[0], "xfile/stage5/map01.x");
    EXPECT_STREQ(s.mapNames[1], " xfile/stage5/map02.x");  // nothing is trimmed
    EXPECT_EQ(s.hasBackground, 1);
    EXPECT_STREQ(s.backgroundName, "xfile/stage5/sky.x");
    EXPECT_EQ(s.cameraCount, 2);
    EXPECT_STREQ(s.cameraNames[1], "xfile/stage5/cam1.x");
    EXPECT_EQ(s.loopCamera, 1);
    EXPECT_EQ(s.flying, 1);
    EXPECT_EQ(s.tileWidth, 1000.0f);  // an integer key: the fraction is dropped
    EXPECT_EQ(s.tileDepth, 2000.0f);
    EXPECT_EQ(s.tileColumns, 4);
    EXPECT_EQ(s.tileRows, 6);
    EXPECT_FLOAT_EQ(s.scroll, 12.5f);
    EXPECT_FLOAT_EQ(s.floorHeight, -30.25f);
    EXPECT_FLOAT_EQ(s.fogStart, 100.5f);
    EXPECT_FLOAT_EQ(s.fogEnd, 900.0f);
    EXPECT_EQ(s.fogColor[0], 255);
    EXPECT_EQ(s.fogColor[1], 128);
    EXPECT_EQ(s.fogColor[2], 0);
    EXPECT_EQ(s.backColor[2], 30);
    EXPECT_FLOAT_EQ(s.lightDirection[1], -1.0f);
    EXPECT_FLOAT_EQ(s.lightColor[2], 0.7f);
    EXPECT_FLOAT_EQ(s.lightAmbient[0], 0.1f);
    EXPECT_EQ(s.windLine, 1);
    EXPECT_EQ(s.longLock, 1);
    EXPECT_EQ(s.scrollOffset, 0);  // matched without its colon
    EXPECT_EQ(s.sun, 1);
    EXPECT_FLOAT_EQ(s.sunPosition[2], 3.0f);
    EXPECT_EQ(s.waterHeight, -12.0f);
    EXPECT_EQ(s.farClip, 40000);
    EXPECT_EQ(s.drawCode, 4);
    EXPECT_EQ(s.mapViewArea, 3000);
}

TEST_F(StageIndexTest, DefaultsAtEachBlockStart) {
    Read("stage:1-1\n");
    const StageInfo& s = gStageInfo[0];
    EXPECT_EQ(s.farClip, 59000);
    EXPECT_EQ(s.waterHeight, -1000.0f);
    EXPECT_EQ(s.scrollOffset, 1);
    EXPECT_EQ(s.lightDirection[0], 1.0f);
    EXPECT_EQ(s.lightDirection[2], 1.0f);
    EXPECT_EQ(s.hasBackground, 0);
}

TEST_F(StageIndexTest, ASecondBlockOfOneCodeKeepsTheFieldsThatAreNotReset) {
    Read(
        "stage:1-1\nmaptype:2\nmapx:100\nmapz:200\nmapnumx:3\nmapnumz:5\nscroll:7\nmapposy:9\n"
        "fog:1:2\nmap:a.x\nmapcamera:c.x\nwindline:\n"
        "stage:1-1\nmap:b.x\n");
    const StageInfo& s = gStageInfo[0];
    EXPECT_EQ(s.mapType, 2);
    EXPECT_EQ(s.tileWidth, 100.0f);
    EXPECT_EQ(s.tileDepth, 200.0f);
    EXPECT_EQ(s.tileColumns, 3);
    EXPECT_EQ(s.tileRows, 5);
    EXPECT_EQ(s.scroll, 7.0f);
    EXPECT_EQ(s.floorHeight, 9.0f);
    EXPECT_EQ(s.fogStart, 0.0f);
    EXPECT_EQ(s.windLine, 0);
    EXPECT_EQ(s.cameraCount, 0);
    EXPECT_EQ(s.mapCount, 1);
    EXPECT_STREQ(s.mapNames[0], "b.x");
}

TEST_F(StageIndexTest, CommentsBlanksAndLinesOutsideBlocksChangeNothing) {
    Read("maptype:2\n/stage:1-2\n\n\r\n stage:1-3\nstage:1-1\n farclip:5\n//farclip:6\n");
    EXPECT_EQ(gGameState.stageCount, 1);
    EXPECT_EQ(gStageInfo[0].mapType, 0);
    EXPECT_EQ(gStageInfo[0].farClip, 59000);
    EXPECT_EQ(gStageInfo[1].stageNumber, 0);
    EXPECT_EQ(gStageInfo[2].stageNumber, 0);
}

TEST_F(StageIndexTest, SunAndMoonShareOnePosition) {
    Read("stage:1-1\nsunpos:1:2:3\nsunpos:off\n");
    EXPECT_EQ(gStageInfo[0].sun, 0);
    EXPECT_EQ(gStageInfo[0].sunPosition[1], 2.0f);
    Read("stage:1-1\nsunpos:1:2:3\nmoonpos:4:5:6\n");
    EXPECT_EQ(gStageInfo[0].sun, 1);
    EXPECT_EQ(gStageInfo[0].moon, 1);
    EXPECT_EQ(gStageInfo[0].sunPosition[0], 4.0f);
}

TEST_F(StageIndexTest, TheLastLineMayLackItsLineEnd) {
    Read("stage:7-1\nmapbg:sky.x");
    EXPECT_EQ(gGameState.stageCount, 19);
    EXPECT_STREQ(gStageInfo[18].backgroundName, "sky.x");
}

TEST_F(StageIndexTest, LinesBeyondTheRecordsAreIgnored) {
    std::string text = "stage:1-1\n";
    for (int i = 0; i < 22; ++i) text += "map:m" + std::to_string(i) + ".x\n";
    text += "mapcamera:c0.x\nmapcamera:c1.x\nmapcamera:c2.x\n";
    text += "fogcolor:1:2\n";  // a missing separator: the line is ignored
    text += "lightdir:5\n";
    text += "stage:9-9\nfarclip:1\n";  // an unknown code opens no block
    Read(text);
    const StageInfo& s = gStageInfo[0];
    EXPECT_EQ(s.mapCount, 20);
    EXPECT_STREQ(s.mapNames[19], "m19.x");
    EXPECT_EQ(s.cameraCount, 2);
    EXPECT_STREQ(s.cameraNames[1], "c1.x");
    EXPECT_EQ(s.fogColor[0], 0);
    EXPECT_EQ(s.lightDirection[0], 1.0f);
    EXPECT_EQ(s.farClip, 59000);
    EXPECT_EQ(gGameState.stageCount, 1);
}

// Each key's value through the reader: the field it leaves and what is told. Map types, draw
// codes and colours take every integer; a floor tile count beyond what the floor draws in a
// frame is clamped and told; a value the stage cannot use (not finite, beyond the stage's
// reach, a name longer than its field) is refused and told, and the field keeps what it held.
TEST_F(StageIndexTest, EachValueLeavesItsFieldAndIsToldWhenRefusedOrChanged) {
    const std::string block =
        "stage:1-2\nmaptype:1\nmapx:1200\nmapz:1200\nmapnumx:3\nmapnumz:8\nscroll:6.0\n"
        "mapposy:-45.0\nfog:2000:9000\n";  // the line read next is line 10
    using Field = double (*)(const StageInfo&);
#define FIELD(expr) [](const StageInfo& s) { return static_cast<double>(expr); }
    struct Case {
        std::string line;
        Field field;
        double value;      // the field after reading
        const char* told;  // the message's text, null for none
    };
    const Case cases[] = {
        {"maptype:9", FIELD(s.mapType), 9, nullptr},
        {"maptype:0", FIELD(s.mapType), 0, nullptr},
        {"maptype:-2", FIELD(s.mapType), -2, nullptr},
        {"maptype:2", FIELD(s.mapType), 2, nullptr},
        {"maptype:99999999999", FIELD(s.mapType), INT32_MAX, nullptr},
        {"drawcode:9", FIELD(s.drawCode), 9, nullptr},
        {"drawcode:-3", FIELD(s.drawCode), -3, nullptr},
        {"drawcode:7", FIELD(s.drawCode), 7, nullptr},
        {"fogcolor:300:0:0", FIELD(s.fogColor[0]), 300, nullptr},
        {"fogcolor:-1:0:0", FIELD(s.fogColor[0]), -1, nullptr},
        {"backcolor:0:256:0", FIELD(s.backColor[1]), 256, nullptr},
        {"backcolor:255:255:255", FIELD(s.backColor[2]), 255, nullptr},
        {"fog:500:500", FIELD(s.fogEnd), 500, nullptr},
        {"fog:0:0", FIELD(s.fogStart), 0, nullptr},
        {"fog:3000:1000", FIELD(s.fogStart), 3000, nullptr},
        {"fog:nan:nan", FIELD(s.fogStart), 2000, "fog not a finite number"},
        {"fog:100:infinity", FIELD(s.fogEnd), 9000, "fog not a finite number"},
        {"fog:1e30:2e30", FIELD(s.fogStart), 2000, "fog beyond 10000000"},
        {"mapnumz:65", FIELD(s.tileRows), 64, "mapnumz 65 out of range 0..64, read as 64"},
        {"mapnumz:100000", FIELD(s.tileRows), 64, "mapnumz 100000 out of range 0..64, read as 64"},
        {"mapnumz:99999999999", FIELD(s.tileRows), 64, "mapnumz beyond the integers, read as 64"},
        {"mapnumx:-1", FIELD(s.tileColumns), 0, "mapnumx -1 out of range 0..64, read as 0"},
        {"mapnumz:64", FIELD(s.tileRows), 64, nullptr},
        {"mapnumx:0", FIELD(s.tileColumns), 0, nullptr},
        {"mapnumx:many", FIELD(s.tileColumns), 0, nullptr},
        {"mapx:0", FIELD(s.tileWidth), 1200, "mapx 0 out of range 1..10000000"},
        {"mapz:-5", FIELD(s.tileDepth), 1200, "mapz -5 out of range 1..10000000"},
        {"mapz:10000001", FIELD(s.tileDepth), 1200, "mapz 10000001 out of range 1..10000000"},
        {"mapz:99999999999", FIELD(s.tileDepth), 1200, "mapz beyond the integers"},
        {"mapz:1000.7", FIELD(s.tileDepth), 1000, nullptr},
        {"scroll:nan", FIELD(s.scroll), 6, "scroll not a finite number"},
        {"scroll:inf", FIELD(s.scroll), 6, "scroll not a finite number"},
        {"scroll:-1e39", FIELD(s.scroll), 6, "scroll not a finite number"},
        {"scroll:2e7", FIELD(s.scroll), 6, "scroll beyond 10000000"},
        {"scroll:-6.5", FIELD(s.scroll), -6.5, nullptr},
        {"scroll:fast", FIELD(s.scroll), 0, nullptr},
        {"mapposy:NAN", FIELD(s.floorHeight), -45, "mapposy not a finite number"},
        {"lightdir:0:0:0", FIELD(s.lightDirection[0]), 1, "lightdir has no direction"},
        {"lightdir:nan:1:1", FIELD(s.lightDirection[0]), 1, "lightdir not a finite number"},
        {"lightcolor:1:inf:1", FIELD(s.lightColor[0]), 0, "lightcolor not a finite number"},
        {"lightamb:0.2:0.2:-nan", FIELD(s.lightAmbient[0]), 0, "lightamb not a finite number"},
        {"sunpos:1:nan:3", FIELD(s.sun), 0, "sunpos not a finite number"},
        {"moonpos:inf:0:0", FIELD(s.moon), 0, "moonpos not a finite number"},
        {"sunpos:-30000:30000:90000", FIELD(s.sunPosition[2]), 90000, nullptr},
        {"waterheight:20000000", FIELD(s.waterHeight), -1000,
         "waterheight 20000000 out of range -10000000..10000000"},
        {"farclip:0", FIELD(s.farClip), 59000, "farclip 0 out of range 2..10000000"},
        {"farclip:1", FIELD(s.farClip), 59000, "farclip 1 out of range 2..10000000"},
        {"farclip:2", FIELD(s.farClip), 2, nullptr},
        {"mapviewarea:99999999999", FIELD(s.mapViewArea), 0, "mapviewarea beyond the integers"},
        {"mapviewarea:-5", FIELD(s.mapViewArea), -5, nullptr},
        {"map:" + std::string(255, 'm'), FIELD(std::strlen(s.mapNames[0])), 255, nullptr},
        {"map:" + std::string(256, 'm'), FIELD(s.mapCount), 0,
         "map name of 256 bytes, longer than 255"},
        {"mapbg:" + std::string(300, 's'), FIELD(s.hasBackground), 0,
         "mapbg name of 300 bytes, longer than 255"},
        {"mapcamera:" + std::string(256, 'c') + "\r", FIELD(s.cameraCount), 0,
         "mapcamera name of 256 bytes, longer than 255"},
    };
#undef FIELD
    auto read = [](const std::string& text) {
        FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
        EXPECT_NE(f, nullptr);
        StageIndexRead r = ReadStageIndex(f);
        std::fclose(f);
        return r;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        for (StageInfo& s : gStageInfo) std::memset(&s, 0, sizeof s);
        StageIndexRead r = read(block + c.line + "\n");
        EXPECT_EQ(gGameState.stageCount, 2);
        EXPECT_EQ(c.field(gStageInfo[1]), c.value);
        if (!c.told) {
            EXPECT_EQ(r.valueMessageCount, 0) << r.valueMessages[0].text;
            continue;
        }
        ASSERT_EQ(r.valueMessageCount, 1);
        EXPECT_EQ(r.valueMessages[0].line, 10);
        EXPECT_STREQ(r.valueMessages[0].text, c.told);
    }
}

TEST_F(StageIndexTest, ALineOfMoreThan511CharactersIsReadOnAsTheNextLine) {
    // The first 511 characters make a name too long for its field (refused); the rest of the
    // line is a line of its own.
    Read("stage:1-1\nmap:" + std::string(507, 'a') + "farclip:7\nmap:short.x\n");
    const StageInfo& s = gStageInfo[0];
    EXPECT_EQ(s.farClip, 7);
    EXPECT_EQ(s.mapCount, 1);
    EXPECT_STREQ(s.mapNames[0], "short.x");
}

// The file as start-up reads it: one that gives no stage is told as a missing one, and one
// holding bytes that no text holds is told with its line and read as none. A value refused or
// changed is told under a caption of its own.
TEST_F(StageIndexTest, StartUpTellsWhatTheIndexLacksUnderItsCaption) {
    using namespace std::string_literals;
    const std::string sound = "// stages\nstage:1-1\nmap:a.x\nfarclip:7\n";
    struct Case {
        const char* name;
        const char* file;  // null: no file
        std::string text;
        const char* told;  // the message's text, null for none
        int32_t stages;
        const char* caption = "ファイルが見つかりません";  // as shown on standard error
    };
    const Case cases[] = {
        {"missing", nullptr, "", "idx/stage.idx", 0},
        {"empty", "idx/stage.idx", "", "idx/stage.idx", 0},
        {"comments only", "idx/stage.idx", "// nothing yet\n\n", "idx/stage.idx", 0},
        {"only an unknown code", "idx/stage.idx", "stage:9-9\nmap:a.x\n", "idx/stage.idx", 0},
        {"a NUL byte in a name", "idx/stage.idx", "stage:1-1\nmap:a\0.x\n"s,
         "idx/stage.idx (line 2: bytes that are not text)", 0},
        {"a stray byte in a key", "idx/stage.idx",
         sound + "fo\xFF"
                 "color:1:2:3\n",
         "idx/stage.idx (line 5: bytes that are not text)", 0},
        {"a stray byte in a comment", "idx/stage.idx", "// \xFF\n" + sound.substr(10), nullptr, 1},
        {"a tile count beyond the floor", "idx/stage.idx", sound + "mapnumz:65\n",
         "idx/stage.idx (line 5: mapnumz 65 out of range 0..64, read as 64)", 1,
         kStageIndexValueCaption},
        {"a sky name too long", "idx/stage.idx", sound + "mapbg:" + std::string(256, 's') + "\n",
         "idx/stage.idx (line 5: mapbg name of 256 bytes, longer than 255)", 1,
         kStageIndexValueCaption},
        {"sound", "idx/stage.idx", sound, nullptr, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vqtest::ScratchFolder folder;
        if (c.file) folder.Write(c.file, c.text);
        for (StageInfo& s : gStageInfo) std::memset(&s, 0, sizeof s);
        testing::internal::CaptureStderr();
        LoadStageIndex();
        std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_EQ(shown, c.told ? "[" + std::string(c.caption) + "] " + c.told + "\n" : "");
        EXPECT_EQ(gGameState.stageCount, c.stages);
        // A damaged index leaves no record filled.
        EXPECT_EQ(gStageInfo[0].mapCount, c.stages);
    }
}

TEST(StageCodes, MapToIndices) {
    EXPECT_EQ(StageIndexFromCode("1-1"), 0);
    EXPECT_EQ(StageIndexFromCode("2-3abc"), 5);
    EXPECT_EQ(StageIndexFromCode("6-3"), 17);
    EXPECT_EQ(StageIndexFromCode("7-1"), 18);
    EXPECT_EQ(StageIndexFromCode("7-2"), -1);
    EXPECT_EQ(StageIndexFromCode("1-"), -1);
    EXPECT_EQ(StageIndexFromCode(""), -1);
}

}  // namespace
