#include "engine/settings/settings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engine/core/context.h"
#include "engine/core/game_state.h"
#include "engine/core/message_box.h"
#include "engine/input/bindings.h"
#include "engine/settings/profile_int.h"
#include "platform/profile/profile.h"
#include "platform/text/cp932.h"

namespace {

constexpr int kSetups = 3;
constexpr int kRunStages = 6;
constexpr int kLastStage = 18;
constexpr int kLastCraft = 3;
constexpr int kLastWeapon = 11;
constexpr int kNoWeapon = 255;
constexpr int kLastWeaponCursor = 11;
constexpr int kMaxTotalCredit = 99;

constexpr auto kSaveFailed = text::Cp932(u8"記録を設定ファイルに保存できませんでした。");
constexpr auto kReadOnlyFile = text::Cp932(u8"ファイルが読み取り専用のため、書き換えていません。");
constexpr auto kUnreadableFile = text::Cp932(u8"ファイルを読み込めません: ");

int32_t* Words() {
    return gGameState.records.words.data();
}

// Calls visit(key, record index) for the best-record keys of one player set-up, in the
// file's order.
template <typename Visit>
void ForEachSetupRecordKey(int setup, Visit visit) {
    char key[32];
    for (int stage = 0; stage < kStageSlots; ++stage) {
        std::snprintf(key, sizeof key, "p_bestscore%02d_%02d", setup, stage);
        visit(key, record::kPracticeBest + 20 * setup + stage);
        std::snprintf(key, sizeof key, "bestchr%02d_%02d", setup, stage);
        visit(key, record::kPracticeBestCraft + 20 * setup + stage);
        std::snprintf(key, sizeof key, "bestweapon%02d_%02d", setup, stage);
        visit(key, record::kPracticeBestWeapon + 20 * setup + stage);
    }
    std::snprintf(key, sizeof key, "s_bestscore%02d", setup);
    visit(key, record::kRunBest + setup);
    std::snprintf(key, sizeof key, "s_bestchr%02d", setup);
    visit(key, record::kRunBestCraft + setup);
    for (int stage = 0; stage < kRunStages; ++stage) {
        std::snprintf(key, sizeof key, "s_bestweapon%02d_%02d", setup, stage);
        visit(key, record::kRunBestWeapons + kRunStages * setup + stage);
    }
    std::snprintf(key, sizeof key, "e_bestscore%02d", setup);
    visit(key, record::kExtraBest + setup);
    std::snprintf(key, sizeof key, "e_bestchr%02d", setup);
    visit(key, record::kExtraBestCraft + setup);
    std::snprintf(key, sizeof key, "e_bestweapon%02d", setup);
    visit(key, record::kExtraBestWeapon + setup);
}

struct FlagKey {
    const char* key;
    int index;
};
// The unlocks and counts after the sub-weapons, in the file's order.
constexpr FlagKey kUnlockKeys[] = {
    {"getextra", record::kGetExtra},       {"getstaff", record::kGetStaff},
    {"getcraft2", record::kGetCraft2},     {"getcraft3", record::kGetCraft3},
    {"totalcredit", record::kTotalCredit}, {"clearstage", record::kClearStage},
};
constexpr FlagKey kSelectKeys[] = {
    {"selectwepon1", record::kSelectWeapon},
    {"selectwepon2", record::kSelectWeapon + 1},
    {"selectwepon3", record::kSelectWeapon + 2},
};

int32_t Clamp(int32_t v, int32_t low, int32_t high) {
    return v < low ? low : v > high ? high : v;
}

bool ValidCraftPair(int32_t pair) {
    return pair >= 0 && pair <= 0xFFFF && (pair & 0xFF) <= kLastCraft && (pair >> 8) <= kLastCraft;
}

bool ValidWeapon(int32_t w) {
    return w <= kLastWeapon || w == kNoWeapon;
}

bool ValidWeaponPair(int32_t pair) {
    return pair >= 0 && pair <= 0xFFFF && ValidWeapon(pair & 0xFF) && ValidWeapon(pair >> 8);
}

bool ValidSetupAndStage(int32_t setup, int32_t stage) {
    return setup >= 0 && setup < kSetups && stage >= 0 && stage < kStageSlots;
}

int32_t PlayerSetupIndex() {
    return static_cast<int32_t>(gGameState.playerSetup);
}

int32_t CraftPair() {
    return MakePair(gGameState.craft[0], gGameState.craft[1]);
}

// Tells the player that the run's records were not written: which file, and why.
void ReportSaveFailure(const char* path, const profile::SaveError& error) {
    std::string message = kSaveFailed.c_str();
    message += "\n";
    message += path;
    message += "\n";
    switch (error.cause) {
        case profile::SaveError::Cause::ReadOnly:
            message += kReadOnlyFile.c_str();
            break;
        case profile::SaveError::Cause::Unreadable:
            message += kUnreadableFile.c_str();
            message += std::strerror(error.code);
            break;
        case profile::SaveError::Cause::None:
        case profile::SaveError::Cause::System:
            message += std::strerror(error.code);
            break;
    }
    ShowMessageBox(message.c_str(), "Error");
}

}  // namespace

