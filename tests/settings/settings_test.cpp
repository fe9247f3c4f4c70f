// The settings file of the game: defaults, the clamping of what was read, the written
// sections with every key in order, foreign lines kept, files as players edit them, saves
// that fail and say so, the best records, a long program folder, and the records written
// when the program is stopped by a signal, also during start-up.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/core/game_state.h"
#include "engine/input/bindings.h"
#include "engine/main/app.h"
#include "engine/settings/profile_int.h"
#include "engine/settings/settings.h"
#include "platform/profile/profile.h"
#include "platform/system/system.h"
#include "tests/settings/utf16_text.h"
#include "tests/support/temp_folder.h"

namespace {

std::string Format(const char* pattern, int a, int b = 0) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, a, b);
    return text;
}

// The `record` keys the game writes, in the order they end up in a new file.
std::vector<std::string> ExpectedRecordKeys() {
    std::vector<std::string> keys = {"gametime"};
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 20; ++j) {
            keys.push_back(Format("p_bestscore%02d_%02d", i, j));
            keys.push_back(Format("bestchr%02d_%02d", i, j));
            keys.push_back(Format("bestweapon%02d_%02d", i, j));
        }
        keys.push_back(Format("s_bestscore%02d", i));
        keys.push_back(Format("s_bestchr%02d", i));
        for (int j = 0; j < 6; ++j) keys.push_back(Format("s_bestweapon%02d_%02d", i, j));
        keys.push_back(Format("e_bestscore%02d", i));
        keys.push_back(Format("e_bestchr%02d", i));
        keys.push_back(Format("e_bestweapon%02d", i));
    }
    for (int n = 1; n <= 10; ++n) keys.push_back(Format("subweapon%02d", n));
    for (const char* k : {"getextra", "getstaff", "getcraft2", "getcraft3", "totalcredit",
                          "clearstage", "selectwepon1", "selectwepon2", "selectwepon3"}) {
        keys.push_back(k);
    }
    return keys;
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = gGameState;
        gGameState = GameState{};
        std::snprintf(gPlatform.settingsPath, sizeof gPlatform.settingsPath, "%s", path_.c_str());
    }
    void TearDown() override {
        gGameState = saved_;
        gPlatform.settingsPath[0] = 0;
    }
    std::string Read() const { return vqtest::ReadWholeFile(path_); }
    void Write(const std::string& text) const { vqtest::WriteWholeFile(path_, text); }
    const int32_t* Words() const { return gGameState.records.words.data(); }

    GameState saved_;
    vqtest::TempFolder folder_;
    std::string path_ = folder_.File("v_quorl.ini");
};

TEST_F(SettingsTest, DefaultsWithNoFile) {
    LoadSettings();
    const GameState& g = gGameState;
    EXPECT_NE(g.windowMode, 1);  // full screen
    EXPECT_EQ(g.windowMode, 0);
    EXPECT_EQ(g.frameRateSetting, 0);  // 60 frames per second
    EXPECT_EQ(g.showFrameRate, 0);     // digits shown
    EXPECT_EQ(g.textureMode, 0);
    EXPECT_EQ(g.freeCamera, 0);
    EXPECT_EQ(g.soundVolume, 9);
    EXPECT_EQ(g.musicVolume, 9);
    EXPECT_EQ(g.pointsTotal, 0);
    EXPECT_EQ(Words()[record::kTotalCredit], 2);
    EXPECT_EQ(Words()[record::kOwnedWeapons], 1);  // only sub-weapon 0 owned
    for (int n = 1; n < 12; ++n) EXPECT_EQ(Words()[record::kOwnedWeapons + n], 0) << n;
    for (int r = 0; r < kBindingRows; ++r) {
        for (int c = 0; c < kBindingColumns; ++c) {
            EXPECT_EQ(g.padBindings[r][c], DefaultBinding(r, c)) << r << "," << c;
        }
    }
    EXPECT_EQ(g.padBindings[0][4], 39);
    EXPECT_EQ(g.padBindings[3][0], 60);
}

