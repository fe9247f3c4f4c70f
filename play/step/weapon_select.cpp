#include "play/step/weapon_select.h"

#include <algorithm>

#include "engine/core/game_state.h"
#include "engine/input/pad.h"
#include "engine/random/random.h"
#include "engine/sound/sound.h"
#include "play/craft/craft.h"
#include "play/shots/shot_pool.h"

namespace {

constexpr int32_t kNoWeaponRecord = 255;
constexpr int32_t kLastChapterStage = 18;

int32_t& WeaponListLength() {
    return gGameState.records.words[record::kWeaponListLength];
}

int32_t ListLength() {
    return std::clamp(WeaponListLength(), 0, kWeaponListMax);
}

// The weapon the run's record keeps for a craft: 255 for none.
int32_t RecordedWeapon(int32_t weapon) {
    return weapon >= 0 && weapon <= kTwoPlayerOption ? weapon : kNoWeaponRecord;
}

void Decide(PlayerCraft* c, int32_t i) {
    int32_t cursor = gGameState.weaponCursor[i];
    if (CraftsInPlay() == 1 && cursor == kTwoPlayerOption) {
        PlaySoundEffect(kSoundCancel);
        return;
    }
    if (cursor != kWeaponRandomSlot && !IsSubWeaponOwned(gGameState.records, cursor)) {
        PlaySoundEffect(kSoundCancel);
        return;
    }
    PlaySoundEffect(kSoundDecide);
    auto& words = gGameState.records.words;
    if (i == 0) {
        words[record::kSelectWeapon] = cursor;
    } else if (gGameState.playerSetup == PlayerSetup::TwoPlayers) {
        words[record::kSelectWeapon + 1] = cursor;
    }
    c->weapon = cursor == kWeaponRandomSlot ? gGameState.weaponCandidate[i] : cursor;
}

}  // namespace

void FireTwoPlayerOption() {
    FirePlayerWeapon(&gPlayerCrafts[0], shot_kind::kOption);
}

int32_t SavedWeaponCursor(int32_t saved) {
    return saved >= 0 && saved < kWeaponCursorSlots ? saved : 0;
}

void BuildWeaponList() {
    int32_t length = 0;
    for (int32_t w = 0; w <= kTwoPlayerOption; ++w) {
        if (!IsSubWeaponOwned(gGameState.records, w)) continue;
        if (w == kTwoPlayerOption && gGameState.playerCount == 1) continue;
        gGameState.weaponList[length++] = w;
    }
    WeaponListLength() = length;
}

int32_t ListedWeaponOrFirst(int32_t weapon) {
    int32_t length = ListLength();
    for (int32_t i = 0; i < length; ++i) {
        if (gGameState.weaponList[i] == weapon) return weapon;
    }
    return length > 0 ? gGameState.weaponList[0] : weapon;
}

void StepWeaponSelectPhase() {
    if (gGameState.weaponSelect != 1) {
        if (gGameState.weaponSelectTicks > 0) gGameState.weaponSelectTicks -= 1;
        return;
    }
    if (gGameState.weaponSelectTicks < 10) gGameState.weaponSelectTicks += 1;

    // A choice is final once it has stood for the ready count; one taken back leaves the
    // count at its end, so only a craft that holds a weapon is ready.
    int32_t players = CraftsInPlay();
    int32_t ready = 0;
    for (int32_t i = 0; i < players; ++i) {
        if (gGameState.weaponReadyTicks[i] == kWeaponReadyTicks &&
            gPlayerCrafts[static_cast<size_t>(i)].weapon >= 0) {
            ++ready;
        }
    }
    if (ready != players) return;

    gGameState.weaponSelect = 0;
    PlayerCraft& a = gPlayerCrafts[0];
    PlayerCraft& b = gPlayerCrafts[1];
    if (players == 2 && (a.weapon == kTwoPlayerOption || b.weapon == kTwoPlayerOption)) {
        a.weapon = b.weapon = kTwoPlayerOption;
        FireTwoPlayerOption();
    }
    int32_t stage = gGameState.stage;
    if (stage >= 0 && stage < kLastChapterStage) {
        int32_t chapter = stage / 3;
        auto& words = gGameState.records.words;
        words[static_cast<size_t>(record::kRunWeaponsP1 + chapter)] = RecordedWeapon(a.weapon);
        words[static_cast<size_t>(record::kRunWeaponsP2 + chapter)] =
            players == 2 ? RecordedWeapon(b.weapon) : kNoWeaponRecord;
    }
}

void StepCraftWeaponChoice(PlayerCraft* c, uint8_t held, uint8_t pressed) {
    int32_t i = c->player == 1 ? 1 : 0;
    if (c->weapon == -1) {
        int32_t length = ListLength();
        if (length > 0) {
            gGameState.weaponCandidate[i] = gGameState.weaponList[RandomInt() % length];
        }
        int32_t& slide = gGameState.weaponCursorSlide[i];
        int32_t& cursor = gGameState.weaponCursor[i];
        cursor = SavedWeaponCursor(cursor);
        if (slide == 0) {
            if (pressed & kPadDecide) {
                Decide(c, i);
            } else {
                if (held & (kPadLeft | kPadUp)) {
                    slide = 1;
                    PlaySoundEffect(kSoundCursor);
                }
                if (held & (kPadRight | kPadDown)) {
                    slide = -1;
                    PlaySoundEffect(kSoundCursor);
                }
            }
        } else if (slide > 0) {
            if (++slide >= 10) {
                slide = 0;
                cursor = (cursor + 1) % kWeaponCursorSlots;
            }
        } else {
            if (--slide <= -10) {
                slide = 0;
                cursor = (cursor + kWeaponCursorSlots - 1) % kWeaponCursorSlots;
            }
        }
        return;
    }
    int32_t& ready = gGameState.weaponReadyTicks[i];
    if (ready < kWeaponReadyTicks) ready += 1;
    if (ready == kWeaponReadyTicks && c->craft != 3 && (pressed & kPadCancel)) {
        c->weapon = -1;
        PlaySoundEffect(kSoundCancel);
    }
}