void LoadSettings() {
    profile::Document doc;
    doc.Load(gPlatform.settingsPath);
    GameState& g = gGameState;
    int32_t* words = Words();

    ReadPadBindings(doc, g.padBindings);
    g.freeCamera = doc.ReadInt("debug", "camfree", 0);
    int32_t* const setup[kSetupKeyCount] = {&g.windowMode,  &g.frameRateSetting, &g.showFrameRate,
                                            &g.textureMode, &g.mapMode,          &g.demoMode};
    ReadSetupValues(doc, setup);
    g.soundVolume = doc.ReadInt("config", "se", 9);
    g.musicVolume = doc.ReadInt("config", "mu", 9);

    for (int setupNumber = 0; setupNumber < kSetups; ++setupNumber) {
        ForEachSetupRecordKey(setupNumber, [&](const char* name, int index) {
            words[index] = doc.ReadInt("record", name, 0);
        });
    }
    words[record::kOwnedWeapons] = 1;  // sub-weapon 0 is always owned
    char key[16];
    for (int number = 1; number <= 10; ++number) {
        std::snprintf(key, sizeof key, "subweapon%02d", number);
        words[record::kOwnedWeapons + number] = doc.ReadInt("record", key, 0);
    }
    g.pointsTotal = doc.ReadInt("record", "gametime", 0);
    for (const FlagKey& k : kUnlockKeys) {
        words[k.index] = doc.ReadInt("record", k.key, k.index == record::kTotalCredit ? 2 : 0);
    }
    for (const FlagKey& k : kSelectKeys) words[k.index] = doc.ReadInt("record", k.key, 0);

    ClampLoadedSettings();
}

void ClampLoadedSettings() {
    GameState& g = gGameState;
    int32_t* words = Words();
    g.soundVolume = Clamp(g.soundVolume, 0, 9);
    g.musicVolume = Clamp(g.musicVolume, 0, 9);
    if (g.pointsTotal < 0) g.pointsTotal = 0;
    words[record::kTotalCredit] = Clamp(words[record::kTotalCredit], 2, kMaxTotalCredit);
    words[record::kClearStage] = Clamp(words[record::kClearStage], 0, kLastStage);
    for (const FlagKey& k : kSelectKeys) {
        if (words[k.index] < 0 || words[k.index] > kLastWeaponCursor) words[k.index] = 0;
    }
    // Craft and weapon pairs pick portraits, models and icons: an unknown one is dropped.
    auto craftWord = [&](int index) {
        if (!ValidCraftPair(words[index])) words[index] = 0;
    };
    auto weaponWord = [&](int index) {
        if (!ValidWeaponPair(words[index])) words[index] = 0;
    };
    for (int i = 0; i < kSetups * kStageSlots; ++i) {
        craftWord(record::kPracticeBestCraft + i);
        weaponWord(record::kPracticeBestWeapon + i);
    }
    for (int setup = 0; setup < kSetups; ++setup) {
        craftWord(record::kRunBestCraft + setup);
        craftWord(record::kExtraBestCraft + setup);
        weaponWord(record::kExtraBestWeapon + setup);
        for (int stage = 0; stage < kRunStages; ++stage) {
            weaponWord(record::kRunBestWeapons + kRunStages * setup + stage);
        }
    }
}

bool SaveSettings() {
    const char* path = gPlatform.settingsPath;
    const int32_t* words = Words();
    BeginProfileWrites(path);
    WriteProfileInt("record", "gametime", gGameState.pointsTotal, path);
    for (int setup = 0; setup < kSetups; ++setup) {
        ForEachSetupRecordKey(setup, [&](const char* name, int index) {
            WriteProfileInt("record", name, words[index], path);
        });
    }
    WriteProfileInt("config", "se", gGameState.soundVolume, path);
    WriteProfileInt("config", "mu", gGameState.musicVolume, path);
    char key[16];
    for (int number = 1; number <= 10; ++number) {
        std::snprintf(key, sizeof key, "subweapon%02d", number);
        WriteProfileInt("record", key, words[record::kOwnedWeapons + number], path);
    }
    for (const FlagKey& k : kUnlockKeys) WriteProfileInt("record", k.key, words[k.index], path);
    for (const FlagKey& k : kSelectKeys) WriteProfileInt("record", k.key, words[k.index], path);
    profile::SaveError error;
    if (EndProfileWrites(&error)) return true;
    ReportSaveFailure(path, error);
    return false;
}

bool IsNewBestScore(int32_t practiceStage) {
    int32_t setup = PlayerSetupIndex();
    if (!ValidSetupAndStage(setup, practiceStage)) return false;
    return Words()[record::kPracticeBest + 20 * setup + practiceStage] < gGameState.score;
}

void UpdatePracticeBestRecord(int32_t practiceStage, int32_t weaponPair) {
    if (!IsNewBestScore(practiceStage)) return;
    int32_t* words = Words();
    int32_t slot = 20 * PlayerSetupIndex() + practiceStage;
    words[record::kPracticeBest + slot] = gGameState.score;
    words[record::kPracticeBestCraft + slot] = CraftPair();
    words[record::kPracticeBestWeapon + slot] = weaponPair;
}

void UpdateRunBestRecord() {
    int32_t setup = PlayerSetupIndex();
    if (setup < 0 || setup >= kSetups) return;
    int32_t* words = Words();
    if (words[record::kRunBest + setup] >= gGameState.score) return;
    words[record::kRunBest + setup] = gGameState.score;
    words[record::kRunBestCraft + setup] = CraftPair();
    for (int k = 0; k < kRunStages; ++k) {
        words[record::kRunBestWeapons + kRunStages * setup + k] =
            words[record::kRunWeaponsP2 + k] << 8 | words[record::kRunWeaponsP1 + k];
    }
}

void UpdateExtraBestRecord(int32_t weaponPair) {
    int32_t setup = PlayerSetupIndex();
    if (setup < 0 || setup >= kSetups) return;
    int32_t* words = Words();
    if (words[record::kExtraBest + setup] >= gGameState.score) return;
    words[record::kExtraBest + setup] = gGameState.score;
    words[record::kExtraBestCraft + setup] = CraftPair();
    words[record::kExtraBestWeapon + setup] = weaponPair;
}