TEST_F(SettingsTest, ValuesReadAreBroughtIntoRange) {
    Write(
        "[config]\nse=12\nmu=-3\n"
        "[record]\ntotalcredit=0\ngametime=-5\nclearstage=40\n"
        "selectwepon1=12\nselectwepon2=-1\nselectwepon3=11\n"
        "bestchr00_00=1028\nbestchr00_01=258\ns_bestchr01=-1\ne_bestchr02=65536\n"
        "bestweapon00_00=65283\nbestweapon00_01=3072\ns_bestweapon00_05=-1\n"
        "e_bestweapon01=2827\n");
    LoadSettings();
    const int32_t* w = Words();
    EXPECT_EQ(gGameState.soundVolume, 9);
    EXPECT_EQ(gGameState.musicVolume, 0);
    EXPECT_EQ(w[record::kTotalCredit], 2);
    EXPECT_EQ(gGameState.pointsTotal, 0);
    EXPECT_EQ(w[record::kClearStage], 18);
    EXPECT_EQ(w[record::kSelectWeapon], 0);
    EXPECT_EQ(w[record::kSelectWeapon + 1], 0);
    EXPECT_EQ(w[record::kSelectWeapon + 2], 11);
    EXPECT_EQ(w[record::kPracticeBestCraft], 0);        // craft 4 does not exist
    EXPECT_EQ(w[record::kPracticeBestCraft + 1], 258);  // crafts 2 and 1 kept
    EXPECT_EQ(w[record::kRunBestCraft + 1], 0);
    EXPECT_EQ(w[record::kExtraBestCraft + 2], 0);
    EXPECT_EQ(w[record::kPracticeBestWeapon], 65283);  // none and weapon 3
    EXPECT_EQ(w[record::kPracticeBestWeapon + 1], 0);  // weapon 12 does not exist
    EXPECT_EQ(w[record::kRunBestWeapons + 5], 0);
    EXPECT_EQ(w[record::kExtraBestWeapon + 1], 2827);  // weapons 11 and 11

    Write("[record]\ntotalcredit=500\nclearstage=-2\n");
    LoadSettings();
    EXPECT_EQ(Words()[record::kTotalCredit], 99);
    EXPECT_EQ(Words()[record::kClearStage], 0);
}

TEST_F(SettingsTest, EverySectionIsReadIntoItsFields) {
    std::string text = "[option]\n";
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 8; ++c)
            text += Format("pad%d%d=", r, c) + std::to_string(r * 8 + c + 1) + "\n";
    }
    text +=
        "[debug]\ncamfree=1\n[setup]\nwinmode=1\nfps=2\ndispfps=1\ntexmode=3\nmapmode=4\ndemomode="
        "5\n";
    text += "[config]\nse=3\nmu=4\n[record]\n";
    std::vector<std::string> keys = ExpectedRecordKeys();
    for (size_t i = 0; i < keys.size(); ++i) text += keys[i] + "=" + std::to_string(i % 2) + "\n";
    Write(text);
    LoadSettings();
    const GameState& g = gGameState;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 8; ++c) EXPECT_EQ(g.padBindings[r][c], r * 8 + c + 1);
    }
    EXPECT_EQ(g.freeCamera, 1);
    EXPECT_EQ(g.windowMode, 1);
    EXPECT_EQ(g.frameRateSetting, 2);
    EXPECT_EQ(g.showFrameRate, 1);
    EXPECT_EQ(g.textureMode, 3);
    EXPECT_EQ(g.mapMode, 4);
    EXPECT_EQ(g.demoMode, 5);
    EXPECT_EQ(g.soundVolume, 3);
    EXPECT_EQ(g.musicVolume, 4);
    // Key i holds i % 2: check a few words in their places.
    EXPECT_EQ(g.pointsTotal, 0);                         // key 0
    EXPECT_EQ(Words()[record::kPracticeBest], 1);        // key 1
    EXPECT_EQ(Words()[record::kPracticeBestCraft], 0);   // key 2
    EXPECT_EQ(Words()[record::kPracticeBestWeapon], 1);  // key 3
    EXPECT_EQ(Words()[record::kGetExtra], 0);            // key 224
    EXPECT_EQ(Words()[record::kGetStaff], 1);            // key 225
}

TEST_F(SettingsTest, ANewFileHoldsEveryGameKeyInOrder) {
    LoadSettings();
    ASSERT_TRUE(SaveSettings());
    std::string expected = "[record]\n";
    for (const std::string& k : ExpectedRecordKeys()) {
        std::string value = k == "totalcredit" ? "2" : "0";
        expected += k + "=" + value + "\n";
    }
    expected += "\n[config]\nse=9\nmu=9\n";
    EXPECT_EQ(Read(), expected);
}

TEST_F(SettingsTest, ARoundTripKeepsTheToolsSectionsAndForeignLines) {
    const std::string before =
        "; written by hand\n"
        "[setup]\nwinmode = 1\nfps=1 ; thirty\n\n"
        "[option]\npad00=14\nPAD37=119\n\n"
        "[debug]\ncamfree=0\n\n"
        "[mine]\nwhatever=yes\n\n"
        "[config]\nse=5\n\n"
        "[record]\ngametime=123456\nclearstage=7\np_bestscore02_19=999\nbestchr02_19=770\n";
    Write(before);
    LoadSettings();
    EXPECT_EQ(gGameState.padBindings[0][0], 14);
    EXPECT_EQ(gGameState.padBindings[3][7], 119);
    EXPECT_EQ(gGameState.frameRateSetting, 1);
    gGameState.pointsTotal += 1;
    gGameState.records.words[record::kGetStaff] = 1;
    ASSERT_TRUE(SaveSettings());
    std::string after = Read();
    // Everything up to the game's sections is untouched.
    std::string head = before.substr(0, before.find("[config]"));
    EXPECT_EQ(after.substr(0, head.size()), head);
    // The game's sections hold every key once, with the values of the run.
    profile::Document doc;
    doc.Parse(after);
    EXPECT_EQ(doc.ReadInt("record", "gametime", -1), 123457);
    EXPECT_EQ(doc.ReadInt("record", "clearstage", -1), 7);
    EXPECT_EQ(doc.ReadInt("record", "p_bestscore02_19", -1), 999);
    EXPECT_EQ(doc.ReadInt("record", "bestchr02_19", -1), 770);
    EXPECT_EQ(doc.ReadInt("record", "getstaff", -1), 1);
    EXPECT_EQ(doc.ReadInt("config", "se", -1), 5);
    EXPECT_EQ(doc.ReadInt("config", "mu", -1), 9);
    for (const std::string& k : ExpectedRecordKeys()) {
        EXPECT_EQ(after.find("\n" + k + "="), after.rfind("\n" + k + "=")) << k;
        EXPECT_NE(after.find("\n" + k + "="), std::string::npos) << k;
    }
    // A second load and save changes nothing.
    LoadSettings();
    ASSERT_TRUE(SaveSettings());
    EXPECT_EQ(Read(), after);
}

// Files as players edit them by hand or with other editors.
TEST_F(SettingsTest, HandEditedFilesAreReadAndKeptAsTheyAre) {
    enum class Saved { AsIs, Utf16Le, Utf16Be };
    struct EditCase {
        const char* name;
        std::string file;  // ASCII, saved as `saved` says
        Saved saved;
        int32_t gametime, clearstage, pad01, winmode;  // pad01 -1: its default binding
    };
    const std::string unicode =
        "[setup]\r\nwinmode=1\r\n[option]\r\npad01=7\r\n[record]\r\ngametime=4321\r\n"
        "clearstage=3\r\nsubweapon02=1\r\n";
    const EditCase cases[] = {
        {"byte-order mark before the first section",
         "\xEF\xBB\xBF[record]\ngametime=500\nclearstage=4\n[option]\npad01=7\n", Saved::AsIs, 500,
         4, 7, 0},
        {"byte-order mark and CR LF lines",
         "\xEF\xBB\xBF[setup]\r\nwinmode=1\r\n[record]\r\ngametime=9\r\n", Saved::AsIs, 9, 0, -1,
         1},
        {"values in quotes",
         "[option]\npad01=\"5\"\n[setup]\nwinmode='1'\n[record]\ngametime=\"1234\"\n"
         "clearstage= \"6\" \n",
         Saved::AsIs, 1234, 6, 5, 1},
        {"UTF-16 little-endian", unicode, Saved::Utf16Le, 4321, 3, 7, 1},
        {"UTF-16 big-endian", unicode, Saved::Utf16Be, 4321, 3, 7, 1},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        bool wide = c.saved != Saved::AsIs;
        auto saved = [&](std::string_view text) {
            return wide ? vqtest::Utf16(text, c.saved == Saved::Utf16Be).substr(2)
                        : std::string(text);
        };
        const std::string file = wide ? vqtest::Utf16(c.file, c.saved == Saved::Utf16Be) : c.file;
        int32_t pad01 = c.pad01 < 0 ? DefaultBinding(0, 1) : c.pad01;
        Write(file);
        LoadSettings();
        EXPECT_EQ(gGameState.pointsTotal, c.gametime);
        EXPECT_EQ(Words()[record::kClearStage], c.clearstage);
        EXPECT_EQ(gGameState.padBindings[0][1], pad01);
        EXPECT_EQ(gGameState.windowMode, c.winmode);
        ASSERT_TRUE(SaveSettings());
        std::string after = Read();
        // The mark stays where it was, the file keeps its encoding, and the game's sections
        // are found, not added again.
        EXPECT_EQ(after.substr(0, 3), file.substr(0, 3));
        EXPECT_EQ(after.find(saved("[record]")), after.rfind(saved("[record]")));
        EXPECT_EQ(after.find(saved("[config]")), after.rfind(saved("[config]")));
        if (wide) {
            EXPECT_EQ(after.size() % 2, 0u);
            EXPECT_EQ(after.find("[record]"), std::string::npos);
            EXPECT_NE(after.find(saved("subweapon02=1\r\n")), std::string::npos);
        }
        LoadSettings();
        EXPECT_EQ(gGameState.pointsTotal, c.gametime);
        EXPECT_EQ(Words()[record::kClearStage], c.clearstage);
        EXPECT_EQ(gGameState.padBindings[0][1], pad01);
    }
}

// A save that cannot be made leaves the file as it was and tells the player which file and
// why; the records of the run are lost, but not silently. These cases fail also for the
// superuser.
TEST_F(SettingsTest, AFailedSaveSaysSoWithThePathAndTheReason) {
    struct FailureCase {
        const char* name;
        std::function<std::string()> prepare;  // returns the settings path
        std::string reason;
    };
    const FailureCase cases[] = {
        {"a folder in the file's place",
         [&] {
             mkdir(path_.c_str(), 0755);
             return path_;
         },
         std::strerror(EISDIR)},
        {"a path through a regular file",
         [&] {
             Write("[record]\ngametime=3\n");
             return path_ + "/v_quorl.ini";
         },
         std::strerror(ENOTDIR)},
        {"a file the player made read-only",
         [&] {
             Write("[record]\ngametime=3\n");
             chmod(path_.c_str(), 0444);
             return path_;
         },
         "ファイルが読み取り専用のため、書き換えていません。"},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = c.prepare();
        std::snprintf(gPlatform.settingsPath, sizeof gPlatform.settingsPath, "%s", path.c_str());
        std::string before = Read();
        gGameState.pointsTotal = 77;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(SaveSettings());
        std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_NE(shown.find("記録を設定ファイルに保存できませんでした。"), std::string::npos)
            << shown;
        EXPECT_NE(shown.find(path), std::string::npos) << shown;
        EXPECT_NE(shown.find(c.reason), std::string::npos) << shown;
        EXPECT_EQ(Read(), before);
        EXPECT_EQ(folder_.EntryCount(), 1);
        std::filesystem::remove_all(path_);
    }
}

TEST_F(SettingsTest, WriteProfileIntOutsideABatchWritesAtOnce) {
    EXPECT_TRUE(WriteProfileInt("setup", "fps", -2, path_.c_str()));
    EXPECT_EQ(Read(), "[setup]\nfps=-2\n");
    BeginProfileWrites(path_.c_str());
    EXPECT_TRUE(WriteProfileInt("setup", "fps", 1, path_.c_str()));
    EXPECT_EQ(Read(), "[setup]\nfps=-2\n");  // not yet
    EXPECT_TRUE(EndProfileWrites());
    EXPECT_EQ(Read(), "[setup]\nfps=1\n");
}

TEST_F(SettingsTest, PracticeBestIsReplacedOnlyByAHigherScore) {
    gGameState.playerSetup = PlayerSetup::TwoPlayers;
    gGameState.craft[0] = 2;
    gGameState.craft[1] = 3;
    int32_t* w = gGameState.records.words.data();
    w[record::kPracticeBest + 40 + 5] = 1000;
    gGameState.score = 1000;
    EXPECT_FALSE(IsNewBestScore(5));
    UpdatePracticeBestRecord(5, MakePair(4, 7));
    EXPECT_EQ(w[record::kPracticeBestCraft + 45], 0);
    gGameState.score = 1001;
    EXPECT_TRUE(IsNewBestScore(5));
    UpdatePracticeBestRecord(5, MakePair(4, 7));
    EXPECT_EQ(w[record::kPracticeBest + 45], 1001);
    EXPECT_EQ(w[record::kPracticeBestCraft + 45], 3 << 8 | 2);
    EXPECT_EQ(w[record::kPracticeBestWeapon + 45], 7 << 8 | 4);
    // A stage outside the table is no record at all.
    EXPECT_FALSE(IsNewBestScore(20));
    EXPECT_FALSE(IsNewBestScore(-1));
    UpdatePracticeBestRecord(20, 0);
    EXPECT_EQ(MakePair(-1, 1), 1 << 8 | 255);  // no weapon yet
}

TEST_F(SettingsTest, RunAndExtraBestsTakeTheirPairs) {
    gGameState.playerSetup = PlayerSetup::ComputerPartner;
    gGameState.craft[0] = 1;
    gGameState.craft[1] = 0;
    int32_t* w = gGameState.records.words.data();
    for (int k = 0; k < 6; ++k) {
        w[record::kRunWeaponsP1 + k] = k;
        w[record::kRunWeaponsP2 + k] = k < 3 ? 10 - k : 255;
    }
    gGameState.score = 50;
    w[record::kRunBest + 1] = 50;
    UpdateRunBestRecord();
    EXPECT_EQ(w[record::kRunBestCraft + 1], 0);
    gGameState.score = 51;
    UpdateRunBestRecord();
    EXPECT_EQ(w[record::kRunBest + 1], 51);
    EXPECT_EQ(w[record::kRunBestCraft + 1], 1);
    EXPECT_EQ(w[record::kRunBestWeapons + 6 + 0], 10 << 8 | 0);
    EXPECT_EQ(w[record::kRunBestWeapons + 6 + 5], 255 << 8 | 5);
    EXPECT_EQ(w[record::kRunBestWeapons + 0], 0);  // other set-ups untouched

    UpdateExtraBestRecord(MakePair(2, 3));
    EXPECT_EQ(w[record::kExtraBest + 1], 51);
    EXPECT_EQ(w[record::kExtraBestWeapon + 1], 3 << 8 | 2);
    gGameState.score = 51;
    UpdateExtraBestRecord(MakePair(5, 5));
    EXPECT_EQ(w[record::kExtraBestWeapon + 1], 3 << 8 | 2);
}

// Sends the signal once the game's message loop handles it.
void SignalWhenHandled(int signal) {
    for (int i = 0; i < 5000; ++i) {
        struct sigaction now {};
        sigaction(signal, nullptr, &now);
        if (now.sa_handler != SIG_DFL && now.sa_handler != SIG_IGN) {
            kill(getpid(), signal);
            return;
        }
        usleep(1000);
    }
}

TEST_F(SettingsTest, SigintAndSigtermEndTheGameWithTheRecordsWritten) {
    for (int signal : {SIGTERM, SIGINT}) {
        std::remove(path_.c_str());
        Write("[setup]\nwinmode=1\n");
        sys::SetProgramDirectory(folder_.Path().c_str());
        ASSERT_TRUE(StartGame(HeadlessBackends()));
        EXPECT_EQ(gGameState.windowMode, 1);
        gGameState.pointsTotal = 4242;
        gGameState.records.words[record::kClearStage] = 9;
        std::thread sender(SignalWhenHandled, signal);
        RunMessageLoop();
        sender.join();
        ShutdownGame();
        sys::SetProgramDirectory(nullptr);
        profile::Document doc;
        doc.Parse(Read());
        EXPECT_EQ(doc.ReadInt("record", "gametime", -1), 4242) << signal;
        EXPECT_EQ(doc.ReadInt("record", "clearstage", -1), 9) << signal;
        EXPECT_EQ(doc.ReadInt("setup", "winmode", -1), 1) << signal;
    }
}

// A program folder far longer than a short fixed field: the settings file is found beside
// the program, not at a cut path.
TEST_F(SettingsTest, ALongProgramFolderIsUsedWhole) {
    std::string folder = folder_.Path();
    while (folder.size() < 1500) {
        folder += "/" + std::string(100, 'd');
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    }
    std::string path = folder + "/v_quorl.ini";
    vqtest::WriteWholeFile(path, "[setup]\nwinmode=1\n[record]\ngametime=31\n");
    sys::SetProgramDirectory(folder.c_str());
    ASSERT_TRUE(StartGame(HeadlessBackends()));
    EXPECT_EQ(std::string(gPlatform.settingsPath), path);
    EXPECT_EQ(gGameState.windowMode, 1);
    EXPECT_EQ(gGameState.pointsTotal, 31);
    gGameState.records.words[record::kClearStage] = 5;
    ShutdownGame();
    sys::SetProgramDirectory(nullptr);
    profile::Document doc;
    doc.Parse(vqtest::ReadWholeFile(path));
    EXPECT_EQ(doc.ReadInt("record", "gametime", -1), 31);
    EXPECT_EQ(doc.ReadInt("record", "clearstage", -1), 5);
}

int gStartUpSignal = 0;

// Makes the window after a stop signal arrived during the start-up, before the window
// exists.
win::Window* CreateWindowAfterASignal() {
    raise(gStartUpSignal);
    return win::CreateHeadlessWindow();
}

TEST_F(SettingsTest, AStopSignalDuringStartUpGetsTheNormalShutDown) {
    for (int signal : {SIGTERM, SIGINT}) {
        Write("[setup]\nwinmode=1\n[record]\ngametime=88\n");
        sys::SetProgramDirectory(folder_.Path().c_str());
        PlatformBackends backends = HeadlessBackends();
        backends.createWindow = CreateWindowAfterASignal;
        gStartUpSignal = signal;
        EXPECT_EQ(RunGameProgram(backends), 0) << signal;
        sys::RemoveStopSignalHandlers();
        sys::SetProgramDirectory(nullptr);
        profile::Document doc;
        doc.Parse(Read());
        EXPECT_EQ(doc.ReadInt("record", "gametime", -1), 88) << signal;
        EXPECT_EQ(doc.ReadInt("record", "totalcredit", -1), 2) << signal;
        EXPECT_EQ(doc.ReadInt("config", "se", -1), 9) << signal;
    }
}

}  // namespace
